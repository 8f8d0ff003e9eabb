#include "VGDropListType.h"

#include "VGCtrl.h"
#include "VGXPThemes.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGDropListType, CVGCellType)

namespace {

// {1667A6A0-F746-11D0-9C7F-0080C83F712F}
constexpr GUID kDropListTypeId = {0x1667A6A0, 0xF746, 0x11D0, {0x9C, 0x7F, 0x00, 0x80, 0xC8, 0x3F, 0x71, 0x2F}};

constexpr int kListChildId = 123;
constexpr int kMaxVisibleChoices = 15;
constexpr int kBorderStyleSunken = 0x1000;
constexpr int kBorderStyleRaised = 0x2000;

bool ReadOnly(CVGCell& cell)
{
    return cell.HasProperty(VGCELL_READONLY) && cell.ReadReadOnly();
}

// The height of a list item in the font: a negative (character) height counts as points.
int ItemHeight(CFont* font)
{
    LOGFONTW logFont = {};
    const HGDIOBJ handle = font && font->GetSafeHandle() ? font->GetSafeHandle() : ::GetStockObject(SYSTEM_FONT);
    if (!::GetObjectW(handle, sizeof(logFont), &logFont))
        return 12;
    if (logFont.lfHeight >= 0)
        return logFont.lfHeight;
    const HDC screen = ::GetDC(nullptr);
    const int perInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return -::MulDiv(logFont.lfHeight, perInch, 72);
}

}  // namespace

CVGDropListType::CVGDropListType()
    : m_buttonWidth(::GetSystemMetrics(SM_CXVSCROLL)), m_pList(std::make_unique<CVGLstBox>())
{
    m_separatorPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
    m_buttonBrush.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

CVGDropListType::~CVGDropListType()
{
    if (m_pList->GetSafeHwnd())
        m_pList->DestroyWindow();
}

LPCWSTR CVGDropListType::GetTypeName() { return L"DropList"; }
const GUID* CVGDropListType::GetTypeId() { return &kDropListTypeId; }

int CVGDropListType::ShrinkEditRect(RECT* rect)
{
    rect->right -= m_buttonWidth + 1;
    return 0;
}

void CVGDropListType::SplitChoices(LPCWSTR label, CStringList* choices)
{
    if (!label)
        return;
    const wchar_t* start = label;
    for (const wchar_t* p = label; *p; ++p) {
        if (*p == L'\n') {
            choices->AddTail(CString(start, static_cast<int>(p - start)));
            start = p + 1;
        }
    }
}

CRect CVGDropListType::ButtonRect(const RECT& cell, double scale) const
{
    const int width = static_cast<int>(m_buttonWidth * scale);
    return CRect(cell.right - width, cell.top, cell.right, cell.bottom);
}

void CVGDropListType::CloseList()
{
    if (m_pList->GetSafeHwnd()) {
        m_pList->ShowWindow(SW_HIDE);
        m_pList->DestroyWindow();
    }
}

int CVGDropListType::OnLButton(int column, int row, int down, RECT* rect, POINT* point)
{
    CVGGridInfo* info = Info();
    if (info && info->m_multipleSelection > 0 && (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0))
        return 1;
    if (down) {
        if (point->x > rect->right - m_buttonWidth) {
            if (column != m_listColumn || row != m_listRow) {
                m_buttonRect = ButtonRect(*rect, 1.0);
                m_buttonPressed = 1;
                m_listColumn = column;
                m_listRow = row;
                m_pGrid->RepaintCell(column, row);
                OpenList();
            } else {
                m_listColumn = m_listRow = -1;
                CloseList();
            }
            return 1;
        }
        if (m_listColumn == -2)
            m_listColumn = m_listRow = -1;
        return 0;
    }
    if (m_buttonPressed) {
        m_buttonPressed = 0;
        m_pGrid->RepaintCell(column, row);
        return 1;
    }
    return 0;
}

int CVGDropListType::OnDoubleClick(int column, int row, RECT* rect, POINT* point)
{
    if (point->x > rect->right - m_buttonWidth)
        return OnLButton(column, row, 1, rect, point);
    return 0;
}

int CVGDropListType::OnKeyDown(int column, int row, UINT* key)
{
    if (*key == VK_RETURN || (*key == VK_DOWN && ::GetKeyState(VK_CONTROL) < 0)) {
        m_listColumn = column;
        m_listRow = row;
        OpenList();
        *key = 0;
        return 1;
    }
    return 0;
}

int CVGDropListType::OnChar(int, int, UINT* character)
{
    return *character == 13 || *character == 40 ? 1 : 0;
}

int CVGDropListType::OnMouseMove(int, int, POINT* point, UINT keyFlags)
{
    if (!(keyFlags & MK_LBUTTON))
        return 1;
    const int pressed = m_buttonRect.PtInRect(*point) ? 1 : 0;
    if (pressed != m_buttonPressed) {
        m_buttonPressed = pressed;
        if (m_listColumn >= 0 && m_listRow >= 0)
            m_pGrid->RepaintCell(m_listColumn, m_listRow);
    }
    return 0;
}

void CVGDropListType::OnCellKillFocus(int, int, CVGCell*)
{
    CloseList();
    m_listColumn = m_listRow = -1;
}

void CVGDropListType::MeasureCell(CDC* dc, SIZE* size, CVGCell* cell)
{
    CVGCellType::MeasureCell(dc, size, cell);
    const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
    if (!(style & VGSTYLE_BUTTONWHENCURRENT))
        size->cx += m_buttonWidth;
}

int CVGDropListType::OpenList()
{
    if (m_pList->GetSafeHwnd())
        return 1;
    if (!m_pGrid)
        return 1;
    CVGCell cell;
    m_pGrid->GetEffectiveCell(m_listColumn, m_listRow, &cell);
    if (ReadOnly(cell))
        return 0;
    m_listColumn = m_pGrid->QueryCurrentColumn();
    m_listRow = m_pGrid->QueryCurrentRow();

    CStringList choices;
    SplitChoices(cell.HasProperty(VGCELL_LABEL) ? cell.ReadLabel() : nullptr, &choices);
    if (!NotifyGrid(m_typeIndex, m_listColumn, m_listRow, VGDROP_OPENING, reinterpret_cast<LPARAM>(&choices)))
        return 1;

    CVGGridInfo* info = Info();
    CFont* font = cell.HasProperty(VGCELL_FONT) ? cell.ReadFont() : nullptr;
    if (!font && info)
        font = info->m_pDefaultFont;
    const int itemHeight = ItemHeight(font);

    int column = m_listColumn, row = m_listRow;
    RECT cellRect;
    m_pGrid->ComputeCellRect(&column, &row, &cellRect);
    const int shown = std::min(static_cast<int>(choices.GetCount()), kMaxVisibleChoices);
    CRect list(cellRect.left, cellRect.bottom, cellRect.right + 10, cellRect.bottom + itemHeight * shown + 6);
    // The list belongs to the grid's top-level window, over the grid and whatever lies below it: a
    // grid only a few rows tall has no room under its lower rows, and a list kept inside it would
    // open over the rows above the cell it serves.
    CWnd& cells = m_pGrid->CellArea();
    CWnd* host = cells.GetTopLevelParent();
    if (host == nullptr || host->GetSafeHwnd() == nullptr)
        host = &cells;
    ::MapWindowPoints(cells.GetSafeHwnd(), host->GetSafeHwnd(), reinterpret_cast<POINT*>(&list), 2);
    CRect client;
    host->GetClientRect(&client);
    if (list.bottom > client.bottom) {
        list.OffsetRect(0, -std::min<LONG>(list.bottom - client.bottom, list.top));
        list.bottom = client.bottom;
    }
    if (list.right > client.right) {
        list.OffsetRect(-std::min<LONG>(list.right - client.right, list.left), 0);
        list.right = client.right;
    }

    m_pList->Prepare(m_pGrid, this, m_typeIndex, &m_listColumn, &m_listRow);
    if (!m_pList->Create(WS_CHILD | WS_BORDER | WS_VSCROLL | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0), host, kListChildId))
        return 1;
    // Above its siblings: the pages and controls it lies over.
    m_pList->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (font && font->GetSafeHandle())
        m_pList->SetFont(font, FALSE);
    else
        m_pList->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(SYSTEM_FONT)), FALSE);
    // Items as tall as the rows the rectangle was measured for.
    m_pList->SetItemHeight(0, static_cast<UINT>(std::max(itemHeight, 1)));
    m_pList->MoveWindow(&list, FALSE);
    for (POSITION at = choices.GetHeadPosition(); at;)
        m_pList->AddString(choices.GetNext(at));
    // The cell's value is the choice marked, where the keys start from.
    if (LPCWSTR value = cell.ReadText())
        m_pList->SetCurSel(m_pList->FindStringExact(-1, value));
    m_pList->ShowWindow(SW_SHOW);
    m_pList->SetFocus();
    m_buttonPressed = 0;
    m_pGrid->RepaintCell(m_listColumn, m_listRow);
    return 0;
}

void CVGDropListType::PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current)
{
    if (PaintedWithoutButton(dc, rect, column, row, cell, selected, current))
        return;
    const double scale = m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
    bool themed = false;
    if (m_useThemes && VGXPThemes::ThemesAvailable()) {
        const CRect button = ButtonRect(*rect, scale);
        CWnd* window = dc->GetWindow();
        const HWND hwnd = window ? window->GetSafeHwnd() : nullptr;
        const int state = VGXPThemes::StateFromFlags(selected, current);
        themed = VGXPThemes::ThemedBackground(hwnd, dc->GetSafeHdc(), VGTHEME_CELL, state, rect, rect) &&
                 VGXPThemes::ThemedBackground(hwnd, dc->GetSafeHdc(), VGTHEME_DROPBUTTON, state, &button, rect);
    }
    if (!themed) {
        // The button sits inside the cell's own border lines.
        PaintBorder(dc, rect, rect, cell);
        CRect button = ButtonRect(*rect, scale);
        if (dc->IsPrinting())
            button.DeflateRect(static_cast<int>(scale), static_cast<int>(scale));
        cell->PutBorderStyle(static_cast<short>(m_buttonPressed && current ? kBorderStyleSunken : kBorderStyleRaised));
        RECT face = button;
        PaintBorder(dc, &button, &face, cell);
        dc->FillRect(&face, &m_buttonBrush);
        const HGDIOBJ oldPen = dc->SelectObject(m_separatorPen.GetSafeHandle());
        dc->MoveTo(button.left - 1, rect->top);
        dc->LineTo(button.left - 1, rect->bottom);
        dc->SelectObject(oldPen);
        PaintArrow(dc, button, *rect, ReadOnly(*cell), scale);
    }
    rect->right -= static_cast<LONG>(m_buttonWidth * scale) + 1;
    PaintText(dc, rect, 0, column, row, cell, selected, current);
}

void CVGDropListType::PaintArrow(CDC* dc, const CRect& button, const RECT& cell, bool readOnly, double scale)
{
    if (dc->IsPrinting()) {
        const POINT corners[3] = {{button.left + button.Width() * 3 / 10, button.top + button.Height() * 5 / 12},
                                  {button.left + button.Width() * 7 / 10, button.top + button.Height() * 5 / 12},
                                  {button.left + button.Width() / 2, button.top + button.Height() * 7 / 12}};
        const HGDIOBJ oldPen = dc->SelectObject(::GetStockObject(BLACK_PEN));
        const HGDIOBJ oldBrush = dc->SelectObject(::GetStockObject(BLACK_BRUSH));
        dc->Polygon(corners, 3);
        dc->MoveTo(button.left, button.top);
        dc->LineTo(button.right, button.top);
        dc->SelectObject(oldBrush);
        dc->SelectObject(oldPen);
        return;
    }
    const int x = button.left + (static_cast<int>(m_buttonWidth * scale) - 5) / 2;
    const int y = cell.top + (cell.bottom - cell.top - 3) / 2;
    CPen arrow(PS_SOLID, 1, readOnly ? RGB(0x80, 0x80, 0x80) : RGB(0, 0, 0));
    const HGDIOBJ oldPen = dc->SelectObject(arrow.GetSafeHandle());
    // 5, 3 and 1 pixels: a small triangle pointing down.
    dc->MoveTo(x, y);
    dc->LineTo(x + 5, y);
    dc->MoveTo(x + 1, y + 1);
    dc->LineTo(x + 4, y + 1);
    dc->MoveTo(x + 2, y + 2);
    dc->LineTo(x + 3, y + 2);
    if (readOnly) {
        // The embossed look of a disabled arrow: a white shadow below its right edge.
        CPen shadow(PS_SOLID, 1, RGB(0xFF, 0xFF, 0xFF));
        dc->SelectObject(shadow.GetSafeHandle());
        dc->MoveTo(x + 3, y + 2);
        dc->LineTo(x + 5, y);
        dc->MoveTo(x + 3, y + 3);
        dc->LineTo(x + 6, y);
        dc->SelectObject(arrow.GetSafeHandle());
    }
    dc->SelectObject(oldPen);
}
