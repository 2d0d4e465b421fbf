// The two 8x8 inverse transforms. Both work in place on 64 coefficients in raster
// order and are not bit-identical: each decoder keeps to the one its level selects.
#pragma once

#include <cstdint>

namespace dvr::decoder {

// Separable integer Chen-Wang transform; outputs clamped to -256..255.
void IdctChenWang(int16_t* block);

// Fixed-point row/column transform with 16-bit saturating column arithmetic (SSE2).
// Only available where SSE2 is; see HaveAp922.
void IdctAp922(int16_t* block);
bool HaveAp922();
// Where the processor has AVX2 the SSE2 transform takes two rows at once (same output);
// false keeps it to SSE2, so tests can compare the two.
void AllowAvx2Idct(bool allow);

// Row-pass weight of the SSE2 transform for input k and output n of row `row` (0..7):
// 16384 * s * sqrt(2) * cos(k (2n + 1) pi / 16), or 16384 * s for k = 0, where the row
// scale s = sqrt(2) cos(g pi / 16) with g = 4, 1, 2, 3, 4, 3, 2, 1 for rows 0..7.
int16_t Ap922Weight(int row, int k, int n);

// The transform of a block whose only nonzero coefficient is the DC `dc`: each output row
// is one value repeated, rows[r] for row r. Equal to Idct of that block at the same level.
void IdctDcRows(int16_t dc, int simd_level, int16_t rows[8]);

// The transform of a SIMD level: 2 selects the SSE2 one, 0 and 1 Chen-Wang.
inline void Idct(int16_t* block, int simd_level) {
    if (simd_level >= 2)
        IdctAp922(block);
    else
        IdctChenWang(block);
}

} // namespace dvr::decoder
