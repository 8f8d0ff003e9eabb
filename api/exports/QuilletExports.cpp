// The Quillet mini-testers' commands.

#include "BrevixCUsb.h"
#include "exports/ExportGuard.h"
#include "usb/MiniTester.h"

#include <cstring>

using capi::MiniCommand;
using capi::MiniExchange;
using capi::UsbPacket;

namespace {

enum Code : uint8_t {
    kGetMedia = 27,
    kSetMedia = 28,
    kLinkStatus = 29,
    kClearCounter = 31,
    kTxConfig = 34,
    kStartTx = 35,
    kStopTx = 36,
    kPortProperty = 37,
    kEntryConfig = 41,
    kWlanLength = 49,
    kSetAttenuation = 51,
    kGetAttenuation = 52,
    kRtTest = 64,
    kStartDhcp = 65,
    kDhcpStatus = 66,
    kStopDhcp = 67,
    kReleaseIp = 69,
    kSetIp = 80,
    kStopGetIp = 82,
    kStartSession = 96,
    kSessionStatus = 97,
    kStopSession = 98,
};

int Simple(uint8_t code) { return MiniExchange(MiniCommand(code)); }

int WithData(uint8_t code, const void* data, size_t length) { return MiniExchange(MiniCommand(code, data, length)); }

int WithPort(uint8_t code, uint16_t port) {
    const uint8_t data[2] = {uint8_t(port), uint8_t(port >> 8)};
    return WithData(code, data, sizeof data);
}

// A reply's bytes from `from` into out, on success only.
int Fetch(uint8_t code, void* out, size_t from, size_t length) {
    UsbPacket reply{};
    if (!MiniExchange(MiniCommand(code), &reply)) return 0;
    if (out) std::memcpy(out, &reply[from], length);
    return 1;
}

}  // namespace

extern "C" {

int __stdcall Quillet_GetMediaConfig(void* out) {
    return capi::Guarded("Quillet_GetMediaConfig", 0,
                         [&]() -> int { return Fetch(kGetMedia, out, 0, capi::kUsbPacket); });
}

int __stdcall Quillet_SetMediaConfig(uint32_t value) {
    return capi::Guarded("Quillet_SetMediaConfig", 0, [&]() -> int {
        const uint8_t data[3] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)};
        return WithData(kSetMedia, data, sizeof data);
    });
}

int __stdcall Quillet_GetLinkStatus(int* out) {
    return capi::Guarded("Quillet_GetLinkStatus", 0, [&]() -> int { return Fetch(kLinkStatus, out, 2, 4); });
}

int __stdcall Quillet_GetCounter(Quillet_Counter_T* out, uint8_t port) {
    return capi::Guarded("Quillet_GetCounter", 0,
                         [&]() -> int { return capi::MiniGetCounter(out ? out->bytes : nullptr, port); });
}

int __stdcall Quillet_ClearCounter(uint16_t port) {
    return capi::Guarded("Quillet_ClearCounter", 0, [&]() -> int { return WithPort(kClearCounter, port); });
}

int __stdcall Quillet_SetSWTxConfig(Quillet_SWTxConfig_T config) {
    return capi::Guarded("Quillet_SetSWTxConfig", 0,
                         [&]() -> int { return WithData(kTxConfig, config.bytes, sizeof config.bytes); });
}

int __stdcall Quillet_SetLWTxConfig(Quillet_LWTxConfig_T config) {
    return capi::Guarded("Quillet_SetLWTxConfig", 0,
                         [&]() -> int { return WithData(kTxConfig, config.bytes, sizeof config.bytes); });
}

int __stdcall Quillet_StartTx(uint16_t port) {
    return capi::Guarded("Quillet_StartTx", 0, [&]() -> int { return WithPort(kStartTx, port); });
}

int __stdcall Quillet_StopTx(uint16_t port) {
    return capi::Guarded("Quillet_StopTx", 0, [&]() -> int { return WithPort(kStopTx, port); });
}

int __stdcall Quillet_SetPortProprety(Quillet_PortProperty_T property) {
    return capi::Guarded("Quillet_SetPortProprety", 0,
                         [&]() -> int { return WithData(kPortProperty, property.bytes, sizeof property.bytes); });
}

int __stdcall Quillet_SetEntryConfig(Quillet_EntryConfig_T entry) {
    return capi::Guarded("Quillet_SetEntryConfig", 0,
                         [&]() -> int { return WithData(kEntryConfig, entry.bytes, sizeof entry.bytes); });
}

int __stdcall Quillet_SendWlanCommand(Quillet_WlanCommand_T command) {
    return capi::Guarded("Quillet_SendWlanCommand", 0,
                         [&]() -> int { return capi::MiniSendWlanCommand(command.bytes); });
}

int __stdcall Quillet_GetWlanMessageLength(uint16_t* out) {
    return capi::Guarded("Quillet_GetWlanMessageLength", 0, [&]() -> int { return Fetch(kWlanLength, out, 2, 2); });
}

int __stdcall Quillet_GetWlanMessageData(uint8_t* out, uint16_t length) {
    return capi::Guarded("Quillet_GetWlanMessageData", 0,
                         [&]() -> int { return capi::MiniGetWlanMessageData(out, length); });
}

int __stdcall Quillet_SetWlanAttenuation(int value) {
    return capi::Guarded("Quillet_SetWlanAttenuation", 0,
                         [&]() -> int { return WithPort(kSetAttenuation, uint16_t(value)); });
}

int __stdcall Quillet_GetWlanAttenuation(uint16_t* out) {
    return capi::Guarded("Quillet_GetWlanAttenuation", 0, [&]() -> int { return Fetch(kGetAttenuation, out, 2, 2); });
}

int __stdcall Quillet_RTTestInit(int value) {
    return capi::Guarded("Quillet_RTTestInit", 0, [&]() -> int {
        capi::UsbRequest request = MiniCommand(kRtTest, nullptr, 0);
        request.packet[1] = uint8_t(value);
        return MiniExchange(request);
    });
}

int __stdcall Quillet_StartDHCPTest() {
    return capi::Guarded("Quillet_StartDHCPTest", 0, [&]() -> int { return Simple(kStartDhcp); });
}

int __stdcall Quillet_GetDHCPTestStatus(uint8_t* out) {
    return capi::Guarded("Quillet_GetDHCPTestStatus", 0, [&]() -> int { return Fetch(kDhcpStatus, out, 2, 2); });
}

int __stdcall Quillet_StopDHCPTest() {
    return capi::Guarded("Quillet_StopDHCPTest", 0, [&]() -> int { return Simple(kStopDhcp); });
}

int __stdcall Quillet_GetDHCPIPList(uint8_t* out) {
    return capi::Guarded("Quillet_GetDHCPIPList", 0, [&]() -> int { return capi::MiniGetDhcpIpList(out); });
}

int __stdcall Quillet_ReleaseAllIP() {
    return capi::Guarded("Quillet_ReleaseAllIP", 0, [&]() -> int { return Simple(kReleaseIp); });
}

// Bytes 0-1 of the record and its six addresses (bytes 2-25) follow each other from packet byte 2.
int __stdcall Quillet_SetIP(Quillet_IPConfig_T config) {
    return capi::Guarded("Quillet_SetIP", 0, [&]() -> int { return WithData(kSetIp, config.bytes, 26); });
}

int __stdcall Quillet_StopGetIP() {
    return capi::Guarded("Quillet_StopGetIP", 0, [&]() -> int { return Simple(kStopGetIp); });
}

// The unit answers the IP status on the link-status code; its status fields reach the output.
int __stdcall Quillet_GetIPStatus(uint8_t* out) {
    return capi::Guarded("Quillet_GetIPStatus", 0, [&]() -> int { return Fetch(kLinkStatus, out, 2, 26); });
}

int __stdcall Quillet_StartSessionTest() {
    return capi::Guarded("Quillet_StartSessionTest", 0, [&]() -> int { return Simple(kStartSession); });
}

int __stdcall Quillet_GetSessionTestStatus(Quillet_SessionStatus_T* out) {
    return capi::Guarded("Quillet_GetSessionTestStatus", 0, [&]() -> int {
        UsbPacket reply{};
        if (!MiniExchange(MiniCommand(kSessionStatus), &reply)) return 0;
        if (out) {
            out->bytes[0] = reply[2];
            out->bytes[2] = reply[4];
            out->bytes[3] = reply[5];
        }
        return 1;
    });
}

int __stdcall Quillet_StopSessionTest() {
    return capi::Guarded("Quillet_StopSessionTest", 0, [&]() -> int { return Simple(kStopSession); });
}

}  // extern "C"
