#include "host/net/F_RemoteReplayWindow.h"

#include "host/net/net_replay_testing.h"
#include "host/net/replay_source_testing.h"
#include "host/ui/F_RegionZoomForm.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

// The player library's file-side calls, logged; every call succeeds.
struct LogPlayer : TReplayPlayer {
    std::vector<std::string> Calls;
    void Log(const std::string& s) { Calls.push_back(s); }
    int OpenFile(int, const std::string&) override { return 1; }
    int CloseFile(int) override { return 1; }
    int SetEmptyFileRefCallBack(int) override { return 1; }
    int SetFileEndMsg(int, HWND, UINT) override { return 1; }
    int SetPicQuality(int, int) override { return 1; }
    int Play(int p, HWND) override {
        Log("play " + std::to_string(p));
        return 1;
    }
    int Stop(int p) override {
        Log("stop " + std::to_string(p));
        return 1;
    }
    int Pause(int p, int on) override {
        Log("pause " + std::to_string(p) + " " + std::to_string(on));
        return 1;
    }
    int OneByOne(int) override { return 1; }
    int OneByOneBack(int) override { return 1; }
    int Slow(int p) override {
        Log("slow " + std::to_string(p));
        return 1;
    }
    int Fast(int) override { return 1; }
    int SetPlayPos(int, float) override { return 1; }
    float GetPlayPos(int) override { return 0; }
    int SetCurrentFrameNum(int, unsigned) override { return 1; }
    unsigned GetFileTotalFrames(int) override { return 0; }
    unsigned GetPlayedTime(int) override { return 0; }
    int GetCurrentFrameNum(int) override { return 42; }
    int GetKeyFramePos(int, unsigned, int, uint32_t*) override { return 0; }
    int PlaySound(int p) override {
        Log("sound " + std::to_string(p));
        return 1;
    }
    int StopSound() override { return 1; }
    int SetVolume(int, int) override { return 1; }
    int RefreshPlay(int) override { return 1; }
    int LocalZoom(int p, int zoom, int x, int y, int w, int h) override {
        Log("zoom " + std::to_string(p) + " " + std::to_string(zoom) + " " + std::to_string(x) +
            "," + std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h));
        return 1;
    }
};

// Stream ports that keep what they are fed; they never play it out, so a stream stays on.
struct KeepPorts : TStreamPorts {
    std::map<int, std::string> Fed;
    std::map<int, int> Opens;
    bool SetStreamOpenMode(int, int mode) override { return mode == 1; }
    bool OpenStream(int port, const uint8_t*, unsigned n, unsigned) override {
        ++Opens[port];
        Fed[port].clear();
        return n == 19;
    }
    bool InputData(int port, const uint8_t* d, unsigned n) override {
        Fed[port].append(reinterpret_cast<const char*>(d), n);
        return true;
    }
    void CloseStream(int) override {}
    unsigned SourceBufferRemain(int) override { return 1; }
};

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

bool Until(const std::function<bool()>& f, DWORD ms = 10000) {
    return PumpMessagesUntil(f, ms);
}

class RemoteReplayPlay : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::ScratchFolder("netwin_play");
        source_.Channels = 2;
        source_.Dates = "2026-12-10,";
        a_ = Add(0, "080000", 30000);
        b_ = Add(0, "090000", 12000);
        c_ = Add(1, "080000", 20000);
        server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                           TReplayPacing{4096, 0}, "127.0.0.1");
        ASSERT_TRUE(server_->Listening());
        TRemoteReplayWindow::Playback p;
        p.Player = &player_;
        p.Ports = &ports_;
        p.MaySnapshot = [this] { return maySnapshot_; };
        p.ShowError = [this](const std::string& t, const std::string& c) {
            errors_.push_back(t + "|" + c);
        };
        window_.reset(new TRemoteReplayWindow(nullptr, "DVR", 1000, p));
        window_->SetHosts({"127.0.0.1"}, [this](const std::string&) { return server_->Port(); });
        window_->ed_UserName->SetText("op");
        window_->ed_Password->SetText("pw");
        window_->Show();
        window_->sb_Connect->Click();
        ASSERT_TRUE(Until([&] { return window_->lv_ReplayDateList->Items()->Count() == 1; }));
        window_->lv_ReplayDateList->Items()->Item(0)->SetSelected(true);
        ASSERT_TRUE(Until([&] {
            return window_->lv_ReplayFileList->Items()->Count() == 3 && window_->Enabled() &&
                   server_->RunningThreads() == 0;
        }));
    }
    void TearDown() override {
        window_.reset();
        PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 10000);
    }
    std::string Add(int ch, const char* hhmmss, size_t size) {
        const std::string path = root_ + "D\\DVRDat\\20261210\\" + std::to_string(ch + 1) +
                                 "\\CC\\" + std::to_string(ch) + "-0-20261210" + hhmmss + ".MPG";
        const std::string bytes =
            testing::Pattern(size).replace(0, 4, "\0\0\x01\xC6", 4) + hhmmss;
        testing::PutFile(path, bytes);
        bytes_[path] = bytes;
        source_.Days["20261210"][ch].push_back(path);
        return path;
    }
    std::string Panel(int i) { return window_->sb_ReplayStatuBar->Panels(i)->Text(); }
    static std::string Name(const std::string& path) { return path.substr(path.rfind('\\') + 1); }
    int Row(const std::string& path) {
        for (int i = 0; i < window_->lv_ReplayFileList->Items()->Count(); ++i)
            if (window_->lv_ReplayFileList->Items()->Item(i)->SubItems()->Get(5) == path)
                return i;
        return -1;
    }

    std::string root_, a_, b_, c_;
    std::map<std::string, std::string> bytes_;
    testing::FakeSource source_;
    std::unique_ptr<TTCPRemoteReplayServer> server_;
    LogPlayer player_;
    KeepPorts ports_;
    bool maySnapshot_ = true;
    std::vector<std::string> errors_;
    std::unique_ptr<TRemoteReplayWindow, FormDeleter> window_;
};

TEST_F(RemoteReplayPlay, CheckedRowsStreamIntoTheirWindowsAndTheToolBarFollows) {
    // Nothing plays yet: only play is offered.
    EXPECT_TRUE(window_->tb_SinglePlay->Enabled());
    for (auto* b : {window_->tb_Pause, window_->tb_Stop, window_->tb_Slow, window_->tb_Fast,
                    window_->tb_CaptureBmp, window_->tb_Sound})
        EXPECT_FALSE(b->Enabled());

    window_->lv_ReplayFileList->Items()->Item(Row(a_))->SetChecked(true);
    window_->lv_ReplayFileList->Items()->Item(Row(c_))->SetChecked(true);
    window_->tb_SinglePlay->Click();
    // Window 0 streams a (then b), window 1 streams c; four windows laid out.
    ASSERT_TRUE(Until([&] { return ports_.Fed[0] == bytes_[a_] && ports_.Fed[1] == bytes_[c_]; }));
    EXPECT_EQ(window_->Player().Queues()[0].size(), 2u);
    EXPECT_EQ(window_->Player().Queues()[1].size(), 1u);
    EXPECT_TRUE(window_->Engine().Windows[3]->Visible());
    EXPECT_FALSE(window_->Engine().Windows[4]->Visible());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(window_->lv_ReplayFileList->Items()->Item(i)->Checked());
    ASSERT_TRUE(Until([&] {
        return window_->tb_Pause->Enabled() && window_->tb_ReplayPos->Max() == 30006 &&
               window_->tb_ReplayPos->Position() == 30006;
    }));
    EXPECT_FALSE(window_->tb_SinglePlay->Enabled());
    EXPECT_TRUE(window_->tb_Stop->Enabled());
    EXPECT_TRUE(window_->tb_CaptureBmp->Enabled());
    EXPECT_EQ(Panel(0), Name(a_));
    EXPECT_EQ(Panel(2), "42");
    EXPECT_EQ(Panel(3), Utf8ToGbk("常速"));
    testing::SaveWindowShot(window_->WindowHandle(), "host_remote_replay_playing");

    // Pause and resume: no new request goes out.
    window_->tb_Pause->Click();
    EXPECT_TRUE(window_->Engine().Paused[0]);
    EXPECT_TRUE(window_->tb_SinglePlay->Enabled());
    EXPECT_FALSE(window_->tb_Pause->Enabled());
    window_->tb_SinglePlay->Click();
    EXPECT_FALSE(window_->Engine().Paused[0]);
    EXPECT_EQ(ports_.Opens[0], 1);
    window_->tb_Slow->Click();
    EXPECT_TRUE(window_->Engine().SlowOn[0]);

    // A click on window 1 makes it current: its file in the status.
    window_->Engine().PaneClick(window_->Engine().Windows[1]);
    ASSERT_TRUE(Until([&] { return Panel(0) == Name(c_); }));

    // Stop ends the current window only; stop-all the rest.
    window_->tb_Stop->Click();
    EXPECT_FALSE(window_->Engine().Playing[1]);
    EXPECT_TRUE(window_->Engine().Playing[0]);
    EXPECT_TRUE(window_->Player().Queues()[1].empty());
    EXPECT_EQ(Panel(0), "");
    window_->ToolButton9->Click();
    EXPECT_FALSE(window_->Engine().Playing[0]);
    EXPECT_TRUE(window_->Player().Queues()[0].empty());
    EXPECT_TRUE(window_->tb_SinglePlay->Enabled());
    EXPECT_FALSE(window_->tb_Stop->Enabled());
    EXPECT_EQ(window_->tb_ReplayPos->Position(), 0);
}

TEST_F(RemoteReplayPlay, ADoubleClickPlaysTheSelectedRowAndItsChannel) {
    window_->lv_ReplayFileList->Items()->Item(Row(a_))->SetSelected(true);
    window_->lv_ReplayFileList->OnDblClick(window_->lv_ReplayFileList);
    ASSERT_TRUE(Until([&] { return ports_.Fed[0] == bytes_[a_]; }));
    EXPECT_EQ(window_->Player().Queues()[0].size(), 2u); // a, then b of the same channel
    EXPECT_TRUE(window_->Player().Queues()[1].empty());
    // Closing the window stops what plays.
    window_->tb_Exit->Click();
    EXPECT_FALSE(window_->Visible());
    EXPECT_FALSE(window_->Engine().Playing[0]);
    EXPECT_TRUE(window_->Player().Queues()[0].empty());
}

TEST_F(RemoteReplayPlay, SnapshotNeedsTheRightAndZoomCoversTheWholePicture) {
    maySnapshot_ = false;
    window_->tb_CaptureBmp->Click();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], Utf8ToGbk("对不起！您不具备本操作的权限。") + "|" + Utf8ToGbk("权限验证"));

    window_->sb_RegionZoom->Click();
    TRegionZoomForm* first = window_->ZoomForm();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(player_.Calls.back(), "zoom 0 1 0,0 352x288");
    EXPECT_EQ(window_->Engine().Zoom, &first->State);
    // Again: the open one goes, a new one comes.
    window_->sb_RegionZoom->Click();
    ASSERT_NE(window_->ZoomForm(), nullptr);
    EXPECT_EQ(window_->Engine().Zoom, &window_->ZoomForm()->State);
}

TEST_F(RemoteReplayPlay, ListAndFullScreenViewsComeBackOnTheRightButton) {
    const int height = window_->Height();
    window_->ToolButton4->Click();
    EXPECT_FALSE(window_->pn_FilePanel->Visible());
    EXPECT_EQ(window_->Height(), height - 1);
    ::SendMessageW(window_->WindowHandle(), WM_REPLAYMENU, 0, 0);
    EXPECT_TRUE(window_->pn_FilePanel->Visible());
    EXPECT_EQ(std::lround(100.0 * window_->pn_ReplayArea->Width() /
                          window_->pn_ReplayArea->Height()),
              133);

    const int left = window_->Left(), width = window_->Width(), h = window_->Height();
    window_->ToolButton6->Click();
    EXPECT_TRUE(window_->FullScreen());
    EXPECT_FALSE(window_->pn_ToolPanel->Visible());
    EXPECT_EQ(window_->Width(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(window_->Height(), ::GetSystemMetrics(SM_CYSCREEN));
    ::SendMessageW(window_->WindowHandle(), WM_REPLAYMENU, 0, 0);
    EXPECT_FALSE(window_->FullScreen());
    EXPECT_TRUE(window_->pn_ToolPanel->Visible());
    EXPECT_TRUE(window_->pn_FilePanel->Visible());
    EXPECT_EQ(window_->Left(), left);
    EXPECT_EQ(window_->Width(), width);
    EXPECT_EQ(window_->Height(), h);
}

} // namespace
} // namespace vantrel
