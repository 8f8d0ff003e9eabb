// The About box as a person meets it: a modal box over the active window with the product, version,
// year and the identity record's fields in the language asked for.
#include "about/AboutSysInfo.h"
#include "support/Waiting.h"
#include "support/gui/Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

// The record the program builds from the tester's identity. The serial number and the PCB version
// fill their fields with no null after them.
std::unique_ptr<AboutSysInfoRecord> TesterRecord() {
    auto record = std::make_unique<AboutSysInfoRecord>();
    std::strcpy(record->model, "Brevix-C");
    record->agent = L"Quendal Agent";
    std::memcpy(record->serialNumber, "BX18050400000000004Z7", 21);
    const unsigned char mac[6] = {0x02, 0x5E, 0xC1, 0x0D, 0xFF, 0x01};
    std::memcpy(record->mac, mac, 6);
    std::memcpy(record->pcbVersion, "A1.03", 5);
    record->fpgaVersion = L"v1.3b004  2018/03/01";
    record->firmwareVersion = L"v0.9b010";
    record->apiVersion = L"v1.1b012  2018/05/02";
    std::strcpy(record->productDate, "201805041345");
    return record;
}

// What the test thread saw of the box.
struct Seen {
    bool found = false;
    std::wstring caption;
    std::vector<std::wstring> texts;  // the controls' texts, in their order
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool fontHasJapaneseGlyphs = false;
};

// Whether the box's font draws these characters itself, rather than as the missing-glyph box.
bool FontHasGlyphs(HWND box, const std::wstring& text) {
    HDC dc = GetDC(box);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    std::vector<WORD> glyphs(text.size());
    const bool all = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                      GGI_MARK_NONEXISTING_GLYPHS) == text.size() &&
                     std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
    SelectObject(dc, previous);
    ReleaseDC(box, dc);
    return all;
}

HWND FindBoxOf(DWORD thread) {
    HWND box = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM found) {
            wchar_t name[16] = {};
            GetClassNameW(hwnd, name, 16);
            if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

class AboutBoxTest : public testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"Vorels-NIC", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 900, 700,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        SetForegroundWindow(owner_);
        SetActiveWindow(owner_);
        ASSERT_EQ(GetActiveWindow(), owner_);
    }
    void TearDown() override { DestroyWindow(owner_); }

    // Shows the box in the language; a test thread reads it, keeps its picture and closes it.
    Seen ShowAndRead(int language, const wchar_t* pictureName) {
        Seen seen;
        const DWORD self = GetCurrentThreadId();
        std::thread reader([&] {
            HWND box = nullptr;
            seen.found = support::Eventually([&] { return (box = FindBoxOf(self)) != nullptr; });
            if (!seen.found) return;
            seen.caption = TextOf(box);
            seen.owner = GetWindow(box, GW_OWNER);
            seen.ownerEnabled = IsWindowEnabled(owner_);
            seen.fontHasJapaneseGlyphs = FontHasGlyphs(box, L"製造日シリアル番号");
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                seen.texts.push_back(TextOf(child));
            }
            support::gui::SavePng(support::gui::CaptureWindow(box, false), support::gui::PicturePath(pictureName));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        result_ = CreateAboutDialog(6, AboutText(L"v1.1b012"), 2018, 0, language);
        reader.join();
        return seen;
    }

    // The text shown right after the label.
    static std::wstring ValueAfter(const Seen& seen, const std::wstring& label) {
        const auto at = std::find(seen.texts.begin(), seen.texts.end(), label);
        if (at == seen.texts.end() || at + 1 == seen.texts.end()) return L"(no label " + label + L")";
        return *(at + 1);
    }

    static bool Shows(const Seen& seen, const std::wstring& text) {
        return std::find(seen.texts.begin(), seen.texts.end(), text) != seen.texts.end();
    }

    HWND owner_ = nullptr;
    int result_ = 0;
};

TEST_F(AboutBoxTest, EnglishBoxShowsProductVersionYearAndEveryFieldModallyOverTheActiveWindow) {
    // The library keeps its own copy: the caller changes and frees its record before the box opens.
    auto record = TesterRecord();
    SetAboutDialogSysInfo(*record);
    record->agent = L"changed after the call";
    std::memcpy(record->serialNumber, "changed after call", 18);
    record.reset();
    const Seen seen = ShowAndRead(kAboutEnglish, L"about-box-english");

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, owner_);
    EXPECT_FALSE(seen.ownerEnabled) << "the owner takes no input while the box is up";
    EXPECT_EQ(result_, IDOK);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(seen.caption, L"About QT714-NIC");
    EXPECT_TRUE(Shows(seen, L"QT714-NIC"));
    EXPECT_TRUE(Shows(seen, L"Version v1.1b012"));
    EXPECT_TRUE(std::any_of(seen.texts.begin(), seen.texts.end(),
                            [](const std::wstring& t) { return t.find(L"Copyright (C) 2018") == 0; }));
    EXPECT_EQ(ValueAfter(seen, L"Model"), L"Brevix-C");
    EXPECT_EQ(ValueAfter(seen, L"Agent / Customer"), L"Quendal Agent");
    EXPECT_EQ(ValueAfter(seen, L"S/N"), L"BX18050400000000004Z7");
    EXPECT_EQ(ValueAfter(seen, L"MAC"), L"02-5E-C1-0D-FF-01");
    EXPECT_EQ(ValueAfter(seen, L"PCB Version"), L"vA1.03");
    EXPECT_EQ(ValueAfter(seen, L"API Version"), L"v1.1b012  2018/05/02");
    EXPECT_EQ(ValueAfter(seen, L"FPGA Version"), L"v1.3b004  2018/03/01");
    EXPECT_EQ(ValueAfter(seen, L"FW Version"), L"v0.9b010");
    EXPECT_EQ(ValueAfter(seen, L"Manufacture Date"), L"2018/05/04 13:45");
}

TEST_F(AboutBoxTest, JapaneseBoxShowsTheSameFieldsUnderJapaneseLabels) {
    SetAboutDialogSysInfo(*TesterRecord());
    const Seen seen = ShowAndRead(kAboutJapanese, L"about-box-japanese");

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, owner_);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_EQ(seen.caption, L"QT714-NIC のバージョン情報");
    EXPECT_TRUE(seen.fontHasJapaneseGlyphs);
    EXPECT_TRUE(Shows(seen, L"バージョン v1.1b012"));
    EXPECT_EQ(ValueAfter(seen, L"シリアル番号"), L"BX18050400000000004Z7");
    EXPECT_EQ(ValueAfter(seen, L"製造日"), L"2018/05/04 13:45");
    EXPECT_FALSE(Shows(seen, L"Manufacture Date"));
}

}  // namespace
