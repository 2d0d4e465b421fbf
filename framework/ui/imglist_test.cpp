#include "framework/ui/imglist.h"

#include <gtest/gtest.h>

namespace dvr::fw {
namespace {

TEST(ImageList, MaskedImagesDrawOnlyTheirPicture) {
    TImageList list(nullptr);
    list.SetWidth(4);
    list.SetHeight(4);
    // Two images side by side in one strip; magenta is the mask colour.
    TBitmap strip;
    strip.SetPixelFormat(TPixelFormat::pf24bit);
    strip.SetSize(8, 4);
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(Rect(0, 0, 8, 4));
    strip.Canvas()->SetPixel(1, 1, clRed);
    strip.Canvas()->SetPixel(6, 2, clBlue);
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);

    TBitmap out;
    out.SetPixelFormat(TPixelFormat::pf32bit);
    out.SetSize(10, 10);
    out.Canvas()->Brush()->SetColor(clWhite);
    out.Canvas()->FillRect(Rect(0, 0, 10, 10));
    list.Draw(out.Canvas(), 2, 2, 0);
    list.Draw(out.Canvas(), 5, 5, 1);
    list.Draw(out.Canvas(), 0, 0, 7); // no such image: nothing
    EXPECT_EQ(out.Canvas()->Pixels(3, 3), clRed);
    EXPECT_EQ(out.Canvas()->Pixels(2, 2), clWhite); // masked
    EXPECT_EQ(out.Canvas()->Pixels(7, 7), clBlue);
    EXPECT_EQ(out.Canvas()->Pixels(0, 0), clWhite);

    TBitmap one;
    list.GetBitmap(1, &one);
    EXPECT_EQ(one.Width(), 4);
    EXPECT_EQ(one.Canvas()->Pixels(2, 2), clBlue);

    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Delete(5), EListError);
    list.SetWidth(8); // a new size empties the list
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace dvr::fw
