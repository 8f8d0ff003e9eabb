// Vorels-NIC's start-up and idle cost, each beside a reference measured in the same run:
// - start to first show, in demo mode (the demo question answered at once) and connected to a
//   simulated Brevix-CF, beside a bare dialog program of ours that also shows from a 500 ms timer;
// - processor time of the connected program over 30 s of idling, as a share of one core.
#include "sim/FullTester.h"
#include "support/Environment.h"
#include "support/ProcessTime.h"
#include "support/TesterLink.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::wstring BinaryPath(const wchar_t* name) {
    wchar_t module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

struct Search {
    DWORD process;
    std::wstring caption;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM s) {
    auto* search = reinterpret_cast<Search*>(s);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t caption[128] = {};
    ::GetWindowTextW(window, caption, 128);
    if (process == search->process && ::IsWindowVisible(window) && search->caption == caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForShown(DWORD process, const std::wstring& caption, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    Search search{process, caption, nullptr};
    while (Clock::now() < end) {
        ::EnumWindows(&FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::Sleep(2);
    }
    return nullptr;
}

// One run of a program: started, its first show timed, then ended.
class Run {
public:
    explicit Run(const wchar_t* program) {
        std::wstring path = BinaryPath(program);
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        start_ = Clock::now();
        ok_ = ::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process_) != FALSE;
    }
    ~Run() {
        if (!ok_) return;
        if (::WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 1);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    bool Ok() const { return ok_; }
    DWORD Id() const { return process_.dwProcessId; }
    HANDLE Handle() const { return process_.hProcess; }
    double SecondsSinceStart() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

private:
    bool ok_ = false;
    Clock::time_point start_;
    PROCESS_INFORMATION process_ = {};
};

// Closes Vorels-NIC the way a person does: the window closed, the question answered Yes.
void CloseProgram(const Run& run, HWND main) {
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (HWND question = WaitForShown(run.Id(), L"Message", std::chrono::seconds(10))) {
        ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    }
}

double BareStart() {
    Run run(L"bare_dialog_program.exe");
    HWND shown = WaitForShown(run.Id(), L"Bare dialog", std::chrono::seconds(30));
    const double seconds = run.SecondsSinceStart();
    if (shown) ::PostMessageW(shown, WM_COMMAND, IDOK, 0);
    return shown ? seconds : -1;
}

double DemoStart() {
    Run run(L"Vorels-NIC.exe");
    HWND question = WaitForShown(run.Id(), L"Message", std::chrono::seconds(60));
    if (question == nullptr) return -1;
    const double asked = run.SecondsSinceStart();
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    HWND shown = WaitForShown(run.Id(), L"Vorels-NIC", std::chrono::seconds(30));
    const double seconds = run.SecondsSinceStart();
    std::printf("  demo question after %.3f s\n", asked);
    if (shown) CloseProgram(run, shown);
    return shown ? seconds : -1;
}

void ConnectedStartAndIdle(double* startSeconds, double* idleShare) {
    Run run(L"Vorels-NIC.exe");
    HWND shown = WaitForShown(run.Id(), L"Vorels-NIC", std::chrono::seconds(60));
    *startSeconds = shown ? run.SecondsSinceStart() : -1;
    if (!shown) return;
    // Let the start-up's own work (media detection, the first link report) settle first.
    ::Sleep(5000);
    const double before = support::ProcessCpuSeconds(run.Handle());
    const auto from = Clock::now();
    ::Sleep(30000);
    const double wall = std::chrono::duration<double>(Clock::now() - from).count();
    *idleShare = (support::ProcessCpuSeconds(run.Handle()) - before) / wall * 100.0;
    CloseProgram(run, shown);
}

}  // namespace

int main() {
    std::printf("app_bench: Vorels-NIC's start to first show and idle processor time\n");
    const double bare = BareStart();
    const double demo = DemoStart();

    std::string error;
    auto link = support::OpenTesterLink(support::TestNetwork(), &error);
    if (!link) {
        std::printf("no tester link: %s\n", error.c_str());
        return 1;
    }
    sim::FullTester tester(std::move(link), 1, L"");
    tester.Start();
    tester.Host().Attach();
    double connected = -1, idle = -1;
    ConnectedStartAndIdle(&connected, &idle);
    tester.Stop();

    std::printf("  bare dialog program (reference): %.3f s to first show\n", bare);
    std::printf("  Vorels-NIC, demo mode:           %.3f s to first show (%.2fx the reference)\n", demo,
                bare > 0 ? demo / bare : 0.0);
    std::printf("  Vorels-NIC, connected:           %.3f s to first show (%.2fx the reference)\n", connected,
                bare > 0 ? connected / bare : 0.0);
    std::printf("  Vorels-NIC, connected and idle:  %.2f %% of one core over 30 s (goal: under 1 %%)\n", idle);
    return bare > 0 && demo > 0 && connected > 0 ? 0 : 1;
}
