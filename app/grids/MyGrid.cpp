#include "grids/MyGrid.h"

#include "VGSpinButtonType.h"

namespace {

// The registry index of the spin type when an application adds it after the four built-in types.
constexpr int kSpinTypeIndex = 4;

}  // namespace

int MyGrid::OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM) {
    if (typeIndex != kSpinTypeIndex || (message != VGSPIN_UP && message != VGSPIN_DOWN)) return 1;
    CVGCell cell;
    GetStoredCell(column, row, &cell);
    const double number = cell.ReadNumber();
    if (message == VGSPIN_UP) cell.PutNumber(number + 1.0);
    else if (number != 0.0) cell.PutNumber(number - 1.0);
    StoreCell(column, row, &cell);
    return 1;
}

int MyGrid::GetTipText(int column, int row, int, CString* text) {
    if (text) text->Format(L"Col:%d Row:%ld", column, static_cast<long>(row));
    return 1;
}

// The grid's own comparison is this rule; two date cells without text compare equal, so that a sort
// keeps their order.
int MyGrid::CompareCells(CVGCell* a, CVGCell* b, int flags) { return CompareCellsByDefault(a, b, flags); }

COLORREF MyGrid::GetSectionBackColor(int) { return kSectionBackColor; }

int MyGrid::DrawFocusFrame(CDC* dc, RECT* rect) {
    RECT frame = *rect;
    frame.right -= 1;
    frame.bottom -= 1;
    dc->DrawFocusRect(&frame);
    return 0;
}

void MyGrid::OnSectionKillFocus(int, CWnd*) {}
