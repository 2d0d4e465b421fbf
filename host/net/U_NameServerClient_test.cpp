// Registration, search and lookup against the loopback name-server stand-in.
#include "host/net/F_SearchServerForm.h"
#include "host/net/U_AutoGetRemoterHost.h"
#include "host/net/U_NetNameRegistration.h"
#include "host/net/U_UdpSend.h"

#include "host/engine/host_engine_testing.h"
#include "host/net/netsvc_testing.h"
#include "sim/nameserver/name_server.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel {
namespace {

TOtherSettingsRecord OtherSettings(const char* name, const char* server) {
    TOtherSettingsRecord r{};
    TSystemOtherSet::SetDefaults(r, name);
    r.RegisteredName.Set(name);
    r.NameServerAddress.Set(server);
    return r;
}

NetPortTable DefaultPorts() {
    NetPortTable t{};
    TArithmetic::SetDefaultPorts(t);
    return t;
}

class NameServerTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteHostSettings(); }
    void TearDown() override { testing::DeleteHostSettings(); }
    testing::WsaSession wsa_;
};

TEST_F(NameServerTest, RegistrationNeedsBothNameAndServer) {
    namesim::NameServer server;
    ASSERT_TRUE(server.Running());
    TNetNameRegistration reg(server.RegisterPort());
    const std::vector<std::string> titles = {"Gate", "Yard", "Hall", "Dock"};
    EXPECT_FALSE(reg.Register(OtherSettings("", "127.0.0.1"), titles, DefaultPorts()));
    EXPECT_FALSE(reg.Register(OtherSettings("DEPOT", ""), titles, DefaultPorts()));
    ASSERT_TRUE(reg.Register(OtherSettings("DEPOT", "127.0.0.1"), titles, DefaultPorts()));
    ASSERT_TRUE(PumpUntil([&] { return server.Hosts().count("DEPOT") == 1; }, 3000));
    EXPECT_EQ(server.Received(0).size(), 1u); // the two refused ones sent nothing

    const auto host = server.Hosts()["DEPOT"];
    ASSERT_EQ(host.Record.size(), sizeof(HostRegistrationRecord));
    HostRegistrationRecord r;
    std::memcpy(&r, host.Record.data(), sizeof(r));
    EXPECT_EQ(r.ChannelCount, 4);
    EXPECT_EQ(r.ChannelNames[0].Get(), "Gate");
    EXPECT_EQ(r.ChannelNames[3].Get(), "Dock");
    EXPECT_EQ(r.ChannelNames[4].len, 0);
    EXPECT_EQ(r.Ports.Port[15], 59000);

    // The shutdown notice carries the channel count; the stand-in forgets the host.
    ASSERT_TRUE(reg.SendShutdownNotice(OtherSettings("DEPOT", "127.0.0.1"), 4));
    ASSERT_TRUE(PumpUntil([&] { return server.Received(0).size() == 2; }, 3000));
    EXPECT_EQ(server.Received(0)[1], std::string("\x04\x00\x00\x00", 4));
}

TEST_F(NameServerTest, SearchCollectsEveryAnswerWithItsSenderAndCloses) {
    namesim::NameServer server(0, 0, 0, {{"admin", "secret"}});
    ASSERT_TRUE(server.Running());
    TNetNameRegistration reg(server.RegisterPort());
    for (const char* name : {"NORTH", "SOUTH", "WEST"})
        reg.Register(OtherSettings(name, "127.0.0.1"), {"Cam"}, DefaultPorts());
    ASSERT_TRUE(PumpUntil([&] { return server.Hosts().size() == 3; }, 3000));

    TArithmetic arithmetic;
    arithmetic.LogonServer.ServerAddress.Set("  127.0.0.1 ");
    arithmetic.LogonServer.UserName.Set("admin");
    arithmetic.LogonServer.Password.Set("secret");
    TSearchServerForm dialog(arithmetic, server.SearchPort());
    EXPECT_EQ(dialog.ed_ServerAddr, "  127.0.0.1 ");
    ASSERT_TRUE(dialog.bt_StartSearchClick());
    EXPECT_FALSE(dialog.bt_ExitEnabled);
    EXPECT_FALSE(dialog.lb_SearchInfo.empty());
    ASSERT_TRUE(PumpUntil([&] { return dialog.Closed; }, 5000));
    EXPECT_TRUE(dialog.lb_SearchInfo.empty());
    const auto found = dialog.Found();
    ASSERT_EQ(found.size(), 3u);
    for (const auto& r : found)
        EXPECT_EQ(r.Address.Get(), "127.0.0.1");
    EXPECT_EQ(server.Received(1)[0], "admin     secret    ");
}

TEST_F(NameServerTest, UnansweredSearchEnablesCloseThenClosesEmpty) {
    // Someone who reads the request and never answers, then sends junk too long to be a host.
    SOCKET silent = OpenUdpSocket();
    sockaddr_in a{};
    int len = sizeof(a);
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&a), &len);
    TArithmetic arithmetic;
    arithmetic.LogonServer.ServerAddress.Set("127.0.0.1");
    TSearchServerForm dialog(arithmetic, ::ntohs(a.sin_port), {300, 900});
    ASSERT_TRUE(dialog.bt_StartSearchClick());
    char request[64];
    sockaddr_in from{};
    len = sizeof(from);
    ASSERT_EQ(
        ::recvfrom(silent, request, sizeof(request), 0, reinterpret_cast<sockaddr*>(&from), &len),
        20);
    const std::string junk(1200, 'x');
    ::sendto(silent, junk.data(), static_cast<int>(junk.size()), 0,
             reinterpret_cast<sockaddr*>(&from), sizeof(from));

    ASSERT_TRUE(PumpUntil([&] { return dialog.bt_ExitEnabled; }, 3000));
    EXPECT_FALSE(dialog.Closed);
    ASSERT_TRUE(PumpUntil([&] { return dialog.Closed; }, 3000));
    EXPECT_TRUE(dialog.Found().empty());
    ::closesocket(silent);
}

TEST_F(NameServerTest, SearchWithoutAServerAddressDoesNotStart) {
    TArithmetic arithmetic;
    TSearchServerForm dialog(arithmetic, 1);
    dialog.ed_ServerAddr = "   ";
    EXPECT_FALSE(dialog.bt_StartSearchClick());
    EXPECT_TRUE(dialog.bt_ExitEnabled);
    EXPECT_TRUE(dialog.lb_SearchInfo.empty());
    EXPECT_FALSE(PumpUntil([&] { return dialog.Closed; }, 300));
}

TEST_F(NameServerTest, SaveSetStoresTheTrimmedLogin) {
    TArithmetic arithmetic;
    TSearchServerForm dialog(arithmetic, 1);
    dialog.ed_ServerAddr = " names.example ";
    dialog.ed_UserName = " operator123 ";
    dialog.ed_Password = "pw ";
    dialog.bt_SaveSetClick();
    EXPECT_EQ(arithmetic.LogonServer.ServerAddress.Get(), "names.example");
    EXPECT_EQ(arithmetic.LogonServer.UserName.Get(), "operator12");
    EXPECT_EQ(arithmetic.LogonServer.Password.Get(), "pw");
    TArithmetic reread;
    EXPECT_EQ(reread.LogonServer.ServerAddress.Get(), "names.example");
}

struct LookupHost {
    TArithmetic arithmetic;
    TSystemOtherSet other{arithmetic};
    TNetClientSet clients;
    explicit LookupHost(int boardChannels) : clients(arithmetic, other, boardChannels) {
        arithmetic.LogonServer.ServerAddress.Set("127.0.0.1");
        arithmetic.LogonServer.UserName.Set("admin");
        for (const char* name : {"NORTH", "DEPOT", "DEPOT"}) {
            TClientGroup g;
            g.Name.Set(name);
            g.HostAddress.Set("10.0.0.1");
            clients.Groups.push_back(g);
            TClientGroupRecord r{};
            r.Name.Set(name);
            r.HostAddress.Set("10.0.0.1");
            clients.GroupRecords.push_back(r);
        }
    }
};

constexpr TLookupTiming kQuickLookup{50, 100, 20, 200};

TEST_F(NameServerTest, ClientModeLookupMovesTheFirstGroupOfThatName) {
    namesim::NameServer server;
    server.SetLookupAnswer("DEPOT", "192.168.50.7");
    LookupHost host(0); // no board: the host shows network channels
    TAutoGetRemoterHost lookup(host.arithmetic, host.clients, host.other, 0, server.LookupPort(),
                               kQuickLookup);
    lookup.Resume();
    ASSERT_TRUE(PumpUntil([&] { return lookup.RepliesApplied() > 0; }, 5000));
    EXPECT_EQ(host.clients.Groups[0].HostAddress.Get(), "10.0.0.1");
    EXPECT_EQ(host.clients.Groups[1].HostAddress.Get(), "192.168.50.7");
    EXPECT_EQ(host.clients.Groups[2].HostAddress.Get(), "10.0.0.1");
    EXPECT_EQ(host.clients.GroupRecords[1].HostAddress.Get(), "192.168.50.7");
    EXPECT_EQ(host.clients.GroupRecords[2].HostAddress.Get(), "10.0.0.1");
    ASSERT_TRUE(PumpUntil([&] { return server.Received(2).size() >= 3; }, 3000));
    const auto requests = server.Received(2);
    EXPECT_EQ(requests[0], "NORTH               admin               10.0.0.1            ");
}

TEST_F(NameServerTest, BoardHostOutOfClientModeSendsNoLookups) {
    namesim::NameServer server;
    LookupHost host(4);
    host.other.Record.ActAsClient = 0;
    {
        TAutoGetRemoterHost lookup(host.arithmetic, host.clients, host.other, 4,
                                   server.LookupPort(), kQuickLookup);
        lookup.Resume();
        ::Sleep(600);
        EXPECT_EQ(lookup.RequestsSent(), 0);
    }
    EXPECT_TRUE(server.Received(2).empty());
    host.other.Record.ActAsClient = 1;
    TAutoGetRemoterHost lookup(host.arithmetic, host.clients, host.other, 4, server.LookupPort(),
                               kQuickLookup);
    lookup.Resume();
    ASSERT_TRUE(PumpUntil([&] { return server.Received(2).size() >= 3; }, 3000));
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

// A stand-in name server on a plain socket, and a stranger on another.
struct ForgedServer {
    SOCKET server = OpenUdpSocket(), stranger = OpenUdpSocket();
    ~ForgedServer() {
        ::closesocket(server);
        ::closesocket(stranger);
    }
    uint16_t Port() const {
        sockaddr_in a{};
        int len = sizeof(a);
        ::getsockname(server, reinterpret_cast<sockaddr*>(&a), &len);
        return ::ntohs(a.sin_port);
    }
    // The next request's sender.
    sockaddr_in Client() const {
        char request[128];
        sockaddr_in from{};
        int len = sizeof(from);
        ::recvfrom(server, request, sizeof(request), 0, reinterpret_cast<sockaddr*>(&from), &len);
        return from;
    }
    static void SendFrom(SOCKET s, const sockaddr_in& to, const std::string& bytes) {
        ::sendto(s, bytes.data(), static_cast<int>(bytes.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    }
};

TEST_F(NameServerTest, LookupRepliesCountOnlyFromTheNameServer) {
    ForgedServer names;
    LookupHost host(0);
    TAutoGetRemoterHost lookup(host.arithmetic, host.clients, host.other, 0, names.Port(),
                               kQuickLookup);
    lookup.Resume();
    const sockaddr_in client = names.Client();
    const std::string forged = std::string("DEPOT") + std::string(15, ' ') + "10.66.66.66" +
                               std::string(9, ' ');
    ForgedServer::SendFrom(names.stranger, client, forged);
    ASSERT_TRUE(PumpUntil([&] { return lookup.RepliesForeign() == 1; }, 5000));
    EXPECT_EQ(host.clients.Groups[1].HostAddress.Get(), "10.0.0.1");
    // The same bytes from the server's own socket move the group.
    ForgedServer::SendFrom(names.server, client, forged);
    ASSERT_TRUE(PumpUntil([&] { return lookup.RepliesApplied() == 1; }, 5000));
    EXPECT_EQ(host.clients.Groups[1].HostAddress.Get(), "10.66.66.66");
}

TEST_F(NameServerTest, SearchTakesOnlyTheServersAnswersAndAtMostTheCap) {
    ForgedServer names;
    TArithmetic arithmetic;
    arithmetic.LogonServer.ServerAddress.Set("127.0.0.1");
    TSearchServerForm dialog(arithmetic, names.Port(), {5000, 20000});
    ASSERT_TRUE(dialog.bt_StartSearchClick());
    const sockaddr_in client = names.Client();
    HostRegistrationRecord record{};
    record.NetName.Set("EVIL");
    const std::string bytes(reinterpret_cast<const char*>(&record), sizeof(record));
    // A stranger's host and its end marker are not taken.
    ForgedServer::SendFrom(names.stranger, client, bytes);
    ForgedServer::SendFrom(names.stranger, client, "END");
    // The server answers more hosts than a search keeps, then ends.
    for (size_t i = 1; i <= kMaxSearchHosts + 40; ++i) {
        ForgedServer::SendFrom(names.server, client, bytes);
        // Within the socket's buffer: each burst is taken before the next.
        if (i % 32 == 0) {
            ASSERT_TRUE(PumpUntil(
                [&] { return dialog.Found().size() >= std::min(i, kMaxSearchHosts); }, 5000));
        }
    }
    ForgedServer::SendFrom(names.server, client, "END");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Closed; }, 10000));
    EXPECT_EQ(dialog.Found().size(), kMaxSearchHosts);
}

} // namespace
} // namespace vantrel
