// The 93C56 EEPROM's words as the tester answers the identity reads of connect: every four input
// bytes are one word's answer (the word number, the EEPROM selector nibble, the data word low byte
// first), sent as the register pairs the EEPROM command register answers with.

#include "identity/Identity.h"
#include "protocol/ReplyDispatcher.h"
#include "protocol/Wire.h"
#include "runtime/HostMessages.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void __stdcall IgnoreMessage(const uint8_t*, int32_t, uint32_t, uint32_t) {}

void PutBig32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(value >> shift));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    capi::SetHostCallback(IgnoreMessage);
    capi::Identity::Instance().Reset();
    // One reply of at most 90 pairs, the most a frame of 1514 bytes holds.
    std::vector<uint8_t> body;
    for (size_t k = 0; k + 4 <= size && body.size() < 16 * 90; k += 4) {
        PutBig32(body, 0x40000030);
        PutBig32(body, 0x80000000u | uint32_t(data[k + 1] & 0x7F) << 24 | uint32_t(data[k]) << 16);
        PutBig32(body, 0xC0000030);
        PutBig32(body, uint32_t(data[k + 3]) << 8 | data[k + 2]);
    }
    capi::ReplyBody reply;
    reply.bytes = body.data();
    reply.length = body.size();
    reply.count = uint8_t(body.size() / 8);
    capi::DispatchReply(reply);
    return 0;
}
