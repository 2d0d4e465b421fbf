// One network channel's connection to another host's live port: the connect, the receive
// thread that opens the slot's player port on the stream head, feeds the port while the pane
// previews and appends every block to the slot's recording file while it records, and the
// disconnect that leaves the slot idle.
#pragma once

#include "host/net/U_NetPane.h"
#include "host/net/U_SocketThread.h"
#include "host/net/U_TCPClient.h"

#include "common/win/handles.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct TCaptureSlot;

constexpr int kNetSlots = 49;
constexpr int kNetReceiveBufferSize = 102400;
// The browser control keeps a smaller stream pool per port: it runs beside a browser.
#ifdef VANTREL_CONTROL_BUILD
constexpr int kNetStreamBufferSize = 512000;
#else
constexpr int kNetStreamBufferSize = 1024000;
#endif
constexpr int kNetRequestSendAttempts = 21;

// Work-log events of the network channels.
constexpr int kEventPreviewStarted = 12;
constexpr int kEventPreviewStopped = 13;
constexpr int kEventPreviewFailed = 14;
constexpr int kEventNetRecording = 16; // written when a recording starts writing and when closed
constexpr int kEventRecordingFailed = 17;
constexpr int kEventStreamRefused = 66;

// What the client needs of the rest of the host.
class TNetClientHost {
public:
    virtual ~TNetClientHost() = default;
    // Channels in use (board and network) and board channels.
    virtual int ChannelCount() = 0;
    virtual int BoardChannelCount() = 0;
    // The first local IPv4 address, sent as the viewer's own address.
    virtual std::string OwnIP() = 0;
    // The logged-on local user, for the work log.
    virtual std::string UserName() = 0;
    virtual void AddLogRecord(std::string_view line) = 0;
    // Recordings index: a file still being written, under its day "YYYYMMDD".
    virtual void AddCaptureFile(std::string_view day, int channel, std::string_view entry) = 0;
    // One UDP message through the message client; may throw.
    virtual void SendUdp(const void* data, int length, int port, const std::string& host) = 0;
    // Picture changes of slot s, run on the user-interface thread; callers do not wait.
    virtual void ShowPlaying(int slot) = 0;
    virtual void ShowRecording(int slot) = 0;
    virtual void ShowRecordingStopped(int slot) = 0;
};

class TTCPDataClient : public TTCPClient {
public:
    TTCPDataClient(TNetClientHost& host, int playerPort);
    // Stops every thread of the client and leaves the slot idle.
    ~TTCPDataClient() override;

    sockaddr_in RemoteAddr{};
    std::atomic<bool> Connecting{false};
    std::atomic<bool> Connected{false};
    std::atomic<TNetPane*> Pane{nullptr};
    // The recording engine's slot of this channel and the lock it switches files under.
    std::atomic<TCaptureSlot*> Slot{nullptr};
    std::atomic<dvr::win::CriticalSection*> SlotLock{nullptr};
    std::atomic<bool> StreamOpened{false};
    // 1 while no receive thread runs for the client: at creation, from the start of every
    // disconnect and when the receive thread ends; 0 from a connect until then.
    std::atomic<uint8_t> ThreadEnded{1};
    const int32_t PlayerPort;
    std::vector<uint8_t> ReceiveBuffer;
    uint8_t StreamHead[19] = {};
    std::atomic<int32_t> UdpPort{0};
    std::atomic<int32_t> RemoteChannel{0};
    // Taken from the slot's channel entry when it is opened: B pictures the player skips and
    // the remote host's address for the work log.
    std::atomic<int32_t> SkipBFrames{0};
    void SetChannelEntry(int skipBFrames, const std::string& hostAddress, int udpPort);

    // Connects to the host (a name to resolve, else the dotted address) and starts the
    // receive thread. A client that is connected or connecting already is joined: true with
    // *joined set, and nothing else happens.
    bool Connect(const std::string& hostName, const std::string& addressText, int port,
                 int receiveBufferSize, int remoteChannel, bool* joined = nullptr);
    // Ends the connection: receive thread stopped, "C" sent, player port closed, socket
    // closed, the slot's file closed and its flags cleared. A pending connect is broken off.
    void Disconnect();
    // A connect for the open of `epoch` failed: the pane's preview flag cleared and the slot
    // left idle, unless a later open or close has taken the slot over meanwhile.
    void ConnectFailed(uint64_t epoch);
    // Whether the pane previews or the slot records, i.e. the connection is still wanted.
    bool Wanted() const;
    bool Receiving() const;
    // Stops the receive thread and waits for it to end; the connection stays open until
    // Disconnect closes it (the channel map is about to change under the thread).
    void StopReceiving();

    // Connect threads of the client, kept until they end.
    void AddConnectThread(std::unique_ptr<TSocketThread> thread);
    // Threads of the client still running (connect and receive).
    int RunningThreads();

    void WriteLog(int event);
    TNetClientHost& Host() { return host_; }
    // Every open, close or disconnect moves it on.
    uint64_t NextEpoch() { return ++epoch_; }
    uint64_t Epoch() const { return epoch_; }

private:
    friend struct TThreadTCPDataClient;
    void ReceiveLoop(TSocketThread& self);
    // A block of the stream; false when the thread is to end.
    bool TakeBlock(TSocketThread& self, uint8_t* data, int length);
    bool OpenStreamPort(TSocketThread& self, const uint8_t* data, int length);
    void Feed(TSocketThread& self, const uint8_t* data, int length);
    void Record(TSocketThread& self, const uint8_t* data, int length);
    // The receive thread ends the connection itself (error, refusal, host gone).
    void DisconnectFromReceiver(TSocketThread& self);
    // Everything after the receive thread has ended; under lock_.
    void CloseConnection();
    void ClearSlot(uint64_t epoch);
    void ReapLocked();

    TNetClientHost& host_;
    std::string logHostAddress_;
    // Held through a whole connect or disconnect, so that the two never interleave.
    std::mutex closeLock_;
    mutable std::recursive_mutex lock_;
    std::unique_ptr<TSocketThread> receiveThread_;
    std::vector<std::unique_ptr<TSocketThread>> threads_; // connect threads and retired receivers
    std::atomic<uint64_t> epoch_{0};
};

// TThreadTCPDataClient: the receive thread of one connected client (normal priority).
struct TThreadTCPDataClient {
    static std::unique_ptr<TSocketThread> Create(TTCPDataClient& client);
    // Raises the thread's Stopped flag and wakes it; nothing for null.
    static void Stop(TSocketThread* thread, TTCPDataClient& client);
};

// A block written to the slot's file under the slot's lock; the lock is only tried, so that
// a thread that holds it and waits for the receiver to stop is never blocked by the write.
// False when the thread was stopped before it got the lock.
bool WithSlotLock(dvr::win::CriticalSection* lock, const TSocketThread& self,
                  const std::function<void()>& work);

} // namespace vantrel
