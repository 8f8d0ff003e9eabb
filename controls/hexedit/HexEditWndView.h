// CHexEditWndView: a view whose client area is one hex editor (multi-line, control id 256).
#pragma once

#include <framework/Framework.h>

#include "hexedit/HexEditWnd.h"

// CHexEditWndView: a view whose client area is one hex editor.
class CHexEditWndView : public CView {
    DECLARE_DYNCREATE(CHexEditWndView)
public:
    CHexEditWnd& HexEdit() { return m_hexEdit; }

protected:
    void OnDraw(CDC*) override {}
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()

private:
    CHexEditWnd m_hexEdit;
};
