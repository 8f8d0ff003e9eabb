#include "VGVScroll.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGVScroll, CVGScrollBar)

namespace {
// Above this many rows the bar runs over 0..kScaledRange and positions are scaled.
constexpr int kScaledRange = 1000;
}  // namespace

CVGVScroll::CVGVScroll() : CVGScrollBar(VGSECTION_VSCROLL) {}

bool CVGVScroll::ThumbTipEnabled() const
{
    return m_pInfo->m_vScrollTip != 0;
}

void CVGVScroll::ForgetRange()
{
    m_cachedLargestTopRow = m_cachedMode = m_cachedFrozenRows = -2;
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
    BeginScrollMove();
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
