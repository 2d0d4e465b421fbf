// The skin engine's image: 32-bit top-down pixels with an alpha byte, drawn with per-pixel
// alpha, with the key colour as transparency, or as a plain copy. Also the links to
// rectangles of an image and the list that owns a skin's images.
//
// This header is portable: the memory-to-memory drawing lives here; drawing onto device
// contexts is in te_bitmap_win.h.
#pragma once

#include "framework/list.h"
#include "framework/persistent.h"
#include "framework/stream.h"
#include "framework/typinfo.h"
#include "framework/types.h"
#include "skin/engine/te_pixels.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace dvr::skin {

using fw::TPoint;
using fw::TRect;

class TteBitmapLink;

// The header a bitmap's DIB section is made from (BITMAPINFOHEADER's layout).
#pragma pack(push, 1)
struct TteBitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 32;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(TteBitmapInfoHeader) == 40);

class TteBitmap : public fw::TPersistent {
    FW_CLASS(TteBitmap, fw::TPersistent)
public:
    TteBitmap();
    ~TteBitmap() override;

    // Pixels, handles and size. Bits, Handle and DC are all set or all null.
    TteColor* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    std::string Name;
    TteBitmapInfoHeader Info;
    void* Handle = nullptr; // HBITMAP
    void* DC = nullptr;     // HDC
    bool AlphaBlend = false;
    bool Transparent = false;

    // Absolute values are taken; a zero dimension or the current size changes nothing.
    // Raises fw::Exception when the pixels cannot be made (the bitmap is then empty).
    void SetSize(int32_t W, int32_t H);
    bool IsEmpty() const { return Bits == nullptr; }

    TteColor* ScanLine(int Y) const { return Bits + size_t(Y) * Width; }
    TteColor* PixelPtr(int X, int Y) const { return Bits + size_t(Y) * Width + X; }
    TteColor GetPixel(int X, int Y) const;
    void SetPixel(int X, int Y, TteColor Value);

    void FillColor(TteColor Value);
    void SetAlpha(uint8_t Alpha);
    void SetAlphaRect(uint8_t Alpha, TRect Rect);
    void FillRect(TRect Rect, TteColor Color);
    void CheckAlpha();
    void SetTransparentColor(TteColor Color);
    void FlipVertical();
    void ApplyBrightness(int Delta);
    void ApplyHue(int Delta);
    // A new link to Rect of this bitmap; the caller owns it.
    TteBitmapLink* GetLink(TRect Rect);

    void LoadFromStream(fw::TStream& Stream);
    void SaveToStream(fw::TStream& Stream) const;

    void Assign(const fw::TPersistent* Source) override;

    // Memory-to-memory drawing with this bitmap's flags (alpha, else key, else copy).
    void DrawOnBitmap(TteBitmap* Target, int X, int Y) const;
    void DrawOnBitmapRect(TteBitmap* Target, int X, int Y, TRect SrcRect) const;
    void DrawToBitmap(TteBitmap* Target, TRect DstRect, TRect SrcRect) const;
    // Puts Source's SrcRect under this bitmap's partly transparent pixels at (X, Y).
    void MergeUnder(const TteBitmap* Source, int X, int Y, TRect SrcRect);

private:
    void Release();
};

// The drawing modes of the blitters.
enum class TBlitMode { Copy, Key, Alpha };
TBlitMode BlitModeOf(const TteBitmap& Bitmap);

// The scaled blit onto pixel memory of TargetWidth x TargetHeight; TopDown tells the
// row order of the memory. RoundToNearest: source positions are rounded (device
// memory) rather than truncated (bitmap to bitmap).
void BlitToMemory(TteColor* Target, int TargetWidth, int TargetHeight, bool TopDown, TRect DstRect,
                  TRect ClipRect, TRect SrcRect, const TteBitmap& Source, TBlitMode Mode,
                  bool RoundToNearest);

// Tiles of SrcRect laid over DstRect (column by column, each top to bottom): Fn gets the
// destination and the source part of each tile that is to be drawn. A non-empty ClipRect
// skips the tiles that miss it.
template <class Fn> void ForEachTile(TRect DstRect, TRect ClipRect, TRect SrcRect, Fn&& fn);

// Registry of bitmaps that have pixels: the blitter finds a target DC's bitmap here.
TteBitmap* FindBitmapByDC(const void* DC);

// A rectangle of a named image. The bitmap is not owned.
class TteBitmapLink : public fw::TPersistent {
    FW_PUBLISHED(TteBitmapLink, fw::TPersistent)
public:
    TteBitmapLink() = default;

    TteBitmap* Bitmap = nullptr;
    TRect Rect;
    std::string Name;
    bool MaskedBorder = false;
    bool MaskedAngles = false;
    bool Masked = false;

    void Assign(const fw::TPersistent* Source) override;
    // Margins: left, top, right and bottom border widths of the framed image part.
    void CheckMasks(TRect Margins);
    void CheckMasked() { CheckMasks(TRect{}); }
    bool IsValid() const;
};

// The images of a skin; owns them.
class TteBitmapList : public fw::TList {
    FW_CLASS(TteBitmapList, fw::TList)
public:
    TteBitmapList() = default;
    ~TteBitmapList() override;
    void Clear();
    TteBitmap* GetBitmap(int Index) const;
    // A new link from the first image of that name (ignoring case), or nullptr.
    TteBitmapLink* GetLink(const std::string& Name, TRect Rect) const;
};

// --- inline ---

inline TRect IntersectRects(TRect a, TRect b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    return r;
}
inline bool RectHasArea(TRect r) {
    return r.Right > r.Left && r.Bottom > r.Top;
}

template <class Fn> void ForEachTile(TRect DstRect, TRect ClipRect, TRect SrcRect, Fn&& fn) {
    int w = SrcRect.Width(), h = SrcRect.Height();
    if (w <= 0 || h <= 0) return;
    int dw = DstRect.Width(), dh = DstRect.Height();
    if (dw <= 0 || dh <= 0) return;
    int cols = dw / w + (dw % w ? 1 : 0);
    int rows = dh / h + (dh % h ? 1 : 0);
    bool clip = RectHasArea(ClipRect);
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            TRect tile{DstRect.Left + c * w, DstRect.Top + r * h, 0, 0};
            tile.Right = tile.Left + w;
            tile.Bottom = tile.Top + h;
            tile = IntersectRects(tile, DstRect);
            if (!RectHasArea(tile)) break;
            if (clip && !RectHasArea(IntersectRects(tile, ClipRect))) continue;
            TRect src{SrcRect.Left, SrcRect.Top, SrcRect.Left + tile.Width(),
                      SrcRect.Top + tile.Height()};
            fn(tile, src);
        }
    }
}

} // namespace dvr::skin
