// Downloads whose pages all verify, at once or after programming again: the progress messages,
// what the flash holds afterwards and which pages were programmed.

#include "DownloadFixture.h"

namespace {

using namespace win7test;

TEST_F(FpgaDownloadTest, CleanDownloadReportsEveryPhaseAndLeavesTheReversedImage) {
    const Bytes file = PofImage(300000);
    ASSERT_TRUE(Download(file));

    // The flash holds the window (16 bytes 0xFF, then the data) bit-reversed, erased flash after it.
    const Bytes stored = chip_.Flash().Contents(0, 5000 * 256);
    for (size_t i = 0; i < 16; ++i) ASSERT_EQ(stored[i], 0xFF) << i;
    for (size_t i = 0; i < 300000; ++i) ASSERT_EQ(stored[16 + i], Reversed(file[22 + i])) << i;
    EXPECT_TRUE(std::all_of(stored.begin() + 300016, stored.end(), [](uint8_t b) { return b == 0xFF; }));

    const auto erase = window_.Phase(0);
    ASSERT_EQ(erase.size(), 31u);
    EXPECT_EQ(erase[0].value, 0);
    EXPECT_EQ(erase[1].value, 80);
    EXPECT_EQ(erase[15].value, 1200);
    EXPECT_EQ(erase[30].value, 2400);
    // One message after each second of the erase wait.
    for (size_t k = 2; k < erase.size(); ++k) EXPECT_EQ(erase[k].ticks - erase[k - 1].ticks, 1000u) << k;

    const auto program = window_.Phase(1);
    ASSERT_EQ(program.size(), 5000u);
    EXPECT_EQ(program[0].value, 0);
    EXPECT_EQ(program[1].value, 0);
    EXPECT_EQ(program[2].value, 1);  // page 2: 3 x 2400 / 5000
    EXPECT_EQ(program[2499].value, 1200);
    EXPECT_EQ(program[4999].value, 2400);

    const auto verify = window_.Phase(2);
    ASSERT_EQ(verify.size(), 5001u);
    EXPECT_EQ(verify[0].value, 0);
    EXPECT_EQ(verify[1].value, 0);
    EXPECT_EQ(verify[5000].value, 2400);
    EXPECT_TRUE(window_.Phase(3).empty());

    // The phases in order, then the end.
    const auto& all = window_.Messages();
    ASSERT_EQ(all.size(), 31u + 5000 + 5001 + 1);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const Progress& a, const Progress& b) {
        return a.phase < b.phase;
    }));
    EXPECT_EQ(all.back().phase, 5u);
    EXPECT_EQ(all.back().value, 0);
    EXPECT_EQ(ProgrammedPages(host_.Calls()).size(), 5000u);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(FpgaDownloadTest, DifferingPagesAreProgrammedOnceMoreInPageOrder) {
    chip_.Flash().DropPagePrograms(3000, 1);
    chip_.Flash().DropPagePrograms(7, 1);
    const Bytes file = PofImage(1200000);
    ASSERT_TRUE(Download(file));

    const std::vector<int> pages = ProgrammedPages(host_.Calls());
    ASSERT_EQ(pages.size(), 5002u);
    for (int m = 0; m < 5000; ++m) ASSERT_EQ(pages[m], m);
    EXPECT_EQ(pages[5000], 7);
    EXPECT_EQ(pages[5001], 3000);
    EXPECT_EQ(VerifyPasses(), 2);
    EXPECT_EQ(window_.Messages().back().phase, 5u);
    EXPECT_EQ(chip_.Flash().Contents(7 * 256 + 100, 1)[0], Reversed(file[22 + 7 * 256 + 100 - 16]));
    EXPECT_EQ(chip_.Flash().Contents(3000 * 256, 1)[0], Reversed(file[22 + 3000 * 256 - 16]));
}

}  // namespace
