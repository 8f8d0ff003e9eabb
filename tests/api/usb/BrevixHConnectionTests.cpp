// A Brevix-H and a Brevix-J through the Ethernet API: the simulated tester on the test's veth pair
// and its USB unit on the simulated USB tree. The start finds the unit, connect reads the identity
// over USB, and the 93C56, the manual identity reads, the VCXO and the FPGA download reach the unit.

#include "BrevixCAPI.h"
#include "BrevixCEeprom.h"
#include "BrevixCFlash.h"
#include "sim/FullTester.h"
#include "support/CallbackRecorder.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"
#include "usb/UsbBench.h"

#include <cstring>
#include <fstream>

using namespace usbbench;
using support::CallbackRecorder;

namespace {

std::array<uint8_t, 256> UnitEeprom() {
    std::array<uint8_t, 256> image{};
    image.fill(0xFF);
    auto put = [&](size_t word, const char* text, size_t length) { std::memcpy(&image[2 * word], text, length); };
    put(16, "Brevix-H 8x1G   ", 16);
    put(32, "A1", 2);
    put(33, "12", 2);
    put(38, "BVH-2020-000123-XYZQ", 20);
    put(48, "2020-03-14  ", 12);
    const uint8_t mac[6] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x61};
    std::memcpy(&image[128], mac, 6);
    return image;
}

uint8_t Reversed(uint8_t v) {
    uint8_t r = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (v & (1 << bit)) r |= uint8_t(0x80 >> bit);
    return r;
}

class BrevixHConnectionTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        std::string error;
        auto link = support::OpenTesterLink(support::TestNetwork(), &error);
        ASSERT_TRUE(link) << error;
        tester_ = std::make_unique<sim::FullTester>(std::move(link), GetParam(), L"");
        tester_->Start();
        tester_->Host().Attach();
        unit_ = tester_->Usb();
        ASSERT_NE(unit_, nullptr);
        unit_->SetEeprom(UnitEeprom());
        ASSERT_EQ(BrevixC_93C56_Init(CallbackRecorder::Callback), 1);
        char model[64] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        CallbackRecorder::Instance().Clear();
    }
    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        tester_.reset();
    }

    std::unique_ptr<sim::FullTester> tester_;
    sim::UsbUnit* unit_ = nullptr;  // the tester's
};

TEST_P(BrevixHConnectionTest, ConnectReadsTheIdentityOverUsb) {
    EXPECT_EQ(BrevixC_Has_PIC24(), 1) << "the unit answered the start";
    EXPECT_EQ(BVX_Machine_ID, GetParam());
    EXPECT_STREQ(BVX_Module, "Brevix-H 8x1G   ");
    EXPECT_STREQ(BVX_SN, "BVH-2020-000123-XYZQ");
    EXPECT_STREQ(BVX_PCB, "A112") << "the four bytes of word 32";
    EXPECT_STREQ(BVX_ProductDate, "2020-03-14  ");
    EXPECT_EQ(EEPROM_Version, 12);
    const uint8_t mac[6] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x61};
    EXPECT_EQ(std::memcmp(BVX_MAC, mac, 6), 0);

    // The firmware version came from the unit's version text ("V3.4.056").
    ASSERT_EQ(BrevixC_SYS_GetSystemVer(), 1);
    const support::HostMessage info = CallbackRecorder::Instance().WaitForType(0x0500, support::kPatience);
    ASSERT_GE(info.bytes.size(), size_t(BREVIXC_INFO_FIRMWARE_BUILD + 4));
    auto field = [&](size_t at) { return info.bytes[at] | info.bytes[at + 1] << 8; };
    EXPECT_EQ(field(BREVIXC_INFO_FIRMWARE_MAJOR), 3);
    EXPECT_EQ(field(BREVIXC_INFO_FIRMWARE_MINOR), 4);
    EXPECT_EQ(field(BREVIXC_INFO_FIRMWARE_BUILD), 56);
}

TEST_P(BrevixHConnectionTest, The93C56IsReadAndWrittenOverTheChannel) {
    ASSERT_EQ(BrevixC_93C56_Read(), 1);
    const std::array<uint8_t, 256> image = UnitEeprom();
    EXPECT_EQ(std::memcmp(eeprom_93c56, image.data(), 256), 0);
    const support::HostMessage done = CallbackRecorder::Instance().WaitForType(0xFE00, support::kPatience);
    ASSERT_FALSE(done.bytes.empty()) << "completion is announced";

    eeprom_93c56[10] = 0x12, eeprom_93c56[11] = 0x34;
    ASSERT_TRUE(BrevixC_93C56_Write(5, 1));
    EXPECT_EQ(unit_->Eeprom()[10], 0x12);
    EXPECT_EQ(unit_->Eeprom()[11], 0x34);
}

TEST_P(BrevixHConnectionTest, ManualIdentityReadsAndVcxoReachTheUnit) {
    std::array<uint8_t, 256> image = UnitEeprom();
    std::memcpy(&image[76], "BVH-2021-999999-NEWW", 20);
    unit_->SetEeprom(image);
    EXPECT_EQ(BrevixC_SYS_GetManualInfo(1), 1);
    EXPECT_STREQ(BVX_SN, "BVH-2021-999999-NEWW");
    EXPECT_EQ(BrevixC_SYS_GetManualInfo(5), 1) << "other indexes read nothing";

    EXPECT_EQ(BrevixC_SYS_SetVCXOAdjustPPM(-7), 1);
    EXPECT_EQ(unit_->VcxoPpm(), -7);
    EXPECT_EQ(BVX_VCXO_PPM, -7);
    EXPECT_EQ(BrevixC_SYS_GetVCXOAdjustPPM(), 1);
}

TEST_P(BrevixHConnectionTest, FpgaDownloadSendsThePreparedWindowToTheUnit) {
    std::vector<uint8_t> file = {0x55, 0xAA, 0x55, 0xAA, 0x01, 0x02};
    file.insert(file.end(), 16, 0xFF);
    for (size_t i = 0; i < 200; ++i) file.push_back(uint8_t(i * 29 + 3));
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"brevixh-fpga.rbf";
    std::ofstream(path.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));

    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(path.c_str(), 0), 1);
    ASSERT_TRUE(support::Eventually([&] { return unit_->FpgaComplete(); }));
    std::vector<uint8_t> expected;
    for (size_t i = 6; i < file.size(); ++i) expected.push_back(Reversed(file[i]));
    EXPECT_EQ(unit_->Fpga(), expected);
    const support::HostMessage passed = CallbackRecorder::Instance().WaitFor(
        [](const support::HostMessage& m) { return m.Type() == 0x0F00 && m.bytes[18] == 6; }, std::chrono::seconds(20));
    EXPECT_FALSE(passed.bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(Machines, BrevixHConnectionTest, testing::Values(3, 4),
                         [](const auto& info) { return info.param == 3 ? "BrevixH" : "BrevixJ"; });

}  // namespace
