// Vorels-NIC.exe itself, started as a person starts it and read from outside: it connects to the
// simulated tester and shows its window, a second copy is turned away, and closing it ends it.
#include "DialogBench.h"
#include "res/resource.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <string>

using namespace appbench;

namespace {

class ProgramRun {
public:
    ProgramRun() {
        wchar_t module[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        std::wstring path(module, length);
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"Vorels-NIC.exe";
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        started_ = ::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &process_) != FALSE;
    }
    ~ProgramRun() {
        if (!started_) return;
        if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 9);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }
    // Waits for the end; the exit code, or STILL_ACTIVE.
    DWORD WaitForExit() const {
        ::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(support::kPatience.count()));
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // A visible top-level window of this process with the class and caption.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* caption,
                       std::chrono::milliseconds limit = support::kPatience) const {
        struct Search {
            DWORD process;
            const wchar_t* className;
            const wchar_t* caption;
            HWND found;
        } search{Id(), className, caption, nullptr};
        support::Eventually([&search] {
            ::EnumWindows(
                [](HWND window, LPARAM s) -> BOOL {
                    auto* search = reinterpret_cast<Search*>(s);
                    DWORD process = 0;
                    ::GetWindowThreadProcessId(window, &process);
                    if (process == search->process && ::IsWindowVisible(window) &&
                        support::gui::ClassName(window) == search->className &&
                        support::gui::WindowText(window) == search->caption) {
                        search->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        }, limit);
        return search.found;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

// The text of a message box: its static controls.
std::wstring BoxText(HWND box) {
    HWND text = ::GetDlgItem(box, 0xFFFF);
    return text ? support::gui::WindowText(text) : std::wstring();
}

class ProgramTest : public DialogBench {};

// A key of the real keyboard: the system queues it to the foreground window's thread (here the
// program's, on this test's desktop) and GetAsyncKeyState sees it there from then on.
void RealKey(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}

TEST_F(ProgramTest, FileExitConfirmedWithTheReturnKeyEndsTheProgram) {
    StartTester(2);
    ProgramRun program;
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow(L"#32770", L"Vorels-NIC");
    ASSERT_NE(main, nullptr);
    ::SetForegroundWindow(main);
    ASSERT_TRUE(support::Eventually([main] { return ::GetForegroundWindow() == main; }));

    // Alt opens the menu bar at File, Down its menu at Exit, Return chooses it. Keys typed while the
    // start-up's own work still holds the window (its media detection's panel) go astray: then
    // Escape closes whatever they opened, and the operator types them again.
    HWND question = nullptr;
    for (int attempt = 0; attempt < 10 && question == nullptr; ++attempt) {
        ::SetForegroundWindow(main);
        for (WORD vk : {WORD(VK_MENU), WORD(VK_DOWN), WORD(VK_RETURN)}) {
            RealKey(vk, false);
            RealKey(vk, true);
        }
        question = program.WaitForWindow(L"#32770", L"Message", std::chrono::seconds(3));
        for (int escape = 0; escape < 2 && question == nullptr; ++escape) {
            RealKey(VK_ESCAPE, false);
            RealKey(VK_ESCAPE, true);
        }
    }
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(0u, BoxText(question).find(L"All unsaved data will be lost!"));
    // Return answers Yes, its default, and is still down when the box has gone.
    RealKey(VK_RETURN, false);
    EXPECT_TRUE(support::Eventually([question] { return !::IsWindow(question); }));
    ::Sleep(500);
    RealKey(VK_RETURN, true);
    EXPECT_EQ(0u, program.WaitForExit());
}

TEST_F(ProgramTest, ProgramConnectsTurnsASecondCopyAwayAndEndsWhenClosed) {
    StartTester(1);
    ProgramRun program;
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow(L"#32770", L"Vorels-NIC");
    ASSERT_NE(main, nullptr) << "the main dialog shows once the tester is connected";
    EXPECT_TRUE(support::Eventually(
        [main] { return support::gui::WindowText(::GetDlgItem(main, IDC_CONNECTION_TEXT)) == L"Connected"; }));
    EXPECT_TRUE(support::Eventually(
        [main] { return support::gui::WindowText(::GetDlgItem(main, IDC_PANEL_TITLE)) == L"FPGA Upgrade"; }));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(main, IDC_PICTURE_CONNECTED)));

    {
        ProgramRun second;
        ASSERT_TRUE(second.Started());
        HWND box = second.WaitForWindow(L"#32770", L"Vorels-NIC");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(
            L"Only ONE application software can be executed at the same time\nPlease close the application "
            L"software you're running now.",
            BoxText(box));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0u, second.WaitForExit());
    }

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND question = program.WaitForWindow(L"#32770", L"Message");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(0u, BoxText(question).find(L"All unsaved data will be lost!"));
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(0u, program.WaitForExit());
}

TEST_F(ProgramTest, DeviceEventMessagesPostedFromOutsideLeaveTheProgramRunning) {
    StartTester(1);
    ProgramRun program;
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow(L"#32770", L"Vorels-NIC");
    ASSERT_NE(main, nullptr);
    // The device-event message, as any process can post it: no pointer, and a pointer to nothing
    // of the program's.
    constexpr UINT kDeviceEvent = WM_APP + 0x100;
    ASSERT_TRUE(::PostMessageW(main, kDeviceEvent, 0, 0));
    ASSERT_TRUE(::PostMessageW(main, kDeviceEvent, 0, LPARAM(0x12345678)));
    ASSERT_TRUE(::PostMessageW(main, kDeviceEvent, 0x77, LPARAM(main)));
    // Posted behind them, the close comes once they were taken: its question shows, the program
    // still runs, and it ends as asked.
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND question = program.WaitForWindow(L"#32770", L"Message");
    ASSERT_NE(question, nullptr) << "the program took the messages and runs on";
    EXPECT_EQ(0u, BoxText(question).find(L"All unsaved data will be lost!"));
    EXPECT_TRUE(::IsWindow(main));
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(0u, program.WaitForExit());
}

}  // namespace
