// The built-in cell types under the test display: the drop list's list of choices, the check box,
// the spin button and the side arrows, driven by the mouse and keys as a person would.
#include "CaseName.h"
#include "GridInputFixture.h"

#include "VGSpinButtonType.h"
#include "VGXPThemes.h"

#include <support/Waiting.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

using support::gui::Click;
using support::gui::PressKey;
using Messages = std::vector<std::string>;

namespace {

class DropListTest : public GridInputTest {
protected:
    void SetUp() override
    {
        GridInputTest::SetUp();
        Fill(3, 8);
        grid.SetCellTypeIndex(1, 1, 1);
        SetChoices(L"Red\nGreen\nBlue\n");
    }
    void SetChoices(LPCWSTR label, int column = 1, int row = 1)
    {
        CVGCell cell;
        grid.GetStoredCell(column, row, &cell);
        cell.PutLabel(label);
        grid.StoreCell(column, row, &cell);
    }
    CVGDropListType& Type() { return static_cast<CVGDropListType&>(*grid.CellTypeAt(1)); }
    HWND List() { return Type().List().GetSafeHwnd(); }
    // A press and release on the cell's button.
    void ClickButton(int column = 1, int row = 1)
    {
        RECT rect;
        grid.ComputeCellRect(&column, &row, &rect);
        Click(Cells(), POINT{rect.right - 4, (rect.top + rect.bottom) / 2});
    }
    void ClickItem(int index)
    {
        RECT item;
        ::SendMessageW(List(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        Click(List(), POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    }
    int ItemCount() { return static_cast<int>(::SendMessageW(List(), LB_GETCOUNT, 0, 0)); }
    // A press and release of the real mouse at a point of the screen: the input goes where the
    // system sends it (to a window holding the capture, if one does).
    static void RealClick(POINT screen)
    {
        ASSERT_TRUE(::SetCursorPos(screen.x, screen.y));
        INPUT clicks[2] = {};
        clicks[0].type = clicks[1].type = INPUT_MOUSE;
        clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(2u, ::SendInput(2, clicks, sizeof(INPUT)));
    }
    // The same at a point of a window, dispatched until the list is gone, whichever way it went.
    void RealClickUntilListCloses(HWND window, POINT client)
    {
        const HWND list = List();
        ::ClientToScreen(window, &client);
        RealClick(client);
        ASSERT_TRUE(support::gui::PumpUntil([list] { return !::IsWindow(list); },
                                            static_cast<DWORD>(support::kPatience.count())));
        support::gui::PumpPending();
    }
    // Opens the list from the keyboard and selects its first item with the down arrow.
    void OpenFromTheKeyboard()
    {
        grid.MoveToCell(1, 1);
        PressKey(Cells(), VK_RETURN);
        ASSERT_NE(nullptr, List());
        ASSERT_EQ(List(), ::GetCapture());
        PressKey(List(), VK_DOWN);
        ASSERT_NE(LB_ERR, ::SendMessageW(List(), LB_GETCURSEL, 0, 0));
    }
};

}  // namespace

TEST(DropListChoices, EachPieceThatALineFeedEndsIsAChoice)
{
    CStringList choices;
    CVGDropListType::SplitChoices(L"Red\nGreen\nBlue", &choices);
    ASSERT_EQ(2, choices.GetCount());
    EXPECT_EQ(CString(L"Green"), choices.GetTail());
    choices.RemoveAll();
    CVGDropListType::SplitChoices(L"Red\nGreen\nBlue\n", &choices);
    EXPECT_EQ(3, choices.GetCount());
}

TEST_F(DropListTest, TheButtonOpensTheChoicesAndAClickedItemIsStoredAndReported)
{
    ClickButton();
    ASSERT_NE(nullptr, List());
    EXPECT_TRUE(::IsWindowVisible(List()));
    EXPECT_EQ(List(), ::GetFocus());
    EXPECT_EQ(3, ItemCount());
    EXPECT_EQ((Messages{"type 1 1,1 100 3 choices"}), grid.typeMessages);

    ClickItem(1);
    EXPECT_EQ((Messages{"type 1 1,1 100 3 choices", "type 1 1,1 102 1", "type 1 1,1 101 Green", "type 1 1,1 103 Green"}),
              grid.typeMessages);
    EXPECT_EQ(L"Green", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ(nullptr, List());
    EXPECT_EQ(Cells(), ::GetFocus());
    EXPECT_EQ(-1, Type().ListColumn());
}

TEST_F(DropListTest, EnterOpensTheListAndEnterChoosesTheSelectedItem)
{
    grid.MoveToCell(1, 1);
    PressKey(Cells(), VK_RETURN);
    ASSERT_NE(nullptr, List());
    ::SendMessageW(List(), LB_SETCURSEL, 2, 0);
    PressKey(List(), VK_RETURN);
    EXPECT_EQ(L"Blue", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ(nullptr, List());
}

TEST_F(DropListTest, AListOpenedFromTheKeyboardTakesNoChoiceFromAClickElsewhere)
{
    OpenFromTheKeyboard();
    RealClickUntilListCloses(Cells(), CellCentre(0, 6));
    EXPECT_EQ(L"1,1", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ((Messages{"type 1 1,1 100 3 choices"}), grid.typeMessages);
    EXPECT_EQ(-2, Type().ListColumn());
    EXPECT_EQ(Cells(), ::GetFocus());
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(DropListTest, AListOpenedFromTheKeyboardTakesARealClickOnAnItem)
{
    OpenFromTheKeyboard();
    RECT item;
    ::SendMessageW(List(), LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    RealClickUntilListCloses(List(), POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    EXPECT_EQ(L"Blue", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ(Cells(), ::GetFocus());
}

TEST_F(DropListTest, TheScrollBarOfAListOpenedFromTheKeyboardScrollsItUnderARealClick)
{
    std::wstring label;
    for (int i = 0; i < 20; ++i)
        label += L"Choice " + std::to_wstring(i) + L"\n";
    SetChoices(label.c_str());
    OpenFromTheKeyboard();
    const HWND list = List();
    CRect frame;
    ::GetWindowRect(list, &frame);
    // The down arrow at the foot of the list's scroll bar.
    RealClick(POINT{frame.right - 1 - ::GetSystemMetrics(SM_CXVSCROLL) / 2,
                    frame.bottom - 1 - ::GetSystemMetrics(SM_CYVSCROLL) / 2});
    EXPECT_TRUE(support::gui::PumpUntil([list] { return ::SendMessageW(list, LB_GETTOPINDEX, 0, 0) > 0; },
                                        static_cast<DWORD>(support::kPatience.count())));
    support::gui::PumpPending();
    EXPECT_TRUE(::IsWindow(list));
    EXPECT_EQ(list, ::GetCapture());
    EXPECT_EQ(L"1,1", std::wstring(grid.GetCellText(1, 1)));
}

TEST_F(DropListTest, EscapeClosesTheListAndTheCellKeepsItsValue)
{
    ClickButton();
    ASSERT_NE(nullptr, List());
    ::SendMessageW(List(), LB_SETCURSEL, 2, 0);
    PressKey(List(), VK_ESCAPE);
    EXPECT_EQ(nullptr, List());
    EXPECT_EQ(L"1,1", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ(-2, Type().ListColumn());
    EXPECT_EQ(1u, grid.typeMessages.size());
    EXPECT_TRUE(::IsWindowVisible(dialog->GetSafeHwnd()));
    EXPECT_EQ(Cells(), ::GetFocus()) << "the focus is back on the cell";
}

TEST_F(DropListTest, TheListOpensWithTheCellsValueMarked)
{
    grid.MoveToCell(1, 1);
    PressKey(Cells(), VK_RETURN);
    ASSERT_NE(nullptr, List());
    EXPECT_EQ(LB_ERR, ::SendMessageW(List(), LB_GETCURSEL, 0, 0)) << "\"1,1\" is none of the choices";
    ClickItem(2);
    ASSERT_EQ(L"Blue", std::wstring(grid.GetCellText(1, 1)));
    PressKey(Cells(), VK_RETURN);
    ASSERT_NE(nullptr, List());
    EXPECT_EQ(2, ::SendMessageW(List(), LB_GETCURSEL, 0, 0));
    PressKey(List(), VK_UP);
    PressKey(List(), VK_RETURN);
    EXPECT_EQ(L"Green", std::wstring(grid.GetCellText(1, 1))) << "the keys start from the value";
}

TEST_F(DropListTest, TheApplicationMayKeepTheListClosed)
{
    grid.answers[100] = 0;
    ClickButton();
    EXPECT_EQ(nullptr, List());
    EXPECT_EQ(1u, grid.typeMessages.size());
}

TEST_F(DropListTest, TheApplicationMayRefuseOrChangeTheChoice)
{
    grid.answers[101] = 0;
    ClickButton();
    ClickItem(0);
    EXPECT_EQ(L"1,1", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ((Messages{"type 1 1,1 100 3 choices", "type 1 1,1 102 0", "type 1 1,1 101 Red"}), grid.typeMessages);

    grid.answers.clear();
    grid.typeMessages.clear();
    grid.chosenReplacement = L"Crimson";
    ClickButton();
    ClickItem(0);
    EXPECT_EQ(L"Crimson", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ("type 1 1,1 103 Crimson", grid.typeMessages.back());
}

TEST_F(DropListTest, AReadOnlyCellNeverOpensItsList)
{
    CVGCell cell;
    grid.GetStoredCell(1, 1, &cell);
    cell.PutReadOnly(1);
    grid.StoreCell(1, 1, &cell);
    ClickButton();
    EXPECT_EQ(nullptr, List());
    EXPECT_TRUE(grid.typeMessages.empty());
}

TEST_F(DropListTest, TwentyChoicesShowFifteenRowsAndAListNearTheBottomOpensAbove)
{
    std::wstring label;
    for (int i = 0; i < 20; ++i)
        label += L"Choice " + std::to_wstring(i) + L"\n";
    const int lastRow = 7;
    grid.SetCellTypeIndex(1, lastRow, 1);
    SetChoices(label.c_str(), 1, lastRow);
    ClickButton(1, lastRow);
    ASSERT_NE(nullptr, List());
    EXPECT_EQ(20, ItemCount());
    RECT client, item;
    ::GetClientRect(List(), &client);
    ::SendMessageW(List(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(15, (client.bottom - client.top) / (item.bottom - item.top));
    EXPECT_TRUE(::GetWindowLongW(List(), GWL_STYLE) & WS_VSCROLL);
    CRect list;
    ::GetWindowRect(List(), &list);
    grid.CellArea().ScreenToClient(&list);
    int column = 1, row = lastRow;
    RECT cell;
    grid.ComputeCellRect(&column, &row, &cell);
    EXPECT_LT(list.top, cell.bottom);
    EXPECT_GE(list.top, 0);
    PressKey(List(), VK_ESCAPE);
}

namespace {

struct CheckBoxCase {
    std::string name;
    int style;
    std::vector<int> values;  // after each click
};

class CheckBoxTest : public GridInputTest, public ::testing::WithParamInterface<CheckBoxCase> {
protected:
    void SetUp() override
    {
        GridInputTest::SetUp();
        Fill(3, 3);
        grid.SetCellTypeIndex(1, 1, 2);
        grid.SetCellText(1, 1, L"0");
        grid.SetCellText(2, 2, L"0");
    }
    POINT BoxCentre(int column, int row, int style)
    {
        RECT rect;
        grid.ComputeCellRect(&column, &row, &rect);
        const CRect box = CVGCheckBoxType::BoxRect(rect, style, 0, 1.0);
        return box.CenterPoint();
    }
    int Value(int column, int row)
    {
        CVGCell cell;
        grid.GetEffectiveCell(column, row, &cell);
        return static_cast<int>(cell.ReadNumber());
    }
};

}  // namespace

TEST_P(CheckBoxTest, EachClickOnTheBoxStepsTheValueAndTellsTheApplication)
{
    const CheckBoxCase& c = GetParam();
    grid.SetCellTypeStyle(1, 1, c.style);
    grid.SetCellText(1, 1, L"0");
    Messages expected;
    for (int value : c.values) {
        Click(Cells(), BoxCentre(1, 1, c.style));
        EXPECT_EQ(value, Value(1, 1));
        expected.push_back("type 2 1,1 53 " + std::to_string(value));
    }
    EXPECT_EQ(expected, grid.typeMessages);
}

INSTANTIATE_TEST_SUITE_P(States, CheckBoxTest,
                         ::testing::Values(CheckBoxCase{"TwoStates", 0, {1, 0, 1}},
                                           CheckBoxCase{"ThreeStates", VGCHECK_THREESTATE, {1, 2, 0}},
                                           CheckBoxCase{"RoundWithThreeStates", VGCHECK_ROUND | VGCHECK_THREESTATE, {1, 2, 0}}),
                         CaseName());

TEST_F(CheckBoxTest, TheSpaceKeyStepsTheCurrentCheckBoxAndAClickBesideTheBoxDoesNot)
{
    grid.MoveToCell(1, 1);
    PressKey(Cells(), VK_SPACE);
    EXPECT_EQ(1, Value(1, 1));
    EXPECT_EQ((Messages{"type 2 1,1 53 1"}), grid.typeMessages);
    int column = 1, row = 1;
    RECT rect;
    grid.ComputeCellRect(&column, &row, &rect);
    Click(Cells(), POINT{rect.right - 5, (rect.top + rect.bottom) / 2});
    EXPECT_EQ(1, Value(1, 1));
}

TEST_F(CheckBoxTest, AReadOnlyOrDisabledCheckBoxIgnoresClicksAndSpace)
{
    CVGCell cell;
    grid.GetStoredCell(1, 1, &cell);
    cell.PutReadOnly(1);
    grid.StoreCell(1, 1, &cell);
    grid.SetCellTypeIndex(2, 2, 2);
    grid.SetCellTypeStyle(2, 2, VGSTYLE_DISABLED);
    Click(Cells(), BoxCentre(1, 1, 0));
    Click(Cells(), BoxCentre(2, 2, VGSTYLE_DISABLED));
    PressKey(Cells(), VK_SPACE);
    grid.MoveToCell(1, 1);
    PressKey(Cells(), VK_SPACE);
    EXPECT_EQ(0, Value(1, 1));
    EXPECT_EQ(0, Value(2, 2));
    EXPECT_TRUE(grid.typeMessages.empty());
}

TEST_F(GridInputTest, TheSpinButtonHalvesStepTheValueUpAndDown)
{
    Fill(3, 3);
    CVGSpinButtonType spin;
    const int index = grid.RegisterCellType(&spin);
    grid.SetCellTypeIndex(1, 1, index);
    grid.SetCellText(1, 1, L"5");
    int column = 1, row = 1;
    RECT rect;
    grid.ComputeCellRect(&column, &row, &rect);
    const POINT upper = {rect.right - 4, rect.top + 3};
    const POINT lower = {rect.right - 4, rect.bottom - 3};
    Click(Cells(), upper);
    Click(Cells(), upper);
    EXPECT_EQ(L"7", std::wstring(grid.GetCellText(1, 1)));
    support::gui::MouseDown(Cells(), lower);
    EXPECT_EQ(2, spin.PressedHalf());
    support::gui::MouseUp(Cells(), lower);
    EXPECT_EQ(0, spin.PressedHalf());
    EXPECT_EQ(L"6", std::wstring(grid.GetCellText(1, 1)));
    EXPECT_EQ((Messages{"type " + std::to_string(index) + " 1,1 16 0", "type " + std::to_string(index) + " 1,1 16 0",
                        "type " + std::to_string(index) + " 1,1 17 0"}),
              grid.typeMessages);
}

TEST_F(GridInputTest, SideArrowsPointTheWayTheirStyleSays)
{
    Fill(4, 2);
    const int styles[4] = {VGARROW_RIGHT, VGARROW_LEFT, VGARROW_DOUBLERIGHT, VGARROW_DOUBLELEFT};
    for (int c = 0; c < 4; ++c) {
        grid.SetCellTypeIndex(c, 1, 3);
        grid.SetCellTypeStyle(c, 1, styles[c]);
        grid.SetCellTextColor(c, 1, RGB(0, 0, 0xFF));
    }
    grid.RepaintAll();
    support::gui::PumpPending();
    const support::gui::Picture picture = support::gui::CaptureWindow(Cells());
    for (int c = 0; c < 4; ++c) {
        int column = c, row = 1;
        RECT rect;
        grid.ComputeCellRect(&column, &row, &rect);
        // Arrows of strokes 7, 5, 3 and 1 pixels high: the tallest stroke is the wide end, the
        // single pixel the point.
        int total = 0, tallest = 0, tallestX = -1, pointX = -1;
        for (int x = rect.left; x < rect.right; ++x) {
            const int n = picture.Count(RGB(0, 0, 0xFF), RECT{x, rect.top, x + 1, rect.bottom});
            total += n;
            if (n > tallest) {
                tallest = n;
                tallestX = x;
            }
            if (n == 1 && pointX < 0)
                pointX = x;
        }
        const bool pointsRight = styles[c] == VGARROW_RIGHT || styles[c] == VGARROW_DOUBLERIGHT;
        EXPECT_EQ(c < 2 ? 16 : 32, total) << c;
        EXPECT_EQ(7, tallest) << c;
        EXPECT_EQ(pointsRight, tallestX < pointX) << c;
    }
    EXPECT_EQ(0, grid.CellTypeAt(3)->CanEditInCell());
}

namespace {

// A sheet with every built-in type in its styles and states, for a person to look at.
void ShowEveryCellType(InputGrid& grid, CVGSpinButtonType& spin)
{
    grid.SetColumnCount(5, 0);
    grid.SetRowCount(8, 0);
    for (int c = 0; c < 5; ++c)
        grid.ResizeColumn(c, 74);
    const wchar_t* headings[5] = {L"Drop list", L"Check", L"Check", L"Arrows", L"Spin"};
    for (int c = 0; c < 5; ++c)
        grid.SetCellText(c, -1, headings[c]);
    const int spinIndex = grid.RegisterCellType(&spin);
    const int checkStyles[8] = {0, VGCHECK_SUNKEN, VGCHECK_RAISED, VGCHECK_ROUND, VGCHECK_TICK,
                                VGCHECK_THREESTATE, VGCHECK_BOXONLY | VGCHECK_TICK, VGSTYLE_DISABLED};
    const int arrowStyles[4] = {VGARROW_RIGHT, VGARROW_LEFT, VGARROW_DOUBLERIGHT, VGARROW_DOUBLELEFT};
    for (int r = 0; r < 8; ++r) {
        grid.SetCellTypeIndex(0, r, 1);
        CVGCell cell;
        grid.GetStoredCell(0, r, &cell);
        cell.PutText(r % 2 ? L"Green" : L"Red");
        cell.PutLabel(L"Red\nGreen\nBlue\n");
        cell.PutReadOnly(r == 7);
        grid.StoreCell(0, r, &cell);
        for (int c = 1; c <= 2; ++c) {
            grid.SetCellTypeIndex(c, r, 2);
            grid.SetCellTypeStyle(c, r, checkStyles[r]);
            grid.GetStoredCell(c, r, &cell);
            cell.PutNumber(c == 1 ? 0 : (r == 5 ? 2 : 1));
            cell.PutLabel(c == 1 ? L"Off" : L"On");
            cell.PutAlignment(4 | 0x20);
            grid.StoreCell(c, r, &cell);
        }
        grid.SetCellTypeIndex(3, r, 3);
        grid.SetCellTypeStyle(3, r, arrowStyles[r % 4]);
        grid.SetCellTypeIndex(4, r, spinIndex);
        grid.SetCellText(4, r, std::to_wstring(r * 10).c_str());
    }
    grid.MoveToCell(0, 2);
    grid.MoveWindow(10, 10, 430, 200, TRUE);
}

}  // namespace

TEST_F(GridInputTest, PictureOfEveryBuiltInCellTypeInClassicDrawing)
{
    CVGSpinButtonType spin;
    ShowEveryCellType(grid, spin);
    grid.RepaintAll();
    support::gui::PumpPending();
    const support::gui::Picture types = support::gui::CaptureWindow(grid.GetSafeHwnd());
    EXPECT_TRUE(support::gui::SavePng(types, support::gui::PicturePath(L"grid-cell-types-classic")));

    // The drop list open under its cell, and the plain editor over a spin cell.
    PressKey(Cells(), VK_RETURN);
    auto& dropList = static_cast<CVGDropListType&>(*grid.CellTypeAt(1));
    ASSERT_NE(nullptr, dropList.List().GetSafeHwnd());
    ::SendMessageW(dropList.List().GetSafeHwnd(), LB_SETCURSEL, 1, 0);
    support::gui::PumpPending();
    EXPECT_TRUE(support::gui::SavePng(support::gui::CaptureWindow(grid.GetSafeHwnd()),
                                      support::gui::PicturePath(L"grid-drop-list-open-classic")));
    PressKey(nullptr, VK_ESCAPE);
    ASSERT_EQ(0, grid.StartCellEdit(4, 3, L'4'));
    support::gui::TypeText(nullptr, L"2 and more");
    support::gui::PumpPending();
    EXPECT_TRUE(support::gui::SavePng(support::gui::CaptureWindow(grid.GetSafeHwnd()),
                                      support::gui::PicturePath(L"grid-editor-classic")));
    PressKey(nullptr, VK_ESCAPE);
}

TEST_F(GridInputTest, PictureOfEveryBuiltInCellTypeInThemedDrawing)
{
    static auto version51 = [](DWORD* major, DWORD* minor) {
        *major = 5;
        *minor = 1;
    };
    VGXPThemes::SetPlatform(VGXPThemes::Platform{L"picture_uxtheme.dll", L"comctl32.dll", version51});
    VGXPThemes::SetUseThemes(1);
    VGXPThemes::SetThemeStyle(2);
    ASSERT_TRUE(VGXPThemes::ThemesAvailable());
    CVGSpinButtonType spin;
    ShowEveryCellType(grid, spin);
    grid.RepaintAll();
    support::gui::PumpPending();
    EXPECT_TRUE(support::gui::SavePng(support::gui::CaptureWindow(grid.GetSafeHwnd()),
                                      support::gui::PicturePath(L"grid-cell-types-themed")));
    ASSERT_EQ(0, grid.StartCellEdit(4, 3, L'4'));
    support::gui::TypeText(nullptr, L"2 and more");
    support::gui::PumpPending();
    EXPECT_TRUE(support::gui::SavePng(support::gui::CaptureWindow(grid.GetSafeHwnd()),
                                      support::gui::PicturePath(L"grid-editor-themed")));
    PressKey(nullptr, VK_ESCAPE);
    VGXPThemes::SetUseThemes(0);
    VGXPThemes::SetThemeStyle(0);
    VGXPThemes::SetPlatform(VGXPThemes::DefaultPlatform());
}
