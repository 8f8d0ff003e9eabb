// The program's grids in a shown dialog, driven by real clicks, keys and tips.
#include "GridHostIds.h"
#include "grids/AlarmGrid.h"
#include "grids/ChartGrid1.h"
#include "grids/FilterGrid.h"
#include "VGDataSource.h"
#include "VGSpinButtonType.h"

#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using support::gui::Click;
using support::gui::PumpPending;

template <class Grid>
class GridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dialog = new CDialog;
        ASSERT_TRUE(dialog->Create(IDD_GRID_HOST));
        dialog->ShowWindow(SW_SHOW);
    }
    static void TearDownTestSuite() {
        dialog->DestroyWindow();
        delete dialog;
    }
    void SetUp() override {
        ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, dialog->GetSafeHwnd(),
                          reinterpret_cast<HMENU>(IDC_GRID_PLACE), nullptr, nullptr);
        ASSERT_EQ(1, grid.AttachToDialogItem(IDC_GRID_PLACE, dialog));
        grid.MoveWindow(10, 10, 400, 300, TRUE);
    }
    void TearDown() override { grid.DestroyWindow(); }

    // The grid's size; with `show`, painted as it is.
    void Shape(int columns, int rows, bool show = true) {
        grid.SetColumnCount(columns, 0);
        grid.SetRowCount(rows, 0);
        if (show) Show();
    }
    void Show() {
        grid.RepaintAll();
        PumpPending();
    }
    // A point of the cell, `dx` and `dy` into it, in the cell area.
    POINT At(int column, int row, int dx = 8, int dy = 8) {
        CRect rect;
        grid.ComputeCellRect(&column, &row, &rect);
        return POINT{rect.left + dx, rect.top + dy};
    }
    HWND Cells() { return grid.CellArea().GetSafeHwnd(); }
    CVGCell Stored(int column, int row) {
        CVGCell cell;
        grid.GetStoredCell(column, row, &cell);
        return cell;
    }

    static inline CDialog* dialog = nullptr;
    Grid grid;
};

using MyGridTest = GridTest<MyGrid>;

TEST_F(MyGridTest, TipOverCellThreeSevenReadsItsColumnAndRow) {
    Shape(4, 10);
    POINT screen = At(3, 7);
    ::ClientToScreen(Cells(), &screen);
    ASSERT_TRUE(::SetCursorPos(screen.x, screen.y));
    NMTTDISPINFOW request = {};
    request.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(Cells(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    ASSERT_NE(nullptr, request.lpszText);
    EXPECT_STREQ(L"Col:3 Row:7", request.lpszText);
}

TEST_F(MyGridTest, SortPutsTwoBeforeTenAndEmptyTextsLast) {
    const double numbers[] = {10, 2, 33, 1.5};
    Shape(2, 4, false);
    for (int row = 0; row < 4; ++row) {
        CVGCell cell;
        cell.PutNumber(numbers[row]);
        grid.StoreCell(0, row, &cell);
        grid.SetCellText(1, row, std::vector<const wchar_t*>{L"b", L"", L"B", L"a"}[row]);
    }
    std::vector<double> byNumber;
    std::vector<std::wstring> byText;
    grid.DataSourceOfColumn(0)->SortByColumn(0, 0);
    for (int row = 0; row < 4; ++row) byNumber.push_back(Stored(0, row).ReadNumber());
    EXPECT_EQ((std::vector<double>{1.5, 2, 10, 33}), byNumber);
    grid.DataSourceOfColumn(0)->SortByColumn(0, 2);
    EXPECT_EQ(33, Stored(0, 0).ReadNumber()) << "flag 2 sorts the other way";
    grid.DataSourceOfColumn(1)->SortByColumn(1, 0);
    for (int row = 0; row < 4; ++row) byText.emplace_back(grid.GetCellText(1, row));
    EXPECT_EQ((std::vector<std::wstring>{L"B", L"a", L"b", L""}), byText);
}

TEST_F(MyGridTest, EmptyAreasOfCellsAndSideHeadingAreWhite) {
    Shape(2, 2);
    const int below = At(0, 1, 0, 0).y + 60;
    EXPECT_EQ(RGB(255, 255, 255), support::gui::CaptureWindow(Cells()).At(10, below));
    EXPECT_EQ(RGB(255, 255, 255), support::gui::CaptureWindow(grid.SideHeading().GetSafeHwnd()).At(10, below));
}

TEST_F(MyGridTest, SpinCellStepsByOneAndNotBelowZeroOnTheWayDown) {
    CVGSpinButtonType spin;
    ASSERT_EQ(4, grid.RegisterCellType(&spin));
    Shape(2, 3, false);
    CVGCell cell;
    cell.PutNumber(1);
    cell.PutTypeIndex(4);
    grid.StoreCell(1, 1, &cell);
    Show();
    const int x = grid.QueryColumnWidth(1) - spin.ButtonWidth() / 2;
    const int half = grid.QueryRowHeight(1) / 2;
    Click(Cells(), At(1, 1, x, 3));
    EXPECT_EQ(2.0, Stored(1, 1).ReadNumber());
    for (int press = 0; press < 3; ++press) Click(Cells(), At(1, 1, x, half + 3));
    EXPECT_EQ(0.0, Stored(1, 1).ReadNumber());
}

TEST_F(MyGridTest, FocusFrameIsDottedAndStopsOnePixelShortOfTheRightAndBottom) {
    CClientDC screen(nullptr);
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&screen, 40, 30);
    const HGDIOBJ previous = memory.SelectObject(bitmap.GetSafeHandle());
    RECT rect = {0, 0, 40, 30};
    memory.FillSolidRect(&rect, RGB(255, 255, 255));
    grid.DrawFocusFrame(&memory, &rect);
    const support::gui::Picture drawn = support::gui::CaptureDC(memory.GetSafeHdc(), rect);
    memory.SelectObject(previous);
    EXPECT_EQ(30 + 40,
              drawn.Count(RGB(255, 255, 255), {39, 0, 40, 30}) + drawn.Count(RGB(255, 255, 255), {0, 29, 40, 30}));
    EXPECT_NEAR(29 / 2, drawn.Count(RGB(255, 255, 255), {38, 0, 39, 29}), 2) << "every other pixel one in";
}

TEST_F(MyGridTest, DoubleClickEditsNoColumn) {
    Shape(3, 3);
    support::gui::DoubleClick(Cells(), At(2, 1));
    EXPECT_FALSE(grid.IsEditing());
}

using AlarmGridTest = GridTest<AlarmGrid>;

TEST_F(AlarmGridTest, DoubleClickEditsColumnTwoOnly) {
    Shape(3, 3);
    support::gui::DoubleClick(Cells(), At(1, 1));
    EXPECT_FALSE(grid.IsEditing());
    support::gui::DoubleClick(Cells(), At(2, 1));
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(2, grid.QueryEditColumn());
    support::gui::PressKey(nullptr, VK_ESCAPE);
}

using SeriesGridTest = GridTest<ChartGrid1>;

TEST_F(SeriesGridTest, ClickingRowFiveMarksItAloneInItsOwnTable) {
    ChartGrid::seriesMarks = ChartGrid1::seriesMarks = ChartGrid::UnmarkedSeries();
    Shape(3, 16);
    Click(Cells(), At(2, 5));
    EXPECT_EQ((ChartGrid::SeriesMarks{1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1}), ChartGrid1::seriesMarks);
    EXPECT_EQ(ChartGrid::UnmarkedSeries(), ChartGrid::seriesMarks) << "the other direction's table";
    grid.SetFirstVisibleRow(4);
    Click(Cells(), At(2, 15));
    ASSERT_EQ(15, grid.QueryCurrentRow());
    EXPECT_EQ(ChartGrid::UnmarkedSeries(), ChartGrid1::seriesMarks) << "a row past the series marks none";
    support::gui::DoubleClick(Cells(), At(2, 6));
    EXPECT_TRUE(grid.IsEditing());
    support::gui::PressKey(nullptr, VK_ESCAPE);
}

class FilterGridTest : public GridTest<FilterGrid> {
protected:
    void SetUp() override {
        FilterGrid::groupTaken.fill(false);
        GridTest<FilterGrid>::SetUp();
        Shape(2, 25, false);
        for (int row = 0; row < 25; ++row) {
            CVGCell box;
            box.PutTypeIndex(2);
            box.PutNumber(0);
            grid.StoreCell(0, row, &box);
            grid.SetCellText(1, row, (L"Filter " + std::to_wstring(row)).c_str());
        }
        Show();
    }
    void ClickBox(int row) {
        grid.SetFirstVisibleRow(row > 10 ? row - 5 : 0);
        Click(Cells(), At(0, row, 8, grid.QueryRowHeight(row) / 2));
    }
    std::vector<int> LockedRows() {
        std::vector<int> rows;
        for (int row = 0; row < 25; ++row)
            if (Stored(0, row).ReadReadOnly()) rows.push_back(row);
        return rows;
    }
    COLORREF Label(int row) { return Stored(1, row).ReadTextColor(); }
};

TEST_F(FilterGridTest, CheckingRowTwoGreysAndLocksRowsEightTwentyOneAndTwentyFour) {
    ClickBox(2);
    EXPECT_TRUE(Stored(0, 2).ReadBoolean());
    EXPECT_EQ((std::vector<int>{8, 21, 24}), LockedRows());
    EXPECT_EQ(RGB(0xAA, 0xAA, 0xAA), Label(21));
    EXPECT_EQ(RGB(0, 0, 0), Label(2));
    ClickBox(8);
    EXPECT_FALSE(Stored(0, 8).ReadBoolean()) << "a locked box does not toggle";
    grid.SetFirstVisibleRow(0);
    Show();
    CRect label;
    int column = 1, row = 8;
    grid.ComputeCellRect(&column, &row, &label);
    EXPECT_LT(0, support::gui::CaptureWindow(Cells()).Count(RGB(0xAA, 0xAA, 0xAA), label)) << "grey to the eye";
    ClickBox(2);
    EXPECT_TRUE(LockedRows().empty());
    EXPECT_EQ(RGB(0, 0, 0), Label(21));
}

TEST_F(FilterGridTest, UncheckingRowTwoKeepsTheRowsATakenGroupThreeHolds) {
    ClickBox(3);
    ClickBox(2);
    ClickBox(2);
    EXPECT_EQ((std::vector<int>{9, 11, 13, 14, 15, 18, 19, 20, 21, 22, 23, 24}), LockedRows());
    EXPECT_EQ(RGB(0, 0, 0), Label(8));
}

TEST_F(FilterGridTest, SpaceOnASharedRowTakesEveryGroupItBelongsTo) {
    grid.MoveToCell(0, 8);
    grid.CellArea().SetFocus();
    support::gui::TypeText(Cells(), L" ");
    EXPECT_TRUE(Stored(0, 8).ReadBoolean());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 7, 9, 10, 11, 12, 21, 22, 23, 24}), LockedRows());
    EXPECT_TRUE(FilterGrid().groupTaken[1]) << "shared by every filter grid";
}

}  // namespace
