// What the library does with a write it could not send: the host-sending switch stays as it
// was, and the 93C56 calls on the register path stop at the first block that did not go out and
// announce nothing for it.

#include "BrevixCEeprom.h"
#include "BrevixCTx.h"
#include "device/SendFailures.h"

#include <thread>

using namespace std::chrono_literals;
using bench::The;
using sendfailures::Refusal;

namespace {

constexpr uint32_t kEepromCommandRegister = 0x40000030;
constexpr uint32_t kWriteEnable = 0x08000000;

bool FirstRegisterIs(const bench::Bytes& frame, uint32_t address) {
    return frame[14] == 0 && bench::Get32(frame, 16) == address;
}

// A chunk of a 93C56 write opens with the write enable command.
bool IsEepromChunk(const bench::Bytes& frame) {
    return FirstRegisterIs(frame, kEepromCommandRegister) && (bench::Get32(frame, 20) & kWriteEnable);
}

// The general commands to the EEPROM command register that reached the tester, as their pair counts.
std::vector<size_t> EepromFrames() {
    std::vector<size_t> frames;
    for (const bench::Bytes& f : bench::LibraryCommands()) {
        if (FirstRegisterIs(f, kEepromCommandRegister)) frames.push_back(f[15]);
    }
    return frames;
}

int CompletionEvents() {
    int count = 0;
    for (const auto& m : bench::Messages(0xFE00)) count += bench::Le32(m.bytes, 18) == 0x1E00;
    return count;
}

class SendFailureTest : public bench::DeviceTest {
protected:
    sim::Eeprom93C56& chip = *The().eeprom;
};

// The receive thread handles replies in order: once a later read is answered, every reply the
// tester sent before it has been handled.
void HandleTheRepliesSentSoFar() { bench::HandledByTester(); }

TEST_F(SendFailureTest, HostSendingSwitchChangesOnlyOnceItsWriteWentOut) {
    {
        const Refusal refusal([](const bench::Bytes& f) { return FirstRegisterIs(f, 0x40000054); });
        EXPECT_EQ(BrevixC_EnableTxSend(0, 1, 0, 0, 0), 0);
    }
    EXPECT_EQ(bench::LastWrite(0x40000054), -1);
    ASSERT_EQ(BrevixC_EnableTxSend(0, 1, 0, 0, 0), 1);
    EXPECT_EQ(bench::LastWrite(0x40000054), 0x1001) << "Port A was still off, so this call switches it on";
    ASSERT_EQ(BrevixC_EnableTxSend(0, 0, 0, 0, 0), 1);
    EXPECT_EQ(bench::LastWrite(0x40000054), 0x1101);
}

TEST_F(SendFailureTest, EepromWriteStopsAtTheFirstChunkNotSentAndLeavesNothingAwaited) {
    ASSERT_EQ(BrevixC_93C56_Init(support::CallbackRecorder::Callback), 1);
    for (uint8_t word = 0; word < 40; ++word) {
        eeprom_93c56[2 * word] = word;
        eeprom_93c56[2 * word + 1] = 0x33;
        chip.SetWord(word, 0);
    }
    // Words 0-39 go out in three chunks: 0-15, 16-31 and 32-39, the last one awaited.
    int chunks = 0;
    {
        const Refusal refusal([&](const bench::Bytes& f) { return IsEepromChunk(f) && ++chunks == 2; });
        EXPECT_FALSE(BrevixC_93C56_Write(0, 40));
    }
    EXPECT_EQ(chunks, 2) << "the third chunk was not tried";
    EXPECT_EQ(EepromFrames(), std::vector<size_t>{18});
    EXPECT_EQ(chip.Word(15), 0x330F);
    EXPECT_EQ(chip.Word(16), 0);

    chunks = 0;
    {
        const Refusal refusal([&](const bench::Bytes& f) { return IsEepromChunk(f) && ++chunks == 3; });
        EXPECT_FALSE(BrevixC_93C56_Write(0, 40));
    }
    EXPECT_EQ(chip.Word(31), 0x331F);
    EXPECT_EQ(chip.Word(32), 0);

    // A read answers block 32 among the others: had the write left word 32 awaited, that block's
    // reply would be announced as well as the read's last one.
    ASSERT_EQ(BrevixC_93C56_Read(), 1);
    ASSERT_TRUE(support::Eventually([] { return CompletionEvents() >= 1; }));
    HandleTheRepliesSentSoFar();
    EXPECT_EQ(CompletionEvents(), 1);
}

TEST_F(SendFailureTest, EepromReadFailsOnlyWhenNoBlockWentOut) {
    {
        const Refusal refusal([](const bench::Bytes& f) { return FirstRegisterIs(f, kEepromCommandRegister); });
        EXPECT_EQ(BrevixC_93C56_Read(), 0);
    }
    {
        // Block 112, the last: its command word carries the word address in bits 16-23.
        const Refusal refusal([](const bench::Bytes& f) {
            return FirstRegisterIs(f, kEepromCommandRegister) && ((bench::Get32(f, 20) >> 16) & 0xFF) == 112;
        });
        EXPECT_EQ(BrevixC_93C56_Read(), 1) << "seven blocks went out";
    }
    EXPECT_EQ(EepromFrames(), std::vector<size_t>(7, 32));
    HandleTheRepliesSentSoFar();
    EXPECT_EQ(CompletionEvents(), 0) << "the last block's reply announces the end";
}

TEST_F(SendFailureTest, NicModeGivesZeroWhenItsWriteIsNotSent) {
    {
        const Refusal refusal([](const bench::Bytes& f) { return FirstRegisterIs(f, 0x41000010); });
        EXPECT_EQ(BrevixC_SYS_SetNICMode(0, 1), 0);
    }
    EXPECT_EQ(BrevixC_SYS_SetNICMode(0, 1), 1);
    EXPECT_EQ(BrevixC_SYS_SetNICMode(0, 0), 1);
}

}  // namespace
