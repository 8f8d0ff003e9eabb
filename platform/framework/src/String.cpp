#include <framework/Module.h>
#include <framework/String.h>

#include <algorithm>
#include <cwctype>
#include <cctype>

namespace framework {
namespace {

std::wstring ToWide(const char* text, int length, UINT codePage) {
    if (text == nullptr || length == 0) return std::wstring();
    int needed = ::MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    std::wstring out(static_cast<size_t>(needed), L'\0');
    if (needed > 0) ::MultiByteToWideChar(codePage, 0, text, length, &out[0], needed);
    // A length of -1 converts the terminator too; drop it from the value.
    if (length < 0 && !out.empty()) out.pop_back();
    return out;
}

std::string ToNarrow(const wchar_t* text, int length, UINT codePage) {
    if (text == nullptr || length == 0) return std::string();
    int needed = ::WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(needed), '\0');
    if (needed > 0) ::WideCharToMultiByte(codePage, 0, text, length, &out[0], needed, nullptr, nullptr);
    if (length < 0 && !out.empty()) out.pop_back();
    return out;
}

// What differs between the two widths, in one place.
template <typename Ch>
struct Chars;

template <>
struct Chars<wchar_t> {
    static bool IsSpace(wchar_t c) { return std::iswspace(c) != 0; }
    static std::wstring FromOther(const char* s, int n) { return ToWide(s, n, CP_ACP); }
    static std::wstring Widen(const std::wstring& s) { return s; }
    static std::wstring FromWide(std::wstring s) { return s; }
    static void Upper(std::wstring& s) {
        if (!s.empty()) ::CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    }
    static void Lower(std::wstring& s) {
        if (!s.empty()) ::CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    }
    static std::wstring Format(const wchar_t* f, va_list a) { return FormatWide(f, a); }
};

template <>
struct Chars<char> {
    static bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
    static std::string FromOther(const wchar_t* s, int n) { return ToNarrow(s, n, CP_ACP); }
    static std::wstring Widen(const std::string& s) { return ToWide(s.c_str(), static_cast<int>(s.size()), CP_ACP); }
    static std::string FromWide(const std::wstring& s) { return ToNarrow(s.c_str(), static_cast<int>(s.size()), CP_ACP); }
    static void Upper(std::string& s) {
        if (!s.empty()) ::CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
    }
    static void Lower(std::string& s) {
        if (!s.empty()) ::CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
    }
    static std::string Format(const char* f, va_list a) { return FormatNarrow(f, a); }
};

template <typename Ch>
size_t Length(const Ch* s) {
    return s ? std::char_traits<Ch>::length(s) : 0;
}

template <typename Ch>
bool InSet(Ch c, const Ch* set) {
    for (const Ch* p = set; p && *p; ++p) {
        if (*p == c) return true;
    }
    return false;
}

// Maps the result of the system comparison calls (1, 2, 3) to the C convention (<0, 0, >0).
int FromCompareResult(int result) { return result == 0 ? 0 : result - CSTR_EQUAL; }

}  // namespace

template <typename Ch>
BasicString<Ch>::BasicString(PCYSTR psz) : m_str(psz ? Chars<Ch>::FromOther(psz, -1) : StdString()) {}

template <typename Ch>
BasicString<Ch>::BasicString(PCYSTR pch, int nLength)
    : m_str(pch && nLength > 0 ? Chars<Ch>::FromOther(pch, nLength) : StdString()) {}

template <typename Ch>
int BasicString<Ch>::Compare(PCXSTR psz) const {
    return m_str.compare(psz ? psz : StdString().c_str());
}

template <typename Ch>
int BasicString<Ch>::CompareNoCase(PCXSTR psz) const {
    std::wstring a = Chars<Ch>::Widen(m_str);
    std::wstring b = Chars<Ch>::Widen(psz ? StdString(psz) : StdString());
    return FromCompareResult(::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                                    static_cast<int>(b.size()), TRUE));
}

template <typename Ch>
int BasicString<Ch>::Collate(PCXSTR psz) const {
    std::wstring a = Chars<Ch>::Widen(m_str);
    std::wstring b = Chars<Ch>::Widen(psz ? StdString(psz) : StdString());
    return FromCompareResult(::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()),
                                              b.c_str(), static_cast<int>(b.size())));
}

template <typename Ch>
int BasicString<Ch>::CollateNoCase(PCXSTR psz) const {
    std::wstring a = Chars<Ch>::Widen(m_str);
    std::wstring b = Chars<Ch>::Widen(psz ? StdString(psz) : StdString());
    return FromCompareResult(::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                                              static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size())));
}

template <typename Ch>
BasicString<Ch> BasicString<Ch>::Mid(int iFirst, int nCount) const {
    if (iFirst < 0) iFirst = 0;
    if (nCount < 0) nCount = 0;
    int length = GetLength();
    if (iFirst >= length) return BasicString();
    nCount = std::min(nCount, length - iFirst);
    return BasicString(m_str.substr(static_cast<size_t>(iFirst), static_cast<size_t>(nCount)));
}

template <typename Ch>
BasicString<Ch> BasicString<Ch>::Right(int nCount) const {
    if (nCount < 0) nCount = 0;
    int length = GetLength();
    return nCount >= length ? *this : Mid(length - nCount, nCount);
}

template <typename Ch>
BasicString<Ch> BasicString<Ch>::SpanIncluding(PCXSTR pszCharSet) const {
    size_t n = 0;
    while (n < m_str.size() && InSet(m_str[n], pszCharSet)) ++n;
    return BasicString(m_str.substr(0, n));
}

template <typename Ch>
BasicString<Ch> BasicString<Ch>::SpanExcluding(PCXSTR pszCharSet) const {
    size_t n = 0;
    while (n < m_str.size() && !InSet(m_str[n], pszCharSet)) ++n;
    return BasicString(m_str.substr(0, n));
}

template <typename Ch>
BasicString<Ch> BasicString<Ch>::Tokenize(PCXSTR pszTokens, int& iStart) const {
    if (iStart < 0) return BasicString();
    size_t pos = static_cast<size_t>(iStart);
    while (pos < m_str.size() && InSet(m_str[pos], pszTokens)) ++pos;
    if (pos >= m_str.size()) {
        iStart = -1;
        return BasicString();
    }
    size_t end = pos;
    while (end < m_str.size() && !InSet(m_str[end], pszTokens)) ++end;
    // The next search starts after the delimiter that ended this token.
    iStart = static_cast<int>(end < m_str.size() ? end + 1 : end);
    return BasicString(m_str.substr(pos, end - pos));
}

template <typename Ch>
int BasicString<Ch>::Find(Ch ch, int iStart) const {
    if (iStart < 0 || iStart > GetLength()) return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(iStart));
    return pos == StdString::npos ? -1 : static_cast<int>(pos);
}

template <typename Ch>
int BasicString<Ch>::Find(PCXSTR pszSub, int iStart) const {
    if (pszSub == nullptr || iStart < 0 || iStart > GetLength()) return -1;
    size_t pos = m_str.find(pszSub, static_cast<size_t>(iStart));
    return pos == StdString::npos ? -1 : static_cast<int>(pos);
}

template <typename Ch>
int BasicString<Ch>::ReverseFind(Ch ch) const {
    size_t pos = m_str.rfind(ch);
    return pos == StdString::npos ? -1 : static_cast<int>(pos);
}

template <typename Ch>
int BasicString<Ch>::FindOneOf(PCXSTR pszCharSet) const {
    if (pszCharSet == nullptr) return -1;
    size_t pos = m_str.find_first_of(pszCharSet);
    return pos == StdString::npos ? -1 : static_cast<int>(pos);
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::MakeUpper() {
    Chars<Ch>::Upper(m_str);
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::MakeLower() {
    Chars<Ch>::Lower(m_str);
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::MakeReverse() {
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::Trim() {
    return TrimRight().TrimLeft();
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::Trim(Ch chTarget) {
    return TrimRight(chTarget).TrimLeft(chTarget);
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::Trim(PCXSTR pszTargets) {
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::TrimLeft() {
    auto first = std::find_if(m_str.begin(), m_str.end(), [](Ch c) { return !Chars<Ch>::IsSpace(c); });
    m_str.erase(m_str.begin(), first);
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::TrimLeft(Ch chTarget) {
    auto first = std::find_if(m_str.begin(), m_str.end(), [chTarget](Ch c) { return c != chTarget; });
    m_str.erase(m_str.begin(), first);
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::TrimLeft(PCXSTR pszTargets) {
    auto first = std::find_if(m_str.begin(), m_str.end(), [pszTargets](Ch c) { return !InSet(c, pszTargets); });
    m_str.erase(m_str.begin(), first);
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::TrimRight() {
    while (!m_str.empty() && Chars<Ch>::IsSpace(m_str.back())) m_str.pop_back();
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::TrimRight(Ch chTarget) {
    while (!m_str.empty() && m_str.back() == chTarget) m_str.pop_back();
    return *this;
}

template <typename Ch>
BasicString<Ch>& BasicString<Ch>::TrimRight(PCXSTR pszTargets) {
    while (!m_str.empty() && InSet(m_str.back(), pszTargets)) m_str.pop_back();
    return *this;
}

template <typename Ch>
int BasicString<Ch>::Replace(Ch chOld, Ch chNew) {
    int count = 0;
    for (Ch& c : m_str) {
        if (c == chOld) {
            c = chNew;
            ++count;
        }
    }
    return count;
}

template <typename Ch>
int BasicString<Ch>::Replace(PCXSTR pszOld, PCXSTR pszNew) {
    size_t oldLength = Length(pszOld);
    if (oldLength == 0) return 0;
    StdString replacement = pszNew ? pszNew : StdString();
    int count = 0;
    StdString out;
    size_t from = 0;
    for (size_t pos = m_str.find(pszOld, 0, oldLength); pos != StdString::npos;
         pos = m_str.find(pszOld, from, oldLength)) {
        out.append(m_str, from, pos - from);
        out += replacement;
        from = pos + oldLength;
        ++count;
    }
    if (count > 0) {
        out.append(m_str, from, StdString::npos);
        m_str.swap(out);
    }
    return count;
}

template <typename Ch>
int BasicString<Ch>::Remove(Ch chRemove) {
    size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), chRemove), m_str.end());
    return static_cast<int>(before - m_str.size());
}

template <typename Ch>
int BasicString<Ch>::Insert(int iIndex, Ch ch) {
    iIndex = std::max(0, std::min(iIndex, GetLength()));
    m_str.insert(static_cast<size_t>(iIndex), 1, ch);
    return GetLength();
}

template <typename Ch>
int BasicString<Ch>::Insert(int iIndex, PCXSTR psz) {
    iIndex = std::max(0, std::min(iIndex, GetLength()));
    if (psz) m_str.insert(static_cast<size_t>(iIndex), psz);
    return GetLength();
}

template <typename Ch>
int BasicString<Ch>::Delete(int iIndex, int nCount) {
    if (iIndex < 0) iIndex = 0;
    if (nCount > 0 && iIndex < GetLength()) m_str.erase(static_cast<size_t>(iIndex), static_cast<size_t>(nCount));
    return GetLength();
}

template <typename Ch>
void BasicString<Ch>::Truncate(int nNewLength) {
    if (nNewLength >= 0 && nNewLength < GetLength()) m_str.resize(static_cast<size_t>(nNewLength));
}

template <typename Ch>
void BasicString<Ch>::Format(PCXSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

template <typename Ch>
void BasicString<Ch>::Format(UINT nFormatID, ...) {
    BasicString format;
    format.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(format.GetString(), args);
    va_end(args);
}

template <typename Ch>
void BasicString<Ch>::FormatV(PCXSTR pszFormat, va_list args) {
    m_str = Chars<Ch>::Format(pszFormat, args);
}

template <typename Ch>
void BasicString<Ch>::AppendFormat(PCXSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

template <typename Ch>
void BasicString<Ch>::AppendFormatV(PCXSTR pszFormat, va_list args) {
    m_str += Chars<Ch>::Format(pszFormat, args);
}

template <typename Ch>
typename BasicString<Ch>::PXSTR BasicString<Ch>::GetBuffer() {
    return &m_str[0];
}

template <typename Ch>
typename BasicString<Ch>::PXSTR BasicString<Ch>::GetBuffer(int nMinBufferLength) {
    if (nMinBufferLength > GetLength()) m_str.resize(static_cast<size_t>(nMinBufferLength));
    return &m_str[0];
}

template <typename Ch>
typename BasicString<Ch>::PXSTR BasicString<Ch>::GetBufferSetLength(int nLength) {
    m_str.resize(static_cast<size_t>(std::max(0, nLength)));
    return &m_str[0];
}

template <typename Ch>
void BasicString<Ch>::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0) {
        size_t terminator = m_str.find(Ch(0));
        if (terminator != StdString::npos) m_str.resize(terminator);
    } else if (static_cast<size_t>(nNewLength) <= m_str.size()) {
        m_str.resize(static_cast<size_t>(nNewLength));
    }
}

template <typename Ch>
BOOL BasicString<Ch>::LoadString(UINT nID) {
    if (LoadString(AfxGetResourceHandle(), nID)) return TRUE;
    HINSTANCE instance = AfxGetInstanceHandle();
    return instance != AfxGetResourceHandle() && LoadString(instance, nID);
}

template <typename Ch>
BOOL BasicString<Ch>::LoadString(HINSTANCE hInstance, UINT nID) {
    // A zero buffer size asks for a read-only pointer into the resource itself; the text there is
    // counted, not terminated.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(hInstance, nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return FALSE;
    m_str = Chars<Ch>::FromWide(std::wstring(text, static_cast<size_t>(length)));
    return TRUE;
}

template class BasicString<wchar_t>;
template class BasicString<char>;

}  // namespace framework

BOOL AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString, wchar_t chSep) {
    rString.Empty();
    if (lpszFullString == nullptr || iSubString < 0) return FALSE;
    const wchar_t* piece = lpszFullString;
    for (; iSubString > 0; --iSubString) {
        piece = wcschr(piece, chSep);
        if (piece == nullptr) return FALSE;
        ++piece;
    }
    const wchar_t* end = wcschr(piece, chSep);
    rString = end ? CString(piece, static_cast<int>(end - piece)) : CString(piece);
    return TRUE;
}

CStringA WideToNarrow(const wchar_t* text, UINT codePage) {
    return CStringA(framework::ToNarrow(text, -1, codePage));
}

CString NarrowToWide(const char* text, UINT codePage) { return CString(framework::ToWide(text, -1, codePage)); }
