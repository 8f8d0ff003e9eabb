// The main view, the system information page and the hidden About panel, created from their
// templates as the main dialog creates them, read back from their windows.
#include "PanelHost.h"

#include "info/About.h"
#include "info/MainView.h"
#include "info/System.h"

#include <string>
#include <vector>

namespace {

using support::gui::PumpPending;

constexpr COLORREF kPanelGrey = RGB(196, 196, 196);
constexpr COLORREF kMask = RGB(140, 0, 140);

// The bitmap as its resource holds it, to compare with what a panel shows.
support::gui::Picture BitmapPicture(UINT id) {
    HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof info, &info);
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(dc, bitmap);
    support::gui::Picture picture = support::gui::CaptureDC(dc, RECT{0, 0, info.bmWidth, info.bmHeight});
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return picture;
}

// How many of the bitmap's unmasked pixels a window shows at the same place, out of those looked at
// (every 7th pixel of every 7th row).
std::pair<int, int> ShownBitmapPixels(const support::gui::Picture& shown, POINT at,
                                      const support::gui::Picture& bitmap) {
    int same = 0;
    int looked = 0;
    for (int y = 0; y < bitmap.height; y += 7) {
        for (int x = 0; x < bitmap.width; x += 7) {
            if (bitmap.At(x, y) == kMask || at.x + x >= shown.width || at.y + y >= shown.height) continue;
            ++looked;
            if (shown.At(at.x + x, at.y + y) == bitmap.At(x, y)) ++same;
        }
    }
    return {same, looked};
}

// The identity rows' labels, as the About box's record lists the fields.
std::vector<std::wstring> IdentityLabels() {
    return {L"Model",      L"Agent / Customer", L"S/N", L"MAC", L"PCB Version", L"API Version", L"FPGA version",
            L"FW version", L"Manufacture Date"};
}

class InfoPanelTest : public PanelHost {};

TEST_F(InfoPanelTest, MainViewShowsTheTesterAndTheLogoOnGrey) {
    CMainView view(host);
    ASSERT_TRUE(view.Create(host));

    view.ShowWindow(SW_SHOW);
    PumpPending();
    EXPECT_EQ(278u, view.picture.BitmapId());
    EXPECT_EQ(184u, view.logo.BitmapId());

    const support::gui::Picture shown = support::gui::CaptureWindow(view.GetSafeHwnd());
    EXPECT_EQ(kPanelGrey, shown.At(2, 2)) << "the panel itself";
    const CRect caption = RectIn(view, ::GetWindow(view.GetSafeHwnd(), GW_CHILD));
    EXPECT_EQ(kPanelGrey, shown.At(caption.right - 2, caption.top + 1)) << "behind the caption's text";
    for (const auto& [id, bitmap] : {std::pair{IDC_INFO_MAIN_PICTURE, 278}, std::pair{IDC_INFO_MAIN_LOGO, 184}}) {
        const CRect place = RectIn(view, id);
        const auto [same, looked] = ShownBitmapPixels(shown, place.TopLeft(), BitmapPicture(bitmap));
        EXPECT_LT(20, looked) << bitmap;
        EXPECT_EQ(looked, same) << "bitmap " << bitmap << " drawn where its control is";
    }
    support::gui::SavePng(shown, support::gui::PicturePath(L"info-main-view"));
    view.DestroyWindow();
}

class SystemPanelTest : public PanelHost {
protected:
    void SetUp() override { ASSERT_TRUE(system.Create(host)); }
    void TearDown() override { system.DestroyWindow(); }

    CSystem system;
};

TEST_F(SystemPanelTest, GridSitsInTheFrameSizedByItsRightAndBottom) {
    const CRect frame = RectIn(system, IDC_INFO_SYSTEM_FRAME);
    const CRect grid = RectIn(system, system.infoGrid.GetSafeHwnd());
    EXPECT_EQ(IDC_INFO_SYSTEM_GRID, ::GetDlgCtrlID(system.infoGrid.GetSafeHwnd()));
    EXPECT_EQ(frame.left + 2, grid.left);
    EXPECT_EQ(frame.top + 2, grid.top);
    EXPECT_EQ(frame.right - 57, grid.Width());
    EXPECT_EQ(frame.bottom - 70, grid.Height());
}

TEST_F(SystemPanelTest, NineRowsOfThirtyTwoUnderNoHeadingInArialBlankSixteen) {
    MyGrid& grid = system.infoGrid;
    EXPECT_EQ(1, grid.QueryColumnCount());
    EXPECT_EQ(9, grid.QueryRowCount());
    EXPECT_EQ(150, grid.QueryColumnWidth(0));
    EXPECT_EQ(120, ClientWidth(grid.SideHeading()));
    EXPECT_EQ(0, ClientHeight(grid.TopHeading()));
    EXPECT_STREQ(L"", grid.GetCellText(0, -1));
    for (int row = 0; row < 9; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(32, grid.QueryRowHeight(row));
        for (int column : {-1, 0}) {
            EXPECT_EQ(0x20, CellAlignment(grid, column, row));
            const LOGFONTW font = CellFont(grid, column, row);
            EXPECT_STREQ(L"Arial ", font.lfFaceName);
            EXPECT_EQ(16, font.lfHeight);
            EXPECT_EQ(1, font.lfWeight);
        }
    }
    EXPECT_EQ(199u, system.picture.BitmapId());
    EXPECT_EQ(184u, system.logo.BitmapId());
}

TEST_F(SystemPanelTest, ShowsTheIdentityRowsItIsGiven) {
    const std::vector<std::wstring> rows = {L"Brevix-A/C",        L"Quendal agent", L"0JBVX30000XX",
                                            L"02-5E-C1-22-XX-XX", L"v.MP05",        L"v1.0b000",
                                            L"v1.0b000",          L"v1.0b000",      L"2009/07/24"};
    for (int row = 0; row < 9; ++row) {
        system.infoGrid.SetCellText(0, row, rows[row].c_str());
    }
    system.ShowWindow(SW_SHOW);
    system.infoGrid.RepaintAll();
    PumpPending();
    EXPECT_EQ(rows, ColumnTexts(system.infoGrid, 0));
    EXPECT_EQ(IdentityLabels(), ColumnTexts(system.infoGrid, -1));

    // Every row is wholly inside the grid: nine rows of 32 fit the height the frame gives.
    CRect cells;
    system.infoGrid.CellArea().GetClientRect(&cells);
    EXPECT_LE(9 * 32, cells.Height());
    EXPECT_LE(150, cells.Width());
    support::gui::SavePng(support::gui::CaptureWindow(system.GetSafeHwnd()), support::gui::PicturePath(L"info-system"));
}

TEST_F(InfoPanelTest, AboutPanelStaysHiddenAndHoldsNineLabelledRows) {
    CAbout about;
    ASSERT_TRUE(about.Create(nullptr));
    PumpPending();
    EXPECT_FALSE(about.IsWindowVisible());
    EXPECT_EQ(L"QT714-NIC \tv1.1b012", support::gui::ControlText(about.GetSafeHwnd(), IDC_INFO_ABOUT_PRODUCT));

    HDC screen = ::GetDC(nullptr);
    const int expectedHeight = -::MulDiv(81, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
    ::ReleaseDC(nullptr, screen);
    for (int id : {IDC_INFO_ABOUT_PRODUCT, IDC_INFO_ABOUT_COPYRIGHT, IDC_INFO_ABOUT_RIGHTS}) {
        LOGFONTW font = {};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(about.GetSafeHwnd(), id, WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        EXPECT_STREQ(L"Arial", font.lfFaceName) << id;
        EXPECT_EQ(expectedHeight, font.lfHeight) << id << ": 8.1 points";
    }

    const CRect frame = RectIn(about, IDC_INFO_ABOUT_FRAME);
    const CRect grid = RectIn(about, about.aboutGrid.GetSafeHwnd());
    EXPECT_EQ(frame.left + 2, grid.left);
    EXPECT_EQ(frame.top + 2, grid.top);
    EXPECT_EQ(frame.right - 32, grid.Width());
    EXPECT_EQ(frame.bottom - 120, grid.Height());

    MyGrid& rows = about.aboutGrid;
    EXPECT_EQ(1, rows.QueryColumnCount());
    EXPECT_EQ(135, rows.QueryColumnWidth(0));
    EXPECT_EQ(145, ClientWidth(rows.SideHeading()));
    EXPECT_EQ(0, ClientHeight(rows.TopHeading()));
    EXPECT_EQ(IdentityLabels(), ColumnTexts(rows, -1));
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ(25, rows.QueryRowHeight(row)) << row;
        EXPECT_EQ(0x20, CellAlignment(rows, 0, row)) << row;
        EXPECT_STREQ(L"Arial", CellFont(rows, -1, row).lfFaceName) << row;
    }
    about.DestroyWindow();
}

}  // namespace
