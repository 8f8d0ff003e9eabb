#include "capture/CaptureReport.h"

#include "res/resource.h"

void CCaptureReport::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CAPTURE_LIST, captureList);
}

BOOL CCaptureReport::OnInitDialog() {
    CDialog::OnInitDialog();
    captureList.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    CRect client;
    captureList.GetClientRect(&client);
    const int w = client.Width();
    captureList.InsertColumn(0, L"No.", LVCFMT_LEFT, w / 11);
    captureList.InsertColumn(1, L"Destination", LVCFMT_LEFT, w / 6);
    captureList.InsertColumn(2, L"Source", LVCFMT_LEFT, w / 6);
    captureList.InsertColumn(3, L"Length", LVCFMT_LEFT, w / 13);
    captureList.InsertColumn(4, L"Type", LVCFMT_LEFT, w / 13);
    captureList.InsertColumn(5, L"Data", LVCFMT_LEFT, w / 3 + 62);
    return TRUE;
}

void CCaptureReport::InsertRow(int row, const CString (&columns)[6]) {
    const int item = captureList.InsertItem(row, columns[0]);
    for (int column = 1; column < 6; ++column) captureList.SetItemText(item, column, columns[column]);
}
