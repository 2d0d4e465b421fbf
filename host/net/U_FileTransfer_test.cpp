#include "host/net/U_FileTransfer.h"
#include "host/net/U_NetChat.h"

#include "host/net/net_replay_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;
using testing::GetFile;
using testing::Peer;
using testing::PutFile;
using testing::RunPeer;

struct TransferView : TFileTransferView {
    std::vector<std::string> Statuses;
    std::vector<int> Positions;
    int Max = 0;
    bool Receive = false, SendEnabled = true, ExitEnabled = true, Shown = false;
    void SetStatus(const std::string& t) override { Statuses.push_back(t); }
    void SetProgressMax(int m) override { Max = m; }
    void SetProgress(int p) override { Positions.push_back(p); }
    void SetSendCaptionReceive(bool r) override { Receive = r; }
    void SetSendEnabled(bool e) override { SendEnabled = e; }
    void SetExitEnabled(bool e) override { ExitEnabled = e; }
    void SetWindowEnabled(bool) override {}
    void ShowWindow() override { Shown = true; }
    std::string Last() const { return Statuses.empty() ? std::string() : Statuses.back(); }
};

bool Until(const std::function<bool()>& f, DWORD ms = 10000) {
    return PumpMessagesUntil(f, ms);
}

class FileTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing::ScratchFolder("nr_file_transfer");
        ASSERT_TRUE(a_.Open(0, "127.0.0.1"));
        ASSERT_TRUE(b_.Open(0, "127.0.0.1"));
    }
    // A offers the file to B and B's window shows the offer.
    void Offer(const std::string& path) {
        a_.SendPressed("127.0.0.1", b_.Port(), path);
        ASSERT_TRUE(Until([&] { return bv_.Receive; }));
    }

    std::string folder_;
    TransferView av_, bv_;
    TFileTransferTimes times_{2000, 10, 10};
    TFileTransfer a_{av_, times_}, b_{bv_, times_};
};

TEST_F(FileTransfer, TenThousandBytesArriveInThreeChunks) {
    const std::string bytes = testing::Pattern(10000);
    PutFile(folder_ + "send.bin", bytes);
    const std::string target = folder_ + "got.bin";
    ::DeleteFileA(target.c_str());
    Offer(folder_ + "send.bin");
    EXPECT_EQ(bv_.Last(), Utf8ToGbk("请接收文件：send.bin来自：127.0.0.1"));
    EXPECT_TRUE(bv_.Shown);
    EXPECT_FALSE(bv_.ExitEnabled);
    EXPECT_EQ(bv_.Max, 10000);
    EXPECT_EQ(av_.Last(), Utf8ToGbk("正在等待对方接收文件。"));

    b_.SendPressed("", 0, target);
    ASSERT_TRUE(Until([&] { return av_.Last() == Utf8ToGbk("发送文件结束。"); }));
    ASSERT_TRUE(Until([&] { return bv_.Last() == Utf8ToGbk("接收文件结束。"); }))
        << dvr::win::WideToUtf8(dvr::win::GbkToWide(bv_.Last())) << " " << bv_.Positions.size();
    EXPECT_EQ(GetFile(target), bytes);
    // The sender's bar: 4096, 8192, 10000, then back to 0.
    EXPECT_EQ(av_.Positions, (std::vector<int>{4096, 8192, 10000, 0}));
    ASSERT_GE(bv_.Positions.size(), 2u);
    EXPECT_EQ(bv_.Positions[bv_.Positions.size() - 2], 10000);
    EXPECT_FALSE(bv_.Receive);
    EXPECT_TRUE(bv_.ExitEnabled);
    EXPECT_TRUE(av_.SendEnabled && av_.ExitEnabled);
    // The sender's close afterwards changes nothing on the receiving side.
    Until([] { return false; }, 200);
    EXPECT_EQ(bv_.Last(), Utf8ToGbk("接收文件结束。"));
}

TEST_F(FileTransfer, AnEmptyFileCompletes) {
    PutFile(folder_ + "empty.bin", "");
    const std::string target = folder_ + "empty_got.bin";
    Offer(folder_ + "empty.bin");
    b_.SendPressed("", 0, target);
    EXPECT_TRUE(Until([&] { return av_.Last() == Utf8ToGbk("发送文件结束。"); }));
    EXPECT_TRUE(Until([&] { return bv_.Last() == Utf8ToGbk("接收文件结束。"); }));
    EXPECT_NE(::GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileTransfer, ReceiverBreakingOffTellsTheSender) {
    PutFile(folder_ + "send.bin", "abc");
    Offer(folder_ + "send.bin");
    b_.CutPressed();
    EXPECT_TRUE(Until([&] { return av_.Last() == Utf8ToGbk("对方中断了接收文件！"); }));
    EXPECT_TRUE(av_.SendEnabled);
    EXPECT_FALSE(bv_.Receive);
    EXPECT_EQ(bv_.Last(), "");
}

TEST_F(FileTransfer, AnOfferWhileBusyIsRefusedAndLeavesTheTransferAlone) {
    PutFile(folder_ + "send.bin", "abc");
    Offer(folder_ + "send.bin"); // A is sending, B has an offer waiting
    const size_t before = av_.Statuses.size();
    std::string answer;
    bool closed = false;
    ASSERT_TRUE(RunPeer([&] {
        Peer p;
        ASSERT_TRUE(p.Connect(a_.Port()));
        p.Send("3;x.bin");
        answer = p.Receive(SIZE_MAX, 2000);
        closed = p.closedByPeer;
    }));
    EXPECT_TRUE(closed);
    EXPECT_EQ(answer, "");
    Until([] { return false; }, 100);
    EXPECT_EQ(av_.Statuses.size(), before); // no "interrupted" on the sending window
    // The waiting offer still goes through.
    b_.SendPressed("", 0, folder_ + "busy_got.bin");
    EXPECT_TRUE(Until([&] { return bv_.Last() == Utf8ToGbk("接收文件结束。"); }));
    EXPECT_EQ(GetFile(folder_ + "busy_got.bin"), "abc");
}

TEST_F(FileTransfer, InputChecksAndUnreadableOffers) {
    a_.SendPressed("", b_.Port(), "x");
    EXPECT_EQ(av_.Last(), Utf8ToGbk("请输入目的地址。"));
    a_.SendPressed("127.0.0.1", b_.Port(), "");
    EXPECT_EQ(av_.Last(), Utf8ToGbk("请输入将要发送的文件的有效全名。"));
    a_.SendPressed("127.0.0.1", b_.Port(), folder_ + "none.bin");
    EXPECT_EQ(av_.Last(), Utf8ToGbk("文件 <") + folder_ + "none.bin" + Utf8ToGbk("> 不存在。"));

    bool closed = false;
    ASSERT_TRUE(RunPeer([&] {
        Peer p;
        ASSERT_TRUE(p.Connect(b_.Port()));
        p.Send("lots;x.bin");
        p.Receive(SIZE_MAX, 2000);
        closed = p.closedByPeer;
    }));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(bv_.Receive);

    PutFile(folder_ + "send.bin", "abc");
    Offer(folder_ + "send.bin");
    b_.SendPressed("", 0, folder_ + "no_such_folder\\x.bin");
    EXPECT_EQ(bv_.Last(),
              Utf8ToGbk("路径 <") + folder_ + "no_such_folder\\x.bin" + Utf8ToGbk("> 不存在。"));
    b_.SendPressed("", 0, folder_);
    EXPECT_EQ(bv_.Last(), Utf8ToGbk("请输入存放文件的有效全名。"));
}

struct ChatView : TNetChatView {
    std::vector<std::string> Lines, Messages;
    bool Shown = false, Enabled = true;
    void LinesChanged(const std::vector<std::string>& l) override { Lines = l; }
    void ShowMessage(const std::string& t) override { Messages.push_back(t); }
    void ShowWindow() override { Shown = true; }
    void SetWindowEnabled(bool e) override { Enabled = e; }
    void SetHourglass(bool) override {}
};

TEST(NetChat, MessagesArriveAndAreAnswered) {
    ChatView av, bv;
    const auto now = [] { return std::string("2026-12-10 9:30:00"); };
    TNetChat a(av, "10.1.2.3", 5000, now), b(bv, "10.9.9.9", 5000, now);
    ASSERT_TRUE(a.Open(0, "127.0.0.1"));
    ASSERT_TRUE(b.Open(0, "127.0.0.1"));
    a.SendPressed("127.0.0.1", b.Port(), "", "hello");
    EXPECT_FALSE(av.Enabled);
    ASSERT_TRUE(Until([&] { return av.Enabled && bv.Shown; }));
    const std::string message = "(2026-12-10 9:30:00)   10.1.2.3\r\nhello\r\n";
    EXPECT_EQ(bv.Lines, (std::vector<std::string>{
                            Utf8ToGbk("[From：") + "127.0.0.1]    (2026-12-10 9:30:00)   10.1.2.3",
                            "hello"}));
    EXPECT_EQ(av.Lines,
              (std::vector<std::string>{
                  Utf8ToGbk("[To：") + "127.0.0.1]    (2026-12-10 9:30:00)   10.1.2.3", "hello"}));
    // A second message goes on a new connection; the nickname is used when given.
    b.SendPressed("127.0.0.1", a.Port(), "Guard", "ok");
    ASSERT_TRUE(Until([&] { return av.Lines.size() == 4 && bv.Lines.size() == 4; }));
    EXPECT_EQ(av.Lines[2], Utf8ToGbk("[From：") + "127.0.0.1]    (2026-12-10 9:30:00)   Guard");

    const std::string folder = testing::ScratchFolder("nr_chat");
    a.SaveTo(folder + "chat.txt");
    EXPECT_EQ(av.Messages.back(), Utf8ToGbk("保存成功！"));
    EXPECT_EQ(GetFile(folder + "chat.txt").substr(0, 5), av.Lines[0].substr(0, 5));
    a.SaveTo(folder + "missing\\chat.txt");
    EXPECT_EQ(av.Messages.back(), Utf8ToGbk("保存失败！"));
    a.ClearPressed();
    EXPECT_TRUE(av.Lines.empty());
    (void)message;
}

TEST(NetChat, AHostThatDoesNotListenFailsAfterTheTimeOut) {
    ChatView v;
    TNetChat chat(v, "10.1.2.3", 300, [] { return std::string("T"); });
    // A port that was just free.
    TMsgServerSocket probe;
    ASSERT_TRUE(probe.Open(0, "127.0.0.1"));
    const int port = probe.LocalPort();
    probe.Close();
    chat.SendPressed("127.0.0.1", port, "me", "hi");
    ASSERT_TRUE(Until([&] { return !v.Lines.empty(); }, 5000));
    EXPECT_EQ(v.Lines.back(),
              "T   " + Utf8ToGbk("发送消息给") + "<127.0.0.1>" + Utf8ToGbk("失败！"));
    EXPECT_TRUE(v.Enabled);
}

TEST(FileTransferIdlePeer, AnIdlePeerDoesNotKeepOthersOut) {
    const std::string folder = testing::ScratchFolder("nr_file_transfer_idle");
    const std::string path = folder + "offer.bin";
    PutFile(path, "offered");
    TransferView av, bv;
    TFileTransferTimes times{2000, 10, 10, 500};
    TFileTransfer a(av, times), b(bv, times);
    ASSERT_TRUE(a.Open(0, "127.0.0.1"));
    ASSERT_TRUE(b.Open(0, "127.0.0.1"));
    bool closed = false;
    ASSERT_TRUE(RunPeer([&] {
        Peer idle;
        ASSERT_TRUE(idle.Connect(b.Port()));
        idle.Receive(SIZE_MAX, 5000); // until the host closes it
        closed = idle.closedByPeer;
    }));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(bv.Receive);
    a.SendPressed("127.0.0.1", b.Port(), path);
    ASSERT_TRUE(Until([&] { return bv.Receive; }));
}

TEST(FileTransferIdlePeer, ARealOfferIsTakenWhileAnIdlePeerHoldsThePort) {
    const std::string folder = testing::ScratchFolder("nr_file_transfer_idle2");
    const std::string path = folder + "offer.bin";
    PutFile(path, "offered");
    TransferView av, bv;
    // The idle peer's time-out is far off: only the new connection can free the port.
    TFileTransferTimes times{2000, 10, 10, 600000};
    TFileTransfer a(av, times), b(bv, times);
    ASSERT_TRUE(a.Open(0, "127.0.0.1"));
    ASSERT_TRUE(b.Open(0, "127.0.0.1"));
    std::vector<std::unique_ptr<Peer>> idle;
    for (int i = 0; i < 3; ++i) {
        idle.push_back(std::make_unique<Peer>());
        ASSERT_TRUE(idle.back()->Connect(b.Port()));
    }
    a.SendPressed("127.0.0.1", b.Port(), path);
    ASSERT_TRUE(Until([&] { return bv.Receive; }));
    EXPECT_EQ(bv.Last(), Utf8ToGbk("请接收文件：offer.bin来自：127.0.0.1"));
    bool closed = false;
    ASSERT_TRUE(RunPeer([&] {
        for (auto& p : idle) {
            p->Receive(SIZE_MAX, 5000);
            if (!p->closedByPeer) return;
        }
        closed = true;
    }));
    EXPECT_TRUE(closed);
    // Once an offer is made, the port is held for the operator's answer.
    Peer late;
    bool lateClosed = false;
    ASSERT_TRUE(RunPeer([&] {
        ASSERT_TRUE(late.Connect(b.Port()));
        late.Receive(SIZE_MAX, 5000);
        lateClosed = late.closedByPeer;
    }));
    EXPECT_TRUE(lateClosed);
    EXPECT_TRUE(bv.Receive);
}

TEST(NetChat, ConnectionsAndMessagesAreCapped) {
    ChatView v;
    TNetChat chat(v, "10.1.2.3", 5000, [] { return std::string("T"); });
    ASSERT_TRUE(chat.Open(0, "127.0.0.1"));
    std::string answer;
    bool extraClosed = false;
    ASSERT_TRUE(RunPeer([&] {
        std::vector<std::unique_ptr<Peer>> peers;
        for (size_t i = 0; i < kMaxMsgConnections; ++i) {
            peers.push_back(std::make_unique<Peer>());
            ASSERT_TRUE(peers.back()->Connect(chat.Port()));
        }
        Peer extra;
        ASSERT_TRUE(extra.Connect(chat.Port()));
        extra.Send("let me in");
        extra.Receive(SIZE_MAX, 3000);
        extraClosed = extra.closedByPeer;
        // One huge message, then another on the same connection.
        peers.front()->Send(std::string(200000, 'x'));
        answer = peers.front()->Receive(2, 5000);
        peers.front()->Send("second");
        peers.front()->Receive(SIZE_MAX, 500);
    }));
    EXPECT_TRUE(extraClosed);
    EXPECT_EQ(answer, "OK");
    ASSERT_EQ(v.Lines.size(), 1u);
    const std::string head = Utf8ToGbk("[From：") + "127.0.0.1]    ";
    EXPECT_EQ(v.Lines[0].substr(0, head.size()), head);
    EXPECT_LE(v.Lines[0].size(), head.size() + kMaxChatText);
}

} // namespace
} // namespace vantrel
