#include "info/System.h"

#include "info/PanelGrid.h"

CSystem::CSystem(CWnd* pParent) : CDialog(IDD, pParent) {}

void CSystem::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INFO_SYSTEM_PICTURE, picture);
    DDX_Control(pDX, IDC_INFO_SYSTEM_LOGO, logo);
}

BOOL CSystem::OnInitDialog() {
    CDialog::OnInitDialog();
    picture.SetBitmap(IDB_INFO_SYSTEM_PICTURE);
    logo.SetBitmap(IDB_INFO_LOGO);

    // The grid's width and height count from the frame's right and bottom coordinates, not its size.
    const CRect frame = info::ControlRect(*this, IDC_INFO_SYSTEM_FRAME);
    infoGrid.AttachToDialogItem(IDC_INFO_SYSTEM_GRID, this);
    infoGrid.MoveWindow(frame.left + 2, frame.top + 2, frame.right - 57, frame.bottom - 70);

    info::IdentityGridLayout layout;
    layout.rows = kIdentityRows;
    layout.rowHeight = kRowHeight;
    layout.sideHeadingWidth = kSideHeadingWidth;
    layout.valueColumnWidth = kValueColumnWidth;
    layout.fontFace = L"Arial ";
    info::LayOutIdentityGrid(infoGrid, layout);
    return TRUE;
}
