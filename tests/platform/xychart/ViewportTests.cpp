// The viewport of a chart viewer: zooms keep the point under the pointer, drags move by the pixels
// dragged, and every change stays inside the full scales and the zoom limits.
#include "ChartImage.h"

#include <gtest/gtest.h>

namespace {

class ViewportTest : public testing::Test {
protected:
    void SetUp() override {
        // A plot area 400 wide and 200 tall at (50, 20), as a rendered chart reports it.
        XYChart chart(500, 260);
        chart.setPlotArea(50, 20, 400, 200, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
        ASSERT_GT(Render(chart).width, 0);
        viewport.setChartMetrics(chart.getChartMetrics());
    }

    ChartViewport viewport;
};

TEST_F(ViewportTest, PlotAreaComesFromTheChartsMetrics) {
    EXPECT_EQ(50, viewport.getPlotAreaLeft());
    EXPECT_EQ(20, viewport.getPlotAreaTop());
    EXPECT_EQ(400, viewport.getPlotAreaWidth());
    EXPECT_EQ(200, viewport.getPlotAreaHeight());
    EXPECT_TRUE(viewport.inPlotArea(50, 20));
    EXPECT_TRUE(viewport.inPlotArea(449, 219));
    EXPECT_FALSE(viewport.inPlotArea(450, 100));
    EXPECT_FALSE(viewport.inPlotArea(49, 100));
    viewport.setChartMetrics(nullptr);
    EXPECT_FALSE(viewport.inPlotArea(100, 100));
    EXPECT_FALSE(viewport.zoomAt(xychart::kBothAxes, 100, 100, 2));
}

TEST_F(ViewportTest, ZoomInAboutAPointKeepsThatPointInPlace) {
    // A quarter of the way across: the scale value there stays a quarter of the way across.
    EXPECT_TRUE(viewport.zoomAt(xychart::kHorizontal, 150, 120, 2));
    EXPECT_DOUBLE_EQ(0.5, viewport.getViewPortWidth());
    EXPECT_DOUBLE_EQ(0.125, viewport.getViewPortLeft());
    EXPECT_DOUBLE_EQ(1, viewport.getViewPortHeight());  // the other axis is left alone
    EXPECT_TRUE(viewport.canZoomOut(xychart::kHorizontal));
    EXPECT_FALSE(viewport.canZoomOut(xychart::kVertical));
    EXPECT_TRUE(viewport.zoomAt(xychart::kHorizontal, 150, 120, 0.5));
    EXPECT_DOUBLE_EQ(1, viewport.getViewPortWidth());
    EXPECT_DOUBLE_EQ(0, viewport.getViewPortLeft());
    EXPECT_FALSE(viewport.zoomAt(xychart::kHorizontal, 150, 120, 0.5));  // cannot show more than everything
}

TEST_F(ViewportTest, ZoomStopsAtItsLimit) {
    viewport.setZoomInLimits(0.25, 0.25);
    EXPECT_TRUE(viewport.zoomAt(xychart::kBothAxes, 250, 120, 10));
    EXPECT_DOUBLE_EQ(0.25, viewport.getViewPortWidth());
    EXPECT_DOUBLE_EQ(0.25, viewport.getViewPortHeight());
    EXPECT_FALSE(viewport.canZoomIn(xychart::kBothAxes));
    EXPECT_FALSE(viewport.zoomAt(xychart::kBothAxes, 250, 120, 2));
}

TEST_F(ViewportTest, BoxZoomShowsTheBoxAndDragMovesByThePixelsDragged) {
    EXPECT_TRUE(viewport.zoomTo(xychart::kBothAxes, 250, 70, 150, 170));  // corners in either order
    EXPECT_DOUBLE_EQ(0.25, viewport.getViewPortLeft());
    EXPECT_DOUBLE_EQ(0.25, viewport.getViewPortWidth());
    EXPECT_DOUBLE_EQ(0.25, viewport.getViewPortTop());
    EXPECT_DOUBLE_EQ(0.5, viewport.getViewPortHeight());
    viewport.startDrag();
    // Dragging the picture 100 pixels left shows what lay to the right: a quarter of the view.
    EXPECT_TRUE(viewport.dragTo(xychart::kHorizontal, -100, 40));
    EXPECT_DOUBLE_EQ(0.3125, viewport.getViewPortLeft());
    EXPECT_DOUBLE_EQ(0.25, viewport.getViewPortTop());
    // Far past the edge: stopped at the end of the scale.
    EXPECT_TRUE(viewport.dragTo(xychart::kBothAxes, -100000, 100000));
    EXPECT_DOUBLE_EQ(0.75, viewport.getViewPortLeft());
    EXPECT_DOUBLE_EQ(0, viewport.getViewPortTop());
}

TEST_F(ViewportTest, ValidationBringsAViewportSetOutsideBackIntoTheScales) {
    viewport.setViewPort(0.9, -0.5, 0.5, 3);
    EXPECT_TRUE(viewport.validateViewport());
    EXPECT_DOUBLE_EQ(0.5, viewport.getViewPortLeft());
    EXPECT_DOUBLE_EQ(0.5, viewport.getViewPortWidth());
    EXPECT_DOUBLE_EQ(0, viewport.getViewPortTop());
    EXPECT_DOUBLE_EQ(1, viewport.getViewPortHeight());
    EXPECT_FALSE(viewport.validateViewport());
}

}  // namespace
