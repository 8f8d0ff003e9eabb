// CVGCheckBoxType: cells that show a check box (built-in type 2).
//
// The value is the cell's number: 0 unchecked, 1 checked, 2 indeterminate. A press on the box or
// the space key steps it (through 0, 1 and, for three-state boxes, 2), stores the cell and tells the
// application (message 53 with the new value). The box is square, sunken, raised or round, marked
// with a cross, a tick or a dot, and the cell's label is its caption. Cells of this type are never
// edited in place and never show text beyond their edges.
#pragma once

#include "VGCellType.h"

// Message of the check box to the application (OnCellTypeMessage): the parameter is the new value.
constexpr long VGCHECK_CHANGED = 53;

// Cell-type style bits of the check box.
enum : int {
    VGCHECK_SUNKEN = 0x100,
    VGCHECK_RAISED = 0x200,
    VGCHECK_ROUND = 0x400,
    VGCHECK_BOXONLY = 0x800,     // no caption; the box placed by the cell's alignment
    VGCHECK_TICK = 0x1000,
    VGCHECK_THREESTATE = 0x2000,
};

class CVGCheckBoxType : public CVGCellType {
    DECLARE_DYNAMIC(CVGCheckBoxType)

public:
    CVGCheckBoxType();

    LPCWSTR GetTypeName() override;
    const GUID* GetTypeId() override;
    int OnLButton(int column, int row, int down, RECT* rect, POINT* point) override;
    int OnDoubleClick(int column, int row, RECT* rect, POINT* point) override;
    int OnChar(int column, int row, UINT* character) override;
    void PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current) override;
    void MeasureCell(CDC* dc, SIZE* size, CVGCell* cell) override;

    // The box inside a cell's rectangle for a style (scale 1 on screen).
    static CRect BoxRect(const RECT& cell, int style, short alignment, double scale);

private:
    // Steps the value, stores the cell and tells the application; the mouse reports before the
    // repaint, the space key after it.
    void Change(int column, int row, bool byMouse);
    // Whether the cell takes input: neither read-only nor disabled.
    bool TakesInput(int column, int row);
    void PaintBox(CDC* dc, const CRect& box, int style, int value, bool highlighted, bool readOnly);
    void PaintMark(CDC* dc, const CRect& box, int style, int value, bool highlighted);
    bool PaintThemedBox(CDC* dc, const CRect& box, const RECT& cell, int style, int value, int selected,
                        int current);

    CPen m_darkPen;
    CPen m_lightPen;
    CPen m_facePen;
    CBrush m_ditherBrush;
    CVGCell m_cell;
};
