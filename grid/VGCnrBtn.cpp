#include "VGCnrBtn.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGCnrBtn, CVGHeading)

namespace {
VGToolTips::LastCell g_cornerTipCell;
}  // namespace

CVGCnrBtn::CVGCnrBtn()
    : CVGHeading({VGSECTION_CORNER, nullptr, nullptr, nullptr, nullptr, nullptr, &g_cornerTipCell})
{
}

void CVGCnrBtn::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pGrid || !m_pInfo || !m_pInfo->m_painting)
        return;
    m_pGrid->OnPrepareDC(&dc, nullptr, VGSECTION_CORNER);
    m_pGrid->GetEffectiveCell(-1, -1, &m_cell);
    CVGCellType* type = m_pGrid->TypeOfCell(&m_cell);
    CRect client;
    GetClientRect(&client);
    HGDIOBJ oldFont = nullptr;
    if (m_pInfo->m_pDefaultFont && m_pInfo->m_pDefaultFont->GetSafeHandle())
        oldFont = dc.SelectObject(m_pInfo->m_pDefaultFont->GetSafeHandle());
    if (!client.IsRectEmpty())
        type->PaintCell(&dc, &client, -1, -1, &m_cell, 0, 0);
    if (oldFont)
        dc.SelectObject(oldFont);
}

// Mode 0 drags the side heading's width, mode 1 the top heading's height.
void CVGCnrBtn::TestBorders(CPoint point)
{
    m_resize.armed = 0;
    if (m_pInfo->m_userColumnResize <= 0)
        return;
    CRect client;
    GetClientRect(&client);
    if (point.x > client.right - 4 && m_pGrid->OnCanResizeSideHeading()) {
        m_resize.armed = 1;
        m_resize.mode = 0;
        ::SetCursor(m_pInfo->m_sizeWECursor);
    } else if (point.y > client.bottom - 4 && m_pGrid->OnCanResizeTopHeading()) {
        m_resize.armed = 1;
        m_resize.mode = 1;
        ::SetCursor(m_pInfo->m_sizeNSCursor);
    }
}

void CVGCnrBtn::Drag(CPoint point)
{
    if (m_resize.mode == 1) {
        int height = std::max<int>(0, point.y);
        m_pGrid->OnTopHeadingResizing(&height);
        m_pGrid->SetTopHeadingHeight(height);
    } else {
        int width = std::max<int>(0, point.x);
        m_pGrid->OnSideHeadingResizing(&width);
        m_pGrid->SetSideHeadingWidth(width);
    }
    m_pGrid->RecalcLayout();
}

void CVGCnrBtn::EndResize(CPoint point)
{
    m_resize.resizing = 0;
    if (GetCapture() == this)
        ReleaseCapture();
    if (m_resize.mode == 1)
        m_pGrid->OnTopHeadingResized(&m_pInfo->m_topHeadingHeight);
    else
        m_pGrid->OnSideHeadingResized(&m_pInfo->m_sideHeadingWidth);
    RECT rect = m_pInfo->m_cornerRect;
    m_pGrid->OnCornerLButton(0, &rect, &point, 1);
}
