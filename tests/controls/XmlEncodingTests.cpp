// Encoding names, the UTF codecs, the converter, block ends and declared encodings.
#include "xml/XmlDocument.h"
#include "xml/XmlTextConverter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct NameCase {
    const wchar_t* name;
    int codePage;
};

class XmlEncodingName : public testing::TestWithParam<NameCase> {};

TEST_P(XmlEncodingName, GivesItsCodePage)
{
    EXPECT_EQ(XmlCodePageOfName(GetParam().name), GetParam().codePage) << GetParam().name;
}

const NameCase kNameCases[] = {
    {L"", 0},
    {L"UTF-32", 65005},
    {L"UTF-32BE", 65005},
    {L"utf-32", 12000},
    {L"Latin1", 28591},
    {L"UTF-8", 65001},
    {L"Shift_JIS", 932},
    {L"ISO-8859-1", 28591},
    {L"cp1256 ", 1256},
    {L"cp500", 500},
    {L"csIBM500", 500},
    {L"ebcdic-cp-be", 500},
    {L"EBCDIC-CP-CH", 500},
    {L"ibm775", 775},
    {L"unicodeFFFE", 1201},
    {L"nonsense", -1},
    {L"utf-8 ", -1},
};

INSTANTIATE_TEST_SUITE_P(Cases, XmlEncodingName, testing::ValuesIn(kNameCases));

TEST(XmlEncodingName, HundredCharactersAreTooLong)
{
    EXPECT_EQ(XmlCodePageOfName(std::wstring(100, L'a')), -1);
    EXPECT_EQ(XmlCodePageOfName(L"UTF-32" + std::wstring(100, L'a')), 65005);
}

int DecodeAll16(const std::wstring& units, std::vector<int>& out)
{
    const wchar_t* pos = units.c_str();
    const wchar_t* end = pos + units.size();
    while (pos < end)
        out.push_back(XmlUtf::DecodeUtf16(pos, end));
    return static_cast<int>(out.size());
}

TEST(XmlUtf16, OnlyHighThenLowSurrogateMakeAPair)
{
    std::vector<int> got;
    DecodeAll16(std::wstring{0xD83D, 0xDE00, 0xD83D, L'A', 0xDE00, L'B', 0xD800}, got);
    EXPECT_EQ(got, (std::vector<int>{0x1F600, XmlUtf::kInvalid, 'A', XmlUtf::kInvalid, 'B', XmlUtf::kTruncated}));
}

TEST(XmlUtf16, BrokenPairsBecomeQuestionMarksAndAreCounted)
{
    std::wstring units{0xD83D, L'A', 0xDE00, L'B', 0xDBFF, 0xDFFF};
    XmlTextConverter converter(L"UTF-16", units.data(), static_cast<int>(units.size()));
    std::vector<uint32_t> utf32(converter.Convert(nullptr, L"UTF-32"));
    converter.SetTargetLength(static_cast<int>(utf32.size()));
    converter.Convert(utf32.data());
    EXPECT_EQ(utf32, (std::vector<uint32_t>{'?', 'A', '?', 'B', 0x10FFFF}));
    EXPECT_EQ(converter.Replaced(), 2);
}

std::vector<int> DecodeAll8(const std::string& bytes)
{
    std::vector<int> out;
    auto* pos = reinterpret_cast<const uint8_t*>(bytes.data());
    auto* end = pos + bytes.size();
    while (pos < end)
        out.push_back(XmlUtf::DecodeUtf8(pos, end));
    return out;
}

TEST(XmlUtf8, DecodesSequencesAndRejectsMisplacedBytes)
{
    EXPECT_EQ(DecodeAll8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::vector<int>{'a', 0xE9, 0x20AC, 0x1F600}));
    // A stray continuation byte, a lead byte where a continuation belongs, an impossible lead.
    EXPECT_EQ(DecodeAll8("\x80"), (std::vector<int>{XmlUtf::kInvalid}));
    EXPECT_EQ(DecodeAll8("\xC3\xC3\xA9"), (std::vector<int>{XmlUtf::kInvalid, 0xE9}));
    EXPECT_EQ(DecodeAll8("\xF8"), (std::vector<int>{XmlUtf::kInvalid}));
    EXPECT_EQ(DecodeAll8("\xE2\x82"), (std::vector<int>{XmlUtf::kTruncated, XmlUtf::kInvalid}));
}

TEST(XmlUtf8, EncodesEveryLength)
{
    uint8_t bytes[16];
    int n = 0;
    for (uint32_t cp : {0x41u, 0xE9u, 0x20ACu, 0x1F600u})
        XmlUtf::EncodeUtf8(cp, bytes, n);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), n), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(XmlUtf8, TestTellsUtf8FromLatin1)
{
    auto test = [](const std::string& s, int* sequences, bool* atEnd) {
        return XmlUtf::TestUtf8(reinterpret_cast<const uint8_t*>(s.data()), static_cast<int>(s.size()), sequences, atEnd);
    };
    int sequences = 0;
    bool atEnd = false;
    EXPECT_TRUE(test("plain ascii", &sequences, &atEnd));
    EXPECT_EQ(sequences, 0);
    EXPECT_TRUE(test("caf\xC3\xA9 \xE2\x82\xAC", &sequences, &atEnd));
    EXPECT_EQ(sequences, 2);
    EXPECT_FALSE(test("\xA9\xA9", &sequences, &atEnd));
    EXPECT_FALSE(atEnd);
    EXPECT_FALSE(test("caf\xC3", &sequences, &atEnd));
    EXPECT_TRUE(atEnd);
}

int SafeEnd(const wchar_t* encoding, const std::string& bytes)
{
    XmlTextConverter converter(encoding, bytes.data(), static_cast<int>(bytes.size()));
    int back = -1;
    EXPECT_TRUE(converter.FindSafeEnd(back));
    return back;
}

TEST(XmlBlockEnd, Utf8BlockInsideACharacterGivesItsBytesBack)
{
    EXPECT_EQ(SafeEnd(L"UTF-8", "ab\xE2\x82\xAC"), 0);
    EXPECT_EQ(SafeEnd(L"UTF-8", "ab\xE2\x82"), 2);
    EXPECT_EQ(SafeEnd(L"UTF-8", "ab\xE2"), 1);
    EXPECT_EQ(SafeEnd(L"UTF-8", "\xE2\x82\xAC\xF0\x9F\x98"), 3);
}

TEST(XmlBlockEnd, Utf16BlockEndingInLeadSurrogateGivesTwoBytesBack)
{
    std::wstring units{L'a', 0xD83D};
    XmlTextConverter converter(L"UTF-16", units.data(), 2);
    int back = -1;
    EXPECT_TRUE(converter.FindSafeEnd(back));
    EXPECT_EQ(back, 2);
    std::wstring pair{L'a', 0xD83D, 0xDE00};
    XmlTextConverter whole(L"UTF-16", pair.data(), 3);
    EXPECT_TRUE(whole.FindSafeEnd(back));
    EXPECT_EQ(back, 0);
}

TEST(XmlBlockEnd, SingleByteCodePageNeverGivesBack)
{
    EXPECT_EQ(SafeEnd(L"windows-1252", "caf\xE9"), 0);
}

TEST(XmlBlockEnd, DoubleByteBlockIsCutOnACharacterBoundary)
{
    std::wstring text = L"abc\u65e5\u672c\u8a9e\u30c6\u30ad\u30b9\u30c8xyz\u6f22\u5b57";
    std::string sjis(64, '\0');
    sjis.resize(WideCharToMultiByte(932, 0, text.c_str(), -1, &sjis[0], 64, nullptr, nullptr) - 1);
    for (size_t cut = 8; cut <= sjis.size(); ++cut) {
        std::string block = sjis.substr(0, cut);
        int back = SafeEnd(L"shift_jis", block);
        ASSERT_GE(back, 0);
        std::string kept = block.substr(0, block.size() - back);
        wchar_t decoded[64];
        int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, kept.data(), static_cast<int>(kept.size()), decoded, 64);
        ASSERT_GT(n, 0) << "cut " << cut;
        EXPECT_EQ(std::wstring(decoded, n), text.substr(0, n)) << "cut " << cut;
    }
}

// Source and result as bytes; the converter counts in units of the encodings' own size.
int UnitSize(const wchar_t* encoding)
{
    int cp = XmlCodePageOfName(encoding);
    return cp == 1200 ? 2 : (cp == 65005 || cp == 12000 || cp == 12001) ? 4 : 1;
}

std::string Convert(const wchar_t* from, const std::string& bytes, const wchar_t* to, bool* lost = nullptr)
{
    XmlTextConverter converter(from, bytes.data(), static_cast<int>(bytes.size()) / UnitSize(from));
    int units = converter.Convert(nullptr, to);
    std::string out(static_cast<size_t>(units) * UnitSize(to), '\0');
    converter.SetTargetLength(units);
    converter.Convert(&out[0]);
    if (lost)
        *lost = converter.Lost();
    return out;
}

std::string Bytes(const std::wstring& units)
{
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

TEST(XmlConverter, WideToCodePageFlagsLostCharacters)
{
    bool lost = false;
    EXPECT_EQ(Convert(L"UTF-16", Bytes(L"caf\u00e9"), L"windows-1252", &lost), "caf\xE9");
    EXPECT_FALSE(lost);
    EXPECT_EQ(Convert(L"UTF-16", Bytes(L"\u3042"), L"windows-1252", &lost), "?");
    EXPECT_TRUE(lost);
}

TEST(XmlConverter, Utf32BothWays)
{
    std::string utf32("A\0\0\0\x00\xF6\x01\0", 8);
    // One UTF-32 unit per character; the big-endian table names convert the same in memory.
    EXPECT_EQ(Convert(L"UTF-32", utf32, L"UTF-8"), "A\xF0\x9F\x98\x80");
    EXPECT_EQ(Convert(L"utf-32be", utf32, L"UTF-16"), Bytes(L"A\U0001F600"));
    EXPECT_EQ(Convert(L"UTF-16", Bytes(L"A\U0001F600"), L"UTF-32"), utf32);
    EXPECT_EQ(Convert(L"UTF-8", "A\xF0\x9F\x98\x80\xFF", L"UTF-32"), utf32 + std::string("?\0\0\0", 4));
}

TEST(XmlConverter, CodePageToCodePageGoesThroughUtf16)
{
    EXPECT_EQ(Convert(L"windows-1251", "\xCF\xF0\xE8", L"koi8-r"), "\xF0\xD2\xC9");
}

struct DeclaredCase {
    const char* behaviour;
    const wchar_t* text;
    const wchar_t* encoding;
};

class XmlDeclaredEncoding : public testing::TestWithParam<DeclaredCase> {};

TEST_P(XmlDeclaredEncoding, IsFound)
{
    EXPECT_EQ(XmlDocument::DeclaredEncoding(GetParam().text), GetParam().encoding);
}

const DeclaredCase kDeclaredCases[] = {
    {"XmlDeclaration", L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>", L"ISO-8859-1"},
    {"XmlDeclarationAfterComment", L"<!-- c --><?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>", L""},
    {"XmlDeclarationWithoutEncoding", L"<?xml version=\"1.0\"?><html><meta charset=\"x\"></html>", L""},
    {"HttpEquivMeta",
     L"<!DOCTYPE html><HTML><head><title>t</title>"
     L"<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\"></head>",
     L"windows-1252"},
    {"Html5MetaCharset", L"<html><head><meta charset=\"utf-8\"></head>", L"utf-8"},
    {"MetaAfterHeadIsNotSeen",
     L"<html><head></head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">", L""},
    {"OtherMetaFirst", L"<html><meta name=\"a\" content=\"b\"><meta http-equiv=Content-Type content='charset = big5'>",
     L"big5"},
    {"FirstElementNotHtml", L"<body><meta charset=\"utf-8\">", L""},
};

INSTANTIATE_TEST_SUITE_P(Cases, XmlDeclaredEncoding, testing::ValuesIn(kDeclaredCases),
                         [](const testing::TestParamInfo<DeclaredCase>& info) { return info.param.behaviour; });

} // namespace
