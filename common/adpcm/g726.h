// The 24 kbit/s ADPCM coder (3-bit code words) on 14-bit linear samples, one sample at a
// time. Bit-exact fixed-point arithmetic: encoder and decoder stay in lock step only if
// every rounding matches, so each step keeps the widths and shifts of the standard.
#pragma once

#include <cstdint>

namespace dvr {

// How the quantiser scale factor y mixes its fast and slow parts. kStandard drops the slow
// factor's 6 fraction bits before mixing, as the recommendation does. kKeepSlowFraction
// keeps them, as some widely used libraries do: y then comes out one higher now and then,
// and the code words drift apart from there. It exists so that everything else can be
// checked bit for bit against such a library; the board and the player use kStandard.
enum class G726Mix : int32_t { kStandard, kKeepSlowFraction };

// Adaptive state shared by the encoder and the decoder of one stream.
struct G726State {
    int32_t yl;    // slow (locked) step-size factor, 19 bits
    int32_t yu;    // fast (unlocked) step-size factor, 13 bits
    int32_t dms;   // short-term average of F(I)
    int32_t dml;   // long-term average of F(I)
    int32_t ap;    // speed-control parameter
    int32_t a[2];  // pole predictor coefficients
    int32_t b[6];  // zero predictor coefficients
    int32_t pk[2]; // signs of the last two partial signal estimates
    int32_t dq[6]; // last quantised differences, 11-bit floating point
    int32_t sr[2]; // last reconstructed signals, 11-bit floating point
    int32_t td;    // tone detected
    G726Mix mix;
};

// The reset values: yl 34816, yu 544, floating-point history at 32 (a zero), the rest 0.
void G726Reset(G726State& s, G726Mix mix = G726Mix::kStandard);

// Encodes one 14-bit sample (-8192..8191) and returns its code word (0..7).
int G726Encode24(G726State& s, int sl);

// Decodes one code word (low 3 bits used) and returns the reconstructed 14-bit signal.
int G726Decode24(G726State& s, int code);

// The predictor's unwrapped sums of products: the six zeros and the two poles. Where the
// processor has 256-bit integer vectors, `vector` selects the form that computes all eight
// products at once (the coder's own choice); the tests check it against the plain form.
struct G726Sums {
    int zeros, poles;
};
G726Sums G726PredictorSums(const G726State& s, bool vector);

} // namespace dvr
