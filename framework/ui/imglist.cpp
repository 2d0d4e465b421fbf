#include "framework/ui/imglist.h"

namespace dvr::fw {

void TImageList::Publish(TPublisher<TImageList>& p) {
    p.Property("Height", nullptr, &TImageList::Height, &TImageList::SetHeight).Default(16);
    p.Property("Masked", nullptr, &TImageList::Masked, &TImageList::SetMasked).Default(1);
    p.Property("Width", nullptr, &TImageList::Width, &TImageList::SetWidth).Default(16);
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {
    static bool init = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)init;
}

TImageList::~TImageList() {
    if (handle_) ::ImageList_Destroy(handle_);
}

HIMAGELIST TImageList::Handle() {
    if (!handle_) {
        handle_ = ::ImageList_Create(width_, height_, ILC_COLOR32 | (masked_ ? ILC_MASK : 0), 4, 4);
        if (!handle_) throw EOutOfResources("Failed to create image list");
        if (bk_color_ != clNone) ::ImageList_SetBkColor(handle_, ColorToRGB(bk_color_));
    }
    return handle_;
}

void TImageList::Recreate() {
    if (handle_) {
        ::ImageList_Destroy(handle_);
        handle_ = nullptr;
    }
    Change();
}

void TImageList::Change() {
    OnChange(this);
}

void TImageList::SetWidth(int Value) {
    if (Value == width_ || Value <= 0) return;
    width_ = Value;
    Recreate();
}
void TImageList::SetHeight(int Value) {
    if (Value == height_ || Value <= 0) return;
    height_ = Value;
    Recreate();
}
void TImageList::SetMasked(bool Value) {
    if (Value == masked_) return;
    masked_ = Value;
    Recreate();
}
void TImageList::SetBkColor(TColor Value) {
    bk_color_ = Value;
    if (handle_) ::ImageList_SetBkColor(handle_, Value == clNone ? CLR_NONE : ColorToRGB(Value));
}

int TImageList::Count() {
    return handle_ ? ::ImageList_GetImageCount(handle_) : 0;
}

// The image list keeps copies; it wants device-dependent or 32-bit bitmaps not selected
// into any DC.
static HBITMAP CopyForList(TBitmap* Image) {
    TBitmap copy;
    copy.Assign(Image);
    copy.SetPixelFormat(TPixelFormat::pf32bit);
    return copy.ReleaseHandle();
}

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Empty()) return -1;
    win::Bitmap image(CopyForList(Image));
    win::Bitmap mask;
    if (Mask && !Mask->Empty()) {
        TBitmap m;
        m.Assign(Mask);
        m.SetPixelFormat(TPixelFormat::pf1bit);
        mask.reset(m.ReleaseHandle());
    }
    int i = ::ImageList_Add(Handle(), image.get(), mask.get());
    Change();
    return i;
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    win::Bitmap image(CopyForList(Image));
    int i = ::ImageList_AddMasked(Handle(), image.get(), ColorToRGB(MaskColor));
    Change();
    return i;
}

int TImageList::AddIcon(TIcon* Image) {
    if (!Image || Image->Empty()) return -1;
    int i = ::ImageList_AddIcon(Handle(), Image->Handle());
    Change();
    return i;
}

void TImageList::Delete(int Index) {
    if (!handle_) return;
    if (Index < 0 || Index >= Count()) throw EListError("Image index out of range");
    ::ImageList_Remove(handle_, Index);
    Change();
}

void TImageList::Clear() {
    if (handle_) ::ImageList_Remove(handle_, -1);
    Change();
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    if (!handle_ || Index < 0 || Index >= Count()) return;
    UINT style = ILD_NORMAL;
    switch (drawing_style_) {
    case TDrawingStyle::dsFocus:
        style = ILD_FOCUS;
        break;
    case TDrawingStyle::dsSelected:
        style = ILD_SELECTED;
        break;
    case TDrawingStyle::dsTransparent:
        style = ILD_TRANSPARENT;
        break;
    default:
        break;
    }
    if (masked_) style |= ILD_TRANSPARENT;
    if (Enabled) {
        ::ImageList_Draw(handle_, Index, Canvas->Handle(), X, Y, style);
    } else {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof p;
        p.himl = handle_;
        p.i = Index;
        p.hdcDst = Canvas->Handle();
        p.x = X;
        p.y = Y;
        p.rgbBk = CLR_NONE;
        p.rgbFg = CLR_DEFAULT;
        p.fStyle = style;
        p.fState = ILS_SATURATE;
        ::ImageList_DrawIndirect(&p);
    }
}

void TImageList::GetBitmap(int Index, TBitmap* Image) {
    if (!Image || !handle_ || Index < 0 || Index >= Count()) return;
    Image->SetPixelFormat(TPixelFormat::pf32bit);
    Image->SetSize(width_, height_);
    ::ImageList_Draw(handle_, Index, Image->Canvas()->Handle(), 0, 0, ILD_NORMAL);
}

} // namespace dvr::fw
