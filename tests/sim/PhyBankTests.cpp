// The PHY model answers the MDIO window with its clause 22 registers and shadow banks, the
// indirect window of the multi-gigabit PHY, the link report and the oscillator registers, and
// sends a link notice when a port's link changes.

#include "sim/PhyBank.h"

#include "WireHelpers.h"

using namespace std::chrono_literals;
using sim::PhyBank;
using sim::RegisterMap;

namespace {

constexpr uint32_t kMdio = 0x400000D8;
constexpr uint32_t kResult = 0x400000DC;

uint32_t MdioRead(int port, int reg) { return 1u << 24 | uint32_t(port) << 21 | uint32_t(reg) << 16; }
uint32_t MdioWrite(int port, int reg, uint16_t value) { return uint32_t(port) << 21 | uint32_t(reg) << 16 | value; }

class PhyBankTest : public wire::ModelTest {
protected:
    void Make(RegisterMap map) {
        phys_ = std::make_unique<PhyBank>(*tester_, map);
        tester_->Start();
    }

    uint32_t PhyRead(int port, int reg) {
        WriteRegister(kMdio, MdioRead(port, reg));
        return ReadRegister(kResult);
    }

    std::unique_ptr<PhyBank> phys_;
};

TEST_F(PhyBankTest, MdioReadLeavesPortRegisterAndValueInTheResultRegister) {
    Make(RegisterMap::First);
    phys_->SetRegister(1, 2, 0x0143);
    EXPECT_EQ(PhyRead(1, 2), 1u << 21 | 2u << 16 | 0x0143);
    WriteRegister(kMdio, MdioWrite(0, 4, 0x01E1));
    EXPECT_EQ(phys_->Register(0, 4), 0x01E1u);
    const auto accesses = phys_->Accesses();
    ASSERT_EQ(accesses.size(), 2u);
    EXPECT_TRUE(accesses[0].read);
    EXPECT_EQ(accesses[1].value, 0x01E1u);
}

TEST_F(PhyBankTest, ResetAndRestartBitsClearThemselves) {
    Make(RegisterMap::First);
    WriteRegister(kMdio, MdioWrite(0, 0, 0x0100));
    WriteRegister(kMdio, MdioWrite(0, 0, 0x8000));
    EXPECT_EQ(phys_->Register(0, 0), 0x1140u) << "reset restores the power-on value";
    WriteRegister(kMdio, MdioWrite(0, 0, 0x1340));
    EXPECT_EQ(phys_->Register(0, 0), 0x1140u);
}

TEST_F(PhyBankTest, ShadowRegistersAnswerTheSelectedShadow) {
    Make(RegisterMap::First);
    phys_->SetShadow(0, 28, 30, 0x1E6);
    phys_->SetShadow(1, 24, 7, 0x7047);
    WriteRegister(kMdio, MdioWrite(0, 28, 30 << 10));  // select shadow 30 for reading
    EXPECT_EQ(PhyRead(0, 28) & 0xFFFF, uint32_t(30 << 10 | 0x1E6));
    WriteRegister(kMdio, MdioWrite(1, 24, 0x7007));
    EXPECT_EQ(PhyRead(1, 24) & 0xFFFF, 0x7047u);
    WriteRegister(kMdio, MdioWrite(1, 24, 0x8000 | 0x0200 | 7));  // write shadow 7
    EXPECT_EQ(phys_->Shadow(1, 24, 7), 0x8207u);
    WriteRegister(kMdio, MdioWrite(0, 28, 0x8000 | 31 << 10 | 0x21));
    EXPECT_EQ(phys_->Shadow(0, 28, 31), 0x21u);
}

TEST_F(PhyBankTest, IndirectWindowReadsAndWritesDeviceRegisters) {
    Make(RegisterMap::Second);
    Exchange(wire::General({{0x400000B0, 3}, {0x400000B4, 1u << 24 | 0x10000000 | 1u << 16}}));
    EXPECT_EQ(ReadRegister(0x400000BC), 3u << 16 | 0x09A5) << "the multi-gigabit PHY's type";
    Exchange(wire::General({{0x400000B0, 0x20}, {0x400000B4, 7u << 16 | 0x1E1}}));
    EXPECT_EQ(phys_->Indirect(0, 7, 0x20), 0x1E1u);
    phys_->SetLink(1, {true, 2500, true});
    Exchange(wire::General({{0x400000B0, 0x8008}, {0x400000B4, 1u << 24 | 0x10000000 | 3u << 16}}));
    EXPECT_EQ(ReadRegister(0x400000BC), 0x80080000u | 0xC004);
}

struct LinkCase {
    const char* name;
    RegisterMap map;
    sim::LinkState a, b;
    uint32_t report;
};

class LinkReportTest : public PhyBankTest, public testing::WithParamInterface<LinkCase> {};

TEST_P(LinkReportTest, ReportsBothPorts) {
    Make(GetParam().map);
    phys_->SetLink(0, GetParam().a);
    phys_->SetLink(1, GetParam().b);
    EXPECT_EQ(ReadRegister(0x400000D4), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    Maps, LinkReportTest,
    testing::Values(LinkCase{"GigabitFullOnPortA", RegisterMap::First, {true, 1000, true}, {}, 0x1900},
                    LinkCase{"HundredHalfOnPortB", RegisterMap::First, {}, {true, 100, false}, 0x0005},
                    LinkCase{"TenFullOnBoth", RegisterMap::First, {true, 10, true}, {true, 10, true}, 0x1313},
                    LinkCase{"SecondMapPortA", RegisterMap::Second, {true, 10000, true}, {}, 0x0001},
                    LinkCase{"SecondMapPortB", RegisterMap::Second, {}, {true, 10000, true}, 0x0100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PhyBankTest, LinkChangesSendANoticeAndRepeatsDoNot) {
    Make(RegisterMap::First);
    phys_->SetLink(0, {true, 1000, true});
    EXPECT_FALSE(host_->Take(sim::OfType(sim::kNoticeType), support::kPatience).empty());
    phys_->SetLink(0, {true, 1000, true});
    // A PHY notice sent after the repeat is the next notice to arrive: the repeat sent none.
    ASSERT_TRUE(phys_->SendPhyNotice(1));
    const wire::Bytes notice = host_->Take(sim::OfType(sim::kNoticeType), support::kPatience);
    ASSERT_GE(notice.size(), 16u);
    EXPECT_EQ(notice[14], 11) << "a link notice came first";
    EXPECT_EQ(notice[15], 1);
}

TEST_F(PhyBankTest, OscillatorRegistersFollowTheMap) {
    Make(RegisterMap::First);
    phys_->SetOscillator(1, 125000);
    EXPECT_EQ(ReadRegister(0x400000A4), 125000u);
}

TEST_F(PhyBankTest, SecondMapOscillatorIsPerPortRegister) {
    Make(RegisterMap::Second);
    phys_->SetOscillator(1, 777);
    EXPECT_EQ(ReadRegister(0x43000190), 777u);
}

}  // namespace
