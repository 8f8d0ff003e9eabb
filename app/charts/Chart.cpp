#include "charts/Chart.h"

#include "charts/ChartIds.h"
#include "charts/Refresh.h"

#include "VGCell.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace charts;

namespace {

constexpr COLORREF kImageMask = RGB(140, 0, 140);
constexpr UINT_PTR kSeriesRedrawTimer = 2;
// Not a timer: the message that brings a shown window's charts up to date once it is on the screen.
constexpr UINT_PTR kShownRedraw = 3;
// Long enough for a click in a series grid to have ticked or unticked its box.
constexpr UINT kSeriesRedrawDelay = 100;

constexpr int kBoundsEdits[] = {IDC_CHART_SCALE_A_LOW, IDC_CHART_SCALE_A_HIGH, IDC_CHART_SCALE_B_LOW,
                                IDC_CHART_SCALE_B_HIGH};

// A sample's time of day as the pickers list it: chart times count from a midnight.
CString SampleTimeText(double chartTime) {
    const long long seconds = static_cast<long long>(std::floor(std::fmod(chartTime, 86400.0)));
    CString text;
    text.Format(L"%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// The text after the first line break of a string resource (the whole text without one).
CString TipOfCommand(UINT id) {
    CString text;
    if (id == 0 || !text.LoadString(id)) return CString();
    const int lineBreak = text.Find(L'\n');
    return lineBreak >= 0 ? text.Mid(lineBreak + 1) : text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CChart, CDialog)
    ON_COMMAND(ID_CHART_LINE, OnLineChart)
    ON_COMMAND(ID_CHART_PIE, OnPieChart)
    ON_COMMAND(ID_CHART_BAR, OnBarChart)
    ON_COMMAND(ID_CHART_FOREWORD, OnForeword)
    ON_COMMAND(ID_CHART_FOREWORD2, OnForeword)
    ON_COMMAND(ID_CHART_UPDATE, OnUpdateToggle)
    ON_CONTROL(CChartPane::kViewPortChanged, IDC_CHART_LINE_A, OnLineViewAChanged)
    ON_CONTROL(CChartPane::kViewPortChanged, IDC_CHART_LINE_B, OnLineViewBChanged)
    ON_WM_TIMER()
    ON_WM_SHOWWINDOW()
    ON_CBN_SELCHANGE(IDC_CHART_FROM_SAMPLE, OnPickSample)
    ON_CBN_SELCHANGE(IDC_CHART_TO_SAMPLE, OnPickSample)
    ON_BN_CLICKED(IDC_CHART_SCALE_A, OnScaleA)
    ON_BN_CLICKED(IDC_CHART_SCALE_B, OnScaleB)
    ON_WM_PARENTNOTIFY()
    ON_WM_DESTROY()
    ON_NOTIFY_EX_RANGE(TTN_GETDISPINFOA, 0, 0xFFFF, OnToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_GETDISPINFOW, 0, 0xFFFF, OnToolTipText)
END_MESSAGE_MAP()

CChart::CChart(CWnd* pParent) : CDialog(IDD_CHART, pParent) {}

CChart::~CChart() { SetChartSampleListener(nullptr, nullptr); }

void CChart::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CHART_LINE_A, m_lineViewA);
    DDX_Control(pDX, IDC_CHART_LINE_B, m_lineViewB);
    DDX_Control(pDX, IDC_CHART_PIE_A, m_pieViewA);
    DDX_Control(pDX, IDC_CHART_PIE_B, m_pieViewB);
    DDX_Control(pDX, IDC_CHART_BAR_A, m_barViewA);
    DDX_Control(pDX, IDC_CHART_BAR_B, m_barViewB);
    DDX_Control(pDX, IDC_CHART_FROM_SAMPLE, m_fromSample);
    DDX_Control(pDX, IDC_CHART_TO_SAMPLE, m_toSample);
    DDX_Control(pDX, IDC_CHART_SCALE_A, m_scaleA);
    DDX_Control(pDX, IDC_CHART_SCALE_B, m_scaleB);
    DDX_Control(pDX, IDC_CHART_SCALE_A_LOW, m_scaleLowA);
    DDX_Control(pDX, IDC_CHART_SCALE_A_HIGH, m_scaleHighA);
    DDX_Control(pDX, IDC_CHART_SCALE_B_LOW, m_scaleLowB);
    DDX_Control(pDX, IDC_CHART_SCALE_B_HIGH, m_scaleHighB);
}

BOOL CChart::OnInitDialog() {
    CDialog::OnInitDialog();
    GetDlgItem(IDC_CHART_LINE_NOTE)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_CHART_COMPARE_NOTE)->ShowWindow(SW_HIDE);

    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS, CRect(5, 5, 0, 0)) ||
        !m_toolBar.LoadToolBar(IDR_CHART_TOOLBAR)) {
        return FALSE;
    }
    // The style word keeps each button's state (enabled) in its high half.
    m_toolBar.SetButtonStyle(0, (m_toolBar.GetButtonStyle(0) & 0xFFFF0000u) | TBSTYLE_CHECK);
    for (int index = 2; index <= 4; ++index) {
        m_toolBar.SetButtonStyle(index, (m_toolBar.GetButtonStyle(index) & 0xFFFF0000u) | TBSTYLE_CHECKGROUP);
    }
    m_toolBar.CheckButton(ID_CHART_LINE);
    SetToolBarImages(m_toolBar.GetSafeHwnd(), m_toolBarImages, IDB_CHART_TOOLBAR);
    // The resource's 40 x 28 buttons, with room below the small images for the button texts.
    m_toolBar.SetSizes(CSize(47, 42), CSize(16, 16));
    m_toolBar.SetButtonText(0, L"Update");
    m_toolBar.SetButtonText(2, L"   Line  ");
    m_toolBar.SetButtonText(3, L"Pie");
    m_toolBar.SetButtonText(4, L"Bar");
    m_toolBar.ShowWindow(SW_SHOW);
    m_toolBar.Reposition();

    m_checkBorderPen.CreatePen(PS_SOLID, 1, RGB(255, 128, 128));
    SetUpSeriesGrid(m_seriesGridA, IDC_CHART_GRID_A, IDC_CHART_GRID_A_FRAME);
    SetUpSeriesGrid(m_seriesGridB, IDC_CHART_GRID_B, IDC_CHART_GRID_B_FRAME);
    MakeRoomForCharts();

    chartData.timeOrigin = ChartTimeNow();
    // The pickers list every sample of the history: those taken before this window was made too.
    for (int sample = 0; sample < chartData.samples; ++sample) OnSample(this, sample, false);
    SetChartSampleListener(&CChart::OnSample, this);

    m_lineViewA.requestViewUpdate(true, false);
    m_lineViewB.requestViewUpdate(true, false);
    for (CChartPane* viewer : {&m_pieViewA, &m_pieViewB, &m_barViewA, &m_barViewB}) viewer->ShowWindow(SW_HIDE);

    SetDlgItemText(IDC_CHART_SCALE_A_LOW, L"0");
    SetDlgItemText(IDC_CHART_SCALE_A_HIGH, L"1000");
    SetDlgItemText(IDC_CHART_SCALE_B_LOW, L"0");
    SetDlgItemText(IDC_CHART_SCALE_B_HIGH, L"1000");
    for (int id : {IDC_CHART_FROM_SAMPLE, IDC_CHART_TO_SAMPLE, IDC_CHART_SCALE_A_LOW, IDC_CHART_SCALE_A_HIGH,
                   IDC_CHART_SCALE_B_HIGH, IDC_CHART_SCALE_B_LOW}) {
        GetDlgItem(id)->EnableWindow(FALSE);
    }
    charts::FollowRefresh(&CChart::OnRefreshSwitched, this);
    return TRUE;
}

void CChart::OnDestroy() {
    charts::StopFollowingRefresh(this);
    CDialog::OnDestroy();
}

void CChart::OnOK() { ShowWindow(SW_HIDE); }
void CChart::OnCancel() { ShowWindow(SW_HIDE); }

void CChart::SetToolBarImages(HWND toolBar, CImageList& images, UINT bitmap) {
    CImageList fresh;
    if (!fresh.Create(bitmap, 16, 1, kImageMask)) return;
    ::SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(fresh.GetSafeHandle()));
    // The toolbar now shows the new list; the old one may go.
    images.DeleteImageList();
    images.Attach(fresh.Detach());
}

void CChart::SetUpSeriesGrid(ChartGrid& grid, int placeholder, int frame) {
    grid.AttachToDialogItem(static_cast<UINT>(placeholder), this);
    CRect place;
    GetDlgItem(frame)->GetWindowRect(&place);
    ScreenToClient(&place);
    grid.MoveWindow(&place);
    // The template's frame comes first, above the list: under it, the list takes the pointer.
    GetDlgItem(frame)->SetWindowPos(&grid, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    grid.SetColumnCount(3, FALSE);
    grid.SetRowCount(kLineSeries, FALSE);
    grid.SetSideHeadingWidth(0);
    grid.SetTopHeadingHeight(0);
    grid.ResizeColumn(0, 20);
    grid.ResizeColumn(1, 20);
    grid.ResizeColumn(2, 98);
    for (int row = 0; row < kLineSeries; ++row) {
        CVGCell box;
        grid.GetStoredCell(0, row, &box);
        box.PutBorderPen(&m_checkBorderPen);
        // The packet series are drawn from the start; the others wait for their tick.
        box.PutNumber(row <= 1 ? 1 : 0);
        grid.StoreCell(0, row, &box);
        grid.SetCellTypeStyle(0, row, 0x1000);
        grid.SetCellTypeIndex(0, row, 2);
        grid.SetCellBackColor(1, row, kLineSeriesColors[row] & 0xFFFFFF);
        grid.SetCellText(2, row, CString(kLineSeriesNames[row]).GetString());
    }
}

void CChart::MakeRoomForCharts() {
    // The template places the viewers and the series lists in dialog units, which the dialog's font
    // scales; the charts and the lists' columns are pixels. With a font narrower than the window was
    // drawn for, a line chart would lie over its series list and the pies and bars would run past
    // the window's edge: the whole layout below the toolbar is then spread out until every chart
    // and list has its pixels, and the window grows with it. A list needs the width of its
    // columns; its rows scroll.
    int listWidth = 0;
    for (int column = 0; column < m_seriesGridA.QueryColumnCount(); ++column)
        listWidth += m_seriesGridA.QueryColumnWidth(column);
    struct Need {
        int id;
        int width;
        int height;
    };
    const Need needs[] = {
        {IDC_CHART_LINE_A, kLineChartWidth, kLineChartHeight},
        {IDC_CHART_LINE_B, kLineChartWidth, kLineChartHeight},
        {IDC_CHART_PIE_A, kPieChartWidths[0], kPieChartHeight},
        {IDC_CHART_PIE_B, kPieChartWidths[1], kPieChartHeight},
        {IDC_CHART_BAR_A, kBarChartWidth, kBarChartHeight},
        {IDC_CHART_BAR_B, kBarChartWidth, kBarChartHeight},
        {IDC_CHART_GRID_A_FRAME, listWidth + 4, 0},
        {IDC_CHART_GRID_B_FRAME, listWidth + 4, 0},
    };
    double spreadX = 1.0, spreadY = 1.0;
    for (const Need& need : needs) {
        CWnd* control = GetDlgItem(need.id);
        if (control == nullptr) continue;
        CRect place;
        control->GetWindowRect(&place);
        if (place.Width() > 0) spreadX = std::max(spreadX, double(need.width) / place.Width());
        if (place.Height() > 0) spreadY = std::max(spreadY, double(need.height) / place.Height());
    }
    if (spreadX == 1.0 && spreadY == 1.0) return;

    // Below the toolbar: from the top of the charts down.
    CRect first;
    GetDlgItem(IDC_CHART_LINE_A)->GetWindowRect(&first);
    ScreenToClient(&first);
    const int top = first.top;
    const auto spread = [&](int value, double factor, int origin) {
        return origin + static_cast<int>(std::ceil((value - origin) * factor));
    };
    for (CWnd* child = GetWindow(GW_CHILD); child != nullptr; child = child->GetWindow(GW_HWNDNEXT)) {
        if (child->GetSafeHwnd() == m_toolBar.GetSafeHwnd()) continue;
        CRect place;
        child->GetWindowRect(&place);
        ScreenToClient(&place);
        if (place.bottom <= top) continue;
        const CRect spreadOut(spread(place.left, spreadX, 0), spread(place.top, spreadY, top),
                              spread(place.right, spreadX, 0), spread(place.bottom, spreadY, top));
        child->MoveWindow(&spreadOut, FALSE);
    }
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    const int wider = spread(client.right, spreadX, 0) - client.right;
    const int taller = spread(client.bottom, spreadY, top) - client.bottom;
    SetWindowPos(nullptr, 0, 0, window.Width() + wider, window.Height() + taller,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

// ---- Modes ---------------------------------------------------------------------------------------

void CChart::ShowMode(Mode mode) {
    const bool line = mode == Mode::kLine, pie = mode == Mode::kPie, bar = mode == Mode::kBar;
    auto show = [](CWnd* window, bool shown) { window->ShowWindow(shown ? SW_SHOW : SW_HIDE); };
    for (CWnd* window : {static_cast<CWnd*>(&m_lineViewA), static_cast<CWnd*>(&m_lineViewB),
                         static_cast<CWnd*>(&m_seriesGridA), static_cast<CWnd*>(&m_seriesGridB),
                         GetDlgItem(IDC_CHART_GRID_A_FRAME), GetDlgItem(IDC_CHART_GRID_B_FRAME),
                         GetDlgItem(IDC_CHART_LINE_NOTE)}) {
        show(window, line);
    }
    show(&m_pieViewA, pie);
    show(&m_pieViewB, pie);
    show(&m_barViewA, bar);
    show(&m_barViewB, bar);
    show(GetDlgItem(IDC_CHART_COMPARE_NOTE), !line);
    // The axis scales belong to the line charts.
    if (!line) {
        for (int id : {IDC_CHART_SCALE_A, IDC_CHART_SCALE_B, IDC_CHART_SCALE_A_LOW, IDC_CHART_SCALE_A_HIGH,
                       IDC_CHART_SCALE_B_HIGH, IDC_CHART_SCALE_B_LOW}) {
            GetDlgItem(id)->EnableWindow(FALSE);
        }
    }
}

void CChart::OnLineChart() {
    ShowMode(Mode::kLine);
    OnForeword();
    m_scaleA.EnableWindow(TRUE);
    m_scaleB.EnableWindow(TRUE);
    ApplyScaleSwitch(0);
    ApplyScaleSwitch(1);
}

void CChart::OnPieChart() {
    ShowMode(Mode::kPie);
    DrawPieCharts();
}

void CChart::OnBarChart() {
    ShowMode(Mode::kBar);
    DrawBarCharts();
}

void CChart::OnForeword() {
    m_lineViewA.requestViewUpdate(true, false);
    m_lineViewB.requestViewUpdate(true, false);
}

// ---- Axis scales ---------------------------------------------------------------------------------

void CChart::ApplyScaleSwitch(int port) {
    CButton& check = port == 0 ? m_scaleA : m_scaleB;
    const bool on = check.GetCheck() == BST_CHECKED;
    (port == 0 ? m_scaleLowA : m_scaleLowB).EnableWindow(on);
    (port == 0 ? m_scaleHighA : m_scaleHighB).EnableWindow(on);
    m_axisScale[port] = on;
}

void CChart::OnScaleA() {
    ApplyScaleSwitch(0);
    m_lineViewA.requestViewUpdate(true, false);
}

void CChart::OnScaleB() {
    ApplyScaleSwitch(1);
    m_lineViewB.requestViewUpdate(true, false);
}

// ---- Drawing -------------------------------------------------------------------------------------

void CChart::DrawPieCharts() {
    CChartPane* viewers[kPorts] = {&m_pieViewA, &m_pieViewB};
    for (int port = 0; port < kPorts; ++port) {
        if (!viewers[port]->IsWindowVisible()) continue;
        std::unique_ptr<PieChart> pie = BuildPieChart(port, chartData);
        pie->layOutChart();
        ShowIfChanged(*viewers[port], *pie, PieLook(*pie), m_pieLooks[port]);
        viewers[port]->loadHotSpotMap(pie->getHTMLImageMap("", "", kPieTipFormat));
    }
}

void CChart::DrawBarCharts() {
    CChartPane* viewers[kPorts] = {&m_barViewA, &m_barViewB};
    for (int port = 0; port < kPorts; ++port) {
        if (!viewers[port]->IsWindowVisible()) continue;
        std::unique_ptr<XYChart> bars = BuildBarChart(port, chartData);
        bars->layOutChart();
        ShowIfChanged(*viewers[port], *bars, BarLook(*bars, port, chartData), m_barLooks[port]);
        viewers[port]->loadHotSpotMap(bars->getHTMLImageMap("", "", kBarTipFormat));
    }
}

void CChart::ShowIfChanged(CChartPane& viewer, BaseChart& chart, const std::string& look, std::string& shownLook) {
    if (look == shownLook && viewer.GetBitmap() != nullptr) return;
    viewer.showChart(&chart);
    // A chart that could not be drawn leaves no look behind: the next one is drawn.
    shownLook = viewer.GetBitmap() != nullptr ? look : std::string();
}

LineChoice CChart::LineChoiceOf(int port) {
    ChartGrid& grid = port == 0 ? m_seriesGridA : m_seriesGridB;
    const ChartGrid::SeriesMarks& marks = port == 0 ? ChartGrid::seriesMarks : ChartGrid1::seriesMarks;
    LineChoice choice;
    for (int s = 0; s < kLineSeries; ++s) {
        CVGCell box;
        choice.shown[s] = grid.GetSafeHwnd() != nullptr && grid.GetStoredCell(0, s, &box) == 0 && box.ReadNumber() != 0;
        if (marks[s] == 3) choice.forward = s;
    }
    choice.fixedScale = m_axisScale[port];
    choice.low = GetDlgItemInt(port == 0 ? IDC_CHART_SCALE_A_LOW : IDC_CHART_SCALE_B_LOW, nullptr, FALSE);
    choice.high = GetDlgItemInt(port == 0 ? IDC_CHART_SCALE_A_HIGH : IDC_CHART_SCALE_B_HIGH, nullptr, FALSE);
    return choice;
}

void CChart::DrawLineChart(int port) {
    CChartPane& viewer = port == 0 ? m_lineViewA : m_lineViewB;
    if (!viewer.IsWindowVisible()) return;
    std::unique_ptr<XYChart> lines = BuildLineChart(port, chartData, LineChoiceOf(port));
    viewer.showChart(lines.get());
}

void CChart::OnLineViewAChanged() { DrawLineChart(0); }
void CChart::OnLineViewBChanged() { DrawLineChart(1); }

void CChart::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kSeriesRedrawTimer) {
        KillTimer(kSeriesRedrawTimer);
        OnForeword();
        return;
    }
    if (nIDEvent == kShownRedraw) {
        RedrawShownCharts();
        return;
    }
    RedrawShownCharts();
    CDialog::OnTimer(nIDEvent);
}

void CChart::RedrawShownCharts() {
    if (!IsWindowVisible()) return;
    if (m_lineViewA.IsWindowVisible()) OnForeword();
    DrawPieCharts();
    DrawBarCharts();
}

void CChart::OnShowWindow(BOOL bShow, UINT nStatus) {
    CDialog::OnShowWindow(bShow, nStatus);
    // Shown again: the charts catch up with the seconds they skipped while hidden.
    if (bShow) PostMessage(WM_TIMER, kShownRedraw, 0);
}

void CChart::OnParentNotify(UINT message, LPARAM lParam) {
    // A press in a series grid may tick or untick a series: the line charts follow shortly after.
    if (LOWORD(message) == WM_LBUTTONDOWN && m_seriesGridA.IsWindowVisible()) SetTimer(kSeriesRedrawTimer, kSeriesRedrawDelay, nullptr);
    CDialog::OnParentNotify(message, lParam);
}

// ---- Update toggle and comparison ----------------------------------------------------------------

void CChart::OnUpdateToggle() { SetRefreshRunning(m_toolBar.IsButtonChecked(ID_CHART_UPDATE) != FALSE); }

void CChart::OnRefreshSwitched(void* context, bool running) { static_cast<CChart*>(context)->FollowRefresh(running); }

void CChart::FollowRefresh(bool running) {
    m_toolBar.CheckButton(ID_CHART_UPDATE, running ? TRUE : FALSE);
    if (running) {
        SetTimer(kUpdateTimer, 1000, nullptr);
    } else {
        KillTimer(kUpdateTimer);
    }
    m_fromSample.EnableWindow(running ? FALSE : TRUE);
    m_toSample.EnableWindow(running ? FALSE : TRUE);
    SetToolBarImages(m_toolBar.GetSafeHwnd(), m_toolBarImages, running ? IDB_CHART_TOOLBAR_UPDATING : IDB_CHART_TOOLBAR);
    Invalidate();
}

void CChart::OnPickSample() {
    const int from = m_fromSample.GetCurSel(), to = m_toSample.GetCurSel();
    // Until both pickers name a sample there is nothing to compare.
    if (from == CB_ERR || to == CB_ERR || !CompareChartSamples(from, to)) return;
    m_lineViewA.requestViewUpdate(true, false);
    m_lineViewB.requestViewUpdate(true, false);
    DrawPieCharts();
    DrawBarCharts();
}

void CChart::OnSample(void* context, int sample, bool dropped) {
    CChart& chart = *static_cast<CChart*>(context);
    if (chart.GetSafeHwnd() == nullptr) return;
    for (CComboBox* picker : {&chart.m_fromSample, &chart.m_toSample}) {
        if (sample < 0) {
            picker->ResetContent();
            continue;
        }
        if (dropped) picker->DeleteString(0);
        picker->AddString(SampleTimeText(chartData.sampleTimes[sample]).GetString());
    }
}

// ---- Keys and tips -------------------------------------------------------------------------------

BOOL CChart::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) return TRUE;
    if (pMsg->message == WM_CHAR) {
        for (int id : kBoundsEdits) {
            CWnd* edit = GetDlgItem(id);
            if (edit == nullptr || edit->GetSafeHwnd() != pMsg->hwnd) continue;
            const bool digit = pMsg->wParam >= L'0' && pMsg->wParam <= L'9';
            if (!digit && pMsg->wParam != VK_BACK) return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CChart::OnToolTipText(UINT, NMHDR* header, LRESULT* result) {
    UINT_PTR id = header->idFrom;
    const bool narrow = header->code == TTN_GETDISPINFOA;
    const UINT flags = narrow ? reinterpret_cast<NMTTDISPINFOA*>(header)->uFlags
                              : reinterpret_cast<NMTTDISPINFOW*>(header)->uFlags;
    if (flags & TTF_IDISHWND) id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));
    if (id == 0) return FALSE;
    const CString tip = TipOfCommand(static_cast<UINT>(id));
    if (narrow) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        ::WideCharToMultiByte(CP_ACP, 0, tip.GetString(), -1, info->szText, static_cast<int>(sizeof info->szText),
                              nullptr, nullptr);
        info->szText[sizeof info->szText - 1] = 0;
    } else {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        lstrcpynW(info->szText, tip.GetString(), static_cast<int>(sizeof info->szText / sizeof info->szText[0]));
    }
    *result = 0;
    ::SetWindowPos(header->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}
