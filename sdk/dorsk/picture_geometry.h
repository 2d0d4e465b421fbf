// Picture sizes of a channel and the rectangles callers give in picture pixels
// (detection areas and masking areas). Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dvr::dorsk {

constexpr int kStandardNtsc = 1;
constexpr int kStandardPal = 2;

struct PictureSize {
    int32_t width;
    int32_t height;
};

// The encoded picture of a channel, by its processor's type (4 or 1) and the stored
// video standard.
constexpr PictureSize ChannelPictureSize(int processor_type, int video_standard) {
    const bool pal = video_standard == kStandardPal;
    if (processor_type == 4) return pal ? PictureSize{352, 288} : PictureSize{320, 240};
    return pal ? PictureSize{704, 576} : PictureSize{640, 480};
}

// The largest picture any channel encodes.
constexpr PictureSize kLargestPicture{704, 576};

// left, top, right, bottom in picture pixels.
struct MotionArea {
    int32_t left, top, right, bottom;
};
static_assert(sizeof(MotionArea) == 16);
static_assert(offsetof(MotionArea, right) == 8);

constexpr bool IsOrderedArea(const MotionArea& a) {
    return a.right >= a.left && a.bottom >= a.top;
}

// Left and top to at least 0, right and bottom to at most the picture's size.
void ClampToPicture(MotionArea& area, PictureSize picture);

} // namespace dvr::dorsk
