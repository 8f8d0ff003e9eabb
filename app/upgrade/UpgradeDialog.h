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

    explicit CUpgradeDialog(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    // Stores the mode, names the version row after it and gives the page the mode's title, Browse
    // folder and notice.
    bool SetMode(int newMode);
    int Mode() const { return mode; }

    void SetFpgaVersionText(CString text) { fpgaVersionText = std::move(text); }
    CString GetFpgaVersionText() const { return fpgaVersionText; }
    void SetFirmwareVersionText(CString text) { firmwareVersionText = std::move(text); }
    CString GetFirmwareVersionText() const { return firmwareVersionText; }

    // The information rows: row 0 the model name, row 1 the version of the mode.
    void SetInfoText(int row, const CString& text);
    CString InfoText(int row);

    // A download status event (0x0F00 FPGA, 0x0F01 firmware); ignored while no download through
    // the device API runs.
    void OnDownloadStatus(uint16_t type, uint16_t status, uint16_t percent);

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
    // Upgrade's first steps: the scale, the timer, the texts shown, the panel disabled.
    void BeginDownload(int seconds);
    // A download call that returned 0: the failure box of the mode, the panel enabled again.
    void RefuseDownload();
    // The device API's download ended (pass, failure or time-out).
    void CloseDownload();
    void FailDownload(bool fpga);
    void ShowDownloadTexts(int show);
    // The counter window's one-second refresh, stopped while a download runs.
    static void SetCounterRefresh(bool run);

    int mode = kFirmware;
    CString fpgaVersionText;
    CString firmwareVersionText;
    CString imagePath;
    CString browseFolder;
    // Ends the current FPGA and firmware version lines of the upgrade log; nothing gives it a value.
    CString versionSuffix;
};
