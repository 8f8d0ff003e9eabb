// The normal cell type drawing into a memory DC, read back pixel by pixel; text widths are measured
// at run time in the same font.
#include "VGCtrl.h"

#include <support/gui/Picture.h>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGridLine = RGB(0xDC, 0xDC, 0xDC);

class CellDrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CClientDC screen(nullptr);
        ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 200, 60));
        previous = dc.SelectObject(&bitmap)->m_hObject;
        dc.FillSolidRect(0, 0, 200, 60, RGB(1, 2, 3));
        font.CreatePointFont(90, L"Arial");
        oldFont = dc.SelectObject(&font)->m_hObject;
        cell.PutBackColor(kWhite);
        cell.PutTextColor(kBlue);
        grid.SetColumnCount(3, 0);
        grid.SetRowCount(3, 0);
    }
    void TearDown() override
    {
        dc.SelectObject(oldFont);
        dc.SelectObject(previous);
    }
    support::gui::Picture Paint(RECT rect, int selected = 0, int current = 0)
    {
        grid.CellTypeAt(0)->PaintCell(&dc, &rect, 0, 0, &cell, selected, current);
        return support::gui::CaptureDC(dc, RECT{0, 0, 200, 60});
    }
    // The leftmost column holding the colour inside the area, -1 when none does.
    static int FirstColumnOf(const support::gui::Picture& p, COLORREF colour, RECT area)
    {
        for (int x = area.left; x < area.right; ++x) {
            if (p.Count(colour, RECT{x, area.top, x + 1, area.bottom}) > 0)
                return x;
        }
        return -1;
    }

    CVGCtrl grid;
    CVGCell cell;
    CDC dc;
    CBitmap bitmap;
    CFont font;
    HGDIOBJ previous = nullptr;
    HGDIOBJ oldFont = nullptr;
};

}  // namespace

TEST_F(CellDrawingTest, GridLinesRunAlongTheRightAndBottomEdgesOnly)
{
    const auto p = Paint(RECT{10, 10, 90, 30});
    EXPECT_EQ(20, p.Count(kGridLine, RECT{89, 10, 90, 30}));
    EXPECT_EQ(80, p.Count(kGridLine, RECT{10, 29, 90, 30}));
    EXPECT_EQ(kWhite, p.At(10, 10));
    EXPECT_EQ(RGB(1, 2, 3), p.At(90, 10));  // nothing outside the cell
}

TEST_F(CellDrawingTest, ThinBorderLinesUseTheCellsPenAndInsetTheText)
{
    CPen pen(PS_SOLID, 1, kRed);
    cell.PutBorderStyle(0x1 | 0x2);
    cell.PutBorderPen(&pen);
    const auto p = Paint(RECT{10, 10, 90, 30});
    // The grid lines, drawn after them, take the far corners.
    EXPECT_EQ(19, p.Count(kRed, RECT{10, 10, 11, 29}));
    EXPECT_EQ(79, p.Count(kRed, RECT{10, 10, 89, 11}));
    EXPECT_EQ(kGridLine, p.At(89, 20));  // grid lines still close the cell
    EXPECT_EQ(kWhite, p.At(11, 11));
}

TEST_F(CellDrawingTest, TextStartsAfterTheMarginAndStaysInsideTheCell)
{
    cell.PutText(L"Hello");
    cell.PutAlignment(1);
    const auto p = Paint(RECT{10, 10, 90, 30});
    const CSize extent = dc.GetTextExtent(CString(L"Hello"));
    const int first = FirstColumnOf(p, kBlue, RECT{0, 0, 200, 60});
    EXPECT_GE(first, 10 + 4);
    EXPECT_LT(first, 10 + 4 + 3);
    EXPECT_EQ(p.Count(kBlue), p.Count(kBlue, RECT{14, 11, 14 + extent.cx, 11 + extent.cy}));
}

TEST_F(CellDrawingTest, RightAlignedTextEndsAtTheMargin)
{
    cell.PutText(L"Hello");
    cell.PutAlignment(2);
    const auto p = Paint(RECT{10, 10, 150, 30});
    const CSize extent = dc.GetTextExtent(CString(L"Hello"));
    // Inside the grid line the text ends one margin from the right edge.
    EXPECT_EQ(0, p.Count(kBlue, RECT{149 - 4, 10, 150, 30}));
    EXPECT_GT(p.Count(kBlue, RECT{149 - 4 - extent.cx, 10, 149 - 4, 30}), 0);
}

TEST_F(CellDrawingTest, ADisabledCellIsGreyEvenWhenSelectedOrCurrent)
{
    cell.PutText(L"Off");
    cell.PutTypeStyle(0x4000);
    grid.Info()->m_currentCellHighlight = 2;
    for (int selected : {0, 1}) {
        const auto p = Paint(RECT{10, 10, 90, 30}, selected, 1 - selected);
        EXPECT_GT(p.Count(kVGDisabledTextColor), 0);
        EXPECT_EQ(0, p.Count(kBlue));
    }
}

TEST_F(CellDrawingTest, ASelectedCellUsesTheHighlightColours)
{
    cell.PutText(L"Sel");
    const auto p = Paint(RECT{10, 10, 90, 30}, 1, 0);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), p.At(12, 25));
}

TEST_F(CellDrawingTest, AnEllipsisCellStartsThreePixelsInWhateverItsAlignment)
{
    cell.PutText(L"A long text that cannot fit in the cell at all");
    cell.PutTypeStyle(4);
    cell.PutAlignment(1);
    const auto left = Paint(RECT{10, 10, 90, 30});
    dc.FillSolidRect(0, 0, 200, 60, RGB(1, 2, 3));
    cell.PutAlignment(2);
    const auto right = Paint(RECT{10, 10, 90, 30});
    const int first = FirstColumnOf(left, kBlue, RECT{0, 0, 200, 60});
    EXPECT_EQ(first, FirstColumnOf(right, kBlue, RECT{0, 0, 200, 60}));
    EXPECT_LT(first, 10 + 3 + 3);
    EXPECT_EQ(0, left.Count(kBlue, RECT{89, 0, 200, 60}));
}

TEST_F(CellDrawingTest, ABitmapThatFitsKeepsItsSizeAndATallOneIsReduced)
{
    auto redBitmap = [this](int size, CBitmap* out) {
        out->CreateCompatibleBitmap(&dc, size, size);
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        HGDIOBJ old = memory.SelectObject(out->GetSafeHandle());
        memory.FillSolidRect(0, 0, size, size, kRed);
        memory.SelectObject(old);
    };
    CBitmap small, tall;
    redBitmap(10, &small);
    redBitmap(40, &tall);
    cell.PutBitmap(&small);
    auto p = Paint(RECT{10, 10, 90, 30});
    EXPECT_EQ(100, p.Count(kRed));
    EXPECT_EQ(kRed, p.At(12, 14));  // 2 in, vertically centred in the 19 pixels inside the grid line
    dc.FillSolidRect(0, 0, 200, 60, RGB(1, 2, 3));
    cell.PutBitmap(&tall);
    p = Paint(RECT{10, 10, 90, 30});
    const int height = 19 - 4;
    const int width = 40 * (height * 100 / 40) / 100;
    EXPECT_EQ(width * height, p.Count(kRed));
}

TEST_F(CellDrawingTest, APrinterGetsTheBitmapsOwnColoursAtThePrintScale)
{
    // A monochrome bitmap copied to a colour screen takes the context's text and back colours; a
    // printer gets it as a device-independent bitmap, in the black of its colour table.
    const BYTE zeros[16] = {};
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(8, 8, 1, 1, zeros));
    dc.SetTextColor(kRed);
    RECT rect = {10, 0, 90, 60};
    CVGCellType* type = grid.CellTypeAt(0);
    EXPECT_EQ(8 + 4, type->PaintBitmap(&dc, &mono, &rect, kWhite));
    auto p = support::gui::CaptureDC(dc, RECT{0, 0, 200, 60});
    EXPECT_EQ(64, p.Count(kRed));
    EXPECT_EQ(kRed, p.At(12, 26));

    dc.FillSolidRect(0, 0, 200, 60, RGB(1, 2, 3));
    dc.m_bPrinting = TRUE;
    grid.PrintSettings().scaleX = 2.0;
    EXPECT_EQ(16 + 8, type->PaintBitmap(&dc, &mono, &rect, kWhite));
    p = support::gui::CaptureDC(dc, RECT{0, 0, 200, 60});
    EXPECT_EQ(0, p.Count(kRed));
    EXPECT_EQ(256, p.Count(RGB(0, 0, 0)));
    EXPECT_EQ(RGB(0, 0, 0), p.At(14, 22)) << "4 in, vertically centred";
    EXPECT_EQ(RGB(0, 0, 0), p.At(29, 37));
}

TEST_F(CellDrawingTest, MeasuringAnEmptyCellGivesOnlyTheMargins)
{
    CVGCell empty;
    SIZE size = {75, 20};
    grid.CellTypeAt(0)->MeasureCell(&dc, &size, &empty);
    EXPECT_EQ(6, size.cx);
    EXPECT_EQ(2, size.cy);
}

TEST_F(CellDrawingTest, ScaledDrawingGivesTheCallersFontBackAndSurvivesAHiddenRow)
{
    cell.PutText(L"Scaled");
    RECT rect = {0, 0, 150, 40};
    grid.CellTypeAt(0)->PaintCellScaled(&dc, &rect, 0, 0, &cell);
    EXPECT_EQ(font.GetSafeHandle(), ::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT));
    EXPECT_FALSE(cell.HasProperty(VGCELL_FONT));
    grid.ResizeRow(0, 0);
    grid.CellTypeAt(0)->PaintCellScaled(&dc, &rect, 0, 0, &cell);
    EXPECT_EQ(font.GetSafeHandle(), ::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT));
}

TEST_F(CellDrawingTest, APrintedTextRunsOnOverEmptyNeighboursWithinThePrintedColumns)
{
    const wchar_t* text = L"Printed past its column";
    const CSize extent = dc.GetTextExtent(CString(text));
    ASSERT_GT(extent.cx + 4, 75);
    ASSERT_LT(extent.cx + 4, 150);
    cell.PutText(text);
    cell.PutAlignment(1);
    dc.m_bPrinting = TRUE;
    auto printed = [this] {
        dc.FillSolidRect(0, 0, 200, 60, RGB(1, 2, 3));
        RECT rect = {0, 10, 75, 30};
        grid.CellTypeAt(0)->PaintCell(&dc, &rect, 0, 0, &cell, 0, 0);
        return support::gui::CaptureDC(dc, RECT{0, 0, 200, 60});
    };
    grid.SetCellText(2, 0, L"next");
    auto p = printed();
    EXPECT_GT(p.Count(kBlue, RECT{75, 0, 150, 60}), 0) << "the empty neighbour takes the rest";
    EXPECT_EQ(0, p.Count(kBlue, RECT{150, 0, 200, 60}));
    EXPECT_EQ(kGridLine, p.At(149, 20)) << "the widened cell closes after the neighbour";

    grid.PrintSettings().lastColumn = 0;
    p = printed();
    EXPECT_EQ(0, p.Count(kBlue, RECT{75, 0, 200, 60})) << "the printed range ends at the cell";
    grid.PrintSettings().lastColumn = -1;

    grid.SetCellText(1, 0, L"full");
    p = printed();
    EXPECT_EQ(0, p.Count(kBlue, RECT{75, 0, 200, 60})) << "a neighbour with text stops it";
}
