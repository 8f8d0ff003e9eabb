#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/LangMag.h"

namespace {

class LangMagTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        path_ = std::wstring(folder) + L"sorvane-lang-test.lng";
        lang_.SetFile(path_.c_str());
    }
    void TearDown() override { DeleteFileW(path_.c_str()); }
    void Write(const std::string& text) {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::wstring Text(const wchar_t* key) { return lang_.GetText(key).GetString(); }

    std::wstring path_;
    CLangMag lang_;
};

TEST_F(LangMagTest, ReadsTheKeyFromTheSectionOfTheLanguage) {
    Write("[Language0]\nIDS_A=Connect\n[Language1]\nIDS_A=Verbinden\n");
    EXPECT_EQ(Text(L"IDS_A"), L"Connect");
    lang_.SetLanguage(1);
    EXPECT_EQ(Text(L"IDS_A"), L"Verbinden");
}

TEST_F(LangMagTest, BackslashNBetweenTwoWordsGivesTwoLines) {
    Write("[Language0]\nIDS_A=first\\nsecond\n");
    EXPECT_EQ(Text(L"IDS_A"), L"first\nsecond");
}

TEST_F(LangMagTest, AMissingSectionKeyOrFileGivesEmptyText) {
    Write("[Language0]\nIDS_A=Connect\n");
    EXPECT_EQ(Text(L"IDS_B"), L"");
    lang_.SetLanguage(2);
    EXPECT_EQ(Text(L"IDS_A"), L"");
    lang_.SetFile(L"C:\\no\\such\\folder\\Sorvane.lng");
    EXPECT_EQ(Text(L"IDS_A"), L"");
}

TEST_F(LangMagTest, ALongTextIsCutTo1023Characters) {
    Write("[Language0]\nIDS_A=" + std::string(1500, 'x') + "\n");
    EXPECT_EQ(Text(L"IDS_A"), std::wstring(1023, L'x'));
}

TEST_F(LangMagTest, TheFileIsReadAgainAtEveryLookup) {
    Write("[Language0]\nIDS_A=old\n");
    EXPECT_EQ(Text(L"IDS_A"), L"old");
    Write("[Language0]\nIDS_A=new\n");
    EXPECT_EQ(Text(L"IDS_A"), L"new");
}

}  // namespace
