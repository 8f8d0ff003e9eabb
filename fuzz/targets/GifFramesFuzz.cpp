// A GIF file split into its frames; every frame, a stand-alone GIF of its own, must read back as
// one whole frame.

#include "picture/GifFrames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifLayout layout;
    if (!ReadGifLayout(data, size, &layout)) return 0;
    const int count = CountGifFrames(data, size, layout);
    const std::vector<GifFrameBlock> frames = ExtractGifFrames(data, size, layout);
    if (frames.size() != size_t(count)) __builtin_trap();
    for (const GifFrameBlock& frame : frames) {
        GifLayout own;
        if (!ReadGifLayout(frame.file.data(), frame.file.size(), &own)) __builtin_trap();
        if (CountGifFrames(frame.file.data(), frame.file.size(), own) != 1) __builtin_trap();
        FrameWaitMilliseconds(frame.delay);
    }
    return 0;
}
