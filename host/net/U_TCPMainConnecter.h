// The viewers of one channel's live server: accepting and linking them, their reader (the
// request and its admission, later key-frame requests) and sender threads, closing them, and
// copying every record of the channel into each admitted viewer's queue.
#pragma once

#include "host/net/U_LiveHost.h"
#include "host/net/U_TCPConnecter.h"

#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel {

constexpr int kViewerSendBufferSize = 16384;
constexpr int kSendPieceSize = 4096;
constexpr int kWorkLogViewerAccepted = 68;
constexpr int kWorkLogViewerRefused = 67;
constexpr int kRemoteRightLive = 0;
// Connections of one live port that have not yet sent a request worth judging; more are
// closed at accept.
constexpr int kMaxWaitingViewers = 64;
// How long a connection may take to send its first judged request.
constexpr DWORD kFirstRequestTimeoutMs = 10000;
// Open connections of one live port at most (waiting, admitted and being refused).
constexpr int kMaxOpenViewers = 256;

// Slows password guessing: after a refusal, an address has at most one request judged a
// second, on every live port together.
class TRefusalThrottle {
public:
    // How long the caller waits before judging a request from `address`; reserves that slot.
    std::chrono::milliseconds Reserve(const std::string& address);
    void Refused(const std::string& address);
    size_t Size();

private:
    struct Entry {
        std::chrono::steady_clock::time_point next;
        std::chrono::steady_clock::time_point lastRefusal;
    };
    std::mutex lock_;
    std::map<std::string, Entry> entries_;
};

// The dropping stages of one channel's frame rate.
struct TDropStages {
    int FrameRate; // c: the setting, 25 when outside 1..30
    int L1, L2, L3, L4;
};
TDropStages DropStagesFor(int frameRateSetting);

class TTCPMainConnecter;

// A viewer's reader: waits for its requests and judges them (normal priority).
struct TThreadMainTCPConnecter {
    static std::unique_ptr<TSocketThread> Create(TTCPMainConnecter& list, TTCPConnecter& viewer);
    static void Stop(TTCPConnecter& viewer);
};

// A viewer's sender: moves its queue onto the socket (higher priority).
struct TThreadMainTCPConnecterSendData {
    static std::unique_ptr<TSocketThread> Create(TTCPMainConnecter& list, TTCPConnecter& viewer);
    static void Stop(TTCPConnecter& viewer);
};

class TTCPMainConnecter {
public:
    // `throttle`: shared by the live ports of the host; a list of its own when null.
    TTCPMainConnecter(TLiveHost& host, SOCKET listenSocket, uint8_t channel,
                      std::shared_ptr<TRefusalThrottle> throttle = nullptr);
    // Stops every viewer's threads, waits for them and frees the viewers.
    ~TTCPMainConnecter();
    TTCPMainConnecter(const TTCPMainConnecter&) = delete;
    TTCPMainConnecter& operator=(const TTCPMainConnecter&) = delete;

    SOCKET ListenSocket;
    std::atomic<uint8_t> Busy{0};
    const uint8_t Channel;
    std::atomic<TTCPConnecter*> Head{nullptr};
    std::atomic<TTCPConnecter*> Tail{nullptr};
    // Held by the accept thread while appending and by the sweeper while unlinking.
    std::mutex LinkLock;
    // Held while a viewer is admitted and the encoder started for it, and while the sweeper
    // makes sure no viewer is left before stopping that encoder: a viewer admitted between
    // the sweeper's look and its stop would get no stream.
    std::mutex EncoderLock;
    // Connections waiting for their first judged request, and those not yet closed.
    std::atomic<int> WaitingCount{0};
    std::atomic<int> OpenCount{0};
    uint8_t RefusalHead[kStreamHeadSize];

    // Accepts one connection, starts its reader and appends it to the list.
    void AcceptViewer();
    // Appends a viewer at the tail (the accept thread's only change of the list).
    void LinkViewer(TTCPConnecter* viewer);
    // Stops the viewer's threads, marks it closed and shuts its socket; the sweeper frees it.
    // The connection window's disconnect is this too.
    void CloseViewer(TTCPConnecter& viewer);
    // One record of the channel into every admitted viewer's queue, shedding load.
    void FanOutFrame(int frameType, const uint8_t* data, int length);

    TLiveHost& Host() { return host_; }

private:
    friend struct TThreadMainTCPConnecter;
    friend struct TThreadMainTCPConnecterSendData;

    void ReadLoop(TTCPConnecter& viewer, TSocketThread& self);
    // Takes one whole request; false when the viewer was closed or the thread must end.
    // `deadline` (GetTickCount64) bounds a wait before judging a viewer not yet admitted.
    bool HandleRequest(TTCPConnecter& viewer, TSocketThread& self, const uint8_t* bytes,
                       ULONGLONG deadline);
    void SendLoop(TTCPConnecter& viewer, TSocketThread& self);
    // The body of SendLoop; returns when the sender must end.
    void SendQueued(TTCPConnecter& viewer, TSocketThread& self);
    void PushLocked(TTCPConnecter& viewer, const uint8_t* data, int length, uint8_t frameType);
    void CloseOldestWaiting();
    // The viewer no longer waits for its first judged request.
    void StopWaiting(TTCPConnecter& viewer);
    // The refusal marker straight onto the socket, then the connection is closed.
    void Refuse(TTCPConnecter& viewer, const TChannelOpenRequest& request);

    TLiveHost& host_;
    std::shared_ptr<TRefusalThrottle> throttle_;
};

} // namespace vantrel
