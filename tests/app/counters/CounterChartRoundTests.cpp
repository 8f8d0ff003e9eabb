// The chart's per-second lines around a Port B link flap on a Brevix-J, while the tester answers
// Port B's status reads after the library has stopped waiting for them: the library counts its
// round before it takes Port B's copy as new, and the chart still draws the real rate, never a
// second of two.
#include "BrevixCTx.h"
#include "charts/ChartData.h"
#include "CounterWindowBench.h"
#include "sim/CounterBanks.h"
#include "support/gui/Pump.h"
#include "support/Waiting.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace appbench;
using namespace countertest;
using support::gui::PumpUntil;

namespace {

const DWORD kPatience = static_cast<DWORD>(support::kPatience.count());
constexpr double kFramesPerSecond = 100000;
// Port B's Tx Packet line in the chart's histories.
constexpr int kPortBTxPackets = charts::kLineSeries + 1;
// Longer than the library waits for a reply in the test runs (100 ms), shorter than a round.
constexpr auto kLateBy = std::chrono::milliseconds(400);
constexpr int kLateRounds = 12;

class CounterChartRoundTest : public CounterWindowBench {
protected:
    void SetLinkB(bool up) {
        sim::LinkState link = tester_->Phys().Link(1);
        link.up = up;
        tester_->Phys().SetLink(1, link);
    }
};

TEST_F(CounterChartRoundTest, LateStatusRepliesAfterALinkFlapDrawNoSecondOfTwo) {
    StartTester(4);
    sim::CounterBanks& banks = tester_->Counters();
    banks.SetTraffic(1, kFramesPerSecond, 64);
    // Shared with the tester's receive thread, which outlives this test's frame.
    struct Lateness {
        std::atomic<bool> on{false};
        std::atomic<int> served{0};
    };
    const auto late = std::make_shared<Lateness>();
    const uint32_t statusB = banks.Base(1) + banks.StatusOffset();
    tester_->Device().Registers().OnRead(statusB, [late, &banks](uint32_t) {
        if (late->on) {
            std::this_thread::sleep_for(kLateBy);
            ++late->served;
        }
        return static_cast<uint32_t>(banks.Get(1, banks.StatusOffset()));
    });
    BoxAnswers boxes;
    double highest = 0;
    int counted = 0;
    RunAndExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ShowPort(dialog, 1);
        ASSERT_TRUE(PumpUntil([&] { return dialog.portCounterWindow.RowValue(0) == L"Link Up"; }, kPatience));
        ASSERT_EQ(1, BrevixC_StartTxPkt(1, 0x00010001, 1, 1000, 0));
        const auto lastLine = [&] {
            const int last = charts::chartData.samples - 1;
            return last < 0 ? 0.0 : charts::chartData.lineHistory[kPortBTxPackets][last];
        };
        ASSERT_TRUE(PumpUntil([&] { return lastLine() > 0.8 * kFramesPerSecond && lastLine() < charts::kNoValue; },
                              kPatience));

        const int first = charts::chartData.samples;
        SetLinkB(false);
        const int downAt = charts::chartData.samples;
        ASSERT_TRUE(PumpUntil([&] { return charts::chartData.samples >= downAt + 2; }, kPatience));
        SetLinkB(true);
        late->on = true;
        ASSERT_TRUE(PumpUntil([&] { return late->served >= 2 * kLateRounds; }, kPatience * 2));
        late->on = false;
        // Two samples more: the last late round's copy has reached the chart.
        const int after = charts::chartData.samples;
        ASSERT_TRUE(PumpUntil([&] { return charts::chartData.samples >= after + 2; }, kPatience));
        BrevixC_StopTxPkt(1);
        for (int sample = first;
             sample < charts::chartData.samples; ++sample) {
            const double value = charts::chartData.lineHistory[kPortBTxPackets][sample];
            if (value >= charts::kNoValue) continue;
            highest = std::max(highest, value);
            ++counted;
        }
    });
    EXPECT_GT(counted, kLateRounds);
    EXPECT_LT(highest, 1.3 * kFramesPerSecond) << "a sample drew more than the port sent";
    EXPECT_GT(highest, 0.8 * kFramesPerSecond);
}

}  // namespace
