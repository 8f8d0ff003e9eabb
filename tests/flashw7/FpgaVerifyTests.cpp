// Verify passes over time: the re-programming heartbeat across the tick count's wrap, and pages
// whose read-back fails.

#include "DownloadFixture.h"

namespace {

using namespace win7test;

TEST_F(FpgaDownloadTest, ReprogrammingHeartbeatComesAtMostOnceASecond) {
    // 80 pages to program again take a few seconds of the clock, across the tick count's wrap.
    for (size_t page = 1000; page < 1080; ++page) chip_.Flash().DropPagePrograms(page, 1);
    ASSERT_TRUE(Download(PofImage(400000)));

    const auto beats = window_.Phase(3);
    ASSERT_GE(beats.size(), 2u);
    for (const Progress& beat : beats) EXPECT_EQ(beat.value, 0);
    for (size_t i = 1; i < beats.size(); ++i) EXPECT_GT(beats[i].ticks - beats[i - 1].ticks, 1000u) << i;
    // They come between the first pass's last check and the second pass's start.
    const auto& all = window_.Messages();
    const auto first = std::find_if(all.begin(), all.end(), [](const Progress& p) { return p.phase == 3; });
    ASSERT_NE(first, all.begin());
    EXPECT_EQ(std::prev(first)->phase, 2u);
    EXPECT_EQ(std::prev(first)->value, 2400);
    EXPECT_EQ(VerifyPasses(), 2);
}

TEST_F(FpgaDownloadTest, PageReadAgainAfterAFailedReadBack) {
    chip_.FailReadsAt(77 * 256, 1);
    ASSERT_TRUE(Download(PofImage(50000)));

    // The page was not known to differ: it is read again, not programmed again.
    EXPECT_EQ(ProgrammedPages(host_.Calls()).size(), 5000u);
    EXPECT_EQ(VerifyPasses(), 2);
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{
                                            {L"SPI_STATUS_FAILED return false", L"Error"}}));
}

TEST_F(FpgaDownloadTest, PageThatNeverReadsBackIsNoSuccess) {
    chip_.FailReadsAt(77 * 256, 100);
    ASSERT_FALSE(Download(PofImage(50000)));
    EXPECT_EQ(VerifyPasses(), 3);
    EXPECT_EQ(window_.Messages().back().phase, 9u);
    EXPECT_TRUE(window_.Phase(5).empty());
    EXPECT_EQ(boxes_.Boxes().size(), 3u);
}

}  // namespace
