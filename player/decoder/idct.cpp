#include "player/decoder/idct.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
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

} // namespace

void IdctAp922(int16_t* block) {
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
        // Only the first row is coded (often just its DC): the other rows are their
        // rounding, 1 in rows 1 and 2 and 0 below, and the column pass reduces to this.
        const __m128i one = _mm_set1_epi16(1);
        const __m128i a0 = _mm_adds_epi16(y[0], one);
        const __m128i a3 = _mm_subs_epi16(y[0], one);
        const __m128i mid = _mm_srai_epi16(y[0], 6);
        const __m128i low = _mm_srai_epi16(a3, 6);
        _mm_storeu_si128(b + 0, _mm_srai_epi16(_mm_adds_epi16(a0, one), 6));
        _mm_storeu_si128(b + 1, mid);
        _mm_storeu_si128(b + 2, mid);
        _mm_storeu_si128(b + 3, low);
        _mm_storeu_si128(b + 4, low);
        _mm_storeu_si128(b + 5, mid);
        _mm_storeu_si128(b + 6, mid);
        _mm_storeu_si128(b + 7, _mm_srai_epi16(_mm_subs_epi16(a0, one), 6));
        return;
    }
    for (int r = 1; r < 8; ++r)
        y[r] = IsZero(x[r]) ? ZeroRowPass(kRowRounding[r])
                            : RowPass(x[r], kRows.row[r], kRowRounding[r]);

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
#endif

} // namespace dvr::decoder
