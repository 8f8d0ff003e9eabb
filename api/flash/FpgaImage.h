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
size_t FindDataEnd(const uint8_t* data, size_t size, size_t searchFrom = kEndSearchFrom);
uint8_t ReverseBits(uint8_t value);

// Pages of the serial flash that a window fills: 256 bytes each, the last one shorter.
uint32_t PageCount(const Window& window);
// A window fits the serial flash when it fills at least one page and at most all 8192: the page
// numbers of a longer one would wrap, and its tail would overwrite the first pages.
bool FitsFlash(const Window& window);

enum class Preparation {
    Ready,          // the window is bit-reversed and fits the serial flash
    NotAnImage,     // neither mark: the image is untouched
    UnfitForFlash,  // the window is bit-reversed, but empty or longer than the serial flash
};

// The bytes of `pages` whole flash pages from the window's start, as a download that programs a
// fixed number of pages writes them: the prepared image's bytes where the file has them, 0xFF (what
// erased flash holds) past the file's end, so that a short file is never read past its end.
std::vector<uint8_t> PagesFromStart(const std::vector<uint8_t>& image, const Window& window, uint32_t pages);

// Checks the mark, finds the window, bit-reverses it in place and checks it against the serial
// flash. A library that writes the serial flash programs only a Ready image; the USB-attached
// units store their image elsewhere and take an UnfitForFlash one as well. The libraries search
// for the end from the format's offset; a fuzzer moves it nearer, to explore the same search on
// files a fraction of the size.
Preparation PrepareImage(std::vector<uint8_t>& image, Window* window, size_t endSearchFrom = kEndSearchFrom);

}  // namespace fpgaimage
