// CVGSpinButtonType: cells with a pair of up and down buttons at their right (not built in: an
// application creates and registers it).
//
// A press on the upper or lower half tells the application (messages 16 and 17), which steps the
// value as it sees fit. The half stays pressed while the button is held over it.
#pragma once

#include "VGCellType.h"

// Messages of the spin button to the application (OnCellTypeMessage); the parameter is 0.
enum : long {
    VGSPIN_UP = 16,
    VGSPIN_DOWN = 17,
};

class CVGSpinButtonType : public CVGCellType {
    DECLARE_DYNAMIC(CVGSpinButtonType)

public:
    CVGSpinButtonType();

    LPCWSTR GetTypeName() override;
    const GUID* GetTypeId() override;
    int ShrinkEditRect(RECT* rect) override;
    int OnLButton(int column, int row, int down, RECT* rect, POINT* point) override;
    int OnDoubleClick(int column, int row, RECT* rect, POINT* point) override;
    int OnMouseMove(int column, int row, POINT* point, UINT keyFlags) override;
    void PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current) override;
    void MeasureCell(CDC* dc, SIZE* size, CVGCell* cell) override;

    int ButtonWidth() const { return m_buttonWidth; }
    // 1 the upper half is held, 2 the lower, 0 neither.
    int PressedHalf() const { return m_upperPressed ? 1 : (m_lowerPressed ? 2 : 0); }

private:
    void PaintHalf(CDC* dc, CVGCell* cell, RECT half, bool pressed, bool up, double scale);
    void Redraw();

    CPen m_separatorPen;
    CBrush m_buttonBrush;
    int m_lowerPressed = 0;
    int m_upperPressed = 0;
    int m_lastHalf = 0;
    int m_buttonWidth;
    CRect m_buttonRect;
    int m_spinColumn = -1;
    int m_spinRow = -1;
};
