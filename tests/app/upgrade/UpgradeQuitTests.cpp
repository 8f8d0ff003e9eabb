// Closing the program while a download runs, as an operator tries it on the real mouse and keyboard:
// File > Exit through the menu bar and Alt+F4 are answered with a box that says why the program
// stays, the download goes on to its end, and then File > Exit ends the program.
#include "UpgradeBench.h"

#include <sstream>
#include <thread>

using namespace upgradetest;

namespace {

TEST_F(UpgradeDialogTest, ExitAndAltF4DuringAnFpgaDownloadKeepTheProgramUntilItEnds) {
    sim::FullTester& tester = StartTester(3);
    const sim::Bytes image = ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 200000);
    BoxAnswers boxes;
    const INT_PTR result = RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        // The start-up's media detection has ended: its panel no longer lies over the page.
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return Text(panel, IDC_UPGRADE_STATUS) == L"Status: Download"; },
                                            kPatienceMs));

        ASSERT_EQ(RefusedQuits(dialog, boxes, [](auto done) { return support::gui::PumpUntil(done, kPatienceMs); }), 2);
        EXPECT_EQ(boxes.Boxes().size(), 2u) << "nothing asks to quit while the download runs";
        ASSERT_TRUE(dialog.ContinueModal());
        EXPECT_TRUE(panel.downloadRunning);
        // On the screen the window stays, its page showing the download's status.
        support::gui::PumpPending();
        const support::gui::Picture picture = support::gui::CaptureWindow(dialog.GetSafeHwnd(), false);
        support::gui::SavePng(picture, support::gui::PicturePath(L"vorels-upgrade-quit-refused"));
        CRect window, status;
        dialog.GetWindowRect(&window);
        panel.GetDlgItem(IDC_UPGRADE_STATUS)->GetWindowRect(&status);
        status.OffsetRect(-window.TopLeft());
        EXPECT_TRUE(dialog.IsWindowVisible());
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Download");
        EXPECT_GT(DarkPixels(picture, status), 20) << "the status is drawn";
        // The page's controls do nothing now, and look it: no black caption on its buttons.
        for (int id : {IDC_UPGRADE_BROWSE, IDC_UPGRADE_BUTTON, IDCANCEL}) {
            CRect button;
            panel.GetDlgItem(id)->GetWindowRect(&button);
            button.OffsetRect(-window.TopLeft());
            button.DeflateRect(4, 4);
            EXPECT_EQ(DarkPixels(picture, button), 0) << "button " << id << " drawn as usable";
        }
        EXPECT_FALSE(panel.GetDlgItem(IDC_UPGRADE_PATH)->IsWindowEnabled());

        // The download goes on: the unit takes more of the image within every wait, to the pass.
        for (size_t taken = 0; panel.downloadRunning;) {
            ASSERT_TRUE(support::gui::PumpUntil(
                [&] { return !panel.downloadRunning || tester.Usb()->ReceivedCount() > taken; }, kPatienceMs));
            taken = tester.Usb()->ReceivedCount();
        }
        EXPECT_EQ(Text(panel, IDC_UPGRADE_STATUS), L"Status: Pass");
        for (int id : {IDC_UPGRADE_PATH, IDC_UPGRADE_BROWSE, IDC_UPGRADE_BUTTON, IDCANCEL})
            EXPECT_TRUE(panel.GetDlgItem(id)->IsWindowEnabled()) << "control " << id << " after the download";

        const size_t before = boxes.Boxes().size();
        ASSERT_TRUE(ExitByKeys(dialog)) << "File > Exit ends the program once the download has ended";
        ASSERT_EQ(boxes.Boxes().size(), before + 1);
        EXPECT_EQ(boxes.Boxes().back().type & MB_YESNO, UINT(MB_YESNO)) << "the quit question";
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(tester.Usb()->FpgaComplete());
    EXPECT_EQ(tester.Usb()->Fpga(), ReversedWindow(image));
    EXPECT_EQ(Logs(L"Upgrade_FPGA_*.log").size(), 1u);
}

// What a message box's text control shows, read from the screen's own box on a thread of its own:
// its lines as the text gives them, each one's width in the control's font, and the control's
// width. A line wider than the control is broken by the box wherever it runs out of room.
struct BoxLines {
    std::vector<std::wstring> lines;
    std::vector<int> widths;
    int room = 0;
};

BoxLines MeasureBoxLines(HWND box) {
    BoxLines measured;
    HWND text = ::GetDlgItem(box, 0xFFFF);
    if (text == nullptr) return measured;
    RECT client = {};
    ::GetClientRect(text, &client);
    measured.room = client.right - client.left;
    std::wstringstream lines(support::gui::WindowText(text));
    for (std::wstring line; std::getline(lines, line);) measured.lines.push_back(line);
    HDC dc = ::GetDC(text);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(text, WM_GETFONT, 0, 0)));
    for (const std::wstring& line : measured.lines) {
        RECT extent = {0, 0, 0, 0};
        ::DrawTextW(dc, line.c_str(), int(line.size()), &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        measured.widths.push_back(extent.right - extent.left);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(text, dc);
    return measured;
}

// In Japanese the box that keeps the program during a download breaks its text between its two
// sentences, and each sentence shows whole on its line.
TEST_F(UpgradeDialogTest, TheJapaneseBoxThatKeepsTheProgramBreaksBetweenItsSentences) {
    WriteLanguageValue("3", 1);
    StartTester(3);
    ChooseFpgaImage(L"BREVIX-H_FPGA_V0102.pof", 200000);
    BoxLines shown;
    BoxAnswers boxes([&](const ShownBox& box) {
        if (box.text.rfind(L"アップグレード中です。", 0) != 0) return BoxAnswers::DefaultAnswer(box);
        std::thread reader([&] {
            HWND found = nullptr;
            support::Eventually([&] {
                found = ::FindWindowW(L"#32770", box.caption.c_str());
                return found != nullptr && ::IsWindowVisible(found) && ::GetWindow(found, GW_OWNER) == box.owner;
            });
            if (found == nullptr) return;
            ::Sleep(300);
            shown = MeasureBoxLines(found);
            support::gui::SavePng(support::gui::CaptureWindow(found, false),
                                  support::gui::PicturePath(L"vorels-upgrade-quit-refused-japanese"));
            ::PostMessageW(found, WM_COMMAND, IDOK, 0);
        });
        const int answer = ::MessageBoxW(box.owner, box.text.c_str(), box.caption.c_str(), box.type);
        reader.join();
        return answer;
    });
    RunConnected([&](CVorel_TAP_Test3Dlg& dialog, CUpgradeDialog& panel) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        ASSERT_TRUE(OpenPageAndBrowse(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade));
        Click(panel, IDC_UPGRADE_BUTTON);
        ASSERT_TRUE(panel.downloadRunning);
        TypeAltF4();
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !shown.lines.empty(); }, kPatienceMs));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !panel.downloadRunning; }, 6 * kPatienceMs));
    });
    ASSERT_EQ(shown.lines.size(), 2u);
    EXPECT_EQ(shown.lines[0], L"アップグレード中です。");
    EXPECT_EQ(shown.lines[1].substr(shown.lines[1].size() - 6), L"できません。");
    for (size_t i = 0; i < shown.lines.size(); ++i)
        EXPECT_LE(shown.widths[i], shown.room) << "line " << i << " shows whole: " << shown.lines[i];
}

}  // namespace
