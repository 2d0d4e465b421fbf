#include "player/decoder/idct.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace dvr::decoder {
namespace {

// 2048 * sqrt(2) * cos(k * pi / 16)
constexpr int W1 = 2841;
constexpr int W2 = 2676;
constexpr int W3 = 2408;
constexpr int W5 = 1609;
constexpr int W6 = 1108;
constexpr int W7 = 565;

// Equivalent to the -512..511 clipping table for every index it covers, and safe for
// the out-of-range sums that corrupt coefficients can produce.
inline int16_t Clip256(int v) {
    return static_cast<int16_t>(std::clamp(v, -256, 255));
}

void ChenWangRow(int16_t* b) {
    int x1 = b[4] << 11, x2 = b[6], x3 = b[2], x4 = b[1], x5 = b[7], x6 = b[5], x7 = b[3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        int16_t dc = static_cast<int16_t>(b[0] * 8);
        for (int i = 0; i < 8; ++i)
            b[i] = dc;
        return;
    }
    int x0 = (b[0] * 2048) + 128;
    int x8 = W7 * (x4 + x5);
    x4 = x8 + (W1 - W7) * x4;
    x5 = x8 - (W1 + W7) * x5;
    x8 = W3 * (x6 + x7);
    x6 = x8 - (W3 - W5) * x6;
    x7 = x8 - (W3 + W5) * x7;

    x8 = x0 + x1;
    x0 -= x1;
    x1 = W6 * (x3 + x2);
    x2 = x1 - (W2 + W6) * x2;
    x3 = x1 + (W2 - W6) * x3;
    x1 = x4 + x6;
    x4 -= x6;
    x6 = x5 + x7;
    x5 -= x7;

    x7 = x8 + x3;
    x8 -= x3;
    x3 = x0 + x2;
    x0 -= x2;
    x2 = (181 * (x4 + x5) + 128) >> 8;
    x4 = (181 * (x4 - x5) + 128) >> 8;

    b[0] = static_cast<int16_t>((x7 + x1) >> 8);
    b[1] = static_cast<int16_t>((x3 + x2) >> 8);
    b[2] = static_cast<int16_t>((x0 + x4) >> 8);
    b[3] = static_cast<int16_t>((x8 + x6) >> 8);
    b[4] = static_cast<int16_t>((x8 - x6) >> 8);
    b[5] = static_cast<int16_t>((x0 - x4) >> 8);
    b[6] = static_cast<int16_t>((x3 - x2) >> 8);
    b[7] = static_cast<int16_t>((x7 - x1) >> 8);
}

void ChenWangColumn(int16_t* b) {
    int x1 = b[8 * 4] * 256, x2 = b[8 * 6], x3 = b[8 * 2], x4 = b[8 * 1], x5 = b[8 * 7],
        x6 = b[8 * 5], x7 = b[8 * 3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        int16_t v = Clip256((b[0] + 32) >> 6);
        for (int i = 0; i < 8; ++i)
            b[8 * i] = v;
        return;
    }
    int x0 = (b[0] * 256) + 8192;
    int x8 = W7 * (x4 + x5) + 4;
    x4 = (x8 + (W1 - W7) * x4) >> 3;
    x5 = (x8 - (W1 + W7) * x5) >> 3;
    x8 = W3 * (x6 + x7) + 4;
    x6 = (x8 - (W3 - W5) * x6) >> 3;
    x7 = (x8 - (W3 + W5) * x7) >> 3;

    x8 = x0 + x1;
    x0 -= x1;
    x1 = W6 * (x3 + x2) + 4;
    x2 = (x1 - (W2 + W6) * x2) >> 3;
    x3 = (x1 + (W2 - W6) * x3) >> 3;
    x1 = x4 + x6;
    x4 -= x6;
    x6 = x5 + x7;
    x5 -= x7;

    x7 = x8 + x3;
    x8 -= x3;
    x3 = x0 + x2;
    x0 -= x2;
    x2 = (181 * (x4 + x5) + 128) >> 8;
    x4 = (181 * (x4 - x5) + 128) >> 8;

    b[8 * 0] = Clip256((x7 + x1) >> 14);
    b[8 * 1] = Clip256((x3 + x2) >> 14);
    b[8 * 2] = Clip256((x0 + x4) >> 14);
    b[8 * 3] = Clip256((x8 + x6) >> 14);
    b[8 * 4] = Clip256((x8 - x6) >> 14);
    b[8 * 5] = Clip256((x0 - x4) >> 14);
    b[8 * 6] = Clip256((x3 - x2) >> 14);
    b[8 * 7] = Clip256((x7 - x1) >> 14);
}

} // namespace

void IdctChenWang(int16_t* block) {
    for (int i = 0; i < 8; ++i)
        ChenWangRow(block + 8 * i);
    for (int i = 0; i < 8; ++i)
        ChenWangColumn(block + i);
}

namespace {
inline int Saturate16(int v) {
    return std::clamp(v, -32768, 32767);
}
} // namespace

void IdctDcRows(int16_t dc, int simd_level, int16_t rows[8]) {
    if (simd_level < 2) {
        // Row pass: the first row becomes eight copies of dc * 8 (in 16 bits); column
        // pass: entries 1..7 are zero.
        const int16_t v = Clip256((static_cast<int16_t>(dc * 8) + 32) >> 6);
        for (int r = 0; r < 8; ++r)
            rows[r] = v;
        return;
    }
    // The first row's pass: (dc * 16384 + 65536) >> 11, saturated; the zero rows carry
    // their rounding (1 in rows 1 and 2) into the column pass, as in the transform's
    // first-row-only path.
    const int y0 = Saturate16(dc * 8 + 32);
    const int a0 = Saturate16(y0 + 1), a3 = Saturate16(y0 - 1);
    const int16_t mid = static_cast<int16_t>(y0 >> 6), low = static_cast<int16_t>(a3 >> 6);
    rows[0] = static_cast<int16_t>(Saturate16(a0 + 1) >> 6);
    rows[1] = rows[2] = rows[5] = rows[6] = mid;
    rows[3] = rows[4] = low;
    rows[7] = static_cast<int16_t>(Saturate16(a0 - 1) >> 6);
}

int16_t Ap922Weight(int row, int k, int n) {
    const double pi = std::acos(-1.0);
    static const int group[8] = {4, 1, 2, 3, 4, 3, 2, 1};
    double scale = 16384.0 * std::sqrt(2.0) * std::cos(group[row] * pi / 16);
    double v = k == 0 ? scale : scale * std::sqrt(2.0) * std::cos(k * (2 * n + 1) * pi / 16);
    return static_cast<int16_t>(std::lround(v));
}

#if defined(__SSE2__)
namespace {

// Row tables. Row r is scaled by sqrt(2) cos(g pi / 16), g = 4, 1, 2, 3, 4, 3, 2, 1, so
// that the column pass can combine rows with tangents alone. Entry (k, n) is
// 16384 * scale * sqrt(2) * cos(k (2n + 1) pi / 16), and 16384 * scale for k = 0.
// Laid out for pmaddwd: even pairs (x0, x2) and (x4, x6), odd pairs (x1, x3) and
// (x5, x7), each for outputs n = 0..3.
struct alignas(16) RowTable {
    int16_t even02[8], even46[8], odd13[8], odd57[8];
};

RowTable MakeRowTable(int row) {
    auto w = [&](int k, int n) { return Ap922Weight(row, k, n); };
    RowTable t;
    for (int n = 0; n < 4; ++n) {
        t.even02[2 * n] = w(0, n);
        t.even02[2 * n + 1] = w(2, n);
        t.even46[2 * n] = w(4, n);
        t.even46[2 * n + 1] = w(6, n);
        t.odd13[2 * n] = w(1, n);
        t.odd13[2 * n + 1] = w(3, n);
        t.odd57[2 * n] = w(5, n);
        t.odd57[2 * n + 1] = w(7, n);
    }
    return t;
}

struct RowTables {
    RowTable row[8];
    RowTables() {
        for (int r = 0; r < 8; ++r)
            row[r] = MakeRowTable(r);
    }
};
const RowTables kRows;

// Added before the row shift: row 0's carries the column pass's final rounding (32 << 11
// reaches every output), the others trim the bias of the truncating column products.
constexpr int kRowRounding[8] = {65536, 3597, 2260, 1203, 0, 120, 512, 512};

inline __m128i RowPass(__m128i x, const RowTable& t, int rounding) {
    // (x0,x2) (x1,x3) (x4,x6) (x5,x7) as 32-bit lanes
    __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xD8), 0xD8);
    __m128i p02 = _mm_shuffle_epi32(v, 0x00);
    __m128i p13 = _mm_shuffle_epi32(v, 0x55);
    __m128i p46 = _mm_shuffle_epi32(v, 0xAA);
    __m128i p57 = _mm_shuffle_epi32(v, 0xFF);
    __m128i even = _mm_add_epi32(
        _mm_madd_epi16(p02, _mm_load_si128(reinterpret_cast<const __m128i*>(t.even02))),
        _mm_madd_epi16(p46, _mm_load_si128(reinterpret_cast<const __m128i*>(t.even46))));
    __m128i odd = _mm_add_epi32(
        _mm_madd_epi16(p13, _mm_load_si128(reinterpret_cast<const __m128i*>(t.odd13))),
        _mm_madd_epi16(p57, _mm_load_si128(reinterpret_cast<const __m128i*>(t.odd57))));
    even = _mm_add_epi32(even, _mm_set1_epi32(rounding));
    __m128i lo = _mm_srai_epi32(_mm_add_epi32(even, odd), 11); // outputs 0..3
    __m128i hi = _mm_srai_epi32(_mm_sub_epi32(even, odd), 11); // outputs 7..4
    return _mm_packs_epi32(lo, _mm_shuffle_epi32(hi, 0x1B));
}

// Each row's output when all its inputs are zero: its rounding alone.
inline __m128i ZeroRowPass(int rounding) {
    return _mm_set1_epi16(static_cast<int16_t>(rounding >> 11));
}

inline bool IsZero(__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())) == 0xFFFF;
}

// Rows 1..7 all zero: the other rows are their rounding, 1 in rows 1 and 2 and 0 below,
// and the column pass reduces to this.
inline void FirstRowOnly(__m128i y0, __m128i* b) {
    const __m128i one = _mm_set1_epi16(1);
    const __m128i a0 = _mm_adds_epi16(y0, one);
    const __m128i a3 = _mm_subs_epi16(y0, one);
    const __m128i mid = _mm_srai_epi16(y0, 6);
    const __m128i low = _mm_srai_epi16(a3, 6);
    _mm_storeu_si128(b + 0, _mm_srai_epi16(_mm_adds_epi16(a0, one), 6));
    _mm_storeu_si128(b + 1, mid);
    _mm_storeu_si128(b + 2, mid);
    _mm_storeu_si128(b + 3, low);
    _mm_storeu_si128(b + 4, low);
    _mm_storeu_si128(b + 5, mid);
    _mm_storeu_si128(b + 6, mid);
    _mm_storeu_si128(b + 7, _mm_srai_epi16(_mm_subs_epi16(a0, one), 6));
}

inline void ColumnPass(const __m128i* y, __m128i* b) {
    const __m128i t1 = _mm_set1_epi16(13036);   // tan(pi/16) * 65536
    const __m128i t2 = _mm_set1_epi16(27146);   // tan(2pi/16) * 65536
    const __m128i t3m = _mm_set1_epi16(-21746); // (tan(3pi/16) - 1) * 65536
    const __m128i c4 = _mm_set1_epi16(23170);   // cos(pi/4) * 32768

    __m128i u7 = _mm_adds_epi16(y[1], _mm_mulhi_epi16(y[7], t1));
    __m128i u1 = _mm_subs_epi16(_mm_mulhi_epi16(y[1], t1), y[7]);
    __m128i u5 = _mm_adds_epi16(y[3], _mm_adds_epi16(_mm_mulhi_epi16(y[5], t3m), y[5]));
    __m128i u3 = _mm_subs_epi16(_mm_adds_epi16(_mm_mulhi_epi16(y[3], t3m), y[3]), y[5]);
    __m128i b0 = _mm_adds_epi16(u7, u5);
    __m128i b3 = _mm_subs_epi16(u1, u3);
    __m128i s = _mm_subs_epi16(u7, u5);
    __m128i d = _mm_adds_epi16(u1, u3);
    __m128i b1 = _mm_mulhi_epi16(_mm_adds_epi16(s, d), c4);
    __m128i b2 = _mm_mulhi_epi16(_mm_subs_epi16(s, d), c4);
    b1 = _mm_adds_epi16(b1, b1);
    b2 = _mm_adds_epi16(b2, b2);

    __m128i v6 = _mm_adds_epi16(y[2], _mm_mulhi_epi16(y[6], t2));
    __m128i v2 = _mm_subs_epi16(_mm_mulhi_epi16(y[2], t2), y[6]);
    __m128i e0 = _mm_adds_epi16(y[0], y[4]);
    __m128i e1 = _mm_subs_epi16(y[0], y[4]);
    __m128i a0 = _mm_adds_epi16(e0, v6);
    __m128i a3 = _mm_subs_epi16(e0, v6);
    __m128i a1 = _mm_adds_epi16(e1, v2);
    __m128i a2 = _mm_subs_epi16(e1, v2);

    _mm_storeu_si128(b + 0, _mm_srai_epi16(_mm_adds_epi16(a0, b0), 6));
    _mm_storeu_si128(b + 7, _mm_srai_epi16(_mm_subs_epi16(a0, b0), 6));
    _mm_storeu_si128(b + 1, _mm_srai_epi16(_mm_adds_epi16(a1, b1), 6));
    _mm_storeu_si128(b + 6, _mm_srai_epi16(_mm_subs_epi16(a1, b1), 6));
    _mm_storeu_si128(b + 2, _mm_srai_epi16(_mm_adds_epi16(a2, b2), 6));
    _mm_storeu_si128(b + 5, _mm_srai_epi16(_mm_subs_epi16(a2, b2), 6));
    _mm_storeu_si128(b + 3, _mm_srai_epi16(_mm_adds_epi16(a3, b3), 6));
    _mm_storeu_si128(b + 4, _mm_srai_epi16(_mm_subs_epi16(a3, b3), 6));
}

void IdctAp922Sse2(int16_t* block) {
    __m128i* b = reinterpret_cast<__m128i*>(block);
    __m128i y[8];
    y[0] = RowPass(_mm_loadu_si128(b), kRows.row[0], kRowRounding[0]);
    __m128i x[8];
    __m128i any = _mm_setzero_si128();
    for (int r = 1; r < 8; ++r) {
        x[r] = _mm_loadu_si128(b + r);
        any = _mm_or_si128(any, x[r]);
    }
    if (IsZero(any)) {
        FirstRowOnly(y[0], b);
        return;
    }
    for (int r = 1; r < 8; ++r)
        y[r] = IsZero(x[r]) ? ZeroRowPass(kRowRounding[r])
                            : RowPass(x[r], kRows.row[r], kRowRounding[r]);
    ColumnPass(y, b);
}

// With AVX2 the row pass takes two rows at once, one per 128-bit lane, each with its own
// table and rounding: the same arithmetic, so the same output.
const bool kIdctHaveAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
bool idct_avx2_allowed = true;

struct alignas(32) RowPairTable {
    int16_t even02[16], even46[16], odd13[16], odd57[16];
    int32_t rounding[8];
};

struct RowPairTables {
    RowPairTable pair[4];
    RowPairTables() {
        for (int p = 0; p < 4; ++p)
            for (int lane = 0; lane < 2; ++lane) {
                const int r = 2 * p + lane;
                const RowTable& t = kRows.row[r];
                RowPairTable& o = pair[p];
                std::copy(t.even02, t.even02 + 8, o.even02 + 8 * lane);
                std::copy(t.even46, t.even46 + 8, o.even46 + 8 * lane);
                std::copy(t.odd13, t.odd13 + 8, o.odd13 + 8 * lane);
                std::copy(t.odd57, t.odd57 + 8, o.odd57 + 8 * lane);
                std::fill(o.rounding + 4 * lane, o.rounding + 4 * lane + 4, kRowRounding[r]);
            }
    }
};
const RowPairTables kRowPairs;

__attribute__((target("avx2"))) inline __m256i Load256(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m256i RowPairPass(__m256i x, const RowPairTable& t) {
    __m256i v = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xD8), 0xD8);
    __m256i p02 = _mm256_shuffle_epi32(v, 0x00);
    __m256i p13 = _mm256_shuffle_epi32(v, 0x55);
    __m256i p46 = _mm256_shuffle_epi32(v, 0xAA);
    __m256i p57 = _mm256_shuffle_epi32(v, 0xFF);
    __m256i even = _mm256_add_epi32(_mm256_madd_epi16(p02, Load256(t.even02)),
                                    _mm256_madd_epi16(p46, Load256(t.even46)));
    __m256i odd = _mm256_add_epi32(_mm256_madd_epi16(p13, Load256(t.odd13)),
                                   _mm256_madd_epi16(p57, Load256(t.odd57)));
    even = _mm256_add_epi32(even, Load256(t.rounding));
    __m256i lo = _mm256_srai_epi32(_mm256_add_epi32(even, odd), 11);
    __m256i hi = _mm256_srai_epi32(_mm256_sub_epi32(even, odd), 11);
    return _mm256_packs_epi32(lo, _mm256_shuffle_epi32(hi, 0x1B));
}

__attribute__((target("avx2"))) void IdctAp922Avx2(int16_t* block) {
    __m128i* b = reinterpret_cast<__m128i*>(block);
    const __m256i* rows = reinterpret_cast<const __m256i*>(block);
    __m256i x[4];
    for (int p = 0; p < 4; ++p)
        x[p] = _mm256_loadu_si256(rows + p);
    const __m256i below = _mm256_or_si256(_mm256_or_si256(x[1], x[2]), x[3]);
    const __m128i row1 = _mm256_extracti128_si256(x[0], 1);
    __m128i y[8];
    if (_mm256_testz_si256(below, below) && IsZero(row1)) {
        FirstRowOnly(RowPass(_mm256_castsi256_si128(x[0]), kRows.row[0], kRowRounding[0]), b);
        return;
    }
    for (int p = 0; p < 4; ++p) {
        if (p > 0 && _mm256_testz_si256(x[p], x[p])) {
            y[2 * p] = ZeroRowPass(kRowRounding[2 * p]);
            y[2 * p + 1] = ZeroRowPass(kRowRounding[2 * p + 1]);
            continue;
        }
        const __m256i out = RowPairPass(x[p], kRowPairs.pair[p]);
        y[2 * p] = _mm256_castsi256_si128(out);
        y[2 * p + 1] = _mm256_extracti128_si256(out, 1);
    }
    ColumnPass(y, b);
}

} // namespace

void AllowAvx2Idct(bool allow) {
    idct_avx2_allowed = allow;
}

void IdctAp922(int16_t* block) {
    if (kIdctHaveAvx2 && idct_avx2_allowed)
        IdctAp922Avx2(block);
    else
        IdctAp922Sse2(block);
}

bool HaveAp922() {
    return true;
}
#else
bool HaveAp922() {
    return false;
}
void IdctAp922(int16_t* block) {
    IdctChenWang(block);
}
void AllowAvx2Idct(bool) {}
#endif

} // namespace dvr::decoder
