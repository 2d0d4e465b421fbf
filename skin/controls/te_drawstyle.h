// Small helpers the push button, check box, list box and tab control share: a part of a
// Windows visual-style class drawn without a window, and the accelerator test of a caption.
#pragma once

#include "framework/types.h"

#include <string>

#include <windows.h>

namespace dvr::skin {

// Draws Part in State of the visual-style Class over R; nothing when styles are off.
void DrawStylePart(HDC DC, const wchar_t* Class, const fw::TRect& R, int Part, int State);

// Whether Caption marks Char (either case) as its accelerator with a single '&'.
bool IsCaptionAccel(wchar_t Char, const std::wstring& Caption);

} // namespace dvr::skin
