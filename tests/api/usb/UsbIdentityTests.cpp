// The identity read over USB inside the static library: a unit whose EEPROM names a model of the
// Brevix-H family makes a tester detected as another machine a Brevix-H.

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "identity/Identity.h"
#include "support/Waiting.h"
#include "usb/Usb.h"
#include "usb/UsbBench.h"

#include <cstring>

using namespace usbbench;

namespace {

TEST(UsbIdentityTest, AFamilyModelNameOnAnotherMachineMakesItABrevixH) {
    UnitOnTree bench(sim::UsbTransport::Hid);
    std::array<uint8_t, 256> image{};
    std::memcpy(&image[32], "Brevix-J 4x10G  ", 16);
    std::memcpy(&image[64], "B2", 2);
    bench.Unit().SetEeprom(image);
    capi::Identity::Instance().SetDetectedModel(1, "Brevix-CF");
    ASSERT_TRUE(capi::ReadUsbIdentity());
    EXPECT_EQ(capi::MachineId(), 3);
    EXPECT_STREQ(BVX_Module, "Brevix-J 4x10G  ");
    EXPECT_EQ(std::string(BVX_PCB, 2), "B2");
}

TEST(UsbIdentityTest, AUnitThatLeavesTheAddressBytesZeroGivesItsIdentity) {
    UnitOnTree bench(sim::UsbTransport::Mpusb);
    bench.Unit().EchoAddresses(false);
    std::array<uint8_t, 256> image{};
    std::memcpy(&image[32], "Brevix-H 2x10G  ", 16);
    std::memcpy(&image[64], "C3", 2);
    std::memcpy(&image[76], "BVH-2021-000777-ABCD", 20);
    bench.Unit().SetEeprom(image);
    capi::Identity::Instance().Reset();
    ASSERT_TRUE(capi::ReadUsbIdentity());
    EXPECT_STREQ(BVX_Module, "Brevix-H 2x10G  ");
    EXPECT_EQ(std::string(BVX_PCB, 2), "C3");
    EXPECT_EQ(std::string(BVX_SN, 20), "BVH-2021-000777-ABCD");
}

TEST(UsbIdentityTest, IdentityReadFailsWithoutAUnit) {
    sim::DriverHost host;
    host.Start();
    host.Attach();
    EXPECT_FALSE(capi::ReadUsbIdentity());
    EXPECT_FALSE(capi::ProbeUsbUnit());
}

}  // namespace

namespace {

// A running download keeps its channel: the Ethernet side's calls that would select and reopen
// the unit fail instead.
TEST(UsbIdentityTest, CallsThatWouldReopenTheChannelFailWhileADownloadRuns) {
    UnitOnTree bench(sim::UsbTransport::Mpusb);
    bench.Unit().SetSilent(true);
    const Bytes image(120, 0x5A);
    ASSERT_EQ(Korrin_DownloadFPGA(image.data(), 0, int(image.size())), 0);
    ASSERT_TRUE(support::Eventually([&] { return bench.Unit().ReceivedCount() == 1; })) << "chunk 0 went";
    EXPECT_FALSE(capi::ReadUsbIdentityField(0));
    EXPECT_FALSE(capi::OpenUsbUnit());
    EXPECT_FALSE(capi::ProbeUsbUnit());
    EXPECT_EQ(Korrin_DownloadFPGA(image.data(), 0, int(image.size())), 1);
    BrevixH_SYS_TerminateProcess();
    EXPECT_EQ(bench.Unit().ReceivedCount(), 1u) << "nothing but the download reached the unit";
}

}  // namespace
