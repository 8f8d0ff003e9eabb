// CVGHScroll: the grid's horizontal scroll bar (section 5).
//
// It maps the first visible column after the frozen ones onto the bar and moves the view on scroll
// codes; while the thumb is dragged a hint may name the column.
#pragma once

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

class CVGHScroll : public CScrollBar {
    DECLARE_DYNAMIC(CVGHScroll)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    // A new sheet: the next update sets the range again.
    void SetInfo(CVGGridInfo* info);

    void SyncWithView();
    void ApplyScrollCode(UINT code, int position);
    int TrackedColumn() const { return m_trackedColumn; }

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnRButtonDown(UINT nFlags, CPoint point);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    int m_cachedLargestLeftColumn = -1;
    int m_cachedFrozenColumns = -1;
    int m_trackedColumn = 0;
};
