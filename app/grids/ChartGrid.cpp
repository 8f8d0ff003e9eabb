#include "grids/ChartGrid.h"

ChartGrid::SeriesMarks ChartGrid::seriesMarks = ChartGrid::UnmarkedSeries();

ChartGrid::SeriesMarks ChartGrid::UnmarkedSeries() {
    SeriesMarks marks;
    marks.fill(1);
    return marks;
}

void ChartGrid::MarkSeriesRow(SeriesMarks& marks, int row) {
    for (int index = 0; index < kSeriesRows; ++index) marks[index] = index == row ? 3 : 1;
}

void ChartGrid::OnCellLButton(int, int row, int, RECT*, POINT*, int) { MarkSeriesRow(seriesMarks, row); }

void ChartGrid::OnCellDoubleClick(int column, int, RECT*, POINT*, int) {
    if (column == 2) EditCurrentCell();
}
