#include "VGGrid.h"

#include "VGCtrl.h"
#include "VGDialogKeys.h"
#include "VGLayout.h"
#include "VGMouseHeld.h"
#include "VGMultiSelect.h"
#include "VGToolTips.h"
#include "VGXPThemes.h"

#include <cmath>

IMPLEMENT_DYNAMIC(CVGGrid, CWnd)

BEGIN_MESSAGE_MAP(CVGGrid, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEACTIVATE()
    ON_WM_GETDLGCODE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_CHAR()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

namespace {

// The last cell a tooltip hit test found: shared by every grid of the process.
VGToolTips::LastCell g_tipCell;

bool Overlaps(const RECT& a, const RECT& b)
{
    RECT both;
    return ::IntersectRect(&both, &a, &b) != 0;
}

bool Covers(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Pixels between the previous and the new first column (row), positive when the view moved on;
// `passed` when the sum passed the visible size (nothing worth copying).
long long ShiftBetween(int from, int to, int limit, bool* passed, int (*size)(const CVGGridInfo&, int),
                       const CVGGridInfo& info)
{
    *passed = false;
    long long shift = 0;
    const int step = to > from ? 1 : -1;
    for (int i = from; i != to; i += step) {
        shift += size(info, step > 0 ? i : i - 1);
        if (shift > limit) {
            *passed = true;
            return 0;
        }
    }
    return step > 0 ? shift : -shift;
}

}  // namespace

CVGGrid::~CVGGrid()
{
    m_redraw.Clear();
}

BOOL CVGGrid::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

CScrollBar* CVGGrid::GetScrollBarCtrl(int nBar) const
{
    if (!m_pGrid)
        return nullptr;
    return nBar == SB_VERT ? static_cast<CScrollBar*>(&m_pGrid->VScroll())
                           : static_cast<CScrollBar*>(&m_pGrid->HScroll());
}

LRESULT CVGGrid::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_THEMECHANGED) {
        VGXPThemes::OnThemeChanged();
        return 0;
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->code == TTN_GETDISPINFOW) {
            LRESULT result = 0;
            return OnNeedTipText(0, header, &result);
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

int CVGGrid::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (static_cast<int>(Default()) == -1)
        return -1;
    (void)lpCreateStruct;
    if (m_pInfo && m_pInfo->m_cellTooltips)
        EnableToolTips(TRUE);
    return 0;
}

void CVGGrid::OnDestroy()
{
    VGXPThemes::ReleaseThemes();
    Default();
}

BOOL CVGGrid::OnEraseBkgnd(CDC*)
{
    return VGXPThemes::ThemesAvailable() ? TRUE : FALSE;
}

BOOL CVGGrid::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(m_pInfo ? m_pInfo->m_arrowCursor : ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

int CVGGrid::OnMouseActivate(CWnd*, UINT, UINT)
{
    Default();
    return MA_ACTIVATE;
}

UINT CVGGrid::OnGetDlgCode()
{
    const UINT wanted = vgkeys::CellAreaDialogCode(GetCurrentMessage()->lParam);
    CWnd* focus = GetFocus();
    if (focus && IsChild(focus))
        return wanted;
    return static_cast<UINT>(Default()) | wanted;
}

void CVGGrid::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (m_pGrid)
        m_pGrid->SendMessage(WM_HSCROLL, MAKEWPARAM(nSBCode, nPos), reinterpret_cast<LPARAM>(pScrollBar->GetSafeHwnd()));
}

void CVGGrid::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (m_pGrid)
        m_pGrid->SendMessage(WM_VSCROLL, MAKEWPARAM(nSBCode, nPos), reinterpret_cast<LPARAM>(pScrollBar->GetSafeHwnd()));
}

// ---- Painting ----

void CVGGrid::PaintVisibleCells(CDC* dc)
{
    CVGGridInfo& info = *m_pInfo;
    HGDIOBJ oldFont = nullptr;
    if (info.m_pDefaultFont && info.m_pDefaultFont->GetSafeHandle())
        oldFont = dc->SelectObject(info.m_pDefaultFont->GetSafeHandle());
    m_pGrid->OnPrepareDC(dc, nullptr, VGSECTION_CELLS);
    info.m_rightColumn = info.m_columnCount;
    info.m_bottomRow = info.m_rowCount;

    long long emptyRight = -1;
    long long emptyBelow = -1;
    long long lastRowRight = 0;
    bool haveFocus = false;
    RECT focus = {};
    long long y = 0;
    for (int i = 0; i < info.m_rowCount; ++i) {
        i = VGLayout::ShownRowFrom(info, i);
        if (i >= info.m_rowCount)
            break;
        const int height = VGLayout::RowHeight(info, i);
        if (height == 0)
            continue;
        long long x = 0;
        for (int j = 0; j < info.m_columnCount; ++j) {
            j = VGLayout::ShownColumnFrom(info, j);
            if (j >= info.m_columnCount)
                break;
            const int width = info.m_columns[j].width;
            if (width == 0)
                continue;
            RECT rect = {static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width),
                         static_cast<LONG>(y + height)};
            const bool isCurrent = i == info.m_currentRow && (j == info.m_currentColumn || info.m_highlightCurrentRow);
            if (isCurrent && !haveFocus) {
                focus = rect;
                haveFocus = true;
            }
            if (m_redraw.InRanges(j, i)) {
                m_pGrid->GetEffectiveCell(j, i, &m_cell);
                int column = j;
                int row = i;
                bool skip = false;
                if (m_cell.HasProperty(VGCELL_JOIN) && info.m_joinedCells) {
                    // A join is drawn once a paint, over its whole block, from its origin.
                    m_pGrid->ComputeCellRect(&column, &row, &rect);
                    if (m_redraw.WasDrawn(column, row)) {
                        skip = true;
                    } else {
                        m_redraw.AddDrawnCell(column, row);
                        if (column != j || row != i)
                            m_pGrid->GetEffectiveCell(column, row, &m_cell);
                    }
                    if (row == info.m_currentRow && (column == info.m_currentColumn || info.m_highlightCurrentRow)) {
                        focus = rect;
                        haveFocus = true;
                    }
                }
                if (!skip) {
                    CVGCellType* type = m_pGrid->TypeOfCell(&m_cell);
                    int current = 0;
                    int selected = 0;
                    if (row == info.m_currentRow && (column == info.m_currentColumn || info.m_highlightCurrentRow)) {
                        current = 1;
                    } else if (info.m_multipleSelection > 0 && info.m_selection) {
                        int block = -1;
                        if (info.m_selection->CellSelectionState(column, row, &block))
                            selected = block + 1;
                    }
                    const int saved = dc->SaveDC();
                    RECT drawn = rect;
                    type->PaintCell(dc, &drawn, column, row, &m_cell, selected, current);
                    if (info.m_frozenColumnCount > 0 || info.m_frozenRowCount > 0) {
                        dc->SelectStockObject(BLACK_PEN);
                        if (info.m_frozenColumnCount > 0 && column == info.m_leftColumn) {
                            dc->MoveTo(rect.left - 1, rect.top);
                            dc->LineTo(rect.left - 1, rect.bottom + 1);
                        } else if (column == info.m_frozenColumnCount - 1) {
                            dc->MoveTo(rect.right - 1, rect.top);
                            dc->LineTo(rect.right - 1, rect.bottom + 1);
                        }
                        if (info.m_frozenRowCount > 0 && row == info.m_topRow) {
                            dc->MoveTo(rect.left, rect.top - 1);
                            dc->LineTo(rect.right + 1, rect.top - 1);
                        } else if (row == info.m_frozenRowCount - 1) {
                            dc->MoveTo(rect.left, rect.bottom - 1);
                            dc->LineTo(rect.right + 1, rect.bottom - 1);
                        }
                    }
                    dc->RestoreDC(saved);
                }
            }
            x += width;
            if (x > info.m_cellAreaWidth) {
                info.m_rightColumn = j;
                break;
            }
        }
        lastRowRight = x;
        if (info.m_rightColumn == info.m_columnCount)
            emptyRight = x;
        y += height;
        if (y > info.m_cellAreaHeight) {
            info.m_bottomRow = i;
            break;
        }
        if (i >= info.m_rowCount - 1) {
            const int before = info.m_rowCount;
            m_pGrid->RequestRowsPastEnd(i + 1);
            if (info.m_rowCount > before)
                m_redraw.AddRange(0, i + 1, info.m_columnCount - 1, i + 1);
        }
    }
    m_redraw.Clear();
    if (y < info.m_cellAreaHeight && info.m_bottomRow == info.m_rowCount)
        emptyBelow = y;

    CRect client;
    GetClientRect(&client);
    const COLORREF back = m_pGrid->GetSectionBackColor(VGSECTION_CELLS);
    if (emptyRight >= 0 && emptyRight < client.right)
        dc->FillSolidRect(CRect(static_cast<int>(emptyRight), 0, client.right, client.bottom), back);
    if (info.m_rowCount == 0 || info.m_columnCount == 0)
        emptyBelow = info.m_rowCount == 0 ? 0 : emptyBelow;
    if (emptyBelow >= 0 && emptyBelow < client.bottom)
        dc->FillSolidRect(CRect(0, static_cast<int>(emptyBelow), client.right, client.bottom), back);

    if (haveFocus && (m_hasFocus || m_pGrid->IsFindActive()) && !m_pGrid->IsEditing()) {
        if (info.m_highlightCurrentRow) {
            focus.left = 0;
            if (lastRowRight < info.m_cellAreaWidth)
                focus.right = static_cast<LONG>(lastRowRight);
            else if (info.m_fullWidthFocus)
                focus.right = info.m_cellAreaWidth;
            else
                focus.right = static_cast<LONG>(VGLayout::ColumnWidth(info, info.m_leftColumn) > 0 ? lastRowRight : 0);
        }
        m_pGrid->DrawFocusFrame(dc, &focus);
    }
    if (oldFont)
        dc->SelectObject(oldFont);
}

void CVGGrid::ListCurrentCell(int column, int row)
{
    if (m_pInfo->m_highlightCurrentRow)
        m_redraw.AddRange(0, row, m_pInfo->m_columnCount, row);
    else
        m_redraw.AddCell(column, row);
}

void CVGGrid::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pGrid || !m_pInfo || !m_pInfo->m_painting)
        return;
    CVGGridInfo& info = *m_pInfo;
    const RECT update = dc.m_ps.rcPaint;
    if (!::IsRectEmpty(&update)) {
        int startColumn = 0, startRow = 0, endColumn = info.m_columnCount, endRow = info.m_rowCount;
        int column, row;
        RECT cell;
        if (VGLayout::HitTestCell(info, update.left, update.top, &column, &row, &cell) == 0) {
            startColumn = column;
            startRow = row;
        }
        if (VGLayout::HitTestCell(info, update.right - 1, update.bottom - 1, &column, &row, &cell) == 0) {
            endColumn = column;
            endRow = row;
            // A join reaching past the corner is drawn whole.
            int joinColumn = column, joinRow = row, joinEndColumn = column, joinEndRow = row;
            if (m_pGrid->FindJoinBlock(&joinColumn, &joinRow, &joinEndColumn, &joinEndRow) == 0) {
                endColumn = std::max(endColumn, joinEndColumn);
                endRow = std::max(endRow, joinEndRow);
            }
        }
        m_redraw.AddRange(startColumn, startRow, endColumn, endRow);
        const bool onlyCurrent = startColumn == endColumn && startRow == endRow &&
                                 startColumn == info.m_currentColumn && startRow == info.m_currentRow;
        if (!onlyCurrent)
            ListCurrentCell(info.m_currentColumn, info.m_currentRow);
    } else {
        m_redraw.AddRange(0, 0, info.m_columnCount, info.m_rowCount);
    }
    PaintVisibleCells(&dc);
    m_redraw.Clear();
}

bool CVGGrid::PixelCopyAllowed() const
{
    if (!m_pGrid || m_pGrid->IsFindActive() || m_pInfo->m_vScrollTip || m_pInfo->m_hScrollTip)
        return false;
    RECT mine;
    m_pGrid->GetWindowRect(&mine);
    // Windows in front of the grid among its siblings.
    for (HWND above = ::GetWindow(m_pGrid->GetSafeHwnd(), GW_HWNDPREV); above; above = ::GetWindow(above, GW_HWNDPREV)) {
        RECT theirs;
        if (::IsWindowVisible(above) && ::GetWindowRect(above, &theirs) && Overlaps(theirs, mine))
            return false;
    }
    for (HWND other : {::GetActiveWindow(), ::GetDesktopWindow()}) {
        RECT theirs;
        if (other && ::GetWindowRect(other, &theirs) && Overlaps(theirs, mine) && !Covers(theirs, mine) &&
            !::IsChild(other, m_hWnd))
            return false;
    }
    return true;
}

void CVGGrid::ScrollPixels(CWnd* window, CDC* dc, const CRect& area, int dx, int dy)
{
    CRgn uncopied;
    uncopied.CreateRectRgn(0, 0, 0, 0);
    dc->ScrollDC(-dx, -dy, &area, &area, &uncopied, nullptr);
    // The strip the move uncovers is drawn by the caller; anything else that could not be copied
    // (another window covered it) is painted afresh, never left stale.
    CRect strip = area;
    if (dy > 0)
        strip.top = area.bottom - dy;
    else if (dy < 0)
        strip.bottom = area.top - dy;
    if (dx > 0)
        strip.left = area.right - dx;
    else if (dx < 0)
        strip.right = area.left - dx;
    if (dx == 0 || dy == 0) {
        CRgn exposed;
        exposed.CreateRectRgnIndirect(&strip);
        ::CombineRgn(static_cast<HRGN>(uncopied.GetSafeHandle()), static_cast<HRGN>(uncopied.GetSafeHandle()),
                     static_cast<HRGN>(exposed.GetSafeHandle()), RGN_DIFF);
    }
    RECT box;
    if (::GetRgnBox(static_cast<HRGN>(uncopied.GetSafeHandle()), &box) != NULLREGION)
        window->InvalidateRgn(&uncopied, FALSE);
}

void CVGGrid::RefreshAfterMove()
{
    if (!m_hWnd || !m_pInfo->m_painting)
        return;
    CVGGridInfo& info = *m_pInfo;
    RECT pending;
    if (GetUpdateRect(&pending, FALSE)) {
        UpdateWindow();
        return;
    }
    if (!PixelCopyAllowed()) {
        m_redraw.Clear();
        Invalidate(TRUE);
        UpdateWindow();
        return;
    }
    bool passedColumns = false;
    bool passedRows = false;
    const long long dx =
        ShiftBetween(info.m_previousLeftColumn, info.m_leftColumn, info.m_cellAreaWidth, &passedColumns,
                     &VGLayout::ColumnWidth, info);
    const long long dy =
        ShiftBetween(info.m_previousTopRow, info.m_topRow, info.m_cellAreaHeight, &passedRows, &VGLayout::RowHeight, info);
    if (passedColumns || passedRows)
        m_redraw.AddRange(0, 0, info.m_columnCount, info.m_rowCount);

    CClientDC dc(this);
    if (dx != 0 || dy != 0) {
        CRect area;
        GetClientRect(&area);
        if (dx == 0)
            area.top += info.m_frozenRowsHeight;
        if (dy == 0)
            area.left += info.m_frozenColumnsWidth;
        ScrollPixels(this, &dc, area, static_cast<int>(dx), static_cast<int>(dy));
        if (dx > 0)
            m_redraw.AddRange(info.m_rightColumn, 0, info.m_columnCount, info.m_rowCount);
        else if (dx < 0)
            m_redraw.AddRange(0, 0, info.m_previousLeftColumn, info.m_rowCount);
        if (dy > 0)
            m_redraw.AddRange(0, info.m_bottomRow, info.m_columnCount, info.m_rowCount);
        else if (dy < 0)
            m_redraw.AddRange(0, 0, info.m_columnCount, info.m_previousTopRow);
        if (dx != 0 && dy != 0) {
            // The whole client area moved, frozen parts too: they are drawn again where they belong.
            if (info.m_frozenColumnCount > 0)
                m_redraw.AddRange(0, 0, info.m_frozenColumnCount - 1, info.m_rowCount);
            if (info.m_frozenRowCount > 0)
                m_redraw.AddRange(0, 0, info.m_columnCount, info.m_frozenRowCount - 1);
        }
    }
    ListCurrentCell(info.m_previousColumn, info.m_previousRow);
    ListCurrentCell(info.m_currentColumn, info.m_currentRow);
    PaintVisibleCells(&dc);
    m_redraw.Clear();
    UpdateWindow();
}

void CVGGrid::RefreshRange(int startColumn, int startRow, int endColumn, int endRow)
{
    m_redraw.AddRange(startColumn, startRow, endColumn, endRow);
    RefreshAfterMove();
}

void CVGGrid::RefreshCell(int column, int row)
{
    m_redraw.AddCell(column, row);
    RefreshAfterMove();
}

void CVGGrid::RefreshNow()
{
    if (!m_hWnd)
        return;
    Invalidate(FALSE);
    UpdateWindow();
}

void CVGGrid::PaintRectNow(const RECT* rect)
{
    if (!m_hWnd)
        return;
    InvalidateRect(rect, FALSE);
    UpdateWindow();
}

// ---- Mouse ----

int CVGGrid::CellAt(CPoint point, int* column, int* row, RECT* rect)
{
    if (m_pGrid->HitTestCell(point.x, point.y, column, row, rect) != 0) {
        *column = -1;
        *row = -1;
        *rect = RECT{};
        return 1;
    }
    return 0;
}

void CVGGrid::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (GetFocus() != this)
        SetFocus();
    if (m_pGrid->IsEditing())
        return;
    SetCapture();
    int column, row;
    RECT rect;
    Press(true, nFlags, point, &column, &row, &rect);
    m_buttonDown = 1;
}

// The current cell moves as the mouse's move (1 left, 2 right) with the keys held.
void CVGGrid::Press(bool left, UINT nFlags, CPoint point, int* column, int* row, RECT* rect)
{
    m_pInfo->m_moveKind = left ? 1 : 2;
    m_pInfo->m_moveKeyFlags = static_cast<int>(nFlags);
    int processed = 0;
    if (CellAt(point, column, row, rect) == 0) {
        m_pGrid->MoveToCell(*column, *row);
        CVGCellType* type = m_pGrid->CellTypeOfCell(*column, *row);
        processed = left ? type->OnLButton(*column, *row, 1, rect, &point) : type->OnRButton(*column, *row, 1, rect, &point);
        if (left && processed)
            m_typeHoldsMouse = 1;
    }
    if (left)
        m_pGrid->OnCellLButton(*column, *row, 1, rect, &point, processed);
    else
        m_pGrid->OnCellRButton(*column, *row, 1, rect, &point, processed);
    m_pInfo->m_moveKind = 0;
}

void CVGGrid::Release(bool left, CPoint point)
{
    int column, row;
    RECT rect;
    int processed = 0;
    if (CellAt(point, &column, &row, &rect) == 0) {
        CVGCellType* type = m_pGrid->CellTypeOfCell(column, row);
        processed = left ? type->OnLButton(column, row, 0, &rect, &point) : type->OnRButton(column, row, 0, &rect, &point);
    }
    if (left)
        m_pGrid->OnCellLButton(column, row, 0, &rect, &point, processed);
    else
        m_pGrid->OnCellRButton(column, row, 0, &rect, &point, processed);
    m_pInfo->m_targetColumn = m_pInfo->m_currentColumn;
    m_pInfo->m_targetRow = m_pInfo->m_currentRow;
    m_buttonDown = 0;
}

void CVGGrid::OnLButtonUp(UINT, CPoint point)
{
    if (!m_buttonDown)
        return;
    if (GetCapture() == this)
        ReleaseCapture();
    m_typeHoldsMouse = 0;
    Release(true, point);
}

void CVGGrid::OnLButtonDblClk(UINT, CPoint point)
{
    int column, row;
    RECT rect;
    int processed = 0;
    if (CellAt(point, &column, &row, &rect) == 0)
        processed = m_pGrid->CellTypeOfCell(column, row)->OnDoubleClick(column, row, &rect, &point);
    m_pGrid->OnCellDoubleClick(column, row, &rect, &point, processed);
}

void CVGGrid::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_pGrid->IsEditing())
        return;
    int column, row;
    RECT rect;
    Press(false, nFlags, point, &column, &row, &rect);
    m_pGrid->OfferPopupMenu(this, column, row, point, VGSECTION_CELLS);
    m_buttonDown = 1;
}

void CVGGrid::OnRButtonUp(UINT, CPoint point)
{
    if (m_buttonDown)
        Release(false, point);
}

bool CVGGrid::DragStep(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    bool scrolling = false;
    int column, row;
    RECT rect;
    bool inBottomRow = false;
    bool inRightColumn = false;
    if (CellAt(point, &column, &row, &rect) == 0) {
        inBottomRow = row == info.m_bottomRow;
        inRightColumn = column == info.m_rightColumn;
        if (!info.m_scrollToPartialLastRow && (inBottomRow || inRightColumn))
            return false;
        if (info.m_frozenColumnCount > 0 || info.m_frozenRowCount > 0) {
            if (info.m_frozenColumnCount < info.m_targetColumn && column < info.m_frozenColumnCount)
                m_pGrid->StepCurrentColumn(0);
            else
                m_pGrid->MoveToColumn(column);
            if (info.m_frozenRowCount < info.m_targetRow && row < info.m_frozenRowCount)
                m_pGrid->StepCurrentRow(0);
            else
                m_pGrid->MoveToRow(row);
        } else {
            m_pGrid->MoveToCell(column, row);
        }
    }
    const int exponent = info.m_dragAccelerationExponent;
    const int columnWidth = std::max(1, info.m_defaultColumnWidth);
    const int rowHeight = std::max(1, info.m_defaultRowHeight);
    // At an edge the selection steps on by one cell, or with acceleration by n to the power of the
    // exponent (n grows with the distance past the edge); single steps pause for the step delay.
    auto edge = [&](bool columns, int sign, double n) {
        scrolling = true;
        if (!exponent) {
            const int code = sign < 0 ? 0 : 1;
            columns ? m_pGrid->StepCurrentColumn(code) : m_pGrid->StepCurrentRow(code);
            return;
        }
        const int step = static_cast<int>(std::pow(n, exponent));
        if (columns)
            m_pGrid->MoveToColumn(info.m_targetColumn + sign * step);
        else
            m_pGrid->MoveToRow(info.m_targetRow + sign * step);
        if (step == 1 && info.m_dragStepDelay > 0)
            ::Sleep(static_cast<DWORD>(info.m_dragStepDelay));
    };
    if (point.x < 0)
        edge(true, -1, (-point.x) / columnWidth + 1);
    else if (point.x > info.m_cellAreaWidth || inRightColumn)
        edge(true, 1, static_cast<double>(point.x - info.m_cellAreaWidth) / columnWidth + 1);
    if (point.y < 0)
        edge(false, -1, (-point.y) / rowHeight + 1);
    else if (point.y > info.m_cellAreaHeight || inBottomRow)
        edge(false, 1, (point.y - info.m_cellAreaHeight) / rowHeight + 1);
    return scrolling;
}

void CVGGrid::OnMouseMove(UINT nFlags, CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    if (m_typeHoldsMouse) {
        const int column = info.m_currentColumn;
        const int row = info.m_currentRow;
        const int processed = m_pGrid->CellTypeOfCell(column, row)->OnMouseMove(column, row, &point, nFlags);
        m_pGrid->OnCellMouseMove(column, row, &point, nFlags, processed);
        return;
    }
    if (m_pGrid->IsEditing())
        return;
    info.m_moveKind = 3;
    int column, row;
    RECT rect;
    if (CellAt(point, &column, &row, &rect) == 0) {
        const int processed = m_pGrid->CellTypeOfCell(column, row)->OnMouseMove(column, row, &point, nFlags);
        m_pGrid->OnCellMouseMove(column, row, &point, nFlags, processed);
    }
    if (!(nFlags & MK_LBUTTON)) {
        info.m_moveKind = 0;
        return;
    }
    // The drag-selection loop: it steps the selection (and scrolls at the edges) until a mouse
    // message arrives. Between steps it waits for input instead of spinning; a quit message it
    // meets is posted again for the loop that owns it.
    for (;;) {
        if (!m_buttonDown || GetCapture() != this || !(::GetKeyState(VK_LBUTTON) & 0x8000))
            break;
        const bool scrolling = DragStep(point);
        if (!m_buttonDown)
            break;
        if (!info.m_scrollToPartialLastRow) {
            int c, r;
            RECT cell;
            if (CellAt(point, &c, &r, &cell) == 0 && (r == info.m_bottomRow || c == info.m_rightColumn))
                break;
        }
        const DWORD wait = scrolling ? static_cast<DWORD>(std::max(info.m_dragStepDelay, 10)) : 250;
        if (!VGMouseHeld::PumpWhileHeld(wait)) {
            info.m_moveKind = 0;
            return;
        }
    }
}

BOOL CVGGrid::OnMouseWheel(UINT, short zDelta, CPoint)
{
    if (!m_pGrid->IsEditing()) {
        m_pInfo->m_moveKind = 4;
        m_pGrid->SetFirstVisibleRow(m_pInfo->m_topRow - (zDelta / WHEEL_DELTA) * 3);
        m_pGrid->SideHeading().Invalidate(TRUE);
    }
    Default();
    return TRUE;
}

// ---- Keys ----

void CVGGrid::ArrowKey(UINT key, int step)
{
    CVGGridInfo& info = *m_pInfo;
    const bool horizontal = key == VK_LEFT || key == VK_RIGHT;
    const bool forward = key == VK_RIGHT || key == VK_DOWN;
    const int currentColumn = info.m_currentColumn;
    const int currentRow = info.m_currentRow;
    if (forward) {
        int column = currentColumn, row = currentRow, endColumn = currentColumn, endRow = currentRow;
        if (m_pGrid->FindJoinBlock(&column, &row, &endColumn, &endRow) == 0)
            step = (horizontal ? endColumn - currentColumn : endRow - currentRow) + step;
    }
    int targetColumn = horizontal ? currentColumn + (forward ? step : -step) : currentColumn;
    int targetRow = horizontal ? currentRow : currentRow + (forward ? step : -step);
    bool joined = false;
    if (!(horizontal ? targetColumn < 0 : targetRow < 0) && targetColumn >= 0 && targetRow >= 0) {
        int column = targetColumn, row = targetRow;
        CVGCell cell;
        if (m_pGrid->FindJoinOrigin(&column, &row, &cell) == 0 && (column != targetColumn || row != targetRow)) {
            joined = true;
            targetColumn = column;
            targetRow = row;
        }
    }
    if (!joined) {
        if (horizontal)
            m_pGrid->MoveToColumn(targetColumn);
        else
            m_pGrid->MoveToRow(targetRow);
    } else {
        m_pGrid->MoveToCell(targetColumn, targetRow);
    }
}

void CVGGrid::OnKeyDown(UINT nChar, UINT, UINT)
{
    CVGGridInfo& info = *m_pInfo;
    info.m_moveKind = 0;
    int step = 1;
    if (info.m_keyAccelerationDivisor > 0) {
        ++m_keyRepeat;
        const int c = m_keyRepeat / info.m_keyAccelerationDivisor;
        step = c * c * c + 1;
        if (info.m_keyDelay > 0 && c == 0 && m_keyRepeat > 1)
            ::Sleep(static_cast<DWORD>(info.m_keyDelay));
    }
    UINT key = nChar;
    const int column = info.m_currentColumn;
    const int row = info.m_currentRow;
    const int processed = m_pGrid->CellTypeOfCell(column, row)->OnKeyDown(column, row, &key);
    m_pGrid->OnGridKeyDown(&key, processed);
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: ArrowKey(key, step); break;
    case VK_PRIOR: m_pGrid->StepCurrentRow(2); break;
    case VK_NEXT: m_pGrid->StepCurrentRow(3); break;
    case VK_HOME: control ? m_pGrid->StepCurrentRow(4) : m_pGrid->StepCurrentColumn(4); break;
    case VK_END: control ? m_pGrid->StepCurrentRow(5) : m_pGrid->StepCurrentColumn(5); break;
    default: break;
    }
}

void CVGGrid::OnKeyUp(UINT nChar, UINT, UINT)
{
    m_keyRepeat = 0;
    UINT key = nChar;
    const int column = m_pInfo->m_currentColumn;
    const int row = m_pInfo->m_currentRow;
    const int processed = m_pGrid->CellTypeOfCell(column, row)->OnKeyUp(column, row, &key);
    m_pGrid->OnGridKeyUp(&key, processed);
}

void CVGGrid::OnChar(UINT nChar, UINT, UINT)
{
    UINT character = nChar;
    const int column = m_pInfo->m_currentColumn;
    const int row = m_pInfo->m_currentRow;
    const int processed = m_pGrid->CellTypeOfCell(column, row)->OnChar(column, row, &character);
    m_pGrid->OnGridChar(&character, processed);
}

// ---- Focus, help and tips ----

void CVGGrid::OnSetFocus(CWnd*)
{
    m_hasFocus = 1;
    m_typeHoldsMouse = 0;
    m_keyRepeat = 0;
    Default();
    m_pGrid->OnGridSetFocus(VGSECTION_CELLS);
    CVGGridInfo& info = *m_pInfo;
    if (info.m_currentColumn < 0 || info.m_currentRow < 0)
        return;
    ListCurrentCell(info.m_currentColumn, info.m_currentRow);
    int column = info.m_currentColumn;
    int row = info.m_currentRow;
    RECT rect;
    m_pGrid->ComputeCellRect(&column, &row, &rect);
    if (info.m_highlightCurrentRow) {
        rect.left = 0;
        rect.right = info.m_cellAreaWidth;
    }
    PaintRectNow(&rect);
}

void CVGGrid::OnKillFocus(CWnd* pNewWnd)
{
    m_hasFocus = 0;
    Default();
    m_pGrid->OnSectionKillFocus(VGSECTION_CELLS, pNewWnd);
    if (m_pInfo->m_currentColumn >= 0 && m_pInfo->m_currentRow >= 0)
        RefreshCell(m_pInfo->m_currentColumn, m_pInfo->m_currentRow);
}

BOOL CVGGrid::OnHelpInfo(HELPINFO* pHelpInfo)
{
    if (!pHelpInfo || pHelpInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    int column = m_pInfo->m_currentColumn;
    int row = m_pInfo->m_currentRow;
    if (::GetKeyState(VK_F1) >= 0) {
        CPoint point = pHelpInfo->MousePos;
        ScreenToClient(&point);
        RECT rect;
        CellAt(point, &column, &row, &rect);
    }
    const DWORD id = m_pGrid->GetHelpContextId(column, row, VGSECTION_CELLS);
    if (id == 0)
        return FALSE;
    m_pGrid->OpenHelp(id);
    return TRUE;
}

LRESULT CVGGrid::OnHelpHitTest(WPARAM, LPARAM lParam)
{
    int column, row;
    RECT rect;
    CellAt(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))), &column, &row, &rect);
    return static_cast<LRESULT>(m_pGrid->GetHelpContextId(column, row, VGSECTION_CELLS));
}

INT_PTR CVGGrid::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const
{
    int column = -1, row = -1;
    RECT rect;
    const bool found = m_pGrid->HitTestCell(point.x, point.y, &column, &row, &rect) == 0;
    return VGToolTips::HitTest(m_hWnd, found, column, row, g_tipCell, pTI);
}

BOOL CVGGrid::OnNeedTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    int column, row;
    RECT rect;
    CellAt(VGToolTips::PointerIn(*this), &column, &row, &rect);
    CString text;
    if (m_pGrid->GetTipText(column, row, VGSECTION_CELLS, &text) != 1)
        return FALSE;
    if (pResult)
        *pResult = 0;
    return VGToolTips::AnswerTextRequest(pNMHDR, text, true);
}
