// Painting shared by the bars: one part of a Windows visual-style class.
#pragma once

#include "framework/types.h"

#include <windows.h>

namespace dvr::skin {

// Opens Class with no window, draws Part in State over Rect (no clip) and closes it;
// nothing when the visual-style functions are missing.
void DrawBarVisualStyle(HDC DC, const wchar_t* Class, fw::TRect Rect, int Part, int State);

} // namespace dvr::skin
