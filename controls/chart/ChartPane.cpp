#include "chart/ChartPane.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <string>

namespace {

// ---- The six cursors: made once, on first use, and destroyed when the program ends. -------------

enum CursorKind { kZoomIn, kZoomOut, kNoZoom, kScrollHorizontal, kScrollVertical, kScrollBoth, kCursorKinds };

double SegmentDistance(double x, double y, double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1, dy = y2 - y1;
    double t = ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy));
}

// Whether the cursor's pixel is ink: a magnifier (ring and handle, with a plus or a minus) or a
// pair of two-headed arrows.
bool Ink(CursorKind kind, int px, int py) {
    const double x = px, y = py;
    if (kind <= kNoZoom) {
        const double ring = std::fabs(std::hypot(x - 12, y - 12) - 8.5);
        if (ring <= 1.0) return true;
        if (SegmentDistance(x, y, 18.5, 18.5, 27, 27) <= 1.6) return true;
        const bool across = SegmentDistance(x, y, 8, 12, 16, 12) <= 0.6;
        const bool down = SegmentDistance(x, y, 12, 8, 12, 16) <= 0.6;
        return (kind != kNoZoom && across) || (kind == kZoomIn && down);
    }
    auto arrow = [&](double x1, double y1, double x2, double y2) {
        if (SegmentDistance(x, y, x1, y1, x2, y2) <= 0.6) return true;
        // Heads: two short strokes back from each end.
        const double ux = (x2 - x1) / std::hypot(x2 - x1, y2 - y1), uy = (y2 - y1) / std::hypot(x2 - x1, y2 - y1);
        for (int end = 0; end < 2; ++end) {
            const double ex = end ? x2 : x1, ey = end ? y2 : y1, s = end ? -1 : 1;
            for (int side = -1; side <= 1; side += 2) {
                const double hx = ex + s * 4 * ux + side * 4 * uy, hy = ey + s * 4 * uy - side * 4 * ux;
                if (SegmentDistance(x, y, ex, ey, hx, hy) <= 0.6) return true;
            }
        }
        return false;
    };
    const bool horizontal = kind != kScrollVertical && arrow(3, 15, 27, 15);
    const bool vertical = kind != kScrollHorizontal && arrow(15, 3, 15, 27);
    return horizontal || vertical;
}

HCURSOR MakeCursor(CursorKind kind) {
    // Monochrome: AND 0 / XOR 0 is black ink, AND 0 / XOR 1 a white halo, AND 1 / XOR 0 see-through.
    uint8_t andMask[32 * 4], xorMask[32 * 4];
    std::memset(andMask, 0xFF, sizeof andMask);
    std::memset(xorMask, 0, sizeof xorMask);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool ink = Ink(kind, x, y), halo = false;
            for (int dy = -1; dy <= 1 && !ink && !halo; ++dy) {
                for (int dx = -1; dx <= 1 && !halo; ++dx) halo = x + dx >= 0 && x + dx < 32 && y + dy >= 0 && y + dy < 32 && Ink(kind, x + dx, y + dy);
            }
            if (!ink && !halo) continue;
            const int byte = y * 4 + x / 8;
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
            andMask[byte] = static_cast<uint8_t>(andMask[byte] & ~bit);
            if (halo) xorMask[byte] = static_cast<uint8_t>(xorMask[byte] | bit);
        }
    }
    return ::CreateCursor(::GetModuleHandleW(nullptr), 15, 15, 32, 32, andMask, xorMask);
}

struct SharedCursors {
    HCURSOR cursors[kCursorKinds] = {};
    ~SharedCursors() {
        for (HCURSOR cursor : cursors) {
            if (cursor != nullptr) ::DestroyCursor(cursor);
        }
    }
    HCURSOR Get(CursorKind kind) {
        if (cursors[kind] == nullptr) cursors[kind] = MakeCursor(kind);
        return cursors[kind];
    }
};

// Touched only by viewers' window threads; the program's viewers all live on its GUI thread.
SharedCursors g_cursors;

CursorKind ScrollCursor(int axes) {
    return axes == xychart::kHorizontal ? kScrollHorizontal : axes == xychart::kVertical ? kScrollVertical : kScrollBoth;
}

uint32_t ReadLe(const unsigned char* at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

std::string ValueOf(ImageMapHandler& map, const char* key) {
    const char* value = map.getValue(key);
    return value != nullptr ? value : "";
}

}  // namespace

bool IsWholeBmpFile(const unsigned char* block, size_t size) {
    constexpr size_t kFileHeader = 14;
    if (block == nullptr || size < kFileHeader + sizeof(BITMAPINFOHEADER) || block[0] != 'B' || block[1] != 'M') return false;
    const uint64_t bitsOffset = ReadLe(block + 10, 4);
    const uint64_t headerSize = ReadLe(block + kFileHeader, 4);
    if (headerSize < sizeof(BITMAPINFOHEADER) || kFileHeader + headerSize > size) return false;
    const auto width = static_cast<int32_t>(ReadLe(block + 18, 4));
    const auto height = static_cast<int32_t>(ReadLe(block + 22, 4));
    const uint32_t planes = ReadLe(block + 26, 2), bitCount = ReadLe(block + 28, 2);
    const uint32_t compression = ReadLe(block + 30, 4), coloursUsed = ReadLe(block + 46, 4);
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return false;
    uint64_t tableBytes = 0;
    if (compression == BI_BITFIELDS) {
        if (bitCount != 16 && bitCount != 32) return false;
        if (headerSize == sizeof(BITMAPINFOHEADER)) tableBytes = 12;  // the three masks follow the header
    } else if (compression != BI_RGB) {
        return false;
    }
    if (bitCount <= 8) {
        const uint64_t most = uint64_t{1} << bitCount;
        if (coloursUsed > most) return false;
        tableBytes = 4 * (coloursUsed != 0 ? coloursUsed : most);
    }
    const uint64_t stride = ((uint64_t(width) * bitCount + 31) / 32) * 4;
    const uint64_t pixelBytes = stride * uint64_t(std::llabs(int64_t{height}));
    return bitsOffset >= kFileHeader + headerSize + tableBytes && bitsOffset <= size && pixelBytes <= size - bitsOffset;
}

BEGIN_MESSAGE_MAP(CChartPane, CStatic)
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CChartPane::CChartPane() = default;

CChartPane::~CChartPane() {
    // A viewer destroyed without its window having ended still gives back its bitmap and map.
    if (GetSafeHwnd() != nullptr) {
        HBITMAP bitmap = SetBitmap(nullptr);
        if (bitmap != nullptr) ::DeleteObject(bitmap);
    }
    delete m_hotSpotHandler;
}

void CChartPane::showChart(BaseChart* chart) {
    if ((GetStyle() & SS_NOTIFY) == 0 || (GetStyle() & SS_TYPEMASK) != SS_BITMAP) {
        ModifyStyle(SS_TYPEMASK, SS_NOTIFY | SS_BITMAP);
    }
    HBITMAP bitmap = nullptr;
    bool redrawnInPlace = false;
    const char* metrics = nullptr;
    ChartMemBlock block = {nullptr, 0};
    if (chart != nullptr && chart->makeChart(xychart::kFormatBmp, &block) && block.len > 0 &&
        IsWholeBmpFile(block.data, static_cast<size_t>(block.len))) {
        const auto* info = reinterpret_cast<const BITMAPINFO*>(block.data + 14);
        const uint32_t bitsOffset = ReadLe(block.data + 10, 4);
        CClientDC dc(this);
        // A picture of the size shown goes into the bitmap shown: a new bitmap each second costs
        // the system more than copying the pixels in does.
        HBITMAP shown = GetBitmap();
        BITMAP size = {};
        const LONG rows = std::labs(info->bmiHeader.biHeight);
        redrawnInPlace = shown != nullptr && ::GetObjectW(shown, sizeof size, &size) == sizeof size &&
                         size.bmWidth == info->bmiHeader.biWidth && size.bmHeight == rows &&
                         ::SetDIBits(dc.GetSafeHdc(), shown, 0, static_cast<UINT>(rows), block.data + bitsOffset, info,
                                     DIB_RGB_COLORS) == rows;
        if (!redrawnInPlace) {
            bitmap = ::CreateDIBitmap(dc.GetSafeHdc(), &info->bmiHeader, CBM_INIT, block.data + bitsOffset, info, DIB_RGB_COLORS);
        }
        metrics = chart->getChartMetrics();
    }
    m_chart = chart;
    if (redrawnInPlace) {
        Invalidate(FALSE);
    } else {
        // What the static gives back is ours to free; a static that keeps a copy of its own (as the
        // version 6 common controls do with some bitmaps) leaves the one handed to it ours too.
        HBITMAP previous = SetBitmap(bitmap);
        if (previous != nullptr && previous != bitmap) ::DeleteObject(previous);
        if (bitmap != nullptr && GetBitmap() != bitmap) ::DeleteObject(bitmap);
    }
    setChartMetrics(chart != nullptr ? metrics : nullptr);
    loadHotSpotMap(nullptr);
}

BaseChart* CChartPane::currentChart() { return m_chart; }

void CChartPane::loadHotSpotMap(const char* map) {
    delete m_hotSpotHandler;
    m_hotSpotHandler = nullptr;
    m_currentHotSpot = -1;
    m_overLink = false;
    if (map != nullptr && *map != 0) m_hotSpotHandler = new ImageMapHandler(map);
}

ImageMapHandler* CChartPane::hotSpotMap() { return m_hotSpotHandler; }
void CChartPane::setFallbackTip(LPCWSTR text) { m_fallbackTip = text != nullptr ? text : L""; }
CToolTipCtrl* CChartPane::tipControl() { return &m_tips; }
void CChartPane::setBoxEdgeWidth(int width) { m_boxEdgeWidth = width; }
int CChartPane::boxEdgeWidth() { return m_boxEdgeWidth; }

void CChartPane::setBoxEdgeColor(COLORREF color) {
    m_boxEdgeColor = color;
    for (CRectCtrl& edge : m_boxEdges) {
        if (edge.GetSafeHwnd() != nullptr) edge.SetColor(color);
    }
}

COLORREF CChartPane::boxEdgeColor() { return m_boxEdgeColor; }
void CChartPane::setMouseMode(int mode) { m_mouseMode = mode; }
int CChartPane::mouseMode() { return m_mouseMode; }
void CChartPane::setZoomAxes(int axes) { m_zoomAxes = axes; }
int CChartPane::zoomAxes() { return m_zoomAxes; }
void CChartPane::setScrollAxes(int axes) { m_scrollAxes = axes; }
int CChartPane::scrollAxes() { return m_scrollAxes; }
void CChartPane::setZoomInFactor(double factor) { m_zoomInFactor = factor; }
double CChartPane::zoomInFactor() { return m_zoomInFactor; }
void CChartPane::setZoomOutFactor(double factor) { m_zoomOutFactor = factor; }
double CChartPane::zoomOutFactor() { return m_zoomOutFactor; }
void CChartPane::setDragThreshold(int pixels) { m_dragThreshold = pixels; }
int CChartPane::dragThreshold() { return m_dragThreshold; }
void CChartPane::setRefreshHold(int milliseconds) { m_refreshHold = milliseconds; }
int CChartPane::refreshHold() { return m_refreshHold; }
bool CChartPane::chartUpdatePending() { return m_chartUpdatePending; }
bool CChartPane::mapUpdatePending() { return m_mapUpdatePending; }

void CChartPane::requestViewUpdate(bool updateChart, bool updateMap) {
    m_chartUpdatePending = m_chartUpdatePending || updateChart;
    m_mapUpdatePending = updateMap;
    if (m_holding) return;  // merged: delivered when the hold ends
    validateViewport();
    NotifyParent(kViewPortChanged);
    m_chartUpdatePending = false;
    m_mapUpdatePending = false;
    if (m_refreshHold > 0 && GetSafeHwnd() != nullptr) {
        m_holding = true;
        SetTimer(kHoldTimer, static_cast<UINT>(m_refreshHold));
    }
}

BOOL CChartPane::PreTranslateMessage(MSG* pMsg) {
    BOOL handled = CStatic::PreTranslateMessage(pMsg);
    if (m_tips.GetSafeHwnd() != nullptr) m_tips.RelayEvent(pMsg);
    return handled;
}

void CChartPane::NotifyParent(WORD code) {
    if (GetSafeHwnd() == nullptr) return;
    HWND parent = ::GetParent(m_hWnd);
    if (parent != nullptr) {
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(m_hWnd));
    }
}

bool CChartPane::MovedFarEnough(CPoint point, int axes) const {
    const int dx = std::abs(point.x - m_pressPoint.x), dy = std::abs(point.y - m_pressPoint.y);
    return (axes != xychart::kVertical && dx >= m_dragThreshold) || (axes != xychart::kHorizontal && dy >= m_dragThreshold);
}

void CChartPane::ShowTip(const CString& text) {
    // The viewer sets the tool's text itself: asking the parent for it would answer with whatever
    // the parent keeps for the viewer's control id, never the hot spot's title.
    m_tipText = text;
    if (m_tipsReady) m_tips.UpdateTipText(m_tipText.GetString(), this);
}

void CChartPane::OnMouseMove(UINT nFlags, CPoint point) {
    m_overPlot = m_pressed || inPlotArea(point.x, point.y);
    if (m_pressed) DragStep(point);
    if (!m_tipsReady) {
        if (m_tips.GetSafeHwnd() == nullptr && m_tips.Create(this, 0)) m_tips.Activate(TRUE);
        if (m_tips.GetSafeHwnd() != nullptr) {
            m_tipsReady = m_tips.AddTool(this, m_tipText.GetString()) != FALSE;
            m_tips.SetMaxTipWidth(0x7FFF);
        }
    }
    const UINT anyHeld = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL | MK_XBUTTON1 | MK_XBUTTON2;
    if ((nFlags & anyHeld) != 0) {
        ShowTip(L"");
    } else {
        const int hotSpot = m_hotSpotHandler != nullptr ? m_hotSpotHandler->getHotSpot(point.x, point.y) : 0;
        if (hotSpot != m_currentHotSpot) {
            m_currentHotSpot = hotSpot;
            if (hotSpot != 0) {
                // Each answer is copied: the library answers every call in the same buffer.
                const std::string path = ValueOf(*m_hotSpotHandler, "path");
                const std::string title = ValueOf(*m_hotSpotHandler, "title");
                m_overLink = !path.empty();
                ShowTip(NarrowToWide(title.c_str(), CP_UTF8));
            } else {
                m_overLink = false;
                ShowTip(m_fallbackTip);
            }
        }
    }
    Default();
}

void CChartPane::DragStep(CPoint point) {
    if (m_mouseMode == 1) {
        if (!m_dragging) {
            if (!MovedFarEnough(point, m_scrollAxes)) return;
            m_dragging = true;
        }
        ::SetCursor(g_cursors.Get(ScrollCursor(m_scrollAxes)));
        if (dragTo(m_scrollAxes, point.x - m_pressPoint.x, point.y - m_pressPoint.y)) requestViewUpdate(true, false);
    } else if (m_mouseMode == 3) {
        if (!canZoomIn(m_zoomAxes) || !MovedFarEnough(point, m_zoomAxes)) {
            ShowBox(false);
            return;
        }
        const int dx = m_pressPoint.x - point.x, dy = m_pressPoint.y - point.y;
        if (m_zoomAxes == xychart::kHorizontal) {
            PlaceBox(point.x, getPlotAreaTop(), dx, getPlotAreaHeight());
        } else if (m_zoomAxes == xychart::kVertical) {
            PlaceBox(getPlotAreaLeft(), point.y, getPlotAreaWidth(), dy);
        } else {
            PlaceBox(point.x, point.y, dx, dy);
        }
        ShowBox(true);
    }
}

BOOL CChartPane::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (m_overPlot && m_mouseMode == 3) {
        ::SetCursor(g_cursors.Get(canZoomIn(m_zoomAxes) ? kZoomIn : kNoZoom));
        return TRUE;
    }
    if (m_overPlot && m_mouseMode == 4) {
        ::SetCursor(g_cursors.Get(canZoomOut(m_zoomAxes) ? kZoomOut : kNoZoom));
        return TRUE;
    }
    if (m_overLink) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}

void CChartPane::OnLButtonDown(UINT, CPoint point) {
    // Outside the plot area, or in mouse mode 0, a press does nothing. It is not handed on to the
    // static either: with SS_NOTIFY that would send STN_CLICKED, the same WM_COMMAND code 0 as the
    // viewer's own click notification.
    if (!inPlotArea(point.x, point.y) || m_mouseMode == 0) return;
    SetCapture();
    m_pressed = true;
    m_pressPoint = point;
    startDrag();
}

void CChartPane::OnLButtonUp(UINT nFlags, CPoint point) {
    if (!m_pressed) {
        CStatic::OnLButtonUp(nFlags, point);
        return;
    }
    // Not pressed before the release: the capture change it sends is this press's own end.
    m_pressed = false;
    ::ReleaseCapture();
    ShowBox(false);
    bool zoomed = false;
    if (m_mouseMode == 3) {
        if (canZoomIn(m_zoomAxes)) {
            zoomed = MovedFarEnough(point, m_zoomAxes)
                         ? zoomTo(m_zoomAxes, m_pressPoint.x, m_pressPoint.y, point.x, point.y)
                         : zoomAt(m_zoomAxes, point.x, point.y, m_zoomInFactor);
        }
    } else if (m_mouseMode == 4) {
        if (canZoomOut(m_zoomAxes)) zoomed = zoomAt(m_zoomAxes, point.x, point.y, m_zoomOutFactor);
    } else if (m_dragging) {
        requestViewUpdate(false, true);
    } else {
        NotifyParent(kClicked);
    }
    m_dragging = false;
    if (zoomed) requestViewUpdate(true, true);
}

// The capture went elsewhere during a press (another window took it, a menu or a dialog opened):
// the press ends without zooming, scrolling or a click, and the box goes.
void CChartPane::OnCaptureChanged(CWnd*) {
    if (m_pressed) {
        m_pressed = false;
        m_dragging = false;
        ShowBox(false);
    }
    Default();
}

void CChartPane::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kHoldTimer) {
        CStatic::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kHoldTimer);
    m_holding = false;
    if (m_chartUpdatePending || m_mapUpdatePending) requestViewUpdate(m_chartUpdatePending, m_mapUpdatePending);
}

void CChartPane::OnDestroy() {
    CStatic::OnDestroy();
    HBITMAP bitmap = SetBitmap(nullptr);
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    delete m_hotSpotHandler;
    m_hotSpotHandler = nullptr;
    m_holding = false;
}

void CChartPane::PlaceBox(int x, int y, int width, int height) {
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
    CWnd* parent = GetParent();
    if (parent == nullptr) return;
    for (CRectCtrl& edge : m_boxEdges) {
        if (edge.GetSafeHwnd() == nullptr) {
            edge.SetColor(m_boxEdgeColor);
            edge.Create(L"", WS_CHILD, CRect(0, 0, 0, 0), parent, 0xFFFF);
        }
    }
    CPoint origin(x, y);
    ClientToScreen(&origin);
    parent->ScreenToClient(&origin);
    const int t = m_boxEdgeWidth;
    const int left = origin.x, top = origin.y, right = origin.x + width, bottom = origin.y + height;
    m_boxEdges[0].MoveWindow(left, top, width, t);
    m_boxEdges[1].MoveWindow(left, top, t, height);
    m_boxEdges[2].MoveWindow(left, bottom - t + 1, width, t);
    m_boxEdges[3].MoveWindow(right - t + 1, top, t, height);
}

void CChartPane::ShowBox(bool show) {
    for (CRectCtrl& edge : m_boxEdges) {
        if (edge.GetSafeHwnd() != nullptr) edge.ShowWindow(show ? SW_SHOW : SW_HIDE);
    }
}
