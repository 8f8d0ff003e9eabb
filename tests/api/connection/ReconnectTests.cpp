// A reconnect: the library's images of the tester's registers start again from the values the
// connection's set-up gives them, whatever the connection before left in them.

#include "BrevixCPorts.h"
#include "device/DeviceBench.h"

#include <algorithm>

using bench::LastWrite;
using bench::PortEvent;
using bench::The;
using bench::UnchangedPortConfig;

namespace {

TEST(ReconnectTest, PortImagesStartAgainFromTheSetUpsValues) {
    // Port B forced to mode 3 in speed class 3; Port A with flow control and the port word's
    // switch on, which media detection carries into its SFP image; a loopback on Port A.
    BrevixC_PortConfig_T config = UnchangedPortConfig(1);
    config.speedDuplex = 12;
    config.speedClass = 3;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    config = UnchangedPortConfig(0);
    config.flowControl = 1;
    config.portWordSwitch = 1;
    ASSERT_EQ(BrevixC_PortConfig(config), 1);
    ASSERT_EQ(BrevixC_SetLoopback(0, 1), 1);
    ASSERT_EQ(LastWrite(0x40000050), 0x100);

    ASSERT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    char model[32] = {};
    ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    The().tester->ClearLog();
    support::CallbackRecorder::Instance().Clear();

    ASSERT_EQ(BrevixC_PortConfig(UnchangedPortConfig(1)), 1);
    EXPECT_EQ(LastWrite(0x43000004), 0) << "Port B's speed image";
    EXPECT_EQ(LastWrite(0x43000030), 0x7FFFFFFF) << "Port B's port word";
    ASSERT_EQ(BrevixC_SetLoopback(1, 1), 1);
    EXPECT_EQ(LastWrite(0x40000050), 0x001) << "Port B's loopback alone";
    ASSERT_EQ(BrevixC_SetSFP(0, BREVIXC_SFP_FIBER), 1);
    ASSERT_TRUE(support::Eventually([] {
        const auto events = bench::PortEvents();
        return std::count(events.begin(), events.end(), PortEvent{0, 2, 1}) == 1;
    })) << "media detection ended on Port A";
    // Valid, packet-generator mode, Port A, both ports' switches off, fiber.
    EXPECT_EQ(LastWrite(0x400000B0), 0xC0000000);
    ASSERT_EQ(BrevixC_SetLoopback(255, BREVIXC_LOOPBACK_OFF), 1);
}

}  // namespace
