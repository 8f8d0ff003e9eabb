// Time to write a workbook of the counter export's shape (33 x 2) and one of the format's full
// height (65,536 x 10) through libxl32: book, cells, widths, heights, save. Beside each, the same
// texts written as a CSV file through the C library's streams in the same run; prints both times
// and their ratio.
#include "bench/Timing.h"
#include "xls/Book.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Table = std::vector<std::vector<std::wstring>>;

// Counter-like texts: a label column, then values with thousands separators; some Japanese.
Table MakeTable(int rows, int columns) {
    Table table(rows, std::vector<std::wstring>(columns));
    unsigned value = 12345;
    for (int r = 0; r < rows; ++r) {
        table[r][0] = (r % 4 ? L"Rx frames " : L"受信フレーム ") + std::to_wstring(r);
        for (int c = 1; c < columns; ++c) {
            value = value * 1103515245u + 12345u;
            table[r][c] = std::to_wstring(value % 1000) + L"," + std::to_wstring(100 + value % 900) + L",0" +
                          std::to_wstring(10 + c);
        }
    }
    return table;
}

// Time spent in Save, summed over the workbooks written.
double saveSeconds = 0;

bool WriteWorkbook(const Table& table, const std::wstring& path) {
    xls::Book* book = xlCreateBookW();
    xls::Sheet* sheet = book->AddSheet(L"2026-12-09 15.03.49 Port A", nullptr);
    for (size_t r = 0; r < table.size(); ++r) {
        for (size_t c = 0; c < table[r].size(); ++c) {
            sheet->WriteText(static_cast<int>(r), static_cast<int>(c), table[r][c].c_str());
            sheet->SetColumnWidth(static_cast<int>(c), static_cast<int>(c), 30.0);
        }
        sheet->SetRowHeight(static_cast<int>(r), 15.0);
    }
    const double from = bench::NowSeconds();
    const bool saved = book->Save(path.c_str());
    saveSeconds += bench::NowSeconds() - from;
    if (!saved) std::fwprintf(stderr, L"save failed: %ls\n", book->ErrorMessage());
    book->Release();
    return saved;
}

// UTF-8, each text quoted, as a spreadsheet program reads CSV.
bool WriteCsv(const Table& table, const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    std::string utf8;
    for (const auto& row : table) {
        for (size_t c = 0; c < row.size(); ++c) {
            const std::wstring& text = row[c];
            utf8.resize(text.size() * 3 + 1);
            const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(),
                                                  static_cast<int>(utf8.size()), nullptr, nullptr);
            std::fputc('"', file);
            std::fwrite(utf8.data(), 1, bytes, file);
            std::fputs(c + 1 < row.size() ? "\"," : "\"\r\n", file);
        }
    }
    return std::fclose(file) == 0;
}

// The best of `runs` times of `repeat` writes, per write, in milliseconds.
template <typename Write>
double BestMilliseconds(int runs, int repeat, Write write) {
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const double from = bench::NowSeconds();
        for (int i = 0; i < repeat; ++i) {
            if (!write()) return -1;
        }
        best = std::min(best, (bench::NowSeconds() - from) / repeat);
    }
    return best * 1000;
}

void Compare(const char* label, int rows, int columns, int runs, int repeat, const std::wstring& folder) {
    const Table table = MakeTable(rows, columns);
    const std::wstring xls = folder + L"\\xls_write_bench.xls", csv = folder + L"\\xls_write_bench.csv";
    saveSeconds = 0;
    const double xlsMs = BestMilliseconds(runs, repeat, [&] { return WriteWorkbook(table, xls); });
    const double saveMs = saveSeconds * 1000 / (runs * repeat);
    const double csvMs = BestMilliseconds(runs, repeat, [&] { return WriteCsv(table, csv); });
    std::printf("%-10s .xls %9.3f ms (save, mean of runs %8.3f ms)   CSV %9.3f ms   ratio xls/csv %6.2f\n", label,
                xlsMs, saveMs, csvMs, xlsMs / csvMs);
    DeleteFileW(xls.c_str());
    DeleteFileW(csv.c_str());
}

}  // namespace

int main() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring temp(folder);
    if (!temp.empty() && temp.back() == L'\\') temp.pop_back();
    std::printf("Writing workbooks through libxl32 beside CSV through the C library (best of runs):\n");
    Compare("33 x 2", 33, 2, 5, 200, temp);
    Compare("65536 x 10", 65536, 10, 3, 1, temp);
    return 0;
}
