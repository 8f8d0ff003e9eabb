#include "usb/MiniTester.h"

#include "runtime/PumpWait.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace capi {
namespace {

enum Code : uint8_t { kCounter = 30, kWlanCommand = 48, kWlanData = 50, kDhcpList = 68 };

constexpr uint32_t kDeadlineMs = 2000;
constexpr uint32_t kReadPauseMs = 50;
constexpr size_t kChunk = 60;

}  // namespace

UsbRequest MiniCommand(uint8_t code) { return UsbRequest(code, UsbWriteForm::Report); }

UsbRequest MiniCommand(uint8_t code, const void* data, size_t length) {
    UsbRequest request(code, UsbWriteForm::Plain);
    if (data) std::memcpy(&request.packet[2], data, std::min(length, kUsbPacket - 2));
    return request;
}

int MiniExchange(const UsbRequest& request, UsbPacket* reply) {
    return DeadlineExchange(request, kDeadlineMs, reply) ? 1 : 0;
}

int MiniGetCounter(uint8_t* out, uint8_t port) {
    std::vector<uint8_t> work(4 * kChunk, 0);
    {
        UsbExchangeLock lock;
        if (!lock.Acquired()) return 0;
        for (uint8_t chunk = 0; chunk < 4; ++chunk) {
            const uint8_t data[2] = {chunk, port};
            UsbTesterDevice::Instance().Write(MiniCommand(kCounter, data, 2).packet, UsbWriteForm::Plain);
            UsbPacket reply{};
            if (!ReadReplies(
                    8, [](const UsbPacket& r) { return r[0] == kCounter; }, &reply))
                return 0;
            std::memcpy(&work[chunk * kChunk], &reply[4], kChunk);
        }
    }
    if (!out) return 0;
    std::memcpy(out, work.data(), kMiniCounterRecord - 1);
    out[kMiniCounterRecord - 1] = port;
    return 1;
}

int MiniGetWlanMessageData(uint8_t* out, uint16_t length) {
    if (length == 0) return 1;
    const size_t chunks = length / kChunk + (length % kChunk ? 1 : 0);
    std::vector<uint8_t> work(chunks * kChunk, 0);
    {
        UsbExchangeLock lock;
        if (!lock.Acquired()) return 0;
        for (size_t chunk = 0; chunk < chunks; ++chunk) {
            const uint8_t data[2] = {uint8_t(chunk), uint8_t(chunk >> 8)};
            UsbTesterDevice::Instance().Write(MiniCommand(kWlanData, data, 2).packet, UsbWriteForm::Plain);
            UsbPacket reply{};
            if (!ReadReplies(
                    6, [&](const UsbPacket& r) { return r[0] == kWlanData && PacketLe16(r, 2) == chunk; }, &reply))
                return 0;
            std::memcpy(&work[chunk * kChunk], &reply[4], kChunk);
        }
    }
    if (!out) return 0;
    std::memcpy(out, work.data(), length);
    return 1;
}

int MiniSendWlanCommand(const uint8_t* record62) {
    UsbExchangeLock lock;
    if (!lock.Acquired()) return 0;
    UsbTesterDevice::Instance().Write(MiniCommand(kWlanCommand, record62, 62).packet, UsbWriteForm::Plain);
    PumpWait(kReadPauseMs);
    // The record's byte 2 says how long the unit may take, in seconds: at most 5, plus one.
    const uint32_t deadline = std::min<uint32_t>(record62[2], 5) * 1000 + 1000;
    return AwaitReply(kWlanCommand, deadline, GetTickCount(), nullptr, {}, kReadPauseMs) ? 1 : 0;
}

int MiniGetDhcpIpList(uint8_t* out) {
    for (size_t i = 0; i < kDhcpListBytes / kChunk; ++i) {
        UsbPacket reply{};
        if (!MiniExchange(MiniCommand(kDhcpList), &reply)) return 0;
        if (out) std::memcpy(out + i * kChunk, &reply[2], kChunk);
    }
    return 1;
}

}  // namespace capi
