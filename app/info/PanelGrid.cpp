#include "info/PanelGrid.h"

namespace info {
namespace {

constexpr int kFontHeight = 16;
constexpr int kFontWeight = 1;

}  // namespace

CRect ControlRect(CWnd& dialog, int controlId) {
    CRect rect;
    if (CWnd* control = dialog.GetDlgItem(controlId)) {
        control->GetWindowRect(&rect);
        dialog.ScreenToClient(&rect);
    }
    return rect;
}

void LayOutIdentityGrid(CVGCtrl& grid, const IdentityGridLayout& layout) {
    grid.SetColumnCount(1, FALSE);
    grid.SetRowCount(layout.rows, FALSE);
    grid.ResizeColumn(-1, layout.sideHeadingWidth);
    grid.ResizeColumn(0, layout.valueColumnWidth);
    grid.SetCellText(0, -1, L"");
    grid.ResizeRow(-1, 0);
    const int font = grid.RegisterFont(layout.fontFace, kFontHeight, kFontWeight);
    for (int row = 0; row < layout.rows; ++row) {
        grid.ResizeRow(row, layout.rowHeight);
        if (layout.sideLabels) grid.SetCellText(-1, row, layout.sideLabels[row]);
        for (int column : {-1, 0}) {
            grid.SetCellAlignment(column, row, kVerticalCentre);
            grid.SetCellFont(column, row, font);
        }
    }
}

}  // namespace info
