// The application's profile values in the registry of the test's Wine prefix, under a key of this
// process's own: what is written comes back, what is missing gives the default, and the values
// sit where other programs look for them.
#include <framework/Framework.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kRegistryKey[] = L"Brevix Framework Tests";

class ProfileTest : public ::testing::Test {
protected:
    ProfileTest()
        : appName(L"Profile-" + std::to_wstring(::GetCurrentProcessId())),
          applicationPath(std::wstring(L"Software\\") + kRegistryKey + L"\\" + appName),
          app(appName.c_str()) {}

    void SetUp() override { app.SetRegistryKey(kRegistryKey); }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, applicationPath.c_str());
        // Shared with other test programs: removed only once the last of them is done with it.
        ::RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kRegistryKey).c_str());
    }

    // Stores raw bytes as the value, as another program (or a damaged registry) might.
    void StoreRaw(const wchar_t* section, const wchar_t* entry, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, (applicationPath + L"\\" + section).c_str(), 0,
                                                   nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, entry, 0, type, static_cast<const BYTE*>(data), size));
        ::RegCloseKey(key);
    }

    bool SectionExists(const wchar_t* section) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, (applicationPath + L"\\" + section).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        ::RegCloseKey(key);
        return true;
    }

    std::wstring appName;
    std::wstring applicationPath;
    CWinApp app;
};

TEST_F(ProfileTest, NumbersComeBackAsWritten) {
    EXPECT_TRUE(app.WriteProfileInt(L"Window", L"Left", 42));
    EXPECT_TRUE(app.WriteProfileInt(L"Window", L"Offset", -7));
    EXPECT_TRUE(app.WriteProfileInt(L"Other", L"Left", 9));
    EXPECT_EQ(42u, app.GetProfileInt(L"Window", L"Left", 0));
    EXPECT_EQ(-7, static_cast<int>(app.GetProfileInt(L"Window", L"Offset", 0)));
    EXPECT_EQ(9u, app.GetProfileInt(L"Other", L"Left", 0));
    EXPECT_TRUE(app.WriteProfileInt(L"Window", L"Left", 43));
    EXPECT_EQ(43u, app.GetProfileInt(L"Window", L"Left", 0));

    DWORD stored = 0;
    DWORD size = sizeof stored;
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueW(HKEY_CURRENT_USER, (applicationPath + L"\\Window").c_str(), L"Left",
                                            RRF_RT_REG_DWORD, nullptr, &stored, &size));
    EXPECT_EQ(43u, stored);
}

TEST_F(ProfileTest, TextsComeBackAsWritten) {
    const std::wstring longText(5000, L'x');
    const struct {
        const wchar_t* entry;
        std::wstring text;
    } cases[] = {
        {L"Empty", L""},
        {L"Plain", L"Brevix-CF"},
        {L"NonAscii", L"Gr\u00FC\u00DFe \u00E9t\u00E9 \u65E5\u672C"},
        {L"Long", longText},
    };
    for (const auto& c : cases) EXPECT_TRUE(app.WriteProfileString(L"Texts", c.entry, c.text.c_str()));
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, std::wstring(app.GetProfileString(L"Texts", c.entry, L"default").GetString()))
            << c.entry;
    }
    // A shorter text replaces a longer one whole.
    EXPECT_TRUE(app.WriteProfileString(L"Texts", L"Long", L"short"));
    EXPECT_EQ(L"short", std::wstring(app.GetProfileString(L"Texts", L"Long").GetString()));
}

TEST_F(ProfileTest, MissingValuesGiveTheDefault) {
    EXPECT_TRUE(app.WriteProfileString(L"Texts", L"Name", L"text"));
    EXPECT_TRUE(app.WriteProfileInt(L"Numbers", L"Count", 5));
    EXPECT_EQ(17u, app.GetProfileInt(L"Numbers", L"Missing", 17));
    EXPECT_EQ(17u, app.GetProfileInt(L"NoSuchSection", L"Count", 17));
    EXPECT_EQ(L"fallback", std::wstring(app.GetProfileString(L"Texts", L"Missing", L"fallback").GetString()));
    EXPECT_TRUE(app.GetProfileString(L"NoSuchSection", L"Name").IsEmpty());
    // A value of the other kind is no value of this kind.
    EXPECT_EQ(17u, app.GetProfileInt(L"Texts", L"Name", 17));
    EXPECT_EQ(L"fallback", std::wstring(app.GetProfileString(L"Numbers", L"Count", L"fallback").GetString()));
}

TEST_F(ProfileTest, NullValueRemovesTheEntryAndNullEntryTheSection) {
    EXPECT_TRUE(app.WriteProfileString(L"Recent", L"File1", L"a.cfg"));
    EXPECT_TRUE(app.WriteProfileString(L"Recent", L"File2", L"b.cfg"));
    EXPECT_TRUE(app.WriteProfileString(L"Recent", L"File1", nullptr));
    EXPECT_EQ(L"gone", std::wstring(app.GetProfileString(L"Recent", L"File1", L"gone").GetString()));
    EXPECT_EQ(L"b.cfg", std::wstring(app.GetProfileString(L"Recent", L"File2").GetString()));
    EXPECT_TRUE(app.WriteProfileString(L"Recent", L"File1", nullptr));  // already gone: nothing to do

    EXPECT_TRUE(app.WriteProfileString(L"Recent", nullptr, nullptr));
    EXPECT_FALSE(SectionExists(L"Recent"));
    EXPECT_EQ(L"gone", std::wstring(app.GetProfileString(L"Recent", L"File2", L"gone").GetString()));
}

TEST_F(ProfileTest, TextStoredWithoutTerminatorOrWithAnOddSizeIsReadWithinItsBytes) {
    const wchar_t bare[] = {L'a', L'b', L'c'};
    StoreRaw(L"Raw", L"Bare", REG_SZ, bare, sizeof bare);
    EXPECT_EQ(L"abc", std::wstring(app.GetProfileString(L"Raw", L"Bare").GetString()));

    const wchar_t odd[] = L"abcd";
    StoreRaw(L"Raw", L"Odd", REG_SZ, odd, 5);  // two characters and half of the third
    const std::wstring read = app.GetProfileString(L"Raw", L"Odd").GetString();
    EXPECT_EQ(L"ab", read.substr(0, 2));
    EXPECT_LE(read.size(), 3u);
}

TEST(ProfileWithoutKey, ReadsGiveTheDefaultAndWritesFail) {
    CWinApp app(L"ProfileWithoutKey");
    EXPECT_FALSE(app.WriteProfileInt(L"Section", L"Entry", 1));
    EXPECT_FALSE(app.WriteProfileString(L"Section", L"Entry", L"text"));
    EXPECT_EQ(3u, app.GetProfileInt(L"Section", L"Entry", 3));
    EXPECT_EQ(L"default", std::wstring(app.GetProfileString(L"Section", L"Entry", L"default").GetString()));
}

}  // namespace
