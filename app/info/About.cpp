#include "info/About.h"

#include "info/AboutHandOver.h"
#include "info/PanelGrid.h"

const LPCWSTR CAbout::kRowLabels[kIdentityRows] = {
    L"Model",      L"Agent / Customer", L"S/N", L"MAC", L"PCB Version", L"API Version", L"FPGA version",
    L"FW version", L"Manufacture Date",
};

CAbout::CAbout(CWnd* pParent) : CDialog(IDD, pParent) {}

void CAbout::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CAbout::OnInitDialog() {
    CDialog::OnInitDialog();
    textFont_.CreatePointFont(81, L"Arial");
    for (int id : {IDC_INFO_ABOUT_PRODUCT, IDC_INFO_ABOUT_COPYRIGHT, IDC_INFO_ABOUT_RIGHTS})
        if (CWnd* text = GetDlgItem(id)) text->SetFont(&textFont_);
    SetDlgItemText(IDC_INFO_ABOUT_PRODUCT, CString(L"QT714-NIC \t") + info::kProgramVersion);

    // The grid's width and height count from the frame's right and bottom coordinates, not its size.
    const CRect frame = info::ControlRect(*this, IDC_INFO_ABOUT_FRAME);
    aboutGrid.AttachToDialogItem(IDC_INFO_ABOUT_GRID, this);
    aboutGrid.MoveWindow(frame.left + 2, frame.top + 2, frame.right - 32, frame.bottom - 120);

    info::IdentityGridLayout layout;
    layout.rows = kIdentityRows;
    layout.rowHeight = kRowHeight;
    layout.sideHeadingWidth = kSideHeadingWidth;
    layout.valueColumnWidth = kValueColumnWidth;
    layout.fontFace = L"Arial";
    layout.sideLabels = kRowLabels;
    info::LayOutIdentityGrid(aboutGrid, layout);
    return TRUE;
}
