// The chart window shown on the test display, fed once a second as the counter refresh feeds it:
// its pies, bars and lines move from one sample to the next, two picked samples compare, and the
// toolbar, bounds edits and keys behave as a person expects.
#include "charts/Chart.h"
#include "charts/ChartIds.h"
#include "charts/Refresh.h"

#include <support/Waiting.h>
#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace charts;
using support::gui::Picture;
using support::gui::PumpPending;

// The window with its viewers in reach.
class ShownChart : public CChart {
public:
    using CChart::m_barViewA;
    using CChart::m_barViewB;
    using CChart::m_lineViewA;
    using CChart::m_pieViewA;
    using CChart::m_pieViewB;
    using CChart::m_seriesGridA;
    using CChart::m_seriesGridB;
    using CChart::m_toolBar;
};

// Another window that follows the refresh, as the live counter window does: what it heard.
struct RefreshHeard {
    std::vector<bool> running;
    static void Hear(void* context, bool running) { static_cast<RefreshHeard*>(context)->running.push_back(running); }
};

// One second of traffic: both ports' counter rows after `second` seconds of a mix that changes
// with time (the small frames grow faster early, the large ones later).
std::vector<uint64_t> Counters(int second, uint64_t scale) {
    std::vector<uint64_t> rows(kCounterRows, 0);
    const uint64_t s = static_cast<uint64_t>(second);
    rows[16] = 2 * s;                        // under size
    rows[17] = scale * (900 * s + 40 * s * s);  // 64 bytes
    rows[18] = scale * 500 * s;
    rows[19] = scale * 300 * s;
    rows[20] = scale * 200 * s;
    rows[21] = scale * 100 * s;
    rows[22] = scale * (50 * s * s * s);       // 1024-1522 bytes
    rows[23] = s;                            // over size
    rows[25] = 30 * s;                       // broadcast
    rows[26] = 60 * s;                       // multicast
    rows[27] = scale * 800 * s * s;          // unicast
    rows[28] = 90 * s;                       // VLAN
    rows[29] = 5 * s;                        // pause
    rows[31] = scale * 700 * s;              // IPv4
    rows[4] = scale * 1200 * s;              // Tx packets
    rows[5] = rows[4] * 500;                 // Tx bytes
    rows[8] = scale * (1000 * s + (s % 3) * 300);  // Rx packets
    rows[9] = rows[8] * 400;                 // Rx bytes
    return rows;
}

void Feed(int second) {
    const std::vector<uint64_t> a = Counters(second, 1), b = Counters(second, 2);
    AddChartSample(a.data(), b.data(), 739958.0 * 86400 + 10 * 3600 + second, static_cast<uint32_t>(second));
}

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

Picture Shot(CWnd& viewer) {
    PumpPending();
    return support::gui::CaptureWindow(viewer.GetSafeHwnd());
}

bool Differ(const Picture& a, const Picture& b) {
    return a.width != b.width || a.height != b.height || a.pixels != b.pixels;
}

// Every hot-spot title the viewer's map gives over its area.
std::set<std::string> Titles(CChartPane& viewer) {
    std::set<std::string> titles;
    ImageMapHandler* map = viewer.hotSpotMap();
    if (map == nullptr) return titles;
    CRect area;
    viewer.GetClientRect(&area);
    for (int y = 0; y < area.Height(); y += 2) {
        for (int x = 0; x < area.Width(); x += 2) {
            if (map->getHotSpot(x, y) == 0) continue;
            if (const char* title = map->getValue("title")) titles.insert(title);
        }
    }
    return titles;
}

// Whether a title starts so (the percentages are the library's arithmetic, not this window's).
bool HasTitle(const std::set<std::string>& titles, const std::string& start) {
    for (const std::string& title : titles) {
        if (title.compare(0, start.size(), start) == 0) return true;
    }
    return false;
}

class ChartWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ResetChartData();
        ClearComparisonFlags();
        SetRefreshRunning(false);
        ASSERT_TRUE(chart_.Create(IDD_CHART, nullptr));
        chart_.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        chart_.ShowWindow(SW_SHOW);
        PumpPending();
    }
    void TearDown() override {
        chart_.DestroyWindow();
        PumpPending();
    }

    HWND Window() { return chart_.GetSafeHwnd(); }
    // A click on the toolbar button of the command, as a person makes it.
    void ClickTool(UINT command) {
        CRect rect;
        chart_.m_toolBar.GetItemRect(static_cast<int>(chart_.m_toolBar.CommandToIndex(command)), &rect);
        support::gui::Click(chart_.m_toolBar.GetSafeHwnd(), rect.CenterPoint());
        PumpPending();
    }
    // Chooses a picker's entry as the operator does: a click on the picker drops its list, a click
    // on the entry takes it and closes the list.
    void Pick(int picker, int index) {
        HWND combo = ::GetDlgItem(Window(), picker);
        ASSERT_TRUE(support::gui::ClickOnScreen(combo)) << "the picker " << picker << " takes the click";
        PumpPending();
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetComboBoxInfo(combo, &info));
        ASSERT_TRUE(::IsWindowVisible(info.hwndList)) << "the picker's list dropped";
        RECT entry = {};
        ASSERT_NE(LB_ERR, ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(&entry)));
        support::gui::ClickAt(info.hwndList, POINT{(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2});
        PumpPending();
        ASSERT_FALSE(::IsWindowVisible(info.hwndList)) << "the choice closed the list";
        ASSERT_EQ(index, static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)));
    }
    void Tick() {
        ::SendMessageW(Window(), WM_TIMER, CChart::kUpdateTimer, 0);
        PumpPending();
    }
    void SavePicture(const wchar_t* name) {
        PumpPending();
        support::gui::SavePng(support::gui::CaptureWindow(Window(), false), support::gui::PicturePath(name));
    }

    ShownChart chart_;
};

TEST_F(ChartWindowTest, PiesMoveFromOneSecondToTheNext) {
    Feed(1);
    Feed(2);
    ClickTool(ID_CHART_PIE);
    ASSERT_TRUE(chart_.m_pieViewA.IsWindowVisible());
    EXPECT_FALSE(chart_.m_lineViewA.IsWindowVisible());
    EXPECT_FALSE(chart_.m_barViewA.IsWindowVisible());
    const Picture before = Shot(chart_.m_pieViewA);
    EXPECT_EQ(339, before.width);
    EXPECT_EQ(347, before.height);
    Feed(9);
    Tick();
    EXPECT_TRUE(Differ(before, Shot(chart_.m_pieViewA)));
    // The tips name each class with its total now.
    const std::set<std::string> titles = Titles(chart_.m_pieViewB);
    EXPECT_TRUE(HasTitle(titles, "65~127 Byte: 9000 (")) << testing::PrintToString(titles);
    SavePicture(L"vorels-chart-pie");
}

TEST_F(ChartWindowTest, BarsMoveFromOneSecondToTheNext) {
    Feed(1);
    Feed(2);
    ClickTool(ID_CHART_BAR);
    ASSERT_TRUE(chart_.m_barViewB.IsWindowVisible());
    const Picture before = Shot(chart_.m_barViewA);
    EXPECT_EQ(779, before.width);
    Feed(3);
    Tick();
    EXPECT_TRUE(Differ(before, Shot(chart_.m_barViewA)));
    // A live bar floats from the last second's total to this one's.
    EXPECT_EQ(1u, Titles(chart_.m_barViewA).count("UC: 7200 to 3200"));
    EXPECT_EQ(1u, Titles(chart_.m_barViewB).count("Pause: 15 to 10"));
    SavePicture(L"vorels-chart-bar");
}

TEST_F(ChartWindowTest, LinesMoveFromOneSecondToTheNextInTheirSeriesColours) {
    for (int second = 1; second <= 20; ++second) Feed(second);
    Tick();
    ASSERT_TRUE(chart_.m_lineViewA.IsWindowVisible());
    // A viewer spaces its redraws a little apart, so the tick's drawing may come a moment later.
    // "Rx Packet" (0xFF, red) and "Tx Packet" (0xFF3300, blue) are ticked from the start.
    Picture before;
    EXPECT_TRUE(support::gui::PumpUntil(
        [&] {
            before = Shot(chart_.m_lineViewA);
            return before.Count(RGB(255, 0, 0)) > 50 && before.Count(RGB(0, 0x33, 0xFF)) > 50;
        },
        kPatienceMs));
    EXPECT_EQ(kLineChartWidth, before.width);
    Feed(21);
    Tick();
    EXPECT_TRUE(support::gui::PumpUntil([&] { return Differ(before, Shot(chart_.m_lineViewA)); }, kPatienceMs));
    SavePicture(L"vorels-chart-line");
}

// One sample of both ports: the size classes and the frame types all at `total`, but for the
// 64-byte class at `small` and the unicast type at `unicast`.
void FeedTotals(int second, uint64_t total, uint64_t small, uint64_t unicast) {
    std::vector<uint64_t> rows(kCounterRows, 0);
    for (int row = 16; row <= 31; ++row) rows[row] = total;
    rows[17] = small;
    rows[27] = unicast;
    AddChartSample(rows.data(), rows.data(), 739958.0 * 86400 + 10 * 3600 + second, static_cast<uint32_t>(second));
}

// A dot of a colour no chart has, put into the picture a viewer shows: it stays while the viewer
// keeps its picture and goes when the viewer draws again.
constexpr COLORREF kDot = RGB(1, 2, 3);
COLORREF ShownCorner(CChartPane& viewer, COLORREF put = CLR_INVALID) {
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ previous = ::SelectObject(memory, viewer.GetBitmap());
    if (put != CLR_INVALID) ::SetPixel(memory, 0, 0, put);
    const COLORREF corner = ::GetPixel(memory, 0, 0);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    return corner;
}

TEST_F(ChartWindowTest, APieKeepsItsPictureWhileItsSharesLookTheSameAndTakesTheNewTips) {
    FeedTotals(1, 100000, 100000, 0);
    ClickTool(ID_CHART_PIE);
    const Picture before = Shot(chart_.m_pieViewA);
    ASSERT_EQ(kDot, ShownCorner(chart_.m_pieViewA, kDot));
    // Every class one frame more: the labels' rounded shares stay, the tips tell the new totals.
    FeedTotals(2, 100001, 100001, 0);
    Tick();
    EXPECT_EQ(kDot, ShownCorner(chart_.m_pieViewA));
    EXPECT_TRUE(HasTitle(Titles(chart_.m_pieViewA), "64Byte: 100001 (")) << testing::PrintToString(Titles(chart_.m_pieViewA));
    // The 64-byte class grows by a visible share while the bars are shown: back on the pies, they
    // show it.
    ClickTool(ID_CHART_BAR);
    FeedTotals(3, 100001, 400000, 0);
    Tick();
    ClickTool(ID_CHART_PIE);
    EXPECT_NE(kDot, ShownCorner(chart_.m_pieViewA));
    EXPECT_TRUE(Differ(before, Shot(chart_.m_pieViewA)));
    const Picture grown = Shot(chart_.m_pieViewA);
    // And a share that moves while the pies are shown is drawn at the next tick.
    FeedTotals(4, 100001, 100001, 0);
    Tick();
    EXPECT_TRUE(Differ(grown, Shot(chart_.m_pieViewA)));
    EXPECT_FALSE(Differ(before, Shot(chart_.m_pieViewA)));
}

TEST_F(ChartWindowTest, BarsKeepTheirPictureWhileTheirBoxesStayPutAndTakeTheNewTips) {
    FeedTotals(1, 1000000, 1000000, 1000000);
    FeedTotals(2, 1000001, 1000001, 1000001);
    ClickTool(ID_CHART_BAR);
    const Picture before = Shot(chart_.m_barViewA);
    ASSERT_EQ(kDot, ShownCorner(chart_.m_barViewA, kDot));
    FeedTotals(3, 1000002, 1000002, 1000002);
    Tick();
    EXPECT_EQ(kDot, ShownCorner(chart_.m_barViewA));
    EXPECT_EQ(1u, Titles(chart_.m_barViewA).count("UC: 1000002 to 1000001"));
    // A unicast bar that rises by a tenth of the scale moves on the screen.
    FeedTotals(4, 1000003, 1000003, 1100000);
    Tick();
    EXPECT_NE(kDot, ShownCorner(chart_.m_barViewA));
    EXPECT_TRUE(Differ(before, Shot(chart_.m_barViewA)));
    EXPECT_EQ(1u, Titles(chart_.m_barViewA).count("UC: 1100000 to 1000002"));
}

TEST_F(ChartWindowTest, AComparisonOfTwoSamplesShowsTheirDifference) {
    for (int second = 1; second <= 4; ++second) Feed(second);
    ClickTool(ID_CHART_PIE);
    EXPECT_EQ(4u, support::gui::ListItems(::GetDlgItem(Window(), IDC_CHART_FROM_SAMPLE)).size());
    EXPECT_EQ(L"10:00:02", support::gui::ListItems(::GetDlgItem(Window(), IDC_CHART_TO_SAMPLE))[1]);
    // Later sample first: the same comparison as the other way round.
    Pick(IDC_CHART_FROM_SAMPLE, 3);
    Pick(IDC_CHART_TO_SAMPLE, 1);
    // Between seconds 2 and 4 port A saw 300 * 2 = 600 frames of 128-255 bytes and 50 * (64 - 8) =
    // 2800 of 1024-1522 bytes.
    const std::set<std::string> pie = Titles(chart_.m_pieViewA);
    EXPECT_TRUE(HasTitle(pie, "1024~1522 Byte: 2800 (")) << testing::PrintToString(pie);
    EXPECT_TRUE(HasTitle(pie, "128~255 Byte: 600 (")) << testing::PrintToString(pie);
    SavePicture(L"vorels-chart-compare");
    ClickTool(ID_CHART_BAR);
    // The comparison box runs from the earlier sample's total to the later one's.
    EXPECT_EQ(1u, Titles(chart_.m_barViewA).count("BC: 60 to 120"));
}

TEST_F(ChartWindowTest, TheSameSampleTwiceDrawsAnEmptyPie) {
    for (int second = 1; second <= 3; ++second) Feed(second);
    ClickTool(ID_CHART_PIE);
    Pick(IDC_CHART_FROM_SAMPLE, 1);
    Pick(IDC_CHART_TO_SAMPLE, 1);
    EXPECT_TRUE(Titles(chart_.m_pieViewA).empty());
}

TEST_F(ChartWindowTest, APickerWithoutAChoiceIsIgnored) {
    for (int second = 1; second <= 3; ++second) Feed(second);
    ClickTool(ID_CHART_PIE);
    Pick(IDC_CHART_FROM_SAMPLE, 2);
    EXPECT_EQ(0, chartData.pieComparison);
    EXPECT_TRUE(HasTitle(Titles(chart_.m_pieViewA), "65~127 Byte: 1500 ("));
}

TEST_F(ChartWindowTest, UpdateLocksThePickersAndSwitchesTheOneRefreshBothWindowsFollow) {
    RefreshHeard counter;
    FollowRefresh(&RefreshHeard::Hear, &counter);
    ASSERT_EQ(std::vector<bool>{false}, counter.running);

    Feed(1);
    Feed(2);
    Pick(IDC_CHART_FROM_SAMPLE, 0);
    Pick(IDC_CHART_TO_SAMPLE, 1);
    ASSERT_EQ(1, chartData.barComparison);
    ClickTool(ID_CHART_UPDATE);
    EXPECT_TRUE(RefreshRunning());
    EXPECT_EQ((std::vector<bool>{false, true}), counter.running);
    EXPECT_EQ(0, chartData.pieComparison);
    EXPECT_EQ(0, chartData.barComparison);
    EXPECT_EQ(0, chartData.distinctSamples);
    EXPECT_FALSE(support::gui::IsEnabled(Window(), IDC_CHART_FROM_SAMPLE));
    EXPECT_FALSE(support::gui::IsEnabled(Window(), IDC_CHART_TO_SAMPLE));

    ClickTool(ID_CHART_UPDATE);
    EXPECT_FALSE(RefreshRunning());
    EXPECT_EQ((std::vector<bool>{false, true, false}), counter.running);
    EXPECT_TRUE(support::gui::IsEnabled(Window(), IDC_CHART_FROM_SAMPLE));
    StopFollowingRefresh(&counter);
}

TEST_F(ChartWindowTest, TheSeriesListsStayPaintedWhenUpdateIsToggled) {
    // Each list shows its swatches ("Rx Packet" red first) and names, before and after each press.
    const auto listsPainted = [&] {
        for (CWnd* grid : {static_cast<CWnd*>(&chart_.m_seriesGridA), static_cast<CWnd*>(&chart_.m_seriesGridB)}) {
            const Picture list = Shot(*grid);
            if (list.Count(RGB(255, 0, 0)) < 50 || list.Count(RGB(0, 0, 0)) < 50) return false;
        }
        return true;
    };
    ASSERT_TRUE(support::gui::PumpUntil(listsPainted, kPatienceMs));
    ClickTool(ID_CHART_UPDATE);
    SavePicture(L"vorels-chart-update-on");
    EXPECT_TRUE(listsPainted());
    ClickTool(ID_CHART_UPDATE);
    EXPECT_TRUE(listsPainted());
}

TEST_F(ChartWindowTest, TheRefreshSwitchedElsewhereSwitchesTheChartsToo) {
    Feed(1);
    Feed(2);
    Pick(IDC_CHART_FROM_SAMPLE, 0);
    Pick(IDC_CHART_TO_SAMPLE, 1);
    SetRefreshRunning(true);
    EXPECT_TRUE(chart_.m_toolBar.IsButtonChecked(ID_CHART_UPDATE));
    EXPECT_EQ(0, chartData.pieComparison);
    EXPECT_FALSE(support::gui::IsEnabled(Window(), IDC_CHART_TO_SAMPLE));
    SetRefreshRunning(false);
    EXPECT_FALSE(chart_.m_toolBar.IsButtonChecked(ID_CHART_UPDATE));
    EXPECT_TRUE(support::gui::IsEnabled(Window(), IDC_CHART_TO_SAMPLE));
    EXPECT_FALSE(::KillTimer(Window(), CChart::kUpdateTimer));
}

TEST_F(ChartWindowTest, BoundsTakeDigitsOnlyAndKeysDoNotCloseTheWindow) {
    ASSERT_TRUE(support::gui::ClickOnScreen(::GetDlgItem(Window(), IDC_CHART_SCALE_A)));
    PumpPending();
    ASSERT_TRUE(support::gui::IsEnabled(Window(), IDC_CHART_SCALE_A_HIGH));
    EXPECT_FALSE(support::gui::IsEnabled(Window(), IDC_CHART_SCALE_B_HIGH));
    HWND high = ::GetDlgItem(Window(), IDC_CHART_SCALE_A_HIGH);
    ::SetFocus(high);
    ::SendMessageW(high, EM_SETSEL, 0, -1);
    support::gui::TypeText(high, L"5x0y");
    PumpPending();
    EXPECT_EQ(L"50", support::gui::ControlText(Window(), IDC_CHART_SCALE_A_HIGH));
    support::gui::PressKey(high, VK_BACK);
    support::gui::PressKey(high, VK_RETURN);
    support::gui::PressKey(high, VK_ESCAPE);
    PumpPending();
    EXPECT_EQ(L"5", support::gui::ControlText(Window(), IDC_CHART_SCALE_A_HIGH));
    EXPECT_TRUE(chart_.IsWindowVisible());
}

TEST_F(ChartWindowTest, ToolTipsTellTheCommand) {
    NMTTDISPINFOW request = {};
    request.hdr.hwndFrom = chart_.m_toolBar.GetSafeHwnd();
    request.hdr.idFrom = ID_CHART_PIE;
    request.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(Window(), WM_NOTIFY, ID_CHART_PIE, reinterpret_cast<LPARAM>(&request));
    EXPECT_STREQ(L"Pie Chart", request.szText);
    NMTTDISPINFOA narrow = {};
    narrow.hdr.hwndFrom = chart_.m_toolBar.GetSafeHwnd();
    narrow.hdr.idFrom = ID_CHART_UPDATE;
    narrow.hdr.code = TTN_GETDISPINFOA;
    ::SendMessageW(Window(), WM_NOTIFY, ID_CHART_UPDATE, reinterpret_cast<LPARAM>(&narrow));
    EXPECT_STREQ("Update", narrow.szText);
}

}  // namespace
