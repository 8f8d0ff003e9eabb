// MyGrid: the general grid of the program's panels (system information, requirements, the About
// panel's identity store, the upgrade panel, the media status panels and the main dialog's grids),
// and the base of the program's other grids, which keep its rules.
//
// It changes the grid only through its notifications: the step rule, the tip text, the compare
// rule, white empty areas, a plain focus frame and no reaction to a section losing the focus.
#pragma once

#include "VGCtrl.h"

class MyGrid : public CVGCtrl {
public:
    // Colour of every empty area.
    static constexpr COLORREF kSectionBackColor = RGB(255, 255, 255);

    // Step rule: a press on the upper half of a spin cell (the fifth cell type, which an application
    // registers at index 4) adds 1 to the cell's number, a press on the lower half takes 1 away
    // unless the number is 0. Returns 1 for every notification.
    int OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM parameter) override;
    // "Col:%d Row:%ld" with the cell's column and row, shown in every section.
    int GetTipText(int column, int row, int section, CString* text) override;
    // Missing cells last, flag bit 2 reverses, numbers (also bools and currency) by value, anything
    // else by its text, case-sensitively, with empty texts last.
    int CompareCells(CVGCell* a, CVGCell* b, int flags) override;
    COLORREF GetSectionBackColor(int section) override;
    // The standard dotted rectangle, one pixel in at the right and bottom; the current cell's type
    // is not asked to draw it.
    int DrawFocusFrame(CDC* dc, RECT* rect) override;
    void OnSectionKillFocus(int section, CWnd* newFocus) override;
    // A further notification slot after the grid's own; nothing calls it.
    virtual void OnUnusedHook(int, int) {}
};
