// One accepted viewer connection: its socket, its request, the wait pairs of its reader and
// sender, its send queue and its dropping state. The list and thread logic that use it belong
// to the live video server.
#pragma once

#include "host/engine/U_Chain.h"
#include "host/net/U_LiveProtocol.h"
#include "host/net/U_SocketThread.h"
#include "host/net/U_WinSocket.h"

#include "common/win/handles.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel {

constexpr int kViewerQueueCapacity = 300;

class TTCPConnecter {
public:
    explicit TTCPConnecter(int32_t queueCapacity);
    // Stops and waits for the viewer's threads, then closes events and socket.
    ~TTCPConnecter();
    TTCPConnecter(const TTCPConnecter&) = delete;
    TTCPConnecter& operator=(const TTCPConnecter&) = delete;

    dvr::win::Socket Socket;
    sockaddr_in PeerAddr{};
    std::string PeerAddressText;
    int32_t PeerPort = 0; // network byte order, as accept gave it
    TChannelOpenRequest Request;
    dvr::win::Event ReadEvent, ReadStopEvent;
    dvr::win::Event SendEvent, SendStopEvent;
    std::unique_ptr<TChain> Queue;
    // Producer side of the queue against clearing and release: the fan-out pushes under it,
    // Clear and FreeNodes run under it, so a push never writes into a node being emptied.
    std::mutex QueueLock;
    std::unique_ptr<TSocketThread> SendThread, ReadThread;
    std::atomic<uint8_t> Admitted{0};
    std::atomic<uint8_t> Pending{1};
    // Counted among its list's connections that wait for their first judged request.
    std::atomic<uint8_t> Waiting{0};
    std::atomic<uint8_t> Closed{0};
    // Requests read whole from this viewer so far: one read takes one request.
    std::atomic<int32_t> RequestsRead{0};
    double ConnectTime = 0; // local date and time of the accept
    int32_t DropCount = 0;
    uint8_t DropFrame = 0;
    int32_t DropLevel = 0;
    std::atomic<int32_t> AlarmPort{-1};
    std::string AlarmAddress;
    // Cells of the viewer list: appended by the accept thread, walked by the fan-out,
    // unlinked by the sweeper.
    std::atomic<TTCPConnecter*> Prev{nullptr};
    std::atomic<TTCPConnecter*> Next{nullptr};

    // 0 the event, 1 the stop event; failures ignored.
    void SetSendEvent(int index);
    void SetReadEvent(int index);
    int SendBuffer(const void* data, int length);
    // 0 when nothing is waiting or the peer closed in order, -1 for a real error.
    int ReceiveBuffer(void* buffer, int size);
    int BytesAvailable();
    bool SetSendBufferSize(int size);
};

} // namespace vantrel
