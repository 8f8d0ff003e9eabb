// Tooltips by hit testing: one tooltip control per thread serves every window that enabled them.
#include <framework/Wnd.h>

namespace {

// The thread's tooltip and the tool it currently shows. Only the thread's own loops touch it; the
// tooltip window ends with its thread, as every window does.
struct ToolTipState {
    HWND tip;
    HWND hitWindow;
    INT_PTR hit;
    UINT privateFlags;
    TOOLINFOW tool;
    bool toolAdded;
};
thread_local ToolTipState t_tips = {nullptr, nullptr, -1, 0, {}, false};

constexpr UINT kPrivateFlags = TTF_NOTBUTTON | TTF_CLOSEONLEAVE;

HWND ThreadTip(HWND owner) {
    if (t_tips.tip == nullptr || !::IsWindow(t_tips.tip)) {
        t_tips.tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                       ::GetAncestor(owner, GA_ROOT), nullptr, nullptr, nullptr);
        t_tips.toolAdded = false;
        if (t_tips.tip != nullptr) ::SendMessageW(t_tips.tip, TTM_SETMAXTIPWIDTH, 0, SHRT_MAX);
    }
    return t_tips.tip;
}

void RemoveTool() {
    if (t_tips.toolAdded && t_tips.tip != nullptr) {
        ::SendMessageW(t_tips.tip, TTM_POP, 0, 0);
        ::SendMessageW(t_tips.tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&t_tips.tool));
    }
    t_tips.toolAdded = false;
}

bool IsMouseMessage(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == WM_NCMBUTTONDOWN;
}

}  // namespace

namespace framework {

// Called by the loops' pre-translation for the nearest window with tooltips enabled.
void FilterToolTipMessage(CWnd* wnd, MSG* pMsg) {
    if (!IsMouseMessage(pMsg->message)) {
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) RemoveTool();
        return;
    }
    CPoint point = pMsg->pt;
    ::ScreenToClient(wnd->m_hWnd, &point);
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    INT_PTR hit = wnd->OnToolHitTest(point, &info);
    if (hit != t_tips.hit || wnd->m_hWnd != t_tips.hitWindow) {
        RemoveTool();
        t_tips.hit = hit;
        t_tips.hitWindow = wnd->m_hWnd;
        if (hit != -1) {
            HWND tip = ThreadTip(wnd->m_hWnd);
            if (info.hwnd == nullptr) info.hwnd = wnd->m_hWnd;
            if ((info.uFlags & TTF_IDISHWND) == 0 && ::IsRectEmpty(&info.rect)) ::GetClientRect(info.hwnd, &info.rect);
            if (info.lpszText == nullptr) info.lpszText = LPSTR_TEXTCALLBACKW;
            t_tips.privateFlags = info.uFlags & kPrivateFlags;
            info.uFlags &= ~kPrivateFlags;
            t_tips.tool = info;
            t_tips.toolAdded = ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&t_tips.tool)) != FALSE;
            ::SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
        }
    }
    if (!t_tips.toolAdded) return;
    if (IsButtonDown(pMsg->message) && (t_tips.privateFlags & TTF_NOTBUTTON) == 0) {
        ::SendMessageW(t_tips.tip, TTM_POP, 0, 0);
        return;
    }
    // The control reads the message against the tool's window; relay it in that window's terms.
    MSG relayed = *pMsg;
    if (relayed.hwnd != t_tips.tool.hwnd && (t_tips.tool.uFlags & TTF_IDISHWND) == 0) {
        CPoint inTool = pMsg->pt;
        ::ScreenToClient(t_tips.tool.hwnd, &inTool);
        relayed.hwnd = t_tips.tool.hwnd;
        relayed.lParam = MAKELPARAM(inTool.x, inTool.y);
    }
    ::SendMessageW(t_tips.tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

}  // namespace framework

BOOL CWnd::EnableToolTips(BOOL bEnable) {
    BOOL previous = m_bToolTips;
    m_bToolTips = bEnable != FALSE;
    if (!m_bToolTips && t_tips.hitWindow == m_hWnd) {
        RemoveTool();
        t_tips.hit = -1;
        t_tips.hitWindow = nullptr;
    }
    return previous;
}

INT_PTR CWnd::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const {
    HWND child = ::ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child == nullptr || child == m_hWnd) return -1;
    int id = ::GetDlgCtrlID(child);
    if (id == 0 || id == -1) return -1;
    pTI->hwnd = m_hWnd;
    pTI->uId = reinterpret_cast<UINT_PTR>(child);
    pTI->uFlags |= TTF_IDISHWND;
    pTI->lpszText = LPSTR_TEXTCALLBACKW;
    return id;
}

void CWnd::CancelToolTips(BOOL) {
    RemoveTool();
    t_tips.hit = -1;
    t_tips.hitWindow = nullptr;
}
