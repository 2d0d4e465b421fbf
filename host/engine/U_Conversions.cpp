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

} // namespace

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
    if (!std::isfinite(oleDate)) return 0;
    const double frac = std::fabs(oleDate - std::trunc(oleDate));
    long long ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    return static_cast<int>(ms / 1000);
}

int TimeToHHMMSS(double oleDate) {
    const int s = SecondsOfDay(oleDate);
    return (s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
}

} // namespace vantrel
