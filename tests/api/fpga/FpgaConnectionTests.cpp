// The FPGA download seen from the connection to a simulated Brevix-CF on the test's veth pair: a
// download that is refused leaves the tester untold and the counter poller polling; one that
// starts tells the tester (0x400000F8 := 1) and stops the pollers.

#include "fpga/FpgaDownloadFixture.h"
#include "sim/FullTester.h"
#include "sim/Tester.h"
#include "support/Environment.h"
#include "support/Frames.h"
#include "support/TesterLink.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace {

using namespace download;
using Clock = std::chrono::steady_clock;
using frames::FromLibrary;
using frames::Get32;

// The counter poller's read of Port A's statistics: one 64-bit block read of 42 counters a second.
bool IsCounterPoll(const sim::Bytes& f) {
    return FromLibrary(f) && f[14] == 3 && f[15] == 42 && Get32(f, 16) == 0x42000000;
}

// A general command that writes 1 to 0x400000F8.
bool AnnouncesFpgaUpdate(const sim::Bytes& f) {
    if (!FromLibrary(f) || f[14] != 0) return false;
    for (size_t i = 0; i < f[15] && 24 + 8 * i <= f.size(); ++i)
        if (Get32(f, 16 + 8 * i) == 0x400000F8 && Get32(f, 20 + 8 * i) == 1) return true;
    return false;
}

class FpgaConnectionTest : public ChipDriverFixture {
protected:
    void SetUp() override {
        ChipDriverFixture::SetUp();
        const support::VethPair pair = support::TestNetwork();
        ASSERT_FALSE(pair.hostInterface.empty());
        std::string error;
        auto link = support::OpenTesterLink(pair, &error);
        ASSERT_TRUE(link) << error;
        // The fixture plays the chip driver: the unit's own driver side listens on a name of its own.
        unit_ = std::make_unique<sim::FullTester>(std::move(link), 1, L"");
        unit_->Start();

        ASSERT_EQ(BrevixC_SYS_Init(&CallbackRecorder::Callback, 0), 1);
        char model[32] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        ASSERT_TRUE(support::Eventually([&] { return PollsSince(Clock::time_point()) > 0; })) << "the poller runs";
        CallbackRecorder::Instance().Clear();
    }

    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        if (unit_) unit_->Stop();
        ChipDriverFixture::TearDown();
    }

    size_t PollsSince(Clock::time_point since) const {
        size_t polls = 0;
        for (const sim::LoggedFrame& f : Device().Commands())
            if (f.at > since && IsCounterPoll(f.bytes)) ++polls;
        return polls;
    }

    bool TesterWasTold() const {
        for (const sim::LoggedFrame& f : Device().Commands())
            if (AnnouncesFpgaUpdate(f.bytes)) return true;
        return false;
    }

    sim::Tester& Device() const { return unit_->Device(); }

    std::unique_ptr<sim::FullTester> unit_;
};

TEST_F(FpgaConnectionTest, RefusedDownloadsLeaveTheTesterUntoldAndTheConnectionPolling) {
    const struct {
        const char* name;
        sim::Bytes file;
        bool gpioFails;
    } cases[] = {
        // First, while the flash layer has never been initialised.
        {"the flash cannot be initialised", PofImage(1000), true},
        {"not an image", {'P', 'O', 'E', 1, 2, 3}, false},
        {"longer than the flash", PofImage(2 * 1024 * 1024 + 1), false},
    };
    for (const auto& c : cases) {
        chip_.FailGpioWrites(c.gpioFails);
        Device().ClearLog();
        ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(c.file).c_str(), 0), 0) << c.name;
        const Clock::time_point returned = Clock::now();
        // Two polls after the call: one could have been on its way when a stop came.
        EXPECT_TRUE(support::Eventually([&] { return PollsSince(returned) >= 2; })) << c.name << ": the poller polls";
        EXPECT_FALSE(TesterWasTold()) << c.name;
    }
    chip_.FailGpioWrites(false);
    EXPECT_TRUE(CallbackRecorder::Instance().OfType(0x0F00).empty());
    EXPECT_EQ(chip_.Flash().Erases(), 0u);
}

TEST_F(FpgaConnectionTest, StartedDownloadTellsTheTesterAndStopsThePollers) {
    Device().ClearLog();
    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(PofImage(1000)).c_str(), 0), 1);
    const Clock::time_point returned = Clock::now();
    EXPECT_TRUE(support::Eventually([&] { return TesterWasTold(); }));

    // Polling must not go on: over the next two poll periods (the download reports each second of
    // its erase wait) at most a poll that was already on its way arrives.
    auto erasing = [] {
        size_t count = 0;
        for (const HostMessage& m : CallbackRecorder::Instance().OfType(0x0F00)) count += m.bytes[18] == 4;
        return count;
    };
    EXPECT_TRUE(support::Eventually([&] { return erasing() >= 3; }));
    EXPECT_LE(PollsSince(returned), 1u);

    EXPECT_EQ(BrevixC_SYS_DownloadFPGA_Terminate(), 1);
    const HostMessage failed = CallbackRecorder::Instance().WaitFor(
        [](const HostMessage& m) { return m.Type() == 0x0F00 && m.bytes[18] == 1 && m.bytes[19] == 0; },
        support::kPatience);
    EXPECT_FALSE(failed.bytes.empty()) << "the terminated download ended";
}

}  // namespace
