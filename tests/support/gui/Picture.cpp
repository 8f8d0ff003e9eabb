#include <support/gui/Picture.h>

#include <objidl.h>  // before GDI+, which needs the COM stream types
#include <gdiplus.h>
#include <shlwapi.h>

#include <support/Waiting.h>

#include <cstdio>
#include <utility>

namespace support::gui {
namespace {

// A 32-bit top-down DIB section selected into its own memory DC for the lifetime of the object.
class DibCanvas {
public:
    DibCanvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = ::SelectObject(dc_, bitmap_);
    }
    ~DibCanvas() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC dc() const { return dc_; }
    Picture Read() const {
        ::GdiFlush();
        Picture picture;
        picture.width = width_;
        picture.height = height_;
        const auto* pixels = static_cast<const uint32_t*>(bits_);
        picture.pixels.assign(pixels, pixels + static_cast<size_t>(width_) * static_cast<size_t>(height_));
        for (uint32_t& p : picture.pixels) p &= 0x00FFFFFFu;
        return picture;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

// GDI+ for the PNG encoder, started once for the test program's life.
class GdiPlusSession {
public:
    GdiPlusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiPlusSession() { Gdiplus::GdiplusShutdown(token_); }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

// GDI+'s built-in PNG encoder.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

Picture ReadScreen(RECT area) {
    HDC screen = ::GetDC(nullptr);
    Picture picture = CaptureDC(screen, area);
    ::ReleaseDC(nullptr, screen);
    return picture;
}

}  // namespace

COLORREF Picture::At(int x, int y) const {
    uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Picture::Count(COLORREF colour, RECT area) const {
    int count = 0;
    for (int y = area.top; y < area.bottom && y < height; ++y) {
        for (int x = area.left; x < area.right && x < width; ++x) {
            if (At(x, y) == colour) ++count;
        }
    }
    return count;
}

Picture CaptureDC(HDC dc, RECT area) {
    DibCanvas canvas(area.right - area.left, area.bottom - area.top);
    ::BitBlt(canvas.dc(), 0, 0, area.right - area.left, area.bottom - area.top, dc, area.left, area.top, SRCCOPY);
    return canvas.Read();
}

Picture CaptureWindow(HWND hwnd, bool clientOnly) {
    RECT area;
    if (clientOnly) {
        ::GetClientRect(hwnd, &area);
        ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&area), 2);
    } else {
        ::GetWindowRect(hwnd, &area);
    }
    if (!::IsWindowVisible(hwnd)) {
        // A hidden window has nothing on screen: it prints itself. Its children do not print with it
        // (the system's controls draw nothing while their dialog is hidden): show what is to be seen.
        ::OffsetRect(&area, -area.left, -area.top);
        DibCanvas canvas(area.right, area.bottom);
        ::PrintWindow(hwnd, canvas.dc(), clientOnly ? PW_CLIENTONLY : 0);
        return canvas.Read();
    }
    // What a person sees is on the screen, children and frame included, as the program left it:
    // nothing here asks the window to paint, so a window that failed to paint shows its fault.
    // Wine carries painting to the display when a thread waits for messages, and the display takes
    // it in on its own time: read until two reads agree.
    Picture previous = ReadScreen(area);
    DWORD start = ::GetTickCount();
    for (;;) {
        ::GdiFlush();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, 0);
        Picture current = ReadScreen(area);
        if (current.pixels == previous.pixels || ::GetTickCount() - start > static_cast<DWORD>(support::kPatience.count())) return current;
        previous = std::move(current);
    }
}

std::vector<uint8_t> EncodePng(const Picture& picture) {
    static const GdiPlusSession gdiPlus;
    // The pixels are 0x00RRGGBB, which is GDI+'s 32-bit RGB layout.
    Gdiplus::Bitmap bitmap(picture.width, picture.height, picture.width * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(const_cast<uint32_t*>(picture.pixels.data())));
    IStream* stream = ::SHCreateMemStream(nullptr, 0);
    if (stream == nullptr) return {};
    std::vector<uint8_t> bytes;
    if (bitmap.Save(stream, &kPngEncoder, nullptr) == Gdiplus::Ok) {
        STATSTG about = {};
        LARGE_INTEGER start = {};
        ULONG read = 0;
        if (SUCCEEDED(stream->Stat(&about, STATFLAG_NONAME)) && SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
            bytes.resize(static_cast<size_t>(about.cbSize.QuadPart));
            if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size()) bytes.clear();
        }
    }
    stream->Release();
    return bytes;
}

bool SavePng(const Picture& picture, const std::wstring& path) {
    std::vector<uint8_t> bytes = EncodePng(picture);
    if (bytes.empty()) return false;
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::wstring PicturePath(const std::wstring& name) {
    wchar_t module[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module, length);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"gui-pictures";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + name + L".png";
}

}  // namespace support::gui
