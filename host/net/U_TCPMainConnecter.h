// The viewers of one channel's live server: accepting and linking them, their reader (the
// request and its admission, later key-frame requests) and sender threads, closing them, and
// copying every record of the channel into each admitted viewer's queue.
#pragma once

#include "host/net/U_LiveHost.h"
#include "host/net/U_TCPConnecter.h"

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <memory>

namespace vantrel {

constexpr int kViewerSendBufferSize = 16384;
constexpr int kSendPieceSize = 4096;
constexpr int kWorkLogViewerAccepted = 68;
constexpr int kWorkLogViewerRefused = 67;
constexpr int kRemoteRightLive = 0;

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
    TTCPMainConnecter(TLiveHost& host, SOCKET listenSocket, uint8_t channel);
    // Stops every viewer's threads, waits for them and frees the viewers.
    ~TTCPMainConnecter();
    TTCPMainConnecter(const TTCPMainConnecter&) = delete;
    TTCPMainConnecter& operator=(const TTCPMainConnecter&) = delete;

    SOCKET ListenSocket;
    std::atomic<uint8_t> Busy{0};
    const uint8_t Channel;
    std::atomic<TTCPConnecter*> Head{nullptr};
    std::atomic<TTCPConnecter*> Tail{nullptr};
    uint8_t RefusalHead[kStreamHeadSize];

    // Accepts one connection, starts its reader and appends it to the list.
    void AcceptViewer();
    // Appends a viewer at the tail (the accept thread's only change of the list).
    void LinkViewer(TTCPConnecter* viewer);
    // Stops the viewer's threads and marks it closed; the sweeper frees it.
    void CloseViewer(TTCPConnecter& viewer);
    // One record of the channel into every admitted viewer's queue, shedding load.
    void FanOutFrame(int frameType, const uint8_t* data, int length);

    TLiveHost& Host() { return host_; }

private:
    friend struct TThreadMainTCPConnecter;
    friend struct TThreadMainTCPConnecterSendData;

    void ReadLoop(TTCPConnecter& viewer, TSocketThread& self);
    // Takes one whole request; false when the viewer was closed or the thread must end.
    bool HandleRequest(TTCPConnecter& viewer, TSocketThread& self, const uint8_t* bytes);
    void SendLoop(TTCPConnecter& viewer, TSocketThread& self);
    // The body of SendLoop; returns when the sender must end.
    void SendQueued(TTCPConnecter& viewer, TSocketThread& self);
    void PushLocked(TTCPConnecter& viewer, const uint8_t* data, int length, uint8_t frameType);

    TLiveHost& host_;
};

} // namespace vantrel
