// The player window's behaviour apart from its widgets: the port grid and zoom, each
// port's play list, the playback commands, the end-of-file handling and the status
// display, all on the replay service's current port. The window supplies its widgets
// through TPlayerView.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "playerapp/U_PlayCycle.h"
#include "playerapp/U_PlayerStatus.h"
#include "playerapp/U_PortGrid.h"

namespace playerqz {

class TReplayService;

// Window messages of the player window.
constexpr UINT WM_REFRESHPORTS = WM_USER + 76; // 1100
constexpr UINT WM_FILEEND = WM_USER + 300;     // 1324
// wParam of WM_REFRESHPORTS that refreshes every port (below 101: the current one).
constexpr WPARAM RefreshAllPorts = 1000;

// Number of status bar panels the commands write: port and file, total time, played
// time, current frame.
enum StatusPanel { spPortState, spFileTime, spPlayedTime, spCurrentFrame };

class TPlayerView {
public:
    virtual HWND MessageWindow() = 0;
    // Video area (the client rectangle of the drawing panel).
    virtual TRect DrawArea() = 0;
    virtual void CreatePortPanel(int port, const TRect& bounds) = 0;
    virtual void FreePortPanel(int port) = 0;
    virtual HWND PortPanelHandle(int port) = 0;
    virtual void SetPortPanel(int port, const TRect& bounds, bool visible) = 0;
    virtual void InvalidatePortPanel(int port) = 0;
    // Hides and shows the panel again, which clears its picture.
    virtual void ClearPortPicture(int port) = 0;
    // The selection frame's four lines; null hides them.
    virtual void ShowPortFrame(const PortFrame* frame) = 0;
    virtual void PostRefreshPorts(WPARAM which) = 0;
    virtual void RepaintWindow() = 0;
    // Moves the window a pixel and back so the whole video area is drawn again.
    virtual void ForceFullRepaint() = 0;
    virtual void SetTimerRunning(bool on) = 0;
    virtual bool WindowVisible() = 0;

    virtual void ShowError(const std::wstring& text) = 0;
    virtual void ShowControlEnables(const ControlEnables& enables) = 0;
    virtual void SetStatusText(StatusPanel panel, const std::wstring& text) = 0;
    virtual int SliderMax() = 0;
    virtual void SetSliderPosition(int position) = 0;
    virtual int SliderPositionNow() = 0;
    virtual bool MusicDown() = 0;
    virtual void SetMusicDown(bool down) = 0;
    virtual int VolumePosition() = 0;
    virtual void ShowLoopControls(const LoopControlsView& view) = 0;
    virtual std::string RunSaveDialog() = 0;

protected:
    ~TPlayerView() = default;
};

class TPlayerCommands : private TPlayCycleHost {
public:
    TPlayerCommands(TReplayService& service, TPlayerView& view);

    // The window's creation: loop table, port panels, volume, end-of-file messages, port
    // 0 without a file.
    void Start();

    // Port grid.
    void SelectPort(int port);
    void TogglePortZoom(int port);
    void Resize();
    void RefreshPorts(WPARAM which);
    void ChangePortCount(int count);
    // Stops and closes every playing port before the window closes.
    void CloseAll();

    // Playback commands on the current port.
    void OpenFile(const std::string& gbkPath);
    // A play list of several files, played one after the other.
    void OpenFiles(const std::vector<std::string>& gbkPaths);
    void PlayNextFile();
    void PlayClick();
    void PauseClick();
    void StopClick();
    void FirstClick();
    void EndClick();
    void SlowClick();
    void FastClick();
    void FrameClick();
    void FrameBackClick();
    void MusicClick();
    void VolumeChange();
    void CloseClick();
    void PlayAll();
    void StopAll();
    void SaveLoopSelection();

    // WM_FILEEND for a port.
    void HandleFileEnd(int port);
    void TimerTick();
    void SliderMouseDown();
    void SliderMouseMove();
    void SliderMouseUp();
    // WM_HSCROLL from the position slider with its scroll code.
    void SliderScroll(int code);

    void UpdateControls();
    void SetPortStateAndRefresh(int state);

    int ZoomedPort() const { return zoomedPort_; }
    bool StepMode() const { return stepMode_; }
    bool TimerUpdates() const { return timerUpdates_; }
    const std::vector<TRect>& PortCells() const { return portCells_; }
    const std::vector<std::string>& PlayList(int port) const { return playLists_[port]; }
    int NextIndex(int port) const { return nextIndex_[port]; }
    TPlayCycle& PlayCycle() { return cycle_; }

private:
    // TPlayCycleHost
    int CurrentPort() override;
    int PortCount() override;
    int CurrentPortState() override;
    int GetCurrentFrameNum() override;
    int SetCurrentFrameNum(int frame) override;
    void ShowLoopControls(const LoopControlsView& v) override;
    std::string RunSaveDialog() override;

    void DrawPortFrame(int port, bool show);
    void LayoutCells();
    // The name of the file open on the current port, or empty.
    std::string CurrentFileName() const;
    bool ListUsedUp(int port) const;
    void PlayFailed();
    void SoundToCurrent(int port);

    TReplayService& service_;
    TPlayerView& view_;
    TPlayCycle cycle_;

    int seekEndPort_ = -1;
    int zoomedPort_ = -1;
    bool timerUpdates_ = true;
    bool sliderDragging_ = false;
    bool stepMode_ = false;
    bool started_ = false;
    std::vector<std::vector<std::string>> playLists_;
    std::vector<int> nextIndex_;
    std::vector<TRect> portCells_;
    int savedStates_[MaxPorts] = {};
};

} // namespace playerqz
