// The pages of the main dialog as an operator reaches them: keys through the menu bar, clicks on the
// toolbar and the device tree. Every page is reached by something the operator can use, and
// whatever reached it, the page shows alone and whole in the frame, in either language, on every
// model and in demo mode.
#include "BrevixCAPI.h"
#include "capture/CaptureIds.h"
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "sim/TesterControl.h"
#include "treetable/TreeTable.h"
#include "support/Environment.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Seams.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

using namespace appbench;
using Dialog = CVorel_TAP_Test3Dlg;

namespace {

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

struct Setup {
    int machineId;  // 0: no tester, demo mode
    int language;   // 0 English, 3 Japanese
};

std::string SetupName(const testing::TestParamInfo<Setup>& info) {
    return (info.param.machineId == 0 ? std::string("Demo") : "Machine" + std::to_string(info.param.machineId)) +
           (info.param.language == 3 ? "Japanese" : "English");
}

const Setup kSetups[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {0, 0}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {0, 3}};

// The program's question boxes: Yes to demo mode, No to quitting and clearing until the test ends.
BoxAnswers::Answer Answers(const bool& quitting) {
    return [&quitting](const ShownBox& box) {
        if (box.text.find(L"Demo mode") != std::wstring::npos || quitting) return BoxAnswers::DefaultAnswer(box);
        return (box.type & MB_YESNO) ? IDNO : IDOK;
    };
}

// What the right-hand side shows, named by the windows visible there and the title above them.
std::vector<std::wstring> VisiblePages(Dialog& dialog) {
    const std::pair<CWnd*, const wchar_t*> pages[] = {
        {&dialog.upgradePanel, L"upgrade"},       {&dialog.portConfigGrid, L"port configuration"},
        {&dialog.applyButton, L"port configuration"}, {&dialog.portCounterWindow, L"counter"},
        {&dialog.captureA, L"capture A"},         {&dialog.captureB, L"capture B"},
        {&dialog.mediaA, L"media A"},             {&dialog.mediaB, L"media B"},
        {&dialog.counterWindow, L"counter window"}, {&dialog.mainView, L"main view"},
        {&dialog.systemInformation, L"system information"},
    };
    std::vector<std::wstring> visible;
    for (const auto& [window, name] : pages) {
        if (window->GetSafeHwnd() && window->IsWindowVisible() &&
            std::find(visible.begin(), visible.end(), name) == visible.end()) {
            visible.push_back(name);
        }
    }
    return visible;
}

// The page shown, by the one window visible and the title ("counter" pages by their port).
std::wstring ShownPage(Dialog& dialog) {
    const std::vector<std::wstring> visible = VisiblePages(dialog);
    if (visible.size() != 1) return L"";
    const std::wstring title = support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE);
    if (visible[0] == L"upgrade") {
        return dialog.upgradePanel.Mode() == CUpgradeDialog::kFpga ? L"FPGA upgrade" : L"firmware upgrade";
    }
    if (visible[0] == L"counter") return dialog.portCounterWindow.port == 0 ? L"counter A" : L"counter B";
    return visible[0];
}

// A string of a language library, read from the library itself.
CString LibraryText(const wchar_t* library, UINT id) {
    HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const wchar_t* text = nullptr;
    const int length = module ? ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0) : 0;
    CString result = length > 0 ? CString(text, length) : CString();
    if (module) ::FreeLibrary(module);
    return result;
}

// Where the pages go: the dialog's frame control less 10 pixels on each side.
CRect PageArea(Dialog& dialog) {
    CRect area;
    ::GetWindowRect(::GetDlgItem(dialog.GetSafeHwnd(), IDC_PANEL_FRAME), &area);
    ::MapWindowPoints(nullptr, dialog.GetSafeHwnd(), reinterpret_cast<POINT*>(&area), 2);
    area.DeflateRect(10, 10);
    return area;
}

// The points of the page area, on a 24-pixel grid, where the pointer lands on none of the page's
// windows (nor their controls): another page's window lies over them.
int StrayPoints(Dialog& dialog, const std::vector<HWND>& own) {
    const CRect area = PageArea(dialog);
    int strays = 0;
    for (int y = area.top + 2; y < area.bottom; y += 24) {
        for (int x = area.left + 2; x < area.right; x += 24) {
            POINT local;
            HWND target = support::gui::MouseTarget(dialog.GetSafeHwnd(), POINT{x, y}, &local);
            bool owned = false;
            for (HWND window : own) {
                owned = owned || target == window || (window != dialog.GetSafeHwnd() && ::IsChild(window, target));
            }
            strays += owned ? 0 : 1;
        }
    }
    return strays;
}

// A mouse click at a point of a window, where a real pointer would land in the dialog.
void ClickOn(Dialog& dialog, HWND window, POINT client) {
    ::MapWindowPoints(window, dialog.GetSafeHwnd(), &client, 1);
    support::gui::ClickAt(dialog.GetSafeHwnd(), client);
    support::gui::PumpPending();
}

// The driver, then File, Exit (through the menu bar) answered Yes: also after a failed assertion
// ended the driver early, which would otherwise leave the dialog running.
std::function<void(Dialog&)> EndingAfter(bool& quitting, std::function<void(Dialog&)> driver) {
    return [&quitting, driver](Dialog& dialog) {
        driver(dialog);
        quitting = true;
        ChooseMenuItem(dialog, 0, 0);
    };
}

class PageTest : public DialogBench, public testing::WithParamInterface<Setup> {
protected:
    void SetUp() override {
        DialogBench::SetUp();
        WriteLanguageValue(GetParam().language == 3 ? "3" : "0", 1);
        if (GetParam().machineId != 0) StartTester(GetParam().machineId);
    }

    // The dialog speaks the language the registry's value asked for.
    void ExpectStartLanguage(Dialog& dialog) const {
        EXPECT_EQ(LibraryText(GetParam().language == 3 ? L"LangJP.dll" : L"LangENG.dll", IDS_SYSTEM_UPGRADE),
                  CString(DialogBench::TreeTextOf(dialog, Dialog::kItemSystemUpgrade).c_str()));
    }

    bool HasFirmwareUpgrade() const { return GetParam().machineId == 0 || GetParam().machineId >= 3; }

    // Closes the pop-up windows an action opened, as their close boxes do.
    static void ClosePopUps(Dialog& dialog) {
        for (CWnd* popUp : {static_cast<CWnd*>(&dialog.chart), static_cast<CWnd*>(&dialog.alarmReport),
                            static_cast<CWnd*>(&dialog.requirements)}) {
            if (popUp->IsWindowVisible()) popUp->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        support::gui::PumpPending();
    }

    // Every character of the title has a glyph in the font the title is drawn with.
    static void ExpectTitleGlyphs(Dialog& dialog) {
        const std::wstring title = support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE);
        HWND titleWindow = dialog.panelTitle.GetSafeHwnd();
        HDC dc = ::GetDC(titleWindow);
        HGDIOBJ before =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(titleWindow, WM_GETFONT, 0, 0)));
        std::vector<WORD> glyphs(title.size() + 1);
        ::GetGlyphIndicesW(dc, title.c_str(), static_cast<int>(title.size()), glyphs.data(),
                           GGI_MARK_NONEXISTING_GLYPHS);
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        ::SelectObject(dc, before);
        ::ReleaseDC(titleWindow, dc);
        for (size_t i = 0; i < title.size(); ++i) {
            EXPECT_NE(0xFFFF, glyphs[i]) << "no glyph for character " << i << " of the title in " << face;
        }
    }
};

class ReachabilityTest : public PageTest {};

TEST_P(ReachabilityTest, EveryPageIsReachedByAMenuItemAToolbarButtonOrATreeItem) {
    bool quitting = false;
    BoxAnswers boxes(Answers(quitting));
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring saved = std::wstring(temp) + L"pages-reach-counters.xls";
    support::gui::FileDialogAnswer files(saved);
    const bool japanese = GetParam().language == 3;
    RunDialog(EndingAfter(quitting, [&](Dialog& dialog) {
        ExpectStartLanguage(dialog);
        std::map<std::wstring, std::vector<std::wstring>> reached;  // page -> what reached it
        const auto record = [&](const std::wstring& how) {
            const std::wstring page = ShownPage(dialog);
            std::wstring visible;
            for (const std::wstring& name : VisiblePages(dialog)) visible += name + L"; ";
            EXPECT_FALSE(page.empty()) << "after " << std::string(how.begin(), how.end()) << " one page shows, not "
                                       << std::string(visible.begin(), visible.end());
            reached[page].push_back(how);
            for (const auto& [popUp, name] :
                 {std::pair<CWnd*, const wchar_t*>{&dialog.chart, L"chart"}, {&dialog.alarmReport, L"alarm report"},
                  {&dialog.requirements, L"system requirements"}}) {
                if (popUp->IsWindowVisible()) reached[name].push_back(how);
            }
            ClosePopUps(dialog);
        };

        // The menu bar, every item but the other language (a switch) and the web link (a browser).
        ASSERT_NE(nullptr, dialog.GetMenu());
        // The language item reloads the menu: each round asks the dialog for the menu it has now.
        for (int menu = 0; menu < dialog.GetMenu()->GetMenuItemCount(); ++menu) {
            CMenu* popup = dialog.GetMenu()->GetSubMenu(menu);
            for (int item = 0; popup && item < popup->GetMenuItemCount(); ++item) {
                const UINT id = popup->GetMenuItemID(item);
                if (id == 0 || id == static_cast<UINT>(-1) || id == ID_HELP_WEB ||
                    id == (japanese ? ID_LANGUAGE_ENGLISH : ID_LANGUAGE_JAPANESE)) {
                    continue;
                }
                CString text;
                popup->GetMenuString(static_cast<UINT>(item), text, MF_BYPOSITION);
                if (id == ID_HELP_ABOUT) {
                    BoxSnapper about(japanese ? L"QT714-NIC のバージョン情報" : L"About QT714-NIC", nullptr,
                                     japanese ? L"reach-about-japanese" : L"reach-about", IDOK);
                    ChooseMenuItem(dialog, menu, item);
                    if (!about.Caption().empty()) reached[L"about"].push_back(L"menu About");
                    continue;
                }
                ChooseMenuItem(dialog, menu, item);
                record(L"menu " + std::wstring(text.GetString()));
                popup = dialog.GetMenu()->GetSubMenu(menu);
            }
        }

        // The toolbar's buttons that show.
        HWND toolbar = ::FindWindowExW(dialog.GetSafeHwnd(), nullptr, TOOLBARCLASSNAMEW, nullptr);
        ASSERT_NE(nullptr, toolbar);
        const int buttons = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
        for (int index = 0; index < buttons; ++index) {
            TBBUTTON button = {};
            ::SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
            if ((button.fsStyle & TBSTYLE_SEP) || (button.fsState & TBSTATE_HIDDEN)) continue;
            ClickTool(dialog.GetSafeHwnd(), static_cast<UINT>(button.idCommand));
            support::gui::PumpFor(150);
            record(L"toolbar " + std::to_wstring(button.idCommand));
        }

        // Every item of the device tree.
        for (int item = 0; item < 30; ++item) {
            if (treeItems[item] == nullptr) continue;
            ClickTreeItem(dialog, item);
            record(L"tree " + std::to_wstring(item));
        }

        std::vector<std::wstring> pages = {L"counter A",   L"counter B",   L"port configuration",
                                           L"FPGA upgrade", L"capture A",   L"capture B",
                                           L"media A",     L"media B",     L"alarm report",
                                           L"chart",       L"about",       L"system requirements"};
        if (HasFirmwareUpgrade()) pages.push_back(L"firmware upgrade");
        std::wstring seen;
        for (const auto& [page, hows] : reached) {
            seen += page + L":";
            for (const std::wstring& how : hows) seen += L" [" + how + L"]";
            seen += L"\n";
        }
        for (const std::wstring& page : pages) {
            EXPECT_FALSE(reached[page].empty()) << "nothing reaches " << std::string(page.begin(), page.end())
                                                << "; seen:\n" << std::string(seen.begin(), seen.end());
        }

        // The counter page's rows move: its Rx and Tx packet rows read again some seconds later.
        ChooseMenuItem(dialog, 1, 0);
        ASSERT_EQ(L"counter A", ShownPage(dialog));
        const auto rows = [&dialog] {
            return std::wstring(dialog.portCounterWindow.RowValue(4).GetString()) + L"|" +
                   dialog.portCounterWindow.RowValue(8).GetString();
        };
        const std::wstring first = rows();
        support::gui::PumpFor(3000);
        EXPECT_NE(first, rows());
        // Save Counter saves the port shown.
        ChooseMenuItem(dialog, 1, 1);
        ASSERT_EQ(L"counter B", ShownPage(dialog));
        ::DeleteFileW(saved.c_str());
        ClickTool(dialog.GetSafeHwnd(), ID_SAVE_COUNTER);
        const auto holds = [&saved](const std::string& text) {
            FILE* file = _wfopen(saved.c_str(), L"rb");
            std::string bytes;
            for (int c; file && (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<char>(c));
            if (file) std::fclose(file);
            std::string wide;
            for (char c : text) wide += std::string{c, '\0'};
            return bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos;
        };
        // The file appears before its bytes are all in it: the shown port's sheet name is the mark.
        EXPECT_TRUE(support::gui::PumpUntil([&] { return holds("Port B"); }, kPatienceMs));
        EXPECT_FALSE(holds("Port A"));
        ChooseMenuItem(dialog, 1, 0);
        SavePicture(dialog.GetSafeHwnd(), L"reach-counter-a-" + std::to_wstring(GetParam().machineId) +
                                              (japanese ? L"-japanese" : L""));
    }));
}

INSTANTIATE_TEST_SUITE_P(Setups, ReachabilityTest, testing::ValuesIn(kSetups), SetupName);

// The right-hand pages and how the operator reaches each.
struct PageRoute {
    const wchar_t* page;
    int menu;  // the menu's position in the bar, or -1 for a tree item
    int item;  // the item's position in the menu, or the tree item
};

const PageRoute kRoutes[] = {
    {L"counter A", 1, 0},
    {L"counter B", 1, 1},
    {L"port configuration", -1, Dialog::kItemPortConfiguration},
    {L"FPGA upgrade", -1, Dialog::kItemFpgaUpgrade},
    {L"firmware upgrade", -1, Dialog::kItemFirmwareUpgrade},
    {L"capture A", -1, Dialog::kItemCaptureA},
    {L"capture B", -1, Dialog::kItemCaptureB},
    {L"media A", 2, 0},
    {L"media B", 2, 1},
};

class PagePairTest : public PageTest {
protected:
    static void Reach(Dialog& dialog, const PageRoute& route) {
        if (route.menu >= 0) {
            ChooseMenuItem(dialog, route.menu, route.item);
        } else {
            ClickTreeItem(dialog, route.item);
        }
        support::gui::PumpFor(50);
    }

    // The windows that make up the page: the ones the pointer may land on within the page area.
    static std::vector<HWND> PageWindows(Dialog& dialog, const std::wstring& page) {
        if (page == L"port configuration") {
            return {dialog.portConfigGrid.GetSafeHwnd(), dialog.applyButton.GetSafeHwnd(),
                    dialog.GetDlgItem(IDC_PANEL_FRAME)->GetSafeHwnd(), dialog.GetSafeHwnd()};
        }
        if (page == L"counter A" || page == L"counter B") return {dialog.portCounterWindow.GetSafeHwnd()};
        if (page == L"FPGA upgrade" || page == L"firmware upgrade") return {dialog.upgradePanel.GetSafeHwnd()};
        if (page == L"capture A") return {dialog.captureA.GetSafeHwnd()};
        if (page == L"capture B") return {dialog.captureB.GetSafeHwnd()};
        if (page == L"media A") return {dialog.mediaA.GetSafeHwnd()};
        return {dialog.mediaB.GetSafeHwnd()};
    }

    // Every point of the page area belongs to the page: the pointer lands on it or on one of its
    // controls, never on another page's window left over it.
    static void ExpectAreaOwnedBy(Dialog& dialog, const std::wstring& page, const std::wstring& from) {
        EXPECT_EQ(0, StrayPoints(dialog, PageWindows(dialog, page)))
            << "points of the " << std::string(page.begin(), page.end()) << " page under other windows after "
            << std::string(from.begin(), from.end());
    }

    // A capture of three frames at the port, so that its list has rows.
    void CaptureSomeFrames(Dialog& dialog, CCaptureReport& panel, const PageRoute& route) {
        Reach(dialog, route);
        ClickOn(dialog, panel.GetDlgItem(IDC_CAPTURE_START)->GetSafeHwnd(), POINT{5, 5});
        ASSERT_TRUE(support::gui::PumpUntil([&] { return tester_->Captures().Running(panel.Port()); }, kPatienceMs));
        tester_->Captures().ReceiveNumbered(panel.Port(), 1, 3, 64);
        ClickOn(dialog, panel.GetDlgItem(IDC_CAPTURE_STOP)->GetSafeHwnd(), POINT{5, 5});
        EXPECT_TRUE(support::gui::PumpUntil([&panel] { return panel.captureList.GetItemCount() >= 3; }, kPatienceMs));
    }

    // The counter page as the operator sees it: its tree fills the page below the toolbar, and the
    // labels of its first rows are painted (dark text) in their rows, from the top of the tree down.
    static void ExpectCounterRowsShow(Dialog& dialog, const std::wstring& from) {
        const std::string after(from.begin(), from.end());
        CCounterWindow& page = dialog.portCounterWindow;
        const HWND tree = page.counterTree.GetSafeHwnd();
        CRect pageRect, toolbar, treeRect;
        page.GetWindowRect(&pageRect);
        page.counterToolBar.GetWindowRect(&toolbar);
        ::GetWindowRect(tree, &treeRect);
        const auto corners = [](const RECT& r) {
            return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "," +
                   std::to_string(r.bottom);
        };
        EXPECT_EQ(corners(CRect(pageRect.left, toolbar.bottom, pageRect.right, pageRect.bottom)), corners(treeRect))
            << "the tree fills the page below the toolbar, after " << after;
        RECT header = {};
        ::GetWindowRect(reinterpret_cast<HWND>(::SendMessageW(tree, TLM_GETHEADER, 0, 0)), &header);
        ::MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&header), 2);
        const support::gui::Picture shown = support::gui::CaptureWindow(dialog.GetSafeHwnd());
        LONG top = header.bottom;
        for (int row = 0; row < 10; ++row) {
            const auto item = static_cast<LPARAM>(::SendMessageW(tree, TLM_GETROWITEM, 0, row));
            RECT text = {};
            std::memcpy(&text, &item, sizeof item);
            ASSERT_TRUE(::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text))) << after;
            EXPECT_EQ(top, text.top) << "row " << row << " right below the one above, after " << after;
            top = text.bottom;
            ::MapWindowPoints(tree, dialog.GetSafeHwnd(), reinterpret_cast<POINT*>(&text), 2);
            int ink = 0;
            for (LONG y = text.top; y < text.bottom; ++y) {
                for (LONG x = text.left; x < text.right; ++x) {
                    const COLORREF pixel = shown.At(x, y);
                    ink += GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 300 ? 1 : 0;
                }
            }
            EXPECT_GE(ink, 10) << "the label of counter row " << row << " is painted, after " << after;
        }
    }

    // The order to show the pages in: every ordered pair of them once, one after the other (an
    // Euler circuit of the pages' complete graph).
    static std::vector<size_t> EveryPairOnce(size_t pages) {
        std::vector<std::vector<size_t>> next(pages);
        for (size_t from = 0; from < pages; ++from) {
            for (size_t to = 0; to < pages; ++to) {
                if (to != from) next[from].push_back(to);
            }
        }
        std::vector<size_t> stack{0}, circuit;
        while (!stack.empty()) {
            const size_t at = stack.back();
            if (next[at].empty()) {
                circuit.push_back(at);
                stack.pop_back();
            } else {
                stack.push_back(next[at].back());
                next[at].pop_back();
            }
        }
        std::reverse(circuit.begin(), circuit.end());
        return circuit;
    }

    // A click on the list's third row shows that frame; no pixel of the list is the port grid's
    // heading blue, which a grid left over the list would paint there.
    static void ExpectRowThreeOpens(Dialog& dialog, CCaptureReport& panel, const std::wstring& from) {
        const support::gui::Picture list = support::gui::CaptureWindow(panel.captureList.GetSafeHwnd());
        EXPECT_EQ(0, list.Count(RGB(194, 209, 240))) << std::string(from.begin(), from.end());
        if (panel.captureList.GetItemCount() < 3) return;
        panel.captureList.EnsureVisible(2, FALSE);
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        panel.captureList.SendMessage(LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rect));
        ClickOn(dialog, panel.captureList.GetSafeHwnd(), POINT{rect.left + 10, (rect.top + rect.bottom) / 2});
        EXPECT_EQ(2, panel.captureList.GetNextItem(-1, LVNI_SELECTED)) << std::string(from.begin(), from.end());
        EXPECT_EQ(_wtoi(panel.captureList.GetItemText(2, 3)), panel.captureHexView.GetDataLength())
            << std::string(from.begin(), from.end());
    }
};

TEST_P(PagePairTest, EveryPageAfterEveryOtherShowsAloneAndWhole) {
    bool quitting = false;
    BoxAnswers boxes(Answers(quitting));
    const std::wstring setup = std::to_wstring(GetParam().machineId) + (GetParam().language == 3 ? L"-japanese" : L"");
    RunDialog(EndingAfter(quitting, [&](Dialog& dialog) {
        ExpectStartLanguage(dialog);
        std::vector<PageRoute> routes;
        for (const PageRoute& route : kRoutes) {
            if (route.menu < 0 && treeItems[route.item] == nullptr) continue;
            routes.push_back(route);
        }
        if (GetParam().machineId != 0) {
            CaptureSomeFrames(dialog, dialog.captureA, kRoutes[5]);
            CaptureSomeFrames(dialog, dialog.captureB, kRoutes[6]);
        }
        std::set<std::wstring> pictured;
        const std::vector<size_t> order = EveryPairOnce(routes.size());
        Reach(dialog, routes[order[0]]);
        for (size_t step = 1; step < order.size(); ++step) {
            const PageRoute& from = routes[order[step - 1]];
            const PageRoute& to = routes[order[step]];
            Reach(dialog, to);
            const std::wstring pair = std::wstring(from.page) + L" -> " + to.page;
            ASSERT_EQ(to.page, ShownPage(dialog)) << std::string(pair.begin(), pair.end());
            ExpectAreaOwnedBy(dialog, to.page, pair);
            ExpectTitleGlyphs(dialog);
            if (to.page == std::wstring(L"counter A") || to.page == std::wstring(L"counter B")) {
                ExpectCounterRowsShow(dialog, pair);
            }
            if (to.page == std::wstring(L"capture A")) ExpectRowThreeOpens(dialog, dialog.captureA, pair);
            if (to.page == std::wstring(L"capture B")) ExpectRowThreeOpens(dialog, dialog.captureB, pair);
            if (pictured.insert(to.page).second) {
                SavePicture(dialog.GetSafeHwnd(), L"page-" + std::wstring(to.page) + L"-" + setup);
            }
        }
    }));
}

INSTANTIATE_TEST_SUITE_P(Setups, PagePairTest, testing::ValuesIn(kSetups), SetupName);

// The dialog's font decides its size: with the face the test prefix links in for Japanese glyphs the
// dialog comes out 1,056 pixels wide (7 pixels for 4 units across), in a freshly booted prefix 906
// (6 pixels). Each page template's controls fit the frame's inside at both scales.
struct TemplateExtent {
    int frameWidth = 0, frameHeight = 0;  // units, the main dialog's frame control
    int right = 0, bottom = 0;            // units, the farthest control edges of a page
};

// Reads a DIALOGEX template: the rectangle of one control, or the extent of all of them.
TemplateExtent ReadTemplate(UINT templateId, int frameId) {
    TemplateExtent extent;
    HRSRC found = ::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), RT_DIALOG);
    if (found == nullptr) return extent;
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    const auto* words = reinterpret_cast<const WORD*>(bytes);
    const auto skipName = [](const WORD*& at) {
        if (*at == 0xFFFF) {
            at += 2;
        } else {
            while (*at++ != 0) {
            }
        }
    };
    const WORD count = words[8];
    const DWORD style = *reinterpret_cast<const DWORD*>(bytes + 12);
    const WORD* at = words + 13;  // after dlgVer .. cy
    skipName(at);                 // menu
    skipName(at);                 // class
    skipName(at);                 // title
    if (style & DS_SETFONT) {
        at += 3;  // point size, weight, italic and character set
        skipName(at);
    }
    for (WORD item = 0; item < count; ++item) {
        at = reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(at) + 3) & ~uintptr_t(3));
        const auto* shorts = reinterpret_cast<const short*>(at + 6);  // after help id, extended style, style
        const int x = shorts[0], y = shorts[1], cx = shorts[2], cy = shorts[3];
        const int id = static_cast<int>(*reinterpret_cast<const DWORD*>(at + 10));
        if (id == frameId) {
            extent.frameWidth = cx;
            extent.frameHeight = cy;
        }
        extent.right = std::max(extent.right, x + cx);
        extent.bottom = std::max(extent.bottom, y + cy);
        at += 12;
        skipName(at);  // class
        skipName(at);  // title
        at += 1 + (*at + 1) / 2;
    }
    return extent;
}

TEST(PageLayout, EveryPageFitsTheFrameAtEitherWidthOfTheDialog) {
    const TemplateExtent main = ReadTemplate(IDD_VOREL_TAP_TEST3_DIALOG, IDC_PANEL_FRAME);
    ASSERT_GT(main.frameWidth, 0);
    for (const int pixelsPerFourUnits : {6, 7}) {
        // Rows: 12 pixels for 8 units at both widths.
        const int insideWidth = main.frameWidth * pixelsPerFourUnits / 4 - 20;
        const int insideHeight = main.frameHeight * 12 / 8 - 20;
        for (const UINT page : {IDD_COUNTER_WINDOW, IDD_UPGRADE, IDD_CAPTURE_REPORT_A, IDD_CAPTURE_REPORT_B,
                                IDD_MEDIA_STATUS_A, IDD_MEDIA_STATUS_B}) {
            const TemplateExtent extent = ReadTemplate(page, -1);
            ASSERT_GT(extent.right, 0) << page;
            EXPECT_LE(extent.right * pixelsPerFourUnits / 4, insideWidth) << "template " << page << " at "
                                                                             << pixelsPerFourUnits << " pixels";
            EXPECT_LE(extent.bottom * 12 / 8, insideHeight) << "template " << page;
        }
    }
}

// Pages that put themselves away or lost their windows show whole again when chosen again.
class PageComesBackTest : public PageTest {
protected:
    void TearDown() override {
        if (control_ && control_->Lost()) control_->Execute("return");
        control_.reset();
        PageTest::TearDown();
    }
    std::unique_ptr<sim::TesterControl> control_;
};

TEST_P(PageComesBackTest, CancelDeviceLossAndLanguageSwitchLeaveEveryPageToBeShownWhole) {
    if (GetParam().machineId == 0) GTEST_SKIP() << "a device loss needs a tester";
    control_ = std::make_unique<sim::TesterControl>(*tester_, nullptr, support::TestNetwork().hostInterface);
    bool quitting = false;
    BoxAnswers boxes(Answers(quitting));
    const bool japanese = GetParam().language == 3;
    RunDialog(EndingAfter(quitting, [&](Dialog& dialog) {
        // Cancel puts the upgrade page away; a click on its item, still selected, brings it back.
        ClickTreeItem(dialog, Dialog::kItemFpgaUpgrade);
        ASSERT_EQ(L"FPGA upgrade", ShownPage(dialog));
        ClickOn(dialog, dialog.upgradePanel.GetDlgItem(IDCANCEL)->GetSafeHwnd(), POINT{5, 5});
        EXPECT_TRUE(VisiblePages(dialog).empty());
        ClickTreeItem(dialog, Dialog::kItemFpgaUpgrade);
        EXPECT_EQ(L"FPGA upgrade", ShownPage(dialog));

        // The language switch leaves the port-configuration grid shown, in the new language.
        ClickTreeItem(dialog, Dialog::kItemPortConfiguration);
        ChooseMenuItem(dialog, 3, japanese ? 0 : 1);
        EXPECT_EQ(L"port configuration", ShownPage(dialog));
        const wchar_t* library = japanese ? L"LangENG.dll" : L"LangJP.dll";
        const CString port = LibraryText(library, IDS_PORT);
        EXPECT_EQ(port, dialog.portConfigGrid.GetCellText(0, -1));
        EXPECT_EQ(LibraryText(library, IDS_MEDIA), dialog.portConfigGrid.GetCellText(1, -1));
        EXPECT_EQ(LibraryText(library, IDS_FLOW_CONTROL), dialog.portConfigGrid.GetCellText(2, -1));
        EXPECT_EQ(port + L" A", dialog.portConfigGrid.GetCellText(0, 0));
        EXPECT_EQ(port + L" B", dialog.portConfigGrid.GetCellText(0, 1));
        ChooseMenuItem(dialog, 3, japanese ? 1 : 0);

        // After a device loss Media Status shows its page whole, with its rows.
        ASSERT_EQ(0u, control_->Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return boxes.CountWithText(japanese ? L"装置切断しました!" : L"The device is disconnected!") == 1; },
            kPatienceMs));
        ChooseMenuItem(dialog, 2, 0);
        ASSERT_EQ(L"media A", ShownPage(dialog));
        EXPECT_EQ(0, StrayPoints(dialog, {dialog.mediaA.GetSafeHwnd()}));
        // What the lost tester last reported is not shown as holding.
        EXPECT_EQ(L"Link Down", dialog.mediaA.RowText(CMediaStatus::kLinkRow));
        SavePicture(dialog.GetSafeHwnd(), L"page-media-after-loss");
    }));
}

INSTANTIATE_TEST_SUITE_P(Setups, PageComesBackTest, testing::Values(Setup{1, 0}, Setup{4, 3}), SetupName);

}  // namespace

// Every control by the keyboard alone: the focus starts in the device tree, the tree's arrow keys
// choose its pages, and Tab (Shift+Tab backwards) walks from the tree through every control of the
// page shown and the main toolbar back to the tree; the grids leave Tab to the dialog.
class KeyboardTest : public PageTest {
protected:
    // The focus window named by the page it belongs to and its control there.
    static std::wstring FocusName(Dialog& dialog, HWND focus) {
        if (focus == nullptr) return L"(no focus)";
        const HWND tree = dialog.deviceTree.GetSafeHwnd();
        if (focus == tree || ::IsChild(tree, focus)) return L"tree";
        const std::pair<CWnd*, const wchar_t*> pages[] = {
            {&dialog.upgradePanel, L"upgrade"}, {&dialog.captureA, L"capture A"}, {&dialog.captureB, L"capture B"},
            {&dialog.mediaA, L"media A"},       {&dialog.mediaB, L"media B"},     {&dialog.portCounterWindow, L"counter"},
            {&dialog.counterWindow, L"counter window"}, {&dialog.mainView, L"main view"},
            {&dialog.systemInformation, L"system information"}};
        for (const auto& [page, name] : pages) {
            const HWND panel = page->GetSafeHwnd();
            if (focus == panel) return name;
            if (!::IsChild(panel, focus)) continue;
            HWND control = focus;
            while (::GetParent(control) != panel) control = ::GetParent(control);
            return std::wstring(name) + L":" + std::to_wstring(::GetDlgCtrlID(control));
        }
        HWND control = focus;
        while (::GetParent(control) != nullptr && ::GetParent(control) != dialog.GetSafeHwnd()) {
            control = ::GetParent(control);
        }
        if (control == dialog.portConfigGrid.GetSafeHwnd()) return L"port grid";
        if (control == dialog.applyButton.GetSafeHwnd()) return L"Apply";
        return L"dialog:" + std::to_wstring(::GetDlgCtrlID(control)) + L":" + support::gui::ClassName(control);
    }

    // The controls a walk meets, one Tab (or Shift+Tab) press at a time, until it is back in the
    // tree; `modifiers` held with each press.
    static std::vector<std::wstring> Walk(Dialog& dialog, support::gui::Modifiers modifiers) {
        std::vector<std::wstring> met;
        for (int press = 0; press < 24; ++press) {
            support::gui::PressKey(nullptr, VK_TAB, modifiers);
            support::gui::PumpPending();
            const std::wstring name = FocusName(dialog, ::GetFocus());
            if (name == L"tree") return met;
            met.push_back(name);
        }
        met.push_back(L"(never back in the tree)");
        return met;
    }

    // The controls of the page shown, in the order Tab meets them: those that show and take input.
    static std::vector<std::wstring> Controls(Dialog& dialog, const std::wstring& page) {
        const auto of = [](CWnd& panel, const wchar_t* name, std::initializer_list<int> ids) {
            std::vector<std::wstring> names;
            for (int id : ids) {
                CWnd* control = panel.GetDlgItem(id);
                if (control && control->IsWindowVisible() && control->IsWindowEnabled()) {
                    names.push_back(std::wstring(name) + L":" + std::to_wstring(id));
                }
            }
            return names;
        };
        if (page == L"FPGA upgrade" || page == L"firmware upgrade") {
            return of(dialog.upgradePanel, L"upgrade",
                      {IDC_UPGRADE_GRID, IDC_UPGRADE_PATH, IDC_UPGRADE_BROWSE, IDC_UPGRADE_BUTTON, IDCANCEL});
        }
        if (page == L"port configuration") {
            std::vector<std::wstring> names{L"port grid"};
            if (dialog.applyButton.IsWindowEnabled()) names.push_back(L"Apply");
            return names;
        }
        if (page == L"capture A" || page == L"capture B") {
            CCaptureReport& panel = page == L"capture A" ? static_cast<CCaptureReport&>(dialog.captureA)
                                                          : static_cast<CCaptureReport&>(dialog.captureB);
            std::vector<std::wstring> names;
            for (CWnd* control : std::initializer_list<CWnd*>{&panel.captureList, &panel.captureInfoTree,
                                                              panel.GetDlgItem(IDC_CAPTURE_HEX_VIEW),
                                                              panel.GetDlgItem(IDC_CAPTURE_START),
                                                              panel.GetDlgItem(IDC_CAPTURE_STOP)}) {
                if (control && control->GetSafeHwnd() && control->IsWindowVisible() && control->IsWindowEnabled()) {
                    names.push_back(page + L":" + std::to_wstring(control->GetDlgCtrlID()));
                }
            }
            return names;
        }
        if (page == L"media A") return {L"media A:" + std::to_wstring(dialog.mediaA.mediaGrid.GetDlgCtrlID())};
        if (page == L"media B") return {L"media B:" + std::to_wstring(dialog.mediaB.mediaGrid.GetDlgCtrlID())};
        // The page's toolbar first, above its list.
        return {L"counter:" + std::to_wstring(dialog.portCounterWindow.counterToolBar.GetDlgCtrlID()),
                L"counter:" + std::to_wstring(dialog.portCounterWindow.counterTree.GetDlgCtrlID())};
    }

    // The main toolbar, which every walk meets after the page's controls.
    static std::wstring MainToolbar(Dialog& dialog) {
        return L"dialog:" + std::to_wstring(dialog.toolbar.GetDlgCtrlID()) + L":" + TOOLBARCLASSNAMEW;
    }

    static std::string Joined(const std::vector<std::wstring>& names) {
        std::wstring joined;
        for (const std::wstring& name : names) joined += L"[" + name + L"] ";
        return std::string(joined.begin(), joined.end());
    }

    // From the tree, Tab walks the page's controls and comes back to the tree; Shift+Tab walks them
    // backwards; Ctrl+Tab leaves each control as Tab does.
    static void ExpectWalks(Dialog& dialog, const std::wstring& page) {
        const std::string on(page.begin(), page.end());
        ASSERT_EQ(L"tree", FocusName(dialog, ::GetFocus())) << "the walk over the " << on << " page starts in the tree";
        std::vector<std::wstring> controls = Controls(dialog, page);
        EXPECT_FALSE(controls.empty()) << on;
        controls.push_back(MainToolbar(dialog));
        EXPECT_EQ(Joined(controls), Joined(Walk(dialog, {}))) << "Tab from the tree over the " << on << " page";
        const std::vector<std::wstring> backwards(controls.rbegin(), controls.rend());
        EXPECT_EQ(Joined(backwards), Joined(Walk(dialog, {false, true, false})))
            << "Shift+Tab from the tree over the " << on << " page";
        EXPECT_EQ(Joined(controls), Joined(Walk(dialog, {true, false, false})))
            << "Ctrl+Tab from the tree over the " << on << " page";
        if (FocusName(dialog, ::GetFocus()) != L"tree") dialog.deviceTree.SetFocus();
    }
};

TEST_P(KeyboardTest, TabWalksFromTheTreeThroughEveryControlOfEveryPageAndBack) {
    bool quitting = false;
    BoxAnswers boxes(Answers(quitting));
    RunDialog(EndingAfter(quitting, [&](Dialog& dialog) {
        ExpectStartLanguage(dialog);
        EXPECT_EQ(L"tree", FocusName(dialog, ::GetFocus())) << "the focus at start";
        // The first page, from the start, by Tab alone.
        ASSERT_EQ(L"FPGA upgrade", ShownPage(dialog));
        ExpectWalks(dialog, L"FPGA upgrade");

        // Each page as the operator reaches it, its walk from the tree.
        for (const PageRoute& route : kRoutes) {
            if (route.menu < 0 && treeItems[route.item] == nullptr) continue;
            if (route.menu >= 0) {
                ChooseMenuItem(dialog, route.menu, route.item);
            } else {
                ClickTreeItem(dialog, route.item);
            }
            support::gui::PumpFor(50);
            ASSERT_EQ(std::wstring(route.page), ShownPage(dialog));
            ExpectWalks(dialog, route.page);
        }
    }));
}

// The tree chooses its pages by its arrow keys: from the start, the keyboard alone reaches the
// port configuration, and in it the Apply button.
TEST_P(KeyboardTest, TheTreesArrowKeysReachThePortConfigurationAndTabItsApply) {
    bool quitting = false;
    BoxAnswers boxes(Answers(quitting));
    RunDialog(EndingAfter(quitting, [&](Dialog& dialog) {
        ASSERT_EQ(L"tree", FocusName(dialog, ::GetFocus())) << "the focus at start";
        support::gui::PressKey(nullptr, VK_HOME);
        for (int press = 0; press < 30 && ShownPage(dialog) != L"port configuration"; ++press) {
            support::gui::PressKey(nullptr, VK_DOWN);
        }
        ASSERT_EQ(L"port configuration", ShownPage(dialog));
        support::gui::PressKey(nullptr, VK_TAB);
        EXPECT_EQ(L"port grid", FocusName(dialog, ::GetFocus()));
        support::gui::PressKey(nullptr, VK_TAB);
        EXPECT_EQ(L"Apply", FocusName(dialog, ::GetFocus()));
        support::gui::PressKey(nullptr, VK_TAB);
        EXPECT_EQ(MainToolbar(dialog), FocusName(dialog, ::GetFocus()));
        support::gui::PressKey(nullptr, VK_TAB);
        EXPECT_EQ(L"tree", FocusName(dialog, ::GetFocus()));
    }));
}

INSTANTIATE_TEST_SUITE_P(Setups, KeyboardTest, testing::ValuesIn(kSetups), SetupName);
