// Line layers over a time axis: the lines pass through their points at their times, break where a
// value is missing, stay inside a fixed scale, and the axis marks round clock times.
#include "ChartImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using support::gui::Picture;

constexpr int kRed = 0xE00000, kGreen = 0x00C000;
constexpr int kPlotX = 50, kPlotY = 20, kPlotW = 300, kPlotH = 140;
// 2026-12-09 10:00:00 as seconds since 0001-01-01: 739,958 whole days and ten hours.
constexpr double kTen = 739958.0 * 86400 + 10 * 3600;

struct LineChart {
    XYChart chart{400, 200};
    Picture picture;
    std::vector<double> xscale, yscale;

    LineChart(const std::vector<double>& times, const std::vector<double>& values, double yLow = 0, double yHigh = 0,
              int colour = kRed) {
        chart.setPlotArea(kPlotX, kPlotY, kPlotW, kPlotH, xychart::kTransparent, xychart::kTransparent, 0xE0E0E0,
                          kGreen);
        chart.setXTimes(static_cast<int>(times.size()), times.data());
        chart.setYRange(yLow, yHigh);
        chart.setLineWidth(chart.addLineLayer(static_cast<int>(values.size()), values.data(), colour, "Rx Packet"), 3);
        picture = Render(chart);
        xscale = MetricsField(chart.getChartMetrics(), "xscale");
        yscale = MetricsField(chart.getChartMetrics(), "yscale");
    }
    int X(double time) const {
        return static_cast<int>(std::lround(kPlotX + (time - xscale[0]) * kPlotW / (xscale[1] - xscale[0])));
    }
    int Y(double value) const {
        return static_cast<int>(std::lround(kPlotY + kPlotH - (value - yscale[0]) * kPlotH / (yscale[1] - yscale[0])));
    }
    // Red within a pixel of the point: the line's middle is its own colour, edges are smoothed.
    bool RedNear(int x, int y) const {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (picture.At(x + dx, y + dy) == Ref(kRed)) return true;
            }
        }
        return false;
    }
};

TEST(LineChartImageTest, TheLinePassesThroughEachPointAtItsTime) {
    const std::vector<double> times = {kTen, kTen + 1, kTen + 2, kTen + 5, kTen + 9};
    const std::vector<double> values = {120, 480, 300, 900, 60};
    const LineChart line(times, values);
    ASSERT_EQ(2u, line.xscale.size());
    EXPECT_EQ(kTen, line.xscale[0]);
    EXPECT_EQ(kTen + 9, line.xscale[1]);
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_TRUE(line.RedNear(line.X(times[i]), line.Y(values[i]))) << i;
    }
    // Half way between the points at 2 s and 5 s the line is half way between their values.
    EXPECT_TRUE(line.RedNear(line.X(kTen + 3.5), line.Y(600)));
    EXPECT_FALSE(line.RedNear(line.X(kTen + 3.5), line.Y(200)));
    // Smoothed: between the line's colour and the white ground lie mixed pixels.
    int mixed = 0;
    for (uint32_t pixel : line.picture.pixels) mixed += (pixel >> 16) > 0x80 && pixel != 0xE00000 && pixel != 0xFFFFFF;
    EXPECT_GT(mixed, 100);
}

TEST(LineChartImageTest, AMissingValueBreaksTheLine) {
    const std::vector<double> times = {kTen, kTen + 1, kTen + 2, kTen + 3, kTen + 4};
    const LineChart line(times, {500, 500, 1.7e308, 500, 500});
    EXPECT_TRUE(line.RedNear(line.X(kTen + 0.5), line.Y(500)));
    EXPECT_FALSE(line.RedNear(line.X(kTen + 2), line.Y(500)));
    EXPECT_TRUE(line.RedNear(line.X(kTen + 3.5), line.Y(500)));
}

TEST(LineChartImageTest, AFixedScaleCutsTheLineAtThePlotAreasEdge) {
    const LineChart line({kTen, kTen + 10}, {0, 1000}, 0, 500);
    ASSERT_EQ(2u, line.yscale.size());
    EXPECT_EQ(500, line.yscale[1]);
    EXPECT_TRUE(line.RedNear(line.X(kTen + 2.5), line.Y(250)));
    int above = 0;
    for (int y = 0; y < kPlotY - 1; ++y) {
        for (int x = 0; x < 400; ++x) above += line.picture.At(x, y) == Ref(kRed);
    }
    EXPECT_EQ(0, above);
}

TEST(LineChartImageTest, GridLinesOfTheTimeAxisStandAtRoundClockTimes) {
    const LineChart line({kTen + 7, kTen + 307}, {1, 2});
    // The vertical grid lines, found along a row near the plot area's top.
    std::vector<double> gridTimes;
    for (int x = kPlotX + 1; x < kPlotX + kPlotW - 1; ++x) {
        if (line.picture.At(x, kPlotY + 5) == Ref(kGreen)) {
            gridTimes.push_back(line.xscale[0] + (x + 0.5 - kPlotX) * (line.xscale[1] - line.xscale[0]) / kPlotW);
        }
    }
    ASSERT_GE(gridTimes.size(), 2u);
    const double step = std::round(gridTimes[1] - gridTimes[0]);
    bool roundStep = false;
    for (double clock : {1, 2, 5, 10, 15, 30, 60, 120, 300, 600}) roundStep = roundStep || step == clock;
    EXPECT_TRUE(roundStep) << step;
    // Each line a whole multiple of the step, to within the pixel it stands on.
    const double secondsAPixel = (line.xscale[1] - line.xscale[0]) / kPlotW;
    for (double t : gridTimes) {
        const double off = std::fabs(t / step - std::round(t / step)) * step;
        EXPECT_LE(off, secondsAPixel) << t;
    }
}

TEST(LineChartImageTest, ASingleSampleIsADotInTheMiddleOfAMinute) {
    const LineChart line({kTen}, {40});
    ASSERT_EQ(2u, line.xscale.size());
    EXPECT_EQ(kTen - 30, line.xscale[0]);
    EXPECT_EQ(kTen + 30, line.xscale[1]);
    EXPECT_TRUE(line.RedNear(line.X(kTen), line.Y(40)));
}

TEST(LineChartImageTest, LineChartIsKeptForAPersonToLookAt) {
    XYChart chart(560, 260);
    chart.setPlotArea(70, 30, 460, 180, 0xFFFFFF, xychart::kTransparent, 0xC0C0C0, 0xE8E8E8);
    chart.addTitle(xychart::kTopCenter, "Port A -> B", nullptr, 15);
    std::vector<double> times, rx, tx;
    for (int s = 0; s < 120; ++s) {
        times.push_back(kTen + 95 + s);
        rx.push_back(9000 + 800 * std::sin(s / 9.0) + (s % 7) * 40);
        tx.push_back(s >= 60 && s < 64 ? 1.7e308 : 10000 + 600 * std::cos(s / 13.0));
    }
    chart.setXTimes(static_cast<int>(times.size()), times.data());
    chart.setLineWidth(chart.addLineLayer(120, rx.data(), 0xFF0000, "Rx Packet"), 2);
    chart.setLineWidth(chart.addLineLayer(120, tx.data(), 0x0033FF, "Tx Packet"), 2);
    const Picture picture = Render(chart);
    ASSERT_GT(picture.width, 0);
    EXPECT_TRUE(support::gui::SavePng(picture, support::gui::PicturePath(L"xychart-line")));
}

// The colour's top byte is its transparency, as for a single-point dot: a transparent line leaves
// what lies under it, and one half seen through is mixed half and half with it.
TEST(LineChartImageTest, ATransparentLineIsNotDrawnAndAHalfTransparentOneIsMixedWithWhatLiesUnder) {
    const std::vector<double> times = {kTen, kTen + 10};
    const std::vector<double> level = {230, 230};
    const LineChart none(times, level, 0, 600, xychart::kTransparent);
    const LineChart half(times, level, 0, 600, 0x80000000 | kRed);
    const int x = none.X(kTen + 5), y = none.Y(230);
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -20; dx <= 20; dx += 5) {
            EXPECT_NE(none.picture.At(x + dx, y + dy), Ref(0x000000)) << "a transparent line drawn at " << dx << "," << dy;
        }
    }
    // The line's middle row: the red (0xE0, 0, 0) at 127 of 255 over what the transparent one left.
    const COLORREF under = none.picture.At(x, y), mixed = half.picture.At(x, y);
    auto expected = [](int over, int below) { return (over * 127 + below * 128) / 255.0; };
    EXPECT_NEAR(GetRValue(mixed), expected(0xE0, GetRValue(under)), 2.0);
    EXPECT_NEAR(GetGValue(mixed), expected(0, GetGValue(under)), 2.0);
    EXPECT_NEAR(GetBValue(mixed), expected(0, GetBValue(under)), 2.0);
}

// A point far below a fixed scale (a chart coordinate beyond what a 32-bit long holds) pulls the
// line down out of the plot area, never up.
TEST(LineChartImageTest, APointFarBelowAFixedScaleTakesTheLineDownward) {
    const LineChart line({kTen, kTen + 5, kTen + 10}, {250, 250, -1e12}, 0, 500);
    EXPECT_TRUE(line.RedNear(line.X(kTen + 2.5), line.Y(250)));
    EXPECT_TRUE(line.RedNear(line.X(kTen + 5), line.Y(100))) << "the line runs down from its second point";
    int above = 0;
    for (int y = kPlotY; y < line.Y(250) - 3; ++y) {
        for (int x = kPlotX; x < kPlotX + kPlotW; ++x) above += line.picture.At(x, y) == Ref(kRed);
    }
    EXPECT_EQ(0, above);
}

}  // namespace
