// The skinned form's window messages, and moving and sizing with its own mouse tracking.
#include "skin/controls/te_form.h"
#include "skin/controls/te_menubar.h"

#include "common/win/textconv.h"
#include "skin/engine/te_bitmap_win.h"

#include <windowsx.h>

#include <algorithm>

namespace dvr::skin {

namespace {

constexpr fw::TShiftState kFormLeftShift{fw::TShiftStateItem::ssLeft};

// WM_NCHITTEST's answer for a hit code.
LRESULT FormHitToWindows(uint8_t Code, bool Moveable, bool Sizeable) {
    switch (Code) {
    case kfhCaption:
        return Moveable ? HTCAPTION : HTCLIENT;
    case kfhLeft:
        return Sizeable ? HTLEFT : HTCLIENT;
    case kfhTop:
        return Sizeable ? HTTOP : HTCLIENT;
    case kfhRight:
        return Sizeable ? HTRIGHT : HTCLIENT;
    case kfhBottom:
        return Sizeable ? HTBOTTOM : HTCLIENT;
    case kfhTopLeft:
        return Sizeable ? HTTOPLEFT : HTCLIENT;
    case kfhTopRight:
        return Sizeable ? HTTOPRIGHT : HTCLIENT;
    case kfhBottomLeft:
        return Sizeable ? HTBOTTOMLEFT : HTCLIENT;
    case kfhBottomRight:
        return Sizeable ? HTBOTTOMRIGHT : HTCLIENT;
    case kfhClose:
        return HTCLOSE;
    case kfhHelp:
        return HTHELP;
    case kfhMinimize:
        return HTMINBUTTON;
    case kfhMaximize:
        return HTMAXBUTTON;
    case kfhRollup:
    case kfhTray:
    case 6:
    case kfhAfterStateChange:
        return HTBORDER;
    case kfhSystemMenu:
        return HTSYSMENU;
    default:
        return HTCLIENT;
    }
}

void PumpFormPaints() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        ::DispatchMessageW(&msg);
}

} // namespace

TPoint TTeDefaultForm::WindowPointOf(intptr_t LParam) {
    return ScreenToWindow(TPoint{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)});
}

void TTeDefaultForm::WMActivate(fw::TMessage& M) {
    if (!is_active_ && HIWORD(M.WParam) != 0) MinimizeFromSystem();
}

void TTeDefaultForm::WMWindowPosChanging(fw::TMessage& M) {
    MarkHandled();
    M.Result = 0;
    auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam);
    if (!wp) return;
    const bool shadow = shadow_->Enabled();
    const bool effects = shadow || blending_->Enabled();
    const bool maximized = window_state_ == TTeWindowState::kwsMaximized;
    HWND wnd = GetHandle();
    if ((wp->flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE)) {
        TPoint max_size, min_size;
        GetMaxTrackSize(max_size);
        GetMinTrackSize(min_size);
        if (!(wp->flags & SWP_NOSIZE)) {
            wp->cx = std::min(wp->cx, int(max_size.X));
            wp->cy = std::min(wp->cy, int(max_size.Y));
            if (window_state_ != TTeWindowState::kwsRollup &&
                window_state_ != TTeWindowState::kwsMinimized) {
                wp->cx = std::max(wp->cx, int(min_size.X));
                wp->cy = std::max(wp->cy, int(min_size.Y));
            }
        }
        // The window's size is compared with the window's last size (form plus shadow):
        // against the form's own size a window shrunk by the shadow's width would count
        // as unchanged and keep its old sizes and region.
        bool size_changed = false;
        if (!((wp->cx == window_width_ && wp->cy == window_height_) || (wp->flags & SWP_NOSIZE) ||
              (wp->flags & SWP_FRAMECHANGED))) {
            window_width_ = wp->cx;
            window_height_ = wp->cy;
            int s = shadow && !maximized ? shadow_->Size() : 0;
            form_width_ = wp->cx - s;
            form_height_ = wp->cy - s;
            size_changed = true;
        }
        if (wp->flags & SWP_FRAMECHANGED) PaintFrame();
        if (effects && wnd) {
            RECT wr{};
            ::GetWindowRect(wnd, &wr);
            TRect r{wp->x, wp->y, wp->x + wp->cx, wp->y + wp->cy};
            if (wp->flags & SWP_NOMOVE)
                r = TRect{wr.left, wr.top, wr.left + wp->cx, wr.top + wp->cy};
            if (wp->flags & SWP_NOSIZE)
                r = TRect{r.Left, r.Top, r.Left + (wr.right - wr.left),
                          r.Top + (wr.bottom - wr.top)};
            CaptureBackground(r);
        }
        if (size_changed) UpdateRegion();
    }
    if ((wp->flags & SWP_SHOWWINDOW) && pending_window_state_ == TTeWindowState::kwsNormal) {
        if (effects && wnd) {
            background_rect_ = TRect{};
            RECT wr{};
            ::GetWindowRect(wnd, &wr);
            CaptureBackground(TRect{wr.left, wr.top, wr.right, wr.bottom});
        }
        PlayShowAnimation();
    }
    if (effects) wp->flags |= SWP_NOCOPYBITS;
}

void TTeDefaultForm::WMNCCalcSize(fw::TMessage& M) {
    MarkHandled();
    M.Result = 0;
    if (M.WParam == 0) return;
    auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam);
    if (!p || !p->lppos) return;
    const WINDOWPOS& wp = *p->lppos;
    TRect m;
    GetFrameMargins(m);
    RECT& r = p->rgrc[0];
    r.left = wp.x + m.Left;
    r.top = wp.y + m.Top;
    r.right = wp.x + wp.cx - (window_width_ - m.Right);
    r.bottom = wp.y + wp.cy - (window_height_ - m.Bottom);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
}

void TTeDefaultForm::WMNCHitTest(fw::TMessage& M) {
    MarkHandled();
    TPoint p = WindowPointOf(M.LParam);
    uint8_t code = HitTest(p.X, p.Y);
    bool sizeable = dragging_->Sizeable && window_state_ != TTeWindowState::kwsMaximized;
    M.Result = FormHitToWindows(code, dragging_->Moveable, sizeable);
}

void TTeDefaultForm::WMNCPaint(fw::TMessage& M) {
    MarkHandled();
    PaintFrame();
    M.Result = 0;
}

void TTeDefaultForm::WMNCActivate(fw::TMessage& M) {
    is_active_ = M.WParam != 0;
    if (!app_events_hooked_ && minimize_application_ && fw::Application) {
        saved_on_minimize_ = fw::Application->OnMinimize;
        saved_on_restore_ = fw::Application->OnRestore;
        fw::Application->OnMinimize = fw::TNotifyEvent(this, &TTeDefaultForm::AppMinimize);
        fw::Application->OnRestore = fw::TNotifyEvent(this, &TTeDefaultForm::AppRestore);
        app_events_hooked_ = true;
    }
    HWND wnd = GetHandle();
    bool owned = M.WParam != 0 && wnd && ::GetWindow(wnd, GW_OWNER) != nullptr;
    if (owned && IsMDIChild()) {
        M.Result = 0;
        return;
    }
    MarkHandled();
    PaintFrame();
    M.Result = owned ? 0 : 1;
}

void TTeDefaultForm::WMNCMouseMove(fw::TMessage& M) {
    MarkHandled();
    TPoint p = WindowPointOf(M.LParam);
    FrameMouseMove(fw::TShiftState::FromMask(mouse_buttons_), p.X, p.Y);
    M.Result = 0;
}

void TTeDefaultForm::WMNCLButtonDown(fw::TMessage& M) {
    MarkHandled();
    RunDropDownCloseEvent(); // a click on the frame closes an open drop-down list
    HWND wnd = GetHandle();
    if (!is_active_ && wnd) ::SetFocus(wnd);
    mouse_buttons_ = 8;
    TPoint p = WindowPointOf(M.LParam);
    FrameMouseDown(fw::TMouseButton::mbLeft, kFormLeftShift, p.X, p.Y);
    M.Result = 0;
}

void TTeDefaultForm::WMNCLButtonUp(fw::TMessage& M) {
    MarkHandled();
    mouse_buttons_ = 0;
    TPoint p = WindowPointOf(M.LParam);
    FrameMouseUp(fw::TMouseButton::mbLeft, fw::TShiftState{}, p.X, p.Y);
    M.Result = 0;
}

void TTeDefaultForm::WMNCLButtonDblClk(fw::TMessage& M) {
    MarkHandled();
    TPoint p = WindowPointOf(M.LParam);
    fw::TShiftState s{fw::TShiftStateItem::ssLeft, fw::TShiftStateItem::ssDouble};
    FrameMouseDown(fw::TMouseButton::mbLeft, s, p.X, p.Y);
    FrameMouseUp(fw::TMouseButton::mbLeft, s, p.X, p.Y);
    mouse_buttons_ = 0;
    M.Result = 1;
}

void TTeDefaultForm::WMNCRButtonDown(fw::TMessage& M) {
    MarkHandled();
    RunDropDownCloseEvent(); // a click on the frame closes an open drop-down list
    HWND wnd = GetHandle();
    if (!is_active_ && wnd) ::SetFocus(wnd);
    mouse_buttons_ = 16;
    TPoint p = WindowPointOf(M.LParam);
    FrameMouseDown(fw::TMouseButton::mbRight, fw::TShiftState{fw::TShiftStateItem::ssRight}, p.X,
                   p.Y);
    M.Result = 0;
}

void TTeDefaultForm::WMNCRButtonUp(fw::TMessage& M) {
    MarkHandled();
    mouse_buttons_ = 0;
    TPoint p = WindowPointOf(M.LParam);
    FrameMouseUp(fw::TMouseButton::mbRight, fw::TShiftState{}, p.X, p.Y);
    M.Result = 0;
}

// Client-area messages while a frame gesture holds the capture.
void TTeDefaultForm::WMMouseMove(fw::TMessage& M) {
    if (hot_part_ != 0 && !(mouse_buttons_ & 8)) {
        hot_part_ = 0;
        PaintFrame();
    }
    if (mouse_buttons_ != 0) {
        TRect m;
        GetFrameMargins(m);
        fw::TShiftState shift = fw::KeysToShiftState(uint32_t(M.WParam));
        FrameMouseMove(shift, GET_X_LPARAM(M.LParam) + m.Left, GET_Y_LPARAM(M.LParam) + m.Top);
    }
}

void TTeDefaultForm::WMLButtonUp(fw::TMessage& M) {
    if (mouse_buttons_ == 0) return;
    mouse_buttons_ = 0;
    TRect m;
    GetFrameMargins(m);
    FrameMouseUp(fw::TMouseButton::mbLeft, fw::TShiftState{}, GET_X_LPARAM(M.LParam) + m.Left,
                 GET_Y_LPARAM(M.LParam) + m.Top);
}

void TTeDefaultForm::WMSysCommand(fw::TMessage& M) {
    const uint32_t command = uint32_t(M.WParam & 0xFFF0);
    switch (command) {
    case SC_KEYMENU:
        if (M.LParam != ' ' && M.LParam != '-' && !::GetCapture() && menu_bar_) {
            // The menu bar's keyboard tracking belongs to the skinned menus.
            if (M.LParam != 0) ::PostMessageW(GetHandle(), WM_CHAR, WPARAM(M.LParam), 0);
            M.Result = 1;
            MarkHandled();
            if (auto* bar = dynamic_cast<TTeMenuBar*>(menu_bar_)) bar->Track();
        } else if (M.LParam == ' ') {
            ShowSystemMenu();
        }
        break;
    case SC_MOUSEMENU:
        ShowSystemMenu();
        break;
    case SC_RESTORE:
        Restore();
        break;
    case SC_MINIMIZE:
        MinimizeFromSystem();
        break;
    default:
        break;
    }
}

void TTeDefaultForm::WMThemeChanged(fw::TMessage& M) {
    MarkHandled();
    CreateCaptionFonts();
    CacheCaptionMetrics();
    M.Result = 0;
}

void TTeDefaultForm::TMFrameChanged(fw::TMessage& M) {
    MarkHandled();
    HWND wnd = GetHandle();
    if (M.WParam == 13 && wnd)
        ::SetWindowLongW(wnd, GWL_STYLE, ::GetWindowLongW(wnd, GWL_STYLE) | WS_CAPTION);
    PaintFrame();
}

void TTeDefaultForm::TMMaximizeChild(fw::TMessage& M) {
    MarkHandled();
    M.Result = 0;
    Maximize();
}

void TTeDefaultForm::TMSetWindowState(fw::TMessage& M) {
    MarkHandled();
    M.Result = 0;
    switch (M.WParam) {
    case 1:
        Maximize();
        break;
    case 2:
        Minimize();
        break;
    case 3:
        Rollup();
        break;
    case 4:
        MinimizeToTray();
        break;
    default:
        break;
    }
}

void TTeDefaultForm::HandleMessage(fw::TMessage& Message, bool& Handled) {
    TTeHook::HandleMessage(Message, Handled);
    HWND wnd = GetHandle();
    switch (Message.Msg) {
    case WM_SETTEXT: {
        const auto* text = reinterpret_cast<const wchar_t*>(Message.LParam);
        std::string gbk = win::WideToGbk(text ? std::wstring_view(text) : std::wstring_view());
        if (gbk != caption_text_ && wnd) {
            // Without WS_CAPTION Windows paints no caption of its own over ours.
            ::SetWindowLongW(wnd, GWL_STYLE, ::GetWindowLongW(wnd, GWL_STYLE) & 0xFF3FFFFF);
            SetCaption(text ? std::wstring(text) : std::wstring());
            ::PostMessageW(wnd, TM_FRAMECHANGED, 13, 0);
            caption_text_ = gbk;
        }
        Message.Result = 0;
        break;
    }
    case WM_NCACTIVATE:
        if (wnd && !::GetWindow(wnd, GW_OWNER)) PaintFrame();
        if (IsMDIChild()) {
            PaintFrame();
            if (wnd) ::PostMessageW(wnd, TM_FRAMECHANGED, 0, 0);
        }
        break;
    case WM_SYSCOMMAND:
        if ((Message.WParam & 0xFFF0) == SC_CONTEXTHELP) PaintFrame();
        break;
    case WM_MDIACTIVATE:
        if (IsMDIChild()) MDIActivated(HWND(Message.WParam), HWND(Message.LParam));
        break;
    case WM_SIZE:
        HookMDIClient();
        if (IsMDIForm() && HasMaximizedMDIChild()) {
            // The maximized child keeps covering the whole client window.
            fw::TCustomForm* form = GetForm();
            fw::TCustomForm* child = form ? form->ActiveMDIChild() : nullptr;
            HWND client = MDIClientHandle();
            RECT r{};
            if (client)
                ::GetClientRect(client, &r);
            else if (wnd)
                ::GetClientRect(wnd, &r);
            if (child) child->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        break;
    default:
        break;
    }
}

// ---- moving and sizing ----

void TTeDefaultForm::SetFormBounds(TRect Rect) {
    if (fw::TWinControl* c = GetControl()) c->SetBoundsRect(Rect);
    if (pump_paints_) PumpFormPaints();
}

TRect TTeDefaultForm::SnapToWorkArea(TRect Rect) {
    if (!gravitation_->Enabled()) return Rect;
    TRect v = Rect;
    if (shadow_->Enabled()) {
        v.Right -= shadow_->Size();
        v.Bottom -= shadow_->Size();
    }
    TRect a;
    GetWorkArea(a);
    const int s = gravitation_->Size();
    int dx = 0, dy = 0;
    if (std::abs(v.Left - a.Left) < s)
        dx = a.Left - v.Left;
    else if (std::abs(v.Right - a.Right) < s)
        dx = a.Right - v.Right;
    if (std::abs(v.Top - a.Top) < s)
        dy = a.Top - v.Top;
    else if (std::abs(v.Bottom - a.Bottom) < s)
        dy = a.Bottom - v.Bottom;
    return TRect{Rect.Left + dx, Rect.Top + dy, Rect.Right + dx, Rect.Bottom + dy};
}

void TTeDefaultForm::DrawDragOutline(TRect Rect) {
    if (window_state_ == TTeWindowState::kwsMaximized) return;
    HWND on = nullptr;
    if (HWND wnd = GetHandle(); IsMDIChild() && wnd && (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
        on = ::GetParent(wnd);
    HDC dc = ::GetWindowDC(on);
    if (!dc) return;
    HPEN pen = ::CreatePen(PS_INSIDEFRAME, 2, RGB(255, 255, 255));
    HGDIOBJ old_pen = ::SelectObject(dc, pen);
    HGDIOBJ old_brush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    int old_rop = ::SetROP2(dc, R2_XORPEN);
    auto draw = [&](TRect r) {
        if (RectHasArea(r)) ::Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
    };
    draw(drag_outline_);
    draw(Rect);
    drag_outline_ = Rect;
    ::SetROP2(dc, old_rop);
    ::SelectObject(dc, old_brush);
    ::SelectObject(dc, old_pen);
    ::DeleteObject(pen);
    ::ReleaseDC(on, dc);
}

void TTeDefaultForm::FrameMouseDown(fw::TMouseButton Button, fw::TShiftState, int X, int Y) {
    if (Button != fw::TMouseButton::mbLeft) return;
    pressed_part_ = hot_part_ = HitTest(X, Y);
    drag_start_ = drag_last_ = TPoint{X, Y};
    PaintFrame();
    HWND wnd = GetHandle();
    if (pressed_part_ >= kfhCaption && pressed_part_ <= kfhBottomRight) {
        tracking_ = true;
        drag_outline_ = TRect{};
        if (wnd) ::PostMessageW(wnd, WM_ENTERSIZEMOVE, 0, 0);
        if (dragging_->DragMode == TTeFormDragMode::kfdmBorder) {
            paint_enabled_ = false;
            outline_drag_ = true;
        }
    }
    if (wnd) ::SetCapture(wnd);
}

void TTeDefaultForm::FrameMouseMove(fw::TShiftState Shift, int X, int Y) {
    if (!Shift.Contains(fw::TShiftStateItem::ssLeft) || !tracking_) {
        uint8_t hot = HitTest(X, Y);
        if (hot != hot_part_) {
            hot_part_ = hot;
            PaintFrame();
        }
        return;
    }
    fw::TWinControl* c = GetControl();
    if (!c) return;
    TRect R = c->BoundsRect();
    const bool outline = dragging_->DragMode == TTeFormDragMode::kfdmBorder;
    const bool normal = window_state_ == TTeWindowState::kwsNormal;
    const bool sizing = dragging_->Sizeable && normal;
    TPoint min;
    GetMinTrackSize(min);
    auto left = [&] {
        R.Left += X - drag_start_.X;
        R.Left = std::min(R.Left, R.Right - int(min.X));
    };
    auto top = [&] {
        R.Top += Y - drag_start_.Y;
        R.Top = std::min(R.Top, R.Bottom - int(min.Y));
    };
    auto right = [&] { R.Right += X - (outline ? drag_start_.X : drag_last_.X); };
    auto bottom = [&] { R.Bottom += Y - (outline ? drag_start_.Y : drag_last_.Y); };
    switch (pressed_part_) {
    case kfhCaption:
        if (dragging_->Moveable && window_state_ != TTeWindowState::kwsMaximized) {
            R = TRect{R.Left + X - drag_start_.X, R.Top + Y - drag_start_.Y,
                      R.Right + X - drag_start_.X, R.Bottom + Y - drag_start_.Y};
            R = SnapToWorkArea(R);
        }
        break;
    case kfhLeft:
        if (sizing) left();
        break;
    case kfhTop:
        if (sizing) top();
        break;
    case kfhRight:
        if (sizing) right();
        break;
    case kfhBottom:
        if (sizing) bottom();
        break;
    case kfhTopLeft:
        if (sizing) {
            top();
            left();
        }
        break;
    case kfhTopRight:
        if (sizing) {
            top();
            right();
        }
        break;
    case kfhBottomLeft:
        if (sizing) {
            bottom();
            left();
        }
        break;
    case kfhBottomRight:
        if (sizing) {
            bottom();
            right();
        }
        break;
    default:
        break;
    }
    if (!outline) {
        SetFormBounds(R);
        hot_part_ = HitTest(X, Y);
        PaintFrame();
    } else {
        DrawDragOutline(R);
    }
    drag_last_ = TPoint{X, Y};
}

void TTeDefaultForm::FrameMouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    HWND wnd = GetHandle();
    if (wnd) ::PostMessageW(wnd, WM_EXITSIZEMOVE, 0, 0);
    uint8_t code = HitTest(X, Y);
    TRect m;
    GetFrameMargins(m);
    if (Button == fw::TMouseButton::mbLeft) {
        ::ReleaseCapture();
        if (Shift.Contains(fw::TShiftStateItem::ssDouble)) {
            // The gesture ends here too: a form left tracking, or with painting off after
            // an outline drag, would stop answering the mouse and stop painting.
            auto end_gesture = [&] {
                if (outline_drag_) DrawDragOutline(TRect{});
                outline_drag_ = false;
                paint_enabled_ = true;
                pressed_part_ = 0;
                tracking_ = false;
            };
            if (pressed_part_ == kfhCaption && border_icons_.Contains(TTeBorderIcon::kbiMaximize)) {
                end_gesture();
                if (window_state_ == TTeWindowState::kwsMinimized)
                    Restore();
                else
                    Maximize();
                return;
            }
            if (pressed_part_ == kfhSystemMenu) {
                end_gesture();
                Close();
                return;
            }
        }
        if (pressed_part_ == code) {
            switch (code) {
            case kfhClose:
                Close();
                break;
            case kfhHelp:
                Help();
                break;
            case kfhMinimize:
                Minimize();
                break;
            case kfhMaximize:
                Maximize();
                break;
            case kfhRollup:
                Rollup();
                break;
            case kfhTray:
                MinimizeToTray();
                break;
            case kfhSystemMenu: {
                TRect r;
                GetButtonRect(TTeBorderIcon::kbiSystemMenu, r);
                fw::TWinControl* c = GetControl();
                if (RectHasArea(r) && c)
                    menu_point_ = c->ClientToScreen(TPoint{r.Left - m.Left, r.Bottom - m.Top});
                else
                    menu_point_ = TPoint{};
                ShowSystemMenu();
                break;
            }
            default:
                break;
            }
        }
        if (!outline_drag_) {
            PaintFrame();
        } else {
            DrawDragOutline(TRect{});
            pump_paints_ = dragging_->DragMode == TTeFormDragMode::kfdmFullDrag;
            dragging_->DragMode = TTeFormDragMode::kfdmFullDrag;
            // The window has not moved during the outline drag: the right and bottom
            // edges are applied from the start of the gesture, as the outline was.
            drag_last_ = drag_start_;
            try {
                FrameMouseMove(kFormLeftShift, X, Y);
            } catch (...) {
                dragging_->DragMode =
                    pump_paints_ ? TTeFormDragMode::kfdmFullDrag : TTeFormDragMode::kfdmBorder;
                throw;
            }
            dragging_->DragMode =
                pump_paints_ ? TTeFormDragMode::kfdmFullDrag : TTeFormDragMode::kfdmBorder;
            outline_drag_ = false;
            paint_enabled_ = true;
            PaintFrame();
            Invalidate();
        }
        pressed_part_ = 0;
        tracking_ = false;
    } else if (Button == fw::TMouseButton::mbRight && code == kfhCaption) {
        if (fw::TWinControl* c = GetControl())
            menu_point_ = c->ClientToScreen(TPoint{X - m.Left, Y - m.Top});
        ShowSystemMenu();
        menu_point_ = TPoint{};
    }
    pressed_part_ = 0;
}

} // namespace dvr::skin
