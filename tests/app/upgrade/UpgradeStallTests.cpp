// A download that makes no progress, as an operator meets it: against a Brevix-H whose USB unit
// takes packets and answers none, the program refuses to close only while the download moves.
// Once no status has come for the page's silence (the calendar clock moved past it), Cancel ends
// the transfer and a quit asks whether to end it; a loss ends it with the loss's box alone.
#include "sim/DownloadFaults.h"
#include "sim/TesterControl.h"
#include "support/Environment.h"
#include "support/gui/Seams.h"
#include "UpgradeBench.h"

#include <ctime>
#include <memory>

using namespace upgradetest;

namespace {

constexpr wchar_t kFpgaWorker[] = L"UsbFpgaDownload";
const std::wstring kFpgaFailed = L"Fail to upgrade FPGA!";
const std::wstring kLost = L"The device is disconnected!";

// NIC mode as the tester's registers hold it: bit 7 of each port's stream control.
constexpr uint32_t kStreamControlA = 0x410000CC;
constexpr uint32_t kStreamControlB = 0x430000CC;
constexpr uint32_t kNicMode = 0x80;

class StalledDownloadTest : public UpgradeDialogTest {
protected:
    // The page of FPGA Upgrade shown by a click, its file chosen and Upgrade clicked, the unit
    // silent: the first chunk taken and nothing answered. The start-up's media detection has ended
    // first (its panel, judged on the same clock, would fail once the clock is moved).
    void StartSilentDownload(CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        sim::UsbUnit& unit = *tester_->Usb();
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(panel.IsWindowVisible());
        Click(panel, IDC_UPGRADE_BROWSE);
        ASSERT_FALSE(Text(panel, IDC_UPGRADE_PATH).empty());
        ASSERT_TRUE(sim::SetDownloadFault(*tester_, sim::DownloadFault::SilentUnit));
        unit.ClearReceived();
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return unit.ReceivedCount() == 1; }, kPatienceMs)) << "chunk 0";
        ASSERT_EQ(CountNamedThreads(kFpgaWorker), 1);
    }
    // The unit's journal after the library's worker has ended: the one chunk it took.
    void ExpectTransferEndedAtItsFirstChunk() {
        EXPECT_TRUE(support::gui::PumpUntil([] { return CountNamedThreads(kFpgaWorker) == 0; }, kPatienceMs));
        const std::vector<sim::UsbPacket> received = tester_->Usb()->Received();
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].bytes[0], 10) << "an FPGA chunk";
    }
    bool InNicMode(uint32_t streamControl) {
        return (tester_->Device().Registers().Get(streamControl) & kNicMode) != 0;
    }
    // A download left running by a failed assertion ends at the page's time-out, so that the
    // dialog can end.
    static void EndAnyDownload(CUpgradeDialog& panel, support::gui::FakeClock& clock) {
        if (!panel.downloadRunning) return;
        clock.Advance(CUpgradeDialog::kFpgaSeconds);
        support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs);
    }
};

TEST_F(StalledDownloadTest, CancelEndsATransferThatNoLongerMoves) {
    StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        support::gui::FakeClock clock(_time64(nullptr));
        CWnd& cancel = *panel.GetDlgItem(IDCANCEL);
        EXPECT_FALSE(cancel.IsWindowEnabled()) << "a download that has just begun is not left";

        // No status for the page's silence: its next second offers Cancel.
        clock.Advance(CUpgradeDialog::kSilenceSeconds);
        EXPECT_TRUE(support::gui::PumpUntil(
            [&] { return panel.IsWindowEnabled() && cancel.IsWindowVisible() && cancel.IsWindowEnabled(); },
            kPatienceMs));
        EXPECT_FALSE(panel.upgradeButton.IsWindowEnabled());
        EXPECT_FALSE(panel.GetDlgItem(IDC_UPGRADE_BROWSE)->IsWindowEnabled());

        // The real mouse on Cancel: the transfer ends within a few seconds, with the failure box.
        dialog.SetForegroundWindow();
        CRect button;
        cancel.GetWindowRect(&button);
        RealClick(button.CenterPoint());
        EXPECT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, 5000));
        EXPECT_EQ(boxes.CountWithText(kFpgaFailed), 1u);
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Fail");
        EXPECT_TRUE(dialog.ContinueModal()) << "Cancel ends the download, not the program";
        // The library's worker ends before its next chunk: the unit's journal goes quiet.
        ExpectTransferEndedAtItsFirstChunk();
        EXPECT_TRUE(panel.IsWindowEnabled());
        EndAnyDownload(panel, clock);
        ASSERT_TRUE(sim::SetDownloadFault(*tester_, sim::DownloadFault::None));
    });
    EXPECT_TRUE(Logs(L"Upgrade_*.log").empty()) << "a failed download leaves no upgrade log";
}

TEST_F(StalledDownloadTest, AltF4AnsweredYesEndsAStalledDownloadAndTheProgramCleanly) {
    StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
    BoxAnswers boxes;
    const INT_PTR result = RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(InNicMode(kStreamControlA));
        support::gui::FakeClock clock(_time64(nullptr));

        // While the download is young, Alt+F4 is refused as before.
        dialog.SetForegroundWindow();
        TypeAltF4();
        EXPECT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kUpgradeKeepsProgram) == 1; },
                                            kPatienceMs));
        EXPECT_TRUE(dialog.ContinueModal());

        // Silent for the page's silence: Alt+F4 asks whether to end the download and quit; Yes.
        clock.Advance(CUpgradeDialog::kSilenceSeconds);
        const size_t before = boxes.Boxes().size();
        TypeAltF4();
        const bool ended = support::gui::PumpUntil([&] { return !dialog.ContinueModal(); }, kPatienceMs);
        if (!ended) EndAnyDownload(panel, clock);
        ASSERT_TRUE(ended) << "the program ends";
        const std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), before + 1) << "one question, no failure box";
        EXPECT_EQ(shown.back().type & MB_YESNO, UINT(MB_YESNO));
        EXPECT_EQ(shown.back().text.find(L"The upgrade has made no progress"), 0u) << "the question";
        EXPECT_FALSE(panel.downloadRunning);
    });
    EXPECT_EQ(result, IDCANCEL);
    // Ended cleanly: both ports out of NIC mode, the library's threads (the download worker with
    // them) ended by its terminate, and the unit took nothing more.
    EXPECT_FALSE(InNicMode(kStreamControlA));
    EXPECT_FALSE(InNicMode(kStreamControlB));
    EXPECT_TRUE(support::Eventually([] { return CountNamedThreads(L"BrevixCAPI") == 0; }));
    ExpectTransferEndedAtItsFirstChunk();
    ASSERT_TRUE(sim::SetDownloadFault(*tester_, sim::DownloadFault::None));
}

TEST_F(StalledDownloadTest, ALossDuringADownloadEndsItWithTheLossBoxAlone) {
    StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
    sim::TesterControl control(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        support::gui::FakeClock clock(_time64(nullptr));
        const size_t before = boxes.Boxes().size();
        ASSERT_EQ(control.Execute("lose").find("ok"), 0u);
        EXPECT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; }, kPatienceMs));
        EXPECT_FALSE(panel.downloadRunning) << "the loss ends the download";
        // Once the library's worker has ended (its last report a failure), the loss's box is still
        // the only one.
        ExpectTransferEndedAtItsFirstChunk();
        support::gui::PumpPending();
        const std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), before + 1);
        EXPECT_EQ(shown.back().text, kLost);
        EXPECT_EQ(shown.back().owner, dialog.GetSafeHwnd()) << "owned by the main window";
        EXPECT_EQ(boxes.CountWithText(kFpgaFailed), 0u);
        EndAnyDownload(panel, clock);
        ASSERT_TRUE(sim::SetDownloadFault(*tester_, sim::DownloadFault::None));
    });
    if (control.Lost()) control.Execute("return");
}

}  // namespace
