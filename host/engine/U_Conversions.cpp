#include "host/engine/U_Conversions.h"

#include <cmath>

namespace vantrel {
namespace {

// A decimal number whose value is 0..255.
bool ReadByteNumber(std::string_view s) {
    if (s.empty()) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > 255) return false;
    }
    return true;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Civil date of a day count since 1970-01-01.
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

int64_t MillisecondsOfDay(double oleDate) {
    if (!std::isfinite(oleDate)) return 0;
    const double frac = std::fabs(oleDate - std::trunc(oleDate));
    long long ms = std::llround(frac * 86400000.0);
    return ms >= 86400000 ? 86399999 : ms;
}

} // namespace

int64_t OleDay(double oleDate) {
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 1e9) return 0;
    return static_cast<int64_t>(std::trunc(oleDate));
}

DateTimeParts DecodeOleDate(double oleDate) {
    DateTimeParts p{};
    CivilFromDays(OleDay(oleDate) + DaysFromCivil(1899, 12, 30), p.Year, p.Month, p.Day);
    const int64_t ms = MillisecondsOfDay(oleDate);
    p.Hour = static_cast<int>(ms / 3600000);
    p.Minute = static_cast<int>(ms / 60000 % 60);
    p.Second = static_cast<int>(ms / 1000 % 60);
    p.Millisecond = static_cast<int>(ms % 1000);
    return p;
}

bool IsIPAddress(std::string_view text) {
    if (text.size() < 7 || text.size() > 15) return false;
    for (int part = 0; part < 3; ++part) {
        const size_t dot = text.find('.');
        if (dot == std::string_view::npos || dot > 3) return false;
        if (!ReadByteNumber(text.substr(0, dot))) return false;
        text.remove_prefix(dot + 1);
    }
    return ReadByteNumber(text);
}

double OleDateFromParts(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
    const int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        DaysFromCivil(1899, 12, 30);
    const double frac = ((hour * 60.0 + minute) * 60.0 + second + millisecond / 1000.0) / 86400.0;
    // Before 1899-12-30 the fraction still counts forward from midnight.
    return days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
}

int SecondsOfDay(double oleDate) {
    return static_cast<int>(MillisecondsOfDay(oleDate) / 1000);
}

int TimeToHHMMSS(double oleDate) {
    const int s = SecondsOfDay(oleDate);
    return (s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
}

} // namespace vantrel
