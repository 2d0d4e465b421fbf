#include "host/engine/U_MatrixKeyboard.h"

#include "host/engine/U_FakeSerial_test.h"
#include "host/engine/U_RemoteMatrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

using testing::FakeSerial;
using K = MatrixKeyboardKind;
using B = MatrixButton;

TEST(MatrixKeyboard, CommandTexts) {
    MatrixKeyboardFields f;
    f.MonitorText = "12";
    f.VidiconText = "7";
    f.Preset = 3;
    f.Aux = 2;
    f.Speed = 8;
    const struct {
        K kind;
        B button;
        std::string command;
    } cases[] = {
        {K::DsD, B::SwitchMonitor, "12M,a"},
        {K::Pelco232, B::SwitchVidicon, "7#a"},
        {K::DsD, B::SwitchForward, "1+a+a,S,a"},
        {K::DsD, B::SwitchBack, "2+a+a,S,a"},
        {K::DsD, B::LockVidicon, "1K,a"},
        {K::DsD, B::UnlockVidicon, "2J,a"},
        {K::DsD, B::Up, "8,U,a"},
        {K::Pelco232, B::Right, "8Ra"},
        {K::DsD, B::IrisClose, "C,a"},
        {K::Pelco232, B::ZoomTele, "Ta"},
        {K::DsD, B::PresetCall, "3,\\,a"},
        {K::Pelco232, B::PresetSet, "3^a"},
        {K::DsD, B::AuxClose, "2,B,a"},
        {K::Pelco232, B::AuxOpen, "2Aa"},
        {K::DsD, B::AutoOpen, "3,A,a"},
        {K::Pelco232, B::AutoOpen, ""},
        {K::Pelco232, B::LockVidicon, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatrixKeyboardCommand(c.kind, c.button, f), c.command)
            << int(c.kind) << " " << int(c.button);
}

TEST(MatrixKeyboard, ClicksAndHeldButtonsOnTheSerialLine) {
    FakeSerial com;
    TMatrixKeyboard dsd(K::DsD, com, nullptr);
    dsd.Port = 2;
    dsd.Baud = 4800;
    dsd.Fields.MonitorText = "12";
    dsd.Click(B::SwitchMonitor);
    dsd.ButtonDown(B::Up);
    dsd.TimerTick();
    dsd.ButtonUp();
    dsd.TimerTick();
    EXPECT_EQ(com.Frames(), (std::vector<std::string>{"12M,a", "8,U,a", "8,U,a"}));
    EXPECT_EQ(com.log[0].port, 2);
    EXPECT_EQ(com.log[0].baud, 4800);
    EXPECT_EQ(com.log[0].parity, 0);
    EXPECT_FALSE(com.log[0].read);

    FakeSerial com2;
    TMatrixKeyboard pelco(K::Pelco232, com2, nullptr);
    pelco.Fields.VidiconText = "7";
    pelco.Click(B::SwitchVidicon);
    pelco.ButtonDown(B::Up);
    pelco.TimerTick();
    pelco.ButtonUp();
    EXPECT_EQ(com2.Frames(), (std::vector<std::string>{"7#a", "60Ua", "60Ua", "sa"}));
    EXPECT_EQ(com2.log[0].parity, 2); // even
    EXPECT_EQ(com2.log[0].baud, 9600);
}

TEST(MatrixKeyboard, RelayCutsReadsIntoTrimmedRecords) {
    const struct {
        K kind;
        std::string data;
        std::vector<std::string> written;
    } cases[] = {
        {K::DsD, "1+a+a,S,a ", {"1+a+a,S,a"}},
        {K::Pelco232, "     ", {""}},
        {K::Pelco232, "7#a  60Ua xy", {"7#a", "60Ua"}}, // the last 2 bytes are dropped
        {K::DsD, std::string("\0\t12M,a\r\n\0", 10), {"12M,a"}},
        {K::DsD, "12M,a", {}}, // part of a record: not kept for the next read
    };
    for (const auto& c : cases) {
        FakeSerial com;
        int slept = 0;
        TMatrixKeyboard keyboard(c.kind, com, [&](int ms) { slept += ms; });
        keyboard.RelayRead(reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size());
        EXPECT_EQ(com.Frames(), c.written) << c.data;
        EXPECT_EQ(slept, 50 * int(c.written.size()));
    }
}

TEST(MatrixKeyboard, ALargeRelayReadIsTakenInWholeRecords) {
    FakeSerial com;
    TMatrixKeyboard keyboard(K::Pelco232, com, nullptr);
    std::string data;
    for (int i = 0; i < 450; ++i)
        data += "1Ma  ";
    keyboard.RelayRead(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 450u);
    EXPECT_EQ(frames.back(), "1Ma");
}

class Connection : public TRelayConnection {
public:
    bool Connected() const override { return connected; }
    void Send(const std::string& b) override { sent.push_back(b); }
    bool connected = false;
    std::vector<std::string> sent;
};

TEST(RemoteMatrix, KeyboardRecordsArePaddedAndCutAndDroppedWhileNotConnected) {
    Connection link;
    TRemoteMatrixKeyboard pelco(K::Pelco232, link);
    pelco.Fields.VidiconText = "1234";
    pelco.Click(B::SwitchVidicon);
    EXPECT_TRUE(link.sent.empty()); // before "连接": nothing
    link.connected = true;
    pelco.Click(B::SwitchVidicon);
    pelco.Fields.VidiconText = "999";
    pelco.Click(B::SwitchVidicon);
    pelco.ButtonDown(B::Up);
    pelco.TimerTick();
    pelco.ButtonUp();
    EXPECT_EQ(link.sent, (std::vector<std::string>{"1234#", "999#a", "60Ua ", "60Ua ", "sa   "}));

    Connection link2;
    link2.connected = true;
    TRemoteMatrixKeyboard dsd(K::DsD, link2);
    dsd.Click(B::SwitchForward);
    dsd.ButtonDown(B::Up);
    dsd.TimerTick();
    dsd.ButtonUp();
    EXPECT_EQ(link2.sent, (std::vector<std::string>{"1+a+a,S,a ", "8,U,a     ", "8,U,a     "}));
}

class Udp : public TUdpSender {
public:
    void SendTo(const void* b, int n, int p, const std::string& h) override {
        if (h == "no.such.host") throw std::runtime_error("resolve");
        sent.push_back({std::string(static_cast<const char*>(b), size_t(n)), h, p});
    }
    struct Sent {
        std::string bytes, host;
        int port;
    };
    std::vector<Sent> sent;
};

TEST(RemoteMatrix, SwitchSendsTwoBytesAndSwallowsErrors) {
    Udp udp;
    RemoteMatrixSwitch(udp, "10.1.1.2", 57000, 3, 12);
    RemoteMatrixSwitch(udp, "", 57000, 3, 12);
    RemoteMatrixSwitch(udp, "no.such.host", 57000, 3, 12);
    ASSERT_EQ(udp.sent.size(), 1u);
    EXPECT_EQ(udp.sent[0].bytes, std::string("\x03\x0C", 2));
    EXPECT_EQ(udp.sent[0].host, "10.1.1.2");
}

TEST(RemoteMatrix, AddressListsAndPortLookUp) {
    std::vector<TClientGroup> hosts(4);
    const char* addresses[] = {"10.0.0.1", "", "10.0.0.2", "10.0.0.1"};
    for (int i = 0; i < 4; ++i) {
        hosts[size_t(i)].HostAddress.Set(addresses[i]);
        hosts[size_t(i)].Ports.Port[kSlotDsDRelay] = 6000 + i;
    }
    EXPECT_EQ(RemoteMatrixAddresses(hosts, false),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(RemoteMatrixAddresses(hosts, true),
              (std::vector<std::string>{"10.0.0.1", "", "10.0.0.2"}));
    EXPECT_EQ(RemoteMatrixPort(hosts, "10.0.0.1", kSlotDsDRelay, 52100), 6000);
    EXPECT_EQ(RemoteMatrixPort(hosts, "10.0.0.2", kSlotDsDRelay, 52100), 6002);
    EXPECT_EQ(RemoteMatrixPort(hosts, "10.0.0.9", kSlotDsDRelay, 52100), 52100);
}

} // namespace
} // namespace vantrel
