// The counter banks answer the host's counter reads on both register maps: 64-bit blocks low
// word first, 32-bit traffic counters with their high word latched, read-to-clear images, stream
// banks, the 1 ms registers, and traffic that moves the counters while a port's Tx runs.

#include "sim/CounterBanks.h"

#include "WireHelpers.h"

#include <thread>

using namespace std::chrono_literals;
using sim::CounterBanks;
using sim::RegisterMap;
using wire::Get32;

namespace {

class CounterBankTest : public wire::ModelTest, public testing::WithParamInterface<RegisterMap> {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        if (HasFatalFailure()) return;
        banks_ = std::make_unique<CounterBanks>(*tester_, GetParam());
        tester_->Start();
    }

    uint64_t TxPacketsOnTheWire(int port) {
        const wire::Bytes reply = Exchange(wire::General({{0x80000000 | (banks_->Base(port) + 0x200), 0},
                                                          {0x80000000 | 0x4000002C, 0}}));
        return reply.size() < 32 ? 0 : Get32(reply, 20) | uint64_t(Get32(reply, 28)) << 32;
    }

    std::unique_ptr<CounterBanks> banks_;
};

TEST_P(CounterBankTest, BlocksAnswerSixtyFourBitValues) {
    banks_->Set(0, CounterBanks::BlockA(3), 0x100000002ull);
    banks_->Set(1, CounterBanks::BlockB(11), 0xFFFFFFFFFull);
    const auto blockA = Read64(banks_->Base(0), 42);
    const auto blockB = Read64(banks_->Base(1) + CounterBanks::kBlockB, 12);
    ASSERT_EQ(blockA.size(), 42u);
    ASSERT_EQ(blockB.size(), 12u);
    EXPECT_EQ(blockA[3], 0x100000002ull);
    EXPECT_EQ(blockA[4], 0u);
    EXPECT_EQ(blockB[11], 0xFFFFFFFFFull);
}

TEST_P(CounterBankTest, StatusRegisterIsAnEntryOfTheBlockRead) {
    // Entries lie 4 bytes apart: block A entry 20 is base + 0x50 (the first map's status
    // register), block B entry 12 is base + 0xF0 (the second map's).
    banks_->Set(0, banks_->StatusOffset(), 0x5151);
    const bool first = GetParam() == RegisterMap::First;
    const auto block = first ? Read64(banks_->Base(0), 42) : Read64(banks_->Base(0) + CounterBanks::kBlockB, 42);
    ASSERT_EQ(block.size(), 42u);
    EXPECT_EQ(block.at(first ? 20 : 12), 0x5151u);
}

TEST_P(CounterBankTest, ThirtyTwoBitReadOfATrafficCounterLatchesItsHighWord) {
    banks_->Set(0, CounterBanks::kTxBytes, 0x0000000A0000000Bull);
    banks_->Set(0, CounterBanks::kRxBytes, 0x0000000C0000000Dull);
    banks_->Set(0, CounterBanks::kTxLineRate, 940);
    const uint32_t base = banks_->Base(0);
    const wire::Bytes reply = Exchange(wire::General({{0x80000000 | (base + 0x300), 0},
                                                      {0xC000002C, 0},
                                                      {0x80000000 | (base + 0x100), 0},
                                                      {0xC000002C, 0},
                                                      {0x80000000 | (base + 0x310), 0}}));
    ASSERT_GE(reply.size(), 56u);
    EXPECT_EQ(Get32(reply, 20), 0xBu);
    EXPECT_EQ(Get32(reply, 28), 0xAu);
    EXPECT_EQ(Get32(reply, 36), 0xDu);
    EXPECT_EQ(Get32(reply, 44), 0xCu);
    EXPECT_EQ(Get32(reply, 52), 940u);
}

TEST_P(CounterBankTest, ClearImageReadsAnswerTheValueAndZeroIt) {
    banks_->Set(1, CounterBanks::BlockA(5), 99);
    banks_->Set(1, CounterBanks::kTxPackets, 1234);
    const wire::Bytes block = Exchange(wire::SequentialRead(banks_->Base(1) + banks_->ClearOffset(), 42));
    ASSERT_GE(block.size(), 20u + 4 * 42);
    EXPECT_EQ(Get32(block, 20 + 4 * 5), 99u);
    EXPECT_EQ(ReadRegister(banks_->Base(1) + banks_->TrafficClearOffset() + CounterBanks::kTxPackets), 1234u);
    EXPECT_EQ(banks_->Get(1, CounterBanks::BlockA(5)), 0u);
    EXPECT_EQ(banks_->Get(1, CounterBanks::kTxPackets), 0u);
}

// Port A's clear addresses as the host sends them: the block's 42 words, and the traffic
// registers' images (Rx bytes, Tx packets, Tx bytes). The second map moves the bank to 0x42600000
// and its block image to 0x42680000, the traffic images to 0x42640000.
TEST_P(CounterBankTest, ClearAddressesOfTheMapClearEveryCounterTogether) {
    const bool first = GetParam() == RegisterMap::First;
    const uint32_t blockClear = first ? 0x42040000 : 0x42680000;
    const uint32_t trafficClear = first ? 0x42040000 : 0x42640000;
    for (uint32_t offset : {CounterBanks::BlockA(CounterBanks::kRxPackets), CounterBanks::BlockA(CounterBanks::kSize64),
                            uint32_t(CounterBanks::kRxBytes), uint32_t(CounterBanks::kTxPackets),
                            uint32_t(CounterBanks::kTxBytes)}) {
        banks_->Set(0, offset, 777);
    }
    Exchange(wire::SequentialRead(blockClear, 42));
    Exchange(wire::General({{0x80000000 | (trafficClear + 0x100), 0},
                            {0x80000000 | (trafficClear + 0x200), 0},
                            {0x80000000 | (trafficClear + 0x300), 0}}));
    EXPECT_EQ(banks_->Get(0, CounterBanks::BlockA(CounterBanks::kRxPackets)), 0u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::BlockA(CounterBanks::kSize64)), 0u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::kRxBytes), 0u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::kTxPackets), 0u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::kTxBytes), 0u);
}

TEST_P(CounterBankTest, StreamBanksAnswerAndClear) {
    banks_->SetTxStream(0, 3, 1, 0x123456789ull);
    banks_->SetRxStream(1, 17, 2, 0xABCDEF01ull);  // block 0, second half, stream 1 of it
    banks_->SetRxStream(1, 40, 0, 5);              // block 1
    banks_->SetVid(0, 5, 0x77);

    EXPECT_EQ(Read64(banks_->TxStreamBase(0), 128).at(2 * 3 + 1), 0x123456789ull);
    EXPECT_EQ(Read64(banks_->RxStreamBase(1) + 512, 128).at(8 * 1 + 2), 0xABCDEF01ull);
    EXPECT_EQ(Read64(banks_->RxStreamBase(1) + 1024, 128).at(8 * 8), 5u);
    const wire::Bytes vid = Exchange(wire::SequentialRead(banks_->VidBase(0), 128));
    ASSERT_GE(vid.size(), 20u + 4 * 128);
    EXPECT_EQ(Get32(vid, 20 + 4 * 5), 0x77u);

    Exchange(wire::SequentialRead(banks_->RxStreamBase(1) + banks_->StreamClearOffset(), 256));
    EXPECT_EQ(banks_->RxStream(1, 17, 2), 0u) << "block 0 cleared";
    EXPECT_EQ(banks_->RxStream(1, 40, 0), 5u) << "block 1 kept";
    Exchange(wire::SequentialRead(banks_->TxStreamBase(0) + banks_->StreamClearOffset(), 128));
    EXPECT_EQ(banks_->TxStream(0, 3, 1), 0u);
}

TEST_P(CounterBankTest, MillisecondRegistersAndStackAnswer) {
    banks_->Set(1, CounterBanks::kMsByteRate, 0x123456);
    banks_->Set(1, CounterBanks::kMsPacketRate, 0x7FFF);
    banks_->SetMsStack(0, {0x00010002, 0x00030004});
    EXPECT_EQ(ReadRegister(banks_->Base(1) + CounterBanks::kMsByteRate), 0x123456u);
    EXPECT_EQ(ReadRegister(banks_->Base(1) + CounterBanks::kMsPacketRate), 0x7FFFu);
    const wire::Bytes stack = Exchange(wire::SequentialRead(CounterBanks::kMsStack, 256));
    ASSERT_EQ(stack.size(), 20u + 4 * 256);
    EXPECT_EQ(Get32(stack, 20), 0x00010002u);
    EXPECT_EQ(Get32(stack, 24), 0x00030004u);
    EXPECT_EQ(Get32(stack, 28), 0xFFFFFFFFu) << "the end of the samples";
}

TEST_P(CounterBankTest, RunningTxMovesBothPortsCountersUntilStopped) {
    banks_->SetTraffic(0, 1000, 128);
    WriteRegister(0x410000F0, 8);  // Port A: start
    EXPECT_TRUE(banks_->Transmitting(0));
    EXPECT_EQ(ReadRegister(banks_->Base(0) + CounterBanks::kTxPacketRate), 1000u);
    EXPECT_EQ(ReadRegister(banks_->Base(1) + CounterBanks::kRxPacketRate), 1000u);
    // Bits per second on the wire: each 128-byte frame with its preamble and gap, 148 bytes.
    EXPECT_EQ(ReadRegister(banks_->Base(0) + CounterBanks::kTxLineRate), 1184000u);
    EXPECT_EQ(ReadRegister(banks_->Base(1) + CounterBanks::kRxLineRate), 1184000u);
    std::this_thread::sleep_for(200ms);
    const uint64_t sent = TxPacketsOnTheWire(0);
    EXPECT_GE(sent, 100u);
    EXPECT_LE(sent, 1000u);

    WriteRegister(0x40000080, 0x04000000);  // shared command: Port A stop
    EXPECT_FALSE(banks_->Transmitting(0));
    const uint64_t stopped = banks_->Get(0, CounterBanks::kTxPackets);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(TxPacketsOnTheWire(0), stopped);
    EXPECT_EQ(banks_->Get(1, CounterBanks::BlockA(CounterBanks::kRxPackets)), stopped);
    EXPECT_EQ(banks_->Get(1, CounterBanks::kRxBytes), stopped * 128);
    EXPECT_EQ(banks_->Get(1, CounterBanks::BlockA(16)), stopped) << "size 128-255";
    EXPECT_EQ(banks_->Get(0, CounterBanks::kTxBytes), stopped * 128);
    EXPECT_EQ(ReadRegister(banks_->Base(0) + CounterBanks::kTxPacketRate), 0u);
}

TEST_P(CounterBankTest, ALineRateBeyondThirtyTwoBitsReadsAsTheLargestWord) {
    banks_->SetTraffic(0, 1e7, 1500);  // 121.6 Gbit/s
    WriteRegister(0x410000F0, 8);
    EXPECT_EQ(ReadRegister(banks_->Base(0) + CounterBanks::kTxLineRate), 0xFFFFFFFFu);
    WriteRegister(0x410000F0, 4);
}

TEST_P(CounterBankTest, PauseHoldsTheCountersAndResumeGoesOn) {
    banks_->SetTraffic(1, 2000, 64);
    WriteRegister(0x430000F0, 8);
    WriteRegister(0x430000F0, 2);  // pause
    const uint64_t paused = banks_->Get(1, CounterBanks::kTxPackets);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(TxPacketsOnTheWire(1), paused);
    WriteRegister(0x430000F0, 1);  // resume
    std::this_thread::sleep_for(50ms);
    EXPECT_GT(TxPacketsOnTheWire(1), paused);
    EXPECT_EQ(banks_->Get(0, CounterBanks::BlockA(CounterBanks::kSize64)), banks_->Get(1, CounterBanks::kTxPackets));
}

TEST_P(CounterBankTest, IncomingTrafficMovesAPortsReceiveCountersWithoutAnyTx) {
    banks_->SetIncoming(1, 1000, 256);
    EXPECT_EQ(ReadRegister(banks_->Base(1) + CounterBanks::kRxPacketRate), 1000u);
    std::this_thread::sleep_for(100ms);
    const auto blockA = Read64(banks_->Base(1), 42);
    ASSERT_EQ(blockA.size(), 42u);
    EXPECT_GE(blockA[CounterBanks::kRxPackets], 50u);
    EXPECT_EQ(blockA[17], blockA[CounterBanks::kRxPackets]) << "size 256-511";
    EXPECT_EQ(banks_->Get(1, CounterBanks::kTxPackets), 0u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::kTxPackets), 0u);
}

TEST_P(CounterBankTest, HostFramesCountOnThePortNamedBySourceByteSix) {
    wire::Bytes frame(100, 0);
    // The low two bits of the first source byte name the port: 1 Port A, 2 Port B.
    frame[6] = 0x5C | 2;
    frame[12] = 0x08;
    ASSERT_TRUE(host_->Send(frame));
    frame[6] = 0x5C | 1;
    ASSERT_TRUE(host_->Send(frame));
    ASSERT_TRUE(host_->Send(frame));
    ASSERT_TRUE(support::Eventually([&] { return banks_->HostFrames(0) == 2; }));
    EXPECT_EQ(banks_->HostFrames(0), 2u);
    EXPECT_EQ(banks_->HostFrames(1), 1u);
    EXPECT_EQ(TxPacketsOnTheWire(0), 2u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::kTxBytes), 200u);
    EXPECT_EQ(banks_->Get(0, CounterBanks::BlockA(CounterBanks::kRxPackets)), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothMaps, CounterBankTest, testing::Values(RegisterMap::First, RegisterMap::Second),
                         [](const auto& info) {
                             return std::string(info.param == RegisterMap::First ? "FirstMap" : "SecondMap");
                         });

}  // namespace
