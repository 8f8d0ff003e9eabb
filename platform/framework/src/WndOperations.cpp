// CWnd's operations: each is the Win32 call of the same name on the object's window.
#include <framework/Dc.h>
#include <framework/Menu.h>
#include <framework/Seams.h>
#include <framework/Wnd.h>

HWND CWnd::GetSafeHwnd() const { return this != nullptr ? m_hWnd : nullptr; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::SendNotifyMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendNotifyMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep) const {
    for (HWND child = ::GetTopWindow(m_hWnd); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, message, wParam, lParam);
        if (bDeep && ::GetTopWindow(child) != nullptr) CWnd(child).SendMessageToDescendants(message, wParam, lParam, TRUE);
    }
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }

namespace {
BOOL ModifyLong(HWND hWnd, int index, DWORD remove, DWORD add, UINT flags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hWnd, index));
    DWORD changed = (style & ~remove) | add;
    if (style == changed) return FALSE;
    ::SetWindowLongPtrW(hWnd, index, static_cast<LONG_PTR>(changed));
    if (flags != 0) ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}
}  // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
namespace {
// The next control of the focus's dialog that can take the focus, outside `leaving` (which is about
// to be disabled); null when there is none.
HWND NextControlOutside(HWND leaving) {
    const HWND dialog = ::GetAncestor(leaving, GA_ROOT);
    if (dialog == nullptr || dialog == leaving) return nullptr;
    HWND at = leaving;
    // Bounded: a dialog whose walk never leaves the window has no control for the focus.
    for (int step = 0; step < 256; ++step) {
        at = ::GetNextDlgTabItem(dialog, at, FALSE);
        if (at == nullptr || at == leaving) return nullptr;
        if (!::IsChild(leaving, at)) return at;
    }
    return nullptr;
}
}  // namespace

BOOL CWnd::EnableWindow(BOOL bEnable) {
    // Win32 leaves the focus on nothing when its window goes disabled, and the dialog's keys with
    // it (Tab no longer moves): the focus goes on first, as Tab would take it.
    const HWND focus = ::GetFocus();
    if (!bEnable && focus != nullptr && (focus == m_hWnd || ::IsChild(m_hWnd, focus))) {
        if (const HWND next = NextControlOutside(m_hWnd)) {
            // Through a dialog, which keeps its default button and its remembered focus right.
            const HWND dialog = ::GetAncestor(next, GA_ROOT);
            wchar_t className[8] = {};
            ::GetClassNameW(dialog, className, 8);
            if (::lstrcmpW(className, L"#32770") == 0)
                ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
            else
                ::SetFocus(next);
        }
    }
    return ::EnableWindow(m_hWnd, bEnable);
}
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }
BOOL CWnd::IsChild(const CWnd* pWnd) const { return ::IsChild(m_hWnd, pWnd->GetSafeHwnd()); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, nID)); }

void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const {
    ::MapWindowPoints(m_hWnd, pwndTo->GetSafeHwnd(), reinterpret_cast<LPPOINT>(lpRect), 2);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const {
    ::MapWindowPoints(m_hWnd, pwndTo->GetSafeHwnd(), lpPoint, nCount);
}
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    // Children centre in their parent's client area; pop-ups over their owner, or the work area.
    CRect window;
    GetWindowRect(&window);
    CRect area;
    HWND parent = ::GetParent(m_hWnd);
    bool child = (GetStyle() & WS_CHILD) != 0;
    if (pAlternateOwner != nullptr) parent = pAlternateOwner->m_hWnd;
    if (child && parent != nullptr) {
        ::GetClientRect(parent, &area);
        ::MapWindowPoints(parent, nullptr, reinterpret_cast<LPPOINT>(&area), 2);
    } else if (parent != nullptr && ::IsWindowVisible(parent) && !::IsIconic(parent)) {
        ::GetWindowRect(parent, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    int x = area.left + (area.Width() - window.Width()) / 2;
    int y = area.top + (area.Height() - window.Height()) / 2;
    CPoint topLeft(x, y);
    if (child && ::GetParent(m_hWnd) != nullptr) ::ScreenToClient(::GetParent(m_hWnd), &topLeft);
    ::SetWindowPos(m_hWnd, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const {
    lpwndpl->length = sizeof(WINDOWPLACEMENT);
    return ::GetWindowPlacement(m_hWnd, lpwndpl);
}
BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) { return ::SetWindowPlacement(m_hWnd, lpwndpl); }
int CWnd::SetWindowRgn(HRGN hRgn, BOOL bRedraw) { return ::SetWindowRgn(m_hWnd, hRgn, bRedraw); }

void CWnd::SetWindowText(LPCWSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
int CWnd::GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const { return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount); }
void CWnd::GetWindowText(CString& rString) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    ::GetWindowTextW(m_hWnd, rString.GetBufferSetLength(length), length + 1);
    rString.ReleaseBuffer();
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? static_cast<HFONT>(*pFont) : nullptr), bRedraw);
}
CFont* CWnd::GetFont() const { return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))); }

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::SetDlgItemText(int nID, LPCWSTR lpszString) { ::SetDlgItemTextW(m_hWnd, nID, lpszString); }
int CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    HWND item = ::GetDlgItem(m_hWnd, nID);
    if (item != nullptr) CWnd::FromHandle(item)->GetWindowText(rString);
    return rString.GetLength();
}
int CWnd::GetDlgItemText(int nID, LPWSTR lpStr, int nMaxCount) const {
    return static_cast<int>(::GetDlgItemTextW(m_hWnd, nID, lpStr, nMaxCount));
}
void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }
UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const { return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned); }
void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}
int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const {
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) return id;
    }
    return 0;
}
LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}
CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
}
CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, pWndCtl->GetSafeHwnd(), bPrevious));
}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* pWndNewParent) { return FromHandle(::SetParent(m_hWnd, pWndNewParent->GetSafeHwnd())); }
CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
void CWnd::SetOwner(CWnd* pOwnerWnd) {
    ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(pOwnerWnd->GetSafeHwnd()));
}
CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::GetNextWindow(UINT nFlag) const { return FromHandle(::GetWindow(m_hWnd, nFlag)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
CWnd* CWnd::FindWindow(LPCWSTR lpszClassName, LPCWSTR lpszWindowName) {
    return FromHandle(::FindWindowW(lpszClassName, lpszWindowName));
}
CWnd* CWnd::WindowFromPoint(POINT point) { return FromHandle(::WindowFromPoint(point)); }
CWnd* CWnd::ChildWindowFromPoint(POINT point) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, point)); }

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::InvalidateRgn(CRgn* pRgn, BOOL bErase) { ::InvalidateRgn(m_hWnd, pRgn ? static_cast<HRGN>(*pRgn) : nullptr, bErase); }
void CWnd::ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags) {
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate ? static_cast<HRGN>(*prgnUpdate) : nullptr, flags);
}
BOOL CWnd::GetUpdateRect(LPRECT lpRect, BOOL bErase) { return ::GetUpdateRect(m_hWnd, lpRect, bErase); }
void CWnd::SetRedraw(BOOL bRedraw) { SendMessage(WM_SETREDRAW, bRedraw); }
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* pDC) { return ::ReleaseDC(m_hWnd, pDC->GetSafeHdc()); }
CDC* CWnd::BeginPaint(LPPAINTSTRUCT lpPaint) { return CDC::FromHandle(::BeginPaint(m_hWnd, lpPaint)); }
void CWnd::EndPaint(LPPAINTSTRUCT lpPaint) { ::EndPaint(m_hWnd, lpPaint); }
void CWnd::ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect, LPCRECT lpClipRect) {
    ::ScrollWindow(m_hWnd, xAmount, yAmount, lpRect, lpClipRect);
}
int CWnd::ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, CRgn* prgnUpdate,
                         LPRECT lpRectUpdate, UINT flags) {
    return ::ScrollWindowEx(m_hWnd, dx, dy, lpRectScroll, lpRectClip,
                            prgnUpdate ? static_cast<HRGN>(*prgnUpdate) : nullptr, lpRectUpdate, flags);
}
BOOL CWnd::LockWindowUpdate() { return ::LockWindowUpdate(m_hWnd); }
void CWnd::UnlockWindowUpdate() { ::LockWindowUpdate(nullptr); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

CScrollBar* CWnd::GetScrollBarCtrl(int) const { return nullptr; }

namespace {
// The window and bar that a scroll operation on nBar really addresses.
struct ScrollTarget {
    HWND hwnd;
    int bar;
};
ScrollTarget Target(const CWnd* wnd, int nBar) {
    if (nBar != SB_CTL) {
        if (CScrollBar* control = wnd->GetScrollBarCtrl(nBar)) {
            return ScrollTarget{reinterpret_cast<CWnd*>(control)->m_hWnd, SB_CTL};
        }
    }
    return ScrollTarget{wnd->m_hWnd, nBar};
}
}  // namespace

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
    ScrollTarget t = Target(this, nBar);
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(t.hwnd, t.bar, lpScrollInfo, bRedraw);
    return TRUE;
}
BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) const {
    ScrollTarget t = Target(this, nBar);
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(t.hwnd, t.bar, lpScrollInfo);
}
int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
    ScrollTarget t = Target(this, nBar);
    return ::SetScrollPos(t.hwnd, t.bar, nPos, bRedraw);
}
int CWnd::GetScrollPos(int nBar) const {
    ScrollTarget t = Target(this, nBar);
    return ::GetScrollPos(t.hwnd, t.bar);
}
void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    ScrollTarget t = Target(this, nBar);
    ::SetScrollRange(t.hwnd, t.bar, nMinPos, nMaxPos, bRedraw);
}
void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
    ScrollTarget t = Target(this, nBar);
    ::GetScrollRange(t.hwnd, t.bar, lpMinPos, lpMaxPos);
}
int CWnd::GetScrollLimit(int nBar) const {
    // The largest position the thumb can reach: the range less the page, as the bar itself limits it.
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    ScrollTarget t = Target(this, nBar);
    if (!::GetScrollInfo(t.hwnd, t.bar, &info)) return 0;
    int page = info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0;
    return info.nMax - page;
}
void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) {
    ScrollTarget t = Target(this, static_cast<int>(nBar));
    ::ShowScrollBar(t.hwnd, t.bar, bShow);
}
BOOL CWnd::EnableScrollBar(int nSBFlags, UINT nArrowFlags) {
    ScrollTarget t = Target(this, nSBFlags);
    return ::EnableScrollBar(t.hwnd, static_cast<UINT>(t.bar), nArrowFlags);
}

void CWnd::CreateSolidCaret(int nWidth, int nHeight) { ::CreateCaret(m_hWnd, nullptr, nWidth, nHeight); }
void CWnd::CreateGrayCaret(int nWidth, int nHeight) {
    ::CreateCaret(m_hWnd, reinterpret_cast<HBITMAP>(1), nWidth, nHeight);
}
void CWnd::CreateCaret(CBitmap* pBitmap) { ::CreateCaret(m_hWnd, pBitmap ? static_cast<HBITMAP>(*pBitmap) : nullptr, 0, 0); }
void CWnd::ShowCaret() { ::ShowCaret(m_hWnd); }
void CWnd::HideCaret() { ::HideCaret(m_hWnd); }
void CWnd::SetCaretPos(POINT point) { ::SetCaretPos(point.x, point.y); }
CPoint CWnd::GetCaretPos() {
    CPoint point;
    ::GetCaretPos(&point);
    return point;
}

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu->GetSafeHmenu()); }
void CWnd::DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}
HICON CWnd::GetIcon(BOOL bBigIcon) const {
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL));
}

int CWnd::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) {
    return framework::ShowMessageBox(m_hWnd, lpszText, lpszCaption, nType);
}
void CWnd::DragAcceptFiles(BOOL bAccept) { ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0); }
BOOL CWnd::FlashWindow(BOOL bInvert) { return ::FlashWindow(m_hWnd, bInvert); }
BOOL CWnd::ShowOwnedPopups(BOOL bShow) { return ::ShowOwnedPopups(m_hWnd, bShow); }
