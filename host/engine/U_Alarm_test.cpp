#include "host/engine/U_Alarm.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel {
namespace {

class FakeDetectHost : public TAlarmDetectHost {
public:
    FakeDetectHost() {
        for (auto& r : records)
            r = TAlarmSetRecord{};
    }
    int BoardChannelCount() const override { return 4; }
    const TAlarmSetRecord& Record(int c) const override { return records[c]; }
    bool MayDetect(int) override { return allowed; }
    void SetupMotionDetection(int c, const std::vector<MotionArea>& a) override {
        areas = a;
        Log("setup", c, static_cast<int>(a.size()));
    }
    int StartMotionDetection(int c) override {
        Log("motion-start", c, 0);
        return motionStartResult;
    }
    int StopMotionDetection(int c) override {
        Log("motion-stop", c, 0);
        return motionStopResult;
    }
    void MotionAnalyzer(int, const uint8_t*, int, int, int32_t r[kAlarmAreas]) override {
        if (analyzerThrows) throw std::runtime_error("bad record");
        for (int i = 0; i < kAlarmAreas; ++i)
            r[i] = motion[i];
    }
    int GetVideoSignal(int c) override { return noVideo[c] ? 1 : 0; }
    void ResumeProbePolling() override { Log("probe-resume", 0, 0); }
    void SuspendProbePolling() override { Log("probe-suspend", 0, 0); }
    void SwitchAlarmOutputs(int c, int k, bool on) override { Log("outputs", c, k * 10 + on); }
    bool EncoderRunning(int c) const override { return encoder[c]; }
    bool FileOpen(int c) const override { return fileOpen[c]; }
    int RecordingType(int c) const override { return recordingType[c]; }
    bool PreAlarmArmed(int c) const override { return preAlarm[c]; }
    void SetPreAlarmArmed(int c, bool on) override { preAlarm[c] = on; }
    void StopPreAlarm(int c) override {
        Log("prealarm-stop", c, 0);
        preAlarm[c] = false;
    }
    void StartChannel(int c, char r, int t) override { Log(std::string("start") + r, c, t); }
    void StopChannel(int c, char r) override { Log(std::string("stop") + r, c, 0); }
    void ShowState(int c, TAlarmDisplay s) override { Log("state", c, static_cast<int>(s)); }
    void SetOutlines(int c, uint32_t colour, bool visible) override {
        Log("outlines", c, visible + (colour == kColourGreen ? 10 : 20));
    }
    void SetSound(int c, int k, bool on) override { Log("sound", c, k * 10 + on); }
    bool PostToDispatcher(unsigned m, uintptr_t w, intptr_t l) override {
        posts.push_back({m, static_cast<int>(w), static_cast<int>(l)});
        return postsSucceed;
    }
    void PostKeepEnd(int c, int what) override { keepEnds.push_back(c * 10 + what); }
    void WorkLog(int e, int c, int i) override { Log("log" + std::to_string(e), c, i); }
    void Pause(int) override {}
    void AdjustMotionPrecision(int c, int level) override { Log("precision", c, level); }
    void SetOutlineCount(int c, int n) override { Log("outline-count", c, n); }
    bool HasBoard() const override { return hasBoard; }
    bool CycleMode() const override { return cycleMode; }
    bool StatusImageEnabled(int c) const override { return c != disabledImage; }
    void ShowMessage(const char* text) override { calls.push_back(std::string("msg ") + text); }
    void RequestStopDetection(int c) override { Log("request-stop", c, 0); }
    void RequestStartDetection(int c) override { Log("request-start", c, 0); }

    void Log(const std::string& what, int a, int b) {
        calls.push_back(what + " " + std::to_string(a) + " " + std::to_string(b));
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (auto& c : calls)
            n += c.rfind(prefix, 0) == 0;
        return n;
    }

    struct Post {
        unsigned message;
        int wParam, lParam;
        bool operator==(const Post&) const = default;
    };
    TAlarmSetRecord records[kSettingsChannels];
    bool allowed = true;
    int motionStartResult = 0, motionStopResult = 0;
    bool analyzerThrows = false;
    int32_t motion[kAlarmAreas] = {};
    bool noVideo[kSettingsChannels] = {};
    bool encoder[kSettingsChannels] = {};
    bool fileOpen[kSettingsChannels] = {};
    int recordingType[kSettingsChannels] = {};
    bool preAlarm[kSettingsChannels] = {};
    bool postsSucceed = true;
    bool hasBoard = true, cycleMode = false;
    int disabledImage = -1;
    std::vector<MotionArea> areas;
    std::vector<Post> posts;
    std::vector<int> keepEnds;
    std::vector<std::string> calls;
};

class Detection : public ::testing::Test {
protected:
    FakeDetectHost host;
    TAlarmLatches latches;
    TAlarm alarm{host, latches};
};

TEST_F(Detection, StartArmsOnlyBoardChannelsWithTheRightAndAWorkingStart) {
    struct Case {
        int channel, mode;
        bool allowed;
        int motionStart;
        int result;
    } cases[] = {
        {0, 1, true, -1, 0},                       // video loss and probes still run
        {0, 4, true, -1, -1},                      // motion alone refused by the board
        {0, 4, true, 0, 0},   {0, 0, true, -1, 0}, // no kind still arms
        {0, -1, true, -1, 0},                      // record enables nothing
        {4, 1, true, 0, -1},  {-1, 1, true, 0, -1}, {0, 1, false, 0, -1},
    };
    for (const Case& c : cases) {
        FakeDetectHost h;
        TAlarmLatches l;
        TAlarm a(h, l);
        h.allowed = c.allowed;
        h.motionStartResult = c.motionStart;
        EXPECT_EQ(a.StartDetection(c.channel, c.mode), c.result) << c.channel << " mode " << c.mode;
        if (c.channel >= 0 && c.channel < 4) {
            EXPECT_EQ(a.Armed[c.channel], c.result == 0 ? 1 : 0) << c.channel << " " << c.mode;
        }
        EXPECT_EQ(h.Count("log18"), c.result == 0 ? 1 : 0);
    }
}

TEST_F(Detection, ModeMinusOneStartsTheRecordsKindsAndPreRecording) {
    host.records[2].MotionOn = 1;
    host.records[2].VideoLossOn = 1;
    host.records[2].PreRecord = 1;
    ASSERT_EQ(alarm.StartDetection(2, -1), 0);
    EXPECT_EQ(alarm.Watch[2], 1);
    EXPECT_EQ(host.areas, (std::vector<MotionArea>{{0, 0, 351, 287}}));
    EXPECT_EQ(host.Count("probe-resume"), 0);
    EXPECT_TRUE(host.preAlarm[2]);
    EXPECT_EQ(host.Count("start) 2 4"), 1);

    // An encoder already running is not started again.
    host.encoder[3] = true;
    host.records[3].PreRecord = 1;
    ASSERT_EQ(alarm.StartDetection(3, 5), 0);
    EXPECT_EQ(host.Count("start) 3"), 0);
    EXPECT_EQ(host.Count("probe-resume"), 1);
}

TEST_F(Detection, MotionRaisesUnlatchedAreasOfArmedChannelsWithVideo) {
    host.records[1].AreaCount = 5;
    alarm.StartDetection(1, 3);
    host.motion[3] = 4;
    host.motion[4] = 1;
    host.motion[5] = 9; // beyond the channel's areas
    latches.Motion[1][3] = 1;
    alarm.AnalyzeMotionData(1, nullptr, 0);
    using P = FakeDetectHost::Post;
    EXPECT_EQ(host.posts, (std::vector<P>{{WM_ALARMRAISED, 1, 4 * 256 + '>'}}));

    // Without video, disarmed, or a throwing analyzer: nothing.
    host.posts.clear();
    alarm.SignalPresent[1] = 0;
    alarm.AnalyzeMotionData(1, nullptr, 0);
    alarm.SignalPresent[1] = 1;
    alarm.Armed[1] = 0;
    alarm.AnalyzeMotionData(1, nullptr, 0);
    alarm.Armed[1] = 1;
    host.analyzerThrows = true;
    alarm.AnalyzeMotionData(1, nullptr, 0);
    alarm.AnalyzeMotionData(9, nullptr, 0);
    EXPECT_TRUE(host.posts.empty());

    // A whole-picture channel raises area 0; a failed post ends the loop.
    host.analyzerThrows = false;
    host.records[1].AreaCount = 0;
    host.motion[0] = 1;
    alarm.AnalyzeMotionData(1, nullptr, 0);
    EXPECT_EQ(host.posts, (std::vector<P>{{WM_ALARMRAISED, 1, '>'}}));
    host.posts.clear();
    host.records[1].AreaCount = 7;
    host.postsSucceed = false;
    alarm.AnalyzeMotionData(1, nullptr, 0);
    EXPECT_EQ(host.posts.size(), 1u);
}

TEST_F(Detection, VideoLossPollRaisesWatchedUnlatchedChannelsAndTracksSignal) {
    alarm.StartDetection(0, 7);
    alarm.StartDetection(1, 7);
    host.noVideo[0] = host.noVideo[1] = host.noVideo[2] = true;
    latches.VideoLoss[1] = 1;
    alarm.PollVideoLoss();
    using P = FakeDetectHost::Post;
    EXPECT_EQ(host.posts, (std::vector<P>{{WM_ALARMRAISED, 0, '='}}));
    EXPECT_EQ(alarm.SignalPresent[2], 0);
    EXPECT_EQ(alarm.SignalPresent[3], 1);
    host.noVideo[2] = false;
    alarm.PollVideoLoss();
    EXPECT_EQ(alarm.SignalPresent[2], 1);
}

TEST_F(Detection, StopClearsEverythingAndReportsAFailedMotionStop) {
    host.records[0].PreRecord = 1;
    alarm.StartDetection(0, 2);
    alarm.Alarming[0] = 1;
    latches.Motion[0][2] = 1;
    host.fileOpen[0] = true; // normal recording stops too
    ASSERT_EQ(alarm.StopDetection(0), 0);
    using P = FakeDetectHost::Post;
    EXPECT_EQ(host.posts, (std::vector<P>{{WM_ALARMCLEARED, 0, '='},
                                          {WM_ALARMCLEARED, 0, '>'},
                                          {WM_ALARMCLEARED, 0, '?'}}));
    EXPECT_EQ(alarm.Armed[0], 0);
    EXPECT_EQ(alarm.Alarming[0], 0);
    EXPECT_EQ(alarm.Watch[0], 0);
    EXPECT_EQ(latches.Motion[0][2], 0);
    EXPECT_EQ(alarm.HoldSeconds[0], -1);
    EXPECT_EQ(host.Count("prealarm-stop 0"), 1);
    EXPECT_EQ(host.Count("stop) 0"), 1);
    EXPECT_EQ(host.Count("probe-suspend"), 1);
    EXPECT_EQ(host.Count("sound 0"), 3);
    EXPECT_EQ(host.Count("outlines 0 10"), 1);
    EXPECT_EQ(host.Count("state 0 0"), 1);
    EXPECT_EQ(host.Count("log22 0 -1"), 1);

    host.calls.clear();
    alarm.StartDetection(1, 1);
    host.motionStopResult = -1;
    EXPECT_EQ(alarm.StopDetection(1), -1);
    EXPECT_EQ(alarm.Armed[1], 1);
    EXPECT_EQ(alarm.Watch[1], 0); // video loss already stopped stays stopped
    EXPECT_EQ(host.Count("log22"), 0);
}

TEST_F(Detection, HoldTimeEndsTheAlarmOnTheTickReachingIt) {
    struct Case {
        int hold, ticksToEnd;
    } cases[] = {{5, 2}, {6, 2}, {7, 3}, {0, 1}};
    for (const Case& c : cases) {
        FakeDetectHost h;
        TAlarmLatches l;
        TAlarm a(h, l);
        h.records[0].AlarmHoldSeconds = c.hold;
        h.records[0].RecordDelaySeconds = 1000;
        a.StartDetection(0, 1);
        a.Alarming[0] = 1;
        a.ResetAlarmTimers(0);
        int ticks = 0;
        while (h.keepEnds.empty() && ticks < 10) {
            a.CountAlarmTimes();
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticksToEnd) << "hold " << c.hold;
        EXPECT_EQ(h.keepEnds, (std::vector<int>{kKeepEndEndAlarm}));
    }
}

TEST_F(Detection, AlarmRecordingStopsAfterTheDelay) {
    host.records[0].RecordDelaySeconds = 6;
    host.records[0].AlarmHoldSeconds = 3;
    alarm.StartDetection(0, 1);
    host.fileOpen[0] = true;
    host.recordingType[0] = 1;
    alarm.Alarming[0] = 1;
    alarm.ResetAlarmTimers(0);
    alarm.CountAlarmTimes(); // alarm ends
    EXPECT_EQ(host.keepEnds, (std::vector<int>{kKeepEndEndAlarm}));
    alarm.KeepEnd(0, kKeepEndEndAlarm);
    EXPECT_EQ(alarm.Alarming[0], 0);
    alarm.CountAlarmTimes();
    alarm.CountAlarmTimes();
    EXPECT_EQ(host.keepEnds, (std::vector<int>{kKeepEndEndAlarm, kKeepEndStopRecording}));
    alarm.KeepEnd(0, kKeepEndStopRecording);
    EXPECT_EQ(host.Count("stop) 0"), 1);

    // A channel linked by another's alarm starts counting from -1.
    host.keepEnds.clear();
    host.fileOpen[2] = true;
    host.recordingType[2] = 1;
    host.records[2].RecordDelaySeconds = 5;
    alarm.CountAlarmTimes();
    alarm.CountAlarmTimes();
    EXPECT_EQ(host.keepEnds, (std::vector<int>{2 * 10 + kKeepEndStopRecording}));
}

TEST_F(Detection, EndAlarmKeepsTheChannelArmedAndClearsEachKind) {
    alarm.StartDetection(0, 1);
    alarm.EndAlarm(0);
    EXPECT_TRUE(host.posts.empty());
    alarm.Alarming[0] = 1;
    latches.Motion[0][6] = 1;
    latches.Probe[0][6] = 1;
    alarm.EndAlarm(0);
    EXPECT_EQ(alarm.Armed[0], 1);
    EXPECT_EQ(alarm.Alarming[0], 0);
    EXPECT_EQ(latches.Motion[0][6], 0);
    EXPECT_EQ(latches.Probe[0][6], 1); // the dispatcher clears it on the posted clear
    EXPECT_EQ(host.posts.size(), 3u);
    EXPECT_EQ(host.Count("outputs 0"), 3);
    EXPECT_EQ(host.Count("state 0 1"), 2);
}

TEST_F(Detection, StatusImageClickRefusesInCyclingOrAutomaticModeElseToggles) {
    const std::string cycling = "msg 对不起，系统处于轮视模式中，操作无效！";
    const std::string automatic = "msg 对不起，系统处于自动工作模式，操作无效！";
    struct Case {
        bool hasBoard, cycleMode, autoMode, armed;
        int disabledImage;
        std::string want;
    } cases[] = {
        {false, true, true, false, -1, cycling},
        {true, true, true, false, -1, automatic},         // cycling matters only without a board
        {true, false, true, true, 1, "request-stop 1 0"}, // its image is not under the schedule
        {true, false, false, true, -1, "request-stop 1 0"},
        {true, false, false, false, -1, "request-start 1 0"},
    };
    for (const Case& c : cases) {
        FakeDetectHost h;
        TAlarmLatches l;
        TAlarm a(h, l);
        h.hasBoard = c.hasBoard;
        h.cycleMode = c.cycleMode;
        h.disabledImage = c.disabledImage;
        if (c.autoMode) a.SetAutoMode();
        a.Armed[1] = c.armed;
        a.StatusImageClick(1);
        EXPECT_EQ(h.calls, (std::vector<std::string>{c.want}));
    }
}

TEST_F(Detection, AreaSettingsReachEveryBoardChannel) {
    host.records[0].MotionLevel = 4;
    host.records[0].AreaCount = 3;
    host.records[3].AreaCount = 99;
    alarm.ApplyAreaSettings();
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"precision 0 4", "outline-count 0 3", "precision 1 0",
                                        "outline-count 1 0", "precision 2 0", "outline-count 2 0",
                                        "precision 3 0", "outline-count 3 7"}));
}

} // namespace
} // namespace vantrel
