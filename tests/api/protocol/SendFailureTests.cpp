// What the library does with a write it could not send: the host-sending switch stays as it
// was, the 93C56 calls on the register path stop at the first block that did not go out and
// announce nothing for it, and a PHY read whose result read did not go out waits for nothing. A
// PHY read from the receive thread, which would wait for its own delivery, is refused.

#include "BrevixCEeprom.h"
#include "BrevixCPorts.h"
#include "BrevixCTx.h"
#include "device/SendFailures.h"
#include "runtime/HostMessages.h"

#include <atomic>
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

constexpr uint32_t kPhyResultRead = 0xC00000DC;

long long MillisecondsOf(const std::function<void()>& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(SendFailureTest, PhyReadsWhoseResultReadIsNotSentFailAtOnceAndReportNothing) {
    {
        const Refusal refusal([](const bench::Bytes& f) { return FirstRegisterIs(f, kPhyResultRead); });
        EXPECT_LT(MillisecondsOf([] { EXPECT_EQ(BrevixC_ReadPHY(0, 2), 0); }), 1000);
        EXPECT_LT(MillisecondsOf([] { EXPECT_EQ(BrevixC_GetSFPStatus(1), -1); }), 1000) << "register 28";
        EXPECT_LT(MillisecondsOf([] { EXPECT_EQ(BrevixC_SetAutoMDIX(0, 2), 0); }), 1000);
    }
    EXPECT_TRUE(bench::Messages(0xFF00).empty()) << "no PHY is lost";
    EXPECT_TRUE(bench::Messages(0xFE00).empty()) << "no media detection failed";
    EXPECT_TRUE(bench::Messages(0x0600).empty());
    // The next read goes out and is answered.
    The().phys->SetRegister(0, 2, 0x0143);
    ASSERT_EQ(BrevixC_ReadPHY(0, 2), 1);
    const auto results = bench::Messages(0x0600);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(bench::Le16(results[0].bytes, 20), 0x0143);
}

// A host callback that reads a PHY when the tester's PHY notice reaches it, on the receive thread.
std::atomic<int> readResult{-2};
std::atomic<long long> readMilliseconds{-1};

void WINAPI ReadPhyOnNotice(const uint8_t* message, int32_t length, uint32_t seconds, uint32_t microseconds) {
    support::CallbackRecorder::Callback(message, length, seconds, microseconds);
    if ((message[14] << 8 | message[15]) != BREVIXC_MSG_PHY_NOTICE || readResult != -2) return;
    int result = 0;
    readMilliseconds = MillisecondsOf([&] { result = BrevixC_ReadPHY(0, 2); });
    readResult = result;
}

TEST_F(SendFailureTest, PhyReadFromTheReceiveThreadIsRefusedAtOnce) {
    capi::SetHostCallback(ReadPhyOnNotice);
    ASSERT_TRUE(The().tester->SendNotice(10, 1));
    const bool called = support::Eventually([] { return readResult != -2; });
    capi::SetHostCallback(support::CallbackRecorder::Callback);
    ASSERT_TRUE(called);
    EXPECT_EQ(readResult, 0);
    EXPECT_LT(readMilliseconds, 1000);
    EXPECT_TRUE(bench::Messages(0xFF00).empty()) << "no PHY is lost";
    // The receive thread goes on delivering: a read beside it is answered.
    The().phys->SetRegister(0, 2, 0x0143);
    EXPECT_EQ(BrevixC_ReadPHY(0, 2), 1);
}

}  // namespace
