// The control device through the layer: opens, I/O controls and closes reach the simulated
// driver with their exact bytes, and failures come back as Win32 errors.

#include "chipdriver/ChipDriver.h"
#include "sim/ChipDriver.h"

#include <gtest/gtest.h>

namespace {

using sim::Bytes;
using sim::DriverCall;

const Bytes kSpiOn = {0xF6, 0x0E, 0x00, 0x01, 0x01};

// A read-identification block: read direction, command 9F, 3 bytes back, padded to 28 bytes.
Bytes ReadIdBlock() {
    Bytes block(28, 0);
    block[8] = 1;   // command length
    block[16] = 3;  // data length
    block[24] = 0x9F;
    return block;
}

class ControlDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }

    HANDLE Open(const wchar_t* path = sim::ChipDriver::kControlDevice) {
        return chipdriver::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    BOOL Control(HANDLE device, DWORD code, Bytes input, Bytes* output, DWORD outputLength) {
        output->assign(outputLength, 0xEE);
        DWORD returned = 0;
        const BOOL ok = chipdriver::DeviceIoControl(device, code, input.data(), DWORD(input.size()),
                                                    outputLength ? output->data() : nullptr, outputLength, &returned,
                                                    nullptr);
        output->resize(returned);
        return ok;
    }

    sim::DriverHost host_;
    sim::ChipDriver chip_{host_};
};

TEST_F(ControlDeviceTest, OpenControlAndCloseAreLoggedInOrder) {
    HANDLE device = Open();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    Bytes output;
    EXPECT_TRUE(Control(device, sim::ChipDriver::kSpiConfigure, kSpiOn, &output, 0));
    EXPECT_TRUE(chipdriver::CloseHandle(device));

    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, DriverCall::Kind::Open);
    EXPECT_EQ(calls[0].target, L"\\\\.\\AX88772");
    EXPECT_EQ(calls[0].code, DWORD(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(calls[0].flags, DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(calls[1].kind, DriverCall::Kind::IoControl);
    EXPECT_EQ(calls[1].code, 0x222100u);
    EXPECT_EQ(calls[1].input, kSpiOn);
    EXPECT_EQ(calls[2].kind, DriverCall::Kind::Close);
    EXPECT_EQ(chip_.SpiConfig(), kSpiOn);
}

TEST_F(ControlDeviceTest, ReadTransactionReturnsTheFlashBytes) {
    HANDLE device = Open();
    Bytes output;
    ASSERT_TRUE(Control(device, sim::ChipDriver::kSpiConfigure, kSpiOn, &output, 0));
    chip_.Flash().SetId(0xEF, 0x40, 0x15);
    ASSERT_TRUE(Control(device, sim::ChipDriver::kSpiTransaction, ReadIdBlock(), &output, 3));
    chipdriver::CloseHandle(device);
    EXPECT_EQ(output, (Bytes{0xEF, 0x40, 0x15}));
}

TEST_F(ControlDeviceTest, TheInterfacePathOpensTheSameDevice) {
    HANDLE device = Open(L"\\\\.\\{4D1E55B2-F16F-11CF-88CB-001111000030}");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    Bytes output;
    EXPECT_TRUE(Control(device, sim::ChipDriver::kSpiConfigure, kSpiOn, &output, 0));
    chipdriver::CloseHandle(device);
    EXPECT_TRUE(chip_.SpiEnabled());
}

TEST_F(ControlDeviceTest, UnknownDeviceIsNotFound) {
    EXPECT_EQ(Open(L"\\\\.\\AX88179"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(ControlDeviceTest, WithoutSimulatorNoDeviceExists) {
    SetEnvironmentVariableW(L"BREVIX_DRIVER_PIPE", L"\\\\.\\pipe\\brevix-driver-nobody-listens");
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(ControlDeviceTest, InjectedFaultsComeBackAsWin32Errors) {
    chip_.FailOpens(true);
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    chip_.FailOpens(false);

    HANDLE device = Open();
    Bytes output;
    chip_.FailIoControls(sim::ChipDriver::kSpiConfigure, 1);
    EXPECT_FALSE(Control(device, sim::ChipDriver::kSpiConfigure, kSpiOn, &output, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
    EXPECT_TRUE(Control(device, sim::ChipDriver::kSpiConfigure, kSpiOn, &output, 0)) << "only one was to fail";

    chip_.LoseAfter(1);
    EXPECT_TRUE(Control(device, sim::ChipDriver::kSpiTransaction, ReadIdBlock(), &output, 3));
    EXPECT_FALSE(Control(device, sim::ChipDriver::kSpiTransaction, ReadIdBlock(), &output, 3));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_NOT_CONNECTED));
    chipdriver::CloseHandle(device);
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE) << "a lost adapter cannot be opened";
}

TEST_F(ControlDeviceTest, TransactionsNeedTheSpiMasterOn) {
    HANDLE device = Open();
    Bytes output;
    EXPECT_FALSE(Control(device, sim::ChipDriver::kSpiTransaction, ReadIdBlock(), &output, 3));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    chipdriver::CloseHandle(device);
}

}  // namespace
