// The sweeper: frees the viewers that have closed, and stops the encoder that ran only for
// viewers once the last viewer of a channel has gone. One for the whole program.
#pragma once

#include "host/net/U_TCPMainServer.h"

#include <memory>

namespace vantrel {

class TThreadFreeTCPMainConnecter {
public:
    // Runs at once, at lower priority.
    explicit TThreadFreeTCPMainConnecter(TLiveServers& servers);
    ~TThreadFreeTCPMainConnecter();
    TThreadFreeTCPMainConnecter(const TThreadFreeTCPMainConnecter&) = delete;
    TThreadFreeTCPMainConnecter& operator=(const TThreadFreeTCPMainConnecter&) = delete;

    // Ends the loop and waits for it (about 100 ms; longer while a viewer is being freed).
    void Stop();
    // Passes completed, for those who wait on the sweeper.
    int Passes() const { return passes_.load(); }
    // Viewers freed so far.
    size_t Freed() const { return freed_.load(); }

private:
    void Execute(TSocketThread& self);
    // One channel's list; false when the sweeper was stopped meanwhile.
    bool SweepList(TTCPMainConnecter& list, int channel, TSocketThread& self);

    TLiveServers& servers_;
    std::atomic<int> passes_{0};
    std::atomic<size_t> freed_{0};
    std::unique_ptr<TSocketThread> thread_;
};

} // namespace vantrel
