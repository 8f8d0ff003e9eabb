#include "FpgaImage.h"

#include "FlashRecords.h"

#include <algorithm>
#include <array>

namespace fpgaimage {
namespace {

// The offset of the first run of `run` bytes 0xFF at or after `from`; `size` when there is none.
size_t FindRun(const uint8_t* data, size_t size, size_t from, size_t run) {
    size_t length = 0;
    for (size_t i = from; i < size; ++i) {
        length = data[i] == 0xFF ? length + 1 : 0;
        if (length == run) return i + 1 - run;
    }
    return size;
}

constexpr std::array<uint8_t, 256> BuildReversalTable() {
    std::array<uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        uint8_t reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (value & (1 << bit)) reversed |= uint8_t(0x80 >> bit);
        table[value] = reversed;
    }
    return table;
}

constexpr std::array<uint8_t, 256> kReversed = BuildReversalTable();

}  // namespace

bool HasImageMark(const uint8_t* data, size_t size) {
    if (size >= 3 && data[0] == 'P' && data[1] == 'O' && data[2] == 'F') return true;
    return size >= 4 && data[0] == 0x55 && data[1] == 0xAA && data[2] == 0x55 && data[3] == 0xAA;
}

size_t FindDataStart(const uint8_t* data, size_t size) {
    const size_t start = FindRun(data, size, 0, kStartRun);
    return start == size ? 0 : start;
}

size_t FindDataEnd(const uint8_t* data, size_t size) { return FindRun(data, size, kEndSearchFrom, kEndRun); }

uint8_t ReverseBits(uint8_t value) { return kReversed[value]; }

uint32_t PageCount(const Window& window) {
    return uint32_t((window.Length() + spiflash::kPageSize - 1) / spiflash::kPageSize);
}

bool FitsFlash(const Window& window) { return window.Length() > 0 && window.Length() <= spiflash::kFlashSize; }

std::vector<uint8_t> PagesFromStart(const std::vector<uint8_t>& image, const Window& window, uint32_t pages) {
    std::vector<uint8_t> bytes(size_t(pages) * spiflash::kPageSize, 0xFF);
    if (window.start < image.size())
        std::copy_n(image.begin() + window.start, std::min(bytes.size(), image.size() - window.start), bytes.begin());
    return bytes;
}

Preparation PrepareImage(std::vector<uint8_t>& image, Window* window) {
    if (!HasImageMark(image.data(), image.size())) return Preparation::NotAnImage;
    window->start = FindDataStart(image.data(), image.size());
    window->end = FindDataEnd(image.data(), image.size());
    for (size_t i = window->start; i < window->end; ++i) image[i] = kReversed[image[i]];
    return FitsFlash(*window) ? Preparation::Ready : Preparation::UnfitForFlash;
}

}  // namespace fpgaimage
