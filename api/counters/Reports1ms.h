#pragma once
// Handlers of the tester's 1 ms reports: the packet and byte rates, and the second map's counter
// stack history. Each becomes its host message.

#include "protocol/ReplyBody.h"

#include <cstdint>

namespace capi {

void SendPacketRate1ms(const ReplyBody& body);
void SendByteRate1ms(const ReplyBody& body);
void SendStackCounter1ms(uint8_t port, const ReplyBody& body);

}  // namespace capi
