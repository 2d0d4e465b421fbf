// The replay window's tools: the snapshot browser, the one-file recording player, the zoom,
// list and full-screen buttons, column sorting, position-bar dragging and the snapshot right.
#include "host/ui/F_ReplayForCaptureBMP.h"
#include "host/ui/F_ReplayForm.h"
#include "host/ui/F_ShowBMP.h"

#include "common/win/textconv.h"
#include "host/engine/U_StorageNames.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/replay_testing.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

// Every player call as text; results can be set.
struct LogPlayer : TReplayPlayer {
    std::vector<std::string> Calls;
    int OpenResult = 1, PlayResult = 1;
    float Pos = 0.25f;
    void Log(const std::string& s) { Calls.push_back(s); }
    std::string Last() const { return Calls.empty() ? "" : Calls.back(); }
    bool Saw(const std::string& s) const {
        return std::find(Calls.begin(), Calls.end(), s) != Calls.end();
    }
    int OpenFile(int p, const std::string& f) override {
        Log("open " + std::to_string(p) + " " + f);
        return OpenResult;
    }
    int CloseFile(int p) override {
        Log("close " + std::to_string(p));
        return 1;
    }
    int SetEmptyFileRefCallBack(int p) override {
        Log("ref " + std::to_string(p));
        return 1;
    }
    int SetFileEndMsg(int p, HWND, UINT m) override {
        Log("endmsg " + std::to_string(p) + " " + std::to_string(m));
        return 1;
    }
    int SetPicQuality(int, int) override { return 1; }
    int Play(int p, HWND) override {
        Log("play " + std::to_string(p));
        return PlayResult;
    }
    int Stop(int p) override {
        Log("stop " + std::to_string(p));
        return 1;
    }
    int Pause(int p, int on) override {
        Log("pause " + std::to_string(p) + " " + std::to_string(on));
        return 1;
    }
    int OneByOne(int p) override {
        Log("step " + std::to_string(p));
        return 1;
    }
    int OneByOneBack(int p) override {
        Log("back " + std::to_string(p));
        return 1;
    }
    int Slow(int p) override {
        Log("slow " + std::to_string(p));
        return 1;
    }
    int Fast(int p) override {
        Log("fast " + std::to_string(p));
        return 1;
    }
    int SetPlayPos(int p, float f) override {
        Log("seek " + std::to_string(p) + " " + std::to_string(int(f * 100 + 0.5f)));
        return 1;
    }
    float GetPlayPos(int) override { return Pos; }
    int SetCurrentFrameNum(int p, unsigned n) override {
        Log("frame " + std::to_string(p) + " " + std::to_string(n));
        return 1;
    }
    unsigned GetFileTotalFrames(int) override { return 100; }
    unsigned GetPlayedTime(int) override { return 3725; }
    int GetCurrentFrameNum(int) override { return 42; }
    int GetKeyFramePos(int, unsigned, int, uint32_t*) override { return 0; }
    int PlaySound(int) override { return 1; }
    int StopSound() override { return 1; }
    int SetVolume(int, int) override { return 1; }
    int RefreshPlay(int) override { return 1; }
    int LocalZoom(int p, int z, int x, int y, int w, int h) override {
        Log("zoom " + std::to_string(p) + " " + std::to_string(z) + " " + std::to_string(x) +
            "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h));
        return 1;
    }
};

struct IndexHost : TReplayHost {
    std::map<std::string, ChannelLists> Index;
    std::vector<std::pair<int, int>> NamesAsked;
    int ChannelCount() override { return 4; }
    std::string ChannelTitle(int ch) override { return Utf8ToGbk("门口") + std::to_string(ch); }
    void ListDates(std::vector<std::string>& days) override {
        for (auto& [d, l] : Index)
            days.push_back(DayToDashed(d));
    }
    std::optional<ChannelLists> GetDayChannelLists(std::string_view day) override {
        const auto it = Index.find(std::string(day));
        if (it == Index.end()) return std::nullopt;
        return it->second;
    }
    bool IsDayLocked(std::string_view) override { return false; }
    std::string MakeRecordingFileName(int ch, int type) override {
        NamesAsked.push_back({ch, type});
        return {};
    }
    void AddFile(std::string_view, int, std::string_view) override {}
};

// A w x h picture, a colour band per third, saved as a snapshot.
void WriteSnapshot(const std::string& path, int w, int h) {
    WriteFile(path, "");
    dvr::win::WindowDc screen(nullptr);
    dvr::win::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), w, h));
    {
        dvr::win::MemoryDc dc(::CreateCompatibleDC(screen.get()));
        dvr::win::SelectObjectScope sel(dc.get(), bmp.get());
        const COLORREF colours[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200)};
        for (int i = 0; i < 3; ++i) {
            dvr::win::Brush b(::CreateSolidBrush(colours[i]));
            RECT r{0, i * h / 3, w, (i + 1) * h / 3};
            ::FillRect(dc.get(), &r, b.get());
        }
    }
    ASSERT_TRUE(SaveBitmapFile(bmp.get(), w, h, path));
}

void SetLastWrite(const std::string& path, int h, int mi, int s) {
    SYSTEMTIME st{};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 10;
    st.wHour = WORD(h);
    st.wMinute = WORD(mi);
    st.wSecond = WORD(s);
    FILETIME local, utc;
    ::SystemTimeToFileTime(&st, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    dvr::win::File f(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ::SetFileTime(f.get(), nullptr, nullptr, &utc);
}

template <class F> struct Freed {
    F* f;
    ~Freed() { f->Free(); }
};

std::vector<std::string> Rows(TListView* lv, int sub = -1) {
    std::vector<std::string> rows;
    for (int i = 0; i < lv->Items()->Count(); ++i) {
        TListItem* it = lv->Items()->Item(i);
        rows.push_back(sub < 0 ? it->Caption() : it->SubItems()->Get(sub));
    }
    return rows;
}

TEST(SnapshotBrowser, ListsFiltersZoomsPlaysAndEmptiesTheChainOnClose) {
    const std::string base = FreshProgramFolder("replay_browser");
    const std::string day = base + "D\\DVRDat\\20261210\\";
    IndexHost host;
    // Channel 2: a preview snapshot at 12:00:05 and a replay snapshot at 12:30:00; channel 0:
    // a preview snapshot at 09:00:00; another day's snapshot of channel 0.
    const std::string previewSnap = day + "3\\PB\\2-2-20261210120005.BMP";
    const std::string replaySnap = day + "3\\RB\\2-3-20261210123000.BMP";
    const std::string otherSnap = day + "1\\PB\\0-2-20261210090000.BMP";
    const std::string yesterday = base + "D\\DVRDat\\20261209\\1\\PB\\0-2-20261209080000.BMP";
    WriteSnapshot(previewSnap, 352, 288);
    WriteSnapshot(replaySnap, 352, 288);
    WriteSnapshot(otherSnap, 176, 144);
    WriteSnapshot(yesterday, 352, 288);
    host.Index["20261210"][2] = {previewSnap, replaySnap};
    host.Index["20261210"][0] = {otherSnap};
    host.Index["20261209"][0] = {yesterday};
    // The normal recording around the preview snapshot.
    const std::string recording = day + "3\\CC\\2-0-20261210115800.MPG";
    WriteFile(recording, "x");
    SetLastWrite(recording, 12, 5, 0);

    MessageSink pump;
    LogPlayer player;
    TReplayForm::Services s;
    s.Title = "DVR";
    int modalRuns = 0;
    std::vector<std::string> played, errors;
    size_t chainAfterClose = 99;
    bool busyWhileOpen = false, enabledWhileOpen = true;
    s.RunModal = [&](TForm& form) {
        ++modalRuns;
        auto& b = static_cast<TShowBMPForm&>(form);
        b.PlayRecording = [&](const std::string& r) { played.push_back(r); };
        b.ShowError = [&](const std::string& t) { errors.push_back(t); };
        b.Show();
        auto* owner = static_cast<TReplayForm*>(b.Owner());
        busyWhileOpen = owner->Busy();
        EXPECT_EQ(owner->Browser(), &b);
        EXPECT_TRUE(pump.PumpUntil([&] { return b.lv_BMPList->Items()->Count() > 0; }));
        enabledWhileOpen = ::IsWindowEnabled(owner->Handle()) != FALSE;
        EXPECT_EQ(b.Caption(), "DVR    " + Utf8ToGbk("抓帧浏览器"));
        EXPECT_EQ(b.clb_ReplayChannelList->Items()->Get(2), "03 <" + Utf8ToGbk("门口") + "2>");
        // The first day is chosen after the scan, which found the snapshots of every day.
        EXPECT_EQ(b.lv_ReplayDateList->Selected()->Caption(), "2026-12-09");
        EXPECT_EQ(owner->Replay().SnapshotList.Count(), 4u);
        EXPECT_EQ(Rows(b.lv_BMPList), std::vector<std::string>{"01"});
        b.lv_ReplayDateList->SetSelected(b.lv_ReplayDateList->Items()->Item(1));
        // In scan order: channel by channel.
        EXPECT_EQ(Rows(b.lv_BMPList), (std::vector<std::string>{"01", "03", "03"}));
        EXPECT_EQ(Rows(b.lv_BMPList, 0),
                  (std::vector<std::string>{"09:00:00", "12:00:05", "12:30:00"}));
        EXPECT_EQ(b.SelectedPath(), otherSnap);
        EXPECT_TRUE(b.im_ShowBMP->Visible());
        EXPECT_EQ(b.im_ShowBMP->Width(), 176);
        pump.Pump();
        SaveWindowShot(b.Handle(), "host_snapshot_browser");

        // Filters: replay snapshots only; then no channel at all; then all again.
        b.clb_ReplayBMPFileTypeList->SetChecked(0, false);
        b.FillBMPList();
        EXPECT_EQ(Rows(b.lv_BMPList, 0), std::vector<std::string>{"12:30:00"});
        b.clb_ReplayBMPFileTypeList->SetChecked(0, true);
        b.sb_SelectChannelAllClick(&b);
        EXPECT_EQ(b.sb_SelectChannelAll->Caption(), Utf8ToGbk("全选"));
        EXPECT_EQ(b.lv_BMPList->Items()->Count(), 0);
        b.sb_SelectChannelAllClick(&b);
        EXPECT_EQ(b.sb_SelectChannelAll->Caption(), Utf8ToGbk("全清"));
        EXPECT_EQ(b.lv_BMPList->Items()->Count(), 3);

        // Sorting on the time column: descending, then ascending.
        b.lv_BMPListColumnClick(&b, b.lv_BMPList->Columns(1));
        EXPECT_EQ(Rows(b.lv_BMPList, 0),
                  (std::vector<std::string>{"12:30:00", "12:00:05", "09:00:00"}));
        b.lv_BMPListColumnClick(&b, b.lv_BMPList->Columns(1));
        EXPECT_EQ(Rows(b.lv_BMPList, 0),
                  (std::vector<std::string>{"09:00:00", "12:00:05", "12:30:00"}));

        // Next and previous stop at the ends; the picture follows.
        b.lv_BMPList->SetSelected(b.lv_BMPList->Items()->Item(0));
        b.ToolButton4Click(&b);
        EXPECT_EQ(b.lv_BMPList->ItemIndex(), 0);
        EXPECT_EQ(b.im_ShowBMP->Width(), 176);
        b.ToolButton5Click(&b);
        EXPECT_EQ(b.SelectedPath(), previewSnap);
        EXPECT_EQ(b.im_ShowBMP->Width(), 352);
        b.ToolButton5Click(&b);
        b.ToolButton5Click(&b);
        EXPECT_EQ(b.SelectedPath(), replaySnap);

        // Zoom: twice in, once out, back to its own size, centred.
        const int pw = b.Panel1->ClientWidth(), ph = b.Panel1->ClientHeight();
        b.ToolButton6Click(&b);
        b.ToolButton6Click(&b);
        EXPECT_EQ(b.im_ShowBMP->Width(), 792);
        EXPECT_EQ(b.im_ShowBMP->Height(), 648);
        // Larger than the panel: no gap at the right or bottom.
        EXPECT_LE(b.im_ShowBMP->Left(), 0);
        EXPECT_GE(b.im_ShowBMP->Left() + 792, pw);
        // Panning moves by the cursor's movement, clamped to the panel.
        POINT start{};
        b.im_ShowBMPMouseDown(&b, TMouseButton::mbLeft, {}, 0, 0);
        ::GetCursorPos(&start);
        b.PanTo({start.x + 5000, start.y});
        EXPECT_EQ(b.im_ShowBMP->Left(), 0);
        b.PanTo({start.x - 5000, start.y});
        EXPECT_EQ(b.im_ShowBMP->Left(), pw - 792);
        const int top = b.im_ShowBMP->Top();
        b.PanTo({start.x - 4990, start.y + 7});
        EXPECT_EQ(b.im_ShowBMP->Left(), pw - 782);
        EXPECT_EQ(b.im_ShowBMP->Top(), std::min(top + 7, 0));
        b.ToolButton7Click(&b);
        EXPECT_EQ(b.im_ShowBMP->Width(), 594);
        EXPECT_EQ(b.im_ShowBMP->Height(), 486);
        EXPECT_EQ(b.im_ShowBMP->Left(), (pw - 594) / 2);
        b.ToolButton10Click(&b);
        EXPECT_EQ(b.im_ShowBMP->Width(), 352);
        EXPECT_EQ(b.im_ShowBMP->Left(), (pw - 352) / 2);
        EXPECT_EQ(b.im_ShowBMP->Top(), (ph - 288) / 2);

        // A replay snapshot has no recording around it; a preview snapshot has.
        b.sb_PlayFileClick(&b);
        EXPECT_EQ(errors, std::vector<std::string>{Utf8ToGbk("对不起！找不到相关录像片段！")});
        b.ToolButton4Click(&b);
        b.sb_PlayFileClick(&b);
        EXPECT_EQ(played, std::vector<std::string>{recording});

        b.ToolButton13Click(&b);
        chainAfterClose = owner->Replay().SnapshotList.Count();
        EXPECT_EQ(b.lv_ReplayDateList->Items()->Count(), 0);
        EXPECT_FALSE(b.im_ShowBMP->Visible());
        return mrCancel;
    };
    auto* form = new TReplayForm(nullptr, host, s, player);
    Freed<TReplayForm> guard{form};
    form->Show();
    pump.Pump();
    form->sp_ShowBMPClick(form);
    EXPECT_EQ(modalRuns, 1);
    EXPECT_TRUE(busyWhileOpen);
    // The replay window is disabled while the browser is open (the scan's end does not
    // enable it again before the browser closes).
    EXPECT_FALSE(enabledWhileOpen);
    EXPECT_EQ(chainAfterClose, 0u);
    EXPECT_FALSE(form->Busy());
    EXPECT_EQ(form->Browser(), nullptr);
    EXPECT_TRUE(form->Enabled());
    // Opened again, it scans again.
    const int scans = form->Replay().SearchThread().Scans();
    auto* again = new TShowBMPForm(nullptr, "DVR", form->Replay());
    Freed<TShowBMPForm> guard2{again};
    again->Show();
    EXPECT_TRUE(pump.PumpUntil([&] { return form->Replay().SearchThread().Scans() > scans; }));
}

TEST(RecordingPlayer, PlaysPort15WithItsTransportAndStopsAtTheEnd) {
    LogPlayer player;
    std::vector<std::string> errors;
    auto* f = new TReplayForCaptureBMPForm(nullptr, "DVR", player);
    Freed<TReplayForCaptureBMPForm> guard{f};
    f->ShowError = [&](const std::string& t) { errors.push_back(t); };
    f->FilePath = "D:\\DVRDat\\20261210\\3\\CC\\2-0-20261210115800.MPG";
    EXPECT_EQ(player.Calls, std::vector<std::string>{"ref 15"});
    EXPECT_EQ(f->pn_PlayWindow->Width(), 350);
    EXPECT_EQ(f->pn_PlayWindow->Left(), (f->Panel2->Width() - 350) / 2);

    f->Show();
    EXPECT_TRUE(player.Saw("open 15 " + f->FilePath));
    EXPECT_TRUE(player.Saw("endmsg 15 " + std::to_string(WM_REPLAYEND)));
    EXPECT_EQ(player.Last(), "play 15");
    EXPECT_TRUE(f->Opened());
    EXPECT_FALSE(f->tb_SinglePlay->Enabled());
    EXPECT_TRUE(f->tb_Pause->Enabled());
    EXPECT_EQ(f->sb_ReplayStatuBar->Panels(0)->Text(), "2-0-20261210115800.MPG");
    MessageSink pump;
    pump.Pump();
    SaveWindowShot(f->Handle(), "host_snapshot_recording_player");

    // The timer's bar move does not seek; the operator's does.
    f->tm_ReplayTimerTimer(f);
    EXPECT_EQ(f->tb_ReplayPos->Position(), 25);
    EXPECT_EQ(f->sb_ReplayStatuBar->Panels(1)->Text(), "1:2:5");
    EXPECT_EQ(f->sb_ReplayStatuBar->Panels(2)->Text(), "42");
    EXPECT_EQ(f->sb_ReplayStatuBar->Panels(3)->Text(), Utf8ToGbk("常速"));
    EXPECT_FALSE(player.Saw("seek 15 25"));
    f->tb_ReplayPos->SetPosition(60);
    EXPECT_EQ(player.Last(), "seek 15 60");

    f->tb_PauseClick(f);
    EXPECT_EQ(player.Last(), "pause 15 1");
    EXPECT_TRUE(f->Paused());
    EXPECT_TRUE(f->tb_SinglePlay->Enabled());
    EXPECT_FALSE(f->tb_Pause->Enabled());
    f->tb_SinglePlayClick(f);
    EXPECT_TRUE(player.Saw("pause 15 0"));
    EXPECT_EQ(player.Last(), "play 15");
    EXPECT_FALSE(f->Paused());

    // Five slows stop at step 0: four times slower.
    for (int i = 0; i < 5; ++i)
        f->tb_SlowClick(f);
    EXPECT_EQ(f->SpeedStep(), 0);
    f->tm_ReplayTimerTimer(f);
    EXPECT_EQ(f->sb_ReplayStatuBar->Panels(3)->Text(), "4" + Utf8ToGbk("倍慢速"));
    for (int i = 0; i < 9; ++i)
        f->tb_FastClick(f);
    EXPECT_EQ(f->SpeedStep(), 8);
    f->tb_SignalFrameClick(f);
    EXPECT_EQ(player.Last(), "step 15");
    EXPECT_FALSE(f->tb_Slow->Enabled());
    f->tb_EndClick(f);
    EXPECT_EQ(player.Last(), "frame 15 99");
    EXPECT_EQ(f->tb_ReplayPos->Position(), 100);
    EXPECT_NE(player.Last(), "seek 15 100");
    f->tb_FirstClick(f);
    EXPECT_EQ(f->tb_ReplayPos->Position(), 0);

    // A double click puts the picture over the whole black area and back.
    f->pn_PlayWindowDblClick(f);
    EXPECT_EQ(f->pn_PlayWindow->Width(), f->Panel2->Width());
    f->pn_PlayWindowDblClick(f);
    EXPECT_EQ(f->pn_PlayWindow->Width(), 350);

    // The end of the file stops and closes the port.
    ::SendMessageW(f->Handle(), WM_REPLAYEND, 15, 0);
    EXPECT_FALSE(f->Opened());
    EXPECT_TRUE(player.Saw("close 15"));
    EXPECT_TRUE(f->tb_SinglePlay->Enabled());
    EXPECT_FALSE(f->tb_Stop->Enabled());
    EXPECT_FALSE(f->tm_ReplayTimer->Enabled());
    EXPECT_TRUE(errors.empty());

    // A file that does not open or play gives the message; a failed play closes the port.
    player.Calls.clear();
    player.OpenResult = 0;
    f->tb_SinglePlayClick(f);
    EXPECT_EQ(errors, std::vector<std::string>{Utf8ToGbk("对不起！回放失败！")});
    EXPECT_FALSE(player.Saw("play 15"));
    player.OpenResult = 1;
    player.PlayResult = 0;
    f->tb_SinglePlayClick(f);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(player.Last(), "close 15");
    EXPECT_FALSE(f->Opened());
}

struct ToolsFixture {
    std::string Base = FreshProgramFolder("replay_tools");
    IndexHost Host;
    LogPlayer Player;
    MessageSink Pump;
    std::vector<std::pair<std::string, std::string>> Errors;
    bool MaySnapshot = true;
    TReplayForm* Form = nullptr;

    ToolsFixture() {
        for (int ch : {0, 1, 2}) {
            const std::string path = Base + "D\\DVRDat\\20261210\\" + std::to_string(ch + 1) +
                                     "\\CC\\" + std::to_string(ch) + "-0-2026121010" +
                                     std::to_string(10 + ch * 5) + "00.MPG";
            WriteFile(path, std::string(100 + 4000 * (3 - ch), 'x'));
            Host.Index["20261210"][size_t(ch)].push_back(path);
        }
        TReplayForm::Services s;
        s.Title = "DVR";
        s.MaySnapshot = [this] { return MaySnapshot; };
        s.ShowError = [this](const std::string& t, const std::string& c) {
            Errors.push_back({t, c});
        };
        s.ShowMessage = [](const std::string&) {};
        Form = new TReplayForm(nullptr, Host, s, Player);
        Form->Show();
        Pump.Pump();
        Form->lv_ReplayDateList->SetSelected(Form->lv_ReplayDateList->Items()->Item(0));
        EXPECT_TRUE(Pump.PumpUntil([&] { return Form->Replay().SearchThread().Scans() == 1; }));
        Pump.Pump();
        for (int i = 0; i < 3; ++i)
            Form->clb_ReplayChannelList->SetChecked(i, true);
        Form->FillFileList();
    }
    ~ToolsFixture() { Form->Free(); }
};

TEST(ReplayWindowTools, SortsColumnsRefusesSnapshotsWithoutTheRightAndZooms) {
    ToolsFixture fx;
    TReplayForm& f = *fx.Form;
    ASSERT_EQ(Rows(f.lv_ReplayFileList), (std::vector<std::string>{"01", "02", "03"}));
    f.lv_ReplayFileList->Items()->Item(1)->SetChecked(true);
    f.lv_ReplayFileListColumnClick(&f, f.lv_ReplayFileList->Columns(0));
    EXPECT_EQ(Rows(f.lv_ReplayFileList), (std::vector<std::string>{"03", "02", "01"}));
    EXPECT_EQ(f.FileSorter().Mark(0), kSortDescending);
    // The check and the path go with their row.
    EXPECT_TRUE(f.lv_ReplayFileList->Items()->Item(1)->Checked());
    EXPECT_NE(f.lv_ReplayFileList->Items()->Item(0)->SubItems()->Get(5).find("2-0-"),
              std::string::npos);
    // Sizes sort as text: "12 KB", "4 KB", "8 KB" ascending.
    f.lv_ReplayFileListColumnClick(&f, f.lv_ReplayFileList->Columns(4));
    EXPECT_EQ(f.FileSorter().Mark(0), kSortNone);
    EXPECT_EQ(f.FileSorter().Mark(4), kSortDescending);
    f.lv_ReplayFileListColumnClick(&f, f.lv_ReplayFileList->Columns(4));
    EXPECT_EQ(f.FileSorter().Mark(4), kSortAscending);
    EXPECT_EQ(Rows(f.lv_ReplayFileList), (std::vector<std::string>{"01", "03", "02"}));
    EXPECT_NE(f.lv_ReplayFileList->Columns(4)->Caption().find(Utf8ToGbk("▲")),
              std::string::npos);

    // Nothing plays: zoom does nothing.
    f.sb_RegionZoomClick(&f);
    EXPECT_EQ(f.ZoomForm(), nullptr);
    f.lv_ReplayFileList->SetSelected(f.lv_ReplayFileList->Items()->Item(0));
    f.tb_SinglePlayClick(&f);
    ASSERT_TRUE(f.Replay().Playing[0]);
    fx.Pump.Pump();
    SaveWindowShot(f.Handle(), "host_replay_window");

    // Without the snapshot right: the refusal and nothing named or saved.
    fx.MaySnapshot = false;
    f.tb_CaptureBmpClick(&f);
    ASSERT_EQ(fx.Errors.size(), 1u);
    EXPECT_EQ(fx.Errors[0].first, Utf8ToGbk("对不起！您不具备本操作的权限。"));
    EXPECT_EQ(fx.Errors[0].second, Utf8ToGbk("权限验证"));
    EXPECT_TRUE(fx.Host.NamesAsked.empty());
    fx.MaySnapshot = true;
    f.tb_CaptureBmpClick(&f);
    EXPECT_EQ(fx.Host.NamesAsked.size(), 1u);

    // Region zoom: the whole picture zoomed first; a second press makes a new window.
    f.sb_RegionZoomClick(&f);
    ASSERT_NE(f.ZoomForm(), nullptr);
    EXPECT_EQ(fx.Player.Last(), "zoom 0 1 0,0,352,288");
    EXPECT_TRUE(f.ZoomForm()->State.Shown);
    EXPECT_EQ(f.Replay().Zoom, &f.ZoomForm()->State);
    f.sb_RegionZoomClick(&f);
    EXPECT_EQ(f.Replay().Zoom, &f.ZoomForm()->State);
    f.ZoomForm()->bt_CloseClick(f.ZoomForm());
    EXPECT_EQ(fx.Player.Last(), "zoom 0 0 0,0,352,288");
    EXPECT_FALSE(f.Replay().Zoom->Shown);
}

TEST(ReplayWindowTools, ListPanelFullScreenAndTheRightButtonRestore) {
    ToolsFixture fx;
    TReplayForm& f = *fx.Form;
    // The replay area is kept at 4:3 on resizes.
    auto ratio = [&] { return double(f.pn_ReplayArea->Width()) / f.pn_ReplayArea->Height(); };
    EXPECT_NEAR(ratio(), 352.0 / 264, 0.01);
    const int width = f.Width();
    // Without the list the window narrows, the area stays 4:3.
    f.ToolButton4Click(&f);
    EXPECT_FALSE(f.pn_ListPanel->Visible());
    EXPECT_LT(f.Width(), width - f.pn_ListPanel->Width() + 10);
    EXPECT_NEAR(ratio(), 352.0 / 264, 0.01);
    // The right button on a replay window brings the list back.
    ::SendMessageW(f.Handle(), WM_REPLAYMENU, 0, 0);
    EXPECT_TRUE(f.pn_ListPanel->Visible());
    // Again: nothing is hidden, nothing changes.
    ::SendMessageW(f.Handle(), WM_REPLAYMENU, 0, 0);
    EXPECT_TRUE(f.pn_ListPanel->Visible());

    const int before = f.Width(), height = f.Height();
    f.ToolButton2Click(&f);
    EXPECT_TRUE(f.FullScreen());
    EXPECT_FALSE(f.pn_ListPanel->Visible());
    EXPECT_FALSE(f.pn_ToolPannel->Visible());
    EXPECT_EQ(f.Width(), ::GetSystemMetrics(SM_CXSCREEN));
    // The replay windows follow the area.
    EXPECT_EQ(f.Replay().AreaRect.Right, f.pn_ReplayArea->ClientWidth());
    ::SendMessageW(f.Handle(), WM_REPLAYMENU, 0, 0);
    EXPECT_FALSE(f.FullScreen());
    EXPECT_TRUE(f.pn_ToolPannel->Visible());
    EXPECT_NEAR(f.Width(), before, 2);
    EXPECT_NEAR(f.Height(), height, 2);
}

TEST(ReplayWindowTools, DraggingThePositionBarHoldsSeeksAndResumesThePlay) {
    ToolsFixture fx;
    TReplayForm& f = *fx.Form;
    f.lv_ReplayFileList->SetSelected(f.lv_ReplayFileList->Items()->Item(0));
    f.tb_SinglePlayClick(&f);
    ASSERT_TRUE(f.Replay().Playing[0]);
    ASSERT_TRUE(f.tm_ReplayTimer->Enabled());
    // While the timer runs, bar moves do not seek.
    f.PosBar->SetPosition(10);
    EXPECT_FALSE(fx.Player.Saw("seek 0 10"));
    f.PosBarMouseDown(&f, TMouseButton::mbLeft, {}, 0, 0);
    EXPECT_EQ(fx.Player.Last(), "pause 0 1");
    EXPECT_FALSE(f.Replay().Paused[0]);
    EXPECT_FALSE(f.tm_ReplayTimer->Enabled());
    f.PosBar->SetPosition(70);
    EXPECT_EQ(fx.Player.Last(), "seek 0 70");
    f.PosBarMouseUp(&f, TMouseButton::mbLeft, {}, 0, 0);
    EXPECT_EQ(fx.Player.Last(), "pause 0 0");
    EXPECT_TRUE(f.tm_ReplayTimer->Enabled());
    // A window the operator paused is not sought.
    f.tb_PauseClick(&f);
    fx.Player.Calls.clear();
    f.PosBarMouseDown(&f, TMouseButton::mbLeft, {}, 0, 0);
    f.PosBar->SetPosition(30);
    f.PosBarMouseUp(&f, TMouseButton::mbLeft, {}, 0, 0);
    EXPECT_TRUE(fx.Player.Calls.empty());
}

} // namespace
} // namespace vantrel
