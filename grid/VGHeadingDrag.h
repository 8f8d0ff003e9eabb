// What the two headings share: the state of a border drag, the XOR marker a live drag draws in the
// cell area, and painting one heading cell through its type.
#pragma once

#include <framework/Framework.h>

class CVGCtrl;
class CVGCell;
class CVGGridInfo;
class CellRedrawList;

struct VGResizeState {
    int resizing = 0;
    int armed = 0;
    int mode = 0;           // 0 a width, 1 a height: a column or the side heading, a row or the top heading
    int index = 0;          // the column or row, or the heading row/column from 0 = next to the cells
    int sizeAtArm = 0;
    int startAtArm = 0;     // pointer x or y when armed
    int headingAtArm = 0;   // the whole heading's height (width) when armed
};

namespace VGHeadingDrag {

// Moves the XOR marker drawn in the cell area (none: left = -1).
void MoveMarker(CVGCtrl* grid, RECT* marker, const RECT* next);
void ForgetMarker(CVGCtrl* grid, RECT* marker);

// Paints a listed heading cell (its join once a paint, over the whole join) through its type.
// rect is the cell's own rectangle; an empty rectangle paints nothing.
void PaintHeadingCell(CVGCtrl* grid, CDC* dc, CellRedrawList& redraw, CVGCell& cell, int column, int row, RECT rect,
                      int selected);

// A heading cell's rectangle (a join: the whole join, the position moved to its start); 1 when the
// position is no cell of that heading. cellRect is the heading's own rectangle function.
using HeadingCellRectFn = int (*)(const CVGGridInfo&, int, int, RECT*);
using HeadingHitFn = int (*)(const CVGGridInfo&, int, int, int*, int*, RECT*);
int JoinedCellRect(CVGCtrl* grid, HeadingCellRectFn cellRect, int* column, int* row, RECT* rect);
// The heading cell under a point with its rectangle; 1 and column = row = -1 when none.
int HitTestCell(CVGCtrl* grid, HeadingHitFn hit, HeadingCellRectFn cellRect, POINT point, int* column, int* row,
                RECT* rect);

// The cell area takes the focus when it lacks it (a press on a heading).
void FocusCellArea(CVGCtrl* grid);

// A button press or release on a cell: its type first (left or right button), then the grid's hook
// with the type's answer as "processed".
using ButtonHook = void (CVGCtrl::*)(int, int, int, RECT*, POINT*, int);
void ReportButton(CVGCtrl* grid, bool left, int down, int column, int row, RECT* rect, POINT* point, ButtonHook hook);

}  // namespace VGHeadingDrag
