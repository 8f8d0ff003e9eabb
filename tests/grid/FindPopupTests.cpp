// The grid's answers to the find and replace box, driven through the box's own controls, and the
// right-button menu with its commands.
#include "GridInputFixture.h"

#include <support/BoxWatcher.h>
#include <support/gui/Windows.h>

#include <dlgs.h>

using support::gui::ClickButton;

namespace {

// Acts on a modal loop (a menu's, a message box's) from inside it: a thread timer whose procedure
// runs when the loop dispatches, again and again until the action reports it was done.
struct LoopAction {
    static inline std::function<bool()> action;
    static void Soon(std::function<bool()> what)
    {
        action = std::move(what);
        ::SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
            if (!action || action()) {
                ::KillTimer(nullptr, id);
                action = nullptr;
            }
        });
    }
};

// One grid and one find box serve every test: a top-level window costs seconds to make and destroy
// on a display without a window manager.
class FindTest : public GridInputTest {
protected:
    static void SetUpTestSuite()
    {
        GridInputTest::SetUpTestSuite();
        sheet = new InputGrid;
        ASSERT_NE(nullptr, ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                             dialog->GetSafeHwnd(), reinterpret_cast<HMENU>(kControlId + 2), nullptr,
                                             nullptr));
        ASSERT_EQ(1, sheet->AttachToDialogItem(dialog, kControlId + 2));
        sheet->MoveWindow(10, 10, 400, 200, TRUE);
        sheet->SetFindAllColumns(1);
        box = sheet->OpenFindDialog(FALSE, L"");
        ASSERT_NE(nullptr, box);
    }
    static void TearDownTestSuite()
    {
        sheet->CloseFindDialog();
        sheet->DestroyWindow();
        delete sheet;
        GridInputTest::TearDownTestSuite();
    }
    void SetUp() override
    {
        GridInputTest::SetUp();
        sheet->SetColumnCount(4, 0);
        sheet->SetRowCount(6, 0);
        for (int r = 0; r < 6; ++r) {
            for (int c = 0; c < 4; ++c)
                sheet->SetCellText(c, r, L"-");
        }
        sheet->SetCellText(1, 2, L"apple");
        sheet->SetCellText(3, 4, L"Apple");
        sheet->SetCellText(0, 5, L"pineapple");
        sheet->MoveToCell(0, 0);
        support::gui::PumpPending();
    }
    HWND Box() { return box->GetSafeHwnd(); }
    void Ask(LPCWSTR find, LPCWSTR replace, bool matchCase, bool wholeWord, int button)
    {
        ::SetDlgItemTextW(Box(), edt1, find);
        ::SetDlgItemTextW(Box(), edt2, replace);
        ::CheckDlgButton(Box(), chx1, wholeWord ? BST_CHECKED : BST_UNCHECKED);
        ::CheckDlgButton(Box(), chx2, matchCase ? BST_CHECKED : BST_UNCHECKED);
        ClickButton(Box(), button);
    }
    std::pair<int, int> Current() { return {sheet->QueryCurrentColumn(), sheet->QueryCurrentRow()}; }
    std::wstring Text(int column, int row) { return sheet->GetCellText(column, row); }

    static inline InputGrid* sheet = nullptr;
    static inline CFindReplaceDialog* box = nullptr;
};

}  // namespace

TEST_F(FindTest, FindNextVisitsEachMatchingCellInTurn)
{
    EXPECT_TRUE(sheet->IsFindActive());
    Ask(L"apple", L"", false, true, IDOK);
    EXPECT_EQ(std::make_pair(1, 2), Current());
    Ask(L"apple", L"", false, true, IDOK);
    EXPECT_EQ(std::make_pair(3, 4), Current());
    Ask(L"apple", L"", true, true, IDOK);  // only the lower-case one matches
    EXPECT_EQ(std::make_pair(1, 2), Current());
    Ask(L"apple", L"", true, false, IDOK);  // a part of a cell matches too
    EXPECT_EQ(std::make_pair(0, 5), Current());
}

TEST_F(FindTest, ReplaceChangesTheCurrentCellAndGoesOnToTheNextMatch)
{
    sheet->MoveToCell(1, 2);
    Ask(L"apple", L"pear", false, true, psh1);
    EXPECT_EQ(L"pear", Text(1, 2));
    EXPECT_EQ(std::make_pair(3, 4), Current());
}

TEST_F(FindTest, ReplaceAllReplacesEveryMatch)
{
    Ask(L"apple", L"pear", false, true, psh2);
    EXPECT_EQ(L"pear", Text(1, 2));
    EXPECT_EQ(L"pear", Text(3, 4));
    EXPECT_EQ(L"pineapple", Text(0, 5));
}

TEST_F(FindTest, ReplaceAllChangesTheLetterCaseOfEachMatchOnce)
{
    Ask(L"apple", L"APPLE", false, true, psh2);  // returns: one pass over the sheet
    EXPECT_EQ(L"APPLE", Text(1, 2));
    EXPECT_EQ(L"APPLE", Text(3, 4));
    EXPECT_EQ(L"pineapple", Text(0, 5));
    EXPECT_EQ(std::make_pair(3, 4), Current());  // the last match changed
}

TEST_F(FindTest, ReplacingByTheSameTextEndsAtOnce)
{
    Ask(L"apple", L"apple", false, true, psh2);
    EXPECT_EQ(std::make_pair(0, 0), Current());
}

TEST_F(FindTest, ReplaceAllByATextHoldingThePartFoundChangesEachMatchOnce)
{
    sheet->SetCellText(2, 1, L"Port");
    sheet->SetCellText(0, 3, L"Port B");
    Ask(L"Port", L"Port A", true, false, psh2);
    EXPECT_EQ(L"Port A", Text(2, 1));
    EXPECT_EQ(L"Port A", Text(0, 3));
    EXPECT_EQ(std::make_pair(0, 3), Current());  // the last match changed
    int changed = 0;
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 4; ++c)
            changed += Text(c, r) == L"Port A";
    }
    EXPECT_EQ(2, changed);
}

TEST_F(FindTest, ReplaceAllGoesOverTheSheetOnceEvenWhenTheStoredTextStillMatches)
{
    // A grid whose store turns every replacement back into a match.
    class Stubborn : public InputGrid {
    public:
        void OnCellStoring(int, int, CVGCell* cell) override
        {
            if (cell->ReadText() && std::wstring(cell->ReadText()) == L"pear")
                cell->PutText(L"apple");
        }
    };
    Stubborn other;
    AttachSecond(other);
    other.SetColumnCount(2, 0);
    other.SetRowCount(3, 0);
    other.SetCellText(0, 1, L"apple");
    other.SetCellText(1, 2, L"apple");
    other.MoveToCell(0, 0);
    other.SetFindAllColumns(1);
    CFindReplaceDialog* own = other.OpenFindDialog(FALSE, L"");
    ASSERT_NE(nullptr, own);
    ::SetDlgItemTextW(own->GetSafeHwnd(), edt1, L"apple");
    ::SetDlgItemTextW(own->GetSafeHwnd(), edt2, L"pear");
    ::CheckDlgButton(own->GetSafeHwnd(), chx1, BST_CHECKED);
    ClickButton(own->GetSafeHwnd(), psh2);  // returns: the replacing stops after one pass
    EXPECT_EQ(std::make_pair(1, 2), std::make_pair(other.QueryCurrentColumn(), other.QueryCurrentRow()));
    other.CloseFindDialog();
    other.DestroyWindow();
}

TEST_F(FindTest, ATextNoCellHoldsIsReportedOnceInABoxAndTheFocusReturnsToTheBox)
{
    std::wstring caption, text;
    int boxes = 0;
    LoopAction::Soon([&] {
        HWND shown = ::FindWindowW(L"#32770", L"Not Found");
        if (!shown)
            return false;
        ++boxes;
        caption = support::gui::WindowText(shown);
        text = support::MessageBoxText(shown);
        ::SendMessageW(shown, WM_COMMAND, IDOK, 0);
        return true;
    });
    Ask(L"banana", L"", false, true, IDOK);
    EXPECT_EQ(1, boxes);
    EXPECT_EQ(L"Not Found", caption);
    EXPECT_NE(std::wstring::npos, text.find(L"Item not found"));
    EXPECT_EQ(std::make_pair(0, 0), Current());
    EXPECT_TRUE(::GetFocus() == Box() || ::IsChild(Box(), ::GetFocus()));
}

TEST_F(FindTest, ClosingTheBoxEndsTheSearch)
{
    ClickButton(Box(), IDCANCEL);
    support::gui::PumpPending();
    EXPECT_FALSE(sheet->IsFindActive());
    EXPECT_EQ(nullptr, sheet->FindDialog());
    box = sheet->OpenFindDialog(FALSE, L"");  // for the tests that follow
    ASSERT_NE(nullptr, box);
}

namespace {

class PopupMenuTest : public GridInputTest {
protected:
    void SetUp() override
    {
        GridInputTest::SetUp();
        Fill(4, 4);
        grid.PopupMenu().AppendMenu(MF_STRING, 1001, L"First");
        grid.PopupMenu().AppendMenu(MF_STRING, 1002, L"Second");
    }
    // The next menu gets Down `downs` times and Enter.
    void ChooseSoon(int downs)
    {
        const HWND target = grid.GetSafeHwnd();
        LoopAction::Soon([target, downs] {
            for (int i = 0; i < downs; ++i)
                ::PostMessageW(target, WM_KEYDOWN, VK_DOWN, 0);
            ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
            return true;
        });
    }
};

}  // namespace

TEST_F(PopupMenuTest, MenusAreOffUntilTheSettingsTurnThemOn)
{
    POINT at = {100, 100};
    EXPECT_EQ(1, grid.OpenPopupMenu(0, 0, &at, VGSECTION_CELLS));
}

TEST_F(PopupMenuTest, AChosenCommandReachesTheApplicationWithWhereTheMenuOpened)
{
    grid.Info()->m_popupMenu = 1;
    ChooseSoon(2);
    POINT at = {200, 200};
    EXPECT_EQ(0, grid.OpenPopupMenu(2, 3, &at, VGSECTION_CELLS));
    support::gui::PumpPending();
    EXPECT_EQ((std::vector<std::string>{"2,3 section 1 id 1002"}), grid.popupCommands);
}

TEST_F(PopupMenuTest, ARightPressInTheCellAreaOpensTheMenuOnTheCellItMovedTo)
{
    grid.Info()->m_popupMenu = 1;
    ChooseSoon(1);
    support::gui::Click(Cells(), CellCentre(1, 2), support::gui::Button::Right);
    support::gui::PumpPending();
    EXPECT_EQ((std::vector<std::string>{"1,2 section 1 id 1001"}), grid.popupCommands);
    EXPECT_EQ(1, grid.QueryCurrentColumn());
}

TEST_F(PopupMenuTest, TheApplicationMayRefuseTheMenu)
{
    class Refusing : public InputGrid {
    public:
        int OnPopupOpening(int, int, int) override { return 0; }
    };
    Refusing other;
    other.Info()->m_popupMenu = 1;
    POINT at = {100, 100};
    EXPECT_EQ(2, other.OpenPopupMenu(0, 0, &at, VGSECTION_CELLS));
}
