#include "charts/ChartDrawing.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace charts {

const char* const kPieTipFormat = "title='{label}: {value} ({percent}%)'";
const char* const kBarTipFormat = "title='{xLabel}: {top} to {bottom}'";

namespace {

const char* const kDirectionTitles[kPorts] = {"Port A -> B", "Port B -> A"};

// The series swatches are COLORREFs (0x00BBGGRR); the library takes 0xRRGGBB.
int LibraryColor(unsigned colorRef) {
    return static_cast<int>(((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF));
}

}  // namespace

std::unique_ptr<PieChart> BuildPieChart(int port, const ChartData& data) {
    const bool a = port == 0;
    auto pie = std::make_unique<PieChart>(kPieChartWidths[a ? 0 : 1], kPieChartHeight, xychart::kDefaultColor,
                                          xychart::kTransparent);
    pie->setPieSize(a ? 170 : 150, 180, 70);
    if (!a) pie->addLegend(305, 4, true, nullptr, 10);
    pie->setLabelFormat("{percent}%");
    const int title = pie->addTitle(xychart::kBottomCenter, kDirectionTitles[port], nullptr, 15);
    if (a) {
        pie->setTitleMargins(title, 10, 0, 0, 30);
    } else {
        pie->setTitleMargins(title, 0, 130, 0, 30);
    }
    pie->setLabelLayout(xychart::kLabelsOnCircle);
    pie->setLabelStyle(nullptr, 8);
    pie->setLabelBox(xychart::kItemColor, 3, 8, 5, 5);
    const double* values = data.pieComparison ? data.sizeClassDifferences[port] : data.currentSizeClasses[port];
    pie->setData(kSizeClasses, values, kSizeClassNames);
    pie->setSectorStyle(xychart::kLocalGradientShading, 0xFFFFFF, 1);
    return pie;
}

std::unique_ptr<XYChart> BuildBarChart(int port, const ChartData& data) {
    auto bars =
        std::make_unique<XYChart>(kBarChartWidth, kBarChartHeight, xychart::kDefaultColor, xychart::kTransparent);
    bars->setPlotArea(65, 30, 685, 120, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    bars->addTitle(xychart::kTopCenter, kDirectionTitles[port], nullptr, 15);
    if (data.barComparison) {
        const int box = bars->addBoxLayer(kFrameTypes, data.comparisonBarTops[port], data.comparisonBarBottoms[port]);
        bars->setBarWidth(box, 30);
    }
    const int layer = bars->addBoxWhiskerLayer(kFrameTypes, data.barTops[port], data.barBottoms[port], nullptr,
                                               nullptr, nullptr, kFrameTypes, kFrameTypeColors, 0);
    bars->setLayerBorder(layer, xychart::kDefaultColor, 1);
    bars->setXLabels(kFrameTypes, kFrameTypeNames);
    return bars;
}

std::string PieLook(PieChart& pie) {
    const char* metrics = pie.getChartMetrics();
    const char* sectors = pie.getHTMLImageMap("", "", "title='{label}: {percent}'");
    return std::string(metrics != nullptr ? metrics : "") + '\n' + (sectors != nullptr ? sectors : "");
}

std::string BarLook(XYChart& bars, int port, const ChartData& data) {
    const char* metrics = bars.getChartMetrics();
    if (metrics == nullptr) return std::string();
    std::string look = metrics;
    // The scale and plot area turn values into rows, as the library draws them.
    double plotTop = 0, plotHeight = 0, low = 0, high = 0;
    int left = 0, width = 0;
    const char* plot = std::strstr(metrics, "plotarea=");
    const char* scale = std::strstr(metrics, "yscale=");
    if (plot == nullptr || scale == nullptr ||
        std::sscanf(plot, "plotarea=%d,%lf,%d,%lf", &left, &plotTop, &width, &plotHeight) != 4 ||
        std::sscanf(scale, "yscale=%lf,%lf", &low, &high) != 2 || !(high > low)) {
        return look;
    }
    auto halfRows = [&](const double* values) {
        for (int type = 0; type < kFrameTypes; ++type) {
            const double row = plotTop + plotHeight - (values[type] - low) * plotHeight / (high - low);
            look += ' ' + std::to_string(std::lround(row * 2));
        }
    };
    halfRows(data.barTops[port]);
    halfRows(data.barBottoms[port]);
    if (data.barComparison) {
        look += " |";
        halfRows(data.comparisonBarTops[port]);
        halfRows(data.comparisonBarBottoms[port]);
    }
    return look;
}

std::unique_ptr<XYChart> BuildLineChart(int port, const ChartData& data, const LineChoice& choice) {
    auto lines = std::make_unique<XYChart>(kLineChartWidth, kLineChartHeight, xychart::kDefaultColor,
                                           xychart::kTransparent);
    lines->setPlotArea(65, 30, kLineChartWidth - 85, 110, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, 0xE4E4E4);
    lines->addTitle(xychart::kTopCenter, kDirectionTitles[port], nullptr, 15);
    lines->setAxisTitle(1, "per second");
    if (choice.fixedScale && choice.high > choice.low) lines->setYRange(choice.low, choice.high);
    if (data.samples == 0) return lines;
    lines->setXTimes(data.samples, data.sampleTimes);
    auto addSeries = [&](int s) {
        const int layer = lines->addLineLayer(data.samples, data.lineHistory[port * kLineSeries + s],
                                              LibraryColor(kLineSeriesColors[s]), kLineSeriesNames[s]);
        lines->setLineWidth(layer, s == choice.forward ? 3 : 2);
    };
    for (int s = 0; s < kLineSeries; ++s) {
        if (choice.shown[s] && s != choice.forward) addSeries(s);
    }
    if (choice.forward >= 0 && choice.forward < kLineSeries && choice.shown[choice.forward]) addSeries(choice.forward);
    return lines;
}

}  // namespace charts
