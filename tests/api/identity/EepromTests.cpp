// The 93C56 EEPROM against the simulated chip: the image's byte order, reading the whole chip
// with its completion event, and writing in chunks of 16 words.

#include "BrevixCEeprom.h"
#include "device/DeviceBench.h"

#include <thread>

using namespace std::chrono_literals;
using bench::The;

namespace {

constexpr uint32_t kCommandRegister = 0x40000030;

int CompletionEvents() {
    int count = 0;
    for (const auto& m : bench::Messages(0xFE00)) {
        count += bench::Le16(m.bytes, 16) == 0 && bench::Le32(m.bytes, 18) == 0x1E00 && bench::Le32(m.bytes, 22) == 1;
    }
    return count;
}

// The general commands to the EEPROM command register, as their pair counts.
std::vector<size_t> EepromFrames() {
    std::vector<size_t> frames;
    for (const bench::Bytes& f : bench::LibraryCommands()) {
        if (f[14] == 0 && bench::Get32(f, 16) == kCommandRegister) frames.push_back(f[15]);
    }
    return frames;
}

class EepromTest : public bench::DeviceTest {
protected:
    sim::Eeprom93C56& chip = *The().eeprom;
};

// BrevixC_SYS_Init takes the permission that BrevixC_93C56_Init gives.
TEST_F(EepromTest, WritesAreRefusedBeforeTheEepromInit) {
    ASSERT_EQ(BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0), 1);
    char model[32] = {};
    ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    The().tester->ClearLog();
    EXPECT_FALSE(BrevixC_93C56_Write(0, 1));
    EXPECT_TRUE(EepromFrames().empty());
}

TEST_F(EepromTest, SetDataStoresTheValueHighByteFirst) {
    EXPECT_TRUE(BrevixC_Set_93C56_Data(5, 0x1234));
    EXPECT_EQ(eeprom_93c56[10], 0x12);
    EXPECT_EQ(eeprom_93c56[11], 0x34);
    EXPECT_FALSE(BrevixC_Set_93C56_Data(0x80, 0xFFFF));
    EXPECT_EQ(BrevixC_93C56_Get(), eeprom_93c56);
}

TEST_F(EepromTest, ReadBringsEveryWordLowByteFirstAndAnnouncesTheEnd) {
    for (int word = 0; word < 128; ++word) chip.SetWord(uint8_t(word), uint16_t(0xA000 | word << 4 | 5));
    ASSERT_EQ(BrevixC_93C56_Read(), 1);
    ASSERT_TRUE(support::Eventually([] { return CompletionEvents() == 1; }));
    EXPECT_EQ(EepromFrames(), std::vector<size_t>(8, 32)) << "eight blocks of 16 words";
    for (int word : {0, 17, 112, 127}) {
        EXPECT_EQ(eeprom_93c56[2 * word], uint8_t(word << 4 | 5)) << word;
        EXPECT_EQ(eeprom_93c56[2 * word + 1], uint8_t(0xA0 | word >> 4)) << word;
    }
}

TEST_F(EepromTest, WriteSendsChunksOfSixteenWordsAndAnnouncesTheEndOnce) {
    ASSERT_EQ(BrevixC_93C56_Init(support::CallbackRecorder::Callback), 1);
    for (int word = 0; word < 17; ++word) {
        eeprom_93c56[2 * word] = uint8_t(word);
        eeprom_93c56[2 * word + 1] = 0x5A;
    }
    ASSERT_TRUE(BrevixC_93C56_Write(0, 17));
    EXPECT_EQ(EepromFrames(), (std::vector<size_t>{18, 3})) << "enable, the words, disable";
    ASSERT_TRUE(support::Eventually([] { return CompletionEvents() == 1; }));
    // A read's reply is handled after every echo of the write: none of them announced the end again.
    uint32_t value = 0;
    EXPECT_EQ(BVT_Read(0x40000004, &value), 1) << "the connection goes on after the EEPROM init";
    EXPECT_EQ(CompletionEvents(), 1);
    EXPECT_EQ(chip.Word(0), 0x5A00);
    EXPECT_EQ(chip.Word(16), 0x5A10);
    EXPECT_FALSE(chip.WriteEnabled());
}

TEST_F(EepromTest, WriteNearTheEndIsCutAtTheLastWordAndKeepsTheSetDataOrder) {
    ASSERT_EQ(BrevixC_93C56_Init(support::CallbackRecorder::Callback), 1);
    The().tester->ClearLog();
    support::CallbackRecorder::Instance().Clear();
    ASSERT_TRUE(BrevixC_Set_93C56_Data(120, 0x1234));
    ASSERT_TRUE(BrevixC_93C56_Write(120, 20));
    EXPECT_EQ(EepromFrames(), std::vector<size_t>{10}) << "words 120-127 in one chunk";
    EXPECT_EQ(chip.Word(120), 0x3412) << "Set_93C56_Data's high byte goes out as the low byte";
    ASSERT_TRUE(support::Eventually([] { return CompletionEvents() == 1; }));
    EXPECT_FALSE(BrevixC_93C56_Write(0x80, 1));
}

}  // namespace
