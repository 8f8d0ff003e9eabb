// The main dialog (template 102, "Vorels-NIC"): the device tree on the left, one page at a time on
// the right, the toolbar and the status pictures. It owns every panel of the program as a member.
//
// Its sources, by concern: Vorel_TAP_Test3Dlg.cpp (messages, painting, placement, shutdown),
// DlgStartup.cpp (start-up and the first show), DlgTree.cpp (the device tree), DlgCommands.cpp
// (menus, toolbar, reconnect, progress), DlgEvents.cpp (the device events), DlgLanguage.cpp.
#pragma once

#include "alarm/AlarmSetup.h"
#include "capture/CaptureReport.h"
#include "charts/Chart.h"
#include "counters/CounterWindow.h"
#include "grids/MyGrid.h"
#include "info/About.h"
#include "info/MainView.h"
#include "info/SysReqDialog.h"
#include "info/System.h"
#include "media/MediaStatus.h"
#include "picture/AnimPicture.h"
#include "picture/TransparentPicture.h"
#include "progress/ProgressBar.h"
#include "treetable/CTreeTableCtrl.h"
#include "upgrade/UpgradeDialog.h"
#include "xml/XmlDocument.h"

#include <framework/Framework.h>

#include <cstdint>
#include <vector>

class HostMessage;

class CVorel_TAP_Test3Dlg : public CDialog {
public:
    enum { IDD = 102 };
    // Pages of the right-hand area (currentPanel).
    enum Panel {
        kMainView = 0,
        kSystemInformation = 1,
        kCounterWindow = 4,
        kCaptureA = 5,
        kCaptureB = 6,
        kMediaA = 7,
        kMediaB = 8,
        kPortCounterAndUpgrade = 9
    };
    // Device tree items by item number (the item's data value).
    enum TreeItem {
        kItemModel = 0,
        kItemSystemInformation = 1,
        kItemAgent = 2,
        kItemSerial = 3,
        kItemMac = 4,
        kItemPcb = 5,
        kItemApi = 6,
        kItemFpga = 7,
        kItemFirmware = 8,
        kItemDate = 9,
        kItemPortConfiguration = 10,
        kItemSystemUpgrade = 11,
        kItemFpgaUpgrade = 12,
        kItemFirmwareUpgrade = 13,
        kItemCapture = 14,
        kItemCaptureA = 15,
        kItemCaptureB = 16
    };
    // identityTexts, by index.
    enum Identity { kSerial = 0, kAgent, kMac, kPcb, kApi, kFirmware, kFpga, kDate, kIdentityCount };
    // aboutVersions, by index.
    enum AboutVersion { kAboutFpga = 0, kAboutFirmware, kAboutApi };
    enum Timer : UINT_PTR { kFirstShowTimer = 1, kLinkRereadTimer = 3 };

    explicit CVorel_TAP_Test3Dlg(CWnd* pParent = nullptr);
    ~CVorel_TAP_Test3Dlg() override;

    HICON icon = nullptr;
    XmlDocument document;
    CImageList treeImages;
    CImageList toolbarImages;
    int currentPanel = kPortCounterAndUpgrade;
    CMainView mainView;
    CCounterWindow counterWindow;
    CSystem systemInformation;
    CAlarmSetup alarmReport;
    CAbout aboutPanel;
    CChart chart;
    CCaptureReportA captureA;
    CCaptureReportB captureB;
    CMediaStatusA mediaA;
    CMediaStatusB mediaB;
    CTreeTableCtrl deviceTree;
    CToolBar toolbar;
    CTransparentPicture pictureUnused;        // 1098
    CTransparentPicture pictureDemo;          // 1040
    CAnimPicture pictureSplashAnim;           // 1154
    CTransparentPicture pictureSplashStill;   // 1155
    CTransparentPicture pictureConnected;     // 1165
    CAnimPicture pictureConnecting;           // 1166
    CTransparentPicture pictureDisconnected;  // 1167
    CStatic panelTitle;
    CEdit editBound;
    CStatic connectionText;
    CUpgradeDialog upgradePanel;
    BYTE flashLibraryReady = 0;
    CCounterWindow portCounterWindow;
    CProgressBar progressPanel;
    SysReqDialog requirements;
    int languageIndex = 0;
    CString aboutVersions[3];
    MyGrid portConfigGrid;
    CButton applyButton;
    BYTE counterMode = 0;
    CString identityTexts[kIdentityCount];

    // The pages of the right-hand side. Exactly one shows at a time; ShowPage is the one place that
    // shows or hides them (DlgPages.cpp).
    enum class Page {
        kFpgaUpgrade,
        kFirmwareUpgrade,
        kPortConfiguration,
        kCounterA,
        kCounterB,
        kCaptureA,
        kCaptureB,
        kMediaA,
        kMediaB,
        kCounterWindow
    };
    // Shows the page whole in the page area with its title, and hides every other page.
    void ShowPage(Page page);
    Page ShownPage() const { return shownPage_; }
    // Where pages go: frame 1214 less 10 pixels on each side, in client coordinates.
    CRect PageArea();

    // Whether timer 1 has shown the dialog (the modal loop may show it earlier, once startupDone).
    bool FirstShowDone() const { return firstShowDone_; }
    // Whether OnInitDialog has returned: the library's calls in it pump messages, so timer 1 may show
    // the dialog while the start-up still runs.
    bool StartupReturned() const { return startupReturned_; }

    // Writes the model name and identityTexts into the tree.
    void UpdateTreeTexts();
    // Moves the shown page's windows to the page area, sized to it.
    void PlaceCurrentPanel();
    // Waits n whole seconds by the calendar clock while dispatching this thread's messages; false
    // (with the quit message posted again) when a quit message arrived.
    static bool WaitSecondsPumped(int seconds);
    // The position of the first item of the menu whose text equals `text`, or -1.
    static int FindMenuItemByText(CMenu* menu, LPCWSTR text);

    // Language (DlgLanguage.cpp).
    bool ReadLanguageIndex();
    void WriteLanguageIndex(int index);
    void SetLanguage(int choice);
    void RetextAll();
    // The counter page's heading and named rows in the current language, for the port it shows.
    void RetextCounterPage();
    // The panel title's text, in a font that draws every character of it.
    void SetTitle(const CString& title);
    // "Message", "メッセージ" or empty, by languageIndex.
    CString MessageCaption() const;

    // Every box of the dialog and its pages, owned by the dialog: one at a time. A loss reported
    // while a box is open gets its box once that one has closed.
    int ShowBox(LPCWSTR text, LPCWSTR caption, UINT type);
    // Around a library call on this thread that shows boxes of its own (the Windows 7 download):
    // a loss reported meanwhile gets its box once the call has returned.
    void BeginLibraryBoxes();
    void EndLibraryBoxes();
    // The tester was lost and no Reconnect has brought it back.
    bool TesterLost() const { return connectionLost_; }

    // Commands that other panels and tests reach (DlgCommands.cpp).
    void OnPortA();
    void OnPortB();
    void OnReconnect();
    void StartMediaDetection();
    void SendDefaultPortConfig();
    // Windows XP: the USB adapter's identity read, and written when it lacks the tester's ids, with
    // the progress panel up meanwhile (DlgUsbIdentity.cpp).
    void CheckUsbIdentity();
    LRESULT OnFpgaProgress(WPARAM phase, LPARAM progress);

    // Port configuration and media status (MainDialogPorts.cpp).
    static constexpr UINT_PTR kMediaDetectionTimer = 4;
    void OnApplyPortConfig();
    void OnMediaStatusA();
    void OnMediaStatusB();
    // A link report arrived (the counter window's link record holds it).
    void OnMediaLinkReport();

    // The device events, on the GUI thread (DlgEvents.cpp).
    void HandleDeviceEvent(const HostMessage& message);

    // The registry key of the language index under HKEY_LOCAL_MACHINE.
    static constexpr const wchar_t* kLanguageKey = L"SOFTWARE\\Morvath\\QT714-NIC";
    // The key the language index is read from and written to: kLanguageKey. Test programs that run
    // dialogs side by side in one registry each give theirs a key of its own.
    static const wchar_t* languageKey;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The start-up steps, in their order (OnInitDialog marks their end).
    BOOL RunStartup();
    // Return and Escape (whenever they are handled: the GUI thread may have stalled since the
    // key went up) never end the dialog; only a confirmed quit does.
    void OnOK() override {}
    void OnCancel() override {}

    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    HCURSOR OnQueryDragIcon();
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnClose();
    void OnDestroy();
    void OnFileExit();
    void OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTreeDoubleClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTreeClick(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnDeviceEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnFpgaProgressMessage(WPARAM wParam, LPARAM lParam) { return OnFpgaProgress(wParam, lParam); }

    // Commands (DlgCommands.cpp).
    void OnCounterPage();
    void OnAbout();
    void OnWebLink();
    void OnClearCounter();
    void OnChart();
    void OnAlarm();
    // A window of its own (chart, alarm report) shown again: restored, centred, in front, active.
    void BringBack(CWnd& window);
    void OnSaveCounter();
    void OnEnglish();
    void OnJapanese();
    void OnSystemRequirements();
    void OnPortACounter();
    void OnPortBCounter();
    void OnPortAChecked();
    void OnPortBChecked();
    void OnNoAction() {}
    void OnUpdateEnabled(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
    void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    BOOL OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Pages (DlgPages.cpp): the windows that make up a page, and its title in the current language.
    std::vector<CWnd*> PageWindows(Page page);
    CString PageTitle(Page page) const;
    // The page a tree item shows, shown again whole; items without a page change nothing.
    void ShowPageOfItem(int item);
    // The tree item of a page (-1 for the pages without one), and the tree's highlight moved to it.
    static int TreeItemOfPage(Page page);
    void HighlightTreeItemOf(Page page);
    // Start-up pieces (DlgStartup.cpp).
    void CreatePanels();
    void CreateDeviceTree();
    bool SetUpMenus();
    bool SetUpToolbar();
    void ShowFirstTime();
    void CreateLogFolder();
    // The tree (DlgTree.cpp).
    void BuildDeviceTree(bool withFirmwareUpgrade);
    void SetTreeText(int item, const CString& text);
    CString TreeText(int item) const;
    // Toolbar images from a bitmap (282 connected, 283 lost).
    void ReplaceToolbarImages(UINT bitmapId);
    // Language: the text of a string of the current resource source.
    static CString ResourceText(UINT id);
    // One Reconnect: the wait, the connect and what it shows (OnReconnect runs one at a time).
    void TryReconnect();
    // Port A or B into NIC mode with its counter page (OnPortA, OnPortB).
    void ShowCounterPage(int port);
    // The counter page shown from a menu item, which is checked and the other port's unchecked.
    void ShowPortCounterPage(int port, UINT checkedItem, UINT uncheckedItem);
    // Capture pages (DlgCapture.cpp): their items in the device tree.
    void AddCaptureItems();
    // Ports (MainDialogPorts.cpp).
    void CreatePortConfigGrid();
    void OnMediaDetectionTick();
    // The detection the progress panel is up for failed: one box, then the panel goes.
    void EndFailedMediaDetection();
    void ShowMediaStatus(int port);
    void UpdateMediaPanels();
    // Events (DlgEvents.cpp).
    void OnCaptureData(const HostMessage& message);
    void OnLinkStatus(const HostMessage& message);
    void OnSystemInformation(const HostMessage& message);
    void OnPortEvent(const HostMessage& message);
    void OnDeviceLost(const HostMessage& message);
    // The lost tester shown: the disconnected picture and text, the toolbar reduced to Reconnect,
    // Upgrade disabled.
    void ShowConnectionLost();
    // Whether the operator confirms the quit: the quit question; during a download the box that
    // keeps the program while the download moves, or, once it has stalled, the question whether to
    // end it and quit (Yes ends the download here).
    bool ConfirmQuit();
    // The confirmed quit's common part: the language kept, the outside download window closed,
    // and from here on the dialog is ending.
    void BeginEnding();
    // The loss box, in the current language.
    void ShowLossBox();
    // The loss box that waited for the open boxes, once none is open.
    void ShowDueLossBox();
    // A quit question as a box of ShowBox's: true for Yes.
    bool AskToQuit(LPCWSTR question, UINT type);

    // The panel title's 18-point font, of a face with a glyph for every character of the title.
    CFont titleFont_;
    Page shownPage_ = Page::kFpgaUpgrade;
    // The tree's selection is being moved to the shown page's item.
    bool followingPage_ = false;
    // The shown page's tree item, which keeps its highlight (null for a page without one).
    HTREEITEM pageItem_ = nullptr;
    bool deviceLostBoxOpen_ = false;
    // Boxes open now (ShowBox, AskToQuit, a library call's), and a loss whose box waits for them
    // to close.
    int openBoxes_ = 0;
    bool lossBoxDue_ = false;
    // A quit was confirmed: whatever a pumped wait returns to does nothing more.
    bool ending_ = false;
    bool mediaFailureBoxOpen_ = false;
    // The tester was lost and no Reconnect has brought it back; set and cleared on the GUI thread.
    bool connectionLost_ = false;
    // A Reconnect is waiting or connecting: a second click meanwhile starts nothing.
    bool reconnecting_ = false;
    bool firstShowDone_ = false;
    bool startupReturned_ = false;
};
