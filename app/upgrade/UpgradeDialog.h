// CUpgradeDialog (template 303): the FPGA and firmware upgrade page of the main dialog. This is the
// part the main dialog and the device events drive: the mode, the version texts, the information
// rows, the Upgrade button and the download-running flag. Browse, Upgrade and the download's
// progress come with the upgrade page.
#pragma once

#include "grids/MyGrid.h"

#include <framework/Framework.h>

class CUpgradeDialog : public CDialog {
public:
    enum { IDD = 303 };
    enum Mode { kFirmware = 0, kFpga = 1 };

    explicit CUpgradeDialog(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    // Stores the mode and names the version row after it.
    bool SetMode(int newMode);
    int Mode() const { return mode; }

    void SetFpgaVersionText(CString text) { fpgaVersionText = std::move(text); }
    CString GetFpgaVersionText() const { return fpgaVersionText; }
    void SetFirmwareVersionText(CString text) { firmwareVersionText = std::move(text); }
    CString GetFirmwareVersionText() const { return firmwareVersionText; }

    // The information rows: row 0 the model name, row 1 the version of the mode.
    void SetInfoText(int row, const CString& text);
    CString InfoText(int row);

    // The device events' download status (0x0F00 FPGA, 0x0F01 firmware); ignored while no
    // download runs.
    void OnDownloadStatus(uint16_t type, uint16_t status, uint16_t percent);

    MyGrid infoGrid;
    CButton upgradeButton;
    bool downloadRunning = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancelButton();
    DECLARE_MESSAGE_MAP()

private:
    int mode = kFirmware;
    CString fpgaVersionText;
    CString firmwareVersionText;
};
