#include "host/engine/U_Conversions.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(IsIPAddress, DottedAddressesOnly) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"192.168.1.1", true},       {"0.0.0.0", true},
        {"255.255.255.255", true},   {"10.0.0.1", true},
        {"192.168.1", false},        {"1.2.3.256", false},
        {"1234.1.1.1", false},       {".1.2.3", false},
        {"1..2.3", false},           {"1.2.3.4.5", false},
        {"a.b.c.d", false},          {"1.2.3.", false},
        {"host.example", false},     {"1.2.3.-4", false},
        {"1.2.3.4 ", false},         {"", false},
        {"255.255.255.2555", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsIPAddress(c.text), c.ok) << c.text;
}

TEST(OleDate, DaysSinceTheEpochAndTimeOfDay) {
    EXPECT_DOUBLE_EQ(OleDateFromParts(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(OleDateFromParts(1900, 1, 1, 0, 0, 0), 2.0);
    EXPECT_DOUBLE_EQ(OleDateFromParts(2000, 1, 1, 12, 0, 0), 36526.5);
    EXPECT_DOUBLE_EQ(OleDateFromParts(1899, 12, 29, 6, 0, 0), -1.25);

    const struct {
        double date;
        int hhmmss;
    } cases[] = {
        {OleDateFromParts(2026, 12, 10, 9, 5, 7), 90507},
        {OleDateFromParts(2026, 12, 10, 0, 0, 0), 0},
        {OleDateFromParts(2026, 12, 10, 23, 59, 59), 235959},
        {OleDateFromParts(2026, 12, 10, 12, 0, 29, 999), 120029}, // never rounds up a second
        {OleDateFromParts(1899, 12, 29, 6, 0, 1), 60001},         // before the epoch
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeToHHMMSS(c.date), c.hhmmss) << c.hhmmss;
    EXPECT_EQ(SecondsOfDay(OleDateFromParts(2026, 1, 1, 1, 2, 3)), 3723);
}

} // namespace
} // namespace vantrel
