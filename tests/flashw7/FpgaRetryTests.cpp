// Programming again: a page that stays different, and the heartbeat while differing pages are
// programmed again, across the tick count's wrap.

#include "DownloadFixture.h"

namespace {

using namespace win7test;

TEST_F(FpgaDownloadTest, PageThatStaysDifferentFailsAfterThreePasses) {
    chip_.Flash().DropPagePrograms(42, 100);
    ASSERT_FALSE(Download(PofImage(20000)));

    const std::vector<int> pages = ProgrammedPages(host_.Calls());
    EXPECT_EQ(std::count(pages.begin(), pages.end(), 42), 3);  // programmed, then again in passes 2 and 3
    EXPECT_EQ(pages.size(), 5002u);
    EXPECT_EQ(VerifyPasses(), 3);
    EXPECT_EQ(window_.Messages().back().phase, 9u);
    EXPECT_EQ(window_.Messages().back().value, 0);
    EXPECT_TRUE(window_.Phase(5).empty());
}

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

}  // namespace
