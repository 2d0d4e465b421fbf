// Screen pixels as SendInput's absolute mouse coordinates, for tests that drive the real mouse.
#pragma once

#include <windows.h>

#include <cstdint>

namespace dvr::skin {

// Rounded up: Wine maps an absolute coordinate back with Value * Extent / 65536 rounded
// down, which then lands on exactly Pixel. Rounded to nearest, a third of the rows came
// out one pixel short, and a test waiting for the cursor to arrive waited out its bound.
inline LONG AbsoluteMouseCoordinate(int Pixel, int Extent) {
    return LONG((int64_t(Pixel) * 65536 + Extent - 1) / Extent);
}

inline LONG AbsoluteMouseX(int X) { return AbsoluteMouseCoordinate(X, ::GetSystemMetrics(SM_CXSCREEN)); }
inline LONG AbsoluteMouseY(int Y) { return AbsoluteMouseCoordinate(Y, ::GetSystemMetrics(SM_CYSCREEN)); }

} // namespace dvr::skin
