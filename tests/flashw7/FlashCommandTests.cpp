// The flash exports of BrevixT_WIN7.dll against the simulated chip driver: the WMI transactions
// they make and their results on the driver's faults.

#include "Win7FlashFixture.h"
#include "support/Waiting.h"

#include <wbemcli.h>


namespace {

using namespace win7test;
using sim::DriverCall;

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

}  // namespace
