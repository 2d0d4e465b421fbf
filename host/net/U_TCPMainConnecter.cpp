#include "host/net/U_TCPMainConnecter.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/net/U_NetSentBytes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantrel {

namespace {

// A request is judged once this many bytes have come; more in the same read are dropped.
constexpr size_t kRequestSize = sizeof(TChannelOpenRequest);
constexpr DWORD kReadSettleMs = 80;
constexpr uint8_t kFrameTypeStreamHeader = 128;

bool Stopped(const TSocketThread& self) {
    return self.Stopped.load();
}

constexpr int kWaitTimedOut = 2;
constexpr auto kRefusalSpacing = std::chrono::seconds(1);
// An address's refusals are remembered this long.
constexpr auto kRefusalMemory = std::chrono::seconds(60);
// Addresses remembered at once before old ones are forgotten.
constexpr size_t kMaxThrottledAddresses = 4096;

// Waits for `event` or `stop`; resets the one that fired. -1 when the wait fails,
// kWaitTimedOut after `ms`.
int WaitPair(HANDLE event, HANDLE stop, DWORD ms = WSA_INFINITE) {
    WSAEVENT pair[2] = {event, stop};
    DWORD r = ::WSAWaitForMultipleEvents(2, pair, FALSE, ms, FALSE);
    if (r == WSA_WAIT_TIMEOUT) return kWaitTimedOut;
    if (r == WSA_WAIT_EVENT_0) {
        ::WSAResetEvent(event);
        return 0;
    }
    if (r == WSA_WAIT_EVENT_0 + 1) {
        ::WSAResetEvent(stop);
        return 1;
    }
    return -1;
}

} // namespace

std::chrono::milliseconds TRefusalThrottle::Reserve(const std::string& address) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = entries_.find(address);
    if (it == entries_.end()) return std::chrono::milliseconds(0);
    const auto now = std::chrono::steady_clock::now();
    const auto at = std::max(now, it->second.next);
    it->second.next = at + kRefusalSpacing;
    return std::chrono::ceil<std::chrono::milliseconds>(at - now);
}

void TRefusalThrottle::Refused(const std::string& address) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto now = std::chrono::steady_clock::now();
    if (entries_.size() >= kMaxThrottledAddresses && !entries_.count(address)) {
        for (auto it = entries_.begin(); it != entries_.end();)
            it = now - it->second.lastRefusal > kRefusalMemory ? entries_.erase(it) : std::next(it);
        // Still full of fresh refusals: the oldest is forgotten.
        if (entries_.size() >= kMaxThrottledAddresses) {
            auto oldest = entries_.begin();
            for (auto it = entries_.begin(); it != entries_.end(); ++it)
                if (it->second.lastRefusal < oldest->second.lastRefusal) oldest = it;
            entries_.erase(oldest);
        }
    }
    Entry& e = entries_[address];
    e.lastRefusal = now;
    e.next = std::max(e.next, now + kRefusalSpacing);
}

size_t TRefusalThrottle::Size() {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_.size();
}

TDropStages DropStagesFor(int frameRateSetting) {
    int c = frameRateSetting & 0xFF;
    // A rate of 0 would put every stage at 0 and drop all video for good.
    if (c > 30 || c < 1) c = 25;
    const int q = c / 5;
    return TDropStages{c, 2 * c, 2 * c + 2 * q, 2 * c + 5 * q, 2 * c + 8 * q};
}

std::unique_ptr<TSocketThread> TThreadMainTCPConnecter::Create(TTCPMainConnecter& list,
                                                               TTCPConnecter& viewer) {
    return std::make_unique<TSocketThread>(
        [&list, &viewer](TSocketThread& self) { list.ReadLoop(viewer, self); },
        THREAD_PRIORITY_NORMAL);
    // started by the caller once stored
}

void TThreadMainTCPConnecter::Stop(TTCPConnecter& viewer) {
    if (viewer.ReadThread) viewer.ReadThread->Stopped = true;
    viewer.SetReadEvent(1);
}

std::unique_ptr<TSocketThread> TThreadMainTCPConnecterSendData::Create(TTCPMainConnecter& list,
                                                                       TTCPConnecter& viewer) {
    return std::make_unique<TSocketThread>(
        [&list, &viewer](TSocketThread& self) { list.SendLoop(viewer, self); },
        THREAD_PRIORITY_ABOVE_NORMAL);
}

void TThreadMainTCPConnecterSendData::Stop(TTCPConnecter& viewer) {
    if (viewer.SendThread) viewer.SendThread->Stopped = true;
    viewer.SetSendEvent(0);
}

TTCPMainConnecter::TTCPMainConnecter(TLiveHost& host, SOCKET listenSocket, uint8_t channel,
                                     std::shared_ptr<TRefusalThrottle> throttle)
    : ListenSocket(listenSocket), Channel(channel), host_(host),
      throttle_(throttle ? std::move(throttle) : std::make_shared<TRefusalThrottle>()) {
    std::memcpy(RefusalHead, StreamRefusalHead, sizeof(RefusalHead));
}

TTCPMainConnecter::~TTCPMainConnecter() {
    TTCPConnecter* viewer = Head.exchange(nullptr);
    Tail = nullptr;
    // Stop them all first, so their threads end side by side; each viewer's destructor then
    // waits for its own.
    for (TTCPConnecter* v = viewer; v; v = v->Next) {
        v->Closed = 1;
        TThreadMainTCPConnecter::Stop(*v);
    }
    while (viewer) {
        TTCPConnecter* next = viewer->Next;
        delete viewer;
        viewer = next;
    }
}

void TTCPMainConnecter::LinkViewer(TTCPConnecter* viewer) {
    std::lock_guard<std::mutex> hold(LinkLock);
    TTCPConnecter* tail = Tail.load();
    if (!tail) {
        Head = viewer;
        Tail = viewer;
    } else {
        viewer->Prev = tail;
        tail->Next = viewer;
        Tail = viewer;
    }
    viewer->Pending = 0;
}

void TTCPMainConnecter::AcceptViewer() {
    Busy = 1;
    try {
        sockaddr_in peer{};
        int length = sizeof(peer);
        dvr::win::Socket s(::accept(ListenSocket, reinterpret_cast<sockaddr*>(&peer), &length));
        // Silent or half-open peers must not pile up threads and sockets: beyond the waiting
        // cap the oldest waiting connection makes room (a real viewer sends its request at
        // once and is judged before it would be next); beyond the open cap the new one goes.
        if (s && WaitingCount.load() >= kMaxWaitingViewers) CloseOldestWaiting();
        if (s && (WaitingCount.load() >= kMaxWaitingViewers || OpenCount.load() >= kMaxOpenViewers))
            s.reset();
        if (s) {
            auto viewer = std::make_unique<TTCPConnecter>(kViewerQueueCapacity);
            viewer->Socket = std::move(s);
            viewer->PeerAddr = peer;
            const char* text = ::inet_ntoa(peer.sin_addr);
            viewer->PeerAddressText = text ? text : "";
            viewer->PeerPort = peer.sin_port;
            viewer->ConnectTime = CurrentOleDate();
            viewer->SetSendBufferSize(kViewerSendBufferSize);
            ::WSAEventSelect(viewer->Socket.get(), viewer->ReadEvent.get(), kFdReadClose);
            viewer->Waiting = 1;
            ++WaitingCount;
            ++OpenCount;
            TTCPConnecter* v = viewer.release();
            v->ReadThread = TThreadMainTCPConnecter::Create(*this, *v);
            v->ReadThread->Start();
            LinkViewer(v);
        }
    } catch (...) {
    }
    Busy = 0;
}

void TTCPMainConnecter::CloseViewer(TTCPConnecter& viewer) {
    try {
        TThreadMainTCPConnecter::Stop(viewer);
        TThreadMainTCPConnecterSendData::Stop(viewer);
        StopWaiting(viewer);
        if (viewer.Closed.exchange(1) == 0) --OpenCount;
        // The peer learns at once; the handle itself stays until the sweeper frees the viewer.
        if (viewer.Socket) ::shutdown(viewer.Socket.get(), SD_BOTH);
        // A running sender may be sending from the oldest node: it empties the queue itself
        // on its way out.
        if (!viewer.SendThread || viewer.SendThread->IsCurrent() || viewer.SendThread->Ended()) {
            std::lock_guard<std::mutex> guard(viewer.QueueLock);
            if (viewer.Queue) viewer.Queue->Clear();
        }
    } catch (...) {
    }
}

void TTCPMainConnecter::CloseOldestWaiting() {
    std::lock_guard<std::mutex> hold(LinkLock);
    for (TTCPConnecter* v = Head.load(); v; v = v->Next.load()) {
        if (v->Waiting && !v->Closed) {
            CloseViewer(*v);
            return;
        }
    }
}

void TTCPMainConnecter::StopWaiting(TTCPConnecter& viewer) {
    if (viewer.Waiting.exchange(0)) --WaitingCount;
}

void TTCPMainConnecter::PushLocked(TTCPConnecter& viewer, const uint8_t* data, int length,
                                   uint8_t frameType) {
    std::lock_guard<std::mutex> guard(viewer.QueueLock);
    if (viewer.Closed || !viewer.Queue || viewer.Queue->IsFull()) return;
    viewer.Queue->Push(data, length, frameType);
}

void TTCPMainConnecter::ReadLoop(TTCPConnecter& viewer, TSocketThread& self) {
    std::vector<uint8_t> pending;
    pending.reserve(kRequestSize);
    std::vector<uint8_t> scratch(8192);
    const ULONGLONG deadline = ::GetTickCount64() + kFirstRequestTimeoutMs;
    while (!Stopped(self)) {
        // Until its first request is judged a connection has a deadline.
        DWORD wait = WSA_INFINITE;
        if (viewer.Waiting) {
            const ULONGLONG now = ::GetTickCount64();
            wait = now >= deadline ? 0 : DWORD(deadline - now);
        }
        const int fired = WaitPair(viewer.ReadEvent.get(), viewer.ReadStopEvent.get(), wait);
        if (fired == kWaitTimedOut) {
            CloseViewer(viewer);
            return;
        }
        if (fired < 0 || Stopped(self)) return;
        try {
            WSANETWORKEVENTS events{};
            ::WSAEnumNetworkEvents(viewer.Socket.get(), nullptr, &events);
            // Everything waiting is read, so a request cut into several pieces is still
            // seen whole; bytes beyond one request in the same read are dropped.
            bool failed = false;
            for (int reads = 0; reads < 16; ++reads) { // what is left wakes the reader again
                const int n =
                    viewer.ReceiveBuffer(scratch.data(), static_cast<int>(scratch.size()));
                if (n < 0) {
                    failed = true;
                    break;
                }
                if (n == 0) break;
                if (pending.size() < kRequestSize) {
                    const size_t take = std::min(kRequestSize - pending.size(), size_t(n));
                    pending.insert(pending.end(), scratch.begin(), scratch.begin() + take);
                }
            }
            if (failed || (events.lNetworkEvents & FD_CLOSE)) {
                // The viewer went away (its "C" and close, or an error): nothing to judge.
                CloseViewer(viewer);
                return;
            }
            if (pending.size() < kRequestSize) continue;
            ::Sleep(kReadSettleMs);
            std::vector<uint8_t> request;
            request.swap(pending);
            pending.reserve(kRequestSize);
            ++viewer.RequestsRead;
            if (!HandleRequest(viewer, self, request.data(), deadline)) return;
        } catch (...) {
            if (Stopped(self)) return;
        }
    }
}

bool TTCPMainConnecter::HandleRequest(TTCPConnecter& viewer, TSocketThread& self,
                                      const uint8_t* bytes, ULONGLONG deadline) {
    TChannelOpenRequest request;
    ReadChannelOpenRequest(bytes, kRequestSize, request);
    request.OwnAddress.Set(viewer.PeerAddressText);
    if (Stopped(self)) return false;
    const int channel = request.Channel;
    if (channel < 0 || channel >= host_.BoardChannelCount()) {
        CloseViewer(viewer);
        return false;
    }
    if (IsKeyFrameRequest(request)) {
        // Only a viewer of this port may cost the board a key frame.
        if (viewer.Admitted) host_.RequestKeyFrame(Channel);
        return true;
    }
    // An address that was refused lately waits its turn; one that cannot be judged before
    // its deadline is closed unjudged.
    const auto wait = throttle_->Reserve(viewer.PeerAddressText);
    if (wait.count() > 0) {
        if (viewer.Waiting && ::GetTickCount64() + ULONGLONG(wait.count()) > deadline) {
            CloseViewer(viewer);
            return false;
        }
        ::WaitForSingleObject(viewer.ReadStopEvent.get(), DWORD(wait.count()));
    }
    if (Stopped(self)) return false;
    viewer.Request = request;

    // The viewer is given the channel of the port it connected to, never another.
    const bool accepted = channel == Channel &&
                          host_.CheckUser(request.User.View(), request.Password.View(),
                                          kRemoteRightLive, channel, -1) &&
                          host_.CheckIP(request.OwnAddress.View(), kRemoteRightLive, channel, -1);
    if (!accepted) {
        Refuse(viewer, request);
        return false;
    }
    std::vector<uint8_t> header;
    if (host_.RunningHeader(Channel, header) && !header.empty())
        PushLocked(viewer, header.data(), static_cast<int>(header.size()), kFrameTypeStreamHeader);
    {
        std::lock_guard<std::mutex> encoder(EncoderLock);
        viewer.Admitted = 1;
        StopWaiting(viewer);
        host_.StartChannel(Channel, '*', 0);
    }
    if (Stopped(self)) return false;
    if (!viewer.SendThread) {
        viewer.SendThread = TThreadMainTCPConnecterSendData::Create(*this, viewer);
        viewer.SendThread->Start();
    }
    viewer.SetSendEvent(0);
    host_.AddLogRecord(WorkLogLine(CurrentOleDate(), kWorkLogViewerAccepted, -1, channel, -1, "",
                                   viewer.PeerAddressText, request.User.View()));
    return !Stopped(self);
}

void TTCPMainConnecter::Refuse(TTCPConnecter& viewer, const TChannelOpenRequest& request) {
    throttle_->Refused(viewer.PeerAddressText);
    host_.AddLogRecord(WorkLogLine(CurrentOleDate(), kWorkLogViewerRefused, -1, request.Channel, -1,
                                   "", viewer.PeerAddressText, request.User.View()));
    // A viewer refused on a later request: its sender ends before the marker goes out.
    if (viewer.SendThread) {
        TThreadMainTCPConnecterSendData::Stop(viewer);
        viewer.SendThread->Wait(2000);
    }
    viewer.Admitted = 0;
    // 19 bytes into an idle socket's buffer: sent whole or the connection is gone anyway.
    viewer.SendBuffer(RefusalHead, sizeof(RefusalHead));
    CloseViewer(viewer);
}

void TTCPMainConnecter::SendLoop(TTCPConnecter& viewer, TSocketThread& self) {
    SendQueued(viewer, self);
    // Whatever way the sender ends, the queue's nodes are no longer in use.
    std::lock_guard<std::mutex> guard(viewer.QueueLock);
    if (viewer.Queue) viewer.Queue->Clear();
}

void TTCPMainConnecter::SendQueued(TTCPConnecter& viewer, TSocketThread& self) {
    TChain& queue = *viewer.Queue;
    while (!viewer.Closed) {
        const int fired = WaitPair(viewer.SendEvent.get(), viewer.SendStopEvent.get());
        if (fired < 0 || Stopped(self) || viewer.Closed) return;
        while (queue.Count() > 0) {
            if (viewer.Closed) return;
            const TChainNode* node = queue.Head();
            int remaining = node->Length;
            int offset = 0;
            while (remaining > 0) {
                if (viewer.Closed) return;
                int32_t kbps = 0;
                if (host_.BandwidthLimit(kbps)) {
                    const uint64_t budget = BandwidthBudget(kbps);
                    while (NetSentBytes.load() > budget) {
                        ::Sleep(5);
                        if (viewer.Closed) return;
                        if (!host_.BandwidthLimit(kbps)) break;
                    }
                }
                int n = viewer.SendBuffer(node->Data.data() + offset,
                                          std::min(remaining, kSendPieceSize));
                if (n == SOCKET_ERROR) {
                    if (::WSAGetLastError() != WSAEWOULDBLOCK) {
                        CloseViewer(viewer);
                        return;
                    }
                    n = 0;
                }
                offset += n;
                remaining -= n;
                NetSentBytes.fetch_add(static_cast<uint32_t>(n), std::memory_order_relaxed);
                if (remaining <= 0) break;
                if (viewer.Closed) return;
                ::Sleep(1);
            }
            ::Sleep(1);
            if (viewer.Closed) return;
            queue.DeleteHead();
            // More than two key frames waiting: jump to the older of the two newest.
            if (queue.KeyFrameCount() > 2) {
                for (;;) {
                    if (viewer.Closed) return;
                    const TChainNode* head = queue.Head();
                    if (queue.Count() <= 0 || !head) break;
                    if (head->FrameType == kFrameTypeKey && queue.KeyFrameCount() < 3) break;
                    queue.DeleteHead();
                    if (viewer.Closed) return;
                    ::Sleep(1);
                }
            }
        }
        if (viewer.Closed) return;
        ::Sleep(5);
    }
}

void TTCPMainConnecter::FanOutFrame(int frameType, const uint8_t* data, int length) {
    try {
        for (TTCPConnecter* v = Head.load(); v; v = v->Next.load()) {
            TTCPConnecter& viewer = *v;
            if (viewer.Closed) continue;
            const TDropStages s = DropStagesFor(host_.FrameRate(Channel));
            // Nothing is queued for a viewer not admitted: no need to wake its sender.
            if (!viewer.Admitted) continue;
            TChain& queue = *viewer.Queue;
            if (frameType == kFrameTypeAudio && queue.Count() > s.FrameRate) {
                viewer.SetSendEvent(0);
                continue;
            }
            if (viewer.Closed) continue;
            if (queue.IsFull()) {
                viewer.SetSendEvent(0);
                continue;
            }
            viewer.DropFrame = 0;
            if (frameType != kFrameTypeAudio) {
                const int video = queue.VideoCount();
                int stage = 0;
                for (int l : {s.L4, s.L3, s.L2, s.L1}) {
                    if (video >= l || viewer.DropLevel == l) {
                        stage = l;
                        break;
                    }
                }
                if (stage != 0) {
                    if (viewer.DropCount < 0 && frameType == kFrameTypeKey)
                        viewer.DropLevel = 0;
                    else
                        viewer.DropLevel = stage;
                    if (viewer.DropCount >= 0) ++viewer.DropCount;
                    if (viewer.DropLevel != 0) {
                        viewer.DropFrame = 1;
                        if (viewer.DropCount > stage &&
                            host_.FramesSinceKeyFrame(Channel) > s.FrameRate) {
                            host_.RequestKeyFrame(viewer.Request.Channel);
                            viewer.DropCount = -1;
                        }
                    }
                }
            }
            if (viewer.DropFrame) {
                viewer.SetSendEvent(0);
                continue;
            }
            if (viewer.Closed) continue;
            PushLocked(viewer, data, length, static_cast<uint8_t>(frameType));
            if (frameType != kFrameTypeAudio) viewer.DropCount = 0;
            viewer.SetSendEvent(0);
        }
    } catch (...) {
    }
}

} // namespace vantrel
