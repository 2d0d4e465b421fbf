// The control's file-transfer window against the host's transfer endpoint in another process,
// and taking a file from a peer: whole files both ways, the control's refusal text, a break-off
// that sends no "cut".
#include "host/net/F_SendAndReceiveFile.h"
#include "host/net/U_NetTransferTexts.h"
#include "host/net/net_replay_testing.h"
#include "host/ui/window_shot_testing.h"
#include "webctl/host_peer_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <thread>

namespace vantrel::webctl {
namespace {

using dvr::win::Utf8ToGbk;
using namespace vantrel::testing;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};
using FilePtr = std::unique_ptr<TSendAndReceiveFileForm, FormDeleter>;

bool Until(const std::function<bool()>& f, DWORD ms = 30000) {
    return PumpMessagesUntil(f, ms);
}

FilePtr ControlWindow() {
    FilePtr form(new TSendAndReceiveFileForm(nullptr, 0, "127.0.0.1"));
    form->Show();
    return form;
}

void Offer(TSendAndReceiveFileForm& form, int port, const std::string& file) {
    form.cb_Addr->SetText("127.0.0.1");
    form.se_TCPSendFilePort->SetText(std::to_string(port));
    form.ed_FileName->SetText(file);
    form.bt_SendClick(form.bt_Send);
}

TEST(ControlFileTransfer, FilesReachTheHostWholeOneAfterTheOther) {
    const std::string folder = ScratchFolder("webctl_transfer_send");
    const std::string received = folder + "received.bin";
    HostPeer peer("accept", received);
    ASSERT_GT(peer.filePort_, 0);
    FilePtr form = ControlWindow();
    for (size_t size : {size_t(700000), size_t(1234)}) {
        const std::string bytes = Pattern(size);
        PutFile(folder + "send.bin", bytes);
        ::DeleteFileA(received.c_str());
        Offer(*form, peer.filePort_, folder + "send.bin");
        ASSERT_TRUE(Until([&] {
            return form->lb_ProgressTitle->Caption() == Utf8ToGbk("发送文件结束。");
        })) << form->lb_ProgressTitle->Caption();
        // The host closes the file once the last byte is in.
        ASSERT_TRUE(Until([&] { return GetFile(received) == bytes; })) << size;
        EXPECT_TRUE(form->bt_Send->Enabled());
        EXPECT_TRUE(form->bt_Exit->Enabled());
    }
    PumpWaiting();
    SaveWindowShot(form->Handle(), "webctl_file_transfer");
}

TEST(ControlFileTransfer, AnOfferBrokenOffByTheHostIsARefusal) {
    const std::string folder = ScratchFolder("webctl_transfer_cut");
    HostPeer peer("cut", folder + "never.bin");
    ASSERT_GT(peer.filePort_, 0);
    FilePtr form = ControlWindow();
    PutFile(folder + "send.bin", Pattern(5000));
    Offer(*form, peer.filePort_, folder + "send.bin");
    ASSERT_TRUE(Until([&] {
        return form->lb_ProgressTitle->Caption() == Utf8ToGbk("对方拒绝接收文件。");
    })) << form->lb_ProgressTitle->Caption();
    EXPECT_TRUE(form->bt_Send->Enabled());
    EXPECT_TRUE(form->bt_Exit->Enabled());
}

// A peer's side of an offer to the control: header, wait for "OK", then `send` bytes; what the
// control sends back after that is collected until it closes.
struct Sender {
    std::string header, data, afterData;
    bool gotOk = false, closed = false;
    std::thread thread;
    void Run(int port, size_t send) {
        thread = std::thread([this, port, send] {
            dvr::win::Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(u_short(port));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return;
            ::send(s.get(), header.data(), int(header.size()), 0);
            char buf[256];
            const int n = ::recv(s.get(), buf, 2, 0);
            gotOk = n == 2 && std::string(buf, 2) == "OK";
            if (!gotOk) return;
            ::send(s.get(), data.data(), int(std::min(send, data.size())), 0);
            for (;;) {
                const int got = ::recv(s.get(), buf, sizeof buf, 0);
                if (got <= 0) break;
                afterData.append(buf, size_t(got));
            }
            closed = true;
        });
    }
    ~Sender() {
        if (thread.joinable()) thread.join();
    }
};

TEST(ControlFileTransfer, AFileOfferedToTheControlIsTakenAndABreakOffSendsNoCut) {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    const std::string folder = ScratchFolder("webctl_transfer_recv");
    FilePtr form = ControlWindow();
    const int port = form->Transfer().Port();
    {
        Sender peer;
        peer.data = Pattern(300000);
        peer.header = BuildFileTransferHeader(int64_t(peer.data.size()), "whole.bin");
        peer.Run(port, peer.data.size());
        ASSERT_TRUE(Until([&] { return form->bt_Send->Caption() == Utf8ToGbk("接收"); }));
        form->ed_FileName->SetText(folder + "whole.bin");
        form->bt_SendClick(form->bt_Send);
        ASSERT_TRUE(Until([&] {
            return form->lb_ProgressTitle->Caption() == Utf8ToGbk("接收文件结束。");
        })) << form->lb_ProgressTitle->Caption();
        EXPECT_EQ(GetFile(folder + "whole.bin"), peer.data);
    }
    Sender peer;
    peer.data = Pattern(200000);
    peer.header = BuildFileTransferHeader(int64_t(peer.data.size()), "half.bin");
    peer.Run(port, 1000);
    ASSERT_TRUE(Until([&] { return form->bt_Send->Caption() == Utf8ToGbk("接收"); }));
    form->ed_FileName->SetText(folder + "half.bin");
    form->bt_SendClick(form->bt_Send);
    ASSERT_TRUE(Until([&] { return form->pb_ProgressBar->Position() >= 1000; }));
    form->bt_CutClick(form->bt_Cut);
    EXPECT_EQ(form->bt_Send->Caption(), Utf8ToGbk("发送"));
    EXPECT_TRUE(form->bt_Send->Enabled());
    ASSERT_TRUE(Until([&] { return peer.closed; }));
    EXPECT_EQ(peer.afterData, ""); // no "cut"
    // The file is closed: it can be removed.
    EXPECT_TRUE(::DeleteFileA((folder + "half.bin").c_str()));
    ::WSACleanup();
}

} // namespace
} // namespace vantrel::webctl
