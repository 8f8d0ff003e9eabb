#include "VGHeadingDrag.h"

#include "VGCtrl.h"

namespace VGHeadingDrag {

void MoveMarker(CVGCtrl* grid, RECT* marker, const RECT* next)
{
    CVGGrid& cells = grid->CellArea();
    if (!cells.GetSafeHwnd())
        return;
    CClientDC dc(&cells);
    if (marker->left != -1)
        dc.DrawFocusRect(marker);
    if (next) {
        *marker = *next;
        dc.DrawFocusRect(marker);
    } else {
        *marker = RECT{-1, -1, -1, -1};
    }
}

void ForgetMarker(CVGCtrl*, RECT* marker)
{
    *marker = RECT{-1, -1, -1, -1};
}

void PaintHeadingCell(CVGCtrl* grid, CDC* dc, CellRedrawList& redraw, CVGCell& cell, int column, int row, RECT rect,
                      int selected)
{
    if (!redraw.InRanges(column, row))
        return;
    grid->GetEffectiveCell(column, row, &cell);
    if (cell.HasProperty(VGCELL_JOIN) && grid->Info()->m_joinedCells) {
        int startColumn = column, startRow = row;
        if (grid->ComputeCellRect(&startColumn, &startRow, &rect) != 0)
            return;
        if (redraw.WasDrawn(startColumn, startRow))
            return;
        redraw.AddDrawnCell(startColumn, startRow);
        if (startColumn != column || startRow != row)
            grid->GetEffectiveCell(startColumn, startRow, &cell);
        column = startColumn;
        row = startRow;
    }
    if (::IsRectEmpty(&rect))
        return;
    CVGCellType* type = grid->TypeOfCell(&cell);
    const int saved = dc->SaveDC();
    type->PaintCell(dc, &rect, column, row, &cell, selected, 0);
    dc->RestoreDC(saved);
}

int JoinedCellRect(CVGCtrl* grid, HeadingCellRectFn cellRect, int* column, int* row, RECT* rect)
{
    const CVGGridInfo& info = *grid->Info();
    if (cellRect(info, *column, *row, rect) != 0)
        return 1;
    int startColumn = *column, startRow = *row, endColumn = *column, endRow = *row;
    if (grid->FindJoinBlock(&startColumn, &startRow, &endColumn, &endRow) == 0) {
        RECT first, last;
        if (cellRect(info, startColumn, startRow, &first) == 0 && cellRect(info, endColumn, endRow, &last) == 0)
            ::UnionRect(rect, &first, &last);
        *column = startColumn;
        *row = startRow;
    }
    return 0;
}

int HitTestCell(CVGCtrl* grid, HeadingHitFn hit, HeadingCellRectFn cellRect, POINT point, int* column, int* row,
                RECT* rect)
{
    if (hit(*grid->Info(), point.x, point.y, column, row, rect) != 0) {
        *column = *row = -1;
        return 1;
    }
    if (grid->Info()->m_joinedCells)
        JoinedCellRect(grid, cellRect, column, row, rect);
    return 0;
}

void FocusCellArea(CVGCtrl* grid)
{
    CVGGrid& cells = grid->CellArea();
    if (CWnd::GetFocus() != &cells)
        cells.SetFocus();
}

void ReportButton(CVGCtrl* grid, bool left, int down, int column, int row, RECT* rect, POINT* point, ButtonHook hook)
{
    CVGCellType* type = grid->CellTypeOfCell(column, row);
    const int processed =
        left ? type->OnLButton(column, row, down, rect, point) : type->OnRButton(column, row, down, rect, point);
    (grid->*hook)(column, row, down, rect, point, processed);
}

}  // namespace VGHeadingDrag
