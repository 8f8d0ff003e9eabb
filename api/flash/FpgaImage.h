#pragma once
// The FPGA image file and its preparation for the serial flash, shared by BrevixCAPI and
// BrevixT_WIN7.
//
// A file is an image when it starts with "POF" or with 55 AA 55 AA. Its data window runs from the
// first run of 16 bytes 0xFF (offset 0 when there is none) to the first run of 256 bytes 0xFF that
// begins at or after offset 0xE0000 (the end of the file when there is none); a run counts only
// when it lies wholly inside the file. The flash takes the window bit-reversed (bit 7 becomes
// bit 0 ...): window byte k goes to flash address k.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fpgaimage {

constexpr size_t kStartRun = 16;
constexpr size_t kEndRun = 256;
constexpr size_t kEndSearchFrom = 0xE0000;

struct Window {
    size_t start = 0;
    size_t end = 0;
    size_t Length() const { return end - start; }
};

// False for a file of neither kind, and for one too short to hold its mark.
bool HasImageMark(const uint8_t* data, size_t size);
size_t FindDataStart(const uint8_t* data, size_t size);
size_t FindDataEnd(const uint8_t* data, size_t size);
uint8_t ReverseBits(uint8_t value);

// Checks the mark, finds the window and bit-reverses it in place; false (image untouched) for a
// file that is not an image.
bool PrepareImage(std::vector<uint8_t>& image, Window* window);

}  // namespace fpgaimage
