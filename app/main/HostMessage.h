// A host message as the program keeps it: a copy of the library's buffer, read field by field.
// A field that lies beyond the copied length reads as absent, so that a short message cannot be
// read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class HostMessage {
public:
    HostMessage(const uint8_t* bytes, size_t length) : bytes_(bytes, bytes + length) {}

    // The type at bytes 14-15, big-endian; 0 when the message is shorter.
    uint16_t Type() const;
    // Whether `width` bytes from `offset` were copied.
    bool Has(size_t offset, size_t width) const { return offset + width <= bytes_.size(); }
    // Little-endian fields; callers test Has first.
    uint8_t U8(size_t offset) const { return bytes_[offset]; }
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    size_t Length() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

// The value with its two bytes exchanged.
inline uint16_t SwapBytes16(uint16_t value) { return static_cast<uint16_t>((value >> 8) | (value << 8)); }
