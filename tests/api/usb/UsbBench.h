#pragma once
// A Brevix-H unit on the simulated USB tree of this process, and the library's channel opened to
// it through the DLL's exports, in either transport (HID reports or the mpusbapi driver's pipes).
// The Korrin_* exports carry decorated names; they are looked up as a host would.

#include "BrevixCUsb.h"
#include "sim/UsbUnit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace usbbench {

using Bytes = std::vector<uint8_t>;

// An export of BrevixCAPI.dll by name; the test fails when it is missing.
template <typename Function>
Function Export(const char* name) {
    auto entry =
        reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"BrevixCAPI.dll"), name)));
    EXPECT_NE(entry, nullptr) << name;
    return entry;
}

inline const char* TransportName(sim::UsbTransport t) { return t == sim::UsbTransport::Hid ? "Hid" : "Mpusb"; }

class UnitOnTree {
public:
    explicit UnitOnTree(sim::UsbTransport transport, sim::UsbModel model = sim::UsbModel::BrevixH,
                        sim::UsbIds ids = sim::UsbIds::Model) {
        host_.Start();
        host_.Attach();
        hub_ = &usb_.AddHostController(0, 4);
        unit_ = std::make_unique<sim::UsbUnit>(host_, usb_, *hub_, 2, model, transport, ids);
    }
    sim::UsbUnit& Unit() { return *unit_; }
    sim::DriverHost& Host() { return host_; }
    // Another unit on a free port (3 or 4) of the same hub.
    sim::UsbUnit& Plug(int port, sim::UsbModel model, sim::UsbTransport transport = sim::UsbTransport::Hid) {
        others_.push_back(std::make_unique<sim::UsbUnit>(host_, usb_, *hub_, port, model, transport));
        return *others_.back();
    }

private:
    sim::DriverHost host_;
    sim::UsbTopology usb_{host_};
    sim::UsbHub* hub_ = nullptr;
    std::unique_ptr<sim::UsbUnit> unit_;
    std::vector<std::unique_ptr<sim::UsbUnit>> others_;
};

// A fixture per transport: the unit, selected and connected.
class UsbTest : public testing::TestWithParam<sim::UsbTransport> {
protected:
    void SetUp() override {
        bench_ = std::make_unique<UnitOnTree>(GetParam());
        ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1);
        ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    }
    void TearDown() override {
        BrevixH_SYS_TerminateProcess();
        bench_.reset();
    }
    sim::UsbUnit& Unit() { return bench_->Unit(); }
    bool Hid() const { return GetParam() == sim::UsbTransport::Hid; }
    // The packets the unit received, as 64 bytes each.
    std::vector<Bytes> Packets() {
        std::vector<Bytes> out;
        for (const sim::UsbPacket& p : Unit().Received()) out.push_back(p.bytes);
        return out;
    }

    std::unique_ptr<UnitOnTree> bench_;
};

inline Bytes Packet(std::initializer_list<uint8_t> head) {
    Bytes p(64, 0);
    std::copy(head.begin(), head.end(), p.begin());
    return p;
}

}  // namespace usbbench
