// The capture device of voice broadcast: the default wave-in device with three 960-byte
// buffers queued, whose filled buffers go to the capture thread's queue.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <cstdint>
#include <mutex>

namespace vantrel {

// 8 kHz, 16-bit, mono PCM: the voice format for capture and playback.
WAVEFORMATEX VoiceFormat();

class TWaveIn {
public:
    static constexpr int kBuffers = 3;
    static constexpr DWORD kBufferBytes = 960;

    TWaveIn() = default;
    ~TWaveIn() { Close(); }
    TWaveIn(const TWaveIn&) = delete;
    TWaveIn& operator=(const TWaveIn&) = delete;

    // Opens the default device with the thread as callback thread and queues the buffers;
    // true when already open.
    bool Open(const WAVEFORMATEX& format, DWORD callbackThreadId);
    bool Start();
    // True when no device is open or stopping succeeds.
    bool Stop();
    // Stops, resets and closes; true when closed or not open.
    bool Close();
    bool Opened();

    // For the capture thread, on a returned buffer: takes its 960 bytes into `block` (false
    // when it holds fewer, or the device is closing) and queues the buffer again.
    bool TakeBlock(WAVEHDR* header, uint8_t* block);

private:
    std::mutex lock_;
    HWAVEIN handle_ = nullptr;
    bool opened_ = false;
    std::array<WAVEHDR, kBuffers> headers_{};
    std::array<std::array<uint8_t, kBufferBytes>, kBuffers> buffers_{};
};

} // namespace vantrel
