// The viewport arithmetic of a chart viewer: which part of the full scales is in view, moved by
// drags and zooms measured in the viewer's pixels over the chart's plot area.
#pragma once

#include <windows.h>

#include <string>

struct ChartViewportObject {
    double left = 0, top = 0, width = 1, height = 1;
    double minWidth = 0.01, minHeight = 0.01;
    RECT plot = {0, 0, 0, 0};
    double dragLeft = 0, dragTop = 0;  // the viewport when the drag started

    void SetMetrics(const char* metrics);
    bool Validate();
    bool InPlotArea(int x, int y) const;
    bool DragTo(int axes, int dx, int dy);
    bool CanZoomIn(int axes) const;
    bool CanZoomOut(int axes) const;
    bool ZoomAt(int axes, int x, int y, double factor);
    bool ZoomTo(int axes, int x1, int y1, int x2, int y2);
};
