#include "grids/AlarmGrid.h"

void AlarmGrid::OnCellDoubleClick(int column, int, RECT*, POINT*, int) {
    if (column == 2) EditCurrentCell();
}
