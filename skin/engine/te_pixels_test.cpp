#include "skin/engine/te_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvr::skin {
namespace {

TEST(PixelBlend, PlainAndPackedFormulas) {
    EXPECT_EQ(PixelBlendPlain(0x80000000, 0xFFFFFFFF), 0xFF7E7E7Eu);
    EXPECT_EQ(PixelBlendPacked(0x80000000, 0xFFFFFFFF), 0xBF7F7F7Fu);
    // Plain takes alpha 0 and 255 exactly; the packed single-pixel form has no shortcut.
    EXPECT_EQ(PixelBlendPlain(0xFF102030, 0x12345678), 0xFF102030u);
    EXPECT_EQ(PixelBlendPlain(0x00102030, 0x12345678), 0x12345678u);
    EXPECT_EQ(PixelBlendPacked(0xFFFF0000, 0xFF000000), 0xFFFE0000u);
    // Hand-worked: a = 0x40, s = 0xFF, d = 0x00 -> plain 0xFF*0x40 >> 8 = 0x3F.
    EXPECT_EQ(PixelBlendPlain(0x40FFFFFF, 0x00000000), 0xFF3F3F3Fu);
    EXPECT_EQ(PixelBlendPacked(0x40FFFFFF, 0x00000000), 0x103F3F3Fu);
}

// Both row variants, over a row long enough for the SIMD lanes and a scalar remainder:
// alpha 0 leaves the target, 255 copies, anything else follows the variant's formula.
TEST(PixelBlend, RowsMatchTheirSinglePixelFormula) {
    const TteColor src[] = {0x00FFFFFF, 0xFF123456, 0x80000000, 0x40FFFFFF, 0x01ABCDEF,
                            0xFE010203, 0x7F7F007F, 0x00000000, 0xC0102030};
    const TteColor dst0[] = {0xFF010203, 0x00000000, 0xFFFFFFFF, 0x00000000, 0x80808080,
                             0xFFFFFFFF, 0x11223344, 0xFFFFFFFF, 0x55667788};
    constexpr int n = 9;
    for (bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "packed" : "plain");
        TPixelRoutineScope scope(packed);
        std::vector<TteColor> dst(dst0, dst0 + n);
        PixelRoutines.BlendRow(src, dst.data(), n);
        for (int i = 0; i < n; ++i) {
            uint8_t a = PixelA(src[i]);
            TteColor want = a == 0     ? dst0[i]
                            : a == 255 ? src[i]
                            : packed   ? PixelBlendPacked(src[i], dst0[i])
                                       : PixelBlendPlain(src[i], dst0[i]);
            EXPECT_EQ(dst[size_t(i)], want) << i;
        }
    }
}

TEST(PixelRows, KeyCopyFillAndAlpha) {
    TteColor src[] = {0x007F007F, 0xFF7F007F, 0x00102030, 0x7F7F0080};
    TteColor dst[] = {1, 2, 3, 4};
    PixelRoutines.TransparentRow(src, dst, 4);
    EXPECT_EQ(dst[0], 1u);
    EXPECT_EQ(dst[1], 2u);
    EXPECT_EQ(dst[2], 0xFF102030u);
    EXPECT_EQ(dst[3], 0xFF7F0080u);

    TteColor bits[4 * 3] = {};
    PixelRoutines.FillPixelRect(bits, 4, 3, 1, 1, 2, 2, 0xAABBCCDD);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(bits[y * 4 + x], (x >= 1 && x <= 2 && y >= 1) ? 0xAABBCCDDu : 0u);
    PixelRoutines.SetAlphaPixelRect(bits, 4, 3, 2, 0, 1, 2, 0x11); // X2 < X1: nothing
    EXPECT_EQ(bits[5], 0xAABBCCDDu);
    PixelRoutines.SetAlphaPixelRect(bits, 4, 3, 0, 2, 3, 2, 0x11);
    EXPECT_EQ(bits[9], 0x11BBCCDDu);
    EXPECT_EQ(bits[8], 0x11000000u);

    TteColor keyed[] = {0xFF7F007F, 0xFF7F0070, 0x807F007F};
    PixelRoutines.ClearKeyAlpha(keyed, 3, KeyColor);
    EXPECT_EQ(keyed[0], 0x007F007Fu);
    EXPECT_EQ(keyed[1], 0xFF7F0070u);
    EXPECT_EQ(keyed[2], 0x007F007Fu);
    PixelRoutines.CopyRow(src, dst, 0);
    EXPECT_EQ(dst[0], 1u);
}

TEST(Colors, ConversionsAndShifts) {
    EXPECT_EQ(ColorToPixel(fw::clRed, 255), 0xFFFF0000u);
    EXPECT_EQ(ColorToPixel(fw::clRed, 0), 0x00FF0000u);
    EXPECT_EQ(PixelToColor(0x12345678), fw::TColor(0x785634));
    EXPECT_EQ(MakePixel(-5, 300, 128, 7), 0x0700FF80u);
    EXPECT_EQ(ShiftPixel(0xFA000000, 0, 0, 0, 10), 0x04000000u);
    EXPECT_EQ(ShiftRGB(0x80F00510, 20), 0x80FF1924u);
    EXPECT_EQ(ShiftRGB(0x00F00510, -20), 0x00DC0000u);
    EXPECT_EQ(ShiftBrightness(0x10F00510, 20), 0xFFFF1924u);
    EXPECT_EQ(MulDiv(50, 255, 100), 128);
    EXPECT_EQ(MulDiv(-50, 255, 100), -128);
    EXPECT_EQ(MulDiv(1, 2, 0), -1);
}

TEST(Colors, HueShiftWrapsBy255) {
    // Pure colours: hue 0 (red), 1/3 (green), 2/3 (blue).
    float h, s, l;
    PixelToHSL(0xFF00FF00, h, s, l);
    EXPECT_FLOAT_EQ(h, 1.0f / 3);
    EXPECT_FLOAT_EQ(s, 1);
    EXPECT_FLOAT_EQ(l, 0.5f);
    EXPECT_EQ(HSLToPixel(h, s, l), 0xFF00FF00u);
    EXPECT_EQ(HSLToPixel(0, 0, 0.5f), 0xFF808080u);

    // A pixel of hue 250/255: shifted by 10 it lands on 5/255 (260 - 255).
    TteColor p = HSLToPixel(250.0f / 255, 1, 0.5f);
    PixelToHSL(p, h, s, l);
    ASSERT_EQ(RoundEven(h * 255), 250);
    TteColor q = ShiftHue(p, 10);
    EXPECT_EQ(q, HSLToPixel(5.0f / 255, s, l));
    // Downwards the wrap adds 255.
    TteColor red = 0xFFFF0000;
    EXPECT_EQ(ShiftHue(red, -10), HSLToPixel(245.0f / 255, 1, 0.5f));
    // Grey has no hue to turn.
    EXPECT_EQ(ShiftHue(0x40808080, 77), 0xFF808080u);
}

} // namespace
} // namespace dvr::skin
