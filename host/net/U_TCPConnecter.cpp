#include "host/net/U_TCPConnecter.h"

#include <cstring>

namespace vantrel {

TTCPConnecter::TTCPConnecter(int32_t queueCapacity) {
    std::memset(&Request, 0, sizeof(Request));
    Request.Channel = -1;
    ReadEvent.reset(::WSACreateEvent());
    ReadStopEvent.reset(::WSACreateEvent());
    SendEvent.reset(::WSACreateEvent());
    SendStopEvent.reset(::WSACreateEvent());
    Queue = std::make_unique<TChain>(queueCapacity);
}

TTCPConnecter::~TTCPConnecter() {
    // The threads use the queue, the events and the socket: they end before any goes. The
    // reader goes first: it is the one that may still create the sender.
    Closed = 1;
    if (ReadThread) ReadThread->Stopped = true;
    SetReadEvent(1);
    ReadThread.reset();
    if (SendThread) SendThread->Stopped = true;
    SetSendEvent(1);
    SendThread.reset();
    {
        std::lock_guard<std::mutex> guard(QueueLock);
        Queue.reset();
    }
    ReadEvent.reset();
    ReadStopEvent.reset();
    SendEvent.reset();
    SendStopEvent.reset();
    Socket.reset();
}

void TTCPConnecter::SetSendEvent(int index) {
    HANDLE e = index == 0 ? SendEvent.get() : SendStopEvent.get();
    if (e) ::WSASetEvent(e);
}

void TTCPConnecter::SetReadEvent(int index) {
    HANDLE e = index == 0 ? ReadEvent.get() : ReadStopEvent.get();
    if (e) ::WSASetEvent(e);
}

int TTCPConnecter::SendBuffer(const void* data, int length) {
    return ::send(Socket.get(), static_cast<const char*>(data), length, 0);
}

int TTCPConnecter::ReceiveBuffer(void* buffer, int size) {
    int n = ::recv(Socket.get(), static_cast<char*>(buffer), size, 0);
    if (n == SOCKET_ERROR) return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return n;
}

int TTCPConnecter::BytesAvailable() {
    u_long n = 0;
    if (::ioctlsocket(Socket.get(), FIONREAD, &n) == SOCKET_ERROR) return 0;
    return static_cast<int>(n);
}

bool TTCPConnecter::SetSendBufferSize(int size) {
    return ::setsockopt(Socket.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size),
                        sizeof(size)) != SOCKET_ERROR;
}

} // namespace vantrel
