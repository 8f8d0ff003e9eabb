#include "VGArrowType.h"

#include "VGCtrl.h"

IMPLEMENT_DYNAMIC(CVGArrowType, CVGCellType)

namespace {

// {F5C12593-D930-11D5-9B36-0050BAD44BCD}
constexpr GUID kArrowTypeId = {0xF5C12593, 0xD930, 0x11D5, {0x9B, 0x36, 0x00, 0x50, 0xBA, 0xD4, 0x4B, 0xCD}};

}  // namespace

CVGArrowType::CVGArrowType()
{
    m_canEditInCell = 0;
}

LPCWSTR CVGArrowType::GetTypeName() { return L"Side Arrows"; }
const GUID* CVGArrowType::GetTypeId() { return &kArrowTypeId; }

void CVGArrowType::MeasureCell(CDC*, SIZE* size, CVGCell* cell)
{
    const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
    size->cx = 10 + (style == VGARROW_DOUBLERIGHT || style == VGARROW_DOUBLELEFT ? 4 : 0);
}

void CVGArrowType::PaintArrow(CDC* dc, int x, int cy, bool right)
{
    // Strokes of 7, 5, 3 and 1 pixels from the wide end towards the point.
    const int step = right ? 1 : -1;
    for (int i = 0; i < 4; ++i) {
        dc->MoveTo(x + step * i, cy - 3 + i);
        dc->LineTo(x + step * i, cy + 4 - i);
    }
}

void CVGArrowType::PaintPrintedArrow(CDC* dc, int x, int cy, bool right, double scale)
{
    const int width = static_cast<int>(4 * scale);
    const int half = static_cast<int>(7 * scale) / 2;
    const int tip = right ? x + width : x - width;
    const POINT corners[3] = {{x, cy - half}, {x, cy + half}, {tip, cy}};
    dc->Polygon(corners, 3);
}

void CVGArrowType::PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current)
{
    if (!m_themeChoiceFixed)
        m_useThemes = cell->ReadVisualStyle();
    PaintBorder(dc, rect, rect, cell);
    CVGGridInfo* info = Info();
    const bool highlighted = selected || (current && info && (info->m_currentCellHighlight & 2));
    const COLORREF text = highlighted ? cell->ReadHighlightTextColor() : cell->ReadTextColor();
    PaintBackground(dc, rect, highlighted ? cell->ReadHighlightBackColor() : cell->ReadBackColor(), row, column, cell,
                    current, selected);
    if (rect->right - rect->left <= 3)
        return;
    const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
    const int cx = (rect->left + rect->right) / 2;
    const int cy = (rect->top + rect->bottom) / 2;
    const bool left = style == VGARROW_LEFT || style == VGARROW_DOUBLELEFT;
    const bool twin = style == VGARROW_DOUBLERIGHT || style == VGARROW_DOUBLELEFT;
    // The wide end of each arrow: one arrow at the centre, or two beside it.
    int ends[2] = {left ? cx + 1 : cx - 1, 0};
    if (twin) {
        ends[0] = left ? cx + 4 : cx - 4;
        ends[1] = left ? cx - 2 : cx + 2;
    }
    const int count = twin ? 2 : 1;
    if (dc->IsPrinting()) {
        const double scale = m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
        const HGDIOBJ oldPen = dc->SelectObject(::GetStockObject(BLACK_PEN));
        const HGDIOBJ oldBrush = dc->SelectObject(::GetStockObject(BLACK_BRUSH));
        for (int i = 0; i < count; ++i)
            PaintPrintedArrow(dc, ends[i], cy, !left, scale);
        dc->SelectObject(oldBrush);
        dc->SelectObject(oldPen);
        return;
    }
    CPen pen(PS_SOLID, 1, text);
    const HGDIOBJ oldPen = dc->SelectObject(pen.GetSafeHandle());
    for (int i = 0; i < count; ++i)
        PaintArrow(dc, ends[i], cy, !left);
    dc->SelectObject(oldPen);
}
