#include "FpgaImage.h"

#include "FlashRecords.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace fpgaimage {
namespace {

// The offset of the first run of `run` bytes 0xFF at or after `from`; `size` when there is none.
// memchr leaps over the bytes that cannot begin a run, so only the stretches of 0xFF are walked:
// an image of a megabyte costs little more than its runs.
size_t FindRun(const uint8_t* data, size_t size, size_t from, size_t run) {
    const uint8_t* const end = data + size;
    const uint8_t* at = data + std::min(from, size);
    while (size_t(end - at) >= run) {
        at = static_cast<const uint8_t*>(std::memchr(at, 0xFF, size_t(end - at)));
        if (!at) break;
        const uint8_t* stretch = at;
        while (stretch != end && *stretch == 0xFF && size_t(stretch - at) < run) ++stretch;
        if (size_t(stretch - at) == run) return size_t(at - data);
        at = stretch;
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

// Eight bytes a round: swapping the nibbles, then the bit pairs, then the bits of every byte of a
// word reverses each byte at once; the bytes left over go through the table.
void ReverseBitsInPlace(uint8_t* data, size_t length) {
    size_t done = 0;
    for (; length - done >= 8; done += 8) {
        uint64_t word;
        std::memcpy(&word, data + done, 8);
        word = (word & 0xF0F0F0F0F0F0F0F0u) >> 4 | (word & 0x0F0F0F0F0F0F0F0Fu) << 4;
        word = (word & 0xCCCCCCCCCCCCCCCCu) >> 2 | (word & 0x3333333333333333u) << 2;
        word = (word & 0xAAAAAAAAAAAAAAAAu) >> 1 | (word & 0x5555555555555555u) << 1;
        std::memcpy(data + done, &word, 8);
    }
    for (; done < length; ++done) data[done] = kReversed[data[done]];
}

}  // namespace

bool HasImageMark(const uint8_t* data, size_t size) {
    if (size >= 3 && data[0] == 'P' && data[1] == 'O' && data[2] == 'F') return true;
    return size >= 4 && data[0] == 0x55 && data[1] == 0xAA && data[2] == 0x55 && data[3] == 0xAA;
}

size_t FindDataStart(const uint8_t* data, size_t size) {
    const size_t start = FindRun(data, size, 0, kStartRun);
    return start == size ? 0 : start;
}

size_t FindDataEnd(const uint8_t* data, size_t size, size_t searchFrom) {
    return FindRun(data, size, searchFrom, kEndRun);
}

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

Preparation PrepareImage(std::vector<uint8_t>& image, Window* window, size_t endSearchFrom) {
    if (!HasImageMark(image.data(), image.size())) return Preparation::NotAnImage;
    window->start = FindDataStart(image.data(), image.size());
    window->end = FindDataEnd(image.data(), image.size(), endSearchFrom);
    ReverseBitsInPlace(image.data() + window->start, window->Length());
    return FitsFlash(*window) ? Preparation::Ready : Preparation::UnfitForFlash;
}

}  // namespace fpgaimage
