// The screen-sized DirectDraw surface the boards write live pictures into, and the
// thread that keeps it on the screen.
#pragma once

#include "sdk/dorsk/preview_format.h"
#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

enum class PreviewSurfaceKind { None, Overlay, OffscreenYuv, OffscreenRgb16 };

// Sets up the preview surface and starts its watch thread. Without DirectDraw or
// without a surface the boards can write to, the library still starts and preview is
// unavailable (kind None); false only when the watch thread cannot start.
bool StartPreviewSurfaces();
void ReleasePreviewSurfaces();

PreviewSurfaceKind CurrentPreviewSurfaceKind();

// What the boards are told about the surface, for checks.
struct PreviewSurfaceInfo {
    PreviewSurfaceKind kind;
    int screenWidth, screenHeight;
    uint32_t pitch, formatCode, busAddress;
    uint8_t* hostAddress;
    int clearRequests;
};
PreviewSurfaceInfo CurrentPreviewSurface();

// A screen rectangle cut to what the surface holds: left and top at least 0, right up
// to 4 pixels short of the surface's row and bottom to the last screen row.
PreviewRect ClampPreviewRect(PreviewRect rect, uint32_t pitch, int bits_per_pixel,
                             int screen_height);

} // namespace dvr::dorsk
