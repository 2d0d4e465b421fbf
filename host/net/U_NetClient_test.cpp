// Network channels end to end on loopback: a live server of this program (over the stand-in
// board, or fed records directly), and a network client that connects to it, plays the
// stream in its player port and records it through the recording engine.
#include "host/net/U_NetClient.h"

#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/net/U_UDPMessages.h"
#include "host/net/serving_host_testing.h"

#include "common/testing/testdata.h"
#include "player/format/file_reader.h"
#include "player/lib/stream_mode.h"
#include "player/lib/strovid_api.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sim/brevix32/SimCtl.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <thread>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Bytes = std::vector<uint8_t>;

// Whatever the client reports wakes the test's waits.
std::mutex SignalLock;
std::condition_variable Signal;
std::atomic<int> Pictures[20];

void Notify() {
    std::lock_guard g(SignalLock);
    Signal.notify_all();
}

void CALLBACK CountPicture(int port, const uint8_t*, int, int, int, uint32_t, int, int) {
    if (port >= 0 && port < 20) ++Pictures[port];
    Notify();
}

// Waits until `done`, woken by every report; states that report nothing (threads ending,
// files growing) are looked at again every 50 ms. The bound is generous: a busy machine
// may take long to connect and stream.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 60000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock lock(SignalLock);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Signal.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
}

struct FakeNetHost : TNetClientHost {
    int channels = 4;
    std::mutex lock;
    std::vector<int> events;
    std::vector<std::string> files;
    std::vector<int> playing, recording, stopped;
    std::vector<std::pair<int, int32_t>> subscriptions; // port, channel

    int ChannelCount() override { return channels; }
    int BoardChannelCount() override { return 0; }
    std::string OwnIP() override { return "127.0.0.1"; }
    std::string UserName() override { return "admin"; }
    void AddLogRecord(std::string_view line) override {
        TWorkLogRecord r{};
        ASSERT_TRUE(ParseWorkLogLine(line, r)) << line;
        {
            std::lock_guard g(lock);
            events.push_back(r.Event);
        }
        Notify();
    }
    void AddCaptureFile(std::string_view, int, std::string_view entry) override {
        {
            std::lock_guard g(lock);
            files.emplace_back(entry);
        }
        Notify();
    }
    void SendUdp(const void* data, int length, int port, const std::string& host) override {
        EXPECT_EQ(length, 36);
        EXPECT_EQ(host, "127.0.0.1");
        UdpMsgAlarmSubscribe m{};
        std::memcpy(&m, data, sizeof(m));
        std::lock_guard g(lock);
        subscriptions.emplace_back(port, m.Channel);
    }
    void ShowPlaying(int slot) override { Push(playing, slot); }
    void ShowRecording(int slot) override { Push(recording, slot); }
    void ShowRecordingStopped(int slot) override { Push(stopped, slot); }

    void Push(std::vector<int>& list, int slot) {
        {
            std::lock_guard g(lock);
            list.push_back(slot);
        }
        Notify();
    }
    int Count(int event) {
        std::lock_guard g(lock);
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }
    template <typename T> T Copy(const T& v) {
        std::lock_guard g(lock);
        return v;
    }
};

struct NoBoard : TBoardEncoders {
    int ChannelCount() const override { return 0; }
    int StartCapture(int) override { return 0; }
    int StopCapture(int) override { return 0; }
    int RequestKeyFrame(int) override { return 0; }
};

// The recording engine's host on a station without a board: its network recordings go
// through the client.
struct ClientCaptureHost : FakeCaptureHost {
    TNetClient* net = nullptr;
    TNetPane* panes = nullptr;
    bool PanePreviewing(int channel) override { return panes[channel].Previewing; }
    void OpenNetworkRecording(int index) override { net->OpenRecording(index); }
    void CloseNetworkRecording(int index) override { net->CloseRecording(index); }
};

int FreeBase() {
    return FreeLivePortBase(4);
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (uint64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

// Frame records of a stream that starts at a record: heads skipped, counted up to the first
// byte that is not a whole record; `cut` tells whether bytes of a record are left after them.
int CountFrameRecords(const Bytes& s, bool& cut) {
    size_t at = 0;
    int n = 0;
    while (at + 19 <= s.size() && s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1) {
        if (s[at + 3] == 0xC6) {
            at += 19;
            continue;
        }
        if (s[at + 3] != 0xC7 || at + 18 > s.size()) break;
        uint32_t length = 0;
        std::memcpy(&length, &s[at + 14], 4);
        if (at + 18 + length > s.size()) break;
        at += 18 + length;
        ++n;
    }
    cut = at < s.size();
    return n;
}

// What the player library's file reader reads of a recording: records until the end.
struct ReadBack {
    bool head = false;
    int records = 0, keys = 0;
};
ReadBack ReadRecording(const Bytes& bytes) {
    ReadBack out;
    dvr::MemoryFile file(bytes);
    dvr::PortFileState state;
    out.head = dvr::OpenRecordFile(&state, file);
    if (!out.head) return out;
    for (int i = 0; i < 1000000; ++i) {
        const int kind = dvr::ReadOneFrameEx(&state, 0, &file);
        if (kind == dvr::kRecordEnd) break;
        if (kind == dvr::kRecordNoPicture) continue;
        ++out.records;
        if (kind == dvr::kRecordKey) ++out.keys;
    }
    return out;
}

class NetClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& p : Pictures)
            p = 0;
        for (int i = 0; i < 4; ++i) {
            windows_[i] = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 360 * i, 0,
                                            352, 288, nullptr, nullptr, nullptr, nullptr);
            panes_[i].Control = windows_[i];
            RE4Ravi_SetDisplayCallBack(i, &CountPicture);
        }
        clientSet_ = std::make_unique<TNetClientSet>(arithmetic_, other_, 0);
        clientSet_->Channels.clear();
        clientSet_->Groups.clear();
    }
    void TearDown() override {
        net_.reset();
        for (int i = 0; i < 4; ++i) {
            RE4Ravi_SetDisplayCallBack(i, nullptr);
            ::DestroyWindow(windows_[i]);
        }
    }

    // One remote host on loopback with the given live port base, and its channels in slots.
    void UseHost(int base, const char* password, std::initializer_list<int> remoteChannels) {
        TClientGroup g{};
        g.HostAddress.Set("127.0.0.1");
        g.UserName.Set("guest");
        g.Password.Set(password);
        g.Ports.Port[0] = base;
        g.Ports.Port[14] = 57123;
        clientSet_->Groups.push_back(g);
        for (int remote : remoteChannels) {
            TClientChannelRecord r{};
            r.InUse = 1;
            r.RemoteChannel = static_cast<uint8_t>(remote);
            r.GroupIndex = 0;
            clientSet_->Channels.push_back(r);
        }
        net_ = std::make_unique<TNetClient>(host_, *clientSet_);
        for (int s = 0; s < 4; ++s)
            net_->SetPane(s, &panes_[s]);
        net_->BindCaptureSlots(capture_, 0);
        captureHost_.net = net_.get();
        captureHost_.panes = panes_;
    }
    TTCPDataClient& Client(int s) { return *net_->Clients[s]; }
    TCaptureSlot& Slot(int s) { return capture_.Slots[s]; }
    bool Idle(int s) {
        return !Client(s).Connected && !Client(s).Connecting && net_->RunningThreads() == 0;
    }

    HWND windows_[4] = {};
    TNetPane panes_[4];
    FakeNetHost host_;
    TArithmetic arithmetic_;
    TSystemOtherSet other_{arithmetic_};
    std::unique_ptr<TNetClientSet> clientSet_;
    RecordingStorage storage_{"netclient_rec"};
    NoBoard noBoard_;
    ClientCaptureHost captureHost_;
    TCapture capture_{noBoard_, *storage_.manager, *storage_.files, captureHost_};
    std::unique_ptr<TNetClient> net_;
};

TEST(NetClientSlots, ChannelsInUseFillTheSlotsInOrderAndAHostsChannelsOverlayThem) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet set(arithmetic, other, 0);
    set.Channels.clear();
    set.Groups.assign(1, TClientGroup{});
    for (int i = 0; i < 4; ++i) {
        TClientChannelRecord r{};
        r.InUse = i != 1;
        r.RemoteChannel = static_cast<uint8_t>(10 + i);
        r.GroupIndex = 0;
        set.Channels.push_back(r);
    }
    set.Groups[0].ChannelCount = 1;
    set.Groups[0].Channels[0].RemoteChannel = 7;
    set.Groups[0].Channels[0].GroupIndex = 0;
    FakeNetHost host;
    TNetClient net(host, set);
    EXPECT_EQ(net.SlotTable[0].RemoteChannel, 10);
    EXPECT_EQ(net.SlotTable[1].RemoteChannel, 12);
    EXPECT_EQ(net.SlotTable[2].RemoteChannel, 13);
    for (int s = 3; s < kNetSlots; ++s) {
        EXPECT_EQ(net.SlotTable[s].GroupIndex, -1);
        EXPECT_EQ(net.SlotTable[s].InUse, 0);
    }
    for (int s = 0; s < kNetSlots; ++s)
        EXPECT_EQ(net.Clients[s]->PlayerPort, s);
    net.LoadGroupChannels(0);
    EXPECT_EQ(net.SlotTable[0].RemoteChannel, 7);
    EXPECT_EQ(net.SlotTable[1].RemoteChannel, 12) << "later slots keep what they held";
    // A slot without a host opens nothing.
    net.OpenPreview(5);
    EXPECT_EQ(net.RunningThreads(), 0);
}

TEST_F(NetClientTest, BoardChannelsOfAnotherHostArePlayedAndRecorded) {
    // The serving host: the stand-in board with two cameras and its live servers.
    BoardServingHost server("netclient_board", {"cif_ip.brs", "cif_ip.brs"}, arithmetic_, other_);
    ASSERT_TRUE(server.Ok());
    const int base = server.Base;
    const TCapture& serverCapture = server.Capture;

    UseHost(base, "pw", {0, 1});

    // Slot 0 previews: the stream head opens port 0 and its pictures are decoded.
    net_->OpenPreview(0);
    ASSERT_TRUE(
        WaitFor([&] { return host_.Count(kEventPreviewStarted) == 1 && Pictures[0] >= 10; }));
    EXPECT_TRUE(panes_[0].Playing);
    EXPECT_EQ(host_.Copy(host_.playing), std::vector<int>{0});
    EXPECT_TRUE(Slot(0).HeaderSaved) << "the head is kept for the channel's files";
    EXPECT_EQ(Bytes(Slot(0).SavedHeader, Slot(0).SavedHeader + 19),
              Bytes(serverCapture.Slots[0].SavedHeader, serverCapture.Slots[0].SavedHeader + 19));
    EXPECT_EQ(host_.Copy(host_.subscriptions), (std::vector<std::pair<int, int32_t>>{{57123, 0}}));

    // Recording the previewed channel: the engine opens the file, the stream goes on into it.
    ASSERT_EQ(capture_.StartChannel(0, '+', 0), 0);
    EXPECT_EQ(Slot(0).State, kStateNetwork);
    ASSERT_TRUE(WaitFor([&] { return Slot(0).FileOpen.load(); }));
    const std::string file0 = Slot(0).FileName;

    // Slot 1 records only: the engine asks the client to connect.
    ASSERT_EQ(capture_.StartChannel(1, '+', 0), 0);
    ASSERT_TRUE(
        WaitFor([&] { return Slot(1).FileOpen.load() && host_.Count(kEventNetRecording) == 2; }));
    const std::string file1 = Slot(1).FileName;
    EXPECT_EQ(host_.Copy(host_.files).size(), 2u);
    EXPECT_EQ(host_.Copy(host_.files)[1], file1 + "#" + std::to_string(Slot(1).FileHandle.load()));

    // The engine switches slot 1's file (as its file cutting does): the client is asked to
    // open the recording again and goes on over the connection it has, into the new file.
    // Switch only once the first file holds whole records: a slow machine may have written
    // no more than one key picture when it passes a byte count.
    ASSERT_TRUE(WaitFor(
        [&] {
            bool cut = false;
            return CountFrameRecords(ReadWholeFile(file1), cut) >= 3;
        },
        60000));
    storage_.Tick();
    ASSERT_EQ(capture_.StartNetworkRecording(1, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return host_.Count(kEventNetRecording) == 3; }));
    const std::string file1b = Slot(1).FileName;
    EXPECT_NE(file1b, file1);
    EXPECT_TRUE(Client(1).Connected);
    ASSERT_TRUE(WaitFor([&] { return FileSize(file1b) > 20000; }));
    const uint64_t size1 = FileSize(file1);
    const Bytes head1b = ReadWholeFile(file1b);
    EXPECT_EQ(Bytes(head1b.begin(), head1b.begin() + 19),
              Bytes(Slot(1).SavedHeader, Slot(1).SavedHeader + 19))
        << "a switched file starts with the saved head";
    EXPECT_GE(ReadRecording(head1b).records, 1);

    // Closing the preview keeps the connection while the channel records.
    net_->ClosePreview(0);
    EXPECT_FALSE(panes_[0].Previewing);
    EXPECT_TRUE(Client(0).Connected);
    const uint64_t size0 = FileSize(file0);
    ASSERT_TRUE(
        WaitFor([&] { return FileSize(file0) > size0 + 20000 && FileSize(file1b) > 60000; }));
    EXPECT_EQ(FileSize(file1), size1) << "the first file was closed at the switch";
    EXPECT_EQ(Pictures[1], 0) << "a channel that only records is never shown";

    EXPECT_EQ(capture_.StopChannel(0, '+'), 0);
    EXPECT_EQ(capture_.StopChannel(1, '+'), 0);
    ASSERT_TRUE(WaitFor([&] { return Idle(0) && Idle(1); }));
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(Slot(s).FileHandle, -1);
        EXPECT_FALSE(Slot(s).CaptureRunning);
        EXPECT_EQ(Slot(s).State, kStateIdle);
    }
    EXPECT_EQ(host_.Copy(host_.stopped), (std::vector<int>{0, 1}));
    EXPECT_EQ(host_.Count(kEventPreviewStopped), 1);
    EXPECT_EQ(host_.Count(kEventNetRecording), 5);

    // Slot 1's file: the saved head, the stream's own head, then whole records to the end.
    const Bytes bytes1 = ReadWholeFile(file1);
    ASSERT_GT(bytes1.size(), 38u);
    EXPECT_EQ(Bytes(bytes1.begin(), bytes1.begin() + 19),
              Bytes(bytes1.begin() + 19, bytes1.begin() + 38));
    const ReadBack r1 = ReadRecording(bytes1);
    EXPECT_TRUE(r1.head);
    EXPECT_GE(r1.keys, 1);
    // The file was switched between two blocks, so it may end inside a record; the reader
    // counts that one too.
    bool cut = false;
    const int whole = CountFrameRecords(bytes1, cut);
    EXPECT_GE(whole, 2);
    EXPECT_EQ(r1.records, whole + (cut ? 1 : 0));
    // Slot 0's file joins the stream where a block begins: the reader finds its way in.
    const ReadBack r0 = ReadRecording(ReadWholeFile(file0));
    EXPECT_TRUE(r0.head);
    EXPECT_GT(r0.records, 10);

    server.Stop();
}

TEST_F(NetClientTest, RefusedViewersLogTheRefusalOnceAndEndIdle) {
    FakeLiveHost server;
    FedLiveServer fed(server, 2);
    ASSERT_TRUE(fed.Ok());
    UseHost(fed.Base(), "wrong", {0, 0});

    net_->OpenPreview(0);
    ASSERT_EQ(capture_.StartChannel(1, '+', 0), 0);
    ASSERT_TRUE(
        WaitFor([&] { return host_.Count(kEventStreamRefused) == 2 && Idle(0) && Idle(1); }));
    EXPECT_FALSE(panes_[0].Previewing);
    EXPECT_FALSE(panes_[0].Playing);
    EXPECT_FALSE(Slot(1).CaptureRunning);
    EXPECT_FALSE(Slot(1).FileOpen);
    EXPECT_EQ(Slot(1).FileHandle, -1) << "the file is closed";
    EXPECT_TRUE(host_.Copy(host_.playing).empty());
    EXPECT_EQ(host_.Count(kEventPreviewStarted), 0);
    EXPECT_EQ(host_.Count(kEventNetRecording), 0);
    EXPECT_TRUE(host_.Copy(host_.subscriptions).empty());
    EXPECT_EQ(RE4Ravi_InputData(0, Slot(0).SavedHeader, 1), 0) << "no player port was opened";
    const auto log = server.Copy(server.Log);
    ASSERT_EQ(log.size(), 2u);
    for (const auto& line : log)
        EXPECT_NE(line.find(";67;"), std::string::npos) << line;
}

TEST_F(NetClientTest, ARefusalCutIntoPiecesIsStillTakenAsOne) {
    // A bare listener in place of a host: it takes the request and sends the refusal head in
    // two pieces, the first shorter than a stream head.
    const int base = FreeBase();
    ASSERT_NE(base, 0);
    TTCPServer listener;
    ASSERT_TRUE(listener.Bind(static_cast<uint16_t>(base)));
    ASSERT_EQ(::WSAEventSelect(listener.Socket.get(), listener.NetEvent.get(), 0), 0);
    u_long blocking = 0;
    ::ioctlsocket(listener.Socket.get(), FIONBIO, &blocking);
    ASSERT_EQ(::listen(listener.Socket.get(), 1), 0);
    std::thread host([&] {
        dvr::win::Socket viewer(::accept(listener.Socket.get(), nullptr, nullptr));
        char request[kChannelOpenRequestSize];
        int got = 0;
        while (got < kChannelOpenRequestSize) {
            const int n = ::recv(viewer.get(), request + got, kChannelOpenRequestSize - got, 0);
            if (n <= 0) return;
            got += n;
        }
        ::send(viewer.get(), reinterpret_cast<const char*>(StreamRefusalHead), 5, 0);
        ::Sleep(100); // lets the first piece arrive on its own
        ::send(viewer.get(), reinterpret_cast<const char*>(StreamRefusalHead) + 5,
               kStreamHeadSize - 5, 0);
        char c;
        ::recv(viewer.get(), &c, 1, 0); // until the viewer hangs up
    });
    UseHost(base, "pw", {0});
    net_->OpenPreview(0);
    const bool refused = WaitFor([&] { return host_.Count(kEventStreamRefused) == 1 && Idle(0); });
    net_->ClosePreview(0); // hangs up, whatever happened, so that the listener ends
    host.join();
    ASSERT_TRUE(refused);
    EXPECT_EQ(host_.Count(kEventPreviewFailed), 0);
    EXPECT_FALSE(panes_[0].Previewing);
}

TEST_F(NetClientTest, AHostThatGoesAwayMidStreamClosesTheChannel) {
    FakeLiveHost server;
    auto fed = std::make_unique<FedLiveServer>(server, 2);
    ASSERT_TRUE(fed->Ok());
    UseHost(fed->Base(), "pw", {0});

    net_->OpenPreview(0);
    ASSERT_TRUE(WaitFor([&] { return Pictures[0] >= 5; }));
    ASSERT_EQ(capture_.StartChannel(0, '+', 0), 0);
    ASSERT_TRUE(WaitFor([&] { return Slot(0).FileOpen.load(); }));
    const std::string file = Slot(0).FileName;
    ASSERT_TRUE(WaitFor([&] { return FileSize(file) > 20000; }));

    fed->GoAway();
    ASSERT_TRUE(WaitFor([&] { return Idle(0); }));
    EXPECT_FALSE(panes_[0].Previewing);
    EXPECT_FALSE(panes_[0].Playing);
    EXPECT_FALSE(Slot(0).CaptureRunning);
    EXPECT_EQ(Slot(0).FileHandle, -1);
    EXPECT_EQ(Slot(0).State, kStateIdle);
    const ReadBack r = ReadRecording(ReadWholeFile(file));
    EXPECT_TRUE(r.head);
    EXPECT_GT(r.records, 5);

    // With the host gone a new open fails and leaves nothing running.
    fed.reset();
    net_->OpenPreview(0);
    ASSERT_TRUE(WaitFor([&] { return !panes_[0].Previewing && Idle(0); }));
    // Closing what is closed already changes nothing.
    net_->ClosePreview(0);
    EXPECT_TRUE(Idle(0));
    // A recording whose connect fails does not stay "running" on an empty file.
    ASSERT_EQ(capture_.StartChannel(0, '+', 0), 0);
    ASSERT_TRUE(WaitFor([&] { return !Slot(0).CaptureRunning && Idle(0); }));
    EXPECT_EQ(Slot(0).FileHandle, -1);
    EXPECT_FALSE(Slot(0).FileOpen);
}

TEST_F(NetClientTest, OpeningAndClosingQuicklyLeavesNoThreadBehind) {
    FakeLiveHost server;
    FedLiveServer fed(server, 2);
    ASSERT_TRUE(fed.Ok());
    UseHost(fed.Base(), "pw", {0});

    for (int i = 0; i < 20; ++i) {
        net_->OpenPreview(0);
        // Closed at every stage: before the connect, while it runs, and while playing.
        if (i % 4 == 1) {
            ASSERT_TRUE(WaitFor([&] { return Client(0).Connected.load(); }));
        }
        if (i % 4 == 3) {
            ASSERT_TRUE(WaitFor([&] { return panes_[0].Playing.load(); }));
        }
        net_->ClosePreview(0);
    }
    ASSERT_TRUE(WaitFor([&] { return Idle(0); }));
    EXPECT_FALSE(panes_[0].Previewing);
    EXPECT_EQ(host_.Count(kEventPreviewStopped), 20);

    // The slot still works afterwards.
    const int started = host_.Count(kEventPreviewStarted);
    const int pictures = Pictures[0];
    net_->OpenPreview(0);
    ASSERT_TRUE(WaitFor([&] {
        return host_.Count(kEventPreviewStarted) == started + 1 && Pictures[0] > pictures + 5;
    }));
    net_->ClosePreview(0);
    ASSERT_TRUE(WaitFor([&] { return Idle(0); }));
}

// The two channel clips the board-serving hosts below play.
bool ChannelClipsPresent() {
    for (const char* clip : {"ch01.brs", "ch02.brs"})
        if (::GetFileAttributesA(dvr::testing::TestDataPath(clip).c_str()) ==
            INVALID_FILE_ATTRIBUTES)
            return false;
    return true;
}

// A pane closed and opened again shows its channel again, whether the serving host still runs
// the encoder for the channel (a key frame is asked for) or had stopped it for its last viewer
// (a capture starts again): the key frame the viewer joins on must be decodable on its own.
TEST_F(NetClientTest, APreviewClosedAndOpenedAgainShowsPicturesAgain) {
    if (!ChannelClipsPresent()) GTEST_SKIP() << "no channel clips";
    BoardServingHost server("netclient_reopen", {"ch01.brs", "ch02.brs"}, arithmetic_, other_);
    ASSERT_TRUE(server.Ok());
    UseHost(server.Base, "pw", {0, 1});
    net_->OpenPreview(0);
    net_->OpenPreview(1);
    ASSERT_TRUE(WaitFor([&] { return Pictures[0] >= 5 && Pictures[1] >= 5; }));
    TTCPMainConnecter& viewers = *server.Live.Viewers(1);
    for (int round = 0; round < 6; ++round) {
        net_->ClosePreview(1);
        ASSERT_TRUE(WaitFor([&] { return viewers.OpenCount.load() == 0; }));
        // Every other round the host's sweeper is given time to stop the encoder first.
        if (round % 2 == 1) {
            ASSERT_TRUE(WaitFor([&] { return !server.Capture.Slots[1].CaptureRunning.load(); }));
        }
        const int before = Pictures[1];
        net_->OpenPreview(1);
        EXPECT_TRUE(WaitFor([&] { return Pictures[1] >= before + 3; }))
            << "round " << round << ": the reopened pane stays black";
    }
    // The other channel went on throughout.
    const int zero = Pictures[0];
    EXPECT_TRUE(WaitFor([&] { return Pictures[0] > zero; }));
    net_->ClosePreview(0);
    net_->ClosePreview(1);
    ASSERT_TRUE(WaitFor([&] { return Idle(0) && Idle(1); }));
    server.Stop();
}

// The last viewer's encoder is stopped the way the host's sweeper does it (under the encoder
// lock, only while no admitted viewer is open), at several moments around a new viewer's
// join: before its connection, while its request is judged, and after it is admitted. Every
// reopened pane must show pictures, whichever side of the stop the join falls on.
TEST_F(NetClientTest, AViewerJoiningAroundTheLastViewersEncoderStopSeesPictures) {
    if (!ChannelClipsPresent()) GTEST_SKIP() << "no channel clips";
    BoardServingHost server("netclient_rejoin", {"ch01.brs", "ch02.brs"}, arithmetic_, other_);
    ASSERT_TRUE(server.Ok());
    // The stops come from the test alone, at the moments it picks.
    server.Sweeper->Stop();
    UseHost(server.Base, "pw", {0, 1});
    TTCPMainConnecter& viewers = *server.Live.Viewers(1);
    auto stopLikeTheSweeper = [&] {
        std::lock_guard<std::mutex> encoder(viewers.EncoderLock);
        for (TTCPConnecter* v = viewers.Head.load(); v; v = v->Next.load())
            if (!v->Closed && v->Admitted) return;
        server.Capture.StopChannel(1, '*');
    };
    net_->OpenPreview(1);
    ASSERT_TRUE(WaitFor([&] { return Pictures[1] >= 3; }));
    // Milliseconds from the open to the stop; negative: the stop comes first.
    for (int delay : {-200, -30, -5, 0, 5, 15, 30, 60, 100, 200, 400}) {
        net_->ClosePreview(1);
        ASSERT_TRUE(WaitFor([&] { return viewers.OpenCount.load() == 0 && Idle(1); }));
        ASSERT_TRUE(server.Capture.Slots[1].CaptureRunning.load());
        Pictures[1] = 0;
        std::thread stopper;
        if (delay < 0) {
            stopLikeTheSweeper();
            ::Sleep(DWORD(-delay));
            net_->OpenPreview(1);
        } else {
            stopper = std::thread([&, delay] {
                ::Sleep(DWORD(delay));
                stopLikeTheSweeper();
            });
            net_->OpenPreview(1);
        }
        if (stopper.joinable()) stopper.join();
        EXPECT_TRUE(WaitFor([&] { return Pictures[1] >= 3; }, 30000))
            << "stop " << delay << " ms after the open: the pane stays black";
    }
    net_->ClosePreview(1);
    ASSERT_TRUE(WaitFor([&] { return Idle(1); }));
    server.Stop();
}

} // namespace
} // namespace vantrel
