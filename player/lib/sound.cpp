#include "player/lib/sound.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "player/lib/play_port.h"

namespace dvr::strovid {

namespace {

constexpr int kSilenceAttenuation = DSBVOLUME_MIN;
constexpr int kChunkBytes = kSoundChunkBytes;

// One copy for every port: 8000 Hz, 16-bit mono PCM.
const WAVEFORMATEX kWaveFormat = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};

// The audio blocks of a stream port, from its audio queue.
class QueueBlocks : public SoundBlockSource {
public:
    QueueBlocks(PortSound& sound, FrameQueue* queue) : sound_(sound), queue_(queue) {}
    bool Next(SoundBlock* block) override {
        if (sound_.held.exchange(0)) {
            *block = sound_.heldBlock;
            return true;
        }
        if (!queue_) return false;
        uint8_t type = 0;
        int count = 0;
        std::memset(block->codes, 0, sizeof block->codes);
        // Every block is 120 bytes of code words; a longer payload is cut to them.
        uint32_t n =
            queue_->Pop(block->codes, sizeof block->codes, &type, &block->timeStamp, &count, true);
        return n > 0 || type != 0;
    }
    void PutBack() override {
        // Only the block just taken is ever put back.
        sound_.held.store(1);
    }
    // Remembers the block Next gave, so that PutBack can keep it.
    bool NextKept(SoundBlock* block) {
        if (!Next(block)) return false;
        sound_.heldBlock = *block;
        return true;
    }

private:
    PortSound& sound_;
    FrameQueue* queue_;
};

class KeepingSource : public SoundBlockSource {
public:
    explicit KeepingSource(QueueBlocks& q) : q_(q) {}
    bool Next(SoundBlock* block) override { return q_.NextKept(block); }
    void PutBack() override { q_.PutBack(); }

private:
    QueueBlocks& q_;
};

// The audio records of a file port, read with the port's own sound handle.
class FileBlocks : public SoundBlockSource {
public:
    explicit FileBlocks(PlayPort& p) : p_(p) {}
    bool Next(SoundBlock* block) override {
        Win32File& f = p_.soundFile;
        if (!f.IsOpen()) return false;
        const uint64_t size = f.Size();
        for (;;) {
            const uint64_t at = f.Tell();
            // A file still being written, or damaged bytes, end this chunk's sound only:
            // the next refill reads the same record again.
            auto notYet = [&f, at] {
                f.Seek(at);
                return false;
            };
            FrameHead head;
            if (f.Read(&head, sizeof head) != sizeof head) return notYet();
            if (std::memcmp(head.magic, kFrameHeadMagic, 4) != 0) return notYet();
            const uint64_t payloadAt = at + sizeof head;
            // A record whose payload reaches the end of the file ends the sound.
            if (payloadAt + head.length >= size) return notYet();
            if (head.type != kFrameAudio) {
                f.Seek(payloadAt + head.length);
                continue;
            }
            // Every block is 120 bytes of code words; a longer payload is cut to them.
            std::memset(block->codes, 0, sizeof block->codes);
            const size_t n = std::min<size_t>(head.length, sizeof block->codes);
            if (f.Read(block->codes, n) != n) return notYet();
            f.Seek(payloadAt + head.length);
            block->timeStamp = head.timeStamp;
            last_ = at;
            return true;
        }
    }
    void PutBack() override { p_.soundFile.Seek(last_); }

private:
    PlayPort& p_;
    uint64_t last_ = 0;
};

int PictureIntervalMs(const PlayPort& p) {
    int rate = p.file.head.frameRate;
    return rate > 0 ? 1000 / rate : 40;
}

SoundTiming TimingOf(const PlayPort& p) {
    SoundTiming t;
    t.kind = p.streamFlag && p.streamOpenMode != 1 ? SoundPortKind::kSharedThread
                                                   : SoundPortKind::kFileOrOwnThread;
    t.pictureIntervalMs = PictureIntervalMs(p);
    return t;
}

bool HasSound(const PlayPort& p) {
    return p.fileOpen.load() && !p.file.head.noSound;
}

void WriteSamples(PortSound& s, int at, const int16_t* samples, int bytes) {
    void* a = nullptr;
    void* b = nullptr;
    DWORD na = 0, nb = 0;
    HRESULT hr = s.buffer->Lock(at, bytes, &a, &na, &b, &nb, 0);
    if (hr == DSERR_BUFFERLOST) {
        s.buffer->Restore();
        hr = s.buffer->Lock(at, bytes, &a, &na, &b, &nb, 0);
    }
    if (FAILED(hr)) return;
    std::memcpy(a, samples, na);
    if (b) std::memcpy(b, reinterpret_cast<const uint8_t*>(samples) + na, nb);
    s.buffer->Unlock(a, na, b, nb);
}

// The caller holds the port's sound lock.
void RefillChunk(PlayPort& p) {
    PortSound& s = p.sound;
    if (!s.buffer || s.soundOff.load() || s.stopFlag.load()) return;
    // A notice raised before the buffer restarted from its start (a resume, a new speed)
    // arrives while the cursor is still in the chunk due next: that chunk holds sound not
    // yet heard. Refilling it would lose it and put every later refill one chunk late.
    DWORD playCursor = 0, writeCursor = 0;
    if (SUCCEEDED(s.buffer->GetCurrentPosition(&playCursor, &writeCursor)) &&
        playCursor >= static_cast<DWORD>(s.writePos) &&
        playCursor < static_cast<DWORD>(s.writePos + kChunkBytes - kChunkBytes / 8))
        return;
    s.buffer->SetVolume(s.mute.load() ? kSilenceAttenuation : s.volume.load());
    uint8_t codes[kSoundChunkBlocks][kSoundBlockBytes];
    QueueBlocks queue(s, p.stream.audio.get());
    KeepingSource kept(queue);
    FileBlocks file(p);
    SoundBlockSource& source = p.streamFlag ? static_cast<SoundBlockSource&>(kept) : file;
    int n = s.feed.FillChunk(source, TimingOf(p), codes);
    int16_t samples[kSoundChunkBlocks * kSoundBlockSamples];
    s.decoder.Decode(codes, n, kSoundChunkBlocks, samples);
    WriteSamples(s, s.writePos, samples, kChunkBytes);
    s.writePos = (s.writePos + kChunkBytes) % s.bufferSize;
    // An own-thread stream port asks its caller for more before the sound runs dry.
    if (p.streamFlag && p.streamOpenMode == 1 && p.stream.audio &&
        p.stream.audio->ByteTotal() < 1920 && !p.stream.lowWaterNotice.exchange(1)) {
        SourceBufCallback cb = p.stream.callback.load();
        int portNo = static_cast<int>(&p - PortTable);
        if (cb)
            cb(portNo, static_cast<unsigned>(p.stream.audio->ByteTotal()), p.userValue.load(), 0);
    }
}

// The whole buffer from where the pictures are: a file port from its own audio
// records, a stream port from its audio queue. The caller holds the sound lock.
void FillWholeBuffer(PlayPort& p) {
    PortSound& s = p.sound;
    const int blocks = s.bufferSize / (kSoundBlockSamples * 2);
    std::vector<uint8_t> codes(static_cast<size_t>(blocks) * kSoundBlockBytes);
    auto* rows = reinterpret_cast<uint8_t(*)[kSoundBlockBytes]>(codes.data());
    QueueBlocks queue(s, p.stream.audio.get());
    KeepingSource kept(queue);
    FileBlocks file(p);
    int n = 0;
    if (p.streamFlag) {
        n = s.feed.FillStart(kept, p.stream.firstTimeStamp, PictureIntervalMs(p) + 500, blocks,
                             rows);
    } else {
        const uint32_t pictures = p.recordTimeStamp ? p.recordTimeStamp : p.firstTime;
        n = s.feed.FillStart(file, pictures, PictureIntervalMs(p) + 250, blocks, rows);
    }
    std::vector<int16_t> samples(static_cast<size_t>(blocks) * kSoundBlockSamples);
    s.decoder.Decode(rows, n, blocks, samples.data());
    WriteSamples(s, 0, samples.data(), s.bufferSize);
    s.writePos = 0;
}

DWORD WINAPI SoundThread(void* arg) {
    const int port = static_cast<int>(reinterpret_cast<intptr_t>(arg));
    PlayPort& p = PortTable[port];
    PortSound& s = p.sound;
    HANDLE events[2] = {s.refillEvent.get(), s.stopEvent.get()};
    for (;;) {
        DWORD w = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (w == WAIT_FAILED || s.stopFlag.load()) break;
        // The buffer was stopped (a pause): nothing to fill.
        if (w == WAIT_OBJECT_0 + 1) continue;
        if (p.streamFlag && !p.stream.audio) continue;
        std::unique_lock<win::CriticalSection> filling(s.lock);
        if (s.feed.CountRefill()) s.feed.RequestResync(p.file.play.timeStamp);
        if (!s.mute.load()) {
            RefillChunk(p);
            if (s.stepFlag.exchange(0) && s.buffer) s.buffer->Stop();
        } else {
            filling.unlock();
            if (s.buffer) s.buffer->SetVolume(kSilenceAttenuation);
            ::Sleep(40);
        }
    }
    if (s.soundEnd) ::SetEvent(s.soundEnd.get());
    return 0;
}

// The caller holds the port lock.
void StopSoundLocked(PlayPort& p) {
    PortSound& s = p.sound;
    s.stopFlag.store(1);
    s.writePos = 0;
    if (s.thread) {
        ::SetEvent(s.stopEvent.get());
        ::WaitForSingleObject(s.thread.get(), INFINITE);
        s.thread.reset();
    }
    if (s.buffer) {
        s.buffer->Stop();
        s.buffer->SetCurrentPosition(0);
    }
    s.refillEvent.reset();
    s.stopEvent.reset();
    s.soundOff.store(1);
    s.notify.reset();
    s.buffer.reset();
    s.directSound.reset();
}

// The caller holds the port lock.
bool StartSoundLocked(int port) {
    PlayPort& p = PortTable[port];
    PortSound& s = p.sound;
    s.feed.Restart();
    s.held.store(0);
    s.stepFlag.store(0);
    s.decoder.Reset();
    if (FAILED(::DirectSoundCreate(nullptr, s.directSound.put(), nullptr))) {
        s.directSound.reset();
        SetPlayerError(kErrorDirectSound);
        return false;
    }
    HWND window = p.window ? p.window : ::GetDesktopWindow();
    s.directSound->SetCooperativeLevel(window, DSSCL_PRIORITY);
    const int chunks = p.streamFlag && p.streamOpenMode == 0 ? 2 : 4;
    s.bufferSize = chunks * kChunkBytes;
    WAVEFORMATEX format = kWaveFormat;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_CTRLVOLUME |
                   DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = static_cast<DWORD>(s.bufferSize);
    desc.lpwfxFormat = &format;
    IDirectSoundNotify* notify = nullptr;
    if (FAILED(s.directSound->CreateSoundBuffer(&desc, s.buffer.put(), nullptr)) ||
        FAILED(
            s.buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)))) {
        StopSoundLocked(p);
        return false;
    }
    s.notify.reset(notify);
    s.soundOff.store(0);
    s.stopFlag.store(0);
    {
        std::lock_guard<win::CriticalSection> filling(s.lock);
        FillWholeBuffer(p);
    }

    s.refillEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    s.stopEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    DSBPOSITIONNOTIFY marks[5];
    for (int i = 0; i < chunks; ++i) {
        marks[i].dwOffset = static_cast<DWORD>((i + 1) * kChunkBytes - 1);
        marks[i].hEventNotify = s.refillEvent.get();
    }
    marks[chunks].dwOffset = DSBPN_OFFSETSTOP;
    marks[chunks].hEventNotify = s.stopEvent.get();
    if (FAILED(s.notify->SetNotificationPositions(static_cast<DWORD>(chunks + 1), marks))) {
        StopSoundLocked(p);
        return false;
    }
    if (!s.thread)
        s.thread.reset(::CreateThread(nullptr, 0, SoundThread,
                                      reinterpret_cast<void*>(static_cast<intptr_t>(port)), 0,
                                      nullptr));
    s.buffer->SetVolume(s.mute.load() ? kSilenceAttenuation : s.volume.load());
    s.buffer->SetCurrentPosition(0);
    s.buffer->Play(0, 0, DSBPLAY_LOOPING);
    return true;
}

// Under the port's lock: the sound of this port starts.
int PlaySoundLocked(int port) {
    PlayPort& p = PortTable[port];
    if (!HasSound(p)) return 0;
    if (p.streamFlag && !p.stream.audio)
        p.stream.audio = std::make_unique<FrameQueue>(p.stream.sourceBufferSize, p.streamOpenMode);
    if (!p.streamFlag && p.soundFile.IsOpen()) p.soundFile.Seek(p.playFile.Tell());
    if (p.sound.directSound) StopSoundLocked(p);
    if (!p.sound.soundEnd) p.sound.soundEnd.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    p.sound.mute.store(0);
    if (!StartSoundLocked(port)) {
        p.sound.soundEnd.reset();
        return 0;
    }
    return p.sound.buffer ? 1 : 0;
}

} // namespace

void StopPortSound(int port) {
    PortSound& s = PortTable[port].sound;
    if (s.buffer) s.buffer->Stop();
}

void MutePortSound(int port) {
    PortTable[port].sound.mute.store(1);
    StopPortSound(port);
}

void ResumePortSound(int port) {
    PlayPort& p = PortTable[port];
    PortSound& s = p.sound;
    s.mute.store(0);
    // Not while the sound thread fills a chunk from the same feed.
    std::lock_guard<win::CriticalSection> filling(s.lock);
    if (!s.buffer) return;
    s.buffer->Stop();
    // Playing on after single steps: a step's pending stop would end the sound at the
    // first refill.
    s.stepFlag.store(0);
    s.feed.Restart();
    FillWholeBuffer(p);
    s.buffer->SetVolume(s.volume.load());
    s.buffer->SetCurrentPosition(0);
    s.buffer->Play(0, 0, DSBPLAY_LOOPING);
}

void SilencePortSound(int port) {
    PortSound& s = PortTable[port].sound;
    std::lock_guard<win::CriticalSection> filling(s.lock);
    s.writePos = 0;
    if (!s.buffer) return;
    s.buffer->Stop();
    s.buffer->SetCurrentPosition(0);
    std::vector<int16_t> silence(static_cast<size_t>(s.bufferSize) / 2, 0);
    WriteSamples(s, 0, silence.data(), s.bufferSize);
}

void MarkSoundResync(int port) {
    PortSound& s = PortTable[port].sound;
    std::lock_guard<win::CriticalSection> filling(s.lock);
    s.feed.Restart();
    s.held.store(0);
    s.writePos = 0;
}

void StepPortSound(int port) {
    PortTable[port].sound.stepFlag.store(1);
}

void EndPortSound(int port) {
    PlayPort& p = PortTable[port];
    if (p.sound.directSound || p.sound.thread) StopSoundLocked(p);
}

} // namespace dvr::strovid

using namespace dvr::strovid;

int WINAPI RE4Ravi_PlaySound(int port) {
    if (!CheckPort(port)) return 0;
    // One port plays sound at a time.
    for (int i = 0; i < kPortCount; ++i) {
        PortLock lock(i);
        if (PortTable[i].sound.directSound) StopSoundLocked(PortTable[i]);
    }
    PortLock lock(port);
    return PlaySoundLocked(port);
}

int WINAPI RE4Ravi_PlaySoundShare(int port) {
    if (!CheckPort(port)) return 0;
    PortLock lock(port);
    PlaySoundLocked(port);
    return 1;
}

int WINAPI RE4Ravi_StopSound() {
    for (int i = 0; i < kPortCount; ++i) {
        PortLock lock(i);
        PlayPort& p = PortTable[i];
        if (!p.file.head.noSound && p.sound.directSound) StopSoundLocked(p);
        p.sound.mute.store(1);
    }
    return 1;
}

int WINAPI RE4Ravi_StopSoundShare(int port) {
    if (!CheckPort(port)) return 0;
    PortLock lock(port);
    PlayPort& p = PortTable[port];
    if (!p.running.load()) {
        SetPlayerError(kErrorIndexIncomplete);
        return 0;
    }
    if (!p.file.head.noSound && p.sound.directSound) StopSoundLocked(p);
    return 1;
}

int WINAPI RE4Ravi_SetVolume(int port, unsigned volume) {
    if (!ValidPort(port)) return 0;
    PortTable[port].sound.volume.store(SoundAttenuation(static_cast<int>(volume)));
    return 1;
}

int WINAPI RE4Ravi_GetVolume(int port) {
    if (!CheckPort(port)) return 0;
    return static_cast<int16_t>(PortTable[port].sound.volume.load());
}
