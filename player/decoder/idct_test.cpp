#include "player/decoder/idct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace dvr::decoder {
namespace {

// The IEEE 1180 pseudo-random generator: uniform integers in [-low, high].
class Ieee1180Random {
public:
    explicit Ieee1180Random(long seed) : seed_(seed) {}
    long Next(long low, long high) {
        seed_ = (seed_ * 1103515245 + 12345) & 0xffffffffL;
        double x = static_cast<double>(seed_ & 0x7ffffffe) / 2147483647.0;
        long i = static_cast<long>(x * (low + high + 1.0));
        return i - low;
    }

private:
    long seed_;
};

double Coef(int k, int n) {
    const double pi = std::acos(-1.0);
    double c = k == 0 ? std::sqrt(0.125) : 0.5;
    return c * std::cos((2 * n + 1) * k * pi / 16);
}

struct Basis {
    double c[8][8];
    Basis() {
        for (int k = 0; k < 8; ++k)
            for (int n = 0; n < 8; ++n)
                c[k][n] = Coef(k, n);
    }
};
const Basis kBasis;

// out[a][b] = sum over i, j of m[i][a] m[j][b] in[i][j] (m = basis or its transpose),
// done as two one-dimensional passes.
template <typename In> void Separable(const In* in, double out[64], bool forward) {
    auto m = [&](int i, int a) { return forward ? kBasis.c[a][i] : kBasis.c[i][a]; };
    double tmp[64];
    for (int i = 0; i < 8; ++i)
        for (int b = 0; b < 8; ++b) {
            double s = 0;
            for (int j = 0; j < 8; ++j)
                s += m(j, b) * in[8 * i + j];
            tmp[8 * i + b] = s;
        }
    for (int a = 0; a < 8; ++a)
        for (int b = 0; b < 8; ++b) {
            double s = 0;
            for (int i = 0; i < 8; ++i)
                s += m(i, a) * tmp[8 * i + b];
            out[8 * a + b] = s;
        }
}

void ForwardDct(const long in[64], int16_t out[64]) {
    double d[64];
    Separable(in, d, true);
    for (int i = 0; i < 64; ++i)
        out[i] = static_cast<int16_t>(std::clamp(std::lround(d[i]), -2048L, 2047L));
}

void ReferenceIdct(const int16_t in[64], long out[64]) {
    double d[64];
    Separable(in, d, false);
    for (int i = 0; i < 64; ++i)
        out[i] = std::clamp(std::lround(d[i]), -256L, 255L);
}

struct Accuracy {
    long peak = 0;
    double worst_mse = 0, overall_mse = 0, worst_mean = 0, overall_mean = 0;
};

Accuracy Measure(void (*idct)(int16_t*), long low, long high, int sign) {
    constexpr int kBlocks = 10000;
    Ieee1180Random rnd(1);
    double err[64] = {}, sq[64] = {};
    Accuracy a;
    for (int b = 0; b < kBlocks; ++b) {
        long pixels[64];
        for (long& p : pixels)
            p = rnd.Next(low, high) * sign;
        int16_t coef[64], test[64];
        ForwardDct(pixels, coef);
        long ref[64];
        ReferenceIdct(coef, ref);
        std::memcpy(test, coef, sizeof test);
        idct(test);
        for (int i = 0; i < 64; ++i) {
            long e = std::clamp<long>(test[i], -256, 255) - ref[i];
            a.peak = std::max(a.peak, std::labs(e));
            err[i] += e;
            sq[i] += e * e;
        }
    }
    for (int i = 0; i < 64; ++i) {
        a.worst_mse = std::max(a.worst_mse, sq[i] / kBlocks);
        a.worst_mean = std::max(a.worst_mean, std::fabs(err[i] / kBlocks));
        a.overall_mse += sq[i] / (64.0 * kBlocks);
        a.overall_mean += err[i] / (64.0 * kBlocks);
    }
    a.overall_mean = std::fabs(a.overall_mean);
    return a;
}

struct Transform {
    const char* name;
    void (*fn)(int16_t*);
};

class IdctAccuracy : public ::testing::TestWithParam<Transform> {};

TEST_P(IdctAccuracy, MeetsIeee1180Limits) {
    if (GetParam().fn == IdctAp922 && !HaveAp922()) GTEST_SKIP() << "no SSE2";
    struct Range {
        long low, high;
    };
    for (Range r : {Range{256, 255}, Range{5, 5}, Range{300, 300}})
        for (int sign : {1, -1}) {
            SCOPED_TRACE(::testing::Message()
                         << "range -" << r.low << ".." << r.high << " sign " << sign);
            Accuracy a = Measure(GetParam().fn, r.low, r.high, sign);
            EXPECT_LE(a.peak, 1);
            EXPECT_LE(a.worst_mse, 0.06);
            EXPECT_LE(a.overall_mse, 0.02);
            EXPECT_LE(a.worst_mean, 0.015);
            EXPECT_LE(a.overall_mean, 0.0015);
        }
}

TEST_P(IdctAccuracy, ZeroInGivesZeroOut) {
    if (GetParam().fn == IdctAp922 && !HaveAp922()) GTEST_SKIP() << "no SSE2";
    int16_t block[64] = {};
    GetParam().fn(block);
    for (int16_t v : block)
        EXPECT_EQ(v, 0);
}

TEST(Ap922Weights, DerivedTableHoldsTheKnownEntries) {
    struct Case {
        int row, k, n, weight;
    };
    const Case cases[] = {
        {0, 0, 0, 16384},  {0, 2, 0, 21407}, {0, 4, 0, 16384}, {0, 6, 0, 8867},   {0, 1, 0, 22725},
        {0, 3, 0, 19266},  {0, 5, 0, 12873}, {0, 7, 0, 4520},  {4, 2, 0, 21407},  {4, 4, 1, -16384},
        {1, 0, 0, 22725},  {7, 0, 3, 22725}, {2, 0, 0, 21407}, {6, 0, 0, 21407},  {3, 0, 0, 19266},
        {5, 0, 0, 19266},  {1, 1, 0, 31521}, {1, 2, 0, 29692}, {0, 7, 3, -22725}, {0, 1, 3, 4520},
        {0, 7, 1, -12873},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ap922Weight(c.row, c.k, c.n), c.weight)
            << "row " << c.row << " k " << c.k << " n " << c.n;
}

INSTANTIATE_TEST_SUITE_P(Both, IdctAccuracy,
                         ::testing::Values(Transform{"ChenWang", IdctChenWang},
                                           Transform{"Ap922", IdctAp922}),
                         [](const auto& info) { return std::string(info.param.name); });

// A block holding only its DC transforms to one value per row; the short form gives
// exactly what the full transform gives, for every 16-bit DC, at every level.
TEST(DcOnlyTransform, EqualsTheFullTransform) {
    for (int level : {0, 2}) {
        if (level == 2 && !HaveAp922()) continue;
        for (int dc = -32768; dc <= 32767; ++dc) {
            alignas(16) int16_t block[64] = {};
            block[0] = static_cast<int16_t>(dc);
            Idct(block, level);
            int16_t rows[8];
            IdctDcRows(static_cast<int16_t>(dc), level, rows);
            for (int i = 0; i < 64; ++i)
                ASSERT_EQ(block[i], rows[i / 8])
                    << "level " << level << " dc " << dc << " at " << i;
        }
    }
}

// The AVX2 form of the SSE2 transform gives its output on blocks of every shape: first
// row only, some rows zero (pairs of rows are skipped together), dense, and values that
// saturate the 16-bit column arithmetic.
TEST(Ap922Forms, Avx2GivesTheSse2Output) {
    if (!HaveAp922()) GTEST_SKIP() << "no SSE2";
    Ieee1180Random rng(7);
    for (int n = 0; n < 20000; ++n) {
        alignas(32) int16_t block[64] = {};
        const int shape = n % 5;
        const long range = n % 3 == 0 ? 32768 : n % 3 == 1 ? 2048 : 64;
        for (int i = 0; i < 64; ++i) {
            const int row = i / 8;
            const bool filled = shape == 0   ? row == 0
                                : shape == 1 ? (rng.Next(0, 3) == 0)
                                : shape == 2 ? row == 0 || row == 3 || row == 6
                                : shape == 3 ? true
                                             : i == 63;
            if (filled) block[i] = static_cast<int16_t>(rng.Next(range, range - 1));
        }
        alignas(32) int16_t sse2[64], avx2[64];
        std::memcpy(sse2, block, sizeof block);
        std::memcpy(avx2, block, sizeof block);
        AllowAvx2Idct(false);
        IdctAp922(sse2);
        AllowAvx2Idct(true);
        IdctAp922(avx2);
        ASSERT_TRUE(std::equal(sse2, sse2 + 64, avx2)) << "block " << n;
    }
}

} // namespace
} // namespace dvr::decoder
