// Demonstration traffic on the models of the second register map, read over the wire: a Brevix-H
// and a Brevix-J count errored frames of every kind they have, but neither alignment errors nor
// dribble bits.

#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"

#include "WireHelpers.h"

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

INSTANTIATE_TEST_SUITE_P(SecondMap, DemoModelTest, testing::Values(3, 4));

}  // namespace
