#include "counters/CounterWindow.h"

#include "BrevixCCounters.h"
#include "main/Globals.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CCounterWindow, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

CCounterWindow::CCounterWindow(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CCounterWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    CRect area;
    GetDlgItem(IDC_COUNTER_TREE_PLACEHOLDER)->GetWindowRect(&area);
    ScreenToClient(&area);
    counterTree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | 0x1087, area, this, IDC_DEVICE_TREE);
    if (m_treeImages.Create(IDB_TREE_IMAGES, 16, 1, RGB(140, 0, 140))) {
        counterTree.SetImageList(&m_treeImages, TVSIL_NORMAL);
    }
    counterTree.InsertColumn(0, L"", LVCFMT_LEFT, 221);
    counterTree.InsertColumn(1, port == 0 ? L"Port A" : L"Port B", LVCFMT_LEFT, 130);
    static const wchar_t* const kLabels[kLinkRowCount] = {L"Link ", L"Speed ", L"Type ", L"Flow Control "};
    static const int kImages[kLinkRowCount] = {kImageLinkUp, kImage1000M, kImageCopper, 0};
    for (int row = 0; row < kLinkRowCount; ++row) {
        m_rowItems[row] = counterTree.InsertItem(kLabels[row], kImages[row], kImages[row], TVI_ROOT, TVI_LAST);
        counterTree.SetItemText(m_rowItems[row], L"0", 1);
    }
    return TRUE;
}

void CCounterWindow::OnTimer(UINT_PTR) {}

void CCounterWindow::SetRowLabel(Row row, const CString& text) { counterTree.SetItemText(m_rowItems[row], text, 0); }

void CCounterWindow::SetRowValue(Row row, const CString& text) { counterTree.SetItemText(m_rowItems[row], text, 1); }

void CCounterWindow::SetRowImage(Row row, int image) { counterTree.SetItemImage(m_rowItems[row], image, image); }

CString CCounterWindow::RowValue(Row row) const {
    LPCWSTR text = counterTree.GetItemText(m_rowItems[row], 1);
    return text ? CString(text) : CString();
}

void CCounterWindow::SetPortHeading(const CString& text) { counterTree.SetColumnText(1, text); }

void CCounterWindow::ClearAll() {
    if (!IsDemoMode()) BrevixC_ClearCounterStatistics(static_cast<uint8_t>(port));
}
