// The client groups (remote hosts) and their channels as the network client and the
// settings windows use them: the host table, the network channel count and the group tree.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <memory>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr int kMaxChannels = 49;

// The host table entry built for one group record.
struct TClientGroup {
    uint8_t InUse = 1;
    PString<20> Name{};
    PString<50> HostAddress{};
    PString<10> UserName{};
    PString<10> Password{};
    NetPortTable Ports{};
    uint8_t ChannelCount = 0;
    TClientChannelRecord Channels[kMaxChannels]{};
    // Takes part in host cycling; in memory only, every reload sets it again.
    bool CycleFlag = true;
};

// Builds the host table from the loaded lists: sets each channel's group index, fills
// `members` (per group, the channel records whose group identifier is the group's, in order)
// and one TClientGroup per group record. A group's table entry takes at most 49 channels;
// further ones stay in its member list.
void BuildClientGroups(std::vector<TClientChannelRecord>& channels,
                       const std::vector<TClientGroupRecord>& groupRecords,
                       std::vector<std::vector<TClientChannelRecord>>& members,
                       std::vector<TClientGroup>& groups);

// Network channels the console shows: none on a host with a board that does not also act as
// a client; otherwise the channels in use, as long as board plus network channels stay <= 49.
int CountNetChannels(const std::vector<TClientChannelRecord>& channels, int boardChannels,
                     bool actAsClient);

// Host cycling over the groups: which take part, in order.
std::vector<bool> CycleFlags(const std::vector<TClientGroup>& groups);
// The next group taking part after `current`, wrapping to the first (so a lone group comes
// again); -1 when none does. A current index past the list starts from 0; -1 gives the first.
int NextCycleGroup(const std::vector<bool>& flags, int current);

// What a tree node of a group carries: a copy of the group record and of its channel list.
struct TClientGroupNodeData {
    TClientGroupRecord Record{};
    std::vector<TClientChannelRecord> Members;
};

// The tree control the groups are shown in. Nodes are numbered in the order they were added.
class TGroupTreeView {
public:
    virtual ~TGroupTreeView() = default;
    virtual int NodeCount() const = 0;
    // -1 for a top-level node.
    virtual int ParentOf(int node) const = 0;
    // Null for a node without a group (the root, a channel).
    virtual TClientGroupNodeData* DataOf(int node) const = 0;
    // parent -1 adds a top-level node.
    virtual int AddChild(int parent, std::string_view text,
                         std::unique_ptr<TClientGroupNodeData> data) = 0;
};

// A tree kept in memory; the windows show it in their tree controls.
class TGroupTree : public TGroupTreeView {
public:
    struct Node {
        int Parent;
        std::string Text; // GBK
        std::unique_ptr<TClientGroupNodeData> Data;
    };
    int NodeCount() const override { return static_cast<int>(nodes_.size()); }
    int ParentOf(int node) const override { return nodes_[static_cast<size_t>(node)].Parent; }
    TClientGroupNodeData* DataOf(int node) const override {
        return nodes_[static_cast<size_t>(node)].Data.get();
    }
    int AddChild(int parent, std::string_view text,
                 std::unique_ptr<TClientGroupNodeData> data) override;
    const Node& At(int node) const { return nodes_[static_cast<size_t>(node)]; }
    std::vector<int> ChildrenOf(int node) const;

private:
    std::vector<Node> nodes_;
};

// Adds the groups below the tree's first node (top level when the tree is empty): the groups
// without parent in order, each followed by its subtree (with `withMembers`, the group's
// channels first). Then every group copy in the tree gets a fresh identifier, its parent's
// identifier and its members that identifier as their group identifier.
void BuildGroupTree(const std::vector<TClientGroupRecord>& groupRecords,
                    const std::vector<std::vector<TClientChannelRecord>>& members,
                    TGroupTreeView& tree, bool withMembers);

} // namespace vantrel
