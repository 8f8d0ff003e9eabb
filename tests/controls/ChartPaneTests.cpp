// The chart viewer in a real window: it shows what the chart library renders, frees the bitmaps it
// is done with, sets hot-spot titles as its own tip text, and tells its parent of viewport changes
// and clicks as its mouse mode says.
#include "chart/ChartPane.h"

#include <support/Waiting.h>
#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using support::gui::Picture;

constexpr UINT kViewerId = 1058;
constexpr UINT kMarker = WM_APP + 7;

struct Notice {
    WORD code;
    bool chartPending;
    bool mapPending;
};

// The viewer's parent: records the viewer's notifications with the pending flags seen meanwhile.
class CViewerHost : public CWnd {
public:
    CChartPane viewer;
    std::vector<Notice> notices;
    bool marked = false;

    BOOL CreateHidden() {
        return CreateEx(0, nullptr, L"chart host", WS_OVERLAPPEDWINDOW, CRect(20, 20, 820, 420), nullptr, 0);
    }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kViewerId && reinterpret_cast<HWND>(lParam) == viewer.GetSafeHwnd()) {
            notices.push_back(Notice{HIWORD(wParam), viewer.chartUpdatePending(), viewer.mapUpdatePending()});
            return TRUE;
        }
        return CWnd::OnCommand(wParam, lParam);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kMarker) {
            marked = true;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ChartPaneTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.CreateHidden());
        ASSERT_TRUE(host.viewer.Create(L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, CRect(10, 10, 410, 210), &host, kViewerId));
    }
    void TearDown() override { host.DestroyWindow(); }

    // A 400 × 200 bar chart whose plot area is (50, 20) 300 × 150, with its hot-spot map loaded.
    void ShowBars(int mouseMode) {
        XYChart chart(400, 200);
        chart.setPlotArea(50, 20, 300, 150, xychart::kTransparent, xychart::kTransparent, 0xC0C0C0, xychart::kTransparent);
        const char* labels[] = {"BC", "MC"};
        chart.setXLabels(2, labels);
        const double tops[] = {100, 50}, bottoms[] = {0, 0};
        const int colours[] = {0x20A040, 0x4060C0};
        chart.addBoxWhiskerLayer(2, tops, bottoms, nullptr, nullptr, nullptr, 2, colours, 0);
        host.viewer.setMouseMode(mouseMode);
        host.viewer.showChart(&chart);
        host.viewer.loadHotSpotMap(chart.getHTMLImageMap("", "", "title='{xLabel}: {top} to {bottom}'"));
    }

    // Waits until what was posted so far has been handled, so that a check of what did not happen
    // looks only after the input was seen.
    void Settle() {
        host.marked = false;
        host.PostMessage(kMarker);
        ASSERT_TRUE(support::gui::PumpUntil([&] { return host.marked; }, 10000));
    }

    // The selection box's edges: children of the viewer's parent with the id 0xFFFF, shown.
    int ShownBoxEdges() {
        int shown = 0;
        for (HWND child = ::GetWindow(host.GetSafeHwnd(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (::GetDlgCtrlID(child) == 0xFFFF && (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) ++shown;
        }
        return shown;
    }

    CViewerHost host;
};

TEST_F(ChartPaneTest, ShowsTheRenderedChartAndKeepsPicturesForAPerson) {
    PieChart pie(339, 347);
    pie.setPieSize(170, 180, 70);
    const double values[] = {5, 3, 2};
    const char* labels[] = {"64Byte", "65~127 Byte", "1024~1522 Byte"};
    const int colours[] = {0xE05050, 0x50A0E0, 0x60C060};
    pie.setData(3, values, labels);
    pie.setColors(3, colours);
    pie.setLabelFormat("{percent}%");
    pie.setLabelBox(xychart::kItemColor, 3, 8, 5, 5);
    pie.setSectorStyle(xychart::kFlatShading, 0xFFFFFF, 1);
    pie.addTitle(xychart::kBottomCenter, "Port A -> B", nullptr, 15);
    host.viewer.MoveWindow(10, 10, 339, 347);
    host.viewer.showChart(&pie);
    EXPECT_EQ(&pie, host.viewer.currentChart());
    EXPECT_NE(0u, host.viewer.GetStyle() & SS_NOTIFY);
    const Picture picture = support::gui::CaptureWindow(host.viewer);
    ASSERT_GE(picture.width, 339);
    EXPECT_EQ(RGB(0xE0, 0x50, 0x50), picture.At(200, 150));  // inside the first sector
    EXPECT_GT(picture.Count(RGB(0x50, 0xA0, 0xE0)), 1000);
    EXPECT_TRUE(support::gui::SavePng(picture, support::gui::PicturePath(L"chart-pane-pie")));

    ShowBars(0);
    EXPECT_TRUE(support::gui::SavePng(support::gui::CaptureWindow(host.viewer), support::gui::PicturePath(L"chart-pane-bars")));
}

TEST_F(ChartPaneTest, ShowingTheNextChartLeavesNoBitmapBehind) {
    ShowBars(0);
    HBITMAP first = host.viewer.GetBitmap();
    ASSERT_NE(nullptr, first);
    // A picture of the size shown is drawn into the bitmap shown...
    ShowBars(0);
    EXPECT_EQ(first, host.viewer.GetBitmap());
    // ...one of another size takes a new bitmap, and the previous one is freed.
    PieChart pie(339, 347);
    host.viewer.showChart(&pie);
    HBITMAP second = host.viewer.GetBitmap();
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(0u, static_cast<unsigned>(::GetObjectType(first)));
    host.viewer.showChart(nullptr);
    EXPECT_EQ(nullptr, host.viewer.GetBitmap());
    EXPECT_EQ(0u, static_cast<unsigned>(::GetObjectType(second)));
    EXPECT_EQ(0, host.viewer.getPlotAreaWidth());
    EXPECT_EQ(nullptr, host.viewer.hotSpotMap());
}

TEST_F(ChartPaneTest, DestroyingTheViewerFreesItsBitmapAndMap) {
    ShowBars(0);
    HBITMAP shown = host.viewer.GetBitmap();
    ASSERT_NE(nullptr, host.viewer.hotSpotMap());
    host.viewer.DestroyWindow();
    EXPECT_EQ(0u, static_cast<unsigned>(::GetObjectType(shown)));
    EXPECT_EQ(nullptr, host.viewer.hotSpotMap());
}

std::wstring ToolText(CChartPane& viewer) {
    wchar_t text[256] = L"";
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = ::GetParent(viewer.GetSafeHwnd());
    tool.uId = reinterpret_cast<UINT_PTR>(viewer.GetSafeHwnd());
    tool.lpszText = text;
    viewer.tipControl()->SendMessage(TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

TEST_F(ChartPaneTest, HotSpotTitleIsTheViewersOwnTipTextAndTheFallbackElsewhere) {
    ShowBars(0);
    host.viewer.setFallbackTip(L"Port A -> B");
    // The first bar: slot 0 of two over the plot area, from 0 up to 100.
    support::gui::MouseMove(host.viewer, POINT{125, 150});
    EXPECT_EQ(L"BC: 100 to 0", std::wstring(host.viewer.currentTip().GetString()));
    EXPECT_EQ(L"BC: 100 to 0", ToolText(host.viewer));
    support::gui::MouseMove(host.viewer, POINT{390, 5});
    EXPECT_EQ(L"Port A -> B", ToolText(host.viewer));
    support::gui::MouseMove(host.viewer, POINT{125, 150}, true);  // a button held: no tip
    EXPECT_EQ(L"", ToolText(host.viewer));
}

TEST_F(ChartPaneTest, RestingOnAHotSpotPopsUpItsTitle) {
    host.ShowWindow(SW_SHOW);
    host.SetForegroundWindow();
    ShowBars(0);
    POINT screen = {125, 150};
    host.viewer.ClientToScreen(&screen);
    ::SetCursorPos(screen.x, screen.y);
    support::gui::MouseMove(host.viewer, POINT{125, 150});
    CToolTipCtrl& tip = *host.viewer.tipControl();
    // A tip shows only over the active window. Test programs running beside this one share the
    // desktop's foreground and may take it meanwhile: take it back while waiting.
    ASSERT_TRUE(support::gui::PumpUntil([&] {
        if (::GetForegroundWindow() != host.GetSafeHwnd()) {
            host.SetForegroundWindow();
            support::gui::MouseMove(host.viewer, POINT{125, 150});
        }
        return tip.IsWindowVisible() != FALSE;
    }, static_cast<DWORD>(support::kPatience.count())));
    EXPECT_EQ(L"BC: 100 to 0", ToolText(host.viewer));
    // The screen under the host, tip included, for a person to look at.
    EXPECT_TRUE(support::gui::SavePng(support::gui::CaptureWindow(host), support::gui::PicturePath(L"chart-pane-tip")));
}

TEST_F(ChartPaneTest, LinkedHotSpotShowsTheHandCursor) {
    host.viewer.loadHotSpotMap("<area shape=rect coords='0,0,100,100' href='detail.html' title='linked'>"
                               "<area shape=rect coords='100,0,200,100' title='plain'>");
    support::gui::MouseMove(host.viewer, POINT{50, 50});
    host.viewer.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(host.viewer.GetSafeHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_HAND), ::GetCursor());
    support::gui::MouseMove(host.viewer, POINT{150, 50});
    host.viewer.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(host.viewer.GetSafeHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::LoadCursorW(nullptr, IDC_HAND), ::GetCursor());
}

TEST_F(ChartPaneTest, AHotSpotWithATitleButAnEmptyPathIsNoLink) {
    host.viewer.loadHotSpotMap("<area shape=rect coords='0,0,100,100' href='?id=3' title='a query only'>");
    support::gui::MouseMove(host.viewer, POINT{50, 50});
    host.viewer.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(host.viewer.GetSafeHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::LoadCursorW(nullptr, IDC_HAND), ::GetCursor());
}

TEST_F(ChartPaneTest, RequestsWithinTheHoldAreMergedIntoOneNotificationWhenItEnds) {
    host.viewer.requestViewUpdate(false, true);
    host.viewer.requestViewUpdate(true, false);
    host.viewer.requestViewUpdate(false, true);
    ASSERT_EQ(1u, host.notices.size());  // the first at once, the others held
    EXPECT_EQ(CChartPane::kViewPortChanged, host.notices[0].code);
    EXPECT_TRUE(host.viewer.chartUpdatePending());
    ASSERT_TRUE(support::gui::PumpUntil([&] { return host.notices.size() == 2; }, 10000));
    EXPECT_TRUE(host.notices[1].chartPending);  // either merged request asked for the chart
    EXPECT_TRUE(host.notices[1].mapPending);    // the last request's wish
    EXPECT_FALSE(host.viewer.chartUpdatePending());
}

TEST_F(ChartPaneTest, WithoutHoldEveryRequestNotifiesAtOnce) {
    host.viewer.setRefreshHold(0);
    for (int i = 0; i < 3; ++i) host.viewer.requestViewUpdate(true, i == 1);
    ASSERT_EQ(3u, host.notices.size());
    EXPECT_TRUE(host.notices[1].mapPending);
    EXPECT_FALSE(host.notices[2].mapPending);
}

TEST_F(ChartPaneTest, MouseModeNoneClickCapturesNothingAndSendsNothing) {
    ShowBars(0);
    support::gui::MouseDown(host.viewer, POINT{200, 100});
    EXPECT_EQ(nullptr, ::GetCapture());
    support::gui::MouseUp(host.viewer, POINT{200, 100});
    Settle();
    EXPECT_TRUE(host.notices.empty());
}

TEST_F(ChartPaneTest, ScrollModeClickWithoutDragSendsTheClickNotification) {
    ShowBars(1);
    support::gui::MouseDown(host.viewer, POINT{200, 100});
    EXPECT_EQ(host.viewer.GetSafeHwnd(), ::GetCapture());
    support::gui::MouseMove(host.viewer, POINT{202, 101}, true);  // inside the drag threshold
    support::gui::MouseUp(host.viewer, POINT{202, 101});
    EXPECT_EQ(nullptr, ::GetCapture());
    ASSERT_EQ(1u, host.notices.size());
    EXPECT_EQ(CChartPane::kClicked, host.notices[0].code);
}

TEST_F(ChartPaneTest, ScrollModeDragMovesTheViewportAndAsksForTheChart) {
    ShowBars(1);
    host.viewer.setRefreshHold(0);
    host.viewer.setViewPort(0.5, 0, 0.5, 1);
    support::gui::MouseDown(host.viewer, POINT{200, 100});
    support::gui::MouseMove(host.viewer, POINT{260, 100}, true);  // 60 of 300 pixels: a fifth of the view
    EXPECT_DOUBLE_EQ(0.4, host.viewer.getViewPortLeft());
    ASSERT_FALSE(host.notices.empty());
    EXPECT_TRUE(host.notices.back().chartPending);
    support::gui::MouseUp(host.viewer, POINT{260, 100});
    EXPECT_EQ(CChartPane::kViewPortChanged, host.notices.back().code);
    EXPECT_TRUE(host.notices.back().mapPending);  // the end of a drag asks for the map
}

HCURSOR CursorOver(CChartPane& viewer, POINT point) {
    support::gui::MouseMove(viewer, point);
    viewer.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(viewer.GetSafeHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
}

TEST_F(ChartPaneTest, ZoomInClickZoomsAboutThePointUntilTheLimit) {
    ShowBars(3);
    host.viewer.setZoomInLimits(0.5, 0.5);
    const HCURSOR canZoom = CursorOver(host.viewer, POINT{200, 100});
    EXPECT_NE(::LoadCursorW(nullptr, IDC_ARROW), canZoom);
    support::gui::Click(host.viewer, POINT{200, 100});
    EXPECT_DOUBLE_EQ(0.5, host.viewer.getViewPortWidth());
    EXPECT_DOUBLE_EQ(0.25, host.viewer.getViewPortLeft());
    ASSERT_EQ(1u, host.notices.size());
    EXPECT_TRUE(host.notices[0].chartPending);
    EXPECT_TRUE(host.notices[0].mapPending);
    // At the limit the cursor says so, and a click changes nothing and tells nobody.
    EXPECT_NE(canZoom, CursorOver(host.viewer, POINT{200, 100}));
    support::gui::Click(host.viewer, POINT{200, 100});
    Settle();
    EXPECT_EQ(1u, host.notices.size());
}

TEST_F(ChartPaneTest, ZoomInDragShowsTheBoxThenZoomsToIt) {
    host.ShowWindow(SW_SHOW);  // the box is drawn by windows of the parent: seen only on screen
    ShowBars(3);
    host.viewer.setBoxEdgeColor(RGB(255, 0, 0));
    support::gui::MouseDown(host.viewer, POINT{110, 60});
    support::gui::MouseMove(host.viewer, POINT{170, 120}, true);
    // The box spans the dragged columns over the plot area's height.
    EXPECT_EQ(4, ShownBoxEdges());
    const Picture parent = support::gui::CaptureWindow(host);
    EXPECT_EQ(RGB(255, 0, 0), parent.At(10 + 140, 10 + 20 + 1));  // the top edge, over the plot's top
    support::gui::MouseUp(host.viewer, POINT{170, 120});
    EXPECT_DOUBLE_EQ(0.2, host.viewer.getViewPortLeft());
    EXPECT_DOUBLE_EQ(0.2, host.viewer.getViewPortWidth());
    EXPECT_DOUBLE_EQ(1, host.viewer.getViewPortHeight());  // horizontal zoom by default
    EXPECT_EQ(0, ShownBoxEdges());
}

TEST_F(ChartPaneTest, ALostCaptureEndsTheZoomBoxWithoutZooming) {
    host.ShowWindow(SW_SHOW);
    ShowBars(3);
    support::gui::MouseDown(host.viewer, POINT{110, 60});
    support::gui::MouseMove(host.viewer, POINT{170, 120}, true);
    ASSERT_EQ(4, ShownBoxEdges());
    // Another window takes the mouse, as a menu or a message box would.
    host.SetCapture();
    EXPECT_EQ(0, ShownBoxEdges());
    ::ReleaseCapture();
    support::gui::MouseMove(host.viewer, POINT{180, 130}, true);
    support::gui::MouseUp(host.viewer, POINT{180, 130});
    Settle();
    EXPECT_EQ(0, ShownBoxEdges());
    EXPECT_DOUBLE_EQ(1, host.viewer.getViewPortWidth());
    EXPECT_TRUE(host.notices.empty());
}

TEST_F(ChartPaneTest, ALostCaptureEndsAScrollDragWithoutAClick) {
    ShowBars(1);
    host.viewer.setRefreshHold(0);
    host.viewer.setViewPort(0.5, 0, 0.5, 1);
    support::gui::MouseDown(host.viewer, POINT{200, 100});
    host.SetCapture();
    ::ReleaseCapture();
    support::gui::MouseMove(host.viewer, POINT{260, 100}, true);
    support::gui::MouseUp(host.viewer, POINT{260, 100});
    Settle();
    EXPECT_DOUBLE_EQ(0.5, host.viewer.getViewPortLeft());
    EXPECT_TRUE(host.notices.empty());
}

// ---- The rendered block is checked before a bitmap is made of it. --------------------------------

std::vector<unsigned char> Bmp(int width, int height, int bitCount, uint32_t offset, size_t pixelBytes) {
    std::vector<unsigned char> file(offset + pixelBytes, 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<uint32_t>(file.size()), 4);
    put(10, offset, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, static_cast<uint32_t>(bitCount), 2);
    return file;
}

struct BmpCase {
    const char* name;
    std::vector<unsigned char> block;
    bool whole;
};

class BmpBlockTest : public testing::TestWithParam<BmpCase> {};

TEST_P(BmpBlockTest, OnlyAWholeFileIsAccepted) {
    const BmpCase& c = GetParam();
    EXPECT_EQ(c.whole, IsWholeBmpFile(c.block.data(), c.block.size()));
}

std::vector<unsigned char> Cut(std::vector<unsigned char> block, size_t size) {
    block.resize(size);
    return block;
}

std::vector<unsigned char> Patched(std::vector<unsigned char> block, size_t at, uint32_t value) {
    std::memcpy(block.data() + at, &value, 4);
    return block;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, BmpBlockTest,
    testing::Values(BmpCase{"Whole24Bit", Bmp(3, 2, 24, 54, 24), true},
                    BmpCase{"WholeTopDown", Patched(Bmp(3, 2, 24, 54, 24), 22, static_cast<uint32_t>(-2)), true},
                    BmpCase{"Whole8BitWithTable", Bmp(4, 4, 8, 54 + 1024, 16), true},
                    BmpCase{"PixelsCutShort", Cut(Bmp(3, 2, 24, 54, 24), 70), false},
                    BmpCase{"OffsetPastTheEnd", Patched(Bmp(3, 2, 24, 54, 24), 10, 0x7FFFFFF0), false},
                    BmpCase{"OffsetInsideTheHeader", Patched(Bmp(3, 2, 24, 54, 24), 10, 20), false},
                    BmpCase{"HeightBeyondTheBlock", Patched(Bmp(3, 2, 24, 54, 24), 22, 0x40000000), false},
                    BmpCase{"HeaderSizeBeyondTheBlock", Patched(Bmp(3, 2, 24, 54, 24), 14, 0x10000), false},
                    BmpCase{"TableOverlapsThePixels", Bmp(4, 4, 8, 54 + 16, 1024), false},
                    BmpCase{"NoFileHeader", Cut(Bmp(3, 2, 24, 54, 24), 20), false},
                    BmpCase{"Empty", {}, false}),
    [](const testing::TestParamInfo<BmpCase>& info) { return std::string(info.param.name); });

}  // namespace
