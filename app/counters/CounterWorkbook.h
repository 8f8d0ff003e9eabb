// The counter spreadsheet: sheets of label and value texts written to an .xls workbook through
// libxl32.dll. The window gathers the texts; this part only writes them.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

namespace counters {

struct SheetTexts {
    std::wstring name;
    // Row r's texts of columns A and B.
    std::vector<std::array<std::wstring, 2>> rows;
};

struct SaveOutcome {
    enum Kind { kNoBook, kSaved, kFailed } kind;
    std::wstring reason;  // the library's reason when the save failed
};

// Columns A and B are 30 characters wide and every written row 15 points high.
constexpr double kColumnWidth = 30.0;
constexpr double kRowHeight = 15.0;

// The counter sheet's name: the save's local time and the port shown, "2026-12-09 22.05.24 Port A".
std::wstring CounterSheetName(const std::tm& localTime, int port);

// Writes the sheets in order, every cell as text, and saves the book to `path`. A sheet the library
// refuses is left out; a failed save leaves no file and says why.
SaveOutcome WriteCounterWorkbook(const std::wstring& path, const std::vector<SheetTexts>& sheets);

}  // namespace counters
