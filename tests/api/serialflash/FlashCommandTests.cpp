// The BrevixT_EEProm_* exports against the simulated chip driver: the records they hand over,
// byte for byte, and their results on the driver's faults.

#include "BrevixCAPI.h"
#include "serialflash/ChipDriverFixture.h"
#include "support/Environment.h"
#include "support/Waiting.h"

#include <wbemcli.h>

namespace {

using sim::DriverCall;

class FlashCommandTest : public ChipDriverFixture {};

TEST_F(FlashCommandTest, InitRaisesTheGpioLinesAndSwitchesTheSpiMasterOn) {
    ASSERT_TRUE(BrevixT_EEProm_Init());
    EXPECT_EQ(chip_.Gpio(), 15u);
    EXPECT_EQ(chip_.SpiConfig(), (Bytes{0xF6, 0x0E, 0x00, 0x01, 0x01}));
    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].kind, DriverCall::Kind::WmiConnect);
    EXPECT_EQ(calls[0].target, L"root\\wmi");
    EXPECT_EQ(calls[1].kind, DriverCall::Kind::WmiQuery);
    EXPECT_EQ(calls[1].target, L"SELECT * FROM Set_Gpio_Value_OID");
    EXPECT_EQ(calls[1].flags, DWORD(WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY));
    EXPECT_EQ(calls[2].kind, DriverCall::Kind::WmiPut);
    EXPECT_EQ(calls[2].flags, DWORD(WBEM_FLAG_UPDATE_ONLY));
    ASSERT_NE(calls[2].object.Find(L"SetGpioValue_OID"), nullptr);
    EXPECT_EQ(calls[2].object.Find(L"SetGpioValue_OID")->i4, 15);
    EXPECT_EQ(calls[3].kind, DriverCall::Kind::Open);
    EXPECT_EQ(calls[3].target, L"\\\\.\\AX88772");
    EXPECT_EQ(calls[3].code, DWORD(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(calls[4].code, sim::ChipDriver::kSpiConfigure);
    EXPECT_EQ(calls[5].kind, DriverCall::Kind::Close);

    host_.ClearCalls();
    ASSERT_TRUE(BrevixT_EEProm_Shutdown());
    EXPECT_EQ(chip_.Gpio(), 0u);
    EXPECT_FALSE(chip_.SpiEnabled());
    EXPECT_EQ(host_.Calls()[3].input, Bytes(5, 0));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(FlashCommandTest, EachCommandIsOneTransactionWithItsExactBlock) {
    InitFlash();
    uint8_t byte = 0, id[3], buffer[16];
    const uint8_t data[3] = {0xA1, 0xB2, 0xC3};
    const struct {
        const char* name;
        std::function<bool()> call;
        Bytes block;
        uint32_t outputLength;
    } cases[] = {
        {"write enable", [] { return BrevixT_EEProm_write_enable(); },
         {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06, 0, 0, 0}, 0},
        {"write disable", [] { return BrevixT_EEProm_write_disable(); },
         {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x04, 0, 0, 0}, 0},
        {"read status", [&] { return BrevixT_EEProm_Read_Status(&byte); },
         {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x05, 0, 0, 0}, 1},
        {"read id", [&] { return BrevixT_EEProm_Read_Id(&id[0], &id[1], &id[2]); },
         {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0x9F, 0, 0, 0}, 3},
        {"read", [&] { return BrevixT_EEProm_Read(buffer, 0xFF123456, 10); },
         {0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x12, 0x34, 0x56}, 10},
        {"fast read", [&] { return BrevixT_EEProm_Fastread(buffer, 0x1FFFF0, 16); },
         {0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0x0B, 0x1F, 0xFF, 0xF0, 0}, 16},
    };
    for (const auto& c : cases) {
        host_.ClearCalls();
        EXPECT_TRUE(c.call()) << c.name;
        const auto calls = host_.Calls();
        ASSERT_EQ(calls.size(), 3u) << c.name << ": open, one I/O control, close";
        EXPECT_EQ(calls[0].kind, DriverCall::Kind::Open) << c.name;
        EXPECT_EQ(calls[1].code, sim::ChipDriver::kSpiTransaction) << c.name;
        EXPECT_EQ(calls[1].input, c.block) << c.name;
        EXPECT_EQ(calls[1].output.size(), c.outputLength) << c.name;
        EXPECT_EQ(calls[2].kind, DriverCall::Kind::Close) << c.name;
    }

    host_.ClearCalls();
    ASSERT_TRUE(BrevixT_EEProm_Page_Prog(0x0102, data, 3));
    const auto blocks = Transactions();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(Command(blocks[0]), Bytes{0x06});
    EXPECT_EQ(blocks[1], (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0,
                                0x02, 0x01, 0x02, 0x00, 0xA1, 0xB2, 0xC3}));
    EXPECT_EQ(chip_.Flash().Contents(0x10200, 4), (Bytes{0xA1, 0xB2, 0xC3, 0xFF}));
}

TEST_F(FlashCommandTest, ReadsReturnTheFlashContents) {
    InitFlash();
    chip_.Flash().SetId(0xEF, 0x40, 0x15);
    chip_.Flash().Load(0x1234, {1, 2, 3, 4, 5});
    uint8_t m = 0, t = 0, c = 0, buffer[5] = {};
    ASSERT_TRUE(BrevixT_EEProm_Read_Id(&m, &t, &c));
    EXPECT_EQ((Bytes{m, t, c}), (Bytes{0xEF, 0x40, 0x15}));
    ASSERT_TRUE(BrevixT_EEProm_Read(buffer, 0x1234, 5));
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{1, 2, 3, 4, 5}));
    std::fill_n(buffer, 5, 0);
    ASSERT_TRUE(BrevixT_EEProm_Fastread(buffer, 0x1235, 4));
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{2, 3, 4, 5}));
}

TEST_F(FlashCommandTest, FailedIdReadLeavesTheOutputsAlone) {
    InitFlash();
    chip_.FailIoControls(sim::ChipDriver::kSpiTransaction, 1);
    uint8_t m = 7, t = 8, c = 9;
    EXPECT_FALSE(BrevixT_EEProm_Read_Id(&m, &t, &c));
    EXPECT_EQ((Bytes{m, t, c}), (Bytes{7, 8, 9}));
}

TEST_F(FlashCommandTest, PageProgramLimits) {
    InitFlash();
    Bytes data(300);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    EXPECT_FALSE(BrevixT_EEProm_Page_Prog(8192, data.data(), 16));
    EXPECT_EQ(host_.CallCount(), 0u) << "page 8192 is refused without any I/O";

    ASSERT_TRUE(BrevixT_EEProm_Page_Prog(8191, data.data(), 300));
    EXPECT_EQ(Transactions()[1].size(), 24u + 4 + 256) << "more than a page is cut to 256 bytes";
    EXPECT_EQ(chip_.Flash().Contents(8191 * 256, 256), Bytes(data.begin(), data.begin() + 256));

    host_.ClearCalls();
    ASSERT_TRUE(BrevixT_EEProm_Page_Prog(5, data.data(), 0));
    EXPECT_EQ(Transactions()[1], (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0x02, 0x00, 0x05, 0x00}));
}

TEST_F(FlashCommandTest, PageProgramRetriesItsWriteEnableTwentyTimes) {
    InitFlash();
    const uint8_t data[1] = {0x5A};
    chip_.FailIoControls(sim::ChipDriver::kSpiTransaction, 19);
    EXPECT_TRUE(BrevixT_EEProm_Page_Prog(1, data, 1));
    EXPECT_EQ(Transactions().size(), 21u) << "19 failed write enables, one that took, the program";

    host_.ClearCalls();
    chip_.FailIoControls(sim::ChipDriver::kSpiTransaction, 20);
    EXPECT_FALSE(BrevixT_EEProm_Page_Prog(2, data, 1));
    EXPECT_EQ(Transactions().size(), 20u);
    EXPECT_EQ(chip_.Flash().Contents(512, 1), Bytes{0xFF});
}

TEST_F(FlashCommandTest, PageProgramOnALostAdapterFailsInBoundedTime) {
    InitFlash();
    const uint8_t data[1] = {0x5A};
    chip_.LoseAfter(0);
    EXPECT_FALSE(BrevixT_EEProm_Page_Prog(1, data, 1));
    EXPECT_FALSE(chip_.Present());
}

TEST_F(FlashCommandTest, SectorErasePollsTheStatusUntilItSettles) {
    InitFlash();
    chip_.Flash().Load(0x30000, Bytes(16, 0));
    const struct {
        const char* name;
        std::optional<uint8_t> status;
        bool erased;
        size_t transactions;  // -1 for "several"
    } cases[] = {
        {"status 3 fails at once", 3, false, 3},
        {"status 4 finishes at once", 4, true, 3},
        {"status 0 finishes at once", 0, true, 3},
    };
    for (const auto& c : cases) {
        host_.ClearCalls();
        chip_.Flash().ForceStatus(c.status);
        EXPECT_EQ(BrevixT_EEProm_Sector_Erase(3), c.erased) << c.name;
        const auto blocks = Transactions();
        ASSERT_EQ(blocks.size(), c.transactions) << c.name;
        EXPECT_EQ(Command(blocks[0]), Bytes{0x06}) << c.name;
        EXPECT_EQ(Command(blocks[1]), (Bytes{0xD8, 3, 0, 0})) << c.name;
        EXPECT_EQ(Command(blocks[2]), Bytes{0x05}) << c.name;
    }
    chip_.Flash().ForceStatus(std::nullopt);
    chip_.Flash().SetEraseBusyReads(4);
    chip_.Flash().Load(0x30000, Bytes(16, 0));
    host_.ClearCalls();
    EXPECT_TRUE(BrevixT_EEProm_Sector_Erase(3));
    EXPECT_EQ(Transactions().size(), 2u + 5) << "four busy readings are polled again until the fifth settles";
    EXPECT_EQ(chip_.Flash().Contents(0x30000, 16), Bytes(16, 0xFF));
}

TEST_F(FlashCommandTest, ChipEraseTakesStatusThreeForBusyAndGivesUpAfterAThousandReads) {
    InitFlash();
    chip_.Flash().ForceStatus(3);
    EXPECT_FALSE(BrevixT_EEProm_Chip_Erase());
    const auto blocks = Transactions();
    ASSERT_EQ(blocks.size(), 1002u);
    EXPECT_EQ(Command(blocks[1]), Bytes{0xC7});
    EXPECT_EQ(Command(blocks.back()), Bytes{0x05});

    chip_.Flash().ForceStatus(std::nullopt);
    chip_.Flash().Load(0, Bytes(64, 0));
    EXPECT_TRUE(BrevixT_EEProm_Chip_Erase());
    EXPECT_EQ(chip_.Flash().Contents(0, 64), Bytes(64, 0xFF));
}

TEST_F(FlashCommandTest, ChipEraseInsistsOnItsWriteEnable) {
    InitFlash();
    chip_.FailIoControls(sim::ChipDriver::kSpiTransaction, 30);
    EXPECT_TRUE(BrevixT_EEProm_Chip_Erase());
    EXPECT_EQ(Command(Transactions()[31]), Bytes{0xC7});
}

// Runs in copies of this program that Wine starts as Windows 7 and as Windows 10 (the version
// named in BREVIX_VERSION_CHILD): the version Wine was told to report is the oracle.
TEST_F(FlashCommandTest, MachineIdsThreeAndFourUseTheInterfacePathOnNewerWindows) {
    const std::string version = support::GetEnv("BREVIX_VERSION_CHILD");
    if (version.empty()) GTEST_SKIP() << "runs in the copies that FlashLayerWindowsVersion starts";
    const bool newer = version == "win10";
    InitFlash();
    const int32_t saved = BVX_Machine_ID;
    const wchar_t* interfacePath = L"\\\\.\\{4d1e55b2-f16f-11cf-88cb-001111000030}";
    for (int32_t machine = 1; machine <= 4; ++machine) {
        const bool byInterface = newer && machine >= 3;
        BVX_Machine_ID = machine;
        host_.ClearCalls();
        EXPECT_TRUE(BrevixT_EEProm_write_enable());
        EXPECT_EQ(host_.Calls()[0].target, byInterface ? interfacePath : L"\\\\.\\AX88772") << machine;
        EXPECT_EQ(host_.Calls()[0].flags,
                  DWORD(byInterface ? FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN : FILE_ATTRIBUTE_NORMAL))
            << machine;
    }
    BVX_Machine_ID = saved;
}

// Starts this program again as Windows 7 and as Windows 10, to run the test above in each.
TEST(FlashLayerWindowsVersion, InterfacePathFollowsTheWindowsVersion) {
    if (!support::GetEnv("BREVIX_VERSION_CHILD").empty()) GTEST_SKIP() << "this process is a copy";
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring name = wcsrchr(program, L'\\') + 1;
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + name;
    for (const wchar_t* version : {L"win7", L"win10"}) {
        SCOPED_TRACE(std::string(version, version + wcslen(version)));
        HKEY settings = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(settings, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
        RegCloseKey(settings);

        std::wstring command = L"\"" + std::wstring(program) +
                               L"\" --gtest_filter=FlashCommandTest.MachineIdsThreeAndFourUseTheInterfacePathOnNewerWindows";
        SetEnvironmentVariableW(L"BREVIX_VERSION_CHILD", version);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        const BOOL started =
            CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
        SetEnvironmentVariableW(L"BREVIX_VERSION_CHILD", nullptr);
        DWORD exitCode = 1;
        if (started) {
            WaitForSingleObject(child.hProcess, 60000);
            GetExitCodeProcess(child.hProcess, &exitCode);
            CloseHandle(child.hProcess);
            CloseHandle(child.hThread);
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
        ASSERT_TRUE(started);
        EXPECT_EQ(exitCode, 0u);
    }
}

TEST_F(FlashCommandTest, InitStopsAtTheFirstFailingStep) {
    chip_.FailGpioWrites(true);
    EXPECT_FALSE(BrevixT_EEProm_Init());
    EXPECT_FALSE(chip_.SpiEnabled()) << "no interface switch after a failed GPIO write";
    ASSERT_TRUE(boxes_.WaitForBoxes(1, support::kPatience));
    EXPECT_NE(boxes_.Boxes()[0].text.find(L"Set GPIO value failed (3)"), std::wstring::npos);

    chip_.FailGpioWrites(false);
    chip_.FailOpens(true);
    EXPECT_FALSE(BrevixT_EEProm_Init());
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(boxes_.Boxes()[1].text, L"Set SPI Interface fail!");
    EXPECT_EQ(boxes_.Boxes()[1].caption, L"Error");
    EXPECT_EQ(chip_.Gpio(), 15u);
}

TEST_F(FlashCommandTest, CommandsFailWhenTheDeviceCannotBeOpened) {
    InitFlash();
    chip_.FailOpens(true);
    uint8_t status = 0;
    EXPECT_FALSE(BrevixT_EEProm_Read_Status(&status));
    EXPECT_FALSE(BrevixT_EEProm_write_enable());
    const uint8_t value = 0;
    EXPECT_FALSE(BrevixT_EEProm_Write_Status(&value));
    EXPECT_FALSE(BrevixT_EEProm_Read_Status(nullptr));
}

}  // namespace
