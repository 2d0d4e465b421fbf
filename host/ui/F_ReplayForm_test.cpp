#include "host/ui/F_ReplayForm.h"

#include "common/win/textconv.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/replay_testing.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

struct DayHost : TReplayHost {
    std::map<std::string, ChannelLists> Index;
    int ChannelCount() override { return 3; }
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
    bool IsDayLocked(std::string_view) override { return false; }
    std::string MakeRecordingFileName(int, int) override { return {}; }
    void AddFile(std::string_view, int, std::string_view) override {}
};

TEST(ReplayWindow, SearchesPlaysChainsCutsLocksAndBacksUp) {
    const std::string base = FreshProgramFolder("replay_window");
    DayHost host;
    std::vector<std::string> paths;
    auto put = [&](int ch, int type, const char* fixture, const char* time) {
        const std::vector<uint8_t> rec = ReadAll(dvr::testing::TestDataPath(fixture));
        const std::string path = base + "D\\DVRDat\\20261210\\" + std::to_string(ch + 1) +
                                 (type ? "\\AC\\" : "\\CC\\") + std::to_string(ch) + "-" +
                                 std::to_string(type) + "-20261210" + time + ".MPG";
        WriteFile(path, std::string(rec.begin(), rec.end()));
        host.Index["20261210"][ch].push_back(path);
        paths.push_back(path);
    };
    put(0, 0, "cif_ip.MPG", "100000");
    put(0, 0, "cif_ipb1.MPG", "103000");
    put(1, 1, "cif_ip.MPG", "101500");

    MessageSink pump;
    TThreadReplayVideoCapture clip;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, bool>> locks;
    uint64_t neededKb = 0;
    std::vector<std::string> backedUp;
    TReplayForm::Services s;
    s.Title = "DVR";
    s.Clip = &clip;
    s.AskClipDrive = [] { return 'C'; };
    s.AskBackupDrive = [&](uint64_t kb) {
        neededKb = kb;
        return 'E';
    };
    s.StartBackup = [&](std::vector<std::string> files, char) { backedUp = files; };
    s.Confirm = [](const std::string&) { return true; };
    s.ShowMessage = [&](const std::string& m) { messages.push_back(m); };
    s.SetDayLock = [&](const std::string& d, bool on) { locks.push_back({d, on}); };
    s.Now = [] { return std::string("2026-12-10 12-00-00"); };
    auto* form = new TReplayForm(nullptr, host, s);
    form->Show();
    pump.Pump();
    ASSERT_EQ(form->lv_ReplayDateList->Items()->Count(), 1);
    EXPECT_EQ(form->clb_ReplayChannelList->Items()->Count(), 3);
    // No channel checked: nothing listed.
    form->lv_ReplayDateList->SetSelected(form->lv_ReplayDateList->Items()->Item(0));
    TReplay& r = form->Replay();
    ASSERT_TRUE(pump.PumpUntil([&] { return r.SearchThread().Scans() == 1; }));
    pump.Pump();
    EXPECT_EQ(r.CommonList.Count(), 3u);
    EXPECT_EQ(form->lv_ReplayFileList->Items()->Count(), 0);
    for (int i = 0; i < 3; ++i)
        form->clb_ReplayChannelList->SetChecked(i, true);
    form->FillFileList();
    ASSERT_EQ(form->lv_ReplayFileList->Items()->Count(), 3);
    form->clb_ReplayMPGFileTypeList->SetChecked(1, false);
    form->FillFileList();
    EXPECT_EQ(form->lv_ReplayFileList->Items()->Count(), 2);
    form->clb_ReplayMPGFileTypeList->SetChecked(1, true);
    form->FillFileList();

    // Rows in chain order: ch0 10:00, ch0 10:30, ch1 10:15. Checking the first and the last
    // plays two windows; the first chains its channel's second file.
    auto* items = form->lv_ReplayFileList->Items();
    items->Item(0)->SetChecked(true);
    items->Item(2)->SetChecked(true);
    form->tb_SinglePlayClick(form);
    EXPECT_TRUE(r.Playing[0]);
    EXPECT_TRUE(r.Playing[1]);
    EXPECT_EQ(r.PlayLists[0], (std::vector<std::string>{paths[0], paths[1]}));
    EXPECT_EQ(r.PlayLists[1], (std::vector<std::string>{paths[2]}));
    EXPECT_TRUE(r.Windows[3]->Visible());
    EXPECT_FALSE(r.Windows[4]->Visible());
    EXPECT_FALSE(form->tb_SinglePlay->Enabled());
    EXPECT_TRUE(form->tb_Pause->Enabled());
    EXPECT_FALSE(items->Item(0)->Checked());

    // The end of window 0's file goes on with the next of its list.
    ::SendMessageW(form->Handle(), WM_REPLAYEND, 0, 0);
    EXPECT_EQ(r.PlayLists[0], std::vector<std::string>{paths[1]});
    EXPECT_TRUE(r.Playing[0]);
    // The end of window 1's last file stops it.
    r.PaneClick(r.Windows[1]);
    ::SendMessageW(form->Handle(), WM_REPLAYEND, 1, 0);
    EXPECT_FALSE(r.Playing[1]);
    EXPECT_TRUE(form->tb_SinglePlay->Enabled());
    r.PaneClick(r.Windows[0]);
    pump.Pump();

    // Clip marks: an end before the start is refused; a clip between two key frames is cut.
    form->PosBar->SetPosition(40);
    form->tb_SetStartPosClick(form);
    form->PosBar->SetPosition(20);
    form->tb_SetEndPosClick(form);
    EXPECT_EQ(messages.back(), Utf8ToGbk("终点不能小于起点。"));
    EXPECT_EQ(r.ClipMarks[0].SelStart, 40);
    bool whole = false;
    const auto records = WalkRecords(ReadAll(paths[1]), &whole);
    std::vector<int32_t> keys;
    for (const RecordAt& rec : records)
        if (rec.Type == 1) keys.push_back(static_cast<int32_t>(rec.Offset));
    ASSERT_GE(keys.size(), 3u);
    r.ClipMarks[0] = {10, 50, keys[1], keys[2]};
    messages.clear();
    form->tb_ReplayVideoCaptureClick(form);
    ASSERT_TRUE(pump.PumpUntil([&] { return messages.size() >= 2; }));
    EXPECT_EQ(messages[0], Utf8ToGbk("正在剪辑中，请稍候！"));
    EXPECT_EQ(messages[1], Utf8ToGbk("视频剪辑完毕！") + "\r\n\r\n" +
                               Utf8ToGbk("剪辑已被保存为：") +
                               "C:\\CaptureCut\\2026-12-10 12-00-00.mpg");
    ReadAll("C:\\CaptureCut\\2026-12-10 12-00-00.mpg");
    EXPECT_EQ(ReadAll("C:\\CaptureCut\\2026-12-10 12-00-00.mpg").size(),
              static_cast<size_t>(19 + keys[2] - keys[1]));

    // Backup: nothing checked, then one file.
    messages.clear();
    form->ToolButton7Click(form);
    EXPECT_EQ(messages, std::vector<std::string>{Utf8ToGbk("请在须要备份的数据前打勾选中。")});
    items->Item(1)->SetChecked(true);
    form->ToolButton7Click(form);
    EXPECT_EQ(backedUp, std::vector<std::string>{paths[1]});
    EXPECT_EQ(neededKb, ReadAll(paths[1]).size() / 1024);

    // Locking the day moves its records and empties the common list.
    form->bt_LockDataClick(form);
    EXPECT_EQ(locks, (std::vector<std::pair<std::string, bool>>{{"2026-12-10", true}}));
    EXPECT_TRUE(r.CommonList.Empty());
    EXPECT_EQ(r.LockedList.Count(), 3u);
    EXPECT_EQ(form->lv_ReplayFileList->Items()->Count(), 0);
    form->rb_LockData->SetChecked(true);
    form->FiltersChanged(form);
    EXPECT_EQ(form->lv_ReplayFileList->Items()->Count(), 3);

    form->ToolButton9Click(form);
    for (int w = 0; w < kReplayPorts; ++w)
        EXPECT_FALSE(r.Playing[w]);
    EXPECT_TRUE(r.PlayLists[0].empty());
    form->Free();
}

} // namespace
} // namespace vantrel
