#include "host/net/T_ThreadFreeTCPMainConnecter.h"

#include <mutex>
#include <shared_mutex>

namespace vantrel {

namespace {

constexpr DWORD kChannelPauseMs = 100;
constexpr DWORD kLastViewerPauseMs = 50;
// Walks that held an unlinked viewer (fan-out, alarm dispatch) have moved on after this.
constexpr DWORD kFreeGraceMs = 200;

// The viewer's threads no longer touch it or its queue.
bool ThreadsEnded(const TTCPConnecter& viewer) {
    return (!viewer.ReadThread || viewer.ReadThread->Ended()) &&
           (!viewer.SendThread || viewer.SendThread->Ended());
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
        ::Sleep(kChannelPauseMs);
        ++passes_;
    }
}

bool TThreadFreeTCPMainConnecter::SweepList(TTCPMainConnecter& list, int channel,
                                            TSocketThread& self) {
    try {
        if (list.Busy || !list.Tail.load()) return true;
        TLiveHost& host = list.Host();
        TTCPConnecter* head = list.Head.load();
        if (head == list.Tail.load() && head->Closed && host.CaptureRunning(channel) &&
            host.CaptureState(channel) != kCaptureStateFile) {
            ::Sleep(kLastViewerPauseMs);
            if (self.Stopped) return false;
            if (list.Head.load() == list.Tail.load()) host.StopChannel(channel, '*');
            return true;
        }
        TTCPConnecter* viewer = head;
        while (viewer) {
            if (!viewer->Closed) {
                viewer = viewer->Next.load();
                continue;
            }
            if (viewer == list.Tail.load()) {
                // The tail stays linked: only the accept thread appends behind it.
                if (ThreadsEnded(*viewer)) ReleaseNodes(*viewer);
                return true;
            }
            if (!ThreadsEnded(*viewer)) {
                // Its threads are on their way out; a later pass frees it.
                viewer = viewer->Next.load();
                continue;
            }
            TTCPConnecter* next = viewer->Next.load();
            TTCPConnecter* prev = viewer->Prev.load();
            if (viewer == list.Head.load()) {
                list.Head = next;
                next->Prev = nullptr;
            } else {
                prev->Next = next;
                next->Prev = prev;
            }
            if (self.Stopped) return false;
            ::Sleep(kFreeGraceMs);
            try {
                ReleaseNodes(*viewer);
                delete viewer;
            } catch (...) {
            }
            viewer = next;
        }
    } catch (...) {
    }
    return true;
}

} // namespace vantrel
