#include "host/net/T_ThreadFreeTCPMainConnecter.h"

#include <mutex>
#include <vector>
#include <shared_mutex>

namespace vantrel {

namespace {

// Between channels, and once more at the end of a pass: short, so that the viewers of many
// channels are freed within a second of going away.
constexpr DWORD kChannelPauseMs = 10;
constexpr DWORD kPassPauseMs = 100;
constexpr DWORD kLastViewerPauseMs = 50;
// Walks that held an unlinked viewer (fan-out, alarm dispatch) have moved on after this.
constexpr DWORD kFreeGraceMs = 200;

// The viewer's threads no longer touch it or its queue.
bool ThreadsEnded(const TTCPConnecter& viewer) {
    return (!viewer.ReadThread || viewer.ReadThread->Ended()) &&
           (!viewer.SendThread || viewer.SendThread->Ended());
}

// An admitted viewer still open keeps the channel's encoder for viewers.
bool AnyOpenViewer(TTCPMainConnecter& list) {
    for (TTCPConnecter* v = list.Head.load(); v; v = v->Next.load())
        if (!v->Closed && v->Admitted) return true;
    return false;
}

void ReleaseNodes(TTCPConnecter& viewer) {
    std::lock_guard<std::mutex> guard(viewer.QueueLock);
    if (viewer.Queue) viewer.Queue->FreeNodes();
}

} // namespace

TThreadFreeTCPMainConnecter::TThreadFreeTCPMainConnecter(TLiveServers& servers)
    : servers_(servers) {
    thread_ = std::make_unique<TSocketThread>([this](TSocketThread& self) { Execute(self); },
                                              THREAD_PRIORITY_BELOW_NORMAL);
    thread_->Start();
}

TThreadFreeTCPMainConnecter::~TThreadFreeTCPMainConnecter() {
    Stop();
    thread_.reset();
}

void TThreadFreeTCPMainConnecter::Stop() {
    if (!thread_) return;
    thread_->Stopped = true;
    // The servers may go right after: the sweeper is out of their lists first.
    if (!thread_->IsCurrent()) thread_->Wait(2000);
}

void TThreadFreeTCPMainConnecter::Execute(TSocketThread& self) {
    while (!self.Stopped) {
        const int count = servers_.Host().BoardChannelCount();
        for (int i = 0; i < count; ++i) {
            if (self.Stopped) return;
            ::Sleep(kChannelPauseMs);
            if (self.Stopped) return;
            std::shared_lock guard(servers_.ListsLock());
            if (servers_.Stopping()) return;
            TTCPMainConnecter* list = servers_.Viewers(i);
            if (list && !SweepList(*list, i, self)) return;
        }
        if (self.Stopped) return;
        ::Sleep(kPassPauseMs);
        ++passes_;
    }
}

bool TThreadFreeTCPMainConnecter::SweepList(TTCPMainConnecter& list, int channel,
                                            TSocketThread& self) {
    std::vector<TTCPConnecter*> unlinked;
    bool closedViewer = false;
    try {
        if (list.Busy || !list.Tail.load()) return true;
        {
            // Every closed viewer whose threads have ended leaves the list in this pass, the
            // tail too, so a flood of peers that hang up is freed at once.
            std::lock_guard<std::mutex> hold(list.LinkLock);
            TTCPConnecter* viewer = list.Head.load();
            while (viewer) {
                TTCPConnecter* next = viewer->Next.load();
                if (viewer->Closed && viewer->Admitted) closedViewer = true;
                if (viewer->Closed && ThreadsEnded(*viewer)) {
                    TTCPConnecter* prev = viewer->Prev.load();
                    if (prev)
                        prev->Next = next;
                    else
                        list.Head = next;
                    if (next)
                        next->Prev = prev;
                    else
                        list.Tail = prev;
                    unlinked.push_back(viewer);
                }
                viewer = next;
            }
        }
        // The last viewer gone: the encoder that ran for viewers alone stops.
        TLiveHost& host = list.Host();
        if (closedViewer && !AnyOpenViewer(list) && host.CaptureRunning(channel) &&
            host.CaptureState(channel) != kCaptureStateFile) {
            ::Sleep(kLastViewerPauseMs);
            std::lock_guard<std::mutex> encoder(list.EncoderLock);
            if (!self.Stopped && !AnyOpenViewer(list)) host.StopChannel(channel, '*');
        }
    } catch (...) {
    }
    if (!unlinked.empty()) {
        // Walks that held one of them (fan-out, alarm dispatch) move on first; freed even
        // when stopping, as nothing else holds them now.
        ::Sleep(kFreeGraceMs);
        for (TTCPConnecter* viewer : unlinked) {
            try {
                ReleaseNodes(*viewer);
                delete viewer;
            } catch (...) {
            }
        }
        freed_ += unlinked.size();
    }
    return !self.Stopped;
}

} // namespace vantrel
