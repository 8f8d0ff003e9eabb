#include <framework/MessageMap.h>

#include <framework/HandleMap.h>
#include <framework/Module.h>

#include "WndCreation.h"

#include <map>
#include <mutex>
#include <shared_mutex>
#include <tuple>
#include <unordered_map>

namespace {

// The permanent handle map. Owned by the process; windows are attached and detached on their own
// threads, but FromHandlePermanent is also asked from worker threads that touch windows, hence the lock.
std::shared_mutex g_permanentLock;
std::unordered_map<HWND, CWnd*> g_permanent;

// The message each thread is processing, for Default and reflection. Nested sends save and restore it.
thread_local MSG t_currentMessage = {};

// Creation hook: the object waiting for the next window this thread creates.
thread_local CWnd* t_pendingCreate = nullptr;
thread_local HHOOK t_createHook = nullptr;

}  // namespace

struct WndInternals {
    static LRESULT CALLBACK WindowProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    static void Subclass(CWnd* wnd);
    static void FinishDestruction(HWND hWnd, CWnd* wnd);
    static void BeginCreation(CWnd* wnd);
    static void EndCreation();
};

LRESULT CALLBACK WndInternals::WindowProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    MSG saved = t_currentMessage;
    t_currentMessage = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) FinishDestruction(hWnd, wnd);
    t_currentMessage = saved;
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return WndInternals::WindowProcedure(hWnd, message, wParam, lParam);
}

// The window is gone: if the handler chain did not already let go of the object (OnNcDestroy
// does), do it now. The object may have deleted itself, so it is only touched while still mapped.
void WndInternals::FinishDestruction(HWND hWnd, CWnd* wnd) {
    {
        std::shared_lock<std::shared_mutex> lock(g_permanentLock);
        auto found = g_permanent.find(hWnd);
        if (found == g_permanent.end() || found->second != wnd) return;
    }
    wnd->Detach();
    wnd->PostNcDestroy();
}

void WndInternals::Subclass(CWnd* wnd) {
    auto ours = reinterpret_cast<LONG_PTR>(&WindowProcedure);
    auto previous = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(wnd->m_hWnd, GWLP_WNDPROC, ours));
    // A class that names the framework's procedure has no procedure of its own to fall back on.
    if (previous != &WindowProcedure && previous != &AfxWndProc) *wnd->GetSuperWndProcAddr() = previous;
}

LRESULT CALLBACK WndInternals::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pendingCreate != nullptr) {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        LPCWSTR cls = create->lpcs->lpszClass;
        // The input method windows the system makes on a thread's first window are not ours.
        bool ime = !IS_INTRESOURCE(cls) && (::lstrcmpiW(cls, L"IME") == 0 || ::lstrcmpiW(cls, L"MSCTFIME UI") == 0);
        if (!ime) {
            CWnd* wnd = t_pendingCreate;
            t_pendingCreate = nullptr;
            wnd->Attach(reinterpret_cast<HWND>(wParam));
            Subclass(wnd);
        }
    }
    return ::CallNextHookEx(t_createHook, code, wParam, lParam);
}

void WndInternals::BeginCreation(CWnd* wnd) {
    t_pendingCreate = wnd;
    if (t_createHook == nullptr) {
        t_createHook = ::SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, ::GetCurrentThreadId());
    }
}

void WndInternals::EndCreation() {
    t_pendingCreate = nullptr;
    if (t_createHook != nullptr) {
        ::UnhookWindowsHookEx(t_createHook);
        t_createHook = nullptr;
    }
}

namespace framework {
CreationScope::CreationScope(CWnd* wnd) { WndInternals::BeginCreation(wnd); }
CreationScope::~CreationScope() { WndInternals::EndCreation(); }
}  // namespace framework

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_NCDESTROY()
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_PARENTNOTIFY()
END_MESSAGE_MAP()

CWnd::~CWnd() {
    if (m_hWnd == nullptr) return;
    // The z-order stand-ins hold pseudo handles, never mapped.
    if (FromHandlePermanent(m_hWnd) == this) {
        // Destroyed along with its object: the messages of the destruction meet the base class only.
        ::DestroyWindow(m_hWnd);
        if (m_hWnd != nullptr) Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    std::shared_lock<std::shared_mutex> lock(g_permanentLock);
    auto found = g_permanent.find(hWnd);
    return found == g_permanent.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd)) return permanent;
    return framework::TemporaryFor<CWnd, &CWnd::m_hWnd>(hWnd);
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr) return FALSE;
    std::unique_lock<std::shared_mutex> lock(g_permanentLock);
    if (g_permanent.count(hWndNew) != 0) return FALSE;
    g_permanent[hWndNew] = this;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) {
        std::unique_lock<std::shared_mutex> lock(g_permanentLock);
        auto found = g_permanent.find(hWnd);
        if (found != g_permanent.end() && found->second == this) g_permanent.erase(found);
    }
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::OnNcDestroy() {
    Default();
    // Give the window back its own procedure for whatever the system still sends it.
    WNDPROC* super = GetSuperWndProcAddr();
    auto ours = reinterpret_cast<LONG_PTR>(&WndInternals::WindowProcedure);
    if (*super != nullptr && ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == ours) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*super));
    }
    Detach();
    PostNcDestroy();
}

WNDPROC* CWnd::GetSuperWndProcAddr() { return &m_pfnSuper; }

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (cs.lpszClass == nullptr) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, void*) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    CREATESTRUCT cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    HWND hWnd;
    {
        framework::CreationScope creation(this);
        hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    // A window that failed in WM_CREATE is already destroyed and detached by now.
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr) return FALSE;
    bool permanent = FromHandlePermanent(hWnd) == this;
    // A permanent object may be deleted by its own PostNcDestroy inside this call: touch nothing after.
    BOOL result = ::DestroyWindow(hWnd);
    if (!permanent) m_hWnd = nullptr;
    return result;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    WndInternals::Subclass(this);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    HWND hWndControl = pParent ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
    return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd == nullptr) return nullptr;
    WNDPROC* super = GetSuperWndProcAddr();
    if (*super != nullptr) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*super));
        *super = nullptr;
    }
    return Detach();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        return header != nullptr && header->hwndFrom != nullptr && OnNotify(wParam, lParam, pResult);
    }
    // Every colour request shares one map key; the handler learns the kind from its argument.
    UINT key = message;
    int ctlColorType = 0;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        key = WM_CTLCOLOR;
        ctlColorType = static_cast<int>(message - WM_CTLCOLORMSGBOX);
    }
    for (const framework::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const framework::MessageEntry* e = map->entries; e->kind != framework::EntryKind::End; ++e) {
            bool match = (e->kind == framework::EntryKind::Message && e->message == key) ||
                         (e->kind == framework::EntryKind::RegisteredMessage && *e->registered != 0 &&
                          *e->registered == message);
            if (!match) continue;
            framework::MessageCall call{message, wParam, lParam, 0, ctlColorType, nullptr, 0};
            if (e->handler(this, call)) {
                *pResult = call.result;
                return TRUE;
            }
        }
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC super = *GetSuperWndProcAddr();
    if (super != nullptr) return ::CallWindowProcW(super, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& m = t_currentMessage;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage() { return &t_currentMessage; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    if (hWndCtrl == nullptr) {
        // Menus and accelerators: a window that does not handle the command passes it to its
        // parent, so commands of a child panel reach the dialog around it.
        if (OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr)) return TRUE;
        if ((GetStyle() & WS_CHILD) == 0) return FALSE;
        CWnd* parent = FromHandlePermanent(::GetParent(m_hWnd));
        return parent != nullptr && parent->OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
    }
    CWnd* control = FromHandlePermanent(hWndCtrl);
    if (control != nullptr && control->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr)) return TRUE;
    return OnCmdMsg(nID, HIWORD(wParam), nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    CWnd* control = FromHandlePermanent(header->hwndFrom);
    if (control != nullptr && control->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult)) return TRUE;
    // The id is the sender's control id: a tooltip (a pop-up, id 0) reports its tool in the record.
    UINT nID = static_cast<UINT>(::GetDlgCtrlID(header->hwndFrom));
    framework::NotifyInfo info{pResult, header};
    return OnCmdMsg(nID, MAKELONG(header->code, WM_NOTIFY), &info, nullptr);
}

BOOL CWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
    return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT ignored = 0;
    if (pResult == nullptr) pResult = &ignored;
    switch (message) {
        case WM_COMMAND:
            return DispatchCommand(framework::kReflectBase + WM_COMMAND, LOWORD(wParam), HIWORD(wParam), nullptr,
                                   pResult);
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            return DispatchCommand(framework::kReflectBase + WM_NOTIFY, static_cast<UINT>(header->idFrom),
                                   static_cast<int>(header->code), header, pResult);
        }
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return OnWndMsg(framework::kReflectBase + WM_CTLCOLOR, wParam, message - WM_CTLCOLORMSGBOX, pResult);
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_PARENTNOTIFY:
        case WM_COMPAREITEM:
        case WM_DELETEITEM:
            return OnWndMsg(framework::kReflectBase + message, wParam, lParam, pResult);
        default:
            return FALSE;
    }
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    CWnd* child = FromHandlePermanent(hWndChild);
    return child != nullptr && child->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
    const MSG& m = t_currentMessage;
    return OnChildNotify(m.message, m.wParam, m.lParam, pResult);
}

namespace framework {
void FilterToolTipMessage(CWnd* wnd, MSG* pMsg);
}  // namespace framework

BOOL AfxPreTranslateMessage(MSG* pMsg, HWND hWndStop) {
    if (hWndStop == nullptr && pMsg->hwnd != nullptr) hWndStop = ::GetAncestor(pMsg->hwnd, GA_ROOT);
    bool stopSeen = false;
    bool toolTipsFiltered = false;
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd)) {
            // The nearest window that shows tooltips sees the message first, whatever its overrides do.
            if (!toolTipsFiltered && wnd->ToolTipsEnabled()) {
                toolTipsFiltered = true;
                framework::FilterToolTipMessage(wnd, pMsg);
            }
            if (wnd->PreTranslateMessage(pMsg)) return TRUE;
        }
        if (hWnd == hWndStop) {
            stopSeen = true;
            break;
        }
    }
    // A message for a window outside the stop window's family still meets the stop window, as
    // keyboard interface handling for the modal window expects.
    if (!stopSeen && hWndStop != nullptr) {
        if (CWnd* stop = CWnd::FromHandlePermanent(hWndStop)) return stop->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

void AfxDeleteTempObjects() { framework::DeleteTemporaryObjects(); }

int CWnd::RunModalLoop(DWORD) {
    bool shown = (GetStyle() & WS_VISIBLE) != 0;
    HWND self = m_hWnd;
    while (m_bContinueModal && ::IsWindow(self)) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Idle: show the window once everything it posted during creation has run.
            if (!shown) {
                ShowWindow(SW_SHOWNORMAL);
                shown = true;
                continue;
            }
            AfxDeleteTempObjects();
            ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            // The quit belongs to the loop outside this one.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!AfxPreTranslateMessage(&msg, self)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_bContinueModal = false;
    return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return m_bContinueModal; }

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wake the loop if it is waiting.
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

namespace {

struct ClassKey {
    UINT style;
    HCURSOR cursor;
    HBRUSH brush;
    HICON icon;
    bool operator<(const ClassKey& o) const {
        return std::tie(style, cursor, brush, icon) < std::tie(o.style, o.cursor, o.brush, o.icon);
    }
};

// Names of the classes registered so far; filled on first use by any thread.
std::mutex g_classLock;
std::map<ClassKey, std::wstring> g_classNames;

}  // namespace

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    std::lock_guard<std::mutex> lock(g_classLock);
    ClassKey key{nClassStyle, hCursor, hbrBackground, hIcon};
    auto found = g_classNames.find(key);
    if (found != g_classNames.end()) return found->second.c_str();
    CString name;
    name.Format(L"FrameworkWnd:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), nClassStyle,
                static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    WNDCLASSW wc = {};
    wc.style = nClassStyle;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name.GetString();
    if (!AfxRegisterClass(&wc)) return nullptr;
    return g_classNames.emplace(key, name.Str()).first->second.c_str();
}

BOOL AfxRegisterClass(WNDCLASSW* lpWndClass) {
    WNDCLASSW existing;
    if (::GetClassInfoW(lpWndClass->hInstance, lpWndClass->lpszClassName, &existing)) return TRUE;
    return ::RegisterClassW(lpWndClass) != 0;
}
