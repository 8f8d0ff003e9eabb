#include "VGGridInfo.h"
#include "VGLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using namespace VGLayout;

// A sheet with the given column widths and row heights and a cell area of the given size.
void Shape(CVGGridInfo& info, const std::vector<int>& widths, const std::vector<int>& heights, int areaWidth,
           int areaHeight)
{
    SetColumnRecordCount(info, static_cast<int>(widths.size()));
    SetRowRecordCount(info, static_cast<int>(heights.size()));
    for (size_t column = 0; column < widths.size(); ++column)
        StoreColumnWidth(info, static_cast<int>(column), widths[column]);
    for (size_t row = 0; row < heights.size(); ++row)
        StoreRowHeight(info, static_cast<int>(row), heights[row]);
    info.m_cellAreaWidth = areaWidth;
    info.m_cellAreaHeight = areaHeight;
    UpdateFrozenSizes(info);
    UpdateLargestLeftColumn(info);
    UpdateLargestTopRow(info);
}

CRect Span(const CVGGridInfo& info, int column, int row)
{
    CRect rect;
    CellSpanRect(info, column, row, column, row, &rect);
    return rect;
}

TEST(Layout, EverythingFittingLeavesNoScrollBars)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(3, 75), std::vector<int>(5, 20), 0, 0);
    LayOutSections(info, 400, 300);
    EXPECT_EQ(CRect(40, 20, 400, 300), info.m_cellAreaRect);
    EXPECT_TRUE(info.m_vScrollRect.IsRectEmpty());
    EXPECT_EQ(0, info.m_hScrollRect.Height());
    EXPECT_EQ(CRect(0, 0, 40, 20), info.m_cornerRect);
    EXPECT_EQ(360, info.m_cellAreaWidth);
    EXPECT_EQ(280, info.m_cellAreaHeight);
}

TEST(Layout, RowsThatDoNotFitTakeTheVerticalBar)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(3, 75), std::vector<int>(100, 20), 0, 0);
    LayOutSections(info, 400, 300);
    const int bar = info.m_vScrollWidth;
    EXPECT_EQ(CRect(40, 20, 400 - bar, 300), info.m_cellAreaRect);
    EXPECT_EQ(CRect(400 - bar, 0, 400, 300), info.m_vScrollRect);
    EXPECT_EQ(CRect(40, 0, 400 - bar, 20), info.m_topHeadingRect);
}

TEST(Layout, ColumnsThatDoNotFitTakeTheHorizontalBar)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(10, 75), std::vector<int>(5, 20), 0, 0);
    LayOutSections(info, 400, 300);
    const int bar = info.m_hScrollHeight;
    EXPECT_EQ(CRect(40, 20, 400, 300 - bar), info.m_cellAreaRect);
    EXPECT_EQ(CRect(0, 300 - bar, 400, 300), info.m_hScrollRect);
    EXPECT_EQ(CRect(0, 20, 40, 300 - bar), info.m_sideHeadingRect);
}

TEST(Layout, SheetTabsTakeTheWholeBottomEdgeWhenNothingScrollsSideways)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(3, 75), std::vector<int>(5, 20), 0, 0);
    info.m_tabStripWidth = 100;
    LayOutSections(info, 400, 300);
    const int bar = info.m_hScrollHeight;
    EXPECT_EQ(CRect(0, 300 - bar, 406, 300), info.m_tabStripRect);
    EXPECT_EQ(300 - bar, info.m_cellAreaRect.bottom);
    EXPECT_EQ(100, info.m_tabStripWidth);
}

TEST(Layout, ColumnCountOutsideItsRangeChangesNothing)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(4, 75), std::vector<int>(4, 20), 300, 200);
    EXPECT_EQ(1, SetColumnRecordCount(info, 32001));
    EXPECT_EQ(1, SetColumnRecordCount(info, -1));
    EXPECT_EQ(1, SetRowRecordCount(info, -1));
    EXPECT_EQ(4, info.m_columnCount);
    EXPECT_EQ(4, info.m_rowCount);
    info.m_currentColumn = 2;
    EXPECT_EQ(0, SetColumnRecordCount(info, 0));
    EXPECT_EQ(-1, info.m_currentColumn);
    EXPECT_TRUE(info.m_columns.empty());
}

TEST(Layout, NewColumnsCopyTheGridDefaultCellAndCarryTheirIndexAsId)
{
    CVGGridInfo info;
    info.m_gridDefaultCell.PutBackColor(RGB(255, 0, 0));
    info.m_defaultColumnWidth = 60;
    SetColumnRecordCount(info, 3);
    EXPECT_EQ(RGB(255, 0, 0), info.m_columns[2].defaultCell->ReadBackColor());
    EXPECT_EQ(2, info.m_columns[2].id);
    EXPECT_EQ(60, ColumnWidth(info, 2));
    EXPECT_EQ(info.m_pDataSource, info.m_columns[0].dataSource);
}

TEST(Layout, ShrinkingCutsFrozenCountsAndTheCurrentCell)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(10, 50), std::vector<int>(10, 20), 300, 200);
    SetFrozenColumnCount(info, 5);
    SetFrozenRowCount(info, 5);
    info.m_currentColumn = info.m_targetColumn = 7;
    info.m_currentRow = info.m_targetRow = 8;
    SetColumnRecordCount(info, 3);
    SetRowRecordCount(info, 4);
    EXPECT_EQ(2, info.m_frozenColumnCount);
    EXPECT_EQ(100, info.m_frozenColumnsWidth);
    EXPECT_EQ(2, info.m_currentColumn);
    EXPECT_EQ(2, info.m_targetColumn);
    EXPECT_EQ(3, info.m_frozenRowCount);
    EXPECT_EQ(3, info.m_currentRow);
    EXPECT_EQ(3, info.m_previousRow);
    EXPECT_EQ(3, info.m_targetRow);
}

TEST(Layout, MoreThan64000RowsUseOneHeightForAll)
{
    CVGGridInfo info;
    SetRowRecordCount(info, 70000);
    EXPECT_EQ(1, info.m_uniformHeights);
    EXPECT_TRUE(info.m_rowHeights.empty());
    EXPECT_EQ(0, StoreRowHeight(info, 5, 30));
    EXPECT_EQ(30, RowHeight(info, 0));
    EXPECT_EQ(30, RowHeight(info, 69999));
    EXPECT_EQ(0, RowHeight(info, 70000));
    SetRowRecordCount(info, 100);
    EXPECT_EQ(1, info.m_uniformHeights);
    SetUniformHeights(info, 0);
    EXPECT_EQ(std::vector<int>(100, 30), info.m_rowHeights);
}

TEST(Layout, ArithmeticReachesTheEndOfAVeryLongSheet)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(3, 75), {}, 400, 300);
    SetRowRecordCount(info, 70000);
    UpdateLargestTopRow(info);
    EXPECT_EQ(69985, info.m_largestTopRow);
    EXPECT_EQ(69985, TopRowShowing(info, 69999));
    EXPECT_EQ(15, PageRowTarget(info, 0, 1));
    info.m_topRow = 69985;
    int column = -1;
    int row = -1;
    ASSERT_EQ(0, HitTestCell(info, 10, 299, &column, &row, nullptr));
    EXPECT_EQ(69999, row);
    EXPECT_EQ(CRect(0, 280, 75, 300), Span(info, 0, 69999));
    EXPECT_EQ(CRect(0, 0, 75, 0), Span(info, 0, 5));
}

// All rows share one height and it is 0: every row is hidden, and whatever divides by the shared
// height leaves the view where it was.
TEST(Layout, ZeroSharedRowHeightHidesEveryRowAndMovesNothing)
{
    for (const int rows : {10, 70000}) {
        SCOPED_TRACE(rows);
        CVGGridInfo info;
        Shape(info, std::vector<int>(3, 75), {}, 400, 300);
        SetRowRecordCount(info, rows);
        SetUniformHeights(info, 1);
        ASSERT_EQ(0, StoreRowHeight(info, 4, 0));
        ASSERT_EQ(0, info.m_defaultRowHeight);
        ASSERT_EQ(0, SetFrozenRowCount(info, 2));
        EXPECT_EQ(0, info.m_frozenRowsHeight);
        EXPECT_EQ(0, RowHeight(info, rows - 1));

        UpdateLargestTopRow(info);
        EXPECT_EQ(2, info.m_largestTopRow);
        info.m_topRow = 5;
        EXPECT_EQ(5, TopRowShowing(info, rows - 1));
        EXPECT_EQ(5, TopRowShowing(info, 6));

        int column = -1;
        int row = -1;
        EXPECT_EQ(1, HitTestCell(info, 10, 0, &column, &row, nullptr));
        EXPECT_EQ(1, HitTestCell(info, 10, 299, &column, &row, nullptr));
        EXPECT_EQ(CRect(0, 0, 75, 0), Span(info, 0, 1));
        EXPECT_EQ(CRect(0, 0, 75, 0), Span(info, 0, rows - 1));

        EXPECT_GT(PageRowTarget(info, 3, 1), 3);
        EXPECT_EQ(0, PageRowTarget(info, 8, -1));
        EXPECT_GT(PageTopRow(info, 1), 5);

        LayOutSections(info, 400, 300);
        EXPECT_TRUE(info.m_vScrollRect.IsRectEmpty());
        EXPECT_EQ(280, info.m_cellAreaHeight);
    }
}

TEST(Layout, FittingColumnsGivesTheRoundingRestToTheLast)
{
    CVGGridInfo info;
    Shape(info, {100, 100, 200}, {20}, 300, 100);
    std::vector<int> widths;
    ASSERT_EQ(0, FitColumnWidths(info, 0, 2, 300, &widths));
    EXPECT_EQ((std::vector<int>{75, 75, 150}), widths);
    ASSERT_EQ(0, FitColumnWidths(info, 0, 1, 301, &widths));
    EXPECT_EQ((std::vector<int>{150, 151}), widths);
    EXPECT_EQ(1, FitColumnWidths(info, -1, 2, 300, &widths));
    EXPECT_EQ(1, FitColumnWidths(info, 2, 1, 300, &widths));
    EXPECT_EQ(1, FitColumnWidths(info, 0, 3, 300, &widths));
    StoreColumnWidth(info, 0, 0);
    StoreColumnWidth(info, 1, 0);
    EXPECT_EQ(1, FitColumnWidths(info, 0, 1, 300, &widths));  // nothing to scale
}

TEST(Layout, HeadingSizesScaleInProportion)
{
    CVGGridInfo info;
    info.m_sideHeadingColumnWidths = {25, 15};
    EXPECT_EQ(0, SetSideHeadingWidth(info, 80));
    EXPECT_EQ((std::vector<int>{50, 30}), info.m_sideHeadingColumnWidths);
    EXPECT_EQ(80, info.m_sideHeadingWidth);
    EXPECT_EQ(1, SetSideHeadingWidth(info, 1025));
    info.m_topHeadingRowHeights = {0, 0};
    EXPECT_EQ(1, SetTopHeadingHeight(info, 50));
    EXPECT_EQ((std::vector<int>{0, 0}), info.m_topHeadingRowHeights);
    EXPECT_EQ(20, info.m_topHeadingHeight);
}

TEST(Layout, HeadingColumnWidthsCheckBothEnds)
{
    CVGGridInfo info;
    EXPECT_EQ(1, SetSideHeadingColumnWidth(info, 0, 30));
    EXPECT_EQ(1, SetSideHeadingColumnWidth(info, -2, 30));
    EXPECT_EQ(2, SetSideHeadingColumnWidth(info, -1, 1025));
    EXPECT_EQ(2, SetTopHeadingRowHeight(info, -1, -1));
    EXPECT_EQ(0, SetSideHeadingColumnWidth(info, -1, 30));
    EXPECT_EQ(30, info.m_sideHeadingWidth);
    EXPECT_EQ(1, StoreColumnWidth(info, -2, 10));
    int width = 0;
    EXPECT_EQ(0, ColumnWidthEx(info, -1, &width));
    EXPECT_EQ(30, width);
    EXPECT_EQ(1, ColumnWidthEx(info, -2, &width));
}

TEST(Layout, OutermostHeadingPartTakesWhatTheOthersLeave)
{
    CVGGridInfo info;
    FitSideHeadingColumns(info);
    EXPECT_EQ(std::vector<int>{40}, info.m_sideHeadingColumnWidths);
    info.m_topHeadingRowHeights = {30, 5};
    FitTopHeadingRows(info);
    EXPECT_EQ((std::vector<int>{30, 0}), info.m_topHeadingRowHeights);
}

TEST(Layout, HiddenColumnsAreNeverHit)
{
    CVGGridInfo info;
    Shape(info, {50, 0, 50, 0, 0, 50}, {20, 0, 20}, 400, 100);
    int column = -1;
    int row = -1;
    ASSERT_EQ(0, HitTestCell(info, 49, 19, &column, &row, nullptr));
    EXPECT_EQ(0, column);
    ASSERT_EQ(0, HitTestCell(info, 50, 20, &column, &row, nullptr));
    EXPECT_EQ(2, column);
    EXPECT_EQ(2, row);
    EXPECT_EQ(0, Span(info, 1, 0).Width());
    EXPECT_EQ(1, HitTestCell(info, 150, 0, &column, &row, nullptr));
    EXPECT_EQ(1, HitTestCell(info, -1, 0, &column, &row, nullptr));
    EXPECT_EQ(1, HitTestCell(info, 10, 40, &column, &row, nullptr));
}

TEST(Layout, ScrolledAwayColumnsSitAtTheFrozenEdge)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(20, 30), std::vector<int>(5, 20), 200, 100);
    SetFrozenColumnCount(info, 2);
    info.m_leftColumn = 5;
    EXPECT_EQ(CRect(30, 0, 60, 20), Span(info, 1, 0));
    EXPECT_EQ(CRect(60, 0, 60, 20), Span(info, 3, 0));
    EXPECT_EQ(CRect(60, 0, 90, 20), Span(info, 5, 0));
    CRect range;
    RangeRect(info, 3, 0, 19, 1, &range);
    EXPECT_EQ(CRect(-10, 0, 210, 40), range);
}

TEST(Layout, HeadingCellsStackFromTheOutside)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(3, 50), std::vector<int>(3, 20), 300, 100);
    info.m_topHeadingRowHeights = {20, 15};
    info.m_sideHeadingColumnWidths = {25, 10};
    CRect rect;
    ASSERT_EQ(0, TopHeadingCellRect(info, 1, -2, &rect));
    EXPECT_EQ(CRect(50, 0, 100, 15), rect);
    ASSERT_EQ(0, TopHeadingCellRect(info, 1, -1, &rect));
    EXPECT_EQ(CRect(50, 15, 100, 35), rect);
    ASSERT_EQ(0, SideHeadingCellRect(info, -1, 2, &rect));
    EXPECT_EQ(CRect(10, 40, 35, 60), rect);
    EXPECT_EQ(1, TopHeadingCellRect(info, 1, -3, &rect));
    EXPECT_EQ(1, SideHeadingCellRect(info, 0, 2, &rect));

    int column = 0;
    int row = 0;
    ASSERT_EQ(0, HitTestTopHeading(info, 60, 14, &column, &row, &rect));
    EXPECT_EQ(1, column);
    EXPECT_EQ(-2, row);
    ASSERT_EQ(0, HitTestTopHeading(info, 60, 15, &column, &row, nullptr));
    EXPECT_EQ(-1, row);
    EXPECT_EQ(1, HitTestTopHeading(info, 60, 35, &column, &row, nullptr));
    EXPECT_EQ(-1, column);
    ASSERT_EQ(0, HitTestSideHeading(info, 9, 45, &column, &row, nullptr));
    EXPECT_EQ(-2, column);
    EXPECT_EQ(2, row);
}

TEST(Layout, PageStepsMoveByWhatFits)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(10, 75), std::vector<int>(7, 20), 300, 100);
    EXPECT_EQ(4, PageColumnTarget(info, 0, 1));
    EXPECT_EQ(9, PageColumnTarget(info, 8, 1));
    EXPECT_EQ(4, PageColumnTarget(info, 8, -1));
    EXPECT_EQ(0, PageColumnTarget(info, 2, -1));
    EXPECT_EQ(5, PageRowTarget(info, 0, 1));
    EXPECT_EQ(10, PageRowTarget(info, 5, 1));  // past the end rows count with the default height
    EXPECT_EQ(0, PageRowTarget(info, 3, -1));
}

TEST(Layout, PageStepsAlwaysMoveAndSkipHiddenColumns)
{
    CVGGridInfo info;
    Shape(info, {500, 0, 75, 75}, {400, 0, 0, 20}, 300, 100);
    EXPECT_EQ(2, PageColumnTarget(info, 0, 1));
    EXPECT_EQ(3, PageRowTarget(info, 0, 1));
    info.m_defaultRowHeight = 0;
    EXPECT_EQ(4, PageRowTarget(info, 3, 1));
}

TEST(Layout, TopRowStepsSkipHiddenRowsAndStopAtTheLast)
{
    CVGGridInfo info;
    Shape(info, {50}, {20, 20, 0, 0, 20, 20}, 100, 40);
    info.m_topRow = 1;
    EXPECT_EQ(4, StepTopRow(info, 1));
    info.m_topRow = 4;
    EXPECT_EQ(1, StepTopRow(info, -1));
    info.m_topRow = 5;
    EXPECT_EQ(5, StepTopRow(info, 1));
    info.m_topRow = 0;
    EXPECT_EQ(0, StepTopRow(info, -1));
}

TEST(Layout, TopRowPagesCountDefaultHeightsFromTheLargestTopRow)
{
    CVGGridInfo info;
    Shape(info, {50}, {20, 20, 20, 20, 5, 5, 5, 5, 5, 5}, 100, 40);
    EXPECT_EQ(4, info.m_largestTopRow);
    info.m_topRow = 0;
    EXPECT_EQ(2, PageTopRow(info, 1));
    info.m_topRow = 4;
    EXPECT_EQ(6, PageTopRow(info, 1));
}

TEST(Layout, FrozenCountsCheckBothEnds)
{
    CVGGridInfo info;
    Shape(info, std::vector<int>(4, 50), std::vector<int>(4, 20), 100, 40);
    EXPECT_EQ(1, SetFrozenColumnCount(info, -1));
    EXPECT_EQ(1, SetFrozenColumnCount(info, 5));
    EXPECT_EQ(1, SetFrozenRowCount(info, 5));
    EXPECT_EQ(0, SetFrozenColumnCount(info, 1));
    EXPECT_EQ(1, info.m_leftColumn);
    EXPECT_EQ(50, info.m_frozenColumnsWidth);
    EXPECT_EQ(3, info.m_largestLeftColumn);
}

TEST(Layout, MovingAColumnRecordKeepsItsWidthAndId)
{
    CVGGridInfo info;
    Shape(info, {10, 20, 30, 40}, {20}, 300, 100);
    EXPECT_EQ(0, MoveColumnRecord(info, 0, 2, 0));
    EXPECT_EQ((std::vector<int>{20, 30, 10, 40}),
              (std::vector<int>{ColumnWidth(info, 0), ColumnWidth(info, 1), ColumnWidth(info, 2), ColumnWidth(info, 3)}));
    EXPECT_EQ(0, info.m_columns[2].id);
    EXPECT_EQ(0, MoveColumnRecord(info, 3, 0, 1));
    EXPECT_EQ(40, ColumnWidth(info, 0));
    EXPECT_EQ(1, MoveColumnRecord(info, 4, 0, 1));
    EXPECT_EQ(1, MoveColumnRecord(info, 0, -1, 1));
}

// Many random sheets: hidden columns and rows, frozen parts, scrolled views, both row modes.
class RandomSheets : public testing::TestWithParam<int> {};

TEST_P(RandomSheets, HitTestsRectanglesPagesAndLimitsAgree)
{
    std::mt19937 random(GetParam());
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    CVGGridInfo info;
    std::vector<int> widths(between(1, 40));
    for (int& width : widths)
        width = between(0, 3) == 0 ? 0 : between(1, 120);
    const bool uniform = GetParam() % 4 == 0;
    std::vector<int> heights(uniform ? 0 : between(1, 60));
    for (int& height : heights)
        height = between(0, 4) == 0 ? 0 : between(1, 40);
    Shape(info, widths, heights, between(50, 900), between(50, 700));
    if (uniform) {
        SetRowRecordCount(info, between(64001, 90000));
        info.m_defaultRowHeight = between(1, 40);
    }
    SetFrozenColumnCount(info, between(0, std::min(3, info.m_columnCount)));
    SetFrozenRowCount(info, between(0, std::min(3, info.m_rowCount)));
    info.m_leftColumn = between(info.m_frozenColumnCount, info.m_largestLeftColumn);
    info.m_topRow = between(info.m_frozenRowCount, info.m_largestTopRow);
    const int lastColumn = info.m_columnCount - 1;
    const int lastRow = info.m_rowCount - 1;
    const long long columnSpace = info.m_cellAreaWidth - info.m_frozenColumnsWidth;
    const long long rowSpace = info.m_cellAreaHeight - info.m_frozenRowsHeight;
    auto widthsFrom = [&](int from, int to) {
        long long sum = 0;
        for (int column = from; column <= to; ++column)
            sum += ColumnWidth(info, column);
        return sum;
    };
    auto heightsFrom = [&](int from, int to) {
        long long sum = 0;
        for (int row = from; row <= to; ++row)
            sum += RowHeight(info, row);
        return sum;
    };

    // Every hit lies inside the rectangle of the cell it names, and that cell is shown and not hidden.
    for (int y = 0; y < info.m_cellAreaHeight; y += 7) {
        for (int x = 0; x < info.m_cellAreaWidth; x += 3) {
            int column = -1;
            int row = -1;
            CRect rect;
            if (HitTestCell(info, x, y, &column, &row, &rect) != 0)
                continue;
            ASSERT_TRUE(rect.PtInRect(CPoint(x, y))) << x << "," << y;
            ASSERT_GT(ColumnWidth(info, column), 0);
            ASSERT_GT(RowHeight(info, row), 0);
            ASSERT_TRUE(column < info.m_frozenColumnCount || column >= info.m_leftColumn);
            ASSERT_TRUE(row < info.m_frozenRowCount || row >= info.m_topRow);
        }
    }

    // The largest left column shows the last column, and one column further left would not fit.
    const int largestLeft = info.m_largestLeftColumn;
    EXPECT_TRUE(widthsFrom(largestLeft, lastColumn) <= columnSpace || largestLeft == lastColumn);
    if (largestLeft > info.m_frozenColumnCount) {
        EXPECT_GT(widthsFrom(largestLeft - 1, lastColumn), columnSpace);
    }
    const int largestTop = info.m_largestTopRow;
    EXPECT_TRUE(heightsFrom(largestTop, lastRow) <= rowSpace || largestTop == lastRow);
    if (largestTop > info.m_frozenRowCount) {
        EXPECT_GT(heightsFrom(largestTop - 1, lastRow), rowSpace);
    }

    // Showing a column keeps the view where it can and never leaves the column cut off needlessly.
    for (int target = info.m_frozenColumnCount; target <= lastColumn; ++target) {
        const int left = LeftColumnShowing(info, target);
        ASSERT_LE(left, target);
        if (target >= info.m_leftColumn) {
            ASSERT_GE(left, info.m_leftColumn);
        }
        ASSERT_TRUE(widthsFrom(left, target) <= columnSpace || left == target) << "column " << target;
    }
    const int rowTarget = between(info.m_frozenRowCount, lastRow);
    const int top = TopRowShowing(info, rowTarget);
    EXPECT_LE(top, rowTarget);
    EXPECT_TRUE(heightsFrom(top, rowTarget) <= rowSpace || top == rowTarget);

    // A page lands on the first shown column that no longer fits after the ones passed over.
    for (int from = 0; from <= lastColumn; ++from) {
        const int page = PageColumnTarget(info, from, 1);
        ASSERT_GT(page, std::min(from, lastColumn - 1));
        if (page < lastColumn) {
            ASSERT_GT(ColumnWidth(info, page), 0);
            ASSERT_GT(widthsFrom(from, page), columnSpace);
            ASSERT_TRUE(widthsFrom(from, page - 1) <= columnSpace || widthsFrom(from + 1, page - 1) == 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layout, RandomSheets, testing::Range(1, 201));

}  // namespace
