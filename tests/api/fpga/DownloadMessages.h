#pragma once
// What the FPGA download tests send, hear and find: a POF image file, the download's 0x0F00 status
// messages (status at byte 18, value at byte 20, little-endian), and the bit order the flash holds.

#include "sim/Link.h"
#include "support/CallbackRecorder.h"
#include "support/FpgaImageFile.h"

#include <cstddef>
#include <cstdint>

namespace download {

inline uint16_t Word(const support::HostMessage& m, size_t at) { return uint16_t(m.bytes[at] | m.bytes[at + 1] << 8); }

inline bool IsStatus(const support::HostMessage& m, uint16_t status, uint16_t value) {
    return m.Type() == 0x0F00 && m.bytes.size() == 60 && Word(m, 18) == status && Word(m, 20) == value;
}

using support::PofImage;
using support::Reversed;

}  // namespace download
