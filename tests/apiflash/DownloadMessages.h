#pragma once
// What the FPGA download tests send and hear: a POF image file, and the download's 0x0F00 status
// messages (status at byte 18, value at byte 20, little-endian).

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

}  // namespace download
