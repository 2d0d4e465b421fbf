// The live video server of one board channel: its listening socket on the channel's live
// port, its accept thread and its viewer list; and the set of them all, one per board channel,
// that the stream routing hands each channel's records to.
#pragma once

#include "host/net/U_LiveHost.h"
#include "host/net/U_TCPMainConnecter.h"
#include "host/net/U_TCPServer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <shared_mutex>

namespace vantrel {

constexpr int kLiveChannels = 49;
constexpr int kListenBacklog = 150;

struct TThreadMainListen;

class TTCPMainServer : public TTCPServer {
public:
    // `throttle`: the refusal throttle shared by the host's live ports (one of its own if null).
    explicit TTCPMainServer(TLiveHost& host, std::shared_ptr<TRefusalThrottle> throttle = nullptr);
    ~TTCPMainServer() override;

    std::atomic<uint8_t> Started{0};
    std::unique_ptr<TSocketThread> ListenThread;
    std::unique_ptr<TTCPMainConnecter> Viewers;

    // Listens on `port` for `channel` (at most 49). Already started: true. False only for a
    // bad channel or a failed bind.
    bool Start(int port, int channel);
    // Ends the accept thread, frees the viewers and closes the listening socket.
    void Stop();
    // 0 network event, 1 stop event, -1 failed wait.
    int WaitNetEvents();
    void ResetNetEvent(int index);

private:
    friend struct TThreadMainListen;
    void ListenLoop(TSocketThread& self);

    TLiveHost& host_;
    std::shared_ptr<TRefusalThrottle> throttle_;
};

// TThreadMainListen: the accept thread of one server (normal priority).
struct TThreadMainListen {
    static std::unique_ptr<TSocketThread> Create(TTCPMainServer& server);
};

// One live server per board channel.
class TLiveServers {
public:
    explicit TLiveServers(TLiveHost& host) : host_(host) {}
    // StopAll, unless the shutdown ran it already.
    ~TLiveServers() { StopAll(); }
    TLiveServers(const TLiveServers&) = delete;
    TLiveServers& operator=(const TLiveServers&) = delete;

    // A server per channel 0..count - 1 on port base + channel; false when any failed.
    bool StartLiveServers(int portBase, int count);
    // The channel's viewer list; null when the channel has no running server.
    TTCPMainConnecter* Viewers(int channel);
    TTCPMainServer* Server(int channel);
    // The connection window's disconnect: closes the viewer when it is still on the channel's
    // list (its threads end, the peer sees the close, the sweeper frees it); false otherwise.
    bool CloseViewer(int channel, TTCPConnecter& viewer);
    // Called by the stream routing for each record of a board channel.
    void FanOutFrame(int channel, int frameType, const uint8_t* data, int length);
    // The shutdown's order: every viewer's threads stopped, then the servers.
    void StopViewers();
    void StopAll();

    TLiveHost& Host() { return host_; }
    // Held shared by whoever walks the viewer lists from outside (fan-out, sweeper); the
    // servers are only stopped under it whole.
    std::shared_mutex& ListsLock() { return lock_; }
    bool Stopping() const { return stopping_; }

private:
    TLiveHost& host_;
    // The fan-out walks the lists under the shared side; stopping takes it whole.
    std::shared_mutex lock_;
    std::atomic<bool> stopping_{false};
    std::shared_ptr<TRefusalThrottle> throttle_ = std::make_shared<TRefusalThrottle>();
    std::array<std::unique_ptr<TTCPMainServer>, kLiveChannels> servers_;
};

} // namespace vantrel
