#include "VGCell.h"

#include "VGLocale.h"

#include <cwchar>

IMPLEMENT_DYNAMIC(CVGCell, CObject)

namespace {

// The property word after a reset: data type, the four colours, alignment and theme element.
constexpr DWORD kResetWord = VGCELL_DATATYPE | VGCELL_TEXTCOLOR | VGCELL_BACKCOLOR | VGCELL_HILITETEXTCOLOR |
                             VGCELL_HILITEBACKCOLOR | VGCELL_ALIGNMENT | VGCELL_THEMEELEMENT;

// Text to number in the current locale: thousands separators and the currency symbol go, the
// decimal separator becomes '.', and the longest valid prefix is read (0 when there is none).
double ParseLocaleNumber(LPCWSTR text)
{
    if (!text)
        return 0.0;
    const CVGLocale& locale = CVGLocale::Current();
    CString plain(text);
    const CString thousands = locale.GetInfoText(LOCALE_STHOUSAND, 4);
    const CString currency = locale.GetInfoText(LOCALE_SCURRENCY, 6);
    const CString decimal = locale.GetInfoText(LOCALE_SDECIMAL, 4);
    if (!thousands.IsEmpty() && thousands != decimal)
        plain.Replace(thousands, L"");
    if (!currency.IsEmpty())
        plain.Replace(currency, L"");
    if (!decimal.IsEmpty())
        plain.Replace(decimal, L".");
    return std::wcstod(plain, nullptr);
}

// Groups and separators of the current locale over a plain number ("-1234.5").
CString LocaliseNumber(const CString& plain, int digits)
{
    const CVGLocale& locale = CVGLocale::Current();
    const CString decimal = locale.GetInfoText(LOCALE_SDECIMAL, 4);
    const CString thousands = locale.GetInfoText(LOCALE_STHOUSAND, 4);
    wchar_t decimalBuffer[4] = {};
    wchar_t thousandsBuffer[4] = {};
    wcsncpy(decimalBuffer, decimal, 3);
    wcsncpy(thousandsBuffer, thousands, 3);

    NUMBERFMTW format{};
    format.NumDigits = static_cast<UINT>(digits);
    format.LeadingZero = locale.GetInfoNumber(LOCALE_ILZERO);
    format.Grouping = 3;
    format.lpDecimalSep = decimalBuffer;
    format.lpThousandSep = thousandsBuffer;
    format.NegativeOrder = locale.GetInfoNumber(LOCALE_INEGNUMBER);

    CString formatted;
    if (locale.FormatNumber(plain, format, &formatted))
        return formatted;
    CString fallback(plain);
    if (!decimal.IsEmpty())
        fallback.Replace(L".", decimal);
    return fallback;
}

}  // namespace

CVGCell::CVGCell()
{
    ResetAll();
}

int CVGCell::PutText(LPCWSTR text)
{
    m_text = text;
    m_dataType = VGDATA_TEXT;
    if (m_text.IsEmpty())
        m_properties &= ~VGCELL_VALUE;
    else
        m_properties |= VGCELL_VALUE | VGCELL_DATATYPE;
    return 0;
}

int CVGCell::PutNumber(double number)
{
    m_text.Empty();
    m_number = number;
    m_dataType = VGDATA_NUMBER;
    m_properties |= VGCELL_VALUE | VGCELL_DATATYPE;
    return 0;
}

int CVGCell::PutBoolean(int value)
{
    m_text = value ? L"1" : L"0";
    m_dataType = VGDATA_BOOLEAN;
    m_properties |= VGCELL_VALUE | VGCELL_DATATYPE;
    return 0;
}

int CVGCell::PutLabel(LPCWSTR label) { return Put(m_label, label, VGCELL_LABEL); }
int CVGCell::PutMask(LPCWSTR mask) { return Put(m_mask, mask, VGCELL_MASK); }
int CVGCell::PutDecimals(int decimals) { return Put(m_decimals, decimals, VGCELL_DECIMALS); }

int CVGCell::PutPlainNumberText(int on)
{
    if (on)
        m_properties |= VGCELL_PLAINNUMBER;
    else
        m_properties &= ~VGCELL_PLAINNUMBER;
    return 0;
}

int CVGCell::PutReadOnly(int readOnly)
{
    m_readOnly = readOnly ? 1 : 0;
    m_properties |= VGCELL_READONLY;
    return 0;
}

int CVGCell::PutTypeIndex(int index) { return Put(m_typeIndex, index, VGCELL_TYPEINDEX); }
int CVGCell::PutTypeStyle(int style) { return Put(m_typeStyle, style, VGCELL_TYPESTYLE); }
int CVGCell::PutTextColor(COLORREF color) { return Put(m_textColor, color, VGCELL_TEXTCOLOR); }
int CVGCell::PutBackColor(COLORREF color) { return Put(m_backColor, color, VGCELL_BACKCOLOR); }
int CVGCell::PutBorderStyle(short style) { return Put(m_borderStyle, style, VGCELL_BORDERSTYLE); }
int CVGCell::PutBorderPen(CPen* pen) { return Put(m_pBorderPen, pen, VGCELL_BORDERPEN); }
int CVGCell::PutFont(CFont* font) { return Put(m_pFont, font, VGCELL_FONT); }
int CVGCell::PutBitmap(CBitmap* bitmap) { return Put(m_pBitmap, bitmap, VGCELL_BITMAP); }
int CVGCell::PutAlignment(short alignment) { return Put(m_alignment, alignment, VGCELL_ALIGNMENT); }
int CVGCell::PutFormatObject(CVGCellFormat* format) { return Put(m_pFormat, format, VGCELL_FORMAT); }
int CVGCell::PutStyleCell(CVGCell* style) { return Put(m_pStyleCell, style, VGCELL_STYLECELL); }

int CVGCell::PutJoin(int origin, int columnOffset, int rowOffset)
{
    m_joinOrigin = origin;
    m_joinColumnOffset = columnOffset;
    m_joinRowOffset = rowOffset;
    m_properties |= VGCELL_JOIN;
    return 0;
}

int CVGCell::PutExtraData(const void* data, int length)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    m_extraData = std::make_shared<std::vector<BYTE>>();
    if (bytes && length > 0)
        m_extraData->assign(bytes, bytes + length);
    m_properties |= VGCELL_EXTRADATA;
    return 0;
}

int CVGCell::PutAttachment(CObject* attachment)
{
    m_attachment.reset(attachment);
    return 0;
}

int CVGCell::PutThemeElement(int element)
{
    m_themeElement = element;
    return 0;
}

int CVGCell::PutVisualStyle(BYTE on)
{
    m_visualStyle = on;
    return 0;
}

int CVGCell::SetPropertyWord(DWORD word)
{
    m_properties = word;
    return 0;
}

LPCWSTR CVGCell::ReadText()
{
    if (!(m_properties & VGCELL_VALUE))
        return nullptr;
    if (ReadDataType() == VGDATA_NUMBER)
        m_text = BuildNumberText();
    return m_text;
}

CString CVGCell::BuildNumberText() const
{
    const bool fixed = (m_properties & VGCELL_DECIMALS) != 0;
    const int decimals = m_decimals > 0 ? m_decimals : 0;
    CString text;
    if (fixed) {
        text.Format(L"%1.*f", decimals, m_number);
    } else {
        // Twenty digits, then the zeros on both ends go: only zeros are trimmed, never rounded.
        text.Format(L"%.20f", m_number);
        text.TrimRight(L'0');
        text.TrimLeft(L'0');
    }
    if (!text.IsEmpty() && text[text.GetLength() - 1] == L'.')
        text.Truncate(text.GetLength() - 1);
    if (text.IsEmpty())
        text = L"0";
    if (m_properties & VGCELL_PLAINNUMBER)
        return text;
    const int point = text.Find(L'.');
    const int digits = fixed ? decimals : (point < 0 ? 0 : text.GetLength() - point - 1);
    return LocaliseNumber(text, digits);
}

double CVGCell::ReadNumber() const
{
    if (!(m_properties & VGCELL_VALUE))
        return 0.0;
    switch (ReadDataType()) {
    case VGDATA_NUMBER:
    case VGDATA_DATE:
    case VGDATA_CURRENCY:
        return m_number;
    default:
        return ParseLocaleNumber(m_text);
    }
}

int CVGCell::ReadBoolean() const
{
    if (ReadNumber() > 0.0)
        return 1;
    if (!(m_properties & VGCELL_VALUE) || m_text.IsEmpty())
        return 0;
    return (m_text[0] == L'T' || m_text[0] == L't') ? 1 : 0;
}

LPCWSTR CVGCell::ReadLabel() const
{
    return (m_properties & VGCELL_LABEL) ? m_label.GetString() : nullptr;
}

int CVGCell::ReadLabel(CString& label) const
{
    if (!(m_properties & VGCELL_LABEL))
        return 1;
    label = m_label;
    return 0;
}

LPCWSTR CVGCell::ReadMask() const
{
    return (m_properties & VGCELL_MASK) ? m_mask.GetString() : nullptr;
}

int CVGCell::ReadDecimals() const
{
    return (m_properties & VGCELL_DECIMALS) ? m_decimals : 0;
}

short CVGCell::ReadDataType() const
{
    return (m_properties & VGCELL_DATATYPE) ? m_dataType : VGDATA_TEXT;
}

int CVGCell::ReadReadOnly() const
{
    return (m_properties & VGCELL_READONLY) ? m_readOnly : 0;
}

int CVGCell::ReadTypeIndex() const
{
    return (m_properties & VGCELL_TYPEINDEX) ? m_typeIndex : 0;
}

int CVGCell::ReadTypeStyle() const
{
    return (m_properties & VGCELL_TYPESTYLE) ? m_typeStyle : 0;
}

COLORREF CVGCell::ReadTextColor() const
{
    return (m_properties & VGCELL_TEXTCOLOR) ? m_textColor : GetSysColor(COLOR_WINDOWTEXT);
}

COLORREF CVGCell::ReadBackColor() const
{
    return (m_properties & VGCELL_BACKCOLOR) ? m_backColor : GetSysColor(COLOR_WINDOW);
}

COLORREF CVGCell::ReadHighlightTextColor() const
{
    return (m_properties & VGCELL_HILITETEXTCOLOR) ? m_highlightTextColor : GetSysColor(COLOR_HIGHLIGHTTEXT);
}

COLORREF CVGCell::ReadHighlightBackColor() const
{
    return (m_properties & VGCELL_HILITEBACKCOLOR) ? m_highlightBackColor : GetSysColor(COLOR_HIGHLIGHT);
}

short CVGCell::ReadBorderStyle() const
{
    return (m_properties & VGCELL_BORDERSTYLE) ? m_borderStyle : 0;
}

CPen* CVGCell::ReadBorderPen() const
{
    return (m_properties & VGCELL_BORDERPEN) ? m_pBorderPen : nullptr;
}

CFont* CVGCell::ReadFont() const
{
    return (m_properties & VGCELL_FONT) ? m_pFont : nullptr;
}

CBitmap* CVGCell::ReadBitmap() const
{
    return (m_properties & VGCELL_BITMAP) ? m_pBitmap : nullptr;
}

short CVGCell::ReadAlignment() const
{
    return (m_properties & VGCELL_ALIGNMENT) ? m_alignment : 0;
}

CVGCellFormat* CVGCell::ReadFormatObject() const
{
    return (m_properties & VGCELL_FORMAT) ? m_pFormat : nullptr;
}

CVGCell* CVGCell::ReadStyleCell() const
{
    return (m_properties & VGCELL_STYLECELL) ? m_pStyleCell : nullptr;
}

int CVGCell::ReadJoin(int* origin, int* columnOffset, int* rowOffset) const
{
    if (origin)
        *origin = m_joinOrigin;
    if (columnOffset)
        *columnOffset = m_joinColumnOffset;
    if (rowOffset)
        *rowOffset = m_joinRowOffset;
    return (m_properties & VGCELL_JOIN) ? 0 : 1;
}

BYTE* CVGCell::ReadExtraData(int* length) const
{
    const bool present = (m_properties & VGCELL_EXTRADATA) && m_extraData;
    if (length)
        *length = present ? static_cast<int>(m_extraData->size()) : 0;
    return present ? m_extraData->data() : nullptr;
}

CObject* CVGCell::ReadAttachment() const
{
    return m_attachment.get();
}

int CVGCell::ReadThemeElement() const
{
    return m_themeElement;
}

BYTE CVGCell::ReadVisualStyle() const
{
    return m_visualStyle;
}

int CVGCell::ReadTextLength() const
{
    return (m_properties & VGCELL_VALUE) ? m_text.GetLength() : 0;
}

DWORD CVGCell::GetPropertyWord() const
{
    return m_properties;
}

int CVGCell::HasProperty(DWORD mask) const
{
    return (m_properties & mask) ? 1 : 0;
}

void CVGCell::CopySetProperties(const CVGCell& source)
{
    m_visualStyle = source.m_visualStyle;
    const DWORD set = source.m_properties;
    if (set & VGCELL_VALUE) {
        m_text = source.m_text;
        m_number = source.m_number;
    }
    if (set & VGCELL_MASK)
        m_mask = source.m_mask;
    if (set & VGCELL_LABEL)
        m_label = source.m_label;
    if (set & VGCELL_FORMAT)
        m_pFormat = source.m_pFormat;
    if (set & VGCELL_STYLECELL)
        m_pStyleCell = source.m_pStyleCell;
    if (set & VGCELL_DATATYPE)
        m_dataType = source.m_dataType;
    if (set & VGCELL_TYPEINDEX)
        m_typeIndex = source.m_typeIndex;
    if (set & VGCELL_TYPESTYLE)
        m_typeStyle = source.m_typeStyle;
    if (set & VGCELL_TEXTCOLOR)
        m_textColor = source.m_textColor;
    if (set & VGCELL_BACKCOLOR)
        m_backColor = source.m_backColor;
    if (set & VGCELL_HILITETEXTCOLOR)
        m_highlightTextColor = source.m_highlightTextColor;
    if (set & VGCELL_HILITEBACKCOLOR)
        m_highlightBackColor = source.m_highlightBackColor;
    if (set & VGCELL_BORDERSTYLE)
        m_borderStyle = source.m_borderStyle;
    if (set & VGCELL_BORDERPEN)
        m_pBorderPen = source.m_pBorderPen;
    if (set & VGCELL_FONT)
        m_pFont = source.m_pFont;
    if (set & VGCELL_BITMAP)
        m_pBitmap = source.m_pBitmap;
    if (set & VGCELL_ALIGNMENT)
        m_alignment = source.m_alignment;
    if (set & VGCELL_THEMEELEMENT)
        m_themeElement = source.m_themeElement;
    if (set & VGCELL_EXTRADATA)
        m_extraData = source.m_extraData;
    if (set & VGCELL_JOIN) {
        m_joinOrigin = source.m_joinOrigin;
        m_joinRowOffset = source.m_joinRowOffset;
        m_joinColumnOffset = source.m_joinColumnOffset;
    }
    if (set & VGCELL_DECIMALS)
        m_decimals = source.m_decimals;
    if (set & VGCELL_READONLY)
        m_readOnly = source.m_readOnly;
    // The attachment has no bit: it always travels with a copy, shared.
    m_attachment = source.m_attachment;
}

int CVGCell::MergeFrom(const CVGCell* source)
{
    if (!source)
        return 0;
    m_properties |= source->m_properties;
    CopySetProperties(*source);
    return 0;
}

int CVGCell::MergeInto(CVGCell* target) const
{
    return target ? target->MergeFrom(this) : 0;
}

int CVGCell::ReplaceFrom(const CVGCell* source)
{
    if (!source)
        return 0;
    m_properties = source->m_properties;
    CopySetProperties(*source);
    // The replaced cell says it has no extra data, so it keeps none (a merge leaves the target's).
    if (!(m_properties & VGCELL_EXTRADATA))
        m_extraData.reset();
    return 0;
}

bool CVGCell::SameApartFromText(const CVGCell& other) const
{
    return m_properties == other.m_properties && m_visualStyle == other.m_visualStyle &&
           m_dataType == other.m_dataType && m_pFormat == other.m_pFormat && m_pStyleCell == other.m_pStyleCell &&
           m_number == other.m_number && m_readOnly == other.m_readOnly && m_decimals == other.m_decimals &&
           m_typeIndex == other.m_typeIndex && m_typeStyle == other.m_typeStyle && m_textColor == other.m_textColor &&
           m_backColor == other.m_backColor && m_highlightTextColor == other.m_highlightTextColor &&
           m_highlightBackColor == other.m_highlightBackColor && m_borderStyle == other.m_borderStyle &&
           m_pBorderPen == other.m_pBorderPen && m_pFont == other.m_pFont && m_pBitmap == other.m_pBitmap &&
           m_alignment == other.m_alignment && m_joinOrigin == other.m_joinOrigin &&
           m_joinRowOffset == other.m_joinRowOffset && m_joinColumnOffset == other.m_joinColumnOffset &&
           m_themeElement == other.m_themeElement && m_attachment == other.m_attachment &&
           m_extraData == other.m_extraData && m_label == other.m_label && m_mask == other.m_mask;
}

int CVGCell::ReplaceInto(CVGCell* target) const
{
    return target ? target->ReplaceFrom(this) : 0;
}

int CVGCell::ResetProperties()
{
    m_properties = kResetWord;
    m_text.Empty();
    m_mask.Empty();
    m_label.Empty();
    m_pFormat = nullptr;
    m_pStyleCell = nullptr;
    m_attachment.reset();
    m_extraData.reset();
    m_number = 0.0;
    m_decimals = 0;
    m_dataType = VGDATA_TEXT;
    m_readOnly = 0;
    m_textColor = GetSysColor(COLOR_WINDOWTEXT);
    m_backColor = GetSysColor(COLOR_WINDOW);
    m_highlightTextColor = GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_highlightBackColor = GetSysColor(COLOR_HIGHLIGHT);
    m_alignment = 1;
    m_themeElement = 16;
    return 0;
}

int CVGCell::ResetAll()
{
    ResetProperties();
    m_borderStyle = 0;
    m_pBorderPen = nullptr;
    m_pFont = nullptr;
    m_pBitmap = nullptr;
    m_typeIndex = -1;
    m_typeStyle = -1;
    m_joinOrigin = 0;
    m_joinRowOffset = -1;
    m_joinColumnOffset = -1;
    return 0;
}

int CVGCell::ConvertDataType(short type)
{
    if (type == m_dataType && (m_properties & VGCELL_DATATYPE))
        return 0;
    if (m_properties & VGCELL_VALUE) {
        const CVGLocale& locale = CVGLocale::Current();
        switch (type) {
        case VGDATA_NUMBER:
            m_number = ParseLocaleNumber(ReadText());
            m_text.Empty();
            break;
        case VGDATA_DATE: {
            double date = 0.0;
            m_number = locale.ParseDate(CString(ReadText()), &date) ? date : 0.0;
            break;
        }
        case VGDATA_CURRENCY:
            if (ReadDataType() == VGDATA_NUMBER) {
                m_text.Format(L"%.2f", m_number);
            } else {
                // The whole value, cents included: currency text is never cut to whole units.
                LONGLONG tenThousandths = 0;
                m_number = locale.ParseCurrency(CString(ReadText()), &tenThousandths)
                               ? static_cast<double>(tenThousandths) / 10000.0
                               : 0.0;
            }
            break;
        default:
            break;
        }
    }
    m_dataType = type;
    m_properties |= VGCELL_DATATYPE;
    return 0;
}

int CVGCell::ReleaseExtraData()
{
    m_properties &= ~VGCELL_EXTRADATA;
    m_extraData.reset();
    return 0;
}

int CVGCell::ReleaseExtras()
{
    m_attachment.reset();
    return ReleaseExtraData();
}
