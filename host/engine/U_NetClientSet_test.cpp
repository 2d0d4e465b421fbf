#include "host/engine/U_NetClientSet.h"

#include "common/win/textconv.h"

#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

constexpr const char* kClientKey = "SOFTWARE\\VQS\\CLIENT";

TClientChannelRecord Channel(const std::string& name, int32_t groupId, bool inUse = true) {
    TClientChannelRecord c{};
    c.InUse = inUse ? 1 : 0;
    c.Name.Set(name);
    c.GroupId = groupId;
    return c;
}

TClientGroupRecord Group(const std::string& name, int32_t id, int32_t parent) {
    TClientGroupRecord g{};
    g.Name.Set(name);
    g.HostAddress.Set("192.168.7.2");
    g.UserName.Set("admin");
    g.OwnId = id;
    g.ParentId = parent;
    g.MemberLink = 0x11111111;
    g.TreeNodeLink = 0x22222222;
    TArithmetic::SetDefaultPorts(g.Ports);
    return g;
}

class NetClientSetTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteHostSettings(); }
    void TearDown() override { testing::DeleteHostSettings(); }

    void Store(const std::vector<TClientChannelRecord>& channels,
               const std::vector<TClientGroupRecord>& groups, int extraGroupBytes = 0) {
        ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kClientKey, "ChannelInfo",
                                              channels.data(), int(channels.size() * 32)),
                  0);
        std::vector<uint8_t> raw(groups.size() * 196 + size_t(extraGroupBytes), 0x5A);
        std::memcpy(raw.data(), groups.data(), groups.size() * 196);
        ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kClientKey, "GroupInfo",
                                              raw.data(), int(raw.size())),
                  0);
    }
    void StoreActAsClient(bool on) {
        TOtherSettingsRecord r{};
        TSystemOtherSet::SetDefaults(r, "host");
        r.ActAsClient = on ? 1 : 0;
        ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\OTHER", "OTHER",
                                              &r, sizeof(r)),
                  0);
    }
};

TEST_F(NetClientSetTest, NetworkChannelCountFromTheStoredLists) {
    const struct {
        const char* name;
        int board;
        bool client;
        int inUse;
        int want;
    } cases[] = {
        {"board host not acting as client", 4, false, 10, 0},
        {"viewer only, option off", 0, false, 5, 5},
        {"16 board channels and 40 in use", 16, true, 40, 33},
        {"board host acting as client", 8, true, 6, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TClientChannelRecord> channels;
        for (int i = 0; i < c.inUse; ++i) {
            channels.push_back(Channel("cam" + std::to_string(i), 100 + i % 2));
            channels.push_back(Channel("spare", 100, false));
        }
        Store(channels, {Group("a", 100, 0), Group("b", 101, 0)});
        StoreActAsClient(c.client);
        TArithmetic arithmetic;
        TSystemOtherSet other(arithmetic);
        TNetClientSet set(arithmetic, other, c.board);
        EXPECT_EQ(set.NetChannelCount, c.want);
        ASSERT_EQ(set.Groups.size(), 2u);
        // "a" holds every other camera and all the spares.
        EXPECT_EQ(set.Groups[0].ChannelCount, std::min(49, (c.inUse + 1) / 2 + c.inUse));
        EXPECT_EQ(+set.GroupRecords[0].MemberLink, 0u);
        EXPECT_EQ(+set.GroupRecords[0].TreeNodeLink, 0u);
    }
}

TEST_F(NetClientSetTest, PartialAndMissingValues) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    {
        TNetClientSet set(arithmetic, other, 0);
        EXPECT_TRUE(set.Channels.empty());
        EXPECT_EQ(set.NetChannelCount, 0);
    }
    // 200 bytes of groups: one group, the trailing 4 bytes ignored.
    Store({Channel("x", 5), Channel("y", 6)}, {Group("five", 5, 0)}, 4);
    {
        TNetClientSet set(arithmetic, other, 0);
        ASSERT_EQ(set.GroupRecords.size(), 1u);
        EXPECT_EQ(set.Groups[0].ChannelCount, 1);
        EXPECT_EQ(set.NetChannelCount, 2); // "y" has no group and still counts
    }
    // Channels without any group value.
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\CLIENT", L"GroupInfo");
    {
        TNetClientSet set(arithmetic, other, 0);
        EXPECT_EQ(set.Channels.size(), 2u);
        EXPECT_TRUE(set.Groups.empty());
        EXPECT_EQ(set.NetChannelCount, 2);
    }
}

TEST_F(NetClientSetTest, SelectGroupShowsOneStation) {
    Store({Channel("a1", 1), Channel("b1", 2), Channel("a2", 1), Channel("a3", 1, false)},
          {Group("a", 1, 0), Group("b", 2, 0)});
    StoreActAsClient(true);
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet set(arithmetic, other, 0);
    EXPECT_EQ(set.NetChannelCount, 3);
    const struct { int group, want; } cases[] = {{0, 3}, {1, 1}, {2, 0}, {-1, 0}};
    for (const auto& c : cases) {
        set.SelectGroup(c.group);
        EXPECT_EQ(set.NetChannelCount, c.want) << c.group;
    }
}

TEST_F(NetClientSetTest, GroupTreeSavedAndReadBack) {
    const std::string station = dvr::win::Utf8ToGbk("本地站点");
    Store({Channel("c1", 10), Channel("c2", 20), Channel("c3", 10)},
          {Group(station, 10, 0), Group("sub", 20, 10), Group("lost", 30, 99)});
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet set(arithmetic, other, 0);
    TGroupTree tree;
    tree.AddChild(-1, "root", nullptr);
    set.BuildGroupTree(tree, true);
    ASSERT_EQ(tree.NodeCount(), 6); // root, station, c1, c3, sub, c2
    EXPECT_EQ(tree.At(1).Text, station);

    // Save the lists from the tree as the settings window does, load them again.
    std::vector<TClientGroupRecord> groups;
    std::vector<TClientChannelRecord> channels;
    for (int i = 0; i < tree.NodeCount(); ++i)
        if (const TClientGroupNodeData* d = tree.DataOf(i)) {
            groups.push_back(d->Record);
            channels.insert(channels.end(), d->Members.begin(), d->Members.end());
        }
    ASSERT_EQ(set.SaveGroupInfo(groups.data(), int(groups.size() * 196)), 0);
    ASSERT_EQ(set.SaveChannelInfo(channels.data(), int(channels.size() * 32)), 0);
    set.Reload();
    ASSERT_EQ(set.GroupRecords.size(), 2u);
    EXPECT_EQ(set.Groups[0].ChannelCount, 2);
    EXPECT_EQ(set.Groups[1].ChannelCount, 1);
    EXPECT_EQ(set.Groups[1].Channels[0].Name.Get(), "c2");

    TGroupTree back;
    back.AddChild(-1, "root", nullptr);
    set.BuildGroupTree(back, true);
    ASSERT_EQ(back.NodeCount(), tree.NodeCount());
    for (int i = 0; i < tree.NodeCount(); ++i) {
        EXPECT_EQ(back.At(i).Text, tree.At(i).Text);
        EXPECT_EQ(back.ParentOf(i), tree.ParentOf(i));
    }
}

TEST_F(NetClientSetTest, OtherSettingsDefaultsAndShortStoredRecord) {
    TArithmetic arithmetic;
    {
        TSystemOtherSet fresh(arithmetic);
        EXPECT_EQ(fresh.Record.ShowLogonAtStart, 1);
        EXPECT_EQ(fresh.Record.LockSystemKeys, 0);
        EXPECT_EQ(fresh.Record.RegisteredName.Get(),
                  TSystemOtherSet::ComputerName().substr(0, fresh.Record.RegisteredName.len));
        EXPECT_FALSE(fresh.Record.RegisteredName.Get().empty());
    }
    // An older, shorter record keeps the defaults behind it.
    TOtherSettingsRecord r{};
    r.LockSystemKeys = 1;
    r.ActAsClient = 1;
    ASSERT_EQ(
        TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\OTHER", "OTHER", &r, 57),
        0);
    TSystemOtherSet other(arithmetic);
    EXPECT_EQ(other.Record.LockSystemKeys, 1);
    EXPECT_EQ(other.Record.ActAsClient, 1);
    EXPECT_EQ(other.Record.ShowLogonAtStart, 1);

    // The registered name is cut to 20 bytes on a character boundary.
    const struct {
        std::string name;
        std::string want;
    } cases[] = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", "ABCDEFGHIJKLMNOPQRST"},
        {"A" + dvr::win::Utf8ToGbk("监控主机一二三四五六"),
         "A" + dvr::win::Utf8ToGbk("监控主机一二三四五")},
    };
    for (const auto& c : cases) {
        TSystemOtherSet::SetDefaults(r, c.name);
        EXPECT_EQ(r.RegisteredName.Get(), c.want);
        EXPECT_LE(r.RegisteredName.len, 20);
    }
}

} // namespace
} // namespace vantrel
