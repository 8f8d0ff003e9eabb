// The counter page around FPGA upgrades, driven by real clicks and keys: once a Brevix-H's USB unit
// has passed its download the counters move and a capture brings its frames again; a Windows 7
// download holds the once-a-second refresh stopped whatever Update says, until it ends.
#include "capture/CaptureIds.h"
#include "charts/ChartData.h"
#include "charts/Refresh.h"
#include "counters/CounterIds.h"
#include "counters/CounterRows.h"
#include "sim/CaptureEngine.h"
#include "sim/TesterControl.h"
#include "UpgradeBench.h"

#include <commctrl.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace upgradetest;

namespace {

std::wstring Row(CVorel_TAP_Test3Dlg& dialog, int row) {
    return std::wstring(dialog.portCounterWindow.RowValue(row).GetString());
}

bool UpdatePressed(CVorel_TAP_Test3Dlg& dialog) {
    return dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE) != FALSE;
}

// A plain Ethernet II frame of 64 bytes, numbered in its payload.
sim::Bytes Frame(int number) {
    sim::Bytes frame(60, 0);
    const uint8_t header[14] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x00, 0x66, 0x77, 0x88, 0x99, 0xAA, 0x88, 0xB5};
    std::copy(std::begin(header), std::end(header), frame.begin());
    frame[14] = static_cast<uint8_t>(number);
    return frame;
}

TEST_F(UpgradeDialogTest, AfterAUsbFpgaDownloadPassesCountersMoveAndACaptureBringsFramesAgain) {
    sim::FullTester& tester = StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 1000);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return panel.IsWindowVisible() != FALSE; }, kPatienceMs));
        Click(panel, IDC_UPGRADE_BROWSE);
        support::gui::PumpPending();
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return panel.downloadRunning; }, kPatienceMs));
        ASSERT_FALSE(charts::RefreshRunning()) << "the download holds the refresh";

        // The download passes; the operator opens Port A's counters, which run again.
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs));
        ASSERT_TRUE(tester.Usb()->FpgaComplete());
        ASSERT_TRUE(ChooseMenuItem(dialog, L"Statistics", 0,
                                   [&] { return dialog.portCounterWindow.IsWindowVisible() != FALSE; }));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return UpdatePressed(dialog); }, kPatienceMs));

        // Within three seconds the counters move again: the page shows the tester's new count.
        const DWORD passed = ::GetTickCount();
        const std::wstring before = Row(dialog, counters::kRxPacketRow);
        EXPECT_TRUE(support::gui::PumpUntil(
            [&] { return Row(dialog, counters::kRxPacketRow) != before && ::GetTickCount() - passed <= 3000; }, 3000))
            << "the counters froze after the download: " << before;
        const std::wstring later = Row(dialog, counters::kRxPacketRow);
        EXPECT_TRUE(support::gui::PumpUntil([&] { return Row(dialog, counters::kRxPacketRow) != later; }, kPatienceMs));

        // A capture on Port A brings the frames the port received.
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemCaptureA);
        CCaptureReport& capture = dialog.captureA;
        ASSERT_TRUE(support::gui::PumpUntil([&] { return capture.IsWindowVisible() != FALSE; }, kPatienceMs));
        const int rows = capture.captureList.GetItemCount();
        Click(capture, IDC_CAPTURE_START);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return tester.Captures().Running(0); }, kPatienceMs));
        for (int i = 0; i < 5; ++i) tester.Captures().Receive(0, Frame(i));
        Click(capture, IDC_CAPTURE_STOP);
        EXPECT_TRUE(support::gui::PumpUntil([&] { return capture.captureList.GetItemCount() >= rows + 5; }, kPatienceMs))
            << capture.captureList.GetItemCount() << " rows after the capture, " << rows << " before";
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::IsEnabled(capture.GetSafeHwnd(), IDC_CAPTURE_START); }, kPatienceMs));
    });
}

// OK on each box the Windows 7 library shows (top-level dialog boxes of this process other than the
// main dialog).
void AnswerLibraryBoxes(HWND mainDialog) {
    struct Search {
        HWND mainDialog;
        std::vector<HWND> boxes;
    } search{mainDialog, {}};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& found = *reinterpret_cast<Search*>(context);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            if (process == ::GetCurrentProcessId() && window != found.mainDialog && ::IsWindowVisible(window) &&
                std::wstring(className) == L"#32770" && ::GetDlgItem(window, IDOK) != nullptr) {
                found.boxes.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.boxes) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// The Windows 7 library's download runs on the dialog's thread, which serves the operator's input
// meanwhile: Update on the counter page, pressed during it, leaves the refresh stopped; the download's
// end (here a failure: the chip driver goes away) starts it again.
TEST_F(UpgradeDialogTest, UpdatePressedDuringAWindows7DownloadLeavesTheRefreshStoppedUntilTheDownloadEnds) {
    sim::FullTester& tester = StartTester(1);
    ChooseFpgaImage(L"BREVIX-C_FPGA_V0102.pof", 20000);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return panel.IsWindowVisible() != FALSE; }, kPatienceMs));
        Click(panel, IDC_UPGRADE_BROWSE);
        support::gui::PumpPending();
        ASSERT_TRUE(charts::RefreshRunning());

        // A thread of the test acts as the operator while this thread runs the download.
        HWND dialogWindow = dialog.GetSafeHwnd();
        HWND counterPage = dialog.portCounterWindow.GetSafeHwnd();
        HWND updateBar = dialog.portCounterWindow.counterToolBar.GetSafeHwnd();
        HWND elapsedText = panel.GetDlgItem(IDC_UPGRADE_ELAPSED)->GetSafeHwnd();
        const auto checked = [updateBar] {
            return ::SendMessageW(updateBar, TB_ISBUTTONCHECKED, ID_COUNTER_UPDATE, 0) != 0;
        };
        std::atomic<bool> pressed{false}, stayedStopped{false}, done{false}, clickReturned{false};
        std::atomic<int> samplesBefore{-1}, samplesAfter{-1};
        std::thread operatorThread([&] {
            const auto elapsed = [&] { return ElapsedSeconds(support::gui::WindowText(elapsedText)); };
            if (support::Eventually([&] { return elapsed() >= 1; }) &&
                TypeMenuChoice(dialog, L"Statistics", 0) &&
                support::Eventually([&] { return ::IsWindowVisible(counterPage) != FALSE; })) {
                samplesBefore = charts::chartData.samples;
                const auto index = static_cast<WPARAM>(::SendMessageW(updateBar, TB_COMMANDTOINDEX, ID_COUNTER_UPDATE, 0));
                RECT rect = {};
                ::SendMessageW(updateBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
                POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
                ::ClientToScreen(updateBar, &middle);
                RealClick(middle);
                pressed = true;
                // Two ticks of the page's clock later the refresh still stands.
                const int now = elapsed();
                support::Eventually([&] { return elapsed() >= now + 2; });
                stayedStopped = !checked() && !charts::RefreshRunning();
                samplesAfter = charts::chartData.samples;
            }
            // The chip driver goes away: the library's boxes are answered until the download has ended
            // and the refresh runs again.
            tester.Driver().SetPresent(false);
            // The library finds it gone at its first page after the erase's fixed 30 s wait.
            support::Eventually(
                [&] {
                    AnswerLibraryBoxes(dialogWindow);
                    return clickReturned.load();
                },
                std::chrono::seconds(30) + support::kPatience);
            done = true;
        });
        Click(panel, IDC_UPGRADE_BUTTON);
        clickReturned = true;
        EXPECT_TRUE(support::gui::PumpUntil([&] { return done.load(); }, kPatienceMs));
        operatorThread.join();
        tester.Driver().SetPresent(true);
        ASSERT_TRUE(pressed) << "the counter page was not reached during the download";
        EXPECT_TRUE(stayedStopped) << "Update started the refresh during the download";
        EXPECT_EQ(samplesBefore.load(), samplesAfter.load()) << "the refresh ran during the download";
        // The download has ended: the refresh runs, and the page's Update shows it.
        EXPECT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning && charts::RefreshRunning(); },
                                            kPatienceMs));
        EXPECT_TRUE(support::gui::PumpUntil(checked, kPatienceMs));
    });
}

}  // namespace
