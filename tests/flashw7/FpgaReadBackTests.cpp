// Pages whose read-back fails: read again in the next pass, and never counted as verified.

#include "DownloadFixture.h"

namespace {

using namespace win7test;

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
