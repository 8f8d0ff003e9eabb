#include "usb/UsbExchange.h"

#include "runtime/PumpWait.h"

namespace capi {
namespace {

constexpr uint32_t kReadPauseMs = 50;

bool Passes(const UsbPacket& reply, uint8_t code, const UsbReplyTest& test) {
    return test ? test(reply) : reply[0] == code;
}

}  // namespace

bool AcknowledgedExchange(const UsbRequest& request, int reads, UsbPacket* reply, const UsbReplyTest& test,
                          uint32_t firstWaitMs) {
    UsbExchangeLock lock;
    if (!lock.Acquired()) return false;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    device.Write(request.packet, request.form);
    PumpWait(firstWaitMs);
    const uint8_t code = request.packet[0];
    return ReadReplies(
        reads, [&](const UsbPacket& r) { return Passes(r, code, test); }, reply);
}

bool ReadReplies(int reads, const UsbReplyTest& test, UsbPacket* reply) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    for (int i = 0; i < reads; ++i) {
        UsbPacket received{};
        if (device.Read(&received) && test(received)) {
            device.ReplyTaken();
            if (reply) *reply = received;
            return true;
        }
        if (i + 1 < reads) PumpWait(kReadPauseMs);
    }
    return false;
}

bool AwaitReply(uint8_t code, uint32_t deadlineMs, DWORD start, UsbPacket* reply, const UsbReplyTest& test,
                uint32_t pauseMs) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    for (DWORD elapsed = TicksSince(start); elapsed < deadlineMs; elapsed = TicksSince(start)) {
        // Without an open channel every read returns at once: nothing can come.
        if (!device.IsConnected()) return false;
        UsbPacket received{};
        if (device.Read(&received, deadlineMs - elapsed) && Passes(received, code, test)) {
            device.ReplyTaken();
            if (reply) *reply = received;
            return true;
        }
        if (pauseMs) PumpWait(pauseMs);
    }
    return false;
}

bool DeadlineExchange(const UsbRequest& request, uint32_t deadlineMs, UsbPacket* reply, const UsbReplyTest& test,
                      uint32_t pauseMs) {
    UsbExchangeLock lock;
    if (!lock.Acquired()) return false;
    UsbTesterDevice::Instance().Write(request.packet, request.form);
    return AwaitReply(request.packet[0], deadlineMs, GetTickCount(), reply, test, pauseMs);
}

}  // namespace capi
