// The input-mask arithmetic of the masked editor, without a window.
#include "CaseName.h"
#include "VGMaskedEdit.h"

#include <gtest/gtest.h>

namespace {

struct ConformCase {
    std::string name;
    const wchar_t* mask;
    const wchar_t* text;
    const wchar_t* conformed;
};

class MaskConform : public ::testing::TestWithParam<ConformCase> {};

CString Conform(const wchar_t* mask, const wchar_t* text)
{
    CString positions, literals;
    VGMask::BuildTemplates(mask, &positions, &literals);
    return VGMask::Conform(text, positions, literals);
}

}  // namespace

TEST(MaskTemplates, AnEscapedLetterIsALiteralThatTakesNoPositionForItsBackslash)
{
    CString positions, literals;
    ASSERT_TRUE(VGMask::BuildTemplates(L"\\A00", &positions, &literals));
    EXPECT_EQ(CString(L"\x08" L"00"), positions);
    EXPECT_EQ(CString(L"A\x08\x08"), literals);
}

TEST(MaskTemplates, AnEmptyOrMissingMaskSwitchesMaskingOff)
{
    CString positions, literals;
    EXPECT_FALSE(VGMask::BuildTemplates(L"", &positions, &literals));
    EXPECT_FALSE(VGMask::BuildTemplates(nullptr, &positions, &literals));
    EXPECT_TRUE(positions.IsEmpty());
}

TEST(MaskRules, EachMaskCharacterTakesItsKindOfCharacter)
{
    const struct {
        wchar_t rule;
        const wchar_t* accepted;
        const wchar_t* refused;
    } rules[] = {
        {L'0', L"09", L" a+"},     {L'9', L"5 ", L"a-"},       {L'#', L"5 +-", L"a."},
        {L'L', L"aZ", L"5 "},      {L'?', L"a ", L"5-"},       {L'A', L"a5", L" -"},
        {L'a', L"a5 ", L"-."},     {L'&', L"a5 -.", L"\x01"},  {L'C', L"a5 -.", L"\x7f"},
    };
    for (const auto& r : rules) {
        for (const wchar_t* c = r.accepted; *c; ++c)
            EXPECT_TRUE(VGMask::Accepts(r.rule, *c)) << static_cast<char>(r.rule) << " takes " << static_cast<int>(*c);
        for (const wchar_t* c = r.refused; *c; ++c)
            EXPECT_FALSE(VGMask::Accepts(r.rule, *c)) << static_cast<char>(r.rule) << " refuses " << static_cast<int>(*c);
    }
}

TEST_P(MaskConform, GivesTheConformedText)
{
    const ConformCase& c = GetParam();
    EXPECT_EQ(CString(c.conformed), Conform(c.mask, c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MaskConform,
    ::testing::Values(ConformCase{"DigitsAreDroppedAtLetterPositions", L"LL00", L"12ab", L"ab"},
                      ConformCase{"NoLiteralFollowsTheLastCharacter", L"(000)", L"555", L"(555"},
                      ConformCase{"LiteralsArePutInBetween", L"00-00", L"1234", L"12-34"},
                      ConformCase{"TheTemplateEndsTheWalk", L"00", L"12345", L"12"},
                      ConformCase{"AnEmptyTextStaysEmpty", L"(000)", L"", L""}),
    CaseName());
