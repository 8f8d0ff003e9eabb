#pragma once
// Driving windows as a person would: mouse and keyboard messages posted at points of a window, then
// dispatched, so they pass through the same loop, pre-translation and handlers as real input.

#include <windows.h>

#include <string>

namespace support::gui {

enum class Button { Left, Right, Middle };

// A press and release at a point of hwnd's client area; each call dispatches what it posted.
void Click(HWND hwnd, POINT client, Button button = Button::Left);
void DoubleClick(HWND hwnd, POINT client, Button button = Button::Left);
void MouseDown(HWND hwnd, POINT client, Button button = Button::Left);
void MouseUp(HWND hwnd, POINT client, Button button = Button::Left);
void MouseMove(HWND hwnd, POINT client, bool leftHeld = false);
// A wheel turn of `notches` (positive away from the user) over a client point.
void Wheel(HWND hwnd, POINT client, int notches);

// Clicks the middle of the dialog's control nID, as a mouse would.
void ClickButton(HWND dialog, int nID);

// Input at a point of `root`'s client area reaches the window a real pointer would: the window that
// holds the mouse capture, else the deepest visible and enabled child under the point (a disabled
// control's clicks go to the window under it), with the point in that window's coordinates.
HWND MouseTarget(HWND root, POINT rootClient, POINT* targetClient);
void ClickAt(HWND root, POINT rootClient, Button button = Button::Left);
// A click at the middle of the control where a pointer lands on the screen (as ClickAt). False, and
// no click, when the pointer there would not reach the control: it is hidden, disabled or covered.
bool ClickOnScreen(HWND control);
// Press at `from`, move in `steps` steps to `to`, release there: a drag as a person makes it.
void DragAt(HWND root, POINT from, POINT to, int steps = 4);

struct Modifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};
// A key press and release posted to hwnd (the focus window when null), with the modifiers held in
// the thread's keyboard state meanwhile, so GetKeyState sees them too.
void PressKey(HWND hwnd, UINT vk, Modifiers modifiers = {});
// Each character posted as WM_CHAR to hwnd (the focus window when null).
void TypeText(HWND hwnd, const std::wstring& text);

}  // namespace support::gui
