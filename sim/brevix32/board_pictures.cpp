#include "sim/brevix32/board_pictures.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

struct Yuv {
    uint8_t y, u, v;
};

Yuv ToYuv(uint32_t rgb) {
    int r = int(rgb >> 16 & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb & 0xFF);
    auto clip = [](int v) { return uint8_t(std::clamp(v, 0, 255)); };
    return {clip((66 * r + 129 * g + 25 * b + 128) / 256 + 16),
            clip((-38 * r - 74 * g + 112 * b + 128) / 256 + 128),
            clip((112 * r - 94 * g - 18 * b + 128) / 256 + 128)};
}

uint16_t ToRgb565(uint32_t rgb) {
    return uint16_t((rgb >> 19 & 0x1F) << 11 | (rgb >> 10 & 0x3F) << 5 | (rgb >> 3 & 0x1F));
}

} // namespace

PictureSize PictureSizeFor(int processorType, int videoStandard) {
    bool pal = videoStandard == 2;
    if (processorType == 1) return pal ? PictureSize{704, 576} : PictureSize{640, 480};
    return pal ? PictureSize{352, 288} : PictureSize{320, 240};
}

std::vector<uint8_t> MakeMotionRecord(PictureSize size, uint32_t sequence,
                                      const std::vector<uint16_t>& raised) {
    int cols = size.width / 16, rows = size.height / 16;
    std::vector<uint8_t> rec(16 + size_t(cols * rows) * 2, 0);
    int32_t head[4] = {int32_t(sequence), cols, rows, 0};
    std::memcpy(rec.data(), head, sizeof head);
    for (int i = 0; i < cols * rows; ++i) {
        // Low background activity that changes from record to record.
        uint32_t v = (uint32_t(i) * 7 + sequence * 13) % 16;
        if (size_t(i) < raised.size()) v += raised[size_t(i)];
        uint16_t w = uint16_t(std::min<uint32_t>(v, 0xFFFF));
        std::memcpy(&rec[16 + size_t(i) * 2], &w, 2);
    }
    return rec;
}

std::vector<uint8_t> MakeGrabPicture(PictureSize size, int sub, uint32_t counter) {
    size_t luma = size_t(size.width) * size_t(size.height);
    std::vector<uint8_t> pic(luma + luma / 2);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            pic[size_t(y) * size_t(size.width) + size_t(x)] = uint8_t(x + y + counter);
    Yuv c = ToYuv(PreviewColour(sub));
    std::fill(pic.begin() + long(luma), pic.begin() + long(luma + luma / 4), c.u);
    std::fill(pic.begin() + long(luma + luma / 4), pic.end(), c.v);
    return pic;
}

uint32_t PreviewColour(int sub) {
    static const uint32_t kColours[] = {0xE02020, 0x20C020, 0x2040E0, 0xE0E020};
    return kColours[unsigned(sub) % 4];
}

bool PaintPreview(uint8_t* first, uint32_t pitch, uint32_t format, int width, int height, int sub,
                  uint32_t counter) {
    if (format != kPreviewUyvy && format != kPreviewRgb565) return false;
    const uint32_t fill = PreviewColour(sub);
    const int cell = std::max(1, width / 32);
    const int barLines = std::min(8, height);
    auto colourAt = [&](int x, int y) -> uint32_t {
        if (y < barLines && x / cell < 32) return (counter >> (x / cell) & 1) ? 0xFFFFFF : 0x000000;
        return fill;
    };
    for (int y = 0; y < height; ++y) {
        uint8_t* row = first + size_t(y) * pitch;
        if (format == kPreviewRgb565) {
            for (int x = 0; x < width; ++x) {
                uint16_t p = ToRgb565(colourAt(x, y));
                std::memcpy(row + 2 * x, &p, 2);
            }
        } else {
            // UYVY: one U and V per pixel pair, taken from the pair's first pixel.
            for (int x = 0; x + 1 < width; x += 2) {
                Yuv a = ToYuv(colourAt(x, y)), b = ToYuv(colourAt(x + 1, y));
                uint8_t* p = row + 2 * x;
                p[0] = a.u;
                p[1] = a.y;
                p[2] = a.v;
                p[3] = b.y;
            }
        }
    }
    return true;
}

} // namespace sim
