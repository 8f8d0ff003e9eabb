#include "GridTestHost.h"
#include "VGMultiSelect.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class Selection : public testing::Test {
protected:
    Selection() { selection.SetOwner(&host, &host.info); }

    std::vector<std::pair<int, int>> SelectedCells()
    {
        std::vector<std::pair<int, int>> cells;
        int column = 0;
        int row = 0;
        for (int result = selection.FirstSelectedCell(&column, &row); result == 0;
             result = selection.NextSelectedCell(&column, &row))
            cells.emplace_back(column, row);
        return cells;
    }

    GridTestHost host{10, 10};
    CVGMultiSelect& selection = *host.info.m_selection;
};

TEST_F(Selection, StretchingBackListsOnlyTheChangedColumnStrip)
{
    selection.ApplyPointerMove(2, 2, 0);
    selection.StretchBlockTo(4, 5);
    host.redraw.Clear();
    selection.StretchBlockTo(3, 5);
    EXPECT_EQ(1, host.redraw.RangeCount());
    EXPECT_EQ(1, host.redraw.InRanges(3, 2));
    EXPECT_EQ(1, host.redraw.InRanges(4, 5));
    EXPECT_EQ(0, host.redraw.InRanges(2, 2));
    EXPECT_EQ(0, host.redraw.InRanges(5, 5));
}

TEST_F(Selection, BlockReportsComeInTheGridsArgumentOrder)
{
    selection.ApplyPointerMove(2, 3, 0);
    selection.StretchBlockTo(5, 7);
    ASSERT_EQ(2u, host.blocks.size());
    EXPECT_EQ((std::array<int, 5>{2, 3, 2, 3, 1}), host.blocks[0]);
    EXPECT_EQ((std::array<int, 5>{5, 3, 2, 7, 1}), host.blocks[1]);
}

TEST_F(Selection, CtrlTogglingACellTwiceRestoresItWithoutASecondBlock)
{
    selection.InvertCellState(4, 4);
    EXPECT_EQ(1, selection.CellSelectionState(4, 4, nullptr));
    selection.InvertCellState(4, 4);
    EXPECT_EQ(0, selection.CellSelectionState(4, 4, nullptr));
    EXPECT_EQ(1, selection.QueryBlockCount());
}

TEST_F(Selection, CtrlClickInsideABlockPunchesOutOneCell)
{
    selection.ApplyPointerMove(1, 1, 0);
    selection.ApplyPointerMove(3, 3, MK_SHIFT);
    selection.InvertCellState(2, 2);
    EXPECT_EQ(0, selection.CellSelectionState(2, 2, nullptr));
    EXPECT_EQ(1, selection.CellSelectionState(3, 2, nullptr));
    EXPECT_EQ(2, selection.QueryBlockCount());
}

TEST_F(Selection, WholeRowBlocksSpanEveryColumn)
{
    selection.ChangeSelectionMode(VGSEL_WHOLEROWS);
    selection.ApplyPointerMove(7, 3, 0);
    int startColumn = -1, startRow = -1, endColumn = -1, endRow = -1;
    ASSERT_EQ(0, selection.QueryActiveBlock(&startColumn, &startRow, &endColumn, &endRow));
    EXPECT_EQ(0, startColumn);
    EXPECT_EQ(10, endColumn);
    EXPECT_EQ(3, startRow);
    EXPECT_EQ(3, endRow);
    EXPECT_EQ(1, selection.ColumnSelectionState(9));
    EXPECT_EQ(1, selection.RowSelectionState(3));
    EXPECT_EQ(0, selection.RowSelectionState(4));
}

struct DecidingCase {
    const char* name;
    int mode;
    int state;
    int block;
};

class OverlappingBlocks : public Selection, public testing::WithParamInterface<DecidingCase> {};

TEST_P(OverlappingBlocks, AreDecidedByTheMode)
{
    selection.ChangeSelectionMode(GetParam().mode);
    selection.BeginBlockAt(0, 0);
    selection.StretchBlockTo(4, 4);
    selection.BeginBlockAt(2, 2);
    selection.StretchBlockTo(6, 6);
    int block = -1;
    EXPECT_EQ(GetParam().state, selection.CellSelectionState(2, 2, &block) != 0 ? 1 : 0);
    EXPECT_EQ(GetParam().block, block);
}

INSTANTIATE_TEST_SUITE_P(Selection, OverlappingBlocks,
                         testing::Values(DecidingCase{"LaterBlockDecides", 0, 1, 1},
                                         DecidingCase{"EarlierBlockDecides", VGSEL_FIRSTDECIDES, 1, 0}),
                         CaseName());

TEST_F(Selection, DeselectingBlockWinsOnlyWhenItDecides)
{
    selection.BeginBlockAt(0, 0);
    selection.StretchBlockTo(4, 4);
    selection.InvertCellState(1, 1);
    EXPECT_EQ(0, selection.CellSelectionState(1, 1, nullptr));
    selection.ChangeSelectionMode(VGSEL_FIRSTDECIDES);
    selection.BeginBlockAt(0, 0);
    selection.StretchBlockTo(4, 4);
    selection.InvertCellState(1, 1);
    EXPECT_EQ(1, selection.CellSelectionState(1, 1, nullptr));
}

TEST_F(Selection, FirstSelectedCellWithoutASelectionIsTheCurrentCell)
{
    host.info.m_currentColumn = 3;
    host.info.m_currentRow = 4;
    int column = -1;
    int row = -1;
    EXPECT_EQ(0, selection.FirstSelectedCell(&column, &row));
    EXPECT_EQ(3, column);
    EXPECT_EQ(4, row);
    EXPECT_EQ(1, selection.NextSelectedCell(&column, &row));
}

TEST_F(Selection, CellsAreEnumeratedRowByRowAcrossBlocks)
{
    host.info.m_currentColumn = 1;
    host.info.m_currentRow = 1;
    selection.ApplyPointerMove(1, 1, 0);
    selection.ApplyPointerMove(2, 2, MK_SHIFT);
    selection.ApplyPointerMove(5, 5, MK_CONTROL);
    const std::vector<std::pair<int, int>> expected{{1, 1}, {2, 1}, {1, 2}, {2, 2}, {5, 5}};
    EXPECT_EQ(expected, SelectedCells());
}

TEST_F(Selection, WholeRowEnumerationGivesOneCellPerRow)
{
    selection.ChangeSelectionMode(VGSEL_WHOLEROWS);
    host.info.m_currentColumn = 3;
    host.info.m_currentRow = 2;
    selection.ApplyPointerMove(3, 2, 0);
    selection.ApplyPointerMove(3, 4, MK_SHIFT);
    const std::vector<std::pair<int, int>> expected{{0, 2}, {0, 3}, {0, 4}};
    EXPECT_EQ(expected, SelectedCells());
}

TEST_F(Selection, KeyMovesFollowShiftAndCtrl)
{
    selection.ApplyKeyMove(1, 1);
    host.shiftHeld = true;
    selection.ApplyKeyMove(3, 2);
    EXPECT_EQ(1, selection.QueryBlockCount());
    EXPECT_EQ(1, selection.CellSelectionState(3, 2, nullptr));

    host.shiftHeld = false;
    host.controlHeld = true;
    selection.ApplyKeyMove(8, 8);
    EXPECT_EQ(2, selection.QueryBlockCount());

    host.controlHeld = false;
    host.redraw.Clear();
    selection.ApplyKeyMove(8, 8);
    EXPECT_EQ(2, selection.QueryBlockCount());
    selection.ApplyKeyMove(0, 0);
    EXPECT_EQ(1, selection.QueryBlockCount());
    EXPECT_EQ(1, host.redraw.InRanges(8, 8));
    EXPECT_EQ(1, host.redraw.InRanges(1, 1));
}

TEST_F(Selection, SelectingASelectedCellKeepsTheSelection)
{
    selection.ApplyPointerMove(1, 1, 0);
    selection.ApplyPointerMove(3, 3, MK_SHIFT);
    EXPECT_NE(0, selection.SelectSingleCell(2, 2));
    EXPECT_EQ(1, selection.QueryBlockCount());
    EXPECT_EQ(0, selection.SelectSingleCell(6, 6));
    EXPECT_EQ(0, selection.CellSelectionState(2, 2, nullptr));
}

TEST_F(Selection, BlocksAreEnumeratedInCreationOrder)
{
    selection.BeginBlockAt(4, 4);
    selection.BeginBlockAt(1, 2);
    selection.StretchBlockTo(0, 5);
    int startColumn = 0, startRow = 0, endColumn = 0, endRow = 0;
    ASSERT_EQ(0, selection.FirstBlock(&startColumn, &startRow, &endColumn, &endRow));
    EXPECT_EQ(4, startColumn);
    ASSERT_EQ(0, selection.NextBlock(&startColumn, &startRow, &endColumn, &endRow));
    EXPECT_EQ(0, startColumn);
    EXPECT_EQ(2, startRow);
    EXPECT_EQ(1, endColumn);
    EXPECT_EQ(5, endRow);
    EXPECT_EQ(1, selection.NextBlock(&startColumn, &startRow, &endColumn, &endRow));
    EXPECT_EQ(1, selection.NextBlock(&startColumn, &startRow, &endColumn, &endRow));
}

TEST_F(Selection, BoundsAreQueuedForRedrawOnlyWhenThereAreBlocks)
{
    CellRedrawList list;
    selection.QueueBoundsForRedraw(&list);
    EXPECT_TRUE(list.IsEmpty());
    selection.BeginBlockAt(1, 1);
    selection.BeginBlockAt(6, 7);
    selection.QueueBoundsForRedraw(&list);
    EXPECT_EQ(1, list.RangeCount());
    EXPECT_EQ(1, list.InRanges(6, 1));
    selection.RemoveAllBlocks();
    int column = 0;
    int row = 0;
    EXPECT_EQ(1, selection.QueryAnchor(&column, &row));
    EXPECT_EQ(1, selection.QuerySelectionBounds(nullptr, nullptr, nullptr, nullptr));
}

}  // namespace
