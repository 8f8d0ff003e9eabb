// The upgrade page's own time-out, reached as an operator reaches it (the tree item, Browse and
// Upgrade clicked, the calendar clock moved past the page's scale): against a Brevix-H whose USB
// unit takes packets and answers none, the page's end ends the library's transfer too, and the
// unit's journal goes quiet.
#include "sim/DownloadFaults.h"
#include "support/gui/Input.h"
#include "support/gui/Seams.h"
#include "UpgradeBench.h"

#include <ctime>

using namespace upgradetest;

namespace {

constexpr wchar_t kFpgaWorker[] = L"UsbFpgaDownload";

TEST_F(UpgradeDialogTest, ThePagesTimeOutEndsTheTransferToASilentUnit) {
    sim::FullTester& tester = StartTester(3);
    sim::UsbUnit& unit = *tester.Usb();
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 6000);
    BoxAnswers boxes;
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        ASSERT_TRUE(panel.IsWindowVisible());
        Click(panel, IDC_UPGRADE_BROWSE);
        ASSERT_FALSE(Text(panel, IDC_UPGRADE_PATH).empty());

        ASSERT_TRUE(sim::SetDownloadFault(tester, sim::DownloadFault::SilentUnit));
        unit.ClearReceived();
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return unit.ReceivedCount() == 1; }, kPatienceMs)) << "chunk 0";
        ASSERT_EQ(CountNamedThreads(kFpgaWorker), 1);

        // The start-up's media detection has ended: its panel, judged on the same clock, would
        // otherwise fail once the clock is moved.
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        // The page's scale passes on the calendar clock (stood in for only now: the start-up waits
        // for it to move): the page's next second ends the download.
        support::gui::FakeClock clock(_time64(nullptr));
        clock.Advance(CUpgradeDialog::kFpgaSeconds);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kPatienceMs));
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes().back().text, L"Fail to upgrade FPGA!");
        // The window as the operator sees it then: nothing of a running download left.
        SavePicture(dialog.GetSafeHwnd(), L"upgrade-timeout-silent-unit");
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_STATUS));
        EXPECT_FALSE(Shown(panel, IDC_UPGRADE_ELAPSED));
        EXPECT_TRUE(panel.IsWindowEnabled());

        // The library's worker ends too, rather than send its chunk again every 25 seconds.
        EXPECT_TRUE(support::gui::PumpUntil([] { return CountNamedThreads(kFpgaWorker) == 0; }, kPatienceMs));
        const std::vector<sim::UsbPacket> received = unit.Received();
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].bytes[0], 10) << "an FPGA chunk";
        EXPECT_EQ(received[0].bytes[2] | received[0].bytes[3] << 8, 0) << "the first";
        ASSERT_TRUE(sim::SetDownloadFault(tester, sim::DownloadFault::None));
    });
    EXPECT_TRUE(Logs(L"Upgrade_*.log").empty());
}

}  // namespace
