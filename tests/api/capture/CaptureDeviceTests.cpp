// Capture, host Rx, replay, host Tx and SDFR through the DLL against a simulated Brevix-CF with a
// capture engine: the register words each call writes, read from the tester's log of commands, and
// captures in each mode arriving in `capture_buffer` or in 0x0201 messages.

#include "BrevixCCapture.h"
#include "LibraryThreads.h"
#include "device/DeviceBench.h"
#include "sim/CaptureEngine.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

using bench::ArrivedWrite;
using bench::Bytes;
using bench::Get32;
using bench::LastWrite;
using bench::Le16;
using bench::WrittenPairs;

std::unique_ptr<sim::CaptureEngine> engine;

const int registered = (bench::Register(1, [] { engine = std::make_unique<sim::CaptureEngine>(*bench::The().tester, 1); }), 0);

constexpr uint32_t kB = 0x02000000;

uint32_t Le32At(const Bytes& b, size_t at) { return uint32_t(bench::Le32(b, at)); }

class CaptureTest : public bench::DeviceTest {
protected:
    void SetUp() override {
        bench::DeviceTest::SetUp();
        ASSERT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
        BrevixC_CancelRxCapture(255);
        bench::The().tester->ClearLog();
        support::CallbackRecorder::Instance().Clear();
    }
    void TearDown() override { BrevixC_CancelRxCapture(255); }

    // Port A captures `frames` numbered frames of 64 bytes, and their upload is asked for.
    static void CaptureAndUpload(uint32_t frames) {
        ASSERT_EQ(BrevixC_StartRxCapture(0, 0, uint16_t(frames)), 1);
        ASSERT_TRUE(support::Eventually([] { return engine->Running(0); }));
        engine->ReceiveNumbered(0, 0, frames, 64);
        ASSERT_EQ(engine->Held(0), frames);
        ASSERT_EQ(BrevixC_StopRxCaptureNext(0, uint16_t(frames)), 1);
    }

    // The last 0x0200 report of an entry, once its records reach `held`.
    static Bytes ReportReaching(uint16_t entry, uint16_t held) {
        Bytes found;
        support::Eventually([&] {
            for (const auto& m : bench::Messages(0x0200)) {
                if (Le16(m.bytes, 16) == entry && Le16(m.bytes, 22) == held) found = m.bytes;
            }
            return !found.empty();
        });
        return found;
    }

    // Waits until no capture or upload thread of the library runs.
    static bool CaptureThreadsEnd() {
        return support::Eventually([] { return CountLibraryThreads(L"BrevixCAPI capture") == 0; });
    }

    // A copy of an entry's records (the copy must succeed).
    static BrevixC_CaptureVector Records(uint8_t entry) {
        BrevixC_CaptureVector copy;
        EXPECT_TRUE(BrevixC_CopyCaptureBuffer(entry, copy));
        return copy;
    }

    static void SetJumbo(uint32_t port, bool on) {
        BrevixC_RxCaptureConfig_T config{};
        config.port = port;
        config.jumbo = on;
        ASSERT_EQ(BrevixC_SetRxCaptureConfiguration(config), 1);
    }
};

TEST_F(CaptureTest, HostRxConfigurationWritesAddressesControlAndOptions) {
    BrevixC_HostRxConfig_T config{};
    config.port = 1;
    config.flags = 0x04;
    const uint8_t address[6] = {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
    std::memcpy(config.address1, address, 6);
    ASSERT_EQ(BrevixC_SetHostRxConfiguration(config), 1);
    EXPECT_EQ(LastWrite(0x41000010 + kB), 0x0A0B);
    EXPECT_EQ(LastWrite(0x41000014 + kB), 0x0C0D0E0F);
    EXPECT_EQ(LastWrite(0x41000000 + kB) & 0x101, 0x1);
    EXPECT_EQ(LastWrite(0x410000CC + kB) & 0x1C, 0x4);

    config.flags = 0x31;
    config.option = 1;
    ASSERT_EQ(BrevixC_SetHostRxConfiguration(config), 1);
    EXPECT_EQ(LastWrite(0x41000000 + kB) & 0x101, 0x101);
    EXPECT_EQ(LastWrite(0x410000CC + kB) & 0x1C, 0x18);
}

TEST_F(CaptureTest, HostRxStartsAndStopsWithOptionBitZero) {
    ASSERT_EQ(BrevixC_StartHostRx(255), 1);
    EXPECT_EQ(LastWrite(0x410000CC) & 1, 1);
    EXPECT_EQ(LastWrite(0x410000CC + kB) & 1, 1);
    ASSERT_EQ(BrevixC_StopHostRx(0), 1);
    EXPECT_EQ(ArrivedWrite(0x410000CC, LastWrite(0x410000CC) & ~1LL) & 1, 0);
    EXPECT_EQ(BrevixC_StartHostRx(2), 0);
}

TEST_F(CaptureTest, ReplayConfigurationWritesTheWrapAndTheModeWord) {
    BrevixC_ReplayConfig_T config{};
    config.port = 0;
    config.modeWord = 0x171;
    const uint8_t destination[6] = {1, 2, 3, 4, 5, 6}, source[6] = {7, 8, 9, 10, 11, 12}, tag[4] = {0x00, 0xFF, 0x00, 0x00};
    std::memcpy(config.destination, destination, 6);
    std::memcpy(config.source, source, 6);
    std::memcpy(config.tag, tag, 4);
    ASSERT_EQ(BrevixC_ReplayPacketConfig(config), 1);
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {0x410000B0, 0x0102}, {0x410000B4, 0x03040506}, {0x410000B8, 0x0708},
        {0x410000BC, 0x090A0B0C}, {0x410000C4, 0x00FF0000}, {0x410000C0, 0x171}};
    EXPECT_EQ(WrittenPairs(), expected);
}

TEST_F(CaptureTest, ReplayTypesOfBothPortsAreKeptButOnePortAlwaysAsksForTwentyFrames) {
    ASSERT_EQ(BrevixC_ReplayPackets(255, 9), 1);
    EXPECT_EQ(ArrivedWrite(0x41000038, 16), 16);
    EXPECT_EQ(ArrivedWrite(0x41000038 + kB, 16), 16);
    ASSERT_EQ(BrevixC_ReplayPackets(0, 1), 1);
    EXPECT_EQ(ArrivedWrite(0x41000038, 64), 64);
    ASSERT_EQ(BrevixC_ExchangeVLAN(255, 1), 1);
    EXPECT_EQ(ArrivedWrite(0x41000038, 64 + 1024), 64 + 1024);
    EXPECT_EQ(ArrivedWrite(0x41000038 + kB, 64 + 1024), 64 + 1024);
    ASSERT_EQ(BrevixC_ReplayPackets(255, 9), 1);
    EXPECT_EQ(ArrivedWrite(0x41000038 + kB, 1040), 1040);
    ASSERT_EQ(BrevixC_ExchangeVLAN(255, 0), 1);
    EXPECT_EQ(BrevixC_ReplayPackets(3, 0), 0);
}

TEST_F(CaptureTest, CaptureConfigurationWritesFiltersRunWordOptionsAndControl) {
    BrevixC_RxCaptureConfig_T config{};
    config.port = 0;
    config.maskA = 0x20000000;
    config.maskB = 0x00000001;
    config.flags = 0xFFFFFFFF;
    config.lengthValue = 0x7FF;
    config.lengthMode = 3;
    config.jumbo = 1;
    const std::wstring text(400, L'n');
    config.text = text.c_str();
    ASSERT_EQ(BrevixC_SetRxCaptureConfiguration(config), 1);
    EXPECT_EQ(LastWrite(0x41000048), 0x80);
    EXPECT_EQ(LastWrite(0x4100004C), 0x8);
    EXPECT_EQ(LastWrite(0x410000C8), 0x4F9FFF8F);
    EXPECT_EQ(LastWrite(0x410000CC) & 0xFFFFF020u, 0xC7FFF020u);
    EXPECT_EQ(LastWrite(0x41000000) & 0x80000000u, 0x80000000u);
    config.jumbo = 0;
    config.text = nullptr;
    ASSERT_EQ(BrevixC_SetRxCaptureConfiguration(config), 1);
    EXPECT_EQ(BrevixC_SetRxCaptureConfiguration(BrevixC_RxCaptureConfig_T{7}), 0);
}

TEST_F(CaptureTest, HostTxWritesBothAddressesOfThePort) {
    BrevixC_HostTxConfig_T config{};
    config.port = 1;
    const uint8_t a[6] = {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}, b[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(config.address1, a, 6);
    std::memcpy(config.address2, b, 6);
    ASSERT_EQ(BrevixC_SetHostTxConfiguration(config), 1);
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {0x40000070, 0x0A0B}, {0x40000074, 0x0C0D0E0F}, {0x40000078, 0x0102}, {0x4000007C, 0x03040506}};
    EXPECT_EQ(WrittenPairs(), expected);
}

TEST_F(CaptureTest, SdfrEnableReplacesOnlyTheLowHalvesTheConfigurationLeft) {
    BrevixC_SdfrConfig_T config{};
    config.port = 0;
    config.pairA[0] = 0xF123;
    config.pairA[1] = 0xF456;
    config.words1_4[0] = 0x11111111;
    config.configuration = 0xAAAABBBB;
    ASSERT_EQ(BrevixC_SetSDFRConfiguration(config), 1);
    EXPECT_EQ(LastWrite(0x41000070), 0x01230456);
    EXPECT_EQ(LastWrite(0x41000088), 0x11111111);
    EXPECT_EQ(WrittenPairs().size(), 33u);
    ASSERT_EQ(BrevixC_SetSDFREnable(0, 0x12345678), 1);
    EXPECT_EQ(LastWrite(0x41000040), 0xAAAA5678);
    EXPECT_EQ(LastWrite(0x41000044), 0xBBBB1234);
    EXPECT_EQ(BrevixC_GetSDFREnable(0), 0x12345678u);
    EXPECT_EQ(BrevixC_GetSDFREnable(2), 0u);
    EXPECT_EQ(BrevixC_SetSDFREnable(255, 1), 0);
}

TEST_F(CaptureTest, AStartInModeZeroRunsTheTesterAndStartsNoThread) {
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 500), 1);
    EXPECT_EQ(LastWrite(0x41000038), 4);
    EXPECT_EQ(LastWrite(0x410000C8) & 0x80000000u, 0x80000000u);
    EXPECT_EQ(LastWrite(0x410000C0) & 0x171, 0);
    EXPECT_TRUE(engine->Running(0));
}

TEST_F(CaptureTest, ABlockCaptureArrivesInOrderWithLengthsAndStamps) {
    // Blocks of 100 frames chosen for the port: the upload still asks block by block for 20.
    ASSERT_EQ(BrevixC_ReplayPackets(255, 0), 1);
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 300), 1);
    ASSERT_TRUE(support::Eventually([] { return engine->Running(0); }));
    engine->ReceiveNumbered(0, 0, 300, 100);
    ASSERT_EQ(engine->Held(0), 300u);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 300), 1);
    const Bytes report = ReportReaching(0, 300);
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(Le16(report, 24), 0);
    BrevixC_CaptureVector copy;
    ASSERT_TRUE(BrevixC_CopyCaptureBuffer(0, copy));
    ASSERT_EQ(copy.size(), 300u);
    for (uint32_t i = 0; i < 300; ++i) {
        ASSERT_EQ(copy[i].length, 100u);
        ASSERT_EQ(copy[i].wireLength, 100u);
        ASSERT_EQ(copy[i].header0, engine->StampOf(0, i));
        ASSERT_EQ(Get32(Bytes(copy[i].data, copy[i].data + 4), 0), i) << "in the order captured";
        ASSERT_EQ(copy[i].port, 0u);
    }
    EXPECT_EQ(engine->Held(0), 0u) << "the tester is emptied";
    BrevixC_CaptureVector* inPlace = nullptr;
    ASSERT_EQ(BrevixC_ReadRxCaptureBuffer(0, &inPlace), 1);
    EXPECT_EQ(inPlace, &capture_buffer[0]);
    EXPECT_EQ(BrevixC_ReadRxCaptureBuffer(3, &inPlace), 0);
}

// When the tester received each request for the next block of 20 frames from a port (replay
// command 64, the VLAN exchange bit aside, at the port's replay command register).
std::vector<std::chrono::steady_clock::time_point> BlockRequestTimes(uint32_t replayCommandRegister) {
    std::vector<std::chrono::steady_clock::time_point> times;
    for (const sim::LoggedFrame& f : bench::The().tester->Commands()) {
        if (!frames::FromLibrary(f.bytes) || f.bytes[14] != 0) continue;
        for (size_t i = 0; i < f.bytes[15] && 24 + 8 * i <= f.bytes.size(); ++i) {
            if (Get32(f.bytes, 16 + 8 * i) == replayCommandRegister && (Get32(f.bytes, 20 + 8 * i) & ~1024u) == 64)
                times.push_back(f.at);
        }
    }
    return times;
}

TEST_F(CaptureTest, AnUploadAsksForABlockEveryTwentyMillisecondsWorkIncluded) {
    // A block request takes time of its own (its register write and a 2 ms pause after it): asked
    // for that long plus 20 ms apart, no two requests could come less than 22 ms apart. Paced from
    // one request to the next, requests on time are one 20 ms period apart; a busy machine may make
    // many late, but not all of them over an upload of 60 blocks.
    constexpr uint32_t kBlocks = 60;
    constexpr uint32_t kFrames = kBlocks * 20;
    ASSERT_NO_FATAL_FAILURE(CaptureAndUpload(kFrames));
    // The requests themselves, whether or not the host has taken in the frames yet.
    std::vector<std::chrono::steady_clock::time_point> times;
    ASSERT_TRUE(support::Eventually([&] { return (times = BlockRequestTimes(0x41000038)).size() >= kBlocks; }));
    ASSERT_EQ(times.size(), size_t(kBlocks));
    std::vector<double> gaps;
    std::string seen;
    for (size_t i = 1; i < times.size(); ++i) {
        gaps.push_back(std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count());
        seen += std::to_string(int(gaps.back() + 0.5)) + " ";
    }
    // Below 21 ms, to leave a millisecond for when the tester happened to log each request.
    const auto onePeriodApart = std::count_if(gaps.begin(), gaps.end(), [](double gap) { return gap < 21; });
    EXPECT_GE(onePeriodApart, 10) << "gaps in ms: " << seen;
    // Nor faster than a period a block, less the part of a period by which a late first request
    // may have been caught up with, and a little for the logging.
    const double span = std::chrono::duration<double, std::milli>(times.back() - times.front()).count();
    EXPECT_GT(span, 20.0 * gaps.size() - 25) << "gaps in ms: " << seen;
}

TEST_F(CaptureTest, RegisterRepliesComeThroughAnUploadWhileTheQueueMutexIsHeldAndEveryFrameFollowsInOrder) {
    constexpr uint32_t kFrames = 200;
    constexpr uint32_t kScratch = 0x41000004;
    bench::The().tester->Registers().Set(kScratch, 0x5A5AA5A5);
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, kFrames), 1);
    ASSERT_TRUE(support::Eventually([] { return engine->Running(0); }));
    engine->ReceiveNumbered(0, 0, kFrames, 1518);
    const size_t sentBefore = engine->Sent(0);
    // "Mutex" held here, as a long hold by an upload or a host call would: the block requests go
    // on, and the receive thread meets full-size captured frames before the read's reply.
    HANDLE queueMutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Mutex");
    ASSERT_NE(queueMutex, nullptr);
    ASSERT_EQ(WaitForSingleObject(queueMutex, 0), WAIT_OBJECT_0);
    const int stopNext = BrevixC_StopRxCaptureNext(0, kFrames);
    const bool flooded = support::Eventually([sentBefore] { return engine->Sent(0) - sentBefore >= 60; });
    uint32_t value = 0;
    const int read = BVT_Read(kScratch, &value);
    ReleaseMutex(queueMutex);
    CloseHandle(queueMutex);
    ASSERT_EQ(stopNext, 1);
    ASSERT_TRUE(flooded);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(value, 0x5A5AA5A5u);
    ASSERT_FALSE(ReportReaching(0, kFrames).empty());
    const BrevixC_CaptureVector copy = Records(0);
    ASSERT_EQ(copy.size(), kFrames);
    for (uint32_t i = 0; i < kFrames; ++i) {
        ASSERT_EQ(copy[i].length, 1518u);
        ASSERT_EQ(Get32(Bytes(copy[i].data, copy[i].data + 4), 0), i) << "in the order captured";
    }
}

TEST_F(CaptureTest, AnUploadOfManyBlocksAsksForEachOnceAndHoldsEveryFrame) {
    // Each request brings 20 frames, one request every 20 ms: the tester sends the 1,200 frames in
    // 1.2 s. An upload that takes them in at that pace holds the last ones moments after the last
    // request; one that stalls on each frame falls further behind with every block (at half the
    // pace it ends over a second after the last request, at an eighth over eight). Measured from
    // the last request, a busy machine's late requests cost the bound nothing.
    constexpr uint32_t kBlocks = 60;
    constexpr uint32_t kFrames = kBlocks * 20;
    ASSERT_NO_FATAL_FAILURE(CaptureAndUpload(kFrames));
    ASSERT_FALSE(ReportReaching(0, uint16_t(kFrames)).empty());
    const std::vector<std::chrono::steady_clock::time_point> requests = BlockRequestTimes(0x41000038);
    ASSERT_EQ(requests.size(), size_t(kBlocks));
    std::chrono::steady_clock::time_point held{};
    for (const auto& m : bench::Messages(0x0200)) {
        if (Le16(m.bytes, 16) == 0 && Le16(m.bytes, 22) == kFrames) {
            held = m.at;
            break;
        }
    }
    const double lagMs = std::chrono::duration<double, std::milli>(held - requests.back()).count();
    EXPECT_LT(lagMs, 1500) << "the last frames held this long after the last request";
}

TEST_F(CaptureTest, AJumboFrameIsRebuiltFromItsChunks) {
    BrevixC_RxCaptureConfig_T config{};
    config.port = 1;
    config.jumbo = 1;
    ASSERT_EQ(BrevixC_SetRxCaptureConfiguration(config), 1);
    ASSERT_EQ(BrevixC_StartRxCapture(1, 0, 0), 1);
    engine->ReceiveNumbered(1, 77, 1, 7000);
    engine->ReceiveNumbered(1, 78, 1, 90);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(1, 0), 1);
    BrevixC_CaptureVector copy;
    ASSERT_TRUE(support::Eventually([&] { return BrevixC_CopyCaptureBuffer(1, copy) && copy.size() == 2; }));
    EXPECT_EQ(copy[0].length, 7000u);
    EXPECT_EQ(Get32(Bytes(copy[0].data, copy[0].data + 4), 0), 77u);
    for (uint32_t k = 4; k < 7000; ++k) ASSERT_EQ(copy[0].data[k], uint8_t(k * 7)) << k;
    EXPECT_EQ(copy[1].length, 90u);
    config.jumbo = 0;
    BrevixC_SetRxCaptureConfiguration(config);
}

TEST_F(CaptureTest, InstantCaptureForwardsEachFrameAsAMessage) {
    ASSERT_EQ(BrevixC_StartRxCapture(1, 1, 0), 1);
    EXPECT_EQ(LastWrite(0x410000C0 + kB), 0x171);
    engine->ReceiveNumbered(1, 500, 5, 80);
    std::vector<support::HostMessage> frames;
    ASSERT_TRUE(support::Eventually([&] { return (frames = bench::Messages(0x0201)).size() == 5; }));
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Le16(frames[i].bytes, 16), 1);
        EXPECT_EQ(Le32At(frames[i].bytes, 18 + 4), 80u);       // wire length
        EXPECT_EQ(Le32At(frames[i].bytes, 18 + 8), 80u);       // bytes held
        EXPECT_EQ(Le32At(frames[i].bytes, 18 + 20), 1u);       // port
    }
    ASSERT_EQ(BrevixC_StopRxCapture(1), 1);
    EXPECT_EQ(LastWrite(0x410000C8 + kB) & 0x80000000u, 0u);
}

TEST_F(CaptureTest, BothPortsCaptureFillsEachPortAndTheBothPortsEntry) {
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 40), 1);
    engine->ReceiveNumbered(0, 0, 40, 64);
    engine->ReceiveNumbered(1, 1000, 40, 64);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(255, 40), 1);
    ASSERT_FALSE(ReportReaching(0, 40).empty());
    ASSERT_FALSE(ReportReaching(1, 40).empty());
    ASSERT_FALSE(ReportReaching(2, 80).empty());
    // The both-ports upload ends by halting each port; no halt goes to an address past Port B.
    EXPECT_EQ(ArrivedWrite(0x41000038 + kB, 512), 512);
    EXPECT_EQ(LastWrite(0x45000038), -1);
    BrevixC_CaptureVector both;
    ASSERT_TRUE(BrevixC_CopyCaptureBuffer(2, both));
    size_t portB = 0;
    for (const auto& record : both) portB += record.port;
    EXPECT_EQ(portB, 40u);
}

// A Port A upload fills Port A's vector and the both-ports vector from the same frames: each frame's
// bytes are held once, for both records. A cancel of Port A clears its vector and leaves the
// both-ports records their bytes; a second capture fills both afresh.
TEST_F(CaptureTest, APortAUploadKeepsEachFrameOnceForBothItsVectors) {
    constexpr uint32_t kFrames = 200, kBytes = 300;
    const auto framed = [](const BrevixC_PKTCAP_Content_S& record, uint32_t number, uint32_t i) {
        Bytes expected(kBytes);
        for (uint32_t k = 0; k < kBytes; ++k) expected[k] = uint8_t(k * 7 + i);
        expected[0] = uint8_t(number >> 24);
        expected[1] = uint8_t(number >> 16);
        expected[2] = uint8_t(number >> 8);
        expected[3] = uint8_t(number);
        return record.length == kBytes && record.data && Bytes(record.data, record.data + kBytes) == expected;
    };
    for (uint32_t first : {0u, 5000u}) {
        support::CallbackRecorder::Instance().Clear();
        ASSERT_EQ(BrevixC_StartRxCapture(0, 0, kFrames), 1);
        ASSERT_TRUE(support::Eventually([] { return engine->Running(0); }));
        engine->ReceiveNumbered(0, first, kFrames, kBytes);
        ASSERT_EQ(BrevixC_StopRxCaptureNext(0, kFrames), 1);
        ASSERT_FALSE(ReportReaching(0, kFrames).empty());
        ASSERT_TRUE(CaptureThreadsEnd());
        // The both-ports upload takes as many as its own limit says: it may stop short of Port A's.
        ASSERT_EQ(capture_buffer[0].size(), kFrames);
        ASSERT_FALSE(capture_buffer[2].empty());
        ASSERT_LE(capture_buffer[2].size(), kFrames);
        for (uint32_t i = 0; i < kFrames; ++i) {
            if (i < capture_buffer[2].size()) ASSERT_EQ(capture_buffer[2][i].data, capture_buffer[0][i].data) << i;
            ASSERT_TRUE(framed(capture_buffer[0][i], first + i, i)) << i;
        }
    }
    ASSERT_EQ(BrevixC_CancelRxCapture(0), 1);
    EXPECT_TRUE(capture_buffer[0].empty());
    // Blocks of the frames' size taken and written over: a block freed with Port A's records would
    // likely be among them.
    std::vector<Bytes> scribbled(400, Bytes(kBytes, 0xEE));
    ASSERT_FALSE(capture_buffer[2].empty());
    for (uint32_t i = 0; i < capture_buffer[2].size(); ++i) ASSERT_TRUE(framed(capture_buffer[2][i], 5000 + i, i)) << i;
}

TEST_F(CaptureTest, CancelClearsTheVectorsStopsTheRunAndHaltsTheUpload) {
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 100), 1);
    engine->ReceiveNumbered(0, 0, 100, 64);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 100), 1);
    ASSERT_TRUE(support::Eventually([] { return !capture_buffer[0].empty() || !bench::Messages(0x0200).empty(); }));
    ASSERT_EQ(BrevixC_CancelRxCapture(0), 1);
    EXPECT_EQ(LastWrite(0x410000C8) & 0x80000000u, 0u);
    EXPECT_EQ(LastWrite(0x41000038), 512);
    BrevixC_CaptureVector copy;
    ASSERT_TRUE(BrevixC_CopyCaptureBuffer(0, copy));
    EXPECT_TRUE(copy.empty());
}

// A cancel's register calls let the caller's window messages through; a handler among them may
// cancel again on the same thread, as a second click on Cancel does. The window below cancels Port
// A whenever it gets WM_APP, and notes whether the cancel it interrupted had written the run word
// and not yet halted the port: a handler dispatched just before the halt is sent.
struct NestedCancels {
    HWND window = nullptr;
    std::atomic<int> dispatched{0};
    std::atomic<int> beforeTheHalt{0};
    std::atomic<int> failed{0};
} nested;

LRESULT CALLBACK CancelAgainWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_APP) return DefWindowProcW(window, message, w, l);
    uint32_t lastOfPortA = 0;
    for (const auto& pair : bench::WrittenPairs()) {
        if (pair.first == 0x410000C8 || pair.first == 0x41000038) lastOfPortA = pair.first;
    }
    if (lastOfPortA == 0x410000C8) ++nested.beforeTheHalt;
    if (BrevixC_CancelRxCapture(0) != 1) ++nested.failed;
    ++nested.dispatched;
    return 0;
}

TEST_F(CaptureTest, ACancelCalledFromAMessageDispatchedInsideACancelRunsAndNeitherHangs) {
    // A repeated run starts counting afresh.
    nested.dispatched = 0;
    nested.beforeTheHalt = 0;
    nested.failed = 0;
    // The cancels run on a thread of their own with its window, the way a host's GUI thread makes
    // them: a cancel that waits for itself must fail this test, not stop the program.
    std::atomic<bool> done{false};
    std::atomic<int> outerFailed{0};
    std::thread gui([&] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = CancelAgainWindow;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"CaptureCancelAgain";
        RegisterClassW(&cls);
        nested.window = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
        // Which register call lets messages through depends on every thread's calls: cancel until
        // a few handlers ran inside a cancel between its run word and its halt. A handler that ran
        // at the run word's write instead is followed by one register read, which moves the next
        // call that lets messages through along by one.
        const auto end = std::chrono::steady_clock::now() + support::kPatience;
        int posted = 0;
        while (nested.beforeTheHalt < 3 && std::chrono::steady_clock::now() < end) {
            if (posted == nested.dispatched) ++posted, PostMessageW(nested.window, WM_APP, 0, 0);
            const int dispatched = nested.dispatched, beforeTheHalt = nested.beforeTheHalt;
            if (BrevixC_CancelRxCapture(0) != 1) ++outerFailed;
            uint32_t value = 0;
            if (nested.dispatched > dispatched && nested.beforeTheHalt == beforeTheHalt) BVT_Read(0x41000004, &value);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        DestroyWindow(nested.window);
        done = true;
    });
    const bool ended = support::Eventually([&] { return done.load(); }, 2 * support::kPatience);
    if (!ended) {
        gui.detach();
        FAIL() << "a cancel never returned; " << nested.dispatched << " handlers had run";
    }
    gui.join();
    EXPECT_GE(nested.beforeTheHalt, 3) << "handlers run before a halt: " << nested.beforeTheHalt << " of "
                                       << nested.dispatched;
    EXPECT_EQ(nested.failed, 0);
    EXPECT_EQ(outerFailed, 0);
    // Each cancel, nested or not, halted the port.
    EXPECT_EQ(LastWrite(0x41000038), 512);
}

// The host starts a capture from a message that a cancel let through, as a click on Start that
// came while Cancel ran: the capture it starts is the port's from then on, and nothing the cancel
// still does may undo it. The window below starts Port A in mode 0 whenever it gets WM_APP and
// notes whether that happened inside a cancel.
struct StartsInsideCancels {
    HWND window = nullptr;
    bool cancelling = false;  // the GUI thread's own
    std::atomic<int> inside{0};
    std::atomic<int> failed{0};
} starts;

LRESULT CALLBACK StartWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_APP) return DefWindowProcW(window, message, w, l);
    if (BrevixC_StartRxCapture(0, 0, 40) != 1) ++starts.failed;
    if (starts.cancelling) ++starts.inside;
    return 0;
}

TEST_F(CaptureTest, ACaptureStartedFromAMessageThatACancelDispatchedOutlivesTheCancel) {
    starts.inside = 0;
    starts.failed = 0;
    std::atomic<bool> done{false};
    std::atomic<int> undone{0};
    std::string first;  // what the first undone start found, written by the GUI thread before done
    std::thread gui([&] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = StartWindow;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"CaptureStartInsideCancel";
        RegisterClassW(&cls);
        starts.window = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
        const auto end = std::chrono::steady_clock::now() + support::kPatience;
        MSG message;
        while (starts.inside < 3 && std::chrono::steady_clock::now() < end) {
            PostMessageW(starts.window, WM_APP, 0, 0);
            const int inside = starts.inside;
            starts.cancelling = true;
            BrevixC_CancelRxCapture(0);
            starts.cancelling = false;
            if (starts.inside > inside) {
                // The tester's capture runs from a cleared store, as the start left it.
                const int64_t replay = LastWrite(0x41000038), run = LastWrite(0x410000C8);
                if (replay != 4 || !(run & 0x80000000u) || !engine->Running(0)) {
                    if (undone++ == 0)
                        first = "replay command " + std::to_string(replay) + ", run word " + std::to_string(run);
                }
            }
            // A start the cancel did not let through runs now, outside it.
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
        DestroyWindow(starts.window);
        done = true;
    });
    const bool ended = support::Eventually([&] { return done.load(); }, 2 * support::kPatience);
    if (!ended) {
        gui.detach();
        FAIL() << "a cancel or a start never returned";
    }
    gui.join();
    ASSERT_GE(starts.inside, 3) << "starts run inside a cancel";
    EXPECT_EQ(starts.failed, 0);
    EXPECT_EQ(undone, 0) << "of " << starts.inside << " starts inside a cancel; the first found " << first;
    // The last of them captures and uploads as any capture does.
    engine->ReceiveNumbered(0, 0, 40, 64);
    ASSERT_EQ(engine->Held(0), 40u);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 40), 1);
    ASSERT_TRUE(CaptureThreadsEnd());
    const BrevixC_CaptureVector records = Records(0);
    ASSERT_EQ(records.size(), 40u);
    for (uint32_t i = 0; i < 40; ++i) ASSERT_EQ(Get32(Bytes(records[i].data, records[i].data + 4), 0), i);
}

// The reply wait the library works with in this run (BREVIX_REPLY_WAIT_MS, 10 to 1000 ms).
std::chrono::milliseconds LibraryReplyWait() {
    const char* asked = std::getenv("BREVIX_REPLY_WAIT_MS");
    return std::chrono::milliseconds(std::clamp(asked ? std::atoi(asked) : 10, 10, 1000));
}

// The tester loses the stop-next's first two status reads and answers the third only after the
// library stopped waiting for it: the stop-next fails, and the answer that comes at last starts no
// upload. The next stop-next uploads every frame.
TEST_F(CaptureTest, AStopNextAnswerThatComesAfterItsLastReadGaveUpIsNotTaken) {
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 40), 1);
    ASSERT_TRUE(support::Eventually([] { return engine->Running(0); }));
    engine->ReceiveNumbered(0, 0, 40, 64);
    {
        std::atomic<int> reads{0};
        bench::Interception late([&](const Bytes& frame) {
            if (!frames::FromLibrary(frame) || frame.size() < 20 || Get32(frame, 16) != (0x80000000u | 0x41000024))
                return false;
            if (++reads < 3) return true;
            std::this_thread::sleep_for(2 * LibraryReplyWait() + std::chrono::milliseconds(50));
            return false;
        });
        EXPECT_EQ(BrevixC_StopRxCaptureNext(0, 40), 0);
        // The tester answers in order: once a later read is answered, the late answer has come.
        bench::HandledByTester();
        ASSERT_EQ(reads, 3);
    }
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI capture"), 0);
    EXPECT_EQ(engine->Held(0), 40u) << "no block was asked for";
    EXPECT_TRUE(bench::Messages(0x0200).empty());

    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 40), 1);
    ASSERT_TRUE(CaptureThreadsEnd());
    EXPECT_EQ(Records(0).size(), 40u);
}

TEST_F(CaptureTest, StopNextIsRefusedForAnUnknownPort) { EXPECT_EQ(BrevixC_StopRxCaptureNext(7, 10), 0); }

TEST_F(CaptureTest, TheTapCaptureModeNeedsTheTapDevice) {
    EXPECT_EQ(BrevixC_SetTapRxCaptureMode(0, 2), 0);
}

TEST_F(CaptureTest, ACaptureStoppingAtItsSizeLimitUploadsByItself) {
    ASSERT_EQ(BrevixC_StartRxCapture(0, 2, 50), 1);
    engine->ReceiveNumbered(0, 0, 60, 64);
    // The counter poll sees the tester holding enough and asks for the upload.
    ASSERT_FALSE(ReportReaching(0, 50).empty());
    BrevixC_CaptureVector copy;
    ASSERT_TRUE(BrevixC_CopyCaptureBuffer(0, copy));
    EXPECT_EQ(copy.size(), 50u);
}

// Capture after capture while the counter poller reads every second: none may stall. Runs for
// BREVIX_CAPTURE_SOAK_SECONDS (a minute in a soak run), a few seconds by default.
TEST_F(CaptureTest, CapturesAndTheCounterPollerRunTogetherWithoutAStall) {
    const char* soak = std::getenv("BREVIX_CAPTURE_SOAK_SECONDS");
    const auto length = std::chrono::seconds(soak ? std::atoi(soak) : 3);
    const auto end = std::chrono::steady_clock::now() + length;
    int rounds = 0;
    while (std::chrono::steady_clock::now() < end || rounds == 0) {
        support::CallbackRecorder::Instance().Clear();
        ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 120), 1);
        engine->ReceiveNumbered(0, uint32_t(rounds) << 16, 120, 200);
        ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 120), 1)
            << "round " << rounds << ", capture threads " << CountLibraryThreads(L"BrevixCAPI capture")
            << ", reports " << bench::Messages(0x0200).size() << ", held " << engine->Held(0);
        ASSERT_FALSE(ReportReaching(0, 120).empty()) << "round " << rounds;
        // A progress report may already hold every frame while the upload is still ending (it
        // halts the tester and pauses before its final report); the next capture of the port can
        // start once its threads are gone.
        ASSERT_TRUE(support::Eventually([] { return CountLibraryThreads(L"BrevixCAPI capture") == 0; }))
            << "round " << rounds;
        ++rounds;
    }
    // The poller's reads went on between the captures' commands.
    const size_t polls = bench::LibraryCommands().size() - bench::CommandsBesidesPolls().size();
    EXPECT_GE(polls, size_t(1));
}

// Last in the program's order only by name; it connects again before it ends.
TEST_F(CaptureTest, TerminateDuringAnUploadLeavesNoCaptureThreadAndEmptyVectors) {
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 3000), 1);
    engine->ReceiveNumbered(0, 0, 3000, 64);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 3000), 1);
    ASSERT_TRUE(support::Eventually([] { return !bench::Messages(0x0200).empty(); }));
    ASSERT_GT(CountLibraryThreads(L"BrevixCAPI capture"), 0);
    BrevixC_SYS_TerminateProcess();
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI capture"), 0);
    for (const auto& vector : capture_buffer) EXPECT_TRUE(vector.empty());
    ASSERT_EQ(BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0), 1);
    char model[32] = {};
    ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
}

TEST_F(CaptureTest, AStopNextAskingForMoreThanTheTesterHoldsEndsWhenNothingMoreComes) {
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 100), 1);
    engine->ReceiveNumbered(0, 0, 30, 64);
    const size_t halts = engine->Halts(0);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 100), 1);
    ASSERT_TRUE(CaptureThreadsEnd()) << "reports " << bench::Messages(0x0200).size();
    const Bytes last = ReportReaching(0, 30);
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(Le16(last, 24), 70) << "frames still to come of the 100 asked for";
    EXPECT_EQ(Records(0).size(), 30u);
    EXPECT_EQ(engine->Halts(0), halts + 1) << "the upload halts the port when it ends";
}

// Counter poll reads of the port's block-count register since the tester's log was cleared: each
// lets the library see whether the tester's capture store is empty.
size_t PollsOfBlockCount(uint32_t port) {
    size_t polls = 0;
    for (const Bytes& f : bench::LibraryCommands()) {
        if (f[14] != 0 || f.size() < 24 || (Get32(f, 16) & 0x7FFFFFFFu) == 0x41000024 + port * kB) continue;
        for (size_t i = 0; i < f[15] && 24 + 8 * i <= f.size(); ++i) {
            if (Get32(f, 16 + 8 * i) == (0x80000000u | (0x41000028 + port * kB))) ++polls;
        }
    }
    return polls;
}

TEST_F(CaptureTest, AStopNextAfterAnUploadAndAForwardingTakesEveryFrame) {
    ASSERT_NO_FATAL_FAILURE(CaptureAndUpload(20));
    ASSERT_TRUE(CaptureThreadsEnd());
    // The counter poll sees the tester emptied by that upload.
    bench::The().tester->ClearLog();
    ASSERT_TRUE(support::Eventually([] { return PollsOfBlockCount(0) >= 1; }));
    // Forwarding on and off: the tester's capture runs on and keeps what it receives.
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(0, 1), 1);
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(0, 0), 1);
    ASSERT_TRUE(CaptureThreadsEnd());
    engine->ReceiveNumbered(0, 0, 200, 64);
    ASSERT_EQ(engine->Held(0), 200u);
    // The tester answers the third block request late, as a busy one may: the upload meets a pause.
    int requests = 0;
    bench::Interception late([&](const Bytes& frame) {
        for (size_t at = 16; frames::FromLibrary(frame) && at + 8 <= frame.size(); at += 8) {
            if (Get32(frame, at) == 0x41000038 && (Get32(frame, at + 4) & ~1024u) == 64 && ++requests == 3)
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
        return false;
    });
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 200), 1);
    ASSERT_TRUE(CaptureThreadsEnd());
    const BrevixC_CaptureVector records = Records(0);
    ASSERT_EQ(records.size(), 200u);
    for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(Get32(Bytes(records[i].data, records[i].data + 4), 0), i);
}

TEST_F(CaptureTest, AJumboUploadEndsByItselfAndTheBothPortsEntryRebuildsPortAsJumboFrames) {
    SetJumbo(0, true);
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 0), 1);
    engine->ReceiveNumbered(0, 10, 1, 5000);
    engine->ReceiveNumbered(0, 11, 1, 100);
    engine->ReceiveNumbered(1, 20, 2, 100);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(255, 0), 1);
    const bool ended = CaptureThreadsEnd();
    SetJumbo(0, false);
    ASSERT_TRUE(ended);
    const BrevixC_CaptureVector a = Records(0), both = Records(2);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].length, 5000u);
    EXPECT_EQ(Records(1).size(), 2u);
    ASSERT_EQ(both.size(), 4u) << "Port A's jumbo frame is one record of entry 2 as well";
    EXPECT_EQ(std::count_if(both.begin(), both.end(), [](const auto& r) { return r.length == 5000; }), 1);
}

TEST_F(CaptureTest, AStopNextOfBothPortsGivesTheBothPortsEntryItsLimitBeforeTheUploadsStart) {
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 5), 1);
    engine->ReceiveNumbered(0, 0, 40, 64);
    engine->ReceiveNumbered(1, 1000, 40, 64);
    // Port B's status read is answered late, well after Port A's block count has started the
    // both-ports upload, as a busy tester may.
    bench::Interception late([](const Bytes& frame) {
        for (size_t at = 16; frames::FromLibrary(frame) && at + 4 <= frame.size(); at += 4) {
            if ((Get32(frame, at) & 0x7FFFFFFFu) == 0x43000024) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    });
    ASSERT_EQ(BrevixC_StopRxCaptureNext(255, 40), 1);
    ASSERT_FALSE(ReportReaching(2, 80).empty());
    ASSERT_TRUE(CaptureThreadsEnd());
    EXPECT_EQ(Records(0).size(), 40u);
    EXPECT_EQ(Records(1).size(), 40u);
    EXPECT_EQ(Records(2).size(), 80u);
}

// The library's reads of a port's capture status (the stop-next's question) the tester received.
size_t StatusReads(uint32_t port) {
    size_t reads = 0;
    for (const Bytes& f : bench::LibraryCommands()) {
        if (f[14] == 0 && Get32(f, 16) == (0x80000000u | (0x41000024 + port * kB))) ++reads;
    }
    return reads;
}

// Port B's answer to the stop-next is lost once: the library asks again, and the both-ports upload,
// which waits for Port B's frames, ends with them.
TEST_F(CaptureTest, ABothPortsUploadWhosePortBAnswerIsLostOnceAsksAgainAndEndsWithEveryFrame) {
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 40), 1);
    engine->ReceiveNumbered(0, 0, 40, 64);
    engine->ReceiveNumbered(1, 1000, 40, 64);
    std::atomic<int> lost{0};
    bench::Interception lose([&](const Bytes& frame) {
        if (lost || !frames::FromLibrary(frame) || frame.size() < 20) return false;
        return (lost = Get32(frame, 16) == (0x80000000u | (0x41000024 + kB))) != 0;
    });
    ASSERT_EQ(BrevixC_StopRxCaptureNext(255, 40), 1);
    ASSERT_EQ(lost, 1);
    const Bytes last = ReportReaching(2, 80);
    ASSERT_FALSE(last.empty()) << "the both-ports upload holds " << Records(2).size();
    EXPECT_EQ(Le16(last, 24), 0);
    ASSERT_TRUE(CaptureThreadsEnd());
    EXPECT_EQ(Records(0).size(), 40u);
    EXPECT_EQ(Records(1).size(), 40u);
    EXPECT_EQ(Records(2).size(), 80u);
    EXPECT_EQ(StatusReads(1), 2u) << "the lost read and the one made again";
    EXPECT_EQ(engine->Held(1), 0u);
}

// Port B never answers: the stop-next gives up on it after a few reads, and the both-ports upload
// ends with Port A's frames and its final report instead of waiting for Port B's for ever.
TEST_F(CaptureTest, ABothPortsUploadEndsWithWhatItHasWhenPortBNeverAnswers) {
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 40), 1);
    engine->ReceiveNumbered(0, 0, 40, 64);
    engine->ReceiveNumbered(1, 1000, 40, 64);
    std::atomic<int> lost{0};
    bench::Interception lose([&](const Bytes& frame) {
        if (!frames::FromLibrary(frame) || frame.size() < 20 || Get32(frame, 16) != (0x80000000u | (0x41000024 + kB)))
            return false;
        ++lost;
        return true;
    });
    EXPECT_EQ(BrevixC_StopRxCaptureNext(255, 40), 0) << "Port B's upload was never asked for";
    EXPECT_GE(lost, 2) << "the status read was made again";
    ASSERT_TRUE(CaptureThreadsEnd()) << "reports " << bench::Messages(0x0200).size();
    const Bytes last = ReportReaching(2, 40);
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(Le16(last, 24), 40) << "Port B's 40 frames did not come";
    const BrevixC_CaptureVector both = Records(2);
    EXPECT_EQ(both.size(), 40u);
    for (const auto& record : both) EXPECT_EQ(record.port, 0u);
    EXPECT_EQ(Records(0).size(), 40u);
    EXPECT_EQ(engine->Held(1), 40u) << "Port B's frames stay in the tester";
}

TEST_F(CaptureTest, TheBothPortsUploadEndingFirstHaltsNeitherAnUploadingNorAnIdlePort) {
    // Entry 2 is left with a limit of 10 from a both-ports start; Port A then uploads 100 alone.
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 5), 1);
    ASSERT_EQ(BrevixC_CancelRxCapture(1), 1);
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 100), 1);
    engine->ReceiveNumbered(0, 0, 100, 64);
    const size_t haltsA = engine->Halts(0), haltsB = engine->Halts(1);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 100), 1);
    // The call returns once the tester answered; the answer starts the upload a moment later.
    ASSERT_FALSE(ReportReaching(0, 100).empty());
    ASSERT_TRUE(CaptureThreadsEnd());
    EXPECT_EQ(Records(0).size(), 100u);
    EXPECT_EQ(engine->Halts(0), haltsA + 1) << "only Port A's own upload halts it";
    EXPECT_EQ(engine->Halts(1), haltsB) << "the idle port is not halted";
}

TEST_F(CaptureTest, StoppingABothPortsInstantCaptureEndsItWhole) {
    ASSERT_EQ(BrevixC_StartRxCapture(255, 1, 0), 1);
    engine->ReceiveNumbered(0, 0, 3, 64);
    engine->ReceiveNumbered(1, 100, 3, 64);
    ASSERT_TRUE(support::Eventually([] {
        const auto frames = bench::Messages(0x0201);
        return std::count_if(frames.begin(), frames.end(), [](const auto& m) { return Le16(m.bytes, 16) == 2; }) == 6;
    }));
    ASSERT_EQ(BrevixC_StopRxCapture(255), 1);
    ASSERT_TRUE(CaptureThreadsEnd());
    // The next both-ports capture uploads in blocks again.
    ASSERT_EQ(BrevixC_StartRxCapture(255, 0, 10), 1);
    engine->ReceiveNumbered(0, 0, 10, 64);
    engine->ReceiveNumbered(1, 100, 10, 64);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(255, 10), 1);
    ASSERT_FALSE(ReportReaching(2, 20).empty());
    EXPECT_EQ(Records(2).size(), 20u);
}

TEST_F(CaptureTest, SwitchingBothPortsForwardingOffStartsNoThread) {
    ASSERT_TRUE(CaptureThreadsEnd());
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(255, 0), 1);
    // Threads are started within the call: none may run once it returns.
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI capture"), 0);
}

TEST_F(CaptureTest, ForwardingSwitchedOffAndStraightBackOnStillForwards) {
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(1, 1), 1);
    engine->ReceiveNumbered(1, 0, 2, 64);
    ASSERT_TRUE(support::Eventually([] { return bench::Messages(0x0201).size() == 2; }));
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(1, 0), 1);
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(1, 1), 1);
    support::CallbackRecorder::Instance().Clear();
    engine->ReceiveNumbered(1, 10, 3, 64);
    ASSERT_TRUE(support::Eventually([] { return bench::Messages(0x0201).size() == 3; }));
    ASSERT_EQ(BrevixC_StopRxCapture(1), 1);
}

TEST_F(CaptureTest, ACancelEmptiesTheBothPortsQueueOfTheCaptureItEnds) {
    ASSERT_EQ(BrevixC_StartRxCapture(1, 1, 0), 1);
    engine->ReceiveNumbered(1, 0, 5, 64);
    ASSERT_TRUE(support::Eventually([] { return bench::Messages(0x0201).size() == 5; }));
    ASSERT_EQ(BrevixC_CancelRxCapture(1), 1);
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 10), 1);
    engine->ReceiveNumbered(0, 0, 10, 64);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 10), 1);
    // The call returns once the tester answered; the answer starts the uploads a moment later.
    ASSERT_FALSE(ReportReaching(0, 10).empty());
    ASSERT_TRUE(CaptureThreadsEnd());
    const BrevixC_CaptureVector both = Records(2);
    EXPECT_FALSE(both.empty());
    for (const auto& record : both) EXPECT_EQ(record.port, 0u) << "a frame of the cancelled capture";
}

TEST_F(CaptureTest, OnlyTheWholePortWord255NamesBothPorts) {
    constexpr uint32_t kNotAPort = 0x1FF;
    BrevixC_RxCaptureConfig_T capture{};
    capture.port = kNotAPort;
    BrevixC_HostRxConfig_T hostRx{};
    std::memcpy(&hostRx, &kNotAPort, 4);
    BrevixC_ReplayConfig_T replay{};
    replay.port = kNotAPort;
    BrevixC_HostTxConfig_T hostTx{};
    hostTx.port = kNotAPort;
    BrevixC_SdfrConfig_T sdfr{};
    sdfr.port = kNotAPort;
    EXPECT_EQ(BrevixC_SetRxCaptureConfiguration(capture), 0);
    EXPECT_EQ(BrevixC_SetHostRxConfiguration(hostRx), 0);
    EXPECT_EQ(BrevixC_ReplayPacketConfig(replay), 0);
    EXPECT_EQ(BrevixC_SetHostTxConfiguration(hostTx), 0);
    EXPECT_EQ(BrevixC_SetSDFRConfiguration(sdfr), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::WrittenPairs().empty());
    replay.port = 255;
    ASSERT_EQ(BrevixC_ReplayPacketConfig(replay), 1);
    EXPECT_EQ(LastWrite(0x410000C0), 0);
    EXPECT_EQ(LastWrite(0x410000C0 + kB), 0);
}

// It connects again before it ends.
TEST_F(CaptureTest, AConnectAfterTerminateStartsFromCleanCaptureRunAndModeWords) {
    BrevixC_RxCaptureConfig_T config{};
    config.port = 1;
    config.flags = 0x0F;
    ASSERT_EQ(BrevixC_SetRxCaptureConfiguration(config), 1);
    ASSERT_EQ(BrevixC_StartRxCaptureInstant_Forward(1, 1), 1);
    BrevixC_SYS_TerminateProcess();
    char model[32] = {};
    ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    bench::The().tester->ClearLog();
    ASSERT_EQ(BrevixC_StopRxCaptureNext(1, 0), 1);
    EXPECT_EQ(LastWrite(0x410000C8 + kB), 0) << "the run word";
    EXPECT_EQ(LastWrite(0x410000C0 + kB), 0x71) << "the mode word, without forwarding";
}

}  // namespace
