// The live counter window in the real main dialog: its rows against the simulated tester's own
// counters for both ports, its link rows through a flap, Update (its own and the chart window's),
// Clear All, and demo mode.
#include "charts/ChartData.h"
#include "charts/ChartIds.h"
#include "counters/CounterIds.h"
#include "counters/CounterRows.h"
#include "CounterWindowBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

using namespace appbench;
using namespace countertest;
using support::gui::PumpFor;
using support::gui::PumpUntil;

namespace {

const DWORD kPatience = static_cast<DWORD>(support::kPatience.count());
constexpr COLORREF kErrorRed = RGB(189, 0, 0);

std::wstring Row(CVorel_TAP_Test3Dlg& dialog, int row) {
    return std::wstring(dialog.portCounterWindow.RowValue(row).GetString());
}

bool WaitForRow(CVorel_TAP_Test3Dlg& dialog, int row, const std::wstring& text) {
    return PumpUntil([&] { return Row(dialog, row) == text; }, kPatience);
}

void SavePicture(CVorel_TAP_Test3Dlg& dialog, const wchar_t* name) {
    PumpFor(300);
    support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false), support::gui::PicturePath(name));
}

class CounterWindowTest : public CounterWindowBench {
protected:
    // The refresh runs: Port A's Rx Packet row and the chart samples move on.
    static void ExpectRefreshRuns(CVorel_TAP_Test3Dlg& dialog) {
        const std::wstring shown = Row(dialog, counters::kRxPacketRow);
        const int samples = charts::chartData.samples;
        EXPECT_TRUE(PumpUntil(
            [&] { return Row(dialog, counters::kRxPacketRow) != shown && charts::chartData.samples > samples; },
            kPatience));
    }
    // The refresh stopped: while the tester counts three more seconds' worth of Port A's frames at
    // their current rate, the row and the chart samples keep what the last tick left.
    void ExpectRefreshHeld(CVorel_TAP_Test3Dlg& dialog) {
        const std::wstring shown = Row(dialog, counters::kRxPacketRow);
        const int samples = charts::chartData.samples;
        const uint64_t rate = tester_->Counters().Get(0, sim::CounterBanks::kRxPacketRate);
        ASSERT_GT(rate, 0u);
        const uint64_t level = tester_->Counters().Get(0, sim::CounterBanks::BlockA(11)) + 3 * rate;
        ASSERT_TRUE(
            PumpUntil([&] { return tester_->Counters().Get(0, sim::CounterBanks::BlockA(11)) >= level; }, kPatience));
        EXPECT_EQ(shown, Row(dialog, counters::kRxPacketRow));
        EXPECT_EQ(samples, charts::chartData.samples);
    }
    static bool UpdatePressed(CVorel_TAP_Test3Dlg& dialog) {
        return dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE) != FALSE;
    }
};

TEST_F(CounterWindowTest, EveryRowOfBothPortsShowsTheTestersCounters) {
    StartBusyTester();
    BoxAnswers boxes;
    RunAndExit([this](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        // Traffic with errors of every kind on both ports, then everything holds still.
        Control().StartErrorBurst(0);
        Control().StartErrorBurst(1);
        ASSERT_TRUE(
            PumpUntil([this] { return tester_->Counters().Get(1, sim::CounterBanks::BlockA(8)) > 0; }, kPatience));
        FreezeTraffic();
        for (int port : {0, 1}) {
            ShowPort(dialog, port);
            ASSERT_TRUE(PumpUntil([&] { return RowsMatch(dialog, port); }, kPatience)) << Mismatches(dialog, port);
            for (int row = counters::kTxPacketRow; row < counters::kRowCount; ++row) {
                if (counters::IsHeading(row)) continue;
                EXPECT_EQ(ExpectedRow(port, row), Row(dialog, row)) << "row " << row;
            }
            EXPECT_NE(L"0", Row(dialog, counters::kRxPacketRow)) << "the traffic counted";
            EXPECT_NE(L"0", Row(dialog, 12)) << "the burst's CRC errors counted";
            for (int heading : {15, 24, 30}) EXPECT_EQ(L"-", Row(dialog, heading));
            EXPECT_EQ(L"Link Up", Row(dialog, counters::kLinkRow));
            EXPECT_EQ(L"1000M Full", Row(dialog, counters::kSpeedRow));
            EXPECT_EQ(L"Copper", Row(dialog, counters::kTypeRow));
            // The error rows' labels are red.
            const support::gui::Picture tree =
                support::gui::CaptureWindow(dialog.portCounterWindow.counterTree.GetSafeHwnd());
            EXPECT_GT(tree.Count(kErrorRed), 50) << "port " << port;
            SavePicture(dialog, port == 0 ? L"vorels-counters-port-a" : L"vorels-counters-port-b");
        }
    });
}

TEST_F(CounterWindowTest, RefreshFeedsTheChartDataOnceATick) {
    StartBusyTester();
    BoxAnswers boxes;
    RunAndExit([](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        const int before = charts::chartData.samples;
        ASSERT_TRUE(PumpUntil([before] { return charts::chartData.samples >= before + 2; }, kPatience));
        const int last = charts::chartData.samples - 1;
        EXPECT_GT(charts::chartData.sampleTimes[last], charts::chartData.sampleTimes[last - 1]);
    });
}

TEST_F(CounterWindowTest, UpdateStopsTheRefreshAndStartsItAgain) {
    StartBusyTester();
    BoxAnswers boxes;
    RunAndExit([this](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        ExpectRefreshRuns(dialog);
        EXPECT_TRUE(UpdatePressed(dialog)) << "the refresh runs from the start";
        const HWND window = dialog.portCounterWindow.GetSafeHwnd();
        const HWND chart = dialog.chart.GetSafeHwnd();
        const HWND toolBar = dialog.portCounterWindow.counterToolBar.GetSafeHwnd();
        // The picture shows the page, not the start-up's media detection over it.
        ASSERT_TRUE(PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatience));

        ClickTool(window, ID_COUNTER_UPDATE);
        EXPECT_FALSE(UpdatePressed(dialog));
        ExpectRefreshHeld(dialog);
        EXPECT_TRUE(support::gui::IsEnabled(chart, IDC_CHART_FROM_SAMPLE)) << "the chart window compares";
        SavePicture(dialog, L"vorels-counters-update-off");
        const support::gui::Picture held = support::gui::CaptureWindow(toolBar);

        ClickTool(window, ID_COUNTER_UPDATE);
        EXPECT_TRUE(UpdatePressed(dialog));
        ExpectRefreshRuns(dialog);
        EXPECT_FALSE(support::gui::IsEnabled(chart, IDC_CHART_FROM_SAMPLE));
        EXPECT_NE(held.pixels, support::gui::CaptureWindow(toolBar).pixels) << "the button's look follows";
    });
}

TEST_F(CounterWindowTest, TheChartWindowsUpdateStopsAndStartsTheLiveRows) {
    StartBusyTester();
    BoxAnswers boxes;
    RunAndExit([this](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        ClickTool(dialog.GetSafeHwnd(), ID_CHART);
        const HWND chart = dialog.chart.GetSafeHwnd();
        ASSERT_TRUE(::IsWindowVisible(chart));

        // The chart window shows the one refresh running, as the counter window does: its first
        // press stops the rows, the next starts them again.
        EXPECT_TRUE(UpdatePressed(dialog));
        ExpectRefreshRuns(dialog);

        ClickTool(chart, ID_CHART_UPDATE);
        EXPECT_FALSE(UpdatePressed(dialog));
        ExpectRefreshHeld(dialog);

        ClickTool(chart, ID_CHART_UPDATE);
        EXPECT_TRUE(UpdatePressed(dialog));
        ExpectRefreshRuns(dialog);
        dialog.chart.ShowWindow(SW_HIDE);
    });
}

TEST_F(CounterWindowTest, LinkRowsFollowAFlapOfTheShownPort) {
    StartBusyTester();
    BoxAnswers boxes;
    RunAndExit([this](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 1);
        ASSERT_TRUE(WaitForRow(dialog, counters::kSpeedRow, L"1000M Full"));
        EXPECT_EQ("ok", Control().Execute("link b down").substr(0, 2));
        ASSERT_TRUE(WaitForRow(dialog, counters::kLinkRow, L"Link Down"));
        EXPECT_TRUE(WaitForRow(dialog, counters::kSpeedRow, L"n/a"));
        EXPECT_EQ(L"n/a", Row(dialog, counters::kTypeRow));
        SavePicture(dialog, L"vorels-link-down");

        // Port A's link stayed up.
        ShowPort(dialog, 0);
        EXPECT_TRUE(WaitForRow(dialog, counters::kLinkRow, L"Link Up"));
        EXPECT_TRUE(WaitForRow(dialog, counters::kSpeedRow, L"1000M Full"));

        ShowPort(dialog, 1);
        EXPECT_EQ("ok", Control().Execute("link b up").substr(0, 2));
        EXPECT_TRUE(WaitForRow(dialog, counters::kLinkRow, L"Link Up"));
        EXPECT_TRUE(WaitForRow(dialog, counters::kSpeedRow, L"1000M Full"));
        EXPECT_EQ(L"Copper", Row(dialog, counters::kTypeRow));
    });
}

TEST_F(CounterWindowTest, ClearCounterClearsTheShownPortOnTheTesterAndTheRows) {
    StartBusyTester();
    BoxAnswers boxes;
    RunAndExit([this, &boxes](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        ASSERT_TRUE(
            PumpUntil([this] { return tester_->Counters().Get(0, sim::CounterBanks::BlockA(11)) > 0; }, kPatience));
        FreezeTraffic();
        ASSERT_TRUE(PumpUntil([&] { return RowsMatch(dialog, 0); }, kPatience)) << Mismatches(dialog, 0);
        const uint64_t portBFrames = tester_->Counters().Get(1, sim::CounterBanks::BlockA(11));
        ASSERT_GT(portBFrames, 0u);

        const size_t boxesBefore = boxes.Boxes().size();
        ClickTool(dialog.GetSafeHwnd(), ID_CLEAR_COUNTER);
        ASSERT_EQ(boxesBefore + 1, boxes.Boxes().size());
        EXPECT_NE(0u, boxes.Boxes().back().type & MB_YESNO) << "the question, answered Yes";
        for (int row = counters::kRxPacketRow; row < counters::kRowCount; ++row)
            EXPECT_EQ(L"0", Row(dialog, row)) << row;
        EXPECT_EQ(0, charts::chartData.samples) << "the chart histories start again";
        EXPECT_EQ(0u, tester_->Counters().Get(0, sim::CounterBanks::BlockA(11))) << "port A cleared on the tester";
        EXPECT_EQ(portBFrames, tester_->Counters().Get(1, sim::CounterBanks::BlockA(11))) << "port B kept";

        // The next ticks show the cleared counters again, headings and all.
        ASSERT_TRUE(WaitForRow(dialog, counters::kSizeHeadingRow, L"-"));
        EXPECT_TRUE(PumpUntil([&] { return RowsMatch(dialog, 0); }, kPatience)) << Mismatches(dialog, 0);
        EXPECT_EQ(L"0", Row(dialog, counters::kRxPacketRow));
    });
}

TEST_F(CounterWindowTest, DemoValuesMoveWithALinkUpAtGigabit) {
    BoxAnswers boxes;
    RunAndExit([](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(IsDemoMode());
        ShowPort(dialog, 1);
        ASSERT_TRUE(WaitForRow(dialog, counters::kLinkRow, L"Link Up"));
        EXPECT_EQ(L"1000M Full", Row(dialog, counters::kSpeedRow));

        // Clear All empties the rows; the demo's next ticks move them again, all but the kinds it
        // never counts.
        ClickTool(dialog.GetSafeHwnd(), ID_CLEAR_COUNTER);
        EXPECT_EQ(L"0", Row(dialog, counters::kRxPacketRow));
        ASSERT_TRUE(PumpUntil([&] { return Row(dialog, counters::kRxPacketRow) != L"0"; }, kPatience));
        const std::wstring first = Row(dialog, counters::kRxPacketRow);
        EXPECT_TRUE(PumpUntil([&] { return Row(dialog, counters::kRxPacketRow) != first; }, kPatience));
        for (int row : {12, 13, 14, 16, 23, 28, 29, 32}) EXPECT_EQ(L"0", Row(dialog, row)) << row;
        EXPECT_EQ(L"1000M Full", Row(dialog, counters::kSpeedRow));
    });
}

TEST_F(CounterWindowTest, ToolbarTipsAreTheCommandsLabels) {
    BoxAnswers boxes;
    RunAndExit([](CVorel_TAP_Test3Dlg& dialog) {
        CCounterWindow& window = dialog.portCounterWindow;
        const std::pair<UINT, const wchar_t*> tips[] = {
            {ID_COUNTER_SAVE, L"Save"}, {ID_COUNTER_UPDATE, L"Update"}, {ID_COUNTER_CLEAR_ALL, L"Clear All"}};
        for (const auto& [command, text] : tips) {
            NMTTDISPINFOW request{};
            request.hdr.hwndFrom = window.counterToolBar.GetSafeHwnd();
            request.hdr.idFrom = command;
            request.hdr.code = TTN_NEEDTEXTW;
            window.SendMessage(WM_NOTIFY, command, reinterpret_cast<LPARAM>(&request));
            EXPECT_STREQ(text, request.szText);
        }
    });
}

// Whatever size the page owner gives the window (the main dialog's frame differs with its font),
// the toolbar runs along its top and the tree takes all the rest.
TEST(CounterWindowLayout, TheTreeFillsTheWindowBelowTheToolbarAtEverySize) {
    AfxSetResourceHandle(AfxGetInstanceHandle());
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, L"STATIC", L"counter window host", WS_POPUP, 0, 0, 1000, 700, nullptr, nullptr));
    CCounterWindow window(&host);
    ASSERT_TRUE(window.Create(CCounterWindow::IDD, &host));
    for (const CSize size : {CSize(715, 525), CSize(565, 525), CSize(900, 640), CSize(300, 120)}) {
        window.MoveWindow(0, 0, size.cx, size.cy);
        CRect client, toolbar, tree;
        window.GetClientRect(&client);
        window.counterToolBar.GetWindowRect(&toolbar);
        window.ScreenToClient(&toolbar);
        window.counterTree.GetWindowRect(&tree);
        window.ScreenToClient(&tree);
        EXPECT_EQ(client.Width(), toolbar.Width()) << size.cx;
        const auto corners = [](const RECT& r) {
            return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "," +
                   std::to_string(r.bottom);
        };
        EXPECT_EQ(corners(CRect(0, toolbar.bottom, client.right, client.bottom)), corners(tree))
            << size.cx << "x" << size.cy;
    }
    host.DestroyWindow();
}

}  // namespace
