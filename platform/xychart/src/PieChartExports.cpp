// Pie charts.
#include "Exports.h"
#include "PieDrawing.h"

using namespace xychart;
using namespace xychart::detail;

namespace {
PieDrawing* Pie(ChartObject* chart) { return dynamic_cast<PieDrawing*>(chart); }
}  // namespace

XYCHART_API ChartObject* XYCHART_CALL CPieChart_create(int width, int height, int bgColor, int edgeColor) {
    return Guarded<ChartObject*>(nullptr, [&] { return new PieDrawing(width, height, bgColor, edgeColor); });
}

XYCHART_API void XYCHART_CALL CPieChart_setPieSize(ChartObject* chart, int x, int y, int radius) {
    if (PieDrawing* pie = Pie(chart)) {
        pie->centerX = x;
        pie->centerY = y;
        pie->radius = radius > 0 ? radius : 0;
    }
}

XYCHART_API void XYCHART_CALL CPieChart_setData(ChartObject* chart, int count, const double* values,
                                                const char* const* labels) {
    PieDrawing* pie = Pie(chart);
    if (pie == nullptr || count < 0 || (count > 0 && values == nullptr)) return;
    Guarded([&] {
        pie->values.assign(values, values + count);
        pie->labels.clear();
        for (int i = 0; labels != nullptr && i < count; ++i) pie->labels.push_back(Widen(labels[i]));
    });
}

XYCHART_API void XYCHART_CALL CPieChart_setColors(ChartObject* chart, int count, const int* colors) {
    PieDrawing* pie = Pie(chart);
    if (pie == nullptr || count < 0 || (count > 0 && colors == nullptr)) return;
    Guarded([&] { pie->colors.assign(colors, colors + count); });
}

XYCHART_API void XYCHART_CALL CPieChart_setLabelFormat(ChartObject* chart, const char* format) {
    if (PieDrawing* pie = Pie(chart)) Guarded([&] { pie->labelFormat = format == nullptr ? "" : format; });
}

XYCHART_API void XYCHART_CALL CPieChart_setLabelLayout(ChartObject* chart, int layout, int gap) {
    if (PieDrawing* pie = Pie(chart)) {
        pie->labelLayout = layout == kLabelsBesidePie ? kLabelsBesidePie : kLabelsOnCircle;
        pie->labelGap = gap;
    }
}

XYCHART_API void XYCHART_CALL CPieChart_setLabelStyle(ChartObject* chart, const char* font, double size, int color) {
    if (PieDrawing* pie = Pie(chart)) {
        Guarded([&] { pie->labelStyle = TextStyle{Widen(font), size > 0 ? size : 8, color, false}; });
    }
}

XYCHART_API void XYCHART_CALL CPieChart_setLabelBox(ChartObject* chart, int fill, int glare, int glareSide, int bevel,
                                                    int cornerRadius) {
    if (PieDrawing* pie = Pie(chart)) {
        pie->labelFill = fill;
        pie->glare = glare;
        pie->glareSide = glareSide;
        pie->bevel = bevel;
        pie->cornerRadius = cornerRadius;
    }
}

XYCHART_API void XYCHART_CALL CPieChart_setSectorStyle(ChartObject* chart, int shading, int edgeColor, int edgeWidth) {
    if (PieDrawing* pie = Pie(chart)) {
        pie->shading = shading;
        pie->sectorEdge = OrDefault(edgeColor, 0xFFFFFF);
        pie->sectorEdgeWidth = edgeWidth;
    }
}
