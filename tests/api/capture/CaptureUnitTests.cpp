// The capture layer's own arithmetic and stores, without a tester: the block schedule, the filter
// and option words, the wrap fields, the record's ownership, the queueing rules and the rebuilding
// of jumbo frames from chunks, and the frames a port's vector and the both-ports vector share.

#include "BrevixCCapture.h"
#include "ConsoleText.h"
#include "capture/BlockAssembly.h"
#include "capture/Capture.h"
#include "capture/CaptureControl.h"
#include "capture/CaptureRegisters.h"
#include "capture/CaptureStore.h"
#include "capture/ReplaySchedule.h"

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void PutBig(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}

// A wrapped frame of machine ids 1 and 2: stamp at 16, length word at 20, extra at 28, status at
// 32, then the payload bytes (each the low byte of its index plus `seed`).
Bytes Wrapped(uint8_t port, uint32_t stamp, uint32_t wireLength, size_t payload, uint8_t seed = 0) {
    Bytes frame(36 + payload, 0);
    const uint8_t head[12] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00, 0x02, 0x5E, 0xC1, 0x0D, 0x11, port};
    std::memcpy(frame.data(), head, 12);
    PutBig(frame, 16, stamp);
    PutBig(frame, 20, wireLength);
    PutBig(frame, 28, 0xA5A5A5A5);
    for (size_t i = 0; i < payload; ++i) frame[36 + i] = uint8_t(i + seed);
    return frame;
}

class ScheduleTest : public testing::Test {
protected:
    void SetUp() override {
        capi::BVT_ReplayPortSetBlock(0, 0);
        capi::BVT_ReplayPortSetBlock(1, 0);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(ScheduleTest, APortAloneWithBlocksIsPickedEveryTime) {
    capi::BVT_ReplayPortSetBlock(1, 2);
    EXPECT_EQ(capi::BVT_ReplayPortPick(), 1);
    EXPECT_EQ(capi::BVT_ReplayPortPick(), 1);
}

TEST_F(ScheduleTest, PortsWithBlocksTakeTurns) {
    capi::BVT_ReplayPortSetBlock(0, 5);
    capi::BVT_ReplayPortSetBlock(1, 5);
    const int first = capi::BVT_ReplayPortPick();
    EXPECT_EQ(capi::BVT_ReplayPortPick(), 1 - first);
    EXPECT_EQ(capi::BVT_ReplayPortPick(), first);
}

TEST_F(ScheduleTest, ClearingThePortUnderTheCursorMovesItToTheOther) {
    capi::BVT_ReplayPortSetBlock(1, 1);
    ASSERT_EQ(capi::BVT_ReplayPortPick(), 1);  // the cursor is on Port B
    capi::BVT_ReplayPortSetBlock(0, 3);
    capi::BVT_ReplayPortClear(1);
    EXPECT_EQ(capi::BVT_ReplayPortPick(), 0);
    EXPECT_EQ(capi::BVT_ReplayPortPick(), 0);
}

TEST_F(ScheduleTest, NothingPendingPicksNoPort) { EXPECT_EQ(capi::BVT_ReplayPortPick(), -1); }

TEST(BlockCountTest, FramesAreCountedInBlocksRoundedUp) {
    EXPECT_EQ(capi::BlocksFor(45, 3), 3);
    EXPECT_EQ(capi::BlocksFor(45, 1), 45);
    EXPECT_EQ(capi::BlocksFor(40, 3), 2);
    EXPECT_EQ(capi::BlocksFor(0, 3), 0);
}

TEST(CaptureWordsTest, TheHighestMaskBitsLandInTheirFilterWords) {
    const capi::CaptureFilters filters = capi::FiltersOf(0x20000000, 0x00000001);
    EXPECT_EQ(filters.word0, 0x80u);
    EXPECT_EQ(filters.word1, 0x8u);
}

TEST(CaptureWordsTest, IgnoredMaskBitsSelectNothing) {
    const capi::CaptureFilters filters = capi::FiltersOf(0xC0000E18, 0xFFE00000);
    EXPECT_EQ(filters.word0, 0u);
    EXPECT_EQ(filters.word1, 0u);
}

TEST(CaptureWordsTest, LengthFlagsFillTheOptionWord) {
    const uint32_t flags = 1u << 29 | 1u << 28 | 1u << 21 | 1u << 5;
    const uint32_t options = capi::CaptureOptionsOf(0, flags, 0x7FF, 3);
    EXPECT_EQ(options, 0x80000000u | 0x40000000u | 0x07FF0000u | 0xC000u | 0x1000u | 0x20u);
    EXPECT_EQ(flags & capi::kRunWordFlags, 0u);
}

TEST(CaptureWordsTest, WithoutTheLengthFlagTheLengthBitsStay) {
    const uint32_t options = capi::CaptureOptionsOf(0x47FFC000, 0, 0, 0);
    EXPECT_EQ(options, 0x07FFC000u);
}

TEST(WrapTest, TheUsbUnitsSpeedCodeAboveThreeReadsAsOneFlag) {
    Bytes frame = Wrapped(0, 7, 0, 10);
    PutBig(frame, 12, 5u << 29 | 100);
    const capi::WrapFields fields = capi::ReadWrap(frame.data(), 4);
    EXPECT_EQ(fields.flags, 0x40800u);
    EXPECT_EQ(fields.wireLength, 100u);
}

TEST(CaptureRecordTest, AssigningARecordWithoutDataLeavesTheTargetAsItWas) {
    BrevixC_PKTCAP_Content_S target;
    target.length = 3;
    target.wireLength = 3;
    target.data = static_cast<uint8_t*>(std::malloc(3));
    std::memcpy(target.data, "abc", 3);
    BrevixC_PKTCAP_Content_S empty;
    empty.length = 99;
    target = empty;
    EXPECT_EQ(target.length, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(target.data), 3), "abc");
}

TEST(CaptureRecordTest, ACopyOwnsBytesOfItsOwn) {
    BrevixC_PKTCAP_Content_S source;
    source.length = 2;
    source.data = static_cast<uint8_t*>(std::malloc(2));
    source.data[0] = 1;
    source.data[1] = 2;
    const BrevixC_PKTCAP_Content_S copy(source);
    source.data[0] = 9;
    ASSERT_NE(copy.data, source.data);
    EXPECT_EQ(copy.data[0], 1);
    EXPECT_EQ(copy.data[1], 2);
}

TEST(ConfigurationTextTest, ALongTextIsCutToTheKeptCopy) {
    const std::wstring text(300, L'x');
    capi::KeepConfigurationText(text.c_str());
    EXPECT_EQ(std::wstring(capi::ConfigurationText()), std::wstring(199, L'x'));
    capi::KeepConfigurationText(nullptr);
    EXPECT_EQ(std::wstring(capi::ConfigurationText()), L"");
}

// Every entry has an upload reading its queue.
class QueueTest : public testing::Test {
protected:
    void SetUp() override { Reset(1); }
    void TearDown() override { Reset(0); }
    static void Reset(uint8_t reader) {
        for (int e = 0; e < 3; ++e) {
            capi::ClearCaptureQueue(e);
            capi::CaptureState(e).frameCount = 0;
            capi::CaptureState(e).terminate = 1;
            capi::CaptureState(e).reader = reader;
        }
    }
};

TEST_F(QueueTest, APortAFrameLandsInItsQueueAndTheBothPortsQueue) {
    capi::CaptureState(0).terminate = 0;
    const Bytes a = Wrapped(0, 1, 60, 60);
    const Bytes b = Wrapped(1, 1, 60, 60);
    capi::QueueFrame(a.data(), a.size());
    capi::QueueFrame(b.data(), b.size());
    EXPECT_EQ(capi::CaptureQueue(0).size(), 1u);
    EXPECT_EQ(capi::CaptureQueue(1).size(), 0u);
    EXPECT_EQ(capi::CaptureQueue(2).size(), 1u);
    EXPECT_EQ(capi::CaptureState(0).frameCount, 1);
}

TEST_F(QueueTest, AFrameOfPortTwoIsDropped) {
    for (int e = 0; e < 3; ++e) capi::CaptureState(e).terminate = 0;
    const Bytes frame = Wrapped(2, 1, 60, 60);
    capi::QueueFrame(frame.data(), frame.size());
    EXPECT_EQ(capi::CaptureQueue(2).size(), 0u);
}

TEST_F(QueueTest, AFullQueueTakesNoMoreButTheFrameIsCounted) {
    capi::CaptureState(1).terminate = 0;
    const Bytes frame = Wrapped(1, 1, 20, 1);
    for (size_t i = 0; i <= capi::kCaptureQueueLimit; ++i) capi::QueueFrame(frame.data(), frame.size());
    EXPECT_EQ(capi::CaptureQueue(1).size(), capi::kCaptureQueueLimit);
    EXPECT_EQ(capi::CaptureState(1).frameCount, int32_t(capi::kCaptureQueueLimit + 1));
}

TEST_F(QueueTest, FramesAreHandedOverWhileAnotherThreadHoldsTheQueueMutexAndJoinTheQueueInOrder) {
    capi::CaptureState(0).terminate = 0;
    // A longer frame's storage, once its item is dropped, is kept for the frames after it.
    const Bytes longer = Wrapped(0, 1, 200, 200);
    capi::QueueFrame(longer.data(), longer.size());
    for (int entry : {0, 2}) capi::ClearCaptureQueue(entry);
    const Bytes first = Wrapped(0, 2, 60, 60, 7), second = Wrapped(0, 3, 90, 90, 9);
    // "Mutex" held elsewhere, as an upload or a host call holds it.
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr), release = CreateEventW(nullptr, TRUE, FALSE, nullptr),
           handed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        capi::MutexHold hold;
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
    });
    WaitForSingleObject(held, INFINITE);
    std::thread receiver([&] {
        capi::QueueFrame(first.data(), first.size());
        capi::QueueFrame(second.data(), second.size());
        SetEvent(handed);
    });
    const bool handedOver = WaitForSingleObject(handed, DWORD(support::kPatience.count())) == WAIT_OBJECT_0;
    SetEvent(release);
    holder.join();
    receiver.join();
    for (HANDLE event : {held, release, handed}) CloseHandle(event);
    EXPECT_TRUE(handedOver) << "the receive thread's step waited for the mutex";
    capi::MutexHold hold;
    for (int entry : {0, 2}) {
        const std::deque<capi::QueuedFrame>& queue = capi::CaptureQueue(entry);
        ASSERT_EQ(queue.size(), 2u) << "entry " << entry;
        EXPECT_EQ(queue[0].bytes, first);
        EXPECT_EQ(queue[1].bytes, second);
        EXPECT_EQ(queue[1].port, 0u);
    }
    EXPECT_EQ(capi::CaptureState(0).frameCount, 3);
}

TEST(ForwardingQueueTest, ABothPortsForwardingKeepsNothingInThePortQueuesItDoesNotRead) {
    // No tester: the register writes fail, the entries start all the same.
    ASSERT_EQ(capi::CaptureStart(255, 1), 1);
    const Bytes a = Wrapped(0, 1, 60, 60), b = Wrapped(1, 1, 60, 60);
    for (int i = 0; i < 100; ++i) {
        capi::QueueFrame(a.data(), a.size());
        capi::QueueFrame(b.data(), b.size());
    }
    size_t held[2];
    {
        capi::MutexHold hold;
        for (int port : {0, 1}) held[port] = capi::CaptureQueue(port).size();
    }
    capi::EndCaptureThreads({0, 1, 2});
    for (int e = 0; e < 3; ++e) {
        capi::ClearCaptureQueue(e);
        capi::Words().modeWord[e] = 0;
    }
    EXPECT_EQ(held[0], 0u);
    EXPECT_EQ(held[1], 0u);
}

// A port's vector and the both-ports vector filled from the same frames, through the upload's append.
class SharedStoreTest : public testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (int e = 0; e < 3; ++e) capi::ClearCaptureVector(e);
    }
    // A record of `port` whose `length` bytes are `seed`, `seed` + 1, ...
    static BrevixC_PKTCAP_Content_S Record(uint32_t port, uint32_t stamp, uint32_t length, uint8_t seed) {
        BrevixC_PKTCAP_Content_S record;
        record.header0 = stamp;
        record.wireLength = length;
        record.length = length;
        record.port = port;
        record.data = static_cast<uint8_t*>(std::malloc(length));
        for (uint32_t i = 0; i < length; ++i) record.data[i] = uint8_t(seed + i);
        return record;
    }
    static void Append(int entry, uint32_t port, uint32_t stamp, uint32_t length = 1518) {
        BrevixC_PKTCAP_Content_S record = Record(port, stamp, length, uint8_t(stamp));
        capi::MutexHold hold;
        capi::AppendCaptureRecord(entry, record);
    }
    static bool Reads(const BrevixC_PKTCAP_Content_S& record, uint32_t stamp, uint32_t length = 1518) {
        if (record.header0 != stamp || record.length != length || !record.data) return false;
        for (uint32_t i = 0; i < length; ++i) {
            if (record.data[i] != uint8_t(stamp + i)) return false;
        }
        return true;
    }
    // Blocks of the frames' size, freshly taken and written over: a block freed too early is
    // likely among them.
    static std::vector<std::vector<uint8_t>> Scribble() {
        std::vector<std::vector<uint8_t>> blocks;
        for (int i = 0; i < 400; ++i) blocks.emplace_back(1518, uint8_t(0xEE));
        return blocks;
    }
};

TEST_F(SharedStoreTest, AFrameInAPortsVectorAndTheBothPortsVectorIsHeldOnce) {
    // The both-ports upload runs ahead for Port B's frames, behind for Port A's.
    for (uint32_t i = 0; i < 200; ++i) {
        Append(0, 0, 1000 + i);
        Append(2, 1, 5000 + i);
    }
    for (uint32_t i = 0; i < 200; ++i) {
        Append(2, 0, 1000 + i);
        Append(1, 1, 5000 + i);
    }
    for (uint32_t i = 0; i < 200; ++i) {
        ASSERT_EQ(capture_buffer[2][200 + i].data, capture_buffer[0][i].data) << i;
        ASSERT_EQ(capture_buffer[2][i].data, capture_buffer[1][i].data) << i;
        ASSERT_TRUE(Reads(capture_buffer[0][i], 1000 + i)) << i;
        ASSERT_TRUE(Reads(capture_buffer[1][i], 5000 + i)) << i;
    }
}

TEST_F(SharedStoreTest, ClearingOneVectorLeavesTheOthersRecordsTheirBytes) {
    for (uint32_t i = 0; i < 300; ++i) Append(0, 0, i);
    for (uint32_t i = 0; i < 300; ++i) Append(2, 0, i);
    capi::ClearCaptureVector(0);
    const auto scribbled = Scribble();
    ASSERT_EQ(capture_buffer[2].size(), 300u);
    for (uint32_t i = 0; i < 300; ++i) ASSERT_TRUE(Reads(capture_buffer[2][i], i)) << i;
    // A new capture of the port shares with the both-ports vector again once that is cleared too.
    capi::ClearCaptureVector(2);
    Append(0, 0, 77);
    Append(2, 0, 77);
    EXPECT_EQ(capture_buffer[2][0].data, capture_buffer[0][0].data);
    EXPECT_TRUE(Reads(capture_buffer[2][0], 77));
}

TEST_F(SharedStoreTest, AFrameOneVectorLacksLeavesTheRestShared) {
    for (uint32_t i = 0; i < 10; ++i) Append(0, 0, i);
    for (uint32_t i = 0; i < 10; ++i) {
        if (i != 4) Append(2, 0, i);  // its queue was full for that one
    }
    ASSERT_EQ(capture_buffer[2].size(), 9u);
    for (uint32_t i = 0; i < 9; ++i) {
        const uint32_t frame = i < 4 ? i : i + 1;
        EXPECT_EQ(capture_buffer[2][i].data, capture_buffer[0][frame].data) << i;
        EXPECT_TRUE(Reads(capture_buffer[2][i], frame)) << i;
    }
    // Different bytes under the same words are never shared.
    BrevixC_PKTCAP_Content_S other = Record(0, 50, 1518, 9);
    Append(0, 0, 50);
    {
        capi::MutexHold hold;
        capi::AppendCaptureRecord(2, other);
    }
    EXPECT_NE(capture_buffer[2].back().data, capture_buffer[0].back().data);
}

TEST(BlockAssemblyTest, WithoutJumboEachShortFrameIsOneRecordAndLongOnesAreCountedOnly) {
    capi::BlockAssembly assembly(false);
    std::vector<BrevixC_PKTCAP_Content_S> records;
    assembly.Take(Wrapped(0, 100, 64, 68), 0, 1, false, records);  // the tester sends 4 padding bytes
    assembly.Take(Wrapped(0, 900, 2100, 2000), 0, 1, false, records);
    assembly.Take(Wrapped(1, 2000, 70, 40), 1, 1, false, records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(assembly.Taken(), 3);
    EXPECT_EQ(records[0].length, 64u);
    EXPECT_EQ(records[0].header0, 100u);
    EXPECT_EQ(records[0].header3, 0xA5A5A5A5u);
    EXPECT_EQ(records[1].length, 40u);  // fewer bytes than the wire length arrived
    EXPECT_EQ(records[1].port, 1u);
}

TEST(BlockAssemblyTest, AJumboFrameIsRebuiltFromItsChunksEvenWhenTheQueueRunsDryBetweenThem) {
    capi::BlockAssembly assembly(true);
    std::vector<BrevixC_PKTCAP_Content_S> records;
    // 5000 bytes in three chunks, each taken alone from the queue; then a short frame.
    OpenDebugLog log;
    assembly.Take(Wrapped(0, 1000, 5000, 2000, 0), 0, 1, true, records);
    EXPECT_TRUE(ConsoleShows(L"(API)(replyThread) NOT jumbo or size <= 2032 or ref_cnt=0."));
    assembly.Take(Wrapped(0, 1010, 5000, 2000, uint8_t(2000 % 256)), 0, 1, true, records);
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(ConsoleShows(L"(API)(replyThread) Qsize is 1, jumbo and payload>0."));
    assembly.Take(Wrapped(0, 1020, 5000, 1000, uint8_t(4000 % 256)), 0, 1, true, records);
    EXPECT_TRUE(ConsoleShows(L"(API)(replyThread) PUSH to buffer - NOT b_buf_insert and Qsize is 1."));
    assembly.Take(Wrapped(0, 5000, 80, 80), 0, 1, true, records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].length, 5000u);
    EXPECT_EQ(records[0].header0, 1000u);
    for (uint32_t i = 0; i < 5000; ++i) ASSERT_EQ(records[0].data[i], uint8_t(i)) << i;
    EXPECT_EQ(records[1].length, 80u);
    EXPECT_EQ(records[1].header0, 5000u);
}

TEST(BlockAssemblyTest, AJumboFrameCutShortEndsWhenTheNextBegins) {
    capi::BlockAssembly assembly(true);
    std::vector<BrevixC_PKTCAP_Content_S> records;
    assembly.Take(Wrapped(0, 1000, 5000, 2000), 0, 1, false, records);
    assembly.Take(Wrapped(0, 9000, 3000, 2000), 0, 1, false, records);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].wireLength, 5000u);
    EXPECT_EQ(records[0].length, 2000u);
    assembly.Flush(records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].header0, 9000u);
}

}  // namespace
