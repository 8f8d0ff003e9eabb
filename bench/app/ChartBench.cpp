// One refresh of the chart window (its six viewers: two line charts over a full half-hour history,
// two pies, two bar charts, each built, rendered and painted) against the paint of a grid page of
// the same size (the area the charts take), in the same run; prints both and their ratio. Then the
// window at work: its own timer redrawing the charts of one view each second with a full history,
// and the share of one core that takes (the counters' own share is counter_bench's).
#include "VGCtrl.h"
#include "charts/Chart.h"
#include "charts/ChartIds.h"
#include "charts/Refresh.h"

#include <framework/Framework.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <vector>

namespace {

constexpr int kRefreshes = 10;
constexpr int kPaints = 40;
constexpr int kRuns = 3;
constexpr int kSteadySeconds = 20;
// The area the charts fill: the bar charts' width and the pies' height.
constexpr int kAreaWidth = 779;
constexpr int kAreaHeight = 347;

double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// One more second of traffic on both ports, as the counter refresh hands it to the charts.
void AddSecond() {
    static std::vector<uint64_t> rows(charts::kCounterRows, 0);
    static int second = 0;
    for (int row = 4; row < charts::kCounterRows; ++row) rows[row] += static_cast<uint64_t>(row * 97 + second % 61);
    charts::AddChartSample(rows.data(), rows.data(), 739958.0 * 86400 + second);
    ++second;
}

// Half an hour of traffic, one sample a second (the line charts draw the two packet series ticked
// from the start).
void FillHistory() {
    for (int second = 0; second < charts::kHistorySamples; ++second) AddSecond();
}

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) { return (t.dwHighDateTime * 4294967296.0 + t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

// The chart window with its drawing in reach.
class BenchChart : public CChart {
public:
    void Refresh() {
        DrawLineChart(0);
        DrawLineChart(1);
        DrawPieCharts();
        DrawBarCharts();
        ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    // The window updating by its own timer in one view for some seconds, a sample added each second
    // as the counter refresh adds it: the share of one core its thread takes.
    double SteadyShare(UINT view, int seconds) {
        SendMessage(WM_COMMAND, view);
        charts::SetRefreshRunning(true);
        Pump();
        const double before = ThreadSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int second = 1; second <= seconds; ++second) {
            const auto due = start + std::chrono::seconds(second);
            while (std::chrono::steady_clock::now() < due) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max<long long>(left.count(), 0)), QS_ALLINPUT);
                Pump();
            }
            AddSecond();
        }
        const double share = (ThreadSeconds() - before) /
                             std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 100.0;
        charts::SetRefreshRunning(false);
        Pump();
        return share;
    }
};

}  // namespace

int main() {
    FillHistory();
    BenchChart chart;
    if (!chart.Create(IDD_CHART, nullptr)) {
        std::printf("the chart window could not be made\n");
        return 1;
    }
    chart.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    chart.ShowWindow(SW_SHOW);
    Pump();

    CWnd host;
    host.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                  L"grid page", WS_POPUP | WS_VISIBLE, 0, 0, kAreaWidth, kAreaHeight, nullptr, nullptr);
    CVGCtrl grid;
    grid.Create(AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW)), nullptr, WS_CHILD | WS_VISIBLE,
                CRect(0, 0, kAreaWidth, kAreaHeight), &host, 100);
    grid.SetDefaultFont(grid.RegisterFont(L"Tahoma", -11, 400));
    const int columns = kAreaWidth / 75 + 1, rows = kAreaHeight / 20 + 1;
    grid.SetColumnCount(columns, 0);
    grid.SetRowCount(rows, 0);
    wchar_t text[32];
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            std::swprintf(text, 32, L"R%d C%d", row, column);
            grid.SetCellText(column, row, text);
        }
    }
    grid.RecalcLayout();
    Pump();

    double refresh = 1e300, page = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        refresh = std::min(refresh, Milliseconds([&] {
                                        for (int i = 0; i < kRefreshes; ++i) chart.Refresh();
                                    }) / kRefreshes);
        Pump();
        page = std::min(page, Milliseconds([&] {
                                  for (int i = 0; i < kPaints; ++i) {
                                      grid.CellArea().Invalidate(FALSE);
                                      grid.CellArea().UpdateWindow();
                                  }
                              }) / kPaints);
        Pump();
    }
    std::printf("chart window refresh (six viewers, %d samples) against a grid page of %d x %d pixels, best of %d runs\n",
                charts::kHistorySamples, kAreaWidth, kAreaHeight, kRuns);
    std::printf("%-28s %12s %12s %8s\n", "work", "chart ms", "grid ms", "ratio");
    std::printf("%-28s %12.3f %12.3f %8.2f\n", "one refresh / one paint", refresh, page, refresh / page);
    std::printf("the window updating each second with a full history, share of one core (its thread, %d s a view):\n",
                kSteadySeconds);
    const std::pair<UINT, const char*> views[] = {
        {ID_CHART_LINE, "line charts"}, {ID_CHART_PIE, "pies"}, {ID_CHART_BAR, "bar charts"}};
    for (const auto& [view, what] : views) std::printf("  %-26s %6.2f %%\n", what, chart.SteadyShare(view, kSteadySeconds));
    chart.DestroyWindow();
    return 0;
}
