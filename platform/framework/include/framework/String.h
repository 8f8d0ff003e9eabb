// Text values: CString (UTF-16, the program's own text) and its narrow twin CStringA.
//
// A plain value type over std::basic_string; copies are copies. Narrow text converts through the ANSI
// code page, as the Win32 "A" functions do. The class converts implicitly to a character pointer, but
// it cannot travel through a variadic argument list: pass GetString() (or a cast) to Format and printf.
#pragma once

#include <windows.h>

#include <tchar.h>

#include <cstdarg>
#include <string>
#include <type_traits>

namespace framework {

template <typename Ch>
class BasicString {
public:
    using XCHAR = Ch;
    using PXSTR = Ch*;
    using PCXSTR = const Ch*;
    // The other width, used for conversions.
    using YCHAR = typename std::conditional<std::is_same<Ch, wchar_t>::value, char, wchar_t>::type;
    using PCYSTR = const YCHAR*;
    using StdString = std::basic_string<Ch>;

    BasicString() = default;
    BasicString(const BasicString&) = default;
    BasicString(BasicString&&) noexcept = default;
    BasicString(PCXSTR psz) : m_str(psz ? StdString(psz) : StdString()) {}
    BasicString(PCXSTR pch, int nLength) : m_str(pch && nLength > 0 ? StdString(pch, nLength) : StdString()) {}
    explicit BasicString(Ch ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    BasicString(PCYSTR psz);
    BasicString(PCYSTR pch, int nLength);
    BasicString(const BasicString<YCHAR>& other) : BasicString(other.GetString(), other.GetLength()) {}
    BasicString(const StdString& s) : m_str(s) {}
    BasicString(StdString&& s) noexcept : m_str(std::move(s)) {}

    BasicString& operator=(const BasicString&) = default;
    BasicString& operator=(BasicString&&) noexcept = default;
    // Assigned in place: the text reuses the storage it already has.
    BasicString& operator=(PCXSTR psz) {
        if (psz)
            m_str.assign(psz);
        else
            m_str.clear();
        return *this;
    }
    BasicString& operator=(Ch ch) { m_str.assign(1, ch); return *this; }
    BasicString& operator=(PCYSTR psz) { return *this = BasicString(psz); }
    BasicString& operator=(const BasicString<YCHAR>& other) { return *this = BasicString(other); }

    // Length and access.
    int GetLength() const noexcept { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const noexcept { return m_str.empty(); }
    void Empty() noexcept { m_str.clear(); }
    Ch GetAt(int iChar) const { return m_str.at(static_cast<size_t>(iChar)); }
    void SetAt(int iChar, Ch ch) { m_str.at(static_cast<size_t>(iChar)) = ch; }
    Ch operator[](int iChar) const { return GetAt(iChar); }
    PCXSTR GetString() const noexcept { return m_str.c_str(); }
    operator PCXSTR() const noexcept { return m_str.c_str(); }
    const StdString& Str() const noexcept { return m_str; }

    // Appending.
    BasicString& operator+=(const BasicString& s) { m_str += s.m_str; return *this; }
    BasicString& operator+=(PCXSTR psz) { if (psz) m_str += psz; return *this; }
    BasicString& operator+=(Ch ch) { m_str += ch; return *this; }
    BasicString& operator+=(PCYSTR psz) { return *this += BasicString(psz); }
    void Append(PCXSTR psz) { *this += psz; }
    void Append(PCXSTR pch, int nLength) { if (pch && nLength > 0) m_str.append(pch, nLength); }
    void Append(const BasicString& s) { m_str += s.m_str; }
    void AppendChar(Ch ch) { m_str += ch; }

    // Comparison: ordinal, and case-insensitive by the system's case tables.
    int Compare(PCXSTR psz) const;
    int CompareNoCase(PCXSTR psz) const;
    int Collate(PCXSTR psz) const;
    int CollateNoCase(PCXSTR psz) const;

    // Pieces. Positions and counts out of range are clamped, never fatal.
    BasicString Mid(int iFirst) const { return Mid(iFirst, GetLength()); }
    BasicString Mid(int iFirst, int nCount) const;
    BasicString Left(int nCount) const { return Mid(0, nCount); }
    BasicString Right(int nCount) const;
    BasicString SpanIncluding(PCXSTR pszCharSet) const;
    BasicString SpanExcluding(PCXSTR pszCharSet) const;
    // Next token after iStart, skipping leading delimiters; at the end iStart becomes -1 and the result is empty.
    BasicString Tokenize(PCXSTR pszTokens, int& iStart) const;

    // Searching; -1 when not found.
    int Find(Ch ch, int iStart = 0) const;
    int Find(PCXSTR pszSub, int iStart = 0) const;
    int ReverseFind(Ch ch) const;
    int FindOneOf(PCXSTR pszCharSet) const;

    // Editing in place.
    BasicString& MakeUpper();
    BasicString& MakeLower();
    BasicString& MakeReverse();
    BasicString& Trim();
    BasicString& Trim(Ch chTarget);
    BasicString& Trim(PCXSTR pszTargets);
    BasicString& TrimLeft();
    BasicString& TrimLeft(Ch chTarget);
    BasicString& TrimLeft(PCXSTR pszTargets);
    BasicString& TrimRight();
    BasicString& TrimRight(Ch chTarget);
    BasicString& TrimRight(PCXSTR pszTargets);
    int Replace(Ch chOld, Ch chNew);
    int Replace(PCXSTR pszOld, PCXSTR pszNew);
    int Remove(Ch chRemove);
    int Insert(int iIndex, Ch ch);
    int Insert(int iIndex, PCXSTR psz);
    int Delete(int iIndex, int nCount = 1);
    void Truncate(int nNewLength);

    // Formatting with printf conventions as the Win32 C library reads them: %s and %c take this
    // class's own width, %S and %C the other width, %hs/%hc narrow, %ls/%lc/%ws wide; %I64d, %I32d,
    // %Iu and the C99 length modifiers all work.
    void Format(PCXSTR pszFormat, ...);
    void Format(UINT nFormatID, ...);
    void FormatV(PCXSTR pszFormat, va_list args);
    void AppendFormat(PCXSTR pszFormat, ...);
    void AppendFormatV(PCXSTR pszFormat, va_list args);

    // Direct buffer access: the buffer holds at least nMinBufferLength characters plus a terminator
    // until ReleaseBuffer, which takes the length given or the length up to the first terminator.
    PXSTR GetBuffer();
    PXSTR GetBuffer(int nMinBufferLength);
    PXSTR GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }
    void Preallocate(int nLength) { if (nLength > 0) m_str.reserve(static_cast<size_t>(nLength)); }
    void FreeExtra() { m_str.shrink_to_fit(); }

    // String table entries, from the resource module (the executable unless a language module is set).
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    friend BasicString operator+(const BasicString& a, const BasicString& b) { BasicString r(a); r += b; return r; }
    friend BasicString operator+(const BasicString& a, PCXSTR b) { BasicString r(a); r += b; return r; }
    friend BasicString operator+(PCXSTR a, const BasicString& b) { BasicString r(a); r += b; return r; }
    friend BasicString operator+(const BasicString& a, Ch b) { BasicString r(a); r += b; return r; }
    friend BasicString operator+(Ch a, const BasicString& b) { BasicString r(a); r += b; return r; }

    friend bool operator==(const BasicString& a, const BasicString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const BasicString& a, PCXSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(PCXSTR a, const BasicString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const BasicString& a, const BasicString& b) { return !(a == b); }
    friend bool operator!=(const BasicString& a, PCXSTR b) { return !(a == b); }
    friend bool operator!=(PCXSTR a, const BasicString& b) { return !(a == b); }
    friend bool operator<(const BasicString& a, const BasicString& b) { return a.m_str < b.m_str; }
    friend bool operator<(const BasicString& a, PCXSTR b) { return a.Compare(b) < 0; }
    friend bool operator<(PCXSTR a, const BasicString& b) { return b.Compare(a) > 0; }
    friend bool operator>(const BasicString& a, const BasicString& b) { return b < a; }
    friend bool operator>(const BasicString& a, PCXSTR b) { return a.Compare(b) > 0; }
    friend bool operator>(PCXSTR a, const BasicString& b) { return b.Compare(a) < 0; }
    friend bool operator<=(const BasicString& a, const BasicString& b) { return !(b < a); }
    friend bool operator<=(const BasicString& a, PCXSTR b) { return a.Compare(b) <= 0; }
    friend bool operator<=(PCXSTR a, const BasicString& b) { return b.Compare(a) >= 0; }
    friend bool operator>=(const BasicString& a, const BasicString& b) { return !(a < b); }
    friend bool operator>=(const BasicString& a, PCXSTR b) { return a.Compare(b) >= 0; }
    friend bool operator>=(PCXSTR a, const BasicString& b) { return b.Compare(a) <= 0; }

private:
    StdString m_str;
};

extern template class BasicString<wchar_t>;
extern template class BasicString<char>;

// Formats into a standard string with the conventions described at BasicString::Format.
std::wstring FormatWide(const wchar_t* format, va_list args);
std::string FormatNarrow(const char* format, va_list args);

}  // namespace framework

using CString = framework::BasicString<wchar_t>;
using CStringW = framework::BasicString<wchar_t>;
using CStringA = framework::BasicString<char>;

// The iSubString-th piece of lpszFullString cut at chSep; FALSE (and empty) past the last piece.
BOOL AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString, wchar_t chSep = L'\n');

// Conversions with an explicit code page (CP_ACP, CP_UTF8 ...).
CStringA WideToNarrow(const wchar_t* text, UINT codePage = CP_ACP);
CString NarrowToWide(const char* text, UINT codePage = CP_ACP);
