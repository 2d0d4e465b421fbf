// The screen-sized DirectDraw surface the boards write live pictures into, and the
// thread that keeps it on the screen.
#pragma once

#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

enum class PreviewSurfaceKind { None, Overlay, OffscreenYuv, OffscreenRgb16 };

// Sets up the preview surface and starts its watch thread. Without DirectDraw or
// without a surface the boards can write to, the library still starts and preview is
// unavailable (kind None); false only when the watch thread cannot start.
bool StartPreviewSurfaces();
void ReleasePreviewSurfaces();

PreviewSurfaceKind CurrentPreviewSurfaceKind();

} // namespace dvr::dorsk
