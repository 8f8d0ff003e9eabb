// Start-up: one copy at a time, the demo question both ways, and a connected start whose tree,
// grids and pictures show the simulated tester's identity for each model.
#include "BrevixCAPI.h"
#include "DialogBench.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3App.h"
#include "res/resource.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <atomic>
#include <thread>

using namespace appbench;
using support::gui::IsShown;

namespace {

const std::wstring kDemoQuestion =
    L"Vorels-NIC cannot detect your Brevix-A/C/H!\nWould you like to run Vorels-NIC under Demo mode (for Demo "
    L"purpose only) instead?";

CRect ClientRectOf(CWnd& parent, CWnd& child) {
    CRect rect;
    child.GetWindowRect(&rect);
    parent.ScreenToClient(&rect);
    return rect;
}

std::wstring GridText(CVGCtrl& grid, int column, int row) {
    CString text;
    grid.CopyCellText(column, row, &text);
    return std::wstring(text.GetString());
}

class StartupTest : public DialogBench {};

TEST_F(StartupTest, SecondCopyIsToldAndDoesNotStart) {
    HANDLE first = ::CreateMutexW(nullptr, FALSE, CVorel_TAP_Test3App::kInstanceMutex);
    ASSERT_NE(first, nullptr);
    BoxAnswers boxes;
    EXPECT_FALSE(theApp.InitInstance());
    ::CloseHandle(first);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CVorel_TAP_Test3App::kSecondCopyText, boxes.Boxes()[0].text);
    EXPECT_EQ(L"Vorels-NIC", boxes.Boxes()[0].caption);
    EXPECT_EQ(nullptr, theMainDialog) << "no dialog was made";
}

TEST_F(StartupTest, DeclinedDemoEndsBeforeTheDialogIsShown) {
    BoxAnswers boxes([](const ShownBox& box) { return box.text == kDemoQuestion ? IDNO : IDOK; });
    bool everShown = false;
    {
        CVorel_TAP_Test3Dlg dialog;
        EXPECT_EQ(IDOK, dialog.DoModal());
        everShown = startupDone != 0;
    }
    ASSERT_EQ(1u, boxes.Boxes().size()) << "the question alone";
    EXPECT_EQ(L"Message", boxes.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes.Boxes()[0].type);
    EXPECT_FALSE(everShown);
    EXPECT_TRUE(runMode.IsEmpty());
}

TEST_F(StartupTest, AcceptedDemoShowsSampleIdentityAndTheDemoPicture) {
    BoxAnswers boxes([](const ShownBox& box) {
        if (box.text == kDemoQuestion) return ShowBoxForPicture(box, nullptr, L"vorels-demo-question", IDYES);
        return BoxAnswers::DefaultAnswer(box);
    });
    const INT_PTR result = RunDialog([this](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_TRUE(dialog.IsWindowVisible());
        EXPECT_EQ(CString(L"DEMO"), runMode);
        EXPECT_EQ(17, TreeItemCount());  // with Frame Capture and its two ports
        EXPECT_EQ(L"S/N : 0JBVX3000000", TreeText(dialog, CVorel_TAP_Test3Dlg::kItemSerial));
        EXPECT_EQ(L"Firmware Upgrade", TreeText(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade));
        EXPECT_EQ(L"Brevix-C/A", GridText(dialog.aboutPanel.aboutGrid, 0, 0));
        EXPECT_EQ(L"Brevix-A/C", GridText(dialog.systemInformation.infoGrid, 0, 0));
        EXPECT_FALSE(dialog.aboutPanel.IsWindowVisible()) << "the About panel is a store, never shown";

        HWND self = dialog.GetSafeHwnd();
        EXPECT_TRUE(IsShown(self, IDC_PICTURE_DEMO));
        EXPECT_FALSE(IsShown(self, IDC_PICTURE_SPLASH_ANIM));
        EXPECT_FALSE(IsShown(self, IDC_PICTURE_SPLASH_STILL));
        EXPECT_FALSE(dialog.toolbar.IsButtonEnabled(ID_RECONNECT));
        EXPECT_FALSE(dialog.toolbar.IsButtonHidden(ID_RECONNECT));
        for (UINT shown : {ID_CLEAR_COUNTER, ID_CHART, ID_SAVE_COUNTER}) {
            EXPECT_FALSE(dialog.toolbar.IsButtonHidden(shown));
            EXPECT_TRUE(dialog.toolbar.IsButtonEnabled(shown));
        }
        for (UINT hidden : {ID_PORT_A, ID_PORT_B, ID_PORT_A_AND_B}) {
            EXPECT_TRUE(dialog.toolbar.IsButtonHidden(hidden));
        }
        EXPECT_FALSE(dialog.upgradePanel.upgradeButton.IsWindowEnabled());

        // The first page: FPGA Upgrade in the frame, 10 pixels in from each side.
        EXPECT_EQ(L"FPGA Upgrade", support::gui::ControlText(self, IDC_PANEL_TITLE));
        EXPECT_TRUE(dialog.upgradePanel.IsWindowVisible());
        CRect frame = ClientRectOf(dialog, *dialog.GetDlgItem(IDC_PANEL_FRAME));
        frame.DeflateRect(10, 10);
        EXPECT_EQ(frame, ClientRectOf(dialog, dialog.upgradePanel));
        EXPECT_EQ(L"Brevix-CF", std::wstring(dialog.upgradePanel.InfoText(0).GetString()));

        SavePicture(self, L"vorels-main-demo");
        Exit(dialog);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_GE(boxes.Boxes().size(), 2u);
    EXPECT_EQ(kDemoQuestion, boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes.Boxes()[0].type);
}

class ConnectedStartupTest : public DialogBench, public testing::WithParamInterface<int> {};

TEST_P(ConnectedStartupTest, TreeGridsAndPicturesShowTheTester) {
    const int machineId = GetParam();
    StartTester(machineId);
    sim::TesterIdentity identity = sim::FullTester::FactoryIdentity(machineId);
    identity.serialNumber = "QT" + std::to_string(machineId) + "-2019-000417";
    identity.productDate = "201905171432";
    identity.mac = {0x02, 0x5E, 0xC1, 0x0D, 0xA0, uint8_t(0x10 + machineId)};
    SetIdentity(identity);
    static const wchar_t* const kModels[] = {L"", L"Brevix-C", L"Brevix-A", L"Brevix-H", L"Brevix-J"};
    const std::wstring serial(identity.serialNumber.begin(), identity.serialNumber.end());
    wchar_t mac[32];
    swprintf(mac, 32, L"%02X-%02X-%02X-%02X-%02X-%02X", identity.mac[0], identity.mac[1], identity.mac[2],
             identity.mac[3], identity.mac[4], identity.mac[5]);

    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_TRUE(support::gui::PumpUntil(
            [&] { return TreeText(dialog, CVorel_TAP_Test3Dlg::kItemSerial) == L"S/N : " + serial; },
            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_TRUE(runMode.IsEmpty());
        EXPECT_EQ(kModels[machineId], TreeText(dialog, CVorel_TAP_Test3Dlg::kItemModel));
        EXPECT_EQ(std::wstring(L"MAC : ") + mac, TreeText(dialog, CVorel_TAP_Test3Dlg::kItemMac));
        EXPECT_EQ(L"Manufacture Date : 2019/05/17 14:32", TreeText(dialog, CVorel_TAP_Test3Dlg::kItemDate));
        EXPECT_EQ(0u, TreeText(dialog, CVorel_TAP_Test3Dlg::kItemApi).find(L"API Version : v"));
        EXPECT_EQ(0u, TreeText(dialog, CVorel_TAP_Test3Dlg::kItemFpga).find(L"FPGA Version : v"));
        EXPECT_EQ(0u, TreeText(dialog, CVorel_TAP_Test3Dlg::kItemPcb).find(L"PCB Version : v"));
        // The firmware upgrade is offered where the tester has the firmware controller.
        EXPECT_EQ(machineId >= 3 ? 17 : 16, TreeItemCount());  // with Frame Capture and its two ports
        EXPECT_EQ(serial, GridText(dialog.systemInformation.infoGrid, 0, 2));
        EXPECT_EQ(serial, GridText(dialog.aboutPanel.aboutGrid, 0, 2));
        EXPECT_EQ(std::wstring(mac), GridText(dialog.aboutPanel.aboutGrid, 0, 3));
        EXPECT_EQ(kModels[machineId], std::wstring(dialog.upgradePanel.InfoText(0).GetString()));

        HWND self = dialog.GetSafeHwnd();
        ASSERT_GT(dialog.toolbar.GetButtonCount(), 0) << "the start-up went through the toolbar";
        EXPECT_TRUE(IsShown(self, IDC_PICTURE_CONNECTED));
        EXPECT_FALSE(IsShown(self, IDC_PICTURE_CONNECTING));
        EXPECT_FALSE(IsShown(self, IDC_PICTURE_DISCONNECTED));
        EXPECT_FALSE(IsShown(self, IDC_PICTURE_DEMO));
        EXPECT_EQ(L"Connected", support::gui::ControlText(self, IDC_CONNECTION_TEXT));
        EXPECT_TRUE(IsShown(self, IDC_PANEL_TITLE));
        EXPECT_EQ(L"FPGA Upgrade", support::gui::ControlText(self, IDC_PANEL_TITLE));
        if (machineId == 1) {
            SavePicture(self, L"vorels-main-connected");
        }
        Exit(dialog);
    });
    // File, Exit terminated the library once: its threads end.
    EXPECT_TRUE(support::Eventually([] { return CountNamedThreads(L"BrevixCAPI") == 0; }));
    EXPECT_EQ(0u, boxes.CountWithText(L"The device is disconnected!"));
}

INSTANTIATE_TEST_SUITE_P(Models, ConnectedStartupTest, testing::Values(1, 2, 3, 4));

// A key of the real keyboard: queued to the foreground window's thread, seen by GetAsyncKeyState.
void RealKey(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}

TEST_F(StartupTest, EscapePressedAndReleasedWhileTheFirstShowSleepsLeavesTheDialog) {
    StartTester(1);
    BoxAnswers boxes;
    // Escape goes down and up on the real keyboard while the dialog's thread sleeps in its first
    // show: the thread handles the key only after it was released.
    std::atomic<bool> typed{false};
    std::atomic<bool> foreground{false};
    std::thread keys([&] {
        if (!support::Eventually([] { return theMainDialog != nullptr && theMainDialog->FirstShowDone(); })) return;
        foreground = ::GetForegroundWindow() == theMainDialog->GetSafeHwnd();
        RealKey(VK_ESCAPE, false);
        RealKey(VK_ESCAPE, true);
        typed = true;
    });
    bool driven = false;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        driven = true;
        keys.join();
        ASSERT_TRUE(typed.load());
        EXPECT_TRUE(foreground.load()) << "the key reached the dialog's thread";
        // The key was taken before the timer that started this ran; two seconds on, the dialog is
        // still there, and Port A still in NIC mode.
        support::gui::PumpFor(2000);
        EXPECT_TRUE(dialog.ContinueModal());
        EXPECT_TRUE(dialog.IsWindowVisible());
        EXPECT_NE(tester_->Device().Registers().Get(0x410000CC) & 0x80, 0u) << "Port A in NIC mode";
        EXPECT_TRUE(boxes.Boxes().empty()) << "nothing was asked";
        Exit(dialog);
    });
    if (keys.joinable()) keys.join();
    EXPECT_TRUE(driven) << "the dialog ended before its driver ran";
}

TEST_F(StartupTest, EscapeHandledAfterTheGuiThreadStalledLeavesTheDialog) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        // The device tree, which leaves Escape to the dialog, takes the focus by a click on its model.
        dialog.SetForegroundWindow();
        RECT rect = {};
        ASSERT_TRUE(dialog.deviceTree.GetItemRect(treeItems[CVorel_TAP_Test3Dlg::kItemModel], &rect, TRUE));
        support::gui::Click(dialog.deviceTree.GetSafeHwnd(),
                            POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        ASSERT_TRUE(support::gui::PumpUntil([&] { return ::GetFocus() == dialog.deviceTree.GetSafeHwnd(); },
                                            static_cast<DWORD>(support::kPatience.count())));
        ASSERT_EQ(CVorel_TAP_Test3Dlg::kItemModel, selectedTreeItem);
        // Escape down and up while this thread takes no message (a stalled GUI thread), then Down for
        // the tree: once the tree has moved on, the Escape before it was handled too.
        for (WORD vk : {WORD(VK_ESCAPE), WORD(VK_DOWN)}) {
            RealKey(vk, false);
            RealKey(vk, true);
        }
        ASSERT_TRUE(support::gui::PumpUntil([] { return selectedTreeItem != CVorel_TAP_Test3Dlg::kItemModel; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_TRUE(dialog.ContinueModal()) << "Escape ended the dialog";
        EXPECT_TRUE(dialog.IsWindowVisible());
        EXPECT_NE(tester_->Device().Registers().Get(0x410000CC) & 0x80, 0u) << "Port A in NIC mode";
        EXPECT_TRUE(boxes.Boxes().empty()) << "nothing was asked";
        if (dialog.ContinueModal()) Exit(dialog);
    });
}

TEST_F(StartupTest, TreeItemsShowTheirPages) {
    StartTester(3);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        HWND self = dialog.GetSafeHwnd();
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        EXPECT_EQ(CVorel_TAP_Test3Dlg::kItemPortConfiguration, selectedTreeItem);
        EXPECT_EQ(L"Port Configuration", support::gui::ControlText(self, IDC_PANEL_TITLE));
        EXPECT_TRUE(IsShown(self, IDC_APPLY));
        EXPECT_FALSE(dialog.upgradePanel.IsWindowVisible());

        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
        EXPECT_EQ(L"Firmware Upgrade", support::gui::ControlText(self, IDC_PANEL_TITLE));
        EXPECT_TRUE(dialog.upgradePanel.IsWindowVisible());
        EXPECT_FALSE(IsShown(self, IDC_APPLY));
        EXPECT_EQ(CUpgradeDialog::kFirmware, dialog.upgradePanel.Mode());
        EXPECT_EQ(dialog.upgradePanel.GetFirmwareVersionText(), dialog.upgradePanel.InfoText(1));

        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        EXPECT_EQ(L"FPGA Upgrade", support::gui::ControlText(self, IDC_PANEL_TITLE));
        EXPECT_EQ(CUpgradeDialog::kFpga, dialog.upgradePanel.Mode());
        EXPECT_EQ(dialog.upgradePanel.GetFpgaVersionText(), dialog.upgradePanel.InfoText(1));

        // Any other item changes nothing but the selection.
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemSerial);
        EXPECT_EQ(CVorel_TAP_Test3Dlg::kItemSerial, selectedTreeItem);
        EXPECT_EQ(L"FPGA Upgrade", support::gui::ControlText(self, IDC_PANEL_TITLE));
        EXPECT_TRUE(dialog.upgradePanel.IsWindowVisible());
        Exit(dialog);
    });
}

}  // namespace
