// The message boxes of BrevixT_WIN7.dll's transport: each fault of the simulated chip driver's
// classes or of the connection, with the text and caption of every box the user sees.

#include "Win7FlashFixture.h"
#include "support/Waiting.h"

#include <wbemcli.h>

#include <functional>
#include <thread>

namespace {

using namespace win7test;

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
        {"config busy", [](auto&, auto& c) { c.ForceSpiStatus(1); }, shutdown,
         {{L"SPI set interface timeout", L"Error"}}},
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
