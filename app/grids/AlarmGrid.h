// AlarmGrid: a grid of alarm rows. The rules of MyGrid, and a double click in column 2 edits the
// cell. No panel creates one yet.
#pragma once

#include "VGCtrl.h"

class AlarmGrid : public CVGCtrl {
public:
    int OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM parameter) override;
    int GetTipText(int column, int row, int section, CString* text) override;
    int CompareCells(CVGCell* a, CVGCell* b, int flags) override;
    COLORREF GetSectionBackColor(int section) override;
    int DrawFocusFrame(CDC* dc, RECT* rect) override;
    void OnSectionKillFocus(int section, CWnd* newFocus) override;
    void OnCellDoubleClick(int column, int row, RECT* rect, POINT* point, int processed) override;
    // A further notification slot after the grid's own; nothing calls it.
    virtual void OnUnusedHook(int, int) {}
};
