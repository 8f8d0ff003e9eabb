// In-place editing in the "TreeTable" window: the column edit modes started by Return, typed
// characters and clicks, list cycling and check boxes without an editor, the editor windows, and
// the end of an edit with what the parent is told and may refuse.
#include "TreeTableHarness.h"

#include <support/gui/Pump.h>

#include <string>

using namespace treetable_test;

namespace {

class TreeTableEdit : public ::testing::Test {
protected:
    TreeTableEdit() : h(TVS_HASBUTTONS | TVS_EDITLABELS | TVS_SHOWSELALWAYS) {
        h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SUBSELECT, TLS_EX_SUBSELECT);
        h.AddColumn(L"Name", 150);
        h.AddColumn(L"Value", 150);
        item = h.Insert(L"first");
        next = h.Insert(L"second");
        SetFocus(h.Tree());
    }

    void Mode(int mode, int flags, const void* list = nullptr, int separator = '|', int maximum = 0) {
        ASSERT_EQ(1, h.Send(TLM_SETCOLUMNEDITMODE,
                            TVAE_COL(1) | TVAE_MODE(mode) | flags | TVAE_CHAR(separator) | TVAE_COUNT(maximum),
                            reinterpret_cast<LPARAM>(list)));
    }
    void CaretOnCell() { ASSERT_EQ(1, h.Send(TLM_SELECTCOLUMN, 1, reinterpret_cast<LPARAM>(item))); }
    void Return() { h.Send(WM_KEYDOWN, VK_RETURN, 1); }
    HWND Editor() const { return reinterpret_cast<HWND>(h.Send(TVM_GETEDITCONTROL)); }
    // The test's parent window stays hidden, so the editor's own style tells whether it is shown.
    bool EditorShown() const { return Editor() && (GetWindowLongPtrW(Editor(), GWL_STYLE) & WS_VISIBLE); }
    int Image(HTREEITEM which) const {
        TVITEMW tv{};
        tv.mask = TVIF_IMAGE | TVIF_TLCOLUMN;
        tv.hItem = which;
        tv.cChildren = 1;
        h.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        return tv.iImage;
    }
    UINT CellState() const {
        TVITEMW tv{};
        tv.mask = TVIF_STATE | TVIF_TLCOLUMN;
        tv.hItem = item;
        tv.cChildren = 1;
        tv.stateMask = ~0u;
        h.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        return tv.state;
    }
    // Types into the open editor as a person would, then presses Return there.
    void TypeAndReturn(const wchar_t* text) {
        for (const wchar_t* c = text; *c; ++c) SendMessageW(Editor(), WM_CHAR, *c, 1);
        SendMessageW(Editor(), WM_KEYDOWN, VK_RETURN, 1);
    }

    Harness h;
    HTREEITEM item = nullptr;
    HTREEITEM next = nullptr;
};

TEST_F(TreeTableEdit, StepModeTakesTheNextEntryOrTheFirstForAnUnknownText) {
    Mode(TVAE_STEP, 0, L"Off|On");
    CaretOnCell();
    struct Case {
        const wchar_t* before;
        const wchar_t* after;
    };
    for (Case c : {Case{L"On", L"Off"}, Case{L"Off", L"On"}, Case{L"maybe", L"Off"}}) {
        h.SetText(item, 1, c.before);
        h.Clear();
        Return();
        EXPECT_EQ(c.after, h.Text(item, 1)) << c.before;
        ASSERT_EQ(1u, h.Notices(kCellCycled).size());
        EXPECT_EQ(c.after, h.Notices(kCellCycled)[0].text);
        EXPECT_EQ(1, h.Notices(kCellCycled)[0].column);
    }
    EXPECT_FALSE(EditorShown());
}

TEST_F(TreeTableEdit, CheckModeWithoutAListTogglesOnlyTheCheckBox) {
    Mode(TVAE_CHECK, 0);
    CaretOnCell();
    h.SetText(item, 1, L"kept");
    Return();
    EXPECT_EQ(0x1000u, CellState() & 0xF000);
    Return();
    EXPECT_EQ(0x2000u, CellState() & 0xF000);
    EXPECT_EQ(L"kept", h.Text(item, 1));
    EXPECT_EQ(2u, h.Notices(kCheckChanged).size());
}

TEST_F(TreeTableEdit, ANullListInAStepColumnMakesActivationsDoNothing) {
    Mode(TVAE_STEP, 0, nullptr);
    CaretOnCell();
    h.SetText(item, 1, L"same");
    h.Clear();
    Return();
    EXPECT_EQ(L"same", h.Text(item, 1));
    EXPECT_TRUE(h.Notices(kCellCycled).empty());
    EXPECT_EQ(1u, h.Notices(TVN_KEYDOWN).size());  // the positive marker: the key was handled
}

TEST_F(TreeTableEdit, ListComboPreselectsTheFirstEntryAndAnEditableComboNothing) {
    h.SetText(item, 1, L"not listed");
    CaretOnCell();
    Mode(TVAE_CBLIST, 0, L"a|b|c");
    Return();
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(3, SendMessageW(Editor(), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(Editor(), CB_GETCURSEL, 0, 0));
    SendMessageW(Editor(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(h.Tree(), GetFocus());
    Mode(TVAE_COMBO, 0, L"a|b|c");
    Return();
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(CB_ERR, SendMessageW(Editor(), CB_GETCURSEL, 0, 0));
    h.Send(TVM_ENDEDITLABELNOW, 1);
}

TEST_F(TreeTableEdit, ListsStopAtTheirMaximumAndCutLongEntries) {
    static const std::wstring longEntry(300, L'x');
    static const std::wstring list = L"one|" + longEntry + L"|three|four";
    CaretOnCell();
    Mode(TVAE_CBLIST, 0, list.c_str(), '|', 3);
    Return();
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(3, SendMessageW(Editor(), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(255, SendMessageW(Editor(), CB_GETLBTEXTLEN, 1, 0));
    h.Send(TVM_ENDEDITLABELNOW, 1);
    Mode(TVAE_CBLIST, 0, nullptr);
    Return();
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(0, SendMessageW(Editor(), CB_GETCOUNT, 0, 0));
    h.Send(TVM_ENDEDITLABELNOW, 1);
    static const wchar_t* const pointers[] = {L"p", L"q", nullptr};
    Mode(TVAE_CBLIST, TVAE_PTRLIST, pointers);
    Return();
    EXPECT_EQ(2, SendMessageW(Editor(), CB_GETCOUNT, 0, 0));
    h.Send(TVM_ENDEDITLABELNOW, 1);
}

TEST_F(TreeTableEdit, ADigitOpensTheEditBoxWithItAndAPlusSignDoesNothing) {
    Mode(TVAE_EDIT, 0);
    CaretOnCell();
    h.Send(WM_CHAR, L'+', 1);
    EXPECT_EQ(nullptr, Editor());
    h.Send(WM_CHAR, L'5', 1);
    ASSERT_TRUE(EditorShown());
    wchar_t text[16] = {};
    GetWindowTextW(Editor(), text, 16);
    EXPECT_STREQ(L"5", text);
    SendMessageW(Editor(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(L"5", h.Text(item, 1));
    EXPECT_EQ(h.Tree(), GetFocus());
    ASSERT_EQ(1u, h.Notices(TVN_ENDLABELEDITW).size());
    EXPECT_NE(0u, h.Notices(TVN_ENDLABELEDITW)[0].mask & 0x30000000);
}

TEST_F(TreeTableEdit, AnUnchangedReturnCommitNeitherStoresNorMovesTheCaret) {
    Mode(TVAE_EDIT, TVAE_NEXTLINE);
    h.SetText(item, 1, L"same");
    CaretOnCell();
    Return();
    ASSERT_TRUE(EditorShown());
    SendMessageW(Editor(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(item, h.Next(nullptr, TVGN_CARET));
    // The editor's own text at the start is no change by the user.
    ASSERT_EQ(1u, h.Notices(TVN_ENDLABELEDITW).size());
    EXPECT_EQ(0u, h.Notices(TVN_ENDLABELEDITW)[0].mask & 0x20000000);
    Return();
    SetWindowTextW(Editor(), L"");
    TypeAndReturn(L"new");
    EXPECT_EQ(L"new", h.Text(item, 1));
    EXPECT_EQ(next, h.Next(nullptr, TVGN_CARET));
    EXPECT_EQ(1, static_cast<int>(h.Send(TVM_GETNEXTITEM, TLGN_CARETCOLUMN)));
}

TEST_F(TreeTableEdit, AParentThatRefusesTheTextLeavesTheCellAlone) {
    Mode(TVAE_EDIT, 0);
    h.SetText(item, 1, L"before");
    CaretOnCell();
    Return();
    SetWindowTextW(Editor(), L"after");
    h.answer = [](NMHDR* header) { return header->code == TVN_ENDLABELEDITW ? LRESULT{1} : LRESULT{0}; };
    EXPECT_EQ(0, h.Send(TVM_ENDEDITLABELNOW, 0));
    EXPECT_EQ(L"before", h.Text(item, 1));
    EXPECT_FALSE(EditorShown());
}

TEST_F(TreeTableEdit, ACommittedTextLooksUpItsImageInTheList) {
    Mode(TVAE_EDIT, 0, L"a|b|c");
    ASSERT_EQ(1, h.Send(TLM_SETCOLUMNEDITDATA, 1, 10));
    CaretOnCell();
    struct Case {
        const wchar_t* text;
        int image;
    };
    for (Case c : {Case{L"b", 11}, Case{L"zzz", 9}, Case{L"c and more", 12}}) {
        Return();
        ASSERT_TRUE(EditorShown());
        SetWindowTextW(Editor(), c.text);
        EXPECT_EQ(1, h.Send(TVM_ENDEDITLABELNOW, 0));
        EXPECT_EQ(c.image, Image(item)) << c.text;
    }
    EXPECT_EQ(0, h.Send(TLM_SETCOLUMNEDITDATA, 0, 10));  // column 0 has no edit mode
}

TEST_F(TreeTableEdit, AnEmptyCellOpensAnEmptyEditorAtLeast32PixelsWide) {
    Mode(TVAE_EDIT, 0);
    CaretOnCell();
    Return();
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(0, GetWindowTextLengthW(Editor()));
    RECT r{};
    GetWindowRect(Editor(), &r);
    EXPECT_GE(r.right - r.left, 32);
    h.Send(TVM_ENDEDITLABELNOW, 1);
}

TEST_F(TreeTableEdit, TheParentMayRefuseToBeginAnEdit) {
    Mode(TVAE_EDIT, 0);
    CaretOnCell();
    h.answer = [](NMHDR* header) { return header->code == TVN_BEGINLABELEDITW ? LRESULT{1} : LRESULT{0}; };
    Return();
    EXPECT_FALSE(EditorShown());
    ASSERT_EQ(1u, h.Notices(TVN_BEGINLABELEDITW).size());
    EXPECT_EQ(0, h.Send(TVM_ENDEDITLABELNOW, 0));
}

TEST_F(TreeTableEdit, ModeSixIsRefusedForTheTreeColumnAndEditsNeedTheStyle) {
    EXPECT_EQ(0, h.Send(TLM_SETCOLUMNEDITMODE, TVAE_COL(0) | TVAE_MODE(TVAE_CHECK)));
    EXPECT_EQ(0, h.Send(TLM_SETCOLUMNEDITMODE, TVAE_COL(5) | TVAE_MODE(TVAE_EDIT)));
    Harness plain(TVS_HASBUTTONS);
    plain.AddColumn(L"Name", 150);
    HTREEITEM one = plain.Insert(L"one");
    EXPECT_EQ(0, plain.Send(TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(one)));
}

TEST_F(TreeTableEdit, AReadOnlyCellRefusesToStart) {
    Mode(TVAE_EDIT, TVAE_STATEENABLE);
    TVITEMW tv{};
    tv.mask = TVIF_STATE | TVIF_TLCOLUMN;
    tv.hItem = item;
    tv.cChildren = 1;
    tv.state = tv.stateMask = 0x8000;
    h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    CaretOnCell();
    Return();
    EXPECT_EQ(nullptr, Editor());
}

TEST_F(TreeTableEdit, DestroyingTheTreeWithAFocusedEditorFinishes) {
    Mode(TVAE_EDIT, 0);
    CaretOnCell();
    Return();
    ASSERT_TRUE(EditorShown());
    SetFocus(Editor());
    ASSERT_EQ(Editor(), GetFocus());
    // The editor's loss of focus reaches the tree from inside its own destruction.
    EXPECT_TRUE(DestroyWindow(h.Tree()));
    EXPECT_FALSE(IsWindow(h.Tree()));
}

TEST_F(TreeTableEdit, AnEditOpenedOverAnOpenOneFirstStoresTheOldText) {
    h.SetText(item, 1, L"old");
    h.SetText(next, 1, L"other");
    HWND first = reinterpret_cast<HWND>(h.Send(TVM_EDITLABELW, 1, reinterpret_cast<LPARAM>(item)));
    ASSERT_NE(nullptr, first);
    SendMessageW(first, EM_SETSEL, 3, 3);  // after the whole text, which opens selected
    for (const wchar_t* c = L" and new"; *c; ++c) SendMessageW(first, WM_CHAR, *c, 1);
    h.Clear();
    HWND second = reinterpret_cast<HWND>(h.Send(TVM_EDITLABELW, 1, reinterpret_cast<LPARAM>(next)));
    ASSERT_NE(nullptr, second);
    EXPECT_FALSE(IsWindow(first));
    ASSERT_EQ(1u, h.Notices(TVN_ENDLABELEDITW).size());
    EXPECT_EQ(item, h.Notices(TVN_ENDLABELEDITW)[0].item);
    EXPECT_EQ(L"old and new", h.Text(item, 1));
    EXPECT_EQ(L"other", h.Text(next, 1));
    wchar_t text[16] = {};
    GetWindowTextW(second, text, 16);
    EXPECT_STREQ(L"other", text);
}

TEST_F(TreeTableEdit, EditingTheTreeColumnUsesTheItemText) {
    ASSERT_EQ(1, h.Send(TLM_SETCOLUMNEDITMODE, TVAE_COL(0) | TVAE_MODE(TVAE_EDIT)));
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    Return();
    ASSERT_TRUE(EditorShown());
    wchar_t text[16] = {};
    GetWindowTextW(Editor(), text, 16);
    EXPECT_STREQ(L"first", text);
    SetWindowTextW(Editor(), L"renamed");
    SendMessageW(Editor(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(L"renamed", h.Text(item));
}

}  // namespace
