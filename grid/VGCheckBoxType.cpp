#include "VGCheckBoxType.h"

#include "VGCtrl.h"
#include "VGXPThemes.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGCheckBoxType, CVGCellType)

namespace {

// {93AAB8D0-F749-11D0-9C7F-0080C83F712F}
constexpr GUID kCheckBoxTypeId = {0x93AAB8D0, 0xF749, 0x11D0, {0x9C, 0x7F, 0x00, 0x80, 0xC8, 0x3F, 0x71, 0x2F}};

int StyleOf(const CVGCell& cell)
{
    return cell.HasProperty(VGCELL_TYPESTYLE) ? cell.ReadTypeStyle() : 0;
}

bool ReadOnly(const CVGCell& cell)
{
    return cell.HasProperty(VGCELL_READONLY) && cell.ReadReadOnly();
}

int ValueOf(const CVGCell& cell)
{
    return static_cast<int>(cell.ReadNumber());
}

void Line(CDC* dc, int x1, int y1, int x2, int y2)
{
    dc->MoveTo(x1, y1);
    dc->LineTo(x2, y2);
}

// A checkerboard of the button face and highlight colours, 8 by 8 pixels.
HBRUSH MakeDitherBrush()
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
        DWORD rows[8];
    } pattern = {};
    pattern.header.biSize = sizeof(BITMAPINFOHEADER);
    pattern.header.biWidth = 8;
    pattern.header.biHeight = 8;
    pattern.header.biPlanes = 1;
    pattern.header.biBitCount = 1;
    pattern.header.biCompression = BI_RGB;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    pattern.colours[0] = {GetBValue(face), GetGValue(face), GetRValue(face), 0};
    pattern.colours[1] = {GetBValue(light), GetGValue(light), GetRValue(light), 0};
    for (int row = 0; row < 8; ++row)
        pattern.rows[row] = row % 2 ? 0x55 : 0xAA;
    return ::CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
}

}  // namespace

CVGCheckBoxType::CVGCheckBoxType()
{
    m_darkPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    m_lightPen.CreatePen(PS_SOLID, 1, RGB(0xE1, 0xE1, 0xE1));
    m_facePen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
    if (!m_ditherBrush.Attach(MakeDitherBrush()))
        m_ditherBrush.CreateSysColorBrush(COLOR_WINDOW);
    m_canEditInCell = 0;
    m_overflowAllowed = 0;
}

LPCWSTR CVGCheckBoxType::GetTypeName() { return L"CheckBox"; }
const GUID* CVGCheckBoxType::GetTypeId() { return &kCheckBoxTypeId; }

CRect CVGCheckBoxType::BoxRect(const RECT& cell, int style, short alignment, double scale)
{
    const int height = cell.bottom - cell.top;
    const int side = std::min(height - static_cast<int>(6 * scale), static_cast<int>(12 * scale));
    const int offset = (height - side) / 2;
    int x = cell.left + 3;
    int y = cell.top + offset;
    if (style & VGCHECK_BOXONLY) {
        if (alignment & 4)
            x = (cell.left + cell.right) / 2 - side / 2;
        else if (alignment & 2)
            x = cell.right - side - 6;
        if (alignment & 8)
            y = cell.top + 3;
        else if (alignment & 0x10)
            y = cell.bottom - side - 6;
    }
    const int width = (style & VGCHECK_ROUND) && !(style & VGCHECK_BOXONLY) ? side + 1 : side;
    return CRect(x, y, x + width, y + side);
}

bool CVGCheckBoxType::TakesInput(int column, int row)
{
    if (!m_pGrid)
        return false;
    m_pGrid->GetEffectiveCell(column, row, &m_cell);
    return !ReadOnly(m_cell) && !(StyleOf(m_cell) & VGSTYLE_DISABLED);
}

void CVGCheckBoxType::Change(int column, int row, bool byMouse)
{
    m_pGrid->GetEffectiveCell(column, row, &m_cell);
    const int states = StyleOf(m_cell) & VGCHECK_THREESTATE ? 3 : 2;
    const int value = (ValueOf(m_cell) + 1) % states;
    m_pGrid->GetStoredCell(column, row, &m_cell);
    m_cell.PutNumber(value);
    m_pGrid->StoreCell(column, row, &m_cell);
    if (byMouse) {
        NotifyGrid(m_typeIndex, column, row, VGCHECK_CHANGED, value);
        m_pGrid->RepaintCell(column, row);
    } else {
        m_pGrid->RepaintCell(column, row);
        NotifyGrid(m_typeIndex, column, row, VGCHECK_CHANGED, value);
    }
}

int CVGCheckBoxType::OnLButton(int column, int row, int down, RECT* rect, POINT* point)
{
    if (!down || !TakesInput(column, row))
        return 0;
    const short alignment = m_cell.HasProperty(VGCELL_ALIGNMENT) ? m_cell.ReadAlignment() : 0;
    if (!BoxRect(*rect, StyleOf(m_cell), alignment, 1.0).PtInRect(*point))
        return 0;
    Change(column, row, true);
    return 1;
}

int CVGCheckBoxType::OnDoubleClick(int column, int row, RECT* rect, POINT* point)
{
    return OnLButton(column, row, 1, rect, point);
}

int CVGCheckBoxType::OnChar(int column, int row, UINT* character)
{
    if (*character != L' ' || !TakesInput(column, row))
        return 0;
    Change(column, row, false);
    return 1;
}

void CVGCheckBoxType::MeasureCell(CDC* dc, SIZE* size, CVGCell* cell)
{
    if (StyleOf(*cell) & VGCHECK_BOXONLY) {
        size->cx = 18;
        size->cy = 2;
        return;
    }
    CFont* font = cell->HasProperty(VGCELL_FONT) ? cell->ReadFont() : nullptr;
    CVGGridInfo* info = Info();
    if (!font && info)
        font = info->m_pDefaultFont;
    const HGDIOBJ old = font && font->GetSafeHandle() ? dc->SelectObject(font->GetSafeHandle()) : nullptr;
    CString label;
    cell->ReadLabel(label);
    RECT area = {0, 0, 0, 0};
    if (!label.IsEmpty())
        dc->DrawText(label, &area, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    if (old)
        dc->SelectObject(old);
    size->cx = (area.right - area.left) + 6 + 18;
    size->cy = (area.bottom - area.top) + 2;
}

void CVGCheckBoxType::PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current)
{
    const double scale = m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
    if (!m_themeChoiceFixed)
        m_useThemes = cell->ReadVisualStyle();
    PaintBorder(dc, rect, rect, cell);
    const int style = StyleOf(*cell);
    const int value = ValueOf(*cell);
    const short alignment = cell->HasProperty(VGCELL_ALIGNMENT) ? cell->ReadAlignment() : 0;
    const CRect box = BoxRect(*rect, style, alignment, scale);
    CVGGridInfo* info = Info();
    const bool highlighted = selected || (current && info && (info->m_currentCellHighlight & 2));
    PaintBackground(dc, rect, highlighted ? cell->ReadHighlightBackColor() : cell->ReadBackColor(), row, column, cell,
                    current, selected);
    if (!PaintThemedBox(dc, box, *rect, style, value, selected, current) && box.Height() > 5) {
        PaintBox(dc, box, style, value, highlighted, ReadOnly(*cell));
        if (value > 0)
            PaintMark(dc, box, style, value, highlighted);
    }
    if (!(style & VGCHECK_BOXONLY)) {
        rect->left += box.Height() + 6;
        m_showLabel = 1;
        PaintText(dc, rect, 0, column, row, cell, selected, current);
    }
}

bool CVGCheckBoxType::PaintThemedBox(CDC* dc, const CRect& box, const RECT& cell, int style, int value, int selected,
                                     int current)
{
    if (!m_useThemes || !VGXPThemes::ThemesAvailable())
        return false;
    int element;
    if (style & VGCHECK_ROUND)
        element = value == 0 ? VGTHEME_ROUNDOFF : (value == 1 && !(style & VGCHECK_TICK) ? VGTHEME_ROUNDON : VGTHEME_ROUNDON2);
    else
        element = value == 0 ? VGTHEME_CHECKOFF : (value == 1 ? VGTHEME_CHECKON : VGTHEME_CHECKMIXED);
    const int state =
        (style & VGSTYLE_DISABLED) || value == 2 ? VGSTATE_DISABLED : VGXPThemes::StateFromFlags(selected, current);
    CWnd* window = dc->GetWindow();
    return VGXPThemes::ThemedBackground(window ? window->GetSafeHwnd() : nullptr, dc->GetSafeHdc(), element, state,
                                        &box, &cell);
}

void CVGCheckBoxType::PaintBox(CDC* dc, const CRect& box, int style, int value, bool highlighted, bool readOnly)
{
    const HGDIOBJ oldPen = dc->SelectObject(::GetStockObject(BLACK_PEN));
    const HGDIOBJ outline = ::GetStockObject(highlighted ? WHITE_PEN : BLACK_PEN);
    const int l = box.left, t = box.top, r = box.right, b = box.bottom;
    CRect inside = box;
    if (style & VGCHECK_SUNKEN) {
        dc->SelectObject(&m_darkPen);
        Line(dc, l, b - 1, l, t);
        Line(dc, l, t, r, t);
        dc->SelectObject(&m_lightPen);
        Line(dc, r - 1, t + 1, r - 1, b - 1);
        Line(dc, l, b - 1, r, b - 1);
        dc->SelectObject(&m_facePen);
        Line(dc, r - 2, t + 2, r - 2, b - 2);
        Line(dc, l + 1, b - 2, r - 1, b - 2);
        dc->SelectObject(::GetStockObject(BLACK_PEN));
        Line(dc, l + 1, b - 2, l + 1, t + 1);
        Line(dc, l + 1, t + 1, r - 1, t + 1);
        inside.DeflateRect(2, 2);
    } else if (style & VGCHECK_RAISED) {
        dc->SelectObject(&m_lightPen);
        Line(dc, l, b - 1, l, t);
        Line(dc, l, t, r, t);
        dc->SelectObject(::GetStockObject(BLACK_PEN));
        Line(dc, r - 1, t, r - 1, b - 1);
        Line(dc, l, b - 1, r, b - 1);
        dc->SelectObject(&m_darkPen);
        Line(dc, r - 2, t + 1, r - 2, b - 2);
        Line(dc, l + 1, b - 2, r - 1, b - 2);
        dc->SelectObject(&m_facePen);
        Line(dc, l + 1, b - 2, l + 1, t + 1);
        Line(dc, l + 1, t + 1, r - 1, t + 1);
        inside.DeflateRect(2, 2);
    } else if (style & VGCHECK_ROUND) {
        dc->SelectObject(outline);
        dc->Arc(l, t, r, b, l, t, l, t);
    } else {
        dc->SelectObject(outline);
        Line(dc, l, t, r - 1, t);
        Line(dc, r - 1, t, r - 1, b - 1);
        Line(dc, r - 1, b - 1, l, b - 1);
        Line(dc, l, b - 1, l, t);
        inside.DeflateRect(1, 1);
    }
    if ((value == 2 && !(style & VGCHECK_ROUND)) || readOnly)
        dc->FillRect(&inside, &m_ditherBrush);
    dc->SelectObject(oldPen);
}

void CVGCheckBoxType::PaintMark(CDC* dc, const CRect& box, int style, int value, bool highlighted)
{
    const COLORREF colour = value == 2 ? ::GetSysColor(COLOR_BTNSHADOW) : (highlighted ? RGB(0xFF, 0xFF, 0xFF) : RGB(0, 0, 0));
    CPen pen(PS_SOLID, 1, colour);
    const HGDIOBJ oldPen = dc->SelectObject(pen.GetSafeHandle());
    const int l = box.left, t = box.top, r = box.right, b = box.bottom;
    const int side = box.Height();
    if (style & VGCHECK_ROUND) {
        CBrush dot(colour);
        const HGDIOBJ oldBrush = dc->SelectObject(dot.GetSafeHandle());
        dc->Ellipse(l + 3, t + 3, r - 2, b - 2);
        dc->SelectObject(oldBrush);
    } else if (style & VGCHECK_TICK) {
        // A tick from the left middle down to the lower third and up to the top right corner.
        const int strokes = side > 9 ? 3 : 1;
        for (int i = 0; i < strokes; ++i) {
            dc->MoveTo(l + 2, t + side / 2 - 1 + i);
            dc->LineTo(l + side / 3 + 1, t + side / 2 + side / 3 - 2 + i);
            dc->LineTo(r - 2, t + 2 + i);
        }
    } else {
        const int strokes = side > 9 ? 2 : 1;
        for (int i = 0; i < strokes; ++i) {
            Line(dc, l + 2 + i, t + 2, r - 2 + i, b - 2);
            Line(dc, l + 2 + i, b - 3, r - 2 + i, t + 1);
        }
    }
    dc->SelectObject(oldPen);
}
