// The second register map (machine ids 3 and 4): counter slots, the two-port poll, the poll
// selector, the 1 ms counter stack, Tx table words, tiny gap, the PHY mode bits of the port
// configuration, and the EEPROM over the USB channel.

#include "BrevixCCounters.h"
#include "BrevixCEeprom.h"
#include "BrevixCPorts.h"
#include "BrevixCTx.h"
#include "counters/Counters.h"
#include "device/DeviceBench.h"
#include "device/FakeUsb.h"

#include <cstring>
#include <memory>

using bench::Rates;
using bench::Statistics;
using bench::The;
using sim::CounterBanks;

namespace {

size_t ReadsOf(uint32_t start) {
    size_t count = 0;
    for (const bench::Bytes& f : bench::LibraryCommands()) count += f[14] == 3 && bench::Get32(f, 16) == start;
    return count;
}

// Returns once the counter poller has finished a round that began after the call: the round under
// way when it was called may have started before anything the caller changed.
void WholePollRoundPassed() {
    const uint32_t now = capi::PollRounds();
    ASSERT_TRUE(support::Eventually([now] { return capi::PollRounds() - now >= 2; })) << "the counter poller stopped";
}

// Puts the poll selector back for the next case, however this one ends.
struct PollSelectorRestore {
    ~PollSelectorRestore() { capi::SetPollSelector(255); }
};

class SecondMapTest : public bench::DeviceTest {
protected:
    CounterBanks& banks = *The().counters;
};

TEST_F(SecondMapTest, DribbleAndAlignmentSlotsStayZero) {
    // From zero, as a fresh tester: the values below then arrive only with a poll of this case.
    banks.Set(0, CounterBanks::BlockA(5), 0);
    banks.Set(1, CounterBanks::BlockB(11), 0);
    banks.Set(1, CounterBanks::kTxBytes, 0);
    ASSERT_TRUE(support::Eventually([] {
        return Statistics(0).counter[5] == 0 && Statistics(1).counter[376 / 8] == 0 && Statistics(1).txBytes == 0;
    }));
    The().tester->ClearLog();
    // Port A's first block is read first in a round, so its value goes in last: the round that
    // finds it finds the others too, and its rate is that round's.
    banks.Set(1, CounterBanks::BlockB(11), 1111);
    banks.Set(1, CounterBanks::kTxBytes, 0x123456789);
    banks.Set(0, CounterBanks::BlockA(6), 66);
    banks.Set(0, CounterBanks::BlockA(7), 77);
    banks.Set(0, CounterBanks::BlockA(5), 55);
    ASSERT_TRUE(support::Eventually([] {
        return Statistics(0).counter[5] == 55 && Statistics(1).counter[376 / 8] == 1111 &&
               Statistics(1).txBytes == 0x123456789;
    }));
    EXPECT_EQ(Statistics(0).counter[BREVIXC_COUNTER_DRIBBLE], 0u);
    EXPECT_EQ(Statistics(0).counter[BREVIXC_COUNTER_ALIGNMENT], 0u);
    BrevixC_PortCounters_T rates;
    ASSERT_EQ(BrevixC_ReadCounterRate(0, &rates), 1);
    EXPECT_EQ(rates.counter[BREVIXC_COUNTER_DRIBBLE], 0u) << "the rate slot is left alone";
    EXPECT_EQ(rates.counter[5], 55u);
    // Each port's blocks are read with 42 entries, Port A's then Port B's.
    EXPECT_GE(ReadsOf(0x426000C0), 1u);
    EXPECT_GE(ReadsOf(0x446000C0), 1u);
}

TEST_F(SecondMapTest, PollSelectorChoosesThePortsAndStopsPolling) {
    const PollSelectorRestore restore;
    capi::SetPollSelector(1);
    WholePollRoundPassed();
    // Every round that logs from here on began after the change.
    The().tester->ClearLog();
    WholePollRoundPassed();
    bench::HandledByTester();
    EXPECT_GE(ReadsOf(0x44600000), 1u) << "Port B is polled";
    EXPECT_EQ(ReadsOf(0x42600000), 0u) << "Port A is not";

    capi::SetPollSelector(254);
    WholePollRoundPassed();
    const BrevixC_PortCounters_T before = Statistics(1);
    const uint64_t fresh = before.counter[1] + 4242;
    banks.Set(1, CounterBanks::BlockA(1), fresh);
    The().tester->ClearLog();
    WholePollRoundPassed();
    EXPECT_EQ(BrevixC_GetLinkStatus(), 1);
    // Anything the rounds or the link call sent has reached the tester before this read.
    bench::HandledByTester();
    EXPECT_EQ(ReadsOf(0x42600000) + ReadsOf(0x44600000) + ReadsOf(0x44400000), 0u) << "nothing polled";
    for (const bench::Bytes& f : bench::LibraryCommands()) {
        EXPECT_FALSE(f[14] == 1 && bench::Get32(f, 16) == 0x400000D4) << "no link request either";
    }
    const BrevixC_PortCounters_T after = Statistics(1);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "the last values stay";
    capi::SetPollSelector(255);
    EXPECT_TRUE(support::Eventually([fresh] { return Statistics(1).counter[1] == fresh; }));
}

TEST_F(SecondMapTest, CounterStackArrivesAsItsMessage) {
    banks.SetMsStack(0, {0x00010002, 0x0003FFFF});
    ASSERT_EQ(BrevixC_ReadMsCounterStack(0), 1);
    const auto stack = support::CallbackRecorder::Instance().WaitForType(0x0101, support::kPatience);
    ASSERT_EQ(stack.bytes.size(), 1200u);
    EXPECT_EQ(bench::Le16(stack.bytes, 18), 1);
    EXPECT_EQ(bench::Le16(stack.bytes, 20), 2);
    EXPECT_EQ(bench::Le16(stack.bytes, 22), 3);
    EXPECT_EQ(bench::Le16(stack.bytes, 24), 0x7FFF) << "the low fifteen bits";
    EXPECT_EQ(bench::Le32(stack.bytes, 26), -1) << "the end of the samples";
}

std::unique_ptr<BrevixC_TxEntry_T> Entry(uint32_t index, uint16_t frameLength) {
    auto entry = std::make_unique<BrevixC_TxEntry_T>();
    std::memset(entry.get(), 0, sizeof *entry);
    entry->entry = index;
    entry->interBurstGap = 80;
    entry->interFrameGap = 96;
    entry->frameLength = frameLength;
    entry->option23 = 1;
    entry->modifierMode[0] = 1;
    entry->modifierMode[1] = 2;
    entry->modifierMode[2] = 3;
    entry->modifierHigh = 0xAB;
    entry->modifierRange = 0x123;
    entry->extension1 = 0x5555;
    entry->payloadLength = 8;
    std::memset(entry->payload, 0xEE, 8);
    return entry;
}

TEST_F(SecondMapTest, TxEntriesUseTheSecondMapsTablesAndTwelveByteGaps) {
    sim::TxTables& tables = *The().tables;
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(63, 70)), 1);
    ASSERT_EQ(BrevixC_FillTxPkt_Addentry(*Entry(62, 72)), 1);
    bench::HandledByTester();
    // 70 bytes leave 10 of a 12-byte unit: both gaps grow by 2. Option 23 becomes option value 1.
    EXPECT_EQ(tables.Descriptor(0, 63), (std::array<uint32_t, 4>{0, 0x10000000 | 70, 12, 14}));
    EXPECT_EQ(tables.Descriptor(0, 62), (std::array<uint32_t, 4>{0, 0x10000000 | 72, 10, 12}));
    EXPECT_EQ(tables.Extension(0, 63), (std::array<uint32_t, 2>{0, 0x55550000}));
    const uint32_t g0 = 2u << 30 | 1u << 28 | 3u << 26 | 0x123u << 12;
    EXPECT_EQ(tables.Modifiers(0, 62), (std::array<uint32_t, 4>{g0, 0xAB000000, g0, 0xAB000000}))
        << "an entry's row carries the next entry's modifiers";
    EXPECT_EQ(tables.Modifiers(0, 63), (std::array<uint32_t, 4>{g0, 0xAB000000, 0, 0})) << "entry 63 has no next";
    EXPECT_EQ(tables.Payload(0, 63), (std::vector<uint32_t>{0xEEEEEEEE, 0xEEEEEEEE}));
}

TEST_F(SecondMapTest, TinyGapSwitchesEachPort) {
    // The switch writes go out without waiting for their echo.
    ASSERT_EQ(BrevixC_TinyGAP(1, 1), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x43000130, 0x100), 0x100);
    ASSERT_EQ(BrevixC_TinyGAP(255, 0), 1);
    EXPECT_EQ(bench::ArrivedWrite(0x41000130, 0), 0);
    EXPECT_EQ(bench::ArrivedWrite(0x43000130, 0), 0);
}

// Byte 28 has no value that leaves it unchanged: every record sets the port's two mode bits of
// the PHY control register (bits 17-18 for Port A, 1-2 for Port B).
TEST_F(SecondMapTest, PortConfigurationAlwaysSetsThePortsPhyModeBits) {
    BrevixC_PortConfig_T config = bench::UnchangedPortConfig(0);
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    const int64_t all = bench::LastWrite(0x400000D0);
    EXPECT_EQ((all >> 17) & 3, 3) << "a record of 0xFF bytes";
    config.phyMode = 0xFE;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    EXPECT_EQ(bench::LastWrite(0x400000D0), (all & ~(3 << 17)) | 2 << 17) << "two bits, nothing else";
    config.port = 1;
    config.phyMode = 1;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    EXPECT_EQ(bench::LastWrite(0x400000D0), (all & ~(3 << 17) & ~(3 << 1)) | 2 << 17 | 1 << 1);
}

TEST_F(SecondMapTest, EepromGoesOverTheUsbChannel) {
    fakeusb::Unit& unit = fakeusb::TheUnit();
    unit.writes.clear();
    unit.failReadAtBlock = -1;
    for (int i = 0; i < 256; ++i) unit.eeprom[i] = uint8_t(255 - i);
    ASSERT_EQ(BrevixC_93C56_Read(), 1);
    EXPECT_EQ(std::memcmp(eeprom_93c56, unit.eeprom.data(), 256), 0);
    EXPECT_EQ(bench::Messages(0xFE00).size(), 1u);
    EXPECT_EQ(unit.opened, unit.closed);

    ASSERT_EQ(BrevixC_93C56_Init(support::CallbackRecorder::Callback), 1);
    support::CallbackRecorder::Instance().Clear();
    eeprom_93c56[2 * 16] = 0x42;
    ASSERT_TRUE(BrevixC_93C56_Write(0, 17));
    ASSERT_EQ(unit.writes.size(), 2u);
    EXPECT_EQ(unit.writes[1][0], 16) << "the second chunk starts at word 16";
    EXPECT_EQ(unit.writes[1][4], 1) << "with one word";
    EXPECT_EQ(unit.writes[1][10], 0x42);
    EXPECT_EQ(bench::Messages(0xFE00).size(), 1u);

    unit.failReadAtBlock = 7;
    support::CallbackRecorder::Instance().Clear();
    EXPECT_EQ(BrevixC_93C56_Read(), 1) << "seven blocks came";
    EXPECT_TRUE(bench::Messages(0xFE00).empty()) << "but the read is not complete";
    unit.failReadAtBlock = 0;
    EXPECT_EQ(BrevixC_93C56_Read(), 0) << "nothing came";
    EXPECT_EQ(unit.opened, unit.closed);
    unit.failReadAtBlock = -1;
}

}  // namespace
