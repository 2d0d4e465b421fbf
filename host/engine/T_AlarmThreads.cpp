#include "host/engine/T_AlarmThreads.h"

#include "common/win/textconv.h"
#include "host/engine/U_HostMessages.h"

#include <mmsystem.h>

#include <thread>

namespace vantrel {

TMessageThread::TMessageThread(int priority)
    : priority_(priority), ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TMessageThread::~TMessageThread() = default;

void TMessageThread::Start() {
    thread_.reset(::CreateThread(nullptr, 0, &TMessageThread::ThreadMain, this, 0, &threadId_));
    if (!thread_) return;
    ::SetThreadPriority(thread_.get(), priority_);
    ::WaitForSingleObject(ready_.get(), INFINITE);
}

void TMessageThread::Finish() {
    if (!thread_) return;
    ::PostThreadMessageW(threadId_, WM_THREADQUIT, 0, 0);
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI TMessageThread::ThreadMain(LPVOID param) {
    auto* self = static_cast<TMessageThread*>(param);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // makes the queue
    ::SetEvent(self->ready_.get());
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_THREADQUIT) break;
        try {
            self->OnMessage(msg.message, msg.wParam, msg.lParam);
        } catch (...) {
        }
    }
    return 0;
}

TThreadAlarmingMsg::TThreadAlarmingMsg(TAlarmDispatchHost& host)
    : TMessageThread(THREAD_PRIORITY_NORMAL), dispatcher_(host, Latches) {
    Start();
}

TThreadAlarmingMsg::~TThreadAlarmingMsg() {
    Finish();
}

void TThreadAlarmingMsg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    dispatcher_.Handle(message, wParam, lParam);
}

TThreadAlarmKeepEnd::TThreadAlarmKeepEnd(std::function<void(int, int)> run)
    : TMessageThread(THREAD_PRIORITY_NORMAL), run_(std::move(run)) {
    Start();
}

TThreadAlarmKeepEnd::~TThreadAlarmKeepEnd() {
    Finish();
}

void TThreadAlarmKeepEnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_ALARMKEEPEND) return;
    if (lParam != kKeepEndStopRecording && lParam != kKeepEndEndAlarm) return;
    run_(static_cast<int>(wParam), static_cast<int>(lParam));
    ::Sleep(100);
}

TThreadDetectVideoLost::TThreadDetectVideoLost(TAlarm& alarm)
    : alarm_(alarm), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.reset(
        ::CreateThread(nullptr, 0, &TThreadDetectVideoLost::ThreadMain, this, 0, nullptr));
    if (thread_) ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
}

TThreadDetectVideoLost::~TThreadDetectVideoLost() {
    if (!thread_) return;
    ::SetEvent(stop_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI TThreadDetectVideoLost::ThreadMain(LPVOID param) {
    auto* self = static_cast<TThreadDetectVideoLost*>(param);
    while (::WaitForSingleObject(self->stop_.get(), 0) != WAIT_OBJECT_0) {
        try {
            self->alarm_.PollVideoLoss();
        } catch (...) {
            continue; // the next round starts without the pause
        }
        if (::WaitForSingleObject(self->stop_.get(), 1000) == WAIT_OBJECT_0) break;
    }
    return 0;
}

bool TAlarmServicesOf::Armed(int channel) const {
    return channel >= 0 && channel < kSettingsChannels && alarm_.Armed[channel];
}

bool TAlarmServicesOf::Alarming(int channel) const {
    return channel >= 0 && channel < kSettingsChannels && alarm_.Alarming[channel];
}

void TThreadPlaySound(const std::string& fileName) {
    std::thread([fileName] {
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
        try {
            TPlaySoundPlayer().PlayFile(fileName);
        } catch (...) {
        }
    }).detach();
}

} // namespace vantrel
