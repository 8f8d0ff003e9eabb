// The library's worker threads: joined from several threads at once, and refusing to join
// themselves.

#include "runtime/WorkerThread.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(WorkerThreadTest, SeveralJoinersAllSeeTheThreadEndAndItCanStartAgain) {
    for (int round = 0; round < 20; ++round) {
        HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        capi::WorkerThread worker;
        ASSERT_TRUE(worker.Start(L"test worker", [go] { WaitForSingleObject(go, INFINITE); }));
        std::atomic<int> joined{0};
        std::vector<std::thread> joiners;
        for (int j = 0; j < 3; ++j) joiners.emplace_back([&] { joined += worker.Join(10000) ? 1 : 0; });
        SetEvent(go);
        for (std::thread& t : joiners) t.join();
        EXPECT_EQ(joined, 3) << "round " << round;
        EXPECT_FALSE(worker.Running());
        // Still usable: the handle was closed once, and the worker starts again.
        ASSERT_TRUE(worker.Start(L"test worker", [] {}));
        EXPECT_TRUE(worker.Join(10000));
        CloseHandle(go);
    }
}

// A stop that gave up on a slow thread leaves the worker holding it; once that thread has ended
// by itself, the worker starts a new one (while it still runs, it refuses).
TEST(WorkerThreadTest, AThreadThatOutlivedAJoinAndThenEndedCanBeStartedAgain) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    capi::WorkerThread worker;
    std::atomic<bool> ended{false};
    ASSERT_TRUE(worker.Start(L"test worker", [&] {
        WaitForSingleObject(go, INFINITE);
        ended = true;
    }));
    EXPECT_FALSE(worker.Join(0)) << "the body still runs";
    EXPECT_FALSE(worker.Start(L"test worker", [] {})) << "a running thread is not replaced";
    SetEvent(go);
    ASSERT_TRUE(support::Eventually([&] { return ended.load() && !worker.Running(); }));

    std::atomic<bool> secondRan{false};
    ASSERT_TRUE(worker.Start(L"test worker", [&] { secondRan = true; }));
    EXPECT_TRUE(worker.Join(static_cast<DWORD>(support::kPatience.count())));
    EXPECT_TRUE(secondRan);
    CloseHandle(go);
}

TEST(WorkerThreadTest, AThreadCannotJoinItself) {
    capi::WorkerThread worker;
    std::atomic<int> selfJoin{-1};
    ASSERT_TRUE(worker.Start(L"test worker", [&] { selfJoin = worker.Join(1000) ? 1 : 0; }));
    ASSERT_TRUE(worker.Join(10000));
    EXPECT_EQ(selfJoin, 0);
}

// A joiner waits without holding the worker: the thread it waits for may ask after itself (as a
// body asks whether its worker still runs) and end, and the join sees it end.
TEST(WorkerThreadTest, AThreadThatAsksAfterItselfWhileJoinedEndsAndIsJoined) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    capi::WorkerThread worker;
    std::atomic<int> askedRunning{-1};
    ASSERT_TRUE(worker.Start(L"test worker", [&] {
        WaitForSingleObject(go, INFINITE);
        askedRunning = worker.Running() ? 1 : 0;
    }));
    std::atomic<bool> joining{false};
    std::atomic<int> joined{-1};
    std::thread joiner([&] {
        joining = true;
        joined = worker.Join(static_cast<DWORD>(support::kPatience.count())) ? 1 : 0;
    });
    while (!joining) Sleep(1);
    // Lets the joiner reach its wait before the body asks; the join must end however it falls.
    Sleep(200);
    SetEvent(go);
    joiner.join();
    EXPECT_EQ(joined, 1) << "the join saw the thread end within its bound";
    EXPECT_EQ(askedRunning, 1);
    EXPECT_FALSE(worker.Running());
    CloseHandle(go);
}

}  // namespace
