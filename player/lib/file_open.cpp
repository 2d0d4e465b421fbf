// Recording files on a port: opening, the key-frame index thread, the file queries
// and closing.
#include <windows.h>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {
namespace {

DWORD WINAPI KeyFrameIndexThread(LPVOID arg) {
    const int portNo = static_cast<int>(reinterpret_cast<intptr_t>(arg));
    PlayPort& port = PortTable[portNo];
    port.indexComplete.store(0);
    HANDLE stop = port.indexStop.get();
    IndexWalk walk =
        BuildKeyFrameIndex(&port.file, port.indexFile, port.file.fileSize, &port.keyFrames,
                           [stop] { return ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; });

    port.firstFrameNumber = walk.firstFrameNumber;
    port.firstTime = walk.firstTime;
    port.lastTime = walk.lastTime;
    port.totalPictures.store(walk.pictures);
    port.totalSeconds.store((walk.lastTime - walk.firstTime) / kTicksPerSecond);
    port.file.endOfFile = 0;
    port.indexFile.Close();
    if (walk.complete) port.indexComplete.store(1, std::memory_order_release);
    FileRefCallback callback = port.fileRefCallback.load();
    if (walk.complete && callback) callback(portNo, port.userValue.load());
    ::SetEvent(port.indexDone.get());
    return 0;
}

bool OpenDecoder(PlayPort& port, int width, int height) {
    uint8_t* input = nullptr;
    uint8_t* rgb = nullptr;
    int handle = decoder::InitDecoder(&input, &rgb, width, height);
    if (handle == 0) {
        SetPlayerError(kErrorNoDecoder);
        return false;
    }
    port.decoderHandle = handle;
    port.file.decoderInput = input;
    port.rgbOutput = rgb;
    return true;
}

void FreePortDecoder(PlayPort& port) {
    if (port.decoderHandle != 0) decoder::FreeDecoder(port.decoderHandle);
    port.decoderHandle = 0;
    port.file.decoderInput = nullptr;
    port.rgbOutput = nullptr;
}

// Everything of an open file, undone; the caller holds the port lock.
void CloseFileLocked(PlayPort& port) {
    port.currentPicture = 0;
    port.rgbOutputFlag = 0;
    if (port.indexThread) {
        ::SetEvent(port.indexStop.get());
        ::WaitForSingleObject(port.indexDone.get(), INFINITE);
        // The thread only returns after the done event; wait for that too so that
        // nothing of it outlives the port's next use.
        ::WaitForSingleObject(port.indexThread.get(), INFINITE);
        port.indexThread.reset();
        port.indexStop.reset();
        port.indexDone.reset();
    }
    port.indexComplete.store(0);
    port.keyFrames.cursor = 0;
    port.keyFrames.keyFramesSeen = 0;
    ReleaseDisplay(port);
    port.window = nullptr;
    port.fileOpen.store(0);
    port.playFile.Close();
    port.soundFile.Close();
    port.indexFile.Close();
    FreePortDecoder(port);
    port.currentPicturePtr = nullptr;
    port.lastShownPicture = nullptr;
    port.drawDibFlag = 0;
    port.file.fileSize = 0;
}

int OpenFileLocked(int portNo, const char* path) {
    PlayPort& port = PortTable[portNo];
    // A second open on an open port would leave the first file's decoder instance
    // and index thread behind.
    CloseFileLocked(port);
    if (!path || !port.playFile.Open(path)) return 0;
    port.indexFile.Open(path);
    if (!OpenRecordFile(&port.file, port.playFile) || !port.indexFile.IsOpen()) {
        port.playFile.Close();
        port.indexFile.Close();
        return 0;
    }
    // Pictures are always decoded at full size, whatever the header says.
    if (!OpenDecoder(port, 720, 576)) {
        port.playFile.Close();
        port.indexFile.Close();
        return 0;
    }
    port.indexFile.Seek(port.playFile.Tell());
    port.file.fileSize = port.indexFile.Size();
    if (port.file.fileSize < kMinFileSize) {
        port.playFile.Close();
        port.indexFile.Close();
        FreePortDecoder(port);
        port.file.fileSize = 0;
        SetPlayerError(kErrorFileTooShort);
        return 0;
    }
    port.firstTime = FirstFrameTime(port.playFile);
    port.lastTime = LastFrameTime(port.playFile);
    if (port.firstTime == 0)
        port.totalSeconds.store(0);
    else if (port.lastTime != 0)
        port.totalSeconds.store((port.lastTime - port.firstTime) / kTicksPerSecond);
    port.totalPictures.store(0);
    port.streamFlag = 0;
    port.fileOpen.store(1);
    if (!port.file.head.noSound && port.soundFile.Open(path))
        port.soundFile.Seek(port.file.head.headerLength);

    port.indexStop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    port.indexDone.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    port.indexComplete.store(0);
    port.indexThread.reset(::CreateThread(nullptr, 0, KeyFrameIndexThread,
                                          reinterpret_cast<LPVOID>(intptr_t{portNo}), 0, nullptr));
    if (!port.indexThread) {
        // No index can come; the done event stands for the thread that never ran.
        port.indexFile.Close();
        ::SetEvent(port.indexDone.get());
    }
    return 1;
}

int KeyFrameQuery(int portNo, unsigned value, int mode, KeyFrameInfo* info, bool after) {
    if (!CheckPort(portNo)) return 0;
    PlayPort& port = PortTable[portNo];
    if (!port.indexComplete.load(std::memory_order_acquire)) {
        SetPlayerError(kErrorIndexIncomplete);
        return 0;
    }
    if (!info) return 0;
    const int searchMode = mode == kLookupPicture ? kLookupPicture : kLookupTime;
    const uint32_t key = mode == kLookupPicture ? value : value * kTicksPerMs;
    if (!after) {
        *info = KeyFrameAtOrBefore(port.keyFrames, key, searchMode);
        return 1;
    }
    return KeyFrameAtOrAfter(port.keyFrames, key, searchMode, info) ? 1 : 0;
}

} // namespace
} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI ReadOneFrameEx(int port, int readPayload, HANDLE file) {
    if (!ValidPort(port) || !file || file == INVALID_HANDLE_VALUE) return 0;
    Win32FileView view(file);
    return dvr::ReadOneFrameEx(&PortTable[port].file, readPayload, &view);
}

int WINAPI ReadOneFrameExIndex(int port, int readPayload, HANDLE file) {
    if (!ValidPort(port) || !file || file == INVALID_HANDLE_VALUE) return 0;
    Win32FileView view(file);
    return dvr::ReadOneFrameExIndex(&PortTable[port].file, readPayload, &view);
}

unsigned WINAPI RE4Ravi_GetFileTotalTime(const char* path) {
    Win32File file;
    if (!path || !file.Open(path)) return 0;
    return dvr::FileTotalTimeMs(file);
}

int WINAPI RE4Ravi_GetFileHeadLength() {
    return dvr::kFileHeadLength;
}

int WINAPI RE4Ravi_GetPictureSize(int port, int* height, int* width) {
    if (!CheckPort(port) || !height || !width) return 0;
    return dvr::PictureSize(PortTable[port].file.head, height, width) ? 1 : 0;
}

int WINAPI RE4Ravi_GetCurrentFrameRate(int port) {
    if (!CheckPort(port)) return 0;
    return PortTable[port].file.head.frameRate;
}

int WINAPI Init_DecodeParam(int port, int width, int height) {
    if (!CheckPort(port)) return 0;
    return OpenDecoder(PortTable[port], width, height) ? 1 : 0;
}

int WINAPI RE4Ravi_OpenFileEx(int port, const char* path) {
    if (!CheckPort(port)) return 0;
    if (PortTable[port].playThread) RE4Ravi_Stop(port);
    PortLock lock(port);
    return OpenFileLocked(port, path);
}

int WINAPI RE4Ravi_OpenFile(int port, const char* path) {
    return RE4Ravi_OpenFileEx(port, path);
}

int WINAPI RE4Ravi_CloseFile(int port) {
    if (!CheckPort(port)) return 0;
    // A play thread left running would read the closed file and the freed decoder.
    if (PortTable[port].playThread) RE4Ravi_Stop(port);
    PortLock lock(port);
    CloseFileLocked(PortTable[port]);
    return 1;
}

int WINAPI RE4Ravi_SetFileRefCallBack(int port, FileRefCallback callback, int user) {
    if (!CheckPort(port) || !callback) return 0;
    PortTable[port].userValue.store(user);
    PortTable[port].fileRefCallback.store(callback);
    return 1;
}

unsigned WINAPI RE4Ravi_GetFileTotalFrames(int port) {
    if (!CheckPort(port)) return 0;
    return PortTable[port].totalPictures.load();
}

unsigned WINAPI RE4Ravi_GetFileTime(int port) {
    if (!CheckPort(port)) return 0;
    return PortTable[port].totalSeconds.load();
}

int WINAPI RE4Ravi_GetKeyFramePos(int port, unsigned value, int mode, KeyFrameInfo* info) {
    return KeyFrameQuery(port, value, mode, info, false);
}

int WINAPI RE4Ravi_GetNextKeyFramePos(int port, unsigned value, int mode, KeyFrameInfo* info) {
    return KeyFrameQuery(port, value, mode, info, true);
}

} // extern "C"
