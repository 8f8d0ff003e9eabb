// CVGVScroll: the grid's vertical scroll bar (section 6).
//
// It maps the first visible row onto the bar and moves the view on scroll codes. Above 1000
// scrollable rows the bar runs over 0..1000 and positions are scaled; in mode 2 it only steps (the
// thumb stays in the middle of 0..2). While the thumb is dragged a hint may name the row.
#pragma once

#include "VGScrollBar.h"

class CVGVScroll : public CVGScrollBar {
    DECLARE_DYNAMIC(CVGVScroll)

public:
    CVGVScroll();

    void SyncWithView();
    void ApplyScrollCode(UINT code, int position);
    double BarFromRow() const { return m_barFromRow; }
    double RowFromBar() const { return m_rowFromBar; }
    int TrackedRow() const { return m_trackedRow; }

protected:
    bool ThumbTipEnabled() const override;
    void ForgetRange() override;

private:
    double m_barFromRow = 1.0;
    double m_rowFromBar = 1.0;
    int m_cachedLargestTopRow = -2;
    int m_cachedMode = -2;
    int m_cachedFrozenRows = -2;
    int m_trackedRow = 0;
};
