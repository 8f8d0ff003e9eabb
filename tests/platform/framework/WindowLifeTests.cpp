// A window object's life: creation, subclassing an existing window, the handle map, timers, and
// destruction from inside the window's own handler.
#include <framework/Framework.h>
#include <support/gui/Input.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts what it sees and lets the edit control's own procedure do the typing.
class CCountingEdit : public CEdit {
public:
    std::wstring seen;

protected:
    void OnChar(UINT nChar, UINT, UINT) {
        seen.push_back(static_cast<wchar_t>(nChar));
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

class WindowLifeTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(nullptr, host);
    }
    void TearDown() override { ::DestroyWindow(host); }

    HWND MakeEdit() {
        return ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, host,
                                 reinterpret_cast<HMENU>(10), nullptr, nullptr);
    }

    HWND host = nullptr;
};

TEST_F(WindowLifeTest, SubclassedWindowKeepsItsProcedureForDefault) {
    HWND edit = MakeEdit();
    auto classProcedure = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    CCountingEdit wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(edit));
    EXPECT_NE(classProcedure, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));

    support::gui::TypeText(edit, L"héllo");
    EXPECT_EQ(L"héllo", wrapper.seen);
    EXPECT_EQ(L"héllo", support::gui::WindowText(edit));

    EXPECT_EQ(edit, wrapper.UnsubclassWindow());
    EXPECT_EQ(classProcedure, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
    support::gui::TypeText(edit, L"!");
    EXPECT_EQ(L"héllo", wrapper.seen);
    EXPECT_EQ(L"héllo!", support::gui::WindowText(edit));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
}

TEST_F(WindowLifeTest, SubclassDlgItemFindsTheControlById) {
    HWND edit = MakeEdit();
    CCountingEdit wrapper;
    CWnd parent;
    ASSERT_TRUE(parent.Attach(host));
    EXPECT_TRUE(wrapper.SubclassDlgItem(10, &parent));
    EXPECT_EQ(edit, wrapper.m_hWnd);
    CCountingEdit second;
    EXPECT_FALSE(second.SubclassDlgItem(10, &parent));  // one object per window
    EXPECT_FALSE(second.SubclassDlgItem(11, &parent));
    wrapper.UnsubclassWindow();
    parent.Detach();
}

TEST_F(WindowLifeTest, FromHandleWrapsForeignWindowsUntilIdle) {
    HWND edit = MakeEdit();
    CWnd* temporary = CWnd::FromHandle(edit);
    ASSERT_NE(nullptr, temporary);
    EXPECT_EQ(edit, temporary->m_hWnd);
    EXPECT_EQ(temporary, CWnd::FromHandle(edit));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
    AfxDeleteTempObjects();
    EXPECT_TRUE(::IsWindow(edit));  // dropping the wrapper leaves the window alone

    CCountingEdit permanent;
    permanent.SubclassWindow(edit);
    EXPECT_EQ(&permanent, CWnd::FromHandle(edit));
    permanent.UnsubclassWindow();
}

// Deletes itself when its window goes, which it destroys from its own click handler.
class CSelfClosingWindow : public CWnd {
public:
    static int deleted;
    ~CSelfClosingWindow() override { ++deleted; }

protected:
    void OnLButtonDown(UINT, CPoint) { DestroyWindow(); }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()
};
int CSelfClosingWindow::deleted = 0;

BEGIN_MESSAGE_MAP(CSelfClosingWindow, CWnd)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

TEST_F(WindowLifeTest, DestroyingTheWindowInsideItsOwnHandlerIsSafe) {
    CSelfClosingWindow::deleted = 0;
    auto* window = new CSelfClosingWindow;
    ASSERT_TRUE(window->CreateEx(0, nullptr, L"self", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    HWND hwnd = window->m_hWnd;
    support::gui::Click(hwnd, POINT{10, 10});
    EXPECT_EQ(1, CSelfClosingWindow::deleted);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
}

// Refuses creation in OnCreate: CreateEx fails and the object is told the window is gone.
class CRefusingWindow : public CWnd {
public:
    bool sawNcDestroy = false;

protected:
    int OnCreate(LPCREATESTRUCT) { return -1; }
    void PostNcDestroy() override { sawNcDestroy = true; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRefusingWindow, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(WindowLifeTest, CreationRefusedInOnCreateFailsCleanly) {
    CRefusingWindow window;
    EXPECT_FALSE(window.CreateEx(0, nullptr, L"no", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(nullptr, window.m_hWnd);
    EXPECT_TRUE(window.sawNcDestroy);
}

class CTickingWindow : public CWnd {
public:
    int ticks[3] = {0, 0, 0};

protected:
    void OnTimer(UINT_PTR id) {
        if (id < 3) ++ticks[id];
        if (id == 2) KillTimer(2);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTickingWindow, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST_F(WindowLifeTest, TimersFireDuringAPumpedWait) {
    CTickingWindow window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, L"timer", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    window.SetTimer(1, 10);
    window.SetTimer(2, 10);
    EXPECT_TRUE(support::gui::PumpUntil([&] { return window.ticks[1] >= 3; }, 5000));
    EXPECT_EQ(1, window.ticks[2]);  // killed by its own first tick
    window.KillTimer(1);
    int stopped = window.ticks[1];
    support::gui::PumpFor(60);
    EXPECT_EQ(stopped, window.ticks[1]);
    window.DestroyWindow();
}

}  // namespace

namespace {

// Keeps its vertical scrolling in a scroll-bar control beside its content.
class CWindowWithBarControl : public CWnd {
public:
    CScrollBar bar;
    CScrollBar* GetScrollBarCtrl(int nBar) const override {
        return nBar == SB_VERT ? const_cast<CScrollBar*>(&bar) : nullptr;
    }
};

TEST_F(WindowLifeTest, ScrollOperationsUseTheWindowsScrollBarControl) {
    CWindowWithBarControl window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, L"bars", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 200), nullptr, 0));
    ASSERT_TRUE(window.bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(180, 0, 196, 150), &window, 6));
    SCROLLINFO info = {};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 99;
    info.nPage = 10;
    info.nPos = 0;
    window.SetScrollInfo(SB_VERT, &info);
    window.SetScrollPos(SB_VERT, 40);
    EXPECT_EQ(40, window.bar.GetScrollPos());
    EXPECT_EQ(40, window.GetScrollPos(SB_VERT));
    EXPECT_EQ(90, window.GetScrollLimit(SB_VERT));
    EXPECT_EQ(0, ::GetScrollPos(window.m_hWnd, SB_VERT));  // the window's own bar is untouched
    window.DestroyWindow();
}

}  // namespace

namespace {

class CHintLikeWindow : public CWnd {
public:
    int paints = 0;

protected:
    void OnPaint() {
        CPaintDC dc(this);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHintLikeWindow, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(WindowLifeTest, ClassNamingTheFrameworkProcedureFallsBackToTheDefault) {
    WNDCLASSW wc = {};
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = L"FrameworkTests.Hint";
    ASSERT_TRUE(AfxRegisterClass(&wc));
    CHintLikeWindow window;
    ASSERT_TRUE(window.CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"FrameworkTests.Hint", L"", WS_POPUP | WS_BORDER,
                                CRect(0, 0, 80, 20), nullptr, 0));
    window.SetWindowText(L"tip text");  // handled by the default procedure
    EXPECT_EQ(L"tip text", support::gui::WindowText(window.m_hWnd));
    window.ShowWindow(SW_SHOWNOACTIVATE);
    window.UpdateWindow();
    EXPECT_GE(window.paints, 1);
    window.DestroyWindow();
    EXPECT_EQ(nullptr, window.m_hWnd);
}

}  // namespace

namespace {

// Follows a drag as a splitter would: capture on press, moves while captured, release.
class CDragRecorder : public CWnd {
public:
    CPoint pressed;
    CPoint released;
    int movesWhileCaptured = 0;

protected:
    void OnLButtonDown(UINT, CPoint point) {
        pressed = point;
        SetCapture();
    }
    void OnMouseMove(UINT, CPoint) {
        if (GetCapture() == this) ++movesWhileCaptured;
    }
    void OnLButtonUp(UINT, CPoint point) {
        released = point;
        ::ReleaseCapture();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDragRecorder, CWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

TEST_F(WindowLifeTest, InputAtAPointReachesTheChildUnderItAndFollowsCapture) {
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, L"frame", WS_POPUP | WS_VISIBLE, CRect(50, 50, 350, 250), nullptr, 0));
    CDragRecorder bar;
    ASSERT_TRUE(bar.Create(nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(100, 0, 110, 200), &frame, 1));
    support::gui::DragAt(frame.m_hWnd, POINT{105, 50}, POINT{205, 60});
    EXPECT_EQ(CPoint(5, 50), bar.pressed);
    EXPECT_EQ(CPoint(105, 60), bar.released);  // outside the bar, still its own coordinates
    EXPECT_GE(bar.movesWhileCaptured, 4);  // moving the pointer itself adds its own moves
    frame.DestroyWindow();
}

}  // namespace
