// The control's pane grid: 49 panes on the face, laid out over the video area, one of them
// selected (red frame) and any of them enlarged over the area by a double click.
#pragma once

#include "framework/object.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/menus.h"
#include "host/engine/T_ThreadAlarmAudio.h"
#include "host/engine/U_HostRecords.h"
#include "host/engine/U_PaneLayout.h"
#include "host/engine/U_SettingsRecords.h"
#include "host/net/U_TCPDataClient.h"
#include "webctl/U_StatusImages.h"

#include <array>
#include <functional>
#include <vector>

namespace vantrel {
class TRegionZoomForm;
}

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlChannels;
class TCapture;
class TYunTai;
class TSystemInfo;

constexpr int kPaneCount = 49;
// Pane states: in the grid, enlarged over the video area, and the same two over the whole face.
constexpr int kPaneGridFull = 141, kPaneEnlargedFull = 142, kPaneGrid = 143, kPaneEnlarged = 144;

// The picture an idle pane shows, stretched over the pane; every pane draws the one picture.
class TPaneBackground : public dvr::fw::TGraphicControl {
    FW_CLASS(TPaneBackground, dvr::fw::TGraphicControl)
public:
    TPaneBackground(dvr::fw::TComponent* owner, dvr::fw::TBitmap* picture)
        : dvr::fw::TGraphicControl(owner), picture_(picture) {}

protected:
    void Paint() override;

private:
    dvr::fw::TBitmap* picture_;
};

struct TPreviewPane {
    dvr::fw::TPanel* Window = nullptr;
    // Shown while the pane plays nothing (when its channel's settings ask for it, and always
    // in a cell beyond the channels); empty when there is no picture file.
    TPaneBackground* Background = nullptr;
    // "侦" in red while the channel's host reports an alarm for it.
    dvr::fw::TPanel* DetectLabel = nullptr;
    // Previewing and playing flags and the window the player draws into, shared with the
    // pane's network client.
    TNetPane Net;
    int State = kPaneGrid;
    int Channel = 0;
};

class TPreview : public dvr::fw::TObject {
public:
    explicit TPreview(TVantrelIE_QZ& form);
    ~TPreview() override;

    // The network channels and the recorder the panes open and close; set by the control.
    TControlChannels* Channels = nullptr;
    TCapture* Capture = nullptr;
    // Mouse PTZ on the panes goes through the PTZ unit; the grid area is the system's.
    TYunTai* YunTai = nullptr;
    TSystemInfo* SystemInfo = nullptr;

    // The preview page's status pictures: green while the channel plays; a click opens or
    // closes the channel's preview.
    TStatusImages* Images = nullptr;
    void StatusImageClick(dvr::fw::TObject* sender);
    // Sound of the selected pane's channel.
    bool Listening = false;
    void StartListen(int channel);
    void StopListen(int channel);
    // The four picture values of the channel to its host.
    void SetPictureParams(int channel, const TPictureParams& values);

    // 0 when already previewing; -1 for a hidden pane, for a grid pane while another is
    // enlarged, and when the connection was started (it plays once the stream comes).
    int OpenPreview(int channel);
    // 0 when not previewing; -1 when refused or closed.
    int ClosePreview(int channel);
    // The receive thread's first picture: the pane shows the stream.
    void ShowPlaying(int channel);

    std::array<TPreviewPane, kPaneCount> Panes;
    int SelectedPane = 0;
    int EnlargedPane = -1;
    int SplitCount = 0;
    bool CycleMode = false;
    // The rectangles of the layout in force (TSystemInfo.PaneRects).
    std::vector<PaneRect> PaneRects;
    PaneRect VideoArea{};

    // Panes 0 .. rects - 1 take their rectangles and show; the rest hide.
    void PlacePanes(int channelCount, const std::vector<PaneRect>& rects, const PaneRect& area);
    void SelectPane(int channel);
    void ShowSelectionFrame(int channel, bool visible);
    void SetPaneState(int channel, int state);

    // Panes first .. first + count - 1 take the cells of the layout for count; the empty cells
    // of a layout wider than the channels show blank panes.
    void ApplyLayout(int first, int count, bool fullFace = false);
    void ShowLayout(int first, int count);
    void LayoutMenuClick(dvr::fw::TObject* sender);
    // The pane menu: full face, region zoom, alarm mute, the splits (enabled up to the cells
    // of the layout in force), the host groups and every host's channels. Rebuilt with the
    // host list.
    dvr::fw::TPopupMenu* PaneMenu = nullptr;
    void BuildPaneMenu();
    int ChannelCount = 0;
    // "报警静音" mutes the alarm sounds (and ends a remote alarm's) until unchecked.
    bool AlarmMuted = false;
    TThreadAlarmAudio* Audio = nullptr;

    // The grid over the whole face (behind it a backdrop) or back over the video area.
    void FullFaceToggle(dvr::fw::TObject* sender = nullptr);
    bool FullFace() const;
    dvr::fw::TPanel* Backdrop = nullptr;
    // The zoom window of a playing pane, and the rubber band drawn on the pane.
    void OpenRegionZoom(dvr::fw::TObject* sender = nullptr);
    TRegionZoomForm* ZoomForm = nullptr;
    // The zoom window (owned by the face), made by the control, which knows where its
    // snapshots go.
    std::function<TRegionZoomForm*()> MakeZoomForm;
    PaneRect ZoomRect{};
    bool Banding = false;
    // PTZ cursor of the mouse-PTZ mode: 0 the default, odd the "up" cursor of a region, even
    // its "down" cursor while a button is held.
    int PtzCursor = 0;

    void PaneClick(dvr::fw::TObject* sender);
    void PaneDblClick(dvr::fw::TObject* sender);
    void PaneMouseDown(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                       dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseMove(dvr::fw::TObject* sender, dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseUp(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                     dvr::fw::TShiftState shift, int x, int y);
    void PaneMouseLeave(dvr::fw::TObject* sender);

private:
    void AlarmMuteClick(dvr::fw::TObject* sender);
    void GroupItemClick(dvr::fw::TObject* sender);
    void ChannelItemClick(dvr::fw::TObject* sender);
    void AddGroupItems(dvr::fw::TMenuItem* parent, int group, int depth);
    void ShowPtzCursor(int pane, int cursor);
    // Cursor n (1..16) from the control's resources, loaded once; null for 0.
    HCURSOR PtzCursorHandle(int cursor);
    std::array<HCURSOR, 17> ptzCursors_{};
    void DrawBand(int pane);

    // The channel's settings ask for the picture while idle (cells beyond the channels always).
    bool WantsBackground(int channel) const;
    void ShowBackgroundOf(int channel, bool idle);

    TVantrelIE_QZ& form_;
    // "BG.BMP", else "BG.JPG", in the control's folder; empty when neither exists.
    dvr::fw::TBitmap backgroundPicture_;
    std::array<dvr::fw::TPanel*, 4> frame_{};
    std::array<dvr::fw::TMenuItem*, 18> splitItems_{};
    std::array<PaneRect, kPaneCount> cells_{};
    // The channel records the pane menu's channel items stand for (item Tag = index).
    std::vector<TClientChannelRecord> menuChannels_;
};

} // namespace vantrel::webctl
