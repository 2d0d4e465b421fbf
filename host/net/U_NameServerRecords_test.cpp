#include "host/net/U_NameServerRecords.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel {
namespace {

TEST(NameServerRecords, RegistrationCarriesNameTitlesAndPorts) {
    NetPortTable ports{};
    for (int i = 0; i < NetPortTable::kSlots; ++i)
        ports.Port[i] = 1000 + i;
    const HostRegistrationRecord r = BuildHostRegistration("A-very-long-host-name-indeed",
                                                           {"Gate", "Yard", "Hall", "Dock"}, ports);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
    EXPECT_EQ(r.NetName.Get(), "A-very-long-host-nam");
    EXPECT_EQ(bytes[21], 0); // empty address
    EXPECT_EQ(bytes[42], 4);
    EXPECT_EQ(bytes[43], 4);
    EXPECT_EQ(std::memcmp(bytes + 44, "Gate", 4), 0);
    EXPECT_EQ(r.ChannelNames[3].Get(), "Dock");
    for (int n = 4; n < 49; ++n)
        EXPECT_EQ(r.ChannelNames[n].len, 0) << n;
    int32_t port15;
    std::memcpy(&port15, bytes + 1072 + 15 * 4, 4);
    EXPECT_EQ(port15, 1015);
}

TEST(NameServerRecords, TextFieldsArePaddedOrCutToTheirWidth) {
    EXPECT_EQ(BuildSearchRequest("admin", "12"), "admin     12        ");
    EXPECT_EQ(BuildSearchRequest("administrator", " pw"), "administra pw       ");
    // Not trimmed first; a two-byte character is never split.
    EXPECT_EQ(BuildSearchRequest(" a", "\xB9\xDC\xC0\xED\xD4\xB1\xC3\xDC\xC2\xEB\xB0"),
              " a        \xB9\xDC\xC0\xED\xD4\xB1\xC3\xDC\xC2\xEB");
    EXPECT_EQ(PadField("\xB9\xDC\xC0\xED\xD4", 4), "\xB9\xDC\xC0\xED");
    EXPECT_EQ(PadField("a\xB9\xDC\xC0\xED", 4), "a\xB9\xDC ");
    const std::string lookup = BuildLookupRequest("Depot", "user", "pass", "10.0.0.9");
    ASSERT_EQ(lookup.size(), kLookupRequestSize);
    EXPECT_EQ(lookup, "Depot               user      pass      10.0.0.9            ");
    EXPECT_EQ(BuildShutdownNotice(4), std::string("\x04\x00\x00\x00", 4));
}

TEST(NameServerRecords, LookupReplyChangesTheFirstGroupOfThatNameInBothLists) {
    std::vector<TClientGroup> groups(3);
    std::vector<TClientGroupRecord> records(3);
    const char* names[] = {"North", "Depot", "Depot"};
    for (int i = 0; i < 3; ++i) {
        groups[i].Name.Set(names[i]);
        groups[i].HostAddress.Set("old");
        std::memset(&records[i], 0, sizeof(records[i]));
        records[i].Name.Set(names[i]);
        records[i].HostAddress.Set("old");
    }
    groups[1].Name.Set(" Depot "); // group names are compared trimmed
    const HostLookupReply reply = ParseLookupReply("Depot               192.168.7.20        ");
    EXPECT_EQ(reply.NetName, "Depot");
    EXPECT_EQ(reply.Address, "192.168.7.20");
    EXPECT_TRUE(ApplyLookupReply(reply, groups, records));
    EXPECT_EQ(groups[0].HostAddress.Get(), "old");
    EXPECT_EQ(groups[1].HostAddress.Get(), "192.168.7.20");
    EXPECT_EQ(groups[2].HostAddress.Get(), "old");
    EXPECT_EQ(records[1].HostAddress.Get(), "192.168.7.20");
    EXPECT_EQ(records[2].HostAddress.Get(), "old");

    for (const char* text : {"Nowhere             1.1.1.1", "                    1.1.1.1", "x"}) {
        EXPECT_FALSE(ApplyLookupReply(ParseLookupReply(text), groups, records)) << text;
    }
    EXPECT_EQ(groups[0].HostAddress.Get(), "old");
    // A short reply: the name only, an empty address.
    EXPECT_EQ(ParseLookupReply("North").Address, "");
}

} // namespace
} // namespace vantrel
