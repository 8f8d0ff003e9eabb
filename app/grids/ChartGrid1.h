// ChartGrid1: the line-chart series grid of the chart window for "Port B -> A". It follows every
// rule of ChartGrid, with a series table of its own.
#pragma once

#include "grids/ChartGrid.h"

class ChartGrid1 : public ChartGrid {
public:
    // The series table, kept outside the grid object: 3 for the row last clicked, 1 for the others.
    static SeriesMarks seriesMarks;

    void OnCellLButton(int column, int row, int down, RECT* rect, POINT* point, int processed) override;
};
