#include "grids/AlarmGrid.h"

#include "grids/GridRules.h"

int AlarmGrid::OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM) {
    return grids::StepSpinCell(*this, typeIndex, column, row, message);
}

int AlarmGrid::GetTipText(int column, int row, int, CString* text) { return grids::FormatCellTip(column, row, text); }

int AlarmGrid::CompareCells(CVGCell* a, CVGCell* b, int flags) { return grids::CompareCellsByRule(a, b, flags); }

COLORREF AlarmGrid::GetSectionBackColor(int) { return grids::kSectionBackColor; }

int AlarmGrid::DrawFocusFrame(CDC* dc, RECT* rect) { return grids::DrawPlainFocusFrame(dc, rect); }

void AlarmGrid::OnSectionKillFocus(int, CWnd*) {}

void AlarmGrid::OnCellDoubleClick(int column, int, RECT*, POINT*, int) { grids::EditOnColumnTwo(*this, column); }
