// The PHY identification reads hold no lock across their pumped waits: a window message dispatched
// during them may make another thread identify a PHY and wait for that thread, as terminate waits
// for the PHY poller. Without a tester the reads are not sent, but every wait and pump still runs.

#include "ports/LinkReports.h"
#include "ports/Ports.h"
#include "support/AppMessageWindow.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

namespace {

constexpr uint16_t kPhyTypeMark = 0x3A0;

TEST(PhyIdentificationTest, AnotherThreadIdentifyingDuringThePumpedWaitsIsNotHeldUp) {
    HANDLE otherReturned = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(otherReturned, nullptr);
    std::thread other;
    bool otherReturnedInTime = false;
    uint16_t phyTypeWhileIdentifying = 0;
    // Dispatched inside Port A's identification: another thread identifies Port B, and this
    // thread waits for it.
    const support::AppMessageWindow window([&] {
        other = std::thread([otherReturned] {
            capi::GetPHYName(1);
            SetEvent(otherReturned);
        });
        otherReturnedInTime = WaitForSingleObject(otherReturned, DWORD(support::kPatience.count())) == WAIT_OBJECT_0;
        phyTypeWhileIdentifying = capi::Links().phyType[1];
    });

    capi::Links().phyType[1] = kPhyTypeMark;
    ASSERT_TRUE(window.Post());
    capi::GetPHYName(0);
    // A thread still held up is left behind with its handle, so that the case fails instead of
    // waiting for it for ever.
    if (other.joinable()) otherReturnedInTime ? other.join() : other.detach();
    EXPECT_TRUE(otherReturnedInTime) << "the other thread waited for this one's identification";
    EXPECT_EQ(phyTypeWhileIdentifying, kPhyTypeMark)
        << "an identification that finds another running leaves it alone";

    // Once the first has ended, the next runs: it starts by forgetting the port's PHY type.
    capi::Links().phyType[0] = kPhyTypeMark;
    std::thread later([] { capi::GetPHYName(0); });
    later.join();
    EXPECT_EQ(capi::Links().phyType[0], 0);

    capi::Links().phyType[1] = 0;
    if (otherReturnedInTime) CloseHandle(otherReturned);
}

}  // namespace
