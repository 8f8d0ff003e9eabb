// The main dialog's commands: menus, toolbar and its tips, reconnection, and the flash library's
// progress message. The port commands are in MainDialogPorts.cpp.
#include "BrevixCAPI.h"
#include "BrevixCPorts.h"
#include "info/AboutHandOver.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

#include <shellapi.h>

namespace {

constexpr COLORREF kMaskColor = RGB(140, 0, 140);

}  // namespace

void CVorel_TAP_Test3Dlg::OnCounterPage() { ShowPage(Page::kCounterWindow); }

void CVorel_TAP_Test3Dlg::ShowPortCounterPage(int port, UINT checkedItem, UINT uncheckedItem) {
    if (CMenu* menu = GetMenu()) {
        menu->CheckMenuItem(checkedItem, MF_CHECKED);
        menu->CheckMenuItem(uncheckedItem, MF_UNCHECKED);
    }
    ShowCounterPage(port);
}

void CVorel_TAP_Test3Dlg::OnPortACounter() {
    counterMode = 1;
    ShowPortCounterPage(0, ID_PORT_A_COUNTER, ID_PORT_B_COUNTER);
}

void CVorel_TAP_Test3Dlg::OnPortBCounter() {
    counterMode = 1;
    ShowPortCounterPage(1, ID_PORT_B_COUNTER, ID_PORT_A_COUNTER);
}

void CVorel_TAP_Test3Dlg::OnPortAChecked() { ShowPortCounterPage(0, ID_PORT_A_CHECKED, ID_PORT_B_CHECKED); }

void CVorel_TAP_Test3Dlg::OnPortBChecked() { ShowPortCounterPage(1, ID_PORT_B_CHECKED, ID_PORT_A_CHECKED); }

void CVorel_TAP_Test3Dlg::OnWebLink() {
    ::ShellExecuteW(nullptr, L"open", L"https://www.quendal.com/", nullptr, nullptr, SW_SHOWNORMAL);
}

void CVorel_TAP_Test3Dlg::OnChart() { BringBack(chart); }

void CVorel_TAP_Test3Dlg::OnAlarm() { BringBack(alarmReport); }

void CVorel_TAP_Test3Dlg::BringBack(CWnd& window) {
    // The operator asks for the window: minimised it comes back to its size, behind another window
    // it comes to the front, and it takes the activation.
    if (window.IsIconic()) window.ShowWindow(SW_RESTORE);
    window.CenterWindow();
    window.ShowWindow(SW_SHOW);
    window.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    window.SetForegroundWindow();
    window.SetActiveWindow();
}

void CVorel_TAP_Test3Dlg::OnSaveCounter() { portCounterWindow.SaveCounters(); }

void CVorel_TAP_Test3Dlg::OnEnglish() {
    SetLanguage(0);
    RetextAll();
    UpdateTreeTexts();
}

void CVorel_TAP_Test3Dlg::OnJapanese() {
    SetLanguage(1);
    RetextAll();
    UpdateTreeTexts();
}

void CVorel_TAP_Test3Dlg::OnAbout() {
    info::OpenAboutBox(languageIndex,
                       {aboutVersions[kAboutFpga], aboutVersions[kAboutFirmware], aboutVersions[kAboutApi]});
}

void CVorel_TAP_Test3Dlg::OnSystemRequirements() {
    requirements.CenterWindow();
    requirements.ShowWindow(SW_SHOW);
}

void CVorel_TAP_Test3Dlg::OnReconnect() {
    // Its waits dispatch the operator's clicks: a second click must not start a second connect
    // over the first.
    if (reconnecting_) return;
    reconnecting_ = true;
    TryReconnect();
    reconnecting_ = false;
}

void CVorel_TAP_Test3Dlg::TryReconnect() {
    connectionText.SetWindowText(L"Connecting");
    pictureConnected.ShowWindow(SW_HIDE);
    pictureConnecting.ShowWindow(SW_SHOW);
    pictureDisconnected.ShowWindow(SW_HIDE);
    // A quit confirmed during the wait has terminated the API and ended the dialog: nothing more.
    if (!WaitSecondsPumped(3) || ending_) return;
    char model[32] = {};
    BrevixC_SYS_DetectBrevixCDevice(model);
    if (BrevixC_SYS_ConnectToBrevixCDevice() == 0) {
        pictureConnected.ShowWindow(SW_HIDE);
        pictureConnecting.ShowWindow(SW_HIDE);
        pictureDisconnected.ShowWindow(SW_SHOW);
        connectionText.SetWindowText(L"Disconnected");
        return;
    }
    connectionLost_ = false;
    portCounterWindow.SetTesterLost(false);
    UpdateMediaPanels();
    BrevixC_SYS_GetSystemVer();
    BrevixC_SetLoopback(255, 3);
    BrevixC_GetLinkStatus();
    ReplaceToolbarImages(IDB_TOOLBAR_CONNECTED);
    toolbar.EnableButton(ID_RECONNECT, FALSE);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (UINT command : {ID_CLEAR_COUNTER, ID_CHART, ID_PORT_A, ID_PORT_B, ID_PORT_A_AND_B, ID_SAVE_COUNTER}) {
        toolbar.EnableButton(command, TRUE);
    }
    pictureConnected.ShowWindow(SW_SHOW);
    pictureConnecting.ShowWindow(SW_HIDE);
    pictureDisconnected.ShowWindow(SW_HIDE);
    BrevixC_GetLinkStatus();
    connectionText.SetWindowText(L"Connected");
    upgradePanel.SetDeviceReachable(true);
    ShowBox(L"Connection has been re-established!", AfxGetAppName(), MB_OK);
}

LRESULT CVorel_TAP_Test3Dlg::OnFpgaProgress(WPARAM phase, LPARAM progress) {
    upgradePanel.OnFlashLibraryProgress(static_cast<int>(phase), static_cast<int>(progress));
    return 1;
}

BOOL CVorel_TAP_Test3Dlg::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult) {
    UINT_PTR id = pNMHDR->idFrom;
    const bool wide = pNMHDR->code == TTN_NEEDTEXTW;
    const UINT flags =
        wide ? reinterpret_cast<NMTTDISPINFOW*>(pNMHDR)->uFlags : reinterpret_cast<NMTTDISPINFOA*>(pNMHDR)->uFlags;
    if (flags & TTF_IDISHWND) id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));
    if (id == 0) return FALSE;
    CString tip = ResourceText(static_cast<UINT>(id));
    const int lineFeed = tip.Find(L'\n');
    if (lineFeed >= 0) tip = tip.Mid(lineFeed + 1);
    if (wide) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
        ::lstrcpynW(info->szText, tip, 80);
        info->lpszText = info->szText;
    } else {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
        ::WideCharToMultiByte(CP_ACP, 0, tip, -1, info->szText, 80, nullptr, nullptr);
        info->szText[79] = '\0';
        info->lpszText = info->szText;
    }
    *pResult = 0;
    ::SetWindowPos(pNMHDR->hwndFrom, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOMOVE | SWP_NOOWNERZORDER);
    return TRUE;
}
