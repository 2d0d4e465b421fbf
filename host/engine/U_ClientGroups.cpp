#include "host/engine/U_ClientGroups.h"

#include <algorithm>

namespace vantrel {

void BuildClientGroups(std::vector<TClientChannelRecord>& channels,
                       const std::vector<TClientGroupRecord>& groupRecords,
                       std::vector<std::vector<TClientChannelRecord>>& members,
                       std::vector<TClientGroup>& groups) {
    members.assign(groupRecords.size(), {});
    groups.assign(groupRecords.size(), TClientGroup{});
    for (size_t i = 0; i < groupRecords.size(); ++i) {
        const TClientGroupRecord& r = groupRecords[i];
        TClientGroup& g = groups[i];
        g.Name = r.Name;
        g.HostAddress = r.HostAddress;
        g.UserName = r.UserName;
        g.Password = r.Password;
        g.Ports = r.Ports;
        for (TClientChannelRecord& ch : channels) {
            if (ch.GroupId != r.OwnId) continue;
            ch.GroupIndex = static_cast<int32_t>(i);
            members[i].push_back(ch);
            if (g.ChannelCount >= kMaxChannels) continue;
            TClientChannelRecord& slot = g.Channels[g.ChannelCount++];
            slot = TClientChannelRecord{};
            slot.InUse = ch.InUse;
            slot.Name = ch.Name;
            slot.RemoteChannel = ch.RemoteChannel;
            slot.DropBFrames = ch.DropBFrames;
            slot.GroupIndex = static_cast<int32_t>(i);
        }
    }
}

int CountNetChannels(const std::vector<TClientChannelRecord>& channels, int boardChannels,
                     bool actAsClient) {
    if (!actAsClient && boardChannels >= 1) return 0;
    int n = 0;
    for (const TClientChannelRecord& ch : channels) {
        if (boardChannels + n >= kMaxChannels) break;
        if (ch.InUse) ++n;
    }
    return n;
}

std::vector<bool> CycleFlags(const std::vector<TClientGroup>& groups) {
    std::vector<bool> flags;
    flags.reserve(groups.size());
    for (const TClientGroup& g : groups)
        flags.push_back(g.CycleFlag);
    return flags;
}

int NextCycleGroup(const std::vector<bool>& flags, int current) {
    const int n = static_cast<int>(flags.size());
    if (n == 0) return -1;
    if (current >= n) current = 0;
    // After the current group to the end, then from the first group up to the current one.
    for (int g = current + 1; g < n; ++g)
        if (flags[size_t(g)]) return g;
    for (int g = 0; g <= current; ++g)
        if (flags[size_t(g)]) return g;
    return -1;
}

int TGroupTree::AddChild(int parent, std::string_view text,
                         std::unique_ptr<TClientGroupNodeData> data) {
    nodes_.push_back(Node{parent, std::string(text), std::move(data)});
    return static_cast<int>(nodes_.size()) - 1;
}

std::vector<int> TGroupTree::ChildrenOf(int node) const {
    std::vector<int> out;
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].Parent == node) out.push_back(static_cast<int>(i));
    return out;
}

namespace {

class TreeBuilder {
public:
    TreeBuilder(const std::vector<TClientGroupRecord>& records,
                const std::vector<std::vector<TClientChannelRecord>>& members, TGroupTreeView& tree,
                bool withMembers)
        : records_(records), members_(members), tree_(tree), withMembers_(withMembers) {}

    void AddGroup(int parent, size_t index) {
        auto data = std::make_unique<TClientGroupNodeData>();
        data->Record = records_[index];
        if (index < members_.size()) data->Members = members_[index];
        const int node = tree_.AddChild(parent, records_[index].Name.View(), std::move(data));
        path_.push_back(index);
        AddSubtree(node, index);
        path_.pop_back();
    }

private:
    void AddSubtree(int node, size_t index) {
        if (withMembers_ && index < members_.size())
            for (const TClientChannelRecord& ch : members_[index])
                tree_.AddChild(node, ch.Name.View(), nullptr);
        const int32_t id = records_[index].OwnId;
        if (id == 0) return; // 0 marks the top level, never a parent
        for (size_t j = 0; j < records_.size(); ++j) {
            if (records_[j].ParentId != id) continue;
            // Identifiers that loop back to an ancestor would nest without end.
            if (std::find(path_.begin(), path_.end(), j) != path_.end()) continue;
            AddGroup(node, j);
        }
    }

    const std::vector<TClientGroupRecord>& records_;
    const std::vector<std::vector<TClientChannelRecord>>& members_;
    TGroupTreeView& tree_;
    bool withMembers_;
    std::vector<size_t> path_;
};

} // namespace

void BuildGroupTree(const std::vector<TClientGroupRecord>& groupRecords,
                    const std::vector<std::vector<TClientChannelRecord>>& members,
                    TGroupTreeView& tree, bool withMembers) {
    const int top = tree.NodeCount() > 0 ? 0 : -1;
    TreeBuilder builder(groupRecords, members, tree, withMembers);
    for (size_t i = 0; i < groupRecords.size(); ++i)
        if (groupRecords[i].ParentId == 0) builder.AddGroup(top, i);

    // Fresh identifiers: one per group copy, unique within the tree, never 0.
    int32_t next = 1;
    const int n = tree.NodeCount();
    for (int node = 0; node < n; ++node)
        if (TClientGroupNodeData* d = tree.DataOf(node)) d->Record.OwnId = next++;
    for (int node = 0; node < n; ++node) {
        TClientGroupNodeData* d = tree.DataOf(node);
        if (!d) continue;
        const int parent = tree.ParentOf(node);
        const TClientGroupNodeData* pd = parent >= 0 ? tree.DataOf(parent) : nullptr;
        d->Record.ParentId = pd ? pd->Record.OwnId : 0;
        d->Record.MemberLink = 0;
        d->Record.TreeNodeLink = 0;
        for (TClientChannelRecord& ch : d->Members)
            ch.GroupId = d->Record.OwnId;
    }
}

} // namespace vantrel
