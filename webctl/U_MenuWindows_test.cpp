// The host tables a search answer becomes.
#include "webctl/U_MenuWindows.h"

#include "host/engine/U_ClientGroups.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

HostRegistrationRecord Host(const char* name, const char* address, int channels) {
    HostRegistrationRecord h{};
    h.NetName.Set(name);
    h.Address.Set(address);
    h.ChannelCount = uint8_t(channels);
    for (int i = 0; i < 49; ++i)
        h.ChannelNames[i].Set("cam" + std::to_string(i) + "  ");
    h.Ports.Port[0] = 50100;
    h.Ports.Port[14] = 57100;
    return h;
}

TEST(SearchedHosts, EachHostBecomesAGroupWithItsChannels) {
    const TFoundHostList list =
        HostListFromSearch({Host("  gate ", " 10.0.0.5", 2), Host("yard", "10.0.0.6", 200)});
    ASSERT_EQ(list.Groups.size(), 2u);
    EXPECT_EQ(list.Groups[0].Name.Get(), "gate");
    EXPECT_EQ(list.Groups[0].HostAddress.Get(), "10.0.0.5");
    EXPECT_EQ(list.Groups[0].Ports.Port[0], 50100);
    EXPECT_EQ(list.Groups[0].Ports.Port[14], 57100);
    EXPECT_EQ(list.Groups[0].ParentId, 0);
    EXPECT_TRUE(list.Groups[0].UserName.Get().empty());
    // Distinct identities that are no top-level marker, so the channels find their group.
    EXPECT_NE(list.Groups[0].OwnId, 0);
    EXPECT_NE(list.Groups[0].OwnId, list.Groups[1].OwnId);
    // A host claiming more channels than a record holds gives 49.
    ASSERT_EQ(list.Channels.size(), 2u + 49u);
    EXPECT_EQ(list.Channels[1].Name.Get(), "cam1");
    EXPECT_EQ(list.Channels[1].RemoteChannel, 1);
    EXPECT_EQ(list.Channels[1].InUse, 1);
    EXPECT_EQ(list.Channels[1].GroupId, list.Groups[0].OwnId);
    EXPECT_EQ(list.Channels[2].GroupId, list.Groups[1].OwnId);
    EXPECT_EQ(list.Channels.back().RemoteChannel, 48);

    // Built into groups as a stored list is.
    std::vector<TClientChannelRecord> channels = list.Channels;
    std::vector<TClientGroupRecord> groups = list.Groups;
    std::vector<std::vector<TClientChannelRecord>> members;
    std::vector<TClientGroup> built;
    BuildClientGroups(channels, groups, members, built);
    ASSERT_EQ(built.size(), 2u);
    EXPECT_EQ(built[0].ChannelCount, 2);
    EXPECT_EQ(built[1].ChannelCount, 49);
}

} // namespace
} // namespace vantrel::webctl
