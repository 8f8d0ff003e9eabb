// The tester lost while the program runs: one box, the disconnected picture, the toolbar reduced to
// Reconnect; then Reconnect brings it back.
#include "BrevixCPorts.h"
#include "DialogBench.h"
#include "main/DeviceEventCallback.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "sim/TesterControl.h"
#include "support/Environment.h"
#include "support/Frames.h"
#include "support/gui/Input.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <commctrl.h>

using namespace appbench;
using support::gui::IsShown;

namespace {

const std::wstring kLost = L"The device is disconnected!";
const std::wstring kBack = L"Connection has been re-established!";
// The toolbar's shown buttons that need the tester.
constexpr UINT kReducedButtons[] = {ID_CLEAR_COUNTER, ID_CHART, ID_SAVE_COUNTER};

class DeviceLossTest : public DialogBench {
protected:
    void TearDown() override {
        if (control_ && control_->Lost()) control_->Execute("return");
        control_.reset();
        DialogBench::TearDown();
    }
    // Runs the checks on the shown dialog, then ends it through File, Exit whatever they found.
    void RunThenExit(const std::function<void(CVorel_TAP_Test3Dlg&)>& checks) {
        RunDialog([&checks](CVorel_TAP_Test3Dlg& dialog) {
            checks(dialog);
            Exit(dialog);
        });
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
        ClickTool(dialogWindow, ID_RECONNECT);
        EXPECT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kBack) >= 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_EQ(1u, boxes.CountWithText(kBack));
        EXPECT_EQ(1u, boxes.CountWithText(kLost)) << "the loss was told once";
        expectConnected(true);
        Exit(dialog);
    });
}

// An IPv4 frame whose bytes after the EtherType read like a host message of `type`: 32-bit `value`
// at 18, the 16-bit words at 18 and 22 the same.
std::vector<uint8_t> ForeignFrame(uint16_t type, uint32_t value) {
    std::vector<uint8_t> frame(60, 0);
    const uint8_t head[] = {0x00, 0x22, 0x33, 0x44, 0x55, 0x66, 0x66, 0x55, 0x44, 0x33, 0x22, 0x00, 0x08, 0x00};
    std::copy(std::begin(head), std::end(head), frame.begin());
    frame[14] = static_cast<uint8_t>(type >> 8);
    frame[15] = static_cast<uint8_t>(type);
    for (size_t at : {size_t{18}, size_t{22}}) {
        for (int i = 0; i < 4; ++i) frame[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return frame;
}

TEST_F(DeviceLossTest, ForeignFramesAreNotTakenForHostMessages) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    RunThenExit([&](CVorel_TAP_Test3Dlg& dialog) {
        HWND window = dialog.GetSafeHwnd();
        // Through the wire: a frame that reads FF 00 and 255 after its EtherType, then a link report
        // asked for, which arrives behind it.
        ASSERT_TRUE(tester_->Device().SendRaw(ForeignFrame(BREVIXC_MSG_DEVICE_LOST, BREVIXC_LOST_DEVICE)));
        constexpr uint16_t kUnset = 0x1234;
        dialog.portCounterWindow.linkCodeB = kUnset;
        BrevixC_GetLinkStatus();
        ASSERT_TRUE(support::gui::PumpUntil([&] { return dialog.portCounterWindow.linkCodeB != kUnset; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_EQ(0u, boxes.CountWithText(kLost));
        EXPECT_EQ(L"Connected", support::gui::ControlText(window, IDC_CONNECTION_TEXT));
        const uint16_t linkA = dialog.portCounterWindow.linkCodeA;

        // A flood of foreign frames that read like link reports, as a library thread hands them on,
        // then the real loss: its box still comes, and no foreign frame changed the link record.
        std::thread([] {
            const std::vector<uint8_t> frame = ForeignFrame(BREVIXC_MSG_LINK_STATUS, 3);
            for (int i = 0; i < 20000; ++i) DeviceEventCallback(frame.data(), static_cast<int32_t>(frame.size()), 0, 0);
        }).join();
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_EQ(linkA, dialog.portCounterWindow.linkCodeA);
        EXPECT_EQ(L"Disconnected", support::gui::ControlText(window, IDC_CONNECTION_TEXT));
    });
}

// The library's device-lost message (0xFF00, value 255).
std::vector<uint8_t> LostMessage() {
    std::vector<uint8_t> bytes(BREVIXC_MSG_LENGTH, 0);
    bytes[12] = 0x04;
    bytes[13] = 0xFF;
    bytes[14] = 0xFF;
    bytes[18] = BREVIXC_LOST_DEVICE;
    return bytes;
}

TEST_F(DeviceLossTest, LossDuringStartUpStaysShownAndReconnectBringsTheTesterBack) {
    StartTester(1);
    // The library reports the loss as the start-up puts Port A into NIC mode (bit 7 of its capture
    // options); the start-up's later steps run after that.
    constexpr uint32_t kCaptureOptionsA = 0x410000CC;
    std::atomic<bool> reported{false};
    tester_->Device().SetInterceptor([&reported](const sim::Bytes& f) {
        if (reported || f.size() < 24 || f[14] != 0) return false;
        for (size_t i = 0; i < f[15] && 24 + 8 * i <= f.size(); ++i) {
            if (frames::Get32(f, 16 + 8 * i) == kCaptureOptionsA && (frames::Get32(f, 20 + 8 * i) & 0x80)) {
                const std::vector<uint8_t> lost = LostMessage();
                DeviceEventCallback(lost.data(), static_cast<int32_t>(lost.size()), 0, 0);
                reported = true;
            }
        }
        return false;
    });
    BoxAnswers boxes;
    RunThenExit([&](CVorel_TAP_Test3Dlg& dialog) {
        tester_->Device().SetInterceptor(nullptr);
        HWND window = dialog.GetSafeHwnd();
        ASSERT_TRUE(reported.load());
        SavePicture(window, L"vorels-lost-during-start-up");
        EXPECT_EQ(1u, boxes.CountWithText(kLost));
        EXPECT_EQ(L"Disconnected", support::gui::ControlText(window, IDC_CONNECTION_TEXT));
        EXPECT_TRUE(IsShown(window, IDC_PICTURE_DISCONNECTED));
        EXPECT_FALSE(IsShown(window, IDC_PICTURE_CONNECTED));
        EXPECT_TRUE(dialog.toolbar.IsButtonEnabled(ID_RECONNECT));
        EXPECT_FALSE(dialog.upgradePanel.upgradeButton.IsWindowEnabled());

        ClickTool(window, ID_RECONNECT);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kBack) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_EQ(L"Connected", support::gui::ControlText(window, IDC_CONNECTION_TEXT));
        EXPECT_FALSE(dialog.toolbar.IsButtonEnabled(ID_RECONNECT));
    });
}

// A timer that clicks Reconnect once, from inside whatever loop is pumping at the time.
HWND g_secondClickWindow = nullptr;
bool g_secondClickDone = false;
void CALLBACK ClickReconnectAgain(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    HWND bar = ::FindWindowExW(g_secondClickWindow, nullptr, TOOLBARCLASSNAMEW, nullptr);
    const auto index = static_cast<WPARAM>(::SendMessageW(bar, TB_COMMANDTOINDEX, ID_RECONNECT, 0));
    RECT rect = {};
    ::SendMessageW(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::MapWindowPoints(bar, g_secondClickWindow, &at, 1);
    support::gui::ClickAt(g_secondClickWindow, at);
    g_secondClickDone = true;
}

TEST_F(DeviceLossTest, SecondReconnectClickDuringTheWaitStartsNoSecondConnect) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    RunThenExit([&](CVorel_TAP_Test3Dlg& dialog) {
        HWND window = dialog.GetSafeHwnd();
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        ASSERT_EQ(0u, control_->Execute("return").find("ok"));
        // The second click comes a second into the first one's three-second wait.
        g_secondClickWindow = window;
        g_secondClickDone = false;
        ::SetTimer(nullptr, 0, 1000, &ClickReconnectAgain);
        ClickTool(window, ID_RECONNECT);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kBack) >= 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_TRUE(g_secondClickDone) << "the second click came during the first Reconnect";
        EXPECT_EQ(1u, boxes.CountWithText(kBack)) << "one connect";
        EXPECT_EQ(L"Connected", support::gui::ControlText(window, IDC_CONNECTION_TEXT));
    });
}

}  // namespace
