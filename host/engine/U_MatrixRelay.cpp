#include "host/engine/U_MatrixRelay.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace vantrel {
namespace {

// Winsock is started once for the units of this file and stays up until the program ends.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

} // namespace

TMatrixRelayServer::TMatrixRelayServer(ReadHandler onRead) : onRead_(std::move(onRead)) {
    StartWinsock();
}

TMatrixRelayServer::~TMatrixRelayServer() {
    Close();
}

bool TMatrixRelayServer::Open(int port) {
    Close();
    dvr::win::Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(u_short(port));
    if (::bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(s.get(), SOMAXCONN) != 0)
        return false;
    listener_ = std::move(s);
    stop_ = false;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

int TMatrixRelayServer::Port() const {
    if (!listener_) return 0;
    sockaddr_in a{};
    int size = sizeof a;
    if (::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&a), &size) != 0) return 0;
    return ntohs(a.sin_port);
}

void TMatrixRelayServer::Close() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    clients_.clear();
    listener_.reset();
}

void TMatrixRelayServer::Serve() {
    std::vector<uint8_t> buffer;
    while (!stop_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_.get(), &readable);
        for (const auto& c : clients_)
            if (readable.fd_count < FD_SETSIZE) FD_SET(c.get(), &readable);
        timeval wait{0, 50 * 1000};
        if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        if (FD_ISSET(listener_.get(), &readable)) {
            dvr::win::Socket c(::accept(listener_.get(), nullptr, nullptr));
            // Only as many connections as one wait can watch; a further one is closed at once.
            if (c && clients_.size() < kMaxRelayClients) clients_.push_back(std::move(c));
        }
        for (auto it = clients_.begin(); it != clients_.end();) {
            if (!FD_ISSET(it->get(), &readable)) {
                ++it;
                continue;
            }
            u_long pending = 0;
            ::ioctlsocket(it->get(), FIONREAD, &pending);
            buffer.resize(std::max<u_long>(pending, 1));
            const int got =
                ::recv(it->get(), reinterpret_cast<char*>(buffer.data()), int(buffer.size()), 0);
            if (got <= 0) {
                it = clients_.erase(it); // closed or failed: the others go on
                continue;
            }
            try {
                onRead_(buffer.data(), size_t(got));
            } catch (...) {
            }
            ++it;
        }
    }
}

TRelayClient::TRelayClient() {
    StartWinsock();
}

TRelayClient::~TRelayClient() = default;

bool TRelayClient::Connect(const std::string& address, int port) {
    if (address.empty()) return false;
    Disconnect();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found)
        return false;
    dvr::win::Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    bool started = false;
    if (s) {
        u_long nonBlocking = 1;
        ::ioctlsocket(s.get(), FIONBIO, &nonBlocking);
        const int r = ::connect(s.get(), found->ai_addr, int(found->ai_addrlen));
        started = r == 0 || ::WSAGetLastError() == WSAEWOULDBLOCK;
    }
    ::freeaddrinfo(found);
    if (!started) return false;
    socket_ = std::move(s);
    return true;
}

void TRelayClient::Disconnect() {
    socket_.reset();
    connected_ = false;
}

bool TRelayClient::Connected() const {
    if (connected_ || !socket_) return connected_;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket_.get(), &writable);
    FD_SET(socket_.get(), &failed);
    timeval now{0, 0};
    if (::select(0, nullptr, &writable, &failed, &now) > 0) {
        if (FD_ISSET(socket_.get(), &failed))
            socket_.reset();
        else
            connected_ = FD_ISSET(socket_.get(), &writable) != 0;
    }
    return connected_;
}

void TRelayClient::Send(const std::string& bytes) {
    if (!Connected()) return;
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = ::send(socket_.get(), bytes.data() + sent, int(bytes.size() - sent), 0);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) {
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(socket_.get(), &writable);
            timeval wait{1, 0};
            if (::select(0, nullptr, &writable, nullptr, &wait) > 0) continue;
        }
        return;
    }
}

} // namespace vantrel
