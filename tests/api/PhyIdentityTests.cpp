// The PHY identification reads hold no lock across their pumped waits: a window message dispatched
// during them may make another thread identify a PHY and wait for that thread, as terminate waits
// for the PHY poller. Without a tester the reads are not sent, but every wait and pump still runs.

#include "Ports.h"
#include "RegisterHooks.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

namespace {

constexpr uint16_t kPhyTypeMark = 0x3A0;

// Filled by the window procedure on the identifying thread, read by the test after it.
HANDLE otherReturned;
std::thread other;
bool otherReturnedInTime = false;
uint16_t phyTypeWhileIdentifying = 0;

// WM_APP: another thread identifies Port B while this thread is inside Port A's identification,
// and this thread waits for it.
LRESULT CALLBACK IdentifyingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    other = std::thread([] {
        capi::GetPHYName(1);
        SetEvent(otherReturned);
    });
    otherReturnedInTime = WaitForSingleObject(otherReturned, DWORD(support::kPatience.count())) == WAIT_OBJECT_0;
    phyTypeWhileIdentifying = capi::Links().phyType[1];
    return 0;
}

TEST(PhyIdentificationTest, AnotherThreadIdentifyingDuringThePumpedWaitsIsNotHeldUp) {
    otherReturned = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(otherReturned, nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = IdentifyingWindow;
    windowClass.lpszClassName = L"BrevixIdentifyingWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"BrevixIdentifyingWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    capi::Links().phyType[1] = kPhyTypeMark;
    ASSERT_TRUE(PostMessageW(window, WM_APP, 0, 0));
    capi::GetPHYName(0);
    if (other.joinable()) other.join();
    EXPECT_TRUE(otherReturnedInTime) << "the other thread waited for this one's identification";
    EXPECT_EQ(phyTypeWhileIdentifying, kPhyTypeMark)
        << "an identification that finds another running leaves it alone";

    // Once the first has ended, the next runs: it starts by forgetting the port's PHY type.
    capi::Links().phyType[0] = kPhyTypeMark;
    std::thread later([] { capi::GetPHYName(0); });
    later.join();
    EXPECT_EQ(capi::Links().phyType[0], 0);

    capi::Links().phyType[1] = 0;
    DestroyWindow(window);
    CloseHandle(otherReturned);
}

}  // namespace
