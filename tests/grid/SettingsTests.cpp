#include "CellRedrawList.h"
#include "VGGridInfo.h"
#include "VGMem.h"
#include "VGMultiSelect.h"
#include "VGPtrList.h"

#include <gtest/gtest.h>

namespace {

TEST(Settings, NewSheetHasNoCellsAndOneHeadingRowAndColumn)
{
    CVGGridInfo info;
    EXPECT_EQ(0, info.m_columnCount);
    EXPECT_EQ(0, info.m_rowCount);
    EXPECT_EQ(-1, info.m_currentColumn);
    EXPECT_EQ(-1, info.m_currentRow);
    EXPECT_EQ(std::vector<int>{20}, info.m_topHeadingRowHeights);
    EXPECT_EQ(std::vector<int>{25}, info.m_sideHeadingColumnWidths);
    EXPECT_EQ(20, info.m_topHeadingHeight);
    EXPECT_EQ(40, info.m_sideHeadingWidth);
    EXPECT_EQ(75, info.m_defaultColumnWidth);
    EXPECT_EQ(20, info.m_defaultRowHeight);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), info.m_vScrollWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), info.m_hScrollHeight);
}

TEST(Settings, OptionsStartAtTheirDefaults)
{
    CVGGridInfo info;
    const struct {
        const char* name;
        int value;
        int expected;
    } options[] = {
        {"painting", info.m_painting, 0},
        {"multiple selection", info.m_multipleSelection, 0},
        {"current-cell highlight", info.m_currentCellHighlight, 1},
        {"3-D border width", info.m_threeDBorderWidth, 1},
        {"full-width focus", info.m_fullWidthFocus, 1},
        {"cancel edit on focus leave", info.m_cancelEditOnFocusLeave, 0},
        {"vertical scroll mode", info.m_vScrollMode, 0},
        {"horizontal scroll mode", info.m_hScrollMode, 0},
        {"user column resize", info.m_userColumnResize, 1},
        {"double click fits", info.m_doubleClickFitsColumn, 1},
        {"joined cells", info.m_joinedCells, 1},
        {"column dragging", info.m_columnDragging, 0},
        {"overflow text", info.m_overflowText, 1},
        {"grid lines", info.m_drawGridLines, 1},
        {"scroll to partial last row", info.m_scrollToPartialLastRow, 1},
        {"drag step delay", info.m_dragStepDelay, 200},
        {"cell margin", info.m_cellMargin, 4},
        {"tab strip width", info.m_tabStripWidth, 0},
        {"popup menu", info.m_popupMenu, 0},
        {"cell tooltips", info.m_cellTooltips, 0},
        {"highlight current row", info.m_highlightCurrentRow, 0},
        {"vertical scroll tip", info.m_vScrollTip, 0},
        {"horizontal scroll tip", info.m_hScrollTip, 0},
        {"drag acceleration exponent", info.m_dragAccelerationExponent, 0},
        {"key acceleration divisor", info.m_keyAccelerationDivisor, 0},
        {"key delay", info.m_keyDelay, 0},
        {"tracking window follows", info.m_trackingWindowFollows, 0},
        {"first heading line width", info.m_headingLineWidths[0], 1},
        {"second heading line width", info.m_headingLineWidths[1], 1},
        {"section option", info.m_sectionOption, 0},
        {"closing option", info.m_closingOption, 1},
        {"frozen columns", info.m_frozenColumnCount, 0},
        {"frozen rows", info.m_frozenRowCount, 0},
        {"frozen columns width", info.m_frozenColumnsWidth, 0},
        {"frozen rows height", info.m_frozenRowsHeight, 0},
        {"move kind", info.m_moveKind, 0},
        {"move key flags", info.m_moveKeyFlags, 0},
        {"uniform heights", info.m_uniformHeights, 0},
        {"previous column", info.m_previousColumn, -1},
        {"previous row", info.m_previousRow, -1},
        {"target column", info.m_targetColumn, -1},
        {"target row", info.m_targetRow, -1},
        {"left column", info.m_leftColumn, 0},
        {"top row", info.m_topRow, 0},
    };
    for (const auto& option : options)
        EXPECT_EQ(option.expected, option.value) << option.name;
}

TEST(Settings, HeadingDefaultCellIsACentredButtonFace)
{
    CVGGridInfo info;
    CVGCell& heading = info.m_headingDefaultCell;
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), heading.ReadBackColor());
    EXPECT_EQ(0x2000, heading.ReadBorderStyle());
    EXPECT_EQ(0x24, heading.ReadAlignment());
    EXPECT_EQ(128, heading.ReadThemeElement());
    EXPECT_EQ(nullptr, heading.ReadText());
}

TEST(Settings, OwnsItsMemorySourceSelectionPointerListAndPen)
{
    CVGGridInfo info;
    EXPECT_EQ(info.m_memSource.get(), info.m_pDataSource);
    ASSERT_NE(nullptr, info.m_selection);
    EXPECT_EQ(0, info.m_selection->QueryBlockCount());
    ASSERT_NE(nullptr, info.m_ptrList);
    EXPECT_EQ(0, info.m_ptrList->Count());
    EXPECT_NE(nullptr, info.m_gridPen);
    EXPECT_NE(nullptr, info.m_arrowCursor);
}

TEST(RedrawList, EmptyListHoldsNoCell)
{
    CellRedrawList list;
    EXPECT_EQ(0, list.InRanges(0, 0));
}

TEST(RedrawList, RangeBoundsAreInclusive)
{
    CellRedrawList list;
    list.AddRange(2, 3, 4, 5);
    EXPECT_EQ(1, list.InRanges(4, 5));
    EXPECT_EQ(1, list.InRanges(2, 3));
    EXPECT_EQ(0, list.InRanges(5, 5));
    EXPECT_EQ(0, list.InRanges(3, 2));
}

TEST(RedrawList, CellsBetweenRangesAreNotListed)
{
    CellRedrawList list;
    list.AddCell(0, 0);
    list.AddRange(-2, 10, -1, 12);
    EXPECT_EQ(1, list.InRanges(-2, 11));
    EXPECT_EQ(0, list.InRanges(0, 5));
}

TEST(RedrawList, ExtendingAnEmptyListAddsTheRange)
{
    CellRedrawList list;
    list.ExtendFirstRange(1, 1, 2, 2);
    EXPECT_EQ(1, list.RangeCount());
    EXPECT_EQ(1, list.InRanges(2, 2));
}

TEST(RedrawList, ExtendingTheFirstRangeWidensTheBoundingBoxToo)
{
    CellRedrawList list;
    list.AddRange(0, 0, 1, 1);
    list.ExtendFirstRange(0, 0, 3, 8);
    EXPECT_EQ(1, list.RangeCount());
    EXPECT_EQ(1, list.InRanges(3, 8));
}

TEST(RedrawList, DrawnCellsAreRememberedUntilCleared)
{
    CellRedrawList list;
    list.AddRange(0, 0, 9, 9);
    list.AddDrawnCell(2, 3);
    EXPECT_EQ(1, list.WasDrawn(2, 3));
    EXPECT_EQ(0, list.WasDrawn(3, 2));
    list.Clear();
    EXPECT_EQ(0, list.WasDrawn(2, 3));
    EXPECT_EQ(0, list.InRanges(5, 5));
    list.AddCell(7, 7);
    EXPECT_EQ(0, list.InRanges(5, 5));
    EXPECT_EQ(1, list.InRanges(7, 7));
}

}  // namespace
