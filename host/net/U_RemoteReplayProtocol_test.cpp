#include "host/net/U_RemoteReplayProtocol.h"
#include "host/ui/U_ReplayRules.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(RemoteReplayCommand, KeywordsAndFields) {
    struct Case {
        const char* text;
        ReplayCommandKind kind;
        const char *user, *password, *date, *path;
    };
    const Case cases[] = {
        {"connectadmin~secret", ReplayCommandKind::Connect, "admin", "secret", "", ""},
        {"connectsecret", ReplayCommandKind::Connect, "", "secret", "", ""},
        {"connect~", ReplayCommandKind::Connect, "", "", "", ""},
        {"connecta~b~c", ReplayCommandKind::Connect, "a", "b~c", "", ""},
        {"FileInfoadmin~pw!2026-12-10@", ReplayCommandKind::FileInfo, "admin", "pw", "2026-12-10",
         ""},
        {"FileInfoadmin~pw!2026-12-10@tail", ReplayCommandKind::FileInfo, "admin", "pw",
         "2026-12-10", ""},
        {"FileInfo~!2026-12-10", ReplayCommandKind::FileInfo, "", "", "2026-12-10", ""},
        {"PlayFileD:\\DVRDat\\x.MPG", ReplayCommandKind::PlayFile, "", "", "", "D:\\DVRDat\\x.MPG"},
        {"DownloadD:\\a", ReplayCommandKind::Download, "", "", "", "D:\\a"},
        {"Connectx~y", ReplayCommandKind::Unknown, "", "", "", ""},
        {"playfileD:\\a", ReplayCommandKind::Unknown, "", "", "", ""},
        {"conne", ReplayCommandKind::Unknown, "", "", "", ""},
        {"FileInf", ReplayCommandKind::Unknown, "", "", "", ""},
        {"", ReplayCommandKind::Unknown, "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const RemoteReplayCommand r = ParseRemoteReplayCommand(c.text);
        EXPECT_EQ(r.Kind, c.kind);
        EXPECT_EQ(r.User, c.user);
        EXPECT_EQ(r.Password, c.password);
        EXPECT_EQ(r.Date, c.date);
        EXPECT_EQ(r.Path, c.path);
    }
}

TEST(RemoteReplayCommand, ClientTextsParseBack) {
    const RemoteReplayCommand r =
        ParseRemoteReplayCommand(BuildFileInfoCommand("u", "p", "2026-01-02"));
    EXPECT_EQ(r.Kind, ReplayCommandKind::FileInfo);
    EXPECT_EQ(r.User + "|" + r.Password + "|" + r.Date, "u|p|2026-01-02");
    EXPECT_EQ(BuildConnectCommand("u", "p"), "connectu~p");
}

TEST(ConnectReply, BuildsAndSplitsTitlesAndDays) {
    const std::string reply = BuildConnectReply({"Gate", "", "Hall"}, "2026-12-01,2026-12-02,");
    EXPECT_EQ(reply, "Gate;;Hall;2026-12-01,2026-12-02,");
    const ConnectReply r = ParseConnectReply(reply);
    EXPECT_EQ(r.Titles, (std::vector<std::string>{"Gate", "", "Hall"}));
    EXPECT_EQ(r.Days, (std::vector<std::string>{"2026-12-01", "2026-12-02"}));
    EXPECT_EQ(ChannelItemCaption(0, "Gate"), "1 <Gate>");
    EXPECT_TRUE(ParseConnectReply("a;b;c;").Days.empty());
}

TEST(FileInfoLine, FieldsAndTimes) {
    EXPECT_EQ(FileInfoDayKey("2026-12-10"), "20261210");
    EXPECT_EQ(FileInfoDayKey("2026x12y10"), "20261210");
    EXPECT_EQ(FileInfoDayKey("2026-12"), "");
    std::string start;
    ASSERT_TRUE(FileStartText("D:\\DVRDat\\20261210\\1\\CC\\0-0-20261210235959.MPG", start));
    EXPECT_EQ(start, "2026-12-10 23:59:59");
    EXPECT_FALSE(FileStartText("D:\\x\\0-0-2026121023595x.MPG", start));
    EXPECT_FALSE(FileStartText("short", start));
    EXPECT_EQ(RecordingSeconds("2026-12-10 23:59:59", "2026-12-11 00:01:00"), 61);
    EXPECT_EQ(RecordingSeconds("2026-12-11 00:01:00", "2026-12-10 23:59:59"), 61);
    EXPECT_EQ(RecordingSeconds("2024-02-28 12:00:00", "2024-03-01 12:00:00"), 2 * 86400);

    RemoteFileInfo i;
    i.Type = 1;
    i.Channel = 3;
    i.Start = "2026-12-10 10:00:00";
    i.End = "2026-12-10 10:30:00";
    i.TypeName = CaptureTypeName(1);
    i.Size = 123456;
    i.Seconds = 1800;
    i.Path = "D:\\DVRDat\\20261210\\4\\AC\\3-1-20261210100000.MPG";
    EXPECT_EQ(FormatFileInfoLine(i), "1~3!2026-12-10 10:00:00@2026-12-10 10:30:00#" +
                                         std::string(CaptureTypeName(1)) + "$123456%1800^" +
                                         i.Path + "&");
    EXPECT_TRUE(FileInfoFieldClean(i.Path));
    EXPECT_FALSE(FileInfoFieldClean("a&b"));
}

TEST(FileInfoParser, EntriesFromPiecesOfAnySize) {
    RemoteFileInfo a{0,
                     2,
                     "2026-12-10 10:00:00",
                     "2026-12-10 10:30:00",
                     std::string(CaptureTypeName(0)),
                     2048,
                     1800,
                     "D:\\DVRDat\\20261210\\3\\CC\\2-0-20261210100000.MPG"};
    RemoteFileInfo b = a;
    b.Type = 1;
    b.Channel = 0;
    b.Path = std::string(150, 'p');
    const std::string text = FormatFileInfoLine(a) + FormatFileInfoLine(b);
    for (size_t step : {size_t(1), size_t(7), text.size()}) {
        std::vector<RemoteFileEntry> got;
        FileInfoParser p([&](const RemoteFileEntry& e) { got.push_back(e); });
        for (size_t i = 0; i < text.size(); i += step)
            p.Feed(std::string_view(text).substr(i, step));
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].RecordType, 0);
        EXPECT_EQ(got[0].Channel, 2);
        EXPECT_EQ(got[0].StartTime, a.Start);
        EXPECT_EQ(got[0].EndTime, a.End);
        EXPECT_EQ(got[0].TypeName, a.TypeName);
        EXPECT_EQ(got[0].SizeText, "2048");
        EXPECT_EQ(got[0].Duration, "1800");
        EXPECT_EQ(got[0].Path, a.Path);
        EXPECT_EQ(got[1].RecordType, 1);
        EXPECT_EQ(got[1].Path.size(), 100u); // cut to its capacity
    }
}

TEST(FileInfoParser, StrayDelimitersAndBadNumbers) {
    std::vector<RemoteFileEntry> got;
    FileInfoParser p([&](const RemoteFileEntry& e) { got.push_back(e); });
    p.Feed("&!@junk%x~y!s@e#t$z%q^path&");
    ASSERT_EQ(got.size(), 1u); // fields before the first "~" belong to no record
    EXPECT_EQ(got[0].RecordType, 0);
    EXPECT_EQ(got[0].Channel, 0);
    EXPECT_EQ(got[0].Path, "path");
}

TEST(FileListColumns, CaptionSizeAndFilter) {
    EXPECT_EQ(ChannelCaption(0), "01");
    EXPECT_EQ(ChannelCaption(15), "16");
    EXPECT_EQ(ChannelCaption(99), "00");
    EXPECT_EQ(SizeColumn("0", ','), "0 KB");
    EXPECT_EQ(SizeColumn("1536000", ','), "1,500 KB");
    EXPECT_EQ(SizeColumn("1073741824", ','), "1,048,576 KB");
    EXPECT_EQ(SizeColumn("abc", ','), "1 KB");

    RemoteFileEntry e;
    e.Path = "D:\\DVRDat\\20261210\\1\\CC\\0-0-20261210103000.MPG";
    EXPECT_TRUE(EntryInDayAndTime(e, "2026-12-10", "00:00:00", "23:59:59"));
    EXPECT_TRUE(EntryInDayAndTime(e, "2026-12-10", "10:30:00", "10:30:00"));
    EXPECT_FALSE(EntryInDayAndTime(e, "2026-12-11", "00:00:00", "23:59:59"));
    EXPECT_FALSE(EntryInDayAndTime(e, "2026-12-10", "11:00:00", "10:00:00"));
}

TEST(RemotePaths, DownloadNameStaysInItsFolder) {
    EXPECT_EQ(RemoteFileName("D:\\DVRDat\\20261210\\1\\CC\\0-0-20261210103000.MPG"),
              "0-0-20261210103000.MPG");
    EXPECT_EQ(RemoteFileName("x/y.MPG"), "y.MPG");
    EXPECT_EQ(RemoteFileName("D:\\a\\.."), "");
    EXPECT_EQ(RemoteFileName("C:"), "");
    EXPECT_EQ(RemoteFileName("D:\\a\\"), "");
}

TEST(RemotePaths, OnlyRecordingsUnderADayFolder) {
    struct Case {
        const char* path;
        const char* day;
    };
    const Case cases[] = {
        {"D:\\DVRDat\\20261210\\1\\CC\\0-0-20261210103000.MPG", "20261210"},
        {"E:\\dvrdat\\20261210\\12\\AC\\11-1-20261210103000.MPG", "20261210"},
        {"D:\\DVRDat\\20261210\\1\\PB\\0-2-20261210103000.BMP", "20261210"},
        {"D:\\DVRDat\\20261210\\1\\CC\\..\\..\\..\\..\\Windows\\win.ini", ""},
        {"D:\\DVRDat\\20261210\\1\\CC\\0-0-20261211103000.MPG", ""},
        {"D:\\DVRDat\\2026121x\\1\\CC\\0-0-2026121x103000.MPG", ""},
        {"D:\\Other\\20261210\\1\\CC\\0-0-20261210103000.MPG", ""},
        {"D:\\DVRDat\\20261210\\1\\CC\\boot.ini", ""},
        {"C:\\Windows\\system.ini", ""},
        {"0-0-20261210103000.MPG", ""},
        {"D:/DVRDat/20261210/1/CC/0-0-20261210103000.MPG", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordingPathDayKey(c.path), c.day) << c.path;
}

} // namespace
} // namespace vantrel
