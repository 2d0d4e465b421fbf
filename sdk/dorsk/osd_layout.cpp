#include "sdk/dorsk/osd_layout.h"

#include <cstring>

namespace dvr::dorsk {
namespace {

void Put16(uint8_t* at, uint16_t value) {
    std::memcpy(at, &value, sizeof value);
}

} // namespace

void ClampTextLine(uint16_t* line, OsdLimit limit) {
    if (line[kOsdLineX] > limit.x) line[kOsdLineX] = limit.x;
    if (line[kOsdLineY] > limit.y) line[kOsdLineY] = limit.y;
}

size_t WriteTextArea(uint8_t* area, const uint16_t* line, uint32_t attribute) {
    Put16(area, line ? uint16_t(line[kOsdLineX] & ~7u) : 0);
    Put16(area + 2, line ? line[kOsdLineY] : 0);
    Put16(area + 4, uint16_t(attribute));
    Put16(area + 6, uint16_t(attribute >> 16));
    size_t at = 8;
    for (int i = 0; line && i < kMaxOsdCodes && line[kOsdLineCodes + i] != 0; ++i, at += 2)
        Put16(area + at, line[kOsdLineCodes + i]);
    Put16(area + at, 0);
    return at + 2;
}

void WriteLogoArea(uint8_t* area, int32_t x, int32_t y, int32_t width, int32_t height,
                   const uint16_t* pixels) {
    Put16(area, uint16_t(x & ~7));
    Put16(area + 2, uint16_t(y));
    Put16(area + 4, uint16_t(width));
    Put16(area + 6, uint16_t(height));
    std::memcpy(area + kLogoHeaderBytes, pixels, size_t(width) * size_t(height) * 2);
}

bool MakeMosaicWords(MotionArea* areas, int count, PictureSize picture, MosaicWords& out) {
    out = MosaicWords{};
    for (int i = 0; i < count; ++i)
        ClampToPicture(areas[i], picture);
    for (int i = 0; i < count; ++i) {
        const MotionArea& a = areas[i];
        if (!IsOrderedArea(a)) return false;
        out.words[i * 2] = uint32_t(a.right - a.left) << 16 | uint32_t(a.bottom - a.top);
        out.words[i * 2 + 1] = uint32_t(a.left) << 16 | uint32_t(a.top);
    }
    return true;
}

} // namespace dvr::dorsk
