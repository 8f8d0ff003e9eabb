// A captured frame's headers as the capture panels show them: whatever the bytes, the reading stays
// inside the frame (the sanitizer watches), starts with the frame's own length, and never shows
// more layers than the frame has room for headers.

#include "capture/FrameHeaders.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<capture::HeaderLayer> layers = capture::DecodeFrameHeaders(data, size);
    if (layers.size() < 2 || layers[0].fields.empty()) __builtin_trap();
    if (layers[0].fields[0].value != std::to_string(size)) __builtin_trap();
    // Frame, Ethernet, then at least four bytes for every further header.
    if (layers.size() > 2 + size / 4) __builtin_trap();
    if (capture::FrameHexText(data, size).size() != size * 3) __builtin_trap();
    return 0;
}
