#include "host/net/U_TCPClient.h"

namespace vantrel {

TTCPClient::~TTCPClient() {
    if (Open) Close();
}

bool TTCPClient::OpenSocket() {
    if (Open || !EventsReady()) return Open;
    Socket.reset(::socket(AF_INET, SOCK_STREAM, 0));
    if (!Socket) return false;
    Open = true;
    return true;
}

void TTCPClient::Close() {
    if (StopEvent) ::WSASetEvent(StopEvent.get());
    if (NetEvent) ::WSASetEvent(NetEvent.get());
    Socket.reset();
    Open = false;
}

int TTCPClient::SendBuffer(const void* data, int length) {
    return ::send(Socket.get(), static_cast<const char*>(data), length, 0);
}

int TTCPClient::SendText(const std::string& text) {
    int n = ::send(Socket.get(), text.data(), static_cast<int>(text.size()), 0);
    if (n == SOCKET_ERROR) return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return n;
}

int TTCPClient::BytesAvailable() {
    u_long n = 0;
    if (::ioctlsocket(Socket.get(), FIONREAD, &n) == SOCKET_ERROR) return 0;
    return static_cast<int>(n);
}

int TTCPClient::ReceiveBuffer(void* buffer, int size) {
    int n = ::recv(Socket.get(), static_cast<char*>(buffer), size, 0);
    if (n == SOCKET_ERROR) return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return n;
}

bool TTCPClient::SetReceiveBufferSize(int size) {
    return ::setsockopt(Socket.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
                        sizeof(size)) != SOCKET_ERROR;
}

} // namespace vantrel
