// capture_list_bench: a simulated Brevix-CF captures frames on Port A; Stop Capture on the
// program's Port A capture panel has them uploaded, with the host messages taking the program's way:
// its host callback copies each and posts it to the GUI thread, where the panel adds the rows. Two
// captures, each timed from Stop Capture on, giving the library's own upload (until its capture
// report counts every frame) and the program's (until the capture list holds a row for each); the
// list keeps up when the ratio is near 1 (goal: at least 0.9):
//   - 10,000 frames of 64 bytes;
//   - the tester's whole store, 32,768 frames of 1,518 bytes, with the process's private memory
//     before Stop Capture and once the rows are in (goal: at most 1.5x the frames' bytes more), the
//     receiving window's answer time to a message while the upload runs (goal: p99 under 100 ms),
//     and register round trips while it runs against the same with the library idle (goal: p99 at
//     most 2x). The simulated tester lives in this process: its store, full before Stop Capture, is
//     emptied by the upload, so the growth printed leaves it out. The growth is split into the
//     library's vectors (the frames' blocks, each counted once however many records point at it,
//     and the records themselves), the program's rows (the copies it keeps of earlier captures)
//     and the rest.

#include "BrevixCAPI.h"
#include "BrevixCCapture.h"
#include "capture/CaptureIds.h"
#include "capture/CaptureReport.h"
#include "main/DeviceEventCallback.h"
#include "main/HostMessage.h"
#include "sim/CaptureEngine.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <framework/Framework.h>

#include <commctrl.h>
#include <malloc.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kCaptureEntry = 16, kCaptureCount = 22;
// A register no reply hook looks at: the capture mode word of Port A.
constexpr uint32_t kQuietRegister = 0x410000C0;

// Port A's capture reports, as the library sends them: the highest count, when it was reached,
// and when the last report came.
std::atomic<int> reportedCount{0};
std::atomic<long long> countReachedNs{0};
std::atomic<long long> lastReportNs{0};
CCaptureReport* panel = nullptr;

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// The library's side of the measure, then the program's own callback.
void __stdcall OnMessage(const uint8_t* message, int32_t length, uint32_t seconds, uint32_t microseconds) {
    if (length > 23 && (message[14] << 8 | message[15]) == BREVIXC_MSG_CAPTURE && message[kCaptureEntry] == 0) {
        const int count = message[kCaptureCount] | message[kCaptureCount + 1] << 8;
        const long long now = NowNs();
        if (count > reportedCount) {
            reportedCount = count;
            countReachedNs = now;
        }
        lastReportNs = now;
    }
    DeviceEventCallback(message, length, seconds, microseconds);
}

// The main dialog's part in the program's way: a capture report of Port A reaches its panel.
LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DEVICE_EVENT) return ::DefWindowProcW(window, message, wParam, lParam);
    const std::optional<HostMessage> event = TakeDeviceEvent();
    if (event && event->Type() == BREVIXC_MSG_CAPTURE && event->Has(kCaptureCount, 2) &&
        event->U16(kCaptureEntry) == 0) {
        panel->OnCaptureReport(event->U16(kCaptureCount));
    }
    return 0;
}

// The process's committed memory (Wine leaves the private-bytes counter at 0).
double CommittedMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage / 1048576.0;
}

double Percentile(std::vector<double> samples, double share) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t at = static_cast<size_t>(share * static_cast<double>(samples.size()));
    return samples[std::min(at, samples.size() - 1)];
}

double MsSince(long long startNs) { return (NowNs() - startNs) / 1e6; }

// What the library's capture vectors hold, read under its mutex "Mutex".
struct LibraryHeld {
    size_t blocks = 0;       // distinct frame blocks
    size_t blockBytes = 0;   // their sizes as the heap gives them
    size_t records = 0;      // records in the three vectors
    size_t recordBytes = 0;  // the vectors' storage
    size_t shared = 0;       // records pointing at a block another record points at too
};

LibraryHeld MeasureLibrary() {
    LibraryHeld held;
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Mutex");
    if (!mutex) return held;
    ::WaitForSingleObject(mutex, INFINITE);
    std::unordered_set<const uint8_t*> seen;
    for (const BrevixC_CaptureVector& vector : capture_buffer) {
        held.records += vector.size();
        held.recordBytes += vector.capacity() * sizeof(BrevixC_PKTCAP_Content_S);
        for (const BrevixC_PKTCAP_Content_S& record : vector) {
            if (!record.data) continue;
            if (!seen.insert(record.data).second) {
                ++held.shared;
                continue;
            }
            ++held.blocks;
            held.blockBytes += _msize(record.data);
        }
    }
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return held;
}

// On a thread of its own until stopped: how long each call takes, in ms, one every `pauseMs`.
class Prober {
public:
    template <typename Call>
    Prober(int pauseMs, Call call)
        : thread_([this, pauseMs, call] {
              while (!stop_) {
                  const long long start = NowNs();
                  call();
                  samples_.push_back(MsSince(start));
                  std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
              }
              ended_ = true;
          }) {}
    // Pumps this thread's messages while it waits: the calls may be messages to its windows.
    std::vector<double> Stop() {
        stop_ = true;
        MSG msg;
        while (!ended_) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        thread_.join();
        return samples_;
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::vector<double> samples_;
    std::thread thread_;
};

double RoundTripMs() {
    const long long start = NowNs();
    uint32_t value = kQuietRegister;
    BVT_GenR(1, &value);
    return MsSince(start);
}

struct Timing {
    uint32_t frames = 0;  // the records the library made of the frames the tester sent
    double uploadSeconds = 0;
    double listSeconds = 0;
};

// One capture of `frames` frames of `bytes` bytes, from Stop Capture to the last row; `during`
// runs while the upload does. The upload has ended once no report has come for 2 s; false when it
// brought nothing or the list did not get a row for each record.
template <typename During>
bool Capture(sim::CaptureEngine& engine, uint32_t frames, uint32_t bytes, Timing& timing, During during) {
    const int rowsBefore = panel->captureList.GetItemCount();
    const size_t sentBefore = engine.Sent(0);
    reportedCount = 0;
    countReachedNs = 0;
    panel->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CAPTURE_START, BN_CLICKED), 0);
    engine.ReceiveNumbered(0, 0, frames, bytes);
    return during([&] {
        const long long start = NowNs();
        lastReportNs = start;
        panel->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CAPTURE_STOP, BN_CLICKED), 0);
        // When the list first held each number of this capture's rows.
        std::vector<std::pair<int, long long>> rowTimes;
        MSG msg;
        while (NowNs() - lastReportNs < 2'000'000'000LL ||
               panel->captureList.GetItemCount() - rowsBefore < reportedCount) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            const int rows = panel->captureList.GetItemCount() - rowsBefore;
            if (rowTimes.empty() || rows != rowTimes.back().first) rowTimes.emplace_back(rows, NowNs());
            if (NowNs() - std::max<long long>(lastReportNs, rowTimes.back().second) > 20'000'000'000LL) break;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        const int records = reportedCount;
        const auto reached = std::find_if(rowTimes.begin(), rowTimes.end(),
                                          [records](const auto& at) { return at.first >= records; });
        if (records == 0 || reached == rowTimes.end()) {
            std::fprintf(stderr, "%d rows for %d records of %u frames the tester sent\n",
                         rowTimes.empty() ? 0 : rowTimes.back().first, records, unsigned(engine.Sent(0) - sentBefore));
            return false;
        }
        timing.frames = static_cast<uint32_t>(records);
        timing.uploadSeconds = (countReachedNs - start) / 1e9;
        timing.listSeconds = (reached->second - start) / 1e9;
        if (timing.frames != engine.Sent(0) - sentBefore)
            std::printf("  (the library made %u records of the %u frames the tester sent)\n", timing.frames,
                        unsigned(engine.Sent(0) - sentBefore));
        return true;
    });
}

void PrintTiming(uint32_t frames, uint32_t bytes, const Timing& timing) {
    std::printf("capture of %u frames of %u bytes, from Stop Capture on:\n", unsigned(frames), unsigned(bytes));
    std::printf("  library's upload:        %.2f s, %.0f records/s\n", timing.uploadSeconds,
                timing.frames / timing.uploadSeconds);
    std::printf("  rows in the capture list: %.2f s, %.0f rows/s\n", timing.listSeconds,
                timing.frames / timing.listSeconds);
    std::printf("  ratio %.3f (goal: at least 0.9)\n", timing.uploadSeconds / timing.listSeconds);
}

}  // namespace

int main() {
    auto link = support::OpenOwnTesterLink();
    if (!link) return 1;
    sim::Tester tester(std::move(link));
    sim::TesterModel model(tester, 1);
    sim::CaptureEngine engine(tester, 1);
    tester.Start();

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW receiverClass = {};
    receiverClass.lpfnWndProc = ReceiverProc;
    receiverClass.hInstance = ::GetModuleHandleW(nullptr);
    receiverClass.lpszClassName = L"CaptureListBenchReceiver";
    ::RegisterClassW(&receiverClass);
    HWND receiver = ::CreateWindowW(receiverClass.lpszClassName, L"Capture list bench", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                                    600, nullptr, nullptr, receiverClass.hInstance, nullptr);
    CWnd host;
    host.Attach(receiver);
    CCaptureReportA capturePanel;
    panel = &capturePanel;
    if (!capturePanel.Create(CCaptureReportA::IDD, &host)) return 1;
    capturePanel.ShowWindow(SW_SHOW);
    ::ShowWindow(receiver, SW_SHOW);
    SetDeviceEventWindow(receiver);

    char name[32] = {};
    if (BrevixC_SYS_Init(OnMessage, 0) != 1 || BrevixC_SYS_DetectBrevixCDevice(name) != 1 ||
        BrevixC_SYS_ConnectToBrevixCDevice() != 1) {
        std::fprintf(stderr, "no connection to the simulated tester\n");
        return 1;
    }

    constexpr uint32_t kSmallFrames = 10000, kSmallBytes = 64;
    Timing small;
    const bool smallDone = Capture(engine, kSmallFrames, kSmallBytes, small, [](auto run) { return run(); });

    constexpr uint32_t kFullFrames = 32768, kFullBytes = 1518;
    Timing full;
    double before = 0, after = 0, rowsBefore = 0, rowsAfter = 0;
    LibraryHeld libraryBefore, libraryAfter;
    std::vector<double> idleTrips, uploadTrips, idleAnswers, uploadAnswers;
    const auto answerProbe = [receiver] {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(receiver, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    };
    const bool fullDone = smallDone && Capture(engine, kFullFrames, kFullBytes, full, [&](auto run) {
        {
            Prober trips(5, [] { RoundTripMs(); });
            Prober answer(10, answerProbe);
            const long long start = NowNs();
            MSG msg;
            while (NowNs() - start < 3'000'000'000LL) {
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            }
            idleTrips = trips.Stop();
            idleAnswers = answer.Stop();
        }
        before = CommittedMiB();
        libraryBefore = MeasureLibrary();
        rowsBefore = capturePanel.Feed().KeptBytes() / 1048576.0;
        Prober trips(5, [] { RoundTripMs(); });
        Prober answer(10, answerProbe);
        const bool done = run();
        uploadTrips = trips.Stop();
        uploadAnswers = answer.Stop();
        after = CommittedMiB();
        libraryAfter = MeasureLibrary();
        rowsAfter = capturePanel.Feed().KeptBytes() / 1048576.0;
        return done;
    });

    SetDeviceEventWindow(nullptr);
    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    DropPendingDeviceEvents(receiver);
    capturePanel.DestroyWindow();
    host.Detach();
    ::DestroyWindow(receiver);
    if (!fullDone) return 1;

    PrintTiming(kSmallFrames, kSmallBytes, small);
    PrintTiming(kFullFrames, kFullBytes, full);
    const double frameMiB = double(kFullFrames) * kFullBytes / 1048576.0;
    std::printf("  committed memory: %.1f MiB before Stop Capture, %.1f MiB after the last row: %.1f MiB more\n",
                before, after, after - before);
    std::printf("  the frames' bytes %.1f MiB; with the tester's store they left, %.2fx of them (goal: at most 1.5x)\n",
                frameMiB, (after - before + frameMiB) / frameMiB);
    const auto mib = [](size_t bytes) { return bytes / 1048576.0; };
    const double blocks = mib(libraryAfter.blockBytes) - mib(libraryBefore.blockBytes);
    const double records = mib(libraryAfter.recordBytes) - mib(libraryBefore.recordBytes);
    const double rows = rowsAfter - rowsBefore;
    std::printf("  of the growth: library's frame blocks %.1f MiB (%zu blocks for %zu records, %zu of them shared),"
                " library's records %.1f MiB, program's rows %.1f MiB, the rest %.1f MiB (with the tester's store"
                " counted back in as above: heap headers, memory freed but not given back)\n",
                blocks, libraryAfter.blocks, libraryAfter.records, libraryAfter.shared, records, rows,
                after - before + frameMiB - blocks - records - rows);
    std::printf("  window's answer to a message: idle p50 %.1f ms p99 %.1f ms; during the upload p50 %.1f ms p99 %.1f ms"
                " max %.1f ms over %zu (goal: p99 under 100 ms)\n",
                Percentile(idleAnswers, 0.5), Percentile(idleAnswers, 0.99), Percentile(uploadAnswers, 0.5),
                Percentile(uploadAnswers, 0.99), Percentile(uploadAnswers, 1.0), uploadAnswers.size());
    const double idle99 = Percentile(idleTrips, 0.99), upload99 = Percentile(uploadTrips, 0.99);
    std::printf("  register round trip: idle p50 %.2f ms p99 %.2f ms; during the upload p50 %.2f ms p99 %.2f ms"
                " over %zu: %.2fx (goal: at most 2x)\n",
                Percentile(idleTrips, 0.5), idle99, Percentile(uploadTrips, 0.5), upload99, uploadTrips.size(),
                upload99 / idle99);
    return 0;
}
