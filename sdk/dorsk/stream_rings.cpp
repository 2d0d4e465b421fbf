#include "sdk/dorsk/stream_rings.h"

#include <process.h>

#include <atomic>
#include <new>

namespace dvr::dorsk {
namespace {

// The library's side of the intake: the ring locks, the channels' statistics and
// the notifier's data event. A ring lock given back is kept until the walk takes another
// ring or ends, so that the slots of one record (and back-to-back records of one channel)
// cost one lock, not one per slot; nothing else is locked while it is kept.
class LibraryIntakeHost final : public StreamIntakeHost {
public:
    ~LibraryIntakeHost() { Release(); }
    StreamRingState* LockRing(int channel) override {
        if (channel < 0 || channel >= kMaxChannels) return nullptr;
        StreamRing& ring = g_sdk.rings[channel];
        if (kept_ == channel) {
            kept_ = -1;
            return &ring.state;
        }
        Release();
        if (!ring.buffer) return nullptr;
        ring.lock.Enter();
        return &ring.state;
    }
    void UnlockRing(int channel) override { kept_ = channel; }
    void CountRecord(int channel, uint16_t type) override {
        SdkChannel& c = g_sdk.channels[channel];
        c.pictureCount += PicturesIn(type);
        c.audioBlockCount += AudioBlocksIn(type);
    }
    void RecordCompleted(int) override {
        if (g_sdk.notifierIdle.exchange(false)) ::SetEvent(g_sdk.notifierData.get());
    }
    // Gives back the kept lock; the walk of a processor ends with this.
    void Release() {
        if (kept_ >= 0) g_sdk.rings[kept_].lock.Leave();
        kept_ = -1;
    }

private:
    int kept_ = -1;
};

win::Event NewEvent(bool manual_reset) {
    return win::Event(::CreateEventW(nullptr, manual_reset, FALSE, nullptr));
}

win::Thread NewThread(unsigned(__stdcall* body)(void*)) {
    return win::Thread(
        reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, body, nullptr, 0, nullptr)));
}

void StopThread(win::Event& stop, win::Event& end, win::Thread& thread, HANDLE wake = nullptr) {
    if (thread) {
        ::SetEvent(stop.get());
        if (wake) ::SetEvent(wake);
        ::WaitForSingleObject(end.get(), INFINITE);
        ::WaitForSingleObject(thread.get(), INFINITE);
    }
    thread.reset();
    stop.reset();
    end.reset();
}

bool Stopping(const win::Event& stop, DWORD wait_ms) {
    return ::WaitForSingleObject(stop.get(), wait_ms) != WAIT_TIMEOUT;
}

void Notify(int channel) {
    StreamReadCallback callback = g_sdk.streamCallback.load();
    intptr_t user = g_sdk.streamUser.load();
    if (callback && user) {
        callback(channel, user);
        return;
    }
    HWND window = g_sdk.notifyWindow.load();
    UINT message = g_sdk.notifyMessage.load();
    if (window && message) ::PostMessageW(window, message, WPARAM(channel), 0);
}

} // namespace

bool CreateStreamRings() {
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        StreamRing& ring = g_sdk.rings[ch];
        ring.buffer.reset(new (std::nothrow) uint8_t[kRingSize]);
        ring.staging.reset(new (std::nothrow) uint8_t[kStagingSize]);
        if (!ring.buffer || !ring.staging) {
            FreeStreamRings();
            return false;
        }
        ring.state = StreamRingState{};
        ring.state.buffer = ring.buffer.get();
        ring.state.staging = ring.staging.get();
        ResetRing(ring.state);
        AdpcmInitState(ring.state.adpcm);
    }
    return true;
}

void FreeStreamRings() {
    for (StreamRing& ring : g_sdk.rings) {
        ring.buffer.reset();
        ring.staging.reset();
        ring.state = StreamRingState{};
    }
}

bool StartStreamThreads(uint32_t& error) {
    error = 0;
    g_sdk.readerStop = NewEvent(true);
    g_sdk.readerEnd = NewEvent(true);
    if (g_sdk.readerStop && g_sdk.readerEnd) g_sdk.readerThread = NewThread(StreamSlotReaderThread);
    if (!g_sdk.readerThread) {
        StopStreamThreads();
        return false;
    }
    ::SetThreadPriority(g_sdk.readerThread.get(), THREAD_PRIORITY_HIGHEST);
    g_sdk.notifierStop = NewEvent(true);
    g_sdk.notifierEnd = NewEvent(true);
    g_sdk.notifierData = NewEvent(false);
    if (g_sdk.notifierStop && g_sdk.notifierEnd && g_sdk.notifierData)
        g_sdk.notifierThread = NewThread(StreamNotifyThread);
    if (!g_sdk.notifierThread) {
        error = kSdkThreadFailed;
        StopStreamThreads();
        return false;
    }
    return true;
}

void StopStreamThreads() {
    StopThread(g_sdk.readerStop, g_sdk.readerEnd, g_sdk.readerThread);
    // A notifier still waiting for its first data wakes on the data event.
    StopThread(g_sdk.notifierStop, g_sdk.notifierEnd, g_sdk.notifierThread,
               g_sdk.notifierData.get());
    g_sdk.notifierData.reset();
}

void ResetChannelStream(SdkChannel& channel, bool clear_statistics) {
    StreamRing& ring = g_sdk.rings[channel.number];
    SectionLock lock(ring.lock);
    ResetRing(ring.state);
    if (clear_statistics) {
        channel.pictureCount = 0;
        channel.audioBlockCount = 0;
        channel.lastStatsWord = 0;
        channel.statsWord4 = 0;
    }
}

void ResetChannelAudio(SdkChannel& channel) {
    StreamRing& ring = g_sdk.rings[channel.number];
    SectionLock lock(ring.lock);
    AdpcmInitState(ring.state.adpcm);
}

void ReadChannelCounts(const SdkChannel& channel, int32_t& pictures, int32_t& audio_blocks) {
    SectionLock lock(g_sdk.rings[channel.number].lock);
    pictures = channel.pictureCount;
    audio_blocks = channel.audioBlockCount;
}

unsigned __stdcall StreamSlotReaderThread(void*) {
    LibraryIntakeHost host;
    do {
        for (int p = 0; p < kMaxProcessors; ++p) {
            SdkBoard& board = g_sdk.boards[p];
            SectionLock board_lock(BoardLockOf(board));
            if (!board.booted) continue;
            // Channel close destroys the block under this lock.
            SectionLock stream_lock(g_sdk.streamLocks[p]);
            board_lock.Unlock();
            if (board.sharedMemory) WalkSlots(board.sharedMemory, board.intake, host);
            host.Release();
        }
    } while (!Stopping(g_sdk.readerStop, g_sdk.readerPeriodMs.load()));
    ::SetEvent(g_sdk.readerEnd.get());
    return 0;
}

namespace {
bool AnyRecordsWaiting() {
    for (int ch = 0; ch < kMaxChannels; ++ch)
        if (g_sdk.channels[ch].open && RecordsWaiting(g_sdk.rings[ch].state)) return true;
    return false;
}
} // namespace

unsigned __stdcall StreamNotifyThread(void*) {
    int counters[kMaxChannels] = {};
    const HANDLE idle_wait[2] = {g_sdk.notifierStop.get(), g_sdk.notifierData.get()};
    do {
        bool waiting = false;
        for (int ch = 0; ch < kMaxChannels; ++ch) {
            if (!g_sdk.channels[ch].open) continue;
            StreamRing& ring = g_sdk.rings[ch];
            // An empty ring needs no notice and advances no counter: its lock is left alone.
            if (!RecordsWaiting(ring.state)) continue;
            waiting = true;
            bool due;
            {
                SectionLock lock(ring.lock);
                due = NoticeDue(ring.state, counters[ch]);
            }
            if (due) Notify(ch);
        }
        // Passes stay 10 ms apart while records wait; with every ring empty a pass would
        // do nothing, so the next one waits for a record to complete (each sets the event),
        // or at most as long as a repeated notice, for rings filled before their channel
        // counted as open.
        if (waiting) {
            if (Stopping(g_sdk.notifierStop, kNotifierPeriodMs)) break;
        } else {
            // The flag first, then one more look: a record completed before the flag was up
            // set no event.
            g_sdk.notifierIdle.store(true);
            std::atomic_thread_fence(std::memory_order_seq_cst);
            if (!AnyRecordsWaiting())
                ::WaitForMultipleObjects(2, idle_wait, FALSE,
                                         kNotifierPeriodMs * kNoticeRepeatPasses);
            g_sdk.notifierIdle.store(false);
        }
    } while (!Stopping(g_sdk.notifierStop, 0));
    ::SetEvent(g_sdk.notifierEnd.get());
    return 0;
}

} // namespace dvr::dorsk
