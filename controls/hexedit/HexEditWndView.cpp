#include "hexedit/HexEditWndView.h"

IMPLEMENT_DYNCREATE(CHexEditWndView, CView)

BEGIN_MESSAGE_MAP(CHexEditWndView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {
constexpr UINT kHexEditId = 256;
}

int CHexEditWndView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CView::OnCreate(lpCreateStruct) == -1) return -1;
    const CRect area(0, 0, lpCreateStruct->cx, lpCreateStruct->cy);
    if (!m_hexEdit.Create(nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE, area, this, kHexEditId)) return -1;
    return 0;
}

void CHexEditWndView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_hexEdit.GetSafeHwnd() != nullptr) m_hexEdit.MoveWindow(0, 0, cx, cy, TRUE);
}
