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

#include <algorithm>

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
    // The grid's cell clicked (the port configuration shown first, by its tree item), its drop list
    // opened by Return and the choice taken by the arrow keys and Return; no choice leaves it as it is.
    static void ChooseInCell(CVorel_TAP_Test3Dlg& dialog, int column, int row, LPCWSTR choice) {
        if (choice == nullptr) return;
        int c = column, r = row;
        RECT cell;
        dialog.portConfigGrid.ComputeCellRect(&c, &r, &cell);
        POINT at{(cell.left + cell.right) / 2 - 10, (cell.top + cell.bottom) / 2};
        ::MapWindowPoints(dialog.portConfigGrid.CellArea().GetSafeHwnd(), dialog.GetSafeHwnd(), &at, 1);
        POINT local;
        ASSERT_EQ(dialog.portConfigGrid.CellArea().GetSafeHwnd(), support::gui::MouseTarget(dialog.GetSafeHwnd(), at, &local))
            << "the pointer at cell " << column << "," << row << " lands on the grid";
        support::gui::ClickAt(dialog.GetSafeHwnd(), at);
        support::gui::PressKey(nullptr, VK_RETURN);
        auto& dropList = static_cast<CVGDropListType&>(*dialog.portConfigGrid.CellTypeAt(1));
        const HWND list = dropList.List().GetSafeHwnd();
        ASSERT_NE(nullptr, list) << "Return opens the drop list of cell " << column << "," << row;
        ASSERT_EQ(list, ::GetFocus());
        const std::vector<std::wstring> items = support::gui::ListItems(list);
        const auto found = std::find(items.begin(), items.end(), std::wstring(choice));
        ASSERT_NE(items.end(), found) << "the list offers the choice";
        support::gui::PressKey(nullptr, VK_HOME);
        for (auto item = items.begin(); item != found; ++item) support::gui::PressKey(nullptr, VK_DOWN);
        support::gui::PressKey(nullptr, VK_RETURN);
        EXPECT_EQ(std::wstring(choice), std::wstring(dialog.portConfigGrid.GetCellText(column, row)));
    }
    static void Choose(CVorel_TAP_Test3Dlg& dialog, LPCWSTR mediaA, LPCWSTR flowA, LPCWSTR mediaB, LPCWSTR flowB) {
        if (!dialog.applyButton.IsWindowVisible()) ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        ChooseInCell(dialog, 1, 0, mediaA);
        ChooseInCell(dialog, 2, 0, flowA);
        ChooseInCell(dialog, 1, 1, mediaB);
        ChooseInCell(dialog, 2, 1, flowB);
        ClickControl(dialog.applyButton);
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
        EXPECT_EQ(kFlowControlB, Apply(dialog, nullptr, L"Enable", nullptr, L"Enable")[1] & kFlowControlB);
        // Port B's choice left as it was: its flow control stays on, whatever Port A's becomes.
        const std::vector<uint32_t> phy = Apply(dialog, nullptr, L"Disable", nullptr, nullptr);
        EXPECT_EQ(0u, phy[0] & kFlowControlA);
        EXPECT_EQ(0u, phy[1] & kFlowControlA);
        EXPECT_EQ(kFlowControlB, phy[1] & kFlowControlB);
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

        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        ASSERT_TRUE(dialog.applyButton.IsWindowVisible());
        Choose(dialog, L"Fiber", L"Disable", L"Fiber", L"Disable");
        // Port A's NIC mode, the one call demo mode makes (Statistics, Port A Counter), comes after
        // Apply on the same thread.
        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
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
        ChooseMenuCommand(dialog, ID_PORT_B_COUNTER);
        EXPECT_TRUE(support::Eventually([this] { return PutIntoNicMode(1); }));
        EXPECT_FALSE(PutIntoNicMode(0));
        EXPECT_EQ(1, dialog.portCounterWindow.port);
        EXPECT_EQ(1, dialog.counterMode);
        EXPECT_TRUE(dialog.portCounterWindow.IsWindowVisible());
        EXPECT_FALSE(dialog.portConfigGrid.IsWindowVisible());
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  dialog.GetMenu()->GetMenuState(ID_PORT_B_COUNTER, MF_BYCOMMAND) & MF_CHECKED);

        tester_->Device().ClearLog();
        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        EXPECT_TRUE(support::Eventually([this] { return PutIntoNicMode(0); }));
        EXPECT_FALSE(PutIntoNicMode(1));
        EXPECT_EQ(0, dialog.portCounterWindow.port);
        EXPECT_EQ(L"Counter Window-Port A", support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE));
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  dialog.GetMenu()->GetMenuState(ID_PORT_A_COUNTER, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_EQ(0u, dialog.GetMenu()->GetMenuState(ID_PORT_B_COUNTER, MF_BYCOMMAND) & MF_CHECKED);
    });
}

TEST_F(PortCommandTest, PortConfigurationPageShowsTheGridWithItsDropLists) {
    StartTester(1);
    BoxAnswers boxes;
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        AwaitDetection(dialog);
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        ASSERT_TRUE(dialog.portConfigGrid.IsWindowVisible());
        EXPECT_TRUE(dialog.applyButton.IsWindowVisible());
        EXPECT_EQ(L"Port A", std::wstring(dialog.portConfigGrid.GetCellText(0, 0)));
        EXPECT_EQ(L"Auto", std::wstring(dialog.portConfigGrid.GetCellText(1, 1)));
        EXPECT_EQ(L"Enable", std::wstring(dialog.portConfigGrid.GetCellText(2, 1)));

        // A click on the media cell's button opens its choices.
        int column = 1, row = 0;
        RECT cell;
        dialog.portConfigGrid.ComputeCellRect(&column, &row, &cell);
        POINT button{cell.right - 4, (cell.top + cell.bottom) / 2};
        ::MapWindowPoints(dialog.portConfigGrid.CellArea().GetSafeHwnd(), dialog.GetSafeHwnd(), &button, 1);
        support::gui::ClickAt(dialog.GetSafeHwnd(), button);
        auto& dropList = static_cast<CVGDropListType&>(*dialog.portConfigGrid.CellTypeAt(1));
        const HWND list = dropList.List().GetSafeHwnd();
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(support::gui::ListItems(list), (std::vector<std::wstring>{L"Auto", L"Copper", L"Fiber"}));
        support::gui::PumpFor(300);
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"vorels-port-config"));
        support::gui::PressKey(list, VK_ESCAPE);
        EXPECT_EQ(nullptr, dropList.List().GetSafeHwnd()) << "Escape closes the list";
    });
}

// Each port's media drop list opens at its own cell, below it: the pointer just under Port B's cell
// lands on Port B's list, and Port A's row stays uncovered.
TEST_F(PortCommandTest, EachPortsDropListOpensAtItsOwnCell) {
    StartTester(1);
    BoxAnswers boxes;
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        AwaitDetection(dialog);
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
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
            ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
            ASSERT_TRUE(dialog.applyButton.IsWindowVisible());
            tester_->Device().ClearLog();
            ClickControl(dialog.applyButton);
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
