// The main dialog's start-up, in the order the program has always kept, and its first show.
#include "BrevixCAPI.h"
#include "BrevixCPorts.h"
#include "BrevixTWin7.h"
#include "info/AboutHandOver.h"
#include "main/DebugStream.h"
#include "main/DeviceEventCallback.h"
#include "main/DeviceTexts.h"
#include "main/Globals.h"
#include "main/VersionTests.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

#include <userenv.h>

namespace {

constexpr COLORREF kMaskColor = RGB(140, 0, 140);

// Creates the folder unless a folder of that name exists; failures are left to whoever writes there.
void EnsureFolder(const CString& path) {
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CreateDirectoryW(path, nullptr);
    }
}

}  // namespace

BOOL CVorel_TAP_Test3Dlg::OnInitDialog() {
    const BOOL result = RunStartup();
    startupReturned_ = true;
    return result;
}

BOOL CVorel_TAP_Test3Dlg::RunStartup() {
    CDialog::OnInitDialog();
    languageIndex = 0;
    if (!ReadLanguageIndex()) WriteLanguageIndex(0);

    wchar_t path[512] = {};
    ::GetModuleFileNameW(nullptr, path, 512);
    programFolder = path;
    programFolder = programFolder.Left(programFolder.ReverseFind(L'\\'));
    CreateLogFolder();

    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);

    CreatePanels();

    pictureUnused.SetBitmap(IDB_UNUSED_STATUS);
    pictureDemo.SetBitmap(IDB_DEMO);
    pictureSplashStill.SetBitmap(IDB_SPLASH_STILL);
    pictureConnected.SetBitmap(IDB_CONNECTED);
    pictureDisconnected.SetBitmap(IDB_DISCONNECTED);
    pictureUnused.ShowWindow(SW_HIDE);
    pictureDemo.ShowWindow(SW_HIDE);

    portCounterWindow.StartRefresh();
    CreateDeviceTree();
    SetTimer(kFirstShowTimer, 500, nullptr);

    SetDeviceEventWindow(m_hWnd);
    BrevixC_SYS_Init(DeviceEventCallback, 0);
    identityTexts[kSerial] = L"0JBVX3000000";
    identityTexts[kAgent] = L"Quendal Agent";
    identityTexts[kMac] = L"00-00-00-00-00-00";
    identityTexts[kPcb] = L"MP05";
    identityTexts[kApi] = L"v1.0b001";
    identityTexts[kFirmware] = L"v1.0b001";
    identityTexts[kFpga] = L"v1.0b001";
    identityTexts[kDate] = L"2018/01/01";

    char model[32] = {};
    BrevixC_SYS_DetectBrevixCDevice(model);
    if (BrevixC_SYS_ConnectToBrevixCDevice() != 0) {
        if (flashLibraryReady == 0 && IsWindows7Or8() && BVX_Machine_ID != 3 && BVX_Machine_ID != 4) {
            if (BrevixT_EEProm_Init_Win7()) flashLibraryReady = 1;
        }
        startupDone = 1;
        BuildDeviceTree(BrevixC_Has_PIC24() != 0);
        BrevixC_SYS_GetSystemVer();
        BrevixC_GetLinkStatus();
        BrevixC_SYS_SetNICMode(0, 1);
        WaitSecondsPumped(1);
        if (IsWindowsXP()) CheckUsbIdentity();
    } else {
        const int answer = MessageBox(
            L"Vorels-NIC cannot detect your Brevix-A/C/H!\nWould you like to run Vorels-NIC under Demo mode (for "
            L"Demo purpose only) instead?",
            L"Message", MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) {
            // The dialog ends as soon as this returns; nothing more goes to the library, which has
            // no tester to send it to.
            EndDialog(IDOK);
            return FALSE;
        }
        runMode = L"DEMO";
        BuildDeviceTree(true);
        upgradePanel.SetDeviceReachable(false);
        startupDone = 1;
    }
    for (HTREEITEM item : treeItems) {
        if (item != nullptr) deviceTree.Expand(item, TVE_EXPAND);
    }

    if (!SetUpMenus()) return FALSE;
    if (!SetUpToolbar()) return FALSE;

    CreatePortConfigGrid();
    upgradePanel.SetMode(CUpgradeDialog::kFpga);
    ShowPage(Page::kFpgaUpgrade);

    if (pictureSplashAnim.Load(MAKEINTRESOURCEW(IDR_GIF_SPLASH), L"GIF")) pictureSplashAnim.Draw();
    if (pictureConnecting.Load(MAKEINTRESOURCEW(IDR_GIF_CONNECTING), L"GIF")) pictureConnecting.Draw();
    if (connectionLost_) {
        // The tester went during the steps above (their pumped waits dispatched its report): the
        // loss stays shown, with Reconnect to come back, and nothing more goes to the tester.
        ShowConnectionLost();
    } else {
        pictureConnected.ShowWindow(SW_SHOW);
        pictureConnecting.ShowWindow(SW_HIDE);
        pictureDisconnected.ShowWindow(SW_HIDE);
        connectionText.SetWindowText(L"Connected");
        StartMediaDetection();
        SendDefaultPortConfig();
    }

    SetLanguage(languageIndex == 3 ? 1 : 0);
    RetextAll();
    UpdateTreeTexts();

    // The model of the tester found (the demo's first show writes its own); a fixed "Brevix-J" would
    // name every other model wrongly.
    upgradePanel.SetInfoText(0, device_texts::ModelText(BVX_Machine_ID));
    ShowPage(Page::kFpgaUpgrade);
    return TRUE;
}

void CVorel_TAP_Test3Dlg::CreateLogFolder() {
    logFolder.Empty();
    if (!IsWindows7Or8()) return;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    wchar_t profile[260] = {};
    DWORD size = 260;
    const BOOL found = ::GetUserProfileDirectoryW(token, profile, &size);
    ::CloseHandle(token);
    if (!found) return;
    CString folder = CString(profile) + L"\\Documents\\Vorels-NIC.log\\";
    EnsureFolder(folder);
    CString versionFolder;
    versionFolder.Format(L"Vorels-NIC %s\\", info::kProgramVersion);
    folder += versionFolder;
    EnsureFolder(folder);
    logFolder = folder;
    EnsureFolder(folder + L"SysLog\\");
}

void CVorel_TAP_Test3Dlg::CreatePanels() {
    const auto createHidden = [this](CDialog& panel, UINT templateId) {
        panel.Create(templateId, this);
        panel.ShowWindow(SW_HIDE);
    };
    createHidden(mainView, CMainView::IDD);
    createHidden(counterWindow, CCounterWindow::IDD);
    counterMode = 0;
    createHidden(systemInformation, CSystem::IDD);
    createHidden(alarmReport, CAlarmSetup::IDD);
    createHidden(aboutPanel, CAbout::IDD);
    createHidden(chart, CChart::IDD);
    createHidden(captureA, CCaptureReportA::IDD);
    createHidden(captureB, CCaptureReportB::IDD);
    createHidden(mediaA, CMediaStatusA::IDD);
    createHidden(mediaB, CMediaStatusB::IDD);
    createHidden(upgradePanel, CUpgradeDialog::IDD);
    upgradePanel.SetMode(CUpgradeDialog::kFpga);
    portCounterWindow.port = 0;
    createHidden(portCounterWindow, CCounterWindow::IDD);
    createHidden(progressPanel, CProgressBar::IDD);
    createHidden(requirements, SysReqDialog::IDD);
}

void CVorel_TAP_Test3Dlg::CreateDeviceTree() {
    CRect area;
    CWnd* placeholder = GetDlgItem(IDC_TREE_PLACEHOLDER);
    placeholder->GetWindowRect(&area);
    ScreenToClient(&area);
    // The tree takes its place: left shown, the placeholder would lie over the tree and take the
    // pointer's clicks.
    placeholder->ShowWindow(SW_HIDE);
    treeImages.Create(IDB_TREE_IMAGES, 16, 1, kMaskColor);
    deviceTree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | 0x1087, area, this, IDC_DEVICE_TREE);
    if (treeImages.GetSafeHandle()) deviceTree.SetImageList(&treeImages, TVSIL_NORMAL);
    // The column spans the tree as the dialog's font scales it (290 pixels at the scale the program
    // was drawn for): a fixed width would cut the texts where the dialog comes out narrower.
    CRect client;
    deviceTree.GetClientRect(&client);
    deviceTree.InsertColumn(0, L"Information", LVCFMT_LEFT, client.Width() > 0 ? client.Width() : 290);
}

bool CVorel_TAP_Test3Dlg::SetUpMenus() {
    CMenu* menu = GetMenu();
    const int file = FindMenuItemByText(menu, L"File");
    if (file < 0) return false;
    CMenu* fileMenu = menu->GetSubMenu(file);
    for (const wchar_t* item : {L"Load Config", L"Save Config"}) {
        const int position = FindMenuItemByText(fileMenu, item);
        if (position >= 0) fileMenu->RemoveMenu(static_cast<UINT>(position), MF_BYPOSITION);
    }
    for (const wchar_t* item : {L"Statistics", L"Control"}) {
        const int position = FindMenuItemByText(menu, item);
        if (position >= 0) menu->RemoveMenu(static_cast<UINT>(position), MF_BYPOSITION);
    }
    DrawMenuBar();
    return true;
}

bool CVorel_TAP_Test3Dlg::SetUpToolbar() {
    // A tab stop: the keyboard reaches its buttons, which have no menu item.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBRS_GRIPPER | CBRS_TOP | CBRS_TOOLTIPS;
    if (!toolbar.CreateEx(this, TBSTYLE_FLAT, style, CRect(2, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !toolbar.LoadToolBar(IDR_MAIN_TOOLBAR)) {
        return false;
    }
    ReplaceToolbarImages(IDB_TOOLBAR_CONNECTED);
    // The strip's 16 x 16 images, each with its text below, wide enough for "Clear Counter".
    toolbar.SetSizes(CSize(84, 40), CSize(16, 16));
    toolbar.EnableButton(ID_RECONNECT, FALSE);
    toolbar.EnableButton(ID_PORT_A, FALSE);
    toolbar.SetButtonText(0, L"Reconnect");
    toolbar.SetButtonText(2, L"Clear Counter");
    toolbar.SetButtonText(5, L"Port A");
    toolbar.SetButtonText(6, L"Port B");
    toolbar.SetButtonText(8, L"Save Counter");
    // The chart window is reached by its toolbar button (the only way to it), so that stays shown.
    toolbar.SetButtonText(3, L"Chart");
    for (UINT hidden : {ID_PORT_A, ID_PORT_B, ID_PORT_A_AND_B}) toolbar.HideButton(hidden, TRUE);
    RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0);
    return true;
}

void CVorel_TAP_Test3Dlg::ReplaceToolbarImages(UINT bitmapId) {
    // The toolbar draws from the list it holds: give it the new one before the old one goes.
    HIMAGELIST previous = toolbarImages.Detach();
    if (toolbarImages.Create(bitmapId, 16, 1, kMaskColor)) toolbar.SetImageList(&toolbarImages);
    if (previous != nullptr) ::ImageList_Destroy(previous);
}

void CVorel_TAP_Test3Dlg::OnTimer(UINT_PTR nIDEvent) {
    ProgramLog().WriteLine(L"(OnTimer)");
    if (nIDEvent == kFirstShowTimer) {
        if (startupDone == 1) ShowFirstTime();
        return;
    }
    if (nIDEvent == kMediaDetectionTimer) {
        OnMediaDetectionTick();
        return;
    }
    if (nIDEvent == kLinkRereadTimer) {
        BrevixC_GetLinkStatus();
        KillTimer(kLinkRereadTimer);
        return;
    }
    CDialog::OnTimer(nIDEvent);
}

void CVorel_TAP_Test3Dlg::ShowFirstTime() {
    aboutPanel.aboutGrid.SetCellText(0, 1, L"Quendal agent");
    SetTreeText(kItemAgent, L"Agent / Customer : " + identityTexts[kAgent]);
    ProgramLog().WriteLine(L"(OnTimer) event = 1");
    if (IsDemoMode()) {
        ProgramLog().WriteLine(L"(OnTimer)(Demo) update tree list text");
        UpdateTreeTexts();
        static const wchar_t* const kAboutDemo[] = {L"Brevix-C/A",        L"Quendal Agent", L"0JBVX3000000",
                                                    L"00-00-00-00-00-00", L"v.MP05",        L"v1.0b001",
                                                    L"v1.0b001",          L"v1.0b001",      L"2009/07/30"};
        static const wchar_t* const kSystemDemo[] = {L"Brevix-A/C",        L"Quendal agent", L"0JBVX30000XX",
                                                     L"02-5E-C1-22-XX-XX", L"v.MP05",        L"v1.0b000",
                                                     L"v1.0b000",          L"v1.0b000",      L"2009/07/24"};
        for (int row = 0; row < 9; ++row) aboutPanel.aboutGrid.SetCellText(0, row, kAboutDemo[row]);
        upgradePanel.SetInfoText(0, L"Brevix-CF");
        // The upgrade page shows the version of its own kind whenever its item is chosen: both
        // come from the demo's system information.
        upgradePanel.SetFpgaVersionText(kSystemDemo[6]);
        upgradePanel.SetFirmwareVersionText(kSystemDemo[7]);
        for (int row = 0; row < 9; ++row) systemInformation.infoGrid.SetCellText(0, row, kSystemDemo[row]);
        pictureSplashAnim.MoveWindow(570, 2, 28, 28);
        pictureSplashStill.MoveWindow(570, 2, 28, 28);
        pictureSplashAnim.ShowWindow(SW_HIDE);
        pictureSplashStill.ShowWindow(SW_HIDE);
        pictureDemo.ShowWindow(SW_SHOW);
        pictureUnused.ShowWindow(SW_HIDE);
    } else {
        systemInformation.infoGrid.SetCellText(0, 1, L"Quendal agent");
        pictureDemo.ShowWindow(SW_HIDE);
        pictureSplashAnim.ShowWindow(SW_HIDE);
        pictureSplashStill.ShowWindow(SW_HIDE);
    }
    ShowWindow(SW_SHOW);
    // The operator starts in the device tree, whatever control the dialog found first.
    GotoDlgCtrl(&deviceTree);
    KillTimer(kFirstShowTimer);
    firstShowDone_ = true;
    ::Sleep(1000);
    BrevixC_GetLinkStatus();
    PlaceCurrentPanel();
}
