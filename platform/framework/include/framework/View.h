// CView: a child window that draws its content in OnDraw. Views here stand alone (no document).
#pragma once

#include <framework/Dc.h>
#include <framework/Wnd.h>

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    virtual void OnInitialUpdate() {}

protected:
    virtual void OnDraw(CDC* pDC) = 0;
    void OnPaint();
    // Views are made with new and go with their window.
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()
};
