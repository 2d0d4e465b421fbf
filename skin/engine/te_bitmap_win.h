// Drawing a TteBitmap onto device contexts: onto another TteBitmap or a 32-bit DIB section
// in memory, otherwise through GDI. The flags of the bitmap choose alpha, key or copy.
#pragma once

#include "skin/engine/te_bitmap.h"

#include <windows.h>

namespace dvr::skin {

inline HDC BitmapDC(const TteBitmap& b) {
    return static_cast<HDC>(b.DC);
}

// The core: SrcRect scaled into DstRect (logical coordinates of DC).
void DrawTo(const TteBitmap& Bitmap, HDC DC, TRect DstRect, TRect SrcRect);
void Draw(const TteBitmap& Bitmap, HDC DC, int X, int Y);
void DrawRect(const TteBitmap& Bitmap, HDC DC, int X, int Y, TRect SrcRect);
// The whole bitmap scaled into DstRect.
void StretchDraw(const TteBitmap& Bitmap, HDC DC, TRect DstRect);
void Tile(const TteBitmap& Bitmap, HDC DC, TRect DstRect, TRect SrcRect);
void TileClip(const TteBitmap& Bitmap, HDC DC, TRect DstRect, TRect ClipRect, TRect SrcRect);

// The pixel memory of the bitmap selected into DC: Bits null when there is none.
struct TDIBInfo {
    void* Bits = nullptr;
    int Width = 0, Height = 0, BitsPerPixel = 0;
    bool TopDown = false;
};
TDIBInfo GetDIBInfo(HDC DC);

// A GDI bitmap's picture copied in, opaque (what Assign does with a framework bitmap).
void AssignFromHBitmap(TteBitmap& Bitmap, HBITMAP Source);

} // namespace dvr::skin
