#include "player/decoder/motion.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace dvr::decoder {
namespace {

// One routine per (variant, rounding, size), so that the inner loops do not branch.
using Kernel = void (*)(const uint8_t* s, int ss, uint8_t* d, int ds);

template <int S> void CopyPlain(const uint8_t* s, int ss, uint8_t* d, int ds) {
    for (int y = 0; y < S; ++y, s += ss, d += ds)
        std::memcpy(d, s, S);
}

template <int S, int R> void HorizontalPlain(const uint8_t* s, int ss, uint8_t* d, int ds) {
    for (int y = 0; y < S; ++y, s += ss, d += ds)
        for (int x = 0; x < S; ++x)
            d[x] = static_cast<uint8_t>((s[x] + s[x + 1] + 1 - R) >> 1);
}

template <int S, int R> void VerticalPlain(const uint8_t* s, int ss, uint8_t* d, int ds) {
    for (int y = 0; y < S; ++y, s += ss, d += ds)
        for (int x = 0; x < S; ++x)
            d[x] = static_cast<uint8_t>((s[x] + s[x + ss] + 1 - R) >> 1);
}

template <int S, int R> void DiagonalPlain(const uint8_t* s, int ss, uint8_t* d, int ds) {
    for (int y = 0; y < S; ++y, s += ss, d += ds)
        for (int x = 0; x < S; ++x)
            d[x] = static_cast<uint8_t>((s[x] + s[x + 1] + s[x + ss] + s[x + ss + 1] + 2 - R) >> 2);
}

// [size 16, 8][rounding][variant: copy, horizontal, vertical, diagonal]
const Kernel kPlain[2][2][4] = {
    {{CopyPlain<16>, HorizontalPlain<16, 0>, VerticalPlain<16, 0>, DiagonalPlain<16, 0>},
     {CopyPlain<16>, HorizontalPlain<16, 1>, VerticalPlain<16, 1>, DiagonalPlain<16, 1>}},
    {{CopyPlain<8>, HorizontalPlain<8, 0>, VerticalPlain<8, 0>, DiagonalPlain<8, 0>},
     {CopyPlain<8>, HorizontalPlain<8, 1>, VerticalPlain<8, 1>, DiagonalPlain<8, 1>}},
};

void AveragePlain(uint8_t* d, int ds, const uint8_t* o, int os, int size) {
    for (int y = 0; y < size; ++y, d += ds, o += os)
        for (int x = 0; x < size; ++x)
            d[x] = static_cast<uint8_t>((d[x] + o[x]) >> 1);
}

#if defined(__SSE2__)
// Eight pixels widened to 16 bits.
inline __m128i Load8(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                             _mm_setzero_si128());
}
inline void Store8(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(v, v));
}

template <int S> void CopySse2(const uint8_t* s, int ss, uint8_t* d, int ds) {
    for (int y = 0; y < S; ++y, s += ss, d += ds) {
        if constexpr (S == 16)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
        else
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d),
                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)));
    }
}

// (a + b) >> 1 on bytes: pavgb rounds up, so the odd sums give their half back.
inline __m128i FloorAverage(__m128i a, __m128i b) {
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

// (a + b + 1 - R) >> 1 on bytes.
template <int R> inline __m128i PairAverage(__m128i a, __m128i b) {
    if constexpr (R == 0)
        return _mm_avg_epu8(a, b);
    else
        return FloorAverage(a, b);
}

// Two neighbours (s and s + step) averaged, rounding up unless R; whole rows at a time.
template <int S, int R> void PairSse2(const uint8_t* s, int ss, int step, uint8_t* d, int ds) {
    for (int y = 0; y < S; ++y, s += ss, d += ds) {
        if constexpr (S == 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + step));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), PairAverage<R>(a, b));
        } else {
            const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
            const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + step));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), PairAverage<R>(a, b));
        }
    }
}
template <int S, int R> void HorizontalSse2(const uint8_t* s, int ss, uint8_t* d, int ds) {
    PairSse2<S, R>(s, ss, 1, d, ds);
}
template <int S, int R> void VerticalSse2(const uint8_t* s, int ss, uint8_t* d, int ds) {
    PairSse2<S, R>(s, ss, ss, d, ds);
}

template <int S, int R> void DiagonalSse2(const uint8_t* s, int ss, uint8_t* d, int ds) {
    const __m128i k = _mm_set1_epi16(2 - R);
    for (int x = 0; x < S; x += 8) {
        // The horizontal sums of one source row serve two output rows.
        __m128i above = _mm_add_epi16(Load8(s + x), Load8(s + x + 1));
        const uint8_t* row = s + x;
        uint8_t* out = d + x;
        for (int y = 0; y < S; ++y, out += ds) {
            row += ss;
            __m128i below = _mm_add_epi16(Load8(row), Load8(row + 1));
            Store8(out, _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(above, below), k), 2));
            above = below;
        }
    }
}

const Kernel kSse2[2][2][4] = {
    {{CopySse2<16>, HorizontalSse2<16, 0>, VerticalSse2<16, 0>, DiagonalSse2<16, 0>},
     {CopySse2<16>, HorizontalSse2<16, 1>, VerticalSse2<16, 1>, DiagonalSse2<16, 1>}},
    {{CopySse2<8>, HorizontalSse2<8, 0>, VerticalSse2<8, 0>, DiagonalSse2<8, 0>},
     {CopySse2<8>, HorizontalSse2<8, 1>, VerticalSse2<8, 1>, DiagonalSse2<8, 1>}},
};

// Set during static initialisation, possibly before the runtime's own processor probe has
// run: probe first.
const bool kHaveAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));

// Sixteen pixels of a row widened to 16 bits.
__attribute__((target("avx2"))) inline __m256i Load16Avx2(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// DiagonalSse2 on whole 16-pixel rows.
template <int R>
__attribute__((target("avx2"))) void Diagonal16Avx2(const uint8_t* s, int ss, uint8_t* d, int ds) {
    const __m256i k = _mm256_set1_epi16(2 - R);
    __m256i above = _mm256_add_epi16(Load16Avx2(s), Load16Avx2(s + 1));
    for (int y = 0; y < 16; ++y, d += ds) {
        s += ss;
        const __m256i below = _mm256_add_epi16(Load16Avx2(s), Load16Avx2(s + 1));
        const __m256i sum =
            _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(above, below), k), 2);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(packed));
        above = below;
    }
}

template <int S> void AverageSse2(uint8_t* d, int ds, const uint8_t* o, int os) {
    for (int y = 0; y < S; ++y, d += ds, o += os) {
        __m128i* dv = reinterpret_cast<__m128i*>(d);
        const __m128i* ov = reinterpret_cast<const __m128i*>(o);
        if constexpr (S == 16)
            _mm_storeu_si128(dv, FloorAverage(_mm_loadu_si128(dv), _mm_loadu_si128(ov)));
        else
            _mm_storel_epi64(dv, FloorAverage(_mm_loadl_epi64(dv), _mm_loadl_epi64(ov)));
    }
}
#endif

} // namespace

void PredictBlock(const PlaneView& src, uint8_t* dst, int dst_stride, int size, int x, int y,
                  int mvx, int mvy, int rounding, int simd_level) {
    // Past the border every pixel of a row (or column) equals the edge pixel, so moving
    // the block back until its last tap is in the border changes nothing it reads.
    const int sx = std::clamp(x + (mvx >> 1), -src.border, src.width + src.border - size - 1);
    const int sy = std::clamp(y + (mvy >> 1), -src.border, src.height + src.border - size - 1);
    const uint8_t* s = src.first + sy * src.stride + sx;
    const int variant = (mvx & 1) | (mvy & 1) << 1;
    const int sz = size == 16 ? 0 : 1;
    const int r = rounding ? 1 : 0;
#if defined(__SSE2__)
    if (simd_level >= 1) {
        if (variant == 0) { // the most common: a whole-pel vector, a plain copy
            if (size == 16)
                CopySse2<16>(s, src.stride, dst, dst_stride);
            else
                CopySse2<8>(s, src.stride, dst, dst_stride);
            return;
        }
        // 8-pixel rows gain nothing from AVX2: SSE2 already fills its registers there.
        if (variant == 3 && size == 16 && simd_level >= 2 && kHaveAvx2) {
            if (r)
                Diagonal16Avx2<1>(s, src.stride, dst, dst_stride);
            else
                Diagonal16Avx2<0>(s, src.stride, dst, dst_stride);
            return;
        }
        kSse2[sz][r][variant](s, src.stride, dst, dst_stride);
        return;
    }
#endif
    (void)simd_level;
    kPlain[sz][r][variant](s, src.stride, dst, dst_stride);
}

void AverageBlock(uint8_t* dst, int dst_stride, const uint8_t* other, int other_stride, int size,
                  int simd_level) {
#if defined(__SSE2__)
    if (simd_level >= 1) {
        if (size == 16)
            AverageSse2<16>(dst, dst_stride, other, other_stride);
        else
            AverageSse2<8>(dst, dst_stride, other, other_stride);
        return;
    }
#endif
    (void)simd_level;
    AveragePlain(dst, dst_stride, other, other_stride, size);
}

void AverageBlock(uint8_t* dst, const uint8_t* other, int stride, int size, int simd_level) {
    AverageBlock(dst, stride, other, stride, size, simd_level);
}

} // namespace dvr::decoder
