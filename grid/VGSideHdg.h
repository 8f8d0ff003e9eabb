// CVGSideHdg: the row heading left of the cell area (section 3).
//
// It paints the side-heading columns (-1 next to the cells to -n) for the visible rows, lets the
// user drag row borders and its own column borders, reports clicks to the grid (the cell type
// first), and follows the cell area's moves copying pixels where it can.
#pragma once

#include "VGHeading.h"

class CVGSideHdg : public CVGHeading {
    DECLARE_DYNAMIC(CVGSideHdg)

public:
    CVGSideHdg();

    void FitHeadingColumns();
    void RefreshAfterMove();
    void TestBorders(CPoint point) override;

protected:
    void Drag(CPoint point) override;
    void EndResize(CPoint point) override;
    void OnPaint() override;

private:
    int m_bottomRow = 0;
    int m_rowsAbove = 0;
};
