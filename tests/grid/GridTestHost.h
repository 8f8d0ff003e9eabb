// A grid stand-in for the window-free parts: one sheet, a redraw list, a record of selection
// reports and of the comparisons asked, and the key state the tests choose.
#pragma once

#include "CellRedrawList.h"
#include "VGGridHost.h"
#include "VGGridInfo.h"
#include "VGLayout.h"

#include <array>
#include <vector>

class GridTestHost : public CVGGridHost {
public:
    GridTestHost(int columns = 0, int rows = 0)
    {
        VGLayout::SetColumnRecordCount(info, columns);
        VGLayout::SetRowRecordCount(info, rows);
    }

    CVGGridInfo* QueryGridInfo() override { return &info; }
    int CompareCells(CVGCell* a, CVGCell* b, int flags) override
    {
        ++comparisons;
        return CVGGridHost::CompareCells(a, b, flags);
    }
    void OnBlockSelected(int endColumn, int startRow, int startColumn, int endRow, int blockCount) override
    {
        blocks.push_back({endColumn, startRow, startColumn, endRow, blockCount});
    }
    CellRedrawList* CellAreaRedrawList() override { return &redraw; }
    bool IsKeyHeld(int virtualKey) override
    {
        return (virtualKey == VK_SHIFT && shiftHeld) || (virtualKey == VK_CONTROL && controlHeld);
    }

    CVGGridInfo info;
    CellRedrawList redraw;
    std::vector<std::array<int, 5>> blocks;
    int comparisons = 0;
    bool shiftHeld = false;
    bool controlHeld = false;
};
