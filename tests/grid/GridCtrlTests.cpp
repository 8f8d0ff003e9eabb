// The grid object's registries, sheets, counts and moves, without a window.
#include "VGCtrl.h"
#include "VGMem.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(GridCtrl, AnEqualFontIsRegisteredOnceAndAnOverlongFaceNameIsDropped)
{
    CVGCtrl grid;
    const int first = grid.RegisterFont(L"Arial", -12, 400);
    EXPECT_EQ(first, grid.RegisterFont(L"Arial", -12, 400));
    EXPECT_NE(first, grid.RegisterFont(L"Arial", -12, 700));
    const int longName = grid.RegisterFont(L"A face name of forty characters, padded!", -12, 400);
    LOGFONTW font = {};
    ASSERT_NE(nullptr, grid.FontAt(longName));
    ::GetObjectW(grid.FontAt(longName)->GetSafeHandle(), sizeof font, &font);
    EXPECT_STREQ(L"", font.lfFaceName);
    EXPECT_EQ(1, grid.SetDefaultFont(99));
    EXPECT_EQ(0, grid.SetDefaultFont(first));
}

TEST(GridCtrl, DataSourcesAreNumberedFromOneAndTheTableHoldsSixtyThree)
{
    CVGCtrl grid;
    std::vector<std::unique_ptr<CVGMem>> sources;
    EXPECT_EQ(-1, grid.RegisterDataSource(nullptr));
    for (int i = 1; i <= 63; ++i) {
        sources.push_back(std::make_unique<CVGMem>());
        EXPECT_EQ(i, grid.RegisterDataSource(sources.back().get()));
    }
    CVGMem oneMore;
    EXPECT_EQ(-1, grid.RegisterDataSource(&oneMore));
}

TEST(GridCtrl, CountsOutsideTheirRangesAreRefusedAndChangeNothing)
{
    CVGCtrl grid;
    EXPECT_EQ(1, grid.SetColumnCount(32001, 0));
    EXPECT_EQ(1, grid.SetRowCount(-1, 0));
    EXPECT_EQ(0, grid.SetColumnCount(0, 0));
    EXPECT_EQ(0, grid.QueryColumnCount());
    EXPECT_EQ(-1, grid.QueryCurrentColumn());
    EXPECT_EQ(0, grid.SetColumnCount(4, 0));
    EXPECT_EQ(0, grid.QueryCurrentColumn());
}

TEST(GridCtrl, AboveSixtyFourThousandRowsEveryRowTakesTheNewHeight)
{
    CVGCtrl grid;
    grid.SetColumnCount(2, 0);
    ASSERT_EQ(0, grid.SetRowCount(70000, 0));
    ASSERT_EQ(0, grid.ResizeRow(5, 30));
    EXPECT_EQ(30, grid.QueryRowHeight(0));
    EXPECT_EQ(30, grid.QueryRowHeight(69999));
}

TEST(GridCtrl, MovesToTheTargetItselfAskNothingAndRowsPastTheEndAreCut)
{
    struct Counting : CVGCtrl {
        int asked = 0;
        int pastEnd = 0;
        int OnCanMoveCell(int, int, int, int) override { return ++asked, 1; }
        void OnPastLastRow(int count, int past, int*) override { pastEnd = count * 100 + past; }
    } grid;
    grid.SetColumnCount(3, 0);
    grid.SetRowCount(10, 0);
    grid.asked = 0;
    EXPECT_EQ(0, grid.MoveToCell(0, 0));
    EXPECT_EQ(0, grid.asked);
    EXPECT_EQ(0, grid.MoveToRow(14));
    EXPECT_EQ(1005, grid.pastEnd);
    EXPECT_EQ(9, grid.QueryCurrentRow());
    EXPECT_EQ(1, grid.MoveToRow(20));
    EXPECT_EQ(0, grid.MoveToColumn(7));
    EXPECT_EQ(2, grid.QueryCurrentColumn());
    EXPECT_EQ(1, grid.MoveToColumn(7));
}

TEST(GridCtrl, TheDefaultTipNamesTheCellAndTheSectionColoursFollowTheSystem)
{
    CVGCtrl grid;
    CString tip;
    EXPECT_EQ(1, grid.GetTipText(3, 12, 1, &tip));
    EXPECT_STREQ(L"Col:3 Row:12", tip.GetString());
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), grid.GetSectionBackColor(1));
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), grid.GetSectionBackColor(2));
}
