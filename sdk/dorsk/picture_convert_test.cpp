#include "sdk/dorsk/picture_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace dvr::dorsk {
namespace {

struct Bgr {
    uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
};

// A 24-bit bitmap file image; pixel(x, y) with y from the top.
std::vector<uint8_t> BitmapFile(int32_t width, int32_t height, uint16_t bits,
                                Bgr (*pixel)(int32_t, int32_t)) {
    const size_t row = BitmapRowBytes(width);
    std::vector<uint8_t> file(kBitmapHeadersSize + row * size_t(height), 0);
    BitmapFileHeader fh{{'B', 'M'}, uint32_t(file.size()), 0, 0, kBitmapHeadersSize};
    BitmapInfoHeader ih{};
    ih.size = 40;
    ih.width = width;
    ih.height = height;
    ih.planes = 1;
    ih.bitsPerPixel = bits;
    std::memcpy(file.data(), &fh, sizeof fh);
    std::memcpy(file.data() + sizeof fh, &ih, sizeof ih);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            Bgr p = pixel(x, y);
            std::memcpy(&file[kBitmapHeadersSize + size_t(height - 1 - y) * row + size_t(x) * 3],
                        &p, 3);
        }
    return file;
}

Bgr PixelOf(const std::vector<uint8_t>& file, int32_t x, int32_t y) {
    BitmapInfoHeader ih;
    std::memcpy(&ih, file.data() + sizeof(BitmapFileHeader), sizeof ih);
    Bgr p;
    std::memcpy(&p,
                &file[kBitmapHeadersSize + size_t(ih.height - 1 - y) * BitmapRowBytes(ih.width) +
                      size_t(x) * 3],
                3);
    return p;
}

TEST(PictureConvert, GrabSizeComesFromTheByteCount) {
    struct Case {
        uint32_t bytes;
        int32_t width, height;
    };
    const Case cases[] = {{38400, 160, 120},  {50688, 176, 144},  {153600, 320, 240},
                          {199680, 416, 240}, {294912, 512, 288}, {307200, 640, 240},
                          {405504, 704, 288}, {414720, 720, 288}, {614400, 640, 480},
                          {811008, 704, 576}, {829440, 720, 576}, {202752, 352, 288},
                          {0, 352, 288},      {152064, 352, 288}};
    for (const Case& c : cases) {
        PictureSize s = GrabPictureSize(c.bytes);
        EXPECT_EQ(s.width, c.width) << c.bytes;
        EXPECT_EQ(s.height, c.height) << c.bytes;
    }
}

TEST(PictureConvert, SavedBitmapHasItsHeadersPaddedRowsAndBottomUpColours) {
    // 6 x 4: Y rises along each row; chroma per 2 x 2 block.
    const int32_t w = 6, h = 4;
    std::vector<uint8_t> yuv(size_t(w * h + 2 * (w / 2) * (h / 2)), 128);
    for (int32_t i = 0; i < w * h; ++i)
        yuv[size_t(i)] = 128;
    uint8_t* u = &yuv[size_t(w * h)];
    uint8_t* v = u + (w / 2) * (h / 2);
    // Block (0,0) reddish, block (2,1) saturated toward negative red.
    yuv[0] = yuv[1] = yuv[6] = yuv[7] = 81;
    u[0] = 90;
    v[0] = 240;
    yuv[4 * 1 + 2 * w + 0] = 16;
    u[1 * 3 + 2] = 128;
    v[1 * 3 + 2] = 0;

    std::vector<uint8_t> file = YuvToBitmapFile(yuv.data(), w, h);
    ASSERT_EQ(file.size(), 54u + 20 * 4); // rows of 18 bytes padded to 20
    BitmapFileHeader fh;
    BitmapInfoHeader ih;
    std::memcpy(&fh, file.data(), sizeof fh);
    std::memcpy(&ih, file.data() + 14, sizeof ih);
    EXPECT_EQ(std::string(fh.magic, 2), "BM");
    EXPECT_EQ(+fh.fileSize, uint32_t(file.size()));
    EXPECT_EQ(+fh.dataOffset, 54u);
    EXPECT_EQ(+ih.size, 40u);
    EXPECT_EQ(+ih.width, 6);
    EXPECT_EQ(+ih.height, 4); // bottom-up
    EXPECT_EQ(+ih.planes, 1);
    EXPECT_EQ(+ih.bitsPerPixel, 24);
    EXPECT_EQ(+ih.compression, 0u);
    EXPECT_EQ(+ih.imageSize, 80u);
    EXPECT_EQ(+ih.xPixelsPerMetre, 3780);
    EXPECT_EQ(+ih.yPixelsPerMetre, 3780);

    // Worked by hand from the factors: R = 81 + 154, G = 81 + 13.06 - 78.75,
    // B = 81 - 65.9 (rounded down).
    EXPECT_EQ(PixelOf(file, 0, 0), (Bgr{15, 15, 235}));
    EXPECT_EQ(PixelOf(file, 1, 1), (Bgr{15, 15, 235}));
    EXPECT_EQ(PixelOf(file, 2, 0), (Bgr{128, 128, 128}));
    // R = 16 - 176 limited to 0, G = 16 + 90.
    EXPECT_EQ(PixelOf(file, 4, 2), (Bgr{16, 106, 0}));
    for (int y = 0; y < h; ++y) // zero padding after each row
        EXPECT_EQ(file[54 + size_t(y) * 20 + 18] | file[54 + size_t(y) * 20 + 19], 0);
}

TEST(PictureConvert, OddSidesTakeTheirNeighboursChroma) {
    // 3 x 3: chroma planes of 1 x 1; the last row and column use it as well.
    const uint8_t yuv[9 + 2] = {81, 81, 81, 81, 81, 81, 81, 81, 81, 90, 240};
    std::vector<uint8_t> file = YuvToBitmapFile(yuv, 3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(file, x, y), (Bgr{15, 15, 235})) << x << "," << y;
    // A single pixel has no chroma at all: grey.
    const uint8_t one[1] = {77};
    EXPECT_EQ(PixelOf(YuvToBitmapFile(one, 1, 1), 0, 0), (Bgr{77, 77, 77}));
}

TEST(PictureConvert, LoadedBitmapIsPaddedAndConvertedPairByPair) {
    // 350 x 287: column 349 red, the rest white, except the top row, which is black.
    auto pixel = [](int32_t x, int32_t y) -> Bgr {
        if (y == 0) return {0, 0, 0};
        return x == 349 ? Bgr{0, 0, 255} : Bgr{255, 255, 255};
    };
    std::vector<uint8_t> file = BitmapFile(350, 287, 24, pixel);
    const size_t pw = 352, ph = 288;
    std::vector<uint8_t> out(2 * pw * ph + 1, 0xEE);
    PictureSize padded{};
    ASSERT_EQ(BitmapFileToYuv(file, out.data(), out.size(), padded), BitmapLoad::Ok);
    EXPECT_EQ(padded.width, 352);
    EXPECT_EQ(padded.height, 288);
    const uint8_t* y = out.data();
    const uint8_t* u = y + pw * ph;
    const uint8_t* v = u + pw / 2 * ph;
    // The added row repeats the last row read (the top one) above it.
    EXPECT_EQ(y[0], 0);
    EXPECT_EQ(y[pw], 0);
    EXPECT_EQ(y[2 * pw], 254); // white: each term rounded down on its own
    // Red: Y 76, Cb -43, Cr 127.
    const size_t row = 5 * pw;
    EXPECT_EQ(y[row + 349], 76);
    EXPECT_EQ(y[row + 350], 76); // first added column repeats the last pixel
    EXPECT_EQ(y[row + 351], 0);  // further ones are black
    // Pair 348/349 is white and red: (0 + -43) / 2 toward zero.
    EXPECT_EQ(u[5 * pw / 2 + 174], 128 - 21);
    EXPECT_EQ(v[5 * pw / 2 + 174], 128 + 63);
    // Pair 350/351 is red and black.
    EXPECT_EQ(u[5 * pw / 2 + 175], 128 - 21);
    EXPECT_EQ(v[5 * pw / 2 + 175], 128 + 63);
    EXPECT_EQ(u[5 * pw / 2], 128);
    EXPECT_EQ(out.back(), 0xEE);
}

TEST(PictureConvert, LoadRefusesWhatIsNotAWholeBottomUp24BitBitmap) {
    auto grey = [](int32_t, int32_t) { return Bgr{9, 9, 9}; };
    std::vector<uint8_t> good = BitmapFile(16, 8, 24, grey);
    std::vector<uint8_t> out(2 * 16 * 8);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        size_t out_size;
        BitmapLoad result;
    };
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> f = good;
        std::memcpy(&f[at], bytes.data(), bytes.size());
        return f;
    };
    const Case cases[] = {
        {"whole", good, out.size(), BitmapLoad::Ok},
        {"32 bits per pixel", BitmapFile(16, 8, 32, grey), out.size(), BitmapLoad::NotBitmap24},
        {"not BM", patched(0, {'B', 'A'}), out.size(), BitmapLoad::NotBitmap24},
        {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 53), out.size(),
         BitmapLoad::NotBitmap24},
        {"top-down height", patched(22, {0xF8, 0xFF, 0xFF, 0xFF}), out.size(),
         BitmapLoad::NotBitmap24},
        {"zero width", patched(18, {0, 0, 0, 0}), out.size(), BitmapLoad::NotBitmap24},
        {"huge width", patched(18, {0, 0, 0, 0x40}), out.size(), BitmapLoad::NotBitmap24},
        {"rows cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), out.size(),
         BitmapLoad::ReadFailed},
        {"data offset past the end", patched(10, {0, 0, 1, 0}), out.size(), BitmapLoad::ReadFailed},
        {"buffer one byte short", good, out.size() - 1, BitmapLoad::BufferTooSmall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureSize padded{};
        EXPECT_EQ(BitmapFileToYuv(c.file, out.data(), c.out_size, padded), c.result);
    }
}

TEST(PictureConvert, PaddedSizes) {
    struct Case {
        int32_t w, h, pw, ph;
    };
    const Case cases[] = {{350, 287, 352, 288}, {352, 288, 352, 288}, {1, 1, 16, 2},
                          {17, 4, 32, 4},       {15, 3, 16, 4},       {704, 576, 704, 576}};
    for (const Case& c : cases) {
        PictureSize p = PaddedBitmapSize(c.w, c.h);
        EXPECT_EQ(p.width, c.pw) << c.w;
        EXPECT_EQ(p.height, c.ph) << c.h;
    }
}

} // namespace
} // namespace dvr::dorsk
