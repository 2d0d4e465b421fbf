#include "host/engine/U_Schedule.h"

#include "host/engine/U_Conversions.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

int WeekdayMondayFirst(double oleDate) {
    // Day 0 (30 December 1899) was a Saturday, 5 counted from Monday.
    const int64_t day = OleDay(oleDate);
    return static_cast<int>(((day + 5) % 7 + 7) % 7);
}

void SetScheduleDefaults(TAutoSetRecord& record) {
    for (TAutoDayBlock& day : record.Days) {
        std::memset(day.WorkType, 0, sizeof day.WorkType);
        day.RangeCount = 0;
    }
}

std::string ScheduleStatus(const TAutoSetRecord& record, int weekday, int hhmmss) {
    std::string status(kWorkTypes, '0');
    if (weekday < 0 || weekday >= kScheduleDays) return status;
    const TAutoDayBlock& day = record.Days[weekday];
    const int ranges = std::clamp<int32_t>(day.RangeCount, 0, kScheduleRanges);
    const auto t = static_cast<uint32_t>(hhmmss);
    for (int i = 0; i < ranges; ++i) {
        const int32_t type = day.WorkType[i];
        if (type < 0 || type >= kWorkTypes) continue;
        const auto s = static_cast<uint32_t>(day.StartTime[i]);
        const auto e = static_cast<uint32_t>(day.EndTime[i]);
        const bool covers = s <= e ? (s <= t && t <= e) : (t >= s || t <= e);
        if (covers) status[size_t(type)] = '1';
    }
    return status;
}

bool StatusRecords(const std::string& status) {
    for (size_t t = 0; t < status.size(); t += 2)
        if (status[t] == '1') return true;
    return false;
}

ScheduleWish WishFromStatus(const std::string& status) {
    ScheduleWish wish;
    wish.Record = StatusRecords(status);
    for (size_t t = 1; t < status.size(); ++t)
        if (status[t] == '1') {
            wish.Detect = true;
            wish.DetectionMode = int(t);
        }
    return wish;
}

} // namespace vantrel
