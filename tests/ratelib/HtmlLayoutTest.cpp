// The markup reader and the layout on their own, over a memory device context.
#include <windows.h>

#include <gtest/gtest.h>

#include "html/HtmlLayout.h"
#include "html/HtmlMarkup.h"

namespace {

using namespace sorvane::html;

TEST(HtmlMarkup, TagsEntitiesAndUntrustedText) {
    const std::vector<Token> tokens = ParseMarkup(L"a&lt;<B>b</b><blink>c&bogus;\r\nd<i");
    ASSERT_EQ(tokens.size(), 7u);
    EXPECT_EQ(tokens[0].text, L"a<");
    EXPECT_EQ(tokens[1].tag, TagName::B);
    EXPECT_FALSE(tokens[1].closing);
    EXPECT_EQ(tokens[2].text, L"b");
    EXPECT_TRUE(tokens[3].closing);
    EXPECT_EQ(tokens[4].text, L"c&bogus;");  // <blink> skipped; the unknown entity stays text
    EXPECT_EQ(tokens[5].kind, Token::Kind::LineBreak);
    EXPECT_EQ(tokens[6].text, L"d<i");  // a tag never closed is text
}

TEST(HtmlMarkup, ALinkTargetKeepsItsInnerQuotesAndAFaceIsCut) {
    const std::vector<Token> link = ParseMarkup(L"<a href=\"say \"hi\" now\">");
    ASSERT_EQ(link.size(), 1u);
    EXPECT_EQ(link[0].href, L"say \"hi\" now");
    const std::vector<Token> font = ParseMarkup(L"<font face=\"" + std::wstring(40, L'F') + L"\" size=\"-2\">");
    ASSERT_EQ(font.size(), 1u);
    EXPECT_EQ(font[0].face, std::wstring(31, L'F'));
    EXPECT_EQ(ParseBoundedNumber(font[0].size, 100), -2);
}

TEST(HtmlMarkup, AnOverlongTagIsText) {
    const std::wstring markup = L"<" + std::wstring(2000, L'b') + L">";
    const std::vector<Token> tokens = ParseMarkup(markup);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].text, markup);
}

class HtmlLayoutTest : public testing::Test {
protected:
    void SetUp() override {
        dc_ = CreateCompatibleDC(nullptr);
        base_.lfHeight = -16;
        lstrcpyW(base_.lfFaceName, L"DejaVu Sans");
    }
    void TearDown() override { DeleteDC(dc_); }
    std::vector<Line> LayOut(const wchar_t* markup, int width) {
        FontCache fonts(dc_, base_);
        targets_.clear();
        return LayOutMarkup(dc_, fonts, width, Style{}, ParseMarkup(markup), targets_);
    }
    HDC dc_ = nullptr;
    LOGFONTW base_ = {};
    std::vector<CString> targets_;
};

TEST_F(HtmlLayoutTest, WordsWrapAtTheWidthAndALineFeedEndsALine) {
    const std::vector<Line> wide = LayOut(L"one two three four", 1000);
    ASSERT_EQ(wide.size(), 1u);
    const std::vector<Line> narrow = LayOut(L"one two three four", wide[0].width / 2);
    ASSERT_GE(narrow.size(), 2u);
    for (const Line& line : narrow) EXPECT_LE(line.width, wide[0].width / 2);
    EXPECT_EQ(LayOut(L"one\ntwo<br>three", 1000).size(), 3u);
}

TEST_F(HtmlLayoutTest, APieceCarriesTheAdvanceOfEachCharacterAsMeasured) {
    const std::vector<Line> lines = LayOut(L"Plain, <b>bold</b>, <u>underlined</u> and", 1000);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].pieces.size(), 5u);
    int x = 0;
    for (const Piece& piece : lines[0].pieces) {
        EXPECT_EQ(piece.x, x);
        ASSERT_EQ(piece.advances.size(), piece.text.size());
        int sum = 0;
        for (INT advance : piece.advances) sum += advance;
        EXPECT_EQ(sum, piece.width);
        x += piece.width;
    }
    EXPECT_EQ(lines[0].pieces[0].text, L"Plain, ");
    EXPECT_EQ(lines[0].pieces[1].text, L"bold");
    EXPECT_EQ(lines[0].pieces[2].text, L", ");
    EXPECT_EQ(lines[0].pieces[3].text, L"underlined");  // the blank after it is not underlined
    EXPECT_EQ(lines[0].pieces[4].text, L" and");
    EXPECT_EQ(lines[0].width, x);
}

TEST_F(HtmlLayoutTest, CentringAndRulesMakeLinesOfTheirOwn) {
    const std::vector<Line> lines = LayOut(L"left<center>middle</center><hr size=5>after", 1000);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_FALSE(lines[0].centred);
    EXPECT_TRUE(lines[1].centred);
    EXPECT_EQ(lines[2].rule, 5);
    EXPECT_TRUE(lines[2].pieces.empty());
    EXPECT_FALSE(lines[3].centred);
}

TEST_F(HtmlLayoutTest, LinksNumberTheirTargetsAndNestedOnesKeepTheOuter) {
    const std::vector<Line> lines = LayOut(L"<a href=\"one\">a <a href=\"two\">b</a> c</a> d <a href=\"three\">e</a>", 1000);
    ASSERT_EQ(targets_.size(), 2u);
    EXPECT_EQ(targets_[1], CString(L"three"));
    ASSERT_EQ(lines.size(), 1u);
    std::vector<int> links;
    for (const Piece& piece : lines[0].pieces) links.push_back(piece.style.link);
    EXPECT_EQ(links, (std::vector<int>{0, -1, 1}));
}

}  // namespace
