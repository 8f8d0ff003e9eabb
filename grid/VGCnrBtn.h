// CVGCnrBtn: the corner button where the two headings meet (section 4).
//
// It draws the cell (-1, -1) over its whole area, lets the user drag its right edge (the side
// heading's width) or its bottom edge (the top heading's height), and reports every click.
#pragma once

#include "VGHeading.h"

class CVGCnrBtn : public CVGHeading {
    DECLARE_DYNAMIC(CVGCnrBtn)

public:
    CVGCnrBtn();

    void TestBorders(CPoint point) override;

protected:
    void Drag(CPoint point) override;
    void EndResize(CPoint point) override;
    void OnPaint() override;
};
