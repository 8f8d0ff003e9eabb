// The tester lost while the program runs: one box, the disconnected picture, the toolbar reduced to
// Reconnect; then Reconnect brings it back.
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "sim/TesterControl.h"
#include "support/Environment.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

using namespace appbench;
using support::gui::IsShown;

namespace {

const std::wstring kLost = L"The device is disconnected!";
const std::wstring kBack = L"Connection has been re-established!";
constexpr UINT kReducedButtons[] = {ID_CLEAR_COUNTER, ID_CHART, ID_PORT_A, ID_PORT_B, ID_PORT_A_AND_B, ID_SAVE_COUNTER};

class DeviceLossTest : public DialogBench {
protected:
    void TearDown() override {
        if (control_ && control_->Lost()) control_->Execute("return");
        control_.reset();
        DialogBench::TearDown();
    }
    // The simulator's control channel, as a person drives it.
    std::unique_ptr<sim::TesterControl> control_;
};

TEST_F(DeviceLossTest, LossShowsOneBoxAndReconnectBringsTheTesterBack) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    HWND dialogWindow = nullptr;
    BoxAnswers boxes([&dialogWindow](const ShownBox& box) {
        if (box.text == kLost) return ShowBoxForPicture(box, dialogWindow, L"vorels-device-lost", IDOK);
        return BoxAnswers::DefaultAnswer(box);
    });
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        dialogWindow = dialog.GetSafeHwnd();
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        const ShownBox lost = boxes.Boxes().back();
        EXPECT_EQ(L"Vorels-NIC", lost.caption) << "the application's title";
        EXPECT_EQ(static_cast<UINT>(MB_OK), lost.type);

        // Connected or not: the pictures, the text, the toolbar and the Upgrade button agree.
        const auto expectConnected = [&](bool connected) {
            EXPECT_EQ(connected, IsShown(dialogWindow, IDC_PICTURE_CONNECTED));
            EXPECT_FALSE(IsShown(dialogWindow, IDC_PICTURE_CONNECTING));
            EXPECT_EQ(!connected, IsShown(dialogWindow, IDC_PICTURE_DISCONNECTED));
            EXPECT_EQ(connected ? L"Connected" : L"Disconnected",
                      support::gui::ControlText(dialogWindow, IDC_CONNECTION_TEXT));
            EXPECT_EQ(!connected, dialog.toolbar.IsButtonEnabled(ID_RECONNECT) != FALSE);
            for (UINT button : kReducedButtons) EXPECT_EQ(connected, dialog.toolbar.IsButtonEnabled(button) != FALSE);
            EXPECT_EQ(connected, dialog.upgradePanel.upgradeButton.IsWindowEnabled() != FALSE);
        };
        expectConnected(false);

        // The tester back: Reconnect finds it.
        ASSERT_EQ(0u, control_->Execute("return").find("ok"));
        dialog.SendMessage(WM_COMMAND, ID_RECONNECT, 0);
        EXPECT_EQ(1u, boxes.CountWithText(kBack));
        EXPECT_EQ(1u, boxes.CountWithText(kLost)) << "the loss was told once";
        expectConnected(true);
        Exit(dialog);
    });
}

}  // namespace
