// A download that makes no progress, as an operator meets it and on the real clock: against a
// Brevix-H whose USB unit takes packets and answers none (the simulator's `fail silent`), the
// library re-sends the first chunk and reports "erasing" every second, and none of that is
// progress. Once the page's bound has passed, Cancel is offered and says what leaving may leave on
// the tester, Cancel ends the transfer, a quit asks and ends it, and after `fail none` the next
// Upgrade passes. A loss ends the download with the loss's box and the page saying it failed; a
// change of the calendar clock offers nothing.
#include "main/DebugStream.h"
#include "sim/TesterControl.h"
#include "support/Environment.h"
#include "support/gui/Seams.h"
#include "UpgradeBench.h"

#include <chrono>
#include <ctime>
#include <sstream>

using namespace upgradetest;

namespace {

constexpr wchar_t kFpgaWorker[] = L"UsbFpgaDownload";
constexpr uint8_t kFpgaChunk = 10;
const std::wstring kFpgaFailed = L"Fail to upgrade FPGA!";
const std::wstring kLost = L"The device is disconnected!";
const std::wstring kOffered = L"The upgrade has made no progress for 90 seconds: Cancel ends it.";
const std::wstring kFlashWarning =
    L"The tester's flash may now be erased or half written: it may need this upgrade again before it is switched off.";
const std::wstring kEndedEarlyJapanese =
    L"アップグレード失敗: 装置がファイル全体を受け取る前に終了しました。\n"
    L"装置のフラッシュは消去済みか、書き込み途中かもしれません。\n"
    L"電源を切る前に、このアップグレードをもう一度行う必要があるかもしれません。";

// NIC mode as the tester's registers hold it: bit 7 of each port's stream control.
constexpr uint32_t kStreamControlA = 0x410000CC;
constexpr uint32_t kStreamControlB = 0x430000CC;
constexpr uint32_t kNicMode = 0x80;

// The real bound and the page's next second, with the shared patience on top.
const DWORD kOfferWaitMs = DWORD(CUpgradeDialog::kNoProgressSeconds) * 1000 + kPatienceMs;

// The program's trace lines, kept while it lives.
class ProgramLogLines {
public:
    ProgramLogLines() : previous_(ProgramLog().rdbuf(&lines_)) {}
    ~ProgramLogLines() { ProgramLog().rdbuf(previous_); }
    ProgramLogLines(const ProgramLogLines&) = delete;
    ProgramLogLines& operator=(const ProgramLogLines&) = delete;
    std::wstring Text() const { return lines_.str(); }

private:
    std::wstringbuf lines_;
    std::wstreambuf* previous_;
};

// A download a failed check left running ends at the page's time-out (the calendar clock moved past
// it) when the driver returns, so that the dialog can end.
class EndsAnyDownload {
public:
    explicit EndsAnyDownload(CUpgradeDialog& panel) : panel_(panel) {}
    ~EndsAnyDownload() {
        if (!panel_.downloadRunning) return;
        support::gui::FakeClock clock(_time64(nullptr));
        clock.Advance(CUpgradeDialog::kFpgaSeconds);
        support::gui::PumpUntil([&] { return !panel_.downloadRunning; }, kPatienceMs);
    }
    EndsAnyDownload(const EndsAnyDownload&) = delete;
    EndsAnyDownload& operator=(const EndsAnyDownload&) = delete;

private:
    CUpgradeDialog& panel_;
};

class StalledDownloadTest : public UpgradeDialogTest {
protected:
    void SetUp() override {
        UpgradeDialogTest::SetUp();
        StartTester(3);
        image_ = ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
        control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    }
    void TearDown() override {
        if (control_->Lost()) control_->Execute("return");
        control_->Execute("fail none");
        UpgradeDialogTest::TearDown();
    }
    // The page of FPGA Upgrade shown by a click, its file chosen and Upgrade clicked, the unit made
    // silent by the simulator's command: the first chunk taken and nothing answered, the library
    // reporting that the unit erases.
    void StartSilentDownload(CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(panel.IsWindowVisible());
        Click(panel, IDC_UPGRADE_BROWSE);
        ASSERT_FALSE(Text(panel, IDC_UPGRADE_PATH).empty());
        ASSERT_EQ(control_->Execute("fail silent").find("ok"), 0u);
        tester_->Usb()->ClearReceived();
        Click(panel, IDC_UPGRADE_BUTTON);
        started_ = std::chrono::steady_clock::now();
        ASSERT_TRUE(panel.downloadRunning);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return Text(panel, IDC_UPGRADE_STATUS) == L"Status: Erasing"; },
                                            kPatienceMs));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return tester_->Usb()->ReceivedCount() == 1; }, kPatienceMs))
            << "chunk 0";
        ASSERT_EQ(CountNamedThreads(kFpgaWorker), 1);
    }
    // Waits on the real clock for the page to offer Cancel; false when it did not come.
    bool AwaitCancelOffered(CUpgradeDialog& panel) {
        CWnd& cancel = *panel.GetDlgItem(IDCANCEL);
        const bool offered = support::gui::PumpUntil(
            [&] { return panel.IsWindowEnabled() && cancel.IsWindowVisible() && cancel.IsWindowEnabled(); },
            kOfferWaitMs);
        offeredAfter_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        EXPECT_TRUE(offered) << "Cancel offered once the bound has passed";
        return offered;
    }
    // Once the library's worker has ended: the unit's journal holds copies of chunk 0 alone, as many
    // as it held when the download was left.
    void ExpectTransferEndedAtChunkZero(size_t copiesWhenLeft) {
        EXPECT_TRUE(support::gui::PumpUntil([] { return CountNamedThreads(kFpgaWorker) == 0; }, kPatienceMs));
        const std::vector<sim::UsbPacket> received = tester_->Usb()->Received();
        EXPECT_EQ(received.size(), copiesWhenLeft);
        for (const sim::UsbPacket& packet : received) {
            EXPECT_EQ(packet.bytes[0], kFpgaChunk);
            EXPECT_EQ(packet.bytes[2] | packet.bytes[3] << 8, 0) << "only chunk 0 went";
        }
    }
    bool InNicMode(uint32_t streamControl) {
        return (tester_->Device().Registers().Get(streamControl) & kNicMode) != 0;
    }

    sim::Bytes image_;
    std::unique_ptr<sim::TesterControl> control_;
    std::chrono::steady_clock::time_point started_;
    // Seconds from the Upgrade click to the offer of Cancel.
    double offeredAfter_ = 0;
};

TEST_F(StalledDownloadTest, CancelEndsADownloadWithoutProgressAndTheNextUpgradePasses) {
    BoxAnswers boxes;
    const ProgramLogLines log;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        const EndsAnyDownload ending(panel);
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        CWnd& cancel = *panel.GetDlgItem(IDCANCEL);
        EXPECT_FALSE(cancel.IsWindowEnabled()) << "a download that has just begun is not left";

        // The library re-sends chunk 0 every 25 s and says "erasing" every second meanwhile: none
        // of it holds the offer back beyond the bound, nor brings it before.
        if (!AwaitCancelOffered(panel)) return;
        EXPECT_GE(offeredAfter_, CUpgradeDialog::kNoProgressSeconds - 1.0);
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Erasing");
        EXPECT_GE(tester_->Usb()->ReceivedCount(), 3u) << "chunk 0 sent again while the unit was silent";
        EXPECT_FALSE(panel.upgradeButton.IsWindowEnabled());
        EXPECT_FALSE(panel.GetDlgItem(IDC_UPGRADE_BROWSE)->IsWindowEnabled());
        // What Cancel means is on the page, and in the program's log, before it is clicked.
        const std::wstring notice = Text(panel, IDC_UPGRADE_NOTICE);
        EXPECT_EQ(notice, kOffered + L"\n" + kFlashWarning);
        EXPECT_NE(log.Text().find(notice), std::wstring::npos);
        support::gui::PumpPending();
        SavePicture(dialog.GetSafeHwnd(), L"vorels-upgrade-stalled-cancel-offered");

        // The real mouse on Cancel: the transfer ends within a few seconds, with the failure box.
        dialog.SetForegroundWindow();
        CRect button;
        cancel.GetWindowRect(&button);
        const size_t copies = tester_->Usb()->ReceivedCount();
        RealClick(button.CenterPoint());
        EXPECT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, 5000));
        EXPECT_EQ(boxes.CountWithText(kFpgaFailed), 1u);
        EXPECT_TRUE(dialog.ContinueModal()) << "Cancel ends the download, not the program";
        EXPECT_NE(log.Text().find(kFlashWarning, log.Text().find(notice) + notice.size()), std::wstring::npos)
            << "the end is logged with what it may leave";
        ExpectTransferEndedAtChunkZero(copies);

        // The unit answers again: the next Upgrade from the page passes, the whole image written.
        ASSERT_EQ(control_->Execute("fail none").find("ok"), 0u);
        tester_->Usb()->ClearReceived();
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(panel.IsWindowVisible());
        EXPECT_EQ(Text(panel, IDC_UPGRADE_NOTICE).find(L"Due to PC hardware performance issues, FPGA"), 0u);
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        EXPECT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs));
        EXPECT_TRUE(tester_->Usb()->FpgaComplete());
        EXPECT_EQ(tester_->Usb()->Fpga(), ReversedWindow(image_));
        EXPECT_EQ(boxes.CountWithText(kFpgaFailed), 1u) << "no failure after the first";
    });
    EXPECT_EQ(Logs(L"Upgrade_FPGA_*.log").size(), 1u) << "the log of the passed download alone";
}

TEST_F(StalledDownloadTest, AltF4AnsweredYesEndsADownloadWithoutProgressAndTheProgram) {
    BoxAnswers boxes;
    size_t copies = 0;
    const INT_PTR result = RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        const EndsAnyDownload ending(panel);
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(InNicMode(kStreamControlA));

        // While the download is young, Alt+F4 is refused.
        dialog.SetForegroundWindow();
        TypeAltF4();
        EXPECT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kUpgradeKeepsProgram) == 1; },
                                            kPatienceMs));
        EXPECT_TRUE(dialog.ContinueModal());

        // Past the bound on the real clock, Alt+F4 asks whether to end the download and quit: Yes.
        if (!AwaitCancelOffered(panel)) return;
        const size_t before = boxes.Boxes().size();
        copies = tester_->Usb()->ReceivedCount();
        dialog.SetForegroundWindow();
        TypeAltF4();
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.ContinueModal(); }, kPatienceMs))
            << "the program ends";
        const std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), before + 1) << "one question, no failure box";
        EXPECT_EQ(shown.back().type & MB_YESNO, UINT(MB_YESNO));
        EXPECT_EQ(shown.back().text,
                  L"The upgrade has made no progress for a while, or the device is disconnected.\nQuitting now ends "
                  L"the upgrade. " +
                      kFlashWarning +
                      L"\nClick YES to end the upgrade and quit Vorels-NIC, or click NO to cancel.");
        EXPECT_FALSE(panel.downloadRunning);
    });
    EXPECT_EQ(result, IDCANCEL);
    // Ended as any quit: both ports out of NIC mode, the library terminated (its threads, the
    // download worker with them, ended), and the unit took nothing more.
    EXPECT_FALSE(InNicMode(kStreamControlA));
    EXPECT_FALSE(InNicMode(kStreamControlB));
    EXPECT_TRUE(support::Eventually([] { return CountNamedThreads(L"BrevixCAPI") == 0; }));
    ExpectTransferEndedAtChunkZero(copies);
}

TEST_F(StalledDownloadTest, ALossDuringADownloadLeavesThePageSayingItFailed) {
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(ChooseMenuItem(dialog, L"Language", 1, [&] { return dialog.languageIndex == 3; }));
        const EndsAnyDownload ending(panel);
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        const size_t before = boxes.Boxes().size();
        ASSERT_EQ(control_->Execute("lose").find("ok"), 0u);
        EXPECT_TRUE(support::gui::PumpUntil([&] { return boxes.Boxes().size() == before + 1; }, kPatienceMs));
        EXPECT_FALSE(panel.downloadRunning) << "the loss ends the download";
        // Once the library's worker has ended (its last report a failure), the loss's box is still
        // the only one, and the page, where it was, says that the upgrade failed.
        ExpectTransferEndedAtChunkZero(1);
        support::gui::PumpPending();
        const std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), before + 1);
        EXPECT_EQ(shown.back().text, L"装置切断しました!");
        EXPECT_TRUE(panel.IsWindowVisible()) << "the page under FPGA Upgrade stays";
        EXPECT_TRUE(Shown(panel, IDC_UPGRADE_STATUS));
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Fail");
        EXPECT_TRUE(Shown(panel, IDC_UPGRADE_NOTICE));
        EXPECT_EQ(Text(panel, IDC_UPGRADE_NOTICE), kEndedEarlyJapanese);
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_ELAPSED));
        SavePicture(dialog.GetSafeHwnd(), L"vorels-upgrade-lost-during-download");
        // The note belongs to the FPGA page: the firmware page does not show it.
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_NOTICE));
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_STATUS));
    });
}

TEST_F(StalledDownloadTest, ACalendarClockThatRunsAheadOffersNoCancel) {
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        const EndsAnyDownload ending(panel);
        StartSilentDownload(dialog, panel);
        if (HasFatalFailure()) return;
        CWnd& cancel = *panel.GetDlgItem(IDCANCEL);
        bool offered = false;
        {
            // Every reading of the calendar clock moves it on by two minutes: the page's time-out,
            // judged on that clock, ends the download within seconds; Cancel is never offered.
            const support::gui::FakeClock clock(_time64(nullptr), 120);
            EXPECT_TRUE(support::gui::PumpUntil(
                [&] {
                    if (!panel.downloadRunning) return true;
                    offered = offered || cancel.IsWindowEnabled() != FALSE;
                    return false;
                },
                3 * kPatienceMs));
        }
        EXPECT_FALSE(offered);
        EXPECT_EQ(boxes.CountWithText(kFpgaFailed), 1u) << "ended by the page's time-out";
    });
}

}  // namespace
