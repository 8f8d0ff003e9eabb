#pragma once
// FPGA image files for the download tests of both flash libraries, and the bit order the flash
// holds their data in.

#include "sim/Link.h"

#include <cstddef>
#include <cstdint>

namespace support {

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

}  // namespace support
