// The progress panel: its range and steps each time it shows, its own stepping timer, and the
// clock the device event handler reads (started whenever the panel shows or hides).
#include "progress/ProgressBar.h"

#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Seams.h>
#include <support/gui/Windows.h>

#include <gtest/gtest.h>

namespace {

using namespace support::gui;

// One panel serves every case and starts each hidden: removing a shown top-level window costs the
// display seconds.
class ProgressBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sharedPanel = new CProgressBar;
        sharedPanel->Create();
    }
    static void TearDownTestSuite() {
        sharedPanel->DestroyWindow();
        delete sharedPanel;
        sharedPanel = nullptr;
        PumpPending();
    }
    void SetUp() override {
        ASSERT_NE(nullptr, panel.GetSafeHwnd());
        panel.ShowWindow(SW_HIDE);
    }
    int Position() { return panel.m_progress.GetPos(); }

    static CProgressBar* sharedPanel;
    CProgressBar& panel = *sharedPanel;
};

CProgressBar* ProgressBarTest::sharedPanel = nullptr;

TEST_F(ProgressBarTest, ShowingStartsTheStepsOverWithTheFullRange) {
    EXPECT_EQ(35, panel.m_stepTotal);
    panel.m_progress.SetRange(0, 5);
    panel.m_stepCount = 9;
    panel.m_progress.SetPos(3);
    panel.ShowWindow(SW_SHOWNA);
    EXPECT_EQ(0, panel.m_stepCount);
    int low = -1, high = -1;
    panel.m_progress.GetRange(low, high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(35, high);
    EXPECT_EQ(3, Position());  // whatever the owner set
    EXPECT_EQ(L"Detecting media, please wait!", ControlText(panel, -1));
}

TEST_F(ProgressBarTest, TheSteppingTimerRunsToTheEndAndClosesThePanel) {
    panel.ShowWindow(SW_SHOWNA);
    for (int tick = 0; tick < 34; ++tick) panel.SendMessage(WM_TIMER, CProgressBar::kStepTimer);
    EXPECT_EQ(33, Position());
    EXPECT_TRUE(panel.IsWindowVisible());
    panel.SendMessage(WM_TIMER, CProgressBar::kStepTimer);
    EXPECT_FALSE(panel.IsWindowVisible());
    EXPECT_EQ(0, Position());
}

TEST_F(ProgressBarTest, TheClockRestartsOnEveryShowAndHide) {
    FakeClock clock(1'700'000'000);
    panel.ShowWindow(SW_SHOWNA);
    EXPECT_EQ(clock.Now(), panel.StartTime());
    clock.Advance(12);
    EXPECT_EQ(12, panel.MeasureElapsed());
    EXPECT_EQ(12, panel.ElapsedSeconds());
    EXPECT_EQ(12, Position());
    EXPECT_FALSE(panel.LimitReached());
    clock.Advance(23);
    panel.MeasureElapsed();
    EXPECT_EQ(35, panel.LimitSeconds());
    EXPECT_TRUE(panel.LimitReached());
    panel.ShowWindow(SW_HIDE);
    EXPECT_EQ(clock.Now(), panel.StartTime());
    EXPECT_EQ(0, panel.ElapsedSeconds());
    EXPECT_FALSE(panel.LimitReached());
}

TEST_F(ProgressBarTest, PictureOfThePanel) {
    panel.CenterWindow();
    panel.ShowWindow(SW_SHOWNA);
    panel.m_progress.SetPos(14);
    const Picture picture = CaptureWindow(panel, false);
    SavePng(picture, PicturePath(L"progress-panel"));
    EXPECT_GT(picture.width, 100);
}

}  // namespace
