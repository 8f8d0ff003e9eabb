// CVGSideHdg: the row heading left of the cell area (section 3).
//
// It paints the side-heading columns (-1 next to the cells to -n) for the visible rows, lets the
// user drag row borders and its own column borders, reports clicks to the grid (the cell type
// first), and follows the cell area's moves copying pixels where it can.
#pragma once

#include "CellRedrawList.h"
#include "VGCell.h"
#include "VGHeadingDrag.h"

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

class CVGSideHdg : public CWnd {
    DECLARE_DYNAMIC(CVGSideHdg)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }

    void FitHeadingColumns();
    int ComputeHeadingCellRect(int* column, int* row, RECT* rect);
    int HitTestHeading(POINT point, int* column, int* row, RECT* rect);
    void RefreshAfterMove();
    void TestBorders(CPoint point);
    const VGResizeState& ResizeState() const { return m_resize; }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // A tip for the heading cell under the pointer once it rests there (shown while tooltips are enabled).
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
    // Draws the listed heading cells of the visible rows and the empty area below them.
    void PaintListed(CDC* dc);
    void Drag(CPoint point);

    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    CVGCell m_cell;
    VGResizeState m_resize;
    RECT m_marker = {-1, -1, -1, -1};
    CellRedrawList m_redraw;
    int m_bottomRow = 0;
    int m_rowsAbove = 0;
};
