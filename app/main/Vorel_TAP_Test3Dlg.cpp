#include "main/Vorel_TAP_Test3Dlg.h"

#include "BrevixCAPI.h"
#include "main/DeviceEventCallback.h"
#include "main/Globals.h"
#include "main/HostMessage.h"
#include "MessagePump.h"
#include "res/resource.h"

#include <optional>

BEGIN_MESSAGE_MAP(CVorel_TAP_Test3Dlg, CDialog)
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_WINDOWPOSCHANGING()
ON_WM_QUERYDRAGICON()
ON_WM_INITMENUPOPUP()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_MESSAGE(WM_DEVICE_EVENT, OnDeviceEvent)
ON_MESSAGE(WM_FPGA_PROGRESS, OnFpgaProgressMessage)
ON_NOTIFY(TVN_SELCHANGEDW, IDC_DEVICE_TREE, OnTreeSelChanged)
ON_NOTIFY(NM_DBLCLK, IDC_DEVICE_TREE, OnTreeDoubleClick)
ON_NOTIFY(NM_CLICK, IDC_DEVICE_TREE, OnTreeClick)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipText)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, OnToolTipText)
ON_COMMAND(ID_FILE_EXIT, OnFileExit)
ON_COMMAND(ID_FILE_EXIT_2, OnFileExit)
ON_COMMAND(ID_COUNTER_PAGE, OnCounterPage)
ON_COMMAND(ID_HELP_ABOUT, OnAbout)
ON_COMMAND(ID_HELP_ABOUT_2, OnAbout)
ON_COMMAND(ID_HELP_WEB, OnWebLink)
ON_COMMAND(ID_HELP_WEB_2, OnWebLink)
ON_COMMAND(ID_CLEAR_COUNTER, OnClearCounter)
ON_COMMAND(ID_PORT_A, OnPortA)
ON_COMMAND(ID_PORT_B, OnPortB)
ON_COMMAND(ID_CHART, OnChart)
ON_COMMAND(ID_ALARM, OnAlarm)
ON_COMMAND(ID_SAVE_COUNTER, OnSaveCounter)
ON_COMMAND(ID_RECONNECT, OnReconnect)
ON_COMMAND(ID_LANGUAGE_ENGLISH, OnEnglish)
ON_COMMAND(ID_LANGUAGE_ENGLISH_2, OnEnglish)
ON_COMMAND(ID_LANGUAGE_JAPANESE, OnJapanese)
ON_COMMAND(ID_LANGUAGE_JAPANESE_2, OnJapanese)
ON_COMMAND(ID_HELP_REQUIREMENTS, OnSystemRequirements)
ON_COMMAND(ID_HELP_REQUIREMENTS_2, OnSystemRequirements)
ON_COMMAND(ID_PORT_A_COUNTER, OnPortACounter)
ON_COMMAND(ID_PORT_B_COUNTER, OnPortBCounter)
ON_COMMAND(ID_PORT_A_CHECKED, OnPortAChecked)
ON_COMMAND(ID_PORT_B_CHECKED, OnPortBChecked)
ON_COMMAND(ID_PORT_A_AND_B, OnNoAction)
ON_COMMAND(ID_MEDIA_STATUS_A, OnMediaStatusA)
ON_COMMAND(ID_MEDIA_STATUS_B, OnMediaStatusB)
ON_BN_CLICKED(IDC_APPLY, OnApplyPortConfig)
ON_COMMAND(ID_NO_ACTION_1, OnNoAction)
ON_COMMAND(ID_NO_ACTION_2, OnNoAction)
ON_COMMAND(ID_NO_ACTION_3, OnNoAction)
ON_COMMAND(ID_NO_ACTION_4, OnNoAction)
ON_COMMAND(ID_NO_ACTION_5, OnNoAction)
ON_COMMAND(ID_NO_ACTION_6, OnNoAction)
ON_UPDATE_COMMAND_UI(ID_NO_ACTION_1, OnUpdateEnabled)
ON_UPDATE_COMMAND_UI(ID_NO_ACTION_2, OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(ID_NO_ACTION_3, OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(ID_NO_ACTION_4, OnUpdateDisabled)
END_MESSAGE_MAP()

CVorel_TAP_Test3Dlg::CVorel_TAP_Test3Dlg(CWnd* pParent)
    : CDialog(IDD, pParent),
      mainView(this),
      counterWindow(this),
      systemInformation(this),
      alarmReport(this),
      aboutPanel(this),
      chart(this),
      captureA(this),
      captureB(this),
      mediaA(this),
      mediaB(this),
      upgradePanel(this),
      portCounterWindow(this),
      progressPanel(this),
      requirements(this) {
    icon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                       : ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON),
                                     MAKEINTRESOURCEW(IDR_MAINFRAME));
    theMainDialog = this;
    // The program-wide start-up state belongs to this dialog's start.
    runMode.Empty();
    startupDone = 0;
    for (HTREEITEM& item : treeItems) item = nullptr;
    selectedTreeItem = 0;
    languageIndex = 0;
    flashLibraryReady = 0;
}

CVorel_TAP_Test3Dlg::~CVorel_TAP_Test3Dlg() {
    if (theMainDialog == this) theMainDialog = nullptr;
}

void CVorel_TAP_Test3Dlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PICTURE_UNUSED, pictureUnused);
    DDX_Control(pDX, IDC_PICTURE_DEMO, pictureDemo);
    DDX_Control(pDX, IDC_PICTURE_SPLASH_ANIM, pictureSplashAnim);
    DDX_Control(pDX, IDC_PICTURE_SPLASH_STILL, pictureSplashStill);
    DDX_Control(pDX, IDC_PICTURE_CONNECTED, pictureConnected);
    DDX_Control(pDX, IDC_PICTURE_CONNECTING, pictureConnecting);
    DDX_Control(pDX, IDC_PICTURE_DISCONNECTED, pictureDisconnected);
    DDX_Control(pDX, IDC_PANEL_TITLE, panelTitle);
    DDX_Control(pDX, IDC_EDIT_BOUND, editBound);
    DDX_Control(pDX, IDC_CONNECTION_TEXT, connectionText);
    DDX_Control(pDX, IDC_APPLY, applyButton);
}

void CVorel_TAP_Test3Dlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        CRect client;
        GetClientRect(&client);
        const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        dc.DrawIcon(x, y, icon);
        return;
    }
    Default();
    PlaceCurrentPanel();
}

void CVorel_TAP_Test3Dlg::OnWindowPosChanging(WINDOWPOS* lpwndpos) {
    // The dialog stays invisible until the start-up has connected or chosen demo mode.
    if (startupDone == 0) lpwndpos->flags &= ~SWP_SHOWWINDOW;
    CDialog::OnWindowPosChanging(lpwndpos);
}

HCURSOR CVorel_TAP_Test3Dlg::OnQueryDragIcon() { return static_cast<HCURSOR>(icon); }

void CVorel_TAP_Test3Dlg::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
    if (!bSysMenu) AfxUpdateMenuItems(this, pPopupMenu);
}

bool CVorel_TAP_Test3Dlg::ConfirmQuit() {
    if (!upgradePanel.DownloadInProgress())
        return AskToQuit(ResourceText(IDS_QUIT_QUESTION), MB_YESNO | MB_ICONQUESTION);
    if (!upgradePanel.DownloadStalled()) {
        // The download writes the tester's flash: cut short, it leaves a tester that does not start.
        // The Windows 7 library's download runs inside this thread's own call, so the program could
        // not end before it does anyway, only vanish from the screen.
        if (languageIndex == 0)
            ShowBox(L"An upgrade is in progress. Vorels-NIC cannot be closed until it has ended.", L"Message",
                    MB_OK | MB_ICONINFORMATION);
        else if (languageIndex == 3)
            // A box breaks Japanese wherever its width runs out, inside a word too: the line ends
            // between the sentences.
            ShowBox(L"アップグレード中です。\n終了するまでVorels-NICを閉じることはできません。", L"メッセージ",
                    MB_OK | MB_ICONINFORMATION);
        return false;
    }
    // Nothing has moved for a while, or the tester is gone: the operator may leave it.
    if (!AskToQuit(upgradePanel.StalledQuitQuestion(), MB_YESNO | MB_ICONWARNING)) return false;
    upgradePanel.AbandonDownload(false);
    return true;
}

void CVorel_TAP_Test3Dlg::BeginEnding() {
    ending_ = true;
    WriteLanguageIndex(languageIndex);
    if (HWND outside = ::FindWindowW(nullptr, L"Upgrade FPGA on Win7")) ::PostMessageW(outside, WM_CLOSE, 0, 0);
}

void CVorel_TAP_Test3Dlg::OnClose() {
    if (ending_) return;
    // Closing the window keeps the language even when the operator then stays.
    WriteLanguageIndex(languageIndex);
    if (!ConfirmQuit()) return;
    BeginEnding();
    BrevixC_SYS_SetNICMode(0, 0);
    BrevixC_SYS_SetNICMode(1, 0);
    if (!IsDemoMode()) BrevixC_SYS_TerminateProcess();
    CDialog::OnCancel();
}

void CVorel_TAP_Test3Dlg::OnFileExit() {
    if (ending_ || !ConfirmQuit()) return;
    BeginEnding();
    if (!IsDemoMode()) BrevixC_SYS_TerminateProcess();
    CDialog::OnOK();
}

int CVorel_TAP_Test3Dlg::ShowBox(LPCWSTR text, LPCWSTR caption, UINT type) {
    ++openBoxes_;
    const int answer = MessageBox(text, caption, type);
    --openBoxes_;
    ShowDueLossBox();
    return answer;
}

bool CVorel_TAP_Test3Dlg::AskToQuit(LPCWSTR question, UINT type) {
    ++openBoxes_;
    const bool quit = MessageBox(question, MessageCaption(), type) == IDYES;
    --openBoxes_;
    // A loss told while the question was open asks nothing more of an operator who is leaving.
    if (quit) lossBoxDue_ = false;
    ShowDueLossBox();
    return quit;
}

void CVorel_TAP_Test3Dlg::BeginLibraryBoxes() { ++openBoxes_; }

void CVorel_TAP_Test3Dlg::EndLibraryBoxes() {
    --openBoxes_;
    ShowDueLossBox();
}

void CVorel_TAP_Test3Dlg::ShowDueLossBox() {
    if (openBoxes_ != 0 || !lossBoxDue_) return;
    lossBoxDue_ = false;
    if (!ending_) ShowLossBox();
}

void CVorel_TAP_Test3Dlg::OnDestroy() {
    // Copies posted after this are dropped by the callback; those already queued are freed here.
    SetDeviceEventWindow(nullptr);
    DropPendingDeviceEvents(m_hWnd);
    CDialog::OnDestroy();
}

LRESULT CVorel_TAP_Test3Dlg::OnDeviceEvent(WPARAM, LPARAM) {
    // One copy a wake-up: a box opened by this one dispatches the next wake-ups in its own loop,
    // in the order the copies came. A wake-up posted from outside finds nothing, or takes a copy
    // whose own wake-up then finds nothing.
    if (std::optional<HostMessage> message = TakeDeviceEvent()) HandleDeviceEvent(*message);
    return 0;
}

bool CVorel_TAP_Test3Dlg::WaitSecondsPumped(int seconds) {
    const CTime start = CTime::GetCurrentTime();
    while ((CTime::GetCurrentTime() - start).GetTotalSeconds() < seconds) {
        // A quit ends the wait: it is left for the loop that owns it.
        if (!hostio::PumpMessages()) return false;
        // Nothing to do until a message arrives or the next second may have come.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return true;
}

int CVorel_TAP_Test3Dlg::FindMenuItemByText(CMenu* menu, LPCWSTR text) {
    const int count = menu ? menu->GetMenuItemCount() : 0;
    for (int i = 0; i < count; ++i) {
        CString itemText;
        menu->GetMenuString(static_cast<UINT>(i), itemText, MF_BYPOSITION);
        if (itemText == text) return i;
    }
    return -1;
}
