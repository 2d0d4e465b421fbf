#include "host/net/F_SendAndReceiveFile.h"

#include "host/net/net_replay_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};
using FilePtr = std::unique_ptr<TSendAndReceiveFileForm, FormDeleter>;

bool Until(const std::function<bool()>& f, DWORD ms = 10000) {
    return PumpMessagesUntil(f, ms);
}

TEST(SendAndReceiveFileForm, AFileOfferedIsTakenByTheOtherWindow) {
    const std::string folder = testing::ScratchFolder("netwin_file");
    const std::string bytes = testing::Pattern(30000);
    testing::PutFile(folder + "send.bin", bytes);
    const std::string target = folder + "got.bin";
    ::DeleteFileA(target.c_str());
    const TFileTransferTimes times{2000, 10, 10};
    FilePtr a(new TSendAndReceiveFileForm(nullptr, 0, "127.0.0.1", times));
    FilePtr b(new TSendAndReceiveFileForm(nullptr, 0, "127.0.0.1", times));
    EXPECT_EQ(a->Caption(), Utf8ToGbk("发送/接收文件"));
    EXPECT_EQ(a->se_TCPSendFilePort->Caption(), "60001");

    // Checks first: no address.
    a->bt_Send->Click();
    EXPECT_EQ(a->lb_ProgressTitle->Caption(), Utf8ToGbk("请输入目的地址。"));

    a->SetHosts({"", "127.0.0.1"}, [&](const std::string&) { return b->Transfer().Port(); });
    EXPECT_EQ(a->se_TCPSendFilePort->Caption(), std::to_string(b->Transfer().Port()));
    a->OpenFileDialog = [&] { return folder + "send.bin"; };
    a->sb_OpenFile->Click();
    EXPECT_EQ(a->ed_FileName->Caption(), folder + "send.bin");
    a->bt_Send->Click();
    ASSERT_TRUE(Until([&] { return b->bt_Send->Caption() == Utf8ToGbk("接收"); }));
    EXPECT_TRUE(b->Visible()); // an offer shows the window
    EXPECT_EQ(b->lb_ProgressTitle->Caption(), Utf8ToGbk("请接收文件：send.bin来自：127.0.0.1"));
    EXPECT_FALSE(b->bt_Exit->Enabled());
    EXPECT_EQ(b->pb_ProgressBar->Max(), 30000);

    b->ed_FileName->SetText(target);
    b->bt_Send->Click();
    ASSERT_TRUE(
        Until([&] { return b->lb_ProgressTitle->Caption() == Utf8ToGbk("接收文件结束。"); }));
    ASSERT_TRUE(
        Until([&] { return a->lb_ProgressTitle->Caption() == Utf8ToGbk("发送文件结束。"); }));
    EXPECT_EQ(testing::GetFile(target), bytes);
    EXPECT_EQ(b->bt_Send->Caption(), Utf8ToGbk("发送"));
    EXPECT_TRUE(b->bt_Exit->Enabled());
    EXPECT_TRUE(a->bt_Send->Enabled());

    b->bt_Exit->Click();
    EXPECT_FALSE(b->Visible());
}

} // namespace
} // namespace vantrel
