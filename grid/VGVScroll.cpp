#include "VGVScroll.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGVScroll, CScrollBar)

BEGIN_MESSAGE_MAP(CVGVScroll, CScrollBar)
    ON_WM_CREATE()
    ON_WM_RBUTTONDOWN()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

namespace {
// Above this many rows the bar runs over 0..kScaledRange and positions are scaled.
constexpr int kScaledRange = 1000;
}  // namespace

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

void CVGVScroll::SetInfo(CVGGridInfo* info)
{
    m_pInfo = info;
    m_cachedLargestTopRow = m_cachedMode = m_cachedFrozenRows = -2;
}

int CVGVScroll::OnCreate(LPCREATESTRUCT)
{
    if (static_cast<int>(Default()) == -1)
        return -1;
    if (m_pInfo && m_pInfo->m_vScrollTip)
        EnableToolTips(TRUE);
    return 0;
}

void CVGVScroll::SyncWithView()
{
    if (!m_hWnd || !m_pInfo || !m_pInfo->m_painting)
        return;
    CVGGridInfo& info = *m_pInfo;
    bool forced = false;
    if (info.m_largestTopRow != m_cachedLargestTopRow || info.m_vScrollMode != m_cachedMode ||
        info.m_frozenRowCount != m_cachedFrozenRows) {
        m_cachedLargestTopRow = info.m_largestTopRow;
        m_cachedMode = info.m_vScrollMode;
        m_cachedFrozenRows = info.m_frozenRowCount;
        SCROLLINFO si = {};
        si.fMask = SIF_RANGE | SIF_PAGE;
        if (info.m_largestTopRow > kScaledRange) {
            m_barFromRow = static_cast<double>(kScaledRange) / info.m_largestTopRow;
            m_rowFromBar = static_cast<double>(info.m_largestTopRow) / kScaledRange;
            if (info.m_vScrollMode == 2) {
                SetScrollRange(0, 2, FALSE);
                m_barFromRow = m_rowFromBar = 1.0;
            } else {
                si.nMin = 0;
                si.nMax = kScaledRange;
                si.nPage = 1;
                SetScrollInfo(&si, FALSE);
            }
        } else if (info.m_vScrollMode == 2) {
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            si.nMin = 0;
            si.nMax = 2;
            si.nPage = 0;
            si.nPos = 1;
            SetScrollInfo(&si, FALSE);
            m_barFromRow = m_rowFromBar = 1.0;
        } else {
            info.m_defaultRowHeight = std::max(1, info.m_defaultRowHeight);
            const int page = info.m_cellAreaHeight / info.m_defaultRowHeight;
            si.nMin = info.m_frozenRowCount;
            si.nMax = info.m_largestTopRow + page - 1;
            si.nPage = static_cast<UINT>(std::max(0, page));
            SetScrollInfo(&si, FALSE);
            Invalidate(TRUE);
            m_barFromRow = m_rowFromBar = 1.0;
        }
        forced = true;
    }
    if (info.m_topRow != info.m_previousTopRow || forced) {
        const int position = info.m_vScrollMode == 2 ? 1 : static_cast<int>(info.m_topRow * m_barFromRow);
        SetScrollPos(position, TRUE);
        m_pGrid->OnViewScrolled(VGSECTION_VSCROLL, info.m_previousTopRow, info.m_topRow);
    }
}

void CVGVScroll::ApplyScrollCode(UINT code, int position)
{
    CVGGridInfo& info = *m_pInfo;
    CVGGrid& cells = m_pGrid->CellArea();
    if (GetFocus() != &cells)
        cells.SetFocus();
    info.m_moveKind = 4;
    const int step = ScrollStepCode(code);
    if (step >= 0)
        m_pGrid->StepFirstVisibleRow(step);
    switch (code) {
    case SB_THUMBPOSITION:
        if (info.m_vScrollTip)
            m_pGrid->Hint().HideHint();
        m_pGrid->SetFirstVisibleRow(static_cast<int>(position * m_rowFromBar));
        break;
    case SB_THUMBTRACK: {
        if (info.m_vScrollMode == 1)
            m_pGrid->SetFirstVisibleRow(static_cast<int>(position * m_rowFromBar));
        m_trackedRow = static_cast<int>(position * m_rowFromBar) + info.m_frozenRowCount;
        if (info.m_vScrollTip) {
            CString text;
            m_pGrid->GetVScrollTipText(m_trackedRow, &text);
            m_pGrid->Hint().ShowBesideThumb(this, true, 0x22, text);
        }
        break;
    }
    default: break;
    }
    m_pGrid->SideHeading().Invalidate(TRUE);
}

void CVGVScroll::OnRButtonDown(UINT, CPoint point)
{
    m_pGrid->OfferPopupMenu(this, 0, 0, point, VGSECTION_VSCROLL);
    Default();
}

BOOL CVGVScroll::OnHelpInfo(HELPINFO* pHelpInfo)
{
    if (!pHelpInfo || pHelpInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    m_pGrid->OpenHelp(m_pGrid->GetHelpContextId(m_pInfo->m_currentColumn, m_pInfo->m_currentRow, VGSECTION_VSCROLL));
    return TRUE;
}

LRESULT CVGVScroll::OnHelpHitTest(WPARAM, LPARAM)
{
    return static_cast<LRESULT>(
        m_pGrid->GetHelpContextId(m_pInfo->m_currentColumn, m_pInfo->m_currentRow, VGSECTION_VSCROLL));
}
