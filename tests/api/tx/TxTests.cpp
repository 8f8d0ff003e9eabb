// Tx stream tables and traffic on the first register map: the words of an entry, refusals in TAP
// mode, field changes, run parameters and commands, and the host's own frames.

#include "BrevixCTx.h"
#include "device/DeviceBench.h"

#include <cstring>
#include <memory>
#include <thread>

using bench::LastWrite;
using bench::The;

namespace {

std::unique_ptr<BrevixC_TxEntry_T> Entry(uint32_t port, uint32_t index) {
    auto entry = std::make_unique<BrevixC_TxEntry_T>();
    std::memset(entry.get(), 0, sizeof *entry);
    entry->port = port;
    entry->entry = index;
    entry->interBurstGap = 80;
    entry->interFrameGap = 96;
    entry->loopCount = 3;
    entry->loopCountLow = 7;
    entry->optionHigh = 2;
    entry->burstMode = 2;
    entry->frameLength = 128;
    entry->extension0 = 0xAAAA;
    entry->modifierMode[0] = 1;
    entry->modifierMode[1] = 2;
    entry->modifierMode[2] = 3;
    entry->modifierHigh = 0x12;
    entry->modifierLow = 0x34;
    entry->modifierRange = 0x567;
    entry->payloadLength = 1200;
    for (int i = 0; i < 1200; ++i) entry->payload[i] = uint8_t(i);
    return entry;
}

class TxTest : public bench::DeviceTest {
protected:
    sim::TxTables& tables = *The().tables;
};

TEST_F(TxTest, EntryWordsAndAThousandPayloadBytesReachTheFirstMapsTables) {
    // The port's Tx configuration as the connection's set-up leaves it (16-bit loop counts).
    ASSERT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    char model[32] = {};
    ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(1, 5)), 1);
    bench::HandledByTester();
    // Loop count 3:7; option 2 and frame length 128; burst mode 2 in D2 bit 31 and D1 bit 15;
    // gaps in units of 8 bytes.
    EXPECT_EQ(tables.Descriptor(1, 5), (std::array<uint32_t, 4>{0x00030007, 0x20008080, 0x8000000A, 12}));
    EXPECT_EQ(tables.Extension(1, 5), (std::array<uint32_t, 2>{0xAAAA0000, 0}));
    EXPECT_EQ(tables.Modifiers(1, 5), (std::array<uint32_t, 4>{1u << 31 | 1u << 26 | 1u << 21, 0x12003400, 0x05670000, 0}));
    const std::vector<uint32_t> payload = tables.Payload(1, 5);
    ASSERT_EQ(payload.size(), 250u) << "the first 1000 bytes";
    EXPECT_EQ(payload[0], 0x00010203u);
    EXPECT_EQ(payload[249], uint32_t(996 % 256) << 24 | uint32_t(997 % 256) << 16 | uint32_t(998 % 256) << 8 | 999 % 256);
}

TEST_F(TxTest, ShortPayloadGoesOutInWholeWords) {
    auto entry = Entry(0, 63);
    entry->payloadLength = 6;
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*entry), 1);
    bench::HandledByTester();
    EXPECT_EQ(tables.Payload(0, 63), (std::vector<uint32_t>{0x00010203, 0x04050607}));
}

TEST_F(TxTest, CallsThatNeedPacketGeneratorModeRefuseInTapModeAndSendNothing) {
    ASSERT_EQ(BrevixC_SYS_ChangeToTAPMode(), 1);
    The().tester->ClearLog();
    EXPECT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(0, 1)), 0);
    BrevixC_TxModify_T modify;
    std::memset(&modify, 0xFF, sizeof modify);
    modify.port = 0;
    modify.field = BREVIXC_TX_FRAME_LENGTH;
    EXPECT_FALSE(BrevixC_FillTxPkt_ModifyEntry(modify));
    EXPECT_EQ(BrevixC_FillTxPkt_TxConfig(0, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(BrevixC_StartTxConfig(0, 0, 0, 0, 0), 0);
    EXPECT_EQ(BrevixC_StartTxPkt(255, 0, 0, 0, 0), 0);
    EXPECT_EQ(BrevixC_StopTxPkt(0), 0);
    EXPECT_EQ(BrevixC_PauseTxPkt(1), 0);
    EXPECT_EQ(BrevixC_ResumeTxPkt(255), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());
    ASSERT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
    The().tester->ClearLog();
    EXPECT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(0, 64)), 0) << "no entry 64";
    EXPECT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(2, 0)), 0);
    EXPECT_EQ(BrevixC_StopTxPkt(3), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());
}

// The record's 32-bit port word: 255 as a whole means both ports, otherwise byte 0 is the port.
TEST_F(TxTest, EntryAndModifyTakeTheirPortFromByteZeroOfThePortWord) {
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(0x00000101, 9)), 1);
    bench::HandledByTester();
    EXPECT_EQ(tables.Descriptor(1, 9)[3], 12u) << "Port B's table";
    BrevixC_TxModify_T modify;
    std::memset(&modify, 0xFF, sizeof modify);
    modify.port = 0x7F000001;
    modify.field = BREVIXC_TX_FRAME_LENGTH;
    modify.value[9] = 300;
    ASSERT_TRUE(BrevixC_FillTxPkt_ModifyEntry(modify));
    bench::HandledByTester();
    EXPECT_EQ(tables.Descriptor(1, 9)[1] & 0x3FFF, 300u);
    EXPECT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(0x00000102, 9)), 0) << "byte 0 names no port";
}

TEST_F(TxTest, ModifyChangesOneFieldOfTheEntriesGivenAValue) {
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(0, 0)), 1);
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(0, 2)), 1);
    bench::HandledByTester();
    The().tester->ClearLog();
    BrevixC_TxModify_T modify;
    std::memset(&modify, 0xFF, sizeof modify);
    modify.port = 0;
    modify.field = BREVIXC_TX_FRAME_LENGTH;
    modify.value[0] = 100;
    modify.value[2] = 0x4000 | 200;  // fourteen bits
    ASSERT_TRUE(BrevixC_FillTxPkt_ModifyEntry(modify));
    bench::HandledByTester();
    EXPECT_EQ(bench::WrittenPairs(), (std::vector<std::pair<uint32_t, uint32_t>>{{0x42200004, 0x20008000 | 100},
                                                                                {0x42200024, 0x20008000 | 200}}));
    modify.field = 12;
    EXPECT_FALSE(BrevixC_FillTxPkt_ModifyEntry(modify));
}

TEST_F(TxTest, ModifyOfEveryEntrySendsFramesOfThirtyTwoPairs) {
    BrevixC_TxModify_T modify;
    std::memset(&modify, 0, sizeof modify);
    modify.port = 1;
    modify.field = BREVIXC_TX_BURST_MODE;  // two pairs an entry: D1 and D2
    ASSERT_TRUE(BrevixC_FillTxPkt_ModifyEntry(modify));
    bench::HandledByTester();
    std::vector<size_t> counts;
    // The poller's reads may come between them.
    for (const bench::Bytes& f : bench::LibraryCommands()) {
        if ((bench::Get32(f, 16) & 0xFFFFF000) == 0x44200000) counts.push_back(f[15]);
    }
    EXPECT_EQ(counts, (std::vector<size_t>{32, 32, 32, 32}));
}

TEST_F(TxTest, ConfigurationRunParametersAndCommands) {
    // Byte fields of 255 leave their bits alone; the gap's halves likewise with 0xFFFFFFFF.
    ASSERT_EQ(BrevixC_FillTxPkt_TxConfig(1, 0xFFFF0101, 0x01FF0305, 0x01FFFFFF, 0x01000000, 0x1234, 0xFFFFFFFF, 0), 1);
    EXPECT_EQ(LastWrite(0x430000E0), 0x000A0300 | 1 << 11 | 1 << 10 | 0x53 | 1 << 12);
    EXPECT_EQ(LastWrite(0x430000E8), 0x12340000);
    EXPECT_EQ(LastWrite(0x430000F4), 0x02000000 | 1 << 26 | 1 << 10);

    ASSERT_EQ(BrevixC_StartTxPkt(0, 0x00030102, 0x10005, 777, 0), 1);
    EXPECT_EQ(LastWrite(0x410000F4) & 0x01FF01FF, 0x01020003) << "streams from the mode word's halves";
    EXPECT_EQ(LastWrite(0x410000F8), 5);
    EXPECT_EQ(LastWrite(0x410000FC), 777);
    // Commands go out without waiting for their echo.
    EXPECT_EQ(bench::ArrivedWrite(0x410000F0, 8), 8) << "start";
    EXPECT_TRUE(The().counters->Transmitting(0));

    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_StartTxPkt(255, 0, 0, 0, 0), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x40000080, 0x08080000), 0x08080000);
    EXPECT_EQ(bench::WrittenPairs().size(), 1u) << "both ports start with their parameters as they were";
    EXPECT_TRUE(The().counters->Transmitting(1));
    ASSERT_EQ(BrevixC_PauseTxPkt(1), 1);
    EXPECT_TRUE(support::Eventually([] { return !The().counters->Transmitting(1); }));
    ASSERT_EQ(BrevixC_ResumeTxPkt(1), 1);
    EXPECT_TRUE(support::Eventually([] { return The().counters->Transmitting(1); }));
    ASSERT_EQ(BrevixC_StopTxPkt(255), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x40000080, 0x04040000), 0x04040000);
    EXPECT_FALSE(The().counters->Transmitting(0));
    EXPECT_FALSE(The().counters->Transmitting(1));
}

TEST_F(TxTest, GapSettings) {
    // The gap writes go out without waiting for their echo.
    ASSERT_EQ(BrevixC_SetTxGap(40), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x400000F0, 15), 15);
    ASSERT_EQ(BrevixC_SetTxGap(0x107), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x400000F0, 7), 7) << "the low byte";
    ASSERT_EQ(BrevixC_TinyGAP(255, 1), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x400000CC, 0x300), 0x300);
    EXPECT_EQ(BrevixC_TinyGAP(0, 1), 0) << "the first map switches both ports together";
}

TEST_F(TxTest, HostFramesGoThroughTheNamedPortOnceSendingIsOn) {
    ASSERT_EQ(BrevixC_EnableTxSend(1, 1, 0, 0, 0), 1);
    EXPECT_EQ(LastWrite(0x40000054), 0x1100) << "Port A still off";
    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_EnableTxSend(1, 1, 0, 0, 0), 1);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty()) << "nothing changed";

    std::vector<uint8_t> frame(64, 0);
    frame[6] = 0x03;
    frame[12] = 0x08;
    const uint64_t before = The().counters->HostFrames(1);
    ASSERT_EQ(BrevixC_TxSend(1, frame.data(), uint32_t(frame.size())), 1);
    EXPECT_TRUE(support::Eventually([&] { return The().counters->HostFrames(1) == before + 1; }));
    EXPECT_EQ(BrevixC_TxSend(1, nullptr, 64), 0);
    EXPECT_EQ(BrevixC_TxSend(1, frame.data(), 0), 0);
    EXPECT_EQ(BrevixC_TxSend(2, frame.data(), 64), 0);
    EXPECT_EQ(BrevixC_EnableTxSend(2, 1, 0, 0, 0), 0);
    ASSERT_EQ(BrevixC_EnableTxSend(1, 0, 0, 0, 0), 1);
    EXPECT_EQ(LastWrite(0x40000054), 0x1101);
}

// One register holds both ports' switches: calls for the two ports at the same time must not
// write each other's old setting last.
TEST_F(TxTest, HostSendingSwitchedForBothPortsAtOnceEndsWithBothSwitches) {
    for (int round = 0; round < 10; ++round) {
        for (uint8_t enable : {1, 0}) {
            std::thread portA([enable] { BrevixC_EnableTxSend(0, enable, 0, 0, 0); });
            BrevixC_EnableTxSend(1, enable, 0, 0, 0);
            portA.join();
            ASSERT_EQ(LastWrite(0x40000054), enable ? 0x1000 : 0x1101) << "round " << round;
        }
    }
}

}  // namespace
