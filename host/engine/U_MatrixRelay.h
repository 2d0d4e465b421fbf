// The TCP side of the matrix keyboards: the relay listener that takes command records from
// other hosts, and the connection a remote keyboard window sends its records on.
#pragma once

#include "host/engine/U_RemoteMatrix.h"

#include "common/win/handles.h"

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {

// Accepts connections on all addresses (at most kMaxRelayClients at once), expects no greeting
// and sends nothing back. Each arrival of data is handed over whole, on the relay's own thread.
class TMatrixRelayServer {
public:
    // Connections served at once (one wait watches them all with the listener).
    static constexpr size_t kMaxRelayClients = 63;
    using ReadHandler = std::function<void(const uint8_t* data, size_t length)>;
    explicit TMatrixRelayServer(ReadHandler onRead);
    ~TMatrixRelayServer();
    TMatrixRelayServer(const TMatrixRelayServer&) = delete;
    TMatrixRelayServer& operator=(const TMatrixRelayServer&) = delete;

    // False when the port cannot be opened; the relay then stays closed.
    bool Open(int port);
    void Close();
    bool Listening() const { return thread_.joinable(); }
    // The bound port (the system's choice when opened on 0); 0 when closed.
    int Port() const;

private:
    void Serve();

    ReadHandler onRead_;
    dvr::win::Socket listener_;
    std::vector<dvr::win::Socket> clients_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A remote keyboard window's link to another host's relay.
class TRelayClient : public TRelayConnection {
public:
    TRelayClient();
    ~TRelayClient() override;

    // Nothing without an address; otherwise closes an open link and starts a non-blocking
    // connection; false when the address cannot be resolved or no socket was made.
    bool Connect(const std::string& address, int port);
    void Disconnect();
    // Established by now (the window's 500 ms verdict asks this).
    bool Connected() const override;
    // Errors are ignored.
    void Send(const std::string& bytes) override;

private:
    mutable dvr::win::Socket socket_;
    mutable bool connected_ = false;
};

} // namespace vantrel
