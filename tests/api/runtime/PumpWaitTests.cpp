// The library's waits measure time with the tick counter, which wraps to 0 after 49.7 days.

#include "runtime/PumpWait.h"

#include <gtest/gtest.h>

namespace {

TEST(TickTest, TimeMeasuredAcrossTheCountersWrapIsTheTimeThatPassed) {
    EXPECT_EQ(capi::TicksBetween(0xFFFFFFF0u, 0x00000005u), 21u);
    EXPECT_EQ(capi::TicksBetween(0xFFFFFFFFu, 0x00000000u), 1u);
    EXPECT_EQ(capi::TicksBetween(1000u, 1250u), 250u);
}

TEST(TickTest, APumpedWaitLastsItsTimeAndDispatchesWhatArrives) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its queue
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0));
    const DWORD start = GetTickCount();
    capi::PumpWait(60);
    EXPECT_GE(capi::TicksSince(start), 50u) << "the tick counter's grain is coarse";
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) << "dispatched during the wait";
}

// A quit that comes during a library's wait is the host's: it stays queued for the host's loop,
// and the device's pause keeps its length.
TEST(TickTest, AQuitDuringAPumpedWaitIsLeftForTheHostsLoop) {
    PostQuitMessage(9);
    const DWORD start = GetTickCount();
    capi::PumpWait(60);
    EXPECT_GE(capi::TicksSince(start), 50u) << "the tick counter's grain is coarse";
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(9u, message.wParam);
}

}  // namespace
