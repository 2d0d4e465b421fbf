#include "host/net/U_NameServerRecords.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

std::string PadField(std::string_view text, size_t width) {
    std::string field(text.substr(0, dvr::GbkFitLength(text, width)));
    field.resize(width, ' ');
    return field;
}

std::string_view TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

HostRegistrationRecord BuildHostRegistration(std::string_view netName,
                                             const std::vector<std::string>& boardTitles,
                                             const NetPortTable& ports) {
    HostRegistrationRecord r;
    std::memset(&r, 0, sizeof(r));
    r.NetName.Set(netName);
    const size_t count = std::min<size_t>(boardTitles.size(), 49);
    r.ChannelCount = static_cast<uint8_t>(count);
    for (size_t n = 0; n < count; ++n)
        r.ChannelNames[n].Set(boardTitles[n]);
    r.Ports = ports;
    return r;
}

std::string BuildSearchRequest(std::string_view user, std::string_view password) {
    return PadField(user, 10) + PadField(password, 10);
}

std::string BuildLookupRequest(std::string_view groupName, std::string_view user,
                               std::string_view password, std::string_view groupAddress) {
    return PadField(groupName, 20) + PadField(user, 10) + PadField(password, 10) +
           PadField(groupAddress, 20);
}

std::string BuildShutdownNotice(int32_t boardChannels) {
    const uint32_t v = static_cast<uint32_t>(boardChannels);
    std::string notice(kShutdownNoticeSize, '\0');
    for (size_t i = 0; i < kShutdownNoticeSize; ++i)
        notice[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return notice;
}

HostLookupReply ParseLookupReply(std::string_view text) {
    HostLookupReply reply;
    reply.NetName = std::string(TrimSpaces(text.substr(0, 20)));
    if (text.size() > 20) reply.Address = std::string(TrimSpaces(text.substr(20, 20)));
    return reply;
}

bool ApplyLookupReply(const HostLookupReply& reply, std::vector<TClientGroup>& groups,
                      std::vector<TClientGroupRecord>& groupRecords) {
    bool changed = false;
    if (reply.NetName.empty()) return false; // a blank reply names no host
    for (TClientGroup& g : groups) {
        if (TrimSpaces(g.Name.View()) == reply.NetName) {
            g.HostAddress.Set(reply.Address);
            changed = true;
            break;
        }
    }
    for (TClientGroupRecord& g : groupRecords) {
        if (TrimSpaces(g.Name.View()) == reply.NetName) {
            g.HostAddress.Set(reply.Address);
            changed = true;
            break;
        }
    }
    return changed;
}

} // namespace vantrel
