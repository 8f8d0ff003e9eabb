// Charts rendered for sample data: whole BMP files whose pixels show the data in proportion, with
// labels that keep apart and axes at round values.
#include "ChartImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using support::gui::Picture;

constexpr int kRed = 0xD02020, kBlue = 0x2040C0, kGreen = 0x00FF00;

// Patches of at least minimum pixels of exactly this colour, each reachable within itself (the
// minimum leaves out what lies inside a letter).
int Patches(const Picture& picture, COLORREF colour, int minimum = 60) {
    std::vector<bool> seen(picture.pixels.size(), false);
    int patches = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (seen[y * picture.width + x] || picture.At(x, y) != colour) continue;
            int size = 0;
            std::vector<POINT> todo = {POINT{x, y}};
            seen[y * picture.width + x] = true;
            while (!todo.empty()) {
                POINT p = todo.back();
                todo.pop_back();
                ++size;
                const POINT next[] = {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}};
                for (POINT n : next) {
                    if (n.x < 0 || n.y < 0 || n.x >= picture.width || n.y >= picture.height) continue;
                    if (seen[n.y * picture.width + n.x] || picture.At(n.x, n.y) != colour) continue;
                    seen[n.y * picture.width + n.x] = true;
                    todo.push_back(n);
                }
            }
            if (size >= minimum) ++patches;
        }
    }
    return patches;
}

TEST(PieChartImageTest, IsAWholeBmpFileOfTheChartsSize) {
    PieChart pie(339, 347);
    const double values[] = {1, 2};
    pie.setPieSize(170, 180, 70);
    pie.setData(2, values, nullptr);
    ChartMemBlock block = {nullptr, 0};
    ASSERT_TRUE(pie.makeChart(xychart::kFormatBmp, &block));
    ASSERT_GE(block.len, 54);
    EXPECT_EQ('B', block.data[0]);
    EXPECT_EQ('M', block.data[1]);
    uint32_t fileSize, offset;
    int32_t width, height;
    std::memcpy(&fileSize, block.data + 2, 4);
    std::memcpy(&offset, block.data + 10, 4);
    std::memcpy(&width, block.data + 18, 4);
    std::memcpy(&height, block.data + 22, 4);
    EXPECT_EQ(static_cast<uint32_t>(block.len), fileSize);
    EXPECT_EQ(339, width);
    EXPECT_EQ(347, height);
    EXPECT_EQ(static_cast<uint32_t>(block.len), offset + ((339 * 3 + 3) & ~3u) * 347);
    EXPECT_FALSE(pie.makeChart(1, &block));  // only BMP is made
}

// A 200 × 200 pie of radius 80 at the centre, flat sectors in the colours given, no labels or edges.
Picture FlatPie(const std::vector<double>& values, const std::vector<int>& colours) {
    PieChart pie(200, 200);
    pie.setPieSize(100, 100, 80);
    pie.setData(static_cast<int>(values.size()), values.data(), nullptr);
    pie.setColors(static_cast<int>(colours.size()), colours.data());
    pie.setLabelFormat("");
    pie.setSectorStyle(xychart::kFlatShading, xychart::kTransparent, 0);
    return Render(pie);
}

TEST(PieChartImageTest, SectorsShareTheDiscInProportionFromTwelveOClockClockwise) {
    const Picture picture = FlatPie({3, 1}, {kRed, kBlue});
    ASSERT_EQ(200, picture.width);
    const int red = picture.Count(Ref(kRed)), blue = picture.Count(Ref(kBlue));
    const double disc = 3.14159265 * 80 * 80;
    EXPECT_NEAR(0.75 * disc, red, 0.04 * disc);
    EXPECT_NEAR(0.25 * disc, blue, 0.04 * disc);
    EXPECT_EQ(Ref(kRed), picture.At(110, 40));  // just right of twelve o'clock: the first sector
    EXPECT_EQ(Ref(kRed), picture.At(150, 110));  // three o'clock: still the first
    EXPECT_EQ(Ref(kBlue), picture.At(60, 60));   // ten thirty: the last quarter
    EXPECT_EQ(RGB(255, 255, 255), picture.At(5, 5));
}

TEST(PieChartImageTest, SectorsOfNoValueAreLeftOutAndHugeOnesShareTheDisc) {
    // 1.7e308 is what a cleared history holds; 1e300 and above is "no value" to the library.
    PieChart pie(200, 200);
    const double values[] = {3e299, 1.7e308, 1e299, 1e300};
    const int colours[] = {kRed, kGreen, kBlue, 0x000000};
    pie.setPieSize(100, 100, 80);
    pie.setData(4, values, nullptr);
    pie.setColors(4, colours);
    pie.setLabelFormat("");
    pie.setSectorStyle(xychart::kFlatShading, xychart::kTransparent, 0);
    const Picture picture = Render(pie);
    const double disc = 3.14159265 * 80 * 80;
    EXPECT_NEAR(0.75 * disc, picture.Count(Ref(kRed)), 0.04 * disc);
    EXPECT_NEAR(0.25 * disc, picture.Count(Ref(kBlue)), 0.04 * disc);
    EXPECT_EQ(0, picture.Count(Ref(kGreen)));
    const std::string map = pie.getHTMLImageMap("", "", "title='{label}'");
    size_t areas = 0;
    for (size_t at = map.find("<area"); at != std::string::npos; at = map.find("<area", at + 1)) ++areas;
    EXPECT_EQ(2u, areas);
}

TEST(PieChartImageTest, ASectorEndingAHairPastAQuarterTurnIsDrawn) {
    // Size classes a tester counted: the last sector runs from 180 to 270.0001 degrees, an arc the
    // drawing library once flattened without end, taking the process down.
    PieChart pie(200, 200);
    const double values[] = {0, 163878, 95928, 71946, 139895, 127905, 199851, 0};
    const int colours[] = {0, 0x101010, 0x202020, 0x303030, 0x404040, 0x505050, kBlue, 0};
    pie.setPieSize(100, 100, 80);
    pie.setData(8, values, nullptr);
    pie.setColors(8, colours);
    pie.setLabelFormat("");
    pie.setSectorStyle(xychart::kFlatShading, xychart::kTransparent, 0);
    const Picture picture = Render(pie);
    ASSERT_EQ(200, picture.width);
    // The last quarter, from nine to twelve o'clock, in its colour.
    const double disc = 3.14159265 * 80 * 80;
    EXPECT_NEAR(0.25 * disc, picture.Count(Ref(kBlue)), 0.02 * disc);
    EXPECT_EQ(Ref(kBlue), picture.At(60, 60));
    EXPECT_EQ(RGB(0x50, 0x50, 0x50), picture.At(60, 140));
}

TEST(PieChartImageTest, EdgesAreSmoothedNotStaircased) {
    const Picture picture = FlatPie({1}, {0x000000});
    // Along the disc's rim lie pixels between black and white.
    int between = 0;
    for (const uint32_t pixel : picture.pixels) between += pixel != 0 && pixel != 0xFFFFFF;
    EXPECT_GT(between, 200);
}

TEST(PieChartImageTest, CrowdedLabelsAllShowAndNoneOverlaps) {
    PieChart pie(439, 347);
    const double values[] = {60, 1, 1, 1, 1, 1, 1, 1};
    const char* labels[] = {"Under Size", "64Byte", "65~127 Byte", "128~255 Byte", "256~511 Byte", "512~1023 Byte",
                            "1024~1522 Byte", "Over Size"};
    pie.setPieSize(150, 180, 70);
    pie.setData(8, values, labels);
    pie.setLabelFormat("{label}");
    pie.setLabelBox(kGreen, 0, 8, 0, 0);
    const Picture picture = Render(pie);
    support::gui::SavePng(picture, support::gui::PicturePath(L"xychart-crowded-labels"));
    EXPECT_EQ(8, Patches(picture, Ref(kGreen)));
}

TEST(PieChartImageTest, NothingToShareLeavesOnlyTheEmptyRing) {
    PieChart pie(200, 200);
    const double values[] = {0, 0, 0};
    const int colours[] = {kRed, kBlue, kGreen};
    pie.setPieSize(100, 100, 80);
    pie.setData(3, values, nullptr);
    pie.setColors(3, colours);
    const Picture picture = Render(pie);
    EXPECT_EQ(0, picture.Count(Ref(kRed)) + picture.Count(Ref(kBlue)) + picture.Count(Ref(kGreen)));
    EXPECT_EQ(RGB(255, 255, 255), picture.At(100, 100));
    EXPECT_STREQ("", pie.getHTMLImageMap("", "", "title='{label}'"));
}

struct ScaleCase {
    const char* name;
    double top;
};

class XyScaleTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(XyScaleTest, YAxisRunsFromZeroToARoundValueAboveTheData) {
    XYChart chart(779, 174);
    chart.setPlotArea(65, 30, 685, 120, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    const double tops[] = {GetParam().top / 3, GetParam().top}, bottoms[] = {0, 0};
    chart.addBoxWhiskerLayer(2, tops, bottoms, nullptr, nullptr, nullptr, 0, nullptr, 0);
    ASSERT_GT(Render(chart).width, 0);
    const std::vector<double> scale = MetricsField(chart.getChartMetrics(), "yscale");
    ASSERT_EQ(2u, scale.size());
    EXPECT_EQ(0, scale[0]);
    EXPECT_GE(scale[1], GetParam().top);
    EXPECT_LT(scale[1], GetParam().top * 2);
    // Round: at most ten steps of 1, 2 or 5 times a power of ten.
    bool round = false;
    for (double power = 1e-3; power <= 1e9 && !round; power *= 10) {
        for (double step : {power, 2 * power, 5 * power}) {
            const double steps = scale[1] / step;
            round = round || (std::fabs(steps - std::round(steps)) < 1e-9 && steps <= 10);
        }
    }
    EXPECT_TRUE(round) << scale[1];
}

INSTANTIATE_TEST_SUITE_P(Data, XyScaleTest,
                         testing::Values(ScaleCase{"Hundreds", 873}, ScaleCase{"Fraction", 0.37},
                                         ScaleCase{"Millions", 4.2e6}, ScaleCase{"JustOverAStep", 101}),
                         [](const testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

TEST(XyChartImageTest, EachBoxStandsInItsSlotInItsOwnColourFromBottomToTop) {
    XYChart chart(779, 174);
    chart.setPlotArea(65, 30, 685, 120, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    const char* labels[] = {"BC", "MC", "UC", "VLAN"};
    chart.setXLabels(4, labels);
    const double tops[] = {80, 40, 60, 20}, bottoms[] = {20, 0, 30, 10};
    const int colours[] = {0xB8BC9C, 0xA0BDC4, 0x999966, 0x333366};
    int layer = chart.addBoxWhiskerLayer(4, tops, bottoms, nullptr, nullptr, nullptr, 4, colours, 0);
    chart.setLayerBorder(layer, xychart::kDefaultColor, 1);
    const Picture picture = Render(chart);
    const std::vector<double> scale = MetricsField(chart.getChartMetrics(), "yscale");
    ASSERT_EQ(2u, scale.size());
    auto pixelY = [&](double v) { return 30 + 120 - (v - scale[0]) * 120 / (scale[1] - scale[0]); };
    for (int i = 0; i < 4; ++i) {
        const int x = static_cast<int>(65 + 685.0 / 4 * (i + 0.5));
        const int middle = static_cast<int>((pixelY(tops[i]) + pixelY(bottoms[i])) / 2);
        EXPECT_EQ(Ref(colours[i]), picture.At(x, middle)) << labels[i];
        EXPECT_NE(Ref(colours[i]), picture.At(x, static_cast<int>(pixelY(tops[i])) - 3)) << labels[i];
        EXPECT_NE(Ref(colours[i]), picture.At(x, static_cast<int>(pixelY(bottoms[i])) + 3)) << labels[i];
    }
}

TEST(XyChartImageTest, ChartsAreKeptForAPersonToLookAt) {
    // The pie and bar charts as the program's chart window asks for them.
    PieChart pie(439, 347);
    pie.setPieSize(150, 180, 70);
    pie.addLegend(305, 4, true, nullptr, 10);
    pie.setLabelFormat("{percent}%");
    int title = pie.addTitle(xychart::kBottomCenter, "Port B -> A", nullptr, 15);
    pie.setTitleMargins(title, 0, 130, 0, 30);
    pie.setLabelLayout(xychart::kLabelsOnCircle);
    pie.setLabelStyle(nullptr, 8);
    pie.setLabelBox(xychart::kItemColor, 3, 8, 5, 5);
    const double sizes[] = {2, 310, 120, 75, 40, 22, 190, 1};
    const char* classes[] = {"Under Size", "64Byte", "65~127 Byte", "128~255 Byte", "256~511 Byte", "512~1023 Byte",
                             "1024~1522 Byte", "Over Size"};
    pie.setData(8, sizes, classes);
    pie.setSectorStyle(xychart::kLocalGradientShading, 0xFFFFFF, 1);
    Picture picture = Render(pie);
    ASSERT_GT(picture.width, 0);
    EXPECT_TRUE(support::gui::SavePng(picture, support::gui::PicturePath(L"xychart-pie")));

    XYChart bars(779, 174);
    bars.setPlotArea(65, 30, 685, 120, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    bars.addTitle(xychart::kTopCenter, "Port A -> B", nullptr, 15);
    const double compareTops[] = {900, 400, 5200, 300, 4800, 100, 200, 0};
    const double compareBottoms[] = {700, 250, 4100, 100, 3900, 40, 150, 0};
    int box = bars.addBoxLayer(8, compareTops, compareBottoms, 0x8080FF, "earlier");
    bars.setBarWidth(box, 30);
    const double tops[] = {1200, 450, 6100, 350, 5600, 120, 260, 12};
    const double bottoms[] = {1000, 300, 5000, 150, 4700, 60, 190, 3};
    const int colours[] = {0xB8BC9C, 0xA0BDC4, 0x999966, 0x333366, 0xC3C3E6, 0xA044C4, 0xA0B564, 0xA0F5F4};
    int layer = bars.addBoxWhiskerLayer(8, tops, bottoms, nullptr, nullptr, nullptr, 8, colours, 0);
    bars.setLayerBorder(layer, xychart::kDefaultColor, 1);
    const char* types[] = {"BC", "MC", "UC", "VLAN", "IPv4", "ICMP", "ARP", "Pause"};
    bars.setXLabels(8, types);
    picture = Render(bars);
    ASSERT_GT(picture.width, 0);
    EXPECT_TRUE(support::gui::SavePng(picture, support::gui::PicturePath(L"xychart-bars")));
}

TEST(XyChartImageTest, ChartsOfNothingButZerosStillShowTheirFrame) {
    // What the program's chart window shows before any traffic: every value 0.
    PieChart pie(339, 347);
    pie.setPieSize(170, 180, 70);
    const double none[8] = {};
    pie.setData(8, none, nullptr);
    pie.addTitle(xychart::kBottomCenter, "Port A -> B", nullptr, 15);
    EXPECT_TRUE(support::gui::SavePng(Render(pie), support::gui::PicturePath(L"xychart-pie-empty")));

    XYChart bars(779, 174);
    bars.setPlotArea(65, 30, 685, 120, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    bars.addTitle(xychart::kTopCenter, "Port A -> B", nullptr, 15);
    const char* types[] = {"BC", "MC", "UC", "VLAN", "IPv4", "ICMP", "ARP", "Pause"};
    bars.setXLabels(8, types);
    const int colours[] = {0xB8BC9C, 0xA0BDC4, 0x999966, 0x333366, 0xC3C3E6, 0xA044C4, 0xA0B564, 0xA0F5F4};
    bars.setLayerBorder(bars.addBoxWhiskerLayer(8, none, none, nullptr, nullptr, nullptr, 8, colours, 0), -1, 1);
    const Picture picture = Render(bars);
    EXPECT_TRUE(support::gui::SavePng(picture, support::gui::PicturePath(L"xychart-bars-empty")));
    const std::vector<double> scale = MetricsField(bars.getChartMetrics(), "yscale");
    ASSERT_EQ(2u, scale.size());
    EXPECT_EQ(0, scale[0]);
    EXPECT_GT(scale[1], 0);
    // Each flat bar can still be pointed at for its tip.
    ImageMapHandler map(bars.getHTMLImageMap("", "", "title='{xLabel}'"));
    EXPECT_EQ(8, map.getHotSpot(static_cast<int>(65 + 685.0 / 8 * 7.5), 30 + 120));
    EXPECT_STREQ("Pause", map.getValue("title"));
}

TEST(ChartLayoutTest, ALaidOutChartHasTheTipsAndScalesItsPictureWouldHaveAndNoPicture) {
    // A bar chart whose caller keeps the picture it shows: the tips and scales follow the values.
    XYChart bars(400, 174);
    bars.setPlotArea(65, 30, 300, 120, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    const double tops[] = {1200, 450, 30}, bottoms[] = {1000, 300, 29};
    const char* types[] = {"BC", "MC", "UC"};
    bars.addBoxWhiskerLayer(3, tops, bottoms, nullptr, nullptr, nullptr, 0, nullptr, 0);
    bars.setXLabels(3, types);
    EXPECT_EQ(nullptr, bars.getChartMetrics());
    ASSERT_TRUE(bars.layOutChart());
    const std::string laidOutMetrics = bars.getChartMetrics();
    const std::string laidOutMap = bars.getHTMLImageMap("", "", "title='{xLabel}: {top} to {bottom}'");
    EXPECT_NE(std::string::npos, laidOutMap.find("title='UC: 30 to 29'")) << laidOutMap;
    Render(bars);
    EXPECT_EQ(bars.getChartMetrics(), laidOutMetrics);
    EXPECT_EQ(bars.getHTMLImageMap("", "", "title='{xLabel}: {top} to {bottom}'"), laidOutMap);

    PieChart pie(200, 200);
    const double values[] = {3, 1};
    pie.setPieSize(100, 100, 80);
    pie.setData(2, values, nullptr);
    ASSERT_TRUE(pie.layOutChart());
    const std::string pieMap = pie.getHTMLImageMap("", "", "title='{percent}'");
    EXPECT_NE(std::string::npos, pieMap.find("title='75'")) << pieMap;
    Render(pie);
    EXPECT_EQ(pie.getHTMLImageMap("", "", "title='{percent}'"), pieMap);
}

}  // namespace

