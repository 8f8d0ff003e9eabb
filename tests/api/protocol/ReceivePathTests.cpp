// What the receive thread does with crafted frames: what reaches the host callback, what is
// dropped, and which replies count before the tester is set up.

#include "BrevixCAPI.h"
#include "identity/Identity.h"
#include "protocol/ReceivePath.h"
#include "runtime/HostMessages.h"
#include "support/CallbackRecorder.h"
#include "support/Frames.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using frames::Bytes;
using support::CallbackRecorder;

Bytes ForeignFrame(uint16_t etherType, size_t length) {
    Bytes f = frames::TesterFrame(etherType, 0x45, 0x00, {}, length);
    for (size_t i = 16; i < f.size(); ++i) f[i] = uint8_t(i);
    return f;
}

class ReceivePathTest : public testing::Test {
protected:
    void SetUp() override {
        capi::SetHostCallback(CallbackRecorder::Callback);
        CallbackRecorder::Instance().Clear();
        capi::Identity::Instance().Reset();
    }
    void TearDown() override { capi::SetHostCallback(nullptr); }

    void Feed(const Bytes& frame, uint32_t seconds = 0x11, uint32_t microseconds = 0x22) {
        capi::ReceivedFrame received;
        received.bytes = frame.data();
        received.length = frame.size();
        received.stampSeconds = seconds;
        received.stampMicroseconds = microseconds;
        path_->Process(received);
    }

    std::vector<support::HostMessage> Messages() const { return CallbackRecorder::Instance().Messages(); }

    std::unique_ptr<capi::ReceivePath> path_ = std::make_unique<capi::ReceivePath>();
};

TEST_F(ReceivePathTest, FrameOfAnotherEtherTypeReachesTheCallbackUnchanged) {
    const Bytes frame = ForeignFrame(0x0800, 98);
    Feed(frame, 7, 8);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].bytes, frame);
    EXPECT_EQ(messages[0].stampSeconds, 7u);
    EXPECT_EQ(messages[0].stampMicroseconds, 8u);
}

struct DroppedCase {
    const char* name;
    Bytes frame;
};

class DroppedFrameTest : public ReceivePathTest, public testing::WithParamInterface<DroppedCase> {};

TEST_P(DroppedFrameTest, NeverReachesTheCallback) {
    Feed(GetParam().frame);
    EXPECT_TRUE(Messages().empty());
}

Bytes OwnCommand() {
    Bytes f = ForeignFrame(0xFF03, 60);
    const uint8_t source[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x00};
    std::copy(source, source + 6, f.begin() + 6);
    return f;
}

Bytes HostMessageSourceCommand() {
    Bytes f = ForeignFrame(0xFF03, 60);
    const uint8_t source[6] = {0x66, 0x55, 0x44, 0x33, 0x22, 0x00};
    std::copy(source, source + 6, f.begin() + 6);
    return f;
}

Bytes Cut(Bytes frame, size_t length) {
    frame.resize(length);
    return frame;
}

Bytes CapturedFrame() {
    Bytes f = ForeignFrame(0x0800, 100);
    const uint8_t wrap[12] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00, 0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x01};
    std::copy(wrap, wrap + 12, f.begin());
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DroppedFrameTest,
    testing::Values(DroppedCase{"LongerThanTheMatcherTakes", ForeignFrame(0x0800, 1515)},
                    DroppedCase{"LargerThanTheReceiveBuffer", ForeignFrame(0x0800, 20000)},
                    DroppedCase{"ShorterThanAHeader", Bytes(13, 0x5A)},
                    DroppedCase{"IgnoredEtherType", ForeignFrame(0xFFB4, 60)},
                    DroppedCase{"TheLibrarysOwnCommand", OwnCommand()},
                    DroppedCase{"CommandFromTheHostMessageSource", HostMessageSourceCommand()},
                    DroppedCase{"CapturedTraffic", CapturedFrame()},
                    DroppedCase{"PhyNoticeWithoutItsFlag", frames::TesterFrame(0xFF06, 10, 0x00, {})},
                    DroppedCase{"NoticeOfAnUnknownKind", frames::TesterFrame(0xFF06, 5, 0x01, {})},
                    DroppedCase{"ReplyCutAfterItsCommand", Cut(frames::Reply(0, 1, {}), 15)},
                    DroppedCase{"LinkReportBeforeTheSetUp", frames::Reply(1, 1, {0x400000D4, 0x1F00})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReceivePathTest, LongestFrameTheMatcherTakesReachesTheCallback) {
    Feed(ForeignFrame(0x0800, 1514));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].bytes.size(), 1514u);
}

TEST_F(ReceivePathTest, PhyNoticeSendsThePortOfTheNotice) {
    Feed(frames::TesterFrame(0xFF06, 11, 0x01, {}), 3, 4);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    Bytes expected = frames::HostMessageHeader(0x0300);
    expected.resize(60, 0);
    expected[16] = 1;
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(messages[0].stampSeconds, 3u);
    EXPECT_EQ(messages[0].stampMicroseconds, 4u);
}

TEST_F(ReceivePathTest, SystemIdReplyCountsBeforeTheSetUp) {
    Feed(frames::Reply(0, 2, {0xC0000000, 0xDD100000, 0xC000000C, 0x00}));
    EXPECT_EQ(BVX_Machine_ID, 2);
    EXPECT_EQ(BVX_IsPOF, 1) << "Brevix-A with bits 6-7 of the hardware word clear";
}

TEST_F(ReceivePathTest, ReplyOfTheLongestLengthIsDispatchedAndOneByteMoreIsNot) {
    Feed(frames::Reply(0, 2, {0xC0000000, 0xDD100000, 0xC000000C, 0xC0}, 1514));
    EXPECT_EQ(BVX_Machine_ID, 2);
    Feed(frames::Reply(0, 2, {0xC0000000, 0xDD302001, 0xC000000C, 0xC0}, 1515));
    EXPECT_EQ(BVX_Machine_ID, 2);
}

}  // namespace
