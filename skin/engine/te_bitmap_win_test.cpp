#include "skin/engine/te_bitmap_win.h"

#include "common/win/handles.h"
#include "framework/exceptions.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

std::unique_ptr<TteBitmap> Ramp(int w, int h) {
    auto b = std::make_unique<TteBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->SetPixel(x, y, 0xFF000000u | uint32_t(y << 8) | uint32_t(x));
    return b;
}

// A DIB section of any depth and row order, selected into its own memory DC.
struct Dib {
    Dib(int w, int h, int bpp, bool topDown) : width(w), height(h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = topDown ? -h : h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = WORD(bpp);
        bmp.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc.reset(::CreateCompatibleDC(nullptr));
        ::SelectObject(dc.get(), bmp.get());
        stride = ((w * bpp + 31) / 32) * 4;
        this->topDown = topDown;
        this->bpp = bpp;
    }
    // RGB of pixel (x, y) as 0xRRGGBB.
    uint32_t Rgb(int x, int y) {
        ::GdiFlush();
        int row = topDown ? y : height - 1 - y;
        auto* p = static_cast<uint8_t*>(bits) + size_t(row) * stride + size_t(x) * (bpp / 8);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    win::Bitmap bmp;
    win::MemoryDc dc;
    void* bits = nullptr;
    int width, height, stride, bpp;
    bool topDown;
};

TEST(DrawTo, OntoAnotherBitmapHonoursTheWindowOrigin) {
    auto src = Ramp(4, 4);
    TteBitmap dst;
    dst.SetSize(8, 8);
    ::SetWindowOrgEx(BitmapDC(dst), 2, 1, nullptr);
    Draw(*src, BitmapDC(dst), 3, 3); // lands at (1, 2)
    EXPECT_EQ(dst.GetPixel(1, 2), 0xFF000000u);
    EXPECT_EQ(dst.GetPixel(4, 5), 0xFF000303u);
    EXPECT_EQ(dst.GetPixel(0, 2), 0u);
    ::SetWindowOrgEx(BitmapDC(dst), 0, 0, nullptr);
}

// Bottom-up sections: their rows are addressed from the end of the memory. (A top-down
// section reports its order only where GetObject keeps the sign of biHeight.)
TEST(DrawTo, IntoDibSectionMemory) {
    auto src = Ramp(4, 4);
    for (bool topDown : {false}) {
        Dib dib(6, 6, 32, topDown);
        Draw(*src, dib.dc.get(), 1, 2);
        EXPECT_EQ(dib.Rgb(1, 2), 0x000000u) << topDown;
        EXPECT_EQ(dib.Rgb(4, 2), 0x000003u) << topDown;
        EXPECT_EQ(dib.Rgb(1, 5), 0x000300u) << topDown;
        // Scaled into device memory the source positions round: 4 -> 7 wide, fx = 0.5.
        Dib wide(7, 1, 32, topDown);
        StretchDraw(*src, wide.dc.get(), TRect{0, 0, 7, 1});
        const uint32_t cols[7] = {0, 0, 1, 2, 2, 2, 3}; // 0, .5, 1, 1.5, 2, 2.5, 3 to even
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(wide.Rgb(x, 0) & 0xFF, cols[x]) << x;
    }
}

TEST(DrawTo, ThroughGdiForOtherTargets) {
    auto src = Ramp(4, 4);
    src->SetPixel(1, 1, KeyColor);
    Dib dib(6, 6, 24, false);
    ::PatBlt(dib.dc.get(), 0, 0, 6, 6, WHITENESS);
    Draw(*src, dib.dc.get(), 1, 1); // copy
    EXPECT_EQ(dib.Rgb(1, 1), 0x000000u);
    EXPECT_EQ(dib.Rgb(2, 2), 0x7F007Fu);
    EXPECT_EQ(dib.Rgb(4, 4), 0x000303u);
    ::PatBlt(dib.dc.get(), 0, 0, 6, 6, WHITENESS);
    src->Transparent = true; // key colour through TransparentBlt
    Draw(*src, dib.dc.get(), 1, 1);
    EXPECT_EQ(dib.Rgb(2, 2), 0xFFFFFFu);
    EXPECT_EQ(dib.Rgb(3, 2), 0x000102u);
    // Alpha through the read-back path.
    TteBitmap half;
    half.SetSize(2, 1);
    half.FillColor(0x80000000);
    half.AlphaBlend = true;
    ::PatBlt(dib.dc.get(), 0, 0, 6, 6, WHITENESS);
    Draw(half, dib.dc.get(), 0, 0);
    uint32_t want = PixelRoutines.PixelBlend(0x80000000, 0xFFFFFFFF) & 0xFFFFFF;
    EXPECT_EQ(dib.Rgb(0, 0), want);
    EXPECT_EQ(dib.Rgb(2, 0), 0xFFFFFFu);
}

TEST(DrawTo, TilesOnADC) {
    auto src = Ramp(3, 2);
    TteBitmap dst;
    dst.SetSize(8, 5);
    Tile(*src, BitmapDC(dst), TRect{0, 0, 8, 5}, TRect{0, 0, 3, 2});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dst.GetPixel(x, y), src->GetPixel(x % 3, y % 2)) << x << "," << y;
    TteBitmap clipped;
    clipped.SetSize(8, 5);
    TileClip(*src, BitmapDC(clipped), TRect{0, 0, 8, 5}, TRect{4, 3, 5, 4}, TRect{0, 0, 3, 2});
    EXPECT_EQ(clipped.GetPixel(3, 2), src->GetPixel(0, 0)); // the whole tile, not the clip
    EXPECT_EQ(clipped.GetPixel(0, 0), 0u);
}

TEST(TteBitmap, FromAGdiBitmapAndBackThroughTheDC) {
    win::Bitmap gdi(::CreateBitmap(3, 2, 1, 32, nullptr));
    {
        win::MemoryDc dc(::CreateCompatibleDC(nullptr));
        win::SelectObjectScope sel(dc.get(), gdi.get());
        ::SetPixel(dc.get(), 2, 1, RGB(10, 20, 30));
    }
    TteBitmap b;
    AssignFromHBitmap(b, gdi.get());
    ASSERT_EQ(b.Width, 3);
    EXPECT_EQ(b.GetPixel(2, 1), 0xFF0A141Eu);
    EXPECT_EQ(b.GetPixel(0, 0), 0xFF000000u);
    // A failed sizing leaves the bitmap empty; sizing it again at the old size works.
    TteBitmap big;
    big.SetSize(10, 10);
    EXPECT_THROW(big.SetSize(60000, 60000), fw::Exception);
    EXPECT_TRUE(big.IsEmpty());
    big.SetSize(10, 10);
    EXPECT_FALSE(big.IsEmpty());
}

} // namespace
} // namespace dvr::skin
