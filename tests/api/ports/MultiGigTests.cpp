// Media programming of the multi-gigabit PHY (machine id 4), whose registers the library reaches
// through the tester's indirect window, and the media-change counter.

#include "BrevixCAPI.h"
#include "BrevixCPorts.h"
#include "LibraryThreads.h"
#include "device/DeviceBench.h"
#include "fpga/FpgaHost.h"
#include "ports/LinkReports.h"
#include "ports/PortControls.h"
#include "ports/Ports.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

using bench::The;

namespace {

// The PHY registers media programming writes, as (device, register).
constexpr int kAnDevice = 7, kPmaDevice = 1;
constexpr uint16_t kAdvertisement = 0x20, kControl = 0;
constexpr uint16_t kUntouched = 0xFFFF;
// The link report, and the indirect window's result that the PHY identification reads.
constexpr uint32_t kLinkReport = 0x400000D4, kIndirectResult = 0x400000BC;

// The PHY poller has nothing left to do: no port waits for an identification, and none is under
// way. The flags first: an identification takes its claim before it clears a port's flag.
bool PhyPollerIdle() {
    return !capi::Links().linkFlag[0] && !capi::Links().linkFlag[1] && !capi::IdentificationUnderWay();
}

// Frames of the library since the log was cleared: sequential reads of a register.
size_t SequentialReads(uint8_t command, uint32_t address) {
    size_t count = 0;
    for (const bench::Bytes& f : bench::LibraryCommands()) count += f[14] == command && bench::Get32(f, 16) == address;
    return count;
}

struct MediaCase {
    const char* name;
    BrevixC_MediaType_T media;
    uint16_t advertisement;  // AN 0x20
    uint16_t anControl;      // AN 0
    uint16_t pmaControl;     // PMA/PMD 0
};

class MultiGigTest : public bench::DeviceTest {
protected:
    void SetUp() override {
        // A link report of an earlier case has been handled, and the PHY identification it started
        // has ended: its reads would otherwise land in this case's log.
        bench::HandledByTester();
        ASSERT_TRUE(support::Eventually(PhyPollerIdle)) << "the PHY poller is still identifying a port";
        DeviceTest::SetUp();
        // Writes of an earlier case that the tester has not handled yet would land after the reset.
        bench::HandledByTester();
        for (int port = 0; port < 2; ++port) {
            phys.SetIndirect(port, kAnDevice, kAdvertisement, kUntouched);
            phys.SetIndirect(port, kAnDevice, kControl, kUntouched);
            phys.SetIndirect(port, kPmaDevice, kControl, kUntouched);
        }
    }
    sim::PhyBank& phys = *The().phys;
};

class MultiGigMediaTest : public MultiGigTest, public testing::WithParamInterface<MediaCase> {};

TEST_P(MultiGigMediaTest, MediaCodesFromEightWriteThePhysRegistersThroughTheIndirectWindow) {
    const MediaCase& c = GetParam();
    ASSERT_EQ(BrevixC_SetMediaType(c.media), 1);
    bench::HandledByTester();
    const int port = int(c.media.port);
    EXPECT_EQ(phys.Indirect(port, kAnDevice, kAdvertisement), c.advertisement);
    EXPECT_EQ(phys.Indirect(port, kAnDevice, kControl), c.anControl);
    EXPECT_EQ(phys.Indirect(port, kPmaDevice, kControl), c.pmaControl);
    EXPECT_EQ(phys.Indirect(1 - port, kAnDevice, kControl), kUntouched) << "the other port's PHY";
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MultiGigMediaTest,
    testing::Values(
        // Forced 1000 Mbit/s: the PMA/PMD control alone.
        MediaCase{"Forced1000", {0, 8, 0x3F, 0, 0}, kUntouched, kUntouched, 0x0040},
        // A forced multi-gigabit speed advertises nothing but the selector and starts no negotiation.
        MediaCase{"ForcedMultiGig", {1, 12, 0x41, 0, 0}, 0x0001, kUntouched, kUntouched},
        // Auto-negotiation advertises what the ability flags add: bit 0 0x140, bit 6 0x1002, bit 7
        // 0xA0; then restarts it.
        MediaCase{"AutoWithLowAndBit6", {0, 13, 0x41, 0, 0}, 0x1143, 0x2200, kUntouched},
        MediaCase{"AutoWithBit7", {1, 15, 0x80, 0, 0}, 0x00A1, 0x2200, kUntouched},
        MediaCase{"AutoWithBit0From10", {0, 10, 0x01, 0, 0}, 0x0141, 0x2200, kUntouched},
        // Codes 10 and 11, and 1000 Mbit/s flags alone (16 or 32), set the PMA/PMD control instead.
        MediaCase{"AutoWithout", {1, 11, 0, 0, 0}, kUntouched, 0x1200, 0x0040},
        MediaCase{"AutoWith1000FullOnly", {0, 17, 32, 0, 0}, kUntouched, 0x1200, 0x0040}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MultiGigTest, PortsBeyondBAreRefusedBeforeSending) {
    EXPECT_EQ(BrevixC_SetMediaType({2, 13, 0x41, 0, 0}), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());
}

// Codes from 20 on name no speed of their own: the port stays negotiating or forced as it was.
TEST_F(MultiGigTest, CodesFromTwentyAreTakenAndKeepTheForcedModeTheyFind) {
    ASSERT_EQ(BrevixC_SetMediaType({0, 13, 0x41, 0, 0}), 1);
    bench::HandledByTester();
    phys.SetIndirect(0, kAnDevice, kControl, kUntouched);
    ASSERT_EQ(BrevixC_SetMediaType({0, 20, 0x41, 0, 0}), 1);
    bench::HandledByTester();
    EXPECT_EQ(phys.Indirect(0, kAnDevice, kAdvertisement), 0x1143);
    EXPECT_EQ(phys.Indirect(0, kAnDevice, kControl), 0x2200) << "still negotiating: negotiation restarted";

    ASSERT_EQ(BrevixC_SetMediaType({0, 12, 0x41, 0, 0}), 1);
    bench::HandledByTester();
    phys.SetIndirect(0, kAnDevice, kControl, kUntouched);
    ASSERT_EQ(BrevixC_SetMediaType({0, 21, 0x41, 0, 0}), 1);
    bench::HandledByTester();
    EXPECT_EQ(phys.Indirect(0, kAnDevice, kAdvertisement), 0x0001) << "forced: the selector alone";
    EXPECT_EQ(phys.Indirect(0, kAnDevice, kControl), kUntouched) << "still forced: no negotiation";
}

TEST_F(MultiGigTest, EachMediaProgrammingTakenCountsOnceAsAMediaChange) {
    const uint32_t before = capi::MediaChanges();
    ASSERT_EQ(BrevixC_SetMediaType({0, 13, 0x41, 0, 0}), 1);
    ASSERT_EQ(BrevixC_SetMediaType({1, 5, 0x3F, 0x0101, 0}), 1) << "clause 22 registers";
    ASSERT_EQ(BrevixC_SetMediaType({1, BREVIXC_MEDIA_POWER_DOWN, 0, 0, 0}), 1);
    EXPECT_EQ(capi::MediaChanges(), before + 3);
    EXPECT_EQ(BrevixC_SetMediaType({2, 0, 0, 0, 0}), 0);
    EXPECT_EQ(BrevixC_SetMediaType({255, 0, 0, 0, 0}), 0);
    EXPECT_EQ(capi::MediaChanges(), before + 3) << "refused calls change nothing";
}

TEST_F(MultiGigTest, LinkNoticeStartsTheMediaChangeCountAgain) {
    ASSERT_EQ(BrevixC_SetMediaType({0, 13, 0x41, 0, 0}), 1);
    ASSERT_NE(capi::MediaChanges(), 0u);
    ASSERT_TRUE(The().tester->SendNotice(10, 1));  // a PHY notice is not a link change
    // Handled in order: once a later read is answered, the notice has been handled.
    bench::HandledByTester();
    EXPECT_NE(capi::MediaChanges(), 0u);
    ASSERT_TRUE(The().tester->SendNotice(0, 0));
    EXPECT_TRUE(support::Eventually([] { return capi::MediaChanges() == 0; }));
    // The notice also asks for the link report: it is answered within this case, so the PHY
    // identification it starts is seen through by the next case's set-up.
    ASSERT_TRUE(support::Eventually([] { return SequentialReads(1, kLinkReport) >= 1; }));
    bench::HandledByTester();
}

// Whether a frame is the identification's status read: the read of the indirect result that
// follows the window's set-up for the status register 0x8008.
class StatusReads {
public:
    bool Is(const bench::Bytes& f) {
        if (f.size() >= 24 && f[14] == 0 && bench::Get32(f, 16) == 0x400000B0) {
            statusNext_ = bench::Get32(f, 20) == 0x8008;
        }
        return f.size() >= 20 && f[14] == 1 && bench::Get32(f, 16) == kIndirectResult && statusNext_;
    }

private:
    bool statusNext_ = false;
};

// A PHY that never answers is asked in a few poll rounds after each link report that finds its
// port up, and then left alone until the next report.
TEST_F(MultiGigTest, PhyPollAsksASilentPhyForABoundedNumberOfRounds) {
    constexpr uint32_t kCounterBlock = 0x42600000;
    // The bench's Port A is up, Port B down.
    {
        // The tester does not answer the identification's reads.
        const bench::Interception silent(
            [&](const bench::Bytes& f) { return f.size() >= 20 && f[14] == 1 && bench::Get32(f, 16) == kIndirectResult; });
        ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
        const size_t asks = 2 * capi::kPhyStatusAsks;  // each round reads the type and the status
        ASSERT_TRUE(support::Eventually([&] { return SequentialReads(1, kIndirectResult) >= asks; },
                                        2 * support::kPatience))
            << "the PHY poller asks Port A in each round";
        ASSERT_TRUE(support::Eventually([] { return !capi::IdentificationUnderWay(); }));
        // Three counter poll rounds later the PHY poller has had two more rounds too.
        const size_t rounds = SequentialReads(3, kCounterBlock);
        ASSERT_TRUE(support::Eventually([&] { return SequentialReads(3, kCounterBlock) >= rounds + 3; }));
        EXPECT_EQ(SequentialReads(1, kIndirectResult), asks) << "then it gives up on the port";
    }
    // The PHY answers again: the next report that finds the port up has it identified.
    ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
    EXPECT_TRUE(support::Eventually([] { return capi::Links().phyType[0] == capi::kMultiGigPhy; }));
}

// On this model the link report sends nothing while a port is up: the PHY's status answer brings
// the port's link-up. One lost answer is asked again in the next round.
TEST_F(MultiGigTest, ALostStatusAnswerIsAskedForAgainAndTheLinkUpArrives) {
    StatusReads status;
    std::atomic<bool> dropped{false};
    const bench::Interception dropOnce([&](const bench::Bytes& f) {
        if (!status.Is(f) || dropped) return false;
        dropped = true;
        return true;
    });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
    const support::HostMessage up = support::CallbackRecorder::Instance().WaitFor(
        [](const support::HostMessage& m) {
            return m.Type() == 0x0400 && bench::Le16(m.bytes, BREVIXC_LINK_PORT_A_SPEED) != 255;
        },
        support::kPatience);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_FALSE(up.bytes.empty()) << "Port A's link-up";
    EXPECT_TRUE(dropped);
    EXPECT_EQ(bench::Le16(up.bytes, BREVIXC_LINK_PORT_A_SPEED), 11) << "1 Gbit/s on the multi-gigabit PHY";
    EXPECT_EQ(bench::Le16(up.bytes, BREVIXC_LINK_PORT_B_SPEED), 255);
    EXPECT_LE(took.count(), 3000) << "the next PHY poll round asked again";
}

// Media programming turns the tester's shadow control off for its writes; the host's image of it
// is the port configuration's, which the next configuration writes as the host left it.
TEST_F(MultiGigTest, MediaProgrammingLeavesTheShadowControlImageAsTheHostSetIt) {
    BrevixC_PortConfig_T config = bench::UnchangedPortConfig(0);
    config.shadowControl = 1;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    ASSERT_EQ(BrevixC_SetMediaType({0, 13, 0x41, 0, 0}), 1);
    EXPECT_EQ(bench::LastWrite(0x400000D4), 0) << "off for the programming";
    ASSERT_EQ(BrevixC_PortConfig(bench::UnchangedPortConfig(0)), 1);
    EXPECT_EQ(bench::LastWrite(0x400000D4) & (1u << 30), 1u << 30) << "the host's choice";
}

// Between its rounds the PHY poller rests on the pollers' stop: a stop that comes just after an
// identification ends it at once, where a plain wait would hold the stop for the rest of the
// second. After the identification's last read the poller has nothing to do for most of a second,
// so a stop that took as long as the rest would stand out well beyond the bound.
TEST_F(MultiGigTest, AStopBetweenPhyPollRoundsEndsThePollerAtOnce) {
    ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
    ASSERT_TRUE(support::Eventually([] { return SequentialReads(1, kIndirectResult) >= 2; }))
        << "the PHY poller identifies Port A";
    ASSERT_TRUE(support::Eventually([] { return !capi::IdentificationUnderWay(); })) << "and the round's reads end";
    ASSERT_EQ(CountLibraryThreads(L"BrevixCAPI PHY poller"), 1);
    const auto start = std::chrono::steady_clock::now();
    capi::StopPollerThreads();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI PHY poller"), 0);
    EXPECT_LT(took.count(), 400) << "the stop waited out the poller's rest";
    // The next cases poll again: a connect starts a session with pollers of its own.
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
}

}  // namespace
