// Every chart: titles, legend, rendering, metrics and the hot-spot map.
#include "Chart.h"
#include "Exports.h"
#include "ImageMap.h"

using namespace xychart;
using namespace xychart::detail;

namespace {
std::string Text(const char* text) { return text == nullptr ? std::string() : std::string(text); }
}  // namespace

XYCHART_API void XYCHART_CALL CBaseChart_destroy(ChartObject* chart) { delete chart; }

XYCHART_API int XYCHART_CALL CBaseChart_addTitle(ChartObject* chart, int alignment, const char* text, const char* font,
                                                  double size, int color, int bgColor, int edgeColor) {
    if (chart == nullptr) return -1;
    return Guarded(-1, [&] {
        ChartObject::Title title{alignment < 1 || alignment > 9 ? kTopCenter : alignment,
                                 Widen(text),
                                 TextStyle{Widen(font), size > 0 ? size : 12, OrDefault(color, 0x000000), false},
                                 OrDefault(bgColor, kTransparent),
                                 OrDefault(edgeColor, kTransparent)};
        chart->titles.push_back(title);
        return static_cast<int>(chart->titles.size()) - 1;
    });
}

XYCHART_API void XYCHART_CALL CBaseChart_setTitleMargins(ChartObject* chart, int title, int left, int right, int top,
                                                         int bottom) {
    if (chart == nullptr || title < 0 || title >= static_cast<int>(chart->titles.size())) return;
    ChartObject::Title& t = chart->titles[static_cast<size_t>(title)];
    t.left = left;
    t.right = right;
    t.top = top;
    t.bottom = bottom;
}

XYCHART_API void XYCHART_CALL CBaseChart_addLegend(ChartObject* chart, int x, int y, int vertical, const char* font,
                                                   double size) {
    if (chart == nullptr) return;
    Guarded([&] {
        chart->legend = ChartObject::Legend{true, x, y, vertical != 0, TextStyle{Widen(font), size > 0 ? size : 10, 0, false}};
    });
}

XYCHART_API int XYCHART_CALL CBaseChart_makeChart2(ChartObject* chart, int format, ChartMemBlock* out) {
    if (chart == nullptr || out == nullptr || format != kFormatBmp) return 0;
    return Guarded(0, [&] {
        Canvas canvas(chart->width, chart->height, chart->GroundColor());
        chart->Render(canvas);
        KeepImageBuffer(std::move(chart->image));
        chart->image = canvas.ToBmp();
        chart->imageMap.clear();
        if (chart->image.empty()) return 0;
        out->data = chart->image.data();
        out->len = static_cast<int>(chart->image.size());
        return 1;
    });
}

XYCHART_API int XYCHART_CALL CBaseChart_layOutChart(ChartObject* chart) {
    if (chart == nullptr) return 0;
    return Guarded(0, [&] {
        chart->LayOut();
        KeepImageBuffer(std::move(chart->image));
        chart->image.clear();
        chart->imageMap.clear();
        return 1;
    });
}

XYCHART_API const char* XYCHART_CALL CBaseChart_getChartMetrics(ChartObject* chart) {
    if (chart == nullptr || !chart->laidOut) return nullptr;
    return chart->metrics.c_str();
}

XYCHART_API const char* XYCHART_CALL CBaseChart_getHTMLImageMap(ChartObject* chart, const char* url, const char* query,
                                                               const char* extraAttr) {
    if (chart == nullptr || !chart->laidOut) return nullptr;
    return Guarded<const char*>(nullptr, [&] {
        chart->imageMap = WriteImageMap(chart->hotSpots, Text(url), Text(query), Text(extraAttr));
        return chart->imageMap.c_str();
    });
}
