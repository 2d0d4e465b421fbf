#include "skin/engine/te_bitmap.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"
#include "skin/engine/te_platform.h"
#include "skin/engine/te_utils.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace dvr::skin {

// --- registry ---

namespace {

std::vector<TteBitmap*>& Registry() {
    static std::vector<TteBitmap*> list;
    return list;
}

void RegisterBitmap(TteBitmap* b) {
    Registry().push_back(b);
}

void UnregisterBitmap(TteBitmap* b) {
    auto& r = Registry();
    for (auto it = r.begin(); it != r.end(); ++it)
        if (*it == b) {
            r.erase(it);
            return;
        }
}

} // namespace

TteBitmap* FindBitmapByDC(const void* DC) {
    if (!DC) return nullptr;
    for (TteBitmap* b : Registry())
        if (b->DC == DC) return b;
    return nullptr;
}

// --- size ---

TteBitmap::TteBitmap() = default;

TteBitmap::~TteBitmap() {
    Release();
}

void TteBitmap::Release() {
    if (DC) UnregisterBitmap(this);
    TteSurface s{Bits, Handle, DC};
    if (Bits || Handle || DC) DestroySurface(s);
    Bits = nullptr;
    Handle = nullptr;
    DC = nullptr;
}

void TteBitmap::SetSize(int32_t W, int32_t H) {
    int64_t w = std::llabs(int64_t(W)), h = std::llabs(int64_t(H));
    if (w == 0 || h == 0) return;
    // An empty bitmap is always given pixels, also at the size a failed call left behind.
    if (w == Width && h == Height && !IsEmpty()) return;
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF || w * h > (int64_t(1) << 31) / 4) {
        Release();
        throw fw::Exception("Can't allocate the DIB handle");
    }
    Release();
    Info.biWidth = int32_t(w);
    Info.biHeight = -int32_t(h);
    TteSurface s;
    switch (CreateSurface(int32_t(w), int32_t(h), s)) {
    case TSurfaceResult::Ok:
        break;
    case TSurfaceResult::NoBits:
        throw fw::Exception("Can't allocate the DIB handle");
    case TSurfaceResult::NoDC:
        throw fw::Exception("Can't create compatible DC");
    case TSurfaceResult::NoSelect:
        throw fw::Exception("Can't select an object into DC");
    }
    Bits = s.Bits;
    Handle = s.Handle;
    DC = s.DC;
    RegisterBitmap(this);
    Width = int32_t(w);
    Height = int32_t(h);
}

// --- pixels ---

TteColor TteBitmap::GetPixel(int X, int Y) const {
    if (Bits && X >= 0 && X < Width && Y >= 0 && Y < Height) return *PixelPtr(X, Y);
    return 0;
}

void TteBitmap::SetPixel(int X, int Y, TteColor Value) {
    if (Bits && X >= 0 && X < Width && Y >= 0 && Y < Height) *PixelPtr(X, Y) = Value;
}

void TteBitmap::FillColor(TteColor Value) {
    if (IsEmpty()) return;
    for (int y = 0; y < Height; ++y)
        PixelRoutines.FillRow(ScanLine(y), Width, Value);
}

void TteBitmap::SetAlpha(uint8_t Alpha) {
    if (IsEmpty()) return;
    for (int y = 0; y < Height; ++y)
        PixelRoutines.SetAlphaRow(ScanLine(y), Width, Alpha);
}

namespace {
TRect ClipToBitmap(TRect r, const TteBitmap& b) {
    return IntersectRects(r, TRect{0, 0, b.Width, b.Height});
}
} // namespace

void TteBitmap::SetAlphaRect(uint8_t Alpha, TRect Rect) {
    if (Rect.Width() == 0 || Rect.Height() == 0 || IsEmpty()) return;
    TRect c = ClipToBitmap(Rect, *this);
    if (!RectHasArea(c)) return;
    PixelRoutines.SetAlphaPixelRect(Bits, Width, Height, c.Left, c.Top, c.Right - 1, c.Bottom - 1,
                                    Alpha);
}

void TteBitmap::FillRect(TRect Rect, TteColor Color) {
    if (IsEmpty()) return;
    TRect c = ClipToBitmap(Rect, *this);
    if (!RectHasArea(c)) return;
    if (AlphaBlend) {
        std::vector<TteColor> row(static_cast<size_t>(c.Width()), Color);
        for (int y = c.Top; y < c.Bottom; ++y)
            PixelRoutines.BlendRow(row.data(), PixelPtr(c.Left, y), c.Width());
        EndMMX();
    } else {
        PixelRoutines.FillPixelRect(Bits, Width, Height, c.Left, c.Top, c.Right - 1, c.Bottom - 1,
                                    Color);
    }
}

void TteBitmap::CheckAlpha() {
    AlphaBlend = false;
    if (IsEmpty()) return;
    size_t n = size_t(Width) * Height;
    for (size_t i = 0; i < n; ++i) {
        uint8_t a = PixelA(Bits[i]);
        if (a != 0 && a != 255) {
            AlphaBlend = true;
            return;
        }
    }
}

void TteBitmap::SetTransparentColor(TteColor Color) {
    Transparent = false;
    if (IsEmpty()) return;
    size_t n = size_t(Width) * Height;
    auto near = [](int a, int b) { return std::abs(a - b) < 6; };
    for (size_t i = 0; i < n; ++i) {
        TteColor p = Bits[i];
        if (near(PixelR(p), PixelR(Color)) && near(PixelG(p), PixelG(Color)) &&
            near(PixelB(p), PixelB(Color))) {
            Bits[i] = KeyColor;
            Transparent = true;
        }
    }
}

void TteBitmap::FlipVertical() {
    if (IsEmpty()) return;
    std::vector<TteColor> tmp(static_cast<size_t>(Width));
    for (int i = 0; i < Height / 2; ++i) {
        TteColor* a = ScanLine(i);
        TteColor* b = ScanLine(Height - 1 - i);
        std::memcpy(tmp.data(), a, tmp.size() * 4);
        std::memcpy(a, b, tmp.size() * 4);
        std::memcpy(b, tmp.data(), tmp.size() * 4);
    }
}

void TteBitmap::ApplyBrightness(int Delta) {
    if (IsEmpty()) return;
    size_t n = size_t(Width) * Height;
    for (size_t i = 0; i < n; ++i)
        if (PixelA(Bits[i]) != 0) Bits[i] = ShiftBrightness(Bits[i], Delta);
}

void TteBitmap::ApplyHue(int Delta) {
    if (IsEmpty()) return;
    size_t n = size_t(Width) * Height;
    for (size_t i = 0; i < n; ++i)
        if (PixelA(Bits[i]) != 0) Bits[i] = ShiftHue(Bits[i], Delta);
}

TteBitmapLink* TteBitmap::GetLink(TRect Rect) {
    auto* link = new TteBitmapLink();
    link->Bitmap = this;
    link->Name = Name;
    link->Rect = Rect;
    return link;
}

// --- streams ---

void TteBitmap::LoadFromStream(fw::TStream& Stream) {
    ReadString(Stream, Name);
    int32_t w = 0, h = 0;
    Stream.ReadBuffer(&w, 4);
    Stream.ReadBuffer(&h, 4);
    int64_t aw = std::llabs(int64_t(w)), ah = std::llabs(int64_t(h));
    // Dimensions the stream cannot hold pixels for are refused before anything is sized.
    if (aw * ah > (Stream.Size() - Stream.Position()) / 4)
        throw fw::EReadError("Stream read error");
    SetSize(w, h);
    bool read = !IsEmpty() && int64_t(Width) * Height == int64_t(w) * ah && w != 0 && h != 0;
    if (read) Stream.ReadBuffer(Bits, size_t(Width) * Height * 4);
    // Only rows just read are stored bottom up; a record without pixels leaves the old ones.
    if (h < 0 && read) FlipVertical();
    CheckAlpha();
    if (!AlphaBlend) SetTransparentColor(KeyColor);
}

void TteBitmap::SaveToStream(fw::TStream& Stream) const {
    WriteString(Stream, Name);
    int32_t w = Width, h = Height;
    Stream.WriteBuffer(&w, 4);
    Stream.WriteBuffer(&h, 4);
    if (!IsEmpty()) Stream.WriteBuffer(Bits, size_t(Width) * Height * 4);
}

void TteBitmap::Assign(const fw::TPersistent* Source) {
    if (auto* src = dynamic_cast<const TteBitmap*>(Source)) {
        if (src == this) return;
        // A source without pixels leaves this bitmap's pixels as they are.
        if (!src->IsEmpty()) {
            SetSize(src->Width, src->Height);
            if (IsEmpty()) return;
            for (int y = 0; y < Height; ++y)
                PixelRoutines.CopyRow(src->ScanLine(y), ScanLine(y), Width);
        }
        Name = src->Name;
        Transparent = src->Transparent;
        AlphaBlend = src->AlphaBlend;
        return;
    }
    fw::TPersistent::Assign(Source);
}

// --- drawing in memory ---

TBlitMode BlitModeOf(const TteBitmap& Bitmap) {
    if (Bitmap.AlphaBlend) return TBlitMode::Alpha;
    if (Bitmap.Transparent) return TBlitMode::Key;
    return TBlitMode::Copy;
}

namespace {

void RowOp(TBlitMode Mode, const TteColor* Src, TteColor* Dst, int Count) {
    switch (Mode) {
    case TBlitMode::Copy:
        PixelRoutines.CopyRow(Src, Dst, Count);
        break;
    case TBlitMode::Key:
        PixelRoutines.TransparentRow(Src, Dst, Count);
        break;
    case TBlitMode::Alpha:
        PixelRoutines.BlendRow(Src, Dst, Count);
        break;
    }
}

// Nearest source position of destination index i (0-based within Clip).
std::vector<int> SourceTable(int count, int clipStart, int dstStart, int dstSize, int srcStart,
                             int srcEnd, bool round) {
    std::vector<int> t(static_cast<size_t>(count));
    int srcSize = srcEnd - srcStart;
    if (dstSize == 1) {
        t.assign(size_t(count), (srcStart + srcEnd - 1) / 2);
        return t;
    }
    float f = float(srcSize - 1) / float(dstSize - 1);
    for (int i = 0; i < count; ++i) {
        float v = float(i + clipStart - dstStart) * f + float(srcStart);
        int s = round ? int(std::nearbyint(v)) : int(v);
        t[size_t(i)] = std::clamp(s, srcStart, srcEnd - 1);
    }
    return t;
}

} // namespace

void BlitToMemory(TteColor* Target, int TargetWidth, int TargetHeight, bool TopDown, TRect DstRect,
                  TRect ClipRect, TRect SrcRect, const TteBitmap& Source, TBlitMode Mode,
                  bool RoundToNearest) {
    if (!Target || Source.IsEmpty()) return;
    TRect clip =
        IntersectRects(IntersectRects(ClipRect, TRect{0, 0, TargetWidth, TargetHeight}), DstRect);
    if (clip.Width() < 1 || clip.Height() < 1) return;
    if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Source.Width ||
        SrcRect.Bottom > Source.Height)
        return;
    // An empty or inverted source has no pixels to scale from.
    if (SrcRect.Width() < 1 || SrcRect.Height() < 1) return;
    auto dstRow = [&](int y) {
        int row = TopDown ? y : TargetHeight - 1 - y;
        return Target + size_t(row) * TargetWidth;
    };
    int cw = clip.Width();
    if (DstRect.Width() == SrcRect.Width() && DstRect.Height() == SrcRect.Height()) {
        int sx = SrcRect.Left + clip.Left - DstRect.Left;
        int sy = SrcRect.Top + clip.Top - DstRect.Top;
        for (int y = clip.Top; y < clip.Bottom; ++y, ++sy)
            RowOp(Mode, Source.PixelPtr(sx, sy), dstRow(y) + clip.Left, cw);
        EndMMX();
        return;
    }
    std::vector<int> cols = SourceTable(cw, clip.Left, DstRect.Left, DstRect.Width(), SrcRect.Left,
                                        SrcRect.Right, RoundToNearest);
    std::vector<int> rows = SourceTable(clip.Height(), clip.Top, DstRect.Top, DstRect.Height(),
                                        SrcRect.Top, SrcRect.Bottom, RoundToNearest);
    std::vector<TteColor> line(static_cast<size_t>(cw));
    int lineRow = -1;
    for (int r = 0; r < clip.Height(); ++r) {
        int sy = rows[size_t(r)];
        if (sy != lineRow) {
            const TteColor* src = Source.ScanLine(sy);
            for (int i = 0; i < cw; ++i)
                line[size_t(i)] = src[cols[size_t(i)]];
            lineRow = sy;
        }
        RowOp(Mode, line.data(), dstRow(clip.Top + r) + clip.Left, cw);
    }
    EndMMX();
}

void TteBitmap::DrawToBitmap(TteBitmap* Target, TRect DstRect, TRect SrcRect) const {
    if (!Target || Target->IsEmpty() || IsEmpty()) return;
    if (Target == this) {
        // Drawing onto itself reads from an unchanged copy, whichever way it moves.
        TteBitmap copy;
        copy.Assign(this);
        copy.AlphaBlend = AlphaBlend;
        copy.Transparent = Transparent;
        BlitToMemory(Bits, Width, Height, true, DstRect, DstRect, SrcRect, copy, BlitModeOf(*this),
                     false);
        return;
    }
    BlitToMemory(Target->Bits, Target->Width, Target->Height, true, DstRect, DstRect, SrcRect,
                 *this, BlitModeOf(*this), false);
}

void TteBitmap::DrawOnBitmap(TteBitmap* Target, int X, int Y) const {
    DrawOnBitmapRect(Target, X, Y, TRect{0, 0, Width, Height});
}

void TteBitmap::DrawOnBitmapRect(TteBitmap* Target, int X, int Y, TRect SrcRect) const {
    DrawToBitmap(Target, TRect{X, Y, X + SrcRect.Width(), Y + SrcRect.Height()}, SrcRect);
}

void TteBitmap::MergeUnder(const TteBitmap* Source, int X, int Y, TRect SrcRect) {
    if (!Source || Source->IsEmpty() || IsEmpty()) return;
    if (SrcRect.Left < 0) {
        X -= SrcRect.Left;
        SrcRect.Left = 0;
    }
    if (SrcRect.Top < 0) {
        Y -= SrcRect.Top;
        SrcRect.Top = 0;
    }
    SrcRect.Right = std::min(SrcRect.Right, Source->Width);
    SrcRect.Bottom = std::min(SrcRect.Bottom, Source->Height);
    for (int sy = SrcRect.Top; sy < SrcRect.Bottom; ++sy) {
        int dy = Y + sy - SrcRect.Top;
        if (dy < 0 || dy >= Height) continue;
        for (int sx = SrcRect.Left; sx < SrcRect.Right; ++sx) {
            int dx = X + sx - SrcRect.Left;
            if (dx < 0 || dx >= Width) continue;
            TteColor s = *Source->PixelPtr(sx, sy);
            TteColor& d = *PixelPtr(dx, dy);
            uint8_t a = PixelA(d);
            if (a == 0)
                d = s;
            else if (a != 255)
                d = PixelRoutines.PixelBlend(d, s);
        }
    }
    EndMMX();
}

// --- links ---

void TteBitmapLink::Publish(fw::TPublisher<TteBitmapLink>& p) {
    p.Field("Name", nullptr, &TteBitmapLink::Name);
    p.Property(
        "Left", nullptr, [](const TteBitmapLink& l) { return l.Rect.Left; },
        [](TteBitmapLink& l, int32_t v) { l.Rect.Left = v; });
    p.Property(
        "Top", nullptr, [](const TteBitmapLink& l) { return l.Rect.Top; },
        [](TteBitmapLink& l, int32_t v) { l.Rect.Top = v; });
    p.Property(
        "Right", nullptr, [](const TteBitmapLink& l) { return l.Rect.Right; },
        [](TteBitmapLink& l, int32_t v) { l.Rect.Right = v; });
    p.Property(
        "Bottom", nullptr, [](const TteBitmapLink& l) { return l.Rect.Bottom; },
        [](TteBitmapLink& l, int32_t v) { l.Rect.Bottom = v; });
}

void TteBitmapLink::Assign(const fw::TPersistent* Source) {
    if (auto* src = dynamic_cast<const TteBitmapLink*>(Source)) {
        Bitmap = src->Bitmap;
        Rect = src->Rect;
        Name = src->Name;
        Masked = src->Masked;
        MaskedBorder = src->MaskedBorder;
        MaskedAngles = src->MaskedAngles;
        return;
    }
    fw::TPersistent::Assign(Source);
}

bool TteBitmapLink::IsValid() const {
    return Bitmap && int64_t(Rect.Width()) * Rect.Height() > 0;
}

void TteBitmapLink::CheckMasks(TRect Margins) {
    Masked = MaskedBorder = MaskedAngles = false;
    if (!Bitmap) return;
    auto transparent = [&](int x, int y) {
        TteColor p = Bitmap->GetPixel(x, y);
        if (p == ReservedPixel) return false;
        return p == KeyColor || PixelA(p) < 255;
    };
    int W = Rect.Width(), H = Rect.Height();
    int mL = Margins.Left, mT = Margins.Top, mR = Margins.Right, mB = Margins.Bottom;
    bool noMargins = mL == 0 && mT == 0 && mR == 0 && mB == 0;
    auto in = [](int x, int y, int l, int t, int r, int b) {
        return x >= l && x < r && y >= t && y < b;
    };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!transparent(Rect.Left + x, Rect.Top + y)) continue;
            if (noMargins) {
                Masked = true;
                return;
            }
            if (in(x, y, 0, 0, mL, mT) || in(x, y, W - mR, 0, W, mT) ||
                in(x, y, W - mR, H - mB, W, H) || in(x, y, 0, H - mB, mL, H))
                MaskedAngles = true;
            if (in(x, y, mL, 0, W - mR, mT) || in(x, y, mL, H - mB, W - mR, H) ||
                in(x, y, 0, mT, mL, H - mB) || in(x, y, W - mR, mT, W, H - mB))
                MaskedBorder = true;
            if (in(x, y, mL, mT, W - mR, H - mB)) Masked = true;
        }
}

// --- list ---

TteBitmapList::~TteBitmapList() {
    Clear();
}

void TteBitmapList::Clear() {
    for (int i = 0; i < Count(); ++i)
        delete static_cast<TteBitmap*>(Get(i));
    fw::TList::Clear();
}

TteBitmap* TteBitmapList::GetBitmap(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return static_cast<TteBitmap*>(Get(Index));
}

TteBitmapLink* TteBitmapList::GetLink(const std::string& Name, TRect Rect) const {
    std::string want = fw::LowerCase(Name);
    for (int i = 0; i < Count(); ++i) {
        auto* b = static_cast<TteBitmap*>(Get(i));
        if (b && fw::LowerCase(b->Name) == want) return b->GetLink(Rect);
    }
    return nullptr;
}

} // namespace dvr::skin
