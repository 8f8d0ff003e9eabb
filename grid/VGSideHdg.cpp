#include "VGSideHdg.h"

#include "VGCtrl.h"
#include "VGLayout.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGSideHdg, CVGHeading)

namespace {
VGToolTips::LastCell g_sidehdgTipCell;
}  // namespace

CVGSideHdg::CVGSideHdg()
    : CVGHeading({VGSECTION_SIDEHEADING, &VGLayout::HitTestSideHeading, &VGLayout::SideHeadingCellRect,
                  &CVGCtrl::OnSideHeadingLButton, &CVGCtrl::OnSideHeadingRButton, &CVGCtrl::OnSideHeadingDoubleClick,
                  &g_sidehdgTipCell})
{
}

void CVGSideHdg::OnPaint()
{
    // The side heading paints whether or not the sheet's painting switch is on.
    CPaintDC dc(this);
    if (!m_pGrid || !m_pInfo)
        return;
    const int columns = static_cast<int>(m_pInfo->m_sideHeadingColumnWidths.size());
    m_redraw.AddRange(-columns, 0, 0, m_pInfo->m_rowCount);
    m_bottomRow = PaintBands(&dc);
}

void CVGSideHdg::RefreshAfterMove()
{
    CVGGridInfo& info = *m_pInfo;
    if (!m_hWnd || (info.m_topRow == info.m_previousTopRow && info.m_currentRow == info.m_previousRow))
        return;
    RECT pending;
    if (GetUpdateRect(&pending, FALSE)) {
        UpdateWindow();
        return;
    }
    const int columns = static_cast<int>(info.m_sideHeadingColumnWidths.size());
    long long shift = 0;
    bool passed = false;
    const int step = info.m_topRow > info.m_previousTopRow ? 1 : -1;
    for (int row = info.m_previousTopRow; row != info.m_topRow; row += step) {
        shift += VGLayout::RowHeight(info, step > 0 ? row : row - 1);
        if (shift > info.m_cellAreaHeight) {
            passed = true;
            shift = 0;
            break;
        }
    }
    if (step < 0)
        shift = -shift;
    if (passed)
        m_redraw.ExtendFirstRange(-columns, 0, -1, info.m_rowCount);
    CClientDC dc(this);
    if (shift != 0) {
        CRect area;
        GetClientRect(&area);
        area.top += info.m_frozenRowsHeight;
        CVGGrid::ScrollPixels(this, &dc, area, 0, static_cast<int>(shift));
        if (shift > 0)
            m_redraw.ExtendFirstRange(-columns, m_bottomRow, -1, info.m_rowCount);
        else
            m_redraw.ExtendFirstRange(-columns, 0, -1, info.m_previousTopRow);
    }
    m_redraw.AddRange(-columns, info.m_previousRow, -1, info.m_previousRow);
    m_redraw.AddRange(-columns, info.m_currentRow, -1, info.m_currentRow);
    m_bottomRow = PaintBands(&dc);
    UpdateWindow();
}

void CVGSideHdg::FitHeadingColumns()
{
    VGLayout::FitSideHeadingColumns(*m_pInfo);
    RepaintNow();
}

// ---- Borders ----

void CVGSideHdg::TestBorders(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    m_resize.armed = 0;
    if (info.m_userColumnResize <= 0 || ArmBandBorder(point) || !ArmLineBorder(point) || !m_resize.armed)
        return;
    if (info.m_uniformHeights && info.m_defaultRowHeight != 0)
        m_rowsAbove = point.y / info.m_defaultRowHeight;
}

void CVGSideHdg::Drag(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    if (m_resize.mode == 1) {
        const int row = m_resize.index;
        int height;
        if (info.m_uniformHeights) {
            const int y = std::max<int>(1, point.y);
            height = m_rowsAbove < 1 ? y : y / m_rowsAbove;
        } else {
            height = point.y + m_resize.sizeAtArm - m_resize.startAtArm;
        }
        height = std::max(0, height);
        for (int column = info.m_leftColumn; column < info.m_rightColumn; ++column)
            m_pGrid->CellTypeOfCell(column, row)->OnCellHeightChanging(column, row, &height);
        m_pGrid->OnRowResizing(row, &height);
        m_pGrid->ResizeRow(row, height);
        if (info.m_userColumnResize == 1) {
            FitHeadingColumns();
            const RECT marker = {0, point.y - 1, info.m_cellAreaWidth, point.y + 1};
            VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, &marker);
        } else {
            m_pGrid->RepaintAll();
        }
        return;
    }
    info.m_sideHeadingColumnWidths[m_resize.index] =
        std::max(0, static_cast<int>(point.x) + m_resize.sizeAtArm - m_resize.startAtArm);
    int total = std::max(0, static_cast<int>(point.x) + m_resize.headingAtArm - m_resize.startAtArm);
    m_pGrid->OnSideHeadingResizing(&total);
    info.m_sideHeadingWidth = total;
    m_pGrid->RecalcLayout();
}

void CVGSideHdg::EndResize(CPoint)
{
    m_resize.resizing = 0;
    VGHeadingDrag::MoveMarker(m_pGrid, &m_marker, nullptr);
    if (GetCapture() == this)
        ReleaseCapture();
    if (m_resize.mode == 1) {
        const int row = m_resize.index;
        int height = VGLayout::RowHeight(*m_pInfo, row);
        for (int column = m_pInfo->m_leftColumn; column < m_pInfo->m_rightColumn; ++column)
            m_pGrid->CellTypeOfCell(column, row)->OnCellHeightChanged(column, row, &height);
        m_pGrid->OnRowResized(row, &height);
        m_pGrid->ResizeRow(row, height);
    } else {
        m_pGrid->OnSideHeadingResized(&m_pInfo->m_sideHeadingWidth);
    }
    m_pGrid->RecalcLayout();
}
