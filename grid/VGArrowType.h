// CVGArrowType: cells that show one or two small arrows and no text (built-in type 3).
//
// The arrows point right (style 0x10 or none), left (0x20), or come in pairs pointing right (0x40)
// or left (0x80). They are drawn in the cell's text colour over its background; the type takes no
// input of its own and is never edited in place.
#pragma once

#include "VGCellType.h"

enum : int {
    VGARROW_RIGHT = 0x10,
    VGARROW_LEFT = 0x20,
    VGARROW_DOUBLERIGHT = 0x40,
    VGARROW_DOUBLELEFT = 0x80,
};

class CVGArrowType : public CVGCellType {
    DECLARE_DYNAMIC(CVGArrowType)

public:
    CVGArrowType();

    LPCWSTR GetTypeName() override;
    const GUID* GetTypeId() override;
    void PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current) override;
    void MeasureCell(CDC* dc, SIZE* size, CVGCell* cell) override;

private:
    // One arrow whose wide end stands at column x, 7 pixels high around cy.
    static void PaintArrow(CDC* dc, int x, int cy, bool right);
    static void PaintPrintedArrow(CDC* dc, int x, int cy, bool right, double scale);
};
