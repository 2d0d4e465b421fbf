#include "webctl/U_WebHost.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

TEST(PageAddress, HostAndPortCutFromTheQuotedAddress) {
    struct Case {
        const char* answer;
        const char* host;
        int port;
    } cases[] = {
        {"\"http://192.168.1.10:8080/index.htm\",\"Title\"", "192.168.1.10", 8080},
        {"\"http://dvr/\",\"\"", "dvr", 80},
        {"\"http://127.0.0.1:8081/\",\"x\"", "127.0.0.1", 8081},
        {"\"http://127.0.0.1:abc/\",\"x\"", "127.0.0.1", 80},
        {"\"http://127.0.0.1:99999/\",\"x\"", "127.0.0.1", 80},
        {"\"file:///C:/pages/index.htm\",\"x\"", "", 80},
        {"http://dvr/index.htm", "", 80}, // no closing quote: no address
        {"", "", 80},
    };
    for (const Case& c : cases) {
        const PageHost h = ParseBrowserAnswer(c.answer);
        EXPECT_EQ(h.Host, c.host) << c.answer;
        EXPECT_EQ(h.Port, c.port) << c.answer;
    }
}

std::string Reply(std::string_view rest) {
    return "5000051000620006000160000521005200054000560005700059000" + std::string(rest);
}

TEST(HostInfoReply, PortsHostAndChannelNames) {
    HostInfo info;
    EXPECT_FALSE(ParseHostInfoReply(Reply("").substr(0, 54), info));
    ASSERT_TRUE(ParseHostInfoReply(Reply(""), info));
    EXPECT_EQ(info.HostName, "");
    EXPECT_TRUE(info.ChannelNames.empty());

    std::string text = Reply("DVR1|cam1;cam2;tail");
    text.replace(5, 5, "5x000"); // slot 1 falls back to its default
    text.replace(0, 5, "40000");
    ASSERT_TRUE(ParseHostInfoReply(text, info));
    EXPECT_EQ(info.Ports.Port[0], 40000);
    EXPECT_EQ(info.Ports.Port[1], 51000);
    EXPECT_EQ(info.Ports.Port[12], 54000);
    EXPECT_EQ(info.Ports.Port[15], 59000);
    EXPECT_EQ(info.Ports.Port[7], 0);
    EXPECT_EQ(info.HostName, "DVR1");
    EXPECT_EQ(info.ChannelNames, (std::vector<std::string>{"cam1", "cam2"}));

    // A reply naming thousands of channels keeps as many as the control has panes.
    std::string flood;
    for (int i = 0; i < 5000; ++i)
        flood += "c;";
    ASSERT_TRUE(ParseHostInfoReply(Reply("DVR1|" + flood), info));
    EXPECT_EQ(info.ChannelNames.size(), kMaxHostChannels);
}

TClientGroupRecord Group(const char* name, int32_t id) {
    TClientGroupRecord g{};
    g.Name.Set(name);
    g.HostAddress.Set("10.0.0.9");
    g.UserName.Set("admin");
    g.Password.Set("pw");
    g.OwnId = id;
    g.ParentId = 7;
    return g;
}

TClientChannelRecord Channel(const char* name, int32_t groupId) {
    TClientChannelRecord c{};
    c.InUse = 1;
    c.Name.Set(name);
    c.GroupId = groupId;
    return c;
}

TEST(HostInfoMerge, KnownHostMovesFirstWithNewAddressPortsAndChannels) {
    HostList stored;
    stored.Groups = {Group("A", 11), Group("DVR1", 12), Group("B", 13)};
    stored.Channels = {Channel("a1", 11), Channel("old1", 12), Channel("b1", 13),
                       Channel("old2", 12)};
    HostInfo info;
    ASSERT_TRUE(ParseHostInfoReply(Reply("DVR1|c1;c2;"), info));

    const HostList m = MergeHostInfo(stored, info, "127.0.0.1");
    ASSERT_EQ(m.Groups.size(), 3u);
    EXPECT_EQ(m.Groups[0].Name.Get(), "DVR1");
    EXPECT_EQ(m.Groups[0].HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(m.Groups[0].UserName.Get(), "");
    EXPECT_EQ(m.Groups[0].Password.Get(), "");
    EXPECT_EQ(m.Groups[0].OwnId, 65535);
    EXPECT_EQ(m.Groups[0].ParentId, 0);
    EXPECT_EQ(m.Groups[0].Ports.Port[13], 56000);
    EXPECT_EQ(m.Groups[1].Name.Get(), "A");
    EXPECT_EQ(m.Groups[2].Name.Get(), "B");

    std::vector<std::string> names;
    for (const auto& c : m.Channels)
        names.push_back(c.Name.Get());
    EXPECT_EQ(names, (std::vector<std::string>{"c1", "c2", "a1", "b1"}));
    EXPECT_EQ(m.Channels[1].RemoteChannel, 1);
    EXPECT_EQ(m.Channels[1].GroupId, 65535);
}

TEST(HostInfoMerge, UnknownHostIsAddedInFrontAndLongNamesAreCut) {
    HostList stored;
    stored.Groups = {Group("A", 11)};
    stored.Channels = {Channel("a1", 11)};
    HostInfo info;
    ASSERT_TRUE(ParseHostInfoReply(Reply("a-host-name-of-24-chars|x;"), info));
    const HostList m = MergeHostInfo(stored, info, "127.0.0.1");
    ASSERT_EQ(m.Groups.size(), 2u);
    EXPECT_EQ(m.Groups[0].Name.Get(), "a-host-name-of-24-ch");
    EXPECT_EQ(m.Groups[0].MemberLink, 0u);
    ASSERT_EQ(m.Channels.size(), 2u);
    // Cut to 20 characters, the name never matches again: another load adds another group.
    const HostList again = MergeHostInfo(m, info, "127.0.0.1");
    EXPECT_EQ(again.Groups.size(), 3u);
}

TEST(HostInfoMerge, ImagesDropPartialRecords) {
    std::string channels(70, '\0');
    std::string groups(196 + 10, '\0');
    const HostList l = HostListFromImages(groups, channels);
    EXPECT_EQ(l.Channels.size(), 2u);
    EXPECT_EQ(l.Groups.size(), 1u);
}

} // namespace
} // namespace vantrel::webctl
