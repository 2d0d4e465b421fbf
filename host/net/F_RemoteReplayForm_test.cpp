#include "host/net/F_RemoteReplayForm.h"

#include "host/net/net_replay_testing.h"
#include "host/net/replay_source_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;
using testing::GetFile;
using testing::PutFile;

struct ReplayView : TRemoteReplayView {
    bool Enabled = true, SearchMsg = false, BarVisible = false;
    int BarMax = 0, BarPos = 0, Lists = 0, NeededKB = -1;
    std::vector<std::string> Messages;
    std::vector<bool> EnabledHistory;
    std::optional<std::string> Drive;
    void SetWindowEnabled(bool e) override {
        Enabled = e;
        EnabledHistory.push_back(e);
    }
    void SetHourglass(bool) override {}
    void SetSearchMsgVisible(bool v) override { SearchMsg = v; }
    void ShowMessage(const std::string& t) override { Messages.push_back(t); }
    void ListsChanged() override { ++Lists; }
    void SetDownloadBar(bool v, int max, int pos) override {
        BarVisible = v;
        BarMax = max;
        BarPos = pos;
    }
    bool Ask(const std::string&) override { return true; }
    std::optional<std::string> ChooseDrive(int kb) override {
        NeededKB = kb;
        return Drive;
    }
};

bool Until(const std::function<bool()>& f, DWORD ms = 10000) {
    return PumpMessagesUntil(f, ms);
}

class RemoteReplayClient : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::ScratchFolder("nr_replay_client");
        day_ = root_ + "D\\DVRDat\\20261210\\";
        source_.Channels = 3;
        server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                           TReplayPacing{4096, 0}, "127.0.0.1");
        ASSERT_TRUE(server_->Listening());
    }
    void TearDown() override {
        PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 10000);
    }
    std::string Add(int ch, int t, const char* hhmmss, const std::string& bytes) {
        const std::string path = day_ + std::to_string(ch + 1) + (t ? "\\AC\\" : "\\CC\\") +
                                 std::to_string(ch) + "-" + std::to_string(t) + "-20261210" +
                                 hhmmss + ".MPG";
        PutFile(path, bytes);
        source_.Days["20261210"][ch].push_back(path);
        return path;
    }
    void ConnectAndChoose(TRemoteReplayForm& form) {
        form.Connect("127.0.0.1", server_->Port(), "op", "pw");
        ASSERT_TRUE(Until([&] { return !form.Days.empty(); }));
        form.SelectDay(0);
        ASSERT_TRUE(Until(
            [&] { return view_.Enabled && !view_.SearchMsg && !view_.EnabledHistory.empty(); }));
        ASSERT_TRUE(Until([&] { return server_->RunningThreads() == 0 && view_.Enabled; }));
    }

    std::string root_, day_;
    testing::FakeSource source_;
    std::unique_ptr<TTCPRemoteReplayServer> server_;
    ReplayView view_;
};

TEST_F(RemoteReplayClient, ConnectFillsChannelsAndDays) {
    TRemoteReplayForm form(view_);
    form.Connect("127.0.0.1", server_->Port(), "op", "pw");
    ASSERT_TRUE(Until([&] { return form.Channels.size() == 3; }));
    EXPECT_EQ(form.Channels[0].Caption, "1 <Cam0>");
    EXPECT_EQ(form.Channels[1].Caption, "2 <>");
    EXPECT_TRUE(form.Channels[2].Checked);
    EXPECT_TRUE(form.Days.empty());
    EXPECT_TRUE(Until([&] { return view_.Enabled; }));

    // A refused user: the host closes, the lists stay empty and the window usable.
    TRemoteReplayForm refused(view_);
    refused.Connect("127.0.0.1", server_->Port(), "op", "wrong");
    EXPECT_TRUE(Until([&] { return view_.Enabled; }));
    Until([] { return false; }, 200);
    EXPECT_TRUE(refused.Channels.empty());
    EXPECT_TRUE(view_.Messages.empty());
}

TEST_F(RemoteReplayClient, DayListFilteredByChannelTypeAndTime) {
    source_.Dates = "2026-12-10,";
    Add(0, 0, "080000", "a");
    Add(1, 0, "090000", "bb");
    Add(1, 1, "093000", "ccc");
    Add(2, 0, "100000", std::string(1536000, 'd'));
    TRemoteReplayForm form(view_);
    form.Connect("127.0.0.1", server_->Port(), "op", "pw");
    ASSERT_TRUE(Until([&] { return form.Days.size() == 1; }));
    form.SetChannelChecked(1, false); // rows of channel 2 (index 1) stay out while parsing
    form.SelectDay(0);
    ASSERT_TRUE(Until([&] { return form.CommonList.size() == 4 && view_.Enabled; }));
    EXPECT_TRUE(std::find(view_.EnabledHistory.begin(), view_.EnabledHistory.end(), false) !=
                view_.EnabledHistory.end());
    ASSERT_EQ(form.Rows.size(), 2u);
    EXPECT_EQ(form.Rows[0].Caption, "01");
    EXPECT_EQ(form.Rows[0].Start, "08:00:00");
    EXPECT_EQ(form.Rows[1].Size, "1,500 KB");
    EXPECT_EQ(form.Rows[1].SizeBytes, "1536000");

    form.SetChannelChecked(1, true); // back without a new query
    EXPECT_EQ(form.Rows.size(), 4u);
    form.SetTypeChecked(1, false);
    EXPECT_EQ(form.Rows.size(), 3u);
    form.SetTimeRange("08:30:00", "09:59:59");
    ASSERT_EQ(form.Rows.size(), 1u);
    EXPECT_EQ(form.Rows[0].Start, "09:00:00");
    form.SetTimeRange("12:00:00", "08:00:00");
    EXPECT_TRUE(form.Rows.empty());
    form.SetTimeRange("00:00:00", "23:59:59");
    form.SetTypeChecked(1, true);
    form.SortByColumn(0); // first click: descending
    EXPECT_EQ(form.Rows.front().Caption, "03");
    form.SortByColumn(0);
    EXPECT_EQ(form.Rows.front().Caption, "01");
}

TEST_F(RemoteReplayClient, DownloadsTheFirstCheckedRowWithProgress) {
    source_.Dates = "2026-12-10,";
    const std::string bytes = testing::Pattern(50000);
    Add(0, 0, "080000", bytes);
    Add(0, 0, "090000", "second");
    TRemoteReplayForm form(view_);
    form.Connect("127.0.0.1", server_->Port(), "op", "pw");
    ASSERT_TRUE(Until([&] { return form.Days.size() == 1; }));
    form.SelectDay(0);
    ASSERT_TRUE(Until([&] { return form.Rows.size() == 2 && view_.Enabled; }));

    form.DownloadPressed();
    EXPECT_EQ(view_.Messages.back(), Utf8ToGbk("请在须要下载的数据前打勾选中。"));
    form.Rows[0].Checked = form.Rows[1].Checked = true;
    view_.Messages.clear();
    form.DownloadPressed(); // drive chooser cancelled
    EXPECT_EQ(view_.NeededKB, 48);
    EXPECT_FALSE(form.Downloading());

    view_.Drive = root_ + "E\\";
    form.DownloadPressed();
    ASSERT_TRUE(Until([&] { return !view_.Messages.empty(); }));
    Until([] { return false; }, 200);
    ASSERT_EQ(view_.Messages.size(), 1u);
    EXPECT_EQ(view_.Messages[0], Utf8ToGbk("下载结束！\r\r数据已被存放为：") + form.LocalPath());
    EXPECT_EQ(form.LocalPath().substr(0, root_.size() + 11), root_ + "E\\DownLoad\\");
    EXPECT_EQ(form.LocalPath().substr(form.LocalPath().size() - 22), "0-0-20261210080000.MPG");
    EXPECT_EQ(GetFile(form.LocalPath()), bytes);
    EXPECT_FALSE(view_.BarVisible);
    EXPECT_EQ(view_.BarMax, 50000);
}

TEST_F(RemoteReplayClient, ADayWithoutRecordingsEnablesTheWindowAgain) {
    source_.Dates = "2026-12-11,";
    TRemoteReplayForm form(view_);
    form.Connect("127.0.0.1", server_->Port(), "op", "pw");
    ASSERT_TRUE(Until([&] { return form.Days.size() == 1; }));
    view_.EnabledHistory.clear();
    form.SelectDay(0);
    ASSERT_TRUE(Until(
        [&] { return view_.Enabled && !view_.SearchMsg && view_.EnabledHistory.size() >= 2; }));
    EXPECT_FALSE(view_.EnabledHistory.front());
    EXPECT_TRUE(form.Rows.empty());
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST(RemoteReplayConnect, AReplyInTwoPiecesIsTakenWhole) {
    TMsgServerSocket host;
    ASSERT_TRUE(host.Open(0, "127.0.0.1"));
    TMsgConnectionPtr peer;
    host.OnClientRead = [&](const TMsgConnectionPtr& c) {
        c->ReceiveText();
        c->SendText("Gate;Ya");
        peer = c;
    };
    ReplayView view;
    TRemoteReplayForm form(view);
    form.Connect("127.0.0.1", host.LocalPort(), "u", "p");
    ASSERT_TRUE(Until([&] { return peer != nullptr; }));
    Until([] { return false; }, 100);
    EXPECT_TRUE(form.Channels.empty()); // half a reply lists nothing yet
    peer->SendText("rd;2026-12-10,");
    ASSERT_TRUE(Until([&] { return form.Days.size() == 1; }));
    ASSERT_EQ(form.Channels.size(), 2u);
    EXPECT_EQ(form.Channels[1].Caption, "2 <Yard>");
}

} // namespace
} // namespace vantrel
