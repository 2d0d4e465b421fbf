#include "host/net/U_RemoteHosts.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(RemoteHosts, AddressesOnceAndPortsByHost) {
    std::vector<TClientGroup> groups(4);
    groups[0].HostAddress.Set("10.0.0.2");
    groups[0].Ports.Port[1] = 51500;
    groups[1].HostAddress.Set("");
    groups[2].HostAddress.Set("10.0.0.3");
    groups[3].HostAddress.Set("10.0.0.2");
    groups[3].Ports.Port[1] = 1;
    EXPECT_EQ(HostAddressList(groups), (std::vector<std::string>{"10.0.0.2", "10.0.0.3"}));
    NetPortTable defaults{};
    defaults.Port[1] = 51000;
    EXPECT_EQ(HostPort(groups, "10.0.0.2", 1, defaults), 51500);
    EXPECT_EQ(HostPort(groups, "10.0.0.9", 1, defaults), 51000);
    EXPECT_EQ(HostPort(groups, "10.0.0.2", 99, defaults), 0);
}

} // namespace
} // namespace vantrel
