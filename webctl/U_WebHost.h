// The browser control's view of its host: the host and web port cut out of the page
// address, and the host's "GI" answer merged into the stored host list.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::webctl {

struct PageHost {
    std::string Host; // empty: the page names no host, the control stays idle
    int Port = 80;
};

// `answer` is the browser's window-information text: the quoted page address first.
PageHost ParseBrowserAnswer(std::string_view answer);

// Group ID that marks the host of the page in the stored list.
constexpr int32_t kPageHostGroupId = 65535;

// Channel names kept of one reply.
constexpr size_t kMaxHostChannels = 49;

struct HostInfo {
    NetPortTable Ports{};
    std::string HostName;
    std::vector<std::string> ChannelNames;
};

// false for a text of 54 characters or fewer (not a host information reply).
bool ParseHostInfoReply(std::string_view text, HostInfo& info);

struct HostList {
    std::vector<TClientGroupRecord> Groups;
    std::vector<TClientChannelRecord> Channels;
};

// Puts the replying host first as group 65535 with its channels, followed by the other
// groups and their channels. `peerAddress` is the address the web port answered from.
HostList MergeHostInfo(const HostList& stored, const HostInfo& info, std::string_view peerAddress);

// Records read back from the registry images; partial trailing records are ignored.
HostList HostListFromImages(std::string_view groupInfo, std::string_view channelInfo);

} // namespace vantrel::webctl
