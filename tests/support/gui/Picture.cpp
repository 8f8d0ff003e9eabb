#include <support/gui/Picture.h>

#include <cstdio>

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

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0xFFFFFFFFu) {
    static uint32_t table[256];
    static bool built = false;
    if (!built) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        built = true;
    }
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t crc = Crc32(out.data() + typeAt, data.size() + 4) ^ 0xFFFFFFFFu;
    PutBigEndian(out, crc);
}

// A zlib stream of stored (uncompressed) deflate blocks: the file is larger, the encoder trivial.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t offset = 0;
    do {
        size_t block = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        bool last = offset + block == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(block & 0xFF));
        out.push_back(static_cast<uint8_t>(block >> 8));
        out.push_back(static_cast<uint8_t>(~block & 0xFF));
        out.push_back(static_cast<uint8_t>((~block >> 8) & 0xFF));
        out.insert(out.end(), raw.begin() + static_cast<ptrdiff_t>(offset),
                   raw.begin() + static_cast<ptrdiff_t>(offset + block));
        offset += block;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
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
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT area;
    if (clientOnly) {
        ::GetClientRect(hwnd, &area);
    } else {
        ::GetWindowRect(hwnd, &area);
        ::OffsetRect(&area, -area.left, -area.top);
    }
    if (::IsWindowVisible(hwnd)) {
        HDC dc = clientOnly ? ::GetDC(hwnd) : ::GetWindowDC(hwnd);
        Picture picture = CaptureDC(dc, area);
        ::ReleaseDC(hwnd, dc);
        return picture;
    }
    // A hidden window has nothing on screen: ask it to print itself.
    DibCanvas canvas(area.right, area.bottom);
    ::PrintWindow(hwnd, canvas.dc(), clientOnly ? PW_CLIENTONLY : 0);
    return canvas.Read();
}

std::vector<uint8_t> EncodePng(const Picture& picture) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(picture.width));
    PutBigEndian(header, static_cast<uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(picture.height) * (1 + 3 * static_cast<size_t>(picture.width)));
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < picture.width; ++x) {
            uint32_t p = picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)];
            raw.push_back(static_cast<uint8_t>(p >> 16));
            raw.push_back(static_cast<uint8_t>(p >> 8));
            raw.push_back(static_cast<uint8_t>(p));
        }
    }
    PutChunk(out, "IDAT", ZlibStored(raw));
    PutChunk(out, "IEND", {});
    return out;
}

bool SavePng(const Picture& picture, const std::wstring& path) {
    std::vector<uint8_t> bytes = EncodePng(picture);
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
