#include "host/net/U_WaveOut.h"

namespace vantrel {
namespace {

// A queued block: the device's header and the sound it points at.
struct Block {
    WAVEHDR Header{};
    std::unique_ptr<uint8_t[]> Data;
};

} // namespace

bool TWaveOut::Open(const WAVEFORMATEX& format, DWORD callbackThreadId) {
    std::lock_guard<std::mutex> hold(lock_);
    if (opened_) return true;
    // Only a fresh device starts from an empty count: blocks queued on an open one are
    // still to be released.
    queued_ = 0;
    HWAVEOUT h = nullptr;
    if (::waveOutOpen(&h, WAVE_MAPPER, &format, callbackThreadId, 0, CALLBACK_THREAD) !=
        MMSYSERR_NOERROR)
        return false;
    handle_ = h;
    opened_ = true;
    return true;
}

void TWaveOut::Write(std::unique_ptr<uint8_t[]> data, int length) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!opened_ || queued_ >= kMaxQueued || length <= 0) return; // dropped unplayed
    auto block = std::make_unique<Block>();
    block->Data = std::move(data);
    block->Header.lpData = reinterpret_cast<LPSTR>(block->Data.get());
    block->Header.dwBufferLength = static_cast<DWORD>(length);
    block->Header.dwUser = reinterpret_cast<DWORD_PTR>(block.get());
    ++queued_;
    if (::waveOutPrepareHeader(handle_, &block->Header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        --queued_;
        return;
    }
    if (::waveOutWrite(handle_, &block->Header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        ::waveOutUnprepareHeader(handle_, &block->Header, sizeof(WAVEHDR));
        --queued_;
        return;
    }
    block.release(); // the device holds it until the release thread frees it
}

void TWaveOut::Release(WAVEHDR* header) {
    if (!header) return;
    std::unique_ptr<Block> block(reinterpret_cast<Block*>(header->dwUser));
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (handle_) ::waveOutUnprepareHeader(handle_, header, sizeof(WAVEHDR));
    }
    --queued_;
    ++released_;
}

bool TWaveOut::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!opened_) return true;
    // The reset hands every queued block back to the release thread.
    ::waveOutReset(handle_);
    if (::waveOutClose(handle_) != MMSYSERR_NOERROR) return false;
    handle_ = nullptr;
    opened_ = false;
    return true;
}

bool TWaveOut::Opened() {
    std::lock_guard<std::mutex> hold(lock_);
    return opened_;
}

} // namespace vantrel
