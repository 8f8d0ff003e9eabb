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

// The same loss, then the adapter is back for the next download of the run: it starts afresh,
// passes and leaves the image in the flash.
TEST_F(FpgaDownloadTest, ADownloadAfterAnAdapterLossPassesOnceTheAdapterIsBack) {
    window_.OnMessage([this](const Progress& p) {
        if (p.phase == 0 && p.value == 80) chip_.SetPresent(false);
        if (p.phase == 1) chip_.SetPresent(true);
    });
    ASSERT_FALSE(Download(PofImage(50000)));
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    window_.OnMessage(nullptr);
    chip_.SetPresent(true);

    const Bytes file = PofImage(50000);
    EXPECT_TRUE(Download(file));
    const Bytes stored = chip_.Flash().Contents(16, 50000);
    for (size_t i = 0; i < stored.size(); ++i) ASSERT_EQ(stored[i], Reversed(file[22 + i])) << i;
    EXPECT_EQ(boxes_.Boxes().size(), 2u) << "the second download showed no box";
}

// The same loss, and the adapter stays away: the next download finds it gone before the erase,
// fails with that look's boxes and leaves the flash as it was.
TEST_F(FpgaDownloadTest, ADownloadWhileTheAdapterIsStillGoneErasesNothing) {
    window_.OnMessage([this](const Progress& p) {
        if (p.phase == 0 && p.value == 80) chip_.SetPresent(false);
    });
    ASSERT_FALSE(Download(PofImage(50000)));
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    window_.OnMessage(nullptr);
    const size_t messages = window_.Messages().size();
    host_.ClearCalls();

    EXPECT_FALSE(Download(PofImage(50000)));
    ASSERT_TRUE(boxes_.WaitForBoxes(4, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_, 2), (Boxes{{L"No Device\r\n", L"Driver API"},
                                                  {L"WmiSpiSendCmd return false", L"Error"}}));
    EXPECT_EQ(window_.Messages().size(), messages) << "no phase began";
    for (const Bytes& block : CommandBlocks(host_.Calls()))
        EXPECT_FALSE(block.size() > 24 && block[24] == 0xC7) << "a chip erase reached the driver";
}

}  // namespace
