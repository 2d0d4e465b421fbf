// The threads that play stream ports: the shared thread serving every port not in
// open mode 1 in 20 ms passes, and the record source of ports with their own thread
// (which run the play thread of file ports).
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"
#include "player/lib/stream_mode.h"
#include "player/lib/stream_rules.h"

namespace dvr::strovid {

namespace {

constexpr DWORD kPassMs = 20;
// Helpers that serve a pass's ports beside the shared thread: sixteen D1 channels at
// 25 pictures a second are more decoding and drawing than one core does.
constexpr int kMaxPassHelpers = 3;

// One pass's ports, handed out one at a time to the shared thread and its helpers. A
// port is served by one thread per pass and the pass ends when every port is served,
// so each port's pictures still come one after the other, in order.
struct PassWork {
    std::mutex lock;
    std::condition_variable start;
    std::condition_variable done;
    uint64_t generation = 0;
    bool quit = false;
    int busy = 0;
    int ports[kPortCount]{};
    int count = 0;
    std::atomic<int> next{0};
};

// The shared thread's state, library-wide.
struct SharedStreamState {
    std::mutex control; // starting and stopping ports
    win::Thread thread;
    win::Handle quit;
    std::atomic<int> membership[kPortCount]{}; // 0 not served, 1 served, -1 leaving
    win::Handle handshake[kPortCount];
    int pendingB[kPortCount]{};
    int dropCount[kPortCount]{};
    int started[kPortCount]{};
    int alternate[kPortCount]{};
    std::atomic<int> lastQueued{0}; // at the most recent pop, whichever port it was for
    PassWork pass;
};
SharedStreamState SharedStream;

void CallSourceCallback(int portNo, unsigned bytes) {
    PlayPort& p = PortTable[portNo];
    if (SourceBufCallback cb = p.stream.callback.load()) cb(portNo, bytes, p.userValue.load(), 0);
}

// Shows the decoder's next picture in the port's window.
void ShowSharedPicture(int portNo, int dropCount) {
    PlayPort& p = PortTable[portNo];
    // The decoder hands out a packed record's pictures by the drop count it split with.
    decoder::GetThrowBNum(p.decoderHandle, dropCount);
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
uint32_t PopStreamRecord(PlayPort& p, uint8_t* type, uint32_t* timeStamp, int* queued) {
    if (!p.stream.video || !p.file.decoderInput) return 0;
    return p.stream.video->Pop(p.file.decoderInput, kDecoderInputSize, type, timeStamp, queued,
                               true);
}

void ServePort(int portNo) {
    PlayPort& p = PortTable[portNo];
    SharedStreamState& st = SharedStream;
    if (st.pendingB[portNo] > 0 && st.started[portNo]) {
        if (!st.alternate[portNo] && st.lastQueued.load(std::memory_order_relaxed) < 3) {
            st.alternate[portNo] = 1;
            return;
        }
        st.alternate[portNo] = 0;
        --st.pendingB[portNo];
        ShowSharedPicture(portNo, st.dropCount[portNo]);
        return;
    }
    uint8_t type = 0;
    uint32_t ts = 0;
    int queued = 0;
    const uint32_t n = PopStreamRecord(p, &type, &ts, &queued);
    st.lastQueued.store(queued, std::memory_order_relaxed);
    const SharedLoad load = SharedLoadFor(queued, p.throwB.load());
    if (load.flush) {
        if (p.stream.video) p.stream.video->Clear();
        st.started[portNo] = 0;
    }
    int drop = load.dropCount;
    if (n == 0) return;
    if (!st.started[portNo] && type == kFrameKey) p.stream.firstTimeStamp = ts;
    p.file.play.timeStamp = ts;
    decoder::SetPostProcess(p.decoderHandle, p.pictureQuality.load());
    decoder::SetContrast(p.decoderHandle, p.contrastStep.load());
    decoder::SetBright(p.decoderHandle, p.brightnessStep.load());
    if (type == kFramePB) {
        drop = std::min(drop, 1);
        p.currentPicture += 2;
    } else if (type == kFramePBB) {
        p.currentPicture += 3;
    } else if (type == kFrameKey) {
        st.started[portNo] = 1;
    }
    st.dropCount[portNo] = drop;
    if (!st.started[portNo]) return;
    st.pendingB[portNo] = PendingBPictures(type, drop);
    // The decoder splits a packed record by its packing and the drop count: the pictures
    // it keeps come out in display order, the P picture last.
    decoder::SetBFrameType(p.decoderHandle, std::max(0, PicturesInRecord(type) - 1));
    decoder::GetThrowBNum(p.decoderHandle, drop);
    if (!decoder::DecoderOneFrame(p.decoderHandle, static_cast<int>(n))) {
        SetPlayerError(kErrorDecode);
        st.pendingB[portNo] = 0;
        return;
    }
    ShowSharedPicture(portNo, drop);
}

void ServePassPorts(PassWork& w) {
    for (int k = w.next.fetch_add(1); k < w.count; k = w.next.fetch_add(1))
        ServePort(w.ports[k]);
}

DWORD WINAPI PassHelperThread(LPVOID) {
    PassWork& w = SharedStream.pass;
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(w.lock);
    for (;;) {
        w.start.wait(lock, [&] { return w.quit || w.generation != seen; });
        if (w.quit) return 0;
        seen = w.generation;
        lock.unlock();
        ServePassPorts(w);
        lock.lock();
        if (--w.busy == 0) w.done.notify_one();
    }
}

int PassHelperCount() {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return std::clamp(static_cast<int>(info.dwNumberOfProcessors) - 1, 0, kMaxPassHelpers);
}

// Serves the ports of one pass, on the helpers too when there are several ports.
void ServePass(const std::vector<win::Thread>& helpers) {
    PassWork& w = SharedStream.pass;
    w.next.store(0);
    if (helpers.empty() || w.count < 2) {
        ServePassPorts(w);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(w.lock);
        w.busy = static_cast<int>(helpers.size());
        ++w.generation;
    }
    w.start.notify_all();
    ServePassPorts(w);
    std::unique_lock<std::mutex> lock(w.lock);
    w.done.wait(lock, [&] { return w.busy == 0; });
}

DWORD WINAPI SharedStreamPlayThread(LPVOID) {
    SharedStreamState& st = SharedStream;
    PassWork& w = st.pass;
    {
        // The helpers of an earlier run have ended: this run's count their passes from 0.
        std::lock_guard<std::mutex> lock(w.lock);
        w.quit = false;
        w.generation = 0;
        w.busy = 0;
    }
    std::vector<win::Thread> helpers;
    for (int i = PassHelperCount(); i > 0; --i) {
        win::Thread t(::CreateThread(nullptr, 0, PassHelperThread, nullptr, 0, nullptr));
        if (t) helpers.push_back(std::move(t));
    }
    LARGE_INTEGER freq, passStart, now;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&passStart);
    int64_t carryMs = 0;
    for (;;) {
        if (::WaitForSingleObject(st.quit.get(), 0) == WAIT_OBJECT_0) break;
        // A leaving port is let go only between passes, when no thread serves it.
        w.count = 0;
        for (int i = 0; i < kPortCount; ++i) {
            const int m = st.membership[i].load();
            if (m == -1) {
                st.membership[i].store(0);
                st.pendingB[i] = 0;
                st.started[i] = 0;
                ::ReleaseSemaphore(st.handshake[i].get(), 1, nullptr);
            } else if (m == 1) {
                w.ports[w.count++] = i;
            }
        }
        ServePass(helpers);
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
    {
        std::lock_guard<std::mutex> lock(w.lock);
        w.quit = true;
    }
    w.start.notify_all();
    for (const auto& t : helpers)
        ::WaitForSingleObject(t.get(), INFINITE);
    return 0;
}

} // namespace

int StartStreamPlaying(int portNo) {
    PlayPort& p = PortTable[portNo];
    StartStreamBuffer(portNo);
    // A notice from an earlier run must not hold back this one's.
    p.stream.lowWaterNotice.store(0);
    p.stream.emptyNoticed = 0;
    SharedStreamState& st = SharedStream;
    // Ports start and stop under their own locks: whether the thread starts or ends is
    // decided under one lock for all of them.
    std::lock_guard<std::mutex> control(st.control);
    if (st.membership[portNo].load() == 1) return 1;
    st.handshake[portNo].reset(::CreateSemaphoreW(nullptr, 0, 1, nullptr));
    if (!st.handshake[portNo]) return 0;
    if (!st.thread) {
        st.quit.reset(::CreateSemaphoreW(nullptr, 0, 1, nullptr));
        st.thread.reset(::CreateThread(nullptr, 0, SharedStreamPlayThread, nullptr, 0, nullptr));
        if (!st.thread) {
            st.quit.reset();
            return 0;
        }
    }
    st.pendingB[portNo] = 0;
    st.dropCount[portNo] = p.throwB.load();
    st.membership[portNo].store(1);
    return 1;
}

void StopStreamPlaying(int portNo) {
    SharedStreamState& st = SharedStream;
    std::lock_guard<std::mutex> control(st.control);
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

int SharedStreamThreadsAtMost() { return 1 + PassHelperCount(); }

bool SharedStreamThreadRunning() {
    std::lock_guard<std::mutex> control(SharedStream.control);
    return static_cast<bool>(SharedStream.thread);
}

bool OwnStreamCycleReady(int portNo) {
    PlayPort& p = PortTable[portNo];
    PortStream& s = p.stream;
    if (!s.video || p.endOfFileFlag.load()) {
        s.lowWaterNotice.store(0);
        return false;
    }
    const size_t total = s.video->ByteTotal();
    if (total < s.threshold.load() && !s.lowWaterNotice.load() && !p.userPause.load()) {
        s.lowWaterNotice.store(1);
        CallSourceCallback(portNo, static_cast<unsigned>(total));
    }
    return true;
}

int PopOwnStreamRecord(int portNo) {
    PlayPort& p = PortTable[portNo];
    PortStream& s = p.stream;
    uint8_t type = 0;
    uint32_t ts = 0;
    int queued = 0;
    const uint32_t n = PopStreamRecord(p, &type, &ts, &queued);
    const int kind = n ? RecordKind(type) : 1;
    if (kind == 1) {
        // Once per run-dry, after playing has got going.
        if (p.currentPicture > 1 && s.lowWaterNotice.load() && !s.emptyNoticed) {
            s.emptyNoticed = 1;
            CallSourceCallback(portNo, 0);
        }
        return kind;
    }
    s.emptyNoticed = 0;
    if (p.currentPicture == 0) s.firstTimeStamp = ts;
    p.file.play.type = type;
    p.file.play.timeStamp = ts;
    p.file.play.length = n;
    return kind;
}

} // namespace dvr::strovid
