// The stand-ins for what a test cannot click or wait for, seen through the classes that use them.
#include <framework/Framework.h>
#include <support/gui/Seams.h>

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using support::gui::FakeClock;
using support::gui::FileDialogAnswer;

TEST(FileDialogSeam, AnswerStandsInForTheSystemDialog) {
    FileDialogAnswer answer(L"C:\\Logs\\Counter\\run 1.xls");
    CFileDialog dialog(FALSE, L"xls", L"counters.xls", OFN_OVERWRITEPROMPT, L"Excel (*.xls)|*.xls|All files|*.*||");
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(CString(L"C:\\Logs\\Counter\\run 1.xls"), dialog.GetPathName());
    EXPECT_EQ(CString(L"run 1.xls"), dialog.GetFileName());
    EXPECT_EQ(CString(L"xls"), dialog.GetFileExt());
    EXPECT_EQ(CString(L"run 1"), dialog.GetFileTitle());
    EXPECT_EQ(CString(L"C:\\Logs\\Counter"), dialog.GetFolderPath());

    std::vector<FileDialogAnswer::Asked> dialogs = answer.Dialogs();
    ASSERT_EQ(1u, dialogs.size());
    const FileDialogAnswer::Asked& asked = dialogs[0];
    EXPECT_FALSE(asked.open);
    EXPECT_EQ(L"counters.xls", asked.initialName);
    EXPECT_EQ(L"xls", asked.defaultExtension);
    EXPECT_EQ(L"Excel (*.xls)|*.xls|All files|*.*|", asked.filter);
}

TEST(FileDialogSeam, CancelledDialogLeavesNoPath) {
    FileDialogAnswer answer = FileDialogAnswer::Cancelling();
    CFileDialog dialog(TRUE, nullptr, nullptr, 0, L"Images|*.pof");
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(dialog.GetPathName().IsEmpty());
    ASSERT_EQ(1u, answer.Dialogs().size());
    EXPECT_TRUE(answer.Dialogs()[0].open);
    EXPECT_EQ(L"Images|*.pof|", answer.Dialogs()[0].filter);
}

TEST(MessageBoxSeam, StandInAnswersEveryBoxOfTheFramework) {
    struct Shown {
        HWND owner;
        std::wstring text, caption;
        UINT type;
    };
    std::vector<Shown> shown;
    framework::SetMessageBoxStandIn([&shown](HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
        shown.push_back({owner, text, caption ? caption : L"", type});
        return type == MB_YESNO ? IDNO : IDOK;
    });
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    EXPECT_EQ(IDNO, host.MessageBox(L"Quit?", L"Message", MB_YESNO));
    EXPECT_EQ(IDOK, AfxMessageBox(L"Saved"));
    framework::SetMessageBoxStandIn(nullptr);

    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(host.GetSafeHwnd(), shown[0].owner);
    EXPECT_EQ(L"Quit?", shown[0].text);
    EXPECT_EQ(L"Message", shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), shown[0].type);
    EXPECT_EQ(L"Saved", shown[1].text);
    EXPECT_EQ(std::wstring(AfxGetAppName()), shown[1].caption);
    host.DestroyWindow();
}

TEST(OleSeam, OleInitGivesTheThreadASingleThreadedApartment) {
    std::thread([] {
        ASSERT_TRUE(AfxOleInit());
        // A second start on the same thread finds the apartment there already.
        EXPECT_EQ(S_FALSE, ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ::CoUninitialize();
        ::OleUninitialize();
    }).join();
}

// The way the program waits whole seconds by the calendar clock.
void WaitSeconds(int seconds) {
    CTime start = CTime::GetCurrentTime();
    while ((CTime::GetCurrentTime() - start).GetTotalSeconds() < seconds) {
    }
}

TEST(ClockSeam, FakeClockDrivesCurrentTimeAndWaits) {
    const __time64_t start = 1700000000;  // 2023-11-14 22:13:20 UTC
    {
        FakeClock clock(start);
        EXPECT_EQ(start, CTime::GetCurrentTime().GetTime());
        clock.Advance(90);
        EXPECT_EQ(CTimeSpan(0, 0, 1, 30), CTime::GetCurrentTime() - CTime(start));
        EXPECT_EQ(CString(L"2023-11-14 22:14:50"), CTime::GetCurrentTime().FormatGmt(L"%Y-%m-%d %H:%M:%S"));
    }
    {
        FakeClock ticking(start, 1);
        WaitSeconds(3);
        EXPECT_EQ(4, ticking.Readings());  // the start, then one reading per passing second
    }
    EXPECT_GT(CTime::GetCurrentTime().GetTime(), start);  // the system clock again
}

}  // namespace
