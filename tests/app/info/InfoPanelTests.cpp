// The information panels created from their templates as the main dialog creates them, read back
// from their windows and pictures.
#include "info/About.h"
#include "info/MainView.h"
#include "info/SysReqDialog.h"
#include "info/System.h"
#include "InfoTestIds.h"

#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>
#include <support/Waiting.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

using support::gui::PumpPending;

const std::vector<std::wstring> kLabels = {L"Model",        L"Agent / Customer", L"S/N",
                                           L"MAC",          L"PCB Version",      L"API Version",
                                           L"FPGA version", L"FW version",       L"Manufacture Date"};

class InfoPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host = new CDialog;
        ASSERT_TRUE(host->Create(IDD_TEST_HOST));
        host->ShowWindow(SW_SHOW);
    }
    static void TearDownTestSuite() {
        host->DestroyWindow();
        delete host;
    }

    static CRect RectIn(CWnd& dialog, HWND control) {
        CRect rect;
        ::GetWindowRect(control, &rect);
        dialog.ScreenToClient(&rect);
        return rect;
    }
    static CRect RectIn(CWnd& dialog, int id) { return RectIn(dialog, ::GetDlgItem(dialog.GetSafeHwnd(), id)); }
    static int Width(CWnd& window) { return RectIn(window, window.GetSafeHwnd()).Width(); }
    static int Height(CWnd& window) { return RectIn(window, window.GetSafeHwnd()).Height(); }
    static std::vector<std::wstring> Column(CVGCtrl& grid, int column) {
        std::vector<std::wstring> texts;
        for (int row = 0; row < grid.QueryRowCount(); ++row) texts.emplace_back(grid.GetCellText(column, row));
        return texts;
    }
    static LOGFONTW Font(CFont* font) {
        LOGFONTW record = {};
        if (font) ::GetObjectW(font->GetSafeHandle(), sizeof record, &record);
        return record;
    }
    // Checks the identity grid against the frame it is placed by and its row layout.
    static void ExpectIdentityGrid(CWnd& panel, CVGCtrl& grid, int frameId, int rightMargin, int bottomMargin,
                                   int sideWidth, int valueWidth, int rowHeight, const wchar_t* face) {
        const CRect frame = RectIn(panel, frameId);
        EXPECT_EQ(CRect(frame.left + 2, frame.top + 2, frame.left + 2 + frame.right - rightMargin,
                        frame.top + 2 + frame.bottom - bottomMargin),
                  RectIn(panel, grid.GetSafeHwnd()));
        EXPECT_EQ(1, grid.QueryColumnCount());
        EXPECT_EQ(valueWidth, grid.QueryColumnWidth(0));
        EXPECT_EQ(sideWidth, Width(grid.SideHeading()));
        EXPECT_EQ(0, Height(grid.TopHeading()));
        EXPECT_EQ(kLabels, Column(grid, -1));
        for (int row = 0; row < 9; ++row) {
            EXPECT_EQ(rowHeight, grid.QueryRowHeight(row)) << row;
            for (int column : {-1, 0}) {
                CVGCell cell;
                grid.GetStoredCell(column, row, &cell);
                EXPECT_EQ(0x20, cell.ReadAlignment()) << row;
                const LOGFONTW font = Font(cell.ReadFont());
                EXPECT_STREQ(face, font.lfFaceName) << row;
                EXPECT_EQ(16, font.lfHeight);
                EXPECT_EQ(1, font.lfWeight);
            }
        }
    }

    static inline CDialog* host = nullptr;
};

TEST_F(InfoPanelTest, MainViewShowsTheTesterAndTheLogoOnGrey) {
    CMainView view;
    ASSERT_TRUE(view.Create(host));
    view.ShowWindow(SW_SHOW);
    PumpPending();
    const support::gui::Picture shown = support::gui::CaptureWindow(view.GetSafeHwnd());
    support::gui::SavePng(shown, support::gui::PicturePath(L"info-main-view"));
    EXPECT_EQ(RGB(196, 196, 196), shown.At(2, 2));
    const CRect caption = RectIn(view, ::GetWindow(view.GetSafeHwnd(), GW_CHILD));
    EXPECT_EQ(RGB(196, 196, 196), shown.At(caption.right - 2, caption.top + 1)) << "behind the caption";

    // Each bitmap's pixels (but its mask colour) where its control is.
    for (auto [id, bitmapId] : {std::pair{IDC_INFO_MAIN_PICTURE, 278}, std::pair{IDC_INFO_MAIN_LOGO, 184}}) {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(bitmapId));
        CDC memory;
        memory.CreateCompatibleDC(nullptr);
        BITMAP size = {};
        bitmap.GetObject(sizeof size, &size);
        const HGDIOBJ previous = memory.SelectObject(bitmap.GetSafeHandle());
        const support::gui::Picture drawn =
            support::gui::CaptureDC(memory.GetSafeHdc(), {0, 0, size.bmWidth, size.bmHeight});
        memory.SelectObject(previous);
        const CPoint at = RectIn(view, id).TopLeft();
        int differing = 0;
        for (int y = 0; y < drawn.height; y += 5)
            for (int x = 0; x < drawn.width; x += 5)
                if (drawn.At(x, y) != RGB(140, 0, 140) && shown.At(at.x + x, at.y + y) != drawn.At(x, y)) ++differing;
        EXPECT_EQ(0, differing) << bitmapId;
    }
    view.DestroyWindow();
}

TEST_F(InfoPanelTest, SystemPageShowsNineLabelledIdentityRowsBesideItsPicture) {
    CSystem system;
    ASSERT_TRUE(system.Create(host));
    ExpectIdentityGrid(system, system.infoGrid, IDC_INFO_SYSTEM_FRAME, 57, 70, 120, 150, 32, L"Arial ");
    EXPECT_EQ(199u, system.picture.BitmapId());
    EXPECT_EQ(184u, system.logo.BitmapId());

    const std::vector<std::wstring> demo = {L"Brevix-A/C",        L"Quendal agent", L"0JBVX30000XX",
                                            L"02-5E-C1-22-XX-XX", L"v.MP05",        L"v1.0b000",
                                            L"v1.0b000",          L"v1.0b000",      L"2009/07/24"};
    for (int row = 0; row < 9; ++row) system.infoGrid.SetCellText(0, row, demo[row].c_str());
    system.ShowWindow(SW_SHOW);
    system.infoGrid.RepaintAll();
    PumpPending();
    EXPECT_EQ(demo, Column(system.infoGrid, 0));
    EXPECT_LE(9 * 32, Height(system.infoGrid.CellArea())) << "every row in view";
    EXPECT_LE(150, Width(system.infoGrid.CellArea()));
    support::gui::SavePng(support::gui::CaptureWindow(system.GetSafeHwnd()), support::gui::PicturePath(L"info-system"));
    system.DestroyWindow();
}

TEST_F(InfoPanelTest, AboutPanelStaysHiddenAndHoldsTheIdentityRows) {
    CAbout about;
    ASSERT_TRUE(about.Create(host));
    PumpPending();
    EXPECT_FALSE(about.IsWindowVisible());
    EXPECT_EQ(L"QT714-NIC \tv1.1b012", support::gui::ControlText(about.GetSafeHwnd(), IDC_INFO_ABOUT_PRODUCT));
    CClientDC screen(nullptr);
    const LOGFONTW font = Font(about.GetDlgItem(IDC_INFO_ABOUT_RIGHTS)->GetFont());
    EXPECT_STREQ(L"Arial", font.lfFaceName);
    EXPECT_EQ(-::MulDiv(81, screen.GetDeviceCaps(LOGPIXELSY), 720), font.lfHeight) << "8.1 points";
    ExpectIdentityGrid(about, about.aboutGrid, IDC_INFO_ABOUT_FRAME, 32, 120, 145, 135, 25, L"Arial");
    about.DestroyWindow();
}

TEST_F(InfoPanelTest, RequirementsWindowListsThreeModelsAndTakesALanguageSwitch) {
    SysReqDialog requirements;
    ASSERT_TRUE(requirements.Create(host));
    requirements.CenterWindow();
    requirements.ShowWindow(SW_SHOW);
    PumpPending();
    MyGrid& grid = requirements.requirementsGrid;
    auto row = [&](int r) {
        std::vector<std::wstring> texts;
        for (int column = 0; column < grid.QueryColumnCount(); ++column)
            texts.emplace_back(grid.GetCellText(column, r));
        return texts;
    };
    EXPECT_EQ(L"System Requirements", support::gui::WindowText(requirements.GetSafeHwnd()));
    EXPECT_EQ((std::vector<std::wstring>{L"Model", L"FPGA", L"Firmware", L"AP"}), row(-1));
    EXPECT_EQ((std::vector<std::wstring>{L"Brevix-C", L"v1.3b004", L"v0.9b010", L"v1.1b012"}), row(0));
    EXPECT_EQ((std::vector<std::wstring>{L"Brevix-A", L"v1.3b004", L"v0.9b012", L"v1.1b012"}), row(1));
    EXPECT_EQ((std::vector<std::wstring>{L"Brevix-H", L"v0.9b043", L"v0.1b007", L"v1.1b012"}), row(2));
    EXPECT_EQ(3, grid.QueryRowCount());
    EXPECT_EQ(0, Width(grid.SideHeading()));
    EXPECT_EQ(92, grid.QueryColumnWidth(2));
    EXPECT_EQ(25, Height(grid.TopHeading()));
    EXPECT_EQ(25, grid.QueryRowHeight(1));
    EXPECT_EQ(grid.Info()->m_defaultRowHeight, grid.QueryRowHeight(2));
    EXPECT_LE(60 + 60 + 92 + 60, Width(grid.CellArea())) << "the whole table in view";
    EXPECT_LE(25 + 25 + grid.QueryRowHeight(2), Height(grid.CellArea()));
    support::gui::SavePng(support::gui::CaptureWindow(requirements.GetSafeHwnd(), false),
                          support::gui::PicturePath(L"info-requirements"));

    requirements.Retext(L"動作環境", L"動作プラットフォーム要件", L"機種", L"ファームウェア");
    EXPECT_EQ(L"動作環境", support::gui::WindowText(requirements.GetSafeHwnd()));
    EXPECT_EQ(L"動作プラットフォーム要件",
              support::gui::ControlText(requirements.GetSafeHwnd(), IDC_INFO_REQUIREMENTS_TITLE));
    EXPECT_EQ((std::vector<std::wstring>{L"機種", L"FPGA", L"ファームウェア", L"AP"}), row(-1));

    ASSERT_TRUE(support::gui::ClickOnScreen(requirements.GetDlgItem(IDOK)->GetSafeHwnd())) << "OK is where the pointer lands";
    EXPECT_TRUE(support::gui::PumpUntil([&] { return !requirements.IsWindowVisible(); }, 5000)) << "OK hides it";
    requirements.DestroyWindow();
}

// With the dialog font of the program's own prefix and with smaller ones, the requirements window
// shows the whole table, all four columns and three rows, on the screen, with OK below it.
TEST_F(InfoPanelTest, RequirementsWindowShowsTheWholeTableWhateverTheDialogFont) {
    for (WORD points : {8, 7, 6}) {
        SCOPED_TRACE(points);
        const std::vector<BYTE> bytes = support::gui::DialogTemplateWithPointSize(IDD_INFO_REQUIREMENTS, points);
        ASSERT_FALSE(bytes.empty());
        SysReqDialog requirements;
        ASSERT_TRUE(requirements.CreateIndirect(reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), host));
        requirements.CenterWindow();
        requirements.ShowWindow(SW_SHOW);
        MyGrid& grid = requirements.requirementsGrid;
        int width = 0, height = 0;
        for (int column = 0; column < SysReqDialog::kColumns; ++column) width += grid.QueryColumnWidth(column);
        for (int row = 0; row < SysReqDialog::kModels; ++row) height += grid.QueryRowHeight(row);
        if (support::gui::InBootedPrefix() && points == 8) {
            // The case at hand: the template's place of the table is narrower than its columns here.
            CRect templatePlace(14, 64, 172, 130);
            requirements.MapDialogRect(&templatePlace);
            EXPECT_LT(templatePlace.Width(), width) << "the booted prefix's dialog font is the narrow one";
        }
        EXPECT_LE(width, Width(grid.CellArea())) << "every column in view";
        EXPECT_LE(height, Height(grid.CellArea())) << "every row in view";
        CRect client;
        requirements.GetClientRect(&client);
        const CRect gridPlace = RectIn(requirements, grid.GetSafeHwnd());
        const CRect ok = RectIn(requirements, IDOK);
        EXPECT_TRUE(client.PtInRect(gridPlace.BottomRight() - CSize(1, 1))) << "the grid inside the window";
        EXPECT_GE(ok.top, gridPlace.bottom) << "OK below the grid";
        EXPECT_LE(ok.bottom, client.bottom) << "OK inside the window";

        // On the screen: the last model's AP version is drawn in the last column's cell.
        const int left = width - grid.QueryColumnWidth(SysReqDialog::kColumns - 1);
        const int top = height - grid.QueryRowHeight(SysReqDialog::kModels - 1);
        const auto lastCellDrawn = [&] {
            const support::gui::Picture cells = support::gui::CaptureWindow(grid.CellArea().GetSafeHwnd(), false);
            int dark = 0;
            // Inside the cell's lines; the small fonts' strokes come out grey.
            for (int y = top + 2; y < std::min(height - 2, int(cells.height)); ++y)
                for (int x = left + 2; x < std::min(width - 2, int(cells.width)); ++x) {
                    const COLORREF pixel = cells.At(x, y);
                    dark += GetRValue(pixel) < 192 && GetGValue(pixel) < 192 && GetBValue(pixel) < 192 ? 1 : 0;
                }
            return dark > 20;
        };
        EXPECT_TRUE(support::gui::PumpUntil(lastCellDrawn, kPatienceMs)) << "the last cell's text is drawn";
        support::gui::SavePng(support::gui::CaptureWindow(requirements.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"info-requirements-" + std::to_wstring(points) + L"pt" +
                                                        support::gui::PrefixSuffix()));
        requirements.DestroyWindow();
    }
}

}  // namespace
