#include "player/decoder/motion.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "player/decoder/test_pictures.h"

namespace dvr::decoder {
namespace {

using testing::Busy;
using testing::Sample;

// A w x h picture of the texture inside a plane of exactly its border, so that any read
// past the border leaves the allocation.
struct BorderedPlane {
    int w, h, border, stride;
    std::vector<uint8_t> mem;
    BorderedPlane(int width, int height, int b)
        : w(width), h(height), border(b), stride(width + 2 * b),
          mem(size_t(width + 2 * b) * (height + 2 * b)) {
        for (int y = -b; y < h + b; ++y)
            for (int x = -b; x < w + b; ++x)
                mem[size_t(y + b) * stride + x + b] =
                    static_cast<uint8_t>(Sample(Busy, 0, w, h, x, y));
    }
    PlaneView View() const { return {mem.data() + border * stride + border, stride, w, h, border}; }
};

class Prediction : public ::testing::TestWithParam<int> {};

// Every variant, both roundings and both sizes give the rule's pixels; vectors that
// reach far past the border give what an endless border would, and read nothing beyond
// the plane.
TEST_P(Prediction, FollowsTheHalfPelRules) {
    testing::SimdScope level(GetParam());
    const BorderedPlane plane(64, 48, 32);
    struct Case {
        int x, y, mvx, mvy;
    };
    const Case cases[] = {
        {16, 16, 0, 0},       {16, 16, 1, 0},    {16, 16, 0, 1},      {16, 16, 1, 1},
        {16, 16, -1, -1},     {16, 16, -3, 5},   {8, 8, 7, -9},       {0, 0, -64, -64},
        {0, 0, -65, -63},     {48, 32, 63, 31},  {48, 32, 64, 33},    {0, 0, -2000, 3},
        {48, 32, 2047, 2047}, {0, 32, -1, 2001}, {48, 0, 999, -1001}, {40, 40, 21, 15},
    };
    for (int size : {16, 8})
        for (int rounding : {0, 1})
            for (const Case& c : cases) {
                SCOPED_TRACE(::testing::Message()
                             << "size " << size << " rounding " << rounding << " at " << c.x << ","
                             << c.y << " vector " << c.mvx << "," << c.mvy);
                std::vector<uint8_t> out(size * size);
                PredictBlock(plane.View(), out.data(), size, size, c.x, c.y, c.mvx, c.mvy, rounding,
                             SimdLevel);
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x)
                        ASSERT_EQ(out[y * size + x],
                                  testing::Interpolate(Busy, 0, plane.w, plane.h, c.x + x, c.y + y,
                                                       c.mvx, c.mvy, rounding))
                            << "pixel " << x << "," << y;
            }
}

TEST_P(Prediction, RoundingTypeLowersEveryHalfPosition) {
    testing::SimdScope level(GetParam());
    // Pixels 10 11 / 12 13 repeated: each fraction over the block's first pixel.
    std::vector<uint8_t> mem(48 * 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            mem[y * 48 + x] = static_cast<uint8_t>(10 + (x & 1) + 2 * (y & 1));
    const PlaneView view{mem.data() + 16 * 48 + 16, 48, 16, 16, 16};
    struct Case {
        int mvx, mvy, rounding, expected;
    };
    const Case cases[] = {
        {1, 1, 1, 11}, {1, 1, 0, 12}, // (46 + 1) >> 2 and (46 + 2) >> 2
        {1, 0, 1, 10}, {1, 0, 0, 11}, {0, 1, 1, 11}, {0, 1, 0, 11}, {0, 0, 1, 10}, {0, 0, 0, 10},
    };
    for (const Case& c : cases)
        for (int size : {16, 8}) {
            std::vector<uint8_t> out(size * size);
            PredictBlock(view, out.data(), size, size, 0, 0, c.mvx, c.mvy, c.rounding, SimdLevel);
            EXPECT_EQ(out[0], c.expected)
                << "vector " << c.mvx << "," << c.mvy << " rounding " << c.rounding;
        }
}

TEST_P(Prediction, AverageTruncates) {
    testing::SimdScope level(GetParam());
    struct Case {
        uint8_t a, b, expected;
    };
    const Case cases[] = {{10, 13, 11}, {13, 10, 11}, {255, 254, 254}, {0, 1, 0}, {255, 255, 255}};
    for (const Case& c : cases)
        for (int size : {16, 8}) {
            std::vector<uint8_t> dst(size * size, c.a), other(size * size, c.b);
            AverageBlock(dst.data(), other.data(), size, size, SimdLevel);
            EXPECT_EQ(dst, std::vector<uint8_t>(size * size, c.expected))
                << int(c.a) << " and " << int(c.b);
        }
}

INSTANTIATE_TEST_SUITE_P(SimdLevels, Prediction, ::testing::Values(0, 1, 2));

// Random pixels, vectors, sizes and roundings: every level (SSE2 at 1, the widest forms
// the processor has at 2) predicts and averages what the plain form does.
TEST(Prediction, LevelsAgreeOnRandomBlocks) {
    std::mt19937 random(124);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int w = 64, h = 48, border = 32, stride = w + 2 * border;
    std::vector<uint8_t> mem(size_t(stride) * (h + 2 * border));
    for (uint8_t& v : mem)
        v = static_cast<uint8_t>(pick(0, 255));
    const PlaneView view{mem.data() + border * stride + border, stride, w, h, border};
    for (int round = 0; round < 4000; ++round) {
        const int size = pick(0, 1) ? 16 : 8, rounding = pick(0, 1);
        const int x = pick(0, (w - size) / 8) * 8, y = pick(0, (h - size) / 8) * 8;
        const int mvx = pick(-70, 70), mvy = pick(-70, 70);
        std::vector<uint8_t> other(size * size);
        for (uint8_t& v : other)
            v = static_cast<uint8_t>(pick(0, 255));
        std::vector<uint8_t> results[3];
        for (int level = 0; level <= 2; ++level) {
            results[level].assign(size * size, 0);
            PredictBlock(view, results[level].data(), size, size, x, y, mvx, mvy, rounding, level);
            AverageBlock(results[level].data(), other.data(), size, size, level);
        }
        ASSERT_EQ(results[1], results[0]) << "round " << round;
        ASSERT_EQ(results[2], results[0]) << "round " << round;
    }
}

TEST(ChromaVectors, OneVectorTakesHalfPositions) {
    const int cases[][2] = {{0, 0},   {1, 1},   {2, 1},   {3, 1},   {4, 2},   {5, 3},
                            {6, 3},   {7, 3},   {8, 4},   {-1, -1}, {-2, -1}, {-3, -1},
                            {-4, -2}, {-5, -3}, {-6, -3}, {-8, -4}};
    for (const auto& c : cases)
        EXPECT_EQ(ChromaVector(c[0]), c[1]) << "luma " << c[0];
}

TEST(ChromaVectors, FourVectorsRoundTheirSum) {
    const int cases[][2] = {{0, 0},   {2, 0},    {3, 1},    {5, 1},    {13, 1},  {14, 2},
                            {16, 2},  {17, 2},   {19, 3},   {30, 4},   {32, 4},  {-3, -1},
                            {-5, -1}, {-14, -2}, {-18, -2}, {-19, -3}, {-32, -4}};
    for (const auto& c : cases)
        EXPECT_EQ(ChromaVectorOfSum(c[0]), c[1]) << "sum " << c[0];
}

} // namespace
} // namespace dvr::decoder
