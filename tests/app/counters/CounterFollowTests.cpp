// The counter page follows the tester, reached and driven as an operator does: its link rows and
// rates through a loss (and what Save writes meanwhile), its Flow Control row after Apply, and its
// Update while a download holds the refresh.
#include "charts/ChartData.h"
#include "counters/CounterIds.h"
#include "counters/CounterRows.h"
#include "CounterWindowBench.h"
#include "grids/MyGrid.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/Environment.h"
#include "support/gui/Input.h"
#include "support/gui/Pump.h"
#include "support/gui/Seams.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"
#include "VGDropListType.h"
#include "XlrdReader.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace appbench;
using namespace countertest;
using support::gui::PumpFor;
using support::gui::PumpUntil;

namespace {

const DWORD kPatience = static_cast<DWORD>(support::kPatience.count());

std::wstring Row(CVorel_TAP_Test3Dlg& dialog, int row) {
    return std::wstring(dialog.portCounterWindow.RowValue(row).GetString());
}

// A click on the drop button of a port configuration cell, then on the choice in the list it opens.
void ChooseInGrid(CVorel_TAP_Test3Dlg& dialog, int column, int row, int choice) {
    int c = column, r = row;
    RECT cell;
    dialog.portConfigGrid.ComputeCellRect(&c, &r, &cell);
    support::gui::Click(dialog.portConfigGrid.CellArea().GetSafeHwnd(),
                        POINT{cell.right - 4, (cell.top + cell.bottom) / 2});
    auto& dropList = static_cast<CVGDropListType&>(*dialog.portConfigGrid.CellTypeAt(1));
    const HWND list = dropList.List().GetSafeHwnd();
    ASSERT_NE(nullptr, list);
    ASSERT_TRUE(PumpUntil([list] { return ::IsWindowVisible(list) != FALSE; }, kPatience));
    RECT item = {};
    ASSERT_NE(LB_ERR, ::SendMessageW(list, LB_GETITEMRECT, choice, reinterpret_cast<LPARAM>(&item)));
    support::gui::Click(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    support::gui::PumpPending();
}

bool IsRateRow(int row) {
    return row == counters::kTxLineRateRow || row == counters::kTxPacketRateRow || row == counters::kRxLineRateRow ||
           row == counters::kRxPacketRateRow;
}

class CounterFollowTest : public CounterWindowBench {};

TEST_F(CounterFollowTest, ALostTesterReadsLinkDownAndNoRatesOnThePageAndInTheSheet) {
    StartBusyTester();
    const xlstest::WorkFile file = xlstest::MakeWorkFile("lost.xls");
    BoxAnswers boxes;
    support::gui::FileDialogAnswer answer(file.windowsPath);
    // The host's side of the wire goes down with the tester: the library hears of the loss.
    sim::TesterControl control(*tester_, demo_.get(), support::TestNetwork().hostInterface);
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        ASSERT_TRUE(dialog.portCounterWindow.IsWindowVisible());
        ASSERT_TRUE(PumpUntil(
            [&] { return Row(dialog, counters::kLinkRow) == L"Link Up" && Row(dialog, counters::kRxPacketRateRow) != L"0"; },
            kPatience));
        ASSERT_EQ(0u, control.Execute("lose").find("ok"));
        ASSERT_TRUE(
            PumpUntil([&] { return boxes.CountWithText(L"The device is disconnected!") == 1; }, kPatience));
        const auto lostLook = [&] {
            bool ratesZero = true;
            for (int row = 0; row < counters::kRowCount; ++row) ratesZero = ratesZero && (!IsRateRow(row) || Row(dialog, row) == L"0");
            return ratesZero && Row(dialog, counters::kLinkRow) == L"Link Down" &&
                   Row(dialog, counters::kSpeedRow) == L"n/a" && Row(dialog, counters::kTypeRow) == L"n/a";
        };
        EXPECT_TRUE(PumpUntil(lostLook, kPatience));
        // Two refresh ticks later it still reads so.
        const int samples = charts::chartData.samples;
        ASSERT_TRUE(PumpUntil([&] { return charts::chartData.samples >= samples + 2; }, kPatience));
        EXPECT_TRUE(lostLook()) << Row(dialog, counters::kLinkRow) << " " << Row(dialog, counters::kRxPacketRateRow);
        ClickTool(dialog.portCounterWindow.GetSafeHwnd(), ID_COUNTER_SAVE);
        ASSERT_TRUE(PumpUntil([&] { return boxes.CountWithText(L"Save completed !") == 1; }, kPatience));
        ASSERT_EQ(0u, control.Execute("return").find("ok"));
    });
    const xlstest::ReadBook book = xlstest::ReadWithXlrd(file, support::kPatience);
    ASSERT_TRUE(book.error.empty()) << testing::PrintToString(book.error);
    ASSERT_FALSE(book.sheets.empty());
    const auto text = [&](int row) {
        const auto cell = book.sheets[0].texts.find({row, 1});
        return cell == book.sheets[0].texts.end() ? std::wstring() : cell->second;
    };
    EXPECT_EQ(L"Link Down", text(counters::kLinkRow));
    EXPECT_EQ(L"n/a", text(counters::kSpeedRow));
    for (int row : {counters::kTxLineRateRow, counters::kTxPacketRateRow, counters::kRxLineRateRow,
                    counters::kRxPacketRateRow}) {
        EXPECT_EQ(L"0", text(row)) << row;
    }
}

TEST_F(CounterFollowTest, FlowControlRowShowsWhatApplySentToTheShownPortAndTheSheetKeepsIt) {
    StartBusyTester();
    const xlstest::WorkFile file = xlstest::MakeWorkFile("flow.xls");
    BoxAnswers boxes;
    support::gui::FileDialogAnswer answer(file.windowsPath);
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatience));
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        ASSERT_TRUE(dialog.portConfigGrid.IsWindowVisible());
        // Port B's flow control off; Port A's stays on.
        ChooseInGrid(dialog, 2, 1, 1);
        ASSERT_EQ(L"Disable", std::wstring(dialog.portConfigGrid.GetCellText(2, 1)));
        ClickControl(*dialog.GetDlgItem(IDC_APPLY));
        support::gui::PumpPending();

        ChooseMenuCommand(dialog, ID_PORT_B_COUNTER);
        ASSERT_TRUE(dialog.portCounterWindow.IsWindowVisible());
        EXPECT_TRUE(PumpUntil([&] { return Row(dialog, counters::kFlowControlRow) == L"Disable"; }, kPatience))
            << Row(dialog, counters::kFlowControlRow);
        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        EXPECT_TRUE(PumpUntil([&] { return Row(dialog, counters::kFlowControlRow) == L"Enable"; }, kPatience))
            << Row(dialog, counters::kFlowControlRow);
        ChooseMenuCommand(dialog, ID_PORT_B_COUNTER);
        ASSERT_TRUE(PumpUntil([&] { return Row(dialog, counters::kFlowControlRow) == L"Disable"; }, kPatience));
        ClickTool(dialog.portCounterWindow.GetSafeHwnd(), ID_COUNTER_SAVE);
        ASSERT_TRUE(PumpUntil([&] { return boxes.CountWithText(L"Save completed !") == 1; }, kPatience));
    });
    const xlstest::ReadBook book = xlstest::ReadWithXlrd(file, support::kPatience);
    ASSERT_TRUE(book.error.empty()) << testing::PrintToString(book.error);
    ASSERT_FALSE(book.sheets.empty());
    const auto cell = book.sheets[0].texts.find({counters::kFlowControlRow, 1});
    ASSERT_NE(book.sheets[0].texts.end(), cell);
    EXPECT_EQ(L"Disable", cell->second);
}

// After a loss, the tester's return and Reconnect, the chart's lines count from a new reference:
// the lost seconds are a gap, and no second holds more frames than the link carries.
class ChartReconnectTest : public CounterWindowBench, public testing::WithParamInterface<int> {};

TEST_P(ChartReconnectTest, ChartLinesAfterAReconnectHaveAGapAndNoSpike) {
    StartBusyTester(GetParam());
    BoxAnswers boxes;
    sim::TesterControl control(*tester_, demo_.get(), support::TestNetwork().hostInterface);
    // The most frames a second Port A received at any moment of the test, as the tester counts them.
    uint64_t mostPerSecond = 0;
    const auto watching = [&](const std::function<bool()>& done) {
        return [&, done] {
            mostPerSecond = std::max(mostPerSecond, tester_->Counters().Get(0, sim::CounterBanks::kRxPacketRate));
            return done();
        };
    };
    const auto never = [] { return false; };
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        ASSERT_TRUE(PumpUntil(watching([&] { return Row(dialog, counters::kRxPacketRateRow) != L"0"; }), kPatience));
        PumpUntil(watching(never), 3000);
        ASSERT_EQ(0u, control.Execute("lose").find("ok"));
        ASSERT_TRUE(PumpUntil(
            watching([&] { return boxes.CountWithText(L"The device is disconnected!") == 1; }), kPatience));
        const int lostAt = charts::chartData.samples;
        PumpUntil(watching(never), 4000);
        ASSERT_EQ(0u, control.Execute("return").find("ok"));
        ClickTool(dialog.GetSafeHwnd(), ID_RECONNECT);
        ASSERT_TRUE(PumpUntil(
            watching([&] { return boxes.CountWithText(L"Connection has been re-established!") == 1; }), kPatience));
        const int back = charts::chartData.samples;
        ASSERT_TRUE(PumpUntil(watching([&] { return charts::chartData.samples >= back + 8; }), kPatience));
        ASSERT_GT(mostPerSecond, 0u);
        // A second spread over late polls holds their mean: none holds more than the most the tester
        // counted in a second (twice that, for a poll that came a little late).
        const double most = 2.0 * static_cast<double>(mostPerSecond);
        const double* rxPackets = charts::chartData.lineHistory[0];
        int gaps = 0, counted = 0;
        for (int sample = lostAt; sample < charts::chartData.samples; ++sample) {
            if (rxPackets[sample] >= 1e300) {
                ++gaps;
                continue;
            }
            ++counted;
            EXPECT_LE(rxPackets[sample], most) << "sample " << sample << " of " << charts::chartData.samples;
        }
        EXPECT_LE(4, gaps) << "the lost seconds";
        EXPECT_LE(4, counted) << "the line counts again after the reconnect";
        ASSERT_GT(lostAt, 1);
    });
}

INSTANTIATE_TEST_SUITE_P(Models, ChartReconnectTest, testing::Values(1, 3, 4));

}  // namespace
