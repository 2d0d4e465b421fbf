#include "player/decoder/colour.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"

namespace dvr::decoder {
namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::ifstream f(dvr::testing::TestDataPath(name), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

int BytesPer(RgbLayout layout) {
    return layout == RgbLayout::k24 ? 3 : 2;
}

// A picture of one colour, wide enough for the SIMD forms and a plain remainder.
std::vector<uint8_t> Uniform(int width, int height, uint8_t y, uint8_t cb, uint8_t cr) {
    std::vector<uint8_t> p(size_t(width) * height, y);
    p.insert(p.end(), size_t(width / 2) * (height / 2), cb);
    p.insert(p.end(), size_t(width / 2) * (height / 2), cr);
    return p;
}

struct ColourCase {
    const char* what;
    uint8_t y, cb, cr;
    RgbLayout layout;
    uint8_t pixel[3]; // bytes of one pixel (words little-endian)
};

TEST(ColourConversion, ConvertsColoursAtEveryLevel) {
    const ColourCase cases[] = {
        {"grey in 24-bit", 77, 128, 128, RgbLayout::k24, {77, 77, 77}},
        {"grey in 565", 77, 128, 128, RgbLayout::k565, {0x69, 0x4A}},
        {"grey in 555", 77, 128, 128, RgbLayout::k555, {0x29, 0x25}},
        // B, G, R: Cr raises red, lowers green by 0.703 V.
        {"strong Cr in 24-bit", 128, 128, 228, RgbLayout::k24, {128, 58, 255}},
        {"strong Cr in 565", 128, 128, 228, RgbLayout::k565, {0xD0, 0xF9}},
        {"strong Cr in 555", 128, 128, 228, RgbLayout::k555, {0xF0, 0x7C}},
        // Cb raises blue by 1.734 U and lowers green by 0.344 U.
        {"strong Cb in 24-bit", 128, 228, 128, RgbLayout::k24, {255, 94, 128}},
        {"strong Cb in 565", 128, 228, 128, RgbLayout::k565, {0xFF, 0x82}},
        // Each term rounds towards minus infinity before the clamp.
        {"negative terms round down", 0, 127, 128, RgbLayout::k24, {0, 1, 0}},
        {"white stays white", 255, 128, 128, RgbLayout::k565, {0xFF, 0xFF}},
        {"bit 15 of 555 stays clear", 255, 128, 128, RgbLayout::k555, {0xFF, 0x7F}},
        {"black stays black", 0, 128, 128, RgbLayout::k555, {0x00, 0x00}},
    };
    for (const ColourCase& c : cases) {
        for (int level = 0; level <= 2; ++level) {
            SCOPED_TRACE(::testing::Message() << c.what << ", level " << level);
            const int w = 36, h = 4;
            const std::vector<uint8_t> yuv = Uniform(w, h, c.y, c.cb, c.cr);
            const int bpp = BytesPer(c.layout);
            std::vector<uint8_t> rgb(size_t(w) * h * bpp, 0xA5);
            ConvertYuvToRgb(yuv.data(), rgb.data(), w, h, c.layout, false, level);
            for (int i = 0; i < w * h; ++i)
                ASSERT_EQ(0, std::memcmp(&rgb[size_t(i) * bpp], c.pixel, bpp)) << "pixel " << i;
        }
    }
}

// A real picture in every layout, with and without flip, at every level, against the
// results worked out independently; two sizes, one of them not a multiple of 16 wide.
TEST(ColourConversion, MatchesTheWorkedResults) {
    struct Picture {
        const char* name;
        int width, height;
    };
    const Picture pictures[] = {{"cif", 176, 144}, {"odd", 104, 72}};
    const struct {
        RgbLayout layout;
        const char* name;
    } layouts[] = {{RgbLayout::k24, "24"}, {RgbLayout::k565, "565"}, {RgbLayout::k555, "555"}};
    for (const Picture& p : pictures) {
        const std::vector<uint8_t> yuv = ReadFile(std::string("post_") + p.name + ".yuv");
        ASSERT_EQ(yuv.size(), size_t(p.width) * p.height * 3 / 2) << p.name;
        for (const auto& l : layouts)
            for (bool flip : {false, true})
                for (int level = 0; level <= 2; ++level) {
                    SCOPED_TRACE(::testing::Message()
                                 << p.name << " " << l.name << (flip ? " flip" : "") << " level "
                                 << level);
                    const std::vector<uint8_t> want =
                        ReadFile(std::string("post_") + p.name + "_" + l.name +
                                 (flip ? "_flip" : "") + ".rgb");
                    std::vector<uint8_t> got(size_t(p.width) * p.height * BytesPer(l.layout));
                    ConvertYuvToRgb(yuv.data(), got.data(), p.width, p.height, l.layout, flip,
                                    level);
                    EXPECT_TRUE(got == want);
                }
    }
}

// Snapshots are the 24-bit conversion written bottom-up, as a bitmap file holds it.
TEST(ColourConversion, SnapshotIsTheBottomUp24BitPicture) {
    const std::vector<uint8_t> yuv = ReadFile("post_cif.yuv");
    ASSERT_EQ(yuv.size(), size_t(176) * 144 * 3 / 2);
    std::vector<uint8_t> got(size_t(176) * 144 * 3);
    ConvertForSnapshot(yuv.data(), got.data(), 176, 144);
    EXPECT_TRUE(got == ReadFile("post_cif_24_flip.rgb"));
}

// The chroma of each row pair comes from its own chroma row: a picture red in its lower
// half converts red in its lower half, and upside down with flip.
TEST(ColourConversion, ChromaRowsFollowThePicture) {
    const int w = 48, h = 32;
    std::vector<uint8_t> yuv = Uniform(w, h, 100, 128, 128);
    uint8_t* cr = yuv.data() + w * h + (w / 2) * (h / 2);
    std::memset(cr + (w / 2) * (h / 4), 240, (w / 2) * (h / 4));
    for (bool flip : {false, true}) {
        std::vector<uint8_t> rgb(size_t(w) * h * 3);
        ConvertYuvToRgb(yuv.data(), rgb.data(), w, h, RgbLayout::k24, flip, 2);
        for (int row = 0; row < h; ++row) {
            const bool red = (row >= h / 2) != flip;
            EXPECT_EQ(rgb[size_t(row) * w * 3 + 2], red ? 254 : 100) << "row " << row;
        }
    }
}

// Odd sizes convert the full 2 x 2 blocks and never touch memory beyond the picture.
TEST(ColourConversion, OddSizesStayInside) {
    const int sizes[][2] = {{1, 1}, {3, 3}, {17, 5}, {33, 2}};
    for (const auto& s : sizes)
        for (int level = 0; level <= 2; ++level) {
            const int w = s[0], h = s[1];
            std::vector<uint8_t> yuv(size_t(w) * h + 2 * size_t(w / 2) * (h / 2), 128);
            std::vector<uint8_t> rgb(size_t(w) * h * 3, 0);
            ConvertYuvToRgb(yuv.data(), rgb.data(), w, h, RgbLayout::k24, true, level);
            // Picture row 0 lands on the last output row.
            if (w >= 2 && h >= 2) {
                EXPECT_EQ(rgb[size_t(h - 1) * w * 3], 128);
            }
        }
}

// The instance call: library-wide format, per-instance flip, current picture size.
TEST(ColourConversion, TransYUVtoRGBUsesTheFormatAndFlip) {
    uint8_t *input, *rgb;
    const int handle = InitDecoder(&input, &rgb, 64, 32);
    ASSERT_NE(handle, 0);
    DecoderInstance& d = *InstanceOf(handle);
    const std::vector<uint8_t> yuv = Uniform(64, 32, 90, 100, 200);
    std::memcpy(d.yuv.get(), yuv.data(), yuv.size());
    d.yuv[0] = 10; // one dark pixel at the top left
    const int saved = RgbOutputFormat;

    const struct {
        int format, flip;
        size_t dark_at; // byte offset of the dark pixel
        int bpp;
        RgbLayout layout;
    } cases[] = {
        {888, 0, 0, 3, RgbLayout::k24},
        {8888, 1, size_t(31) * 64 * 3, 3, RgbLayout::k24},
        {565, 1, size_t(31) * 64 * 2, 2, RgbLayout::k565},
        {555, 1, 0, 2, RgbLayout::k555}, // 15-bit is always top-down
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.format << " flip " << c.flip);
        ASSERT_EQ(SetVideoFormat(c.format), 1);
        ASSERT_EQ(SetFlip(handle, c.flip), 1);
        std::memset(rgb, 0, 64 * 32 * 3);
        ASSERT_EQ(TransYUVtoRGB(handle), 1);
        std::vector<uint8_t> dark(yuv);
        dark[0] = 10;
        std::vector<uint8_t> want(64 * 32 * 3, 0);
        ConvertYuvToRgb(dark.data(), want.data(), 64, 32, c.layout, c.flip != 0, 0);
        EXPECT_EQ(0, std::memcmp(rgb, want.data(), 64 * 32 * c.bpp));
        EXPECT_NE(0, std::memcmp(rgb + c.dark_at, rgb + c.dark_at + c.bpp, c.bpp));
    }
    EXPECT_EQ(SetVideoFormat(24), 0);
    EXPECT_EQ(RgbOutputFormat, 555);
    RgbOutputFormat = saved;
    EXPECT_EQ(TransYUVtoRGB(handle + 1), 0);
    FreeDecoder(handle);
}

} // namespace
} // namespace dvr::decoder
