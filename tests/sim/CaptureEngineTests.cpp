// The capture engine as the host meets it on the wire: the block count register's encoding, the
// store's capacity, blocks sent on request, forwarding, the wrap of each machine id and the chunks
// of a jumbo frame.

#include "sim/CaptureEngine.h"

#include "WireHelpers.h"

#include <memory>

using wire::Get32;

namespace {

constexpr uint32_t kRunWord = 0x410000C8;
constexpr uint32_t kBlockCount = 0x41000028;
constexpr uint32_t kReplayCommand = 0x41000038;
constexpr uint32_t kB = 0x02000000;

bool IsWrap(const sim::Bytes& f) {
    static const uint8_t head[11] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00, 0x02, 0x5E, 0xC1, 0x0D, 0x11};
    return f.size() > 36 && std::equal(head, head + 11, f.begin());
}

class CaptureEngineTest : public wire::ModelTest {
protected:
    void Play(int machineId) {
        engine_ = std::make_unique<sim::CaptureEngine>(*tester_, machineId);
        tester_->Start();
    }
    sim::Bytes NextWrap() { return host_->Take(IsWrap, support::kPatience); }

    std::unique_ptr<sim::CaptureEngine> engine_;
};

TEST_F(CaptureEngineTest, NothingHeldReadsBelowTheFramesHalf) {
    Play(1);
    EXPECT_LT(ReadRegister(kBlockCount), 0x10000u);
}

TEST_F(CaptureEngineTest, FramesAreStoredOnlyWhileTheRunBitIsSet) {
    Play(1);
    engine_->ReceiveNumbered(1, 0, 3, 64);
    WriteRegister(kRunWord + kB, 0x80000000);
    engine_->ReceiveNumbered(1, 0, 5, 64);
    EXPECT_EQ(ReadRegister(kBlockCount + kB) >> 16, 5u);
    EXPECT_EQ(ReadRegister(kBlockCount) >> 16, 0u);
}

TEST_F(CaptureEngineTest, AFullStoreReadsAllOnesWhileRunningAndItsCountOnceStopped) {
    Play(2);
    ASSERT_EQ(engine_->Capacity(), 16384u);
    WriteRegister(kRunWord, 0x80000000);
    engine_->ReceiveNumbered(0, 0, 16385, 60);
    EXPECT_EQ(ReadRegister(kBlockCount) >> 16, 0xFFFFu);
    WriteRegister(kRunWord, 0);
    EXPECT_EQ(ReadRegister(kBlockCount) >> 16, 16384u);
}

TEST_F(CaptureEngineTest, ABlockRequestSendsTwentyWrappedFramesInOrder) {
    Play(1);
    WriteRegister(kRunWord, 0x80000000);
    engine_->ReceiveNumbered(0, 100, 25, 80);
    WriteRegister(kReplayCommand, 64 | 1024);
    for (uint32_t i = 0; i < 20; ++i) {
        const sim::Bytes wrap = NextWrap();
        ASSERT_FALSE(wrap.empty()) << i;
        EXPECT_EQ(wrap[11], 0);
        EXPECT_EQ(Get32(wrap, 20) & 0x3FFF, 80u);
        EXPECT_EQ(Get32(wrap, 16), engine_->StampOf(0, i));
        EXPECT_EQ(Get32(wrap, 36), 100 + i);
    }
    EXPECT_EQ(ReadRegister(kBlockCount) >> 16, 5u);
}

TEST_F(CaptureEngineTest, TheUsbUnitsWrapPutsTheLengthWordFirst) {
    Play(4);
    WriteRegister(kRunWord, 0x80000000);
    engine_->ReceiveNumbered(0, 7, 1, 90);
    WriteRegister(kReplayCommand, 8);
    const sim::Bytes wrap = NextWrap();
    ASSERT_FALSE(wrap.empty());
    EXPECT_EQ(Get32(wrap, 12) & 0x3FFF, 90u);
    EXPECT_EQ(Get32(wrap, 36), 7u);
}

TEST_F(CaptureEngineTest, AJumboFrameGoesInChunksThatCarryItsWholeLength) {
    Play(1);
    WriteRegister(0x41000000, 0x80000000);
    WriteRegister(kRunWord, 0x80000000);
    engine_->ReceiveNumbered(0, 0, 1, 5000);
    WriteRegister(kReplayCommand, 16);
    size_t bytes = 0;
    for (int chunk = 0; chunk < 3; ++chunk) {
        const sim::Bytes wrap = NextWrap();
        ASSERT_FALSE(wrap.empty()) << chunk;
        EXPECT_EQ(Get32(wrap, 20) & 0x3FFF, 5000u);
        EXPECT_LE(Get32(wrap, 16) - engine_->StampOf(0, 0), 255u);
        bytes += wrap.size() - 36;
    }
    EXPECT_EQ(bytes, 5000u);
}

TEST_F(CaptureEngineTest, AHaltDropsWhatTheStoreStillHolds) {
    Play(1);
    WriteRegister(kRunWord + kB, 0x80000000);
    engine_->ReceiveNumbered(1, 0, 30, 64);
    WriteRegister(kReplayCommand + kB, 64);
    ASSERT_FALSE(NextWrap().empty());
    WriteRegister(kReplayCommand + kB, 512 | 1024);
    EXPECT_LT(ReadRegister(kBlockCount + kB), 0x10000u);
    EXPECT_EQ(engine_->Halts(1), 1u);
    EXPECT_EQ(engine_->Halts(0), 0u);
}

TEST_F(CaptureEngineTest, EachWrapCarriesTheWrapTagAtByteTwentyFour) {
    Play(3);
    WriteRegister(0x410000C4 + kB, 0x01FF0000);
    WriteRegister(kRunWord + kB, 0x80000000);
    engine_->ReceiveNumbered(1, 5, 1, 64);
    WriteRegister(kReplayCommand + kB, 8);
    const sim::Bytes wrap = NextWrap();
    ASSERT_FALSE(wrap.empty());
    EXPECT_EQ(Get32(wrap, 24), 0x01FF0000u);
    EXPECT_EQ(Get32(wrap, 36), 5u);
}

TEST_F(CaptureEngineTest, TheInstantBitForwardsEachFrameAtOnce) {
    Play(1);
    WriteRegister(0x410000C0 + kB, 0x171);
    WriteRegister(kRunWord + kB, 0x80000000);
    engine_->ReceiveNumbered(1, 42, 1, 64);
    const sim::Bytes wrap = NextWrap();
    ASSERT_FALSE(wrap.empty());
    EXPECT_EQ(wrap[11], 1);
    EXPECT_EQ(engine_->Held(1), 0u);
}

}  // namespace
