#include "host/engine/U_AlarmDispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel {
namespace {

struct Sent {
    AlarmUploadRecord record;
    std::string host;
    int port;
};

class FakeHost : public TAlarmDispatchHost {
public:
    FakeHost() {
        for (auto& r : records)
            r = TAlarmSetRecord{};
        for (int c = 0; c < 4; ++c) {
            records[c].VideoLossOn = records[c].MotionOn = records[c].ProbeOn = 1;
            armed[c] = true;
        }
    }
    int BoardChannelCount() const override { return 4; }
    int ChannelCount() const override { return 6; }
    const TAlarmSetRecord& Record(int c) const override { return records[c]; }
    bool AutoMode() const override { return autoMode; }
    bool Armed(int c) const override {
        if (disarmAfterCalls >= 0 && ++armedCalls > disarmAfterCalls) return false;
        return armed[c];
    }
    bool Alarming(int c) const override { return alarming[c]; }
    void SetSound(int c, int k, bool on) override { Log("sound", c, k * 10 + on); }
    int OutlineCount(int) const override { return outlines; }
    void ShowAlarmOutline(int c, int a) override { Log("outline", c, a); }
    bool AutoFullScreenSelects(int c) const override { return c == fullScreenChannel; }
    void PostAutoFullScreen(int c) override { Log("fullscreen", c, 0); }
    bool FileOpen(int c) const override { return fileOpen[c]; }
    int RecordingType(int c) const override { return recordingType[c]; }
    void StartChannel(int c, char request, int type) override {
        if (c == throwingChannel) throw std::runtime_error("board");
        Log(std::string("start") + request, c, type);
    }
    void EmptyPreAlarmChain(int c) override { Log("prealarm", c, 0); }
    void ShowAlarming(int c) override {
        Log("alarming", c, 0);
        alarming[c] = true;
    }
    void QueueMapAlarm(const AlarmUploadRecord& r) override { map.push_back(r); }
    void PostMapAlarm(int raise) override { Log("emap", raise, static_cast<int>(map.size())); }
    void WorkLog(int e, int c, int i) override { Log("log" + std::to_string(e), c, i); }
    bool SwitchAlarmOutputs(int c, int k, bool) override {
        Log("outputs", c, k);
        return ++outputTries >= outputSucceedsAt;
    }
    void PostCallPreset(int c, int input) override { Log("preset", c, input); }
    void StartSms(int c) override { Log("sms", c, 0); }
    void Dial(const TAlarmSetRecord&) override { Log("dial", 0, 0); }
    std::vector<TAlarmViewer> Viewers(int) const override { return viewers; }
    std::string OwnAddress() const override { return "10.0.0.5"; }
    int MessagePort() const override { return 56000; }
    void SendRecord(const AlarmUploadRecord& r, const std::string& h, int p) override {
        sent.push_back({r, h, p});
    }
    double Now() const override { return 46000.5; }
    void Sleep(int) override {}

    void Log(const std::string& what, int a, int b) {
        calls.push_back(what + " " + std::to_string(a) + " " + std::to_string(b));
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (auto& c : calls)
            n += c.rfind(prefix, 0) == 0;
        return n;
    }

    TAlarmSetRecord records[kSettingsChannels];
    bool armed[kSettingsChannels] = {};
    bool alarming[kSettingsChannels] = {};
    bool fileOpen[kSettingsChannels] = {};
    int recordingType[kSettingsChannels] = {};
    bool autoMode = false;
    int outlines = 7;
    int fullScreenChannel = -1;
    int throwingChannel = -1;
    int outputTries = 0, outputSucceedsAt = 1;
    int disarmAfterCalls = -1;
    mutable int armedCalls = 0;
    std::vector<TAlarmViewer> viewers;
    std::vector<std::string> calls;
    std::vector<AlarmUploadRecord> map;
    std::vector<Sent> sent;
};

class Dispatcher : public ::testing::Test {
protected:
    void Raise(int channel, char kind, int index = 0) {
        dispatcher.Handle(WM_ALARMRAISED, channel, RaisedParam(kind, index));
    }
    void ClearKind(int channel, char kind) { dispatcher.Handle(WM_ALARMCLEARED, channel, kind); }
    FakeHost host;
    TAlarmLatches latches;
    TAlarmDispatcher dispatcher{host, latches};
};

TEST_F(Dispatcher, RaiseRunsTheLinkedActionsInOrder) {
    TAlarmSetRecord& r = host.records[1];
    r.MotionSound = 1;
    r.RecordOnAlarm = 1;
    r.LinkedChannels[1] = r.LinkedChannels[5] = 1;
    r.OutputToBox = 1;
    r.Sms.SmsOn = 1;
    r.DialUp = 1;
    r.InBoxAddress = 9;
    host.fullScreenChannel = 1;
    Raise(1, '>', 2);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"sound 1 11", "outline 1 2", "fullscreen 1 0", "start) 1 1",
                                        "start+ 5 1", "prealarm 1 0", "alarming 1 0", "emap 1 1",
                                        "log20 1 2", "outputs 1 1", "sms 1 0", "dial 0 0"}));
    ASSERT_EQ(host.map.size(), 1u);
    const AlarmUploadRecord& m = host.map[0];
    EXPECT_EQ(m.HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(m.ViewerAddress.Get(), "");
    EXPECT_EQ(m.Channel, 1);
    EXPECT_EQ(m.Kind, '>');
    EXPECT_EQ(m.Index, 2);
    EXPECT_EQ(m.Time, 46000.5);
    EXPECT_EQ(m.InBoxAddress, 9);
}

TEST_F(Dispatcher, LatchesDropRepeatsPerAreaUntilTheKindIsCleared) {
    Raise(0, '>', 2);
    Raise(0, '>', 2);
    EXPECT_EQ(host.Count("log20"), 1);
    Raise(0, '>', 1);
    EXPECT_EQ(host.Count("log20"), 2);
    EXPECT_EQ(host.Count("emap 1"), 2);
    ClearKind(0, '>');
    Raise(0, '>', 2);
    EXPECT_EQ(host.Count("log20"), 3);

    Raise(0, '=');
    Raise(0, '=');
    ClearKind(0, '?'); // clears probe and motion latches, not video loss
    Raise(0, '=');
    EXPECT_EQ(host.Count("log19"), 1);
}

TEST_F(Dispatcher, GateFollowsTheEnableFlagsUnlessTheScheduleDrives) {
    host.records[2].ProbeOn = 0;
    Raise(2, '?', 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(latches.Probe[2][0], 0);
    host.autoMode = true;
    Raise(2, '?', 0);
    EXPECT_EQ(host.Count("log21"), 1);
}

TEST_F(Dispatcher, RaisesOutsideTheTablesAreDropped) {
    struct Case {
        uintptr_t channel;
        intptr_t lParam;
    } cases[] = {{4, RaisedParam('>', 0)},  {48, RaisedParam('=', 0)}, {1000, RaisedParam('=', 0)},
                 {0, RaisedParam('>', 7)},  {0, RaisedParam('?', 16)}, {0, RaisedParam('A', 0)},
                 {0, RaisedParam('>', 255)}};
    for (const Case& c : cases)
        dispatcher.Handle(WM_ALARMRAISED, c.channel, c.lParam);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Dispatcher, ProbeWithPresetCallsTheInputNumber) {
    host.records[3].CallPreset = 1;
    Raise(3, '?', 4);
    Raise(3, '>', 4);
    EXPECT_EQ(host.Count("preset"), 1);
    EXPECT_EQ(host.Count("preset 3 5"), 1);
}

TEST_F(Dispatcher, DisarmedChannelKeepsTheGateButRunsNoCommonStep) {
    host.armed[0] = false;
    host.records[0].VideoLossSound = 1;
    Raise(0, '=');
    EXPECT_EQ(host.calls, (std::vector<std::string>{"sound 0 1"}));
    EXPECT_EQ(latches.VideoLoss[0], 1);

    // Disarmed while the linked channels start: the loop and every later step stop.
    host.armed[0] = true;
    host.records[0].RecordOnAlarm = 1;
    for (int j = 0; j < 6; ++j)
        host.records[0].LinkedChannels[j] = 1;
    host.disarmAfterCalls = 3;
    host.calls.clear();
    Raise(0, '>', 0);
    EXPECT_EQ(host.Count("start"), 2);
    EXPECT_EQ(host.Count("alarming"), 0);
    EXPECT_EQ(host.Count("prealarm"), 1);
}

TEST_F(Dispatcher, LinkedRecordingSkipsAlarmingAndAlarmRecordingChannelsAndSurvivesFaults) {
    TAlarmSetRecord& r = host.records[0];
    r.RecordOnAlarm = 1;
    for (int j = 0; j < 6; ++j)
        r.LinkedChannels[j] = 1;
    host.alarming[1] = true;
    host.fileOpen[2] = true;
    host.recordingType[2] = 1; // already an alarm file
    host.fileOpen[3] = true;   // normal recording becomes an alarm file
    host.throwingChannel = 4;
    Raise(0, '=');
    EXPECT_EQ(host.Count("start"), 3);
    EXPECT_EQ(host.Count("start) 0 1"), 1);
    EXPECT_EQ(host.Count("start) 3 1"), 1);
    EXPECT_EQ(host.Count("start+ 5 1"), 1);
    EXPECT_EQ(host.Count("log19"), 1);
}

TEST_F(Dispatcher, BoxOutputsAreTriedFiveTimes) {
    host.records[0].OutputToBox = 1;
    for (int succeedsAt : {1, 3, 5, 100}) {
        host.outputTries = 0;
        host.outputSucceedsAt = succeedsAt;
        host.calls.clear();
        latches.ClearAll();
        Raise(0, '=');
        EXPECT_EQ(host.Count("outputs 0 0"), std::min(succeedsAt, 5)) << succeedsAt;
    }
}

TEST_F(Dispatcher, ClearsTellTheMapPerEnabledInputOrOnce) {
    host.records[1].InputOn[1] = host.records[1].InputOn[3] = 1;
    latches.Motion[1][5] = 1;
    latches.Probe[1][3] = 1;
    ClearKind(1, '?');
    ASSERT_EQ(host.map.size(), 2u);
    EXPECT_EQ(host.map[0].Index, 1);
    EXPECT_EQ(host.map[1].Index, 3);
    EXPECT_EQ(host.map[1].Kind, '?');
    EXPECT_EQ(host.map[1].HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(host.Count("emap 0"), 2);
    EXPECT_EQ(latches.Motion[1][5], 0);
    EXPECT_EQ(latches.Probe[1][3], 0);

    ClearKind(1, '=');
    EXPECT_EQ(host.map.size(), 2u);
    ClearKind(1, '>');
    ASSERT_EQ(host.map.size(), 3u);
    EXPECT_EQ(host.map[2].Index, 0);
}

TEST_F(Dispatcher, UploadGoesToViewersAndEnabledAddresses) {
    TAlarmSetRecord& r = host.records[0];
    r.NetUpload = 1;
    r.UploadToViewers = 1;
    host.viewers = {{false, "192.168.1.2", "192.168.1.50", "", -1},
                    {true, "192.168.1.2", "192.168.1.51", "", -1},
                    {false, "192.168.1.2", "192.168.1.52", "192.168.1.99", 7000}};
    r.UploadAddressCount = 3;
    r.UploadAddresses[0].Set("10.1.1.1");
    r.UploadAddresses[1].Set("10.1.1.2");
    r.UploadAddresses[2].Set("10.1.1.3");
    r.UploadAddressOn[0] = r.UploadAddressOn[2] = 1;
    Raise(0, '?', 6);
    ASSERT_EQ(host.sent.size(), 4u);
    struct Want {
        const char* to;
        int port;
        const char* hostAddress;
        const char* viewer;
    } want[] = {{"192.168.1.50", 56000, "192.168.1.2", "192.168.1.50"},
                {"192.168.1.99", 7000, "192.168.1.2", "192.168.1.52"},
                {"10.1.1.1", 56000, "10.0.0.5", "10.1.1.1"},
                {"10.1.1.3", 56000, "10.0.0.5", "10.1.1.3"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(host.sent[i].host, want[i].to);
        EXPECT_EQ(host.sent[i].port, want[i].port);
        EXPECT_EQ(host.sent[i].record.HostAddress.Get(), want[i].hostAddress);
        EXPECT_EQ(host.sent[i].record.ViewerAddress.Get(), want[i].viewer);
        EXPECT_EQ(host.sent[i].record.Index, 6);
        EXPECT_EQ(host.sent[i].record.Kind, '?');
    }

    // A count beyond the address table stops at its end.
    host.sent.clear();
    r.UploadToViewers = 0;
    r.UploadAddressCount = 255;
    for (auto& on : r.UploadAddressOn)
        on = 1;
    latches.ClearAll();
    Raise(0, '?', 6);
    EXPECT_EQ(host.sent.size(), static_cast<size_t>(kUploadAddresses));
}

} // namespace
} // namespace vantrel
