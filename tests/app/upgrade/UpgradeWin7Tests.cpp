// An FPGA upgrade of a Brevix-CF through the Windows 7 library, on the main dialog's own thread
// for the whole download (about eight minutes against the simulated chip driver): its progress,
// File > Exit and Alt+F4 answered while it runs and File > Exit after it, its completion box and the
// flash holding the image; no start without the library's connection to the chip driver; a loss
// during the download told by the loss box alone; the library's own boxes owned by the main window.
#include "sim/TesterControl.h"
#include "support/BoxWatcher.h"
#include "support/Environment.h"
#include "UpgradeBench.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

using namespace upgradetest;

namespace {

// The boxes the Windows 7 library shows for real (the program's own go to the bench's stand-in):
// each one's text and owner kept, then OK pressed, from a thread of their own.
class LibraryBoxes {
public:
    LibraryBoxes()
        : thread_([this] {
              while (!done_) {
                  ::EnumWindows(&LibraryBoxes::Answer, reinterpret_cast<LPARAM>(this));
                  ::Sleep(50);
              }
          }) {}
    ~LibraryBoxes() {
        done_ = true;
        thread_.join();
    }
    struct Box {
        std::wstring text;
        HWND owner;
    };
    std::vector<Box> Boxes() {
        std::lock_guard<std::mutex> lock(lock_);
        return boxes_;
    }

private:
    static BOOL CALLBACK Answer(HWND window, LPARAM self) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        // A message box: a dialog with the box's text control (0xFFFF) and an OK button.
        if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) ||
            support::gui::ClassName(window) != L"#32770" || ::GetDlgItem(window, 0xFFFF) == nullptr ||
            ::GetDlgItem(window, IDOK) == nullptr)
            return TRUE;
        auto* boxes = reinterpret_cast<LibraryBoxes*>(self);
        {
            std::lock_guard<std::mutex> lock(boxes->lock_);
            if (boxes->answered_.insert(window).second)
                boxes->boxes_.push_back({support::MessageBoxText(window), ::GetWindow(window, GW_OWNER)});
        }
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }

    std::atomic<bool> done_{false};
    // Guarded by lock_: written by the answering thread, read by the test.
    std::mutex lock_;
    std::vector<Box> boxes_;
    std::set<HWND> answered_;
    std::thread thread_;
};

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
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2].text, L"Complete FPGA upgrade! \nPlease restart Brevix-series and Vorels-NIC!");
    EXPECT_EQ(shown[3].type & MB_YESNO, UINT(MB_YESNO)) << "the quit question";
    const sim::Bytes window = ReversedWindow(image);
    EXPECT_EQ(tester.Driver().Flash().Contents(0, window.size()), window) << "the flash holds the image";
}

// The chip driver gone when the program starts: the library's connection fails with its own
// boxes, each owned by the main window, and Upgrade is then refused with one box of the program's.
TEST_F(UpgradeDialogTest, WithoutTheChipDriverAtStartUpUpgradeIsRefusedAndTheLibrarysBoxesAreOwned) {
    sim::FullTester& tester = StartTester(1);
    ChooseFpgaImage(L"BREVIX-C_FPGA_V0102.pof", 20000);
    tester.Driver().SetPresent(false);
    LibraryBoxes libraryBoxes;
    BoxAnswers boxes;
    HWND window = nullptr;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        window = dialog.GetSafeHwnd();
        tester.Driver().SetPresent(true);
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_NE(boxes.Boxes()[0].text.find(L"FPGA upgrade is not possible"), std::wstring::npos);
        EXPECT_EQ(boxes.Boxes()[0].owner, window);
        EXPECT_TRUE(panel.IsWindowEnabled());
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_ELAPSED));
        EXPECT_EQ(tester.Driver().Flash().Erases(), 0u);
    });
    const std::vector<LibraryBoxes::Box> shown = libraryBoxes.Boxes();
    ASSERT_FALSE(shown.empty()) << "the library told of the missing driver";
    for (const LibraryBoxes::Box& box : shown) EXPECT_EQ(box.owner, window) << "owned by the main window: " << box.text;
}

// The tester lost during the erase's wait, then the chip driver gone: the library's failed
// transaction shows its boxes (owned by the main window) and returns; the loss box follows it, and
// it is the program's only box of the download.
TEST_F(UpgradeDialogTest, ALossDuringAWindows7DownloadIsToldByTheLossBoxAlone) {
    sim::FullTester& tester = StartTester(1);
    sim::TesterControl control(tester, nullptr, support::TestNetwork().hostInterface);
    ChooseFpgaImage(L"BREVIX-C_FPGA_V0102.pof", 20000);
    LibraryBoxes libraryBoxes;
    BoxAnswers boxes;
    HWND window = nullptr;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        window = dialog.GetSafeHwnd();
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        const HWND status = panel.GetDlgItem(IDC_UPGRADE_STATUS)->GetSafeHwnd();
        std::atomic<bool> returned{false}, lossShown{false}, done{false};
        std::thread operatorThread([&] {
            if (support::Eventually([&] { return support::gui::WindowText(status) == L"Status: Erase EEProm"; })) {
                control.Execute("lose");
                lossShown = support::Eventually(
                    [&] { return support::gui::ControlText(window, IDC_CONNECTION_TEXT) == L"Disconnected"; });
            }
            tester.Driver().SetPresent(false);
            support::Eventually([&] { return returned.load(); }, std::chrono::seconds(30) + support::kPatience);
            done = true;
        });
        Click(panel, IDC_UPGRADE_BUTTON);
        returned = true;
        EXPECT_TRUE(support::gui::PumpUntil([&] { return done.load(); }, kPatienceMs));
        operatorThread.join();
        ASSERT_TRUE(lossShown) << "the loss reached the window during the download";
        support::gui::PumpPending();
        const std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u) << "one box of the program's: " << (shown.empty() ? std::wstring() : shown.back().text);
        EXPECT_EQ(shown[0].text, L"The device is disconnected!");
        EXPECT_EQ(shown[0].owner, window);
        EXPECT_EQ(tester.Driver().Flash().Erases(), 1u);
    });
    control.Execute("return");
    tester.Driver().SetPresent(true);
    const std::vector<LibraryBoxes::Box> shown = libraryBoxes.Boxes();
    ASSERT_FALSE(shown.empty()) << "the library told of the failed transaction";
    for (const LibraryBoxes::Box& box : shown) EXPECT_EQ(box.owner, window) << "owned by the main window: " << box.text;
}

}  // namespace
