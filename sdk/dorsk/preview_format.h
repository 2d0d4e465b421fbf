// Packing of the preview surface's colour key and of the preview command's words.
// Portable.
#pragma once

#include <cstdint>

namespace dvr::dorsk {

// Pixel-format codes the board understands for the preview surface.
constexpr uint32_t kPreviewFormatYuv = 64;
constexpr uint32_t kPreviewFormatRgb16 = 16;

// A 0x00BBGGRR colour in the screen's pixel layout at the given depth (0 for depths
// without a layout).
uint32_t ScreenColorKey(uint32_t color, int bits_per_pixel);

struct PreviewRect {
    int32_t left, top, right, bottom;
};

// Words 1 to 3 of the preview-on command for a rectangle of the surface.
struct PreviewWords {
    uint32_t address, pitchAndFormat, size;
};
PreviewWords MakePreviewWords(uint32_t bus_address, uint32_t pitch, int bits_per_pixel,
                              uint32_t format_code, const PreviewRect& rect);

} // namespace dvr::dorsk
