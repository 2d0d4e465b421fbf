#include "sdk/dorsk/motion_analysis.h"
#include "sdk/dorsk/sim_fixture.h"

#include <functional>

namespace dvr::dorsk {
namespace {

using MotionExportsTest = testing::SimBoardTest;

constexpr int kBadArgument = AsResult(kSdkBadArgument);
constexpr int kBadHandle = AsResult(kSdkBadHandle);
constexpr intptr_t kClosed = 12345;

TEST_F(MotionExportsTest, AreasAreCheckedClampedInTheCallersArrayAndCopied) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(1);
    intptr_t one = RU4Dov_ChannelOpen(4);
    ASSERT_NE(h, kNoChannel);
    ASSERT_NE(one, kNoChannel);

    RU4DovArea areas[] = {{-16, -16, 400, 300}, {32, 32, 64, 64}};
    ASSERT_EQ(RU4Dov_SetupMotionDetection(h, areas, 2), 0);
    EXPECT_EQ(areas[0].left, 0);
    EXPECT_EQ(areas[0].top, 0);
    EXPECT_EQ(areas[0].right, 352);
    EXPECT_EQ(areas[0].bottom, 288);
    const SdkChannel& c = g_sdk.channels[1];
    ASSERT_EQ(c.motionAreaCount, 2);
    areas[1].left = 999; // the channel keeps its own copy
    EXPECT_EQ(c.motionAreas[1].left, 32);
    EXPECT_EQ(c.motionAreas[0].right, 352);

    // One-channel processor with NTSC stored: clamped to 640 x 480.
    ASSERT_EQ(RU4Dov_SetVideoStandard(one, 1), 0);
    RU4DovArea big[] = {{600, 400, 800, 700}};
    ASSERT_EQ(RU4Dov_SetupMotionDetection(one, big, 1), 0);
    EXPECT_EQ(big[0].right, 640);
    EXPECT_EQ(big[0].bottom, 480);

    struct Case {
        const char* what;
        intptr_t handle;
        std::vector<RU4DovArea> areas;
        int count;
        int result;
    };
    const Case refused[] = {
        {"negative count", h, {}, -1, kBadArgument},
        {"right left of left", kClosed, {{10, 0, 9, 5}}, 1, kBadArgument},
        {"bottom above top", h, {{0, 10, 5, 9}}, 1, kBadArgument},
        {"good areas on a closed handle", kClosed, {{0, 0, 16, 16}}, 1, kBadHandle},
    };
    for (const Case& r : refused) {
        SCOPED_TRACE(r.what);
        std::vector<RU4DovArea> list = r.areas;
        EXPECT_EQ(RU4Dov_SetupMotionDetection(r.handle, list.data(), r.count), r.result);
        EXPECT_EQ(c.motionAreaCount, 2); // the list in force stays
    }

    // Count 0 empties the list; the analyzer then has nothing to evaluate.
    ASSERT_EQ(RU4Dov_SetupMotionDetection(h, nullptr, 0), 0);
    EXPECT_EQ(c.motionAreaCount, 0);
    uint8_t record[kMotionHeaderSize + 2 * 22 * 18] = {};
    record[4] = 22;
    int32_t result = -7;
    EXPECT_EQ(RU4Dov_MotionAnalyzer(h, record, 50, &result), kBadArgument);
    EXPECT_EQ(result, -7);
}

TEST_F(MotionExportsTest, SwitchAndPrecisionCommands) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(3);
    ASSERT_NE(h, kNoChannel);
    WaitBoardReady(0);
    SdkChannel& c = g_sdk.channels[3];
    auto precision = [&] { return std::vector<int32_t>(c.motionPrecision, c.motionPrecision + 3); };
    struct Case {
        const char* what;
        std::function<int()> call;
        int result;
        std::vector<std::vector<uint32_t>> commands;
        std::vector<int32_t> stored;
    };
    const Case cases[] = {
        {"start", [&] { return RU4Dov_StartMotionDetection(h); }, 0, {{0x00070301, 0}}, {0, 0, 0}},
        {"precision, first clamped to 6",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(h, 9, 12, 13); },
         0,
         {{0x00190003, 6u << 24 | 12u << 16 | 13u << 8}},
         {6, 12, 13}},
        {"precision, negative first becomes 0",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(h, -3, 0, 0); },
         0,
         {{0x00190003, 0}},
         {0, 0, 0}},
        {"precision third 12 refused",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(h, 1, 2, 12); },
         kBadArgument,
         {},
         {0, 0, 0}},
        {"precision third 1 refused",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(h, 1, 2, 1); },
         kBadArgument,
         {},
         {0, 0, 0}},
        {"precision second 13 refused before the handle",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(kClosed, 1, 13, 0); },
         kBadArgument,
         {},
         {0, 0, 0}},
        {"precision second -1 refused",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(h, 1, -1, 0); },
         kBadArgument,
         {},
         {0, 0, 0}},
        {"precision again",
         [&] { return RU4Dov_AdjustMotionDetectPrecision(h, 2, 3, 20); },
         0,
         {{0x00190003, 2u << 24 | 3u << 16 | 20u << 8}},
         {2, 3, 20}},
        {"stop clears the precision",
         [&] { return RU4Dov_StopMotionDetection(h); },
         0,
         {{0x00070300, 0}},
         {0, 0, 0}},
        {"start on a closed handle",
         [&] { return RU4Dov_StartMotionDetection(kClosed); },
         kBadHandle,
         {},
         {0, 0, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        int from = SimCtl_GetCommandCount(0);
        EXPECT_EQ(k.call(), k.result);
        EXPECT_EQ(Commands(0, from, 2), k.commands);
        EXPECT_EQ(precision(), k.stored);
    }

    // A busy channel: the stop is not sent and the precision stays.
    ASSERT_EQ(RU4Dov_AdjustMotionDetectPrecision(h, 1, 1, 0), 0);
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    EXPECT_EQ(RU4Dov_StopMotionDetection(h), kNotSent);
    EXPECT_EQ(precision(), (std::vector<int32_t>{1, 1, 0}));
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 20), 0);
    EXPECT_EQ(RU4Dov_AdjustMotionDetectPrecision(h, 5, 5, 0), kNotSent);
    EXPECT_EQ(precision(), (std::vector<int32_t>{1, 1, 0}));
}

// Reads records from the channel until one of the given type arrives.
std::vector<uint8_t> NextRecordOfType(intptr_t handle, int wanted) {
    std::vector<uint8_t> buffer(kHostReadBufferSize);
    for (int tries = 0; tries < 400; ++tries) {
        int length = int(buffer.size()), type = 0;
        if (RU4Dov_ReadStreamData(handle, buffer.data(), &length, &type) >= 0) {
            if (type == wanted) return {buffer.begin(), buffer.begin() + length};
        } else {
            ::Sleep(10);
        }
    }
    return {};
}

TEST_F(MotionExportsTest, AnalyzerFindsTheBoardsRaisedBlocksInTheRightAreas) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t h = RU4Dov_ChannelOpen(2);
    ASSERT_NE(h, kNoChannel);
    // Block row 5, column 10 of the 22-wide grid.
    ASSERT_EQ(SimCtl_SetMotion(0, 2, 5 * 22 + 10, 200), 0);
    RU4DovArea areas[] = {
        {160, 80, 176, 96},  // exactly that block
        {0, 0, 160, 288},    // left of it
        {160, 96, 352, 288}, // below it
        {0, 0, 352, 288},    // everything
        {161, 81, 191, 111}, // partly over it: the block it starts in counts
    };
    ASSERT_EQ(RU4Dov_SetupMotionDetection(h, areas, 5), 0);
    ASSERT_EQ(RU4Dov_StartMotionDetection(h), 0);
    std::vector<uint8_t> record = NextRecordOfType(h, kFrameMotion);
    ASSERT_FALSE(record.empty());

    int32_t results[5] = {-1, -1, -1, -1, -1};
    ASSERT_EQ(RU4Dov_MotionAnalyzer(h, record.data(), 50, results), 0);
    EXPECT_EQ(std::vector<int32_t>(results, results + 5), (std::vector<int32_t>{1, 0, 0, 1, 1}));
    // Too insensitive for 200 (plus the board's background).
    ASSERT_EQ(RU4Dov_MotionAnalyzer(h, record.data(), 100, results), 0);
    EXPECT_EQ(std::vector<int32_t>(results, results + 5), (std::vector<int32_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(RU4Dov_MotionAnalyzer(kClosed, record.data(), 50, results), kBadHandle);
    RU4Dov_StopMotionDetection(h);
}

} // namespace
} // namespace dvr::dorsk
