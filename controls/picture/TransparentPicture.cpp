#include "picture/TransparentPicture.h"

BEGIN_MESSAGE_MAP(CTransparentPicture, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

void CTransparentPicture::SetBitmap(UINT nIDResource) {
    // The static itself must draw no picture of its own: this control paints the bitmap.
    if (GetSafeHwnd() != nullptr) ModifyStyle(0x000E, 0);
    const bool changed = nIDResource != m_bitmapId;
    m_bitmapId = nIDResource;
    if (GetSafeHwnd() != nullptr && changed) Invalidate();
}

void CTransparentPicture::OnPaint() {
    Default();
    if (m_bitmapId == 0) return;
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(m_bitmapId), RT_BITMAP);
    HBITMAP bitmap = ::LoadBitmapW(module, MAKEINTRESOURCEW(m_bitmapId));
    if (bitmap == nullptr) return;
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof info, &info);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    HDC client = ::GetDC(m_hWnd);
    ::TransparentBlt(client, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, info.bmWidth, info.bmHeight, kTransparentColor);
    ::ReleaseDC(m_hWnd, client);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
}

BOOL CTransparentPicture::OnEraseBkgnd(CDC* pDC) {
    pDC->SetBkMode(TRANSPARENT);
    pDC->SelectStockObject(NULL_BRUSH);
    return TRUE;
}

HBRUSH CTransparentPicture::CtlColor(CDC* pDC, UINT) {
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
