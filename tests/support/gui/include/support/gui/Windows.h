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

// A dialog template of this program's resources (an extended one with its font) as compiled, its
// font's point size changed: the dialog units of a window made from it shrink or grow, as they do
// in a prefix whose dialog font is narrower or wider. Empty when the template is not there.
std::vector<BYTE> DialogTemplateWithPointSize(UINT id, WORD points);

// The test runs in the bare prefix that scripts/test boots beside its own (BREVIX_PREFIX=booted):
// a freshly installed Wine's fonts, whose dialog font is narrower.
bool InBootedPrefix();
// "" in the session's prefix, "-booted" in the bare one: a picture's name says where it was taken.
std::wstring PrefixSuffix();

}  // namespace support::gui
