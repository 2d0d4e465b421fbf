#include "host/net/U_TCPMainServer.h"

#include "host/engine/U_HostRecords.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/net/T_ThreadFreeTCPMainConnecter.h"
#include "host/net/U_NetSentBytes.h"
#include "host/net/live_testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <random>
#include <vector>

namespace vantrel {
namespace {

using testing::FakeLiveHost;
using testing::TestViewer;
using testing::WaitUntil;

std::vector<uint8_t> Record(uint8_t type, size_t length, uint8_t fill) {
    std::vector<uint8_t> r(length, fill);
    if (length >= 5) {
        r[0] = 0;
        r[1] = 0;
        r[2] = 1;
        r[3] = 0xC7;
        r[4] = type;
    }
    return r;
}

int ViewerCount(TTCPMainConnecter& list) {
    int n = 0;
    for (TTCPConnecter* v = list.Head.load(); v; v = v->Next.load())
        ++n;
    return n;
}

TTCPConnecter* ViewerAt(TTCPMainConnecter& list, int index) {
    TTCPConnecter* v = list.Head.load();
    while (v && index-- > 0)
        v = v->Next.load();
    return v;
}

struct LiveServer : ::testing::Test {
    FakeLiveHost host;
    TLiveServers servers{host};
    int base = 0;

    void SetUp() override {
        NetSentBytes = 0;
        std::mt19937 rng(::GetTickCount() ^ ::GetCurrentProcessId());
        for (int attempt = 0; attempt < 40 && base == 0; ++attempt) {
            const int b = 20000 + static_cast<int>(rng() % 2000) * 10;
            if (PortsFree(b, 2)) base = b;
        }
        ASSERT_NE(base, 0);
        ASSERT_TRUE(servers.StartLiveServers(base, host.Channels));
    }
    static bool PortsFree(int first, int count) {
        TTCPServer probes[2];
        for (int i = 0; i < count; ++i)
            if (!probes[i].Bind(static_cast<uint16_t>(first + i))) return false;
        return true;
    }
    TTCPMainConnecter& List(int channel = 0) { return *servers.Viewers(channel); }
    void FanOut(const std::vector<uint8_t>& r, int channel = 0) {
        servers.FanOutFrame(channel, r[4], r.data(), static_cast<int>(r.size()));
    }
    std::vector<std::string> Log() { return host.Copy(host.Log); }
    bool Admitted(int index = 0, int channel = 0) {
        return WaitUntil([&] {
            TTCPConnecter* v = ViewerAt(List(channel), index);
            return v && v->Admitted && v->SendThread;
        });
    }
};

TEST_F(LiveServer, AcceptedViewerGetsTheSavedHeadThenTheRecords) {
    host.Running = true;
    host.State = 41;
    host.Header = {0, 0, 1, 0xC6, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    TestViewer viewer(base + 1);
    ASSERT_TRUE(viewer.Connected());
    ASSERT_TRUE(viewer.SendRequest(1));
    EXPECT_EQ(viewer.Read(19), host.Header);
    ASSERT_TRUE(Admitted(0, 1));

    const auto key = Record(1, 9000, 0x11), audio = Record(8, 300, 0x22);
    FanOut(key, 1);
    FanOut(audio, 1);
    FanOut(key, 0); // another channel's records are not this viewer's
    std::vector<uint8_t> want = key;
    want.insert(want.end(), audio.begin(), audio.end());
    EXPECT_EQ(viewer.Read(want.size()), want);
    EXPECT_TRUE(viewer.Read(1, 300).empty());

    EXPECT_EQ(host.State, 44);
    EXPECT_EQ(host.Copy(host.Starts), (std::vector<std::pair<int, char>>{{1, '*'}}));
    ASSERT_EQ(Log().size(), 1u);
    TWorkLogRecord rec{};
    ASSERT_TRUE(ParseWorkLogLine(Log()[0], rec));
    EXPECT_EQ(rec.Event, 68);
    EXPECT_EQ(rec.HostChannel, 1);
    EXPECT_EQ(rec.ClientChannel, -1);
    EXPECT_EQ(rec.ClientAddress.Get(), "127.0.0.1");
    EXPECT_EQ(rec.UserName.Get(), "guest");
    // The own address is the one the host saw, not what the viewer wrote.
    EXPECT_EQ(ViewerAt(List(1), 0)->Request.OwnAddress.Get(), "127.0.0.1");
    EXPECT_EQ(ViewerAt(List(1), 0)->Request.HostAddress.Get(), "127.0.0.1");
}

TEST_F(LiveServer, ViewerOfAnIdleChannelStartsWithTheBoardsFreshHead) {
    TestViewer viewer(base);
    ASSERT_TRUE(viewer.SendRequest(0));
    ASSERT_TRUE(Admitted());
    EXPECT_EQ(host.State, 42);
    EXPECT_TRUE(viewer.Read(1, 300).empty());
    const auto head = Record(0, 19, 0x33);
    std::vector<uint8_t> fresh = head;
    fresh[3] = 0xC6;
    servers.FanOutFrame(0, 128, fresh.data(), 19);
    EXPECT_EQ(viewer.Read(19), fresh);
}

TEST_F(LiveServer, RefusedViewersGetTheMarkerAndNothingElse) {
    struct Case {
        const char* user;
        const char* password;
        bool badAddress;
        int ipChecks;
    };
    for (Case c : {Case{"guest", "wrong", false, 0}, Case{"nobody", "pw", false, 0},
                   Case{"guest", "pw", true, 1}}) {
        host.BadAddress = c.badAddress ? "127.0.0.1" : "";
        host.CheckIPCalls = 0;
        host.Log.clear();
        TestViewer viewer(base);
        ASSERT_TRUE(viewer.SendRequest(0, "", c.user, c.password));
        const auto got = viewer.Read(19);
        ASSERT_EQ(got.size(), 19u) << c.user;
        EXPECT_TRUE(IsStreamRefusal(got.data(), got.size()));
        EXPECT_EQ(got, std::vector<uint8_t>(19, 0xFF));
        ASSERT_TRUE(WaitUntil([&] { return Log().size() == 1; }));
        TWorkLogRecord rec{};
        ASSERT_TRUE(ParseWorkLogLine(Log()[0], rec));
        EXPECT_EQ(rec.Event, 67);
        EXPECT_EQ(rec.UserName.Get(), c.user);
        EXPECT_EQ(host.CheckIPCalls, c.ipChecks) << c.user;
        // Closed after its marker: nothing more comes, whatever the channel produces.
        FanOut(Record(1, 500, 0x44));
        EXPECT_TRUE(viewer.Read(1).empty()) << "live records reached a refused viewer";
        EXPECT_TRUE(viewer.PeerClosed()) << c.user;
    }
    EXPECT_TRUE(host.Copy(host.Starts).empty());
    EXPECT_FALSE(host.Running);
}

TEST_F(LiveServer, KeyFrameRequestsCountOnlyFromAdmittedViewers) {
    TestViewer viewer(base + 1);
    ASSERT_TRUE(viewer.SendRequest(1, "IFrame", "nobody", "x"));
    // One read takes one request: the next is sent once this one is read.
    ASSERT_TRUE(WaitUntil([&] {
        TTCPConnecter* v = ViewerAt(List(1), 0);
        return v && v->RequestsRead.load() == 1;
    }));
    EXPECT_TRUE(host.Copy(host.KeyFrameRequests).empty());
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(ViewerAt(List(1), 0)->Admitted);
    EXPECT_FALSE(ViewerAt(List(1), 0)->Closed);
    // Still open: a plain request admits it, and then its key-frame requests count.
    ASSERT_TRUE(viewer.SendRequest(1));
    ASSERT_TRUE(Admitted(0, 1));
    ASSERT_TRUE(WaitUntil([&] { return Log().size() == 1; }));
    EXPECT_TRUE(host.Copy(host.KeyFrameRequests).empty());
    ASSERT_TRUE(viewer.SendRequest(1, "IFrame", "nobody", "x"));
    ASSERT_TRUE(WaitUntil([&] { return host.Copy(host.KeyFrameRequests).size() == 1; }));
    EXPECT_EQ(host.Copy(host.KeyFrameRequests)[0], 1);
}

TEST_F(LiveServer, ARequestForAnotherChannelIsRefusedAndStartsNothing) {
    TestViewer viewer(base); // channel 0's port
    ASSERT_TRUE(viewer.SendRequest(1));
    EXPECT_EQ(viewer.Read(19), std::vector<uint8_t>(19, 0xFF));
    EXPECT_TRUE(viewer.Read(1).empty());
    EXPECT_TRUE(viewer.PeerClosed());
    EXPECT_TRUE(host.Copy(host.Starts).empty());
    EXPECT_FALSE(host.Running);
    ASSERT_TRUE(WaitUntil([&] { return Log().size() == 1; }));
    TWorkLogRecord rec{};
    ASSERT_TRUE(ParseWorkLogLine(Log()[0], rec));
    EXPECT_EQ(rec.Event, 67);
}

TEST_F(LiveServer, BadChannelClosesWithoutAReply) {
    for (int channel : {-1, 2, 49, 0x7FFFFFFF}) {
        TestViewer viewer(base);
        ASSERT_TRUE(viewer.SendRequest(channel));
        EXPECT_TRUE(viewer.Read(1).empty());
        EXPECT_TRUE(viewer.PeerClosed()) << channel;
    }
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(host.Copy(host.Starts).empty());
}

TEST_F(LiveServer, ShortRequestWaitsAndARequestInPiecesIsJudgedWhole) {
    TestViewer viewer(base);
    TChannelOpenRequest r = MakeChannelOpenRequest("h", 1, "", 0, "", "guest", "pw");
    const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
    ASSERT_TRUE(viewer.Send(bytes, 100));
    ::Sleep(300);
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(ViewerCount(List()), 1);
    EXPECT_FALSE(ViewerAt(List(), 0)->Closed);
    ASSERT_TRUE(viewer.Send(bytes + 100, 88));
    ASSERT_TRUE(Admitted());
    ASSERT_TRUE(WaitUntil([&] { return Log().size() == 1; }));
}

TEST_F(LiveServer, TwoRequestsInOneReadAreTakenAsOne) {
    TestViewer viewer(base);
    TChannelOpenRequest two[2] = {MakeChannelOpenRequest("h", 1, "", 0, "", "guest", "pw"),
                                  MakeChannelOpenRequest("h", 1, "", 1, "IFrame", "", "")};
    ASSERT_TRUE(viewer.Send(two, sizeof(two)));
    ASSERT_TRUE(Admitted());
    ::Sleep(300);
    EXPECT_TRUE(host.Copy(host.KeyFrameRequests).empty());
    EXPECT_EQ(Log().size(), 1u);
}

TEST_F(LiveServer, HostileRequestsAreRefusedWithoutHarm) {
    {
        TestViewer viewer(base); // every byte 0xFF: channel -1
        std::vector<uint8_t> junk(188, 0xFF);
        ASSERT_TRUE(viewer.Send(junk.data(), junk.size()));
        EXPECT_TRUE(viewer.Read(1).empty());
        EXPECT_TRUE(viewer.PeerClosed());
    }
    {
        TestViewer viewer(base); // lengths past every field, a valid channel
        std::vector<uint8_t> junk(188, 0xFF);
        const int32_t channel = 0;
        std::memcpy(junk.data() + 108, &channel, 4);
        ASSERT_TRUE(viewer.Send(junk.data(), junk.size()));
        const auto got = viewer.Read(19);
        EXPECT_EQ(got, std::vector<uint8_t>(19, 0xFF));
    }
    {
        TestViewer viewer(base); // a flood of noise
        std::mt19937 rng(7);
        std::vector<uint8_t> noise(256 * 1024);
        for (auto& b : noise)
            b = static_cast<uint8_t>(rng());
        viewer.Send(noise.data(), noise.size());
        viewer.Read(64, 500);
    }
    {
        TestViewer viewer(base); // a piece of a request, then the viewer hangs up
        TChannelOpenRequest r = MakeChannelOpenRequest("h", 1, "", 0, "", "guest", "pw");
        ASSERT_TRUE(viewer.Send(&r, 120));
        ASSERT_TRUE(WaitUntil([&] { return ViewerCount(List()) == 4; }));
        viewer.Close();
        ASSERT_TRUE(WaitUntil([&] { return ViewerAt(List(), 3)->Closed.load() != 0; }));
    }
    EXPECT_EQ(Log().size(), 1u); // only the refusal of the request with a valid channel
    // The server still serves.
    TestViewer good(base);
    ASSERT_TRUE(good.SendRequest(0));
    ASSERT_TRUE(WaitUntil([&] {
        for (const auto& line : Log())
            if (line.find(";68;") != std::string::npos) return true;
        return false;
    }));
}

TEST_F(LiveServer, SenderSkipsToTheOlderOfTheTwoNewestKeyFrames) {
    host.LimitOn = true;
    host.LimitKbps = 8; // 100 bytes per window, and nobody resets the count here
    NetSentBytes = 1000;
    TestViewer viewer(base);
    ASSERT_TRUE(viewer.SendRequest(0));
    ASSERT_TRUE(Admitted());
    std::vector<std::vector<uint8_t>> records = {
        Record(2, 100, 0xA0), Record(1, 100, 0xA1), Record(2, 100, 0xA2), Record(1, 100, 0xA3),
        Record(8, 100, 0xA4), Record(1, 100, 0xA5), Record(2, 100, 0xA6)};
    for (const auto& r : records)
        FanOut(r);
    EXPECT_TRUE(viewer.Read(1, 200).empty()); // the budget is spent
    NetSentBytes = 0;
    host.LimitOn = false;
    std::vector<uint8_t> want;
    for (int i : {0, 3, 4, 5, 6})
        want.insert(want.end(), records[i].begin(), records[i].end());
    EXPECT_EQ(viewer.Read(want.size()), want);
}

TEST_F(LiveServer, BandwidthBudgetIsSharedPerWindow) {
    EXPECT_EQ(BandwidthBudget(800), 10000u);
    host.LimitOn = true;
    host.LimitKbps = 800;
    TestViewer viewer(base);
    ASSERT_TRUE(viewer.SendRequest(0));
    ASSERT_TRUE(Admitted());
    for (int i = 0; i < 10; ++i)
        FanOut(Record(2, 4000, static_cast<uint8_t>(i)));
    // Sends go on while the count is within 10000: 0, 4000 and 8000 pass, 12000 does not.
    EXPECT_EQ(viewer.Read(40000, 1500).size(), 12000u);
    NetSentBytes = 0; // the main window's timer
    EXPECT_EQ(viewer.Read(40000, 1500).size(), 12000u);
    host.LimitOn = false; // off: counted but never tested
    EXPECT_EQ(viewer.Read(16000).size(), 16000u);
    // The sender counts a record once its send returns, which may be after the viewer has it.
    for (int waited = 0; waited < 2000 && NetSentBytes.load() < 28000u; waited += 10)
        ::Sleep(10);
    EXPECT_GE(NetSentBytes.load(), 28000u);
}

TEST_F(LiveServer, ViewerThatHangsUpIsClosedAndFreed) {
    TThreadFreeTCPMainConnecter sweeper(servers);
    auto first = std::make_unique<TestViewer>(base);
    ASSERT_TRUE(first->SendRequest(0));
    ASSERT_TRUE(Admitted());
    ASSERT_EQ(host.State, 42);
    first->Close();
    // The only viewer is gone: the encoder that ran for viewers stops, and the viewer is
    // freed although it was the tail of its list.
    ASSERT_TRUE(WaitUntil([&] { return host.State == -1; }));
    EXPECT_EQ(host.Copy(host.Stops), (std::vector<std::pair<int, char>>{{0, '*'}}));
    ASSERT_TRUE(WaitUntil([&] { return sweeper.Freed() == 1; }));
    EXPECT_EQ(List().Head.load(), nullptr);
    EXPECT_EQ(List().Tail.load(), nullptr);
    EXPECT_EQ(List().OpenCount.load(), 0);

    TestViewer second(base);
    ASSERT_TRUE(second.SendRequest(0));
    ASSERT_TRUE(Admitted());
    EXPECT_EQ(ViewerCount(List()), 1);
    // The connection window's disconnect: the peer sees the end, the viewer is freed.
    List().CloseViewer(*List().Head.load());
    second.Read(1 << 20, 5000);
    EXPECT_TRUE(second.PeerClosed());
    ASSERT_TRUE(WaitUntil([&] { return sweeper.Freed() == 2; }));
    EXPECT_EQ(List().Head.load(), nullptr);
    sweeper.Stop();
}

TEST_F(LiveServer, ClosedViewersAheadOfTheTailAreFreedInOnePass) {
    std::vector<std::unique_ptr<TestViewer>> viewers;
    for (int i = 0; i < 3; ++i) {
        viewers.push_back(std::make_unique<TestViewer>(base));
        ASSERT_TRUE(viewers.back()->SendRequest(0));
        ASSERT_TRUE(Admitted(i));
    }
    TTCPConnecter* tail = ViewerAt(List(), 2);
    viewers[0]->Close();
    viewers[1]->Close();
    ASSERT_TRUE(WaitUntil([&] { return ViewerAt(List(), 1)->Closed.load() != 0; }));
    ASSERT_TRUE(WaitUntil([&] { return ViewerAt(List(), 0)->Closed.load() != 0; }));
    TThreadFreeTCPMainConnecter sweeper(servers);
    ASSERT_TRUE(WaitUntil([&] { return sweeper.Passes() >= 1; }));
    sweeper.Stop();
    EXPECT_EQ(ViewerCount(List()), 1);
    EXPECT_EQ(List().Head.load(), tail);
    EXPECT_EQ(List().Tail.load(), tail);
    EXPECT_EQ(tail->Prev.load(), nullptr);
    EXPECT_TRUE(host.Copy(host.Stops).empty());
    // The open viewer still gets records.
    const auto r = Record(2, 64, 0x5A);
    FanOut(r);
    EXPECT_EQ(viewers[2]->Read(r.size()), r);
}

TEST_F(LiveServer, SilentPeersAreCappedAndClosedAndARealViewerStillGetsIn) {
    // More silent peers than may wait: the oldest make room, never more than the cap wait.
    std::vector<std::unique_ptr<TestViewer>> silent;
    for (int i = 0; i < 200; ++i) {
        silent.push_back(std::make_unique<TestViewer>(base));
        ASSERT_TRUE(silent.back()->Connected());
        ASSERT_LE(List().WaitingCount.load(), kMaxWaitingViewers);
    }
    ASSERT_TRUE(WaitUntil([&] { return List().WaitingCount.load() == kMaxWaitingViewers; }));
    EXPECT_TRUE(silent.front()->Read(1).empty());
    EXPECT_TRUE(silent.front()->PeerClosed());

    // A real viewer is admitted and served among them.
    TestViewer real(base);
    ASSERT_TRUE(real.SendRequest(0));
    ASSERT_TRUE(WaitUntil([&] {
        for (TTCPConnecter* v = List().Head.load(); v; v = v->Next.load())
            if (v->Admitted && v->SendThread) return true;
        return false;
    }));
    const auto r = Record(2, 64, 0x5A);
    FanOut(r);
    EXPECT_EQ(real.Read(r.size()), r);

    // Nobody waits for a first request longer than its deadline.
    ASSERT_TRUE(WaitUntil([&] { return List().WaitingCount.load() == 0; },
                          kFirstRequestTimeoutMs + 15000));
    EXPECT_TRUE(silent.back()->Read(1).empty());
    EXPECT_TRUE(silent.back()->PeerClosed());
    EXPECT_EQ(host.Copy(host.Starts).size(), 1u);
    EXPECT_EQ(Log().size(), 1u);
    FanOut(r);
    EXPECT_EQ(real.Read(r.size()), r);
}

TEST_F(LiveServer, PeersThatConnectAndDropAreAllFreed) {
    TThreadFreeTCPMainConnecter sweeper(servers);
    for (int i = 0; i < 300; ++i) {
        TestViewer peer(base + i % 2);
        ASSERT_TRUE(peer.Connected());
        if (i % 3 == 0) peer.Send("C", 1);
    }
    ASSERT_TRUE(WaitUntil(
        [&] {
            return sweeper.Freed() > 0 && !List(0).Head.load() && !List(1).Head.load();
        },
        60000));
    EXPECT_EQ(List(0).OpenCount.load() + List(1).OpenCount.load(), 0);
    EXPECT_EQ(List(0).WaitingCount.load() + List(1).WaitingCount.load(), 0);
    TestViewer good(base + 1);
    ASSERT_TRUE(good.SendRequest(1));
    ASSERT_TRUE(Admitted(0, 1));
    sweeper.Stop();
}

TEST(RefusalThrottle, RefusedAddressesAreJudgedOnceASecond) {
    using std::chrono::milliseconds;
    TRefusalThrottle throttle;
    EXPECT_EQ(throttle.Reserve("10.0.0.1").count(), 0); // never refused: at once
    throttle.Refused("10.0.0.1");
    EXPECT_GT(throttle.Reserve("10.0.0.1"), milliseconds(900));
    EXPECT_GT(throttle.Reserve("10.0.0.1"), milliseconds(1900)); // each waits its own second
    EXPECT_EQ(throttle.Reserve("10.0.0.2").count(), 0);
    for (int i = 0; i < 5000; ++i)
        throttle.Refused("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256));
    EXPECT_LE(throttle.Size(), 4096u);
}

TEST_F(LiveServer, StartRulesForChannelsAndPorts) {
    TTCPMainServer s49(host), s50(host), clash(host);
    EXPECT_FALSE(s50.Start(base + 100, 50));
    EXPECT_TRUE(s49.Start(base + 99, 49));
    EXPECT_TRUE(s49.Start(base + 98, 49)); // already started: nothing changes
    EXPECT_FALSE(clash.Start(base, 0));    // the port is the channel 0 server's
    s49.Stop();
    EXPECT_FALSE(s49.Started);
}

TEST_F(LiveServer, StoppingWithViewersConnectedEndsEverything) {
    std::vector<std::unique_ptr<TestViewer>> viewers;
    for (int i = 0; i < 3; ++i) {
        viewers.push_back(std::make_unique<TestViewer>(base + i % 2));
        ASSERT_TRUE(viewers.back()->SendRequest(i % 2));
    }
    ASSERT_TRUE(Admitted(0, 0));
    ASSERT_TRUE(Admitted(1, 0));
    ASSERT_TRUE(Admitted(0, 1));
    FanOut(Record(2, 5000, 1));
    servers.StopViewers();
    servers.StopAll();
    for (auto& v : viewers) {
        v->Read(100000, 2000);
        EXPECT_TRUE(v->PeerClosed());
    }
    servers.FanOutFrame(0, 2, reinterpret_cast<const uint8_t*>("x"), 1); // ignored now
}

} // namespace
} // namespace vantrel
