#include "Stroke.h"

#include <algorithm>
#include <cmath>

namespace xychart::detail {
namespace {

// Widens [low, high] to take in [from, to].
void Take(double from, double to, double* low, double* high) {
    *low = std::min(*low, from);
    *high = std::max(*high, to);
}

// Where a column meets the disc of `radius` about `centre`, if it does.
void DiscColumn(const StrokePoint& centre, double radius, double x, double* low, double* high) {
    const double across = x - centre.x;
    if (std::fabs(across) > radius) return;
    const double half = std::sqrt(radius * radius - across * across);
    Take(centre.y - half, centre.y + half, low, high);
}

// The values of y for which `at + slope * y` lies in [from, to], narrowing [*low, *high].
bool Narrow(double at, double slope, double from, double to, double* low, double* high) {
    if (slope == 0) return at >= from && at <= to;
    double first = (from - at) / slope, second = (to - at) / slope;
    if (first > second) std::swap(first, second);
    *low = std::max(*low, first);
    *high = std::min(*high, second);
    return *low <= *high;
}

// The rows of pixels of column centre `x` that lie within `radius` of the segment from `a` to `b`:
// false when none do, else the first and the last row.
bool SegmentColumn(const StrokePoint& a, const StrokePoint& b, double radius, double x, int* firstRow, int* lastRow) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    // The round ends.
    DiscColumn(a, radius, x, &low, &high);
    DiscColumn(b, radius, x, &low, &high);
    // The band along the segment: across it no further than the radius, along it within its length.
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    if (length > 0) {
        const double ux = dx / length, uy = dy / length;
        // For the point (x, y): along = (x - a.x) * ux + (y - a.y) * uy, across = -(x - a.x) * uy + (y - a.y) * ux.
        double bandLow = -HUGE_VAL, bandHigh = HUGE_VAL;
        const double offsetX = x - a.x;
        if (Narrow(offsetX * ux - a.y * uy, uy, 0, length, &bandLow, &bandHigh) &&
            Narrow(-offsetX * uy - a.y * ux, ux, -radius, radius, &bandLow, &bandHigh)) {
            Take(bandLow, bandHigh, &low, &high);
        }
    }
    if (low > high) return false;
    // Rows whose centres (row + 0.5) lie in [low, high].
    *firstRow = static_cast<int>(std::ceil(low - 0.5));
    *lastRow = static_cast<int>(std::floor(high - 0.5));
    return *firstRow <= *lastRow;
}

}  // namespace

void StrokeLine(uint32_t* pixels, size_t stride, const StrokeClip& clip, const std::vector<StrokePoint>& points,
                double radius, uint32_t color) {
    if (points.empty() || clip.left >= clip.right || clip.top >= clip.bottom) return;
    auto segment = [&](const StrokePoint& a, const StrokePoint& b) {
        const int from = std::max(clip.left, static_cast<int>(std::floor(std::min(a.x, b.x) - radius - 0.5)));
        const int to = std::min(clip.right - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + radius - 0.5)));
        for (int column = from; column <= to; ++column) {
            int first = 0, last = 0;
            if (!SegmentColumn(a, b, radius, column + 0.5, &first, &last)) continue;
            first = std::max(first, clip.top);
            last = std::min(last, clip.bottom - 1);
            for (int row = first; row <= last; ++row) pixels[static_cast<size_t>(row) * stride + column] = color;
        }
    };
    if (points.size() == 1) {
        segment(points[0], points[0]);
        return;
    }
    for (size_t i = 0; i + 1 < points.size(); ++i) segment(points[i], points[i + 1]);
}

}  // namespace xychart::detail
