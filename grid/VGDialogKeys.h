#pragma once
// The keys a grid leaves to the dialog it sits in. The grid asks for every key it uses to move
// between its cells and to edit them, but Tab and Shift+Tab move the focus to the next and
// previous control of the dialog, as in any dialog. The in-cell editor moves between cells by
// Tab; from it, Ctrl+Tab and Ctrl+Shift+Tab leave the grid.

#include <windows.h>

namespace vgkeys {

// The message a WM_GETDLGCODE asks about (its lParam) is a Tab press.
inline bool IsTabPress(LPARAM lParam)
{
    const MSG* asked = reinterpret_cast<const MSG*>(lParam);
    return asked != nullptr && (asked->message == WM_KEYDOWN || asked->message == WM_CHAR) && asked->wParam == VK_TAB;
}

// What the cell area and the grid window answer to WM_GETDLGCODE: every key but Tab.
inline UINT CellAreaDialogCode(LPARAM lParam)
{
    return IsTabPress(lParam) ? DLGC_WANTARROWS | DLGC_WANTCHARS : DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

// What the in-cell editor answers: every key but Ctrl+Tab.
inline UINT EditorDialogCode(LPARAM lParam)
{
    const bool leaving = IsTabPress(lParam) && ::GetKeyState(VK_CONTROL) < 0;
    return leaving ? DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL : DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

}  // namespace vgkeys
