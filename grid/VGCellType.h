// CVGCellType: how the cells of one kind are drawn and take their share of the mouse and keys.
//
// The grid keeps a table of types by index; a cell names its type by its type index (0 or none:
// the normal type, a plain CVGCellType). A type holds no per-cell state: what it draws comes from
// the cell passed in, the sheet's settings and the grid's pens and fonts. The section windows offer
// every mouse and key event to the type before the grid's own notifications see it; a non-zero
// answer reaches the grid as "processed".
//
// CVGCellFormat is a cell's display-format hook: the grid lets it rewrite an assembled cell.
#pragma once

#include "VGCell.h"

#include <framework/Framework.h>

#include <vector>

class CVGCtrl;
class CVGGridInfo;

// Cell-type style bits the base reads.
enum : int {
    VGSTYLE_SINGLELINE = 0x1,
    VGSTYLE_WORDWRAP = 0x2,
    VGSTYLE_ELLIPSIS = 0x4,
    VGSTYLE_SHOWLABEL = 0x8,
    VGSTYLE_DISABLED = 0x4000,
    VGSTYLE_BUTTONWHENCURRENT = 0x200,  // types with a button: it shows on the current cell only
};

// Text colour of a disabled cell, whatever its state.
constexpr COLORREF kVGDisabledTextColor = RGB(0x8C, 0x8C, 0x8C);

class CVGCellFormat : public CObject {
    DECLARE_DYNAMIC(CVGCellFormat)
public:
    virtual void ApplyFormat(CVGCell* cell);
    virtual int FormatQuery(CVGCell* cell);
};

class CVGCellType : public CObject {
    DECLARE_DYNAMIC(CVGCellType)

public:
    CVGCellType() = default;
    CVGCellType(const CVGCellType&) = delete;
    CVGCellType& operator=(const CVGCellType&) = delete;
    ~CVGCellType() override = default;

    virtual int PaintBitmap(CDC* dc, CBitmap* bitmap, RECT* rect, COLORREF backColor);
    virtual void PaintBorder(CDC* dc, RECT* rect, RECT* inner, CVGCell* cell);
    virtual void PaintText(CDC* dc, RECT* rect, int xOffset, int column, int row, CVGCell* cell, int selected,
                           int current);
    virtual void PaintBackground(CDC* dc, RECT* rect, COLORREF colour, int row, int column, CVGCell* cell,
                                 int current, int selected);
    virtual int FindOverflowSource(CDC* dc, int column, int row, int* sourceColumn, CVGCell* sourceCell);
    virtual LPCWSTR GetTypeName();
    virtual const GUID* GetTypeId();
    virtual int ShrinkEditRect(RECT* rect);
    virtual int ReservedQueryA(int a, int b);
    virtual int ReservedQueryB(int a, int b);
    virtual int OnLButton(int column, int row, int down, RECT* rect, POINT* point);
    virtual int OnRButton(int column, int row, int down, RECT* rect, POINT* point);
    virtual int OnDoubleClick(int column, int row, RECT* rect, POINT* point);
    virtual int OnKeyDown(int column, int row, UINT* key);
    virtual int OnKeyUp(int column, int row, UINT* key);
    virtual int OnChar(int column, int row, UINT* character);
    virtual int OnMouseMove(int column, int row, POINT* point, UINT keyFlags);
    virtual void PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current);
    virtual int DrawFocusHook(CDC* dc, RECT* rect, int column, int row);
    virtual void PaintCellForPrint(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected,
                                   int current);
    virtual void PaintCellScaled(CDC* dc, RECT* rect, int column, int row, CVGCell* cell);
    virtual void OnCellSetFocus(int column, int row, CVGCell* cell);
    virtual void OnCellKillFocus(int column, int row, CVGCell* cell);
    virtual void OnCellWidthChanged(int column, int row, int* width);
    virtual void OnCellWidthChanging(int column, int row, int* width);
    virtual void OnCellHeightChanged(int column, int row, int* height);
    virtual void OnCellHeightChanging(int column, int row, int* height);
    virtual void MeasureCell(CDC* dc, SIZE* size, CVGCell* cell);
    virtual void ReservedHook(int column, int row, CVGCell* cell);
    virtual int ReservedQueryC();
    virtual int ReservedQueryD(LPARAM parameter);
    // The parameter carries a number or a pointer (a string, a list of strings), as the message says.
    virtual int NotifyGrid(int typeIndex, int column, int row, long message, LPARAM parameter);

    // Registration with a grid.
    void SetTypeIndex(int index) { m_typeIndex = index; }
    int TypeIndex() const { return m_typeIndex; }
    void SetGrid(CVGCtrl* grid) { m_pGrid = grid; }
    CVGCtrl* Grid() const { return m_pGrid; }
    int CanEditInCell() const { return m_canEditInCell; }
    int CanOverflow(CVGCell* cell) const;
    double Scale() const { return m_scale; }

    // A bitmap for a printer: a packed device-independent bitmap (header, colour table, then the rows
    // bottom-up, each padded to 4 bytes) of depth 1, 4, 8 or 24, its colour table from the default
    // palette. Empty when the bitmap cannot be read or the memory is not there.
    static std::vector<BYTE> BitmapToDib(CBitmap* bitmap);
    // The colour table of such a bitmap: 2, 16 or 256 entries for 1, 4 or 8 bits, none above.
    static int PaletteEntryCount(const BITMAPINFOHEADER& header);
    static DWORD PaletteBytes(const BITMAPINFOHEADER& header);

protected:
    // The themed text attempt of PaintText; false when the classic output must run.
    bool TryThemedText(CDC* dc, CVGCell* cell, int selected, int current, LPCWSTR text, int length, DWORD flags,
                       RECT* rect);
    CVGGridInfo* Info() const;
    // A printer gets the bitmap as a device-independent one, stretched into area.
    void PrintBitmap(CDC* dc, CBitmap* bitmap, const CRect& area);
    // The first steps of a type with a button: the use-themes flag is copied, and a cell whose
    // button shows on the current cell only is drawn as a normal cell when it is not
    // current (true: the drawing is done).
    bool PaintedWithoutButton(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current);

    BYTE m_themeChoiceFixed = 0;
    BYTE m_useThemes = 1;
    int m_canEditInCell = 1;
    int m_showLabel = 0;
    int m_overflowAllowed = 1;
    double m_scale = 1.0;
    CVGCtrl* m_pGrid = nullptr;
    int m_typeIndex = 0;
};
