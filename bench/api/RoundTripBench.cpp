// api_round_trip_bench: how long one register read takes through the library (BVT_Read), beside
// the raw round trip of the same command frame and its answer through wpcap on the same veth pair
// with the same read time-out; and how much CPU the library's threads use while it is connected
// and idle (the pollers running).

#include "BrevixCAPI.h"
#include "LibraryThreads.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWarmUp = 50;
constexpr int kReads = 2000;
constexpr DWORD kIdleMs = 10000;
constexpr uint32_t kRegister = 0x41000004;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

struct Timing {
    double meanUs = 0;
    double medianUs = 0;
    double p90Us = 0;
    double p99Us = 0;
    double maxUs = 0;
    int answered = 0;
};

Timing Summarise(std::vector<double> seconds, int answered) {
    Timing t;
    t.answered = answered;
    if (seconds.empty()) return t;
    double sum = 0;
    for (double s : seconds) sum += s;
    std::sort(seconds.begin(), seconds.end());
    t.meanUs = sum / seconds.size() * 1e6;
    const auto percentile = [&](size_t p) { return seconds[std::min(seconds.size() - 1, seconds.size() * p / 100)] * 1e6; };
    t.medianUs = percentile(50);
    t.p90Us = percentile(90);
    t.p99Us = percentile(99);
    t.maxUs = seconds.back() * 1e6;
    return t;
}

Timing LibraryRoundTrip() {
    uint32_t value = 0;
    for (int i = 0; i < kWarmUp; ++i) BVT_Read(kRegister, &value);
    std::vector<double> times;
    int answered = 0;
    for (int i = 0; i < kReads; ++i) {
        const double start = Now();
        const int ok = BVT_Read(kRegister, &value);
        const double took = Now() - start;
        if (ok) ++answered, times.push_back(took);
    }
    return Summarise(times, answered);
}

// The same general read, from a source of its own so the library's filter does not take it for
// one of its commands, and its answer picked out of what the host side hears.
Timing RawRoundTrip(sim::Link& link) {
    sim::Bytes command(60, 0);
    std::fill(command.begin(), command.begin() + 6, 0xFF);
    const uint8_t source[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x01};
    std::copy(source, source + 6, command.begin() + 6);
    command[12] = 0xFF, command[13] = 0x03, command[14] = 0, command[15] = 1;
    const uint32_t address = kRegister | 0x80000000u;
    for (int i = 0; i < 4; ++i) command[16 + i] = uint8_t(address >> (24 - 8 * i));
    auto isAnswer = [&](const sim::Bytes& f) {
        return f.size() >= 24 && f[12] == 0xFF && f[13] == 0x04 && std::equal(source, source + 6, f.begin()) &&
               std::equal(command.begin() + 16, command.begin() + 20, f.begin() + 16);
    };
    auto exchange = [&] {
        if (!link.Send(command)) return false;
        const double deadline = Now() + 0.1;
        while (Now() < deadline) {
            std::optional<sim::WireFrame> frame = link.Receive();
            if (frame && isAnswer(frame->bytes)) return true;
        }
        return false;
    };
    for (int i = 0; i < kWarmUp; ++i) exchange();
    std::vector<double> times;
    int answered = 0;
    for (int i = 0; i < kReads; ++i) {
        const double start = Now();
        const bool ok = exchange();
        const double took = Now() - start;
        if (ok) ++answered, times.push_back(took);
    }
    return Summarise(times, answered);
}

uint64_t FileTimeTicks(const FILETIME& t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

// Kernel and user time of the library's threads, in 100 ns ticks.
uint64_t LibraryCpuTicks() {
    uint64_t total = 0;
    for (DWORD id : LibraryThreadIds(L"BrevixCAPI")) {
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!thread) continue;
        FILETIME created, ended, kernel, user;
        if (GetThreadTimes(thread, &created, &ended, &kernel, &user)) total += FileTimeTicks(kernel) + FileTimeTicks(user);
        CloseHandle(thread);
    }
    return total;
}

}  // namespace

int main() {
    const std::string host = support::GetEnv("BREVIX_HOST_IF");
    const std::string device = support::GetEnv("BREVIX_DEVICE_IF");
    if (host.empty() || device.empty()) {
        std::fprintf(stderr, "api_round_trip_bench needs the test network: run it through scripts/bench\n");
        return 2;
    }
    std::string error;
    auto deviceSide = sim::PcapLink::Open(device, &error);
    auto hostSide = sim::PcapLink::Open(host, &error);
    if (!deviceSide || !hostSide) {
        std::fprintf(stderr, "cannot open the veth pair: %s\n", error.c_str());
        return 1;
    }
    sim::Tester tester(std::move(deviceSide));
    sim::TesterModel model(tester, 1);
    tester.Registers().Set(kRegister, 0x12345678);
    tester.Start();

    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", host.c_str());
    char name[21] = {};
    if (!BrevixC_SYS_Init(nullptr, 0) || !BrevixC_SYS_DetectBrevixCDevice(name) || !BrevixC_SYS_ConnectToBrevixCDevice()) {
        std::fprintf(stderr, "the library did not connect to the simulated tester\n");
        return 1;
    }

    const Timing raw = RawRoundTrip(*hostSide);
    const Timing library = LibraryRoundTrip();
    const auto print = [](const char* what, const Timing& t) {
        std::printf("  %-34s mean %5.0f  p50 %5.0f  p90 %5.0f  p99 %5.0f  max %6.0f us, %d of %d answered\n", what,
                    t.meanUs, t.medianUs, t.p90Us, t.p99Us, t.maxUs, t.answered, kReads);
    };
    std::printf("register round trip (1 ms read time-out on both):\n");
    print("raw wpcap frame and answer", raw);
    print("BVT_Read through BrevixCAPI", library);
    std::printf("ratio library / raw: mean %.3f, median %.3f\n", raw.meanUs > 0 ? library.meanUs / raw.meanUs : 0.0,
                raw.medianUs > 0 ? library.medianUs / raw.medianUs : 0.0);

    Sleep(1000);
    const uint64_t before = LibraryCpuTicks();
    const double start = Now();
    Sleep(kIdleMs);
    const double wall = Now() - start;
    const double cpuSeconds = double(LibraryCpuTicks() - before) / 1e7;
    std::printf("library CPU while connected and idle: %.2f ms per second = %.3f%% of one core (%d threads, %.0f s)\n",
                cpuSeconds / wall * 1000, cpuSeconds / wall * 100, CountLibraryThreads(L"BrevixCAPI"), wall);

    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    return 0;
}
