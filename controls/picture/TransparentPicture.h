// A static control that paints a bitmap resource over whatever lies behind it, the colour
// RGB(140, 0, 140) of the bitmap left out.
#pragma once

#include <framework/Framework.h>

class CTransparentPicture : public CStatic {
public:
    static constexpr COLORREF kTransparentColor = RGB(140, 0, 140);

    void SetBitmap(UINT nIDResource);
    UINT BitmapId() const { return m_bitmapId; }

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

private:
    UINT m_bitmapId = 0;

    DECLARE_MESSAGE_MAP()
};
