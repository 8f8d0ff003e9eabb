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

    // The grid takes the frame's right less 57 pixels as its width, the bottom less 70 as its height.
    const info::IdentityGridLayout layout = {
        IDC_INFO_SYSTEM_GRID, IDC_INFO_SYSTEM_FRAME, 57,        70, kRowHeight,
        kSideHeadingWidth,    kValueColumnWidth,     L"Arial ",
    };
    info::PlaceIdentityGrid(*this, infoGrid, layout);
    return TRUE;
}
