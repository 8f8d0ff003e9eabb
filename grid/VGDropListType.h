// CVGDropListType: cells that open a list of choices under themselves (built-in type 1).
//
// The cell shows its text beside a button with a down arrow. A press on the button, Enter or
// Ctrl+Down opens the list (CVGLstBox) with the choices held in the cell's label, one per line
// (each choice ends with a line feed). The application hears of the opening and of the choice
// through the grid's cell-type notification, and may change the choices, the chosen text, or
// refuse either.
#pragma once

#include "VGCellType.h"
#include "VGLstBox.h"

#include <memory>

// Messages of the drop list to the application (OnCellTypeMessage).
enum : long {
    VGDROP_OPENING = 100,      // parameter: the choices (CStringList*); 0 keeps the list closed
    VGDROP_CHOOSING = 101,     // parameter: the chosen text (CString*); 0 leaves the cell as it is
    VGDROP_CHOSENINDEX = 102,  // parameter: the index of the chosen item; sent before 101
    VGDROP_CHOSEN = 103,       // parameter: the text now stored (CString*)
};

class CVGDropListType : public CVGCellType {
    DECLARE_DYNAMIC(CVGDropListType)

public:
    CVGDropListType();
    ~CVGDropListType() override;

    LPCWSTR GetTypeName() override;
    const GUID* GetTypeId() override;
    int ShrinkEditRect(RECT* rect) override;
    int OnLButton(int column, int row, int down, RECT* rect, POINT* point) override;
    int OnDoubleClick(int column, int row, RECT* rect, POINT* point) override;
    int OnKeyDown(int column, int row, UINT* key) override;
    int OnChar(int column, int row, UINT* character) override;
    int OnMouseMove(int column, int row, POINT* point, UINT keyFlags) override;
    void PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current) override;
    void OnCellKillFocus(int column, int row, CVGCell* cell) override;
    void MeasureCell(CDC* dc, SIZE* size, CVGCell* cell) override;

    // Opens the list under the list cell: 0 opened, 1 already open or refused by the application,
    // 0 too for a read-only cell (which never opens).
    int OpenList();
    CVGLstBox& List() { return *m_pList; }
    int ListColumn() const { return m_listColumn; }
    int ListRow() const { return m_listRow; }
    int ButtonWidth() const { return m_buttonWidth; }

    // The choices a label offers: every piece that a line feed ends.
    static void SplitChoices(LPCWSTR label, CStringList* choices);

private:
    void CloseList();
    // The button area at the right of a cell's rectangle.
    CRect ButtonRect(const RECT& cell, double scale) const;
    void PaintArrow(CDC* dc, const CRect& button, const RECT& cell, bool readOnly, double scale);

    int m_buttonWidth;
    int m_buttonPressed = 0;
    CRect m_buttonRect;
    int m_listColumn = -1;
    int m_listRow = -1;
    CPen m_separatorPen;
    CBrush m_buttonBrush;
    std::unique_ptr<CVGLstBox> m_pList;
};
