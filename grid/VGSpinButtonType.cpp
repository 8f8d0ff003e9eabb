#include "VGSpinButtonType.h"

#include "VGCtrl.h"
#include "VGXPThemes.h"

IMPLEMENT_DYNAMIC(CVGSpinButtonType, CVGCellType)

namespace {

// {45858899-D9EB-11D5-9B37-0050BAD44BCD}
constexpr GUID kSpinButtonTypeId = {0x45858899, 0xD9EB, 0x11D5, {0x9B, 0x37, 0x00, 0x50, 0xBA, 0xD4, 0x4B, 0xCD}};

constexpr int kBorderStyleSunken = 0x1000;
constexpr int kBorderStyleRaised = 0x2000;

}  // namespace

// The drop list's look: the system scroll-bar width and the button face.
CVGSpinButtonType::CVGSpinButtonType() : m_buttonWidth(::GetSystemMetrics(SM_CXVSCROLL))
{
    m_separatorPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
    m_buttonBrush.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

LPCWSTR CVGSpinButtonType::GetTypeName() { return L"Spin Button"; }
const GUID* CVGSpinButtonType::GetTypeId() { return &kSpinButtonTypeId; }

int CVGSpinButtonType::ShrinkEditRect(RECT* rect)
{
    rect->right -= m_buttonWidth + 1;
    return 1;
}

void CVGSpinButtonType::Redraw()
{
    if (m_pGrid && m_spinColumn >= 0 && m_spinRow >= 0)
        m_pGrid->RepaintCell(m_spinColumn, m_spinRow);
}

int CVGSpinButtonType::OnLButton(int column, int row, int down, RECT* rect, POINT* point)
{
    if (down && point->x > rect->right - m_buttonWidth) {
        m_buttonRect = CRect(rect->right - m_buttonWidth, rect->top, rect->right, rect->bottom);
        m_spinColumn = column;
        m_spinRow = row;
        const bool upper = point->y < (rect->top + rect->bottom) / 2;
        m_upperPressed = upper ? 1 : 0;
        m_lowerPressed = upper ? 0 : 1;
        m_lastHalf = upper ? 1 : 2;
        NotifyGrid(m_typeIndex, column, row, upper ? VGSPIN_UP : VGSPIN_DOWN, 0);
        Redraw();
        return 1;
    }
    if (!down && (m_upperPressed || m_lowerPressed)) {
        m_upperPressed = m_lowerPressed = 0;
        m_lastHalf = 0;
        Redraw();
        return 1;
    }
    return 0;
}

int CVGSpinButtonType::OnDoubleClick(int column, int row, RECT* rect, POINT* point)
{
    return OnLButton(column, row, 1, rect, point);
}

int CVGSpinButtonType::OnMouseMove(int, int, POINT* point, UINT keyFlags)
{
    const int before = PressedHalf();
    if (!(keyFlags & MK_LBUTTON)) {
        m_upperPressed = m_lowerPressed = 0;
    } else if (!m_buttonRect.PtInRect(*point)) {
        m_upperPressed = m_lowerPressed = 0;
    } else {
        m_upperPressed = m_lastHalf == 1 ? 1 : 0;
        m_lowerPressed = m_lastHalf == 2 ? 1 : 0;
    }
    if (PressedHalf() != before)
        Redraw();
    return 0;
}

void CVGSpinButtonType::MeasureCell(CDC* dc, SIZE* size, CVGCell* cell)
{
    CVGCellType::MeasureCell(dc, size, cell);
    const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
    if (!(style & VGSTYLE_BUTTONWHENCURRENT))
        size->cx += m_buttonWidth;
}

void CVGSpinButtonType::PaintHalf(CDC* dc, CVGCell* cell, RECT half, bool pressed, bool up, double scale)
{
    cell->PutBorderStyle(static_cast<short>(pressed ? kBorderStyleSunken : kBorderStyleRaised));
    RECT face = half;
    PaintBorder(dc, &half, &face, cell);
    dc->FillRect(&face, &m_buttonBrush);
    const int height = half.bottom - half.top;
    const int width = half.right - half.left;
    if (dc->IsPrinting()) {
        const int cx = half.left + width / 2;
        const int cy = half.top + height / 2;
        const int w = static_cast<int>(3 * scale);
        const POINT corners[3] = {{cx - w, up ? cy + w / 2 : cy - w / 2}, {cx + w, up ? cy + w / 2 : cy - w / 2},
                                  {cx, up ? cy - w / 2 : cy + w / 2}};
        const HGDIOBJ oldPen = dc->SelectObject(::GetStockObject(BLACK_PEN));
        const HGDIOBJ oldBrush = dc->SelectObject(::GetStockObject(BLACK_BRUSH));
        dc->Polygon(corners, 3);
        dc->SelectObject(oldBrush);
        dc->SelectObject(oldPen);
        return;
    }
    // A 5-3-1 triangle in the middle of the half, pointing up or down, when the cell has room.
    if (height * 2 <= 9)
        return;
    const int offset = pressed ? 1 : 0;
    const int x = half.left + (width - 5) / 2 + offset;
    const int y = half.top + (height - 3) / 2 + offset;
    const HGDIOBJ oldPen = dc->SelectObject(::GetStockObject(BLACK_PEN));
    for (int i = 0; i < 3; ++i) {
        const int lineY = up ? y + 2 - i : y + i;
        dc->MoveTo(x + i, lineY);
        dc->LineTo(x + 5 - i, lineY);
    }
    dc->SelectObject(oldPen);
}

void CVGSpinButtonType::PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current)
{
    if (PaintedWithoutButton(dc, rect, column, row, cell, selected, current))
        return;
    const double scale = m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
    PaintBorder(dc, rect, rect, cell);
    const int buttonWidth = static_cast<int>(m_buttonWidth * scale);
    const CRect button(rect->right - buttonWidth, rect->top, rect->right, rect->bottom);
    const int middle = (button.top + button.bottom) / 2;
    const RECT upper = {button.left, button.top, button.right, middle};
    const RECT lower = {button.left, middle, button.right, button.bottom};
    const bool upperHeld = m_upperPressed && current;
    const bool lowerHeld = m_lowerPressed && current;
    bool themed = false;
    if (m_useThemes && VGXPThemes::ThemesAvailable()) {
        CWnd* window = dc->GetWindow();
        const HWND hwnd = window ? window->GetSafeHwnd() : nullptr;
        const int state = VGXPThemes::StateFromFlags(selected, current);
        themed = VGXPThemes::ThemedBackground(hwnd, dc->GetSafeHdc(), VGTHEME_SPINUP,
                                              upperHeld ? VGSTATE_PRESSED : state, &upper, rect) &&
                 VGXPThemes::ThemedBackground(hwnd, dc->GetSafeHdc(), VGTHEME_SPINDOWN,
                                              lowerHeld ? VGSTATE_PRESSED : state, &lower, rect);
    }
    if (!themed) {
        PaintHalf(dc, cell, upper, upperHeld, true, scale);
        PaintHalf(dc, cell, lower, lowerHeld, false, scale);
    }
    const int separator = button.left - static_cast<int>(scale);
    const HGDIOBJ oldPen = dc->SelectObject(m_separatorPen.GetSafeHandle());
    dc->MoveTo(separator, rect->top);
    dc->LineTo(separator, rect->bottom);
    dc->SelectObject(oldPen);
    rect->right -= static_cast<LONG>((m_buttonWidth + 1) * scale);
    PaintText(dc, rect, 0, column, row, cell, selected, current);
}
