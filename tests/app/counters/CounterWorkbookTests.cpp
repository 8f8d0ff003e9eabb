// The counter workbook read back by xlrd: sheet names, text cells, column widths and row heights;
// a save the folder refuses reports the library's reason and leaves no file.
#include "counters/CounterWorkbook.h"
#include "support/Waiting.h"
#include "XlrdReader.h"

#include <gtest/gtest.h>

using namespace counters;

namespace {

SheetTexts Sheet(const std::wstring& name, int rows) {
    SheetTexts sheet{name, {}};
    for (int r = 0; r < rows; ++r)
        sheet.rows.push_back({L"label " + std::to_wstring(r), L"1," + std::to_wstring(100 + r)});
    return sheet;
}

TEST(CounterSheetNameTest, LocalTimeThenThePort) {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 9;
    time.tm_hour = 7;
    time.tm_min = 5;
    time.tm_sec = 3;
    EXPECT_EQ(L"2026-12-09 07.05.03 Port A", CounterSheetName(time, 0));
    EXPECT_EQ(L"2026-12-09 07.05.03 Port B", CounterSheetName(time, 1));
}

TEST(CounterWorkbookTest, SheetsReadBackWithTextsWidthsAndHeights) {
    const xlstest::WorkFile file = xlstest::MakeWorkFile("counters.xls");
    const std::vector<SheetTexts> sheets = {Sheet(L"2026-12-09 07.05.03 Port B", 33), Sheet(L"system information", 9)};
    const SaveOutcome outcome = WriteCounterWorkbook(file.windowsPath, sheets);
    ASSERT_EQ(SaveOutcome::kSaved, outcome.kind) << testing::PrintToString(outcome.reason);

    const xlstest::ReadBook book = xlstest::ReadWithXlrd(file, support::kPatience);
    ASSERT_TRUE(book.error.empty()) << testing::PrintToString(book.error);
    ASSERT_EQ(2u, book.sheets.size());
    for (size_t s = 0; s < sheets.size(); ++s) {
        const xlstest::ReadSheet& read = book.sheets[s];
        EXPECT_EQ(sheets[s].name, read.name);
        ASSERT_EQ(static_cast<int>(sheets[s].rows.size()), read.rows);
        EXPECT_EQ(2, read.columns);
        for (int r = 0; r < read.rows; ++r) {
            for (int c = 0; c < 2; ++c) EXPECT_EQ(sheets[s].rows[r][c], read.texts.at({r, c}));
            // 15 points are 300 twips.
            EXPECT_EQ(std::make_pair(300, false), read.heights.at(r)) << r;
        }
        // 30 characters are 7680 units of 1/256 character.
        for (int c = 0; c < 2; ++c) EXPECT_EQ(std::make_pair(30 * 256, false), read.widths.at(c)) << c;
        EXPECT_TRUE(read.numbers.empty()) << "every cell is text";
    }
}

TEST(CounterWorkbookTest, SaveIntoAFolderThatCannotBeWrittenSaysWhyAndLeavesNoFile) {
    // The "folder" is a plain file: nothing can be created in it.
    const xlstest::WorkFile blocker = xlstest::MakeWorkFile("not-a-folder");
    HANDLE file = CreateFileW(blocker.windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    const std::wstring path = blocker.windowsPath + L"\\counters.xls";

    const SaveOutcome outcome = WriteCounterWorkbook(path, {Sheet(L"Counters", 3)});
    EXPECT_EQ(SaveOutcome::kFailed, outcome.kind);
    EXPECT_FALSE(outcome.reason.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

}  // namespace
