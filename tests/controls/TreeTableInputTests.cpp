// Keyboard and mouse in the "TreeTable" window, at points taken from the item rectangles: caret
// movement, expanding, check boxes, incremental search, clicks and their notifications, multiple
// selection and drags.
#include "TreeTableHarness.h"

#include <support/gui/Input.h>
#include <support/Waiting.h>
#include <support/gui/Pump.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace treetable_test;
namespace gui = support::gui;

namespace {

using Texts = std::vector<std::wstring>;

HTREEITEM Caret(const Harness& h) { return h.Next(nullptr, TVGN_CARET); }

void Key(const Harness& h, UINT key) { h.Send(WM_KEYDOWN, key, 1); }

void Type(const Harness& h, const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) h.Send(WM_CHAR, *c, 1);
}

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

TEST(TreeTableKeyboard, ArrowsMoveTheCaretAndExpandOrCollapse) {
    Harness h;
    HTREEITEM a = h.Insert(L"a");
    HTREEITEM a1 = h.Insert(L"a1", a);
    HTREEITEM b = h.Insert(L"b");
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    Key(h, VK_DOWN);
    EXPECT_EQ(b, Caret(h));
    Key(h, VK_UP);
    Key(h, VK_RIGHT);
    EXPECT_NE(0u, h.State(a) & TVIS_EXPANDED);
    Key(h, VK_RIGHT);
    EXPECT_EQ(a1, Caret(h));
    Key(h, VK_BACK);
    EXPECT_EQ(a, Caret(h));
    Key(h, VK_LEFT);
    EXPECT_EQ(0u, h.State(a) & TVIS_EXPANDED);
    Key(h, VK_END);
    EXPECT_EQ(b, Caret(h));
    Key(h, VK_HOME);
    EXPECT_EQ(a, Caret(h));
    EXPECT_EQ(8u, h.Notices(TVN_KEYDOWN).size());
}

TEST(TreeTableKeyboard, SpaceTogglesTheCaretsCheckBox) {
    Harness h(TVS_HASBUTTONS | TVS_CHECKBOXES);
    HTREEITEM a = h.Insert(L"a");
    EXPECT_EQ(0x1000u, h.State(a) & 0xF000);
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    Key(h, VK_SPACE);
    EXPECT_EQ(0x2000u, h.State(a) & 0xF000);
    Key(h, VK_SPACE);
    EXPECT_EQ(0x1000u, h.State(a) & 0xF000);
    EXPECT_TRUE(h.Notices(kCheckChanged).empty());
}

TEST(TreeTableKeyboard, CtrlArrowsScrollWithoutMovingTheCaret) {
    Harness h(TVS_HASBUTTONS, 200, 100);
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 30; ++i) items.push_back(h.Insert(L"row"));
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[0]));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    Key(h, VK_DOWN);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(items[0], Caret(h));
    EXPECT_EQ(items[1], h.Next(nullptr, TVGN_FIRSTVISIBLE));
}

TEST(TreeTableKeyboard, TypingSearchesTheRowsFromTheCaret) {
    Harness h;
    const std::vector<HTREEITEM> items = h.InsertAll({L"alpha", L"bravo", L"beta", L"Boat", L"charlie"});
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[0]));
    Sleep(1100);  // the search state is shared by the process: start from an old one
    Type(h, L"b");
    EXPECT_EQ(items[1], Caret(h));
    Type(h, L"b");
    EXPECT_EQ(items[2], Caret(h));
    Type(h, L"o");
    EXPECT_EQ(items[3], Caret(h));
    wchar_t buffer[20] = {};
    EXPECT_EQ(1, h.Send(TVM_GETISEARCHSTRINGW, 0, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_STREQ(L"BO", buffer);
    Sleep(1100);
    EXPECT_EQ(0, h.Send(TVM_GETISEARCHSTRINGW));
    Type(h, L"a");
    EXPECT_EQ(items[0], Caret(h));
}

TEST(TreeTableKeyboard, AKeyTheParentHandledSwallowsItsCharacter) {
    Harness h;
    const std::vector<HTREEITEM> items = h.InsertAll({L"alpha", L"bravo"});
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[0]));
    h.answer = [](NMHDR* header) { return header->code == TVN_KEYDOWN ? LRESULT{1} : LRESULT{0}; };
    Key(h, 'B');
    Type(h, L"b");
    EXPECT_EQ(items[0], Caret(h));
}

class TreeTableMouse : public ::testing::Test {
protected:
    TreeTableMouse() : h(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES) {
        a = h.Insert(L"alpha", TVI_ROOT, TVI_LAST, 11);
        a1 = h.Insert(L"child", a);
        b = h.Insert(L"bravo");
        c = h.Insert(L"charlie");
        UpdateWindow(h.Tree());
        HDC dc = CreateCompatibleDC(nullptr);
        h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));  // measures the texts
        DeleteDC(dc);
    }
    POINT Label(HTREEITEM item) const {
        const RECT r = h.ItemRect(item, -1, true);
        return POINT{r.left + 6, (r.top + r.bottom) / 2};
    }
    POINT Button(HTREEITEM item) const {
        const RECT r = h.ItemRect(item);
        return POINT{7, (r.top + r.bottom) / 2};
    }
    POINT StateIcon(HTREEITEM item) const {
        const RECT r = h.ItemRect(item, -1, true);
        return POINT{r.left - 8, (r.top + r.bottom) / 2};
    }

    Harness h;
    HTREEITEM a = nullptr, a1 = nullptr, b = nullptr, c = nullptr;
};

TEST_F(TreeTableMouse, AClickOnALabelSelectsAndTellsTheParent) {
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(Label(b)));
    h.Send(WM_LBUTTONUP, 0, At(Label(b)));
    EXPECT_EQ(b, Caret(h));
    ASSERT_EQ(1u, h.Notices(NM_CLICK).size());
    EXPECT_EQ(b, h.Notices(NM_CLICK)[0].item);
    EXPECT_EQ(Label(b).x, h.Notices(NM_CLICK)[0].point.x);
    EXPECT_EQ(h.Tree(), GetFocus());
}

TEST_F(TreeTableMouse, TheButtonTogglesAndADoubleClickOnTheLabelToo) {
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(Button(a)));
    EXPECT_NE(0u, h.State(a) & TVIS_EXPANDED);
    EXPECT_EQ((Texts{L"alpha", L"child", L"bravo", L"charlie"}), h.RowTexts());
    h.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(Label(a)));
    EXPECT_EQ(0u, h.State(a) & TVIS_EXPANDED);
    EXPECT_EQ(1u, h.Notices(NM_DBLCLK).size());
}

TEST_F(TreeTableMouse, AClickOnTheStateIconTogglesTheCheckBoxAndTellsTheParent) {
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(StateIcon(c)));
    EXPECT_EQ(0x2000u, h.State(c) & 0xF000);
    ASSERT_EQ(1u, h.Notices(kCheckChanged).size());
    EXPECT_EQ(c, h.Notices(kCheckChanged)[0].item);
    EXPECT_EQ(L"charlie", h.Notices(kCheckChanged)[0].text);
}

TEST_F(TreeTableMouse, ARightClickNamesTheItemAndNothingHitNamesNone) {
    h.Send(WM_RBUTTONDOWN, MK_RBUTTON, At(Label(c)));
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 280));
    ASSERT_EQ(1u, h.Notices(NM_RCLICK).size());
    EXPECT_EQ(c, h.Notices(NM_RCLICK)[0].item);
    ASSERT_EQ(1u, h.Notices(NM_CLICK).size());
    EXPECT_EQ(nullptr, h.Notices(NM_CLICK)[0].item);
}

TEST_F(TreeTableMouse, MovingWithTheButtonDownStartsADrag) {
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(Label(b)));
    h.Send(WM_MOUSEMOVE, MK_LBUTTON, At(Label(c)));
    ASSERT_EQ(1u, h.Notices(TVN_BEGINDRAGW).size());
    EXPECT_EQ(b, h.Notices(TVN_BEGINDRAGW)[0].item);
    EXPECT_EQ(2u, h.Notices(TVN_BEGINDRAGW)[0].action);
    h.Send(WM_MOUSEMOVE, MK_LBUTTON, At(Label(b)));
    EXPECT_EQ(1u, h.Notices(TVN_BEGINDRAGW).size());
}

TEST_F(TreeTableMouse, CtrlAndShiftClicksBuildAMultipleSelection) {
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(Label(a)));
    h.Send(WM_LBUTTONUP, 0, At(Label(a)));
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, At(Label(c)));
    h.Send(WM_LBUTTONUP, 0, At(Label(c)));
    for (HTREEITEM item : {a, a1, b, c}) EXPECT_NE(0u, h.State(item) & TVIS_SELECTED);
    // Ctrl on a selected item takes it out.
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, At(Label(b)));
    h.Send(WM_LBUTTONUP, 0, At(Label(b)));
    EXPECT_EQ(0u, h.State(b) & TVIS_SELECTED);
    EXPECT_NE(0u, h.State(c) & TVIS_SELECTED);
    // A plain click on a selected item acts at the button-up: only it stays selected.
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(Label(a)));
    EXPECT_NE(0u, h.State(c) & TVIS_SELECTED);
    h.Send(WM_LBUTTONUP, 0, At(Label(a)));
    EXPECT_EQ(0u, h.State(c) & TVIS_SELECTED);
    EXPECT_NE(0u, h.State(a) & TVIS_SELECTED);
    EXPECT_EQ(a, Caret(h));
}

TEST_F(TreeTableMouse, ACtrlClickOnTheSelectedCaretTellsTheParentAndAPlainClickThenLeavesOneItem) {
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    auto click = [&](HTREEITEM item, WPARAM keys) {
        h.Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, At(Label(item)));
        h.Send(WM_LBUTTONUP, 0, At(Label(item)));
    };
    click(a, 0);
    click(c, MK_CONTROL);
    ASSERT_EQ(c, Caret(h));
    h.Clear();
    click(c, MK_CONTROL);
    EXPECT_EQ(0u, h.State(c) & TVIS_SELECTED);
    for (UINT code : {static_cast<UINT>(TVN_SELCHANGINGW), static_cast<UINT>(TVN_SELCHANGEDW)}) {
        ASSERT_EQ(1u, h.Notices(code).size()) << code;
        EXPECT_EQ(c, h.Notices(code)[0].item);
        EXPECT_EQ(0u, h.Notices(code)[0].state & TVIS_SELECTED);
    }
    click(b, 0);
    EXPECT_EQ(0u, h.State(a) & TVIS_SELECTED);
    EXPECT_EQ(0u, h.State(c) & TVIS_SELECTED);
    EXPECT_NE(0u, h.State(b) & TVIS_SELECTED);
    // The caret unselected by Ctrl is selected again by a plain click on it.
    click(b, MK_CONTROL);
    ASSERT_EQ(0u, h.State(b) & TVIS_SELECTED);
    click(b, 0);
    EXPECT_NE(0u, h.State(b) & TVIS_SELECTED);
}

TEST_F(TreeTableMouse, AParentThatDestroysTheTreeInsideANotificationLeavesTheNextTreeAlone) {
    // The next tree is made at once, as a program that rebuilds a panel would; its record is the
    // likeliest to take the place of the one destroyed.
    std::unique_ptr<Harness> next;
    h.answer = [&](NMHDR* header) -> LRESULT {
        if (header->code != static_cast<UINT>(TVN_SELCHANGEDW) || next) return 0;
        DestroyWindow(h.Tree());
        next = std::make_unique<Harness>();
        next->Insert(L"fresh");
        next->Clear();
        return 0;
    };
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(Label(b)));
    ASSERT_TRUE(next);
    EXPECT_FALSE(IsWindow(h.Tree()));
    EXPECT_TRUE(next->Codes().empty());
    EXPECT_EQ(nullptr, next->Next(nullptr, TVGN_CARET));
    // Its lock is as it was: another thread's call is answered.
    std::atomic<LRESULT> count{-1};
    std::thread other([&] { count = SendMessageW(next->Tree(), TVM_GETCOUNT, 0, 0); });
    // Short pumps: the answer is set on the other thread after this one handled the call.
    const auto deadline = std::chrono::steady_clock::now() + support::kPatience;
    while (count == -1 && std::chrono::steady_clock::now() < deadline) gui::PumpUntil([&] { return count != -1; }, 20);
    const bool answered = count != -1;
    if (answered) other.join();
    else other.detach();
    EXPECT_TRUE(answered);
    EXPECT_EQ(1, count);
}

TEST_F(TreeTableMouse, PostedInputReachesTheTreeThroughTheQueue) {
    gui::Click(h.Tree(), Label(c));
    EXPECT_EQ(c, Caret(h));
    gui::DoubleClick(h.Tree(), Label(a));
    EXPECT_NE(0u, h.State(a) & TVIS_EXPANDED);
}

}  // namespace
