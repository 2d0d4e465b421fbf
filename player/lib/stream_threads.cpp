// The threads that play stream ports: an own thread per port paced by time stamps, or
// one shared thread serving all other stream ports in 20 ms passes.
#include <algorithm>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"
#include "player/lib/stream_mode.h"
#include "player/lib/stream_rules.h"

namespace dvr::strovid {

namespace {

constexpr DWORD kPassMs = 20;

// The shared thread's state, library-wide.
struct SharedStreamState {
    win::Thread thread;
    win::Handle quit;
    std::atomic<int> membership[kPortCount]{}; // 0 not served, 1 served, -1 leaving
    win::Handle handshake[kPortCount];
    int pendingB[kPortCount]{};
    int dropCount[kPortCount]{};
    int started[kPortCount]{};
    int alternate[kPortCount]{};
    int lastQueued = 0; // at the most recent pop, whichever port it was for
};
SharedStreamState SharedStream;

void CallSourceCallback(int portNo, unsigned bytes) {
    PlayPort& p = PortTable[portNo];
    if (SourceBufCallback cb = p.stream.callback.load()) cb(portNo, bytes, p.userValue.load(), 0);
}

// Shows the decoder's next picture in the port's window.
void ShowPicture(int portNo) {
    PlayPort& p = PortTable[portNo];
    p.currentPicturePtr = decoder::GetYUV(p.decoderHandle);
    if (p.rgbOutputFlag) decoder::TransYUVtoRGB(p.decoderHandle);
    p.lastShownPicture = p.currentPicturePtr;
    decoder::GetWH(p.decoderHandle, &p.pictureWidth, &p.pictureHeight);
    p.file.endOfFile = 0;
    if (DisplayCallback cb = p.displayCallback.load())
        cb(portNo, p.currentPicturePtr, p.pictureWidth * p.pictureHeight * 3 / 2, p.pictureWidth,
           p.pictureHeight, p.file.play.timeStamp, 3, 0);
    if (p.window && ::IsWindowVisible(p.window)) {
        const Rect& r = p.sourceRect;
        RE4Ravi_DirectDraw(portNo, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr);
    }
}

// Pops the next video record into the decoder input; 0 bytes when the queue is empty.
uint32_t PopRecord(PlayPort& p, uint8_t* type, uint32_t* timeStamp, int* queued) {
    if (!p.stream.video || !p.file.decoderInput) return 0;
    return p.stream.video->Pop(p.file.decoderInput, kDecoderInputSize, type, timeStamp, queued,
                               true);
}

void PrepareDecode(PlayPort& p) {
    decoder::SetPostProcess(p.decoderHandle, p.pictureQuality.load());
    decoder::SetContrast(p.decoderHandle, p.contrastStep.load());
    decoder::SetBright(p.decoderHandle, p.brightnessStep.load());
}

DWORD WINAPI StreamPlayThread(LPVOID arg) {
    const int portNo = static_cast<int>(reinterpret_cast<intptr_t>(arg));
    PlayPort& p = PortTable[portNo];
    PortStream& s = p.stream;
    int pictures = 0;
    bool keySeen = false;
    bool emptyNoticed = false;
    uint32_t prevTime = 0;
    int prevInterval = 40;
    while (::WaitForSingleObject(s.quit.get(), 0) != WAIT_OBJECT_0) {
        // A paused port keeps its queue and its picture.
        if (p.userPause.load()) {
            ::Sleep(40);
            continue;
        }
        if (!s.video || s.ended.load()) {
            s.lowWaterNotice.store(0);
            ::Sleep(40);
            continue;
        }
        const size_t total = s.video->ByteTotal();
        if (total < s.threshold.load() && !s.lowWaterNotice.exchange(1))
            CallSourceCallback(portNo, static_cast<unsigned>(total));
        uint8_t type = 0;
        uint32_t ts = 0;
        int queued = 0;
        const uint32_t n = PopRecord(p, &type, &ts, &queued);
        const int kind = n ? RecordKind(type) : 1;
        if (kind == 1) {
            // Once per run-dry, after playing has got going.
            if (pictures > 1 && s.lowWaterNotice.load() && !emptyNoticed) {
                emptyNoticed = true;
                CallSourceCallback(portNo, 0);
            }
            ::Sleep(40);
            continue;
        }
        emptyNoticed = false;
        if (pictures == 0) s.firstTimeStamp = ts;
        // The sound follows the record the pictures are at.
        p.file.play.timeStamp = ts;
        if (!keySeen && kind != 3) continue;
        keySeen = true;
        const int drop = s.bDrop.load();
        const int pending = PendingBPictures(type, drop);
        PrepareDecode(p);
        decoder::SetBFrameType(p.decoderHandle, std::max(0, PicturesInRecord(type) - 1));
        if (!decoder::DecoderOneFrame(p.decoderHandle, static_cast<int>(n))) {
            ::Sleep(40);
            continue;
        }
        const int shown = 1 + pending;
        // The record's interval, shared by its pictures; a jump keeps the last one.
        int interval = pictures ? static_cast<int32_t>(ts - prevTime) / 90 : prevInterval;
        if (interval < -4000 || interval > 4000 || interval <= 0) interval = prevInterval;
        prevInterval = interval;
        prevTime = ts;
        for (int i = 0; i < shown; ++i) {
            const DWORD start = ::GetTickCount();
            ShowPicture(portNo);
            ++pictures;
            p.currentPicture += 1;
            const int each = interval / shown;
            const int spent = static_cast<int>(::GetTickCount() - start);
            if (each > spent &&
                ::WaitForSingleObject(s.quit.get(), static_cast<DWORD>(each - spent)) ==
                    WAIT_OBJECT_0)
                return 0;
        }
    }
    return 0;
}

void ServePort(int portNo) {
    PlayPort& p = PortTable[portNo];
    SharedStreamState& st = SharedStream;
    const int bSetting = p.stream.bDrop.load();
    if (st.pendingB[portNo] > 0 && st.started[portNo]) {
        if (!st.alternate[portNo] && st.lastQueued < 3) {
            st.alternate[portNo] = 1;
            return;
        }
        st.alternate[portNo] = 0;
        --st.pendingB[portNo];
        ShowPicture(portNo);
        return;
    }
    uint8_t type = 0;
    uint32_t ts = 0;
    int queued = 0;
    const uint32_t n = PopRecord(p, &type, &ts, &queued);
    st.lastQueued = queued;
    SharedLoad load = SharedLoadFor(queued, bSetting);
    if (load.flush) {
        if (p.stream.video) p.stream.video->Clear();
        st.started[portNo] = 0;
    }
    st.dropCount[portNo] = load.dropCount;
    if (n == 0) return;
    if (!st.started[portNo] && type == kFrameKey) p.stream.firstTimeStamp = ts;
    p.file.play.timeStamp = ts;
    PrepareDecode(p);
    if (type == kFramePB) {
        p.stream.bDrop.store(std::min(bSetting, 1));
        p.currentPicture += 2;
    } else if (type == kFramePBB) {
        p.currentPicture += 3;
    } else if (type == kFrameKey) {
        st.started[portNo] = 1;
    }
    if (!st.started[portNo]) return;
    const int pending = PendingBPictures(type, st.dropCount[portNo]);
    st.pendingB[portNo] = pending;
    decoder::SetBFrameType(p.decoderHandle, std::max(0, PicturesInRecord(type) - 1));
    if (!decoder::DecoderOneFrame(p.decoderHandle, static_cast<int>(n))) {
        st.pendingB[portNo] = 0;
        return;
    }
    ShowPicture(portNo);
}

DWORD WINAPI SharedStreamPlayThread(LPVOID) {
    SharedStreamState& st = SharedStream;
    LARGE_INTEGER freq, passStart, now;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&passStart);
    int64_t carryMs = 0;
    for (;;) {
        if (::WaitForSingleObject(st.quit.get(), 0) == WAIT_OBJECT_0) break;
        for (int i = 0; i < kPortCount; ++i) {
            const int m = st.membership[i].load();
            if (m == -1) {
                st.membership[i].store(0);
                st.pendingB[i] = 0;
                st.started[i] = 0;
                ::ReleaseSemaphore(st.handshake[i].get(), 1, nullptr);
            } else if (m == 1) {
                ServePort(i);
            }
        }
        ::QueryPerformanceCounter(&now);
        const int64_t spent = (now.QuadPart - passStart.QuadPart) * 1000 / freq.QuadPart + carryMs;
        if (spent < static_cast<int64_t>(kPassMs)) {
            ::Sleep(static_cast<DWORD>(kPassMs - spent));
            carryMs = 0;
        } else {
            carryMs = spent - kPassMs;
        }
        ::QueryPerformanceCounter(&passStart);
    }
    return 0;
}

} // namespace

int StartStreamPlaying(int portNo) {
    PlayPort& p = PortTable[portNo];
    StartStreamBuffer(portNo);
    PortStream& s = p.stream;
    s.ended.store(0);
    // A notice from an earlier run must not hold back this one's.
    s.lowWaterNotice.store(0);
    if (p.streamOpenMode == 1) {
        if (s.thread) return 1;
        s.quit.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        s.thread.reset(::CreateThread(nullptr, 0, StreamPlayThread,
                                      reinterpret_cast<LPVOID>(intptr_t{portNo}), 0, nullptr));
        return s.thread ? 1 : 0;
    }
    SharedStreamState& st = SharedStream;
    if (st.membership[portNo].load() == 1) return 1;
    st.handshake[portNo].reset(::CreateSemaphoreW(nullptr, 0, 1, nullptr));
    if (!st.thread) {
        st.quit.reset(::CreateSemaphoreW(nullptr, 0, 1, nullptr));
        st.thread.reset(::CreateThread(nullptr, 0, SharedStreamPlayThread, nullptr, 0, nullptr));
        if (!st.thread) return 0;
    }
    st.pendingB[portNo] = 0;
    st.dropCount[portNo] = s.bDrop.load();
    st.membership[portNo].store(1);
    return 1;
}

void StopStreamPlaying(int portNo) {
    PlayPort& p = PortTable[portNo];
    PortStream& s = p.stream;
    s.ended.store(1);
    if (s.thread) {
        ::SetEvent(s.quit.get());
        ::WaitForSingleObject(s.thread.get(), INFINITE);
        s.thread.reset();
        s.quit.reset();
    }
    SharedStreamState& st = SharedStream;
    if (st.membership[portNo].load() == 1) {
        st.membership[portNo].store(-1);
        ::WaitForSingleObject(st.handshake[portNo].get(), INFINITE);
        st.handshake[portNo].reset();
    }
    bool anyMember = false;
    for (const auto& m : st.membership)
        anyMember |= m.load() != 0;
    if (!anyMember && st.thread) {
        ::ReleaseSemaphore(st.quit.get(), 1, nullptr);
        ::WaitForSingleObject(st.thread.get(), INFINITE);
        st.thread.reset();
        st.quit.reset();
    }
}

bool SharedStreamThreadRunning() {
    return static_cast<bool>(SharedStream.thread);
}

} // namespace dvr::strovid
