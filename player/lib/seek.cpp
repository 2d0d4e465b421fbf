// Seeking a file port by fraction, picture number or time, and stepping back one
// picture: from the nearest key frame before the target, decoding forward to it.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "player/decoder/decoder.h"
#include "player/lib/play_control.h"
#include "player/lib/play_port.h"
#include "player/lib/sound.h"

namespace dvr::strovid {
namespace {

int PackedB(int kind) {
    return kind == kRecordPB ? 1 : kind == kRecordPBB ? 2 : 0;
}

// The next video record, audio and empty headers skipped; its kind, or kRecordEnd.
int ReadVideoRecord(PlayPort& port) {
    for (;;) {
        const int kind = dvr::ReadOneFrameEx(&port.file, 1, &port.playFile);
        if (kind != kRecordAudio && kind != 0) return kind;
    }
}

// Reads and decodes one record, the decoder told its packing; false at the end.
bool DecodeNextRecord(int portNo) {
    PlayPort& port = PortTable[portNo];
    const int kind = ReadVideoRecord(port);
    if (kind == kRecordEnd) return false;
    const int packed = PackedB(kind);
    decoder::SetBFrameType(port.decoderHandle, packed);
    port.pendingB = packed;
    port.lastKind = kind;
    QEL_DecodeOneFrame(portNo, static_cast<int>(port.file.play.length));
    return true;
}

// One picture forward from where the decoder is; false at the end of the file.
bool ProducePicture(int portNo) {
    PlayPort& port = PortTable[portNo];
    if (port.pendingB > 0) {
        TakeDecodedPicture(port);
        --port.pendingB;
        return true;
    }
    return DecodeNextRecord(portNo);
}

void MoveTo(PlayPort& port, const KeyFrameEntry& e) {
    port.playFile.Seek(e.filePos);
    if (port.soundFile.IsOpen()) port.soundFile.Seek(e.filePos);
    port.pendingB = 0;
    port.lastKind = 0;
}

// The key frame a failed lookup falls back to: the first or the last, whichever is
// nearer (the first on a tie).
int NearerEnd(const KeyFrameIndex& index, uint32_t key, int mode) {
    const int64_t first = index.Key(0, mode);
    const int64_t last = index.Key(index.count - 1, mode);
    return std::llabs(int64_t{key} - first) <= std::llabs(last - int64_t{key}) ? 0
                                                                               : index.count - 1;
}

// Hands the port back to its play thread, which decodes and shows the next picture.
void FinishSeek(int portNo) {
    PlayPort& port = PortTable[portNo];
    port.seekDone.store(1);
    port.seekInProgress.store(0);
    if (port.soundFile.IsOpen()) {
        MoveSoundToPlayPosition(port);
        ResumePortSound(portNo);
    }
    port.driftReset.store(1);
}

// mode kLookupPicture: target is a picture number; kLookupTime: 90 kHz ticks.
int Seek(int portNo, uint32_t target, int mode) {
    PlayPort& port = PortTable[portNo];
    if (!port.indexComplete.load(std::memory_order_acquire)) {
        SetPlayerError(kErrorIndexIncomplete);
        return 0;
    }
    const KeyFrameIndex& index = port.keyFrames;
    const bool byPicture = mode == kLookupPicture;
    const uint32_t total = port.totalPictures.load();
    if (byPicture && target > total) target = total;
    port.seekInProgress.store(1);
    SilencePortSound(portNo);
    std::lock_guard<win::CriticalSection> decoding(port.decodeLock);
    if (index.count == 0) {
        FinishSeek(portNo);
        return 1;
    }
    decoder::GetThrowBNum(port.decoderHandle, 0);
    int i = index.count - 1;
    const bool found = (byPicture && target == total) || KeyFrameLookup(index, target, mode, &i);
    if (!found) {
        const int e = NearerEnd(index, target, mode);
        MoveTo(port, index.entries[e]);
        port.currentPicture = static_cast<int>(index.entries[e].picture);
        port.pacing.prevTimeStamp = port.firstTime + index.entries[e].timeOffset;
        port.keyFramesPassed = e;
        FinishSeek(portNo);
        return 1;
    }
    port.keyFramesPassed = i;
    while (i > 0 && index.Key(i, mode) > target)
        --i;
    i = std::clamp(i, 0, index.count - 1);
    const KeyFrameEntry& key = index.entries[i];
    MoveTo(port, key);
    if (byPicture) {
        // A B picture still pending is the wanted one: the play thread takes it.
        for (uint32_t p = key.picture; p + 1 < target; ++p)
            if (!ProducePicture(portNo)) break;
        port.currentPicture = target ? static_cast<int>(target) - 1 : 0;
    } else {
        // Counted from the key frame, not from where the reader was before.
        port.file.play.timeStamp = port.firstTime + key.timeOffset;
        int k = 0;
        while (port.file.play.timeStamp - port.firstTime < target && ProducePicture(portNo))
            ++k;
        port.currentPicture = static_cast<int>(key.picture) + k;
    }
    port.lastShownPicture = port.currentPicturePtr;
    port.pacing.prevTimeStamp = port.file.play.timeStamp;
    FinishSeek(portNo);
    return 1;
}

int StepBack(int portNo) {
    PlayPort& port = PortTable[portNo];
    // Without the index there is no key frame to go back to.
    if (!port.indexComplete.load(std::memory_order_acquire) || port.keyFrames.count == 0) {
        SetPlayerError(kErrorIndexIncomplete);
        return 0;
    }
    const KeyFrameIndex& index = port.keyFrames;
    port.userPause.store(1);
    port.seekInProgress.store(1);
    std::lock_guard<win::CriticalSection> decoding(port.decodeLock);
    const int h = port.decoderHandle;
    decoder::GetThrowBNum(h, 0);
    const uint32_t target = port.currentPicture > 1 ? port.currentPicture - 1 : 0;
    port.currentPicture = static_cast<int>(target);

    int e = std::clamp(port.keyFramesPassed, 0, index.count - 1);
    bool onKeyFrame;
    const bool inInterval = index.entries[e].picture <= target &&
                            (e + 1 >= index.count || target < index.entries[e + 1].picture);
    if (inInterval) {
        onKeyFrame = index.entries[e].picture == target;
    } else {
        if (!KeyFrameLookup(index, target, kLookupPicture, &e)) e = 0;
        while (e > 0 && index.entries[e].picture > target)
            --e;
        e = std::clamp(e, 0, index.count - 1);
        onKeyFrame =
            target - index.entries[e].picture <= 1 || index.entries[e].picture - target <= 1;
    }
    port.seekDone.store(onKeyFrame ? 1 : 0);
    const KeyFrameEntry& key = index.entries[e];
    MoveTo(port, key);

    bool lastDecoded = true;
    for (uint32_t p = key.picture; p < target; ++p) {
        if (port.pendingB > 0) {
            --port.pendingB;
            continue;
        }
        const int kind = ReadVideoRecord(port);
        if (kind == kRecordEnd) break;
        const int packed = PackedB(kind);
        decoder::SetBFrameType(h, packed);
        port.pendingB = packed;
        port.lastKind = kind;
        lastDecoded = packed == 0 || p + packed + 1 < target;
        if (!lastDecoded) continue;
        QEL_DecodeOneFrame(portNo, static_cast<int>(port.file.play.length));
        // All of a packed record's pictures are taken, so that its P picture becomes
        // the reference for the records after it.
        for (int more = 0; more < packed; ++more)
            TakeDecodedPicture(port);
    }
    if (!lastDecoded) {
        const int packed = PackedB(port.lastKind);
        QEL_DecodeOneFrame(portNo, static_cast<int>(port.file.play.length));
        for (int more = 1; more < packed + 1 - port.pendingB; ++more)
            TakeDecodedPicture(port);
    }
    port.lastShownPicture = port.currentPicturePtr;
    if (onKeyFrame) port.currentPicture = target <= 1 ? 0 : static_cast<int>(target) - 1;
    port.keyFramesPassed = e;
    port.pacing.prevTimeStamp = port.file.play.timeStamp;
    MoveSoundToPlayPosition(port);
    MarkSoundResync(portNo);
    port.seekInProgress.store(0);
    return 1;
}

} // namespace
} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI RE4Ravi_SetCurrentFrameNum(int portNo, unsigned picture) {
    if (!CheckPort(portNo)) return 0;
    return Seek(portNo, picture, kLookupPicture);
}

int WINAPI RE4Ravi_SetPlayPos(int portNo, float fraction) {
    if (!CheckPort(portNo)) return 0;
    if (!(fraction >= 0.0f)) {
        SetPlayerError(kErrorBadPort);
        return 0;
    }
    PortLock lock(portNo);
    const uint32_t total = PortTable[portNo].totalPictures.load();
    uint32_t picture;
    if (fraction == 1.0f)
        picture = total;
    else if (fraction <= 0.000001f)
        picture = 0;
    else
        picture = static_cast<uint32_t>(std::min(1.0, double{fraction}) * total);
    Seek(portNo, picture, kLookupPicture);
    return 1;
}

int WINAPI RE4Ravi_SetPlayedTimeEx(int portNo, unsigned ms) {
    if (!CheckPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    // Until the index is there, but not past a file whose index can never complete.
    while (!port.indexComplete.load() && port.fileOpen.load() &&
           ::WaitForSingleObject(port.indexDone.get(), 0) != WAIT_OBJECT_0)
        ::Sleep(40);
    PortLock lock(portNo);
    return Seek(portNo, static_cast<uint32_t>(std::min<uint64_t>(uint64_t{ms} * 90, UINT32_MAX)),
                kLookupTime);
}

int WINAPI RE4Ravi_OneByOneBack(int portNo) {
    if (!CheckPort(portNo)) return 0;
    return StepBack(portNo);
}

} // extern "C"
