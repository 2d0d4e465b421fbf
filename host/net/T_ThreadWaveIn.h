// The voice capture thread: takes each filled capture buffer from its message queue, encodes
// the 960 bytes to one 60-byte datagram and sends it to the checked addresses.
#pragma once

#include "host/engine/U_HostMessages.h"
#include "host/net/U_WaveIn.h"

#include "common/win/handles.h"

#include <atomic>
#include <cstdint>

namespace vantrel {

// Where the encoded blocks go: every checked row of the voice window.
class TVoiceSender {
public:
    virtual ~TVoiceSender() = default;
    virtual void SendVoice(const uint8_t* data, int length) = 0;
};

class TThreadWaveIn {
public:
    // Running at normal priority, its queue ready, when the constructor returns.
    explicit TThreadWaveIn(TWaveIn& waveIn);
    ~TThreadWaveIn() { Stop(); }
    TThreadWaveIn(const TThreadWaveIn&) = delete;
    TThreadWaveIn& operator=(const TThreadWaveIn&) = delete;

    DWORD ThreadId() const { return threadId_; }
    // The voice window, once it exists; blocks captured without one are not sent.
    void SetSender(TVoiceSender* sender) { sender_ = sender; }
    // Posts WM_THREADQUIT and waits for the loop to end.
    void Stop();

    // Encodes one 960-byte block and hands it to the sender; other sizes are not sent.
    void SendBlock(const uint8_t* pcm, int length);
    int BlocksSent() const { return blocksSent_; }

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Execute();

    TWaveIn& waveIn_;
    std::atomic<TVoiceSender*> sender_{nullptr};
    dvr::win::Event ready_;
    dvr::win::Thread thread_;
    DWORD threadId_ = 0;
    std::atomic<int> blocksSent_{0};
};

} // namespace vantrel
