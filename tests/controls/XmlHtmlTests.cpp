// Real-world HTML: unclosed and stray tags are indexed and every problem is logged.
#include "xml/XmlDocument.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kPage[] =
    L"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    L"<HTML>\r\n"
    L"<HEAD>\r\n"
    L"<META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
    L"<TITLE>Brevix firmware notes</TITLE>\r\n"
    L"<script>if (a < b && c > d) { x = '</b>'; }</script>\r\n"
    L"</HEAD>\r\n"
    L"<BODY bgcolor=#ffffff>\r\n"
    L"<P>First paragraph<BR>second line\r\n"
    L"<P>Second paragraph with <b>bold <i>both</b> italic</i>\r\n"
    L"<UL><LI>one<LI>two<LI><a href=notes.html>three</a></UL>\r\n"
    L"<img src=\"logo.png\" alt=\"Brevix\"><input type=checkbox checked>\r\n"
    L"</span></BODY>\r\n"
    L"</HTML>\r\n";

TEST(XmlHtml, UnclosedAndStrayTagsAreIndexedAndLogged)
{
    XmlDocument doc;
    doc.SetNoCase(true);
    EXPECT_FALSE(doc.LoadText(kPage));
    EXPECT_EQ(xmltest::CheckRecords(doc), L"");
    EXPECT_EQ(xmltest::Names(doc),
              L"HTML(HEAD(META,TITLE,script),BODY(P,BR,P,b(i),UL(LI,LI,LI,a),img,input))");

    const std::wstring& log = doc.ResultText();
    for (const wchar_t* entry : {
             L"<first_tag_syntax offset=\"", // the script's "a < b"
             L"<lone_end_tag tagname=\"b\"",  // "</b>" inside the script's string
             L"<unended_start_tag tagname=\"META\"",
             L"<unended_start_tag tagname=\"i\"",
             L"<lone_end_tag tagname=\"i\"",
             L"<unended_start_tag tagname=\"LI\"",
             L"<lone_end_tag tagname=\"span\"",
         })
        EXPECT_NE(log.find(entry), std::wstring::npos) << entry << " in " << log;
    EXPECT_TRUE(doc.Record(0).HasFlag(XmlElemDocErrors));
}

TEST(XmlHtml, QueriesFindElementsWithoutCase)
{
    XmlDocument doc;
    doc.SetNoCase(true);
    doc.LoadText(kPage);
    ASSERT_TRUE(doc.SeekElement(L"html"));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.SeekElement(L"body"));
    EXPECT_EQ(doc.GetAttribute(L"BGCOLOR"), L"#ffffff");
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.SeekElement(L"input"));
    bool found = false;
    EXPECT_EQ(doc.GetAttribute(L"checked", &found), L"");
    EXPECT_TRUE(found);
    ASSERT_TRUE(doc.PutAttribute(L"checked", L"checked"));
    EXPECT_NE(doc.Text().find(L"<input type=checkbox checked=\"checked\">"), std::wstring::npos);
    EXPECT_EQ(XmlDocument::DeclaredEncoding(doc.Text()), L"windows-1252");
}

} // namespace
