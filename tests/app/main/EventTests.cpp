// Device events as the library delivers them: from a thread of its own, through the registered
// callback, in a buffer that is gone once the call returns. The callback never waits on the window;
// the window applies each message on its own thread.
#include "BrevixCAPI.h"
#include "BrevixCCapture.h"
#include "DialogBench.h"
#include "main/DeviceEventCallback.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Pump.h"
#include "support/gui/Seams.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace appbench;

namespace {

std::vector<uint8_t> Message(uint16_t type, size_t length = BREVIXC_MSG_LENGTH) {
    std::vector<uint8_t> bytes(length, 0);
    bytes[12] = 0x04;
    bytes[13] = 0xFF;
    bytes[14] = static_cast<uint8_t>(type >> 8);
    bytes[15] = static_cast<uint8_t>(type);
    return bytes;
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// Delivers the message as a library thread does, with a buffer overwritten as soon as the call
// returns; how long the call took.
std::chrono::milliseconds Deliver(std::vector<uint8_t> bytes, int32_t length = -1) {
    std::chrono::milliseconds took{0};
    std::thread([&] {
        const auto start = std::chrono::steady_clock::now();
        DeviceEventCallback(bytes.data(), length < 0 ? static_cast<int32_t>(bytes.size()) : length, 0, 0);
        took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::memset(bytes.data(), 0xEE, bytes.size());
    }).join();
    return took;
}

class DeviceEventTest : public DialogBench {};

TEST_F(DeviceEventTest, EachTypeReachesItsPanelOnTheWindowsThread) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([&boxes](CVorel_TAP_Test3Dlg& dialog) {
        // Link report: the link codes at 18 and 22, the media words at 20 and 24.
        std::vector<uint8_t> link = Message(BREVIXC_MSG_LINK_STATUS);
        Put16(link, 18, 9);
        Put16(link, 20, 1);
        Put16(link, 22, 255);
        Put16(link, 24, 0);
        link[27] = 0x55;
        link[29] = 0x55;
        Deliver(link);
        ASSERT_TRUE(support::gui::PumpUntil([&dialog] { return dialog.portCounterWindow.linkCodeB == 255; }, 5000));
        EXPECT_EQ(9, dialog.portCounterWindow.linkCodeA);
        EXPECT_EQ(1, dialog.portCounterWindow.mediaTypeA);
        EXPECT_EQ(0, dialog.portCounterWindow.mediaTypeB);

        // A report cut short of its fields changes nothing.
        std::vector<uint8_t> shortLink = Message(BREVIXC_MSG_LINK_STATUS);
        Put16(shortLink, 18, 3);
        Deliver(shortLink, 20);
        // Capture data of port 2: the alarm list's two lines, no capture row.
        std::vector<uint8_t> capture = Message(BREVIXC_MSG_CAPTURE);
        Put16(capture, 16, 2);
        Put16(capture, 22, 5);
        Deliver(capture);
        ASSERT_TRUE(support::gui::PumpUntil([&dialog] { return dialog.alarmReport.alarmList.GetCount() == 2; }, 5000));
        EXPECT_EQ(9, dialog.portCounterWindow.linkCodeA) << "the short report was dropped";
        EXPECT_EQ((std::vector<std::wstring>{L"5", L"2"}), support::gui::ListItems(dialog.alarmReport.alarmList));
        EXPECT_EQ(0, dialog.captureA.captureList.GetItemCount());
        EXPECT_EQ(0, dialog.captureB.captureList.GetItemCount());

        // Media detected: the progress panel goes.
        dialog.progressPanel.ShowWindow(SW_SHOW);
        std::vector<uint8_t> media = Message(BREVIXC_MSG_PORT_EVENT);
        Put32(media, 18, BREVIXC_EVENT_MEDIA_DETECTION);
        Put32(media, 22, 1);
        Deliver(media);
        EXPECT_TRUE(support::gui::PumpUntil([&dialog] { return !dialog.progressPanel.IsWindowVisible(); }, 5000));

        // Not detected within the panel's 35 seconds: one box, the panel hidden.
        dialog.progressPanel.ShowWindow(SW_SHOW);
        {
            support::gui::FakeClock clock(CTime::GetCurrentTime().GetTime() + 36);
            Put32(media, 22, 0);
            Deliver(media);
            EXPECT_TRUE(
                support::gui::PumpUntil([&boxes] { return boxes.CountWithText(L"Fail to detect media!") == 1; }, 5000));
        }
        EXPECT_FALSE(dialog.progressPanel.IsWindowVisible());
        EXPECT_EQ(0, dialog.progressPanel.m_progress.GetPos());

        // The loss of the tester: the library's thread does not wait for the operator.
        std::vector<uint8_t> lost = Message(BREVIXC_MSG_DEVICE_LOST);
        Put32(lost, 18, 254);
        Deliver(lost);
        Put32(lost, 18, BREVIXC_LOST_DEVICE);
        EXPECT_LT(Deliver(lost).count(), 1000);
        EXPECT_TRUE(support::gui::PumpUntil(
            [&boxes] { return boxes.CountWithText(L"The device is disconnected!") == 1; }, 5000));
        EXPECT_TRUE(dialog.toolbar.IsButtonEnabled(ID_RECONNECT));
        Exit(dialog);
    });
    EXPECT_EQ(1u, boxes.CountWithText(L"The device is disconnected!")) << "value 254 is no loss";
}

// Two upper-case digits and a blank a byte, written here on its own.
std::wstring HexOf(const uint8_t* bytes, size_t length) {
    std::wstring text;
    wchar_t pair[4];
    for (size_t i = 0; i < length; ++i) {
        swprintf(pair, 4, L"%02X ", bytes[i]);
        text += pair;
    }
    return text;
}

TEST_F(DeviceEventTest, CapturedFramesBecomeRowsOfTheirPortsPanel) {
    sim::FullTester& tester = StartTester(1);
    BoxAnswers boxes;
    RunDialog([&tester](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_EQ(1, BrevixC_SYS_ChangeToPGMode());
        ASSERT_EQ(1, BrevixC_StartRxCapture(0, 0, 5));
        tester.Captures().ReceiveNumbered(0, 0, 5, 64);
        ASSERT_EQ(1, BrevixC_StopRxCaptureNext(0, 5));
        CListCtrl& rows = dialog.captureA.captureList;
        ASSERT_TRUE(support::gui::PumpUntil([&rows] { return rows.GetItemCount() >= 5; },
                                            static_cast<DWORD>(support::kPatience.count())));
        BrevixC_CaptureVector frames;
        ASSERT_TRUE(BrevixC_CopyCaptureBuffer(0, frames));
        ASSERT_GE(frames.size(), 5u);
        for (int row = 0; row < 5; ++row) {
            const BrevixC_PKTCAP_Content_S& frame = frames[static_cast<size_t>(row)];
            const std::wstring hex = HexOf(frame.data, frame.length);
            EXPECT_EQ(std::to_wstring(row + 1), std::wstring(rows.GetItemText(row, 0).GetString()));
            EXPECT_EQ(hex.substr(0, 17), std::wstring(rows.GetItemText(row, 1).GetString())) << "destination";
            EXPECT_EQ(hex.substr(18, 17), std::wstring(rows.GetItemText(row, 2).GetString())) << "source";
            EXPECT_EQ(std::to_wstring(frame.length), std::wstring(rows.GetItemText(row, 3).GetString()));
            EXPECT_EQ(hex.substr(36, 5), std::wstring(rows.GetItemText(row, 4).GetString())) << "type";
            EXPECT_EQ(hex, std::wstring(rows.GetItemText(row, 5).GetString()));
        }
        EXPECT_EQ(0, dialog.captureB.captureList.GetItemCount());
        // Two lines a report, the count then the port; Port A's reports among them.
        const std::vector<std::wstring> alarms = support::gui::ListItems(dialog.alarmReport.alarmList);
        ASSERT_EQ(0u, alarms.size() % 2);
        bool portA = false;
        for (size_t i = 0; i + 1 < alarms.size(); i += 2) portA = portA || alarms[i + 1] == L"0";
        EXPECT_TRUE(portA);
        Exit(dialog);
    });
}

TEST_F(DeviceEventTest, FlashLibraryProgressAndToolbarTips) {
    StartTester(1);
    std::wstring statusUnderTheBox;
    BoxAnswers boxes([&statusUnderTheBox](const ShownBox& box) {
        if (box.text.rfind(L"Complete FPGA upgrade!", 0) == 0 && theMainDialog)
            statusUnderTheBox = support::gui::ControlText(theMainDialog->upgradePanel.GetSafeHwnd(), IDC_UPGRADE_STATUS);
        return BoxAnswers::DefaultAnswer(box);
    });
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        HWND upgrade = dialog.upgradePanel.GetSafeHwnd();
        EXPECT_EQ(1, dialog.SendMessage(WM_FPGA_PROGRESS, 1, 600));
        EXPECT_EQ(L"Status: Upgrade FPGA file", support::gui::ControlText(upgrade, IDC_UPGRADE_STATUS));
        dialog.upgradePanel.SendDlgItemMessage(IDC_UPGRADE_PROGRESS, PBM_SETRANGE32, 0, 2400);
        dialog.SendMessage(WM_FPGA_PROGRESS, 4, 1200);
        EXPECT_EQ(L"Status: ", support::gui::ControlText(upgrade, IDC_UPGRADE_STATUS));
        EXPECT_EQ(1200, dialog.upgradePanel.SendDlgItemMessage(IDC_UPGRADE_PROGRESS, PBM_GETPOS, 0, 0));
        dialog.SendMessage(WM_FPGA_PROGRESS, 5, 2400);
        EXPECT_EQ(L"Status: Finish!", support::gui::ControlText(upgrade, IDC_UPGRADE_STATUS));
        ASSERT_EQ(1u, boxes.CountWithText(L"Complete FPGA upgrade! \nPlease restart Brevix-series and Vorels-NIC!"));
        EXPECT_EQ(L"Message", boxes.Boxes().back().caption);
        EXPECT_EQ(L"Status: Finish!", statusUnderTheBox) << "the page tells the end before the box does";

        // The toolbar's tips: the text after the line feed of the command's string.
        for (const auto& [command, tip] :
             {std::pair<UINT, std::wstring>{ID_RECONNECT, L"Reconnect"}, {ID_SAVE_COUNTER, L"Save Counter"}}) {
            NMTTDISPINFOW request = {};
            request.hdr.hwndFrom = dialog.toolbar.GetSafeHwnd();
            request.hdr.idFrom = command;
            request.hdr.code = TTN_NEEDTEXTW;
            dialog.SendMessage(WM_NOTIFY, command, reinterpret_cast<LPARAM>(&request));
            EXPECT_EQ(tip, std::wstring(request.lpszText ? request.lpszText : L""));
        }
        Exit(dialog);
    });
}

}  // namespace
