#include "host/ui/U_MPG4_REPLAY_API.h"

namespace vantrel {

void ReplayApiLocalZoom(int port, const PaneRect& r, HWND w) {
    ReplayApiLocalZoom(StrovidReplayPlayer(), port, r, w);
}

void ReplayApiLocalZoomB(int port, const PaneRect& r, HWND w) {
    ReplayApiLocalZoomB(StrovidReplayPlayer(), port, r, w);
}

} // namespace vantrel
