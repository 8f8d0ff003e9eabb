// The surface a chart is drawn on: a bitmap several times the chart's size, averaged down at the
// end, so that the edges of shapes and letters are smooth whatever the GDI+ and font engine
// underneath do about smoothing. Shapes go through GDI+; texts are drawn by GDI once every shape is
// down, so every text lies above every shape. The large bitmap outlives the canvas: the next chart
// that fits in it draws on it again (a window redrawing its charts each second would otherwise
// have the system make and clear megabytes each time).
#pragma once

#include <windows.h>
// GDI+ needs the OLE types that the lean Windows header leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace xychart::detail {

struct TextStyle {
    std::wstring face;  // empty: the default face
    double size = 10;   // points at 96 dpi
    int color = 0;      // 0xRRGGBB
    bool bold = false;
};

// A large bitmap and the device context holding it; made by Canvas, kept for the next one.
struct Surface;

class Canvas {
public:
    // The whole canvas starts in the given opaque colour (0xRRGGBB).
    Canvas(int width, int height, int ground);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // Drawing in chart pixels; the transform scales to the large bitmap.
    Gdiplus::Graphics& Shapes() { return *graphics_; }

    // A line through the points (chart pixels) with round joins and caps, cut at the clip
    // rectangle. Filled straight into the large bitmap's pixels (Stroke.h): at this scale its edges
    // are as smooth as the shapes', at a fraction of what GDI's or GDI+'s widened outline costs.
    void Polyline(const std::vector<Gdiplus::PointF>& points, int color, double width, const RECT& clip);

    // An opaque line one chart pixel wide from (x1, y1) to (x2, y2), level or upright, lying on
    // whole pixels: its middle at half a pixel across, its ends at whole or half pixels along. GDI
    // fills the large pixels the drawing library's line would cover, at a fiftieth of its cost.
    void Rule(float x1, float y1, float x2, float y2, int color);
    // Pixel size of a text (lines separated by '\n').
    SIZE Measure(const TextStyle& style, const std::wstring& text);
    // A text whose top-left corner is at (x, y); several lines are centred on each other.
    void AddText(const TextStyle& style, const std::wstring& text, int x, int y);

    // The finished picture as a BMP file: 24-bit rows, bottom-up.
    std::vector<uint8_t> ToBmp();

private:
    // The whole canvas in one opaque colour (0xRRGGBB).
    void Fill(int color);
    // The font of a style at the large scale: made once for the process and kept (a chart shows a
    // handful of styles; making and realising them for every chart costs more than its texts).
    static HFONT Font(const TextStyle& style);
    // The box a text takes at the large scale.
    SIZE TextBox(const TextStyle& style, const std::wstring& text);

    struct QueuedText {
        TextStyle style;
        std::wstring text;
        int x;
        int y;
    };

    int width_;
    int height_;
    std::unique_ptr<Surface> surface_;
    // GDI+ draws straight into the large bitmap's pixels.
    std::unique_ptr<Gdiplus::Bitmap> large_;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
    std::vector<QueuedText> texts_;
};

// GDI+ colour of a chart colour (its top byte is transparency).
Gdiplus::Color ToGdiplus(int color);
// The colour mixed towards white (amount > 0) or black (amount < 0), amount in -1..1.
int Shade(int color, double amount);
// Black or white, whichever reads better on the colour.
int TextColorOn(int color);
bool IsTransparent(int color);

std::wstring Widen(const char* utf8);
std::string Narrow(const std::wstring& text);

// The buffers the BMP files are written in: a chart gives its file's buffer back when it goes, and
// the next file is written in it. A fresh third of a megabyte each second costs the system (new
// pages to map and clear) more than averaging the picture down does.
std::vector<uint8_t> TakeImageBuffer();
void KeepImageBuffer(std::vector<uint8_t>&& buffer);

// Starts GDI+ once for the process (never at load time: GDI+ may not start under the loader lock).
void EnsureGdiplus();

}  // namespace xychart::detail
