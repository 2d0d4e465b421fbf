#include "host/net/U_TCPServer.h"

namespace vantrel {

TTCPServer::~TTCPServer() {
    if (Listening) Close();
}

bool TTCPServer::Bind(uint16_t port) {
    if (Listening || !EventsReady()) return Listening;
    Socket.reset(::socket(AF_INET, SOCK_STREAM, 0));
    if (!Socket) return false;
    LocalAddress.sin_port = htons(port);
    if (::bind(Socket.get(), reinterpret_cast<const sockaddr*>(&LocalAddress),
               sizeof(LocalAddress)) == SOCKET_ERROR)
        return false;
    if (::WSAEventSelect(Socket.get(), NetEvent.get(), FD_ACCEPT) == SOCKET_ERROR) return false;
    Listening = true;
    return true;
}

void TTCPServer::Close() {
    Socket.reset();
    Listening = false;
}

} // namespace vantrel
