#include <support/gui/Input.h>
#include <support/gui/Pump.h>

namespace support::gui {
namespace {

LPARAM Pack(POINT p) { return MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y)); }

UINT DownMessage(Button b) { return b == Button::Left ? WM_LBUTTONDOWN : b == Button::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN; }
UINT UpMessage(Button b) { return b == Button::Left ? WM_LBUTTONUP : b == Button::Right ? WM_RBUTTONUP : WM_MBUTTONUP; }
UINT DoubleMessage(Button b) {
    return b == Button::Left ? WM_LBUTTONDBLCLK : b == Button::Right ? WM_RBUTTONDBLCLK : WM_MBUTTONDBLCLK;
}
WPARAM KeyFlag(Button b) { return b == Button::Left ? MK_LBUTTON : b == Button::Right ? MK_RBUTTON : MK_MBUTTON; }

LPARAM KeyData(UINT vk, bool up, bool alt = false) {
    UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM data = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
    // The context code: the key came with Alt held.
    if (alt) data |= 1u << 29;
    if (up) data |= (1u << 30) | (1u << 31);
    return data;
}

}  // namespace

void MouseMove(HWND hwnd, POINT client, bool leftHeld) {
    ::PostMessageW(hwnd, WM_MOUSEMOVE, leftHeld ? MK_LBUTTON : 0, Pack(client));
    PumpPending();
}

void MouseDown(HWND hwnd, POINT client, Button button) {
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, Pack(client));
    ::PostMessageW(hwnd, DownMessage(button), KeyFlag(button), Pack(client));
    PumpPending();
}

void MouseUp(HWND hwnd, POINT client, Button button) {
    ::PostMessageW(hwnd, UpMessage(button), 0, Pack(client));
    PumpPending();
}

void Click(HWND hwnd, POINT client, Button button) {
    MouseDown(hwnd, client, button);
    MouseUp(hwnd, client, button);
}

void DoubleClick(HWND hwnd, POINT client, Button button) {
    Click(hwnd, client, button);
    ::PostMessageW(hwnd, DoubleMessage(button), KeyFlag(button), Pack(client));
    ::PostMessageW(hwnd, UpMessage(button), 0, Pack(client));
    PumpPending();
}

void Wheel(HWND hwnd, POINT client, int notches) {
    POINT screen = client;
    ::ClientToScreen(hwnd, &screen);
    ::PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(notches * WHEEL_DELTA)), Pack(screen));
    PumpPending();
}

void ClickButton(HWND dialog, int nID) {
    HWND control = ::GetDlgItem(dialog, nID);
    if (control == nullptr) return;
    RECT client;
    ::GetClientRect(control, &client);
    Click(control, POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2});
}

bool ClickOnScreen(HWND control) {
    if (control == nullptr) return false;
    RECT client;
    ::GetClientRect(control, &client);
    POINT at{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    const HWND root = ::GetAncestor(control, GA_ROOT);
    ::MapWindowPoints(control, root, &at, 1);
    POINT local;
    const HWND target = MouseTarget(root, at, &local);
    if (target != control && !::IsChild(control, target)) return false;
    ClickAt(root, at);
    return true;
}

HWND MouseTarget(HWND root, POINT rootClient, POINT* targetClient) {
    POINT screen = rootClient;
    ::ClientToScreen(root, &screen);
    HWND target = ::GetCapture();
    if (target == nullptr || ::GetWindowThreadProcessId(target, nullptr) != ::GetCurrentThreadId()) {
        target = root;
        for (;;) {
            POINT inTarget = screen;
            ::ScreenToClient(target, &inTarget);
            HWND child = ::ChildWindowFromPointEx(target, inTarget, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT);
            if (child == nullptr || child == target) break;
            target = child;
        }
    }
    *targetClient = screen;
    ::ScreenToClient(target, targetClient);
    return target;
}

namespace {
void PostMouseAt(HWND root, POINT rootClient, UINT message, WPARAM keys) {
    POINT client;
    HWND target = MouseTarget(root, rootClient, &client);
    POINT screen = rootClient;
    ::ClientToScreen(root, &screen);
    // The message's pointer position is taken when it is posted.
    ::SetCursorPos(screen.x, screen.y);
    ::PostMessageW(target, message, keys, Pack(client));
    PumpPending();
}
}  // namespace

void ClickAt(HWND root, POINT rootClient, Button button) {
    PostMouseAt(root, rootClient, WM_MOUSEMOVE, 0);
    PostMouseAt(root, rootClient, DownMessage(button), KeyFlag(button));
    PostMouseAt(root, rootClient, UpMessage(button), 0);
}

void DragAt(HWND root, POINT from, POINT to, int steps) {
    PostMouseAt(root, from, WM_MOUSEMOVE, 0);
    PostMouseAt(root, from, WM_LBUTTONDOWN, MK_LBUTTON);
    for (int i = 1; i <= steps; ++i) {
        POINT at = {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        PostMouseAt(root, at, WM_MOUSEMOVE, MK_LBUTTON);
    }
    PostMouseAt(root, to, WM_LBUTTONUP, 0);
}

void PressKey(HWND hwnd, UINT vk, Modifiers modifiers) {
    if (hwnd == nullptr) hwnd = ::GetFocus();
    BYTE saved[256];
    ::GetKeyboardState(saved);
    BYTE held[256];
    ::memcpy(held, saved, sizeof held);
    if (modifiers.ctrl) held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
    if (modifiers.shift) held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    if (modifiers.alt) held[VK_MENU] = held[VK_LMENU] = 0x80;
    held[vk] = 0x80;
    ::SetKeyboardState(held);
    UINT down = modifiers.alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    UINT up = modifiers.alt ? WM_SYSKEYUP : WM_KEYUP;
    ::PostMessageW(hwnd, down, vk, KeyData(vk, false, modifiers.alt));
    PumpPending();
    held[vk] = 0;
    ::SetKeyboardState(held);
    ::PostMessageW(hwnd, up, vk, KeyData(vk, true, modifiers.alt));
    PumpPending();
    ::SetKeyboardState(saved);
}

void TypeText(HWND hwnd, const std::wstring& text) {
    if (hwnd == nullptr) hwnd = ::GetFocus();
    for (wchar_t ch : text) ::PostMessageW(hwnd, WM_CHAR, ch, 1);
    PumpPending();
}

}  // namespace support::gui
