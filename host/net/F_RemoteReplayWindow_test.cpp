#include "host/net/F_RemoteReplayWindow.h"

#include "host/net/net_replay_testing.h"
#include "host/net/replay_source_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};
using WindowPtr = std::unique_ptr<TRemoteReplayWindow, FormDeleter>;

bool Until(const std::function<bool()>& f, DWORD ms = 10000) {
    return PumpMessagesUntil(f, ms);
}

// The window against a real replay port on loopback holding one day of recordings.
class RemoteReplayWindow : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::ScratchFolder("netwin_replay");
        source_.Channels = 3;
        source_.Dates = "2026-12-10,";
        server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                           TReplayPacing{4096, 0}, "127.0.0.1");
        ASSERT_TRUE(server_->Listening());
        window_.reset(new TRemoteReplayWindow(nullptr, "DVR"));
        window_->MessageBox = [this](const std::string& t) { messages_.push_back(t); };
        window_->SetHosts({"", "127.0.0.1", "127.0.0.1"},
                          [this](const std::string&) { return server_->Port(); });
        window_->ed_UserName->SetText("op");
        window_->ed_Password->SetText("pw");
        window_->Show();
    }
    void TearDown() override {
        window_.reset();
        PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 10000);
    }
    std::string Add(int ch, int t, const char* hhmmss, const std::string& bytes) {
        const std::string path = root_ + "D\\DVRDat\\20261210\\" + std::to_string(ch + 1) +
                                 (t ? "\\AC\\" : "\\CC\\") + std::to_string(ch) + "-" +
                                 std::to_string(t) + "-20261210" + hhmmss + ".MPG";
        testing::PutFile(path, bytes);
        source_.Days["20261210"][ch].push_back(path);
        return path;
    }
    // Connect, then the day: the file list filled and the window usable again.
    void ConnectAndSearch(size_t rows) {
        window_->sb_Connect->Click();
        ASSERT_TRUE(Until([&] { return window_->lv_ReplayDateList->Items()->Count() == 1; }));
        window_->lv_ReplayDateList->Items()->Item(0)->SetSelected(true);
        ASSERT_TRUE(Until([&] {
            return window_->lv_ReplayFileList->Items()->Count() == static_cast<int>(rows) &&
                   window_->Enabled() && !window_->pn_SearchMsg->Visible() &&
                   server_->RunningThreads() == 0;
        }));
    }
    std::string Cell(int row, int column) {
        dvr::fw::TListItem* item = window_->lv_ReplayFileList->Items()->Item(row);
        return column == 0 ? item->Caption() : item->SubItems()->Get(column - 1);
    }

    std::string root_;
    testing::FakeSource source_;
    std::unique_ptr<TTCPRemoteReplayServer> server_;
    WindowPtr window_;
    std::vector<std::string> messages_;
};

TEST_F(RemoteReplayWindow, OpensWithItsTitleHostsAndFilters) {
    EXPECT_EQ(window_->Caption(), "DVR    " + Utf8ToGbk("远程回放"));
    ASSERT_EQ(window_->cb_MainAddr->Items()->Count(), 1); // empty and repeated left out
    EXPECT_EQ(window_->cb_MainAddr->Caption(), "127.0.0.1");
    EXPECT_EQ(window_->se_TCPRemotePlayServerPortBase->Caption(), std::to_string(server_->Port()));
    ASSERT_EQ(window_->clb_ReplayFileTypeList->Items()->Count(), 2);
    EXPECT_TRUE(window_->clb_ReplayFileTypeList->Checked(0));
    EXPECT_TRUE(window_->clb_ReplayFileTypeList->Checked(1));
    EXPECT_FALSE(window_->pn_SearchMsg->Visible());
    EXPECT_FALSE(window_->pb_DownLoadSign->Visible());
    EXPECT_EQ(window_->lv_ReplayFileList->ColumnCount(), 6);
    EXPECT_EQ(window_->sb_SelectChannelAll->Caption(), Utf8ToGbk("全清"));
}

TEST_F(RemoteReplayWindow, SearchesADayAndFiltersItsRows) {
    Add(0, 0, "080000", "a");
    Add(1, 0, "090000", "bb");
    Add(1, 1, "093000", "ccc");
    Add(2, 0, "100000", std::string(1536000, 'd'));
    ConnectAndSearch(4);
    ASSERT_EQ(window_->clb_ReplayChannelList->Items()->Count(), 3);
    EXPECT_EQ(window_->clb_ReplayChannelList->Items()->Get(0), "1 <Cam0>");
    EXPECT_TRUE(window_->clb_ReplayChannelList->Checked(2));
    EXPECT_EQ(window_->lv_ReplayDateList->Items()->Item(0)->Caption(), "2026-12-10");
    EXPECT_EQ(Cell(0, 0), "01");
    EXPECT_EQ(Cell(0, 1), "08:00:00");
    // Normal recordings first, then the alarm ones.
    EXPECT_EQ(Cell(2, 0), "03");
    EXPECT_EQ(Cell(2, 4), "1,500 KB");
    EXPECT_EQ(Cell(2, 7), "1536000");
    EXPECT_EQ(Cell(3, 2), window_->Replay().Rows[3].End);
    EXPECT_EQ(Cell(3, 6).substr(Cell(3, 6).size() - 22), "1-1-20261210093000.MPG");

    // Channel 2 unchecked by the operator; the type list and time pickers narrow further.
    window_->clb_ReplayChannelList->SetChecked(1, false);
    window_->clb_ReplayChannelListClickCheck(window_->clb_ReplayChannelList);
    EXPECT_EQ(window_->lv_ReplayFileList->Items()->Count(), 2);
    window_->clb_ReplayChannelList->SetChecked(1, true);
    window_->clb_ReplayChannelListClickCheck(window_->clb_ReplayChannelList);
    window_->clb_ReplayFileTypeList->SetChecked(1, false);
    window_->clb_ReplayFileTypeListClickCheck(window_->clb_ReplayFileTypeList);
    EXPECT_EQ(window_->lv_ReplayFileList->Items()->Count(), 3);
    window_->dtp_BeginTime->SetTime((8 * 3600 + 30 * 60) / 86400.0);
    window_->dtp_EndTime->SetTime((9 * 3600 + 59 * 60) / 86400.0);
    window_->dtp_TimeChange(window_->dtp_EndTime);
    ASSERT_EQ(window_->lv_ReplayFileList->Items()->Count(), 1);
    EXPECT_EQ(Cell(0, 1), "09:00:00");
    window_->dtp_BeginTime->SetTime(0.0);
    window_->dtp_EndTime->SetTime((23 * 3600 + 59 * 60 + 59) / 86400.0);
    window_->dtp_TimeChange(window_->dtp_EndTime);
    EXPECT_EQ(window_->lv_ReplayFileList->Items()->Count(), 3);

    // The channel toggle button clears all, then checks all again.
    window_->sb_SelectChannelAll->Click();
    EXPECT_EQ(window_->sb_SelectChannelAll->Caption(), Utf8ToGbk("全选"));
    EXPECT_FALSE(window_->clb_ReplayChannelList->Checked(0));
    EXPECT_EQ(window_->lv_ReplayFileList->Items()->Count(), 0);
    window_->sb_SelectChannelAll->Click();
    EXPECT_TRUE(window_->clb_ReplayChannelList->Checked(0));
    EXPECT_EQ(window_->lv_ReplayFileList->Items()->Count(), 3);

    // A header click sorts descending first.
    window_->lv_ReplayFileListColumnClick(window_->lv_ReplayFileList,
                                          window_->lv_ReplayFileList->Columns(0));
    EXPECT_EQ(Cell(0, 0), "03");
}

TEST_F(RemoteReplayWindow, DownloadsTheCheckedRowWithProgress) {
    const std::string bytes = testing::Pattern(50000);
    Add(0, 0, "080000", bytes);
    Add(0, 0, "090000", "second");
    // A paced port, so the bar is seen moving.
    server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                       TReplayPacing{4096, 5}, "127.0.0.1");
    window_->se_TCPRemotePlayServerPortBase->SetText(std::to_string(server_->Port()));
    ConnectAndSearch(2);

    window_->tb_DownLoad->Click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], Utf8ToGbk("请在须要下载的数据前打勾选中。"));
    messages_.clear();

    int neededKB = -1, barMax = 0, barPeak = 0;
    window_->DriveChooser = [&](int kb) -> std::optional<std::string> {
        neededKB = kb;
        return root_ + "E\\";
    };
    window_->lv_ReplayFileList->Items()->Item(0)->SetChecked(true);
    window_->tb_DownLoad->Click();
    EXPECT_EQ(neededKB, 48);
    ASSERT_TRUE(Until([&] {
        if (window_->pb_DownLoadSign->Visible()) {
            barMax = window_->pb_DownLoadSign->Max();
            barPeak = std::max(barPeak, window_->pb_DownLoadSign->Position());
        }
        return !messages_.empty();
    }));
    const std::string& local = window_->Replay().LocalPath();
    EXPECT_EQ(messages_[0], Utf8ToGbk("下载结束！\r\r数据已被存放为：") + local);
    EXPECT_EQ(testing::GetFile(local), bytes);
    EXPECT_EQ(barMax, 50000);
    EXPECT_GT(barPeak, 0);
    EXPECT_FALSE(window_->pb_DownLoadSign->Visible());
}

} // namespace
} // namespace vantrel
