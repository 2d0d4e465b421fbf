// Shared by the Windows tests of the web server, name-server client, patrol and voice:
// loopback ports, a client on its own thread while the test thread pumps messages.
#pragma once

#include "host/net/U_SocketNotify.h"

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <future>
#include <string>
#include <string_view>
#include <thread>

namespace vantrel::testing {

struct WsaSession {
    WsaSession() {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
    }
    ~WsaSession() { ::WSACleanup(); }
};

inline sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = ::htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    return a;
}

// A port no one listens on at the moment (TCP or UDP).
inline int FreePort(int type = SOCK_STREAM) {
    WsaSession wsa;
    SOCKET s = ::socket(AF_INET, type, 0);
    sockaddr_in a = Loopback(0);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::closesocket(s);
    return ::ntohs(a.sin_port);
}

// Runs `work` on its own thread while this thread dispatches its messages.
template <typename F> auto WhilePumping(F work, DWORD timeoutMs = 10000) {
    auto future = std::async(std::launch::async, std::move(work));
    PumpUntil([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
              timeoutMs);
    return future.get();
}

} // namespace vantrel::testing
