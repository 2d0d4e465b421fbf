// The records exchanged with the outside name server: registration (UDP 41000), search
// (42000) and lookup (43000). Portable: packed layouts and the text fields' padding.
#pragma once

#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_HostRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr uint16_t kNameServerRegisterPort = 41000;
constexpr uint16_t kNameServerSearchPort = 42000;
constexpr uint16_t kNameServerLookupPort = 43000;

#pragma pack(push, 1)

// A host's announcement, and each answer of a search.
struct HostRegistrationRecord {
    PString<20> NetName;
    PString<20> Address; // empty when registering; a search fills in the answering sender
    uint8_t ChannelCount;
    PString<20> ChannelNames[49];
    NetPortTable Ports;
};
static_assert(sizeof(HostRegistrationRecord) == 1156);
static_assert(offsetof(HostRegistrationRecord, NetName) == 0);
static_assert(offsetof(HostRegistrationRecord, Address) == 21);
static_assert(offsetof(HostRegistrationRecord, ChannelCount) == 42);
static_assert(offsetof(HostRegistrationRecord, ChannelNames) == 43);
static_assert(offsetof(HostRegistrationRecord, Ports) == 1072);

#pragma pack(pop)

constexpr size_t kSearchRequestSize = 20;
constexpr size_t kLookupRequestSize = 60;
constexpr size_t kShutdownNoticeSize = 4;

// The text cut to `width` bytes (never inside a two-byte character) and padded with spaces.
std::string PadField(std::string_view text, size_t width);
// Spaces trimmed from both ends.
std::string_view TrimSpaces(std::string_view text);

// Net name cut to 20 characters, empty address, channel count (clamped to 0..49) with the
// board titles, the rest of the names empty, and the port table.
HostRegistrationRecord BuildHostRegistration(std::string_view netName,
                                             const std::vector<std::string>& boardTitles,
                                             const NetPortTable& ports);

// User and password, each padded or cut to exactly 10 characters (not trimmed first).
std::string BuildSearchRequest(std::string_view user, std::string_view password);

// Group name (20), name-server user (10) and password (10), the group's address (20).
std::string BuildLookupRequest(std::string_view groupName, std::string_view user,
                               std::string_view password, std::string_view groupAddress);

// The board channel count as a 32-bit little-endian integer.
std::string BuildShutdownNotice(int32_t boardChannels);

// Characters 1-20 the net name, 21-40 the address, each trimmed of spaces.
struct HostLookupReply {
    std::string NetName;
    std::string Address;
};
HostLookupReply ParseLookupReply(std::string_view text);

// The first host group and the first group record whose trimmed name equals the reply's
// name get the reply's address (cut to 50 characters). True when anything changed.
bool ApplyLookupReply(const HostLookupReply& reply, std::vector<TClientGroup>& groups,
                      std::vector<TClientGroupRecord>& groupRecords);

} // namespace vantrel
