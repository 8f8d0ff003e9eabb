#include "info/About.h"

#include "info/AboutHandOver.h"
#include "info/PanelGrid.h"

CAbout::CAbout(CWnd* pParent) : CDialog(IDD, pParent) {}

void CAbout::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CAbout::OnInitDialog() {
    CDialog::OnInitDialog();
    textFont_.CreatePointFont(81, L"Arial");
    for (int id : {IDC_INFO_ABOUT_PRODUCT, IDC_INFO_ABOUT_COPYRIGHT, IDC_INFO_ABOUT_RIGHTS})
        if (CWnd* text = GetDlgItem(id)) text->SetFont(&textFont_);
    SetDlgItemText(IDC_INFO_ABOUT_PRODUCT, CString(L"QT714-NIC \t") + info::kProgramVersion);

    // The grid takes the frame's right less 32 pixels as its width, the bottom less 120 as its height.
    const info::IdentityGridLayout layout = {
        IDC_INFO_ABOUT_GRID, IDC_INFO_ABOUT_FRAME, 32, 120, kRowHeight, kSideHeadingWidth, kValueColumnWidth, L"Arial",
    };
    info::PlaceIdentityGrid(*this, aboutGrid, layout);
    return TRUE;
}
