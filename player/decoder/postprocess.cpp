#include "player/decoder/postprocess.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace dvr::decoder {
namespace {

#if defined(__SSE2__)
// Set during static initialisation, possibly before the runtime's own processor probe has
// run: probe first.
const bool kHaveAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#else
const bool kHaveAvx2 = false;
#endif
bool avx2_allowed = true;

inline bool UseAvx2(int level) {
    return level >= 2 && kHaveAvx2 && avx2_allowed;
}

// ---- deblocking: s[0..9] are the ten pixels across one edge, the edge between s4 and s5

// Low-pass over s1..s8 with the ends padded by s0 and s9 (or by s1 and s8 when those
// differ too much). The padding values are never written.
inline void FlatFilter(int* s, int qp) {
    const int p0 = std::abs(s[1] - s[0]) < qp ? s[0] : s[1];
    const int p9 = std::abs(s[8] - s[9]) < qp ? s[9] : s[8];
    int v[17];
    for (int k = 0; k < 4; ++k)
        v[k] = p0;
    for (int k = 1; k <= 8; ++k)
        v[k + 3] = s[k];
    for (int k = 12; k < 17; ++k)
        v[k] = p9;
    // v[k + 3] is s[k]; taps 1 1 2 2 4 2 2 1 1 around it.
    int out[9];
    for (int k = 1; k <= 8; ++k) {
        const int* c = v + k + 3;
        out[k] = (c[-4] + c[-3] + 2 * c[-2] + 2 * c[-1] + 4 * c[0] + 2 * c[1] + 2 * c[2] + c[3] +
                  c[4] + 8) >>
                 4;
    }
    for (int k = 1; k <= 8; ++k)
        s[k] = out[k];
}

// Moves s4 and s5 towards each other by at most half their difference.
inline void DefaultFilter(int* s, int qp) {
    const int half = (s[4] - s[5]) / 2;
    if (half == 0) return;
    const int a0 = 2 * s[3] - 5 * s[4] + 5 * s[5] - 2 * s[6];
    if (std::abs(a0) >= 8 * qp) return;
    const int a1 = 2 * s[1] - 5 * s[2] + 5 * s[3] - 2 * s[4];
    const int a2 = 2 * s[5] - 5 * s[6] + 5 * s[7] - 2 * s[8];
    const int m = std::abs(a0) - std::min(std::abs(a1), std::abs(a2));
    if (m <= 0) return;
    int d = (5 * m + 32) >> 6;
    if (a0 > 0) d = -d;
    d = half > 0 ? std::clamp(d, 0, half) : std::clamp(d, half, 0);
    s[4] -= d;
    s[5] += d;
}

inline int FlatPairs(const int* s) {
    int n = 0;
    for (int k = 1; k < 8; ++k)
        n += std::abs(s[k] - s[k + 1]) < 4;
    return n;
}

inline void Load(const uint8_t* p, ptrdiff_t step, int* s) {
    for (int k = 0; k < 10; ++k)
        s[k] = p[k * step];
}

inline void Store(uint8_t* p, ptrdiff_t step, const int* s) {
    for (int k = 1; k <= 8; ++k)
        p[k * step] = static_cast<uint8_t>(s[k]);
}

// One edge across `lines` lines; `along` steps across the edge, `next` to the next line.
// p points at s0 of the first line.
void DeblockGroupPlain(uint8_t* p, ptrdiff_t along, ptrdiff_t next, int lines, int qp,
                       bool horizontal) {
    int s[8][10];
    int pairs = 0;
    for (int i = 0; i < lines; ++i) {
        Load(p + i * next, along, s[i]);
        pairs += FlatPairs(s[i]);
    }
    bool flat, filter = true;
    if (horizontal) {
        flat = pairs >= 20;
        if (flat) filter = std::abs(s[0][1] - s[0][8]) < 2 * qp;
    } else {
        flat = pairs > 40;
        for (int i = 0; flat && i < lines; ++i)
            if (std::abs(s[i][1] - s[i][8]) > 2 * qp) filter = false;
    }
    if (!filter) return;
    for (int i = 0; i < lines; ++i) {
        if (flat)
            FlatFilter(s[i], qp);
        else
            DefaultFilter(s[i], qp);
        Store(p + i * next, along, s[i]);
    }
}

#if defined(__SSE2__)

inline __m128i Load8(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                             _mm_setzero_si128());
}

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// Eight lines in the lanes of s[0..9]: lanes in `flat` take the low-pass where `flat_ok`
// and stay where not; the other lanes take the default filter.
inline bool FilterLanes(__m128i* s, int qp, __m128i flat, __m128i flat_ok) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i vqp = _mm_set1_epi16(static_cast<int16_t>(qp));

    // Default mode.
    const __m128i diff = _mm_sub_epi16(s[4], s[5]);
    // (s4 - s5) / 2 rounded towards zero
    const __m128i half = _mm_srai_epi16(_mm_sub_epi16(diff, _mm_srai_epi16(diff, 15)), 1);
    auto taps = [](__m128i a, __m128i b, __m128i c, __m128i d) {
        // 2a - 5b + 5c - 2d
        const __m128i two = _mm_slli_epi16(_mm_sub_epi16(a, d), 1);
        const __m128i cb = _mm_sub_epi16(c, b);
        return _mm_add_epi16(two, _mm_add_epi16(_mm_slli_epi16(cb, 2), cb));
    };
    const __m128i a0 = taps(s[3], s[4], s[5], s[6]);
    const __m128i a1 = taps(s[1], s[2], s[3], s[4]);
    const __m128i a2 = taps(s[5], s[6], s[7], s[8]);
    const __m128i abs0 = Abs16(a0);
    const __m128i m = _mm_sub_epi16(abs0, _mm_min_epi16(Abs16(a1), Abs16(a2)));
    __m128i on = _mm_cmplt_epi16(abs0, _mm_slli_epi16(vqp, 3));
    on = _mm_and_si128(on, _mm_cmpgt_epi16(m, zero));
    on = _mm_andnot_si128(_mm_cmpeq_epi16(half, zero), on);
    on = _mm_andnot_si128(flat, on);
    __m128i d = _mm_add_epi16(m, _mm_slli_epi16(m, 2));
    d = _mm_srai_epi16(_mm_add_epi16(d, _mm_set1_epi16(32)), 6);
    const __m128i negate = _mm_cmpgt_epi16(a0, zero);
    d = _mm_sub_epi16(_mm_xor_si128(d, negate), negate);
    d = _mm_max_epi16(_mm_min_epi16(d, _mm_max_epi16(half, zero)), _mm_min_epi16(half, zero));
    d = _mm_and_si128(d, on);

    const __m128i low_pass = _mm_and_si128(flat, flat_ok);
    if (_mm_movemask_epi8(low_pass)) {
        const __m128i keep0 = _mm_cmplt_epi16(Abs16(_mm_sub_epi16(s[1], s[0])), vqp);
        const __m128i keep9 = _mm_cmplt_epi16(Abs16(_mm_sub_epi16(s[8], s[9])), vqp);
        const __m128i p0 = _mm_or_si128(_mm_and_si128(keep0, s[0]), _mm_andnot_si128(keep0, s[1]));
        const __m128i p9 = _mm_or_si128(_mm_and_si128(keep9, s[9]), _mm_andnot_si128(keep9, s[8]));
        __m128i v[17];
        for (int k = 0; k < 4; ++k)
            v[k] = p0;
        for (int k = 1; k <= 8; ++k)
            v[k + 3] = s[k];
        for (int k = 12; k < 17; ++k)
            v[k] = p9;
        const __m128i eight = _mm_set1_epi16(8);
        for (int k = 1; k <= 8; ++k) {
            const __m128i* c = v + k + 3;
            __m128i sum = _mm_add_epi16(_mm_add_epi16(c[-4], c[4]), _mm_add_epi16(c[-3], c[3]));
            __m128i twice = _mm_add_epi16(_mm_add_epi16(c[-2], c[-1]), _mm_add_epi16(c[1], c[2]));
            sum = _mm_add_epi16(sum, _mm_slli_epi16(twice, 1));
            sum = _mm_add_epi16(sum, _mm_slli_epi16(c[0], 2));
            sum = _mm_srai_epi16(_mm_add_epi16(sum, eight), 4);
            s[k] = _mm_or_si128(_mm_and_si128(low_pass, sum), _mm_andnot_si128(low_pass, s[k]));
        }
    }
    s[4] = _mm_sub_epi16(s[4], d);
    s[5] = _mm_add_epi16(s[5], d);
    return _mm_movemask_epi8(_mm_or_si128(low_pass, on)) != 0;
}

// Per lane, how many of the pairs (s1, s2) .. (s7, s8) differ by less than 4.
inline __m128i FlatPairCounts(const __m128i* s) {
    const __m128i four = _mm_set1_epi16(4);
    __m128i count = _mm_setzero_si128();
    for (int k = 1; k < 8; ++k)
        count = _mm_sub_epi16(count, _mm_cmplt_epi16(Abs16(_mm_sub_epi16(s[k], s[k + 1])), four));
    return count;
}

// Eight columns across one horizontal edge; p points at s0 of the first column.
void DeblockVerticalSse2(uint8_t* p, ptrdiff_t stride, int qp) {
    __m128i s[10];
    for (int k = 0; k < 10; ++k)
        s[k] = Load8(p + k * stride);
    __m128i count = FlatPairCounts(s);
    count = _mm_add_epi16(count, _mm_srli_si128(count, 8));
    count = _mm_add_epi16(count, _mm_srli_si128(count, 4));
    count = _mm_add_epi16(count, _mm_srli_si128(count, 2));
    const bool flat = (_mm_cvtsi128_si32(count) & 0xFFFF) > 40;
    bool flat_ok = false;
    if (flat) {
        const __m128i over = _mm_cmpgt_epi16(Abs16(_mm_sub_epi16(s[1], s[8])),
                                             _mm_set1_epi16(static_cast<int16_t>(2 * qp)));
        if (_mm_movemask_epi8(over)) return;
        flat_ok = true;
    }
    if (!FilterLanes(s, qp, _mm_set1_epi16(flat ? -1 : 0), _mm_set1_epi16(flat_ok ? -1 : 0)))
        return;
    for (int k = 1; k <= 8; ++k)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + k * stride), _mm_packus_epi16(s[k], s[k]));
}

// Eight rows of 16 bytes (r) into their 16 columns of eight 16-bit values; with halves 1
// only bytes 0..7 and columns 0..7.
inline void Transpose(const __m128i* r, __m128i* col, int halves) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a[8];
    for (int i = 0; i < 4; ++i) {
        a[2 * i] = _mm_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
        a[2 * i + 1] = _mm_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
    }
    for (int h = 0; h < halves; ++h) {
        // 32-bit unit j: byte j of four rows
        const __m128i b0 = _mm_unpacklo_epi16(a[h], a[2 + h]);
        const __m128i b1 = _mm_unpackhi_epi16(a[h], a[2 + h]);
        const __m128i b2 = _mm_unpacklo_epi16(a[4 + h], a[6 + h]);
        const __m128i b3 = _mm_unpackhi_epi16(a[4 + h], a[6 + h]);
        const __m128i c[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2),
                              _mm_unpacklo_epi32(b1, b3), _mm_unpackhi_epi32(b1, b3)};
        for (int j = 0; j < 4; ++j) {
            col[8 * h + 2 * j] = _mm_unpacklo_epi8(c[j], zero);
            col[8 * h + 2 * j + 1] = _mm_unpackhi_epi8(c[j], zero);
        }
    }
}

// Eight lines across a vertical edge in the lanes of s[0..9], decided as two groups of
// four rows (lanes 0..3 and 4..7).
inline bool FilterRowGroups(__m128i* s, int qp) {
    // Each group's count of flat pairs in all four of its lanes: sums over lane pairs,
    // then over pairs of pairs, within each half.
    __m128i count = FlatPairCounts(s);
    count = _mm_add_epi16(count, _mm_shufflehi_epi16(_mm_shufflelo_epi16(count, 0xB1), 0xB1));
    count = _mm_add_epi16(count, _mm_shufflehi_epi16(_mm_shufflelo_epi16(count, 0x4E), 0x4E));
    const __m128i flat = _mm_cmpgt_epi16(count, _mm_set1_epi16(19));
    // The first row of each group decides for the group whether its ends are close.
    const __m128i close = _mm_cmplt_epi16(Abs16(_mm_sub_epi16(s[1], s[8])),
                                          _mm_set1_epi16(static_cast<int16_t>(2 * qp)));
    const __m128i ok = _mm_shufflehi_epi16(_mm_shufflelo_epi16(close, 0x00), 0x00);
    return FilterLanes(s, qp, flat, ok);
}

// Columns col[0..7] (eight 16-bit rows each) back into eight rows of eight bytes at p.
inline void StoreColumns(const __m128i* col, uint8_t* p, ptrdiff_t stride) {
    __m128i back[8], rows[8];
    for (int k = 0; k < 8; ++k)
        back[k] = _mm_packus_epi16(col[k], col[k]);
    Transpose(back, rows, 1);
    for (int i = 0; i < 8; ++i)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i * stride),
                         _mm_packus_epi16(rows[i], rows[i]));
}

// Eight rows across one vertical edge; p points eight pixels left of the edge in the
// first row, and 16 pixels of each row are read.
void DeblockHorizontalSse2(uint8_t* p, ptrdiff_t stride, int qp) {
    __m128i r[8], col[16];
    for (int i = 0; i < 8; ++i)
        r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i * stride));
    Transpose(r, col, 2);
    // s0 lies five pixels left of the edge
    if (FilterRowGroups(col + 3, qp)) StoreColumns(col + 4, p + 4, stride);
}

// Widest band the whole-band form takes.
constexpr int kBandColumns = 800;

// A band of eight rows, width a multiple of 8: turned into columns once, filtered edge by
// edge from left to right, turned back once.
void DeblockBandSse2(uint8_t* p, ptrdiff_t stride, int width, int qp) {
    __m128i col[kBandColumns];
    __m128i r[8];
    for (int x = 0; x < width; x += 16) {
        const bool whole = x + 16 <= width;
        for (int i = 0; i < 8; ++i)
            r[i] = whole ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i * stride + x))
                         : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i * stride + x));
        Transpose(r, col + x, whole ? 2 : 1);
    }
    // Edge x changes columns x - 4 .. x + 3: only the tiles of edges that did are stored.
    bool changed[kBandColumns / 8 + 1] = {};
    for (int x = 8; x + 8 <= width; x += 8)
        changed[x / 8] = FilterRowGroups(col + x - 5, qp);
    for (int x = 0; x < width; x += 8)
        if (changed[x / 8] || changed[x / 8 + 1]) StoreColumns(col + x, p + x, stride);
}

#endif

// ---- deringing

// One block in place: its window w starts one pixel above and left of it. A pixel is
// smoothed only where its 3x3 neighbourhood lies wholly on one side of the threshold.
void DeringBlockPlain(uint8_t* block, int stride, int qp, bool mean_threshold) {
    int lo = 255, hi = 0, sum = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int v = block[y * stride + x];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            sum += v;
        }
    const int threshold = mean_threshold ? sum >> 6 : (hi + lo + 1) >> 1;
    const uint8_t* w = block - stride - 1;
    bool above[10][10];
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            above[y][x] = w[y * stride + x] >= threshold;
    uint8_t out[8][8];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int v = w[(y + 1) * stride + x + 1];
            out[y][x] = static_cast<uint8_t>(v);
            const bool mark = above[y + 1][x + 1];
            bool uniform = true;
            for (int dy = 0; dy < 3 && uniform; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    if (above[y + dy][x + dx] != mark) {
                        uniform = false;
                        break;
                    }
            if (!uniform) continue;
            const uint8_t* c = w + (y + 1) * stride + x + 1;
            const int f = (c[-stride - 1] + 2 * c[-stride] + c[-stride + 1] + 2 * c[-1] + 4 * c[0] +
                           2 * c[1] + c[stride - 1] + 2 * c[stride] + c[stride + 1] + 8) >>
                          4;
            out[y][x] = static_cast<uint8_t>(std::clamp(f, v - 2 * qp, v + 2 * qp));
        }
    for (int y = 0; y < 8; ++y)
        std::copy(out[y], out[y] + 8, block + y * stride);
}

#if defined(__SSE2__)

// The same with the max/min threshold; reads 16 bytes from one pixel left of the block.
// `left` holds the previous block's result in the same rows (its last column is this
// window's first); the window's rows are built from it instead of reading back what was
// just stored, and this block's result is left there for the next one.
void DeringBlockSse2(uint8_t* block, int stride, int qp, __m128i* left, bool have_left) {
    const uint8_t* w = block - stride - 1;
    // The block's own pixels, which the previous block does not change: its threshold
    // comes from them directly, off the chain that runs from block to block.
    __m128i own[8];
    for (int y = 0; y < 8; ++y)
        own[y] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + y * stride));
    __m128i row[10];
    row[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w));
    row[9] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 9 * stride));
    for (int y = 1; y <= 8; ++y) {
        if (have_left)
            row[y] = _mm_or_si128(_mm_slli_si128(own[y - 1], 1), _mm_srli_si128(left[y - 1], 14));
        else
            row[y] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + y * stride));
    }
    // Max and min over the block: bytes 0..7 of its rows.
    __m128i hi = own[0], lo = own[0];
    for (int y = 1; y < 8; ++y) {
        hi = _mm_max_epu8(hi, own[y]);
        lo = _mm_min_epu8(lo, own[y]);
    }
    hi = _mm_unpacklo_epi64(hi, _mm_setzero_si128()); // zeros above byte 7
    lo = _mm_unpacklo_epi64(lo, _mm_set1_epi8(-1));
    hi = _mm_max_epu8(hi, _mm_srli_si128(hi, 4));
    lo = _mm_min_epu8(lo, _mm_srli_si128(lo, 4));
    hi = _mm_max_epu8(hi, _mm_srli_si128(hi, 2));
    lo = _mm_min_epu8(lo, _mm_srli_si128(lo, 2));
    hi = _mm_max_epu8(hi, _mm_srli_si128(hi, 1));
    lo = _mm_min_epu8(lo, _mm_srli_si128(lo, 1));
    const int threshold =
        ((_mm_cvtsi128_si32(hi) & 0xFF) + (_mm_cvtsi128_si32(lo) & 0xFF) + 1) >> 1;
    const __m128i thr = _mm_set1_epi8(static_cast<char>(threshold));

    // Row by row, keeping the last three window rows' terms: per row, 0xFF where all three
    // pixels around are at or above the threshold (up3), 0 where all three are below
    // (any3), and the horizontal 1 2 1 sums in lanes 0..7 for block columns 0..7.
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit = _mm_set1_epi16(static_cast<int16_t>(2 * qp));
    const __m128i eight = _mm_set1_epi16(8);
    auto terms = [&](__m128i r, __m128i& up3, __m128i& any3, __m128i& h, __m128i& centre) {
        const __m128i up = _mm_cmpeq_epi8(_mm_max_epu8(r, thr), r);
        const __m128i up1 = _mm_srli_si128(up, 1), up2 = _mm_srli_si128(up, 2);
        up3 = _mm_and_si128(_mm_and_si128(up, up1), up2);
        any3 = _mm_or_si128(_mm_or_si128(up, up1), up2);
        const __m128i a = _mm_unpacklo_epi8(r, zero);
        centre = _mm_unpacklo_epi8(_mm_srli_si128(r, 1), zero);
        const __m128i c = _mm_unpacklo_epi8(_mm_srli_si128(r, 2), zero);
        h = _mm_add_epi16(_mm_add_epi16(a, c), _mm_slli_epi16(centre, 1));
    };
    __m128i up_a, any_a, h_a, up_b, any_b, h_b, c_b;
    terms(row[0], up_a, any_a, h_a, c_b);
    terms(row[1], up_b, any_b, h_b, c_b);
    __m128i out[8];
    for (int y = 0; y < 8; ++y) {
        __m128i up_c, any_c, h_c, c_c;
        terms(row[y + 2], up_c, any_c, h_c, c_c);
        __m128i f = _mm_add_epi16(_mm_add_epi16(h_a, h_c), _mm_slli_epi16(h_b, 1));
        f = _mm_srai_epi16(_mm_add_epi16(f, eight), 4);
        const __m128i v = c_b;
        f = _mm_max_epi16(_mm_min_epi16(f, _mm_add_epi16(v, limit)), _mm_sub_epi16(v, limit));
        const __m128i all_up = _mm_and_si128(_mm_and_si128(up_a, up_b), up_c);
        const __m128i any = _mm_or_si128(_mm_or_si128(any_a, any_b), any_c);
        const __m128i uniform8 = _mm_or_si128(all_up, _mm_xor_si128(any, _mm_set1_epi8(-1)));
        const __m128i uniform = _mm_unpacklo_epi8(uniform8, uniform8);
        out[y] = _mm_or_si128(_mm_and_si128(uniform, f), _mm_andnot_si128(uniform, v));
        up_a = up_b, any_a = any_b, h_a = h_b;
        up_b = up_c, any_b = any_c, h_b = h_c, c_b = c_c;
    }
    for (int y = 0; y < 8; ++y) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(block + y * stride),
                         _mm_packus_epi16(out[y], out[y]));
        left[y] = out[y];
    }
}

// ---- deblocking with AVX2: sixteen lines at once

__attribute__((target("avx2"))) inline __m256i Abs16Avx2(__m256i v) {
    return _mm256_abs_epi16(v);
}

__attribute__((target("avx2"))) inline __m256i Taps4Avx2(__m256i a, __m256i b, __m256i c,
                                                         __m256i d) {
    // 2a - 5b + 5c - 2d
    const __m256i two = _mm256_slli_epi16(_mm256_sub_epi16(a, d), 1);
    const __m256i cb = _mm256_sub_epi16(c, b);
    return _mm256_add_epi16(two, _mm256_add_epi16(_mm256_slli_epi16(cb, 2), cb));
}

// FilterLanes on sixteen lines.
__attribute__((target("avx2"))) inline bool FilterLanesAvx2(__m256i* s, int qp, __m256i flat,
                                                            __m256i flat_ok) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i vqp = _mm256_set1_epi16(static_cast<int16_t>(qp));
    const __m256i diff = _mm256_sub_epi16(s[4], s[5]);
    const __m256i half = _mm256_srai_epi16(_mm256_sub_epi16(diff, _mm256_srai_epi16(diff, 15)), 1);
    const __m256i a0 = Taps4Avx2(s[3], s[4], s[5], s[6]);
    const __m256i a1 = Taps4Avx2(s[1], s[2], s[3], s[4]);
    const __m256i a2 = Taps4Avx2(s[5], s[6], s[7], s[8]);
    const __m256i abs0 = Abs16Avx2(a0);
    const __m256i m = _mm256_sub_epi16(abs0, _mm256_min_epi16(Abs16Avx2(a1), Abs16Avx2(a2)));
    __m256i on = _mm256_cmpgt_epi16(_mm256_slli_epi16(vqp, 3), abs0);
    on = _mm256_and_si256(on, _mm256_cmpgt_epi16(m, zero));
    on = _mm256_andnot_si256(_mm256_cmpeq_epi16(half, zero), on);
    on = _mm256_andnot_si256(flat, on);
    __m256i d = _mm256_add_epi16(m, _mm256_slli_epi16(m, 2));
    d = _mm256_srai_epi16(_mm256_add_epi16(d, _mm256_set1_epi16(32)), 6);
    const __m256i negate = _mm256_cmpgt_epi16(a0, zero);
    d = _mm256_sub_epi16(_mm256_xor_si256(d, negate), negate);
    d = _mm256_max_epi16(_mm256_min_epi16(d, _mm256_max_epi16(half, zero)),
                         _mm256_min_epi16(half, zero));
    d = _mm256_and_si256(d, on);

    const __m256i low_pass = _mm256_and_si256(flat, flat_ok);
    if (!_mm256_testz_si256(low_pass, low_pass)) {
        const __m256i keep0 = _mm256_cmpgt_epi16(vqp, Abs16Avx2(_mm256_sub_epi16(s[1], s[0])));
        const __m256i keep9 = _mm256_cmpgt_epi16(vqp, Abs16Avx2(_mm256_sub_epi16(s[8], s[9])));
        const __m256i p0 = _mm256_blendv_epi8(s[1], s[0], keep0);
        const __m256i p9 = _mm256_blendv_epi8(s[8], s[9], keep9);
        __m256i v[17];
        for (int k = 0; k < 4; ++k)
            v[k] = p0;
        for (int k = 1; k <= 8; ++k)
            v[k + 3] = s[k];
        for (int k = 12; k < 17; ++k)
            v[k] = p9;
        const __m256i eight = _mm256_set1_epi16(8);
        for (int k = 1; k <= 8; ++k) {
            const __m256i* c = v + k + 3;
            __m256i sum =
                _mm256_add_epi16(_mm256_add_epi16(c[-4], c[4]), _mm256_add_epi16(c[-3], c[3]));
            __m256i twice =
                _mm256_add_epi16(_mm256_add_epi16(c[-2], c[-1]), _mm256_add_epi16(c[1], c[2]));
            sum = _mm256_add_epi16(sum, _mm256_slli_epi16(twice, 1));
            sum = _mm256_add_epi16(sum, _mm256_slli_epi16(c[0], 2));
            sum = _mm256_srai_epi16(_mm256_add_epi16(sum, eight), 4);
            s[k] = _mm256_blendv_epi8(s[k], sum, low_pass);
        }
    }
    s[4] = _mm256_sub_epi16(s[4], d);
    s[5] = _mm256_add_epi16(s[5], d);
    const __m256i any = _mm256_or_si256(low_pass, on);
    return !_mm256_testz_si256(any, any);
}

__attribute__((target("avx2"))) inline __m256i FlatPairCountsAvx2(const __m256i* s) {
    const __m256i four = _mm256_set1_epi16(4);
    __m256i count = _mm256_setzero_si256();
    for (int k = 1; k < 8; ++k)
        count = _mm256_sub_epi16(
            count, _mm256_cmpgt_epi16(four, Abs16Avx2(_mm256_sub_epi16(s[k], s[k + 1]))));
    return count;
}

// Sixteen columns across one horizontal edge, as two groups of eight (one per 128-bit
// lane); p points at s0 of the first column.
__attribute__((target("avx2"))) void DeblockVerticalAvx2(uint8_t* p, ptrdiff_t stride, int qp) {
    __m256i s[10];
    for (int k = 0; k < 10; ++k)
        s[k] =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k * stride)));
    // cvtepu8 puts columns 0..7 in the low lane and 8..15 in the high one: one group each
    __m256i count = FlatPairCountsAvx2(s);
    count = _mm256_add_epi16(count, _mm256_srli_si256(count, 8));
    count = _mm256_add_epi16(count, _mm256_srli_si256(count, 4));
    count = _mm256_add_epi16(count, _mm256_srli_si256(count, 2));
    count =
        _mm256_unpacklo_epi64(_mm256_shufflelo_epi16(count, 0), _mm256_shufflelo_epi16(count, 0));
    const __m256i flat = _mm256_cmpgt_epi16(count, _mm256_set1_epi16(40));
    const __m256i over = _mm256_cmpgt_epi16(Abs16Avx2(_mm256_sub_epi16(s[1], s[8])),
                                            _mm256_set1_epi16(static_cast<int16_t>(2 * qp)));
    const unsigned over_bits = static_cast<unsigned>(_mm256_movemask_epi8(over));
    const long long ok0 = (over_bits & 0xFFFFu) ? 0 : -1, ok1 = (over_bits >> 16) ? 0 : -1;
    const __m256i flat_ok = _mm256_setr_epi64x(ok0, ok0, ok1, ok1);
    if (!FilterLanesAvx2(s, qp, flat, flat_ok)) return;
    for (int k = 1; k <= 8; ++k) {
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(s[k], s[k]), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + k * stride),
                         _mm256_castsi256_si128(packed));
    }
}

__attribute__((target("avx2"))) inline __m256i Pair(const uint8_t* lo, const uint8_t* hi) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lo))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi)), 1);
}

// Transpose with rows i and i + 8 in the two 128-bit lanes.
__attribute__((target("avx2"))) inline void TransposeAvx2(const __m256i* r, __m256i* col,
                                                          int halves) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i a[8];
    for (int i = 0; i < 4; ++i) {
        a[2 * i] = _mm256_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
        a[2 * i + 1] = _mm256_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
    }
    for (int h = 0; h < halves; ++h) {
        const __m256i b0 = _mm256_unpacklo_epi16(a[h], a[2 + h]);
        const __m256i b1 = _mm256_unpackhi_epi16(a[h], a[2 + h]);
        const __m256i b2 = _mm256_unpacklo_epi16(a[4 + h], a[6 + h]);
        const __m256i b3 = _mm256_unpackhi_epi16(a[4 + h], a[6 + h]);
        const __m256i c[4] = {_mm256_unpacklo_epi32(b0, b2), _mm256_unpackhi_epi32(b0, b2),
                              _mm256_unpacklo_epi32(b1, b3), _mm256_unpackhi_epi32(b1, b3)};
        for (int j = 0; j < 4; ++j) {
            col[8 * h + 2 * j] = _mm256_unpacklo_epi8(c[j], zero);
            col[8 * h + 2 * j + 1] = _mm256_unpackhi_epi8(c[j], zero);
        }
    }
}

// FilterRowGroups on sixteen rows: four groups of four.
__attribute__((target("avx2"))) inline bool FilterRowGroupsAvx2(__m256i* s, int qp) {
    __m256i count = FlatPairCountsAvx2(s);
    count =
        _mm256_add_epi16(count, _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(count, 0xB1), 0xB1));
    count =
        _mm256_add_epi16(count, _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(count, 0x4E), 0x4E));
    const __m256i flat = _mm256_cmpgt_epi16(count, _mm256_set1_epi16(19));
    const __m256i close = _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<int16_t>(2 * qp)),
                                             Abs16Avx2(_mm256_sub_epi16(s[1], s[8])));
    const __m256i ok = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(close, 0x00), 0x00);
    return FilterLanesAvx2(s, qp, flat, ok);
}

__attribute__((target("avx2"))) inline void StoreColumnsAvx2(const __m256i* col, uint8_t* p,
                                                             ptrdiff_t stride) {
    __m256i back[8], rows[8];
    for (int k = 0; k < 8; ++k)
        back[k] = _mm256_packus_epi16(col[k], col[k]);
    TransposeAvx2(back, rows, 1);
    for (int i = 0; i < 8; ++i) {
        const __m256i packed = _mm256_packus_epi16(rows[i], rows[i]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i * stride),
                         _mm256_castsi256_si128(packed));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + (i + 8) * stride),
                         _mm256_extracti128_si256(packed, 1));
    }
}

// DeblockBandSse2 on sixteen rows (two bands, the second in the upper lanes).
__attribute__((target("avx2"))) void DeblockBandPairAvx2(uint8_t* p, ptrdiff_t stride, int width,
                                                         int qp) {
    __m256i col[kBandColumns];
    __m256i r[8];
    for (int x = 0; x < width; x += 16) {
        const bool whole = x + 16 <= width;
        for (int i = 0; i < 8; ++i) {
            const uint8_t* lo = p + i * stride + x;
            const uint8_t* hi = lo + 8 * stride;
            r[i] = whole ? Pair(lo, hi)
                         : _mm256_inserti128_si256(
                               _mm256_castsi128_si256(
                                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lo))),
                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(hi)), 1);
        }
        TransposeAvx2(r, col + x, whole ? 2 : 1);
    }
    bool changed[kBandColumns / 8 + 1] = {};
    for (int x = 8; x + 8 <= width; x += 8)
        changed[x / 8] = FilterRowGroupsAvx2(col + x - 5, qp);
    for (int x = 0; x < width; x += 8)
        if (changed[x / 8] || changed[x / 8 + 1]) StoreColumnsAvx2(col + x, p + x, stride);
}

// ---- deringing with AVX2: two blocks at once, one per 128-bit lane

// The SSE2 block steps, lane by lane. A block depends on its left neighbour (the last
// column of its result) and on the three blocks above it; block i of one row and block
// i - kDeringLag of the row below depend on neither each other nor anything not yet done,
// so they go through together. `left` holds each lane's previous result in the same rows.
constexpr int kDeringLag = 3;

__attribute__((target("avx2"))) inline void
DeringTermsAvx2(__m256i r, __m256i thr, __m256i& up3, __m256i& any3, __m256i& h, __m256i& centre) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i up = _mm256_cmpeq_epi8(_mm256_max_epu8(r, thr), r);
    const __m256i up1 = _mm256_srli_si256(up, 1), up2 = _mm256_srli_si256(up, 2);
    up3 = _mm256_and_si256(_mm256_and_si256(up, up1), up2);
    any3 = _mm256_or_si256(_mm256_or_si256(up, up1), up2);
    const __m256i a = _mm256_unpacklo_epi8(r, zero);
    centre = _mm256_unpacklo_epi8(_mm256_srli_si256(r, 1), zero);
    const __m256i c = _mm256_unpacklo_epi8(_mm256_srli_si256(r, 2), zero);
    h = _mm256_add_epi16(_mm256_add_epi16(a, c), _mm256_slli_epi16(centre, 1));
}

__attribute__((target("avx2"))) void DeringBlocksAvx2(uint8_t* block0, uint8_t* block1, int stride,
                                                      int qp, __m256i* left) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i own[8];
    for (int y = 0; y < 8; ++y)
        own[y] = Pair(block0 + y * stride, block1 + y * stride);
    __m256i row[10];
    row[0] = Pair(block0 - stride - 1, block1 - stride - 1);
    row[9] = Pair(block0 + 8 * stride - 1, block1 + 8 * stride - 1);
    for (int y = 1; y <= 8; ++y)
        row[y] =
            _mm256_or_si256(_mm256_slli_si256(own[y - 1], 1), _mm256_srli_si256(left[y - 1], 14));
    __m256i hi = own[0], lo = own[0];
    for (int y = 1; y < 8; ++y) {
        hi = _mm256_max_epu8(hi, own[y]);
        lo = _mm256_min_epu8(lo, own[y]);
    }
    hi = _mm256_unpacklo_epi64(hi, zero);
    lo = _mm256_unpacklo_epi64(lo, _mm256_set1_epi8(-1));
    hi = _mm256_max_epu8(hi, _mm256_srli_si256(hi, 4));
    lo = _mm256_min_epu8(lo, _mm256_srli_si256(lo, 4));
    hi = _mm256_max_epu8(hi, _mm256_srli_si256(hi, 2));
    lo = _mm256_min_epu8(lo, _mm256_srli_si256(lo, 2));
    hi = _mm256_max_epu8(hi, _mm256_srli_si256(hi, 1));
    lo = _mm256_min_epu8(lo, _mm256_srli_si256(lo, 1));
    // (max + min + 1) >> 1 in byte 0 of each lane, spread over the lane
    const __m256i thr = _mm256_shuffle_epi8(_mm256_avg_epu8(hi, lo), zero);

    const __m256i limit = _mm256_set1_epi16(static_cast<int16_t>(2 * qp));
    const __m256i eight = _mm256_set1_epi16(8);
    __m256i up_a, any_a, h_a, up_b, any_b, h_b, c_b;
    DeringTermsAvx2(row[0], thr, up_a, any_a, h_a, c_b);
    DeringTermsAvx2(row[1], thr, up_b, any_b, h_b, c_b);
    for (int y = 0; y < 8; ++y) {
        __m256i up_c, any_c, h_c, c_c;
        DeringTermsAvx2(row[y + 2], thr, up_c, any_c, h_c, c_c);
        __m256i f = _mm256_add_epi16(_mm256_add_epi16(h_a, h_c), _mm256_slli_epi16(h_b, 1));
        f = _mm256_srai_epi16(_mm256_add_epi16(f, eight), 4);
        const __m256i v = c_b;
        f = _mm256_max_epi16(_mm256_min_epi16(f, _mm256_add_epi16(v, limit)),
                             _mm256_sub_epi16(v, limit));
        const __m256i all_up = _mm256_and_si256(_mm256_and_si256(up_a, up_b), up_c);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(any_a, any_b), any_c);
        const __m256i uniform8 =
            _mm256_or_si256(all_up, _mm256_xor_si256(any, _mm256_set1_epi8(-1)));
        const __m256i uniform = _mm256_unpacklo_epi8(uniform8, uniform8);
        left[y] = _mm256_blendv_epi8(v, f, uniform);
        up_a = up_b, any_a = any_b, h_a = h_b;
        up_b = up_c, any_b = any_c, h_b = h_c, c_b = c_c;
    }
    for (int y = 0; y < 8; ++y) {
        const __m256i packed = _mm256_packus_epi16(left[y], left[y]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(block0 + y * stride),
                         _mm256_castsi256_si128(packed));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(block1 + y * stride),
                         _mm256_extracti128_si256(packed, 1));
    }
}

// The rows of blocks at by and by + 8 together (the lower one kDeringLag blocks behind);
// the blocks of either row that have no partner go through the SSE2 form.
__attribute__((target("avx2"))) void DeringRowPairAvx2(uint8_t* plane, int stride, int width,
                                                       int by, int qp) {
    uint8_t* top = plane + ptrdiff_t(by) * stride;
    uint8_t* bottom = top + ptrdiff_t(8) * stride;
    const int count =
        std::max(0, (width - 16) / 8); // blocks at x = 8, 16, ... while x + 16 <= width
    __m128i left0[8], left1[8];
    int i = 0;
    for (; i < count && i < kDeringLag; ++i)
        DeringBlockSse2(top + 8 + 8 * i, stride, qp, left0, i > 0);
    __m256i left[8];
    // The lower row's first block has only the unfiltered ring to its left: its column 7
    // seeds that lane.
    for (int y = 0; y < 8; ++y)
        left[y] = _mm256_inserti128_si256(
            _mm256_castsi128_si256(left0[y]),
            _mm_unpacklo_epi8(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom + y * stride)),
                _mm_setzero_si128()),
            1);
    for (; i < count; ++i)
        DeringBlocksAvx2(top + 8 + 8 * i, bottom + 8 + 8 * (i - kDeringLag), stride, qp, left);
    for (int y = 0; y < 8; ++y)
        left1[y] = _mm256_extracti128_si256(left[y], 1);
    for (int j = std::max(0, count - kDeringLag); j < count; ++j)
        DeringBlockSse2(bottom + 8 + 8 * j, stride, qp, left1, j > 0);
}
#endif

// Horizontal deblocking of the rows y .. y + 7 (fewer at the bottom of the plane).
void HorizontalBand(uint8_t* plane, int stride, int width, int height, int y, int qp, int level) {
    uint8_t* rows = plane + ptrdiff_t(y) * stride;
#if defined(__SSE2__)
    if (level >= 2 && y + 8 <= height) {
        if (width % 8 == 0 && width <= kBandColumns) {
            DeblockBandSse2(rows, stride, width, qp);
            return;
        }
        // The last edge of a row reads no further than the picture.
        int x = 8;
        for (; x + 8 <= width; x += 8)
            DeblockHorizontalSse2(rows + x - 8, stride, qp);
        for (; x + 5 <= width; x += 8)
            for (int g = 0; g < 8; g += 4)
                DeblockGroupPlain(rows + ptrdiff_t(g) * stride + x - 5, 1, stride, 4, qp, true);
        return;
    }
#else
    (void)level;
#endif
    for (int g = 0; g < 8 && y + g + 4 <= height; g += 4)
        for (int x = 8; x + 5 <= width; x += 8)
            DeblockGroupPlain(rows + ptrdiff_t(g) * stride + x - 5, 1, stride, 4, qp, true);
}

// Vertical deblocking across the edge at row y.
void VerticalEdge(uint8_t* plane, int stride, int width, int y, int qp, int level) {
    int x = 0;
#if defined(__SSE2__)
    if (UseAvx2(level))
        for (; x + 16 <= width; x += 16)
            DeblockVerticalAvx2(plane + ptrdiff_t(y - 5) * stride + x, stride, qp);
#endif
    for (; x + 8 <= width; x += 8) {
        uint8_t* p = plane + ptrdiff_t(y - 5) * stride + x;
#if defined(__SSE2__)
        if (level >= 2) {
            DeblockVerticalSse2(p, stride, qp);
            continue;
        }
#else
        (void)level;
#endif
        DeblockGroupPlain(p, stride, 1, 8, qp, false);
    }
}

// Deringing of the row of blocks at row by.
void DeringRow(uint8_t* plane, int stride, int width, int by, int qp, int level) {
#if defined(__SSE2__)
    if (level >= 2) {
        __m128i left[8];
        for (int bx = 8; bx + 16 <= width; bx += 8)
            DeringBlockSse2(plane + ptrdiff_t(by) * stride + bx, stride, qp, left, bx > 8);
        return;
    }
#endif
    for (int bx = 8; bx + 16 <= width; bx += 8)
        DeringBlockPlain(plane + ptrdiff_t(by) * stride + bx, stride, qp, level == 1);
}

// The chosen filters of one plane, band by band of eight rows while the band is still in
// the cache. Each step runs once every pixel it reads holds what the earlier filters over
// the whole plane would have left there, so the result is that of filter after filter:
// the edge at the band's top row needs the rows below it deblocked across, and the row
// of blocks above that edge needs the edge filtered.
// With AVX2, bands are deblocked across their rows in pairs (rows are independent
// there, and the second band is read by nothing before its turn), and rows of blocks are
// deringed in pairs: a row waits for the next band, which neither reads nor writes what
// the row's deringing does.
void FilterPlane(uint8_t* plane, int stride, int width, int height, int qp, bool across_rows,
                 bool across_columns, bool dering, int level) {
    const bool pairs = UseAvx2(level);
    int waiting = -1;   // a row of blocks not yet deringed
    int band_done = -1; // a band deblocked with the one above it
    for (int y = 0; y < height; y += 8) {
        if (across_rows && y != band_done) {
#if defined(__SSE2__)
            if (pairs && y + 16 <= height && width % 8 == 0 && width <= kBandColumns) {
                DeblockBandPairAvx2(plane + ptrdiff_t(y) * stride, stride, width, qp);
                band_done = y + 8;
            } else
#endif
                HorizontalBand(plane, stride, width, height, y, qp, level);
        }
        if (across_columns && y >= 8 && y + 5 <= height)
            VerticalEdge(plane, stride, width, y, qp, level);
        const int by = y - 8;
        if (!dering || by < 8 || by + 16 > height) continue;
#if defined(__SSE2__)
        if (pairs) {
            if (waiting < 0) {
                waiting = by;
            } else {
                DeringRowPairAvx2(plane, stride, width, waiting, qp);
                waiting = -1;
            }
            continue;
        }
#else
        (void)pairs;
#endif
        DeringRow(plane, stride, width, by, qp, level);
    }
    if (waiting >= 0) DeringRow(plane, stride, width, waiting, qp, level);
}

} // namespace

void AllowAvx2PostProcess(bool allow) {
    avx2_allowed = allow;
}

void DeblockHorizontal(uint8_t* plane, int stride, int width, int height, int qp, int level) {
    FilterPlane(plane, stride, width, height, qp, true, false, false, level);
}

void DeblockVertical(uint8_t* plane, int stride, int width, int height, int qp, int level) {
    FilterPlane(plane, stride, width, height, qp, false, true, false, level);
}

void Dering(uint8_t* plane, int stride, int width, int height, int qp, int level) {
    FilterPlane(plane, stride, width, height, qp, false, false, true, level);
}

void PostProcess(uint8_t* y, uint8_t* cb, uint8_t* cr, int width, int height, int qp,
                 unsigned filters, int level) {
    // The planes do not meet, so each takes its three filters in one pass.
    const int cw = width / 2, ch = height / 2;
    FilterPlane(y, width, width, height, qp, filters & kDeblockLumaH, filters & kDeblockLumaV,
                filters & kDeringLuma, level);
    for (uint8_t* plane : {cb, cr})
        FilterPlane(plane, cw, cw, ch, qp, filters & kDeblockChromaH, filters & kDeblockChromaV,
                    filters & kDeringChroma, level);
}

// ---- brightness and contrast

void Brighten(uint8_t* luma, size_t count, int offset, int level) {
    size_t i = 0;
#if defined(__SSE2__)
    if (level >= 1 && offset != 0) {
        // Units of 48 samples; the plain loop below finishes the rest.
        const __m128i amount = _mm_set1_epi8(static_cast<char>(std::min(std::abs(offset), 255)));
        for (; i + 48 <= count; i += 48) {
            __m128i* p = reinterpret_cast<__m128i*>(luma + i);
            for (int k = 0; k < 3; ++k) {
                const __m128i v = _mm_loadu_si128(p + k);
                _mm_storeu_si128(p + k,
                                 offset > 0 ? _mm_adds_epu8(v, amount) : _mm_subs_epu8(v, amount));
            }
        }
    }
#else
    (void)level;
#endif
    for (; i < count; ++i)
        luma[i] = static_cast<uint8_t>(std::clamp(luma[i] + offset, 0, 255));
}

void Contrast(uint8_t* luma, size_t count, int factor, int level) {
    size_t i = 0;
#if defined(__SSE2__)
    if (level >= 1 && factor >= -32768 && factor <= 32767) {
        const __m128i c = _mm_set1_epi16(static_cast<int16_t>(factor));
        const __m128i bias = _mm_set1_epi16(128);
        const __m128i zero = _mm_setzero_si128();
        auto adjust = [&](__m128i y) {
            const __m128i d = _mm_sub_epi16(y, bias);
            const __m128i lo = _mm_mullo_epi16(d, c), hi = _mm_mulhi_epi16(d, c);
            const __m128i p0 = _mm_srai_epi32(_mm_unpacklo_epi16(lo, hi), 13);
            const __m128i p1 = _mm_srai_epi32(_mm_unpackhi_epi16(lo, hi), 13);
            return _mm_add_epi16(y, _mm_packs_epi32(p0, p1));
        };
        for (; i + 16 <= count; i += 16) {
            __m128i* p = reinterpret_cast<__m128i*>(luma + i);
            const __m128i v = _mm_loadu_si128(p);
            _mm_storeu_si128(p, _mm_packus_epi16(adjust(_mm_unpacklo_epi8(v, zero)),
                                                 adjust(_mm_unpackhi_epi8(v, zero))));
        }
    }
#else
    (void)level;
#endif
    for (; i < count; ++i)
        luma[i] =
            static_cast<uint8_t>(std::clamp(luma[i] + (((luma[i] - 128) * factor) >> 13), 0, 255));
}

} // namespace dvr::decoder
