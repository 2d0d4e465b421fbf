#include "skin/controls/te_button.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "skin/controls/te_drawstyle.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>
#include <array>

namespace dvr::skin {

using fw::TMessage;

namespace {

struct KindRecord {
    const wchar_t* caption;
    int modal_result;
    bool is_default;
    const char* resource;
};

const KindRecord kButtonKinds[] = {
    {nullptr, 0, false, nullptr},           {L"OK", 1, true, "TE_BTN_OK"},
    {L"Cancel", 2, false, "TE_BTN_CANCEL"}, {L"&Help", 0, false, "TE_BTN_HELP"},
    {L"&Yes", 6, true, "TE_BTN_YES"},       {L"&No", 7, false, "TE_BTN_NO"},
    {L"&Close", 0, false, "TE_BTN_CLOSE"},  {L"Abort", 3, false, "TE_BTN_ABORT"},
    {L"&Retry", 4, false, "TE_BTN_RETRY"},  {L"&Ignore", 5, false, "TE_BTN_IGNORE"},
    {L"&All", 8, false, "TE_BTN_ALL"},
};

std::array<fw::TBitmap*, 11>& KindGlyphCache() {
    static std::array<fw::TBitmap*, 11> cache{};
    return cache;
}

// HLS lightness of a pixel, 0..1.
double PixelLightness(TteColor P) {
    const int r = (P >> 16) & 0xFF, g = (P >> 8) & 0xFF, b = P & 0xFF;
    return (std::max({r, g, b}) + std::min({r, g, b})) / 2.0 / 255.0;
}

TteColor GrayPixel(int V) {
    V = std::clamp(V, 0, 255);
    return 0xFF000000u | (uint32_t(V) << 16) | (uint32_t(V) << 8) | uint32_t(V);
}

// One glyph cell as a key-coloured bitmap: the cell's transparent colour (the image's
// bottom-left pixel) becomes the key; gray for a black-and-white look, and lighter gray
// for a one-cell glyph of a disabled button.
void GlyphCell(const TteBitmap& Image, int Cell, int CellWidth, bool Gray, bool DisabledGray,
               TteBitmap& Out) {
    const int h = Image.Height;
    Out.SetSize(CellWidth, h);
    const TteColor transparent = Image.GetPixel(0, h - 1) & 0x00FFFFFFu;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < CellWidth; ++x) {
            const int sx = Cell * CellWidth + x;
            TteColor p = sx < Image.Width ? Image.GetPixel(sx, y) : transparent;
            if ((p & 0x00FFFFFFu) == transparent) {
                Out.SetPixel(x, y, KeyColor);
                continue;
            }
            const double l = PixelLightness(p);
            if (DisabledGray)
                p = GrayPixel(int(l * 50 + 160));
            else if (Gray)
                p = GrayPixel(int(l * 255));
            Out.SetPixel(x, y, p | 0xFF000000u);
        }
}

uint8_t ButtonStateByte(bool Disabled, bool Pressed, bool Hot, bool Focused) {
    return Disabled ? 3 : Pressed ? 2 : Hot ? 1 : Focused ? 4 : 0;
}

} // namespace

fw::TBitmap* GetKindGlyph(TBitBtnKind Kind) {
    auto& cache = KindGlyphCache();
    const size_t i = size_t(Kind);
    if (i >= cache.size()) return nullptr;
    if (!cache[i]) {
        cache[i] = new fw::TBitmap();
        if (const char* res = kButtonKinds[i].resource) {
            HINSTANCE module = ::GetModuleHandleW(nullptr);
            if (::FindResourceA(module, res, MAKEINTRESOURCEA(2))) {
                try {
                    cache[i]->LoadFromResourceName(module, res);
                } catch (...) {
                    // A damaged resource leaves the glyph empty.
                }
            }
        }
    }
    return cache[i];
}

void FreeKindGlyphs() {
    for (fw::TBitmap*& b : KindGlyphCache()) {
        delete b;
        b = nullptr;
    }
}

// ---- TTeButton ----

TTeButton::TTeButton(fw::TComponent* AOwner) : TTeControl(AOwner) {
    SetControlStyle(fw::TControlStyle{
        fw::TControlStyleItem::csCaptureMouse, fw::TControlStyleItem::csSetCaption,
        fw::TControlStyleItem::csDoubleClicks, fw::TControlStyleItem::csActionClient});
    SetColor(fw::clBtnFace);
    SetPerformance(TTePerformance::kpDoubleBuffer);
    SetTabStop(true);
    SetParentFont(true);
    SetBounds(0, 0, 75, 25);
    glyph_ = std::make_unique<fw::TBitmap>();
    glyph_->OnChange = fw::TNotifyEvent(this, &TTeButton::GlyphChanged);
    glyph_image_ = std::make_unique<fw::TBitmap>();
    AddThemeNotification(this);
}

TTeButton::~TTeButton() {
    RemoveThemeNotification(this);
}

bool TTeButton::Themed() {
    return CurrentThemeHasButtonStyle(0, theme_object_);
}

void TTeButton::SetWideCaption(const std::wstring& Value) {
    if (Value == caption_) return;
    caption_ = Value;
    Invalidate();
}

void TTeButton::SetKind(TBitBtnKind Value) {
    if (Value == kind_) return;
    if (Value != TBitBtnKind::bkCustom) {
        const KindRecord& k = kButtonKinds[size_t(Value)];
        SetDefault(k.is_default);
        if (!(Loading() && !caption_.empty())) caption_ = k.caption;
        modal_result_ = k.modal_result;
        glyph_->Assign(GetKindGlyph(Value));
        num_glyphs_ = 2;
    }
    kind_ = Value;
    Invalidate();
}

void TTeButton::SetDefault(bool Value) {
    default_ = Value;
    if (HandleAllocated())
        if (fw::TCustomForm* f = fw::GetParentForm(this))
            f->Perform(fw::CM_FOCUSCHANGED, 0, intptr_t(f->ActiveControl()));
    Invalidate();
}

void TTeButton::SetGlyph(fw::TBitmap* Value) {
    glyph_->Assign(Value);
}

void TTeButton::GlyphChanged(fw::TObject*) {
    const int w = glyph_->Width(), h = glyph_->Height();
    if (w > 0 && h > 0 && w % h == 0) {
        int n = w / h;
        num_glyphs_ = n > 4 ? 1 : n;
    }
    Invalidate();
}

#define TE_BUTTON_SETTER(field)                                                              \
    if (Value == field) return;                                                                    \
    field = Value;                                                                                 \
    Invalidate();

void TTeButton::SetNumGlyphs(int Value) {
    TE_BUTTON_SETTER(num_glyphs_)
}
void TTeButton::SetImageIndex(int Value) {
    TE_BUTTON_SETTER(image_index_)
}
void TTeButton::SetLayout(TTeButtonLayout Value) {
    TE_BUTTON_SETTER(layout_)
}
void TTeButton::SetSpacing(int Value) {
    TE_BUTTON_SETTER(spacing_)
}
void TTeButton::SetBlackAndWhiteGlyph(bool Value) {
    TE_BUTTON_SETTER(black_and_white_)
}
void TTeButton::SetWordWrap(bool Value) {
    TE_BUTTON_SETTER(word_wrap_)
}
void TTeButton::SetTransparent(bool Value) {
    TE_BUTTON_SETTER(transparent_)
}
void TTeButton::SetThemeObject(const std::string& Value) {
    TE_BUTTON_SETTER(theme_object_)
}
#undef TE_BUTTON_SETTER

void TTeButton::SetImages(fw::TImageList* Value) {
    if (Value == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (images_) images_->FreeNotification(this);
    Invalidate();
}

void TTeButton::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeControl::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == images_) images_ = nullptr;
}

void TTeButton::Click() {
    if (fw::TCustomForm* f = fw::GetParentForm(this)) f->SetModalResult(modal_result_);
    TTeControl::Click();
}

void TTeButton::UpdateGlyphImage() {
    glyph_image_ = std::make_unique<fw::TBitmap>();
    if (glyph_->Width() > 0 && glyph_->Height() > 0) {
        glyph_image_->Assign(glyph_.get());
    } else if (images_ && image_index_ >= 0 && image_index_ < images_->Count()) {
        glyph_image_->SetSize(images_->Width(), images_->Height());
        fw::TCanvas* c = glyph_image_->Canvas();
        c->Brush()->SetColor(0xFF00FF);
        c->FillRect(TRect{0, 0, images_->Width(), images_->Height()});
        images_->Draw(c, 0, 0, image_index_, true);
    }
}

TPoint TTeButton::GetGlyphCellSize() const {
    const int n = std::max(1, num_glyphs_);
    return TPoint{glyph_image_->Width() / n, glyph_image_->Height()};
}

void TTeButton::UseStateFont() {
    fw::TFont* f = PaintFont();
    f->Assign(Font());
    if (!Themed()) return;
    const bool disabled = !Enabled();
    const int index = disabled           ? ktfButtonTextDisabled
                      : pressed_         ? ktfButtonTextPressed
                      : MouseInControl() ? ktfButtonTextHot
                      : HasFocus()       ? ktfButtonTextFocused
                                         : ktfButtonTextNormal;
    TteFont tf;
    CurrentTheme()->GetStyleFont(tf, index, theme_object_);
    FontToTFont(tf, *f);
}

uint8_t TTeButton::ThemeState() {
    return ButtonStateByte(!Enabled(), pressed_, MouseInControl(), HasFocus());
}

TRect TTeButton::GetContentRect() {
    UpdateGlyphImage();
    UseStateFont();
    fw::TCanvas* c = Canvas();
    c->Font()->Assign(PaintFont());
    const TPoint g = GetGlyphCellSize();
    const bool glyph = g.X > 0 && g.Y > 0;
    const int W = Width(), H = Height();
    TRect r;
    if (word_wrap_) {
        r = TRect{0, 0, W - 10 - spacing_ - g.X, H - 10 - spacing_ - g.Y};
    } else {
        const int tw = WideTextWidth(*c, caption_, DT_SINGLELINE);
        const int th = caption_.empty() ? 0 : WideTextHeight(*c, caption_);
        r = TRect{0, 0, tw, th};
    }
    if (glyph) {
        if (layout_ == TTeButtonLayout::blGlyphLeft || layout_ == TTeButtonLayout::blGlyphRight)
            r.Right += g.X + spacing_;
        else
            r.Bottom += g.Y + spacing_;
        r.Right = std::max(r.Right, r.Left + g.X);
        r.Bottom = std::max(r.Bottom, r.Top + g.Y);
    }
    const int w = r.Width(), h = r.Height();
    const int x = (W - w) / 2, y = (H - h) / 2;
    r = TRect{x, y, x + w, y + h};
    if (pressed_) r = TRect{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    return r;
}

TRect TTeButton::GetGlyphRect() {
    TRect r = GetContentRect();
    const TPoint g = GetGlyphCellSize();
    if (g.X <= 0 || g.Y <= 0) return TRect{r.Left, r.Top, r.Left, r.Top};
    switch (layout_) {
    case TTeButtonLayout::blGlyphLeft:
        return TRect{r.Left, r.Top, r.Left + g.X + spacing_, r.Bottom};
    case TTeButtonLayout::blGlyphRight:
        return TRect{r.Right - g.X - spacing_, r.Top, r.Right, r.Bottom};
    case TTeButtonLayout::blGlyphTop:
        return TRect{r.Left, r.Top, r.Right, r.Top + g.Y + spacing_};
    case TTeButtonLayout::blGlyphBottom:
        return TRect{r.Left, r.Bottom - g.Y - spacing_, r.Right, r.Bottom};
    }
    return r;
}

TRect TTeButton::GetCaptionRect() {
    TRect r = GetContentRect();
    const TPoint g = GetGlyphCellSize();
    if (g.X <= 0 || g.Y <= 0) return r;
    switch (layout_) {
    case TTeButtonLayout::blGlyphLeft:
        r.Left += g.X + spacing_;
        break;
    case TTeButtonLayout::blGlyphRight:
        r.Right -= g.X + spacing_;
        break;
    case TTeButtonLayout::blGlyphTop:
        r.Top += g.Y + spacing_;
        break;
    case TTeButtonLayout::blGlyphBottom:
        r.Bottom -= g.Y + spacing_;
        break;
    }
    return r;
}

void TTeButton::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    if (Themed()) {
        if (CurrentTheme()->IsButtonTransparent(0, theme_object_))
            DrawParentBackground(this, c.Handle());
    } else if (transparent_) {
        DrawParentBackground(this, c.Handle());
    } else {
        TTeControl::PaintBackground();
    }
    PaintFace();
    PaintCaption();
    PaintGlyph();
}

void TTeButton::PaintFace() {
    fw::TCanvas& c = *Canvas();
    const TRect all{0, 0, Width(), Height()};
    const bool disabled = !Enabled(), hot = MouseInControl(), focused = HasFocus();
    if (Themed()) {
        CurrentTheme()->PaintButton(0, c, theme_object_,
                                    MakeButtonInfo(all, ThemeState(), active_default_ ? 1 : 0, 0));
        return;
    }
    TRect r = InnerRect();
    if (IsSystemThemeActive()) {
        const int s = disabled                      ? 4
                      : pressed_                    ? 3
                      : hot                         ? 2
                      : focused || active_default_ ? 5
                                                    : 1;
        DrawStylePart(c.Handle(), L"Button", r, 1, s);
        return;
    }
    if (focused || active_default_) {
        DrawFrameRect(c, r, fw::clBlack);
        r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    FillRectColor(c, r, Color());
    if (!pressed_) {
        DrawBevelFrame(c, r, fw::clBtnHighlight, fw::clBlack);
        r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        DrawBevelFrame(c, r, Color(), fw::clBtnShadow);
    } else {
        DrawFrameRect(c, r, fw::clBtnShadow);
    }
    if (focused) {
        TRect f = InnerRect();
        DrawFocusRectColor(c, TRect{f.Left + 4, f.Top + 4, f.Right - 4, f.Bottom - 4},
                           fw::clBtnShadow);
    }
}

void TTeButton::PaintGlyph() {
    const TRect area = GetGlyphRect(); // brings GlyphImage up to date
    const TPoint g = GetGlyphCellSize();
    if (g.X <= 0 || g.Y <= 0) return;
    const bool disabled = !Enabled();
    int cell = 0;
    if (num_glyphs_ > 1 && disabled) cell = 1;
    else if (num_glyphs_ > 2 && pressed_) cell = 2;
    TteBitmap image, glyph;
    AssignPicture(image, glyph_image_.get());
    if (image.IsEmpty()) return;
    const bool gray = black_and_white_ && !MouseInControl();
    GlyphCell(image, cell, g.X, gray, disabled && num_glyphs_ == 1, glyph);
    glyph.Transparent = true; // the key colour shows what lies behind
    const int x = area.Left + (area.Width() - g.X) / 2, y = area.Top + (area.Height() - g.Y) / 2;
    const TRect at{x, y, x + g.X, y + g.Y};
    fw::TCanvas& c = *Canvas();
    if (Themed()) {
        CurrentTheme()->PaintButtonGlyph(0, c, theme_object_, MakeButtonGlyphInfo(at, &glyph, 4),
                                         MakeButtonInfo(area, ThemeState(), active_default_, 0));
        return;
    }
    DrawCanvas(glyph, c, at.Left, at.Top);
}

void TTeButton::PaintCaption() {
    if (caption_.empty()) return;
    fw::TCanvas& c = *Canvas();
    const TRect area = GetCaptionRect(); // also chooses the state's font
    c.Font()->Assign(PaintFont());
    const UINT flags = word_wrap_ ? DT_WORDBREAK : 0;
    TRect r = word_wrap_ ? TRect{0, 0, area.Width(), WideTextHeight(c, caption_)}
                         : TRect{0, 0, WideTextWidth(c, caption_, DT_SINGLELINE),
                                 WideTextHeight(c, caption_)};
    DrawWideText(c, caption_, r, flags | DT_CALCRECT);
    const int w = r.Width(), h = r.Height();
    const int x = area.Left + (area.Width() - w) / 2, y = area.Top + (area.Height() - h) / 2;
    r = TRect{x, y, x + w, y + h};
    ::SetBkMode(c.Handle(), TRANSPARENT);
    if (Themed()) {
        CurrentTheme()->PaintButtonText(0, c, theme_object_,
                                        MakeTextInfo(r, caption_, flags | DT_CENTER),
                                        MakeButtonInfo(r, ThemeState(), active_default_, 0));
        return;
    }
    if (!Enabled()) {
        c.Font()->SetColor(fw::clBtnHighlight);
        DrawWideText(c, caption_, TRect{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1},
                     flags | DT_CENTER);
        c.Font()->SetColor(fw::clBtnShadow);
    }
    DrawWideText(c, caption_, r, flags | DT_CENTER);
}

// ---- input ----

void TTeButton::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (Button != fw::TMouseButton::mbLeft || !Enabled()) return;
    if (CanFocus() && HandleAllocated()) SetFocus();
    pressed_ = true;
    tracking_ = true;
    Invalidate();
}

void TTeButton::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    if (!tracking_) return;
    const bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
    if (inside != pressed_) {
        pressed_ = inside;
        Invalidate();
    }
}

void TTeButton::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseUp(Button, Shift, X, Y);
    if (!tracking_) return;
    tracking_ = false;
    pressed_ = false;
    if (X >= 0 && X < Width() && Y >= 0 && Y < Height()) Click();
    Invalidate();
}

void TTeButton::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    if (Key == VK_SPACE && !Shift.Contains(fw::TShiftStateItem::ssAlt)) {
        pressed_ = true;
        Invalidate();
    }
    TTeControl::KeyDown(Key, Shift);
}

void TTeButton::KeyUp(uint16_t& Key, fw::TShiftState Shift) {
    if (Key == VK_SPACE) {
        pressed_ = false;
        Invalidate();
        Click();
        Key = 0;
    }
    TTeControl::KeyUp(Key, Shift);
}

void TTeButton::MouseEnter() {
    TTeControl::MouseEnter();
    Invalidate();
}

void TTeButton::MouseLeave() {
    TTeControl::MouseLeave();
    Invalidate();
}

void TTeButton::CMDialogKey(TMessage& M) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 ||
                       ::GetKeyState(VK_MENU) < 0;
    const bool enter = M.WParam == VK_RETURN && (active_default_ || HasFocus());
    const bool escape = M.WParam == VK_ESCAPE && cancel_;
    if ((enter || escape) && !shift && CanFocus()) {
        Click();
        M.Result = 1;
        return;
    }
    FW_INHERITED(M);
}

void TTeButton::CMDialogChar(TMessage& M) {
    if (IsCaptionAccel(wchar_t(M.WParam), caption_) && CanFocus()) {
        if (HandleAllocated()) SetFocus();
        Click();
        M.Result = 1;
        return;
    }
    FW_INHERITED(M);
}

void TTeButton::CMFocusChanged(TMessage& M) {
    auto* sender = reinterpret_cast<fw::TObject*>(M.LParam);
    const bool other_button =
        sender && (sender->InheritsFrom(TTeButton::StaticClass()) ||
                   sender->InheritsFrom(fw::TButton::StaticClass()));
    const bool value = other_button ? false : default_;
    if (value != active_default_) {
        active_default_ = value;
        Invalidate();
    }
    FW_INHERITED(M);
}

void TTeButton::CMEnabledChanged(TMessage& M) {
    if (HandleAllocated()) ::EnableWindow(Handle(), Enabled());
    Invalidate();
    FW_INHERITED(M);
}

void TTeButton::CMTextChanged(TMessage& M) {
    caption_ = win::GbkToWide(GetText());
    Invalidate();
    FW_INHERITED(M);
}

void TTeButton::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4 || M.WParam == 5) Invalidate();
}

// ---- TTeCheckBox ----

TTeCheckBox::TTeCheckBox(fw::TComponent* AOwner) : TTeControl(AOwner) {
    // State changes fire OnClick themselves; the framework's click on release would repeat it.
    control_style_.Exclude(fw::TControlStyleItem::csClickEvents);
    SetBounds(Left(), Top(), 98, 20);
    SetTabStop(true);
    SetPerformance(TTePerformance::kpDoubleBuffer);
    AddThemeNotification(this);
}

TTeCheckBox::~TTeCheckBox() {
    RemoveThemeNotification(this);
}

bool TTeCheckBox::Themed() {
    return CurrentThemeHasCheckBoxStyle(0, theme_object_);
}

void TTeCheckBox::SetState(TTeCheckBoxState Value) {
    if (Value == state_) return;
    state_ = Value;
    DoClick();
    Invalidate();
}

void TTeCheckBox::SetChecked(bool Value) {
    SetState(Value ? TTeCheckBoxState::kcbsChecked : TTeCheckBoxState::kcbsUnChecked);
}

void TTeCheckBox::DoClick() {
    if (OnClick && !Loading()) OnClick(this);
}

void TTeCheckBox::Toggle() {
    switch (state_) {
    case TTeCheckBoxState::kcbsUnChecked:
        SetState(allow_grayed_ ? TTeCheckBoxState::kcbsMixed : TTeCheckBoxState::kcbsChecked);
        break;
    case TTeCheckBoxState::kcbsChecked:
        SetState(TTeCheckBoxState::kcbsUnChecked);
        break;
    case TTeCheckBoxState::kcbsMixed:
        SetState(TTeCheckBoxState::kcbsChecked);
        break;
    }
}

#define TE_CHECK_SETTER(field)                                                                     \
    if (Value == field) return;                                                                    \
    field = Value;                                                                                 \
    Invalidate();

void TTeCheckBox::SetAlignment(TTeLeftRight Value) {
    TE_CHECK_SETTER(alignment_)
}
void TTeCheckBox::SetSpacing(int Value) {
    TE_CHECK_SETTER(spacing_)
}
void TTeCheckBox::SetWideCaption(const std::wstring& Value) {
    TE_CHECK_SETTER(caption_)
}
void TTeCheckBox::SetWordWrap(bool Value) {
    TE_CHECK_SETTER(word_wrap_)
}
void TTeCheckBox::SetTransparent(bool Value) {
    TE_CHECK_SETTER(transparent_)
}
void TTeCheckBox::SetThemeObject(const std::string& Value) {
    TE_CHECK_SETTER(theme_object_)
}
#undef TE_CHECK_SETTER

TRect TTeCheckBox::GetCheckRect() {
    const SIZE s = GetCheckSize();
    const int y = (Height() - s.cy) / 2;
    const int x = alignment_ == TTeLeftRight::kalLeftJustify ? 0 : Width() - s.cx;
    return TRect{x, y, x + s.cx, y + s.cy};
}

TRect TTeCheckBox::GetCaptionRect() {
    fw::TCanvas& c = *Canvas();
    TRect r{0, 0, Width() - kCheckSize - 10, WideTextHeight(c, caption_.empty() ? L"W" : caption_)};
    DrawWideText(c, caption_, r,
                 (word_wrap_ ? DT_WORDBREAK : 0) | DT_EXPANDTABS | DT_CALCRECT);
    const int left = alignment_ == TTeLeftRight::kalLeftJustify ? kCheckSize + spacing_ : 2;
    const int top = (Height() - r.Height()) / 2;
    return TRect{left, top, left + r.Width(), top + r.Height()};
}

void TTeCheckBox::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    if (Themed()) {
        if (CurrentTheme()->IsCheckBoxTransparent(0, theme_object_))
            DrawParentBackground(this, c.Handle());
    } else if (transparent_) {
        DrawParentBackground(this, c.Handle());
    } else {
        TTeControl::PaintBackground();
    }
    PaintCheck();
    PaintCaption();
}

void TTeCheckBox::PaintCheck() {
    fw::TCanvas& c = *Canvas();
    const TRect r = GetCheckRect();
    const bool disabled = !Enabled(), hot = MouseInControl();
    const uint8_t check = uint8_t(state_);
    // The theme is asked with "default" whatever ThemeObject holds.
    if (Themed()) {
        const uint8_t s = disabled ? 3 : pressed_ ? 2 : hot ? 1 : 0;
        CurrentTheme()->PaintCheckBox(0, c, "default", MakeCheckBoxInfo(r, check, s));
        return;
    }
    if (IsSystemThemeActive()) {
        const int s = disabled ? 4 : pressed_ ? 3 : hot ? 2 : 1;
        DrawStylePart(c.Handle(), L"Button", r, 3, check * 4 + s);
        return;
    }
    UINT f = DFCS_BUTTONCHECK;
    if (state_ == TTeCheckBoxState::kcbsChecked) f |= DFCS_CHECKED;
    if (state_ == TTeCheckBoxState::kcbsMixed) f = DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (disabled) f |= DFCS_INACTIVE;
    RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    ::DrawFrameControl(c.Handle(), &rc, DFC_BUTTON, f);
}

void TTeCheckBox::PaintCaption() {
    if (caption_.empty()) return;
    fw::TCanvas& c = *Canvas();
    const bool disabled = !Enabled();
    const UINT flags = (word_wrap_ ? DT_WORDBREAK : 0) | DT_EXPANDTABS;
    ::SetBkMode(c.Handle(), TRANSPARENT);
    if (Themed()) {
        // CheckBoxTextNormal 15, Pressed 16, Hot 17, Focused 18, Disabled 19.
        const uint8_t s = disabled ? 3 : pressed_ ? 2 : MouseInControl() ? 1 : HasFocus() ? 4 : 0;
        static const int fonts[] = {15, 17, 16, 19, 18};
        if (TteFont* f = CurrentTheme()->Fonts->GetFont(fonts[s])) FontToTFont(*f, *c.Font());
        const TRect r = GetCaptionRect();
        TteRectStateInfo info = MakeRectState(TRect{0, 0, Width(), Height()}, s);
        CurrentTheme()->PaintCheckBoxText(0, c, "default", MakeTextInfo(r, caption_, flags), info);
        return;
    }
    c.Font()->Assign(Font());
    const TRect r = GetCaptionRect();
    if (disabled) {
        c.Font()->SetColor(fw::clBtnHighlight);
        DrawWideText(c, caption_, TRect{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1}, flags);
        c.Font()->SetColor(fw::clBtnShadow);
    }
    DrawWideText(c, caption_, r, flags);
    if (HasFocus())
        DrawFocusRectColor(c, TRect{r.Left - 1, r.Top - 2, r.Right + 3, r.Bottom + 2},
                           fw::clBtnShadow);
}

void TTeCheckBox::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (Button != fw::TMouseButton::mbLeft) return;
    if (!HasFocus() && CanFocus() && HandleAllocated()) SetFocus();
    if (HandleAllocated()) ::SetCapture(Handle());
    pressed_ = true;
    Invalidate();
}

// A release on the right or bottom edge still counts as inside.
void TTeCheckBox::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    if (pressed_) {
        pressed_ = false;
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        if (X >= 0 && X <= Width() && Y >= 0 && Y <= Height())
            Toggle();
        else
            Invalidate();
    }
    TTeControl::MouseUp(Button, Shift, X, Y);
}

void TTeCheckBox::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    TTeControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE) {
        pressed_ = true;
        Invalidate();
    }
}

void TTeCheckBox::KeyUp(uint16_t& Key, fw::TShiftState) {
    if (Key == VK_SPACE) {
        Toggle();
        pressed_ = false;
        Invalidate();
    }
}

void TTeCheckBox::MouseEnter() {
    TTeControl::MouseEnter();
    Invalidate();
}

void TTeCheckBox::MouseLeave() {
    TTeControl::MouseLeave();
    Invalidate();
}

void TTeCheckBox::CMDialogChar(TMessage& M) {
    if (IsCaptionAccel(wchar_t(M.WParam), caption_) && CanFocus()) {
        if (HandleAllocated()) SetFocus();
        if (HasFocus() || Focused()) Toggle();
        M.Result = 1;
        return;
    }
    FW_INHERITED(M);
}

void TTeCheckBox::CMEnabledChanged(TMessage& M) {
    if (HandleAllocated()) ::EnableWindow(Handle(), Enabled());
    Invalidate();
    FW_INHERITED(M);
}

void TTeCheckBox::CMTextChanged(TMessage& M) {
    SetWideCaption(win::GbkToWide(GetText()));
    FW_INHERITED(M);
}

void TTeCheckBox::WMSysColorChange(TMessage& M) {
    Invalidate();
    FW_INHERITED(M);
}

void TTeCheckBox::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4 || M.WParam == 5) Invalidate();
}

} // namespace dvr::skin
