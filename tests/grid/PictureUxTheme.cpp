// Stand-in visual-styles library that draws: each class and part in a plain look of its own (flat
// frame controls and fills), so that pictures show where the grid's themed path puts each part.
// The test prefix has no visual style active, and switching one on would change every program that
// shares the prefix.
#include <windows.h>

#include <cwchar>

namespace {

const wchar_t* g_classes[32];
int g_classCount = 0;

const wchar_t* ClassOf(HANDLE theme)
{
    const INT_PTR index = reinterpret_cast<INT_PTR>(theme) - 1;
    return index >= 0 && index < g_classCount ? g_classes[index] : L"";
}

void Fill(HDC dc, const RECT* rect, COLORREF colour)
{
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, rect, brush);
    ::DeleteObject(brush);
}

void Frame(HDC dc, const RECT* rect, COLORREF colour)
{
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FrameRect(dc, rect, brush);
    ::DeleteObject(brush);
}

// Cell backgrounds by state: normal, hot, selected, disabled, selected and focused.
COLORREF CellColour(int state)
{
    switch (state) {
    case 2: return RGB(0xE5, 0xF3, 0xFF);
    case 3: return RGB(0xCC, 0xE8, 0xFF);
    case 4: return RGB(0xF0, 0xF0, 0xF0);
    case 5: return RGB(0xB8, 0xDC, 0xFF);
    default: return RGB(0xFF, 0xFF, 0xFF);
    }
}

}  // namespace

extern "C" {

HANDLE WINAPI OpenThemeData(HWND, LPCWSTR classList)
{
    for (int i = 0; i < g_classCount; ++i) {
        if (std::wcscmp(g_classes[i], classList) == 0)
            return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(i + 1));
    }
    if (g_classCount == 32)
        return nullptr;
    g_classes[g_classCount] = _wcsdup(classList);
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(++g_classCount));
}

HRESULT WINAPI CloseThemeData(HANDLE) { return S_OK; }

HRESULT WINAPI DrawThemeBackground(HANDLE theme, HDC dc, int part, int state, const RECT* rect, const RECT*)
{
    const wchar_t* name = ClassOf(theme);
    RECT r = *rect;
    if (!std::wcscmp(name, L"LISTVIEW") || !std::wcscmp(name, L"TAB")) {
        Fill(dc, &r, CellColour(state));
        if (state == 3 || state == 5)
            Frame(dc, &r, RGB(0x99, 0xD1, 0xFF));
    } else if (!std::wcscmp(name, L"COMBOBOX")) {
        Fill(dc, &r, RGB(0xE5, 0xF1, 0xFB));
        Frame(dc, &r, RGB(0x3C, 0x7F, 0xB1));
        ::InflateRect(&r, -1, -1);
        ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT | DFCS_TRANSPARENT);
    } else if (!std::wcscmp(name, L"BUTTON") && (part == 2 || part == 3)) {
        // Check box states 1-4 unchecked, 5-8 checked, 9-12 mixed; radio 1-4 off, 5-8 on.
        UINT flags = part == 2 ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
        const int kind = (state - 1) / 4;
        if (kind == 1)
            flags |= DFCS_CHECKED;
        if (kind == 2)
            flags = DFCS_BUTTON3STATE | DFCS_CHECKED;
        if ((state - 1) % 4 == 3)
            flags |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, &r, DFC_BUTTON, flags | DFCS_FLAT);
    } else if (!std::wcscmp(name, L"SPIN") || !std::wcscmp(name, L"SCROLLBAR")) {
        const bool up = !std::wcscmp(name, L"SPIN") ? part == 1 : state <= 4;
        UINT flags = (up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | DFCS_FLAT;
        if (state == 3 || state == 7)
            flags |= DFCS_PUSHED;
        ::DrawFrameControl(dc, &r, DFC_SCROLL, flags);
    } else {
        Fill(dc, &r, RGB(0xDD, 0xE6, 0xF2));
        Frame(dc, &r, RGB(0x9D, 0xB4, 0xD2));
    }
    return S_OK;
}

HRESULT WINAPI DrawThemeEdge(HANDLE, HDC dc, int, int, const RECT* rect, UINT, UINT flags, RECT* content)
{
    RECT r = *rect;
    if (flags & BF_RIGHT) {
        RECT line = {r.right - 1, r.top, r.right, r.bottom};
        Fill(dc, &line, RGB(0xE0, 0xE8, 0xF0));
    }
    if (flags & BF_BOTTOM) {
        RECT line = {r.left, r.bottom - 1, r.right, r.bottom};
        Fill(dc, &line, RGB(0xE0, 0xE8, 0xF0));
    }
    if (content)
        *content = r;
    return S_OK;
}

HRESULT WINAPI DrawThemeText(HANDLE, HDC dc, int, int state, LPCWSTR text, int length, DWORD flags, DWORD,
                             const RECT* rect)
{
    RECT r = *rect;
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF old = ::SetTextColor(dc, state == 4 ? RGB(0x80, 0x80, 0x80) : RGB(0x1E, 0x39, 0x5B));
    ::DrawTextW(dc, text, length, &r, flags);
    ::SetTextColor(dc, old);
    ::SetBkMode(dc, mode);
    return S_OK;
}

BOOL WINAPI IsThemeBackgroundPartiallyTransparent(HANDLE theme, int part, int)
{
    // Check boxes and spin arrows leave the cell around them to the cell's own background.
    const wchar_t* name = ClassOf(theme);
    return (!std::wcscmp(name, L"BUTTON") && part != 1) || !std::wcscmp(name, L"SPIN");
}

BOOL WINAPI IsAppThemed() { return TRUE; }
BOOL WINAPI IsThemeActive() { return TRUE; }
}
