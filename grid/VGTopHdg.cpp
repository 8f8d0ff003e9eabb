#include "VGTopHdg.h"

#include "VGCtrl.h"
#include "VGLayout.h"
#include "VGMouseHeld.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGTopHdg, CVGHeading)

BEGIN_MESSAGE_MAP(CVGTopHdg, CVGHeading)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

namespace {
VGToolTips::LastCell g_tophdgTipCell;
}  // namespace

CVGTopHdg::CVGTopHdg()
    : CVGHeading({VGSECTION_TOPHEADING, &VGLayout::HitTestTopHeading, &VGLayout::TopHeadingCellRect,
                  &CVGCtrl::OnTopHeadingLButton, &CVGCtrl::OnTopHeadingRButton, &CVGCtrl::OnTopHeadingDoubleClick,
                  &g_tophdgTipCell})
{
}

void CVGTopHdg::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pGrid || !m_pInfo || !m_pInfo->m_painting)
        return;
    CVGGridInfo& info = *m_pInfo;
    const int rows = static_cast<int>(info.m_topHeadingRowHeights.size());
    m_redraw.AddRange(0, -rows, info.m_columnCount, 0);
    m_pGrid->OnPrepareDC(&dc, nullptr, VGSECTION_TOPHEADING);
    HGDIOBJ oldFont = nullptr;
    if (info.m_pDefaultFont && info.m_pDefaultFont->GetSafeHandle())
        oldFont = dc.SelectObject(info.m_pDefaultFont->GetSafeHandle());
    long long widest = 0;
    long long top = 0;
    for (int row = -rows; row <= -1; ++row) {
        const int height = info.m_topHeadingRowHeights[-(row + 1)];
        long long x = 0;
        for (int column = 0; column < info.m_columnCount; ++column) {
            column = VGLayout::ShownColumnFrom(info, column);
            if (column >= info.m_columnCount)
                break;
            const int width = info.m_columns[column].width;
            if (width == 0)
                continue;
            const RECT rect = {static_cast<LONG>(x), static_cast<LONG>(top), static_cast<LONG>(x + width),
                               static_cast<LONG>(top + height)};
            const int selected = column == m_dragSource && m_dropTarget != -1 ? 1 : 0;
            VGHeadingDrag::PaintHeadingCell(m_pGrid, &dc, m_redraw, m_cell, column, row, rect, selected);
            x += width;
            if (x > info.m_cellAreaWidth)
                break;
        }
        widest = std::max(widest, x);
        top += height;
    }
    CRect client;
    GetClientRect(&client);
    if (widest < client.right)
        dc.FillSolidRect(CRect(static_cast<int>(widest), 0, client.right, info.m_topHeadingHeight),
                         m_pGrid->GetSectionBackColor(VGSECTION_TOPHEADING));
    m_redraw.Clear();
    if (oldFont)
        dc.SelectObject(oldFont);
}

void CVGTopHdg::RefreshIfScrolled()
{
    if (m_hWnd && m_pInfo->m_leftColumn != m_pInfo->m_previousLeftColumn) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CVGTopHdg::FitHeadingRows()
{
    VGLayout::FitTopHeadingRows(*m_pInfo);
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

// ---- Borders ----

void CVGTopHdg::TestBorders(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    if (info.m_userColumnResize <= 0)
        return;
    long long edge = 0;
    for (int column = 0; column < info.m_columnCount; ++column) {
        column = VGLayout::ShownColumnFrom(info, column);
        if (column >= info.m_columnCount)
            break;
        edge += info.m_columns[column].width;
        if (std::abs(point.x - edge) < 3) {
            int hit = column;
            // A hidden column right of the border is the one the drag opens again.
            if (column + 1 < info.m_columnCount && info.m_columns[column + 1].width == 0)
                hit = column + 1;
            if (!m_pGrid->OnCanResizeColumn(hit))
                return;
            m_resize.armed = 1;
            m_resize.mode = 0;
            m_resize.index = hit;
            m_resize.sizeAtArm = info.m_columns[hit].width;
            m_resize.startAtArm = point.x;
            ::SetCursor(info.m_sizeWECursor);
            return;
        }
        if (edge > info.m_cellAreaWidth)
            break;
    }
    long long bottom = info.m_topHeadingHeight;
    for (size_t k = 0; k < info.m_topHeadingRowHeights.size(); ++k) {
        if (std::abs(point.y - bottom) < 3) {
            if (!m_pGrid->OnCanResizeTopHeading())
                return;
            m_resize.armed = 1;
            m_resize.mode = 1;
            m_resize.index = static_cast<int>(k);
            m_resize.sizeAtArm = info.m_topHeadingRowHeights[k];
            m_resize.startAtArm = point.y;
            m_resize.headingAtArm = info.m_topHeadingHeight;
            ::SetCursor(info.m_sizeNSCursor);
            return;
        }
        bottom -= info.m_topHeadingRowHeights[k];
    }
    if (m_resize.armed) {
        m_resize.armed = 0;
        ::SetCursor(info.m_arrowCursor);
    }
}

void CVGTopHdg::Drag(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    if (m_resize.mode == 0) {
        const int column = m_resize.index;
        const int x = std::max<int>(point.x, m_resize.startAtArm - m_resize.sizeAtArm);
        int width = x + m_resize.sizeAtArm - m_resize.startAtArm;
        for (int row = info.m_topRow; row < info.m_bottomRow; ++row)
            m_pGrid->CellTypeOfCell(column, row)->OnCellWidthChanging(column, row, &width);
        m_pGrid->OnColumnResizing(column, &width);
        m_pGrid->ResizeColumn(column, width);
        if (info.m_userColumnResize == 1) {
            FitHeadingRows();
            const RECT marker = {x - 1, 0, x + 1, info.m_cellAreaHeight};
            VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, &marker);
        } else {
            m_pGrid->RepaintAll();
        }
        return;
    }
    const int height = std::max(0, static_cast<int>(point.y) + m_resize.sizeAtArm - m_resize.startAtArm);
    info.m_topHeadingRowHeights[m_resize.index] = height;
    int total = std::max(0, static_cast<int>(point.y) + m_resize.headingAtArm - m_resize.startAtArm);
    if (m_pGrid->OnTopHeadingResizing(&total) == 1) {
        info.m_topHeadingHeight = total;
        m_pGrid->RecalcLayout();
    }
}

void CVGTopHdg::FinishColumnResize(int column)
{
    CVGGridInfo& info = *m_pInfo;
    int width = VGLayout::ColumnWidth(info, column);
    for (int row = info.m_topRow; row < info.m_bottomRow; ++row)
        m_pGrid->CellTypeOfCell(column, row)->OnCellWidthChanged(column, row, &width);
    m_pGrid->OnColumnResized(column, &width);
    if (width != VGLayout::ColumnWidth(info, column))
        m_pGrid->ResizeColumn(column, width);
}

void CVGTopHdg::EndDrag()
{
    if (m_resize.mode == 0)
        FinishColumnResize(m_resize.index);
    else
        m_pGrid->OnTopHeadingResized(&m_pInfo->m_topHeadingHeight);
    m_resize.resizing = 0;
    VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, nullptr);
    m_pGrid->CellArea().Invalidate(TRUE);
    m_pGrid->RecalcLayout();
}

// ---- Mouse ----

void CVGTopHdg::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_resize.resizing) {
        Drag(point);
        return;
    }
    if (!(nFlags & MK_LBUTTON)) {
        TestBorders(point);
        return;
    }
    if (m_pInfo->m_columnDragging && m_dragSource != -1)
        TrackColumnMove(point);
}

void CVGTopHdg::OnLButtonDown(UINT, CPoint point)
{
    VGHeadingDrag::FocusCellArea(m_pGrid);
    if (m_resize.armed) {
        m_resize.resizing = 1;
    } else {
        int column, row;
        RECT rect;
        if (HitTestHeading(point, &column, &row, &rect) == 0) {
            if (m_pInfo->m_columnDragging && m_pGrid->OnCanDragColumn(column))
                m_dragSource = column;
            ReportButton(true, 1, column, row, &rect, &point);
        }
    }
    SetCapture();
}

void CVGTopHdg::OnLButtonUp(UINT, CPoint point)
{
    if (m_resize.resizing)
        EndDrag();
    else
        ReportButtonAt(true, 0, point);
    if (m_dragSource != -1)
        DropColumn();
    // The capture goes back after every click and every resize.
    if (GetCapture() == this)
        ReleaseCapture();
}

void CVGTopHdg::OnLButtonDblClk(UINT, CPoint point)
{
    if (m_resize.armed) {
        if (m_pInfo->m_doubleClickFitsColumn) {
            const int column = m_resize.index;
            m_pGrid->AutoSizeColumns(column, column, 20, 1);
            TestBorders(point);
            FinishColumnResize(column);
        }
        m_resize.resizing = 0;
        return;
    }
    ReportDoubleClickAt(point);
}

// ---- Column move ----

void CVGTopHdg::TrackColumnMove(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    if (point.x < 0 || point.x > info.m_cellAreaWidth) {
        VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, nullptr);
        const int code = point.x < 0 ? 0 : 1;
        do {
            const int left = info.m_leftColumn;
            m_pGrid->StepFirstVisibleColumn(code);
            if (info.m_leftColumn == left)
                break;
        } while (VGMouseHeld::PumpWhileHeld(50));
        return;
    }
    int column, row;
    RECT rect;
    if (HitTestHeading(point, &column, &row, &rect) != 0)
        return;
    if (column == m_dragSource && m_dropTarget == -1)
        return;
    int target = column;
    LONG edge = rect.left;
    if (point.x - rect.left > (rect.right - rect.left) / 2) {
        target = column + 1;
        edge = rect.right;
    }
    target = std::min(target, info.m_columnCount);
    const bool first = m_dropTarget == -1;
    m_dropTarget = target;
    if (first)
        FitHeadingRows();
    const RECT marker = {edge, 0, edge + 2, info.m_cellAreaHeight};
    VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, &marker);
}

void CVGTopHdg::DropColumn()
{
    const int source = m_dragSource;
    const int target = m_dropTarget;
    VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, nullptr);
    const int newIndex = target == -1 ? source : (source < target ? target - 1 : target);
    if (m_pGrid->OnCanDropColumn(source, newIndex)) {
        if (target != -1 && target != source && target != source + 1) {
            if (target >= m_pInfo->m_columnCount)
                m_pGrid->MoveColumn(source, m_pInfo->m_columnCount - 1, 0);
            else
                m_pGrid->MoveColumn(source, target, 1);
        }
        m_pGrid->OnColumnMoved(source, newIndex);
    }
    m_dragSource = -1;
    m_dropTarget = -1;
    if (target == -1)
        Invalidate(TRUE);
    else
        m_pGrid->RepaintAll();
}
