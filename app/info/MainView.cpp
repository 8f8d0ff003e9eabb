#include "info/MainView.h"

BEGIN_MESSAGE_MAP(CMainView, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CMainView::CMainView(CWnd* pParent) : CDialog(IDD, pParent) {}

void CMainView::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INFO_MAIN_PICTURE, picture);
    DDX_Control(pDX, IDC_INFO_MAIN_LOGO, logo);
}

BOOL CMainView::OnInitDialog() {
    CDialog::OnInitDialog();
    picture.SetBitmap(IDB_INFO_MAIN_PICTURE);
    logo.SetBitmap(IDB_INFO_LOGO);
    return TRUE;
}

HBRUSH CMainView::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(backBrush_.GetSafeHandle());
}
