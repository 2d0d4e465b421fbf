#include "host/net/U_WaveIn.h"

#include <cstring>

namespace vantrel {

WAVEFORMATEX VoiceFormat() {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = 8000;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = 16000;
    f.cbSize = 0;
    return f;
}

bool TWaveIn::Open(const WAVEFORMATEX& format, DWORD callbackThreadId) {
    std::lock_guard<std::mutex> hold(lock_);
    if (opened_) return true;
    HWAVEIN h = nullptr;
    if (::waveInOpen(&h, WAVE_MAPPER, &format, callbackThreadId, 0, CALLBACK_THREAD) !=
        MMSYSERR_NOERROR)
        return false;
    handle_ = h;
    for (int i = 0; i < kBuffers; ++i) {
        WAVEHDR& hdr = headers_[static_cast<size_t>(i)];
        hdr = WAVEHDR{};
        hdr.lpData = reinterpret_cast<LPSTR>(buffers_[static_cast<size_t>(i)].data());
        hdr.dwBufferLength = kBufferBytes;
        ::waveInPrepareHeader(handle_, &hdr, sizeof(hdr));
        ::waveInAddBuffer(handle_, &hdr, sizeof(hdr));
    }
    opened_ = true;
    return true;
}

bool TWaveIn::Start() {
    std::lock_guard<std::mutex> hold(lock_);
    return handle_ && ::waveInStart(handle_) == MMSYSERR_NOERROR;
}

bool TWaveIn::Stop() {
    std::lock_guard<std::mutex> hold(lock_);
    return !handle_ || ::waveInStop(handle_) == MMSYSERR_NOERROR;
}

bool TWaveIn::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!opened_) return true;
    // opened_ stays set until the close succeeds; TakeBlock leaves the buffers alone
    // meanwhile because it cannot take the lock.
    ::waveInStop(handle_);
    ::waveInReset(handle_);
    for (WAVEHDR& hdr : headers_)
        ::waveInUnprepareHeader(handle_, &hdr, sizeof(hdr));
    if (::waveInClose(handle_) != MMSYSERR_NOERROR) return false;
    handle_ = nullptr;
    opened_ = false;
    return true;
}

bool TWaveIn::Opened() {
    std::lock_guard<std::mutex> hold(lock_);
    return opened_;
}

bool TWaveIn::TakeBlock(WAVEHDR* header, uint8_t* block) {
    std::lock_guard<std::mutex> hold(lock_);
    // A buffer returned by a reset or from an earlier opening is not queued again.
    bool ours = false;
    for (WAVEHDR& hdr : headers_)
        ours = ours || &hdr == header;
    // A stale notice for a buffer that has been queued again since is not done.
    if (!opened_ || !ours || !(header->dwFlags & WHDR_PREPARED) || !(header->dwFlags & WHDR_DONE))
        return false;
    ::waveInUnprepareHeader(handle_, header, sizeof(*header));
    const bool full = header->dwBytesRecorded == kBufferBytes;
    if (full) std::memcpy(block, header->lpData, kBufferBytes);
    header->dwBytesRecorded = 0;
    header->dwFlags = 0;
    ::waveInPrepareHeader(handle_, header, sizeof(*header));
    ::waveInAddBuffer(handle_, header, sizeof(*header));
    return full;
}

} // namespace vantrel
