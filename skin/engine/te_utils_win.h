// The skin engine's toolbox, device-context part: one-colour primitives, gradients and
// checker fills, glyphs in a colour, shadows, Unicode and vertical text, ellipsis
// fitting, regions from bitmaps, keyboard timings and nested mouse capture.
//
// The primitives draw with the DC's own pen and brush (DC_PEN, DC_BRUSH, NULL_BRUSH) and
// leave them selected, so nothing has to be freed afterwards.
#pragma once

#include "skin/engine/te_bitmap.h"
#include "skin/engine/te_utils.h"

#include <windows.h>

#include <string>
#include <vector>

namespace dvr::skin {

using TColor = fw::TColor;

void CanvasMoveTo(HDC DC, int X, int Y);
void DrawLineTo(HDC DC, int X, int Y, TColor Color);
void DrawBevelFrame(HDC DC, TRect Rect, TColor TopLeftColor, TColor BottomRightColor);
void DrawFrameRect(HDC DC, TRect Rect, TColor Color);
void DrawFrameRectCoords(HDC DC, int Left, int Top, int Right, int Bottom, TColor Color);
void DrawFocusRectColor(HDC DC, TRect Rect, TColor Color);
void FillRectColor(HDC DC, TRect Rect, TColor Color);
void FillRectCoords(HDC DC, int Left, int Top, int Right, int Bottom, TColor Color);
void DrawRoundRectFrame(HDC DC, TRect Rect, int Radius, TColor Color);
void FillRoundRectColor(HDC DC, TRect Rect, int Radius, TColor Color);
void FillGradientRect(HDC DC, TRect Rect, TColor StartColor, TColor EndColor, bool Vertical);
void FillCheckerRect(HDC DC, TRect Rect, TColor Color1, TColor Color2);
void FillCheckerPolygon(HDC DC, const std::vector<TPoint>& Points, TColor Color1, TColor Color2);
void DrawPolygonFrame(HDC DC, const std::vector<TPoint>& Points, TColor Color);
void FillPolygonColor(HDC DC, const std::vector<TPoint>& Points, TColor Color);
bool PointInPolygon(TPoint P, const std::vector<TPoint>& Points);
// The icon at its own size, at the top-left of a 16 x 16 box centred in Rect.
void DrawIconCenteredDC(HDC DC, TRect Rect, HICON Icon);
// DrawFrameControl(DFC_CAPTION): a caption button with its glyph. The system draws the
// glyph as a character of its symbol font; where that font is missing (a Wine prefix
// without Wine's own fonts) the character comes out as a plain letter ("r" for close),
// so the same glyph is then drawn here.
void DrawCaptionFrameControl(HDC DC, TRect Rect, UINT State);
// DrawFrameControl's glyph in Color on a transparent background.
void DrawFrameControlColored(HDC DC, TRect Rect, UINT Type, UINT State, TColor Color);
// The bitmap's silhouette in Color at alpha 100.
void DrawBitmapShadow(HDC DC, int X, int Y, const TteBitmap& Bitmap, TColor Color);

// Text: UTF-16 in; DrawTextW on NT systems, the ANSI code page elsewhere.
int DrawWideText(HDC DC, const std::wstring& Text, TRect Rect, UINT Format);
// Text turned a quarter: clockwise reads downwards, else upwards.
int DrawVerticalText(HDC DC, const std::wstring& Text, TRect Rect, UINT Format, bool Clockwise);
int WideTextWidth(HDC DC, const std::wstring& Text, UINT Format);
int WideTextHeight(HDC DC, const std::wstring& Text);
void FitTextWithEllipsis(HDC DC, const std::wstring& Text, int MaxWidth, std::wstring& Result);

// The window region of the bitmap's non-key pixels, offset by (X, Y); the caller owns it.
HRGN CreateRegionFromBitmap(const TteBitmap& Bitmap, int X, int Y);

int GetKeyboardDelayMs();
int GetKeyboardRepeatMs();

// Nested capture: the outermost call captures, the last release lets go.
void BeginMouseCapture(HWND Wnd);
void EndMouseCapture();
HWND CaptureWindow();

} // namespace dvr::skin
