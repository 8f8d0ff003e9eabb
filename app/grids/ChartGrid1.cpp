#include "grids/ChartGrid1.h"

grids::SeriesMarks ChartGrid1::seriesMarks = grids::UnmarkedSeries();

void ChartGrid1::OnCellLButton(int, int row, int, RECT*, POINT*, int) { grids::MarkSeriesRow(seriesMarks, row); }
