// The reply handlers of the identity, link, PHY, oscillator and 1 ms reports, fed with crafted
// reply bodies; and the host messages they send, byte for byte.

#include "BrevixCAPI.h"
#include "counters/Reports1ms.h"
#include "identity/EepromAccess.h"
#include "identity/Identity.h"
#include "identity/IdentityReplies.h"
#include "ports/LinkReports.h"
#include "ports/PhyAccess.h"
#include "protocol/ReplyDispatcher.h"
#include "runtime/HostMessages.h"
#include "support/CallbackRecorder.h"
#include "support/Frames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using frames::Bytes;
using support::CallbackRecorder;

// The body of a reply frame (from byte 16), as the dispatcher hands it to a hook.
struct Body {
    explicit Body(Bytes reply, uint32_t seconds = 0x51, uint32_t microseconds = 0x52) : frame(std::move(reply)) {
        body.bytes = frame.data() + 16;
        body.length = frame.size() - 16;
        body.count = frame[15];
        body.stampSeconds = seconds;
        body.stampMicroseconds = microseconds;
    }
    Bytes frame;
    capi::ReplyBody body;
};

using frames::PutLe16;
using frames::PutLe32;

Bytes Message(uint16_t type, size_t length = 60) { return frames::EmptyHostMessage(type, length); }

class HookTest : public testing::Test {
protected:
    void SetUp() override {
        capi::SetHostCallback(CallbackRecorder::Callback);
        CallbackRecorder::Instance().Clear();
        capi::Identity::Instance().Reset();
        SetMachine(1);
    }
    void TearDown() override { capi::SetHostCallback(nullptr); }

    static void SetMachine(int id) {
        const uint32_t systemIds[] = {0, 0xDD300000, 0xDD100000, 0xDD800000, 0xDD802001};
        capi::Identity::Instance().ApplySystemId(systemIds[id], false, 0);
    }

    std::vector<support::HostMessage> Messages() const { return CallbackRecorder::Instance().Messages(); }
};

// An EEPROM reply of the register path: for each word, (command register, read command) and
// (command register with the read flag, data word). Texts go two characters per word, the first
// in the low byte.
Bytes EepromReply(uint8_t selector, uint8_t word, const std::string& text, size_t words) {
    Bytes f = frames::Reply(0, uint8_t(2 * words), {}, 16 + 16 * words);
    for (size_t k = 0; k < words; ++k) {
        const uint8_t low = 2 * k < text.size() ? uint8_t(text[2 * k]) : 0;
        const uint8_t high = 2 * k + 1 < text.size() ? uint8_t(text[2 * k + 1]) : 0;
        frames::Put32(f, 16 + 16 * k, 0x40000030);
        frames::Put32(f, 20 + 16 * k, 0x80000000u | uint32_t(selector) << 28 | uint32_t(word + k) << 16);
        frames::Put32(f, 24 + 16 * k, 0xC0000030);
        frames::Put32(f, 28 + 16 * k, uint32_t(high) << 8 | low);
    }
    if (f.size() < 60) f.resize(60, 0);
    return f;
}

void Dispatch(const Bytes& frame) { capi::DispatchDeviceFrame(frame.data(), frame.size(), 0, 0); }

TEST_F(HookTest, EepromRepliesFillTheIdentityFields) {
    // Machine id 1 reads its EEPROM with the Brevix-C row's selector.
    Dispatch(EepromReply(0, 16, "Brevix-CF 2x1G", 8));
    Dispatch(EepromReply(0, 38, std::string("SN01") + "\xFF\xFF" + "23", 10));
    Dispatch(EepromReply(0, 33, "12", 1));
    Dispatch(EepromReply(0, 64, std::string("\x00\x1B\x2C\x3D\x4E\x5F", 6), 3));
    capi::SetIdentityComplete(false);
    Dispatch(EepromReply(0, 48, "2019-05-17AB", 6));
    EXPECT_STREQ(BVX_Module, "Brevix-CF 2x1G");
    EXPECT_EQ(std::string(BVX_SN, 8), std::string("SN01\0\0" "23", 8));
    EXPECT_EQ(EEPROM_Version, 12);
    EXPECT_EQ(Bytes(BVX_MAC, BVX_MAC + 6), (Bytes{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}));
    EXPECT_STREQ(BVX_ProductDate, "2019-05-17AB");
    EXPECT_TRUE(capi::IdentityComplete());
}

TEST_F(HookTest, UnprogrammedModelNameGivesTheModelsDefaultName) {
    Dispatch(EepromReply(0, 16, "\xFF\xFF\xFF\xFF", 8));
    EXPECT_STREQ(BVX_Module, "Brevix-C Series");
}

TEST_F(HookTest, EepromReplyOfAnotherModelsSelectorChangesNothing) {
    Dispatch(EepromReply(1, 16, "Brevix-A 2x1G", 8));
    EXPECT_STREQ(BVX_Module, "Brevix-CF");
}

TEST_F(HookTest, IdentityReplyCutShortChangesNothing) {
    Bytes reply = EepromReply(0, 38, "SN0123456789ABCDEFGH", 10);
    reply.resize(16 + 16 * 9);
    Dispatch(reply);
    EXPECT_STREQ(BVX_SN, "");
}

TEST_F(HookTest, AwaitedEepromBlockAnnouncesItsCompletionOnce) {
    capi::EepromState::Instance().awaitedWord = 112;
    Dispatch(EepromReply(0, 112, std::string(32, 'x'), 16));
    Dispatch(EepromReply(0, 112, std::string(32, 'x'), 16));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    Bytes expected = Message(0xFE00);
    PutLe32(expected, 18, 0x1E00);
    PutLe32(expected, 22, 1);
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(capi::EepromState::Instance().awaitedWord, 255);
}

struct SystemIdCase {
    uint32_t systemId;
    int machineId;
};

class SystemIdTest : public HookTest, public testing::WithParamInterface<SystemIdCase> {};

TEST_P(SystemIdTest, HighHalfGivesTheMachineIdThatTheGettersReturn) {
    Body reply(frames::Reply(0, 2, {0xC0000000, GetParam().systemId, 0xC000000C, 0}));
    capi::ParseSystemIdReply(reply.body);
    EXPECT_EQ(BVX_Machine_ID, GetParam().machineId);
    EXPECT_EQ(GetMachineID(), GetParam().machineId);
    EXPECT_EQ(BrevixC_GetMachineID(), uint16_t(GetParam().machineId));
}

INSTANTIATE_TEST_SUITE_P(Values, SystemIdTest,
                         testing::Values(SystemIdCase{0xDD100000, 2}, SystemIdCase{0xDD300000, 1},
                                         SystemIdCase{0xDD802001, 4}, SystemIdCase{0xDD802002, 3},
                                         SystemIdCase{0xDD800000, 3}, SystemIdCase{0x12340000, 1}));

struct LinkCase {
    uint32_t value;
    int machineId;
    uint16_t portA;
    uint16_t portB;
};

class LinkDecodeTest : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkDecodeTest, GivesEachPortsSpeedCode) {
    const capi::LinkCodes codes = capi::DecodeLinkReport(GetParam().value, GetParam().machineId);
    EXPECT_EQ(codes.portA, GetParam().portA);
    EXPECT_EQ(codes.portB, GetParam().portB);
}

INSTANTIATE_TEST_SUITE_P(Reports, LinkDecodeTest,
                         testing::Values(LinkCase{0x1F00, 1, 9, 255},   // gigabit full duplex, B down
                                         LinkCase{0x0B00, 1, 8, 255},   // gigabit half duplex
                                         LinkCase{0x0015, 2, 255, 3},   // B 100 full
                                         LinkCase{0x0003, 1, 255, 0},   // B 10 half
                                         LinkCase{0x4000, 1, 0, 255},   // link without a speed bit: the lowest
                                         LinkCase{0x0000, 1, 255, 255},
                                         LinkCase{0x0001, 3, 13, 255},  // machine ids 3 and 4: bit 0 and bit 8
                                         LinkCase{0x0100, 4, 255, 13}));

TEST_F(HookTest, LinkReportSendsSpeedsAndTheLinkDetailBits) {
    Body reply(frames::Reply(1, 1, {0x400000D4, 0x5F35}), 9, 10);
    capi::ParseLinkReport(reply.body);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    Bytes expected = Message(0x0400);
    PutLe16(expected, 18, 9);
    PutLe16(expected, 22, 3);
    expected[27] = 1;  // bit 14
    expected[28] = 1;  // bit 5
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(messages[0].stampSeconds, 9u);
}

TEST_F(HookTest, LinkReportOfBrevixJWithAPortUpSendsNothing) {
    SetMachine(4);
    Body reply(frames::Reply(1, 1, {0x400000D4, 0x0001}));
    capi::ParseLinkReport(reply.body);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(capi::Links().linkFlag[0]);
    EXPECT_TRUE(capi::Links().linkDown[1]);
}

struct MultiGigCase {
    const char* name;
    uint32_t status;  // the PHY's answer from its status register 0x8008
    uint16_t code;
};

class MultiGigReplyTest : public HookTest, public testing::WithParamInterface<MultiGigCase> {};

TEST_P(MultiGigReplyTest, ReportsThePortsSpeed) {
    SetMachine(4);
    capi::Links().linkDown[0] = false;
    capi::Links().linkDown[1] = true;
    capi::ParsePhyPollReply(Body(frames::Reply(1, 1, {0x400000BC, 0x000309A3})).body);
    capi::ParsePhyPollReply(Body(frames::Reply(1, 1, {0x400000BC, GetParam().status})).body);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    Bytes expected = Message(0x0400);
    PutLe16(expected, 18, GetParam().code);
    PutLe16(expected, 22, 255);
    expected[30] = 1;
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(messages[0].stampSeconds, 0u);
    EXPECT_EQ(capi::Links().multiGigCode[0], GetParam().code);
}

// Bits 14 and 15 both set: the speed in bits 2-3; bit 15 alone: 1 Gbit/s.
INSTANTIATE_TEST_SUITE_P(Speeds, MultiGigReplyTest,
                         testing::Values(MultiGigCase{"FiveGigabit", 0x8008C008, 17},
                                         MultiGigCase{"TwoAndAHalfGigabit", 0x8008C004, 15},
                                         MultiGigCase{"TenGigabit", 0x8008C000, 13},
                                         MultiGigCase{"TenGigabitWithBothSpeedBits", 0x8008C00C, 13},
                                         MultiGigCase{"OneGigabit", 0x80088000, 11}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HookTest, OscillatorValueIsDividedByFiveAtGigabitSpeeds) {
    capi::Links().speedCode[0] = 9;
    capi::Links().speedCode[1] = 3;
    capi::SendOscillatorMessage(0, Body(frames::Reply(1, 1, {0x400000A0, 1003})).body);
    capi::SendOscillatorMessage(1, Body(frames::Reply(1, 1, {0x400000A4, 1003})).body);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    Bytes expected = Message(0x1D00);
    PutLe32(expected, 18, 200);
    EXPECT_EQ(messages[0].bytes, expected);
    PutLe16(expected, 16, 1);
    PutLe32(expected, 18, 1003);
    EXPECT_EQ(messages[1].bytes, expected);
}

TEST_F(HookTest, OneMillisecondRatesKeepTheirLowBits) {
    capi::SendPacketRate1ms(Body(frames::Reply(0, 1, {0xC200011C, 0x1234ABCD})).body);
    capi::SendByteRate1ms(Body(frames::Reply(0, 1, {0xC2000118, 0x1234ABCD})).body);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    Bytes packets = Message(0x0102);
    PutLe32(packets, 18, 0x2BCD);
    EXPECT_EQ(messages[0].bytes, packets);
    Bytes bytes = Message(0x0103);
    PutLe32(bytes, 18, 0x34ABCD);
    EXPECT_EQ(messages[1].bytes, bytes);
}

TEST_F(HookTest, StackCounterHistoryEndsAtTheEndMarker) {
    Bytes reply = frames::Reply(1, 0, {0x42600120}, 20 + 4 * 256);
    for (uint32_t i = 0; i < 5; ++i) frames::Put32(reply, 20 + 4 * i, 0x00010000 * (i + 1) + 0x8000 + i);
    frames::Put32(reply, 40, 0xFFFFFFFF);
    frames::Put32(reply, 44, 0x12345678);
    capi::SendStackCounter1ms(0, Body(reply).body);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    Bytes expected = Message(0x0101, 1200);
    for (uint16_t i = 0; i < 5; ++i) {
        PutLe16(expected, 18 + 4 * i, uint16_t(i + 1));
        PutLe16(expected, 20 + 4 * i, i);
    }
    PutLe32(expected, 38, 0xFFFFFFFF);
    EXPECT_EQ(messages[0].bytes, expected);
}

TEST_F(HookTest, ShortBodiesSendNothing) {
    const Bytes cut = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0x5E, 0xC1, 0x0D, 0xFF, 7, 0xFF, 0x04, 1, 1, 0x40, 0, 0, 0xD4};
    capi::ParseLinkReport(Body(cut).body);
    capi::SendPacketRate1ms(Body(cut).body);
    capi::SendOscillatorMessage(0, Body(cut).body);
    EXPECT_TRUE(Messages().empty());
}

TEST(FpgaDateTest, YearCountsFrom2016WithBit31AndFrom2008Without) {
    const uint32_t word = 1u << 25 | 5u << 21 | 17u << 16 | 0x1234;
    EXPECT_EQ(capi::FpgaDateWord(word | 0x80000000u), 0x05172017u);
    EXPECT_EQ(capi::FpgaDateWord(word), 0x05172009u);
}

TEST_F(HookTest, SystemInformationMessageCarriesTheVersions) {
    const uint32_t fpga = 0x80000000u | 2u << 25 | 12u << 21 | 31u << 16 | 0x3A7F;
    const uint32_t hardware = 0xFFFFFFF6;
    const uint32_t firmware = 0x20AB5C3D;
    capi::Identity::Instance().ApplyVersion(fpga, &hardware, &firmware);
    capi::Identity::Instance().SendSystemInfoMessage(5, 6);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    Bytes expected = Message(0x0500, 82);
    PutLe32(expected, 18, 1);
    PutLe32(expected, 22, 0);
    PutLe32(expected, 26, 30);
    PutLe32(expected, 30, 0x10152018);
    PutLe32(expected, 34, 3);
    PutLe32(expected, 38, 0xA);
    PutLe32(expected, 42, 0x7F);
    PutLe32(expected, 46, 0x12312018);
    PutLe32(expected, 50, 6);
    PutLe32(expected, 58, 5);
    PutLe32(expected, 62, 0xC);
    PutLe32(expected, 66, 0x3D);
    PutLe32(expected, 70, 0xAB);
    expected[74] = 0;
    expected[75] = 1;
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(messages[0].stampSeconds, 5u);
}

TEST_F(HookTest, PortEventCarriesPortEventAndValue) {
    capi::NotifyPortEvent(1, 2, 1);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    const Bytes expected = [] {
        Bytes m = Message(0xFE00);
        m[16] = 1;
        m[18] = 2;
        m[22] = 1;
        return m;
    }();
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(messages[0].stampSeconds, 0u);
    EXPECT_EQ(messages[0].stampMicroseconds, 0u);
}

TEST_F(HookTest, NoCallbackMeansNoCall) {
    capi::SetHostCallback(nullptr);
    capi::NotifyPortEvent(0, 2, 0);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
