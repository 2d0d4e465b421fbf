#include "sdk/dorsk/preview_format.h"

namespace dvr::dorsk {

uint32_t ScreenColorKey(uint32_t color, int bits_per_pixel) {
    uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    switch (bits_per_pixel) {
    case 15:
        return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
    case 16:
        return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    case 24:
    case 32:
        return r << 16 | g << 8 | b;
    default:
        return 0;
    }
}

PreviewWords MakePreviewWords(uint32_t bus_address, uint32_t pitch, int bits_per_pixel,
                              uint32_t format_code, const PreviewRect& rect) {
    PreviewWords w;
    w.address = bus_address + static_cast<uint32_t>(rect.top) * pitch +
                static_cast<uint32_t>(rect.left * bits_per_pixel / 8);
    w.pitchAndFormat = pitch << 16 | format_code;
    w.size = static_cast<uint32_t>(rect.right - rect.left) << 16 |
             static_cast<uint32_t>(rect.bottom - rect.top);
    return w;
}

} // namespace dvr::dorsk
