#include "host/engine/U_SystemInfo.h"

#include "common/win/textconv.h"

#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

class SystemInfoTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteHostSettings(); }
    void TearDown() override { testing::DeleteHostSettings(); }

    void StoreChannels(int n) {
        std::vector<TClientChannelRecord> channels(size_t(n), TClientChannelRecord{});
        for (auto& c : channels)
            c.InUse = 1;
        ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\CLIENT",
                                              "ChannelInfo", channels.data(), n * 32),
                  0);
    }
};

TEST_F(SystemInfoTest, ChannelCountAndPanes) {
    const struct {
        const char* name;
        int board, network;
        int channels, panes;
        PaneRect first;
    } cases[] = {
        {"viewer with 5 network channels", 0, 5, 5, 6, {13, 20, 600, 457}},
        {"4 board channels", 4, 0, 4, 4, {13, 20, 454, 348}},
        {"board alone fills 49", 49, 0, 49, 49, {13, 20, 138, 113}},
        {"no channels", 0, 0, 0, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoreChannels(c.network);
        TArithmetic arithmetic;
        TSystemOtherSet other(arithmetic);
        TNetClientSet net(arithmetic, other, c.board);
        TSystemInfo info(arithmetic, net, c.board);
        EXPECT_EQ(info.ChannelCount, c.channels);
        ASSERT_EQ(info.PaneRects.size(), size_t(c.panes));
        if (c.panes) {
            EXPECT_EQ(info.PaneRects[0], c.first);
        }
    }
}

TEST_F(SystemInfoTest, LayoutFollowsANewVideoArea) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet net(arithmetic, other, 9);
    TSystemInfo info(arithmetic, net, 9);
    info.VideoArea = {0, 0, 900, 900};
    info.UpdateChannelLayout();
    ASSERT_EQ(info.PaneRects.size(), 9u);
    EXPECT_EQ(info.PaneRects[8], (PaneRect{600, 600, 899, 899}));
}

TEST_F(SystemInfoTest, ProgramFolderAndAddresses) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet net(arithmetic, other, 0);
    TSystemInfo info(arithmetic, net, 0);
    ASSERT_FALSE(info.ProgramPath.empty());
    EXPECT_EQ(info.ProgramPath.back(), '\\');
    const std::wstring self = dvr::win::GbkToWide(info.ProgramPath + "host_engine_tests.exe");
    EXPECT_NE(::GetFileAttributesW(self.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(info.HostName.empty());
    for (const std::string& ip : info.LocalIPs)
        EXPECT_TRUE(IsIPAddress(ip)) << ip;
    EXPECT_EQ(info.OwnIP, info.LocalIPs.empty() ? "" : info.LocalIPs.front());
}

} // namespace
} // namespace vantrel
