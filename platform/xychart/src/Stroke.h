// Wide lines with round joins and ends, filled straight into 32-bit pixels: a line is the pixels
// whose centres lie within half its width of one of its segments. Widening a line into an outline
// and filling that, as GDI does, costs Wine about a millisecond for a half-hour line of 1800 points;
// this costs a small part of it, and at the canvas's double size the edges come out the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xychart::detail {

struct StrokePoint {
    double x;
    double y;
};

// The pixels a stroke may touch: [left, right) × [top, bottom).
struct StrokeClip {
    int left;
    int top;
    int right;
    int bottom;
};

// Sets every pixel within `radius` of the line through `points` (a point alone: of that point) to
// `color`. `pixels` holds rows of `stride` pixels; nothing outside `clip` is touched.
void StrokeLine(uint32_t* pixels, size_t stride, const StrokeClip& clip, const std::vector<StrokePoint>& points,
                double radius, uint32_t color);

}  // namespace xychart::detail
