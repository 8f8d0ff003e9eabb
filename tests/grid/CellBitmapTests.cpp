// A cell's bitmap converted for a printer, read back byte by byte: the header, the colour table and
// the rows, bottom-up and padded to 4 bytes.
#include "VGCellType.h"

#include <gtest/gtest.h>

namespace {

struct Dib {
    explicit Dib(CBitmap* bitmap) : bytes(CVGCellType::BitmapToDib(bitmap)) {}
    const BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data()); }
    const RGBQUAD* Palette() const { return reinterpret_cast<const RGBQUAD*>(bytes.data() + sizeof(BITMAPINFOHEADER)); }
    // Row 0 is the bitmap's top row.
    const BYTE* Row(int row, size_t stride) const {
        const size_t bits = sizeof(BITMAPINFOHEADER) + CVGCellType::PaletteBytes(Header());
        return bytes.data() + bits + (Header().biHeight - 1 - row) * stride;
    }
    std::vector<BYTE> bytes;
};

}  // namespace

TEST(CellBitmapTest, AMonochromeBitmapKeepsOneBitAndABlackAndWhiteTable) {
    // Two rows of 10 pixels; a monochrome bitmap's rows are padded to 2 bytes.
    const BYTE rows[] = {0xA5, 0xC0, 0x0F, 0x40};
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(10, 2, 1, 1, rows));
    const Dib dib(&mono);
    ASSERT_EQ(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD) + 2 * 4, dib.bytes.size());
    const BITMAPINFOHEADER& h = dib.Header();
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), h.biSize);
    EXPECT_EQ(10, h.biWidth);
    EXPECT_EQ(2, h.biHeight);
    EXPECT_EQ(1, h.biPlanes);
    EXPECT_EQ(1, h.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), h.biCompression);
    const RGBQUAD* palette = dib.Palette();
    EXPECT_EQ(0, palette[0].rgbRed | palette[0].rgbGreen | palette[0].rgbBlue);
    EXPECT_EQ(255, palette[1].rgbRed & palette[1].rgbGreen & palette[1].rgbBlue);
    EXPECT_EQ(0xA5, dib.Row(0, 4)[0]);
    EXPECT_EQ(0xC0, dib.Row(0, 4)[1] & 0xC0);
    EXPECT_EQ(0x0F, dib.Row(1, 4)[0]);
    EXPECT_EQ(0x40, dib.Row(1, 4)[1] & 0xC0);
}

TEST(CellBitmapTest, FourAndEightBitBitmapsCarrySixteenAndTwoHundredFiftySixColours) {
    struct Case {
        WORD bits;
        int entries;
    };
    for (const Case c : {Case{4, 16}, Case{8, 256}}) {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(5, 3, 1, c.bits, nullptr)) << c.bits;
        const Dib dib(&bitmap);
        ASSERT_FALSE(dib.bytes.empty()) << c.bits;
        EXPECT_EQ(c.bits, dib.Header().biBitCount);
        EXPECT_EQ(c.entries, CVGCellType::PaletteEntryCount(dib.Header()));
        EXPECT_EQ(c.entries * sizeof(RGBQUAD), CVGCellType::PaletteBytes(dib.Header()));
        // Five pixels of 4 or 8 bits fill one or two 32-bit words.
        const size_t stride = c.bits == 4 ? 4 : 8;
        EXPECT_EQ(3 * stride, dib.Header().biSizeImage);
        EXPECT_EQ(sizeof(BITMAPINFOHEADER) + c.entries * sizeof(RGBQUAD) + 3 * stride, dib.bytes.size());
    }
}

TEST(CellBitmapTest, ATrueColourBitmapGoesOutAsTwentyFourBitRowsWithoutATable) {
    CClientDC screen(nullptr);
    CBitmap colour;
    ASSERT_TRUE(colour.CreateCompatibleBitmap(&screen, 3, 2));
    BITMAP info = {};
    colour.GetBitmap(&info);
    ASSERT_GT(info.bmBitsPixel, 8);
    {
        CDC memory;
        memory.CreateCompatibleDC(&screen);
        const HGDIOBJ old = memory.SelectObject(colour.GetSafeHandle());
        const COLORREF pixels[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                       {RGB(255, 255, 255), RGB(0, 0, 0), RGB(8, 16, 32)}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) memory.SetPixel(x, y, pixels[y][x]);
        memory.SelectObject(old);
    }
    const Dib dib(&colour);
    EXPECT_EQ(24, dib.Header().biBitCount);
    EXPECT_EQ(0, CVGCellType::PaletteEntryCount(dib.Header()));
    EXPECT_EQ(0u, CVGCellType::PaletteBytes(dib.Header()));
    // Nine bytes of pixels padded to twelve; blue, green, red in each pixel.
    ASSERT_EQ(sizeof(BITMAPINFOHEADER) + 2 * 12, dib.bytes.size());
    const std::vector<BYTE> top(dib.Row(0, 12), dib.Row(0, 12) + 9);
    const std::vector<BYTE> bottom(dib.Row(1, 12), dib.Row(1, 12) + 9);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 255, 0, 255, 0, 255, 0, 0}), top);
    EXPECT_EQ((std::vector<BYTE>{255, 255, 255, 0, 0, 0, 32, 16, 8}), bottom);
}

TEST(CellBitmapTest, NoBitmapGivesNothing) {
    CBitmap none;
    EXPECT_TRUE(CVGCellType::BitmapToDib(&none).empty());
    EXPECT_TRUE(CVGCellType::BitmapToDib(nullptr).empty());
}
