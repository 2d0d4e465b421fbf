#include "skin/engine/te_theme_info.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

TEST(ThemeRecords, TextInfoPositionAndOptionsFromDrawTextFlags) {
    struct Case {
        uint32_t flags;
        uint8_t position, options;
    } cases[] = {
        {0, 0, 0},
        {kDT_CENTER, 3, 0},
        {kDT_VCENTER, 1, 0},
        {kDT_CENTER | kDT_VCENTER | kDT_SINGLELINE, 4, ktoSingleLine},
        {kDT_RIGHT | kDT_BOTTOM, 8, 0},
        {kDT_RIGHT | kDT_VCENTER | kDT_RTLREADING, 7, ktoRightToLeft},
        {kDT_NOPREFIX | kDT_WORDBREAK, 0, ktoNoPrefix | ktoWordBreak},
    };
    for (const Case& c : cases) {
        TteTextInfo t = MakeTextInfo(TRect{1, 2, 3, 4}, L"x", c.flags);
        EXPECT_EQ(t.Position, c.position) << c.flags;
        EXPECT_EQ(t.Options, c.options) << c.flags;
        EXPECT_EQ(t.Direction, 0);
    }
}

TEST(ThemeRecords, TextIsPlacedByRowAndColumnWithRightToLeftMirrored) {
    TRect r{10, 20, 110, 70}; // 100 x 50
    EXPECT_EQ(AlignTextRect(r, 40, 10, 0), (TRect{10, 20, 50, 30}));
    EXPECT_EQ(AlignTextRect(r, 40, 10, 4), (TRect{40, 40, 80, 50}));
    EXPECT_EQ(AlignTextRect(r, 40, 10, 8), (TRect{70, 60, 110, 70}));
    // Odd leftovers divide toward zero; a text wider than the box moves left of it.
    EXPECT_EQ(AlignTextRect(r, 41, 11, 4), (TRect{39, 39, 80, 50}));
    EXPECT_EQ(AlignTextRect(r, 121, 10, 3), (TRect{0, 20, 121, 30}));

    TteTextInfo t = MakeTextInfo(r, L"x", kDT_VCENTER | kDT_RTLREADING);
    uint8_t pos = 0;
    uint32_t format = TextFormatOf(t, pos);
    EXPECT_EQ(pos, 7); // left column becomes the right one
    EXPECT_EQ(format, kDT_RTLREADING);
    t = MakeTextInfo(r, L"x", kDT_CENTER | kDT_RTLREADING | kDT_SINGLELINE);
    format = TextFormatOf(t, pos);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(format, kDT_RTLREADING | kDT_SINGLELINE);
}

TEST(ThemeRecords, BuildersFillTheirFixedFields) {
    TteMenuGlyphInfo mark = MakeMenuMarkInfo(TRect{0, 0, 8, 8}, 1);
    EXPECT_EQ(mark.Bitmap, nullptr);
    EXPECT_EQ(mark.State, 4);
    EXPECT_EQ(mark.GlyphKind, 1);
    TteListCheckInfo check = MakeListBoxCheckInfo(TRect{}, 2);
    EXPECT_EQ(check.Kind, 4);
    EXPECT_EQ(check.State, 2);
    TteCheckBoxInfo cb = MakeCheckBoxInfo(TRect{}, 2, 1);
    EXPECT_EQ(cb.Check, 2);
    EXPECT_EQ(cb.State, 1);
    TteWindowInfo w = MakeWindowInfo(TRect{0, 0, 9, 9}, true, TRect{}, L"c", 0x1C02);
    EXPECT_EQ(w.Active, 1);
    EXPECT_EQ(w.Buttons, 0x1C02);
}

} // namespace
} // namespace dvr::skin
