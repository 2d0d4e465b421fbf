#include "framework/ui/graphics.h"

#include "common/win/textconv.h"
#include "framework/win/resstream.h"

#include <algorithm>
#include <cstring>

namespace dvr::fw {

using win::GbkToWide;
using win::WideToGbk;

COLORREF ColorToRGB(TColor Color) {
    if (Color == clNone || Color == clDefault) return 0;
    if (uint32_t(Color) & 0x80000000u) return ::GetSysColor(int(uint32_t(Color) & 0xFF));
    return COLORREF(uint32_t(Color) & 0xFFFFFF);
}

TRect Rect(int Left, int Top, int Right, int Bottom) {
    return TRect{Left, Top, Right, Bottom};
}
TRect Bounds(int Left, int Top, int Width, int Height) {
    return TRect{Left, Top, Left + Width, Top + Height};
}
TPoint Point(int X, int Y) {
    return TPoint{X, Y};
}

void TGraphicsObject::Changed() {
    OnChange(this);
}

// ---------------------------------------------------------------------------------------

const TTypeInfo* FontStylesType() {
    static const TTypeInfo element =
        TTypeInfo::Enumeration("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    static const TTypeInfo t = TTypeInfo::Set("TFontStyles", &element);
    return &t;
}

static const TTypeInfo* FontPitchType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
    return &t;
}

void TFont::Publish(TPublisher<TFont>& p) {
    p.Property("Charset", CharsetType(), &TFont::Charset, &TFont::SetCharset)
        .Default(DEFAULT_CHARSET);
    p.Property("Color", ColorType(), &TFont::Color, &TFont::SetColor).NoDefault();
    p.Property("Height", nullptr, &TFont::Height, &TFont::SetHeight).NoDefault();
    p.Property("Name", nullptr, &TFont::Name, &TFont::SetName);
    p.Property("Pitch", FontPitchType(), &TFont::Pitch, &TFont::SetPitch).Default(0);
    p.Property("Size", nullptr, &TFont::Size, &TFont::SetSize).Stored(false);
    p.Property("Style", FontStylesType(), &TFont::Style, &TFont::SetStyle).Default(0);
}

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Assign(const TPersistent* Source) {
    if (auto* f = dynamic_cast<const TFont*>(Source)) {
        if (f == this) return;
        name_ = f->name_;
        height_ = f->height_;
        color_ = f->color_;
        style_ = f->style_;
        charset_ = f->charset_;
        pitch_ = f->pitch_;
        // The source's pixel density governs its height; keep the same character height.
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TFont::Changed() {
    handle_.reset();
    TGraphicsObject::Changed();
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = style_.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style_.Contains(TFontStyle::fsItalic);
        lf.lfUnderline = style_.Contains(TFontStyle::fsUnderline);
        lf.lfStrikeOut = style_.Contains(TFontStyle::fsStrikeOut);
        lf.lfCharSet = BYTE(charset_);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = pitch_ == TFontPitch::fpFixed      ? FIXED_PITCH
                              : pitch_ == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                                 : DEFAULT_PITCH;
        std::wstring face = GbkToWide(name_);
        if (face.empty() || face == L"Default") face = L"MS Shell Dlg";
        wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        handle_.reset(::CreateFontIndirectW(&lf));
    }
    return handle_ ? handle_.get() : HFONT(::GetStockObject(DEFAULT_GUI_FONT));
}

void TFont::SetHandle(HFONT Value) {
    LOGFONTW lf{};
    if (!Value || ::GetObjectW(Value, sizeof lf, &lf) == 0) return;
    name_ = WideToGbk(lf.lfFaceName);
    height_ = lf.lfHeight;
    TFontStyles s;
    if (lf.lfWeight >= FW_BOLD) s.Include(TFontStyle::fsBold);
    if (lf.lfItalic) s.Include(TFontStyle::fsItalic);
    if (lf.lfUnderline) s.Include(TFontStyle::fsUnderline);
    if (lf.lfStrikeOut) s.Include(TFontStyle::fsStrikeOut);
    style_ = s;
    charset_ = lf.lfCharSet;
    Changed();
}

void TFont::SetName(const std::string& Value) {
    if (Value.empty() || Value == name_) return;
    name_ = Value;
    Changed();
}
int TFont::Size() const {
    return -MulDiv(height_, 72, PixelsPerInch);
}
void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, PixelsPerInch, 72));
}
void TFont::SetHeight(int Value) {
    if (Value == height_) return;
    height_ = Value;
    Changed();
}
void TFont::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    // The colour is not part of the GDI font: keep the handle.
    TGraphicsObject::Changed();
}
void TFont::SetStyle(TFontStyles Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}
void TFont::SetCharset(int32_t Value) {
    if (Value == charset_) return;
    charset_ = Value;
    Changed();
}
void TFont::SetPitch(TFontPitch Value) {
    if (Value == pitch_) return;
    pitch_ = Value;
    Changed();
}

// ---------------------------------------------------------------------------------------

static const TTypeInfo* PenStyleType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot",
                                             "psDashDotDot", "psClear", "psInsideFrame"});
    return &t;
}
static const TTypeInfo* PenModeType() {
    static const TTypeInfo t = TTypeInfo::Enumeration(
        "TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmXor"});
    return &t;
}
static const TTypeInfo* BrushStyleType() {
    static const TTypeInfo t = TTypeInfo::Enumeration(
        "TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                        "bsBDiagonal", "bsCross", "bsDiagCross"});
    return &t;
}

void TPen::Publish(TPublisher<TPen>& p) {
    p.Property("Color", ColorType(), &TPen::Color, &TPen::SetColor).Default(clBlack);
    p.Property("Mode", PenModeType(), &TPen::Mode, &TPen::SetMode).Default(int(TPenMode::pmCopy));
    p.Property("Style", PenStyleType(), &TPen::Style, &TPen::SetStyle).Default(0);
    p.Property("Width", nullptr, &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::Assign(const TPersistent* Source) {
    if (auto* p = dynamic_cast<const TPen*>(Source)) {
        if (p == this) return;
        color_ = p->color_;
        width_ = p->width_;
        style_ = p->style_;
        mode_ = p->mode_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}
void TPen::Changed() {
    handle_.reset();
    TGraphicsObject::Changed();
}
HPEN TPen::Handle() {
    if (!handle_) {
        static const int styles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                     PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_.reset(::CreatePen(styles[int(style_)], width_, ColorToRGB(color_)));
    }
    return handle_.get();
}
void TPen::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    Changed();
}
void TPen::SetWidth(int Value) {
    if (Value < 0 || Value == width_) return;
    width_ = Value;
    Changed();
}
void TPen::SetStyle(TPenStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}
void TPen::SetMode(TPenMode Value) {
    if (Value == mode_) return;
    mode_ = Value;
    TGraphicsObject::Changed();
}

void TBrush::Publish(TPublisher<TBrush>& p) {
    p.Property("Color", ColorType(), &TBrush::Color, &TBrush::SetColor).Default(clWhite);
    p.Property("Style", BrushStyleType(), &TBrush::Style, &TBrush::SetStyle).Default(0);
}
void TBrush::Assign(const TPersistent* Source) {
    if (auto* b = dynamic_cast<const TBrush*>(Source)) {
        if (b == this) return;
        color_ = b->color_;
        style_ = b->style_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}
void TBrush::Changed() {
    handle_.reset();
    TGraphicsObject::Changed();
}
HBRUSH TBrush::Handle() {
    if (!handle_) {
        LOGBRUSH lb{};
        lb.lbColor = ColorToRGB(color_);
        switch (style_) {
        case TBrushStyle::bsSolid:
            lb.lbStyle = BS_SOLID;
            break;
        case TBrushStyle::bsClear:
            lb.lbStyle = BS_HOLLOW;
            break;
        default:
            lb.lbStyle = BS_HATCHED;
            lb.lbHatch = int(style_) - int(TBrushStyle::bsHorizontal);
        }
        handle_.reset(::CreateBrushIndirect(&lb));
    }
    return handle_.get();
}
void TBrush::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    if (style_ == TBrushStyle::bsClear) style_ = TBrushStyle::bsSolid;
    Changed();
}
void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

// ---------------------------------------------------------------------------------------

TCanvas::TCanvas() {
    font_.OnChange = TNotifyEvent(this, &TCanvas::ObjectChanged);
    pen_.OnChange = TNotifyEvent(this, &TCanvas::ObjectChanged);
    brush_.OnChange = TNotifyEvent(this, &TCanvas::ObjectChanged);
}

TCanvas::~TCanvas() {
    DeselectObjects();
}

HDC TCanvas::Handle() {
    if (!dc_) CreateHandle();
    if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
    return dc_;
}

void TCanvas::SetHandle(HDC Value) {
    if (Value == dc_) return;
    DeselectObjects();
    dc_ = Value;
    if (dc_) SelectObjects();
}

void TCanvas::CreateHandle() {}

void TCanvas::ObjectChanged(TObject*) {
    if (dc_) SelectObjects();
}

void TCanvas::SelectObjects() {
    HGDIOBJ f = ::SelectObject(dc_, font_.Handle());
    HGDIOBJ p = ::SelectObject(dc_, pen_.Handle());
    HGDIOBJ b = ::SelectObject(dc_, brush_.Handle());
    // Keep what the DC held before the canvas first selected into it.
    if (!old_font_) old_font_ = f;
    if (!old_pen_) old_pen_ = p;
    if (!old_brush_) old_brush_ = b;
    ::SetTextColor(dc_, ColorToRGB(font_.Color()));
    ::SetBkColor(dc_, ColorToRGB(brush_.Color()));
    ::SetBkMode(dc_, brush_.Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
    static const int rops[] = {R2_BLACK,   R2_WHITE,      R2_NOP,   R2_NOT,
                               R2_COPYPEN, R2_NOTCOPYPEN, R2_XORPEN};
    ::SetROP2(dc_, rops[int(pen_.Mode())]);
}

void TCanvas::DeselectObjects() {
    if (!dc_) return;
    if (old_font_) ::SelectObject(dc_, old_font_);
    if (old_pen_) ::SelectObject(dc_, old_pen_);
    if (old_brush_) ::SelectObject(dc_, old_brush_);
    old_font_ = old_pen_ = old_brush_ = nullptr;
}

void TCanvas::Changing() {
    OnChanging(this);
}
void TCanvas::Changed() {
    OnChange(this);
}

void TCanvas::MoveTo(int X, int Y) {
    ::MoveToEx(Handle(), X, Y, nullptr);
    pen_pos_ = {X, Y};
}
void TCanvas::LineTo(int X, int Y) {
    Changing();
    ::LineTo(Handle(), X, Y);
    pen_pos_ = {X, Y};
    Changed();
}

static std::vector<POINT> ToPoints(const std::vector<TPoint>& Points) {
    std::vector<POINT> pts;
    pts.reserve(Points.size());
    for (const TPoint& p : Points)
        pts.push_back(POINT{p.X, p.Y});
    return pts;
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    if (Points.empty()) return;
    Changing();
    auto pts = ToPoints(Points);
    ::Polygon(Handle(), pts.data(), int(pts.size()));
    Changed();
}
void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    if (Points.empty()) return;
    Changing();
    auto pts = ToPoints(Points);
    ::Polyline(Handle(), pts.data(), int(pts.size()));
    Changed();
}
void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Changing();
    ::Rectangle(Handle(), X1, Y1, X2, Y2);
    Changed();
}
void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    Changing();
    ::RoundRect(Handle(), X1, Y1, X2, Y2, X3, Y3);
    Changed();
}
void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    Changing();
    ::Ellipse(Handle(), X1, Y1, X2, Y2);
    Changed();
}
void TCanvas::FillRect(const TRect& R) {
    Changing();
    RECT r = ToRECT(R);
    ::FillRect(Handle(), &r, brush_.Handle());
    Changed();
}
void TCanvas::FrameRect(const TRect& R) {
    Changing();
    RECT r = ToRECT(R);
    ::FrameRect(Handle(), &r, brush_.Handle());
    Changed();
}
void TCanvas::TextOut(int X, int Y, const std::string& Text) {
    Changing();
    std::wstring w = GbkToWide(Text);
    HDC dc = Handle();
    ::ExtTextOutW(dc, X, Y, 0, nullptr, w.c_str(), UINT(w.size()), nullptr);
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, w.c_str(), int(w.size()), &sz);
    MoveTo(X + sz.cx, Y);
    Changed();
}
void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
    Changing();
    std::wstring w = GbkToWide(Text);
    RECT r = ToRECT(R);
    UINT opts = ETO_CLIPPED;
    if (brush_.Style() != TBrushStyle::bsClear) opts |= ETO_OPAQUE;
    ::ExtTextOutW(Handle(), X, Y, opts, &r, w.c_str(), UINT(w.size()), nullptr);
    Changed();
}
int TCanvas::DrawText(const std::string& Text, TRect& R, UINT Flags) {
    Changing();
    std::wstring w = GbkToWide(Text);
    RECT r = ToRECT(R);
    int h = ::DrawTextW(Handle(), w.c_str(), int(w.size()), &r, Flags);
    R = FromRECT(r);
    Changed();
    return h;
}
SIZE TCanvas::TextExtent(const std::string& Text) {
    std::wstring w = GbkToWide(Text);
    SIZE sz{};
    ::GetTextExtentPoint32W(Handle(), w.c_str(), int(w.size()), &sz);
    return sz;
}
int TCanvas::TextWidth(const std::string& Text) {
    return TextExtent(Text).cx;
}
int TCanvas::TextHeight(const std::string& Text) {
    return TextExtent(Text).cy;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
}
void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    Graphic->Draw(this, R);
}
void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    Changing();
    HDC src = Canvas->Handle();
    ::SetStretchBltMode(Handle(), COLORONCOLOR);
    ::StretchBlt(Handle(), Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, Source.Left,
                 Source.Top, Source.Width(), Source.Height(), CopyMode);
    Changed();
}
TColor TCanvas::Pixels(int X, int Y) {
    return TColor(::GetPixel(Handle(), X, Y));
}
void TCanvas::SetPixel(int X, int Y, TColor Color) {
    Changing();
    ::SetPixel(Handle(), X, Y, ColorToRGB(Color));
    Changed();
}
TRect TCanvas::ClipRect() {
    RECT r{};
    ::GetClipBox(Handle(), &r);
    return FromRECT(r);
}

void TCanvas::Lock() {
    lock_.Enter();
    ++lock_count_;
}
void TCanvas::Unlock() {
    --lock_count_;
    lock_.Leave();
}
bool TCanvas::TryLock() {
    // CriticalSection has no try; a canvas is locked by one thread at a time anyway.
    Lock();
    return true;
}

// ---------------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    Changed();
}
void TGraphic::Changed() {
    OnChange(this);
}

void TBitmapCanvas::CreateHandle() {
    if (!bitmap_->bitmap_) {
        // An empty bitmap still draws: on a 1x1 monochrome stand-in, like any memory DC.
    }
    dc_.reset(::CreateCompatibleDC(nullptr));
    if (!dc_) throw EInvalidGraphicOperation("Out of system resources");
    if (bitmap_->bitmap_) old_bitmap_ = ::SelectObject(dc_.get(), bitmap_->bitmap_.get());
    SetHandle(dc_.get());
}

void TBitmapCanvas::FreeContext() {
    if (!dc_) return;
    DetachHandle();
    if (old_bitmap_) ::SelectObject(dc_.get(), old_bitmap_);
    old_bitmap_ = nullptr;
    dc_.reset();
}

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() {
    if (canvas_) {
        canvas_->FreeContext();
        delete canvas_;
    }
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) canvas_ = new TBitmapCanvas(this);
    return canvas_;
}

int TBitmap::BitCount() const {
    switch (pixel_format_) {
    case TPixelFormat::pf1bit:
        return 1;
    case TPixelFormat::pf4bit:
        return 4;
    case TPixelFormat::pf8bit:
        return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
        return 16;
    case TPixelFormat::pf24bit:
        return 24;
    default:
        return 32;
    }
}

static TPixelFormat FormatOfBits(int bits, bool is565) {
    switch (bits) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 16:
        return is565 ? TPixelFormat::pf16bit : TPixelFormat::pf15bit;
    case 24:
        return TPixelFormat::pf24bit;
    case 32:
        return TPixelFormat::pf32bit;
    default:
        return TPixelFormat::pfCustom;
    }
}

// Makes a new DIB section of the size and format; Info/Bits (optional) give its
// content, otherwise the old picture is copied into the common part.
void TBitmap::NewImage(int AWidth, int AHeight, TPixelFormat Format, const BITMAPINFO* Info,
                       const void* Bits) {
    win::Bitmap nb;
    void* nbits = nullptr;
    if (AWidth > 0 && AHeight > 0) {
        struct {
            BITMAPINFOHEADER h;
            DWORD colors[256];
        } bi{};
        TPixelFormat saved = pixel_format_;
        pixel_format_ = Format;
        int bits = BitCount();
        pixel_format_ = saved;
        bi.h.biSize = sizeof(BITMAPINFOHEADER);
        bi.h.biWidth = AWidth;
        bi.h.biHeight = AHeight;
        bi.h.biPlanes = 1;
        bi.h.biBitCount = WORD(bits);
        bi.h.biCompression = BI_RGB;
        if (Format == TPixelFormat::pf16bit) {
            bi.h.biCompression = BI_BITFIELDS;
            bi.colors[0] = 0xF800;
            bi.colors[1] = 0x07E0;
            bi.colors[2] = 0x001F;
        } else if (bits <= 8) {
            int n = 1 << bits;
            bi.h.biClrUsed = DWORD(n);
            if (Info && Info->bmiHeader.biBitCount == bits) {
                int have = Info->bmiHeader.biClrUsed ? int(Info->bmiHeader.biClrUsed) : n;
                std::memcpy(bi.colors, Info->bmiColors, sizeof(DWORD) * size_t(std::min(have, n)));
            } else if (bits == 1) {
                bi.colors[1] = 0xFFFFFF;
            } else {
                // A grey ramp for a palette nobody gave.
                for (int i = 0; i < n; ++i) {
                    DWORD g = DWORD(i * 255 / (n - 1));
                    bi.colors[i] = g | g << 8 | g << 16;
                }
            }
        }
        nb.reset(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                                    &nbits, nullptr, 0));
        if (!nb) throw EInvalidGraphicOperation("Out of system resources");
        int nstride = ((AWidth * bits + 31) / 32) * 4;
        if (Info && Bits) {
            // Through GDI so that any source format lands in ours.
            win::MemoryDc dc(::CreateCompatibleDC(nullptr));
            ::SetDIBits(dc.get(), nb.get(), 0, UINT(AHeight), Bits, Info, DIB_RGB_COLORS);
        } else {
            std::memset(nbits, 0xFF, size_t(nstride) * size_t(AHeight)); // white, like a new page
            if (bitmap_) {
                win::MemoryDc src(::CreateCompatibleDC(nullptr)),
                    dst(::CreateCompatibleDC(nullptr));
                if (canvas_) canvas_->FreeContext();
                win::SelectObjectScope s1(src.get(), bitmap_.get());
                win::SelectObjectScope s2(dst.get(), nb.get());
                ::BitBlt(dst.get(), 0, 0, std::min(AWidth, width_), std::min(AHeight, height_),
                         src.get(), 0, 0, SRCCOPY);
            }
        }
        stride_ = nstride;
    } else {
        stride_ = 0;
    }
    if (canvas_) canvas_->FreeContext();
    bitmap_ = std::move(nb);
    bits_ = nbits;
    width_ = bitmap_ ? AWidth : 0;
    height_ = bitmap_ ? AHeight : 0;
    pixel_format_ = Format;
    Changed();
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == width_ && AHeight == height_) return;
    NewImage(AWidth, AHeight, pixel_format_, nullptr, nullptr);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    if (Value == pixel_format_ || Value == TPixelFormat::pfCustom) return;
    if (!bitmap_) {
        pixel_format_ = Value;
        return;
    }
    // Re-made in the new format with the picture converted through GDI.
    TBitmap old;
    old.Assign(this);
    NewImage(width_, height_, Value, nullptr, nullptr);
    win::MemoryDc src(::CreateCompatibleDC(nullptr)), dst(::CreateCompatibleDC(nullptr));
    if (canvas_) canvas_->FreeContext();
    win::SelectObjectScope s1(src.get(), old.bitmap_.get());
    win::SelectObjectScope s2(dst.get(), bitmap_.get());
    ::BitBlt(dst.get(), 0, 0, width_, height_, src.get(), 0, 0, SRCCOPY);
}

void TBitmap::Assign(const TPersistent* Source) {
    if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
        if (b == this) return;
        TBitmap* src = const_cast<TBitmap*>(b);
        transparent_ = b->transparent_;
        transparent_mode_ = b->transparent_mode_;
        transparent_color_ = b->transparent_color_;
        if (!b->bitmap_) {
            if (canvas_) canvas_->FreeContext();
            bitmap_.reset();
            bits_ = nullptr;
            width_ = height_ = 0;
            pixel_format_ = b->pixel_format_;
            Changed();
            return;
        }
        // A bitmap is selected into one DC at a time: the source's canvas lets go of it.
        if (src->canvas_) src->canvas_->FreeContext();
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colors[256];
        } bi{};
        DIBSECTION ds{};
        ::GetObjectW(b->bitmap_.get(), sizeof ds, &ds);
        bi.h = ds.dsBmih;
        if (bi.h.biBitCount <= 8) {
            win::MemoryDc dc(::CreateCompatibleDC(nullptr));
            win::SelectObjectScope s(dc.get(), b->bitmap_.get());
            ::GetDIBColorTable(dc.get(), 0, 256, bi.colors);
        } else if (bi.h.biCompression == BI_BITFIELDS) {
            std::memcpy(bi.colors, ds.dsBitfields, sizeof ds.dsBitfields);
        }
        NewImage(b->width_, b->height_, b->pixel_format_, reinterpret_cast<BITMAPINFO*>(&bi),
                 b->bits_);
        return;
    }
    if (!Source) {
        if (canvas_) canvas_->FreeContext();
        bitmap_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::SetHandle(HBITMAP Value) {
    win::Bitmap owned(Value);
    if (!Value) {
        Assign(nullptr);
        return;
    }
    BITMAP bm{};
    ::GetObjectW(Value, sizeof bm, &bm);
    NewImage(bm.bmWidth, std::abs(bm.bmHeight), TPixelFormat::pf32bit, nullptr, nullptr);
    win::MemoryDc src(::CreateCompatibleDC(nullptr)), dst(::CreateCompatibleDC(nullptr));
    win::SelectObjectScope s1(src.get(), Value);
    win::SelectObjectScope s2(dst.get(), bitmap_.get());
    ::BitBlt(dst.get(), 0, 0, width_, height_, src.get(), 0, 0, SRCCOPY);
}

HBITMAP TBitmap::ReleaseHandle() {
    if (canvas_) canvas_->FreeContext();
    HBITMAP h = bitmap_.release();
    bits_ = nullptr;
    width_ = height_ = 0;
    return h;
}

void* TBitmap::ScanLine(int Row) {
    if (!bitmap_ || Row < 0 || Row >= height_)
        throw EInvalidGraphicOperation("Scan line index out of range");
    ::GdiFlush();
    // Bottom-up DIB: row 0 is the last in memory.
    return static_cast<uint8_t*>(bits_) + size_t(height_ - 1 - Row) * size_t(stride_);
}

void TBitmap::Changed() {
    TGraphic::Changed();
}

// A DIB without its file header (the form of bitmap resources and of BMP files after
// their first 14 bytes).
void TBitmap::LoadFromPackedDib(const uint8_t* Data, size_t Size) {
    if (Size < sizeof(BITMAPINFOHEADER)) throw EInvalidGraphic("Bitmap image is not valid");
    BITMAPINFOHEADER h;
    std::memcpy(&h, Data, sizeof h);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > Size || h.biWidth <= 0 ||
        h.biHeight == 0 || h.biWidth > 32768 || std::abs(h.biHeight) > 32768 || h.biPlanes != 1)
        throw EInvalidGraphic("Bitmap image is not valid");
    int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw EInvalidGraphic("Bitmap image is not valid");
    if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)
        throw EInvalidGraphic("Bitmap image is not valid");
    size_t colors = 0;
    if (bits <= 8) {
        if (h.biClrUsed > (1u << bits)) throw EInvalidGraphic("Bitmap image is not valid");
        colors = h.biClrUsed ? h.biClrUsed : (size_t(1) << bits);
    }
    size_t masks =
        (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0;
    size_t header = h.biSize + masks + colors * 4;
    int height = std::abs(h.biHeight);
    size_t stride = ((size_t(h.biWidth) * size_t(bits) + 31) / 32) * 4;
    size_t need = header + stride * size_t(height);
    if (header > Size || need > Size) throw EInvalidGraphic("Bitmap image is not valid");
    // The header copied into aligned memory with room for the colour table GDI reads.
    std::vector<uint8_t> info(std::max<size_t>(header, sizeof(BITMAPINFOHEADER) + 256 * 4), 0);
    std::memcpy(info.data(), Data, header);
    bool is565 = false;
    if (bits == 16 && h.biCompression == BI_BITFIELDS) {
        uint32_t green = 0;
        std::memcpy(&green, Data + h.biSize + 4, 4);
        is565 = green == 0x07E0;
    }
    NewImage(int(h.biWidth), height, FormatOfBits(bits, is565),
             reinterpret_cast<BITMAPINFO*>(info.data()), Data + header);
}

void TBitmap::LoadFromStream(TStream& Stream) {
    int64_t avail = Stream.Size() - Stream.Position();
    if (avail < 14 + int64_t(sizeof(BITMAPINFOHEADER)) || avail > (int64_t(1) << 31))
        throw EInvalidGraphic("Bitmap image is not valid");
    std::string data(size_t(avail), '\0');
    Stream.ReadBuffer(data.data(), data.size());
    auto* p = reinterpret_cast<const uint8_t*>(data.data());
    if (p[0] != 'B' || p[1] != 'M') throw EInvalidGraphic("Bitmap image is not valid");
    uint32_t file_size = 0;
    std::memcpy(&file_size, p + 2, 4);
    size_t size = data.size();
    // Only this bitmap: a stream may hold more after it.
    if (file_size >= 14 && file_size < size) size = file_size;
    LoadFromPackedDib(p + 14, size - 14);
    if (file_size >= 14 && file_size < data.size())
        Stream.SetPosition(Stream.Position() - int64_t(data.size() - file_size));
}

void TBitmap::SaveToStream(TStream& Stream) {
    if (!bitmap_) return;
    if (canvas_) canvas_->FreeContext();
    DIBSECTION ds{};
    ::GetObjectW(bitmap_.get(), sizeof ds, &ds);
    BITMAPINFOHEADER h = ds.dsBmih;
    std::string extra;
    if (h.biBitCount <= 8) {
        RGBQUAD colors[256];
        win::MemoryDc dc(::CreateCompatibleDC(nullptr));
        win::SelectObjectScope s(dc.get(), bitmap_.get());
        UINT n = ::GetDIBColorTable(dc.get(), 0, 256, colors);
        h.biClrUsed = n;
        extra.assign(reinterpret_cast<const char*>(colors), n * 4);
    } else if (h.biCompression == BI_BITFIELDS) {
        extra.assign(reinterpret_cast<const char*>(ds.dsBitfields), 12);
    }
    size_t bits = size_t(stride_) * size_t(height_);
    h.biSizeImage = DWORD(bits);
    BITMAPFILEHEADER f{};
    f.bfType = 0x4D42;
    f.bfOffBits = DWORD(14 + sizeof h + extra.size());
    f.bfSize = DWORD(f.bfOffBits + bits);
    Stream.WriteBuffer(&f, 14);
    Stream.WriteBuffer(&h, sizeof h);
    if (!extra.empty()) Stream.WriteBuffer(extra.data(), extra.size());
    Stream.WriteBuffer(bits_, bits);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
    std::wstring name = GbkToWide(ResName);
    HRSRC r = ::FindResourceW(Instance, name.c_str(), MAKEINTRESOURCEW(2));
    if (!r) throw EResNotFound("Resource " + ResName + " not found");
    HGLOBAL g = ::LoadResource(Instance, r);
    auto* p = static_cast<const uint8_t*>(::LockResource(g));
    if (!p) throw EResNotFound("Resource " + ResName + " not found");
    LoadFromPackedDib(p, ::SizeofResource(Instance, r));
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    HRSRC r = ::FindResourceW(Instance, MAKEINTRESOURCEW(ResID), MAKEINTRESOURCEW(2));
    if (!r) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
    HGLOBAL g = ::LoadResource(Instance, r);
    auto* p = static_cast<const uint8_t*>(::LockResource(g));
    if (!p) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
    LoadFromPackedDib(p, ::SizeofResource(Instance, r));
}

TColor TBitmap::TransparentColor() {
    if (transparent_mode_ == TTransparentMode::tmFixed && transparent_color_ != clDefault)
        return transparent_color_;
    if (!bitmap_) return clDefault;
    return TColor(::GetPixel(Canvas()->Handle(), 0, height_ - 1) & 0xFFFFFF);
}
void TBitmap::SetTransparentColor(TColor Value) {
    if (Value == transparent_color_) return;
    transparent_color_ = Value;
    transparent_mode_ = Value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
    Changed();
}
void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == transparent_mode_) return;
    if (Value == TTransparentMode::tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& R) {
    if (!bitmap_) return;
    HDC dst = ACanvas->Handle();
    HDC src = Canvas()->Handle();
    if (transparent_) {
        ::TransparentBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, width_, height_,
                         ColorToRGB(TransparentColor()));
    } else {
        ::SetStretchBltMode(dst, COLORONCOLOR);
        ::StretchBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, width_, height_,
                     ACanvas->CopyMode);
    }
}

// ---------------------------------------------------------------------------------------

void TIcon::Assign(const TPersistent* Source) {
    if (auto* i = dynamic_cast<const TIcon*>(Source)) {
        if (i == this) return;
        icon_.reset(i->icon_ ? ::CopyIcon(i->icon_.get()) : nullptr);
        width_ = i->width_;
        height_ = i->height_;
        data_ = i->data_;
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::SetHandle(HICON Value) {
    icon_.reset(Value);
    data_.clear();
    width_ = height_ = 0;
    if (Value) {
        ICONINFO ii{};
        if (::GetIconInfo(Value, &ii)) {
            BITMAP bm{};
            ::GetObjectW(ii.hbmMask, sizeof bm, &bm);
            width_ = bm.bmWidth;
            height_ = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
            if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
            if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
        }
    }
    Changed();
}

HICON TIcon::ReleaseHandle() {
    width_ = height_ = 0;
    data_.clear();
    return icon_.release();
}

void TIcon::LoadFromStream(TStream& Stream) {
    int64_t avail = Stream.Size() - Stream.Position();
    if (avail < 6 + 16 || avail > (int64_t(1) << 28))
        throw EInvalidGraphic("Icon image is not valid");
    std::string data(size_t(avail), '\0');
    Stream.ReadBuffer(data.data(), data.size());
    auto* p = reinterpret_cast<const uint8_t*>(data.data());
    uint16_t reserved = uint16_t(p[0] | p[1] << 8), type = uint16_t(p[2] | p[3] << 8),
             count = uint16_t(p[4] | p[5] << 8);
    if (reserved != 0 || type != 1 || count == 0) throw EInvalidGraphic("Icon image is not valid");
    const uint8_t* e = p + 6;
    uint32_t bytes = 0, offset = 0;
    std::memcpy(&bytes, e + 8, 4);
    std::memcpy(&offset, e + 12, 4);
    if (offset > data.size() || bytes > data.size() - offset || bytes < 40)
        throw EInvalidGraphic("Icon image is not valid");
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    HICON icon = ::CreateIconFromResourceEx(const_cast<uint8_t*>(p + offset), bytes, TRUE,
                                            0x00030000, w, h, 0);
    if (!icon) throw EInvalidGraphic("Icon image is not valid");
    SetHandle(icon);
    data_ = std::move(data);
}

void TIcon::SaveToStream(TStream& Stream) {
    if (!data_.empty()) Stream.WriteBuffer(data_.data(), data_.size());
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
    std::wstring name = GbkToWide(ResName);
    HICON h = HICON(::LoadImageW(Instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    if (!h) throw EResNotFound("Resource " + ResName + " not found");
    SetHandle(h);
}
void TIcon::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    HICON h =
        HICON(::LoadImageW(Instance, MAKEINTRESOURCEW(ResID), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    if (!h) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
    SetHandle(h);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& R) {
    if (!icon_) return;
    ::DrawIconEx(ACanvas->Handle(), R.Left, R.Top, icon_.get(), R.Width(), R.Height(), 0, nullptr,
                 DI_NORMAL);
}

// ---------------------------------------------------------------------------------------

TPicture::~TPicture() {
    delete graphic_;
}

void TPicture::Assign(const TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(Source)) {
        SetGraphic(p->graphic_);
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(Source)) {
        SetGraphic(const_cast<TGraphic*>(g));
        return;
    }
    TPersistent::Assign(Source);
}

void TPicture::SetGraphic(TGraphic* Value) {
    TGraphic* copy = nullptr;
    if (Value) {
        copy = static_cast<TGraphic*>(Value->ClassType()->Create());
        if (!copy) throw EInvalidGraphic("Unknown picture kind");
        copy->Assign(Value);
        copy->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
    }
    delete graphic_;
    graphic_ = copy;
    OnChange(this);
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(graphic_)) {
        delete graphic_;
        graphic_ = new TBitmap;
        graphic_->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
        OnChange(this);
    }
    return static_cast<TBitmap*>(graphic_);
}

TIcon* TPicture::Icon() {
    if (!dynamic_cast<TIcon*>(graphic_)) {
        delete graphic_;
        graphic_ = new TIcon;
        graphic_->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
        OnChange(this);
    }
    return static_cast<TIcon*>(graphic_);
}

void TPicture::GraphicChanged(TObject*) {
    OnChange(this);
}

} // namespace dvr::fw
