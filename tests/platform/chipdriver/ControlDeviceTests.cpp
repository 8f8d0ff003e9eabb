// The control device through the layer: opens, I/O controls and closes reach the simulated
// driver with their exact bytes, failures come back as Win32 errors, and the flash behind the SPI
// master and the adapter's configuration EEPROM behave as the parts do.

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

// An SPI command block: direction, command offset 0, command length, data offset, data length, 0
// (little-endian words), the command, and for a write the data; at least 28 bytes.
Bytes SpiBlock(bool write, const Bytes& command, const Bytes& data, uint32_t readLength = 0) {
    Bytes block(24, 0);
    const uint32_t words[6] = {write ? 1u : 0u, 0, uint32_t(command.size()), write ? uint32_t(command.size()) : 0,
                               write ? uint32_t(data.size()) : readLength, 0};
    for (size_t w = 0; w < 6; ++w)
        for (size_t b = 0; b < 4; ++b) block[4 * w + b] = uint8_t(words[w] >> (8 * b));
    block.insert(block.end(), command.begin(), command.end());
    if (write) block.insert(block.end(), data.begin(), data.end());
    if (block.size() < 28) block.resize(28, 0);
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

TEST_F(ControlDeviceTest, AdapterEepromTravelsWhole) {
    HANDLE device = Open();
    Bytes output;
    ASSERT_TRUE(Control(device, sim::ChipDriver::kEepromRead, {}, &output, 512));
    EXPECT_EQ(output, chip_.Eeprom());
    EXPECT_EQ(Bytes(output.begin() + 72, output.begin() + 76), (Bytes{0x03, 0x24, 0x01, 0x80}));
    EXPECT_FALSE(Control(device, sim::ChipDriver::kEepromRead, {}, &output, 511));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

    Bytes image(512);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i ^ 0x5A);
    EXPECT_FALSE(Control(device, sim::ChipDriver::kEepromWrite, Bytes(image.begin(), image.end() - 1), &output, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(Control(device, sim::ChipDriver::kEepromWriteAttempt, {2, 0, 0, 0}, &output, 0));
    EXPECT_TRUE(Control(device, sim::ChipDriver::kEepromWrite, image, &output, 0));
    EXPECT_EQ(chip_.Eeprom(), image);

    chip_.ProtectEeprom(true);
    EXPECT_TRUE(Control(device, sim::ChipDriver::kEepromWrite, Bytes(512, 0), &output, 0));
    EXPECT_EQ(chip_.Eeprom(), image) << "a protected part keeps its bytes";
    chipdriver::CloseHandle(device);

    const auto calls = host_.Calls();
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(calls[4].code, 0x222058u);
    EXPECT_EQ(calls[4].input, (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(calls[5].code, 0x222004u);
    EXPECT_EQ(calls[5].input, image);
}

class SimulatedFlashTest : public ControlDeviceTest {
protected:
    void SetUp() override {
        ControlDeviceTest::SetUp();
        device_ = Open();
        ASSERT_NE(device_, INVALID_HANDLE_VALUE);
        Bytes output;
        ASSERT_TRUE(Control(device_, sim::ChipDriver::kSpiConfigure, kSpiOn, &output, 0));
    }
    void TearDown() override { chipdriver::CloseHandle(device_); }

    void Write(const Bytes& command, const Bytes& data = {}) {
        Bytes output;
        ASSERT_TRUE(Control(device_, sim::ChipDriver::kSpiTransaction, SpiBlock(true, command, data), &output, 0));
    }
    Bytes Read(uint32_t address, uint32_t length) {
        const Bytes command = {0x03, uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address)};
        Bytes output;
        EXPECT_TRUE(Control(device_, sim::ChipDriver::kSpiTransaction, SpiBlock(false, command, {}, length), &output,
                            length));
        return output;
    }
    void Program(uint32_t address, const Bytes& data) {
        Write({0x06});
        Write({0x02, uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address)}, data);
    }

    HANDLE device_ = INVALID_HANDLE_VALUE;
};

TEST_F(SimulatedFlashTest, ProgrammingOnlyClearsBits) {
    const struct {
        const char* name;
        uint8_t stored;
        uint8_t written;
        uint8_t after;
    } cases[] = {
        {"erased byte takes the data", 0xFF, 0x5A, 0x5A},
        {"cleared bits stay cleared", 0x0F, 0xFF, 0x0F},
        {"set bits are cleared", 0xF0, 0x3C, 0x30},
        {"nothing is set", 0x00, 0xA5, 0x00},
        {"the same value again", 0x96, 0x96, 0x96},
    };
    Bytes stored, written, after;
    for (const auto& c : cases) {
        stored.push_back(c.stored);
        written.push_back(c.written);
        after.push_back(c.after);
    }
    chip_.Flash().Load(0x1200, stored);
    Program(0x1200, written);
    const Bytes read = Read(0x1200, uint32_t(after.size()));
    ASSERT_EQ(read.size(), after.size());
    for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(read[i], after[i]) << cases[i].name;
    EXPECT_EQ(Read(0x1200 + uint32_t(after.size()), 4), Bytes(4, 0xFF)) << "the rest of the page is untouched";
}

TEST_F(SimulatedFlashTest, ProgrammingNeedsWriteEnableAndOnlyEraseSetsBitsAgain) {
    chip_.Flash().Load(0x30100, Bytes(8, 0x00));
    Write({0x02, 0x03, 0x01, 0x00}, Bytes(8, 0xFF));
    EXPECT_EQ(Read(0x30100, 8), Bytes(8, 0x00)) << "no write enable: nothing changed";
    Program(0x30100, Bytes(8, 0xFF));
    EXPECT_EQ(Read(0x30100, 8), Bytes(8, 0x00)) << "programming 0xFF sets nothing";

    Write({0x06});
    Write({0xD8, 0x03, 0x00, 0x00});
    EXPECT_EQ(Read(0x30100, 8), Bytes(8, 0xFF)) << "the sector erase sets every bit";
    Program(0x30100, {0x12, 0x34});
    EXPECT_EQ(Read(0x30100, 2), (Bytes{0x12, 0x34}));
}

}  // namespace

// A host accepts connections once Start returns: a client that opens the device at once is served,
// however late the host's threads are scheduled. On one CPU the starting thread usually runs on
// before the threads it started, as on a loaded machine.
TEST(DriverHostStartTest, ADeviceOpenedRightAfterStartIsServed) {
    DWORD_PTR processMask = 0, systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask));
    SetProcessAffinityMask(GetCurrentProcess(), processMask & (~processMask + 1));
    for (int round = 0; round < 50; ++round) {
        sim::DriverHost host;
        sim::ChipDriver chip(host);
        host.Start();
        host.Attach();
        HANDLE device = chipdriver::CreateFileW(sim::ChipDriver::kControlDevice, GENERIC_READ | GENERIC_WRITE, 0,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(device, INVALID_HANDLE_VALUE) << "round " << round << ", error " << GetLastError();
        chipdriver::CloseHandle(device);
    }
    SetProcessAffinityMask(GetCurrentProcess(), processMask);
}
