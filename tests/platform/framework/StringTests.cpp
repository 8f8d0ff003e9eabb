#include <framework/Framework.h>

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char* name;
    CString expected;
    CString actual;
};

CString Fmt(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    CString s;
    s.FormatV(format, args);
    va_end(args);
    return s;
}

CStringA FmtA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    CStringA s;
    s.FormatV(format, args);
    va_end(args);
    return s;
}

TEST(StringFormat, ReadsConversionsTheWin32Way) {
    const FormatCase cases[] = {
        {"plain integer", L"42", Fmt(L"%d", 42)},
        {"negative padded", L"  -7", Fmt(L"%4d", -7)},
        {"zero padded hex", L"00ff", Fmt(L"%04x", 255)},
        {"upper hex", L"ABCD", Fmt(L"%X", 0xABCD)},
        {"left aligned", L"ab  |", Fmt(L"%-4s|", L"ab")},
        {"star width", L"   5", Fmt(L"%*d", 4, 5)},
        {"fixed point", L"3.14", Fmt(L"%.2f", 3.14159)},
        {"exponent", L"1.500000e+03", Fmt(L"%e", 1500.0)},
        {"I64 signed", L"-9000000000", Fmt(L"%I64d", -9000000000LL)},
        {"I64 unsigned", L"18446744073709551615", Fmt(L"%I64u", 18446744073709551615ULL)},
        {"ll signed", L"123456789012", Fmt(L"%lld", 123456789012LL)},
        {"size_t", L"77", Fmt(L"%Iu", static_cast<size_t>(77))},
        {"short truncates", L"-1", Fmt(L"%hd", 0xFFFF)},
        {"wide %s is wide", L"<über>", Fmt(L"<%s>", L"über")},
        {"wide %S is narrow", L"<abc>", Fmt(L"<%S>", "abc")},
        {"wide %hs is narrow", L"<abc>", Fmt(L"<%hs>", "abc")},
        {"wide %ls is wide", L"<abc>", Fmt(L"<%ls>", L"abc")},
        {"wide %c is wide", L"\x3042", Fmt(L"%c", L'\x3042')},
        {"precision caps string", L"abc", Fmt(L"%.3s", L"abcdef")},
        {"null string", L"(null)", Fmt(L"%s", static_cast<const wchar_t*>(nullptr))},
        {"percent sign", L"100%", Fmt(L"%d%%", 100)},
        {"pointer is full width", L"00000000DEADBEEF", Fmt(L"%p", reinterpret_cast<void*>(0xDEADBEEF))},
        {"mixed", L"Port 1: 10 Mbps, up", Fmt(L"Port %d: %u %s, %s", 1, 10u, L"Mbps", L"up")},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, c.actual) << c.name;
}

TEST(StringFormat, NarrowFormatReadsPlainSAsNarrow) {
    EXPECT_EQ(CStringA("x=abc y=def 5"), FmtA("x=%s y=%S %d", "abc", L"def", 5));
}

TEST(StringFormat, AppendFormatKeepsExistingText) {
    CString s(L"Rx:");
    s.AppendFormat(L" %d/%d", 3, 4);
    EXPECT_EQ(CString(L"Rx: 3/4"), s);
}

TEST(StringSearch, FindsCharactersAndSubstrings) {
    CString s(L"Link up, link down");
    EXPECT_EQ(0, s.Find(L'L'));
    EXPECT_EQ(9, s.Find(L"link"));
    EXPECT_EQ(-1, s.Find(L"Link", 1));
    EXPECT_EQ(14, s.ReverseFind(L'd'));
    EXPECT_EQ(4, s.FindOneOf(L" ,"));
    EXPECT_EQ(-1, s.Find(L'z'));
    EXPECT_EQ(-1, s.Find(L'L', 100));
}

TEST(StringPieces, ClampOutOfRangeArguments) {
    CString s(L"abcdef");
    EXPECT_EQ(CString(L"cde"), s.Mid(2, 3));
    EXPECT_EQ(CString(L"ef"), s.Mid(4, 100));
    EXPECT_EQ(CString(L""), s.Mid(10));
    EXPECT_EQ(CString(L"ab"), s.Left(2));
    EXPECT_EQ(CString(L"abcdef"), s.Left(99));
    EXPECT_EQ(CString(L"def"), s.Right(3));
    EXPECT_EQ(CString(L"abcdef"), s.Right(99));
    EXPECT_EQ(CString(L""), s.Left(-1));
}

TEST(StringPieces, SpanAndTokenize) {
    CString s(L"123abc");
    EXPECT_EQ(CString(L"123"), s.SpanIncluding(L"0123456789"));
    EXPECT_EQ(CString(L"123ab"), s.SpanExcluding(L"c"));

    CString list(L",,a,bb;;c,");
    int pos = 0;
    std::vector<CString> tokens;
    for (CString t = list.Tokenize(L",;", pos); pos >= 0; t = list.Tokenize(L",;", pos)) tokens.push_back(t);
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ(CString(L"a"), tokens[0]);
    EXPECT_EQ(CString(L"bb"), tokens[1]);
    EXPECT_EQ(CString(L"c"), tokens[2]);
}

TEST(StringEdit, TrimReplaceRemoveInsertDelete) {
    CString s(L" \t value \r\n");
    s.Trim();
    EXPECT_EQ(CString(L"value"), s);
    CString z(L"0042000");
    z.TrimLeft(L'0');
    EXPECT_EQ(CString(L"42000"), z);
    z.TrimRight(L"0");
    EXPECT_EQ(CString(L"42"), z);

    CString r(L"a-b-c");
    EXPECT_EQ(2, r.Replace(L"-", L"::"));
    EXPECT_EQ(CString(L"a::b::c"), r);
    EXPECT_EQ(0, r.Replace(L"", L"x"));
    EXPECT_EQ(4, r.Replace(L':', L'.'));
    EXPECT_EQ(4, r.Remove(L'.'));
    EXPECT_EQ(CString(L"abc"), r);
    EXPECT_EQ(5, r.Insert(1, L"XY"));
    EXPECT_EQ(CString(L"aXYbc"), r);
    EXPECT_EQ(6, r.Insert(100, L'!'));
    EXPECT_EQ(3, r.Delete(1, 3));
    EXPECT_EQ(CString(L"ac!"), r);
    EXPECT_EQ(3, r.Delete(10, 2));
}

TEST(StringCase, FoldsNonAsciiLetters) {
    CString s(L"Größe Ärger");
    s.MakeUpper();
    EXPECT_EQ(CString(L"GRÖßE ÄRGER"), s);
    s.MakeLower();
    EXPECT_EQ(CString(L"größe ärger"), s);
    EXPECT_EQ(0, CString(L"ÄBC").CompareNoCase(L"äbc"));
    EXPECT_LT(CString(L"abc").CompareNoCase(L"ABD"), 0);
    EXPECT_GT(CString(L"b").Compare(L"a"), 0);
}

TEST(StringBuffer, ReleaseBufferTakesTerminatedLength) {
    CString s;
    wchar_t* p = s.GetBuffer(32);
    wcscpy(p, L"hello");
    s.ReleaseBuffer();
    EXPECT_EQ(5, s.GetLength());
    p = s.GetBufferSetLength(3);
    p[0] = L'x';
    s.ReleaseBuffer();
    EXPECT_EQ(CString(L"xel"), s);
    s.GetBuffer(10);
    s.ReleaseBuffer(2);
    EXPECT_EQ(CString(L"xe"), s);
}

TEST(StringConversion, NarrowAndWideRoundTrip) {
    CString wide("plain ascii");
    EXPECT_EQ(CString(L"plain ascii"), wide);
    CStringA narrow(L"back again");
    EXPECT_EQ(CStringA("back again"), narrow);

    const wchar_t* japanese = L"\x65E5\x672C\x8A9E";  // three CJK characters
    CStringA utf8 = WideToNarrow(japanese, CP_UTF8);
    EXPECT_EQ(CStringA("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"), utf8);
    EXPECT_EQ(CString(japanese), NarrowToWide(utf8, CP_UTF8));
}

TEST(StringPieces, ExtractSubStringCutsAtTheSeparator) {
    CString piece;
    EXPECT_TRUE(AfxExtractSubString(piece, L"Clear all counters\nClear Counter", 1));
    EXPECT_EQ(CString(L"Clear Counter"), piece);
    EXPECT_TRUE(AfxExtractSubString(piece, L"a,,c", 1, L','));
    EXPECT_EQ(CString(L""), piece);
    EXPECT_FALSE(AfxExtractSubString(piece, L"only", 1));
    EXPECT_TRUE(piece.IsEmpty());
}

TEST(StringOperators, ConcatenateAndCompare) {
    CString a(L"Port");
    CString b = a + L' ' + L"A" + CString(L"!");
    EXPECT_EQ(CString(L"Port A!"), b);
    EXPECT_TRUE(L"Port A!" == b);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b != L"Port B!");
    EXPECT_EQ(L'P', b[0]);
    EXPECT_STREQ(L"Port A!", static_cast<LPCWSTR>(b));
}

}  // namespace
