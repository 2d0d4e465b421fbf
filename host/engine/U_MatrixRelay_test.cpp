#include "host/engine/U_MatrixRelay.h"

#include "host/engine/U_FakeSerial_test.h"
#include "host/engine/U_MatrixKeyboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace vantrel {
namespace {

using testing::FakeSerial;

template <class F> bool WaitFor(F done) {
    for (int i = 0; i < 3000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

// A keyboard window's relay on a loopback port, writing to a recorded serial line.
struct Relay {
    explicit Relay(MatrixKeyboardKind kind)
        : keyboard(kind, com, nullptr),
          server([this](const uint8_t* d, size_t n) { keyboard.RelayRead(d, n); }) {}
    FakeSerial com;
    TMatrixKeyboard keyboard;
    TMatrixRelayServer server;
};

TEST(MatrixRelay, RemoteKeyboardCommandsReachTheRelaysSerialPort) {
    Relay relay(MatrixKeyboardKind::DsD);
    relay.keyboard.Port = 4;
    ASSERT_TRUE(relay.server.Open(0));
    TRelayClient link;
    TRemoteMatrixKeyboard remote(MatrixKeyboardKind::DsD, link);
    remote.Click(MatrixButton::SwitchForward); // before connecting: dropped
    ASSERT_TRUE(link.Connect("127.0.0.1", relay.server.Port()));
    ASSERT_TRUE(WaitFor([&] { return link.Connected(); }));
    remote.Click(MatrixButton::SwitchForward);
    ASSERT_TRUE(WaitFor([&] { return relay.com.Count() == 1; }));
    EXPECT_EQ(relay.com.Frames()[0], "1+a+a,S,a");
    EXPECT_EQ(relay.com.log[0].port, 4);
    EXPECT_EQ(relay.com.log[0].baud, 9600);
}

TEST(MatrixRelay, PelcoRelayTakesWholeRecordsAndSurvivesAClosedPeer) {
    Relay relay(MatrixKeyboardKind::Pelco232);
    ASSERT_TRUE(relay.server.Open(0));
    {
        TRelayClient first;
        ASSERT_TRUE(first.Connect("127.0.0.1", relay.server.Port()));
        ASSERT_TRUE(WaitFor([&] { return first.Connected(); }));
        first.Send("7#a  60Ua xy"); // 12 bytes: two commands, the rest dropped
        ASSERT_TRUE(WaitFor([&] { return relay.com.Count() == 2; }));
    }
    TRelayClient second;
    ASSERT_TRUE(second.Connect("127.0.0.1", relay.server.Port()));
    ASSERT_TRUE(WaitFor([&] { return second.Connected(); }));
    second.Send("sa   ");
    ASSERT_TRUE(WaitFor([&] { return relay.com.Count() == 3; }));
    EXPECT_EQ(relay.com.Frames(), (std::vector<std::string>{"7#a", "60Ua", "sa"}));
    EXPECT_EQ(relay.com.log[0].parity, 2);
}

// Idle peers hold at most the relay's cap: a further connection is closed at once, and once an
// idle peer leaves a real sender gets through.
TEST(MatrixRelay, ConnectionsBeyondTheCapAreClosedAtAccept) {
    Relay relay(MatrixKeyboardKind::Pelco232);
    ASSERT_TRUE(relay.server.Open(0));
    std::vector<std::unique_ptr<TRelayClient>> idle;
    for (size_t i = 0; i < TMatrixRelayServer::kMaxRelayClients; ++i) {
        idle.push_back(std::make_unique<TRelayClient>());
        ASSERT_TRUE(idle.back()->Connect("127.0.0.1", relay.server.Port()));
        ASSERT_TRUE(WaitFor([&] { return idle.back()->Connected(); }));
    }
    SOCKET extra = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(relay.server.Port()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(extra, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    ::send(extra, "7#a  ", 5, 0);
    DWORD timeout = 30000; // an upper bound: the close comes at the relay's next pass
    ::setsockopt(extra, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    char byte = 0;
    EXPECT_LE(::recv(extra, &byte, 1, 0), 0); // closed, nothing sent back
    ::closesocket(extra);

    idle.front()->Disconnect();
    TRelayClient sender;
    ASSERT_TRUE(sender.Connect("127.0.0.1", relay.server.Port()));
    ASSERT_TRUE(WaitFor([&] { return sender.Connected(); }));
    sender.Send("Ca   ");
    ASSERT_TRUE(WaitFor([&] { return relay.com.Count() == 1; }));
    EXPECT_EQ(relay.com.Frames(), std::vector<std::string>{"Ca"});
}

TEST(MatrixRelay, BusyPortOrNobodyListeningIsReportedQuietly) {
    Relay a(MatrixKeyboardKind::DsD), b(MatrixKeyboardKind::DsD);
    ASSERT_TRUE(a.server.Open(0));
    EXPECT_FALSE(b.server.Open(a.server.Port()));
    EXPECT_FALSE(b.server.Listening());

    const int port = a.server.Port();
    a.server.Close();
    TRelayClient link;
    ASSERT_TRUE(link.Connect("127.0.0.1", port));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(link.Connected());
    link.Send("x"); // dropped, no error
    EXPECT_FALSE(link.Connect("", port));
}

} // namespace
} // namespace vantrel
