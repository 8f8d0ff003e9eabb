#pragma once
// What a window or a device context shows, as 32-bit pixels a test can read, and a PNG of it for a
// person to look at.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace support::gui {

// Top-down rows of 0x00RRGGBB pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    // The pixel as a COLORREF (0x00BBGGRR), comparable with RGB(...).
    COLORREF At(int x, int y) const;
    // How many pixels of the rectangle have exactly this colour.
    int Count(COLORREF colour, RECT area) const;
    int Count(COLORREF colour) const { return Count(colour, RECT{0, 0, width, height}); }
};

// The window's client area (or the whole window) as a person sees it: for a visible window, what is
// on the screen once its painting has reached the display (each test program has a display of its
// own, so no other program's window lies over it); a hidden window prints itself without children.
Picture CaptureWindow(HWND hwnd, bool clientOnly = true);
// A rectangle of a device context (a memory DC, or a window's).
Picture CaptureDC(HDC dc, RECT area);

// PNG bytes of the picture (8-bit RGB, by GDI+); empty when it cannot be encoded.
std::vector<uint8_t> EncodePng(const Picture& picture);
// Writes the PNG; false when the file cannot be written.
bool SavePng(const Picture& picture, const std::wstring& path);
// A path for pictures kept for a person to look at: "gui-pictures\<name>.png" beside the test
// program, the folder made on first use.
std::wstring PicturePath(const std::wstring& name);

}  // namespace support::gui
