// Ports, PHY and media.

#include "BrevixCPorts.h"
#include "connection/DeviceState.h"
#include "exports/ExportGuard.h"
#include "ports/MediaDetection.h"
#include "ports/PhyAccess.h"
#include "ports/PortControls.h"
#include "ports/PortMaps.h"
#include "ports/Ports.h"
#include "runtime/HostMessages.h"

using capi::PortsOf;

extern "C" uint16_t __stdcall BrevixC_PortConfig(BrevixC_PortConfig_T config) {
    return capi::Guarded("BrevixC_PortConfig", uint16_t(0), [&]() -> uint16_t {
        const capi::PortList ports = capi::PortsOfWord(config.port);
        if (ports.empty()) return 0;
        uint16_t result = 1;
        for (uint8_t p : ports) {
            if (!capi::ApplyPortConfig(p, config)) result = 0;
        }
        return result;
    });
}

extern "C" int __stdcall BrevixC_GetLinkStatus() {
    return capi::Guarded("BrevixC_GetLinkStatus", 0, [&]() -> int {
        return capi::RequestLinkStatus() ? 1 : 0;
    });
}

extern "C" int __stdcall BrevixC_SetSFP(uint8_t port, uint8_t mode) {
    return capi::Guarded("BrevixC_SetSFP", 0, [&]() -> int {
        // Without a tester to write to, a detection could never end: the last write, after which
        // it reports its end, could not go out.
        if (!capi::IsConnected() || capi::DeviceLost()) return 0;
        return capi::MediaDetection::Instance().Start(port, mode) ? 1 : 0;
    });
}

extern "C" int __stdcall BrevixC_GetSFPStatus(uint8_t port) {
    return capi::Guarded("BrevixC_GetSFPStatus", 0, [&]() -> int {
        return capi::SfpStatus(port);
    });
}

extern "C" int __stdcall BrevixC_EnableSFPShadow(uint8_t port, uint8_t enable) {
    return capi::Guarded("BrevixC_EnableSFPShadow", 0, [&]() -> int {
        return capi::EnableSfpShadow(port, enable);
    });
}

// Each value read reaches the host as a 0x0600 message (port, register, value).
extern "C" int __stdcall BrevixC_ReadPHY(uint8_t port, uint32_t reg) {
    return capi::Guarded("BrevixC_ReadPHY", 0, [&]() -> int {
        const capi::PortList ports = PortsOf(port);
        if (ports.empty()) return 0;
        const uint16_t number = uint16_t(reg & 0xFFFF);
        const uint16_t shadow = uint16_t(reg >> 16);
        for (uint8_t p : ports) {
            uint16_t value = 0;
            if (!capi::PhyRead(p, number, &value, shadow)) return 0;
            capi::HostMessage message(BREVIXC_MSG_PHY_READ);
            message.Put16(16, p);
            message.Put16(18, number);
            message.Put16(20, value);
            message.Send();
        }
        return 1;
    });
}

extern "C" int __stdcall BrevixC_WritePHY(uint8_t port, uint32_t reg, uint32_t value) {
    return capi::Guarded("BrevixC_WritePHY", 0, [&]() -> int {
        const capi::PortList ports = PortsOf(port);
        if (ports.empty()) return 0;
        for (uint8_t p : ports) {
            if (!capi::PhyWrite(p, uint16_t(reg & 0xFFFF), uint16_t(value), uint16_t(reg >> 16))) return 0;
        }
        return 1;
    });
}

extern "C" int __stdcall BrevixC_SetAutoMDIX(uint8_t port, uint16_t mode) {
    return capi::Guarded("BrevixC_SetAutoMDIX", 0, [&]() -> int {
        return capi::SetAutoMdix(port, mode);
    });
}

extern "C" int __stdcall BrevixC_SetLoopback(uint8_t port, uint8_t mode) {
    return capi::Guarded("BrevixC_SetLoopback", 0, [&]() -> int {
        return capi::SetLoopback(port, mode);
    });
}

extern "C" int __stdcall BrevixC_SetRxBERT(uint8_t port, uint32_t settings, uint16_t) {
    return capi::Guarded("BrevixC_SetRxBERT", 0, [&]() -> int {
        return capi::SetRxBert(port, settings);
    });
}

extern "C" int __stdcall BrevixC_SetRxDI(uint8_t port, uint8_t value) {
    return capi::Guarded("BrevixC_SetRxDI", 0, [&]() -> int {
        return capi::SetRxDi(port, value);
    });
}

extern "C" int __stdcall BrevixC_ReadOSCValue(uint8_t port) {
    return capi::Guarded("BrevixC_ReadOSCValue", 0, [&]() -> int {
        return capi::ReadOscillatorValue(port);
    });
}

extern "C" int __stdcall BrevixC_SetMediaType(BrevixC_MediaType_T media) {
    return capi::Guarded("BrevixC_SetMediaType", 0, [&]() -> int {
        return capi::ProgramMedia(media);
    });
}
