// YUV 4:2:0 to RGB: 24-bit (bytes B, G, R), 16-bit 565 and 15-bit 555 pixels, rows packed.
#pragma once

#include <cstdint>

namespace dvr::decoder {

enum class RgbLayout { k555, k565, k24 };

// The layout of a RgbOutputFormat value: 555, 565, anything else 24-bit.
RgbLayout LayoutOf(int format);

// Converts the packed picture yuv (Y, then Cb, then Cr, width / 2 x height / 2 each)
// into rgb; with flip, picture row y goes to output row height - 1 - y. The 15-bit layout
// is always written top-down. Every level gives the same result (level 2 writes 24-bit
// rows with byte shuffles where the processor has them, level 1 with plain SSE2 stores).
void ConvertYuvToRgb(const uint8_t* yuv, uint8_t* rgb, int width, int height, RgbLayout layout,
                     bool flip, int level);

// The 24-bit conversion, bottom-up, as a bitmap file stores it.
void ConvertForSnapshot(const uint8_t* yuv, uint8_t* rgb, int width, int height);

// Converts an instance's output picture into its RGB buffer in RgbOutputFormat; 1, or 0
// for an unknown handle.
int TransYUVtoRGB(int handle);

} // namespace dvr::decoder
