// An XY chart: box, box-whisker and line layers over a round y scale, with grid lines and axis
// labels that never overlap. Along x lie category slots, or, once the chart has x times, a time axis
// the lines run along. One hot spot a box.
#pragma once

#include "Chart.h"
#include "Layout.h"

namespace xychart::detail {

struct XyDrawing : ChartObject {
    XyDrawing(int w, int h, int bg, int edge) : ChartObject(w, h, bg, edge) {}

    struct Layer {
        bool whiskers = false;  // a box-whisker layer
        bool line = false;      // a line layer: through `values`, lineWidth pixels wide
        std::vector<double> tops, bottoms, maxima, minima, medians, values;
        int lineWidth = 1;
        std::vector<int> colors;
        double whiskerBrightness = 1;
        int barWidth = -1;  // the library's choice
        int border = kDefaultColor;
        int raised = 0;
        std::wstring name;
    };

    int plotX = 0, plotY = 0, plotW = 0, plotH = 0;
    int plotBg = kTransparent, plotEdge = kTransparent, hGrid = 0xC0C0C0, vGrid = kTransparent;
    std::vector<std::wstring> xLabels;
    std::vector<double> xTimes;  // chart times of the line points; empty: category slots
    std::wstring xTitle, yTitle;
    double fixedMin = 0, fixedMax = 0;
    std::vector<Layer> layers;
    TextStyle axisStyle;

    // The y scale the chart draws with: round values over every layer's values.
    Scale YScale() const;
    size_t SlotCount() const;

protected:
    void Place() override;
    void Draw(Canvas& canvas) override;
    std::vector<LegendEntry> LegendEntries() const override;

private:
    double YPixel(const Scale& scale, double value) const;
    // Where point i of a line stands along x.
    double XPixel(const TimeScale& times, size_t i) const;
    // The time axis with as many ticks as their labels leave room for.
    TimeScale XTimeScale(Canvas& canvas) const;
    TimeScale XTimeScale(int maxTicks) const;
    // Where box i of a box layer stands: false when it has no values to stand on.
    struct Box {
        Gdiplus::RectF rect;
        float y1, y2;  // the higher value's edge and the lower one's
        double top, bottom, centre, width;
    };
    bool PlaceBox(const Layer& layer, const Scale& scale, size_t i, Box& box) const;
    void DrawLine(Canvas& canvas, const Layer& layer, const Scale& scale, const TimeScale& times);
    void DrawTimeAxis(Canvas& canvas, const TimeScale& times);
    void DrawCategoryLabels(Canvas& canvas);
    void DrawAxisTitles(Canvas& canvas, int widestTick);
    TextStyle AxisTextStyle() const;
    void DrawAxes(Canvas& canvas, const Scale& scale, const TimeScale* times);
    void DrawLayer(Canvas& canvas, const Layer& layer, const Scale& scale);
};

}  // namespace xychart::detail
