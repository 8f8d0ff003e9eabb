// One refresh of the chart window (its six viewers: two line charts over a full half-hour history,
// two pies, two bar charts, each built, rendered and painted) against the paint of a grid page of
// the same size (the area the charts take), in the same run; prints both and their ratio. Then the
// window at work: its own timer redrawing the charts of one view each second with a full history,
// and the share of one core that takes (the counters' own share is counter_bench's). A pie or bar
// viewer whose picture would come out the same keeps it: the split prints what that costs too.
#include "MessagePump.h"
#include "VGCtrl.h"
#include "bench/Timing.h"
#include "charts/Chart.h"
#include "charts/ChartDrawing.h"
#include "charts/ChartIds.h"
#include "charts/Refresh.h"

#include <framework/Framework.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRefreshes = 10;
constexpr int kPaints = 40;
constexpr int kRuns = 3;
constexpr int kSteadySeconds = 20;
// The area the charts fill: the bar charts' width and the pies' height.
constexpr int kAreaWidth = 779;
constexpr int kAreaHeight = 347;

using bench::Milliseconds;
using bench::ThreadSeconds;

// One more second of traffic on both ports, as the counter refresh hands it to the charts.
void AddSecond() {
    static std::vector<uint64_t> rows(charts::kCounterRows, 0);
    static int second = 0;
    for (int row = 4; row < charts::kCounterRows; ++row) rows[row] += static_cast<uint64_t>(row * 97 + second % 61);
    charts::AddChartSample(rows.data(), rows.data(), 739958.0 * 86400 + second, static_cast<uint32_t>(second));
    ++second;
}

// Half an hour of traffic, one sample a second (the line charts draw the two packet series ticked
// from the start).
void FillHistory() {
    for (int second = 0; second < charts::kHistorySamples; ++second) AddSecond();
}

// Rendering one chart (the library's part of a viewer's drawing), best of a few.
double RenderMs(const std::function<std::unique_ptr<BaseChart>()>& make) {
    double best = 1e300;
    for (int run = 0; run < kRefreshes; ++run) {
        std::unique_ptr<BaseChart> chart = make();
        ChartMemBlock block = {nullptr, 0};
        best = std::min(best, Milliseconds([&] { chart->makeChart(xychart::kFormatBmp, &block); }));
    }
    return best;
}

// Where a refresh's time goes: each chart rendered whole and with parts left out, the differences
// being what the parts cost.
void PrintSplit() {
    using namespace charts;
    // Pie B as the window makes it, and without its title and legend.
    const auto pie = [](bool titleAndLegend) {
        return [=]() -> std::unique_ptr<BaseChart> {
            if (titleAndLegend) return BuildPieChart(1, chartData);
            auto bare = std::make_unique<PieChart>(439, 347, xychart::kDefaultColor, xychart::kTransparent);
            bare->setPieSize(150, 180, 70);
            bare->setLabelFormat("{percent}%");
            bare->setLabelLayout(xychart::kLabelsOnCircle);
            bare->setLabelStyle(nullptr, 8);
            bare->setLabelBox(xychart::kItemColor, 3, 8, 5, 5);
            bare->setData(kSizeClasses, chartData.currentSizeClasses[1], kSizeClassNames);
            bare->setSectorStyle(xychart::kLocalGradientShading, 0xFFFFFF, 1);
            return bare;
        };
    };
    const auto line = [](bool series) {
        return [=]() -> std::unique_ptr<BaseChart> {
            LineChoice choice;
            choice.shown[0] = choice.shown[1] = series;
            return BuildLineChart(0, chartData, choice);
        };
    };
    const auto empty = []() -> std::unique_ptr<BaseChart> {
        return std::make_unique<PieChart>(439, 347, xychart::kDefaultColor, xychart::kTransparent);
    };
    const double blank = RenderMs(empty);
    const double pieWhole = RenderMs(pie(true)), pieBare = RenderMs(pie(false));
    const double lineWhole = RenderMs(line(true)), lineAxes = RenderMs(line(false));
    const double bars = RenderMs([] { return BuildBarChart(0, charts::chartData); });
    // A viewer whose picture would come out the same keeps it: the chart is built and laid out,
    // its look compared and its tips taken, and nothing drawn.
    const auto keptMs = [](const std::function<void()>& keep) {
        double best = 1e300;
        for (int run = 0; run < kRefreshes; ++run) best = std::min(best, Milliseconds(keep));
        return best;
    };
    const double pieKept = keptMs([] {
        std::unique_ptr<PieChart> pie = BuildPieChart(1, charts::chartData);
        pie->layOutChart();
        const std::string look = PieLook(*pie);
        ImageMapHandler tips(pie->getHTMLImageMap("", "", kPieTipFormat));
    });
    const double barsKept = keptMs([] {
        std::unique_ptr<XYChart> chart = BuildBarChart(0, charts::chartData);
        chart->layOutChart();
        const std::string look = BarLook(*chart, 0, charts::chartData);
        ImageMapHandler tips(chart->getHTMLImageMap("", "", kBarTipFormat));
    });
    std::printf("where a chart's rendering goes (ms, one chart, best of %d):\n", kRefreshes);
    std::printf("  %-58s %8.3f\n", "supersampled bitmap alone (439 x 347: fill, average, BMP)", blank);
    std::printf("  %-58s %8.3f\n", "pie B whole", pieWhole);
    std::printf("  %-58s %8.3f\n", "  of it the legend and title (GDI text)", pieWhole - pieBare);
    std::printf("  %-58s %8.3f\n", "  of it the gradient sectors and label boxes (GDI+ fills)", pieBare - blank);
    std::printf("  %-58s %8.3f\n", "line chart A whole (two series of 1800 samples)", lineWhole);
    std::printf("  %-58s %8.3f\n", "  of it the axes, grid lines, labels and title", lineAxes);
    std::printf("  %-58s %8.3f\n", "  of it the two lines (filled into the pixels)", lineWhole - lineAxes);
    std::printf("  %-58s %8.3f\n", "bar chart A whole", bars);
    std::printf("  %-58s %8.3f\n", "pie B kept (laid out, look compared, tips made)", pieKept);
    std::printf("  %-58s %8.3f\n", "bar chart A kept (laid out, look compared, tips made)", barsKept);
}

// The chart window with its drawing in reach.
class BenchChart : public CChart {
public:
    // One refresh in the view shown: a new second's sample, the six viewers asked to draw it (those
    // nobody sees cost nothing), then the paint of what changed on the screen. Each part timed,
    // milliseconds added to `parts` (line, pie, bar, paint).
    void Refresh(double* parts) {
        AddSecond();
        parts[0] += Milliseconds([&] {
            DrawLineChart(0);
            DrawLineChart(1);
        });
        parts[1] += Milliseconds([&] { DrawPieCharts(); });
        parts[2] += Milliseconds([&] { DrawBarCharts(); });
        parts[3] += Milliseconds([&] { ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); });
    }

    // The window updating by its own timer in one view for some seconds, a sample added each second
    // as the counter refresh adds it: the share of one core its thread takes.
    double SteadyShare(UINT view, int seconds) {
        SendMessage(WM_COMMAND, view);
        charts::SetRefreshRunning(true);
        hostio::PumpMessages();
        const double before = ThreadSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int second = 1; second <= seconds; ++second) {
            const auto due = start + std::chrono::seconds(second);
            while (std::chrono::steady_clock::now() < due) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max<long long>(left.count(), 0)), QS_ALLINPUT);
                hostio::PumpMessages();
            }
            AddSecond();
        }
        const double share = (ThreadSeconds() - before) /
                             std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 100.0;
        charts::SetRefreshRunning(false);
        hostio::PumpMessages();
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
    hostio::PumpMessages();

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
    hostio::PumpMessages();

    const std::pair<UINT, const char*> views[] = {
        {ID_CHART_LINE, "line charts"}, {ID_CHART_PIE, "pies"}, {ID_CHART_BAR, "bar charts"}};
    double refresh[3], parts[3][4] = {};
    for (int view = 0; view < 3; ++view) {
        chart.SendMessage(WM_COMMAND, views[view].first);
        hostio::PumpMessages();
        refresh[view] = 1e300;
        for (int run = 0; run < kRuns; ++run) {
            double runParts[4] = {};
            const double ms = Milliseconds([&] {
                                  for (int i = 0; i < kRefreshes; ++i) chart.Refresh(runParts);
                              }) / kRefreshes;
            if (ms < refresh[view]) {
                refresh[view] = ms;
                for (int p = 0; p < 4; ++p) parts[view][p] = runParts[p] / kRefreshes;
            }
            hostio::PumpMessages();
        }
    }
    double page = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        page = std::min(page, Milliseconds([&] {
                                  for (int i = 0; i < kPaints; ++i) {
                                      grid.CellArea().Invalidate(FALSE);
                                      grid.CellArea().UpdateWindow();
                                  }
                              }) / kPaints);
        hostio::PumpMessages();
    }
    const double worst = *std::max_element(std::begin(refresh), std::end(refresh));
    std::printf("chart window refresh (a new sample, the six viewers asked to draw it, the paint of what changed; "
                "%d samples) against a grid page of %d x %d pixels, best of %d runs\n",
                charts::kHistorySamples, kAreaWidth, kAreaHeight, kRuns);
    std::printf("%-28s %12s %12s %8s\n", "work", "chart ms", "grid ms", "ratio");
    std::printf("%-28s %12.3f %12.3f %8.2f\n", "one refresh / one paint", worst, page, worst / page);
    for (int view = 0; view < 3; ++view) {
        std::printf("  %-11s view: %8.3f ms = line charts %.3f + pies %.3f + bar charts %.3f (made, rendered, handed "
                    "to their viewers) + paint %.3f\n",
                    views[view].second, refresh[view], parts[view][0], parts[view][1], parts[view][2], parts[view][3]);
    }
    PrintSplit();
    std::printf("the window updating each second with a full history, share of one core (its thread, %d s a view):\n",
                kSteadySeconds);
    for (const auto& [view, what] : views) std::printf("  %-26s %6.2f %%\n", what, chart.SteadyShare(view, kSteadySeconds));
    chart.DestroyWindow();
    return 0;
}
