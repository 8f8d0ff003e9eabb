// The rules every grid of the program follows, and those of the series and alarm grids, through
// real input on grids in a shown dialog.
#include "GridHost.h"

#include "grids/AlarmGrid.h"
#include "grids/ChartGrid.h"
#include "grids/ChartGrid1.h"
#include "grids/FilterGrid.h"
#include "grids/MyGrid.h"
#include "VGDataSource.h"
#include "VGSpinButtonType.h"

#include <support/gui/Picture.h>
#include <support/gui/Windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using support::gui::PumpPending;

// A grid class with a probe on the notification that the grid's default kill-focus handling calls.
template <class Grid>
class Watched : public Grid {
public:
    int shortKillFocusCalls = 0;
    void OnSectionKillFocusShort(int) override { ++shortKillFocusCalls; }
};

template <class Grid>
class EveryAppGrid : public GridHost<Watched<Grid>> {
protected:
    using Base = GridHost<Watched<Grid>>;
    void SetUp() override {
        Base::SetUp();
        this->grid.SetColumnCount(4, 0);
        this->grid.SetRowCount(10, 0);
        this->Repaint();
    }

    // The text the grid's cell area shows in a tip for the pointer resting at the point.
    std::wstring TipAt(POINT cellPoint) {
        POINT screen = cellPoint;
        ::ClientToScreen(this->Cells(), &screen);
        EXPECT_TRUE(::SetCursorPos(screen.x, screen.y));
        NMTTDISPINFOW request = {};
        request.hdr.code = TTN_GETDISPINFOW;
        ::SendMessageW(this->Cells(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
        return request.lpszText ? request.lpszText : L"(no tip)";
    }

    // The numbers of column 0 as stored, top to bottom, after sorting by column 0 with the flags.
    std::vector<double> SortNumbers(std::vector<double> numbers, int flags) {
        for (int row = 0; row < static_cast<int>(numbers.size()); ++row) {
            CVGCell cell;
            cell.PutNumber(numbers[row]);
            this->grid.StoreCell(0, row, &cell);
        }
        this->grid.SetRowCount(static_cast<int>(numbers.size()), 0);
        this->grid.DataSourceOfColumn(0)->SortByColumn(0, flags);
        std::vector<double> sorted;
        for (int row = 0; row < static_cast<int>(numbers.size()); ++row) {
            CVGCell cell;
            this->grid.GetStoredCell(0, row, &cell);
            sorted.push_back(cell.ReadNumber());
        }
        return sorted;
    }
};

using AppGrids = ::testing::Types<MyGrid, ChartGrid, ChartGrid1, FilterGrid, AlarmGrid>;
TYPED_TEST_SUITE(EveryAppGrid, AppGrids);

TYPED_TEST(EveryAppGrid, TipOverACellNamesItsColumnAndRow) {
    EXPECT_EQ(L"Col:3 Row:7", this->TipAt(this->CellPoint(3, 7, 5, 5)));
    EXPECT_EQ(L"Col:0 Row:1", this->TipAt(this->CellPoint(0, 1, 5, 5)));
}

TYPED_TEST(EveryAppGrid, SortingNumbersPutsTwoBeforeTenAndFlagTwoReverses) {
    EXPECT_EQ((std::vector<double>{1.5, 2, 10, 33}), this->SortNumbers({10, 2, 33, 1.5}, 0));
    EXPECT_EQ((std::vector<double>{33, 10, 2, 1.5}), this->SortNumbers({10, 2, 33, 1.5}, 2));
}

TYPED_TEST(EveryAppGrid, SortingTextsPutsEmptyTextsLastAndComparesCaseSensitively) {
    const std::vector<const wchar_t*> texts = {L"b", L"", L"B", L"a", L""};
    for (int row = 0; row < 5; ++row) this->grid.SetCellText(0, row, texts[row]);
    this->grid.SetRowCount(5, 0);
    this->grid.DataSourceOfColumn(0)->SortByColumn(0, 0);
    std::vector<std::wstring> sorted;
    for (int row = 0; row < 5; ++row) sorted.emplace_back(this->grid.GetCellText(0, row));
    EXPECT_EQ((std::vector<std::wstring>{L"B", L"a", L"b", L"", L""}), sorted);
}

TYPED_TEST(EveryAppGrid, EmptyAreasOfTheCellsAndTheSideHeadingAreWhite) {
    this->grid.SetRowCount(2, 1);
    this->Repaint();
    const CRect below = this->CellRect(0, 1);
    const support::gui::Picture cells = support::gui::CaptureWindow(this->Cells());
    EXPECT_EQ(RGB(255, 255, 255), cells.At(below.left + 10, below.bottom + 40));
    CRect side;
    this->grid.SideHeading().GetClientRect(&side);
    ASSERT_GT(side.Width(), 4);
    const support::gui::Picture heading = support::gui::CaptureWindow(this->grid.SideHeading().GetSafeHwnd());
    EXPECT_EQ(RGB(255, 255, 255), heading.At(side.Width() / 2, below.bottom + 40));
}

TYPED_TEST(EveryAppGrid, FocusFrameIsTheDottedRectangleOnePixelInAtRightAndBottom) {
    CClientDC screen(nullptr);
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&screen, 60, 40);
    const HGDIOBJ previous = memory.SelectObject(bitmap.GetSafeHandle());
    RECT all = {0, 0, 60, 40};
    memory.FillSolidRect(&all, RGB(255, 255, 255));
    RECT rect = {10, 10, 50, 30};
    this->grid.DrawFocusFrame(&memory, &rect);
    const support::gui::Picture drawn = support::gui::CaptureDC(memory.GetSafeHdc(), all);
    memory.SelectObject(previous);

    // Dotted: about every other pixel of each side is drawn; nothing at or past the rectangle's last
    // column and row.
    const COLORREF white = RGB(255, 255, 255);
    const RECT frameRight = {48, 10, 49, 29};
    const RECT frameBottom = {10, 28, 49, 29};
    EXPECT_NEAR(19 / 2, drawn.Count(white, frameRight), 2);
    EXPECT_NEAR(39 / 2, drawn.Count(white, frameBottom), 2);
    EXPECT_EQ(11 * 40, drawn.Count(white, RECT{49, 0, 60, 40}));
    EXPECT_EQ(60 * 11, drawn.Count(white, RECT{0, 29, 60, 40}));
    EXPECT_EQ(60 * 10, drawn.Count(white, RECT{0, 0, 60, 10}));
}

TYPED_TEST(EveryAppGrid, LosingTheFocusToAnotherControlIsNotPassedOn) {
    this->grid.CellArea().SetFocus();
    ASSERT_TRUE(support::gui::PumpUntil([&] { return ::GetFocus() == this->Cells(); }, 5000));
    HWND other = ::GetDlgItem(this->dialog->GetSafeHwnd(), IDC_GRID_OTHER);
    ::SetFocus(other);
    ASSERT_TRUE(support::gui::PumpUntil([&] { return ::GetFocus() == other; }, 5000));
    EXPECT_EQ(0, this->grid.shortKillFocusCalls);
}

// The probe above sees what the grid's own handling does when no application grid replaces it.
class PlainGridProbe : public GridHost<Watched<CVGCtrl>> {};

TEST_F(PlainGridProbe, TheGridItselfPassesALostFocusOn) {
    grid.CellArea().SetFocus();
    ASSERT_TRUE(support::gui::PumpUntil([&] { return ::GetFocus() == Cells(); }, 5000));
    HWND other = ::GetDlgItem(dialog->GetSafeHwnd(), IDC_GRID_OTHER);
    ::SetFocus(other);
    EXPECT_TRUE(support::gui::PumpUntil([&] { return grid.shortKillFocusCalls > 0; }, 5000));
}

// The step rule acts on a spin cell, the fifth cell type an application registers.
template <class Grid>
class SteppingGrid : public GridHost<Grid> {
protected:
    void SetUp() override {
        GridHost<Grid>::SetUp();
        ASSERT_EQ(4, this->grid.RegisterCellType(&spin));
        this->grid.SetColumnCount(2, 0);
        this->grid.SetRowCount(3, 0);
        this->grid.ResizeColumn(1, 90);
        PutSpinNumber(5);
    }
    void PutSpinNumber(double number) {
        CVGCell cell;
        cell.PutNumber(number);
        cell.PutTypeIndex(4);
        this->grid.StoreCell(1, 1, &cell);
        this->Repaint();
    }
    double SpinNumber() {
        CVGCell cell;
        this->grid.GetStoredCell(1, 1, &cell);
        return cell.ReadNumber();
    }
    // A click on the upper or lower half of the cell's spin buttons.
    void ClickHalf(bool upper) {
        const CRect cell = this->CellRect(1, 1);
        const POINT point = {cell.right - spin.ButtonWidth() / 2, upper ? cell.top + 3 : cell.bottom - 3};
        support::gui::Click(this->Cells(), point);
    }

    CVGSpinButtonType spin;
};

using SteppingGrids = ::testing::Types<MyGrid, ChartGrid, ChartGrid1, AlarmGrid>;
TYPED_TEST_SUITE(SteppingGrid, SteppingGrids);

TYPED_TEST(SteppingGrid, UpperHalfAddsOneAndLowerHalfTakesOneAway) {
    this->ClickHalf(true);
    EXPECT_EQ(6.0, this->SpinNumber());
    this->ClickHalf(true);
    EXPECT_EQ(7.0, this->SpinNumber());
    this->ClickHalf(false);
    EXPECT_EQ(6.0, this->SpinNumber());
}

TYPED_TEST(SteppingGrid, LowerHalfLeavesZeroAlone) {
    this->PutSpinNumber(0);
    this->ClickHalf(false);
    EXPECT_EQ(0.0, this->SpinNumber());
    this->ClickHalf(true);
    EXPECT_EQ(1.0, this->SpinNumber());
}

// The series grids of the chart window: 14 rows, a check box, a colour, the series name.
template <class Grid>
class SeriesGrid : public GridHost<Grid> {
protected:
    void SetUp() override {
        ChartGrid::seriesMarks = ChartGrid::UnmarkedSeries();
        ChartGrid1::seriesMarks = ChartGrid::UnmarkedSeries();
        GridHost<Grid>::SetUp();
        this->grid.SetColumnCount(3, 0);
        this->grid.SetRowCount(14, 0);
        for (int row = 0; row < 14; ++row) this->grid.SetCellText(2, row, (L"Series " + std::to_wstring(row)).c_str());
        this->Repaint();
    }
};

using SeriesGrids = ::testing::Types<ChartGrid, ChartGrid1>;
TYPED_TEST_SUITE(SeriesGrid, SeriesGrids);

TYPED_TEST(SeriesGrid, ClickingRowFiveMarksItAloneInItsOwnTable) {
    support::gui::Click(this->Cells(), this->CellPoint(2, 5, 10, 5));
    const ChartGrid::SeriesMarks expected = {1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(expected, TypeParam::seriesMarks);
    const ChartGrid::SeriesMarks& other =
        &TypeParam::seriesMarks == &ChartGrid::seriesMarks ? ChartGrid1::seriesMarks : ChartGrid::seriesMarks;
    EXPECT_EQ(ChartGrid::UnmarkedSeries(), other) << "each series grid has its own table";

    support::gui::Click(this->Cells(), this->CellPoint(1, 13, 5, 5));
    const ChartGrid::SeriesMarks last = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3};
    EXPECT_EQ(last, TypeParam::seriesMarks);
}

TYPED_TEST(SeriesGrid, ARowBelowTheFourteenSeriesMarksNone) {
    this->grid.SetRowCount(16, 0);
    this->Repaint();
    support::gui::Click(this->Cells(), this->CellPoint(2, 5, 10, 5));
    this->grid.SetFirstVisibleRow(4);
    this->Repaint();
    support::gui::Click(this->Cells(), this->CellPoint(2, 15, 10, 5));
    ASSERT_EQ(15, this->grid.QueryCurrentRow()) << "the click reached row 15";
    EXPECT_EQ(ChartGrid::UnmarkedSeries(), TypeParam::seriesMarks);
}

// A double click in column 2 edits the cell in the series and alarm grids, and nowhere else.
template <class Grid>
class EditingGrid : public GridHost<Grid> {
protected:
    void SetUp() override {
        GridHost<Grid>::SetUp();
        this->grid.SetColumnCount(3, 0);
        this->grid.SetRowCount(4, 0);
        for (int column = 0; column < 3; ++column) this->grid.SetCellText(column, 1, L"text");
        this->Repaint();
    }
    bool EditsOnDoubleClick(int column) {
        support::gui::DoubleClick(this->Cells(), this->CellPoint(column, 1, 10, 5));
        const bool editing = this->grid.IsEditing() != 0;
        editedColumn = this->grid.QueryEditColumn();
        if (editing) support::gui::PressKey(nullptr, VK_ESCAPE);
        return editing;
    }

    int editedColumn = -1;
};

using EditingGrids = ::testing::Types<ChartGrid, ChartGrid1, AlarmGrid>;
TYPED_TEST_SUITE(EditingGrid, EditingGrids);

TYPED_TEST(EditingGrid, DoubleClickEditsColumnTwoOnly) {
    EXPECT_FALSE(this->EditsOnDoubleClick(1));
    EXPECT_TRUE(this->EditsOnDoubleClick(2));
    EXPECT_EQ(2, this->editedColumn);
    EXPECT_FALSE(this->EditsOnDoubleClick(0));
}

class GeneralGrid : public EditingGrid<MyGrid> {};

TEST_F(GeneralGrid, DoubleClickEditsNoColumn) {
    EXPECT_FALSE(EditsOnDoubleClick(2));
    EXPECT_FALSE(EditsOnDoubleClick(1));
}

}  // namespace
