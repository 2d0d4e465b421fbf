#include "host/net/U_NetTalkList.h"
#include "host/net/U_PatrolRules.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(NetTalkList, CompleteEntriesBecomeRowsAndATrailingPartIsIgnored) {
    const auto rows = ParseNetTalkList("Gate/10.0.0.1|59000;Yard/10.0.0.2|6000;Dock/10.0.0.3|59");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "Gate");
    EXPECT_EQ(rows[0].Address, "10.0.0.1");
    EXPECT_EQ(rows[0].Port, "59000");
    EXPECT_EQ(rows[1].Port, "6000");
    EXPECT_EQ(FormatNetTalkList(rows), "Gate/10.0.0.1|59000;Yard/10.0.0.2|6000;");
    EXPECT_TRUE(ParseNetTalkList("").empty());
}

TEST(NetTalkList, APortThatIsNotANumberFallsBackToTheDefault) {
    const struct {
        const char* port;
        uint16_t expected;
    } cases[] = {{"59001", 59001}, {"", 59000},      {"abc", 59000}, {"12x", 59000},
                 {"0", 59000},     {"70000", 59000}, {"-5", 59000}};
    for (const auto& c : cases) {
        NetTalkRow row;
        row.Port = c.port;
        EXPECT_EQ(NetTalkRowPort(row, 59000), c.expected) << c.port;
    }
}

TEST(PatrolRules, OnlyTheStepFromAnsweringToSilentIsAnOutage) {
    PingPicture p = PingPicture::None;
    EXPECT_FALSE(ApplyPingOutcome(p, false)); // never answered: never logged
    EXPECT_EQ(p, PingPicture::Silent);
    EXPECT_FALSE(ApplyPingOutcome(p, false));
    EXPECT_FALSE(ApplyPingOutcome(p, true));
    EXPECT_EQ(p, PingPicture::Answered);
    EXPECT_TRUE(ApplyPingOutcome(p, false));
    EXPECT_FALSE(ApplyPingOutcome(p, false));
    EXPECT_FALSE(ApplyPingOutcome(p, false));
    EXPECT_EQ(p, PingPicture::Silent);
}

TEST(PatrolRules, LogLinesPairIntoRows) {
    const auto rows = PairPingLogLines({"Gate", "2026-12-10 10:00:00", "Yard", "t2", "Dock"});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Host, "Yard");
    EXPECT_EQ(rows[1].Time, "t2");
    EXPECT_EQ(rows[2].Host, "Dock");
    EXPECT_EQ(rows[2].Time, "");
}

} // namespace
} // namespace vantrel
