#include "VGXPThemes.h"

#include <shlwapi.h>

#include <map>

namespace {

struct StyleRow {
    int element;
    int state;
    const wchar_t* firstClass;
    int firstPart;
    int firstState;
    const wchar_t* secondClass;
    int secondPart;
    int secondState;
};

// The part and state numbers are the visual-styles library's own for each class.
const StyleRow kStyleRows[] = {
    {0x10, 1, L"LISTVIEW", 1, 1, L"TAB", 1, 1},
    {0x10, 2, L"LISTVIEW", 1, 3, L"TAB", 1, 3},
    {0x10, 4, L"LISTVIEW", 1, 2, L"TAB", 1, 2},
    {0x10, 8, L"LISTVIEW", 1, 4, L"TAB", 1, 4},
    {0x10, 6, L"LISTVIEW", 1, 5, L"TAB", 1, 5},
    {0x40, 1, L"EXPLORERBAR", 1, 0, L"TASKBAR", 4, 0},
    {0x40, 2, L"EXPLORERBAR", 9, 0, L"TASKBAR", 8, 0},
    {0x20, 1, L"EXPLORERBAR", 5, 0, L"TASKBAR", 3, 0},
    {0x20, 2, L"EXPLORERBAR", 9, 0, L"TASKBAR", 7, 0},
    {0x80, 1, L"EXPLORERBAR", 5, 0, L"WINDOW", 11, 0},
    {0x100, 1, L"EXPLORERBAR", 4, 1, L"COMBOBOX", 1, 0},
    {0x100, 2, L"EXPLORERBAR", 4, 2, L"COMBOBOX", 1, 0},
    {0x100, 4, L"EXPLORERBAR", 4, 3, L"COMBOBOX", 1, 0},
    {0x100, 6, L"EXPLORERBAR", 4, 3, L"COMBOBOX", 1, 0},
    {0x200, 1, L"BUTTON", 3, 1, L"BUTTON", 3, 1},
    {0x200, 2, L"BUTTON", 3, 2, L"BUTTON", 3, 2},
    {0x200, 4, L"BUTTON", 3, 3, L"BUTTON", 3, 3},
    {0x200, 8, L"BUTTON", 3, 4, L"BUTTON", 3, 4},
    {0x400, 1, L"BUTTON", 3, 5, L"BUTTON", 3, 5},
    {0x400, 2, L"BUTTON", 3, 6, L"BUTTON", 3, 6},
    {0x400, 4, L"BUTTON", 3, 7, L"BUTTON", 3, 7},
    {0x400, 8, L"BUTTON", 3, 8, L"BUTTON", 3, 8},
    {0x800, 1, L"BUTTON", 3, 9, L"BUTTON", 3, 9},
    {0x800, 2, L"BUTTON", 3, 10, L"BUTTON", 3, 10},
    {0x800, 4, L"BUTTON", 3, 11, L"BUTTON", 3, 11},
    {0x800, 8, L"BUTTON", 3, 12, L"BUTTON", 3, 12},
    {0x1000, 1, L"BUTTON", 2, 1, L"BUTTON", 2, 1},
    {0x1000, 2, L"BUTTON", 2, 2, L"BUTTON", 2, 2},
    {0x1000, 4, L"BUTTON", 2, 3, L"BUTTON", 2, 3},
    {0x2000, 1, L"BUTTON", 2, 5, L"BUTTON", 2, 5},
    {0x2000, 2, L"BUTTON", 2, 6, L"BUTTON", 2, 6},
    {0x2000, 4, L"BUTTON", 2, 7, L"BUTTON", 2, 7},
    {0x4000, 1, L"BUTTON", 2, 5, L"BUTTON", 2, 5},
    {0x4000, 2, L"BUTTON", 2, 6, L"BUTTON", 2, 6},
    {0x4000, 4, L"BUTTON", 2, 7, L"BUTTON", 2, 7},
    {0x8000, 1, L"BUTTON", 1, 1, L"BUTTON", 1, 1},
    {0x8000, 2, L"BUTTON", 1, 2, L"BUTTON", 1, 2},
    {0x8000, 4, L"BUTTON", 1, 5, L"BUTTON", 1, 5},
    {0x8000, 16, L"BUTTON", 1, 3, L"BUTTON", 1, 3},
    {0x10000, 1, L"SCROLLBAR", 1, 1, L"SPIN", 1, 1},
    {0x10000, 2, L"SCROLLBAR", 1, 2, L"SPIN", 1, 2},
    {0x10000, 4, L"SCROLLBAR", 1, 2, L"SPIN", 1, 2},
    {0x10000, 16, L"SCROLLBAR", 1, 3, L"SPIN", 1, 3},
    {0x20000, 1, L"SCROLLBAR", 1, 5, L"SPIN", 2, 1},
    {0x20000, 2, L"SCROLLBAR", 1, 6, L"SPIN", 2, 2},
    {0x20000, 4, L"SCROLLBAR", 1, 6, L"SPIN", 2, 2},
    {0x20000, 16, L"SCROLLBAR", 1, 7, L"SPIN", 2, 3},
    {0x80000, 1, L"EXPLORERBAR", 1, 0, L"PROGRESS", 1, 1},
    {0x80000, 2, L"EXPLORERBAR", 1, 0, L"PROGRESS", 1, 1},
    {0x80000, 4, L"EXPLORERBAR", 1, 0, L"PROGRESS", 1, 1},
    {0x80000, 6, L"EXPLORERBAR", 1, 0, L"PROGRESS", 1, 1},
    {0x40000, 1, L"EXPLORERBAR", 12, 0, L"PROGRESS", 3, 0},
    {0x40000, 2, L"EXPLORERBAR", 12, 0, L"PROGRESS", 3, 0},
    {0x40000, 4, L"EXPLORERBAR", 12, 0, L"PROGRESS", 3, 0},
    {0x40000, 6, L"EXPLORERBAR", 12, 0, L"PROGRESS", 3, 0},
};

void QuerySystemVersion(DWORD* major, DWORD* minor)
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) {
        *major = 0;
        *minor = 0;
        return;
    }
    *major = version.dwMajorVersion;
    *minor = version.dwMinorVersion;
}

// Process-wide themed-drawing state; window thread only.
struct ThemeState {
    BYTE useThemes = 0;
    int themeStyle = 0;
    VGXPThemes::Platform platform = VGXPThemes::DefaultPlatform();
    HMODULE library = nullptr;
    std::map<int, VGXPThemes::StyleEntry> table;
    std::map<std::wstring, HTHEME> handles;
};

ThemeState& State()
{
    static ThemeState state;
    return state;
}

HMODULE ThemeLibrary()
{
    ThemeState& state = State();
    if (!state.library)
        state.library = LoadLibraryW(state.platform.themeLibrary);
    return state.library;
}

// The entry point looked up afresh at every call; null when the library or the entry is missing.
template <typename Function>
Function Entry(const char* name)
{
    const HMODULE library = ThemeLibrary();
    if (!library)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

HTHEME CallOpenThemeData(HWND window, LPCWSTR classList)
{
    const auto open = Entry<HTHEME(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData");
    return open ? open(window, classList) : nullptr;
}

HRESULT CallCloseThemeData(HTHEME theme)
{
    const auto close = Entry<HRESULT(WINAPI*)(HTHEME)>("CloseThemeData");
    return close ? close(theme) : E_FAIL;
}

HRESULT CallDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip)
{
    const auto draw = Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>("DrawThemeBackground");
    return draw ? draw(theme, dc, part, state, rect, clip) : E_FAIL;
}

HRESULT CallDrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* rect, UINT edge, UINT flags,
                          RECT* content)
{
    const auto draw =
        Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*)>("DrawThemeEdge");
    return draw ? draw(theme, dc, part, state, rect, edge, flags, content) : E_FAIL;
}

HRESULT CallDrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int length, DWORD flags,
                          DWORD flags2, const RECT* rect)
{
    const auto draw =
        Entry<HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*)>("DrawThemeText");
    return draw ? draw(theme, dc, part, state, text, length, flags, flags2, rect) : E_FAIL;
}

HRESULT CallDrawThemeParentBackground(HWND window, HDC dc, const RECT* rect)
{
    using Draw = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    const Draw draw = Entry<Draw>("DrawThemeParentBackground");
    return draw ? draw(window, dc, rect) : E_FAIL;
}

BOOL CallIsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state)
{
    const auto query = Entry<BOOL(WINAPI*)(HTHEME, int, int)>("IsThemeBackgroundPartiallyTransparent");
    return query ? query(theme, part, state) : FALSE;
}

void FillStyleTable(ThemeState& state)
{
    const bool first = state.themeStyle == 1;
    for (const StyleRow& row : kStyleRows) {
        VGXPThemes::StyleEntry entry{first ? row.firstClass : row.secondClass, first ? row.firstPart : row.secondPart,
                                     first ? row.firstState : row.secondState};
        state.table.emplace(row.element | row.state, std::move(entry));
    }
}

void CloseCachedHandles(ThemeState& state)
{
    for (const auto& cached : state.handles)
        CallCloseThemeData(cached.second);
    state.handles.clear();
}

// The entry and an open theme handle for it; null when either is missing or themes are off.
const VGXPThemes::StyleEntry* BindElement(int element, int state, HTHEME* theme)
{
    if (!State().useThemes)
        return nullptr;
    const VGXPThemes::StyleEntry* entry = VGXPThemes::FindStyleEntry(element, state);
    if (!entry)
        return nullptr;
    *theme = VGXPThemes::OpenThemeCached(nullptr, entry->className.c_str(), true);
    return *theme ? entry : nullptr;
}

}  // namespace

void VGXPThemes::SetUseThemes(BYTE on)
{
    State().useThemes = on;
}

BYTE VGXPThemes::UseThemes()
{
    return State().useThemes;
}

void VGXPThemes::SetThemeStyle(int style)
{
    State().themeStyle = style;
}

int VGXPThemes::ThemeStyle()
{
    return State().themeStyle;
}

bool VGXPThemes::ThemesAvailable()
{
    ThemeState& state = State();
    if (!state.useThemes)
        return false;
    DWORD major = 0;
    DWORD minor = 0;
    state.platform.queryOsVersion(&major, &minor);
    if (major != 5 || minor != 1)
        return false;
    const auto isAppThemed = Entry<BOOL(WINAPI*)()>("IsAppThemed");
    const auto isThemeActive = Entry<BOOL(WINAPI*)()>("IsThemeActive");
    if (!isAppThemed || !isThemeActive || !isAppThemed() || !isThemeActive())
        return false;

    const HMODULE controls = LoadLibraryW(state.platform.controlsLibrary);
    if (!controls)
        return false;
    static_assert(sizeof(DLLVERSIONINFO) == 20, "the version record the controls library expects");
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(controls, "DllGetVersion")));
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    const bool answered = getVersion && getVersion(&version) == S_OK;
    FreeLibrary(controls);
    return answered;
}

int VGXPThemes::StateFromFlags(int selected, int current)
{
    if (selected && current)
        return VGSTATE_SELECTEDCURRENT;
    if (selected)
        return VGSTATE_SELECTED;
    return current ? VGSTATE_CURRENT : VGSTATE_NORMAL;
}

const VGXPThemes::StyleEntry* VGXPThemes::FindStyleEntry(int element, int state)
{
    ThemeState& themes = State();
    const int key = element | state;
    auto found = themes.table.find(key);
    if (found == themes.table.end()) {
        FillStyleTable(themes);
        found = themes.table.find(key);
    }
    return found == themes.table.end() ? nullptr : &found->second;
}

HTHEME VGXPThemes::OpenThemeCached(HWND window, LPCWSTR className, bool cache)
{
    if (!className)
        return nullptr;
    if (!cache)
        return CallOpenThemeData(window, className);
    ThemeState& state = State();
    const auto found = state.handles.find(className);
    if (found != state.handles.end())
        return found->second;
    const HTHEME theme = CallOpenThemeData(window, className);
    if (theme)
        state.handles.emplace(className, theme);
    return theme;
}

bool VGXPThemes::ThemedEdge(HWND, HDC dc, int element, int state, const RECT* rect, int borderStyle, UINT edgeFlags,
                            RECT* content)
{
    HTHEME theme = nullptr;
    const StyleEntry* entry = BindElement(element, state, &theme);
    if (!entry)
        return false;
    const UINT edge = (borderStyle & 0x2000) ? EDGE_ETCHED : EDGE_BUMP;
    if (FAILED(CallDrawThemeEdge(theme, dc, entry->part, entry->state, rect, edge, edgeFlags, content)))
        return false;
    if (content)
        *content = *rect;
    return true;
}

bool VGXPThemes::ThemedBackground(HWND window, HDC dc, int element, int state, const RECT* rect, const RECT* clip)
{
    HTHEME theme = nullptr;
    const StyleEntry* entry = BindElement(element, state, &theme);
    if (!entry)
        return false;
    if (CallIsThemeBackgroundPartiallyTransparent(theme, entry->part, entry->state)) {
        // A see-through part is drawn over the cell background, which itself cannot be see-through.
        if (element == VGTHEME_CELL)
            return false;
        const int cellState = (state == VGSTATE_DISABLED || state == VGSTATE_PRESSED) ? VGSTATE_NORMAL : state;
        ThemedBackground(window, dc, VGTHEME_CELL, cellState, rect, clip);
    }
    return SUCCEEDED(CallDrawThemeBackground(theme, dc, entry->part, entry->state, rect, clip));
}

bool VGXPThemes::ThemedText(HWND, HDC dc, int element, int state, LPCWSTR text, int length, DWORD flags,
                            const RECT* rect)
{
    HTHEME theme = nullptr;
    const StyleEntry* entry = BindElement(element, state, &theme);
    if (!entry)
        return false;
    // Drawn only when the library says so: a failed call leaves the text to the classic drawing.
    return SUCCEEDED(CallDrawThemeText(theme, dc, entry->part, entry->state, text, length, flags, 0, rect));
}

bool VGXPThemes::ThemedParentBackground(HWND window, HDC dc, const RECT* rect)
{
    if (!ThemesAvailable())
        return false;
    return SUCCEEDED(CallDrawThemeParentBackground(window, dc, rect));
}

void VGXPThemes::OnThemeChanged()
{
    CloseCachedHandles(State());
}

void VGXPThemes::ReleaseThemes()
{
    ThemeState& state = State();
    state.table.clear();
    CloseCachedHandles(state);
    if (state.library) {
        FreeLibrary(state.library);
        state.library = nullptr;
    }
}

VGXPThemes::Platform VGXPThemes::DefaultPlatform()
{
    return Platform{L"uxtheme.dll", L"comctl32.dll", QuerySystemVersion};
}

void VGXPThemes::SetPlatform(const Platform& platform)
{
    ReleaseThemes();
    State().platform = platform;
}
