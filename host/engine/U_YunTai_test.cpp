#include "host/engine/U_YunTai.h"

#include "host/engine/U_FakeSerial_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

using testing::Bytes;
using testing::FakeSerial;

class FakeHost : public TYunTaiHost {
public:
    bool CheckPtzRight(int) const override { return allowed; }
    int BoardChannelCount() const override { return 2; }
    int ChannelCount() const override { return 3; }
    bool NetTarget(int channel, TPtzNetTarget& t) const override {
        if (channel != 2) return false;
        t = TPtzNetTarget{"192.168.1.20", 5, "op", "pw", 57010};
        return true;
    }
    std::string OwnAddress() const override { return "192.168.1.9"; }
    void RepeatTimerChanged(bool enabled, int interval) override {
        timerEnabled = enabled;
        timerInterval = interval;
    }
    bool allowed = true;
    bool timerEnabled = false;
    int timerInterval = 0;
};

struct Datagram {
    std::string bytes, host;
    int port;
};
class FakeUdp : public TUdpSender {
public:
    void SendTo(const void* b, int n, int p, const std::string& h) override {
        sent.push_back({std::string(static_cast<const char*>(b), size_t(n)), h, p});
    }
    std::vector<Datagram> sent;
};

void SetTemplate(TYunTaiFrameTemplate& t, std::initializer_list<int> bytes) {
    t = TYunTaiFrameTemplate{};
    int i = 0;
    for (int b : bytes)
        t.Frame[i++] = uint8_t(b);
    t.Length = uint8_t(i);
}

// A protocol in the manner of the common 7-byte binary ones: FF addr cmd1 cmd2 d1 d2 sum.
TYunTaiProtocol BinaryProtocol(const char* name) {
    TYunTaiProtocol p{};
    p.Name.Set(name);
    p.BaudRate = 2400;
    p.Parity = 0;
    p.DataBits = 8;
    p.StopBits = 0;
    for (int c = 0; c < kYunTaiCommands; ++c) {
        for (TYunTaiFrameTemplate* t : {&p.Commands[c].Start, &p.Commands[c].Stop}) {
            SetTemplate(*t, {0xFF, 0, 0, c == 0 ? 0x08 : 0x04 + c, 0, 0, 0});
            t->AddressPos[0] = 2;
            t->ChecksumPos[0] = 7;
            t->ChecksumRange[0][0] = 2;
            t->ChecksumRange[0][1] = 6;
        }
        SetTemplate(p.Commands[c].Stop, {0xFF, 0, 0, 0, 0, 0, 0});
        p.Commands[c].Stop.AddressPos[0] = 2;
        p.Commands[c].Stop.ChecksumPos[0] = 7;
        p.Commands[c].Stop.ChecksumRange[0][0] = 2;
        p.Commands[c].Stop.ChecksumRange[0][1] = 6;
    }
    p.Speeds[0] = {5, 0x20};            // up: speed in byte 5
    p.Speeds[2] = {5, 0x10};            // left
    p.Commands[15].Start.Value1Pos = 6; // set preset: number in byte 6
    return p;
}

class YunTaiTest : public ::testing::Test {
protected:
    YunTaiTest() {
        protocols.push_back(BinaryProtocol("PELCO-D"));
        settings.Entries[0] = TYunTaiEntry{1, 0, {}, 4800, 3, 1, {}};
        settings.Entries[1] = TYunTaiEntry{1, 0, {}, 9600, 4, 2, {}};
    }
    TYunTai& Ptz() {
        if (!ptz) ptz = std::make_unique<TYunTai>(host, settings, protocols, com, udp);
        return *ptz;
    }

    FakeHost host;
    FakeSerial com;
    FakeUdp udp;
    TYunTaiSetRecord settings{};
    std::vector<TYunTaiProtocol> protocols;
    std::unique_ptr<TYunTai> ptz;
};

TEST(PtzNetTargets, GroupHostCredentialsAndTheFirstMatchingGroupsPort) {
    std::vector<TClientGroup> groups(3);
    const char* hosts[] = {"10.0.0.7", "10.0.0.8", "10.0.0.7"};
    for (int g = 0; g < 3; ++g) {
        groups[size_t(g)].HostAddress.Set(hosts[g]);
        groups[size_t(g)].UserName.Set("u" + std::to_string(g));
        groups[size_t(g)].Password.Set("p" + std::to_string(g));
        groups[size_t(g)].Ports.Port[14] = 57100 + g;
    }
    TClientChannelRecord channel{};
    channel.RemoteChannel = 3;
    channel.GroupIndex = 2;
    TPtzNetTarget t;
    ASSERT_TRUE(PtzNetTargetFor(channel, groups, t));
    EXPECT_EQ(t.HostAddress, "10.0.0.7");
    EXPECT_EQ(t.RemoteChannel, 3);
    EXPECT_EQ(t.UserName, "u2");
    EXPECT_EQ(t.Password, "p2");
    EXPECT_EQ(t.MessagePort, 57100); // the first group with that host
    channel.GroupIndex = 3;
    EXPECT_FALSE(PtzNetTargetFor(channel, groups, t));
}

TEST(PtzFrames, AddressInsertionByMode) {
    const struct {
        uint8_t mode, a1, a2, a3, base, address;
        std::string expect; // the first 6 bytes
        const char* why;
    } cases[] = {
        {0, 2, 0, 0, 0, 5, Bytes({0, 5, 0, 0, 0, 0}), "binary, one position"},
        {0, 2, 3, 0, 1, 5, Bytes({0, 6, 6, 0, 0, 0}), "binary, base added"},
        {0, 2, 9, 3, 0, 5, Bytes({0, 5, 0, 0, 0, 0}), "a2 beyond the frame stops"},
        {0, 0, 3, 0, 0, 5, Bytes({0, 0, 0, 0, 0, 0}), "a1 unused: nothing"},
        {1, 3, 4, 5, 0x30, 42, Bytes({0, 0, 0x60, 0x64, 0x62, 0}), "decimal, three digits"},
        {1, 3, 4, 255, 0, 123, Bytes({0, 0, '2', '3', 0, 0}), "decimal, two digits"},
        {1, 3, 255, 5, 0, 7, Bytes({0, 0, '0', 0, '7', 0}), "decimal, a3 without a2"},
        {1, 3, 0, 0, 0xD0, 7, Bytes({0, 0, 0x07, 0, 0, 0}), "decimal, digit value"},
        {2, 1, 0, 0, 0, 7, Bytes({0, 0, 0, 0, 0, 0}), "other mode"},
    };
    for (const auto& c : cases) {
        TYunTaiFrameTemplate t{};
        t.Length = 6;
        t.AddressMode = c.mode;
        t.AddressPos[0] = c.a1;
        t.AddressPos[1] = c.a2;
        t.AddressPos[2] = c.a3;
        std::memset(t.AddressBase, c.base, 3);
        PtzInsertAddress(t, c.address);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(t.Frame), 6), c.expect) << c.why;
    }
}

TEST(PtzFrames, ChecksumKindsOverTheirRanges) {
    const uint8_t frame[7] = {0xFF, 0x01, 0x00, 0x04, 0x20, 0x00, 0x00};
    const struct {
        uint8_t kind;
        int first, last;
        uint8_t expect;
    } cases[] = {
        {0, 2, 6, 0x25},
        {1, 2, 6, 0x01 ^ 0x04 ^ 0x20},
        {2, 2, 6, 0xDA},
        {3, 2, 6, 0x5A},
        {4, 2, 6, 0xDB},
        {5, 1, 6, 0x24},
        {6, 2, 6, 0x45},
        {7, 2, 6, 0x00},
        // Empty range: the sum is 0.
        {0, 5, 4, 0x00},
        {2, 5, 4, 0xFF},
        {3, 5, 4, 0x7F},
        {6, 5, 4, 0x20},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PtzChecksum(frame, c.first, c.last, c.kind), c.expect)
            << "kind " << int(c.kind) << " range " << c.first << ".." << c.last;
}

TEST(PtzFrames, LaterChecksumsSeeEarlierOnesAndPositionZeroEndsTheStep) {
    TYunTaiFrameTemplate t{};
    SetTemplate(t, {0xA0, 0x01, 0x02, 0x00, 0x00, 0x99});
    t.ChecksumPos[0] = 4;
    t.ChecksumRange[0][0] = 1;
    t.ChecksumRange[0][1] = 3;
    t.ChecksumPos[1] = 5;
    t.ChecksumRange[1][0] = 1;
    t.ChecksumRange[1][1] = 4;
    t.ChecksumKind[1] = 1;
    t.ChecksumPos[2] = 0; // ends the step: byte 6 keeps its value
    PtzComputeChecksums(t);
    EXPECT_EQ(t.Frame[3], 0xA3);
    EXPECT_EQ(t.Frame[4], 0xA0 ^ 0x01 ^ 0x02 ^ 0xA3);
    EXPECT_EQ(t.Frame[5], 0x99);

    TYunTaiFrameTemplate none{};
    SetTemplate(none, {1, 2, 3});
    none.ChecksumPos[1] = 3; // never reached: checksum 1 has position 0
    PtzComputeChecksums(none);
    EXPECT_EQ(none.Frame[2], 3);
}

TEST_F(YunTaiTest, StartCarriesTheSpeedStopDoesNotAndMovementsRepeat) {
    Ptz().StartCommand(0, 0, 0, 0);
    Ptz().StopCommand(0, 0, 0, 0);
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Bytes({0xFF, 0x01, 0x00, 0x08, 0x20, 0x00, 0x29}));
    EXPECT_EQ(frames[1], Bytes({0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(com.log[0].port, 3);
    EXPECT_EQ(com.log[0].baud, 4800); // the entry's baud
    EXPECT_FALSE(com.log[0].read);
    EXPECT_FALSE(host.timerEnabled);

    Ptz().SpeedState[1][2] = 0x3F;
    Ptz().StartCommand(1, 2, 0, 0);
    EXPECT_TRUE(host.timerEnabled);
    EXPECT_EQ(host.timerInterval, 50);
    EXPECT_EQ(Ptz().RepeatCommand, 2);
    EXPECT_EQ(Ptz().CurrentChannel, 1);
    Ptz().RepeatTick();
    Ptz().RepeatTick();
    const auto repeated = com.Frames();
    ASSERT_EQ(repeated.size(), 5u);
    EXPECT_EQ(repeated[2], Bytes({0xFF, 0x02, 0x00, 0x06, 0x3F, 0x00, 0x47}));
    EXPECT_EQ(repeated[3], repeated[2]);
    EXPECT_EQ(repeated[4], repeated[2]);
    EXPECT_EQ(com.log[2].port, 4);
}

TEST_F(YunTaiTest, SpeedDefaultsComeFromTheProtocolOfEnabledEntries) {
    settings.Entries[1].Enabled = 0;
    EXPECT_EQ(Ptz().SpeedState[0][0], 0x20);
    EXPECT_EQ(Ptz().SpeedState[0][2], 0x10);
    EXPECT_EQ(Ptz().SpeedState[1][0], 0);
}

TEST_F(YunTaiTest, PresetValuesGoToTheirPositionsButNeverTheLastByte) {
    Ptz().StartCommand(0, 15, 9, 0);
    EXPECT_EQ(com.Frames().back(), Bytes({0xFF, 0x01, 0x00, 0x13, 0x00, 0x09, 0x1D}));
    EXPECT_FALSE(host.timerEnabled);               // commands above 9 are not repeated
    protocols[0].Commands[15].Start.Value1Pos = 7; // the checksum's byte: refused
    Ptz().StartCommand(0, 15, 9, 0);
    EXPECT_EQ(com.Frames().back()[5], 0x09); // left from the last time: templates keep values
}

TEST_F(YunTaiTest, RefusedDisabledOrOutOfRangeChannelsSendNothing) {
    host.allowed = false;
    Ptz().StartCommand(0, 0, 0, 0);
    host.allowed = true;
    settings.Entries[1].Enabled = 0;
    Ptz().StartCommand(1, 0, 0, 0);
    Ptz().SendCommand(3, 0, 0, 0, 0);
    Ptz().SendCommand(-1, 0, 0, 0, 0);
    settings.Entries[0].Protocol = 1; // no such protocol
    Ptz().SendCommand(0, 0, 0, 0, 0);
    EXPECT_EQ(com.Count(), 0u);
    EXPECT_TRUE(udp.sent.empty());
}

TEST_F(YunTaiTest, LiLingSpeedsAreTransformed) {
    protocols[0].Name.Set("LiLing");
    Ptz().SpeedState[0][0] = 10;
    Ptz().SpeedState[0][2] = 10;
    Ptz().SendCommand(0, 0, 0, 0, 0);
    Ptz().SendCommand(0, 2, 0, 0, 0);
    EXPECT_EQ(com.Frames()[0][4], char(0xD0));
    EXPECT_EQ(com.Frames()[1][4], char(0x8A));
}

TEST_F(YunTaiTest, YXGoesOutAsThreeSingleBytesAt9600) {
    protocols[0].Name.Set("YX");
    Ptz().StartCommand(0, 0, 0, 0);
    ASSERT_EQ(com.Count(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(com.log[i].baud, 9600);
        EXPECT_EQ(com.log[i].bytes.size(), 1u);
    }
    EXPECT_EQ(com.log[1].bytes, Bytes({0x01}));
    EXPECT_EQ(host.timerInterval, 100);
}

TEST_F(YunTaiTest, JDMarksByteTwoAfterTheChecksumAndIsNotRepeatedByTheTimer) {
    protocols[0].Name.Set("JD");
    Ptz().StartCommand(0, 0, 0, 0);
    EXPECT_EQ(com.Frames()[0], Bytes({0xFF, 0x01, 0x4F, 0x08, 0x20, 0x00, 0x29}));
    Ptz().RepeatTick();
    EXPECT_EQ(com.Count(), 1u);
}

TEST_F(YunTaiTest, DiagonalRepeatAlternatesDirections) {
    Ptz().SetRepeatTag(1); // up-left
    Ptz().CurrentChannel = 0;
    for (int i = 0; i < 4; ++i)
        Ptz().RepeatTick();
    std::vector<int> commands;
    for (const auto& f : com.Frames())
        commands.push_back(f[3]);
    EXPECT_EQ(commands, (std::vector<int>{0x06, 0x08, 0x06, 0x08})); // left, up, left, up
    Ptz().StopCommand(0, 2, 0, 0);
    EXPECT_EQ(Ptz().RepeatTag(), 0);
}

TEST_F(YunTaiTest, PanasonicPresetSetSendsItsSequence) {
    TYunTaiProtocol p{};
    p.Name.Set("Panasonic850/860");
    SetTemplate(p.Commands[15].Start, {0x02, 'A', 'D', '0', ';', 'G', 'C', '7', ':', '2', '0', '2',
                                       '1', '4', '0', '0', '0', 0x03});
    p.Commands[15].Start.AddressMode = 1;
    p.Commands[15].Start.AddressPos[0] = 4;
    p.Commands[15].Start.AddressPos[1] = 255;
    p.Commands[15].Start.AddressPos[2] = 255;
    protocols[0] = p;
    Ptz().StartCommand(0, 15, 7, 0);
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].substr(13, 4), "4000");
    EXPECT_EQ(frames[0][3], '1');
    EXPECT_EQ(frames[1].substr(13, 4), "2070");
    EXPECT_EQ(frames[2].substr(13, 4), "1542");
    EXPECT_EQ(frames[3].substr(13, 4), "1543");
}

TEST_F(YunTaiTest, NetworkChannelSendsOneDatagramAndNoSerialFrame) {
    settings.Entries[2].Protocol = 7;
    Ptz().StopCommand(2, 15, 3, 4);
    EXPECT_EQ(com.Count(), 0u);
    ASSERT_EQ(udp.sent.size(), 1u);
    const Datagram& d = udp.sent[0];
    EXPECT_EQ(d.host, "192.168.1.20");
    EXPECT_EQ(d.port, 57010);
    ASSERT_EQ(d.bytes.size(), 130u);
    UdpMsgPtzCommand m;
    std::memcpy(&m, d.bytes.data(), sizeof m);
    EXPECT_EQ(m.HostAddress.Get(), "192.168.1.20");
    EXPECT_EQ(m.OwnAddress.Get(), "192.168.1.9");
    EXPECT_EQ(m.Channel, 5);
    EXPECT_EQ(m.Protocol, 7);
    EXPECT_EQ(m.Command, 15);
    EXPECT_EQ(m.Stop, 1);
    EXPECT_EQ(m.Value1, 3);
    EXPECT_EQ(m.Value2, 4);
    EXPECT_EQ(m.UserName.Get(), "op");
    EXPECT_EQ(m.Password.Get(), "pw");
}

} // namespace
} // namespace vantrel
