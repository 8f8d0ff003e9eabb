// The chart window in the running program: the main dialog's Chart button shows it, and its Update
// button redraws the charts every second and starts and stops the live counter window with it.
#include "../main/DialogBench.h"
#include "charts/ChartData.h"
#include "charts/ChartIds.h"
#include "res/resource.h"

#include <support/Waiting.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <vector>

using namespace appbench;

namespace {

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

// One more second of traffic on both ports, as the counter refresh hands it over.
void Feed(int second) {
    std::vector<uint64_t> rows(charts::kCounterRows, 0);
    for (int row = 16; row <= 29; ++row) rows[row] = static_cast<uint64_t>(second * (row - 15) * (row % 4 + second));
    charts::AddChartSample(rows.data(), rows.data(), charts::ChartTimeNow());
}

class ChartProgramTest : public DialogBench {};

TEST_F(ChartProgramTest, UpdateRedrawsTheChartsEverySecondAndDrivesTheLiveCounterWindow) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        // The main dialog's Chart button opens the window.
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        CChart& chart = dialog.chart;
        ASSERT_TRUE(chart.IsWindowVisible());
        const HWND window = chart.GetSafeHwnd();
        ClickTool(window, ID_CHART_PIE);
        ASSERT_TRUE(support::gui::IsShown(window, IDC_CHART_PIE_A));
        Feed(1);
        Feed(2);
        ClickTool(window, ID_CHART_UPDATE);
        EXPECT_FALSE(support::gui::IsEnabled(window, IDC_CHART_FROM_SAMPLE));

        // The chart window's own timer redraws the pies once the next second's sample is in.
        const HWND pie = ::GetDlgItem(window, IDC_CHART_PIE_A);
        const support::gui::Picture before = support::gui::CaptureWindow(pie);
        Feed(7);
        EXPECT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::CaptureWindow(pie).pixels != before.pixels; }, kPatienceMs));

        // Update off stops the live counter window's timer with the chart window's.
        ClickTool(window, ID_CHART_UPDATE);
        EXPECT_TRUE(support::gui::IsEnabled(window, IDC_CHART_FROM_SAMPLE));
        // Every sample is in the picker: the three fed here and those the live counter window's
        // refresh added meanwhile.
        EXPECT_GE(charts::chartData.samples, 3);
        EXPECT_EQ(static_cast<size_t>(charts::chartData.samples),
                  support::gui::ListItems(::GetDlgItem(window, IDC_CHART_TO_SAMPLE)).size());
        EXPECT_FALSE(::KillTimer(dialog.portCounterWindow.GetSafeHwnd(), CChart::kUpdateTimer));
        EXPECT_FALSE(::KillTimer(window, CChart::kUpdateTimer));
        ClickTool(window, ID_CHART_UPDATE);
        EXPECT_TRUE(::KillTimer(dialog.portCounterWindow.GetSafeHwnd(), CChart::kUpdateTimer));

        chart.ShowWindow(SW_HIDE);
        Exit(dialog);
    });
}

}  // namespace
