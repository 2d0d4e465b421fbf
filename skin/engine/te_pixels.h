// Pixels of the skin engine's images and the row routines every drawing goes through.
// Plain memory only: no platform headers, so the same code runs in both trees.
#pragma once

#include "framework/colors.h"

#include <cstdint>

namespace dvr::skin {

// One pixel: bytes B, G, R, A in memory, 0xAARRGGBB as an integer.
using TteColor = uint32_t;

// The transparent key of skins and glyphs (R 0x7F, G 0, B 0x7F, alpha 0).
constexpr TteColor KeyColor = 0x007F007F;
// Never counts as transparent in the mask analysis of bitmap links.
constexpr TteColor ReservedPixel = 0x33333333;

constexpr uint8_t PixelB(TteColor c) {
    return uint8_t(c);
}
constexpr uint8_t PixelG(TteColor c) {
    return uint8_t(c >> 8);
}
constexpr uint8_t PixelR(TteColor c) {
    return uint8_t(c >> 16);
}
constexpr uint8_t PixelA(TteColor c) {
    return uint8_t(c >> 24);
}
constexpr bool IsKeyRGB(TteColor c) {
    return (c & 0x00FFFFFF) == (KeyColor & 0x00FFFFFF);
}

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
// Nearest integer, ties to even (the FPU default).
int32_t RoundEven(double v);

// A framework colour with system colours resolved to RGB (low three bytes R, G, B).
fw::TColor ColorToRGB(fw::TColor Color);
TteColor ColorToPixel(fw::TColor Color, uint8_t Alpha);
fw::TColor PixelToColor(TteColor Pixel);
// R, G, B clamped to 0..255; A stored as given.
TteColor MakePixel(int16_t R, int16_t G, int16_t B, uint8_t A);
void PixelToHSL(TteColor Pixel, float& H, float& S, float& L);
TteColor HSLToPixel(float H, float S, float L);
TteColor ShiftHue(TteColor Pixel, int Delta);
TteColor ShiftBrightness(TteColor Pixel, int Delta);
TteColor ShiftPixel(TteColor Pixel, int DR, int DG, int DB, int DA);
TteColor ShiftRGB(TteColor Pixel, int Delta);

// The two blend formulas. Plain: Src over Dst with weights a and 255 - a, result opaque,
// alpha 0 and 255 taken exactly. Packed: all four bytes with weights a and 256 - a, no
// shortcut for a single pixel.
TteColor PixelBlendPlain(TteColor Src, TteColor Dst);
TteColor PixelBlendPacked(TteColor Src, TteColor Dst);

// The row routines, picked once from the processor (SelectPixelRoutines).
struct TPixelRoutines {
    TteColor (*PixelBlend)(TteColor Src, TteColor Dst);
    void (*BlendRow)(const TteColor* Src, TteColor* Dst, int Count);
    void (*TransparentRow)(const TteColor* Src, TteColor* Dst, int Count);
    void (*CopyRow)(const TteColor* Src, TteColor* Dst, int Count);
    void (*FillRow)(TteColor* Dst, int Count, TteColor Value);
    void (*FillPixelRect)(TteColor* Bits, int Width, int Height, int X1, int Y1, int X2, int Y2,
                          TteColor Value);
    void (*SetAlphaRow)(TteColor* Dst, int Count, uint8_t Alpha);
    void (*SetAlphaPixelRect)(TteColor* Bits, int Width, int Height, int X1, int Y1, int X2, int Y2,
                              uint8_t Alpha);
    void (*ClearKeyAlpha)(TteColor* Dst, int Count, TteColor Color);
};

extern TPixelRoutines PixelRoutines;

// True when the processor has the packed-integer unit; decides the blend variant.
bool CpuHasMMX();
extern bool MMXEnabled;

// Fills PixelRoutines: the packed blend (SSE2 where built, else scalar) when Packed,
// otherwise the plain one.
void SelectPixelRoutines(bool Packed);

// Kept for the routines' contract: the packed forms here use SSE2 registers, which need
// no state reset before floating point, so this does nothing.
inline void EndMMX() {}

// Tests run both blend variants: switches for a scope and restores.
class TPixelRoutineScope {
public:
    explicit TPixelRoutineScope(bool Packed);
    ~TPixelRoutineScope();
    TPixelRoutineScope(const TPixelRoutineScope&) = delete;
    TPixelRoutineScope& operator=(const TPixelRoutineScope&) = delete;

private:
    TPixelRoutines saved_;
};

} // namespace dvr::skin
