// A whole simulated tester answers as a Brevix-CF unit fresh from the factory: identity in its
// EEPROM, both links up, counters moving with the traffic of its link partners.

#include "sim/FullTester.h"

#include "WireHelpers.h"

#include "support/Environment.h"

#include <thread>

using namespace std::chrono_literals;
using wire::Get32;

namespace {

class FullTesterTest : public wire::ModelTest {
protected:
    void SetUp() override {
        auto deviceSide = OpenPair();
        ASSERT_TRUE(deviceSide);
        // A driver pipe of its own: the default name belongs to a running brevix-sim.
        full_ = std::make_unique<sim::FullTester>(std::move(deviceSide), 1, L"");
        full_->Start();
    }
    void TearDown() override { full_.reset(); }

    uint32_t EepromWord(uint8_t word) {
        const wire::Bytes reply =
            Exchange(wire::General({{0x40000030, 0x80000000 | uint32_t(word) << 16}, {0xC0000030, 0}}));
        return reply.size() < 32 ? 0 : Get32(reply, 28);
    }

    std::unique_ptr<sim::FullTester> full_;
};

TEST_F(FullTesterTest, AnswersAsABrevixCfWithBothLinksUp) {
    EXPECT_EQ(ReadRegister(0x40000000), 0xDD300000u) << "system ID of machine id 1";
    EXPECT_NE(ReadRegister(0x40000004), 0u) << "an FPGA version";
    EXPECT_EQ(EepromWord(16), uint32_t('B' | 'r' << 8));
    EXPECT_EQ(EepromWord(19), uint32_t('-' | 'C' << 8));
    EXPECT_EQ(EepromWord(20), uint32_t('F')) << "the model name ends";
    EXPECT_EQ(EepromWord(38), uint32_t('B' | 'V' << 8)) << "a serial number";
    EXPECT_EQ(EepromWord(48), uint32_t('2' | '0' << 8)) << "a product date";
    EXPECT_EQ(ReadRegister(0x400000D4), 0x1919u) << "both ports 1000 Mbit/s full duplex";
    EXPECT_FALSE(full_->Host().PipeName().empty());
}

TEST_F(FullTesterTest, CountersMoveWithoutAnyTx) {
    const auto before = Read64(0x42000000, 42);
    std::this_thread::sleep_for(200ms);
    const auto after = Read64(0x42000000, 42);
    ASSERT_EQ(before.size(), 42u);
    ASSERT_EQ(after.size(), 42u);
    EXPECT_GT(after[sim::CounterBanks::kRxPackets], before[sim::CounterBanks::kRxPackets]);
    EXPECT_GT(ReadRegister(0x42000114), 0u) << "an Rx packet rate";
    EXPECT_GT(ReadRegister(0x44000114), 0u);
}

}  // namespace
