// Which replies complete a waiting register call.

#include "protocol/CommandFrame.h"
#include "support/Frames.h"

#include <gtest/gtest.h>

namespace {

using frames::Bytes;

struct AnswerCase {
    const char* name;
    Bytes reply;
    bool answers;
};

class ReplyMatchTest : public testing::TestWithParam<AnswerCase> {};

// The command: a general read of 0x40000004 and 0x4000000C.
capi::CommandFrame ReadOfTwo() {
    capi::CommandFrame frame;
    const uint32_t addresses[2] = {0x40000004, 0x4000000C};
    capi::BuildGeneralReadFrame(frame, 2, addresses);
    return frame;
}

TEST_P(ReplyMatchTest, CompletesTheWaitOnlyForItsOwnReply) {
    const capi::CommandFrame command = ReadOfTwo();
    const Bytes& reply = GetParam().reply;
    EXPECT_EQ(capi::Answers(capi::ExpectedReply(command.bytes), reply.data(), reply.size()), GetParam().answers);
}

Bytes Truncated(Bytes frame, size_t length) {
    frame.resize(length);
    return frame;
}

Bytes WithEtherType(Bytes frame, uint8_t low) {
    frame[13] = low;
    return frame;
}

const Bytes kGood = frames::Reply(0, 2, {0xC0000004, 1, 0xC000000C, 2});

INSTANTIATE_TEST_SUITE_P(Replies, ReplyMatchTest,
                         testing::Values(AnswerCase{"SameCommandCountAndAddress", kGood, true},
                                         AnswerCase{"BodyExactlyLongEnough", Truncated(kGood, 32), true},
                                         AnswerCase{"BodyCutShort", Truncated(kGood, 31), false},
                                         AnswerCase{"OtherCommand", frames::Reply(1, 2, {0xC0000004, 1, 2}), false},
                                         AnswerCase{"OtherCount", frames::Reply(0, 1, {0xC0000004, 1}), false},
                                         AnswerCase{"OtherFirstAddress", frames::Reply(0, 2, {0xC0000008, 1, 0xC000000C, 2}), false},
                                         AnswerCase{"AddressWithoutReadFlag", frames::Reply(0, 2, {0x40000004, 1, 0xC000000C, 2}), false},
                                         AnswerCase{"NotAReply", WithEtherType(kGood, 0x06), false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyLengthTest, SequentialCountOfZeroMeansTwoHundredFiftySix) {
    EXPECT_EQ(capi::ReplyLength(1, 0), 20u + 4 * 256);
    EXPECT_EQ(capi::ReplyLength(2, 10), 60u);
    EXPECT_EQ(capi::ReplyLength(3, 42), 20u + 8 * 42);
    EXPECT_EQ(capi::ReplyLength(0, 32), 16u + 8 * 32);
    EXPECT_EQ(capi::ReplyLength(4, 1), 0u);
}

}  // namespace
