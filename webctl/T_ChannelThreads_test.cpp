// The open-all, close-all and alarm-open workers over a stand-in for the control: what each
// round does to which channel, the rebuild it asks for, and the requests it drops.
#include "webctl/T_ChannelThreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel::webctl {
namespace {

struct FakeOps : TChannelOps {
    int channels = 3;
    bool cycle = false;
    std::vector<bool> previewing = std::vector<bool>(49, false);
    std::vector<bool> recording = std::vector<bool>(49, false);
    // While set, a preview close waits until it is cleared.
    bool holdClose = false;

    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> calls;
    std::vector<std::pair<WPARAM, LPARAM>> rebuilds;
    int enables = 0;

    void Note(std::string call) {
        std::lock_guard g(lock);
        calls.push_back(std::move(call));
        changed.notify_all();
    }
    int ChannelCount() override { return channels; }
    bool PanePreviewing(int c) override { return previewing[size_t(c)]; }
    bool PanePlaying(int) override { return false; }
    void OpenPreview(int c) override { Note("open " + std::to_string(c)); }
    void ClosePreview(int c) override {
        Note("close " + std::to_string(c));
        std::unique_lock g(lock);
        changed.wait(g, [&] { return !holdClose; });
    }
    bool FileRecording(int c) override { return recording[size_t(c)]; }
    bool CaptureRunning(int c) override { return recording[size_t(c)]; }
    void StartRecording(int c) override { Note("record " + std::to_string(c)); }
    void StopRecording(int c) override { Note("stop " + std::to_string(c)); }
    bool AlarmShown(int) override { return false; }
    void ArmAlarm(int c) override { Note("arm " + std::to_string(c)); }
    void ClearAlarm(int c) override { Note("clear " + std::to_string(c)); }
    void SetFormEnabled(bool enabled) override {
        std::lock_guard g(lock);
        if (enabled) ++enables;
        changed.notify_all();
    }
    bool CycleMode() override { return cycle; }
    void EnableCycleTimer() override { Note("cycle timer"); }
    void PostRebuild(WPARAM w, LPARAM l) override {
        std::lock_guard g(lock);
        rebuilds.emplace_back(w, l);
    }
    bool Run(const std::function<void()>& step) override {
        step();
        return true;
    }
    // Waits (generously) for `n` rounds to have given the form back.
    bool WaitRounds(int n) {
        std::unique_lock g(lock);
        return changed.wait_for(g, std::chrono::seconds(60), [&] { return enables >= n; });
    }
    std::vector<std::string> Calls() {
        std::lock_guard g(lock);
        return calls;
    }
};

TEST(ChannelThreads, CloseAllClosesPreviewsAndRecordingsThenAsksForTheRebuildItWasGiven) {
    struct Case {
        bool reopen, reopenCycle, cycle;
        int group;
        std::vector<std::pair<WPARAM, LPARAM>> rebuilds;
    } cases[] = {
        {true, false, false, -1, {{0, 0}}},
        {true, false, false, 2, {{1, 3}}},
        {true, true, true, -1, {{1, 0}}},
        {true, true, false, -1, {}}, // the cycle is off: nothing to rebuild
        {false, false, false, -1, {}},
    };
    for (const Case& c : cases) {
        FakeOps ops;
        ops.cycle = c.cycle;
        ops.previewing = {true, false, true};
        ops.previewing.resize(49);
        ops.recording = {true, true, false};
        ops.recording.resize(49);
        TThreadCloseAll closer(ops);
        closer.CloseChannels(-1, true, true, true, c.reopen, c.reopenCycle, c.group);
        ASSERT_TRUE(ops.WaitRounds(1));
        EXPECT_EQ(ops.Calls(), (std::vector<std::string>{"close 0", "close 2", "stop 0", "stop 1"}))
            << "channels not previewing or recording are passed over";
        EXPECT_EQ(ops.rebuilds, c.rebuilds) << c.group << " " << c.reopenCycle << " " << c.cycle;
        EXPECT_FALSE(closer.Busy);
    }
}

TEST(ChannelThreads, OpenAllOpensWhatIsClosedAndARequestDuringACloseRoundIsDropped) {
    FakeOps ops;
    ops.previewing[1] = true;
    ops.recording[2] = true;
    ops.holdClose = true;
    TThreadOpenAll opener(ops);
    TThreadCloseAll closer(ops);
    opener.SetPartner(&closer);
    closer.SetPartner(&opener);

    closer.CloseChannels(1, true, false, false, false, false, -1);
    {
        std::unique_lock g(ops.lock);
        ASSERT_TRUE(ops.changed.wait_for(g, std::chrono::seconds(60),
                                         [&] { return !ops.calls.empty(); }));
    }
    EXPECT_TRUE(closer.Busy);
    opener.Request(-1, true, true, true);
    {
        std::lock_guard g(ops.lock);
        ops.holdClose = false;
        ops.changed.notify_all();
    }
    ASSERT_TRUE(ops.WaitRounds(1));
    EXPECT_EQ(ops.Calls(), std::vector<std::string>{"close 1"}) << "the open request was dropped";

    // Once the close round is over the same request goes through: previews of the panes not
    // showing, recordings of the channels not recording, alarms armed.
    ops.previewing[1] = true;
    opener.Request(-1, true, true, true);
    ASSERT_TRUE(ops.WaitRounds(2));
    EXPECT_EQ(ops.Calls(),
              (std::vector<std::string>{"close 1", "open 0", "open 2", "record 0", "record 1",
                                        "arm 0", "arm 1", "arm 2"}));
    // A single channel only marks that one.
    opener.Request(2, true, false, false);
    ASSERT_TRUE(ops.WaitRounds(3));
    EXPECT_EQ(ops.Calls().back(), "open 2");
}

TEST(ChannelThreads, TheAlarmOpenerOpensMarkedPanesThatAreNotShowing) {
    FakeOps ops;
    ops.previewing[0] = true;
    TThreadOpenAllForAlarmUp alarms(ops);
    alarms.OpenPreviewMarks[0] = true; // already playing: only the mark goes
    alarms.OpenPreviewMarks[1] = true;
    alarms.StartRecordingMarks[2] = true;
    {
        std::unique_lock g(ops.lock);
        ASSERT_TRUE(ops.changed.wait_for(g, std::chrono::seconds(60),
                                         [&] { return ops.calls.size() >= 2; }));
    }
    alarms.Stop();
    // The marks were set while the thread ran: either may come first.
    std::vector<std::string> calls = ops.Calls();
    std::sort(calls.begin(), calls.end());
    EXPECT_EQ(calls, (std::vector<std::string>{"open 1", "record 2"}));
    EXPECT_FALSE(alarms.OpenPreviewMarks[0]);
}

} // namespace
} // namespace vantrel::webctl
