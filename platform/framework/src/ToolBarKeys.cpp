// CToolBar's keyboard: a bar made with WS_TABSTOP takes the focus by Tab like any control, shows
// the button the keys are on as its hot item, moves it with the arrow keys and presses it with
// Space or Return, as a click on it would.
#include <framework/CommonControls.h>

namespace {

bool Pressable(const TBBUTTON& button) {
    return !(button.fsStyle & BTNS_SEP) && (button.fsState & TBSTATE_ENABLED) && !(button.fsState & TBSTATE_HIDDEN);
}

}  // namespace

int CToolBar::NextPressable(int from, int step) const {
    const int count = GetButtonCount();
    if (count <= 0) return -1;
    int at = from;
    for (int tried = 0; tried < count; ++tried) {
        at = ((at + step) % count + count) % count;
        TBBUTTON button = {};
        if (GetButton(at, &button) && Pressable(button)) return at;
    }
    return -1;
}

void CToolBar::PressHotButton() {
    const int hot = static_cast<int>(SendMessage(TB_GETHOTITEM));
    TBBUTTON button = {};
    if (hot < 0 || !GetButton(hot, &button) || !Pressable(button)) return;
    // A check button changes its state first, as under the mouse, and its command then reads it.
    if (button.fsStyle & BTNS_CHECK) CheckButton(button.idCommand, !(button.fsState & TBSTATE_CHECKED));
    const HWND self = m_hWnd;
    ::SendMessageW(::GetParent(self), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
                   reinterpret_cast<LPARAM>(self));
}

LRESULT CToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!(GetStyle() & WS_TABSTOP)) return CToolBarCtrl::WindowProc(message, wParam, lParam);
    switch (message) {
    case WM_GETDLGCODE: {
        // The arrows stay in the bar; Return is the bar's too, not the dialog's default button.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const bool isReturn = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DLGC_WANTARROWS | (isReturn ? DLGC_WANTMESSAGE : 0);
    }
    case WM_SETFOCUS: {
        const LRESULT result = CToolBarCtrl::WindowProc(message, wParam, lParam);
        if (static_cast<int>(SendMessage(TB_GETHOTITEM)) < 0) SendMessage(TB_SETHOTITEM, NextPressable(-1, 1));
        return result;
    }
    case WM_KILLFOCUS:
        SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
        return CToolBarCtrl::WindowProc(message, wParam, lParam);
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            const int step = wParam == VK_LEFT || wParam == VK_UP ? -1 : 1;
            const int hot = static_cast<int>(SendMessage(TB_GETHOTITEM));
            const int next = NextPressable(hot < 0 && step < 0 ? 0 : hot, step);
            if (next >= 0) SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(next));
            return 0;
        }
        case VK_SPACE:
        case VK_RETURN:
            PressHotButton();
            return 0;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return CToolBarCtrl::WindowProc(message, wParam, lParam);
}
