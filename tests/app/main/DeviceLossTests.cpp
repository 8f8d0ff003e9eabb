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
#include "support/gui/Seams.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <algorithm>
#include <atomic>
#include <ctime>
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

// A quit typed on the real keyboard (Alt+F4) from inside Reconnect's wait, the calendar clock held
// until the quit has ended the dialog, then moved on so that the wait ends.
struct QuitDuringTheWait {
    CVorel_TAP_Test3Dlg* dialog = nullptr;
    support::gui::FakeClock* clock = nullptr;
    sim::Tester* device = nullptr;
    DWORD typedAt = 0;
    bool typed = false;
    bool quitBeforeTheWaitEnded = false;
    size_t commandsAtTheEnd = 0;
};
QuitDuringTheWait* g_quit = nullptr;

void CALLBACK QuitThenEndTheWait(HWND, UINT, UINT_PTR timer, DWORD) {
    QuitDuringTheWait& quit = *g_quit;
    HWND window = quit.dialog->GetSafeHwnd();
    if (!quit.typed) {
        if (support::gui::ControlText(window, IDC_CONNECTION_TEXT) != L"Connecting") return;
        ::SetForegroundWindow(window);
        INPUT keys[4] = {};
        for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[3].ki.wVk = VK_MENU;
        keys[1].ki.wVk = keys[2].ki.wVk = VK_F4;
        keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(4, keys, sizeof(INPUT));
        quit.typed = true;
        quit.typedAt = ::GetTickCount();
        return;
    }
    // A quit that went astray lets the wait end too, once the patience has run out.
    const bool ended = !quit.dialog->ContinueModal();
    if (!ended && ::GetTickCount() - quit.typedAt < DWORD(support::kPatience.count())) return;
    ::KillTimer(nullptr, timer);
    quit.quitBeforeTheWaitEnded = ended;
    quit.commandsAtTheEnd = quit.device->Commands().size();
    quit.clock->Advance(5);
}

TEST_F(DeviceLossTest, AQuitDuringReconnectsWaitEndsEverythingThere) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    QuitDuringTheWait quit;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        HWND window = dialog.GetSafeHwnd();
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        ASSERT_EQ(0u, control_->Execute("return").find("ok"));
        support::gui::FakeClock clock(_time64(nullptr));
        quit.dialog = &dialog;
        quit.clock = &clock;
        quit.device = &tester_->Device();
        g_quit = &quit;
        ::SetTimer(nullptr, 0, 100, &QuitThenEndTheWait);
        // The click returns once Reconnect has done all it does.
        ClickTool(window, ID_RECONNECT);
        g_quit = nullptr;
    });
    ASSERT_TRUE(quit.quitBeforeTheWaitEnded) << "the quit was confirmed during the wait";
    EXPECT_EQ(1u, boxes.CountWithText(L"All unsaved data will be lost!\nClick YES to quit Vorels-NIC and lose all "
                                      L"your unsaved data, or click NO to cancel."));
    // After the wait nothing more: no connect, no port commands, no box.
    EXPECT_EQ(quit.commandsAtTheEnd, tester_->Device().Commands().size()) << "register traffic after the terminate";
    EXPECT_EQ(0u, boxes.CountWithText(kBack));
    EXPECT_TRUE(support::Eventually([] { return CountNamedThreads(L"BrevixCAPI") == 0; }));
}

TEST_F(DeviceLossTest, ALossDuringTheMediaDetectionIsTheOneBox) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    RunThenExit([&](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(dialog.progressPanel.IsWindowVisible()) << "the start-up's media detection runs";
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        // The detection's 35 seconds pass on the calendar clock: its panel goes, and no second box.
        support::gui::FakeClock clock(_time64(nullptr));
        clock.Advance(40);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); },
                                            static_cast<DWORD>(support::kPatience.count())));
        support::gui::PumpPending();
        EXPECT_EQ(0u, boxes.CountWithText(L"Fail to detect media!"));
        EXPECT_EQ(1u, boxes.Boxes().size());
    });
}

TEST_F(DeviceLossTest, ALossWhileAnotherBoxIsOpenGetsItsBoxOnceThatOneHasClosed) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    HWND window = nullptr;
    bool lossReachedTheWindow = false;
    int openBoxes = 0;
    int mostOpenAtOnce = 0;
    // The Clear Counter question stays open while the tester goes: its loop dispatches the loss.
    BoxAnswers boxes([&](const ShownBox& box) {
        mostOpenAtOnce = std::max(mostOpenAtOnce, ++openBoxes);
        if (box.text.rfind(L"All statistics will be lost!", 0) == 0) {
            control_->Execute("lose");
            lossReachedTheWindow = support::gui::PumpUntil(
                [&] { return support::gui::ControlText(window, IDC_CONNECTION_TEXT) == L"Disconnected"; },
                static_cast<DWORD>(support::kPatience.count()));
        }
        --openBoxes;
        return BoxAnswers::DefaultAnswer(box);
    });
    RunThenExit([&](CVorel_TAP_Test3Dlg& dialog) {
        window = dialog.GetSafeHwnd();
        ClickTool(window, ID_CLEAR_COUNTER);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(kLost) == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_TRUE(lossReachedTheWindow);
        const std::vector<ShownBox> shown = boxes.Boxes();
        ASSERT_EQ(2u, shown.size());
        EXPECT_EQ(0u, shown[0].text.find(L"All statistics will be lost!"));
        EXPECT_EQ(kLost, shown[1].text) << "after the question closed";
        EXPECT_EQ(1, mostOpenAtOnce) << "one box at a time";
        for (const ShownBox& box : shown) EXPECT_EQ(window, box.owner) << "owned by the main window";
    });
}

// The tester goes while the quit question is open: Yes ends the program, with no loss box after it.
TEST_F(DeviceLossTest, ALossWhileTheQuitQuestionIsOpenAsksNothingMoreOfYes) {
    StartTester(1);
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    HWND window = nullptr;
    bool lossReachedTheWindow = false;
    BoxAnswers boxes([&](const ShownBox& box) {
        if (box.type & MB_YESNO) {
            control_->Execute("lose");
            lossReachedTheWindow = support::gui::PumpUntil(
                [&] { return support::gui::ControlText(window, IDC_CONNECTION_TEXT) == L"Disconnected"; },
                static_cast<DWORD>(support::kPatience.count()));
            return IDYES;
        }
        return BoxAnswers::DefaultAnswer(box);
    });
    const INT_PTR result = RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        window = dialog.GetSafeHwnd();
        Exit(dialog);
    });
    EXPECT_EQ(IDOK, result) << "File, Exit ended the dialog";
    EXPECT_TRUE(lossReachedTheWindow);
    const std::vector<ShownBox> shown = boxes.Boxes();
    ASSERT_EQ(1u, shown.size()) << "the question alone; the last: " << shown.back().text;
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), shown[0].type & MB_YESNO);
}

}  // namespace
