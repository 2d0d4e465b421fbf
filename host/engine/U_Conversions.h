// Small conversions shared by the host engine: address texts and OLE Automation dates.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

// True for a dotted IPv4 address: four decimal numbers 0..255, 7 to 15 characters in all.
bool IsIPAddress(std::string_view text);

// Days since 30 December 1899 with the time of day as the fraction.
double OleDateFromParts(int year, int month, int day, int hour, int minute, int second,
                        int millisecond = 0);

// The time of day of an OLE date, rounded to the millisecond, as whole seconds since midnight.
int SecondsOfDay(double oleDate);

struct DateTimeParts {
    int Year, Month, Day, Hour, Minute, Second, Millisecond;
};
// An OLE date split into its calendar and clock parts, rounded to the millisecond.
DateTimeParts DecodeOleDate(double oleDate);

// The calendar day of an OLE date (its whole days; before the epoch still the day it lies in).
int64_t OleDay(double oleDate);

// The time of day as the integer hour * 10000 + minute * 100 + second (09:05:07 -> 90507).
int TimeToHHMMSS(double oleDate);

} // namespace vantrel
