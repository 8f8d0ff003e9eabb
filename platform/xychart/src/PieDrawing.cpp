#include "PieDrawing.h"

#include "Layout.h"

#include <algorithm>
#include <cmath>

namespace xychart::detail {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStartAngle = -90;  // twelve o'clock, in GDI+ degrees (clockwise from three o'clock)

// A sector's share: a positive value; "no value" and what is not positive make no sector. Values
// below kNoValue keep every sum and sweep below infinity.
double Positive(double v) { return v > 0 && IsValue(v) ? v : 0; }

double Total(const std::vector<double>& values) {
    double total = 0;
    for (double v : values) total += Positive(v);
    return total;
}

POINT Polar(double cx, double cy, double r, double degrees) {
    const double a = degrees * kPi / 180;
    return POINT{std::lround(cx + r * std::cos(a)), std::lround(cy + r * std::sin(a))};
}

// A sector's outline as a polygon: the centre, then a point every degree or less along the arc.
// The drawing library's own arcs cannot be trusted here: a sector ending a hair past a quarter turn
// (90.0001 degrees from 180) sent its arc flattening into endless recursion and the process down.
std::vector<Gdiplus::PointF> SectorOutline(double cx, double cy, double r, double start, double sweep) {
    const int steps = std::max(2, static_cast<int>(std::ceil(sweep)));
    std::vector<Gdiplus::PointF> outline;
    outline.reserve(static_cast<size_t>(steps) + 2);
    outline.emplace_back(static_cast<float>(cx), static_cast<float>(cy));
    for (int s = 0; s <= steps; ++s) {
        const double a = (start + sweep * s / steps) * kPi / 180;
        outline.emplace_back(static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)));
    }
    return outline;
}

// A rounded rectangle's outline.
void RoundRect(Gdiplus::GraphicsPath& path, const Gdiplus::RectF& box, float radius) {
    radius = std::min({radius, box.Width / 2, box.Height / 2});
    if (radius <= 0.5f) {
        path.AddRectangle(box);
        return;
    }
    const float d = radius * 2;
    path.AddArc(box.X, box.Y, d, d, 180, 90);
    path.AddArc(box.X + box.Width - d, box.Y, d, d, 270, 90);
    path.AddArc(box.X + box.Width - d, box.Y + box.Height - d, d, d, 0, 90);
    path.AddArc(box.X, box.Y + box.Height - d, d, d, 90, 90);
    path.CloseFigure();
}

// A label box with a glass look: the fill darkening away from the lit side, a soft white sheen on
// the lit half starting `bevel` pixels in from the rim, and a darker rim.
void DrawGlassBox(Gdiplus::Graphics& g, const Gdiplus::RectF& box, int color, int glare, int side, int bevel,
                  float radius) {
    Gdiplus::GraphicsPath outline;
    RoundRect(outline, box, radius);
    // Keypad side: 8 top, 2 bottom, 4 left, 6 right.
    Gdiplus::PointF lit(box.X + box.Width / 2, box.Y), dark(box.X + box.Width / 2, box.Y + box.Height);
    if (side == 2) std::swap(lit, dark);
    if (side == 4 || side == 6) {
        lit = Gdiplus::PointF(box.X, box.Y + box.Height / 2);
        dark = Gdiplus::PointF(box.X + box.Width, box.Y + box.Height / 2);
        if (side == 6) std::swap(lit, dark);
    }
    const double strength = std::clamp(glare, 0, 5) / 5.0;
    if (glare <= 0) {
        Gdiplus::SolidBrush flat(ToGdiplus(color));
        g.FillPath(&flat, &outline);
    } else {
        Gdiplus::LinearGradientBrush fill(lit, dark, ToGdiplus(Shade(color, 0.25 * strength)),
                                          ToGdiplus(Shade(color, -0.2 * strength)));
        g.FillPath(&fill, &outline);
        Gdiplus::RectF sheen = box;
        // A small box keeps three quarters of its height for the sheen whatever the bevel.
        const float inset = std::clamp(static_cast<float>(bevel), 1.0f, std::max(1.0f, box.Height / 4));
        sheen.Inflate(-inset, -inset);
        if (side == 8 || side == 2) {
            sheen.Height /= 2;
            if (side == 2) sheen.Y += sheen.Height;
        } else {
            sheen.Width /= 2;
            if (side == 6) sheen.X += sheen.Width;
        }
        Gdiplus::GraphicsPath shine;
        RoundRect(shine, sheen, std::max(radius - inset, 0.0f));
        Gdiplus::LinearGradientBrush gloss(lit, Gdiplus::PointF((lit.X + dark.X) / 2, (lit.Y + dark.Y) / 2),
                                           Gdiplus::Color(static_cast<BYTE>(60 + 30 * strength), 255, 255, 255),
                                           Gdiplus::Color(10, 255, 255, 255));
        g.FillPath(&gloss, &shine);
    }
    Gdiplus::Pen rim(ToGdiplus(Shade(color, -0.4)), 1);
    g.DrawPath(&rim, &outline);
}

}  // namespace

int PieDrawing::SectorColor(size_t index) const { return index < colors.size() ? colors[index] : PaletteColor(index); }

double PieDrawing::Percent(size_t index) const {
    const double total = Total(values);
    return total > 0 ? Positive(values[index]) * 100 / total : 0;
}

Fields PieDrawing::ItemFields(size_t index) const {
    return Fields{{"label", index < labels.size() ? Narrow(labels[index]) : std::string()},
                  {"value", FormatNumber(values[index])},
                  {"percent", FormatNumber(Percent(index))},
                  {"index", std::to_string(index)}};
}

std::vector<ChartObject::LegendEntry> PieDrawing::LegendEntries() const {
    std::vector<LegendEntry> entries;
    for (size_t i = 0; i < values.size(); ++i) {
        entries.push_back(LegendEntry{i < labels.size() ? labels[i] : std::wstring(), SectorColor(i)});
    }
    return entries;
}

void PieDrawing::Place() {
    const double total = Total(values);
    if (total <= 0 || radius <= 0) return;
    double angle = kStartAngle;
    for (size_t i = 0; i < values.size(); ++i) {
        const double sweep = Positive(values[i]) * 360 / total;
        if (sweep <= 0) continue;
        // The sector's hot spot: its outline as a polygon, a point every few degrees along the arc.
        HotSpot spot;
        if (sweep < 359.99) spot.outline.push_back(POINT{centerX, centerY});
        const int steps = std::max(2, static_cast<int>(sweep / 5));
        for (int s = 0; s <= steps; ++s) spot.outline.push_back(Polar(centerX, centerY, radius, angle + sweep * s / steps));
        spot.fields = ItemFields(i);
        hotSpots.push_back(std::move(spot));
        angle += sweep;
    }
}

void PieDrawing::Draw(Canvas& canvas) {
    Gdiplus::Graphics& g = canvas.Shapes();
    const double total = Total(values);
    const Gdiplus::RectF disc(static_cast<float>(centerX - radius), static_cast<float>(centerY - radius),
                              static_cast<float>(2 * radius), static_cast<float>(2 * radius));
    if (total <= 0 || radius <= 0) {
        // Nothing to share out: the pie's place stays visible as a faint ring.
        Gdiplus::Pen ring(Gdiplus::Color(255, 200, 200, 200), 1);
        g.DrawEllipse(&ring, disc);
        return;
    }
    std::vector<double> middles(values.size(), 0);
    double angle = kStartAngle;
    for (size_t i = 0; i < values.size(); ++i) {
        const double sweep = Positive(values[i]) * 360 / total;
        middles[i] = angle + sweep / 2;
        if (sweep <= 0) continue;
        const int color = SectorColor(i);
        if (shading == kLocalGradientShading) {
            const POINT rim = Polar(centerX, centerY, radius, middles[i]);
            Gdiplus::LinearGradientBrush fill(
                Gdiplus::PointF(static_cast<float>(centerX), static_cast<float>(centerY)),
                Gdiplus::PointF(static_cast<float>(rim.x), static_cast<float>(rim.y)), ToGdiplus(Shade(color, 0.45)),
                ToGdiplus(Shade(color, -0.1)));
            fill.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
            FillSector(g, fill, angle, sweep);
        } else {
            Gdiplus::SolidBrush fill(ToGdiplus(color));
            FillSector(g, fill, angle, sweep);
        }
        angle += sweep;
    }
    if (!IsTransparent(sectorEdge) && sectorEdgeWidth > 0) {
        Gdiplus::Pen edge(ToGdiplus(sectorEdge), static_cast<float>(sectorEdgeWidth));
        angle = kStartAngle;
        for (size_t i = 0; i < values.size(); ++i) {
            const double sweep = Positive(values[i]) * 360 / total;
            if (sweep <= 0) continue;
            if (sweep < 359.99) {
                const std::vector<Gdiplus::PointF> outline = SectorOutline(centerX, centerY, radius, angle, sweep);
                g.DrawPolygon(&edge, outline.data(), static_cast<INT>(outline.size()));
            } else {
                g.DrawEllipse(&edge, disc);
            }
            angle += sweep;
        }
    }
    DrawLabels(canvas, middles);
}

void PieDrawing::FillSector(Gdiplus::Graphics& g, const Gdiplus::Brush& brush, double start, double sweep) const {
    if (sweep >= 359.99) {
        g.FillEllipse(&brush, static_cast<float>(centerX - radius), static_cast<float>(centerY - radius),
                      static_cast<float>(2 * radius), static_cast<float>(2 * radius));
        return;
    }
    const std::vector<Gdiplus::PointF> outline = SectorOutline(centerX, centerY, radius, start, sweep);
    g.FillPolygon(&brush, outline.data(), static_cast<INT>(outline.size()));
}

void PieDrawing::DrawLabels(Canvas& canvas, const std::vector<double>& middles) {
    Gdiplus::Graphics& g = canvas.Shapes();
    const int gap = labelGap >= 0 ? labelGap : std::max(12, radius / 4);
    const bool boxed = !IsTransparent(labelFill);
    const int padX = boxed ? 5 : 1, padY = boxed ? 2 : 0;
    struct Placed {
        size_t item;
        std::wstring text;
        SIZE size;
        bool right;
        POINT rim;
    };
    std::vector<Placed> placed;
    std::vector<Span> left, right;
    const int roomRight = width - (centerX + radius + gap) - 2, roomLeft = centerX - radius - gap - 2;
    for (size_t i = 0; i < values.size(); ++i) {
        if (Positive(values[i]) <= 0) continue;
        Placed p;
        p.item = i;
        p.text = Widen(Substitute(labelFormat, ItemFields(i)).c_str());
        if (p.text.empty()) continue;
        SIZE text = canvas.Measure(labelStyle, p.text);
        p.size = SIZE{text.cx + 2 * padX, text.cy + 2 * padY};
        const double a = middles[i] * kPi / 180;
        p.right = std::cos(a) >= -1e-9;
        // A label too wide for its side goes to the other side when it fits there.
        if (p.size.cx > (p.right ? roomRight : roomLeft) && p.size.cx <= (p.right ? roomLeft : roomRight)) p.right = !p.right;
        p.rim = Polar(centerX, centerY, radius, middles[i]);
        const double reach = labelLayout == kLabelsBesidePie ? radius : radius + gap;
        const double wantedMiddle = centerY + reach * std::sin(a);
        (p.right ? right : left).push_back(Span{wantedMiddle - p.size.cy / 2.0, static_cast<double>(p.size.cy), 0});
        placed.push_back(p);
    }
    Stack(left, 2, height - 2, 2);
    Stack(right, 2, height - 2, 2);
    // Where each label goes; then every joining line, then every box over them, so that no line
    // runs across another label's box.
    struct Spot {
        int x, top, middle;
    };
    std::vector<Spot> spots;
    size_t nextLeft = 0, nextRight = 0;
    for (const Placed& p : placed) {
        const Span& span = p.right ? right[nextRight++] : left[nextLeft++];
        const int top = static_cast<int>(std::lround(span.top));
        const int middle = top + p.size.cy / 2;
        int x;
        if (labelLayout == kLabelsBesidePie) {
            x = p.right ? centerX + radius + gap : centerX - radius - gap - p.size.cx;
        } else {
            // On the circle at the label's height, so moved labels stay close to the pie.
            const double reach = radius + gap;
            const double dy = std::clamp(static_cast<double>(middle - centerY), -reach, reach);
            const double dx = std::sqrt(std::max(0.0, reach * reach - dy * dy));
            x = p.right ? static_cast<int>(std::lround(centerX + dx)) : static_cast<int>(std::lround(centerX - dx)) - p.size.cx;
        }
        x = std::clamp(x, 1, std::max(1, width - static_cast<int>(p.size.cx) - 1));
        spots.push_back(Spot{x, top, middle});
        Gdiplus::Pen joint(ToGdiplus(Shade(SectorColor(p.item), -0.3)), 1);
        const int jointX = p.right ? x : x + p.size.cx;
        g.DrawLine(&joint, static_cast<float>(p.rim.x), static_cast<float>(p.rim.y), static_cast<float>(jointX),
                   static_cast<float>(middle));
    }
    for (size_t k = 0; k < placed.size(); ++k) {
        const Placed& p = placed[k];
        const Spot& spot = spots[k];
        TextStyle style = labelStyle;
        if (boxed) {
            const int fill = labelFill == kItemColor ? SectorColor(p.item) : labelFill;
            Gdiplus::RectF box(static_cast<float>(spot.x), static_cast<float>(spot.top), static_cast<float>(p.size.cx),
                               static_cast<float>(p.size.cy));
            DrawGlassBox(g, box, fill, glare, glareSide, bevel, static_cast<float>(cornerRadius));
            if (style.color == kDefaultColor) style.color = TextColorOn(fill);
        } else if (style.color == kDefaultColor) {
            style.color = 0x000000;
        }
        canvas.AddText(style, p.text, spot.x + padX, spot.top + padY);
    }
}

}  // namespace xychart::detail
