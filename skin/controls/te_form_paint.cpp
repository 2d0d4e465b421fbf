// How the skinned form puts pixels on the screen: the frame through a buffer chosen by
// Performance, the client background on WM_ERASEBKGND, shadow and translucency against a
// copy of the screen behind the window, and the show animation.
#include "skin/controls/te_form.h"

#include "skin/controls/te_controls.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_effect_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"

#include <mutex>

namespace dvr::skin {

namespace {

constexpr TteColor kFormShadowColor = 0x803F3F3F;

// The frame's four strips (everything but the client area M) of a W x H form.
void FormFrameStrips(TRect M, int W, int H, TRect (&Strips)[4]) {
    Strips[0] = TRect{0, 0, W, M.Top};
    Strips[1] = TRect{0, M.Bottom, W, H};
    Strips[2] = TRect{0, M.Top, M.Left, H};
    Strips[3] = TRect{M.Right, M.Top, W, H};
}

// Sets the alpha of a shadow zone: the outer lines fade out.
void ShadeShadowZone(TteBitmap& B, TRect Z, bool OuterRight, bool OuterTop, bool OuterBottom,
                     bool OuterLeft) {
    Z = IntersectRects(Z, TRect{0, 0, B.Width, B.Height});
    if (!RectHasArea(Z)) return;
    for (int y = Z.Top; y < Z.Bottom; ++y) {
        for (int x = Z.Left; x < Z.Right; ++x) {
            int dx = OuterRight ? Z.Right - 1 - x : OuterLeft ? x - Z.Left : 99;
            int dy = OuterTop ? y - Z.Top : OuterBottom ? Z.Bottom - 1 - y : 99;
            int shift = 0;
            if (dx == 0 || dy == 0)
                shift = -120;
            else if (dx == 1 && dy == 1)
                shift = -70;
            else if (dx == 1 || dy == 1)
                shift = -20;
            B.SetPixel(x, y, ShiftPixel(kFormShadowColor, 0, 0, 0, shift));
        }
    }
}

} // namespace

void TTeDefaultForm::ShadowPaint(TteBitmap& Target) {
    const int W = form_width_, H = form_height_, WW = window_width_, WH = window_height_;
    const int S = shadow_->Size();
    TRect m;
    GetFrameMargins(m);
    (void)H;
    (void)W;
    Target.FillRect(TRect{m.Right, 0, WW, S}, KeyColor);
    Target.FillRect(TRect{0, m.Bottom, S, WH}, KeyColor);
    TRect right{m.Right, S, WW, m.Bottom};
    TRect bottom{S, m.Bottom, form_width_, WH};
    TRect corner{m.Right, m.Bottom, WW, WH};
    ShadeShadowZone(Target, right, true, true, false, false);
    ShadeShadowZone(Target, bottom, false, false, true, true);
    ShadeShadowZone(Target, corner, true, false, true, false);
    for (TRect z : {right, bottom, corner})
        Target.MergeUnder(background_.get(), z.Left, z.Top, z);
}

void TTeDefaultForm::PaintFrame() {
    if (IsMaximizedMDIChild()) return;
    TRect m, client;
    GetFrameMargins(m);
    GetClientAreaRect(client);
    const bool shadow = shadow_->Enabled();
    const bool blend = blending_->Enabled();
    if (client == m && !shadow) return;
    if (window_width_ <= 0 || window_height_ <= 0 || !paint_enabled_) return;
    HWND wnd = GetHandle();
    if (!wnd) return;
    const int W = form_width_, H = form_height_, WW = window_width_, WH = window_height_;

    fw::TCanvas canvas;
    canvas.Lock();
    TteBitmap* target = nullptr;
    std::unique_ptr<TteBitmap> temporary;
    HDC window_dc = nullptr;
    if (animating_) {
        target = animation_buffer_.get();
    } else {
        switch (performance_) {
        case TTeFormPerformance::kfpNoBuffer:
            if (shadow || blend) {
                temporary = std::make_unique<TteBitmap>();
                temporary->SetSize(WW, WH);
                target = temporary.get();
            } else {
                window_dc = ::GetWindowDC(wnd);
                if (!window_dc) {
                    canvas.Unlock();
                    return;
                }
            }
            break;
        case TTeFormPerformance::kfpSharedBuffer:
            EnsureSharedPaintBuffer();
            target = &SharedPaintBuffer();
            break;
        case TTeFormPerformance::kfpPersistentBuffer:
            if (!persistent_buffer_) {
                persistent_buffer_ = std::make_unique<TteBitmap>();
                persistent_buffer_->SetSize(WW, WH);
            }
            target = persistent_buffer_.get();
            break;
        case TTeFormPerformance::kfpDoubleBuffer:
            temporary = std::make_unique<TteBitmap>();
            temporary->SetSize(WW, WH);
            target = temporary.get();
            break;
        }
    }
    if (target && target->IsEmpty()) {
        canvas.Unlock();
        return;
    }
    if (target) {
        target->Transparent = false;
        target->AlphaBlend = false;
    }
    HDC dc = target ? BitmapDC(*target) : window_dc;
    canvas.SetHandle(dc);
    int saved = ::SaveDC(dc);
    try {
        if (shadow && target) ShadowPaint(*target);
        ::ExcludeClipRect(dc, m.Left, m.Top, m.Right, m.Bottom);
        if (blend && target) {
            target->AlphaBlend = true;
            PaintNonClient(canvas);
            ::GdiFlush();
            TRect strips[4];
            FormFrameStrips(m, W, H, strips);
            uint8_t value = uint8_t(blending_->Value());
            for (TRect s : strips)
                target->SetAlphaRect(value, s);
            for (TRect s : strips)
                target->MergeUnder(background_.get(), s.Left, s.Top, s);
            target->AlphaBlend = false;
        } else {
            PaintNonClient(canvas);
        }
        ::GdiFlush();
        if (!animating_ && target) {
            if (HDC wdc = ::GetWindowDC(wnd)) {
                TRect parts[4] = {TRect{0, 0, WW, m.Top}, TRect{m.Left, m.Bottom, m.Right, WH},
                                  TRect{0, m.Top, m.Left, WH}, TRect{m.Right, m.Top, WW, WH}};
                for (TRect p : parts)
                    if (RectHasArea(p)) DrawRect(*target, wdc, p.Left, p.Top, p);
                ::ReleaseDC(wnd, wdc);
            }
        }
    } catch (...) {
        ::RestoreDC(dc, saved);
        canvas.SetHandle(nullptr);
        if (window_dc) ::ReleaseDC(wnd, window_dc);
        canvas.Unlock();
        throw;
    }
    ::RestoreDC(dc, saved);
    canvas.SetHandle(nullptr);
    if (window_dc) ::ReleaseDC(wnd, window_dc);
    canvas.Unlock();
}

void TTeDefaultForm::CaptureBackground(TRect Rect) {
    if (!GetControl() || Rect == background_rect_ || updating_frame_) return;
    bool maximized = window_state_ == TTeWindowState::kwsMaximized;
    if (!(blending_->Enabled() ||
          (!maximized && previous_state_ != TTeWindowState::kwsMaximized))) {
        if (previous_state_ == TTeWindowState::kwsMaximized)
            previous_state_ = TTeWindowState::kwsNormal;
        return;
    }
    if (!RectHasArea(Rect)) return;
    HDC screen = ::GetDC(nullptr);
    if (!screen) return;
    auto fresh = std::make_unique<TteBitmap>();
    try {
        fresh->SetSize(Rect.Width(), Rect.Height());
    } catch (...) {
        ::ReleaseDC(nullptr, screen);
        throw;
    }
    HDC dc = BitmapDC(*fresh);
    TRect I = IntersectRects(background_rect_, Rect);
    auto copy_band = [&](TRect band) {
        if (band.Width() <= 0 || band.Height() <= 0) return;
        ::BitBlt(dc, band.Left - Rect.Left, band.Top - Rect.Top, band.Width(), band.Height(),
                 screen, band.Left, band.Top, SRCCOPY);
    };
    if (!RectHasArea(I) || background_->IsEmpty()) {
        copy_band(Rect);
    } else {
        copy_band(TRect{Rect.Left, Rect.Top, I.Left, Rect.Bottom});
        copy_band(TRect{I.Left, Rect.Top, I.Right, I.Top});
        copy_band(TRect{I.Right, Rect.Top, Rect.Right, Rect.Bottom});
        copy_band(TRect{I.Left, I.Bottom, I.Right, Rect.Bottom});
        ::GdiFlush();
        background_->AlphaBlend = false;
        background_->Transparent = false;
        TRect src{I.Left - background_rect_.Left, I.Top - background_rect_.Top,
                  I.Right - background_rect_.Left, I.Bottom - background_rect_.Top};
        TRect dst{I.Left - Rect.Left, I.Top - Rect.Top, I.Right - Rect.Left, I.Bottom - Rect.Top};
        background_->DrawToBitmap(fresh.get(), dst, src);
    }
    ::GdiFlush();
    // Screen pixels come without alpha: make them opaque for the blends.
    fresh->SetAlpha(255);
    background_ = std::move(fresh);
    ::ReleaseDC(nullptr, screen);
    background_rect_ = Rect;
}

void TTeDefaultForm::PlayShowAnimation() {
    if (!animation_->Enabled() || !GetControl() || animating_) return;
    HWND wnd = GetHandle();
    if (!wnd) return;
    auto alive = std::make_shared<bool>(true);
    animation_alive_ = alive;
    in_show_animation_ = true;
    if (fw::Application) fw::Application->ProcessMessages();
    if (!*alive) return;
    animating_ = true;
    TteBitmap* buffer = nullptr;
    HDC screen = nullptr;
    auto finish = [&] {
        if (screen) ::ReleaseDC(nullptr, screen);
        if (!*alive) {
            // The hook was freed meanwhile and gave the buffer to this frame.
            delete buffer;
            return;
        }
        animating_ = false;
        in_show_animation_ = false;
        animation_buffer_.reset();
        animation_alive_.reset();
        if (release_deferred_) {
            release_deferred_ = false;
            ::PostMessageW(wnd, fw::CM_RELEASE, 0, 0);
        }
    };
    try {
        const int WW = window_width_, WH = window_height_;
        animation_buffer_ = std::make_unique<TteBitmap>();
        animation_buffer_->SetSize(std::max(1, WW), std::max(1, WH));
        buffer = animation_buffer_.get();
        RECT wr{};
        ::GetWindowRect(wnd, &wr);
        background_rect_ = TRect{};
        CaptureBackground(TRect{wr.left, wr.top, wr.right, wr.bottom});
        bool was_active = is_active_;
        is_active_ = true;
        PaintFrame();
        fw::TMessage erase{WM_ERASEBKGND, 0, 0, 0};
        WMEraseBkgnd(erase);
        is_active_ = was_active;

        TRect m;
        GetFrameMargins(m);
        HRGN form_rgn = CreateFormRegion();
        if (shadow_->Enabled() && window_state_ != TTeWindowState::kwsMaximized) {
            HRGN second = CreateFormRegion();
            ::OffsetRgn(second, shadow_->Size(), shadow_->Size());
            ::CombineRgn(form_rgn, form_rgn, second, RGN_OR);
            ::DeleteObject(second);
        }
        HRGN outside = ::CreateRectRgn(0, 0, WW, WH);
        ::CombineRgn(outside, outside, form_rgn, RGN_DIFF);
        ::GdiFlush();
        buffer->SetAlpha(255);
        buffer->SetTransparentColor(KeyColor);
        const int S = shadow_->Enabled() ? shadow_->Size() : 0;
        for (int y = 0; y < buffer->Height; ++y)
            for (int x = 0; x < buffer->Width; ++x) {
                if (S < x && x < form_width_ && S < y && y < form_height_) continue;
                if (::PtInRegion(outside, x, y)) buffer->SetPixel(x, y, KeyColor);
            }
        ::DeleteObject(outside);
        ::DeleteObject(form_rgn);

        if (auto* form = dynamic_cast<fw::TCustomForm*>(Owner())) {
            HDC bdc = BitmapDC(*buffer);
            POINT old{};
            ::SetWindowOrgEx(bdc, -m.Left, -m.Top, &old);
            for (int i = 0; i < form->ControlCount(); ++i) {
                fw::TControl* c = form->Controls(i);
                if (!c->Visible()) continue;
                int saved = ::SaveDC(bdc);
                ::SetWindowOrgEx(bdc, -m.Left - c->Left(), -m.Top - c->Top(), nullptr);
                ::IntersectClipRect(bdc, 0, 0, c->Width(), c->Height());
                if (auto* wc = dynamic_cast<fw::TWinControl*>(c); wc && wc->HandleAllocated())
                    ::SendMessageW(wc->WindowHandle(), WM_PRINT, WPARAM(bdc),
                                   PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
                else if (!dynamic_cast<fw::TWinControl*>(c))
                    c->Perform(WM_PAINT, uintptr_t(bdc), 0);
                ::RestoreDC(bdc, saved);
            }
            ::SetWindowOrgEx(bdc, old.x, old.y, nullptr);
            ::GdiFlush();
        }

        screen = ::GetDC(nullptr);
        POINT origin{0, 0};
        ::ClientToScreen(wnd, &origin);
        ExecuteAnimation(screen, origin.x - m.Left, origin.y - m.Top, background_.get(), buffer,
                         animation_->Animation());
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

// A form released from inside the show animation's message loop would be freed under
// the window's own show call: the release waits until the animation is over.
void TTeDefaultForm::CMRelease(fw::TMessage& M) {
    if (!in_show_animation_) return;
    MarkHandled();
    M.Result = 0;
    release_deferred_ = true;
}

void TTeDefaultForm::PaintBackgroundRect(TRect Rect) {
    TTeBackgroundRequest request;
    request.WholeArea = false;
    request.Area = Rect;
    fw::TMessage m{WM_ERASEBKGND, 0, intptr_t(&request), 0};
    bool handled = false;
    DispatchHookedMessage(m, handled);
}

// The client background (OnPaint, else the look's own) on the hook's canvas.
void TTeDefaultForm::PaintBackgroundInto(fw::TCanvas& Canvas) {
    HDC keep = canvas_->HandleAllocated() ? canvas_->Handle() : nullptr;
    canvas_->SetHandle(Canvas.Handle());
    try {
        if (OnPaint && !Loading())
            OnPaint(this);
        else
            PaintClientBackground();
    } catch (...) {
        canvas_->SetHandle(keep);
        throw;
    }
    canvas_->SetHandle(keep);
}

void TTeDefaultForm::WMEraseBkgnd(fw::TMessage& M) {
    MarkHandled();
    M.Result = 1;
    if (IsMDIForm() && M.LParam != 0) return;
    if (!paint_enabled_) return;
    HWND wnd = GetHandle();
    if (!wnd) return;
    const auto* request = reinterpret_cast<const TTeBackgroundRequest*>(M.LParam);
    HDC dc = HDC(M.WParam);
    bool own_dc = false;
    if (!dc && !(animating_ && M.LParam == 0)) {
        dc = ::GetDC(wnd);
        own_dc = true;
    }
    TRect m;
    GetFrameMargins(m);
    TRect client;
    GetClientAreaRect(client);
    const bool blend = blending_->Enabled();
    const uint8_t value = uint8_t(blending_->Value());
    fw::TCanvas canvas;
    canvas.Lock();
    auto blend_area = [&](TteBitmap& B, TRect area, int dx, int dy) {
        ::GdiFlush();
        TRect on_bitmap{area.Left + dx, area.Top + dy, area.Right + dx, area.Bottom + dy};
        B.SetAlphaRect(value, on_bitmap);
        TRect src{area.Left + m.Left, area.Top + m.Top, area.Right + m.Left, area.Bottom + m.Top};
        B.MergeUnder(background_.get(), on_bitmap.Left, on_bitmap.Top, src);
    };
    try {
        if (animating_ && M.LParam == 0) {
            TteBitmap& B = *animation_buffer_;
            HDC bdc = BitmapDC(B);
            int saved = ::SaveDC(bdc);
            ::IntersectClipRect(bdc, 0, 0, m.Right, m.Bottom);
            ::SetWindowOrgEx(bdc, -m.Left, -m.Top, nullptr);
            canvas.SetHandle(bdc);
            PaintBackgroundInto(canvas);
            canvas.SetHandle(nullptr);
            ::RestoreDC(bdc, saved);
            if (blend) blend_area(B, client, m.Left, m.Top);
        } else {
            TteBitmap* target = nullptr;
            std::unique_ptr<TteBitmap> temporary;
            switch (performance_) {
            case TTeFormPerformance::kfpNoBuffer:
                if (blend) {
                    temporary = std::make_unique<TteBitmap>();
                    temporary->SetSize(std::max(1, form_width_), std::max(1, form_height_));
                    target = temporary.get();
                }
                break;
            case TTeFormPerformance::kfpSharedBuffer:
                EnsureSharedPaintBuffer();
                target = &SharedPaintBuffer();
                break;
            case TTeFormPerformance::kfpPersistentBuffer:
                if (!persistent_buffer_) {
                    persistent_buffer_ = std::make_unique<TteBitmap>();
                    persistent_buffer_->SetSize(std::max(1, window_width_),
                                                std::max(1, window_height_));
                }
                target = persistent_buffer_.get();
                break;
            case TTeFormPerformance::kfpDoubleBuffer:
                temporary = std::make_unique<TteBitmap>();
                temporary->SetSize(std::max(1, form_width_), std::max(1, form_height_));
                target = temporary.get();
                break;
            }
            if (target) {
                target->Transparent = false;
                target->AlphaBlend = false;
            }
            canvas.SetHandle(target ? BitmapDC(*target) : dc);
            PaintBackgroundInto(canvas);
            canvas.SetHandle(nullptr);
            TRect area = request && !request->WholeArea ? request->Area : client;
            if (blend && target) blend_area(*target, area, 0, 0);
            ::GdiFlush();
            if (target && dc) {
                if (!request || request->WholeArea)
                    DrawRect(*target, dc, 0, 0, TRect{0, 0, client.Right, client.Bottom});
                else
                    DrawRect(*target, dc, area.Left, area.Top, area);
            }
        }
    } catch (...) {
        canvas.SetHandle(nullptr);
        canvas.Unlock();
        if (own_dc) ::ReleaseDC(wnd, dc);
        throw;
    }
    canvas.Unlock();
    if (own_dc) ::ReleaseDC(wnd, dc);
}

void TTeDefaultForm::WMPaint(fw::TMessage& M) {
    MarkHandled();
    fw::TWinControl* c = GetControl();
    HWND wnd = GetHandle();
    if (!c || !wnd) return;
    PAINTSTRUCT ps{};
    bool began = false;
    if (M.WParam == 0) {
        M.WParam = uintptr_t(::BeginPaint(wnd, &ps));
        began = true;
    }
    try {
        // The form's own painting of its graphic children onto the given DC.
        fw::TMessage paint{WM_PAINT, M.WParam, 0, 0};
        c->Dispatch(paint);
    } catch (...) {
        if (began) ::EndPaint(wnd, &ps);
        throw;
    }
    if (began) {
        ::EndPaint(wnd, &ps);
        M.WParam = 0;
    }
    M.Result = 0;
}

void TTeDefaultForm::TMPaintForm(fw::TMessage& M) {
    MarkHandled();
    M.Result = 0;
    if (M.LParam == 0) return;
    HDC dc = HDC(M.LParam);
    const int x = int16_t(M.WParam & 0xFFFF), y = int16_t((M.WParam >> 16) & 0xFFFF);
    TRect m;
    GetFrameMargins(m);
    bool was_active = is_active_;
    is_active_ = true;
    fw::TCanvas canvas;
    canvas.Lock();
    canvas.SetHandle(dc);
    POINT old{};
    try {
        ::SetWindowOrgEx(dc, -x, -y, &old);
        PaintNonClient(canvas);
        ::SetWindowOrgEx(dc, -(x + m.Left), -(y + m.Top), nullptr);
        PaintBackgroundInto(canvas);
    } catch (...) {
        ::SetWindowOrgEx(dc, old.x, old.y, nullptr);
        canvas.SetHandle(nullptr);
        canvas.Unlock();
        is_active_ = was_active;
        throw;
    }
    ::SetWindowOrgEx(dc, old.x, old.y, nullptr);
    canvas.SetHandle(nullptr);
    canvas.Unlock();
    is_active_ = was_active;
    M.Result = 1;
}

bool FormBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info) {
    TTeDefaultForm* hook = FindTeForm(Info.Parent);
    if (!hook || !hook->GetForm()) {
        if (Info.Parent)
            FillRectColor(Canvas.Handle(), Info.Bounds, ColorToRGB(Info.Parent->Color()));
        return true;
    }
    hook->painter_active_ = true;
    hook->painter_rect_ = Info.Bounds;
    try {
        fw::TMessage m{WM_ERASEBKGND, uintptr_t(Canvas.Handle()), 0, 0};
        bool handled = false;
        hook->DispatchHookedMessage(m, handled);
    } catch (...) {
        hook->painter_active_ = false;
        throw;
    }
    hook->painter_active_ = false;
    return true;
}

void RegisterFormBackgroundPainter() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterBackgroundPainter(fw::TCustomForm::StaticClass(), &FormBackgroundPainter);
    });
}

} // namespace dvr::skin
