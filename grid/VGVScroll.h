// CVGVScroll: the grid's vertical scroll bar (section 6).
//
// It maps the first visible row onto the bar and moves the view on scroll codes. Above 1000
// scrollable rows the bar runs over 0..1000 and positions are scaled; in mode 2 it only steps (the
// thumb stays in the middle of 0..2). While the thumb is dragged a hint may name the row.
#pragma once

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

// The step code (0 back, 1 on, 2 page back, 3 page on, 4 first, 5 last) of a scroll-bar code, -1
// for the thumb codes and others.
int ScrollStepCode(UINT code);

class CVGVScroll : public CScrollBar {
    DECLARE_DYNAMIC(CVGVScroll)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    // A new sheet: the next update sets the range again.
    void SetInfo(CVGGridInfo* info);

    void SyncWithView();
    void ApplyScrollCode(UINT code, int position);
    double BarFromRow() const { return m_barFromRow; }
    double RowFromBar() const { return m_rowFromBar; }
    int TrackedRow() const { return m_trackedRow; }

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnRButtonDown(UINT nFlags, CPoint point);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    double m_barFromRow = 1.0;
    double m_rowFromBar = 1.0;
    int m_cachedLargestTopRow = -2;
    int m_cachedMode = -2;
    int m_cachedFrozenRows = -2;
    int m_trackedRow = 0;
};
