#include "VGMultiSelect.h"

#include "CellRedrawList.h"
#include "VGGridHost.h"
#include "VGGridInfo.h"

#include <algorithm>

void CVGMultiSelect::SetOwner(CVGGridHost* grid, CVGGridInfo* info)
{
    m_pGrid = grid;
    m_pInfo = info;
}

int CVGMultiSelect::RemoveAllBlocks()
{
    m_blocks.clear();
    m_activeBlock = -1;
    m_enumerating = false;
    m_blockEnumIndex = -1;
    m_lastColumn = -1;
    m_lastRow = -1;
    return 0;
}

void CVGMultiSelect::SetSpans(Block& block) const
{
    if (m_mode & VGSEL_WHOLEROWS) {
        block.startColumn = 0;
        block.endColumn = m_pInfo ? m_pInfo->m_columnCount : 0;
    } else {
        block.startColumn = std::min(block.anchorColumn, block.movingColumn);
        block.endColumn = std::max(block.anchorColumn, block.movingColumn);
    }
    block.startRow = std::min(block.anchorRow, block.movingRow);
    block.endRow = std::max(block.anchorRow, block.movingRow);
}

void CVGMultiSelect::ReportBlock(const Block& block)
{
    if (m_pGrid)
        m_pGrid->OnBlockSelected(block.endColumn, block.startRow, block.startColumn, block.endRow,
                                 static_cast<int>(m_blocks.size()));
}

// The old highlight is listed for redraw before the blocks go, so the next paint removes it.
void CVGMultiSelect::ClearForNewSelection()
{
    QueueBoundsForRedraw(m_pGrid ? m_pGrid->CellAreaRedrawList() : nullptr);
    RemoveAllBlocks();
}

int CVGMultiSelect::BeginBlockAt(int column, int row)
{
    m_anchorColumn = column;
    m_anchorRow = row;
    Block block{column, column, row, row, 0, 0, 0, 0, 1};
    SetSpans(block);
    m_blocks.push_back(block);
    m_activeBlock = static_cast<int>(m_blocks.size()) - 1;
    ReportBlock(block);
    return 0;
}

int CVGMultiSelect::StretchBlockTo(int column, int row)
{
    if (m_activeBlock < 0)
        return 1;
    const Block before = m_blocks[m_activeBlock];
    Block& block = m_blocks[m_activeBlock];
    block.movingColumn = column;
    block.movingRow = row;
    SetSpans(block);
    block.selected = 1;
    const Block after = block;
    ReportBlock(after);

    // Only the strips between the old and the new moving corner change.
    CellRedrawList* list = m_pGrid ? m_pGrid->CellAreaRedrawList() : nullptr;
    if (!list)
        return 0;
    if (before.movingRow != after.movingRow)
        list->AddRange(std::min(before.startColumn, after.startColumn), std::min(before.movingRow, after.movingRow),
                       std::max(before.endColumn, after.endColumn), std::max(before.movingRow, after.movingRow));
    if (before.movingColumn != after.movingColumn)
        list->AddRange(std::min(before.movingColumn, after.movingColumn), std::min(before.startRow, after.startRow),
                       std::max(before.movingColumn, after.movingColumn), std::max(before.endRow, after.endRow));
    return 0;
}

int CVGMultiSelect::ApplyPointerMove(int column, int row, int keyFlags)
{
    if (keyFlags & MK_CONTROL) {
        BeginBlockAt(column, row);
    } else if (keyFlags & MK_SHIFT) {
        StretchBlockTo(column, row);
    } else {
        ClearForNewSelection();
        BeginBlockAt(column, row);
    }
    m_lastColumn = column;
    m_lastRow = row;
    return 0;
}

int CVGMultiSelect::SelectSingleCell(int column, int row)
{
    const int state = CellSelectionState(column, row, nullptr);
    if (state)
        return state;
    ClearForNewSelection();
    BeginBlockAt(column, row);
    m_lastColumn = column;
    m_lastRow = row;
    return 0;
}

int CVGMultiSelect::ApplyKeyMove(int column, int row)
{
    if (column == m_lastColumn && row == m_lastRow)
        return 0;
    auto held = [this](int key) { return m_pGrid ? m_pGrid->IsKeyHeld(key) : GetKeyState(key) < 0; };
    if (held(VK_SHIFT)) {
        StretchBlockTo(column, row);
    } else {
        if (!held(VK_CONTROL))
            ClearForNewSelection();
        BeginBlockAt(column, row);
    }
    m_lastColumn = column;
    m_lastRow = row;
    return 0;
}

int CVGMultiSelect::StretchIfMoved(int column, int row)
{
    if (column == m_lastColumn && row == m_lastRow)
        return 0;
    StretchBlockTo(column, row);
    m_lastColumn = column;
    m_lastRow = row;
    return 0;
}

// Ctrl+click: a single-cell block that decides the cell flips; otherwise a new single-cell block
// with the opposite state punches the cell out of (or into) the blocks beneath it.
int CVGMultiSelect::InvertCellState(int column, int row)
{
    const int deciding = DecidingBlockForCell(column, row);
    if (deciding >= 0) {
        Block& block = m_blocks[deciding];
        if (block.startColumn == column && block.endColumn == column && block.startRow == row && block.endRow == row) {
            block.selected = block.selected ? 0 : 1;
            return 0;
        }
    }
    const int state = deciding >= 0 ? m_blocks[deciding].selected : 0;
    BeginBlockAt(column, row);
    m_blocks.back().selected = state ? 0 : 1;
    return 0;
}

int CVGMultiSelect::QueryAnchor(int* column, int* row)
{
    if (m_activeBlock < 0)
        return 1;
    if (column)
        *column = m_anchorColumn;
    if (row)
        *row = m_anchorRow;
    return 0;
}

int CVGMultiSelect::QueryActiveBlock(int* startColumn, int* startRow, int* endColumn, int* endRow)
{
    if (m_activeBlock < 0)
        return 1;
    const Block& block = m_blocks[m_activeBlock];
    if (startColumn)
        *startColumn = block.startColumn;
    if (startRow)
        *startRow = block.startRow;
    if (endColumn)
        *endColumn = block.endColumn;
    if (endRow)
        *endRow = block.endRow;
    return 0;
}

int CVGMultiSelect::QuerySelectionBounds(int* startColumn, int* startRow, int* endColumn, int* endRow)
{
    if (m_blocks.empty())
        return 1;
    Block bounds = m_blocks.front();
    for (const Block& block : m_blocks) {
        bounds.startColumn = std::min(bounds.startColumn, block.startColumn);
        bounds.startRow = std::min(bounds.startRow, block.startRow);
        bounds.endColumn = std::max(bounds.endColumn, block.endColumn);
        bounds.endRow = std::max(bounds.endRow, block.endRow);
    }
    if (startColumn)
        *startColumn = bounds.startColumn;
    if (startRow)
        *startRow = bounds.startRow;
    if (endColumn)
        *endColumn = bounds.endColumn;
    if (endRow)
        *endRow = bounds.endRow;
    return 0;
}

int CVGMultiSelect::QueryBlockCount()
{
    return static_cast<int>(m_blocks.size());
}

template <typename Holds>
int CVGMultiSelect::DecidingBlock(Holds holds) const
{
    int deciding = -1;
    for (size_t index = 0; index < m_blocks.size(); ++index) {
        if (!holds(m_blocks[index]))
            continue;
        deciding = static_cast<int>(index);
        if (m_mode & VGSEL_FIRSTDECIDES)
            break;
    }
    return deciding;
}

int CVGMultiSelect::DecidingBlockForCell(int column, int row) const
{
    return DecidingBlock([&](const Block& block) {
        return column >= block.startColumn && column <= block.endColumn && row >= block.startRow &&
               row <= block.endRow;
    });
}

int CVGMultiSelect::CellSelectionState(int column, int row, int* blockIndex)
{
    const int deciding = DecidingBlockForCell(column, row);
    if (deciding < 0)
        return 0;
    if (blockIndex)
        *blockIndex = deciding;
    return m_blocks[deciding].selected;
}

int CVGMultiSelect::ColumnSelectionState(int column)
{
    if (m_mode & VGSEL_WHOLEROWS)
        column = 1;
    const int deciding =
        DecidingBlock([&](const Block& block) { return column >= block.startColumn && column <= block.endColumn; });
    return deciding < 0 ? 0 : m_blocks[deciding].selected;
}

int CVGMultiSelect::RowSelectionState(int row)
{
    const int deciding = DecidingBlock([&](const Block& block) { return row >= block.startRow && row <= block.endRow; });
    return deciding < 0 ? 0 : m_blocks[deciding].selected;
}

int CVGMultiSelect::ChangeSelectionMode(int mode)
{
    RemoveAllBlocks();
    m_mode = mode;
    return 0;
}

int CVGMultiSelect::QuerySelectionMode()
{
    return m_mode;
}

// The walk covers the union of the current cell and all blocks, cut to the sheet's cells (a
// whole-row block reaches one past the last column).
int CVGMultiSelect::FirstSelectedCell(int* column, int* row)
{
    const int currentColumn = m_pInfo ? m_pInfo->m_currentColumn : -1;
    const int currentRow = m_pInfo ? m_pInfo->m_currentRow : -1;
    if (m_blocks.empty()) {
        if (column)
            *column = currentColumn;
        if (row)
            *row = currentRow;
        return 0;
    }
    int startColumn = 0;
    int startRow = 0;
    int endColumn = 0;
    int endRow = 0;
    QuerySelectionBounds(&startColumn, &startRow, &endColumn, &endRow);
    if (currentColumn >= 0 && currentRow >= 0) {
        startColumn = std::min(startColumn, currentColumn);
        startRow = std::min(startRow, currentRow);
        endColumn = std::max(endColumn, currentColumn);
        endRow = std::max(endRow, currentRow);
    }
    if (m_pInfo) {
        startColumn = std::max(startColumn, 0);
        startRow = std::max(startRow, 0);
        endColumn = std::min(endColumn, m_pInfo->m_columnCount - 1);
        endRow = std::min(endRow, m_pInfo->m_rowCount - 1);
    }
    m_enumerating = true;
    m_enumStartColumn = startColumn;
    m_enumEndColumn = endColumn;
    m_enumEndRow = endRow;
    m_enumNextColumn = startColumn;
    m_enumNextRow = startRow;
    return NextSelectedCell(column, row);
}

int CVGMultiSelect::NextSelectedCell(int* column, int* row)
{
    if (!m_enumerating)
        return 1;
    // In plain whole-row mode one cell stands for each selected row.
    const bool oneCellPerRow = m_mode == VGSEL_WHOLEROWS;
    while (m_enumNextRow <= m_enumEndRow) {
        if (oneCellPerRow) {
            const int candidate = m_enumNextRow++;
            if (RowSelectionState(candidate)) {
                if (column)
                    *column = m_enumStartColumn;
                if (row)
                    *row = candidate;
                return 0;
            }
            continue;
        }
        if (m_enumNextColumn > m_enumEndColumn) {
            m_enumNextColumn = m_enumStartColumn;
            ++m_enumNextRow;
            continue;
        }
        const int candidate = m_enumNextColumn++;
        if (CellSelectionState(candidate, m_enumNextRow, nullptr)) {
            if (column)
                *column = candidate;
            if (row)
                *row = m_enumNextRow;
            return 0;
        }
    }
    m_enumerating = false;
    return 1;
}

int CVGMultiSelect::FirstBlock(int* startColumn, int* startRow, int* endColumn, int* endRow)
{
    m_blockEnumIndex = 0;
    return NextBlock(startColumn, startRow, endColumn, endRow);
}

int CVGMultiSelect::NextBlock(int* startColumn, int* startRow, int* endColumn, int* endRow)
{
    if (m_blockEnumIndex < 0 || m_blockEnumIndex >= static_cast<int>(m_blocks.size())) {
        m_blockEnumIndex = -1;
        return 1;
    }
    const Block& block = m_blocks[m_blockEnumIndex++];
    if (startColumn)
        *startColumn = block.startColumn;
    if (startRow)
        *startRow = block.startRow;
    if (endColumn)
        *endColumn = block.endColumn;
    if (endRow)
        *endRow = block.endRow;
    return 0;
}

void CVGMultiSelect::QueueBoundsForRedraw(CellRedrawList* list)
{
    int startColumn = 0;
    int startRow = 0;
    int endColumn = 0;
    int endRow = 0;
    if (list && QuerySelectionBounds(&startColumn, &startRow, &endColumn, &endRow) == 0)
        list->AddRange(startColumn, startRow, endColumn, endRow);
}
