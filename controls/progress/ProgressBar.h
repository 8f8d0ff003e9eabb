// CProgressBar: a small modeless panel (template 336) with a progress bar of 35 steps and a line of
// text, shown while something slow runs (media detection, the USB identity check).
//
// Besides its step count it keeps a clock for whoever drives it from outside (the device event
// handler): the time the panel was last shown or hidden, the seconds since then, and the limit in
// seconds after which the wait counts as failed.
#pragma once

#include <framework/Framework.h>

#include "progress/ProgressBarResources.h"

class CProgressBar : public CDialog {
    DECLARE_DYNAMIC(CProgressBar)
public:
    enum { IDD = IDD_PROGRESS_PANEL };
    // Steps of the bar, and seconds before a wait counts as failed.
    static constexpr int kSteps = 35;
    // The panel's own stepping timer (started by whoever wants the bar to run by itself).
    static constexpr UINT_PTR kStepTimer = 1;

    explicit CProgressBar(CWnd* pParent = nullptr);

    BOOL Create(CWnd* pParentWnd = nullptr) { return CDialog::Create(IDD, pParentWnd); }
    BOOL OnInitDialog() override;

    // Seconds since the panel was last shown or hidden, stored as elapsedSeconds and shown on the bar.
    int MeasureElapsed();
    // True once elapsedSeconds has reached the limit.
    bool LimitReached() const { return m_elapsedSeconds >= m_limitSeconds; }

    CProgressCtrl m_progress;
    int m_stepCount = 0;   // steps taken since the panel was last shown
    int m_stepTotal = 0;   // kSteps once the panel exists

    __time64_t StartTime() const { return m_startTime; }
    int ElapsedSeconds() const { return m_elapsedSeconds; }
    int LimitSeconds() const { return m_limitSeconds; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    void RestartClock();

    __time64_t m_startTime = 0;
    int m_elapsedSeconds = 0;
    int m_limitSeconds = kSteps;
};
