#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

namespace support::gui {
namespace {

struct Search {
    const wchar_t* className;
    const wchar_t* text;
    HWND found;
};

bool Matches(HWND hwnd, const Search& search) {
    if (search.className != nullptr && ClassName(hwnd) != search.className) return false;
    if (search.text != nullptr && WindowText(hwnd) != search.text) return false;
    return true;
}

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!Matches(hwnd, *search)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    int length = ::GetClassNameW(hwnd, name, 256);
    return std::wstring(name, static_cast<size_t>(length));
}

HWND FindThreadWindow(const wchar_t* className, const wchar_t* caption) {
    Search search{className, caption, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(const wchar_t* caption, DWORD timeoutMilliseconds) {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindThreadWindow(L"#32770", caption)) != nullptr; }, timeoutMilliseconds);
    return found;
}

HWND FindDescendant(HWND parent, const wchar_t* className, const wchar_t* text) {
    Search search{className, text, nullptr};
    ::EnumChildWindows(parent, &Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ControlText(HWND dialog, int nID) { return WindowText(::GetDlgItem(dialog, nID)); }

bool IsChecked(HWND dialog, int nID) { return ::IsDlgButtonChecked(dialog, nID) == BST_CHECKED; }

bool IsEnabled(HWND dialog, int nID) { return ::IsWindowEnabled(::GetDlgItem(dialog, nID)) != FALSE; }

bool IsShown(HWND dialog, int nID) { return ::IsWindowVisible(::GetDlgItem(dialog, nID)) != FALSE; }

std::vector<std::wstring> ListItems(HWND control) {
    bool combo = ClassName(control) == L"ComboBox";
    UINT countMessage = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT lengthMessage = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT textMessage = combo ? CB_GETLBTEXT : LB_GETTEXT;
    std::vector<std::wstring> items;
    int count = static_cast<int>(::SendMessageW(control, countMessage, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(::SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0));
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
        items.push_back(text);
    }
    return items;
}

int SelectedIndex(HWND control) {
    bool combo = ClassName(control) == L"ComboBox";
    return static_cast<int>(::SendMessageW(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

}  // namespace support::gui
