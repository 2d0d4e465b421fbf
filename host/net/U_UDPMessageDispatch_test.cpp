#include "host/net/U_UDPMessageDispatch.h"

#include "host/engine/U_HostMessages.h"
#include "host/net/udp_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;

struct Sent {
    std::vector<uint8_t> bytes;
    int port;
    std::string host;
};

struct RecordingSender : TUDPReplySender {
    std::vector<Sent> sent;
    bool fail = false;
    void SendTo(const void* buffer, int length, int port, const std::string& host) override {
        if (fail) throw std::runtime_error("unreachable");
        const auto* b = static_cast<const uint8_t*>(buffer);
        sent.push_back({std::vector<uint8_t>(b, b + length), port, host});
    }
};

constexpr const char* kSender = "192.168.1.20";
constexpr int kSenderPort = 40123;

class DispatchTest : public ::testing::Test {
protected:
    template <typename T> void Send(const T& m, const char* from = kSender) {
        dispatch.Dispatch(reinterpret_cast<const uint8_t*>(&m), sizeof(T), from, kSenderPort);
    }
    void SendBytes(const std::vector<uint8_t>& b) {
        dispatch.Dispatch(b.data(), b.size(), kSender, kSenderPort);
    }
    // A user list with one user, whose rights the test then narrows.
    TRemoteUserRecord& OnlyUser(const char* name = "op", const char* password = "pw") {
        host.users = {testing::RemoteUser(name, password)};
        return host.users[0];
    }

    // Opens a settings session for the sender, as the settings dialog's connect does.
    void ConnectSettings(const char* from = kSender) {
        UdpMsgSettingsConnect sc{};
        sc.Keyword.Set("RemoteSystemSetConnect");
        sc.UserName.Set("op");
        sc.Password.Set("pw");
        Send(sc, from);
    }

    testing::FakeUdpHost host;
    RecordingSender replies;
    std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    TUDPMessageDispatch dispatch{host, replies, [this] { return now; }};
};

template <size_t N> void SetCredentials(PString<N>& name, PString<N>& password) {
    name.Set("op");
    password.Set("pw");
}

TEST_F(DispatchTest, HeartbeatAndStateAreEchoedToTheSender) {
    Send(MakeNetDog());
    ASSERT_EQ(replies.sent.size(), 1u);
    EXPECT_EQ(replies.sent[0].bytes, Bytes(MakeNetDog()));
    EXPECT_EQ(replies.sent[0].host, kSender);
    EXPECT_EQ(replies.sent[0].port, kSenderPort);

    host.state.ChannelCount = 6;
    host.state.PreviewOpen[5] = 1;
    Send(MakeStateQuery());
    ASSERT_EQ(replies.sent.size(), 2u);
    EXPECT_EQ(replies.sent[1].bytes, Bytes(host.state));

    UdpMsgNetDog other{};
    other.Keyword.Set("NetCat");
    Send(other);
    EXPECT_EQ(replies.sent.size(), 2u);
}

TEST_F(DispatchTest, WorkLogQueryAnswersRecordsThenTheEndRecord) {
    for (int i = 0; i < 12; ++i) {
        TWorkLogRecord r{};
        r.Time = 45000 + i;
        r.Event = uint8_t(i);
        host.log.push_back(r);
    }
    host.dayTimes = {45000, 45008};
    host.dayIndexes = {0, 8};
    Send(UdpMsgWorkLogQuery{9, 2});
    ASSERT_EQ(replies.sent.size(), 3u);
    EXPECT_EQ(replies.sent[0].bytes, Bytes(host.log[9]));
    EXPECT_EQ(replies.sent[1].bytes, Bytes(host.log[10]));
    EXPECT_EQ(replies.sent[2].bytes, Bytes(MakeWorkLogEnd(host.log[9])));

    // Never more than the log holds for the first record's day: no zero records past the
    // end, nothing from the next day.
    const struct {
        int first, count;
        size_t answers; // records, without the end record
    } cases[] = {{10, 3, 2}, {6, 5, 2}, {0, 8, 8}, {11, 1, 1}, {12, 1, 0},
                 {-1, 3, 0}, {0, 0, 0}, {0, -5, 0}, {0x7FFFFFF0, 100, 0}};
    for (const auto& c : cases) {
        replies.sent.clear();
        Send(UdpMsgWorkLogQuery{c.first, c.count});
        EXPECT_EQ(replies.sent.size(), c.answers ? c.answers + 1 : 0)
            << c.first << " " << c.count;
    }

    // One long day: bounded, not 2^31 records.
    host.log.resize(5000);
    host.dayIndexes = {0};
    replies.sent.clear();
    Send(UdpMsgWorkLogQuery{0, 0x7FFFFFFF});
    EXPECT_EQ(replies.sent.size(), size_t(kMaxWorkLogAnswer) + 1);
}

TEST_F(DispatchTest, WorkLogDaysOnlyWhenTheLogHasADay) {
    UdpMsgWorkLogDaysQuery q{};
    q.Keyword.Set("WorkLog");
    Send(q);
    EXPECT_TRUE(replies.sent.empty());

    for (int d = 0; d < 105; ++d) {
        host.dayTimes.push_back(45000.0 + d);
        host.dayIndexes.push_back(d * 10);
    }
    host.log.resize(1050);
    Send(q);
    ASSERT_EQ(replies.sent.size(), 1u);
    UdpMsgWorkLogDays days;
    ASSERT_EQ(replies.sent[0].bytes.size(), sizeof days);
    std::memcpy(&days, replies.sent[0].bytes.data(), sizeof days);
    EXPECT_EQ(days.Count, 100);
    EXPECT_EQ(days.Times[0], 45005.0); // the newest hundred
    EXPECT_EQ(days.Indexes[99], 1040);
    EXPECT_EQ(days.Total, 1050);
}

TEST_F(DispatchTest, DiskInfoGivesMegabytesOfFixedDrivesOnly) {
    host.drives['C'] = {40ull << 30, (3ull << 30) + 5};
    host.drives['Z'] = {1ull << 20, 0};
    UdpMsgDiskInfoQuery q{};
    q.Keyword.Set("ViewDiskInfo");
    Send(q);
    ASSERT_EQ(replies.sent.size(), 1u);
    UdpMsgDiskInfo info;
    std::memcpy(&info, replies.sent[0].bytes.data(), sizeof info);
    EXPECT_EQ(info.TotalMB[2], 40 * 1024);
    EXPECT_EQ(info.FreeMB[2], 3 * 1024);
    EXPECT_EQ(info.TotalMB[25], 1);
    EXPECT_EQ(info.TotalMB[0], -1);
    EXPECT_EQ(info.FreeMB[0], 0);
}

TEST_F(DispatchTest, ChannelInfoNeedsBoardChannelsAndTheSettingsRight) {
    UdpMsgRemoteCtrlConnect rc{};
    rc.Keyword.Set("RemoteCtrlConnect");
    UdpMsgSettingsConnect sc{};
    sc.Keyword.Set("RemoteSystemSetConnect");
    SetCredentials(sc.UserName, sc.Password);

    host.boards = 0;
    Send(rc);
    Send(sc);
    EXPECT_TRUE(replies.sent.empty());

    host.boards = 2;
    Send(rc);
    ASSERT_EQ(replies.sent.size(), 1u);
    UdpMsgRemoteCtrlInfo info;
    ASSERT_EQ(replies.sent[0].bytes.size(), sizeof info);
    std::memcpy(&info, replies.sent[0].bytes.data(), sizeof info);
    EXPECT_EQ(info.Count, 2);
    EXPECT_EQ(info.Titles[1].View(), "cam2");
    EXPECT_EQ(info.Titles[2].len, 0);

    OnlyUser().Rights[1].Enabled = 0;
    Send(sc);
    EXPECT_EQ(replies.sent.size(), 1u);
    OnlyUser();
    Send(sc);
    ASSERT_EQ(replies.sent.size(), 2u);
    EXPECT_EQ(replies.sent[1].bytes.size(), 1036u);
}

TEST_F(DispatchTest, GetSettingsNeedASettingsSessionOfTheSameAddress) {
    host.capture[3].FrameRate = 12;
    host.users = {testing::RemoteUser("op", "pw"), testing::RemoteUser("b", "2")};
    host.ips = {testing::RemoteIP(kSender), testing::RemoteIP("10.0.0.1")};
    auto ask = [&](int kind, int channel, const char* from = kSender) {
        replies.sent.clear();
        UdpMsgGetSettings q{};
        q.Kind = uint8_t(kind);
        q.Channel = uint8_t(channel);
        q.Keyword.Set("RemoteGetSystemSet");
        Send(q, from);
        std::vector<size_t> lengths;
        for (const auto& s : replies.sent)
            lengths.push_back(s.bytes.size());
        return lengths;
    };
    // No session: nothing, whatever the kind.
    for (int kind = 0; kind <= 7; ++kind)
        EXPECT_TRUE(ask(kind, 3).empty()) << kind;
    // A refused connect opens none.
    host.users[0].Rights[1].Enabled = 0;
    ConnectSettings();
    EXPECT_TRUE(ask(1, 3).empty());
    host.users[0].Rights[1].Enabled = 1;
    ConnectSettings();

    const struct {
        int kind, channel;
        std::vector<size_t> lengths;
    } cases[] = {
        {0, 3, {76}},     {1, 3, {52}},   {2, 3, {3592}}, {3, 3, {9856}},
        {4, 200, {1572}}, {6, 200, {56}}, {7, 0, {144}},
        {5, 0, {}}, // the remote lists never leave the host
        {8, 0, {}},       {0, 49, {}},    {3, 255, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ask(c.kind, c.channel), c.lengths) << "kind " << c.kind << " channel " << c.channel;
    ask(1, 3);
    EXPECT_EQ(replies.sent[0].bytes, Bytes(host.capture[3]));

    // Another address, and the same one after ten minutes, get nothing.
    EXPECT_TRUE(ask(1, 3, "10.0.0.1").empty());
    now += std::chrono::minutes(9);
    EXPECT_EQ(ask(1, 3).size(), 1u);
    now += std::chrono::minutes(2);
    EXPECT_TRUE(ask(1, 3).empty());
}

TEST_F(DispatchTest, StoredPasswordsAreReadBlankAndKeptByABlankWrite) {
    host.other.WindowsLogonPassword.Set("logon-secret");
    host.other.RemoteUserName.Set("op");
    host.other.RemotePassword.Set("pw");
    host.yuntai.UserName.Set("op");
    host.yuntai.Password.Set("pw");
    UdpMsgSetDogSettings dog{};
    dog.UserName.Set("op");
    dog.Password.Set("pw");
    std::memcpy(host.dog, &dog, sizeof dog);
    ConnectSettings();
    replies.sent.clear();
    for (int kind : {4, 6, 7}) {
        UdpMsgGetSettings q{};
        q.Kind = uint8_t(kind);
        q.Keyword.Set("RemoteGetSystemSet");
        Send(q);
    }
    ASSERT_EQ(replies.sent.size(), 3u);
    for (const auto& sent : replies.sent) {
        const std::string bytes(sent.bytes.begin(), sent.bytes.end());
        EXPECT_EQ(bytes.find("logon-secret"), std::string::npos) << sent.bytes.size();
        EXPECT_EQ(bytes.find("pw"), std::string::npos) << sent.bytes.size();
    }
    TOtherSettingsRecord other;
    std::memcpy(&other, replies.sent[2].bytes.data(), sizeof other);
    EXPECT_EQ(other.RemoteUserName.View(), "op");

    // The record as read, written back with the writer's name and a blank password (the lists
    // are empty): the stored passwords stay.
    other.BandwidthLimitKbps = 77;
    Send(other);
    EXPECT_EQ(host.other.BandwidthLimitKbps, 77);
    EXPECT_EQ(host.other.WindowsLogonPassword.View(), "logon-secret");
    EXPECT_EQ(host.other.RemotePassword.View(), "pw");
    TYunTaiSetRecord ptz;
    std::memcpy(&ptz, replies.sent[0].bytes.data(), sizeof ptz);
    ptz.Entries[1].Address = 4;
    Send(ptz);
    EXPECT_EQ(host.yuntai.Entries[1].Address, 4);
    EXPECT_EQ(host.yuntai.Password.View(), "pw");
    UdpMsgSetDogSettings dogRead;
    std::memcpy(&dogRead, replies.sent[1].bytes.data(), sizeof dogRead);
    dogRead.Settings[0] = 3;
    Send(dogRead);
    EXPECT_EQ(host.dog[0], 3);
    std::memcpy(&dog, host.dog, sizeof dog);
    EXPECT_EQ(dog.Password.View(), "pw");
    // A new password is stored.
    other.WindowsLogonPassword.Set("new");
    Send(other);
    EXPECT_EQ(host.other.WindowsLogonPassword.View(), "new");
}

TEST_F(DispatchTest, UncheckedQuestionsGetLargerAnswersOnlyFromKnownAddresses) {
    host.log.resize(20);
    host.dayTimes = {45000};
    host.dayIndexes = {0};
    host.drives['C'] = {1 << 30, 1 << 29};
    UdpMsgWorkLogDaysQuery days{};
    days.Keyword.Set("WorkLog");
    UdpMsgDiskInfoQuery disk{};
    disk.Keyword.Set("ViewDiskInfo");
    UdpMsgRemoteCtrlConnect rc{};
    rc.Keyword.Set("RemoteCtrlConnect");
    auto askAll = [&](const char* from) {
        replies.sent.clear();
        Send(MakeStateQuery(), from);
        Send(UdpMsgWorkLogQuery{0, 5}, from);
        Send(days, from);
        Send(disk, from);
        Send(rc, from);
        return replies.sent.size();
    };
    // An open host answers anyone.
    EXPECT_EQ(askAll("10.7.7.7"), 10u);
    // Once a list has an entry: only a listed address, or one that passed a check lately.
    host.users = {testing::RemoteUser("op", "pw")};
    EXPECT_EQ(askAll("10.7.7.7"), 0u);
    Send(MakeNetDog(), "10.7.7.7"); // an echo is no larger than its question
    EXPECT_EQ(replies.sent.size(), 1u);
    ConnectSettings("10.7.7.7");
    EXPECT_EQ(askAll("10.7.7.7"), 10u);
    now += std::chrono::minutes(11);
    EXPECT_EQ(askAll("10.7.7.7"), 0u);
    host.ips = {testing::RemoteIP("10.7.7.8")};
    EXPECT_EQ(askAll("10.7.7.8"), 10u);
    EXPECT_EQ(askAll("10.7.7.9"), 0u);
}

TEST_F(DispatchTest, SettingsWritesNeedTheirPageRightFromTheSendersAddress) {
    OnlyUser();
    host.ips = {testing::RemoteIP(kSender)};

    UdpMsgSetCaptureSettings cap{};
    cap.Channel = 7;
    cap.Record.FrameRate = 9;
    SetCredentials(cap.UserName, cap.Password);

    // The page item of right 1 is refused for the sender's address.
    host.ips[0].Rights[1].Items[1].Enabled = 0;
    Send(cap);
    EXPECT_TRUE(replies.sent.empty());
    EXPECT_EQ(host.capture[7].FrameRate, 0);
    EXPECT_TRUE(host.calls.empty());

    host.ips[0].Rights[1].Items[1].Enabled = 1;
    Send(cap);
    EXPECT_EQ(host.capture[7].FrameRate, 9);
    EXPECT_THAT(host.calls,
                ElementsAre("save capture", "post " + std::to_string(WM_SETTINGSCHANGED) + " 0 0"));
    ASSERT_EQ(replies.sent.size(), 1u);
    EXPECT_EQ(replies.sent[0].bytes, Bytes(MakeSetSuccess()));

    // Channel out of range.
    replies.sent.clear();
    cap.Channel = 49;
    Send(cap);
    EXPECT_TRUE(replies.sent.empty());
}

TEST_F(DispatchTest, EachSettingsWriteChecksItsOwnPage) {
    // A user allowed every page but the one the request writes is refused.
    auto run = [&](int item, auto&& build, auto&& changed) {
        OnlyUser().Rights[1].Items[item].Enabled = 0;
        replies.sent.clear();
        build();
        EXPECT_TRUE(replies.sent.empty()) << "item " << item;
        EXPECT_FALSE(changed()) << "item " << item;
        OnlyUser();
        build();
        EXPECT_EQ(replies.sent.size(), 1u) << "item " << item;
        EXPECT_TRUE(changed()) << "item " << item;
    };
    run(
        0,
        [&] {
            UdpMsgSetPreviewSettings m{};
            m.Channel = 2;
            m.Record.Title.Set("gate");
            SetCredentials(m.UserName, m.Password);
            Send(m);
        },
        [&] { return host.preview[2].Title.View() == "gate"; });
    run(
        2,
        [&] {
            auto m = std::make_unique<UdpMsgSetAlarmSettings>();
            std::memset(m.get(), 0, sizeof *m);
            m->Channel = 48;
            m->Record.MotionOn = 1;
            SetCredentials(m->UserName, m->Password);
            Send(*m);
        },
        [&] { return host.alarm[48].MotionOn == 1; });
    run(
        3,
        [&] {
            auto m = std::make_unique<UdpMsgSetScheduleSettings>();
            std::memset(m.get(), 0, sizeof *m);
            m->Record.Days[6].RangeCount = 3;
            SetCredentials(m->UserName, m->Password);
            Send(*m);
        },
        [&] { return host.autos[0].Days[6].RangeCount == 3; });
    run(
        4,
        [&] {
            TYunTaiSetRecord m{};
            m.Entries[5].Address = 9;
            SetCredentials(m.UserName, m.Password);
            Send(m);
        },
        [&] { return host.yuntai.Entries[5].Address == 9; });
    run(
        5,
        [&] {
            UdpMsgSetDogSettings m{};
            m.Settings[0] = 1;
            SetCredentials(m.UserName, m.Password);
            Send(m);
        },
        [&] { return host.dog[0] == 1; });
}

TEST_F(DispatchTest, OtherSettingsWithAWrongPasswordLeaveTheLiveRecord) {
    OnlyUser();
    host.other.BandwidthLimitKbps = 512;
    host.other.RegisteredName.Set("host-a");
    const TOtherSettingsRecord before = host.other;

    TOtherSettingsRecord m{};
    m.BandwidthLimitKbps = 64;
    m.RemoteUserName.Set("op");
    m.RemotePassword.Set("wrong");
    Send(m);
    EXPECT_EQ(Bytes(host.other), Bytes(before));
    EXPECT_TRUE(replies.sent.empty());

    m.RemotePassword.Set("pw");
    Send(m);
    EXPECT_EQ(host.other.BandwidthLimitKbps, 64);
    EXPECT_EQ(host.other.RemoteUserName.View(), "op"); // kept in the stored bytes
    EXPECT_EQ(replies.sent.size(), 1u);
}

TEST_F(DispatchTest, RemoteControlCommandsNeedTheirRights) {
    const struct {
        int command, right;
        std::string call;
    } cases[] = {
        {0, 15, "post " + std::to_string(WM_POWERACTION) + " 0 0"},
        {1, 14, "post " + std::to_string(WM_POWERACTION) + " 1 0"},
        {2, 12, "post " + std::to_string(WM_REMOTECLOSE) + " 0 0"},
        {3, 13, "time 45001.250000"},
        {4, 5, "auto on"},
        {6, 12, "post " + std::to_string(WM_POWERACTION) + " -1 -1"},
    };
    for (const auto& c : cases) {
        UdpMsgRemoteControl m{};
        m.Command = uint8_t(c.command);
        m.Time = 45001.25;
        SetCredentials(m.UserName, m.Password);
        m.OwnAddress.Set("10.1.1.1");
        host.autoMode = false;
        OnlyUser().Rights[c.right].Enabled = 0;
        host.calls.clear();
        Send(m);
        EXPECT_TRUE(host.calls.empty()) << "command " << c.command;
        // The sender's real address is checked; the one written in the datagram is not.
        OnlyUser();
        host.ips = {testing::RemoteIP("10.1.1.1")};
        Send(m);
        EXPECT_TRUE(host.calls.empty()) << "command " << c.command;
        host.ips = {testing::RemoteIP(kSender)};
        Send(m);
        EXPECT_THAT(host.calls, ElementsAre(c.call)) << "command " << c.command;
        host.ips.clear();
    }
    EXPECT_TRUE(replies.sent.empty());
}

TEST_F(DispatchTest, AutoModeCommandsOnlyToggleTheRightWay) {
    UdpMsgRemoteControl m{};
    m.Command = 5; // leave auto mode while it is off: nothing
    Send(m);
    m.Command = 4;
    Send(m);
    Send(m); // already on: nothing
    m.Command = 5;
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("auto on", "auto off"));
}

TEST_F(DispatchTest, RestartByCompanionNeedsTheCloseRightLikeTheOtherCommands) {
    // A bare datagram with command 6 and nothing else.
    std::vector<uint8_t> bare(sizeof(UdpMsgRemoteControl), 0);
    bare[0] = 6;
    OnlyUser();
    SendBytes(bare);
    UdpMsgRemoteControl m{};
    m.Command = 6;
    m.UserName.Set("nobody");
    Send(m);
    EXPECT_TRUE(host.calls.empty());
    // With the lists empty it passes like any other control command.
    host.users.clear();
    SendBytes(bare);
    m.Command = 7;
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("post " + std::to_string(WM_POWERACTION) + " -1 -1"));
}

TEST_F(DispatchTest, ChannelCommandStopsAtTheFirstRefusedChannel) {
    auto& user = OnlyUser();
    user.Rights[3].Items[1].Enabled = 0; // recording of channel 1 refused
    UdpMsgChannelCommand m{};
    m.Command = 0;
    m.Channels[0] = m.Channels[1] = m.Channels[2] = 1;
    SetCredentials(m.UserName, m.Password);
    m.OwnAddress.Set("10.1.1.1");
    host.ips = {testing::RemoteIP(kSender)};
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("record 0"));
    // A listed address written into the datagram opens nothing for another sender.
    host.calls.clear();
    Send(m, "10.1.1.1");
    host.ips = {testing::RemoteIP("10.1.1.1")};
    Send(m);
    EXPECT_TRUE(host.calls.empty());
    host.ips.clear();

    // Close preview needs right 2 per channel, as opening does.
    host.calls.clear();
    OnlyUser().Rights[2].Items[2].Enabled = 0;
    m.Command = 5;
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("unpreview 0", "unpreview 1"));

    // Only board channels; nothing in auto mode; unknown commands do nothing.
    host.calls.clear();
    OnlyUser();
    m.Command = 2;
    m.Channels[3] = m.Channels[4] = 1;
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("detect 0", "detect 1", "detect 2", "detect 3"));
    host.calls.clear();
    host.autoMode = true;
    Send(m);
    host.autoMode = false;
    m.Command = 6;
    Send(m);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(DispatchTest, PtzCommandChecksTheSendersAddressForItsChannel) {
    OnlyUser();
    host.ips = {testing::RemoteIP(kSender)};
    host.ips[0].Rights[6].Items[3].Enabled = 0;
    UdpMsgPtzCommand m{};
    m.OwnAddress.Set("10.2.2.2");
    m.Channel = 3;
    m.Command = 4;
    m.Value1 = 7;
    m.Value2 = 8;
    SetCredentials(m.UserName, m.Password);
    Send(m);
    m.Channel = 2;
    Send(m);
    m.Stop = 1;
    Send(m);
    m.Channel = 49;
    Send(m);
    // Written as a listed address, sent from another one.
    host.ips = {testing::RemoteIP("10.2.2.2")};
    m.Channel = 1;
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("ptz start 2 4 7 8", "ptz stop 2 4"));
    EXPECT_TRUE(replies.sent.empty());
}

TEST_F(DispatchTest, AlarmOutputsSwitchTheMarkedStatesOfKnownBoxes) {
    UdpMsgAlarmOutput m{};
    m.Port = 2;
    m.BoxType = 4;
    m.BoxAddress = 9;
    m.On = 1;
    m.Outputs[0] = m.Outputs[15] = 1;
    Send(m);
    EXPECT_EQ(Bytes(host.outputs), std::vector<uint8_t>(16, 0));
    EXPECT_TRUE(host.calls.empty());

    m.BoxType = 3;
    Send(m);
    EXPECT_EQ(host.outputs[0], 1);
    EXPECT_EQ(host.outputs[1], 0);
    EXPECT_EQ(host.outputs[15], 1);
    EXPECT_THAT(host.calls, ElementsAre("outputs 3 2 9"));

    OnlyUser().Rights[11].Enabled = 0;
    m.On = 0;
    Send(m);
    EXPECT_EQ(host.outputs[0], 1);
}

TEST_F(DispatchTest, SmallCommandsAndTheirRanges) {
    UdpMsgAlarmSubscribe sub{};
    sub.Channel = 3;
    Send(sub);
    sub.Channel = 4; // not a board channel
    Send(sub);
    sub.Channel = -1;
    Send(sub);

    UdpMsgPictureParams pic{};
    pic.Channel = 5; // a network channel
    pic.Params.Brightness = 99;
    Send(pic);
    pic.Channel = 6;
    Send(pic);

    Send(UdpMsgMatrixSwitch{3, 18});
    Send(UdpMsgMatrixSwitch{3, 19}); // past the 20-byte table
    host.matrixType = 1;
    Send(UdpMsgMatrixSwitch{3, 1});

    Send(UdpMsgSetPortTable{});
    EXPECT_THAT(host.calls, ElementsAre("subscribe 3 " + std::string(kSender) + " " +
                                            std::to_string(kSenderPort),
                                        "picture 5 99", "matrix 3 18"));
    EXPECT_TRUE(replies.sent.empty());
}

TEST_F(DispatchTest, SendFailuresAreSwallowedAndEffectsStay) {
    replies.fail = true;
    OnlyUser();
    UdpMsgSetCaptureSettings cap{};
    cap.Record.FrameRate = 5;
    SetCredentials(cap.UserName, cap.Password);
    Send(cap);
    EXPECT_EQ(host.capture[0].FrameRate, 5);
    Send(MakeNetDog());
}

} // namespace
} // namespace vantrel
