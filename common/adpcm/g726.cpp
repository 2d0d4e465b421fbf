#include "common/adpcm/g726.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstddef>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace dvr {
namespace {

// Quantiser decision levels of log2|d| - y, scaled by 128.
constexpr int kQuantLevels[3] = {8, 218, 331};
// Reconstruction levels per code word, same scale; -2048 stands for minus infinity.
constexpr int kDqln[8] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
// Scale-factor multipliers W(I), pre-shifted by 5 for the step-size filter.
constexpr int kW[8] = {-128, 960, 4384, 18624, 18624, 4384, 960, -128};
// Speed-control function F(I), pre-shifted by 9.
constexpr int kF[8] = {0, 0x200, 0x400, 0xE00, 0xE00, 0x400, 0x200, 0};

// Number of significant bits of v >= 0 (0 for 0), at most 15.
inline int BitLength(int v) {
    int n = std::bit_width(static_cast<unsigned>(v));
    return n < 15 ? n : 15;
}

// 11-bit floating point: sign, 4-bit exponent, 6-bit mantissa. Negative values are kept
// as negative integers whose low 10 bits hold exponent and mantissa.
inline int ToFloat(int negative, int mag) {
    if (mag == 0) return negative ? 32 - 0x400 : 32;
    int exp = BitLength(mag);
    int f = (exp << 6) + ((mag << 6) >> exp);
    return negative ? f - 0x400 : f;
}

// Product of a predictor coefficient (an = coefficient >> 2) and a floating-point sample.
// Eight of these per sample make up most of the coder's work: written without branches,
// the shifts in either direction folded into one 64-bit shift.
inline int FMult(int an, int srn) {
    const int anmag = an > 0 ? an : ((-an) & 0x1FFF);
    const int bits = std::bit_width(static_cast<unsigned>(anmag)); // at most 13
    // The top six bits of anmag: anmag * 2^(6 - bits), exact for either sign of the shift.
    const int anmant = anmag == 0 ? 32 : ((anmag << 16) >> bits) >> 10;
    const int wanexp = bits - 6 + ((srn >> 6) & 0xF) - 13; // -19..9
    const int wanmant = (anmant * (srn & 0x3F) + 0x30) >> 4;
    const int r = static_cast<int>((static_cast<uint64_t>(wanmant) << 19) >> (19 - wanexp)) & 0x7FFF;
    const int negative = (an ^ srn) >> 31;
    return (r ^ negative) - negative;
}

struct Estimate {
    int sez; // zero-section estimate
    int se;  // signal estimate
    int y;   // quantiser scale factor
};

#if defined(__x86_64__) || defined(__i386__)
// The eight products at once: the two poles (a[0], a[1] against sr[0], sr[1]) in lanes 0
// and 1, the six zeros (b[i] against dq[i]) in lanes 2 to 7; the same steps as FMult.
// Returns the zero section's sum and the poles' sum.
__attribute__((target("avx2"))) void ProductsAvx2(const G726State& s, int* zeros, int* poles) {
    static_assert(offsetof(G726State, b) == offsetof(G726State, a) + 2 * sizeof(int32_t));
    static_assert(offsetof(G726State, sr) == offsetof(G726State, dq) + 6 * sizeof(int32_t));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i an = _mm256_srai_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.a)), 2);
    const __m256i srn = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.dq)), _mm256_setr_epi32(6, 7, 0, 1, 2, 3, 4, 5));
    const __m256i anmag = _mm256_blendv_epi8(
        _mm256_and_si256(_mm256_sub_epi32(zero, an), _mm256_set1_epi32(0x1FFF)), an,
        _mm256_cmpgt_epi32(an, zero));
    // Bit length from the exponent of the exact float conversion (anmag < 2^13); 0 for 0.
    const __m256i exponent =
        _mm256_srli_epi32(_mm256_castps_si256(_mm256_cvtepi32_ps(anmag)), 23);
    const __m256i bits = _mm256_max_epi32(_mm256_sub_epi32(exponent, _mm256_set1_epi32(126)), zero);
    const __m256i is_zero = _mm256_cmpeq_epi32(anmag, zero);
    const __m256i anmant = _mm256_or_si256(
        _mm256_srli_epi32(_mm256_srlv_epi32(_mm256_slli_epi32(anmag, 16), bits), 10),
        _mm256_and_si256(is_zero, _mm256_set1_epi32(32)));
    const __m256i wanexp = _mm256_add_epi32(
        _mm256_sub_epi32(bits, _mm256_set1_epi32(19)),
        _mm256_and_si256(_mm256_srai_epi32(srn, 6), _mm256_set1_epi32(0xF)));
    // Both factors fit in 16 bits with zero high halves: pmaddwd gives their product.
    const __m256i wanmant = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_madd_epi16(anmant, _mm256_and_si256(srn, _mm256_set1_epi32(0x3F))),
                         _mm256_set1_epi32(0x30)),
        4);
    // A shift count out of range gives 0, so only the shift of the right direction counts.
    __m256i r = _mm256_or_si256(_mm256_sllv_epi32(wanmant, wanexp),
                                _mm256_srlv_epi32(wanmant, _mm256_sub_epi32(zero, wanexp)));
    r = _mm256_and_si256(r, _mm256_set1_epi32(0x7FFF));
    const __m256i negative = _mm256_srai_epi32(_mm256_xor_si256(an, srn), 31);
    r = _mm256_sub_epi32(_mm256_xor_si256(r, negative), negative);
    alignas(32) int v[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(v), r);
    *poles = v[0] + v[1];
    *zeros = v[2] + v[3] + v[4] + v[5] + v[6] + v[7];
}

// Set during static initialisation, possibly before the runtime's own processor probe has
// run: probe first.
const bool kHaveAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

inline G726Sums Sums(const G726State& s, bool vector) {
    G726Sums r;
#if defined(__x86_64__) || defined(__i386__)
    if (vector && kHaveAvx2) {
        ProductsAvx2(s, &r.zeros, &r.poles);
        return r;
    }
#endif
    (void)vector;
    r.zeros = 0;
    for (int i = 0; i < 6; ++i)
        r.zeros += FMult(s.b[i] >> 2, s.dq[i]);
    r.poles = FMult(s.a[1] >> 2, s.sr[1]) + FMult(s.a[0] >> 2, s.sr[0]);
    return r;
}

Estimate Predict(const G726State& s) {
    const G726Sums sums = Sums(s, true);
    int sezi = sums.zeros, poles = sums.poles;
    // Sums and the reconstructed signal live in 16-bit registers and wrap like them.
    sezi = static_cast<int16_t>(sezi);
    int sei = static_cast<int16_t>(sezi + poles);

    // Mix of the fast and slow factors by the speed control.
    int y = s.yu;
    if (s.ap < 256) {
        int al = s.ap >> 2;
        y = s.yl >> 6;
        int dif = s.yu - y;
        if (s.mix == G726Mix::kKeepSlowFraction)
            y = (s.yl + dif * al) >> 6;
        else if (dif > 0)
            y += (dif * al) >> 6;
        else if (dif < 0)
            y -= (-dif * al) >> 6; // sign and magnitude: the product rounds toward zero
    }
    return {sezi >> 1, sei >> 1, y};
}

// Quantised difference from a code word: a magnitude with a separate sign, returned as
// the magnitude or, when negative, the magnitude minus 0x8000.
int Reconstruct(int code, int y) {
    int negative = code & 4;
    int dql = kDqln[code] + (y >> 2);
    if (dql < 0) return negative ? -0x8000 : 0;
    int dex = (dql >> 7) & 15;
    int dqt = 128 + (dql & 127);
    int dq = (dqt << 7) >> (14 - dex);
    return negative ? dq - 0x8000 : dq;
}

// Everything after the code word is known: reconstruction and adaptation. Returns sr.
int Update(G726State& s, const Estimate& e, int code) {
    const int y = e.y;
    const int dq = Reconstruct(code, y);
    const int mag = dq & 0x7FFF;
    const int dq_value = dq < 0 ? -mag : dq;
    const int sr = static_cast<int16_t>(e.se + dq_value);
    const int dqsez = static_cast<int16_t>(e.sez + dq_value);
    const int pk0 = dqsez < 0 ? 1 : 0;

    // Transition from a tone: a large difference while a tone was detected.
    int ylint = s.yl >> 15;
    int ylfrac = (s.yl >> 10) & 0x1F;
    int thr = ylint > 9 ? 31 << 10 : (32 + ylfrac) << ylint;
    int dqthr = (thr + (thr >> 1)) >> 1;
    const bool tr = s.td != 0 && mag > dqthr;

    s.yu = y + ((kW[code] - y) >> 5);
    if (s.yu < 544)
        s.yu = 544;
    else if (s.yu > 5120)
        s.yu = 5120;
    s.yl += s.yu + ((-s.yl) >> 6);

    int a2p = 0;
    if (tr) {
        s.a[0] = s.a[1] = 0;
        for (int& b : s.b)
            b = 0;
    } else {
        // Second pole: leak, then follow the sign correlations of the partial signal,
        // kept within +-0.75.
        int pks1 = pk0 ^ s.pk[0];
        a2p = s.a[1] - (s.a[1] >> 7);
        if (dqsez != 0) {
            // f(a1) is a1 / 32 limited to -256..255; then a step of 1/64 toward the sign
            // correlation, and the whole kept within +-0.75. Written as clamps, since the
            // signs steer it at random.
            const int fa1 = std::clamp(pks1 ? s.a[0] : -s.a[0], -8192, 8191) >> 5;
            a2p = std::clamp(a2p + fa1 + ((pk0 ^ s.pk[1]) ? -0x80 : 0x80), -12288, 12288);
        }
        s.a[1] = a2p;

        // First pole, limited so that the two-pole section stays stable.
        s.a[0] -= s.a[0] >> 8;
        if (dqsez != 0) s.a[0] += pks1 ? -192 : 192;
        int a1ul = 15360 - a2p;
        if (s.a[0] < -a1ul)
            s.a[0] = -a1ul;
        else if (s.a[0] > a1ul)
            s.a[0] = a1ul;

        // Zero predictor: leak, then step toward the sign correlation of the differences.
        // The coefficients are 16-bit registers: a long run of one sign wraps 32768 round.
        for (int i = 0; i < 6; ++i) {
            int b = s.b[i] - (s.b[i] >> 8);
            if (mag != 0) b += (dq ^ s.dq[i]) >= 0 ? 128 : -128;
            s.b[i] = static_cast<int16_t>(b);
        }
    }

    for (int i = 5; i > 0; --i)
        s.dq[i] = s.dq[i - 1];
    s.dq[0] = ToFloat(dq < 0, mag);
    s.sr[1] = s.sr[0];
    s.sr[0] = sr <= -32768 ? 32 - 0x400 : ToFloat(sr < 0, std::abs(sr));
    s.pk[1] = s.pk[0];
    s.pk[0] = pk0;

    // A strongly negative second pole means a steady tone (a modem, say).
    s.td = !tr && a2p < -11776 ? 1 : 0;

    // Speed control: a steady short- and long-term average of F(I) allows the slow factor.
    const int f = kF[code];
    s.dms += (f - s.dms) >> 5;
    s.dml += ((f << 2) - s.dml) >> 7;
    const bool fast = y < 1536 || s.td || std::abs((s.dms << 2) - s.dml) >= (s.dml >> 3);
    s.ap = tr ? 256 : s.ap + (((fast ? 0x200 : 0) - s.ap) >> 4);
    return sr;
}

} // namespace

G726Sums G726PredictorSums(const G726State& s, bool vector) {
    return Sums(s, vector);
}

void G726Reset(G726State& s, G726Mix mix) {
    s = {};
    s.mix = mix;
    s.yl = 34816;
    s.yu = 544;
    for (int& v : s.dq)
        v = 32;
    s.sr[0] = s.sr[1] = 32;
}

int G726Encode24(G726State& s, int sl) {
    Estimate e = Predict(s);
    int d = sl - e.se;

    // log2|d| with a 7-bit fraction, less the scale factor.
    int dqm = std::abs(d);
    int exp = BitLength(dqm >> 1);
    int dl = (exp << 7) + (((dqm << 7) >> exp) & 0x7F);
    int dln = dl - (e.y >> 2);
    // The interval of dln among the decision levels; counted without branches, as the
    // signal makes them unpredictable.
    const int i = (dln >= kQuantLevels[0]) + (dln >= kQuantLevels[1]) + (dln >= kQuantLevels[2]);
    // The all-zero word is never sent: a zero magnitude goes out with the sign bit set.
    const int negative = d >> 31; // 0 or -1
    int code = (i ^ negative) & 7; // 7 - i when negative
    code = code == 0 ? 7 : code;

    Update(s, e, code);
    return code;
}

int G726Decode24(G726State& s, int code) {
    Estimate e = Predict(s);
    return Update(s, e, code & 7);
}

} // namespace dvr
