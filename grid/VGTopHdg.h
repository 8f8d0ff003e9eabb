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
    void TestBorders(CPoint point) override;
    int DragSource() const { return m_dragSource; }

protected:
    void Drag(CPoint point) override;
    void EndResize(CPoint point) override;
    // A press on a column's heading may start moving the column; the heading takes the mouse.
    void Press(CPoint point) override;
    void MoveHeld(CPoint point) override;
    void Released() override;
    // A double click on a column's border fits the column to its texts.
    bool DoubleClickBorder(CPoint point) override;
    void OnPaint() override;

private:
    // The end of a column drag (also after a double-click fit): the hooks may still change the width.
    void FinishColumnResize(int column);
    void TrackColumnMove(CPoint point);
    void DropColumn();

    int m_dragSource = -1;
    int m_dropTarget = -1;
};
