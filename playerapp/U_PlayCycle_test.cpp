#include "playerapp/U_PlayCycle.h"

#include <gtest/gtest.h>

#include <vector>

#include "playerapp/U_PlayerStatus.h"

namespace playerqz {
namespace {

class FakeHost : public TPlayCycleHost {
public:
    int CurrentPort() override { return port; }
    int PortCount() override { return count; }
    int CurrentPortState() override { return state; }
    int GetCurrentFrameNum() override { return frame; }
    int SetCurrentFrameNum(int f) override {
        seeks.push_back(f);
        return 1;
    }
    void ShowLoopControls(const LoopControlsView& v) override { shown.push_back(v); }
    std::string RunSaveDialog() override {
        ++dialogs;
        return "out.mpg";
    }

    int port = 0, count = 4, state = psPlaying, frame = 0, dialogs = 0;
    std::vector<int> seeks;
    std::vector<LoopControlsView> shown;
};

const LoopControlsView kLoopOff{false, LoopGlyphOff, 0, 0, false, false, false};

class PlayCycle : public ::testing::Test {
protected:
    FakeHost host;
    TPlayCycle cycle{host};
};

TEST_F(PlayCycle, ClearedTableAnswersEveryEndOfFileWithoutRewinding) {
    cycle.Clear();
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0], kLoopOff);
    for (int s : {psPlaying, psPaused, psStopped, psNoFile}) {
        host.state = s;
        EXPECT_EQ(cycle.CheckLoop(), -1);
    }
    EXPECT_TRUE(host.seeks.empty());
    EXPECT_FALSE(cycle.IsLoopOn());
    EXPECT_EQ(cycle.ValidateLoop(), -1);
}

TEST_F(PlayCycle, LoopAtTheEndRewindsToItsStart) {
    // Frames 100..400 of a 500-frame file, port 0 playing.
    ASSERT_EQ(cycle.SetLoopStart(200, 100, 4000), 0);
    ASSERT_EQ(cycle.SetLoopEnd(800, 400, 16000), 0);
    ASSERT_EQ(cycle.ToggleLoop(), 0);
    ASSERT_TRUE(cycle.IsLoopOn());
    EXPECT_EQ(cycle.ValidateLoop(), 0);

    const std::pair<int, int> frames[] = {{500, 0}, {395, 0},  {100, 0},
                                          {50, 0},  {394, -1}, {101, -1}};
    for (const auto& [frame, result] : frames) {
        host.seeks.clear();
        host.frame = frame;
        EXPECT_EQ(cycle.CheckLoop(), result) << frame;
        EXPECT_EQ(host.seeks, result == 0 ? std::vector<int>{100} : std::vector<int>{}) << frame;
    }
    host.state = psStopped;
    host.frame = 500;
    EXPECT_EQ(cycle.CheckLoop(), -1);

    host.state = psPlaying;
    cycle.UpdateLoopControls();
    EXPECT_EQ(host.shown.back(), (LoopControlsView{true, LoopGlyphOn, 200, 800, true, true, true}));
    cycle.Clear();
    EXPECT_EQ(host.shown.back(), kLoopOff);
    EXPECT_EQ(cycle.EntryOf(0).StartSlider, 200); // slider fields survive a clear
}

TEST_F(PlayCycle, InvalidLoopsAreNotChecked) {
    struct Case {
        int startSlider, startFrame, endSlider, endFrame;
    };
    for (const Case& c : {Case{200, 400, 800, 100}, Case{800, 100, 200, 400},
                          Case{200, 100, 200, 400}, Case{200, 100, 800, 100}}) {
        TPlayCycle t{host};
        t.SetLoopStart(c.startSlider, c.startFrame, 0);
        t.SetLoopEnd(c.endSlider, c.endFrame, 0);
        t.ToggleLoop();
        EXPECT_EQ(t.ValidateLoop(), -2);
        host.frame = 1000;
        EXPECT_EQ(t.CheckLoop(), -1);
    }
    EXPECT_TRUE(host.seeks.empty());
}

TEST_F(PlayCycle, OnlyPortZeroCanBeWritten) {
    host.port = 3;
    EXPECT_EQ(cycle.SetLoopStart(10, 20, 30), 0);
    EXPECT_EQ(cycle.SetLoopEnd(10, 20, 30), 0);
    EXPECT_EQ(cycle.SetFileName("a.mpg"), 0);
    EXPECT_EQ(cycle.ToggleLoop(), 0);
    EXPECT_EQ(cycle.SaveSelection(), 0);
    EXPECT_EQ(host.dialogs, 0);
    const TPlayCycle::Entry& e = cycle.EntryOf(3);
    EXPECT_EQ(e.StartFrame, 0);
    EXPECT_EQ(e.StartSlider, 0);
    EXPECT_FALSE(e.Enabled);
    EXPECT_TRUE(e.FileName.empty());

    host.port = 0;
    EXPECT_EQ(cycle.SetLoopStart(10, -1, 30), -1);
    EXPECT_EQ(cycle.SetFileName(""), -1);
    EXPECT_EQ(cycle.SetFileName("a.mpg"), 0);
    EXPECT_EQ(cycle.EntryOf(0).FileName, "a.mpg");
    EXPECT_EQ(cycle.SaveSelection(), 0);
    EXPECT_EQ(host.dialogs, 1);
    host.count = 0; // no port at all
    EXPECT_EQ(cycle.SetLoopStart(10, 20, 30), -1);
    EXPECT_EQ(cycle.UpdateLoopControls(), -1);
    host.port = 30; // beyond the table
    EXPECT_FALSE(cycle.IsLoopOn());
    EXPECT_EQ(cycle.ValidateLoop(), -1);
    EXPECT_EQ(cycle.UpdateLoopControls(), -1);
}

TEST_F(PlayCycle, ToggleNeedsAPortWithAFileInPlay) {
    for (int s : {psStopped, psNoFile}) {
        host.state = psPlaying;
        ASSERT_EQ(cycle.ToggleLoop(), 0);
        ASSERT_TRUE(cycle.IsLoopOn());
        host.state = s;
        host.shown.clear();
        EXPECT_EQ(cycle.ToggleLoop(), -1);
        EXPECT_FALSE(cycle.IsLoopOn());
        ASSERT_EQ(host.shown.size(), 1u);
        EXPECT_FALSE(host.shown[0].LoopDown);
    }
    host.state = psPaused;
    EXPECT_EQ(cycle.ToggleLoop(), 0);
    EXPECT_EQ(cycle.ToggleLoop(), 0);
    EXPECT_FALSE(cycle.IsLoopOn());
    // Saving needs a loop whose end lies after its start in the file.
    cycle.SetLoopStart(1, 1, 500);
    cycle.SetLoopEnd(2, 2, 500);
    cycle.ToggleLoop();
    cycle.UpdateLoopControls();
    EXPECT_FALSE(host.shown.back().SaveEnabled);
    EXPECT_TRUE(host.shown.back().StartEnabled);
}

} // namespace
} // namespace playerqz
