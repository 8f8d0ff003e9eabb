#include "VGSideHdg.h"

#include "VGCtrl.h"
#include "VGLayout.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGSideHdg, CVGHeading)

BEGIN_MESSAGE_MAP(CVGSideHdg, CVGHeading)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

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
    PaintListed(&dc);
}

void CVGSideHdg::PaintListed(CDC* dc)
{
    CVGGridInfo& info = *m_pInfo;
    const int columns = static_cast<int>(info.m_sideHeadingColumnWidths.size());
    m_pGrid->OnPrepareDC(dc, nullptr, VGSECTION_SIDEHEADING);
    HGDIOBJ oldFont = nullptr;
    if (info.m_pDefaultFont && info.m_pDefaultFont->GetSafeHandle())
        oldFont = dc->SelectObject(info.m_pDefaultFont->GetSafeHandle());
    long long y = 0;
    m_bottomRow = info.m_rowCount;
    for (int row = 0; row < info.m_rowCount; ++row) {
        row = VGLayout::ShownRowFrom(info, row);
        if (row >= info.m_rowCount)
            break;
        const int height = VGLayout::RowHeight(info, row);
        if (height == 0)
            continue;
        long long x = 0;
        for (int column = -columns; column <= -1; ++column) {
            const int width = info.m_sideHeadingColumnWidths[-(column + 1)];
            const RECT rect = {static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width),
                               static_cast<LONG>(y + height)};
            VGHeadingDrag::PaintHeadingCell(m_pGrid, dc, m_redraw, m_cell, column, row, rect, 0);
            x += width;
        }
        y += height;
        if (y > info.m_cellAreaHeight) {
            m_bottomRow = row;
            break;
        }
    }
    CRect client;
    GetClientRect(&client);
    if (y < client.bottom)
        dc->FillSolidRect(CRect(0, static_cast<int>(y), info.m_sideHeadingWidth, client.bottom),
                          m_pGrid->GetSectionBackColor(VGSECTION_SIDEHEADING));
    m_redraw.Clear();
    if (oldFont)
        dc->SelectObject(oldFont);
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
    PaintListed(&dc);
    m_redraw.Clear();
    UpdateWindow();
}

void CVGSideHdg::FitHeadingColumns()
{
    VGLayout::FitSideHeadingColumns(*m_pInfo);
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

// ---- Borders ----

void CVGSideHdg::TestBorders(CPoint point)
{
    CVGGridInfo& info = *m_pInfo;
    m_resize.armed = 0;
    if (info.m_userColumnResize <= 0)
        return;
    long long edge = info.m_sideHeadingWidth;
    for (size_t k = 0; k < info.m_sideHeadingColumnWidths.size(); ++k) {
        if (std::abs(point.x - edge) < 3) {
            if (!m_pGrid->OnCanResizeSideHeading())
                return;
            m_resize.armed = 1;
            m_resize.mode = 0;
            m_resize.index = static_cast<int>(k);
            m_resize.sizeAtArm = info.m_sideHeadingColumnWidths[k];
            m_resize.startAtArm = point.x;
            m_resize.headingAtArm = info.m_sideHeadingWidth;
            ::SetCursor(info.m_sizeWECursor);
            return;
        }
        edge -= info.m_sideHeadingColumnWidths[k];
    }
    long long bottom = 0;
    for (int row = 0; row < info.m_rowCount; ++row) {
        row = VGLayout::ShownRowFrom(info, row);
        if (row >= info.m_rowCount)
            break;
        bottom += VGLayout::RowHeight(info, row);
        if (std::abs(point.y - bottom) < 3) {
            int hit = row;
            if (row + 1 < info.m_rowCount && VGLayout::RowHeight(info, row + 1) == 0)
                hit = row + 1;
            if (!m_pGrid->OnCanResizeRow(hit))
                return;
            m_resize.armed = 1;
            m_resize.mode = 1;
            m_resize.index = hit;
            m_resize.sizeAtArm = VGLayout::RowHeight(info, hit);
            m_resize.startAtArm = point.y;
            if (info.m_uniformHeights && info.m_defaultRowHeight != 0)
                m_rowsAbove = point.y / info.m_defaultRowHeight;
            ::SetCursor(info.m_sizeNSCursor);
            return;
        }
        if (bottom > info.m_cellAreaHeight)
            break;
    }
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

// ---- Mouse ----

void CVGSideHdg::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_resize.resizing)
        Drag(point);
    else if (!(nFlags & MK_LBUTTON))
        TestBorders(point);
}

void CVGSideHdg::OnLButtonDown(UINT, CPoint point)
{
    VGHeadingDrag::FocusCellArea(m_pGrid);
    if (m_resize.armed) {
        m_resize.resizing = 1;
        SetCapture();
        return;
    }
    ReportButtonAt(true, 1, point);
}

void CVGSideHdg::OnLButtonUp(UINT, CPoint point)
{
    if (m_resize.resizing) {
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
        return;
    }
    ReportButtonAt(true, 0, point);
}

void CVGSideHdg::OnLButtonDblClk(UINT, CPoint point)
{
    ReportDoubleClickAt(point);
}
