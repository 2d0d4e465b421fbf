// File playback: the play thread of a file port and the play controls.
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "player/decoder/decoder.h"
#include "player/lib/play_control.h"
#include "player/lib/play_port.h"
#include "player/lib/sound.h"

namespace dvr::strovid {

void PostEndNotice(int portNo) {
    PlayPort& port = PortTable[portNo];
    if (HWND w = port.endWindow.load())
        ::PostMessageW(w, port.endMessage.load(), static_cast<WPARAM>(portNo), 0);
}

// The decoder's next picture becomes the port's current one.
void TakeDecodedPicture(PlayPort& port) {
    port.currentPicturePtr = decoder::GetYUV(port.decoderHandle);
    if (port.rgbOutputFlag) decoder::TransYUVtoRGB(port.decoderHandle);
}

void MoveSoundToPlayPosition(PlayPort& port) {
    // The sound thread reads with the same handle while it fills a chunk.
    std::lock_guard<win::CriticalSection> filling(port.sound.lock);
    if (port.soundFile.IsOpen()) port.soundFile.Seek(port.playFile.Tell());
}

namespace {

enum class Cycle { kAgain, kWait };

// A live stream's interval beyond this (ms) is a gap.
constexpr int kStreamGapLimitMs = 4000;

void NormalPriority() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

int PackedB(int kind) {
    return kind == kRecordPB ? 1 : kind == kRecordPBB ? 2 : 0;
}

// The next record of the port: from its file, or from the queue of a stream port with
// its own thread. Stream records carry their kind in the play reader's fields as file
// records do.
int NextRecord(int portNo, PlayPort& port) {
    if (port.streamFlag) return PopOwnStreamRecord(portNo);
    return dvr::ReadOneFrameEx(&port.file, 1, &port.playFile);
}

Cycle RunCycle(int portNo) {
    PlayPort& port = PortTable[portNo];
    const bool stream = port.streamFlag != 0;
    // A stream port with nothing to play waits until it is started again.
    if (stream && !OwnStreamCycleReady(portNo)) return Cycle::kWait;
    const int h = port.decoderHandle;
    const int step = port.speedStep.load();
    if (port.driftReset.exchange(0)) port.pacing.drift = 0;
    decoder::SetPostProcess(h, step <= 0 ? port.pictureQuality.load() : 0);
    if (port.endOfFileFlag.exchange(0)) {
        port.userPause.store(1);
        port.seekDone.store(0);
        PostEndNotice(portNo);
    }
    port.soundPause.store(step != 0 || port.seekInProgress.load() ? 1 : 0);
    port.running.store(1);
    if (port.seekInProgress.load()) {
        NormalPriority();
        while (port.seekInProgress.load())
            ::Sleep(40);
    }

    std::unique_lock<win::CriticalSection> decoding(port.decodeLock);
    const bool seekJustDone = port.seekDone.exchange(0) != 0;
    const bool redisplay = port.userPause.load() && !seekJustDone;
    const int drop = port.throwB.load();
    DWORD start = ::GetTickCount();
    if (redisplay) {
        port.currentPicturePtr = port.lastShownPicture;
    } else if (PackedB(port.lastKind) && port.pendingB > 0) {
        if (port.stepRequest.exchange(0)) port.userPause.store(1);
        TakeDecodedPicture(port);
        port.lastShownPicture = port.currentPicturePtr;
        port.currentPicture += drop ? drop : 1;
        --port.pendingB;
    } else {
        const int kind = NextRecord(portNo, port);
        const int packed = PackedB(kind);
        decoder::SetBFrameType(h, packed);
        port.pendingB = packed == 0 ? 0 : std::max(packed - drop, 0);
        port.lastKind = kind;
        if (kind == kRecordAudio) {
            if (port.currentPicture == static_cast<int>(port.totalPictures.load()) &&
                port.indexComplete.load())
                port.endOfFileFlag.store(1);
            return Cycle::kAgain;
        }
        if (stream && kind == kRecordEnd) {
            // The caller has not fed the next record yet.
            NormalPriority();
            port.pendingB = 0;
            port.lastKind = 0;
            decoding.unlock();
            ::Sleep(40);
            return Cycle::kAgain;
        }
        if (kind == kRecordEnd || kind == 0) {
            if (kind == kRecordEnd) port.endOfFileFlag.store(1);
            // A header without its payload gives nothing to decode.
            return Cycle::kAgain;
        }
        if (kind == kRecordKey) {
            ++port.keyFramesPassed;
        } else if (port.currentPicture == 0) {
            // Nothing can be decoded before the first key frame.
            NormalPriority();
            port.pendingB = 0;
            port.lastKind = 0;
            decoding.unlock();
            ::Sleep(stream ? 40 : 10);
            return Cycle::kAgain;
        }
        ++port.currentPicture;
        start = ::GetTickCount();
        if (port.stepRequest.exchange(0)) {
            port.userPause.store(1);
            port.currentPicture += drop;
        }
        if (!QEL_DecodeOneFrame(portNo, static_cast<int>(port.file.play.length))) {
            NormalPriority();
            port.pendingB = 0;
            if (stream) {
                decoding.unlock();
                ::Sleep(40);
            }
            return Cycle::kAgain;
        }
        port.lastShownPicture = port.currentPicturePtr;
        port.recordTimeStamp = port.file.play.timeStamp;
    }
    if (!redisplay) {
        decoder::SetContrast(h, port.contrastStep.load());
        decoder::SetBright(h, port.brightnessStep.load());
    }
    int width = 0, height = 0;
    decoder::GetWH(h, &width, &height);
    const int size = width * height * 3 / 2;
    // The picture's own record: audio records may have been read since.
    const uint32_t timeStamp = port.recordTimeStamp;

    if (DisplayCallback cb = port.displayCallback.load())
        cb(portNo, port.currentPicturePtr, size, width, height, timeStamp, 3, 0);

    if (port.decodeCallbackFlag.load()) {
        decoding.unlock();
        // Every picture, the one of a paused port again too: the caller draws them itself.
        port.frameInfo = {width, height, timeStamp, 3, port.file.head.frameRate};
        if (DecodeCallback cb = port.decodeCallback.load())
            cb(portNo, port.currentPicturePtr, size, &port.frameInfo, 0, 0);
        ::Sleep(redisplay ? 40 : 2);
        NormalPriority();
        ::SetEvent(port.playEvent.get());
        return Cycle::kWait;
    }

    if (!port.seekInProgress.load() && ShowAtSpeed(step, port.currentPicture)) {
        const Rect& r = port.sourceRect;
        RE4Ravi_DirectDraw(portNo, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr);
    }
    const DWORD showEnd = ::GetTickCount();
    const bool paused = port.userPause.load() != 0;
    int wait = 0;
    if (!paused || seekJustDone) {
        // A live stream tolerates longer gaps before its interval counts as one.
        wait = PictureWait(port.pacing, {port.currentPicture, port.lastKind, drop, port.pendingB,
                                         timeStamp, step, static_cast<int>(showEnd - start),
                                         stream ? kStreamGapLimitMs : 0});
        if (port.pendingB == 0 || stream) port.pacing.prevTimeStamp = timeStamp;
    }
    decoding.unlock();

    if (!paused || seekJustDone) {
        NormalPriority();
        if (wait >= 1) ::WaitForSingleObject(port.pacingEvent.get(), static_cast<DWORD>(wait));
        CarryDrift(port.pacing, wait, static_cast<int>(::GetTickCount() - showEnd));
        ::SetEvent(port.playEvent.get());
    }
    if (paused) {
        ::Sleep(40);
        NormalPriority();
        ::SetEvent(port.playEvent.get());
    }
    return Cycle::kWait;
}

// The play thread of a file port or of a stream port with its own thread.
DWORD WINAPI PortPlayThread(LPVOID arg) {
    const int portNo = static_cast<int>(reinterpret_cast<intptr_t>(arg));
    PlayPort& port = PortTable[portNo];
    const HANDLE events[2] = {port.quitEvent.get(), port.playEvent.get()};
    try {
        for (;;) {
            // The quit event comes first so that it wins when both are signalled.
            if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                port.running.store(0);
                return 0;
            }
            ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
            port.speedStep.store(ClampSpeedStep(port.speedStep.load()));
            while (RunCycle(portNo) == Cycle::kAgain) {
            }
        }
    } catch (...) {
        NormalPriority();
        port.lowWaterNotice.store(0);
        port.endOfFileFlag.store(1);
        port.running.store(0);
        if (!port.streamFlag) PostEndNotice(portNo);
        EndPortSound(portNo);
    }
    return 0;
}

// Playing resumes at normal speed: pause and speed cleared, the sound restarted.
void ClearPauseAndSpeed(int portNo) {
    PlayPort& port = PortTable[portNo];
    bool resync = false;
    if (port.userPause.load()) {
        port.userPause.store(0);
        port.soundPause.store(0);
        port.driftReset.store(1);
        resync = true;
    }
    if (port.speedStep.load() != 0) {
        port.speedStep.store(0);
        port.driftReset.store(1);
        resync = true;
    }
    if (resync || port.running.load()) {
        MoveSoundToPlayPosition(port);
        ResumePortSound(portNo);
    }
}

// The caller holds the port lock.
int CreateVideoPlayThreadLocked(int portNo) {
    PlayPort& port = PortTable[portNo];
    ClearPauseAndSpeed(portNo);
    if (port.running.load()) return 0;
    if (port.streamFlag && port.streamOpenMode != 1) {
        port.currentPicture = 0;
        port.userPause.store(0);
        port.endOfFileFlag.store(0);
        const int started = StartStreamPlaying(portNo);
        // Running from here: a second start resumes the port instead of preparing its
        // display again under the shared thread.
        port.running.store(started);
        return started;
    }
    if (port.streamFlag) {
        StartStreamBuffer(portNo);
        port.stream.lowWaterNotice.store(0);
        port.stream.emptyNoticed = 0;
    } else if (!port.displayPrepared || !port.playFile.IsOpen()) {
        return 0;
    }

    port.currentPicture = 0;
    port.userPause.store(0);
    port.endOfFileFlag.store(0);
    port.running.store(0);
    // A file port needs its events whatever its stream open mode: without them its
    // thread would end at once while playing was reported as started.
    port.playEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    port.quitEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    port.pacingEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!port.playEvent || !port.quitEvent || !port.pacingEvent) {
        port.playEvent.reset();
        port.quitEvent.reset();
        port.pacingEvent.reset();
        return 0;
    }
    port.running.store(1);
    port.playThread.reset(::CreateThread(nullptr, 0, PortPlayThread,
                                         reinterpret_cast<LPVOID>(intptr_t{portNo}), 0, nullptr));
    if (!port.playThread) {
        port.running.store(0);
        port.playEvent.reset();
        port.quitEvent.reset();
        port.pacingEvent.reset();
        return 0;
    }
    ::SetEvent(port.playEvent.get());
    return 1;
}

} // namespace
} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI RE4Ravi_Play(int portNo, HWND window) {
    if (!ValidPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    PortLock lock(portNo);
    if (!port.fileOpen.load() && !port.streamFlag) return 0;
    if (port.running.load()) {
        CreateVideoPlayThreadLocked(portNo);
        return 0;
    }
    port.sourceRect = {};
    if (!PrepareDisplay(portNo, window)) return 0;
    if (!port.streamFlag) port.playFile.Seek(static_cast<uint64_t>(port.file.head.headerLength));
    port.lastKind = 0;
    port.pendingB = 0;
    port.pacing = {};
    return CreateVideoPlayThreadLocked(portNo);
}

int WINAPI QEL_CreateVideoPlayThread(int portNo) {
    if (!ValidPort(portNo)) return 0;
    PortLock lock(portNo);
    return CreateVideoPlayThreadLocked(portNo);
}

int WINAPI RE4Ravi_Stop(int portNo) {
    if (!ValidPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    PortLock lock(portNo);
    if (port.streamOpenMode == 1) port.endOfFileFlag.store(1);
    if (port.streamFlag && port.streamOpenMode != 1) StopStreamPlaying(portNo);
    port.decodeCallbackFlag.store(0);
    if (port.playThread) {
        ::SetEvent(port.quitEvent.get());
        ::WaitForSingleObject(port.playThread.get(), INFINITE);
        port.playThread.reset();
    }
    port.speedStep.store(0);
    port.pacing = {};
    port.driftReset.store(0);
    port.contrastStep.store(8);
    port.brightnessStep.store(8);
    port.pendingB = 0;
    port.lastKind = 0;
    if (port.streamFlag) port.endOfFileFlag.store(1);
    port.running.store(0);
    port.lowWaterNotice.store(0);
    port.playEvent.reset();
    port.quitEvent.reset();
    EndPortSound(portNo);
    port.pacingEvent.reset();
    port.userPause.store(0);
    port.stepRequest.store(0);
    port.seekDone.store(0);
    ReleaseDisplay(port);
    return 1;
}

int WINAPI RE4Ravi_Pause(int portNo, int pause) {
    if (!ValidPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    PortLock lock(portNo);
    port.userPause.store(pause);
    port.soundPause.store(pause);
    if (pause) {
        StopPortSound(portNo);
    } else {
        port.driftReset.store(1);
        ResumePortSound(portNo);
    }
    return 1;
}

int WINAPI RE4Ravi_SetPlaySpeed(int portNo, int step) {
    if (!ValidPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    PortLock lock(portNo);
    step = ClampSpeedStep(step);
    port.speedStep.store(step);
    if (step != 0) {
        MutePortSound(portNo);
    } else {
        port.driftReset.store(1);
        MoveSoundToPlayPosition(port);
        ResumePortSound(portNo);
    }
    return 1;
}

int WINAPI RE4Ravi_Fast(int portNo) {
    if (!ValidPort(portNo)) return 0;
    return RE4Ravi_SetPlaySpeed(portNo, PortTable[portNo].speedStep.load() + 1);
}

int WINAPI RE4Ravi_Slow(int portNo) {
    if (!ValidPort(portNo)) return 0;
    return RE4Ravi_SetPlaySpeed(portNo, PortTable[portNo].speedStep.load() - 1);
}

int WINAPI RE4Ravi_OneByOne(int portNo) {
    if (!ValidPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    PortLock lock(portNo);
    StopPortSound(portNo);
    if (!port.playThread) return 0;
    port.stepRequest.store(1);
    port.userPause.store(0);
    port.soundPause.store(0);
    StepPortSound(portNo);
    return 1;
}

int WINAPI RE4Ravi_ThrowBFrameNum(int portNo, unsigned count) {
    if (!CheckPort(portNo)) return 0;
    PortTable[portNo].throwB.store(static_cast<int>(std::min(count, 2u)));
    return 1;
}

int WINAPI RE4Ravi_SetFileEndMsg(int portNo, HWND window, UINT message) {
    if (!ValidPort(portNo)) return 0;
    PortTable[portNo].endWindow.store(window);
    PortTable[portNo].endMessage.store(message);
    return 1;
}

int WINAPI RE4Ravi_SetRoundPlay(int portNo, int loop) {
    if (!ValidPort(portNo)) return 0;
    PortTable[portNo].roundPlay.store(loop);
    return 1;
}

int WINAPI RE4Ravi_SetDisplayCallBack(int portNo, DisplayCallback callback) {
    if (!ValidPort(portNo)) return 0;
    PortTable[portNo].displayCallback.store(callback);
    return callback ? 1 : 0;
}

int WINAPI QEL_DecodeOneFrame(int portNo, int length) {
    if (!ValidPort(portNo) || length == 0) return 0;
    PlayPort& port = PortTable[portNo];
    const int h = port.decoderHandle;
    dvr::decoder::GetThrowBNum(h, port.throwB.load());
    if (!dvr::decoder::DecoderOneFrame(h, length)) {
        SetPlayerError(kErrorDecode);
        return 0;
    }
    TakeDecodedPicture(port);
    return 1;
}

int WINAPI RE4Ravi_GetCurrentFrameNum(int portNo) {
    if (!ValidPort(portNo)) return 0;
    return PortTable[portNo].currentPicture;
}

float WINAPI RE4Ravi_GetPlayPos(int portNo) {
    if (!CheckPort(portNo)) return 0.0f;
    const uint32_t total = PortTable[portNo].totalPictures.load();
    if (total == 0) return 0.0f;
    return static_cast<float>(PortTable[portNo].currentPicture) / static_cast<float>(total);
}

namespace {
// 90 kHz ticks from the file's first time stamp to the last record read; 0 before the
// first record, rather than the distance back to time stamp 0.
uint32_t PlayedTicks(int portNo) {
    const PlayPort& port = PortTable[portNo];
    const uint32_t last = port.file.play.timeStamp;
    if (last == 0 || static_cast<int32_t>(last - port.firstTime) < 0) return 0;
    return last - port.firstTime;
}
} // namespace

unsigned WINAPI RE4Ravi_GetPlayedTime(int portNo) {
    if (!CheckPort(portNo)) return 0;
    return PlayedTicks(portNo) / 90000;
}

unsigned WINAPI RE4Ravi_GetPlayedTimeEx(int portNo) {
    if (!CheckPort(portNo)) return 0;
    return PlayedTicks(portNo) / 90;
}

} // extern "C"
