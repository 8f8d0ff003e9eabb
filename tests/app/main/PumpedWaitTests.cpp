// The program's own pumped wait: whole seconds while the thread's messages are dispatched, and a
// quit message left for the loop that owns it.
#include "main/Vorel_TAP_Test3Dlg.h"

#include <gtest/gtest.h>

namespace {

TEST(PumpedWait, QuitEndsTheWaitAndStaysQueuedForItsLoop) {
    ::PostQuitMessage(7);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(CVorel_TAP_Test3Dlg::WaitSecondsPumped(5));
    EXPECT_LT(::GetTickCount() - start, 2000u) << "no spinning on the quit until the time is up";
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

TEST(PumpedWait, OtherMessagesAreDispatchedWhileWaiting) {
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_TRUE(CVorel_TAP_Test3Dlg::WaitSecondsPumped(1));
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)) << "taken from the queue";
}

}  // namespace
