#include "skin/engine/te_bitmap_win.h"

#include "common/win/handles.h"
#include "skin/engine/te_winapi.h"

namespace dvr::skin {

TDIBInfo GetDIBInfo(HDC DC) {
    TDIBInfo info;
    HGDIOBJ bmp = ::GetCurrentObject(DC, OBJ_BITMAP);
    DIBSECTION ds{};
    if (!bmp || ::GetObjectW(bmp, sizeof(ds), &ds) != int(sizeof(ds))) return info;
    info.Bits = ds.dsBm.bmBits;
    info.Width = ds.dsBm.bmWidth;
    info.Height = ds.dsBm.bmHeight;
    info.BitsPerPixel = ds.dsBm.bmBitsPixel;
    info.TopDown = ds.dsBmih.biHeight < 0;
    return info;
}

namespace {

TRect Offset(TRect r, POINT org) {
    return TRect{r.Left - org.x, r.Top - org.y, r.Right - org.x, r.Bottom - org.y};
}

void GdiCopy(const TteBitmap& b, HDC DC, TRect d, TRect s) {
    ::SetStretchBltMode(DC, COLORONCOLOR);
    ::StretchBlt(DC, d.Left, d.Top, d.Width(), d.Height(), BitmapDC(b), s.Left, s.Top, s.Width(),
                 s.Height(), SRCCOPY);
}

// Slow path for targets without reachable memory: the area read back, drawn on in
// memory, and written again.
void GdiReadBack(const TteBitmap& b, HDC DC, TRect d, TRect s) {
    if (d.Width() <= 0 || d.Height() <= 0) return;
    TteBitmap tmp;
    tmp.SetSize(d.Width(), d.Height());
    ::BitBlt(BitmapDC(tmp), 0, 0, d.Width(), d.Height(), DC, d.Left, d.Top, SRCCOPY);
    ::GdiFlush();
    b.DrawToBitmap(&tmp, TRect{0, 0, d.Width(), d.Height()}, s);
    ::BitBlt(DC, d.Left, d.Top, d.Width(), d.Height(), BitmapDC(tmp), 0, 0, SRCCOPY);
}

void GdiKey(const TteBitmap& b, HDC DC, TRect d, TRect s) {
    if (TTransparentBlt blt = TransparentBltProc()) {
        blt(DC, d.Left, d.Top, d.Width(), d.Height(), BitmapDC(b), s.Left, s.Top, s.Width(),
            s.Height(), 0x7F007F);
        return;
    }
    GdiReadBack(b, DC, d, s);
}

} // namespace

void DrawTo(const TteBitmap& Bitmap, HDC DC, TRect DstRect, TRect SrcRect) {
    if (!DC || Bitmap.IsEmpty()) return;
    if (TteBitmap* target = FindBitmapByDC(DC)) {
        POINT org{};
        ::GetWindowOrgEx(DC, &org);
        Bitmap.DrawToBitmap(target, Offset(DstRect, org), SrcRect);
        return;
    }
    TDIBInfo dib = GetDIBInfo(DC);
    if (dib.Bits && dib.BitsPerPixel == 32 && dib.Height > 0) {
        POINT org{};
        ::GetWindowOrgEx(DC, &org);
        TRect d = Offset(DstRect, org);
        // GDI may still have drawing queued for the section.
        ::GdiFlush();
        BlitToMemory(static_cast<TteColor*>(dib.Bits), dib.Width, dib.Height, dib.TopDown, d, d,
                     SrcRect, Bitmap, BlitModeOf(Bitmap), true);
        return;
    }
    switch (BlitModeOf(Bitmap)) {
    case TBlitMode::Alpha:
        GdiReadBack(Bitmap, DC, DstRect, SrcRect);
        break;
    case TBlitMode::Key:
        GdiKey(Bitmap, DC, DstRect, SrcRect);
        break;
    case TBlitMode::Copy:
        GdiCopy(Bitmap, DC, DstRect, SrcRect);
        break;
    }
}

void Draw(const TteBitmap& Bitmap, HDC DC, int X, int Y) {
    DrawRect(Bitmap, DC, X, Y, TRect{0, 0, Bitmap.Width, Bitmap.Height});
}

void DrawRect(const TteBitmap& Bitmap, HDC DC, int X, int Y, TRect SrcRect) {
    DrawTo(Bitmap, DC, TRect{X, Y, X + SrcRect.Width(), Y + SrcRect.Height()}, SrcRect);
}

void StretchDraw(const TteBitmap& Bitmap, HDC DC, TRect DstRect) {
    DrawTo(Bitmap, DC, DstRect, TRect{0, 0, Bitmap.Width, Bitmap.Height});
}

void Tile(const TteBitmap& Bitmap, HDC DC, TRect DstRect, TRect SrcRect) {
    TileClip(Bitmap, DC, DstRect, TRect{}, SrcRect);
}

void TileClip(const TteBitmap& Bitmap, HDC DC, TRect DstRect, TRect ClipRect, TRect SrcRect) {
    ForEachTile(DstRect, ClipRect, SrcRect, [&](TRect d, TRect s) { DrawTo(Bitmap, DC, d, s); });
}

void AssignFromHBitmap(TteBitmap& Bitmap, HBITMAP Source) {
    BITMAP bm{};
    if (!Source || !::GetObjectW(Source, sizeof(bm), &bm)) return;
    Bitmap.SetSize(bm.bmWidth, bm.bmHeight);
    if (Bitmap.IsEmpty()) return;
    win::MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return;
    {
        win::SelectObjectScope sel(dc.get(), Source);
        ::BitBlt(BitmapDC(Bitmap), 0, 0, Bitmap.Width, Bitmap.Height, dc.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    Bitmap.SetAlpha(255);
}

} // namespace dvr::skin
