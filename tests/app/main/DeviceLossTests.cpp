// The tester lost while the program runs: one box, the disconnected picture, the toolbar reduced to
// Reconnect; then Reconnect brings it back.
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/Environment.h"
#include "support/Waiting.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"

using namespace appbench;
using support::gui::IsShown;

namespace {

const std::wstring kLost = L"The device is disconnected!";
const std::wstring kBack = L"Connection has been re-established!";
constexpr UINT kReducedButtons[] = {ID_CLEAR_COUNTER, ID_CHART, ID_PORT_A, ID_PORT_B, ID_PORT_A_AND_B, ID_SAVE_COUNTER};

class DeviceLossTest : public DialogBench {
protected:
    void TearDown() override {
        if (down_) support::RunUnixCommand("/usr/sbin/ip link set " + support::TestNetwork().hostInterface + " up");
        DialogBench::TearDown();
    }
    bool down_ = false;
};

TEST_F(DeviceLossTest, LossShowsOneBoxAndReconnectBringsTheTesterBack) {
    StartTester(1);
    HWND dialogWindow = nullptr;
    BoxAnswers boxes([&dialogWindow](const ShownBox& box) {
        if (box.text == kLost) return ShowBoxForPicture(box, dialogWindow, L"vorels-device-lost", IDOK);
        return BoxAnswers::DefaultAnswer(box);
    });
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        dialogWindow = dialog.GetSafeHwnd();
        const std::string host = support::TestNetwork().hostInterface;
        down_ = support::RunUnixCommand("/usr/sbin/ip link set " + host + " down");
        ASSERT_TRUE(down_);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        const ShownBox lost = boxes.Boxes().back();
        EXPECT_EQ(L"Vorels-NIC", lost.caption) << "the application's title";
        EXPECT_EQ(static_cast<UINT>(MB_OK), lost.type);

        EXPECT_FALSE(IsShown(dialogWindow, IDC_PICTURE_CONNECTED));
        EXPECT_FALSE(IsShown(dialogWindow, IDC_PICTURE_CONNECTING));
        EXPECT_TRUE(IsShown(dialogWindow, IDC_PICTURE_DISCONNECTED));
        EXPECT_EQ(L"Disconnected", support::gui::ControlText(dialogWindow, IDC_CONNECTION_TEXT));
        EXPECT_TRUE(dialog.toolbar.IsButtonEnabled(ID_RECONNECT));
        for (UINT button : kReducedButtons) EXPECT_FALSE(dialog.toolbar.IsButtonEnabled(button)) << button;
        EXPECT_FALSE(dialog.upgradePanel.upgradeButton.IsWindowEnabled());

        // The tester back: Reconnect finds it.
        ASSERT_TRUE(support::RunUnixCommand("/usr/sbin/ip link set " + host + " up"));
        down_ = false;
        dialog.SendMessage(WM_COMMAND, ID_RECONNECT, 0);
        EXPECT_EQ(1u, boxes.CountWithText(kBack));
        EXPECT_EQ(1u, boxes.CountWithText(kLost)) << "the loss was told once";
        EXPECT_TRUE(IsShown(dialogWindow, IDC_PICTURE_CONNECTED));
        EXPECT_FALSE(IsShown(dialogWindow, IDC_PICTURE_CONNECTING));
        EXPECT_FALSE(IsShown(dialogWindow, IDC_PICTURE_DISCONNECTED));
        EXPECT_EQ(L"Connected", support::gui::ControlText(dialogWindow, IDC_CONNECTION_TEXT));
        EXPECT_FALSE(dialog.toolbar.IsButtonEnabled(ID_RECONNECT));
        for (UINT button : kReducedButtons) EXPECT_TRUE(dialog.toolbar.IsButtonEnabled(button)) << button;
        EXPECT_TRUE(dialog.upgradePanel.upgradeButton.IsWindowEnabled());
        Exit(dialog);
    });
}

}  // namespace
