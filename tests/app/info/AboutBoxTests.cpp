// Help, About: the identity record handed to Felvane.dll and the box it shows, read by a test
// thread while the box runs on the test's own thread.
#include "info/AboutHandOver.h"
#include "InfoTestIds.h"

#include <BrevixCAPI.h>

#include <support/gui/Picture.h>
#include <support/gui/Windows.h>
#include <support/Waiting.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

// The box's caption, then each control's text in order.
std::vector<std::wstring> ReadBoxWhile(const std::function<void()>& open, const wchar_t* picture = nullptr) {
    std::vector<std::wstring> seen;
    const DWORD self = ::GetCurrentThreadId();
    std::thread reader([&] {
        HWND box = nullptr;
        support::Eventually([&] {
            for (box = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
                 box = ::FindWindowExW(nullptr, box, L"#32770", nullptr))
                if (::GetWindowThreadProcessId(box, nullptr) == self && ::IsWindowVisible(box) &&
                    support::gui::WindowText(box) != L"Vorels-NIC")
                    return true;
            return false;
        });
        if (!box) return;
        seen.push_back(support::gui::WindowText(box));
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            seen.push_back(support::gui::WindowText(child));
        if (picture) support::gui::SavePng(support::gui::CaptureWindow(box, false), support::gui::PicturePath(picture));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    open();
    reader.join();
    return seen;
}

std::wstring After(const std::vector<std::wstring>& seen, const std::wstring& label) {
    const auto at = std::find(seen.begin(), seen.end(), label);
    return at == seen.end() || at + 1 == seen.end() ? L"(no " + label + L")" : *(at + 1);
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_.Create(IDD_TEST_HOST);
        owner_.ShowWindow(SW_SHOW);
        owner_.SetActiveWindow();
        // The identity as the device API holds it: the S/N and the PCB fill their fields, no null after.
        std::memset(BVX_Module, 0, sizeof BVX_Module);
        std::strcpy(BVX_Module, "Brevix-C");
        std::memcpy(BVX_SN, "BX18050400000000004Z7", sizeof BVX_SN);
        std::memcpy(BVX_MAC, "\x02\x5E\xC1\x0D\xFF\x01", sizeof BVX_MAC);
        std::memcpy(BVX_PCB, "MP05A", sizeof BVX_PCB);
        std::memcpy(BVX_ProductDate, "201805041345", sizeof BVX_ProductDate);
    }
    void TearDown() override { owner_.DestroyWindow(); }

    CDialog owner_;
    info::AboutVersions versions_{L"v1.3b004  2018/03/01", L"v0.9b010", L"v1.1b012  2018/05/02"};
};

TEST_F(AboutBoxTest, EnglishIndexShowsTheTestersIdentityFieldByField) {
    bool opened = false;
    const auto seen = ReadBoxWhile([&] { opened = info::OpenAboutBox(0, versions_); }, L"info-about-box");
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(opened);
    EXPECT_EQ(L"About QT714-NIC", seen[0]);
    EXPECT_EQ(L"Version v1.1b012", After(seen, L"QT714-NIC"));
    EXPECT_EQ(0u, After(seen, L"Version v1.1b012").find(L"Copyright (C) 2018 "));
    EXPECT_EQ(L"Brevix-C", After(seen, L"Model"));
    EXPECT_EQ(L"Quendal Agent", After(seen, L"Agent / Customer"));
    EXPECT_EQ(L"BX18050400000000004Z7", After(seen, L"S/N")) << "21 characters, no more";
    EXPECT_EQ(L"02-5E-C1-0D-FF-01", After(seen, L"MAC"));
    EXPECT_EQ(L"vMP05A", After(seen, L"PCB Version"));
    EXPECT_EQ(L"v1.1b012  2018/05/02", After(seen, L"API Version"));
    EXPECT_EQ(L"v1.3b004  2018/03/01", After(seen, L"FPGA Version"));
    EXPECT_EQ(L"v0.9b010", After(seen, L"FW Version"));
    EXPECT_EQ(L"2018/05/04 13:45", After(seen, L"Manufacture Date"));
}

TEST_F(AboutBoxTest, JapaneseIndexShowsTheJapaneseBox) {
    const auto seen = ReadBoxWhile([&] { info::OpenAboutBox(3, versions_); });
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(L"QT714-NIC のバージョン情報", seen[0]);
    EXPECT_EQ(L"BX18050400000000004Z7", After(seen, L"シリアル番号"));
}

TEST_F(AboutBoxTest, AnyOtherIndexHandsTheIdentityOverButShowsNoBox) {
    versions_.firmware = L"v0.9b099";
    EXPECT_FALSE(info::OpenAboutBox(1, versions_));
    const auto seen = ReadBoxWhile([] {
        CreateAboutDialog(info::kAboutProduct, AboutText(info::kProgramVersion), info::kAboutYear, 0, kAboutEnglish);
    });
    EXPECT_EQ(L"v0.9b099", After(seen, L"FW Version")) << "the record that call handed over";
}

}  // namespace
