// Splitting GIFs into frames: each frame's rectangle, delay and disposal, and files cut short or
// lying about their lengths give the frames they hold whole and nothing else.
#include "GifBuilder.h"
#include "picture/GifFrames.h"

#include <gtest/gtest.h>

namespace {

std::vector<GifFrameBlock> Frames(const std::vector<uint8_t>& file, GifLayout* layoutOut = nullptr) {
    GifLayout layout;
    if (!ReadGifLayout(file.data(), file.size(), &layout)) return {};
    if (layoutOut != nullptr) *layoutOut = layout;
    return ExtractGifFrames(file.data(), file.size(), layout);
}

TEST(GifFramesTest, EachFrameKeepsItsRectangleDelayAndDisposal) {
    const std::vector<uint8_t> file = gif::Build(20, 10, {{0, 0, 20, 10, gif::kRed, 10, 0},
                                                          {2, 3, 4, 5, gif::kBlue, 0, 2, true},
                                                          {6, 1, 3, 3, gif::kGreen, 5, 3}});
    GifLayout layout;
    const std::vector<GifFrameBlock> frames = Frames(file, &layout);
    EXPECT_EQ(20, layout.screenWidth);
    EXPECT_EQ(10, layout.screenHeight);
    EXPECT_EQ(12u, layout.colorTableSize);
    EXPECT_EQ(3, CountGifFrames(file.data(), file.size(), layout));
    ASSERT_EQ(3u, frames.size());
    const int expected[3][6] = {{0, 0, 20, 10, 10, 0}, {2, 3, 4, 5, 0, 2}, {6, 1, 3, 3, 5, 3}};
    for (size_t i = 0; i < 3; ++i) {
        const GifFrameBlock& f = frames[i];
        EXPECT_EQ(expected[i][0], f.left) << i;
        EXPECT_EQ(expected[i][1], f.top) << i;
        EXPECT_EQ(expected[i][2], f.width) << i;
        EXPECT_EQ(expected[i][3], f.height) << i;
        EXPECT_EQ(expected[i][4], f.delay) << i;
        EXPECT_EQ(expected[i][5], f.disposal) << i;
        // A stand-alone GIF: the source's header, screen and table, the frame, a trailer.
        ASSERT_GT(f.file.size(), layout.firstBlock + 1);
        EXPECT_TRUE(std::equal(file.begin(), file.begin() + static_cast<long>(layout.firstBlock), f.file.begin()));
        EXPECT_EQ(0x3B, f.file.back());
        EXPECT_EQ(1, CountGifFrames(f.file.data(), f.file.size(), layout));
    }
}

TEST(GifFramesTest, AFrameWithoutControlExtensionHasNoDelay) {
    const std::vector<GifFrameBlock> frames = Frames(gif::Build(8, 8, {{0, 0, 8, 8, gif::kRed, -1}, {0, 0, 8, 8, gif::kBlue, 7}}));
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(-1, frames[0].delay);
    EXPECT_EQ(0, frames[0].disposal);
    EXPECT_EQ(7, frames[1].delay);
}

TEST(GifFramesTest, EveryCutOfAFileGivesOnlyTheFramesItHoldsWhole) {
    const std::vector<uint8_t> file =
        gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 10}, {0, 0, 16, 16, gif::kBlue, 10}, {0, 0, 16, 16, gif::kGreen, 10}});
    // Where each frame's last byte lies: the frame is whole from there on.
    std::vector<size_t> ends;
    for (size_t length = 0; length <= file.size(); ++length) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(length));
        GifLayout layout;
        if (!ReadGifLayout(cut.data(), cut.size(), &layout)) {
            EXPECT_LT(length, 13u + 12u);
            continue;
        }
        const std::vector<GifFrameBlock> frames = ExtractGifFrames(cut.data(), cut.size(), layout);
        EXPECT_EQ(static_cast<int>(frames.size()), CountGifFrames(cut.data(), cut.size(), layout)) << length;
        if (frames.size() > ends.size()) ends.push_back(length);
        EXPECT_EQ(ends.size(), frames.size()) << length;  // never fewer than a shorter cut gave
    }
    ASSERT_EQ(3u, ends.size());
    EXPECT_EQ(file.size() - 1, ends[2]);  // the last frame is whole before the trailer
}

struct HostileCase {
    const char* name;
    std::vector<uint8_t> tail;  // after the header, screen descriptor and table
};

class HostileGifTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileGifTest, GivesNoFrameAndReadsNothingPastTheData) {
    std::vector<uint8_t> file = gif::Build(4, 4, {});
    file.pop_back();  // the trailer
    file.insert(file.end(), GetParam().tail.begin(), GetParam().tail.end());
    // A copy of exactly the data's size, so a read past it would leave the block.
    std::vector<uint8_t> exact(file);
    exact.shrink_to_fit();
    EXPECT_TRUE(Frames(exact).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileGifTest,
    testing::Values(HostileCase{"SubBlockLongerThanTheData", {0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 200, 1, 2, 3}},
                    HostileCase{"LocalTableBeyondTheData", {0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0x87, 2}},
                    HostileCase{"DescriptorCutShort", {0x2C, 0, 0, 0}},
                    HostileCase{"ControlExtensionCutShort", {0x21, 0xF9, 4}},
                    HostileCase{"ControlExtensionWithoutImage", {0x21, 0xF9, 4, 0, 10, 0, 0, 0}},
                    HostileCase{"ApplicationExtensionCutShort", {0x21, 0xFF, 11, 'N', 'E', 'T'}},
                    HostileCase{"SubBlocksWithoutTheirEnd", {0x21, 0xFE, 5, 'a', 'b', 'c', 'd', 'e'}},
                    HostileCase{"UnknownBlock", {0x99, 0x2C, 0, 0}}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

TEST(GifFramesTest, OnlyTheTwoGifVersionsAreGifs) {
    GifLayout layout;
    for (const char* version : {"87a", "89a"}) {
        const std::vector<uint8_t> file = gif::Build(4, 4, {{0, 0, 4, 4, gif::kRed, 10}}, version);
        EXPECT_TRUE(ReadGifLayout(file.data(), file.size(), &layout)) << version;
    }
    for (const char* version : {"90a", "8aa", "89b"}) {
        const std::vector<uint8_t> file = gif::Build(4, 4, {{0, 0, 4, 4, gif::kRed, 10}}, version);
        EXPECT_FALSE(ReadGifLayout(file.data(), file.size(), &layout)) << version;
    }
}

TEST(GifFramesTest, ShortDelaysShowForATenthOfASecond) {
    const int cases[][2] = {{-1, 100}, {0, 100}, {4, 100}, {5, 50}, {10, 100}, {250, 2500}};
    for (const auto& c : cases) EXPECT_EQ(static_cast<unsigned>(c[1]), FrameWaitMilliseconds(c[0])) << c[0];
}

}  // namespace
