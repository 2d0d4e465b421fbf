// Drawing: fonts, pens and brushes that build their GDI objects on demand and tell
// their canvas when they change; canvases over a DC; bitmaps (DIB sections) and icons.
// Texts are GBK and cross to the wide GDI functions with code page 936.
#pragma once

#include "common/win/handles.h"
#include "framework/colors.h"
#include "framework/events.h"
#include "framework/exceptions.h"
#include "framework/persistent.h"
#include "framework/stream.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// RegisterClass is the framework's (framework/object.h) and GetObject TStrings' own;
// windows.h's are RegisterClassW and GetObjectW.
#ifdef RegisterClass
#undef RegisterClass
#endif
#ifdef GetObject
#undef GetObject
#endif

namespace dvr::fw {

class EInvalidGraphic : public Exception {
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
    using Exception::Exception;
};
// A window, timer or GDI object the system would not give.
class EOutOfResources : public Exception {
    using Exception::Exception;
};

// A colour as GDI takes it: system colours resolved, clNone and clDefault black.
COLORREF ColorToRGB(TColor Color);

TRect Rect(int Left, int Top, int Right, int Bottom);
TRect Bounds(int Left, int Top, int Width, int Height);
TPoint Point(int X, int Y);
inline RECT ToRECT(const TRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}
inline TRect FromRECT(const RECT& r) {
    return TRect{r.left, r.top, r.right, r.bottom};
}

// Base of TFont, TPen and TBrush: one GDI object made when first asked for, dropped
// when a property changes, and OnChange after every change.
class TGraphicsObject : public TPersistent {
    FW_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

enum class TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
const TTypeInfo* FontStylesType();

class TFont : public TGraphicsObject {
    FW_PUBLISHED(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;

    void Assign(const TPersistent* Source) override;

    // The font, made from the properties when first asked for.
    HFONT Handle();
    // Takes the properties of an existing font (the handle stays the caller's).
    void SetHandle(HFONT Value);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& Value);
    // Points at PixelsPerInch; Height is in pixels (negative: character height).
    int Size() const;
    void SetSize(int Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles Value);
    int32_t Charset() const { return charset_; }
    void SetCharset(int32_t Value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch Value);
    int PixelsPerInch = 96;

protected:
    void Changed() override;

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_;
    int32_t charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    win::Font handle_;
};

enum class TPenStyle : uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
enum class TPenMode : uint8_t { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor };

class TPen : public TGraphicsObject {
    FW_PUBLISHED(TPen, TGraphicsObject)
public:
    void Assign(const TPersistent* Source) override;
    HPEN Handle();

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode Value);

protected:
    void Changed() override;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    TPenMode mode_ = TPenMode::pmCopy;
    win::Pen handle_;
};

enum class TBrushStyle : uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush : public TGraphicsObject {
    FW_PUBLISHED(TBrush, TGraphicsObject)
public:
    void Assign(const TPersistent* Source) override;
    HBRUSH Handle();

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle Value);

protected:
    void Changed() override;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    win::Brush handle_;
};

class TGraphic;

// Drawing on a DC. The DC is handed in (SetHandle) or made on demand by a descendant
// (CreateHandle: a window's DC, a bitmap's memory DC). Font, pen and brush are selected
// while there is a DC and selected again whenever one of them changes.
class TCanvas : public TPersistent {
    FW_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The DC, made on demand; EInvalidOperation when there is none and none can be made.
    HDC Handle();
    bool HandleAllocated() const { return dc_ != nullptr; }
    // Points the canvas at a DC it does not own (nullptr detaches).
    void SetHandle(HDC Value);

    TFont* Font() { return &font_; }
    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }
    void SetFont(const TFont* Value) { font_.Assign(Value); }

    TPoint PenPos() const { return pen_pos_; }
    void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
    DWORD CopyMode = SRCCOPY;

    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);
    void TextOut(int X, int Y, const std::string& Text);
    // Text clipped to R, starting at X, Y; the brush fills R unless it is clear.
    void TextRect(const TRect& R, int X, int Y, const std::string& Text);
    // DrawText with the given DT_ flags; R may be changed by DT_CALCRECT.
    int DrawText(const std::string& Text, TRect& R, UINT Flags);
    int TextWidth(const std::string& Text);
    int TextHeight(const std::string& Text);
    SIZE TextExtent(const std::string& Text);
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& R, TGraphic* Graphic);
    // Copies Source's area from Canvas into Dest with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    TColor Pixels(int X, int Y);
    void SetPixel(int X, int Y, TColor Color);
    TRect ClipRect();

    // Serialises drawing from several threads (a canvas handed to a worker).
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return lock_count_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Makes the DC when Handle is asked for without one; the base cannot.
    virtual void CreateHandle();
    // Forgets the DC (descendants release it first).
    void DetachHandle() { SetHandle(nullptr); }
    void Changing();
    void Changed();

private:
    void ObjectChanged(TObject* Sender);
    void SelectObjects();
    void DeselectObjects();
    void RequireHandle() { Handle(); }

    HDC dc_ = nullptr;
    HGDIOBJ old_font_ = nullptr, old_pen_ = nullptr, old_brush_ = nullptr;
    TFont font_;
    TPen pen_;
    TBrush brush_;
    TPoint pen_pos_;
    win::CriticalSection lock_;
    int lock_count_ = 0;
};

// Pictures that draw themselves on a canvas.
class TGraphic : public TPersistent {
    FW_CLASS(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int) {}
    virtual void SetHeight(int) {}
    virtual void LoadFromStream(TStream& Stream) = 0;
    virtual void SaveToStream(TStream& Stream) = 0;
    // Drawn with its transparent colour left out.
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool Value);

    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    bool transparent_ = false;
};

enum class TPixelFormat : uint8_t {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum class TTransparentMode : uint8_t { tmAuto, tmFixed };

class TBitmap;

// The memory DC of a bitmap, with the bitmap selected while the DC exists.
class TBitmapCanvas : public TCanvas {
    FW_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* Bitmap) : bitmap_(Bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    void FreeContext();

protected:
    void CreateHandle() override;

private:
    TBitmap* bitmap_;
    win::MemoryDc dc_;
    HGDIOBJ old_bitmap_ = nullptr;
    friend class TBitmap;
};

// A bitmap held as a DIB section (pfDevice: the screen's own format, 32 bits here).
class TBitmap : public TGraphic {
    FW_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    void Assign(const TPersistent* Source) override;

    bool Empty() const override { return !bitmap_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int Value) override { SetSize(Value, height_); }
    void SetHeight(int Value) override { SetSize(width_, Value); }
    // New size; the picture's common part is kept.
    void SetSize(int AWidth, int AHeight);
    TPixelFormat PixelFormat() const { return pixel_format_; }
    void SetPixelFormat(TPixelFormat Value);

    TCanvas* Canvas();
    HBITMAP Handle() const { return bitmap_.get(); }
    // Takes ownership of a bitmap handle (copied into a DIB section).
    void SetHandle(HBITMAP Value);
    // Hands the bitmap over to the caller, leaving this one empty.
    HBITMAP ReleaseHandle();
    // Pixel row Row (top row 0) in the DIB section.
    void* ScanLine(int Row);

    // BMP files: BITMAPFILEHEADER, info header, colour table, bits. Anything that does not
    // parse raises EInvalidGraphic and leaves the bitmap as it was.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    // A bitmap resource (RT_BITMAP) of a module, by GBK name; EResNotFound when missing.
    void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);

    // tmAuto: the bottom-left pixel; tmFixed: TransparentColor as set.
    TColor TransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return transparent_mode_; }
    void SetTransparentMode(TTransparentMode Value);

    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

protected:
    void Changed() override;

private:
    void LoadFromPackedDib(const uint8_t* Data, size_t Size);
    void NewImage(int AWidth, int AHeight, TPixelFormat Format, const BITMAPINFO* Info,
                  const void* Bits);
    int BitCount() const;

    win::Bitmap bitmap_;
    void* bits_ = nullptr;
    int width_ = 0, height_ = 0;
    int stride_ = 0;
    TPixelFormat pixel_format_ = TPixelFormat::pfDevice;
    TTransparentMode transparent_mode_ = TTransparentMode::tmAuto;
    TColor transparent_color_ = clDefault;
    TBitmapCanvas* canvas_ = nullptr;
    friend class TBitmapCanvas;
};

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool Valid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
using IconHandle = win::UniqueResource<HICON, IconTraits>;

class TIcon : public TGraphic {
    FW_CLASS(TIcon, TGraphic)
public:
    void Assign(const TPersistent* Source) override;
    bool Empty() const override { return !icon_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }

    HICON Handle() const { return icon_.get(); }
    // Takes ownership of Value.
    void SetHandle(HICON Value);
    HICON ReleaseHandle();

    // An .ico file: the first image of it.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);

    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    IconHandle icon_;
    int width_ = 0, height_ = 0;
    std::string data_; // the file the icon came from, for saving
};

// Holds one graphic of any kind (a bitmap or an icon).
class TPicture : public TPersistent {
    FW_CLASS(TPicture, TPersistent)
public:
    ~TPicture() override;
    void Assign(const TPersistent* Source) override;

    TGraphic* Graphic() const { return graphic_; }
    // Copies Value (nullptr clears).
    void SetGraphic(TGraphic* Value);
    // The picture as a bitmap: made (replacing any other graphic) when asked for.
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    TNotifyEvent OnChange;

private:
    void GraphicChanged(TObject* Sender);
    TGraphic* graphic_ = nullptr;
};

} // namespace dvr::fw
