// Tooltips by hit testing: the pointer over a tool of a window with tooltips enabled brings up the
// thread's tooltip with the text the window gives on request.
#include <framework/Framework.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <gtest/gtest.h>

namespace {

// Two tools: the left and right halves of the client area.
class CHalvesWindow : public CWnd {
public:
    int textRequests = 0;

    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override {
        CRect client;
        GetClientRect(&client);
        INT_PTR half = point.x < client.Width() / 2 ? 1 : 2;
        pTI->hwnd = m_hWnd;
        pTI->uId = static_cast<UINT_PTR>(half);
        pTI->rect = client;
        if (half == 2) pTI->rect.left = client.Width() / 2; else pTI->rect.right = client.Width() / 2;
        pTI->uFlags = TTF_NOTBUTTON | TTF_CLOSEONLEAVE;
        return half;
    }

protected:
    BOOL OnNeedText(UINT, NMHDR* header, LRESULT* result) {
        ++textRequests;
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        m_text.Format(L"Half %d", static_cast<int>(header->idFrom));
        info->lpszText = const_cast<LPWSTR>(m_text.GetString());
        *result = 0;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()

private:
    CString m_text;
};

BEGIN_MESSAGE_MAP(CHalvesWindow, CWnd)
    ON_NOTIFY_EX(TTN_NEEDTEXTW, 0, OnNeedText)
END_MESSAGE_MAP()

HWND VisibleToolTip() {
    HWND tip = support::gui::FindThreadWindow(TOOLTIPS_CLASSW, nullptr);
    return tip != nullptr && ::IsWindowVisible(tip) ? tip : nullptr;
}

void HoverAt(HWND window, POINT client) {
    POINT screen = client;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    // Posted after the cursor moved, so the message carries the pointer's screen position.
    ::PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    support::gui::PumpPending();
}

TEST(ToolTips, HitTestedToolShowsTheTextItsWindowGives) {
    CHalvesWindow window;
    ASSERT_TRUE(window.CreateEx(WS_EX_TOPMOST, nullptr, L"tips", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                CRect(100, 100, 300, 160), nullptr, 0));
    window.EnableToolTips(TRUE);
    HoverAt(window.m_hWnd, POINT{150, 20});
    HWND tip = nullptr;
    ASSERT_TRUE(support::gui::PumpUntil([&] {
        HoverAt(window.m_hWnd, POINT{150, 20});
        return (tip = VisibleToolTip()) != nullptr;
    }, 5000));
    EXPECT_GE(window.textRequests, 1);
    EXPECT_EQ(L"Half 2", support::gui::WindowText(tip));

    window.EnableToolTips(FALSE);
    EXPECT_TRUE(support::gui::PumpUntil([] { return VisibleToolTip() == nullptr; }, 2000));
    window.DestroyWindow();
}

}  // namespace
