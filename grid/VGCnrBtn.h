// CVGCnrBtn: the corner button where the two headings meet (section 4).
//
// It draws the cell (-1, -1) over its whole area, lets the user drag its right edge (the side
// heading's width) or its bottom edge (the top heading's height), and reports every click.
#pragma once

#include "VGCell.h"

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

class CVGCnrBtn : public CWnd {
    DECLARE_DYNAMIC(CVGCnrBtn)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }
    void RefreshNow();
    void TestBorders(CPoint point);
    int IsArmed() const { return m_armed; }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // A tip for the corner under the pointer once it rests there (shown while tooltips are enabled).
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;

protected:
    void OnPaint();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);
    BOOL OnNeedTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    RECT CornerRect() const;

    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    CVGCell m_cell;
    int m_resizing = 0;
    int m_armed = 0;
    int m_heightMode = 0;
    int m_widthMode = 0;
};
