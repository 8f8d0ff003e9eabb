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
#include <cstdlib>
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

// Both series lists as they are on the screen: each shows its swatches ("Rx Packet" red first) and
// its names in black, not the window's grey where the lists should be.
bool SeriesListsReadRight(HWND window) {
    for (int frame : {IDC_CHART_GRID_A_FRAME, IDC_CHART_GRID_B_FRAME}) {
        RECT area;
        ::GetWindowRect(::GetDlgItem(window, frame), &area);
        const HWND list = ::WindowFromPoint(POINT{area.left + 30, area.top + 10});
        if (list == nullptr) return false;
        const support::gui::Picture shown = support::gui::CaptureWindow(list);
        if (shown.Count(RGB(255, 0, 0)) <= 50 || shown.Count(RGB(0, 0, 0)) <= 50) return false;
    }
    return true;
}

// The program's loop runs until the lists read right (false when they never do).
bool SeriesListsComeToReadRight(HWND window) {
    return support::gui::PumpUntil([&] { return SeriesListsReadRight(window); }, kPatienceMs);
}

// The real mouse moved to a point of the screen, its left button held or not.
void RealMouseTo(POINT screen) {
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dx = (screen.x * 65536 + ::GetSystemMetrics(SM_CXSCREEN) - 1) / ::GetSystemMetrics(SM_CXSCREEN);
    move.mi.dy = (screen.y * 65536 + ::GetSystemMetrics(SM_CYSCREEN) - 1) / ::GetSystemMetrics(SM_CYSCREEN);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &move, sizeof move);
}

void RealButton(bool up) {
    INPUT press = {};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &press, sizeof press);
}

// A top-level window of this thread dragged by its caption with the real mouse, `grab` pixels from
// its left edge, until its top left corner is at `to`; false when it does not get there.
bool DragByCaption(HWND window, int grab, POINT to) {
    RECT place;
    ::GetWindowRect(window, &place);
    const int captionY = ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
    const POINT from{place.left + grab, place.top + captionY};
    const POINT target{to.x + grab, to.y + captionY};
    RealMouseTo(from);
    RealButton(false);
    for (int step = 1; step <= 8; ++step)
        RealMouseTo(POINT{from.x + (target.x - from.x) * step / 8, from.y + (target.y - from.y) * step / 8});
    RealButton(true);
    return support::gui::PumpUntil([&] {
        ::GetWindowRect(window, &place);
        return std::abs(place.left - to.x) <= 1 && std::abs(place.top - to.y) <= 1;
    }, kPatienceMs);
}

// The operator moves the chart window to the screen's right edge, below the main window's caption,
// and the main window to the left, so that the main window, in front or not, leaves both series
// lists in sight. True when the lists lie clear of it.
bool PlaceChartBesideTheMainWindow(CVorel_TAP_Test3Dlg& dialog) {
    const HWND chart = dialog.chart.GetSafeHwnd(), main = dialog.GetSafeHwnd();
    RECT chartPlace, mainPlace, lists;
    ::GetWindowRect(chart, &chartPlace);
    ::GetWindowRect(main, &mainPlace);
    ::GetWindowRect(::GetDlgItem(chart, IDC_CHART_GRID_A_FRAME), &lists);
    const int chartWidth = chartPlace.right - chartPlace.left, mainWidth = mainPlace.right - mainPlace.left;
    const int listsFromLeft = lists.left - chartPlace.left;
    const POINT chartTo{::GetSystemMetrics(SM_CXSCREEN) - chartWidth - 4,
                        mainPlace.top + ::GetSystemMetrics(SM_CYCAPTION) + 3 * ::GetSystemMetrics(SM_CYFRAME) + 8};
    if (!DragByCaption(chart, chartWidth / 8, chartTo)) return false;
    const POINT mainTo{chartTo.x + listsFromLeft - 16 - mainWidth, mainPlace.top};
    if (!DragByCaption(main, mainWidth - 160, mainTo)) return false;
    ::GetWindowRect(main, &mainPlace);
    for (int frame : {IDC_CHART_GRID_A_FRAME, IDC_CHART_GRID_B_FRAME}) {
        RECT list, overlap;
        ::GetWindowRect(::GetDlgItem(chart, frame), &list);
        if (::IntersectRect(&overlap, &list, &mainPlace) || list.right > ::GetSystemMetrics(SM_CXSCREEN)) return false;
    }
    return true;
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

int MillisecondOfTheSecond() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return now.wMilliseconds;
}

// Dispatches this thread's messages until the clock's millisecond within the second is at least
// `from` (and below `to`): polled, since no message need come meanwhile.
bool PumpUntilMillisecond(int from, int to) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const int now = MillisecondOfTheSecond();
        if (now >= from && now < to) return true;
        if (::GetTickCount() - start > kPatienceMs) return false;
        support::gui::PumpFor(2);
    }
}

std::vector<std::wstring> PickerTimes(HWND picker) {
    std::vector<std::wstring> times;
    const int count = int(::SendMessageW(picker, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[32] = {};
        ::SendMessageW(picker, CB_GETLBTEXT, WPARAM(i), LPARAM(text));
        times.push_back(text);
    }
    return times;
}

// Each sample of the history pickers has a time label of its own, also when the refresh was
// started near the end of a second and the program's thread is now and then busy at a whole
// second, as on a loaded machine.
TEST_F(ChartProgramTest, EverySampleInThePickersHasATimeOfItsOwn) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        const upgradetest::ExitAtEnd exitAtEnd(dialog);
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        const HWND window = dialog.chart.GetSafeHwnd();
        ASSERT_TRUE(dialog.chart.IsWindowVisible());
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kStopped, RefreshShown(dialog));
        const size_t before = PickerTimes(::GetDlgItem(window, IDC_CHART_FROM_SAMPLE)).size();

        ASSERT_TRUE(PumpUntilMillisecond(900, 1000));
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kRunning, RefreshShown(dialog));
        for (int second = 0; second < 10; ++second) {
            ASSERT_TRUE(PumpUntilMillisecond(0, 200));
            ASSERT_TRUE(PumpUntilMillisecond(880, 1000));
            // Every other second the thread is busy across the whole second.
            if (second % 2 == 0) ::Sleep(170);
        }
        support::gui::PumpFor(300);
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kStopped, RefreshShown(dialog));

        for (int picker : {IDC_CHART_FROM_SAMPLE, IDC_CHART_TO_SAMPLE}) {
            const std::vector<std::wstring> all = PickerTimes(::GetDlgItem(window, picker));
            const std::vector<std::wstring> times(all.begin() + std::min(before, all.size()), all.end());
            EXPECT_GE(times.size(), 8u);
            std::wstring listed;
            for (const std::wstring& time : times) listed += time + L" ";
            for (size_t i = 1; i < times.size(); ++i) {
                EXPECT_NE(times[i - 1], times[i]) << "two samples labelled alike: "
                                                  << std::string(listed.begin(), listed.end());
            }
        }
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
        EXPECT_TRUE(SeriesListsReadRight(window));

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

TEST_F(ChartProgramTest, TheSeriesListsReadRightAfterEachPressOfUpdate) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        const upgradetest::ExitAtEnd exitAtEnd(dialog);
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        const HWND window = dialog.chart.GetSafeHwnd();
        ASSERT_TRUE(PlaceChartBesideTheMainWindow(dialog));
        ASSERT_TRUE(SeriesListsComeToReadRight(window));
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kStopped, RefreshShown(dialog));
        EXPECT_TRUE(SeriesListsComeToReadRight(window)) << "Update off";
        ClickTool(window, ID_CHART_UPDATE);
        ASSERT_EQ(Refresh::kRunning, RefreshShown(dialog));
        EXPECT_TRUE(SeriesListsComeToReadRight(window)) << "Update on";
        support::gui::SavePng(support::gui::CaptureWindow(::GetDesktopWindow(), false),
                              support::gui::PicturePath(L"vorels-chart-lists-after-update"));
        dialog.chart.ShowWindow(SW_HIDE);
    });
}

TEST_F(ChartProgramTest, TheSeriesListsReadRightAfterALanguageSwitch) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        const upgradetest::ExitAtEnd exitAtEnd(dialog);
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        const HWND window = dialog.chart.GetSafeHwnd();
        ASSERT_TRUE(PlaceChartBesideTheMainWindow(dialog));
        ASSERT_TRUE(SeriesListsComeToReadRight(window));
        // The Language menu of the menu bar, by the pointer and the keys, with the chart window open.
        ASSERT_TRUE(upgradetest::ChooseMenuItem(dialog, L"Language", 1, [&] { return dialog.languageIndex == 3; }));
        EXPECT_TRUE(SeriesListsComeToReadRight(window)) << "in Japanese";
        support::gui::SavePng(support::gui::CaptureWindow(::GetDesktopWindow(), false),
                              support::gui::PicturePath(L"vorels-chart-lists-after-japanese"));
        ASSERT_TRUE(upgradetest::ChooseMenuItem(dialog, L"\u8a00\u8a9e", 0, [&] { return dialog.languageIndex == 0; }));
        EXPECT_TRUE(SeriesListsComeToReadRight(window)) << "back in English";
        dialog.chart.ShowWindow(SW_HIDE);
    });
}

// A whole FPGA download of a Brevix-CF through the Windows 7 library, on the dialog's own thread,
// with the chart window open: the refresh pauses for it and runs again after it.
TEST_F(ChartProgramTest, TheSeriesListsReadRightAfterAWindows7Download) {
    StartTester(1);
    ChooseFpgaImage(L"BREVIX-C_FPGA_V0102.pof", 20000);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_EQ(dialog.flashLibraryReady, 1) << "the library connected at start-up";
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        const HWND window = dialog.chart.GetSafeHwnd();
        ASSERT_TRUE(PlaceChartBesideTheMainWindow(dialog));
        ASSERT_TRUE(SeriesListsComeToReadRight(window));
        upgradetest::ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        upgradetest::Click(panel, IDC_UPGRADE_BROWSE);
        upgradetest::Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_EQ(upgradetest::Text(panel, IDC_UPGRADE_STATUS), L"Status: Finish!");
        ASSERT_EQ(Refresh::kRunning, RefreshShown(dialog));
        EXPECT_TRUE(SeriesListsComeToReadRight(window)) << "after the download";
        support::gui::SavePng(support::gui::CaptureWindow(::GetDesktopWindow(), false),
                              support::gui::PicturePath(L"vorels-chart-lists-after-win7-download"));
        dialog.chart.ShowWindow(SW_HIDE);
    });
}

}  // namespace
