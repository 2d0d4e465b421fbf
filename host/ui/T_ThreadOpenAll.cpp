#include "host/ui/T_ThreadOpenAll.h"

namespace vantrel {

TBatchThread::TBatchThread(TBatchHost& host, TBatchBusy& busy, int priority)
    : host_(host), busy_(busy), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    DWORD id = 0;
    thread_.reset(::CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, &id));
    if (thread_) {
        ::SetThreadPriority(thread_.get(), priority);
        ::ResumeThread(thread_.get());
    }
}

TBatchThread::~TBatchThread() {
    Stop();
}

void TBatchThread::Join() {
    Stop();
    if (!thread_) return;
    HANDLE h = thread_.get();
    // A step may be waiting for this thread's messages: keep them flowing.
    const DWORD until = ::GetTickCount() + 5000;
    while (::MsgWaitForMultipleObjects(1, &h, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           int(until - ::GetTickCount()) > 0) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
}

void TBatchThread::Stop() {
    stop_ = true;
    ::SetEvent(wake_.get());
    // The derived worker's destructor waits; at shutdown the stop is only a request.
}

DWORD WINAPI TBatchThread::ThreadMain(LPVOID self) {
    auto* t = static_cast<TBatchThread*>(self);
    // Idle between batches, as if suspended until the next request.
    while (::WaitForSingleObject(t->wake_.get(), INFINITE) == WAIT_OBJECT_0 && !t->stop_)
        t->Batch();
    t->stopped_ = true;
    return 0;
}

void TBatchThread::Mark(int channel, bool preview, bool recording, bool detection) {
    const int count = std::min(host_.ChannelCount(), kBatchChannels);
    const int first = channel < 0 ? 0 : channel;
    const int last = channel < 0 ? count - 1 : std::min(channel, kBatchChannels - 1);
    for (int ch = first; ch <= last; ++ch) {
        if (preview) preview_[ch] = true;
        if (recording) recording_[ch] = true;
        if (detection) detection_[ch] = true;
    }
    ::SetEvent(wake_.get());
}

void TBatchThread::Step(const std::function<void()>& step) {
    host_.Synchronize([&] {
        try {
            step();
        } catch (...) {
            // A failing channel must not end the batch.
        }
    });
}

char TBatchThread::RequestOf(int channel) {
    return channel < host_.BoardChannelCount() ? ')' : '+';
}

// ---- open

TThreadOpenAll::TThreadOpenAll(TBatchHost& host, TBatchBusy& busy)
    : TBatchThread(host, busy, THREAD_PRIORITY_ABOVE_NORMAL) {}

TThreadOpenAll::~TThreadOpenAll() {
    Join();
}

void TThreadOpenAll::Request(int channel, bool openPreview, bool startRecording,
                             bool startDetection) {
    if (busy_.Any()) return;
    Mark(channel, openPreview, startRecording, startDetection);
}

void TThreadOpenAll::Batch() {
    busy_.Open = true;
    host_.Synchronize([&] { host_.SetMainEnabled(false); });
    for (int ch = 0; ch < kBatchChannels; ++ch) {
        if (!preview_[ch]) continue;
        if (stop_) return;
        preview_[ch] = false;
        Step([&] {
            if (!host_.PanePreviewing(ch)) host_.OpenPreview(ch);
        });
        host_.Pause(80);
    }
    for (int ch = 0; ch < kBatchChannels; ++ch) {
        if (!recording_[ch]) continue;
        if (stop_) return;
        recording_[ch] = false;
        Step([&] {
            if (!host_.FileOpen(ch)) host_.StartChannel(ch, RequestOf(ch), 0);
        });
        host_.Pause(80);
    }
    for (int ch = 0; ch < kBatchChannels; ++ch) {
        if (!detection_[ch]) continue;
        if (stop_) return;
        detection_[ch] = false;
        Step([&] {
            if (!host_.Armed(ch) && !host_.Alarming(ch)) host_.StartDetection(ch, -1);
        });
        host_.Pause(100);
    }
    host_.Synchronize([&] {
        host_.SetMainEnabled(true);
        if (host_.CycleMode()) host_.EnableCycleTimer();
    });
    busy_.Open = false;
}

// ---- close

TThreadCloseAll::TThreadCloseAll(TBatchHost& host, TBatchBusy& busy)
    : TBatchThread(host, busy, THREAD_PRIORITY_NORMAL) {}

TThreadCloseAll::~TThreadCloseAll() {
    Join();
}

void TThreadCloseAll::CloseChannels(int channel, bool stopPreview, bool stopRecording,
                                    bool stopDetection, bool rebuildAfter, bool cycleMode,
                                    int32_t group) {
    if (busy_.Any()) return;
    rebuildAfter_ = rebuildAfter;
    cycleMode_ = cycleMode;
    group_ = group;
    Mark(channel, stopPreview, stopRecording, stopDetection);
}

void TThreadCloseAll::Batch() {
    busy_.Close = true;
    host_.Synchronize([&] { host_.SetMainEnabled(false); });
    for (int ch = 0; ch < kBatchChannels; ++ch) {
        if (stop_) return;
        if (!preview_[ch]) continue;
        preview_[ch] = false;
        Step([&] {
            if (host_.PanePreviewing(ch) || host_.PanePlaying(ch)) host_.ClosePreview(ch, true);
        });
        host_.Pause(80);
    }
    for (int ch = 0; ch < kBatchChannels; ++ch) {
        if (stop_) return;
        if (!recording_[ch]) continue;
        recording_[ch] = false;
        Step([&] {
            if (host_.CaptureRunning(ch) || host_.FileOpen(ch))
                host_.StopChannel(ch, RequestOf(ch));
        });
        host_.Pause(80);
    }
    for (int ch = 0; ch < kBatchChannels; ++ch) {
        if (stop_) return;
        if (!detection_[ch]) continue;
        detection_[ch] = false;
        Step([&] {
            if (host_.Armed(ch) || host_.Alarming(ch)) host_.StopDetection(ch);
        });
        host_.Pause(100);
    }
    if (rebuildAfter_) {
        // Cleared first, so that the rebuild may start the open-all worker.
        busy_.Close = false;
        if (cycleMode_) {
            bool cycling = false;
            host_.Synchronize([&] { cycling = host_.CycleMode(); });
            if (cycling) host_.PostRebuild(1, 0);
        } else if (group_ < 0) {
            host_.PostRebuild(0, 0);
        } else {
            host_.PostRebuild(1, group_ + 1);
        }
    }
    host_.Synchronize([&] { host_.SetMainEnabled(true); });
    busy_.Close = false;
}

} // namespace vantrel
