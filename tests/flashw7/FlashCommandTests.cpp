// The flash exports of BrevixT_WIN7.dll against the simulated chip driver: the WMI transactions
// they make, their results on the driver's faults, and the text and caption of every message box.

#include "BrevixTWin7.h"
#include "Win7Fixture.h"
#include "support/Waiting.h"

#include <wbemcli.h>

#include <functional>
#include <optional>
#include <thread>

namespace {

using namespace win7test;
using sim::DriverCall;
using Boxes = std::vector<std::pair<std::wstring, std::wstring>>;

constexpr wchar_t kSend[] = L"AX88172ASpiSendCommand_OID";
constexpr wchar_t kStatus[] = L"AX88172ASpiStatus_OID";
constexpr wchar_t kData[] = L"AX88172ASpiGetData_OID";
constexpr wchar_t kConfig[] = L"AX88172ASpiConfig_OID";
constexpr wchar_t kGpio[] = L"Set_Gpio_Value_OID";

bool ComInitialisedHere() {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    return CoGetApartmentType(&type, &qualifier) != CO_E_NOTINITIALIZED;
}

class Win7FlashTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }
    // The library keeps its connection between tests: close it while this test's driver listens.
    void TearDown() override {
        chip_.reset();
        chip_.emplace(host_);
        BrevixT_EEProm_Shutdown_Win7();
    }

    void InitFlash() {
        ASSERT_TRUE(BrevixT_EEProm_Init_Win7());
        host_.ClearCalls();
    }

    sim::ChipDriver& Chip() { return *chip_; }

    sim::DriverHost host_;
    std::optional<sim::ChipDriver> chip_{std::in_place, host_};
    support::BoxWatcher boxes_;
};

TEST_F(Win7FlashTest, InitRaisesTheGpioLinesAndSwitchesTheSpiMasterOnThroughWmi) {
    ASSERT_TRUE(BrevixT_EEProm_Init_Win7());
    EXPECT_EQ(Chip().Gpio(), 15u);
    EXPECT_EQ(Chip().SpiConfig(), (Bytes{0xF6, 0x0E, 0x00, 0x01, 0x01}));
    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].kind, DriverCall::Kind::WmiConnect);
    EXPECT_EQ(calls[0].target, L"root\\wmi");
    EXPECT_EQ(calls[1].target, L"SELECT * FROM Set_Gpio_Value_OID");
    EXPECT_EQ(calls[1].flags, DWORD(WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY));
    EXPECT_EQ(calls[2].kind, DriverCall::Kind::WmiPut);
    EXPECT_EQ(calls[2].flags, DWORD(WBEM_FLAG_UPDATE_ONLY));
    EXPECT_EQ(calls[3].target, L"SELECT * FROM AX88172ASpiConfig_OID");
    EXPECT_EQ(calls[4].kind, DriverCall::Kind::WmiPut);
    ASSERT_NE(calls[4].object.Find(L"SpiConfig"), nullptr);
    EXPECT_EQ(calls[4].object.Find(L"SpiConfig")->type, VT_ARRAY | VT_UI1);
    EXPECT_EQ(calls[5].kind, DriverCall::Kind::WmiEnumerate);
    EXPECT_EQ(calls[5].target, kStatus);
    EXPECT_EQ(calls[5].flags, DWORD(WBEM_FLAG_SHALLOW | WBEM_FLAG_FORWARD_ONLY));

    host_.ClearCalls();
    ASSERT_TRUE(BrevixT_EEProm_Shutdown_Win7());
    EXPECT_FALSE(Chip().SpiEnabled());
    EXPECT_EQ(Chip().Gpio(), 15u);  // shutdown writes no GPIO word
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Win7FlashTest, ReadTransactionWritesItsBlockThenFetchesTheData) {
    InitFlash();
    Chip().Flash().SetId(0xC2, 0x20, 0x15);
    uint8_t id[3] = {};
    ASSERT_TRUE(BrevixT_EEProm_Read_Id(&id[0], &id[1], &id[2]));
    EXPECT_EQ(Bytes(id, id + 3), (Bytes{0xC2, 0x20, 0x15}));
    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].target, L"SELECT * FROM AX88172ASpiSendCommand_OID");
    ASSERT_NE(calls[1].object.Find(L"NumberElements"), nullptr);
    EXPECT_EQ(calls[1].object.Find(L"NumberElements")->i4, 28);
    EXPECT_EQ(calls[1].object.Find(L"SpiSendCommand")->bytes,
              (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0x9F, 0, 0, 0}));
    EXPECT_EQ(calls[2].target, kStatus);
    EXPECT_EQ(calls[3].target, kData);
}

TEST_F(Win7FlashTest, WriteTransactionReadsNoData) {
    InitFlash();
    ASSERT_TRUE(BrevixT_EEProm_write_enable());
    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].target, kStatus);
    EXPECT_TRUE(Chip().Flash().WriteEnabled());
}

TEST_F(Win7FlashTest, PageReadAddressesThePage) {
    InitFlash();
    Chip().Flash().Load(0x200, {0x11, 0x22, 0x33, 0x44});
    uint8_t buffer[256] = {};
    ASSERT_TRUE(BrevixT_EEProm_Read_Win7(buffer, 2, 256));
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x11, 0x22, 0x33, 0x44}));
    const Bytes block = CommandBlocks(host_.Calls()).at(0);
    EXPECT_EQ(Bytes(block.begin() + 24, block.begin() + 28), (Bytes{0x03, 0x00, 0x02, 0x00}));
}

TEST_F(Win7FlashTest, LastPageProgramsAndThePageBeyondIsRefusedUntouched) {
    InitFlash();
    const Bytes data(300, 0x5A);
    ASSERT_TRUE(BrevixT_EEProm_Page_Prog(8191, data.data(), 300));
    EXPECT_EQ(Chip().Flash().Contents(8191 * 256, 256), Bytes(256, 0x5A));
    EXPECT_EQ(ProgrammedPages(host_.Calls()), (std::vector<int>{8191}));
    EXPECT_EQ(CommandBlocks(host_.Calls()).back().size(), 24u + 4 + 256);
    host_.ClearCalls();
    EXPECT_FALSE(BrevixT_EEProm_Page_Prog(8192, data.data(), 256));
    EXPECT_EQ(host_.CallCount(), 0u);
}

TEST_F(Win7FlashTest, EraseResultsFollowTheStatusRegister) {
    InitFlash();
    Chip().Flash().Load(0x10000, {0x00});
    ASSERT_TRUE(BrevixT_EEProm_Sector_Erase(1));
    EXPECT_EQ(Chip().Flash().Contents(0x10000, 1), Bytes{0xFF});
    ASSERT_TRUE(BrevixT_EEProm_Chip_Erase_Win7());

    Chip().Flash().ForceStatus(3);
    host_.ClearCalls();
    EXPECT_FALSE(BrevixT_EEProm_Chip_Erase_Win7());
    int statusReads = 0;
    for (const Bytes& block : CommandBlocks(host_.Calls())) statusReads += block[24] == 0x05;
    EXPECT_EQ(statusReads, 1);
    EXPECT_FALSE(BrevixT_EEProm_Sector_Erase(0));
    Chip().Flash().ForceStatus(std::nullopt);
}

TEST_F(Win7FlashTest, StatusWordAndFastReadTakeTheirBytes) {
    InitFlash();
    const uint8_t protect = 0x1C;
    ASSERT_TRUE(BrevixT_EEProm_Write_Status(&protect));
    uint8_t status = 0;
    ASSERT_TRUE(BrevixT_EEProm_Read_Status(&status));
    EXPECT_EQ(status, 0x1C);
    Chip().Flash().Load(0x1FFFF0, {0xAB, 0xCD});
    uint8_t buffer[2] = {};
    ASSERT_TRUE(BrevixT_EEProm_Fastread(buffer, 0xFF1FFFF0, 2));
    EXPECT_EQ(Bytes(buffer, buffer + 2), (Bytes{0xAB, 0xCD}));
    EXPECT_TRUE(BrevixT_EEProm_write_disable());
}

TEST_F(Win7FlashTest, InitSucceedsWhenOnlyTheGpioWriteFails) {
    Chip().FailGpioWrites(true);
    EXPECT_TRUE(BrevixT_EEProm_Init_Win7());
    EXPECT_TRUE(BrevixT_EEProm_ResetGpio_Win7());
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Win7FlashTest, DisconnectUninitialisesOnlyTheComItInitialised) {
    ASSERT_FALSE(ComInitialisedHere());
    ASSERT_TRUE(BrevixT_EEProm_Init_Win7());
    ASSERT_TRUE(BrevixT_EEProm_Init_Win7());  // the second first disconnects the first
    EXPECT_EQ(host_.Calls().size(), 12u);
    ASSERT_TRUE(BrevixT_EEProm_Shutdown_Win7());
    EXPECT_FALSE(ComInitialisedHere());

    // A host that initialised COM itself keeps it.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_TRUE(BrevixT_EEProm_Init_CSharp());
    ASSERT_TRUE(BrevixT_EEProm_Shutdown_Win7());
    EXPECT_TRUE(ComInitialisedHere());
    CoUninitialize();
    EXPECT_FALSE(ComInitialisedHere());
}

TEST_F(Win7FlashTest, FailedInitLeavesNothingOpen) {
    Chip().FailWrites(kConfig, WBEM_E_FAILED);
    EXPECT_FALSE(BrevixT_EEProm_Init_Win7());
    EXPECT_FALSE(ComInitialisedHere());
    EXPECT_FALSE(BrevixT_EEProm_write_enable());
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{{L"SPI configuration failed, error: 0x80041001\r\n", L"Driver API"},
                                               {L"Services return false", L"Error"}}));
}

TEST_F(Win7FlashTest, SpiSwitchOutsideAConnectionFailsQuietly) {
    EXPECT_FALSE(BrevixT_EEProm_Shutdown_Win7());
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Win7FlashTest, StatusThatStaysBusyTimesOutAfterTwentyOnePolls) {
    InitFlash();
    Chip().ForceSpiStatus(0);
    EXPECT_FALSE(BrevixT_EEProm_write_enable());
    int polls = 0;
    for (const DriverCall& call : host_.Calls()) polls += call.target == kStatus;
    EXPECT_EQ(polls, 21);
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{{L"SPI send timeout", L"Error"}}));
    Chip().ForceSpiStatus(std::nullopt);
}

// Each fault of the driver's classes, the call it breaks and the boxes the user sees.
TEST_F(Win7FlashTest, EveryTransportFailureShowsItsBoxes) {
    uint8_t id[3];
    const std::function<bool()> readId = [&] { return BrevixT_EEProm_Read_Id(&id[0], &id[1], &id[2]); };
    const std::function<bool()> enable = [] { return BrevixT_EEProm_write_enable(); };
    const std::function<bool()> shutdown = [] { return BrevixT_EEProm_Shutdown_Win7(); };
    const struct {
        const char* name;
        std::function<void(sim::DriverHost&, sim::ChipDriver&)> fault;
        std::function<bool()> call;
        Boxes boxes;
    } cases[] = {
        {"no send class", [](auto& h, auto&) { h.RemoveWmiClass(L"root\\wmi", kSend); }, enable,
         {{L"WMI ExecQuery failed\r\n", L"Driver API"}, {L"WmiSpiSendCmd return false", L"Error"}}},
        {"adapter gone", [](auto&, auto& c) { c.SetPresent(false); }, enable,
         {{L"No Device\r\n", L"Driver API"}, {L"WmiSpiSendCmd return false", L"Error"}}},
        {"no length property", [](auto&, auto& c) { c.DropProperty(kSend, L"NumberElements"); }, enable,
         {{L"Set SPI send data length failed, error: 0x80041002\r\n", L"Driver API"},
          {L"WmiSpiSendCmd return false", L"Error"}}},
        {"no block property", [](auto&, auto& c) { c.DropProperty(kSend, L"SpiSendCommand"); }, enable,
         {{L"SPI send failed, error: 0x80041002\r\n", L"Driver API"}, {L"WmiSpiSendCmd return false", L"Error"}}},
        {"block refused", [](auto&, auto& c) { c.FailWrites(kSend, WBEM_E_ACCESS_DENIED); }, enable,
         {{L"SPI send failed, error: 0x80041003\r\n", L"Driver API"}, {L"WmiSpiSendCmd return false", L"Error"}}},
        {"no status class", [](auto& h, auto&) { h.RemoveWmiClass(L"root\\wmi", kStatus); }, enable,
         {{L"WMI ExecQuery failed\r\n", L"Error"}, {L"WmiSpiReadStatus return false", L"Error"}}},
        {"no status property", [](auto&, auto& c) { c.DropProperty(kStatus, L"SpiStatus"); }, enable,
         {{L"Get SPI status failed\r\n", L"Error"}, {L"WmiSpiReadStatus return false", L"Error"}}},
        {"transfer failed", [](auto&, auto& c) { c.ForceSpiStatus(3); }, enable,
         {{L"SPI_STATUS_FAILED return false", L"Error"}}},
        {"no data class", [](auto& h, auto&) { h.RemoveWmiClass(L"root\\wmi", kData); }, readId,
         {{L"WMI ExecQuery failed\r\n", L"Error"}, {L"WmiSpiReadData return false", L"Error"}}},
        {"no data property", [](auto&, auto& c) { c.DropProperty(kData, L"SpiData"); }, readId,
         {{L"Get SPI data failed\r\n", L"Error"}, {L"WmiSpiReadData return false", L"Error"}}},
        {"data not an array", [](auto&, auto& c) { c.ForceSpiData(sim::WmiValue::Int(7)); }, readId,
         {{L"Get SPI data failed\r\n", L"Error"}, {L"WmiSpiReadData return false", L"Error"}}},
        {"data too short", [](auto&, auto& c) { c.ForceSpiData(sim::WmiValue::Array({1, 2})); }, readId,
         {{L"Get SPI data failed\r\n", L"Error"}, {L"WmiSpiReadData return false", L"Error"}}},
        {"no config class", [](auto& h, auto&) { h.RemoveWmiClass(L"root\\wmi", kConfig); }, shutdown,
         {{L"WMI ExecQuery failed.\r\n", L"Driver API"}}},
        {"config adapter gone", [](auto&, auto& c) { c.SetPresent(false); }, shutdown,
         {{L"No Device.\r\n", L"Driver API"}}},
        {"no config property", [](auto&, auto& c) { c.DropProperty(kConfig, L"SpiConfig"); }, shutdown,
         {{L"SPI configuration failed, error: 0x80041002\r\n", L"Driver API"}}},
        {"config busy", [](auto&, auto& c) { c.ForceSpiStatus(1); }, shutdown, {{L"SPI set interface timeout", L"Error"}}},
    };
    for (const auto& c : cases) {
        chip_.reset();
        chip_.emplace(host_);
        InitFlash();
        const size_t before = boxes_.Boxes().size();
        c.fault(host_, Chip());
        EXPECT_FALSE(c.call()) << c.name;
        ASSERT_TRUE(boxes_.WaitForBoxes(before + c.boxes.size(), support::kPatience)) << c.name;
        EXPECT_EQ(TextsAndCaptions(boxes_, before), c.boxes) << c.name;
        chip_.reset();
        chip_.emplace(host_);
        BrevixT_EEProm_Shutdown_Win7();
    }
}

TEST_F(Win7FlashTest, GpioWriteWithoutItsClassShowsNoDevice) {
    host_.RemoveWmiClass(L"root\\wmi", kGpio);
    EXPECT_TRUE(BrevixT_EEProm_Init_Win7());
    ASSERT_TRUE(boxes_.WaitForBoxes(1, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{{L"No Device\r\n", L"Driver API"}}));
}

TEST_F(Win7FlashTest, ConnectionFailuresShowTheirBoxes) {
    SetEnvironmentVariableW(L"BREVIX_DRIVER_PIPE", L"\\\\.\\pipe\\brevix-nobody-listens");
    EXPECT_FALSE(BrevixT_EEProm_Init_Win7());
    EXPECT_FALSE(ComInitialisedHere());
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_FALSE(BrevixT_EEProm_Init_CSharp());
    CoUninitialize();
    // A thread of the multithreaded apartment cannot take the library's single-threaded one.
    std::thread([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_FALSE(BrevixT_EEProm_Init_Win7());
        CoUninitialize();
    }).join();
    host_.Attach();
    ASSERT_TRUE(boxes_.WaitForBoxes(3, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{{L"Failed to connect server.\r\n", L"Driver API"},
                                               {L"(Win7)Failed to connect server.", L"Error"},
                                               {L"Failed to initialize COM library.\r\n", L"Driver API"}}));
}

}  // namespace
