#include "skin/controls/te_controls.h"

#include "framework/ui/forms.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils.h"
#include "skin/engine/te_winapi.h"

namespace dvr::skin {

using fw::TColor;
using fw::TMessage;

namespace {

constexpr TteColor kPaintKey = 0x007F007F;

TteBitmap* g_shared_buffer = nullptr;

// A transparent child of a TTeControl gets the parent's border and face behind it.
bool TeControlBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info) {
    if (!Info.Parent) return false;
    TMessage m{WM_ERASEBKGND, uintptr_t(Canvas.Handle()), 1, 0};
    Info.Parent->Dispatch(m);
    return true;
}

struct ControlsUnit {
    ControlsUnit() {
        g_shared_buffer = new TteBitmap();
        RegisterBackgroundPainter(TTeControl::StaticClass(), &TeControlBackgroundPainter);
        screen_w = ::GetSystemMetrics(SM_CXSCREEN);
        screen_h = ::GetSystemMetrics(SM_CYSCREEN);
    }
    ~ControlsUnit() {
        delete g_shared_buffer;
        g_shared_buffer = nullptr;
    }
    int screen_w = 0, screen_h = 0;
};
ControlsUnit& Unit() {
    static ControlsUnit unit;
    return unit;
}

// The Windows "Edit" frame of the visual style, drawn without a window.
void DrawSystemEdit(HDC DC, const TRect& R, int State) {
    const TThemeFunctions& f = ThemeFunctions();
    if (!f.OpenThemeData || !f.DrawThemeBackground || !f.CloseThemeData) return;
    HTHEME theme = f.OpenThemeData(nullptr, L"Edit");
    if (!theme) return;
    RECT rc{R.Left, R.Top, R.Right, R.Bottom};
    f.DrawThemeBackground(theme, DC, 1, State, &rc, nullptr);
    f.CloseThemeData(theme);
}

// What a parent gets in lParam when asked to paint behind a child.
struct TParentPaintInfo {
    int32_t Flag;
    int32_t Left, Top, Right, Bottom;
};

void PaintParentInto(fw::TControl* Control, HDC DC, bool Buffered) {
    fw::TWinControl* parent = Control->Parent();
    if (!parent || Control->Width() <= 0 || Control->Height() <= 0) return;
    if (!parent->HandleAllocated()) return;
    // The parent's painting paints its graphic children, this one among them: it must not
    // ask for the parent's picture again while it is being made.
    const fw::TControlState state = Control->ControlState();
    if (state.Contains(fw::TControlStateItem::csPaintCopy)) return;
    fw::TControlState copying = state;
    copying.Include(fw::TControlStateItem::csPaintCopy);
    Control->SetControlState(copying);
    struct RestoreState {
        fw::TControl* c;
        fw::TControlState s;
        ~RestoreState() { c->SetControlState(s); }
    } restore_state{Control, state};
    int saved = ::SaveDC(DC);
    TPoint origin = Control->ClientOrigin();
    POINT p{origin.X, origin.Y};
    ::ScreenToClient(parent->Handle(), &p);
    TRect b = Control->BoundsRect();
    TParentPaintInfo info{1, b.Left, b.Top, b.Right, b.Bottom};
    bool is_form = parent->InheritsFrom(fw::TCustomForm::StaticClass());
    if (Buffered) {
        ::SetViewportOrgEx(DC, -p.x, -p.y, nullptr);
        if (is_form)
            ::SendMessageW(parent->Handle(), WM_ERASEBKGND, WPARAM(DC), LPARAM(&info));
        else
            parent->Perform(WM_ERASEBKGND, uintptr_t(DC), intptr_t(&info));
    } else {
        TteBitmap temp;
        temp.SetSize(Control->Width(), Control->Height());
        HDC bdc = BitmapDC(temp);
        int bsaved = ::SaveDC(bdc);
        ::SetViewportOrgEx(bdc, -p.x, -p.y, nullptr);
        if (is_form) {
            ::SendMessageW(parent->Handle(), WM_ERASEBKGND, WPARAM(bdc), LPARAM(&info));
        } else {
            parent->Perform(WM_ERASEBKGND, uintptr_t(bdc), intptr_t(&info));
            parent->Perform(WM_PAINT, uintptr_t(bdc), 0);
        }
        ::RestoreDC(bdc, bsaved);
        ::GdiFlush();
        Draw(temp, DC, 0, 0);
    }
    ::RestoreDC(DC, saved);
}

} // namespace

TTeBevelColors BevelColors(TTeBevelCut Cut) {
    using namespace fw;
    switch (Cut) {
    case TTeBevelCut::kbvNone:
        return {clNone, clNone, clNone, clNone};
    case TTeBevelCut::kbvLowered:
        return {clBtnShadow, clBtnHighlight, cl3DDkShadow, clBtnFace};
    case TTeBevelCut::kbvRaised:
        return {clBtnHighlight, cl3DDkShadow, clBtnShadow, clBtnShadow};
    case TTeBevelCut::kbvSpace:
        return {clBtnFace, clBtnFace, clBtnFace, clBtnFace};
    case TTeBevelCut::kbvBorder:
        return {cl3DDkShadow, cl3DDkShadow, clWindow, clWindow};
    case TTeBevelCut::kbvFlatBorder:
        return {clBtnShadow, clBtnShadow, clBtnFace, clBtnFace};
    }
    return {clNone, clNone, clNone, clNone};
}

TteBitmap& SharedPaintBuffer() {
    Unit();
    if (!g_shared_buffer) g_shared_buffer = new TteBitmap();
    return *g_shared_buffer;
}

void FreeSharedPaintBuffer() {
    TteBitmap* b = g_shared_buffer;
    g_shared_buffer = nullptr;
    delete b;
}

void EnsureSharedPaintBuffer() {
    TteBitmap& b = SharedPaintBuffer();
    if (b.IsEmpty()) b.SetSize(Unit().screen_w + 500, Unit().screen_h + 500);
}

TTeComboBox*& ActiveDropDown() {
    static TTeComboBox* active = nullptr;
    return active;
}

fw::TNotifyEvent& DropDownCloseEvent() {
    static fw::TNotifyEvent event;
    return event;
}

void RunDropDownCloseEvent() {
    if (ActiveDropDown() && DropDownCloseEvent()) DropDownCloseEvent()(nullptr);
}

void DrawBevelSides(fw::TCanvas& Canvas, TRect& R, TTeBevelSides Sides, TColor TopLeftColor,
                    TColor BottomRightColor, int Width) {
    for (int i = 0; i < Width; ++i) {
        if (Sides.Contains(TTeBevelSide::kbsLeft)) {
            CanvasMoveTo(Canvas, R.Left, R.Top);
            DrawLineTo(Canvas, R.Left, R.Bottom, TopLeftColor);
        }
        if (Sides.Contains(TTeBevelSide::kbsTop)) {
            CanvasMoveTo(Canvas, R.Left, R.Top);
            DrawLineTo(Canvas, R.Right, R.Top, TopLeftColor);
        }
        if (Sides.Contains(TTeBevelSide::kbsBottom)) {
            CanvasMoveTo(Canvas, R.Left, R.Bottom - 1);
            DrawLineTo(Canvas, R.Right, R.Bottom - 1, BottomRightColor);
        }
        if (Sides.Contains(TTeBevelSide::kbsRight)) {
            CanvasMoveTo(Canvas, R.Right - 1, R.Top);
            DrawLineTo(Canvas, R.Right - 1, R.Bottom, BottomRightColor);
        }
        if (Sides.Contains(TTeBevelSide::kbsLeft)) ++R.Left;
        if (Sides.Contains(TTeBevelSide::kbsTop)) ++R.Top;
        if (Sides.Contains(TTeBevelSide::kbsRight)) --R.Right;
        if (Sides.Contains(TTeBevelSide::kbsBottom)) --R.Bottom;
    }
}

// ---- TTeControl -------------------------------------------------------------------------

TTeControl::TTeControl(fw::TComponent* AOwner) : fw::TCustomControl(AOwner) {
    Unit();
    SetDoubleBuffered(false);
    control_style_.Include(fw::TControlStyleItem::csOpaque);
    SetColor(fw::clBtnFace);
    SetBounds(0, 0, 100, 30);
}

TTeControl::~TTeControl() = default;

void TTeControl::SetPerformance(TTePerformance Value) {
    if (Value == performance_) return;
    performance_ = Value;
    Invalidate();
}

void TTeControl::Loaded() {
    fw::TCustomControl::Loaded();
}

void TTeControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    fw::TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    cached_width_ = Width();
    cached_height_ = Height();
}

void TTeControl::GetInnerRect(TRect& Rect) {
    Rect = TRect{0, 0, cached_width_, cached_height_};
    Rect.Left += border_width_;
    Rect.Top += border_width_;
    Rect.Right -= border_width_;
    Rect.Bottom -= border_width_;
    int bevels = (bevel_inner_ != TTeBevelCut::kbvNone) + (bevel_outer_ != TTeBevelCut::kbvNone);
    int inset = bevels * bevel_width_;
    if (bevel_sides_.Contains(TTeBevelSide::kbsLeft)) Rect.Left += inset;
    if (bevel_sides_.Contains(TTeBevelSide::kbsTop)) Rect.Top += inset;
    if (bevel_sides_.Contains(TTeBevelSide::kbsRight)) Rect.Right -= inset;
    if (bevel_sides_.Contains(TTeBevelSide::kbsBottom)) Rect.Bottom -= inset;
}

TRect TTeControl::GetClientRect() {
    return InnerRect();
}

void TTeControl::CreateParams(fw::TCreateParams& Params) {
    fw::TCustomControl::CreateParams(Params);
    Params.Style &= ~DWORD(WS_HSCROLL | WS_VSCROLL);
}

void TTeControl::SetBorderWidth(int Value) {
    if (Value == border_width_) return;
    border_width_ = Value;
    BorderChanged();
    Invalidate();
}

void TTeControl::SetBevelWidth(int Value) {
    if (Value == bevel_width_) return;
    bevel_width_ = Value;
    BorderChanged();
    Invalidate();
}

void TTeControl::SetBevelSides(TTeBevelSides Value) {
    if (Value == bevel_sides_) return;
    bevel_sides_ = Value;
    BorderChanged();
    Invalidate();
}

void TTeControl::SetBevelInner(TTeBevelCut Value) {
    if (Value == bevel_inner_) return;
    SetBevelKind(TTeBevelKind::kbkNone);
    bevel_inner_ = Value;
    BorderChanged();
    Invalidate();
}

void TTeControl::SetBevelOuter(TTeBevelCut Value) {
    if (Value == bevel_outer_) return;
    SetBevelKind(TTeBevelKind::kbkNone);
    bevel_outer_ = Value;
    BorderChanged();
    Invalidate();
}

void TTeControl::SetBevelKind(TTeBevelKind Value) {
    if (Value == bevel_kind_) return;
    switch (Value) {
    case TTeBevelKind::kbkNone:
        break;
    case TTeBevelKind::kbkSingle:
    case TTeBevelKind::kbkTile:
    case TTeBevelKind::kbkSoft:
        bevel_inner_ = bevel_outer_ = TTeBevelCut::kbvLowered;
        break;
    case TTeBevelKind::kbkBorder:
        bevel_inner_ = bevel_outer_ = TTeBevelCut::kbvBorder;
        break;
    case TTeBevelKind::kbkFlat:
        bevel_inner_ = bevel_outer_ = TTeBevelCut::kbvFlatBorder;
        break;
    }
    bevel_kind_ = Value;
    BorderChanged();
    Invalidate();
}

void TTeControl::PaintBorder() {
    fw::TCanvas& canvas = *Canvas();
    TRect r{0, 0, cached_width_, cached_height_};
    TRect inner = InnerRect();
    if (SameRect(inner, r)) return;
    if (IsSystemThemeActive() && system_border_) {
        int state = !Enabled() ? 4 : has_focus_ ? 3 : mouse_in_control_ ? 2 : 1;
        HDC dc = canvas.Handle();
        int saved = ::SaveDC(dc);
        ::ExcludeClipRect(dc, inner.Left, inner.Top, inner.Right, inner.Bottom);
        DrawSystemEdit(dc, r, state);
        ::RestoreDC(dc, saved);
        return;
    }
    if (bevel_width_ <= 0) return;
    if (bevel_outer_ != TTeBevelCut::kbvNone) {
        TTeBevelColors c = BevelColors(bevel_outer_);
        DrawBevelSides(canvas, r, bevel_sides_, c.OuterTopLeft, c.OuterBottomRight, bevel_width_);
    }
    if (bevel_inner_ != TTeBevelCut::kbvNone) {
        TTeBevelColors c = BevelColors(bevel_inner_);
        DrawBevelSides(canvas, r, bevel_sides_, c.InnerTopLeft, c.InnerBottomRight, bevel_width_);
    }
    for (int i = 0; i < border_width_; ++i) {
        DrawFrameRect(canvas, r, Color());
        r.Left += 1;
        r.Top += 1;
        r.Right -= 1;
        r.Bottom -= 1;
    }
}

void TTeControl::PaintBackground() {
    Canvas()->Brush()->SetStyle(fw::TBrushStyle::bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(InnerRect());
}

void TTeControl::Paint() {
    if (Width() <= 0 || Height() <= 0) return;
    fw::TCanvas& canvas = *Canvas();
    HDC window_dc = canvas.Handle();
    TteBitmap* own = nullptr;
    try {
        if (performance_ == TTePerformance::kpSharedBuffer) {
            TteBitmap& shared = SharedPaintBuffer();
            shared.Transparent = false;
            EnsureSharedPaintBuffer();
            shared.FillRect(TRect{0, 0, cached_width_, cached_height_}, kPaintKey);
            canvas.SetHandle(BitmapDC(shared));
        } else if (performance_ == TTePerformance::kpDoubleBuffer) {
            own = new TteBitmap();
            own->SetSize(cached_width_, cached_height_);
            own->Transparent = false;
            canvas.SetHandle(BitmapDC(*own));
        }
        paint_font_.Assign(Font());
        TRect r = InnerRect();
        HDC dc = canvas.Handle();
        int saved = ::SaveDC(dc);
        ::ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        PaintBorder();
        ::RestoreDC(dc, saved);
        PaintBackground();
        ::GdiFlush();
        if (performance_ == TTePerformance::kpSharedBuffer)
            DrawRect(SharedPaintBuffer(), window_dc, 0, 0,
                     TRect{0, 0, cached_width_, cached_height_});
        else if (own)
            Draw(*own, window_dc, 0, 0);
    } catch (...) {
        canvas.SetHandle(window_dc);
        delete own;
        throw;
    }
    canvas.SetHandle(window_dc);
    delete own;
}

void TTeControl::PaintParentBackground(HDC DC) {
    PaintParentInto(this, DC, performance_ != TTePerformance::kpNoBuffer);
}

void TTeControl::MouseEnter() {
    mouse_in_control_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
}

void TTeControl::MouseLeave() {
    mouse_in_control_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
}

void TTeControl::FocusEnter() {
    has_focus_ = true;
    Invalidate();
}

void TTeControl::FocusExit() {
    has_focus_ = false;
    Invalidate();
}

void TTeControl::WMEraseBkgnd(TMessage& M) {
    if (M.WParam && M.LParam) {
        fw::TCanvas& canvas = *Canvas();
        canvas.Lock();
        HDC old = canvas.HandleAllocated() ? canvas.Handle() : nullptr;
        try {
            canvas.SetHandle(HDC(M.WParam));
            PaintBorder();
            PaintBackground();
        } catch (...) {
            canvas.SetHandle(old);
            canvas.Unlock();
            throw;
        }
        canvas.SetHandle(old);
        canvas.Unlock();
    }
    M.Result = 1;
}

void TTeControl::WMWindowPosChanging(TMessage& M) {
    auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam);
    if (wp && !(wp->flags & SWP_NOSIZE)) {
        cached_width_ = wp->cx;
        cached_height_ = wp->cy;
    }
    FW_INHERITED(M);
}

void TTeControl::WMThemeChanged(TMessage& M) {
    Invalidate();
    FW_INHERITED(M);
}

void TTeControl::CMMouseEnter(TMessage& M) {
    FW_INHERITED(M);
    MouseEnter();
}

void TTeControl::CMMouseLeave(TMessage& M) {
    FW_INHERITED(M);
    MouseLeave();
}

void TTeControl::CMEnter(TMessage& M) {
    FocusEnter();
    FW_INHERITED(M);
}

void TTeControl::CMExit(TMessage& M) {
    FocusExit();
    FW_INHERITED(M);
}

// ---- TTeGraphicControl ------------------------------------------------------------------

TTeGraphicControl::TTeGraphicControl(fw::TComponent* AOwner) : fw::TGraphicControl(AOwner) {
    Unit();
    control_style_.Include(fw::TControlStyleItem::csOpaque);
    SetColor(fw::clBtnFace);
    SetBounds(0, 0, 100, 30);
}

void TTeGraphicControl::SetPerformance(TTePerformance Value) {
    if (Value == performance_) return;
    performance_ = Value;
    Invalidate();
}

void TTeGraphicControl::Loaded() {
    fw::TGraphicControl::Loaded();
    Invalidate();
}

void TTeGraphicControl::PaintBackground() {
    Canvas()->Brush()->SetStyle(fw::TBrushStyle::bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

void TTeGraphicControl::Paint() {
    if (Width() <= 0 || Height() <= 0) return;
    fw::TCanvas& canvas = *Canvas();
    canvas.Lock();
    HDC window_dc = canvas.Handle();
    bool changed = false;
    TteBitmap* own = nullptr;
    auto restore = [&] {
        if (changed) canvas.SetHandle(window_dc);
        delete own;
        canvas.Unlock();
    };
    try {
        if (performance_ == TTePerformance::kpSharedBuffer) {
            TteBitmap& shared = SharedPaintBuffer();
            shared.Transparent = false;
            EnsureSharedPaintBuffer();
            canvas.SetHandle(BitmapDC(shared));
            changed = true;
        } else if (performance_ == TTePerformance::kpDoubleBuffer) {
            own = new TteBitmap();
            own->SetSize(Width(), Height());
            own->Transparent = false;
            canvas.SetHandle(BitmapDC(*own));
            changed = true;
        }
        paint_font_.Assign(Font());

        PaintBackground();
        ::GdiFlush();
        if (performance_ == TTePerformance::kpSharedBuffer)
            DrawRect(SharedPaintBuffer(), window_dc, 0, 0, TRect{0, 0, Width(), Height()});
        else if (own)
            Draw(*own, window_dc, 0, 0);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TTeGraphicControl::PaintParentBackground(HDC DC) {
    PaintParentInto(this, DC, performance_ != TTePerformance::kpNoBuffer);
}

void TTeGraphicControl::MouseEnter() {
    mouse_in_control_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
}

void TTeGraphicControl::MouseLeave() {
    mouse_in_control_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
}

void TTeGraphicControl::CMMouseEnter(TMessage& M) {
    FW_INHERITED(M);
    MouseEnter();
}

void TTeGraphicControl::CMMouseLeave(TMessage& M) {
    FW_INHERITED(M);
    MouseLeave();
}

} // namespace dvr::skin
