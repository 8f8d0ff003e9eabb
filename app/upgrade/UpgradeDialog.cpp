#include "upgrade/UpgradeDialog.h"

#include "info/PanelGrid.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CUpgradeDialog, CDialog)
ON_BN_CLICKED(IDCANCEL, OnCancelButton)
END_MESSAGE_MAP()

void CUpgradeDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UPGRADE_BUTTON, upgradeButton);
}

BOOL CUpgradeDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    infoGrid.AttachToDialogItem(IDC_UPGRADE_GRID, this);
    const CRect frame = info::ControlRect(*this, IDC_UPGRADE_GRID_FRAME);
    infoGrid.MoveWindow(&frame, TRUE);
    infoGrid.ShowWindow(SW_SHOW);
    // One column, two rows of 25 pixels, no top heading; the labels left-aligned in the side heading.
    infoGrid.SetColumnCount(1, FALSE);
    infoGrid.SetRowCount(2, FALSE);
    infoGrid.ResizeColumn(-1, 150);
    infoGrid.ResizeColumn(0, 200);
    infoGrid.ResizeRow(-1, 0);
    const int font = infoGrid.RegisterFont(L"Arial ", 16, 1);
    static const LPCWSTR kLabels[] = {L"Model Name", L"Firmware Version"};
    for (int row = 0; row < 2; ++row) {
        infoGrid.ResizeRow(row, 25);
        infoGrid.SetCellText(-1, row, kLabels[row]);
        infoGrid.SetCellAlignment(-1, row, 1 | info::kVerticalCentre);
        infoGrid.SetCellAlignment(0, row, info::kVerticalCentre);
        infoGrid.SetCellFont(-1, row, font);
        infoGrid.SetCellFont(0, row, font);
    }
    SetWindowText(L"Upgrade Firmware");
    downloadRunning = false;
    return TRUE;
}

bool CUpgradeDialog::SetMode(int newMode) {
    mode = newMode;
    if (infoGrid.GetSafeHwnd()) {
        infoGrid.SetCellText(-1, 1, mode == kFpga ? L"FPGA Version" : L"FW Version");
        infoGrid.Invalidate();
    }
    return true;
}

void CUpgradeDialog::SetInfoText(int row, const CString& text) {
    if (infoGrid.GetSafeHwnd() == nullptr) return;
    infoGrid.SetCellText(0, row, text);
    infoGrid.Invalidate();
}

CString CUpgradeDialog::InfoText(int row) {
    CString text;
    if (infoGrid.GetSafeHwnd()) infoGrid.CopyCellText(0, row, &text);
    return text;
}

void CUpgradeDialog::OnDownloadStatus(uint16_t, uint16_t, uint16_t) {
    // Downloads start from this page's Upgrade, which comes with the upgrade page: until then none
    // runs and every status message is ignored.
    if (!downloadRunning) return;
}

void CUpgradeDialog::OnCancelButton() {
    if ((::GetAsyncKeyState(VK_ESCAPE) & 0x8000) || (::GetAsyncKeyState(VK_RETURN) & 0x8000)) return;
    CDialog::OnCancel();
}
