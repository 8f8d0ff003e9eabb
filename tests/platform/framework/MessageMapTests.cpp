// Message maps against real windows: each kind of entry reaches its handler, control notifications
// and requests are offered to the control first (reflection), and unhandled commands climb to the
// parent.
#include <framework/Framework.h>
#include <support/gui/Input.h>
#include <support/gui/Picture.h>
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
    // Takes the even ids of its range and leaves the odd ones to the entries after it.
    BOOL OnNotifyExRange(UINT id, NMHDR* header, LRESULT* result) {
        log.push_back(L"notify ex range: " + std::to_wstring(id) + L" from " + std::to_wstring(header->idFrom));
        if (id % 2 != 0) return FALSE;
        *result = static_cast<LRESULT>(id);
        return TRUE;
    }
    void OnNotifyAfterExRange(UINT id, NMHDR*, LRESULT* result) {
        log.push_back(L"after ex range: " + std::to_wstring(id));
        *result = 1;
    }
    // Grey the even commands of the range, check the odd ones.
    void OnUpdateRange(CCmdUI* ui) {
        log.push_back(L"update range: " + std::to_wstring(ui->m_nID));
        if (ui->m_nID % 2 == 0) ui->Enable(FALSE); else ui->SetCheck(1);
    }
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
    ON_NOTIFY_EX_RANGE(NM_RCLICK, 620, 630, OnNotifyExRange)
    ON_NOTIFY_RANGE(NM_RCLICK, 620, 630, OnNotifyAfterExRange)
    ON_UPDATE_COMMAND_UI_RANGE(410, 419, OnUpdateRange)
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

TEST_F(MessageMapTest, ExRangeHandlerTakesWhatItClaimsAndPassesTheRestOn) {
    struct Case {
        UINT id;
        Log expected;
        LRESULT result;
    };
    const Case cases[] = {
        {620, {L"notify ex range: 620 from 620"}, 620},
        {624, {L"notify ex range: 624 from 624"}, 624},
        {625, {L"notify ex range: 625 from 625", L"after ex range: 625"}, 1},
        {630, {L"notify ex range: 630 from 630"}, 630},
        {619, {}, 0},
        {631, {}, 0},
    };
    for (const Case& c : cases) {
        window.log.clear();
        HWND sender = MakeSender(window.m_hWnd, c.id);
        EXPECT_EQ(c.result, Notify(c.id, sender, NM_RCLICK)) << c.id;
        EXPECT_EQ(c.expected, window.log) << c.id;
        ::DestroyWindow(sender);
    }
}

TEST_F(MessageMapTest, UpdateRangeHandlerSeesEachCommandOfItsRange) {
    CMenu menu;
    menu.CreatePopupMenu();
    for (UINT id : {409u, 410u, 413u, 419u, 420u}) menu.AppendMenu(MF_STRING, id, L"Item");
    AfxUpdateMenuItems(&window, &menu, TRUE);
    EXPECT_EQ((Log{L"update range: 410", L"update range: 413", L"update range: 419"}), window.log);
    EXPECT_TRUE(menu.GetMenuState(410, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(menu.GetMenuState(410, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(menu.GetMenuState(413, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(413, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(menu.GetMenuState(419, MF_BYCOMMAND) & MF_CHECKED);
    // Outside the range nothing handles the command: greyed as having no handler.
    EXPECT_TRUE(menu.GetMenuState(409, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(420, MF_BYCOMMAND) & MF_GRAYED);
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

// Controls that answer, through their parent, the requests Windows sends the parent about them.
constexpr COLORREF kItemColour = RGB(0x20, 0x90, 0x40);

class CReflectingScrollBar : public CScrollBar {
public:
    Log* log = nullptr;

protected:
    void HScroll(UINT code, UINT) { log->push_back(L"bar: hscroll " + std::to_wstring(code)); }
    void VScroll(UINT code, UINT) { log->push_back(L"bar: vscroll " + std::to_wstring(code)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingScrollBar, CScrollBar)
    ON_WM_HSCROLL_REFLECT()
    ON_WM_VSCROLL_REFLECT()
END_MESSAGE_MAP()

// An owner-drawn list box that sizes each item by its index and paints it in one colour.
class COwnItemsList : public CListBox {
public:
    Log* log = nullptr;

protected:
    void MeasureItem(LPMEASUREITEMSTRUCT item) {
        log->push_back(L"list: measure " + std::to_wstring(item->itemID));
        item->itemHeight = 17 + item->itemID;
    }
    void DrawItem(LPDRAWITEMSTRUCT item) {
        if (item->hwndItem != m_hWnd || item->itemID == static_cast<UINT>(-1)) return;
        log->push_back(L"list: draw " + std::to_wstring(item->itemID));
        CBrush brush(kItemColour);
        ::FillRect(item->hDC, &item->rcItem, brush);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnItemsList, CListBox)
    ON_WM_MEASUREITEM_REFLECT()
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

// A child told of its own creation and destruction by way of its parent.
class CNotedChild : public CWnd {
public:
    Log* log = nullptr;

protected:
    void ParentNotify(UINT message, LPARAM lParam) {
        const wchar_t* event = LOWORD(message) == WM_CREATE ? L"create" : LOWORD(message) == WM_DESTROY ? L"destroy" : L"?";
        log->push_back(std::wstring(L"child: ") + event + L" " + std::to_wstring(HIWORD(message)) +
                       (reinterpret_cast<HWND>(lParam) == m_hWnd ? L" self" : L" other"));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNotedChild, CWnd)
    ON_WM_PARENTNOTIFY_REFLECT()
END_MESSAGE_MAP()

// Handles vertical scrolling itself, then lets the base class offer it to the control.
class CReflectParent : public CWnd {
public:
    Log log;

    BOOL CreateHidden() {
        return CreateEx(0, nullptr, L"reflect", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0);
    }

protected:
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
        log.push_back(L"parent: vscroll " + std::to_wstring(code));
        CWnd::OnVScroll(code, pos, bar);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectParent, CWnd)
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

class ReflectedMessageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent.CreateHidden()); }
    void TearDown() override { parent.DestroyWindow(); }

    CReflectParent parent;
};

TEST_F(ReflectedMessageTest, ScrollBarHearsItsOwnScrollRequests) {
    CReflectingScrollBar across;
    across.log = &parent.log;
    ASSERT_TRUE(across.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, CRect(0, 0, 200, 16), &parent, 801));
    CReflectingScrollBar down;
    down.log = &parent.log;
    ASSERT_TRUE(down.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(280, 0, 296, 150), &parent, 802));
    CScrollBar plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(260, 0, 276, 150), &parent, 803));

    // The bars report keys to their parent as scroll requests, as they do for a person's keys.
    parent.log.clear();
    across.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Log{L"bar: hscroll " + std::to_wstring(SB_LINEDOWN)}, parent.log);

    parent.log.clear();
    down.SendMessage(WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ((Log{L"parent: vscroll " + std::to_wstring(SB_PAGEDOWN), L"bar: vscroll " + std::to_wstring(SB_PAGEDOWN)}),
              parent.log);

    // A bar without a handler of its own leaves the request with its parent.
    parent.log.clear();
    plain.SendMessage(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Log{L"parent: vscroll " + std::to_wstring(SB_LINEUP)}, parent.log);
}

TEST_F(ReflectedMessageTest, OwnerDrawnListMeasuresAndDrawsItsOwnItems) {
    COwnItemsList list;
    list.log = &parent.log;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                            CRect(0, 0, 120, 150), &parent, 810));
    parent.log.clear();
    list.AddString(L"first");
    list.AddString(L"second");
    EXPECT_EQ((Log{L"list: measure 0", L"list: measure 1"}), parent.log);
    EXPECT_EQ(17, list.GetItemHeight(0));
    EXPECT_EQ(18, list.GetItemHeight(1));

    parent.log.clear();
    support::gui::Picture picture = support::gui::CaptureWindow(list.m_hWnd);
    EXPECT_EQ((Log{L"list: draw 0", L"list: draw 1"}), parent.log);
    EXPECT_EQ(kItemColour, picture.At(60, 8));
    EXPECT_EQ(kItemColour, picture.At(60, 17 + 9));
    EXPECT_NE(kItemColour, picture.At(60, 17 + 18 + 5));
}

TEST_F(ReflectedMessageTest, ChildHearsOfItsOwnCreationAndDestruction) {
    CNotedChild child;
    child.log = &parent.log;
    parent.log.clear();
    ASSERT_TRUE(child.Create(nullptr, L"", WS_CHILD, CRect(0, 0, 10, 10), &parent, 820));
    EXPECT_EQ(Log{L"child: create 820 self"}, parent.log);

    // Another child's news is not this child's.
    CStatic other;
    ASSERT_TRUE(other.Create(L"", WS_CHILD, CRect(0, 0, 5, 5), &parent, 821));
    other.DestroyWindow();
    EXPECT_EQ(Log{L"child: create 820 self"}, parent.log);

    child.DestroyWindow();
    EXPECT_EQ((Log{L"child: create 820 self", L"child: destroy 820 self"}), parent.log);
}

}  // namespace
