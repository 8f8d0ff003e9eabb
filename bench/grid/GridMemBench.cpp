// Time to fill, sort and find in a 10,000 x 20 memory data source, beside the same work on a
// std::vector of std::wstring rows in the same run; prints each ratio (memory source / reference).
#include "VGCell.h"
#include "VGGridHost.h"
#include "VGGridInfo.h"
#include "VGLayout.h"
#include "VGMem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 20;
constexpr int kSortColumn = 3;
constexpr int kFindColumn = 7;
constexpr int kFinds = 100;
constexpr int kRuns = 5;

using Table = std::vector<std::vector<std::wstring>>;

class BenchGrid : public CVGGridHost {
public:
    BenchGrid()
    {
        VGLayout::SetColumnRecordCount(info, kColumns);
        VGLayout::SetRowRecordCount(info, kRows);
    }
    CVGGridInfo* QueryGridInfo() override { return &info; }
    CVGGridInfo info;
};

// Column 0 numbers the rows, so the two sorts can be compared row for row.
Table MakeTexts()
{
    std::mt19937 random(20240315);
    Table rows(kRows, std::vector<std::wstring>(kColumns));
    wchar_t buffer[32];
    for (int row = 0; row < kRows; ++row) {
        std::swprintf(buffer, 32, L"row%05d", row);
        rows[row][0] = buffer;
        for (int column = 1; column < kColumns; ++column) {
            // Few distinct keys in the sort column, so the stability of both sorts is exercised.
            const unsigned value = column == kSortColumn ? random() % 500 : random();
            std::swprintf(buffer, 32, L"v%08x", value);
            rows[row][column] = buffer;
        }
    }
    return rows;
}

double Milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Timings {
    double fill = 1e300;
    double sort = 1e300;
    double find = 1e300;
};

void Keep(Timings& best, double fill, double sort, double find)
{
    best.fill = std::min(best.fill, fill);
    best.sort = std::min(best.sort, sort);
    best.find = std::min(best.find, find);
}

}  // namespace

int main()
{
    const Table texts = MakeTexts();
    std::vector<std::wstring> needles;
    for (int index = 0; index < kFinds; ++index)
        needles.push_back(texts[(index * 7919) % kRows][kFindColumn]);

    Timings memTime;
    Timings refTime;
    std::vector<std::wstring> memOrder;
    std::vector<std::wstring> refOrder;
    long long memFound = 0;
    long long refFound = 0;

    for (int run = 0; run < kRuns; ++run) {
        BenchGrid grid;
        CVGMem mem;
        mem.SetOwner(&grid, -1);
        const double fill = Milliseconds([&] {
            CVGCell cell;
            for (int row = 0; row < kRows; ++row) {
                for (int column = 0; column < kColumns; ++column) {
                    cell.PutText(texts[row][column].c_str());
                    mem.StoreCell(column, row, &cell);
                }
            }
        });
        const double sort = Milliseconds([&] { mem.SortByColumn(kSortColumn, 0); });
        memFound = 0;
        const double find = Milliseconds([&] {
            for (const std::wstring& needle : needles) {
                int column = kFindColumn;
                int row = 0;
                if (mem.FindFirstText(needle.c_str(), &column, &row, 0) == 0)
                    memFound += row;
            }
        });
        Keep(memTime, fill, sort, find);
        memOrder.clear();
        for (int row = 0; row < kRows; ++row) {
            CVGCell cell;
            mem.FetchCell(0, row, &cell);
            memOrder.push_back(cell.ReadText());
        }

        Table table;
        const double refFill = Milliseconds([&] {
            table.reserve(kRows);
            for (int row = 0; row < kRows; ++row) {
                std::vector<std::wstring> cells;
                cells.reserve(kColumns);
                for (int column = 0; column < kColumns; ++column)
                    cells.push_back(texts[row][column]);
                table.push_back(std::move(cells));
            }
        });
        const double refSort = Milliseconds([&] {
            std::stable_sort(table.begin(), table.end(), [](const auto& a, const auto& b) {
                return std::wcscmp(a[kSortColumn].c_str(), b[kSortColumn].c_str()) < 0;
            });
        });
        refFound = 0;
        const double refFind = Milliseconds([&] {
            for (const std::wstring& needle : needles) {
                for (int row = 0; row < kRows; ++row) {
                    if (std::wcscmp(table[row][kFindColumn].c_str(), needle.c_str()) == 0) {
                        refFound += row;
                        break;
                    }
                }
            }
        });
        Keep(refTime, refFill, refSort, refFind);
        refOrder.clear();
        for (const auto& row : table)
            refOrder.push_back(row[0]);
    }

    if (memOrder != refOrder || memFound != refFound) {
        std::printf("MISMATCH: the memory source and the reference disagree\n");
        return 1;
    }
    std::printf("grid memory source, %d rows x %d columns, best of %d runs\n", kRows, kColumns, kRuns);
    std::printf("%-28s %12s %12s %8s\n", "work", "CVGMem ms", "vector ms", "ratio");
    auto line = [](const char* name, double mem, double ref) {
        std::printf("%-28s %12.2f %12.2f %8.2f\n", name, mem, ref, mem / ref);
    };
    line("fill (200,000 cells)", memTime.fill, refTime.fill);
    line("stable sort by one column", memTime.sort, refTime.sort);
    line("find (100 whole-cell texts)", memTime.find, refTime.find);
    line("total", memTime.fill + memTime.sort + memTime.find, refTime.fill + refTime.sort + refTime.find);
    return 0;
}
