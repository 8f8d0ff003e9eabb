#include "DemoDialog.h"

BEGIN_MESSAGE_MAP(CColourSwatch, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

void CColourSwatch::SetColour(COLORREF colour) {
    m_colour = colour;
    m_brush.DeleteObject();
    if (m_hWnd != nullptr) Invalidate();
}

HBRUSH CColourSwatch::CtlColor(CDC* pDC, UINT) {
    if (m_brush.m_hObject == nullptr) m_brush.CreateSolidBrush(m_colour);
    pDC->SetBkColor(m_colour);
    return m_brush;
}

BEGIN_MESSAGE_MAP(CDemoDialog, CDialog)
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_EN_CHANGE(IDC_NAME, OnNameChanged)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_MODE_A, IDC_MODE_C, OnModeClicked)
    ON_WM_TIMER()
END_MESSAGE_MAP()

void CDemoDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NAME, m_name);
    DDX_Text(pDX, IDC_COUNT, m_count);
    DDX_Check(pDX, IDC_ENABLED, m_enabled);
    DDX_Radio(pDX, IDC_MODE_A, m_mode);
    DDX_Control(pDX, IDC_STATUS, m_status);
    DDX_Control(pDX, IDC_LOG, m_log);
    DDX_Control(pDX, IDC_SWATCH, m_swatch);
}

BOOL CDemoDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_log.AddString(L"init");
    return TRUE;
}

BOOL CDemoDialog::PreTranslateMessage(MSG* pMsg) {
    // Escape must not close this dialog: it is counted and swallowed before the dialog manager sees it.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        ++m_escapesSwallowed;
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDemoDialog::OnApply() {
    if (!UpdateData(TRUE)) return;
    ++m_applies;
    CString status;
    status.Format(IDS_GREETING, m_name.GetString());
    status.AppendFormat(L" x%d", m_count);
    m_status.SetWindowText(status);
    m_log.AddString(L"apply");
    // The first apply counts three quick ticks.
    if (m_applies == 1) SetTimer(1, 10);
}

void CDemoDialog::OnNameChanged() { ++m_nameChanges; }

void CDemoDialog::OnModeClicked(UINT nID) {
    static const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255)};
    m_swatch.SetColour(colours[nID - IDC_MODE_A]);
}

void CDemoDialog::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != 1) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    if (++m_ticks == 3) {
        KillTimer(1);
        m_log.AddString(L"ticks");
    }
}
