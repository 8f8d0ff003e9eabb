// The rules the program's grids share: each grid class overrides the grid's notifications with
// one-line calls to these, so that a rule is written once however many grids follow it.
#pragma once

#include "VGCtrl.h"

#include <array>

namespace grids {

// Colour of every empty area of the program's grids.
constexpr COLORREF kSectionBackColor = RGB(255, 255, 255);

// Step rule: a press on the upper half of a spin cell (the fifth cell type, which an application
// registers at index 4) adds 1 to the cell's number, a press on the lower half takes 1 away unless
// the number is 0. Returns 1 for every notification, as the grid expects.
int StepSpinCell(CVGCtrl& grid, int typeIndex, int column, int row, long message);

// Tip text: "Col:%d Row:%ld" with the cell's column and row, shown in every section (returns 1).
int FormatCellTip(int column, int row, CString* text);

// Compare rule of the grids' sort: missing cells last, flag bit 2 reverses, numbers (also bools
// and currency) by value, everything else by its text with empty texts last.
int CompareCellsByRule(CVGCell* a, CVGCell* b, int flags);

// Plain focus frame: the standard dotted rectangle, one pixel in at the right and bottom; the
// current cell's type is not asked to draw it.
int DrawPlainFocusFrame(CDC* dc, RECT* rect);

// The series table of a line-chart series grid: one entry per series row.
constexpr int kSeriesRows = 14;
using SeriesMarks = std::array<int, kSeriesRows>;
// A table as it starts: every entry 1.
SeriesMarks UnmarkedSeries();
// Series marker: the clicked row's entry becomes 3, every other entry 1 (a row outside the table
// marks none).
void MarkSeriesRow(SeriesMarks& marks, int row);

// Edit column 2: a double click in column 2 starts editing the current cell.
void EditOnColumnTwo(CVGCtrl& grid, int column);

}  // namespace grids
