// The grid window under the test display: attaching, the section layout, mouse and keys turned into
// moves and notifications, the wheel, scroll bars, border drags and double-click fits.
#include "GridWindowFixture.h"

#include "VGLayout.h"

#include <support/gui/Input.h>

using support::gui::Click;
using support::gui::DoubleClick;
using support::gui::MouseDown;
using support::gui::MouseMove;
using support::gui::MouseUp;
using support::gui::PressKey;
using support::gui::Wheel;
using Calls = std::vector<std::string>;

namespace {
// The pointer rests on a border (arming it), presses, moves with the button held and lets go.
void DragBorder(HWND heading, POINT from, POINT to)
{
    MouseMove(heading, from);
    MouseDown(heading, from);
    MouseMove(heading, to, true);
    MouseUp(heading, to);
}
}  // namespace

TEST_F(GridWindowTest, AttachingRunsTheSetUpHooksAndTakesTheDialogFont)
{
    RecordingGrid other;
    CWnd* place = dialog->GetDlgItem(kControlId);
    ASSERT_NE(nullptr, place);
    EXPECT_EQ(0, other.AttachToDialogItem(dialog, 999));  // no such control
    EXPECT_NE(nullptr, grid.Info()->m_pDefaultFont);
    EXPECT_TRUE(grid.GetStyle() & WS_TABSTOP);
    EXPECT_EQ(grid.CellArea().GetSafeHwnd(), ::GetDlgItem(grid.GetSafeHwnd(), VGID_CELLS));
    EXPECT_EQ(grid.VScroll().GetSafeHwnd(), ::GetDlgItem(grid.GetSafeHwnd(), VGID_VSCROLL));
}

TEST_F(GridWindowTest, SectionsFillTheWindowWithoutScrollBarsWhenEverythingFits)
{
    Fill(3, 5);
    const CRect cells = ChildRect(grid.CellArea());
    EXPECT_EQ(CRect(grid.Info()->m_sideHeadingWidth, grid.Info()->m_topHeadingHeight, 400, 300), cells);
    EXPECT_TRUE(ChildRect(grid.VScroll()).IsRectEmpty() || ChildRect(grid.VScroll()).Width() == 0);
    EXPECT_EQ(CRect(0, 0, grid.Info()->m_sideHeadingWidth, grid.Info()->m_topHeadingHeight), ChildRect(grid.CornerButton()));
}

TEST_F(GridWindowTest, ScrollBarsTakeTheirPlaceWhenTheCellsDoNotFitAndTheLayoutFollowsResizing)
{
    Fill(20, 100);
    const int v = ::GetSystemMetrics(SM_CXVSCROLL);
    const int h = ::GetSystemMetrics(SM_CYHSCROLL);
    EXPECT_EQ(CRect(400 - v, 0, 400, 300 - h), ChildRect(grid.VScroll()));
    EXPECT_EQ(CRect(0, 300 - h, 400 - v, 300), ChildRect(grid.HScroll()));
    EXPECT_EQ(400 - v - grid.Info()->m_sideHeadingWidth, grid.Info()->m_cellAreaWidth);

    grid.MoveWindow(10, 10, 250, 200, TRUE);
    support::gui::PumpPending();
    EXPECT_EQ(CRect(250 - v, 0, 250, 200 - h), ChildRect(grid.VScroll()));
    EXPECT_EQ(200 - h - grid.Info()->m_topHeadingHeight, ChildRect(grid.CellArea()).Height());
}

TEST_F(GridWindowTest, AClickMovesTheCurrentCellWithEveryNotificationInOrder)
{
    Fill(5, 10);
    Click(grid.CellArea().GetSafeHwnd(), POINT{75 + 10, 40 + 5});
    EXPECT_EQ((Calls{"CanMoveCell 0,0>1,2", "ColumnChanged 0>1", "RowChanged 0>2", "CellChanged 0>1,0>2",
                     "CellLButton 1,2 1 0", "CellLButton 1,2 0 0"}),
              grid.Only({"Can", "Column", "Row", "Cell"}));
    EXPECT_EQ(1, grid.QueryCurrentColumn());
    EXPECT_EQ(2, grid.QueryCurrentRow());
    EXPECT_EQ(grid.CellArea().GetSafeHwnd(), ::GetFocus());
}

TEST_F(GridWindowTest, ARefusedMoveLeavesTheCurrentCellAndReportsNoChange)
{
    Fill(5, 10);
    grid.refuseMovesTo = 3;
    Click(grid.CellArea().GetSafeHwnd(), POINT{3 * 75 + 10, 5});
    EXPECT_EQ(0, grid.QueryCurrentColumn());
    EXPECT_TRUE(grid.Only({"ColumnChanged", "CellChanged"}).empty());
    EXPECT_EQ(2, grid.MoveToCell(3, 1));
}

TEST_F(GridWindowTest, ArrowAndPageKeysStepTheCurrentCell)
{
    Fill(5, 60);
    grid.CellArea().SetFocus();
    HWND cells = grid.CellArea().GetSafeHwnd();
    PressKey(cells, VK_RIGHT);
    PressKey(cells, VK_DOWN);
    EXPECT_EQ((Calls{"GridKeyDown 39", "CanMoveCell 0,0>1,0", "ColumnChanged 0>1", "CellChanged 0>1,0>0",
                     "GridKeyDown 40", "CanMoveCell 1,0>1,1", "RowChanged 0>1", "CellChanged 1>1,0>1"}),
              grid.Only({"Grid", "Can", "Column", "Row", "Cell"}));
    PressKey(cells, VK_END);
    EXPECT_EQ(4, grid.QueryCurrentColumn());
    PressKey(cells, VK_END, {true});
    EXPECT_EQ(59, grid.QueryCurrentRow());
    EXPECT_EQ(grid.Info()->m_largestTopRow, grid.QueryTopRow());
    PressKey(cells, VK_HOME, {true});
    EXPECT_EQ(0, grid.QueryCurrentRow());
    EXPECT_EQ(0, grid.QueryTopRow());
    PressKey(cells, VK_NEXT);
    const int page = grid.QueryCurrentRow();
    EXPECT_GT(page, 5);
    EXPECT_LT(page, 20);
}

TEST_F(GridWindowTest, MovingPastTheLastRowAsksForMoreRowsAndStopsOnTheLast)
{
    Fill(3, 10);
    EXPECT_EQ(0, grid.MoveToRow(14));
    EXPECT_EQ(9, grid.QueryCurrentRow());
    EXPECT_EQ(1u, grid.Only({"PastLastRow 10 5"}).size());
    EXPECT_EQ(1, grid.MoveToRow(12));
}

TEST_F(GridWindowTest, TheWheelScrollsThreeRowsANotch)
{
    Fill(3, 200);
    Wheel(grid.CellArea().GetSafeHwnd(), POINT{20, 20}, -2);
    EXPECT_EQ(6, grid.QueryTopRow());
    EXPECT_EQ((Calls{"TopRowChanged 0>6", "ViewScrolled 6 0>6"}), grid.Only({"TopRow", "ViewScrolled"}));
    Wheel(grid.CellArea().GetSafeHwnd(), POINT{20, 20}, 1);
    EXPECT_EQ(3, grid.QueryTopRow());
    EXPECT_EQ(0, grid.QueryCurrentRow());
}

TEST_F(GridWindowTest, TheVerticalBarFollowsTheTopRowOneToOneForAFewHundredRows)
{
    Fill(3, 500);
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    grid.VScroll().GetScrollInfo(&si);
    const int page = grid.Info()->m_cellAreaHeight / grid.Info()->m_defaultRowHeight;
    EXPECT_EQ(0, si.nMin);
    EXPECT_EQ(grid.Info()->m_largestTopRow + page - 1, si.nMax);
    EXPECT_EQ(static_cast<UINT>(page), si.nPage);
    grid.SetFirstVisibleRow(37);
    EXPECT_EQ(37, grid.VScroll().GetScrollPos());
    grid.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(grid.VScroll().GetSafeHwnd()));
    EXPECT_EQ(38, grid.QueryTopRow());
}

TEST_F(GridWindowTest, AboveAThousandRowsTheBarIsScaledToAThousandSteps)
{
    grid.SetColumnCount(3, 0);
    grid.SetRowCount(20000, 1);
    support::gui::PumpPending();
    const int largest = grid.Info()->m_largestTopRow;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    grid.VScroll().GetScrollInfo(&si);
    EXPECT_EQ(0, si.nMin);
    EXPECT_EQ(1000, si.nMax);
    EXPECT_EQ(1u, si.nPage);
    grid.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), reinterpret_cast<LPARAM>(grid.VScroll().GetSafeHwnd()));
    EXPECT_EQ(static_cast<int>(100 * (largest / 1000.0)), grid.QueryTopRow());
    grid.SetFirstVisibleRow(largest / 2);
    EXPECT_EQ(static_cast<int>((largest / 2) * (1000.0 / largest)), grid.VScroll().GetScrollPos());
}

TEST_F(GridWindowTest, DraggingAColumnBorderSetsItsWidth)
{
    Fill(5, 10);
    DragBorder(grid.TopHeading().GetSafeHwnd(), POINT{75, 5}, POINT{120, 5});
    EXPECT_EQ(120, grid.QueryColumnWidth(0));
    EXPECT_EQ(75, grid.QueryColumnWidth(1));
    EXPECT_FALSE(grid.Only({"ColumnResized 0"}).empty());
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(GridWindowTest, DraggingARowBorderSetsItsHeight)
{
    Fill(5, 10);
    DragBorder(grid.SideHeading().GetSafeHwnd(), POINT{10, 20}, POINT{10, 35});
    EXPECT_EQ(35, grid.QueryRowHeight(0));
    EXPECT_EQ(20, grid.QueryRowHeight(1));
    ASSERT_FALSE(grid.Only({"RowResized"}).empty());
    EXPECT_EQ("RowResized 0 35", grid.Only({"RowResized"}).back());
}

TEST_F(GridWindowTest, AHiddenColumnIsTheOneABorderDragOpens)
{
    Fill(5, 10);
    grid.ResizeColumn(1, 0);
    HWND heading = grid.TopHeading().GetSafeHwnd();
    MouseMove(heading, POINT{75, 5});
    EXPECT_EQ(1, grid.TopHeading().ResizeState().armed);
    EXPECT_EQ(1, grid.TopHeading().ResizeState().index);
}

TEST_F(GridWindowTest, ADoubleClickOnAColumnBorderFitsTheColumnToItsWidestText)
{
    Fill(3, 10);
    const wchar_t* longText = L"A text much wider than one column";
    grid.SetCellText(0, 4, longText);
    CClientDC dc(&grid);
    CFont* old = dc.SelectObject(grid.Info()->m_pDefaultFont);
    RECT measured = {0, 0, 75, 20};
    dc.DrawText(longText, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    dc.SelectObject(old);
    HWND heading = grid.TopHeading().GetSafeHwnd();
    MouseMove(heading, POINT{75, 5});
    DoubleClick(heading, POINT{75, 5});
    EXPECT_EQ(measured.right - measured.left + 6 + 2, grid.QueryColumnWidth(0));
}

TEST_F(GridWindowTest, AClickOnTheTopHeadingReachesItsHookAndGivesTheMouseBack)
{
    Fill(3, 10);
    Click(grid.TopHeading().GetSafeHwnd(), POINT{80, 5});
    EXPECT_EQ((Calls{"TopHeadingLButton 1,-1 1", "TopHeadingLButton 1,-1 0"}), grid.Only({"TopHeading"}));
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(GridWindowTest, ShrinkingTheSheetsWhileALaterOneIsCurrentMakesTheFirstCurrent)
{
    EXPECT_EQ(1, grid.SetSheetCount(0));
    EXPECT_EQ(1, grid.SetSheetCount(1025));
    ASSERT_EQ(0, grid.SetSheetCount(3));
    EXPECT_EQ((Calls{"SheetCreated 1", "SheetCreated 2"}), grid.Only({"SheetCreated 1", "SheetCreated 2"}));
    ASSERT_EQ(0, grid.SetCurrentSheet(2, 1));
    grid.SetColumnCount(4, 1);
    ASSERT_EQ(0, grid.SetSheetCount(1));
    EXPECT_EQ(0, grid.QueryCurrentSheet());
    EXPECT_EQ(grid.Info(), grid.CellArea().GetSafeHwnd() ? grid.QueryGridInfo() : nullptr);
    grid.RepaintAll();
    support::gui::PumpPending();
    EXPECT_EQ(0, grid.QueryColumnCount());
}

TEST_F(GridWindowTest, TheDragLoopPassesAQuitMessageOnToTheLoopThatOwnsIt)
{
    Fill(5, 10);
    HWND cells = grid.CellArea().GetSafeHwnd();
    BYTE keys[256];
    ::GetKeyboardState(keys);
    BYTE held[256];
    std::copy(keys, keys + 256, held);
    held[VK_LBUTTON] = 0x80;
    ::SetKeyboardState(held);
    MouseDown(cells, POINT{10, 5});
    ::PostMessageW(cells, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 25));
    ::PostQuitMessage(7);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, cells, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    ::DispatchMessageW(&msg);
    ::SetKeyboardState(keys);
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    MouseUp(cells, POINT{90, 25});
    EXPECT_EQ(1, grid.QueryCurrentColumn());
    EXPECT_EQ(1, grid.QueryCurrentRow());
}

TEST_F(GridWindowTest, TheHintStaysInsideTheGridAndFitsItsText)
{
    CVGHint& hint = grid.Hint();
    hint.PutHintText(L"Row 12345 of many", 0);
    hint.PutHintAlignment(1);
    hint.PlaceHint(-30, 40, 20);
    CRect rect;
    hint.GetWindowRect(&rect);
    CPoint origin(0, 0);
    grid.ClientToScreen(&origin);
    CClientDC dc(&hint);
    EXPECT_EQ(origin.x, rect.left);
    EXPECT_EQ(dc.GetTextExtent(CString(L"Row 12345 of many")).cx + 4, rect.Width());
    EXPECT_TRUE(hint.IsWindowVisible());
    hint.HideHint();
    EXPECT_FALSE(hint.IsWindowVisible());
}

TEST_F(GridWindowTest, ASinglePropertySetterStoresThatPropertyAndNoDefaults)
{
    Fill(3, 3);
    CVGCell red;
    red.PutBackColor(RGB(255, 0, 0));
    grid.SetColumnDefaultCell(1, &red);
    grid.SetCellText(1, 1, L"x");
    CVGCell stored;
    grid.GetStoredCell(1, 1, &stored);
    EXPECT_TRUE(stored.HasProperty(VGCELL_VALUE));
    EXPECT_FALSE(stored.HasProperty(VGCELL_BACKCOLOR | VGCELL_TEXTCOLOR | VGCELL_ALIGNMENT));
    CVGCell drawn;
    grid.GetEffectiveCell(1, 1, &drawn);
    EXPECT_EQ(RGB(255, 0, 0), drawn.ReadBackColor());
    grid.GetEffectiveCell(0, -1, &drawn);
    EXPECT_EQ(0x24, drawn.ReadAlignment());
    EXPECT_EQ(32, drawn.ReadThemeElement());
}

namespace {
class TabGrid : public RecordingGrid {
public:
    void OnSheetTabClicked(int id) override { Note("SheetTabClicked %d", id); }
};
}  // namespace

TEST_F(GridWindowTest, SheetTabsScrollInStepsThatNeverGoBelowTheStartAndReportClicks)
{
    Fill(20, 10);
    CVGTab& tabs = grid.TabStrip();
    grid.Info()->m_tabStripWidth = 200;
    grid.RecalcLayout();
    for (int i = 0; i < 6; ++i)
        tabs.AddTab(L"Sheet", 10 + i, 100, RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(200, 200, 255));
    tabs.RecomputeScrollLimit();
    ASSERT_GT(tabs.LargestOffset(), 10);
    tabs.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    tabs.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(10, tabs.ScrollOffset());
    for (int i = 0; i < 3; ++i)
        tabs.SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(0, tabs.ScrollOffset());
    tabs.SetStripWidth(10);
    EXPECT_EQ(40, grid.Info()->m_tabStripWidth);
}

TEST(GridTabs, AClickedTabBecomesCurrentAndIsReportedByItsId)
{
    TabGrid grid;
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 500, 300, nullptr, nullptr));
    ASSERT_TRUE(grid.Create(AfxRegisterWndClass(CS_DBLCLKS), nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 480, 280), &host, 1));
    grid.SetColumnCount(20, 0);
    grid.SetRowCount(10, 0);
    grid.Info()->m_tabStripWidth = 300;
    grid.RecalcLayout();
    CVGTab& tabs = grid.TabStrip();
    for (int i = 0; i < 3; ++i)
        tabs.AddTab(L"Sheet", 10 + i, 60, RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(200, 200, 255));
    const int barWidth = 2 * ::GetSystemMetrics(SM_CXHSCROLL);
    support::gui::Click(tabs.GetSafeHwnd(), POINT{barWidth + 60 + 30, 5});
    EXPECT_EQ(1, tabs.CurrentTab());
    EXPECT_EQ(std::vector<std::string>{"SheetTabClicked 11"}, grid.Only({"SheetTab"}));
    grid.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(GridWindowTest, HelpIsAskedOfTheApplicationOnlyForANonZeroContext)
{
    struct HelpApp : CWinApp {
        std::vector<DWORD_PTR> asked;
        void WinHelp(DWORD_PTR data, UINT command) override
        {
            if (command == HELP_CONTEXT)
                asked.push_back(data);
        }
    } app;
    Fill(3, 3);
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.MousePos = POINT{20, 5};
    grid.TopHeading().ClientToScreen(&info.MousePos);
    for (CWnd* section : {static_cast<CWnd*>(&grid.TopHeading()), static_cast<CWnd*>(&grid.SideHeading()),
                          static_cast<CWnd*>(&grid.CellArea()), static_cast<CWnd*>(&grid.CornerButton())})
        section->SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(app.asked.empty());
    grid.helpId = 42;
    grid.TopHeading().SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::vector<DWORD_PTR>{42}, app.asked);
}

TEST_F(GridWindowTest, EachHeadingReportsItsClicksToItsOwnHooksWithTheCellUnderThePointer)
{
    Fill(3, 10);
    const HWND top = grid.TopHeading().GetSafeHwnd();
    const HWND side = grid.SideHeading().GetSafeHwnd();
    Click(top, POINT{80, 5}, support::gui::Button::Right);
    Click(side, POINT{5, 25}, support::gui::Button::Right);
    Click(side, POINT{5, 45});
    DoubleClick(top, POINT{160, 5});
    DoubleClick(side, POINT{5, 65});
    EXPECT_EQ((Calls{"TopHeadingRButton 1,-1 1", "TopHeadingRButton 1,-1 0"}), grid.Only({"TopHeadingR"}));
    EXPECT_EQ((Calls{"SideHeadingRButton -1,1 1", "SideHeadingRButton -1,1 0"}), grid.Only({"SideHeadingR"}));
    EXPECT_EQ((Calls{"SideHeadingLButton -1,2 1", "SideHeadingLButton -1,2 0"}),
              grid.Only({"SideHeadingLButton -1,2"}));
    EXPECT_EQ((Calls{"TopHeadingDoubleClick 2,-1", "SideHeadingDoubleClick -1,3"}),
              grid.Only({"TopHeadingDoubleClick", "SideHeadingDoubleClick"}));
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(GridWindowTest, EachSectionAsksForTheHelpContextOfItsOwnSection)
{
    Fill(20, 60);
    grid.MoveToCell(2, 4);
    ASSERT_EQ(2, grid.QueryCurrentColumn());
    ASSERT_EQ(4, grid.QueryCurrentRow());
    grid.calls.clear();
    struct Case {
        const char* name;
        CWnd* section;
        POINT point;
        const char* asked;  // the cell and section the grid is asked about
    };
    const Case cases[] = {
        {"top heading", &grid.TopHeading(), {80, 5}, "HelpContext 1,-1 section 2"},
        {"side heading", &grid.SideHeading(), {5, 25}, "HelpContext -1,1 section 3"},
        {"top heading, no cell", &grid.TopHeading(), {5, 500}, "HelpContext -1,-1 section 2"},
        {"horizontal bar: the current cell", &grid.HScroll(), {5, 5}, "HelpContext 2,4 section 5"},
        {"vertical bar: the current cell", &grid.VScroll(), {5, 5}, "HelpContext 2,4 section 6"},
    };
    grid.helpId = 77;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(nullptr, c.section->GetSafeHwnd());
        grid.calls.clear();
        const LRESULT id = c.section->SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(c.point.x, c.point.y));
        EXPECT_EQ(77, id);
        EXPECT_EQ(Calls{c.asked}, grid.Only({"HelpContext"}));
    }
}

TEST_F(GridWindowTest, HeadingsAndTheCornerTipTheCellUnderAPointerThatRestsThere)
{
    Fill(3, 10);
    const HWND tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0,
                                       dialog->GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, tip);
    const LRESULT defaultDelay = ::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0);
    ASSERT_NE(200, defaultDelay);
    struct Case {
        const char* name;
        CWnd* section;
        POINT point;
        const wchar_t* text;
        LRESULT initialDelay;
        bool hasNoCell;  // the corner is one cell: the rest there is remembered for good
        POINT noCell;
    };
    const Case cases[] = {
        {"top heading", &grid.TopHeading(), {80, 5}, L"Col:1 Row:-1", defaultDelay, true, {390, 5}},
        {"side heading", &grid.SideHeading(), {5, 25}, L"Col:-1 Row:1", defaultDelay, true, {5, 250}},
        {"corner", &grid.CornerButton(), {3, 3}, L"Col:-1 Row:-1", 200, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        if (c.hasNoCell) {
            EXPECT_EQ(-1, c.section->OnToolHitTest(c.noCell, &tool));
            EXPECT_EQ(-1, c.section->OnToolHitTest(c.noCell, &tool)) << "no cell, no tip";
            EXPECT_EQ(-1, c.section->OnToolHitTest(c.point, &tool)) << "the first rest only remembers the cell";
        } else {
            c.section->OnToolHitTest(c.point, &tool);
        }
        EXPECT_EQ(1, c.section->OnToolHitTest(c.point, &tool));
        EXPECT_EQ(c.section->GetSafeHwnd(), tool.hwnd);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(c.section->GetSafeHwnd()), tool.uId);
        EXPECT_EQ(LPSTR_TEXTCALLBACKW, tool.lpszText);

        POINT screen = c.point;
        c.section->ClientToScreen(&screen);
        ASSERT_TRUE(::SetCursorPos(screen.x, screen.y));
        NMTTDISPINFOW request = {};
        request.hdr.hwndFrom = tip;
        request.hdr.code = TTN_GETDISPINFOW;
        c.section->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
        ASSERT_NE(nullptr, request.lpszText);
        EXPECT_STREQ(c.text, request.lpszText);
        EXPECT_EQ(c.initialDelay, ::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    }
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    grid.TopHeading().OnToolHitTest(POINT{80, 5}, &tool);
    EXPECT_EQ(-1, grid.TopHeading().OnToolHitTest(POINT{160, 5}, &tool)) << "another cell starts again";
    ::DestroyWindow(tip);
}
