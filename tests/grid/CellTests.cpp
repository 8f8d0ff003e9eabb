#include "VGCell.h"
#include "VGGridHost.h"
#include "VGLocale.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr LCID kEnglish = 0x0409;
constexpr LCID kGerman = 0x0407;

// Installs a locale for the cell conversions for the life of the object.
class LocaleScope {
public:
    explicit LocaleScope(CVGLocale* locale) { CVGLocale::SetCurrent(locale); }
    ~LocaleScope() { CVGLocale::SetCurrent(nullptr); }
};

// A locale whose number formatting call fails: the text keeps its digits and only the point changes.
class FailingFormatLocale : public CVGLocale {
public:
    using CVGLocale::CVGLocale;
    bool FormatNumber(const CString&, const NUMBERFMTW&, CString*) const override { return false; }
};

// Counts live attachments, so sharing and release are visible.
class Tracked : public CObject {
public:
    Tracked() { ++alive; }
    ~Tracked() override { --alive; }
    static int alive;
};
int Tracked::alive = 0;

std::wstring Text(CVGCell& cell)
{
    const LPCWSTR text = cell.ReadText();
    return text ? text : L"<null>";
}

TEST(CellRecord, FreshCellReadsItsDefaults)
{
    CVGCell cell;
    EXPECT_EQ(nullptr, cell.ReadText());
    EXPECT_EQ(1, cell.ReadDataType());
    EXPECT_EQ(1, cell.ReadAlignment());
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), cell.ReadBackColor());
    EXPECT_EQ(0, cell.ReadTypeIndex());
    EXPECT_EQ(0x8008788u, cell.GetPropertyWord());
    EXPECT_EQ(16, cell.ReadThemeElement());
    EXPECT_EQ(1, cell.ReadVisualStyle());
    EXPECT_EQ(nullptr, cell.ReadLabel());
    CString label(L"kept");
    EXPECT_EQ(1, cell.ReadLabel(label));
    EXPECT_EQ(L"kept", label);
}

TEST(CellRecord, UnsetPropertiesGiveFixedDefaults)
{
    CVGCell cell;
    cell.PutAlignment(2);
    cell.PutTextColor(RGB(1, 2, 3));
    cell.SetPropertyWord(0);
    EXPECT_EQ(0, cell.ReadAlignment());
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), cell.ReadTextColor());
    EXPECT_EQ(1, cell.ReadDataType());
    int origin = 9, columnOffset = 9, rowOffset = 9;
    EXPECT_EQ(1, cell.ReadJoin(&origin, &columnOffset, &rowOffset));
}

TEST(CellRecord, SettersSetTheirBitAndValue)
{
    CVGCell cell;
    cell.SetPropertyWord(0);
    cell.PutTypeIndex(2);
    cell.PutTypeStyle(0x1000);
    cell.PutReadOnly(7);
    cell.PutBorderStyle(0x2000);
    cell.PutLabel(L"a\nb\n");
    cell.PutJoin(1, 2, 3);
    EXPECT_EQ(VGCELL_TYPEINDEX | VGCELL_TYPESTYLE | VGCELL_READONLY | VGCELL_BORDERSTYLE | VGCELL_LABEL | VGCELL_JOIN,
              cell.GetPropertyWord());
    EXPECT_EQ(2, cell.ReadTypeIndex());
    EXPECT_EQ(0x1000, cell.ReadTypeStyle());
    EXPECT_EQ(1, cell.ReadReadOnly());
    EXPECT_STREQ(L"a\nb\n", cell.ReadLabel());
    int origin = 0, columnOffset = 0, rowOffset = 0;
    EXPECT_EQ(0, cell.ReadJoin(&origin, &columnOffset, &rowOffset));
    EXPECT_EQ(1, origin);
    EXPECT_EQ(2, columnOffset);
    EXPECT_EQ(3, rowOffset);
}

TEST(CellRecord, EmptyTextStaysUnsetAndDoesNotOverwriteInAMerge)
{
    CVGCell empty;
    empty.PutText(L"");
    EXPECT_EQ(nullptr, empty.ReadText());
    EXPECT_EQ(0, empty.HasProperty(VGCELL_VALUE));

    CVGCell target;
    target.PutText(L"kept");
    target.MergeFrom(&empty);
    EXPECT_STREQ(L"kept", target.ReadText());
}

TEST(CellRecord, MergeOfOneSetPropertyChangesOnlyThatProperty)
{
    CVGCell target;
    target.PutText(L"value");
    target.PutAlignment(4);
    CVGCell source;
    source.SetPropertyWord(0);
    source.PutBackColor(RGB(255, 0, 0));
    source.PutVisualStyle(0);

    target.MergeFrom(&source);
    EXPECT_STREQ(L"value", target.ReadText());
    EXPECT_EQ(4, target.ReadAlignment());
    EXPECT_EQ(RGB(255, 0, 0), target.ReadBackColor());
    EXPECT_EQ(0, target.ReadVisualStyle());
}

TEST(CellRecord, ReplaceTakesTheSourceWord)
{
    CVGCell source;
    source.SetPropertyWord(0);
    source.PutText(L"only");
    CVGCell target;
    target.PutAlignment(4);
    source.ReplaceInto(&target);
    EXPECT_EQ(VGCELL_VALUE | VGCELL_DATATYPE, target.GetPropertyWord());
    EXPECT_STREQ(L"only", target.ReadText());
    EXPECT_EQ(0, target.ReadAlignment());
}

struct NumberTextCase {
    const char* name;
    LCID lcid;
    double number;
    int decimals;  // -1: none set
    const wchar_t* expected;
};

class NumberText : public testing::TestWithParam<NumberTextCase> {};

TEST_P(NumberText, ReadsInTheLocale)
{
    const NumberTextCase& c = GetParam();
    CVGLocale locale(c.lcid);
    LocaleScope scope(&locale);
    CVGCell cell;
    cell.PutNumber(c.number);
    if (c.decimals >= 0)
        cell.PutDecimals(c.decimals);
    EXPECT_EQ(std::wstring(c.expected), Text(cell));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, NumberText,
    testing::Values(NumberTextCase{"HalfEnglish", kEnglish, 2.5, -1, L"2.5"},
                    NumberTextCase{"HalfGerman", kGerman, 2.5, -1, L"2,5"},
                    NumberTextCase{"GroupedEnglish", kEnglish, 1234567, -1, L"1,234,567"},
                    NumberTextCase{"GroupedGerman", kGerman, 1234567, -1, L"1.234.567"},
                    NumberTextCase{"Zero", kEnglish, 0, -1, L"0"},
                    NumberTextCase{"AllTwentyDigits", kEnglish, 0.1, -1, L"0.10000000000000000555"},
                    NumberTextCase{"FixedDecimals", kEnglish, 3.14159, 2, L"3.14"},
                    NumberTextCase{"FixedDecimalsGerman", kGerman, 3.14159, 2, L"3,14"},
                    NumberTextCase{"NegativeGerman", kGerman, -1234.5, -1, L"-1.234,5"}),
    CaseName());

TEST(CellRecord, PlainNumberTextSkipsTheLocale)
{
    CVGLocale locale(kGerman);
    LocaleScope scope(&locale);
    CVGCell cell;
    cell.PutNumber(1234.5);
    cell.PutPlainNumberText(1);
    EXPECT_EQ(L"1234.5", Text(cell));
}

TEST(CellRecord, FailedFormattingOnlyReplacesThePoint)
{
    FailingFormatLocale locale(kGerman);
    LocaleScope scope(&locale);
    CVGCell cell;
    cell.PutNumber(1234.5);
    EXPECT_EQ(L"1234,5", Text(cell));
}

struct ParseCase {
    const char* name;
    LCID lcid;
    const wchar_t* text;
    double expected;
};

class TextToNumber : public testing::TestWithParam<ParseCase> {};

TEST_P(TextToNumber, DropsSeparatorsAndCurrency)
{
    const ParseCase& c = GetParam();
    CVGLocale locale(c.lcid);
    LocaleScope scope(&locale);
    CVGCell cell;
    cell.PutText(c.text);
    EXPECT_DOUBLE_EQ(c.expected, cell.ReadNumber());
}

INSTANTIATE_TEST_SUITE_P(
    Cells, TextToNumber,
    testing::Values(ParseCase{"GroupedEnglish", kEnglish, L"1,234.5", 1234.5},
                    ParseCase{"GroupedGerman", kGerman, L"1.234,5", 1234.5},
                    ParseCase{"CurrencyGerman", kGerman, L"12,50 \x20ac", 12.5},
                    ParseCase{"LongestPrefix", kEnglish, L"42abc", 42},
                    ParseCase{"NoNumber", kEnglish, L"abc", 0}),
    CaseName());

TEST(CellRecord, BooleansReadAsNumbersAndFirstLetters)
{
    CVGCell yes;
    yes.PutBoolean(5);
    EXPECT_STREQ(L"1", yes.ReadText());
    EXPECT_DOUBLE_EQ(1.0, yes.ReadNumber());
    EXPECT_EQ(1, yes.ReadBoolean());

    CVGCell text;
    text.PutText(L"true");
    EXPECT_EQ(1, text.ReadBoolean());
    text.PutText(L"yes");
    EXPECT_EQ(0, text.ReadBoolean());
    CVGCell unset;
    EXPECT_EQ(0, unset.ReadBoolean());
}

TEST(CellRecord, CurrencyFromANumberKeepsTheNumberAndFormatsTwoDecimals)
{
    CVGCell cell;
    cell.PutNumber(12.5);
    cell.ConvertDataType(VGDATA_CURRENCY);
    EXPECT_STREQ(L"12.50", cell.ReadText());
    EXPECT_DOUBLE_EQ(12.5, cell.ReadNumber());
    EXPECT_EQ(VGDATA_CURRENCY, cell.ReadDataType());
}

// Converts the case's text to the data type in the case's locale: the value is the case's, and the
// text stays as it was typed.
void ExpectConvertedKeepingText(const ParseCase& c, short type)
{
    CVGLocale locale(c.lcid);
    LocaleScope scope(&locale);
    CVGCell cell;
    cell.PutText(c.text);
    cell.ConvertDataType(type);
    EXPECT_DOUBLE_EQ(c.expected, cell.ReadNumber());
    EXPECT_STREQ(c.text, cell.ReadText());
}

class CurrencyText : public testing::TestWithParam<ParseCase> {};

TEST_P(CurrencyText, ConvertsToItsFullValue)
{
    ExpectConvertedKeepingText(GetParam(), VGDATA_CURRENCY);
}

INSTANTIATE_TEST_SUITE_P(Cells, CurrencyText,
                         testing::Values(ParseCase{"English", kEnglish, L"12.75", 12.75},
                                         ParseCase{"German", kGerman, L"12,75", 12.75},
                                         ParseCase{"Unparsable", kEnglish, L"twelve", 0}),
                         CaseName());

class DateText : public testing::TestWithParam<ParseCase> {};

TEST_P(DateText, ConvertsToAnOleDateAndKeepsTheText)
{
    ExpectConvertedKeepingText(GetParam(), VGDATA_DATE);
}

INSTANTIATE_TEST_SUITE_P(Cells, DateText,
                         testing::Values(ParseCase{"English", kEnglish, L"3/15/2024", 45366},
                                         ParseCase{"German", kGerman, L"15.03.2024", 45366},
                                         ParseCase{"Unparsable", kEnglish, L"someday", 0}),
                         CaseName());

TEST(CellRecord, TextConvertedToANumberReadsBackFromTheNumber)
{
    CVGLocale locale(kEnglish);
    LocaleScope scope(&locale);
    CVGCell cell;
    cell.PutText(L"1,234.5");
    cell.ConvertDataType(VGDATA_NUMBER);
    EXPECT_DOUBLE_EQ(1234.5, cell.ReadNumber());
    EXPECT_EQ(L"1,234.5", Text(cell));
    EXPECT_EQ(0, cell.ConvertDataType(VGDATA_NUMBER));
    EXPECT_DOUBLE_EQ(1234.5, cell.ReadNumber());
}

TEST(CellRecord, CopiesShareTheAttachmentAndExtraDataAndFreeThemOnce)
{
    ASSERT_EQ(0, Tracked::alive);
    {
        CVGCell original;
        original.PutAttachment(new Tracked);
        const BYTE bytes[3] = {1, 2, 3};
        original.PutExtraData(bytes, 3);

        CVGCell merged;
        CVGCell replaced;
        merged.MergeFrom(&original);
        original.ReplaceInto(&replaced);
        CVGCell copied(original);
        EXPECT_EQ(original.ReadAttachment(), merged.ReadAttachment());
        int length = 0;
        EXPECT_EQ(original.ReadExtraData(&length), replaced.ReadExtraData(nullptr));
        EXPECT_EQ(3, length);

        original.ReleaseExtras();
        merged.ReleaseExtras();
        replaced.ResetAll();
        EXPECT_EQ(1, Tracked::alive);
        EXPECT_NE(nullptr, copied.ReadExtraData(nullptr));
    }
    EXPECT_EQ(0, Tracked::alive);
}

TEST(CellRecord, MergeOfACellWithoutExtraDataKeepsTheTargets)
{
    CVGCell target;
    const BYTE bytes[2] = {7, 8};
    target.PutExtraData(bytes, 2);
    CVGCell source;
    source.PutText(L"x");
    target.MergeFrom(&source);
    int length = 0;
    ASSERT_NE(nullptr, target.ReadExtraData(&length));
    EXPECT_EQ(2, length);
    target.ReplaceFrom(&source);
    EXPECT_EQ(nullptr, target.ReadExtraData(&length));
}

struct CompareCase {
    const char* name;
    int flags;
    int expected;
    void (*fill)(CVGCell& a, CVGCell& b);
};

class DefaultComparison : public testing::TestWithParam<CompareCase> {};

TEST_P(DefaultComparison, Orders)
{
    CVGCell a;
    CVGCell b;
    GetParam().fill(a, b);
    EXPECT_EQ(GetParam().expected, CVGGridHost::CompareCellsByDefault(&a, &b, GetParam().flags));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, DefaultComparison,
    testing::Values(
        CompareCase{"NumbersAscending", 0, 1, [](CVGCell& a, CVGCell& b) { a.PutNumber(10); b.PutNumber(9); }},
        CompareCase{"NumbersExchanged", 2, -1, [](CVGCell& a, CVGCell& b) { a.PutNumber(10); b.PutNumber(9); }},
        CompareCase{"Texts", 0, -1, [](CVGCell& a, CVGCell& b) { a.PutText(L"abc"); b.PutText(L"abd"); }},
        CompareCase{"TextsCaseSensitive", 0, -1, [](CVGCell& a, CVGCell& b) { a.PutText(L"B"); b.PutText(L"a"); }},
        CompareCase{"EmptyFirstSortsLast", 0, 1, [](CVGCell&, CVGCell& b) { b.PutText(L"a"); }},
        CompareCase{"EmptySecondSortsLast", 0, -1, [](CVGCell& a, CVGCell&) { a.PutText(L"a"); }},
        CompareCase{"TwoEmptyCellsAreEqual", 0, 0, [](CVGCell&, CVGCell&) {}}),
    CaseName());

TEST(CellRecord, NullCellsCompareAsTheGridDoes)
{
    CVGCell cell;
    EXPECT_EQ(0, CVGGridHost::CompareCellsByDefault(nullptr, nullptr, 0));
    EXPECT_EQ(1, CVGGridHost::CompareCellsByDefault(nullptr, &cell, 0));
    EXPECT_EQ(-1, CVGGridHost::CompareCellsByDefault(&cell, nullptr, 0));
}

}  // namespace
