// The region zoom's small stay-on-top window: while it is shown a drag on a playing replay
// window zooms that window's picture; it offers a snapshot, and closing ends the zoom.
#pragma once

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "host/ui/U_Replay.h"

#include <functional>
#include <string>

namespace vantrel {

class TRegionZoomForm : public dvr::fw::TForm {
    FW_CLASS(TRegionZoomForm, dvr::fw::TForm)
public:
    // `title` is the application title (GBK); snapshots are named and registered by `host`.
    TRegionZoomForm(dvr::fw::TComponent* AOwner, const std::string& title, TReplayHost& host,
                    TReplayPlayer& player = StrovidReplayPlayer());
    ~TRegionZoomForm() override;

    // ZoomPort, ZoomPictureRect and whether the window is shown, as the replay reads them.
    RegionZoomState State;
    // Board channels, for the snapshot's channel of a port.
    std::function<int()> BoardChannelCount;

    dvr::fw::TPanel* pn_ZoomPanel;
    dvr::fw::TButton* bt_CaptureBMP;
    dvr::fw::TButton* bt_Close;

    // Shows the window with the zoom in force.
    void ShowZoom(int port, const PaneRect& pictureRect);
    // Ends the zoom in force; the port shows its whole picture again.
    void EndZoom();
    // The snapshot's file name, or "" when nothing was saved.
    std::string CaptureBMP();
    void bt_CaptureBMPClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

protected:
    void DoClose(dvr::fw::TCloseAction& Action) override;

private:
    TReplayHost& host_;
    TReplayPlayer& player_;
};

} // namespace vantrel
