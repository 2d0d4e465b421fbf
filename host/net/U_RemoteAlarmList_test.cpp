#include "host/net/U_RemoteAlarmList.h"

#include "host/engine/U_Conversions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantrel {
namespace {

using ::testing::ElementsAre;

struct View : TRemoteAlarmListView {
    int focus = -2, shows = 0;
    bool mainVisible = true;
    std::vector<std::string> timer;
    void RowsChanged(int f) override { focus = f; }
    bool MainWindowVisible() override { return mainVisible; }
    void ShowWindow() override { ++shows; }
    void StartSoundTimer(int ms) override { timer.push_back("start " + std::to_string(ms)); }
    void StopSoundTimer() override { timer.push_back("stop"); }
};

// Two board channels; network panes 2 and 3.
struct Host : TRemoteAlarmListHost {
    std::vector<std::string> calls;
    int selected = 2;
    bool previewing = false;
    int remote = 0;
    std::string group = "10.0.0.9";
    void SetRemoteAlarmSound(bool on) override { calls.push_back(on ? "sound on" : "sound off"); }
    int BoardChannelCount() const override { return 2; }
    int SelectedPane() const override { return selected; }
    bool PanePreviewing(int) const override { return previewing; }
    int SlotRemoteChannel(int) const override { return remote; }
    std::string SlotGroupAddress(int) const override { return group; }
    void ClosePreview(int p) override { calls.push_back("close " + std::to_string(p)); }
    void StopNetworkRecording(int p) override { calls.push_back("stop " + std::to_string(p)); }
    void Pause(int ms) override { calls.push_back("pause " + std::to_string(ms)); }
    void SetSlotTarget(int s, int ch, const std::string& a) override {
        calls.push_back("target " + std::to_string(s) + " " + std::to_string(ch) + " " + a);
    }
    void RequestOpenOnAlarm(int p) override { calls.push_back("open " + std::to_string(p)); }
    void ClearRecordOnAlarm(int p) override { calls.push_back("norecord " + std::to_string(p)); }
};

AlarmUploadRecord Upload(const char* address, char kind, int channel, int index) {
    AlarmUploadRecord r{};
    r.HostAddress.Set(address);
    r.Kind = uint8_t(kind);
    r.Channel = uint8_t(channel);
    r.Index = uint8_t(index);
    r.Time = OleDateFromParts(2026, 12, 10, 9, 5, 7, 600);
    return r;
}

class AlarmListTest : public ::testing::Test {
protected:
    void Arrive(const AlarmUploadRecord& r) {
        list.AddAlarm(r);
        list.ShowNext();
    }
    View view;
    Host host;
    TRemoteAlarmList list{view, host};
};

TEST_F(AlarmListTest, RowsShowTheRecordsInArrivalOrder) {
    AlarmUploadRecord probe = Upload("10.0.0.9", '?', 1, 3);
    probe.InBoxAddress = 5;
    list.AddAlarm(probe);
    list.AddAlarm(Upload("10.0.0.8", '=', 0, 0));
    list.ShowNext();
    list.ShowNext();
    list.ShowNext(); // the queue is empty
    ASSERT_EQ(list.Rows().size(), 2u);
    const TRemoteAlarmRow& r = list.Rows()[0];
    EXPECT_EQ(r.Time, "2026-12-10 09:05:07");
    EXPECT_EQ(r.Kind, "探头侦测");
    EXPECT_EQ(r.Channel, "2");
    EXPECT_EQ(r.Area, "4 (报警盒地址：5");
    EXPECT_EQ(r.Address, "10.0.0.9");
    EXPECT_EQ(list.Rows()[1].Kind, "视频丢失");
    EXPECT_EQ(list.Rows()[1].Area, "1");
    EXPECT_EQ(view.focus, 1);
    EXPECT_EQ(list.Queued(), 0u);
}

TEST_F(AlarmListTest, RecordWithoutAddressMakesNoRow) {
    list.AddAlarm(Upload("", '>', 0, 0));
    list.ShowNext();
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(AlarmListTest, SoundRunsForTheSetTimeAndPopsWithTheMainWindow) {
    list.SoundSeconds = 7;
    Arrive(Upload("10.0.0.9", '>', 0, 2));
    EXPECT_THAT(host.calls, ElementsAre("sound on"));
    EXPECT_THAT(view.timer, ElementsAre("stop", "start 7000"));
    EXPECT_EQ(view.shows, 1);
    list.SoundTimerFired();
    EXPECT_EQ(host.calls.back(), "sound off");

    host.calls.clear();
    list.SetSound(false);
    view.mainVisible = false;
    Arrive(Upload("10.0.0.9", '>', 0, 2));
    EXPECT_THAT(host.calls, ElementsAre("sound off"));
    EXPECT_EQ(view.shows, 1);
}

TEST_F(AlarmListTest, The501stRowClearsTheList) {
    list.Sound = false;
    for (int i = 0; i < 500; ++i)
        Arrive(Upload("10.0.0.9", '>', 0, 0));
    EXPECT_EQ(list.Rows().size(), 500u);
    Arrive(Upload("10.0.0.9", '>', 0, 0));
    EXPECT_TRUE(list.Rows().empty());
    Arrive(Upload("10.0.0.9", '>', 0, 0));
    EXPECT_EQ(list.Rows().size(), 1u);
}

TEST_F(AlarmListTest, ConnectSelectedSwitchesANetworkPane) {
    list.Sound = false;
    Arrive(Upload("10.0.0.7", '>', 3, 0));
    host.selected = 1; // a board pane: nothing
    list.ConnectSelected(0);
    EXPECT_TRUE(host.calls.empty());

    host.selected = 3;
    host.previewing = true;
    host.remote = 3;
    host.group = "10.0.0.7"; // already showing it
    list.ConnectSelected(0);
    EXPECT_TRUE(host.calls.empty());

    host.group = "10.0.0.9";
    list.ConnectSelected(0);
    EXPECT_THAT(host.calls, ElementsAre("close 3", "stop 3", "pause 50", "target 1 3 10.0.0.7",
                                        "open 3", "norecord 3"));
    host.calls.clear();
    list.ConnectSelected(5); // no such row
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(AlarmListTest, AutoConnectFollowsEachAlarm) {
    list.Sound = false;
    list.AutoConnect = true;
    Arrive(Upload("10.0.0.7", '=', 1, 0));
    EXPECT_THAT(host.calls, ElementsAre("pause 50", "target 0 1 10.0.0.7", "open 2", "norecord 2"));
}

} // namespace
} // namespace vantrel
