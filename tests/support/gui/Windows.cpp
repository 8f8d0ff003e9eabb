#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <cstdlib>
#include <string>

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

std::vector<BYTE> DialogTemplateWithPointSize(UINT id, WORD points) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (found == nullptr) return {};
    const auto* first = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    std::vector<BYTE> bytes(first, first + ::SizeofResource(module, found));
    const auto word = [&bytes](size_t offset) {
        return offset + 1 < bytes.size() ? WORD(bytes[offset] | bytes[offset + 1] << 8) : WORD(0);
    };
    if (bytes.size() < 26 || word(2) != 0xFFFF) return {};
    // 26 bytes of header, then the menu and the class (none, an ordinal or a string), the title,
    // then the point size.
    size_t at = 26;
    for (int field = 0; field < 2; ++field) {
        if (word(at) == 0) {
            at += 2;
        } else if (word(at) == 0xFFFF) {
            at += 4;
        } else {
            while (at < bytes.size() && word(at) != 0) at += 2;
            at += 2;
        }
    }
    while (at < bytes.size() && word(at) != 0) at += 2;
    at += 2;
    if (at + 1 >= bytes.size()) return {};
    bytes[at] = BYTE(points & 0xFF);
    bytes[at + 1] = BYTE(points >> 8);
    return bytes;
}

bool InBootedPrefix() {
    const wchar_t* kind = ::_wgetenv(L"BREVIX_PREFIX");
    return kind != nullptr && std::wstring(kind) == L"booted";
}

std::wstring PrefixSuffix() { return InBootedPrefix() ? L"-booted" : L""; }

}  // namespace support::gui
