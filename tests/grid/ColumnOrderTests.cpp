// A moved column keeps its cells: headings, the text that runs into an empty neighbour and the
// data source's consent to a move all follow the column to its new place on the screen.
#include "GridInputFixture.h"

#include "VGMem.h"

#include <support/gui/Input.h>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// A memory source that refuses every move onto the column it was given, by column id, and notes
// what it was asked and told.
class RefusingSource : public CVGMem {
public:
    int refusedId = -1;
    std::vector<std::string> asked;

    int CanMove(int oldColumn, int oldRow, int newColumn, int newRow) override
    {
        asked.push_back(std::to_string(oldColumn) + "," + std::to_string(oldRow) + ">" + std::to_string(newColumn) +
                        "," + std::to_string(newRow));
        return newColumn == refusedId ? 0 : 1;
    }
    void OnColumnChanged(int oldColumn, int newColumn) override
    {
        asked.push_back("changed " + std::to_string(oldColumn) + ">" + std::to_string(newColumn));
    }
};

class MovedColumnTest : public GridInputTest {
protected:
    RefusingSource source;  // outlives the grid's window
};

}  // namespace

TEST_F(MovedColumnTest, AHeadingMovesWithItsColumn)
{
    Fill(3, 4);
    grid.SetCellBackColor(2, -1, kRed);
    ASSERT_EQ(0, grid.MoveColumn(2, 0, 1));  // now the columns of ids 2, 0, 1
    ASSERT_EQ(2, grid.QueryColumnId(0));
    grid.SetCellText(1, -1, L"Moved");
    grid.RepaintAll();

    EXPECT_STREQ(L"Moved", grid.GetCellText(1, -1));
    const auto heading = Capture(grid.TopHeading());
    EXPECT_GT(heading.Count(kRed, RECT{1, 1, 74, heading.height - 1}), 0);
    EXPECT_EQ(0, heading.Count(kRed, RECT{76, 0, heading.width, heading.height}));
}

TEST_F(MovedColumnTest, TextRunsIntoTheEmptyCellThatNowStandsRightOfIt)
{
    Fill(3, 2);
    AlignColumnsLeft(3);
    grid.SetCellText(0, 0, L"");
    grid.SetCellText(1, 0, L"WWWWWWWWWWWWWWWWWWWWWWWWWWW");
    grid.SetCellTextColor(1, 0, kRed);
    ASSERT_EQ(0, grid.MoveColumn(1, 0, 1));  // the long text first, the empty cell beside it
    grid.RepaintAll();

    const auto cells = Capture(grid.CellArea());
    EXPECT_GT(cells.Count(kRed, RECT{76, 0, 149, 19}), 0);
}

TEST_F(MovedColumnTest, TheDataSourceIsAskedAndToldAboutAMoveByColumnIds)
{
    grid.RegisterDataSource(&source);
    grid.Info()->m_pDataSource = &source;
    Fill(3, 4);
    ASSERT_EQ(0, grid.MoveColumn(2, 0, 1));  // now the columns of ids 2, 0, 1
    grid.MoveToCell(0, 0);
    source.refusedId = 0;
    source.asked.clear();

    support::gui::Click(Cells(), CellCentre(1, 1));  // the column of id 0
    EXPECT_EQ(0, grid.QueryCurrentColumn());
    EXPECT_EQ(0, grid.QueryCurrentRow());
    support::gui::Click(Cells(), CellCentre(2, 1));  // the column of id 1
    EXPECT_EQ(2, grid.QueryCurrentColumn());
    EXPECT_EQ(1, grid.QueryCurrentRow());
    EXPECT_EQ((std::vector<std::string>{"2,0>0,1", "2,0>1,1", "changed 2>1"}), source.asked);
}
