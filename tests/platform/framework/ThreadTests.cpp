// Threads of the framework: a worker started with AfxBeginThread, and a thread with its own
// message loop (InitInstance, Run, ExitInstance) serving a window.
#include <framework/Framework.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

UINT Worker(LPVOID parameter) {
    auto* seen = static_cast<std::atomic<DWORD>*>(parameter);
    *seen = ::GetCurrentThreadId();
    return 5;
}

TEST(Threads, WorkerRunsItsFunctionOnItsOwnThread) {
    std::atomic<DWORD> seen{0};
    CWinThread* thread = AfxBeginThread(&Worker, &seen, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;  // so that the test can wait on it
    thread->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread->m_hThread, 10000));
    DWORD exitCode = 0;
    ::GetExitCodeThread(thread->m_hThread, &exitCode);
    EXPECT_EQ(5u, exitCode);
    EXPECT_EQ(thread->m_nThreadID, seen.load());
    EXPECT_NE(::GetCurrentThreadId(), seen.load());
    delete thread;
}

class CEchoWindow : public CWnd {
protected:
    LRESULT OnEcho(WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 2); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEchoWindow, CWnd)
    ON_MESSAGE(WM_APP + 7, OnEcho)
END_MESSAGE_MAP()

class CWindowThread : public CWinThread {
public:
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CEchoWindow window;
    ~CWindowThread() override { ::CloseHandle(ready); }

    BOOL InitInstance() override {
        if (!window.CreateEx(0, nullptr, L"echo", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0)) return FALSE;
        m_pMainWnd = &window;
        ::SetEvent(ready);
        return TRUE;
    }
    int ExitInstance() override {
        window.DestroyWindow();
        return 7;
    }
};

TEST(Threads, ThreadWithItsOwnLoopServesItsWindowUntilQuit) {
    CWindowThread thread;
    thread.m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.ready, 10000));
    // A message sent from here is run by the window's own thread, inside its loop.
    EXPECT_EQ(42, ::SendMessageW(thread.window.m_hWnd, WM_APP + 7, 21, 0));
    ::PostThreadMessageW(thread.m_nThreadID, WM_QUIT, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.m_hThread, 10000));
    DWORD exitCode = 0;
    ::GetExitCodeThread(thread.m_hThread, &exitCode);
    EXPECT_EQ(7u, exitCode);
    EXPECT_EQ(nullptr, thread.window.m_hWnd);
}

}  // namespace
