// xychart50.dll: charts drawn into bitmaps, their hot-spot maps, and the viewport arithmetic of a
// chart viewer. Plain C functions (the DLL's exports) with thin C++ owners over them below.
//
// Colours are 0xRRGGBB; the top byte is transparency (0 opaque, 0xFF invisible). Two values are not
// colours: kDefaultColor asks for the library's choice, kItemColor for the data item's own colour.
// Texts are UTF-8. Sizes of fonts are points at 96 dots per inch; a null or empty font name is the
// default face.
#pragma once

#include <cstddef>

#ifdef XYCHART_BUILDING
#define XYCHART_API extern "C" __declspec(dllexport)
#else
#define XYCHART_API extern "C" __declspec(dllimport)
#endif
#define XYCHART_CALL __stdcall

namespace xychart {
constexpr int kTransparent = static_cast<int>(0xFF000000u);
constexpr int kDefaultColor = -1;
constexpr int kItemColor = -2;

// makeChart2 formats.
constexpr int kFormatBmp = 4;

// Alignment of titles: keypad positions (7 8 9 top row, 1 2 3 bottom row).
constexpr int kBottomCenter = 2;
constexpr int kTopCenter = 8;

// Pie label layouts.
constexpr int kLabelsOnCircle = 0;  // around the pie, joined to their sectors by a line
constexpr int kLabelsBesidePie = 1;  // in two columns left and right of the pie

// Sector shading.
constexpr int kFlatShading = 0;
constexpr int kLocalGradientShading = 1;  // each sector lighter towards the centre

// Zoom and scroll axes of the viewport.
constexpr int kHorizontal = 0;
constexpr int kVertical = 1;
constexpr int kBothAxes = 2;
}  // namespace xychart

struct ChartObject;
struct ChartViewportObject;
struct ImageMapObject;

// A rendered chart: bytes owned by the chart, valid until it is rendered again or destroyed.
struct ChartMemBlock {
    const unsigned char* data;
    int len;
};

// ---- Every chart ---------------------------------------------------------------------------------
XYCHART_API void XYCHART_CALL CBaseChart_destroy(ChartObject* chart);
// A title in a band at the alignment's edge; margins (left, right, top, bottom) narrow the band
// the title is centred in and keep it off the edges. Returns the title's index.
XYCHART_API int XYCHART_CALL CBaseChart_addTitle(ChartObject* chart, int alignment, const char* text,
                                                  const char* font, double size, int color, int bgColor,
                                                  int edgeColor);
XYCHART_API void XYCHART_CALL CBaseChart_setTitleMargins(ChartObject* chart, int title, int left, int right,
                                                         int top, int bottom);
// A legend box whose top-left corner is at (x, y): one row a data item (vertical) or one line.
XYCHART_API void XYCHART_CALL CBaseChart_addLegend(ChartObject* chart, int x, int y, int vertical,
                                                   const char* font, double size);
// Renders the chart. Only kFormatBmp is made: a whole BMP file (file header, BITMAPINFOHEADER,
// 24-bit bottom-up rows). Returns 1 and fills the block, or 0.
XYCHART_API int XYCHART_CALL CBaseChart_makeChart2(ChartObject* chart, int format, ChartMemBlock* out);
// Lays the chart out as rendering would, without drawing it: its metrics and hot-spot map follow
// the chart's values as they are now, for a caller that keeps the picture it already shows.
// Returns 1, or 0.
XYCHART_API int XYCHART_CALL CBaseChart_layOutChart(ChartObject* chart);
// The rendered (or laid out) chart's plot area and scales, for ChartViewport_setChartMetrics; null
// before the chart is rendered or laid out. Owned by the chart.
XYCHART_API const char* XYCHART_CALL CBaseChart_getChartMetrics(ChartObject* chart);
// The rendered (or laid out) chart's hot spots as HTML <area> tags. Every tag has href="<url>?<query>" when a url
// is given, and the extra attributes; in query and extra attributes, {field} takes the item's value
// (pies: label, value, percent, index; bars: xLabel, top, bottom, value, index, dataSetName).
// Owned by the chart.
XYCHART_API const char* XYCHART_CALL CBaseChart_getHTMLImageMap(ChartObject* chart, const char* url,
                                                               const char* query, const char* extraAttr);

// ---- Pie charts ----------------------------------------------------------------------------------
XYCHART_API ChartObject* XYCHART_CALL CPieChart_create(int width, int height, int bgColor, int edgeColor);
XYCHART_API void XYCHART_CALL CPieChart_setPieSize(ChartObject* chart, int x, int y, int radius);
XYCHART_API void XYCHART_CALL CPieChart_setData(ChartObject* chart, int count, const double* values,
                                                const char* const* labels);
XYCHART_API void XYCHART_CALL CPieChart_setColors(ChartObject* chart, int count, const int* colors);
// Sector label text, with the fields {label}, {value}, {percent} and {index}.
XYCHART_API void XYCHART_CALL CPieChart_setLabelFormat(ChartObject* chart, const char* format);
XYCHART_API void XYCHART_CALL CPieChart_setLabelLayout(ChartObject* chart, int layout, int gap);
XYCHART_API void XYCHART_CALL CPieChart_setLabelStyle(ChartObject* chart, const char* font, double size,
                                                      int color);
// The box behind each label: fill (a colour or kItemColor), a glass look when glare > 0 (glare 1..5
// is the strength of the highlight, glareSide the keypad side it shines from, bevel how many pixels
// in from the rim the sheen starts), and corners rounded with cornerRadius.
XYCHART_API void XYCHART_CALL CPieChart_setLabelBox(ChartObject* chart, int fill, int glare, int glareSide,
                                                    int bevel, int cornerRadius);
XYCHART_API void XYCHART_CALL CPieChart_setSectorStyle(ChartObject* chart, int shading, int edgeColor,
                                                       int edgeWidth);

// ---- XY charts -----------------------------------------------------------------------------------
XYCHART_API ChartObject* XYCHART_CALL CXYChart_create(int width, int height, int bgColor, int edgeColor);
XYCHART_API void XYCHART_CALL CXYChart_setPlotArea(ChartObject* chart, int x, int y, int width, int height,
                                                   int bgColor, int edgeColor, int hGridColor,
                                                   int vGridColor);
// Category labels of the x axis, one slot each.
XYCHART_API void XYCHART_CALL CXYChart_setXLabels(ChartObject* chart, int count, const char* const* labels);
// Axis titles: axis 0 x, 1 y.
XYCHART_API void XYCHART_CALL CXYChart_setAxisTitle(ChartObject* chart, int axis, const char* text);
// A fixed y scale instead of the one fitted to the data; min == max returns to the fitted scale.
XYCHART_API void XYCHART_CALL CXYChart_setYRange(ChartObject* chart, double min, double max);
// Floating boxes from bottoms[i] to tops[i], one colour. Returns the layer's index.
XYCHART_API int XYCHART_CALL CXYChart_addBoxLayer(ChartObject* chart, int count, const double* tops,
                                                  const double* bottoms, int color, const char* name);
// Boxes from boxBottoms to boxTops, whiskers to maxima and minima (either may be null), a median
// line (null for none), one colour per item (colorCount < count repeats them). The whiskers and
// median take the box colour scaled by whiskerBrightness; 0 draws none.
XYCHART_API int XYCHART_CALL CXYChart_addBoxWhiskerLayer(ChartObject* chart, int count, const double* boxTops,
                                                         const double* boxBottoms, const double* maxima,
                                                         const double* minima, const double* medians,
                                                         int colorCount, const int* colors,
                                                         double whiskerBrightness);
XYCHART_API void XYCHART_CALL CXYChart_setBarWidth(ChartObject* chart, int layer, int width);
// Makes the x axis a time axis: point i of every line layer stands at times[i], a chart time
// (seconds since 0001-01-01 00:00, so its time of day is what is left of the last whole day). The
// axis spans the first to the last time, with "hh:mm:ss" labels at round clock times.
XYCHART_API void XYCHART_CALL CXYChart_setXTimes(ChartObject* chart, int count, const double* times);
// A line through the values, one point a slot (or a time), in one colour; a no-value breaks it.
// Returns the layer's index.
XYCHART_API int XYCHART_CALL CXYChart_addLineLayer(ChartObject* chart, int count, const double* values, int color,
                                                   const char* name);
// The line's width in pixels (1 by default).
XYCHART_API void XYCHART_CALL CXYChart_setLineWidth(ChartObject* chart, int layer, int width);
// The boxes' border (kDefaultColor: a darker shade of the fill) and a raised rim of that many pixels.
XYCHART_API void XYCHART_CALL CXYChart_setLayerBorder(ChartObject* chart, int layer, int color,
                                                      int raisedEffect);

// ---- Hot-spot maps -------------------------------------------------------------------------------
XYCHART_API ImageMapObject* XYCHART_CALL CImageMapHandler_create(const char* map);
XYCHART_API void XYCHART_CALL CImageMapHandler_destroy(ImageMapObject* handler);
// The 1-based number of the first area under the point, 0 for none; it becomes the current area.
XYCHART_API int XYCHART_CALL CImageMapHandler_getHotSpot(ImageMapObject* handler, int x, int y);
// An attribute of the current area, or null. "path" is the href before '?', "query" after it.
XYCHART_API const char* XYCHART_CALL CImageMapHandler_getValue(ImageMapObject* handler, const char* key);

// ---- Viewport of a chart viewer ------------------------------------------------------------------
// The viewport is the part of the full scales in view, as fractions: left and top from 0, width and
// height up to 1. Pixel arguments are the viewer's client coordinates.
XYCHART_API ChartViewportObject* XYCHART_CALL ChartViewport_create();
XYCHART_API void XYCHART_CALL ChartViewport_destroy(ChartViewportObject* viewport);
XYCHART_API void XYCHART_CALL ChartViewport_setChartMetrics(ChartViewportObject* viewport, const char* metrics);
// Brings the viewport into its limits; 1 when that changed it.
XYCHART_API int XYCHART_CALL ChartViewport_validateViewport(ChartViewportObject* viewport);
XYCHART_API int XYCHART_CALL ChartViewport_inPlotArea(ChartViewportObject* viewport, int x, int y);
XYCHART_API void XYCHART_CALL ChartViewport_startDrag(ChartViewportObject* viewport);
XYCHART_API int XYCHART_CALL ChartViewport_dragTo(ChartViewportObject* viewport, int axes, int dx, int dy);
XYCHART_API int XYCHART_CALL ChartViewport_canZoomIn(ChartViewportObject* viewport, int axes);
XYCHART_API int XYCHART_CALL ChartViewport_canZoomOut(ChartViewportObject* viewport, int axes);
XYCHART_API int XYCHART_CALL ChartViewport_zoomAt(ChartViewportObject* viewport, int axes, int x, int y,
                                                  double factor);
XYCHART_API int XYCHART_CALL ChartViewport_zoomTo(ChartViewportObject* viewport, int axes, int x1, int y1,
                                                  int x2, int y2);
XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaLeft(ChartViewportObject* viewport);
XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaTop(ChartViewportObject* viewport);
XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaWidth(ChartViewportObject* viewport);
XYCHART_API int XYCHART_CALL ChartViewport_getPlotAreaHeight(ChartViewportObject* viewport);
XYCHART_API double XYCHART_CALL ChartViewport_getViewPortLeft(ChartViewportObject* viewport);
XYCHART_API double XYCHART_CALL ChartViewport_getViewPortTop(ChartViewportObject* viewport);
XYCHART_API double XYCHART_CALL ChartViewport_getViewPortWidth(ChartViewportObject* viewport);
XYCHART_API double XYCHART_CALL ChartViewport_getViewPortHeight(ChartViewportObject* viewport);
XYCHART_API void XYCHART_CALL ChartViewport_setViewPort(ChartViewportObject* viewport, double left, double top,
                                                        double width, double height);
// The smallest width and height zooming in may reach (default 0.01 each).
XYCHART_API void XYCHART_CALL ChartViewport_setZoomInLimits(ChartViewportObject* viewport, double width,
                                                            double height);

// ---- C++ owners ----------------------------------------------------------------------------------

// The viewport manager a chart viewer keeps: one library handle for its lifetime.
class ChartViewport {
public:
    ChartViewport() : viewport_(ChartViewport_create()) {}
    virtual ~ChartViewport() { ChartViewport_destroy(viewport_); }
    ChartViewport(const ChartViewport&) = delete;
    ChartViewport& operator=(const ChartViewport&) = delete;

    void setChartMetrics(const char* metrics) { ChartViewport_setChartMetrics(viewport_, metrics); }
    bool validateViewport() { return ChartViewport_validateViewport(viewport_) != 0; }
    bool inPlotArea(int x, int y) const { return ChartViewport_inPlotArea(viewport_, x, y) != 0; }
    void startDrag() { ChartViewport_startDrag(viewport_); }
    bool dragTo(int axes, int dx, int dy) { return ChartViewport_dragTo(viewport_, axes, dx, dy) != 0; }
    bool canZoomIn(int axes) const { return ChartViewport_canZoomIn(viewport_, axes) != 0; }
    bool canZoomOut(int axes) const { return ChartViewport_canZoomOut(viewport_, axes) != 0; }
    bool zoomAt(int axes, int x, int y, double factor) {
        return ChartViewport_zoomAt(viewport_, axes, x, y, factor) != 0;
    }
    bool zoomTo(int axes, int x1, int y1, int x2, int y2) {
        return ChartViewport_zoomTo(viewport_, axes, x1, y1, x2, y2) != 0;
    }
    int getPlotAreaLeft() const { return ChartViewport_getPlotAreaLeft(viewport_); }
    int getPlotAreaTop() const { return ChartViewport_getPlotAreaTop(viewport_); }
    int getPlotAreaWidth() const { return ChartViewport_getPlotAreaWidth(viewport_); }
    int getPlotAreaHeight() const { return ChartViewport_getPlotAreaHeight(viewport_); }
    double getViewPortLeft() const { return ChartViewport_getViewPortLeft(viewport_); }
    double getViewPortTop() const { return ChartViewport_getViewPortTop(viewport_); }
    double getViewPortWidth() const { return ChartViewport_getViewPortWidth(viewport_); }
    double getViewPortHeight() const { return ChartViewport_getViewPortHeight(viewport_); }
    void setViewPort(double left, double top, double width, double height) {
        ChartViewport_setViewPort(viewport_, left, top, width, height);
    }
    void setZoomInLimits(double width, double height) { ChartViewport_setZoomInLimits(viewport_, width, height); }

private:
    ChartViewportObject* viewport_;
};

// A hot-spot map made from the map text of getHTMLImageMap.
class ImageMapHandler {
public:
    explicit ImageMapHandler(const char* map) : handler_(CImageMapHandler_create(map)) {}
    ~ImageMapHandler() { CImageMapHandler_destroy(handler_); }
    ImageMapHandler(const ImageMapHandler&) = delete;
    ImageMapHandler& operator=(const ImageMapHandler&) = delete;

    int getHotSpot(int x, int y) { return CImageMapHandler_getHotSpot(handler_, x, y); }
    const char* getValue(const char* key) { return CImageMapHandler_getValue(handler_, key); }

private:
    ImageMapObject* handler_;
};

// Any chart: the owner of the library's chart object.
class BaseChart {
public:
    virtual ~BaseChart() { CBaseChart_destroy(chart_); }
    BaseChart(const BaseChart&) = delete;
    BaseChart& operator=(const BaseChart&) = delete;

    int addTitle(int alignment, const char* text, const char* font = nullptr, double size = 12,
                 int color = xychart::kDefaultColor, int bgColor = xychart::kTransparent,
                 int edgeColor = xychart::kTransparent) {
        return CBaseChart_addTitle(chart_, alignment, text, font, size, color, bgColor, edgeColor);
    }
    void setTitleMargins(int title, int left, int right, int top, int bottom) {
        CBaseChart_setTitleMargins(chart_, title, left, right, top, bottom);
    }
    void addLegend(int x, int y, bool vertical = true, const char* font = nullptr, double size = 10) {
        CBaseChart_addLegend(chart_, x, y, vertical ? 1 : 0, font, size);
    }
    bool makeChart(int format, ChartMemBlock* out) { return CBaseChart_makeChart2(chart_, format, out) != 0; }
    bool layOutChart() { return CBaseChart_layOutChart(chart_) != 0; }
    const char* getChartMetrics() { return CBaseChart_getChartMetrics(chart_); }
    const char* getHTMLImageMap(const char* url, const char* query = "", const char* extraAttr = "") {
        return CBaseChart_getHTMLImageMap(chart_, url, query, extraAttr);
    }
    ChartObject* handle() const { return chart_; }

protected:
    explicit BaseChart(ChartObject* chart) : chart_(chart) {}
    ChartObject* chart_;
};

class PieChart : public BaseChart {
public:
    PieChart(int width, int height, int bgColor = xychart::kDefaultColor, int edgeColor = xychart::kTransparent)
        : BaseChart(CPieChart_create(width, height, bgColor, edgeColor)) {}
    void setPieSize(int x, int y, int radius) { CPieChart_setPieSize(chart_, x, y, radius); }
    void setData(int count, const double* values, const char* const* labels) {
        CPieChart_setData(chart_, count, values, labels);
    }
    void setColors(int count, const int* colors) { CPieChart_setColors(chart_, count, colors); }
    void setLabelFormat(const char* format) { CPieChart_setLabelFormat(chart_, format); }
    void setLabelLayout(int layout, int gap = -1) { CPieChart_setLabelLayout(chart_, layout, gap); }
    void setLabelStyle(const char* font, double size, int color = xychart::kDefaultColor) {
        CPieChart_setLabelStyle(chart_, font, size, color);
    }
    void setLabelBox(int fill, int glare, int glareSide, int bevel, int cornerRadius) {
        CPieChart_setLabelBox(chart_, fill, glare, glareSide, bevel, cornerRadius);
    }
    void setSectorStyle(int shading, int edgeColor, int edgeWidth) {
        CPieChart_setSectorStyle(chart_, shading, edgeColor, edgeWidth);
    }
};

class XYChart : public BaseChart {
public:
    XYChart(int width, int height, int bgColor = xychart::kDefaultColor, int edgeColor = xychart::kTransparent)
        : BaseChart(CXYChart_create(width, height, bgColor, edgeColor)) {}
    void setPlotArea(int x, int y, int width, int height, int bgColor, int edgeColor, int hGridColor,
                     int vGridColor) {
        CXYChart_setPlotArea(chart_, x, y, width, height, bgColor, edgeColor, hGridColor, vGridColor);
    }
    void setXLabels(int count, const char* const* labels) { CXYChart_setXLabels(chart_, count, labels); }
    void setAxisTitle(int axis, const char* text) { CXYChart_setAxisTitle(chart_, axis, text); }
    void setYRange(double min, double max) { CXYChart_setYRange(chart_, min, max); }
    int addBoxLayer(int count, const double* tops, const double* bottoms, int color = xychart::kDefaultColor,
                    const char* name = nullptr) {
        return CXYChart_addBoxLayer(chart_, count, tops, bottoms, color, name);
    }
    int addBoxWhiskerLayer(int count, const double* boxTops, const double* boxBottoms, const double* maxima,
                           const double* minima, const double* medians, int colorCount, const int* colors,
                           double whiskerBrightness) {
        return CXYChart_addBoxWhiskerLayer(chart_, count, boxTops, boxBottoms, maxima, minima, medians,
                                           colorCount, colors, whiskerBrightness);
    }
    void setBarWidth(int layer, int width) { CXYChart_setBarWidth(chart_, layer, width); }
    void setXTimes(int count, const double* times) { CXYChart_setXTimes(chart_, count, times); }
    int addLineLayer(int count, const double* values, int color = xychart::kDefaultColor, const char* name = nullptr) {
        return CXYChart_addLineLayer(chart_, count, values, color, name);
    }
    void setLineWidth(int layer, int width) { CXYChart_setLineWidth(chart_, layer, width); }
    void setLayerBorder(int layer, int color, int raisedEffect) {
        CXYChart_setLayerBorder(chart_, layer, color, raisedEffect);
    }
};
