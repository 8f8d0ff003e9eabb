// Language: the menu commands switch both ways, every text the switch rewrites comes from the
// language library, the menu is the library's, and the index reaches the registry at close.
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

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

// A key of the real keyboard, pressed and released.
void RealKeyTap(WORD vk) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = vk;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
}

TEST_F(LanguageTest, FileExitKeepsTheLanguageChosen) {
    StartTester(1);
    BoxAnswers boxes;
    const DWORD patience = static_cast<DWORD>(support::kPatience.count());
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        // Language, Japanese: the menu bar's Language opened by the real mouse, Japanese chosen
        // with the arrow keys and Return.
        dialog.SetForegroundWindow();
        CMenu* bar = dialog.GetMenu();
        const int language = CVorel_TAP_Test3Dlg::FindMenuItemByText(bar, L"Language");
        RECT item = {};
        ASSERT_TRUE(::GetMenuItemRect(dialog.GetSafeHwnd(), bar->GetSafeHmenu(), UINT(language), &item));
        ::SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, click, sizeof(INPUT));
        for (WORD vk : {WORD(VK_DOWN), WORD(VK_DOWN), WORD(VK_RETURN)}) RealKeyTap(vk);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return dialog.languageIndex == 3; }, patience));
        EXPECT_EQ("0", ReadLanguageValue()) << "kept when the program ends, not before";

        // File > Exit by the keyboard (F10 to File, Down to Exit, Return), the question answered Yes.
        for (WORD vk : {WORD(VK_F10), WORD(VK_DOWN), WORD(VK_RETURN)}) RealKeyTap(vk);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.ContinueModal(); }, patience));
    });
    EXPECT_EQ(1u, boxes.Boxes().size()) << "the quit question";
    EXPECT_EQ("3", ReadLanguageValue());
}

}  // namespace
