#include "host/net/F_WebServerForm.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_SystemInfo.h"
#include "host/engine/host_engine_testing.h"
#include "host/engine/host_settings_testing.h"
#include "host/net/netsvc_testing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

namespace vantrel {
namespace {

using testing::FreePort;
using testing::Loopback;
using testing::WhilePumping;

// What a browser-like client receives for one request on one connection.
struct Answer {
    std::string Bytes;
    bool Closed = false; // the server closed the connection
};

// Sends the request and reads until `want` bytes have come, the server closes, or the
// connection stays quiet for a moment.
Answer Ask(int port, std::string_view request, size_t want = SIZE_MAX,
           SOCKET keep = INVALID_SOCKET) {
    testing::WsaSession wsa;
    SOCKET s = keep;
    if (s == INVALID_SOCKET) {
        s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = Loopback(port);
        if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) {
            ::closesocket(s);
            return {"", true};
        }
    }
    DWORD quiet = 700;
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&quiet), sizeof(quiet));
    ::send(s, request.data(), static_cast<int>(request.size()), 0);
    Answer answer;
    char buffer[65536];
    while (answer.Bytes.size() < want) {
        const int n = ::recv(s, buffer, sizeof(buffer), 0);
        if (n == 0 || (n < 0 && ::WSAGetLastError() != WSAETIMEDOUT)) {
            answer.Closed = true;
            break;
        }
        if (n < 0) break;
        answer.Bytes.append(buffer, static_cast<size_t>(n));
    }
    if (keep == INVALID_SOCKET) ::closesocket(s);
    return answer;
}

size_t ExpectedLength(const std::string& header, size_t extra) {
    const size_t at = header.find("Content-Length: ");
    const size_t end = header.find("\r\n\r\n");
    if (at == std::string::npos || end == std::string::npos) return SIZE_MAX;
    return end + 4 + std::stoul(header.substr(at + 16)) + extra;
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing::FreshProgramFolder("netsvc_web");
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WebServer");
        port_ = FreePort();
        TArithmetic::WriteRegInteger(HKEY_LOCAL_MACHINE, kWebServerKey, "WebServer", port_);
        // Larger than a socket buffer, so the answer needs several write events.
        cab_.resize(700000);
        for (size_t i = 0; i < cab_.size(); ++i)
            cab_[i] = static_cast<char>((i * 2654435761u) >> 13);
        WriteCab(cab_);
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WebServer"); }
    void WriteCab(const std::string& bytes) {
        std::ofstream(folder_ + kCabFileName, std::ios::binary) << bytes;
    }
    TWebServerHost Host(int boardChannels = 4) {
        TWebServerHost h;
        TArithmetic::SetDefaultPorts(h.Ports);
        h.HostName = "NETSVC-HOST";
        h.LocalIPs = {"127.0.0.1"};
        h.ProgramPath = folder_;
        h.BoardChannels = boardChannels;
        h.BoardTitles = [] {
            return std::vector<std::string>{"Gate", "Yard", "\xB4\xF3\xC3\xC5", "Dock"};
        };
        return h;
    }
    Answer Get(const std::string& path) {
        const std::string request = "GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n";
        return WhilePumping([&] { return Ask(port_, request); });
    }

    std::string folder_;
    std::string cab_;
    int port_ = 0;
};

TEST_F(WebServerTest, BrowserGetsThePageTheInfAndTheWholeCab) {
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    EXPECT_EQ(server.CabSize(), cab_.size());
    const std::string base = "http://127.0.0.1:" + std::to_string(port_) + "/";

    const std::string page = BuildWebPage("127.0.0.1", port_);
    for (const char* path : {"/", "/index.html", "/../../windows/win.ini", "/%2e%2e/boot.ini"}) {
        const Answer a = Get(path);
        EXPECT_EQ(a.Bytes, BuildPageHeader(page.size()) + page) << path;
        EXPECT_FALSE(a.Closed) << path; // the connection stays open
    }
    EXPECT_NE(page.find("codebase=\"" + base + "Vantrel_IE_QZ.inf\""), std::string::npos);

    const std::string inf = BuildInfText("127.0.0.1", port_);
    EXPECT_EQ(Get("/Vantrel_IE_QZ.inf").Bytes, BuildFileHeader(inf.size()) + inf);
    EXPECT_NE(inf.find("file=" + base + "Vantrel_IE_QZ.cab"), std::string::npos);

    const std::string request = "GET /Vantrel_IE_QZ.cab HTTP/1.1\r\n\r\n";
    const size_t want = BuildFileHeader(cab_.size()).size() + cab_.size() + 4;
    const Answer cab = WhilePumping([&] { return Ask(port_, request, want); });
    ASSERT_EQ(cab.Bytes.size(), want);
    EXPECT_EQ(ExpectedLength(cab.Bytes, 4), want);
    EXPECT_EQ(cab.Bytes, BuildFileHeader(cab_.size()) + cab_ + "\r\n\r\n");
}

TEST_F(WebServerTest, ChosenAddressGoesIntoEveryLink) {
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kWebServerKey, "Addr", "110.9.8.7");
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    EXPECT_TRUE(server.cb_UseAddr);
    EXPECT_EQ(server.cb_LocalIP, "10.9.8.7");
    EXPECT_EQ(server.cb_LocalIPItems, (std::vector<std::string>{"127.0.0.1", "10.9.8.7"}));
    const std::string link = "http://10.9.8.7:" + std::to_string(port_) + "/";
    EXPECT_NE(Get("/").Bytes.find("codebase=\"" + link + "Vantrel_IE_QZ.inf\""), std::string::npos);
    const std::string inf = Get("/Vantrel_IE_QZ.inf").Bytes;
    size_t lines = 0;
    for (size_t at = inf.find("file=" + link + "Vantrel_IE_QZ.cab"); at != std::string::npos;
         at = inf.find("file=" + link, at + 1))
        ++lines;
    EXPECT_EQ(lines, 3u);
    EXPECT_EQ(inf.find("127.0.0.1"), std::string::npos);
}

TEST_F(WebServerTest, HostInfoAnswersPortsNameAndTitlesAndKeepsOneRowPerAddress) {
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    int changes = 0;
    server.OnRowsChanged = [&] { ++changes; };
    const std::string expected = "5000051000620006000160000521005200054000560005700059000"
                                 "NETSVC-HOST|Gate;Yard;\xB4\xF3\xC3\xC5;Dock;";

    testing::WsaSession wsa;
    SOCKET control = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(port_);
    ASSERT_EQ(::connect(control, reinterpret_cast<sockaddr*>(&a), sizeof(a)), 0);
    const Answer first = WhilePumping([&] { return Ask(port_, "GI", expected.size(), control); });
    EXPECT_EQ(first.Bytes, expected);
    ASSERT_EQ(server.TotalCounts(), 1);
    EXPECT_EQ(server.Rows()[0].PeerAddress, "127.0.0.1");

    // A second control from the same address is answered, then closed.
    const Answer second = WhilePumping([&] { return Ask(port_, "GI"); });
    EXPECT_EQ(second.Bytes, expected);
    EXPECT_TRUE(second.Closed);
    EXPECT_EQ(server.TotalCounts(), 1);

    // The control goes: its row goes.
    ::closesocket(control);
    EXPECT_TRUE(PumpUntil([&] { return server.TotalCounts() == 0; }, 5000));
    EXPECT_EQ(changes, 2);
}

TEST_F(WebServerTest, BeyondTheMaximumHttpIsClosedUnansweredButGiStillAnswered) {
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    server.se_MaxConnectCount = 0;
    EXPECT_FALSE(Get("/").Bytes.empty()); // no row yet

    testing::WsaSession wsa;
    SOCKET control = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(port_);
    ASSERT_EQ(::connect(control, reinterpret_cast<sockaddr*>(&a), sizeof(a)), 0);
    WhilePumping([&] { return Ask(port_, "GI", 60, control); });
    ASSERT_EQ(server.TotalCounts(), 1);

    const Answer refused = Get("/Vantrel_IE_QZ.inf");
    EXPECT_TRUE(refused.Bytes.empty());
    EXPECT_TRUE(refused.Closed);
    server.se_MaxConnectCount = 1;
    EXPECT_FALSE(Get("/Vantrel_IE_QZ.inf").Bytes.empty());
    ::closesocket(control);
}

TEST_F(WebServerTest, NoServerWithoutBoardOrBundleOrWithAnOversizedBundle) {
    EXPECT_FALSE(TWebServerForm(Host(0)).Running());
    WriteCab(std::string(kCabCapacity + 1, 'x'));
    EXPECT_FALSE(TWebServerForm(Host()).Running());
    WriteCab(std::string(kCabCapacity, 'x'));
    EXPECT_TRUE(TWebServerForm(Host()).Running());
    ::DeleteFileA((folder_ + kCabFileName).c_str());
    TWebServerForm none(Host());
    EXPECT_FALSE(none.Running());
    EXPECT_TRUE(Get("/").Closed);
}

TEST_F(WebServerTest, ABrowserThatAsksAndNeverReadsIsCutOff) {
    WriteCab(std::string(kCabCapacity, 'c'));
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    std::atomic<bool> sent{false}, done{false};
    std::thread greedy([&] {
        testing::WsaSession wsa;
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
        int small = 4096;
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small),
                     sizeof(small));
        sockaddr_in a = Loopback(port_);
        if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0) {
            const std::string request = "GET /Vantrel_IE_QZ.cab HTTP/1.1\r\n\r\n";
            for (int i = 0; i < 12; ++i) {
                ::send(s, request.data(), static_cast<int>(request.size()), 0);
                ::Sleep(60);
            }
        }
        sent = true;
        while (!done) // the connection stays open until the test has looked
            ::Sleep(10);
        ::closesocket(s);
    });
    ASSERT_TRUE(PumpUntil([&] { return sent.load(); }, 20000));
    // The server gives up on the connection while the browser still holds it.
    EXPECT_TRUE(PumpUntil([&] { return server.ConnectionCount() == 0; }, 5000));
    done = true;
    greedy.join();
}

TEST_F(WebServerTest, TheRunningHostsPortsNameFolderAndTitles) {
    testing::DeleteSettingsKeys();
    TArithmetic arithmetic;
    arithmetic.Ports.Port[0] = 40000;
    TSystemOtherSet other(arithmetic);
    TNetClientSet clients(arithmetic, other, 2);
    TSystemInfo info(arithmetic, clients, 2);
    testing::FakeVideoCard card;
    TPreviewSet preview(card);
    preview.Records[1].Title.Set("Yard");
    preview.Records[2].Title.Set("not a board channel");
    const TWebServerHost host = WebServerHostOf(arithmetic, info, preview, 2);
    EXPECT_EQ(host.Ports.Port[0], 40000);
    EXPECT_EQ(host.HostName, info.HostName);
    EXPECT_EQ(host.ProgramPath, info.ProgramPath);
    EXPECT_EQ(host.LocalIPs, info.LocalIPs);
    const auto titles = host.BoardTitles();
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], preview.Records[0].Title.Get());
    EXPECT_EQ(titles[1], "Yard");
    preview.Records[1].Title.Set("Gate"); // read afresh at each request
    EXPECT_EQ(host.BoardTitles()[1], "Gate");
}

TEST_F(WebServerTest, MissingPortSettingMeansEighty) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WebServer");
    ::DeleteFileA((folder_ + kCabFileName).c_str()); // nothing listens on 80 in the test
    TWebServerForm server(Host());
    EXPECT_FALSE(server.Running());
    EXPECT_EQ(server.se_ServerPort, 80);
}

TEST_F(WebServerTest, CloseButtonStoresTheAddressAndMovesToANewPort) {
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    server.cb_UseAddr = true;
    server.cb_LocalIP = "192.168.3.4";
    const int newPort = FreePort();
    server.se_ServerPort = newPort;
    server.bt_CloseClick();

    std::string addr;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kWebServerKey, addr, "Addr");
    EXPECT_EQ(addr, "1192.168.3.4");
    EXPECT_EQ(TArithmetic::ReadRegInteger(HKEY_LOCAL_MACHINE, kWebServerKey, "WebServer"), newPort);
    EXPECT_TRUE(Get("/").Closed); // the old port no longer listens
    const std::string request = "GET / HTTP/1.1\r\n\r\n";
    const Answer moved = WhilePumping([&] { return Ask(newPort, request); });
    EXPECT_NE(moved.Bytes.find("http://192.168.3.4:" + std::to_string(newPort) + "/"),
              std::string::npos);
}

TEST_F(WebServerTest, ConnectionsBeyondTheCapAreClosedAtAccept) {
    TWebServerForm server(Host());
    ASSERT_TRUE(server.Running());
    testing::WsaSession wsa;
    std::vector<SOCKET> idle;
    for (size_t i = 0; i < kMaxWebConnections; ++i) {
        idle.push_back(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in a = Loopback(port_);
        ASSERT_EQ(::connect(idle.back(), reinterpret_cast<sockaddr*>(&a), sizeof(a)), 0);
    }
    // The server has taken them all in once it has answered one of them.
    EXPECT_FALSE(WhilePumping([&] {
                     return Ask(port_, "GET / HTTP/1.1\r\n\r\n", SIZE_MAX, idle.back());
                 }).Bytes.empty());
    const Answer refused = Get("/");
    EXPECT_TRUE(refused.Bytes.empty());
    EXPECT_TRUE(refused.Closed);
    for (SOCKET s : idle)
        ::closesocket(s);
    // Once they are gone a browser is served again.
    bool served = false;
    for (int attempt = 0; attempt < 50 && !served; ++attempt)
        served = !Get("/").Bytes.empty();
    EXPECT_TRUE(served);
}

} // namespace
} // namespace vantrel
