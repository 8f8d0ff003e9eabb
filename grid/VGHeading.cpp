#include "VGHeading.h"

#include "VGCtrl.h"
#include "VGLayout.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CVGHeading, CWnd)

BEGIN_MESSAGE_MAP(CVGHeading, CWnd)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
    ON_NOTIFY_EX(TTN_GETDISPINFOW, 0, OnNeedTipText)
END_MESSAGE_MAP()

BOOL CVGHeading::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

int CVGHeading::ComputeHeadingCellRect(int* column, int* row, RECT* rect)
{
    return VGHeadingDrag::JoinedCellRect(m_pGrid, m_kind.cellRect, column, row, rect);
}

int CVGHeading::HitTestHeading(POINT point, int* column, int* row, RECT* rect)
{
    if (IsCorner()) {
        *column = *row = -1;
        *rect = m_pInfo->m_cornerRect;
        return 0;
    }
    return VGHeadingDrag::HitTestCell(m_pGrid, m_kind.hitTest, m_kind.cellRect, point, column, row, rect);
}

BOOL CVGHeading::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_resize.armed)
        ::SetCursor(m_resize.mode == 1 ? m_pInfo->m_sizeNSCursor : m_pInfo->m_sizeWECursor);
    else
        ::SetCursor(m_pInfo->m_arrowCursor);
    return TRUE;
}

void CVGHeading::RepaintNow()
{
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

// ---- Bands and lines ----

bool CVGHeading::AlongColumns() const
{
    return m_kind.section == VGSECTION_TOPHEADING;
}

std::vector<int>& CVGHeading::Bands() const
{
    return AlongColumns() ? m_pInfo->m_topHeadingRowHeights : m_pInfo->m_sideHeadingColumnWidths;
}

int CVGHeading::LineCount() const
{
    return AlongColumns() ? m_pInfo->m_columnCount : m_pInfo->m_rowCount;
}

int CVGHeading::ShownLineFrom(int line) const
{
    return AlongColumns() ? VGLayout::ShownColumnFrom(*m_pInfo, line) : VGLayout::ShownRowFrom(*m_pInfo, line);
}

int CVGHeading::LineSize(int line) const
{
    return AlongColumns() ? VGLayout::ColumnWidth(*m_pInfo, line) : VGLayout::RowHeight(*m_pInfo, line);
}

CPoint CVGHeading::CellOf(int line, int band) const
{
    return AlongColumns() ? CPoint(line, band) : CPoint(band, line);
}

int CVGHeading::PaintBands(CDC* dc, int selectedLine)
{
    CVGGridInfo& info = *m_pInfo;
    const bool columns = AlongColumns();
    const std::vector<int>& bands = Bands();
    const int bandCount = static_cast<int>(bands.size());
    const int lineCount = LineCount();
    const long long linesLength = columns ? info.m_cellAreaWidth : info.m_cellAreaHeight;
    m_pGrid->OnPrepareDC(dc, nullptr, m_kind.section);
    HGDIOBJ oldFont = nullptr;
    if (info.m_pDefaultFont && info.m_pDefaultFont->GetSafeHandle())
        oldFont = dc->SelectObject(info.m_pDefaultFont->GetSafeHandle());
    long long along = 0;
    int last = lineCount;
    for (int line = 0; line < lineCount; ++line) {
        line = ShownLineFrom(line);
        if (line >= lineCount)
            break;
        const int size = LineSize(line);
        if (size == 0)
            continue;
        long long across = 0;
        for (int band = -bandCount; band <= -1; ++band) {
            const int bandSize = bands[-(band + 1)];
            const long long lineEnd = along + size, bandEnd = across + bandSize;
            const RECT rect = columns ? RECT{static_cast<LONG>(along), static_cast<LONG>(across),
                                             static_cast<LONG>(lineEnd), static_cast<LONG>(bandEnd)}
                                      : RECT{static_cast<LONG>(across), static_cast<LONG>(along),
                                             static_cast<LONG>(bandEnd), static_cast<LONG>(lineEnd)};
            const CPoint cell = CellOf(line, band);
            VGHeadingDrag::PaintHeadingCell(m_pGrid, dc, m_redraw, m_cell, cell.x, cell.y, rect,
                                            line == selectedLine ? 1 : 0);
            across += bandSize;
        }
        along += size;
        if (along > linesLength) {
            last = line;
            break;
        }
    }
    // A heading without bands paints no cell: all of it is background.
    const int painted = bandCount == 0 ? 0 : static_cast<int>(along);
    CRect client;
    GetClientRect(&client);
    const COLORREF back = m_pGrid->GetSectionBackColor(m_kind.section);
    if (columns && painted < client.right)
        dc->FillSolidRect(CRect(painted, 0, client.right, info.m_topHeadingHeight), back);
    else if (!columns && painted < client.bottom)
        dc->FillSolidRect(CRect(0, painted, info.m_sideHeadingWidth, client.bottom), back);
    m_redraw.Clear();
    if (oldFont)
        dc->SelectObject(oldFont);
    return last;
}

// ---- Borders ----

bool CVGHeading::ArmLineBorder(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    const bool columns = AlongColumns();
    const int at = columns ? point.x : point.y;
    const int lineCount = LineCount();
    const long long linesLength = columns ? info.m_cellAreaWidth : info.m_cellAreaHeight;
    long long edge = 0;
    for (int line = 0; line < lineCount; ++line) {
        line = ShownLineFrom(line);
        if (line >= lineCount)
            break;
        edge += LineSize(line);
        if (std::abs(at - edge) < 3) {
            const int hit = line + 1 < lineCount && LineSize(line + 1) == 0 ? line + 1 : line;
            if (!(columns ? m_pGrid->OnCanResizeColumn(hit) : m_pGrid->OnCanResizeRow(hit)))
                return true;
            m_resize.armed = 1;
            m_resize.mode = columns ? 0 : 1;
            m_resize.index = hit;
            m_resize.sizeAtArm = LineSize(hit);
            m_resize.startAtArm = at;
            ::SetCursor(columns ? info.m_sizeWECursor : info.m_sizeNSCursor);
            return true;
        }
        if (edge > linesLength)
            break;
    }
    return false;
}

bool CVGHeading::ArmBandBorder(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    const bool columns = AlongColumns();
    const int at = columns ? point.y : point.x;
    const std::vector<int>& bands = Bands();
    const int length = columns ? info.m_topHeadingHeight : info.m_sideHeadingWidth;
    long long edge = length;
    for (size_t k = 0; k < bands.size(); ++k) {
        if (std::abs(at - edge) < 3) {
            if (!(columns ? m_pGrid->OnCanResizeTopHeading() : m_pGrid->OnCanResizeSideHeading()))
                return true;
            m_resize.armed = 1;
            m_resize.mode = columns ? 1 : 0;
            m_resize.index = static_cast<int>(k);
            m_resize.sizeAtArm = bands[k];
            m_resize.startAtArm = at;
            m_resize.headingAtArm = length;
            ::SetCursor(columns ? info.m_sizeNSCursor : info.m_sizeWECursor);
            return true;
        }
        edge -= bands[k];
    }
    return false;
}

// ---- Mouse ----

void CVGHeading::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_resize.resizing)
        Drag(point);
    else if (!(nFlags & MK_LBUTTON))
        TestBorders(point);
    else
        MoveHeld(point);
}

void CVGHeading::OnLButtonDown(UINT, CPoint point)
{
    VGHeadingDrag::FocusCellArea(m_pGrid);
    if (!m_resize.armed) {
        Press(point);
        return;
    }
    m_resize.resizing = 1;
    SetCapture();
    if (IsCorner()) {
        RECT rect = m_pInfo->m_cornerRect;
        m_pGrid->OnCornerLButton(1, &rect, &point, 1);
    }
}

void CVGHeading::OnLButtonUp(UINT, CPoint point)
{
    if (m_resize.resizing)
        EndResize(point);
    else
        ReportButtonAt(true, 0, point);
    Released();
}

void CVGHeading::OnLButtonDblClk(UINT, CPoint point)
{
    if (!DoubleClickBorder(point))
        ReportDoubleClickAt(point);
}

void CVGHeading::ReportButton(bool left, int down, int column, int row, RECT* rect, POINT* point)
{
    if (IsCorner()) {
        (m_pGrid->*(left ? &CVGCtrl::OnCornerLButton : &CVGCtrl::OnCornerRButton))(down, rect, point, 0);
        return;
    }
    VGHeadingDrag::ReportButton(m_pGrid, left, down, column, row, rect, point,
                                left ? m_kind.leftButton : m_kind.rightButton);
}

void CVGHeading::ReportButtonAt(bool left, int down, CPoint point)
{
    int column, row;
    RECT rect;
    if (HitTestHeading(point, &column, &row, &rect) == 0)
        ReportButton(left, down, column, row, &rect, &point);
}

void CVGHeading::ReportDoubleClickAt(CPoint point)
{
    int column, row;
    RECT rect;
    if (HitTestHeading(point, &column, &row, &rect) != 0)
        return;
    if (IsCorner()) {
        m_pGrid->OnCornerDoubleClick(&rect, &point, 0);
        return;
    }
    const int processed = m_pGrid->CellTypeOfCell(column, row)->OnDoubleClick(column, row, &rect, &point);
    (m_pGrid->*m_kind.doubleClick)(column, row, &rect, &point, processed);
}

void CVGHeading::OnRButtonDown(UINT, CPoint point)
{
    if (!IsCorner())
        VGHeadingDrag::FocusCellArea(m_pGrid);
    int column, row;
    RECT rect;
    if (HitTestHeading(point, &column, &row, &rect) == 0)
        ReportButton(false, 1, column, row, &rect, &point);
    else
        column = row = -1;
    m_pGrid->OfferPopupMenu(this, column, row, point, m_kind.section);
}

void CVGHeading::OnRButtonUp(UINT, CPoint point)
{
    ReportButtonAt(false, 0, point);
}

// ---- Help and tips ----

DWORD CVGHeading::HelpContextAt(CPoint point)
{
    int column, row;
    RECT rect;
    HitTestHeading(point, &column, &row, &rect);
    return m_pGrid->GetHelpContextId(column, row, m_kind.section);
}

BOOL CVGHeading::OnHelpInfo(HELPINFO* pHelpInfo)
{
    if (!pHelpInfo || pHelpInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    CPoint point = pHelpInfo->MousePos;
    ScreenToClient(&point);
    m_pGrid->OpenHelp(HelpContextAt(point));
    return TRUE;
}

LRESULT CVGHeading::OnHelpHitTest(WPARAM, LPARAM lParam)
{
    return static_cast<LRESULT>(
        HelpContextAt(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))));
}

INT_PTR CVGHeading::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const
{
    int column = -1, row = -1;
    RECT rect;
    const bool found = const_cast<CVGHeading*>(this)->HitTestHeading(point, &column, &row, &rect) == 0;
    return VGToolTips::HitTest(m_hWnd, found, column, row, *m_kind.tipCell, pTI);
}

BOOL CVGHeading::OnNeedTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    int column = -1, row = -1;
    RECT rect;
    HitTestHeading(VGToolTips::PointerIn(*this), &column, &row, &rect);
    CString text;
    if (!m_pGrid || m_pGrid->GetTipText(column, row, m_kind.section, &text) != 1)
        return FALSE;
    *pResult = 0;
    return VGToolTips::AnswerTextRequest(pNMHDR, text, IsCorner());
}
