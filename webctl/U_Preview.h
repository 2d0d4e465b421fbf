// The control's pane grid: 49 panes on the face, laid out over the video area, one of them
// selected (red frame) and any of them enlarged over the area by a double click.
#pragma once

#include "framework/object.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/menus.h"
#include "host/engine/U_PaneLayout.h"
#include "host/net/U_TCPDataClient.h"

#include <array>
#include <vector>

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlChannels;
class TCapture;

constexpr int kPaneCount = 49;
// Pane states: in the grid, enlarged over the video area, and the same two over the whole face.
constexpr int kPaneGridFull = 141, kPaneEnlargedFull = 142, kPaneGrid = 143, kPaneEnlarged = 144;

struct TPreviewPane {
    dvr::fw::TPanel* Window = nullptr;
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

    // The network channels and the recorder the panes open and close; set by the control.
    TControlChannels* Channels = nullptr;
    TCapture* Capture = nullptr;

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
    void ApplyLayout(int first, int count);
    void ShowLayout(int first, int count);
    void LayoutMenuClick(dvr::fw::TObject* sender);
    // The pane menu: its split items enabled up to the cells of the layout in force.
    dvr::fw::TPopupMenu* PaneMenu = nullptr;
    int ChannelCount = 0;

    void PaneClick(dvr::fw::TObject* sender);
    void PaneDblClick(dvr::fw::TObject* sender);
    void PaneMouseUp(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                     dvr::fw::TShiftState shift, int x, int y);

private:
    TVantrelIE_QZ& form_;
    std::array<dvr::fw::TPanel*, 4> frame_{};
    std::array<dvr::fw::TMenuItem*, 18> splitItems_{};
    std::array<PaneRect, kPaneCount> cells_{};
};

} // namespace vantrel::webctl
