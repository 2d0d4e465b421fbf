#include "skin/engine/te_canvas_win.h"

#include "framework/exceptions.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

TEST(CanvasBridge, PicturesBothWays) {
    fw::TBitmap src;
    src.SetPixelFormat(fw::TPixelFormat::pf24bit);
    src.SetSize(4, 3);
    src.Canvas()->SetPixel(3, 2, fw::TColor(0x302010)); // R 0x10, G 0x20, B 0x30
    TteBitmap b;
    AssignPicture(b, &src);
    ASSERT_EQ(b.Width, 4);
    ASSERT_EQ(b.Height, 3);
    EXPECT_EQ(b.GetPixel(3, 2), 0xFF102030u);

    fw::TPicture pic;
    pic.SetGraphic(&src);
    TteBitmap fromPic;
    AssignPicture(fromPic, &pic);
    EXPECT_EQ(fromPic.GetPixel(3, 2), 0xFF102030u);

    // Back into a TBitmap with the flags applied: key pixels leave the target as it was.
    b.SetPixel(0, 0, KeyColor);
    b.Transparent = true;
    fw::TBitmap out;
    AssignPictureTo(b, &out);
    EXPECT_EQ(out.PixelFormat(), fw::TPixelFormat::pf32bit);
    ASSERT_EQ(out.Width(), 4);
    EXPECT_EQ(out.Canvas()->Pixels(3, 2), fw::TColor(0x302010));
    EXPECT_NE(out.Canvas()->Pixels(0, 0), fw::TColor(0x7F007F));
    fw::TFont notAPicture;
    EXPECT_THROW(AssignPictureTo(b, &notAPicture), fw::EConvertError);
    TteBitmapLink link;
    EXPECT_THROW(AssignPicture(b, &link), fw::EConvertError);
}

TEST(CanvasBridge, DrawGraphicKeepsUncoveredPixels) {
    fw::TBitmap g;
    g.SetPixelFormat(fw::TPixelFormat::pf24bit);
    g.SetSize(2, 2);
    g.Canvas()->Brush()->SetColor(fw::clBlue);
    g.Canvas()->FillRect(TRect{0, 0, 2, 2});
    TteBitmap b;
    b.SetSize(6, 6);
    b.FillColor(0x11223344);
    DrawGraphic(b, &g, TRect{1, 1, 5, 5});
    EXPECT_EQ(b.GetPixel(0, 0), 0x11223344u);
    EXPECT_EQ(b.GetPixel(2, 2) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(b.GetPixel(5, 5), 0x11223344u);
}

TEST(CanvasBridge, CanvasDrawingAndFonts) {
    fw::TBitmap target;
    target.SetPixelFormat(fw::TPixelFormat::pf32bit);
    target.SetSize(10, 4);
    TteBitmap tile;
    tile.SetSize(3, 2);
    tile.FillColor(0xFF00FF00);
    tile.SetPixel(0, 0, 0xFFFF0000);
    TileCanvas(tile, *target.Canvas(), TRect{0, 0, 10, 4}, TRect{0, 0, 3, 2});
    EXPECT_EQ(target.Canvas()->Pixels(3, 2), fw::TColor(0x0000FF));
    EXPECT_EQ(target.Canvas()->Pixels(4, 2), fw::TColor(0x00FF00));

    TteFont f;
    SetFontAttributes(f, "Times New Roman", 11, {TFontStyle::fsItalic}, fw::clRed);
    fw::TFont tf;
    FontToTFont(f, tf);
    EXPECT_EQ(tf.Name(), "Times New Roman");
    EXPECT_EQ(tf.Size(), 11);
    EXPECT_TRUE(tf.Style().Contains(fw::TFontStyle::fsItalic));
    TteFont back;
    TFontToFont(tf, back);
    EXPECT_EQ(back.Style, f.Style);
    EXPECT_EQ(back.Color, fw::clRed);
}

TEST(CanvasBridge, PrimitivesSetAndLeaveTheCanvasObjects) {
    fw::TBitmap bmp;
    bmp.SetPixelFormat(fw::TPixelFormat::pf32bit);
    bmp.SetSize(12, 12);
    fw::TCanvas& c = *bmp.Canvas();
    c.Brush()->SetColor(fw::clWhite);
    c.FillRect(TRect{0, 0, 12, 12});
    DrawBevelFrame(c, TRect{1, 1, 6, 6}, fw::clRed, fw::clBlue);
    EXPECT_EQ(c.Pixels(1, 1), fw::clRed);
    EXPECT_EQ(c.Pixels(5, 1), fw::clBlue);
    EXPECT_EQ(c.Pixels(1, 5), fw::clBlue);
    EXPECT_EQ(c.Pixels(3, 3), fw::clWhite);
    EXPECT_EQ(c.Pen()->Color(), fw::clBlue);
    EXPECT_EQ(c.Brush()->Style(), fw::TBrushStyle::bsClear);
    FillRectColor(c, TRect{7, 7, 9, 9}, fw::clLime);
    EXPECT_EQ(c.Pixels(8, 8), fw::clLime);
    EXPECT_EQ(c.Brush()->Color(), fw::clLime);
    FillGradientRect(c, TRect{0, 10, 12, 12}, fw::clBlack, fw::clWhite, false);
    EXPECT_EQ(c.Pixels(0, 10), fw::clBlack);
    EXPECT_EQ(c.Brush()->Color(), fw::clWhite);
    // The canvas draws with its own brush again afterwards.
    c.Brush()->SetColor(fw::clRed);
    c.FillRect(TRect{10, 0, 12, 2});
    EXPECT_EQ(c.Pixels(11, 1), fw::clRed);
    EXPECT_GT(WideTextWidth(c, L"abc", 0), 0);
}

} // namespace
} // namespace dvr::skin
