// Counters and rates against the simulated tester: the statistics and rate blocks after polls,
// a poll published whole or not at all, clearing, the copies' refusals, traffic from a running
// port, the stream counters and their clearing, and the 1 ms reads.

#include "BrevixCCounters.h"
#include "BrevixCTx.h"
#include "device/DeviceBench.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

using namespace std::chrono_literals;
using bench::Rates;
using bench::Statistics;
using bench::The;
using sim::CounterBanks;

namespace {

// Waits for the poll that brings a statistic (the poller reads once a second).
bool PolledUntil(uint8_t port, const std::function<bool(const BrevixC_PortCounters_T&)>& seen) {
    return support::Eventually([&] { return seen(Statistics(port)); });
}

class CounterTest : public testing::Test {
protected:
    CounterBanks& banks = *The().counters;
};

TEST_F(CounterTest, TwoPollsGiveTheValuesAndTheirIncreaseInEverySlotAndTheTail) {
    struct Value {
        uint32_t offset;  // in the simulated bank
        uint64_t first, second;
    };
    const Value values[] = {
        {CounterBanks::BlockA(0), 1000, 1250},          // slot 0
        {CounterBanks::BlockA(19), 7, 9},               // slot 19
        {CounterBanks::BlockA(21), 0x100000000, 0x100000010},  // slot 20
        {CounterBanks::BlockA(35), 3535, 3600},         // byte 312
        {CounterBanks::BlockA(41), 41, 41},             // byte 288
        {CounterBanks::BlockB(0), 500, 600},            // byte 296
        {CounterBanks::BlockB(11), 1100, 1111},         // byte 376
        {CounterBanks::kTxPackets, 0x500000005, 0x500000105},  // byte 400
        {CounterBanks::kRxBytes, 777, 999},               // byte 384
        {CounterBanks::kTraffic214, 214, 314},            // byte 432
        {CounterBanks::kTraffic304, 304, 404},            // byte 448
    };
    for (const Value& v : values) banks.Set(1, v.offset, v.first);
    banks.Set(1, CounterBanks::kRxLineRate, 940);
    banks.Set(1, CounterBanks::kTxPacketRate, 1488095);
    banks.Set(1, banks.StatusOffset(), 0x55);
    banks.SetBlockCount(1, 0xFFFF0003);
    ASSERT_TRUE(PolledUntil(1, [](auto& s) { return s.counter[0] == 1000 && s.traffic448 == 304; }));

    for (const Value& v : values) banks.Set(1, v.offset, v.second);
    ASSERT_TRUE(PolledUntil(1, [](auto& s) { return s.counter[0] == 1250 && s.traffic448 == 404; }));
    const BrevixC_PortCounters_T s = Statistics(1);
    const BrevixC_PortCounters_T r = Rates(1);
    EXPECT_EQ(s.counter[19], 9u);
    EXPECT_EQ(r.counter[19], 2u);
    EXPECT_EQ(s.counter[20], 0x100000010u);
    EXPECT_EQ(r.counter[20], 0x10u);
    EXPECT_EQ(s.counter[312 / 8], 3600u);
    EXPECT_EQ(r.counter[312 / 8], 65u);
    EXPECT_EQ(r.counter[288 / 8], 0u) << "unchanged";
    EXPECT_EQ(s.counter[288 / 8], 41u);
    EXPECT_EQ(r.counter[296 / 8], 100u);
    EXPECT_EQ(r.counter[376 / 8], 11u);
    EXPECT_EQ(s.txPackets, 0x500000105u);
    EXPECT_EQ(r.txPackets, 0x100u);
    EXPECT_EQ(r.rxBytes, 222u);
    EXPECT_EQ(r.traffic432, 100u);
    EXPECT_EQ(s.rxLineRate, 940u);
    EXPECT_EQ(r.rxLineRate, 940u) << "rates are the same in both blocks";
    EXPECT_EQ(r.txPacketRate, 1488095u);
    EXPECT_EQ(s.captureBlocksFull, 0u);
    EXPECT_EQ(r.captureBlocksFull, 0xFFFFu) << "the capture store reads full";
    EXPECT_EQ(s.statusRegister, 0u);
    EXPECT_EQ(r.statusRegister, 0x55u);
}

TEST_F(CounterTest, CounterThatWentDownRatesZero) {
    banks.Set(0, CounterBanks::BlockA(8), 90);
    ASSERT_TRUE(PolledUntil(0, [](auto& s) { return s.counter[BREVIXC_COUNTER_CRC] == 90; }));
    banks.Set(0, CounterBanks::BlockA(8), 30);
    ASSERT_TRUE(PolledUntil(0, [](auto& s) { return s.counter[BREVIXC_COUNTER_CRC] == 30; }));
    EXPECT_EQ(Rates(0).counter[BREVIXC_COUNTER_CRC], 0u);
}

TEST_F(CounterTest, ClearZeroesTheTestersCountersAndTheStatisticsButNotTheRates) {
    banks.Set(0, CounterBanks::BlockA(3), 10);
    banks.Set(0, CounterBanks::kTxBytes, 4000);
    banks.Set(1, CounterBanks::BlockA(0), 1250);
    ASSERT_TRUE(PolledUntil(0, [](auto& s) { return s.counter[3] == 10 && s.txBytes == 4000; }));
    const BrevixC_PortCounters_T rates = Rates(0);

    ASSERT_EQ(BrevixC_ClearCounterStatistics(0), 1);
    const BrevixC_PortCounters_T cleared = Statistics(0);
    const BrevixC_PortCounters_T zero = {};
    EXPECT_EQ(std::memcmp(&cleared, &zero, sizeof zero), 0);
    // The clearing reads are not waited for: they reach the tester a little after the call.
    bench::HandledByTester();
    EXPECT_EQ(banks.Get(0, CounterBanks::BlockA(3)), 0u) << "the clearing reads cleared the tester";
    EXPECT_EQ(banks.Get(0, CounterBanks::kTxBytes), 0u);
    EXPECT_EQ(banks.Get(1, CounterBanks::BlockA(0)), 1250u) << "Port B keeps its counters";
    EXPECT_EQ(Rates(0).counter[3], rates.counter[3]);

    banks.Set(0, CounterBanks::BlockA(3), 40);
    ASSERT_TRUE(PolledUntil(0, [](auto& s) { return s.counter[3] == 40; }));
    EXPECT_EQ(Rates(0).counter[3], 40u) << "after a clear the rate is the whole new value";
}

// A host's own register calls at the addresses the poll's answers start with: a read of one
// register at a counter block's address is no block, and the echo of a write to the system ID
// register is no system ID.
TEST_F(CounterTest, AHostsReadAtACounterBlocksAddressLeavesTheCountersAndRates) {
    banks.Set(0, CounterBanks::BlockA(BREVIXC_COUNTER_UNICAST), 5000);
    ASSERT_TRUE(PolledUntil(0, [](auto& s) { return s.counter[BREVIXC_COUNTER_UNICAST] == 5000; }));
    ASSERT_TRUE(support::Eventually([] { return Rates(0).counter[BREVIXC_COUNTER_UNICAST] == 0; }))
        << "a poll that found the counter unchanged";
    uint32_t value = 0;
    ASSERT_TRUE(support::Eventually([&] { return BVT_Read(0x42000000, &value) == 1; }));
    // The counter does not move: through two poll rounds after the read its statistic stays and
    // its rate stays 0.
    const uint32_t start = BrevixC_ReadCounterPollRounds();
    uint64_t lowest = UINT64_MAX, highestRate = 0;
    const bool twoRounds = support::Eventually([&] {
        lowest = std::min<uint64_t>(lowest, Statistics(0).counter[BREVIXC_COUNTER_UNICAST]);
        highestRate = std::max<uint64_t>(highestRate, Rates(0).counter[BREVIXC_COUNTER_UNICAST]);
        return BrevixC_ReadCounterPollRounds() - start >= 2;
    });
    ASSERT_TRUE(twoRounds);
    EXPECT_EQ(lowest, 5000u);
    EXPECT_EQ(highestRate, 0u);
}

TEST_F(CounterTest, AHostsWriteOfTheSystemIdRegisterKeepsTheMachineAndItsMap) {
    ASSERT_EQ(BVT_Write(0x40000000, 0xDD802001), 1);  // a Brevix-J's system ID
    // The echo is handled before the reply of a later read.
    bench::HandledByTester();
    The().tester->Registers().Set(0x40000000, sim::SystemIdOf(1));
    EXPECT_EQ(BVX_Machine_ID, 1);
    banks.Set(1, CounterBanks::BlockA(BREVIXC_COUNTER_VLAN), 4444);
    EXPECT_TRUE(PolledUntil(1, [](auto& s) { return s.counter[BREVIXC_COUNTER_VLAN] == 4444; }))
        << "the poller reads the first map's counters still";
}

TEST_F(CounterTest, ClearWithoutAPortWritesTheTestersClearSwitchAndLeavesTheBlocks) {
    banks.Set(1, CounterBanks::BlockA(4), 44);
    ASSERT_TRUE(PolledUntil(1, [](auto& s) { return s.counter[4] == 44; }));
    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_ClearCounterStatistics(), 1);
    EXPECT_EQ(bench::LastWrite(0x40000054), 0x80000000);
    EXPECT_EQ(Statistics(1).counter[4], 44u);
}

// The statistics and rates of a poll become visible together, once the poll's last reply (the
// status register) has come: a poll that lost it shows nothing of what it read.
TEST_F(CounterTest, PollWithoutItsStatusReplyIsNotPublished) {
    banks.Set(1, CounterBanks::BlockA(0), 5000);
    ASSERT_TRUE(PolledUntil(1, [](auto& s) { return s.counter[0] == 5000; }));
    ASSERT_TRUE(support::Eventually([] { return Rates(1).counter[0] == 0; })) << "a second poll of 5000";
    const uint32_t statusRead = 0x80000000u | (banks.Base(1) + banks.StatusOffset());
    {
        const bench::Interception lost([&](const bench::Bytes& frame) {
            return frame[14] == 0 && bench::Get32(frame, 16) == statusRead;
        });
        banks.Set(1, CounterBanks::BlockA(0), 5100);
        The().tester->ClearLog();
        // Two of Port B's polls: the second reads the new value from its first frame on.
        ASSERT_TRUE(support::Eventually([&] {
            size_t polls = 0;
            for (const bench::Bytes& f : bench::LibraryCommands()) polls += f[14] == 0 && bench::Get32(f, 16) == statusRead;
            return polls >= 2;
        }));
        EXPECT_EQ(Statistics(1).counter[0], 5000u);
        EXPECT_EQ(Rates(1).counter[0], 0u) << "the rates are the last whole poll's too";
    }
    EXPECT_TRUE(PolledUntil(1, [](auto& s) { return s.counter[0] == 5100; }));
}

TEST_F(CounterTest, CopiesAndClearsRefuseOtherPortsAndNullRecords) {
    BrevixC_PortCounters_T block;
    EXPECT_EQ(BrevixC_ReadCounterStatistics(2, &block), 0);
    EXPECT_EQ(BrevixC_ReadCounterRate(255, &block), 0);
    EXPECT_EQ(BrevixC_ReadCounterStatistics(0, nullptr), 0);
    EXPECT_EQ(BrevixC_ReadCounterRate(1, nullptr), 0);
    EXPECT_EQ(BrevixC_ClearCounterStatistics(3), 0);
    BrevixC_Inner_Counter_T inner;
    std::memset(&inner, 0x5A, sizeof inner);
    EXPECT_EQ(BrevixC_ReadCounterStatistics(&inner), 1);
    EXPECT_EQ(inner.word[0] | inner.word[1] | inner.word[2], 0u);
    EXPECT_EQ(BrevixC_ReadCounterStatistics(static_cast<BrevixC_Inner_Counter_T*>(nullptr)), 0);
    BrevixC_TxStreamCounter_T tx;
    BrevixC_RxStreamCounter_T rx;
    BrevixC_RXVID_Report_T vid;
    EXPECT_EQ(BrevixC_ReadTXStreamCounterStatistics(0, 63, &tx), 1);
    EXPECT_EQ(BrevixC_ReadTXStreamCounterStatistics(0, 64, &tx), 0);
    EXPECT_EQ(BrevixC_ReadRXStreamCounterStatistics(1, 127, &rx), 1);
    EXPECT_EQ(BrevixC_ReadRXStreamCounterStatistics(1, 128, &rx), 0);
    EXPECT_EQ(BrevixC_ReadVIDStreamCounterStatistics(2, 0, &vid), 0);
    EXPECT_EQ(BrevixC_ReadVIDStreamCounterStatistics(0, 5, &vid), 1);
}

TEST_F(CounterTest, RunningTxMovesTheSendingAndReceivingPortsCounters) {
    banks.SetTraffic(0, 2000, 128);
    const uint64_t sent = Statistics(0).txPackets;
    const uint64_t received = Statistics(1).counter[BREVIXC_COUNTER_RX_PACKETS];
    ASSERT_EQ(BrevixC_StartTxPkt(0, 0x00010001, 1, 1000, 0), 1);
    EXPECT_TRUE(PolledUntil(0, [&](auto& s) { return s.txPackets > sent && s.txPacketRate == 2000; }));
    EXPECT_TRUE(PolledUntil(1, [&](auto& s) { return s.counter[BREVIXC_COUNTER_RX_PACKETS] > received; }));
    ASSERT_EQ(BrevixC_StopTxPkt(0), 1);
    EXPECT_TRUE(support::Eventually([&] { return !banks.Transmitting(0); }));
}

TEST_F(CounterTest, TxStreamCountersArriveWithThePoll) {
    banks.SetTxStream(0, 5, 0, 12345);
    banks.SetTxStream(0, 5, 1, 0x300000000);
    BrevixC_TxStreamCounter_T tx;
    ASSERT_TRUE(support::Eventually([&] {
        BrevixC_ReadTXStreamCounterStatistics(0, 5, &tx);
        return tx.first == 12345;
    }));
    EXPECT_EQ(tx.second, 0x300000000u);
    ASSERT_EQ(BrevixC_ClearTxStreamCounterStatistics(0), 1);
    BrevixC_ReadTXStreamCounterStatistics(0, 5, &tx);
    EXPECT_EQ(tx.first, 0u);
    bench::HandledByTester();
    EXPECT_EQ(banks.TxStream(0, 5, 0), 0u) << "the clearing read cleared the tester";
}

TEST_F(CounterTest, StreamClearsEmptyTheTestersBanksAndTheirOwnTables) {
    BrevixC_RxStreamConfig_T config = {};
    config.port = 0;
    config.classifier = 2;
    config.blocks = 0;  // 32 streams
    ASSERT_EQ(BrevixC_SetRxStreamCounterStatistics(config), 1);
    banks.SetTxStream(0, 3, 0, 300);
    banks.SetTxStream(1, 4, 0, 400);
    banks.SetRxStream(0, 7, 0, 700);
    banks.SetRxStream(0, 100, 0, 1000);  // in the fourth block, which the poll does not read
    BrevixC_TxStreamCounter_T tx;
    BrevixC_RxStreamCounter_T rx;
    auto txOf = [&](uint8_t port, uint16_t stream) {
        BrevixC_ReadTXStreamCounterStatistics(port, stream, &tx);
        return tx.first;
    };
    auto rxOf = [&](uint8_t port, uint16_t stream) {
        BrevixC_ReadRXStreamCounterStatistics(port, stream, &rx);
        return rx.at0;
    };
    ASSERT_TRUE(support::Eventually([&] { return txOf(0, 3) == 300 && txOf(1, 4) == 400 && rxOf(0, 7) == 700; }));

    ASSERT_EQ(BrevixC_ClearRxStreamCounterStatistics(0), 1);
    EXPECT_TRUE(support::Eventually([&] { return banks.RxStream(0, 7, 0) == 0 && banks.RxStream(0, 100, 0) == 0; }))
        << "all four blocks";
    EXPECT_TRUE(support::Eventually([&] { return rxOf(0, 7) == 0; }));
    EXPECT_EQ(txOf(0, 3), 300u) << "the Tx streams stay";

    ASSERT_EQ(BrevixC_ClearStreamCounterStatistics(255), 1);
    bench::HandledByTester();
    EXPECT_EQ(banks.TxStream(0, 3, 0), 0u);
    EXPECT_EQ(banks.TxStream(1, 4, 0), 0u);
    EXPECT_EQ(txOf(0, 3), 0u);
    EXPECT_EQ(txOf(1, 4), 0u);

    banks.SetRxStream(1, 5, 0, 55);
    ASSERT_EQ(BrevixC_ClearVIDStreamCounterStatistics(1), 1);
    EXPECT_TRUE(support::Eventually([&] { return banks.RxStream(1, 5, 0) == 0; })) << "the Rx stream clear reads";
    BrevixC_RXVID_Report_T vid;
    std::memset(&vid, 0x5A, sizeof vid);
    ASSERT_EQ(BrevixC_ReadVIDStreamCounterStatistics(1, 5, &vid), 1);
    const BrevixC_RXVID_Report_T zero = {};
    EXPECT_EQ(std::memcmp(&vid, &zero, sizeof vid), 0);

    The().tester->ClearLog();
    EXPECT_EQ(BrevixC_ClearStreamCounterStatistics(2), 0);
    EXPECT_EQ(BrevixC_ClearRxStreamCounterStatistics(3), 0);
    EXPECT_EQ(BrevixC_ClearVIDStreamCounterStatistics(254), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());
    config.classifier = 13;  // counting off again
    ASSERT_EQ(BrevixC_SetRxStreamCounterStatistics(config), 1);
}

TEST_F(CounterTest, RxStreamCountingWritesItsSetUpAndFillsTheStreamsItReads) {
    BrevixC_RxStreamConfig_T config = {};
    config.port = 1;
    config.classifier = 2;
    config.match = 0xABCDE;
    config.blocks = 1;  // 64 streams
    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_SetRxStreamCounterStatistics(config), 1);
    EXPECT_EQ(bench::LastWrite(0x4300003C), 0xC2) << "counting on, class 2";
    EXPECT_EQ(bench::LastWrite(0x43000034), 0xCDE) << "the match value through class 2's mask";
    EXPECT_EQ(bench::LastWrite(0x430000CC) & 0x140, 0);

    banks.SetRxStream(1, 33, 0, 0x1122334455667788);  // block 1: read because of the two blocks
    banks.SetRxStream(1, 33, 4, 0x0000000200000001);  // words 8 and 9
    BrevixC_RxStreamCounter_T rx;
    ASSERT_TRUE(support::Eventually([&] {
        BrevixC_ReadRXStreamCounterStatistics(1, 33, &rx);
        return rx.at0 == 0x1122334455667788;
    }));
    EXPECT_EQ(rx.at48, 0x0000000200000001u) << "the first layout puts words 8 and 9 at 48";

    config.classifier = 13;  // counting off; the mode and match registers are still written
    ASSERT_EQ(BrevixC_SetRxStreamCounterStatistics(config), 1);
    EXPECT_EQ(bench::LastWrite(0x4300003C), 0x0F);
    EXPECT_EQ(bench::LastWrite(0x43000034), 0xABCDE & 0x7FFF);
    config.port = 2;
    EXPECT_EQ(BrevixC_SetRxStreamCounterStatistics(config), 0);
    config.port = 0x00FF0001;  // byte 0 is the port
    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_SetRxStreamCounterStatistics(config), 1);
    EXPECT_EQ(bench::LastWrite(0x4300003C), 0x0F) << "Port B's mode register";
}

TEST_F(CounterTest, MillisecondReadsArriveAsMessages) {
    banks.Set(0, CounterBanks::kMsByteRate, 0x12345678);
    banks.Set(1, CounterBanks::kMsPacketRate, 0x18001);
    support::CallbackRecorder::Instance().Clear();
    EXPECT_EQ(BrevixC_ReadMsByteRate(0), 1);
    EXPECT_EQ(BrevixC_ReadMsPktRate(1), 1);
    const auto bytes = support::CallbackRecorder::Instance().WaitForType(0x0103, support::kPatience);
    const auto packets = support::CallbackRecorder::Instance().WaitForType(0x0102, support::kPatience);
    ASSERT_EQ(bytes.bytes.size(), 60u);
    EXPECT_EQ(bench::Le32(bytes.bytes, 18), 0x345678);
    ASSERT_EQ(packets.bytes.size(), 60u);
    EXPECT_EQ(bench::Le32(packets.bytes, 18), 1);
    EXPECT_EQ(BrevixC_ReadMsCounterStack(7), 1) << "another port reads nothing";
}

}  // namespace
