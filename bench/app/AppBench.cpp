// Vorels-NIC's start-up and idle cost, each beside a reference measured in the same run:
// - start to first show, in demo mode (the demo question answered at once) and connected to a
//   simulated Brevix-CF, beside a bare dialog program of ours that also shows from a 500 ms timer,
//   with the split of each: the dialog made (its window exists, still hidden), the detection (the
//   probe frames as the tester's side of the wire logs them), the connect, the pumped wait and the
//   timer up to the show, and the first paint (the program's thread answering a message again and
//   the window's update region empty);
// - the device API's detect and connect alone, called from this program against the same tester;
// - processor time of the connected program over 30 s of idling, as a share of one core, split by
//   thread.
#include "BrevixCAPI.h"
#include "bench/Programs.h"
#include "bench/ThreadTimes.h"
#include "bench/Timing.h"
#include "sim/FullTester.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::Clock;
using bench::Seconds;
using std::chrono::milliseconds;

// A top-level window of the process with exactly that caption, shown or not.
HWND AnyWindow(DWORD process, const wchar_t* caption) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, caption)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}

// One run of a program: started, the moments of its main window followed from a thread of ours
// (made, shown, first painted), then ended.
class Run {
public:
    Run(const wchar_t* program, const wchar_t* caption) : caption_(caption) {
        start_ = Clock::now();
        ok_ = bench::StartBesideThisProgram(program, &process_);
        if (ok_) watcher_ = std::thread([this] { Watch(); });
    }
    ~Run() {
        stop_ = true;
        if (watcher_.joinable()) watcher_.join();
        if (!ok_) return;
        if (::WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 1);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    DWORD Id() const { return process_.dwProcessId; }
    HANDLE Handle() const { return process_.hProcess; }
    DWORD MainThread() const { return process_.dwThreadId; }
    Clock::time_point Start() const { return start_; }
    double SecondsSinceStart() const { return bench::SecondsSince(start_); }
    // The main window once it has been painted shown (null when it never was within the limit).
    HWND WaitForPainted(std::chrono::seconds limit) {
        const Clock::time_point end = Clock::now() + limit;
        while (painted_.load() == 0 && Clock::now() < end) ::Sleep(2);
        return painted_.load() ? main_.load() : nullptr;
    }
    // Seconds from the start to each moment; negative when it did not come.
    double MadeAt() const { return At(made_); }
    double ShownAt() const { return At(shown_); }
    double PaintedAt() const { return At(painted_); }

private:
    double At(const std::atomic<long long>& moment) const {
        const long long ns = moment.load();
        return ns ? ns / 1e9 : -1;
    }
    long long Now() const {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start_).count();
    }
    void Watch() {
        const Clock::time_point end = start_ + std::chrono::seconds(90);
        while (!stop_ && painted_.load() == 0 && Clock::now() < end) {
            HWND window = main_.load();
            if (window == nullptr && (window = AnyWindow(process_.dwProcessId, caption_)) != nullptr) {
                main_ = window;
                made_ = Now();
            }
            if (window != nullptr && shown_.load() == 0 && ::IsWindowVisible(window)) {
                shown_ = Now();
                // The program's thread takes a message again once the first show's own work is
                // done; until then it cannot paint.
                DWORD_PTR answer = 0;
                ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
            }
            // Painted: shown, answering, and nothing of it left to paint.
            if (shown_.load() != 0 && !::GetUpdateRect(window, nullptr, FALSE)) painted_ = Now();
            ::Sleep(1);
        }
    }

    const wchar_t* caption_;
    bool ok_ = false;
    Clock::time_point start_;
    PROCESS_INFORMATION process_ = {};
    std::thread watcher_;
    std::atomic<bool> stop_{false};
    std::atomic<HWND> main_{nullptr};
    std::atomic<long long> made_{0}, shown_{0}, painted_{0};
};

// Closes Vorels-NIC the way a person does: the window closed, the question answered Yes.
void CloseProgram(const Run& run, HWND main) {
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (HWND question = bench::WaitForShown(run.Id(), L"Message", std::chrono::seconds(10))) {
        ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    }
}

// The detection's probe: a broadcast read of 0x400000D4.
bool IsProbe(const sim::Bytes& f) {
    static const uint8_t kHead[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    return f.size() >= 20 && std::equal(kHead, kHead + 6, f.begin()) && f[12] == 0xFF && f[13] == 0x03 &&
           f[16] == 0xC0 && f[17] == 0x00 && f[18] == 0x00 && f[19] == 0xD4;
}

// Port A into NIC mode: the general write that starts with Port A's host address register.
bool IsNicModeWrite(const sim::Bytes& f) {
    return f.size() >= 24 && f[12] == 0xFF && f[13] == 0x03 && f[14] == 0 && f[16] == 0x41 && f[17] == 0x00 &&
           f[18] == 0x00 && f[19] == 0x10;
}

// Seconds from the run's start to a logged frame.
double Since(const Run& run, const sim::LoggedFrame& f) { return Seconds(f.at - run.Start()); }

struct Probes {
    std::vector<const sim::LoggedFrame*> frames;
    const sim::LoggedFrame* afterLast = nullptr;  // the first frame of another kind after them
};

Probes FindProbes(const std::vector<sim::LoggedFrame>& log) {
    Probes probes;
    for (const sim::LoggedFrame& f : log) {
        if (IsProbe(f.bytes)) {
            probes.frames.push_back(&f);
        } else if (!probes.frames.empty() && probes.afterLast == nullptr && f.bytes.size() >= 14 &&
                   f.bytes[12] == 0xFF && f.bytes[13] == 0x03) {
            probes.afterLast = &f;
        }
    }
    return probes;
}

void PrintProbes(const Run& run, const Probes& probes) {
    if (probes.frames.empty()) {
        std::printf("    no probe frame reached the tester's side of the wire\n");
        return;
    }
    const double first = Since(run, *probes.frames.front()), last = Since(run, *probes.frames.back());
    std::printf("    detection probes: %zu frames from %.3f s to %.3f s (%.0f ms apart on average)\n",
                probes.frames.size(), first, last,
                probes.frames.size() > 1 ? (last - first) * 1000 / (probes.frames.size() - 1) : 0.0);
}

double BareStart() {
    Run run(L"bare_dialog_program.exe", L"Bare dialog");
    HWND shown = run.WaitForPainted(std::chrono::seconds(30));
    if (shown) ::PostMessageW(shown, WM_COMMAND, IDOK, 0);
    std::printf("  bare dialog program: made %.3f s, shown %.3f s, painted %.3f s\n", run.MadeAt(), run.ShownAt(),
                run.PaintedAt());
    return run.ShownAt();
}

void __stdcall IgnoreHostMessage(const uint8_t*, int32_t, uint32_t, uint32_t) {}

// The device API alone: init, detect and connect against the tester, timed apart, then ended.
double ApiConnectAlone() {
    const Clock::time_point start = Clock::now();
    char model[32] = {};
    const bool ok = BrevixC_SYS_Init(IgnoreHostMessage, 0) == 1;
    const Clock::time_point initialised = Clock::now();
    const bool found = ok && BrevixC_SYS_DetectBrevixCDevice(model) == 1;
    const Clock::time_point detected = Clock::now();
    const bool connected = found && BrevixC_SYS_ConnectToBrevixCDevice() == 1;
    const Clock::time_point end = Clock::now();
    BrevixC_SYS_TerminateProcess();
    std::printf("  device API alone: init %.3f s, detect %.3f s, connect %.3f s%s\n", Seconds(initialised - start),
                Seconds(detected - initialised), Seconds(end - detected), connected ? "" : " (not connected)");
    return connected ? Seconds(end - start) : -1;
}

// Demo mode: no tester answers; the tester's side of the wire only logs what the probe sends.
double DemoStart(sim::Tester& wire) {
    wire.ClearLog();
    Run run(L"Vorels-NIC.exe", L"Vorels-NIC");
    HWND question = bench::WaitForShown(run.Id(), L"Message", std::chrono::seconds(60));
    if (question == nullptr) return -1;
    const double asked = run.SecondsSinceStart();
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    HWND shown = run.WaitForPainted(std::chrono::seconds(30));
    std::printf("  Vorels-NIC, demo mode:\n");
    std::printf("    dialog made %.3f s\n", run.MadeAt());
    const std::vector<sim::LoggedFrame> log = wire.Log();
    const Probes probes = FindProbes(log);
    PrintProbes(run, probes);
    std::printf("    demo question after %.3f s (%.3f s after the last probe: the probe thread's end and the "
                "connect that finds no adapter)\n",
                asked, probes.frames.empty() ? 0.0 : asked - Since(run, *probes.frames.back()));
    std::printf("    shown %.3f s (%.3f s after the answer), first paint %.3f s\n", run.ShownAt(),
                run.ShownAt() - asked, run.PaintedAt());
    if (shown) CloseProgram(run, shown);
    return shown ? run.ShownAt() : -1;
}

void ConnectedStartAndIdle(sim::Tester& device, double* startSeconds, bench::ProgramTime* idle) {
    device.ClearLog();
    Run run(L"Vorels-NIC.exe", L"Vorels-NIC");
    HWND shown = run.WaitForPainted(std::chrono::seconds(60));
    *startSeconds = shown ? run.ShownAt() : -1;
    if (!shown) return;
    std::printf("  Vorels-NIC, connected:\n");
    std::printf("    dialog made %.3f s\n", run.MadeAt());
    const std::vector<sim::LoggedFrame> log = device.Log();
    const Probes probes = FindProbes(log);
    PrintProbes(run, probes);
    const sim::LoggedFrame* nicMode = nullptr;
    for (const sim::LoggedFrame& f : log) {
        if (IsNicModeWrite(f.bytes)) {
            nicMode = &f;
            break;
        }
    }
    if (probes.afterLast != nullptr) {
        std::printf("    connect from %.3f s (the probe answered and its thread ended)\n", Since(run, *probes.afterLast));
    }
    if (nicMode != nullptr) {
        std::printf("    connected, the system version, link status and NIC mode asked by %.3f s\n", Since(run, *nicMode));
        std::printf("    shown %.3f s (%.3f s of pumped wait and first-show timer after them)\n", run.ShownAt(),
                    run.ShownAt() - Since(run, *nicMode));
    } else {
        std::printf("    shown %.3f s\n", run.ShownAt());
    }
    std::printf("    first paint %.3f s (%.3f s after the show: the first show's one-second sleep, then the link "
                "status asked and the page placed)\n",
                run.PaintedAt(), run.PaintedAt() - run.ShownAt());
    // Let the start-up's own work (media detection, the first link report) settle first.
    ::Sleep(5000);
    *idle = bench::MeasureProgram(run.Handle(), run.MainThread(), std::chrono::seconds(30));
    CloseProgram(run, shown);
}

}  // namespace

int main() {
    std::printf("app_bench: Vorels-NIC's start to first show and idle processor time\n");
    const double bare = BareStart();

    std::string error;
    auto link = support::OpenTesterLink(support::TestNetwork(), &error);
    if (!link) {
        std::printf("no tester link: %s\n", error.c_str());
        return 1;
    }
    double api = -1, connected = -1;
    bench::ProgramTime idle;
    {
        sim::FullTester tester(std::move(link), 1, L"");
        tester.Start();
        tester.Host().Attach();
        api = ApiConnectAlone();
        ConnectedStartAndIdle(tester.Device(), &connected, &idle);
        tester.Stop();
    }
    double demo = -1;
    if (auto wire = support::OpenTesterLink(support::TestNetwork(), &error)) {
        sim::Tester listener(std::move(wire));
        listener.SetSilent(true);
        listener.Start();
        demo = DemoStart(listener);
        listener.Stop();
    }

    // The start-up's own waits: the one-second pumped wait after connecting (the bare dialog
    // already waits for its 500 ms timer); in demo mode the probe's 20 frames 100 ms apart.
    const double connectedReference = bare + 1.0 + api;
    const double demoReference = bare + 2.0;
    std::printf("  bare dialog program (reference): %.3f s to first show\n", bare);
    std::printf("  Vorels-NIC, demo mode:           %.3f s to first show (%.2fx the reference; %.2fx the reference "
                "+ 2 s of probes: goal 1.2x)\n",
                demo, bare > 0 ? demo / bare : 0.0, demo / demoReference);
    std::printf("  Vorels-NIC, connected:           %.3f s to first show (%.2fx the reference; %.2fx the reference "
                "+ 1 s of pumped wait + the API's %.3f s: goal 1.2x)\n",
                connected, bare > 0 ? connected / bare : 0.0, connected / connectedReference, api);
    std::printf("  Vorels-NIC, connected and idle:  %.2f %% of one core over 30 s (goal: under 1 %%)\n", idle.Share());
    bench::PrintThreadShares(idle, "    ");
    return bare > 0 && demo > 0 && connected > 0 && api > 0 ? 0 : 1;
}
