#include "host/net/U_TCPClient.h"
#include "host/net/U_TCPConnecter.h"
#include "host/net/U_TCPServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vantrel {
namespace {

uint16_t BoundPort(SOCKET s) {
    sockaddr_in a{};
    int len = sizeof(a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

void WaitFor(WSAEVENT e) {
    ::WSAWaitForMultipleEvents(1, &e, FALSE, 5000, FALSE);
}

// A client connected to an accepted connecter, both through loopback.
struct Pair {
    TTCPServer server;
    TTCPClient client;
    TTCPConnecter viewer{4};

    Pair() {
        EXPECT_TRUE(server.Bind(0));
        EXPECT_EQ(::listen(server.Socket.get(), 5), 0);
        EXPECT_TRUE(client.OpenSocket());
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(BoundPort(server.Socket.get()));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(client.Socket.get(), reinterpret_cast<sockaddr*>(&to), sizeof(to)), 0);
        WaitFor(server.NetEvent.get());
        int len = sizeof(viewer.PeerAddr);
        viewer.Socket.reset(
            ::accept(server.Socket.get(), reinterpret_cast<sockaddr*>(&viewer.PeerAddr), &len));
        EXPECT_TRUE(viewer.Socket);
        ::WSAEventSelect(viewer.Socket.get(), viewer.ReadEvent.get(), kFdReadClose);
        ::WSAEventSelect(client.Socket.get(), client.NetEvent.get(), kFdReadClose);
    }
};

TEST(Sockets, ResolveHostName) {
    TTCPClient client; // its own Winsock start-up is what the lookup needs
    EXPECT_EQ(client.ResolveHostName("127.0.0.1"), htonl(INADDR_LOOPBACK));
    EXPECT_EQ(client.ResolveHostName(""), 0u);
    EXPECT_EQ(client.ResolveHostName("no-such-host.invalid"), 0u);
}

TEST(Sockets, BindOnAListeningServerChangesNothing) {
    TTCPServer server;
    ASSERT_TRUE(server.Bind(0));
    SOCKET first = server.Socket.get();
    EXPECT_TRUE(server.Bind(1));
    EXPECT_EQ(server.Socket.get(), first);
    server.Close();
    EXPECT_FALSE(server.Listening);
    EXPECT_FALSE(server.Socket);
}

TEST(Sockets, BindToAPortInUseFails) {
    TTCPServer a, b;
    ASSERT_TRUE(a.Bind(0));
    ASSERT_EQ(::listen(a.Socket.get(), 5), 0);
    EXPECT_FALSE(b.Bind(BoundPort(a.Socket.get())));
    EXPECT_FALSE(b.Listening);
}

TEST(Sockets, ReceiveReportsZeroForNothingWaitingAndForAnOrderlyClose) {
    Pair p;
    char buf[64];
    EXPECT_EQ(p.viewer.ReceiveBuffer(buf, sizeof(buf)), 0);
    EXPECT_EQ(p.client.ReceiveBuffer(buf, sizeof(buf)), 0);

    EXPECT_EQ(p.client.SendText("hello"), 5);
    WaitFor(p.viewer.ReadEvent.get());
    for (int i = 0; i < 100 && p.viewer.BytesAvailable() < 5; ++i)
        ::Sleep(10);
    EXPECT_EQ(p.viewer.BytesAvailable(), 5);
    EXPECT_EQ(p.viewer.ReceiveBuffer(buf, sizeof(buf)), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");

    EXPECT_EQ(p.viewer.SendBuffer("xyz", 3), 3);
    for (int i = 0; i < 100 && p.client.BytesAvailable() < 3; ++i)
        ::Sleep(10);
    EXPECT_EQ(p.client.ReceiveBuffer(buf, sizeof(buf)), 3);
    EXPECT_TRUE(p.viewer.SetSendBufferSize(16384));
    EXPECT_TRUE(p.client.SetReceiveBufferSize(65536));

    p.client.Close();
    EXPECT_FALSE(p.client.Open);
    WaitFor(p.viewer.ReadEvent.get());
    EXPECT_EQ(p.viewer.ReceiveBuffer(buf, sizeof(buf)), 0);
}

TEST(Sockets, ClientCloseWakesItsWaitingThread) {
    Pair p;
    std::atomic<DWORD> woke{WSA_WAIT_FAILED};
    std::thread waiter([&] {
        WSAEVENT pair[2] = {p.client.NetEvent.get(), p.client.StopEvent.get()};
        woke = ::WSAWaitForMultipleEvents(2, pair, FALSE, 5000, FALSE);
    });
    ::Sleep(50);
    p.client.Close();
    waiter.join();
    EXPECT_NE(woke.load(), static_cast<DWORD>(WSA_WAIT_TIMEOUT));
    EXPECT_EQ(::WaitForSingleObject(p.client.StopEvent.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(p.client.NetEvent.get(), 0), WAIT_OBJECT_0);
    // A closed client opens again.
    EXPECT_TRUE(p.client.OpenSocket());
}

TEST(Sockets, ConnecterStartsUnadmittedWithAnEmptyRequest) {
    TTCPConnecter c(kViewerQueueCapacity);
    EXPECT_EQ(c.Request.Channel, -1);
    EXPECT_EQ(c.Request.HostAddress.len, 0);
    EXPECT_EQ(c.Request.Keyword.len, 0);
    EXPECT_EQ(c.Queue->Capacity(), kViewerQueueCapacity);
    EXPECT_EQ(c.Admitted, 0);
    EXPECT_EQ(c.Pending, 1);
    EXPECT_EQ(c.AlarmPort, -1);
    c.SetSendEvent(1);
    EXPECT_EQ(::WaitForSingleObject(c.SendStopEvent.get(), 0), WAIT_OBJECT_0);
    EXPECT_NE(::WaitForSingleObject(c.SendEvent.get(), 0), WAIT_OBJECT_0);
}

} // namespace
} // namespace vantrel
