#include "sdk/dorsk/motion_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dvr::dorsk {
namespace {

// A record of a 352 x 288 grid (22 x 18 blocks) with quiet blocks, except the given
// ones.
std::vector<uint8_t> Record(int32_t per_row, std::vector<std::pair<int, uint16_t>> raised) {
    const int32_t rows = 18;
    std::vector<uint8_t> rec(kMotionHeaderSize + size_t(std::clamp(per_row, 22, 44) * rows) * 2, 0);
    int32_t head[4] = {7, per_row, rows, 0};
    std::memcpy(rec.data(), head, sizeof head);
    for (auto [block, value] : raised)
        std::memcpy(&rec[kMotionHeaderSize + size_t(block) * 2], &value, 2);
    return rec;
}

TEST(MotionAnalysis, AreasCountOnlyBlocksWhollyInsideThemAboveTheThreshold) {
    struct Case {
        const char* what;
        MotionArea area;
        int block; // raised block index (row * 22 + column)
        uint16_t value;
        int sensitivity;
        int32_t expected;
    };
    const Case cases[] = {
        {"area under one block covers none", {0, 0, 15, 15}, 0, 1000, 10, 0},
        {"one whole block", {0, 0, 16, 16}, 0, 31, 10, 1},
        {"value equal to the threshold is not motion", {0, 0, 16, 16}, 0, 30, 10, 0},
        {"sensitivity 99 needs 120", {0, 0, 16, 16}, 0, 120, 99, 1},
        {"sensitivity 99 ignores 119", {0, 0, 16, 16}, 0, 119, 99, 0},
        {"sensitivity 100 needs 257", {0, 0, 16, 16}, 0, 257, 100, 1},
        {"sensitivity 100 ignores 256", {0, 0, 16, 16}, 0, 256, 100, 0},
        {"row and column from the grid width", {32, 16, 64, 48}, 1 * 22 + 3, 500, 0, 1},
        {"right and bottom blocks are left out", {32, 16, 64, 48}, 3 * 22 + 2, 500, 0, 0},
        {"partly covered left block is in", {40, 16, 64, 32}, 1 * 22 + 2, 500, 0, 1},
        {"last block of the picture", {0, 0, 352, 288}, 17 * 22 + 21, 500, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> rec = Record(22, {{c.block, c.value}});
        int32_t result = -5;
        ASSERT_TRUE(AnalyzeMotion(rec.data(), {&c.area, 1}, c.sensitivity, &result));
        EXPECT_EQ(result, c.expected);
    }
}

TEST(MotionAnalysis, EachAreaGetsItsOwnResultInListOrder) {
    const MotionArea areas[] = {{0, 0, 32, 32}, {160, 160, 352, 288}, {0, 0, 352, 288}};
    std::vector<uint8_t> rec = Record(22, {{12 * 22 + 15, 300}});
    int32_t results[3] = {-1, -1, -1};
    ASSERT_TRUE(AnalyzeMotion(rec.data(), areas, 3, results));
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 1);
    EXPECT_EQ(results[2], 1);
}

TEST(MotionAnalysis, RowWidthsNoPictureHasAreRefused) {
    const MotionArea area{0, 0, 704, 576};
    for (int32_t per_row : {0, -1, kMaxBlocksPerRow + 1, 0x40000000}) {
        SCOPED_TRACE(per_row);
        std::vector<uint8_t> rec = Record(per_row, {});
        int32_t result = -5;
        EXPECT_FALSE(AnalyzeMotion(rec.data(), {&area, 1}, 3, &result));
        EXPECT_EQ(result, -5);
    }
}

TEST(PictureGeometry, ClampingKeepsAreasInsideThePicture) {
    struct Case {
        MotionArea in;
        PictureSize picture;
        MotionArea out;
    };
    const Case cases[] = {
        {{-5, -1, 400, 300}, {352, 288}, {0, 0, 352, 288}},
        {{10, 20, 30, 40}, {352, 288}, {10, 20, 30, 40}},
        {{600, 500, 800, 700}, {704, 576}, {600, 500, 704, 576}},
    };
    for (const Case& c : cases) {
        MotionArea a = c.in;
        ClampToPicture(a, c.picture);
        EXPECT_EQ(std::memcmp(&a, &c.out, sizeof a), 0)
            << a.left << "," << a.top << "," << a.right << "," << a.bottom;
    }
    EXPECT_EQ(ChannelPictureSize(4, 2).width, 352);
    EXPECT_EQ(ChannelPictureSize(4, 1).height, 240);
    EXPECT_EQ(ChannelPictureSize(1, 2).height, 576);
    EXPECT_EQ(ChannelPictureSize(1, 1).width, 640);
}

} // namespace
} // namespace dvr::dorsk
