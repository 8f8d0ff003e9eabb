// Random edits on random, partly ill-formed documents: after every edit each record still
// selects its own markup, and a fresh parse of the text gives the same records.
#include "xml/XmlDocument.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class DocumentGenerator {
public:
    explicit DocumentGenerator(unsigned seed) : rng_(seed) {}

    std::wstring Document()
    {
        std::wstring text;
        if (Chance(2))
            text += L"<?xml version=\"1.0\"?>\r\n";
        if (Chance(4))
            text += L"<!DOCTYPE r [<!ELEMENT r ANY>]>\r\n";
        int roots = Chance(5) ? 2 : 1;
        for (int i = 0; i < roots; ++i)
            text += Element(0);
        if (Chance(3))
            text += L"\r\n";
        return text;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int oneIn) { return Pick(oneIn) == 0; }

private:
    std::wstring Attributes()
    {
        static const wchar_t* const kAttributes[] = {L" x=\"1\"", L" y='2'", L" z=3", L" w", L" id=\"a>b\""};
        std::wstring out;
        for (int n = Pick(3); n > 0; --n)
            out += kAttributes[Pick(5)];
        return out;
    }

    std::wstring Element(int depth)
    {
        static const wchar_t* const kNames[] = {L"a", L"b", L"c"};
        std::wstring name = kNames[Pick(3)];
        if (depth > 3 || Chance(4))
            return L"<" + name + Attributes() + (Chance(2) ? L"/>" : L" />");
        return L"<" + name + Attributes() + L">" + Content(depth + 1) + L"</" + name + L">";
    }

    std::wstring Content(int depth)
    {
        std::wstring out;
        for (int n = Pick(5); n > 0; --n) {
            switch (Pick(10)) {
            case 0: out += L"t &amp; x"; break;
            case 1: out += L"\r\n  "; break;
            case 2: out += L"<!-- <a> -->"; break;
            case 3: out += L"<![CDATA[<b>]]>"; break;
            case 4: out += L"<?p x?>"; break;
            // Never closed anywhere: their end tags would not match anything.
            case 5: out += L"<li" + Attributes() + L">"; break;
            case 6: out += Chance(2) ? L"<br>" : L"<input disabled>"; break;
            case 7: out += L"</x>"; break;
            default: out += Element(depth); break;
            }
        }
        return out;
    }

    std::mt19937 rng_;
};

void Wander(XmlDocument& doc, DocumentGenerator& g)
{
    doc.Rewind();
    for (int steps = g.Pick(8); steps > 0; --steps) {
        switch (g.Pick(3)) {
        case 0: doc.IntoElement(); break;
        case 1: doc.SeekElement(L""); break;
        default: doc.OutOfElement(); break;
        }
    }
}

void RandomEdit(XmlDocument& doc, DocumentGenerator& g)
{
    static const wchar_t* const kValues[] = {nullptr, L"v", L"x<y&z", L"a]]>b", L"&amp; &#1;"};
    if (g.Chance(3)) {
        static const wchar_t* const kAttributeNames[] = {L"x", L"y", L"z", L"w", L"id"};
        doc.PutAttribute(kAttributeNames[g.Pick(5)], kValues[1 + g.Pick(4)]);
        return;
    }
    if (g.Chance(8)) {
        // Each non-ended element gets a name of its own: "<u><u></u>" would read back as the
        // outer one left open, a true ambiguity of markup without end tags.
        static int unique = 0;
        std::wstring name = L"u" + std::to_wstring(++unique);
        doc.AppendElement(name.c_str(), nullptr, XmlAddNonEnded | (g.Chance(2) ? XmlAddChild : 0));
        return;
    }
    static const wchar_t* const kNames[] = {L"a", L"b", L"n"};
    static const int kFlags[] = {XmlAddCdata, XmlAddNoBreaks, XmlAddSpacedEmpty, XmlAddKeepRefs, XmlAddBefore, XmlAddChild};
    int flags = 0;
    for (int f : kFlags) {
        if (g.Chance(3))
            flags |= f;
    }
    if (g.Chance(15))
        flags |= XmlAddReplaceContent;
    doc.AppendElement(kNames[g.Pick(3)], kValues[g.Pick(5)], flags);
}

TEST(XmlProperty, RandomEditsKeepRecordsEqualToAFreshParse)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        DocumentGenerator g(seed);
        std::wstring original = g.Document();
        XmlDocument doc(original.c_str());
        ASSERT_EQ(xmltest::CheckRecords(doc), L"") << "seed " << seed << " parse of " << original;
        for (int edit = 0; edit < 25; ++edit) {
            Wander(doc, g);
            RandomEdit(doc, g);
            ASSERT_EQ(xmltest::CheckRecords(doc), L"") << "seed " << seed << " edit " << edit << ": " << doc.Text();
            XmlDocument fresh(doc.Text().c_str());
            ASSERT_EQ(xmltest::Dump(doc), xmltest::Dump(fresh))
                << "seed " << seed << " edit " << edit << " from " << original << " to " << doc.Text();
        }
    }
}

} // namespace
