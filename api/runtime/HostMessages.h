#pragma once
// Host messages: the records the library hands to the host callback. Each message is built in its
// producer's own buffer, which lives for the duration of the call only.

#include "BrevixCAPI.h"

#include <cstddef>
#include <cstdint>

namespace capi {

constexpr size_t kHostMessageBytes = sizeof(BrevixC_HostMessage_T);

// Clears a message buffer of kHostMessageBytes and writes the header with the given type.
void InitHostMessage(uint8_t* buffer, uint16_t type);

// A message under construction, on its producer's stack.
class HostMessage {
public:
    explicit HostMessage(uint16_t type) { InitHostMessage(bytes_, type); }
    uint8_t* Bytes() { return bytes_; }
    const uint8_t* Bytes() const { return bytes_; }
    // Little-endian, unaligned payload fields; the offset counts from the start of the message.
    void Put8(size_t offset, uint8_t value);
    void Put16(size_t offset, uint16_t value);
    void Put32(size_t offset, uint32_t value);
    // Hands the message to the host callback.
    void Send(int32_t length = BREVIXC_MSG_LENGTH, uint32_t stampSeconds = 0, uint32_t stampMicroseconds = 0) const;

private:
    uint8_t bytes_[kHostMessageBytes];
};

// The host callback registered by BrevixC_SYS_Init; a null callback is never called.
void SetHostCallback(BrevixC_HostCallback callback);
void CallHostCallback(const uint8_t* message, int32_t length, uint32_t stampSeconds, uint32_t stampMicroseconds);

// 0xFE00: a port or device event (port, event, value), stamps 0.
void NotifyPortEvent(uint8_t port, int32_t event, int32_t value);
// 0xFF00: the device is lost (value 255) or a PHY read timed out (value 254).
void NotifyDeviceLost(uint8_t code, int32_t value, uint32_t stampSeconds, uint32_t stampMicroseconds);

}  // namespace capi
