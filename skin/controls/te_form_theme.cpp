#include "skin/controls/te_form_theme.h"

#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

namespace dvr::skin {

int FormKindOf(TTeBorderStyle Style) {
    switch (Style) {
    case TTeBorderStyle::kbsStandard:
        return 0;
    case TTeBorderStyle::kbsDialog:
        return 1;
    case TTeBorderStyle::kbsBorder:
        return 2;
    case TTeBorderStyle::kbsNone:
        return 3;
    case TTeBorderStyle::kbsToolWindow:
        return 4;
    }
    return 0;
}

void TTeForm::Publish(fw::TPublisher<TTeForm>& p) {
    p.Property("ThemeObject", nullptr, &TTeForm::ThemeObject, &TTeForm::SetThemeObject);
}

TTeForm::TTeForm(fw::TComponent* AOwner) : TTeDefaultForm(AOwner) {
    AddThemeNotification(this);
}

TTeForm::~TTeForm() {
    RemoveThemeNotification(this);
}

void TTeForm::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

bool TTeForm::HasStyle() {
    return CurrentThemeHasFormStyle(FormKind(), theme_object_);
}

uint16_t TTeForm::ThemeButtonSet() {
    if (border_style_ == TTeBorderStyle::kbsNone || border_style_ == TTeBorderStyle::kbsBorder)
        return 0;
    uint16_t set = 0x1FFF;
    auto clear_without = [&](TTeBorderIcon icon, std::initializer_list<int> bits) {
        if (border_icons_.Contains(icon)) return;
        for (int b : bits)
            set &= uint16_t(~(1u << b));
    };
    clear_without(TTeBorderIcon::kbiSystemMenu, {0});
    clear_without(TTeBorderIcon::kbiClose, {1});
    clear_without(TTeBorderIcon::kbiHelp, {2});
    clear_without(TTeBorderIcon::kbiMinimize, {3, 4});
    clear_without(TTeBorderIcon::kbiMaximize, {5, 6});
    clear_without(TTeBorderIcon::kbiRollup, {7, 8});
    clear_without(TTeBorderIcon::kbiTray, {9});
    auto clear = [&](std::initializer_list<int> bits) {
        for (int b : bits)
            set &= uint16_t(~(1u << b));
    };
    switch (window_state_) {
    case TTeWindowState::kwsNormal:
        clear({4, 6, 8});
        break;
    case TTeWindowState::kwsMaximized:
        clear({4, 5, 8});
        break;
    case TTeWindowState::kwsMinimized:
        clear({3, 6, 8});
        break;
    case TTeWindowState::kwsRollup:
        clear({4, 6, 7});
        break;
    case TTeWindowState::kwsTray:
        break;
    }
    return set;
}

TteWindowInfo TTeForm::WindowInfo(bool WithCaption) {
    return MakeWindowInfo(TRect{0, 0, form_width_, form_height_}, is_active_, TRect{},
                          WithCaption ? caption_ : std::wstring(), ThemeButtonSet());
}

int TTeForm::ThemeButtonKind(TTeBorderIcon Button) {
    switch (Button) {
    case TTeBorderIcon::kbiSystemMenu:
        return 0;
    case TTeBorderIcon::kbiClose:
        return 1;
    case TTeBorderIcon::kbiHelp:
        return 2;
    case TTeBorderIcon::kbiMinimize:
        return window_state_ == TTeWindowState::kwsMinimized ? 4 : 3;
    case TTeBorderIcon::kbiMaximize:
        return window_state_ == TTeWindowState::kwsMaximized ? 6 : 5;
    case TTeBorderIcon::kbiRollup:
        return window_state_ == TTeWindowState::kwsRollup ? 8 : 7;
    case TTeBorderIcon::kbiTray:
        return 9;
    default:
        return -1;
    }
}

uint8_t TTeForm::ThemeButtonState(uint8_t HitCode) {
    if ((mouse_buttons_ & 8) && pressed_part_ == HitCode && hot_part_ == HitCode) return 2;
    if (hot_part_ == HitCode && !tracking_) return 1;
    return 0;
}

HRGN TTeForm::CreateFormRegion() {
    if (!HasStyle() || IsMaximizedMDIChild()) return TTeDefaultForm::CreateFormRegion();
    HRGN rgn = CurrentTheme()->GetFormRegion(FormKind(), WindowInfo(true), theme_object_);
    return rgn ? rgn : ::CreateRectRgn(0, 0, form_width_, form_height_);
}

void TTeForm::GetButtonRect(TTeBorderIcon Button, TRect& Rect) {
    if (!HasStyle()) return TTeDefaultForm::GetButtonRect(Button, Rect);
    Rect = TRect{};
    int kind = ThemeButtonKind(Button);
    if (!border_icons_.Contains(Button) || kind < 0) return;
    CurrentTheme()->GetFormButtonRect(FormKind(), WindowInfo(true), Rect, theme_object_, kind);
}

void TTeForm::GetFrameMargins(TRect& Rect) {
    if (!HasStyle() || IsMaximizedMDIChild()) return TTeDefaultForm::GetFrameMargins(Rect);
    Rect = TRect{0, 0, form_width_, form_height_};
    CurrentTheme()->GetFormContentRect(FormKind(), WindowInfo(false), Rect, theme_object_);
}

void TTeForm::GetMaximizedRect(TRect& Rect) {
    if (!HasStyle() || IsMDIChild()) return TTeDefaultForm::GetMaximizedRect(Rect);
    RECT r{};
    GetMonitorRectFromWindow(GetHandle(), !stay_on_top_, r);
    Rect = TRect{r.left, r.top, r.right, r.bottom};
}

void TTeForm::GetMinTrackSize(TPoint& Size) {
    if (!HasStyle()) return TTeDefaultForm::GetMinTrackSize(Size);
    TRect m;
    GetFrameMargins(m);
    Size = TPoint{100, window_height_ - (m.Bottom - m.Top)};
    if (constraints_->MinWidth != 0) Size.X = constraints_->MinWidth;
    if (constraints_->MinHeight != 0 && constraints_->MinHeight > Size.Y)
        Size.Y = constraints_->MinHeight;
}

void TTeForm::PaintSizeGrip(fw::TCanvas& Canvas) {
    if (!HasStyle()) return TTeDefaultForm::PaintSizeGrip(Canvas);
    TRect grip;
    GetSizeGripRect(grip);
    CurrentTheme()->PaintFormSizeGrip(FormKind(), Canvas, theme_object_,
                                      MakeRectState(grip, dragging_->Sizeable ? 1 : 0),
                                      WindowInfo(true));
}

void TTeForm::PaintClientBackground() {
    if (!HasStyle()) return TTeDefaultForm::PaintClientBackground();
    TRect client;
    GetClientAreaRect(client);
    TteWindowInfo info = WindowInfo(true);
    if (painter_active_) info.ClipRect = painter_rect_;
    CurrentTheme()->PaintFormClient(FormKind(), *canvas_, theme_object_, client, info);
}

uint8_t TTeForm::HitTest(int X, int Y) {
    if (!HasStyle()) return TTeDefaultForm::HitTest(X, Y);
    int code = CurrentTheme()->FormHitTest(FormKind(), WindowInfo(true), theme_object_, X, Y);
    if (code == 0 && InSizeGrip(X, Y)) code = kfhBottomRight;
    return uint8_t(code);
}

void TTeForm::PaintNonClient(fw::TCanvas& Canvas) {
    if (!HasStyle()) return TTeDefaultForm::PaintNonClient(Canvas);
    TteTheme* theme = CurrentTheme();
    const int kind = FormKind();
    TteWindowInfo info = WindowInfo(true);
    TRect m;
    GetFrameMargins(m);
    const int strip_height = m.Top;
    std::unique_ptr<TteBitmap> strip;
    HDC own = nullptr;
    if (performance_ == TTeFormPerformance::kfpNoBuffer && strip_height > 0 && form_width_ > 0) {
        strip = std::make_unique<TteBitmap>();
        strip->SetSize(form_width_, strip_height);
        own = Canvas.Handle();
        Canvas.SetHandle(BitmapDC(*strip));
    }
    try {
        theme->PaintFormBorder(kind, Canvas, theme_object_, info);
        TRect caption;
        theme->GetFormCaptionRect(kind, info, caption, theme_object_);
        if (RectHasArea(caption))
            theme->PaintFormCaption(kind, Canvas, theme_object_, caption, info);
        static const std::pair<TTeBorderIcon, uint8_t> order[] = {
            {TTeBorderIcon::kbiClose, kfhClose},
            {TTeBorderIcon::kbiSystemMenu, kfhSystemMenu},
            {TTeBorderIcon::kbiMinimize, kfhMinimize},
            {TTeBorderIcon::kbiMaximize, kfhMaximize},
            {TTeBorderIcon::kbiHelp, kfhHelp},
            {TTeBorderIcon::kbiRollup, kfhRollup},
            {TTeBorderIcon::kbiTray, kfhTray}};
        for (const auto& [icon, code] : order) {
            if (!border_icons_.Contains(icon)) continue;
            int bkind = ThemeButtonKind(icon);
            TRect r;
            theme->GetFormButtonRect(kind, info, r, theme_object_, bkind);
            std::unique_ptr<TteBitmap> glyph;
            if (icon == TTeBorderIcon::kbiSystemMenu) {
                glyph = std::make_unique<TteBitmap>();
                glyph->SetSize(16, 16);
                glyph->FillColor(KeyColor);
                glyph->Transparent = true;
                DrawIconCenteredDC(BitmapDC(*glyph), TRect{0, 0, 16, 16}, GetSmallIcon());
                ::GdiFlush();
            }
            TteFormButtonInfo button =
                MakeFormButtonInfo(r, uint8_t(bkind), ThemeButtonState(code), glyph.get());
            theme->PaintFormButton(kind, Canvas, theme_object_, button, info);
        }
    } catch (...) {
        if (strip) Canvas.SetHandle(own);
        throw;
    }
    if (strip) {
        Canvas.SetHandle(own);
        info.ClipRect = TRect{0, strip_height, form_width_, form_height_};
        theme->PaintFormBorder(kind, Canvas, theme_object_, info);
        ::GdiFlush();
        Draw(*strip, own, 0, 0);
    }
}

void TTeForm::TMThemeChange(fw::TMessage& M) {
    switch (M.WParam) {
    case ktcNewTheme:
    case ktcThemeApplied:
    case ktcThemeCleared:
        UpdateFrame();
        break;
    case ktcColorsChanged:
        PaintFrame();
        Invalidate();
        break;
    default:
        break;
    }
}

} // namespace dvr::skin
