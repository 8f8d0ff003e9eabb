// Ports, PHY and media.

#include "BrevixCPorts.h"
#include "ports/MediaDetection.h"
#include "ports/PhyAccess.h"
#include "ports/PortControls.h"
#include "ports/PortMaps.h"
#include "ports/Ports.h"
#include "runtime/HostMessages.h"

using capi::PortsOf;

extern "C" uint16_t __stdcall BrevixC_PortConfig(BrevixC_PortConfig_T config) {
    const capi::PortList ports = capi::PortsOfWord(config.port);
    if (ports.empty()) return 0;
    uint16_t result = 1;
    for (uint8_t p : ports) {
        if (!capi::ApplyPortConfig(p, config)) result = 0;
    }
    return result;
}

extern "C" int __stdcall BrevixC_GetLinkStatus() { return capi::RequestLinkStatus() ? 1 : 0; }

extern "C" int __stdcall BrevixC_SetSFP(uint8_t port, uint8_t mode) {
    return capi::MediaDetection::Instance().Start(port, mode) ? 1 : 0;
}

extern "C" int __stdcall BrevixC_GetSFPStatus(uint8_t port) { return capi::SfpStatus(port); }

extern "C" int __stdcall BrevixC_EnableSFPShadow(uint8_t port, uint8_t enable) {
    return capi::EnableSfpShadow(port, enable);
}

// Each value read reaches the host as a 0x0600 message (port, register, value).
extern "C" int __stdcall BrevixC_ReadPHY(uint8_t port, uint32_t reg) {
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
}

extern "C" int __stdcall BrevixC_WritePHY(uint8_t port, uint32_t reg, uint32_t value) {
    const capi::PortList ports = PortsOf(port);
    if (ports.empty()) return 0;
    for (uint8_t p : ports) {
        if (!capi::PhyWrite(p, uint16_t(reg & 0xFFFF), uint16_t(value), uint16_t(reg >> 16))) return 0;
    }
    return 1;
}

extern "C" int __stdcall BrevixC_SetAutoMDIX(uint8_t port, uint16_t mode) { return capi::SetAutoMdix(port, mode); }

extern "C" int __stdcall BrevixC_SetLoopback(uint8_t port, uint8_t mode) { return capi::SetLoopback(port, mode); }

extern "C" int __stdcall BrevixC_SetRxBERT(uint8_t port, uint32_t settings, uint16_t) {
    return capi::SetRxBert(port, settings);
}

extern "C" int __stdcall BrevixC_SetRxDI(uint8_t port, uint8_t value) { return capi::SetRxDi(port, value); }

extern "C" int __stdcall BrevixC_ReadOSCValue(uint8_t port) { return capi::ReadOscillatorValue(port); }

extern "C" int __stdcall BrevixC_SetMediaType(BrevixC_MediaType_T media) { return capi::ProgramMedia(media); }
