// own_desktop <program> [arguments...]: runs one test program on a Wine desktop of its own and
// answers its exit code.
//
// Every test program has an X display of its own, but the wineserver they share keeps the
// foreground window, the pointer position and the keyboard's async state per desktop, not per
// display. On one shared desktop a message box that one program shows takes the foreground from
// another program's window (its thread loses activation and focus, so an open drop list closes and
// GetFocus answers nothing), and keys or a pointer that one program sends show in another's
// GetKeyState and GetCursorPos. A desktop of its own keeps all of that to the program itself;
// its windows still appear as ordinary windows on its display.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Owns a kernel handle; closes it once.
class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle()
    {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The command line after this program's own name, exactly as it was given (quotes kept).
std::wstring ProgramCommandLine()
{
    const wchar_t* p = ::GetCommandLineW();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "own_desktop: %s failed (error %lu)\n", what, ::GetLastError());
    std::fflush(stderr);
    return 125;
}

}  // namespace

int main()
{
    std::wstring command = ProgramCommandLine();
    if (command.empty()) {
        std::fprintf(stderr, "usage: own_desktop <program> [arguments...]\n");
        return 125;
    }
    // Process ids are unique across the wineserver, so no two programs that run at once share a name.
    const std::wstring name = L"brevix-test-" + std::to_wstring(::GetCurrentProcessId());
    // Held open until the program has ended: the desktop lives as long as a handle to it does.
    const HDESK desktop = ::CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop)
        return Fail("CreateDesktop");

    // The program ends with this launcher, even when the launcher is killed (a test time-out).
    Handle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job.get())
        return Fail("CreateJobObject");
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return Fail("SetInformationJobObject");

    // Wine gives the desktop named in the start-up information to the program's first thread only;
    // every later thread (a library's worker showing a message box, a test's box watcher) gets the
    // desktop of the thread that started the program. So this thread moves there first.
    if (!::SetThreadDesktop(desktop))
        return Fail("SetThreadDesktop");
    std::wstring desktopPath = L"WinSta0\\" + name;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktopPath.data();
    PROCESS_INFORMATION process = {};
    // Handles inherited: the program writes to the same output as this launcher.
    // On a loaded machine Wine's process start now and then fails with an internal error (the new
    // process did not reach the wine server in time); a later try starts it.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                   nullptr, &startup, &process) != FALSE;
        if (!started && ::GetLastError() != ERROR_INTERNAL_ERROR)
            break;
        if (!started)
            ::Sleep(250);
    }
    if (!started)
        return Fail("CreateProcess");
    Handle program(process.hProcess);
    Handle thread(process.hThread);
    // In the job before it runs a single instruction, so nothing it starts escapes the job.
    if (!::AssignProcessToJobObject(job.get(), program.get())) {
        ::TerminateProcess(program.get(), 125);
        return Fail("AssignProcessToJobObject");
    }
    ::ResumeThread(thread.get());
    ::WaitForSingleObject(program.get(), INFINITE);
    DWORD code = 125;
    ::GetExitCodeProcess(program.get(), &code);
    ::CloseDesktop(desktop);
    return static_cast<int>(code);
}
