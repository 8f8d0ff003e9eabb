// CellRedrawList: the cell ranges the next paint of a window must draw, and the joined cells already
// drawn in the current paint (each join is drawn once).
//
// A window adds the ranges that must change, paints, asks InRanges for each visible cell, and clears
// the list afterwards. The bounding box of all ranges lets InRanges turn most cells away without
// walking the ranges, so a paint that lists a few cells stays cheap on large grids.
#pragma once

#include <vector>

class CellRedrawList {
public:
    // Inclusive bounds; heading cells use negative numbers.
    void AddRange(int startColumn, int startRow, int endColumn, int endRow);
    void AddCell(int column, int row) { AddRange(column, row, column, row); }
    // Widens the first range (and the bounding box) to cover the given one; adds it to an empty list.
    void ExtendFirstRange(int startColumn, int startRow, int endColumn, int endRow);
    int InRanges(int column, int row) const;
    void AddDrawnCell(int column, int row);
    int WasDrawn(int column, int row) const;
    void Clear();

    bool IsEmpty() const { return m_ranges.empty(); }
    int RangeCount() const { return static_cast<int>(m_ranges.size()); }

private:
    struct Range {
        int startColumn;
        int startRow;
        int endColumn;
        int endRow;
    };
    struct Cell {
        int column;
        int row;
    };

    void Widen(const Range& range);

    std::vector<Range> m_ranges;
    Range m_bounds{0, 0, 0, 0};
    std::vector<Cell> m_drawn;
};
