#include "common/adpcm/g726.h"

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace dvr {
namespace {

constexpr double kPi = 3.14159265358979323846;

bool SameState(const G726State& x, const G726State& y) {
    return std::memcmp(&x, &y, sizeof x) == 0;
}

// The decoder must follow the encoder exactly: after every code word both sides hold
// the same adaptive state, whatever the signal does.
TEST(G726Test, DecoderStateFollowsEncoderStateSampleBySample) {
    std::mt19937 rng(5);
    struct Signal {
        const char* name;
        std::vector<int> samples;
    };
    std::vector<Signal> signals(5);
    signals[0].name = "sweep";
    signals[1].name = "noise";
    signals[2].name = "full-scale square";
    signals[3].name = "silence after tone";
    signals[4].name = "single impulse";
    for (int n = 0; n < 16000; ++n) {
        double t = n / 8000.0;
        signals[0].samples.push_back(int(6000 * std::sin(2 * kPi * (100 + 1900 * t) * t)));
        signals[1].samples.push_back(std::uniform_int_distribution<int>(-8192, 8191)(rng));
        signals[2].samples.push_back((n / 20) % 2 ? 8191 : -8192);
        signals[3].samples.push_back(n < 8000 ? int(5000 * std::sin(2 * kPi * 1000 * t)) : 0);
        signals[4].samples.push_back(n == 100 ? 8191 : 0);
    }
    for (const auto& sig : signals)
        for (G726Mix mix : {G726Mix::kStandard, G726Mix::kKeepSlowFraction}) {
            G726State enc, dec;
            G726Reset(enc, mix);
            G726Reset(dec, mix);
            for (size_t n = 0; n < sig.samples.size(); ++n) {
                int code = G726Encode24(enc, sig.samples[n]);
                ASSERT_GE(code, 0);
                ASSERT_LE(code, 7);
                G726Decode24(dec, code);
                ASSERT_TRUE(SameState(enc, dec)) << sig.name << " sample " << n;
            }
        }
}

// The vector form of the predictor's products equals the plain one over every range the
// state can hold: coefficients of either sign up to their 16-bit limits (and -32768,
// whose magnitude wraps to 0), floating-point samples of either sign with every exponent.
TEST(G726Test, VectorProductsEqualPlainOnes) {
    std::mt19937 rng(11);
    auto coefficient = [&](int i) {
        static const int kEdges[] = {0, 1, -1, 3, 4, -4, 32767, -32768, -32767, 255, -256};
        if (i < 11) return kEdges[i];
        return std::uniform_int_distribution<int>(-32768, 32767)(rng);
    };
    auto sample = [&](int i) {
        // Sign, 4-bit exponent, 6-bit mantissa; negatives less 0x400.
        static const int kEdges[] = {32, 32 - 0x400, 0, 0x3FF, 0x3FF - 0x400, 1 << 6};
        if (i < 6) return kEdges[i];
        int f = std::uniform_int_distribution<int>(0, 0x3FF)(rng);
        return std::uniform_int_distribution<int>(0, 1)(rng) ? f - 0x400 : f;
    };
    for (int n = 0; n < 200000; ++n) {
        G726State s;
        G726Reset(s);
        for (int i = 0; i < 2; ++i) {
            s.a[i] = coefficient(n % 13 == 0 ? i + n / 13 % 11 : 99);
            s.sr[i] = sample(n % 7 == 0 ? n / 7 % 6 : 99);
        }
        for (int i = 0; i < 6; ++i) {
            s.b[i] = coefficient(n % 13 == 1 ? n / 13 % 11 : 99);
            s.dq[i] = sample(n % 7 == 1 ? (n / 7 + i) % 6 : 99);
        }
        const G726Sums plain = G726PredictorSums(s, false), vector = G726PredictorSums(s, true);
        ASSERT_EQ(plain.zeros, vector.zeros) << "state " << n;
        ASSERT_EQ(plain.poles, vector.poles) << "state " << n;
    }
}

// The zero predictor's coefficients are 16-bit: one more step of the same sign past
// 32767 wraps round to -32768, as in the recommendation's registers.
TEST(G726Test, ZeroPredictorCoefficientWrapsAt16Bits) {
    struct Case {
        int b0, code, want;
    } cases[] = {
        {32767, 3, -32768}, // 32767 - 127 + 128
        {32766, 3, 32767},
        {-32768, 4, -32768}, // -32768 + 128 - 128: the negative end holds
    };
    for (const auto& c : cases) {
        G726State s;
        G726Reset(s);
        s.b[0] = c.b0;
        G726Decode24(s, c.code);
        EXPECT_EQ(s.b[0], c.want) << c.b0 << " code " << c.code;
    }
}

// A zero difference is sent as code 7, never as the all-zero word.
TEST(G726Test, SilenceFromResetGivesCodeSeven) {
    G726State s;
    G726Reset(s);
    for (int n = 0; n < 100; ++n)
        ASSERT_EQ(G726Encode24(s, 0), 7) << n;
}

} // namespace
} // namespace dvr
