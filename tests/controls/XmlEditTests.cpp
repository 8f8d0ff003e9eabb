// XmlDocument positions, queries and edits: every edit leaves records that a fresh parse of the
// new text would give.
#include "xml/XmlDocument.h"
#include "xml/XmlPathScanner.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using xmltest::Dump;
using xmltest::Names;

namespace {

// Steps separated by '/', each sought among the current siblings; between steps the position
// goes into the element found. A trailing '/' ends inside the last element.
void Navigate(XmlDocument& doc, const std::wstring& path)
{
    doc.Rewind();
    size_t from = 0;
    while (from < path.size()) {
        size_t slash = path.find(L'/', from);
        std::wstring step = path.substr(from, slash == std::wstring::npos ? std::wstring::npos : slash - from);
        ASSERT_TRUE(doc.SeekElement(step.c_str())) << "no " << std::string(step.begin(), step.end());
        if (slash == std::wstring::npos)
            break;
        ASSERT_TRUE(doc.IntoElement());
        from = slash + 1;
    }
}

void ExpectSameAsFreshParse(const XmlDocument& doc)
{
    EXPECT_EQ(xmltest::CheckRecords(doc), L"");
    XmlDocument fresh(doc.Text().c_str());
    EXPECT_EQ(Dump(doc), Dump(fresh));
}

struct AppendCase {
    const char* behaviour;
    const wchar_t* text;
    const wchar_t* position;
    const wchar_t* name;
    const wchar_t* value;
    int flags;
    const wchar_t* expected;
};

class XmlAppend : public testing::TestWithParam<AppendCase> {};

TEST_P(XmlAppend, SplicesMarkupAndKeepsRecords)
{
    const AppendCase& c = GetParam();
    XmlDocument doc(c.text);
    Navigate(doc, c.position);
    ASSERT_TRUE(doc.AppendElement(c.name, c.value, c.flags));
    EXPECT_EQ(doc.Text(), c.expected);
    EXPECT_EQ(doc.TagName(doc.CurrentPosition() && !(c.flags & XmlAddChild) ? doc.CurrentPosition()
                                                                             : doc.ChildPosition()),
              c.name);
    ExpectSameAsFreshParse(doc);
}

const AppendCase kAppendCases[] = {
    {"ChildOfEmptyElementGetsLineBreaks", L"<a/>", L"a", L"b", L"x & y", XmlAddChild,
     L"<a>\r\n<b>x &amp; y</b>\r\n</a>"},
    {"ChildWithoutLineBreaks", L"<a/>", L"a", L"b", L"x & y", XmlAddChild | XmlAddNoBreaks, L"<a><b>x &amp; y</b></a>"},
    {"ChildOfSpacedEmptyElement", L"<a />", L"a", L"b", nullptr, XmlAddChild, L"<a >\r\n<b/>\r\n</a>"},
    {"ChildOfNonEndedElementGetsEndTag", L"<r><p></r>", L"r/p", L"b", nullptr, XmlAddChild,
     L"<r><p>\r\n<b/>\r\n</p></r>"},
    {"ChildOfContentlessElement", L"<r></r>", L"r", L"n", nullptr, XmlAddChild, L"<r>\r\n<n/>\r\n</r>"},
    {"SiblingAtDocumentLevelGoesToTheEnd", L"<a/>", L"", L"b", nullptr, 0, L"<a/><b/>\r\n"},
    {"SiblingAfterCurrentPassesLineBreak", L"<r>\r\n<a/>\r\n<c/>\r\n</r>", L"r/a", L"b", nullptr, 0,
     L"<r>\r\n<a/>\r\n<b/>\r\n<c/>\r\n</r>"},
    {"SiblingBeforeCurrent", L"<r>\r\n<a/>\r\n<c/>\r\n</r>", L"r/c", L"b", nullptr, XmlAddBefore,
     L"<r>\r\n<a/>\r\n<b/>\r\n<c/>\r\n</r>"},
    {"FirstInParentWithoutCurrent", L"<r>\r\n<a/>\r\n</r>", L"r/", L"b", nullptr, XmlAddBefore,
     L"<r>\r\n<b/>\r\n<a/>\r\n</r>"},
    {"LastChildBeforeEndTag", L"<r><a/>text</r>", L"r", L"b", L"v", XmlAddChild, L"<r><a/>text<b>v</b>\r\n</r>"},
    {"SiblingAfterUnclosedElement", L"<r><li>x<b/></r>", L"r/li", L"n", nullptr, 0, L"<r><li><n/>\r\nx<b/></r>"},
    {"CdataValueSplitsItsClosingSequence", L"<a/>", L"a", L"b", L"x]]>y", XmlAddChild | XmlAddCdata | XmlAddNoBreaks,
     L"<a><b><![CDATA[x]]]]><![CDATA[>y]]></b></a>"},
    {"ReferencesKeptOnRequest", L"<a/>", L"a", L"b", L"&amp; &#169; &x y; <", XmlAddChild | XmlAddKeepRefs | XmlAddNoBreaks,
     L"<a><b>&amp; &#169; &amp;x y; &lt;</b></a>"},
    {"EmptyElementWithSpace", L"<a/>", L"a", L"b", nullptr, XmlAddChild | XmlAddSpacedEmpty | XmlAddNoBreaks,
     L"<a><b /></a>"},
    {"NonEndedElement", L"<a/>", L"a", L"b", nullptr, XmlAddChild | XmlAddNonEnded | XmlAddNoBreaks, L"<a><b></a>"},
    {"ReplaceContentDropsOldElements", L"<r><a/><b>t</b></r>", L"r", L"n", L"v", XmlAddChild | XmlAddReplaceContent,
     L"<r><n>v</n>\r\n</r>"},
    {"ReplaceWholeDocument", L"<a/><b/>", L"b", L"n", nullptr, XmlAddReplaceContent, L"<n/>\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, XmlAppend, testing::ValuesIn(kAppendCases),
                         [](const testing::TestParamInfo<AppendCase>& info) { return info.param.behaviour; });

struct AttributeCase {
    const char* behaviour;
    const wchar_t* text;
    const wchar_t* position;
    const wchar_t* name;
    const wchar_t* value;
    const wchar_t* expected;
};

class XmlPutAttribute : public testing::TestWithParam<AttributeCase> {};

TEST_P(XmlPutAttribute, WritesDoubleQuotedEscapedValue)
{
    const AttributeCase& c = GetParam();
    XmlDocument doc(c.text);
    Navigate(doc, c.position);
    ASSERT_TRUE(doc.PutAttribute(c.name, c.value));
    EXPECT_EQ(doc.Text(), c.expected);
    ExpectSameAsFreshParse(doc);
}

const AttributeCase kAttributeCases[] = {
    {"ReplacesSingleQuotedValue", L"<a x='1' y=\"2\"/>", L"a", L"x", L"v<", L"<a x=\"v&lt;\" y=\"2\"/>"},
    {"ReplacesUnquotedValue", L"<r><a x=1>t</a></r>", L"r/a", L"x", L"2", L"<r><a x=\"2\">t</a></r>"},
    {"AppendsAfterLastAttributeBeforeSlash", L"<a x=\"1\" />", L"a", L"y", L"2", L"<a x=\"1\" y=\"2\" />"},
    {"AppendsToBareTag", L"<r><a>t</a></r>", L"r/a", L"id", L"7", L"<r><a id=\"7\">t</a></r>"},
    {"EscapesBothQuotes", L"<a/>", L"a", L"q", L"a\"b'c&", L"<a q=\"a&quot;b&apos;c&amp;\"/>"},
    {"ValuelessAttributeKeepsItsName", L"<input disabled>", L"input", L"disabled", L"yes",
     L"<input disabled=\"yes\">"},
    {"ValuelessAttributeBeforeAnother", L"<input disabled id=\"x\"/>", L"input", L"disabled", L"1",
     L"<input disabled=\"1\" id=\"x\"/>"},
    {"EmptyUnquotedValueAtTagEnd", L"<a x=>", L"a", L"x", L"v", L"<a x=\"v\">"},
    {"GrowsEnclosingElements", L"<r><a><b/></a><c/></r>", L"r/a", L"x", L"1", L"<r><a x=\"1\"><b/></a><c/></r>"},
};

INSTANTIATE_TEST_SUITE_P(Cases, XmlPutAttribute, testing::ValuesIn(kAttributeCases),
                         [](const testing::TestParamInfo<AttributeCase>& info) { return info.param.behaviour; });

TEST(XmlEdit, IntegerAttributeIsDecimal)
{
    XmlDocument doc(L"<a/>");
    doc.SeekElement(L"a");
    ASSERT_TRUE(doc.PutAttribute(L"n", -42));
    EXPECT_EQ(doc.Text(), L"<a n=\"-42\"/>");
}

TEST(XmlEdit, NonEndedParentLosesItsFlagWhenItGetsAChild)
{
    XmlDocument doc(L"<r><p></r>");
    Navigate(doc, L"r/p");
    int p = doc.CurrentPosition();
    EXPECT_TRUE(doc.Record(p).HasFlag(XmlElemNonEnded));
    ASSERT_TRUE(doc.AppendElement(L"b", nullptr, XmlAddChild));
    EXPECT_FALSE(doc.Record(p).HasFlag(XmlElemNonEnded));
    EXPECT_EQ(doc.Record(p).EndTagLength(), 4);
}

TEST(XmlEdit, PositionAfterChildAndSiblingAdds)
{
    XmlDocument doc(L"<r/>");
    doc.SeekElement(L"r");
    ASSERT_TRUE(doc.AppendElement(L"a", nullptr, XmlAddChild));
    EXPECT_EQ(doc.ParentPosition(), 0);
    EXPECT_EQ(doc.TagName(doc.CurrentPosition()), L"r");
    EXPECT_EQ(doc.TagName(doc.ChildPosition()), L"a");
    ASSERT_TRUE(doc.AppendElement(L"b", nullptr, XmlAddChild));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.AppendElement(L"c"));
    EXPECT_EQ(doc.TagName(doc.ParentPosition()), L"r");
    EXPECT_EQ(doc.TagName(doc.CurrentPosition()), L"c");
    EXPECT_EQ(Names(doc), L"r(a,b,c)");
    ASSERT_TRUE(doc.OutOfElement());
    EXPECT_EQ(doc.TagName(doc.CurrentPosition()), L"r");
    EXPECT_FALSE(doc.OutOfElement());
}

TEST(XmlEdit, RefusedEditsChangeNothing)
{
    XmlDocument doc(L"<a/>");
    EXPECT_FALSE(doc.AppendElement(L"b", nullptr, XmlAddChild));
    EXPECT_FALSE(doc.PutAttribute(L"x", L"1"));
    doc.SeekElement(L"a");
    EXPECT_FALSE(doc.AppendElement(L"b", L"v", XmlAddChild | XmlAddNonEnded));
    for (const wchar_t* bad : {L"", L"1a", L"a b", L"a/b", L"a>b", L"a=b"})
        EXPECT_FALSE(doc.AppendElement(bad, nullptr, XmlAddChild));
    EXPECT_FALSE(doc.PutAttribute(L"x y", L"1"));
    std::wstring longName(1021, L'n');
    EXPECT_FALSE(doc.AppendElement(longName.c_str(), L"v", XmlAddChild));
    EXPECT_EQ(doc.Text(), L"<a/>");
    EXPECT_EQ(doc.ResultText(), L"<end_tag_too_long/>");
}

// The refusals of edits whose tag would not fit its field: each is logged, changes nothing, and
// an edit that just fits goes through.
TEST(XmlEdit, AttributeThatWouldOverflowTheStartTagIsRefused)
{
    // <a x="..."/> falls 11 characters short of the longest start tag.
    std::wstring value(XmlElemRecord::kMaxStartTagLength - 20, L'v');
    std::wstring text = L"<r><a x=\"" + value + L"\"/></r>";
    XmlDocument doc(text.c_str());
    Navigate(doc, L"r/a");
    int a = doc.CurrentPosition();
    EXPECT_FALSE(doc.PutAttribute(L"y", L"1234567"));
    EXPECT_EQ(doc.ResultText(), L"<start_tag_too_long offset=\"3\"/>");
    EXPECT_EQ(doc.Text(), text);
    EXPECT_EQ(doc.Record(a).StartTagLength(), XmlElemRecord::kMaxStartTagLength - 11);

    ASSERT_TRUE(doc.PutAttribute(L"y", L"123456"));
    EXPECT_EQ(doc.Record(a).StartTagLength(), XmlElemRecord::kMaxStartTagLength);
    EXPECT_EQ(xmltest::CheckRecords(doc), L"");
}

TEST(XmlEdit, ChildWhoseParentsEndTagWouldOverflowIsRefused)
{
    // An empty parent gets an end tag "</name>" with its first child: 1024 characters here.
    std::wstring name(1021, L'p');
    std::wstring text = L"<r><" + name + L"/></r>";
    XmlDocument doc(text.c_str());
    Navigate(doc, L"r/" + name);
    EXPECT_FALSE(doc.AppendElement(L"b", nullptr, XmlAddChild));
    EXPECT_EQ(doc.ResultText(), L"<end_tag_too_long offset=\"3\"/>");
    EXPECT_EQ(doc.Text(), text);
    EXPECT_EQ(doc.Record(doc.CurrentPosition()).EndTagLength(), 0);

    name.pop_back();
    doc.LoadText((L"<r><" + name + L"/></r>").c_str());
    Navigate(doc, L"r/" + name);
    ASSERT_TRUE(doc.AppendElement(L"b", nullptr, XmlAddChild | XmlAddNoBreaks));
    EXPECT_EQ(doc.Record(doc.CurrentPosition()).EndTagLength(), XmlElemRecord::kMaxEndTagLength);
    ExpectSameAsFreshParse(doc);
}

// "<a w/>" does not close itself (the '/' follows an attribute name), so <a> holds the text after
// it. A value or attribute written before the '/' would make it close itself and cut that content
// off: refused. An element without end tag simply becomes self-closed.
TEST(XmlEdit, AttributeThatWouldTurnAStraySlashIntoASelfCloseIsRefused)
{
    const std::wstring text = L"<r><a w/>t</a></r>";
    for (const wchar_t* name : {L"w", L"x"}) {
        XmlDocument doc(text.c_str());
        Navigate(doc, L"r/a");
        EXPECT_FALSE(doc.PutAttribute(name, L"1")) << name;
        EXPECT_EQ(doc.ResultText(), L"<stray_slash_in_start_tag offset=\"3\"/>") << name;
        EXPECT_EQ(doc.Text(), text) << name;
    }
    XmlDocument unended(L"<r><a w/></r>");
    Navigate(unended, L"r/a");
    ASSERT_TRUE(unended.Record(unended.CurrentPosition()).HasFlag(XmlElemNonEnded));
    ASSERT_TRUE(unended.PutAttribute(L"x", L"1"));
    EXPECT_EQ(unended.Text(), L"<r><a w x=\"1\"/></r>");
    EXPECT_FALSE(unended.Record(unended.CurrentPosition()).HasFlag(XmlElemNonEnded));
    ExpectSameAsFreshParse(unended);
}

// A child below an element at the deepest level the field holds gets that level too, and the
// edit reports it and flags the records exactly as a parse of the new text does.
TEST(XmlEdit, ChildBelowTheDeepestLevelIsClampedAndLoggedAsAParseWould)
{
    constexpr int kDepth = XmlElemRecord::kMaxLevel + 1;
    std::wstring text;
    for (int i = 0; i < kDepth; ++i)
        text += L"<a>";
    for (int i = 0; i < kDepth; ++i)
        text += L"</a>";
    XmlDocument doc(text.c_str());
    ASSERT_EQ(doc.ResultText(), L"");
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_TRUE(doc.SeekElement(L"a"));
        if (i + 1 < kDepth)
            ASSERT_TRUE(doc.IntoElement());
    }
    int deepest = doc.CurrentPosition();
    ASSERT_EQ(doc.Record(deepest).Level(), XmlElemRecord::kMaxLevel);

    ASSERT_TRUE(doc.AppendElement(L"b", nullptr, XmlAddChild | XmlAddNoBreaks));
    int child = doc.ChildPosition();
    EXPECT_EQ(doc.Record(child).Level(), XmlElemRecord::kMaxLevel);
    EXPECT_EQ(doc.ResultText(), L"<nesting_too_deep offset=\"" + std::to_wstring(kDepth * 3) + L"\"/>");
    EXPECT_TRUE(doc.Record(deepest).HasFlag(XmlElemErrorInside));
    EXPECT_FALSE(doc.WellFormed());

    XmlDocument fresh(doc.Text().c_str());
    EXPECT_EQ(doc.ResultText(), fresh.ResultText());
    ASSERT_EQ(doc.RecordCount(), fresh.RecordCount());
    for (int i = 0; i < doc.RecordCount(); ++i)
        ASSERT_EQ(std::memcmp(&doc.Record(i), &fresh.Record(i), sizeof(XmlElemRecord)), 0) << "record " << i;
}

TEST(XmlQuery, SeekMatchesTheFirstStepAfterTheCurrentElement)
{
    XmlDocument doc(L"<r><item/><x/><item/></r>");
    Navigate(doc, L"r/");
    ASSERT_TRUE(doc.SeekElement(L"item[2]"));
    EXPECT_EQ(doc.CurrentPosition(), 2);
    ASSERT_TRUE(doc.SeekElement(L"item"));
    EXPECT_EQ(doc.CurrentPosition(), 4);
    for (const wchar_t* nothing : {L"item", L"/item", L"//item", L"a/"})
        EXPECT_FALSE(doc.SeekElement(nothing));
    EXPECT_EQ(doc.CurrentPosition(), 4);
    doc.Rewind();
    doc.SeekElement(L"r");
    doc.IntoElement();
    ASSERT_TRUE(doc.SeekElement(L""));
    ASSERT_TRUE(doc.SeekElement(L""));
    EXPECT_EQ(doc.TagName(doc.CurrentPosition()), L"x");
    EXPECT_FALSE(doc.SeekElement(L"ite"));
}

TEST(XmlQuery, PathSyntax)
{
    for (const wchar_t* valid : {L"a", L"a[1]", L"a[10]", L"a[@x]", L"a[@x='1']", L"a[@x=\"]\"]", L"a[@x=1]", L"a[b]",
                                 L"a/b", L"a/@x", L"@x", L"//a", L"/a/b"})
        EXPECT_NE(XmlPathScanner(valid).PathKind(), XmlPathScanner::Invalid) << valid;
    for (const wchar_t* invalid :
         {L"/", L"a/", L"a[@x='1]", L"a[1", L"//a/b", L"a b", L"a/@x/b", L"a[1]x", L"a[b c]"})
        EXPECT_EQ(XmlPathScanner(invalid).PathKind(), XmlPathScanner::Invalid) << invalid;
    EXPECT_EQ(XmlPathScanner(L"").PathKind(), XmlPathScanner::Empty);
    EXPECT_EQ(XmlPathScanner(L"/a").PathKind(), XmlPathScanner::Absolute);
    EXPECT_EQ(XmlPathScanner(L"//a").PathKind(), XmlPathScanner::Anywhere);
}

TEST(XmlQuery, AttributeValuesAreDecoded)
{
    XmlDocument doc(L"<a x=\"&lt;&#65;&#x1F600;&amp;&unknown; &\" y z='q'/>");
    doc.SeekElement(L"a");
    bool found = false;
    EXPECT_EQ(doc.GetAttribute(L"x", &found), L"<A\U0001F600&&unknown; &");
    EXPECT_TRUE(found);
    EXPECT_EQ(doc.GetAttribute(L"y", &found), L"");
    EXPECT_TRUE(found);
    EXPECT_EQ(doc.GetAttribute(L"z"), L"q");
    EXPECT_EQ(doc.GetAttribute(L"w", &found), L"");
    EXPECT_FALSE(found);
}

} // namespace
