// The filter grid's check-box interlock, by clicks and the space bar on its boxes.
#include "GridHost.h"

#include "grids/FilterGrid.h"

#include <support/gui/Picture.h>

#include <string>
#include <vector>

namespace {

constexpr COLORREF kGrey = RGB(0xAA, 0xAA, 0xAA);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kRows = 25;

class FilterGridTest : public GridHost<FilterGrid> {
protected:
    void SetUp() override {
        FilterGrid::groupTaken.fill(false);
        GridHost<FilterGrid>::SetUp();
        grid.SetColumnCount(2, 0);
        grid.SetRowCount(kRows, 0);
        grid.ResizeColumn(1, 120);
        for (int row = 0; row < kRows; ++row) {
            CVGCell box;
            box.PutTypeIndex(2);
            box.PutNumber(0);
            grid.StoreCell(0, row, &box);
            grid.SetCellText(1, row, (L"Filter " + std::to_wstring(row)).c_str());
        }
        Repaint();
    }
    void TearDown() override {
        GridHost<FilterGrid>::TearDown();
        FilterGrid::groupTaken.fill(false);
    }

    // A click on the row's box (the box sits 3 pixels in, vertically centred).
    void ClickBox(int row) {
        grid.SetFirstVisibleRow(row > 10 ? row - 5 : 0);
        PumpAll();
        const CRect cell = CellRect(0, row);
        support::gui::Click(Cells(), POINT{cell.left + 8, (cell.top + cell.bottom) / 2});
    }
    void PumpAll() { support::gui::PumpPending(); }

    bool Checked(int row) {
        CVGCell cell;
        grid.GetStoredCell(0, row, &cell);
        return cell.ReadBoolean() != 0;
    }
    bool Locked(int row) {
        CVGCell cell;
        grid.GetStoredCell(0, row, &cell);
        return cell.ReadReadOnly() != 0;
    }
    COLORREF LabelColour(int row) {
        CVGCell cell;
        grid.GetStoredCell(1, row, &cell);
        return cell.HasProperty(VGCELL_TEXTCOLOR) ? cell.ReadTextColor() : CLR_INVALID;
    }
    std::vector<int> LockedRows() {
        std::vector<int> rows;
        for (int row = 0; row < kRows; ++row)
            if (Locked(row)) rows.push_back(row);
        return rows;
    }
};

TEST_F(FilterGridTest, CheckingRowTwoGreysAndLocksRowsEightTwentyOneAndTwentyFour) {
    ClickBox(2);
    EXPECT_TRUE(Checked(2));
    EXPECT_TRUE(FilterGrid::groupTaken[2]);
    EXPECT_EQ((std::vector<int>{8, 21, 24}), LockedRows());
    for (int row : {8, 21, 24}) {
        EXPECT_FALSE(Checked(row)) << row;
        EXPECT_EQ(kGrey, LabelColour(row)) << row;
    }
    EXPECT_EQ(kBlack, LabelColour(2));
    EXPECT_EQ(CLR_INVALID, LabelColour(9)) << "rows outside the group keep their colour";

    // The grey label is what a person sees.
    grid.SetFirstVisibleRow(0);
    Repaint();
    const CRect label = CellRect(1, 8);
    const support::gui::Picture cells = support::gui::CaptureWindow(Cells());
    EXPECT_LT(0, cells.Count(kGrey, label));
    EXPECT_EQ(0, cells.Count(kGrey, CellRect(1, 2)));
}

TEST_F(FilterGridTest, ALockedBoxDoesNotToggle) {
    ClickBox(2);
    ClickBox(8);
    EXPECT_FALSE(Checked(8));
    EXPECT_TRUE(Checked(2));
}

TEST_F(FilterGridTest, UncheckingFreesTheGroupWhenNoOtherGroupHoldsItsRows) {
    ClickBox(2);
    ClickBox(2);
    EXPECT_FALSE(Checked(2));
    EXPECT_FALSE(FilterGrid::groupTaken[2]);
    EXPECT_TRUE(LockedRows().empty());
    for (int row : {2, 8, 21, 24}) EXPECT_EQ(kBlack, LabelColour(row)) << row;
}

TEST_F(FilterGridTest, UncheckingRowTwoLeavesRowsThatATakenGroupThreeHolds) {
    ClickBox(3);
    const std::vector<int> groupThree = {9, 11, 13, 14, 15, 18, 19, 20, 21, 22, 23, 24};
    EXPECT_EQ(groupThree, LockedRows());
    ClickBox(2);
    ClickBox(2);
    EXPECT_FALSE(Locked(2));
    EXPECT_FALSE(Locked(8)) << "row 8 is in no taken group";
    EXPECT_EQ(kBlack, LabelColour(8));
    EXPECT_TRUE(Locked(21)) << "group 3 still holds row 21";
    EXPECT_TRUE(Locked(24)) << "group 3 still holds row 24";
    EXPECT_EQ(kGrey, LabelColour(21));
    EXPECT_TRUE(Checked(3));
}

TEST_F(FilterGridTest, CheckingASharedRowTakesEveryGroupItBelongsTo) {
    ClickBox(8);
    EXPECT_TRUE(FilterGrid::groupTaken[0]);
    EXPECT_TRUE(FilterGrid::groupTaken[1]);
    EXPECT_TRUE(FilterGrid::groupTaken[2]);
    EXPECT_FALSE(FilterGrid::groupTaken[3]);
    EXPECT_TRUE(Locked(0));
    EXPECT_TRUE(Locked(1));
    EXPECT_TRUE(Locked(2));
    EXPECT_FALSE(Locked(8));
    EXPECT_TRUE(Checked(8));
}

TEST_F(FilterGridTest, TheSpaceBarOnABoxWorksTheInterlockToo) {
    grid.MoveToCell(0, 5);
    grid.CellArea().SetFocus();
    PumpAll();
    support::gui::TypeText(Cells(), L" ");
    EXPECT_TRUE(Checked(5));
    EXPECT_EQ((std::vector<int>{14, 16, 18, 20, 21, 23, 24}), LockedRows());
}

TEST_F(FilterGridTest, TheTakenGroupsAreSharedByEveryFilterGrid) {
    ClickBox(4);
    FilterGrid second;
    EXPECT_TRUE(second.groupTaken[4]);
}

}  // namespace
