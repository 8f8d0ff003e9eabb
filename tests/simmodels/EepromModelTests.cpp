// The 93C56 model answers the EEPROM command register the way the host library drives it: a read
// command followed by a read of the register, and word writes framed by write enable and disable.

#include "sim/Eeprom93C56.h"

#include "WireHelpers.h"

using wire::Get32;

namespace {

constexpr uint32_t kCommand = 0x40000030;
constexpr uint8_t kSelector = 1;
constexpr uint32_t kN = uint32_t(kSelector) << 28;

class EepromModelTest : public wire::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        if (HasFatalFailure()) return;
        eeprom_ = std::make_unique<sim::Eeprom93C56>(*tester_, kSelector);
        tester_->Start();
    }

    std::unique_ptr<sim::Eeprom93C56> eeprom_;
};

TEST_F(EepromModelTest, ReadCommandsLeaveEachWordForTheNextRegisterRead) {
    eeprom_->SetWord(16, 0x6542);
    eeprom_->SetWord(17, 0x6572);
    const wire::Bytes reply = Exchange(wire::General({{kCommand, 0x80000000 | kN | 16 << 16},
                                                      {0x80000000 | kCommand, 0},
                                                      {kCommand, 0x80000000 | kN | 17 << 16},
                                                      {0x80000000 | kCommand, 0}}));
    ASSERT_GE(reply.size(), 48u);
    EXPECT_EQ(Get32(reply, 20), 0x80000000 | kN | 16 << 16) << "the command echoed";
    EXPECT_EQ(Get32(reply, 24), 0xC0000030u);
    EXPECT_EQ(Get32(reply, 28), 0x6542u);
    EXPECT_EQ(Get32(reply, 44), 0x6572u);
}

TEST_F(EepromModelTest, WordsChangeOnlyBetweenWriteEnableAndDisable) {
    Exchange(wire::General({{kCommand, kN | 5 << 16 | 0x1111}}));
    EXPECT_EQ(eeprom_->Word(5), 0u);
    EXPECT_EQ(eeprom_->RefusedWrites(), 1u);

    Exchange(wire::General({{kCommand, kN | 0x08000000},
                            {kCommand, kN | 5 << 16 | 0x1234},
                            {kCommand, kN | 127 << 16 | 0xBEEF},
                            {kCommand, kN | 0x04000000}}));
    EXPECT_EQ(eeprom_->Word(5), 0x1234u);
    EXPECT_EQ(eeprom_->Word(127), 0xBEEFu);
    EXPECT_FALSE(eeprom_->WriteEnabled());
}

TEST_F(EepromModelTest, CommandsForAnotherSelectorReachNoChip) {
    eeprom_->SetWord(0, 0x4242);
    const wire::Bytes reply = Exchange(wire::General({{kCommand, 0x80000000 | 0 << 16}, {0x80000000 | kCommand, 0}}));
    ASSERT_GE(reply.size(), 32u);
    EXPECT_EQ(Get32(reply, 28), 0xFFFFu);
    Exchange(wire::General({{kCommand, 0x08000000}}));
    EXPECT_FALSE(eeprom_->WriteEnabled());
}

}  // namespace
