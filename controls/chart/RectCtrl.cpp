#include "chart/RectCtrl.h"

BEGIN_MESSAGE_MAP(CRectCtrl, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

void CRectCtrl::SetColor(COLORREF color) {
    m_brush.DeleteObject();
    m_brush.CreateSolidBrush(color);
    if (GetSafeHwnd() != nullptr) Invalidate();
}

HBRUSH CRectCtrl::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(m_brush.GetSafeHandle()); }
