// The output device of voice broadcast: received blocks are queued to the default wave-out
// device, at most 21 at a time; the release thread frees them once played.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace vantrel {

class TWaveOut {
public:
    static constexpr int kMaxQueued = 21;

    TWaveOut() = default;
    ~TWaveOut() { Close(); }
    TWaveOut(const TWaveOut&) = delete;
    TWaveOut& operator=(const TWaveOut&) = delete;

    // True when already open, or opened (count 0) with the thread as callback thread.
    bool Open(const WAVEFORMATEX& format, DWORD callbackThreadId);
    // Plays the block; it is dropped when the device is closed or 21 blocks are queued, or
    // when the device refuses it.
    void Write(std::unique_ptr<uint8_t[]> data, int length);
    // Resets and closes; true when closed or not open.
    bool Close();
    bool Opened();
    int Queued() const { return queued_; }
    // Blocks the device has finished with.
    int Released() const { return released_; }

    // For the release thread: a block the device has played.
    void Release(WAVEHDR* header);

private:
    std::mutex lock_;
    HWAVEOUT handle_ = nullptr;
    bool opened_ = false;
    std::atomic<int> queued_{0};
    std::atomic<int> released_{0};
};

} // namespace vantrel
