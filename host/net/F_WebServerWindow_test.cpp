#include "host/net/F_WebServerWindow.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_engine_testing.h"
#include "host/net/netsvc_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

// Asks "GI" on a connection kept open, as a browser control does.
SOCKET AskHostInfo(int port) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = testing::Loopback(port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) return s;
    ::send(s, "GI", 2, 0);
    return s;
}

TEST(WebServerWindow, ShowsTheConnectedControlsAndStoresItsChoices) {
    const std::string folder = testing::FreshProgramFolder("netwin_web");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WebServer");
    const int port = testing::FreePort();
    TArithmetic::WriteRegInteger(HKEY_LOCAL_MACHINE, kWebServerKey, "WebServer", port);
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kWebServerKey, "Addr", "110.9.8.7");
    std::ofstream(folder + kCabFileName, std::ios::binary) << "cab";
    TWebServerHost host;
    TArithmetic::SetDefaultPorts(host.Ports);
    host.HostName = "NETWIN";
    host.LocalIPs = {"127.0.0.1"};
    host.ProgramPath = folder;
    host.BoardChannels = 1;
    host.BoardTitles = [] { return std::vector<std::string>{"Gate"}; };

    std::unique_ptr<TWebServerWindow, FormDeleter> window(
        new TWebServerWindow(nullptr, "DVR", host));
    ASSERT_TRUE(window->Server().Running());
    EXPECT_EQ(window->Caption(), "DVR    " + Utf8ToGbk("Web服务器"));
    EXPECT_EQ(window->se_ServerPort->Caption(), std::to_string(port));
    EXPECT_EQ(window->se_MaxConnectCount->Caption(), "100");
    EXPECT_TRUE(window->cb_UseAddr->Checked());
    EXPECT_EQ(window->cb_LocalIP->Caption(), "10.9.8.7");
    EXPECT_EQ(window->cb_LocalIP->Items()->Count(), 2);
    EXPECT_EQ(window->lb_TotalCounts->Caption(), "0");

    testing::WsaSession wsa;
    const SOCKET control = AskHostInfo(port);
    ASSERT_TRUE(PumpUntil([&] { return window->ListView->Items()->Count() == 1; }, 5000));
    EXPECT_EQ(window->ListView->Items()->Item(0)->Caption(), "127.0.0.1");
    EXPECT_EQ(window->lb_TotalCounts->Caption(), "1");
    ::closesocket(control);
    ASSERT_TRUE(PumpUntil([&] { return window->ListView->Items()->Count() == 0; }, 5000));
    EXPECT_EQ(window->lb_TotalCounts->Caption(), "0");

    window->se_MaxConnectCount->SetText("7");
    EXPECT_EQ(window->Server().se_MaxConnectCount, 7);
    window->Show();
    window->cb_UseAddr->SetChecked(false);
    window->bt_Close->Click();
    EXPECT_FALSE(window->Visible());
    std::string addr;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kWebServerKey, addr, "Addr");
    EXPECT_EQ(addr, "010.9.8.7");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WebServer");
}

} // namespace
} // namespace vantrel
