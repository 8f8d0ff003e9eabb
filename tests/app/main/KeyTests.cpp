// The main dialog by the keyboard alone, in both languages, each key through the program's own
// loop: buttons that go disabled under the focus hand it on, Return presses the focused button,
// both toolbars take the focus and press their buttons, the port grid's drop list, and the device
// tree's highlight of the page shown, read from the screen.
#include "capture/CaptureIds.h"
#include "counters/CounterIds.h"
#include "sim/TesterControl.h"
#include "support/Environment.h"
#include "UpgradeBench.h"

#include <commctrl.h>

using namespace upgradetest;
using Dialog = CVorel_TAP_Test3Dlg;
using support::gui::Modifiers;

namespace {

const Modifiers kShift{false, true, false};

void Press(UINT key, Modifiers modifiers = {}) {
    support::gui::PressKey(nullptr, key, modifiers);
    support::gui::PumpPending();
}

// Tab pressed until the focus is on the window (at most `presses` times).
bool TabTo(HWND window, Modifiers modifiers = {}, int presses = 16) {
    for (int press = 0; press < presses && ::GetFocus() != window; ++press) Press(VK_TAB, modifiers);
    return ::GetFocus() == window;
}

// A window that can take keys: shown and enabled, itself and every window around it.
bool TakesKeys(HWND window) {
    for (HWND at = window; at != nullptr; at = ::GetParent(at))
        if (!::IsWindowVisible(at) || !::IsWindowEnabled(at)) return false;
    return window != nullptr;
}

// The command of the toolbar's hot item (where its keys are), 0 for none.
UINT HotCommand(CToolBar& bar) {
    const auto hot = static_cast<int>(bar.SendMessage(TB_GETHOTITEM));
    return hot >= 0 ? bar.GetItemID(hot) : 0;
}

// The arrow pressed until the toolbar's hot item is the command's button.
bool ArrowTo(CToolBar& bar, UINT command, UINT arrow = VK_RIGHT) {
    for (int press = 0; press < 12 && HotCommand(bar) != command; ++press) Press(arrow);
    return HotCommand(bar) == command;
}

// Pixels of the system's highlight colour on the tree item's row, as the screen shows it.
int HighlightedPixels(Dialog& dialog, int item) {
    RECT row = {};
    std::memcpy(&row, &treeItems[item], sizeof(HTREEITEM));
    if (!::SendMessageW(dialog.deviceTree.GetSafeHwnd(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&row)))
        return -1;
    support::gui::PumpFor(300);
    const support::gui::Picture picture = support::gui::CaptureWindow(dialog.deviceTree.GetSafeHwnd());
    return picture.Count(::GetSysColor(COLOR_HIGHLIGHT), row);
}

class KeyTest : public UpgradeDialogTest, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        UpgradeDialogTest::SetUp();
        WriteLanguageValue(Japanese() ? "3" : "0", 1);
    }
    void TearDown() override {
        if (control_ && control_->Lost()) control_->Execute("return");
        control_.reset();
        UpgradeDialogTest::TearDown();
    }
    bool Japanese() const { return GetParam() == 3; }
    std::wstring Named(const char* name) const {
        return std::wstring(name, name + std::strlen(name)) + (Japanese() ? L"-japanese" : L"-english");
    }
    // Every file dialog counted and answered with the path.
    void AnswerFileDialogs(const std::wstring& path) {
        framework::SetFileDialogStandIn([this, path](CFileDialog& fileDialog) {
            ++fileDialogs_;
            wcsncpy(fileDialog.m_ofn.lpstrFile, path.c_str(), fileDialog.m_ofn.nMaxFile - 1);
            return INT_PTR(IDOK);
        });
    }
    std::wstring SavedBox() const { return Japanese() ? L"保存完了!" : L"Save completed !"; }
    static bool FileWritten(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
    }

    int fileDialogs_ = 0;
    std::unique_ptr<sim::TesterControl> control_;
};

// Space on Start Capture hands the focus to Stop Capture, which Return presses; the focus then goes
// on, and Tab comes round to Start Capture again.
TEST_P(KeyTest, StartAndStopCaptureHandTheFocusOnAndReturnPressesTheFocusedButton) {
    StartTester(1);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog&) {
        ClickTreeItem(dialog, Dialog::kItemCaptureA);
        ASSERT_TRUE(dialog.captureA.IsWindowVisible());
        const HWND start = dialog.captureA.GetDlgItem(IDC_CAPTURE_START)->GetSafeHwnd();
        const HWND stop = dialog.captureA.GetDlgItem(IDC_CAPTURE_STOP)->GetSafeHwnd();
        ASSERT_TRUE(TabTo(start)) << "Tab reaches Start Capture";
        Press(VK_SPACE);
        ASSERT_TRUE(::IsWindowEnabled(stop)) << "Space started the capture";
        EXPECT_EQ(stop, ::GetFocus()) << "the focus went on to Stop Capture";
        // The keys move on from there, and back.
        Press(VK_TAB);
        EXPECT_TRUE(TakesKeys(::GetFocus()));
        EXPECT_NE(stop, ::GetFocus());
        Press(VK_TAB, kShift);
        ASSERT_EQ(stop, ::GetFocus());

        Press(VK_RETURN);
        EXPECT_FALSE(::IsWindowEnabled(stop)) << "Return pressed Stop Capture";
        EXPECT_TRUE(TakesKeys(::GetFocus())) << "the focus went on from Stop Capture";
        EXPECT_TRUE(dialog.ContinueModal()) << "Return ends no window";
        ASSERT_TRUE(support::gui::PumpUntil([&] { return ::IsWindowEnabled(start) != FALSE; }, kPatienceMs));
        EXPECT_TRUE(TabTo(start)) << "Tab comes round to Start Capture";
        SavePicture(dialog.GetSafeHwnd(), Named("keys-capture"));
    });
}

// Return on Browse opens the file dialog; Space on Upgrade starts the download and the focus goes
// where Tab still moves it, while the download runs.
TEST_P(KeyTest, ReturnOnBrowseOpensTheFileDialogAndSpaceOnUpgradeLeavesTheKeysWorking) {
    StartTester(3);
    const std::wstring path = files_.Write(L"BREVIX-H_FPGA_V0102.pof", support::PofImage(6000));
    AnswerFileDialogs(path);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        ClickTreeItem(dialog, Dialog::kItemFpgaUpgrade);
        ASSERT_TRUE(panel.IsWindowVisible());
        ASSERT_TRUE(TabTo(panel.GetDlgItem(IDC_UPGRADE_BROWSE)->GetSafeHwnd())) << "Tab reaches Browse";
        Press(VK_RETURN);
        EXPECT_EQ(1, fileDialogs_) << "Return on Browse opened the file dialog";
        EXPECT_EQ(path, Text(panel, IDC_UPGRADE_PATH));
        EXPECT_TRUE(dialog.ContinueModal());

        ASSERT_TRUE(TabTo(panel.upgradeButton.GetSafeHwnd())) << "Tab reaches Upgrade";
        Press(VK_SPACE);
        ASSERT_TRUE(panel.downloadRunning) << "Space started the download";
        const HWND focus = ::GetFocus();
        EXPECT_TRUE(TakesKeys(focus)) << "the focus went on from Upgrade";
        Press(VK_TAB);
        EXPECT_TRUE(TakesKeys(::GetFocus()));
        EXPECT_NE(focus, ::GetFocus()) << "Tab moves during the download";
        EXPECT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, 3 * kPatienceMs));
    });
}

// The main toolbar by keys: Shift+Tab from the tree reaches it, the arrows move between its buttons
// and Space or Return presses one.
TEST_P(KeyTest, TheMainToolbarIsReachedByTabAndItsButtonsByTheArrows) {
    StartTester(1);
    const std::wstring workbook = files_.Missing(L"main-toolbar.xls");
    AnswerFileDialogs(workbook);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog&) {
        ASSERT_EQ(dialog.deviceTree.GetSafeHwnd(), ::GetFocus()) << "the focus at start";
        Press(VK_TAB, kShift);
        ASSERT_EQ(dialog.toolbar.GetSafeHwnd(), ::GetFocus()) << "Shift+Tab from the tree reaches the toolbar";
        EXPECT_EQ(UINT(ID_CLEAR_COUNTER), HotCommand(dialog.toolbar)) << "the first button that can be pressed";
        SavePicture(dialog.GetSafeHwnd(), Named("keys-main-toolbar"));

        ASSERT_TRUE(ArrowTo(dialog.toolbar, ID_SAVE_COUNTER));
        Press(VK_RETURN);
        EXPECT_EQ(1, fileDialogs_) << "Return on Save Counter";
        EXPECT_TRUE(FileWritten(workbook));
        EXPECT_EQ(1u, boxes.CountWithText(SavedBox()));
        EXPECT_TRUE(dialog.ContinueModal());

        ASSERT_TRUE(ArrowTo(dialog.toolbar, ID_CHART, VK_LEFT));
        Press(VK_SPACE);
        EXPECT_TRUE(dialog.chart.IsWindowVisible()) << "Space on Chart";
        dialog.chart.ShowWindow(SW_HIDE);
        dialog.SetActiveWindow();
    });
}

// After a loss and the tester's return, the keys alone reach Reconnect and press it.
TEST_P(KeyTest, AfterALossReconnectIsReachedAndPressedByKeys) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog&) {
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        const std::wstring lost = Japanese() ? L"装置切断しました!" : L"The device is disconnected!";
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(lost) == 1; }, kPatienceMs));
        ASSERT_EQ(0u, control_->Execute("return").find("ok"));
        dialog.deviceTree.SetFocus();
        Press(VK_TAB, kShift);
        ASSERT_EQ(dialog.toolbar.GetSafeHwnd(), ::GetFocus());
        EXPECT_EQ(UINT(ID_RECONNECT), HotCommand(dialog.toolbar)) << "the one button left to press";
        Press(VK_RETURN);
        EXPECT_TRUE(support::gui::PumpUntil(
            [&] { return boxes.CountWithText(L"Connection has been re-established!") == 1; }, kPatienceMs));
        EXPECT_EQ(L"Connected", support::gui::WindowText(dialog.connectionText.GetSafeHwnd()));
        EXPECT_TRUE(TakesKeys(::GetFocus()));
    });
}

// The Port A counter page's own toolbar: Tab reaches it from the tree, and its Save writes
// the workbook.
TEST_P(KeyTest, ThePortACounterPageIsSavedByKeys) {
    StartTester(1);
    const std::wstring workbook = files_.Missing(L"counter-page.xls");
    AnswerFileDialogs(workbook);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog&) {
        ChooseMenuItem(dialog, 1, 0);
        ASSERT_TRUE(dialog.portCounterWindow.IsWindowVisible());
        ASSERT_EQ(0, dialog.portCounterWindow.port);
        CToolBar& bar = dialog.portCounterWindow.counterToolBar;
        dialog.deviceTree.SetFocus();
        ASSERT_TRUE(TabTo(bar.GetSafeHwnd())) << "Tab reaches the counter page's toolbar";
        ASSERT_TRUE(ArrowTo(bar, ID_COUNTER_SAVE));
        SavePicture(dialog.GetSafeHwnd(), Named("keys-counter-toolbar"));
        Press(VK_RETURN);
        EXPECT_EQ(1, fileDialogs_);
        EXPECT_TRUE(FileWritten(workbook));
        EXPECT_EQ(1u, boxes.CountWithText(SavedBox()));
    });
}

// The port grid's drop list opens on the cell's value, and Escape closes it with the focus back on
// the cell: Tab goes on to Apply from there.
TEST_P(KeyTest, ThePortGridsDropListMarksTheValueAndEscapeKeepsTheFocusInTheGrid) {
    StartTester(1);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog&) {
        ClickTreeItem(dialog, Dialog::kItemPortConfiguration);
        ASSERT_TRUE(dialog.portConfigGrid.IsWindowVisible());
        Press(VK_TAB);
        ASSERT_TRUE(::IsChild(dialog.portConfigGrid.GetSafeHwnd(), ::GetFocus())) << "Tab into the grid";
        for (int press = 0; press < 4 && dialog.portConfigGrid.QueryCurrentColumn() < 1; ++press) Press(VK_RIGHT);
        ASSERT_EQ(1, dialog.portConfigGrid.QueryCurrentColumn()) << "the Media cell";
        const int row = dialog.portConfigGrid.QueryCurrentRow();
        const HWND cells = ::GetFocus();

        Press(VK_RETURN);
        HWND list = ::GetFocus();
        ASSERT_EQ(L"ListBox", support::gui::ClassName(list)) << "Return opens the list";
        EXPECT_EQ(0, support::gui::SelectedIndex(list)) << "\"Auto\" marked";
        Press(VK_DOWN);
        Press(VK_RETURN);
        EXPECT_EQ(L"Copper", std::wstring(dialog.portConfigGrid.GetCellText(1, row)));

        Press(VK_RETURN);
        list = ::GetFocus();
        ASSERT_EQ(L"ListBox", support::gui::ClassName(list));
        RECT item = {};
        ::SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        support::gui::PumpFor(300);
        EXPECT_GT(support::gui::CaptureWindow(list).Count(::GetSysColor(COLOR_HIGHLIGHT), item), 0)
            << "the screen marks \"Copper\", the cell's value";
        SavePicture(dialog.GetSafeHwnd(), Named("keys-port-grid-list"));
        Press(VK_ESCAPE);
        EXPECT_FALSE(::IsWindow(list));
        EXPECT_EQ(cells, ::GetFocus()) << "Escape gives the focus back to the cell";
        EXPECT_EQ(L"Copper", std::wstring(dialog.portConfigGrid.GetCellText(1, row)));
        EXPECT_TRUE(dialog.ContinueModal());
        Press(VK_TAB);
        EXPECT_EQ(dialog.applyButton.GetSafeHwnd(), ::GetFocus());
    });
}

// The shown page's tree item stays highlighted on the screen wherever the focus goes, and an item
// without a page takes no highlight from it.
TEST_P(KeyTest, TheShownPagesTreeItemKeepsItsHighlightOnTheScreen) {
    StartTester(1);
    BoxAnswers boxes;
    RunConnected([&](Dialog& dialog, CUpgradeDialog& panel) {
        ClickTreeItem(dialog, Dialog::kItemFpgaUpgrade);
        ASSERT_GT(HighlightedPixels(dialog, Dialog::kItemFpgaUpgrade), 0) << "in the focused tree";
        ClickTreeItem(dialog, Dialog::kItemSerial);
        EXPECT_TRUE(panel.IsWindowVisible());
        EXPECT_GT(HighlightedPixels(dialog, Dialog::kItemFpgaUpgrade), 0) << "after a click on S/N";
        Press(VK_TAB);
        ASSERT_TRUE(::IsChild(panel.GetSafeHwnd(), ::GetFocus())) << "the focus left the tree";
        EXPECT_GT(HighlightedPixels(dialog, Dialog::kItemFpgaUpgrade), 0) << "with the focus in the page";
        EXPECT_EQ(0, HighlightedPixels(dialog, Dialog::kItemSerial));
        SavePicture(dialog.GetSafeHwnd(), Named("keys-tree-highlight-upgrade"));

        ClickTreeItem(dialog, Dialog::kItemCaptureA);
        ClickControl(dialog.captureA.captureList);
        ASSERT_FALSE(::GetFocus() == dialog.deviceTree.GetSafeHwnd());
        EXPECT_GT(HighlightedPixels(dialog, Dialog::kItemCaptureA), 0) << "with the focus in the capture list";
        EXPECT_EQ(0, HighlightedPixels(dialog, Dialog::kItemFpgaUpgrade)) << "one page, one highlight";
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, KeyTest, testing::Values(0, 3),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 3 ? "Japanese" : "English");
                         });

}  // namespace
