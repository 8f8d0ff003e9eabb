// The two long runs of the channel: the firmware worker, whose unit checks the image for 35
// seconds after the end packet, and the clearing of the unit's log (about 15 seconds).

#include "usb/DownloadBench.h"

#include <algorithm>

using namespace usbbench;

namespace {

// The firmware worker, whose unit checks the image for 35 seconds after the end packet.
class UsbFirmwareWorkerTest : public UsbDownloadTest {};

TEST_P(UsbFirmwareWorkerTest, FirmwareWorkerStoresTheDataAndChecksFor35Seconds) {
    Bytes file = Pattern(512, 0);
    const Bytes data = Pattern(61, 77);
    file.insert(file.end(), data.begin(), data.end());
    const std::wstring path = Wide(WriteFile("worker.bin", file));
    ASSERT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(path.c_str()), 0);
    ASSERT_TRUE(support::Eventually([&] { return Unit().FirmwareComplete(); }));
    EXPECT_EQ(Unit().Firmware(), data);
    ASSERT_TRUE(
        support::Eventually([] { return !StatusMessages(0x0F01).empty() && StatusMessages(0x0F01).back().status == 6; },
                            std::chrono::seconds(60)));
    const std::vector<Status> messages = StatusMessages(0x0F01);
    EXPECT_EQ(messages.front(), (Status{4, 0}));
    EXPECT_EQ(std::count(messages.begin(), messages.end(), Status{3, 0}), 35);
    EXPECT_EQ(messages.back(), (Status{6, 100}));
}

INSTANTIATE_TEST_SUITE_P(Transports, UsbFirmwareWorkerTest, testing::Values(sim::UsbTransport::Hid),
                         [](const auto& info) { return TransportName(info.param); });

// Clearing the unit's log reports steady progress and 100 only once the unit has answered.
class UsbClearLogTest : public UsbDownloadTest {};

TEST_P(UsbClearLogTest, ClearLogReportsOneToNinetyNineThenOneHundred) {
    Unit().AddLogEntry(Bytes(10, 1));
    ASSERT_EQ(Export<NoArgs>("_Korrin_ClearLog@0")(), 1);
    std::vector<std::pair<int, int>> expected;
    for (int i = 1; i <= 100; ++i) expected.emplace_back(3, i);
    EXPECT_EQ(Reports(), expected);
    EXPECT_EQ(Unit().LogEntries(), 0u);
    const std::vector<sim::UsbPacket> packets = Unit().Received();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[1].bytes, Packet({255}));
}

INSTANTIATE_TEST_SUITE_P(Transports, UsbClearLogTest, testing::Values(sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace
