// The simulated tester's download paths failed on demand and served again, through the device
// API's and the Windows 7 library's real exports.
#include "sim/TesterControl.h"

#include <BrevixCAPI.h>
#include <BrevixCFlash.h>
#include <BrevixTWin7.h>

#include "support/BoxWatcher.h"
#include "support/CallbackRecorder.h"
#include "support/FpgaImageFile.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

using namespace std::chrono_literals;
using support::CallbackRecorder;
using support::HostMessage;

uint16_t Word(const HostMessage& m, size_t at) { return uint16_t(m.bytes[at] | m.bytes[at + 1] << 8); }

bool IsFpgaStatus(const HostMessage& m, uint16_t status) { return m.Type() == 0x0F00 && Word(m, 18) == status; }

class UpgradeDeviceTest : public testing::Test {
protected:
    void Play(int machineId) {
        std::string error;
        auto link = support::OpenTesterLink(support::TestNetwork(), &error);
        ASSERT_TRUE(link) << error;
        tester_ = std::make_unique<sim::FullTester>(std::move(link), machineId, L"");
        tester_->Start();
        tester_->Host().Attach();
        control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, "");
    }
    void TearDown() override {
        for (const support::SeenBox& box : boxes_.Boxes())
            ADD_FAILURE() << "a box: " << std::string(box.text.begin(), box.text.end());
        BrevixC_SYS_TerminateProcess();
        if (tester_) tester_->Stop();
        DeleteFileW(path_.c_str());
    }

    std::wstring WriteFile(const sim::Bytes& bytes) {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        path_ = std::wstring(folder) + L"BREVIX-H_FPGA_" + std::to_wstring(GetCurrentProcessId()) + L".pof";
        std::ofstream(path_.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path_;
    }

    support::BoxWatcher boxes_;
    std::unique_ptr<sim::FullTester> tester_;
    // The control channel's language, as a person or a test types it.
    std::unique_ptr<sim::TesterControl> control_;
    std::wstring path_;
};

TEST_F(UpgradeDeviceTest, SilentUnitHoldsAUsbFpgaDownloadAtItsFirstChunkUntilItAnswersAgain) {
    Play(3);
    ASSERT_EQ(control_->Execute("fail silent"), "ok: downloads fail: silent");
    const sim::Bytes file = support::PofImage(1000);
    ASSERT_EQ(BrevixC_SYS_Init(&CallbackRecorder::Callback, 0), 1);
    CallbackRecorder& recorder = CallbackRecorder::Instance();
    recorder.Clear();
    ASSERT_NE(BrevixC_SYS_DownloadFPGAW(WriteFile(file).c_str(), 0), 0);

    // The worker keeps saying that it waits for the unit, and nothing of the image arrived.
    const auto waitingNotices = [&] {
        size_t waiting = 0;
        for (const HostMessage& m : recorder.OfType(0x0F00)) waiting += IsFpgaStatus(m, 4);
        return waiting;
    };
    ASSERT_TRUE(support::Eventually([&] { return waitingNotices() >= 3; }));
    for (const HostMessage& m : recorder.OfType(0x0F00)) EXPECT_TRUE(IsFpgaStatus(m, 4));
    EXPECT_FALSE(tester_->Usb()->FpgaComplete());

    // Answering again, the unit gets its first chunk once more and the whole window after it.
    ASSERT_EQ(control_->Execute("FAIL none"), "ok: downloads served again");
    ASSERT_FALSE(recorder.WaitFor([](const HostMessage& m) { return IsFpgaStatus(m, 6); }, 60s).bytes.empty());
    EXPECT_TRUE(tester_->Usb()->FpgaComplete());
    sim::Bytes window(file.begin() + 6, file.end());
    for (uint8_t& byte : window) byte = support::Reversed(byte);
    EXPECT_EQ(tester_->Usb()->Fpga(), window) << "the data window, bit-reversed";
}

TEST_F(UpgradeDeviceTest, VerifyFaultKeepsTheFirstFlashPageThroughEveryProgram) {
    Play(1);
    EXPECT_EQ(control_->Execute("fail silent"), "error: no USB unit to fall silent");
    EXPECT_EQ(control_->Execute("fail loudly").rfind("error: unknown command", 0), 0u);
    ASSERT_TRUE(BrevixT_EEProm_Init_Win7());
    ASSERT_TRUE(BrevixT_EEProm_Chip_Erase_Win7());
    ASSERT_EQ(control_->Execute("fail verify"), "ok: downloads fail: verify");
    uint8_t data[256];
    for (int i = 0; i < 256; ++i) data[i] = uint8_t(i ^ 0x5A);
    const auto readBack = [](uint16_t page) {
        uint8_t bytes[256] = {};
        EXPECT_TRUE(BrevixT_EEProm_Read_Win7(bytes, page, 256));
        return sim::Bytes(bytes, bytes + 256);
    };
    for (int pass = 0; pass < 3; ++pass) ASSERT_TRUE(BrevixT_EEProm_Page_Prog(0, data, 256));
    ASSERT_TRUE(BrevixT_EEProm_Page_Prog(1, data, 256));
    EXPECT_EQ(readBack(0), sim::Bytes(256, 0xFF)) << "the refusing page";
    EXPECT_EQ(readBack(1), sim::Bytes(data, data + 256));

    ASSERT_EQ(control_->Execute("fail none"), "ok: downloads served again");
    ASSERT_TRUE(BrevixT_EEProm_Page_Prog(0, data, 256));
    EXPECT_EQ(readBack(0), sim::Bytes(data, data + 256));
    BrevixT_EEProm_Shutdown_Win7();
}

}  // namespace
