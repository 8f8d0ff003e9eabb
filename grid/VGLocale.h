// The national-language conventions that cell text follows: separators, number formatting and the
// OLE automation date and currency parsers.
//
// Cells reach them through one process-wide object, so a program (or a test) can run the grid in a
// locale other than the user's default. Like the rest of the grid it is touched only on the window
// thread: swap it before cells are read, never while they are.
#pragma once

#include <framework/Framework.h>

class CVGLocale {
public:
    explicit CVGLocale(LCID lcid = LOCALE_USER_DEFAULT) : m_lcid(lcid) {}
    virtual ~CVGLocale() = default;

    LCID GetLcid() const { return m_lcid; }

    // A text item read into a buffer of bufferChars characters (terminator included), as the number
    // conversions do; empty when the item does not fit or the locale lacks it.
    virtual CString GetInfoText(LCTYPE type, int bufferChars) const;
    virtual UINT GetInfoNumber(LCTYPE type) const;
    // GetNumberFormatW of a plain number ("-1234.5") into a 256-character buffer.
    virtual bool FormatNumber(const CString& plain, const NUMBERFMTW& format, CString* result) const;
    // OLE date (days since 30 December 1899) and currency (ten-thousandths) parsing, flags 0.
    virtual bool ParseDate(const CString& text, double* oleDate) const;
    virtual bool ParseCurrency(const CString& text, LONGLONG* tenThousandths) const;

    // The locale cells use; the user's default unless a caller installed another.
    static CVGLocale& Current();
    // Installs a locale (not owned; it must outlive its use); null goes back to the user's default.
    static void SetCurrent(CVGLocale* locale);

private:
    LCID m_lcid;
};
