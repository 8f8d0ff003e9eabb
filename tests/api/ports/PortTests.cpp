// Ports, PHY and media against the simulated tester: the port configuration registers field by
// field and its PHY reset, media detection and its events, the SFP shadow, PHY reads answered and
// timed out, write echoes that are not results, loopback, BERT, DI, media programming, the
// oscillator, and the message pump during a call.

#include "BrevixCPorts.h"
#include "device/DeviceBench.h"
#include "support/AppMessageWindow.h"

#include <windows.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;
using bench::LastWrite;
using bench::PortEvent;
using bench::PortEvents;
using bench::The;
using bench::UnchangedPortConfig;

namespace {

constexpr uint32_t kPhyResultRead = 0xC00000DC;

// Frames of the library since the log was cleared whose first word is the given one.
size_t CommandsStartingWith(uint32_t word) {
    size_t count = 0;
    for (const bench::Bytes& f : bench::LibraryCommands()) count += bench::Get32(f, 16) == word;
    return count;
}

class PortTest : public bench::DeviceTest {
protected:
    sim::PhyBank& phys = *The().phys;
};

struct FieldCase {
    const char* name;
    uint8_t port;
    std::function<void(BrevixC_PortConfig_T&)> set;
    uint32_t reg;
    uint32_t mask;
    uint32_t expected;
};

class PortConfigFieldTest : public PortTest, public testing::WithParamInterface<FieldCase> {};

TEST_P(PortConfigFieldTest, ChangesItsBitsAndWritesTheFiveRegistersInOneFrame) {
    BrevixC_PortConfig_T config = UnchangedPortConfig(GetParam().port);
    GetParam().set(config);
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    EXPECT_EQ(LastWrite(GetParam().reg) & GetParam().mask, GetParam().expected);
    const auto commands = bench::CommandsBesidesPolls();
    ASSERT_EQ(commands.size(), 1u);
    const uint32_t base = GetParam().port * 0x02000000u;
    const uint32_t registers[5] = {0x400000DC, 0x400000D0, 0x400000D4, 0x41000030 + base, 0x41000004 + base};
    ASSERT_EQ(commands[0][15], 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(bench::Get32(commands[0], 16 + 8 * i), registers[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PortConfigFieldTest,
    testing::Values(
        FieldCase{"ShadowControlOff", 0, [](auto& c) { c.shadowControl = 0; }, 0x400000D4, 1u << 30, 0},
        FieldCase{"ShadowControlOn", 1, [](auto& c) { c.shadowControl = 1; }, 0x400000D4, 1u << 30, 1u << 30},
        FieldCase{"PortSwitchHighPortA", 0, [](auto& c) { c.portSwitchHigh = 1; }, 0x400000DC, 1u << 14, 1u << 14},
        FieldCase{"PortSwitchHighPortB", 1, [](auto& c) { c.portSwitchHigh = 1; }, 0x400000DC, 1u << 6, 1u << 6},
        FieldCase{"PortSwitchLowPortA", 0, [](auto& c) { c.portSwitchLow = 1; }, 0x400000DC, 1u << 13, 1u << 13},
        FieldCase{"PortSwitchLowPortB", 1, [](auto& c) { c.portSwitchLow = 1; }, 0x400000DC, 1u << 5, 1u << 5},
        FieldCase{"PhySwitchPortA", 0, [](auto& c) { c.phySwitch = 1; }, 0x400000D0, 1u << 16, 1u << 16},
        FieldCase{"PhySwitchPortB", 1, [](auto& c) { c.phySwitch = 1; }, 0x400000D0, 1u << 0, 1u << 0},
        FieldCase{"FlowControlPortA", 0, [](auto& c) { c.flowControl = 1; }, 0x400000D0, 1u << 22, 1u << 22},
        FieldCase{"FlowControlPortBTakesBitZero", 1, [](auto& c) { c.flowControl = 2; }, 0x400000D0, 1u << 6, 0},
        FieldCase{"PhySwitchHighPortA", 0, [](auto& c) { c.phySwitchHigh = 1; }, 0x400000D0, 1u << 20, 1u << 20},
        FieldCase{"PhySwitchHighPortB", 1, [](auto& c) { c.phySwitchHigh = 1; }, 0x400000D0, 1u << 4, 1u << 4},
        FieldCase{"PortWordSwitchPortA", 0, [](auto& c) { c.portWordSwitch = 1; }, 0x41000030, 1u << 31, 1u << 31},
        FieldCase{"PortWordPortB", 1, [](auto& c) { c.portWord = 0x92345678; }, 0x43000030, 0x7FFFFFFF, 0x12345678},
        FieldCase{"ForcedSpeedPortA", 0, [](auto& c) { c.speedDuplex = 8; }, 0x41000004, 0x8000000F, 2},
        FieldCase{"ForcedSpeed8PortB", 1, [](auto& c) { c.speedDuplex = 0xFFFC; }, 0x43000004, 0x8000000F, 8},
        FieldCase{"AutoNegotiationPortA", 0, [](auto& c) { c.speedDuplex = 0x8000; }, 0x41000004, 1u << 31, 1u << 31},
        FieldCase{"SpeedClassPortB", 1, [](auto& c) { c.speedClass = 3; }, 0x43000004, 3u << 15, 3u << 15}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortTest, UnchangedFieldsKeepEachPortsOwnSettings) {
    BrevixC_PortConfig_T config = UnchangedPortConfig(0);
    config.speedDuplex = 4;
    config.portWord = 0x111;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    config = UnchangedPortConfig(1);
    config.speedDuplex = 12;
    config.portWord = 0x222;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    const int64_t portSwitch = LastWrite(0x400000DC), phy = LastWrite(0x400000D0), shadow = LastWrite(0x400000D4);

    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_PortConfig(UnchangedPortConfig(1)), 1);
    EXPECT_EQ(LastWrite(0x43000004) & 0xF, 3) << "Port B keeps its own speed";
    EXPECT_EQ(LastWrite(0x43000030) & 0x7FFFFFFF, 0x222);
    ASSERT_EQ(BrevixC_PortConfig(UnchangedPortConfig(0)), 1);
    EXPECT_EQ(LastWrite(0x41000004) & 0xF, 1);
    EXPECT_EQ(LastWrite(0x41000030) & 0x7FFFFFFF, 0x111);
    EXPECT_EQ(LastWrite(0x400000DC), portSwitch);
    EXPECT_EQ(LastWrite(0x400000D0), phy);
    EXPECT_EQ(LastWrite(0x400000D4), shadow);
}

TEST_F(PortTest, BothPortsOnlyWhenTheWholePortWordIs255) {
    ASSERT_EQ(BrevixC_PortConfig(UnchangedPortConfig(255)), 1);
    EXPECT_EQ(CommandsStartingWith(0x400000DC), 2u);
    The().tester->ClearLog();
    ASSERT_EQ(BrevixC_PortConfig(UnchangedPortConfig(0x101)), 1) << "byte 0 names Port B";
    EXPECT_NE(LastWrite(0x43000004), -1);
    EXPECT_EQ(LastWrite(0x41000004), -1);
    EXPECT_EQ(BrevixC_PortConfig(UnchangedPortConfig(2)), 0);
}

TEST_F(PortTest, ResetFieldResetsThePhyBeforeTheRegistersAreWritten) {
    phys.SetRegister(1, 0, 0x0100);
    BrevixC_PortConfig_T config = UnchangedPortConfig(1);
    config.reset = 0;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    bench::HandledByTester();
    EXPECT_EQ(CommandsStartingWith(0x400000D8), 0u) << "0 resets nothing, and neither does 0xFFFF";
    EXPECT_EQ(phys.Register(1, 0), 0x0100);

    The().tester->ClearLog();
    config.reset = 2;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    bench::HandledByTester();
    const auto commands = bench::CommandsBesidesPolls();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(bench::Get32(commands[0], 16), 0x400000D8u);
    EXPECT_EQ(bench::Get32(commands[0], 20), 1u << 21 | 0x8000) << "Port B's PHY register 0 := 0x8000";
    EXPECT_EQ(bench::Get32(commands[1], 16), 0x400000DCu) << "then the five registers";
    EXPECT_EQ(phys.Register(1, 0), 0x1140) << "the PHY is back at its power-on control";
}

TEST_F(PortTest, MediaDetectionReportsTwiceAndFinishesWithItsSfpImage) {
    BrevixC_PortConfig_T config = UnchangedPortConfig(0);
    config.flowControl = 3;  // only bit 0 reaches the SFP image
    config.portWordSwitch = 0;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    config = UnchangedPortConfig(1);
    config.flowControl = 0;
    config.portWordSwitch = 1;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);

    ASSERT_EQ(BrevixC_SetSFP(0, BREVIXC_SFP_FIBER), 1);
    ASSERT_TRUE(support::Eventually([] { return PortEvents().size() == 3; }));
    EXPECT_EQ(PortEvents(), (std::vector<PortEvent>{{0, 2, 0}, {0, 2, 0}, {0, 2, 1}}));
    // Valid, packet-generator mode, Port A, A's switches 01, B's 10, fiber.
    EXPECT_EQ(LastWrite(0x400000B0), 0xC0000000 | 1u << 12 | 2u << 8);
    EXPECT_EQ(LastWrite(0x400000E8), 1);
    ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
    const auto link = support::CallbackRecorder::Instance().WaitForType(0x0400, support::kPatience);
    ASSERT_EQ(link.bytes.size(), 60u);
    EXPECT_EQ(bench::Le16(link.bytes, 20), 1) << "Port A's media is fiber";
}

TEST_F(PortTest, MediaDetectionRefusesOtherPortsAndModes) {
    EXPECT_EQ(BrevixC_SetSFP(2, 0), 0);
    EXPECT_EQ(BrevixC_SetSFP(0, 3), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());
    EXPECT_TRUE(PortEvents().empty());
}

TEST_F(PortTest, SfpShadowWritesItsSwitchesAndResetsTheChosenPortsTwice) {
    auto resets = [&](int port) {
        int count = 0;
        for (const auto& access : phys.Accesses()) count += access.port == port && !access.read && access.reg == 0 && (access.value & 0x8000);
        return count;
    };
    phys.ClearAccesses();
    ASSERT_EQ(BrevixC_EnableSFPShadow(1, 1), 1);
    EXPECT_EQ(LastWrite(0x400000FC), 3) << "port in bit 0, enable in bit 1";

    ASSERT_EQ(BrevixC_EnableSFPShadow(0, 1), 1);
    EXPECT_EQ(LastWrite(0x400000FC), 2);
    EXPECT_TRUE(support::Eventually([&] { return resets(0) == 2; }));
    EXPECT_EQ(resets(1), 0) << "Port B with the shadow on reset no PHY before Port A's call";
    ASSERT_EQ(BrevixC_EnableSFPShadow(1, 0), 1);
    EXPECT_EQ(LastWrite(0x400000FC), 1);
    EXPECT_TRUE(support::Eventually([&] { return resets(1) == 2; }));
    EXPECT_EQ(resets(0), 2) << "Port A only after its own call";
}

TEST_F(PortTest, RxDiSwitchesBitZeroOfItsValueIntoThePortsPhyControlBit) {
    auto written = [] {
        support::Eventually([] { return LastWrite(0x400000D0) != -1; });
        const int64_t value = LastWrite(0x400000D0);
        The().tester->ClearLog();
        return value;
    };
    ASSERT_EQ(BrevixC_SetRxDI(0, 0), 1);
    written();
    ASSERT_EQ(BrevixC_SetRxDI(1, 2), 1);
    EXPECT_EQ(written() & (1 << 20 | 1 << 4), 0);
    ASSERT_EQ(BrevixC_SetRxDI(0, 1), 1);
    EXPECT_EQ(written() & (1 << 20 | 1 << 4), 1 << 20);
    ASSERT_EQ(BrevixC_SetRxDI(1, 3), 1);
    EXPECT_EQ(written() & (1 << 20 | 1 << 4), 1 << 20 | 1 << 4);
    ASSERT_EQ(BrevixC_SetRxDI(0, 2), 1);
    EXPECT_EQ(written() & (1 << 20 | 1 << 4), 1 << 4);
    EXPECT_EQ(BrevixC_SetRxDI(2, 1), 0);
    EXPECT_EQ(BrevixC_SetRxDI(255, 1), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());
}

// A general reply whose pair has no read flag is the echo of a write: it repeats what the library
// wrote and carries neither a link report nor a PHY result. Here the tester answers the library's
// reads of both registers only after such an echo of the same register with a misleading value.
TEST_F(PortTest, EchoesOfWritesAreNeitherLinkReportsNorPhyResults) {
    const bench::Interception echoFirst([](const bench::Bytes& frame) {
        const bool linkRead = frame[14] == 1 && bench::Get32(frame, 16) == 0x400000D4;
        const bool resultRead = frame[14] == 0 && bench::Get32(frame, 16) == kPhyResultRead;
        if (!linkRead && !resultRead) return false;
        // Both ports up at 10 Mbit/s half duplex; Port B's register 2 reading 0xBAD0.
        The().tester->SendRaw(linkRead ? frames::Reply(0, 1, {0x400000D4, 0x0303})
                                       : frames::Reply(0, 1, {0x400000DC, 1u << 21 | 2u << 16 | 0xBAD0}));
        return false;
    });

    ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
    const auto link = support::CallbackRecorder::Instance().WaitForType(0x0400, support::kPatience);
    ASSERT_EQ(link.bytes.size(), 60u);
    // The bench's links: Port A up at 1000 Mbit/s full duplex, Port B down.
    EXPECT_EQ(bench::Le16(link.bytes, BREVIXC_LINK_PORT_A_SPEED), 9);
    EXPECT_EQ(bench::Le16(link.bytes, BREVIXC_LINK_PORT_B_SPEED), 255);

    ASSERT_EQ(BrevixC_ReadPHY(1, 2), 1);
    const auto results = bench::Messages(0x0600);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(bench::Le16(results[0].bytes, 20), phys.Register(1, 2));
    EXPECT_EQ(bench::Messages(0x0400).size(), 1u) << "the echo before the link report made no message";
}

TEST_F(PortTest, PhyReadAnsweredTakesOneResultReadAndReportsTheValue) {
    phys.SetRegister(1, 2, 0x0143);
    ASSERT_EQ(BrevixC_ReadPHY(1, 2), 1);
    const auto results = bench::Messages(0x0600);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(bench::Le16(results[0].bytes, 16), 1);
    EXPECT_EQ(bench::Le16(results[0].bytes, 18), 2);
    EXPECT_EQ(bench::Le16(results[0].bytes, 20), 0x0143);
    EXPECT_EQ(CommandsStartingWith(kPhyResultRead), 1u);

    support::CallbackRecorder::Instance().Clear();
    ASSERT_EQ(BrevixC_ReadPHY(255, 3), 1);
    const auto both = bench::Messages(0x0600);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(bench::Le16(both[1].bytes, 16), 1);
    EXPECT_EQ(bench::Le16(both[1].bytes, 20), phys.Register(1, 3));
}

// "PhyRead" is a named event of the whole session: another program may set it while a read waits.
// The read goes on waiting for its own result.
TEST_F(PortTest, PhyReadSignalledWithoutItsResultWaitsForTheResult) {
    phys.SetRegister(0, 2, 0x0143);
    ASSERT_EQ(BrevixC_ReadPHY(0, 2), 1);  // the table now holds 0x0143 for register 2
    phys.SetRegister(0, 2, 0x2A2A);
    support::CallbackRecorder::Instance().Clear();
    const HANDLE phyRead = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"PhyRead");
    ASSERT_NE(phyRead, nullptr);
    std::atomic<int> resultReads{0};
    {
        // The first result read goes unanswered, and the event is set as if by another program.
        const bench::Interception foreignSignal([&](const bench::Bytes& frame) {
            if (frame[14] != 0 || bench::Get32(frame, 16) != kPhyResultRead) return false;
            if (resultReads++ != 0) return false;
            SetEvent(phyRead);
            return true;
        });
        ASSERT_EQ(BrevixC_ReadPHY(0, 2), 1);
    }
    CloseHandle(phyRead);
    const auto results = bench::Messages(0x0600);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(bench::Le16(results[0].bytes, 20), 0x2A2A) << "the new value, not the table's old one";
    EXPECT_EQ(resultReads, 2) << "the unanswered read was sent again";
}

TEST_F(PortTest, ShadowRegisterReadTurnsTheShadowControlOffAndOnAgain) {
    phys.SetShadow(0, 28, 30, 486);
    EXPECT_EQ(BrevixC_GetSFPStatus(0), 1) << "fiber";
    auto shadowControl = [] {
        std::vector<uint32_t> bits;
        for (const auto& pair : bench::WrittenPairs()) {
            if (pair.first == 0x400000D4) bits.push_back(pair.second & (1u << 30));
        }
        return bits;
    };
    // Two shadow reads, each between the control turned off and on again.
    ASSERT_TRUE(support::Eventually([&] { return shadowControl().size() == 4; }));
    EXPECT_EQ(shadowControl(), (std::vector<uint32_t>{0, 1u << 30, 0, 1u << 30}));
    phys.SetShadow(0, 28, 30, 39);
    EXPECT_EQ(BrevixC_GetSFPStatus(0), 0) << "copper";
}

TEST_F(PortTest, SlowPhyReadWithoutResultReportsThePhyLost) {
    The().tester->SetSilent(true);
    const int result = BrevixC_ReadPHY(0, 2);
    The().tester->SetSilent(false);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(CommandsStartingWith(kPhyResultRead), 12u) << "the read and eleven retries";
    const auto lost = bench::Messages(0xFF00);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(bench::Le16(lost[0].bytes, 16), 0);
    EXPECT_EQ(bench::Le32(lost[0].bytes, 18), 254);
    EXPECT_TRUE(bench::Messages(0x0600).empty());
}

TEST_F(PortTest, PhyWritesReachEveryPortAndTheShadowBanks) {
    ASSERT_EQ(BrevixC_WritePHY(255, 4, 0x01E1), 1);
    EXPECT_TRUE(support::Eventually([&] { return phys.Register(0, 4) == 0x01E1 && phys.Register(1, 4) == 0x01E1; }));
    ASSERT_EQ(BrevixC_WritePHY(1, 31u << 16 | 28, 0x8021), 1);
    EXPECT_TRUE(support::Eventually([&] { return phys.Shadow(1, 28, 31) == 0x21; }));
    EXPECT_EQ(BrevixC_WritePHY(2, 4, 0), 0);
}

TEST_F(PortTest, LoopbackRefusesBeforeSendingAndSetsTheDeviceMode) {
    EXPECT_EQ(BrevixC_SetLoopback(0, 6), 0);
    EXPECT_EQ(BrevixC_SetLoopback(2, 1), 0);
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());

    ASSERT_EQ(BrevixC_SetLoopback(0, 1), 1);
    EXPECT_EQ(LastWrite(0x40000050), 0x100) << "Port A's field 001";
    EXPECT_EQ(LastWrite(0x400000D0) & (1 << 19), 1 << 19);
    EXPECT_EQ(LastWrite(0x410000CC) & 0x80, 0) << "receive stream counting off";
    EXPECT_EQ((LastWrite(0x40000080) >> 24) & 0xF, 4) << "Port A's Tx stopped";

    ASSERT_EQ(BrevixC_SetLoopback(255, BREVIXC_LOOPBACK_TAP), 1);
    EXPECT_EQ(LastWrite(0x40000050), 0x10000);
    EXPECT_EQ(BrevixC_SetRxBERT(0, 1, 0), 0) << "TAP mode";
    ASSERT_EQ(BrevixC_SetLoopback(255, BREVIXC_LOOPBACK_OFF), 1);
    EXPECT_EQ(LastWrite(0x40000050), 0);
    ASSERT_EQ(BrevixC_SetRxBERT(1, 1, 0), 1);
    EXPECT_EQ(LastWrite(0x430000CC) & 0xE00, 0xE00);
    ASSERT_EQ(BrevixC_SetRxBERT(1, 0x10000, 0), 1) << "only the low half counts";
    EXPECT_EQ(LastWrite(0x430000CC) & 0xE00, 0);
}

TEST_F(PortTest, MediaProgrammingRefusesBeforeSendingAndWritesTheClause22Registers) {
    for (uint32_t port : {2u, 255u}) EXPECT_EQ(BrevixC_SetMediaType({port, 0, 0, 0, 0}), 0);
    EXPECT_EQ(BrevixC_SetMediaType({0, 12, 0, 0, 0}), 0) << "not a multi-gigabit PHY";
    bench::HandledByTester();
    EXPECT_TRUE(bench::CommandsBesidesPolls().empty());

    ASSERT_EQ(BrevixC_SetMediaType({1, 5, 0x3F, 0x0101, 0}), 1);
    const uint32_t portB = 1u << 21;
    std::vector<uint32_t> mdio;
    for (const auto& pair : bench::WrittenPairs()) {
        if (pair.first == 0x400000D8) mdio.push_back(pair.second);
    }
    EXPECT_EQ(mdio, (std::vector<uint32_t>{portB | 4u << 16 | 0x01E1, portB | 9u << 16 | 0x1B00, portB | 0x1300}));
    EXPECT_EQ(LastWrite(0x400000D4) & (1 << 30), 1 << 30) << "the shadow control is on again";

    ASSERT_EQ(BrevixC_SetMediaType({0, BREVIXC_MEDIA_POWER_DOWN, 0, 0, 0}), 1);
    EXPECT_TRUE(support::Eventually([&] { return phys.Register(0, 0) == 0x0800; }));
}

// The clause 22 programming ends with the tester's shadow control on; the host's image of it
// stays the port configuration's, and the next configuration writes it as the host left it.
TEST_F(PortTest, MediaProgrammingLeavesTheShadowControlImageAsTheHostSetIt) {
    BrevixC_PortConfig_T config = UnchangedPortConfig(1);
    config.shadowControl = 0;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    ASSERT_EQ(BrevixC_SetMediaType({1, 5, 0x3F, 0, 0}), 1);
    EXPECT_EQ(LastWrite(0x400000D4), 1 << 30) << "on after the programming";
    ASSERT_EQ(BrevixC_PortConfig(UnchangedPortConfig(1)), 1);
    EXPECT_EQ(LastWrite(0x400000D4) & (1 << 30), 0) << "the host's choice";
    config.shadowControl = 1;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
}

struct MasterSlaveCase {
    const char* name;
    uint16_t selector;
    uint16_t choiceBits;  // of the 1000BASE-T control register (9)
};

class MasterSlaveTest : public PortTest, public testing::WithParamInterface<MasterSlaveCase> {};

TEST_P(MasterSlaveTest, SelectorSetsTheGigabitControlsManualChoice) {
    ASSERT_EQ(BrevixC_SetMediaType({0, 5, 0x30, GetParam().selector, 0}), 1);
    std::vector<uint32_t> gigabit;
    for (const auto& pair : bench::WrittenPairs()) {
        if (pair.first == 0x400000D8 && (pair.second >> 16 & 0x1F) == 9) gigabit.push_back(pair.second & 0xFFFF);
    }
    EXPECT_EQ(gigabit, (std::vector<uint32_t>{0x0300u | GetParam().choiceBits}));
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, MasterSlaveTest,
    testing::Values(MasterSlaveCase{"AutomaticLeavesTheChoiceToThePhy", 0x0000, 0},
                    MasterSlaveCase{"ManualSlave", 0x0100, 0x1000}, MasterSlaveCase{"ManualMaster", 0x0101, 0x1800},
                    MasterSlaveCase{"ManualWithAnUnknownChoiceAddsNothing", 0x0102, 0},
                    MasterSlaveCase{"OtherHighByteAddsNothing", 0x0201, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortTest, OscillatorMeasurementArrivesDividedAtGigabitSpeed) {
    phys.SetOscillator(0, 125000);
    ASSERT_EQ(BrevixC_ReadOSCValue(0), 1);
    const auto measured = support::CallbackRecorder::Instance().WaitForType(0x1D00, support::kPatience);
    ASSERT_EQ(measured.bytes.size(), 60u);
    EXPECT_EQ(bench::Le16(measured.bytes, 16), 0);
    EXPECT_EQ(bench::Le32(measured.bytes, 18), 25000);
    EXPECT_TRUE(support::Eventually([] { return (LastWrite(0x400000DC) & 0x2000) != 0; })) << "the switch bit is back";
    EXPECT_EQ(BrevixC_ReadOSCValue(3), 0);
}

TEST_F(PortTest, AutoMdixChangesTheCrossoverRegistersAndRestartsNegotiation) {
    EXPECT_EQ(BrevixC_SetAutoMDIX(0, 3), 0);
    // Negotiation restarts when the mode changes: start from another one.
    ASSERT_EQ(BrevixC_SetAutoMDIX(0, 0), 1);
    bench::HandledByTester();
    // The crossover bits clear, as on a PHY that was never switched: the call must set them.
    phys.SetRegister(0, 16, phys.Register(0, 16) & ~0x4000);
    phys.SetRegister(0, 30, phys.Register(0, 30) & ~0x80);
    phys.ClearAccesses();
    ASSERT_EQ(BrevixC_SetAutoMDIX(0, 2), 1);
    // Its last writes are not waited for.
    bench::HandledByTester();
    EXPECT_EQ(phys.Register(0, 16) & 0x4000, 0x4000);
    EXPECT_EQ(phys.Register(0, 30) & 0x80, 0x80);
    bool restarted = false;
    for (const auto& access : phys.Accesses()) restarted |= !access.read && access.reg == 0 && (access.value & 0x1200) == 0x1200;
    EXPECT_TRUE(restarted);
}

TEST_F(PortTest, PostedMessageIsDispatchedWhileAPhyReadWaits) {
    int dispatched = 0;
    const support::AppMessageWindow window([&] { ++dispatched; });
    ASSERT_TRUE(window.Post());
    ASSERT_EQ(BrevixC_ReadPHY(0, 2), 1);
    EXPECT_EQ(dispatched, 1) << "nothing else pumps this thread's queue";
}

}  // namespace
