// api_capture_upload_bench: a simulated Brevix-CF holds 32768 captured frames; the library uploads
// them into capture_buffer block by block. Prints the frames per second the upload reached against
// the pacing its block requests allow (20 frames every 20 ms, 1000 frames/s) in the same run, and
// the CPU time of the library's threads as a share of the upload's wall time.

#include "BrevixCCapture.h"
#include "LibraryThreads.h"
#include "sim/CaptureEngine.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kFrames = 32768;
constexpr double kPacedFramesPerSecond = 20 / 0.020;

std::atomic<uint16_t> recordsHeld{0};

void __stdcall OnMessage(const uint8_t* message, int32_t, uint32_t, uint32_t) {
    if ((message[14] << 8 | message[15]) != BREVIXC_MSG_CAPTURE || (message[16] | message[17] << 8) != 0) return;
    recordsHeld = uint16_t(message[22] | message[23] << 8);
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

}  // namespace

int main() {
    const support::VethPair pair = support::TestNetwork();
    if (pair.hostInterface.empty()) return 1;
    std::string error;
    auto link = support::OpenTesterLink(pair, &error);
    if (!link) {
        std::fprintf(stderr, "cannot open %s: %s\n", pair.deviceInterface.c_str(), error.c_str());
        return 1;
    }
    sim::Tester tester(std::move(link));
    sim::TesterModel model(tester, 1);
    sim::CaptureEngine engine(tester, 1);
    tester.Start();
    char name[32] = {};
    if (BrevixC_SYS_Init(OnMessage, 0) != 1 || BrevixC_SYS_DetectBrevixCDevice(name) != 1 ||
        BrevixC_SYS_ConnectToBrevixCDevice() != 1) {
        std::fprintf(stderr, "no connection to the simulated tester\n");
        return 1;
    }
    BrevixC_StartRxCapture(0, 0, uint16_t(kFrames));
    engine.ReceiveNumbered(0, 0, kFrames, 64);

    // The CPU time of each library thread, sampled while it lives (an ended thread's is gone).
    std::map<DWORD, uint64_t> cpu;
    const auto start = Clock::now();
    BrevixC_StopRxCaptureNext(0, uint16_t(kFrames));
    while (recordsHeld < kFrames && Clock::now() - start < std::chrono::seconds(120)) {
        for (DWORD id : LibraryThreadIds(L"BrevixCAPI")) cpu[id] = std::max(cpu[id], ThreadCpu100ns(id));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const size_t uploaded = capture_buffer[0].size();
    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    if (uploaded != kFrames) {
        std::fprintf(stderr, "only %zu of %u frames uploaded in %.1f s (reported %u; the tester sent %zu, holds %zu)\n",
                     uploaded, kFrames, seconds, unsigned(recordsHeld), engine.Sent(0), engine.Held(0));
        return 1;
    }
    uint64_t busy = 0;
    for (const auto& thread : cpu) busy += thread.second;
    const double rate = uploaded / seconds;
    std::printf("capture upload of %u frames: %.1f s\n", kFrames, seconds);
    std::printf("  %.0f frames/s, ratio %.3f to the block pacing of %.0f frames/s\n", rate,
                rate / kPacedFramesPerSecond, kPacedFramesPerSecond);
    std::printf("  library threads' CPU: %.3f of one CPU over the upload\n", busy / 1e7 / seconds);
    return 0;
}
