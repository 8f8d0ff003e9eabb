#include "upgrade/UpgradeDialog.h"

#include "charts/Refresh.h"
#include "main/DebugStream.h"
#include "main/Globals.h"
#include "main/VersionTests.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"
#include "upgrade/UpgradeLog.h"

#include <BrevixCAPI.h>
#include <BrevixCFlash.h>
#include <BrevixTWin7.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kFontHeight = 16;
constexpr int kFontWeight = 1;
constexpr int kRowHeight = 25;
constexpr int kSideHeadingWidth = 150;
constexpr int kValueColumnWidth = 200;
constexpr short kLeftAligned = 1;
constexpr short kVerticalCentre = 0x20;

// What each mode shows: the page's title, the folder Browse starts in (below the program's) and
// the notice shown while a download runs.
struct ModeTexts {
    LPCWSTR title;
    LPCWSTR folder;
    LPCWSTR notice;
};

const ModeTexts kModeTexts[] = {
    {L"Upgrade Firmware", L"\\Upgrade\\FW\\",
     L"Due to PC hardware performance issues, Firmware\nupgrading might take 1 to 2 minutes to complete.\nPlease "
     L"wait patiently until the Firmware upgrading completes.\nWhile upgrading, DO NOT unplug your device's \npower "
     L"cord and USB cable."},
    {L"Upgrade FPGA", L"\\Upgrade\\FPGA\\",
     L"Due to PC hardware performance issues, FPGA\nupgrading might take 10 to 40 minutes to complete.\nPlease wait "
     L"patiently until the FPGA upgrading completes.\nWhile upgrading, DO NOT unplug your device's \npower cord and "
     L"USB cable."},
};

// The file-name marker an FPGA image of the connected model must begin with.
LPCWSTR FpgaMarker() {
    if (IsDemoMode()) return L"BREVIX-C_FPGA";
    switch (BVX_Machine_ID) {
    case 2:
        return L"BREVIX-A_FPGA";
    case 3:
        return L"BREVIX-H_FPGA";
    case 4:
        return L"BREVIX-J_FPGA";
    default:
        return L"BREVIX-C_FPGA";
    }
}

LPCWSTR StatusText(uint16_t type, uint16_t status) {
    switch (status) {
    case 0:
        return type == BREVIXC_MSG_FPGA_DOWNLOAD ? L"Status: OK" : L"Status: Ready";
    case 1:
    case 7:
        return L"Status: Fail";
    case 2:
        return L"Status: Download";
    case 3:
        return L"Status: Checking";
    case 4:
        return L"Status: Erasing";
    case 5:
        return L"Status: Rewriting";
    case 6:
        return L"Status: Pass";
    default:
        return L"Status: Unknown";
    }
}

// Whether the bytes begin as an FPGA image does: "POF", or 55 AA 55 AA.
bool IsFpgaImage(const unsigned char* head, size_t size) {
    static const unsigned char kPof[] = {'P', 'O', 'F'};
    static const unsigned char kSync[] = {0x55, 0xAA, 0x55, 0xAA};
    return (size >= sizeof kPof && std::memcmp(head, kPof, sizeof kPof) == 0) ||
           (size >= sizeof kSync && std::memcmp(head, kSync, sizeof kSync) == 0);
}

// Statuses that end a download: pass, failure, and the failure the device never follows with
// anything (7).
constexpr uint16_t kStatusFail = 1;
constexpr uint16_t kStatusDownload = 2;
constexpr uint16_t kStatusPass = 6;
constexpr uint16_t kStatusFinalFail = 7;

CString Formatted(LPCWSTR format, int value) {
    CString text;
    text.Format(format, value);
    return text;
}

// A text of the string tables, in the language the program shows.
CString Loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// What leaving a download may leave on the tester; part of every text that offers or tells it.
CString FlashWarning() { return Loaded(IDS_UPGRADE_FLASH_WARNING); }

// The page's texts are the program's log lines too.
void Trace(const CString& text) { ProgramLog().WriteLine(text.GetString()); }

}  // namespace

BEGIN_MESSAGE_MAP(CUpgradeDialog, CDialog)
ON_BN_CLICKED(IDC_UPGRADE_BROWSE, OnBrowse)
ON_WM_TIMER()
ON_BN_CLICKED(IDCANCEL, OnCancelButton)
ON_BN_CLICKED(IDC_UPGRADE_BUTTON, OnUpgrade)
END_MESSAGE_MAP()

void CUpgradeDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UPGRADE_PROGRESS, progressBar);
    DDX_Control(pDX, IDC_UPGRADE_BUTTON, upgradeButton);
}

BOOL CUpgradeDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    // The group boxes frame the grid and the texts: a box that repaints (a new label after a
    // language switch) would otherwise erase what lies inside it and leave it blank until that is
    // painted again. Below every sibling and clipped by them, a box draws only its own frame.
    std::vector<HWND> groupBoxes;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        if (::lstrcmpiW(className, L"Button") == 0 && (::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            groupBoxes.push_back(child);
    }
    for (HWND box : groupBoxes) {
        ::SetWindowLongW(box, GWL_STYLE, ::GetWindowLongW(box, GWL_STYLE) | WS_CLIPSIBLINGS);
        ::SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    CRect frame;
    GetDlgItem(IDC_UPGRADE_GRID_FRAME)->GetWindowRect(&frame);
    ScreenToClient(&frame);
    infoGrid.AttachToDialogItem(IDC_UPGRADE_GRID, this);
    infoGrid.MoveWindow(&frame, TRUE);
    infoGrid.ShowWindow(SW_SHOW);

    infoGrid.SetColumnCount(1, FALSE);
    infoGrid.SetRowCount(2, FALSE);
    infoGrid.ResizeColumn(-1, kSideHeadingWidth);
    infoGrid.ResizeColumn(0, kValueColumnWidth);
    infoGrid.ResizeRow(-1, 0);
    const int font = infoGrid.RegisterFont(L"Arial ", kFontHeight, kFontWeight);
    for (int row = 0; row < 2; ++row) {
        infoGrid.ResizeRow(row, kRowHeight);
        infoGrid.SetCellFont(-1, row, font);
        infoGrid.SetCellFont(0, row, font);
        // The labels left-aligned as the page asks; labels and values centred in their rows' height.
        infoGrid.SetCellAlignment(-1, row, kLeftAligned | kVerticalCentre);
        infoGrid.SetCellAlignment(0, row, kVerticalCentre);
    }
    infoGrid.SetCellText(-1, 0, L"Model Name");

    SetMode(kFirmware);
    infoGrid.SetCellText(-1, 1, L"Firmware Version");
    downloadRunning = false;
    return TRUE;
}

bool CUpgradeDialog::SetMode(int newMode) {
    newMode = newMode == kFpga ? kFpga : kFirmware;
    // The running download's time-out, failure box and log name its kind by the mode.
    if (DownloadInProgress() && newMode != mode) return false;
    const ModeTexts& texts = kModeTexts[newMode];
    browseFolder = programFolder + texts.folder;
    // The note of a download that ended early belongs to its own kind's page.
    if (failureNoted_ && newMode != mode) {
        failureNoted_ = false;
        ShowDownloadTexts(SW_HIDE);
    }
    if (GetSafeHwnd()) {
        GetDlgItemText(IDC_UPGRADE_PATH, imagePaths_[mode]);
        SetDlgItemText(IDC_UPGRADE_PATH, imagePaths_[newMode]);
        SetWindowText(texts.title);
        SetDlgItemText(IDC_UPGRADE_NOTICE, texts.notice);
    }
    mode = newMode;
    if (infoGrid.GetSafeHwnd()) infoGrid.SetCellText(-1, 1, mode == kFpga ? L"FPGA Version" : L"FW Version");
    ShowModeVersion();
    return true;
}

void CUpgradeDialog::SetFpgaVersionText(CString text) {
    fpgaVersionText = std::move(text);
    ShowModeVersion();
}

void CUpgradeDialog::SetFirmwareVersionText(CString text) {
    firmwareVersionText = std::move(text);
    ShowModeVersion();
}

void CUpgradeDialog::ShowModeVersion() { SetInfoText(1, mode == kFpga ? fpgaVersionText : firmwareVersionText); }

void CUpgradeDialog::SetInfoText(int row, const CString& text) {
    if (infoGrid.GetSafeHwnd() == nullptr) return;
    infoGrid.SetCellText(0, row, text);
    infoGrid.InvalidateChildren();
}

CString CUpgradeDialog::InfoText(int row) {
    CString text;
    if (infoGrid.GetSafeHwnd()) infoGrid.CopyCellText(0, row, &text);
    return text;
}

void CUpgradeDialog::ShowLanguageBox(LPCWSTR english, LPCWSTR englishCaption, LPCWSTR japanese) {
    const int language = theMainDialog ? theMainDialog->languageIndex : 0;
    if (language == 0) Box(english, englishCaption, MB_OK);
    else if (language == 3) Box(japanese, L"メッセージ", MB_OK);
}

int CUpgradeDialog::Box(LPCWSTR text, LPCWSTR caption, UINT type) {
    return theMainDialog ? theMainDialog->ShowBox(text, caption, type) : MessageBox(text, caption, type);
}

void CUpgradeDialog::OnBrowse() {
    const bool firmware = mode == kFirmware;
    CFileDialog dialog(TRUE, firmware ? L"bin" : L"pof", nullptr, OFN_HIDEREADONLY,
                       firmware ? L"Binary File(*.bin)|*.bin|" : L"POF File(*.pof)|*.pof|", this);
    dialog.m_ofn.lpstrInitialDir = browseFolder;
    if (dialog.DoModal() != IDOK) return;

    const CString path = dialog.GetPathName();
    if (!AcceptImageFile(path)) return;
    imagePaths_[mode] = path;
    SetDlgItemText(IDC_UPGRADE_PATH, path);
}

bool CUpgradeDialog::AcceptImageFile(const CString& path) {
    const bool firmware = mode == kFirmware;
    const auto notForThisKind = [&] {
        if (firmware)
            ShowLanguageBox(L"The selected file is not for firmware upgrade, please check it again!", L"Message",
                            L"選択ファイルはfirmwareアップグレード用ではありません　もう一度確認してください");
        else
            ShowLanguageBox(L"The selected file is not for FPGA upgrade, please check it again!", L"Message",
                            L"選択ファイルはFPGAアップグレード用ではありません　もう一度確認してください");
        return false;
    };
    CString name = path;
    name.MakeUpper();
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    if (name.IsEmpty()) {
        ShowLanguageBox(L"No upgrade file is selected!", L"Message", L"No upgrade file is selected");
        return false;
    }
    if (firmware && name.Find(L"BREVIX-H_RTC") < 0) return notForThisKind();
    if (!firmware) {
        const CString marker = FpgaMarker();
        if (name.Left(marker.GetLength()) != marker) return notForThisKind();
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(_wfopen(path, L"rb"), std::fclose);
    if (!file) {
        if (firmware) ShowLanguageBox(L"Cannot open firmware file!", L"Error", L"Firmwareファイルを開けません!");
        else ShowLanguageBox(L"Cannot open FPGA file!", L"Error", L"FPGAファイルを開けません!");
        return false;
    }
    // An FPGA image in the firmware controller, or anything else in the FPGA's flash (which the
    // Windows 7 library erases before it reads the file), would leave the tester unusable.
    unsigned char head[4] = {};
    const size_t size = std::fread(head, 1, sizeof head, file.get());
    if (IsFpgaImage(head, size) == firmware) return notForThisKind();
    return true;
}

void CUpgradeDialog::ShowDownloadTexts(int show) {
    for (int id : {IDC_UPGRADE_NOTICE, IDC_UPGRADE_STATUS, IDC_UPGRADE_ELAPSED})
        if (CWnd* text = GetDlgItem(id)) text->ShowWindow(show);
}

void CUpgradeDialog::ResetDownloadTexts() {
    failureNoted_ = false;
    SetDlgItemText(IDC_UPGRADE_NOTICE, kModeTexts[mode].notice);
    SetDlgItemText(IDC_UPGRADE_STATUS, L"Status");
}

void CUpgradeDialog::SetCounterRefresh(bool run) {
    // Held while the download runs, whatever either Update button says meanwhile; back on, both
    // buttons show the refresh running, whatever they showed before.
    charts::HoldRefresh(!run);
}

void CUpgradeDialog::BeginDownload(int seconds) {
    expectedSeconds = seconds;
    elapsedSeconds = 0;
    lastStatus = 0;
    lastProgress = 0;
    lastProgressTick_ = ::GetTickCount64();
    cancelOffered_ = false;
    progressBar.SetRange32(0, expectedSeconds);
    // The template's placeholder until a status event gives the percentage.
    SetDlgItemText(IDC_UPGRADE_PERCENT, L"");
    SetTimer(kElapsedTimer, 1000, nullptr);
    ResetDownloadTexts();
    ShowDownloadTexts(SW_SHOW);
    SetControlsUsable(false);
}

void CUpgradeDialog::SetControlsUsable(bool usable) {
    // A disabled page draws its controls as they are: they go disabled with it, rather than look
    // usable and do nothing.
    controlsUsable_ = usable;
    for (int id : {IDC_UPGRADE_PATH, IDC_UPGRADE_BROWSE, IDCANCEL})
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(usable);
    upgradeButton.EnableWindow(usable && deviceReachable_);
    EnableWindow(usable);
}

void CUpgradeDialog::SetDeviceReachable(bool reachable) {
    deviceReachable_ = reachable;
    if (upgradeButton.GetSafeHwnd()) upgradeButton.EnableWindow(reachable && controlsUsable_);
}

void CUpgradeDialog::RefuseDownload() {
    progressBar.SetPos(0);
    BrevixC_SYS_DownloadFPGA_Terminate();
    downloadRunning = false;
    // A download that never started leaves no timer counting and no texts of a running one.
    KillTimer(kElapsedTimer);
    ShowDownloadTexts(SW_HIDE);
    if (CWnd* cancel = GetDlgItem(IDCANCEL)) cancel->ShowWindow(SW_SHOW);
    // A download the tester's loss ended is told by the loss box alone.
    const bool lost = theMainDialog && theMainDialog->TesterLost();
    if (!lost && mode == kFirmware) ShowLanguageBox(L"Fail to upgrade firmware!", L"Error", L"Firmwareアップグレード失敗!");
    else if (!lost) ShowLanguageBox(L"Fail to upgrade FPGA!", L"Error", L"FPGAアップグレード失敗!");
    SetControlsUsable(true);
    SetCounterRefresh(true);
}

void CUpgradeDialog::OnUpgrade() {
    CString path;
    GetDlgItemText(IDC_UPGRADE_PATH, path);
    imagePaths_[mode] = path;
    // The edit may hold anything typed since Browse: the file is judged again before it is sent.
    if (!IsDemoMode() && !AcceptImageFile(path)) return;
    if (mode == kFirmware) {
        BeginDownload(kFirmwareSeconds);
        if (CWnd* cancel = GetDlgItem(IDCANCEL)) cancel->ShowWindow(SW_HIDE);
        startTime = CTime::GetCurrentTime().GetTime();
        if (BrevixC_SYS_DownloadFirmwareW(path) == 0) {
            RefuseDownload();
            return;
        }
        downloadRunning = true;
        SetCounterRefresh(false);
        return;
    }

    const bool win7Path = !IsDemoMode() && (BVX_Machine_ID == 1 || BVX_Machine_ID == 2) && IsWindows7Or8();
    // Without a working connection to the flash library the download could only fail after
    // erasing: the operator is told once and nothing starts.
    if (win7Path && (theMainDialog == nullptr || theMainDialog->flashLibraryReady == 0)) {
        ShowLanguageBox(
            L"The tester's flash cannot be reached: FPGA upgrade is not possible. Please reconnect the "
            L"tester and restart Vorels-NIC.",
            L"Error", L"装置のフラッシュに接続できません。FPGAアップグレードはできません。");
        return;
    }
    BeginDownload(IsDemoMode() ? kDemoFpgaSeconds : kFpgaSeconds);
    if (IsDemoMode()) return;

    startTime = CTime::GetCurrentTime().GetTime();
    if (win7Path) {
        // The whole download runs here; its progress arrives as 0x52C on this thread.
        SetCounterRefresh(false);
        flashLibraryDownload_ = true;
        if (theMainDialog) theMainDialog->BeginLibraryBoxes();
        const bool written = BrevixT_SYS_DownloadFPGAW7(path);
        if (theMainDialog) theMainDialog->EndLibraryBoxes();
        flashLibraryDownload_ = false;
        if (!written) {
            RefuseDownload();
            return;
        }
        // The page stays as the download left it, disabled: it waits for the tester and the program
        // to restart.
        SetCounterRefresh(true);
        return;
    }
    if (BrevixC_SYS_DownloadFPGAW(path, 0) == 0) {
        RefuseDownload();
        return;
    }
    downloadRunning = true;
    SetCounterRefresh(false);
}

void CUpgradeDialog::OnTimer(UINT_PTR nIDEvent) {
    CDialog::OnTimer(nIDEvent);
    SetTextOnChange(IDC_UPGRADE_ELAPSED, Formatted(L"Time Elapsed: %d sec", elapsedSeconds));
    ++elapsedSeconds;
    // A worker that falls silent sends no event to judge the time by: the panel's clock does.
    if (downloadRunning && CTime::GetCurrentTime().GetTime() - startTime >= expectedSeconds) {
        elapsedSeconds = int(CTime::GetCurrentTime().GetTime() - startTime);
        progressBar.SetPos(expectedSeconds);
        FailDownload(mode == kFpga);
        return;
    }
    OfferCancel(DownloadStalled());
}

bool CUpgradeDialog::DownloadStalled() const {
    return downloadRunning &&
           (!deviceReachable_ || ::GetTickCount64() - lastProgressTick_ >= ULONGLONG(kNoProgressSeconds) * 1000);
}

CString CUpgradeDialog::StalledQuitQuestion() {
    CString question;
    question.Format(Loaded(IDS_QUIT_STALLED_UPGRADE).GetString(), FlashWarning().GetString());
    return question;
}

void CUpgradeDialog::OfferCancel(bool offer) {
    CWnd* cancel = GetDlgItem(IDCANCEL);
    if (cancel == nullptr || offer == cancelOffered_) return;
    cancelOffered_ = offer;
    // The page was disabled with its controls: offered, it takes the click again, on Cancel alone;
    // withdrawn (the download moves again), it is as the download left it, Cancel hidden in
    // firmware mode.
    EnableWindow(offer);
    cancel->EnableWindow(offer);
    cancel->ShowWindow(offer || mode == kFpga ? SW_SHOW : SW_HIDE);
    // The notice says what Cancel means before it is clicked.
    CString notice = kModeTexts[mode].notice;
    if (offer) {
        notice.Format(Loaded(IDS_UPGRADE_STALLED).GetString(), kNoProgressSeconds, FlashWarning().GetString());
        Trace(notice);
    }
    SetDlgItemText(IDC_UPGRADE_NOTICE, notice);
}

void CUpgradeDialog::AbandonDownload(bool tell) {
    if (!downloadRunning) return;
    BrevixC_SYS_DownloadFPGA_Terminate();
    downloadRunning = false;
    KillTimer(kElapsedTimer);
    SetDlgItemText(IDC_UPGRADE_STATUS, L"Status: Fail");
    CString note;
    note.Format(Loaded(IDS_UPGRADE_ENDED_EARLY).GetString(), FlashWarning().GetString());
    Trace(note);
    if (tell) {
        Box(mode == kFpga ? L"Fail to upgrade FPGA!" : L"Fail to upgrade firmware!", L"Message", MB_OK);
        CloseDownload();
        return;
    }
    // No box of this page says it: the page the operator looks at does, until the next download
    // or the other kind's page.
    const bool shown = IsWindowVisible() != FALSE;
    CloseDownload();
    if (!shown) return;
    failureNoted_ = true;
    SetDlgItemText(IDC_UPGRADE_NOTICE, note);
    for (int id : {IDC_UPGRADE_NOTICE, IDC_UPGRADE_STATUS})
        if (CWnd* text = GetDlgItem(id)) text->ShowWindow(SW_SHOW);
    ShowWindow(SW_SHOW);
}

void CUpgradeDialog::ShowElapsed() {
    elapsedSeconds = int(CTime::GetCurrentTime().GetTime() - startTime);
    SetTextOnChange(IDC_UPGRADE_ELAPSED, Formatted(L"Time Elapsed: %d sec", elapsedSeconds));
}

void CUpgradeDialog::SetTextOnChange(int id, const CString& text) {
    CString shown;
    GetDlgItemText(id, shown);
    if (shown != text) SetDlgItemText(id, text);
}

void CUpgradeDialog::OnFlashLibraryProgress(int phase, int progress) {
    static const wchar_t* const kPhases[] = {L"Erase EEProm", L"Upgrade FPGA file", L"Checking", L"Rewrite FPGA file"};
    CString status = L"Status: ";
    if (phase >= 0 && phase < 4) status += kPhases[phase];
    else if (phase == 5) status += L"Finish!";
    SetTextOnChange(IDC_UPGRADE_STATUS, status);
    // The finish comes with no share of its own (0): the bar shows the download whole while the
    // completion box is up, not an empty one.
    int lowest = 0, highest = 0;
    progressBar.GetRange(lowest, highest);
    progressBar.SetPos(phase == 5 ? highest : progress);
    if (phase != 5) {
        ShowElapsed();
        return;
    }
    KillTimer(kElapsedTimer);
    // The page reads "Finish!" on the screen before the box stops this thread.
    UpdateWindow();
    CString complete;
    complete.LoadString(IDS_FPGA_COMPLETE);
    Box(complete, L"Message", MB_OK);
}

void CUpgradeDialog::OnDownloadStatus(uint16_t type, uint16_t status, uint16_t percent) {
    if (!downloadRunning) return;
    const bool fpga = type == BREVIXC_MSG_FPGA_DOWNLOAD;
    if (status == kStatusDownload || status != lastStatus || percent != lastProgress)
        lastProgressTick_ = ::GetTickCount64();
    lastStatus = status;
    lastProgress = percent;
    if (!fpga) {
        std::printf("Download FW Status:%d, Progress:%d\n", status, percent);
        std::fflush(stdout);
    }
    ShowElapsed();
    progressBar.SetPos(elapsedSeconds);
    SetDlgItemText(IDC_UPGRADE_PERCENT, Formatted(L"progress: %d", percent));
    SetDlgItemText(IDC_UPGRADE_STATUS, StatusText(type, status));

    if (status == kStatusPass) {
        progressBar.SetPos(expectedSeconds);
        KillTimer(kElapsedTimer);
        WriteUpgradeLog(fpga ? upgrade::kFpgaLog : upgrade::kFirmwareLog);
        CloseDownload();
    } else if (elapsedSeconds >= expectedSeconds) {
        progressBar.SetPos(expectedSeconds);
        FailDownload(fpga);
    } else if (status == kStatusFail || status == kStatusFinalFail) {
        FailDownload(fpga);
    }
}

void CUpgradeDialog::FailDownload(bool fpga) {
    BrevixC_SYS_DownloadFPGA_Terminate();
    downloadRunning = false;
    KillTimer(kElapsedTimer);
    Box(fpga ? L"Fail to upgrade FPGA!" : L"Fail to upgrade firmware!", L"Message", MB_OK);
    CloseDownload();
}

void CUpgradeDialog::CloseDownload() {
    KillTimer(kElapsedTimer);
    cancelOffered_ = false;
    progressBar.SetPos(0);
    // The percentage belongs to the download that ended, not to the next one of either kind.
    SetDlgItemText(IDC_UPGRADE_PERCENT, L"");
    ShowDownloadTexts(SW_HIDE);
    SetControlsUsable(true);
    ShowWindow(SW_HIDE);
    downloadRunning = false;
    if (CWnd* cancel = GetDlgItem(IDCANCEL)) cancel->ShowWindow(SW_SHOW);
    SetCounterRefresh(true);
}

void CUpgradeDialog::WriteUpgradeLog(int kind) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    upgrade::IdentityRows rows;
    if (theMainDialog && theMainDialog->aboutPanel.aboutGrid.GetSafeHwnd()) {
        for (size_t row = 0; row < rows.size(); ++row)
            rows[row] = LPCWSTR(theMainDialog->aboutPanel.aboutGrid.GetCellText(0, int(row)));
    }
    const std::wstring name = upgrade::LogFileName(kind, now);
    const std::wstring folder = upgrade::LogFolder(LPCWSTR(programFolder), LPCWSTR(logFolder));
    const bool saved = upgrade::WriteLogFile(folder, name, upgrade::LogText(rows, LPCWSTR(versionSuffix), now));
    const std::wstring notice =
        saved ? upgrade::CompletionNotice(name, folder) : upgrade::LogFailureNotice(name, folder);
    Box(notice.c_str(), L"Message", MB_OK);
}

void CUpgradeDialog::OnCancelButton() {
    if ((::GetAsyncKeyState(VK_ESCAPE) & 0x8000) || (::GetAsyncKeyState(VK_RETURN) & 0x8000)) return;
    // During a download Cancel is offered only once it stalls; it ends the download, never just
    // puts a running one out of sight.
    if (downloadRunning) {
        if (DownloadStalled()) AbandonDownload(true);
        return;
    }
    CDialog::OnCancel();
}
