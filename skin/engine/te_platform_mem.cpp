// Native tree: bitmaps in plain memory, system colours from the classic scheme.
#include "skin/engine/te_platform.h"

#include <cstdlib>

namespace dvr::skin {

TSurfaceResult CreateSurface(int32_t Width, int32_t Height, TteSurface& Surface) {
    Surface = {};
    void* p = std::calloc(size_t(Width) * size_t(Height), 4);
    if (!p) return TSurfaceResult::NoBits;
    Surface.Bits = static_cast<uint32_t*>(p);
    Surface.DC = p;
    return TSurfaceResult::Ok;
}

void DestroySurface(TteSurface& Surface) {
    std::free(Surface.Bits);
    Surface = {};
}

fw::TColor SystemColorRGB(int Index) {
    static const fw::TColor classic[31] = {
        0xC8C8C8, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
        0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
        0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
        0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4};
    if (Index < 0 || Index >= 31) return 0;
    return classic[Index];
}

} // namespace dvr::skin
