// CVGTopHdg: the column heading above the cell area (section 2).
//
// It paints the top-heading rows (-1 next to the cells up to -n) through their cell types, lets the
// user drag column borders and the heading's own row borders, auto-sizes a column on a double click
// of its border, moves a column dragged by its heading (when the sheet allows it), and reports every
// click to the grid, the cell type first.
#pragma once

#include "CellRedrawList.h"
#include "VGCell.h"
#include "VGHeadingDrag.h"

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

class CVGTopHdg : public CWnd {
    DECLARE_DYNAMIC(CVGTopHdg)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }

    void RefreshIfScrolled();
    void FitHeadingRows();
    int ComputeHeadingCellRect(int* column, int* row, RECT* rect);
    int HitTestHeading(POINT point, int* column, int* row, RECT* rect);
    // Arms a border under the point (no button held); what a pointer move does first.
    void TestBorders(CPoint point);
    const VGResizeState& ResizeState() const { return m_resize; }
    int DragSource() const { return m_dragSource; }

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
    void Drag(CPoint point);
    // The end of a column drag (also after a double-click fit): the hooks may still change the width.
    void FinishColumnResize(int column);
    void EndDrag();
    void TrackColumnMove(CPoint point);
    void DropColumn();

    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    CVGCell m_cell;
    VGResizeState m_resize;
    RECT m_marker = {-1, -1, -1, -1};
    CellRedrawList m_redraw;
    int m_dragSource = -1;
    int m_dropTarget = -1;
};
