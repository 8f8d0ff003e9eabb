#pragma once
// Command frames of the register protocol (EtherType FF 03) and what their replies must look like.
//
// A frame: broadcast destination, source 02:5E:C1:0D:00:00, FF 03, the command (0 general pairs,
// 1 sequential read, 2 sequential write, 3 sequential 64-bit read), the low 8 bits of the count,
// then the body, big-endian, zero-padded to 60 bytes.

#include <cstddef>
#include <cstdint>

namespace capi {

enum Command : uint8_t {
    kGeneral = 0,
    kSequentialRead = 1,
    kSequentialWrite = 2,
    kSequentialRead64 = 3,
};

// The largest counts each command takes.
constexpr uint32_t kMaxGeneralCount = 32;
constexpr uint32_t kMaxSequentialCount = 256;
constexpr uint32_t kMaxSequential64Count = 128;

constexpr size_t kCommandFrameBytes = 2500;

struct CommandFrame {
    uint8_t bytes[kCommandFrameBytes] = {};
    size_t length = 0;
};

// Fills bytes 0-14 of a zeroed frame: addresses, EtherType and the command.
void BVT_InitCommandFrame(uint8_t* frame, uint8_t command);

// Builders; the counts are the caller's to check against the limits above.
// General pairs as given (address, value ...); a read has bit 31 of its address set.
void BuildGeneralFrame(CommandFrame& frame, uint32_t count, const uint32_t* pairs);
// General reads of the given addresses: each address with bit 31 set, then a zero value.
void BuildGeneralReadFrame(CommandFrame& frame, uint32_t count, const uint32_t* addresses);
// Sequential read (32-bit or 64-bit) of count registers from start.
void BuildSequentialReadFrame(CommandFrame& frame, Command command, uint32_t count, uint32_t start);
void BuildSequentialWriteFrame(CommandFrame& frame, uint32_t count, uint32_t start, const uint32_t* values);

// What the reply to a command frame repeats: command, count byte and first address (the first
// general address with its read flag, or the start address), and the length its body needs.
struct ReplyPattern {
    uint8_t command = 0;
    uint8_t count = 0;
    uint32_t firstAddress = 0;
    size_t length = 0;
};

ReplyPattern ExpectedReply(const uint8_t* commandFrame);
// A reply frame (EtherType FF 04) answers the command the pattern came from.
bool Answers(const ReplyPattern& pattern, const uint8_t* reply, size_t length);
// Bytes from the frame start that a reply's body covers, by its command and count byte (0 when
// the command is unknown).
size_t ReplyLength(uint8_t command, uint8_t count);

}  // namespace capi
