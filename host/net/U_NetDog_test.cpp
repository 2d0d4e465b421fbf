#include "host/net/U_NetDog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace vantrel {
namespace {

using ::testing::ElementsAre;

struct SentLog : TUdpSender {
    std::vector<std::string> sent; // "host:port:length"
    bool fail = false;
    void SendTo(const void*, int length, int port, const std::string& host) override {
        sent.push_back(host + ":" + std::to_string(port) + ":" + std::to_string(length));
        if (fail) throw std::runtime_error("unreachable");
    }
};

struct View : TNetDogView {
    int shows = 0, changes = 0, clears = 0;
    bool timer = false;
    std::string asked;
    std::vector<TStateNode> tree;
    std::string time;
    void ShowWindow() override { ++shows; }
    void RowsChanged() override { ++changes; }
    void SetTimerRunning(bool on) override { timer = on; }
    void ClearWorkState() override {
        ++clears;
        tree.clear();
        asked.clear();
    }
    void ShowAskedAddress(const std::string& a) override { asked = a; }
    void ShowWorkState(const std::vector<TStateNode>& t, const std::string& when) override {
        tree = t;
        time = when;
    }
    std::string NowText() override { return "2026-12-10 16:00:00"; }
};

TClientGroup Group(const char* name, const char* address, int port) {
    TClientGroup g;
    g.Name.Set(name);
    g.HostAddress.Set(address);
    g.Ports.Port[UDPMessageServerPort] = port;
    return g;
}

class NetDogTest : public ::testing::Test {
protected:
    SentLog sender;
    View view;
    TNetDog dog{{Group("a", "10.0.0.1", 57000), Group("b", "", 1), Group("c", "10.0.0.2", 57100),
                 Group("d", "10.0.0.1", 1)},
                57000,
                sender,
                view};
};

TEST_F(NetDogTest, RowsAreTheDistinctConfiguredAddresses) {
    ASSERT_EQ(dog.Rows().size(), 2u);
    EXPECT_EQ(dog.Rows()[0].Name, "a");
    EXPECT_EQ(dog.Rows()[1].PortText, "57100");
    EXPECT_EQ(dog.Rows()[1].State, NetDogState::Unknown);
}

TEST_F(NetDogTest, SilentHostTurnsOfflineOnTheEleventhTickAndPops) {
    dog.AutoShow = true;
    dog.SetEnabled(true); // the first round at once
    EXPECT_TRUE(view.timer);
    for (int tick = 2; tick <= 10; ++tick)
        dog.HeartbeatRound();
    EXPECT_EQ(sender.sent.size(), 20u); // ten heartbeats each
    EXPECT_EQ(sender.sent[1], "10.0.0.2:57100:7");
    EXPECT_EQ(view.shows, 0);
    dog.HeartbeatRound();
    EXPECT_EQ(sender.sent.size(), 20u); // none on the 11th
    EXPECT_EQ(dog.Rows()[0].State, NetDogState::Offline);
    EXPECT_EQ(view.shows, 1);
    dog.HeartbeatRound();
    EXPECT_EQ(view.shows, 1); // already offline

    // It answers again: online, popped again; with auto-show off nothing pops.
    dog.OnReply(0, 0);
    EXPECT_EQ(dog.Rows()[0].State, NetDogState::Online);
    EXPECT_EQ(dog.Rows()[0].Misses, 0);
    EXPECT_EQ(view.shows, 2);
    dog.AutoShow = false;
    for (int i = 0; i < 11; ++i)
        dog.HeartbeatRound();
    dog.OnReply(0, 0);
    EXPECT_EQ(view.shows, 2);
    dog.SetEnabled(false);
    EXPECT_FALSE(view.timer);
}

TEST_F(NetDogTest, EditingResetsCountersAndPortsFallBack) {
    sender.fail = true; // errors are swallowed
    for (int i = 0; i < 5; ++i)
        dog.HeartbeatRound();
    dog.AddRow("e", "10.0.0.3", "not a port");
    dog.HeartbeatRound();
    EXPECT_EQ(sender.sent.back(), "10.0.0.3:57000:7");
    EXPECT_EQ(dog.Rows()[0].Misses, 6);
    EXPECT_EQ(dog.Rows()[2].Misses, 1);
    dog.DeleteRow(1);
    EXPECT_EQ(dog.Rows().size(), 2u);
    EXPECT_EQ(dog.Rows()[0].Misses, 0);
    EXPECT_EQ(dog.Rows()[1].Misses, 0);
    dog.ModifyRow(1, "f", "10.0.0.4", "58000");
    EXPECT_THAT(dog.Addresses(), ElementsAre("10.0.0.1", "10.0.0.4"));
    dog.OnReply(7, 0); // a row that went meanwhile
}

TEST_F(NetDogTest, WorkStateIsAskedOnlyOfHostsNotOffline) {
    dog.ReadWorkState(1);
    EXPECT_EQ(view.asked, "10.0.0.2");
    EXPECT_THAT(sender.sent, ElementsAre("10.0.0.2:57100:7"));
    for (int i = 0; i < 11; ++i)
        dog.HeartbeatRound();
    sender.sent.clear();
    dog.ReadWorkState(1);
    EXPECT_EQ(view.asked, "10.0.0.2");
    EXPECT_TRUE(sender.sent.empty());
    dog.ReadWorkState(-1);
    EXPECT_EQ(view.asked, "");
    EXPECT_EQ(view.clears, 3);
}

TEST_F(NetDogTest, StoredWorkStateBecomesTheTree) {
    WorkStateRecord r{};
    r.ChannelCount = 2;
    r.AutoMode = 1;
    r.PreviewOpen[1] = 1;
    r.FileOpen[0] = 1;
    r.Armed[0] = r.Armed[1] = 1;
    r.Alarming[1] = 1;
    r.PreviewOpen[2] = 1; // beyond the channel count
    dog.OnReply(0, 100);  // nothing stored yet: nothing shown
    EXPECT_TRUE(view.tree.empty());
    dog.WorkStateArea().Store(&r, sizeof r);
    dog.OnReply(0, 100);
    ASSERT_EQ(view.tree.size(), 4u);
    EXPECT_EQ(view.tree[0].Text, "自动工作状态：正在执行");
    EXPECT_EQ(view.tree[1].Text, "监视预览状态");
    ASSERT_EQ(view.tree[1].Children.size(), 2u);
    EXPECT_EQ(view.tree[1].Children[0].Text, "通道1：空闲");
    EXPECT_EQ(view.tree[1].Children[1].Text, "通道2：正在预览");
    EXPECT_EQ(view.tree[2].Children[0].Text, "通道1：正在录像");
    EXPECT_EQ(view.tree[3].Children[0].Text, "通道1：正在侦测");
    EXPECT_EQ(view.tree[3].Children[1].Text, "通道2：正在报警");
    EXPECT_EQ(view.time, "2026-12-10 16:00:00");
}

} // namespace
} // namespace vantrel
