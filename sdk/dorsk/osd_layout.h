// What the board reads to draw a channel's text lines, logo and masking areas:
// position limits, the layout of the text and logo areas in board memory and the
// words of the masking command. Portable.
#pragma once

#include "sdk/dorsk/picture_geometry.h"

#include <cstddef>
#include <cstdint>

namespace dvr::dorsk {

// A caller's text line: u16 x, u16 y, then 16-bit character codes ended by 0.
constexpr int kOsdLineX = 0;
constexpr int kOsdLineY = 1;
constexpr int kOsdLineCodes = 2;
// Codes the board takes per line; longer texts are cut.
constexpr int kMaxOsdCodes = 41;
// x, y, two attribute halves, the codes and their end.
constexpr size_t kTextAreaBytes = 8 + (kMaxOsdCodes + 1) * 2;

// The largest x and y a text line may start at.
struct OsdLimit {
    uint16_t x, y;
};
constexpr OsdLimit MaxTextPosition(int processor_type, int video_standard) {
    const bool pal = video_standard == kStandardPal;
    if (processor_type == 4) return pal ? OsdLimit{332, 278} : OsdLimit{300, 230};
    return pal ? OsdLimit{684, 556} : OsdLimit{620, 460};
}

// Clamps the line's position in the caller's record (compared as unsigned, so a
// negative position ends at the limit).
void ClampTextLine(uint16_t* line, OsdLimit limit);

// Writes one text area; a null line is an empty text at 0, 0. Returns the bytes
// written.
size_t WriteTextArea(uint8_t* area, const uint16_t* line, uint32_t attribute);

// The board draws the logo at x rounded down to 8.
constexpr int32_t kMaxLogoWidth = 128;
constexpr int32_t kMaxLogoHeight = 64;
constexpr size_t kLogoHeaderBytes = 8;

// Clamps a logo position so the logo lies inside the picture: 0 ... picture - size.
constexpr int32_t ClampLogoPosition(int32_t value, int32_t picture, int32_t size) {
    const int32_t limit = picture - size;
    return value < 0 ? 0 : value > limit ? limit : value;
}

// Writes the logo area: header, then width x height 16-bit pixels.
void WriteLogoArea(uint8_t* area, int32_t x, int32_t y, int32_t width, int32_t height,
                   const uint16_t* pixels);

// Up to two masking areas.
constexpr int kMaxMosaicAreas = 2;
struct MosaicWords {
    uint32_t words[4];
};
// Clamps the caller's areas in place, then packs them as size and position words;
// absent areas are zero. False when an area is disordered after clamping.
bool MakeMosaicWords(MotionArea* areas, int count, PictureSize picture, MosaicWords& out);

} // namespace dvr::dorsk
