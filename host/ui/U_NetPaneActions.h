// What a pane showing a network channel offers beyond a board pane: its own menu (any channel
// of any remote host into the pane, the switch to another group of hosts, region zoom, alarm
// mute, full screen and layouts), the region selected with the mouse while the zoom window is
// shown, and the pane's snapshot.
#pragma once

#include "host/engine/U_HostRecords.h"
#include "host/engine/U_PaneLayout.h"
#include "host/ui/U_Preview.h"
#include "host/ui/U_Replay.h"

#include "framework/ui/menus.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TRegionZoomForm;

// A client group as the menu shows it: its parent's index in the list, -1 for a top level.
struct TNetPaneGroup {
    std::string Name; // GBK
    int Parent = -1;
    std::vector<TClientChannelRecord> Channels;
};

class TNetPaneHost {
public:
    virtual ~TNetPaneHost() = default;
    virtual int BoardChannelCount() = 0;
    virtual std::vector<TNetPaneGroup> Groups() = 0;
    virtual bool PanePreviewing(int channel) = 0;
    virtual bool PanePlaying(int channel) = 0;
    virtual HWND PaneWindow(int channel) = 0;
    // With the preview right checked.
    virtual void ClosePreview(int channel) = 0;
    virtual void StopNetworkRecording(int channel) = 0;
    // The network client's slot takes the channel entry.
    virtual void SetSlotChannel(int slot, const TClientChannelRecord& entry) = 0;
    // The open-all worker opens the pane's preview.
    virtual void RequestOpenPreview(int channel) = 0;
    // The close-all worker closes everything, then the console loads the group.
    virtual void SwitchToGroup(int group) = 0;
    virtual void ToggleFullScreen() = 0;
    virtual void ChooseLayout(int count) = 0;
    virtual bool AlarmMuted() = 0;
    virtual void SetAlarmMuted(bool muted) = 0;
    virtual void ShowSelectionFrame(int channel, bool visible) = 0;
    // The disk manager's name for a preview snapshot; "" when no drive has room.
    virtual std::string SnapshotFileName(int channel) = 0;
    virtual void AddSnapshotFile(std::string_view day, int channel, std::string_view name) = 0;
    virtual void Pause(DWORD ms) = 0;
    // The region zoom window's needs: snapshot names and the player ports.
    virtual TReplayHost& ZoomRecordings() = 0;
    virtual TReplayPlayer& Player() = 0;
    virtual std::string Title() = 0;
};

// The selection spanned by the anchor and (x, y), clamped into a pane of width x height.
PaneRect DragSelection(int anchorX, int anchorY, int x, int y, int width, int height);
// A pane rectangle on the 352 x 288 picture.
PaneRect PaneToPicture(const PaneRect& r, int width, int height);

class TNetPaneActions : public dvr::fw::TObject, public TNetPaneMouse {
public:
    TNetPaneActions(dvr::fw::TWinControl* mainWindow, TNetPaneHost& host);
    ~TNetPaneActions() override;

    dvr::fw::TPopupMenu* NetPaneMenu = nullptr;
    TRegionZoomForm* ZoomForm() { return zoom_; }
    // The pane the menu was opened on.
    int MenuPane() const { return menuPane_; }
    const PaneRect& Selection() const { return selection_; }

    // (Re)builds the menu from the client groups.
    void BuildNetworkPaneMenu();
    void AssignNetworkChannel(int pane, const TClientChannelRecord& entry);
    void SwitchToGroup(int group);
    void RegionZoom(int pane);
    // The file name, "" when nothing was saved.
    std::string SnapshotNetworkPane(int channel);
    // The menu opened on a pane (tests call it without showing the menu).
    void SetMenuPane(int pane) { menuPane_ = pane; }

    // TNetPaneMouse
    void Rebuild() override { BuildNetworkPaneMenu(); }
    void MouseDown(int channel, dvr::fw::TMouseButton button, int x, int y) override;
    void MouseMove(int channel, dvr::fw::TShiftState shift, int x, int y) override;
    void MouseUp(int channel, dvr::fw::TMouseButton button, int x, int y) override;

private:
    void AddGroupMenu(dvr::fw::TMenuItem* parent, const std::vector<TNetPaneGroup>& groups,
                      int group);
    void ChannelItemClick(dvr::fw::TObject* sender);
    void GroupItemClick(dvr::fw::TObject* sender);
    void FullScreenClick(dvr::fw::TObject* sender);
    void ZoomClick(dvr::fw::TObject* sender);
    void MuteClick(dvr::fw::TObject* sender);
    void LayoutClick(dvr::fw::TObject* sender);
    bool Selecting(int channel);
    void DrawSelection(int channel);
    void FreeZoom();

    dvr::fw::TWinControl* main_;
    TNetPaneHost& host_;
    std::vector<TClientChannelRecord> entries_; // by item tag - 1
    dvr::fw::TMenuItem* mute_ = nullptr;
    TRegionZoomForm* zoom_ = nullptr;
    int menuPane_ = -1;
    int anchorX_ = 0, anchorY_ = 0;
    PaneRect selection_{};
    bool drawn_ = false;
};

} // namespace vantrel
