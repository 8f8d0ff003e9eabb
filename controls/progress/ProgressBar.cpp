#include "progress/ProgressBar.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CProgressBar, CDialog)

BEGIN_MESSAGE_MAP(CProgressBar, CDialog)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CProgressBar::CProgressBar(CWnd* pParent) : CDialog(IDD, pParent) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void CProgressBar::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_PANEL_BAR, m_progress);
}

BOOL CProgressBar::OnInitDialog() {
    CDialog::OnInitDialog();
    m_stepTotal = kSteps;
    RestartClock();
    return TRUE;
}

void CProgressBar::RestartClock() {
    m_startTime = CTime::GetCurrentTime().GetTime();
    m_elapsedSeconds = 0;
}

// Shown or hidden, the panel starts over: no steps, the full range, and a new time base.
void CProgressBar::OnShowWindow(BOOL, UINT) {
    Default();
    m_stepCount = 0;
    m_progress.SetRange(0, kSteps);
    RestartClock();
}

int CProgressBar::MeasureElapsed() {
    const __time64_t seconds = CTime::GetCurrentTime().GetTime() - m_startTime;
    m_elapsedSeconds = static_cast<int>(seconds < 0 ? 0 : seconds);
    m_progress.SetPos(m_elapsedSeconds);
    return m_elapsedSeconds;
}

void CProgressBar::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kStepTimer) return;
    m_progress.SetPos(m_stepCount);
    ++m_stepCount;
    if (m_stepCount < kSteps) return;
    KillTimer(kStepTimer);
    m_progress.SetPos(kSteps);
    m_progress.SetPos(0);
    OnOK();
}
