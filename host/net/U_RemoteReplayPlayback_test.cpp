#include "host/net/U_RemoteReplayPlayback.h"

#include "host/net/net_replay_testing.h"
#include "host/net/replay_source_testing.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

using testing::PutFile;

struct NullView : TRemoteReplayView {
    bool Enabled = true;
    void SetWindowEnabled(bool e) override { Enabled = e; }
    void SetHourglass(bool) override {}
    void SetSearchMsgVisible(bool) override {}
    void ShowMessage(const std::string&) override {}
    void ListsChanged() override {}
    void SetDownloadBar(bool, int, int) override {}
    bool Ask(const std::string&) override { return false; }
    std::optional<std::string> ChooseDrive(int) override { return std::nullopt; }
};

struct FakeWindows : TReplayWindows {
    int Layout = 4, Current = 0;
    std::array<bool, 16> playing{}, paused{}, slow{};
    std::vector<std::string> Calls;
    bool Visible(int w) const override { return w < Layout; }
    bool Playing(int w) const override { return playing[w]; }
    bool Paused(int w) const override { return paused[w]; }
    bool Stepping(int) const override { return false; }
    bool FastOn(int) const override { return false; }
    bool SlowOn(int w) const override { return slow[w]; }
    void ClearPlayFlags(int w) override { playing[w] = paused[w] = slow[w] = false; }
    int CurrentWindow() const override { return Current; }
    bool Play(int w) override {
        Calls.push_back("play " + std::to_string(w));
        playing[w] = true;
        paused[w] = slow[w] = false;
        return true;
    }
    void Pause(int w, bool on) override { paused[w] = on; }
    void Stop(int w) override { playing[w] = false; }
    void Slow(int w) override { slow[w] = true; }
    void Fast(int) override {}
    void SetLayout(int n) override { Layout = n; }
    void PaneClick(int w) override { Current = w; }
    void RedrawPanel(int) override {}
    int GetCurrentFrameNum(int) override { return 7; }
    int SpeedStep() const override { return 4; }
};

struct FakePorts : TStreamPorts {
    std::map<int, std::string> Fed, Heads;
    std::map<int, int> Opens;
    bool SetStreamOpenMode(int, int mode) override { return mode == 1; }
    bool OpenStream(int port, const uint8_t* h, unsigned n, unsigned size) override {
        EXPECT_EQ(size, 1024000u);
        Heads[port] = std::string(reinterpret_cast<const char*>(h), n);
        Fed[port].clear();
        ++Opens[port];
        return true;
    }
    bool InputData(int port, const uint8_t* d, unsigned n) override {
        Fed[port].append(reinterpret_cast<const char*>(d), n);
        return true;
    }
    void CloseStream(int) override {}
    unsigned SourceBufferRemain(int) override { return 0; } // played out at once
};

struct NullPlaybackView : TReplayPlaybackView {
    std::map<int, std::string> Panels;
    void SetButtonEnabled(ReplayButton, bool) override {}
    void SetStatusPanel(int p, const std::string& t) override { Panels[p] = t; }
    void SetPositionBar(int, int) override {}
};

bool Until(const std::function<bool()>& f, DWORD ms = 10000) {
    return PumpMessagesUntil(f, ms);
}

class RemotePlayback : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::ScratchFolder("nr_playback");
        source_.Channels = 3;
        source_.Dates = "2026-12-10,";
        server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                           TReplayPacing{4096, 0}, "127.0.0.1");
    }
    void TearDown() override {
        PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 10000);
    }
    std::string Add(int ch, const char* hhmmss, size_t size) {
        const std::string path = root_ + "D\\DVRDat\\20261210\\" + std::to_string(ch + 1) +
                                 "\\CC\\" + std::to_string(ch) + "-0-20261210" + hhmmss + ".MPG";
        const std::string bytes = testing::Pattern(size).replace(0, 4, "\0\0\x01\xC6", 4) + hhmmss;
        PutFile(path, bytes);
        bytes_[path] = bytes;
        source_.Days["20261210"][ch].push_back(path);
        return path;
    }
    void Query() {
        form_.Connect("127.0.0.1", server_->Port(), "op", "pw");
        ASSERT_TRUE(Until([&] { return form_.Days.size() == 1; }));
        form_.SelectDay(0);
        ASSERT_TRUE(Until([&] { return form_.CommonList.size() == expected_ && view_.Enabled; }));
    }

    std::string root_;
    std::map<std::string, std::string> bytes_;
    size_t expected_ = 0;
    testing::FakeSource source_;
    std::unique_ptr<TTCPRemoteReplayServer> server_;
    NullView view_;
    TRemoteReplayForm form_{view_};
    FakeWindows windows_;
    FakePorts ports_;
    NullPlaybackView playView_;
};

TEST_F(RemotePlayback, CheckedRowsStreamIntoTheirWindowsAndQueuesMoveOn) {
    const std::string a = Add(0, "080000", 30000), b = Add(0, "090000", 12000),
                      c = Add(1, "080000", 20000);
    expected_ = 3;
    Query();
    TRemoteReplayPlayback playback(form_, windows_, ports_, playView_, 50);
    for (TFileRow& r : form_.Rows)
        r.Checked = true;
    playback.PlayPressed();
    EXPECT_EQ(playback.LastLayout(), 4);
    EXPECT_EQ(playback.Queues()[0].size(), 2u);
    EXPECT_EQ(playback.Queues()[1].size(), 1u); // the second row of channel 1 again
    EXPECT_EQ(playback.Queues()[2].size(), 1u);
    for (const TFileRow& r : form_.Rows)
        EXPECT_FALSE(r.Checked);

    // Window 0 plays a, then moves on to b; windows 1 and 2 play b and c and stop.
    ASSERT_TRUE(Until([&] {
        return ports_.Opens[0] == 2 && ports_.Fed[0] == bytes_[b] && ports_.Fed[1] == bytes_[b] &&
               ports_.Fed[2] == bytes_[c];
    }));
    EXPECT_EQ(ports_.Heads[0], bytes_[b].substr(0, 19));
    EXPECT_EQ(ports_.Opens[1], 1);
    ASSERT_TRUE(Until([&] {
        return playback.Queues()[0].empty() && playback.Queues()[1].empty() &&
               playback.Queues()[2].empty();
    }));
    EXPECT_FALSE(windows_.playing[1]);
    (void)a;
}

TEST_F(RemotePlayback, APausedWindowResumesWithoutANewRequest) {
    Add(0, "080000", 2000);
    expected_ = 1;
    Query();
    struct HeldPorts : FakePorts {
        unsigned SourceBufferRemain(int) override { return 1; } // still playing
    } ports;
    TRemoteReplayPlayback playback(form_, windows_, ports, playView_, 50);
    form_.SelectedRow = 0;
    playback.PlayPressed();
    ASSERT_TRUE(Until([&] { return ports.Fed[0].size() == 2006; }));
    EXPECT_EQ(playback.StreamRemaining(0), 0);
    playback.PausePressed();
    EXPECT_TRUE(windows_.paused[0]);
    playback.PlayPressed();
    EXPECT_FALSE(windows_.paused[0]);
    Until([] { return false; }, 200);
    EXPECT_EQ(ports.Opens[0], 1);
    EXPECT_EQ(playView_.Panels[3], "\xB3\xA3\xCB\xD9");
    playback.StopPressed();
    EXPECT_TRUE(playback.Queues()[0].empty());
    EXPECT_FALSE(windows_.playing[0]);
}

} // namespace
} // namespace vantrel
