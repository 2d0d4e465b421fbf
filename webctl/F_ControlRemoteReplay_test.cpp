// The control's remote replay window against a host's replay port in another process: the
// host's day and recording are listed and the download arrives byte for byte.
#include "host/net/F_RemoteReplayWindow.h"
#include "host/net/net_replay_testing.h"
#include "host/ui/window_shot_testing.h"
#include "webctl/host_peer_testing.h"

#include "common/testing/testdata.h"
#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

using dvr::win::Utf8ToGbk;
using namespace vantrel::testing;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

TEST(ControlRemoteReplay, AHostsRecordingIsListedAndDownloadedWhole) {
    HostPeer peer;
    ASSERT_GT(peer.replayPort_, 0);
    const std::string folder = ScratchFolder("webctl_remote_replay");
    std::vector<std::string> messages;
    std::unique_ptr<TRemoteReplayWindow, FormDeleter> window(
        new TRemoteReplayWindow(nullptr, "DVR", 5000));
    window->MessageBox = [&](const std::string& t) { messages.push_back(t); };
    window->SetHosts({"127.0.0.1"}, [&](const std::string&) { return peer.replayPort_; });
    window->ed_UserName->SetText("op");
    window->ed_Password->SetText("pw");
    window->Show();

    window->sb_Connect->Click();
    ASSERT_TRUE(PumpMessagesUntil(
        [&] { return window->lv_ReplayDateList->Items()->Count() == 1; }, 30000));
    window->lv_ReplayDateList->Items()->Item(0)->SetSelected(true);
    ASSERT_TRUE(PumpMessagesUntil(
        [&] {
            return window->lv_ReplayFileList->Items()->Count() == 1 && window->Enabled() &&
                   !window->pn_SearchMsg->Visible();
        },
        30000));

    window->DriveChooser = [&](int) -> std::optional<std::string> { return folder; };
    window->lv_ReplayFileList->Items()->Item(0)->SetChecked(true);
    window->tb_DownLoad->Click();
    ASSERT_TRUE(PumpMessagesUntil([&] { return !messages.empty(); }, 60000));
    const std::string& local = window->Replay().LocalPath();
    EXPECT_EQ(messages[0], Utf8ToGbk("下载结束！\r\r数据已被存放为：") + local);
    const std::string clip = GetFile(dvr::testing::TestDataPath("cif_ip.MPG"));
    ASSERT_FALSE(clip.empty());
    EXPECT_EQ(GetFile(local), clip);
    PumpWaiting();
    SaveWindowShot(window->Handle(), "webctl_remote_replay");
}

} // namespace
} // namespace vantrel::webctl
