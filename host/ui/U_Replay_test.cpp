#include "host/ui/U_Replay.h"

#include "framework/ui/forms.h"
#include "host/engine/U_DataLockTable.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/U_ReplayHostEngine.h"
#include "host/ui/replay_testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using namespace dvr::fw;

// Records the calls; every call succeeds unless told otherwise.
struct FakePlayer : TReplayPlayer {
    bool Fail = false;
    std::vector<std::string> Calls;
    std::vector<std::array<int, 6>> Zooms;
    int Ok(std::string call) {
        Calls.push_back(std::move(call));
        return Fail ? 0 : 1;
    }
    int OpenFile(int p, const std::string&) override { return Ok("open" + std::to_string(p)); }
    int CloseFile(int p) override { return Ok("close" + std::to_string(p)); }
    int SetEmptyFileRefCallBack(int) override { return 1; }
    int SetFileEndMsg(int p, HWND, UINT) override { return Ok("endmsg" + std::to_string(p)); }
    int SetPicQuality(int, int) override { return 1; }
    int Play(int p, HWND) override { return Ok("play" + std::to_string(p)); }
    int Stop(int p) override { return Ok("stop" + std::to_string(p)); }
    int Pause(int p, int on) override {
        return Ok("pause" + std::to_string(p) + std::to_string(on));
    }
    int OneByOne(int p) override { return Ok("step" + std::to_string(p)); }
    int OneByOneBack(int p) override { return Ok("back" + std::to_string(p)); }
    int Slow(int p) override { return Ok("slow" + std::to_string(p)); }
    int Fast(int p) override { return Ok("fast" + std::to_string(p)); }
    int SetPlayPos(int, float) override { return Ok("pos"); }
    float GetPlayPos(int) override { return 0.25f; }
    int SetCurrentFrameNum(int, unsigned) override { return Ok("frame"); }
    unsigned GetFileTotalFrames(int) override { return 100; }
    unsigned GetPlayedTime(int) override { return 3; }
    int GetCurrentFrameNum(int) override { return 42; }
    int GetKeyFramePos(int, unsigned v, int mode, uint32_t info[3]) override {
        info[0] = v;
        info[1] = mode;
        info[2] = 123456;
        return 1;
    }
    int PlaySound(int p) override { return Ok("sound" + std::to_string(p)); }
    int StopSound() override { return Ok("nosound"); }
    int SetVolume(int p, int v) override {
        return Ok("vol" + std::to_string(p) + ":" + std::to_string(v));
    }
    int RefreshPlay(int) override { return 1; }
    int LocalZoom(int p, int z, int x, int y, int w, int h) override {
        Zooms.push_back({p, z, x, y, w, h});
        return 1;
    }
};

struct FakeHost : TReplayHost {
    int Channels = 4;
    std::map<std::string, ChannelLists> Index;
    std::set<std::string> Locked;
    std::string NameRoot;
    std::vector<std::pair<int, int>> NamesAsked;
    struct Added {
        std::string Day;
        int Channel;
        std::string Name;
    };
    std::vector<Added> AddedFiles;

    int ChannelCount() override { return Channels; }
    std::string ChannelTitle(int ch) override { return "cam" + std::to_string(ch); }
    void ListDates(std::vector<std::string>& days) override {
        for (auto& [d, l] : Index)
            days.push_back(DayToDashed(d));
    }
    std::optional<ChannelLists> GetDayChannelLists(std::string_view day) override {
        const auto it = Index.find(std::string(day));
        if (it == Index.end()) return std::nullopt;
        return it->second;
    }
    bool IsDayLocked(std::string_view day) override { return Locked.count(std::string(day)) != 0; }
    std::string MakeRecordingFileName(int ch, int type) override {
        NamesAsked.push_back({ch, type});
        if (NameRoot.empty()) return {};
        return NameRoot + "DVRDat\\20261210\\" + std::to_string(ch + 1) + "\\RB\\" +
               std::to_string(ch) + "-" + std::to_string(type) + "-20261210120000.BMP";
    }
    void AddFile(std::string_view day, int ch, std::string_view name) override {
        AddedFiles.push_back({std::string(day), ch, std::string(name)});
    }
};

struct FormDeleter {
    void operator()(TForm* f) const { f->Free(); }
};

class ReplayEngine : public ::testing::Test {
protected:
    void SetUp() override {
        form_.reset(new TForm(nullptr));
        form_->SetBounds(0, 0, 720, 620);
        area_ = new TPanel(form_.get());
        area_->SetParent(form_.get());
        area_->SetBounds(0, 0, 704, 576);
        form_->Show();
    }
    void TearDown() override {
        replay_.reset();
        form_.reset();
    }
    TReplay& Make(TReplayPlayer& player) {
        replay_ = std::make_unique<TReplay>(sink_.Handle(), area_, host_, player);
        replay_->SetAreaRect({0, 0, 704, 576});
        replay_->SetLayout(4);
        return *replay_;
    }
    std::vector<LPARAM> LayoutPosts() {
        sink_.Pump();
        std::vector<LPARAM> l;
        for (auto& m : sink_.Got)
            if (m.Id == WM_REPLAYLAYOUT) l.push_back(m.L);
        sink_.Got.clear();
        return l;
    }

    MessageSink sink_;
    FakeHost host_;
    std::unique_ptr<TForm, FormDeleter> form_;
    TPanel* area_ = nullptr;
    std::unique_ptr<TReplay> replay_;
};

TEST_F(ReplayEngine, SpeedStepFollowsTheCallsAndFailuresChangeNothing) {
    FakePlayer player;
    TReplay& r = Make(player);
    ASSERT_EQ(r.Play(0), 0);
    EXPECT_TRUE(r.Playing[0]);
    EXPECT_EQ(r.SpeedStep, 4);
    for (int i = 0; i < 6; ++i)
        r.Slow(0);
    EXPECT_EQ(r.SpeedStep, 0);
    EXPECT_TRUE(r.SlowOn[0]);
    for (int i = 0; i < 12; ++i)
        r.Fast(0);
    EXPECT_EQ(r.SpeedStep, 8);
    r.StepForward(0);
    EXPECT_EQ(r.SpeedStep, 9);
    r.Fast(0);
    EXPECT_EQ(r.SpeedStep, 9);
    r.StepBackward(0);
    r.Slow(0);
    EXPECT_EQ(r.SpeedStep, -1);
    EXPECT_EQ(r.Play(0), 0);
    EXPECT_EQ(r.SpeedStep, 4);
    EXPECT_FALSE(r.SlowOn[0] || r.FastOn[0] || r.Stepping[0]);

    // A failing library leaves every flag; Stop clears the clip marks all the same.
    r.ClipMarks[0] = {10, 60, 5000, 9000};
    r.Pause(0, true);
    player.Fail = true;
    EXPECT_EQ(r.Pause(0, false), -1);
    EXPECT_TRUE(r.Paused[0]);
    EXPECT_EQ(r.Fast(0), -1);
    EXPECT_EQ(r.SpeedStep, 4);
    EXPECT_EQ(r.Stop(0), -1);
    EXPECT_TRUE(r.Playing[0]);
    EXPECT_EQ(r.ClipMarks[0], ClipMark{});
    EXPECT_EQ(r.OpenFile(1, "x"), -1);
    EXPECT_EQ(r.PlaySound(0), -1);
    EXPECT_FALSE(r.SoundOn);
    player.Fail = false;
    EXPECT_EQ(r.Stop(0), 0);
    EXPECT_FALSE(r.Playing[0] || r.Paused[0]);
    EXPECT_EQ(r.GetKeyFrameFilePos(0), 123456);
}

TEST_F(ReplayEngine, SoundFollowsAClickOnlyOntoAPlayingWindow) {
    FakePlayer player;
    TReplay& r = Make(player);
    r.Play(0);
    r.Play(1);
    r.SetVolume(0, 30000);
    ASSERT_EQ(r.PlaySound(0), 0);
    EXPECT_EQ(r.SoundWindow, 0);
    player.Calls.clear();
    r.PaneClick(r.Windows[2]); // not playing
    EXPECT_EQ(r.CurrentWindow, 2);
    EXPECT_EQ(r.SoundWindow, 0);
    EXPECT_TRUE(player.Calls.empty());
    r.PaneClick(r.Windows[1]);
    EXPECT_EQ(player.Calls, (std::vector<std::string>{"nosound", "sound1", "vol1:30000"}));
    EXPECT_EQ(r.SoundWindow, 1);
    EXPECT_TRUE(r.SoundOn);
    // Stopping the sound window stops the sound.
    r.Stop(1);
    EXPECT_FALSE(r.SoundOn);
    sink_.Pump();
    EXPECT_EQ(sink_.Params(WM_REPLAYSELECT), (std::vector<WPARAM>{2, 1}));
}

TEST_F(ReplayEngine, LayoutMaximiseAndRestore) {
    FakePlayer player;
    TReplay& r = Make(player);
    for (int i = 0; i < kReplayPorts; ++i) {
        EXPECT_EQ(r.Windows[i]->Visible(), i < 4) << i;
        EXPECT_EQ(r.Windows[i]->Enabled(), i < 4) << i;
    }
    EXPECT_EQ(r.Windows[3]->Left(), r.LayoutRects[3].Left);
    EXPECT_GT(r.Windows[3]->Left(), 0);
    LayoutPosts();
    r.PaneDblClick(r.Windows[3]);
    EXPECT_EQ(r.WindowStates[3], kWindowMaximised);
    EXPECT_EQ(r.MaximisedWindow, 3);
    EXPECT_EQ(r.Windows[3]->Left(), 0);
    EXPECT_EQ(r.Windows[3]->Width(), 704);
    r.PaneDblClick(r.Windows[3]);
    EXPECT_EQ(r.WindowStates[3], kWindowNormal);
    EXPECT_EQ(r.MaximisedWindow, -1);
    EXPECT_EQ(r.Windows[3]->Left(), r.LayoutRects[3].Left);
    EXPECT_EQ(LayoutPosts(), (std::vector<LPARAM>{100, 1000}));
    // The selection frame sits on the current window's edges.
    r.ShowSelectionFrame(3, true);
    EXPECT_EQ(r.FrameEdges[2]->Left(), r.Windows[3]->Width() - 1);
    EXPECT_EQ(r.FrameEdges[3]->Top(), r.Windows[3]->Height() - 1);
}

TEST_F(ReplayEngine, ZoomDragMapsTheRectangleAndRightButtonAsksForTheMenu) {
    FakePlayer player;
    TReplay& r = Make(player);
    RegionZoomState zoom;
    zoom.Shown = true;
    zoom.ZoomPort = 5;
    r.Zoom = &zoom;
    TPanel* w = r.Windows[1];
    // Not playing: no drag.
    r.PaneMouseDown(w, TMouseButton::mbLeft, {}, 10, 10);
    r.PaneMouseUp(w, TMouseButton::mbLeft, {}, 10, 10);
    EXPECT_TRUE(player.Zooms.empty());
    r.Play(1);
    r.PaneMouseDown(w, TMouseButton::mbLeft, TShiftState{TShiftStateItem::ssLeft}, 100, 80);
    r.PaneMouseMove(w, TShiftState{TShiftStateItem::ssLeft}, 40, 120);
    EXPECT_EQ(r.ZoomRect, (PaneRect{40, 80, 100, 120}));
    r.PaneMouseMove(w, TShiftState{TShiftStateItem::ssLeft}, 100000, 100000);
    EXPECT_EQ(r.ZoomRect.Right, w->Width());
    EXPECT_EQ(r.ZoomRect.Bottom, w->Height());
    r.PaneMouseDown(w, TMouseButton::mbLeft, TShiftState{TShiftStateItem::ssLeft}, 0, 0);
    r.PaneMouseMove(w, TShiftState{TShiftStateItem::ssLeft}, w->Width(), w->Height());
    r.PaneMouseUp(w, TMouseButton::mbLeft, {}, 0, 0);
    ASSERT_EQ(player.Zooms.size(), 2u);
    EXPECT_EQ(player.Zooms[0], (std::array<int, 6>{5, 0, 0, 0, 352, 288}));
    EXPECT_EQ(player.Zooms[1], (std::array<int, 6>{1, 1, 0, 0, 352, 288}));
    EXPECT_EQ(zoom.ZoomPort, 1);
    // The right button only asks for the menu.
    r.PaneMouseUp(w, TMouseButton::mbRight, {}, 0, 0);
    EXPECT_EQ(player.Zooms.size(), 2u);
    sink_.Pump();
    EXPECT_EQ(sink_.Params(WM_REPLAYMENU).size(), 1u);
}

TEST_F(ReplayEngine, SnapshotIsNamedAndRegisteredForTheRecordingsChannel) {
    FakePlayer player;
    TReplay& r = Make(player);
    const std::string folder = FreshProgramFolder("replay_snap");
    r.CurrentWindow = 3;
    EXPECT_EQ(r.Snapshot(), ""); // nothing plays there
    EXPECT_TRUE(host_.NamesAsked.empty());
    r.PlayLists[3] = {"D:\\DVRDat\\20261210\\12\\CC\\11-0-20261210115800.MPG"};
    EXPECT_EQ(r.Snapshot(), ""); // no drive with room
    host_.NameRoot = folder;
    const std::string name = r.Snapshot();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(host_.NamesAsked.back(), (std::pair<int, int>{11, 3}));
    ASSERT_EQ(host_.AddedFiles.size(), 1u);
    EXPECT_EQ(host_.AddedFiles[0].Channel, 11);
    EXPECT_EQ(host_.AddedFiles[0].Day, "20261210");
    const std::vector<uint8_t> bmp = ReadAll(name);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
}

TEST_F(ReplayEngine, SearchListsTheDaysRecordingsByChannelTypeAndLock) {
    FakePlayer player;
    const std::string base = FreshProgramFolder("replay_search");
    const std::vector<uint8_t> rec = ReadAll(dvr::testing::TestDataPath("cif_ip.MPG"));
    const std::string bytes(rec.begin(), rec.end());
    auto put = [&](const std::string& day, int ch, const std::string& kind, int type,
                   const std::string& time) {
        const std::string path = base + "D\\DVRDat\\" + day + "\\" + std::to_string(ch + 1) + "\\" +
                                 kind + "\\" + std::to_string(ch) + "-" + std::to_string(type) +
                                 "-" + day + time + (type >= 2 ? ".BMP" : ".MPG");
        WriteFile(path, type >= 2 ? "BM" : bytes);
        host_.Index[day][ch].push_back(type == 0 ? path + "#12" : path);
        return path;
    };
    const std::string a = put("20261210", 0, "CC", 0, "100000");
    const std::string b = put("20261210", 2, "AC", 1, "110000");
    put("20261210", 2, "PB", 2, "110500");
    const std::string c = put("20261211", 1, "CC", 0, "090000");
    put("20261211", 6, "CC", 0, "090000"); // beyond the channel count
    host_.Locked.insert("2026-12-11");

    TReplay& r = Make(player);
    std::vector<std::string> days;
    r.GetRecordingDays(days);
    EXPECT_EQ(days, (std::vector<std::string>{"2026-12-10", "2026-12-11"}));
    int finished = -1;
    DWORD finishedOn = 0;
    r.SearchThread().Finished = [&](int kind) {
        finished = kind;
        finishedOn = ::GetCurrentThreadId();
    };
    r.Days = {"20261210", "20261211", "20261212"};
    r.StartFileSearch(1);
    ASSERT_TRUE(sink_.PumpUntil([&] { return r.SearchThread().Scans() == 1; }));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(finishedOn, ::GetCurrentThreadId());
    ASSERT_EQ(r.CommonList.Count(), 2u);
    EXPECT_EQ(r.CommonList.Head->Path, a);
    EXPECT_EQ(r.CommonList.Head->Channel, 0);
    EXPECT_EQ(r.CommonList.Head->RecordType, 0);
    EXPECT_EQ(r.CommonList.Head->StartTime.Get(), "2026-12-10 10:00:00");
    EXPECT_EQ(r.CommonList.Head->SizeText.Get(), SizeText(rec.size()));
    EXPECT_EQ(r.CommonList.Head->TypeName.View(), CaptureTypeName(0));
    EXPECT_EQ(r.CommonList.Tail->Path, b);
    EXPECT_EQ(r.CommonList.Tail->Channel, 2);
    EXPECT_EQ(r.CommonList.Tail->RecordType, 1);
    ASSERT_EQ(r.LockedList.Count(), 1u);
    EXPECT_EQ(r.LockedList.Head->Path, c);
    EXPECT_TRUE(r.SnapshotList.Empty());

    // Clearing keeps the snapshots; a snapshot search fills only them.
    r.ClearFileLists();
    r.StartFileSearch(0);
    ASSERT_TRUE(sink_.PumpUntil([&] { return r.SearchThread().Scans() == 2; }));
    EXPECT_TRUE(r.CommonList.Empty());
    ASSERT_EQ(r.SnapshotList.Count(), 1u);
    EXPECT_EQ(r.SnapshotList.Head->RecordType, 2);
    EXPECT_EQ(finished, 0);
}

TEST_F(ReplayEngine, ChannelItemsNumberFromOne) {
    FakePlayer player;
    host_.Channels = 12;
    TReplay& r = Make(player);
    const auto items = r.ChannelCheckItems();
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[0], "01  < cam0 >");
    EXPECT_EQ(items[11], "12  < cam11 >");
}

// The engine over the player library with fixture recordings.
TEST_F(ReplayEngine, PlaysRecordingsInSeveralWindowsWithSpeedStepAndSeek) {
    TReplay& r = Make(StrovidReplayPlayer());
    const std::string files[] = {dvr::testing::TestDataPath("cif_ip.MPG"),
                                 dvr::testing::TestDataPath("cif_ipb1.MPG"),
                                 dvr::testing::TestDataPath("cif_ip.MPG")};
    for (int w = 0; w < 3; ++w) {
        ASSERT_EQ(r.OpenFile(w, files[w]), 0) << w;
        ASSERT_EQ(r.Play(w), 0) << w;
        r.PlayLists[w] = {files[w]};
    }
    EXPECT_EQ(r.OpenFile(3, dvr::testing::TestDataPath("cif_ip_missing.MPG")), -1);
    // Pictures advance in every window.
    ASSERT_TRUE(sink_.PumpUntil([&] {
        return r.GetCurrentFrameNum(0) > 5 && r.GetCurrentFrameNum(1) > 5 &&
               r.GetCurrentFrameNum(2) > 5;
    }));
    EXPECT_EQ(r.Fast(0), 0);
    EXPECT_EQ(r.Slow(1), 0);
    EXPECT_TRUE(r.FastOn[0]);
    EXPECT_TRUE(r.SlowOn[1]);
    // Stepping holds the picture and moves it by one.
    ASSERT_EQ(r.StepForward(2), 0);
    sink_.PumpUntil([] { return false; }, 300);
    const int held = r.GetCurrentFrameNum(2);
    ASSERT_EQ(r.StepForward(2), 0);
    ASSERT_TRUE(sink_.PumpUntil([&] { return r.GetCurrentFrameNum(2) == held + 1; }, 5000));
    sink_.PumpUntil([] { return false; }, 300);
    EXPECT_EQ(r.GetCurrentFrameNum(2), held + 1);
    EXPECT_EQ(r.SpeedStep, 9);
    // Seeking to the middle.
    const unsigned total = r.GetFileTotalFrames(2);
    ASSERT_GT(total, 20u);
    ASSERT_EQ(r.SetPlayPos(2, 0.5), 0);
    ASSERT_TRUE(sink_.PumpUntil([&] { return std::fabs(r.GetPlayPos(2) - 0.5) < 0.1; }, 5000));
    // The key frame at or before the current picture lies on a key-frame record.
    const int32_t key = r.GetKeyFrameFilePos(2);
    bool whole = false;
    const auto records = WalkRecords(ReadAll(files[2]), &whole);
    EXPECT_TRUE(std::any_of(records.begin(), records.end(), [&](const RecordAt& rec) {
        return rec.Type == 1 && rec.Offset == static_cast<size_t>(key);
    })) << key;
    // Window 0 played fast reaches its end and says so.
    r.Play(0);
    for (int i = 0; i < 4; ++i)
        r.Fast(0);
    ASSERT_TRUE(sink_.PumpUntil(
        [&] {
            for (WPARAM w : sink_.Params(WM_REPLAYEND))
                if (w == 0) return true;
            return false;
        },
        60000));
    for (int w = 0; w < 3; ++w) {
        EXPECT_EQ(r.Stop(w), 0);
        EXPECT_EQ(r.CloseFile(w), 0);
        EXPECT_FALSE(r.Playing[w]);
    }
}

} // namespace
} // namespace vantrel
