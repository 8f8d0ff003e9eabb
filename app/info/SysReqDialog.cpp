#include "info/SysReqDialog.h"

#include "info/PanelGrid.h"

#include <algorithm>

namespace {

constexpr short kCentred = 4;
constexpr LPCWSTR kHeadings[SysReqDialog::kColumns] = {L"Model", L"FPGA", L"Firmware", L"AP"};

}  // namespace

const int SysReqDialog::kColumnWidths[kColumns] = {60, 60, 92, 60};

const LPCWSTR SysReqDialog::kRequirements[kModels][kColumns] = {
    {L"Brevix-C", L"v1.3b004", L"v0.9b010", L"v1.1b012"},
    {L"Brevix-A", L"v1.3b004", L"v0.9b012", L"v1.1b012"},
    {L"Brevix-H", L"v0.9b043", L"v0.1b007", L"v1.1b012"},
};

SysReqDialog::SysReqDialog(CWnd* pParent) : CDialog(IDD, pParent) {}

void SysReqDialog::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL SysReqDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    const CRect place = info::ControlRect(*this, IDC_INFO_REQUIREMENTS_GRID);
    requirementsGrid.AttachToDialogItem(IDC_INFO_REQUIREMENTS_GRID, this);
    requirementsGrid.MoveWindow(&place);
    requirementsGrid.ShowWindow(SW_SHOW);

    requirementsGrid.SetColumnCount(kColumns, FALSE);
    requirementsGrid.SetRowCount(kModels, FALSE);
    requirementsGrid.ResizeColumn(-1, 0);
    for (int column = 0; column < kColumns; ++column) requirementsGrid.ResizeColumn(column, kColumnWidths[column]);
    // The last model's row keeps the grid's default height.
    requirementsGrid.ResizeRow(-1, kHeadingHeight);
    requirementsGrid.ResizeRow(0, kRowHeight);
    requirementsGrid.ResizeRow(1, kRowHeight);
    for (int column = 0; column < kColumns; ++column) {
        requirementsGrid.SetCellAlignment(column, -1, kCentred);
        requirementsGrid.SetCellText(column, -1, kHeadings[column]);
    }
    for (int row = 0; row < kModels; ++row)
        for (int column = 0; column < kColumns; ++column)
            requirementsGrid.SetCellText(column, row, kRequirements[row][column]);
    FitTable();
    return TRUE;
}

void SysReqDialog::FitTable() {
    // The table's columns and rows are pixels, the window's template dialog units, which the dialog's
    // font scales: with a narrower font the grid's place would cut columns and rows. The grid grows
    // to the whole table, the window to the grid, and OK keeps its place below the grid.
    int width = 0, height = 0;
    for (int column = 0; column < kColumns; ++column) width += requirementsGrid.QueryColumnWidth(column);
    for (int row = 0; row < kModels; ++row) height += requirementsGrid.QueryRowHeight(row);
    CRect cells;
    requirementsGrid.CellArea().GetClientRect(&cells);
    const int moreWidth = std::max(0, width + 1 - cells.Width());
    const int moreHeight = std::max(0, height + 1 - cells.Height());
    if (moreWidth == 0 && moreHeight == 0) return;

    CRect grid = info::ControlRect(*this, IDC_INFO_REQUIREMENTS_GRID);
    const CRect ok = info::ControlRect(*this, IDOK);
    CRect client;
    GetClientRect(&client);
    const int rightMargin = client.right - std::max(grid.right, ok.right);
    const int gapBelowGrid = ok.top - grid.bottom;
    const int bottomMargin = client.bottom - ok.bottom;

    grid.right += moreWidth;
    grid.bottom += moreHeight;
    requirementsGrid.MoveWindow(&grid);
    const int right = std::max(client.right, grid.right + rightMargin);
    const int okTop = grid.bottom + gapBelowGrid;
    if (CWnd* button = GetDlgItem(IDOK))
        button->MoveWindow(right - rightMargin - ok.Width(), okTop, ok.Width(), ok.Height());
    CRect window;
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.Width() + (right - client.right),
                 window.Height() + (okTop + ok.Height() + bottomMargin - client.bottom),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SysReqDialog::Retext(LPCWSTR title, LPCWSTR platformTitle, LPCWSTR modelHeading, LPCWSTR firmwareHeading) {
    SetWindowText(title);
    SetDlgItemText(IDC_INFO_REQUIREMENTS_TITLE, platformTitle);
    requirementsGrid.SetCellText(0, -1, modelHeading);
    requirementsGrid.SetCellText(2, -1, firmwareHeading);
    requirementsGrid.RepaintAll();
}
