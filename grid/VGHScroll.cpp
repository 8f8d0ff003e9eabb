#include "VGHScroll.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGHScroll, CVGScrollBar)

CVGHScroll::CVGHScroll() : CVGScrollBar(VGSECTION_HSCROLL) {}

bool CVGHScroll::ThumbTipEnabled() const
{
    return m_pInfo->m_hScrollTip != 0;
}

void CVGHScroll::ForgetRange()
{
    m_cachedLargestLeftColumn = m_cachedFrozenColumns = -1;
}

void CVGHScroll::SyncWithView()
{
    if (!m_hWnd || !m_pInfo || !m_pInfo->m_painting)
        return;
    CVGGridInfo& info = *m_pInfo;
    if (info.m_largestLeftColumn != m_cachedLargestLeftColumn || info.m_frozenColumnCount != m_cachedFrozenColumns) {
        m_cachedLargestLeftColumn = info.m_largestLeftColumn;
        m_cachedFrozenColumns = info.m_frozenColumnCount;
        const int page = (info.m_cellAreaWidth - info.m_frozenColumnsWidth) / std::max(1, info.m_defaultColumnWidth);
        SCROLLINFO si = {};
        si.fMask = SIF_RANGE | SIF_PAGE;
        si.nMin = 0;
        si.nMax = info.m_largestLeftColumn + page - info.m_frozenColumnCount - 1;
        si.nPage = static_cast<UINT>(std::max(0, page));
        SetScrollInfo(&si, FALSE);
        if (info.m_hScrollRect.left == info.m_hScrollRect.right)
            m_pGrid->RecalcLayout();
        SetScrollPos(info.m_leftColumn - info.m_frozenColumnCount, TRUE);
    }
    if (info.m_leftColumn != info.m_previousLeftColumn) {
        SetScrollPos(info.m_leftColumn - info.m_frozenColumnCount, TRUE);
        m_pGrid->OnViewScrolled(VGSECTION_HSCROLL, info.m_previousLeftColumn, info.m_leftColumn);
    }
}

void CVGHScroll::ApplyScrollCode(UINT code, int position)
{
    CVGGridInfo& info = *m_pInfo;
    BeginScrollMove();
    const int step = ScrollStepCode(code);
    if (step >= 0)
        m_pGrid->StepFirstVisibleColumn(step);
    switch (code) {
    case SB_THUMBPOSITION:
        if (info.m_hScrollTip)
            m_pGrid->Hint().HideHint();
        m_pGrid->SetFirstVisibleColumn(position + info.m_frozenColumnCount);
        break;
    case SB_THUMBTRACK:
        if (info.m_hScrollMode == 1)
            m_pGrid->SetFirstVisibleColumn(position + info.m_frozenColumnCount);
        m_trackedColumn = position + info.m_frozenColumnCount;
        if (info.m_hScrollTip) {
            CString text;
            m_pGrid->GetHScrollTipText(m_trackedColumn, &text);
            m_pGrid->Hint().ShowBesideThumb(this, false, 0x14, text);
        }
        break;
    default: break;
    }
}
