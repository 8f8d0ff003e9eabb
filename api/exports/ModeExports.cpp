// Device modes: TAP, packet generator, and NIC mode on one port.

#include "BrevixCAPI.h"
#include "connection/DeviceMode.h"
#include "exports/ExportGuard.h"
#include "ports/Ports.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "responder/Responder.h"

namespace {

struct MacWords {
    uint32_t high;  // the first two bytes, in wire order
    uint32_t low;   // the last four
};

MacWords Words(const uint8_t (&mac)[6]) {
    return {uint32_t(mac[0]) << 8 | mac[1], uint32_t(mac[2]) << 24 | uint32_t(mac[3]) << 16 | uint32_t(mac[4]) << 8 | mac[5]};
}

// The tester's address filter for NIC mode.
constexpr uint8_t kAddressA[6] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
constexpr uint8_t kAddressB[6] = {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kAddressC[6] = {0x00, 0x00, 0x00, 0x00, 0x00, 0xB1};
constexpr uint8_t kAddressD[6] = {0x00, 0x00, 0x00, 0x00, 0x00, 0xB0};

int SetLoopbackOnBothPorts(uint8_t mode) { return capi::SetLoopback(0, mode) && capi::SetLoopback(1, mode); }

}  // namespace

extern "C" int __stdcall BrevixC_SYS_ChangeToTAPMode() {
    return capi::Guarded("BrevixC_SYS_ChangeToTAPMode", 0, [&]() -> int {
        capi::SetDeviceMode(capi::kTapMode);
        return SetLoopbackOnBothPorts(3);
    });
}

extern "C" int __stdcall BrevixC_SYS_ChangeToPGMode() {
    return capi::Guarded("BrevixC_SYS_ChangeToPGMode", 0, [&]() -> int {
        capi::SetDeviceMode(capi::kPacketGeneratorMode);
        return SetLoopbackOnBothPorts(0);
    });
}

extern "C" int __stdcall BrevixC_SYS_SetNICMode(uint8_t port, uint8_t mode) {
    return capi::Guarded("BrevixC_SYS_SetNICMode", 0, [&]() -> int {
        if (mode == 0x80 && capi::AutoReplyEnabled()) return 0;
        if (port > 1) return 0;
        if (capi::DeviceModeNow() != capi::kPacketGeneratorMode) BrevixC_SYS_ChangeToPGMode();
        const uint8_t other = port ^ 1;
        const uint32_t base = port * 0x02000000u;
        const bool on = mode & 1;
        uint32_t captureControl = 0;
        uint32_t captureOptions = 0;
        capi::RegisterImages::Instance().Update([&](capi::RegisterImageSet& images) {
            images.captureControl[port] = (images.captureControl[port] & ~0x101u) | (on ? 1u : 0u);
            // Only the host copy of the other port changes; its register is not written here.
            images.captureControl[other] &= ~0x101u;
            uint32_t options = (images.captureOptions[port] & ~0x9Cu) | (on ? 0x80u : 0u);
            if (mode != 0) options |= 0x1D;
            images.captureOptions[port] = options;
            captureControl = images.captureControl[port];
            captureOptions = options;
        });

        const MacWords a = Words(kAddressA), b = Words(kAddressB), c = Words(kAddressC), d = Words(kAddressD);
        const MacWords table[4] = {port == 0 ? a : c, port == 0 ? b : d, port == 0 ? c : a, port == 0 ? d : b};
        const uint32_t pairs[32] = {
            capi::reg::kHostRxAddress + base, a.high, capi::reg::kHostRxAddress + 4 + base, a.low,
            capi::reg::kHostRxAddress + 8 + base, b.high, capi::reg::kHostRxAddress + 0xC + base, b.low,
            capi::reg::kCaptureControl + base, captureControl, capi::reg::kCaptureOptions + base, captureOptions,
            capi::reg::kAddressTable, table[0].high, capi::reg::kAddressTable + 4, table[0].low,
            capi::reg::kAddressTable + 8, table[1].high, capi::reg::kAddressTable + 0xC, table[1].low,
            capi::reg::kAddressTable + 0x10, table[2].high, capi::reg::kAddressTable + 0x14, table[2].low,
            capi::reg::kAddressTable + 0x18, table[3].high, capi::reg::kAddressTable + 0x1C, table[3].low,
            capi::reg::kCaptureModeWord + base, 0x01000000, capi::reg::kHostSwitch, port == 0 ? 1u : 0x100u,
        };
        return BVT_GenW(16, pairs);
    });
}
