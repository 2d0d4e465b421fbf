#include "host/engine/U_WorkLogLine.h"

#include "host/engine/U_Conversions.h"
#include "host/engine/U_WorkLogConst.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(WorkLogLine, DateHasOneFixedFormAndReadsBackExactly) {
    const double t = OleDateFromParts(2026, 12, 10, 9, 5, 7, 123);
    const std::string line = WorkLogLine(t, 20, -1, 2, 1, "", "", "vorel");
    EXPECT_EQ(line, "2026-12-10 09:05:07.123;20;-1;2;1;;;vorel;");
    TWorkLogRecord r{};
    ASSERT_TRUE(ParseWorkLogLine(line, r));
    EXPECT_EQ(DecodeOleDate(r.Time).Millisecond, 123);
    EXPECT_EQ(OleDay(r.Time), OleDay(t));
    EXPECT_EQ(TimeToHHMMSS(r.Time), 90507);
    EXPECT_EQ(r.Event, 20);
    EXPECT_EQ(r.ClientChannel, -1);
    EXPECT_EQ(r.HostChannel, 2);
    EXPECT_EQ(r.AlarmPoint, 1);
    EXPECT_EQ(r.UserName.Get(), "vorel");
    EXPECT_EQ(FormatDayHeadTime(t), "2026-12-10 09:05:07:123");
}

TEST(WorkLogLine, FieldsReadOrTheLineIsDropped) {
    const std::string date = "2026-01-02 03:04:05.006;";
    const std::string gbkUser = "\xB2\xD9\xD7\xF7\xD4\xB1\xB2\xD9\xD7\xF7\xD4\xB1"; // 6 characters
    const struct {
        std::string line;
        bool reads;
        int event, client;
        std::string host, user;
    } cases[] = {
        {date + "0;-1;-1;-1;;;vorel;", true, 0, -1, "", "vorel"},
        {date + "300;-1;-1;-1;;;vorel;", true, 44, -1, "", "vorel"}, // low 8 bits
        {date + "3;255;-1;-1;;;u;", true, 3, -1, "", "u"},           // 255 is -1 as a byte
        {date + "3;+7;-1;-1;;;u;trailing", true, 3, 7, "", "u"},
        {date + "68;-1;-1;-1;192.168.100.200:5000:ab;;u;", true, 68, -1, "192.168.100.200:5000",
         "u"},
        {date + "1;-1;-1;-1;;;abcdefghijkl;", true, 1, -1, "", "abcdefghij"},
        {date + "1;-1;-1;-1;;;" + gbkUser + ";", true, 1, -1, "", gbkUser.substr(0, 10)},
        {date + "0;-1;-1;-1;;;vorel", false, 0, 0, "", ""}, // the user's ";" missing
        {date + "0;x;-1;-1;;;vorel;", false, 0, 0, "", ""},
        {date + "0;;-1;-1;;;vorel;", false, 0, 0, "", ""},
        {date + "99999999999;-1;-1;-1;;;vorel;", false, 0, 0, "", ""},
        {"10.12.2026 09:05:07;0;-1;-1;-1;;;vorel;", false, 0, 0, "", ""}, // a locale's date
        {"2026-13-02 03:04:05.006;0;-1;-1;-1;;;vorel;", false, 0, 0, "", ""},
        {"", false, 0, 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TWorkLogRecord r{};
        ASSERT_EQ(ParseWorkLogLine(c.line, r), c.reads);
        if (!c.reads) continue;
        EXPECT_EQ(r.Event, c.event);
        EXPECT_EQ(r.ClientChannel, c.client);
        EXPECT_EQ(r.HostAddress.Get(), c.host);
        EXPECT_EQ(r.UserName.Get(), c.user);
        EXPECT_LE(r.HostAddress.len, 20);
        EXPECT_LE(r.UserName.len, 10);
    }
}

TEST(WorkLogEventTexts, NumbersAndTexts) {
    const struct {
        int event;
        const char* text;
    } cases[] = {{0, "启动系统"},
                 {3, "退出系统"},
                 {20, "开始视频移动报警"},
                 {67, "客户申请连接，验证失败，拒绝连接"},
                 {72, "在本地设置里，按了<应用>按钮"},
                 {74, "未知"}};
    for (const auto& c : cases)
        EXPECT_STREQ(WorkLogEventTexts[c.event], c.text);
    for (const char* text : WorkLogEventTexts)
        EXPECT_NE(std::string(text), "");
}

} // namespace
} // namespace vantrel
