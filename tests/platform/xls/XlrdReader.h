#pragma once
// What an independent reader (Debian's xlrd, run as a Linux program from inside Wine) finds in an
// .xls workbook.

#include <windows.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace xlstest {

struct ReadSheet {
    std::wstring name;
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, std::wstring> texts;  // (row, column)
    std::map<std::pair<int, int>, double> numbers;
    std::map<int, std::pair<int, bool>> widths;   // column: 1/256 character, hidden
    std::map<int, std::pair<int, bool>> heights;  // row: twips, hidden
};

struct ReadBook {
    std::wstring error;  // the reader's complaint; empty when it read the workbook
    std::vector<ReadSheet> sheets;
};

// A file of the test's work folder: its Windows path, for the library, and its Unix path, for xlrd.
struct WorkFile {
    std::wstring windowsPath;
    std::string unixPath;
};
WorkFile MakeWorkFile(const std::string& name);

ReadBook ReadWithXlrd(const WorkFile& workbook, std::chrono::milliseconds patience);

}  // namespace xlstest
