// The application and its threads.
//
// A program defines one global object of a CWinApp subclass. The framework's entry point (the
// framework_winmain target) runs its InitInstance and, when that returns TRUE, its message loop.
#pragma once

#include <framework/CmdTarget.h>
#include <framework/String.h>
#include <framework/Wnd.h>

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread() = default;
    CWinThread(UINT (*pfnThreadProc)(LPVOID), LPVOID pParam) : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}
    ~CWinThread() override;

    // The window the thread's loop and modal dialogs treat as the main one.
    CWnd* m_pMainWnd = nullptr;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // The object deletes itself when its thread ends; clear it to wait on m_hThread instead.
    BOOL m_bAutoDelete = TRUE;

    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    operator HANDLE() const { return m_hThread; }

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(LONG lCount);
    // One message through pre-translation and dispatch; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    virtual CWnd* GetMainWnd();

protected:
    UINT (*m_pfnThreadProc)(LPVOID) = nullptr;
    LPVOID m_pThreadParams = nullptr;

private:
    static unsigned __stdcall ThreadEntry(void* self);
};

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCWSTR m_pszRegistryKey = nullptr;
    LPCWSTR m_pszProfileName = nullptr;

    HICON LoadIcon(UINT nIDResource) const { return LoadIcon(MAKEINTRESOURCEW(nIDResource)); }
    HICON LoadIcon(LPCWSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCWSTR lpszIconName) const { return ::LoadIconW(nullptr, lpszIconName); }
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCWSTR lpszCursorName) const { return ::LoadCursorW(nullptr, lpszCursorName); }

    // Profile values live under HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>;
    // without a registry key there is nowhere to keep them: reads give the default, writes fail.
    // Writing a null value removes the entry, writing a null entry removes the whole section.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);

    // Kept for programs written for containers of embedded controls; this framework has none to enable.
    void EnableControlContainer() {}

    virtual int DoMessageBox(LPCWSTR lpszPrompt, UINT nType, UINT nIDPrompt);
    // Opens the application's help file (m_pszHelpFilePath, else the program's name with .hlp) at a
    // context or topic, for the main window.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    LPCWSTR m_pszHelpFilePath = nullptr;

private:
    CString m_appName;
    CString m_registryKey;
    CString SectionPath(LPCWSTR lpszSection) const;
    HKEY OpenSection(LPCWSTR lpszSection, bool create);
};

CWinApp* AfxGetApp();
CWinThread* AfxGetThread();
CWnd* AfxGetMainWnd();
LPCWSTR AfxGetAppName();

// A message box owned by the active window (or the main window), captioned with the program's name.
int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));

using AFX_THREADPROC = UINT (*)(LPVOID);
// Starts a worker thread running pfnThreadProc(pParam). The returned object deletes itself when the
// thread ends unless the caller clears m_bAutoDelete (start suspended to do that safely).
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// Makes the calling thread a single-threaded OLE apartment (COM, pictures, drag and drop); FALSE
// when the thread cannot have one. An apartment the thread already has counts as success.
BOOL AfxOleInit();
// Kept for programs written for containers of embedded controls; this framework has none to enable.
inline void AfxEnableControlContainer() {}

// The program's entry, called by the framework_winmain target's wWinMain.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
