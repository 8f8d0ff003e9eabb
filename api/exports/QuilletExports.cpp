// The Quillet mini-testers' commands.

#include "BrevixCUsb.h"
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

int __stdcall Quillet_GetMediaConfig(void* out) { return Fetch(kGetMedia, out, 0, capi::kUsbPacket); }

int __stdcall Quillet_SetMediaConfig(uint32_t value) {
    const uint8_t data[3] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)};
    return WithData(kSetMedia, data, sizeof data);
}

int __stdcall Quillet_GetLinkStatus(int* out) { return Fetch(kLinkStatus, out, 2, 4); }

int __stdcall Quillet_GetCounter(Quillet_Counter_T* out, uint8_t port) {
    return capi::MiniGetCounter(out ? out->bytes : nullptr, port);
}

int __stdcall Quillet_ClearCounter(uint16_t port) { return WithPort(kClearCounter, port); }

int __stdcall Quillet_SetSWTxConfig(Quillet_SWTxConfig_T config) {
    return WithData(kTxConfig, config.bytes, sizeof config.bytes);
}

int __stdcall Quillet_SetLWTxConfig(Quillet_LWTxConfig_T config) {
    return WithData(kTxConfig, config.bytes, sizeof config.bytes);
}

int __stdcall Quillet_StartTx(uint16_t port) { return WithPort(kStartTx, port); }
int __stdcall Quillet_StopTx(uint16_t port) { return WithPort(kStopTx, port); }

int __stdcall Quillet_SetPortProprety(Quillet_PortProperty_T property) {
    return WithData(kPortProperty, property.bytes, sizeof property.bytes);
}

int __stdcall Quillet_SetEntryConfig(Quillet_EntryConfig_T entry) {
    return WithData(kEntryConfig, entry.bytes, sizeof entry.bytes);
}

int __stdcall Quillet_SendWlanCommand(Quillet_WlanCommand_T command) { return capi::MiniSendWlanCommand(command.bytes); }

int __stdcall Quillet_GetWlanMessageLength(uint16_t* out) { return Fetch(kWlanLength, out, 2, 2); }

int __stdcall Quillet_GetWlanMessageData(uint8_t* out, uint16_t length) {
    return capi::MiniGetWlanMessageData(out, length);
}

int __stdcall Quillet_SetWlanAttenuation(int value) { return WithPort(kSetAttenuation, uint16_t(value)); }

int __stdcall Quillet_GetWlanAttenuation(uint16_t* out) { return Fetch(kGetAttenuation, out, 2, 2); }

int __stdcall Quillet_RTTestInit(int value) {
    capi::UsbRequest request = MiniCommand(kRtTest, nullptr, 0);
    request.packet[1] = uint8_t(value);
    return MiniExchange(request);
}

int __stdcall Quillet_StartDHCPTest() { return Simple(kStartDhcp); }
int __stdcall Quillet_GetDHCPTestStatus(uint8_t* out) { return Fetch(kDhcpStatus, out, 2, 2); }
int __stdcall Quillet_StopDHCPTest() { return Simple(kStopDhcp); }
int __stdcall Quillet_GetDHCPIPList(uint8_t* out) { return capi::MiniGetDhcpIpList(out); }
int __stdcall Quillet_ReleaseAllIP() { return Simple(kReleaseIp); }

// Bytes 0-1 of the record and its six addresses (bytes 2-25) follow each other from packet byte 2.
int __stdcall Quillet_SetIP(Quillet_IPConfig_T config) { return WithData(kSetIp, config.bytes, 26); }

int __stdcall Quillet_StopGetIP() { return Simple(kStopGetIp); }

// The unit answers the IP status on the link-status code; its status fields reach the output.
int __stdcall Quillet_GetIPStatus(uint8_t* out) { return Fetch(kLinkStatus, out, 2, 26); }

int __stdcall Quillet_StartSessionTest() { return Simple(kStartSession); }

int __stdcall Quillet_GetSessionTestStatus(Quillet_SessionStatus_T* out) {
    UsbPacket reply{};
    if (!MiniExchange(MiniCommand(kSessionStatus), &reply)) return 0;
    if (out) {
        out->bytes[0] = reply[2];
        out->bytes[2] = reply[4];
        out->bytes[3] = reply[5];
    }
    return 1;
}

int __stdcall Quillet_StopSessionTest() { return Simple(kStopSession); }

}  // extern "C"
