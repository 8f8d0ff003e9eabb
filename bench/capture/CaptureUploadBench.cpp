// api_capture_upload_bench: a simulated Brevix-CF holds 32768 captured frames; the library uploads
// them into capture_buffer block by block. Prints the frames per second the upload reached against
// the pacing its block requests allow (20 frames every 20 ms, 1000 frames/s) in the same run,
// checks that every frame arrived once and in order, and shows where the time goes: the request
// pacing as the tester saw it, the tester's sending, what waited between the tester and the
// records (the wire, the receive thread and the queue), and the CPU time of each library thread a
// frame.

#include "BrevixCCapture.h"
#include "LibraryThreads.h"
#include "sim/CaptureEngine.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kFrames = 32768;
constexpr uint32_t kFrameBytes = 64;
constexpr uint32_t kBlockFrames = 20;
constexpr double kPacedFramesPerSecond = kBlockFrames / 0.020;
constexpr uint32_t kReplayCommand = 0x41000038;

// The 0x0200 reports of Port A: frames held, and how many the tester had sent by then.
struct Report {
    uint16_t held;
    size_t sent;
};
sim::CaptureEngine* engine = nullptr;
std::mutex reportsLock;
std::vector<Report> reports;
std::atomic<uint16_t> recordsHeld{0};

void __stdcall OnMessage(const uint8_t* message, int32_t, uint32_t, uint32_t) {
    if ((message[14] << 8 | message[15]) != BREVIXC_MSG_CAPTURE || (message[16] | message[17] << 8) != 0) return;
    const uint16_t held = uint16_t(message[22] | message[23] << 8);
    {
        std::lock_guard<std::mutex> guard(reportsLock);
        reports.push_back({held, engine->Sent(0)});
    }
    recordsHeld = held;
}

uint64_t ThreadCpu100ns(DWORD id) {
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!thread) return 0;
    FILETIME created, exited, kernel, user;
    uint64_t total = 0;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
        total = (uint64_t(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
                (uint64_t(user.dwHighDateTime) << 32 | user.dwLowDateTime);
    }
    CloseHandle(thread);
    return total;
}

std::wstring ThreadName(DWORD id) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    std::wstring name = L"?";
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!thread) return name;
    PWSTR description = nullptr;
    if (get && SUCCEEDED(get(thread, &description)) && description) {
        name = description;
        LocalFree(description);
    }
    CloseHandle(thread);
    return name;
}

uint32_t Big32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// What the tester's own sending costs a frame: wrapped frames of the same size sent through its
// link, with a destination no host software takes in.
double TesterSendMicroseconds(sim::Tester& tester) {
    constexpr int kSends = 2000;
    sim::Bytes frame(36 + kFrameBytes, 0x5A);
    const uint8_t nobody[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
    std::copy(nobody, nobody + 6, frame.begin());
    const auto start = Clock::now();
    for (int i = 0; i < kSends; ++i) tester.SendRaw(frame);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kSends;
}

// The times at which the tester took in the block requests of Port A.
std::vector<Clock::time_point> BlockRequests(const sim::Tester& tester) {
    std::vector<Clock::time_point> times;
    for (const sim::LoggedFrame& command : tester.Commands()) {
        const sim::Bytes& f = command.bytes;
        if (f.size() >= 24 && Big32(f.data() + 16) == kReplayCommand && (Big32(f.data() + 20) & 0x1FF) == 64)
            times.push_back(command.at);
    }
    return times;
}

// Every record a whole 64-byte frame, numbered from 0 on in its first four bytes.
bool InOrderAndWhole(const BrevixC_CaptureVector& records, std::string* fault) {
    for (size_t i = 0; i < records.size(); ++i) {
        const BrevixC_PKTCAP_Content_S& r = records[i];
        if (r.length != kFrameBytes || !r.data || Big32(r.data) != i) {
            *fault = "record " + std::to_string(i) + " holds frame " +
                     (r.data ? std::to_string(Big32(r.data)) : "none") + ", " + std::to_string(r.length) + " bytes";
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    auto link = support::OpenOwnTesterLink();
    if (!link) return 1;
    sim::Tester tester(std::move(link));
    sim::TesterModel model(tester, 1);
    sim::CaptureEngine captureEngine(tester, 1);
    engine = &captureEngine;
    tester.Start();
    const double sendUs = TesterSendMicroseconds(tester);
    char name[32] = {};
    if (BrevixC_SYS_Init(OnMessage, 0) != 1 || BrevixC_SYS_DetectBrevixCDevice(name) != 1 ||
        BrevixC_SYS_ConnectToBrevixCDevice() != 1) {
        std::fprintf(stderr, "no connection to the simulated tester\n");
        return 1;
    }
    BrevixC_StartRxCapture(0, 0, uint16_t(kFrames));
    captureEngine.ReceiveNumbered(0, 0, kFrames, kFrameBytes);
    tester.ClearLog();

    // The CPU time of each library thread, sampled while it lives (an ended thread's is gone).
    std::map<DWORD, uint64_t> cpu;
    std::map<DWORD, std::wstring> names;
    const auto start = Clock::now();
    BrevixC_StopRxCaptureNext(0, uint16_t(kFrames));
    while (recordsHeld < kFrames && Clock::now() - start < std::chrono::seconds(120)) {
        for (DWORD id : LibraryThreadIds(L"BrevixCAPI")) {
            cpu[id] = std::max(cpu[id], ThreadCpu100ns(id));
            if (!names.count(id)) names[id] = ThreadName(id);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    BrevixC_CaptureVector records;
    BrevixC_CopyCaptureBuffer(0, records);
    const std::vector<Clock::time_point> requests = BlockRequests(tester);
    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    if (records.size() != kFrames) {
        std::fprintf(stderr, "only %zu of %u frames uploaded in %.1f s (reported %u; the tester sent %zu, holds %zu)\n",
                     records.size(), kFrames, seconds, unsigned(recordsHeld), captureEngine.Sent(0),
                     captureEngine.Held(0));
        return 1;
    }
    std::string fault;
    if (!InOrderAndWhole(records, &fault)) {
        std::fprintf(stderr, "frames out of order or cut: %s\n", fault.c_str());
        return 1;
    }

    const double rate = kFrames / seconds;
    std::printf("capture upload of %u frames: %.1f s, every frame once and in order\n", kFrames, seconds);
    std::printf("  %.0f frames/s, ratio %.3f to the block pacing of %.0f frames/s\n", rate,
                rate / kPacedFramesPerSecond, kPacedFramesPerSecond);

    std::printf("where the time goes, per block of %u frames:\n", kBlockFrames);
    if (requests.size() > 1) {
        const double period = std::chrono::duration<double, std::milli>(requests.back() - requests.front()).count() /
                              (requests.size() - 1);
        std::printf("  request pacing: %zu requests, one every %.2f ms (%.0f frames/s at most)\n", requests.size(),
                    period, kBlockFrames / period * 1000);
    }
    std::printf("  tester sending: %.2f ms a block (%.1f us a frame through its capture library)\n",
                sendUs * kBlockFrames / 1000, sendUs);
    // Frames the tester had sent that the library did not hold yet: on the wire, in the receive
    // thread or in the queue.
    size_t waitingMax = 0;
    double waitingSum = 0;
    {
        std::lock_guard<std::mutex> guard(reportsLock);
        for (const Report& r : reports) {
            const size_t waiting = r.sent > r.held ? r.sent - r.held : 0;
            waitingMax = std::max(waitingMax, waiting);
            waitingSum += double(waiting);
        }
        if (!reports.empty())
            std::printf(
                "  sent but not yet held (wire, receive thread, queue): %.0f frames on average (%.1f ms of "
                "upload), %zu at most, over %zu reports\n",
                waitingSum / reports.size(), waitingSum / reports.size() / rate * 1000, waitingMax, reports.size());
    }
    uint64_t busy = 0;
    for (const auto& thread : cpu) {
        busy += thread.second;
        if (thread.second == 0) continue;
        std::printf("  CPU of %-28ls %6.1f us a frame\n", names[thread.first].c_str(), thread.second / 10.0 / kFrames);
    }
    std::printf("  library threads' CPU: %.3f of one CPU over the upload, %.1f us a frame\n", busy / 1e7 / seconds,
                busy / 10.0 / kFrames);
    return 0;
}
