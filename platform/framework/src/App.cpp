#include <framework/App.h>
#include <framework/Module.h>
#include <framework/Seams.h>

#include <objbase.h>

#include <process.h>
#include <cwchar>

namespace {

// The one application object of this module, set by its constructor before main runs.
CWinApp* g_app = nullptr;
// The framework thread object of each thread that has one (the application's thread has the app).
thread_local CWinThread* t_thread = nullptr;

}  // namespace

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinThread::~CWinThread() {
    if (m_hThread != nullptr) ::CloseHandle(m_hThread);
    if (t_thread == this) t_thread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    // Started suspended so that the handle and id are stored before the thread can finish.
    unsigned id = 0;
    auto handle = reinterpret_cast<HANDLE>(
        _beginthreadex(lpSecurityAttrs, nStackSize, &ThreadEntry, this, CREATE_SUSPENDED, &id));
    if (handle == nullptr) return FALSE;
    m_hThread = handle;
    m_nThreadID = id;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0) ::ResumeThread(handle);
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* self) {
    auto* thread = static_cast<CWinThread*>(self);
    t_thread = thread;
    unsigned result;
    if (thread->m_pfnThreadProc != nullptr) {
        result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    } else {
        result = thread->InitInstance() ? static_cast<unsigned>(thread->Run()) : static_cast<unsigned>(thread->ExitInstance());
    }
    AfxDeleteTempObjects();
    t_thread = nullptr;
    if (thread->m_bAutoDelete) delete thread;
    return result;
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return 0; }

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    CWnd* main = GetMainWnd();
    return AfxPreTranslateMessage(pMsg, main ? main->m_hWnd : nullptr);
}

BOOL CWinThread::OnIdle(LONG) {
    AfxDeleteTempObjects();
    return FALSE;
}

BOOL CWinThread::PumpMessage() {
    MSG msg;
    if (!::GetMessageW(&msg, nullptr, 0, 0)) return FALSE;
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

int CWinThread::Run() {
    for (;;) {
        MSG msg;
        LONG idleCount = 0;
        while (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idleCount++)) {
        }
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
        if (!PumpMessage()) return ExitInstance();
    }
}

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }

CWinApp::CWinApp(LPCWSTR lpszAppName) {
    if (lpszAppName != nullptr) {
        m_appName = lpszAppName;
        m_pszAppName = m_appName;
    }
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

HICON CWinApp::LoadIcon(LPCWSTR lpszResourceName) const {
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_GROUP_ICON);
    return module ? ::LoadIconW(module, lpszResourceName) : nullptr;
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const {
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_CURSOR);
    return module ? ::LoadCursorW(module, name) : nullptr;
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    m_registryKey = lpszRegistryKey;
    m_pszRegistryKey = m_registryKey;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
    CString key;
    key.LoadString(nIDRegistryKey);
    SetRegistryKey(key);
}

CString CWinApp::SectionPath(LPCWSTR lpszSection) const {
    CString path;
    if (m_pszRegistryKey != nullptr && lpszSection != nullptr) {
        path.Format(L"Software\\%s\\%s\\%s", m_pszRegistryKey, AfxGetAppName(), lpszSection);
    }
    return path;
}

HKEY CWinApp::OpenSection(LPCWSTR lpszSection, bool create) {
    CString path = SectionPath(lpszSection);
    if (path.IsEmpty()) return nullptr;
    HKEY key = nullptr;
    LONG status = create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                             &key, nullptr)
                         : ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

UINT CWinApp::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault) {
    HKEY key = OpenSection(lpszSection, false);
    if (key == nullptr) return static_cast<UINT>(nDefault);
    DWORD value = 0, type = 0, size = sizeof value;
    LONG status = ::RegQueryValueExW(key, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? value : static_cast<UINT>(nDefault);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue) {
    HKEY key = OpenSection(lpszSection, true);
    if (key == nullptr) return FALSE;
    DWORD value = static_cast<DWORD>(nValue);
    LONG status = ::RegSetValueExW(key, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault) {
    CString result(lpszDefault);
    HKEY key = OpenSection(lpszSection, false);
    if (key == nullptr) return result;
    DWORD type = 0, size = 0;
    LONG status = ::RegQueryValueExW(key, lpszEntry, nullptr, &type, nullptr, &size);
    // Another program may grow the value between the size query and the read: read again with the
    // new size. The buffer has room for a value stored without its terminator or with an odd size.
    while (status == ERROR_SUCCESS && type == REG_SZ) {
        CString value;
        const DWORD chars = size / sizeof(wchar_t) + 1;
        DWORD bytes = chars * sizeof(wchar_t);
        LPWSTR buffer = value.GetBufferSetLength(static_cast<int>(chars));
        status = ::RegQueryValueExW(key, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
        if (status == ERROR_MORE_DATA) {
            size = bytes;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status == ERROR_SUCCESS && type == REG_SZ) {
            buffer[bytes / sizeof(wchar_t)] = L'\0';  // a value stored without its terminator gets one
            value.ReleaseBuffer();
            result = value;
        }
        break;
    }
    ::RegCloseKey(key);
    return result;
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) {
    if (lpszEntry == nullptr) {
        // No entry: the whole section goes, as with the Win32 profile functions.
        CString path = SectionPath(lpszSection);
        if (path.IsEmpty()) return FALSE;
        LONG status = ::RegDeleteTreeW(HKEY_CURRENT_USER, path);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    HKEY key = OpenSection(lpszSection, true);
    if (key == nullptr) return FALSE;
    LONG status;
    if (lpszValue == nullptr) {
        status = ::RegDeleteValueW(key, lpszEntry);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
        status = ::RegSetValueExW(key, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                                  static_cast<DWORD>((::lstrlenW(lpszValue) + 1) * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int CWinApp::DoMessageBox(LPCWSTR lpszPrompt, UINT nType, UINT) {
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->GetSafeHwnd() : nullptr;
    }
    if (owner != nullptr) owner = ::GetLastActivePopup(::GetAncestor(owner, GA_ROOTOWNER));
    return framework::ShowMessageBox(owner, lpszPrompt, AfxGetAppName(), nType);
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd) {
    wchar_t path[MAX_PATH] = {};
    if (m_pszHelpFilePath != nullptr) {
        ::lstrcpynW(path, m_pszHelpFilePath, MAX_PATH);
    } else {
        const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        wchar_t* dot = length ? ::wcsrchr(path, L'.') : nullptr;
        if (dot == nullptr || dot - path > MAX_PATH - 5) return;
        ::lstrcpyW(dot, L".hlp");
    }
    CWnd* main = AfxGetMainWnd();
    ::WinHelpW(main ? main->GetSafeHwnd() : nullptr, path, nCmd, dwData);
}

CWinApp* AfxGetApp() { return g_app; }

CWinThread* AfxGetThread() { return t_thread ? t_thread : g_app; }

CWnd* AfxGetMainWnd() {
    CWinThread* thread = t_thread ? t_thread : g_app;
    return thread ? thread->GetMainWnd() : nullptr;
}

LPCWSTR AfxGetAppName() {
    if (g_app != nullptr && g_app->m_pszAppName != nullptr) return g_app->m_pszAppName;
    // Without an application object, the program file's name stands in.
    static wchar_t name[MAX_PATH];
    if (name[0] == L'\0') {
        wchar_t path[MAX_PATH];
        DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        const wchar_t* base = path;
        for (DWORD i = 0; i < length; ++i) {
            if (path[i] == L'\\' || path[i] == L'/') base = path + i + 1;
        }
        lstrcpynW(name, base, MAX_PATH);
        wchar_t* dot = wcsrchr(name, L'.');
        if (dot != nullptr) *dot = L'\0';
    }
    return name;
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT nIDHelp) {
    if (g_app != nullptr) return g_app->DoMessageBox(lpszText, nType, nIDHelp);
    return framework::ShowMessageBox(::GetActiveWindow(), lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp == UINT(-1) ? nIDPrompt : nIDHelp);
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0) thread->ResumeThread();
    return thread;
}

BOOL AfxOleInit() {
    // The apartment lasts for the thread's life: the program's COM objects (pictures, the chart
    // library's, the flash library's WMI connection) live as long as its dialog.
    const HRESULT result = ::OleInitialize(nullptr);
    return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE ? TRUE : FALSE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow) {
    AfxSetInstanceHandle(hInstance);
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    app->m_nThreadID = ::GetCurrentThreadId();
    if (app->m_pszAppName == nullptr) app->m_pszAppName = AfxGetAppName();
    int result = app->InitInstance() ? app->Run() : app->ExitInstance();
    AfxDeleteTempObjects();
    return result;
}
