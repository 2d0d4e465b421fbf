// The few things the portable core asks of the platform: pixel storage for bitmaps and
// the RGB value of a system colour. The Windows tree backs a bitmap with a DIB section
// selected into a memory DC; the native tree with plain memory.
#pragma once

#include "framework/colors.h"

#include <cstdint>

namespace dvr::skin {

struct TteSurface {
    uint32_t* Bits = nullptr;
    void* Handle = nullptr; // HBITMAP on Windows
    void* DC = nullptr;     // HDC on Windows; a unique tag natively
};

enum class TSurfaceResult { Ok, NoBits, NoDC, NoSelect };

// Zero-filled top-down storage of Width x Height pixels.
TSurfaceResult CreateSurface(int32_t Width, int32_t Height, TteSurface& Surface);
void DestroySurface(TteSurface& Surface);

// GetSysColor on Windows; the classic scheme natively.
fw::TColor SystemColorRGB(int Index);

} // namespace dvr::skin
