// Region zoom of a player port: show a rectangle of the picture enlarged, or the whole again.
#pragma once

#include "host/engine/U_PaneLayout.h"
#include "host/ui/U_ReplayPlayer.h"

#include <windows.h>

namespace vantrel {

// The port's window shows `source` (picture pixels) enlarged; `unused` is not used.
inline void ReplayApiLocalZoom(TReplayPlayer& player, int port, const PaneRect& r, HWND) {
    player.LocalZoom(port, 1, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}
// The port's window shows the whole picture again.
inline void ReplayApiLocalZoomB(TReplayPlayer& player, int port, const PaneRect& r, HWND) {
    player.LocalZoom(port, 0, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// The same through the player library.
void ReplayApiLocalZoom(int port, const PaneRect& source, HWND unused);
void ReplayApiLocalZoomB(int port, const PaneRect& source, HWND unused);

} // namespace vantrel
