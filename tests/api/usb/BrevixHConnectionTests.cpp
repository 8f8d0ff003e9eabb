// A Brevix-H and a Brevix-J through the Ethernet API: the simulated tester on the test's veth pair
// and its USB unit on the simulated USB tree. The start finds the unit, connect reads the identity
// over USB, and the 93C56, the manual identity reads, the VCXO and the FPGA download reach the unit;
// after a loss and a reconnect every counter starts again from the connect.

#include "BrevixCAPI.h"
#include "BrevixCCounters.h"
#include "BrevixCEeprom.h"
#include "BrevixCFlash.h"
#include "sim/FullTester.h"
#include "sim/TesterControl.h"
#include "support/CallbackRecorder.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"
#include "usb/UsbBench.h"

#include <chrono>
#include <cstring>
#include <fstream>

using namespace usbbench;
using support::CallbackRecorder;

namespace {

std::array<uint8_t, 256> UnitEeprom() {
    std::array<uint8_t, 256> image{};
    image.fill(0xFF);
    auto put = [&](size_t word, const char* text, size_t length) { std::memcpy(&image[2 * word], text, length); };
    put(16, "Brevix-H 8x1G   ", 16);
    put(32, "A1", 2);
    put(33, "12", 2);
    put(38, "BVH-2020-000123-XYZQ", 20);
    put(48, "2020-03-14  ", 12);
    const uint8_t mac[6] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x61};
    std::memcpy(&image[128], mac, 6);
    return image;
}

uint8_t Reversed(uint8_t v) {
    uint8_t r = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (v & (1 << bit)) r |= uint8_t(0x80 >> bit);
    return r;
}

class BrevixHConnectionTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        std::string error;
        auto link = support::OpenTesterLink(support::TestNetwork(), &error);
        ASSERT_TRUE(link) << error;
        tester_ = std::make_unique<sim::FullTester>(std::move(link), GetParam(), L"");
        tester_->Start();
        tester_->Host().Attach();
        unit_ = tester_->Usb();
        ASSERT_NE(unit_, nullptr);
        unit_->SetEeprom(UnitEeprom());
        ASSERT_EQ(BrevixC_93C56_Init(CallbackRecorder::Callback), 1);
        char model[64] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        CallbackRecorder::Instance().Clear();
    }
    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        tester_.reset();
    }

    std::unique_ptr<sim::FullTester> tester_;
    sim::UsbUnit* unit_ = nullptr;  // the tester's
};

TEST_P(BrevixHConnectionTest, ConnectReadsTheIdentityOverUsb) {
    EXPECT_EQ(BrevixC_Has_PIC24(), 1) << "the unit answered the start";
    EXPECT_EQ(BVX_Machine_ID, GetParam());
    EXPECT_STREQ(BVX_Module, "Brevix-H 8x1G   ");
    EXPECT_STREQ(BVX_SN, "BVH-2020-000123-XYZQ");
    EXPECT_STREQ(BVX_PCB, "A112") << "the four bytes of word 32";
    EXPECT_STREQ(BVX_ProductDate, "2020-03-14  ");
    EXPECT_EQ(EEPROM_Version, 12);
    const uint8_t mac[6] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x61};
    EXPECT_EQ(std::memcmp(BVX_MAC, mac, 6), 0);

    // The firmware version came from the unit's version text ("V3.4.056").
    ASSERT_EQ(BrevixC_SYS_GetSystemVer(), 1);
    const support::HostMessage info = CallbackRecorder::Instance().WaitForType(0x0500, support::kPatience);
    ASSERT_GE(info.bytes.size(), size_t(BREVIXC_INFO_FIRMWARE_BUILD + 4));
    auto field = [&](size_t at) { return info.bytes[at] | info.bytes[at + 1] << 8; };
    EXPECT_EQ(field(BREVIXC_INFO_FIRMWARE_MAJOR), 3);
    EXPECT_EQ(field(BREVIXC_INFO_FIRMWARE_MINOR), 4);
    EXPECT_EQ(field(BREVIXC_INFO_FIRMWARE_BUILD), 56);
}

TEST_P(BrevixHConnectionTest, The93C56IsReadAndWrittenOverTheChannel) {
    ASSERT_EQ(BrevixC_93C56_Read(), 1);
    const std::array<uint8_t, 256> image = UnitEeprom();
    EXPECT_EQ(std::memcmp(eeprom_93c56, image.data(), 256), 0);
    const support::HostMessage done = CallbackRecorder::Instance().WaitForType(0xFE00, support::kPatience);
    ASSERT_FALSE(done.bytes.empty()) << "completion is announced";

    eeprom_93c56[10] = 0x12, eeprom_93c56[11] = 0x34;
    ASSERT_TRUE(BrevixC_93C56_Write(5, 1));
    EXPECT_EQ(unit_->Eeprom()[10], 0x12);
    EXPECT_EQ(unit_->Eeprom()[11], 0x34);
}

TEST_P(BrevixHConnectionTest, ManualIdentityReadsAndVcxoReachTheUnit) {
    std::array<uint8_t, 256> image = UnitEeprom();
    std::memcpy(&image[76], "BVH-2021-999999-NEWW", 20);
    unit_->SetEeprom(image);
    EXPECT_EQ(BrevixC_SYS_GetManualInfo(1), 1);
    EXPECT_STREQ(BVX_SN, "BVH-2021-999999-NEWW");
    EXPECT_EQ(BrevixC_SYS_GetManualInfo(5), 1) << "other indexes read nothing";

    EXPECT_EQ(BrevixC_SYS_SetVCXOAdjustPPM(-7), 1);
    EXPECT_EQ(unit_->VcxoPpm(), -7);
    EXPECT_EQ(BVX_VCXO_PPM, -7);
    EXPECT_EQ(BrevixC_SYS_GetVCXOAdjustPPM(), 1);
}

TEST_P(BrevixHConnectionTest, FpgaDownloadSendsThePreparedWindowToTheUnit) {
    std::vector<uint8_t> file = {0x55, 0xAA, 0x55, 0xAA, 0x01, 0x02};
    file.insert(file.end(), 16, 0xFF);
    for (size_t i = 0; i < 200; ++i) file.push_back(uint8_t(i * 29 + 3));
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"brevixh-fpga.rbf";
    std::ofstream(path.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));

    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(path.c_str(), 0), 1);
    ASSERT_TRUE(support::Eventually([&] { return unit_->FpgaComplete(); }));
    std::vector<uint8_t> expected;
    for (size_t i = 6; i < file.size(); ++i) expected.push_back(Reversed(file[i]));
    EXPECT_EQ(unit_->Fpga(), expected);
    const support::HostMessage passed = CallbackRecorder::Instance().WaitFor(
        [](const support::HostMessage& m) { return m.Type() == 0x0F00 && m.bytes[18] == 6; }, std::chrono::seconds(20));
    EXPECT_FALSE(passed.bytes.empty());
}

// Frames a second and bytes a frame of what each port receives from its partner and sends: all
// in the largest size class, so that bytes counted since an earlier connect, over frames counted
// since this one, leave it at once.
constexpr double kIncoming = 800, kSent = 600;
constexpr uint32_t kIncomingBytes[2] = {1500, 1400}, kSentBytes[2] = {1450, 1300};

BrevixC_PortCounters_T CountersOf(uint8_t port) {
    BrevixC_PortCounters_T block{};
    EXPECT_EQ(BrevixC_ReadCounterStatistics(port, &block), 1);
    return block;
}

// Waits for two whole poll rounds of the poller running now.
bool TwoPollRounds() {
    const uint32_t start = BrevixC_ReadCounterPollRounds();
    return support::Eventually([&] { return BrevixC_ReadCounterPollRounds() - start >= 2; });
}

// A reconnect (terminate, detect, connect: the program's Reconnect) clears the tester's counters
// at connect, Rx and Tx, frames and bytes alike: no counter carries a total from before.
TEST_P(BrevixHConnectionTest, CountersStartAgainTogetherAfterALossAndAReconnect) {
    sim::CounterBanks& counters = tester_->Counters();
    tester_->QuietPartners();
    // The connect's set-up stops both ports' Tx: it is started after each connect.
    auto startTx = [&] {
        for (uint8_t port : {0, 1}) tester_->Device().Registers().Write(0x410000F0 + 0x02000000u * port, 8);
    };
    for (uint8_t port : {0, 1}) {
        counters.SetIncoming(port, kIncoming, kIncomingBytes[port]);
        counters.SetTraffic(port, kSent, kSentBytes[port]);
    }
    startTx();
    ASSERT_TRUE(support::Eventually([] { return CountersOf(0).counter[BREVIXC_COUNTER_RX_PACKETS] >= 3 * kIncoming; }))
        << "traffic counted before the loss";

    sim::TesterControl control(*tester_, nullptr, support::TestNetwork().hostInterface);
    ASSERT_TRUE(control.Lose());
    EXPECT_FALSE(CallbackRecorder::Instance().WaitForType(0xFF00, support::kPatience).bytes.empty()) << "lost";
    ASSERT_TRUE(control.Return());
    EXPECT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    ASSERT_TRUE(support::Eventually([] {
        char model[64] = {};
        return BrevixC_SYS_DetectBrevixCDevice(model) == 1;
    })) << "found again";
    const auto connectStart = std::chrono::steady_clock::now();
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    startTx();
    ASSERT_TRUE(TwoPollRounds());

    for (uint8_t port : {0, 1}) {
        const BrevixC_PortCounters_T s = CountersOf(port);
        // The most a counter can have counted since its clear, early in the connect.
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - connectStart).count();
        const double received = (kIncoming + kSent) * seconds, sent = kSent * seconds;
        const uint64_t rxPackets = s.counter[BREVIXC_COUNTER_RX_PACKETS];
        ASSERT_GT(rxPackets, 0u) << "port " << int(port);
        ASSERT_GT(s.txPackets, 0u) << "port " << int(port);
        EXPECT_LE(double(rxPackets), received) << "port " << int(port);
        EXPECT_LE(double(s.rxBytes), received * 1500) << "port " << int(port);
        EXPECT_LE(double(s.txPackets), sent) << "port " << int(port);
        EXPECT_LE(double(s.txBytes), sent * kSentBytes[port]) << "port " << int(port);
        EXPECT_GE(s.rxBytes / rxPackets, 64u) << "port " << int(port);
        EXPECT_LE(s.rxBytes / rxPackets, 1522u) << "Rx bytes a frame, port " << int(port);
        EXPECT_GE(s.txBytes / s.txPackets, 64u) << "port " << int(port);
        EXPECT_LE(s.txBytes / s.txPackets, 1522u) << "Tx bytes a frame, port " << int(port);
    }

    // A poll reads the size classes and Rx Packet in different reads: while frames arrive they can
    // be one frame apart. With the traffic stopped, the next rounds read what the tester counted.
    for (uint8_t port : {0, 1}) {
        counters.SetIncoming(port, 0, kIncomingBytes[port]);
        counters.SetTraffic(port, 0, kSentBytes[port]);
    }
    ASSERT_TRUE(TwoPollRounds());
    ASSERT_TRUE(TwoPollRounds());
    for (uint8_t port : {0, 1}) {
        const BrevixC_PortCounters_T s = CountersOf(port);
        const uint64_t rxPackets = s.counter[BREVIXC_COUNTER_RX_PACKETS];
        uint64_t classes = 0;
        for (int slot = BREVIXC_COUNTER_SIZE_64; slot <= BREVIXC_COUNTER_SIZE_1024_1522; ++slot) {
            classes += s.counter[slot];
        }
        EXPECT_EQ(classes, rxPackets) << "the size classes, port " << int(port);
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, BrevixHConnectionTest, testing::Values(3, 4),
                         [](const auto& info) { return info.param == 3 ? "BrevixH" : "BrevixJ"; });

}  // namespace
