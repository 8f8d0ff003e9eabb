#pragma once
// Byte order helpers and the fixed values of the register protocol's frames.

#include <cstddef>
#include <cstdint>

namespace capi {

constexpr uint16_t kCommandEtherType = 0xFF03;
constexpr uint16_t kReplyEtherType = 0xFF04;
constexpr uint16_t kNoticeEtherType = 0xFF06;
constexpr uint16_t kIgnoredEtherType = 0xFFB4;

// The source address of every command frame the library sends (not the adapter's own address).
constexpr uint8_t kCommandSource[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x00};
// The source address of host messages; command frames from it are not the tester's.
constexpr uint8_t kHostMessageSource[6] = {0x66, 0x55, 0x44, 0x33, 0x22, 0x00};

// Bit 31 of a general command's address: a read.
constexpr uint32_t kReadFlag = 0x80000000u;

// Frames shorter than this are padded with zeros; the host adds no frame check sequence.
constexpr size_t kMinimumFrame = 60;
// Longest frame the frame matcher takes (an untagged Ethernet frame without its check sequence).
constexpr size_t kLongestDeviceFrame = 1514;

inline uint32_t GetBig32(const uint8_t* at) {
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}

inline uint16_t GetBig16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

inline void PutBig16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

inline void PutBig32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

// The broadcast Ethernet address.
constexpr uint8_t kBroadcast[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The EtherType of a frame of at least 14 bytes.
inline uint16_t EtherTypeOf(const uint8_t* frame) { return GetBig16(frame + 12); }

}  // namespace capi
