// Motion-compensated prediction: half-pel interpolation from a bordered plane, the
// chroma vectors derived from luma vectors, and the averaging of two predictions.
#pragma once

#include <cstdint>

namespace dvr::decoder {

// A plane addressed by its first picture pixel, with `border` readable pixels around
// the width x height picture (filled with the edge pixels).
struct PlaneView {
    const uint8_t* first;
    int stride, width, height, border;
};

// Writes the size x size (16 or 8) prediction of the block at (x, y) moved by the
// half-pel vector (mvx, mvy) to dst. rounding is vop_rounding_type (0 or 1). A vector
// reaching beyond the border is clamped to it, which gives the same pixels as an
// endless border would; no tap ever leaves the bordered plane.
void PredictBlock(const PlaneView& src, uint8_t* dst, int dst_stride, int size, int x, int y,
                  int mvx, int mvy, int rounding, int simd_level);

// dst = (dst + other) >> 1 over a size x size block: the average truncates.
void AverageBlock(uint8_t* dst, const uint8_t* other, int stride, int size, int simd_level);
// The same with a stride of its own for `other`.
void AverageBlock(uint8_t* dst, int dst_stride, const uint8_t* other, int other_stride, int size,
                  int simd_level);

// Chroma component of a one-vector macroblock's luma component: a quarter or
// three-quarter chroma position becomes the half position.
inline int ChromaVector(int v) {
    return (v & 3) ? (v | 2) >> 1 : v >> 1;
}

// Chroma component from the sum of the four luma block vectors of a macroblock.
inline int ChromaVectorOfSum(int sum) {
    static const int8_t kRound[16] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
    const int a = sum < 0 ? -sum : sum;
    const int c = kRound[a & 15] + 2 * (a >> 4);
    return sum < 0 ? -c : c;
}

} // namespace dvr::decoder
