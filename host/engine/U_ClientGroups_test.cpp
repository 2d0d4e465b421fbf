#include "host/engine/U_ClientGroups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace vantrel {
namespace {

TClientChannelRecord Channel(const char* name, int32_t groupId, bool inUse = true,
                             uint8_t remote = 0) {
    TClientChannelRecord c{};
    c.InUse = inUse ? 1 : 0;
    c.Name.Set(name);
    c.RemoteChannel = remote;
    c.DropBFrames = 2;
    c.GroupIndex = -77;
    c.GroupId = groupId;
    return c;
}

TClientGroupRecord Group(const char* name, int32_t id, int32_t parent) {
    TClientGroupRecord g{};
    g.Name.Set(name);
    g.HostAddress.Set("10.0.0.1");
    g.OwnId = id;
    g.ParentId = parent;
    g.MemberLink = 0xDEADBEEF;
    g.Ports.Port[0] = 50000 + id;
    return g;
}

TEST(BuildClientGroups, ChannelsJoinTheirGroupInOrder) {
    std::vector<TClientChannelRecord> channels = {Channel("a", 100, true, 3), Channel("b", 200),
                                                  Channel("c", 100, false, 5),
                                                  Channel("orphan", 999)};
    const std::vector<TClientGroupRecord> records = {Group("g1", 100, 0), Group("g2", 200, 0)};
    std::vector<std::vector<TClientChannelRecord>> members;
    std::vector<TClientGroup> groups;
    BuildClientGroups(channels, records, members, groups);

    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].Name.Get(), "g1");
    EXPECT_EQ(+groups[0].Ports.Port[0], 50100);
    ASSERT_EQ(groups[0].ChannelCount, 2);
    EXPECT_EQ(groups[0].Channels[0].Name.Get(), "a");
    EXPECT_EQ(groups[0].Channels[0].RemoteChannel, 3);
    EXPECT_EQ(groups[0].Channels[0].DropBFrames, 2);
    EXPECT_EQ(groups[0].Channels[1].Name.Get(), "c"); // taken whether in use or not
    EXPECT_EQ(groups[0].Channels[1].InUse, 0);
    EXPECT_EQ(+groups[0].Channels[1].GroupIndex, 0);
    EXPECT_EQ(+groups[0].Channels[1].GroupId, 0); // not filled in the host table
    EXPECT_EQ(groups[1].ChannelCount, 1);
    EXPECT_EQ(+groups[1].Channels[0].GroupIndex, 1);

    EXPECT_EQ(+channels[0].GroupIndex, 0);
    EXPECT_EQ(+channels[1].GroupIndex, 1);
    EXPECT_EQ(+channels[3].GroupIndex, -77); // no group
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].size(), 2u);
}

TEST(BuildClientGroups, AGroupTableEntryHoldsAtMost49Channels) {
    std::vector<TClientChannelRecord> channels(60, Channel("x", 7));
    std::vector<std::vector<TClientChannelRecord>> members;
    std::vector<TClientGroup> groups;
    BuildClientGroups(channels, {Group("big", 7, 0)}, members, groups);
    EXPECT_EQ(groups[0].ChannelCount, 49);
    EXPECT_EQ(members[0].size(), 60u); // the rest stays with the group for the settings window
}

TEST(CountNetChannels, BoardAndClientModeDecide) {
    const struct {
        const char* name;
        int board;
        bool client;
        int inUse, unused;
        int want;
    } cases[] = {
        {"board host not acting as client", 4, false, 10, 0, 0},
        {"no board counts even with the option off", 0, false, 5, 2, 5},
        {"16 board channels leave room for 33", 16, true, 40, 0, 33},
        {"board fills every slot", 49, true, 3, 0, 0},
        {"viewer only: at most 49", 0, true, 60, 0, 49},
        {"only channels in use count", 1, true, 3, 4, 3},
    };
    for (const auto& c : cases) {
        std::vector<TClientChannelRecord> channels;
        for (int i = 0; i < std::max(c.inUse, c.unused); ++i) {
            if (i < c.inUse) channels.push_back(Channel("on", 1, true));
            if (i < c.unused) channels.push_back(Channel("off", 1, false));
        }
        EXPECT_EQ(CountNetChannels(channels, c.board, c.client), c.want) << c.name;
    }
}

// Reads a tree back as text lines "depth:name" in node order, for comparisons.
std::vector<std::string> Shape(const TGroupTree& tree) {
    std::vector<std::string> out;
    for (int i = 0; i < tree.NodeCount(); ++i) {
        int depth = 0;
        for (int p = tree.ParentOf(i); p >= 0; p = tree.ParentOf(p))
            ++depth;
        out.push_back(std::to_string(depth) + ":" + tree.At(i).Text + (tree.DataOf(i) ? "" : "*"));
    }
    return out;
}

struct Fixture {
    std::vector<TClientChannelRecord> channels = {Channel("cam-a", 10), Channel("cam-b", 30),
                                                  Channel("cam-c", 10), Channel("lost", 77)};
    std::vector<TClientGroupRecord> records = {Group("east", 10, 0),     Group("west", 20, 0),
                                               Group("east-1", 30, 10),  Group("east-1-a", 40, 30),
                                               Group("orphan", 50, 999), Group("self", 60, 60),
                                               Group("loop-a", 70, 80),  Group("loop-b", 80, 70)};
    std::vector<std::vector<TClientChannelRecord>> members;
    std::vector<TClientGroup> groups;
    Fixture() { BuildClientGroups(channels, records, members, groups); }
};

TEST(BuildGroupTree, GroupsNestUnderTheFirstNodeWithFreshIdentifiers) {
    Fixture f;
    TGroupTree tree;
    tree.AddChild(-1, "root", nullptr);
    BuildGroupTree(f.records, f.members, tree, true);
    const std::vector<std::string> want = {"0:root*",  "1:east",   "2:cam-a*",   "2:cam-c*",
                                           "2:east-1", "3:cam-b*", "3:east-1-a", "1:west"};
    EXPECT_EQ(Shape(tree), want);

    std::set<int32_t> ids;
    for (int i = 0; i < tree.NodeCount(); ++i) {
        const TClientGroupNodeData* d = tree.DataOf(i);
        if (!d) continue;
        EXPECT_NE(+d->Record.OwnId, 0);
        EXPECT_TRUE(ids.insert(d->Record.OwnId).second) << "identifier used twice";
        const int parent = tree.ParentOf(i);
        const TClientGroupNodeData* pd = parent >= 0 ? tree.DataOf(parent) : nullptr;
        EXPECT_EQ(+d->Record.ParentId, pd ? pd->Record.OwnId : 0) << tree.At(i).Text;
        for (const TClientChannelRecord& m : d->Members)
            EXPECT_EQ(+m.GroupId, d->Record.OwnId);
        EXPECT_EQ(+d->Record.MemberLink, 0u);
    }
}

TEST(BuildGroupTree, WithoutMembersAndWithoutRootNode) {
    Fixture f;
    TGroupTree tree;
    BuildGroupTree(f.records, f.members, tree, false);
    const std::vector<std::string> want = {"0:east", "1:east-1", "2:east-1-a", "0:west"};
    EXPECT_EQ(Shape(tree), want);
    // The member lists still travel with the copies, for saving.
    EXPECT_EQ(tree.DataOf(0)->Members.size(), 2u);
}

TEST(BuildGroupTree, ReadsBackTheSameTreeFromTheSavedCopies) {
    Fixture f;
    TGroupTree tree;
    tree.AddChild(-1, "root", nullptr);
    BuildGroupTree(f.records, f.members, tree, true);

    // What the settings window saves: the group copies in node order and their members.
    std::vector<TClientGroupRecord> savedGroups;
    std::vector<TClientChannelRecord> savedChannels;
    for (int i = 0; i < tree.NodeCount(); ++i)
        if (const TClientGroupNodeData* d = tree.DataOf(i)) {
            savedGroups.push_back(d->Record);
            savedChannels.insert(savedChannels.end(), d->Members.begin(), d->Members.end());
        }
    Fixture again;
    again.channels = savedChannels;
    again.records = savedGroups;
    BuildClientGroups(again.channels, again.records, again.members, again.groups);
    TGroupTree back;
    back.AddChild(-1, "root", nullptr);
    BuildGroupTree(again.records, again.members, back, true);
    EXPECT_EQ(Shape(back), Shape(tree));
}

TEST(BuildGroupTree, LoopingIdentifiersEnd) {
    // A group that is its own parent under a group with the same identifier.
    std::vector<TClientGroupRecord> records = {Group("top", 5, 0), Group("again", 5, 5),
                                               Group("zero", 0, 0), Group("under-zero", 9, 0)};
    std::vector<TClientChannelRecord> channels;
    std::vector<std::vector<TClientChannelRecord>> members;
    std::vector<TClientGroup> groups;
    BuildClientGroups(channels, records, members, groups);
    TGroupTree tree;
    BuildGroupTree(records, members, tree, false);
    const std::vector<std::string> want = {"0:top", "1:again", "0:zero", "0:under-zero"};
    EXPECT_EQ(Shape(tree), want);
}

TEST(HostCycle, TheNextFlaggedGroupWrapsAndALoneGroupComesAgain) {
    // -1 (no group yet) gives the first flagged one.
    using Flags = std::vector<bool>;
    struct Case {
        Flags flags;
        int current, next;
    } cases[] = {
        {{true, true, true}, 0, 1},   {{true, true, true}, 2, 0},   {{true, false, true}, 0, 2},
        {{false, true, false}, 1, 1}, {{false, false, false}, 0, -1}, {{true, true}, 5, 1},
        {{false, true}, -1, 1},       {{}, 0, -1},                  {{true, false}, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextCycleGroup(c.flags, c.current), c.next) << c.current;
}

} // namespace
} // namespace vantrel
