// The library through its exports against the simulated tester on the test's veth pair: the
// connection, the register calls' frames, replies, notices and host messages, modes, the pollers,
// and the connection's life: reconnect, loss, terminate, refusal and the adapter probe.
//
// One simulated tester serves the whole program; the suites run in their order here and each
// leaves the library as the next expects it.

#include "BrevixCAPI.h"
#include "ConsoleText.h"
#include "LibraryThreads.h"
#include "sim/Link.h"
#include "sim/PhyBank.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/AppMessageWindow.h"
#include "support/CallbackRecorder.h"
#include "support/Environment.h"
#include "support/Frames.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

namespace {

using frames::Bytes;
using frames::FromLibrary;
using frames::kLibrarySource;
using frames::LibraryCommand;
using support::CallbackRecorder;
using support::HostMessage;

// Whether a call the tester answers was answered. The library waits only a short time for a reply,
// and on a loaded machine a reply can come after it, which leaves that call unanswered (a late
// reply never answers a later call): such a call is made again, up to the patience.
bool Answered(const std::function<int()>& call) {
    return support::Eventually([&] { return call() == 1; });
}


constexpr uint32_t kLinkReport = 0x1900;  // Port A 1000 full duplex, Port B down
constexpr uint32_t kFpgaVersion = 0x80000000u | 3u << 25 | 7u << 21 | 4u << 16 | 0x2105;
constexpr uint32_t kHardwareWord = 0x00000035;
constexpr uint32_t kFirmwareVersion = 0x10030412;

// The simulated tester on the device side of the test's pair, for the whole program.
struct Bench {
    support::VethPair pair;
    std::unique_ptr<sim::Tester> tester;
    std::unique_ptr<sim::TesterModel> model;
    std::unique_ptr<sim::PhyBank> phys;  // the owner of the link report
};
Bench* bench;

class BenchEnvironment : public testing::Environment {
public:
    void SetUp() override {
        bench = new Bench;
        bench->pair = support::TestNetwork();
        ASSERT_FALSE(bench->pair.hostInterface.empty());
        std::string error;
        auto link = support::OpenTesterLink(bench->pair, &error);
        ASSERT_TRUE(link) << error;
        bench->tester = std::make_unique<sim::Tester>(std::move(link));
        bench->model = std::make_unique<sim::TesterModel>(*bench->tester, 1);
        sim::TesterIdentity identity;
        identity.model = "Brevix-CF 2x1G";
        identity.eepromVersion = "12";
        identity.serialNumber = "SN0123456789ABCDEFGH";
        identity.productDate = "2019-05-17AB";
        identity.mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
        bench->model->SetIdentity(identity);
        bench->model->SetVersion(kFpgaVersion, kHardwareWord, kFirmwareVersion);
        bench->phys = std::make_unique<sim::PhyBank>(*bench->tester, sim::RegisterMap::First);
        bench->phys->SetLink(0, {true, 1000, true});
        bench->tester->Start();
        ASSERT_EQ(BrevixC_SYS_Init(CallbackRecorder::Callback, 0), 1);
    }
    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        bench->tester->Stop();
        delete bench;
    }
};

const auto* const environment = testing::AddGlobalTestEnvironment(new BenchEnvironment);

std::vector<Bytes> LibraryCommands() {
    std::vector<Bytes> commands;
    for (const sim::LoggedFrame& f : bench->tester->Log()) {
        if (FromLibrary(f.bytes)) commands.push_back(f.bytes);
    }
    return commands;
}


bool SentWithin(const Bytes& expected, std::chrono::milliseconds timeout) {
    return bench->tester->WaitForFrame([&](const Bytes& f) { return f == expected; }, timeout);
}

using frames::PutLe16;
using frames::PutLe32;

Bytes Message(uint16_t type, size_t length = 60) { return frames::EmptyHostMessage(type, length); }

HostMessage WaitForType(uint16_t type, std::chrono::milliseconds timeout = support::kPatience) {
    return CallbackRecorder::Instance().WaitForType(type, timeout);
}

int Detect() {
    char model[21] = {};
    return BrevixC_SYS_DetectBrevixCDevice(model);
}

// ---------------------------------------------------------------------------------------------
// One connection, made once for the suite.

class ConnectedTester : public testing::Test {
protected:
    static void SetUpTestSuite() {
        bench->tester->ClearLog();
        char model[32] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        EXPECT_STREQ(model, "Brevix-CF");
        bench->tester->ClearLog();
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        connectFrames_ = new std::vector<Bytes>(LibraryCommands());
    }
    static void TearDownTestSuite() {
        BrevixC_SYS_TerminateProcess();
        delete connectFrames_;
    }
    void SetUp() override { CallbackRecorder::Instance().Clear(); }

    static std::vector<Bytes>* connectFrames_;
};

std::vector<Bytes>* ConnectedTester::connectFrames_;

struct Signature {
    uint8_t command;
    uint8_t count;
    uint32_t first;
};

bool operator==(const Signature& a, const Signature& b) {
    return a.command == b.command && a.count == b.count && a.first == b.first;
}

std::ostream& operator<<(std::ostream& out, const Signature& s) {
    return out << "(" << int(s.command) << ", " << int(s.count) << ", 0x" << std::hex << s.first << std::dec << ")";
}

TEST_F(ConnectedTester, ConnectSendsItsSequenceInOrder) {
    const std::vector<Signature> expected = {
        {0, 2, 0xC0000000},    {0, 2, 0xC0000000},    // system ID, twice
        {0, 1, 0x400000D0},    {0, 5, 0x40000054},    // set-up: PHY control, five fixed pairs
        {1, 42, 0x42040000},   {0, 13, 0xC2040200},   // counters cleared by reading, Port A
        {1, 42, 0x44040000},   {0, 13, 0xC4040200},   // and Port B
        {1, 128, 0x42340000},  {1, 128, 0x44340000},  // stream counters of both ports
        {0, 7, 0x400000D4},                           // set-up: seven pairs
        {0, 16, 0x40000030},   {0, 16, 0x40000030},   // identity from the EEPROM: model name,
        {0, 16, 0x40000030},   {0, 16, 0x40000030},   // read four times,
        {0, 20, 0x40000030},   {0, 8, 0x40000030},    // serial number, block 32,
        {0, 2, 0x40000030},    {0, 6, 0x40000030},    // EEPROM version, MAC,
        {0, 12, 0x40000030},                          // manufacture date
        {0, 2, 0x400000B0},    {1, 1, 0x400000BC},    // PHY names of Port A
        {0, 2, 0x400000B0},    {1, 1, 0x400000BC},
        {0, 2, 0x400000B0},    {1, 1, 0x400000BC},    // and Port B
        {0, 2, 0x400000B0},    {1, 1, 0x400000BC},
    };
    ASSERT_GE(connectFrames_->size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Bytes& f = (*connectFrames_)[i];
        EXPECT_EQ((Signature{f[14], f[15], frames::Get32(f, 16)}), expected[i]) << "frame " << i;
    }
    EXPECT_EQ((*connectFrames_)[3], LibraryCommand(0, 5, {0x40000054, 0x101, 0x410000C8, 0x40000000, 0x430000C8, 0x40000000,
                                                   0x400000CC, 0, 0x40000080, 0x04040000}));
    EXPECT_EQ((*connectFrames_)[10], LibraryCommand(0, 7, {0x400000D4, 0x40000000, 0x400000DC, 0, 0x400000D0, 0x000D000D,
                                                    0x41000040, 0xFFFF, 0x41000044, 31, 0x43000040, 0xFFFF,
                                                    0x43000044, 31}));
    // The Brevix-C row's EEPROM selector is 0: read word 16 is 0x80100000.
    EXPECT_EQ(frames::Get32((*connectFrames_)[11], 20), 0x80100000u);
    EXPECT_EQ(frames::Get32((*connectFrames_)[11], 24), 0xC0000030u);
}

TEST_F(ConnectedTester, IdentityComesFromTheTestersEeprom) {
    EXPECT_STREQ(BVX_Module, "Brevix-CF 2x1G");
    EXPECT_EQ(GetModule(), BVX_Module);
    EXPECT_STREQ(GetSN(), "SN0123456789ABCDEFGH");
    EXPECT_EQ(Bytes(GetMAC(), GetMAC() + 6), (Bytes{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}));
    EXPECT_STREQ(GetProductDate(), "2019-05-17AB");
    EXPECT_STREQ(GetPCB(), "") << "machine ids 1 and 2 keep no PCB revision";
    EXPECT_EQ(EEPROM_Version, 12);
    EXPECT_EQ(BVX_Machine_ID, 1);
    EXPECT_EQ(GetMachineID(), 1);
    EXPECT_EQ(BrevixC_GetMachineID(), 1);
    EXPECT_EQ(BrevixC_Has_PIC24(), 0);
    EXPECT_EQ(GetIPv4(), BVX_MyIPv4);
    EXPECT_EQ(GetVCXOPPM(), 0);
    char adapter[1024] = {};
    ASSERT_EQ(BrevixC_SYS_GetAdapterName(adapter), 1);
    EXPECT_EQ(std::string(adapter).rfind("\\Device\\NPF_", 0), 0u);
}

struct GoldenCase {
    const char* name;
    std::function<int()> call;
    int result;
    Bytes frame;  // empty: nothing is sent
    uint8_t refusedCommand = 0;
    uint8_t refusedCount = 0;  // the count byte a refused call's frame would have carried
};

uint32_t scratch[512];

std::vector<uint32_t> Pairs(uint32_t count) {
    std::vector<uint32_t> pairs;
    for (uint32_t i = 0; i < count; ++i) pairs.insert(pairs.end(), {0x41000200 + i, 0xA0000000 + i});
    return pairs;
}

Bytes GeneralWriteFrame(uint32_t count) {
    Bytes f = LibraryCommand(0, uint8_t(count), {}, 16 + 8 * count);
    for (uint32_t i = 0; i < count; ++i) frames::Put32(f, 16 + 8 * i, 0x41000200 + i), frames::Put32(f, 20 + 8 * i, 0xA0000000 + i);
    return f;
}

Bytes SequentialWriteFrame(uint32_t count, size_t length) {
    Bytes f = LibraryCommand(2, uint8_t(count), {0x41000400}, length);
    for (uint32_t i = 0; i < count; ++i) frames::Put32(f, 20 + 4 * i, 0x5000 + i);
    return f;
}

std::vector<uint32_t> Values(uint32_t count) {
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < count; ++i) values.push_back(0x5000 + i);
    return values;
}

const GoldenCase kGolden[] = {
    {"GeneralReadOfThreeIsRaisedToSixtyBytes",
     [] {
         uint32_t regs[3] = {0x40000004, 0x4000000C, 0x40000040};
         return BVT_GenR(3, regs);
     },
     1, LibraryCommand(0, 3, {0xC0000004, 0, 0xC000000C, 0, 0xC0000040, 0})},
    {"GeneralWriteOfThirtyTwoPairs", [] { return BVT_GenW(32, Pairs(32).data()); }, 1, GeneralWriteFrame(32)},
    {"GeneralWriteOfThirtyThreePairsIsRefused", [] { return BVT_GenW(33, Pairs(33).data()); }, 0, {}, 0, 33},
    {"SequentialWriteOf256CarriesCountByteZero", [] { return BVT_SeqW(256, 0x41000400, Values(256).data()); }, 1,
     SequentialWriteFrame(256, 1044)},
    {"SequentialWriteOfTenFitsSixtyBytes", [] { return BVT_SeqW(10, 0x41000400, Values(10).data()); }, 1,
     SequentialWriteFrame(10, 60)},
    {"SequentialRead64OfFortyTwo", [] { return int(BrevixT_SeqR64(42, 0x42000000)); }, 1, LibraryCommand(3, 42, {0x42000000})},
    {"SequentialRead64Of129IsRefused", [] { return int(BrevixT_SeqR64(129, 0x42000000)); }, 0, {}, 3, 129},
    {"SequentialReadOf256", [] { return BrevixT_SeqR(256, 0x41000000); }, 1, LibraryCommand(1, 0, {0x41000000})},
    {"ReadOfOneRegister", [] { return BVT_Read(0x41000004, scratch); }, 1, LibraryCommand(0, 1, {0xC1000004, 0})},
    {"WriteHasNoReadFlag", [] { return BVT_Write(0x40000054, 0x101); }, 1, LibraryCommand(0, 1, {0x40000054, 0x101})},
};

TEST_F(ConnectedTester, RegisterCallsSendExactlyTheirFrames) {
    for (const GoldenCase& golden : kGolden) {
        SCOPED_TRACE(golden.name);
        bench->tester->ClearLog();
        EXPECT_EQ(golden.call(), golden.result);
        if (!golden.frame.empty()) {
            EXPECT_TRUE(SentWithin(golden.frame, support::kPatience));
            continue;
        }
        // Refused calls send nothing (the pollers' frames may come meanwhile). Once a read of this
        // thread has been answered, anything it sent before has reached the tester.
        uint32_t marker = 0;
        ASSERT_TRUE(Answered([&] { return BVT_Read(0x41000004, &marker); }));
        for (const Bytes& f : LibraryCommands()) {
            EXPECT_FALSE(f[14] == golden.refusedCommand && f[15] == golden.refusedCount) << "a refused call sent a frame";
        }
    }
}

TEST_F(ConnectedTester, CopyingReadsCopyTheReply) {
    bench->tester->Registers().Set(0x41000004, 0xCAFE0001);
    bench->tester->Registers().Set(0x41000008, 0x00C0FFEE);
    uint32_t value = 0;
    ASSERT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); }));
    EXPECT_EQ(value, 0xCAFE0001u);

    uint32_t registers[2] = {0x41000004, 0x41000008};
    ASSERT_TRUE(Answered([&] { return BVT_GenR(2, registers); }));
    EXPECT_EQ(registers[0], 0xCAFE0001u);
    EXPECT_EQ(registers[1], 0x00C0FFEEu);

    uint32_t pairs[4] = {0xC1000004, 0, 0x4100000C, 5};
    ASSERT_TRUE(Answered([&] { return BVT_GenRW(2, pairs); }));
    EXPECT_EQ(pairs[1], 0xCAFE0001u);
    EXPECT_EQ(pairs[2], 0x4100000Cu);
    EXPECT_EQ(pairs[3], 5u);

    // Sequential reads take registers 4 bytes apart and hand the words over as they lie in the
    // reply: big-endian.
    uint32_t words[2] = {};
    ASSERT_TRUE(Answered([&] { return BVT_SeqR(2, 0x41000004, words); }));
    EXPECT_EQ(words[0], 0x0100FECAu);
    EXPECT_EQ(words[1], 0xEEFFC000u);
}

TEST_F(ConnectedTester, CopyingReadsWithoutAReplyReturnZeroAndLeaveTheirOutputs) {
    bench->tester->SetSilent(true);
    uint32_t value = 7;
    EXPECT_EQ(BVT_Read(0x41000004, &value), 0);
    EXPECT_EQ(value, 7u);
    uint32_t registers[1] = {0x41000004};
    EXPECT_EQ(BVT_GenR(1, registers), 0);
    EXPECT_EQ(registers[0], 0x41000004u);
    uint32_t pairs[2] = {0xC1000004, 9};
    EXPECT_EQ(BVT_GenRW(1, pairs), 0);
    EXPECT_EQ(pairs[1], 9u);
    uint32_t words[1] = {3};
    EXPECT_EQ(BVT_SeqR(1, 0x41000004, words), 0);
    EXPECT_EQ(words[0], 3u);
    EXPECT_EQ(BVT_GenW(1, pairs), 1) << "a write reports that it was sent";
    bench->tester->SetSilent(false);
}

TEST_F(ConnectedTester, AReplyIsAwaitedForTheWaitTheEnvironmentAsksAndNoLonger) {
    // The hardware's 10 ms unless BREVIX_REPLY_WAIT_MS asks for more, as the test scripts do for
    // the simulated tester.
    const std::string asked = support::GetEnv("BREVIX_REPLY_WAIT_MS");
    const long wait = std::clamp(asked.empty() ? 10L : std::atol(asked.c_str()), 10L, 1000L);
    bench->tester->Registers().Set(0x41000018, 0x1818);
    uint32_t value = 0;
    bench->tester->SetReplyDelay(std::chrono::milliseconds(wait + 150));
    EXPECT_EQ(BVT_Read(0x41000018, &value), 0) << "a reply later than the wait";
    if (wait >= 60) {
        // Another register, so that the late reply of the first read cannot answer this one.
        bench->tester->Registers().Set(0x4100001C, 0x1C1C);
        bench->tester->SetReplyDelay(20ms);
        EXPECT_EQ(BVT_Read(0x4100001C, &value), 1) << "a reply later than the hardware's 10 ms, inside the wait asked";
        EXPECT_EQ(value, 0x1C1Cu);
        bench->tester->SetReplyDelay(0ms);
    }
}

TEST_F(ConnectedTester, LateReplyDoesNotAnswerTheNextCall) {
    // The tester holds its reply to the first read back and sends it, late, just before its reply
    // to the next read, which by then waits for its own.
    bench->tester->Registers().Set(0x41000014, 0x1111);
    const Bytes firstRead = LibraryCommand(0, 1, {0xC1000010, 0});
    const Bytes secondRead = LibraryCommand(0, 1, {0xC1000014, 0});
    bench->tester->SetInterceptor([&](const Bytes& frame) {
        if (frame == firstRead) return true;
        if (frame == secondRead) bench->tester->SendRaw(frames::Reply(0, 1, {0xC1000010, 0x1010}));
        return false;
    });
    uint32_t first = 0;
    EXPECT_EQ(BVT_Read(0x41000010, &first), 0);
    uint32_t second = 0;
    EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000014, &second); }));
    EXPECT_EQ(second, 0x1111u);
    bench->tester->SetInterceptor(nullptr);
}

TEST_F(ConnectedTester, TwoThreadsReadingDifferentRegistersEachGetTheirOwnValue) {
    bench->tester->Registers().Set(0x41000100, 0x11111111);
    bench->tester->Registers().Set(0x43000100, 0x22222222);
    std::atomic<int> wrong{0};
    std::atomic<int> answered[2] = {};
    auto reader = [&](int index, uint32_t address, uint32_t expected) {
        for (int i = 0; i < 200; ++i) {
            uint32_t value = 0;
            if (!BVT_Read(address, &value)) continue;
            ++answered[index];
            if (value != expected) ++wrong;
        }
    };
    std::thread a(reader, 0, 0x41000100, 0x11111111);
    std::thread b(reader, 1, 0x43000100, 0x22222222);
    a.join();
    b.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(answered[0], 100);
    EXPECT_GT(answered[1], 100);
}

TEST_F(ConnectedTester, CounterPollerRunsOncePerSecond) {
    // A round sent late on a busy machine makes one gap short and the next long, so the rhythm is
    // judged by the middle gaps of five rounds.
    const Bytes poll = LibraryCommand(3, 42, {0x42000000});
    bench->tester->ClearLog();
    std::vector<std::chrono::steady_clock::time_point> rounds;
    const bool fiveRounds = support::Eventually(
        [&] {
            rounds.clear();
            for (const sim::LoggedFrame& f : bench->tester->Log()) {
                if (f.bytes == poll) rounds.push_back(f.at);
            }
            return rounds.size() >= 5;
        },
        2 * support::kPatience);
    ASSERT_TRUE(fiveRounds);
    std::vector<int64_t> gaps;
    for (size_t i = 1; i < 5; ++i) {
        gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(rounds[i] - rounds[i - 1]).count());
    }
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps[1], 950);
    EXPECT_LE(gaps[2], 1100);
}

// A round's own time counts toward its second: with every reply late, the rounds still begin a
// second apart.
TEST_F(ConnectedTester, CounterPollerKeepsItsSecondWhenRepliesAreSlow) {
    const Bytes poll = LibraryCommand(3, 42, {0x42000000});
    const Bytes lastRead = LibraryCommand(3, 128, {0x44300000});  // Port B's Tx streams, the round's end
    bench->tester->SetReplyDelay(40ms);
    bench->tester->ClearLog();
    std::vector<std::chrono::steady_clock::time_point> rounds, ends;
    const bool sixRounds = support::Eventually(
        [&] {
            rounds.clear();
            ends.clear();
            for (const sim::LoggedFrame& f : bench->tester->Log()) {
                if (f.bytes == poll) rounds.push_back(f.at);
                if (f.bytes == lastRead && !rounds.empty()) ends.push_back(f.at);
            }
            return rounds.size() >= 6;
        },
        3 * support::kPatience);
    bench->tester->SetReplyDelay(0ms);
    ASSERT_TRUE(sixRounds);
    ASSERT_FALSE(ends.empty());
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(ends[0] - rounds[0]).count(), 200)
        << "a round's reads waited for their late replies";
    // One round sent late on a busy machine makes one gap short and the next long: the middle
    // gaps of five tell the rhythm.
    std::vector<int64_t> gaps;
    for (size_t i = 2; i < 6; ++i) {
        gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(rounds[i] - rounds[i - 1]).count());
    }
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps[1], 950);
    EXPECT_LE(gaps[2], 1050);
}

// The poller shows no window: between its register calls it sleeps rather than look for messages,
// so it never takes a message queue (a message posted to it has nowhere to go).
TEST_F(ConnectedTester, CounterPollerKeepsNoMessageQueue) {
    const Bytes poll = LibraryCommand(3, 42, {0x42000000});
    bench->tester->ClearLog();
    const bool twoRounds = support::Eventually(
        [&] {
            const auto log = bench->tester->Log();
            return std::count_if(log.begin(), log.end(), [&](const sim::LoggedFrame& f) { return f.bytes == poll; }) >= 2;
        },
        2 * support::kPatience);
    ASSERT_TRUE(twoRounds);
    const std::vector<DWORD> poller = LibraryThreadIds(L"BrevixCAPI counter poller");
    ASSERT_EQ(poller.size(), 1u);
    EXPECT_FALSE(PostThreadMessageW(poller[0], WM_NULL, 0, 0));
}

Bytes LinkMessage(uint16_t portA, uint16_t portB) {
    Bytes m = Message(0x0400);
    PutLe16(m, 18, portA);
    PutLe16(m, 22, portB);
    return m;
}

TEST_F(ConnectedTester, LinkNoticesBringTheLinkReport) {
    for (uint8_t kind : {0, 128, 129}) {
        CallbackRecorder::Instance().Clear();
        bench->tester->ClearLog();
        ASSERT_TRUE(bench->tester->SendNotice(kind, 0));
        const HostMessage link = WaitForType(0x0400);
        EXPECT_EQ(link.bytes, LinkMessage(9, 255)) << "notice " << int(kind);
        EXPECT_NE(link.stampSeconds, 0u) << "stamped with the link report's capture time";
        EXPECT_TRUE(SentWithin(LibraryCommand(1, 1, {0x400000D4}), support::kPatience)) << "the link report was asked for";
    }
}

TEST_F(ConnectedTester, PhyNoticesSendTheirPort) {
    bench->tester->SendNotice(10, 0);  // without its flag: nothing
    bench->tester->SendNotice(7, 1);   // unknown kind: nothing
    bench->tester->SendNotice(11, 1);
    const HostMessage notice = WaitForType(0x0300);
    Bytes expected = Message(0x0300);
    expected[16] = 1;
    EXPECT_EQ(notice.bytes, expected);
    // The receive thread handles frames in order: once a later read is answered, the notices have
    // all been handled.
    uint32_t marker = 0;
    ASSERT_TRUE(Answered([&] { return BVT_Read(0x41000004, &marker); }));
    EXPECT_EQ(CallbackRecorder::Instance().Messages().size(), 1u);
}

TEST_F(ConnectedTester, SystemVersionArrivesAsSystemInformation) {
    ASSERT_EQ(BrevixC_SYS_GetSystemVer(), 1);
    const HostMessage info = WaitForType(0x0500);
    Bytes expected = Message(0x0500, 82);
    PutLe32(expected, 18, 1);
    PutLe32(expected, 26, 30);
    PutLe32(expected, 30, 0x10152018);
    PutLe32(expected, 34, 2);
    PutLe32(expected, 38, 1);
    PutLe32(expected, 42, 5);
    PutLe32(expected, 46, 0x07042019);
    PutLe32(expected, 50, 5);
    PutLe32(expected, 58, 0);
    PutLe32(expected, 62, 4);
    PutLe32(expected, 66, 0x12);
    PutLe32(expected, 70, 0x03);
    expected[74] = 1;
    EXPECT_EQ(info.bytes, expected);
    EXPECT_NE(info.stampSeconds, 0u);
}

TEST_F(ConnectedTester, ForeignFramesReachTheCallbackAndOversizedOnesNothing) {
    Bytes ip = frames::TesterFrame(0x0800, 0x45, 0, {0x0A000001, 0x0A000002}, 98);
    ASSERT_TRUE(bench->tester->SendRaw(ip));
    // A raw frame carries its EtherType in bytes 12-13 (the recorder's type is bytes 14-15).
    const HostMessage raw = CallbackRecorder::Instance().WaitFor(
        [](const HostMessage& m) { return m.bytes.size() > 14 && m.bytes[12] == 0x08 && m.bytes[13] == 0x00; },
        support::kPatience);
    EXPECT_EQ(raw.bytes, ip);
    ASSERT_TRUE(bench->tester->SendRaw(frames::TesterFrame(0xFFB4, 1, 1, {})));
    ASSERT_TRUE(bench->tester->SendRaw(frames::Reply(1, 1, {0x400000D4, kLinkReport}, 1515)));
    ASSERT_TRUE(bench->tester->SendRaw(frames::Reply(1, 1, {0x400000D4, kLinkReport}, 9000)));
    // Handled in order: once a later read is answered, the frames before it have been handled.
    uint32_t marker = 0;
    ASSERT_TRUE(Answered([&] { return BVT_Read(0x41000004, &marker); }));
    EXPECT_EQ(CallbackRecorder::Instance().Messages().size(), 1u);

    bench->tester->SendRaw(frames::Reply(1, 1, {0x400000D4, kLinkReport}, 1514));
    EXPECT_EQ(WaitForType(0x0400).bytes, LinkMessage(9, 255)) << "the longest reply is taken";
}

Bytes NicModeFrame(uint8_t port, uint32_t captureControl, uint32_t captureOptions) {
    const uint32_t base = port * 0x02000000u;
    const uint32_t a[2] = {0, 1}, b[2] = {0xF0FF, 0xFFFFFFFF}, c[2] = {0, 0xB1}, d[2] = {0, 0xB0};
    const uint32_t* table[4] = {port ? c : a, port ? d : b, port ? a : c, port ? b : d};
    return LibraryCommand(0, 16, {0x41000010 + base, 0,           0x41000014 + base, 1,           0x41000018 + base, 0xF0FF,
                           0x4100001C + base, 0xFFFFFFFF,  0x41000000 + base, captureControl, 0x410000CC + base,
                           captureOptions,    0x40000060,  table[0][0],       0x40000064,  table[0][1],
                           0x40000068,        table[1][0], 0x4000006C,        table[1][1], 0x40000070,
                           table[2][0],       0x40000074,  table[2][1],       0x40000078,  table[3][0],
                           0x4000007C,        table[3][1], 0x410000C0 + base, 0x01000000,  0x40000054,
                           port ? 0x100u : 1u});
}

TEST_F(ConnectedTester, NicModeWritesTheAddressFilterAndCaptureRegisters) {
    bench->tester->ClearLog();
    EXPECT_EQ(BrevixC_SYS_SetNICMode(0, 1), 1);
    EXPECT_TRUE(SentWithin(NicModeFrame(0, 0x1, 0x9D), support::kPatience));
    EXPECT_EQ(BrevixC_SYS_SetNICMode(1, 0), 1);
    EXPECT_TRUE(SentWithin(NicModeFrame(1, 0x0, 0x00), support::kPatience));
    EXPECT_EQ(BrevixC_SYS_SetNICMode(2, 1), 0);
    EXPECT_EQ(BrevixC_SYS_ChangeToTAPMode(), 1);
    EXPECT_EQ(BrevixC_SYS_SetNICMode(0, 1), 1) << "switches back to the packet generator first";
    EXPECT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
}

TEST_F(ConnectedTester, ManualInfoRequestsTheModelNameAgain) {
    bench->tester->ClearLog();
    EXPECT_EQ(BrevixC_SYS_GetManualInfo(5), 0);
    EXPECT_EQ(BrevixC_SYS_GetManualInfo(0), 1);
    EXPECT_TRUE(bench->tester->WaitForFrame(
        [](const Bytes& f) { return FromLibrary(f) && f[15] == 16 && frames::Get32(f, 20) == 0x80100000; },
        support::kPatience));
    EXPECT_STREQ(BVX_Module, "Brevix-CF 2x1G");
}

TEST_F(ConnectedTester, DebugLogShowsTheLinkReport) {
    OpenDebugLog log;
    // Only the report this notice brings: the line is logged before its message is sent.
    CallbackRecorder::Instance().Clear();
    bench->tester->SendNotice(0, 0);
    ASSERT_FALSE(WaitForType(0x0400).bytes.empty());
    EXPECT_TRUE(ConsoleShows(L"(API)(LinkStatus)(Not Brevix-J) FPGA link:(9, 255)"));
}

// ---------------------------------------------------------------------------------------------
// The connection's life. Each test starts from what the one before left.

// Each case starts from a library initialised afresh that has found the tester but is not
// connected, and from a tester that answers as it does by default; each ends terminated.
// Returns once a frame sent now from the host side of the pair has reached the tester: the pair
// delivers in order, so whatever the library sent before has arrived too.
void EchoedByTester() {
    std::string error;
    const std::unique_ptr<sim::PcapLink> hostSide = sim::PcapLink::Open(bench->pair.hostInterface, &error);
    ASSERT_TRUE(hostSide) << error;
    // A broadcast of the local experimental EtherType from an address no one else uses.
    static const uint8_t kMarkerSource[6] = {0x02, 0x00, 0x00, 0xEC, 0x40, 0x01};
    Bytes marker(60, 0);
    std::fill(marker.begin(), marker.begin() + 6, 0xFF);
    std::copy(kMarkerSource, kMarkerSource + 6, marker.begin() + 6);
    marker[12] = 0x88;
    marker[13] = 0xB5;
    ASSERT_TRUE(hostSide->Send(marker));
    ASSERT_TRUE(bench->tester->WaitForFrame(
        [](const Bytes& f) { return f.size() >= 14 && std::equal(kMarkerSource, kMarkerSource + 6, f.begin() + 6); },
        support::kPatience))
        << "the marker frame never reached the tester";
}

class ConnectionLife : public testing::Test {
protected:
    void SetUp() override {
        bench->model->AnswerProbeOn(1);
        bench->tester->SetSilent(false);
        bench->tester->SetVanished(false);
        SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", bench->pair.hostInterface.c_str());
        ASSERT_EQ(BrevixC_SYS_Init(CallbackRecorder::Callback, 0), 1);
        ASSERT_EQ(Detect(), 1);
        CallbackRecorder::Instance().Clear();
        bench->tester->ClearLog();
    }
    void TearDown() override { BrevixC_SYS_TerminateProcess(); }
};

TEST_F(ConnectionLife, ReconnectWithoutTerminateLeavesOneSetOfThreads) {
    ASSERT_EQ(Detect(), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI receive"), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 5) << "receive, port queue, adapter watch and two pollers";
    uint32_t value = 0;
    EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); }));
}

TEST_F(ConnectionLife, VanishedTesterLeavesReadsUnansweredAndIsFoundAgainWhenItReturns) {
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    bench->tester->Registers().Set(0x41000004, 0xFACE);
    bench->tester->SetVanished(true);
    bench->tester->ClearLog();
    uint32_t value = 7;
    EXPECT_EQ(BVT_Read(0x41000004, &value), 0);
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(SentWithin(LibraryCommand(0, 1, {0xC1000004, 0}), support::kPatience)) << "the read went out";

    bench->tester->SetVanished(false);
    EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); })) << "the connection outlives the absence";
    EXPECT_EQ(value, 0xFACEu);
    // A probe goes out every 100 ms until one is answered: the first answer ends the probing. The
    // first detection after the return finds it at once: a loaded machine may take the answer
    // late and see a second probe go out, never more. Of three tries, one finds the tester with
    // its first probe.
    int before = bench->model->ProbeFramesSeen();
    EXPECT_EQ(Detect(), 1);
    int fewest = bench->model->ProbeFramesSeen() - before;
    EXPECT_LE(fewest, 2) << "the first detection after the return needed more than one late answer's probes";
    for (int attempt = 1; attempt < 3 && fewest > 1; ++attempt) {
        before = bench->model->ProbeFramesSeen();
        EXPECT_EQ(Detect(), 1);
        fewest = std::min(fewest, bench->model->ProbeFramesSeen() - before);
    }
    EXPECT_EQ(fewest, 1) << "the adapter probe finds it at once";
}

TEST_F(ConnectionLife, SecondInitEndsTheLiveConnectionAndTheLibraryKeepsWorking) {
    ASSERT_EQ(BrevixC_SYS_Init(CallbackRecorder::Callback, 0), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    uint32_t value = 0;
    EXPECT_EQ(BVT_Read(0x41000004, &value), 0) << "no connection after init";

    ASSERT_EQ(Detect(), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI receive"), 1);
    EXPECT_STREQ(BVX_Module, "Brevix-CF 2x1G") << "the identity is read again";
    bench->tester->Registers().Set(0x41000004, 0x5EC0);
    EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); }));
    EXPECT_EQ(value, 0x5EC0u);
    CallbackRecorder::Instance().Clear();
    ASSERT_TRUE(bench->tester->SendNotice(0, 0));
    EXPECT_EQ(WaitForType(0x0400).bytes, LinkMessage(9, 255)) << "notices reach the host again";
}

TEST_F(ConnectionLife, DeviceLossIsReportedOnce) {
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    // The loss shows as the host side going down.
    const std::string host = bench->pair.hostInterface;
    ASSERT_TRUE(support::RunUnixCommand("/usr/sbin/ip link set " + host + " down"));
    const HostMessage lost = WaitForType(0xFF00);
    // Either of the threads that watch for the loss (the receive thread's failed reads, the adapter
    // watch) may have seen it first; once terminate has ended every library thread, neither can
    // report it again.
    EXPECT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    // Back up before the next case looks for the tester behind it.
    ASSERT_TRUE(support::RunUnixCommand("/usr/sbin/ip link set " + host + " up"));
    Bytes expected = Message(0xFF00);
    expected[18] = 255;
    EXPECT_EQ(lost.bytes, expected);
    EXPECT_EQ(CallbackRecorder::Instance().OfType(0xFF00).size(), 1u);
}

// A host whose callback holds the receive thread for two seconds: the library serves it afterwards,
// and terminate still ends every thread.
TEST_F(ConnectionLife, ACallbackThatBlocksForTwoSecondsLeavesTheLibraryWorking) {
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    auto& recorder = CallbackRecorder::Instance();
    recorder.Block();
    ASSERT_TRUE(bench->tester->SendNotice(0, 0));
    ASSERT_FALSE(recorder.WaitForType(0x0400, support::kPatience).bytes.empty()) << "the callback runs, and holds on";
    std::this_thread::sleep_for(2000ms);  // the host's own work: the time is the scenario
    recorder.Unblock();
    bench->tester->Registers().Set(0x41000004, 0xB10C);
    uint32_t value = 0;
    EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); }));
    EXPECT_EQ(value, 0xB10Cu);
    EXPECT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
}

TEST_F(ConnectionLife, TerminateEndsEveryThreadAndNothingIsSentAfter) {
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    EXPECT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    bench->tester->ClearLog();
    uint32_t value = 0;
    EXPECT_EQ(BVT_Read(0x41000004, &value), 0);
    EXPECT_EQ(BVT_Write(0x41000004, 1), 0);
    EchoedByTester();
    EXPECT_TRUE(LibraryCommands().empty());
}

TEST_F(ConnectionLife, TerminateFromAMessageDispatchedDuringConnectEndsThatConnect) {
    const support::AppMessageWindow window([] { BrevixC_SYS_TerminateProcess(); });
    ASSERT_TRUE(window.Post());
    EXPECT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 0);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
}

// A connect dispatched by the pumped wait of an ending connection (a queued Reconnect click, a
// retry timer): afterwards the library is coherent, either not connected, or connected with a
// link that carries its reads to the tester.
TEST_F(ConnectionLife, ConnectFromAMessageDispatchedDuringAnEndingLeavesACoherentLibrary) {
    const struct {
        const char* name;
        std::function<void()> end;
    } endings[] = {
        {"terminate", [] { BrevixC_SYS_TerminateProcess(); }},
        {"a second init", [] { BrevixC_SYS_Init(CallbackRecorder::Callback, 0); }},
    };
    for (const auto& ending : endings) {
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1) << ending.name;
        std::atomic<int> connected{-1};
        const support::AppMessageWindow window([&] { connected = Detect() == 1 ? BrevixC_SYS_ConnectToBrevixCDevice() : 0; });
        ASSERT_TRUE(window.Post());
        ending.end();
        ASSERT_NE(connected, -1) << ending.name << ": the ending dispatched the message";

        bench->tester->Registers().Set(0x41000004, 0xC0DE);
        bench->tester->ClearLog();
        uint32_t value = 0;
        if (connected == 1) {
            EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); })) << ending.name;
            EXPECT_EQ(value, 0xC0DEu) << ending.name;
            EXPECT_FALSE(LibraryCommands().empty()) << ending.name << ": the new connection's reads reach the tester";
        } else {
            EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0) << ending.name;
            EXPECT_EQ(BVT_Read(0x41000004, &value), 0) << ending.name;
            EchoedByTester();
            EXPECT_TRUE(LibraryCommands().empty()) << ending.name;
        }
        // Either way the next connect is served.
        BrevixC_SYS_TerminateProcess();
        ASSERT_EQ(Detect(), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1) << ending.name;
        EXPECT_TRUE(Answered([&] { return BVT_Read(0x41000004, &value); })) << ending.name;
        BrevixC_SYS_TerminateProcess();
    }
}

TEST_F(ConnectionLife, AdapterWithoutAnAnsweringTesterIsRefused) {
    bench->tester->SetSilent(true);  // the probe is still answered: only register commands go unanswered
    ASSERT_EQ(Detect(), 1);
    EXPECT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 0);
    bench->tester->SetSilent(false);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    uint32_t value = 0;
    EXPECT_EQ(BVT_Read(0x41000004, &value), 0);
}

TEST_F(ConnectionLife, ProbeAnsweredOnItsThirdFrameFindsTheTester) {
    bench->model->AnswerProbeOn(3);
    const int before = bench->model->ProbeFramesSeen();
    std::vector<std::wstring> lines;
    {
        OpenDebugLog log;
        EXPECT_EQ(Detect(), 1);
        lines = ConsoleLines();
    }
    EXPECT_EQ(bench->model->ProbeFramesSeen() - before, 3);
    EXPECT_EQ(BVX_Machine_ID, 1);
    const unsigned char* mac = bench->pair.hostMac;
    wchar_t macLine[64];
    swprintf(macLine, 64, L"Adapter MAC: %02x-%02x-%02x-%02x-%02x-%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    const std::wstring description(bench->pair.hostInterface.begin(), bench->pair.hostInterface.end());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"Detecting OEM BVX");
    EXPECT_EQ(lines[1], L"\"OEM BVX\"");
    EXPECT_EQ(lines[2], L"Adapter index: 0");
    EXPECT_EQ(lines[3].rfind(L"Adapter Name: \\Device\\NPF_{", 0), 0u);
    EXPECT_EQ(lines[4], L"Adapter Desc: " + description);
    EXPECT_EQ(lines[5], macLine);
}

TEST_F(ConnectionLife, SilentProbeCostsTwentyFramesAndFindsNothing) {
    bench->model->AnswerProbeOn(0);
    const int before = bench->model->ProbeFramesSeen();
    EXPECT_EQ(Detect(), 0);
    EXPECT_EQ(bench->model->ProbeFramesSeen() - before, 20);
    char adapter[1024] = {};
    EXPECT_EQ(BrevixC_SYS_GetAdapterName(adapter), 0);
    EXPECT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 0);
    bench->model->AnswerProbeOn(1);
}


TEST_F(ConnectionLife, NoMatchingAdapterIsRefused) {
    // The device side's address carries the maker's prefix with a model byte of 0x0D: no model.
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", bench->pair.deviceInterface.c_str());
    EXPECT_EQ(Detect(), 0);
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", bench->pair.hostInterface.c_str());
    const int before = bench->model->ProbeFramesSeen();
    EXPECT_EQ(Detect(), 1);
    EXPECT_EQ(bench->model->ProbeFramesSeen() - before, 1);
}

}  // namespace
