// The grid's layout arithmetic: sizes, positions, hit tests, page steps, the largest left column
// and top row, and the section rectangles, as plain functions over a sheet's settings record.
//
// The grid window calls these and adds what needs a window (hooks, repainting, joined cells); the
// functions here never call out. Coordinates are the cell area's (the top heading shares its x, the
// side heading its y). Columns and rows count from 0; side-heading columns and top-heading rows are
// -1 (next to the cells) to -n. A column of width 0 or a row of height 0 is hidden.
#pragma once

#include <framework/Geometry.h>

#include <vector>

class CVGGridInfo;

namespace VGLayout {

// Width of a data column; 0 for a negative or missing column.
int ColumnWidth(const CVGGridInfo& info, int column);
// Width of a data or side-heading column; 1 when there is no such column.
int ColumnWidthEx(const CVGGridInfo& info, int column, int* width);
// Height of a data row (the default height in uniform mode); 0 for a negative or missing row.
int RowHeight(const CVGGridInfo& info, int row);
// Height of a data or top-heading row; 1 when there is no such row.
int RowHeightEx(const CVGGridInfo& info, int row, int* height);

// Column records: 1 outside 0..32000. New columns get the default width, the current data source,
// a copy of the grid default cell and their index as id; the frozen count is cut to count - 1, the
// current and target columns to the last column; the frozen width and the largest left column are
// brought up to date.
int SetColumnRecordCount(CVGGridInfo& info, int count);
// Row heights: 1 when negative. Above 64000 rows the sheet switches to uniform heights for good.
// Frozen rows, current, previous and target row are cut as for columns and the frozen height is
// summed; the caller updates the largest top row (UpdateLargestTopRow) and synchronises.
int SetRowRecordCount(CVGGridInfo& info, int count);
// On: the per-row heights go. Off (only when on): every row gets the default height.
int SetUniformHeights(CVGGridInfo& info, int on);
// Moves a column record to just after the target column, or just before it; 1 out of range.
int MoveColumnRecord(CVGGridInfo& info, int from, int to, int before);
// Stores a width; 1 out of range or negative. A negative index is a side-heading column and answers
// as SetSideHeadingColumnWidth does.
int StoreColumnWidth(CVGGridInfo& info, int column, int width);
// Stores a height (in uniform mode the default height, which changes every row); 1 out of range or
// negative. A negative index is a top-heading row and answers as SetTopHeadingRowHeight does.
int StoreRowHeight(CVGGridInfo& info, int row, int height);

int SetSideHeadingColumnWidth(CVGGridInfo& info, int column, int width);  // 1 bad column, 2 width outside 0..1024
int SetTopHeadingRowHeight(CVGGridInfo& info, int row, int height);       // 1 bad row, 2 height outside 0..1024
// New total size of a heading, the parts scaled in proportion (rounded half up). 1 outside 0..1024,
// or when the parts add up to 0 (nothing to scale; nothing changes).
int SetSideHeadingWidth(CVGGridInfo& info, int width);
int SetTopHeadingHeight(CVGGridInfo& info, int height);
// The outermost heading column (row) takes the heading size the others leave (at least 0).
void FitSideHeadingColumns(CVGGridInfo& info);
void FitTopHeadingRows(CVGGridInfo& info);

// Frozen counts: 1 when negative or above the count. The sizes are summed again and the left
// column (top row) and its previous value become the count.
int SetFrozenColumnCount(CVGGridInfo& info, int count);
int SetFrozenRowCount(CVGGridInfo& info, int count);
void UpdateFrozenSizes(CVGGridInfo& info);

// The greatest left column (top row) that still fills the cell area.
int LargestLeftColumn(const CVGGridInfo& info);
int LargestTopRow(const CVGGridInfo& info);
// Store it and clamp the left column (top row). Whether the sections must move as well is the grid
// window's to find out (it compares the section rectangles).
void UpdateLargestLeftColumn(CVGGridInfo& info);
void UpdateLargestTopRow(CVGGridInfo& info);
// The left column (top row) that shows the target in full, moving the view as little as possible.
int LeftColumnShowing(const CVGGridInfo& info, int column);
int TopRowShowing(const CVGGridInfo& info, int row);

// Walks over the shown columns (rows) go from the frozen part straight on to the left column (top
// row): the index to visit next, the left column (top row) in place of the first scrolled-away one.
int ShownColumnFrom(const CVGGridInfo& info, int column);
int ShownRowFrom(const CVGGridInfo& info, int row);

// Rectangle of the data cells column..endColumn, row..endRow in the cell area. A column left of the
// view (and not frozen) starts at the frozen width; a row above it at the frozen height.
void CellSpanRect(const CVGGridInfo& info, int column, int row, int endColumn, int endRow, RECT* rect);
// The cell under a point of the cell area and its rectangle; 1 when there is none.
int HitTestCell(const CVGGridInfo& info, int x, int y, int* column, int* row, RECT* rect);
// Rectangle around a block; parts outside the view reach 10 pixels beyond the cell area.
void RangeRect(const CVGGridInfo& info, int startColumn, int startRow, int endColumn, int endRow, RECT* rect);

// Heading cells in their own windows; 1 when the position is no heading cell of that window.
int TopHeadingCellRect(const CVGGridInfo& info, int column, int row, RECT* rect);
int SideHeadingCellRect(const CVGGridInfo& info, int column, int row, RECT* rect);
int HitTestTopHeading(const CVGGridInfo& info, int x, int y, int* column, int* row, RECT* rect);
int HitTestSideHeading(const CVGGridInfo& info, int x, int y, int* column, int* row, RECT* rect);

// Page steps (direction 1 on, -1 back) of the current cell: the first column (row) from the given
// one that no longer fits in the scrolling part of the cell area; always at least one step. Columns
// stay within the sheet; rows may go past the last one, where the data source may add rows.
int PageColumnTarget(const CVGGridInfo& info, int from, int direction);
int PageRowTarget(const CVGGridInfo& info, int from, int direction);
// Page step of the top row: rows from the largest top row on count with the default height.
int PageTopRow(const CVGGridInfo& info, int direction);
// One step of the top row, skipping hidden rows; it stays put on the last row.
int StepTopRow(const CVGGridInfo& info, int direction);

// The rectangles of the seven sections in the grid's client area.
struct SectionRects {
    CRect cells, topHeading, sideHeading, corner, vScroll, hScroll, tabs;

    bool operator==(const SectionRects& other) const;
    bool operator!=(const SectionRects& other) const { return !(*this == other); }
};
// Section rectangles for a client area: scroll bars only where needed, the tab strip, headings,
// corner and cell area. The configured sizes stay as they are.
SectionRects ComputeSections(const CVGGridInfo& info, int clientWidth, int clientHeight);
// Stores them in the settings record, with the cell area's size.
void StoreSections(CVGGridInfo& info, const SectionRects& sections);
// Both at once.
void LayOutSections(CVGGridInfo& info, int clientWidth, int clientHeight);

// Widths that make columns first..last fill space in proportion; the last takes the rounding rest.
// 1 for a bad range or columns that add up to 0 wide.
int FitColumnWidths(const CVGGridInfo& info, int first, int last, int space, std::vector<int>* widths);

}  // namespace VGLayout
