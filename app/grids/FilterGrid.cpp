#include "grids/FilterGrid.h"

#include <algorithm>
#include <initializer_list>

namespace {

// The check-box cell type among the grid's built-in types.
constexpr int kCheckBoxTypeIndex = 2;

// The rows of each group; the first is the group's leading row.
const std::initializer_list<int> kGroups[FilterGrid::kGroupCount] = {
    {0, 7, 8, 9, 10, 22, 23, 24},
    {1, 7, 8, 11, 12, 22, 23, 24},
    {2, 8, 21, 24},
    {3, 9, 11, 13, 14, 15, 18, 19, 20, 21, 22, 23, 24},
    {4, 10, 12, 13, 16, 17, 18, 19, 20, 21, 22, 23, 24},
    {5, 14, 16, 18, 20, 21, 23, 24},
    {6, 15, 17, 19, 20, 21, 23, 24},
};

}  // namespace

std::array<bool, FilterGrid::kGroupCount> FilterGrid::groupTaken{};

bool FilterGrid::IsInGroup(int group, int row) {
    const std::initializer_list<int>& rows = kGroups[group];
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

int FilterGrid::OnCellTypeMessage(int typeIndex, int column, int row, long, LPARAM) {
    if (typeIndex == kCheckBoxTypeIndex && column == 0 && row >= 0 && row < kInterlockRows) ApplyInterlock(row);
    return 1;
}

void FilterGrid::ApplyInterlock(int row) {
    CVGCell cell;
    GetStoredCell(0, row, &cell);
    const bool checked = cell.ReadBoolean() != 0;
    for (int group = 0; group < kGroupCount; ++group) {
        if (!IsInGroup(group, row)) continue;
        if (checked) TakeGroup(group, row);
        else if (groupTaken[group]) FreeGroup(group);
    }
    InvalidateChildren();
}

void FilterGrid::TakeGroup(int group, int checkedRow) {
    groupTaken[group] = true;
    for (int member : kGroups[group]) {
        if (member == checkedRow) SetRowState(member, true, false, kFreeLabelColor);
        else SetRowState(member, false, true, kTakenLabelColor);
    }
}

void FilterGrid::FreeGroup(int group) {
    groupTaken[group] = false;
    for (int member : kGroups[group]) {
        // The leading row is freed at once; a shared row only when no other taken group holds it.
        if (member == group || !IsHeldByOtherTakenGroup(member, group))
            SetRowState(member, false, false, kFreeLabelColor);
    }
}

bool FilterGrid::IsHeldByOtherTakenGroup(int row, int group) const {
    for (int other = 0; other < kGroupCount; ++other)
        if (other != group && groupTaken[other] && IsInGroup(other, row)) return true;
    return false;
}

void FilterGrid::SetRowState(int row, bool checked, bool readOnly, COLORREF labelColor) {
    CVGCell box;
    GetStoredCell(0, row, &box);
    box.PutBoolean(checked ? 1 : 0);
    box.PutReadOnly(readOnly ? 1 : 0);
    StoreCell(0, row, &box);
    SetCellTextColor(1, row, labelColor);
}
