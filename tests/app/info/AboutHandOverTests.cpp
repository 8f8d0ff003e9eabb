// Help, About: the identity record handed to the About-box library and the box it opens, read by a
// test thread while the box runs on the test's own thread.
#include "PanelHost.h"

#include "info/AboutHandOver.h"

#include <BrevixCAPI.h>

#include <support/Waiting.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

namespace {

// What the test thread saw of the box.
struct Seen {
    bool found = false;
    std::wstring caption;
    std::vector<std::wstring> texts;  // the controls' texts, in their order

    // The text shown right after the label.
    std::wstring After(const std::wstring& label) const {
        const auto at = std::find(texts.begin(), texts.end(), label);
        if (at == texts.end() || at + 1 == texts.end()) return L"(no label " + label + L")";
        return *(at + 1);
    }
    bool Shows(const std::wstring& text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
};

HWND FindBoxOf(DWORD thread) {
    HWND box = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM found) {
            if (support::gui::ClassName(hwnd) != L"#32770" || !::IsWindowVisible(hwnd) ||
                support::gui::WindowText(hwnd) == L"Vorels-NIC")
                return TRUE;
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box;
}

class AboutHandOverTest : public PanelHost {
protected:
    void SetUp() override {
        // The tester's identity as the device API holds it: the serial number and the PCB version fill
        // their fields with no null after them.
        std::memset(BVX_Module, 0, sizeof BVX_Module);
        std::strcpy(BVX_Module, "Brevix-C");
        std::memcpy(BVX_SN, "BX18050400000000004Z7", sizeof BVX_SN);
        const uint8_t mac[6] = {0x02, 0x5E, 0xC1, 0x0D, 0xFF, 0x01};
        std::memcpy(BVX_MAC, mac, sizeof BVX_MAC);
        std::memcpy(BVX_PCB, "MP05A", sizeof BVX_PCB);
        std::memcpy(BVX_ProductDate, "201805041345", sizeof BVX_ProductDate);
        versions.fpga = L"v1.3b004  2018/03/01";
        versions.firmware = L"v0.9b010";
        versions.api = L"v1.1b012  2018/05/02";
        host->SetForegroundWindow();
        host->SetActiveWindow();
    }

    // Runs `open`, which shows the box on this thread; a test thread reads the box, keeps its picture
    // (when named) and closes it.
    static Seen ReadBoxWhile(const std::function<void()>& open, const wchar_t* pictureName = nullptr) {
        Seen seen;
        const DWORD self = ::GetCurrentThreadId();
        std::thread reader([&] {
            HWND box = nullptr;
            seen.found = support::Eventually([&] { return (box = FindBoxOf(self)) != nullptr; });
            if (!seen.found) return;
            seen.caption = support::gui::WindowText(box);
            for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
                seen.texts.push_back(support::gui::WindowText(child));
            if (pictureName)
                support::gui::SavePng(support::gui::CaptureWindow(box, false), support::gui::PicturePath(pictureName));
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        open();
        reader.join();
        return seen;
    }
    Seen OpenAndRead(int languageIndex, const wchar_t* pictureName) {
        return ReadBoxWhile([&] { opened = info::OpenAboutBox(languageIndex, versions); }, pictureName);
    }

    info::AboutVersions versions;
    bool opened = false;
};

TEST_F(AboutHandOverTest, RecordCopiesEachIdentityFieldWithinItsSize) {
    const AboutSysInfoRecord record = info::BuildAboutRecord(versions);
    EXPECT_EQ(0, std::memcmp(record.model, "Brevix-C\0\0\0\0\0\0\0\0\0\0\0\0\0", 21));
    EXPECT_EQ(0, std::memcmp(record.serialNumber, "BX18050400000000004Z7", 21));
    EXPECT_EQ(0, std::memcmp(record.mac, "\x02\x5E\xC1\x0D\xFF\x01", 6));
    EXPECT_EQ(0, std::memcmp(record.pcbVersion, "MP05A", 5));
    EXPECT_EQ(0, std::memcmp(record.productDate, "201805041345", 13));
    EXPECT_STREQ(L"Quendal Agent", record.agent.GetString());
    EXPECT_STREQ(L"v1.3b004  2018/03/01", record.fpgaVersion.GetString());
    EXPECT_STREQ(L"v0.9b010", record.firmwareVersion.GetString());
    EXPECT_STREQ(L"v1.1b012  2018/05/02", record.apiVersion.GetString());
}

TEST_F(AboutHandOverTest, EnglishIndexOpensTheEnglishBoxWithTheTestersIdentity) {
    const Seen seen = OpenAndRead(0, L"info-about-box");
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(opened);
    EXPECT_EQ(L"About QT714-NIC", seen.caption);
    EXPECT_TRUE(seen.Shows(L"Version v1.1b012"));
    EXPECT_TRUE(std::any_of(seen.texts.begin(), seen.texts.end(),
                            [](const std::wstring& t) { return t.find(L"Copyright (C) 2018 ") == 0; }));
    EXPECT_EQ(L"Brevix-C", seen.After(L"Model"));
    EXPECT_EQ(L"Quendal Agent", seen.After(L"Agent / Customer"));
    EXPECT_EQ(L"BX18050400000000004Z7", seen.After(L"S/N")) << "21 characters, no more";
    EXPECT_EQ(L"02-5E-C1-0D-FF-01", seen.After(L"MAC"));
    EXPECT_EQ(L"vMP05A", seen.After(L"PCB Version"));
    EXPECT_EQ(L"v1.1b012  2018/05/02", seen.After(L"API Version"));
    EXPECT_EQ(L"v1.3b004  2018/03/01", seen.After(L"FPGA Version"));
    EXPECT_EQ(L"v0.9b010", seen.After(L"FW Version"));
    EXPECT_EQ(L"2018/05/04 13:45", seen.After(L"Manufacture Date"));
}

TEST_F(AboutHandOverTest, JapaneseIndexOpensTheJapaneseBox) {
    const Seen seen = OpenAndRead(3, L"info-about-box-japanese");
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(L"QT714-NIC のバージョン情報", seen.caption);
    EXPECT_TRUE(seen.Shows(L"バージョン v1.1b012"));
    EXPECT_EQ(L"BX18050400000000004Z7", seen.After(L"シリアル番号"));
    EXPECT_FALSE(seen.Shows(L"Manufacture Date"));
}

TEST_F(AboutHandOverTest, AnyOtherIndexHandsTheIdentityOverButOpensNoBox) {
    versions.firmware = L"v0.9b099";
    EXPECT_FALSE(info::OpenAboutBox(1, versions));
    EXPECT_EQ(nullptr, FindBoxOf(::GetCurrentThreadId()));

    // The next box shows the record that call handed over.
    versions.firmware = L"not handed over";
    const Seen seen = ReadBoxWhile([] {
        CreateAboutDialog(info::kAboutProduct, AboutText(info::kProgramVersion), info::kAboutYear, 0, kAboutEnglish);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(L"v0.9b099", seen.After(L"FW Version"));
}

}  // namespace
