#include "player/lib/display_layout.h"

#include <cstring>

#include <gtest/gtest.h>

#include "player/decoder/colour.h"

namespace dvr::strovid {
namespace {

TEST(DisplayLayout, LocalZoomAndDrawingRectangles) {
    EXPECT_EQ(LocalZoomSource(true, 600, 500, 300, 300, 352, 288), (Rect{600, 500, 720, 576}));
    EXPECT_EQ(LocalZoomSource(true, 10, 20, 100, 50, 352, 288), (Rect{10, 20, 110, 70}));
    EXPECT_EQ(LocalZoomSource(false, 10, 20, 100, 50, 352, 288), (Rect{0, 0, 352, 288}));
    EXPECT_EQ(LocalZoomSource(false, 10, 20, 100, 50, 0, 0), (Rect{0, 0, 720, 576}));

    EXPECT_EQ(DrawSource(-5, -7, 0, 0, 352, 288), (Rect{0, 0, 352, 288}));
    EXPECT_EQ(DrawSource(16, 8, 100, 60, 352, 288), (Rect{16, 8, 116, 68}));
    EXPECT_EQ(DrawSource(0, 0, -1, 60, 704, 576), (Rect{0, 0, 704, 60}));

    EXPECT_EQ(ClipToScreen({-100, -20, 1500, 900}), (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(ClipToScreen({100, 20, 500, 400}), (Rect{100, 20, 500, 400}));
}

TEST(DisplayLayout, StepsAndColourKeys) {
    struct Case {
        int in, out;
    };
    for (Case c : {Case{20, 15}, Case{0, 1}, Case{-3, 1}, Case{8, 8}, Case{15, 15}})
        EXPECT_EQ(ClampStep(c.in), c.out) << c.in;

    EXPECT_EQ(KeyPixel(0x00112233), 0x00332211u);
    EXPECT_EQ(KeyPixel(0x000A0A0A), 0x000A0A0Au);
    // 565: red's top 5 bits, green's top 6, blue's top 5.
    EXPECT_EQ(OverlayKey(565, 0x00FF00FF), 0xF81Fu);
    EXPECT_EQ(OverlayKey(565, 0x0000FF00), 0x07E0u);
    EXPECT_EQ(OverlayKey(8888, 0x00FF00FF), 0x00FF00FFu);
    EXPECT_EQ(OverlayKey(555, 0x00123456), 0x00123456u);
}

TEST(DisplayLayout, PacksTwoLumaRowsPerChromaRow) {
    // 4 x 4 picture: Y = 10 * row + column, U = 100 + index, V = 200 + index.
    uint8_t yuv[16 + 4 + 4];
    for (int i = 0; i < 16; ++i)
        yuv[i] = static_cast<uint8_t>(10 * (i / 4) + i % 4);
    for (int i = 0; i < 4; ++i) {
        yuv[16 + i] = static_cast<uint8_t>(100 + i);
        yuv[20 + i] = static_cast<uint8_t>(200 + i);
    }
    const size_t pitch = 12; // wider than a row: the padding stays untouched
    uint8_t out[4 * 12];
    std::memset(out, 0xEE, sizeof out);
    Pack422(yuv, 4, 4, out, pitch, false);
    const uint8_t row1[8] = {10, 100, 11, 200, 12, 101, 13, 201};
    const uint8_t row2[8] = {20, 102, 21, 202, 22, 103, 23, 203};
    EXPECT_EQ(std::memcmp(out + pitch, row1, 8), 0);
    EXPECT_EQ(std::memcmp(out + 2 * pitch, row2, 8), 0);
    EXPECT_EQ(out[8], 0xEE);

    Pack422(yuv, 4, 4, out, pitch, true);
    const uint8_t uyvy3[8] = {102, 30, 202, 31, 103, 32, 203, 33};
    EXPECT_EQ(std::memcmp(out + 3 * pitch, uyvy3, 8), 0);
}

TEST(DisplayLayout, RgbRowsFollowTheSurfacePitch) {
    const uint8_t rgb24[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    uint8_t out[2 * 10];
    std::memset(out, 0xEE, sizeof out);
    CopyRgbRows(rgb24, 2, 2, 8888, out, 10);
    const uint8_t row1[8] = {7, 8, 9, 0, 10, 11, 12, 0};
    EXPECT_EQ(std::memcmp(out + 10, row1, 8), 0);
    EXPECT_EQ(out[8], 0xEE);

    std::memset(out, 0xEE, sizeof out);
    CopyRgbRows(rgb24, 2, 2, 565, out, 10); // two bytes a pixel: 4 bytes a row
    EXPECT_EQ(std::memcmp(out + 10, rgb24 + 4, 4), 0);
    EXPECT_EQ(out[4], 0xEE);
}

TEST(DisplayLayout, SnapshotFile) {
    const int w = 352, h = 288;
    std::vector<uint8_t> yuv(w * h * 3 / 2);
    for (size_t i = 0; i < yuv.size(); ++i)
        yuv[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> file = MakeBmpFile(yuv.data(), w, h);
    ASSERT_EQ(file.size(), 54u + 304128u);
    uint32_t v32;
    uint16_t v16;
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    std::memcpy(&v32, &file[2], 4);
    EXPECT_EQ(v32, 54u + 304128u);
    std::memcpy(&v32, &file[10], 4);
    EXPECT_EQ(v32, 54u);
    std::memcpy(&v32, &file[14], 4);
    EXPECT_EQ(v32, 40u);
    std::memcpy(&v32, &file[18], 4);
    EXPECT_EQ(v32, 352u);
    std::memcpy(&v32, &file[22], 4);
    EXPECT_EQ(v32, 288u);
    std::memcpy(&v16, &file[26], 2);
    EXPECT_EQ(v16, 1);
    std::memcpy(&v16, &file[28], 2);
    EXPECT_EQ(v16, 24);
    std::memcpy(&v32, &file[30], 4);
    EXPECT_EQ(v32, 0u);
    std::memcpy(&v32, &file[34], 4);
    EXPECT_EQ(v32, 304128u);
    std::vector<uint8_t> pixels(w * h * 3);
    decoder::ConvertForSnapshot(yuv.data(), pixels.data(), w, h);
    EXPECT_EQ(std::memcmp(file.data() + 54, pixels.data(), pixels.size()), 0);

    // Larger than the library's picture size, or empty: no file.
    std::vector<uint8_t> big(722 * 576 * 3 / 2);
    EXPECT_TRUE(MakeBmpFile(big.data(), 722, 576).empty());
    EXPECT_TRUE(MakeBmpFile(yuv.data(), 0, 288).empty());
    EXPECT_TRUE(MakeBmpFile(nullptr, 352, 288).empty());
    EXPECT_EQ(MakeBmpFile(big.data(), 720, 576).size(), 54u + 720u * 576u * 3u);
}

} // namespace
} // namespace dvr::strovid
