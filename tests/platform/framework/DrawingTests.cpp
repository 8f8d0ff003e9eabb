// Drawing through the DC and GDI wrappers into a memory DC, then reading the pixels back.
#include <framework/Framework.h>
#include <support/gui/Picture.h>

#include <gtest/gtest.h>

namespace {

class MemoryDcTest : public ::testing::Test {
protected:
    void SetUp() override {
        CClientDC screen(nullptr);
        ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, kWidth, kHeight));
        previous = dc.SelectObject(&bitmap)->m_hObject;
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(255, 255, 255));
    }
    void TearDown() override { dc.SelectObject(previous); }

    support::gui::Picture Read() { return support::gui::CaptureDC(dc, RECT{0, 0, kWidth, kHeight}); }

    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    CDC dc;
    CBitmap bitmap;
    HGDIOBJ previous = nullptr;
};

TEST_F(MemoryDcTest, FilledAndFramedShapesLandOnTheirPixels) {
    dc.FillSolidRect(CRect(4, 4, 14, 14), RGB(255, 0, 0));
    CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
    CBrush brush(RGB(0, 200, 0));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(20, 4, 40, 24);
    dc.MoveTo(0, 40);
    dc.LineTo(64, 40);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
    dc.Draw3dRect(CRect(44, 4, 60, 20), RGB(10, 10, 10), RGB(200, 200, 0));

    support::gui::Picture picture = Read();
    EXPECT_EQ(RGB(255, 0, 0), picture.At(4, 4));
    EXPECT_EQ(RGB(255, 0, 0), picture.At(13, 13));
    EXPECT_EQ(RGB(255, 255, 255), picture.At(14, 14));
    EXPECT_EQ(100, picture.Count(RGB(255, 0, 0)));
    EXPECT_EQ(RGB(0, 0, 255), picture.At(20, 10));  // frame drawn with the pen
    EXPECT_EQ(RGB(0, 200, 0), picture.At(30, 14));  // inside filled with the brush
    EXPECT_EQ(64, picture.Count(RGB(0, 0, 255), RECT{0, 40, 64, 41}));
    EXPECT_EQ(RGB(10, 10, 10), picture.At(44, 4));
    EXPECT_EQ(RGB(200, 200, 0), picture.At(59, 19));
    EXPECT_EQ(RGB(0, 200, 0), dc.GetPixel(30, 14));
}

TEST_F(MemoryDcTest, TextIsDrawnInTheChosenColourInsideItsRectangle) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(120, L"Arial"));
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetTextColor(RGB(128, 0, 128));
    dc.SetBkMode(TRANSPARENT);
    CRect area(0, 0, kWidth, 24);
    dc.DrawText(CString(L"Wé"), area, DT_LEFT | DT_TOP | DT_SINGLELINE);
    CSize extent = dc.GetTextExtent(CString(L"Wé"));
    dc.SelectObject(oldFont);

    support::gui::Picture picture = Read();
    int inked = picture.Count(RGB(128, 0, 128), RECT{0, 0, extent.cx, extent.cy});
    EXPECT_GT(inked, 10);
    EXPECT_EQ(inked, picture.Count(RGB(128, 0, 128)));  // nothing outside the measured extent
}

TEST_F(MemoryDcTest, ClippingKeepsDrawingInsideTheRegion) {
    CRgn region;
    region.CreateRectRgn(10, 10, 20, 20);
    dc.SelectClipRgn(&region);
    dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(0, 0, 0));
    dc.SelectClipRgn(nullptr);
    support::gui::Picture picture = Read();
    EXPECT_EQ(100, picture.Count(RGB(0, 0, 0)));
    EXPECT_EQ(RGB(0, 0, 0), picture.At(10, 10));
    EXPECT_EQ(RGB(255, 255, 255), picture.At(20, 20));
}

TEST(PngEncoding, HeaderAndChunksAreWellFormed) {
    support::gui::Picture picture;
    picture.width = 2;
    picture.height = 1;
    picture.pixels = {0x00FF0000u, 0x000000FFu};
    std::vector<uint8_t> png = support::gui::EncodePng(picture);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 8u);
    EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
    // IHDR: length 13, width 2, height 1, 8-bit truecolour.
    const uint8_t ihdr[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 2, 0, 0, 0, 1, 8, 2, 0, 0, 0};
    EXPECT_TRUE(std::equal(ihdr, ihdr + sizeof ihdr, png.begin() + 8));
    // The raw scan line (filter 0, red, blue) sits in one stored block after the zlib header.
    const uint8_t scanline[] = {0, 255, 0, 0, 0, 0, 255};
    auto at = std::search(png.begin(), png.end(), scanline, scanline + sizeof scanline);
    EXPECT_NE(png.end(), at);
    const uint8_t end[] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(end, end + sizeof end, png.end() - 8));
}

}  // namespace
