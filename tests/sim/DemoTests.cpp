// The simulated tester at work, as the operator program sees it through the library's exports:
// demonstration traffic moves every counter the program shows, the line rates are bits per
// second, a link flaps and comes back, the control channel's commands have their effect, the
// product date has the program's twelve digits and captured frames are real Ethernet, ARP, IPv4
// and UDP.

#include "BrevixCCapture.h"
#include "BrevixCCounters.h"
#include "sim/ControlChannel.h"
#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"
#include "support/CallbackRecorder.h"
#include "support/Frames.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;
using frames::Bytes;
using frames::Le16;
using support::CallbackRecorder;
using support::HostMessage;

constexpr uint16_t kLinkDown = 255;
constexpr uint16_t kGigabitFull = 9;

BrevixC_PortCounters_T Statistics(uint8_t port) {
    BrevixC_PortCounters_T block{};
    BrevixC_ReadCounterStatistics(port, &block);
    return block;
}

uint16_t Be16(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

// Internet checksums: the sum of 16-bit words, folded and complemented; 0 when it holds.
uint32_t Add(const Bytes& b, size_t at, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; i += 2) sum += uint32_t(b[at + i]) << 8 | (i + 1 < length ? b[at + i + 1] : 0);
    return sum;
}

uint16_t Complement(uint32_t sum) {
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

// What a captured frame claims to be, checked against its own headers; empty when they hold.
std::string CheckFrame(const Bytes& f, std::string* kind) {
    if (f.size() < 60) return "shorter than an Ethernet frame";
    size_t at = 12;
    uint16_t type = Be16(f, at);
    if (type == 0x8100) at += 4, type = Be16(f, at);
    at += 2;
    if (type == 0x8808) {
        *kind = "pause";
        const bool toGroup = Be16(f, 0) == 0x0180 && Be16(f, 2) == 0xC200 && Be16(f, 4) == 0x0001;
        return toGroup && Be16(f, at) == 1 ? "" : "a MAC control frame that is no pause";
    }
    if (type == 0x0806) {
        *kind = "ARP";
        if (Be16(f, at) != 1 || Be16(f, at + 2) != 0x0800 || f[at + 4] != 6 || f[at + 5] != 4) return "ARP sizes";
        const bool senderIsSource = std::equal(f.begin() + 6, f.begin() + 12, f.begin() + at + 8);
        return senderIsSource && (Be16(f, at + 6) == 1 || Be16(f, at + 6) == 2) ? "" : "ARP sender or operation";
    }
    if (type != 0x0800) return "EtherType " + std::to_string(type);
    *kind = at == 18 ? "VLAN IPv4" : "IPv4";
    if (f[at] != 0x45 || Complement(Add(f, at, 20)) != 0) return "IPv4 header or its checksum";
    const size_t total = Be16(f, at + 2);
    if (at + total > f.size() || total < 28 || f[at + 9] != 17) return "IPv4 length or protocol";
    const size_t udp = at + 20;
    const size_t length = Be16(f, udp + 4);
    if (length != total - 20) return "UDP length";
    // The pseudo header: both addresses, the protocol and the UDP length.
    if (Complement(Add(f, at + 12, 8) + 17 + uint32_t(length) + Add(f, udp, length)) != 0) return "UDP checksum";
    if (f[at + 16] >= 224) {
        *kind += " multicast";
        const bool groupMac = f[0] == 0x01 && f[1] == 0x00 && f[2] == 0x5E && (f[3] & 0x7F) == (f[at + 17] & 0x7F) &&
                              f[4] == f[at + 18] && f[5] == f[at + 19];
        if (!groupMac) return "the group's MAC address";
    }
    return "";
}

class DemoTest : public testing::Test {
protected:
    void Start(const sim::DemoTraffic::Schedule& schedule) {
        pair_ = support::TestNetwork();
        std::string error;
        auto link = support::OpenTesterLink(pair_, &error);
        ASSERT_TRUE(link) << error;
        tester_ = std::make_unique<sim::FullTester>(std::move(link), 1, L"");
        demo_ = std::make_unique<sim::DemoTraffic>(*tester_, schedule);
        control_ = std::make_unique<sim::TesterControl>(*tester_, demo_.get(), pair_.hostInterface);
        tester_->Start();
        CallbackRecorder::Instance().Clear();
        ASSERT_EQ(BrevixC_SYS_Init(&CallbackRecorder::Callback, 0), 1);
        char model[32] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        // From here on the schedule's times count.
        demo_->Start();
    }
    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        if (control_ && control_->Lost()) control_->Return();
        if (demo_) demo_->Stop();
        if (tester_) tester_->Stop();
    }

    // A 0x0400 message that says Port A's and Port B's speed codes are those given.
    static bool LinkReported(uint16_t portA, uint16_t portB) {
        return !CallbackRecorder::Instance()
                    .WaitFor([&](const HostMessage& m) {
                        return m.Type() == 0x0400 && Le16(m.bytes, 18) == portA && Le16(m.bytes, 22) == portB;
                    }, support::kPatience)
                    .bytes.empty();
    }

    support::VethPair pair_;
    std::unique_ptr<sim::FullTester> tester_;
    std::unique_ptr<sim::DemoTraffic> demo_;
    std::unique_ptr<sim::TesterControl> control_;
};

TEST_F(DemoTest, TrafficMovesEveryCounterTheProgramShowsOnBothPorts) {
    Start({});
    // Broadcast, multicast, unicast, pause, VLAN, IPv4, Rx packets and the six size classes.
    const int shown[] = {0, 1, 2, 3, 4, 5, 11, 14, 15, 16, 17, 18, 19};
    for (uint8_t port = 0; port < 2; ++port) {
        for (int slot : shown) {
            EXPECT_TRUE(support::Eventually([&] { return Statistics(port).counter[slot] > 0; }))
                << "port " << int(port) << " counter " << slot;
        }
        const BrevixC_PortCounters_T s = Statistics(port);
        EXPECT_GT(s.rxBytes, 0u);
        EXPECT_GT(s.txPackets, 0u);
        EXPECT_GT(s.txBytes, s.txPackets * 60);
        EXPECT_GT(s.rxPacketRate, 0u);
        EXPECT_GT(s.txPacketRate, 0u);
    }
}

TEST_F(DemoTest, LineRatesAreBitsPerSecondAndChangeOverTime) {
    Start({});
    // A whole poll interval of the demonstration's traffic: the poll after the first that shows it.
    BrevixC_PortCounters_T first{}, rates{};
    ASSERT_TRUE(support::Eventually([&] {
        BrevixC_ReadCounterRate(0, &first);
        return first.counter[11] > 5000;
    }));
    ASSERT_TRUE(support::Eventually([&] {
        BrevixC_ReadCounterRate(0, &rates);
        return rates.counter[11] != first.counter[11];
    }));
    // The bits a second's frames carry on the wire, each with its 20 bytes of preamble and gap.
    const double bits = (double(rates.rxBytes) + 20.0 * double(rates.counter[11])) * 8;
    EXPECT_GT(rates.rxLineRate, bits / 2);
    EXPECT_LT(rates.rxLineRate, bits * 2);
    EXPECT_LE(rates.rxLineRate, 1000000000u) << "a gigabit link";
    const uint32_t earlier = Statistics(0).txLineRate;
    EXPECT_TRUE(support::Eventually([&] { return Statistics(0).txLineRate != earlier; })) << "the load changes";
}

TEST_F(DemoTest, ErrorBurstMovesEachErrorCounter) {
    Start({});
    // Dribble, alignment, CRC, under size, over size and IP checksum errors.
    const int errors[] = {6, 7, 8, 9, 10, 13};
    const BrevixC_PortCounters_T before = Statistics(1);
    EXPECT_EQ(control_->Execute("BURST b"), "ok: error burst on b");
    for (int slot : errors) {
        EXPECT_TRUE(support::Eventually([&] { return Statistics(1).counter[slot] > before.counter[slot]; }))
            << "counter " << slot;
    }
}

TEST_F(DemoTest, PortBLinkFlapsAndComesBack) {
    sim::DemoTraffic::Schedule schedule;
    schedule.firstFlap = 1s;
    schedule.flapDown = 4s;
    Start(schedule);
    EXPECT_TRUE(LinkReported(kGigabitFull, kLinkDown));
    EXPECT_TRUE(support::Eventually([] { return Statistics(1).rxPacketRate == 0; })) << "no traffic while down";
    EXPECT_TRUE(LinkReported(kGigabitFull, kGigabitFull));
}

TEST_F(DemoTest, ControlPipeTakesLinksDownAndUpAndAnswersEveryLine) {
    Start({});
    sim::ControlChannel channel(*control_, L"\\\\.\\pipe\\brevix-sim-control-test-" + std::to_wstring(GetCurrentProcessId()));
    channel.Start();
    const auto send = [&](const char* line) { return sim::SendControlCommand(channel.PipeName(), line, support::kPatience); };
    EXPECT_EQ(send("link a down"), "ok: link a down");
    EXPECT_TRUE(LinkReported(kLinkDown, kGigabitFull));
    EXPECT_EQ(send("status"), "ok: Brevix-CF answering, port A link down, port B link up, demonstration traffic");
    EXPECT_EQ(send("link a up"), "ok: link a up");
    EXPECT_TRUE(LinkReported(kGigabitFull, kGigabitFull));
    EXPECT_EQ(send("link c up").rfind("error: ", 0), 0u);
    EXPECT_EQ(send("").rfind("error: ", 0), 0u);
}

TEST_F(DemoTest, LosingTheTesterIsReportedAndItConnectsAgainOnReturn) {
    Start({});
    EXPECT_EQ(control_->Execute("lose"), "ok: tester lost");
    EXPECT_FALSE(CallbackRecorder::Instance()
                     .WaitFor([](const HostMessage& m) { return m.Type() == 0xFF00 && m.bytes[18] == 255; },
                              support::kPatience)
                     .bytes.empty());
    EXPECT_EQ(control_->Execute("return"), "ok: tester back");
    // As the program's Reconnect does: connect again without terminating first.
    EXPECT_TRUE(support::Eventually([] { return BrevixC_SYS_ConnectToBrevixCDevice() == 1; }));
}

TEST_F(DemoTest, StdinLinesEachGetOneReply) {
    Start({});
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(in && out);
    std::fputs("help\n\nlink both down\r\nfly\n", in);
    std::rewind(in);
    sim::ControlChannel(*control_, L"").ServeStream(in, out);
    std::rewind(out);
    char line[256];
    std::string replies;
    while (std::fgets(line, sizeof line, out)) replies += std::string(line).substr(0, 6) + "|";
    EXPECT_EQ(replies, "ok: co|ok: li|error:|");
    EXPECT_TRUE(LinkReported(kLinkDown, kLinkDown));
}

TEST_F(DemoTest, ProductDateIsTwelveDigitsOfYearMonthDayHourAndMinute) {
    Start({});
    const std::string date(BVX_ProductDate);
    ASSERT_EQ(date.size(), 12u) << date;
    for (char c : date) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << date;
    const int month = std::stoi(date.substr(4, 2)), day = std::stoi(date.substr(6, 2));
    const int hour = std::stoi(date.substr(8, 2)), minute = std::stoi(date.substr(10, 2));
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60) << date;
}

TEST_F(DemoTest, CapturedFramesParseAsTheHeadersTheyClaim) {
    Start({});
    constexpr uint16_t kFrames = 300;
    ASSERT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, kFrames), 1);
    ASSERT_TRUE(support::Eventually([&] { return tester_->Captures().Held(0) >= kFrames; }, 3 * support::kPatience));
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, kFrames), 1);
    BrevixC_CaptureVector copy;
    ASSERT_TRUE(support::Eventually([&] { return BrevixC_CopyCaptureBuffer(0, copy) && copy.size() >= kFrames; }));
    std::map<std::string, int> kinds;
    for (const BrevixC_PKTCAP_Content_S& frame : copy) {
        const Bytes bytes(frame.data, frame.data + frame.length);
        std::string kind;
        const std::string fault = CheckFrame(bytes, &kind);
        ASSERT_EQ(fault, "") << "frame of " << bytes.size() << " bytes";
        ++kinds[kind];
    }
    for (const char* kind : {"ARP", "IPv4", "IPv4 multicast", "VLAN IPv4"}) EXPECT_GT(kinds[kind], 0) << kind;
}

}  // namespace
