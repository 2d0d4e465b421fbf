// Keeps the host groups' addresses current: a host that shows network channels asks the name
// server every few seconds where each of its groups' hosts is now, and takes the answers.
#pragma once

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/net/U_NameServerRecords.h"

#include "common/win/handles.h"

#include <atomic>
#include <mutex>

namespace vantrel {

// The lookup request thread's pauses.
struct TLookupTiming {
    DWORD StartPauseMs = 500;
    DWORD NoServerPauseMs = 2000;
    DWORD PerGroupPauseMs = 200;
    DWORD RoundPauseMs = 5000;
};

class TAutoGetRemoterHost {
public:
    using Timing = TLookupTiming;

    // Both threads are made suspended; Resume starts them.
    TAutoGetRemoterHost(TArithmetic& arithmetic, TNetClientSet& netClientSet,
                        const TSystemOtherSet& otherSet, int boardChannels,
                        uint16_t lookupPort = kNameServerLookupPort, Timing timing = {});
    ~TAutoGetRemoterHost();
    TAutoGetRemoterHost(const TAutoGetRemoterHost&) = delete;
    TAutoGetRemoterHost& operator=(const TAutoGetRemoterHost&) = delete;

    void Resume();
    // Lookup requests sent so far (each 60 bytes).
    int RequestsSent() const { return requestsSent_; }
    // Lookup replies that changed a group, and replies dropped for coming from elsewhere.
    int RepliesForeign() const { return repliesForeign_; }
    int RepliesApplied() const { return repliesApplied_; }

private:
    static DWORD WINAPI RequestMain(LPVOID self);
    static DWORD WINAPI ReadMain(LPVOID self);
    // TThreadRequestRemoterHost.Execute
    void RequestLoop();
    // TThreadUDPActiveClientRead.Execute
    void ReadLoop();
    // Waits; false when stopping.
    bool Pause(DWORD ms);

    TArithmetic& arithmetic_;
    TNetClientSet& netClientSet_;
    const TSystemOtherSet& otherSet_;
    int boardChannels_;
    uint16_t lookupPort_;
    Timing timing_;
    bool wsaStarted_ = false;
    dvr::win::Socket socket_;
    // The two threads' turns at the group lists.
    std::mutex groupsLock_;
    std::atomic<bool> stopped_{false};
    dvr::win::Event stopEvent_;
    dvr::win::Thread requestThread_;
    dvr::win::Thread readThread_;
    std::atomic<int> requestsSent_{0};
    std::atomic<int> repliesApplied_{0};
    std::atomic<int> repliesForeign_{0};
    // The name server the last lookup went to (network order; 0 before any): replies from
    // anywhere else are dropped.
    std::atomic<uint32_t> serverAddress_{0};
};

} // namespace vantrel
