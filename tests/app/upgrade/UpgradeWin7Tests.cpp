// An FPGA upgrade of a Brevix-CF through the Windows 7 library, on the main dialog's own thread
// for the whole download (about eight minutes against the simulated chip driver): its progress,
// File > Exit and Alt+F4 answered while it runs and File > Exit after it, its completion box and the
// flash holding the image; and no start without the library.
#include "UpgradeBench.h"

#include <atomic>
#include <thread>

using namespace upgradetest;

namespace {

TEST_F(UpgradeDialogTest, FpgaUpgradeOfABrevixCfRunsThroughTheWindows7LibraryToItsCompletionBox) {
    sim::FullTester& tester = StartTester(1);
    const sim::Bytes image = ChooseFpgaImage(L"BREVIX-C_FPGA_V0102.pof", 20000);
    // While the completion box is up the page's bar shows the download whole, on the screen too.
    int positionAtBox = -1, highestPosition = -1;
    COLORREF endOfBar = 0;
    const BoxAnswers::Answer pictureOfBox = PictureOfBox(L"Complete FPGA upgrade!", L"vorels-upgrade-fpga-done");
    BoxAnswers boxes([&](const ShownBox& box) {
        if (box.text.rfind(L"Complete FPGA upgrade!", 0) == 0 && theMainDialog) {
            CProgressCtrl& bar = theMainDialog->upgradePanel.progressBar;
            positionAtBox = bar.GetPos();
            highestPosition = int(bar.SendMessage(PBM_GETRANGE, FALSE, 0));
            const support::gui::Picture picture = support::gui::CaptureWindow(bar.GetSafeHwnd(), false);
            support::gui::SavePng(picture, support::gui::PicturePath(L"vorels-upgrade-fpga-done-bar"));
            endOfBar = picture.At(picture.width * 19 / 20, picture.height / 2);
        }
        return pictureOfBox(box);
    });
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));

        // Without the flash library's connection the operator is told once, and nothing starts.
        ASSERT_EQ(dialog.flashLibraryReady, 1) << "the library connected at start-up";
        dialog.flashLibraryReady = 0;
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_NE(boxes.Boxes()[0].text.find(L"FPGA upgrade is not possible"), std::wstring::npos);
        EXPECT_TRUE(panel.IsWindowEnabled());
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_ELAPSED));
        EXPECT_EQ(tester.Driver().Flash().Erases(), 0u);
        dialog.flashLibraryReady = 1;

        // The download runs on this thread: a thread of the test watches it, keeps its picture and
        // tries to close the program, as the operator would.
        std::atomic<bool> running{true};
        std::atomic<bool> moved{false};
        std::atomic<int> refusedQuits{0};
        std::atomic<bool> watched{false};
        std::thread watcher([&] {
            HWND window = dialog.GetSafeHwnd();
            HWND status = panel.GetDlgItem(IDC_UPGRADE_STATUS)->GetSafeHwnd();
            HWND progress = panel.progressBar.GetSafeHwnd();
            HWND elapsedText = panel.GetDlgItem(IDC_UPGRADE_ELAPSED)->GetSafeHwnd();
            int firstElapsed = -1, firstPosition = -1;
            while (running && !moved) {
                const int elapsed = ElapsedSeconds(support::gui::WindowText(elapsedText));
                const int position = int(::SendMessageW(progress, PBM_GETPOS, 0, 0));
                if (support::gui::WindowText(status) == L"Status: Upgrade FPGA file") {
                    if (firstElapsed < 0) firstElapsed = elapsed, firstPosition = position;
                    else if (elapsed > firstElapsed + 1 && position > firstPosition) moved = true;
                }
                ::Sleep(100);
            }
            if (moved) {
                support::gui::SavePng(support::gui::CaptureWindow(window, false),
                                      support::gui::PicturePath(L"vorels-upgrade-fpga-running"));
                refusedQuits = RefusedQuits(dialog, boxes, [](auto done) { return support::Eventually(done); });
            }
            watched = true;
        });
        Click(panel, IDC_UPGRADE_BUTTON);
        running = false;
        // The watcher reads and draws this thread's windows through messages: serve them until it
        // is done, or the two threads would wait for each other.
        EXPECT_TRUE(support::gui::PumpUntil([&] { return watched.load(); }, DWORD(support::kPatience.count())));
        watcher.join();
        EXPECT_TRUE(moved) << "progress and elapsed time moved while pages were programmed";
        EXPECT_EQ(refusedQuits, 2) << "File > Exit and Alt+F4 answered while pages were programmed";
        for (int id : {IDC_UPGRADE_BUTTON, IDCANCEL, IDC_UPGRADE_BROWSE})
            EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), id)) << id << " looks as it works: disabled";
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Finish!");
        EXPECT_FALSE(panel.downloadRunning);
        EXPECT_FALSE(panel.IsWindowEnabled()) << "the page waits for the tester and the program to restart";
        const int shown = ElapsedShown(panel);
        support::gui::PumpFor(2500);
        EXPECT_EQ(ElapsedShown(panel), shown) << "the finish stopped the elapsed-time timer";
        EXPECT_TRUE(ExitByKeys(dialog)) << "File > Exit ends the program once the download has ended";
    });
    EXPECT_EQ(positionAtBox, highestPosition) << "the bar is full while the completion box is up";
    EXPECT_EQ(endOfBar, ::GetSysColor(COLOR_HIGHLIGHT)) << "the bar's end drawn filled";
    const std::vector<ShownBox> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[3].text, L"Complete FPGA upgrade! \nPlease restart Brevix-series and Vorels-NIC!");
    EXPECT_EQ(shown[4].type & MB_YESNO, UINT(MB_YESNO)) << "the quit question";
    const sim::Bytes window = ReversedWindow(image);
    EXPECT_EQ(tester.Driver().Flash().Contents(0, window.size()), window) << "the flash holds the image";
}

}  // namespace
