// The host's answering side of the UDP message protocol: the request server on the host's
// message port, whose datagrams are dispatched on the user-interface thread, and the reply
// socket that every answer and the alarm dispatcher's uploads leave through.
#pragma once

#include "host/net/U_UDPMessageDispatch.h"
#include "host/net/U_UDPSocket.h"

#include <memory>
#include <mutex>
#include <string>

namespace vantrel {

// Datagrams waiting for the user-interface thread beyond which new ones are dropped.
constexpr size_t kMaxPendingDatagrams = 256;

class TUDPMessageServer : public TUDPReplySender {
public:
    // Binds the request server to `port` (NetPortTable[14] of the host's own table) and starts
    // listening; throws std::runtime_error when the port cannot be bound. Created on the
    // user-interface thread, whose message loop then runs the dispatch.
    TUDPMessageServer(TUDPServerHost& host, int port);
    ~TUDPMessageServer() override;

    // One datagram through the reply socket; throws on failure. Safe from any thread (the
    // alarm dispatcher sends its uploads through it too).
    void SendTo(const void* buffer, int length, int port, const std::string& host) override;

    int Port() const { return request_.LocalPort(); }
    // Datagrams received and waiting for the user-interface thread.
    size_t Pending() { return ui_.Pending(); }

private:
    TUiHandOver ui_;
    TUDPMessageDispatch dispatch_;
    std::mutex replyLock_;
    TUdpSocket reply_;
    TUdpSocket request_;
    std::unique_ptr<TUdpReceiveThread> listener_;
};

} // namespace vantrel
