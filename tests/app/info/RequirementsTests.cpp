// The System Requirements window: its table, its texts before and after a language switch, and OK.
#include "PanelHost.h"

#include "info/SysReqDialog.h"

#include <support/gui/Input.h>

#include <string>
#include <vector>

namespace {

using support::gui::PumpPending;

class RequirementsTest : public PanelHost {
protected:
    void SetUp() override {
        ASSERT_TRUE(requirements.Create(host));
        requirements.CenterWindow();
    }
    void TearDown() override { requirements.DestroyWindow(); }

    std::vector<std::wstring> Row(int row) {
        std::vector<std::wstring> texts;
        for (int column = -1; column < 4; ++column)
            texts.emplace_back(requirements.requirementsGrid.GetCellText(column, row));
        return texts;
    }

    SysReqDialog requirements;
};

TEST_F(RequirementsTest, ListsExactlyThreeModelsWithTheirVersions) {
    MyGrid& grid = requirements.requirementsGrid;
    EXPECT_EQ(4, grid.QueryColumnCount());
    EXPECT_EQ(3, grid.QueryRowCount());
    EXPECT_EQ((std::vector<std::wstring>{L"", L"Model", L"FPGA", L"Firmware", L"AP"}), Row(-1));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"Brevix-C", L"v1.3b004", L"v0.9b010", L"v1.1b012"}), Row(0));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"Brevix-A", L"v1.3b004", L"v0.9b012", L"v1.1b012"}), Row(1));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"Brevix-H", L"v0.9b043", L"v0.1b007", L"v1.1b012"}), Row(2));
    for (int column = 0; column < 4; ++column) EXPECT_EQ(4, CellAlignment(grid, column, -1)) << "centred heading";
}

TEST_F(RequirementsTest, ColumnsAndRowsHaveTheirSizesAndTheLastRowTheGridDefault) {
    MyGrid& grid = requirements.requirementsGrid;
    EXPECT_EQ(0, ClientWidth(grid.SideHeading()));
    EXPECT_EQ(60, grid.QueryColumnWidth(0));
    EXPECT_EQ(60, grid.QueryColumnWidth(1));
    EXPECT_EQ(92, grid.QueryColumnWidth(2));
    EXPECT_EQ(60, grid.QueryColumnWidth(3));
    EXPECT_EQ(25, ClientHeight(grid.TopHeading()));
    EXPECT_EQ(25, grid.QueryRowHeight(0));
    EXPECT_EQ(25, grid.QueryRowHeight(1));
    EXPECT_EQ(grid.Info()->m_defaultRowHeight, grid.QueryRowHeight(2));
    EXPECT_EQ(RectIn(requirements, IDC_INFO_REQUIREMENTS_GRID), RectIn(requirements, grid.GetSafeHwnd()));
    EXPECT_TRUE(grid.IsWindowVisible() || !requirements.IsWindowVisible());
}

TEST_F(RequirementsTest, ShownItReadsAsTheRequirementsAndOkHidesIt) {
    requirements.ShowWindow(SW_SHOW);
    PumpPending();
    EXPECT_EQ(L"System Requirements", support::gui::WindowText(requirements.GetSafeHwnd()));
    EXPECT_EQ(L"Operation platform requirements",
              support::gui::ControlText(requirements.GetSafeHwnd(), IDC_INFO_REQUIREMENTS_TITLE));
    EXPECT_TRUE(requirements.requirementsGrid.IsWindowVisible());

    // The whole table is in view: every column and every row inside the cell area.
    CRect cells;
    requirements.requirementsGrid.CellArea().GetClientRect(&cells);
    EXPECT_LE(60 + 60 + 92 + 60, cells.Width());
    EXPECT_LE(25 + 25 + requirements.requirementsGrid.QueryRowHeight(2), cells.Height());
    support::gui::SavePng(support::gui::CaptureWindow(requirements.GetSafeHwnd(), false),
                          support::gui::PicturePath(L"info-requirements"));

    support::gui::ClickButton(requirements.GetSafeHwnd(), IDOK);
    EXPECT_TRUE(support::gui::PumpUntil([&] { return !requirements.IsWindowVisible(); }, 5000));
    EXPECT_TRUE(::IsWindow(requirements.GetSafeHwnd())) << "hidden, kept for the next time";
}

TEST_F(RequirementsTest, ALanguageSwitchRewritesTitleCaptionAndTwoHeadings) {
    requirements.Retext(L"動作環境", L"動作プラットフォーム要件", L"機種", L"ファームウェア");
    EXPECT_EQ(L"動作環境", support::gui::WindowText(requirements.GetSafeHwnd()));
    EXPECT_EQ(L"動作プラットフォーム要件",
              support::gui::ControlText(requirements.GetSafeHwnd(), IDC_INFO_REQUIREMENTS_TITLE));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"機種", L"FPGA", L"ファームウェア", L"AP"}), Row(-1));
    EXPECT_EQ(L"Brevix-C", Row(0)[1]);
}

}  // namespace
