#include "Canvas.h"
#include "Stroke.h"

#include <xychart/XyChart.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>

namespace xychart::detail {
namespace {

// Each chart pixel is drawn as kScale × kScale pixels and averaged: enough for smooth edges at a
// cost that stays small for charts of a few hundred pixels.
constexpr int kScale = 2;
constexpr wchar_t kDefaultFace[] = L"Arial";

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

void EnsureGdiplus() {
    static std::once_flag once;
    std::call_once(once, [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    });
}

struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;  // large pixels, and the pixels from one row to the next
    int height = 0;

    Surface(int w, int h) : width(w), height(h) {
        dc = ::CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (bitmap == nullptr) {
            ::DeleteDC(dc);
            throw std::bad_alloc();
        }
        bits = static_cast<uint32_t*>(pixels);
        previous = ::SelectObject(dc, bitmap);
    }
    ~Surface() {
        ::SelectObject(dc, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
};

namespace {

std::mutex spareLock;
std::unique_ptr<Surface> spare;

// The kept surface when the size fits in it, else a new one large enough for it and for what the
// kept one held, so that charts of different shapes come to share one.
std::unique_ptr<Surface> TakeSurface(int width, int height) {
    std::lock_guard<std::mutex> hold(spareLock);
    if (spare && spare->width >= width && spare->height >= height) return std::move(spare);
    const int keptWidth = spare ? spare->width : 0, keptHeight = spare ? spare->height : 0;
    spare.reset();
    return std::make_unique<Surface>(std::max(width, keptWidth), std::max(height, keptHeight));
}

void GiveBack(std::unique_ptr<Surface> surface) {
    std::lock_guard<std::mutex> hold(spareLock);
    // Of two surfaces in use at once, the larger stays.
    if (!spare || static_cast<long long>(surface->width) * surface->height >
                      static_cast<long long>(spare->width) * spare->height) {
        spare = std::move(surface);
    }
}

std::mutex imageBufferLock;
std::vector<uint8_t> spareImageBuffer;

// The boxes texts take at the large scale, by face, pixel size, weight and text: each is measured
// once, not again by every chart that shows it.
using FontKey = std::tuple<std::wstring, int, bool>;  // face, pixel height, bold
constexpr size_t kKeptTextBoxes = 4096;
std::mutex textBoxLock;
std::map<std::pair<FontKey, std::wstring>, SIZE> textBoxes;

std::mutex fontLock;
std::map<FontKey, HFONT> fonts;

// A style's font at the large scale.
FontKey KeyOf(const TextStyle& style) {
    return {style.face.empty() ? kDefaultFace : style.face,
            std::max(1, static_cast<int>(std::lround(style.size * 96.0 / 72.0 * kScale))), style.bold};
}

}  // namespace

std::vector<uint8_t> TakeImageBuffer() {
    std::lock_guard<std::mutex> hold(imageBufferLock);
    std::vector<uint8_t> buffer = std::move(spareImageBuffer);
    spareImageBuffer = std::vector<uint8_t>();
    buffer.clear();
    return buffer;
}

void KeepImageBuffer(std::vector<uint8_t>&& buffer) {
    std::lock_guard<std::mutex> hold(imageBufferLock);
    // Of two buffers, the larger stays.
    if (buffer.capacity() > spareImageBuffer.capacity()) spareImageBuffer = std::move(buffer);
}

Canvas::Canvas(int width, int height, int ground)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      surface_(TakeSurface(width_ * kScale, height_ * kScale)) {
    EnsureGdiplus();
    large_ = std::make_unique<Gdiplus::Bitmap>(width_ * kScale, height_ * kScale, surface_->width * 4,
                                               PixelFormat32bppRGB, reinterpret_cast<BYTE*>(surface_->bits));
    graphics_ = std::make_unique<Gdiplus::Graphics>(large_.get());
    graphics_->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics_->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics_->ScaleTransform(static_cast<float>(kScale), static_cast<float>(kScale));
    Fill(ground);
}

void Canvas::Fill(int color) {
    // Straight into the pixels: the drawing library's own fill of a whole large bitmap costs more
    // than the rest of a chart.
    const auto c = static_cast<uint32_t>(color) & 0xFFFFFFu;
    const size_t rowPixels = static_cast<size_t>(width_) * kScale;
    for (int y = 0; y < height_ * kScale; ++y) {
        uint32_t* row = surface_->bits + static_cast<size_t>(y) * surface_->width;
        std::fill(row, row + rowPixels, c);
    }
}

Canvas::~Canvas() {
    graphics_.reset();
    large_.reset();
    GiveBack(std::move(surface_));
}

// Fonts are made at the large bitmap's scale.
HFONT Canvas::Font(const TextStyle& style) {
    const FontKey key = KeyOf(style);
    const auto& [face, pixels, bold] = key;
    std::lock_guard<std::mutex> hold(fontLock);
    auto found = fonts.find(key);
    if (found != fonts.end()) return found->second;
    LOGFONTW lf = {};
    lf.lfHeight = -pixels;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectW(&lf);
    fonts.emplace(key, font);
    return font;
}

namespace {

// A chart coordinate at the large scale, rounded to a whole large pixel. A point far beyond the
// plot (a value far outside a fixed scale) is brought in first: a long holds only 32 bits here,
// and a bound this far out leaves the visible part of any segment to it where it was.
double LargePixel(float at) {
    constexpr double kFar = 1 << 30;
    return static_cast<double>(std::lround(std::clamp(static_cast<double>(at) * kScale, -kFar, kFar)));
}

}  // namespace

void Canvas::Polyline(const std::vector<Gdiplus::PointF>& points, int color, double width, const RECT& clip) {
    if (points.size() < 2) return;
    // The colour's top byte is its transparency, as for every other shape of the chart.
    const uint32_t alpha = 255 - (static_cast<uint32_t>(color) >> 24);
    if (alpha == 0) return;
    // What GDI+ and GDI drew so far lies under the line, which goes straight into the pixels.
    graphics_->Flush(Gdiplus::FlushIntentionSync);
    ::GdiFlush();
    // On the large pixels' corners, as a pen of the same width would run. A point on the same corner
    // as the one before adds nothing, nor does one on the straight way between its neighbours (a
    // steady rate is a level line of a few segments, not of one segment a second).
    std::vector<StrokePoint> large;
    large.reserve(points.size());
    for (const Gdiplus::PointF& p : points) {
        const StrokePoint at{LargePixel(p.X), LargePixel(p.Y)};
        if (!large.empty() && at.x == large.back().x && at.y == large.back().y) continue;
        if (large.size() >= 2) {
            const StrokePoint& before = large[large.size() - 2];
            const StrokePoint& last = large.back();
            // Whole numbers: the products are exact.
            const double cross = (last.x - before.x) * (at.y - before.y) - (last.y - before.y) * (at.x - before.x);
            const double onward = (before.x - last.x) * (at.x - last.x) + (before.y - last.y) * (at.y - last.y);
            if (cross == 0 && onward <= 0) {
                large.back() = at;
                continue;
            }
        }
        large.push_back(at);
    }
    const double radius = std::max(1L, std::lround(width * kScale)) / 2.0;
    const StrokeClip area{std::max(0, static_cast<int>(clip.left) * kScale), std::max(0, static_cast<int>(clip.top) * kScale),
                          std::min(width_ * kScale, static_cast<int>(clip.right) * kScale),
                          std::min(height_ * kScale, static_cast<int>(clip.bottom) * kScale)};
    const uint32_t rgb = static_cast<uint32_t>(color) & 0xFFFFFFu;
    if (alpha == 255) {
        StrokeLine(surface_->bits, static_cast<size_t>(surface_->width), area, large, radius, rgb);
        return;
    }
    // A line seen through: its pixels are found first and then each blended once, since its
    // segments overlap at every joint.
    double left = large[0].x, right = left, top = large[0].y, bottom = top;
    for (const StrokePoint& p : large) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const StrokeClip box{std::max(area.left, static_cast<int>(std::floor(left - radius)) - 1),
                         std::max(area.top, static_cast<int>(std::floor(top - radius)) - 1),
                         std::min(area.right, static_cast<int>(std::ceil(right + radius)) + 1),
                         std::min(area.bottom, static_cast<int>(std::ceil(bottom + radius)) + 1)};
    if (box.left >= box.right || box.top >= box.bottom) return;
    const size_t boxWidth = static_cast<size_t>(box.right - box.left);
    std::vector<uint32_t> covered(boxWidth * static_cast<size_t>(box.bottom - box.top), 0);
    for (StrokePoint& p : large) {
        p.x -= box.left;
        p.y -= box.top;
    }
    StrokeLine(covered.data(), boxWidth, StrokeClip{0, 0, box.right - box.left, box.bottom - box.top}, large, radius, 1);
    const uint32_t keep = 255 - alpha;
    auto mix = [&](uint32_t under, int shift) {
        const uint32_t over = (rgb >> shift) & 0xFF, below = (under >> shift) & 0xFF;
        return ((over * alpha + below * keep + 127) / 255) << shift;
    };
    for (int y = box.top; y < box.bottom; ++y) {
        const uint32_t* mark = covered.data() + static_cast<size_t>(y - box.top) * boxWidth;
        uint32_t* row = surface_->bits + static_cast<size_t>(y) * surface_->width;
        for (int x = box.left; x < box.right; ++x) {
            if (!mark[x - box.left]) continue;
            const uint32_t under = row[x];
            row[x] = mix(under, 16) | mix(under, 8) | mix(under, 0);
        }
    }
}

void Canvas::Rule(float x1, float y1, float x2, float y2, int color) {
    graphics_->Flush(Gdiplus::FlushIntentionSync);
    auto large = [](float at) { return static_cast<LONG>(std::lround(at * kScale)); };
    const LONG half = kScale / 2;
    RECT band = y1 == y2 ? RECT{large(std::min(x1, x2)), large(y1) - half, large(std::max(x1, x2)), large(y1) + half}
                         : RECT{large(x1) - half, large(std::min(y1, y2)), large(x1) + half, large(std::max(y1, y2))};
    HBRUSH brush = ::CreateSolidBrush(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    ::FillRect(surface_->dc, &band, brush);
    ::DeleteObject(brush);
    ::GdiFlush();
}

SIZE Canvas::TextBox(const TextStyle& style, const std::wstring& text) {
    std::pair<FontKey, std::wstring> key{KeyOf(style), text};
    {
        std::lock_guard<std::mutex> hold(textBoxLock);
        auto found = textBoxes.find(key);
        if (found != textBoxes.end()) return found->second;
    }
    HGDIOBJ previous = ::SelectObject(surface_->dc, Font(style));
    RECT box = {0, 0, 0, 0};
    ::DrawTextW(surface_->dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_NOPREFIX | DT_CENTER);
    ::SelectObject(surface_->dc, previous);
    const SIZE size{box.right - box.left, box.bottom - box.top};
    std::lock_guard<std::mutex> hold(textBoxLock);
    // Clock labels change every second: the boxes of old ones go now and then.
    if (textBoxes.size() >= kKeptTextBoxes) textBoxes.clear();
    textBoxes.emplace(std::move(key), size);
    return size;
}

SIZE Canvas::Measure(const TextStyle& style, const std::wstring& text) {
    const SIZE box = TextBox(style, text);
    return SIZE{(box.cx + kScale - 1) / kScale, (box.cy + kScale - 1) / kScale};
}

void Canvas::AddText(const TextStyle& style, const std::wstring& text, int x, int y) {
    texts_.push_back(QueuedText{style, text, x, y});
}

std::vector<uint8_t> Canvas::ToBmp() {
    graphics_->Flush(Gdiplus::FlushIntentionSync);
    ::GdiFlush();
    ::SetBkMode(surface_->dc, TRANSPARENT);
    for (const QueuedText& t : texts_) {
        HGDIOBJ previousFont = ::SelectObject(surface_->dc, Font(t.style));
        ::SetTextColor(surface_->dc, RGB((t.style.color >> 16) & 0xFF, (t.style.color >> 8) & 0xFF, t.style.color & 0xFF));
        const SIZE size = TextBox(t.style, t.text);
        RECT box = {0, 0, size.cx, size.cy};
        ::OffsetRect(&box, t.x * kScale, t.y * kScale);
        ::DrawTextW(surface_->dc, t.text.c_str(), static_cast<int>(t.text.size()), &box, DT_NOPREFIX | DT_CENTER | DT_NOCLIP);
        ::SelectObject(surface_->dc, previousFont);
    }
    ::GdiFlush();

    const uint32_t rowBytes = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(height_);
    const uint32_t offset = 14 + 40;
    std::vector<uint8_t> file = TakeImageBuffer();
    file.reserve(offset + pixelBytes);
    file.push_back('B');
    file.push_back('M');
    PutLe(file, offset + pixelBytes, 4);
    PutLe(file, 0, 4);
    PutLe(file, offset, 4);
    PutLe(file, 40, 4);
    PutLe(file, static_cast<uint32_t>(width_), 4);
    PutLe(file, static_cast<uint32_t>(height_), 4);
    PutLe(file, 1, 2);
    PutLe(file, 24, 2);
    PutLe(file, BI_RGB, 4);
    PutLe(file, pixelBytes, 4);
    PutLe(file, 3780, 4);  // 96 dpi in pixels per metre
    PutLe(file, 3780, 4);
    PutLe(file, 0, 4);
    PutLe(file, 0, 4);
    // Rows bottom-up, each pixel the average of its kScale × kScale block. Red and blue are summed
    // side by side in one word and green in another: a block's sums stay below 16 bits.
    file.resize(offset + pixelBytes, 0);
    uint8_t* out = file.data() + offset;
    constexpr uint32_t samples = kScale * kScale;
    static_assert(samples * 255 < 0x10000, "a block's sum must fit in 16 bits");
    // In locals: the byte stores below could alias the surface's fields, which the compiler would
    // then read again for every pixel.
    const uint32_t* const bits = surface_->bits;
    const size_t stride = static_cast<size_t>(surface_->width);
    const int width = width_;
    static_assert(kScale == 2, "the blocks below are two by two");
    for (int y = height_ - 1; y >= 0; --y, out += rowBytes) {
        const uint32_t* upper = bits + static_cast<size_t>(y) * kScale * stride;
        const uint32_t* lower = upper + stride;
        uint8_t* pixel = out;
        for (int x = 0; x < width; ++x, upper += 2, lower += 2, pixel += 3) {
            const uint32_t a = upper[0], b = upper[1], c = lower[0], d = lower[1];
            const uint32_t redBlue = (a & 0x00FF00FFu) + (b & 0x00FF00FFu) + (c & 0x00FF00FFu) + (d & 0x00FF00FFu);
            const uint32_t green = (a & 0x0000FF00u) + (b & 0x0000FF00u) + (c & 0x0000FF00u) + (d & 0x0000FF00u);
            pixel[0] = static_cast<uint8_t>((redBlue & 0xFFFFu) / samples);
            pixel[1] = static_cast<uint8_t>((green >> 8) / samples);
            pixel[2] = static_cast<uint8_t>((redBlue >> 16) / samples);
        }
    }
    return file;
}

bool IsTransparent(int color) {
    return color != kDefaultColor && color != kItemColor && (static_cast<uint32_t>(color) >> 24) == 0xFF;
}

Gdiplus::Color ToGdiplus(int color) {
    const auto c = static_cast<uint32_t>(color);
    return Gdiplus::Color(static_cast<BYTE>(255 - (c >> 24)), static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8),
                          static_cast<BYTE>(c));
}

int Shade(int color, double amount) {
    const auto c = static_cast<uint32_t>(color);
    auto channel = [&](int shift) {
        double v = static_cast<double>((c >> shift) & 0xFF);
        v = amount >= 0 ? v + (255.0 - v) * amount : v * (1.0 + amount);
        return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)) << shift;
    };
    return static_cast<int>((c & 0xFF000000u) | channel(16) | channel(8) | channel(0));
}

int TextColorOn(int color) {
    const auto c = static_cast<uint32_t>(color);
    const double luminance = 0.299 * ((c >> 16) & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF);
    return luminance < 140 ? 0xFFFFFF : 0x000000;
}

std::wstring Widen(const char* utf8) {
    if (utf8 == nullptr || *utf8 == 0) return {};
    int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(length, 1)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), length);
    out.resize(static_cast<size_t>(std::max(length - 1, 0)));
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace xychart::detail
