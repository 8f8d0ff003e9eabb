// The launcher every test program runs under: this program is itself started by it, so its own
// desktop and threads are what the launcher gave it.
#include <support/Waiting.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

namespace {

std::wstring DesktopName(HDESK desktop)
{
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!desktop || !::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name, &needed))
        return L"";
    return name;
}

std::wstring ThisThreadsDesktop() { return DesktopName(::GetThreadDesktop(::GetCurrentThreadId())); }

// Runs own_desktop.exe (beside this program) with a command line; answers its exit code.
DWORD RunLauncher(const std::wstring& arguments)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring launcher = self;
    launcher = launcher.substr(0, launcher.find_last_of(L"\\/") + 1) + L"own_desktop.exe";
    std::wstring command = L"\"" + launcher + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(launcher.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return 0xFFFFFFFF;
    const DWORD waited = ::WaitForSingleObject(process.hProcess, static_cast<DWORD>(support::kPatience.count()));
    DWORD code = 0xFFFFFFFE;
    if (waited == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

}  // namespace

TEST(OwnDesktop, TheProgramDoesNotRunOnTheDesktopEveryProgramShares)
{
    const std::wstring name = ThisThreadsDesktop();
    EXPECT_NE(L"", name);
    EXPECT_NE(L"Default", name);
}

TEST(OwnDesktop, AThreadStartedLaterRunsOnTheProgramsDesktop)
{
    // A library's worker that shows a message box, or a watcher that looks for one, must see the
    // same windows, foreground and pointer as the first thread.
    std::wstring later;
    std::thread([&later] { later = ThisThreadsDesktop(); }).join();
    EXPECT_EQ(ThisThreadsDesktop(), later);
}

TEST(OwnDesktop, TheLauncherAnswersTheProgramsExitCode)
{
    EXPECT_EQ(0u, RunLauncher(L"cmd.exe /c exit 0"));
    EXPECT_EQ(7u, RunLauncher(L"cmd.exe /c exit 7"));
}
