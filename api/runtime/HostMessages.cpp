#include "runtime/HostMessages.h"

#include <atomic>
#include <cstring>

namespace capi {
namespace {

// Written by BrevixC_SYS_Init on the host's thread, read by every thread that reports.
std::atomic<BrevixC_HostCallback> hostCallback{nullptr};

constexpr uint8_t kHeader[14] = {0x00, 0x22, 0x33, 0x44, 0x55, 0x66, 0x66, 0x55, 0x44, 0x33, 0x22, 0x00, 0x04, 0xFF};

}  // namespace

void InitHostMessage(uint8_t* buffer, uint16_t type) {
    std::memset(buffer, 0, kHostMessageBytes);
    std::memcpy(buffer, kHeader, sizeof kHeader);
    buffer[14] = static_cast<uint8_t>(type >> 8);
    buffer[15] = static_cast<uint8_t>(type);
}

void HostMessage::Put8(size_t offset, uint8_t value) { bytes_[offset] = value; }

void HostMessage::Put16(size_t offset, uint16_t value) {
    bytes_[offset] = static_cast<uint8_t>(value);
    bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void HostMessage::Put32(size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void HostMessage::Send(int32_t length, uint32_t stampSeconds, uint32_t stampMicroseconds) const {
    CallHostCallback(bytes_, length, stampSeconds, stampMicroseconds);
}

void SetHostCallback(BrevixC_HostCallback callback) { hostCallback = callback; }

void CallHostCallback(const uint8_t* message, int32_t length, uint32_t stampSeconds, uint32_t stampMicroseconds) {
    if (BrevixC_HostCallback callback = hostCallback.load()) callback(message, length, stampSeconds, stampMicroseconds);
}

void NotifyPortEvent(uint8_t port, int32_t event, int32_t value) {
    HostMessage message(BREVIXC_MSG_PORT_EVENT);
    message.Put16(BREVIXC_EVENT_PORT, port);
    message.Put32(BREVIXC_EVENT_CODE, static_cast<uint32_t>(event));
    message.Put32(BREVIXC_EVENT_VALUE, static_cast<uint32_t>(value));
    message.Send();
}

void NotifyDeviceLost(uint8_t code, int32_t value, uint32_t stampSeconds, uint32_t stampMicroseconds) {
    HostMessage message(BREVIXC_MSG_DEVICE_LOST);
    message.Put16(BREVIXC_LOST_CODE, code);
    message.Put32(BREVIXC_LOST_VALUE, static_cast<uint32_t>(value));
    message.Send(BREVIXC_MSG_LENGTH, stampSeconds, stampMicroseconds);
}

}  // namespace capi
