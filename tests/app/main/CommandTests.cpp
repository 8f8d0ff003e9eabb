// Help, About hands the tester's identity to the About box in the program's language; Help,
// System Requirements shows the requirements window.
#include "BrevixCAPI.h"
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <algorithm>

using namespace appbench;

namespace {

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
    return std::any_of(texts.begin(), texts.end(),
                       [&part](const std::wstring& text) { return text.find(part) != std::wstring::npos; });
}

class HelpCommandTest : public DialogBench {};

TEST_F(HelpCommandTest, AboutShowsTheTesterIdentityAndRequirementsTheModels) {
    StartTester(2);
    sim::TesterIdentity identity = sim::FullTester::FactoryIdentity(2);
    identity.serialNumber = "QTA-2019-000233";
    identity.productDate = "201905171432";
    SetIdentity(identity);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&dialog] { return !dialog.aboutVersions[0].IsEmpty(); },
                                            static_cast<DWORD>(support::kPatience.count())));
        ChooseMenuCommand(dialog, ID_HELP_REQUIREMENTS);
        EXPECT_TRUE(dialog.requirements.IsWindowVisible());
        EXPECT_EQ(dialog.GetSafeHwnd(), ::GetWindow(dialog.requirements.GetSafeHwnd(), GW_OWNER));
        CRect shown;
        dialog.requirements.GetWindowRect(&shown);
        EXPECT_EQ(dialog.requirements.GetSafeHwnd(), ::GetAncestor(::WindowFromPoint(shown.CenterPoint()), GA_ROOT))
            << "above the dialog";
        CString firstModel;
        dialog.requirements.requirementsGrid.CopyCellText(0, 0, &firstModel);
        EXPECT_EQ(CString(L"Brevix-C"), firstModel);
        SavePicture(dialog.requirements.GetSafeHwnd(), L"vorels-system-requirements");
        dialog.requirements.ShowWindow(SW_HIDE);
        {
            BoxSnapper about(L"About QT714-NIC", nullptr, L"vorels-about", IDOK);
            ChooseMenuCommand(dialog, ID_HELP_ABOUT);
            const std::vector<std::wstring> texts = about.Texts();
            EXPECT_TRUE(Contains(texts, L"QTA-2019-000233"));
            EXPECT_TRUE(Contains(texts, L"2019/05/17 14:32"));
            EXPECT_TRUE(Contains(texts, L"Quendal Agent"));
            EXPECT_TRUE(
                Contains(texts, std::wstring(dialog.aboutVersions[CVorel_TAP_Test3Dlg::kAboutFpga].GetString())));
            EXPECT_TRUE(Contains(texts, L"v1.1b012"));
        }
        {
            // In Japanese the box speaks Japanese.
            ChooseMenuCommand(dialog, ID_LANGUAGE_JAPANESE);
            BoxSnapper about(L"QT714-NIC のバージョン情報", nullptr, L"vorels-about-japanese", IDOK);
            ChooseMenuCommand(dialog, ID_HELP_ABOUT);
            EXPECT_EQ(L"QT714-NIC のバージョン情報", about.Caption());
            ChooseMenuCommand(dialog, ID_LANGUAGE_ENGLISH);
        }

        Exit(dialog);
    });
}

// NIC mode as the tester's registers hold it: bit 7 of each port's stream control.
constexpr uint32_t kStreamControlA = 0x410000CC;
constexpr uint32_t kStreamControlB = 0x430000CC;
constexpr uint32_t kNicMode = 0x80;

class NicModeTest : public DialogBench {
protected:
    bool InNicMode(uint32_t streamControl) {
        return (tester_->Device().Registers().Get(streamControl) & kNicMode) != 0;
    }
};

TEST_F(NicModeTest, StartPutsPortAIntoNicModeAndClosingTakesBothOut) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([this](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_TRUE(InNicMode(kStreamControlA)) << "before the first show";
        EXPECT_FALSE(InNicMode(kStreamControlB));
        // Statistics, Port B Counter: the operator's way to Port B's page.
        ChooseMenuCommand(dialog, ID_PORT_B_COUNTER);
        EXPECT_TRUE(support::Eventually([this] { return InNicMode(kStreamControlB); }))
            << std::hex << tester_->Device().Registers().Get(kStreamControlA) << " "
            << tester_->Device().Registers().Get(kStreamControlB);
        EXPECT_EQ(L"Counter Window-Port B", support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE));
        // The menu marks the port shown.
        EXPECT_EQ(UINT(MF_CHECKED), dialog.GetMenu()->GetMenuState(ID_PORT_B_COUNTER, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_EQ(0u, dialog.GetMenu()->GetMenuState(ID_PORT_A_COUNTER, MF_BYCOMMAND) & MF_CHECKED);
        // Alt+F4 closes the window, its question answered Yes.
        support::gui::PressKey(dialog.GetSafeHwnd(), VK_F4, support::gui::Modifiers{false, false, true});
        support::gui::PumpFor(150);
    });
    EXPECT_FALSE(InNicMode(kStreamControlA));
    EXPECT_FALSE(InNicMode(kStreamControlB));
    EXPECT_EQ(1u, boxes.CountWithText(L"All unsaved data will be lost!\nClick YES to quit Vorels-NIC and lose all "
                                      L"your unsaved data, or click NO to cancel."));
}

TEST_F(NicModeTest, FileExitLeavesNicModeAsItWas) {
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) { Exit(dialog); });
    EXPECT_TRUE(InNicMode(kStreamControlA));
}

}  // namespace
