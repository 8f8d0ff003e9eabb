// The 93C56 model answers the EEPROM command register the way the host library drives it: a read
// command followed by a read of the register, and word writes framed by write enable and disable.

#include "sim/Eeprom93C56.h"
#include "sim/TesterModel.h"

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
    EXPECT_EQ(eeprom_->Word(5), 0xFFFFu) << "still erased";
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

class TesterModelEepromTest : public wire::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        if (HasFatalFailure()) return;
        model_ = std::make_unique<sim::TesterModel>(*tester_, 1);
        tester_->Start();
    }

    uint32_t ReadWord(uint8_t selector, uint8_t word) {
        const wire::Bytes reply = Exchange(wire::General(
            {{kCommand, 0x80000000 | uint32_t(selector) << 28 | uint32_t(word) << 16}, {0x80000000 | kCommand, 0}}));
        return reply.size() < 32 ? 0 : Get32(reply, 28);
    }

    std::unique_ptr<sim::TesterModel> model_;
};

TEST_F(TesterModelEepromTest, IdentityLivesInTheOneChipOfTheMachinePlayed) {
    sim::TesterIdentity identity;
    identity.model = "Brevix-CF";
    identity.mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    model_->SetIdentity(identity);
    EXPECT_EQ(model_->Eeprom().Word(16), 0x7242u) << "'B' in the low byte, 'r' in the high";
    EXPECT_EQ(ReadWord(0, 16), 0x7242u);
    EXPECT_EQ(ReadWord(0, 66), 0x5F4Eu);
    EXPECT_EQ(ReadWord(0, 100), 0xFFFFu) << "erased";

    // The host writes the same chip that holds the identity.
    Exchange(wire::General({{kCommand, 0x08000000}, {kCommand, 17u << 16 | 0x4141}, {kCommand, 0x04000000}}));
    EXPECT_EQ(ReadWord(0, 17), 0x4141u);

    model_->SetMachineId(2);  // Brevix-A answers selector 1
    EXPECT_EQ(ReadWord(0, 16), 0xFFFFu);
    EXPECT_EQ(ReadWord(1, 16), 0x7242u);
}

}  // namespace
