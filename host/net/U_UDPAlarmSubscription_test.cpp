#include "host/net/U_UDPAlarmSubscription.h"

#include "host/net/live_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(AlarmSubscription, EveryOpenViewerFromTheSenderGetsThePort) {
    testing::FakeLiveHost host;
    TTCPMainConnecter list{host, INVALID_SOCKET, 2};
    auto add = [&](const char* address, bool closed) {
        auto* v = new TTCPConnecter(kViewerQueueCapacity);
        v->PeerAddressText = address;
        v->Closed = closed ? 1 : 0;
        list.LinkViewer(v);
        return v;
    };
    TTCPConnecter* a = add("10.0.0.5", false);
    TTCPConnecter* b = add("10.0.0.6", false);
    TTCPConnecter* c = add("10.0.0.5", false);
    TTCPConnecter* d = add("10.0.0.5", true);
    EXPECT_EQ(SubscribeViewerAlarms(list, "10.0.0.5", 56010), 2);
    EXPECT_EQ(a->AlarmPort, 56010);
    EXPECT_EQ(a->AlarmAddress, "10.0.0.5");
    EXPECT_EQ(c->AlarmPort, 56010);
    EXPECT_EQ(b->AlarmPort, -1);
    EXPECT_TRUE(b->AlarmAddress.empty());
    EXPECT_EQ(d->AlarmPort, -1);

    TLiveServers servers(host);
    EXPECT_EQ(SubscribeViewerAlarms(servers, 0, "10.0.0.5", 1), 0); // no server running
}

} // namespace
} // namespace vantrel
