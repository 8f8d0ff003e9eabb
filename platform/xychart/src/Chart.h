// The library's chart object: what every chart has (size, background, titles, legend, the last
// rendering with its metrics and hot spots) and what each kind draws.
#pragma once

#include "Canvas.h"
#include "Fields.h"

#include <xychart/XyChart.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct ChartObject {
    virtual ~ChartObject();

    struct Title {
        int alignment;
        std::wstring text;
        xychart::detail::TextStyle style;
        int bgColor;
        int edgeColor;
        int left = 0, right = 0, top = 4, bottom = 4;  // margins
    };
    struct Legend {
        bool shown = false;
        int x = 0, y = 0;
        bool vertical = true;
        xychart::detail::TextStyle style;
    };
    struct LegendEntry {
        std::wstring text;
        int color;
    };
    // A hot spot of the rendered chart: a polygon (or a rectangle as four corners) and its fields.
    struct HotSpot {
        std::vector<POINT> outline;
        xychart::detail::Fields fields;
    };

    int width = 0;
    int height = 0;
    int bgColor = 0xFFFFFF;
    int edgeColor = xychart::kTransparent;
    std::vector<Title> titles;
    Legend legend;

    // The last rendering (or, without the image, the last layout).
    std::vector<uint8_t> image;
    std::string metrics;
    std::vector<HotSpot> hotSpots;
    std::string imageMap;
    bool laidOut = false;

    // The opaque colour a canvas for this chart starts in: its background, or white under one that
    // lets the ground show through.
    int GroundColor() const { return (static_cast<uint32_t>(bgColor) >> 24) == 0 ? bgColor : 0xFFFFFF; }
    // Records the chart's metrics and hot spots as a rendering would, without drawing anything: a
    // caller that keeps the picture it has still gets the tips of what the values are now.
    void LayOut();
    // Lays the chart out and draws it on a canvas that starts in its ground colour.
    void Render(xychart::detail::Canvas& canvas);

protected:
    ChartObject(int w, int h, int bg, int edge);
    // Where the kind's items lie: its plot area, scales and hot spots.
    virtual void Place() = 0;
    // What the kind draws under the titles and legend, where Place put it.
    virtual void Draw(xychart::detail::Canvas& canvas) = 0;
    virtual std::vector<LegendEntry> LegendEntries() const = 0;
    // The plot area the viewport works in (empty for charts without one).
    RECT plotArea = {0, 0, 0, 0};
    std::string scales;  // the kind's scales for the metrics text

private:
    void DrawTitles(xychart::detail::Canvas& canvas);
    void DrawLegend(xychart::detail::Canvas& canvas);
};

namespace xychart::detail {

// Default colours of data items, in order: distinct, calm, and readable under black or white text.
int PaletteColor(size_t index);
// The colour asked for, with the library's default in place of kDefaultColor.
int OrDefault(int color, int fallback);

// Values at or beyond this mean "no value" (a caller's empty history marks its slots with 1.7e308).
inline constexpr double kNoValue = 1e300;
inline bool IsValue(double v) { return std::isfinite(v) && std::fabs(v) < kNoValue; }

}  // namespace xychart::detail
