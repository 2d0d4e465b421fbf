// The library's fixed tables of board processors and channels, its locks and its
// library-wide state. Every export works on the one instance, g_sdk.
#pragma once

#include "common/win/handles.h"
#include "sdk/dorsk/board_command.h"
#include "sdk/dorsk/channel_layout.h"
#include "sdk/dorsk/picture_geometry.h"
#include "sdk/dorsk/sdk_error.h"
#include "sdk/dorsk/stream_intake.h"
#include "sim/brevix32/Brevix32.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace dvr::dorsk {

constexpr uint32_t kSharedMemorySize = 60000;
constexpr uint32_t kBootWaitMs = 2000;
constexpr uint32_t kStopReplyWaitMs = 400;
constexpr DWORD kSlotReaderPeriodMs = 40;

// One board processor.
struct SdkBoard {
    int32_t index = 0;
    BrevixDsp dsp = nullptr;
    int32_t channelCount = 0;
    int32_t channelNumber[kMaxSubChannels] = {};
    int32_t booted = 0;
    int32_t subOpen[kMaxSubChannels] = {};
    // Board pointers found in shared memory become host pointers by these bases.
    uint32_t hostBase = 0;
    uint32_t boardBase = 0;
    // Auto-reset; set by the firmware's "MyEvent" and by the message thread.
    win::Event replyEvent;
    BrevixEvent driverEvent = nullptr;
    // Auto-reset; set by the driver on each arrival on "MyMessage".
    win::Event messageEvent;
    BrevixMessage messageChannel = nullptr;
    win::Event threadStop;
    win::Event threadEnd;
    win::Thread messageThread;
    uint8_t* sharedMemory = nullptr;
    BrevixSharedMemory sharedBlock = nullptr;
    int32_t bootable = 1;
    // The slot reader's side of this processor's stream.
    ProcessorIntake intake;
    // The firmware was started by this boot, so tearing down must halt it.
    bool firmwareStarted = false;

    // The host address of a pointer the firmware wrote into shared memory.
    void* HostAddress(uint32_t board_pointer) const {
        return reinterpret_cast<void*>(
            static_cast<uintptr_t>(board_pointer + hostBase - boardBase));
    }
};

// One channel; its address is the channel handle the host holds.
struct SdkChannel {
    SdkBoard* board = nullptr;
    int32_t number = 0;
    int32_t sub = 0;
    int32_t open = 0;
    // Preview.
    HWND previewWindow = nullptr;
    int32_t previewLeft = 0, previewTop = 0, previewRight = 0, previewBottom = 0;
    int32_t previewOn = 0; // changed under the channel lock by SetPreviewOn only
    // Statistics since capture start.
    int32_t pictureCount = 0;
    int32_t audioBlockCount = 0;
    int32_t lastStatsWord = 0;
    int32_t statsWord4 = 0;
    int32_t captureOn = 0;
    // Encoder settings.
    uint16_t streamType = 1;
    int32_t iQuantiser = 4, pQuantiser = 4, bQuantiser = 6;
    int32_t maxBitRate = 500000;
    int32_t frameRate = 25;
    int32_t keyFrameInterval = 100;
    int32_t bFrames = 0;
    int32_t bitrateMode = 0;
    int32_t pictureFormat = 0;
    int32_t videoStandard = 2;
    // Picture.
    int32_t contrast = 64, brightness = 128, saturation = 64, hue = 128;
    // Motion detection: the areas the analyzer evaluates, owned, replaced whole.
    std::unique_ptr<MotionArea[]> motionAreas;
    int32_t motionAreaCount = 0;
    int32_t motionPrecision[3] = {};
    int32_t audioPreview = 0;
};

// The library's locks: recursive, like the mutexes they replace; taking a free one costs
// no call into the system.
using SdkLock = win::CriticalSection;

// One channel's ring of stream records, between the slot reader and the host's reads.
struct StreamRing {
    // Held for one ring operation at a time. Process-local: the ring lives in this
    // process's memory, so no other process has anything to guard with it.
    SdkLock lock;
    std::unique_ptr<uint8_t[]> buffer;
    std::unique_ptr<uint8_t[]> staging;
    StreamRingState state;
};

// The host's stream callback: (channel number, user value), on the notifier thread.
using StreamReadCallback = void(__stdcall*)(int channel, intptr_t user);

using ChannelHandle = intptr_t;
constexpr ChannelHandle kNoChannel = -1;

struct SdkLibrary {
    int32_t totalChannels = 0;
    std::atomic<int32_t> openChannels{0};
    std::atomic<bool> initialised{false};
    // Handles of open channels; 0 marks a free slot.
    std::atomic<ChannelHandle> openTable[kMaxChannels] = {};
    bool mainFirmwarePresent = false;
    bool singleFirmwarePresent = false;
    std::atomic<uint32_t> lastError{0};
    uint32_t colorKey = 0x0A0A0A;

    // Where the notifier tells the host: the callback when both it and the user value
    // are registered, else the window message.
    std::atomic<StreamReadCallback> streamCallback{nullptr};
    std::atomic<intptr_t> streamUser{0};
    std::atomic<HWND> notifyWindow{nullptr};
    std::atomic<UINT> notifyMessage{0};

    // Slot reader and notifier threads with their events. The reader's period is a
    // field so that tests can run the stand-in's clock faster than real time.
    std::atomic<DWORD> readerPeriodMs{kSlotReaderPeriodMs};
    win::Event readerStop, readerEnd;
    win::Thread readerThread;
    win::Event notifierStop, notifierEnd, notifierData;
    // Set while the notifier sleeps because every ring was empty: only then does a completed
    // record need to set the data event (a Wine server call per record otherwise).
    std::atomic<bool> notifierIdle{false};
    win::Thread notifierThread;

    SdkBoard boards[kMaxProcessors];
    SdkChannel channels[kMaxChannels];
    StreamRing rings[kMaxChannels];

    // Lock order: channel, then processor, then the processor's stream lock (ring locks are
    // innermost).
    SdkLock channelLocks[kMaxChannels];
    SdkLock boardLocks[kMaxProcessors];
    SdkLock streamLocks[kMaxProcessors];
};

extern SdkLibrary g_sdk;

constexpr const char* kMainFirmware = "Main.out";
constexpr const char* kSingleFirmware = "MainD1.out";

inline void StoreError(uint32_t word) {
    g_sdk.lastError.store(word);
}

// True when the value stands in the open-channel table; 0 never does.
bool IsOpenChannelHandle(ChannelHandle handle);
inline SdkChannel* ChannelOf(ChannelHandle handle) {
    return reinterpret_cast<SdkChannel*>(handle);
}
inline ChannelHandle HandleOf(SdkChannel& channel) {
    return reinterpret_cast<ChannelHandle>(&channel);
}
inline SdkLock& BoardLockOf(const SdkBoard& board) {
    return g_sdk.boardLocks[board.index];
}

// The channel's picture size by its processor type and stored standard.
inline PictureSize PictureSizeOf(const SdkChannel& channel) {
    return ChannelPictureSize(channel.board->channelCount, channel.videoStandard);
}

// Areas of a sub-channel in the board's control block, in their order there.
enum class BoardArea { TextLine1, TextLine2, Logo, Statistics, GrabBuffer, StatusBlock };
// Host address of one of the channel's areas; null while the control block does not
// hold its magic. Called with the processor's mutex held.
uint8_t* BoardAreaOf(const SdkChannel& channel, BoardArea area);
// Board information words A and B; false while the control block is not valid.
bool BoardInfoWords(const SdkBoard& board, uint32_t& a, uint32_t& b);

// Holds one of the library's own locks for a scope (none when given null).
class SectionLock {
public:
    explicit SectionLock(SdkLock& lock) : lock_(&lock) { lock_->Enter(); }
    explicit SectionLock(SdkLock* lock) : lock_(lock) {
        if (lock_) lock_->Enter();
    }
    ~SectionLock() { Unlock(); }
    SectionLock(const SectionLock&) = delete;
    SectionLock& operator=(const SectionLock&) = delete;
    bool held() const { return lock_ != nullptr; }
    void Unlock() {
        if (lock_) lock_->Leave();
        lock_ = nullptr;
    }

private:
    SdkLock* lock_;
};

// The common frame of every export that takes a handle: check, lock the channel,
// check again. ok() false means the handle is refused (kSdkBadHandle).
class ChannelAccess {
public:
    explicit ChannelAccess(ChannelHandle handle);
    bool ok() const { return channel_ != nullptr; }
    SdkChannel& channel() const { return *channel_; }
    void Unlock() { lock_.Unlock(); }

private:
    static SdkLock* LockFor(ChannelHandle handle);
    SectionLock lock_;
    SdkChannel* channel_ = nullptr;
};

// The preview flag may be looked at without the channel lock (the watch thread's pass).
inline bool PreviewIsOn(const SdkChannel& channel) {
    return __atomic_load_n(&channel.previewOn, __ATOMIC_RELAXED) != 0;
}
inline void SetPreviewOn(SdkChannel& channel, int32_t on) {
    __atomic_store_n(&channel.previewOn, on, __ATOMIC_RELAXED);
}

// Resets a channel and its processor record to their start-up values.
void InitChannelDefaults(SdkChannel& channel);

} // namespace dvr::dorsk
