// The remote hosts (client groups) and their channels that this host shows as network
// channels, kept in the registry.
#pragma once

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_SystemOtherSet.h"

#include <vector>

namespace vantrel {

class TNetClientSet {
public:
    // boardChannels: the channel count of the boards (0 without a board).
    TNetClientSet(TArithmetic& arithmetic, const TSystemOtherSet& otherSet, int boardChannels);

    std::vector<TClientChannelRecord> Channels;
    std::vector<TClientGroupRecord> GroupRecords;
    // Per group record, the channel records that belong to it.
    std::vector<std::vector<TClientChannelRecord>> GroupMembers;
    std::vector<TClientGroup> Groups;
    int NetChannelCount = 0;

    void Reload();
    // Shows only the channels of one station; an index outside the table shows none.
    void SelectGroup(int groupIndex);
    int SaveChannelInfo(const void* buffer, int size);
    int SaveGroupInfo(const void* buffer, int size);
    // Adds the groups, and with `withMembers` their channels, to `tree`.
    void BuildGroupTree(TGroupTreeView& tree, bool withMembers) const;

    int BoardChannels() const { return boardChannels_; }

private:
    void Clear();

    TArithmetic& arithmetic_;
    const TSystemOtherSet& otherSet_;
    int boardChannels_;
};

} // namespace vantrel
