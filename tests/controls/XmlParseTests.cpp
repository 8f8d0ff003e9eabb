// XmlDocument parsing: the element table, tolerance of ill-formed markup and the result log.
#include "xml/XmlDocument.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

using xmltest::Dump;
using xmltest::Names;

namespace {

struct ParseCase {
    const char* behaviour;
    const wchar_t* text;
    bool wellFormed;
    const wchar_t* names;
    const wchar_t* result;
};

class XmlParse : public testing::TestWithParam<ParseCase> {};

TEST_P(XmlParse, IndexesElementsAndLogsProblems)
{
    const ParseCase& c = GetParam();
    XmlDocument doc;
    EXPECT_EQ(doc.LoadText(c.text), c.wellFormed);
    EXPECT_EQ(Names(doc), c.names);
    EXPECT_EQ(doc.ResultText(), c.result);
    EXPECT_EQ(xmltest::CheckRecords(doc), L"");
}

const ParseCase kParseCases[] = {
    {"WellFormedNesting", L"<a><b/><c>x</c></a>", true, L"a(b,c)", L""},
    {"UnclosedChildIsClosedAtParentsEndTag", L"<a><b></a>", false, L"a(b)",
     L"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"7\"/>"},
    {"LoneEndTagIsLoggedAndSkipped", L"<a></b></a>", false, L"a", L"<lone_end_tag tagname=\"b\" offset=\"3\"/>"},
    {"SeveralTopLevelElements", L"<a/><b/>", false, L"a,b", L"<root_has_sibling/>"},
    {"TextWithoutElements", L"text only", false, L"", L"<no_root_element/>"},
    {"EmptyTextMakesNoEntry", L"", false, L"", L""},
    {"DoctypeWithInternalSubsetIsOneNode", L"<!DOCTYPE x [<!ELEMENT x ANY><!-- c -->]><x/>", true, L"x", L""},
    {"XmlDeclarationIsNoElement", L"<?xml version=\"1.0\"?><r/>", true, L"r", L""},
    {"GreaterThanInsideQuotedValue", L"<a t=\"x>y\"><b/></a>", true, L"a(b)", L""},
    {"CommentCdataAndInstructionHideTags", L"<r><!-- <a> --><![CDATA[<b>]]><?p <c>?></r>", true, L"r", L""},
    {"ShortCommentDoesNotEndItself", L"<r><!--><a/>--></r>", true, L"r", L""},
    {"LessThanFollowedBySpace", L"<r>a < b</r>", false, L"r", L"<first_tag_syntax offset=\"5\"/>"},
    {"BangWithoutDashOrBracket", L"<r><!x></r>", false, L"r", L"<exclamation_tag_syntax offset=\"3\"/>"},
    {"SingleDashComment", L"<r><!-x></r>", false, L"r", L"<comment_tag_syntax offset=\"3\"/>"},
    {"BracketWithoutCdata", L"<r><![X></r>", false, L"r", L"<cdata_section_syntax offset=\"3\"/>"},
    {"BadDeclarationInDoctype", L"<!DOCTYPE r [<!Q>]><r/>", false, L"r", L"<doctype_tag_syntax offset=\"0\"/>"},
    {"TextEndsInsideStartTag", L"<r><a x=\"1", false, L"r",
     L"<unterminated_tag_syntax type=\"start_tag\" offset=\"3\"/>"
     L"<unended_start_tag tagname=\"r\" offset=\"0\" offset2=\"10\"/>"},
    {"TextEndsInsideComment", L"<r/><!-- x", false, L"r", L"<unterminated_tag_syntax type=\"comment\" offset=\"4\"/>"},
    {"TextEndsInsideDoctype", L"<r/><!DOCTYPE r [", false, L"r",
     L"<unterminated_tag_syntax type=\"document_type\" offset=\"4\"/>"},
};

INSTANTIATE_TEST_SUITE_P(Cases, XmlParse, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) { return info.param.behaviour; });

TEST(XmlParseDetail, SelfClosingNeedsSpaceQuoteOrNameBeforeSlash)
{
    XmlDocument doc(L"<r><a x=1/><b x=\"1\"/><c/><d /></r>");
    EXPECT_EQ(Dump(doc), L"r@0+34[3/4]L0(a@3+8[8/0]L1!,b@11+10[10/0]L1,c@21+4[4/0]L1,d@25+5[5/0]L1)");
}

TEST(XmlParseDetail, UnclosedElementHandsItsChildrenToItsParent)
{
    XmlDocument doc(L"<div><p>a<b><c/></b><br>x</div>");
    // p and br keep only their start tags; what they held follows them one level up.
    EXPECT_EQ(Names(doc), L"div(p,b(c),br)");
    EXPECT_EQ(Dump(doc), L"div@0+31[5/6]L0(p@5+3[3/0]L1!,b@9+11[3/4]L1(c@12+4[4/0]L2),br@20+4[4/0]L1!)");
    EXPECT_EQ(xmltest::CheckRecords(doc), L"");
    EXPECT_TRUE(doc.Record(0).HasFlag(XmlElemDocErrors));
}

TEST(XmlParseDetail, EndTagClosesUnclosedRunsInOnePass)
{
    // A long run of unclosed tags must not cost quadratic time; this one has 200,000.
    std::wstring text = L"<r>";
    for (int i = 0; i < 200000; ++i)
        text += L"<br>";
    text += L"</r>";
    XmlDocument doc(text.c_str());
    EXPECT_EQ(doc.RecordCount(), 200002);
    const XmlElemRecord& last = doc.Record(200001);
    EXPECT_EQ(last.parent, 1);
    EXPECT_EQ(last.Level(), 1);
    EXPECT_EQ(doc.Record(doc.Record(1).firstChild).prevSibling, 200001);
}

TEST(XmlParseDetail, ErrorFlagsMarkTheDocumentAndTheEnclosingElement)
{
    XmlDocument doc(L"<a><b></c></b></a>");
    EXPECT_TRUE(doc.Record(0).HasFlag(XmlElemDocErrors));
    EXPECT_TRUE(doc.Record(2).HasFlag(XmlElemErrorInside));
    EXPECT_FALSE(doc.Record(1).HasFlag(XmlElemErrorInside));
}

TEST(XmlParseDetail, NamesWithoutCaseMatchEndTags)
{
    XmlDocument doc;
    doc.SetNoCase(true);
    EXPECT_TRUE(doc.LoadText(L"<a><B></b></A>"));
    EXPECT_EQ(Names(doc), L"a(B)");
    // Past a shared character at or above 128 letters compare exactly.
    EXPECT_FALSE(doc.LoadText(L"<\u00e9a></\u00e9A>"));
    EXPECT_TRUE(doc.LoadText(L"<a\u00e9></A\u00e9>"));
    doc.SetNoCase(false);
    EXPECT_FALSE(doc.LoadText(L"<a></A>"));
}

TEST(XmlParseDetail, ElementTableGrowsAcrossPages)
{
    std::wstring text = L"<r>";
    for (int i = 0; i < 140000; ++i)
        text += L"<i/>";
    text += L"</r>";
    XmlDocument doc(text.c_str());
    EXPECT_TRUE(doc.WellFormed());
    EXPECT_EQ(doc.RecordCount(), 140002);
    EXPECT_EQ(doc.Record(70000).start, 3 + 69998 * 4);
    EXPECT_EQ(doc.Record(140001).start, 3 + 139999 * 4);
}

TEST(XmlParseDetail, OverlongStartTagIsClampedAndLogged)
{
    std::wstring text = L"<r><a x=\"" + std::wstring(XmlElemRecord::kMaxStartTagLength, L'v') + L"\"/></r>";
    XmlDocument doc(text.c_str());
    EXPECT_FALSE(doc.WellFormed());
    EXPECT_EQ(doc.ResultText(), L"<start_tag_too_long offset=\"3\"/>");
    const XmlElemRecord& a = doc.Record(2);
    EXPECT_EQ(a.StartTagLength(), XmlElemRecord::kMaxStartTagLength);
    EXPECT_EQ(a.Level(), 1);
    EXPECT_EQ(a.Flags(), static_cast<uint32_t>(XmlElemFirstChild));
}

TEST(XmlParseDetail, OverlongEndTagIsClampedAndLogged)
{
    std::wstring name(1100, L'n');
    std::wstring text = L"<" + name + L"></" + name + L">";
    XmlDocument doc(text.c_str());
    EXPECT_EQ(doc.ResultText(), L"<end_tag_too_long offset=\"1102\"/>");
    EXPECT_EQ(doc.Record(1).EndTagLength(), XmlElemRecord::kMaxEndTagLength);
    EXPECT_EQ(doc.Record(1).length, static_cast<int>(text.size()));
    EXPECT_EQ(doc.Record(1).Flags(), static_cast<uint32_t>(XmlElemFirstChild | XmlElemErrorInside));
}

TEST(XmlParseDetail, NestingBeyondTheLevelFieldIsClampedAndLogged)
{
    std::wstring text;
    for (int i = 0; i < 65537; ++i)
        text += L"<a>";
    for (int i = 0; i < 65537; ++i)
        text += L"</a>";
    XmlDocument doc(text.c_str());
    EXPECT_EQ(doc.ResultText(), L"<nesting_too_deep offset=\"196608\"/>");
    EXPECT_EQ(doc.Record(65536).Level(), 65535);
    EXPECT_EQ(doc.Record(65537).Level(), 65535);
    EXPECT_EQ(doc.Record(65537).Flags(), static_cast<uint32_t>(XmlElemFirstChild));
}

TEST(XmlResultLog, EntriesTakeAttributesByFlags)
{
    std::wstring log;
    XmlDocument::LogResult(log, L"read", L"UTF-8", XmlLogEncoding | XmlLogLength, 12);
    XmlDocument::LogResult(log, L"file_error", L"Access denied.", XmlLogMsg | XmlLogN, 5);
    XmlDocument::LogResult(log, L"nulls_removed", nullptr, XmlLogCount, 3);
    XmlDocument::LogResult(log, L"unterminated_tag_syntax", L"comment", XmlLogType, 7, 9);
    XmlDocument::LogResult(log, L"read", L"ISO-8859-1", XmlLogEncoding | XmlLogLength | XmlLogModify, 10);
    XmlDocument::LogResult(log, L"missing", L"x", XmlLogModify, 1);
    EXPECT_EQ(log, L"<read encoding=\"ISO-8859-1\" length=\"10\"/><file_error msg=\"Access denied.\" n=\"5\"/>"
                   L"<nulls_removed count=\"3\"/><unterminated_tag_syntax type=\"comment\" offset=\"7\" offset2=\"9\"/>");
}

TEST(XmlResultLog, EntriesStopOnceTheTextReachesAThousandCharacters)
{
    XmlDocument doc;
    std::wstring text = L"<r>";
    for (int i = 0; i < 200; ++i)
        text += L"</x>";
    text += L"</r>";
    doc.LoadText(text.c_str());
    const std::wstring& log = doc.ResultText();
    EXPECT_GE(log.size(), 1000u);
    EXPECT_LT(log.size(), 1100u);
    EXPECT_EQ(log.substr(log.size() - 2), L"/>");
}

} // namespace
