// The viewport of a chart viewer.
#include "Exports.h"
#include "Viewport.h"

#include <xychart/XyChart.h>

using namespace xychart::detail;

XYCHART_API ChartViewportObject* XYCHART_CALL ChartViewport_create() {
    return Guarded<ChartViewportObject*>(nullptr, [] { return new ChartViewportObject(); });
}

XYCHART_API void XYCHART_CALL ChartViewport_destroy(ChartViewportObject* viewport) { delete viewport; }

XYCHART_API void XYCHART_CALL ChartViewport_setChartMetrics(ChartViewportObject* viewport, const char* metrics) {
    if (viewport != nullptr) viewport->SetMetrics(metrics);
}

XYCHART_API int XYCHART_CALL ChartViewport_validateViewport(ChartViewportObject* viewport) {
    return viewport != nullptr && viewport->Validate();
}

XYCHART_API int XYCHART_CALL ChartViewport_inPlotArea(ChartViewportObject* viewport, int x, int y) {
    return viewport != nullptr && viewport->InPlotArea(x, y);
}

XYCHART_API void XYCHART_CALL ChartViewport_startDrag(ChartViewportObject* viewport) {
    if (viewport == nullptr) return;
    viewport->dragLeft = viewport->left;
    viewport->dragTop = viewport->top;
}

XYCHART_API int XYCHART_CALL ChartViewport_dragTo(ChartViewportObject* viewport, int axes, int dx, int dy) {
    return viewport != nullptr && viewport->DragTo(axes, dx, dy);
}

XYCHART_API int XYCHART_CALL ChartViewport_canZoomIn(ChartViewportObject* viewport, int axes) {
    return viewport != nullptr && viewport->CanZoomIn(axes);
}

XYCHART_API int XYCHART_CALL ChartViewport_canZoomOut(ChartViewportObject* viewport, int axes) {
    return viewport != nullptr && viewport->CanZoomOut(axes);
}

XYCHART_API int XYCHART_CALL ChartViewport_zoomAt(ChartViewportObject* viewport, int axes, int x, int y, double factor) {
    return viewport != nullptr && viewport->ZoomAt(axes, x, y, factor);
}

XYCHART_API int XYCHART_CALL ChartViewport_zoomTo(ChartViewportObject* viewport, int axes, int x1, int y1, int x2,
                                                  int y2) {
    return viewport != nullptr && viewport->ZoomTo(axes, x1, y1, x2, y2);
}

XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaLeft(ChartViewportObject* viewport) {
    return viewport == nullptr ? 0 : static_cast<int>(viewport->plot.left);
}

XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaTop(ChartViewportObject* viewport) {
    return viewport == nullptr ? 0 : static_cast<int>(viewport->plot.top);
}

XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaWidth(ChartViewportObject* viewport) {
    return viewport == nullptr ? 0 : static_cast<int>(viewport->plot.right - viewport->plot.left);
}

XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaHeight(ChartViewportObject* viewport) {
    return viewport == nullptr ? 0 : static_cast<int>(viewport->plot.bottom - viewport->plot.top);
}

XYCHART_API double XYCHART_CALL ChartViewport_getViewPortLeft(ChartViewportObject* viewport) {
    return viewport == nullptr ? 0 : viewport->left;
}

XYCHART_API double XYCHART_CALL ChartViewport_getViewPortTop(ChartViewportObject* viewport) {
    return viewport == nullptr ? 0 : viewport->top;
}

XYCHART_API double XYCHART_CALL ChartViewport_getViewPortWidth(ChartViewportObject* viewport) {
    return viewport == nullptr ? 1 : viewport->width;
}

XYCHART_API double XYCHART_CALL ChartViewport_getViewPortHeight(ChartViewportObject* viewport) {
    return viewport == nullptr ? 1 : viewport->height;
}

XYCHART_API void XYCHART_CALL ChartViewport_setViewPort(ChartViewportObject* viewport, double left, double top,
                                                        double width, double height) {
    if (viewport == nullptr) return;
    viewport->left = left;
    viewport->top = top;
    viewport->width = width;
    viewport->height = height;
}

XYCHART_API void XYCHART_CALL ChartViewport_setZoomInLimits(ChartViewportObject* viewport, double width, double height) {
    if (viewport == nullptr) return;
    viewport->minWidth = width > 0 ? width : 0.01;
    viewport->minHeight = height > 0 ? height : 0.01;
}
