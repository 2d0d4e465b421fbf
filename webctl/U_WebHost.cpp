#include "webctl/U_WebHost.h"

#include <cstring>

namespace vantrel::webctl {

namespace {

// Decimal digits only, as the page address and the reply carry them; -1 otherwise.
long ReadDecimal(std::string_view s) {
    if (s.empty() || s.size() > 9) return -1;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

constexpr int kReplyPortSlots[11] = {0, 1, 2, 3, 4, 5, 6, 12, 13, 14, 15};
constexpr int kReplyPortDefaults[11] = {50000, 51000, 62000, 60001, 60000, 52100,
                                        52000, 54000, 56000, 57000, 59000};

void DefaultPorts(NetPortTable& table) {
    std::memset(&table, 0, sizeof(table));
    for (int i = 0; i < 11; ++i)
        table.Port[kReplyPortSlots[i]] = kReplyPortDefaults[i];
}

} // namespace

PageHost ParseBrowserAnswer(std::string_view text) {
    PageHost result;
    // Drop everything up to the scheme's "//".
    const size_t slash = text.find('/');
    const size_t drop = slash == std::string_view::npos ? 1 : slash + 2;
    text = drop >= text.size() ? std::string_view{} : text.substr(drop);
    // The address ends at the closing quote; without one there is no address.
    const size_t quote = text.find('"');
    text = quote == std::string_view::npos ? std::string_view{} : text.substr(0, quote);
    if (text.empty()) return result;
    if (text.back() == '/') text.remove_suffix(1);
    if (const size_t s = text.find('/'); s != std::string_view::npos) text = text.substr(0, s);
    if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
        const long port = ReadDecimal(text.substr(colon + 1));
        // A port outside the TCP range would connect nowhere: the web server's default.
        result.Port = port >= 1 && port <= 65535 ? static_cast<int>(port) : 80;
        text = text.substr(0, colon);
    }
    result.Host = std::string(text);
    return result;
}

bool ParseHostInfoReply(std::string_view text, HostInfo& info) {
    if (text.size() <= 54) return false;
    info = HostInfo{};
    DefaultPorts(info.Ports);
    for (int i = 0; i < 11; ++i) {
        const long v = ReadDecimal(text.substr(i * 5, 5));
        info.Ports.Port[kReplyPortSlots[i]] =
            v >= 0 ? static_cast<int32_t>(v) : kReplyPortDefaults[i];
    }
    std::string acc;
    for (char c : text.substr(55)) {
        if (c == '|') {
            info.HostName = std::move(acc);
            acc.clear();
        } else if (c == ';') {
            // A host shows at most the panes the control has; names beyond are not kept.
            if (info.ChannelNames.size() < kMaxHostChannels)
                info.ChannelNames.push_back(std::move(acc));
            acc.clear();
        } else {
            acc.push_back(c);
        }
    }
    return true;
}

HostList MergeHostInfo(const HostList& stored, const HostInfo& info, std::string_view peerAddress) {
    int found = -1;
    for (size_t k = 0; k < stored.Groups.size(); ++k) {
        if (stored.Groups[k].Name == info.HostName) {
            found = static_cast<int>(k);
            break;
        }
    }
    HostList merged;
    TClientGroupRecord first{};
    if (found >= 0) {
        first = stored.Groups[found];
    } else {
        first.Name.Set(info.HostName);
        first.MemberLink = 0;
    }
    first.HostAddress.Set(peerAddress);
    first.UserName.Clear();
    first.Password.Clear();
    first.Ports = info.Ports;
    first.ParentId = 0;
    first.OwnId = kPageHostGroupId;
    first.TreeNodeLink = 0;
    merged.Groups.push_back(first);
    for (size_t k = 0; k < stored.Groups.size(); ++k)
        if (static_cast<int>(k) != found) merged.Groups.push_back(stored.Groups[k]);

    for (size_t j = 0; j < info.ChannelNames.size(); ++j) {
        TClientChannelRecord c{};
        c.InUse = 1;
        c.Name.Set(info.ChannelNames[j]);
        c.RemoteChannel = static_cast<uint8_t>(j);
        c.DropBFrames = 0;
        c.GroupIndex = 0;
        c.GroupId = kPageHostGroupId;
        merged.Channels.push_back(c);
    }
    for (const TClientChannelRecord& c : stored.Channels) {
        // A channel belongs to the last group that carries its ID, as a load decides.
        int owner = -1;
        for (size_t k = 0; k < stored.Groups.size(); ++k)
            if (stored.Groups[k].OwnId == c.GroupId) owner = static_cast<int>(k);
        if (found >= 0 && owner == found) continue;
        merged.Channels.push_back(c);
    }
    return merged;
}

HostList HostListFromImages(std::string_view groupInfo, std::string_view channelInfo) {
    HostList list;
    list.Groups.resize(groupInfo.size() / sizeof(TClientGroupRecord));
    if (!list.Groups.empty())
        std::memcpy(list.Groups.data(), groupInfo.data(),
                    list.Groups.size() * sizeof(TClientGroupRecord));
    list.Channels.resize(channelInfo.size() / sizeof(TClientChannelRecord));
    if (!list.Channels.empty())
        std::memcpy(list.Channels.data(), channelInfo.data(),
                    list.Channels.size() * sizeof(TClientChannelRecord));
    return list;
}

} // namespace vantrel::webctl
