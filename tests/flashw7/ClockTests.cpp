// The library's pumped wait with the system's clock: it dispatches the caller's messages as they
// arrive, lasts its time, and sleeps rather than polls in between.

#include "Clock.h"
#include "support/AppMessageWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// User and kernel time the calling thread has used, in milliseconds.
double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

TEST(PumpedWait, DispatchesMessagesAsTheyArriveWithoutSpinning) {
    std::atomic<int> dispatched{0};
    support::AppMessageWindow window([&] { ++dispatched; });
    ASSERT_TRUE(window.Post());
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        window.Post();
    });

    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = ThreadCpuMs();
    win7::SystemClock().WaitMs(600);
    const double cpuUsed = ThreadCpuMs() - cpuBefore;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    poster.join();

    EXPECT_EQ(dispatched, 2);
    EXPECT_GE(elapsed, std::chrono::milliseconds(590));
    // A wait that polled the queue would use the processor for most of its 600 ms.
    EXPECT_LT(cpuUsed, 150.0);
}

}  // namespace
