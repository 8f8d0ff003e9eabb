// Hot-spot maps: a rendered chart's map finds the item under a point with its fields filled in, and
// the handler reads maps written by hand as a browser would.
#include "ChartImage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Value(ImageMapHandler& map, const char* key) {
    const char* value = map.getValue(key);
    return value != nullptr ? value : "<null>";
}

TEST(ChartImageMapTest, PieSectorUnderThePointGivesItsTitle) {
    PieChart pie(200, 200);
    const double values[] = {3, 1};
    const char* labels[] = {"64Byte", "O'Brien & <Co>"};
    pie.setPieSize(100, 100, 80);
    pie.setData(2, values, labels);
    ASSERT_GT(Render(pie).width, 0);
    ImageMapHandler map(pie.getHTMLImageMap("", "", "title='{label}: {value} ({percent}%)'"));
    EXPECT_EQ(1, map.getHotSpot(150, 110));
    EXPECT_EQ("64Byte: 3 (75%)", Value(map, "title"));
    EXPECT_EQ("<null>", Value(map, "path"));
    EXPECT_EQ(2, map.getHotSpot(60, 60));
    EXPECT_EQ("O'Brien & <Co>: 1 (25%)", Value(map, "title"));
    EXPECT_EQ(0, map.getHotSpot(5, 5));
    EXPECT_EQ("<null>", Value(map, "title"));
}

TEST(ChartImageMapTest, BarsCarryTheirLabelTopAndBottomAndALink) {
    XYChart chart(400, 200);
    chart.setPlotArea(40, 20, 340, 150, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
    const char* labels[] = {"BC", "MC"};
    chart.setXLabels(2, labels);
    const double tops[] = {100, 50}, bottoms[] = {0, 10};
    chart.addBoxWhiskerLayer(2, tops, bottoms, nullptr, nullptr, nullptr, 0, nullptr, 0);
    ASSERT_GT(Render(chart).width, 0);
    ImageMapHandler map(chart.getHTMLImageMap("detail.html", "bar={index}", "title='{xLabel}: {top} to {bottom}'"));
    // The second slot's centre, a little above the bottom of its box.
    EXPECT_EQ(2, map.getHotSpot(40 + 340 * 3 / 4, 20 + 150 - 20));
    EXPECT_EQ("MC: 50 to 10", Value(map, "title"));
    EXPECT_EQ("detail.html", Value(map, "path"));
    EXPECT_EQ("bar=1", Value(map, "query"));
}

TEST(ImageMapHandlerTest, ReadsEveryShapeAndTheFirstAreaWins) {
    ImageMapHandler map(
        "<map><AREA shape=rect coords=\"10,10,50,30\" title=\"first &amp; only\" href='a.html?x=1'>\n"
        "<area shape=\"circle\" coords=\"100,100,20\" title='round'>\n"
        "<area shape=\"poly\" coords=\"200,0,240,40,160,40\" title=\"three\"/>\n"
        "<area shape=\"rect\" coords=\"0,0,300,300\" title=\"under\"></map>");
    EXPECT_EQ(1, map.getHotSpot(10, 10));
    EXPECT_EQ("first & only", Value(map, "title"));
    EXPECT_EQ("a.html", Value(map, "path"));
    EXPECT_EQ("x=1", Value(map, "query"));
    EXPECT_EQ(2, map.getHotSpot(112, 110));
    EXPECT_EQ("round", Value(map, "title"));
    EXPECT_EQ(3, map.getHotSpot(200, 30));
    EXPECT_EQ(4, map.getHotSpot(50, 30));  // a rectangle's right and bottom edges lie outside it
    EXPECT_EQ(4, map.getHotSpot(175, 10));
    EXPECT_EQ(0, map.getHotSpot(300, 300));
}

TEST(ImageMapHandlerTest, BrokenMapsGiveNoHotSpotsAndNoFault) {
    const char* broken[] = {"", "<area", "<area shape=poly coords='1,2,3", "<area coords=\"a,b,c,d\" title='x",
                            "<area shape=rect coords=5,5,1 title=&#99999999999;>"};
    for (const char* text : broken) {
        ImageMapHandler map(text);
        EXPECT_EQ(0, map.getHotSpot(2, 2)) << text;
    }
    EXPECT_EQ(0, CImageMapHandler_getHotSpot(nullptr, 1, 1));
    EXPECT_EQ(nullptr, CImageMapHandler_getValue(nullptr, "title"));
}

}  // namespace
