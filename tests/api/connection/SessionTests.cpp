// The loss of the tester is reported once per connection, by whichever of the receive thread and
// the adapter watch notices it first.

#include "connection/Session.h"
#include "link/AdapterSource.h"
#include "runtime/HostMessages.h"
#include "LibraryThreads.h"
#include "ScriptedLink.h"
#include "support/CallbackRecorder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

using support::CallbackRecorder;

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        capi::SetHostCallback(CallbackRecorder::Callback);
        CallbackRecorder::Instance().Clear();
        capi::UseAdapterSource(&adapters_);
    }
    void TearDown() override {
        if (session_) session_->Stop();
        capi::UseAdapterSource(nullptr);
        capi::SetHostCallback(nullptr);
    }

    void Start(bool probeUnit) {
        session_ = std::make_shared<capi::Session>(std::make_shared<Forward>(link_), "\\Device\\NPF_{P}", probeUnit);
        ASSERT_TRUE(session_->StartServiceThreads());
    }

    static size_t LostMessages() { return CallbackRecorder::Instance().OfType(0xFF00).size(); }

    // The session owns its link; the test keeps the scripted one behind it.
    struct Forward : capi::Link {
        explicit Forward(std::shared_ptr<scripted::ScriptedLink> link) : link(std::move(link)) {}
        bool Send(const uint8_t* f, size_t n) override { return link->Send(f, n); }
        capi::ReceiveStatus Receive(capi::ReceivedFrame& f) override { return link->Receive(f); }
        void Interrupt() override { link->Interrupt(); }
        bool SetFilter(const std::string& e) override { return link->SetFilter(e); }
        std::shared_ptr<scripted::ScriptedLink> link;
    };

    scripted::ScriptedAdapters adapters_;
    std::shared_ptr<scripted::ScriptedLink> link_ = std::make_shared<scripted::ScriptedLink>();
    std::shared_ptr<capi::Session> session_;
};

TEST_F(SessionTest, ReadErrorReportsTheLossOnceWithTheLastFrameStamp) {
    Start(false);
    scripted::Bytes frame(60, 0);
    frame[12] = 0x08;
    link_->Deliver(frame);
    link_->Fail();
    const support::HostMessage lost = CallbackRecorder::Instance().WaitForType(0xFF00, support::kPatience);
    ASSERT_EQ(lost.Type(), 0xFF00);
    EXPECT_EQ(lost.bytes[16], 0);
    EXPECT_EQ(lost.bytes[18], 255);
    EXPECT_EQ(lost.stampSeconds, 100u);
    EXPECT_EQ(lost.stampMicroseconds, 200u);
    // The receive thread ends after its report: nothing is left to report again.
    EXPECT_TRUE(support::Eventually([] { return CountLibraryThreads(L"BrevixCAPI receive") == 0; }));
    EXPECT_EQ(LostMessages(), 1u);
    EXPECT_TRUE(session_->DeviceLost());
}

TEST_F(SessionTest, AdapterWatchReportsFirstAndTheReadErrorAddsNothing) {
    adapters_.up = false;
    Start(true);
    const support::HostMessage lost = CallbackRecorder::Instance().WaitForType(0xFF00, support::kPatience);
    ASSERT_EQ(lost.Type(), 0xFF00);
    EXPECT_EQ(lost.stampSeconds, 0u);
    link_->Fail();
    // Two failed reads: the receive thread has handled the first one.
    EXPECT_TRUE(support::Eventually([&] { return link_->FailedReads() >= 2; }));
    EXPECT_EQ(LostMessages(), 1u);
}

TEST_F(SessionTest, AdapterWatchLeavesUnitsNotFoundByTheProbeAlone) {
    adapters_.up = false;
    Start(false);
    // The watch ends at once for such a unit.
    EXPECT_TRUE(support::Eventually([] { return CountLibraryThreads(L"BrevixCAPI adapter watch") == 0; }));
    EXPECT_EQ(LostMessages(), 0u);
}

// The port-queue worker's pacing on a clock of one tick a microsecond, rounds due 20 ms apart.
constexpr int64_t kTicksPerSecond = 1000000;
constexpr int64_t kPeriod = 20000;

TEST(PortQueuePacing, EachPauseEndsWhenTheNextRoundIsDue) {
    struct Case {
        const char* name;
        int64_t due;  // when the round that ended was due
        int64_t now;  // when it ended
        DWORD pause;
        int64_t nextDue;
    };
    const Case cases[] = {
        {"a 3 ms round rests the 17 ms left of its period", 0, 3000, 17, 20000},
        {"a part of a millisecond left rounds up, so no round starts early", 0, 2500, 18, 20000},
        {"a round that woke late still rests only until the schedule's next round", 20000, 23000, 17, 40000},
        {"a round that ends as the next is due does not rest", 0, 20000, 0, 20000},
        {"an overrun does not rest and puts the schedule after it", 0, 45000, 0, 45000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t due = c.due;
        EXPECT_EQ(capi::NextRoundPause(&due, c.now, kPeriod, kTicksPerSecond), c.pause);
        EXPECT_EQ(due, c.nextDue);
    }
}

TEST(PortQueuePacing, FiftyRoundsTakeOneSecondWhateverEachRoundsWorkUnderAPeriod) {
    // A round's work is part of its period: rounds of 3 ms and of 19 ms alike come 50 a second,
    // the protocol's 20 blocks of frames every 20 ms.
    for (int64_t work : {int64_t(0), int64_t(3000), int64_t(19000)}) {
        SCOPED_TRACE(work);
        int64_t now = 0;
        int64_t due = 0;
        for (int round = 0; round < 50; ++round) {
            now += work;
            now += int64_t(capi::NextRoundPause(&due, now, kPeriod, kTicksPerSecond)) * 1000;
        }
        EXPECT_EQ(now, kTicksPerSecond);
    }
}

}  // namespace
