#include "host/engine/U_BoardValues.h"

#include <gtest/gtest.h>

#include <functional>

namespace vantrel {
namespace {

TEST(BoardValues, OutOfRangeValuesBecomeWhatTheBoardAccepts) {
    struct Case {
        const char* what;
        std::function<int(int)> correct;
        int in, out;
    } cases[] = {
        {"frame rate low", BoardFrameRate, 0, 25},
        {"frame rate edge", BoardFrameRate, 30, 30},
        {"frame rate high", BoardFrameRate, 31, 25},
        {"stream type 3", BoardStreamType, 3, 3},
        {"stream type 3 in the low 16 bits", BoardStreamType, 0x10003, 3},
        {"stream type other", BoardStreamType, 2, 1},
        {"picture format", BoardPictureFormat, 3, 3},
        {"picture format high", BoardPictureFormat, 4, 0},
        {"picture format negative", BoardPictureFormat, -1, 0},
        {"key interval short", BoardKeyFrameInterval, 11, 301},
        {"key interval kept", BoardKeyFrameInterval, 12, 12},
        {"B frames high", BoardBFrames, 3, 2},
        {"B frames negative", BoardBFrames, -1, 2},
        {"B frames kept", BoardBFrames, 0, 0},
        {"quantiser negative", BoardQuantiser, -3, 0},
        {"quantiser 40 kept", BoardQuantiser, 40, 40},
        {"quantiser 41", BoardQuantiser, 41, 30},
        {"bitrate zero", BoardBitrate, 0, 800 * 2330},
        {"bitrate", BoardBitrate, 100, 233000},
        {"PAL", BoardVideoStandard, 2, 2},
        {"not PAL", BoardVideoStandard, 0, 1},
        {"motion areas", BoardMotionAreas, 9, 7},
        {"sensitivity high", BoardSensitivity, 101, 3},
        {"sensitivity negative", BoardSensitivity, -1, 3},
        {"sensitivity kept", BoardSensitivity, 100, 100},
        {"brightness", [](int v) { return BoardPictureParam(v, 255); }, 300, 255},
        {"contrast", [](int v) { return BoardPictureParam(v, 127); }, 128, 127},
        {"negative", [](int v) { return BoardPictureParam(v, 127); }, -5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.correct(c.in), c.out) << c.what;
}

TEST(BoardValues, OsdLinesHoldPositionsCharactersAndTheEnd) {
    EXPECT_EQ(OsdTimeLine({-5, 400}, false), (std::vector<uint16_t>{0, 0, 0}));
    const std::vector<uint16_t> time = OsdTimeLine({-5, 400}, true);
    ASSERT_EQ(time.size(), 16u);
    EXPECT_EQ(time[0], 1);
    EXPECT_EQ(time[1], 270);
    EXPECT_EQ(time[3], 0x9000);
    EXPECT_EQ(time.back(), 0);

    // "A" + two double-byte characters + "1".
    const std::vector<uint16_t> name = OsdNameLine({400, 10},
                                                   "A\xCD\xA8\xB5\xC0"
                                                   "1",
                                                   true);
    ASSERT_EQ(name.size(), 101u);
    EXPECT_EQ((std::vector<uint16_t>(name.begin(), name.begin() + 7)),
              (std::vector<uint16_t>{344, 10, 'A', 0xCDA8, 0xB5C0, '1', 0}));
    EXPECT_EQ(OsdNameLine({}, "x", false), (std::vector<uint16_t>{0, 0, 0}));
}

TEST(BoardValues, NamesLongerThanTheLineAreCutNotOverrun) {
    const std::string longName(150, 'x');
    const std::vector<uint16_t> name = OsdNameLine({1, 1}, longName, true);
    ASSERT_EQ(name.size(), 101u);
    EXPECT_EQ(name[99], 'x');
    EXPECT_EQ(name[100], 0);
    // A lead byte at the very end has no trail and ends the name.
    const std::vector<uint16_t> cut = OsdNameLine({1, 1}, "ab\xCD", true);
    EXPECT_EQ(cut[4], 0);
}

} // namespace
} // namespace vantrel
