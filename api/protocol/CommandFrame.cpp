#include "protocol/CommandFrame.h"

#include "protocol/Wire.h"

#include <algorithm>
#include <cstring>

namespace capi {
namespace {

void Finish(CommandFrame& frame, uint32_t count, size_t bodyEnd) {
    frame.bytes[15] = static_cast<uint8_t>(count);
    frame.length = std::max(bodyEnd, kMinimumFrame);
}

// A count byte of 0 stands for 256 in the 32-bit sequential commands.
size_t SequentialCount(uint8_t countByte) { return countByte ? countByte : 256; }

}  // namespace

void BVT_InitCommandFrame(uint8_t* frame, uint8_t command) {
    std::memset(frame, 0xFF, 6);
    std::memcpy(frame + 6, kCommandSource, 6);
    frame[12] = static_cast<uint8_t>(kCommandEtherType >> 8);
    frame[13] = static_cast<uint8_t>(kCommandEtherType);
    frame[14] = command;
}

void BuildGeneralFrame(CommandFrame& frame, uint32_t count, const uint32_t* pairs) {
    BVT_InitCommandFrame(frame.bytes, kGeneral);
    for (uint32_t i = 0; i < 2 * count; ++i) PutBig32(frame.bytes + 16 + 4 * i, pairs[i]);
    Finish(frame, count, 16 + 8 * size_t(count));
}

void BuildGeneralReadFrame(CommandFrame& frame, uint32_t count, const uint32_t* addresses) {
    BVT_InitCommandFrame(frame.bytes, kGeneral);
    for (uint32_t i = 0; i < count; ++i) PutBig32(frame.bytes + 16 + 8 * i, addresses[i] | kReadFlag);
    Finish(frame, count, 16 + 8 * size_t(count));
}

void BuildSequentialReadFrame(CommandFrame& frame, Command command, uint32_t count, uint32_t start) {
    BVT_InitCommandFrame(frame.bytes, command);
    PutBig32(frame.bytes + 16, start);
    Finish(frame, count, 20);
}

void BuildSequentialWriteFrame(CommandFrame& frame, uint32_t count, uint32_t start, const uint32_t* values) {
    BVT_InitCommandFrame(frame.bytes, kSequentialWrite);
    PutBig32(frame.bytes + 16, start);
    for (uint32_t i = 0; i < count; ++i) PutBig32(frame.bytes + 20 + 4 * i, values[i]);
    Finish(frame, count, 20 + 4 * size_t(count));
}

size_t ReplyLength(uint8_t command, uint8_t count) {
    switch (command) {
    case kGeneral:
        return 16 + 8 * size_t(count);
    case kSequentialRead:
    case kSequentialWrite:
        return 20 + 4 * SequentialCount(count);
    case kSequentialRead64:
        return 20 + 8 * size_t(count);
    default:
        return 0;
    }
}

ReplyPattern ExpectedReply(const uint8_t* commandFrame) {
    ReplyPattern pattern;
    pattern.command = commandFrame[14];
    pattern.count = commandFrame[15];
    pattern.firstAddress = GetBig32(commandFrame + 16);
    pattern.length = ReplyLength(pattern.command, pattern.count);
    return pattern;
}

bool Answers(const ReplyPattern& pattern, const uint8_t* reply, size_t length) {
    return pattern.length != 0 && length >= pattern.length && length >= 20 && EtherTypeOf(reply) == kReplyEtherType &&
           reply[14] == pattern.command && reply[15] == pattern.count && GetBig32(reply + 16) == pattern.firstAddress;
}

}  // namespace capi
