// api_counter_poll_bench: the library reads every port's counters once a second. Over 30 s this
// measures when each poll round starts, as the simulated tester hears it, and prints the mean
// period against the intended 1000 ms, its spread, and the command frames per second the rounds
// cost against the register round trips per second the library manages on the same link.

#include "BrevixCAPI.h"
#include "sim/CounterBanks.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"
#include "support/Frames.h"
#include "support/TesterLink.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kObservation = std::chrono::seconds(30);
constexpr auto kCapacityRun = std::chrono::seconds(2);
constexpr double kIntendedPeriodMs = 1000;
// The first read of every round: Port A's counter block A (64-bit sequential read).
constexpr uint32_t kRoundStart = 0x42000000;

using frames::FromLibrary;
using frames::Get32;

// Register reads a second through the library, one after the other: the link's capacity.
double RoundTripsPerSecond() {
    uint32_t value = 0;
    int reads = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < kCapacityRun) reads += BVT_Read(0x41000004, &value);
    return reads / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    auto link = support::OpenOwnTesterLink();
    if (!link) return 1;
    sim::Tester tester(std::move(link));
    sim::TesterModel model(tester, 1);
    sim::CounterBanks counters(tester, sim::RegisterMap::First);
    counters.SetTraffic(0, 100000, 64);
    tester.Start();

    char name[32] = {};
    if (BrevixC_SYS_Init(nullptr, 0) != 1 || BrevixC_SYS_DetectBrevixCDevice(name) != 1 ||
        BrevixC_SYS_ConnectToBrevixCDevice() != 1) {
        std::fprintf(stderr, "no connection to the simulated tester\n");
        return 1;
    }
    const double capacity = RoundTripsPerSecond();

    tester.ClearLog();
    const auto start = Clock::now();
    std::this_thread::sleep_for(kObservation);
    const auto end = Clock::now();

    std::vector<Clock::time_point> roundStarts;
    size_t commands = 0;
    for (const sim::LoggedFrame& f : tester.Log()) {
        if (!FromLibrary(f.bytes) || f.at > end) continue;
        ++commands;
        if (f.bytes[14] == 3 && Get32(f.bytes, 16) == kRoundStart) roundStarts.push_back(f.at);
    }
    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    if (roundStarts.size() < 3) {
        std::fprintf(stderr, "only %zu poll rounds seen\n", roundStarts.size());
        return 1;
    }

    std::vector<double> periods;
    for (size_t i = 1; i < roundStarts.size(); ++i) {
        periods.push_back(std::chrono::duration<double, std::milli>(roundStarts[i] - roundStarts[i - 1]).count());
    }
    double sum = 0, squares = 0;
    for (double p : periods) sum += p;
    const double mean = sum / periods.size();
    for (double p : periods) squares += (p - mean) * (p - mean);
    const double deviation = std::sqrt(squares / periods.size());
    const auto [shortest, longest] = std::minmax_element(periods.begin(), periods.end());
    const double seconds = std::chrono::duration<double>(end - start).count();
    const double framesPerSecond = commands / seconds;

    std::printf("counter poll over %.0f s: %zu rounds\n", seconds, roundStarts.size());
    std::printf("  period: mean %.1f ms, ratio %.4f to the intended %.0f ms\n", mean, mean / kIntendedPeriodMs,
                kIntendedPeriodMs);
    std::printf("  spread: standard deviation %.2f ms, shortest %.1f ms, longest %.1f ms\n", deviation, *shortest,
                *longest);
    std::printf("  cost: %.1f command frames/s (and as many replies), %.4f of the library's %.0f register round "
                "trips/s\n",
                framesPerSecond, framesPerSecond / capacity, capacity);
    return 0;
}
