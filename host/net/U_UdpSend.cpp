#include "host/net/U_UdpSend.h"

#include <ws2tcpip.h>

namespace vantrel {

bool ResolveIPv4(std::string_view host, in_addr& address) {
    const std::string name(host);
    if (name.empty()) return false;
    if (::inet_pton(AF_INET, name.c_str(), &address) == 1) return true;
    ADDRINFOA hints{};
    hints.ai_family = AF_INET;
    ADDRINFOA* list = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || !list) return false;
    address = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr;
    ::freeaddrinfo(list);
    return true;
}

int SendDatagram(SOCKET socket, std::string_view host, uint16_t port, const void* data,
                 size_t length) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = ::htons(port);
    if (!ResolveIPv4(host, to.sin_addr)) return -1;
    const int n = ::sendto(socket, static_cast<const char*>(data), static_cast<int>(length), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    return n < 0 ? -1 : n;
}

SOCKET OpenUdpSocket(uint16_t port) {
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = ::htons(port);
    a.sin_addr.s_addr = INADDR_ANY;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof(a)) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

std::string DottedAddress(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof(text));
    return text;
}

} // namespace vantrel
