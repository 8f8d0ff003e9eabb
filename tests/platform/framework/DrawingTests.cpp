// Drawing through the DC and GDI wrappers into a memory DC, then reading the pixels back.
#include <framework/Framework.h>
#include <support/gui/Picture.h>

#include <objidl.h>  // before GDI+, which needs the COM stream types
#include <gdiplus.h>
#include <shlwapi.h>

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

TEST(PngEncoding, DecodesBackToTheSamePixels) {
    support::gui::Picture picture;
    picture.width = 3;
    picture.height = 2;
    picture.pixels = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00FFFFFFu, 0x00000000u, 0x00123456u};
    std::vector<uint8_t> png = support::gui::EncodePng(picture);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 8u);
    EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));

    // Read back by the system's own PNG decoder.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token, &input, nullptr));
    {
        IStream* stream = ::SHCreateMemStream(png.data(), static_cast<UINT>(png.size()));
        ASSERT_NE(nullptr, stream);
        Gdiplus::Bitmap decoded(stream);
        stream->Release();
        ASSERT_EQ(Gdiplus::Ok, decoded.GetLastStatus());
        ASSERT_EQ(3u, decoded.GetWidth());
        ASSERT_EQ(2u, decoded.GetHeight());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                Gdiplus::Color colour;
                decoded.GetPixel(x, y, &colour);
                EXPECT_EQ(picture.pixels[static_cast<size_t>(y * 3 + x)], colour.GetValue() & 0x00FFFFFFu) << x << "," << y;
            }
        }
    }
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace
