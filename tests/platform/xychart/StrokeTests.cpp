// Wide lines filled into pixels: a line is exactly the pixels whose centres lie within half its
// width of one of its segments, cut at the clip rectangle.
#include "Stroke.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using xychart::detail::StrokeClip;
using xychart::detail::StrokeLine;
using xychart::detail::StrokePoint;

constexpr int kSize = 64;
constexpr uint32_t kBack = 0xFFFFFF, kInk = 0x123456;

struct Pixels {
    std::vector<uint32_t> bits = std::vector<uint32_t>(kSize * kSize, kBack);
    uint32_t At(int x, int y) const { return bits[static_cast<size_t>(y) * kSize + x]; }
    int InkIn(int column) const {
        int count = 0;
        for (int y = 0; y < kSize; ++y) count += At(column, y) == kInk;
        return count;
    }
};

double DistanceToSegment(double x, double y, const StrokePoint& a, const StrokePoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

const StrokeClip kWhole{0, 0, kSize, kSize};

TEST(Stroke, ALevelLineOfWidthFourCoversFourRowsAndRoundsItsEnds) {
    Pixels p;
    StrokeLine(p.bits.data(), kSize, kWhole, {{10, 10}, {30, 10}}, 2.0, kInk);
    for (int column = 10; column < 30; ++column) {
        EXPECT_EQ(4, p.InkIn(column)) << column;
        for (int row = 8; row <= 11; ++row) EXPECT_EQ(kInk, p.At(column, row));
    }
    // The round ends: narrower a pixel and a half out, nothing beyond the radius.
    EXPECT_EQ(2, p.InkIn(8));
    EXPECT_EQ(2, p.InkIn(31));
    EXPECT_EQ(0, p.InkIn(7));
    EXPECT_EQ(0, p.InkIn(32));
}

TEST(Stroke, EveryPixelWithinTheRadiusOfASegmentIsInkAndNoOther) {
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> place(4, kSize - 4);
    for (int round = 0; round < 200; ++round) {
        std::vector<StrokePoint> line;
        const int points = 1 + round % 4;
        for (int i = 0; i < points; ++i) line.push_back({std::round(place(random)), std::round(place(random))});
        const double radius = 1.0 + round % 3;
        Pixels p;
        StrokeLine(p.bits.data(), kSize, kWhole, line, radius, kInk);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                double nearest = HUGE_VAL;
                for (size_t i = 0; i < line.size(); ++i) {
                    const StrokePoint& b = i + 1 < line.size() ? line[i + 1] : line[i];
                    nearest = std::min(nearest, DistanceToSegment(x + 0.5, y + 0.5, line[i], b));
                }
                // Pixels at the radius itself, give or take rounding, may go either way.
                if (std::fabs(nearest - radius) < 1e-9) continue;
                ASSERT_EQ(nearest < radius, p.At(x, y) == kInk)
                    << "round " << round << ", pixel " << x << "," << y << ", " << nearest << " from the line";
            }
        }
    }
}

TEST(Stroke, NothingOutsideTheClipIsTouched) {
    Pixels p;
    const StrokeClip clip{20, 20, 40, 40};
    StrokeLine(p.bits.data(), kSize, clip, {{5, 5}, {60, 60}, {5, 60}}, 3.0, kInk);
    int inside = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool in = x >= 20 && x < 40 && y >= 20 && y < 40;
            if (!in) ASSERT_EQ(kBack, p.At(x, y)) << x << "," << y;
            inside += in && p.At(x, y) == kInk;
        }
    }
    EXPECT_GT(inside, 20 * 4);
}

TEST(Stroke, APointAloneIsADisc) {
    Pixels p;
    StrokeLine(p.bits.data(), kSize, kWhole, {{32, 32}}, 3.0, kInk);
    int ink = 0;
    for (uint32_t pixel : p.bits) ink += pixel == kInk;
    // The pixel centres within 3 of a pixel corner: 32 of them.
    EXPECT_EQ(32, ink);
}

}  // namespace
