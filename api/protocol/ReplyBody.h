#pragma once
// A received reply's body (the bytes from offset 16 of the frame) as the hooks see it: every read
// is bounded by the received length.

#include "protocol/Wire.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace capi {

struct ReplyBody {
    const uint8_t* bytes = nullptr;
    size_t length = 0;  // bytes received from offset 16 on
    uint8_t command = 0;  // byte 14 of the frame: 0 general, 1 or 3 sequential read
    uint8_t count = 0;    // byte 15 of the frame
    uint32_t stampSeconds = 0;
    uint32_t stampMicroseconds = 0;

    bool Has(size_t offset, size_t size) const { return offset <= length && size <= length - offset; }
    // A big-endian word of the body; the caller checks Has first.
    uint32_t Word(size_t offset) const { return GetBig32(bytes + offset); }
    // The body from an offset on; empty when the offset lies beyond the received bytes.
    ReplyBody From(size_t offset) const {
        ReplyBody rest = *this;
        rest.bytes = bytes + (offset <= length ? offset : length);
        rest.length = offset <= length ? length - offset : 0;
        return rest;
    }
};

// The value word of a general reply's first pair (or the first word after a sequential reply's
// start address).
inline std::optional<uint32_t> FirstValue(const ReplyBody& body) {
    if (!body.Has(4, 4)) return std::nullopt;
    return body.Word(4);
}

}  // namespace capi
