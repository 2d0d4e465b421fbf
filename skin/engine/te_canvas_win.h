// The skin engine's images and fonts meeting the framework's graphics: drawing a
// TteBitmap on a TCanvas, taking pictures from TBitmap, TGraphic and TPicture, handing a
// picture to a TBitmap, and carrying font attributes between TteFont and TFont.
#pragma once

#include "framework/ui/graphics.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/theme_colors.h"

#include <string>
#include <vector>

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

// The one-colour primitives on a canvas: each sets the canvas's pen and brush as it needs
// them and leaves them so.
void CanvasMoveTo(fw::TCanvas& Canvas, int X, int Y);
void DrawLineTo(fw::TCanvas& Canvas, int X, int Y, fw::TColor Color);
void DrawBevelFrame(fw::TCanvas& Canvas, TRect Rect, fw::TColor TopLeftColor,
                    fw::TColor BottomRightColor);
void DrawFrameRect(fw::TCanvas& Canvas, TRect Rect, fw::TColor Color);
void DrawFrameRectCoords(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom,
                         fw::TColor Color);
void DrawFocusRectColor(fw::TCanvas& Canvas, TRect Rect, fw::TColor Color);
void FillRectColor(fw::TCanvas& Canvas, TRect Rect, fw::TColor Color);
void FillRectCoords(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom,
                    fw::TColor Color);
void DrawRoundRectFrame(fw::TCanvas& Canvas, TRect Rect, int Radius, fw::TColor Color);
void FillRoundRectColor(fw::TCanvas& Canvas, TRect Rect, int Radius, fw::TColor Color);
void FillGradientRect(fw::TCanvas& Canvas, TRect Rect, fw::TColor StartColor, fw::TColor EndColor,
                      bool Vertical);
void FillCheckerRect(fw::TCanvas& Canvas, TRect Rect, fw::TColor Color1, fw::TColor Color2);
void DrawPolygonFrame(fw::TCanvas& Canvas, const std::vector<TPoint>& Points, fw::TColor Color);
void FillPolygonColor(fw::TCanvas& Canvas, const std::vector<TPoint>& Points, fw::TColor Color);
// Text in the canvas's font.
int DrawWideText(fw::TCanvas& Canvas, const std::wstring& Text, TRect Rect, UINT Format);
int DrawVerticalText(fw::TCanvas& Canvas, const std::wstring& Text, TRect Rect, UINT Format,
                     bool Clockwise);
int WideTextWidth(fw::TCanvas& Canvas, const std::wstring& Text, UINT Format);
int WideTextHeight(fw::TCanvas& Canvas, const std::wstring& Text);

void FontToTFont(const TteFont& Source, fw::TFont& Dest);
void TFontToFont(const fw::TFont& Source, TteFont& Dest);

} // namespace dvr::skin
