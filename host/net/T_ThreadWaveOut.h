// The voice release thread: frees each block the output device has played.
#pragma once

#include "host/net/T_ThreadWaveIn.h"
#include "host/net/U_WaveOut.h"

#include "common/win/handles.h"

namespace vantrel {

class TThreadWaveOut {
public:
    // Running at normal priority, its queue ready, when the constructor returns.
    explicit TThreadWaveOut(TWaveOut& waveOut);
    ~TThreadWaveOut() { Stop(); }
    TThreadWaveOut(const TThreadWaveOut&) = delete;
    TThreadWaveOut& operator=(const TThreadWaveOut&) = delete;

    DWORD ThreadId() const { return threadId_; }
    // Posts WM_THREADQUIT and waits for the loop to end.
    void Stop();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();

    TWaveOut& waveOut_;
    dvr::win::Event ready_;
    dvr::win::Thread thread_;
    DWORD threadId_ = 0;
};

} // namespace vantrel
