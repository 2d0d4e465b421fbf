#include "host/engine/U_Schedule.h"

#include "host/engine/U_Conversions.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantrel {
namespace {

void AddRange(TAutoDayBlock& day, int start, int end, int type) {
    const int i = day.RangeCount++;
    day.StartTime[i] = start;
    day.EndTime[i] = end;
    day.WorkType[i] = type;
}

std::string Status(std::initializer_list<int> types) {
    std::string s(kWorkTypes, '0');
    for (int t : types)
        s[size_t(t)] = '1';
    return s;
}

TEST(Schedule, RangesCoverTheirTimesIncludingAcrossMidnight) {
    auto record = std::make_unique<TAutoSetRecord>();
    AddRange(record->Days[2], 220000, 60000, 3); // Wednesday night
    AddRange(record->Days[2], 80000, 170000, 0);
    const struct {
        int time;
        std::string status;
    } cases[] = {
        {233000, Status({3})}, {50000, Status({3})}, {220000, Status({3})}, {60000, Status({3})},
        {60001, Status({})},   {215959, Status({})}, {120000, Status({0})}, {80000, Status({0})},
        {170000, Status({0})}, {75959, Status({})},  {170001, Status({})},  {0, Status({3})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScheduleStatus(*record, 2, c.time), c.status) << c.time;
    // The ranges belong to their day only.
    for (int other : {1, 3, 6})
        EXPECT_EQ(ScheduleStatus(*record, other, 233000), Status({})) << other;
    EXPECT_EQ(ScheduleStatus(*record, 7, 233000), Status({}));
    EXPECT_EQ(ScheduleStatus(*record, -1, 233000), Status({}));
}

TEST(Schedule, DamagedCountsAndTypesStayInsideTheRecord) {
    // Sunday is the record's last block: reading or marking past it would leave the record.
    auto record = std::make_unique<TAutoSetRecord>();
    TAutoDayBlock& sunday = record->Days[6];
    AddRange(sunday, 0, 235959, 5);
    AddRange(sunday, 0, 235959, 13);
    AddRange(sunday, 0, 235959, -1);
    AddRange(sunday, 0, 235959, 1000);
    sunday.RangeCount = 0x7fffffff;
    EXPECT_EQ(ScheduleStatus(*record, 6, 120000), Status({5}));
    sunday.RangeCount = -3;
    EXPECT_EQ(ScheduleStatus(*record, 6, 120000), Status({}));
}

TEST(Schedule, WishesFollowEvenTypesAndTheHighestDetection) {
    const struct {
        std::string status;
        bool record, detect;
        int mode;
    } cases[] = {
        {Status({}), false, false, 0},    {Status({0}), true, false, 0},
        {Status({3, 7}), false, true, 7}, {Status({12}), true, true, 12},
        {Status({1, 4}), true, true, 4},  {Status({0, 11, 9}), true, true, 11},
        {Status({5}), false, true, 5},
    };
    for (const auto& c : cases) {
        const ScheduleWish wish = WishFromStatus(c.status);
        EXPECT_EQ(wish.Record, c.record) << c.status;
        EXPECT_EQ(wish.Detect, c.detect) << c.status;
        EXPECT_EQ(wish.DetectionMode, c.mode) << c.status;
        EXPECT_EQ(StatusRecords(c.status), c.record) << c.status;
    }
}

TEST(Schedule, WeekdaysCountFromMonday) {
    const struct {
        int y, m, d, weekday;
    } cases[] = {
        {1899, 12, 30, 5}, {1899, 12, 25, 0}, {1899, 12, 31, 6}, {2026, 12, 10, 3},
        {2027, 1, 4, 0},   {2000, 2, 29, 1},  {2026, 12, 13, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WeekdayMondayFirst(OleDateFromParts(c.y, c.m, c.d, 23, 59, 59)), c.weekday)
            << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(WeekdayMondayFirst(OleDateFromParts(c.y, c.m, c.d, 0, 0, 0)), c.weekday);
    }
}

TEST(Schedule, DefaultsClearTypesAndCountsButKeepTimes) {
    auto record = std::make_unique<TAutoSetRecord>();
    for (TAutoDayBlock& day : record->Days) {
        AddRange(day, 10000, 20000, 4);
        day.StartDate[0] = 0.25;
    }
    SetScheduleDefaults(*record);
    for (const TAutoDayBlock& day : record->Days) {
        EXPECT_EQ(day.RangeCount, 0);
        EXPECT_EQ(day.WorkType[0], 0);
        EXPECT_EQ(day.StartTime[0], 10000);
        EXPECT_EQ(day.EndTime[0], 20000);
        EXPECT_EQ(day.StartDate[0], 0.25);
    }
}

} // namespace
} // namespace vantrel
