// XY charts with box, box-whisker and line layers, over category slots or a time axis.
#include "Exports.h"
#include "XyDrawing.h"

#include <algorithm>

using namespace xychart;
using namespace xychart::detail;

namespace {

XyDrawing* Xy(ChartObject* chart) { return dynamic_cast<XyDrawing*>(chart); }

XyDrawing::Layer* LayerOf(ChartObject* chart, int layer) {
    XyDrawing* xy = Xy(chart);
    if (xy == nullptr || layer < 0 || layer >= static_cast<int>(xy->layers.size())) return nullptr;
    return &xy->layers[static_cast<size_t>(layer)];
}

std::vector<double> Series(int count, const double* values) {
    return values == nullptr ? std::vector<double>() : std::vector<double>(values, values + count);
}

}  // namespace

XYCHART_API ChartObject* XYCHART_CALL CXYChart_create(int width, int height, int bgColor, int edgeColor) {
    return Guarded<ChartObject*>(nullptr, [&] { return new XyDrawing(width, height, bgColor, edgeColor); });
}

XYCHART_API void XYCHART_CALL CXYChart_setPlotArea(ChartObject* chart, int x, int y, int width, int height, int bgColor,
                                                   int edgeColor, int hGridColor, int vGridColor) {
    if (XyDrawing* xy = Xy(chart)) {
        xy->plotX = x;
        xy->plotY = y;
        xy->plotW = width > 0 ? width : 0;
        xy->plotH = height > 0 ? height : 0;
        xy->plotBg = OrDefault(bgColor, kTransparent);
        xy->plotEdge = OrDefault(edgeColor, kTransparent);
        xy->hGrid = OrDefault(hGridColor, 0xC0C0C0);
        xy->vGrid = OrDefault(vGridColor, kTransparent);
    }
}

XYCHART_API void XYCHART_CALL CXYChart_setXLabels(ChartObject* chart, int count, const char* const* labels) {
    XyDrawing* xy = Xy(chart);
    if (xy == nullptr || count < 0 || (count > 0 && labels == nullptr)) return;
    Guarded([&] {
        xy->xLabels.clear();
        for (int i = 0; i < count; ++i) xy->xLabels.push_back(Widen(labels[i]));
    });
}

XYCHART_API void XYCHART_CALL CXYChart_setAxisTitle(ChartObject* chart, int axis, const char* text) {
    if (XyDrawing* xy = Xy(chart)) Guarded([&] { (axis == 0 ? xy->xTitle : xy->yTitle) = Widen(text); });
}

XYCHART_API void XYCHART_CALL CXYChart_setYRange(ChartObject* chart, double min, double max) {
    if (XyDrawing* xy = Xy(chart)) {
        xy->fixedMin = min;
        xy->fixedMax = max;
    }
}

XYCHART_API int XYCHART_CALL CXYChart_addBoxLayer(ChartObject* chart, int count, const double* tops,
                                                  const double* bottoms, int color, const char* name) {
    XyDrawing* xy = Xy(chart);
    if (xy == nullptr || count < 0) return -1;
    return Guarded(-1, [&] {
        XyDrawing::Layer layer;
        layer.tops = Series(count, tops);
        layer.bottoms = bottoms == nullptr ? std::vector<double>(static_cast<size_t>(count), 0.0) : Series(count, bottoms);
        layer.colors = {OrDefault(color, PaletteColor(xy->layers.size()))};
        layer.name = Widen(name);
        xy->layers.push_back(std::move(layer));
        return static_cast<int>(xy->layers.size()) - 1;
    });
}

XYCHART_API int XYCHART_CALL CXYChart_addBoxWhiskerLayer(ChartObject* chart, int count, const double* boxTops,
                                                         const double* boxBottoms, const double* maxima,
                                                         const double* minima, const double* medians, int colorCount,
                                                         const int* colors, double whiskerBrightness) {
    XyDrawing* xy = Xy(chart);
    if (xy == nullptr || count < 0) return -1;
    return Guarded(-1, [&] {
        XyDrawing::Layer layer;
        layer.whiskers = true;
        layer.tops = Series(count, boxTops);
        layer.bottoms = Series(count, boxBottoms);
        layer.maxima = Series(count, maxima);
        layer.minima = Series(count, minima);
        layer.medians = Series(count, medians);
        if (colors != nullptr && colorCount > 0) layer.colors.assign(colors, colors + colorCount);
        for (int i = 0; layer.colors.empty() && i < count; ++i) layer.colors.push_back(PaletteColor(static_cast<size_t>(i)));
        layer.whiskerBrightness = whiskerBrightness;
        xy->layers.push_back(std::move(layer));
        return static_cast<int>(xy->layers.size()) - 1;
    });
}

XYCHART_API void XYCHART_CALL CXYChart_setXTimes(ChartObject* chart, int count, const double* times) {
    XyDrawing* xy = Xy(chart);
    if (xy == nullptr || count < 0 || (count > 0 && times == nullptr)) return;
    Guarded([&] { xy->xTimes = Series(count, times); });
}

XYCHART_API int XYCHART_CALL CXYChart_addLineLayer(ChartObject* chart, int count, const double* values, int color,
                                                   const char* name) {
    XyDrawing* xy = Xy(chart);
    if (xy == nullptr || count < 0 || (count > 0 && values == nullptr)) return -1;
    return Guarded(-1, [&] {
        XyDrawing::Layer layer;
        layer.line = true;
        layer.values = Series(count, values);
        layer.colors = {OrDefault(color, PaletteColor(xy->layers.size()))};
        layer.name = Widen(name);
        xy->layers.push_back(std::move(layer));
        return static_cast<int>(xy->layers.size()) - 1;
    });
}

XYCHART_API void XYCHART_CALL CXYChart_setLineWidth(ChartObject* chart, int layer, int width) {
    if (XyDrawing::Layer* l = LayerOf(chart, layer)) l->lineWidth = std::clamp(width, 1, 20);
}

XYCHART_API void XYCHART_CALL CXYChart_setBarWidth(ChartObject* chart, int layer, int width) {
    if (XyDrawing::Layer* l = LayerOf(chart, layer)) l->barWidth = width;
}

XYCHART_API void XYCHART_CALL CXYChart_setLayerBorder(ChartObject* chart, int layer, int color, int raisedEffect) {
    if (XyDrawing::Layer* l = LayerOf(chart, layer)) {
        l->border = color;
        l->raised = raisedEffect > 0 ? raisedEffect : 0;
    }
}
