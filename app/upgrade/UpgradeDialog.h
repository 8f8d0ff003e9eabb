// CUpgradeDialog (template 303): the FPGA and firmware upgrade page of the main dialog. Browse picks
// an image file whose name carries the connected model's marker; Upgrade starts the download
// through the device API or, for FPGA images of machine ids 1 and 2 on Windows 7 and 8, through
// the Windows 7 flash library, which runs it on this thread and reports through the main dialog's
// 0x52C handler. The device events (0x0F00 FPGA, 0x0F01 firmware) and this panel's own one-second
// timer end a download through the device API: pass (with the upgrade log), failure or time-out.
//
// Everything here runs on the GUI thread: the device events reach the panel through the main
// dialog's posted messages.
#pragma once

#include "grids/MyGrid.h"

#include <framework/Framework.h>

#include <cstdint>

class CUpgradeDialog : public CDialog {
public:
    enum { IDD = 303 };
    enum Mode { kFirmware = 0, kFpga = 1 };
    enum Timer : UINT_PTR { kElapsedTimer = 1 };
    // Full scales of the progress bar, in seconds.
    static constexpr int kFirmwareSeconds = 1020;
    static constexpr int kFpgaSeconds = 2400;
    static constexpr int kDemoFpgaSeconds = 10;
    // A download through the device API that has made no progress for this long (on the tick
    // count, which a change of the calendar clock does not move) may be left: Cancel ends it, and a
    // quit may end it. The longest healthy wait without progress is the Ethernet path's erase
    // minute (the library reports "erasing" for 60 s after the chip erase); a USB unit answers its
    // first chunk within 25 s, while it erases, and every later one within 6 s.
    static constexpr int kNoProgressSeconds = 90;

    explicit CUpgradeDialog(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    // Stores the mode, names the version row after it and fills it with the mode's version, gives
    // the page the mode's title, Browse folder and notice, and shows the mode's own file path. While
    // a download runs the page keeps the running download's mode: false, nothing changed.
    bool SetMode(int newMode);
    int Mode() const { return mode; }
    // A download started here has not ended yet (through the device API or the Windows 7 library).
    bool DownloadInProgress() const { return downloadRunning || flashLibraryDownload_; }
    // A download through the device API that makes no progress: none for kNoProgressSeconds, or
    // the tester lost. The operator may end it (Cancel, or a quit that says so).
    bool DownloadStalled() const;
    // Ends the download through the device API at once: the library's transfer is terminated (its
    // worker stops before its next chunk) and the page ends as at a failure, with the failure box
    // when `tell`. Without it (a quit or a loss says it in its own box) the page, when shown, stays
    // and says that the upgrade failed and what that may leave on the tester.
    void AbandonDownload(bool tell);
    // The quit question while a download is stalled, in the main dialog's language.
    static CString StalledQuitQuestion();

    // The tester's versions; the version row shows the one of the current mode as soon as it comes.
    void SetFpgaVersionText(CString text);
    CString GetFpgaVersionText() const { return fpgaVersionText; }
    void SetFirmwareVersionText(CString text);
    CString GetFirmwareVersionText() const { return firmwareVersionText; }

    // The information rows: row 0 the model name, row 1 the version of the mode.
    void SetInfoText(int row, const CString& text);
    CString InfoText(int row);

    // A download status event (0x0F00 FPGA, 0x0F01 firmware); ignored while no download through
    // the device API runs.
    void OnDownloadStatus(uint16_t type, uint16_t status, uint16_t percent);

    // The Windows 7 library's progress (message 0x52C, sent on this thread while Upgrade waits in
    // the library): the phase's status, the position 0..2400, and at the finish the completion box
    // over the page that already says so.
    void OnFlashLibraryProgress(int phase, int progress);

    // The time since the download started, shown now. Progress reports call it too: a flood of them
    // holds back the page's one-second timer (timer messages wait for an empty queue).
    void ShowElapsed();

    // Writes the upgrade log of a passed download (0 FPGA, 1 firmware) and tells the operator
    // where it lies, or that it could not be saved.
    void WriteUpgradeLog(int kind);

    // The download record the device events share with the panel.
    int expectedSeconds = kFirmwareSeconds;
    int elapsedSeconds = 0;
    __time64_t startTime = 0;
    int lastStatus = 0;
    int lastProgress = 0;
    MyGrid infoGrid;
    bool downloadRunning = false;
    CProgressCtrl progressBar;
    CButton upgradeButton;

    // Whether the tester can be reached: Upgrade answers only then, and once no download runs.
    void SetDeviceReachable(bool reachable);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBrowse();
    void OnUpgrade();
    void OnTimer(UINT_PTR nIDEvent);
    void OnCancelButton();
    DECLARE_MESSAGE_MAP()

private:
    // Shows the box in the main dialog's language: English for index 0, Japanese for 3, none for
    // any other index.
    void ShowLanguageBox(LPCWSTR english, LPCWSTR englishCaption, LPCWSTR japanese);
    // Every box of the page goes through the main dialog, which shows one at a time.
    int Box(LPCWSTR text, LPCWSTR caption, UINT type);
    // A stalled download: the page answers again, its Cancel shown and usable, the rest disabled;
    // once it moves again, the offer is withdrawn.
    void OfferCancel(bool offer);
    // Upgrade's first steps: the scale, the timer, the texts shown, the panel disabled.
    void BeginDownload(int seconds);
    // A download call that returned 0: the failure box of the mode, the panel enabled again.
    void RefuseDownload();
    // The device API's download ended (pass, failure or time-out).
    void CloseDownload();
    void FailDownload(bool fpga);
    void ShowDownloadTexts(int show);
    // The running texts as a download begins: the mode's notice, the status line empty.
    void ResetDownloadTexts();
    // The page and its controls enabled or disabled together, Upgrade only with the tester there.
    void SetControlsUsable(bool usable);
    // The counter window's one-second refresh, stopped while a download runs.
    static void SetCounterRefresh(bool run);
    // Whether the file may go to a download of the page's mode: its name carries the mode's marker
    // (the connected model's, for an FPGA image), it opens, and what it holds is of the mode's kind.
    // A refused file gets its box, in the main dialog's language.
    bool AcceptImageFile(const CString& path);
    // The version row: the version of the current mode.
    void ShowModeVersion();
    // A text of the page set only when it changes: the Windows 7 library reports every page it
    // writes, and each new text is erased and drawn again on the screen.
    void SetTextOnChange(int id, const CString& text);

    int mode = kFirmware;
    CString fpgaVersionText;
    CString firmwareVersionText;
    // The file path of each mode (by mode): a file chosen for one kind of download never goes to
    // the other.
    CString imagePaths_[2];
    CString browseFolder;
    // The Windows 7 library's download runs on this thread, inside Upgrade.
    bool flashLibraryDownload_ = false;
    bool controlsUsable_ = true;
    bool deviceReachable_ = true;
    // When the running download last made progress (or began), on the tick count: a chunk taken
    // (the "Download" status, which the library sends only after one) or a new status or percent.
    // The "erasing" status the library repeats every second while the first chunk is unanswered
    // is no progress.
    ULONGLONG lastProgressTick_ = 0;
    // The page shows the note of a download that ended early (AbandonDownload without a box).
    bool failureNoted_ = false;
    // Cancel is offered for the running download (OfferCancel).
    bool cancelOffered_ = false;
    // Ends the current FPGA and firmware version lines of the upgrade log; nothing gives it a value.
    CString versionSuffix;
};
