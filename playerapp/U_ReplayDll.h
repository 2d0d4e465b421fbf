// The player's one way into the player library: ports addressed through a current port,
// a little bookkeeping per port, and the player's settings in the registry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "playerapp/U_ReplaySettings.h"

namespace playerqz {

class TReplayService {
public:
    // Registry key under HKEY_LOCAL_MACHINE.
    static constexpr const wchar_t* RegistryKey = L"SOFTWARE\\Quillmarsh\\Replay";
    static constexpr int DefaultPortCount = 4;

    // Reads the settings, sizes the per-port bookkeeping and sets up the library's ports.
    bool Init();

    int GetPortCount() const { return PortCount; }
    // Ignored unless 1 <= n <= 16; existing ports keep their bookkeeping.
    void SetPortCount(int n);
    int GetCurrentPort() const { return CurrentPort; }
    void SetCurrentPort(int i) { CurrentPort = i; }
    int GetPortState() const;
    void SetPortState(int state);
    void SetPortFileName(const std::string& gbkPath);
    std::string GetPortFileName() const;
    void SetPortWindow(HWND window);
    HWND GetPortWindow() const;
    void SaveSettings() { WriteSettings(PortCount); }

    // The library, on the current port.
    bool OpenFile();
    bool Play();
    int Stop();
    int CloseFile();
    int Pause(bool pause);
    int Fast();
    int Slow();
    int OneByOne();
    int OneByOneBack();
    int SetPlayPos(double fraction);
    double GetPlayPos();
    int SetCurrentFrameNum(int frame);
    int GetCurrentFrameNum();
    unsigned GetFileTotalFrames();
    unsigned GetFileTime();
    unsigned GetPlayedTime();
    void SetSound(bool on);
    int SetVolume(uint16_t volume);
    int SetFileEndMsg(HWND window, UINT message);
    int RefreshPlay();

    const TPlayerWindowLayout& WindowLayout() const { return Layout; }

    void WriteSettings(int count);
    void ReadSettings();

private:
    // The current port when it has bookkeeping, else -1.
    int Slot() const;

    int PortCount = 0;
    int CurrentPort = 0;
    std::vector<HWND> PortWindows;
    std::vector<int32_t> PortStates;
    std::vector<std::string> PortFileNames; // GBK, as the library takes them
    TPlayerWindowLayout Layout{};
};

// The program's one replay service, made at start and kept until exit.
extern TReplayService* ReplayService;

} // namespace playerqz
