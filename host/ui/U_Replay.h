// The multi-window playback object of the replay windows: sixteen black windows in a parent
// panel, window n showing player port n, with per-window play flags, play lists and clip
// marks, sound routed to one window, the maximise, the selection frame, the region zoom drag,
// the replay snapshot, and the chains of recordings and snapshots a search produces.
#pragma once

#include "framework/object.h"
#include "framework/stringlist.h"
#include "framework/ui/controls.h"
#include "framework/ui/extctrls.h"
#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_PaneLayout.h"
#include "host/ui/U_ReplayMessages.h"
#include "host/ui/U_ReplayPlayer.h"
#include "host/ui/U_ReplayRules.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {


constexpr int kWindowNormal = 163;
constexpr int kWindowMaximised = 164;

class TThreadSearchCaptureFile;

// What the replay needs of the host engine: channels, the recordings index, locked days,
// snapshot names.
class TReplayHost {
public:
    virtual ~TReplayHost() = default;
    virtual int ChannelCount() = 0;
    // The channel title (GBK) of its picture settings.
    virtual std::string ChannelTitle(int channel) = 0;
    // Every recording day, oldest first, as "YYYY-MM-DD".
    virtual void ListDates(std::vector<std::string>& days) = 0;
    virtual std::optional<ChannelLists> GetDayChannelLists(std::string_view day) = 0;
    // `day` as "YYYY-MM-DD".
    virtual bool IsDayLocked(std::string_view day) = 0;
    virtual std::string MakeRecordingFileName(int channel, int type) = 0;
    virtual void AddFile(std::string_view day, int channel, std::string_view name) = 0;
};

// A host without recordings: the snapshot browser and snapshots over it find nothing.
class TNoRecordingsHost : public TReplayHost {
public:
    int ChannelCount() override { return 0; }
    std::string ChannelTitle(int) override { return {}; }
    void ListDates(std::vector<std::string>&) override {}
    std::optional<ChannelLists> GetDayChannelLists(std::string_view) override {
        return std::nullopt;
    }
    bool IsDayLocked(std::string_view) override { return false; }
    std::string MakeRecordingFileName(int, int) override { return {}; }
    void AddFile(std::string_view, int, std::string_view) override {}
};

// The region zoom in force, kept by the zoom window while it exists.
struct RegionZoomState {
    bool Shown = false;
    int ZoomPort = 0;
    PaneRect ZoomPictureRect{0, 0, 352, 288};
};

class TReplay : public dvr::fw::TObject {
public:
    // `owner` gets the engine's messages; the windows are children of `area`.
    TReplay(HWND owner, dvr::fw::TWinControl* area, TReplayHost& host,
            TReplayPlayer& player = StrovidReplayPlayer());
    ~TReplay() override;
    TReplay(const TReplay&) = delete;
    TReplay& operator=(const TReplay&) = delete;

    std::array<dvr::fw::TPanel*, 4> FrameEdges{};
    std::array<int32_t, kReplayPorts> WindowStates{};
    int32_t MaximisedWindow = -1;
    PaneRect ZoomRect{};
    int32_t DragStart[2] = {0, 0};
    HWND Owner = nullptr;
    dvr::fw::TWinControl* Area = nullptr;
    std::array<dvr::fw::TPanel*, kReplayPorts> Windows{};
    std::vector<std::string> Days; // the search request, "YYYYMMDD"
    std::array<PaneRect, kReplayPorts> LayoutRects{};
    PaneRect AreaRect{};
    std::array<std::vector<std::string>, kReplayPorts> PlayLists;
    int32_t CurrentWindow = 0;
    bool SoundOn = false;
    int32_t SoundWindow = 0;
    ReplayFileChain CommonList, LockedList, SnapshotList;
    std::array<ClipMark, kReplayPorts> ClipMarks{};
    std::array<bool, kReplayPorts> Paused{}, Playing{}, Stepping{}, FastOn{}, SlowOn{};
    int32_t Volume = 50000;
    int32_t SpeedStep = kSpeedNormal;
    // The zoom window's state while one exists.
    RegionZoomState* Zoom = nullptr;

    void SetAreaRect(const PaneRect& r) { AreaRect = r; }
    void SetLayout(int count);
    void ShowSelectionFrame(int w, bool visible);
    void PaneClick(dvr::fw::TObject* sender);
    void PaneDblClick(dvr::fw::TObject* sender);
    void ToggleMaximise(int w);
    void PaneMouseDown(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                       dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseMove(dvr::fw::TObject* sender, dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseUp(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                     dvr::fw::TShiftState shift, int x, int y);

    int RefreshPlay(int port);
    int OpenFile(int port, const std::string& path);
    int CloseFile(int port);
    int Play(int port);
    int Stop(int port);
    int Pause(int port, bool pause);
    int StepForward(int port);
    int StepBackward(int port);
    int Slow(int port);
    int Fast(int port);
    int SetPlayPos(int port, double fraction);
    double GetPlayPos(int port);
    int SetCurrentFrameNum(int port, unsigned frame);
    unsigned GetFileTotalFrames(int port);
    unsigned GetPlayedTime(int port);
    int GetCurrentFrameNum(int port);
    int32_t GetKeyFrameFilePos(int port);
    int PlaySound(int port);
    int StopSound();
    int SetVolume(int port, int volume);
    int SetFileEndMsg(int port, UINT message);

    void ClearFileLists();
    void ClearCommonList() { CommonList.Clear(); }
    void GetRecordingDays(std::vector<std::string>& days);
    // One item per channel: "01  < title >" (GBK).
    std::vector<std::string> ChannelCheckItems();
    void ResetSearchRequest() { Days.clear(); }
    // kind 1 recordings, 0 snapshots.
    void StartFileSearch(int kind);
    TThreadSearchCaptureFile& SearchThread() { return *search_; }
    // Saves the current window's picture as a replay snapshot; the file name or "".
    std::string Snapshot();

    TReplayHost& Host() { return host_; }
    TReplayPlayer& Player() { return player_; }

private:
    HWND WindowHandle(int w);
    bool InWindowZoom(int w) const;

    TReplayHost& host_;
    TReplayPlayer& player_;
    TThreadSearchCaptureFile* search_ = nullptr;
};

// Writes the bitmap as a 24-bit BMP file (GBK path); false on failure.
bool SaveBitmapFile(HBITMAP bitmap, int width, int height, const std::string& path);

} // namespace vantrel
