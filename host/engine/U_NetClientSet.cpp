#include "host/engine/U_NetClientSet.h"

#include <cstring>
#include <string>

namespace vantrel {
namespace {
// Below the settings root of the program this unit is built into.
const std::string kKey = std::string(kSettingsKey) + "CLIENT";
}

TNetClientSet::TNetClientSet(TArithmetic& arithmetic, const TSystemOtherSet& otherSet,
                             int boardChannels)
    : arithmetic_(arithmetic), otherSet_(otherSet), boardChannels_(boardChannels) {
    Reload();
}

void TNetClientSet::Clear() {
    Channels.clear();
    GroupRecords.clear();
    GroupMembers.clear();
    Groups.clear();
}

void TNetClientSet::Reload() {
    Clear();
    [&] {
        const int channelBytes =
            arithmetic_.GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "ChannelInfo");
        const int n = channelBytes > 0 ? channelBytes / int(sizeof(TClientChannelRecord)) : 0;
        if (n > 0) {
            Channels.resize(static_cast<size_t>(n));
            // The stored value may hold a torn record at its end: read whole records only.
            std::vector<uint8_t> raw(static_cast<size_t>(channelBytes));
            if (arithmetic_.ReadRegBinary(HKEY_LOCAL_MACHINE, kKey, "ChannelInfo", raw.data(),
                                          channelBytes) <= 0) {
                Clear();
                return;
            }
            std::memcpy(Channels.data(), raw.data(),
                        Channels.size() * sizeof(TClientChannelRecord));
        }
        const int groupBytes = arithmetic_.GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "GroupInfo");
        const int m = groupBytes > 0 ? groupBytes / int(sizeof(TClientGroupRecord)) : 0;
        if (m <= 0) return;
        std::vector<uint8_t> raw(static_cast<size_t>(groupBytes));
        if (arithmetic_.ReadRegBinary(HKEY_LOCAL_MACHINE, kKey, "GroupInfo", raw.data(),
                                      groupBytes) <= 0) {
            Clear();
            return;
        }
        GroupRecords.resize(static_cast<size_t>(m));
        std::memcpy(GroupRecords.data(), raw.data(),
                    GroupRecords.size() * sizeof(TClientGroupRecord));
        for (TClientGroupRecord& g : GroupRecords)
            g.MemberLink = 0, g.TreeNodeLink = 0;
        BuildClientGroups(Channels, GroupRecords, GroupMembers, Groups);
    }();
    NetChannelCount = CountNetChannels(Channels, boardChannels_, otherSet_.Record.ActAsClient != 0);
}

void TNetClientSet::SelectGroup(int groupIndex) {
    NetChannelCount = groupIndex >= 0 && groupIndex < static_cast<int>(Groups.size())
                          ? Groups[static_cast<size_t>(groupIndex)].ChannelCount
                          : 0;
}

int TNetClientSet::SaveChannelInfo(const void* buffer, int size) {
    return arithmetic_.WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "ChannelInfo", buffer, size);
}

int TNetClientSet::SaveGroupInfo(const void* buffer, int size) {
    return arithmetic_.WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "GroupInfo", buffer, size);
}

void TNetClientSet::BuildGroupTree(TGroupTreeView& tree, bool withMembers) const {
    vantrel::BuildGroupTree(GroupRecords, GroupMembers, tree, withMembers);
}

} // namespace vantrel
