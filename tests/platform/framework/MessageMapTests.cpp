// Message maps against real windows: each kind of entry reaches its handler, control notifications
// are offered to the control first (reflection), and unhandled commands climb to the parent.
#include <framework/Framework.h>
#include <support/gui/Input.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::wstring>;

UINT PingMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"FrameworkTests.Ping");
    return message;
}
const UINT g_pingMessage = PingMessage();

constexpr UINT kButtonId = 500;
constexpr UINT kNotifierId = 501;

// A control that handles its own clicks: the _EX form lets the parent see them too when asked to.
class CReflectingButton : public CButton {
public:
    Log* log = nullptr;
    BOOL passToParent = FALSE;

protected:
    BOOL OnReflectedClick() {
        log->push_back(L"button: reflected click");
        return !passToParent;
    }
    void OnReflectedCustom(NMHDR* header, LRESULT* result) {
        log->push_back(L"button: reflected notify " + std::to_wstring(header->code));
        *result = 7;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnReflectedClick)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW - 1000, OnReflectedCustom)
END_MESSAGE_MAP()

class CBaseWindow : public CWnd {
public:
    Log log;

protected:
    void OnBaseCommand() { log.push_back(L"base: 100"); }
    void OnSharedCommand() { log.push_back(L"base: 101"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWindow, CWnd)
    ON_COMMAND(100, OnBaseCommand)
    ON_COMMAND(101, OnSharedCommand)
END_MESSAGE_MAP()

class CRoutingWindow : public CBaseWindow {
public:
    CReflectingButton button;

    BOOL CreateHidden() {
        return CreateEx(0, nullptr, L"routing", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0);
    }

protected:
    BOOL OnNcCreate(LPCREATESTRUCT cs) {
        log.push_back(std::wstring(L"nccreate: ") + cs->lpszName);
        return CBaseWindow::OnNcCreate(cs);
    }
    int OnCreate(LPCREATESTRUCT cs) {
        log.push_back(std::wstring(L"create: ") + cs->lpszName);
        button.log = &log;
        return button.Create(L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), this, kButtonId)
                   ? 0
                   : -1;
    }
    void OnSharedCommand() { log.push_back(L"derived: 101"); }
    void OnRange(UINT id) { log.push_back(L"range: " + std::to_wstring(id)); }
    BOOL OnCommandEx(UINT id) {
        log.push_back(L"ex: " + std::to_wstring(id));
        return FALSE;
    }
    void OnFallbackAfterEx() { log.push_back(L"after ex: 300"); }
    void OnButtonClicked() { log.push_back(L"parent: clicked"); }
    void OnNotifyClick(NMHDR* header, LRESULT* result) {
        log.push_back(L"notify: " + std::to_wstring(header->idFrom));
        *result = 42;
    }
    void OnNotifyRange(UINT id, NMHDR*, LRESULT*) { log.push_back(L"notify range: " + std::to_wstring(id)); }
    void OnUpdate(CCmdUI* ui) {
        log.push_back(L"update: " + std::to_wstring(ui->m_nID));
        ui->Enable(FALSE);
    }
    LRESULT OnAppMessage(WPARAM w, LPARAM l) {
        log.push_back(L"app: " + std::to_wstring(w) + L"," + std::to_wstring(l));
        return 99;
    }
    LRESULT OnPing(WPARAM, LPARAM) {
        log.push_back(L"ping");
        return 5;
    }
    void OnLButtonDown(UINT, CPoint point) {
        log.push_back(L"lbutton: " + std::to_wstring(point.x) + L"," + std::to_wstring(point.y));
    }
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT) {
        log.push_back(L"key: " + std::to_wstring(nChar) + L" x" + std::to_wstring(nRepCnt));
    }
    void OnSize(UINT, int cx, int cy) { log.push_back(L"size: " + std::to_wstring(cx) + L"x" + std::to_wstring(cy)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRoutingWindow, CBaseWindow)
    ON_WM_NCCREATE()
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_SIZE()
    ON_COMMAND(101, OnSharedCommand)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_COMMAND_EX(300, OnCommandEx)
    ON_COMMAND(300, OnFallbackAfterEx)
    ON_UPDATE_COMMAND_UI(400, OnUpdate)
    ON_BN_CLICKED(kButtonId, OnButtonClicked)
    ON_NOTIFY(NM_CLICK, kNotifierId, OnNotifyClick)
    ON_NOTIFY_RANGE(NM_DBLCLK, 600, 610, OnNotifyRange)
    ON_MESSAGE(WM_APP + 1, OnAppMessage)
    ON_REGISTERED_MESSAGE(g_pingMessage, OnPing)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.CreateHidden()); window.log.clear(); }
    void TearDown() override { window.DestroyWindow(); }

    LRESULT Notify(UINT fromId, HWND from, int code) {
        NMHDR header = {from, fromId, static_cast<UINT>(code)};
        return window.SendMessage(WM_NOTIFY, fromId, reinterpret_cast<LPARAM>(&header));
    }

    CRoutingWindow window;
};

TEST_F(MessageMapTest, CreationMessagesReachTheObject) {
    CRoutingWindow other;
    ASSERT_TRUE(other.CreateHidden());
    ASSERT_GE(other.log.size(), 2u);
    EXPECT_EQ(L"nccreate: routing", other.log[0]);
    EXPECT_EQ(L"create: routing", other.log[1]);
    EXPECT_EQ(&other, CWnd::FromHandlePermanent(other.m_hWnd));
    other.DestroyWindow();
}

TEST_F(MessageMapTest, EachKindOfEntryReachesItsHandler) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        Log expected;
        LRESULT result;
    };
    const Case cases[] = {
        {"window message with point", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34), {L"lbutton: 12,34"}, 0},
        {"key with repeat count", WM_KEYDOWN, 'Q', 3, {L"key: 81 x3"}, 0},
        {"size", WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80), {L"size: 120x80"}, 0},
        {"command in base map", WM_COMMAND, 100, 0, {L"base: 100"}, 1},
        {"derived entry hides base", WM_COMMAND, 101, 0, {L"derived: 101"}, 1},
        {"command range", WM_COMMAND, 205, 0, {L"range: 205"}, 1},
        {"ex handler declines, search goes on", WM_COMMAND, 300, 0, {L"ex: 300", L"after ex: 300"}, 1},
        {"user message", WM_APP + 1, 7, 8, {L"app: 7,8"}, 99},
        {"registered message", g_pingMessage, 0, 0, {L"ping"}, 5},
    };
    for (const Case& c : cases) {
        window.log.clear();
        LRESULT result = window.SendMessage(c.message, c.wParam, c.lParam);
        EXPECT_EQ(c.expected, window.log) << c.name;
        EXPECT_EQ(c.result, result) << c.name;
    }
}

HWND MakeSender(HWND parent, UINT id) {
    return ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
}

TEST_F(MessageMapTest, NotificationsMatchCodeAndIdRange) {
    HWND notifier = MakeSender(window.m_hWnd, kNotifierId);
    EXPECT_EQ(42, Notify(kNotifierId, notifier, NM_CLICK));
    EXPECT_EQ(Log{L"notify: 501"}, window.log);

    window.log.clear();
    HWND inRange = MakeSender(window.m_hWnd, 605);
    Notify(605, inRange, NM_DBLCLK);
    Notify(605, inRange, NM_CLICK);  // no entry for this code and id
    EXPECT_EQ(Log{L"notify range: 605"}, window.log);
}

TEST_F(MessageMapTest, ControlNotificationIsReflectedToTheControlFirst) {
    support::gui::Click(window.button.m_hWnd, POINT{5, 5});
    EXPECT_EQ(Log{L"button: reflected click"}, window.log);

    window.log.clear();
    window.button.passToParent = TRUE;
    support::gui::Click(window.button.m_hWnd, POINT{5, 5});
    EXPECT_EQ((Log{L"button: reflected click", L"parent: clicked"}), window.log);

    window.log.clear();
    EXPECT_EQ(7, Notify(kButtonId, window.button.m_hWnd, NM_CUSTOMDRAW - 1000));
    EXPECT_EQ(Log{L"button: reflected notify " + std::to_wstring(NM_CUSTOMDRAW - 1000)}, window.log);
}

TEST_F(MessageMapTest, UpdateRequestRunsHandlerAndSetsMenuState) {
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 400, L"Handled");
    menu.AppendMenu(MF_STRING, 401, L"Unhandled");
    menu.AppendMenu(MF_STRING, 100, L"Has command handler");
    AfxUpdateMenuItems(&window, &menu, TRUE);
    EXPECT_EQ(Log{L"update: 400"}, window.log);
    EXPECT_TRUE(menu.GetMenuState(400, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(401, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(menu.GetMenuState(100, MF_BYCOMMAND) & MF_GRAYED);
}

// A child window that handles nothing itself: its menu commands go to its parent.
class CPlainChild : public CWnd {};

TEST_F(MessageMapTest, UnhandledCommandOfChildGoesToParent) {
    CPlainChild child;
    ASSERT_TRUE(child.Create(nullptr, L"", WS_CHILD, CRect(0, 0, 10, 10), &window, 700));
    EXPECT_EQ(1, child.SendMessage(WM_COMMAND, 205, 0));
    EXPECT_EQ(Log{L"range: 205"}, window.log);
    EXPECT_EQ(0, child.SendMessage(WM_COMMAND, 999, 0));
}

}  // namespace
