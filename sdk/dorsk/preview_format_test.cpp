#include "sdk/dorsk/preview_format.h"

#include <gtest/gtest.h>

namespace dvr::dorsk {
namespace {

TEST(PreviewFormat, ColorKeyFollowsTheScreenDepth) {
    struct Case {
        uint32_t color;
        int bits;
        uint32_t key;
    } cases[] = {
        {0xFF00FF, 16, 0xF81F},   {0xFF00FF, 32, 0xFF00FF}, {0xFF00FF, 24, 0xFF00FF},
        {0xFF00FF, 15, 0x7C1F},   {0x0A0A0A, 16, 0x0841},   {0x00FF00, 16, 0x07E0},
        {0x0000FF, 32, 0xFF0000}, {0xFF0000, 32, 0x0000FF}, {0xFF00FF, 8, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScreenColorKey(c.color, c.bits), c.key) << std::hex << c.color << " " << c.bits;
    }
}

TEST(PreviewFormat, PreviewWordsAddressTheRectangleInsideTheSurface) {
    PreviewWords w = MakePreviewWords(0x10000000, 2048, 16, kPreviewFormatRgb16, {10, 3, 362, 291});
    EXPECT_EQ(w.address, 0x10000000u + 3 * 2048 + 20);
    EXPECT_EQ(w.pitchAndFormat, 2048u << 16 | 16);
    EXPECT_EQ(w.size, 352u << 16 | 288);
}

} // namespace
} // namespace dvr::dorsk
