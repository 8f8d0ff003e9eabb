#include "Chart.h"

#include <algorithm>
#include <cstdio>

using namespace xychart;
using namespace xychart::detail;

namespace xychart::detail {

int PaletteColor(size_t index) {
    static const int kPalette[] = {0x4F81BD, 0xF79646, 0x9BBB59, 0x8064A2, 0x4BACC6, 0xC0504D,
                                   0xE8C547, 0x7F7F7F, 0x2C7873, 0xD46A9F, 0x6B8E23, 0xA0522D};
    return kPalette[index % (sizeof kPalette / sizeof kPalette[0])];
}

int OrDefault(int color, int fallback) { return color == kDefaultColor ? fallback : color; }

}  // namespace xychart::detail

ChartObject::ChartObject(int w, int h, int bg, int edge)
    : width(std::max(w, 1)), height(std::max(h, 1)), bgColor(OrDefault(bg, 0xFFFFFF)), edgeColor(edge) {}

ChartObject::~ChartObject() { KeepImageBuffer(std::move(image)); }

void ChartObject::LayOut() {
    hotSpots.clear();
    scales.clear();
    Place();
    char text[160];
    std::snprintf(text, sizeof text, "chart=%d,%d;plotarea=%ld,%ld,%ld,%ld", width, height, plotArea.left, plotArea.top,
                  plotArea.right - plotArea.left, plotArea.bottom - plotArea.top);
    metrics = text + scales;
    laidOut = true;
}

void ChartObject::Render(Canvas& canvas) {
    LayOut();
    Gdiplus::Graphics& g = canvas.Shapes();
    if ((static_cast<uint32_t>(bgColor) >> 24) != 0 && !IsTransparent(bgColor)) {
        Gdiplus::SolidBrush back(ToGdiplus(bgColor));
        g.FillRectangle(&back, 0, 0, width, height);
    }
    Draw(canvas);
    DrawLegend(canvas);
    DrawTitles(canvas);
    if (!IsTransparent(edgeColor) && edgeColor != kDefaultColor) {
        Gdiplus::Pen edge(ToGdiplus(edgeColor), 1);
        g.DrawRectangle(&edge, 0.5f, 0.5f, static_cast<float>(width - 1), static_cast<float>(height - 1));
    }
}

void ChartObject::DrawTitles(Canvas& canvas) {
    for (const Title& title : titles) {
        SIZE size = canvas.Measure(title.style, title.text);
        const int bandLeft = title.left;
        const int bandRight = width - title.right;
        const int column = (title.alignment - 1) % 3;  // keypad: 0 left, 1 centre, 2 right
        int x = column == 0 ? bandLeft : column == 2 ? bandRight - size.cx : (bandLeft + bandRight - size.cx) / 2;
        int y = title.alignment >= 7 ? title.top
                : title.alignment <= 3 ? height - title.bottom - size.cy
                                       : (height - size.cy) / 2;
        if (!IsTransparent(title.bgColor) || !IsTransparent(title.edgeColor)) {
            Gdiplus::Graphics& g = canvas.Shapes();
            Gdiplus::RectF box(static_cast<float>(x - 4), static_cast<float>(y - 2), static_cast<float>(size.cx + 8),
                               static_cast<float>(size.cy + 4));
            if (!IsTransparent(title.bgColor)) {
                Gdiplus::SolidBrush fill(ToGdiplus(title.bgColor));
                g.FillRectangle(&fill, box);
            }
            if (!IsTransparent(title.edgeColor)) {
                Gdiplus::Pen edge(ToGdiplus(title.edgeColor), 1);
                g.DrawRectangle(&edge, box);
            }
        }
        canvas.AddText(title.style, title.text, x, y);
    }
}

void ChartObject::DrawLegend(Canvas& canvas) {
    if (!legend.shown) return;
    const std::vector<LegendEntry> entries = LegendEntries();
    if (entries.empty()) return;
    Gdiplus::Graphics& g = canvas.Shapes();
    const int swatch = std::max(8, static_cast<int>(legend.style.size));
    int x = legend.x + 6;
    int y = legend.y + 5;
    int widest = 0;
    int rowHeight = swatch;
    for (const LegendEntry& entry : entries) {
        SIZE size = canvas.Measure(legend.style, entry.text);
        widest = std::max(widest, static_cast<int>(size.cx));
        rowHeight = std::max(rowHeight, static_cast<int>(size.cy));
    }
    rowHeight += 3;
    for (const LegendEntry& entry : entries) {
        SIZE size = canvas.Measure(legend.style, entry.text);
        Gdiplus::SolidBrush fill(ToGdiplus(entry.color));
        Gdiplus::Pen rim(ToGdiplus(Shade(entry.color, -0.35)), 1);
        const float top = static_cast<float>(y + (rowHeight - 3 - swatch) / 2);
        g.FillRectangle(&fill, static_cast<float>(x), top, static_cast<float>(swatch), static_cast<float>(swatch));
        g.DrawRectangle(&rim, static_cast<float>(x), top, static_cast<float>(swatch), static_cast<float>(swatch));
        canvas.AddText(legend.style, entry.text, x + swatch + 5, y + (rowHeight - 3 - size.cy) / 2);
        if (legend.vertical) {
            y += rowHeight;
        } else {
            x += swatch + 5 + size.cx + 12;
        }
    }
}
