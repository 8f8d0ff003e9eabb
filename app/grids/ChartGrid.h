// ChartGrid: the line-chart series grid of the chart window for "Port A -> B" (14 series rows: a
// check box, the series colour, its name). ChartGrid1, the other direction, derives from it.
//
// The rules of MyGrid; a press or release on a row marks that row in the class's series table, and
// a double click in column 2 edits the cell.
#pragma once

#include "grids/MyGrid.h"

#include <array>

class ChartGrid : public MyGrid {
public:
    static constexpr int kSeriesRows = 14;
    using SeriesMarks = std::array<int, kSeriesRows>;

    // The series table, kept outside the grid object: 3 for the row last clicked, 1 for the others.
    static SeriesMarks seriesMarks;

    // A table as it starts: every entry 1.
    static SeriesMarks UnmarkedSeries();
    // The row's entry becomes 3, every other entry 1 (a row outside the table marks none).
    static void MarkSeriesRow(SeriesMarks& marks, int row);

    void OnCellLButton(int column, int row, int down, RECT* rect, POINT* point, int processed) override;
    void OnCellDoubleClick(int column, int row, RECT* rect, POINT* point, int processed) override;
};
