// CVGGridHost: what the grid's window-free parts ask of the grid that owns them.
//
// The data sources, the selection object and the settings record belong to a grid (CVGCtrl, which
// implements this interface beside its window base). Through it they read the current sheet, ask
// the grid's sort comparison and report selection changes, without depending on any window.
#pragma once

#include <framework/Framework.h>

class CellRedrawList;
class CVGCell;
class CVGGridInfo;

class CVGGridHost {
public:
    virtual ~CVGGridHost() = default;

    // The current sheet's settings record.
    virtual CVGGridInfo* QueryGridInfo() = 0;

    // The sort comparison (-1, 0, 1); flag 2 sorts the other way. Grids override it.
    virtual int CompareCells(CVGCell* a, CVGCell* b, int flags);
    // The selection object added or changed a block (arguments in this order).
    virtual void OnBlockSelected(int endColumn, int startRow, int startColumn, int endRow, int blockCount);
    // The redraw list of the cell area; null while there is none.
    virtual CellRedrawList* CellAreaRedrawList();
    // Whether a key (VK_SHIFT, VK_CONTROL) is held while a move is handled.
    virtual bool IsKeyHeld(int virtualKey);

    // The comparison a grid makes unless it overrides CompareCells; sources without a grid use it.
    static int CompareCellsByDefault(CVGCell* a, CVGCell* b, int flags);
};
