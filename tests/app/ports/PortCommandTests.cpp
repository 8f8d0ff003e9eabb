// Port A / Port B with NIC mode, the default port configuration at start and the Apply of the
// port-configuration grid, read from the simulated tester's registers and command journal.
#include "BrevixCAPI.h"
#include "main/Globals.h"
#include "PortsBench.h"
#include "res/resource.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"
#include "VGDropListType.h"

using namespace appbench;
using portsbench::WritesTo;

namespace {

// Registers of machine id 1 the port configuration writes.
constexpr uint32_t kPhyControl = 0x400000D0;
// Port B's registers lie 0x02000000 above Port A's.
constexpr uint32_t kPortBOffset = 0x02000000;
constexpr uint32_t kPortWordA = 0x41000030;
constexpr uint32_t kSpeedA = 0x41000004;
constexpr uint32_t kSfpImage = 0x400000B0;
constexpr uint32_t kSfpEnableA = 0x400000E8;
constexpr uint32_t kFlowControlA = 1u << 22;
constexpr uint32_t kFlowControlB = 1u << 6;
constexpr uint32_t kAutoNegotiation = 1u << 31;
constexpr uint32_t kPhyModeBits = 3u << 17 | 3u << 1;
// The port word the library sets at connection; the configuration never means to change it.
constexpr uint32_t kPortWordAtConnection = 0x7FFFFFFF;
// NIC mode: bit 7 of each port's capture options.
constexpr uint32_t kCaptureOptionsA = 0x410000CC;
constexpr uint32_t kNicMode = 0x80;

class PortCommandTest : public portsbench::PortsTest {
protected:
    // The port was put into NIC mode since the journal was cleared.
    bool PutIntoNicMode(uint32_t port) {
        const std::vector<uint32_t> options = WritesTo(*tester_, kCaptureOptionsA + port * kPortBOffset);
        return !options.empty() && (options.back() & kNicMode) != 0;
    }
    // Waits for the start-up media detection to finish, so that Apply's writes stand alone.
    static void AwaitDetection(CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&dialog] { return !dialog.progressPanel.IsWindowVisible(); },
                                            static_cast<DWORD>(support::kPatience.count())));
    }
    // Applies the choices and returns the two PHY control images the two records wrote.
    std::vector<uint32_t> Apply(CVorel_TAP_Test3Dlg& dialog, LPCWSTR mediaA, LPCWSTR flowA, LPCWSTR mediaB,
                                LPCWSTR flowB) {
        tester_->Device().ClearLog();
        Choose(dialog, mediaA, flowA, mediaB, flowB);
        std::vector<uint32_t> phy;
        EXPECT_TRUE(support::Eventually([&] { return (phy = WritesTo(*tester_, kPhyControl)).size() >= 2; }));
        EXPECT_EQ(2u, phy.size()) << "one record for each port";
        phy.resize(2);
        return phy;
    }
    static void Choose(CVorel_TAP_Test3Dlg& dialog, LPCWSTR mediaA, LPCWSTR flowA, LPCWSTR mediaB, LPCWSTR flowB) {
        dialog.portConfigGrid.SetCellText(1, 0, mediaA);
        dialog.portConfigGrid.SetCellText(2, 0, flowA);
        dialog.portConfigGrid.SetCellText(1, 1, mediaB);
        dialog.portConfigGrid.SetCellText(2, 1, flowB);
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED),
                           reinterpret_cast<LPARAM>(dialog.applyButton.GetSafeHwnd()));
    }
};

TEST_F(PortCommandTest, StartConfiguresFlowControlAndAutoNegotiationAndLeavesThePortWord) {
    StartTester(1);
    BoxAnswers boxes;
    Run([this](CVorel_TAP_Test3Dlg& dialog) {
        for (uint32_t port : {0u, 1u}) {
            const std::vector<uint32_t> words = WritesTo(*tester_, kPortWordA + port * kPortBOffset);
            ASSERT_FALSE(words.empty()) << port;
            EXPECT_EQ(kPortWordAtConnection, words.back()) << port;
            const std::vector<uint32_t> speeds = WritesTo(*tester_, kSpeedA + port * kPortBOffset);
            ASSERT_FALSE(speeds.empty()) << port;
            EXPECT_EQ(kAutoNegotiation, speeds.back() & kAutoNegotiation) << port;
        }
        const uint32_t phy = tester_->Device().Registers().Get(kPhyControl);
        EXPECT_EQ(kFlowControlA | kFlowControlB, phy & (kFlowControlA | kFlowControlB));
        EXPECT_EQ(L"Enable", std::wstring(dialog.portCounterWindow.RowValue(CCounterWindow::kFlowControlRow)));
    });
}

TEST_F(PortCommandTest, ApplySendsTheMediaThenEachPortsFlowControl) {
    StartTester(1);
    BoxAnswers boxes;
    Run([this](CVorel_TAP_Test3Dlg& dialog) {
        AwaitDetection(dialog);
        const std::vector<uint32_t> phy = Apply(dialog, L"Fiber", L"Disable", L"Copper", L"Enable");
        EXPECT_EQ(0u, phy[0] & kFlowControlA) << "Port A disabled";
        EXPECT_EQ(kFlowControlB, phy[1] & kFlowControlB) << "Port B enabled";
        EXPECT_EQ(0u, phy[1] & kFlowControlA);
        for (uint32_t port : {0u, 1u}) {
            EXPECT_EQ(std::vector<uint32_t>{kPortWordAtConnection},
                      WritesTo(*tester_, kPortWordA + port * kPortBOffset))
                << port;
        }
        // Each port's media selection, by its own worker: port in bits 28-29, the mode in the low byte.
        std::vector<uint32_t> sfp;
        EXPECT_TRUE(support::Eventually([&] { return (sfp = WritesTo(*tester_, kSfpImage)).size() >= 2; }));
        const auto selected = [&sfp](uint32_t port, uint32_t mode) {
            for (uint32_t image : sfp) {
                if (((image >> 28) & 3) == port && (image & 0xFF) == mode) return true;
            }
            return false;
        };
        EXPECT_TRUE(selected(0, 0x00)) << "Port A fiber";
        EXPECT_TRUE(selected(1, 0x03)) << "Port B copper";
        // Both selections end with their port's enable write (copper clears it); the next test's
        // connection must not meet a selection still running.
        support::Eventually([this] {
            return WritesTo(*tester_, kSfpEnableA) == std::vector<uint32_t>{1} &&
                   WritesTo(*tester_, kSfpEnableA + 4) == std::vector<uint32_t>{0};
        });
    });
}

TEST_F(PortCommandTest, PortBNeverTakesPortAsFlowControl) {
    StartTester(1);
    BoxAnswers boxes;
    Run([this](CVorel_TAP_Test3Dlg& dialog) {
        AwaitDetection(dialog);
        EXPECT_EQ(kFlowControlB, Apply(dialog, L"", L"Enable", L"", L"Enable")[1] & kFlowControlB);
        // Port B's cell holds no choice: its flow control stays on, whatever Port A's becomes.
        const std::vector<uint32_t> phy = Apply(dialog, L"", L"Disable", L"", L"");
        EXPECT_EQ(0u, phy[1] & kFlowControlA);
        EXPECT_EQ(kFlowControlB, phy[1] & kFlowControlB);
        EXPECT_TRUE(WritesTo(*tester_, kSfpImage).empty()) << "no media chosen, none sent";
    });
}

TEST_F(PortCommandTest, ApplyInDemoModeSendsNothing) {
    BoxAnswers boxes;  // no tester: the demo question, answered Yes
    Run([this](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(IsDemoMode());
        // The library connected under the demo-mode program: whatever it were called for would
        // reach this tester.
        StartTester(1);
        char model[32] = {};
        BrevixC_SYS_DetectBrevixCDevice(model);
        ASSERT_NE(0, BrevixC_SYS_ConnectToBrevixCDevice());
        tester_->Device().ClearLog();

        dialog.deviceTree.SelectItem(treeItems[CVorel_TAP_Test3Dlg::kItemPortConfiguration]);
        ASSERT_TRUE(dialog.applyButton.IsWindowVisible());
        Choose(dialog, L"Fiber", L"Disable", L"Fiber", L"Disable");
        // Port A's NIC mode, the one call demo mode makes, comes after Apply on the same thread.
        dialog.SendMessage(WM_COMMAND, ID_PORT_A, 0);
        ASSERT_TRUE(support::Eventually([this] { return PutIntoNicMode(0); }));
        EXPECT_TRUE(WritesTo(*tester_, kPhyControl).empty()) << "no port configuration";
        EXPECT_TRUE(WritesTo(*tester_, kSfpImage).empty()) << "no media selection";
        // A media selection's worker lives through its two seconds of pauses.
        EXPECT_EQ(0, CountNamedThreads(L"BrevixCAPI SFP worker"));
        for (uint32_t port : {0u, 1u}) EXPECT_TRUE(WritesTo(*tester_, kPortWordA + port * kPortBOffset).empty());
    });
}

TEST_F(PortCommandTest, PortAAndPortBMoveNicModeAndTheLiveCounterWindow) {
    StartTester(1);
    BoxAnswers boxes;
    Run([this](CVorel_TAP_Test3Dlg& dialog) {
        tester_->Device().ClearLog();
        dialog.SendMessage(WM_COMMAND, ID_PORT_B_COUNTER, 0);
        EXPECT_TRUE(support::Eventually([this] { return PutIntoNicMode(1); }));
        EXPECT_FALSE(PutIntoNicMode(0));
        EXPECT_EQ(1, dialog.portCounterWindow.port);
        EXPECT_EQ(1, dialog.counterMode);
        EXPECT_TRUE(dialog.portCounterWindow.IsWindowVisible());
        EXPECT_FALSE(dialog.portConfigGrid.IsWindowVisible());
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  dialog.GetMenu()->GetMenuState(ID_PORT_B_COUNTER, MF_BYCOMMAND) & MF_CHECKED);

        tester_->Device().ClearLog();
        dialog.SendMessage(WM_COMMAND, ID_PORT_A, 0);
        EXPECT_TRUE(support::Eventually([this] { return PutIntoNicMode(0); }));
        EXPECT_FALSE(PutIntoNicMode(1));
        EXPECT_EQ(0, dialog.portCounterWindow.port);
        EXPECT_EQ(L"Counter Window-Port A", support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE));
    });
}

TEST_F(PortCommandTest, PortConfigurationPageShowsTheGridWithItsDropLists) {
    StartTester(1);
    BoxAnswers boxes;
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        AwaitDetection(dialog);
        dialog.deviceTree.SelectItem(treeItems[CVorel_TAP_Test3Dlg::kItemPortConfiguration]);
        ASSERT_TRUE(dialog.portConfigGrid.IsWindowVisible());
        EXPECT_TRUE(dialog.applyButton.IsWindowVisible());
        EXPECT_EQ(L"Port A", std::wstring(dialog.portConfigGrid.GetCellText(0, 0)));
        EXPECT_EQ(L"Auto", std::wstring(dialog.portConfigGrid.GetCellText(1, 1)));
        EXPECT_EQ(L"Enable", std::wstring(dialog.portConfigGrid.GetCellText(2, 1)));

        // A click on the media cell's button opens its choices.
        int column = 1, row = 0;
        RECT cell;
        dialog.portConfigGrid.ComputeCellRect(&column, &row, &cell);
        support::gui::Click(dialog.portConfigGrid.CellArea().GetSafeHwnd(),
                            POINT{cell.right - 4, (cell.top + cell.bottom) / 2});
        auto& dropList = static_cast<CVGDropListType&>(*dialog.portConfigGrid.CellTypeAt(1));
        const HWND list = dropList.List().GetSafeHwnd();
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(support::gui::ListItems(list), (std::vector<std::wstring>{L"Auto", L"Copper", L"Fiber"}));
        support::gui::PumpFor(300);
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"vorels-port-config"));
        ::SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
        support::gui::PumpPending();
    });
}

// Each port's media drop list opens at its own cell, below it: the pointer just under Port B's cell
// lands on Port B's list, and Port A's row stays uncovered.
TEST_F(PortCommandTest, EachPortsDropListOpensAtItsOwnCell) {
    StartTester(1);
    BoxAnswers boxes;
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        AwaitDetection(dialog);
        portsbench::ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        ASSERT_TRUE(dialog.portConfigGrid.IsWindowVisible());
        HWND cells = dialog.portConfigGrid.CellArea().GetSafeHwnd();
        auto& dropList = static_cast<CVGDropListType&>(*dialog.portConfigGrid.CellTypeAt(1));
        for (int row : {1, 0}) {
            int column = 1, cellRow = row;
            RECT cell;
            dialog.portConfigGrid.ComputeCellRect(&column, &cellRow, &cell);
            support::gui::Click(cells, POINT{cell.right - 4, (cell.top + cell.bottom) / 2});
            support::gui::PumpFor(300);
            const HWND list = dropList.List().GetSafeHwnd();
            ASSERT_NE(nullptr, list) << "row " << row;
            CRect shown, own = cell;
            ::GetWindowRect(list, &shown);
            ::MapWindowPoints(cells, nullptr, reinterpret_cast<POINT*>(&own), 2);
            EXPECT_GE(shown.top, own.bottom - 1) << "row " << row << ": the list opens below its cell";
            EXPECT_LE(shown.left, own.left + 1) << "row " << row;
            const POINT under{own.left + 8, own.bottom + 6};
            EXPECT_EQ(list, ::WindowFromPoint(under)) << "row " << row << ": the list lies under its cell";
            EXPECT_NE(list, ::WindowFromPoint(POINT{own.left + 8, (own.top + own.bottom) / 2}))
                << "row " << row << ": the cell itself stays uncovered";
            support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                                  support::gui::PicturePath(row == 1 ? L"vorels-port-config-list-b"
                                                                     : L"vorels-port-config-list-a"));
            support::gui::PressKey(list, VK_ESCAPE);
            support::gui::PumpPending();
            ASSERT_EQ(nullptr, dropList.List().GetSafeHwnd());
        }
    });
}

// Machine ids 3 and 4 keep each port's PHY mode in bits 17-18 (Port A) and 1-2 (Port B) of the PHY
// control register.
TEST_F(PortCommandTest, ApplyLeavesThePhyModeTheStartUpWrote) {
    for (int machineId : {3, 4}) {
        SCOPED_TRACE(machineId);
        StartTester(machineId);
        BoxAnswers boxes;
        Run([this](CVorel_TAP_Test3Dlg& dialog) {
            AwaitDetection(dialog);
            const std::vector<uint32_t> atStart = WritesTo(*tester_, kPhyControl);
            ASSERT_FALSE(atStart.empty());
            const uint32_t modes = atStart.back() & kPhyModeBits;
            portsbench::ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
            ASSERT_TRUE(dialog.applyButton.IsWindowVisible());
            tester_->Device().ClearLog();
            support::gui::ClickButton(dialog.GetSafeHwnd(), IDC_APPLY);
            std::vector<uint32_t> phy;
            ASSERT_TRUE(support::Eventually([&] { return (phy = WritesTo(*tester_, kPhyControl)).size() >= 2; }));
            for (uint32_t image : phy) EXPECT_EQ(modes, image & kPhyModeBits) << std::hex << image;
            EXPECT_EQ(modes, tester_->Device().Registers().Get(kPhyControl) & kPhyModeBits);
            // The next start must not meet the selections still running.
            support::Eventually([this] { return WritesTo(*tester_, kSfpEnableA + 4).size() == 1; });
        });
        TearDown();
    }
}

}  // namespace
