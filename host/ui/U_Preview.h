// The live video console: 49 panes over the main window's video area, one per channel slot,
// in 18 split layouts, with enlarged and full-screen panes, the selection frame, the status
// pictures and the split-layout menu.
#pragma once

#include "host/engine/U_HostServices.h"
#include "host/engine/U_PaneLayout.h"
#include "host/net/U_NetPane.h"
#include "host/ui/U_PreviewLayout.h"

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/menus.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vantrel {

constexpr unsigned WM_PANECOLOR = 0x40C;
constexpr unsigned WM_PANEMENU = 0x40F;
constexpr unsigned WM_PTZCHANNEL = 0x415;
constexpr uint32_t kOverlayColorKey = 0xFF00FF;

enum TPaneState : int32_t {
    kPaneFullGrid = 141,
    kPaneFullEnlarged = 142,
    kPaneGrid = 143,
    kPaneEnlarged = 144,
};

constexpr PaneRect kVideoArea{13, 20, 897, 679};
constexpr PaneRect kFullScreenArea{0, 0, 1024, 768};

struct TPreviewPane;

// A mark drawn over a pane's live picture (recording, detection): a small window of its own,
// which the board's picture leaves uncovered; hidden until shown.
dvr::fw::TPanel* MakePaneMark(dvr::fw::TPanel* pane, int left, const char* utf8Text,
                              uint32_t colour);

// What the preview needs of the rest of the host.
class TPreviewHost {
public:
    virtual ~TPreviewHost() = default;
    virtual int BoardChannelCount() = 0;
    // Board and network channels.
    virtual int ChannelCount() = 0;
    // The current user's right for the item (-1 none).
    virtual bool CheckRight(int right, int item) = 0;
    virtual int StartBoardPreview(int channel, HWND window, const RECT& bounds, int frameRate) = 0;
    virtual int StopBoardPreview(int channel) = 0;
    virtual int SetAudioPreview(int channel, bool on) = 0;
    virtual void RestoreOverlay() = 0;
    // Byte 56 of the channel's preview record.
    virtual bool ShowBackground(int channel) = 0;
    // The system information's current video area and its pane rectangles.
    virtual PaneRect& CurrentVideoArea() = 0;
    virtual std::vector<PaneRect>& PaneRects() = 0;
    virtual void UpdateChannelLayout() = 0;
    // The network client's slot of a network channel.
    virtual bool NetworkRecording(int channel) = 0;
    virtual void OpenNetworkPreview(int channel) = 0;
    virtual void CloseNetworkPreview(int channel) = 0;
    virtual void SendKeyFrameRequest(int channel) = 0;
    // A status picture was clicked: the batch workers open or close the pane.
    virtual void StatusImageClick(int channel, bool open) = 0;
    // Each board channel's privacy mask as its preview settings say.
    virtual void ApplyPrivacyMasks() {}
    // The network client takes the panes of its channels (all kLayoutChannels panes given).
    virtual void BindNetworkPanes(TPreviewPane*) {}
};

// The network panes' own mouse work and menu (none on a host without network channels).
class TNetPaneMouse {
public:
    virtual ~TNetPaneMouse() = default;
    virtual void Rebuild() = 0;
    virtual void MouseDown(int channel, dvr::fw::TMouseButton button, int x, int y) = 0;
    virtual void MouseMove(int channel, dvr::fw::TShiftState shift, int x, int y) = 0;
    // Ends a selection; the right button opens the pane menu.
    virtual void MouseUp(int channel, dvr::fw::TMouseButton button, int x, int y) = 0;
};

// The PTZ mouse mode over every pane; it takes the mouse while active.
class TPtzPaneMouse {
public:
    virtual ~TPtzPaneMouse() = default;
    virtual bool Active() = 0;
    virtual void MouseMove(int channel, dvr::fw::TShiftState shift, int x, int y, int width,
                           int height) = 0;
    virtual void MouseDown(int channel, dvr::fw::TMouseButton button) = 0;
    // False when no PTZ press was in force (the pane's own release handling goes on).
    virtual bool MouseUp(int channel, dvr::fw::TMouseButton button) = 0;
    // The mouse left a pane.
    virtual void MouseLeave() = 0;
};

// Previewing and Playing are shared with the network client's receive thread (network panes).
struct TPreviewPane : TNetPane {
    dvr::fw::TPanel* Panel = nullptr;
    dvr::fw::TPanel* StatusImage = nullptr;
    dvr::fw::TPanel* Background = nullptr;
    // The recording mark "录" in the pane's corner.
    dvr::fw::TPanel* RecordLabel = nullptr;
    int32_t State = kPaneGrid;
    int32_t Channel = 0;
    bool WorkPicture = false;
};

class TPreview : public dvr::fw::TObject, public TPreviewServices {
public:
    TPreview(dvr::fw::TWinControl* mainWindow, TPreviewHost& host);

    std::array<TPreviewPane, kLayoutChannels> Panes;
    int SelectedChannel = 0;
    // Network panes' menu and region selection.
    TNetPaneMouse* NetPanes = nullptr;
    TPtzPaneMouse* PtzMouse = nullptr;
    // The PTZ speed window, told of every pane selected.
    HWND PtzSpeedWindow = nullptr;
    int EnlargedPane = -1;
    bool Listening = false;
    bool CycleMode = false;
    bool SettingsPreviewLock = false;
    int PreviewFrameRate = 25;
    int LastLayoutCount = 0;
    dvr::fw::TPopupMenu* LayoutMenu = nullptr;
    dvr::fw::TPanel* Backdrop = nullptr;
    dvr::fw::TPanel* EdgeStrip = nullptr;
    std::array<dvr::fw::TPanel*, 4> Frame{};

    // TPreviewServices
    bool PaneOpen(int channel) const override { return Panes.at(size_t(channel)).Previewing != 0; }
    void OpenPreview(int channel) override { Open(channel); }

    void ApplySettings();
    int Open(int channel);
    int ClosePreview(int channel, bool checkRight);
    int StartListen(int channel);
    int StopListen(int channel);
    void RestoreOverlay();
    void PlacePanes(int channelCount, const std::vector<PaneRect>& rects, int statusCount);
    void ApplyLayout(int first, int count, bool fullScreen);
    void ShowLayout(int first, int count);
    void LayoutMenuClick(int n);
    void ToggleFullScreen();
    void SelectPane(int channel);
    void ShowSelectionFrame(int channel, bool visible);
    void ApplyPaneState(int channel, int32_t state);
    void RestartBoardPreviews();
    void PaneDblClick(int channel);
    void ShowStatusImages();
    void HideStatusImages();
    // Checks and enables the layout items before a menu opens.
    void PrepareLayoutMenu();
    // The pane's recording mark shown or hidden.
    void ShowRecordMark(int channel, bool recording);
    // A network pane's player shows pictures, or its connection ended.
    void ShowNetworkPlaying(int channel);
    void ShowNetworkIdle(int channel);

private:
    void PaneClick(dvr::fw::TObject* sender);
    void PaneDblClickEvent(dvr::fw::TObject* sender);
    void PaneMouseUp(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                     dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseDown(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                       dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseMove(dvr::fw::TObject* sender, dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseLeave(dvr::fw::TObject* sender);
    bool NetworkPane(int channel);
    bool PtzMode() { return PtzMouse && PtzMouse->Active(); }
    void StatusClick(dvr::fw::TObject* sender);
    void LayoutItemClick(dvr::fw::TObject* sender);
    void FullScreenItemClick(dvr::fw::TObject* sender);
    void ShowBackgroundOf(int channel, bool idle);
    bool GridBehindEnlarged(int channel) const;
    void SetWork(int channel, bool work);

    dvr::fw::TWinControl* main_;
    TPreviewHost& host_;
    dvr::fw::TPopupMenu* paneMenu_ = nullptr;
    std::array<uint8_t, kLayoutChannels> savedPreviewing_{};
};

} // namespace vantrel
