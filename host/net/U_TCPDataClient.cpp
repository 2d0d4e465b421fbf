#include "host/net/U_TCPDataClient.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Capture.h"
#include "host/engine/U_DiskManager.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/net/U_LiveProtocol.h"
#ifndef VANTREL_CONTROL_BUILD
#include "host/net/U_UDPMessages.h"
#endif

#include "player/lib/stream_mode.h"
#include "player/lib/strovid_api.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {
} // namespace

bool WithSlotLock(dvr::win::CriticalSection* lock, const TSocketThread& self,
                  const std::function<void()>& work) {
    if (!lock) {
        work();
        return true;
    }
    while (!lock->try_lock()) {
        if (self.Stopped) return false;
        ::Sleep(1);
    }
    std::lock_guard guard(*lock, std::adopt_lock);
    work();
    return true;
}

TTCPDataClient::TTCPDataClient(TNetClientHost& host, int playerPort)
    : PlayerPort(playerPort), ReceiveBuffer(kNetReceiveBufferSize + 1), host_(host) {}

TTCPDataClient::~TTCPDataClient() {
    // A pending connect is broken off and its thread waited for, then the connection ends.
    for (;;) {
        std::vector<TSocketThread*> running;
        {
            std::lock_guard guard(lock_);
            if (Connecting) ::WSASetEvent(StopEvent.get());
            for (auto& t : threads_)
                if (!t->Ended()) running.push_back(t.get());
        }
        if (running.empty()) break;
        for (TSocketThread* t : running)
            t->Wait(INFINITE);
    }
    Disconnect();
    std::lock_guard guard(lock_);
    for (auto& t : threads_)
        t->Wait(INFINITE);
    threads_.clear();
}

void TTCPDataClient::SetChannelEntry(int skipBFrames, const std::string& hostAddress, int udpPort) {
    std::lock_guard guard(lock_);
    SkipBFrames = skipBFrames;
    logHostAddress_ = hostAddress;
    UdpPort = udpPort;
}

bool TTCPDataClient::Wanted() const {
    const TNetPane* pane = Pane;
    const TCaptureSlot* slot = Slot;
    return (pane && pane->Previewing) || (slot && slot->CaptureRunning);
}

bool TTCPDataClient::Receiving() const {
    std::lock_guard guard(lock_);
    return receiveThread_ && !receiveThread_->Ended();
}

void TTCPDataClient::ReapLocked() {
    std::erase_if(threads_, [](const std::unique_ptr<TSocketThread>& t) { return t->Ended(); });
}

void TTCPDataClient::AddConnectThread(std::unique_ptr<TSocketThread> thread) {
    if (!thread) return;
    std::lock_guard guard(lock_);
    ReapLocked();
    threads_.push_back(std::move(thread));
    threads_.back()->Start();
}

int TTCPDataClient::RunningThreads() {
    std::lock_guard guard(lock_);
    int n = receiveThread_ && !receiveThread_->Ended() ? 1 : 0;
    for (auto& t : threads_)
        if (!t->Ended()) ++n;
    return n;
}

void TTCPDataClient::WriteLog(int event) {
    std::string address;
    {
        std::lock_guard guard(lock_);
        address = logHostAddress_;
    }
    try {
        host_.AddLogRecord(WorkLogLine(CurrentOleDate(), event,
                                       host_.BoardChannelCount() + PlayerPort, RemoteChannel, -1,
                                       address, "", host_.UserName()));
    } catch (...) {
    }
}

bool TTCPDataClient::Connect(const std::string& hostName, const std::string& addressText, int port,
                             int receiveBufferSize, int remoteChannel, bool* joined) {
    if (joined) *joined = false;
    std::lock_guard closing(closeLock_);
    SOCKET socket = INVALID_SOCKET;
    {
        std::lock_guard guard(lock_);
        ReapLocked();
        if (Connected || Connecting) {
            // The connection there serves the new user as well.
            if (joined) *joined = true;
            return true;
        }
        Connecting = true;
        if (!OpenSocket()) {
            Connecting = false;
            return false;
        }
        ::WSAResetEvent(StopEvent.get());
        ::WSAResetEvent(NetEvent.get());
        HostName = hostName;
        AddressText = addressText;
        Port = port;
        RemoteChannel = remoteChannel;
        RemoteAddr = {};
        RemoteAddr.sin_family = AF_INET;
        if (!hostName.empty())
            RemoteAddr.sin_addr.s_addr = ResolveHostName(hostName);
        else if (!addressText.empty())
            RemoteAddr.sin_addr.s_addr = ::inet_addr(addressText.c_str());
        RemoteAddr.sin_port = htons(static_cast<u_short>(port));
        socket = Socket.get();
    }
    // The connect waits on the event pair rather than blocking, so that a disconnect breaks
    // it off; the system's own time-out still ends it.
    auto failed = [this] {
        Connecting = false;
        return false;
    };
    if (::WSAEventSelect(socket, NetEvent.get(), FD_CONNECT) == SOCKET_ERROR) return failed();
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&RemoteAddr), sizeof(RemoteAddr)) ==
        SOCKET_ERROR) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK) return failed();
        WSAEVENT events[2] = {NetEvent.get(), StopEvent.get()};
        const DWORD r = ::WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
        if (r != WSA_WAIT_EVENT_0) return failed();
        WSANETWORKEVENTS ne{};
        if (::WSAEnumNetworkEvents(socket, NetEvent.get(), &ne) == SOCKET_ERROR ||
            !(ne.lNetworkEvents & FD_CONNECT) || ne.iErrorCode[FD_CONNECT_BIT] != 0)
            return failed();
    }
    std::lock_guard guard(lock_);
    if (::WaitForSingleObject(StopEvent.get(), 0) == WAIT_OBJECT_0) return failed();
    AddressText = ::inet_ntoa(RemoteAddr.sin_addr);
    SetReceiveBufferSize(receiveBufferSize);
    if (::WSAEventSelect(socket, NetEvent.get(), kFdReadClose) == SOCKET_ERROR) return failed();
    receiveThread_ = TThreadTCPDataClient::Create(*this);
    if (!receiveThread_->Started()) {
        receiveThread_.reset();
        return failed();
    }
    Connected = true;
    Connecting = false;
    ThreadEnded = 0;
    receiveThread_->Start();
    return true;
}

void TTCPDataClient::ConnectFailed(uint64_t epoch) {
    uint64_t cleared = 0;
    {
        std::lock_guard closing(closeLock_);
        std::lock_guard guard(lock_);
        if (Connected || Connecting) return; // another open got through meanwhile
        // The socket of the failed attempt is not kept for the next one.
        Close();
        if (epoch_ != epoch) return;
        if (TNetPane* pane = Pane) pane->Previewing = false;
        cleared = ++epoch_;
    }
    ClearSlot(cleared);
}

void TTCPDataClient::Disconnect() {
    ThreadEnded = 1;
    {
        std::lock_guard guard(lock_);
        if (Connecting && !Connected) {
            // The connect thread sees the stop and leaves the slot idle itself.
            ::WSASetEvent(StopEvent.get());
            return;
        }
    }
    std::lock_guard closing(closeLock_);
    std::unique_ptr<TSocketThread> thread;
    {
        std::lock_guard guard(lock_);
        if (!Connected) return;
        thread = std::move(receiveThread_);
        TThreadTCPDataClient::Stop(thread.get(), *this);
        Connected = false;
        if (TNetPane* pane = Pane) {
            pane->Previewing = false;
            pane->Playing = false;
        }
    }
    // The receiver is waited for outside the lock: it may be on its way to end itself.
    if (thread) thread->Wait(INFINITE);
    uint64_t epoch = 0;
    {
        std::lock_guard guard(lock_);
        epoch = ++epoch_;
        CloseConnection();
    }
    ClearSlot(epoch);
}

void TTCPDataClient::StopReceiving() {
    // No connect or disconnect runs meanwhile; the receiver itself never takes this lock.
    std::lock_guard closing(closeLock_);
    std::unique_ptr<TSocketThread> thread;
    {
        std::lock_guard guard(lock_);
        // Taken out, so that a receiver ending on its own leaves the connection to Disconnect.
        thread = std::move(receiveThread_);
        TThreadTCPDataClient::Stop(thread.get(), *this);
    }
    if (thread) thread->Wait(INFINITE);
}

void TTCPDataClient::DisconnectFromReceiver(TSocketThread& self) {
    uint64_t epoch = 0;
    {
        std::lock_guard guard(lock_);
        if (receiveThread_.get() != &self) return; // someone else is ending the connection
        self.Stopped = true;
        threads_.push_back(std::move(receiveThread_)); // freed once it has ended
        Connected = false;
        if (TNetPane* pane = Pane) {
            pane->Previewing = false;
            pane->Playing = false;
        }
        epoch = ++epoch_;
        CloseConnection();
    }
    ClearSlot(epoch);
}

void TTCPDataClient::CloseConnection() {
    try {
        if (Open) SendText(std::string(1, static_cast<char>(kViewerCloseByte)));
        RE4Ravi_Stop(PlayerPort);
        RE4Ravi_CloseStream(PlayerPort);
    } catch (...) {
    }
    Close();
    Connected = false;
    StreamOpened = false;
}

void TTCPDataClient::ClearSlot(uint64_t epoch) {
    TCaptureSlot* slot = Slot;
    if (!slot) return;
    auto clear = [&] {
        // A newer open or close owns the slot by now.
        if (epoch_ != epoch) return;
        const intptr_t handle = slot->FileHandle.exchange(-1);
        const std::string name = std::move(slot->FileName);
        slot->FileName.clear();
        if (handle != -1) TDiskManager::CloseRecordingFile(name, handle, kCloseKeep);
        slot->CaptureRunning = false;
        slot->FileOpen = false;
        slot->State = kStateIdle;
    };
    if (dvr::win::CriticalSection* lock = SlotLock) {
        std::lock_guard guard(*lock);
        clear();
    } else {
        clear();
    }
}

std::unique_ptr<TSocketThread> TThreadTCPDataClient::Create(TTCPDataClient& client) {
    return std::make_unique<TSocketThread>(
        [&client](TSocketThread& self) {
            client.ReceiveLoop(self);
            client.ThreadEnded = 1;
        },
        THREAD_PRIORITY_NORMAL);
}

void TThreadTCPDataClient::Stop(TSocketThread* thread, TTCPDataClient& client) {
    if (!thread) return;
    thread->Stopped = true;
    ::WSASetEvent(client.StopEvent.get());
}

void TTCPDataClient::ReceiveLoop(TSocketThread& self) {
    // Bytes of a first block too short for a stream head, kept at the front of the buffer.
    int pending = 0;
    const SOCKET socket = Socket.get();
    WSAEVENT events[2] = {NetEvent.get(), StopEvent.get()};
    for (;;) {
        if (self.Stopped) return;
        const DWORD r = ::WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
        if (self.Stopped) return;
        if (r == WSA_WAIT_EVENT_0 + 1) {
            ::WSAResetEvent(StopEvent.get());
            continue;
        }
        WSANETWORKEVENTS ne{};
        if (r != WSA_WAIT_EVENT_0 ||
            ::WSAEnumNetworkEvents(socket, NetEvent.get(), &ne) == SOCKET_ERROR) {
            DisconnectFromReceiver(self);
            return;
        }
        for (;;) {
            if (self.Stopped) return;
            const int n = std::min(BytesAvailable(), kNetReceiveBufferSize - pending);
            if (n <= 0) break;
            const int got = TTCPClient::ReceiveBuffer(ReceiveBuffer.data() + pending, n);
            if (got < 0) {
                DisconnectFromReceiver(self);
                return;
            }
            if (got == 0) break;
            const int length = pending + got;
            pending = 0;
            if (!StreamOpened && length < kStreamHeadSize && Wanted()) {
                pending = length;
                continue;
            }
            if (!TakeBlock(self, ReceiveBuffer.data(), length)) return;
        }
        // The host went away: the channel ends as after a socket error.
        if (ne.lNetworkEvents & FD_CLOSE) {
            DisconnectFromReceiver(self);
            return;
        }
    }
}

bool TTCPDataClient::TakeBlock(TSocketThread& self, uint8_t* data, int length) {
    if (PlayerPort < 0 || PlayerPort >= host_.ChannelCount()) return true;
    TNetPane* pane = Pane;
    TCaptureSlot* slot = Slot;
    const bool previewing = pane && pane->Previewing;
    const bool recording = slot && slot->CaptureRunning;
    if ((previewing || recording) && !StreamOpened && !OpenStreamPort(self, data, length))
        return false;
    if (pane && pane->Previewing) {
        Feed(self, data, length);
        if (self.Stopped) return false;
    }
    if (self.Stopped) return false;
    if (slot && slot->CaptureRunning) {
        Record(self, data, length);
        if (self.Stopped) return false;
    }
    return true;
}

bool TTCPDataClient::OpenStreamPort(TSocketThread& self, const uint8_t* data, int length) {
    TNetPane* pane = Pane;
    TCaptureSlot* slot = Slot;
    auto fail = [&](int event) {
        WriteLog(event);
        if (pane) {
            pane->Previewing = false;
            pane->Playing = false;
        }
        if (slot) {
            slot->CaptureRunning = false;
            slot->FileOpen = false;
        }
        DisconnectFromReceiver(self);
        return false;
    };
    if (IsStreamRefusal(data, static_cast<size_t>(length))) return fail(kEventStreamRefused);
    if (slot && slot->HeaderSaved && slot->SavedHeaderLength >= kStreamHeadSize)
        std::memcpy(StreamHead, slot->SavedHeader, kStreamHeadSize);
    else
        std::memcpy(StreamHead, data, std::min(length, kStreamHeadSize));
    if (self.Stopped) return false;
    RE4Ravi_SetStreamOpenMode(PlayerPort, 0);
    if (!RE4Ravi_OpenStream(PlayerPort, StreamHead, kStreamHeadSize, kNetStreamBufferSize))
        return fail(pane && pane->Previewing ? kEventPreviewFailed : kEventRecordingFailed);
    StreamOpened = true;
    if (slot && !slot->HeaderSaved) {
        std::memcpy(slot->SavedHeader, StreamHead, kStreamHeadSize);
        slot->SavedHeaderLength = kStreamHeadSize;
        slot->HeaderSaved = true;
    }
    if (self.Stopped) return false;
#ifndef VANTREL_CONTROL_BUILD
    // The browser control takes alarm uploads on its own port instead.
    UdpMsgAlarmSubscribe subscribe{};
    subscribe.Channel = RemoteChannel;
    try {
        host_.SendUdp(&subscribe, sizeof(subscribe), UdpPort, AddressText);
    } catch (...) {
    }
#endif
    return true;
}

void TTCPDataClient::Feed(TSocketThread& self, const uint8_t* data, int length) {
    TNetPane* pane = Pane;
    if (!pane->Playing) {
        RE4Ravi_SetPicQuality(PlayerPort, 1);
        RE4Ravi_ThrowBFrameNum(PlayerPort, static_cast<unsigned>(SkipBFrames.load()));
        RE4Ravi_Play(PlayerPort, pane->Control);
        pane->Playing = true;
        host_.ShowPlaying(PlayerPort);
        WriteLog(kEventPreviewStarted);
        if (self.Stopped) return;
    }
    // A full player queue is waited out rather than dropping bytes.
    while (!RE4Ravi_InputData(PlayerPort, data, static_cast<unsigned>(length))) {
        if (self.Stopped || !pane->Previewing) return;
#ifndef VANTREL_CONTROL_BUILD
        if (PlayerPort == 15) ::Sleep(1);
#endif
        ::Sleep(3);
    }
}

void TTCPDataClient::Record(TSocketThread& self, const uint8_t* data, int length) {
    TCaptureSlot* slot = Slot;
    bool started = false;
    std::string name;
    intptr_t startHandle = -1;
    // Under the slot's lock, so that a block never goes to a file being switched or closed.
    WithSlotLock(SlotLock, self, [&] {
        if (!slot->CaptureRunning) return;
        if (!slot->FileOpen) {
            if (slot->HeaderSaved && slot->FileHandle != -1)
                TDiskManager::WriteRecordingFile(slot->FileHandle, slot->SavedHeader, slot->SavedHeaderLength);
            slot->FileOpen = true;
            started = true;
            name = slot->FileName;
            startHandle = slot->FileHandle;
        }
        if (slot->FileHandle != -1) TDiskManager::WriteRecordingFile(slot->FileHandle, data, length);
    });
    if (!started) return;
    try {
        host_.ShowRecording(PlayerPort);
        const std::string_view day = RecordingDay(name);
        if (!day.empty())
            host_.AddCaptureFile(day, host_.BoardChannelCount() + PlayerPort,
                                 name + "#" + std::to_string(startHandle));
    } catch (...) {
    }
    WriteLog(kEventNetRecording);
}

} // namespace vantrel
