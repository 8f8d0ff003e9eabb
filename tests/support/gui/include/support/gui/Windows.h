#pragma once
// Finding this thread's windows and reading what their controls show.

#include <windows.h>

#include <string>
#include <vector>

namespace support::gui {

// A top-level window of this thread with the class (null for any) and caption (null for any).
HWND FindThreadWindow(const wchar_t* className, const wchar_t* caption);
// A dialog ("#32770") of this thread with the caption; pumps until it appears or the time runs out.
HWND WaitForDialog(const wchar_t* caption, DWORD timeoutMilliseconds = 5000);
// The first descendant of parent with the class (null for any) and text (null for any).
HWND FindDescendant(HWND parent, const wchar_t* className, const wchar_t* text);

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
std::wstring ControlText(HWND dialog, int nID);
bool IsChecked(HWND dialog, int nID);
bool IsEnabled(HWND dialog, int nID);
bool IsShown(HWND dialog, int nID);
// The items of a list box or combo box, in order.
std::vector<std::wstring> ListItems(HWND control);
// The selected index of a list box or combo box, -1 for none.
int SelectedIndex(HWND control);

}  // namespace support::gui
