// Dialogs from the resource script: data exchange both ways, the modal loop with pre-translation,
// and the demonstration dialog behaving as its message map says.
#include <framework/Framework.h>
#include <support/BoxWatcher.h>
#include <support/Waiting.h>
#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <gtest/gtest.h>

#include "DemoDialog.h"

namespace {

using support::gui::ControlText;
using support::gui::IsChecked;

TEST(DialogExchange, ControlsShowTheMembersAfterCreation) {
    CDemoDialog dialog;
    dialog.m_name = L"Zoë";
    dialog.m_count = 42;
    dialog.m_enabled = 1;
    dialog.m_mode = 1;
    ASSERT_TRUE(dialog.Create(IDD_DEMO));
    HWND hwnd = dialog.m_hWnd;
    EXPECT_EQ(L"Zoë", ControlText(hwnd, IDC_NAME));
    EXPECT_EQ(L"42", ControlText(hwnd, IDC_COUNT));
    EXPECT_TRUE(IsChecked(hwnd, IDC_ENABLED));
    EXPECT_FALSE(IsChecked(hwnd, IDC_MODE_A));
    EXPECT_TRUE(IsChecked(hwnd, IDC_MODE_B));
    EXPECT_FALSE(IsChecked(hwnd, IDC_MODE_C));
    // DDX_Control bound the list box: the object drives the template's control.
    EXPECT_EQ(::GetDlgItem(hwnd, IDC_LOG), dialog.m_log.m_hWnd);
    EXPECT_EQ(std::vector<std::wstring>{L"init"}, support::gui::ListItems(dialog.m_log.m_hWnd));
    dialog.DestroyWindow();
}

TEST(DialogExchange, UpdateDataReadsWhatTheUserEntered) {
    CDemoDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_DEMO));
    HWND hwnd = dialog.m_hWnd;
    ::SetDlgItemTextW(hwnd, IDC_NAME, L"  Ada  ");
    ::SetDlgItemTextW(hwnd, IDC_COUNT, L" -17 ");
    support::gui::ClickButton(hwnd, IDC_ENABLED);
    support::gui::ClickButton(hwnd, IDC_MODE_C);
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(CString(L"  Ada  "), dialog.m_name);
    EXPECT_EQ(-17, dialog.m_count);
    EXPECT_EQ(1, dialog.m_enabled);
    EXPECT_EQ(2, dialog.m_mode);
    dialog.DestroyWindow();
}

TEST(DialogExchange, NumberFieldHoldingTextFailsTheExchange) {
    support::BoxWatcher boxes(IDOK);
    CDemoDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_DEMO));
    HWND hwnd = dialog.m_hWnd;
    dialog.m_count = 5;
    ::SetDlgItemTextW(hwnd, IDC_COUNT, L"12abc");
    EXPECT_FALSE(dialog.UpdateData(TRUE));
    EXPECT_EQ(5, dialog.m_count);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(L"Please enter an integer.", boxes.Boxes()[0].text);
    EXPECT_EQ(::GetDlgItem(hwnd, IDC_COUNT), ::GetFocus());
    dialog.DestroyWindow();
}

TEST(DialogModal, LoopPreTranslatesKeysAndEndsOnReturn) {
    CDemoDialog dialog;
    dialog.m_name = L"start";
    HWND seen = nullptr;
    support::gui::RunFromLoop([&] {
        seen = support::gui::FindThreadWindow(L"#32770", L"Framework Demo");
        HWND name = ::GetDlgItem(seen, IDC_NAME);
        ::SetFocus(name);
        // Escape would cancel the dialog; its PreTranslateMessage swallows it first.
        ::PostMessageW(name, WM_KEYDOWN, VK_ESCAPE, 1);
        ::SetWindowTextW(name, L"typed");
        // Return reaches IsDialogMessage, which presses the default button (OK).
        ::PostMessageW(name, WM_KEYDOWN, VK_RETURN, 1);
    });
    INT_PTR result = dialog.DoModal();
    ASSERT_NE(nullptr, seen);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(1, dialog.m_escapesSwallowed);
    EXPECT_EQ(CString(L"typed"), dialog.m_name);
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(DialogModal, EndDialogDuringInitEndsBeforeTheLoop) {
    class CQuickDialog : public CDialog {
    public:
        CQuickDialog() : CDialog(IDD_DEMO) {}
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            EndDialog(IDCANCEL);
            return TRUE;
        }
    } dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST(DialogModal, MissingTemplateFails) {
    CDialog dialog(9999);
    EXPECT_EQ(-1, dialog.DoModal());
}

// The demonstration: what a person does to the dialog, and what its message map makes of it.
TEST(DemoDialog, BehavesAsItsMessageMapSays) {
    CDemoDialog dialog;
    dialog.m_count = 1;
    support::gui::RunFromLoop([&] {
        HWND hwnd = support::gui::FindThreadWindow(L"#32770", L"Framework Demo");
        ASSERT_NE(nullptr, hwnd);
        ::SetDlgItemTextW(hwnd, IDC_NAME, L"Ada");  // ON_EN_CHANGE
        ::SetDlgItemTextW(hwnd, IDC_COUNT, L"3");
        support::gui::ClickButton(hwnd, IDC_APPLY);   // ON_BN_CLICKED
        support::gui::ClickButton(hwnd, IDC_MODE_C);  // ON_CONTROL_RANGE
        // ON_WM_TIMER: the apply started three ticks, then the timer stops itself.
        support::gui::PumpUntil([&] { return dialog.m_ticks >= 3; }, static_cast<DWORD>(support::kPatience.count()));

        EXPECT_EQ(L"Hello, Ada x3", ControlText(hwnd, IDC_STATUS));
        EXPECT_EQ((std::vector<std::wstring>{L"init", L"apply", L"ticks"}),
                  support::gui::ListItems(::GetDlgItem(hwnd, IDC_LOG)));
        EXPECT_GE(dialog.m_nameChanges, 1);
        // The swatch paints in the colour its reflected colour request chose.
        support::gui::Picture swatch = support::gui::CaptureWindow(dialog.m_swatch.m_hWnd);
        EXPECT_EQ(RGB(0, 0, 255), swatch.At(swatch.width / 2, swatch.height / 2));
        // The whole window as a person sees it: its caption bar, and the children drawn in place.
        support::gui::Picture shown = support::gui::CaptureWindow(hwnd, false);
        RECT window, swatchRect;
        ::GetWindowRect(hwnd, &window);
        ::GetWindowRect(dialog.m_swatch.m_hWnd, &swatchRect);
        EXPECT_EQ(RGB(0, 0, 255), shown.At((swatchRect.left + swatchRect.right) / 2 - window.left,
                                           (swatchRect.top + swatchRect.bottom) / 2 - window.top));
        EXPECT_EQ(0, shown.Count(RGB(0, 0, 0), RECT{0, 0, shown.width, 1}));
        support::gui::SavePng(shown, support::gui::PicturePath(L"demo-dialog"));
        support::gui::ClickButton(hwnd, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, dialog.m_applies);
    EXPECT_EQ(3, dialog.m_ticks);
}

// A child panel inside another dialog: its unhandled menu commands climb to the outer dialog.
TEST(DialogPanels, ChildPanelCreatedFromTemplateInsideADialog) {
    CDemoDialog outer;
    ASSERT_TRUE(outer.Create(IDD_DEMO));
    CDialog panel;
    ASSERT_TRUE(panel.Create(IDD_PANEL, &outer));
    EXPECT_EQ(outer.m_hWnd, ::GetParent(panel.m_hWnd));
    EXPECT_TRUE(panel.GetStyle() & WS_CHILD);
    // The panel has no handler for the outer dialog's Apply: sent as a command, it reaches the outer map.
    panel.SendMessage(WM_COMMAND, IDC_APPLY, 0);
    EXPECT_EQ(1, outer.m_applies);
    panel.DestroyWindow();
    outer.DestroyWindow();
}

// Keys in a panel inside a modal dialog: Return presses the panel's focused button (not the outer
// dialog's default one), and disabling the button under the focus hands the focus on.
TEST(DialogPanels, ReturnPressesThePanelsFocusedButtonAndDisablingItHandsTheFocusOn) {
    // A page that counts its button's clicks, as the program's pages handle their own buttons.
    class CCountingPanel : public CDialog {
    public:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_COMMAND && wParam == MAKEWPARAM(IDC_APPLY, BN_CLICKED) && lParam != 0) ++clicks;
            return CDialog::WindowProc(message, wParam, lParam);
        }
        int clicks = 0;
    };
    CDemoDialog dialog;
    CCountingPanel panel;
    HWND button = nullptr;
    HWND focusAfterDisabling = nullptr;
    bool openAfterReturn = false;
    support::gui::RunFromLoop([&] {
        ASSERT_TRUE(panel.Create(IDD_PANEL, &dialog));
        panel.SetWindowPos(nullptr, 0, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        button = ::GetDlgItem(panel.m_hWnd, IDC_APPLY);
        dialog.GotoDlgCtrl(CWnd::FromHandle(button));
        ASSERT_EQ(button, ::GetFocus());
        support::gui::PressKey(button, VK_RETURN);
        support::gui::PumpPending();
        openAfterReturn = dialog.ContinueModal();
        CWnd::FromHandle(button)->EnableWindow(FALSE);
        focusAfterDisabling = ::GetFocus();
        support::gui::ClickButton(dialog.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, panel.clicks) << "Return pressed the panel's button";
    EXPECT_TRUE(openAfterReturn) << "and not the dialog's OK";
    EXPECT_NE(nullptr, focusAfterDisabling);
    EXPECT_NE(button, focusAfterDisabling);
}

}  // namespace
