#include <gtest/gtest.h>

#include "html/NamedColors.h"

namespace {

struct ColourCase {
    const wchar_t* text;
    COLORREF colour;
};

TEST(NamedColors, ReadsTriplesHexAndNames) {
    const ColourCase cases[] = {
        {L"#FF0000", RGB(255, 0, 0)},     {L"255,0,0", RGB(255, 0, 0)},     {L"red", RGB(255, 0, 0)},
        {L"RED", RGB(255, 0, 0)},         {L"#1e90FF", RGB(30, 144, 255)},  {L"DodgerBlue", RGB(30, 144, 255)},
        {L"10,20", RGB(10, 20, 0)},       {L" 1, 2, 3", RGB(1, 2, 3)},      {L"AliceBlue", RGB(240, 248, 255)},
        {L"YellowGreen", RGB(154, 205, 50)}, {L"burlywood", RGB(222, 184, 135)}, {L"lawngreen", RGB(124, 252, 0)},
        {L"LightGrey", RGB(211, 211, 211)}, {L"darkgoldenrod", RGB(184, 134, 11)}, {L"RebeccaPurple", 0},
        {L"#F00", 0},                     {L"#FF00000", 0},                 {L"#GG0000", 0},
        {L"ButtonFace", 0},               {L"", 0},                         {L"999,-5,300", RGB(255, 0, 255)},
    };
    for (const ColourCase& c : cases) {
        EXPECT_EQ(CNamedColors(c.text).GetColor(), c.colour) << std::wstring(c.text).size();
    }
}

TEST(NamedColors, SystemColourNamesFollowTheSystem) {
    const struct {
        const wchar_t* name;
        int index;
    } cases[] = {{L"BtnFace", COLOR_BTNFACE}, {L"control", COLOR_BTNFACE}, {L"Window", COLOR_WINDOW},
                 {L"WindowText", COLOR_WINDOWTEXT}, {L"Highlight", COLOR_HIGHLIGHT}, {L"InfoBk", COLOR_INFOBK},
                 {L"ControlDarkDark", COLOR_3DDKSHADOW}, {L"MenuBar", COLOR_MENUBAR}};
    for (const auto& c : cases) {
        const CNamedColors colour(c.name);
        EXPECT_EQ(colour.GetValue(), CNamedColors::kSystemColourBit | static_cast<DWORD>(c.index));
        EXPECT_EQ(colour.GetColor(), GetSysColor(c.index));
    }
}

}  // namespace
