#include "host/net/U_TCPRemoteReplayServer.h"

#include "host/net/U_RemoteReplayProtocol.h"
#include "host/net/net_replay_testing.h"
#include "host/net/replay_source_testing.h"
#include "host/ui/U_ReplayRules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vantrel {
namespace {

using testing::FakeSource;
using testing::Peer;
using testing::PutFile;
using testing::RunPeer;

class RemoteReplayServer : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::ScratchFolder("nr_replay_server");
        day_ = root_ + "D\\DVRDat\\20261210\\";
    }
    void TearDown() override {
        if (server_) {
            PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 10000);
            server_.reset();
        }
    }
    // A recording of channel ch, type t, at hhmmss, added to the index.
    std::string Add(int ch, int t, const char* hhmmss, const std::string& bytes) {
        const std::string path = day_ + std::to_string(ch + 1) + "\\" +
                                 std::string(KindFolderText(t)) + "\\" + std::to_string(ch) + "-" +
                                 std::to_string(t) + "-20261210" + hhmmss +
                                 (t >= 2 ? ".BMP" : ".MPG");
        PutFile(path, bytes);
        source_.Days["20261210"][ch].push_back(path);
        return path;
    }
    static const char* KindFolderText(int t) {
        static const char* codes[] = {"CC", "AC", "PB", "RB"};
        return codes[t];
    }
    void Start(TSendBudget budget = {}) {
        server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, std::move(budget),
                                                           TReplayPacing{1024, 0}, "127.0.0.1");
        ASSERT_TRUE(server_->Listening());
    }
    // Sends one request on a new connection and returns what came back.
    std::string Ask(const std::string& request, bool* closed = nullptr, size_t want = SIZE_MAX,
                    DWORD idleMs = 3000) {
        std::string reply;
        bool peerClosed = false;
        EXPECT_TRUE(RunPeer([&] {
            Peer p;
            ASSERT_TRUE(p.Connect(server_->Port()));
            p.Send(request);
            reply = p.Receive(want, idleMs);
            peerClosed = p.closedByPeer;
        }));
        if (closed) *closed = peerClosed;
        return reply;
    }

    // The replay logon of this address, as the window's connect does before the player's and
    // the download's own connections.
    void Logon() { EXPECT_NE(Ask("connectop~pw", nullptr, SIZE_MAX, 300), ""); }

    std::string root_, day_;
    FakeSource source_;
    std::unique_ptr<TTCPRemoteReplayServer> server_;
};

TEST_F(RemoteReplayServer, ConnectAnswersTitlesAndDaysOrClosesSilently) {
    source_.Dates = "2026-12-09,2026-12-10,";
    Start();
    bool closed = false;
    EXPECT_EQ(Ask("connectop~pw", &closed, SIZE_MAX, 500),
              "Cam0;;Cam2;Cam3;2026-12-09,2026-12-10,");
    EXPECT_FALSE(closed); // the server keeps the connection after the reply
    EXPECT_EQ(source_.CheckedAddresses.back(), "127.0.0.1");

    source_.Dates.clear();
    EXPECT_EQ(Ask("connectop~pw", nullptr, SIZE_MAX, 500), "Cam0;;Cam2;Cam3;");

    for (const char* refused : {"connectop~bad", "connectoppw"}) {
        EXPECT_EQ(Ask(refused, &closed), "") << refused;
        EXPECT_TRUE(closed) << refused;
    }
    source_.AddressOk = false;
    EXPECT_EQ(Ask("connectop~pw", &closed), "");
    EXPECT_TRUE(closed);
}

TEST_F(RemoteReplayServer, UnknownKeywordsClose) {
    Start();
    for (const char* text : {"Connectop~pw", "fileinfoop~pw!2026-12-10@", "PLAYFILEx", "conne",
                             "GET / HTTP/1.0\r\n\r\n"}) {
        bool closed = false;
        EXPECT_EQ(Ask(text, &closed), "") << text;
        EXPECT_TRUE(closed) << text;
    }
}

TEST_F(RemoteReplayServer, FileInfoListsAllowedChannelsNormalThenAlarm) {
    const std::string n1 = Add(1, 0, "100000", std::string(3000, 'a'));
    const std::string n1b = Add(1, 0, "110000", "b");
    const std::string a1 = Add(1, 1, "103000", "c");
    const std::string n2 = Add(2, 0, "100000", "d");
    const std::string n3 = Add(3, 0, "120000", "e");
    // Still being recorded: the index entry carries the open handle behind a "#".
    source_.Days["20261210"][3].back() += "#77";
    const std::string a3 = Add(3, 1, "123000", "f");
    Add(1, 2, "100500", "snapshot");
    Add(3, 3, "100500", "snapshot");
    // Indexed but gone from the disk: left out, its channel's other files still listed.
    source_.Days["20261210"][3].insert(source_.Days["20261210"][3].begin(),
                                       day_ + "4\\CC\\3-0-20261210090000.MPG");
    source_.AllowedChannels = {1, 3};
    Start();

    bool closed = false;
    const std::string answer = Ask(BuildFileInfoCommand("op", "pw", "2026-12-10"), &closed);
    EXPECT_TRUE(closed);
    std::vector<RemoteFileEntry> got;
    FileInfoParser([&](const RemoteFileEntry& e) { got.push_back(e); }).Feed(answer);
    std::vector<std::string> paths;
    for (const RemoteFileEntry& e : got)
        paths.push_back(e.Path);
    EXPECT_EQ(paths, (std::vector<std::string>{n1, n1b, n3, a1, a3}));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].RecordType, 0);
    EXPECT_EQ(got[0].Channel, 1);
    EXPECT_EQ(got[0].StartTime, "2026-12-10 10:00:00");
    EXPECT_EQ(got[0].SizeText, "3000");
    EXPECT_EQ(got[0].TypeName, CaptureTypeName(0));
    std::string modified;
    ASSERT_TRUE(FileModifiedText(n1, modified));
    EXPECT_EQ(got[0].EndTime, modified);
    EXPECT_EQ(got[0].Duration, std::to_string(RecordingSeconds(got[0].StartTime, modified)));
    EXPECT_EQ(got[3].TypeName, CaptureTypeName(1));
    EXPECT_EQ(got[2].SizeText, "1");
    EXPECT_EQ(Ask("PlayFile" + n3, nullptr, SIZE_MAX, 500), "e");
    (void)n2;
}

TEST_F(RemoteReplayServer, FileInfoOfAnUnknownDayOrWithoutRightsIsEmpty) {
    Add(0, 0, "100000", "x");
    Start();
    for (const std::string& request :
         {BuildFileInfoCommand("op", "pw", "2026-12-11"),
          BuildFileInfoCommand("op", "no", "2026-12-10"), std::string("FileInfoop~pw!")}) {
        bool closed = false;
        EXPECT_EQ(Ask(request, &closed), "") << request;
        EXPECT_TRUE(closed) << request;
    }
}

TEST_F(RemoteReplayServer, PlayFileSendsExactlyTheFileAndKeepsTheConnection) {
    const std::string bytes = testing::Pattern(10000);
    const std::string path = Add(0, 0, "100000", bytes);
    Start();
    Logon();
    for (const char* keyword : {"PlayFile", "Download"}) {
        bool closed = true;
        EXPECT_EQ(Ask(keyword + path, &closed, SIZE_MAX, 700), bytes) << keyword;
        EXPECT_FALSE(closed) << keyword;
    }
}

TEST_F(RemoteReplayServer, PathsOutsideTheIndexAreNeverSent) {
    Add(0, 0, "100000", "recording");
    // Real files that a request could name: outside the recordings, or in a day folder
    // without being indexed.
    const std::string secret = root_ + "secret.txt";
    PutFile(secret, "secret");
    const std::string stray = day_ + "1\\CC\\0-0-20261210110000.MPG";
    PutFile(stray, "not indexed");
    Start();
    Logon();
    for (const std::string& path :
         {secret, stray, day_ + "1\\CC\\..\\..\\..\\..\\..\\secret.txt",
          day_ + "1\\CC\\0-0-20261210100000.MPG\\..\\..\\..\\..\\..\\..\\secret.txt",
          std::string("C:\\windows\\win.ini"), day_ + "1\\CC\\0-0-20261210120000.MPG"}) {
        bool closed = true;
        EXPECT_EQ(Ask("PlayFile" + path, &closed, SIZE_MAX, 300), "") << path;
        EXPECT_FALSE(closed) << path; // answered like a missing file
    }
}

TEST_F(RemoteReplayServer, SenderWaitsForTheBandwidthBudget) {
    const std::string bytes = testing::Pattern(5000);
    const std::string path = Add(0, 0, "100000", bytes);
    std::atomic<uint32_t> sent{20000};
    Start(TSendBudget{&sent, [] { return 800; }}); // 10,000 bytes per 100 ms
    Logon();
    std::string got;
    ASSERT_TRUE(RunPeer([&] {
        Peer p;
        ASSERT_TRUE(p.Connect(server_->Port()));
        p.Send("PlayFile" + path);
        EXPECT_EQ(p.Receive(SIZE_MAX, 300), ""); // budget spent: nothing moves
        sent = 0;                                // the main window's reset
        got = p.Receive(bytes.size(), 3000);
    }));
    EXPECT_EQ(got, bytes);
    EXPECT_GE(sent.load(), bytes.size());
}

TEST_F(RemoteReplayServer, SenderStopsWhenTheViewerCloses) {
    const std::string path = Add(0, 0, "100000", testing::Pattern(2'000'000));
    server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                       TReplayPacing{1024, 40}, "127.0.0.1");
    Logon();
    ASSERT_TRUE(RunPeer([&] {
        Peer p;
        ASSERT_TRUE(p.Connect(server_->Port()));
        p.Send("PlayFile" + path);
        EXPECT_EQ(p.Receive(1024).size(), 1024u);
    }));
    EXPECT_TRUE(PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 5000));
}

TEST_F(RemoteReplayServer, RecordingsGoOnlyToALoggedOnAddressWithTheChannelsRight) {
    const std::string zero = Add(0, 0, "100000", "channel zero");
    const std::string one = Add(1, 0, "100000", "channel one");
    source_.AllowedChannels = {1};
    Start();
    // Without a logon, and after a refused one: nothing, and the connection is closed.
    bool closed = false;
    EXPECT_EQ(Ask("PlayFile" + one, &closed), "");
    EXPECT_TRUE(closed);
    EXPECT_EQ(Ask("connectop~bad", &closed), "");
    EXPECT_EQ(Ask("Download" + one, &closed), "");
    EXPECT_TRUE(closed);
    Logon();
    // The user lacks the right for channel 0.
    EXPECT_EQ(Ask("Download" + zero, &closed), "");
    EXPECT_TRUE(closed);
    EXPECT_EQ(Ask("PlayFile" + one, &closed, SIZE_MAX, 500), "channel one");
    EXPECT_FALSE(closed);
    // The address list no longer allows this address.
    source_.AddressOk = false;
    EXPECT_EQ(Ask("PlayFile" + one, &closed), "");
    EXPECT_TRUE(closed);
}

TEST_F(RemoteReplayServer, AtMostSixteenSendersRunAtOnce) {
    const std::string path = Add(0, 0, "100000", testing::Pattern(2'000'000));
    server_ = std::make_unique<TTCPRemoteReplayServer>(source_, 0, TSendBudget{},
                                                       TReplayPacing{1024, 40}, "127.0.0.1");
    Logon();
    ASSERT_TRUE(RunPeer([&] {
        std::vector<std::unique_ptr<Peer>> peers;
        for (int i = 0; i < kMaxReplaySenders; ++i) {
            peers.push_back(std::make_unique<Peer>());
            ASSERT_TRUE(peers.back()->Connect(server_->Port()));
            peers.back()->Send("PlayFile" + path);
            ASSERT_EQ(peers.back()->Receive(1024).size(), 1024u) << i;
        }
        Peer extra;
        ASSERT_TRUE(extra.Connect(server_->Port()));
        extra.Send("Download" + path);
        EXPECT_EQ(extra.Receive(SIZE_MAX, 3000), "");
        EXPECT_TRUE(extra.closedByPeer);
    }));
    EXPECT_TRUE(PumpMessagesUntil([&] { return server_->RunningThreads() == 0; }, 10000));
}

TEST_F(RemoteReplayServer, AHighBandwidthLimitDoesNotWrapTheBudget) {
    const std::string bytes = testing::Pattern(3000);
    const std::string path = Add(0, 0, "100000", bytes);
    // The largest limit a setting holds: its budget is far above 32 bits, so bytes already
    // counted in this window do not stop the sender.
    std::atomic<uint32_t> sent{3'000'000'000u};
    Start(TSendBudget{&sent, [] { return int32_t(0x7FFFFFFF); }});
    Logon();
    EXPECT_EQ(Ask("PlayFile" + path, nullptr, bytes.size()), bytes);
}

TEST_F(RemoteReplayServer, ConnectionsBeyondTheCapAreClosedAtAccept) {
    Start();
    ASSERT_TRUE(RunPeer([&] {
        std::vector<std::unique_ptr<Peer>> peers;
        for (size_t i = 0; i < kMaxMsgConnections; ++i) {
            peers.push_back(std::make_unique<Peer>());
            ASSERT_TRUE(peers.back()->Connect(server_->Port()));
        }
        // The server took them all in before this one (its answer proves its turn came).
        Peer last;
        ASSERT_TRUE(last.Connect(server_->Port()));
        last.Send("connectop~pw");
        EXPECT_EQ(last.Receive(SIZE_MAX, 3000), "");
        EXPECT_TRUE(last.closedByPeer);
        peers.front()->Send("connectop~pw");
        EXPECT_NE(peers.front()->Receive(SIZE_MAX, 1000), "");
    }));
}

} // namespace
} // namespace vantrel
