// Capture, host Rx, replay, host Tx and SDFR.

#include "BrevixCCapture.h"
#include "capture/Capture.h"
#include "capture/CaptureControl.h"
#include "capture/CaptureRegisters.h"
#include "capture/CaptureStore.h"
#include "capture/HostTxSdfr.h"
#include "connection/DeviceMode.h"
#include "exports/ExportGuard.h"
#include "ports/PortMaps.h"
#include "runtime/PumpWait.h"

#include <cstring>

using capi::PortsOf;
using capi::PortsOfWord;

namespace {

bool Generating() { return capi::DeviceModeNow() == capi::kPacketGeneratorMode; }

// Runs `each` for the ports a port number names, Port A first; stops at the first port that fails.
template <typename Each>
int EachPort(const capi::PortList& ports, Each each) {
    if (ports.empty()) return 0;
    for (uint8_t p : ports) {
        if (!each(p)) return 0;
    }
    return 1;
}

}  // namespace

extern "C" int __stdcall BrevixC_ReadRxCaptureBuffer(uint8_t port, BrevixC_CaptureVector** vector) {
    return capi::Guarded("BrevixC_ReadRxCaptureBuffer", 0, [&]() -> int {
        if (port > 2 || !vector) return 0;
        *vector = &capture_buffer[port];
        return 1;
    });
}

extern "C" int __stdcall BrevixC_PopCaptureBuffer(uint8_t port) { return port <= 2 ? 1 : 0; }

extern "C" int __stdcall BrevixC_SetHostRxConfiguration(BrevixC_HostRxConfig_T config) {
    return capi::Guarded("BrevixC_SetHostRxConfiguration", 0, [&]() -> int {
        uint32_t word;
        std::memcpy(&word, &config, 4);
        if (!Generating()) return 0;
        return EachPort(PortsOfWord(word), [&](uint8_t p) {
            return capi::HostRxConfigure(p, config.flags, config.address1, config.address2, config.option);
        });
    });
}

extern "C" int __stdcall BrevixC_StartHostRx(uint8_t port) {
    return capi::Guarded("BrevixC_StartHostRx", 0, [&]() -> int {
        return EachPort(PortsOf(port), [](uint8_t p) { return capi::SetHostRx(p, true); });
    });
}

extern "C" int __stdcall BrevixC_StopHostRx(uint8_t port) {
    return capi::Guarded("BrevixC_StopHostRx", 0, [&]() -> int {
        return EachPort(PortsOf(port), [](uint8_t p) {
            if (!capi::SetHostRx(p, false)) return 0;
            capi::PumpWait(50);
            return 1;
        });
    });
}

extern "C" int __stdcall BrevixC_ReplayPacketConfig(BrevixC_ReplayConfig_T config) {
    return capi::Guarded("BrevixC_ReplayPacketConfig", 0, [&]() -> int {
        return EachPort(PortsOfWord(config.port), [&](uint8_t p) {
            return capi::ReplayPortConfigure(p, config.modeWord, config.destination, config.source, config.tag);
        });
    });
}

extern "C" int __stdcall BrevixC_ReplayPackets(uint8_t port, uint16_t type) {
    return capi::Guarded("BrevixC_ReplayPackets", 0, [&]() -> int { return capi::SelectReplayType(port, type); });
}

extern "C" int __stdcall BrevixC_ExchangeVLAN(uint8_t port, uint8_t enable) {
    return capi::Guarded("BrevixC_ExchangeVLAN", 0, [&]() -> int { return capi::ExchangeVlan(port, enable); });
}

extern "C" int __stdcall BrevixC_SetRxCaptureConfiguration(BrevixC_RxCaptureConfig_T config) {
    return capi::Guarded("BrevixC_SetRxCaptureConfiguration", 0, [&]() -> int {
        const capi::PortList ports = PortsOfWord(config.port);
        if (ports.empty()) return 0;
        capi::KeepConfigurationText(config.text);
        return EachPort(ports, [&](uint8_t p) { return capi::CaptureConfigure(p, config); });
    });
}

extern "C" int __stdcall BrevixC_StartRxCapture(uint8_t port, uint32_t mode, uint16_t frameCount) {
    return capi::Guarded("BrevixC_StartRxCapture", 0, [&]() -> int {
        if (PortsOf(port).empty() || (mode & 0xFF) > 2) return 0;
        for (uint8_t p : PortsOf(port)) capi::CaptureState(p).sizeLimit = frameCount;
        if (port == 255) capi::CaptureState(2).sizeLimit = 2 * int32_t(frameCount);
        return capi::CaptureStart(port, mode & 0xFF);
    });
}

extern "C" int __stdcall BrevixC_StartRxCaptureInstant_Forward(uint8_t port, uint8_t enable) {
    return capi::Guarded("BrevixC_StartRxCaptureInstant_Forward", 0, [&]() -> int {
        if (PortsOf(port).empty()) return 0;
        return capi::InstantStart(port, enable);
    });
}

extern "C" int __stdcall BrevixC_StopRxCapture(uint8_t port) {
    return capi::Guarded("BrevixC_StopRxCapture", 0, [&]() -> int {
        return EachPort(PortsOf(port), [](uint8_t p) { return capi::CaptureStop(p); });
    });
}

extern "C" int __stdcall BrevixC_StopRxCaptureNext(uint8_t port, uint16_t frameCount) {
    return capi::Guarded("BrevixC_StopRxCaptureNext", 0, [&]() -> int {
        if (port == 255) return capi::StopCaptureNextBoth(frameCount);
        return EachPort(PortsOf(port), [&](uint8_t p) { return capi::BVT_StopCaptureNext(p, frameCount); });
    });
}

extern "C" int __stdcall BrevixC_CancelRxCapture(uint8_t port) {
    return capi::Guarded("BrevixC_CancelRxCapture", 0, [&]() -> int {
        if (PortsOf(port).empty()) return 0;
        return capi::BVT_CancelCapture(port);
    });
}

extern "C" int __stdcall BrevixC_SetTapRxCaptureMode(uint8_t port, uint8_t mode) {
    return capi::Guarded("BrevixC_SetTapRxCaptureMode", 0, [&]() -> int { return capi::SetTapCaptureMode(port, mode); });
}

extern "C" int __stdcall BrevixC_SetHostTxConfiguration(BrevixC_HostTxConfig_T config) {
    return capi::Guarded("BrevixC_SetHostTxConfiguration", 0, [&]() -> int {
        if (!Generating()) return 0;
        return EachPort(PortsOfWord(config.port), [&](uint8_t p) { return capi::HostTxConfigure(p, config); });
    });
}

extern "C" int __stdcall BrevixC_SetSDFRConfiguration(BrevixC_SdfrConfig_T config) {
    return capi::Guarded("BrevixC_SetSDFRConfiguration", 0, [&]() -> int {
        return EachPort(PortsOfWord(config.port), [&](uint8_t p) { return capi::SdfrConfigure(p, config); });
    });
}

extern "C" int __stdcall BrevixC_SetSDFREnable(uint8_t port, uint32_t value) {
    return capi::Guarded("BrevixC_SetSDFREnable", 0, [&]() -> int { return capi::SetSdfrEnable(port, value); });
}

extern "C" uint32_t __stdcall BrevixC_GetSDFREnable(uint8_t port) {
    return capi::Guarded("BrevixC_GetSDFREnable", 0u, [&]() -> uint32_t { return capi::SdfrEnable(port); });
}
