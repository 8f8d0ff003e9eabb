#pragma once
// What the FPGA download tests send, hear and find: a POF image file, the download's 0x0F00 status
// messages (status at byte 18, value at byte 20, little-endian), and the bit order the flash holds.

#include "sim/Link.h"
#include "support/CallbackRecorder.h"

#include <cstddef>
#include <cstdint>

namespace download {

inline uint16_t Word(const support::HostMessage& m, size_t at) { return uint16_t(m.bytes[at] | m.bytes[at + 1] << 8); }

inline bool IsStatus(const support::HostMessage& m, uint16_t status, uint16_t value) {
    return m.Type() == 0x0F00 && m.bytes.size() == 60 && Word(m, 18) == status && Word(m, 20) == value;
}

// A POF image: the mark, a header, a run of 16 bytes 0xFF and `data` bytes of pattern.
inline sim::Bytes PofImage(size_t data) {
    sim::Bytes file = {'P', 'O', 'F', 0, 0x12, 0x34};
    file.insert(file.end(), 16, 0xFF);
    for (size_t i = 0; i < data; ++i) file.push_back(uint8_t(i * 13 + 5));
    return file;
}

// A byte with its bits in the opposite order: the flash holds the image's data this way.
inline uint8_t Reversed(uint8_t v) {
    uint8_t r = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (v & (1 << bit)) r |= uint8_t(0x80 >> bit);
    return r;
}

}  // namespace download
