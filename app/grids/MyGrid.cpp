#include "grids/MyGrid.h"

#include "grids/GridRules.h"

int MyGrid::OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM) {
    return grids::StepSpinCell(*this, typeIndex, column, row, message);
}

int MyGrid::GetTipText(int column, int row, int, CString* text) { return grids::FormatCellTip(column, row, text); }

int MyGrid::CompareCells(CVGCell* a, CVGCell* b, int flags) { return grids::CompareCellsByRule(a, b, flags); }

COLORREF MyGrid::GetSectionBackColor(int) { return grids::kSectionBackColor; }

int MyGrid::DrawFocusFrame(CDC* dc, RECT* rect) { return grids::DrawPlainFocusFrame(dc, rect); }

void MyGrid::OnSectionKillFocus(int, CWnd*) {}
