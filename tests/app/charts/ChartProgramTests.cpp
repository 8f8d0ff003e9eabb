// The chart window in the running program: the main dialog's Chart button shows it, its Update
// button and the live counter window's are one refresh, which a download pauses too, and the line
// charts keep to per-second values across a pause.
#include "../upgrade/UpgradeBench.h"
#include "charts/ChartData.h"
#include "charts/ChartDrawing.h"
#include "charts/ChartIds.h"
#include "counters/CounterIds.h"
#include "res/resource.h"

#include <support/Waiting.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <algorithm>
#include <vector>

using namespace appbench;

namespace {

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

// One more second of traffic on both ports, as the counter refresh hands it over.
void Feed(int second) {
    std::vector<uint64_t> rows(charts::kCounterRows, 0);
    for (int row = 16; row <= 29; ++row) rows[row] = static_cast<uint64_t>(second * (row - 15) * (row % 4 + second));
    charts::AddChartSample(rows.data(), rows.data(), charts::ChartTimeNow(), static_cast<uint32_t>(second));
}

bool TimerRuns(HWND window) {
    if (!::KillTimer(window, CChart::kUpdateTimer)) return false;
    ::SetTimer(window, CChart::kUpdateTimer, 1000, nullptr);
    return true;
}

// What both Update buttons and both timers say about the refresh: all four agree, or the answer is
// "disagree".
enum class Refresh { kRunning, kStopped, kDisagree };
Refresh RefreshShown(CVorel_TAP_Test3Dlg& dialog) {
    const HWND chart = dialog.chart.GetSafeHwnd(), counter = dialog.portCounterWindow.GetSafeHwnd();
    const HWND chartBar = ::FindWindowExW(chart, nullptr, TOOLBARCLASSNAMEW, nullptr);
    const bool seen[] = {::SendMessageW(chartBar, TB_ISBUTTONCHECKED, ID_CHART_UPDATE, 0) != 0,
                         dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE) != FALSE,
                         TimerRuns(chart), TimerRuns(counter)};
    if (std::all_of(std::begin(seen), std::end(seen), [](bool b) { return b; })) return Refresh::kRunning;
    if (std::none_of(std::begin(seen), std::end(seen), [](bool b) { return b; })) return Refresh::kStopped;
    return Refresh::kDisagree;
}

// The Rx Packet line of port A: its per-second values so far (the gaps left out).
std::vector<double> RxPacketsPerSecond() {
    std::vector<double> values;
    for (int s = 0; s < charts::chartData.samples; ++s) {
        const double value = charts::chartData.lineHistory[0][s];
        if (value < 1e300) values.push_back(value);
    }
    return values;
}

class ChartProgramTest : public upgradetest::UpgradeDialogTest {};

TEST_F(ChartProgramTest, UpdateRedrawsTheChartsEverySecondAndIsTheLiveCounterWindowsUpdate) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        const upgradetest::ExitAtEnd exitAtEnd(dialog);
        // The main dialog's Chart button opens the window, which updates as the counters do.
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        CChart& chart = dialog.chart;
        ASSERT_TRUE(chart.IsWindowVisible());
        const HWND window = chart.GetSafeHwnd();
        EXPECT_EQ(Refresh::kRunning, RefreshShown(dialog));
        EXPECT_FALSE(support::gui::IsEnabled(window, IDC_CHART_FROM_SAMPLE));
        ClickTool(window, ID_CHART_PIE);
        ASSERT_TRUE(support::gui::IsShown(window, IDC_CHART_PIE_A));

        // The chart window's own timer redraws the pies once the next second's sample is in.
        const HWND pie = ::GetDlgItem(window, IDC_CHART_PIE_A);
        Feed(1);
        const support::gui::Picture before = support::gui::CaptureWindow(pie);
        Feed(7);
        EXPECT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::CaptureWindow(pie).pixels != before.pixels; }, kPatienceMs));

        // Update off stops the live counter window's refresh with the chart window's.
        ClickTool(window, ID_CHART_UPDATE);
        EXPECT_EQ(Refresh::kStopped, RefreshShown(dialog));
        EXPECT_TRUE(support::gui::IsEnabled(window, IDC_CHART_FROM_SAMPLE));
        // Every sample is in the picker: the ones fed here and those the live counter window's
        // refresh added.
        EXPECT_GE(charts::chartData.samples, 2);
        EXPECT_EQ(static_cast<size_t>(charts::chartData.samples),
                  support::gui::ListItems(::GetDlgItem(window, IDC_CHART_TO_SAMPLE)).size());
        ClickTool(window, ID_CHART_UPDATE);
        EXPECT_EQ(Refresh::kRunning, RefreshShown(dialog));
        chart.ShowWindow(SW_HIDE);
    });
}

TEST_F(ChartProgramTest, ADownloadPausesTheOneRefreshAndBothUpdateButtonsShowItsEnd) {
    sim::FullTester& tester = StartTester(3);
    chosen_.Set(files_.Write(L"BREVIX-H_FPGA_V0102.pof", support::PofImage(6000)));
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        const upgradetest::ExitAtEnd exitAtEnd(dialog);
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        // The operator stops the refresh in the chart window...
        ClickTool(dialog.chart.GetSafeHwnd(), ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kStopped, RefreshShown(dialog));
        dialog.chart.ShowWindow(SW_HIDE);

        // ...then a download runs (and fails: the unit cannot be opened) and ends.
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        tester.Usb()->Unplug();
        upgradetest::Click(dialog.upgradePanel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.upgradePanel.downloadRunning; }, kPatienceMs));
        tester.Usb()->PlugIn();
        // Its end starts the refresh again: both windows show it.
        EXPECT_EQ(Refresh::kRunning, RefreshShown(dialog));
    });
}

TEST_F(ChartProgramTest, TheLinesKeepToPerSecondValuesAcrossAPauseOfTheRefresh) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        const upgradetest::ExitAtEnd exitAtEnd(dialog);
        // Past the start-up's own traffic, Clear Counter (answered Yes) empties the histories.
        ASSERT_TRUE(support::gui::PumpUntil([] { return charts::chartData.samples >= 12; }, kPatienceMs));
        ClickTool(dialog.GetSafeHwnd(), ID_CLEAR_COUNTER);
        ASSERT_LT(charts::chartData.samples, 3);
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        const HWND window = dialog.chart.GetSafeHwnd();
        ASSERT_TRUE(support::gui::PumpUntil([] { return RxPacketsPerSecond().size() >= 4; }, kPatienceMs));

        // Ten seconds without a sample while the tester's traffic goes on.
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kStopped, RefreshShown(dialog));
        const int paused = charts::chartData.samples;
        support::gui::PumpFor(10000);
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return charts::chartData.samples >= paused + 3; }, kPatienceMs));
        // Both series lists are still painted: their swatches ("Rx Packet" red first) and names.
        for (int frame : {IDC_CHART_GRID_A_FRAME, IDC_CHART_GRID_B_FRAME}) {
            RECT area;
            ::GetWindowRect(::GetDlgItem(window, frame), &area);
            const HWND list = ::WindowFromPoint(POINT{area.left + 30, area.top + 10});
            ASSERT_NE(nullptr, list);
            const support::gui::Picture shown = support::gui::CaptureWindow(list);
            EXPECT_GT(shown.Count(RGB(255, 0, 0)), 50);
            EXPECT_GT(shown.Count(RGB(0, 0, 0)), 50);
        }

        // No value is several seconds' traffic: each lies near the steady load's.
        std::vector<double> values = RxPacketsPerSecond();
        ASSERT_GE(values.size(), 6u);
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted[sorted.size() / 2];
        ASSERT_GT(median, 0);
        for (double value : values) EXPECT_LE(value, 3 * median) << testing::PrintToString(values);

        // And the live line is not flattened against the bottom of the plot by a spike: where the
        // newest samples are drawn, the red Rx Packet line stands above the plot's lower third.
        const HWND viewer = ::GetDlgItem(window, IDC_CHART_LINE_A);
        constexpr int kPlotTop = 30, kPlotHeight = 110, kPlotRight = charts::kLineChartWidth - 20;
        int highest = kPlotTop + kPlotHeight;
        const bool drawn = support::gui::PumpUntil(
            [&] {
                const support::gui::Picture picture = support::gui::CaptureWindow(viewer);
                highest = kPlotTop + kPlotHeight;
                for (int y = kPlotTop; y < kPlotTop + kPlotHeight; ++y) {
                    for (int x = kPlotRight - 12; x < kPlotRight; ++x) {
                        if (picture.At(x, y) == RGB(255, 0, 0)) highest = std::min(highest, y);
                    }
                }
                return highest < kPlotTop + kPlotHeight;
            },
            kPatienceMs);
        support::gui::SavePng(support::gui::CaptureWindow(window, false),
                              support::gui::PicturePath(L"vorels-chart-line-after-pause"));
        ASSERT_TRUE(drawn);
        EXPECT_LT(highest, kPlotTop + kPlotHeight * 2 / 3);
        dialog.chart.ShowWindow(SW_HIDE);
    });
}

}  // namespace
