// The tester lost at each step of the connection's work: it stops answering (vanished) or its
// adapter goes down. Whatever the step, the call returns within its bound, terminate leaves no
// library thread, the adapter going down is reported exactly once, and the library connects again
// once the tester is back.

#include "BrevixCCapture.h"
#include "BrevixCEeprom.h"
#include "BrevixCNetwork.h"
#include "BrevixCPorts.h"
#include "TesterBench.h"
#include "support/CallbackRecorder.h"
#include "support/Environment.h"
#include "support/Waiting.h"
#include "sim/CaptureEngine.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using support::CallbackRecorder;

enum class Loss { Vanished, AdapterDown };

struct LossCase {
    const char* name;
    Loss loss;
    bool connectFirst;
    std::chrono::milliseconds bound;
    // The step, run once the tester is lost; false when it reported success it cannot have had.
    std::function<bool()> step;
    // Run while the tester is still there, before it is lost (for a step already under way).
    std::function<void()> before = {};
};

std::ostream& operator<<(std::ostream& out, const LossCase& c) { return out << c.name; }

// The longest a step may take with the tester gone: a connect's identity reads and set-up are
// register calls that each give up after their retries; a PHY read asks for its result twelve
// times, a second each, before it reports the PHY's silence.
constexpr std::chrono::milliseconds kStepBound = 8s;
constexpr std::chrono::milliseconds kPhyReadBound = 15s;
// Over an adapter that is down nothing goes out, and a PHY read has no result to wait for.
constexpr std::chrono::milliseconds kUnsentPhyReadBound = 2s;

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

bool Connect() { return BrevixC_SYS_ConnectToBrevixCDevice() == 0; }
bool PollCounters() {
    // The pollers keep running while the tester is gone; a register read beside them gives up.
    std::this_thread::sleep_for(300ms);
    uint32_t value = 0;
    return BVT_Read(0x41000004, &value) == 0;
}
bool ReadPhy() {
    BrevixC_ReadPHY(0, 1);
    return true;
}
bool DetectMedia() {
    BrevixC_SetSFP(0, BREVIXC_SFP_FIBER);
    return true;
}
bool WriteEeprom() {
    BrevixC_93C56_Write(8, 4);
    return true;
}

// The tester's capture engine: the block upload of a capture under way when the tester is lost.
std::unique_ptr<sim::CaptureEngine> engine;

void StartUpload() {
    ASSERT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
    ASSERT_EQ(BrevixC_StartRxCapture(0, 0, 300), 1);
    ASSERT_TRUE(support::Eventually([] { return engine->Running(0); }));
    engine->ReceiveNumbered(0, 0, 300, 100);
    ASSERT_EQ(BrevixC_StopRxCaptureNext(0, 300), 1);
}
bool UploadCapture() {
    // The upload asks for blocks that never come; cancelling it ends the run and halts the upload.
    std::this_thread::sleep_for(300ms);
    BrevixC_CancelRxCapture(0);
    return true;
}

// The network tests. Lost before they start, each runs to its end: the router test waits out its
// DHCP waits and fails, automatic reply and the DHCP client's wait give up on their register calls.
// The waits here are short (a second each, two of them), so that the bound stays close to the
// register calls' own.
constexpr uint16_t kRouterWaitMs = 1000;
constexpr std::chrono::milliseconds kNetworkTestsBound = kStepBound + 4s;

BrevixC_RouterTest_T RouterRecord(bool wanDhcp, bool lanDhcp, uint16_t waitMs) {
    BrevixC_RouterTest_T r{};
    const uint8_t wanIp[4] = {10, 77, 60, 1};
    const uint8_t wanMac[6] = {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x01}, lanMac[6] = {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x02};
    r.wanPort = 0;
    r.lanPort = 1;
    r.wanDhcp = wanDhcp;
    r.lanDhcp = lanDhcp;
    r.wanWaitMs = waitMs;
    r.lanWaitMs = waitMs;
    std::memcpy(r.wanIPv4, wanIp, 4);
    std::memcpy(r.wanMac, wanMac, 6);
    std::memcpy(r.lanMac, lanMac, 6);
    r.watchedPort = 5000;
    r.probeSourcePort = 40000;
    return r;
}

bool RunNetworkTests() {
    BrevixC_AutoReply_T reply{};
    reply.port = 255;
    const uint8_t ip[4] = {10, 77, 40, 1}, mac[6] = {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x03};
    std::memcpy(reply.ipv4, ip, 4);
    std::memcpy(reply.mac, mac, 6);
    BrevixC_StartAutoReply(reply);
    BrevixC_RouterTest_T router = RouterRecord(true, true, kRouterWaitMs);
    const int result = BrevixC_RouterTest(&router);
    BrevixC_AutoGetIPv4(1, 1, 1);
    BrevixC_StopAutoReply(255, 0);
    return result == 0 && router.result == 0;
}

// A router test under way when the tester is lost: it has put its LAN port in NIC mode and asks
// for an address, waiting for a router that no longer answers. The marker is Port B's mode word,
// written by a register call that is sent again until answered, rather than the DHCP discover, a
// single host frame that nothing sends again.
sim::Tester* lossTester = nullptr;
std::thread routerTest;
std::atomic<int> routerTestResult{-1};
constexpr uint16_t kUnderWayWaitMs = 3000;
constexpr uint32_t kPortBModeWord = 0x430000C0;
constexpr uint32_t kNicModeWord = 0x01000000;

void StartRouterTest() {
    routerTestResult = -1;
    lossTester->Registers().Set(kPortBModeWord, 0);
    routerTest = std::thread([] {
        BrevixC_RouterTest_T r = RouterRecord(false, true, kUnderWayWaitMs);
        routerTestResult = BrevixC_RouterTest(&r);
    });
    ASSERT_TRUE(support::Eventually([] { return lossTester->Registers().Get(kPortBModeWord) == kNicModeWord; }))
        << "the router test reaches its LAN side";
}
bool FinishRouterTest() {
    const bool ended = support::Eventually([] { return routerTestResult != -1; });
    if (routerTest.joinable()) routerTest.join();
    return ended && routerTestResult == 0;
}

class DeviceLoss : public TesterBench, public testing::WithParamInterface<LossCase> {
protected:
    void SetUp() override {
        TesterBench::SetUp();
        engine = std::make_unique<sim::CaptureEngine>(*tester_, 1);
        lossTester = tester_.get();
        CallbackRecorder::Instance().Clear();
        ASSERT_EQ(BrevixC_SYS_Init(CallbackRecorder::Callback, 0), 1);
        ASSERT_EQ(Detect(), 1);
    }
    void TearDown() override {
        if (down_) support::RunUnixCommand("/usr/sbin/ip link set " + pair_.hostInterface + " up");
        tester_->SetVanished(false);
        if (routerTest.joinable()) routerTest.join();
        TesterBench::TearDown();
        engine.reset();
        lossTester = nullptr;
    }

    void Lose(Loss loss) {
        if (loss == Loss::Vanished) {
            tester_->SetVanished(true);
            return;
        }
        down_ = support::RunUnixCommand("/usr/sbin/ip link set " + pair_.hostInterface + " down");
        ASSERT_TRUE(down_);
    }
    void Return(Loss loss) {
        if (loss == Loss::Vanished) {
            tester_->SetVanished(false);
            return;
        }
        ASSERT_TRUE(support::RunUnixCommand("/usr/sbin/ip link set " + pair_.hostInterface + " up"));
        down_ = false;
    }
    static size_t LostMessages() {
        size_t lost = 0;
        for (const support::HostMessage& m : CallbackRecorder::Instance().OfType(0xFF00)) lost += m.bytes[18] == 255;
        return lost;
    }

    bool down_ = false;
};

TEST_P(DeviceLoss, StepEndsInTimeAndTheLibraryConnectsAgain) {
    const LossCase& c = GetParam();
    if (c.connectFirst) ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    if (c.before) {
        c.before();
        if (HasFatalFailure()) return;
    }
    Lose(c.loss);
    if (c.loss == Loss::AdapterDown && c.connectFirst) {
        ASSERT_TRUE(support::Eventually([] { return LostMessages() >= 1; })) << "the loss is reported";
    }

    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(c.step());
    EXPECT_LE(MillisecondsSince(start), c.bound.count()) << "the step's bound, in ms";

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    EXPECT_LE(MillisecondsSince(start), kStepBound.count()) << "terminate's bound, in ms";
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    // Terminate has joined every library thread: no message can follow.
    EXPECT_EQ(LostMessages(), c.loss == Loss::AdapterDown && c.connectFirst ? 1u : 0u);

    Return(c.loss);
    ASSERT_EQ(BrevixC_SYS_Init(CallbackRecorder::Callback, 0), 1);
    ASSERT_TRUE(support::Eventually([this] { return Detect() == 1; })) << "found again";
    ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
    tester_->Registers().Set(0x41000004, 0xB0B0);
    EXPECT_TRUE(support::Eventually([] {
        uint32_t value = 0;
        return BVT_Read(0x41000004, &value) == 1 && value == 0xB0B0u;
    }));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DeviceLoss,
    testing::Values(LossCase{"ConnectToVanishedTester", Loss::Vanished, false, kStepBound, Connect},
                    LossCase{"ConnectOverDownAdapter", Loss::AdapterDown, false, kStepBound, Connect},
                    LossCase{"CounterPollingVanished", Loss::Vanished, true, kStepBound, PollCounters},
                    LossCase{"CounterPollingAdapterDown", Loss::AdapterDown, true, kStepBound, PollCounters},
                    LossCase{"PhyReadVanished", Loss::Vanished, true, kPhyReadBound, ReadPhy},
                    LossCase{"PhyReadAdapterDown", Loss::AdapterDown, true, kUnsentPhyReadBound, ReadPhy},
                    LossCase{"MediaDetectionVanished", Loss::Vanished, true, kStepBound, DetectMedia},
                    LossCase{"MediaDetectionAdapterDown", Loss::AdapterDown, true, kStepBound, DetectMedia},
                    LossCase{"EepromWriteVanished", Loss::Vanished, true, kStepBound, WriteEeprom},
                    LossCase{"EepromWriteAdapterDown", Loss::AdapterDown, true, kStepBound, WriteEeprom},
                    LossCase{"CaptureUploadVanished", Loss::Vanished, true, kStepBound, UploadCapture, StartUpload},
                    LossCase{"CaptureUploadAdapterDown", Loss::AdapterDown, true, kStepBound, UploadCapture, StartUpload},
                    LossCase{"NetworkTestsVanished", Loss::Vanished, true, kNetworkTestsBound, RunNetworkTests},
                    LossCase{"NetworkTestsAdapterDown", Loss::AdapterDown, true, kNetworkTestsBound, RunNetworkTests},
                    LossCase{"RouterTestUnderWayVanished", Loss::Vanished, true, kStepBound, FinishRouterTest,
                             StartRouterTest},
                    LossCase{"RouterTestUnderWayAdapterDown", Loss::AdapterDown, true, kStepBound, FinishRouterTest,
                             StartRouterTest}),
    [](const testing::TestParamInfo<LossCase>& info) { return std::string(info.param.name); });

}  // namespace
