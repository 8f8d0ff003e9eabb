// An adapter that goes away in the middle of a download.

#include "DownloadFixture.h"
#include "support/Waiting.h"

namespace {

using namespace win7test;

// The adapter goes away after the erase: the download ends at the first transaction that finds it
// gone, with that transaction's boxes alone, and fails.
TEST_F(FpgaDownloadTest, AnAdapterGoneAfterTheEraseEndsTheDownloadAtItsFirstFailure) {
    window_.OnMessage([this](const Progress& p) {
        if (p.phase == 0 && p.value == 80) chip_.SetPresent(false);
        // A page's progress means the download went on: the adapter comes back, so that it ends
        // rather than failing each of its 5000 pages with boxes.
        if (p.phase == 1) chip_.SetPresent(true);
    });
    EXPECT_FALSE(Download(PofImage(50000)));
    EXPECT_TRUE(window_.Phase(1).empty()) << "no page went on after the adapter was gone";
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{{L"No Device\r\n", L"Driver API"},
                                               {L"WmiSpiSendCmd return false", L"Error"}}));
}

}  // namespace
