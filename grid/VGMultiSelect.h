// CVGMultiSelect: the cells selected in one sheet, as a list of rectangular blocks that each select
// or deselect the cells they cover.
//
// The grid feeds it the moves of the current cell with the Shift and Ctrl state; the cell area asks
// it whether a cell is selected while painting; callers enumerate the selected cells or blocks.
// Normally the last block that holds a cell decides its state; with mode bit 0x10 the first one does.
// Mode bit 2 selects whole rows: every block then spans columns 0 to the column count.
#pragma once

#include <framework/Framework.h>

#include <vector>

class CellRedrawList;
class CVGGridHost;
class CVGGridInfo;

enum : int {
    VGSEL_WHOLEROWS = 0x2,
    VGSEL_FIRSTDECIDES = 0x10,
};

class CVGMultiSelect {
public:
    CVGMultiSelect() = default;
    CVGMultiSelect(const CVGMultiSelect&) = delete;
    CVGMultiSelect& operator=(const CVGMultiSelect&) = delete;
    virtual ~CVGMultiSelect() = default;

    // The grid that is told of new blocks and whose cell area repaints them, and the sheet.
    void SetOwner(CVGGridHost* grid, CVGGridInfo* info);

    virtual int RemoveAllBlocks();
    virtual int BeginBlockAt(int column, int row);
    virtual int StretchBlockTo(int column, int row);
    virtual int ApplyPointerMove(int column, int row, int keyFlags);
    virtual int SelectSingleCell(int column, int row);
    virtual int ApplyKeyMove(int column, int row);
    virtual int StretchIfMoved(int column, int row);
    virtual int InvertCellState(int column, int row);
    virtual int QueryAnchor(int* column, int* row);
    virtual int QueryActiveBlock(int* startColumn, int* startRow, int* endColumn, int* endRow);
    virtual int QuerySelectionBounds(int* startColumn, int* startRow, int* endColumn, int* endRow);
    virtual int QueryBlockCount();
    // Non-zero when the cell is selected; *blockIndex (may be null) gets the deciding block.
    virtual int CellSelectionState(int column, int row, int* blockIndex);
    virtual int ColumnSelectionState(int column);
    virtual int RowSelectionState(int row);
    virtual int ChangeSelectionMode(int mode);
    virtual int QuerySelectionMode();
    virtual int FirstSelectedCell(int* column, int* row);
    virtual int NextSelectedCell(int* column, int* row);
    virtual int FirstBlock(int* startColumn, int* startRow, int* endColumn, int* endRow);
    virtual int NextBlock(int* startColumn, int* startRow, int* endColumn, int* endRow);

    // Adds the bounds of all blocks as one range; nothing when there are none.
    void QueueBoundsForRedraw(CellRedrawList* list);

private:
    struct Block {
        int anchorColumn;
        int movingColumn;
        int anchorRow;
        int movingRow;
        int startColumn;
        int endColumn;
        int startRow;
        int endRow;
        int selected;
    };

    void SetSpans(Block& block) const;
    void ReportBlock(const Block& block);
    void ClearForNewSelection();
    // Index of the block that decides (by the mode) among those that hold what is asked, or -1.
    template <typename Holds>
    int DecidingBlock(Holds holds) const;
    int DecidingBlockForCell(int column, int row) const;

    std::vector<Block> m_blocks;  // in creation order
    int m_activeBlock = -1;       // the block that stretching applies to, -1 when none
    int m_mode = 0;
    int m_anchorColumn = -1;
    int m_anchorRow = -1;
    int m_lastColumn = -1;        // the last cell a move reported
    int m_lastRow = -1;

    // Cell enumeration over the bounding rectangle, row by row.
    bool m_enumerating = false;
    int m_enumStartColumn = 0;
    int m_enumEndColumn = 0;
    int m_enumEndRow = 0;
    int m_enumNextColumn = 0;
    int m_enumNextRow = 0;
    int m_blockEnumIndex = -1;

    CVGGridHost* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
};
