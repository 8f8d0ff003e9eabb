// CVGCell: the property record of one grid cell.
//
// A cell carries only the properties that are set: the property word has one bit per property,
// getters give a fixed default for a property whose bit is clear, and copies move only the set
// properties. The grid assembles the cell it draws by laying records over each other (a default
// cell, what the data source holds, the hooks), which works only because unset properties stay out
// of the way.
//
// Fonts, pens, bitmaps, the format object and the style cell are borrowed. The attachment and the
// extra-data block are owned, and shared between copies: a cell copied out of a data source holds
// them as long as the source does, and whichever holder lets go last frees them.
#pragma once

#include <framework/Framework.h>

#include <memory>
#include <vector>

class CBitmap;
class CFont;
class CPen;
class CVGCellFormat;

// Bits of the property word.
enum : DWORD {
    VGCELL_VALUE = 0x1,           // text and number
    VGCELL_MASK = 0x2,
    VGCELL_LABEL = 0x4,
    VGCELL_DATATYPE = 0x8,
    VGCELL_TYPEINDEX = 0x20,
    VGCELL_TYPESTYLE = 0x40,
    VGCELL_TEXTCOLOR = 0x80,
    VGCELL_BACKCOLOR = 0x100,
    VGCELL_HILITETEXTCOLOR = 0x200,
    VGCELL_HILITEBACKCOLOR = 0x400,
    VGCELL_BORDERSTYLE = 0x800,
    VGCELL_BORDERPEN = 0x1000,
    VGCELL_FONT = 0x2000,
    VGCELL_BITMAP = 0x4000,
    VGCELL_ALIGNMENT = 0x8000,
    VGCELL_EXTRADATA = 0x10000,
    VGCELL_JOIN = 0x20000,
    VGCELL_FORMAT = 0x200000,
    VGCELL_STYLECELL = 0x800000,
    VGCELL_READONLY = 0x1000000,
    VGCELL_DECIMALS = 0x2000000,
    VGCELL_PLAINNUMBER = 0x4000000,  // number text skips the locale's number formatting
    VGCELL_THEMEELEMENT = 0x8000000,
};

// Data types.
constexpr short VGDATA_TEXT = 1;
constexpr short VGDATA_NUMBER = 2;
constexpr short VGDATA_BOOLEAN = 3;
constexpr short VGDATA_DATE = 4;      // OLE date in the number
constexpr short VGDATA_CURRENCY = 5;  // value in the number

class CVGCell : public CObject {
    DECLARE_DYNAMIC(CVGCell)

public:
    CVGCell();
    CVGCell(const CVGCell&) = default;
    CVGCell& operator=(const CVGCell&) = default;
    ~CVGCell() override = default;

    // Setters set their property bit, store the value and return 0.
    int PutText(LPCWSTR text);
    int PutNumber(double number);
    int PutBoolean(int value);
    int PutLabel(LPCWSTR label);
    int PutMask(LPCWSTR mask);
    int PutDecimals(int decimals);
    int PutPlainNumberText(int on);
    int PutReadOnly(int readOnly);
    int PutTypeIndex(int index);
    int PutTypeStyle(int style);
    int PutTextColor(COLORREF color);
    int PutBackColor(COLORREF color);
    int PutBorderStyle(short style);
    int PutBorderPen(CPen* pen);
    int PutFont(CFont* font);
    int PutBitmap(CBitmap* bitmap);
    int PutAlignment(short alignment);
    int PutFormatObject(CVGCellFormat* format);
    int PutStyleCell(CVGCell* style);
    int PutJoin(int origin, int columnOffset, int rowOffset);
    // Copies the block; the cell owns the copy.
    int PutExtraData(const void* data, int length);
    // Takes ownership of the object (shared with the cell's copies).
    int PutAttachment(CObject* attachment);
    // Stores the theme element without touching its bit (the bit comes from ResetProperties).
    int PutThemeElement(int element);
    int PutVisualStyle(BYTE on);
    int SetPropertyWord(DWORD word);

    // Text of the value; null when no value is set. A number's text is rebuilt from the number in
    // the current locale and stored in the cell.
    LPCWSTR ReadText();
    double ReadNumber() const;
    int ReadBoolean() const;
    LPCWSTR ReadLabel() const;
    // Copies the label; 1 when it is unset, else 0.
    int ReadLabel(CString& label) const;
    LPCWSTR ReadMask() const;
    int ReadDecimals() const;
    short ReadDataType() const;
    int ReadReadOnly() const;
    int ReadTypeIndex() const;
    int ReadTypeStyle() const;
    COLORREF ReadTextColor() const;
    COLORREF ReadBackColor() const;
    COLORREF ReadHighlightTextColor() const;
    COLORREF ReadHighlightBackColor() const;
    short ReadBorderStyle() const;
    CPen* ReadBorderPen() const;
    CFont* ReadFont() const;
    CBitmap* ReadBitmap() const;
    short ReadAlignment() const;
    CVGCellFormat* ReadFormatObject() const;
    CVGCell* ReadStyleCell() const;
    // Origin flag, column offset, row offset; 1 when the cell carries no join information.
    int ReadJoin(int* origin, int* columnOffset, int* rowOffset) const;
    // The shared block and its length; null when there is none.
    BYTE* ReadExtraData(int* length) const;
    CObject* ReadAttachment() const;
    int ReadThemeElement() const;
    BYTE ReadVisualStyle() const;
    int ReadTextLength() const;
    DWORD GetPropertyWord() const;
    int HasProperty(DWORD mask) const;

    // Copies of the set properties (all return 0).
    int MergeFrom(const CVGCell* source);
    int MergeInto(CVGCell* target) const;
    int ReplaceFrom(const CVGCell* source);
    int ReplaceInto(CVGCell* target) const;

    // Whether the two cells agree in everything but their text (the extras compared by identity).
    bool SameApartFromText(const CVGCell& other) const;
    // Whether the cell shares nothing with other holders: no attachment and no extra data.
    bool HoldsNoExtras() const { return !m_attachment && !m_extraData; }

    int ResetProperties();
    int ResetAll();
    int ConvertDataType(short type);
    // Lets go of this cell's share of the attachment and the extra data.
    int ReleaseExtras();
    int ReleaseExtraData();

private:
    // Stores one property and marks it set; 0, as every Put does.
    template <typename Member, typename Value>
    int Put(Member& member, Value value, DWORD property)
    {
        member = value;
        m_properties |= property;
        return 0;
    }

    void CopySetProperties(const CVGCell& source);
    CString BuildNumberText() const;

    std::shared_ptr<CObject> m_attachment;
    DWORD m_properties = 0;
    BYTE m_visualStyle = 1;
    // The data type sits beside the property word and before the text: reading a cell's text
    // (searches, sorts, painting) then touches the start of the record only.
    short m_dataType = VGDATA_TEXT;
    CVGCellFormat* m_pFormat = nullptr;
    CVGCell* m_pStyleCell = nullptr;
    double m_number = 0.0;
    CString m_text;
    CString m_label;
    CString m_mask;
    int m_readOnly = 0;
    int m_decimals = 0;
    int m_typeIndex = -1;
    int m_typeStyle = -1;
    COLORREF m_textColor = 0;
    COLORREF m_backColor = 0;
    COLORREF m_highlightTextColor = 0;
    COLORREF m_highlightBackColor = 0;
    short m_borderStyle = 0;
    CPen* m_pBorderPen = nullptr;
    CFont* m_pFont = nullptr;
    CBitmap* m_pBitmap = nullptr;
    short m_alignment = 1;
    std::shared_ptr<std::vector<BYTE>> m_extraData;
    // In the origin of a joined block: the offsets to its last cell; elsewhere the offsets back to
    // the origin (zero or negative).
    int m_joinOrigin = 0;
    int m_joinRowOffset = -1;
    int m_joinColumnOffset = -1;
    int m_themeElement = 16;
};
