#include "host/engine/U_AlarmKinds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vantrel {
namespace {

TEST(AlarmKinds, ModesStartTheirKinds) {
    TAlarmSetRecord record{};
    record.MotionOn = 1;
    record.ProbeOn = 1;
    struct Case {
        int mode;
        std::string kinds;
    } cases[] = {{-1, ">?"}, {0, ""},    {1, "=>?"}, {2, "=>?"}, {3, ">"},  {4, ">"},
                 {5, "?"},   {6, "?"},   {7, "="},   {8, "="},   {9, "=>"}, {10, "=>"},
                 {11, ">?"}, {12, ">?"}, {13, ""},   {-2, ""}};
    for (const Case& c : cases) {
        auto kinds = DetectionKindsForMode(c.mode, record);
        EXPECT_EQ(std::string(kinds.begin(), kinds.end()), c.kinds) << "mode " << c.mode;
    }
}

TEST(AlarmKinds, MotionAreasRoundHalvesToEvenAndDefaultToWholePicture) {
    TAlarmSetRecord record{};
    EXPECT_EQ(BuildMotionAreas(record), (std::vector<MotionArea>{{0, 0, 351, 287}}));

    record.AreaCount = 2;
    // 1/64 and 3/64 of 352 x 288 fall on halves (5.5, 4.5, 16.5, 13.5): they go to the even side.
    record.Areas[0] = {1.0 / 64, 1.0 / 64, 0.5, 1.0};
    record.Areas[1] = {3.0 / 64, 3.0 / 64, 0.25, 0.75};
    EXPECT_EQ(BuildMotionAreas(record),
              (std::vector<MotionArea>{{6, 4, 176, 288}, {16, 14, 88, 216}}));

    // A corrupt count reads no further than the table.
    record.AreaCount = 1000;
    EXPECT_EQ(BuildMotionAreas(record).size(), 7u);
    record.AreaCount = -3;
    EXPECT_EQ(BuildMotionAreas(record).size(), 1u);
}

TEST(AlarmKinds, LatchesClearByKindAndRejectIndexesOutsideTheTables) {
    TAlarmLatches latches;
    *latches.Find(3, '=', 0) = 1;
    *latches.Find(3, '>', 6) = 1;
    *latches.Find(3, '?', 15) = 1;
    latches.Clear(3, '>');
    EXPECT_EQ(latches.Motion[3][6], 0);
    EXPECT_EQ(latches.VideoLoss[3], 1);
    EXPECT_EQ(latches.Probe[3][15], 1);

    EXPECT_EQ(latches.Find(3, '>', 7), nullptr);
    EXPECT_EQ(latches.Find(3, '?', 16), nullptr);
    EXPECT_EQ(latches.Find(49, '=', 0), nullptr);
    EXPECT_EQ(latches.Find(0, 'A', 0), nullptr);
    latches.Clear(49, '=');
}

TEST(AlarmKinds, RaisedParamPacksKindAndIndex) {
    EXPECT_EQ(RaisedParam('>', 3), 3 * 256 + 62);
    EXPECT_EQ(RaisedParam('?', 4) >> 8, 4);
}

} // namespace
} // namespace vantrel
