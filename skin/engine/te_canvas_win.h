// The skin engine's images and fonts meeting the framework's graphics: drawing a
// TteBitmap on a TCanvas, taking pictures from TBitmap, TGraphic and TPicture, handing a
// picture to a TBitmap, and carrying font attributes between TteFont and TFont.
#pragma once

#include "framework/ui/graphics.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/theme_colors.h"

namespace dvr::skin {

void DrawCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, int X, int Y);
void DrawCanvasRect(const TteBitmap& Bitmap, fw::TCanvas& Canvas, int X, int Y, TRect SrcRect);
void StretchCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect);
void DrawCanvasTo(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect, TRect SrcRect);
void TileCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect, TRect SrcRect);
void TileClipCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect, TRect ClipRect,
                    TRect SrcRect);

// Assign from a TteBitmap, a TBitmap (copied opaque), another TGraphic (drawn into the
// bitmap's size, opaque) or a TPicture (its graphic); anything else raises the
// framework's conversion error.
void AssignPicture(TteBitmap& Bitmap, const fw::TPersistent* Source);
// Into a TBitmap (32 bits per pixel, this size, drawn with the bitmap's flags) or a
// TPicture's bitmap; anything else raises the conversion error.
void AssignPictureTo(const TteBitmap& Bitmap, fw::TPersistent* Dest);
// Graphic stretched into Rect over the bitmap; pixels it leaves out keep their value.
void DrawGraphic(TteBitmap& Bitmap, fw::TGraphic* Graphic, TRect Rect);

void DrawIconCentered(fw::TCanvas& Canvas, TRect Rect, fw::TIcon* Icon);

void FontToTFont(const TteFont& Source, fw::TFont& Dest);
void TFontToFont(const fw::TFont& Source, TteFont& Dest);

} // namespace dvr::skin
