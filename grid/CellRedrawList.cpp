#include "CellRedrawList.h"

#include <algorithm>

void CellRedrawList::Widen(const Range& range)
{
    if (m_ranges.empty()) {
        m_bounds = range;
        return;
    }
    m_bounds.startColumn = std::min(m_bounds.startColumn, range.startColumn);
    m_bounds.startRow = std::min(m_bounds.startRow, range.startRow);
    m_bounds.endColumn = std::max(m_bounds.endColumn, range.endColumn);
    m_bounds.endRow = std::max(m_bounds.endRow, range.endRow);
}

void CellRedrawList::AddRange(int startColumn, int startRow, int endColumn, int endRow)
{
    const Range range{std::min(startColumn, endColumn), std::min(startRow, endRow), std::max(startColumn, endColumn),
                      std::max(startRow, endRow)};
    Widen(range);
    m_ranges.push_back(range);
}

void CellRedrawList::ExtendFirstRange(int startColumn, int startRow, int endColumn, int endRow)
{
    if (m_ranges.empty()) {
        AddRange(startColumn, startRow, endColumn, endRow);
        return;
    }
    Range& first = m_ranges.front();
    first.startColumn = std::min(first.startColumn, startColumn);
    first.startRow = std::min(first.startRow, startRow);
    first.endColumn = std::max(first.endColumn, endColumn);
    first.endRow = std::max(first.endRow, endRow);
    // The box follows, or cells of the widened part would never be reported.
    Widen(first);
}

int CellRedrawList::InRanges(int column, int row) const
{
    if (m_ranges.empty())
        return 0;
    if (column < m_bounds.startColumn || column > m_bounds.endColumn || row < m_bounds.startRow ||
        row > m_bounds.endRow)
        return 0;
    for (const Range& range : m_ranges) {
        if (column >= range.startColumn && column <= range.endColumn && row >= range.startRow &&
            row <= range.endRow)
            return 1;
    }
    return 0;
}

void CellRedrawList::AddDrawnCell(int column, int row)
{
    m_drawn.push_back(Cell{column, row});
}

int CellRedrawList::WasDrawn(int column, int row) const
{
    return std::any_of(m_drawn.begin(), m_drawn.end(),
                       [&](const Cell& cell) { return cell.column == column && cell.row == row; })
               ? 1
               : 0;
}

void CellRedrawList::Clear()
{
    m_ranges.clear();
    m_drawn.clear();
}
