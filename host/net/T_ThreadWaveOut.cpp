#include "host/net/T_ThreadWaveOut.h"

namespace vantrel {

TThreadWaveOut::TThreadWaveOut(TWaveOut& waveOut) : waveOut_(waveOut) {
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, &threadId_));
    if (thread_) ::WaitForSingleObject(ready_.get(), INFINITE);
}

void TThreadWaveOut::Stop() {
    if (!thread_) return;
    ::PostThreadMessageW(threadId_, WM_THREADQUIT, 0, 0);
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI TThreadWaveOut::ThreadMain(LPVOID self) {
    static_cast<TThreadWaveOut*>(self)->Execute();
    return 0;
}

void TThreadWaveOut::Execute() {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // the queue exists now
    ::SetEvent(ready_.get());
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_THREADQUIT) break;
        if (msg.message == MM_WOM_DONE) waveOut_.Release(reinterpret_cast<WAVEHDR*>(msg.lParam));
    }
}

} // namespace vantrel
