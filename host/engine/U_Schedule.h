// Evaluation of the weekly timetable: which work types are in force at a moment, and what a
// channel should do about it. Portable; the registry and the timer live in U_AutoSet/U_Auto.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <string>

namespace vantrel {

// Monday 0 .. Sunday 6 of an OLE date.
int WeekdayMondayFirst(double oleDate);

// Clears the work types and range counts of every day; the times stay as they are.
void SetScheduleDefaults(TAutoSetRecord& record);

// 13 characters "0"/"1": position t is "1" when a range of work type t covers `hhmmss` on
// `weekday`. A range whose start lies after its end passes midnight. A stored range count
// beyond 50 is taken as 50 and ranges of an unknown work type are skipped: a damaged or
// remotely sent record must not reach past its day block.
std::string ScheduleStatus(const TAutoSetRecord& record, int weekday, int hhmmss);

struct ScheduleWish {
    bool Record = false;
    bool Detect = false;
    int DetectionMode = 0; // the highest detecting type in force, 0 when none
};
ScheduleWish WishFromStatus(const std::string& status);

// True when the status has an even (recording) position set.
bool StatusRecords(const std::string& status);

} // namespace vantrel
