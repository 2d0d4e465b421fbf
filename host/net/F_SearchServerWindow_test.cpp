#include "host/net/F_SearchServerWindow.h"

#include "host/engine/host_engine_testing.h"
#include "host/net/U_NetNameRegistration.h"
#include "host/net/netsvc_testing.h"
#include "sim/nameserver/name_server.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

TEST(SearchServerWindow, SearchesThenClosesWithTheHostsFound) {
    namesim::NameServer server(0, 0, 0, {{"admin", "secret"}});
    ASSERT_TRUE(server.Running());
    TNetNameRegistration reg(server.RegisterPort());
    NetPortTable ports{};
    TArithmetic::SetDefaultPorts(ports);
    for (const char* name : {"NORTH", "SOUTH"}) {
        TOtherSettingsRecord r{};
        r.RegisteredName.Set(name);
        r.NameServerAddress.Set("127.0.0.1");
        reg.Register(r, {"Cam"}, ports);
    }
    ASSERT_TRUE(PumpUntil([&] { return server.Hosts().size() == 2; }, 3000));

    TArithmetic arithmetic;
    arithmetic.LogonServer.ServerAddress.Set("10.0.0.9");
    std::unique_ptr<TSearchServerWindow, FormDeleter> window(
        new TSearchServerWindow(nullptr, "DVR", arithmetic, server.SearchPort()));
    EXPECT_EQ(window->Caption(), "DVR    " + Utf8ToGbk("搜索远程主控"));
    EXPECT_EQ(window->ed_ServerAddr->Caption(), "10.0.0.9");
    window->ed_ServerAddr->SetText(" 127.0.0.1 ");
    window->ed_UserName->SetText("admin");
    window->ed_Password->SetText("secret");
    window->Show();
    window->bt_StartSearch->Click();
    EXPECT_FALSE(window->bt_Exit->Enabled());
    EXPECT_EQ(window->lb_SearchInfo->Caption(), Utf8ToGbk("正在搜索，请稍候......"));
    ASSERT_TRUE(PumpUntil([&] { return !window->Visible(); }, 5000));
    EXPECT_EQ(window->ModalResult(), dvr::fw::mrOk);
    EXPECT_EQ(window->Search().Found().size(), 2u);
    EXPECT_TRUE(window->lb_SearchInfo->Caption().empty());
}

} // namespace
} // namespace vantrel
