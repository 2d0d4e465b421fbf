// The player library's file-mode calls as the replay engine makes them: 1 success, 0 failure,
// getters unchanged. One binding calls the library itself; tests may give their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vantrel {

class TReplayPlayer {
public:
    virtual ~TReplayPlayer() = default;
    virtual int OpenFile(int port, const std::string& path) = 0;
    virtual int CloseFile(int port) = 0;
    // A file-index callback that does nothing.
    virtual int SetEmptyFileRefCallBack(int port) = 0;
    virtual int SetFileEndMsg(int port, HWND window, UINT message) = 0;
    virtual int SetPicQuality(int port, int on) = 0;
    virtual int Play(int port, HWND window) = 0;
    virtual int Stop(int port) = 0;
    virtual int Pause(int port, int pause) = 0;
    virtual int OneByOne(int port) = 0;
    virtual int OneByOneBack(int port) = 0;
    virtual int Slow(int port) = 0;
    virtual int Fast(int port) = 0;
    virtual int SetPlayPos(int port, float fraction) = 0;
    virtual float GetPlayPos(int port) = 0;
    virtual int SetCurrentFrameNum(int port, unsigned picture) = 0;
    virtual unsigned GetFileTotalFrames(int port) = 0;
    virtual unsigned GetPlayedTime(int port) = 0;
    virtual int GetCurrentFrameNum(int port) = 0;
    // Picture number, time in ms and byte offset of the key frame at or before `value`.
    virtual int GetKeyFramePos(int port, unsigned value, int mode, uint32_t info[3]) = 0;
    virtual int PlaySound(int port) = 0;
    virtual int StopSound() = 0;
    virtual int SetVolume(int port, int volume) = 0;
    virtual int RefreshPlay(int port) = 0;
    virtual int LocalZoom(int port, int zoom, int x, int y, int width, int height) = 0;
};

// The binding to the player library (Strovid).
TReplayPlayer& StrovidReplayPlayer();

} // namespace vantrel
