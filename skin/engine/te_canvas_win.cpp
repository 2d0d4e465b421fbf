#include "skin/engine/te_canvas_win.h"

#include "framework/exceptions.h"
#include "skin/engine/te_utils_win.h"

#include <algorithm>

namespace dvr::skin {

void DrawCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, int X, int Y) {
    Draw(Bitmap, Canvas.Handle(), X, Y);
}
void DrawCanvasRect(const TteBitmap& Bitmap, fw::TCanvas& Canvas, int X, int Y, TRect SrcRect) {
    DrawRect(Bitmap, Canvas.Handle(), X, Y, SrcRect);
}
void StretchCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect) {
    StretchDraw(Bitmap, Canvas.Handle(), DstRect);
}
void DrawCanvasTo(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect, TRect SrcRect) {
    DrawTo(Bitmap, Canvas.Handle(), DstRect, SrcRect);
}
void TileCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect, TRect SrcRect) {
    Tile(Bitmap, Canvas.Handle(), DstRect, SrcRect);
}
void TileClipCanvas(const TteBitmap& Bitmap, fw::TCanvas& Canvas, TRect DstRect, TRect ClipRect,
                    TRect SrcRect) {
    TileClip(Bitmap, Canvas.Handle(), DstRect, ClipRect, SrcRect);
}

namespace {

void FromTBitmap(TteBitmap& Bitmap, fw::TBitmap& Source) {
    Bitmap.SetSize(Source.Width(), Source.Height());
    if (Bitmap.IsEmpty() || Source.Empty()) return;
    ::BitBlt(BitmapDC(Bitmap), 0, 0, Bitmap.Width, Bitmap.Height, Source.Canvas()->Handle(), 0, 0,
             SRCCOPY);
    ::GdiFlush();
    Bitmap.SetAlpha(255);
}

void FromGraphic(TteBitmap& Bitmap, fw::TGraphic& Source) {
    Bitmap.SetSize(Source.Width(), Source.Height());
    if (Bitmap.IsEmpty()) return;
    DrawGraphic(Bitmap, &Source, TRect{0, 0, Bitmap.Width, Bitmap.Height});
    Bitmap.SetAlpha(255);
}

} // namespace

void AssignPicture(TteBitmap& Bitmap, const fw::TPersistent* Source) {
    // The framework's graphics are read through their canvases, which are not const.
    auto* src = const_cast<fw::TPersistent*>(Source);
    if (auto* b = dynamic_cast<fw::TBitmap*>(src)) return FromTBitmap(Bitmap, *b);
    if (auto* g = dynamic_cast<fw::TGraphic*>(src)) return FromGraphic(Bitmap, *g);
    if (auto* p = dynamic_cast<fw::TPicture*>(src)) {
        if (auto* b = dynamic_cast<fw::TBitmap*>(p->Graphic())) return FromTBitmap(Bitmap, *b);
        if (p->Graphic()) return FromGraphic(Bitmap, *p->Graphic());
        return;
    }
    Bitmap.Assign(Source);
}

void AssignPictureTo(const TteBitmap& Bitmap, fw::TPersistent* Dest) {
    fw::TBitmap* target = dynamic_cast<fw::TBitmap*>(Dest);
    if (auto* p = dynamic_cast<fw::TPicture*>(Dest)) target = p->Bitmap();
    if (!target) throw fw::EConvertError("Cannot assign a TteBitmap to a " + Dest->ClassName());
    target->SetPixelFormat(fw::TPixelFormat::pf32bit);
    target->SetSize(Bitmap.Width, Bitmap.Height);
    DrawCanvas(Bitmap, *target->Canvas(), 0, 0);
}

void DrawGraphic(TteBitmap& Bitmap, fw::TGraphic* Graphic, TRect Rect) {
    if (!Graphic || Bitmap.IsEmpty()) return;
    fw::TBitmap tmp;
    tmp.SetPixelFormat(fw::TPixelFormat::pf32bit);
    tmp.SetSize(Bitmap.Width, Bitmap.Height);
    fw::TCanvas* c = tmp.Canvas();
    c->Brush()->SetColor(fw::clFuchsia);
    c->Pen()->SetColor(fw::clFuchsia);
    c->Rectangle(-1, -1, Bitmap.Width + 1, Bitmap.Height + 1);
    c->StretchDraw(Rect, Graphic);
    ::GdiFlush();
    for (int y = 0; y < Bitmap.Height; ++y) {
        auto* row = static_cast<const TteColor*>(tmp.ScanLine(y));
        for (int x = 0; x < Bitmap.Width; ++x)
            if ((row[x] & 0x00FFFFFF) != 0x00FF00FF) Bitmap.SetPixel(x, y, row[x]);
    }
}

void DrawIconCentered(fw::TCanvas& Canvas, TRect Rect, fw::TIcon* Icon) {
    if (!Icon) return;
    DrawIconCenteredDC(Canvas.Handle(), Rect, Icon->Handle());
}

void FontToTFont(const TteFont& Source, fw::TFont& Dest) {
    Dest.SetName(Source.Name);
    Dest.SetSize(Source.Size);
    Dest.SetCharset(Source.Charset);
    Dest.SetColor(Source.Color);
    Dest.SetStyle(fw::TFontStyles::FromMask(Source.Style.Mask()));
}

void TFontToFont(const fw::TFont& Source, TteFont& Dest) {
    Dest.Name = Source.Name();
    Dest.Size = Source.Size();
    Dest.Charset = uint8_t(Source.Charset());
    Dest.Color = Source.Color();
    Dest.Style = TFontStyles::FromMask(Source.Style().Mask());
}

namespace {

void SolidPen(fw::TCanvas& c, fw::TColor color) {
    c.Pen()->SetStyle(fw::TPenStyle::psSolid);
    c.Pen()->SetColor(color);
}
void SolidBrush(fw::TCanvas& c, fw::TColor color) {
    c.Brush()->SetStyle(fw::TBrushStyle::bsSolid);
    c.Brush()->SetColor(color);
}
void ClearBrush(fw::TCanvas& c) {
    c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
}

} // namespace

void CanvasMoveTo(fw::TCanvas& Canvas, int X, int Y) {
    Canvas.MoveTo(X, Y);
}

void DrawLineTo(fw::TCanvas& Canvas, int X, int Y, fw::TColor Color) {
    SolidPen(Canvas, Color);
    Canvas.LineTo(X, Y);
}

void DrawBevelFrame(fw::TCanvas& Canvas, TRect R, fw::TColor TopLeftColor,
                    fw::TColor BottomRightColor) {
    ClearBrush(Canvas);
    SolidPen(Canvas, TopLeftColor);
    Canvas.MoveTo(R.Left, R.Bottom - 2);
    Canvas.LineTo(R.Left, R.Top);
    Canvas.LineTo(R.Right - 1, R.Top);
    SolidPen(Canvas, BottomRightColor);
    Canvas.MoveTo(R.Right - 1, R.Top);
    Canvas.LineTo(R.Right - 1, R.Bottom - 1);
    Canvas.LineTo(R.Left - 1, R.Bottom - 1);
}

void DrawFrameRect(fw::TCanvas& Canvas, TRect R, fw::TColor Color) {
    ClearBrush(Canvas);
    SolidPen(Canvas, Color);
    Canvas.Rectangle(R);
}

void DrawFrameRectCoords(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom,
                         fw::TColor Color) {
    DrawFrameRect(Canvas, TRect{Left, Top, Right, Bottom}, Color);
}

void DrawFocusRectColor(fw::TCanvas& Canvas, TRect R, fw::TColor Color) {
    SolidBrush(Canvas, Color);
    RECT r{R.Left, R.Top, R.Right, R.Bottom};
    ::DrawFocusRect(Canvas.Handle(), &r);
}

void FillRectColor(fw::TCanvas& Canvas, TRect R, fw::TColor Color) {
    SolidBrush(Canvas, Color);
    Canvas.FillRect(R);
}

void FillRectCoords(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom,
                    fw::TColor Color) {
    FillRectColor(Canvas, TRect{Left, Top, Right, Bottom}, Color);
}

void DrawRoundRectFrame(fw::TCanvas& Canvas, TRect R, int Radius, fw::TColor Color) {
    ClearBrush(Canvas);
    SolidPen(Canvas, Color);
    Canvas.RoundRect(R.Left, R.Top, R.Right, R.Bottom, Radius, Radius);
}

void FillRoundRectColor(fw::TCanvas& Canvas, TRect R, int Radius, fw::TColor Color) {
    SolidBrush(Canvas, Color);
    SolidPen(Canvas, Color);
    Canvas.RoundRect(R.Left, R.Top, R.Right, R.Bottom, Radius, Radius);
}

void FillGradientRect(fw::TCanvas& Canvas, TRect R, fw::TColor StartColor, fw::TColor EndColor,
                      bool Vertical) {
    FillGradientRect(Canvas.Handle(), R, StartColor, EndColor, Vertical);
    // The last (empty) band leaves the brush solid in the end colour; the canvas's own
    // brush goes back into the DC, which drew the bands with its DC brush.
    if (R.Width() > 0 && R.Height() > 0) SolidBrush(Canvas, ColorToRGB(EndColor));
    ::SelectObject(Canvas.Handle(), Canvas.Brush()->Handle());
}

void FillCheckerRect(fw::TCanvas& Canvas, TRect R, fw::TColor Color1, fw::TColor Color2) {
    FillCheckerRect(Canvas.Handle(), R, Color1, Color2);
}

void DrawPolygonFrame(fw::TCanvas& Canvas, const std::vector<TPoint>& Points, fw::TColor Color) {
    if (Points.empty()) return;
    ClearBrush(Canvas);
    SolidPen(Canvas, Color);
    Canvas.Polygon(Points);
}

void FillPolygonColor(fw::TCanvas& Canvas, const std::vector<TPoint>& Points, fw::TColor Color) {
    if (Points.empty()) return;
    SolidBrush(Canvas, Color);
    SolidPen(Canvas, Color);
    Canvas.Polygon(Points);
}

int DrawWideText(fw::TCanvas& Canvas, const std::wstring& Text, TRect Rect, UINT Format) {
    return DrawWideText(Canvas.Handle(), Text, Rect, Format);
}

int DrawVerticalText(fw::TCanvas& Canvas, const std::wstring& Text, TRect Rect, UINT Format,
                     bool Clockwise) {
    return DrawVerticalText(Canvas.Handle(), Text, Rect, Format, Clockwise);
}

int WideTextWidth(fw::TCanvas& Canvas, const std::wstring& Text, UINT Format) {
    return WideTextWidth(Canvas.Handle(), Text, Format);
}

int WideTextHeight(fw::TCanvas& Canvas, const std::wstring& Text) {
    return WideTextHeight(Canvas.Handle(), Text);
}

} // namespace dvr::skin
