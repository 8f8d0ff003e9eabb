// The counter page's numbers as the operator reads and saves them: a 10G line at full rate, whose
// rate word stops at 4.29 Gbit/s, and the shown port's own numbers after a switch of port with the
// refresh stopped. The saved workbook is read back by xlrd.
#include "BrevixCTx.h"
#include "charts/ChartData.h"
#include "counters/CounterIds.h"
#include "counters/CounterRows.h"
#include "CounterWindowBench.h"
#include "res/resource.h"
#include "sim/CounterBanks.h"
#include "support/gui/Pump.h"
#include "support/gui/Seams.h"
#include "support/Waiting.h"
#include "XlrdReader.h"

#include <cwctype>
#include <regex>

using namespace appbench;
using namespace countertest;
using support::gui::PumpUntil;

namespace {

const DWORD kPatience = static_cast<DWORD>(support::kPatience.count());

// 64-byte frames filling a 10 Gbit/s line: each takes 84 bytes of it with preamble and gap.
constexpr double kFullLineFrames = 10e9 / (84 * 8);
constexpr uint32_t kFrameBytes = 64;

// A row's number as shown ("10,001" is 10001); -1 for a text that is not one.
long long ShownNumber(const std::wstring& text) {
    std::wstring digits;
    for (wchar_t c : text) {
        if (c == L',') continue;
        if (!std::iswdigit(c)) return -1;
        digits += c;
    }
    return digits.empty() ? -1 : std::stoll(digits);
}

bool AboutFullLine(long long megabits) { return megabits >= 9000 && megabits <= 11000; }

std::wstring SheetCell(const xlstest::ReadSheet& sheet, int row, int column) {
    const auto cell = sheet.texts.find({row, column});
    return cell == sheet.texts.end() ? L"" : cell->second;
}

class CounterRateTest : public CounterWindowBench {
protected:
    // Saves the shown page by the main toolbar's Save Counter into the file; its one sheet of rows.
    xlstest::ReadSheet SaveAndRead(CVorel_TAP_Test3Dlg& dialog, const std::string& name) {
        const xlstest::WorkFile file = xlstest::MakeWorkFile(name);
        {
            support::gui::FileDialogAnswer answer(file.windowsPath);
            ClickTool(dialog.GetSafeHwnd(), ID_SAVE_COUNTER);
            EXPECT_EQ(1u, answer.Dialogs().size());
        }
        const xlstest::ReadBook book = xlstest::ReadWithXlrd(file, support::kPatience);
        EXPECT_TRUE(book.error.empty()) << testing::PrintToString(book.error);
        return book.sheets.empty() ? xlstest::ReadSheet{} : book.sheets[0];
    }
};

TEST_F(CounterRateTest, FullLineOnA10GLinkReadsTenThousandMbpsOnThePageTheSheetAndTheChart) {
    StartTester(3);
    tester_->Counters().SetTraffic(0, kFullLineFrames, kFrameBytes);
    BoxAnswers boxes;
    xlstest::ReadSheet sheet;
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        ASSERT_TRUE(PumpUntil([&] { return dialog.portCounterWindow.RowValue(0) == L"Link Up"; }, kPatience));
        EXPECT_EQ(L"10G Full", dialog.portCounterWindow.RowValue(counters::kSpeedRow));
        ASSERT_EQ(1, BrevixC_StartTxPkt(0, 0x00010001, 1, 1000, 0));
        // The word the tester gives is at its largest: it alone would read 4,295.
        ASSERT_TRUE(support::Eventually([&] {
            return tester_->Counters().Get(0, sim::CounterBanks::kTxLineRate) == 0xFFFFFFFFu;
        }));
        const bool full = PumpUntil(
            [&] { return AboutFullLine(ShownNumber(dialog.portCounterWindow.RowValue(counters::kTxLineRateRow).GetString())); },
            kPatience);
        EXPECT_TRUE(full) << testing::PrintToString(
            std::wstring(dialog.portCounterWindow.RowValue(counters::kTxLineRateRow).GetString()));
        SavePicture(dialog.GetSafeHwnd(), L"vorels-counters-10g-full-line");
        sheet = SaveAndRead(dialog, "full-line.xls");

        // The chart's Tx lines (its last sample that holds a poll): their bytes and frames make the
        // same line rate.
        double bytes = 0, frames = 0;
        const auto chartFull = [&] {
            for (int sample = charts::chartData.samples - 1; sample >= 0; --sample) {
                bytes = charts::chartData.lineHistory[3][sample];
                frames = charts::chartData.lineHistory[1][sample];
                if (bytes > 0 && bytes < charts::kNoValue) return AboutFullLine(std::llround((bytes + 20 * frames) * 8 / 1e6));
            }
            return false;
        };
        EXPECT_TRUE(PumpUntil(chartFull, kPatience)) << bytes << " " << frames;
        BrevixC_StopTxPkt(0);
    });
    ASSERT_EQ(counters::kRowCount, sheet.rows);
    EXPECT_EQ(L"Tx Line Rate (Mbps) ", SheetCell(sheet, counters::kTxLineRateRow, 0));
    EXPECT_TRUE(AboutFullLine(ShownNumber(SheetCell(sheet, counters::kTxLineRateRow, 1))))
        << testing::PrintToString(SheetCell(sheet, counters::kTxLineRateRow, 1));
}

TEST_F(CounterRateTest, WithUpdateOffTheSwitchedPortShowsAndSavesItsOwnNumbers) {
    StartBusyTester();
    BoxAnswers boxes;
    std::wstring portBSent, portASent;
    xlstest::ReadSheet portBSheet, portASheet;
    std::wstring titleB;
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 0);
        FreezeTraffic();
        ASSERT_TRUE(PumpUntil([&] { return RowsMatch(dialog, 0); }, kPatience)) << Mismatches(dialog, 0);
        // The last refresh before the pause has both ports' frozen counters.
        ASSERT_TRUE(PumpUntil([&] {
            return counters::GroupThousands(CCounterWindow::DisplayRecordOf(1)[counters::kTxPacketRow]) ==
                   ExpectedRow(1, counters::kTxPacketRow);
        }, kPatience));
        portASent = ExpectedRow(0, counters::kTxPacketRow);
        portBSent = ExpectedRow(1, counters::kTxPacketRow);
        ASSERT_NE(portASent, portBSent) << "the ports' numbers differ";
        ClickTool(dialog.portCounterWindow.GetSafeHwnd(), ID_COUNTER_UPDATE);
        ASSERT_FALSE(dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE));

        ChooseMenuCommand(dialog, ID_PORT_B_COUNTER);
        CString title;
        dialog.panelTitle.GetWindowText(title);
        titleB = title.GetString();
        EXPECT_EQ(portBSent, std::wstring(dialog.portCounterWindow.RowValue(counters::kTxPacketRow).GetString()))
            << "Port B's numbers at once";
        EXPECT_TRUE(RowsMatch(dialog, 1)) << Mismatches(dialog, 1);
        SavePicture(dialog.GetSafeHwnd(), L"vorels-counters-paused-port-b");
        portBSheet = SaveAndRead(dialog, "paused-port-b.xls");

        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        EXPECT_EQ(portASent, std::wstring(dialog.portCounterWindow.RowValue(counters::kTxPacketRow).GetString()));
        portASheet = SaveAndRead(dialog, "paused-port-a.xls");
        EXPECT_FALSE(dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE)) << "still paused";
    });
    EXPECT_NE(std::wstring::npos, titleB.find(L"Counter Window-Port B")) << testing::PrintToString(titleB);
    EXPECT_TRUE(std::regex_search(portBSheet.name, std::wregex(L" Port B$"))) << testing::PrintToString(portBSheet.name);
    EXPECT_EQ(portBSent, SheetCell(portBSheet, counters::kTxPacketRow, 1));
    EXPECT_TRUE(std::regex_search(portASheet.name, std::wregex(L" Port A$"))) << testing::PrintToString(portASheet.name);
    EXPECT_EQ(portASent, SheetCell(portASheet, counters::kTxPacketRow, 1));
}

}  // namespace
