#include "GridTestHost.h"
#include "VGCell.h"
#include "VGMem.h"
#include "VGPtrList.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class Tracked : public CObject {
public:
    Tracked() { ++alive; }
    ~Tracked() override { --alive; }
    static int alive;
};
int Tracked::alive = 0;

class MemStore : public testing::Test {
protected:
    MemStore() { mem.SetOwner(&host, -1); }

    void Put(int column, int row, const wchar_t* text)
    {
        CVGCell cell;
        cell.SetPropertyWord(0);
        cell.PutText(text);
        ASSERT_EQ(0, mem.StoreCell(column, row, &cell));
    }
    void PutNumber(int column, int row, double number)
    {
        CVGCell cell;
        cell.PutNumber(number);
        mem.StoreCell(column, row, &cell);
    }
    void PutTracked(int column, int row)
    {
        CVGCell cell;
        cell.PutText(L"tracked");
        cell.PutAttachment(new Tracked);
        mem.StoreCell(column, row, &cell);
    }
    std::wstring At(int column, int row)
    {
        CVGCell cell;
        cell.SetPropertyWord(0);
        if (mem.FetchCell(column, row, &cell) != 0)
            return L"<none>";
        const LPCWSTR text = cell.ReadText();
        return text ? text : L"<empty>";
    }

    GridTestHost host{3, 6};
    CVGMem mem;
};

TEST_F(MemStore, StoredCellIsFetchedAndMissingPositionsLeaveTheCallerAlone)
{
    Put(3, 2, L"stored");
    EXPECT_EQ(L"stored", At(3, 2));

    CVGCell mine;
    mine.PutText(L"mine");
    EXPECT_EQ(1, mem.FetchCell(1, 2, &mine));
    EXPECT_EQ(1, mem.FetchCell(9, 9, &mine));
    EXPECT_STREQ(L"mine", mine.ReadText());

    CVGCell red;  // only the stored properties are laid over the caller's
    red.PutBackColor(RGB(255, 0, 0));
    ASSERT_EQ(0, mem.FetchCell(3, 2, &red));
    EXPECT_STREQ(L"stored", red.ReadText());
    EXPECT_EQ(RGB(255, 0, 0), red.ReadBackColor());
}

TEST_F(MemStore, StoringGrowsRowsAndCellsDenselyInBothDirections)
{
    EXPECT_EQ(0, mem.GetLastRowIndex());
    Put(2, 1000, L"far");
    Put(-2, -1, L"heading");
    EXPECT_EQ(1000, mem.GetLastRowIndex());
    EXPECT_EQ(L"far", At(2, 1000));
    EXPECT_EQ(L"heading", At(-2, -1));
    Put(1, 500, L"middle");
    EXPECT_EQ(L"middle", At(1, 500));
    EXPECT_EQ(L"far", At(2, 1000));
}

TEST_F(MemStore, RowInsertionNeedsAReachableDataRow)
{
    EXPECT_EQ(1, mem.InsertRowAt(0));
    Put(0, -1, L"title");
    Put(0, 0, L"r0");
    Put(0, 1, L"r1");
    EXPECT_EQ(1, mem.InsertRowAt(-1));
    EXPECT_EQ(1, mem.InsertRowAt(5));
    EXPECT_EQ(0, mem.InsertRowAt(1));
    EXPECT_EQ(L"title", At(0, -1));
    EXPECT_EQ(L"r0", At(0, 0));
    EXPECT_EQ(L"<none>", At(0, 1));
    EXPECT_EQ(L"r1", At(0, 2));
}

TEST_F(MemStore, RowRemovalMovesTheRowsBelowUp)
{
    Put(0, -1, L"title");
    Put(0, 0, L"r0");
    Put(0, 1, L"r1");
    Put(0, 2, L"r2");
    EXPECT_EQ(0, mem.RemoveRow(7));
    EXPECT_EQ(1, mem.RemoveRow(-1));
    EXPECT_EQ(0, mem.RemoveRow(1));
    EXPECT_EQ(L"title", At(0, -1));
    EXPECT_EQ(L"r2", At(0, 1));
    EXPECT_EQ(1, mem.GetLastRowIndex());
}

TEST_F(MemStore, ColumnRemovalShiftsLongRowsAndEmptiesTheLastCellOfShortOnes)
{
    Put(0, 0, L"a");
    Put(1, 0, L"b");
    Put(2, 0, L"c");
    for (int column = 0; column < 3; ++column)
        Put(column, 1, std::to_wstring(column).c_str());
    Put(3, 1, L"3");
    host.info.m_columns[2].id = 3;  // a column moved: the record bearing id 3 keeps its data

    EXPECT_EQ(0, mem.RemoveColumn(2));
    EXPECT_EQ(L"<none>", At(2, 0));
    EXPECT_EQ(L"3", At(2, 1));
    EXPECT_EQ(2, host.info.m_columns[2].id);
    EXPECT_EQ(1, mem.RemoveColumn(-1));
}

TEST_F(MemStore, ColumnInsertionShiftsCellsAndRenumbersIds)
{
    Put(0, 0, L"a");
    Put(1, 0, L"b");
    Put(-1, 0, L"side");
    EXPECT_EQ(0, mem.InsertColumnAt(0));
    EXPECT_EQ(L"<none>", At(0, 0));
    EXPECT_EQ(L"a", At(1, 0));
    EXPECT_EQ(L"b", At(2, 0));
    EXPECT_EQ(L"side", At(-1, 0));
    EXPECT_EQ(1, host.info.m_columns[0].id);
    EXPECT_EQ(3, host.info.m_columns[2].id);
}

TEST_F(MemStore, NodesFreedByRemovalsServeLaterStores)
{
    for (int row = 0; row < 600; ++row)
        for (int column = 0; column < 3; ++column)
            Put(column, row, (std::to_wstring(row) + L"." + std::to_wstring(column)).c_str());
    for (int row = 0; row < 300; ++row)
        mem.RemoveRow(row);  // every other original row goes
    mem.RemoveColumn(1);
    for (int row = 300; row < 600; ++row)
        Put(4, row, L"new");
    for (int row = 0; row < 300; ++row) {
        ASSERT_EQ(std::to_wstring(2 * row + 1) + L".0", At(0, row));
        ASSERT_EQ(std::to_wstring(2 * row + 1) + L".2", At(1, row));
    }
    EXPECT_EQ(L"new", At(4, 599));
    EXPECT_EQ(L"<none>", At(0, 300));
}

struct RemovalCase {
    const char* name;
    void (*remove)(CVGMem&);
    int aliveAfter;  // attachments still held by the store right after the removal
};

void PrintTo(const RemovalCase& c, std::ostream* os) { *os << c.name; }

class ExtrasOnRemoval : public MemStore, public testing::WithParamInterface<RemovalCase> {};

// Three tracked cells: (0, 0), (1, 0) and (0, 1). The count right after the removal shows that the
// removal itself let go of its cells' attachments; RemoveAll then frees the rest exactly once.
TEST_P(ExtrasOnRemoval, AreReleasedOnceByTheRemovalItself)
{
    ASSERT_EQ(0, Tracked::alive);
    PutTracked(0, 0);
    PutTracked(1, 0);
    PutTracked(0, 1);
    ASSERT_EQ(3, Tracked::alive);
    GetParam().remove(mem);
    EXPECT_EQ(GetParam().aliveAfter, Tracked::alive);
    mem.RemoveAll();
    EXPECT_EQ(0, Tracked::alive);
}

INSTANTIATE_TEST_SUITE_P(
    Mem, ExtrasOnRemoval,
    testing::Values(RemovalCase{"Cell", [](CVGMem& m) { m.RemoveCell(1, 0); }, 2},
                    RemovalCase{"FirstRow", [](CVGMem& m) { m.RemoveRow(0); }, 1},
                    RemovalCase{"SecondRow", [](CVGMem& m) { m.RemoveRow(1); }, 2},
                    RemovalCase{"FirstColumn", [](CVGMem& m) { m.RemoveColumn(0); }, 1},
                    RemovalCase{"SecondColumn", [](CVGMem& m) { m.RemoveColumn(1); }, 2},
                    RemovalCase{"Nothing", [](CVGMem&) {}, 3}),
    CaseName());

TEST_F(MemStore, RowThenColumnRemovalsEachReleaseTheirOwnCells)
{
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            PutTracked(column, row);
    ASSERT_EQ(9, Tracked::alive);
    ASSERT_EQ(0, mem.RemoveRow(1));
    EXPECT_EQ(6, Tracked::alive);
    ASSERT_EQ(0, mem.RemoveColumn(2));
    EXPECT_EQ(4, Tracked::alive);
    ASSERT_EQ(0, mem.RemoveRow(0));
    EXPECT_EQ(2, Tracked::alive);
    ASSERT_EQ(0, mem.RemoveColumn(0));
    EXPECT_EQ(1, Tracked::alive);
    EXPECT_EQ(L"tracked", At(0, 0));
    mem.RemoveAll();
    EXPECT_EQ(0, Tracked::alive);
}

TEST_F(MemStore, AFetchedCopyKeepsTheAttachmentAfterTheStoreLetsGo)
{
    PutTracked(0, 0);
    CVGCell copy;
    mem.FetchCell(0, 0, &copy);
    mem.RemoveCell(0, 0);
    EXPECT_EQ(1, Tracked::alive);
    copy.ReleaseExtras();
    EXPECT_EQ(0, Tracked::alive);
}

struct FindCase {
    const char* name;
    const wchar_t* text;
    int column;  // start column (ignored with flag 8 on FindFirst)
    int flags;
    bool first;  // FindFirstText, else FindNextText from (column, startRow)
    int startRow;
    int result;
    int foundColumn;
    int foundRow;
};

class Find : public MemStore, public testing::WithParamInterface<FindCase> {
protected:
    void SetUp() override
    {
        // Six rows in the grid; rows 4 and 5 are not stored.
        Put(0, 0, L"apple");
        Put(1, 0, L"Banana");
        Put(2, 0, L"cherry");
        Put(0, 1, L"date");
        Put(1, 1, L"apple pie");
        Put(2, 1, L"fig");
        Put(1, 2, L"grape");
        Put(2, 2, L"APPLE");
        Put(0, 3, L"kiwi");
    }
};

TEST_P(Find, Locates)
{
    const FindCase& c = GetParam();
    int column = c.column;
    int row = c.startRow;
    const int result = c.first ? mem.FindFirstText(c.text, &column, &row, c.flags)
                               : mem.FindNextText(c.text, &column, &row, c.flags);
    ASSERT_EQ(c.result, result);
    if (result == 0) {
        EXPECT_EQ(c.foundColumn, column);
        EXPECT_EQ(c.foundRow, row);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mem, Find,
    testing::Values(FindCase{"WholeCellInOneColumn", L"kiwi", 0, 0, true, 0, 0, 0, 3},
                    FindCase{"WholeCellMustEqual", L"apple", 1, 0, true, 0, 1, 0, 0},
                    FindCase{"AnywhereInTheCell", L"apple", 1, 1, true, 0, 0, 1, 1},
                    FindCase{"IgnoringCase", L"apple", 2, 2, true, 0, 0, 2, 2},
                    FindCase{"WrapsFromTheLastRowToRowZero", L"apple", 0, 0, false, 0, 0, 0, 0},
                    FindCase{"EveryColumnFromTheStart", L"apple", 0, 9, true, 0, 0, 0, 0},
                    FindCase{"EveryColumnAfterAHit", L"apple", 0, 9, false, 0, 0, 1, 1},
                    FindCase{"EveryColumnBackwardsFromTheEnd", L"apple", 0, 15, true, 0, 0, 2, 2},
                    FindCase{"BackwardsInOneColumn", L"date", 0, 4, false, 3, 0, 0, 1},
                    FindCase{"NothingMatches", L"zzz", 0, 9, true, 0, 1, 0, 0},
                    FindCase{"NothingInTheColumn", L"grape", 0, 0, true, 0, 1, 0, 0}),
    CaseName());

TEST_F(MemStore, FindWithoutAGridFindsNothing)
{
    CVGMem alone;
    CVGCell cell;
    cell.PutText(L"x");
    alone.StoreCell(0, 0, &cell);
    int column = 0;
    int row = 0;
    EXPECT_EQ(1, alone.FindFirstText(L"x", &column, &row, 0));
}

TEST_F(MemStore, SortOfManyRowsIsStableAndLeavesHeadingsInPlace)
{
    constexpr int kRows = 300;
    VGLayout::SetRowRecordCount(host.info, kRows);
    Put(0, -1, L"Key");
    for (int row = 0; row < kRows; ++row) {
        Put(0, row, (L"k" + std::to_wstring((row * 7) % 11)).c_str());
        PutNumber(1, row, row);
    }
    ASSERT_EQ(0, mem.SortByColumn(0, 0));
    EXPECT_GT(host.comparisons, 0);
    EXPECT_EQ(L"Key", At(0, -1));
    EXPECT_EQ(kRows - 1, mem.GetLastRowIndex());
    std::wstring previousKey;
    double previousIndex = -1;
    for (int row = 0; row < kRows; ++row) {
        const std::wstring key = At(0, row);
        CVGCell cell;
        mem.FetchCell(1, row, &cell);
        ASSERT_LE(previousKey, key) << "row " << row;
        if (key == previousKey) {
            ASSERT_LT(previousIndex, cell.ReadNumber()) << "row " << row;
        }
        previousKey = key;
        previousIndex = cell.ReadNumber();
    }
}

TEST_F(MemStore, SortDescendingKeepsEqualRowsInOrder)
{
    const wchar_t* keys[] = {L"b", L"a", L"b", L"c", L"a"};
    for (int row = 0; row < 5; ++row) {
        Put(0, row, keys[row]);
        PutNumber(1, row, row);
    }
    ASSERT_EQ(0, mem.SortByColumn(0, 2));
    const std::wstring expected[] = {L"c", L"b", L"b", L"a", L"a"};
    const double order[] = {3, 0, 2, 1, 4};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(expected[row], At(0, row));
        CVGCell cell;
        mem.FetchCell(1, row, &cell);
        EXPECT_DOUBLE_EQ(order[row], cell.ReadNumber());
    }
}

TEST_F(MemStore, SortByNumbersAndByASecondKey)
{
    const double numbers[] = {10, 2, 10, 1};
    const wchar_t* names[] = {L"z", L"y", L"a", L"x"};
    for (int row = 0; row < 4; ++row) {
        PutNumber(0, row, numbers[row]);
        Put(1, row, names[row]);
    }
    const int keys[] = {0, 1};
    ASSERT_EQ(0, mem.SortByColumns(keys, 2, 0));
    EXPECT_EQ(L"x", At(1, 0));
    EXPECT_EQ(L"y", At(1, 1));
    EXPECT_EQ(L"a", At(1, 2));
    EXPECT_EQ(L"z", At(1, 3));
}

TEST_F(MemStore, RowsWithoutAKeyCellSortAsEmptyCells)
{
    Put(1, 0, L"no key");
    Put(0, 1, L"b");
    Put(0, 2, L"a");
    ASSERT_EQ(0, mem.SortByColumn(0, 0));
    EXPECT_EQ(L"a", At(0, 0));
    EXPECT_EQ(L"b", At(0, 1));
    EXPECT_EQ(L"no key", At(1, 2));
}

TEST_F(MemStore, SortOfAnEmptyStoreRefuses)
{
    EXPECT_EQ(1, mem.SortByColumn(0, 0));
}

TEST_F(MemStore, PreviousTextCellIsTheNearestOneToTheLeft)
{
    Put(0, 0, L"source");
    Put(2, 0, L"");
    Put(3, 0, L"next");
    int column = 3;
    EXPECT_EQ(0, mem.FindPrevTextCell(&column, 0));
    EXPECT_EQ(0, column);
    column = 9;
    EXPECT_EQ(0, mem.FindPrevTextCell(&column, 0));
    EXPECT_EQ(3, column);
    column = 0;
    EXPECT_EQ(1, mem.FindPrevTextCell(&column, 0));
    column = 4;
    EXPECT_EQ(1, mem.FindPrevTextCell(&column, 5));
}

TEST(PtrList, GrowsByTenAndKeepsIndices)
{
    CVGPtrList list;
    int items[11] = {};
    for (int index = 0; index < 10; ++index)
        ASSERT_EQ(index, list.Insert(&items[index], index * 2, nullptr));
    EXPECT_EQ(10, list.Capacity());
    EXPECT_EQ(10, list.Insert(&items[10], 20, "0123456789abcdef"));
    EXPECT_EQ(20, list.Capacity());
    EXPECT_EQ(11, list.Count());
    EXPECT_EQ(&items[3], list.ItemAt(3));
    EXPECT_EQ(6, list.ValueAt(3));
    EXPECT_EQ(0, std::memcmp(list.CallerDataAt(10), "0123456789abcdef", 16));
}

TEST(PtrList, OutOfRangeAndFreeEntries)
{
    CVGPtrList list;
    list.Insert(nullptr, 5, nullptr);
    EXPECT_EQ(nullptr, list.ItemAt(-1));
    EXPECT_EQ(0, list.ValueAt(1));
    EXPECT_EQ(1, list.SetValueAt(-1, 3));
    EXPECT_EQ(1, list.SetValueAt(10, 3));
    EXPECT_EQ(2, list.SetValueAt(1, 3));
    EXPECT_EQ(0, list.SetValueAt(0, 3));
    EXPECT_EQ(3, list.ValueAt(0));
    list.Clear();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(0, list.Capacity());
    EXPECT_EQ(nullptr, list.CallerDataAt(0));
}

}  // namespace

TEST_F(MemStore, ColumnInsertionAndRemovalByIdAgreeAfterColumnsMoved)
{
    Put(0, 0, L"a");
    Put(1, 0, L"b");
    Put(2, 0, L"c");
    ASSERT_EQ(0, VGLayout::MoveColumnRecord(host.info, 0, 2, 0));  // visible ids now 1, 2, 0
    ASSERT_EQ(0, mem.InsertColumnAt(1));
    EXPECT_EQ(L"a", At(0, 0));
    EXPECT_EQ(L"<none>", At(1, 0));
    EXPECT_EQ(L"b", At(2, 0));
    ASSERT_EQ(0, mem.RemoveColumn(1));
    EXPECT_EQ(L"a", At(0, 0));
    EXPECT_EQ(L"b", At(1, 0));
    EXPECT_EQ(L"c", At(2, 0));
    EXPECT_EQ(1, host.info.m_columns[0].id);
    EXPECT_EQ(2, host.info.m_columns[1].id);
    EXPECT_EQ(0, host.info.m_columns[2].id);
}

TEST_F(MemStore, SearchesAfterAColumnIsRemovedOrInsertedSeeTheCellsWhereTheyNowAre)
{
    for (int row = 0; row < 4; ++row) {
        Put(0, row, (L"a" + std::to_wstring(row)).c_str());
        Put(1, row, (L"b" + std::to_wstring(row)).c_str());
        Put(2, row, (L"c" + std::to_wstring(row)).c_str());
    }
    host.info.m_rowCount = 4;
    int column = 1, row = 0;
    ASSERT_EQ(0, mem.FindFirstText(L"b3", &column, &row, 0));  // column 1 looked up in every row
    EXPECT_EQ(3, row);
    ASSERT_EQ(0, mem.RemoveColumn(0));
    column = 1;
    ASSERT_EQ(0, mem.FindFirstText(L"c2", &column, &row, 0));
    EXPECT_EQ(2, row);
    ASSERT_EQ(0, mem.InsertColumnAt(0));
    column = 1;
    ASSERT_EQ(0, mem.FindFirstText(L"b1", &column, &row, 0));
    EXPECT_EQ(1, row);
}

TEST_F(MemStore, RowsReachedFromTheTopAfterRowsAreInsertedRemovedOrSortedAreTheRightOnes)
{
    for (int row = 0; row < 6; ++row)
        Put(0, row, std::to_wstring(5 - row).c_str());
    EXPECT_EQ(L"5", At(0, 0));
    EXPECT_EQ(L"0", At(0, 5));
    ASSERT_EQ(0, mem.InsertRowAt(0));
    EXPECT_EQ(L"<none>", At(0, 0));  // the new row holds no cell
    EXPECT_EQ(L"5", At(0, 1));
    ASSERT_EQ(0, mem.RemoveRow(0));
    EXPECT_EQ(L"5", At(0, 0));
    ASSERT_EQ(0, mem.SortByColumn(0, 0));
    EXPECT_EQ(L"0", At(0, 0));
    EXPECT_EQ(L"5", At(0, 5));
    EXPECT_EQ(L"1", At(0, 1));
}

TEST_F(MemStore, ASearchSeesWhatACellHoldsNowAfterItIsStoredAgain)
{
    host.info.m_rowCount = 3;
    Put(1, 2, L"old");
    CVGCell number;
    number.PutNumber(7);
    number.PutPlainNumberText(1);
    mem.StoreCell(1, 2, &number);
    int column = 1, row = 0;
    EXPECT_EQ(1, mem.FindFirstText(L"old", &column, &row, 0));
    column = 1;
    EXPECT_EQ(0, mem.FindFirstText(L"7", &column, &row, 0));
    EXPECT_EQ(2, row);
    Put(1, 2, L"new");
    column = 1;
    EXPECT_EQ(0, mem.FindFirstText(L"new", &column, &row, 0));
    mem.RemoveCell(1, 2);
    column = 1;
    EXPECT_EQ(1, mem.FindFirstText(L"new", &column, &row, 0));
}

TEST_F(MemStore, CellsStoredOneAfterAnotherKeepTheirOwnPropertiesWhateverTheyHold)
{
    CVGCell red;
    red.PutText(L"red");
    red.PutBackColor(RGB(255, 0, 0));
    mem.StoreCell(0, 0, &red);
    CVGCell plain;
    plain.PutText(L"plain");
    mem.StoreCell(1, 0, &plain);
    mem.StoreCell(2, 0, &red);
    const std::wstring longText(40, L'x');
    plain.PutText(longText.c_str());
    mem.StoreCell(0, 1, &plain);
    CVGCell label;
    label.SetPropertyWord(0);
    label.PutLabel(L"no text");
    mem.StoreCell(1, 1, &label);

    auto fetched = [this](int column, int row) {
        CVGCell cell;
        cell.SetPropertyWord(0);
        EXPECT_EQ(0, mem.FetchCell(column, row, &cell));
        return cell;
    };
    EXPECT_EQ(RGB(255, 0, 0), fetched(0, 0).ReadBackColor());
    EXPECT_EQ(plain.ReadBackColor(), fetched(1, 0).ReadBackColor());
    EXPECT_EQ(L"red", At(2, 0));
    EXPECT_EQ(longText, At(0, 1));
    EXPECT_EQ(L"<empty>", At(1, 1));
    EXPECT_EQ(VGCELL_LABEL, fetched(1, 1).GetPropertyWord());

    // Stored again as a number, and back to a text: each fetch sees what was stored last.
    PutNumber(0, 0, 2.5);
    EXPECT_EQ(VGDATA_NUMBER, fetched(0, 0).ReadDataType());
    mem.StoreCell(0, 0, &red);
    EXPECT_EQ(L"red", At(0, 0));
    int column = 0, row = 0;
    EXPECT_EQ(0, mem.FindFirstText(longText.c_str(), &column, &row, 0));
    EXPECT_EQ(1, row);
}
