#include "sdk/dorsk/picture_convert.h"

#include <algorithm>
#include <cstring>

namespace dvr::dorsk {
namespace {

constexpr int kFractionBits = 20;
// YUV to RGB factors: 1.375, 0.34375, 0.703125, 1.734375.
constexpr int64_t kVToR = 1441792, kUToG = 360448, kVToG = 737280, kUToB = 1818624;
// RGB to YUV factors: 0.587, 0.114, 0.299, 0.5619, 0.7095.
constexpr int64_t kGToY = 615514, kBToY = 119538, kRToY = 313524, kCb = 589244, kCr = 743962;
constexpr int32_t kPixelsPerMetre = 3780;

uint8_t Clamp255(int64_t v) {
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

struct Rgb {
    uint8_t b, g, r;
};

} // namespace

PictureSize GrabPictureSize(uint32_t bytes) {
    static constexpr struct {
        uint32_t bytes;
        PictureSize size;
    } kSizes[] = {
        {38400, {160, 120}},  {50688, {176, 144}},  {153600, {320, 240}}, {199680, {416, 240}},
        {294912, {512, 288}}, {307200, {640, 240}}, {405504, {704, 288}}, {414720, {720, 288}},
        {614400, {640, 480}}, {811008, {704, 576}}, {829440, {720, 576}},
    };
    for (const auto& s : kSizes)
        if (s.bytes == bytes) return s.size;
    return {352, 288};
}

std::vector<uint8_t> YuvToBitmapFile(const uint8_t* yuv, int32_t width, int32_t height) {
    const size_t row_bytes = BitmapRowBytes(width);
    const size_t image = row_bytes * size_t(height);
    std::vector<uint8_t> file(kBitmapHeadersSize + image, 0);

    BitmapFileHeader fh{{'B', 'M'}, uint32_t(file.size()), 0, 0, kBitmapHeadersSize};
    BitmapInfoHeader ih{};
    ih.size = sizeof(BitmapInfoHeader);
    ih.width = width;
    ih.height = height;
    ih.planes = 1;
    ih.bitsPerPixel = 24;
    ih.imageSize = uint32_t(image);
    ih.xPixelsPerMetre = ih.yPixelsPerMetre = kPixelsPerMetre;
    std::memcpy(file.data(), &fh, sizeof fh);
    std::memcpy(file.data() + sizeof fh, &ih, sizeof ih);

    const int32_t cw = width / 2, ch = height / 2;
    const uint8_t* y_plane = yuv;
    const uint8_t* u_plane = yuv + size_t(width) * size_t(height);
    const uint8_t* v_plane = u_plane + size_t(cw) * size_t(ch);
    uint8_t* rows = file.data() + kBitmapHeadersSize;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = rows + size_t(height - 1 - y) * row_bytes;
        // An odd last row or column has no chroma of its own.
        const int32_t cy = std::min(y / 2, ch - 1);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t cx = std::min(x / 2, cw - 1);
            int64_t u = 0, v = 0;
            if (cx >= 0 && cy >= 0) {
                u = int64_t(u_plane[size_t(cy) * size_t(cw) + size_t(cx)]) - 128;
                v = int64_t(v_plane[size_t(cy) * size_t(cw) + size_t(cx)]) - 128;
            }
            const int64_t luma = int64_t(y_plane[size_t(y) * size_t(width) + size_t(x)])
                                 << kFractionBits;
            out[size_t(x) * 3 + 0] = Clamp255((luma + kUToB * u) >> kFractionBits);
            out[size_t(x) * 3 + 1] = Clamp255((luma - kUToG * u - kVToG * v) >> kFractionBits);
            out[size_t(x) * 3 + 2] = Clamp255((luma + kVToR * v) >> kFractionBits);
        }
    }
    return file;
}

PictureSize PaddedBitmapSize(int32_t width, int32_t height) {
    width += width & 1;
    height += height & 1;
    width = (width + 15) & ~15;
    return {width, height};
}

BitmapLoad BitmapFileToYuv(std::span<const uint8_t> file, uint8_t* out, size_t out_size,
                           PictureSize& padded) {
    if (file.size() < kBitmapHeadersSize) return BitmapLoad::NotBitmap24;
    BitmapFileHeader fh;
    BitmapInfoHeader ih;
    std::memcpy(&fh, file.data(), sizeof fh);
    std::memcpy(&ih, file.data() + sizeof fh, sizeof ih);
    // Only bottom-up pictures of a sane size: a header is read from any file.
    if (fh.magic[0] != 'B' || fh.magic[1] != 'M' || ih.bitsPerPixel != 24 || ih.width <= 0 ||
        ih.height <= 0 || ih.width > kMaxPictureSide || ih.height > kMaxPictureSide)
        return BitmapLoad::NotBitmap24;

    const int32_t width = ih.width, height = ih.height;
    padded = PaddedBitmapSize(width, height);
    const size_t pw = size_t(padded.width), ph = size_t(padded.height);
    if (out_size < 2 * pw * ph) return BitmapLoad::BufferTooSmall;
    const size_t row_bytes = BitmapRowBytes(width);
    if (fh.dataOffset < kBitmapHeadersSize || fh.dataOffset > file.size() ||
        (file.size() - fh.dataOffset) / row_bytes < size_t(height))
        return BitmapLoad::ReadFailed;

    // In file order (bottom-up). An added column first repeats the row's last pixel,
    // further ones are black; an added row repeats the last row read, which is the
    // picture's top row.
    std::vector<Rgb> rgb(pw * ph, Rgb{0, 0, 0});
    const uint8_t* rows = file.data() + fh.dataOffset;
    for (size_t r = 0; r < size_t(height); ++r) {
        Rgb* dst = &rgb[r * pw];
        std::memcpy(dst, rows + r * row_bytes, size_t(width) * 3);
        if (pw > size_t(width)) dst[width] = dst[width - 1];
    }
    if (ph > size_t(height)) std::copy_n(&rgb[(ph - 2) * pw], pw, &rgb[(ph - 1) * pw]);

    uint8_t* y_plane = out;
    uint8_t* u_plane = out + pw * ph;
    uint8_t* v_plane = u_plane + pw / 2 * ph;
    for (size_t row = 0; row < ph; ++row) {
        const Rgb* src = &rgb[(ph - 1 - row) * pw];
        for (size_t x = 0; x < pw; x += 2) {
            int64_t cb_sum = 0, cr_sum = 0;
            for (size_t k = 0; k < 2; ++k) {
                const Rgb p = src[x + k];
                const int64_t luma = ((kGToY * p.g) >> kFractionBits) +
                                     ((kBToY * p.b) >> kFractionBits) +
                                     ((kRToY * p.r) >> kFractionBits);
                y_plane[row * pw + x + k] = uint8_t(luma);
                cb_sum += (kCb * (p.b - luma)) >> kFractionBits;
                cr_sum += (kCr * (p.r - luma)) >> kFractionBits;
            }
            u_plane[row * (pw / 2) + x / 2] = uint8_t(cb_sum / 2 + 128);
            v_plane[row * (pw / 2) + x / 2] = uint8_t(cr_sum / 2 + 128);
        }
    }
    return BitmapLoad::Ok;
}

} // namespace dvr::dorsk
