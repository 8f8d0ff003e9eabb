// The splitter bar: which way it runs, its drag range and clamping, the distance it reports, its
// neighbours' new edges, and a drag cut short by a lost capture.
#include "hexedit/HexEditWnd.h"
#include "splitter/SplitterBar.h"

#include "SuiteWindow.h"

#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace {

using namespace support::gui;
using namespace SplitterGeometry;

TEST(SplitterGeometryTest, ABarRunsAlongItsLongerSide) {
    EXPECT_EQ(kVertical, OrientationOf(CRect(0, 0, 5, 100)));
    EXPECT_EQ(kHorizontal, OrientationOf(CRect(0, 0, 100, 5)));
    EXPECT_EQ(kHorizontal, OrientationOf(CRect(0, 0, 40, 40)));
    EXPECT_EQ(CRect(10, 20, 15, 300), BarRect(CRect(10, 20, 30, 300), kVertical));
    EXPECT_EQ(CRect(10, 20, 300, 25), BarRect(CRect(10, 20, 300, 40), kHorizontal));
}

TEST(SplitterGeometryTest, NeighboursMoveTheEdgeTheSideNames) {
    const CRect pane(100, 50, 300, 250);
    CRect changed;
    ASSERT_TRUE(ChangedWidth(pane, 30, kLeft, &changed));
    EXPECT_EQ(CRect(70, 50, 300, 250), changed);  // wider to the left
    ASSERT_TRUE(ChangedWidth(pane, -30, kRight, &changed));
    EXPECT_EQ(CRect(100, 50, 270, 250), changed);  // narrower from the right
    ASSERT_TRUE(ChangedHeight(pane, 20, kBottom, &changed));
    EXPECT_EQ(CRect(100, 50, 300, 270), changed);
    ASSERT_TRUE(ChangedHeight(pane, -20, kTop, &changed));
    EXPECT_EQ(CRect(100, 70, 300, 250), changed);
    EXPECT_FALSE(ChangedWidth(pane, 30, kTop, &changed));
    EXPECT_FALSE(ChangedHeight(pane, 30, kRight, &changed));
}

// A parent that records the splitters' notifications.
class SplitterParent : public CWnd {
public:
    std::vector<SplitterNotify> moves;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        const auto* record = reinterpret_cast<const SplitterNotify*>(lParam);
        if (record->hdr.code == kSplitterMoved && record->hdr.idFrom == wParam) moves.push_back(*record);
        return CWnd::OnNotify(wParam, lParam, pResult);
    }
};

// Records where the drag feedback is drawn; a position drawn an even number of times is clear again.
class RecordingSplitter : public CSplitterBar {
public:
    std::map<std::pair<int, int>, int> drawn;
    bool FeedbackShown() const {
        for (const auto& entry : drawn)
            if (entry.second % 2 != 0) return true;
        return false;
    }

protected:
    void DrawLine(CDC* pDC, int x, int y) override {
        ++drawn[{x, y}];
        CSplitterBar::DrawLine(pDC, x, y);
    }
};

class SplitterWindowTest : public ::testing::Test {
protected:
    using Parent = SuiteWindow<SplitterParent>;
    static void SetUpTestSuite() { Parent::Open(L"Splitters", CRect(440, 500, 1240, 1000), WS_POPUP, COLOR_WINDOW); }
    static void TearDownTestSuite() { Parent::Close(); }
    void SetUp() override {
        ASSERT_NE(nullptr, parent.GetSafeHwnd());
        parent.moves.clear();
        // Middle of the vertical bar at x = 400, of the horizontal one at y = 120.
        ASSERT_TRUE(vertical.Create(WS_CHILD | WS_VISIBLE, CRect(398, 140, 410, 480), &parent, 1181));
        ASSERT_TRUE(horizontal.Create(WS_CHILD | WS_VISIBLE, CRect(10, 118, 790, 130), &parent, 1182));
        vertical.SetRange(250, 200, -1);
        horizontal.SetRange(50, 100, -1);
        PumpPending();
    }
    void TearDown() override {
        vertical.DestroyWindow();
        horizontal.DestroyWindow();
        PumpPending();
    }
    CRect InParent(CWnd& wnd) {
        CRect rect;
        wnd.GetWindowRect(&rect);
        parent.ScreenToClient(&rect);
        return rect;
    }

    SplitterParent& parent = *Parent::window;
    RecordingSplitter vertical;
    CSplitterBar horizontal;
};

TEST_F(SplitterWindowTest, CreateCutsTheBarAndCentresAnEmptyRange) {
    EXPECT_EQ(kVertical, vertical.GetOrientation());
    EXPECT_EQ(CRect(398, 140, 403, 480), InParent(vertical));
    EXPECT_EQ(kHorizontal, horizontal.GetOrientation());
    EXPECT_EQ(CRect(10, 118, 790, 123), InParent(horizontal));
    EXPECT_NE(0u, vertical.GetStyle() & SS_NOTIFY);
    int low = 0, high = 0;
    vertical.GetRange(low, high);
    EXPECT_EQ(150, low);
    EXPECT_EQ(600, high);
}

TEST_F(SplitterWindowTest, ADragStopsAtTheRangeAndReportsTheDistance) {
    struct {
        int toX;
        int delta;
    } cases[] = {{-300, -250}, {700, 200}, {430, 30}};
    for (const auto& c : cases) {
        parent.moves.clear();
        vertical.MoveToPoint(400, 0);
        const CRect before = InParent(vertical);
        const int middle = (before.left + before.right) / 2;
        DragAt(parent, CPoint(before.left + 2, 300), CPoint(c.toX, 310));
        ASSERT_EQ(1u, parent.moves.size()) << c.toX;
        EXPECT_EQ(c.delta, parent.moves[0].delta) << c.toX;
        EXPECT_EQ(vertical.m_hWnd, parent.moves[0].hdr.hwndFrom);
        const CRect after = InParent(vertical);
        EXPECT_EQ(middle + c.delta, (after.left + after.right) / 2) << c.toX;
        EXPECT_EQ(5, after.Width());
    }
}

TEST_F(SplitterWindowTest, AReleaseWithoutMovingReportsNoDistance) {
    Click(horizontal, CPoint(100, 2));
    ASSERT_EQ(1u, parent.moves.size());
    EXPECT_EQ(0, parent.moves[0].delta);
    EXPECT_EQ(1182u, parent.moves[0].hdr.idFrom);
    EXPECT_EQ(CRect(10, 118, 790, 123), InParent(horizontal));
}

TEST_F(SplitterWindowTest, LosingTheCaptureErasesTheLinesAndEndsTheDrag) {
    MouseDown(vertical, CPoint(2, 100));
    MouseMove(vertical, CPoint(-20, 100), true);
    EXPECT_TRUE(vertical.IsPressed());
    EXPECT_TRUE(vertical.FeedbackShown());
    horizontal.SetCapture();
    EXPECT_FALSE(vertical.IsPressed());
    EXPECT_FALSE(vertical.FeedbackShown());
    ::ReleaseCapture();
    MouseUp(vertical, CPoint(-20, 100));
    EXPECT_TRUE(parent.moves.empty());
}

TEST_F(SplitterWindowTest, ChangeWidthAndHeightResizeAWindowInItsParent) {
    CStatic pane;
    ASSERT_TRUE(pane.Create(L"", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(420, 140, 780, 480), &parent, 1));
    CSplitterBar::ChangeWidth(&pane, 30, kLeft);
    EXPECT_EQ(CRect(390, 140, 780, 480), InParent(pane));
    CSplitterBar::ChangeHeight(&pane, -40, kTop);
    EXPECT_EQ(CRect(390, 180, 780, 480), InParent(pane));
    CSplitterBar::ChangeHeight(&pane, 40, kLeft);
    EXPECT_EQ(CRect(390, 180, 780, 480), InParent(pane));
    // Without a parent window nothing moves.
    CRect before;
    parent.GetWindowRect(&before);
    CSplitterBar::ChangeWidth(&parent, 30, kRight);
    CRect after;
    parent.GetWindowRect(&after);
    EXPECT_EQ(before, after);
}

TEST_F(SplitterWindowTest, PictureOfTheBars) {
    // The capture panel's arrangement: the frame list above, the hex view and the details below.
    CStatic list, right;
    ASSERT_TRUE(list.Create(L"frame list", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 790, 116), &parent, 2));
    ASSERT_TRUE(
        right.Create(L"frame details", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(405, 140, 790, 480), &parent, 4));
    std::vector<BYTE> frame(96);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<BYTE>(i * 7);
    CHexEditWnd hex;
    const DWORD hexStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE;
    ASSERT_TRUE(hex.Create(nullptr, hexStyle, CRect(10, 140, 396, 480), &parent, 3));
    hex.SetAddressSize(4, false);
    hex.SetShowAddress(true, false);
    hex.SetBytesPerRow(8, false, false);
    hex.SetShowAscii(true, false);
    hex.SetBackgroundColor(RGB(255, 255, 255), false);
    hex.SetData(frame.data(), static_cast<int>(frame.size()), false);
    const Picture picture = CaptureWindow(parent);
    SavePng(picture, PicturePath(L"splitter-bars"));
    EXPECT_EQ(RGB(200, 220, 220), picture.At(400, 300));
    EXPECT_EQ(RGB(200, 220, 220), picture.At(300, 120));
    EXPECT_EQ(RGB(200, 200, 200), picture.At(399, 300));
}

}  // namespace
