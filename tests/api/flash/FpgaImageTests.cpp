// Image preparation on in-memory files of both kinds: the marks, the data window, the bit
// reversal of exactly that window and its check against the serial flash.

#include "FlashRecords.h"
#include "FpgaImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

// A file of `size` bytes: the mark, then bytes that never form a run of 0xFF.
Bytes ImageFile(const Bytes& mark, size_t size) {
    Bytes file(size);
    for (size_t i = 0; i < size; ++i) file[i] = uint8_t(0x10 + i % 0x60);
    std::copy(mark.begin(), mark.end(), file.begin());
    return file;
}

const Bytes kPof = {'P', 'O', 'F'};
const Bytes kSync = {0x55, 0xAA, 0x55, 0xAA};

void FillFF(Bytes& file, size_t at, size_t count) { std::fill_n(file.begin() + at, count, 0xFF); }

TEST(FpgaImageMark, BothKindsAreAcceptedAndNeighboursRefused) {
    const struct {
        const char* name;
        Bytes file;
        bool image;
    } cases[] = {
        {"POF", {'P', 'O', 'F', 0}, true},
        {"55 AA 55 AA", {0x55, 0xAA, 0x55, 0xAA}, true},
        {"POE", {'P', 'O', 'E', 0}, false},
        {"55 AA 55 AB", {0x55, 0xAA, 0x55, 0xAB}, false},
        {"POF alone", {'P', 'O', 'F'}, true},
        {"PO", {'P', 'O'}, false},
        {"55 AA 55 cut short", {0x55, 0xAA, 0x55}, false},
        {"empty", {}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(fpgaimage::HasImageMark(c.file.data(), c.file.size()), c.image) << c.name;
}

TEST(FpgaImageWindow, StartsAtTheFirstSixteenFFAndEndsAtTheFirst256FFFromE0000) {
    Bytes file = ImageFile(kPof, 0xE0000 + 0x1000);
    FillFF(file, 0x40, 15);  // one short of a run
    FillFF(file, 0x80, 16);
    FillFF(file, 0x100, 16);
    FillFF(file, 0xDFF80, 0x200);  // a run that begins before 0xE0000 and reaches past it
    EXPECT_EQ(fpgaimage::FindDataStart(file.data(), file.size()), 0x80u);
    EXPECT_EQ(fpgaimage::FindDataEnd(file.data(), file.size()), 0xE0000u);
}

TEST(FpgaImageWindow, MissingRunsGiveTheFileEnds) {
    const Bytes file = ImageFile(kSync, 5000);
    EXPECT_EQ(fpgaimage::FindDataStart(file.data(), file.size()), 0u);
    EXPECT_EQ(fpgaimage::FindDataEnd(file.data(), file.size()), 5000u) << "shorter than 0xE0000";

    Bytes large = ImageFile(kSync, 0xE0000 + 600);
    FillFF(large, 0xE0000 + 400, 200);  // cut by the end of the file: not a run
    FillFF(large, 0x1000, 256);         // before 0xE0000: only the start counts it
    EXPECT_EQ(fpgaimage::FindDataEnd(large.data(), large.size()), large.size());
    EXPECT_EQ(fpgaimage::FindDataStart(large.data(), large.size()), 0x1000u);
}

TEST(FpgaImageWindow, RunAtTheVeryEndCounts) {
    Bytes file = ImageFile(kPof, 0xE0000 + 256);
    FillFF(file, 0xE0000, 256);
    EXPECT_EQ(fpgaimage::FindDataEnd(file.data(), file.size()), 0xE0000u);
}

TEST(FpgaImagePreparation, ReversesTheBitsOfTheWindowOnly) {
    Bytes file = ImageFile(kPof, 2048);
    FillFF(file, 100, 16);
    file[116] = 0x01, file[117] = 0x80, file[118] = 0xA0, file[2047] = 0x0F, file[99] = 0x01;
    const Bytes original = file;
    fpgaimage::Window window;
    ASSERT_EQ(fpgaimage::PrepareImage(file, &window), fpgaimage::Preparation::Ready);
    EXPECT_EQ(window.start, 100u);
    EXPECT_EQ(window.end, 2048u);
    EXPECT_EQ(file[116], 0x80);
    EXPECT_EQ(file[117], 0x01);
    EXPECT_EQ(file[118], 0x05);
    EXPECT_EQ(file[2047], 0xF0);
    EXPECT_EQ(file[99], 0x01) << "before the window: untouched";
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 100, file.begin()));
    for (size_t i = 100; i < 2048; ++i) ASSERT_EQ(fpgaimage::ReverseBits(file[i]), original[i]) << i;
}

TEST(FpgaImagePreparation, UnknownFileIsLeftAlone) {
    Bytes file = ImageFile({'P', 'O', 'E'}, 64);
    const Bytes original = file;
    fpgaimage::Window window;
    EXPECT_EQ(fpgaimage::PrepareImage(file, &window), fpgaimage::Preparation::NotAnImage);
    EXPECT_EQ(file, original);
}

TEST(FpgaImagePreparation, WindowsAreCheckedAgainstTheFlash) {
    Bytes empty = ImageFile(kPof, 0xE0000 + 256);
    FillFF(empty, 0xE0000, 256);  // the first run of 16 is also the end run: nothing between
    const struct {
        const char* name;
        Bytes file;
        uint32_t pages;
        fpgaimage::Preparation result;
    } cases[] = {
        {"1000 bytes", ImageFile(kPof, 1000), 4, fpgaimage::Preparation::Ready},
        {"the mark alone", ImageFile(kPof, 3), 1, fpgaimage::Preparation::Ready},
        {"the whole flash", ImageFile(kSync, spiflash::kFlashSize), 8192, fpgaimage::Preparation::Ready},
        {"one byte past the flash", ImageFile(kSync, spiflash::kFlashSize + 1), 8193,
         fpgaimage::Preparation::UnfitForFlash},
        {"empty window", empty, 0, fpgaimage::Preparation::UnfitForFlash},
    };
    for (const auto& c : cases) {
        Bytes file = c.file;
        fpgaimage::Window window;
        EXPECT_EQ(fpgaimage::PrepareImage(file, &window), c.result) << c.name;
        EXPECT_EQ(fpgaimage::PageCount(window), c.pages) << c.name;
        EXPECT_EQ(fpgaimage::FitsFlash(window), c.result == fpgaimage::Preparation::Ready) << c.name;
        // An unfit window is still prepared: the USB-attached units store their image elsewhere.
        for (size_t i = window.start; i < window.end; i += 4099)
            ASSERT_EQ(fpgaimage::ReverseBits(file[i]), c.file[i]) << c.name << " at " << i;
    }
}

TEST(FpgaImagePages, ShortFileIsPaddedWithErasedBytesNotReadPast) {
    // 16 bytes 0xFF at offset 3 start the window; the file ends 1000 bytes into its first page.
    Bytes file = ImageFile(kPof, 3 + 16 + 1000);
    FillFF(file, 3, 16);
    fpgaimage::Window window;
    ASSERT_EQ(fpgaimage::PrepareImage(file, &window), fpgaimage::Preparation::Ready);
    const Bytes pages = fpgaimage::PagesFromStart(file, window, 5);
    ASSERT_EQ(pages.size(), 5u * 256);
    EXPECT_TRUE(std::equal(file.begin() + 3, file.end(), pages.begin()));
    EXPECT_EQ(std::count(pages.begin() + 1016, pages.end(), 0xFF), 5 * 256 - 1016);
}

TEST(FpgaImagePages, LongFileGivesOnlyThePagesAsked) {
    Bytes file = ImageFile(kSync, 4096);
    fpgaimage::Window window;
    ASSERT_EQ(fpgaimage::PrepareImage(file, &window), fpgaimage::Preparation::Ready);
    EXPECT_EQ(fpgaimage::PagesFromStart(file, window, 2), Bytes(file.begin(), file.begin() + 512));
}

TEST(FpgaImagePreparation, ReversalTableFollowsTheRule) {
    EXPECT_EQ(fpgaimage::ReverseBits(0x00), 0x00);
    EXPECT_EQ(fpgaimage::ReverseBits(0x01), 0x80);
    EXPECT_EQ(fpgaimage::ReverseBits(0x12), 0x48);
    EXPECT_EQ(fpgaimage::ReverseBits(0xF0), 0x0F);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(fpgaimage::ReverseBits(fpgaimage::ReverseBits(uint8_t(v))), v);
}

// The oracle: a run found by counting every byte from the search's start, and bits reversed one by
// one.
size_t FirstRunByCounting(const Bytes& file, size_t from, size_t run) {
    size_t length = 0;
    for (size_t i = from; i < file.size(); ++i) {
        length = file[i] == 0xFF ? length + 1 : 0;
        if (length == run) return i + 1 - run;
    }
    return file.size();
}

uint8_t ReversedBitByBit(uint8_t value) {
    uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit) reversed = uint8_t(reversed << 1 | (value >> bit & 1));
    return reversed;
}

// Random files of every length up to a few kilobytes, with stretches of 0xFF of every length near
// the run lengths, against the oracle, with the end search moved to offsets of their size.
TEST(FpgaImagePreparation, RandomFilesAgreeWithCountingEveryByte) {
    std::mt19937 random(31);
    for (int round = 0; round < 3000; ++round) {
        Bytes file(3 + random() % 3000);
        for (auto& b : file) b = uint8_t(random() % 4 == 0 ? 0xFF : random());
        for (int k = random() % 6; k > 0; --k) {
            const size_t at = random() % file.size();
            FillFF(file, at,
                   std::min<size_t>(file.size() - at, random() % 2 ? 14 + random() % 4 : 250 + random() % 12));
        }
        std::copy(kPof.begin(), kPof.end(), file.begin());
        const size_t searchFrom = random() % (file.size() + 8);
        const size_t start = FirstRunByCounting(file, 0, 16);
        const size_t expectedStart = start == file.size() ? 0 : start;
        const size_t expectedEnd = FirstRunByCounting(file, searchFrom, 256);
        const Bytes original = file;

        fpgaimage::Window window;
        fpgaimage::PrepareImage(file, &window, searchFrom);
        ASSERT_EQ(window.start, expectedStart) << "round " << round;
        ASSERT_EQ(window.end, expectedEnd) << "round " << round;
        for (size_t i = 0; i < file.size(); ++i) {
            const bool inside = i >= window.start && i < window.end;
            ASSERT_EQ(file[i], inside ? ReversedBitByBit(original[i]) : original[i])
                << "round " << round << " at " << i;
        }
    }
}

}  // namespace
