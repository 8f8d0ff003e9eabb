// The USB unit's replies to the channel's commands, through the exchanges' reply matching and the
// commands' reading of the reply: a unit on the simulated USB tree answers, and the input forges
// its replies. Byte 0 picks the command; then one entry per reply the unit sends: a count byte
// (low 3 bits: stray packets sent before the reply, 64 bytes each from the input), the stray
// packets, and the bytes that replace the reply's data (its bytes from 6 on, 58 at most).

#include "usb/Usb.h"
#include "usb/UsbCommands.h"

#include "sim/DriverHost.h"
#include "sim/UsbTopology.h"
#include "sim/UsbUnit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Bench {
    sim::DriverHost host;
    sim::UsbTopology usb{host};
    std::unique_ptr<sim::UsbUnit> unit;

    Bench() {
        host.Start();
        host.Attach();
        unit = std::make_unique<sim::UsbUnit>(host, usb, usb.AddHostController(0, 4), 2);
        if (!capi::OpenUsbUnit()) std::abort();
    }
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

// Packets left over from the last input (replies after the reads gave up) would answer this one.
void DrainLeftovers() {
    capi::UsbDeviceLock lock;
    capi::UsbPacket packet{};
    while (capi::UsbTesterDevice::Instance().Read(&packet, 1)) {
    }
}

void RunCommand(uint8_t which) {
    uint8_t out[256] = {};
    uint32_t value = 0;
    uint16_t count = 0;
    int16_t ppm = 0;
    switch (which % 11) {
    case 0: capi::UsbReadRegister(0x0010, &value); break;
    case 1: capi::UsbGetTask(capi::UsbModel::Korrin, out, 3, 1); break;
    case 2: capi::UsbGetTask(capi::UsbModel::Dashel, out, 7, 0); break;
    case 3: capi::UsbGetLogCount(&count); break;
    case 4: capi::UsbGetSysInfo(out); break;
    case 5: capi::UsbGetSystemVersion(); break;
    case 6: capi::UsbGetRunName(reinterpret_cast<char*>(out)); break;
    case 7: capi::UsbGetSysConfig(out); break;
    case 8: capi::UsbGetEeprom(16, 8, out); break;
    case 9: capi::UsbGetVcxo(&ppm); break;
    default: capi::UsbGetSystemInfo(out); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Bench& bench = TheBench();
    DrainLeftovers();
    std::vector<sim::UsbUnit::ForgedReply> replies;
    size_t at = 1;
    while (at < size) {
        sim::UsbUnit::ForgedReply reply;
        const size_t strays = data[at++] & 7;
        for (size_t k = 0; k < strays && at < size; ++k) {
            const size_t n = std::min<size_t>(64, size - at);
            reply.before.emplace_back(data + at, data + at + n);
            at += n;
        }
        const size_t n = std::min<size_t>(58, size - at);
        reply.data.assign(data + at, data + at + n);
        at += n;
        replies.push_back(std::move(reply));
    }
    bench.unit->ForgeReplies(std::move(replies));
    RunCommand(data[0]);
    bench.unit->ClearFaults();
    return 0;
}
