// CVGTopHdg: the column heading above the cell area (section 2).
//
// It paints the top-heading rows (-1 next to the cells up to -n) through their cell types, lets the
// user drag column borders and the heading's own row borders, auto-sizes a column on a double click
// of its border, moves a column dragged by its heading (when the sheet allows it), and reports every
// click to the grid, the cell type first.
#pragma once

#include "VGHeading.h"

class CVGTopHdg : public CVGHeading {
    DECLARE_DYNAMIC(CVGTopHdg)

public:
    CVGTopHdg();

    void RefreshIfScrolled();
    void FitHeadingRows();
    // Arms a border under the point (no button held); what a pointer move does first.
    void TestBorders(CPoint point);
    int DragSource() const { return m_dragSource; }

protected:
    void OnPaint();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

private:
    void Drag(CPoint point);
    // The end of a column drag (also after a double-click fit): the hooks may still change the width.
    void FinishColumnResize(int column);
    void EndDrag();
    void TrackColumnMove(CPoint point);
    void DropColumn();

    int m_dragSource = -1;
    int m_dropTarget = -1;
};
