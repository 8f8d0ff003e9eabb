// MyGrid: the general grid of the program's panels (system information, requirements, the About
// panel's identity store, the upgrade panel, the media status panels and the main dialog's grids).
//
// It changes the grid only through its notifications: the step rule, the tip text, the compare
// rule, white empty areas, a plain focus frame and no reaction to a section losing the focus.
#pragma once

#include "VGCtrl.h"

class MyGrid : public CVGCtrl {
public:
    int OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM parameter) override;
    int GetTipText(int column, int row, int section, CString* text) override;
    int CompareCells(CVGCell* a, CVGCell* b, int flags) override;
    COLORREF GetSectionBackColor(int section) override;
    int DrawFocusFrame(CDC* dc, RECT* rect) override;
    void OnSectionKillFocus(int section, CWnd* newFocus) override;
    // A further notification slot after the grid's own; nothing calls it.
    virtual void OnUnusedHook(int, int) {}
};
