// The simulator answers raw command frames, sent from the host side of its veth pair, with the
// reply bytes of the tester's wire format; and it misbehaves when told to.

#include "WireHelpers.h"

#include "sim/TesterModel.h"

#include <algorithm>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using sim::Bytes;

namespace {

using wire::Get32;
using wire::Put32;

const uint8_t kHostSource[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x00};

Bytes Command(uint8_t kind, uint8_t count, size_t length) {
    Bytes f(length, 0);
    for (int i = 0; i < 6; ++i) f[i] = 0xFF, f[6 + i] = kHostSource[i];
    f[12] = 0xFF, f[13] = 0x03, f[14] = kind, f[15] = count;
    return f;
}

class SimProtocolTest : public wire::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        if (tester_) tester_->Start();
    }

    // Sends a command and returns the first reply frame that arrives within the time-out.
    Bytes Exchange(const Bytes& command, std::chrono::milliseconds timeout = support::kPatience) {
        EXPECT_TRUE(host_->Send(command));
        return NextReply(timeout);
    }

    Bytes NextReply(std::chrono::milliseconds timeout) { return host_->Take(sim::OfType(0xFF04), timeout); }
};

TEST_F(SimProtocolTest, GeneralReadsAndWritesAnswerInPairs) {
    tester_->Registers().Set(0x40000004, 0x01020304);
    tester_->Registers().Set(0x4000000C, 0xCAFEF00D);
    Bytes command = Command(0, 3, 60);
    Put32(command, 16, 0x80000000 | 0x40000004);
    Put32(command, 24, 0x80000000 | 0x4000000C);
    Put32(command, 32, 0x40000040);  // a write
    Put32(command, 36, 0x55AA55AA);

    const Bytes reply = Exchange(command);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_TRUE(std::equal(kHostSource, kHostSource + 6, reply.begin())) << "reply goes back to the sender";
    EXPECT_EQ(reply[14], 0);
    EXPECT_EQ(reply[15], 3);
    EXPECT_EQ(Get32(reply, 16), 0xC0000004u) << "address echoed with the read flag";
    EXPECT_EQ(Get32(reply, 20), 0x01020304u);
    EXPECT_EQ(Get32(reply, 24), 0xC000000Cu);
    EXPECT_EQ(Get32(reply, 28), 0xCAFEF00Du);
    EXPECT_EQ(Get32(reply, 32), 0x40000040u);
    EXPECT_EQ(Get32(reply, 36), 0x55AA55AAu);
    EXPECT_EQ(tester_->Registers().Get(0x40000040), 0x55AA55AAu);
}

TEST_F(SimProtocolTest, GeneralReplyOfThirtyTwoPairsIsLongerThanTheMinimum) {
    Bytes command = Command(0, 32, 16 + 8 * 32);
    for (uint32_t i = 0; i < 32; ++i) Put32(command, 16 + 8 * i, 0x80000000 | (0x41000000 + 4 * i));
    tester_->Registers().Set(0x4100007C, 77);
    const Bytes reply = Exchange(command);
    ASSERT_EQ(reply.size(), 272u);
    EXPECT_EQ(Get32(reply, 20 + 8 * 31), 77u);
}

TEST_F(SimProtocolTest, SequentialReadTakesRegistersFourBytesApart) {
    for (uint32_t i = 0; i < 256; ++i) tester_->Registers().Set(0x42000000 + 4 * i, 1000 + i);
    tester_->Registers().Set(0x42000001, 0xBAD);  // not a register of the sequence
    Bytes command = Command(1, 10, 60);
    Put32(command, 16, 0x42000000);
    Bytes reply = Exchange(command);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_EQ(reply[14], 1);
    EXPECT_EQ(Get32(reply, 16), 0x42000000u);
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(Get32(reply, 20 + 4 * i), 1000 + i);

    command[15] = 0;  // a count byte of 0 reads 256 registers
    reply = Exchange(command);
    ASSERT_EQ(reply.size(), 20u + 4 * 256);
    EXPECT_EQ(Get32(reply, 20 + 4 * 255), 1255u);
}

TEST_F(SimProtocolTest, SequentialWriteStoresAndEchoes) {
    Bytes command = Command(2, 10, 60);
    Put32(command, 16, 0x41000100);
    for (uint32_t i = 0; i < 10; ++i) Put32(command, 20 + 4 * i, 0xA0 + i);
    const Bytes reply = Exchange(command);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_EQ(reply[14], 2);
    EXPECT_EQ(Get32(reply, 20 + 4 * 9), 0xA9u);
    EXPECT_EQ(tester_->Registers().Get(0x41000104), 0xA1u);
    EXPECT_EQ(tester_->Registers().Get(0x41000124), 0xA9u);
    EXPECT_EQ(tester_->Registers().WriteCount(0x41000100), 1u);
    EXPECT_EQ(tester_->Registers().WriteCount(0x41000101), 0u) << "registers lie four bytes apart";
}

TEST_F(SimProtocolTest, SixtyFourBitReadSendsTheLowWordFirstWithEntriesFourBytesApart) {
    tester_->Registers().Set64(0x42000000, 0x1122334455667788ull);
    tester_->Registers().Set64(0x42000050, 0x2020202020202020ull);  // entry 20
    tester_->Registers().Set64(0x420000A4, 0xFFFFFFFF00000001ull);  // entry 41
    Bytes command = Command(3, 42, 60);
    Put32(command, 16, 0x42000000);
    const Bytes reply = Exchange(command);
    ASSERT_EQ(reply.size(), 20u + 8 * 42);
    EXPECT_EQ(reply[14], 3);
    EXPECT_EQ(reply[15], 42);
    EXPECT_EQ(Get32(reply, 20), 0x55667788u);
    EXPECT_EQ(Get32(reply, 24), 0x11223344u);
    EXPECT_EQ(Get32(reply, 20 + 8 * 20), 0x20202020u);
    EXPECT_EQ(Get32(reply, 20 + 8 * 41), 0x00000001u);
    EXPECT_EQ(Get32(reply, 24 + 8 * 41), 0xFFFFFFFFu);
}

TEST_F(SimProtocolTest, ReadHooksSupplyValuesAndWriteHooksSeeWrites) {
    uint32_t written = 0;
    tester_->Registers().OnRead(0x40000000, 0x400000FF, [](uint32_t address) { return address * 2; });
    tester_->Registers().OnWrite(0x40000010, [&](uint32_t, uint32_t value) { written = value; });
    Bytes command = Command(0, 2, 60);
    Put32(command, 16, 0x80000000 | 0x40000008);
    Put32(command, 24, 0x40000010);
    Put32(command, 28, 1234);
    const Bytes reply = Exchange(command);
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(Get32(reply, 20), 0x80000010u);
    EXPECT_EQ(written, 1234u);
}

TEST_F(SimProtocolTest, SilenceDropsAndDelaysWithholdReplies) {
    Bytes command = Command(0, 1, 60);
    Put32(command, 16, 0x80000000 | 0x40000004);
    // A later command of another register: the next reply that comes must be its own.
    Bytes later = Command(0, 1, 60);
    Put32(later, 16, 0x80000000 | 0x40000008);
    auto answersLater = [this](const Bytes& reply) { return reply.size() >= 20 && Get32(reply, 16) == 0xC0000008u; };

    tester_->SetSilent(true);
    ASSERT_TRUE(host_->Send(command));
    PassedThroughTester();
    tester_->SetSilent(false);
    EXPECT_TRUE(answersLater(Exchange(later))) << "the command sent while silent was not answered";

    tester_->DropReplies(1);
    ASSERT_TRUE(host_->Send(command));
    PassedThroughTester();
    EXPECT_TRUE(answersLater(Exchange(later))) << "one reply was dropped, and only one";

    tester_->SetReplyDelay(200ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Exchange(command).empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 190ms);
}

// A vanished tester with the device model, whose adapter probe answer is a frame handler.
class VanishedTesterTest : public SimProtocolTest {
protected:
    void SetUp() override {
        SimProtocolTest::SetUp();
        if (tester_) model_ = std::make_unique<sim::TesterModel>(*tester_, 1);
    }

    // A probe: a read of the link report register from the adapter's own address.
    static Bytes Probe() {
        Bytes probe = wire::Read(0x400000D4);
        const uint8_t adapter[6] = {0x02, 0x5E, 0xC1, 0xFF, 0x00, 0x09};
        std::copy(adapter, adapter + 6, probe.begin() + 6);
        return probe;
    }

    // Frames the tester sent (replies and notices) that the host side has heard.
    size_t FramesFromTheTester() const {
        const std::vector<Bytes> heard = host_->Frames();
        return std::count_if(heard.begin(), heard.end(), [](const Bytes& f) {
            return f.size() >= 14 && f[12] == 0xFF && (f[13] == 0x04 || f[13] == 0x06);
        });
    }

    // Destroyed after TearDown has stopped the tester, so its handler is never called late.
    std::unique_ptr<sim::TesterModel> model_;
};

TEST_F(VanishedTesterTest, SendsAndTakesInNothingUntilItReturns) {
    tester_->Registers().Set(0x40000004, 0x01020304);
    host_->Clear();

    // A reply held back by a delay is discarded when the tester vanishes.
    constexpr auto kDelay = 1000ms;
    tester_->SetReplyDelay(kDelay);
    const Bytes read = wire::Read(0x40000004);
    ASSERT_TRUE(host_->Send(read));
    ASSERT_TRUE(tester_->WaitForFrame([&](const Bytes& f) { return f == read; }, support::kPatience));
    tester_->SetVanished(true);
    const std::vector<sim::LoggedFrame> log = tester_->Log();
    const auto heard = std::find_if(log.begin(), log.end(), [&](const sim::LoggedFrame& f) { return f.bytes == read; });
    ASSERT_NE(heard, log.end());
    const auto heldBackDue = heard->at + kDelay;
    tester_->SetReplyDelay(0ms);

    tester_->ClearLog();
    const Bytes write = wire::Write(0x40000010, 77);
    ASSERT_TRUE(host_->Send(read));
    ASSERT_TRUE(host_->Send(write));
    ASSERT_TRUE(host_->Send(Probe()));
    EXPECT_FALSE(tester_->SendNotice(10, 1));
    EXPECT_FALSE(tester_->SendRaw(wire::Read(0x40000004)));
    ASSERT_TRUE(tester_->WaitForFrame([](const Bytes& f) { return f == Probe(); }, support::kPatience))
        << "the wire still carries the host's frames to the log";
    EXPECT_EQ(tester_->Log().size(), 3u);
    std::this_thread::sleep_until(heldBackDue + 300ms);
    EXPECT_EQ(FramesFromTheTester(), 0u) << "no reply, no probe answer, no notice";
    EXPECT_EQ(tester_->Registers().Get(0x40000010), 0u) << "the write never reached the registers";
    EXPECT_EQ(model_->ProbeFramesSeen(), 0) << "the probe never reached the device model";

    tester_->SetVanished(false);
    EXPECT_EQ(ReadRegister(0x40000004), 0x01020304u);
    host_->Clear();
    ASSERT_TRUE(host_->Send(Probe()));
    EXPECT_FALSE(host_->Take(sim::OfType(0xFF04), support::kPatience).empty()) << "the probe is answered again";
    EXPECT_TRUE(tester_->SendNotice(10, 1));
    EXPECT_FALSE(host_->Take(sim::OfType(0xFF06), support::kPatience).empty());
}

TEST_F(SimProtocolTest, LogsEveryReceivedFrameInOrder) {
    tester_->ClearLog();
    Bytes first = Command(0, 1, 60);
    Put32(first, 16, 0x80000000 | 0x40000001);
    Bytes second = Command(1, 4, 60);
    Put32(second, 16, 0x40000002);
    Bytes foreign(60, 0);
    foreign[12] = 0x08;  // an IPv4 frame is logged but not answered
    ASSERT_TRUE(host_->Send(first));
    ASSERT_TRUE(host_->Send(foreign));
    ASSERT_TRUE(host_->Send(second));
    ASSERT_TRUE(tester_->WaitForFrame([](const Bytes& f) { return f.size() > 15 && f[14] == 1; }, support::kPatience));
    const auto log = tester_->Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].bytes, first);
    EXPECT_EQ(log[1].bytes, foreign);
    EXPECT_EQ(log[2].bytes, second);
    EXPECT_LE(log[0].at, log[1].at);
    EXPECT_EQ(tester_->Commands().size(), 2u);
}

TEST_F(SimProtocolTest, NoticesAndRawFramesReachTheHostSide) {
    ASSERT_TRUE(tester_->SendNotice(10, 1, {0xAB}));
    const Bytes notice = host_->Take(sim::OfType(0xFF06), support::kPatience);
    ASSERT_EQ(notice.size(), 60u);
    EXPECT_EQ(notice[14], 10);
    EXPECT_EQ(notice[15], 1);
    EXPECT_EQ(notice[16], 0xAB);

    Bytes oversized(1600, 0x5A);  // longer than any reply the host library takes
    for (int i = 0; i < 6; ++i) oversized[i] = 0xFF;
    oversized[12] = 0xFF, oversized[13] = 0x04;
    ASSERT_TRUE(tester_->SendRaw(oversized));
    EXPECT_EQ(NextReply(support::kPatience).size(), 1600u);
}

}  // namespace
