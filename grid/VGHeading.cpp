#include "VGHeading.h"

#include "VGCtrl.h"

IMPLEMENT_DYNAMIC(CVGHeading, CWnd)

BEGIN_MESSAGE_MAP(CVGHeading, CWnd)
    ON_WM_SETCURSOR()
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

// ---- Clicks ----

void CVGHeading::ReportButton(bool left, int down, int column, int row, RECT* rect, POINT* point)
{
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
    const int processed = m_pGrid->CellTypeOfCell(column, row)->OnDoubleClick(column, row, &rect, &point);
    (m_pGrid->*m_kind.doubleClick)(column, row, &rect, &point, processed);
}

void CVGHeading::OnRButtonDown(UINT, CPoint point)
{
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
    return VGToolTips::AnswerTextRequest(pNMHDR, text, false);
}
