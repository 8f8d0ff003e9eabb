// AlarmGrid: a grid of alarm rows. The rules of MyGrid, and a double click in column 2 edits the
// cell. No panel creates one yet.
#pragma once

#include "grids/MyGrid.h"

class AlarmGrid : public MyGrid {
public:
    void OnCellDoubleClick(int column, int row, RECT* rect, POINT* point, int processed) override;
};
