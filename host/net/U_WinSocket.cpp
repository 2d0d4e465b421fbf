#include "host/net/U_WinSocket.h"

#include <cstring>

namespace vantrel {

TWinSocket::TWinSocket() {
    if (::WSAStartup(MAKEWORD(2, 2), &WsaData) != 0) return;
    wsaStarted_ = true;
    NetEvent.reset(::WSACreateEvent());
    if (!NetEvent) return;
    StopEvent.reset(::WSACreateEvent());
    if (!StopEvent) {
        NetEvent.reset();
        return;
    }
    LocalAddress.sin_family = AF_INET;
    LocalAddress.sin_addr.s_addr = htonl(INADDR_ANY);
}

TWinSocket::~TWinSocket() {
    Socket.reset();
    NetEvent.reset();
    StopEvent.reset();
    if (wsaStarted_) ::WSACleanup();
}

uint32_t TWinSocket::ResolveHostName(const std::string& name) const {
    if (name.empty()) return 0;
    hostent* host = ::gethostbyname(name.c_str());
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list ||
        !host->h_addr_list[0])
        return 0;
    uint32_t address = 0;
    std::memcpy(&address, host->h_addr_list[0], 4);
    return address;
}

} // namespace vantrel
