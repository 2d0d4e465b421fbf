// The PTZ mouse mode over the preview panes: while the panel's mouse mode is on, the cursor
// over a pane shows the direction of its cell, and a press and release there act as the
// press and release of the matching panel control on that pane's channel.
#pragma once

#include "host/ui/U_PtzPanel.h"
#include "host/ui/U_Preview.h"

#include <windows.h>

#include <array>
#include <functional>

namespace vantrel {

// The up cursor of a pane cell (x, y on a width x height pane): 0 the arrow (centre cell or
// outside the pane), else 1, 3, .. 15.
int PtzCursorAt(int x, int y, int width, int height);
// The panel control an up cursor (odd) or its down version (even) stands for; -1 none.
int PtzTagFor(int cursor, bool rightButton);

class TPtzMouse : public TPtzPaneMouse {
public:
    // `selectPane` makes the pane the selected one (the commands go to its channel).
    TPtzMouse(TPtzPanel& panel, std::function<void(int channel)> selectPane);

    bool Active() override { return panel_.MouseMode; }
    void MouseMove(int channel, dvr::fw::TShiftState shift, int x, int y, int width,
                   int height) override;
    void MouseDown(int channel, dvr::fw::TMouseButton button) override;
    bool MouseUp(int channel, dvr::fw::TMouseButton button) override;
    // The arrow again, unless a press is in force: its release still has to stop the camera.
    void MouseLeave() override;

    // The PTZ cursor in force: 0 the arrow.
    int Cursor() const { return cursor_; }

private:
    void Show(int cursor);

    TPtzPanel& panel_;
    std::function<void(int)> selectPane_;
    std::array<HCURSOR, 17> cursors_{};
    int cursor_ = 0;
};

} // namespace vantrel
