// Deblocking and deringing of a decoded picture, and the luma brightness and contrast
// adjustments. All work in place on planes without borders; none touches the frame
// stores, so reference pictures stay unfiltered.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dvr::decoder {

// The six filters of a post-processing pass, applied in this order.
enum PostFilter : unsigned {
    kDeblockLumaH = 1u << 0,
    kDeblockLumaV = 1u << 1,
    kDeblockChromaH = 1u << 2,
    kDeblockChromaV = 1u << 3,
    kDeringLuma = 1u << 4,
    kDeringChroma = 1u << 5,
    kAllPostFilters = 63u,
};

// Filters a 4:2:0 picture (luma stride = width, chroma stride = width / 2) with one
// quantiser for the whole picture. `level` is the SIMD level: 1 selects the mean as the
// deringing threshold; every level otherwise gives the same result.
void PostProcess(uint8_t* y, uint8_t* cb, uint8_t* cr, int width, int height, int qp,
                 unsigned filters, int level);

// Across the vertical block edges (x = 8, 16, ...), in groups of four rows.
void DeblockHorizontal(uint8_t* plane, int stride, int width, int height, int qp, int level);
// Across the horizontal block edges (y = 8, 16, ...), in groups of eight columns.
void DeblockVertical(uint8_t* plane, int stride, int width, int height, int qp, int level);
// Every 8x8 block not in the outer ring of blocks, in raster order.
void Dering(uint8_t* plane, int stride, int width, int height, int qp, int level);

// Where the processor has AVX2, level 2 takes the AVX2 forms (same results); false keeps
// it to the SSE2 ones, so tests can check both. Not for use while filtering runs.
void AllowAvx2PostProcess(bool allow);

// Y + offset, clamped to 0..255.
void Brighten(uint8_t* luma, size_t count, int offset, int level);
// Y + (((Y - 128) * factor) >> 13), clamped to 0..255.
void Contrast(uint8_t* luma, size_t count, int factor, int level);

} // namespace dvr::decoder
