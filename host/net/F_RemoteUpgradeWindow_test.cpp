#include "host/net/F_RemoteUpgradeWindow.h"

#include "host/engine/U_ClientCheck.h"

#include "host/net/net_replay_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};
using WindowPtr = std::unique_ptr<TRemoteUpgradeWindow, FormDeleter>;

// The window sending the program folder's checked files to a receiver on loopback.
class RemoteUpgradeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        from_ = testing::ScratchFolder("netwin_upgrade_from");
        to_ = testing::ScratchFolder("netwin_upgrade_to");
        for (const char* n : {"Vantrel.exe", "OEM.txt"})
            ::DeleteFileA((to_ + "Temp\\" + n).c_str());
        testing::PutFile(from_ + "Vantrel.exe", testing::Pattern(200000));
        testing::PutFile(from_ + "OEM.txt", "Brand\r\n");
        receiver_ = std::make_unique<TRemoteUpgradeReceiver>(to_, check_, [this] { ++restarts_; });
        ASSERT_TRUE(receiver_->Open(0, "127.0.0.1"));
        window_.reset(new TRemoteUpgradeWindow(nullptr, "DVR", from_));
        window_->MessageBox = [this](const std::string& t) { messages_.push_back(t); };
        window_->SetHosts({"127.0.0.1", ""},
                          [this](const std::string&) { return receiver_->Port(); });
        window_->Show();
    }
    void TearDown() override {
        window_->CloseAllowed = true;
        window_.reset();
    }
    int Row(const char* name) {
        for (int i = 0; i < window_->lv_FileList->Items()->Count(); ++i)
            if (window_->lv_FileList->Items()->Item(i)->Caption() == name) return i;
        return -1;
    }

    std::string from_, to_;
    TClientCheckSet checks_{testing::ScratchFolder("netwin_upgrade_checks"), nullptr};
    TClientCheck check_{checks_};
    int restarts_ = 0;
    std::unique_ptr<TRemoteUpgradeReceiver> receiver_;
    WindowPtr window_;
    std::vector<std::string> messages_;
};

TEST_F(RemoteUpgradeWindow, OpensWithTheFolderCheckedAndTheSelectButtonToggles) {
    EXPECT_EQ(window_->Caption(), "DVR    " + Utf8ToGbk("远程升级"));
    EXPECT_EQ(window_->se_TCPRemoteUpgradePort->Caption(), std::to_string(receiver_->Port()));
    ASSERT_GE(Row("Vantrel.exe"), 0);
    ASSERT_GE(Row("OEM.txt"), 0);
    EXPECT_TRUE(window_->lv_FileList->Items()->Item(Row("OEM.txt"))->Checked());
    EXPECT_FALSE(window_->lb_Wait->Visible());

    window_->sb_SelectAll->Click();
    EXPECT_EQ(window_->sb_SelectAll->Caption(), Utf8ToGbk("全选"));
    EXPECT_FALSE(window_->lv_FileList->Items()->Item(Row("OEM.txt"))->Checked());
    window_->sb_SelectAll->Click();
    EXPECT_EQ(window_->sb_SelectAll->Caption(), Utf8ToGbk("全清"));
    EXPECT_TRUE(window_->lv_FileList->Items()->Item(Row("Vantrel.exe"))->Checked());

    // Closing only through the exit button.
    EXPECT_FALSE(window_->CloseQuery());
    window_->bt_Close->Click();
    EXPECT_FALSE(window_->Visible());
}

TEST_F(RemoteUpgradeWindow, SendsOnlyTheCheckedFilesWithProgress) {
    window_->sb_SelectAll->Click(); // all cleared
    window_->lv_FileList->Items()->Item(Row("Vantrel.exe"))->SetChecked(true);
    window_->bt_StartUpgrade->Click();
    EXPECT_FALSE(window_->bt_StartUpgrade->Enabled());
    int max = 0;
    ASSERT_TRUE(PumpMessagesUntil(
        [&] {
            max = std::max(max, window_->pb_UpgradeStatu->Max());
            return !messages_.empty();
        },
        20000));
    EXPECT_EQ(messages_,
              std::vector<std::string>{Utf8ToGbk("恭喜！升级成功！远程系统正在重启动中。")});
    EXPECT_TRUE(PumpMessagesUntil([&] { return restarts_ == 1; }, 5000));
    EXPECT_EQ(testing::GetFile(to_ + "Temp\\Vantrel.exe"), testing::Pattern(200000));
    EXPECT_EQ(testing::GetFile(to_ + "Temp\\OEM.txt"), "");
    EXPECT_EQ(max, 200000);
    EXPECT_TRUE(window_->bt_StartUpgrade->Enabled());
    EXPECT_TRUE(window_->Enabled());
    EXPECT_FALSE(window_->lb_Wait->Visible());
}

TEST_F(RemoteUpgradeWindow, AMissingFileIsReportedAndNothingSent) {
    ::DeleteFileA((from_ + "OEM.txt").c_str());
    window_->bt_StartUpgrade->Click();
    EXPECT_EQ(messages_, std::vector<std::string>{Utf8ToGbk("文件 <OEM.txt> 不存在。")});
    EXPECT_TRUE(window_->bt_StartUpgrade->Enabled());
    EXPECT_FALSE(window_->lb_Wait->Visible());
}

} // namespace
} // namespace vantrel
