#include "Viewport.h"

#include <xychart/XyChart.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double kEpsilon = 1e-9;

bool Horizontal(int axes) { return axes != xychart::kVertical; }
bool Vertical(int axes) { return axes != xychart::kHorizontal; }

}  // namespace

void ChartViewportObject::SetMetrics(const char* metrics) {
    plot = RECT{0, 0, 0, 0};
    const char* at = metrics == nullptr ? nullptr : std::strstr(metrics, "plotarea=");
    long x = 0, y = 0, w = 0, h = 0;
    if (at != nullptr && std::sscanf(at, "plotarea=%ld,%ld,%ld,%ld", &x, &y, &w, &h) == 4 && w > 0 && h > 0) {
        plot = RECT{x, y, x + w, y + h};
    }
}

bool ChartViewportObject::Validate() {
    const double before[4] = {left, top, width, height};
    auto fit = [](double& start, double& size, double minimum) {
        if (!std::isfinite(size)) size = 1;
        if (!std::isfinite(start)) start = 0;
        size = std::clamp(size, std::min(minimum, 1.0), 1.0);
        start = std::clamp(start, 0.0, 1.0 - size);
    };
    fit(left, width, minWidth);
    fit(top, height, minHeight);
    return before[0] != left || before[1] != top || before[2] != width || before[3] != height;
}

bool ChartViewportObject::InPlotArea(int x, int y) const {
    return x >= plot.left && x < plot.right && y >= plot.top && y < plot.bottom;
}

bool ChartViewportObject::DragTo(int axes, int dx, int dy) {
    const double oldLeft = left, oldTop = top;
    if (Horizontal(axes) && plot.right > plot.left) left = dragLeft - double(dx) * width / (plot.right - plot.left);
    if (Vertical(axes) && plot.bottom > plot.top) top = dragTop - double(dy) * height / (plot.bottom - plot.top);
    Validate();
    return left != oldLeft || top != oldTop;
}

bool ChartViewportObject::CanZoomIn(int axes) const {
    return (Horizontal(axes) && width > minWidth + kEpsilon) || (Vertical(axes) && height > minHeight + kEpsilon);
}

bool ChartViewportObject::CanZoomOut(int axes) const {
    return (Horizontal(axes) && width < 1 - kEpsilon) || (Vertical(axes) && height < 1 - kEpsilon);
}

bool ChartViewportObject::ZoomAt(int axes, int x, int y, double factor) {
    if (!(factor > 0) || plot.right <= plot.left || plot.bottom <= plot.top) return false;
    const double before[4] = {left, top, width, height};
    // The scale value under the point stays under the point.
    auto zoom = [&](double& start, double& size, double minimum, double along, double span) {
        const double anchor = start + along / span * size;
        size = std::clamp(size / factor, std::min(minimum, 1.0), 1.0);
        start = anchor - along / span * size;
    };
    if (Horizontal(axes)) zoom(left, width, minWidth, x - plot.left, plot.right - plot.left);
    if (Vertical(axes)) zoom(top, height, minHeight, y - plot.top, plot.bottom - plot.top);
    Validate();
    return before[0] != left || before[1] != top || before[2] != width || before[3] != height;
}

bool ChartViewportObject::ZoomTo(int axes, int x1, int y1, int x2, int y2) {
    if (plot.right <= plot.left || plot.bottom <= plot.top) return false;
    const double before[4] = {left, top, width, height};
    auto zoom = [](double& start, double& size, double minimum, long a, long b, long from, long to) {
        a = std::clamp(a, from, to);
        b = std::clamp(b, from, to);
        if (a == b) return;
        const double span = double(to - from);
        const double low = start + (std::min(a, b) - from) / span * size;
        const double newSize = std::max(std::labs(b - a) / span * size, std::min(minimum, 1.0));
        start = low;
        size = newSize;
    };
    if (Horizontal(axes)) zoom(left, width, minWidth, x1, x2, plot.left, plot.right);
    if (Vertical(axes)) zoom(top, height, minHeight, y1, y2, plot.top, plot.bottom);
    Validate();
    return before[0] != left || before[1] != top || before[2] != width || before[3] != height;
}
