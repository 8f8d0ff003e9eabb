// In-cell editing under the test display: the editors laid over cells, the keys that end an edit
// and where editing goes on, Escape, masks, refused values and the edit-starting refusals.
#include "CaseName.h"
#include "GridInputFixture.h"

using support::gui::Click;
using support::gui::PressKey;
using support::gui::TypeText;
using support::gui::Modifiers;

namespace {

struct ExitKeyCase {
    std::string name;
    UINT key;
    Modifiers modifiers;
    bool caretToStart;  // Home first, so that the selection is empty at position 0
    int nextColumn;
    int nextRow;
};

class ExitKeyTest : public GridInputTest, public ::testing::WithParamInterface<ExitKeyCase> {};

}  // namespace

TEST_P(ExitKeyTest, MovesToTheNextCellWithOneFinishCall)
{
    const ExitKeyCase& c = GetParam();
    Fill(4, 4);
    grid.MoveToCell(1, 1);
    ASSERT_EQ(0, grid.EditCurrentCell());
    ASSERT_EQ(Editor(), ::GetFocus());
    EXPECT_EQ(L"1,1", WindowText(Editor()));
    if (c.caretToStart)
        PressKey(nullptr, VK_HOME);
    PressKey(nullptr, c.key, c.modifiers);

    ASSERT_EQ(1u, grid.finishes.size());
    EXPECT_EQ(L"1,1", grid.finishes[0].text);
    EXPECT_EQ(0, grid.finishes[0].cancelled);
    EXPECT_EQ(c.nextColumn, grid.QueryCurrentColumn());
    EXPECT_EQ(c.nextRow, grid.QueryCurrentRow());
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(c.nextColumn, grid.QueryEditColumn());
    EXPECT_EQ(c.nextRow, grid.QueryEditRow());
    EXPECT_EQ(Editor(), ::GetFocus());
    wchar_t next[16];
    std::swprintf(next, 16, L"%d,%d", c.nextColumn, c.nextRow);
    EXPECT_EQ(next, WindowText(Editor()));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ExitKeyTest,
    ::testing::Values(ExitKeyCase{"Tab", VK_TAB, {}, false, 2, 1},
                      ExitKeyCase{"ShiftTab", VK_TAB, {false, true}, false, 0, 1},
                      ExitKeyCase{"Enter", VK_RETURN, {}, false, 1, 2},
                      ExitKeyCase{"Down", VK_DOWN, {}, false, 1, 2},
                      ExitKeyCase{"Up", VK_UP, {}, false, 1, 0},
                      ExitKeyCase{"RightWithTheWholeTextSelected", VK_RIGHT, {}, false, 2, 1},
                      ExitKeyCase{"LeftAtTheStart", VK_LEFT, {}, true, 0, 1}),
    CaseName());

TEST_F(GridInputTest, TypedTextIsStoredAndTheRightArrowInsideTheTextOnlyMovesTheCaret)
{
    Fill(3, 3);
    ASSERT_EQ(0, grid.StartCellEdit(0, 0, L'a'));
    TypeText(nullptr, L"bc");
    EXPECT_EQ(L"abc", WindowText(Editor()));
    PressKey(nullptr, VK_LEFT);
    PressKey(nullptr, VK_RIGHT);
    EXPECT_TRUE(grid.finishes.empty());
    PressKey(nullptr, VK_RIGHT);  // now at the end
    ASSERT_EQ(1u, grid.finishes.size());
    EXPECT_EQ(L"abc", std::wstring(grid.GetCellText(0, 0)));
    EXPECT_EQ(1, grid.QueryCurrentColumn());
}

TEST_F(GridInputTest, TheLastColumnWrapsToTheFirstColumnOfTheRowGiven)
{
    Fill(3, 3);
    grid.MoveToCell(2, 1);
    grid.EditCurrentCell();
    PressKey(nullptr, VK_TAB);
    EXPECT_EQ(0, grid.QueryCurrentColumn());
    EXPECT_EQ(1, grid.QueryCurrentRow());
    EXPECT_TRUE(grid.IsEditing());
}

namespace {

// A push button of the test dialog; `first` puts it first in the Tab order, else it comes last.
HWND AddButton(CDialog& dialog, int id, int top, bool first)
{
    HWND button = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 420, top, 80, 24,
                                    dialog.GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                                    nullptr);
    ::SetWindowPos(button, first ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return button;
}

}  // namespace

TEST_F(GridInputTest, TabAndShiftTabLeaveTheCellsForTheDialogsNextAndPreviousControl)
{
    Fill(3, 3);
    HWND before = AddButton(*dialog, 201, 10, true);
    HWND after = AddButton(*dialog, 202, 40, false);
    grid.MoveToCell(1, 1);
    PressKey(nullptr, VK_TAB);
    EXPECT_EQ(after, ::GetFocus());
    EXPECT_EQ(1, grid.QueryCurrentColumn()) << "the current cell stays";
    EXPECT_EQ(1, grid.QueryCurrentRow());
    grid.CellArea().SetFocus();
    PressKey(nullptr, VK_TAB, Modifiers{false, true});
    EXPECT_EQ(before, ::GetFocus());
    grid.CellArea().SetFocus();
    PressKey(nullptr, VK_TAB, Modifiers{true});
    EXPECT_EQ(after, ::GetFocus()) << "Ctrl+Tab as Tab";
    // Back by Shift+Tab from the control after the grid: the grid's cells, at the same cell.
    PressKey(nullptr, VK_TAB, Modifiers{false, true});
    EXPECT_EQ(Cells(), ::GetFocus());
    EXPECT_EQ(1, grid.QueryCurrentColumn());
    ::DestroyWindow(before);
    ::DestroyWindow(after);
}

TEST_F(GridInputTest, InTheEditorTabMovesBetweenCellsAndCtrlTabLeavesTheGrid)
{
    Fill(3, 3);
    HWND before = AddButton(*dialog, 201, 10, true);
    HWND after = AddButton(*dialog, 202, 40, false);
    grid.EditCurrentCell();
    PressKey(nullptr, VK_TAB);
    EXPECT_EQ(Editor(), ::GetFocus()) << "Tab goes on editing in the next cell";
    EXPECT_EQ(1, grid.QueryEditColumn());
    TypeText(nullptr, L"new");
    PressKey(nullptr, VK_TAB, Modifiers{true});
    EXPECT_EQ(after, ::GetFocus());
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_FALSE(::IsWindowVisible(Editor()));
    grid.CellArea().SetFocus();
    grid.EditCurrentCell();
    PressKey(nullptr, VK_TAB, Modifiers{true, true});
    EXPECT_EQ(before, ::GetFocus());
    EXPECT_FALSE(grid.IsEditing());
    ::DestroyWindow(before);
    ::DestroyWindow(after);
}

TEST_F(GridInputTest, EscapeKeepsTheValueAndTheDialogOpen)
{
    Fill(3, 3);
    grid.EditCurrentCell();
    TypeText(nullptr, L"new");
    PressKey(nullptr, VK_ESCAPE);
    ASSERT_EQ(1u, grid.finishes.size());
    EXPECT_EQ(1, grid.finishes[0].cancelled);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_FALSE(::IsWindowVisible(Editor()));
    EXPECT_EQ(L"0,0", std::wstring(grid.GetCellText(0, 0)));
    EXPECT_EQ(0, grid.QueryCurrentColumn());
    EXPECT_EQ(Cells(), ::GetFocus());
    EXPECT_TRUE(::IsWindow(dialog->GetSafeHwnd()));
    EXPECT_TRUE(::IsWindowVisible(dialog->GetSafeHwnd()));
}

TEST_F(GridInputTest, ARefusedValueKeepsTheEditorOpenWithTheTextAsTyped)
{
    Fill(3, 3);
    grid.EditCurrentCell();
    TypeText(nullptr, L"refused");
    PressKey(nullptr, VK_RETURN);
    // The editor takes the focus back once the focus change is over.
    support::gui::PumpPending();
    EXPECT_EQ(1u, grid.finishes.size());
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_TRUE(::IsWindowVisible(Editor()));
    EXPECT_EQ(Editor(), ::GetFocus());
    EXPECT_EQ(L"refused", WindowText(Editor()));
    EXPECT_EQ(L"0,0", std::wstring(grid.GetCellText(0, 0)));
    EXPECT_EQ(0, grid.QueryCurrentRow());

    TypeText(nullptr, L"fine");
    PressKey(nullptr, VK_RETURN);
    EXPECT_EQ(2u, grid.finishes.size());
    EXPECT_EQ(L"fine", std::wstring(grid.GetCellText(0, 0)));
    EXPECT_EQ(1, grid.QueryCurrentRow());
}

TEST_F(GridInputTest, AClickElsewhereEndsTheEditWithoutMovingOn)
{
    Fill(3, 3);
    grid.EditCurrentCell();
    TypeText(nullptr, L"kept");
    Click(Cells(), CellCentre(2, 2));
    ASSERT_EQ(1u, grid.finishes.size());
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(L"kept", std::wstring(grid.GetCellText(0, 0)));
    EXPECT_EQ(2, grid.QueryCurrentColumn());
    EXPECT_EQ(2, grid.QueryCurrentRow());
}

TEST_F(GridInputTest, ANumberCellStaysANumber)
{
    Fill(2, 2);
    CVGCell cell;
    cell.PutNumber(5);
    grid.StoreCell(0, 0, &cell);
    grid.EditCurrentCell();
    TypeText(nullptr, L"42");
    PressKey(nullptr, VK_RETURN);
    grid.GetStoredCell(0, 0, &cell);
    EXPECT_EQ(VGDATA_NUMBER, cell.ReadDataType());
    EXPECT_EQ(42.0, cell.ReadNumber());
}

TEST_F(GridInputTest, CtrlEnterBreaksTheLineInAWordWrapCell)
{
    Fill(2, 2);
    grid.SetCellTypeStyle(0, 0, VGSTYLE_WORDWRAP);
    grid.StartCellEdit(0, 0, L'a');
    PressKey(nullptr, VK_RETURN, {true});
    TypeText(nullptr, L"b");
    EXPECT_TRUE(grid.finishes.empty());
    EXPECT_EQ(L"a\r\nb", WindowText(Editor()));
    PressKey(nullptr, VK_RETURN);
    EXPECT_EQ(L"a\r\nb", std::wstring(grid.GetCellText(0, 0)));
    EXPECT_EQ(1, grid.QueryCurrentRow());
}

TEST_F(GridInputTest, AReadOnlyCellAndASecondStartAreRefused)
{
    Fill(2, 2);
    CVGCell cell;
    grid.GetStoredCell(1, 0, &cell);
    cell.PutReadOnly(1);
    grid.StoreCell(1, 0, &cell);
    EXPECT_EQ(1, grid.StartCellEdit(1, 0, 0));
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(0, grid.StartCellEdit(0, 1, 0));
    EXPECT_EQ(1, grid.StartCellEdit(0, 0, 0));
    EXPECT_EQ(0, grid.QueryEditColumn());
    EXPECT_EQ(1, grid.QueryEditRow());
}

TEST_F(GridInputTest, ACellTypeThatRefusesEditingLeavesTheNextEditFree)
{
    Fill(2, 2);
    grid.SetCellTypeIndex(1, 1, 2);  // a check box: never edited in place
    EXPECT_EQ(1, grid.StartCellEdit(1, 1, 0));
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(0, grid.StartCellEdit(0, 0, 0));
    EXPECT_TRUE(grid.IsEditing());
}

TEST_F(GridInputTest, AMaskedCellUsesTheMaskedEditorAndItsRules)
{
    Fill(2, 2);
    CVGCell cell;
    cell.PutMask(L"(000) 000");
    grid.StoreCell(1, 1, &cell);
    ASSERT_EQ(0, grid.StartCellEdit(1, 1, 0));
    const HWND masked = grid.MaskedEditor().GetSafeHwnd();
    ASSERT_EQ(masked, ::GetFocus());
    TypeText(nullptr, L"5x5512");
    // Literals are typed ahead of the digits; the x is refused; one literal only goes in ahead of a
    // character, which then stands in the second literal's place.
    EXPECT_EQ(L"(555)12", WindowText(masked));
    EXPECT_EQ(6, grid.editKeys);
    PressKey(nullptr, VK_RETURN);
    EXPECT_EQ(L"(555)12", std::wstring(grid.GetCellText(1, 1)));
}

TEST_F(GridInputTest, AFullMaskRefusesOneMoreCharacter)
{
    Fill(2, 2);
    CVGCell cell;
    cell.PutMask(L"\\A00");
    grid.StoreCell(0, 1, &cell);
    grid.StartCellEdit(0, 1, 0);
    TypeText(nullptr, L"123");
    EXPECT_EQ(L"A12", WindowText(grid.MaskedEditor().GetSafeHwnd()));
}

TEST_F(GridInputTest, TheApplicationMayRefuseToStartAnEdit)
{
    class Refusing : public InputGrid {
    public:
        int OnEditStarting(int, int, CWnd**) override { return 0; }
    };
    Fill(2, 2);
    Refusing other;
    AttachSecond(other);
    other.SetColumnCount(2, 0);
    other.SetRowCount(2, 0);
    other.MoveToCell(0, 0);
    EXPECT_EQ(1, other.EditCurrentCell());
    EXPECT_FALSE(other.IsEditing());
    EXPECT_EQ(0, grid.EditCurrentCell());
    other.DestroyWindow();
}
