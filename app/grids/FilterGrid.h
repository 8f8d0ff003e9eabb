// FilterGrid: a grid of capture-filter rows (column 0 a check box, column 1 the row's label) whose
// check boxes hold each other back, in place of MyGrid's step rule: rows 0-6 each lead a group of
// rows, and checking a row takes every group it belongs to, greying and locking the group's other
// rows until it is unchecked. No panel creates one yet.
#pragma once

#include "grids/MyGrid.h"

#include <array>

class FilterGrid : public MyGrid {
public:
    static constexpr int kGroupCount = 7;
    static constexpr int kInterlockRows = 25;
    static constexpr COLORREF kTakenLabelColor = RGB(0xAA, 0xAA, 0xAA);
    static constexpr COLORREF kFreeLabelColor = RGB(0, 0, 0);

    // Which groups are taken, shared by every grid of the class (all clear at start).
    static std::array<bool, kGroupCount> groupTaken;
    // Whether the row belongs to the group (rows 0-6 lead groups 0-6).
    static bool IsInGroup(int group, int row);

    int OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM parameter) override;

private:
    // The check-box interlock after the box of `row` changed.
    void ApplyInterlock(int row);
    void TakeGroup(int group, int checkedRow);
    void FreeGroup(int group);
    // Sets a row's box (column 0) and lock, and its label's colour (column 1).
    void SetRowState(int row, bool checked, bool readOnly, COLORREF labelColor);
    bool IsHeldByOtherTakenGroup(int row, int group) const;
};
