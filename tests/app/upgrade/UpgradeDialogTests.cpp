// The upgrade page of the real main dialog against the simulated tester: Browse's name markers,
// an FPGA upgrade through the device API (a Brevix-H's USB unit) to its completion box and log, a
// firmware upgrade, and the ends of a download that fails, is refused or falls silent.
#include "counters/CounterIds.h"
#include "sim/DownloadFaults.h"
#include "sim/TesterControl.h"
#include "support/Environment.h"
#include "support/BoxWatcher.h"
#include "support/gui/Seams.h"
#include "UpgradeBench.h"

#include <atomic>
#include <ctime>
#include <mutex>
#include <thread>

using namespace upgradetest;

namespace {

// Answers the library's own boxes captioned "Error" (outside the framework's) and keeps their texts.
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
    std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> lock(lock_);
        return texts_;
    }

private:
    static BOOL CALLBACK Answer(HWND window, LPARAM self) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) ||
            support::gui::ClassName(window) != L"#32770" || support::gui::WindowText(window) != L"Error")
            return TRUE;
        auto* boxes = reinterpret_cast<LibraryBoxes*>(self);
        {
            std::lock_guard<std::mutex> lock(boxes->lock_);
            boxes->texts_.push_back(support::MessageBoxText(window));
        }
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }

    std::atomic<bool> done_{false};
    std::mutex lock_;
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

TEST_F(UpgradeDialogTest, BrowseTakesOnlyNamesWithTheModelsMarker) {
    StartTester(3);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        const auto browse = [&](const std::wstring& path) {
            panel.SetDlgItemText(IDC_UPGRADE_PATH, L"earlier");
            chosen_.Set(path);
            const size_t before = boxes.Boxes().size();
            Click(panel, IDC_UPGRADE_BROWSE);
            const auto seen = boxes.Boxes();
            return std::make_pair(Text(panel, IDC_UPGRADE_PATH),
                                  seen.size() > before ? seen.back().text : std::wstring());
        };
        const sim::Bytes image = support::PofImage(100);

        // The page's item is highlighted from the start: a click on it shows the page again.
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        EXPECT_EQ(support::gui::WindowText(panel.GetSafeHwnd()), L"Upgrade FPGA");
        const std::wstring good = files_.Write(L"Brevix-H_FPGA_V0102.pof", image);
        EXPECT_EQ(browse(good), std::make_pair(good, std::wstring()));
        const std::wstring notForFpga = L"The selected file is not for FPGA upgrade, please check it again!";
        for (const wchar_t* name : {L"OLD_BREVIX-H_FPGA.pof", L"BREVIX-C_FPGA_V0102.pof", L"BREVIX-H_FPG.pof"})
            EXPECT_EQ(browse(files_.Write(name, image)),
                      std::make_pair(std::wstring(L"earlier"), std::wstring(notForFpga)))
                << std::wstring(name);
        EXPECT_EQ(browse(files_.Missing(L"BREVIX-H_FPGA_gone.pof")).second, L"Cannot open FPGA file!");

        ShowPage(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
        EXPECT_EQ(support::gui::WindowText(panel.GetSafeHwnd()), L"Upgrade Firmware");
        const std::wstring firmware = files_.Write(L"x_brevix-h_rtc_v1.bin", sim::Bytes(600, 1));
        EXPECT_EQ(browse(firmware), std::make_pair(firmware, std::wstring()));
        EXPECT_EQ(browse(files_.Write(L"BREVIX-H.bin", sim::Bytes(600, 1))).second,
                  L"The selected file is not for firmware upgrade, please check it again!");
        EXPECT_EQ(browse(files_.Missing(L"BREVIX-H_RTC_gone.bin")).second, L"Cannot open firmware file!");
    });
}

// Each upgrade page keeps its own file, and Upgrade judges the file again: neither page sends a
// file of the other kind, chosen on the other page or typed into its box, and the unit is sent
// nothing at all.
class WrongImageTest : public UpgradeDialogTest {
protected:
    void NeitherPageSendsTheOtherKind(int machineId, const wchar_t* fpgaName) {
        sim::FullTester& tester = StartTester(machineId);
        const std::wstring fpga = files_.Write(fpgaName, support::PofImage(6000));
        sim::Bytes firmwareBytes(512, 0xEE);
        firmwareBytes.resize(3000, 0x42);
        const std::wstring firmware = files_.Write(L"BREVIX-H_RTC_V0203.bin", firmwareBytes);
        // Named as an FPGA image of the model, holding firmware.
        const std::wstring renamed = files_.Write(std::wstring(fpgaName).insert(13, L"_RENAMED"), firmwareBytes);
        BoxAnswers boxes;
        RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
            const auto upgradeRefusedWith = [&](const wchar_t* text) {
                const size_t before = boxes.Boxes().size();
                Click(panel, IDC_UPGRADE_BUTTON);
                const auto seen = boxes.Boxes();
                ASSERT_EQ(seen.size(), before + 1);
                EXPECT_EQ(seen.back().text, text);
                EXPECT_FALSE(panel.DownloadInProgress());
                EXPECT_TRUE(panel.IsWindowEnabled());
            };
            const wchar_t* notFirmware = L"The selected file is not for firmware upgrade, please check it again!";
            const wchar_t* notFpga = L"The selected file is not for FPGA upgrade, please check it again!";

            ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
            chosen_.Set(fpga);
            Click(panel, IDC_UPGRADE_BROWSE);
            ASSERT_EQ(Text(panel, IDC_UPGRADE_PATH), fpga);

            ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
            ASSERT_TRUE(panel.IsWindowVisible());
            EXPECT_EQ(Text(panel, IDC_UPGRADE_PATH), L"") << "the FPGA page's file stays on its page";
            upgradeRefusedWith(L"No upgrade file is selected!");
            TypePath(panel, fpga);
            ASSERT_EQ(Text(panel, IDC_UPGRADE_PATH), fpga);
            upgradeRefusedWith(notFirmware);

            chosen_.Set(firmware);
            Click(panel, IDC_UPGRADE_BROWSE);
            ASSERT_EQ(Text(panel, IDC_UPGRADE_PATH), firmware);
            ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
            EXPECT_EQ(Text(panel, IDC_UPGRADE_PATH), fpga) << "each page shows its own file";
            TypePath(panel, firmware);
            upgradeRefusedWith(notFpga);
            TypePath(panel, renamed);
            upgradeRefusedWith(notFpga);

            ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
            EXPECT_EQ(Text(panel, IDC_UPGRADE_PATH), firmware);
            SavePicture(dialog.GetSafeHwnd(), L"vorels-upgrade-own-file-" + std::to_wstring(machineId));
        });
        for (const sim::UsbPacket& packet : tester.Usb()->Received()) {
            ASSERT_FALSE(packet.bytes.empty());
            EXPECT_NE(packet.bytes[0], 9) << "a firmware chunk reached the unit";
            EXPECT_NE(packet.bytes[0], 10) << "an FPGA chunk reached the unit";
        }
        EXPECT_TRUE(tester.Usb()->Firmware().empty());
        EXPECT_TRUE(tester.Usb()->Fpga().empty());
        EXPECT_TRUE(Logs(L"Upgrade_*.log").empty());
    }
};

TEST_F(WrongImageTest, NeitherUpgradePageOfABrevixHSendsTheOtherKindsFile) {
    NeitherPageSendsTheOtherKind(3, L"BREVIX-H_FPGA_V0102.pof");
}

TEST_F(WrongImageTest, NeitherUpgradePageOfABrevixJSendsTheOtherKindsFile) {
    NeitherPageSendsTheOtherKind(4, L"BREVIX-J_FPGA_V0102.pof");
}

TEST_F(UpgradeDialogTest, TheOtherUpgradeItemLeavesARunningDownloadItsPage) {
    sim::FullTester& tester = StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
    ASSERT_TRUE(sim::SetDownloadFault(tester, sim::DownloadFault::SilentUnit));
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        Click(panel, IDC_UPGRADE_BROWSE);
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);

        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
        EXPECT_EQ(panel.Mode(), CUpgradeDialog::kFpga);
        EXPECT_EQ(support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE), L"FPGA Upgrade");
        EXPECT_EQ(panel.InfoText(1), std::wstring(dialog.aboutVersions[CVorel_TAP_Test3Dlg::kAboutFpga]));
        // The highlight stays with the page shown, under its title.
        const auto highlighted = [&] {
            return HTREEITEM(dialog.deviceTree.SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0));
        };
        EXPECT_EQ(highlighted(), treeItems[CVorel_TAP_Test3Dlg::kItemFpgaUpgrade]);

        // The silent unit never answers: the page's time-out names the download that runs. The
        // media detection, judged on the same clock, has ended first; the page's scale then passes.
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        {
            support::gui::FakeClock clock(_time64(nullptr));
            clock.Advance(CUpgradeDialog::kFpgaSeconds);
            ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs));
        }
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes().back().text, L"Fail to upgrade FPGA!");
        EXPECT_EQ(highlighted(), treeItems[CVorel_TAP_Test3Dlg::kItemFpgaUpgrade]) << "after the download";

        // Ended, the page follows the tree again.
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
        EXPECT_EQ(panel.Mode(), CUpgradeDialog::kFirmware);
        EXPECT_EQ(support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE), L"Firmware Upgrade");
    });
    ASSERT_TRUE(sim::SetDownloadFault(tester, sim::DownloadFault::None));
}

TEST_F(UpgradeDialogTest, SystemInformationBoxShowsModelAndVersionFromTheStartThroughLanguageAndLoss) {
    StartTester(3);
    sim::TesterControl control(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        const std::wstring version(dialog.aboutVersions[CVorel_TAP_Test3Dlg::kAboutFpga]);
        const auto expectShown = [&](const wchar_t* when) {
            EXPECT_EQ(panel.InfoText(0), L"Brevix-H") << when;
            EXPECT_EQ(panel.InfoText(1), version) << when;
            // On the screen too: the value column holds the two rows' text.
            support::gui::PumpFor(500);
            const support::gui::Picture grid = support::gui::CaptureWindow(panel.infoGrid.GetSafeHwnd(), false);
            support::gui::SavePng(grid, support::gui::PicturePath(std::wstring(L"vorels-upgrade-info-") + when));
            EXPECT_GT(DarkPixels(grid, RECT{152, 0, grid.width, 25}), 20) << when << ": the model is drawn";
            EXPECT_GT(DarkPixels(grid, RECT{152, 25, grid.width, 50}), 20) << when << ": the version is drawn";
        };
        expectShown(L"start");

        ASSERT_TRUE(ChooseMenuItem(dialog, L"Language", 1, [&] { return dialog.languageIndex == 3; }));
        expectShown(L"japanese");

        ASSERT_EQ(control.Execute("lose").find("ok"), 0u);
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::ControlText(dialog.GetSafeHwnd(), IDC_CONNECTION_TEXT) == L"Disconnected"; },
            kPatienceMs));
        expectShown(L"lost");
        control.Execute("return");
    });
}

TEST_F(UpgradeDialogTest, FpgaUpgradeOfABrevixHRunsThroughTheApiToItsLog) {
    sim::FullTester& tester = StartTester(3);
    const sim::Bytes image = ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 200000);
    BoxAnswers boxes(PictureOfBox(L"File Name: ", L"vorels-upgrade-log"));
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        Click(panel, IDC_UPGRADE_BUTTON);
        EXPECT_TRUE(panel.downloadRunning);
        EXPECT_FALSE(panel.IsWindowEnabled());

        // Progress and elapsed time move while the unit takes the image.
        ASSERT_TRUE(support::gui::PumpUntil([&] { return ElapsedShown(panel) >= 2; }, kPatienceMs));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return Text(panel, IDC_UPGRADE_STATUS) == L"Status: Download"; },
                                            kPatienceMs));
        EXPECT_GT(panel.progressBar.GetPos(), 0);
        EXPECT_EQ(Text(panel, IDC_UPGRADE_PERCENT).rfind(L"progress: ", 0), 0u);
        EXPECT_TRUE(Shown(panel, IDC_UPGRADE_NOTICE));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, 60000));
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Pass");
        EXPECT_FALSE(panel.IsWindowVisible()) << "the page closes at the pass";
        EXPECT_TRUE(panel.IsWindowEnabled());
        EXPECT_TRUE(Shown(panel, IDCANCEL));
    });
    EXPECT_TRUE(tester.Usb()->FpgaComplete());
    EXPECT_EQ(tester.Usb()->Fpga(), ReversedWindow(image));
    // The completion box names the log, and the log holds the tester's identity.
    const std::vector<std::wstring> logs = Logs(L"Upgrade_FPGA_*.log");
    ASSERT_EQ(logs.size(), 1u);
    const std::vector<ShownBox> shown = boxes.Boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].caption, L"Message");
    EXPECT_NE(shown[0].text.find(L"Auto-Save File Path: "), std::wstring::npos);
    EXPECT_NE(shown[0].text.find(logs[0].substr(logs[0].rfind(L'\\') + 1)), std::wstring::npos);
    const std::wstring log = ReadUtf16(logs[0]);
    EXPECT_EQ(log.rfind(std::wstring(148, L'*') + L"\r\n \r\n* Program    : QT714-NIC\r\n", 0), 0u);
    EXPECT_NE(log.find(L"* Instruments: Brevix-H\r\n"), std::wstring::npos);
    const std::string serial = sim::FullTester::FactoryIdentity(3).serialNumber;
    EXPECT_NE(log.find(L"Module Name: Brevix-H\r\n \r\nSN: " + std::wstring(serial.begin(), serial.end()) + L"\r\n"),
              std::wstring::npos);
}

TEST_F(UpgradeDialogTest, FirmwareUpgradeShowsItsProgressAndEndsWithTheCancelButtonBack) {
    sim::FullTester& tester = StartTester(3);
    sim::Bytes firmware(512, 0xEE);
    for (int i = 0; i < 3000; ++i) firmware.push_back(uint8_t(i * 7));
    chosen_.Set(files_.Write(L"BREVIX-H_RTC_V0203.bin", firmware));
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        // The FPGA page as it shows at start, where its download's percentage goes.
        ASSERT_EQ(panel.Mode(), CUpgradeDialog::kFpga);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return panel.IsWindowVisible() != FALSE; }, kPatienceMs));
        support::gui::PumpFor(500);
        const int darkAtStart =
            DarkPixels(support::gui::CaptureWindow(panel.GetSafeHwnd(), false), PercentArea(panel));
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade));
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        EXPECT_FALSE(Shown(panel, IDCANCEL));
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return Text(panel, IDC_UPGRADE_STATUS) == L"Status: Checking" && ElapsedShown(panel) >= 2; },
            kPatienceMs));
        EXPECT_GT(panel.progressBar.GetPos(), 0);
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"vorels-upgrade-firmware-running"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, 60000));
        EXPECT_TRUE(Shown(panel, IDCANCEL));
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_ELAPSED));
        const int shown = ElapsedShown(panel);
        support::gui::PumpFor(2500);
        EXPECT_EQ(ElapsedShown(panel), shown) << "the elapsed-time timer stopped";

        // The FPGA page, before any FPGA upgrade, shows no percentage of the firmware's download:
        // neither its text nor, on the screen, any mark where the percentage goes.
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_EQ(panel.Mode(), CUpgradeDialog::kFpga);
        EXPECT_EQ(Text(panel, IDC_UPGRADE_PERCENT).find(L"progress: "), std::wstring::npos);
        support::gui::PumpFor(500);
        const support::gui::Picture page = support::gui::CaptureWindow(panel.GetSafeHwnd(), false);
        support::gui::SavePng(page, support::gui::PicturePath(L"vorels-upgrade-fpga-after-firmware"));
        EXPECT_LE(DarkPixels(page, PercentArea(panel)), darkAtStart) << "no more than the page showed at start";
    });
    EXPECT_TRUE(tester.Usb()->FirmwareComplete());
    EXPECT_EQ(tester.Usb()->Firmware(), sim::Bytes(firmware.begin() + 512, firmware.end()));
    const std::vector<std::wstring> logs = Logs(L"Upgrade_Firmware_*.log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(ReadUtf16(logs[0]).find(L"\r\nUpgrading Date: "), std::wstring::npos);
}

TEST_F(UpgradeDialogTest, FailedRefusedAndSilentDownloadsEndWithTheirBoxAndNoLog) {
    sim::FullTester& tester = StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
    BoxAnswers boxes;
    LibraryBoxes libraryBoxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        const auto endedAsFailure = [&](const wchar_t* text, const wchar_t* caption) {
            const auto seen = boxes.Boxes();
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back().text, text);
            EXPECT_EQ(seen.back().caption, caption);
            EXPECT_FALSE(panel.downloadRunning);
            EXPECT_TRUE(panel.IsWindowEnabled());
            EXPECT_FALSE(Shown(panel, IDC_UPGRADE_ELAPSED));
            EXPECT_FALSE(Shown(panel, IDC_UPGRADE_STATUS));
            EXPECT_EQ(panel.progressBar.GetPos(), 0);
            EXPECT_TRUE(dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE));
        };

        // The user had stopped the counter refresh on the counter page: the download's end starts it
        // again, and the Update button shows it running.
        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        ClickTool(dialog.portCounterWindow.GetSafeHwnd(), ID_COUNTER_UPDATE);
        ASSERT_FALSE(dialog.portCounterWindow.counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE));
        ShowPage(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);

        // The unit cannot be opened: the library reports a failure status.
        tester.Usb()->Unplug();
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs));
        endedAsFailure(L"Fail to upgrade FPGA!", L"Message");
        tester.Usb()->PlugIn();

        // A final status the device leaves running (7) ends the download as a failure.
        ShowPage(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(sim::SetDownloadFault(tester, sim::DownloadFault::SilentUnit));
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        panel.OnDownloadStatus(BREVIXC_MSG_FPGA_DOWNLOAD, 7, 40);
        endedAsFailure(L"Fail to upgrade FPGA!", L"Message");

        // A silent unit sends nothing after its waiting notices: the panel's own clock ends it.
        // The failed download's library worker ends in its own time, its last word to the page with
        // it: the operator clicks Upgrade again after that.
        ASSERT_TRUE(support::gui::PumpUntil([] { return CountNamedThreads(L"UsbFpgaDownload") == 0; }, kPatienceMs));
        support::gui::PumpPending();
        ShowPage(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        {
            support::gui::FakeClock clock(_time64(nullptr));
            clock.Advance(CUpgradeDialog::kFpgaSeconds);
            ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs));
        }
        endedAsFailure(L"Fail to upgrade FPGA!", L"Message");
        ASSERT_TRUE(sim::SetDownloadFault(tester, sim::DownloadFault::None));

        // A file that is no FPGA image is refused by the page before anything is sent.
        ShowPage(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        panel.SetDlgItemText(IDC_UPGRADE_PATH, files_.Write(L"BREVIX-H_FPGA_bad.pof", sim::Bytes(300, 0x11)).c_str());
        Click(panel, IDC_UPGRADE_BUTTON);
        endedAsFailure(L"The selected file is not for FPGA upgrade, please check it again!", L"Message");
        const int shown = ElapsedShown(panel);
        support::gui::PumpFor(2500);
        EXPECT_EQ(ElapsedShown(panel), shown) << "the elapsed-time timer stopped";
    });
    EXPECT_TRUE(libraryBoxes.Texts().empty());
    EXPECT_TRUE(Logs(L"Upgrade_*.log").empty());
}

}  // namespace

namespace {

// The first page of each model, read from the screen as the program leaves it: the System
// Information box's two values, not only their labels.
class FirstPageValuesTest : public UpgradeDialogTest, public testing::WithParamInterface<int> {};

TEST_P(FirstPageValuesTest, TheSystemInformationValuesShowAtStartAndAfterEachLanguageSwitch) {
    StartTester(GetParam());
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(panel.IsWindowVisible()) << "the FPGA Upgrade page is the first";
        ASSERT_FALSE(panel.InfoText(0).IsEmpty());
        ASSERT_FALSE(panel.InfoText(1).IsEmpty());
        const HWND grid = panel.infoGrid.GetSafeHwnd();
        // Each row's value column holds text on the screen; the labels are left of it.
        const auto valuesShown = [&] {
            const support::gui::Picture shown = support::gui::CaptureWindow(grid, false);
            return DarkPixels(shown, RECT{152, 0, shown.width, 25}) > 20 &&
                   DarkPixels(shown, RECT{152, 25, shown.width, 50}) > 20;
        };
        const auto expectShown = [&](const wchar_t* when) {
            EXPECT_TRUE(support::gui::PumpUntil(valuesShown, kPatienceMs)) << "the values " << when;
            support::gui::SavePng(support::gui::CaptureWindow(grid, false),
                                  support::gui::PicturePath(L"vorels-first-page-values-" +
                                                            std::to_wstring(GetParam()) + L"-" + when));
        };
        expectShown(L"at-start");
        ASSERT_TRUE(ChooseMenuItem(dialog, L"Language", 1, [&] { return dialog.languageIndex == 3; }));
        expectShown(L"in-japanese");
        ASSERT_TRUE(ChooseMenuItem(dialog, L"\u8a00\u8a9e", 0, [&] { return dialog.languageIndex == 0; }));
        expectShown(L"back-in-english");
    });
}

INSTANTIATE_TEST_SUITE_P(MachineIds, FirstPageValuesTest, testing::Values(1, 2, 3, 4));

}  // namespace
