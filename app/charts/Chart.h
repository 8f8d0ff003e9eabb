// CChart: the chart window (template 251, "Chart"). It draws the traffic of "Port A -> B" and
// "Port B -> A" from the shared chart data: pies of the frame-size classes, floating bars of the
// frame types, and line charts of the series ticked in the two series grids, in six viewers. The
// Update button refreshes it (and the live counter window) once a second; with Update off the two
// history pickers compare two earlier samples. Whether the refresh runs is charts::RefreshRunning,
// which this window follows.
#pragma once

#include "charts/ChartDrawing.h"
#include "chart/ChartPane.h"
#include "grids/ChartGrid.h"
#include "grids/ChartGrid1.h"

#include <framework/Framework.h>

#include <string>

class CChart : public CDialog {
public:
    enum { IDD = 251 };
    static constexpr UINT_PTR kUpdateTimer = 1;

    explicit CChart(CWnd* pParent = nullptr);
    ~CChart() override;

    // Draws both pies or both bar charts from the chart data as it is now. A viewer nobody sees
    // (its mode not chosen, the window hidden) is left as it is and costs nothing: a mode change or
    // the window's showing draws it. A viewer whose picture would come out the same keeps it (a
    // pie of totals' shares changes slowly) and only takes the new tips.
    void DrawPieCharts();
    void DrawBarCharts();
    // Draws the line chart of one direction (0 "Port A -> B", 1 "Port B -> A"), when it is seen.
    void DrawLineChart(int port);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The window lives as long as the main dialog: closing it only hides it.
    void OnOK() override;
    void OnCancel() override;

    void OnLineChart();
    void OnPieChart();
    void OnBarChart();
    void OnForeword();
    void OnUpdateToggle();
    void OnLineViewAChanged();
    void OnLineViewBChanged();
    void OnTimer(UINT_PTR nIDEvent);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnPickSample();
    void OnScaleA();
    void OnScaleB();
    void OnParentNotify(UINT message, LPARAM lParam);
    void OnDestroy();
    BOOL OnToolTipText(UINT id, NMHDR* header, LRESULT* result);

    CToolBar m_toolBar;
    CImageList m_toolBarImages;
    CChartPane m_lineViewA, m_lineViewB;
    CChartPane m_pieViewA, m_pieViewB;
    CChartPane m_barViewA, m_barViewB;
    ChartGrid m_seriesGridA;
    ChartGrid1 m_seriesGridB;
    CPen m_checkBorderPen;
    CComboBox m_fromSample, m_toSample;
    CButton m_scaleA, m_scaleB;
    CEdit m_scaleLowA, m_scaleHighA, m_scaleLowB, m_scaleHighB;
    // The axis-scale flags: the line chart of the port keeps to its bounds while set.
    bool m_axisScale[charts::kPorts] = {};
    // The look of the picture each pie and bar viewer shows (empty: none drawn yet).
    std::string m_pieLooks[charts::kPorts], m_barLooks[charts::kPorts];

    DECLARE_MESSAGE_MAP()

private:
    enum class Mode { kLine, kPie, kBar };
    void ShowMode(Mode mode);
    void RedrawShownCharts();
    void ApplyScaleSwitch(int port);
    void SetUpSeriesGrid(ChartGrid& grid, int placeholder, int frame);
    // Spreads the layout below the toolbar out, and the window with it, where the dialog's font left
    // a chart or a series list less room than its pixels take.
    void MakeRoomForCharts();
    charts::LineChoice LineChoiceOf(int port);
    void SetToolBarImages(HWND toolBar, CImageList& images, UINT bitmap);
    // Hands the laid-out chart to the viewer to draw unless the viewer shows a picture of its look.
    static void ShowIfChanged(CChartPane& viewer, BaseChart& chart, const std::string& look, std::string& shownLook);
    // The chart data's news: a new sample (its time goes to both pickers) or, as -1, a reset.
    static void OnSample(void* context, int sample, bool dropped);
    // The refresh started or stopped: the once-a-second redraw, the pickers locked while it runs,
    // the Update button and its pictures to match.
    static void OnRefreshSwitched(void* context, bool running);
    void FollowRefresh(bool running);
};
