#include "info/PanelGrid.h"

namespace info {
namespace {

constexpr int kFontHeight = 16;
constexpr int kFontWeight = 1;

}  // namespace

const LPCWSTR kIdentityRowLabels[kIdentityRows] = {
    L"Model",      L"Agent / Customer", L"S/N", L"MAC", L"PCB Version", L"API Version", L"FPGA version",
    L"FW version", L"Manufacture Date",
};

CRect ControlRect(CWnd& dialog, int controlId) {
    CRect rect;
    if (CWnd* control = dialog.GetDlgItem(controlId)) {
        control->GetWindowRect(&rect);
        dialog.ScreenToClient(&rect);
    }
    return rect;
}

void PlaceIdentityGrid(CWnd& panel, CVGCtrl& grid, const IdentityGridLayout& layout) {
    PlaceLabelledGrid(panel, grid, layout, kIdentityRowLabels, kIdentityRows);
}

void PlaceLabelledGrid(CWnd& panel, CVGCtrl& grid, const IdentityGridLayout& layout, const LPCWSTR* labels,
                       int rowCount) {
    const CRect frame = ControlRect(panel, layout.frameId);
    grid.AttachToDialogItem(layout.gridId, &panel);
    grid.MoveWindow(frame.left + 2, frame.top + 2, frame.right - layout.rightMargin,
                    frame.bottom - layout.bottomMargin);

    grid.SetColumnCount(1, FALSE);
    grid.SetRowCount(rowCount, FALSE);
    grid.ResizeColumn(-1, layout.sideHeadingWidth);
    grid.ResizeColumn(0, layout.valueColumnWidth);
    grid.SetCellText(0, -1, L"");
    grid.ResizeRow(-1, 0);
    const int font = grid.RegisterFont(layout.fontFace, kFontHeight, kFontWeight);
    for (int row = 0; row < rowCount; ++row) {
        grid.ResizeRow(row, layout.rowHeight);
        grid.SetCellText(-1, row, labels[row]);
        for (int column : {-1, 0}) {
            grid.SetCellAlignment(column, row, kVerticalCentre);
            grid.SetCellFont(column, row, font);
        }
    }
}

}  // namespace info
