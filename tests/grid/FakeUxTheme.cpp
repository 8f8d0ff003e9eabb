// Stand-in visual-styles library: the entry points the grid looks up by name, minus DrawThemeEdge.
#include "FakeUxTheme.h"

#include <cwchar>

namespace {

FakeThemeLog* Log()
{
    static FakeThemeLog* log = [] {
        wchar_t address[32] = {};
        GetEnvironmentVariableW(L"FAKE_UXTHEME_LOG", address, 32);
        return reinterpret_cast<FakeThemeLog*>(static_cast<UINT_PTR>(std::wcstoull(address, nullptr, 16)));
    }();
    return log;
}

}  // namespace

extern "C" {

HANDLE WINAPI OpenThemeData(HWND, LPCWSTR)
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1000 + ++Log()->opens));
}

HRESULT WINAPI CloseThemeData(HANDLE)
{
    ++Log()->closes;
    return S_OK;
}

HRESULT WINAPI DrawThemeBackground(HANDLE, HDC, int part, int state, const RECT*, const RECT*)
{
    FakeThemeLog* log = Log();
    if (log->backgrounds < 16)
        log->drawnParts[log->backgrounds] = part * 100 + state;
    ++log->backgrounds;
    return S_OK;
}

HRESULT WINAPI DrawThemeText(HANDLE, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*)
{
    ++Log()->texts;
    return Log()->textResult;
}

BOOL WINAPI IsThemeBackgroundPartiallyTransparent(HANDLE, int part, int)
{
    return part == Log()->transparentPart;
}

BOOL WINAPI IsAppThemed()
{
    return Log()->appThemed;
}

BOOL WINAPI IsThemeActive()
{
    return Log()->themeActive;
}
}
