// The library on a machine without mpusbapi.dll: this program and BrevixCAPI.dll run from a folder
// of their own that does not hold it. A unit behind the mpusbapi driver is still found by the
// tree walk, but its channel does not open and every call on it fails with 0; a new-firmware unit
// works over HID, which needs no driver library. The program carries no version record.

#include "usb/DownloadBench.h"

#include <cstring>

using namespace usbbench;

namespace {

using ReadReg = int(__stdcall*)(uint16_t, uint32_t*);
using GetFrame = int(__stdcall*)(int, uint8_t*);
using SendFrame = int(__stdcall*)(Korrin_Frame_T);
using GetDllVersion = int(__stdcall*)(char*);

// The program's folder holds BrevixCAPI.dll and not the driver library.
bool BesideTheProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return GetFileAttributesW((folder + file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class NoDriverLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BesideTheProgram(L"BrevixCAPI.dll"));
        ASSERT_FALSE(BesideTheProgram(L"mpusbapi.dll"));
        BrevixC_SYS_Init(support::CallbackRecorder::Callback, 255);
        support::CallbackRecorder::Instance().Clear();
    }
    void TearDown() override {
        BrevixH_SYS_TerminateProcess();
        bench_.reset();
    }
    void PlugUnit(sim::UsbTransport transport) { bench_ = std::make_unique<UnitOnTree>(transport); }
    sim::UsbUnit& Unit() { return bench_->Unit(); }

    std::unique_ptr<UnitOnTree> bench_;
};

TEST_F(NoDriverLibraryTest, AnOldFirmwareUnitIsFoundButEveryCallOnItFailsWithZero) {
    PlugUnit(sim::UsbTransport::Mpusb);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1) << "the search walks the USB tree, not the driver library";
    EXPECT_EQ(GetModuleHandleW(L"mpusbapi.dll"), nullptr) << "the library looked for it and found none";
    EXPECT_EQ(BrevixH_SYS_ConnectToDevice(), 0);
    uint32_t value = 0xDEADBEEF;
    Unit().SetRegister(0x0010, 0x12345678);
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0010, &value), 0);
    EXPECT_EQ(value, 0xDEADBEEFu);
    uint8_t frame[68];
    std::memset(frame, 0xAA, sizeof frame);
    EXPECT_EQ(Export<GetFrame>("_Korrin_GetFrame@8")(29, frame), 0);
    EXPECT_EQ(frame[0], 0xAA) << "the buffer is untouched";
    Korrin_Frame_T request{};
    request.bytes[0] = 29;
    EXPECT_EQ(Export<SendFrame>("_Korrin_SendFrame@64")(request), 0);
    const Bytes image(200, 0x5C);
    EXPECT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, 200), 2) << "no unit could be opened";
    EXPECT_TRUE(StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD).empty());
    EXPECT_EQ(Unit().ReceivedCount(), 0u) << "nothing reached the unit";
}

TEST_F(NoDriverLibraryTest, ANewFirmwareUnitWorksOverHid) {
    PlugUnit(sim::UsbTransport::Hid);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1);
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    Unit().SetRegister(0x0010, 0x12345678);
    uint32_t value = 0;
    ASSERT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0010, &value), 1);
    EXPECT_EQ(value, 0x12345678u);
    const std::vector<sim::UsbPacket> received = Unit().Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].report);
}

TEST_F(NoDriverLibraryTest, AProgramWithoutVersionRecordGetsZeroAndAnUntouchedBuffer) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(Export<GetDllVersion>("_Korrin_GetDllVersion@4")(buffer), 0);
    EXPECT_EQ(buffer[0], '#');
}

}  // namespace
