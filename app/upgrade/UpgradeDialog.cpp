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
    static const LPCWSTR kLabels[] = {L"Model Name", L"Firmware Version"};
    info::IdentityGridLayout layout;
    layout.rows = 2;
    layout.rowHeight = 25;
    layout.sideHeadingWidth = 150;
    layout.valueColumnWidth = 200;
    layout.fontFace = L"Arial ";
    layout.sideLabels = kLabels;
    info::LayOutIdentityGrid(infoGrid, layout);
    for (int row = 0; row < 2; ++row) infoGrid.SetCellAlignment(-1, row, 1 | info::kVerticalCentre);
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
