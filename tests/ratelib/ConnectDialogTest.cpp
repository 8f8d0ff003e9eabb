// The "Device & Connection" dialog through its export, driven from the modal loop it runs. It
// discovers when it opens, so it runs only inside the test namespace, with the responder playing
// the peers it finds.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "DiscoveryNetwork.h"
#include "Sorvane.h"
#include "sim/DiscoveryResponder.h"
#include "support/Waiting.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "ui/LangMag.h"

namespace {

using sim::DiscoveryResponder;
namespace gui = support::gui;

constexpr std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) { return a << 24 | b << 16 | c << 8 | d; }

constexpr int kServerFrame = 28006, kServerCheck = 28003, kLocal = 1095, kRemote = 1096, kServerList = 1094;
constexpr int kDeviceFrame = 28007, kDeviceCheck = 28004, kDeviceLabel = 28010, kDeviceList = 1099;
constexpr int kDevice9000Frame = 28008, kDevice9000Check = 28005, kDevice9000Label = 28011, kDevice9000List = 1100;
constexpr int kDemo = 28001;

const char* const kLanguageFile =
    "[Language0]\n"
    "IDS_ConnServr_DevConn=Device & Connection\n"
    "IDS_ConnServr_Kestrova=Kestrova Server\n"
    "IDS_ConnServr_Local=Localhost\n"
    "IDS_ConnServr_Remote=Remote\n"
    "IDS_ConnServr_DeviceIP=Device IP:\n"
    "IDS_ConnServr_Demo=Demo\n"
    "IDS_ConnServr_Connect=Connect\n"
    "IDS_ConnServr_Cancel=Cancel\n"
    "[Language1]\n"
    "IDS_ConnServr_DevConn=Appareil et connexion\n"
    "IDS_ConnServr_Kestrova=Serveur Kestrova\n"
    "IDS_ConnServr_Local=Cet ordinateur\n"
    "IDS_ConnServr_Remote=Distant\n"
    "IDS_ConnServr_DeviceIP=IP de l'appareil :\n"
    "IDS_ConnServr_Demo=Essai\n"
    "IDS_ConnServr_Connect=Connecter\n"
    "IDS_ConnServr_Cancel=Annuler\n";

RECT ClientRect(HWND dialog, int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Visible(HWND dialog, int id) { return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

std::vector<std::wstring> Items(HWND dialog, int id) {
    std::vector<std::wstring> items;
    HWND box = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

void Type(HWND dialog, int comboId, const std::wstring& text) {
    HWND edit = FindWindowExW(GetDlgItem(dialog, comboId), nullptr, L"Edit", nullptr);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    gui::PressKey(edit, VK_DELETE);
    gui::TypeText(edit, text);
}

constexpr UINT_PTR kDriverLeftItOpen = 0x0D1A;

void CALLBACK CancelLeftOpen(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    ADD_FAILURE() << "the driver left the dialog open";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

struct Shown {
    std::int32_t result = 99;
    std::uint8_t record[254];
    bool RecordUntouched() const {
        for (std::uint8_t b : record) {
            if (b != 0xAA) return false;
        }
        return true;
    }
};

class ConnectDialog : public sorvane_test::DiscoveryPairTest {
protected:
    void SetUp() override {
        DiscoveryPairTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const std::wstring path = LanguageFile();
        std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << kLanguageFile;
    }
    void TearDown() override { DeleteFileW(LanguageFile().c_str()); }

    static std::wstring LanguageFile() { return HostLanguageFile().GetString(); }

    // Shows the dialog; `driver` acts on it from inside its modal loop and must end it.
    Shown Show(std::int32_t kindMask, std::int32_t language, std::int32_t showDemo, const wchar_t* caption,
               std::function<void(HWND)> driver) {
        Shown shown;
        std::memset(shown.record, 0xAA, sizeof shown.record);
        bool driven = false;
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(support::kPatience.count());
        // The dialog shows itself when its loop first goes idle: until then the step hands the
        // loop back and comes again.
        std::function<void()> step = [&] {
            HWND dialog = gui::FindThreadWindow(L"#32770", caption);
            if (dialog && !IsWindowVisible(dialog) && GetTickCount64() < deadline) {
                gui::RunFromLoop(step);
                return;
            }
            if (!dialog) {
                ADD_FAILURE() << "no dialog captioned as expected";
                // End whatever dialog is up, so that the test goes on.
                if (HWND any = gui::FindThreadWindow(L"#32770", nullptr)) PostMessageW(any, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            driven = true;
            EXPECT_TRUE(IsWindowVisible(dialog));
            driver(dialog);
            // A driver whose last click did not end the dialog (a button left disabled by what
            // came before) would leave the test waiting for ever: the dialog's own timer, which
            // goes with its window, cancels it after the patience and fails the case.
            if (IsWindow(dialog)) SetTimer(dialog, kDriverLeftItOpen, DWORD(support::kPatience.count()), &CancelLeftOpen);
        };
        gui::RunFromLoop(step);
        shown.result = Ostrel_ShowConnectDlg(shown.record, kindMask, language, showDemo);
        EXPECT_TRUE(driven);
        return shown;
    }

};

TEST_F(ConnectDialog, StacksEveryOfferedGroupTenPixelsBelowTheLastAndShowsDemoOnRequest) {
    for (std::int32_t mask : {0, 7, 8}) {
        const Shown shown = Show(mask, 0, 1, L"Device & Connection", [&](HWND dialog) {
            for (int id : {kServerFrame, kServerCheck, kLocal, kRemote, kServerList, kDeviceFrame, kDeviceCheck,
                           kDeviceLabel, kDeviceList, kDevice9000Frame, kDevice9000Check, kDevice9000Label,
                           kDevice9000List, kDemo, IDOK, IDCANCEL}) {
                EXPECT_TRUE(Visible(dialog, id)) << "mask " << mask << " control " << id;
            }
            EXPECT_EQ(ClientRect(dialog, kServerCheck).top, 10);
            EXPECT_EQ(ClientRect(dialog, kDeviceCheck).top, ClientRect(dialog, kServerFrame).bottom + 10);
            EXPECT_EQ(ClientRect(dialog, kDevice9000Check).top, ClientRect(dialog, kDeviceFrame).bottom + 10);
            EXPECT_EQ(ClientRect(dialog, kDemo).top, ClientRect(dialog, kDevice9000Frame).bottom + 10);
            EXPECT_EQ(ClientRect(dialog, IDOK).top, ClientRect(dialog, kDemo).top);
            RECT window;
            GetWindowRect(dialog, &window);
            EXPECT_EQ(window.bottom - window.top, ClientRect(dialog, kDemo).bottom + 45);
            EXPECT_NE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
            gui::ClickButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(shown.result, -1);
        EXPECT_TRUE(shown.RecordUntouched());
    }
}

TEST_F(ConnectDialog, ALoneKindShowsOnlyItsGroupWithItsNameOnTheFrameAndItsBoxChecked) {
    Show(2, 0, 0, L"Device & Connection", [](HWND dialog) {
        for (int id : {kServerFrame, kServerCheck, kLocal, kRemote, kServerList, kDevice9000Frame, kDevice9000Check,
                       kDevice9000Label, kDevice9000List, kDemo, kDeviceCheck}) {
            EXPECT_FALSE(Visible(dialog, id)) << id;
        }
        for (int id : {kDeviceFrame, kDeviceLabel, kDeviceList, IDOK, IDCANCEL}) EXPECT_TRUE(Visible(dialog, id)) << id;
        EXPECT_TRUE(gui::IsChecked(dialog, kDeviceCheck));
        EXPECT_EQ(gui::ControlText(dialog, kDeviceFrame), gui::ControlText(dialog, kDeviceCheck));
        EXPECT_FALSE(gui::ControlText(dialog, kDeviceFrame).empty());
        EXPECT_EQ(ClientRect(dialog, kDeviceCheck).top, 10);
        EXPECT_EQ(ClientRect(dialog, kDemo).top, ClientRect(dialog, kDeviceFrame).bottom + 10);
        gui::ClickButton(dialog, IDCANCEL);
    });
}

struct CaptionCase {
    std::int32_t language;
    const wchar_t* caption;
    const wchar_t* connect;
    const wchar_t* label;
};

TEST_F(ConnectDialog, TakesItsTextsFromTheLanguageFileAndUsesLanguage0ForThreeAndAbove) {
    for (const CaptionCase& c : {CaptionCase{1, L"Appareil et connexion", L"Connecter", L"IP de l'appareil :"},
                                 CaptionCase{5, L"Device & Connection", L"Connect", L"Device IP:"}}) {
        Show(0, c.language, 1, c.caption, [&](HWND dialog) {
            EXPECT_EQ(gui::ControlText(dialog, IDOK), c.connect);
            EXPECT_EQ(gui::ControlText(dialog, kDeviceLabel), c.label);
            EXPECT_EQ(gui::ControlText(dialog, kDevice9000Label), c.label);
            gui::ClickButton(dialog, IDCANCEL);
        });
    }
}

TEST_F(ConnectDialog, AMissingLanguageFileLeavesTheCaptionsEmpty) {
    DeleteFileW(LanguageFile().c_str());
    Show(0, 0, 1, L"", [](HWND dialog) {
        EXPECT_EQ(gui::ControlText(dialog, IDOK), L"");
        EXPECT_EQ(gui::ControlText(dialog, kServerCheck), L"");
        gui::ClickButton(dialog, IDCANCEL);
    });
}

TEST_F(ConnectDialog, ListsWhatDiscoveryFoundUnderItsKindWithTheFirstSelected) {
    responder_->SetPeers({{Ip(10, 77, 20, 1), 1}, {Ip(10, 77, 21, 5), 2}, {Ip(10, 77, 21, 3), 2}, {Ip(10, 77, 22, 9), 4}});
    const Shown shown = Show(0, 0, 1, L"Device & Connection", [](HWND dialog) {
        EXPECT_EQ(Items(dialog, kServerList), (std::vector<std::wstring>{L"10.77.20.1"}));
        EXPECT_EQ(Items(dialog, kDeviceList), (std::vector<std::wstring>{L"10.77.21.3", L"10.77.21.5"}));
        EXPECT_EQ(Items(dialog, kDevice9000List), (std::vector<std::wstring>{L"10.77.22.9"}));
        for (int id : {kServerList, kDeviceList, kDevice9000List}) {
            EXPECT_EQ(SendMessageW(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0), 0) << id;
        }
        gui::ClickButton(dialog, kRemote);
        gui::ClickButton(dialog, kDeviceCheck);
        EXPECT_TRUE(gui::IsEnabled(dialog, kServerList));
        EXPECT_TRUE(gui::IsEnabled(dialog, kDeviceList));
        EXPECT_FALSE(gui::IsEnabled(dialog, kDevice9000List));
        EXPECT_TRUE(gui::IsEnabled(dialog, IDOK));
        EXPECT_TRUE(gui::SavePng(gui::CaptureWindow(dialog, false), gui::PicturePath(L"sorvane-connect-dialog")));
        gui::ClickButton(dialog, IDOK);
    });
    ASSERT_EQ(shown.result, 1);
    const std::uint8_t expected[] = {2, 0, 0, 0, 10, 77, 20, 1, 1, 10, 77, 21, 3, 2};
    EXPECT_EQ(0, std::memcmp(shown.record, expected, sizeof expected));
    EXPECT_TRUE(std::all_of(shown.record + sizeof expected, shown.record + 254, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(ConnectDialog, LocalhostWithAnEmptyListConnectsTo127001) {
    const Shown shown = Show(0, 0, 0, L"Device & Connection", [](HWND dialog) {
        EXPECT_TRUE(Items(dialog, kServerList).empty());
        EXPECT_TRUE(gui::IsChecked(dialog, kLocal));
        EXPECT_FALSE(gui::IsEnabled(dialog, kServerList));
        gui::ClickButton(dialog, IDOK);
    });
    ASSERT_EQ(shown.result, 1);
    const std::uint8_t expected[] = {1, 0, 0, 0, 127, 0, 0, 1, 1};
    EXPECT_EQ(0, std::memcmp(shown.record, expected, sizeof expected));
}

TEST_F(ConnectDialog, ConnectIsEnabledOnlyForAValidRemoteAddress) {
    struct Case {
        const wchar_t* typed;
        bool valid;
    };
    const Case cases[] = {{L"192.168.1.300", false}, {L"192.168.1.30", true},   {L"1.2.3", false},
                          {L"1..2.3", false},        {L"1.2.3.4.5", false},     {L"10.0.0.4294967297", false},
                          {L"10.0.0.99999999999999999999", false}, {L"1.2.3.4x", true}, {L"a.b.c.d", true}};
    const Shown shown = Show(1, 0, 0, L"Device & Connection", [&](HWND dialog) {
        gui::ClickButton(dialog, kRemote);
        EXPECT_FALSE(gui::IsEnabled(dialog, IDOK)) << "an empty remote address";
        for (const Case& c : cases) {
            Type(dialog, kServerList, c.typed);
            EXPECT_EQ(gui::IsEnabled(dialog, IDOK), c.valid) << std::string(c.typed, c.typed + wcslen(c.typed));
        }
        Type(dialog, kServerList, L"10.0.0.7");
        gui::ClickButton(dialog, IDOK);
    });
    ASSERT_EQ(shown.result, 1);
    const std::uint8_t expected[] = {1, 0, 0, 0, 10, 0, 0, 7, 1};
    EXPECT_EQ(0, std::memcmp(shown.record, expected, sizeof expected));
}

TEST_F(ConnectDialog, NoCheckedKindKeepsConnectDisabled) {
    Show(3, 0, 0, L"Device & Connection", [](HWND dialog) {
        EXPECT_TRUE(gui::IsEnabled(dialog, IDOK));
        gui::ClickButton(dialog, kServerCheck);
        EXPECT_FALSE(gui::IsEnabled(dialog, IDOK));
        EXPECT_FALSE(gui::IsEnabled(dialog, kLocal));
        gui::ClickButton(dialog, IDCANCEL);
    });
}

TEST_F(ConnectDialog, DemoReturns0AndLeavesTheRecord) {
    const Shown shown = Show(0, 0, 1, L"Device & Connection", [](HWND dialog) { gui::ClickButton(dialog, kDemo); });
    EXPECT_EQ(shown.result, 0);
    EXPECT_TRUE(shown.RecordUntouched());
}

TEST_F(ConnectDialog, ANullRecordIsRefusedWithoutADialog) {
    EXPECT_EQ(Ostrel_ShowConnectDlg(nullptr, 0, 0, 1), -1);
    EXPECT_EQ(gui::FindThreadWindow(L"#32770", nullptr), nullptr);
}

}  // namespace
