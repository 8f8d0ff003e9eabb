// What the grid window shows: hidden columns, joins drawn once, text running into empty neighbours,
// scrolled repaints equal to full ones, and pictures for a person to look at.
#include "GridWindowFixture.h"

#include "VGLayout.h"
#include "VGMultiSelect.h"

#include <support/gui/Input.h>

#include <map>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// A cell type that counts how often each cell is painted, and with which rectangle.
class CountingType : public CVGCellType {
public:
    std::map<std::pair<int, int>, int> paints;
    std::map<std::pair<int, int>, RECT> rects;
    void PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current) override
    {
        ++paints[{column, row}];
        rects[{column, row}] = *rect;
        CVGCellType::PaintCell(dc, rect, column, row, cell, selected, current);
    }
};

void Join(CVGCtrl& grid, int column, int row, int columns, int rows)
{
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            CVGCell cell;
            grid.GetStoredCell(column + c, row + r, &cell);
            if (c == 0 && r == 0)
                cell.PutJoin(1, columns - 1, rows - 1);
            else
                cell.PutJoin(0, -c, -r);
            grid.StoreCell(column + c, row + r, &cell);
        }
    }
}

}  // namespace

TEST_F(GridWindowTest, AColumnOfWidthZeroIsNeverDrawn)
{
    Fill(4, 6);
    for (int r = 0; r < 6; ++r)
        grid.SetCellBackColor(1, r, kRed);
    grid.RepaintAll();
    EXPECT_GT(Capture(grid.CellArea()).Count(kRed), 0);
    grid.ResizeColumn(1, 0);
    grid.RepaintAll();
    const auto picture = Capture(grid.CellArea());
    EXPECT_EQ(0, picture.Count(kRed));
    int column = -1, row = -1;
    RECT rect;
    ASSERT_EQ(0, grid.HitTestCell(80, 5, &column, &row, &rect));
    EXPECT_EQ(2, column);
}

TEST_F(GridWindowTest, AJoinedCellIsDrawnOnceOverItsWholeBlock)
{
    Fill(5, 6);
    CountingType counting;
    const int type = grid.RegisterCellType(&counting);
    Join(grid, 1, 1, 2, 3);
    grid.SetCellTypeIndex(1, 1, type);
    grid.SetCellText(1, 1, L"joined");
    grid.RepaintAll();
    Capture(grid.CellArea());
    EXPECT_EQ(1, (counting.paints[{1, 1}]));
    EXPECT_EQ(0, (counting.paints.count({2, 2})));
    EXPECT_EQ(CRect(75, 20, 225, 80), CRect(counting.rects[{1, 1}]));
    int column = -1, row = -1;
    RECT rect;
    ASSERT_EQ(0, grid.HitTestCell(200, 70, &column, &row, &rect));
    EXPECT_EQ(1, column);
    EXPECT_EQ(1, row);
}

TEST_F(GridWindowTest, LeftAlignedTextRunsIntoEmptyNeighboursButNotIntoCellsWithText)
{
    Fill(4, 3);
    AlignColumnsLeft(4);
    grid.SetCellText(0, 0, L"WWWWWWWWWWWWWWWWWWWWWWWWWWW");
    grid.SetCellText(1, 0, L"");
    grid.SetCellText(2, 0, L"");
    grid.SetCellText(0, 1, L"WWWWWWWWWWWWWWWWWWWWWWWWWWW");
    grid.SetCellTextColor(0, 0, kRed);
    grid.SetCellTextColor(0, 1, kRed);
    grid.RepaintAll();
    const auto picture = Capture(grid.CellArea());
    EXPECT_GT(picture.Count(kRed, RECT{76, 0, 149, 19}), 0);   // the empty neighbour shows the rest
    EXPECT_EQ(0, picture.Count(kRed, RECT{76, 20, 149, 39}));  // a neighbour with text does not
}

TEST_F(GridWindowTest, AScrolledRepaintEqualsAFullRepaint)
{
    Fill(12, 60);
    grid.SetCellBackColor(2, 14, kRed);
    grid.CellArea().SetFocus();
    grid.MoveToCell(1, 2);
    Capture(grid);
    for (int top : {1, 4, 3, 30, 29}) {
        grid.SetFirstVisibleRow(top);
        grid.SetFirstVisibleColumn(top % 3);
        const auto scrolled = Capture(grid);
        grid.Invalidate(FALSE);
        ::RedrawWindow(grid.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const auto full = Capture(grid);
        ASSERT_EQ(full.pixels.size(), scrolled.pixels.size());
        int differing = 0, firstX = -1, firstY = -1;
        for (size_t i = 0; i < full.pixels.size(); ++i) {
            if (full.pixels[i] != scrolled.pixels[i] && differing++ == 0) {
                firstX = static_cast<int>(i % full.width);
                firstY = static_cast<int>(i / full.width);
            }
        }
        if (differing) {
            support::gui::SavePng(full, support::gui::PicturePath(L"grid-scroll-full"));
            support::gui::SavePng(scrolled, support::gui::PicturePath(L"grid-scroll-copied"));
        }
        EXPECT_EQ(0, differing) << "top row " << top << " first at " << firstX << "," << firstY;
    }
}

TEST_F(GridWindowTest, AWindowCoveringPartOfTheGridForbidsThePixelCopy)
{
    Fill(5, 60);
    EXPECT_TRUE(grid.CellArea().PixelCopyAllowed());
    CWnd cover;
    CRect rect;
    grid.GetWindowRect(&rect);
    dialog->ScreenToClient(&rect);
    cover.Create(L"STATIC", L"", WS_CHILD | WS_VISIBLE, CRect(rect.left + 50, rect.top + 50, rect.left + 120, rect.top + 90),
                 dialog, 555);
    cover.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(grid.CellArea().PixelCopyAllowed());
    cover.DestroyWindow();
}

TEST_F(GridWindowTest, PictureOfHeadingsJoinsASelectionAndTheHint)
{
    Fill(8, 40);
    grid.SetCellText(-1, -1, L"");
    for (int c = 0; c < 8; ++c) {
        wchar_t text[16];
        std::swprintf(text, 16, L"Port %c", L'A' + c);
        grid.SetCellText(c, -1, text);
    }
    for (int r = 0; r < 40; ++r) {
        wchar_t text[16];
        std::swprintf(text, 16, L"%d", r + 1);
        grid.SetCellText(-1, r, text);
    }
    Join(grid, 1, 3, 3, 2);
    grid.SetCellText(1, 3, L"Joined: 3 columns, 2 rows");
    grid.SetCellBackColor(1, 3, RGB(255, 240, 200));
    grid.SetCellAlignment(1, 3, 0x24);
    grid.Info()->m_multipleSelection = 1;
    grid.CellArea().SetFocus();
    grid.Info()->m_moveKind = 1;
    grid.MoveToCell(0, 6);
    grid.Info()->m_moveKeyFlags = MK_SHIFT;
    grid.Info()->m_selection->ApplyPointerMove(2, 9, MK_SHIFT);
    grid.Info()->m_moveKind = 0;
    grid.RepaintAll();
    support::gui::PumpPending();
    grid.Hint().PutHintText(L"Row 17", 0);
    grid.Hint().PutHintAlignment(0x22);
    grid.Hint().PlaceHint(grid.Info()->m_vScrollRect.left - 1, 120, 40);
    support::gui::PumpPending();
    CRect area;
    dialog->GetWindowRect(&area);
    HDC screen = ::GetDC(nullptr);
    const auto picture = support::gui::CaptureDC(screen, area);
    ::ReleaseDC(nullptr, screen);
    EXPECT_TRUE(support::gui::SavePng(picture, support::gui::PicturePath(L"grid-headings-join-selection-hint")));
    const auto cells = Capture(grid.CellArea());
    EXPECT_GT(cells.Count(::GetSysColor(COLOR_HIGHLIGHT)), 0);   // the selection
    EXPECT_GT(cells.Count(RGB(255, 240, 200)), 0);               // the join
}

TEST_F(GridWindowTest, APaintOfTheGridWindowKeepsItsSectionsInPlaceAndHasThemPaintWhatWasAsked)
{
    Fill(5, 6);
    CountingType counting;
    const int type = grid.RegisterCellType(&counting);
    grid.SetCellTypeIndex(0, 0, type);
    grid.RepaintAll();
    Capture(grid.CellArea());
    ASSERT_EQ(1, (counting.paints[{0, 0}]));
    CRect before = ChildRect(grid.CellArea());
    // Asked to paint (as when the window around it repaints with its background), the grid window
    // lays nothing out again, and the cells under what was asked paint once more.
    grid.Invalidate(FALSE);
    grid.UpdateWindow();
    support::gui::PumpPending();
    EXPECT_EQ(2, (counting.paints[{0, 0}]));
    EXPECT_EQ(before, ChildRect(grid.CellArea()));
}

TEST_F(GridWindowTest, TheCellsPaintAgainAfterTheDialogAroundThemRepaintsWithItsBackground)
{
    Fill(4, 6);
    for (int r = 0; r < 6; ++r)
        grid.SetCellBackColor(1, r, kRed);
    grid.RepaintAll();
    ASSERT_GT(Capture(grid.CellArea()).Count(kRed), 0);
    // The dialog's own repaint erases its background over the grid; the red cells show again.
    dialog->Invalidate(TRUE);
    EXPECT_GT(Capture(grid.CellArea()).Count(kRed), 0);
}

TEST_F(GridWindowTest, FittingColumnsToTheWidthKeepsTheirProportionsAndTheLastTakesTheRest)
{
    Fill(3, 4);
    grid.ResizeColumn(0, 100);
    grid.ResizeColumn(1, 100);
    grid.ResizeColumn(2, 200);
    grid.MoveWindow(10, 10, 300 + grid.Info()->m_sideHeadingWidth, 200, TRUE);
    support::gui::PumpPending();
    ASSERT_EQ(0, grid.FitColumnsToWidth(0, 2));
    EXPECT_EQ(75, grid.QueryColumnWidth(0));
    EXPECT_EQ(75, grid.QueryColumnWidth(1));
    EXPECT_EQ(150, grid.QueryColumnWidth(2));
    EXPECT_EQ(1, grid.FitColumnsToWidth(2, 1));
}
