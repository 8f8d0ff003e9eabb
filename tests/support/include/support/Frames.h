#pragma once
// Frames written from the wire formats for the tests, independently of the library's code.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace frames {

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}

inline uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

inline uint16_t Le16(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

inline uint32_t Le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// The source address of the library's command frames.
inline constexpr uint8_t kLibrarySource[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x00};

// A command frame of the library: its source address, EtherType FF 03 and room for a first word.
inline bool FromLibrary(const Bytes& f) {
    return f.size() >= 20 && std::equal(kLibrarySource, kLibrarySource + 6, f.begin() + 6) && f[12] == 0xFF &&
           f[13] == 0x03;
}

// A command frame as the library sends it: broadcast destination, the library's source, FF 03, the
// command and count bytes, then big-endian words from byte 16, padded to 60 bytes unless a length
// is given.
inline Bytes LibraryCommand(uint8_t command, uint8_t count, std::initializer_list<uint32_t> words,
                            size_t length = 60) {
    Bytes f(std::max(length, 16 + 4 * words.size()), 0);
    std::fill(f.begin(), f.begin() + 6, 0xFF);
    std::copy(kLibrarySource, kLibrarySource + 6, f.begin() + 6);
    f[12] = 0xFF, f[13] = 0x03, f[14] = command, f[15] = count;
    size_t at = 16;
    for (uint32_t w : words) Put32(f, at, w), at += 4;
    return f;
}

// A frame from the tester: broadcast destination, its own source, the EtherType, then bytes 14-15
// and big-endian words from byte 16, padded to 60 bytes unless a length is given.
inline Bytes TesterFrame(uint16_t etherType, uint8_t byte14, uint8_t byte15, std::initializer_list<uint32_t> words,
                         size_t length = 60) {
    Bytes f(std::max(length, 16 + 4 * words.size()), 0);
    for (int i = 0; i < 6; ++i) f[i] = 0xFF;
    const uint8_t source[6] = {0x02, 0x5E, 0xC1, 0x0D, 0xFF, 0x07};
    for (int i = 0; i < 6; ++i) f[6 + i] = source[i];
    f[12] = uint8_t(etherType >> 8), f[13] = uint8_t(etherType);
    f[14] = byte14, f[15] = byte15;
    size_t at = 16;
    for (uint32_t w : words) Put32(f, at, w), at += 4;
    return f;
}

inline Bytes Reply(uint8_t command, uint8_t count, std::initializer_list<uint32_t> words, size_t length = 60) {
    return TesterFrame(0xFF04, command, count, words, length);
}

// The header every host message starts with, for a type.
inline Bytes HostMessageHeader(uint16_t type) {
    return {0x00, 0x22, 0x33, 0x44, 0x55, 0x66, 0x66, 0x55, 0x44, 0x33, 0x22, 0x00, 0x04, 0xFF,
            uint8_t(type >> 8), uint8_t(type)};
}

// A whole host message of a type, its payload zero, to be filled with the little-endian writers.
inline Bytes EmptyHostMessage(uint16_t type, size_t length = 60) {
    Bytes m = HostMessageHeader(type);
    m.resize(length, 0);
    return m;
}

inline void PutLe16(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }
inline void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

}  // namespace frames
