// The FPGA download of a Brevix-H (machine id 3) through the Ethernet API, seen from the
// connection: the image goes to the USB unit while the counter poller is held, and however the
// transfer ends (refused, failed, passed) the poller reads the tester's counters again at once.
// The simulated tester plays on the test's veth pair, its USB unit on the simulated USB tree.

#include "BrevixCAPI.h"
#include "BrevixCCounters.h"
#include "BrevixCFlash.h"
#include "fpga/DownloadMessages.h"
#include "sim/FullTester.h"
#include "support/AppMessageWindow.h"
#include "support/CallbackRecorder.h"
#include "support/Frames.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using download::IsStatus;
using frames::FromLibrary;
using frames::Get32;
using support::CallbackRecorder;
using support::HostMessage;

// The counter poller's read of Port A's statistics on the second register map: one 64-bit block
// read of 42 counters.
bool IsCounterPoll(const sim::Bytes& f) {
    return FromLibrary(f) && f[14] == 3 && f[15] == 42 && Get32(f, 16) == 0x42600000;
}

std::wstring WriteFile(const std::wstring& name, const sim::Bytes& bytes) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name + std::to_wstring(GetCurrentProcessId());
    std::ofstream(path.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// The whole counter block of Port A as the library holds it.
sim::Bytes PortACounters() {
    BrevixC_PortCounters_T block{};
    if (BrevixC_ReadCounterStatistics(0, &block) != 1) return {};
    const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
    return sim::Bytes(bytes, bytes + sizeof block);
}

// The host's callback: records, and posts each end of an FPGA download (failed or passed) to the
// window the test names; it never waits.
std::atomic<HWND> endWindow{nullptr};

void WINAPI PostingCallback(const uint8_t* message, int32_t length, uint32_t seconds, uint32_t microseconds) {
    CallbackRecorder::Callback(message, length, seconds, microseconds);
    const bool fpga = length >= 22 && message[14] == 0x0F && message[15] == 0x00;
    if (fpga && (message[18] == 1 || message[18] == 6)) {
        if (HWND window = endWindow.load()) PostMessageW(window, WM_APP, 0, 0);
    }
}

class FpgaUsbUnitTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto link = support::OpenTesterLink(support::TestNetwork(), &error);
        ASSERT_TRUE(link) << error;
        tester_ = std::make_unique<sim::FullTester>(std::move(link), 3, L"");
        tester_->Start();
        tester_->Host().Attach();
        ASSERT_NE(tester_->Usb(), nullptr);
        ASSERT_EQ(BrevixC_SYS_Init(&PostingCallback, 0), 1);
        char model[32] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        ASSERT_TRUE(support::Eventually([&] { return PollsSince(Clock::time_point()) > 0; })) << "the poller runs";
        image_ = WriteFile(L"brevixh-fpga-", download::PofImage(6000));
        CallbackRecorder::Instance().Clear();
    }

    void TearDown() override {
        endWindow = nullptr;
        BrevixC_SYS_TerminateProcess();
        tester_.reset();
    }

    size_t PollsSince(Clock::time_point since) const {
        size_t polls = 0;
        for (const sim::LoggedFrame& f : tester_->Device().Commands())
            if (f.at > since && IsCounterPoll(f.bytes)) ++polls;
        return polls;
    }

    // Within three seconds of `end` the tester's journal shows the poller at work, and the counters
    // the library reports move.
    void ExpectPollingAgain(Clock::time_point end, const char* name) {
        EXPECT_TRUE(support::Eventually([&] { return PollsSince(end) >= 1; }, 3000ms))
            << name << ": no counter poll within 3 s of the end";
        const sim::Bytes before = PortACounters();
        EXPECT_TRUE(support::Eventually([&] { return PortACounters() != before; })) << name << ": the counters froze";
    }

    // A download's time on the unit: from its first erasing notice to its end (failed or passed).
    // A refused download sends its failure alone.
    struct Window {
        Clock::time_point erasing, end;
    };
    static std::vector<Window> DownloadWindows() {
        std::vector<Window> windows;
        Clock::time_point erasing{};
        for (const HostMessage& m : CallbackRecorder::Instance().OfType(0x0F00)) {
            if (IsStatus(m, 4, 0) && erasing == Clock::time_point()) erasing = m.at;
            if (!IsStatus(m, 1, 0) && !IsStatus(m, 6, 100)) continue;
            if (erasing != Clock::time_point()) windows.push_back({erasing, m.at});
            erasing = Clock::time_point();
        }
        return windows;
    }

    std::unique_ptr<sim::FullTester> tester_;
    std::wstring image_;
};

TEST_F(FpgaUsbUnitTest, ARefusedDownloadReportsAFailureAndTheCountersAreReadAgain) {
    sim::UsbUnit& unit = *tester_->Usb();
    sim::Bytes firmware(512, 0);
    for (int i = 0; i < 600; ++i) firmware.push_back(uint8_t(i));
    const std::wstring firmwareFile = WriteFile(L"brevixh-firmware-", firmware);
    const struct {
        const char* name;
        std::function<void()> before, after;
    } cases[] = {
        {"the unit is unplugged", [&] { unit.Unplug(); }, [&] { unit.PlugIn(); }},
        // A silent unit keeps the firmware worker sending its first chunk: it holds the channel.
        {"a firmware download holds the channel",
         [&] {
             unit.SetSilent(true);
             ASSERT_EQ(BrevixC_SYS_DownloadFirmwareW(firmwareFile.c_str()), 1);
         },
         [&] {
             BrevixC_SYS_DownloadFPGA_Terminate();
             EXPECT_FALSE(CallbackRecorder::Instance()
                              .WaitFor([](const HostMessage& m) { return m.Type() == 0x0F01 && m.bytes[18] == 1; },
                                       support::kPatience)
                              .bytes.empty())
                 << "the firmware download ended";
             unit.SetSilent(false);
         }},
    };
    for (const auto& c : cases) {
        c.before();
        CallbackRecorder::Instance().Clear();
        ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(image_.c_str(), 0), 1) << c.name << ": the image went to the unit";
        const HostMessage failed = CallbackRecorder::Instance().WaitFor(
            [](const HostMessage& m) { return IsStatus(m, 1, 0); }, support::kPatience);
        ASSERT_FALSE(failed.bytes.empty()) << c.name << ": the failure is reported";
        ExpectPollingAgain(failed.at, c.name);
        c.after();
    }
}

// Each download starts from the end message of the one before, as a host that tries again when
// told of a failure: the unit unplugs itself in the middle of each but the last, which passes.
// An earlier download's end never brings the poller back inside a later download.
TEST_F(FpgaUsbUnitTest, DownloadsStartedFromTheLastOnesFailureRunWithoutCounterPolls) {
    sim::UsbUnit& unit = *tester_->Usb();
    constexpr int kFailing = 6;
    // A download still ending holds the channel for a moment: the next one is refused, and tried
    // again from that refusal's own failure. Only downloads that reached the unit count.
    const support::AppMessageWindow window([&] {
        const int ran = int(DownloadWindows().size());
        if (ran > kFailing) return;
        unit.PlugIn();
        unit.UnplugAfter(ran < kFailing ? 20 : 0);
        EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(image_.c_str(), 0), 1);
    });
    endWindow = window.Handle();
    unit.UnplugAfter(20);
    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(image_.c_str(), 0), 1);

    // The test's thread serves the window until the last download has passed.
    const HostMessage passed = [&] {
        const Clock::time_point deadline = Clock::now() + support::kPatience * 3;
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            const std::vector<HostMessage> fpga = CallbackRecorder::Instance().OfType(0x0F00);
            for (const HostMessage& m : fpga)
                if (IsStatus(m, 6, 100)) return m;
            if (Clock::now() > deadline) return HostMessage{};
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }();
    ASSERT_FALSE(passed.bytes.empty()) << DownloadWindows().size() << " downloads reached the unit";

    // A restart of the poller inside a download would show at once: a poller's first round comes
    // at its start.
    const std::vector<Window> windows = DownloadWindows();
    for (size_t i = 0; i < windows.size(); ++i) {
        size_t polls = 0;
        for (const sim::LoggedFrame& f : tester_->Device().Commands())
            if (f.at > windows[i].erasing && f.at < windows[i].end && IsCounterPoll(f.bytes)) ++polls;
        EXPECT_EQ(polls, 0u) << "download " << i + 1 << " was polled through";
    }
    EXPECT_EQ(windows.size(), size_t(kFailing + 1));
    EXPECT_TRUE(unit.FpgaComplete());
    ExpectPollingAgain(passed.at, "after the pass");
}

}  // namespace
