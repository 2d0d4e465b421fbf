#include "host/ui/U_ConsoleDialogRules.h"

#include "host/engine/U_Conversions.h"

#include "framework/strutils.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::fw::Utf8ToGbk;

TEST(AutoFullScreenValue, ParsesAndFormats) {
    struct Case {
        const char* value;
        bool enabled;
        int item;
    } cases[] = {{"107", true, 7}, {"007", false, 7}, {"0x7", false, 0}, {"12", false, 0},
                 {"", false, 0},   {"115", true, 15}, {"1ab", true, 0}};
    for (const Case& c : cases) {
        const AutoFullScreenChoice got = ParseAutoFullScreen(c.value);
        EXPECT_EQ(got.Enabled, c.enabled) << c.value;
        EXPECT_EQ(got.Item, c.item) << c.value;
    }
    EXPECT_EQ(FormatAutoFullScreen(true, 3), "103");
    EXPECT_EQ(FormatAutoFullScreen(false, 15), "015");
}

TEST(DiskViewRow, ShowsMegabytesRatioAndHours) {
    const uint64_t mb = 1024 * 1024;
    const DiskViewRow row = MakeDiskViewRow("E:\\", 40000 * mb, 10000 * mb + 5);
    EXPECT_EQ(row.Root, "E:\\");
    EXPECT_EQ(row.CapacityMB, "40000");
    EXPECT_EQ(row.Free, "10000  " + Utf8ToGbk("比例：") + "25%");
    EXPECT_EQ(row.HoursLeft, "100");
    EXPECT_EQ(MakeDiskViewRow("F:\\", 0, 0).Free, "0  " + Utf8ToGbk("比例：") + "0%");
}

TEST(RightsTree, HasEveryRightWithItsItems) {
    const auto& t = RightsTreeLayout();
    ASSERT_EQ(t.size(), 33u);
    EXPECT_EQ(t[0].Text, Utf8ToGbk("登录"));
    ASSERT_EQ(t[1].Children.size(), 8u);
    EXPECT_EQ(t[1].Children[0].Children.size(), 49u);
    EXPECT_EQ(t[1].Children[0].Children[4].Text, Utf8ToGbk("通道5"));
    EXPECT_TRUE(t[1].Children[4].Children.empty());
    EXPECT_EQ(t[7].Children.size(), 49u);
    EXPECT_EQ(t[13].Children[1].Text, Utf8ToGbk("远程日记"));
    EXPECT_EQ(t[29].Children[0].Text, Utf8ToGbk("询问关机"));
    EXPECT_EQ(t[32].Text, Utf8ToGbk("远程升级"));
}

TEST(WorkLogDays, GroupsByYearAndMonth) {
    const auto years = BuildWorkLogDays({"2025-12-31 10:00:00:000", "2026-01-02 08:00:00:000",
                                         "2026-01-05 09:00:00:000", "2026-02-01 00:00:00:000"},
                                        {0, 10, 25, 40});
    ASSERT_EQ(years.size(), 2u);
    EXPECT_EQ(years[0].Text, "2025");
    ASSERT_EQ(years[1].Months.size(), 2u);
    EXPECT_EQ(years[1].Months[0].Text, "01");
    ASSERT_EQ(years[1].Months[0].Days.size(), 2u);
    EXPECT_EQ(years[1].Months[0].Days[1].Text, "2026-01-05");
    EXPECT_EQ(years[1].Months[0].Days[1].FirstIndex, 25);
    EXPECT_EQ(years[1].Months[1].Days[0].FirstIndex, 40);
}

TEST(WorkLogDays, PagesOfLongDays) {
    EXPECT_TRUE(WorkLogPages(200).empty());
    EXPECT_EQ(WorkLogPages(201), (std::vector<std::string>{"1--200", "201--201"}));
    EXPECT_EQ(WorkLogPages(437), (std::vector<std::string>{"1--200", "201--400", "401--437"}));
    EXPECT_EQ(WorkLogPages(400), (std::vector<std::string>{"1--200", "201--400"}));
}

TEST(WorkLogDays, RowsShowChannelsOneBasedAndSkipUnknownEvents) {
    TWorkLogRecord r{};
    r.Time = OleDateFromParts(2026, 3, 4, 5, 6, 7, 89);
    r.Event = 0;
    r.HostChannel = 0;
    r.ClientChannel = int8_t(-1);
    r.AlarmPoint = 3;
    r.HostAddress.Set("10.0.0.1");
    r.UserName.Set("admin");
    std::vector<std::string> cols;
    ASSERT_TRUE(WorkLogRow(r, cols));
    ASSERT_EQ(cols.size(), 8u);
    EXPECT_EQ(cols[0], "2026-03-04 05:06:07:089");
    EXPECT_EQ(cols[1], Utf8ToGbk("启动系统"));
    EXPECT_EQ(cols[2], "admin");
    EXPECT_EQ(cols[3], "1");
    EXPECT_EQ(cols[4], "");
    EXPECT_EQ(cols[5], "3");
    EXPECT_EQ(cols[6], "10.0.0.1");
    r.Event = 75;
    EXPECT_FALSE(WorkLogRow(r, cols));
    r.Event = 156;
    EXPECT_FALSE(WorkLogRow(r, cols));
}

} // namespace
} // namespace vantrel
