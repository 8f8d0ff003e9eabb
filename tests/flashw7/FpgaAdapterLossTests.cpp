// An adapter that goes away in the middle of a download.

#include "DownloadFixture.h"
#include "support/Waiting.h"

namespace {

using namespace win7test;

constexpr wchar_t kCommandClass[] = L"AX88172ASpiSendCommand_OID";

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

// The same loss, and the adapter stays away: the next download finds it gone before the erase and
// fails with that look's boxes. With no instance to write, no command of it could reach the chip;
// what tells that it went no further is that its status read's lookup was its only call.
TEST_F(FpgaDownloadTest, ADownloadWhileTheAdapterIsStillGoneTriesNothingAfterItsFirstLook) {
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
    const std::vector<sim::DriverCall> calls = host_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, L"SELECT * FROM AX88172ASpiSendCommand_OID");
}

// The adapter is there, but the status read's query fails: the download ends before the erase,
// where the chip would have taken every command that followed.
TEST_F(FpgaDownloadTest, AStatusReadThatFailsBeforeTheEraseErasesNothing) {
    const Bytes old = PofImage(2000);
    chip_.Flash().Load(0, old);
    chip_.FailQueries(kCommandClass, 0, 1);
    EXPECT_FALSE(Download(PofImage(50000)));
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{{L"WMI ExecQuery failed\r\n", L"Driver API"},
                                               {L"WmiSpiSendCmd return false", L"Error"}}));
    EXPECT_TRUE(window_.Messages().empty()) << "no phase began";
    EXPECT_EQ(chip_.Flash().Erases(), 0u);
    EXPECT_TRUE(CommandBlocks(host_.Calls()).empty()) << "no command reached the chip";
    EXPECT_EQ(chip_.Flash().Contents(0, old.size()), old);
}

}  // namespace
