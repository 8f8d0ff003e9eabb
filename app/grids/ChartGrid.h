// ChartGrid: the line-chart series grid of the chart window for "Port A -> B" (14 series rows: a
// check box, the series colour, its name).
//
// The rules of MyGrid; a press or release on a row marks that row in the class's series table, and
// a double click in column 2 edits the cell. ChartGrid1 (the other direction) derives from it.
#pragma once

#include "VGCtrl.h"

#include "grids/GridRules.h"

class ChartGrid : public CVGCtrl {
public:
    // The series table, kept outside the grid object: 3 for the row last clicked, 1 for the others.
    static grids::SeriesMarks seriesMarks;

    int OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM parameter) override;
    int GetTipText(int column, int row, int section, CString* text) override;
    int CompareCells(CVGCell* a, CVGCell* b, int flags) override;
    COLORREF GetSectionBackColor(int section) override;
    int DrawFocusFrame(CDC* dc, RECT* rect) override;
    void OnSectionKillFocus(int section, CWnd* newFocus) override;
    void OnCellLButton(int column, int row, int down, RECT* rect, POINT* point, int processed) override;
    void OnCellDoubleClick(int column, int row, RECT* rect, POINT* point, int processed) override;
    // A further notification slot after the grid's own; nothing calls it.
    virtual void OnUnusedHook(int, int) {}
};
