#include "host/net/U_UDPReplyRouter.h"

#include "host/engine/U_Conversions.h"
#include "host/net/udp_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace vantrel {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;

struct FakeWindows : TUDPReplyWindows {
    std::vector<std::string> posts;
    std::vector<std::string> rows{"10.0.0.1", "10.0.0.2", "10.0.0.1"};
    std::map<ReplyWindow, TReceiveArea> areas;
    std::vector<std::pair<int, size_t>> settings;
    bool timedOut = false;
    std::vector<int> logRows;
    int statusClears = 0;
    int dayTotal = -1;
    std::vector<std::pair<std::string, int>> days;

    void Post(ReplyWindow w, unsigned m, intptr_t wp, intptr_t lp) override {
        posts.push_back(std::to_string(int(w)) + ":" + std::to_string(m) + ":" +
                        std::to_string(wp) + ":" + std::to_string(lp));
    }
    std::vector<std::string> NetDogAddresses() override { return rows; }
    TReceiveArea* Area(ReplyWindow w) override {
        if (w == ReplyWindow::WorkLog) return nullptr;
        return &areas[w];
    }
    void StoreSettingsRecord(int kind, const uint8_t*, size_t length) override {
        settings.emplace_back(kind, length);
    }
    bool WorkLogTimedOut() override { return timedOut; }
    void ClearWorkLogStatus() override { ++statusClears; }
    void AddWorkLogRow(const TWorkLogRecord& r) override { logRows.push_back(r.Event); }
    void FillWorkLogDays(int total, const std::vector<std::pair<std::string, int>>& d) override {
        dayTotal = total;
        days = d;
    }
};

std::string PostText(ReplyWindow w, unsigned m, intptr_t wp, intptr_t lp) {
    return std::to_string(int(w)) + ":" + std::to_string(m) + ":" + std::to_string(wp) + ":" +
           std::to_string(lp);
}

// Two board channels, then network channels 2..5 on slots 0..3.
struct FakeAlarmHost : TRemoteAlarmHost {
    FakeAlarmHost() : records(std::make_unique<TAlarmSetRecord[]>(kSettingsChannels)) {
        for (int i = 0; i < kSettingsChannels; ++i)
            std::memset(&records[i], 0, sizeof(TAlarmSetRecord));
    }
    struct Slot {
        std::string group, connection;
        int remote;
    };
    std::vector<Slot> slots{{"10.0.0.9", "", 0},
                            {"10.0.0.9", "", 1},
                            {"hostb.example", "10.0.0.7", 1},
                            {"10.0.0.8", "", 1}};
    std::unique_ptr<TAlarmSetRecord[]> records;
    std::vector<std::string> calls;
    bool previewing = false;
    bool throwOnShow = false;

    int BoardChannelCount() const override { return 2; }
    int ChannelCount() const override { return 2 + int(slots.size()); }
    std::string SlotGroupAddress(int s) const override { return slots[size_t(s)].group; }
    int SlotRemoteChannel(int s) const override { return slots[size_t(s)].remote; }
    std::string SlotConnectionAddress(int s) const override { return slots[size_t(s)].connection; }
    const TAlarmSetRecord& AlarmRecord(int ch) const override { return records[ch]; }
    void SetSound(int ch, int k, bool) override {
        calls.push_back("sound " + std::to_string(ch) + " " + std::to_string(k));
    }
    void ShowAlarming(int ch) override {
        if (throwOnShow) throw std::runtime_error("gone");
        calls.push_back("show " + std::to_string(ch));
    }
    void SwitchAlarmOutputs(int ch, int k, bool) override {
        calls.push_back("outputs " + std::to_string(ch) + " " + std::to_string(k));
    }
    bool PanePreviewing(int) const override { return previewing; }
    void RequestOpenOnAlarm(int ch) override { calls.push_back("open " + std::to_string(ch)); }
    void RequestRecordOnAlarm(int ch) override { calls.push_back("record " + std::to_string(ch)); }
    void ResetAlarmTimers(int ch) override { calls.push_back("reset " + std::to_string(ch)); }
    void QueueMapAlarm(const AlarmUploadRecord&) override { calls.push_back("map"); }
    void AddRemoteAlarm(const AlarmUploadRecord&) override { calls.push_back("list"); }
    void PostAlarmMessage(ReplyWindow w, intptr_t wp) override {
        calls.push_back("post " + std::to_string(int(w)) + " " + std::to_string(wp));
    }
};

// Runs work at once, noting how much ran.
struct ImmediateUi : TUiThread {
    int runs = 0;
    void Run(std::function<void()> work) override {
        ++runs;
        work();
    }
};

AlarmUploadRecord Upload(const char* host, int channel, char kind) {
    AlarmUploadRecord r{};
    r.HostAddress.Set(host);
    r.Channel = uint8_t(channel);
    r.Kind = uint8_t(kind);
    return r;
}

class RouterTest : public ::testing::Test {
protected:
    template <typename T> void Route(const T& m, const std::string& from = "10.0.0.1") {
        router.Route(reinterpret_cast<const uint8_t*>(&m), sizeof(T), from);
    }
    void RouteBytes(const std::vector<uint8_t>& b, const std::string& from = "10.0.0.1") {
        router.Route(b.data(), b.size(), from);
    }
    FakeWindows windows;
    FakeAlarmHost alarms;
    ImmediateUi ui;
    TUDPReplyRouter router{windows, alarms, ui};
};

TEST_F(RouterTest, NetDogEchoPostsOneMessagePerRowOfItsAddress) {
    Route(MakeNetDog(), "10.0.0.1");
    Route(MakeNetDog(), "10.0.0.5"); // not listed
    UdpMsgNetDog other{};
    other.Keyword.Set("NetCat");
    Route(other, "10.0.0.2");
    EXPECT_THAT(windows.posts, ElementsAre(PostText(ReplyWindow::NetDog, WM_NETDOGREPLY, 0, 0),
                                           PostText(ReplyWindow::NetDog, WM_NETDOGREPLY, 2, 0)));
}

TEST_F(RouterTest, RepliesAreStoredBeforeTheirWindowIsTold) {
    WorkStateRecord state{};
    state.ChannelCount = 3;
    Route(state);
    UdpMsgDiskInfo disk{};
    disk.TotalMB[3] = 1234;
    Route(disk);
    UdpMsgRemoteCtrlInfo info{};
    info.Count = 2;
    Route(info);
    UdpMsgSettingsInfo session{};
    session.Info.Count = 5;
    Route(session);
    Route(MakeSetSuccess());

    EXPECT_THAT(windows.posts,
                ElementsAre(PostText(ReplyWindow::NetDog, WM_NETDOGREPLY, 0, 100),
                            PostText(ReplyWindow::DiskView, WM_DISKINFO, 0, 0),
                            PostText(ReplyWindow::RemoteCtrl, WM_REMOTECTRLINFO, 0, 0),
                            PostText(ReplyWindow::Settings, WM_SETTINGSSESSION, 0, 0),
                            PostText(ReplyWindow::Settings, WM_SETSUCCESS, 0, 0)));
    WorkStateRecord gotState{};
    ASSERT_TRUE(windows.areas[ReplyWindow::NetDog].Load(gotState));
    EXPECT_EQ(gotState.ChannelCount, 3);
    UdpMsgDiskInfo gotDisk{};
    ASSERT_TRUE(windows.areas[ReplyWindow::DiskView].Load(gotDisk));
    EXPECT_EQ(gotDisk.TotalMB[3], 1234);
    UdpMsgSettingsInfo gotSession{};
    ASSERT_TRUE(windows.areas[ReplyWindow::Settings].Load(gotSession));
    EXPECT_EQ(gotSession.Info.Count, 5);
}

TEST_F(RouterTest, SettingsRecordsGoToTheDialogByLength) {
    const struct {
        size_t length;
        int kind;
    } cases[] = {{52, 1}, {56, 6}, {76, 0}, {144, 7}, {1572, 4}, {3592, 2}, {9856, 3}};
    for (const auto& c : cases)
        RouteBytes(std::vector<uint8_t>(c.length, 1));
    RouteBytes(std::vector<uint8_t>(39239, 1)); // remote lists are not taken up
    RouteBytes(std::vector<uint8_t>(39268, 1));
    RouteBytes(std::vector<uint8_t>(48, 1)); // a browser control's capture record
    ASSERT_EQ(windows.settings.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(windows.settings[i].first, cases[i].kind);
        EXPECT_EQ(windows.posts[i],
                  PostText(ReplyWindow::Settings, WM_SETTINGSRECORD, cases[i].kind, 0));
    }
    EXPECT_EQ(windows.posts.size(), std::size(cases));
}

TEST_F(RouterTest, WorkLogRowsStopAfterTheWindowTimedOut) {
    TWorkLogRecord r{};
    r.Event = 12;
    Route(r);
    r.Event = 80; // no such event: status cleared, no row
    Route(r);
    Route(MakeWorkLogEnd(r));
    EXPECT_THAT(windows.logRows, ElementsAre(12));
    EXPECT_EQ(windows.statusClears, 3);
    EXPECT_THAT(windows.posts, ElementsAre(PostText(ReplyWindow::WorkLog, WM_WORKLOGEND, 0, 0)));

    windows.timedOut = true;
    r.Event = 3;
    Route(r);
    EXPECT_THAT(windows.logRows, ElementsAre(12));
}

TEST_F(RouterTest, WorkLogDaysBecomeDayTexts) {
    UdpMsgWorkLogDays m{};
    m.Count = 2;
    m.Times[0] = OleDateFromParts(2026, 12, 1, 8, 0, 0);
    m.Times[1] = OleDateFromParts(2026, 12, 9, 23, 59, 59);
    m.Indexes[0] = 0;
    m.Indexes[1] = 77;
    m.Total = 90;
    Route(m);
    EXPECT_THAT(windows.posts, ElementsAre(PostText(ReplyWindow::WorkLog, WM_WORKLOGDAYS, 0, 0)));
    EXPECT_EQ(windows.dayTotal, 90);
    EXPECT_THAT(windows.days, ElementsAre(std::pair<std::string, int>("2026-12-01", 0),
                                          std::pair<std::string, int>("2026-12-09", 77)));

    m.Count = 0x7FFFFFFF; // bounded by the room for 100 days
    Route(m);
    EXPECT_EQ(windows.days.size(), 100u);
}

TEST_F(RouterTest, UploadAtTheListenerMatchesChannelsByGroupAddress) {
    alarms.records[3].MotionSound = 1;
    alarms.records[3].OutputToBox = 1;
    alarms.records[3].OpenPreview = 1;
    alarms.records[3].RecordOnAlarm = 1;
    const AlarmUploadRecord r = Upload("10.0.0.9", 1, '>');
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), sizeof r);
    EXPECT_THAT(alarms.calls, ElementsAre("sound 3 1", "show 3", "outputs 3 1", "open 3", "reset 3",
                                          "record 3", "map", "post 5 1", "list", "post 6 0"));

    // Any other length at the listener is dropped.
    alarms.calls.clear();
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), 127);
    EXPECT_TRUE(alarms.calls.empty());
}

TEST_F(RouterTest, UnmatchedUploadStillReachesMapAndList) {
    const AlarmUploadRecord r = Upload("10.9.9.9", 0, '=');
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), sizeof r);
    EXPECT_THAT(alarms.calls, ElementsAre("map", "post 5 1", "list", "post 6 0"));
}

TEST_F(RouterTest, UploadOnTheRequestSocketMatchesBySenderToo) {
    // A subscribed host sends "127.0.0.1" in the record; its connection address matches.
    const AlarmUploadRecord r = Upload("127.0.0.1", 1, '=');
    alarms.previewing = true;
    alarms.records[4].OpenPreview = 1;
    Route(r, "10.0.0.7");
    EXPECT_THAT(alarms.calls,
                ElementsAre("show 4", "reset 4", "map", "post 5 1", "list", "post 6 0"));
    EXPECT_EQ(ui.runs, 1);
    // The listener does not match by sender.
    alarms.calls.clear();
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), sizeof r);
    EXPECT_THAT(alarms.calls, ElementsAre("map", "post 5 1", "list", "post 6 0"));
}

TEST_F(RouterTest, ProbeAlarmsSoundByTheProbeSoundSetting) {
    alarms.records[3].VideoLossSound = 1; // not the probe's setting
    const AlarmUploadRecord r = Upload("10.0.0.9", 1, '?');
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), sizeof r);
    EXPECT_EQ(alarms.calls.front(), "show 3");
    alarms.calls.clear();
    alarms.records[3].ProbeSound = 1;
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), sizeof r);
    EXPECT_EQ(alarms.calls.front(), "sound 3 2");
}

TEST_F(RouterTest, UnknownKindsAndFailuresEndTheAlarmQuietly) {
    const AlarmUploadRecord bad = Upload("10.0.0.9", 1, 'Z');
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&bad), sizeof bad);
    Route(bad);
    EXPECT_TRUE(alarms.calls.empty());

    alarms.throwOnShow = true;
    const AlarmUploadRecord r = Upload("10.0.0.9", 1, '>');
    router.AlarmListenerDatagram(reinterpret_cast<const uint8_t*>(&r), sizeof r);
    EXPECT_TRUE(alarms.calls.empty());
}

TEST_F(RouterTest, OtherLengthsAreDropped) {
    for (size_t n : {0, 1, 8, 20, 127, 129, 1000, 100000})
        RouteBytes(std::vector<uint8_t>(n, 0));
    EXPECT_TRUE(windows.posts.empty());
    EXPECT_TRUE(alarms.calls.empty());
}

} // namespace
} // namespace vantrel
