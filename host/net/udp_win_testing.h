// Shared by the Windows UDP tests: a loopback peer socket.
#pragma once

#include "host/net/U_UDPSocket.h"

#include <optional>
#include <vector>

namespace vantrel::testing {

// A peer socket of the test: sends, and waits for datagrams while the message loop runs.
struct Peer {
    TUdpSocket socket{0, kReplyBufferSize};
    template <typename T> void Send(const T& m, int port) {
        socket.SendTo(&m, sizeof(T), port, "127.0.0.1");
    }
    void SendBytes(const std::vector<uint8_t>& b, int port) {
        socket.SendTo(b.data(), int(b.size()), port, "127.0.0.1");
    }
    // The next datagram, pumping messages meanwhile; nullopt after 5 s.
    std::optional<std::vector<uint8_t>> Receive(int* fromPort = nullptr) {
        std::vector<uint8_t> buffer(kReplyBufferSize);
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 5000) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            fd_set read;
            FD_ZERO(&read);
            FD_SET(socket.Get(), &read);
            timeval wait{0, 5000};
            if (::select(0, &read, nullptr, nullptr, &wait) == 1) {
                sockaddr_in from{};
                int length = sizeof from;
                const int n =
                    ::recvfrom(socket.Get(), reinterpret_cast<char*>(buffer.data()),
                               int(buffer.size()), 0, reinterpret_cast<sockaddr*>(&from), &length);
                if (n >= 0) {
                    if (fromPort) *fromPort = ntohs(from.sin_port);
                    buffer.resize(size_t(n));
                    return buffer;
                }
            }
        }
        return std::nullopt;
    }
};

} // namespace vantrel::testing
