#include "webctl/T_ChannelThreads.h"

#include <algorithm>

namespace vantrel::webctl {

void WaitDeliveringSent(HANDLE handle) {
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG m;
        ::PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void MarkChannels(ChannelMarks& marks, int channel, int count, bool on) {
    if (!on) return;
    if (channel < 0) {
        for (int c = 0; c < count && c < kChannelMarks; ++c)
            marks[size_t(c)] = true;
    } else if (channel < kChannelMarks) {
        marks[size_t(channel)] = true;
    }
}

namespace {
// One guarded step: a failure skips the channel.
void Guarded(TChannelOps& ops, const std::function<void()>& step) {
    ops.Run([&] {
        try {
            step();
        } catch (...) {
        }
    });
}
} // namespace

TRoundThread::~TRoundThread() {
    Terminate();
}

void TRoundThread::Start(int priority) {
    thread_ = std::thread([this, priority] {
        ::SetThreadPriority(::GetCurrentThread(), priority);
        HANDLE waits[2] = {wake_.get(), stop_.get()};
        while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 &&
               !terminated_)
            Round();
        ::SetEvent(done_.get());
    });
}

void TRoundThread::Terminate() {
    terminated_ = true;
    ::SetEvent(stop_.get());
    if (!thread_.joinable()) return;
    WaitDeliveringSent(done_.get());
    thread_.join();
}

bool TRoundThread::Pause(DWORD ms) {
    if (ms) ::WaitForSingleObject(stop_.get(), ms);
    return !terminated_;
}

// --- open all -------------------------------------------------------------------------------

TThreadOpenAll::TThreadOpenAll(TChannelOps& ops) : ops_(ops) {
    Start(THREAD_PRIORITY_ABOVE_NORMAL);
}

void TThreadOpenAll::Request(int channel, bool openPreviews, bool startRecordings,
                             bool armAlarms) {
    if (Busy || (partner_ && partner_->Busy)) return;
    const int count = ops_.ChannelCount();
    MarkChannels(OpenPreviewMarks, channel, count, openPreviews);
    MarkChannels(StartRecordingMarks, channel, count, startRecordings);
    MarkChannels(ArmAlarmMarks, channel, count, armAlarms);
    Resume();
}

void TThreadOpenAll::Round() {
    Busy = true;
    ops_.Run([&] { ops_.SetFormEnabled(false); });
    const int count = std::min(ops_.ChannelCount(), kChannelMarks);
    for (int c = 0; c < count; ++c) {
        if (Terminated()) return;
        if (!OpenPreviewMarks[size_t(c)].exchange(false)) continue;
        Current = c;
        Guarded(ops_, [&] {
            if (!ops_.PanePreviewing(c)) ops_.OpenPreview(c);
        });
        if (!Pause(80)) return;
    }
    for (int c = 0; c < count; ++c) {
        if (Terminated()) return;
        if (!StartRecordingMarks[size_t(c)].exchange(false)) continue;
        Current = c;
        Guarded(ops_, [&] {
            if (!ops_.FileRecording(c)) ops_.StartRecording(c);
        });
        if (!Pause(80)) return;
    }
    for (int c = 0; c < count; ++c) {
        if (Terminated()) return;
        if (!ArmAlarmMarks[size_t(c)].exchange(false)) continue;
        Current = c;
        Guarded(ops_, [&] {
            if (!ops_.AlarmShown(c)) ops_.ArmAlarm(c);
        });
    }
    // Not busy before the form takes input again: a click on the enabled form is never dropped.
    Busy = false;
    ops_.Run([&] {
        ops_.SetFormEnabled(true);
        if (ops_.CycleMode()) ops_.EnableCycleTimer();
    });
}

// --- close all ------------------------------------------------------------------------------

TThreadCloseAll::TThreadCloseAll(TChannelOps& ops) : ops_(ops) {
    Start(THREAD_PRIORITY_NORMAL);
}

void TThreadCloseAll::CloseChannels(int channel, bool closePreviews, bool closeRecordings,
                                    bool closeAlarms, bool reopen, bool reopenCycle, int group) {
    if (Busy || (partner_ && partner_->Busy)) return;
    ClosePreviews = closePreviews;
    CloseRecordings = closeRecordings;
    CloseAlarms = closeAlarms;
    Reopen = reopen;
    ReopenCycle = reopenCycle;
    Group = group;
    const int count = ops_.ChannelCount();
    MarkChannels(ClosePreviewMarks, channel, count, closePreviews);
    MarkChannels(StopRecordingMarks, channel, count, closeRecordings);
    MarkChannels(ClearAlarmMarks, channel, count, closeAlarms);
    Resume();
}

void TThreadCloseAll::Round() {
    Busy = true;
    ops_.Run([&] { ops_.SetFormEnabled(false); });
    const int count = std::min(ops_.ChannelCount(), kChannelMarks);
    for (int c = 0; c < count; ++c) {
        if (Terminated()) return;
        if (!ClosePreviewMarks[size_t(c)].exchange(false)) continue;
        Current = c;
        Guarded(ops_, [&] {
            if (ops_.PanePreviewing(c) || ops_.PanePlaying(c)) ops_.ClosePreview(c);
        });
        if (!Pause(20)) return;
    }
    for (int c = 0; c < count; ++c) {
        if (Terminated()) return;
        if (!StopRecordingMarks[size_t(c)].exchange(false)) continue;
        Current = c;
        Guarded(ops_, [&] {
            if (ops_.CaptureRunning(c) || ops_.FileRecording(c)) ops_.StopRecording(c);
        });
        if (!Pause(20)) return;
    }
    for (int c = 0; c < count; ++c) {
        if (Terminated()) return;
        if (!ClearAlarmMarks[size_t(c)].exchange(false)) continue;
        Current = c;
        Guarded(ops_, [&] {
            if (ops_.AlarmShown(c)) ops_.ClearAlarm(c);
        });
        if (!Pause(20)) return;
    }
    if (Reopen) {
        Busy = false;
        if (ReopenCycle) {
            ops_.Run([&] {
                if (ops_.CycleMode()) ops_.PostRebuild(1, 0);
            });
        } else if (Group < 0) {
            ops_.PostRebuild(0, 0);
        } else {
            ops_.PostRebuild(1, Group + 1);
        }
    }
    Busy = false;
    ops_.Run([&] { ops_.SetFormEnabled(true); });
}

// --- alarm opener ---------------------------------------------------------------------------

TThreadOpenAllForAlarmUp::TThreadOpenAllForAlarmUp(TChannelOps& ops) : ops_(ops) {
    thread_ = std::thread([this] {
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        Execute();
        ::SetEvent(done_.get());
    });
}

void TThreadOpenAllForAlarmUp::Stop() {
    stopped_ = true;
    ::SetEvent(stop_.get());
    if (!thread_.joinable()) return;
    WaitDeliveringSent(done_.get());
    thread_.join();
}

bool TThreadOpenAllForAlarmUp::Pause(DWORD ms) {
    ::WaitForSingleObject(stop_.get(), ms);
    return !stopped_;
}

void TThreadOpenAllForAlarmUp::Execute() {
    for (;;) {
        const int count = std::min(ops_.ChannelCount(), kChannelMarks);
        for (int c = 0; c < count; ++c) {
            if (!OpenPreviewMarks[size_t(c)]) continue;
            if (stopped_) return;
            OpenPreviewMarks[size_t(c)] = false;
            Current = c;
            Guarded(ops_, [&] {
                if (!ops_.PanePreviewing(c) && !ops_.PanePlaying(c)) ops_.OpenPreview(c);
            });
        }
        if (!Pause(100)) return;
        for (int c = 0; c < count; ++c) {
            if (!StartRecordingMarks[size_t(c)]) continue;
            if (stopped_) return;
            StartRecordingMarks[size_t(c)] = false;
            Current = c;
            Guarded(ops_, [&] {
                if (!ops_.FileRecording(c)) ops_.StartRecording(c);
            });
        }
        if (!Pause(100)) return;
    }
}

} // namespace vantrel::webctl
