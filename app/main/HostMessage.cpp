#include "main/HostMessage.h"

#include <cstring>

uint16_t HostMessage::Type() const {
    if (!Has(14, 2)) return 0;
    uint16_t raw = 0;
    std::memcpy(&raw, &bytes_[14], 2);
    return SwapBytes16(raw);
}

uint16_t HostMessage::U16(size_t offset) const {
    return static_cast<uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

uint32_t HostMessage::U32(size_t offset) const {
    return static_cast<uint32_t>(bytes_[offset]) | (static_cast<uint32_t>(bytes_[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes_[offset + 2]) << 16) | (static_cast<uint32_t>(bytes_[offset + 3]) << 24);
}
