// Korrin, Sevane and Dashel units through the selection exports: the model a unit answers to, the
// search that selects it and the probe that leaves the selection alone; a Brevix-H is none of them.

#include "usb/UsbBench.h"

#include <algorithm>

using namespace usbbench;

namespace {

using ReadReg = int(__stdcall*)(uint16_t, uint32_t*);

const char* ModelName(sim::UsbModel model) {
    switch (model) {
    case sim::UsbModel::Korrin:
        return "Korrin";
    case sim::UsbModel::Sevane:
        return "Sevane";
    case sim::UsbModel::Dashel:
        return "Dashel";
    default:
        return "BrevixH";
    }
}

// The transport mode is library-wide and outlives a case; these units are HID devices, and a
// new-firmware Brevix-H seen once by the search puts the library in HID mode.
bool StartInHidMode() {
    UnitOnTree brevix(sim::UsbTransport::Hid);
    return BrevixH_SYS_SetDeviceType(4) == 1;
}

// A register read over the connected channel; true when it reached `unit` and came back with the
// value the unit holds.
bool ReadReaches(sim::UsbUnit& unit) {
    const size_t before = unit.ReceivedCount();
    unit.SetRegister(0x0040, 0x5A5A0001);
    uint32_t value = 0;
    return Export<ReadReg>("_Korrin_ReadReg@8")(0x0040, &value) == 1 && value == 0x5A5A0001 &&
           unit.ReceivedCount() == before + 1;
}

class SiblingModelTest : public testing::TestWithParam<sim::UsbModel> {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartInHidMode());
        bench_ = std::make_unique<UnitOnTree>(sim::UsbTransport::Hid, GetParam());
    }
    void TearDown() override {
        BrevixH_SYS_TerminateProcess();
        bench_.reset();
    }
    int Type() const { return int(GetParam()); }
    sim::UsbUnit& Unit() { return bench_->Unit(); }

    std::unique_ptr<UnitOnTree> bench_;
};

TEST_P(SiblingModelTest, SelectDeviceAnswersForTheUnitsOwnModelOnly) {
    for (int index = -1; index <= 5; ++index)
        EXPECT_EQ(BrevixH_SYS_SelectDevice(index), index == Type() ? 1 : 0) << "index " << index;
}

TEST_P(SiblingModelTest, SettingTheTypeSelectsTheUnitAndTheChannelReachesIt) {
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(Type()), 1);
    EXPECT_EQ(BrevixH_SYS_FindDevice(), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    EXPECT_TRUE(ReadReaches(Unit()));
    const std::vector<sim::UsbPacket> received = Unit().Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].report) << "the unit is a HID device: the request goes as a report";
}

TEST_P(SiblingModelTest, SettingAnotherModelsTypeFindsNothingAndKeepsTheSelection) {
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(Type()), 1);
    for (int other = 1; other <= 4; ++other) {
        if (other != Type()) {
            EXPECT_EQ(BrevixH_SYS_SetDeviceType(other), 0) << "type " << other;
        }
    }
    EXPECT_EQ(BrevixH_SYS_FindDevice(), 1) << "the ids of the last unit found are still selected";
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    EXPECT_TRUE(ReadReaches(Unit()));
}

INSTANTIATE_TEST_SUITE_P(Models, SiblingModelTest,
                         testing::Values(sim::UsbModel::Korrin, sim::UsbModel::Sevane, sim::UsbModel::Dashel),
                         [](const auto& info) { return ModelName(info.param); });

// The three models side by side: a probe of another model leaves the selection where the search
// put it, so the channel opens to the selected unit only.
TEST(SiblingModelsTogether, ProbingLeavesTheSelectionWithTheUnitTheSearchFound) {
    ASSERT_TRUE(StartInHidMode());
    UnitOnTree bench(sim::UsbTransport::Hid, sim::UsbModel::Korrin);
    sim::UsbUnit& sevane = bench.Plug(3, sim::UsbModel::Sevane);
    sim::UsbUnit& dashel = bench.Plug(4, sim::UsbModel::Dashel);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(2), 1);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(1), 1);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(3), 1);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(2), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    EXPECT_TRUE(ReadReaches(sevane));
    EXPECT_EQ(bench.Unit().ReceivedCount(), 0u);
    EXPECT_EQ(dashel.ReceivedCount(), 0u);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(3), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    EXPECT_TRUE(ReadReaches(dashel));
    EXPECT_EQ(bench.Unit().ReceivedCount(), 0u);
    BrevixH_SYS_TerminateProcess();
}

// A unit that carries the maker's shared ids 0x2403:0x1688 on its HID interface is found by the
// second try of every sibling model: the ids do not tell the three apart.
TEST(SiblingModelsTogether, AUnitWithTheSharedIdsAnswersForEverySiblingModel) {
    ASSERT_TRUE(StartInHidMode());
    UnitOnTree bench(sim::UsbTransport::Hid, sim::UsbModel::Sevane, sim::UsbIds::Shared);
    ASSERT_EQ(bench.Unit().VendorId(), 0x2403);
    ASSERT_EQ(bench.Unit().ProductId(), 0x1688);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(1), 1);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(2), 1);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(3), 1);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(4), 0);
    EXPECT_EQ(BrevixH_SYS_SetDeviceType(4), 0) << "a Brevix-H with these ids sits behind the mpusbapi driver";
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(1), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    EXPECT_TRUE(ReadReaches(bench.Unit()));
    BrevixH_SYS_TerminateProcess();
}

// The search for a sibling model leaves the transport where a Brevix-H's search put it: after an
// old-firmware unit the channel is looked for behind the mpusbapi driver, where no sibling is,
// until a new-firmware Brevix-H is found again.
TEST(SiblingModelsTogether, ASiblingFoundAfterAnOldFirmwareBrevixHKeepsItsTransport) {
    UnitOnTree bench(sim::UsbTransport::Mpusb);
    sim::UsbUnit& korrin = bench.Plug(3, sim::UsbModel::Korrin);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(1), 1);
    EXPECT_EQ(BrevixH_SYS_ConnectToDevice(), 0);
    bench.Plug(4, sim::UsbModel::BrevixH, sim::UsbTransport::Hid);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(1), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    EXPECT_TRUE(ReadReaches(korrin));
    EXPECT_EQ(bench.Unit().ReceivedCount(), 0u);
    BrevixH_SYS_TerminateProcess();
}

// An open whose search finds nothing (the unit selected last is gone) leaves the open channel as
// it was.
TEST(SiblingModelsTogether, AnOpenThatFindsNothingKeepsTheOpenChannel) {
    ASSERT_TRUE(StartInHidMode());
    UnitOnTree bench(sim::UsbTransport::Hid, sim::UsbModel::Korrin);
    sim::UsbUnit& sevane = bench.Plug(3, sim::UsbModel::Sevane);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(1), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(2), 1);
    sevane.Unplug();
    EXPECT_EQ(BrevixH_SYS_ConnectToDevice(), 0);
    EXPECT_TRUE(ReadReaches(bench.Unit())) << "the channel to the Korrin is still open";
    BrevixH_SYS_TerminateProcess();
}

// A Brevix-H is none of the sibling models, whichever firmware it runs: with the new one its ids
// differ, and with the old one it is no HID device.
class BrevixHIsNoSiblingTest : public UsbTest {};

TEST_P(BrevixHIsNoSiblingTest, NoSiblingIndexOrTypeFindsIt) {
    for (int model = 1; model <= 3; ++model) {
        EXPECT_EQ(BrevixH_SYS_SelectDevice(model), 0) << "index " << model;
        EXPECT_EQ(BrevixH_SYS_SetDeviceType(model), 0) << "type " << model;
    }
    EXPECT_EQ(BrevixH_SYS_SelectDevice(4), 0) << "the probe knows no Brevix-H";
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1) << "the Brevix-H stays selected";
    EXPECT_TRUE(ReadReaches(Unit()));
}

INSTANTIATE_TEST_SUITE_P(Transports, BrevixHIsNoSiblingTest,
                         testing::Values(sim::UsbTransport::Hid, sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace
