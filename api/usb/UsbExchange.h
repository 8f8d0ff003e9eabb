#pragma once
// The two exchange patterns every command of the channel uses, each with the channel to itself
// (UsbExchangeLock) from before its write to after its last read; the write first takes away what
// the unit sent that nobody read. No command sends its packet twice: a lost request shows only as
// a failed exchange.

#include "usb/UsbTesterDevice.h"

#include <functional>

namespace capi {

// A reply passes when it came and `test` (or, without one, its byte 0 = the expected code) holds.
using UsbReplyTest = std::function<bool(const UsbPacket& reply)>;

struct UsbRequest {
    UsbPacket packet{};
    UsbWriteForm form = UsbWriteForm::Report;

    explicit UsbRequest(uint8_t code, UsbWriteForm writeForm = UsbWriteForm::Report) : form(writeForm) {
        packet[0] = code;
    }
    void Put16(size_t at, uint16_t value) {
        packet[at] = uint8_t(value);
        packet[at + 1] = uint8_t(value >> 8);
    }
};

// Acknowledged exchange: write, pumped wait of `firstWaitMs` (150 ms by the protocol), then up to
// `reads` reads with a 50 ms pumped wait after each miss.
bool AcknowledgedExchange(const UsbRequest& request, int reads, UsbPacket* reply, const UsbReplyTest& test = {},
                          uint32_t firstWaitMs = 150);
// Deadline exchange: write, then reads until one passes or `deadlineMs` have passed since the
// write, `pauseMs` of pumped wait after each miss (0: reads follow each other at once).
bool DeadlineExchange(const UsbRequest& request, uint32_t deadlineMs, UsbPacket* reply, const UsbReplyTest& test = {},
                      uint32_t pauseMs = 50);
// Up to `reads` reads, a 50 ms pumped wait after each miss, for a reply that passes `test`; for
// callers that wrote already (with the channel).
bool ReadReplies(int reads, const UsbReplyTest& test, UsbPacket* reply);
// The read half of a deadline exchange, for callers that wrote already (with the channel).
bool AwaitReply(uint8_t code, uint32_t deadlineMs, DWORD start, UsbPacket* reply, const UsbReplyTest& test,
                uint32_t pauseMs);

inline uint16_t PacketLe16(const UsbPacket& p, size_t at) { return uint16_t(p[at] | p[at + 1] << 8); }

}  // namespace capi
