#include <framework/Dc.h>
#include <framework/Gdi.h>
#include <framework/HandleMap.h>
#include <framework/Module.h>

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

HGDIOBJ CGdiObject::GetSafeHandle() const { return this != nullptr ? m_hObject : nullptr; }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) {
    return framework::TemporaryFor<CGdiObject, &CGdiObject::m_hObject>(hObject);
}
CPen* CPen::FromHandle(HPEN hPen) { return framework::TemporaryFor<CPen, &CPen::m_hObject>(static_cast<HGDIOBJ>(hPen)); }
CBrush* CBrush::FromHandle(HBRUSH hBrush) {
    return framework::TemporaryFor<CBrush, &CBrush::m_hObject>(static_cast<HGDIOBJ>(hBrush));
}
CFont* CFont::FromHandle(HFONT hFont) { return framework::TemporaryFor<CFont, &CFont::m_hObject>(static_cast<HGDIOBJ>(hFont)); }
CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) {
    return framework::TemporaryFor<CBitmap, &CBitmap::m_hObject>(static_cast<HGDIOBJ>(hBitmap));
}
CRgn* CRgn::FromHandle(HRGN hRgn) { return framework::TemporaryFor<CRgn, &CRgn::m_hObject>(static_cast<HGDIOBJ>(hRgn)); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (hObject == nullptr || m_hObject != nullptr) return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ hObject = m_hObject;
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) return FALSE;
    // Stock objects and system colour brushes are shared: deleting them is a no-op the system allows.
    return ::DeleteObject(Detach());
}

BOOL CGdiObject::CreateStockObject(int nIndex) { return Attach(::GetStockObject(nIndex)); }

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap) { return Attach(::CreatePatternBrush(*pBitmap)); }

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
    return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                                nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC) {
    LOGFONTW logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = nPointSize;
    lstrcpynW(logFont.lfFaceName, lpszFaceName, LF_FACESIZE);
    return CreatePointFontIndirect(&logFont, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTW* lpLogFont, CDC* pDC) {
    // lfHeight arrives in tenths of a point; convert through the device's logical resolution.
    HDC hDC = pDC ? pDC->m_hDC : ::GetDC(nullptr);
    LOGFONTW logFont = *lpLogFont;
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), logFont.lfHeight, 720)};
    ::DPtoLP(hDC, &pt, 1);
    POINT origin = {0, 0};
    ::DPtoLP(hDC, &origin, 1);
    logFont.lfHeight = -abs(pt.y - origin.y);
    if (pDC == nullptr) ::ReleaseDC(nullptr, hDC);
    return CreateFontIndirect(&logFont);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCEW(nIDResource)); }

BOOL CBitmap::LoadBitmap(LPCWSTR lpszResourceName) {
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
    return module != nullptr && Attach(::LoadBitmapW(module, lpszResourceName));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}
