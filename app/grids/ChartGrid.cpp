#include "grids/ChartGrid.h"

grids::SeriesMarks ChartGrid::seriesMarks = grids::UnmarkedSeries();

int ChartGrid::OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM) {
    return grids::StepSpinCell(*this, typeIndex, column, row, message);
}

int ChartGrid::GetTipText(int column, int row, int, CString* text) { return grids::FormatCellTip(column, row, text); }

int ChartGrid::CompareCells(CVGCell* a, CVGCell* b, int flags) { return grids::CompareCellsByRule(a, b, flags); }

COLORREF ChartGrid::GetSectionBackColor(int) { return grids::kSectionBackColor; }

int ChartGrid::DrawFocusFrame(CDC* dc, RECT* rect) { return grids::DrawPlainFocusFrame(dc, rect); }

void ChartGrid::OnSectionKillFocus(int, CWnd*) {}

void ChartGrid::OnCellLButton(int, int row, int, RECT*, POINT*, int) { grids::MarkSeriesRow(seriesMarks, row); }

void ChartGrid::OnCellDoubleClick(int column, int, RECT*, POINT*, int) { grids::EditOnColumnTwo(*this, column); }
