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
