// Language: the menu commands switch both ways, every text the switch rewrites comes from the
// language library, the menu is the library's, and the index reaches the registry at close.
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"

using namespace appbench;
using support::gui::ControlText;

namespace {

// A language library read as data, independently of the program's resource source.
class LanguageLibrary {
public:
    explicit LanguageLibrary(const wchar_t* name)
        : module_(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~LanguageLibrary() {
        if (module_) ::FreeLibrary(module_);
    }
    bool Loaded() const { return module_ != nullptr; }
    std::wstring Text(UINT id) const {
        const wchar_t* text = nullptr;
        const int length = ::LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
    }
    std::vector<std::wstring> MenuTitles() const {
        std::vector<std::wstring> titles;
        HMENU menu = ::LoadMenuW(module_, MAKEINTRESOURCEW(IDR_MAIN_MENU));
        for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
            wchar_t title[64] = {};
            ::GetMenuStringW(menu, static_cast<UINT>(i), title, 64, MF_BYPOSITION);
            titles.push_back(title);
        }
        if (menu) ::DestroyMenu(menu);
        return titles;
    }

private:
    HMODULE module_;
};

std::vector<std::wstring> MenuTitlesOf(CVorel_TAP_Test3Dlg& dialog) {
    std::vector<std::wstring> titles;
    CMenu* menu = dialog.GetMenu();
    for (int i = 0; menu && i < menu->GetMenuItemCount(); ++i) {
        CString title;
        menu->GetMenuString(static_cast<UINT>(i), title, MF_BYPOSITION);
        titles.push_back(title.GetString());
    }
    return titles;
}

// Every text the switch rewrites, as the dialog shows it, against the library's string table.
void ExpectTextsOf(const LanguageLibrary& library, CVorel_TAP_Test3Dlg& dialog) {
    HWND self = dialog.GetSafeHwnd();
    EXPECT_EQ(library.Text(IDS_RECONNECT), std::wstring(dialog.toolbar.GetButtonText(0).GetString()));
    EXPECT_EQ(library.Text(IDS_CLEAR_COUNTER), std::wstring(dialog.toolbar.GetButtonText(2).GetString()));
    EXPECT_EQ(library.Text(IDS_SAVE_COUNTER), std::wstring(dialog.toolbar.GetButtonText(8).GetString()));
    EXPECT_EQ(library.Text(IDS_CONNECTED), ControlText(self, IDC_CONNECTION_TEXT));
    EXPECT_EQ(library.Text(IDS_FPGA_UPGRADE), ControlText(self, IDC_PANEL_TITLE));
    const std::pair<int, UINT> treeTexts[] = {
        {CVorel_TAP_Test3Dlg::kItemSystemInformation, IDS_SYSTEM_INFORMATION},
        {CVorel_TAP_Test3Dlg::kItemSystemUpgrade, IDS_SYSTEM_UPGRADE},
        {CVorel_TAP_Test3Dlg::kItemPortConfiguration, IDS_PORT_CONFIGURATION},
        {CVorel_TAP_Test3Dlg::kItemFpgaUpgrade, IDS_FPGA_UPGRADE},
        {CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade, IDS_FIRMWARE_UPGRADE},
    };
    for (const auto& [item, id] : treeTexts) EXPECT_EQ(library.Text(id), DialogBench::TreeTextOf(dialog, item));
    const std::wstring version = library.Text(IDS_VERSION);
    EXPECT_EQ(L"FPGA " + version + L" : v1.0b001", DialogBench::TreeTextOf(dialog, CVorel_TAP_Test3Dlg::kItemFpga));
    EXPECT_EQ(library.Text(IDS_APPLY), ControlText(self, IDC_APPLY));
    EXPECT_EQ(library.Text(IDS_SYSTEM_INFORMATION),
              ControlText(dialog.upgradePanel.GetSafeHwnd(), IDC_UPGRADE_SYSTEM_GROUP));
    CString requirementsTitle;
    dialog.requirements.GetWindowText(requirementsTitle);
    EXPECT_EQ(library.Text(IDS_REQUIREMENTS_TITLE), std::wstring(requirementsTitle.GetString()));
    EXPECT_EQ(library.MenuTitles(), MenuTitlesOf(dialog));
}

int AnswerDemoYes(const ShownBox& box) {
    return box.caption == L"Message" && box.text.find(L"Demo mode") != std::wstring::npos
               ? IDYES
               : BoxAnswers::DefaultAnswer(box);
}

class LanguageTest : public DialogBench {};

TEST_F(LanguageTest, SwitchingBothWaysRetextsFromTheLibrariesAndStoresTheIndexAtClose) {
    const LanguageLibrary japanese(L"LangJP.dll");
    const LanguageLibrary english(L"LangENG.dll");
    ASSERT_TRUE(japanese.Loaded());
    ASSERT_TRUE(english.Loaded());

    BoxAnswers boxes(&AnswerDemoYes);
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        ExpectTextsOf(english, dialog);
        ChooseMenuCommand(dialog, ID_LANGUAGE_JAPANESE);
        EXPECT_EQ(3, dialog.languageIndex);
        ExpectTextsOf(japanese, dialog);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  dialog.GetMenu()->GetMenuState(ID_LANGUAGE_JAPANESE, MF_BYCOMMAND) & MF_CHECKED);
        SavePicture(dialog.GetSafeHwnd(), L"vorels-main-japanese");
        dialog.SendMessage(WM_CLOSE, 0, 0);
    });
    // The closing question in Japanese wording's caption; the index written before it was asked.
    const std::vector<ShownBox> shown = boxes.Boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(L"メッセージ", shown.back().caption);
    EXPECT_EQ(japanese.Text(IDS_QUIT_QUESTION), shown.back().text);
    EXPECT_EQ("3", ReadLanguageValue());

    // The next start is in Japanese; English switches back.
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(3, dialog.languageIndex);
        ExpectTextsOf(japanese, dialog);
        ChooseMenuCommand(dialog, ID_LANGUAGE_ENGLISH);
        EXPECT_EQ(0, dialog.languageIndex);
        ExpectTextsOf(english, dialog);
        dialog.SendMessage(WM_CLOSE, 0, 0);
    });
    EXPECT_EQ("0", ReadLanguageValue());
    EXPECT_EQ(L"Message", boxes.Boxes().back().caption);
}

TEST_F(LanguageTest, ClosingAnsweredNoKeepsRunningButHasStoredTheIndex) {
    WriteLanguageValue("x3", 2);  // not a digit first: English
    int quitQuestions = 0;
    BoxAnswers boxes([&quitQuestions](const ShownBox& box) {
        if (box.text.find(L"All unsaved data") == 0) return ++quitQuestions == 1 ? IDNO : IDYES;
        return AnswerDemoYes(box);
    });
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(0, dialog.languageIndex);
        dialog.SendMessage(WM_CLOSE, 0, 0);
        EXPECT_TRUE(dialog.IsWindowVisible()) << "No keeps the program running";
        EXPECT_EQ("0", ReadLanguageValue());
        dialog.SendMessage(WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(2, quitQuestions);
}

}  // namespace
