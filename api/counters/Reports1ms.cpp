#include "counters/Reports1ms.h"

#include "BrevixCAPI.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"

namespace capi {

void SendPacketRate1ms(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    const uint32_t rate = *value & 0x7FFF;
    Log("(API) Send 1ms packet rate, value = ", rate);
    HostMessage message(BREVIXC_MSG_PACKET_RATE_1MS);
    message.Put32(18, rate);
    message.Send();
}

void SendByteRate1ms(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    const uint32_t rate = *value & 0xFFFFFF;
    Log("(API) Send 1ms byte rate, value = ", rate);
    HostMessage message(BREVIXC_MSG_BYTE_RATE_1MS);
    message.Put32(18, rate);
    message.Send();
}

void SendStackCounter1ms(uint8_t, const ReplyBody& body) {
    Log("(DoCmd_StackCnt_1ms)");
    HostMessage message(BREVIXC_MSG_STACK_COUNTER_1MS);
    // A sequential reply: the start address, then up to 256 samples; 0xFFFFFFFF ends the list.
    for (size_t i = 0; i < 256 && body.Has(4 + 4 * i, 4); ++i) {
        const uint32_t sample = body.Word(4 + 4 * i);
        if (sample == 0xFFFFFFFF) {
            message.Put32(18 + 4 * i, 0xFFFFFFFF);
            break;
        }
        message.Put16(18 + 4 * i, static_cast<uint16_t>(sample >> 16));
        message.Put16(20 + 4 * i, static_cast<uint16_t>(sample & 0x7FFF));
    }
    message.Send(BREVIXC_MSG_STACK_COUNTER_LENGTH);
}

}  // namespace capi
