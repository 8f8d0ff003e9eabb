#include "VGCnrBtn.h"

#include "VGCtrl.h"
#include "VGToolTips.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGCnrBtn, CWnd)

BEGIN_MESSAGE_MAP(CVGCnrBtn, CWnd)
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

BOOL CVGCnrBtn::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

RECT CVGCnrBtn::CornerRect() const
{
    return m_pInfo->m_cornerRect;
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

void CVGCnrBtn::RefreshNow()
{
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CVGCnrBtn::TestBorders(CPoint point)
{
    m_armed = m_heightMode = m_widthMode = 0;
    if (m_pInfo->m_userColumnResize <= 0)
        return;
    CRect client;
    GetClientRect(&client);
    if (point.x > client.right - 4 && m_pGrid->OnCanResizeSideHeading()) {
        m_armed = m_widthMode = 1;
        ::SetCursor(m_pInfo->m_sizeWECursor);
    } else if (point.y > client.bottom - 4 && m_pGrid->OnCanResizeTopHeading()) {
        m_armed = m_heightMode = 1;
        ::SetCursor(m_pInfo->m_sizeNSCursor);
    }
}

BOOL CVGCnrBtn::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_armed && m_widthMode)
        ::SetCursor(m_pInfo->m_sizeWECursor);
    else if (m_armed && m_heightMode)
        ::SetCursor(m_pInfo->m_sizeNSCursor);
    else
        ::SetCursor(m_pInfo->m_arrowCursor);
    return TRUE;
}

void CVGCnrBtn::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_resizing) {
        if (!(nFlags & MK_LBUTTON))
            TestBorders(point);
        return;
    }
    if (m_heightMode) {
        int height = std::max<int>(0, point.y);
        m_pGrid->OnTopHeadingResizing(&height);
        m_pGrid->SetTopHeadingHeight(height);
    } else if (m_widthMode) {
        int width = std::max<int>(0, point.x);
        m_pGrid->OnSideHeadingResizing(&width);
        m_pGrid->SetSideHeadingWidth(width);
    }
    m_pGrid->RecalcLayout();
}

void CVGCnrBtn::OnLButtonDown(UINT, CPoint point)
{
    CVGGrid& cells = m_pGrid->CellArea();
    if (GetFocus() != &cells)
        cells.SetFocus();
    RECT rect = CornerRect();
    if (m_armed) {
        m_resizing = 1;
        SetCapture();
        m_pGrid->OnCornerLButton(1, &rect, &point, 1);
    } else {
        m_pGrid->OnCornerLButton(1, &rect, &point, 0);
    }
}

void CVGCnrBtn::OnLButtonUp(UINT, CPoint point)
{
    RECT rect = CornerRect();
    if (!m_resizing) {
        m_pGrid->OnCornerLButton(0, &rect, &point, 0);
        return;
    }
    m_resizing = 0;
    if (GetCapture() == this)
        ReleaseCapture();
    if (m_heightMode)
        m_pGrid->OnTopHeadingResized(&m_pInfo->m_topHeadingHeight);
    else if (m_widthMode)
        m_pGrid->OnSideHeadingResized(&m_pInfo->m_sideHeadingWidth);
    rect = CornerRect();
    m_pGrid->OnCornerLButton(0, &rect, &point, 1);
}

void CVGCnrBtn::OnLButtonDblClk(UINT, CPoint point)
{
    RECT rect = CornerRect();
    m_pGrid->OnCornerDoubleClick(&rect, &point, 0);
}

void CVGCnrBtn::OnRButtonDown(UINT, CPoint point)
{
    RECT rect = CornerRect();
    m_pGrid->OnCornerRButton(1, &rect, &point, 0);
    m_pGrid->OfferPopupMenu(this, -1, -1, point, VGSECTION_CORNER);
}

void CVGCnrBtn::OnRButtonUp(UINT, CPoint point)
{
    RECT rect = CornerRect();
    m_pGrid->OnCornerRButton(0, &rect, &point, 0);
}

BOOL CVGCnrBtn::OnHelpInfo(HELPINFO* pHelpInfo)
{
    if (!pHelpInfo || pHelpInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    m_pGrid->OpenHelp(m_pGrid->GetHelpContextId(-1, -1, VGSECTION_CORNER));
    return TRUE;
}

LRESULT CVGCnrBtn::OnHelpHitTest(WPARAM, LPARAM)
{
    return static_cast<LRESULT>(m_pGrid->GetHelpContextId(-1, -1, VGSECTION_CORNER));
}

namespace {
VGToolTips::LastCell g_cornerTipCell;
}  // namespace

INT_PTR CVGCnrBtn::OnToolHitTest(CPoint, TOOLINFOW* pTI) const
{
    return VGToolTips::HitTest(m_hWnd, true, -1, -1, g_cornerTipCell, pTI);
}

BOOL CVGCnrBtn::OnNeedTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    CString text;
    if (!m_pGrid || m_pGrid->GetTipText(-1, -1, VGSECTION_CORNER, &text) != 1)
        return FALSE;
    *pResult = 0;
    return VGToolTips::AnswerTextRequest(pNMHDR, text, true);
}
