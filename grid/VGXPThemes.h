// VGXPThemes: drawing grid elements with the platform's visual styles.
//
// The visual-styles library is bound at run time: each entry point is looked up by name at every
// call, never kept, so the grid runs (with its classic drawing) where the library or an entry is
// missing. Two style tables turn a grid element and state into a visual-style class, part and state;
// theme handles are opened once per class and cached until released. Each drawing operation reports
// whether it drew, and every caller falls back to its classic drawing when it did not.
//
// No instances: the state is process-wide and, like the rest of the grid, touched only on the window
// thread. The use-themes switch starts off, and only Windows version 5.1 counts as themable.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <string>

// Grid elements.
enum : int {
    VGTHEME_CELL = 0x10,
    VGTHEME_TOPHEADING = 0x20,
    VGTHEME_SIDEHEADING = 0x40,
    VGTHEME_HEADING = 0x80,          // corner and heading default
    VGTHEME_DROPBUTTON = 0x100,
    VGTHEME_CHECKOFF = 0x200,
    VGTHEME_CHECKON = 0x400,
    VGTHEME_CHECKMIXED = 0x800,
    VGTHEME_ROUNDOFF = 0x1000,
    VGTHEME_ROUNDON = 0x2000,
    VGTHEME_ROUNDON2 = 0x4000,
    VGTHEME_PUSHBUTTON = 0x8000,
    VGTHEME_SPINUP = 0x10000,
    VGTHEME_SPINDOWN = 0x20000,
    VGTHEME_PROGRESSCHUNK = 0x40000,
    VGTHEME_PROGRESSBAR = 0x80000,
};

// States.
enum : int {
    VGSTATE_NORMAL = 1,
    VGSTATE_CURRENT = 2,
    VGSTATE_SELECTED = 4,
    VGSTATE_SELECTEDCURRENT = 6,
    VGSTATE_DISABLED = 8,            // also indeterminate
    VGSTATE_PRESSED = 16,
};

class VGXPThemes {
public:
    struct StyleEntry {
        std::wstring className;
        int part;
        int state;
    };

    // Where the themed layer finds the platform; tests point it at stand-ins.
    struct Platform {
        const wchar_t* themeLibrary;
        const wchar_t* controlsLibrary;
        void (*queryOsVersion)(DWORD* major, DWORD* minor);
    };

    VGXPThemes() = delete;

    static void SetUseThemes(BYTE on);
    static BYTE UseThemes();
    // 1 selects the first style table, any other value the second; it reaches only keys not yet
    // in the table.
    static void SetThemeStyle(int style);
    static int ThemeStyle();

    static bool ThemesAvailable();
    static int StateFromFlags(int selected, int current);
    static const StyleEntry* FindStyleEntry(int element, int state);
    // Cached per class name; without the cache flag the caller owns the handle.
    static HTHEME OpenThemeCached(HWND window, LPCWSTR className, bool cache);

    static bool ThemedEdge(HWND window, HDC dc, int element, int state, const RECT* rect, int borderStyle,
                           UINT edgeFlags, RECT* content);
    static bool ThemedBackground(HWND window, HDC dc, int element, int state, const RECT* rect, const RECT* clip);
    static bool ThemedText(HWND window, HDC dc, int element, int state, LPCWSTR text, int length, DWORD flags,
                           const RECT* rect);

    // The parent's themed background under a child's rectangle; false when not drawn.
    static bool ThemedParentBackground(HWND window, HDC dc, const RECT* rect);
    // The system theme changed: cached handles belong to the old one.
    static void OnThemeChanged();
    // Back to the unbound state: table emptied, handles closed, library unloaded (the switch and
    // the style stay as they are).
    static void ReleaseThemes();

    static Platform DefaultPlatform();
    // Releases everything bound so far, then binds to the given platform from the next call on.
    static void SetPlatform(const Platform& platform);
};
