// The form hook's class: properties, life cycle, geometry and hit testing.
#include "skin/controls/te_form.h"

#include "common/win/textconv.h"
#include "skin/controls/te_controls.h"
#include "skin/controls/te_items.h"
#include "skin/controls/te_statusbar.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <vssym32.h>

#include <algorithm>

namespace dvr::skin {

namespace {

struct FormCaptionResources {
    fw::TFont caption_font;
    fw::TFont small_caption_font;
    bool made = false;
};

FormCaptionResources* g_caption = nullptr;

FormCaptionResources& FormCaptionUnit() {
    if (!g_caption) g_caption = new FormCaptionResources();
    FormCaptionResources& r = *g_caption;
    if (!r.made) {
        r.made = true;
        CreateCaptionFonts();
        CacheCaptionMetrics();
    }
    return r;
}

} // namespace

int FrameSize = 0;
int CaptionHeight = 0;
int SmallCaptionHeight = 0;
int CaptionButtonWidth = 0;
int CaptionButtonSize = 0;

fw::TFont* CaptionFont() {
    return &FormCaptionUnit().caption_font;
}

fw::TFont* SmallCaptionFont() {
    return &FormCaptionUnit().small_caption_font;
}

void CreateCaptionFonts() {
    FormCaptionResources& r = FormCaptionUnit();
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof(m);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0)) return;
    // The fonts take the handles' properties; the handles stay ours to delete.
    if (HFONT f = ::CreateFontIndirectW(&m.lfCaptionFont)) {
        r.caption_font.SetHandle(f);
        ::DeleteObject(f);
    }
    if (HFONT f = ::CreateFontIndirectW(&m.lfSmCaptionFont)) {
        r.small_caption_font.SetHandle(f);
        ::DeleteObject(f);
    }
}

void FreeCaptionFonts() {
    FormCaptionResources* r = g_caption;
    g_caption = nullptr;
    delete r;
}

void CacheCaptionMetrics() {
    FrameSize = ::GetSystemMetrics(SM_CXFRAME);
    CaptionHeight = ::GetSystemMetrics(SM_CYCAPTION);
    SmallCaptionHeight = ::GetSystemMetrics(SM_CYSMCAPTION);
    CaptionButtonWidth = ::GetSystemMetrics(SM_CXSIZE);
    CaptionButtonSize = ::GetSystemMetrics(SM_CYSIZE);
}

const fw::TTypeInfo* BorderStyleType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TTeBorderStyle", {"kbsNone", "kbsBorder", "kbsStandard", "kbsDialog", "kbsToolWindow"});
    return &t;
}

const fw::TTypeInfo* BorderIconsType() {
    static const fw::TTypeInfo e = fw::TTypeInfo::Enumeration(
        "TTeBorderIcon", {"kbiClose", "kbiSystemMenu", "kbiMinimize", "kbiMaximize", "kbiHelp",
                          "kbiRollup", "kbiTray", "kbiTop", "kbiCustom"});
    static const fw::TTypeInfo t = fw::TTypeInfo::Set("TTeBorderIcons", &e);
    return &t;
}

const fw::TTypeInfo* FormWindowStateType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TTeWindowState", {"kwsNormal", "kwsMaximized", "kwsMinimized", "kwsRollup", "kwsTray"});
    return &t;
}

const fw::TTypeInfo* FormPerformanceType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TTeFormPerformance",
        {"kfpNoBuffer", "kfpSharedBuffer", "kfpPersistentBuffer", "kfpDoubleBuffer"});
    return &t;
}

TTeDefaultForm* FindTeForm(fw::TControl* Control) {
    if (!Control) return nullptr;
    fw::TControl* top = Control;
    while (top->Parent())
        top = top->Parent();
    auto* form = dynamic_cast<fw::TCustomForm*>(top);
    if (!form) return nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* hook = dynamic_cast<TTeDefaultForm*>(form->Components(i));
        if (hook && hook->Active()) return hook;
    }
    return nullptr;
}

// ---- TTeDefaultForm: properties and life cycle ----

void TTeDefaultForm::Publish(fw::TPublisher<TTeDefaultForm>& p) {
    p.Property("Active", nullptr, &TTeDefaultForm::Active, &TTeDefaultForm::SetActive).Default(1);
    p.Object("Animation", &TTeDefaultForm::Animation);
    p.Object("Blending", &TTeDefaultForm::Blending);
    p.Property("BorderIcons", BorderIconsType(), &TTeDefaultForm::BorderIcons,
               &TTeDefaultForm::SetBorderIcons);
    p.Property("BorderStyle", BorderStyleType(), &TTeDefaultForm::BorderStyle,
               &TTeDefaultForm::SetBorderStyle);
    p.Property(
        "Caption", nullptr, [](const TTeDefaultForm& f) { return win::WideToGbk(f.Caption()); },
        [](TTeDefaultForm& f, const std::string& v) { f.SetCaption(win::GbkToWide(v)); });
    p.Object("Constraints", &TTeDefaultForm::Constraints);
    p.Object("Dragging", &TTeDefaultForm::Dragging);
    p.Object("Gravitation", &TTeDefaultForm::Gravitation);
    p.Property("MinimizeApplication", nullptr, &TTeDefaultForm::MinimizeApplication,
               &TTeDefaultForm::SetMinimizeApplication)
        .Default(1);
    p.Property("Performance", FormPerformanceType(), &TTeDefaultForm::Performance,
               &TTeDefaultForm::SetPerformance);
    p.Object("Shadow", &TTeDefaultForm::Shadow);
    p.Property("StayOnTop", nullptr, &TTeDefaultForm::StayOnTop, &TTeDefaultForm::SetStayOnTop);
    p.Property("StretchBackground", nullptr, &TTeDefaultForm::StretchBackground,
               &TTeDefaultForm::SetStretchBackground);
    p.Object("SystemMenuOptions", &TTeDefaultForm::SystemMenuOptions);
    p.Object("TrayMenuOptions", &TTeDefaultForm::TrayMenuOptions);
    p.Property("WindowState", FormWindowStateType(), &TTeDefaultForm::WindowState,
               &TTeDefaultForm::SetWindowState);
}

TTeDefaultForm::TTeDefaultForm(fw::TComponent* AOwner)
    : TTeHook(AOwner), canvas_(std::make_unique<fw::TCanvas>()),
      constraints_(std::make_unique<fw::TSizeConstraints>()),
      animation_(std::make_unique<TTeAnimation>()),
      system_menu_options_(std::make_unique<TTePopupMenuOptions>()),
      tray_menu_options_(std::make_unique<TTePopupMenuOptions>()),
      background_(std::make_unique<TteBitmap>()), blending_(std::make_unique<TTeBlending>()),
      shadow_(std::make_unique<TTeShadow>()), gravitation_(std::make_unique<TTeGravitation>()),
      dragging_(std::make_unique<TTeDragging>()) {
    RegisterFormOptionClasses();
    RegisterFormBackgroundPainter();
    FormCaptionUnit();
    blending_->OnChange = fw::TNotifyEvent(this, &TTeDefaultForm::OptionChanged);
    shadow_->OnChange = fw::TNotifyEvent(this, &TTeDefaultForm::OptionChanged);
    if (auto* form = dynamic_cast<fw::TCustomForm*>(AOwner)) {
        caption_ = win::GbkToWide(form->GetText());
        form->SetBorderIcons(
            fw::TBorderIcons{fw::TBorderIcon::biMinimize, fw::TBorderIcon::biMaximize});
        form->SetBorderStyle(fw::TFormBorderStyle::bsSizeable);
        if (form->FormStyle() == fw::TFormStyle::fsMDIChild) {
            minimize_application_ = false;
            gravitation_->SetSize(9);
            border_icons_ = DefaultMDIChildBorderIcons();
        }
        constraints_->Assign(form->Constraints());
    }
    tray_window_ = fw::AllocateHWnd(fw::TWndMethod(this, &TTeDefaultForm::TrayWndProc));
    // The first-version record: handle, id, flags, callback, icon and a 64-character tip.
    tray_icon_data_.cbSize = NOTIFYICONDATAW_V1_SIZE;
    tray_icon_data_.hWnd = tray_window_;
    tray_icon_data_.uID = UINT(reinterpret_cast<uintptr_t>(this));
    tray_icon_data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray_icon_data_.uCallbackMessage = TM_TRAYICON;
    paint_enabled_ = true;
}

TTeDefaultForm::~TTeDefaultForm() {
    destroying_form_hook_ = true;
    if (animating_ && animation_buffer_) {
        // Freed from inside the show animation's message loop: end the animation so that
        // nothing draws from our pictures any more; the loop then returns.
        for (int i = 0; i < kAnimationSlotCount; ++i) {
            AnimationSlot& s = GetAnimationSlot(i);
            if (s.Active && s.ToBitmap == animation_buffer_.get()) StopAnimation(i, false);
        }
    }
    if (animation_alive_) *animation_alive_ = false;
    UnhookMDIClient();
    if (client_instance_) fw::FreeObjectInstance(client_instance_);
    client_instance_ = nullptr;
    SetControl(nullptr);
    if (app_events_hooked_ && fw::Application) {
        fw::Application->OnRestore = saved_on_restore_;
        fw::Application->OnMinimize = saved_on_minimize_;
    }
    ::Shell_NotifyIconW(NIM_DELETE, &tray_icon_data_);
    if (tray_window_) fw::DeallocateHWnd(tray_window_);
    tray_window_ = nullptr;
    canvas_->SetHandle(nullptr);
    if (small_icon_) ::DestroyIcon(small_icon_);
    // The animation frame still running, if any, owns its buffer now.
    (void)animation_buffer_.release();
}

void TTeDefaultForm::Loaded() {
    TTeHook::Loaded();
    auto* owner = dynamic_cast<fw::TWinControl*>(Owner());
    if (owner) {
        SetControl(owner);
        if (HWND wnd = GetHandle()) canvas_->SetHandle(::GetDC(wnd));
    }
    if ((blending_->Enabled() || shadow_->Enabled()) && owner)
        background_->SetSize(std::max(1, owner->Width()), std::max(1, owner->Height()));
    auto* form = dynamic_cast<fw::TCustomForm*>(Owner());
    UpdateTrayIcon();
    if (pending_window_state_ != TTeWindowState::kwsNormal && owner) {
        if (pending_window_state_ != TTeWindowState::kwsRollup) {
            restore_rect_ = owner->BoundsRect();
            owner->SetBounds(0, ::GetSystemMetrics(SM_CYSCREEN), restore_rect_.Width(),
                             restore_rect_.Height());
        }
        ::PostMessageW(GetHandle(), TM_SETWINDOWSTATE, WPARAM(pending_window_state_), 0);
    }
    if (form) {
        fw::TNotifyEvent on_resize = form->OnResize;
        form->OnResize = nullptr;
        try {
            if (pending_window_state_ == TTeWindowState::kwsNormal) UpdateFrame();
        } catch (...) {
            form->OnResize = on_resize;
            throw;
        }
        form->OnResize = on_resize;
    }
    HookMDIClient();
    if (OnCreate) OnCreate(this);
    if (stay_on_top_ && GetHandle())
        ::SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void TTeDefaultForm::SetActive(bool Value) {
    TTeHook::SetActive(Value);
}

void TTeDefaultForm::ReleaseCanvasDC() {
    if (canvas_ && canvas_->HandleAllocated()) {
        HDC dc = canvas_->Handle();
        canvas_->SetHandle(nullptr);
        HWND wnd = GetControl() && GetControl()->HandleAllocated() ? GetControl()->WindowHandle()
                                                                   : nullptr;
        ::ReleaseDC(wnd, dc);
    }
}

void TTeDefaultForm::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeHook::Notification(AComponent, Operation);
    if (Operation != fw::TOperation::opRemove) return;
    if (AComponent == menu_bar_) menu_bar_ = nullptr;
    if (AComponent == system_menu_) system_menu_ = nullptr;
    if (AComponent == system_menu_link_) system_menu_link_ = nullptr;
    if (AComponent == tray_menu_link_) tray_menu_link_ = nullptr;
    if (AComponent == window_menu_) window_menu_ = nullptr;
    if (AComponent == vert_scroll_bar_) vert_scroll_bar_ = nullptr;
    if (AComponent == vert_scroll_host_) vert_scroll_host_ = nullptr;
    if (AComponent == horz_scroll_bar_) horz_scroll_bar_ = nullptr;
    if (AComponent == horz_scroll_host_) horz_scroll_host_ = nullptr;
}

void TTeDefaultForm::OptionChanged(fw::TObject*) {
    if (!Loading()) UpdateFrame();
}

void TTeDefaultForm::SetBorderIcons(TTeBorderIcons Value) {
    border_icons_ = Value;
    if (!Loading()) UpdateFrame();
}

void TTeDefaultForm::SetBorderStyle(TTeBorderStyle Value) {
    border_style_ = Value;
    if (!Loading()) UpdateFrame();
}

void TTeDefaultForm::SetCaption(const std::wstring& Value) {
    if (Value == L"MDI FORM" || Value == caption_) return;
    caption_ = Value;
    PaintFrame();
    if (IsMDIChild())
        if (TTeDefaultForm* parent = FindParentFormHook()) parent->RebuildWindowMenu();
}

void TTeDefaultForm::SetConstraints(const fw::TSizeConstraints* Value) {
    constraints_->Assign(Value);
    if (auto* c = GetControl()) {
        int w = std::max(c->Width(), constraints_->MinWidth);
        int h = std::max(c->Height(), constraints_->MinHeight);
        if (w != c->Width() || h != c->Height()) c->SetBounds(c->Left(), c->Top(), w, h);
    }
    if (!Loading()) UpdateFrame();
}

void TTeDefaultForm::SetMenuBar(fw::TComponent* Value) {
    menu_bar_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTeDefaultForm::SetSystemMenuLink(fw::TPopupMenu* Value) {
    system_menu_link_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTeDefaultForm::SetTrayMenuLink(fw::TPopupMenu* Value) {
    tray_menu_link_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTeDefaultForm::SetWindowMenu(fw::TComponent* Value) {
    window_menu_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTeDefaultForm::SetStayOnTop(bool Value) {
    if (Value == stay_on_top_) return;
    stay_on_top_ = Value;
    if (HWND wnd = GetControl() && GetControl()->HandleAllocated() ? GetHandle() : nullptr)
        ::SetWindowPos(wnd, Value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void TTeDefaultForm::SetWindowState(TTeWindowState Value) {
    if (Value == window_state_) return;
    if (Loading()) {
        pending_window_state_ = Value;
        return;
    }
    switch (Value) {
    case TTeWindowState::kwsNormal:
        Restore();
        break;
    case TTeWindowState::kwsMaximized:
        Maximize();
        break;
    case TTeWindowState::kwsMinimized:
        Minimize();
        break;
    case TTeWindowState::kwsRollup:
        Rollup();
        break;
    case TTeWindowState::kwsTray:
        MinimizeToTray();
        break;
    }
}

bool TTeDefaultForm::IsMDIChild() {
    fw::TCustomForm* f = GetForm();
    if (!f) f = dynamic_cast<fw::TCustomForm*>(Owner());
    return f && f->FormStyle() == fw::TFormStyle::fsMDIChild;
}

bool TTeDefaultForm::IsMDIForm() {
    fw::TCustomForm* f = GetForm();
    return f && f->FormStyle() == fw::TFormStyle::fsMDIForm;
}

bool TTeDefaultForm::IsMaximizedMDIChild() {
    return window_state_ == TTeWindowState::kwsMaximized && IsMDIChild();
}

// ---- helpers ----

void TTeDefaultForm::GetWorkArea(TRect& Rect) {
    fw::TWinControl* c = GetControl();
    HWND wnd = GetHandle();
    if (c && c->Parent() && c->Parent()->HandleAllocated()) {
        RECT r{};
        ::GetClientRect(c->Parent()->WindowHandle(), &r);
        Rect = TRect{r.left, r.top, r.right, r.bottom};
        return;
    }
    RECT r{};
    GetMonitorRectFromWindow(wnd, !stay_on_top_, r);
    Rect = TRect{r.left, r.top, r.right, r.bottom};
}

TPoint TTeDefaultForm::ScreenToWindow(TPoint Point) {
    HWND wnd = GetHandle();
    RECT r{};
    if (wnd) ::GetWindowRect(wnd, &r);
    return TPoint{Point.X - r.left, Point.Y - r.top};
}

void TTeDefaultForm::GetClientAreaRect(TRect& Rect) {
    TRect m;
    GetFrameMargins(m);
    Rect = TRect{0, 0, m.Right - m.Left, m.Bottom - m.Top};
}

TTeStatusBar* TTeDefaultForm::FindStatusBar() {
    fw::TCustomForm* form = GetForm();
    if (!form) return nullptr;
    for (int i = 0; i < form->ControlCount(); ++i)
        if (auto* bar = dynamic_cast<TTeStatusBar*>(form->Controls(i)); bar && bar->SizeGripShown())
            return bar;
    return nullptr;
}

bool TTeDefaultForm::InSizeGrip(int X, int Y) {
    auto holds = [&](TRect r) {
        return RectHasArea(r) && X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
    };
    TRect grip;
    GetSizeGripRect(grip);
    if (dragging_->Sizeable && holds(grip)) return true;
    TTeStatusBar* bar = FindStatusBar();
    if (!bar) return false;
    bar->GetSizeGripRect(grip);
    POINT tl{grip.Left, grip.Top}, br{grip.Right, grip.Bottom};
    ::ClientToScreen(bar->Handle(), &tl);
    ::ClientToScreen(bar->Handle(), &br);
    TPoint a = ScreenToWindow(TPoint{tl.x, tl.y}), b = ScreenToWindow(TPoint{br.x, br.y});
    return holds(TRect{a.X, a.Y, b.X, b.Y});
}

HICON TTeDefaultForm::GetSmallIcon() {
    if (small_icon_) return small_icon_;
    HICON source = nullptr;
    bool loaded = false;
    if (auto* f = dynamic_cast<fw::TCustomForm*>(Owner()); f && !f->Icon()->Empty())
        source = f->Icon()->Handle();
    if (!source) source = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
    if (!source) {
        source = ::LoadIconW(nullptr, IDI_APPLICATION);
        loaded = true;
    }
    int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (cx == 0 || cy == 0) {
        cx = ::GetSystemMetrics(SM_CXSIZE);
        cy = ::GetSystemMetrics(SM_CYSIZE);
    }
    if (source)
        small_icon_ =
            static_cast<HICON>(::CopyImage(source, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
    if (loaded && source) ::DestroyIcon(source);
    return small_icon_;
}

void TTeDefaultForm::UpdateFrame() {
    fw::TWinControl* c = GetControl();
    if (!c || !c->HandleAllocated()) return;
    updating_frame_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{updating_frame_};
    RECT cr{};
    ::GetClientRect(c->WindowHandle(), &cr);
    saved_client_size_ = TPoint{cr.right, cr.bottom};
    int32_t min_w = constraints_->MinWidth, min_h = constraints_->MinHeight;
    bool fixed = (min_w != 0 && min_w == constraints_->MaxWidth) ||
                 (min_h != 0 && min_h == constraints_->MaxHeight);
    if (fixed) {
        constraints_->MinWidth = 10;
        constraints_->MinHeight = 10;
    }
    c->SetBounds(c->Left(), c->Top(), c->Width(), c->Height() + 1);
    c->SetBounds(c->Left(), c->Top(), c->Width(), c->Height() - 1);
    ::GetClientRect(c->WindowHandle(), &cr);
    int dw = saved_client_size_.X - cr.right, dh = saved_client_size_.Y - cr.bottom;
    if (dw != 0 || dh != 0) c->SetBounds(c->Left(), c->Top(), c->Width() + dw, c->Height() + dh);
    if (fixed) {
        constraints_->MinWidth = min_w;
        constraints_->MinHeight = min_h;
    }
    ::InvalidateRect(c->WindowHandle(), nullptr, TRUE);
}

void TTeDefaultForm::Invalidate() {
    if (fw::TWinControl* c = GetControl()) c->Invalidate();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
        if (!::GetMessageW(&msg, nullptr, WM_PAINT, WM_PAINT)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        ::DispatchMessageW(&msg);
    }
}

// ---- geometry ----

void TTeDefaultForm::GetFrameMargins(TRect& Rect) {
    Rect = TRect{0, 0, form_width_, form_height_};
    if (IsMaximizedMDIChild()) return;
    switch (border_style_) {
    case TTeBorderStyle::kbsStandard:
    case TTeBorderStyle::kbsDialog:
        Rect.Left += FrameSize;
        Rect.Right -= FrameSize;
        Rect.Bottom -= FrameSize;
        Rect.Top += FrameSize + CaptionHeight;
        break;
    case TTeBorderStyle::kbsToolWindow:
        Rect.Left += FrameSize;
        Rect.Right -= FrameSize;
        Rect.Bottom -= FrameSize;
        Rect.Top += FrameSize + SmallCaptionHeight;
        break;
    default:
        break;
    }
}

void TTeDefaultForm::GetMinTrackSize(TPoint& Size) {
    Size = TPoint{150, 40};
    if (constraints_->MinWidth != 0) Size.X = constraints_->MinWidth;
    if (constraints_->MinHeight != 0) Size.Y = constraints_->MinHeight;
}

void TTeDefaultForm::GetMaxTrackSize(TPoint& Size) {
    TRect r;
    GetMaximizedRect(r);
    Size = TPoint{r.Width(), r.Height()};
    if (constraints_->MaxWidth != 0) Size.X = constraints_->MaxWidth;
    if (constraints_->MaxHeight != 0) Size.Y = constraints_->MaxHeight;
}

void TTeDefaultForm::GetMaximizedRect(TRect& Rect) {
    if (IsMDIChild()) {
        HWND wnd = GetHandle();
        HWND client = wnd && (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(wnd)
                                                                              : nullptr;
        if (client) {
            RECT r{};
            ::GetClientRect(client, &r);
            Rect = TRect{r.left, r.top, r.right, r.bottom};
        } else {
            Rect = TRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        }
        return;
    }
    RECT r{};
    GetMonitorRectFromWindow(GetHandle(), !stay_on_top_, r);
    TRect m;
    GetFrameMargins(m);
    int d = m.Left;
    Rect = TRect{r.left - d, r.top - d, r.right + d, r.bottom + d};
}

void TTeDefaultForm::GetMinimizedRect(TRect& Rect) {
    TRect m, area;
    GetFrameMargins(m);
    GetWorkArea(area);
    int h = form_height_ - (m.Bottom - m.Top);
    Rect = TRect{0, area.Bottom - h, ::GetSystemMetrics(SM_CXMINIMIZED), area.Bottom};
}

void TTeDefaultForm::GetRolledUpRect(TRect& Rect) {
    TRect m;
    GetFrameMargins(m);
    int h = form_height_ - (m.Bottom - m.Top);
    int left = 0, top = 0;
    if (fw::TWinControl* c = GetControl()) {
        left = c->Left();
        top = c->Top();
    }
    Rect = TRect{left, top, left + form_width_, top + h};
}

TTeScrollBar* TTeDefaultForm::CreateScrollBar(fw::TComponent* AOwner) {
    return new TTeScrollBar(AOwner);
}

void TTeDefaultForm::GetSizeGripRect(TRect& Rect) {
    Rect = size_grip_rect_;
}

HRGN TTeDefaultForm::CreateFormRegion() {
    if (IsSystemThemeActive() && border_style_ != TTeBorderStyle::kbsNone) {
        const TThemeFunctions& tf = ThemeFunctions();
        if (tf.OpenThemeData && tf.GetThemeBackgroundRegion && tf.CloseThemeData) {
            if (HTHEME theme = tf.OpenThemeData(GetHandle(), L"Window")) {
                int part = (border_style_ == TTeBorderStyle::kbsStandard ||
                            border_style_ == TTeBorderStyle::kbsDialog)
                               ? WP_CAPTION
                               : WP_SMALLCAPTION;
                RECT r{0, 0, form_width_, form_height_};
                HRGN rgn = nullptr;
                tf.GetThemeBackgroundRegion(theme, nullptr, part, CS_ACTIVE, &r, &rgn);
                tf.CloseThemeData(theme);
                if (rgn) return rgn;
            }
        }
    }
    return ::CreateRectRgn(0, 0, form_width_, form_height_);
}

void TTeDefaultForm::UpdateRegion() {
    if (performance_ == TTeFormPerformance::kfpPersistentBuffer && window_width_ > 0 &&
        window_height_ > 0) {
        if (!persistent_buffer_) persistent_buffer_ = std::make_unique<TteBitmap>();
        persistent_buffer_->SetSize(window_width_, window_height_);
    }
    paint_enabled_ = false;
    try {
        HRGN rgn = CreateFormRegion();
        if (shadow_->Enabled() && window_state_ != TTeWindowState::kwsMaximized) {
            HRGN second = CreateFormRegion();
            ::OffsetRgn(second, shadow_->Size(), shadow_->Size());
            ::CombineRgn(rgn, rgn, second, RGN_OR);
            ::DeleteObject(second);
        }
        if (HWND wnd = GetHandle())
            ::SetWindowRgn(wnd, rgn, TRUE);
        else
            ::DeleteObject(rgn);
    } catch (...) {
        paint_enabled_ = true;
        throw;
    }
    paint_enabled_ = true;
    if (OnResize) OnResize(this);
}

uint8_t TTeDefaultForm::HitTest(int X, int Y) {
    const int W = form_width_, H = form_height_;
    TRect m;
    GetFrameMargins(m);
    uint8_t result = kfhNone;
    if (Y < m.Top && X < W) result = kfhCaption;
    static const std::pair<TTeBorderIcon, uint8_t> buttons[] = {
        {TTeBorderIcon::kbiSystemMenu, kfhSystemMenu},
        {TTeBorderIcon::kbiClose, kfhClose},
        {TTeBorderIcon::kbiMinimize, kfhMinimize},
        {TTeBorderIcon::kbiMaximize, kfhMaximize},
        {TTeBorderIcon::kbiHelp, kfhHelp},
        {TTeBorderIcon::kbiRollup, kfhRollup},
        {TTeBorderIcon::kbiTray, kfhTray}};
    for (const auto& [icon, code] : buttons) {
        TRect r;
        GetButtonRect(icon, r);
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) result = code;
    }
    if (window_state_ == TTeWindowState::kwsMaximized ||
        window_state_ == TTeWindowState::kwsMinimized || window_state_ == TTeWindowState::kwsRollup)
        return result;
    int t = 0;
    if (border_style_ == TTeBorderStyle::kbsStandard || border_style_ == TTeBorderStyle::kbsDialog)
        t = CaptionHeight;
    else if (border_style_ == TTeBorderStyle::kbsToolWindow)
        t = SmallCaptionHeight;
    auto by_x = [&](uint8_t left, uint8_t right, uint8_t middle) {
        return X < 20 ? left : X > W - 20 ? right : middle;
    };
    auto by_y = [&](uint8_t top, uint8_t bottom, uint8_t middle) {
        return Y < 20 ? top : Y > H - 20 ? bottom : middle;
    };
    if (Y < m.Top - t) result = by_x(kfhTopLeft, kfhTopRight, kfhTop);
    if (m.Bottom < Y && Y < H) result = by_x(kfhBottomLeft, kfhBottomRight, kfhBottom);
    if (X < m.Left) result = by_y(kfhTopLeft, kfhBottomLeft, kfhLeft);
    if (m.Right < X && X < W) result = by_y(kfhTopRight, kfhBottomRight, kfhRight);
    if (result == kfhNone && InSizeGrip(X, Y)) result = kfhBottomRight;
    return result;
}

} // namespace dvr::skin
