#include "grids/ChartGrid1.h"

ChartGrid::SeriesMarks ChartGrid1::seriesMarks = ChartGrid::UnmarkedSeries();

void ChartGrid1::OnCellLButton(int, int row, int, RECT*, POINT*, int) { MarkSeriesRow(seriesMarks, row); }
