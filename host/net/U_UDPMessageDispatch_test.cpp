#include "host/net/U_UDPMessageDispatch.h"

#include "host/engine/U_HostMessages.h"
#include "host/net/udp_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

    testing::FakeUdpHost host;
    RecordingSender replies;
    TUDPMessageDispatch dispatch{host, replies};
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
    Send(UdpMsgWorkLogQuery{10, 3});
    ASSERT_EQ(replies.sent.size(), 4u);
    EXPECT_EQ(replies.sent[0].bytes, Bytes(host.log[10]));
    EXPECT_EQ(replies.sent[1].bytes, Bytes(host.log[11]));
    EXPECT_EQ(replies.sent[2].bytes, std::vector<uint8_t>(72, 0)); // past the end
    EXPECT_EQ(replies.sent[3].bytes, Bytes(MakeWorkLogEnd(host.log[10])));

    replies.sent.clear();
    Send(UdpMsgWorkLogQuery{0, 0});
    Send(UdpMsgWorkLogQuery{0, -5});
    EXPECT_TRUE(replies.sent.empty());

    Send(UdpMsgWorkLogQuery{0, 0x7FFFFFFF}); // bounded, not 2^31 records
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

TEST_F(DispatchTest, GetSettingsAnswersTheAskedRecord) {
    host.capture[3].FrameRate = 12;
    host.users = {testing::RemoteUser("a", "1"), testing::RemoteUser("b", "2")};
    host.ips = {testing::RemoteIP("10.0.0.1")};
    const struct {
        int kind, channel;
        std::vector<size_t> lengths;
    } cases[] = {
        {0, 3, {76}},     {1, 3, {52}},   {2, 3, {3592}}, {3, 3, {9856}},
        {4, 200, {1572}}, {6, 200, {56}}, {7, 0, {144}},  {5, 0, {39239, 39239, 39268}},
        {8, 0, {}},       {0, 49, {}},    {3, 255, {}},
    };
    for (const auto& c : cases) {
        replies.sent.clear();
        UdpMsgGetSettings q{};
        q.Kind = uint8_t(c.kind);
        q.Channel = uint8_t(c.channel);
        q.Keyword.Set("RemoteGetSystemSet");
        // The asking user needs no right.
        host.users[0].Rights[1].Enabled = 0;
        Send(q);
        std::vector<size_t> lengths;
        for (const auto& s : replies.sent)
            lengths.push_back(s.bytes.size());
        EXPECT_EQ(lengths, c.lengths) << "kind " << c.kind << " channel " << c.channel;
    }
    replies.sent.clear();
    UdpMsgGetSettings q{};
    q.Kind = 1;
    q.Channel = 3;
    q.Keyword.Set("RemoteGetSystemSet");
    Send(q);
    EXPECT_EQ(replies.sent[0].bytes, Bytes(host.capture[3]));
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
        // The carried address, not the sender's, is checked.
        OnlyUser();
        host.ips = {testing::RemoteIP(kSender)};
        Send(m);
        EXPECT_TRUE(host.calls.empty()) << "command " << c.command;
        host.ips = {testing::RemoteIP("10.1.1.1")};
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

TEST_F(DispatchTest, RestartByCompanionClosesWhateverTheCredentials) {
    OnlyUser();
    host.ips = {testing::RemoteIP("10.9.9.9")};
    UdpMsgRemoteControl m{};
    m.Command = 6;
    m.UserName.Set("nobody");
    Send(m);
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
    Send(m);
    EXPECT_THAT(host.calls, ElementsAre("record 0"));

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

TEST_F(DispatchTest, PtzCommandChecksTheCarriedAddressForItsChannel) {
    OnlyUser();
    host.ips = {testing::RemoteIP("10.2.2.2")};
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
