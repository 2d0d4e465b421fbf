#include "host/ui/F_BackupForm.h"
#include "host/ui/F_RegionZoomForm.h"
#include "host/ui/F_ReplayVideoCaptureForm.h"

#include "common/win/textconv.h"
#include "host/ui/replay_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

template <class F> struct Freed {
    F* f;
    ~Freed() { f->Free(); }
};

TDriveList Drives() {
    TDriveList d;
    d.Letters = [] { return std::vector<char>{'D', 'E', 'F'}; };
    d.FreeBytes = [](char c, uint64_t& b) {
        if (c == 'F') return false;
        b = c == 'D' ? 5000ull * 1024 : 100ull * 1024 + 1023;
        return true;
    };
    return d;
}

TEST(BackupDialog, ShowsTheDrivesRoomAndClosesOnlyWhenItIsEnough) {
    auto* form = new TBackupForm(nullptr, "DVR", Drives());
    Freed<TBackupForm> guard{form};
    std::vector<std::string> messages;
    form->ShowMessage = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_EQ(form->Caption(), "DVR    " + Utf8ToGbk("数据备份"));
    EXPECT_EQ(form->Drive(), 'D');
    form->FormShow(form);
    EXPECT_EQ(form->lb_Space->Caption(), "5000");
    form->lb_NeedSpace->SetCaption("100");
    form->dcb_Driver->SetItemIndex(1);
    form->dcb_DriverChange(form);
    EXPECT_EQ(form->lb_Space->Caption(), "100");
    form->bt_OKClick(form);
    EXPECT_EQ(form->ModalResult(), mrOk); // equal is enough
    EXPECT_EQ(form->Drive(), 'E');
    form->SetModalResult(mrNone);
    form->lb_NeedSpace->SetCaption("101");
    form->bt_OKClick(form);
    EXPECT_EQ(form->ModalResult(), mrNone);
    EXPECT_EQ(messages, std::vector<std::string>{Utf8ToGbk("空间不足")});
    // A drive whose room is unknown has none.
    form->dcb_Driver->SetItemIndex(2);
    form->dcb_DriverChange(form);
    EXPECT_EQ(form->lb_Space->Caption(), "0");
    EXPECT_EQ(form->bt_Cancel->ModalResult(), mrCancel);
}

TEST(ClipDialog, OffersTheDrives) {
    auto* form = new TReplayVideoCaptureForm(nullptr, "DVR", Drives());
    Freed<TReplayVideoCaptureForm> guard{form};
    EXPECT_EQ(form->Caption(), "DVR    " + Utf8ToGbk("视频剪辑"));
    EXPECT_EQ(form->dcb_Driver->Items()->Count(), 3);
    form->dcb_Driver->SetItemIndex(2);
    EXPECT_EQ(form->Drive(), 'F');
    EXPECT_EQ(form->bt_OK->ModalResult(), mrOk);
}

struct ZoomHost : TReplayHost {
    std::string Root;
    std::vector<std::pair<int, int>> Asked;
    std::vector<std::tuple<std::string, int, std::string>> Added;
    int ChannelCount() override { return 4; }
    std::string ChannelTitle(int) override { return {}; }
    void ListDates(std::vector<std::string>&) override {}
    std::optional<ChannelLists> GetDayChannelLists(std::string_view) override { return {}; }
    bool IsDayLocked(std::string_view) override { return false; }
    std::string MakeRecordingFileName(int ch, int type) override {
        Asked.push_back({ch, type});
        return Root + "DVRDat\\20261210\\" + std::to_string(ch + 1) + "\\PB\\" +
               std::to_string(ch) + "-2-20261210120000.BMP";
    }
    void AddFile(std::string_view day, int ch, std::string_view name) override {
        Added.emplace_back(std::string(day), ch, std::string(name));
    }
};

struct ZoomPlayer : TReplayPlayer {
    std::vector<std::array<int, 6>> Zooms;
    int OpenFile(int, const std::string&) override { return 1; }
    int CloseFile(int) override { return 1; }
    int SetEmptyFileRefCallBack(int) override { return 1; }
    int SetFileEndMsg(int, HWND, UINT) override { return 1; }
    int SetPicQuality(int, int) override { return 1; }
    int Play(int, HWND) override { return 1; }
    int Stop(int) override { return 1; }
    int Pause(int, int) override { return 1; }
    int OneByOne(int) override { return 1; }
    int OneByOneBack(int) override { return 1; }
    int Slow(int) override { return 1; }
    int Fast(int) override { return 1; }
    int SetPlayPos(int, float) override { return 1; }
    float GetPlayPos(int) override { return 0; }
    int SetCurrentFrameNum(int, unsigned) override { return 1; }
    unsigned GetFileTotalFrames(int) override { return 0; }
    unsigned GetPlayedTime(int) override { return 0; }
    int GetCurrentFrameNum(int) override { return 0; }
    int GetKeyFramePos(int, unsigned, int, uint32_t*) override { return 0; }
    int PlaySound(int) override { return 1; }
    int StopSound() override { return 1; }
    int SetVolume(int, int) override { return 1; }
    int RefreshPlay(int) override { return 1; }
    int LocalZoom(int p, int z, int x, int y, int w, int h) override {
        Zooms.push_back({p, z, x, y, w, h});
        return 1;
    }
};

TEST(RegionZoomWindow, ClosingEndsTheZoomAndSnapshotsGoToThePortsChannel) {
    ZoomHost host;
    host.Root = vantrel::testing::FreshProgramFolder("replay_zoom");
    ZoomPlayer player;
    auto* form = new TRegionZoomForm(nullptr, "DVR", host, player);
    Freed<TRegionZoomForm> guard{form};
    form->BoardChannelCount = [] { return 4; };
    form->ShowZoom(2, {10, 20, 110, 100});
    EXPECT_TRUE(form->State.Shown);
    // A replay port's snapshot belongs to the channel after the board's; 49 and up are
    // preview panes of channel port - 49.
    const std::string name = form->CaptureBMP();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(host.Asked.back(), (std::pair<int, int>{6, 2}));
    EXPECT_EQ(std::get<0>(host.Added.back()), "20261210");
    EXPECT_EQ(std::get<1>(host.Added.back()), 6);
    EXPECT_TRUE(vantrel::testing::FileExists(name));
    form->State.ZoomPort = 50;
    form->CaptureBMP();
    EXPECT_EQ(host.Asked.back(), (std::pair<int, int>{1, 2}));
    form->State.ZoomPort = 2;
    form->bt_CloseClick(form);
    EXPECT_FALSE(form->State.Shown);
    ASSERT_EQ(player.Zooms.size(), 1u);
    EXPECT_EQ(player.Zooms[0], (std::array<int, 6>{2, 0, 10, 20, 100, 80}));
}

} // namespace
} // namespace vantrel

#include "host/ui/F_ShowBMP.h"

namespace vantrel {
namespace {

void SetLastWrite(const std::string& path, int y, int mo, int d, int h, int mi, int s) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    FILETIME local, utc;
    ::SystemTimeToFileTime(&st, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    dvr::win::File f(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ::SetFileTime(f.get(), nullptr, nullptr, &utc);
}

TEST(SnapshotRecording, FindsTheNormalThenTheAlarmRecordingCoveringTheSnapshot) {
    const std::string base = vantrel::testing::FreshProgramFolder("replay_snaprec");
    const std::string day = base + "D\\DVRDat\\20261210\\3\\";
    const std::string snap = day + "PB\\2-2-20261210120005.BMP";
    vantrel::testing::WriteFile(snap, "BM");
    EXPECT_EQ(FindSnapshotRecording(snap), "");
    const std::string alarm = day + "AC\\2-1-20261210115900.MPG";
    vantrel::testing::WriteFile(alarm, "x");
    SetLastWrite(alarm, 2026, 12, 10, 12, 0, 5);
    EXPECT_EQ(FindSnapshotRecording(snap), alarm);
    const std::string before = day + "CC\\2-0-20261210113000.MPG";
    vantrel::testing::WriteFile(before, "x");
    SetLastWrite(before, 2026, 12, 10, 11, 58, 0);
    EXPECT_EQ(FindSnapshotRecording(snap), alarm);
    const std::string normal = day + "CC\\2-0-20261210115800.MPG";
    vantrel::testing::WriteFile(normal, "x");
    SetLastWrite(normal, 2026, 12, 10, 12, 5, 0);
    EXPECT_EQ(FindSnapshotRecording(snap), normal);
}

} // namespace
} // namespace vantrel
