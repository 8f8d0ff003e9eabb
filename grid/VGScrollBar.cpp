#include "VGScrollBar.h"

#include "VGCtrl.h"

IMPLEMENT_DYNAMIC(CVGScrollBar, CScrollBar)

BEGIN_MESSAGE_MAP(CVGScrollBar, CScrollBar)
    ON_WM_CREATE()
    ON_WM_RBUTTONDOWN()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

int ScrollStepCode(UINT code)
{
    switch (code) {
    case SB_LINEUP:
    case SB_LINEDOWN:
    case SB_PAGEUP:
    case SB_PAGEDOWN: return static_cast<int>(code);
    case SB_TOP: return 4;
    case SB_BOTTOM: return 5;
    default: return -1;
    }
}

void CVGScrollBar::SetInfo(CVGGridInfo* info)
{
    m_pInfo = info;
    ForgetRange();
}

void CVGScrollBar::BeginScrollMove()
{
    CVGGrid& cells = m_pGrid->CellArea();
    if (GetFocus() != &cells)
        cells.SetFocus();
    m_pInfo->m_moveKind = 4;
}

int CVGScrollBar::OnCreate(LPCREATESTRUCT)
{
    if (static_cast<int>(Default()) == -1)
        return -1;
    if (m_pInfo && ThumbTipEnabled())
        EnableToolTips(TRUE);
    return 0;
}

void CVGScrollBar::OnRButtonDown(UINT, CPoint point)
{
    m_pGrid->OfferPopupMenu(this, 0, 0, point, m_section);
    Default();
}

DWORD CVGScrollBar::CurrentHelpContextId() const
{
    return m_pGrid->GetHelpContextId(m_pInfo->m_currentColumn, m_pInfo->m_currentRow, m_section);
}

BOOL CVGScrollBar::OnHelpInfo(HELPINFO* pHelpInfo)
{
    if (!pHelpInfo || pHelpInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    m_pGrid->OpenHelp(CurrentHelpContextId());
    return TRUE;
}

LRESULT CVGScrollBar::OnHelpHitTest(WPARAM, LPARAM)
{
    return static_cast<LRESULT>(CurrentHelpContextId());
}
