// The server and the client over real loopback UDP, with the user and address lists of
// TClientCheck.
#include "host/net/U_UDPMessageServer.h"

#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_HostMessages.h"
#include "host/engine/host_engine_testing.h"
#include "host/net/U_UDPMessageClient.h"
#include "host/net/U_UDPReplyWindows.h"
#include "host/net/udp_testing.h"
#include "host/net/udp_win_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace vantrel {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;
using testing::Peer;

// The fake engine, with the checks of the real remote lists.
struct CheckedHost : testing::FakeUdpHost {
    explicit CheckedHost(const std::string& folder) : set(folder, nullptr), check(set) {}
    bool CheckUser(std::string_view n, std::string_view p, int r, int i, int s) override {
        return check.CheckUser(n, p, r, i, s);
    }
    bool CheckIP(std::string_view a, int r, int i, int s) override {
        return check.CheckIP(a, r, i, s);
    }
    bool RemoteListsInUse() override { return check.ListsInUse(); }
    bool AddressListed(std::string_view a) override { return check.AddressListed(a); }
    TClientCheckSet set;
    TClientCheck check;
};

class UdpServerTest : public ::testing::Test {
protected:
    // Writes the remote lists and makes the checks read them.
    void Lists(const std::vector<TRemoteUserRecord>& users,
               const std::vector<TRemoteIPRecord>& ips) {
        host.set.SaveUserFile(users.data(), int(users.size() * sizeof(TRemoteUserRecord)));
        host.set.SaveIPFile(ips.data(), int(ips.size() * sizeof(TRemoteIPRecord)));
        host.set.Load();
    }
    // Sends a request, then a heartbeat: whatever arrives before the heartbeat's echo is the
    // request's answer (loopback keeps the order, the dispatch takes one at a time).
    template <typename T> std::vector<std::vector<uint8_t>> Ask(const T& m) {
        peer.Send(m, server.Port());
        return Drain();
    }
    std::vector<std::vector<uint8_t>> AskBytes(const std::vector<uint8_t>& b) {
        peer.SendBytes(b, server.Port());
        return Drain();
    }
    std::vector<std::vector<uint8_t>> Drain() {
        peer.Send(MakeNetDog(), server.Port());
        std::vector<std::vector<uint8_t>> answers;
        for (;;) {
            auto got = peer.Receive();
            if (!got) {
                ADD_FAILURE() << "no echo";
                return answers;
            }
            if (*got == Bytes(MakeNetDog())) return answers;
            answers.push_back(std::move(*got));
        }
    }

    std::string folder = testing::FreshProgramFolder("host_udp_server");
    CheckedHost host{folder};
    TUDPMessageServer server{host, 0};
    Peer peer;
};

TEST_F(UdpServerTest, RequestsAreAnsweredToTheRequestingSocket) {
    host.state.ChannelCount = 6;
    host.state.Armed[1] = 1;
    auto answers = Ask(MakeStateQuery());
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], Bytes(host.state));

    for (int i = 0; i < 12; ++i) {
        TWorkLogRecord r{};
        r.Event = uint8_t(i);
        host.log.push_back(r);
    }
    answers = Ask(UdpMsgWorkLogQuery{10, 3}); // two records left in the log
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[1], Bytes(host.log[11]));
    EXPECT_EQ(answers[2][8], 0x9C);
}

TEST_F(UdpServerTest, MalformedAndUnknownDatagramsGetNoAnswer) {
    UdpMsgStateQuery wrong = MakeStateQuery();
    wrong.Keyword.text[0] = 's';
    EXPECT_TRUE(Ask(wrong).empty());
    for (size_t n : {1, 3, 20, 127, 128, 198, 5000, 9887})
        EXPECT_TRUE(AskBytes(std::vector<uint8_t>(n, 0x41)).empty()) << n;
    UdpMsgGetSettings q{};
    q.Kind = 9;
    q.Keyword.Set("RemoteGetSystemSet");
    EXPECT_TRUE(Ask(q).empty());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(UdpServerTest, SettingsWritesFollowTheRemoteLists) {
    auto user = testing::RemoteUser("op", "pw");
    user.Rights[1].Items[1].Enabled = 0; // recording page refused
    Lists({user}, {testing::RemoteIP("127.0.0.1")});

    UdpMsgSetCaptureSettings cap{};
    cap.Channel = 2;
    cap.Record.FrameRate = 15;
    cap.UserName.Set("op");
    cap.Password.Set("pw");
    EXPECT_TRUE(Ask(cap).empty());
    EXPECT_EQ(host.capture[2].FrameRate, 0);

    UdpMsgSetPreviewSettings pre{};
    pre.Channel = 2;
    pre.Record.Title.Set("door");
    pre.UserName.Set("op");
    pre.Password.Set("pw");
    auto answers = Ask(pre);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], Bytes(MakeSetSuccess()));
    EXPECT_EQ(host.preview[2].Title.View(), "door");

    // The sender's address must be listed: 127.0.0.1 refused the page.
    auto ip = testing::RemoteIP("127.0.0.1");
    ip.Rights[1].Items[0].Enabled = 0;
    Lists({testing::RemoteUser("op", "pw")}, {ip});
    pre.Record.Title.Set("gate");
    EXPECT_TRUE(Ask(pre).empty());
    EXPECT_EQ(host.preview[2].Title.View(), "door");
}

TEST_F(UdpServerTest, AddressesWrittenInTheDatagramOpenNothing) {
    // The lists name another address; the datagrams come from 127.0.0.1 but carry the listed
    // one.
    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("10.3.3.3")});
    UdpMsgRemoteControl close{};
    close.Command = 2;
    close.UserName.Set("op");
    close.Password.Set("pw");
    close.OwnAddress.Set("10.3.3.3");
    Ask(close);
    UdpMsgPtzCommand ptz{};
    ptz.OwnAddress.Set("10.3.3.3");
    ptz.UserName.Set("op");
    ptz.Password.Set("pw");
    Ask(ptz);
    UdpMsgChannelCommand cc{};
    cc.Channels[0] = 1;
    cc.UserName.Set("op");
    cc.Password.Set("pw");
    cc.OwnAddress.Set("10.3.3.3");
    Ask(cc);
    EXPECT_TRUE(host.calls.empty());

    // Listed as itself, the same requests are carried out whatever they say of themselves.
    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("127.0.0.1")});
    close.OwnAddress.Set("10.9.9.9");
    Ask(close);
    ptz.OwnAddress.Set("10.9.9.9");
    Ask(ptz);
    EXPECT_THAT(host.calls, ElementsAre("post " + std::to_string(WM_REMOTECLOSE) + " 0 0",
                                        "ptz start 0 0 0 0"));
}

TEST_F(UdpServerTest, HostileDatagramsLeakNothingAndStopNothing) {
    // Questions without credentials from an address the lists do not know: not answered
    // (a forged source would turn the host into an amplifier); the heartbeat still is.
    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("10.3.3.3")});
    host.log.resize(50);
    host.dayIndexes = {0};
    host.dayTimes = {45000};
    UdpMsgDiskInfoQuery disk{};
    disk.Keyword.Set("ViewDiskInfo");
    EXPECT_TRUE(Ask(MakeStateQuery()).empty());
    EXPECT_TRUE(Ask(UdpMsgWorkLogQuery{0, 200}).empty());
    EXPECT_TRUE(Ask(disk).empty());
    EXPECT_TRUE(host.calls.empty());

    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("127.0.0.1")});
    host.other.WindowsLogonPassword.Set("logon-secret");
    host.other.RemotePassword.Set("pw");
    UdpMsgGetSettings get{};
    get.Keyword.Set("RemoteGetSystemSet");
    // No settings session: no record of any kind.
    for (int kind = 0; kind <= 7; ++kind) {
        get.Kind = uint8_t(kind);
        EXPECT_TRUE(Ask(get).empty()) << kind;
    }
    // A bare command 6 stops nothing.
    std::vector<uint8_t> bare(sizeof(UdpMsgRemoteControl), 0);
    bare[0] = 6;
    EXPECT_TRUE(AskBytes(bare).empty());
    EXPECT_TRUE(host.calls.empty());

    // After a settings connect: the records, but never the remote lists or a password.
    UdpMsgSettingsConnect sc{};
    sc.Keyword.Set("RemoteSystemSetConnect");
    sc.UserName.Set("op");
    sc.Password.Set("pw");
    ASSERT_EQ(Ask(sc).size(), 1u);
    get.Kind = 5;
    EXPECT_TRUE(Ask(get).empty());
    get.Kind = 7;
    const auto answers = Ask(get);
    ASSERT_EQ(answers.size(), 1u);
    const std::string bytes(answers[0].begin(), answers[0].end());
    EXPECT_EQ(bytes.find("logon-secret"), std::string::npos);
    EXPECT_EQ(bytes.find("pw"), std::string::npos);
}

TEST_F(UdpServerTest, AnOpenHostKeepsItsSecretsAndBoundsItsAnswers) {
    // No remote list has an entry: every check passes, as on a new installation.
    host.other.WindowsLogonPassword.Set("logon-secret");
    host.other.RemotePassword.Set("pw");
    host.log.resize(3000);
    host.dayTimes = {45000, 45001};
    host.dayIndexes = {0, 2500};
    // A work-log question for 2^31 records gets what the day holds, at most 200, and the end.
    EXPECT_EQ(Ask(UdpMsgWorkLogQuery{0, 0x7FFFFFFF}).size(), size_t(kMaxWorkLogAnswer) + 1);
    EXPECT_EQ(Ask(UdpMsgWorkLogQuery{2450, 0x7FFFFFFF}).size(), 51u);
    EXPECT_TRUE(Ask(UdpMsgWorkLogQuery{3000, 5}).empty());

    UdpMsgSettingsConnect sc{};
    sc.Keyword.Set("RemoteSystemSetConnect");
    sc.UserName.Set("anyone");
    ASSERT_EQ(Ask(sc).size(), 1u);
    UdpMsgGetSettings get{};
    get.Keyword.Set("RemoteGetSystemSet");
    get.Kind = 5;
    EXPECT_TRUE(Ask(get).empty());
    get.Kind = 7;
    const auto answers = Ask(get);
    ASSERT_EQ(answers.size(), 1u);
    const std::string bytes(answers[0].begin(), answers[0].end());
    EXPECT_EQ(bytes.find("logon-secret"), std::string::npos);
    EXPECT_EQ(bytes.find("pw"), std::string::npos);

    // Command 6 and the power commands pass their checks like any other control command.
    host.calls.clear();
    std::vector<uint8_t> bare(sizeof(UdpMsgRemoteControl), 0);
    bare[0] = 6;
    EXPECT_TRUE(AskBytes(bare).empty());
    bare[0] = 0;
    EXPECT_TRUE(AskBytes(bare).empty());
    EXPECT_THAT(host.calls, ElementsAre("post " + std::to_string(WM_POWERACTION) + " -1 -1",
                                        "post " + std::to_string(WM_POWERACTION) + " 0 0"));
}

// The requesting side's windows: receive areas, a message window that notes what it got and
// what its receive area held when the message came.
struct WindowsUnderTest : TUDPReplyWindows {
    WindowsUnderTest() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &WindowsUnderTest::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"UdpTestReplyWindow";
        ::RegisterClassExW(&wc);
        window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~WindowsUnderTest() override { ::DestroyWindow(window); }

    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<WindowsUnderTest*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (self && m >= WM_USER) {
            self->got.push_back({m, wp, lp});
            if (m == WM_DISKINFO) self->areas[ReplyWindow::DiskView].Load(self->diskSeen);
            if (m == WM_NETDOGREPLY && lp == kNetDogWorkStateReply)
                self->areas[ReplyWindow::NetDog].Load(self->stateSeen);
            return 0;
        }
        return ::DefWindowProcW(w, m, wp, lp);
    }
    void Post(ReplyWindow, unsigned m, intptr_t wp, intptr_t lp) override {
        ::PostMessageW(window, m, WPARAM(wp), LPARAM(lp));
    }
    std::vector<std::string> NetDogAddresses() override { return {"127.0.0.1"}; }
    TReceiveArea* Area(ReplyWindow w) override { return &areas[w]; }
    void StoreSettingsRecord(int kind, const uint8_t* data, size_t length) override {
        settings[kind].assign(data, data + length);
    }
    bool WorkLogTimedOut() override { return false; }
    void ClearWorkLogStatus() override {}
    void AddWorkLogRow(const TWorkLogRecord& r) override { rows.push_back(r.Event); }
    void FillWorkLogDays(int, const std::vector<std::pair<std::string, int>>&) override {}

    bool Got(unsigned m) const {
        for (const auto& g : got)
            if (g.message == m) return true;
        return false;
    }

    struct Message {
        unsigned message;
        WPARAM wParam;
        LPARAM lParam;
    };
    HWND window = nullptr;
    std::vector<Message> got;
    std::map<ReplyWindow, TReceiveArea> areas;
    std::map<int, std::vector<uint8_t>> settings;
    std::vector<int> rows;
    UdpMsgDiskInfo diskSeen{};
    WorkStateRecord stateSeen{};
};

struct AlarmsUnderTest : TRemoteAlarmHost {
    std::vector<std::string> calls;
    TAlarmSetRecord record{};
    int BoardChannelCount() const override { return 0; }
    int ChannelCount() const override { return 1; }
    std::string SlotGroupAddress(int) const override { return "10.5.5.5"; }
    int SlotRemoteChannel(int) const override { return 2; }
    std::string SlotConnectionAddress(int) const override { return "127.0.0.1"; }
    const TAlarmSetRecord& AlarmRecord(int) const override { return record; }
    void SetSound(int, int, bool) override {}
    void ShowAlarming(int ch) override { calls.push_back("show " + std::to_string(ch)); }
    void SwitchAlarmOutputs(int, int, bool) override {}
    bool PanePreviewing(int) const override { return true; }
    void RequestOpenOnAlarm(int) override {}
    void RequestRecordOnAlarm(int) override {}
    void ResetAlarmTimers(int) override {}
    void QueueMapAlarm(const AlarmUploadRecord&) override { calls.push_back("map"); }
    void AddRemoteAlarm(const AlarmUploadRecord& r) override {
        calls.push_back("list " + r.HostAddress.Get());
    }
    void PostAlarmMessage(ReplyWindow, intptr_t) override {}
};

template <typename Done> bool Pump(Done done) {
    return testing::PumpMessagesUntil(done, 5000);
}

class UdpClientTest : public UdpServerTest {
protected:
    WindowsUnderTest windows;
    AlarmsUnderTest alarms;
    TUDPMessageClient client{windows, alarms, 0};
};

TEST_F(UdpClientTest, ReplyIsInTheReceiveAreaWhenItsMessageArrives) {
    UdpMsgDiskInfoQuery q{};
    q.Keyword.Set("ViewDiskInfo");
    host.drives['C'] = {8ull << 30, 1ull << 30};
    client.SendTo(&q, sizeof q, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return windows.Got(WM_DISKINFO); }));
    EXPECT_EQ(windows.diskSeen.TotalMB[2], 8192);
    EXPECT_EQ(windows.diskSeen.FreeMB[2], 1024);
    EXPECT_EQ(windows.diskSeen.TotalMB[3], -1);

    const auto state = MakeStateQuery();
    host.state.ChannelCount = 9;
    client.SendTo(&state, sizeof state, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return windows.stateSeen.ChannelCount == 9; }));

    const auto dog = MakeNetDog();
    client.SendTo(&dog, sizeof dog, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] {
        for (const auto& g : windows.got)
            if (g.message == WM_NETDOGREPLY && g.lParam == 0 && g.wParam == 0) return true;
        return false;
    }));
}

TEST_F(UdpClientTest, SettingsRoundTripThroughBothSides) {
    UdpMsgSetCaptureSettings set{};
    set.Channel = 4;
    set.Record.FrameRate = 12;
    set.Record.MinutesPerFile = 45;
    set.UserName.Set("op");
    set.Password.Set("pw");
    client.SendTo(&set, sizeof set, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return windows.Got(WM_SETSUCCESS); }));

    // Records are read within a settings session, as the dialog opens one on connecting.
    UdpMsgSettingsConnect connect{};
    connect.Keyword.Set("RemoteSystemSetConnect");
    connect.UserName.Set("op");
    connect.Password.Set("pw");
    client.SendTo(&connect, sizeof connect, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return windows.Got(WM_SETTINGSSESSION); }));

    UdpMsgGetSettings get{};
    get.Kind = SettingsCapture;
    get.Channel = 4;
    get.Keyword.Set("RemoteGetSystemSet");
    client.SendTo(&get, sizeof get, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return windows.Got(WM_SETTINGSRECORD); }));
    EXPECT_EQ(windows.settings[SettingsCapture], Bytes(set.Record));

    // Remote user lists are neither sent nor taken up.
    get.Kind = SettingsRemoteLists;
    Lists({testing::RemoteUser("op", "pw")}, {});
    client.SendTo(&get, sizeof get, server.Port(), "127.0.0.1");
    const auto ping = MakeNetDog();
    client.SendTo(&ping, sizeof ping, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return windows.got.back().message == WM_NETDOGREPLY; }));
    EXPECT_EQ(windows.settings.size(), 1u);
}

TEST_F(UdpClientTest, AlarmUploadsReachTheListenerAndTheRequestSocket) {
    ASSERT_TRUE(client.AlarmListening());
    AlarmUploadRecord r{};
    r.HostAddress.Set("10.5.5.5");
    r.Channel = 2;
    r.Kind = '>';
    peer.Send(r, client.AlarmPort());
    ASSERT_TRUE(Pump([&] { return alarms.calls.size() >= 3; }));
    EXPECT_THAT(alarms.calls, ElementsAre("show 0", "map", "list 10.5.5.5"));

    // On the request socket the sender's address matches too.
    alarms.calls.clear();
    r.HostAddress.Set("127.0.0.1");
    peer.Send(r, client.RequestPort());
    ASSERT_TRUE(Pump([&] { return alarms.calls.size() >= 3; }));
    EXPECT_THAT(alarms.calls, ElementsAre("show 0", "map", "list 127.0.0.1"));

    // Other lengths at the listener are dropped.
    alarms.calls.clear();
    peer.SendBytes(std::vector<uint8_t>(129, 0), client.AlarmPort());
    peer.Send(r, client.AlarmPort());
    ASSERT_TRUE(Pump([&] { return alarms.calls.size() >= 2; }));
    EXPECT_THAT(alarms.calls, ElementsAre("map", "list 127.0.0.1"));
}

TEST_F(UdpClientTest, AWaitGivesUpWhenNoReplyComes) {
    int gaveUp = 0;
    TReplyWait wait([&] { ++gaveUp; }, 150);
    Peer silent; // nobody answers there
    const auto q = MakeStateQuery();
    client.SendTo(&q, sizeof q, silent.socket.LocalPort(), "127.0.0.1");
    wait.Start();
    EXPECT_TRUE(wait.Waiting());
    ASSERT_TRUE(Pump([&] { return gaveUp == 1; }));
    EXPECT_TRUE(wait.TimedOut());
    EXPECT_FALSE(wait.Waiting());

    wait.Start();
    EXPECT_FALSE(wait.TimedOut());
    client.SendTo(&q, sizeof q, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] {
        for (const auto& g : windows.got)
            if (g.message == WM_NETDOGREPLY && g.lParam == kNetDogWorkStateReply) return true;
        return false;
    }));
    wait.Done();
    ::Sleep(200);
    Pump([] { return true; });
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(gaveUp, 1);
    EXPECT_FALSE(wait.TimedOut());
}

TEST_F(UdpClientTest, SendToAnUnknownHostRaises) {
    const auto q = MakeStateQuery();
    EXPECT_ANY_THROW(client.SendTo(&q, sizeof q, 57000, ""));
    EXPECT_ANY_THROW(client.SendTo(&q, sizeof q, 70000, "127.0.0.1"));
}

TEST(UdpServerPort, APortInUseRaisesOutOfCreate) {
    testing::FakeUdpHost host;
    TUDPMessageServer first(host, 0);
    EXPECT_THROW(TUDPMessageServer(host, first.Port()), std::runtime_error);
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

// The program's binding: an inspector registered with its handle and area gets the work state;
// a window that is not registered is skipped.
TEST_F(UdpServerTest, RegisteredWindowsGetTheirReplies) {
    TReplyWindowSet set;
    WindowsUnderTest inspector;
    TReceiveArea area;
    set.SetWindow(ReplyWindow::NetDog, inspector.window, &area);
    set.NetDogRows = [] { return std::vector<std::string>{"10.0.0.1", "127.0.0.1"}; };
    AlarmsUnderTest alarms;
    TUDPMessageClient client(set, alarms, 0);

    UdpMsgDiskInfoQuery disk{}; // the disk view is not registered
    disk.Keyword.Set("ViewDiskInfo");
    client.SendTo(&disk, sizeof disk, server.Port(), "127.0.0.1");
    host.state.ChannelCount = 5;
    const auto state = MakeStateQuery();
    client.SendTo(&state, sizeof state, server.Port(), "127.0.0.1");
    const auto dog = MakeNetDog();
    client.SendTo(&dog, sizeof dog, server.Port(), "127.0.0.1");
    ASSERT_TRUE(Pump([&] { return inspector.got.size() >= 2; }));
    EXPECT_EQ(inspector.got[0].message, WM_NETDOGREPLY);
    EXPECT_EQ(inspector.got[0].lParam, kNetDogWorkStateReply);
    EXPECT_EQ(inspector.got[1].wParam, 1u); // the echo's row
    WorkStateRecord stored{};
    ASSERT_TRUE(area.Load(stored));
    EXPECT_EQ(stored.ChannelCount, 5);
    EXPECT_EQ(inspector.got.size(), 2u);
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

// Every kind that carries credentials, built with a password.
std::vector<std::vector<uint8_t>> CheckedRequests(const char* password) {
    std::vector<std::vector<uint8_t>> out;
    auto credentials = [&](auto& name, auto& pw) {
        name.Set("op");
        pw.Set(password);
    };
    UdpMsgAlarmOutput ao{};
    ao.Outputs[0] = 1;
    ao.On = 1;
    credentials(ao.UserName, ao.Password);
    out.push_back(Bytes(ao));
    UdpMsgSettingsConnect sc{};
    sc.Keyword.Set("RemoteSystemSetConnect");
    credentials(sc.UserName, sc.Password);
    out.push_back(Bytes(sc));
    UdpMsgSetDogSettings dog{};
    credentials(dog.UserName, dog.Password);
    out.push_back(Bytes(dog));
    for (uint8_t command : {0, 1, 2, 3}) {
        UdpMsgRemoteControl rc{};
        rc.Command = command;
        credentials(rc.UserName, rc.Password);
        rc.OwnAddress.Set("127.0.0.1");
        out.push_back(Bytes(rc));
    }
    UdpMsgSetCaptureSettings cap{};
    credentials(cap.UserName, cap.Password);
    out.push_back(Bytes(cap));
    UdpMsgChannelCommand cc{};
    cc.Channels[0] = 1;
    credentials(cc.UserName, cc.Password);
    cc.OwnAddress.Set("127.0.0.1");
    out.push_back(Bytes(cc));
    UdpMsgSetPreviewSettings pre{};
    credentials(pre.UserName, pre.Password);
    out.push_back(Bytes(pre));
    UdpMsgPtzCommand ptz{};
    ptz.OwnAddress.Set("127.0.0.1");
    credentials(ptz.UserName, ptz.Password);
    out.push_back(Bytes(ptz));
    TOtherSettingsRecord other{};
    credentials(other.RemoteUserName, other.RemotePassword);
    out.push_back(Bytes(other));
    TYunTaiSetRecord ptzSet{};
    credentials(ptzSet.UserName, ptzSet.Password);
    out.push_back(Bytes(ptzSet));
    auto alarm = std::make_unique<UdpMsgSetAlarmSettings>();
    std::memset(alarm.get(), 0, sizeof *alarm);
    credentials(alarm->UserName, alarm->Password);
    out.push_back(Bytes(*alarm));
    auto schedule = std::make_unique<UdpMsgSetScheduleSettings>();
    std::memset(schedule.get(), 0, sizeof *schedule);
    credentials(schedule->UserName, schedule->Password);
    out.push_back(Bytes(*schedule));
    return out;
}

TEST_F(UdpServerTest, EveryCheckedKindIsRefusedForAWrongPasswordAndDoneForTheRightOne) {
    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("127.0.0.1")});
    for (const auto& request : CheckedRequests("bad"))
        EXPECT_TRUE(AskBytes(request).empty()) << "length " << request.size();
    EXPECT_TRUE(host.calls.empty());

    size_t answered = 0;
    for (const auto& request : CheckedRequests("pw")) {
        const size_t before = host.calls.size();
        const size_t answers = AskBytes(request).size();
        answered += answers;
        // The settings session only answers; everything else acts.
        EXPECT_TRUE(host.calls.size() > before || answers == 1) << "length " << request.size();
    }
    EXPECT_EQ(answered, 8u); // the settings session and the seven stored writes
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST_F(UdpServerTest, AFloodWhileTheWindowThreadIsBusyIsCutNotQueuedWhole) {
    // Sent in bursts the socket buffer holds, each taken by the listener before the next,
    // while this thread pumps nothing.
    for (int sent = 25; sent <= 300; sent += 25) {
        for (int i = 0; i < 25; ++i)
            peer.Send(MakeStateQuery(), server.Port());
        const size_t expected = std::min<size_t>(size_t(sent), kMaxPendingDatagrams);
        const DWORD start = ::GetTickCount();
        while (server.Pending() < expected && ::GetTickCount() - start < 5000)
            ::Sleep(1);
    }
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    // One "state" per dispatched query: the full queue, and at most what of the last burst
    // the listener read while it was being emptied.
    EXPECT_GE(host.calls.size(), kMaxPendingDatagrams);
    EXPECT_LT(host.calls.size(), 300u);
}

} // namespace
} // namespace vantrel
