#include "player/lib/display_layout.h"

#include <algorithm>
#include <cstring>

#include "player/decoder/colour.h"

namespace dvr::strovid {

Rect LocalZoomSource(bool zoom, int x, int y, int width, int height, int pictureWidth,
                     int pictureHeight) {
    if (zoom)
        return {x, y, static_cast<int32_t>(std::min<int64_t>(int64_t{x} + width, kPictureWidth)),
                static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, kPictureHeight))};
    if (pictureWidth <= 0 || pictureHeight <= 0) return {0, 0, kPictureWidth, kPictureHeight};
    return {0, 0, pictureWidth, pictureHeight};
}

Rect DrawSource(int x, int y, int width, int height, int pictureWidth, int pictureHeight) {
    Rect r;
    r.left = std::max(x, 0);
    r.top = std::max(y, 0);
    r.right = width > 0 ? static_cast<int32_t>(std::min<int64_t>(int64_t{x} + width, INT32_MAX))
                        : pictureWidth;
    r.bottom = height > 0 ? static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, INT32_MAX))
                          : pictureHeight;
    return r;
}

Rect ClipToScreen(const Rect& r) {
    return {std::clamp(r.left, 0, kScreenWidth), std::clamp(r.top, 0, kScreenHeight),
            std::clamp(r.right, 0, kScreenWidth), std::clamp(r.bottom, 0, kScreenHeight)};
}

int ClampStep(int step) {
    return std::clamp(step, 1, 15);
}

uint32_t KeyPixel(uint32_t key) {
    const uint32_t r = key & 0xFF, g = (key >> 8) & 0xFF, b = (key >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

uint32_t OverlayKey(int rgbFormat, uint32_t pixel) {
    if (rgbFormat != 565) return pixel;
    const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
}

void Pack422(const uint8_t* yuv, int width, int height, uint8_t* dst, size_t pitch, bool uyvy) {
    const uint8_t* yPlane = yuv;
    const uint8_t* uPlane = yuv + static_cast<size_t>(width) * height;
    const uint8_t* vPlane = uPlane + static_cast<size_t>(width / 2) * (height / 2);
    for (int row = 0; row < height; ++row) {
        const uint8_t* y = yPlane + static_cast<size_t>(row) * width;
        const uint8_t* u = uPlane + static_cast<size_t>(row / 2) * (width / 2);
        const uint8_t* v = vPlane + static_cast<size_t>(row / 2) * (width / 2);
        uint8_t* out = dst + row * pitch;
        for (int i = 0; i < width / 2; ++i) {
            if (uyvy) {
                out[0] = u[i];
                out[1] = y[2 * i];
                out[2] = v[i];
                out[3] = y[2 * i + 1];
            } else {
                out[0] = y[2 * i];
                out[1] = u[i];
                out[2] = y[2 * i + 1];
                out[3] = v[i];
            }
            out += 4;
        }
    }
}

void CopyRgbRows(const uint8_t* rgb, int width, int height, int rgbFormat, uint8_t* dst,
                 size_t pitch) {
    const bool twoBytes = rgbFormat == 555 || rgbFormat == 565;
    const size_t rowBytes = static_cast<size_t>(width) * (twoBytes ? 2 : 3);
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = rgb + row * rowBytes;
        uint8_t* out = dst + row * pitch;
        if (rgbFormat != 8888) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (int i = 0; i < width; ++i) {
            out[4 * i] = in[3 * i];
            out[4 * i + 1] = in[3 * i + 1];
            out[4 * i + 2] = in[3 * i + 2];
            out[4 * i + 3] = 0;
        }
    }
}

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
    std::memcpy(&v[at], &x, 2);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    std::memcpy(&v[at], &x, 4);
}

} // namespace

std::vector<uint8_t> MakeBmpFile(const uint8_t* yuv, int width, int height) {
    if (!yuv || width <= 0 || height <= 0 ||
        int64_t{width} * height > int64_t{kPictureWidth} * kPictureHeight)
        return {};
    const uint32_t image = static_cast<uint32_t>(width) * height * 3;
    std::vector<uint8_t> file(54 + image, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, 54 + image);
    Put32(file, 10, 54);
    Put32(file, 14, 40);
    Put32(file, 18, static_cast<uint32_t>(width));
    Put32(file, 22, static_cast<uint32_t>(height));
    Put16(file, 26, 1);
    Put16(file, 28, 24);
    Put32(file, 34, image);
    decoder::ConvertForSnapshot(yuv, file.data() + 54, width, height);
    return file;
}

} // namespace dvr::strovid
