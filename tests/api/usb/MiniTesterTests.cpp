// The Quillet mini-testers' commands against a simulated unit: write forms, request bytes, the
// chunked reads and what reaches the outputs.

#include "usb/UsbBench.h"

#include <cstring>

using namespace usbbench;

namespace {

class MiniTesterTest : public UsbTest {};

TEST_P(MiniTesterTest, CommandsWithoutDataUseTheReportFormAndTheOthersThePlainPacket) {
    EXPECT_EQ(Quillet_StartDHCPTest(), 1);
    EXPECT_EQ(Quillet_StartTx(0x0102), 1);
    const std::vector<sim::UsbPacket> packets = Unit().Received();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].bytes, Packet({65}));
    EXPECT_EQ(packets[0].report, Hid());
    EXPECT_EQ(packets[1].bytes, Packet({35, 0, 0x02, 0x01}));
    EXPECT_FALSE(packets[1].report);
}

TEST_P(MiniTesterTest, RecordsGoFromByteTwoAndBothTxConfigurationsShareTheirCode) {
    Quillet_SWTxConfig_T shortConfig{};
    Quillet_LWTxConfig_T longConfig{};
    for (size_t i = 0; i < 48; ++i) longConfig.bytes[i] = uint8_t(0x40 + i);
    std::memset(shortConfig.bytes, 0x11, sizeof shortConfig.bytes);
    EXPECT_EQ(Quillet_SetSWTxConfig(shortConfig), 1);
    EXPECT_EQ(Unit().LastRequest(34)[33], 0x11);
    EXPECT_EQ(Unit().LastRequest(34)[34], 0);
    EXPECT_EQ(Quillet_SetLWTxConfig(longConfig), 1);
    const Bytes sent = Unit().LastRequest(34);
    EXPECT_TRUE(std::equal(longConfig.bytes, longConfig.bytes + 48, sent.begin() + 2));
    EXPECT_EQ(Quillet_SetMediaConfig(0x00ABCDEF), 1);
    EXPECT_EQ(Unit().LastRequest(28), Packet({28, 0, 0xEF, 0xCD, 0xAB}));
    EXPECT_EQ(Quillet_RTTestInit(0x1FF), 1);
    EXPECT_EQ(Unit().LastRequest(64), Packet({64, 0xFF}));
}

TEST_P(MiniTesterTest, CountersArriveInFourChunksWithThePortAppended) {
    Bytes counters(240);
    for (size_t i = 0; i < counters.size(); ++i) counters[i] = uint8_t(i + 1);
    Unit().SetReplyData(30, counters);
    Quillet_Counter_T out;
    std::memset(&out, 0xEE, sizeof out);
    ASSERT_EQ(Quillet_GetCounter(&out, 1), 1);
    EXPECT_EQ(Unit().ReceivedCount(), 4u);
    EXPECT_TRUE(std::equal(out.bytes, out.bytes + 220, counters.begin()));
    EXPECT_EQ(out.bytes[220], 1) << "the port, which the reply does not carry";
}

TEST_P(MiniTesterTest, WlanMessageDataReadsWholeChunksAndCopiesTheLengthAsked) {
    Bytes message(120);
    for (size_t i = 0; i < message.size(); ++i) message[i] = uint8_t(200 - i);
    Unit().SetReplyData(50, message);
    uint8_t out[70];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(Quillet_GetWlanMessageData(out, 0), 1);
    EXPECT_EQ(Unit().ReceivedCount(), 0u) << "nothing to read, nothing sent";
    ASSERT_EQ(Quillet_GetWlanMessageData(out, 61), 1);
    EXPECT_EQ(Unit().ReceivedCount(), 2u);
    EXPECT_TRUE(std::equal(out, out + 61, message.begin()));
    EXPECT_EQ(out[61], 0xEE);
}

TEST_P(MiniTesterTest, StatusReadsTakeTheirFieldsFromTheReply) {
    Bytes status(26);
    for (size_t i = 0; i < status.size(); ++i) status[i] = uint8_t(0x30 + i);
    Unit().SetReplyData(29, status);
    uint8_t ip[26] = {};
    ASSERT_EQ(Quillet_GetIPStatus(ip), 1);
    EXPECT_TRUE(std::equal(ip, ip + 26, status.begin())) << "the status fields reach the output";
    int link = 0;
    ASSERT_EQ(Quillet_GetLinkStatus(&link), 1);
    EXPECT_EQ(link, 0x33323130);

    Unit().SetReplyData(97, {7, 0, 0x34, 0x12});
    Quillet_SessionStatus_T session;
    std::memset(&session, 0xEE, sizeof session);
    ASSERT_EQ(Quillet_GetSessionTestStatus(&session), 1);
    EXPECT_EQ(session.bytes[0], 7);
    EXPECT_EQ(session.bytes[1], 0xEE);
    EXPECT_EQ(session.bytes[2], 0x34);
}

TEST_P(MiniTesterTest, DhcpListTakesSeventeenSlicesAndKeepsWhatCameBeforeAFailure) {
    Bytes list(1020);
    for (size_t i = 0; i < list.size(); ++i) list[i] = uint8_t(i / 60 + 1);
    Unit().SetReplyData(68, list);
    Bytes out(1020, 0);
    ASSERT_EQ(Quillet_GetDHCPIPList(out.data()), 1);
    EXPECT_EQ(out, list);
    std::fill(out.begin(), out.end(), 0);
    Unit().SetSilent(true);
    EXPECT_EQ(Quillet_GetDHCPIPList(out.data()), 0);
    EXPECT_EQ(out, Bytes(1020, 0));
}

INSTANTIATE_TEST_SUITE_P(Transports, MiniTesterTest, testing::Values(sim::UsbTransport::Hid, sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace
