#include "grids/GridRules.h"

#include "VGSpinButtonType.h"

#include <cwchar>
#include <utility>

namespace grids {
namespace {

// The registry index of the spin type when an application adds it after the four built-in types.
constexpr int kSpinTypeIndex = 4;

bool HasNoText(LPCWSTR text) { return text == nullptr || *text == L'\0'; }

// Texts compared by code point; a cell without text goes after every cell with one.
int CompareTexts(CVGCell* a, CVGCell* b) {
    const LPCWSTR first = a->ReadText();
    const LPCWSTR second = b->ReadText();
    if (HasNoText(first)) return 1;
    if (HasNoText(second)) return -1;
    const int order = std::wcscmp(first, second);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

int StepSpinCell(CVGCtrl& grid, int typeIndex, int column, int row, long message) {
    if (typeIndex != kSpinTypeIndex || (message != VGSPIN_UP && message != VGSPIN_DOWN)) return 1;
    CVGCell cell;
    grid.GetStoredCell(column, row, &cell);
    const double number = cell.ReadNumber();
    if (message == VGSPIN_UP) cell.PutNumber(number + 1.0);
    else if (number != 0.0) cell.PutNumber(number - 1.0);
    grid.StoreCell(column, row, &cell);
    return 1;
}

int FormatCellTip(int column, int row, CString* text) {
    if (text) text->Format(L"Col:%d Row:%ld", column, static_cast<long>(row));
    return 1;
}

int CompareCellsByRule(CVGCell* a, CVGCell* b, int flags) {
    if (!a && !b) return 0;
    if (!a) return 1;
    if (!b) return -1;
    if (flags & 2) std::swap(a, b);
    switch (a->ReadDataType()) {
    case VGDATA_TEXT:
        if (HasNoText(a->ReadText()) && HasNoText(b->ReadText())) return 0;
        return CompareTexts(a, b);
    case VGDATA_NUMBER:
    case VGDATA_BOOLEAN:
    case VGDATA_CURRENCY: {
        const double first = a->ReadNumber();
        const double second = b->ReadNumber();
        return first < second ? -1 : (first > second ? 1 : 0);
    }
    default:
        return CompareTexts(a, b);
    }
}

int DrawPlainFocusFrame(CDC* dc, RECT* rect) {
    RECT frame = *rect;
    frame.right -= 1;
    frame.bottom -= 1;
    dc->DrawFocusRect(&frame);
    return 0;
}

SeriesMarks UnmarkedSeries() {
    SeriesMarks marks;
    marks.fill(1);
    return marks;
}

void MarkSeriesRow(SeriesMarks& marks, int row) {
    for (int index = 0; index < kSeriesRows; ++index) marks[index] = index == row ? 3 : 1;
}

void EditOnColumnTwo(CVGCtrl& grid, int column) {
    if (column == 2) grid.EditCurrentCell();
}

}  // namespace grids
