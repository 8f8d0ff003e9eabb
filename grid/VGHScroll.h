// CVGHScroll: the grid's horizontal scroll bar (section 5).
//
// It maps the first visible column after the frozen ones onto the bar and moves the view on scroll
// codes; while the thumb is dragged a hint may name the column.
#pragma once

#include "VGScrollBar.h"

class CVGHScroll : public CVGScrollBar {
    DECLARE_DYNAMIC(CVGHScroll)

public:
    CVGHScroll();

    void SyncWithView();
    void ApplyScrollCode(UINT code, int position);
    int TrackedColumn() const { return m_trackedColumn; }

protected:
    bool ThumbTipEnabled() const override;
    void ForgetRange() override;

private:
    int m_cachedLargestLeftColumn = -1;
    int m_cachedFrozenColumns = -1;
    int m_trackedColumn = 0;
};
