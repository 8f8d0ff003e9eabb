#include "VGTopHdg.h"

#include "VGCtrl.h"
#include "VGLayout.h"
#include "VGMouseHeld.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGTopHdg, CVGHeading)

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
    const int rows = static_cast<int>(m_pInfo->m_topHeadingRowHeights.size());
    m_redraw.AddRange(0, -rows, m_pInfo->m_columnCount, 0);
    PaintBands(&dc, m_dropTarget != -1 ? m_dragSource : -1);
}

void CVGTopHdg::RefreshIfScrolled()
{
    if (m_pInfo->m_leftColumn != m_pInfo->m_previousLeftColumn)
        RepaintNow();
}

void CVGTopHdg::FitHeadingRows()
{
    VGLayout::FitTopHeadingRows(*m_pInfo);
    RepaintNow();
}

// ---- Borders ----

void CVGTopHdg::TestBorders(CPoint point)
{
    if (m_pInfo->m_userColumnResize <= 0)
        return;
    if (ArmLineBorder(point) || ArmBandBorder(point))
        return;
    if (m_resize.armed) {
        m_resize.armed = 0;
        ::SetCursor(m_pInfo->m_arrowCursor);
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

void CVGTopHdg::EndResize(CPoint)
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

void CVGTopHdg::MoveHeld(CPoint point)
{
    if (m_pInfo->m_columnDragging && m_dragSource != -1)
        TrackColumnMove(point);
}

void CVGTopHdg::Press(CPoint point)
{
    int column, row;
    RECT rect;
    if (HitTestHeading(point, &column, &row, &rect) == 0) {
        if (m_pInfo->m_columnDragging && m_pGrid->OnCanDragColumn(column))
            m_dragSource = column;
        ReportButton(true, 1, column, row, &rect, &point);
    }
    SetCapture();
}

void CVGTopHdg::Released()
{
    if (m_dragSource != -1)
        DropColumn();
    // The capture goes back after every click and every resize.
    if (GetCapture() == this)
        ReleaseCapture();
}

bool CVGTopHdg::DoubleClickBorder(CPoint point)
{
    if (!m_resize.armed)
        return false;
    if (m_pInfo->m_doubleClickFitsColumn) {
        const int column = m_resize.index;
        m_pGrid->AutoSizeColumns(column, column, 20, 1);
        TestBorders(point);
        FinishColumnResize(column);
    }
    m_resize.resizing = 0;
    return true;
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
