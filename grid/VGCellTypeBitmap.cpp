// The conversion of a cell's bitmap for a printer: a printer driver need not understand the screen's
// device-dependent bitmaps, so the bitmap goes out as a packed device-independent one.
#include "VGCellType.h"

#include <new>

namespace {

// The DIB depth that keeps every colour of a bitmap of planes x bits per pixel.
WORD DibDepth(const BITMAP& info)
{
    const int bits = info.bmPlanes * info.bmBitsPixel;
    if (bits <= 1)
        return 1;
    if (bits <= 4)
        return 4;
    if (bits <= 8)
        return 8;
    return 24;
}

}  // namespace

int CVGCellType::PaletteEntryCount(const BITMAPINFOHEADER& header)
{
    switch (header.biBitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

DWORD CVGCellType::PaletteBytes(const BITMAPINFOHEADER& header)
{
    return static_cast<DWORD>(PaletteEntryCount(header) * sizeof(RGBQUAD));
}

std::vector<BYTE> CVGCellType::BitmapToDib(CBitmap* bitmap)
{
    BITMAP info = {};
    if (!bitmap || !bitmap->GetSafeHandle() || !bitmap->GetBitmap(&info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = DibDepth(info);
    header.biCompression = BI_RGB;
    const size_t stride = ((static_cast<size_t>(info.bmWidth) * header.biBitCount + 31) / 32) * 4;
    header.biSizeImage = static_cast<DWORD>(stride * info.bmHeight);
    const size_t bitsOffset = header.biSize + PaletteBytes(header);
    std::vector<BYTE> dib;
    try {
        dib.resize(bitsOffset + header.biSizeImage);
    } catch (const std::bad_alloc&) {
        return {};
    }
    memcpy(dib.data(), &header, sizeof(header));
    // The colour table comes from the default palette, whatever palette the screen has selected.
    CClientDC screen(nullptr);
    const HPALETTE oldPalette =
        ::SelectPalette(screen.GetSafeHdc(), static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), FALSE);
    ::RealizePalette(screen.GetSafeHdc());
    const int rows = ::GetDIBits(screen.GetSafeHdc(), static_cast<HBITMAP>(bitmap->GetSafeHandle()), 0,
                                 static_cast<UINT>(info.bmHeight), dib.data() + bitsOffset,
                                 reinterpret_cast<BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
    ::SelectPalette(screen.GetSafeHdc(), oldPalette, FALSE);
    if (rows != info.bmHeight)
        return {};
    return dib;
}
