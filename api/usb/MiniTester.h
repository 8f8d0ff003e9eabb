#pragma once
// The Quillet mini-testers' commands: single deadline exchanges of 2000 ms, and the chunked reads
// of counters, WLAN messages and the DHCP address list.

#include "usb/UsbExchange.h"

namespace capi {

// A command of only its code (report form) or with request data (the plain packet, from byte 2).
UsbRequest MiniCommand(uint8_t code);
UsbRequest MiniCommand(uint8_t code, const void* data, size_t length);
// One deadline exchange whose reply has byte 0 = the request's code.
int MiniExchange(const UsbRequest& request, UsbPacket* reply = nullptr);

constexpr size_t kMiniCounterRecord = 221;
constexpr size_t kDhcpListBytes = 17 * 60;

int MiniGetCounter(uint8_t* out, uint8_t port);
int MiniGetWlanMessageData(uint8_t* out, uint16_t length);
int MiniSendWlanCommand(const uint8_t* record62);
int MiniGetDhcpIpList(uint8_t* out);

}  // namespace capi
