// The region zoom of a live pane: a small stay-on-top window that stays open while a rubber
// band drawn on a playing pane chooses the part of the picture the pane shows enlarged.
// Closing it gives the pane its whole picture back.
#pragma once

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "host/engine/U_PaneLayout.h"
#include "webctl/U_FaceLayout.h"

namespace vantrel::webctl {

class TPaneZoomForm : public dvr::fw::TForm {
public:
    explicit TPaneZoomForm(dvr::fw::TComponent* owner);
    ~TPaneZoomForm() override;

    // The pane (its player port) and the picture part in force.
    int Pane = -1;
    PaneRect Region{0, 0, kZoomPictureWidth, kZoomPictureHeight};
    bool Shown = false;

    dvr::fw::TLabel* lb_Hint = nullptr;
    dvr::fw::TButton* bt_Close = nullptr;

    // The pane shows `region` of its picture enlarged; the window shows.
    void ShowZoom(int pane, const PaneRect& region);
    // The pane shows its whole picture again.
    void EndZoom();
    void bt_CloseClick(dvr::fw::TObject* sender);

protected:
    void DoClose(dvr::fw::TCloseAction& action) override;
};

} // namespace vantrel::webctl
