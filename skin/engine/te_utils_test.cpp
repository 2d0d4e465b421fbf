#include "skin/engine/te_utils.h"

#include "framework/exceptions.h"

#include <gtest/gtest.h>

#include <cstring>

namespace dvr::skin {
namespace {

TEST(Tokens, ReadTokenAndReadUntil) {
    std::string s = "abc = def", t;
    ReadToken(s, t);
    EXPECT_EQ(t, "abc");
    EXPECT_EQ(s, "= def");
    ReadToken(s, t);
    EXPECT_EQ(t, "");
    EXPECT_EQ(s, "def");
    s = " Tahoma , 8";
    ReadUntil(s, ";,", t);
    EXPECT_EQ(t, "Tahoma");
    EXPECT_EQ(s, "8");
    s = "Times New Roman;9";
    ReadUntil(s, ";,", t);
    EXPECT_EQ(t, "Times New Roman");
    ReadUntil(s, ";,", t);
    EXPECT_EQ(t, "9");
    EXPECT_EQ(s, "");
}

TEST(Strings, LengthPrefixed) {
    fw::TMemoryStream m;
    WriteString(m, "");
    WriteString(m, "ab");
    ASSERT_EQ(m.Bytes().size(), 4u + 4u + 2u);
    EXPECT_EQ(std::memcmp(m.Bytes().data(), "\0\0\0\0\2\0\0\0ab", 10), 0);
    m.SetPosition(0);
    std::string s = "x";
    ReadString(m, s);
    EXPECT_EQ(s, "");
    ReadString(m, s);
    EXPECT_EQ(s, "ab");
    EXPECT_THROW(ReadString(m, s), fw::EReadError);
    // Counts the stream cannot hold are refused, not allocated.
    for (int32_t bad : {-1, 1000}) {
        fw::TMemoryStream c;
        c.WriteBuffer(&bad, 4);
        c.WriteBuffer("abc", 3);
        c.SetPosition(0);
        EXPECT_THROW(ReadString(c, s), fw::EReadError) << bad;
    }
}

TEST(Rects, Arithmetic) {
    TRect r{0, 0, 4, 6};
    EXPECT_EQ(CenterRect(r, {10, 10, 21, 20}), (TRect{13, 12, 17, 18}));
    EXPECT_EQ(r, (TRect{13, 12, 17, 18}));
    TRect v{5, 5, 9, 11};
    EXPECT_EQ(CenterRectVertically(v, {10, 10, 21, 21}), (TRect{10, 12, 14, 18}));
    EXPECT_EQ(InflatedRect({1, 1, 3, 3}, 2), (TRect{-1, -1, 5, 5}));
    EXPECT_TRUE(RectIsEmpty({0, 0, 0, 5}));
    EXPECT_FALSE(RectIsEmpty({0, 0, 1, 1}));
    EXPECT_TRUE(SameRect({1, 2, 3, 4}, {1, 2, 3, 4}));
}

TEST(Regions, RunsOfOpaquePixels) {
    TteBitmap b;
    b.SetSize(8, 4);
    b.FillColor(KeyColor | 0xFF000000); // key colour whatever the alpha
    for (int x = 3; x < 6; ++x)
        b.SetPixel(x, 2, 0xFF000000);
    auto data = CreateRegionData(b, 10, 20);
    ASSERT_EQ(data.size(), 48u);
    int32_t v[12];
    std::memcpy(v, data.data(), 48);
    EXPECT_EQ(v[0], 32);
    EXPECT_EQ(v[1], 1);
    EXPECT_EQ(v[2], 1);
    EXPECT_EQ(v[6], 8);
    EXPECT_EQ(v[7], 4);
    EXPECT_EQ(v[8], 13);
    EXPECT_EQ(v[9], 22);
    EXPECT_EQ(v[10], 16);
    EXPECT_EQ(v[11], 23);
    // More runs than the old fixed table held (every other pixel of a wide picture).
    TteBitmap many;
    many.SetSize(2000, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 2000; x += 2)
            many.SetPixel(x, y, KeyColor);
    EXPECT_EQ(CreateRegionData(many, 0, 0).size(), 32u + 6000u * 16u);
    TteBitmap empty;
    EXPECT_TRUE(CreateRegionData(empty, 0, 0).empty());
}

TEST(Keyboard, RepeatTimings) {
    EXPECT_EQ(KeyboardDelayMsFor(0), 200);
    EXPECT_EQ(KeyboardDelayMsFor(3), 800);
    EXPECT_EQ(KeyboardRepeatMsFor(0), 435);
    EXPECT_EQ(KeyboardRepeatMsFor(31), 14);
}

} // namespace
} // namespace dvr::skin
