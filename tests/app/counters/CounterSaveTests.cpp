// Save Counter: the live window's rows and the About grid's system rows in a workbook that xlrd
// reads back; a save the folder refuses says why and leaves no file.
#include "counters/CounterRows.h"
#include "CounterWindowBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Pump.h"
#include "support/gui/Seams.h"
#include "support/Waiting.h"
#include "XlrdReader.h"

#include <regex>

using namespace appbench;
using namespace countertest;
using support::gui::PumpUntil;

namespace {

const DWORD kPatience = static_cast<DWORD>(support::kPatience.count());

std::wstring GridText(CVGCtrl& grid, int column, int row) {
    CString text;
    grid.CopyCellText(column, row, &text);
    return std::wstring(text.GetString());
}

class CounterSaveTest : public CounterWindowBench {};

TEST_F(CounterSaveTest, WorkbookHoldsTheRowsOnScreenAndTheSystemRows) {
    StartBusyTester();
    const xlstest::WorkFile file = xlstest::MakeWorkFile("port-b.xls");
    BoxAnswers boxes;
    support::gui::FileDialogAnswer answer(file.windowsPath);
    std::vector<std::array<std::wstring, 2>> onScreen;
    std::vector<std::array<std::wstring, 2>> system;
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 1);
        FreezeTraffic();
        ASSERT_TRUE(PumpUntil(
            [&] { return RowsMatch(dialog, 1) && dialog.portCounterWindow.RowValue(0) == L"Link Up"; }, kPatience))
            << Mismatches(dialog, 1);
        ClickTool(dialog.GetSafeHwnd(), ID_SAVE_COUNTER);
        for (int row = 0; row < counters::kRowCount; ++row) {
            onScreen.push_back({std::wstring(dialog.portCounterWindow.RowLabel(row).GetString()),
                                std::wstring(dialog.portCounterWindow.RowValue(row).GetString())});
        }
        for (int row = 0; row < 9; ++row) {
            system.push_back(
                {GridText(dialog.aboutPanel.aboutGrid, -1, row), GridText(dialog.aboutPanel.aboutGrid, 0, row)});
        }
    });
    ASSERT_EQ(1u, answer.Dialogs().size());
    const auto asked = answer.Dialogs()[0];
    EXPECT_FALSE(asked.open);
    EXPECT_EQ(L"*.xls", asked.initialName);
    EXPECT_EQ(L"xls", asked.defaultExtension);
    // The stand-in shows the filter's nulls as '|': the pairs, then the closing empty string.
    EXPECT_EQ(L"Excel Files (*.xls)|*.xls|All Files (*.*)|*.*|", asked.filter);
    EXPECT_EQ(std::wstring((programFolder + L"\\Counter\\").GetString()), asked.initialFolder);
    EXPECT_EQ(1u, boxes.CountWithText(L"Save completed !"));

    const xlstest::ReadBook book = xlstest::ReadWithXlrd(file, support::kPatience);
    ASSERT_TRUE(book.error.empty()) << testing::PrintToString(book.error);
    ASSERT_EQ(2u, book.sheets.size());
    EXPECT_TRUE(
        std::regex_match(book.sheets[0].name, std::wregex(L"\\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d Port B")))
        << testing::PrintToString(book.sheets[0].name);
    EXPECT_EQ(L"system information", book.sheets[1].name);
    const std::vector<std::array<std::wstring, 2>>* expected[] = {&onScreen, &system};
    for (size_t s = 0; s < 2; ++s) {
        const xlstest::ReadSheet& sheet = book.sheets[s];
        ASSERT_EQ(static_cast<int>(expected[s]->size()), sheet.rows) << s;
        for (int r = 0; r < sheet.rows; ++r) {
            for (int c = 0; c < 2; ++c) {
                const auto cell = sheet.texts.find({r, c});
                EXPECT_EQ((*expected[s])[r][c], cell == sheet.texts.end() ? L"" : cell->second)
                    << s << ":" << r << "," << c;
            }
            EXPECT_EQ(std::make_pair(300, false), sheet.heights.at(r));
        }
        for (int c = 0; c < 2; ++c) EXPECT_EQ(std::make_pair(30 * 256, false), sheet.widths.at(c));
    }
    // What a person sees on screen: the headings' dashes, the link texts, grouped counters.
    EXPECT_EQ(L"-", onScreen[15][1]);
    EXPECT_EQ(L"Link Up", onScreen[0][1]);
    EXPECT_EQ(L"Rx Packet ", onScreen[8][0]);
    EXPECT_NE(std::wstring::npos, onScreen[9][1].find(L',')) << "a byte count of thousands";
    EXPECT_FALSE(system[0][1].empty()) << "the About grid holds the model";
}

TEST_F(CounterSaveTest, SaveToAFolderThatCannotBeWrittenSaysWhyAndLeavesNoFile) {
    // The chosen folder is a plain file: nothing can be created in it.
    const xlstest::WorkFile blocker = xlstest::MakeWorkFile("file-not-folder");
    HANDLE handle = CreateFileW(blocker.windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    CloseHandle(handle);
    const std::wstring path = blocker.windowsPath + L"\\counters.xls";
    BoxAnswers boxes;
    support::gui::FileDialogAnswer answer(path);
    RunAndExit([](CVorel_TAP_Test3Dlg& dialog) { ClickTool(dialog.GetSafeHwnd(), ID_SAVE_COUNTER); });
    EXPECT_EQ(0u, boxes.CountWithText(L"Save completed !"));
    bool told = false;
    for (const ShownBox& box : boxes.Boxes()) {
        if (box.text.rfind(L"Save failed: ", 0) == 0) {
            told = true;
            EXPECT_GT(box.text.size(), std::wstring(L"Save failed: ").size()) << "with the library's reason";
        }
    }
    EXPECT_TRUE(told);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

TEST_F(CounterSaveTest, SaveOpensInTheCounterFolderMadeWhenMissing) {
    // The program gets a folder of its own, made fresh for this run: the test programs share
    // theirs, and whatever another left in its Counter folder would keep that folder there.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring own = std::wstring(temp) + L"brevix-counter-save-" + std::to_wstring(::GetCurrentProcessId()) +
                             L"-" + std::to_wstring(::GetTickCount());
    ASSERT_TRUE(::CreateDirectoryW(own.c_str(), nullptr));
    const std::wstring folder = own + L"\\Counter";
    BoxAnswers boxes;
    auto answer = support::gui::FileDialogAnswer::Cancelling();
    DWORD before = 0, attributes = INVALID_FILE_ATTRIBUTES;
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        programFolder = own.c_str();
        before = ::GetFileAttributesW(folder.c_str());
        ClickTool(dialog.GetSafeHwnd(), ID_SAVE_COUNTER);
        ASSERT_TRUE(PumpUntil([&] { return answer.Dialogs().size() == 1; }, kPatience));
        attributes = ::GetFileAttributesW(folder.c_str());
    });
    ::RemoveDirectoryW(folder.c_str());
    ::RemoveDirectoryW(own.c_str());
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, before) << "the folder was there before the save";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << "the dialog opened in a folder that did not exist";
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_EQ(1u, answer.Dialogs().size());
    EXPECT_EQ(folder + L"\\", answer.Dialogs()[0].initialFolder);
}

TEST_F(CounterSaveTest, CancelledDialogSavesNothingAndSaysNothing) {
    BoxAnswers boxes;
    auto answer = support::gui::FileDialogAnswer::Cancelling();
    size_t boxesBefore = 0;
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        boxesBefore = boxes.Boxes().size();
        ClickTool(dialog.GetSafeHwnd(), ID_SAVE_COUNTER);
        EXPECT_EQ(1u, answer.Dialogs().size()) << "the dialog was asked";
        EXPECT_EQ(boxesBefore, boxes.Boxes().size());
    });
}

}  // namespace
