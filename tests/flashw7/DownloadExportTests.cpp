// BrevixT_SYS_DownloadFPGAW7 on files it must refuse: the boxes, and a flash left as it was.

#include "BrevixTWin7.h"
#include "Win7Fixture.h"
#include "support/Waiting.h"

namespace {

using namespace win7test;

class DownloadExportTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
        ASSERT_TRUE(BrevixT_EEProm_Init_Win7());
        chip_.Flash().Load(0, {0x12, 0x34, 0x56});
        host_.ClearCalls();
    }
    void TearDown() override { BrevixT_EEProm_Shutdown_Win7(); }

    sim::DriverHost host_;
    sim::ChipDriver chip_{host_};
    support::BoxWatcher boxes_;
    TempFiles files_;
};

TEST_F(DownloadExportTest, MissingFileIsRefusedWithANote) {
    EXPECT_FALSE(BrevixT_SYS_DownloadFPGAW7(L"C:\\no such folder\\image.pof"));
    EXPECT_FALSE(BrevixT_SYS_DownloadFPGAW7(nullptr));
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_),
              (Boxes{{L"Can not open FPGA file!", L"Note"}, {L"Can not open FPGA file!", L"Note"}}));
    EXPECT_EQ(host_.CallCount(), 0u);
}

TEST_F(DownloadExportTest, WithoutAConnectionItIsRefusedWithOneBox) {
    BrevixT_EEProm_Shutdown_Win7();
    host_.ClearCalls();
    const size_t before = boxes_.Boxes().size();
    EXPECT_FALSE(BrevixT_SYS_DownloadFPGAW7(files_.Write(PofImage(1000)).c_str()));
    ASSERT_TRUE(boxes_.WaitForBoxes(before + 1, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_, before), (Boxes{{L"Services return false", L"Error"}}));
    EXPECT_EQ(host_.CallCount(), 0u) << "nothing reached the driver";
    EXPECT_EQ(chip_.Flash().Contents(0, 3), (Bytes{0x12, 0x34, 0x56}));
}

TEST_F(DownloadExportTest, BadOrShortFileErasesNothing) {
    Bytes neighbour = PofImage(1000);
    neighbour[2] = 'E';  // "POE"
    Bytes emptyWindow = {'P', 'O', 'F'};  // the mark, and no data behind it
    emptyWindow.resize(0xE0000, 0x11);
    emptyWindow.resize(0xE0000 + 256, 0xFF);
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"another mark", neighbour},
        {"shorter than its mark", {'P', 'O'}},
        {"empty", {}},
        {"no data in the window", emptyWindow},
    };
    for (const auto& c : cases) {
        const size_t before = boxes_.Boxes().size();
        EXPECT_FALSE(BrevixT_SYS_DownloadFPGAW7(files_.Write(c.file).c_str())) << c.name;
        ASSERT_TRUE(boxes_.WaitForBoxes(before + 1, support::kPatience)) << c.name;
        EXPECT_EQ(TextsAndCaptions(boxes_, before), (Boxes{{L"POF format error!", L"Error"}})) << c.name;
        EXPECT_EQ(host_.CallCount(), 0u) << c.name;
        EXPECT_EQ(chip_.Flash().Contents(0, 3), (Bytes{0x12, 0x34, 0x56})) << c.name;
    }
}

}  // namespace
