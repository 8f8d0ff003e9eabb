// Demonstration traffic on the models of the second register map, read over the wire: a Brevix-H
// and a Brevix-J count errored frames of every kind they have, but neither alignment errors nor
// dribble bits.

#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"

#include "WireHelpers.h"
#include "support/Waiting.h"

#include <chrono>

namespace {

class DemoModelTest : public wire::ModelTest, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        auto deviceSide = OpenPair();
        ASSERT_TRUE(deviceSide);
        full_ = std::make_unique<sim::FullTester>(std::move(deviceSide), GetParam(), L"");
        full_->Start();
        demo_ = std::make_unique<sim::DemoTraffic>(*full_);
        demo_->Start();
    }
    void TearDown() override {
        demo_.reset();
        full_.reset();
    }

    std::unique_ptr<sim::FullTester> full_;
    std::unique_ptr<sim::DemoTraffic> demo_;
};

TEST_P(DemoModelTest, BurstCountsTheErrorKindsOfTheModel) {
    using sim::CounterBanks;
    demo_->StartErrorBurst(0);
    // Port A's block A on the second map; the burst counts every kind in the same step.
    std::vector<uint64_t> block;
    ASSERT_TRUE(support::Eventually([&] {
        block = Read64(0x42600000, 42);
        return block.size() == 42 && block[CounterBanks::kCrc] > 0;
    }));
    EXPECT_GT(block[CounterBanks::kUnderSize], 0u);
    EXPECT_GT(block[CounterBanks::kOverSize], 0u);
    EXPECT_GT(block[CounterBanks::kIpChecksum], 0u);
    EXPECT_EQ(block[CounterBanks::kAlignment], 0u);
    EXPECT_EQ(block[CounterBanks::kDribble], 0u);
    EXPECT_GT(block[CounterBanks::kPauseFrames], 0u) << "the mix goes on beside the burst";
}

// Both models report a 10G link (the link report's rule for them): their traffic runs beyond a
// gigabit line's rate and within ten gigabits, as the Rx line rate register (bits a second, the
// 20 bytes of preamble and gap counted) and the Rx byte counter over a second of it show.
TEST_P(DemoModelTest, TrafficRunsAtTheRatesOfTheTenGigabitLinkTheModelReports) {
    using sim::CounterBanks;
    EXPECT_EQ(ReadRegister(0x400000D4) & 0x101, 0x101u) << "both ports' links are up";
    uint32_t rate = 0;
    ASSERT_TRUE(support::Eventually([&] {
        rate = ReadRegister(0x42600000 + CounterBanks::kRxLineRate);
        return rate > 0;
    }));
    EXPECT_GT(rate, 1000000000u) << "more than a gigabit line carries";
    EXPECT_LT(rate, 0xFFFFFFFFu) << "within the register";
    const std::vector<uint64_t> before = Read64(0x42600000 + CounterBanks::kRxBytes, 1);
    const auto start = std::chrono::steady_clock::now();
    Sleep(1000);
    const std::vector<uint64_t> after = Read64(0x42600000 + CounterBanks::kRxBytes, 1);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_LT(double(after[0] - before[0]) * 8 / seconds, 10e9) << "no more than a 10G line carries";
}

INSTANTIATE_TEST_SUITE_P(SecondMap, DemoModelTest, testing::Values(3, 4));

}  // namespace
