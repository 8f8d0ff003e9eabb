#include "FakeUxTheme.h"
#include "VGXPThemes.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* kFakeLibrary = L"fake_uxtheme.dll";

DWORD reportedMajor = 5;
DWORD reportedMinor = 1;

void ReportVersion(DWORD* major, DWORD* minor)
{
    *major = reportedMajor;
    *minor = reportedMinor;
}

bool FakeLoaded()
{
    return GetModuleHandleW(kFakeLibrary) != nullptr;
}

class Themes : public testing::Test {
protected:
    void SetUp() override
    {
        log.textResult = S_OK;
        log.appThemed = TRUE;
        log.themeActive = TRUE;
        log.transparentPart = -1;
        wchar_t address[32];
        std::swprintf(address, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(&log)));
        SetEnvironmentVariableW(L"FAKE_UXTHEME_LOG", address);
        reportedMajor = 5;
        reportedMinor = 1;
        UseControls(L"comctl32.dll");
        VGXPThemes::SetUseThemes(1);
        VGXPThemes::SetThemeStyle(1);
        dc = CreateCompatibleDC(nullptr);
    }

    void TearDown() override
    {
        DeleteDC(dc);
        VGXPThemes::SetUseThemes(0);
        VGXPThemes::SetThemeStyle(0);
        VGXPThemes::SetPlatform(VGXPThemes::DefaultPlatform());
        EXPECT_FALSE(FakeLoaded());
    }

    void UseControls(const wchar_t* controls)
    {
        VGXPThemes::SetPlatform(VGXPThemes::Platform{kFakeLibrary, controls, ReportVersion});
    }

    bool Background(int element, int state)
    {
        return VGXPThemes::ThemedBackground(nullptr, dc, element, state, &rect, nullptr);
    }

    FakeThemeLog log{};
    HDC dc = nullptr;
    RECT rect{0, 0, 40, 20};
};

TEST_F(Themes, SwitchedOffNothingIsLoadedOrDrawn)
{
    VGXPThemes::SetUseThemes(0);
    RECT content{1, 2, 3, 4};
    EXPECT_FALSE(Background(VGTHEME_CELL, VGSTATE_NORMAL));
    EXPECT_FALSE(VGXPThemes::ThemedEdge(nullptr, dc, VGTHEME_HEADING, 1, &rect, 0x2000, BF_RECT, &content));
    EXPECT_FALSE(VGXPThemes::ThemedText(nullptr, dc, VGTHEME_CELL, 1, L"x", 1, DT_LEFT, &rect));
    EXPECT_FALSE(VGXPThemes::ThemesAvailable());
    EXPECT_FALSE(FakeLoaded());
    EXPECT_EQ(0, log.opens);
    EXPECT_EQ(1, content.left);
}

TEST_F(Themes, StateComesFromTheSelectedAndCurrentFlags)
{
    EXPECT_EQ(VGSTATE_SELECTEDCURRENT, VGXPThemes::StateFromFlags(1, 1));
    EXPECT_EQ(VGSTATE_SELECTED, VGXPThemes::StateFromFlags(2, 0));
    EXPECT_EQ(VGSTATE_CURRENT, VGXPThemes::StateFromFlags(0, 1));
    EXPECT_EQ(VGSTATE_NORMAL, VGXPThemes::StateFromFlags(0, 0));
}

struct StyleCase {
    const char* name;
    int style;
    int element;
    int state;
    const wchar_t* className;  // null: no entry
    int part;
    int partState;
};

class StyleTables : public Themes, public testing::WithParamInterface<StyleCase> {};

TEST_P(StyleTables, MapElementAndState)
{
    const StyleCase& c = GetParam();
    VGXPThemes::SetThemeStyle(c.style);
    const VGXPThemes::StyleEntry* entry = VGXPThemes::FindStyleEntry(c.element, c.state);
    if (!c.className) {
        EXPECT_EQ(nullptr, entry);
        return;
    }
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(std::wstring(c.className), entry->className);
    EXPECT_EQ(c.part, entry->part);
    EXPECT_EQ(c.partState, entry->state);
}

INSTANTIATE_TEST_SUITE_P(
    Themes, StyleTables,
    testing::Values(StyleCase{"CellFirstStyle", 1, 0x10, 1, L"LISTVIEW", 1, 1},
                    StyleCase{"CellSecondStyle", 2, 0x10, 6, L"TAB", 1, 5},
                    StyleCase{"SideHeadingCurrent", 2, 0x40, 2, L"TASKBAR", 8, 0},
                    StyleCase{"HeadingSecondStyle", 0, 0x80, 1, L"WINDOW", 11, 0},
                    StyleCase{"PushButtonPressed", 1, 0x8000, 16, L"BUTTON", 1, 3},
                    StyleCase{"SpinLowerHalf", 2, 0x20000, 16, L"SPIN", 2, 3},
                    StyleCase{"CheckBoxSelectedAndCurrentHasNoRow", 1, 0x200, 6, nullptr, 0, 0},
                    StyleCase{"CellPressedHasNoRow", 1, 0x10, 16, nullptr, 0, 0}),
    CaseName());

TEST_F(Themes, AStyleChangeReachesOnlyKeysNotYetInTheTable)
{
    VGXPThemes::SetThemeStyle(1);
    ASSERT_NE(nullptr, VGXPThemes::FindStyleEntry(VGTHEME_CELL, 1));
    VGXPThemes::SetThemeStyle(2);
    EXPECT_EQ(L"LISTVIEW", VGXPThemes::FindStyleEntry(VGTHEME_CELL, 1)->className);
    VGXPThemes::ReleaseThemes();
    EXPECT_EQ(L"TAB", VGXPThemes::FindStyleEntry(VGTHEME_CELL, 1)->className);
}

TEST_F(Themes, EachClassIsOpenedOnceAndItsHandleReused)
{
    EXPECT_TRUE(Background(VGTHEME_CELL, VGSTATE_NORMAL));
    EXPECT_TRUE(Background(VGTHEME_CELL, VGSTATE_CURRENT));
    EXPECT_TRUE(Background(VGTHEME_CELL, VGSTATE_NORMAL));
    EXPECT_EQ(1, log.opens);
    EXPECT_EQ(3, log.backgrounds);
    EXPECT_EQ(101, log.drawnParts[0]);
    EXPECT_EQ(103, log.drawnParts[1]);
    EXPECT_TRUE(Background(VGTHEME_CHECKON, VGSTATE_NORMAL));
    EXPECT_EQ(2, log.opens);
}

TEST_F(Themes, UncachedHandlesAreOpenedEachTime)
{
    HTHEME first = VGXPThemes::OpenThemeCached(nullptr, L"BUTTON", false);
    HTHEME second = VGXPThemes::OpenThemeCached(nullptr, L"BUTTON", false);
    EXPECT_NE(first, second);
    EXPECT_EQ(2, log.opens);
}

TEST_F(Themes, AMissingEntryPointReportsNotDrawn)
{
    RECT content{1, 2, 3, 4};
    EXPECT_FALSE(VGXPThemes::ThemedEdge(nullptr, dc, VGTHEME_HEADING, 1, &rect, 0x2000, BF_RECT, &content));
    EXPECT_EQ(1, content.left);
    EXPECT_TRUE(FakeLoaded());
}

TEST_F(Themes, TextIsDrawnOnlyWhenTheLibraryDrewIt)
{
    EXPECT_TRUE(VGXPThemes::ThemedText(nullptr, dc, VGTHEME_CELL, 1, L"abc", 3, DT_LEFT, &rect));
    log.textResult = E_FAIL;
    EXPECT_FALSE(VGXPThemes::ThemedText(nullptr, dc, VGTHEME_CELL, 1, L"abc", 3, DT_LEFT, &rect));
    EXPECT_EQ(2, log.texts);
    EXPECT_FALSE(VGXPThemes::ThemedText(nullptr, dc, VGTHEME_CHECKOFF, 6, L"abc", 3, DT_LEFT, &rect));
    EXPECT_EQ(2, log.texts);
}

TEST_F(Themes, SeeThroughPartsGetTheCellBackgroundFirst)
{
    log.transparentPart = 3;  // the check box parts
    EXPECT_TRUE(Background(VGTHEME_CHECKON, VGSTATE_DISABLED));
    ASSERT_EQ(2, log.backgrounds);
    EXPECT_EQ(101, log.drawnParts[0]);
    EXPECT_EQ(308, log.drawnParts[1]);
    log.transparentPart = 1;
    EXPECT_FALSE(Background(VGTHEME_CELL, VGSTATE_NORMAL));
}

TEST_F(Themes, ReleaseClosesEveryHandleAndTheNextCallLoadsAgain)
{
    Background(VGTHEME_CELL, VGSTATE_NORMAL);
    Background(VGTHEME_CHECKOFF, VGSTATE_NORMAL);
    ASSERT_TRUE(FakeLoaded());
    VGXPThemes::ReleaseThemes();
    EXPECT_EQ(2, log.closes);
    EXPECT_FALSE(FakeLoaded());
    EXPECT_TRUE(Background(VGTHEME_CELL, VGSTATE_NORMAL));
    EXPECT_TRUE(FakeLoaded());
    EXPECT_EQ(3, log.opens);
}

TEST_F(Themes, ThemeChangeReopensHandles)
{
    Background(VGTHEME_CELL, VGSTATE_NORMAL);
    VGXPThemes::OnThemeChanged();
    EXPECT_EQ(1, log.closes);
    Background(VGTHEME_CELL, VGSTATE_NORMAL);
    EXPECT_EQ(2, log.opens);
}

struct AvailableCase {
    const char* name;
    DWORD major;
    DWORD minor;
    BOOL appThemed;
    BOOL themeActive;
    const wchar_t* controls;
    bool expected;
};

class Availability : public Themes, public testing::WithParamInterface<AvailableCase> {};

TEST_P(Availability, NeedsVersion51AnActiveThemeAndTheControlsVersion)
{
    const AvailableCase& c = GetParam();
    UseControls(c.controls);
    reportedMajor = c.major;
    reportedMinor = c.minor;
    log.appThemed = c.appThemed;
    log.themeActive = c.themeActive;
    EXPECT_EQ(c.expected, VGXPThemes::ThemesAvailable());
}

INSTANTIATE_TEST_SUITE_P(
    Themes, Availability,
    testing::Values(AvailableCase{"AllHold", 5, 1, TRUE, TRUE, L"comctl32.dll", true},
                    AvailableCase{"OtherVersion", 6, 1, TRUE, TRUE, L"comctl32.dll", false},
                    AvailableCase{"OtherMinorVersion", 5, 2, TRUE, TRUE, L"comctl32.dll", false},
                    AvailableCase{"AppNotThemed", 5, 1, FALSE, TRUE, L"comctl32.dll", false},
                    AvailableCase{"ThemeNotActive", 5, 1, TRUE, FALSE, L"comctl32.dll", false},
                    AvailableCase{"NoControlsLibrary", 5, 1, TRUE, TRUE, L"no_such_controls.dll", false},
                    AvailableCase{"ControlsWithoutVersion", 5, 1, TRUE, TRUE, L"kernel32.dll", false}),
    CaseName());

TEST(ThemeLibrary, SystemLibraryBindsOnlyWhenSwitchedOn)
{
    VGXPThemes::SetPlatform(VGXPThemes::DefaultPlatform());
    EXPECT_FALSE(VGXPThemes::ThemesAvailable());
    VGXPThemes::SetUseThemes(1);
    // The system reports a version other than 5.1 here, so the classic drawing stays.
    EXPECT_FALSE(VGXPThemes::ThemesAvailable());
    VGXPThemes::SetUseThemes(0);
    VGXPThemes::ReleaseThemes();
}

}  // namespace
