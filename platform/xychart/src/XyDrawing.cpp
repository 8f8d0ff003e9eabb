#include "XyDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace xychart::detail {
namespace {

double At(const std::vector<double>& values, size_t i) {
    return i < values.size() ? values[i] : std::numeric_limits<double>::quiet_NaN();
}

// Tick labels need this much room each, so the scale never packs them closer.
constexpr int kTickSpacing = 24;
constexpr int kAxisColor = 0x606060;

// The middle of the whole pixel column an upright grid line or tick at x takes.
float ColumnAt(double x) { return static_cast<float>(std::lround(x)) + 0.5f; }

// A chart coordinate rounded to a whole pixel; one far beyond the chart (a value far outside a
// fixed scale) is brought in first, since a long holds only 32 bits here.
LONG WholePixel(double at) {
    constexpr double kFar = 1 << 29;
    return static_cast<LONG>(std::lround(std::clamp(at, -kFar, kFar)));
}

// A tick mark below the x axis at x, on its grid line's column.
void Tick(Canvas& canvas, double x, float bottom) {
    const float at = ColumnAt(x);
    canvas.Rule(at, bottom, at, bottom + 4, kAxisColor);
}

bool IsOpaque(int color) { return color != kDefaultColor && color != kItemColor && (static_cast<uint32_t>(color) >> 24) == 0; }

}  // namespace

size_t XyDrawing::SlotCount() const {
    size_t slots = xLabels.size();
    for (const Layer& layer : layers) {
        slots = std::max({slots, layer.tops.size(), layer.bottoms.size(), layer.values.size()});
    }
    return std::max<size_t>(slots, 1);
}

Scale XyDrawing::YScale() const {
    const int maxTicks = std::max(1, plotH / kTickSpacing);
    if (fixedMax > fixedMin) return RoundScale(fixedMin, fixedMax, maxTicks);
    double low = 0, high = 0;
    for (const Layer& layer : layers) {
        for (const std::vector<double>* series : {&layer.tops, &layer.bottoms, &layer.maxima, &layer.minima, &layer.values}) {
            for (double v : *series) {
                if (!IsValue(v)) continue;
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    return RoundScale(low, high, maxTicks);
}

double XyDrawing::YPixel(const Scale& scale, double value) const {
    return plotY + plotH - (value - scale.low) * plotH / (scale.high - scale.low);
}

std::vector<ChartObject::LegendEntry> XyDrawing::LegendEntries() const {
    std::vector<LegendEntry> entries;
    for (const Layer& layer : layers) {
        if (layer.line) {
            if (!layer.name.empty()) entries.push_back(LegendEntry{layer.name, layer.colors[0]});
        } else if (layer.whiskers) {
            for (size_t i = 0; i < xLabels.size(); ++i) {
                entries.push_back(LegendEntry{xLabels[i], layer.colors.empty() ? PaletteColor(i) : layer.colors[i % layer.colors.size()]});
            }
        } else if (!layer.name.empty()) {
            entries.push_back(LegendEntry{layer.name, layer.colors.empty() ? PaletteColor(0) : layer.colors[0]});
        }
    }
    return entries;
}

void XyDrawing::Place() {
    plotArea = RECT{plotX, plotY, plotX + plotW, plotY + plotH};
    const Scale scale = YScale();
    for (const Layer& layer : layers) {
        if (layer.line) continue;
        for (size_t i = 0; i < std::max(layer.tops.size(), layer.bottoms.size()); ++i) {
            Box box;
            if (!PlaceBox(layer, scale, i, box)) continue;
            // The box, at least a few pixels tall so that a flat one can still be pointed at.
            const LONG hx1 = WholePixel(box.rect.X), hx2 = WholePixel(box.rect.X + box.rect.Width);
            LONG hy1 = WholePixel(box.y1), hy2 = WholePixel(box.y2);
            if (hy2 - hy1 < 4) {
                hy1 -= 2;
                hy2 = hy1 + 4;
            }
            HotSpot spot;
            spot.outline = {POINT{hx1, hy1}, POINT{hx2, hy1}, POINT{hx2, hy2}, POINT{hx1, hy2}};
            spot.fields = Fields{{"xLabel", i < xLabels.size() ? Narrow(xLabels[i]) : std::to_string(i)},
                                 {"top", FormatNumber(box.top)},
                                 {"bottom", FormatNumber(box.bottom)},
                                 {"value", FormatNumber(std::fabs(box.top - box.bottom))},
                                 {"index", std::to_string(i)},
                                 {"dataSetName", Narrow(layer.name)}};
            hotSpots.push_back(std::move(spot));
        }
    }
    // The scales do not hang on how many ticks the time axis has room for.
    const TimeScale times = XTimeScale(1);
    char text[128];
    if (!xTimes.empty()) {
        std::snprintf(text, sizeof text, ";xscale=%.17g,%.17g;yscale=%.17g,%.17g", times.low, times.high, scale.low,
                      scale.high);
    } else {
        std::snprintf(text, sizeof text, ";xscale=0,%zu;yscale=%.17g,%.17g", SlotCount(), scale.low, scale.high);
    }
    scales = text;
}

void XyDrawing::Draw(Canvas& canvas) {
    const Scale scale = YScale();
    Gdiplus::Graphics& g = canvas.Shapes();
    if (!IsTransparent(plotBg)) {
        Gdiplus::SolidBrush back(ToGdiplus(plotBg));
        g.FillRectangle(&back, plotX, plotY, plotW, plotH);
    }
    // Grid lines lie on whole pixels: opaque ones are rules.
    auto gridLine = [&](int color, float x1, float y1, float x2, float y2) {
        if (IsOpaque(color)) {
            canvas.Rule(x1, y1, x2, y2, color);
        } else {
            Gdiplus::Pen grid(ToGdiplus(color), 1);
            g.DrawLine(&grid, x1, y1, x2, y2);
        }
    };
    if (!IsTransparent(hGrid)) {
        for (int t = 1; t < scale.ticks(); ++t) {
            const float y = static_cast<float>(std::lround(YPixel(scale, scale.low + t * scale.step))) + 0.5f;
            gridLine(hGrid, static_cast<float>(plotX), y, static_cast<float>(plotX + plotW), y);
        }
    }
    const size_t slots = SlotCount();
    const bool timeAxis = !xTimes.empty();
    const TimeScale times = timeAxis ? XTimeScale(canvas) : TimeScale();
    if (!IsTransparent(vGrid)) {
        auto upright = [&](double x) {
            const float at = ColumnAt(x);
            gridLine(vGrid, at, static_cast<float>(plotY), at, static_cast<float>(plotY + plotH));
        };
        if (timeAxis) {
            for (double t = times.firstTick(); t <= times.high; t += times.step) {
                if (t > times.low) upright(plotX + (t - times.low) * plotW / (times.high - times.low));
            }
        } else {
            for (size_t s = 1; s < slots; ++s) upright(plotX + double(plotW) * s / slots);
        }
    }
    for (const Layer& layer : layers) {
        if (layer.line) {
            DrawLine(canvas, layer, scale, times);
        } else {
            DrawLayer(canvas, layer, scale);
        }
    }
    DrawAxes(canvas, scale, timeAxis ? &times : nullptr);
}

TimeScale XyDrawing::XTimeScale(Canvas& canvas) const {
    // Room for the widest label and a gap between neighbours.
    const int labelWidth = static_cast<int>(canvas.Measure(axisStyle, L"00:00:00").cx) + 16;
    return XTimeScale(std::max(1, plotW / std::max(labelWidth, 1)));
}

TimeScale XyDrawing::XTimeScale(int maxTicks) const {
    double low = 0, high = 0;
    bool any = false;
    for (double t : xTimes) {
        if (!IsValue(t)) continue;
        low = any ? std::min(low, t) : t;
        high = any ? std::max(high, t) : t;
        any = true;
    }
    return RoundTimeScale(low, high, maxTicks);
}

double XyDrawing::XPixel(const TimeScale& times, size_t i) const {
    if (xTimes.empty()) return plotX + double(plotW) / SlotCount() * (i + 0.5);
    const double t = At(xTimes, i);
    return IsValue(t) ? plotX + (t - times.low) * plotW / (times.high - times.low)
                      : std::numeric_limits<double>::quiet_NaN();
}

void XyDrawing::DrawLine(Canvas& canvas, const Layer& layer, const Scale& scale, const TimeScale& times) {
    Gdiplus::Graphics& g = canvas.Shapes();
    // A line beyond a fixed scale is cut at the plot area's edge.
    g.SetClip(Gdiplus::RectF(static_cast<float>(plotX), static_cast<float>(plotY), static_cast<float>(plotW),
                             static_cast<float>(plotH)));
    // A point without a value (or without a time) breaks the line; a point alone is a dot.
    std::vector<Gdiplus::PointF> run;
    auto flush = [&] {
        if (run.size() == 1) {
            Gdiplus::SolidBrush dot(ToGdiplus(layer.colors[0]));
            const float r = std::max(1.5f, layer.lineWidth / 2.0f + 0.5f);
            g.FillEllipse(&dot, run[0].X - r, run[0].Y - r, 2 * r, 2 * r);
        } else if (run.size() > 1) {
            canvas.Polyline(run, layer.colors[0], layer.lineWidth, plotArea);
        }
        run.clear();
    };
    for (size_t i = 0; i < layer.values.size(); ++i) {
        const double x = XPixel(times, i);
        if (!IsValue(layer.values[i]) || !std::isfinite(x)) {
            flush();
            continue;
        }
        run.emplace_back(static_cast<float>(x), static_cast<float>(YPixel(scale, layer.values[i])));
    }
    flush();
    g.ResetClip();
}

void XyDrawing::DrawLayer(Canvas& canvas, const Layer& layer, const Scale& scale) {
    Gdiplus::Graphics& g = canvas.Shapes();
    const size_t count = std::max(layer.tops.size(), layer.bottoms.size());
    for (size_t i = 0; i < count; ++i) {
        Box placed;
        if (!PlaceBox(layer, scale, i, placed)) continue;
        const double high = std::max(placed.top, placed.bottom);
        const int color = layer.colors.empty() ? PaletteColor(0) : layer.colors[i % layer.colors.size()];
        const double centre = placed.centre, barWidth = placed.width;
        const float y1 = placed.y1, y2 = placed.y2;
        const Gdiplus::RectF box = placed.rect;
        if (layer.whiskers && layer.whiskerBrightness > 0) {
            Gdiplus::Pen whisker(ToGdiplus(Shade(color, layer.whiskerBrightness >= 1 ? -(layer.whiskerBrightness - 1) / 2
                                                                                     : 1 - layer.whiskerBrightness)), 1);
            const float quarter = static_cast<float>(barWidth / 4);
            for (double end : {At(layer.maxima, i), At(layer.minima, i)}) {
                if (!IsValue(end)) continue;
                const float ye = static_cast<float>(YPixel(scale, end));
                const float from = end >= high ? y1 : y2;
                g.DrawLine(&whisker, static_cast<float>(centre), from, static_cast<float>(centre), ye);
                g.DrawLine(&whisker, static_cast<float>(centre) - quarter, ye, static_cast<float>(centre) + quarter, ye);
            }
        }
        Gdiplus::SolidBrush fill(ToGdiplus(color));
        g.FillRectangle(&fill, box);
        if (layer.raised > 0 && box.Height >= 2 * layer.raised) {
            // A raised rim: lit along the top and left, shaded along the bottom and right.
            const float r = static_cast<float>(layer.raised);
            Gdiplus::SolidBrush lit(ToGdiplus(Shade(color, 0.45))), shade(ToGdiplus(Shade(color, -0.35)));
            g.FillRectangle(&lit, box.X, box.Y, box.Width, r);
            g.FillRectangle(&lit, box.X, box.Y, r, box.Height);
            g.FillRectangle(&shade, box.X, box.Y + box.Height - r, box.Width, r);
            g.FillRectangle(&shade, box.X + box.Width - r, box.Y, r, box.Height);
        }
        if (!IsTransparent(layer.border)) {
            Gdiplus::Pen edge(ToGdiplus(OrDefault(layer.border, Shade(color, -0.45))), 1);
            g.DrawRectangle(&edge, box);
        }
        if (layer.whiskers && layer.whiskerBrightness > 0 && IsValue(At(layer.medians, i))) {
            Gdiplus::Pen median(ToGdiplus(Shade(color, -0.5)), 1);
            const float ym = static_cast<float>(YPixel(scale, At(layer.medians, i)));
            g.DrawLine(&median, box.X, ym, box.X + box.Width, ym);
        }
    }
}

bool XyDrawing::PlaceBox(const Layer& layer, const Scale& scale, size_t i, Box& box) const {
    box.top = At(layer.tops, i);
    box.bottom = At(layer.bottoms, i);
    if (!IsValue(box.top) || !IsValue(box.bottom)) return false;
    const double slot = double(plotW) / SlotCount();
    box.width = layer.barWidth > 0 ? layer.barWidth : std::max(3.0, std::min(slot * 0.6, 60.0));
    box.centre = plotX + slot * (i + 0.5);
    box.y1 = static_cast<float>(YPixel(scale, std::max(box.top, box.bottom)));
    box.y2 = static_cast<float>(YPixel(scale, std::min(box.top, box.bottom)));
    box.rect = Gdiplus::RectF(static_cast<float>(box.centre - box.width / 2), box.y1, static_cast<float>(box.width),
                              std::max(box.y2 - box.y1, 0.0f));
    return true;
}

TextStyle XyDrawing::AxisTextStyle() const {
    TextStyle style = axisStyle;
    if (style.color == kDefaultColor) style.color = 0x303030;
    return style;
}

void XyDrawing::DrawAxes(Canvas& canvas, const Scale& scale, const TimeScale* times) {
    Gdiplus::Graphics& g = canvas.Shapes();
    // The axes and the value ticks lie on whole pixels.
    const float left = static_cast<float>(plotX) + 0.5f, bottom = static_cast<float>(plotY + plotH) + 0.5f;
    canvas.Rule(left, static_cast<float>(plotY), left, bottom, kAxisColor);
    canvas.Rule(left, bottom, static_cast<float>(plotX + plotW), bottom, kAxisColor);
    if (!IsTransparent(plotEdge)) {
        Gdiplus::Pen edge(ToGdiplus(plotEdge), 1);
        g.DrawRectangle(&edge, left, static_cast<float>(plotY) + 0.5f, static_cast<float>(plotW), static_cast<float>(plotH));
    }
    const TextStyle style = AxisTextStyle();
    int widestTick = 0;
    for (int t = 0; t < scale.ticks(); ++t) {
        const double value = scale.low + t * scale.step;
        const float y = static_cast<float>(std::lround(YPixel(scale, value))) + 0.5f;
        canvas.Rule(left - 4, y, left, y, kAxisColor);
        const std::wstring text = Widen(FormatTick(value, scale.step).c_str());
        SIZE size = canvas.Measure(style, text);
        widestTick = std::max(widestTick, static_cast<int>(size.cx));
        canvas.AddText(style, text, plotX - 7 - size.cx, static_cast<int>(y) - size.cy / 2);
    }
    if (times != nullptr) {
        DrawTimeAxis(canvas, *times);
    } else {
        DrawCategoryLabels(canvas);
    }
    DrawAxisTitles(canvas, widestTick);
}

void XyDrawing::DrawTimeAxis(Canvas& canvas, const TimeScale& times) {
    const TextStyle style = AxisTextStyle();
    const float bottom = static_cast<float>(plotY + plotH) + 0.5f;
    const bool withSeconds = times.step < 60;
    int lastRight = std::numeric_limits<int>::min();
    for (double t = times.firstTick(); t <= times.high + 1e-6; t += times.step) {
        const double x = plotX + (t - times.low) * plotW / (times.high - times.low);
        const std::wstring text = Widen(FormatTimeOfDay(t, withSeconds).c_str());
        const SIZE size = canvas.Measure(style, text);
        Tick(canvas, x, bottom);
        // A label is centred on its tick, but stays inside the chart and clear of its neighbour.
        const int left = std::clamp(static_cast<int>(std::lround(x - size.cx / 2.0)), 0,
                                    std::max(0, width - static_cast<int>(size.cx)));
        if (left < lastRight + 4) continue;
        canvas.AddText(style, text, left, plotY + plotH + 6);
        lastRight = left + size.cx;
    }
}

void XyDrawing::DrawCategoryLabels(Canvas& canvas) {
    const TextStyle style = AxisTextStyle();
    const float bottom = static_cast<float>(plotY + plotH) + 0.5f;
    // Category labels: every one when they fit side by side, else every second, third... one.
    const size_t slots = SlotCount();
    const double slot = double(plotW) / slots;
    int widest = 0;
    for (const std::wstring& label : xLabels) widest = std::max(widest, static_cast<int>(canvas.Measure(style, label).cx));
    const size_t every = std::max<size_t>(1, static_cast<size_t>(std::ceil((widest + 6) / slot)));
    for (size_t i = 0; i < xLabels.size() && i < slots; i += every) {
        SIZE size = canvas.Measure(style, xLabels[i]);
        const double centre = plotX + slot * (i + 0.5);
        Tick(canvas, centre, bottom);
        canvas.AddText(style, xLabels[i], static_cast<int>(std::lround(centre - size.cx / 2.0)), plotY + plotH + 6);
    }
}

void XyDrawing::DrawAxisTitles(Canvas& canvas, int widestTick) {
    const TextStyle style = AxisTextStyle();
    const int tallest = static_cast<int>(canvas.Measure(style, L"0").cy);
    if (!xTitle.empty()) {
        TextStyle titleStyle = style;
        titleStyle.bold = true;
        SIZE size = canvas.Measure(titleStyle, xTitle);
        canvas.AddText(titleStyle, xTitle, plotX + (plotW - size.cx) / 2, plotY + plotH + 8 + tallest);
    }
    if (!yTitle.empty()) {
        TextStyle titleStyle = style;
        titleStyle.bold = true;
        SIZE size = canvas.Measure(titleStyle, yTitle);
        canvas.AddText(titleStyle, yTitle, std::max(2, plotX - 10 - widestTick - static_cast<int>(size.cx)), std::max(2, plotY - static_cast<int>(size.cy) - 4));
    }
}

}  // namespace xychart::detail
