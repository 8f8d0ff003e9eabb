// The hex editor's arithmetic without a window: layout, hit tests, caret moves, visibility, the
// clipboard's text and blocks, and how far a paste believes its block.
#include "hexedit/HexEditLayout.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

constexpr int kCharWidth = 8;
constexpr int kLineHeight = 16;

class HexEditLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        bytes.resize(1000);
        std::iota(bytes.begin(), bytes.end(), 0);
        s.data = bytes.data();
        s.dataLength = static_cast<int>(bytes.size());
        s.showAddress = true;
        s.showAscii = true;
    }
    void Layout(CRect client = CRect(0, 0, 600, 200), bool multiLine = true) {
        HexEditLayout::Compute(s, client, kCharWidth, kLineHeight, multiLine);
    }

    std::vector<BYTE> bytes;
    HexEditState s;
};

TEST_F(HexEditLayoutTest, MultiLineInsetsTheContentAndCountsWholeAndPartRows) {
    Layout();
    EXPECT_EQ(CRect(5, 5, 595, 195), s.contentRect);
    EXPECT_EQ(11, s.pageRows);      // 190 pixels of 16-pixel rows
    EXPECT_EQ(12, s.drawRows);
    EXPECT_EQ(14, s.lastRowHeight);
    EXPECT_EQ(16, s.rowBytes);
    EXPECT_EQ(8 * kCharWidth + 5, s.hexX);              // eight address digits and the gap
    EXPECT_EQ(s.hexX + 47 * kCharWidth + 5, s.asciiX);  // 16 pairs with 15 spaces, and the gap
    EXPECT_EQ(63 - 11, s.maxTopRow);                    // 1000 bytes take 63 rows
    EXPECT_FALSE(s.relayoutPending);
}

TEST_F(HexEditLayoutTest, AutomaticRowWidthFitsTheMostBytesThatShowWhole) {
    s.autoBytesPerRow = true;
    for (int width = 150; width < 700; width += 7) {
        Layout(CRect(0, 0, width, 200));
        const int room = s.contentRect.Width();
        EXPECT_LE(HexEditLayout::ContentRight(s), room) << width;
        // One byte more (three hex cells and a character) would not fit.
        EXPECT_GT(HexEditLayout::ContentRight(s) + 4 * kCharWidth, room) << width;
    }
}

TEST_F(HexEditLayoutTest, SingleLineShowsTheWholeBufferAsOneScrollingRow) {
    Layout(CRect(0, 0, 300, 20), false);
    EXPECT_EQ(CRect(0, 0, 300, 20), s.contentRect);
    EXPECT_EQ(1000, s.rowBytes);
    EXPECT_EQ(0, s.maxTopRow);
    EXPECT_GT(s.maxHScroll, 1000 * 3 * kCharWidth);
}

TEST_F(HexEditLayoutTest, APointLandsOnTheNibbleUnderItOrTheNextOne) {
    Layout();
    const int x0 = 5 + s.hexX;  // first digit of the row
    const int y = 5 + 2 * kLineHeight + 3;
    struct {
        int x;
        int byte;
        bool high;
    } cases[] = {
        {x0 + 1, 32, true},                   // left half of the first digit
        {x0 + kCharWidth - 1, 32, false},     // right half: the low nibble
        {x0 + 3 * kCharWidth + 1, 33, true},  // the next byte's first digit
        {x0 - 40, 32, true},                  // left of the hex column: the row's first byte
    };
    for (const auto& c : cases) {
        const auto at = HexEditLayout::PointToByte(s, CPoint(c.x, y), true);
        EXPECT_EQ(c.byte, at.byte) << c.x;
        EXPECT_EQ(c.high, at.highNibble) << c.x;
    }
    s.dataLength = 40;  // the third row holds bytes 32..39 only
    const auto past = HexEditLayout::PointToByte(s, CPoint(x0 + 12 * 3 * kCharWidth, y), true);
    EXPECT_EQ(39, past.byte);
    EXPECT_FALSE(past.highNibble);
}

TEST_F(HexEditLayoutTest, KeysStopAtTheBufferEnds) {
    Layout();
    struct {
        UINT key;
        int from;
        bool fromHigh;
        int to;
        bool toHigh;
    } cases[] = {
        {VK_END, 10, true, 999, false},    {VK_HOME, 500, false, 0, true}, {VK_RIGHT, 999, false, 999, false},
        {VK_RIGHT, 5, true, 5, false},     {VK_RIGHT, 5, false, 6, true},  {VK_LEFT, 0, true, 0, true},
        {VK_LEFT, 5, true, 4, false},      {VK_DOWN, 990, true, 999, false}, {VK_UP, 20, false, 4, false},
        {VK_NEXT, 0, true, 11 * 16, true},
    };
    for (const auto& c : cases) {
        s.caretPos = c.from;
        s.highNibble = c.fromHigh;
        int delta = 0;
        bool highAfter = true;
        ASSERT_TRUE(HexEditLayout::KeyMove(s, c.key, &delta, &highAfter));
        const auto to = HexEditLayout::MoveTarget(s, delta, highAfter);
        EXPECT_EQ(c.to, to.byte) << c.key << " from " << c.from;
        EXPECT_EQ(c.toHigh, to.highNibble) << c.key << " from " << c.from;
    }
}

TEST_F(HexEditLayoutTest, MakingAByteVisibleScrollsItToTheNearerEdge) {
    Layout();
    EXPECT_TRUE(HexEditLayout::MakeVisible(s, 300, 300));  // row 18 becomes the last whole row
    EXPECT_EQ(18 - 10, s.topRow);
    EXPECT_FALSE(HexEditLayout::MakeVisible(s, 200, 200));  // already on the page
    EXPECT_TRUE(HexEditLayout::MakeVisible(s, 40, 41));
    EXPECT_EQ(2, s.topRow);
    HexEditLayout::MakeVisible(s, 999, 999);
    EXPECT_EQ(s.maxTopRow, s.topRow);
}

TEST_F(HexEditLayoutTest, TheCaretHidesOffTheDrawnRows) {
    Layout();
    s.topRow = 4;
    s.caretPos = 60;  // row 3, above the top
    EXPECT_FALSE(HexEditLayout::PlaceCaret(s, true).shown);
    s.caretPos = 4 * 16 + 2;
    s.highNibble = false;
    const auto caret = HexEditLayout::PlaceCaret(s, true);
    ASSERT_TRUE(caret.shown);
    EXPECT_EQ(CPoint(5 + s.hexX + 7 * kCharWidth, 5 + 1), caret.position);
    EXPECT_FALSE(HexEditLayout::PlaceCaret(s, false).shown);
}

TEST_F(HexEditLayoutTest, CopyOfThreeBytesIsOneLineAndACountedBlock) {
    bytes[16] = 0x00;
    bytes[17] = 0x1F;
    bytes[18] = 0xA0;
    Layout();
    s.selBegin = 16;
    s.selEnd = 18;
    EXPECT_EQ("00 1F A0\n", HexEditLayout::CopyText(s));
    EXPECT_EQ((std::vector<BYTE>{3, 0, 0, 0, 0x00, 0x1F, 0xA0}), HexEditLayout::CopyBlock(s));
}

TEST_F(HexEditLayoutTest, CopyLongerThanARowKeepsTheFirstBytesColumn) {
    Layout();
    s.selBegin = 14;  // columns 14 and 15, a whole row, then two bytes
    s.selEnd = 33;
    EXPECT_EQ(std::string(42, ' ') + "0E 0F\n"
                                     "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F\n"
                                     "20 21\n",
              HexEditLayout::CopyText(s));
}

std::vector<BYTE> Block(uint32_t count, std::vector<BYTE> bytes) {
    std::vector<BYTE> block{BYTE(count), BYTE(count >> 8), BYTE(count >> 16), BYTE(count >> 24)};
    block.insert(block.end(), bytes.begin(), bytes.end());
    return block;
}

TEST_F(HexEditLayoutTest, PasteStopsAtTheBufferEnd) {
    s.caretPos = 998;
    const auto block = Block(5, {1, 2, 3, 4, 5});
    const auto plan = HexEditLayout::PlanPaste(s, block.data(), block.size());
    EXPECT_EQ(998, plan.start);
    EXPECT_EQ(2, plan.count);
}

TEST_F(HexEditLayoutTest, PasteBelievesTheCountOnlyAsFarAsTheBlockHoldsBytes) {
    s.selBegin = 100;
    s.selEnd = 110;
    const auto block = Block(0xFFFFFFF0u, {7, 8, 9});
    const auto plan = HexEditLayout::PlanPaste(s, block.data(), block.size());
    EXPECT_EQ(100, plan.start);
    EXPECT_EQ(3, plan.count);
    const BYTE stub[] = {9, 0};
    EXPECT_EQ(0, HexEditLayout::PlanPaste(s, stub, sizeof stub).count);
}

TEST_F(HexEditLayoutTest, AutoScrollQuickensWithDistance) {
    for (int distance = 2; distance <= 4; ++distance) EXPECT_EQ(7, HexEditLayout::AutoScrollReload(distance));
    EXPECT_EQ(1, HexEditLayout::AutoScrollReload(30));
    EXPECT_EQ(1, HexEditLayout::AutoScrollReload(500));
}

TEST_F(HexEditLayoutTest, SelectionsAskedForAreKeptInsideTheBuffer) {
    struct {
        int begin, end, wantBegin, wantEnd;
    } cases[] = {{5, 2, 2, 5}, {10, 5000, 10, 999}, {-1, 7, -1, -1}, {-3, -3, -1, -1}};
    for (const auto& c : cases) {
        int begin = c.begin, end = c.end;
        HexEditLayout::NormaliseSelection(s, &begin, &end);
        EXPECT_EQ(c.wantBegin, begin);
        EXPECT_EQ(c.wantEnd, end);
    }
}

TEST(HexEditTextTest, RowsOfAnyLengthAreSpelledInFull) {
    std::vector<BYTE> row(400, 0xAB);
    row.back() = 0x7E;
    const std::wstring hex = HexEditLayout::HexText(row.data(), 400);
    ASSERT_EQ(400u * 3 - 1, hex.size());
    EXPECT_EQ(L"AB 7E", hex.substr(hex.size() - 5));
    EXPECT_EQ(L"..~", HexEditLayout::AsciiText(row.data() + 397, 3));
    EXPECT_EQ(L"0000BEEF", HexEditLayout::AddressText(0xBEEF, 8));
    EXPECT_EQ(L"12345", HexEditLayout::AddressText(0x12345, 4));
}

}  // namespace
