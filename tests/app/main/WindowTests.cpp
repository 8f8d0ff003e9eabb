// What the operator sees of the main dialog's windows, reached by real input: the chart and alarm
// windows come back in front when asked for again, the device tree's highlight stays on the shown
// page's item however the page was reached, and the counter page and the tree speak the current
// language with one form of each text.
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"
#include "treetable/TreeTable.h"

#include <commctrl.h>

#include <cstring>

using namespace appbench;
using Dialog = CVorel_TAP_Test3Dlg;

namespace {

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

// A mouse click on the device tree's item, where a real pointer lands in the dialog.
void ClickTreeItem(Dialog& dialog, int item) {
    const HTREEITEM handle = treeItems[item];
    ASSERT_NE(nullptr, handle);
    RECT rect = {};
    std::memcpy(&rect, &handle, sizeof handle);  // the item goes in where the rectangle comes back
    dialog.deviceTree.SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    POINT at{rect.left + 4, (rect.top + rect.bottom) / 2};
    ::MapWindowPoints(dialog.deviceTree.GetSafeHwnd(), dialog.GetSafeHwnd(), &at, 1);
    support::gui::ClickAt(dialog.GetSafeHwnd(), at);
    support::gui::PumpPending();
}

// The item numbers of the tree's selected item, -1 for none.
int HighlightedItem(Dialog& dialog) {
    const auto selected = reinterpret_cast<HTREEITEM>(
        dialog.deviceTree.SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected == nullptr) return -1;
    for (int item = 0; item < 30; ++item) {
        if (treeItems[item] == selected) return item;
    }
    return -2;
}

// Whether `upper` lies above `lower` in the Z order of the top-level windows.
bool Above(HWND upper, HWND lower) {
    for (HWND window = ::GetWindow(upper, GW_HWNDNEXT); window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (window == lower) return true;
    }
    return false;
}

std::wstring ColumnHeading(CTreeTableCtrl& tree, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW heading = {};
    heading.mask = LVCF_TEXT;
    heading.pszText = text;
    heading.cchTextMax = 64;
    tree.SendMessage(TLM_GETCOLUMN, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&heading));
    return text;
}

CString LibraryText(const wchar_t* library, UINT id) {
    HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const wchar_t* text = nullptr;
    const int length = module ? ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0) : 0;
    CString result = length > 0 ? CString(text, length) : CString();
    if (module) ::FreeLibrary(module);
    return result;
}

class WindowTest : public DialogBench {};

// The chart window from the toolbar's Chart button and the alarm report from its menu item: asked
// for again while minimised or behind the main window, each comes back whole and in front.
TEST_F(WindowTest, ChartAndAlarmReportComeBackRestoredAndInFront) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](Dialog& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.aboutVersions[0].IsEmpty(); }, kPatienceMs));
        const auto askFor = [&](CWnd& window) {
            if (&window == &dialog.chart) {
                ClickTool(dialog.GetSafeHwnd(), ID_CHART);
            } else {
                ChooseMenuItem(dialog, 2, 3);  // Media Status, Alarm Report
            }
            support::gui::PumpFor(300);
        };
        for (CWnd* window : {static_cast<CWnd*>(&dialog.chart), static_cast<CWnd*>(&dialog.alarmReport)}) {
            const char* name = window == &dialog.chart ? "chart" : "alarm report";
            HWND handle = window->GetSafeHwnd();
            askFor(*window);
            ASSERT_TRUE(window->IsWindowVisible()) << name;

            // Minimised (its title bar's button), then asked for: restored.
            window->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            support::gui::PumpFor(300);
            ASSERT_TRUE(::IsIconic(handle)) << name;
            askFor(*window);
            EXPECT_FALSE(::IsIconic(handle)) << name << " restored";
            EXPECT_TRUE(window->IsWindowVisible()) << name;
            EXPECT_TRUE(Above(handle, dialog.GetSafeHwnd())) << name << " in front of the main window";

            // Put behind the main window (as another program's window manager may), then asked for.
            ::SetWindowPos(handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            support::gui::PumpFor(300);
            if (Above(dialog.GetSafeHwnd(), handle)) {
                askFor(*window);
                EXPECT_TRUE(Above(handle, dialog.GetSafeHwnd())) << name << " brought in front";
            }
            EXPECT_EQ(handle, ::GetActiveWindow()) << name << " active";
            support::gui::SavePng(support::gui::CaptureWindow(handle, false),
                                  support::gui::PicturePath(window == &dialog.chart ? L"windows-chart-back"
                                                                                    : L"windows-alarm-back"));
            window->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
            support::gui::PumpPending();
        }
        Exit(dialog);
    });
}

// The tree's highlight is on the shown page's item, whether the tree, a menu or the toolbar showed
// the page, and on no item while a page without one shows.
TEST_F(WindowTest, TheTreeHighlightFollowsTheShownPage) {
    StartTester(3);
    BoxAnswers boxes;
    RunDialog([](Dialog& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.aboutVersions[0].IsEmpty(); }, kPatienceMs));
        EXPECT_EQ(Dialog::kItemFpgaUpgrade, HighlightedItem(dialog)) << "the first page's item";

        ClickTreeItem(dialog, Dialog::kItemPortConfiguration);
        ASSERT_EQ(Dialog::Page::kPortConfiguration, dialog.ShownPage());
        EXPECT_EQ(Dialog::kItemPortConfiguration, HighlightedItem(dialog));

        ChooseMenuItem(dialog, 1, 0);  // Statistics, Port A Counter
        ASSERT_EQ(Dialog::Page::kCounterA, dialog.ShownPage());
        EXPECT_EQ(-1, HighlightedItem(dialog)) << "the counter page has no tree item";

        ClickTreeItem(dialog, Dialog::kItemFirmwareUpgrade);
        ASSERT_EQ(Dialog::Page::kFirmwareUpgrade, dialog.ShownPage());
        EXPECT_EQ(Dialog::kItemFirmwareUpgrade, HighlightedItem(dialog));

        ChooseMenuItem(dialog, 2, 1);  // Media Status, Port B
        ASSERT_EQ(Dialog::Page::kMediaB, dialog.ShownPage());
        EXPECT_EQ(-1, HighlightedItem(dialog));

        // The item chosen again after a page without one: its page shows, highlighted.
        ClickTreeItem(dialog, Dialog::kItemFirmwareUpgrade);
        ASSERT_EQ(Dialog::Page::kFirmwareUpgrade, dialog.ShownPage());
        EXPECT_EQ(Dialog::kItemFirmwareUpgrade, HighlightedItem(dialog));

        ClickTreeItem(dialog, Dialog::kItemCaptureB);
        ASSERT_EQ(Dialog::Page::kCaptureB, dialog.ShownPage());
        EXPECT_EQ(Dialog::kItemCaptureB, HighlightedItem(dialog));

        ChooseMenuItem(dialog, 3, 1);  // Language, Japanese
        ASSERT_EQ(3, dialog.languageIndex);
        EXPECT_EQ(Dialog::Page::kCaptureB, dialog.ShownPage());
        EXPECT_EQ(Dialog::kItemCaptureB, HighlightedItem(dialog));
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"windows-tree-follows"));
        Exit(dialog);
    });
}

// The counter page's heading and named rows are in the current language whichever page was shown
// at the switch, and the heading has one form ("Port A") from the start on.
TEST_F(WindowTest, TheCounterPageSpeaksTheLanguageSwitchedFromAnotherPage) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](Dialog& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.aboutVersions[0].IsEmpty(); }, kPatienceMs));
        CCounterWindow& page = dialog.portCounterWindow;
        const auto expectLanguage = [&](const wchar_t* library, const wchar_t* heading, const char* when) {
            EXPECT_EQ(std::wstring(heading), ColumnHeading(page.counterTree, 1)) << when;
            const std::pair<int, UINT> rows[] = {{CCounterWindow::kLinkRow, IDS_LINK},
                                                 {CCounterWindow::kSpeedRow, IDS_SPEED},
                                                 {CCounterWindow::kTypeRow, IDS_TYPE},
                                                 {CCounterWindow::kFlowControlRow, IDS_FLOW_CONTROL}};
            for (const auto& [row, id] : rows) {
                EXPECT_EQ(LibraryText(library, id), page.RowLabel(row)) << when << ", row " << row;
            }
        };
        EXPECT_EQ(L"Port A", ColumnHeading(page.counterTree, 1)) << "at start";

        // Japanese chosen on the port configuration page, then the counter page from the menu.
        ClickTreeItem(dialog, Dialog::kItemPortConfiguration);
        ChooseMenuItem(dialog, 3, 1);
        ASSERT_EQ(3, dialog.languageIndex);
        ChooseMenuItem(dialog, 1, 0);
        ASSERT_EQ(Dialog::Page::kCounterA, dialog.ShownPage());
        const std::wstring port = LibraryText(L"LangJP.dll", IDS_PORT).GetString();
        expectLanguage(L"LangJP.dll", (port + L" A").c_str(), "Japanese");
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"windows-counter-japanese"));

        // English chosen on an upgrade page, then Port B's counter page.
        ClickTreeItem(dialog, Dialog::kItemFpgaUpgrade);
        ChooseMenuItem(dialog, 3, 0);
        ASSERT_EQ(0, dialog.languageIndex);
        ChooseMenuItem(dialog, 1, 1);
        ASSERT_EQ(Dialog::Page::kCounterB, dialog.ShownPage());
        expectLanguage(L"LangENG.dll", L"Port B", "English");

        // Switched on the counter page itself: the same form.
        ChooseMenuItem(dialog, 3, 1);
        ChooseMenuItem(dialog, 3, 0);
        expectLanguage(L"LangENG.dll", L"Port B", "English again");
        Exit(dialog);
    });
}

// The tree names the agent in one form, at start and after a language switch.
TEST_F(WindowTest, TheTreeNamesTheAgentAlikeBeforeAndAfterALanguageSwitch) {
    StartTester(2);
    BoxAnswers boxes;
    RunDialog([](Dialog& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.aboutVersions[0].IsEmpty(); }, kPatienceMs));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return dialog.FirstShowDone(); }, kPatienceMs));
        EXPECT_EQ(L"Agent / Customer : Quendal Agent", TreeTextOf(dialog, Dialog::kItemAgent)) << "at start";
        ChooseMenuItem(dialog, 3, 1);
        ASSERT_EQ(3, dialog.languageIndex);
        EXPECT_EQ(L"Agent / Customer : Quendal Agent", TreeTextOf(dialog, Dialog::kItemAgent)) << "in Japanese";
        ChooseMenuItem(dialog, 3, 0);
        EXPECT_EQ(L"Agent / Customer : Quendal Agent", TreeTextOf(dialog, Dialog::kItemAgent)) << "in English";
        Exit(dialog);
    });
}

}  // namespace
