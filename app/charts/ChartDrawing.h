// The chart window's charts, built from the shared chart data: a pie of the size classes and a
// floating-bar chart of the frame types per direction, and the line chart of the chosen series.
// Each is a new chart object of the chart library for the caller to show and free.
#pragma once

#include "charts/ChartData.h"

#include <xychart/XyChart.h>

#include <memory>
#include <string>

namespace charts {

// Tool tips of the viewers' hot spots.
extern const char* const kPieTipFormat;
extern const char* const kBarTipFormat;

// The charts' sizes in pixels, whatever the window's font: the window makes room for them.
constexpr int kLineChartWidth = 600;
constexpr int kLineChartHeight = 174;
constexpr int kPieChartWidths[2] = {339, 439};
constexpr int kPieChartHeight = 347;
constexpr int kBarChartWidth = 779;
constexpr int kBarChartHeight = 174;

// What the line chart of one direction shows: the ticked series, the one brought forward by a click
// (drawn on top and thicker; -1 for none) and, when fixed, the vertical scale.
struct LineChoice {
    bool shown[kLineSeries] = {};
    int forward = -1;
    bool fixedScale = false;
    double low = 0;
    double high = 0;
};

// Port 0 is "Port A -> B", port 1 "Port B -> A".
std::unique_ptr<PieChart> BuildPieChart(int port, const ChartData& data);
std::unique_ptr<XYChart> BuildBarChart(int port, const ChartData& data);

// What the picture of a laid-out pie or bar chart shows: two charts of the same look draw the same
// picture, whatever their tips say. A pie's look is its sectors' outlines and label texts (their
// percentages as the labels round them); a bar chart's is its scale and every box edge to the half
// pixel (what the doubled drawing resolves).
std::string PieLook(PieChart& pie);
std::string BarLook(XYChart& bars, int port, const ChartData& data);
std::unique_ptr<XYChart> BuildLineChart(int port, const ChartData& data, const LineChoice& choice);

}  // namespace charts
