// A plain static painted all over in one colour: four of them make the edges of a chart viewer's
// zoom selection box.
#pragma once

#include <framework/Framework.h>

class CRectCtrl : public CStatic {
public:
    // The solid colour the control paints itself with (replaces the previous one).
    void SetColor(COLORREF color);

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

private:
    CBrush m_brush;

    DECLARE_MESSAGE_MAP()
};
