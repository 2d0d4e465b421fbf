#include "common/adpcm/g726.h"

#include <bit>
#include <cstdint>
#include <cstdlib>

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
int FMult(int an, int srn) {
    int anmag = an > 0 ? an : ((-an) & 0x1FFF);
    int anexp = BitLength(anmag) - 6;
    int anmant = anmag == 0 ? 32 : anexp >= 0 ? anmag >> anexp : anmag << -anexp;
    int wanexp = anexp + ((srn >> 6) & 0xF) - 13;
    int wanmant = (anmant * (srn & 0x3F) + 0x30) >> 4;
    int r = wanexp >= 0 ? ((wanmant << wanexp) & 0x7FFF) : (wanmant >> -wanexp);
    return (an ^ srn) < 0 ? -r : r;
}

struct Estimate {
    int sez; // zero-section estimate
    int se;  // signal estimate
    int y;   // quantiser scale factor
};

Estimate Predict(const G726State& s) {
    int sezi = 0;
    for (int i = 0; i < 6; ++i)
        sezi += FMult(s.b[i] >> 2, s.dq[i]);
    // Sums and the reconstructed signal live in 16-bit registers and wrap like them.
    sezi = static_cast<int16_t>(sezi);
    int sei =
        static_cast<int16_t>(sezi + FMult(s.a[1] >> 2, s.sr[1]) + FMult(s.a[0] >> 2, s.sr[0]));

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
            int fa1 = pks1 ? s.a[0] : -s.a[0];
            if (fa1 < -8191)
                a2p -= 0x100;
            else if (fa1 > 8191)
                a2p += 0xFF;
            else
                a2p += fa1 >> 5;
            if (pk0 ^ s.pk[1]) {
                if (a2p <= -12160)
                    a2p = -12288;
                else if (a2p >= 12416)
                    a2p = 12288;
                else
                    a2p -= 0x80;
            } else if (a2p <= -12416) {
                a2p = -12288;
            } else if (a2p >= 12160) {
                a2p = 12288;
            } else {
                a2p += 0x80;
            }
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
    if (tr)
        s.ap = 256;
    else if (y < 1536 || s.td || std::abs((s.dms << 2) - s.dml) >= (s.dml >> 3))
        s.ap += (0x200 - s.ap) >> 4;
    else
        s.ap += (-s.ap) >> 4;
    return sr;
}

} // namespace

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
    int i = 0;
    while (i < 3 && dln >= kQuantLevels[i])
        ++i;
    // The all-zero word is never sent: a zero magnitude goes out with the sign bit set.
    int code = d < 0 ? 7 - i : (i == 0 ? 7 : i);

    Update(s, e, code);
    return code;
}

int G726Decode24(G726State& s, int code) {
    Estimate e = Predict(s);
    return Update(s, e, code & 7);
}

} // namespace dvr
