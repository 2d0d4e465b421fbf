// The control's host lookup: the name server is asked where each host group is only while the
// control's settings say it works as a client, and its answer moves the group.
#include "host/net/U_AutoGetRemoterHost.h"

#include "sim/nameserver/name_server.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() > end) return false;
        ::Sleep(10);
    }
    return true;
}

TEST(ControlHostLookup, AsksTheNameServerOnlyInClientMode) {
    WSADATA wsa{};
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    for (const uint8_t clientMode : {0, 1}) {
        SCOPED_TRACE(int(clientMode));
        namesim::NameServer server;
        server.SetLookupAnswer("DEPOT", "192.168.50.7");
        TArithmetic arithmetic;
        arithmetic.LogonServer.ServerAddress.Set("127.0.0.1");
        TSystemOtherSet other(arithmetic);
        other.Record.ActAsClient = clientMode;
        TNetClientSet hosts(arithmetic, other, 0);
        hosts.Groups.clear();
        hosts.GroupRecords.clear();
        for (const char* name : {"NORTH", "DEPOT"}) {
            TClientGroup g;
            g.Name.Set(name);
            g.HostAddress.Set("10.0.0.1");
            hosts.Groups.push_back(g);
            TClientGroupRecord r{};
            r.Name.Set(name);
            r.HostAddress.Set("10.0.0.1");
            hosts.GroupRecords.push_back(r);
        }
        // No board, as always in the control: only the client-mode byte decides.
        TAutoGetRemoterHost lookup(arithmetic, hosts, other, 0, server.LookupPort(),
                                   TLookupTiming{20, 20, 10, 100});
        lookup.Resume();
        if (clientMode) {
            ASSERT_TRUE(WaitUntil([&] { return lookup.RepliesApplied() > 0; }, 60000));
            EXPECT_EQ(hosts.Groups[1].HostAddress.Get(), "192.168.50.7");
            EXPECT_EQ(hosts.Groups[0].HostAddress.Get(), "10.0.0.1");
        } else {
            // Several turns of the request loop go by without a request.
            EXPECT_FALSE(WaitUntil([&] { return lookup.RequestsSent() > 0; }, 600));
            EXPECT_TRUE(server.Received(2).empty());
        }
    }
    ::WSACleanup();
}

} // namespace
} // namespace vantrel
